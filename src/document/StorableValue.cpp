#include "document/StorableValue.h"

#include "platform/foundation/PropertyList.h"
#include "platform/foundation/PropertyListDetail.h"

namespace zt::detail {

namespace {

bool isStorable(const plat::Value& value)
{
    return plat::PropertyListSerialization::dataWithPropertyList(value, plat::PropertyListFormat::XML).ok();
}

std::optional<plat::Value> storableValue(const plat::Value& value, int depth)
{
    // Containers are shared and may hold themselves; the writer refuses such depths too.
    if (depth > plat::detail::kMaxPropertyListDepth)
        return std::nullopt;
    if (auto dictionary = value.asDictionary()) {
        plat::Dictionary kept;
        for (const auto& [key, entry] : *dictionary) {
            if (!isStorable(plat::Dictionary {{key, 0}}))
                continue;
            if (auto storable = storableValue(entry, depth + 1))
                kept.set(key, *storable);
        }
        return plat::Value(kept);
    }
    if (auto array = value.asArray()) {
        plat::Array kept;
        for (const plat::Value& entry : *array) {
            if (auto storable = storableValue(entry, depth + 1))
                kept.append(*storable);
        }
        return plat::Value(kept);
    }
    if (!isStorable(plat::Array {value}))
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<plat::Value> storableValue(const plat::Value& value)
{
    return storableValue(value, 0);
}

}  // namespace zt::detail
