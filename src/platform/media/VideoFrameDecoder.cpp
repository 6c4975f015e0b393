#include "platform/media/VideoFrameDecoder.h"

#include "platform/graphics/Bitmap.h"
#include "platform/media/FFmpegSupport.h"
#include "platform/media/MediaConstants.h"

namespace plat::detail {

namespace {

// A jump further ahead than this seeks instead of decoding every picture between.
constexpr double kDecodeAheadSeconds = 2.0;
constexpr double kDefaultFrameRate = 30.0;
// Pictures the end of a movie may lack against its stated length before it counts as cut short.
constexpr double kMissingPicturesAllowed = 3.0;
// Positions are nanoseconds: a picture due within one starts there.
constexpr double kSameMomentSeconds = 1e-9;

}  // namespace

struct VideoFrameDecoder::Impl {
    std::string path;
    InputFormatContextPtr format;
    int stream = -1;
    AVRational timeBase {1, 1};
    int64_t startTime = 0;  // of the stream, in its time base
    double frameRate = kDefaultFrameRate;
    CodecContextPtr decoder;
    PacketPtr packet {av_packet_alloc()};
    SwsContextPtr scaler;

    FramePtr current {av_frame_alloc()};
    double currentSeconds = 0;
    bool hasCurrent = false;
    std::shared_ptr<const Bitmap> currentPicture;  // current converted, once asked for
    FramePtr next {av_frame_alloc()};
    double nextSeconds = 0;
    bool hasNext = false;
    double firstSeconds = 0;
    double statedEndSeconds = 0;  // where the container says the pictures end; 0 when it does not
    bool inputEnded = false;  // the end of the file was sent to the decoder
    bool drained = false;  // and every picture has come out

    Error error(int64_t code, const std::string& operation, int ffmpegCode = 0) const
    {
        return mediaError(code, operation, path, ffmpegCode);
    }

    double secondsOf(const AVFrame& frame, double previous) const
    {
        int64_t stamp = frame.best_effort_timestamp != AV_NOPTS_VALUE ? frame.best_effort_timestamp : frame.pts;
        if (stamp == AV_NOPTS_VALUE)
            return previous + 1.0 / frameRate;
        return static_cast<double>(stamp - startTime) * timeBase.num / timeBase.den;
    }

    // The next picture out of the decoder into frame; false at the end of the pictures.
    Result<bool> decodeInto(AVFrame& frame)
    {
        while (true) {
            int received = avcodec_receive_frame(decoder.get(), &frame);
            if (received == 0)
                return true;
            if (received == AVERROR_EOF) {
                drained = true;
                return false;
            }
            if (received != AVERROR(EAGAIN) && received != AVERROR_INVALIDDATA)
                return error(kMediaErrorFileFailedToParse, "cannot decode the pictures of", received);
            if (inputEnded && received == AVERROR(EAGAIN)) {
                drained = true;
                return false;
            }
            int read = av_read_frame(format.get(), packet.get());
            if (read == AVERROR_EOF) {
                inputEnded = true;
                avcodec_send_packet(decoder.get(), nullptr);
                continue;
            }
            if (read < 0)
                return error(kMediaErrorFileFailedToParse, "cannot read the pictures of", read);
            if (packet->stream_index != stream) {
                av_packet_unref(packet.get());
                continue;
            }
            int sent = avcodec_send_packet(decoder.get(), packet.get());
            av_packet_unref(packet.get());
            // A damaged packet is skipped: the decoder hides what it can, as players do.
            if (sent < 0 && sent != AVERROR_INVALIDDATA && sent != AVERROR(EAGAIN))
                return error(kMediaErrorFileFailedToParse, "cannot decode the pictures of", sent);
        }
    }

    Result<void> fillNext()
    {
        if (hasNext || drained)
            return {};
        auto decoded = decodeInto(*next);
        if (!decoded.ok())
            return decoded.error();
        if (decoded.value()) {
            hasNext = true;
            nextSeconds = secondsOf(*next, hasCurrent ? currentSeconds : 0);
            return {};
        }
        // The pictures ran out well before the container says they end: the file was cut short.
        if (hasCurrent && statedEndSeconds > 0
            && currentSeconds + kMissingPicturesAllowed / frameRate < statedEndSeconds)
            return error(kMediaErrorFileFailedToParse, "the pictures end early in");
        return {};
    }

    void takeNext()
    {
        std::swap(current, next);
        av_frame_unref(next.get());
        currentSeconds = nextSeconds;
        hasCurrent = true;
        hasNext = false;
        currentPicture.reset();
    }

    Result<void> seek(double seconds)
    {
        int64_t target = startTime + static_cast<int64_t>(seconds / av_q2d(timeBase));
        int sought = av_seek_frame(format.get(), stream, target, AVSEEK_FLAG_BACKWARD);
        if (sought < 0)
            sought = av_seek_frame(format.get(), stream, startTime, AVSEEK_FLAG_BACKWARD);
        if (sought < 0)
            return error(kMediaErrorFileFailedToParse, "cannot seek in", sought);
        avcodec_flush_buffers(decoder.get());
        hasCurrent = hasNext = inputEnded = drained = false;
        currentPicture.reset();
        auto filled = fillNext();
        if (!filled.ok())
            return filled;
        if (!hasNext)
            return error(kMediaErrorFileFailedToParse, "no picture can be decoded in");
        takeNext();
        return {};
    }

    Result<std::shared_ptr<const Bitmap>> convertCurrent()
    {
        if (currentPicture)
            return currentPicture;
        const AVFrame& frame = *current;
        auto bitmap = Bitmap::allocate(frame.width, frame.height, PixelOrder::BGRA);
        if (!bitmap)
            return error(kMediaErrorOutOfMemory, "no memory for a picture of");
        scaler.reset(
            sws_getCachedContext(scaler.release(), frame.width, frame.height, static_cast<AVPixelFormat>(frame.format),
                frame.width, frame.height, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr));
        uint8_t* planes[4] = {bitmap->mutableBytes(), nullptr, nullptr, nullptr};
        int strides[4] = {static_cast<int>(bitmap->bytesPerRow()), 0, 0, 0};
        if (!scaler
            || sws_scale(scaler.get(), frame.data, frame.linesize, 0, frame.height, planes, strides) != frame.height)
            return error(kMediaErrorFileFailedToParse, "cannot convert a picture of");
        bitmap->setOpaque(true);
        currentPicture = std::move(bitmap);
        return currentPicture;
    }
};

VideoFrameDecoder::VideoFrameDecoder(std::unique_ptr<Impl> impl)
    : _impl(std::move(impl))
{
}

VideoFrameDecoder::~VideoFrameDecoder() = default;

Result<std::unique_ptr<VideoFrameDecoder>> VideoFrameDecoder::open(const std::string& path)
{
    configureFFmpegLogging();
    auto opened = openMediaFile(path);
    if (!opened.ok())
        return opened.error();
    auto impl = std::make_unique<Impl>();
    impl->path = path;
    impl->format = std::move(opened.value());
    const AVCodec* codec = nullptr;
    impl->stream = av_find_best_stream(impl->format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (impl->stream < 0 || !codec)
        return impl->error(kMediaErrorFileFormatNotRecognized, "no pictures to show in", impl->stream);
    AVStream& stream = *impl->format->streams[impl->stream];
    if (stream.disposition & AV_DISPOSITION_ATTACHED_PIC)
        return impl->error(kMediaErrorFileFormatNotRecognized, "no moving pictures in");
    impl->timeBase = stream.time_base;
    if (impl->timeBase.num <= 0 || impl->timeBase.den <= 0)
        return impl->error(kMediaErrorFileFailedToParse, "no time base in");
    impl->startTime = stream.start_time != AV_NOPTS_VALUE ? stream.start_time : 0;
    if (stream.duration != AV_NOPTS_VALUE && stream.duration > 0)
        impl->statedEndSeconds = static_cast<double>(stream.duration) * impl->timeBase.num / impl->timeBase.den;
    AVRational rate = stream.avg_frame_rate.num > 0 ? stream.avg_frame_rate : stream.r_frame_rate;
    if (rate.num > 0 && rate.den > 0 && av_q2d(rate) <= 1000)
        impl->frameRate = av_q2d(rate);
    impl->decoder.reset(avcodec_alloc_context3(codec));
    if (!impl->decoder || !impl->packet || !impl->current || !impl->next)
        return impl->error(kMediaErrorOutOfMemory, "no memory to decode");
    int copied = avcodec_parameters_to_context(impl->decoder.get(), stream.codecpar);
    if (copied < 0)
        return impl->error(kMediaErrorFileFailedToParse, "cannot read the picture format of", copied);
    // As many threads as the machine has, as the command-line tools use.
    impl->decoder->thread_count = 0;
    impl->decoder->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    int started = avcodec_open2(impl->decoder.get(), codec, nullptr);
    if (started < 0)
        return impl->error(kMediaErrorFileFormatNotRecognized, "cannot decode the pictures of", started);
    if (!Bitmap::isAllowedSize(impl->decoder->width, impl->decoder->height))
        return impl->error(kMediaErrorFileFormatNotRecognized, "pictures too large in");
    auto filled = impl->fillNext();
    if (!filled.ok())
        return filled.error();
    if (!impl->hasNext)
        return impl->error(kMediaErrorFileFailedToParse, "no picture can be decoded in");
    impl->takeNext();
    impl->firstSeconds = impl->currentSeconds;
    return std::unique_ptr<VideoFrameDecoder>(new VideoFrameDecoder(std::move(impl)));
}

int VideoFrameDecoder::width() const
{
    return _impl->decoder->width;
}

int VideoFrameDecoder::height() const
{
    return _impl->decoder->height;
}

double VideoFrameDecoder::frameRate() const
{
    return _impl->frameRate;
}

Result<std::shared_ptr<const Bitmap>> VideoFrameDecoder::pictureAt(double seconds)
{
    Impl& impl = *_impl;
    const bool beforeFirst = seconds < impl.firstSeconds;
    const bool showsFirst = impl.hasCurrent && impl.currentSeconds == impl.firstSeconds;
    if (beforeFirst && showsFirst)
        return impl.convertCurrent();
    if (!impl.hasCurrent || seconds < impl.currentSeconds || seconds - impl.currentSeconds > kDecodeAheadSeconds) {
        auto sought = impl.seek(beforeFirst ? impl.firstSeconds : seconds);
        if (!sought.ok())
            return sought.error();
    }
    while (true) {
        auto filled = impl.fillNext();
        if (!filled.ok())
            return filled.error();
        if (!impl.hasNext || impl.nextSeconds > seconds + kSameMomentSeconds)
            break;
        impl.takeNext();
    }
    return impl.convertCurrent();
}

}  // namespace plat::detail
