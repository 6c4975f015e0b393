#include "platform/graphics/ImageDecoding.h"

#include <cstring>

namespace plat::detail {

namespace {

constexpr uint8_t kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};
constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kTypeShort = 3;
constexpr size_t kIfdEntryBytes = 12;

// Reads the TIFF block's integers in its own byte order, never past its end.
class TiffReader {
public:
    TiffReader(const uint8_t* bytes, size_t length, bool bigEndian)
        : _bytes(bytes)
        , _length(length)
        , _bigEndian(bigEndian)
    {
    }
    std::optional<uint16_t> u16(size_t offset) const
    {
        if (offset > _length || _length - offset < 2)
            return std::nullopt;
        const uint8_t* p = _bytes + offset;
        return static_cast<uint16_t>(_bigEndian ? (p[0] << 8) | p[1] : (p[1] << 8) | p[0]);
    }
    std::optional<uint32_t> u32(size_t offset) const
    {
        auto high = u16(offset + (_bigEndian ? 0 : 2));
        auto low = u16(offset + (_bigEndian ? 2 : 0));
        if (!high || !low)
            return std::nullopt;
        return (static_cast<uint32_t>(*high) << 16) | *low;
    }

private:
    const uint8_t* _bytes;
    size_t _length;
    bool _bigEndian;
};

// EXIF numbers 1...8 in the platform's orientation order.
constexpr ImageOrientation kOrientationForExif[] = {
    ImageOrientation::Up,
    ImageOrientation::UpMirrored,
    ImageOrientation::Down,
    ImageOrientation::DownMirrored,
    ImageOrientation::LeftMirrored,
    ImageOrientation::Right,
    ImageOrientation::RightMirrored,
    ImageOrientation::Left,
};

uint16_t exifNumberFor(ImageOrientation orientation)
{
    for (uint16_t i = 0; i < 8; ++i) {
        if (kOrientationForExif[i] == orientation)
            return static_cast<uint16_t>(i + 1);
    }
    return 1;
}

}  // namespace

std::optional<ImageOrientation> exifOrientation(const uint8_t* payload, size_t length)
{
    if (length < sizeof kExifHeader + 8 || std::memcmp(payload, kExifHeader, sizeof kExifHeader) != 0)
        return std::nullopt;
    const uint8_t* tiff = payload + sizeof kExifHeader;
    size_t tiffLength = length - sizeof kExifHeader;
    bool bigEndian;
    if (tiff[0] == 'M' && tiff[1] == 'M')
        bigEndian = true;
    else if (tiff[0] == 'I' && tiff[1] == 'I')
        bigEndian = false;
    else
        return std::nullopt;
    TiffReader reader(tiff, tiffLength, bigEndian);
    if (reader.u16(2) != 42)
        return std::nullopt;
    auto ifd = reader.u32(4);
    if (!ifd)
        return std::nullopt;
    auto entries = reader.u16(*ifd);
    if (!entries)
        return std::nullopt;
    for (size_t i = 0; i < *entries; ++i) {
        size_t entry = size_t(*ifd) + 2 + i * kIfdEntryBytes;
        auto tag = reader.u16(entry);
        if (!tag)
            return std::nullopt;  // the directory runs past the block
        if (*tag != kOrientationTag)
            continue;
        auto type = reader.u16(entry + 2);
        auto count = reader.u32(entry + 4);
        auto value = reader.u16(entry + 8);
        if (type != kTypeShort || count != 1u || !value || *value < 1 || *value > 8)
            return std::nullopt;
        return kOrientationForExif[*value - 1];
    }
    return std::nullopt;
}

Data exifOrientationPayload(ImageOrientation orientation)
{
    uint16_t number = exifNumberFor(orientation);
    // Big-endian TIFF: header, IFD0 at offset 8 with one SHORT entry, no next IFD.
    return Data {
        'E', 'x', 'i', 'f', 0, 0,  //
        'M', 'M', 0, 42, 0, 0, 0, 8,  //
        0, 1,  // one entry
        0x01, 0x12, 0, kTypeShort, 0, 0, 0, 1, static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number & 0xFF),
        0, 0,  //
        0, 0, 0, 0,  // no next IFD
    };
}

}  // namespace plat::detail
