#pragma once
// JSON reading on any string and writing of any value, each call with a
// reader or writer of its own, so any thread may call them at once. A failure
// logs the whole error trace and gives empty.
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Value.h"

namespace zt {

// A dictionary or an array, or empty.
std::optional<plat::Value> JSONValue(std::string_view string);
// Any JSON value, or empty.
std::optional<plat::Value> JSONFragmentValue(std::string_view string);
// The text of a dictionary or an array, or empty.
std::optional<std::string> JSONRepresentation(const plat::Value& object);
// The text of any value JSON can hold, or empty.
std::optional<std::string> JSONFragment(const plat::Value& object);

}  // namespace zt
