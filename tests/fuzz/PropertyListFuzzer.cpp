#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/foundation/PropertyList.h"

// Reads any bytes as a property list; whatever reads must write in both
// formats (or fail cleanly), what was written must read back, and writing
// what was read back must give the very same bytes: nothing is lost or
// changed on a second trip.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    plat::Data data(bytes, bytes + size);
    auto value = plat::PropertyListSerialization::propertyListWithData(data);
    if (!value.ok())
        return 0;
    for (auto format : {plat::PropertyListFormat::XML, plat::PropertyListFormat::Binary}) {
        auto written = plat::PropertyListSerialization::dataWithPropertyList(value.value(), format);
        if (!written.ok())
            continue;
        auto reread = plat::PropertyListSerialization::propertyListWithData(written.value());
        if (!reread.ok()) {
            std::fprintf(stderr, "wrote a list that does not read back: %s\n", reread.error().description().c_str());
            std::abort();
        }
        auto rewritten = plat::PropertyListSerialization::dataWithPropertyList(reread.value(), format);
        if (!rewritten.ok() || rewritten.value() != written.value()) {
            std::fprintf(stderr, "a list read back writes differently\n");
            std::abort();
        }
    }
    return 0;
}
