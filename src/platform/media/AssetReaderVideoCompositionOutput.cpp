#include "platform/media/AssetReaderVideoCompositionOutput.h"

#include <algorithm>
#include <cstring>

#include "platform/graphics/PixelBuffer.h"
#include "platform/media/AssetReader.h"
#include "platform/media/AssetWriterInputPixelBufferAdaptor.h"
#include "platform/media/FFmpegSupport.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/PixelBufferConverter.h"
#include "platform/media/SampleBuffer.h"
#include "platform/media/TrackPictureReader.h"
#include "platform/media/VideoComposition.h"

namespace plat {

namespace {

constexpr int kMaxRenderEdge = 8192;

Error outputError(const std::string& text)
{
    return Error(kMediaErrorDomain, kMediaErrorUnknown, "video composition output: " + text);
}

// The picture scaled by scale (BGRA), or the picture itself at scale 1.
Result<std::shared_ptr<PixelBuffer>> scaledPicture(const std::shared_ptr<PixelBuffer>& picture, double scale)
{
    if (scale == 1.0)
        return picture;
    const int width = std::max(1, static_cast<int>(picture->width() * scale));
    const int height = std::max(1, static_cast<int>(picture->height() * scale));
    auto made = PixelBuffer::create(width, height, kPixelFormatType_32BGRA);
    if (!made.ok())
        return made.error();
    detail::SwsContextPtr scaler(sws_getContext(picture->width(), picture->height(), AV_PIX_FMT_BGRA, width, height,
        AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!scaler)
        return outputError("cannot scale a picture");
    auto& target = *made.value();
    picture->lockBaseAddress();
    target.lockBaseAddress();
    const uint8_t* from[] = {picture->baseAddress()};
    const int fromStrides[] = {static_cast<int>(picture->bytesPerRow())};
    uint8_t* to[] = {target.baseAddress()};
    const int toStrides[] = {static_cast<int>(target.bytesPerRow())};
    sws_scale(scaler.get(), from, fromStrides, 0, picture->height(), to, toStrides);
    target.unlockBaseAddress();
    picture->unlockBaseAddress();
    return made.value();
}

// Draws the BGRA picture at opacity over the top-left corner of the BGRA canvas.
void drawOver(PixelBuffer& canvas, PixelBuffer& picture, float opacity)
{
    const int width = std::min(canvas.width(), picture.width());
    const int height = std::min(canvas.height(), picture.height());
    const int weight = static_cast<int>(opacity * 256.0f + 0.5f);
    picture.lockBaseAddress();
    for (int y = 0; y < height; ++y) {
        uint8_t* to = canvas.baseAddress() + static_cast<size_t>(y) * canvas.bytesPerRow();
        const uint8_t* from = picture.baseAddress() + static_cast<size_t>(y) * picture.bytesPerRow();
        if (weight >= 256) {
            std::memcpy(to, from, static_cast<size_t>(width) * 4);
            continue;
        }
        for (int i = 0; i < width * 4; ++i)
            to[i] = static_cast<uint8_t>((from[i] * weight + to[i] * (256 - weight)) >> 8);
    }
    picture.unlockBaseAddress();
}

// The locked BGRA canvas as a new ARGB buffer.
Result<std::shared_ptr<PixelBuffer>> copyAsARGB(PixelBuffer& canvas)
{
    auto made = PixelBuffer::create(canvas.width(), canvas.height(), kPixelFormatType_32ARGB);
    if (!made.ok())
        return made.error();
    PixelBuffer& argb = *made.value();
    argb.lockBaseAddress();
    for (int y = 0; y < canvas.height(); ++y) {
        const uint8_t* from = canvas.baseAddress() + static_cast<size_t>(y) * canvas.bytesPerRow();
        uint8_t* to = argb.baseAddress() + static_cast<size_t>(y) * argb.bytesPerRow();
        for (int x = 0; x < canvas.width(); ++x) {
            const uint8_t* p = from + static_cast<size_t>(x) * 4;
            uint8_t* q = to + static_cast<size_t>(x) * 4;
            q[0] = p[3];
            q[1] = p[2];
            q[2] = p[1];
            q[3] = p[0];
        }
    }
    argb.unlockBaseAddress();
    return made.value();
}

}  // namespace

AssetReaderVideoCompositionOutput::AssetReaderVideoCompositionOutput(
    std::vector<std::shared_ptr<AssetTrack>> videoTracks, std::optional<Dictionary> videoSettings)
    : _videoTracks(std::move(videoTracks))
    , _videoSettings(std::move(videoSettings))
{
}

AssetReaderVideoCompositionOutput::~AssetReaderVideoCompositionOutput() = default;

std::shared_ptr<AssetReaderVideoCompositionOutput>
AssetReaderVideoCompositionOutput::assetReaderVideoCompositionOutputWithVideoTracks(
    std::vector<std::shared_ptr<AssetTrack>> videoTracks, std::optional<Dictionary> videoSettings)
{
    return std::make_shared<AssetReaderVideoCompositionOutput>(std::move(videoTracks), std::move(videoSettings));
}

std::optional<uint32_t> AssetReaderVideoCompositionOutput::pixelFormat() const
{
    if (!_videoSettings)
        return std::nullopt;
    auto format = _videoSettings->getInt64(kPixelBufferPixelFormatTypeKey);
    if (!format || *format < 0 || !PixelBuffer::isSupportedPixelFormat(static_cast<uint32_t>(*format)))
        return std::nullopt;
    return static_cast<uint32_t>(*format);
}

Result<void> AssetReaderVideoCompositionOutput::validate() const
{
    if (_videoTracks.empty())
        return outputError("no video tracks to put together");
    for (const auto& track : _videoTracks) {
        if (!track || track->mediaType() != kMediaTypeVideo)
            return outputError("only video tracks can be put together");
    }
    if (!pixelFormat())
        return outputError("pictures are made as pixel buffers of 32-bit BGRA or ARGB pixels or 4:2:0 planes");
    if (!_videoComposition)
        return outputError("a video composition is needed");
    const Size size = _videoComposition->renderSize();
    const double scale = _videoComposition->renderScale();
    const MediaTime frameDuration = _videoComposition->frameDuration();
    if (!(scale > 0) || !(size.width * scale >= 1 && size.height * scale >= 1) || size.width * scale > kMaxRenderEdge
        || size.height * scale > kMaxRenderEdge)
        return outputError("the render size gives no picture that can be made");
    if (!frameDuration.isNumeric() || frameDuration <= MediaTime::zero())
        return outputError("the frame duration must be a positive time");
    return {};
}

Result<void> AssetReaderVideoCompositionOutput::prepare(
    const std::shared_ptr<AssetReader>& reader, const MediaTimeRange& timeRange)
{
    auto valid = validate();
    if (!valid.ok())
        return valid;
    std::map<int32_t, std::unique_ptr<detail::TrackPictureReader>> pictures;
    MediaTime end = MediaTime::zero();
    for (const auto& track : _videoTracks) {
        pictures[track->trackID()] = std::make_unique<detail::TrackPictureReader>(track, kPixelFormatType_32BGRA);
        const MediaTime trackEnd = track->timeRange().end();
        if (trackEnd > end)
            end = trackEnd;
    }
    if (timeRange.end().isNumeric() && timeRange.end() < end)
        end = timeRange.end();
    std::lock_guard lock(_lock);
    _reader = reader;
    _pictures = std::move(pictures);
    _next = timeRange.start.isNumeric() ? timeRange.start : MediaTime::zero();
    _end = end;
    _ended = false;
    return {};
}

Result<std::shared_ptr<const SampleBuffer>> AssetReaderVideoCompositionOutput::composeAt(const MediaTime& time)
{
    const double scale = _videoComposition->renderScale();
    const Size size = _videoComposition->renderSize();
    auto made = PixelBuffer::create(
        static_cast<int>(size.width * scale), static_cast<int>(size.height * scale), kPixelFormatType_32BGRA);
    if (!made.ok())
        return made.error();
    PixelBuffer& canvas = *made.value();
    canvas.lockBaseAddress();
    for (int y = 0; y < canvas.height(); ++y) {
        uint8_t* row = canvas.baseAddress() + static_cast<size_t>(y) * canvas.bytesPerRow();
        for (int x = 0; x < canvas.width(); ++x) {
            const uint8_t black[] = {0, 0, 0, 255};
            std::memcpy(row + static_cast<size_t>(x) * 4, black, 4);
        }
    }
    if (auto instruction = _videoComposition->instructionAtTime(time)) {
        // The first layer is on top: drawn last.
        const auto& layers = instruction->layerInstructions();
        for (auto layer = layers.rbegin(); layer != layers.rend(); ++layer) {
            auto reader = _pictures.find((*layer)->trackID());
            const float opacity = (*layer)->opacityAtTime(time);
            if (reader == _pictures.end() || opacity <= 0)
                continue;
            auto picture = reader->second->pictureAtTime(time);
            if (!picture.ok()) {
                canvas.unlockBaseAddress();
                return picture.error();
            }
            if (!picture.value())
                continue;
            auto scaled = scaledPicture(picture.value()->pixelBuffer, scale);
            if (!scaled.ok()) {
                canvas.unlockBaseAddress();
                return scaled.error();
            }
            drawOver(canvas, *scaled.value(), opacity);
        }
    }
    if (PixelBuffer::isBiPlanarPixelFormat(*pixelFormat())) {
        // Composed as BGRA, handed out as planes.
        auto planes = PixelBuffer::create(canvas.width(), canvas.height(), *pixelFormat());
        if (!planes.ok()) {
            canvas.unlockBaseAddress();
            return planes.error();
        }
        if (!_planeConverter)
            _planeConverter = std::make_unique<detail::PixelBufferConverter>();
        auto converted = _planeConverter->convert(canvas, *planes.value());
        canvas.unlockBaseAddress();
        if (!converted.ok())
            return converted.error();
        return SampleBuffer::createForImageBuffer(planes.value(), time);
    }
    if (*pixelFormat() == kPixelFormatType_32ARGB) {
        auto argb = copyAsARGB(canvas);
        canvas.unlockBaseAddress();
        if (!argb.ok())
            return argb.error();
        return SampleBuffer::createForImageBuffer(argb.value(), time);
    }
    canvas.unlockBaseAddress();
    return SampleBuffer::createForImageBuffer(made.value(), time);
}

std::shared_ptr<const SampleBuffer> AssetReaderVideoCompositionOutput::copyNextSampleBuffer()
{
    auto reader = _reader.lock();
    if (!reader || reader->status() != AssetReaderStatus::Reading)
        return nullptr;
    std::lock_guard lock(_lock);
    if (_ended)
        return nullptr;
    if (!(_next < _end)) {
        _ended = true;
        _pictures.clear();
        reportEnd(*reader);
        return nullptr;
    }
    auto composed = composeAt(_next);
    if (!composed.ok()) {
        _ended = true;
        _pictures.clear();
        reportFailure(*reader, composed.error());
        return nullptr;
    }
    _next = _next + _videoComposition->frameDuration();
    if (reader->status() != AssetReaderStatus::Reading)
        return nullptr;
    return std::move(composed).value();
}

}  // namespace plat
