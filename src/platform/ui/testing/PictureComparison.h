#pragma once
#include <memory>
#include <string>

namespace plat {
class Image;
}

namespace plat::test {

// How closely a rendered picture must match its stored reference: a pixel
// differs when any component is more than componentTolerance apart; the
// pictures match when at most differingFraction of the pixels differ (text
// drawn by another version of the font stack moves a few edge pixels).
struct PictureTolerance {
    int componentTolerance = 24;
    double differingFraction = 0.01;
};

struct PictureComparison {
    bool matches = false;
    // Why not, for the test's failure message.
    std::string explanation;
    int64_t differingPixels = 0;
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
