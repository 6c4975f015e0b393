// Picture files are outside input: decoding any bytes as JPEG or PNG, and
// reading any APP1 payload as EXIF, must end in an image or none, within the
// bitmap limits, never a crash or a hang.
#include <cstddef>
#include <cstdint>

#include "platform/graphics/Image.h"
#include "platform/graphics/ImageDecoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    (void)plat::detail::exifOrientation(data, size);
    plat::Data bytes(data, data + size);
    if (auto image = plat::Image::imageWithData(bytes)) {
        const plat::Bitmap& bitmap = *image->bitmap();
        if (!plat::Bitmap::isAllowedSize(bitmap.width(), bitmap.height()))
            __builtin_trap();
    }
    // The same bytes behind each signature, so both decoders see every input.
    static const uint8_t kJPEG[] = {0xFF, 0xD8, 0xFF};
    static const uint8_t kPNG[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const auto& [signature, length] : {std::pair {kJPEG, sizeof kJPEG}, std::pair {kPNG, sizeof kPNG}}) {
        plat::Data prefixed(signature, signature + length);
        prefixed.insert(prefixed.end(), data, data + size);
        (void)plat::Image::imageWithData(prefixed);
    }
    return 0;
}
