#pragma once
// One-call decoding of a string or data object, each with a decoder of its
// own (so nothing is cached between calls). Any thread.
#include <optional>
#include <string_view>

#include "platform/foundation/Error.h"
#include "web/JCArray.h"
#include "web/JCDictionary.h"
#include "web/JCValue.h"
#include "web/JSONDecoder.h"

namespace zt {

// The string's bytes are its UTF-8 form and are decoded as they are.
std::optional<JCValue> objectFromJSONString(std::string_view string);
std::optional<JCValue> objectFromJSONStringWithParseOptions(
    std::string_view string, JCParseOptionFlags parseOptionFlags, plat::Error* error = nullptr);
std::optional<JCValue> mutableObjectFromJSONString(std::string_view string);
std::optional<JCValue> mutableObjectFromJSONStringWithParseOptions(
    std::string_view string, JCParseOptionFlags parseOptionFlags, plat::Error* error = nullptr);

std::optional<JCValue> objectFromJSONData(const plat::Data& data);
std::optional<JCValue> objectFromJSONDataWithParseOptions(
    const plat::Data& data, JCParseOptionFlags parseOptionFlags, plat::Error* error = nullptr);
std::optional<JCValue> mutableObjectFromJSONData(const plat::Data& data);
std::optional<JCValue> mutableObjectFromJSONDataWithParseOptions(
    const plat::Data& data, JCParseOptionFlags parseOptionFlags, plat::Error* error = nullptr);

}  // namespace zt
