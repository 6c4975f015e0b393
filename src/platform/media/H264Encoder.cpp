#include "platform/media/H264Encoder.h"

#include <algorithm>
#include <cstring>

#include "platform/graphics/PixelBuffer.h"
#include "platform/media/BGRAToBiPlanar.h"
#include "platform/media/FFmpegSupport.h"
#include "platform/media/H264PictureTiming.h"
#include "platform/media/MediaConstants.h"

namespace plat::detail {

namespace {

// libx264 encodes several pictures at once, each on a thread of its own, as
// many as it takes for the processors of the thread that opens it (one and
// a half for each), as under ffmpeg. The rate control reads how far the
// other threads have got, so the same pictures give the same decoded
// pictures within coding loss, the asked rate and the level's peak rate and
// buffer, but not the same bytes from one run to the next. It plans each
// picture before the ones still being encoded are done: with many threads
// the first pictures are planned blind, and the first second of a grainy
// movie may take up to twice its share, as it does under ffmpeg.
constexpr int kLibraryThreadCount = 0;
// The macroblock tree stays off: with it a held picture sharpened many
// times more slowly.
constexpr const char* kEncoderParameters = "mbtree=0";

// The limits of the H.264 levels: macroblocks per second and per picture,
// and the peak rate (kbit/s) and buffer (kbit) of the Baseline and Main
// profiles; High allows a quarter more of both.
struct Level {
    int idc;
    int64_t macroblocksPerSecond;
    int64_t frameMacroblocks;
    int64_t maxBitRateKbps;
    int64_t maxBufferKbits;
};
constexpr Level kLevels[] = {
    {10, 1485, 99, 64, 175},
    {11, 3000, 396, 192, 500},
    {12, 6000, 396, 384, 1000},
    {13, 11880, 396, 768, 2000},
    {20, 11880, 396, 2000, 2000},
    {21, 19800, 792, 4000, 4000},
    {22, 20250, 1620, 4000, 4000},
    {30, 40500, 1620, 10000, 10000},
    {31, 108000, 3600, 14000, 14000},
    {32, 216000, 5120, 20000, 20000},
    {40, 245760, 8192, 20000, 25000},
    {41, 245760, 8192, 50000, 62500},
    {42, 522240, 8704, 50000, 62500},
    {50, 589824, 22080, 135000, 135000},
    {51, 983040, 36864, 240000, 240000},
    {52, 2073600, 36864, 240000, 240000},
    {60, 4177920, 139264, 240000, 240000},
    {61, 8355840, 139264, 480000, 480000},
    {62, 16711680, 139264, 800000, 800000},
};

// The peak rate is at most this many times the average, and the buffer
// holds at most this many seconds of it: with more, the first pictures
// spend the movie's bits before the rate control has seen what follows,
// and a short movie comes out far above its rate.
constexpr int64_t kMaxPeakToAverage = 2;
constexpr double kMaxBufferSeconds = 1.0;
// The buffer starts half full: what the rate control may spend beyond the
// rate at the start is a large part of a short movie.
constexpr double kInitialBufferFullness = 0.5;
// libx264 keeps its pictures with the chroma interleaved: taken so, they go in as they are.
constexpr AVPixelFormat kPictureFormat = AV_PIX_FMT_NV12;
// Time bases finer than this many ticks a second say nothing of the picture rate.
constexpr double kHighestFrameRate = 240;
// The picture rate goes to libx264 as a fraction of terms up to this (30000/1001 for 29.97).
constexpr int kLargestRateTerm = 100000;

}  // namespace

H264RateLimits h264RateLimits(
    int width, int height, double framesPerSecond, int64_t averageBitRate, const std::string& profile)
{
    const int64_t columns = (width + 15) / 16;
    const int64_t rows = (height + 15) / 16;
    const int64_t macroblocks = columns * rows;
    const int64_t bitsPerKbit = profile == "high" ? 1250 : 1000;
    const Level* chosen = nullptr;
    for (const Level& level : kLevels) {
        const bool picturesFit = macroblocks <= level.frameMacroblocks
            && columns * columns <= 8 * level.frameMacroblocks && rows * rows <= 8 * level.frameMacroblocks;
        const bool rateFits = !(framesPerSecond > 0)
            || static_cast<double>(macroblocks) * framesPerSecond <= static_cast<double>(level.macroblocksPerSecond);
        if (picturesFit && rateFits && level.maxBitRateKbps * bitsPerKbit >= averageBitRate) {
            chosen = &level;
            break;
        }
    }
    H264RateLimits limits;
    const auto bufferForAverage = static_cast<int64_t>(static_cast<double>(averageBitRate) * kMaxBufferSeconds);
    if (!chosen) {
        if (averageBitRate > 0) {
            limits.maxBitRate = kMaxPeakToAverage * averageBitRate;
            limits.bufferSize = bufferForAverage;
        }
        return limits;
    }
    limits.level = chosen->idc;
    limits.maxBitRate = chosen->maxBitRateKbps * bitsPerKbit;
    limits.bufferSize = chosen->maxBufferKbits * bitsPerKbit;
    if (averageBitRate > 0) {
        limits.maxBitRate = std::min(limits.maxBitRate, kMaxPeakToAverage * averageBitRate);
        limits.bufferSize = std::min(limits.bufferSize, bufferForAverage);
    }
    return limits;
}

void PacketDeleterForward::operator()(AVPacket* packet) const
{
    av_packet_free(&packet);
}

struct H264Encoder::Impl {
    Settings settings;
    bool globalHeader = false;
    CodecContextPtr codec;
    PictureRate pictureRate;  // once open
    FramePtr picture {av_frame_alloc()};
    FramePtr converted {av_frame_alloc()};  // swscale's planar 4:2:0, for other sources
    SwsContextPtr converter;
    uint32_t converterFormat = 0;
    int converterWidth = 0;
    int converterHeight = 0;

    Result<void> prepareConverter(const PixelBuffer& buffer)
    {
        if (converter && converterFormat == buffer.pixelFormatType() && converterWidth == buffer.width()
            && converterHeight == buffer.height())
            return {};
        AVPixelFormat source = buffer.pixelFormatType() == kPixelFormatType_32BGRA ? AV_PIX_FMT_BGRA : AV_PIX_FMT_ARGB;
        if (buffer.planeCount() == 2)
            source = AV_PIX_FMT_NV12;
        // Into planar 4:2:0, whose range and matrix conversions swscale has for every source.
        converter.reset(sws_getContext(buffer.width(), buffer.height(), source, settings.width, settings.height,
            AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr));
        if (!converter)
            return mediaError(kMediaErrorUnknown, "cannot convert pictures for the H.264 encoder", {});
        if (!converted)
            return mediaError(kMediaErrorOutOfMemory, "cannot encode H.264", {});
        if (!converted->data[0]) {
            converted->format = AV_PIX_FMT_YUV420P;
            converted->width = settings.width;
            converted->height = settings.height;
            if (av_frame_get_buffer(converted.get(), 0) < 0)
                return mediaError(kMediaErrorOutOfMemory, "cannot encode H.264", {});
        }
        // Full-range RGB (or YCbCr of either range and matrix) in, video-range BT.601 out, as the stream is tagged.
        const int* coefficients = sws_getCoefficients(SWS_CS_ITU601);
        const bool sourceIs709 = buffer.yCbCrMatrix() == kCVImageBufferYCbCrMatrix_ITU_R_709_2;
        const int sourceRange = buffer.pixelFormatType() == kPixelFormatType_420YpCbCr8BiPlanarVideoRange ? 0 : 1;
        sws_setColorspaceDetails(converter.get(), sws_getCoefficients(sourceIs709 ? SWS_CS_ITU709 : SWS_CS_ITU601),
            sourceRange, coefficients, 0, 0, 1 << 16, 1 << 16);
        converterFormat = buffer.pixelFormatType();
        converterWidth = buffer.width();
        converterHeight = buffer.height();
        return {};
    }

    // Full-range 32-bit RGB of the picture's size into the video-range
    // BT.601 picture by our own loops, several times quicker than swscale's
    // generic RGB input.
    void convertDirectly(const PixelBuffer& buffer)
    {
        const BiPlanarPlanes planes {picture->data[0], static_cast<size_t>(picture->linesize[0]), picture->data[1],
            static_cast<size_t>(picture->linesize[1])};
        const auto convert
            = buffer.pixelFormatType() == kPixelFormatType_32BGRA ? convertBGRAToBiPlanar420 : convertARGBToBiPlanar420;
        convert(buffer.baseAddressOfPlane(0), buffer.bytesPerRowOfPlane(0), buffer.width(), buffer.height(), planes,
            YCbCrMatrix::ITU601, /*fullRange=*/false);
    }

    // swscale's planar picture into the encoder's, the chroma interleaved.
    void interleaveConverted()
    {
        for (int y = 0; y < settings.height; ++y)
            std::memcpy(picture->data[0] + static_cast<ptrdiff_t>(y) * picture->linesize[0],
                converted->data[0] + static_cast<ptrdiff_t>(y) * converted->linesize[0],
                static_cast<size_t>(settings.width));
        for (int y = 0; y < (settings.height + 1) / 2; ++y) {
            uint8_t* pairs = picture->data[1] + static_cast<ptrdiff_t>(y) * picture->linesize[1];
            const uint8_t* cb = converted->data[1] + static_cast<ptrdiff_t>(y) * converted->linesize[1];
            const uint8_t* cr = converted->data[2] + static_cast<ptrdiff_t>(y) * converted->linesize[2];
            for (int x = 0; x < (settings.width + 1) / 2; ++x) {
                pairs[2 * x] = cb[x];
                pairs[2 * x + 1] = cr[x];
            }
        }
    }

    // The packets ready, each one handed to the sink.
    Result<void> drain(const PacketSink& sink)
    {
        while (true) {
            EncodedPacket packet(av_packet_alloc());
            if (!packet)
                return mediaError(kMediaErrorOutOfMemory, "cannot encode H.264", {});
            int received = avcodec_receive_packet(codec.get(), packet.get());
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
                return {};
            if (received < 0)
                return mediaError(kMediaErrorUnknown, "cannot encode H.264", {}, received);
            // libx264 repeats the parameter sets before each key picture.
            if (!globalHeader && (packet->flags & AV_PKT_FLAG_KEY)) {
                auto timed = withPictureRateInPacket(std::move(packet));
                if (!timed.ok())
                    return timed.error();
                packet = std::move(timed.value());
            }
            auto written = sink(std::move(packet));
            if (!written.ok())
                return written;
        }
    }

    Result<EncodedPacket> withPictureRateInPacket(EncodedPacket packet) const
    {
        auto timed = withPictureRate({packet->data, static_cast<size_t>(packet->size)}, pictureRate);
        if (!timed.ok())
            return timed.error();
        EncodedPacket rewritten(av_packet_alloc());
        if (!rewritten || av_new_packet(rewritten.get(), static_cast<int>(timed.value().size())) < 0
            || av_packet_copy_props(rewritten.get(), packet.get()) < 0)
            return mediaError(kMediaErrorOutOfMemory, "cannot encode H.264", {});
        std::memcpy(rewritten->data, timed.value().data(), timed.value().size());
        return rewritten;
    }

    // The parameter sets of the header with the picture rate in their timing.
    static Result<void> setPictureRateInHeader(AVCodecContext& opened, PictureRate rate)
    {
        auto timed = withPictureRate({opened.extradata, static_cast<size_t>(opened.extradata_size)}, rate);
        if (!timed.ok())
            return timed.error();
        const size_t size = timed.value().size();
        auto* extradata = static_cast<uint8_t*>(av_mallocz(size + AV_INPUT_BUFFER_PADDING_SIZE));
        if (!extradata)
            return mediaError(kMediaErrorOutOfMemory, "cannot encode H.264", {});
        std::memcpy(extradata, timed.value().data(), size);
        av_free(opened.extradata);
        opened.extradata = extradata;
        opened.extradata_size = static_cast<int>(size);
        return {};
    }

    // The picture rate, when known, else the ticks of a time base coarse
    // enough to be one; a time base finer than that says nothing of it.
    static Result<double> picturesPerSecondOf(AVRational timeBase, double picturesPerSecond)
    {
        if (picturesPerSecond > 0)
            return picturesPerSecond;
        const double ticks = av_q2d(av_inv_q(timeBase));
        if (ticks > kHighestFrameRate)
            return mediaError(
                kMediaErrorUnknown, "the H.264 encoder needs the picture rate of these picture times", {});
        return ticks;
    }

    H264RateLimits rateLimits(double picturesPerSecond) const
    {
        return h264RateLimits(
            settings.width, settings.height, picturesPerSecond, settings.averageBitRate, settings.profile);
    }

    Result<CodecContextPtr> openCodec(AVRational timeBase, PictureRate rate) const
    {
        const AVCodec* encoder = avcodec_find_encoder_by_name("libx264");
        if (!encoder)
            return mediaError(kMediaErrorEncoderNotFound, "no H.264 encoder (libx264) in this FFmpeg", {});
        CodecContextPtr opened(avcodec_alloc_context3(encoder));
        if (!opened)
            return mediaError(kMediaErrorOutOfMemory, "cannot encode H.264", {});
        opened->width = settings.width;
        opened->height = settings.height;
        opened->pix_fmt = kPictureFormat;
        opened->time_base = timeBase;
        // libx264 plans each picture's bits from the picture rate; without
        // one it would take a tick of the time base for a picture (a
        // six-hundredth of a second's bits for each picture of a 1/600 time
        // base).
        opened->framerate = AVRational {static_cast<int>(rate.pictures), static_cast<int>(rate.seconds)};
        opened->color_range = AVCOL_RANGE_MPEG;
        opened->colorspace = AVCOL_SPC_SMPTE170M;
        opened->color_primaries = AVCOL_PRI_SMPTE170M;
        opened->color_trc = AVCOL_TRC_SMPTE170M;
        if (settings.averageBitRate > 0)
            opened->bit_rate = settings.averageBitRate;
        const H264RateLimits limits = rateLimits(av_q2d(opened->framerate));
        // libx264 takes kbit/s and kbit, and picks the lowest level these fit.
        opened->rc_max_rate = limits.maxBitRate;
        opened->rc_buffer_size = static_cast<int>(std::min<int64_t>(limits.bufferSize, INT32_MAX));
        opened->rc_initial_buffer_occupancy = static_cast<int>(opened->rc_buffer_size * kInitialBufferFullness);
        if (!settings.allowFrameReordering)
            opened->max_b_frames = 0;
        if (settings.maxKeyFrameInterval > 0)
            opened->gop_size = static_cast<int>(settings.maxKeyFrameInterval);
        opened->thread_count = kLibraryThreadCount;
        av_opt_set(opened->priv_data, "x264-params", kEncoderParameters, 0);
        if (globalHeader)
            opened->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        av_opt_set(opened->priv_data, "profile", settings.profile.c_str(), 0);
        int result = avcodec_open2(opened.get(), encoder, nullptr);
        if (result < 0)
            return mediaError(kMediaErrorUnknown, "cannot open the H.264 encoder", {}, result);
        // libx264 writes the time base as the stream's own timing: a stream
        // in 1/600 would read as 600 pictures a second once out of its container.
        if (globalHeader) {
            auto timed = setPictureRateInHeader(*opened, rate);
            if (!timed.ok())
                return timed.error();
        }
        return opened;
    }
};

H264Encoder::H264Encoder(Settings settings, ParameterSets parameterSets)
    : _impl(std::make_unique<Impl>())
{
    _impl->settings = std::move(settings);
    _impl->globalHeader = parameterSets == ParameterSets::InHeader;
}

H264Encoder::~H264Encoder() = default;

bool H264Encoder::isOpen() const
{
    return _impl->codec != nullptr;
}

const AVCodecContext* H264Encoder::context() const
{
    return _impl->codec.get();
}

Result<void> H264Encoder::open(int timeBaseNumerator, int timeBaseDenominator, double picturesPerSecond)
{
    configureFFmpegLogging();
    Impl& d = *_impl;
    if (!d.picture)
        return mediaError(kMediaErrorOutOfMemory, "cannot encode H.264", {});
    const AVRational timeBase {timeBaseNumerator, timeBaseDenominator};
    auto rate = Impl::picturesPerSecondOf(timeBase, picturesPerSecond);
    if (!rate.ok())
        return rate.error();
    // A picture lasting longer than the fraction's terms allow gets the slowest rate they hold.
    const AVRational fraction = av_d2q(rate.value(), kLargestRateTerm);
    d.pictureRate = fraction.num > 0 ? PictureRate {fraction.num, fraction.den} : PictureRate {1, kLargestRateTerm};
    auto opened = d.openCodec(timeBase, d.pictureRate);
    if (!opened.ok())
        return opened.error();
    d.picture->format = kPictureFormat;
    d.picture->width = d.settings.width;
    d.picture->height = d.settings.height;
    int allocated = av_frame_get_buffer(d.picture.get(), 0);
    if (allocated < 0)
        return mediaError(kMediaErrorOutOfMemory, "cannot encode H.264", {}, allocated);
    d.codec = std::move(opened.value());
    return {};
}

Result<void> H264Encoder::encode(PixelBuffer& buffer, int64_t pts, const PacketSink& sink)
{
    Impl& d = *_impl;
    const bool direct
        = buffer.planeCount() != 2 && buffer.width() == d.settings.width && buffer.height() == d.settings.height;
    if (!direct) {
        auto prepared = d.prepareConverter(buffer);
        if (!prepared.ok())
            return prepared;
    }
    // The encoder may still hold the last picture: then this gives a fresh one.
    int writable = av_frame_make_writable(d.picture.get());
    if (writable < 0)
        return mediaError(kMediaErrorOutOfMemory, "cannot encode H.264", {}, writable);
    buffer.lockBaseAddress(PixelBufferLock::ReadOnly);
    const bool planar = buffer.planeCount() == 2;
    if (direct) {
        d.convertDirectly(buffer);
    } else {
        const uint8_t* sourcePlanes[] = {buffer.baseAddressOfPlane(0), planar ? buffer.baseAddressOfPlane(1) : nullptr};
        const int sourceStrides[] = {static_cast<int>(buffer.bytesPerRowOfPlane(0)),
            planar ? static_cast<int>(buffer.bytesPerRowOfPlane(1)) : 0};
        sws_scale(d.converter.get(), sourcePlanes, sourceStrides, 0, buffer.height(), d.converted->data,
            d.converted->linesize);
        d.interleaveConverted();
    }
    buffer.unlockBaseAddress(PixelBufferLock::ReadOnly);
    d.picture->pts = pts;
    int sent = avcodec_send_frame(d.codec.get(), d.picture.get());
    if (sent < 0)
        return mediaError(kMediaErrorUnknown, "cannot encode H.264", {}, sent);
    return d.drain(sink);
}

Result<void> H264Encoder::flush(const PacketSink& sink)
{
    Impl& d = *_impl;
    if (!d.codec)
        return {};
    int sent = avcodec_send_frame(d.codec.get(), nullptr);
    if (sent < 0 && sent != AVERROR_EOF)
        return mediaError(kMediaErrorUnknown, "cannot finish the H.264 stream", {}, sent);
    return d.drain(sink);
}

}  // namespace plat::detail
