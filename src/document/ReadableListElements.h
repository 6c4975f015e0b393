#pragma once
#include <string_view>
#include <vector>

#include "platform/foundation/Value.h"

namespace zt::detail {

// The elements of an array in an XML property list that can still be read
// when the file is damaged (cut short by a full disk or an interrupted
// copy, or spoiled part way): every element whose markup is complete and
// reads as a property list on its own, in order, up to where the array ends
// or the markup stops making sense. arrayKey names the root dictionary's key
// of the array; empty means the root array itself. Outside input: a file
// that is not XML gives nothing. Any thread.
std::vector<plat::Value> readableListElements(const plat::Data& xml, std::string_view arrayKey);

}  // namespace zt::detail
