#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "painter/PainterSettings.h"
#include "platform/foundation/PropertyList.h"

// Reads any bytes as the painter's settings from the settings file. Whatever
// is taken must be in range, and written settings must read back the same.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    plat::Data data(bytes, bytes + size);
    auto stored = plat::PropertyListSerialization::propertyListWithData(data);
    if (!stored.ok())
        return 0;
    const auto settings = zt::PainterSettings::fromValue(stored.value());
    if (settings.tool && (*settings.tool < 0 || *settings.tool >= zt::PainterSettings::kToolCount))
        std::abort();
    if (settings.sizes)
        for (int64_t brushSize : *settings.sizes)
            if (brushSize < zt::PainterSettings::kMinimumBrushSize
                || brushSize > zt::PainterSettings::kMaximumBrushSize)
                std::abort();
    if (settings.toolColors)
        for (int64_t index : *settings.toolColors)
            if (index < 0 || index >= zt::PainterSettings::kPaletteCount)
                std::abort();
    if (settings.palette)
        for (const plat::Color& colour : *settings.palette)
            if (!(colour.red() >= 0 && colour.red() <= 1 && colour.alpha() >= 0 && colour.alpha() <= 1))
                std::abort();
    const auto again = zt::PainterSettings::fromValue(settings.toDictionary());
    if (again.tool != settings.tool || again.sizes != settings.sizes || again.toolColors != settings.toolColors) {
        std::fprintf(stderr, "written painter settings read back differently\n");
        std::abort();
    }
    return 0;
}
