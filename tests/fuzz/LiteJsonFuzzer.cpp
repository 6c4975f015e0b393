// LiteJson's reader on any bytes: the first byte picks the nesting limit and
// the writer's style, the rest is the text. Whatever reads must be written
// and read back equal.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "web/LiteJsonParser.h"
#include "web/LiteJsonWriter.h"

namespace {

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "LiteJsonFuzzer: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static constexpr size_t kDepths[] = {512, 0, 3, 40};
    const size_t maxDepth = kDepths[data[0] & 3];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    zt::LiteJsonParser parser;
    parser.setMaxDepth(maxDepth);
    auto value = parser.fragmentWithString(text);
    if (!value) {
        require(!parser.errorTrace().empty(), "failure without an error trace");
        for (size_t i = 1; i < parser.errorTrace().size(); ++i)
            require(parser.errorTrace()[i].underlyingError() != nullptr, "an error does not wrap the one before");
        return 0;
    }
    require(parser.errorTrace().empty(), "success with errors");

    zt::LiteJsonWriter writer;
    writer.setMaxDepth(maxDepth);
    writer.setHumanReadable((data[0] & 4) != 0);
    writer.setSortKeys((data[0] & 8) != 0);
    auto written = writer.stringWithFragment(*value);
    require(written.has_value(), "a parsed value cannot be written");
    auto reread = parser.fragmentWithString(*written);
    require(reread.has_value(), "written text does not parse");
    require(*reread == *value, "written text parses to another value");
    return 0;
}
