#include "platform/media/AudioStreamDecoder.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

extern "C" {
#include <libavdevice/avdevice.h>
}

#include "platform/foundation/Log.h"
#include "platform/media/FFmpegSupport.h"
#include "platform/media/MediaConstants.h"

namespace plat::detail {

namespace {

constexpr int kMaxChannels = 64;
constexpr int kMaxSampleRate = 768000;
// No real sound is recorded slower; a damaged file claiming a rate of a few
// hertz would otherwise be stretched into gigabytes of resampled silence.
constexpr int kMinSampleRate = 4000;
// Closer than this to the start, a seek is not worth it: decoding and dropping is exact.
constexpr double kShortestSeekSeconds = 1.0;

void registerInputDevices()
{
    static std::once_flag registered;
    std::call_once(registered, [] { avdevice_register_all(); });
}

}  // namespace

struct AudioStreamDecoder::Impl {
    std::string path;
    int streamIndex = -1;
    int outputRate = 0;
    int outputChannels = 0;
    InputFormatContextPtr format;
    CodecContextPtr codec;
    SwrContextPtr resampler;
    PacketPtr packet {av_packet_alloc()};
    FramePtr frame {av_frame_alloc()};
    AVRational timeBase {1, 1};
    int64_t streamStart = 0;  // stream time of the first sample

    // The resampler's input format, to notice a change mid-stream.
    int resamplerFormat = -1;
    int resamplerRate = 0;
    AVChannelLayout resamplerLayout {};

    // Silence owed before the pending samples, in frames: counted, not stored,
    // since a damaged file's times may put its next sound days ahead.
    int64_t pendingSilence = 0;
    std::vector<float> pending;  // converted samples not yet read, interleaved
    size_t pendingOffset = 0;  // in floats
    bool inputEnded = false;
    bool finished = false;
    std::optional<int64_t> startAt;  // stream time where reading begins; earlier samples are dropped
    int64_t nextTime = AV_NOPTS_VALUE;  // expected stream time of the next frame
    int64_t damagedPackets = 0;

    bool live = false;  // a device that delivers at its own pace
    bool waiting = false;  // a live device had nothing more for now

    ~Impl() { av_channel_layout_uninit(&resamplerLayout); }

    static Result<std::unique_ptr<Impl>> make(const std::string& path, int outputRate, int outputChannels)
    {
        if (outputRate <= 0 || outputRate > kMaxSampleRate || outputChannels <= 0 || outputChannels > kMaxChannels)
            return mediaError(kMediaErrorUnknown, "unsupported output format for", path);
        auto impl = std::make_unique<Impl>();
        impl->path = path;
        impl->outputRate = outputRate;
        impl->outputChannels = outputChannels;
        if (!impl->packet || !impl->frame)
            return mediaError(kMediaErrorOutOfMemory, "cannot decode", path);
        return impl;
    }

    size_t pendingSampleFrames() const
    {
        return (pending.size() - pendingOffset) / static_cast<size_t>(outputChannels);
    }
    bool hasPending() const { return pendingSilence > 0 || pendingSampleFrames() > 0; }

    Result<void> configureResampler(const AVFrame& input)
    {
        if (resampler && input.format == resamplerFormat && input.sample_rate == resamplerRate
            && av_channel_layout_compare(&input.ch_layout, &resamplerLayout) == 0)
            return {};
        AVChannelLayout inputLayout {};
        if (input.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || av_channel_layout_check(&input.ch_layout) == 0)
            av_channel_layout_default(&inputLayout, input.ch_layout.nb_channels);
        else if (av_channel_layout_copy(&inputLayout, &input.ch_layout) < 0)
            return mediaError(kMediaErrorOutOfMemory, "cannot copy the channel layout of", path);
        AVChannelLayout outputLayout {};
        av_channel_layout_default(&outputLayout, outputChannels);
        SwrContext* raw = nullptr;
        int made = swr_alloc_set_opts2(&raw, &outputLayout, AV_SAMPLE_FMT_FLT, outputRate, &inputLayout,
            static_cast<AVSampleFormat>(input.format), input.sample_rate, 0, nullptr);
        av_channel_layout_uninit(&inputLayout);
        av_channel_layout_uninit(&outputLayout);
        SwrContextPtr owned(raw);
        if (made < 0)
            return mediaError(kMediaErrorFileFailedToParse, "cannot convert the sound of", path, made);
        if (input.ch_layout.nb_channels == 1 && outputChannels > 1) {
            // A mono voice plays at full level on every side, as the platform
            // mixes it (the resampler would lower it by 3 dB).
            std::vector<double> matrix(static_cast<size_t>(outputChannels), 1.0);
            int set = swr_set_matrix(raw, matrix.data(), 1);
            if (set < 0)
                return mediaError(kMediaErrorFileFailedToParse, "cannot convert the sound of", path, set);
        }
        int initialised = swr_init(raw);
        if (initialised < 0)
            return mediaError(kMediaErrorFileFailedToParse, "cannot convert the sound of", path, initialised);
        resampler = std::move(owned);
        resamplerFormat = input.format;
        resamplerRate = input.sample_rate;
        av_channel_layout_uninit(&resamplerLayout);
        if (av_channel_layout_copy(&resamplerLayout, &input.ch_layout) < 0)
            return mediaError(kMediaErrorOutOfMemory, "cannot copy the channel layout of", path);
        return {};
    }

    // Only while nothing is pending: the silence comes before the samples converted next.
    void appendSilence(int64_t frames)
    {
        if (frames > 0)
            pendingSilence = frames;
    }

    Result<void> convert(const AVFrame& input)
    {
        if (input.sample_rate < kMinSampleRate || input.sample_rate > kMaxSampleRate || input.ch_layout.nb_channels <= 0
            || input.ch_layout.nb_channels > kMaxChannels || input.nb_samples <= 0)
            return {};  // a damaged frame is left out
        auto configured = configureResampler(input);
        if (!configured.ok())
            return configured;
        int64_t frameTime = input.best_effort_timestamp != AV_NOPTS_VALUE ? input.best_effort_timestamp : nextTime;
        int skip = 0;
        if (startAt && frameTime != AV_NOPTS_VALUE) {
            int64_t offset = av_rescale_q(*startAt - frameTime, timeBase, AVRational {1, input.sample_rate});
            if (offset >= input.nb_samples) {
                nextTime = frameTime + av_rescale_q(input.nb_samples, AVRational {1, input.sample_rate}, timeBase);
                return {};  // all before the start
            }
            if (offset > 0)
                skip = static_cast<int>(offset);
            else
                appendSilence(av_rescale(-offset, outputRate, input.sample_rate));
            startAt.reset();
        } else if (startAt) {
            startAt.reset();  // no times to go by: read from here
        }
        if (frameTime != AV_NOPTS_VALUE)
            nextTime = frameTime + av_rescale_q(input.nb_samples, AVRational {1, input.sample_rate}, timeBase);

        int bytesPerSample = av_get_bytes_per_sample(static_cast<AVSampleFormat>(input.format));
        bool planar = av_sample_fmt_is_planar(static_cast<AVSampleFormat>(input.format));
        int channels = input.ch_layout.nb_channels;
        std::vector<const uint8_t*> planes(planar ? static_cast<size_t>(channels) : 1);
        for (size_t i = 0; i < planes.size(); ++i) {
            const uint8_t* base = input.extended_data[i];
            planes[i]
                = base + static_cast<size_t>(skip) * static_cast<size_t>(bytesPerSample) * (planar ? 1 : channels);
        }
        int inputSamples = input.nb_samples - skip;
        return resample(planes.data(), inputSamples);
    }

    Result<void> resample(const uint8_t* const* planes, int inputSamples)
    {
        int capacity = swr_get_out_samples(resampler.get(), inputSamples);
        if (capacity <= 0)
            return {};
        size_t oldSize = pending.size();
        pending.resize(oldSize + static_cast<size_t>(capacity) * static_cast<size_t>(outputChannels));
        uint8_t* out = reinterpret_cast<uint8_t*>(pending.data() + oldSize);
        int made = swr_convert(resampler.get(), &out, capacity, const_cast<const uint8_t**>(planes), inputSamples);
        if (made < 0) {
            pending.resize(oldSize);
            return mediaError(kMediaErrorFileFailedToParse, "cannot convert the sound of", path, made);
        }
        pending.resize(oldSize + static_cast<size_t>(made) * static_cast<size_t>(outputChannels));
        return {};
    }

    // Decodes until some samples are pending or the stream has ended.
    Result<void> decodeMore()
    {
        while (!finished) {
            int received = avcodec_receive_frame(codec.get(), frame.get());
            if (received == 0) {
                auto converted = convert(*frame);
                av_frame_unref(frame.get());
                if (!converted.ok())
                    return converted;
                if (hasPending())
                    return {};
                continue;
            }
            if (received == AVERROR_EOF) {
                if (resampler) {
                    auto flushed = resample(nullptr, 0);
                    if (!flushed.ok())
                        return flushed;
                }
                finished = true;
                return {};
            }
            if (received != AVERROR(EAGAIN)) {
                ++damagedPackets;  // the decoder gave up on a frame: go on with the next
                continue;
            }
            if (inputEnded) {
                finished = true;  // the decoder would not drain: nothing more to come
                return {};
            }
            int read = av_read_frame(format.get(), packet.get());
            if (read == AVERROR(EAGAIN) && live) {
                waiting = true;
                return {};
            }
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
                    ++damagedPackets;
            }
            av_packet_unref(packet.get());
        }
        return {};
    }
};

AudioStreamDecoder::AudioStreamDecoder(std::unique_ptr<Impl> impl)
    : _impl(std::move(impl))
{
}

AudioStreamDecoder::~AudioStreamDecoder()
{
    if (_impl && _impl->damagedPackets > 0)
        plat::log("media: skipped {} damaged packets of {}", _impl->damagedPackets, _impl->path);
}

Result<std::unique_ptr<AudioStreamDecoder>> AudioStreamDecoder::open(
    const std::string& path, int streamIndex, int outputRate, int outputChannels)
{
    auto impl = Impl::make(path, outputRate, outputChannels);
    if (!impl.ok())
        return impl.error();
    auto opened = openMediaFile(path);
    if (!opened.ok())
        return opened.error();
    impl.value()->format = std::move(opened).value();
    return openStream(std::move(impl).value(), streamIndex);
}

Result<std::unique_ptr<AudioStreamDecoder>> AudioStreamDecoder::openDevice(
    const DeviceInput& device, int outputRate, int outputChannels)
{
    auto made = Impl::make(device.url, outputRate, outputChannels);
    if (!made.ok())
        return made.error();
    std::unique_ptr<Impl> impl = std::move(made).value();
    configureFFmpegLogging();
    registerInputDevices();
    const AVInputFormat* inputFormat = av_find_input_format(device.formatName.c_str());
    if (!inputFormat)
        return mediaError(
            kMediaErrorDeviceNotConnected, "this FFmpeg has no input " + device.formatName + " for", device.url);
    AVDictionary* options = nullptr;
    for (const auto& [key, value] : device.options)
        av_dict_set(&options, key.c_str(), value.c_str(), 0);
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw) {
        av_dict_free(&options);
        return mediaError(kMediaErrorOutOfMemory, "cannot open", device.url);
    }
    if (device.live)
        raw->flags |= AVFMT_FLAG_NONBLOCK;  // the caller takes what has come and moves on
    int opened = avformat_open_input(&raw, device.url.c_str(), inputFormat, &options);
    av_dict_free(&options);
    if (opened < 0)
        return mediaError(
            kMediaErrorDeviceNotConnected, "cannot open " + device.formatName + " input", device.url, opened);
    impl->format.reset(raw);
    impl->live = device.live;
    int streamIndex = av_find_best_stream(impl->format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (streamIndex < 0)
        return mediaError(kMediaErrorDeviceNotConnected, "no sound from", device.url, streamIndex);
    return openStream(std::move(impl), streamIndex);
}

Result<std::unique_ptr<AudioStreamDecoder>> AudioStreamDecoder::openStream(std::unique_ptr<Impl> impl, int streamIndex)
{
    const std::string& path = impl->path;
    impl->streamIndex = streamIndex;
    if (streamIndex < 0 || static_cast<unsigned>(streamIndex) >= impl->format->nb_streams)
        return mediaError(kMediaErrorFileFailedToParse, "no such stream in", path);
    AVStream* stream = impl->format->streams[streamIndex];
    if (stream->codecpar->codec_type != AVMEDIA_TYPE_AUDIO)
        return mediaError(kMediaErrorFileFailedToParse, "not an audio stream in", path);
    // Only the stream we read is demuxed into packets.
    for (unsigned i = 0; i < impl->format->nb_streams; ++i)
        impl->format->streams[i]->discard = static_cast<int>(i) == streamIndex ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!decoder)
        return mediaError(kMediaErrorFileFormatNotRecognized, "no decoder for the sound of", path);
    impl->codec.reset(avcodec_alloc_context3(decoder));
    if (!impl->codec)
        return mediaError(kMediaErrorOutOfMemory, "cannot decode", path);
    int copied = avcodec_parameters_to_context(impl->codec.get(), stream->codecpar);
    if (copied < 0)
        return mediaError(kMediaErrorFileFailedToParse, "cannot decode", path, copied);
    impl->codec->pkt_timebase = stream->time_base;
    int codecOpened = avcodec_open2(impl->codec.get(), decoder, nullptr);
    if (codecOpened < 0)
        return mediaError(kMediaErrorFileFailedToParse, "cannot decode", path, codecOpened);
    impl->timeBase = stream->time_base;
    impl->streamStart = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    return std::unique_ptr<AudioStreamDecoder>(new AudioStreamDecoder(std::move(impl)));
}

bool AudioStreamDecoder::hasEnded() const
{
    return _impl->finished && !_impl->hasPending();
}

Result<void> AudioStreamDecoder::seek(const MediaTime& time)
{
    Impl& d = *_impl;
    if (!time.isNumeric())
        return mediaError(kMediaErrorUnknown, "cannot seek to an invalid time in", d.path);
    int64_t target = d.streamStart + streamTimeFromMediaTime(time, d.timeBase);
    // Near the start it is cheaper to decode and drop, unless reading has
    // already gone past the time (a sound played again from its start).
    bool readPast = d.inputEnded || (d.nextTime != AV_NOPTS_VALUE && d.nextTime > target);
    if (time.seconds() >= kShortestSeekSeconds || readPast) {
        int sought = av_seek_frame(d.format.get(), d.streamIndex, target, AVSEEK_FLAG_BACKWARD);
        if (sought >= 0) {
            avcodec_flush_buffers(d.codec.get());
            d.resampler.reset();
            d.nextTime = AV_NOPTS_VALUE;
        } else {
            // Unseekable files are read from where they are and dropped up to the time.
            plat::log("media: cannot seek in {}: {}", d.path, ffmpegErrorText(sought));
        }
    }
    d.pendingSilence = 0;
    d.pending.clear();
    d.pendingOffset = 0;
    d.inputEnded = false;
    d.finished = false;
    d.startAt = target;
    return {};
}

Result<int64_t> AudioStreamDecoder::read(float* destination, int64_t frames)
{
    Impl& d = *_impl;
    int64_t done = 0;
    d.waiting = false;
    while (done < frames) {
        if (!d.hasPending()) {
            d.pending.clear();
            d.pendingOffset = 0;
            if (d.finished || d.waiting)
                break;
            auto decoded = d.decodeMore();
            if (!decoded.ok())
                return decoded.error();
            continue;
        }
        if (d.pendingSilence > 0) {
            int64_t take = std::min(frames - done, d.pendingSilence);
            std::fill_n(destination + done * d.outputChannels, take * d.outputChannels, 0.0f);
            d.pendingSilence -= take;
            done += take;
            continue;
        }
        int64_t take = std::min<int64_t>(frames - done, static_cast<int64_t>(d.pendingSampleFrames()));
        size_t floats = static_cast<size_t>(take) * static_cast<size_t>(d.outputChannels);
        std::memcpy(destination + done * d.outputChannels, d.pending.data() + d.pendingOffset, floats * sizeof(float));
        d.pendingOffset += floats;
        done += take;
    }
    return done;
}

}  // namespace plat::detail
