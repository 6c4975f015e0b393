#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"

// The codecs behind Image and the representations. Not for use outside the
// graphics stand-in.
namespace plat::detail {

bool looksLikeJPEG(const uint8_t* bytes, size_t length);
bool looksLikePNG(const uint8_t* bytes, size_t length);

// Both give nullptr for anything that is not a whole picture within the limits.
std::shared_ptr<Image> decodeJPEG(const uint8_t* bytes, size_t length, double scale);
// Decoded at a fraction of its size (libjpeg's scaled inverse DCT) whose
// longer side is still at least minimumLongerSide; 0 decodes the full size.
std::shared_ptr<Image> decodeJPEG(const uint8_t* bytes, size_t length, double scale, int minimumLongerSide);
std::shared_ptr<Image> decodePNG(const uint8_t* bytes, size_t length, double scale);

// What the first bytes of a picture that is still arriving give: the size
// its header declares and the rows decoded so far.
struct PartialPicture {
    bool hasHeader = false;
    int64_t width = 0;  // as declared, which may be beyond the bitmap limits
    int64_t height = 0;
    // The complete rows from the top, at full width; nullptr when there are
    // none yet, or none will come before the end (progressive JPEG,
    // interlaced PNG), or the declared size is beyond the limits.
    std::shared_ptr<Bitmap> rows;
};
enum class PartialRows { Skip, Decode };

// BGRA rows gathered one at a time into a buffer that doubles as they come,
// so that memory follows the rows decoded rather than the height a header
// declares.
class RowCollector {
public:
    RowCollector(int width, int maxRows);
    // Where the next row goes; nullptr once maxRows are in.
    uint8_t* nextRow();
    void commitRow(bool rowIsOpaque);
    int rows() const { return _rows; }
    // The rows so far as a bitmap; nullptr when there are none.
    std::shared_ptr<Bitmap> finish();

private:
    int _width;
    int _maxRows;
    int _rows = 0;
    int _capacityRows = 0;
    bool _opaque = true;
    std::unique_ptr<uint8_t[]> _bytes;
};
// Never more than the bytes given are read; damage after the header ends the rows.
PartialPicture decodePartialJPEG(const uint8_t* bytes, size_t length, PartialRows wanted);
PartialPicture decodePartialPNG(const uint8_t* bytes, size_t length, PartialRows wanted);

// What a picture's header declares, read without decoding its pixels.
struct PictureHeader {
    int64_t width = 0;  // stored pixels, as declared (maybe beyond the bitmap limits)
    int64_t height = 0;
    ImageOrientation orientation = ImageOrientation::Up;
};
// None when the bytes end before the header does or it is not readable.
std::optional<PictureHeader> readJPEGHeader(const uint8_t* bytes, size_t length);

// The orientation tag of an APP1 segment's payload ("Exif\0\0" and a TIFF
// block); none when absent, out of range or malformed.
std::optional<ImageOrientation> exifOrientation(const uint8_t* payload, size_t length);
// The payload of an APP1 segment that holds only the orientation tag.
Data exifOrientationPayload(ImageOrientation orientation);

}  // namespace plat::detail
