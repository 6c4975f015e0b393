#include "web/JSONCoreDeserializing.h"

namespace zt {

namespace {

enum class Containers { Immutable, Mutable };

std::optional<JCValue> decodeString(
    std::string_view string, JCParseOptionFlags parseOptionFlags, Containers containers, plat::Error* error)
{
    // Our strings hold UTF-8 already: no conversion, and nothing can fail to convert.
    JSONDecoder decoder(parseOptionFlags, JSONDecoderLifetime::OneParse);
    const char* bytes = string.empty() ? "" : string.data();
    return containers == Containers::Mutable ? decoder.mutableObjectWithUTF8String(bytes, string.size(), error)
                                             : decoder.objectWithUTF8String(bytes, string.size(), error);
}

std::optional<JCValue> decodeData(
    const plat::Data& data, JCParseOptionFlags parseOptionFlags, Containers containers, plat::Error* error)
{
    JSONDecoder decoder(parseOptionFlags, JSONDecoderLifetime::OneParse);
    return containers == Containers::Mutable ? decoder.mutableObjectWithData(data, error)
                                             : decoder.objectWithData(data, error);
}

}  // namespace

std::optional<JCValue> objectFromJSONString(std::string_view string)
{
    return decodeString(string, JCParseStrict, Containers::Immutable, nullptr);
}

std::optional<JCValue> objectFromJSONStringWithParseOptions(
    std::string_view string, JCParseOptionFlags parseOptionFlags, plat::Error* error)
{
    return decodeString(string, parseOptionFlags, Containers::Immutable, error);
}

std::optional<JCValue> mutableObjectFromJSONString(std::string_view string)
{
    return decodeString(string, JCParseStrict, Containers::Mutable, nullptr);
}

std::optional<JCValue> mutableObjectFromJSONStringWithParseOptions(
    std::string_view string, JCParseOptionFlags parseOptionFlags, plat::Error* error)
{
    return decodeString(string, parseOptionFlags, Containers::Mutable, error);
}

std::optional<JCValue> objectFromJSONData(const plat::Data& data)
{
    return decodeData(data, JCParseStrict, Containers::Immutable, nullptr);
}

std::optional<JCValue> objectFromJSONDataWithParseOptions(
    const plat::Data& data, JCParseOptionFlags parseOptionFlags, plat::Error* error)
{
    return decodeData(data, parseOptionFlags, Containers::Immutable, error);
}

std::optional<JCValue> mutableObjectFromJSONData(const plat::Data& data)
{
    return decodeData(data, JCParseStrict, Containers::Mutable, nullptr);
}

std::optional<JCValue> mutableObjectFromJSONDataWithParseOptions(
    const plat::Data& data, JCParseOptionFlags parseOptionFlags, plat::Error* error)
{
    return decodeData(data, parseOptionFlags, Containers::Mutable, error);
}

}  // namespace zt
