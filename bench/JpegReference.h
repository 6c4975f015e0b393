#pragma once
// The reference for picture encoding: libjpeg-turbo called directly, into
// memory, from BGRA pixels already at their size.
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <vector>

#include "platform/graphics/Bitmap.h"

namespace zt::bench {

// Encodes width x height BGRA pixels in rows bytesPerRow apart with
// libjpeg-turbo's default settings at the quality given (0 to 100), and
// gives the JPEG's bytes to take(bytes, size) before they are freed.
template <typename Take>
auto encodeRowsInto(const uint8_t* pixels, size_t bytesPerRow, int width, int height, int quality, Take take)
{
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels + info.next_scanline * bytesPerRow);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    auto taken = take(static_cast<const uint8_t*>(out), static_cast<size_t>(size));
    std::free(out);
    return taken;
}

inline std::vector<uint8_t> encodeRows(const uint8_t* pixels, size_t bytesPerRow, int width, int height, int quality)
{
    return encodeRowsInto(pixels, bytesPerRow, width, height, quality,
        [](const uint8_t* bytes, size_t size) { return std::vector<uint8_t>(bytes, bytes + size); });
}

// The encoded size in bytes.
inline size_t encodeDirectly(const plat::Bitmap& bitmap, int quality)
{
    return encodeRowsInto(bitmap.bytes(), bitmap.bytesPerRow(), bitmap.width(), bitmap.height(), quality,
        [](const uint8_t*, size_t size) { return size; });
}

}  // namespace zt::bench
