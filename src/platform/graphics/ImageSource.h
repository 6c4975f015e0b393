#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"

namespace plat {

// What a picture file's header declares, as the platform's image source
// properties give it: the stored size in pixels (which may lie beyond the
// bitmap limits) and the EXIF orientation. Read without decoding pixels.
struct ImageProperties {
    int64_t pixelWidth = 0;
    int64_t pixelHeight = 0;
    ImageOrientation orientation = ImageOrientation::Up;
    friend bool operator==(const ImageProperties&, const ImageProperties&) = default;
};

// JPEG or PNG bytes; none for anything else or a header cut short. Any thread.
std::optional<ImageProperties> imagePropertiesOfData(const Data& data);
// Reads only as much of the file as its header needs. Any thread.
std::optional<ImageProperties> imagePropertiesOfFile(const std::string& path);

// Whether the file holds a whole picture, judged without decoding a JPEG's
// picture data: its header reads, declares a size within the limits, and
// the data ends with the end-of-picture marker, so a file cut short, emptied
// or overwritten fails. Other pictures are decoded. Any thread.
bool pictureFileLooksWhole(const std::string& path);

// Decoded at the smallest size the format's decoder offers that keeps the
// longer stored side at least minimumLongerSide: a JPEG at n/8 of its size,
// other pictures whole. The stored orientation is kept; scale 1. nullptr
// for what Image::imageWithData refuses. Any thread.
std::shared_ptr<Image> imageWithDataReducedTo(const Data& data, int minimumLongerSide);

// A picture whose longer stored side is at most maxPixelSize (never
// enlarged), as the platform's thumbnail of an image source: a JPEG is
// decoded at a reduced size where libjpeg can, then scaled down by area
// averaging. The stored orientation is kept (not applied); scale 1. nullptr
// for what Image::imageWithData refuses, or maxPixelSize below 1. Any thread.
std::shared_ptr<Image> thumbnailImageWithData(const Data& data, int maxPixelSize);

}  // namespace plat
