#include "audio/QVMediaPickerItem.h"

#include "audio/MQExtensions.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Paths.h"
#include "platform/media/Asset.h"

namespace zt {

std::shared_ptr<QVMediaPickerItem> QVMediaPickerItem::initWithURL(const std::optional<plat::URL>& url)
{
    return initWithURL(url, std::nullopt);
}

std::shared_ptr<QVMediaPickerItem> QVMediaPickerItem::initWithURL(
    const std::optional<plat::URL>& url, const std::optional<std::string>& title)
{
    if (!url)
        return nullptr;
    std::string shown = title.value_or(plat::deletingPathExtension(url->lastPathComponent()));
    return std::make_shared<QVMediaPickerItem>(Passkey(), *url, plat::localized(shown));
}

QVMediaPickerItem::QVMediaPickerItem(Passkey, plat::URL url, std::string title)
    : _url(std::move(url))
    , _title(std::move(title))
    , _asset(plat::URLAsset::URLAssetWithURL(_url))
{
}

std::string QVMediaPickerItem::getDuration() const
{
    return trackLengthString(_asset ? _asset->duration().seconds() : 0.0);
}

}  // namespace zt
