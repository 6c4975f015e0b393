#include "platform/graphics/GIFEncoding.h"

#include <algorithm>
#include <cstring>
#include <gif_lib.h>
#include <libimagequant.h>
#include <limits>
#include <thread>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/UprightPixels.h"

namespace plat::detail {

namespace {

// libimagequant trades palette quality for time from 1 (best) to 10.
constexpr int kQuantizationSpeed = 6;
constexpr float kDitheringLevel = 1.0f;
constexpr int kMaxColours = 256;
// Below this alpha a pixel is the GIF's transparent colour; above it opaque.
constexpr int kTransparencyThreshold = 128;
constexpr int kNoTransparency = -1;
constexpr uint8_t kDisposeNone = DISPOSE_DO_NOT;
constexpr uint8_t kDisposeToBackground = DISPOSE_BACKGROUND;
// "GIF89a" and the logical screen descriptor: what giflib writes before a
// picture when there is no global colour table.
constexpr size_t kHeaderBytes = 13;
constexpr uint8_t kTrailer = 0x3B;

struct LiqAttrDeleter {
    void operator()(liq_attr* attr) const { liq_attr_destroy(attr); }
};
struct LiqImageDeleter {
    void operator()(liq_image* image) const { liq_image_destroy(image); }
};
struct LiqResultDeleter {
    void operator()(liq_result* result) const { liq_result_destroy(result); }
};
struct ColorMapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
struct GifFileDeleter {
    void operator()(GifFileType* file) const
    {
        int error = 0;
        EGifCloseFile(file, &error);
    }
};
using LiqAttrPtr = std::unique_ptr<liq_attr, LiqAttrDeleter>;
using LiqImagePtr = std::unique_ptr<liq_image, LiqImageDeleter>;
using LiqResultPtr = std::unique_ptr<liq_result, LiqResultDeleter>;
using ColorMapPtr = std::unique_ptr<ColorMapObject, ColorMapDeleter>;
using GifFilePtr = std::unique_ptr<GifFileType, GifFileDeleter>;

Error gifError(const std::string& text)
{
    return Error("ImageIOErrorDomain", -1, "GIF: " + text);
}

// Straight (not premultiplied) RGBA of the top-left width x height pixels;
// nearly transparent pixels become fully transparent, the rest opaque.
std::vector<uint8_t> straightRGBA(const Bitmap& bitmap, int width, int height, bool& hasTransparency)
{
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    bool bgra = bitmap.order() == PixelOrder::BGRA;
    bool opaque = bitmap.isOpaque();
    hasTransparency = false;
    uint8_t* out = rgba.data();
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = bitmap.row(y);
        for (int x = 0; x < width; ++x, in += 4, out += 4) {
            int red = in[bgra ? 2 : 0];
            int green = in[1];
            int blue = in[bgra ? 0 : 2];
            int alpha = opaque ? 255 : in[3];
            if (alpha < kTransparencyThreshold) {
                hasTransparency = true;
                std::memset(out, 0, 4);
                continue;
            }
            if (alpha < 255) {
                red = std::min(255, red * 255 / alpha);
                green = std::min(255, green * 255 / alpha);
                blue = std::min(255, blue * 255 / alpha);
            }
            out[0] = static_cast<uint8_t>(red);
            out[1] = static_cast<uint8_t>(green);
            out[2] = static_cast<uint8_t>(blue);
            out[3] = 255;
        }
    }
    return rgba;
}

int writeToData(GifFileType* file, const GifByteType* bytes, int length)
{
    auto* data = static_cast<Data*>(file->UserData);
    data->insert(data->end(), bytes, bytes + length);
    return length;
}

// giflib's output: the file, and the first failure to write it, whose
// reason (a full disk) giflib's own codes do not carry.
struct GIFOutput {
    AtomicFileWriter& writer;
    std::optional<Error> failure;
};

int writeToFile(GifFileType* file, const GifByteType* bytes, int length)
{
    auto* output = static_cast<GIFOutput*>(file->UserData);
    auto appended = output->writer.append(bytes, static_cast<size_t>(length));
    if (appended.ok())
        return length;
    if (!output->failure)
        output->failure = appended.error();
    return 0;
}

int colourMapSize(int colours)
{
    int size = 2;
    while (size < colours)
        size *= 2;
    return size;
}

std::string giflibText(int code)
{
    const char* text = GifErrorString(code);
    return text ? text : "error " + std::to_string(code);
}

}  // namespace

Result<Data> encodeGIFFrame(const Image& image, int screenWidth, int screenHeight, int delayCentiseconds)
{
    auto bitmap = uprightPixels(image);
    if (!bitmap)
        return gifError("cannot read the picture's pixels");
    int width = std::min(bitmap->width(), screenWidth);
    int height = std::min(bitmap->height(), screenHeight);
    bool hasTransparency = false;
    std::vector<uint8_t> rgba = straightRGBA(*bitmap, width, height, hasTransparency);

    LiqAttrPtr attr(liq_attr_create());
    if (!attr)
        return gifError("out of memory");
    liq_set_max_colors(attr.get(), kMaxColours);
    liq_set_speed(attr.get(), kQuantizationSpeed);
    LiqImagePtr liqImage(liq_image_create_rgba(attr.get(), rgba.data(), width, height, 0));
    if (!liqImage)
        return gifError("cannot quantise the picture");
    liq_result* rawResult = nullptr;
    if (liq_image_quantize(liqImage.get(), attr.get(), &rawResult) != LIQ_OK)
        return gifError("cannot quantise the picture");
    LiqResultPtr result(rawResult);
    liq_set_dithering_level(result.get(), kDitheringLevel);
    std::vector<uint8_t> indices(rgba.size() / 4);
    if (liq_write_remapped_image(result.get(), liqImage.get(), indices.data(), indices.size()) != LIQ_OK)
        return gifError("cannot remap the picture");
    const liq_palette* palette = liq_get_palette(result.get());

    ColorMapPtr colours(GifMakeMapObject(colourMapSize(static_cast<int>(palette->count)), nullptr));
    if (!colours)
        return gifError("out of memory");
    int transparentIndex = kNoTransparency;
    for (unsigned i = 0; i < palette->count; ++i) {
        const liq_color& colour = palette->entries[i];
        colours->Colors[i] = GifColorType {colour.r, colour.g, colour.b};
        if (hasTransparency && colour.a < kTransparencyThreshold && transparentIndex == kNoTransparency)
            transparentIndex = static_cast<int>(i);
    }
    for (int i = static_cast<int>(palette->count); i < colours->ColorCount; ++i)
        colours->Colors[i] = GifColorType {0, 0, 0};
    if (transparentIndex != kNoTransparency) {
        // The GIF has one transparent colour: every see-through entry becomes it.
        for (uint8_t& index : indices) {
            if (palette->entries[index].a < kTransparencyThreshold)
                index = static_cast<uint8_t>(transparentIndex);
        }
    }

    Data bytes;
    int error = 0;
    GifFilePtr gif(EGifOpen(&bytes, writeToData, &error));
    if (!gif)
        return gifError(giflibText(error));
    EGifSetGifVersion(gif.get(), true);
    GraphicsControlBlock control {};
    control.DisposalMode = transparentIndex != kNoTransparency ? kDisposeToBackground : kDisposeNone;
    control.UserInputFlag = false;
    control.DelayTime = std::clamp(delayCentiseconds, 0, 0xFFFF);
    control.TransparentColor = transparentIndex;
    GifByteType extension[4];
    size_t extensionLength = EGifGCBToExtension(&control, extension);
    if (EGifPutScreenDesc(gif.get(), screenWidth, screenHeight, 8, 0, nullptr) == GIF_ERROR
        || EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, static_cast<int>(extensionLength), extension)
            == GIF_ERROR
        || EGifPutImageDesc(gif.get(), 0, 0, width, height, false, colours.get()) == GIF_ERROR)
        return gifError(giflibText(gif->Error));
    for (int y = 0; y < height; ++y) {
        if (EGifPutLine(gif.get(), indices.data() + static_cast<size_t>(y) * static_cast<size_t>(width), width)
            == GIF_ERROR)
            return gifError(giflibText(gif->Error));
    }
    GifFileType* closing = gif.release();
    if (EGifCloseFile(closing, &error) == GIF_ERROR)
        return gifError(giflibText(error));
    // Keep the picture's own blocks: drop the header before them and the trailer after.
    if (bytes.size() <= kHeaderBytes + 1 || std::memcmp(bytes.data(), "GIF89a", 6) != 0 || (bytes[10] & 0x80) != 0
        || bytes.back() != kTrailer)
        return gifError("unexpected output of the GIF encoder");
    return Data(bytes.begin() + kHeaderBytes, bytes.end() - 1);
}

GIFFrameQueue::GIFFrameQueue()
    : _places(static_cast<long>(std::max(2u, std::thread::hardware_concurrency()) * 2))
{
}

GIFFrameQueue::~GIFFrameQueue()
{
    waitForAll();
}

void GIFFrameQueue::waitForAll()
{
    (void)_work.wait(std::numeric_limits<double>::infinity());
}

void GIFFrameQueue::add(std::shared_ptr<const Image> image, int delayCentiseconds)
{
    if (_frames.empty()) {
        Size size = image->size();
        _screenWidth = std::clamp(static_cast<int>(size.width * image->scale() + 0.5), 1, 0xFFFF);
        _screenHeight = std::clamp(static_cast<int>(size.height * image->scale() + 0.5), 1, 0xFFFF);
    }
    auto frame = std::make_shared<Frame>();
    _frames.push_back(frame);
    _places.wait();
    _work.async(DispatchQueue::globalQueue(),
        [this, frame, image = std::move(image), delayCentiseconds, width = _screenWidth, height = _screenHeight] {
            auto encoded = encodeGIFFrame(*image, width, height, delayCentiseconds);
            {
                std::lock_guard lock(_lock);
                if (encoded.ok())
                    frame->bytes = std::move(encoded).value();
                else
                    frame->error = encoded.error();
            }
            _places.signal();
        });
}

Result<void> GIFFrameQueue::writeFile(const std::string& path, std::optional<int64_t> loopCount)
{
    waitForAll();
    std::lock_guard lock(_lock);
    if (_frames.empty())
        return gifError("no pictures to write");
    for (const auto& frame : _frames) {
        if (frame->error)
            return *frame->error;
    }
    auto created = AtomicFileWriter::create(path);
    if (!created.ok())
        return created.error();
    AtomicFileWriter& writer = *created.value();
    GIFOutput output {writer, std::nullopt};
    auto writeFailure = [&] { return output.failure.value_or(gifError("cannot write " + path)); };
    int error = 0;
    GifFilePtr gif(EGifOpen(&output, writeToFile, &error));
    if (!gif)
        return gifError(giflibText(error));
    EGifSetGifVersion(gif.get(), true);
    if (EGifPutScreenDesc(gif.get(), _screenWidth, _screenHeight, 8, 0, nullptr) == GIF_ERROR)
        return writeFailure();
    if (loopCount) {
        // The NETSCAPE2.0 application extension: sub-block 1 holds the loop count.
        uint16_t loops = static_cast<uint16_t>(std::clamp<int64_t>(*loopCount, 0, 0xFFFF));
        GifByteType application[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
        GifByteType loopBlock[] = {1, static_cast<GifByteType>(loops & 0xFF), static_cast<GifByteType>(loops >> 8)};
        if (EGifPutExtensionLeader(gif.get(), APPLICATION_EXT_FUNC_CODE) == GIF_ERROR
            || EGifPutExtensionBlock(gif.get(), sizeof application, application) == GIF_ERROR
            || EGifPutExtensionBlock(gif.get(), sizeof loopBlock, loopBlock) == GIF_ERROR
            || EGifPutExtensionTrailer(gif.get()) == GIF_ERROR)
            return writeFailure();
    }
    for (const auto& frame : _frames) {
        auto appended = writer.append(frame->bytes->data(), frame->bytes->size());
        if (!appended.ok())
            return appended.error();
    }
    GifFileType* closing = gif.release();
    if (EGifCloseFile(closing, &error) == GIF_ERROR)
        return output.failure.value_or(gifError("cannot finish " + path + ": " + giflibText(error)));
    return writer.commit();
}

}  // namespace plat::detail
