#include "platform/media/AACEncoder.h"

#include <algorithm>
#include <vector>

#include "platform/foundation/Log.h"
#include "platform/media/FFmpegSupport.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/SampleBuffer.h"

namespace plat::detail {

namespace {

// Longer gaps in the sound than this are not filled: such times are damaged.
constexpr double kLongestFilledGapSeconds = 60.0;

}  // namespace

struct AACEncoder::Impl {
    Settings settings;
    CodecContextPtr codec;
    SwrContextPtr resampler;
    AudioFifoPtr fifo;
    FramePtr frame {av_frame_alloc()};
    // The converter's input, to notice a change of format.
    int inputFormat = -1;
    int inputRate = 0;
    int inputChannels = 0;
    std::optional<int64_t> nextSample;  // encoder-rate sample of the fifo's end
    int64_t framePts = 0;  // pts of the next frame to encode

    Result<void> configureResampler(AVSampleFormat format, int rate, int channels)
    {
        if (resampler && format == inputFormat && rate == inputRate && channels == inputChannels)
            return {};
        AVChannelLayout inputLayout {};
        AVChannelLayout outputLayout {};
        av_channel_layout_default(&inputLayout, channels);
        av_channel_layout_default(&outputLayout, settings.channels);
        SwrContext* raw = nullptr;
        int made = swr_alloc_set_opts2(
            &raw, &outputLayout, codec->sample_fmt, settings.sampleRate, &inputLayout, format, rate, 0, nullptr);
        av_channel_layout_uninit(&inputLayout);
        av_channel_layout_uninit(&outputLayout);
        SwrContextPtr owned(raw);
        if (made >= 0 && settings.channels == 1 && channels > 1) {
            // Down to one channel, the channels are averaged: a sound on
            // every side keeps its level, as a mono recording of it would.
            std::vector<double> matrix(static_cast<size_t>(channels), 1.0 / channels);
            made = swr_set_matrix(owned.get(), matrix.data(), channels);
        }
        if (made < 0 || swr_init(owned.get()) < 0)
            return mediaError(kMediaErrorUnknown, "cannot convert sound for the AAC encoder", {}, made);
        resampler = std::move(owned);
        inputFormat = format;
        inputRate = rate;
        inputChannels = channels;
        return {};
    }

    Result<void> appendSilence(int64_t frames)
    {
        if (frames <= 0)
            return {};
        FramePtr silence(av_frame_alloc());
        if (!silence)
            return mediaError(kMediaErrorOutOfMemory, "cannot encode AAC", {});
        silence->format = codec->sample_fmt;
        silence->nb_samples = static_cast<int>(frames);
        av_channel_layout_default(&silence->ch_layout, settings.channels);
        if (av_frame_get_buffer(silence.get(), 0) < 0)
            return mediaError(kMediaErrorOutOfMemory, "cannot encode AAC", {});
        av_samples_set_silence(silence->extended_data, 0, silence->nb_samples, settings.channels,
            static_cast<AVSampleFormat>(silence->format));
        if (av_audio_fifo_write(fifo.get(), reinterpret_cast<void**>(silence->extended_data), silence->nb_samples)
            < silence->nb_samples)
            return mediaError(kMediaErrorOutOfMemory, "cannot encode AAC", {});
        return {};
    }

    Result<void> drain(const PacketSink& sink)
    {
        while (true) {
            EncodedPacket packet(av_packet_alloc());
            if (!packet)
                return mediaError(kMediaErrorOutOfMemory, "cannot encode AAC", {});
            int received = avcodec_receive_packet(codec.get(), packet.get());
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
                return {};
            if (received < 0)
                return mediaError(kMediaErrorUnknown, "cannot encode AAC", {}, received);
            auto written = sink(std::move(packet));
            if (!written.ok())
                return written;
        }
    }

    enum class Remainder { Waits, IsEncoded };
    // Encodes whole frames from the fifo, and the last partial one when told.
    Result<void> encodeWaiting(const PacketSink& sink, Remainder remainder)
    {
        const int frameSize = codec->frame_size > 0 ? codec->frame_size : 1024;
        const bool last = remainder == Remainder::IsEncoded;
        while (av_audio_fifo_size(fifo.get()) >= frameSize || (last && av_audio_fifo_size(fifo.get()) > 0)) {
            const int count = std::min(frameSize, av_audio_fifo_size(fifo.get()));
            av_frame_unref(frame.get());
            frame->format = codec->sample_fmt;
            frame->nb_samples = count;
            frame->sample_rate = settings.sampleRate;
            av_channel_layout_default(&frame->ch_layout, settings.channels);
            if (av_frame_get_buffer(frame.get(), 0) < 0)
                return mediaError(kMediaErrorOutOfMemory, "cannot encode AAC", {});
            if (av_audio_fifo_read(fifo.get(), reinterpret_cast<void**>(frame->data), count) < count)
                return mediaError(kMediaErrorUnknown, "cannot encode AAC", {});
            frame->pts = framePts;
            framePts += count;
            int sent = avcodec_send_frame(codec.get(), frame.get());
            if (sent < 0)
                return mediaError(kMediaErrorUnknown, "cannot encode AAC", {}, sent);
            auto drained = drain(sink);
            if (!drained.ok())
                return drained;
        }
        return {};
    }
};

AACEncoder::AACEncoder(Settings settings)
    : _impl(std::make_unique<Impl>())
{
    _impl->settings = settings;
}

AACEncoder::~AACEncoder() = default;

bool AACEncoder::isOpen() const
{
    return _impl->codec != nullptr;
}

const AVCodecContext* AACEncoder::context() const
{
    return _impl->codec.get();
}

Result<void> AACEncoder::open()
{
    configureFFmpegLogging();
    Impl& d = *_impl;
    const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!encoder)
        return mediaError(kMediaErrorEncoderNotFound, "no AAC encoder in this FFmpeg", {});
    CodecContextPtr codec(avcodec_alloc_context3(encoder));
    if (!codec || !d.frame)
        return mediaError(kMediaErrorOutOfMemory, "cannot encode AAC", {});
    codec->sample_fmt = AV_SAMPLE_FMT_FLTP;
    codec->sample_rate = d.settings.sampleRate;
    av_channel_layout_default(&codec->ch_layout, d.settings.channels);
    codec->time_base = AVRational {1, d.settings.sampleRate};
    if (d.settings.bitRate > 0)
        codec->bit_rate = d.settings.bitRate;
    codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int opened = avcodec_open2(codec.get(), encoder, nullptr);
    if (opened < 0)
        return mediaError(kMediaErrorUnknown, "cannot open the AAC encoder", {}, opened);
    d.fifo.reset(
        av_audio_fifo_alloc(codec->sample_fmt, d.settings.channels, codec->frame_size > 0 ? codec->frame_size : 1024));
    if (!d.fifo)
        return mediaError(kMediaErrorOutOfMemory, "cannot encode AAC", {});
    d.codec = std::move(codec);
    return {};
}

Result<void> AACEncoder::encode(const SampleBuffer& sound, const MediaTime& time, const PacketSink& sink)
{
    Impl& d = *_impl;
    const AudioStreamBasicDescription& format = sound.audioStreamBasicDescription();
    const AVSampleFormat sampleFormat = sampleFormatForDescription(format);
    const int rate = static_cast<int>(format.sampleRate);
    const int channels = static_cast<int>(format.channelsPerFrame);
    if (!sound.isLinearPCM() || sampleFormat == AV_SAMPLE_FMT_NONE || av_sample_fmt_is_planar(sampleFormat) || rate <= 0
        || rate != format.sampleRate || channels <= 0 || channels > 64)
        return mediaError(kMediaErrorUnknown, "only interleaved linear PCM can be encoded as AAC", {});
    auto configured = d.configureResampler(sampleFormat, rate, channels);
    if (!configured.ok())
        return configured;

    // Where this sound begins at the encoder's rate; a gap before it is silence.
    const int64_t start = streamTimeFromMediaTime(time, AVRational {1, d.settings.sampleRate});
    if (!d.nextSample) {
        d.nextSample = start;
        d.framePts = start;
    } else if (start > *d.nextSample) {
        const int64_t gap = start - *d.nextSample;
        if (gap <= static_cast<int64_t>(kLongestFilledGapSeconds * d.settings.sampleRate)) {
            auto filled = d.appendSilence(gap);
            if (!filled.ok())
                return filled;
            *d.nextSample += gap;
        }
    }

    const int inputFrames = static_cast<int>(sound.numSamples());
    const int outputCapacity = swr_get_out_samples(d.resampler.get(), inputFrames);
    FramePtr converted(av_frame_alloc());
    if (!converted || outputCapacity < 0)
        return mediaError(kMediaErrorOutOfMemory, "cannot encode AAC", {});
    converted->format = d.codec->sample_fmt;
    converted->nb_samples = std::max(outputCapacity, 1);
    av_channel_layout_default(&converted->ch_layout, d.settings.channels);
    if (av_frame_get_buffer(converted.get(), 0) < 0)
        return mediaError(kMediaErrorOutOfMemory, "cannot encode AAC", {});
    const uint8_t* input[] = {sound.dataBuffer().data()};
    int got = swr_convert(d.resampler.get(), converted->extended_data, converted->nb_samples, input, inputFrames);
    if (got < 0)
        return mediaError(kMediaErrorUnknown, "cannot convert sound for the AAC encoder", {}, got);
    if (av_audio_fifo_write(d.fifo.get(), reinterpret_cast<void**>(converted->extended_data), got) < got)
        return mediaError(kMediaErrorOutOfMemory, "cannot encode AAC", {});
    *d.nextSample += got;
    return d.encodeWaiting(sink, Impl::Remainder::Waits);
}

Result<void> AACEncoder::flush(const PacketSink& sink)
{
    Impl& d = *_impl;
    if (!d.codec)
        return {};
    // What the converter still holds (a change of rate delays a few samples).
    if (d.resampler) {
        const int held = swr_get_out_samples(d.resampler.get(), 0);
        if (held > 0) {
            FramePtr rest(av_frame_alloc());
            if (!rest)
                return mediaError(kMediaErrorOutOfMemory, "cannot encode AAC", {});
            rest->format = d.codec->sample_fmt;
            rest->nb_samples = held;
            av_channel_layout_default(&rest->ch_layout, d.settings.channels);
            if (av_frame_get_buffer(rest.get(), 0) < 0)
                return mediaError(kMediaErrorOutOfMemory, "cannot encode AAC", {});
            const int got = swr_convert(d.resampler.get(), rest->extended_data, held, nullptr, 0);
            if (got > 0 && av_audio_fifo_write(d.fifo.get(), reinterpret_cast<void**>(rest->extended_data), got) < got)
                return mediaError(kMediaErrorOutOfMemory, "cannot encode AAC", {});
        }
    }
    auto waiting = d.encodeWaiting(sink, Impl::Remainder::IsEncoded);
    if (!waiting.ok())
        return waiting;
    int sent = avcodec_send_frame(d.codec.get(), nullptr);
    if (sent < 0 && sent != AVERROR_EOF)
        return mediaError(kMediaErrorUnknown, "cannot finish the AAC stream", {}, sent);
    return d.drain(sink);
}

}  // namespace plat::detail
