#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "document/ReadableListElements.h"
#include "platform/foundation/PropertyList.h"

// Reads any bytes as a damaged list, both as a projects list (the root
// array) and as a frame list (the array under its key). What a whole list
// holds must all come back when it is read as damaged.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    plat::Data data(bytes, bytes + size);
    // Neither reading may crash, hang or run out of memory, whatever it finds.
    auto rootElements = zt::detail::readableListElements(data, {});
    auto frameElements = zt::detail::readableListElements(data, "FRAMELIST_DATA");
    if (rootElements.size() > size || frameElements.size() > size)
        std::abort();  // every element takes at least one byte
    auto whole = plat::PropertyListSerialization::propertyListWithData(data);
    auto array = whole.ok() ? whole.value().asArray() : std::nullopt;
    if (!array)
        return 0;
    auto written = plat::PropertyListSerialization::dataWithPropertyList(*array, plat::PropertyListFormat::XML);
    if (!written.ok())
        return 0;
    auto again = zt::detail::readableListElements(written.value(), {});
    if (again.size() != array->count()) {
        std::fprintf(stderr, "a whole list of %zu elements read back as %zu\n", array->count(), again.size());
        std::abort();
    }
    return 0;
}
