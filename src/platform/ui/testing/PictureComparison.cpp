#include "platform/ui/testing/PictureComparison.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/ui/scripting/UIDriver.h"

namespace plat::test {

namespace {

struct Rgba {
    int c[4];
};

Rgba pixel(const Bitmap& bitmap, int x, int y)
{
    const uint8_t* p = bitmap.row(y) + static_cast<size_t>(x) * 4;
    if (bitmap.order() == PixelOrder::BGRA)
        return {{p[2], p[1], p[0], p[3]}};
    return {{p[0], p[1], p[2], p[3]}};
}

bool updatingReferences()
{
    const char* value = std::getenv("ZT_UPDATE_REFERENCE_PICTURES");
    return value && std::string(value) == "1";
}

}  // namespace

bool writePicture(const Image& picture, const std::string& path)
{
    auto written = scripting::writeScreenshot(picture, path);
    if (!written.ok())
        log("picture: {}", written.error().localizedDescription());
    return written.ok();
}

PictureComparison compareWithReferencePicture(
    const Image& picture, const std::string& referencePath, const std::string& outputFolder, PictureTolerance tolerance)
{
    PictureComparison result;
    if (updatingReferences() && !writePicture(picture, referencePath)) {
        result.explanation = "cannot write the reference " + referencePath;
        return result;
    }
    auto reference = Image::imageWithContentsOfFile(referencePath);
    if (!reference) {
        result.explanation = "no reference picture at " + referencePath
            + " (run with ZT_UPDATE_REFERENCE_PICTURES=1 to make it, then look at it)";
        return result;
    }
    const Bitmap& a = *picture.bitmap();
    const Bitmap& b = *reference->bitmap();
    if (a.width() != b.width() || a.height() != b.height()) {
        result.explanation = formatLine(
            "size {} x {} differs from the reference's {} x {}", a.width(), a.height(), b.width(), b.height());
        return result;
    }
    const int regionSize = std::max(1, tolerance.regionSize);
    const int regionColumns = (a.width() + regionSize - 1) / regionSize;
    const int regionRows = (a.height() + regionSize - 1) / regionSize;
    std::vector<int64_t> differingPerRegion(static_cast<size_t>(regionColumns) * regionRows, 0);
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            Rgba p = pixel(a, x, y);
            Rgba q = pixel(b, x, y);
            int worst = 0;
            for (int i = 0; i < 4; ++i)
                worst = std::max(worst, std::abs(p.c[i] - q.c[i]));
            result.maximumDifference = std::max(result.maximumDifference, worst);
            if (worst > tolerance.componentTolerance) {
                ++result.differingPixels;
                int64_t& inRegion
                    = differingPerRegion[static_cast<size_t>(y / regionSize) * regionColumns + x / regionSize];
                result.differingPixelsInWorstRegion = std::max(result.differingPixelsInWorstRegion, ++inRegion);
            }
        }
    }
    int64_t total = static_cast<int64_t>(a.width()) * a.height();
    result.matches = result.differingPixels <= tolerance.maximumDifferingPixels
        && result.differingPixelsInWorstRegion <= tolerance.maximumDifferingPixelsPerRegion;
    if (!result.matches) {
        std::string actual = appendingPathComponent(outputFolder, lastPathComponent(referencePath));
        actual = actual.substr(0, actual.size() - 4) + ".actual.png";
        writePicture(picture, actual);
        result.explanation = formatLine(
            "{} of {} pixels differ, {} of them in one {}-pixel square (largest difference {}); the picture is at {}",
            result.differingPixels, total, result.differingPixelsInWorstRegion, regionSize, result.maximumDifference,
            actual);
    }
    return result;
}

}  // namespace plat::test
