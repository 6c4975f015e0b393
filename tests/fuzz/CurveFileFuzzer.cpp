// Tone-curve files on any bytes: a file that is taken holds its four curves
// with every point within 0..1, and each curve prepares to nothing or to
// exactly 256 finite entries, whatever its points.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "glimage/GLImageACVFile.h"
#include "glimage/GLImageToneCurve.h"

namespace {

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "CurveFileFuzzer: %s\n", what);
        std::abort();
    }
}

std::vector<float> prepared(const std::vector<plat::Point>& points)
{
    for (const auto& point : points)
        require(point.x >= 0 && point.x <= 1 && point.y >= 0 && point.y <= 1, "a point outside 0..1");
    auto curve = zt::detail::getPreparedSplineCurve(points);
    require(curve.empty() || curve.size() == 256, "a curve of other than 256 entries");
    for (float entry : curve)
        require(std::isfinite(entry) && entry >= -255.0f && entry <= 255.0f, "an entry out of range");
    return curve;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto file = zt::GLImageACVFile::initWithACVFileData(plat::Data(data, data + size));
    if (!file.ok())
        return 0;
    require(file.value().totalCurves() >= 4, "fewer than four curves taken");
    const auto composite = prepared(file.value().rgbCompositeCurvePoints());
    const auto red = prepared(file.value().redCurvePoints());
    const auto green = prepared(file.value().greenCurvePoints());
    const auto blue = prepared(file.value().blueCurvePoints());
    const auto bytes = zt::detail::toneCurveBytes(composite, red, green, blue);
    if (bytes) {
        for (size_t i = 0; i < 256; ++i)
            require((*bytes)[i * 4 + 3] == 255, "a table entry not opaque");
    }
    return 0;
}
