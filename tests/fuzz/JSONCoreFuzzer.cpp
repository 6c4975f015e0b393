// JSONCore's decoder on any bytes: the first byte picks the parse options and
// whether containers are mutable, the rest is the text. Whatever decodes must
// decode the same again through the decoder's cache, and must come back equal
// from the serializer's text, in every output style.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "web/JSONCoreDeserializing.h"
#include "web/JSONCoreSerializing.h"

namespace {

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "JSONCoreFuzzer: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const zt::JCParseOptionFlags options = data[0] & 0x0F;
    const bool mutableContainers = (data[0] & 0x10) != 0;
    const char* text = reinterpret_cast<const char*>(data + 1);
    const size_t length = size - 1;

    zt::JSONDecoder decoder(options);
    plat::Error error("none", 0, "");
    auto value = mutableContainers ? decoder.mutableObjectWithUTF8String(text, length, &error)
                                   : decoder.objectWithUTF8String(text, length, &error);
    auto again = decoder.objectWithUTF8String(text, length);
    require(value.has_value() == again.has_value(), "a second decode disagrees with the first");
    if (!value) {
        require(error.domain() == zt::JCErrorDomain && !error.localizedDescription().empty(), "failure without error");
        return 0;
    }
    require(*value == *again, "a second decode gives another value");
    require(value->isArray() || value->isDictionary(), "top level is not a container");

    for (const zt::JCSerializeOptionFlags style :
        {zt::JCSerializeNone, zt::JCSerializePretty | zt::JCSerializeEscapeUnicode | zt::JCSerializeEscapeSlash}) {
        plat::Error writeError("none", 0, "");
        auto written = value->isArray() ? zt::JSONDataWithOptions(value->arrayRef(), style, &writeError)
                                        : zt::JSONDataWithOptions(value->dictionaryRef(), style, &writeError);
        require(written.has_value(), "a decoded value cannot be written");
        auto reread = zt::objectFromJSONData(*written);
        require(reread.has_value(), "written text does not decode strictly");
        require(*reread == *value, "written text decodes to another value");
    }
    return 0;
}
