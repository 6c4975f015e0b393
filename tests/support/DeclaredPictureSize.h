#pragma once
// Pictures whose headers claim another size than their pixels have, for
// tests of readers that must refuse absurd sizes before allocating them
// (header only).
#include <cstddef>
#include <cstdint>

#include "platform/foundation/Value.h"

namespace plat::test {

inline uint32_t crc32(const uint8_t* bytes, size_t length)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

inline void putBigEndian32(Data& data, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        data[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

// The PNG with its IHDR chunk (right after the signature: length, "IHDR",
// width, height, ... and the chunk's CRC) declaring width x height.
inline Data withDeclaredPNGSize(Data png, uint32_t width, uint32_t height)
{
    putBigEndian32(png, 16, width);
    putBigEndian32(png, 20, height);
    putBigEndian32(png, 29, crc32(png.data() + 12, 17));
    return png;
}

// The baseline JPEG with its start-of-frame segment (height and width after
// the marker, the length and the precision) declaring width x height.
inline Data withDeclaredJPEGSize(Data jpeg, uint16_t width, uint16_t height)
{
    for (size_t i = 2; i + 8 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = static_cast<uint8_t>(height >> 8);
            jpeg[i + 6] = static_cast<uint8_t>(height & 0xFF);
            jpeg[i + 7] = static_cast<uint8_t>(width >> 8);
            jpeg[i + 8] = static_cast<uint8_t>(width & 0xFF);
            break;
        }
    }
    return jpeg;
}

}  // namespace plat::test
