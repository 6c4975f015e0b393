// PNG through libpng's simplified interface, which keeps libpng's longjmp
// error handling inside libpng.
#include <cstring>
#include <memory>
#include <png.h>

#include "platform/foundation/Log.h"
#include "platform/graphics/ImageDecoding.h"
#include "platform/graphics/ImageRepresentation.h"

namespace plat::detail {

namespace {

constexpr uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Premultiplies one row in place; returns whether every pixel was opaque.
bool premultiplyRow(uint8_t* row, int width)
{
    bool opaque = true;
    for (int x = 0; x < width; ++x, row += 4) {
        unsigned alpha = row[3];
        if (alpha == 255)
            continue;
        opaque = false;
        row[0] = static_cast<uint8_t>((row[0] * alpha + 127) / 255);
        row[1] = static_cast<uint8_t>((row[1] * alpha + 127) / 255);
        row[2] = static_cast<uint8_t>((row[2] * alpha + 127) / 255);
    }
    return opaque;
}

uint8_t unpremultiply(unsigned component, unsigned alpha)
{
    unsigned value = (component * 255 + alpha / 2) / alpha;
    return static_cast<uint8_t>(value > 255 ? 255 : value);
}

// --- partial pictures ---

// libpng's progressive reader, fed the bytes that have arrived. It reports
// errors by longjmp out of png_process_data and the callbacks below, so
// those keep no locals with destructors; the state lives in the caller.
struct PartialReader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    PartialPicture* picture = nullptr;
    PartialRows wanted = PartialRows::Skip;
    std::unique_ptr<RowCollector> rows;
    ~PartialReader() { png_destroy_read_struct(&png, &info, nullptr); }
};

// Partial pictures end in errors by design: none of them is worth a line on the console.
[[noreturn]] void leaveQuietly(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) { }

void readPartialInfo(png_structp png, png_infop info)
{
    auto* reader = static_cast<PartialReader*>(png_get_progressive_ptr(png));
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, &interlace, nullptr, nullptr);
    reader->picture->hasHeader = true;
    reader->picture->width = width;
    reader->picture->height = height;
    // Nothing more to learn: an interlaced picture has no complete top rows before its last pass.
    if (reader->wanted == PartialRows::Skip || interlace != PNG_INTERLACE_NONE || !Bitmap::isAllowedSize(width, height))
        png_error(png, "no rows wanted");
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4)
        png_error(png, "unexpected row layout");
    reader->rows = std::make_unique<RowCollector>(static_cast<int>(width), static_cast<int>(height));
}

void readPartialRow(png_structp png, png_bytep row, png_uint_32 rowNumber, int)
{
    auto* reader = static_cast<PartialReader*>(png_get_progressive_ptr(png));
    if (!row || !reader->rows || rowNumber != static_cast<png_uint_32>(reader->rows->rows()))
        return;
    uint8_t* to = reader->rows->nextRow();
    if (!to)
        return;
    const int width = static_cast<int>(reader->picture->width);
    std::memcpy(to, row, static_cast<size_t>(width) * 4);
    reader->rows->commitRow(premultiplyRow(to, width));
}

bool feedPartialReader(PartialReader& reader, const uint8_t* bytes, size_t length)
{
    if (setjmp(png_jmpbuf(reader.png)))
        return false;
    png_process_data(reader.png, reader.info, const_cast<png_bytep>(bytes), length);
    return true;
}

}  // namespace

PartialPicture decodePartialPNG(const uint8_t* bytes, size_t length, PartialRows wanted)
{
    PartialPicture picture;
    PartialReader reader;
    reader.picture = &picture;
    reader.wanted = wanted;
    reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, leaveQuietly, ignoreWarning);
    if (!reader.png)
        return picture;
    reader.info = png_create_info_struct(reader.png);
    if (!reader.info)
        return picture;
    png_set_progressive_read_fn(reader.png, &reader, readPartialInfo, readPartialRow, nullptr);
    // Ends early (by an error) once nothing more is wanted; the picture keeps what came before.
    (void)feedPartialReader(reader, bytes, length);
    if (reader.rows)
        picture.rows = reader.rows->finish();
    return picture;
}

bool looksLikePNG(const uint8_t* bytes, size_t length)
{
    return length >= sizeof kSignature && std::memcmp(bytes, kSignature, sizeof kSignature) == 0;
}

std::shared_ptr<Image> decodePNG(const uint8_t* bytes, size_t length, double scale)
{
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes, length)) {
        log("image: not a readable PNG: {}", png.message);
        return nullptr;
    }
    // Refused before anything of the picture's size is allocated.
    if (!Bitmap::isAllowedSize(png.width, png.height)) {
        log("image: refused a PNG of {} x {} pixels", png.width, png.height);
        png_image_free(&png);
        return nullptr;
    }
    auto bitmap = Bitmap::allocate(static_cast<int>(png.width), static_cast<int>(png.height), PixelOrder::BGRA);
    if (!bitmap) {
        png_image_free(&png);
        return nullptr;
    }
    png.format = PNG_FORMAT_BGRA;
    if (!png_image_finish_read(
            &png, nullptr, bitmap->mutableBytes(), static_cast<png_int_32>(bitmap->bytesPerRow()), nullptr)) {
        log("image: damaged PNG: {}", png.message);
        png_image_free(&png);
        return nullptr;
    }
    bool opaque = true;
    for (int y = 0; y < bitmap->height(); ++y)
        opaque = premultiplyRow(bitmap->mutableRow(y), bitmap->width()) && opaque;
    bitmap->setOpaque(opaque);
    return std::make_shared<Image>(std::move(bitmap), scale, ImageOrientation::Up);
}

}  // namespace plat::detail

namespace plat {

std::optional<Data> PNGRepresentation(const Image& image)
{
    const Bitmap& bitmap = *image.bitmap();
    bool opaque = bitmap.isOpaque();
    int channels = opaque ? 3 : 4;
    size_t rowBytes = static_cast<size_t>(bitmap.width()) * channels;
    auto straight = std::make_unique_for_overwrite<uint8_t[]>(rowBytes * bitmap.height());
    for (int y = 0; y < bitmap.height(); ++y) {
        const uint8_t* from = bitmap.row(y);
        uint8_t* to = straight.get() + rowBytes * y;
        for (int x = 0; x < bitmap.width(); ++x, from += 4, to += channels) {
            unsigned alpha = from[3];
            if (opaque || alpha == 255) {
                to[0] = from[0];
                to[1] = from[1];
                to[2] = from[2];
            } else if (alpha == 0) {
                to[0] = to[1] = to[2] = 0;
            } else {
                to[0] = detail::unpremultiply(from[0], alpha);
                to[1] = detail::unpremultiply(from[1], alpha);
                to[2] = detail::unpremultiply(from[2], alpha);
            }
            if (!opaque)
                to[3] = static_cast<uint8_t>(alpha);
        }
    }
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(bitmap.width());
    png.height = static_cast<png_uint_32>(bitmap.height());
    bool bgr = bitmap.order() == PixelOrder::BGRA;
    png.format = opaque ? (bgr ? PNG_FORMAT_BGR : PNG_FORMAT_RGB) : (bgr ? PNG_FORMAT_BGRA : PNG_FORMAT_RGBA);
    png_alloc_size_t capacity = PNG_IMAGE_PNG_SIZE_MAX(png);
    auto encoded = std::make_unique_for_overwrite<uint8_t[]>(capacity);
    png_alloc_size_t used = capacity;
    if (!png_image_write_to_memory(
            &png, encoded.get(), &used, 0, straight.get(), static_cast<png_int_32>(rowBytes), nullptr)) {
        log("image: PNG encoding failed: {}", png.message);
        png_image_free(&png);
        return std::nullopt;
    }
    return Data(encoded.get(), encoded.get() + used);
}

}  // namespace plat
