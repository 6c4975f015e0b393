// Picture files are outside input: decoding any bytes as JPEG or PNG, whole,
// as far as they have arrived or reduced to a thumbnail, reading their
// header's size and orientation, and reading any APP1 payload as EXIF, must
// end in an image or none, within the bitmap limits, never a crash or a hang.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "platform/graphics/Image.h"
#include "platform/graphics/ImageDecoding.h"
#include "platform/graphics/ImageSource.h"
#include "platform/graphics/IncrementalImageSource.h"

namespace {

void checkWithinLimits(const std::shared_ptr<plat::Image>& image)
{
    if (image && !plat::Bitmap::isAllowedSize(image->bitmap()->width(), image->bitmap()->height()))
        __builtin_trap();
}

// The bytes as a download delivers them: a third, a half, all of them.
void decodeAsTheyArrive(const plat::Data& bytes)
{
    plat::IncrementalImageSource source;
    for (size_t length : {bytes.size() / 3, bytes.size() / 2, bytes.size()}) {
        source.updateData(plat::Data(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)),
            /*isFinal=*/false);
        (void)source.pixelSizeAtIndex0();
        checkWithinLimits(source.createImageAtIndex0());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    (void)plat::detail::exifOrientation(data, size);
    plat::Data bytes(data, data + size);
    checkWithinLimits(plat::Image::imageWithData(bytes));
    // The same bytes behind each signature, so both decoders see every input.
    static const uint8_t kJPEG[] = {0xFF, 0xD8, 0xFF};
    static const uint8_t kPNG[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const auto& [signature, length] : {std::pair {kJPEG, sizeof kJPEG}, std::pair {kPNG, sizeof kPNG}}) {
        plat::Data prefixed(signature, signature + length);
        prefixed.insert(prefixed.end(), data, data + size);
        (void)plat::Image::imageWithData(prefixed);
        (void)plat::imagePropertiesOfData(prefixed);
        auto thumbnail = plat::thumbnailImageWithData(prefixed, 64);
        if (thumbnail && std::max(thumbnail->bitmap()->width(), thumbnail->bitmap()->height()) > 64)
            __builtin_trap();
        decodeAsTheyArrive(prefixed);
    }
    return 0;
}
