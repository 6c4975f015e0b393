#include "painter/PainterLayer.h"

#include <algorithm>
#include <cmath>

#include "document/FileUtil.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/UUID.h"

namespace zt {

PainterLayer::PainterLayer()
    : _name(plat::localized("Layer"))
    , _UUID(FileUtil::createUUID())
{
}

void PainterLayer::setType(int64_t type)
{
    _type = type;
    const bool unlocked = type != kLockedType;
    _canEdit = unlocked;
    _canDeleted = unlocked;
    _canStored = unlocked;
}

bool PainterLayer::isLayerIdentifier(const std::string& text)
{
    return plat::UUID::fromString(text).has_value();
}

plat::Dictionary PainterLayer::encode() const
{
    plat::Dictionary dictionary;
    dictionary.set("name", plat::Value(_name));
    dictionary.set("UUID", plat::Value(_UUID));
    dictionary.set("enabled", plat::Value(_isEnabled));
    dictionary.set("obacity", plat::Value(_obacity));
    dictionary.set("type", plat::Value(_type));
    return dictionary;
}

plat::Result<std::shared_ptr<PainterLayer>> PainterLayer::initWithDict(const plat::Dictionary& dictionary)
{
    auto refuse = [](const std::string& why) { return plat::Error(kErrorDomain, kNotALayer, "not a layer: " + why); };
    auto identifier = dictionary.getString("UUID");
    if (!identifier || !isLayerIdentifier(*identifier))
        return refuse("its identifier is not a UUID");
    const plat::Value name = dictionary.get("name");
    if (!name.isNull() && !name.isString())
        return refuse("its name is not text");
    for (const char* key : {"enabled", "obacity", "type"}) {
        const plat::Value value = dictionary.get(key);
        if (!value.isNull() && !value.isNumber())
            return refuse(std::string("its \"") + key + "\" is not a number");
    }
    const double opacity = dictionary.getDouble("obacity").value_or(0.0);
    if (!std::isfinite(opacity))
        return refuse("its opacity is not a finite number");

    auto layer = std::make_shared<PainterLayer>();
    layer->_UUID = *identifier;
    layer->_name = name.isString() ? *name.asString() : std::string();
    layer->_isEnabled = dictionary.getBool("enabled").value_or(false);
    layer->_obacity = static_cast<float>(std::clamp(opacity, 0.0, 1.0));
    layer->setType(dictionary.getInt64("type").value_or(0));
    return layer;
}

}  // namespace zt
