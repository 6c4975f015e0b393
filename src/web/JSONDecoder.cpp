#include "web/JSONDecoder.h"

#include "web/JCInternal.h"
#include "web/JCParseState.h"

namespace zt {

namespace {

// Options at or above this value name no option.
constexpr JCParseOptionFlags kFirstInvalidParseOption = 16;

}  // namespace

std::shared_ptr<JSONDecoder> JSONDecoder::decoder()
{
    return decoderWithParseOptions(JCParseStrict);
}

std::shared_ptr<JSONDecoder> JSONDecoder::decoderWithParseOptions(JCParseOptionFlags parseOptionFlags)
{
    return std::make_shared<JSONDecoder>(parseOptionFlags);
}

JSONDecoder::JSONDecoder()
    : JSONDecoder(JCParseStrict)
{
}

JSONDecoder::JSONDecoder(JCParseOptionFlags parseOptionFlags)
    : JSONDecoder(parseOptionFlags, JSONDecoderLifetime::ManyParses)
{
}

JSONDecoder::JSONDecoder(JCParseOptionFlags parseOptionFlags, JSONDecoderLifetime lifetime)
{
    if (parseOptionFlags >= kFirstInvalidParseOption)
        detail::raiseJCException("NSInvalidArgumentException", "Invalid parse options.");
    _parseState = std::make_unique<detail::JCParseState>(parseOptionFlags);
    _parseState->cacheDiesWithParse = lifetime == JSONDecoderLifetime::OneParse;
}

JSONDecoder::~JSONDecoder() = default;

void JSONDecoder::clearCache()
{
    _parseState->cache.clear();
}

std::optional<JCValue> JSONDecoder::objectWithUTF8String(const char* string, size_t length, plat::Error* error)
{
    return decode(string, length, false, error);
}

std::optional<JCValue> JSONDecoder::objectWithData(const plat::Data& jsonData, plat::Error* error)
{
    // An empty vector may have no storage; empty input is still a string.
    return decode(
        jsonData.empty() ? "" : reinterpret_cast<const char*>(jsonData.data()), jsonData.size(), false, error);
}

std::optional<JCValue> JSONDecoder::mutableObjectWithUTF8String(const char* string, size_t length, plat::Error* error)
{
    return decode(string, length, true, error);
}

std::optional<JCValue> JSONDecoder::mutableObjectWithData(const plat::Data& jsonData, plat::Error* error)
{
    return decode(jsonData.empty() ? "" : reinterpret_cast<const char*>(jsonData.data()), jsonData.size(), true, error);
}

std::optional<JCValue> JSONDecoder::decode(
    const char* string, size_t length, bool mutableCollections, plat::Error* error)
{
    if (!_parseState)
        detail::raiseJCException("NSInternalInconsistencyException", "parseState is NULL.");
    if (string == nullptr)
        detail::raiseJCException("NSInvalidArgumentException", "The string argument is NULL.");
    detail::JCParseState& state = *_parseState;
    state.input = reinterpret_cast<const uint8_t*>(string);
    state.length = length;
    state.atIndex = 0;
    state.lineNumber = 1;
    state.lineStartIndex = 0;
    state.error.reset();
    state.mutableCollections = mutableCollections;
    state.depth = 0;
    state.tokenBuffer.releaseHeap();
    state.objectStack.reset();

    std::optional<JCValue> result = detail::parseJSON(state);
    if (state.arena != nullptr) {
        state.arena->seal();
        state.arena = nullptr;
    }

    if (error != nullptr && state.error && !result)
        *error = *state.error;
    state.tokenBuffer.releaseHeap();
    state.objectStack.reset();
    state.input = nullptr;
    state.length = 0;
    state.lineNumber = 1;
    state.error.reset();
    return result;
}

}  // namespace zt
