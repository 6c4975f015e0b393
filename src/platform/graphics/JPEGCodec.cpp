// JPEG through libjpeg-turbo. libjpeg reports fatal errors by longjmp, so the
// functions that call it keep only trivially destructible locals between
// setjmp and the last libjpeg call; everything with a destructor lives in the
// caller's frame.
#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <functional>
#include <jpeglib.h>
// jerror.h after jpeglib.h: it needs its types.
#include <jerror.h>

#include "platform/foundation/Log.h"
#include "platform/graphics/ImageDecoding.h"
#include "platform/graphics/ImageRepresentation.h"

namespace plat::detail {

namespace {

// A progressive file can ask for thousands of scans, each a pass over the
// whole picture: a small file that takes minutes. No real encoder writes more than a few dozen.
constexpr int kMaxProgressiveScans = 500;
// libjpeg's own working memory (coefficient buffers of progressive pictures).
constexpr long kMaxDecoderMemory = 768L << 20;

struct ErrorManager {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    bool sawPrematureEnd;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void exitOnError(j_common_ptr info)
{
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void noteMessage(j_common_ptr info, int level)
{
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    // Level -1 is a warning about damaged data. A picture cut short is
    // refused rather than shown with a grey remainder.
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
        errors->sawPrematureEnd = true;
}

void installErrorManager(ErrorManager& errors)
{
    jpeg_std_error(&errors.manager);
    errors.manager.error_exit = exitOnError;
    errors.manager.emit_message = noteMessage;
    errors.sawPrematureEnd = false;
    errors.message[0] = '\0';
}

void limitScans(j_common_ptr info)
{
    if (info->is_decompressor) {
        auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
        if (decompress->input_scan_number > kMaxProgressiveScans)
            ERREXIT(info, JERR_NOT_COMPILED);  // any fatal code: ends the decode through exitOnError
    }
}

ImageOrientation orientationOf(const jpeg_decompress_struct& info)
{
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next) {
        if (marker->marker != JPEG_APP0 + 1)
            continue;
        if (auto orientation = exifOrientation(marker->data, marker->data_length))
            return *orientation;
    }
    return ImageOrientation::Up;
}

struct Decoder {
    jpeg_decompress_struct info;
    ErrorManager errors;
    jpeg_progress_mgr progress;
    ImageOrientation orientation = ImageOrientation::Up;
    bool created = false;
    ~Decoder()
    {
        if (created)
            jpeg_destroy_decompress(&info);
    }
};

void chooseOutputColorSpace(jpeg_decompress_struct& info)
{
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK)
        info.out_color_space = JCS_CMYK;
    else
        info.out_color_space = JCS_EXT_BGRA;
}

bool readHeader(Decoder& decoder, const uint8_t* bytes, size_t length)
{
    installErrorManager(decoder.errors);
    decoder.info.err = &decoder.errors.manager;
    if (setjmp(decoder.errors.jump))
        return false;
    jpeg_create_decompress(&decoder.info);
    decoder.created = true;
    decoder.info.mem->max_memory_to_use = kMaxDecoderMemory;
    decoder.progress.progress_monitor = limitScans;
    decoder.info.progress = &decoder.progress;
    jpeg_mem_src(&decoder.info, bytes, static_cast<unsigned long>(length));
    jpeg_save_markers(&decoder.info, JPEG_APP0 + 1, 0xFFFF);
    if (jpeg_read_header(&decoder.info, TRUE) != JPEG_HEADER_OK)
        return false;
    // Saved markers live in the picture's memory pool, which finishing the decode frees.
    decoder.orientation = orientationOf(decoder.info);
    chooseOutputColorSpace(decoder.info);
    return true;
}

// The full size, or (minimumLongerSide above 0) the smallest of libjpeg's
// scaled inverse DCTs (n/8 of the size) whose output keeps the longer side
// at least minimumLongerSide. Decoding at a fraction does a fraction of the work.
bool chooseOutputSize(Decoder& decoder, int minimumLongerSide)
{
    if (setjmp(decoder.errors.jump))
        return false;
    constexpr unsigned kEighths = 8;
    JDIMENSION longer = std::max(decoder.info.image_width, decoder.info.image_height);
    decoder.info.scale_denom = kEighths;
    decoder.info.scale_num = kEighths;
    for (unsigned eighths = 1; minimumLongerSide > 0 && eighths < kEighths; ++eighths) {
        // libjpeg rounds the scaled size up.
        if ((static_cast<uint64_t>(longer) * eighths + kEighths - 1) / kEighths
            >= static_cast<uint64_t>(minimumLongerSide)) {
            decoder.info.scale_num = eighths;
            break;
        }
    }
    jpeg_calc_output_dimensions(&decoder.info);
    return true;
}

// Adobe writes CMYK inverted: a component of 255 is no ink.
void convertInvertedCMYKToBGRA(uint8_t* row, int width)
{
    for (int x = 0; x < width; ++x, row += 4) {
        unsigned c = row[0], m = row[1], y = row[2], k = row[3];
        row[0] = static_cast<uint8_t>((y * k + 127) / 255);
        row[1] = static_cast<uint8_t>((m * k + 127) / 255);
        row[2] = static_cast<uint8_t>((c * k + 127) / 255);
        row[3] = 255;
    }
}

bool readPixels(Decoder& decoder, Bitmap& bitmap)
{
    if (setjmp(decoder.errors.jump))
        return false;
    jpeg_start_decompress(&decoder.info);
    if (static_cast<int>(decoder.info.output_width) != bitmap.width()
        || static_cast<int>(decoder.info.output_height) != bitmap.height() || decoder.info.output_components != 4)
        return false;
    bool cmyk = decoder.info.out_color_space == JCS_CMYK;
    while (decoder.info.output_scanline < decoder.info.output_height) {
        int y = static_cast<int>(decoder.info.output_scanline);
        JSAMPROW row = bitmap.mutableRow(y);
        if (jpeg_read_scanlines(&decoder.info, &row, 1) != 1)
            return false;
        if (cmyk)
            convertInvertedCMYKToBGRA(row, bitmap.width());
        if (decoder.errors.sawPrematureEnd)
            return false;
    }
    jpeg_finish_decompress(&decoder.info);
    return !decoder.errors.sawPrematureEnd;
}

// Compressed bytes grow in an uninitialised buffer (a std::vector would zero
// every byte it grows by) and are copied out once at the end.
struct GrowingBuffer {
    jpeg_destination_mgr manager;
    std::unique_ptr<uint8_t[]> bytes;
    size_t capacity = 0;
    size_t used = 0;
};

void startBuffer(j_compress_ptr info)
{
    auto* buffer = reinterpret_cast<GrowingBuffer*>(info->dest);
    buffer->manager.next_output_byte = buffer->bytes.get();
    buffer->manager.free_in_buffer = buffer->capacity;
}

boolean growBuffer(j_compress_ptr info)
{
    auto* buffer = reinterpret_cast<GrowingBuffer*>(info->dest);
    // Called when the whole buffer is full.
    size_t capacity = buffer->capacity * 2;
    auto bytes = std::make_unique_for_overwrite<uint8_t[]>(capacity);
    std::memcpy(bytes.get(), buffer->bytes.get(), buffer->capacity);
    buffer->bytes = std::move(bytes);
    buffer->manager.next_output_byte = buffer->bytes.get() + buffer->capacity;
    buffer->manager.free_in_buffer = capacity - buffer->capacity;
    buffer->capacity = capacity;
    return TRUE;
}

void finishBuffer(j_compress_ptr info)
{
    auto* buffer = reinterpret_cast<GrowingBuffer*>(info->dest);
    buffer->used = buffer->capacity - buffer->manager.free_in_buffer;
}

// Compressed bytes handed to a sink in pieces as the encoder makes them.
struct SinkBuffer {
    jpeg_destination_mgr manager;
    std::unique_ptr<uint8_t[]> bytes;
    size_t capacity = 0;
    const std::function<bool(const uint8_t*, size_t)>* sink = nullptr;
};

void startSinkBuffer(j_compress_ptr info)
{
    auto* buffer = reinterpret_cast<SinkBuffer*>(info->dest);
    buffer->manager.next_output_byte = buffer->bytes.get();
    buffer->manager.free_in_buffer = buffer->capacity;
}

boolean passFullSinkBuffer(j_compress_ptr info)
{
    auto* buffer = reinterpret_cast<SinkBuffer*>(info->dest);
    if (!(*buffer->sink)(buffer->bytes.get(), buffer->capacity))
        ERREXIT(info, JERR_FILE_WRITE);
    startSinkBuffer(info);
    return TRUE;
}

void passLastSinkBytes(j_compress_ptr info)
{
    auto* buffer = reinterpret_cast<SinkBuffer*>(info->dest);
    size_t used = buffer->capacity - buffer->manager.free_in_buffer;
    if (used > 0 && !(*buffer->sink)(buffer->bytes.get(), used))
        ERREXIT(info, JERR_FILE_WRITE);
}

struct Encoder {
    jpeg_compress_struct info;
    ErrorManager errors;
    jpeg_destination_mgr* destination = nullptr;
    bool created = false;
    ~Encoder()
    {
        if (created)
            jpeg_destroy_compress(&info);
    }
};

bool compress(Encoder& encoder, const Bitmap& bitmap, int quality, const Data* exifPayload)
{
    installErrorManager(encoder.errors);
    encoder.info.err = &encoder.errors.manager;
    if (setjmp(encoder.errors.jump))
        return false;
    jpeg_create_compress(&encoder.info);
    encoder.created = true;
    encoder.info.dest = encoder.destination;
    encoder.info.image_width = static_cast<JDIMENSION>(bitmap.width());
    encoder.info.image_height = static_cast<JDIMENSION>(bitmap.height());
    encoder.info.input_components = 4;
    encoder.info.in_color_space = bitmap.order() == PixelOrder::BGRA ? JCS_EXT_BGRX : JCS_EXT_RGBX;
    jpeg_set_defaults(&encoder.info);
    jpeg_set_quality(&encoder.info, quality, TRUE);
    jpeg_start_compress(&encoder.info, TRUE);
    if (exifPayload)
        jpeg_write_marker(
            &encoder.info, JPEG_APP0 + 1, exifPayload->data(), static_cast<unsigned>(exifPayload->size()));
    // The rows are handed over in place: libjpeg-turbo converts BGRX/RGBX to YCbCr with SIMD.
    constexpr int kRowsPerCall = 16;
    JSAMPROW rows[kRowsPerCall];
    while (encoder.info.next_scanline < encoder.info.image_height) {
        int first = static_cast<int>(encoder.info.next_scanline);
        int count = std::min(kRowsPerCall, bitmap.height() - first);
        for (int i = 0; i < count; ++i)
            rows[i] = const_cast<JSAMPROW>(bitmap.row(first + i));  // libjpeg only reads the rows
        jpeg_write_scanlines(&encoder.info, rows, static_cast<JDIMENSION>(count));
    }
    jpeg_finish_compress(&encoder.info);
    return true;
}

// The platform's 0...1 as libjpeg's 1...100.
int libjpegQuality(double compressionQuality)
{
    double clamped = std::isnan(compressionQuality) ? 1.0 : std::clamp(compressionQuality, 0.0, 1.0);
    return std::max(1, static_cast<int>(std::lround(clamped * 100)));
}

// A first guess of the compressed size, so that most pictures need no regrowth.
size_t expectedCompressedBytes(const Bitmap& bitmap, int quality)
{
    double bytesPerPixel = quality >= 95 ? 1.5 : quality >= 80 ? 0.6 : 0.3;
    size_t guess = static_cast<size_t>(bitmap.width() * static_cast<double>(bitmap.height()) * bytesPerPixel);
    return std::max<size_t>(guess, 16 * 1024);
}

// --- partial pictures ---

// A source that holds only the bytes that have arrived: past them libjpeg
// suspends (returns "not yet") instead of reading a made-up end of picture,
// so every row it hands out is real.
boolean suspendAtEnd(j_decompress_ptr)
{
    return FALSE;
}

void skipWithinArrived(j_decompress_ptr info, long count)
{
    jpeg_source_mgr& source = *info->src;
    if (count <= 0)
        return;
    // A skip past the arrived bytes leaves nothing to read: the next read suspends.
    size_t skipped = std::min(static_cast<size_t>(count), source.bytes_in_buffer);
    source.next_input_byte += skipped;
    source.bytes_in_buffer -= skipped;
}

void ignoreSource(j_decompress_ptr) { }

struct PartialDecoder {
    jpeg_decompress_struct info;
    ErrorManager errors;
    jpeg_progress_mgr progress;
    jpeg_source_mgr source;
    bool created = false;
    ~PartialDecoder()
    {
        if (created)
            jpeg_destroy_decompress(&info);
    }
};

enum class Step { Done, Suspended, Failed };

enum class ExifMarkers { Skip, Keep };

Step readPartialHeader(
    PartialDecoder& decoder, const uint8_t* bytes, size_t length, ExifMarkers exif = ExifMarkers::Skip)
{
    installErrorManager(decoder.errors);
    decoder.info.err = &decoder.errors.manager;
    if (setjmp(decoder.errors.jump))
        return Step::Failed;
    jpeg_create_decompress(&decoder.info);
    decoder.created = true;
    decoder.info.mem->max_memory_to_use = kMaxDecoderMemory;
    decoder.progress.progress_monitor = limitScans;
    decoder.info.progress = &decoder.progress;
    decoder.source.next_input_byte = bytes;
    decoder.source.bytes_in_buffer = length;
    decoder.source.init_source = ignoreSource;
    decoder.source.fill_input_buffer = suspendAtEnd;
    decoder.source.skip_input_data = skipWithinArrived;
    decoder.source.resync_to_restart = jpeg_resync_to_restart;
    decoder.source.term_source = ignoreSource;
    decoder.info.src = &decoder.source;
    if (exif == ExifMarkers::Keep)
        jpeg_save_markers(&decoder.info, JPEG_APP0 + 1, 0xFFFF);
    int read = jpeg_read_header(&decoder.info, TRUE);
    if (read == JPEG_SUSPENDED)
        return Step::Suspended;
    if (read != JPEG_HEADER_OK)
        return Step::Failed;
    chooseOutputColorSpace(decoder.info);
    return Step::Done;
}

// A progressive picture suspends here until all its scans are in.
Step startPartialPixels(PartialDecoder& decoder)
{
    if (setjmp(decoder.errors.jump))
        return Step::Failed;
    if (!jpeg_start_decompress(&decoder.info))
        return Step::Suspended;
    return decoder.info.output_components == 4 ? Step::Done : Step::Failed;
}

Step readPartialRow(PartialDecoder& decoder, uint8_t* row)
{
    if (setjmp(decoder.errors.jump))
        return Step::Failed;
    JSAMPROW rows[] = {row};
    return jpeg_read_scanlines(&decoder.info, rows, 1) == 1 ? Step::Done : Step::Suspended;
}

}  // namespace

PartialPicture decodePartialJPEG(const uint8_t* bytes, size_t length, PartialRows wanted)
{
    PartialPicture picture;
    PartialDecoder decoder;
    if (readPartialHeader(decoder, bytes, length) != Step::Done)
        return picture;
    picture.hasHeader = true;
    picture.width = decoder.info.image_width;
    picture.height = decoder.info.image_height;
    if (wanted == PartialRows::Skip || !Bitmap::isAllowedSize(picture.width, picture.height))
        return picture;
    if (startPartialPixels(decoder) != Step::Done)
        return picture;
    const int width = static_cast<int>(decoder.info.output_width);
    const bool cmyk = decoder.info.out_color_space == JCS_CMYK;
    RowCollector rows(width, static_cast<int>(decoder.info.output_height));
    while (uint8_t* row = rows.nextRow()) {
        if (readPartialRow(decoder, row) != Step::Done)
            break;
        if (cmyk)
            convertInvertedCMYKToBGRA(row, width);
        rows.commitRow(/*rowIsOpaque=*/true);
    }
    picture.rows = rows.finish();
    return picture;
}

std::optional<PictureHeader> readJPEGHeader(const uint8_t* bytes, size_t length)
{
    PartialDecoder decoder;
    if (readPartialHeader(decoder, bytes, length, ExifMarkers::Keep) != Step::Done)
        return std::nullopt;
    return PictureHeader {decoder.info.image_width, decoder.info.image_height, orientationOf(decoder.info)};
}

bool looksLikeJPEG(const uint8_t* bytes, size_t length)
{
    return length >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

std::shared_ptr<Image> decodeJPEG(const uint8_t* bytes, size_t length, double scale)
{
    return decodeJPEG(bytes, length, scale, 0);
}

std::shared_ptr<Image> decodeJPEG(const uint8_t* bytes, size_t length, double scale, int minimumLongerSide)
{
    Decoder decoder;
    if (!readHeader(decoder, bytes, length)) {
        log("image: not a readable JPEG: {}", decoder.errors.message);
        return nullptr;
    }
    // Refused before anything of the picture's size is allocated, whatever
    // size it is decoded at: the limits are about the picture.
    if (!Bitmap::isAllowedSize(decoder.info.image_width, decoder.info.image_height)) {
        log("image: refused a JPEG of {} x {} pixels", decoder.info.image_width, decoder.info.image_height);
        return nullptr;
    }
    if (!chooseOutputSize(decoder, minimumLongerSide))
        return nullptr;
    auto bitmap = Bitmap::allocate(
        static_cast<int>(decoder.info.output_width), static_cast<int>(decoder.info.output_height), PixelOrder::BGRA);
    if (!bitmap)
        return nullptr;
    if (!readPixels(decoder, *bitmap)) {
        log("image: damaged JPEG: {}", decoder.errors.sawPrematureEnd ? "it ends early" : decoder.errors.message);
        return nullptr;
    }
    bitmap->setOpaque(true);
    return std::make_shared<Image>(std::move(bitmap), scale, decoder.orientation);
}

}  // namespace plat::detail

namespace plat {

std::optional<Data> JPEGRepresentation(const Image& image, double compressionQuality)
{
    const Bitmap& bitmap = *image.bitmap();
    int quality = detail::libjpegQuality(compressionQuality);
    std::optional<Data> exif;
    if (image.imageOrientation() != ImageOrientation::Up)
        exif = detail::exifOrientationPayload(image.imageOrientation());
    detail::GrowingBuffer buffer;
    buffer.manager.init_destination = detail::startBuffer;
    buffer.manager.empty_output_buffer = detail::growBuffer;
    buffer.manager.term_destination = detail::finishBuffer;
    buffer.capacity = detail::expectedCompressedBytes(bitmap, quality);
    buffer.bytes = std::make_unique_for_overwrite<uint8_t[]>(buffer.capacity);
    detail::Encoder encoder;
    encoder.destination = &buffer.manager;
    if (!detail::compress(encoder, bitmap, quality, exif ? &*exif : nullptr)) {
        log("image: JPEG encoding failed: {}", encoder.errors.message);
        return std::nullopt;
    }
    const uint8_t* begin = buffer.bytes.get();
    return Data(begin, begin + buffer.used);
}

bool writeJPEGRepresentation(
    const Image& image, double compressionQuality, const std::function<bool(const uint8_t*, size_t)>& sink)
{
    constexpr size_t kPieceBytes = 256 * 1024;
    std::optional<Data> exif;
    if (image.imageOrientation() != ImageOrientation::Up)
        exif = detail::exifOrientationPayload(image.imageOrientation());
    detail::SinkBuffer buffer;
    buffer.manager.init_destination = detail::startSinkBuffer;
    buffer.manager.empty_output_buffer = detail::passFullSinkBuffer;
    buffer.manager.term_destination = detail::passLastSinkBytes;
    buffer.capacity = kPieceBytes;
    buffer.bytes = std::make_unique_for_overwrite<uint8_t[]>(kPieceBytes);
    buffer.sink = &sink;
    detail::Encoder encoder;
    encoder.destination = &buffer.manager;
    if (!detail::compress(
            encoder, *image.bitmap(), detail::libjpegQuality(compressionQuality), exif ? &*exif : nullptr)) {
        log("image: JPEG encoding failed: {}", encoder.errors.message);
        return false;
    }
    return true;
}

}  // namespace plat
