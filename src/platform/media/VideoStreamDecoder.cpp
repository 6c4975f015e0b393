#include "platform/media/VideoStreamDecoder.h"

#include <algorithm>

#include "platform/foundation/Log.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/media/FFmpegSupport.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/PixelBufferConverter.h"

namespace plat::detail {

namespace {

// Video times without a timescale of their own are kept in the platform's movie timescale.
constexpr int32_t kMovieTimescale = 600;

// The colour matrix a stream's pictures were made with; SD sizes without a
// tag are BT.601, larger ones BT.709, as players assume.
int swsColorspaceOf(const AVFrame& frame)
{
    switch (frame.colorspace) {
    case AVCOL_SPC_BT709:
        return SWS_CS_ITU709;
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M:
        return SWS_CS_ITU601;
    case AVCOL_SPC_SMPTE240M:
        return SWS_CS_SMPTE240M;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL:
        return SWS_CS_BT2020;
    default:
        return frame.height > 576 ? SWS_CS_ITU709 : SWS_CS_ITU601;
    }
}

}  // namespace

struct VideoStreamDecoder::Impl {
    std::string path;
    int streamIndex = -1;
    uint32_t pixelFormatType = kPixelFormatType_32BGRA;
    InputFormatContextPtr format;
    CodecContextPtr codec;
    PixelBufferConverter converter;
    PacketPtr packet {av_packet_alloc()};
    FramePtr frame {av_frame_alloc()};
    AVStream* stream = nullptr;
    int32_t timescale = kMovieTimescale;
    int64_t streamStart = 0;
    int64_t frameStep = 0;  // one picture's length in stream time, from the frame rate
    std::optional<int64_t> startAt;  // stream time; pictures that end before it are dropped
    bool inputEnded = false;
    bool finished = false;
    int64_t damagedPackets = 0;

    Result<std::shared_ptr<PixelBuffer>> convert(const AVFrame& picture)
    {
        auto made = PixelBuffer::create(picture.width, picture.height, pixelFormatType);
        if (!made.ok())
            return made.error();
        PictureInMemory source;
        source.planes = picture.data;
        source.strides = picture.linesize;
        source.format = picture.format;
        source.width = picture.width;
        source.height = picture.height;
        source.colorspace = swsColorspaceOf(picture);
        source.fullRange = picture.color_range == AVCOL_RANGE_JPEG;
        auto converted = converter.convert(source, *made.value());
        if (!converted.ok())
            return mediaError(kMediaErrorFileFailedToParse, "cannot convert the pictures of", path);
        return made.value();
    }

    // The next decoded frame into `frame`; false at the end.
    Result<bool> receive()
    {
        while (true) {
            int received = avcodec_receive_frame(codec.get(), frame.get());
            if (received == 0)
                return true;
            if (received == AVERROR_EOF)
                return false;
            if (received != AVERROR(EAGAIN))
                return mediaError(kMediaErrorFileFailedToParse, "cannot decode the pictures of", path, received);
            if (inputEnded)
                return false;
            int read = av_read_frame(format.get(), packet.get());
            if (read == AVERROR_EOF) {
                inputEnded = true;
                avcodec_send_packet(codec.get(), nullptr);
                continue;
            }
            if (read < 0)
                return mediaError(kMediaErrorFileFailedToParse, "cannot read", path, read);
            if (packet->stream_index == streamIndex) {
                int sent = avcodec_send_packet(codec.get(), packet.get());
                if (sent < 0 && sent != AVERROR(EAGAIN))
                    ++damagedPackets;  // the decoder passes over what it cannot use
            }
            av_packet_unref(packet.get());
        }
    }
};

VideoStreamDecoder::VideoStreamDecoder(std::unique_ptr<Impl> impl)
    : _impl(std::move(impl))
{
}

VideoStreamDecoder::~VideoStreamDecoder()
{
    if (_impl && _impl->damagedPackets > 0)
        log("media: {} damaged video packets passed over in {}", _impl->damagedPackets, _impl->path);
}

Result<std::unique_ptr<VideoStreamDecoder>> VideoStreamDecoder::open(
    const std::string& path, int streamIndex, uint32_t pixelFormatType)
{
    if (!PixelBuffer::isSupportedPixelFormat(pixelFormatType))
        return mediaError(kMediaErrorUnknown, "pictures of this pixel format cannot be made from", path);
    auto opened = openMediaFile(path);
    if (!opened.ok())
        return opened.error();
    auto impl = std::make_unique<Impl>();
    impl->path = path;
    impl->streamIndex = streamIndex;
    impl->pixelFormatType = pixelFormatType;
    impl->format = std::move(opened).value();
    if (streamIndex < 0 || static_cast<unsigned>(streamIndex) >= impl->format->nb_streams)
        return mediaError(kMediaErrorFileFailedToParse, "no such stream in", path);
    impl->stream = impl->format->streams[streamIndex];
    const AVCodecParameters* parameters = impl->stream->codecpar;
    if (parameters->codec_type != AVMEDIA_TYPE_VIDEO)
        return mediaError(kMediaErrorFileFailedToParse, "not a video stream in", path);
    for (unsigned i = 0; i < impl->format->nb_streams; ++i)
        impl->format->streams[i]->discard = static_cast<int>(i) == streamIndex ? AVDISCARD_DEFAULT : AVDISCARD_ALL;

    const AVCodec* decoder = avcodec_find_decoder(parameters->codec_id);
    if (!decoder)
        return mediaError(kMediaErrorDecoderNotFound, "no decoder for the pictures of", path);
    impl->codec.reset(avcodec_alloc_context3(decoder));
    if (!impl->codec || !impl->packet || !impl->frame)
        return mediaError(kMediaErrorOutOfMemory, "cannot decode", path);
    int copied = avcodec_parameters_to_context(impl->codec.get(), parameters);
    if (copied < 0)
        return mediaError(kMediaErrorFileFailedToParse, "cannot decode the pictures of", path, copied);
    impl->codec->pkt_timebase = impl->stream->time_base;
    impl->codec->thread_count = 0;  // as many as the machine has
    int openedCodec = avcodec_open2(impl->codec.get(), decoder, nullptr);
    if (openedCodec < 0)
        return mediaError(kMediaErrorFileFailedToParse, "cannot decode the pictures of", path, openedCodec);

    const AVRational timeBase = impl->stream->time_base;
    if (timeBase.num == 1 && timeBase.den > 0)
        impl->timescale = timeBase.den;
    impl->streamStart = impl->stream->start_time != AV_NOPTS_VALUE ? impl->stream->start_time : 0;
    const AVRational rate
        = impl->stream->avg_frame_rate.num > 0 ? impl->stream->avg_frame_rate : impl->stream->r_frame_rate;
    if (rate.num > 0 && rate.den > 0)
        impl->frameStep = av_rescale_q(1, AVRational {rate.den, rate.num}, timeBase);
    return std::make_unique<VideoStreamDecoder>(std::move(impl));
}

Result<void> VideoStreamDecoder::seek(const MediaTime& time)
{
    Impl& d = *_impl;
    if (!time.isNumeric() || time <= MediaTime::zero())
        return {};
    const int64_t target = d.streamStart + streamTimeFromMediaTime(time, d.stream->time_base);
    // An unseekable file is read from its start, and the pictures before the time are passed over.
    (void)av_seek_frame(d.format.get(), d.streamIndex, target, AVSEEK_FLAG_BACKWARD);
    avcodec_flush_buffers(d.codec.get());
    d.inputEnded = false;
    d.finished = false;
    d.startAt = target;
    return {};
}

Result<std::optional<DecodedPicture>> VideoStreamDecoder::next()
{
    Impl& d = *_impl;
    while (!d.finished) {
        auto received = d.receive();
        if (!received.ok())
            return received.error();
        if (!received.value()) {
            d.finished = true;
            break;
        }
        const AVFrame& picture = *d.frame;
        int64_t stamp = picture.best_effort_timestamp != AV_NOPTS_VALUE ? picture.best_effort_timestamp : picture.pts;
        if (stamp == AV_NOPTS_VALUE) {
            av_frame_unref(d.frame.get());
            continue;  // a picture without a time has no place in the stream
        }
        const int64_t length = picture.pkt_duration > 0 ? picture.pkt_duration : d.frameStep;
        if (d.startAt && stamp + std::max<int64_t>(length, 1) <= *d.startAt) {
            av_frame_unref(d.frame.get());
            continue;
        }
        auto converted = d.convert(picture);
        av_frame_unref(d.frame.get());
        if (!converted.ok())
            return converted.error();
        MediaTime time = mediaTimeFromStreamTime(stamp - d.streamStart, d.stream->time_base, d.timescale);
        return std::optional<DecodedPicture>(DecodedPicture {std::move(converted).value(), time});
    }
    return std::optional<DecodedPicture>();
}

}  // namespace plat::detail
