#include "platform/media/capture/CaptureFrameReader.h"

extern "C" {
#include <libavdevice/avdevice.h>
}

#include <algorithm>
#include <mutex>
#include <utility>

#include "platform/foundation/Log.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/media/FFmpegSupport.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/capture/CaptureDevice.h"
#include "platform/media/capture/CapturePictureFolder.h"
#include "platform/media/capture/Video4Linux2.h"

namespace plat::detail {

namespace {

struct DictionaryDeleter {
    void operator()(AVDictionary* dictionary) const { av_dict_free(&dictionary); }
};

void registerDevices()
{
    static std::once_flag registered;
    std::call_once(registered, [] {
        configureFFmpegLogging();
        avdevice_register_all();
    });
}

Error cameraError(const std::string& text, const std::string& camera, int ffmpegCode = 0)
{
    return mediaError(kMediaErrorDeviceNotConnected, text, camera, ffmpegCode);
}

// One part of the green screen's figure, in shares of the figure's box.
struct FigurePart {
    double x, y, width, height;
    const char* colour;
};
// Head, body, arms and legs in colours far from green and blue, so that
// either key colour leaves the whole figure.
constexpr FigurePart kFigureParts[] = {
    {0.35, 0.00, 0.30, 0.20, "0xE8B48C"},
    {0.20, 0.22, 0.60, 0.38, "0xC83030"},
    {0.00, 0.24, 0.18, 0.32, "0xA82828"},
    {0.82, 0.24, 0.18, 0.32, "0xA82828"},
    {0.24, 0.61, 0.22, 0.39, "0x5A4632"},
    {0.54, 0.61, 0.22, 0.39, "0x5A4632"},
};
// The figure's box in shares of the picture; it sways sideways by
// kFigureSway of the width every kFigureSwayPeriodSeconds, so that its body
// always covers the middle and the outer quarters always show the field.
constexpr double kFigureLeft = 0.35, kFigureTop = 0.12, kFigureWidth = 0.30, kFigureHeight = 0.80;
constexpr double kFigureSway = 0.05;
constexpr int kFigureSwayPeriodSeconds = 4;

// The green screen as a lavfi graph: the lit field (darker towards the
// corners) made once and repeated with fresh grain in every picture, the
// figure drawn once and laid over it at its place of the moment. In 4:2:0
// YCbCr, as a camera's sensor gives it: the grain and the overlay then
// work on half the samples of planar RGB, and this FFmpeg's noise and box
// drawing crash on packed RGB.
std::string greenScreenGraph(int width, int height, int frameRate)
{
    const int figureWidth = std::max(2, static_cast<int>(width * kFigureWidth));
    const int figureHeight = std::max(2, static_cast<int>(height * kFigureHeight));
    std::string figure
        = formatLine("color=c=black@0:s={}x{}:r={},format=yuva420p", figureWidth, figureHeight, frameRate);
    for (const FigurePart& part : kFigureParts) {
        figure
            += formatLine(",drawbox=x={}:y={}:w={}:h={}:c={}:t=fill:replace=1", static_cast<int>(part.x * figureWidth),
                static_cast<int>(part.y * figureHeight), std::max(1, static_cast<int>(part.width * figureWidth)),
                std::max(1, static_cast<int>(part.height * figureHeight)), part.colour);
    }
    return formatLine("color=c=0x1FA64A:s={}x{}:r={}:d=1,format=yuv420p,vignette=angle=PI/8,loop=loop=-1:size=1,"
                      "noise=alls=6:allf=t+u[field];{}[figure];"
                      "[field][figure]overlay=x='W*{}+W*{}*sin(2*PI*t/{})':y={}:format=yuv420,format=bgra",
        width, height, frameRate, figure, kFigureLeft, kFigureSway, kFigureSwayPeriodSeconds,
        static_cast<int>(height * kFigureTop));
}

// Cuts the decoded picture to the shape of width x height about its middle,
// as a phone's capture preset fills its pictures: a camera or a folder
// picture of another shape is cut, never stretched. The cut is made on
// even pixels, so that subsampled colour stays with its pixels.
bool cropToShape(AVFrame& frame, int width, int height)
{
    const int64_t sourceWidth = frame.width;
    const int64_t sourceHeight = frame.height;
    if (sourceWidth * height > sourceHeight * width) {
        const int64_t kept = (sourceHeight * width + height / 2) / height;
        const int64_t left = ((sourceWidth - kept) / 2) & ~int64_t {1};
        frame.crop_left = static_cast<size_t>(left);
        frame.crop_right = static_cast<size_t>(sourceWidth - kept - left);
    } else if (sourceWidth * height < sourceHeight * width) {
        const int64_t kept = (sourceWidth * height + width / 2) / width;
        const int64_t top = ((sourceHeight - kept) / 2) & ~int64_t {1};
        frame.crop_top = static_cast<size_t>(top);
        frame.crop_bottom = static_cast<size_t>(sourceHeight - kept - top);
    }
    return av_frame_apply_cropping(&frame, AV_FRAME_CROP_UNALIGNED) >= 0;
}

}  // namespace

struct CaptureFrameReader::Impl {
    std::string cameraName;
    bool live = false;
    int width = 0;
    int height = 0;
    InputFormatContextPtr format;
    int streamIndex = -1;
    CodecContextPtr decoder;
    FramePtr decoded {av_frame_alloc()};
    PacketPtr packet {av_packet_alloc()};
    SwsContext* scaler = nullptr;  // owned: sws_getCachedContext replaces it in place
    std::shared_ptr<PixelBufferPool> pool;
    // A Pictures camera decodes its folder's files itself, without a demuxer:
    // a picture that cannot be read is passed over, never read again and again.
    std::unique_ptr<CapturePictureFolder> pictures;
    bool toldUndecodable = false;

    ~Impl() { sws_freeContext(scaler); }

    Frame convert();
    Frame handOverDecoded();
};

CaptureFrameReader::CaptureFrameReader(std::unique_ptr<Impl> impl)
    : _impl(std::move(impl))
{
}

CaptureFrameReader::~CaptureFrameReader() = default;

bool CaptureFrameReader::isLive() const
{
    return _impl->live;
}
int CaptureFrameReader::width() const
{
    return _impl->width;
}
int CaptureFrameReader::height() const
{
    return _impl->height;
}

Result<std::unique_ptr<CaptureFrameReader>> CaptureFrameReader::open(
    const CaptureDeviceDescription& camera, int width, int height)
{
    registerDevices();
    auto impl = std::make_unique<Impl>();
    impl->width = width;
    impl->height = height;
    if (!impl->decoded || !impl->packet)
        return cameraError("out of memory opening", camera.name);

    const AVInputFormat* inputFormat = nullptr;
    std::string url;
    AVDictionary* rawOptions = nullptr;
    switch (camera.kind) {
    case CaptureDeviceKind::TestPattern:
        inputFormat = av_find_input_format("lavfi");
        // Made at the size asked for, already in the buffer's byte order.
        url = formatLine("testsrc2=size={}x{}:rate={},format=bgra", width, height, camera.frameRate);
        impl->cameraName = "test pattern";
        break;
    case CaptureDeviceKind::GreenScreen:
        inputFormat = av_find_input_format("lavfi");
        url = greenScreenGraph(width, height, camera.frameRate);
        impl->cameraName = "green screen";
        break;
    case CaptureDeviceKind::Pictures: {
        auto pictures = CapturePictureFolder::open(camera);
        if (!pictures.ok())
            return pictures.error();
        impl->pictures = std::move(pictures).value();
        impl->cameraName = impl->pictures->name();
        return finishOpening(std::move(impl));
    }
    case CaptureDeviceKind::Video4Linux2:
        // A listed device that is not there says so in its own words,
        // rather than as whatever the reader makes of the path.
        if (auto described = describeVideo4Linux2(camera); !described.ok())
            return described.error();
        inputFormat = av_find_input_format("video4linux2");
        url = camera.devicePath;
        av_dict_set(&rawOptions, "video_size", formatLine("{}x{}", width, height).c_str(), 0);
        impl->live = true;
        impl->cameraName = camera.devicePath;
        break;
    }
    std::unique_ptr<AVDictionary, DictionaryDeleter> options(rawOptions);
    if (!inputFormat)
        return cameraError("this FFmpeg has no input device for", impl->cameraName);

    auto openWith = [&](AVDictionary** openOptions) -> int {
        AVFormatContext* raw = avformat_alloc_context();
        if (!raw)
            return AVERROR(ENOMEM);
        if (impl->live)
            raw->flags |= AVFMT_FLAG_NONBLOCK;  // a silent camera must not hold up a stop
        int opened = avformat_open_input(&raw, url.c_str(), inputFormat, openOptions);
        if (opened >= 0)
            impl->format.reset(raw);
        return opened;
    };
    AVDictionary* first = nullptr;
    av_dict_copy(&first, options.get(), 0);
    int opened = openWith(&first);
    av_dict_free(&first);
    if (opened < 0 && impl->live) {
        // A webcam without that size: take its own and scale.
        opened = openWith(nullptr);
    }
    if (opened < 0)
        return cameraError("cannot open camera", impl->cameraName, opened);
    impl->streamIndex = av_find_best_stream(impl->format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (impl->streamIndex < 0)
        return cameraError("no pictures from", impl->cameraName, impl->streamIndex);
    const AVCodecParameters* parameters = impl->format->streams[impl->streamIndex]->codecpar;
    const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
    if (!codec)
        return cameraError("no decoder for the pictures of", impl->cameraName);
    impl->decoder.reset(avcodec_alloc_context3(codec));
    if (!impl->decoder || avcodec_parameters_to_context(impl->decoder.get(), parameters) < 0)
        return cameraError("cannot set up decoding for", impl->cameraName);
    int decoderOpened = avcodec_open2(impl->decoder.get(), codec, nullptr);
    if (decoderOpened < 0)
        return cameraError("cannot decode the pictures of", impl->cameraName, decoderOpened);
    return finishOpening(std::move(impl));
}

Result<std::unique_ptr<CaptureFrameReader>> CaptureFrameReader::finishOpening(std::unique_ptr<Impl> impl)
{
    auto pool = PixelBufferPool::create(impl->width, impl->height, kPixelFormatType_32BGRA);
    if (!pool.ok())
        return pool.error();
    impl->pool = pool.value();
    return std::unique_ptr<CaptureFrameReader>(new CaptureFrameReader(std::move(impl)));
}

CaptureFrameReader::Frame CaptureFrameReader::readFrame()
{
    Impl& impl = *_impl;
    if (impl.pictures) {
        auto decoded = impl.pictures->decodeNext(*impl.decoded);
        if (!decoded.ok())
            return {Status::Failed, nullptr, decoded.error()};
        return impl.convert();
    }
    for (;;) {
        int received = avcodec_receive_frame(impl.decoder.get(), impl.decoded.get());
        if (received >= 0)
            return impl.convert();
        if (received != AVERROR(EAGAIN))
            return {Status::Failed, nullptr, cameraError("cannot decode a picture of", impl.cameraName, received)};
        int read = av_read_frame(impl.format.get(), impl.packet.get());
        if (read == AVERROR(EAGAIN))
            return {Status::NotYet, nullptr, std::nullopt};
        if (read < 0)
            return {Status::Failed, nullptr, cameraError("no more pictures from", impl.cameraName, read)};
        int sent = 0;
        if (impl.packet->stream_index == impl.streamIndex)
            sent = avcodec_send_packet(impl.decoder.get(), impl.packet.get());
        av_packet_unref(impl.packet.get());
        // A damaged picture is skipped, as a camera skips a bad frame; a
        // camera that keeps sending them is told once.
        if (sent < 0 && sent != AVERROR(EAGAIN) && !std::exchange(impl.toldUndecodable, true))
            log("camera {}: a picture could not be decoded: {}; such pictures are skipped from now on", impl.cameraName,
                ffmpegErrorText(sent));
    }
}

// A decoded picture that already is what the buffer holds becomes the
// buffer's memory: the frame goes with the buffer, nothing is copied.
CaptureFrameReader::Frame CaptureFrameReader::Impl::handOverDecoded()
{
    FramePtr kept(av_frame_alloc());
    if (!kept) {
        av_frame_unref(decoded.get());
        return {Status::Failed, nullptr, cameraError("out of memory reading a picture of", cameraName)};
    }
    av_frame_move_ref(kept.get(), decoded.get());
    uint8_t* pixels = kept->data[0];
    const auto bytesPerRow = static_cast<size_t>(kept->linesize[0]);
    std::shared_ptr<const AVFrame> owner(kept.release(), [](const AVFrame* frame) {
        AVFrame* released = const_cast<AVFrame*>(frame);
        av_frame_free(&released);
    });
    auto buffer = PixelBuffer::createWithBytes(width, height, kPixelFormatType_32BGRA, pixels, bytesPerRow, owner);
    if (!buffer.ok())
        return {Status::Failed, nullptr, buffer.error()};
    return {Status::Picture, buffer.value(), std::nullopt};
}

CaptureFrameReader::Frame CaptureFrameReader::Impl::convert()
{
    AVFrame& frame = *decoded;
    if (frame.format == AV_PIX_FMT_BGRA && frame.width == width && frame.height == height && frame.buf[0]
        && frame.linesize[0] >= width * 4)
        return handOverDecoded();
    auto buffer = pool->createPixelBuffer();
    if (!buffer.ok()) {
        av_frame_unref(&frame);
        return {Status::Failed, nullptr, buffer.error()};
    }
    if (!cropToShape(frame, width, height)) {
        av_frame_unref(&frame);
        return {Status::Failed, nullptr, cameraError("cannot cut a picture to the camera's shape of", cameraName)};
    }
    PixelBuffer& pixels = *buffer.value();
    pixels.lockBaseAddress();
    uint8_t* destination = pixels.baseAddress();
    const int destinationStride = static_cast<int>(pixels.bytesPerRow());
    scaler = sws_getCachedContext(scaler, frame.width, frame.height, static_cast<AVPixelFormat>(frame.format), width,
        height, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
    uint8_t* planes[4] = {destination, nullptr, nullptr, nullptr};
    int strides[4] = {destinationStride, 0, 0, 0};
    const bool converted
        = scaler && sws_scale(scaler, frame.data, frame.linesize, 0, frame.height, planes, strides) == height;
    pixels.unlockBaseAddress();
    av_frame_unref(&frame);
    if (!converted)
        return {Status::Failed, nullptr, cameraError("cannot convert a picture of", cameraName)};
    return {Status::Picture, buffer.value(), std::nullopt};
}

}  // namespace plat::detail
