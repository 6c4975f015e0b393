#pragma once
#include <optional>

#include "platform/foundation/Value.h"

namespace zt::detail {

// A copy of value without the parts no property list can be written with
// (nulls, strings with NUL bytes or that are not UTF-8, such keys, objects,
// dates out of range, nesting too deep): dictionaries and arrays keep the
// rest of their entries. None when value itself is such a part. For data
// read from another tool's file, which a save must not fail on for ever.
// Any thread.
std::optional<plat::Value> storableValue(const plat::Value& value);

}  // namespace zt::detail
