#pragma once
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/foundation/Value.h"

namespace plat {
class Image;

struct PixelSize {
    int64_t width = 0;
    int64_t height = 0;
};

// The platform's incremental image source: the bytes of one JPEG or PNG
// picture as far as they have arrived, read as far as they go. Nothing
// beyond the given bytes is ever read or made up, and a header that declares
// a size beyond the bitmap limits gives a size but never pixels.
// One thread at a time.
class IncrementalImageSource {
public:
    IncrementalImageSource() = default;

    // Every byte so far (not only the new ones); isFinal when no more will come.
    void updateData(const Data& data, bool isFinal);

    // The pixel size the header of image 0 declares; empty until the header
    // is in, and for bytes that are not a JPEG or PNG picture.
    std::optional<PixelSize> pixelSizeAtIndex0() const;
    // Image 0 (scale 1, stored orientation). Before the final bytes: the
    // complete rows from the top at full width, as tall as those rows; none
    // before the first row is in, and none for a progressive JPEG or an
    // interlaced PNG. With the final bytes: the whole picture, or none when
    // it is not one.
    std::shared_ptr<Image> createImageAtIndex0() const;

private:
    Data _data;
    bool _isFinal = false;
};

}  // namespace plat
