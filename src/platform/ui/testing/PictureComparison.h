#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace plat {
class Image;
}

namespace plat::test {

// How closely a rendered picture must match its stored reference: a pixel
// differs when any component is more than componentTolerance apart (edges
// anti-aliased a little differently stay within it). The pictures match when
// few pixels differ in all and none of the square regions holds a cluster of
// them: a few scattered edge pixels pass, while a missing caption, icon or
// control (hundreds of pixels close together) fails however big the window.
struct PictureTolerance {
    int componentTolerance = 24;
    int64_t maximumDifferingPixels = 64;
    int regionSize = 16;
    int64_t maximumDifferingPixelsPerRegion = 12;
};

struct PictureComparison {
    bool matches = false;
    // Why not, for the test's failure message.
    std::string explanation;
    int64_t differingPixels = 0;
    // The most differing pixels found in one region of regionSize squared.
    int64_t differingPixelsInWorstRegion = 0;
    int maximumDifference = 0;
};

// Compares the picture with the PNG at referencePath. When the environment
// variable ZT_UPDATE_REFERENCE_PICTURES is 1, the picture is written there
// first (this is how references are made, once, and looked at before they
// are committed). A mismatch also writes the picture next to the reference
// as "<name>.actual.png" in outputFolder, for a look.
PictureComparison compareWithReferencePicture(const Image& picture, const std::string& referencePath,
    const std::string& outputFolder, PictureTolerance tolerance = {});

// Writes the picture as PNG; false with a log line when it cannot.
bool writePicture(const Image& picture, const std::string& path);

}  // namespace plat::test
