#include "platform/media/AppleLosslessFileWriter.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/media/FFmpegSupport.h"
#include "platform/media/H264Encoder.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/MovieMuxer.h"

namespace plat::detail {

namespace {

int16_t toSample(float value)
{
    float clipped = std::clamp(value, -1.0f, 1.0f);
    return static_cast<int16_t>(std::lrint(clipped * 32767.0f));
}

}  // namespace

struct AppleLosslessFileWriter::Impl {
    std::string path;
    int sampleRate = 0;
    int channels = 0;
    CodecContextPtr encoder;
    std::unique_ptr<MovieMuxer> muxer;
    int slot = -1;
    AudioFifoPtr fifo;  // 16-bit planar samples waiting for a whole frame
    FramePtr frame {av_frame_alloc()};
    std::vector<std::vector<int16_t>> planes;  // conversion buffers, one per channel
    int64_t appended = 0;
    int64_t nextPts = 0;
    bool finished = false;

    Error writeError(const std::string& operation, int code = 0) const
    {
        return mediaError(kMediaErrorDiskFull, operation, path, code);
    }

    Result<void> drainPackets()
    {
        for (;;) {
            EncodedPacket packet(av_packet_alloc());
            if (!packet)
                return mediaError(kMediaErrorOutOfMemory, "cannot encode the sound of", path);
            int received = avcodec_receive_packet(encoder.get(), packet.get());
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
                return {};
            if (received < 0)
                return mediaError(kMediaErrorUnknown, "cannot encode the sound of", path, received);
            auto written = muxer->writePacket(slot, std::move(packet));
            if (!written.ok())
                return written;
        }
    }

    Result<void> encodeFromFifo(int samples)
    {
        av_frame_unref(frame.get());
        frame->nb_samples = samples;
        frame->format = encoder->sample_fmt;
        frame->sample_rate = sampleRate;
        if (av_channel_layout_copy(&frame->ch_layout, &encoder->ch_layout) < 0
            || av_frame_get_buffer(frame.get(), 0) < 0)
            return mediaError(kMediaErrorOutOfMemory, "cannot encode the sound of", path);
        if (av_audio_fifo_read(fifo.get(), reinterpret_cast<void**>(frame->data), samples) != samples)
            return mediaError(kMediaErrorUnknown, "cannot encode the sound of", path);
        frame->pts = nextPts;
        nextPts += samples;
        int sent = avcodec_send_frame(encoder.get(), frame.get());
        if (sent < 0)
            return mediaError(kMediaErrorUnknown, "cannot encode the sound of", path, sent);
        return drainPackets();
    }
};

AppleLosslessFileWriter::AppleLosslessFileWriter(std::unique_ptr<Impl> impl)
    : _impl(std::move(impl))
{
}

AppleLosslessFileWriter::~AppleLosslessFileWriter()
{
    if (_impl->muxer && !_impl->finished)
        _impl->muxer->abandon();
}

Result<std::unique_ptr<AppleLosslessFileWriter>> AppleLosslessFileWriter::create(
    const std::string& path, int sampleRate, int channels)
{
    configureFFmpegLogging();
    if (sampleRate < 8000 || sampleRate > kMaxSampleRate || channels < 1 || channels > kMaxChannels)
        return mediaError(kMediaErrorUnknown, "unsupported recording format for", path);
    auto impl = std::make_unique<Impl>();
    impl->path = path;
    impl->sampleRate = sampleRate;
    impl->channels = channels;
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_ALAC);
    if (!codec)
        return mediaError(kMediaErrorEncoderNotFound, "this FFmpeg has no Apple Lossless encoder for", path);
    impl->encoder.reset(avcodec_alloc_context3(codec));
    if (!impl->encoder || !impl->frame)
        return mediaError(kMediaErrorOutOfMemory, "cannot record into", path);
    AVCodecContext& encoder = *impl->encoder;
    encoder.sample_fmt = AV_SAMPLE_FMT_S16P;
    encoder.sample_rate = sampleRate;
    av_channel_layout_default(&encoder.ch_layout, channels);
    encoder.time_base = AVRational {1, sampleRate};
    int opened = avcodec_open2(&encoder, codec, nullptr);
    if (opened < 0)
        return mediaError(kMediaErrorEncoderNotFound, "cannot start the Apple Lossless encoder for", path, opened);
    impl->fifo.reset(av_audio_fifo_alloc(AV_SAMPLE_FMT_S16P, channels, encoder.frame_size));
    if (!impl->fifo)
        return mediaError(kMediaErrorOutOfMemory, "cannot record into", path);

    impl->muxer = std::make_unique<MovieMuxer>(path, "caf");
    auto created = impl->muxer->open();
    if (!created.ok())
        return created.error();
    impl->slot = impl->muxer->addSlot();
    CodecParametersPtr parameters(avcodec_parameters_alloc());
    if (!parameters || avcodec_parameters_from_context(parameters.get(), &encoder) < 0)
        return mediaError(kMediaErrorOutOfMemory, "cannot record into", path);
    auto header = impl->muxer->setStreamParameters(impl->slot, *parameters, 1, sampleRate);
    if (!header.ok()) {
        impl->muxer->abandon();
        impl->finished = true;
        return header.error();
    }
    return std::unique_ptr<AppleLosslessFileWriter>(new AppleLosslessFileWriter(std::move(impl)));
}

Result<void> AppleLosslessFileWriter::append(const float* samples, int64_t frames)
{
    Impl& d = *_impl;
    if (d.finished)
        return mediaError(kMediaErrorUnknown, "the recording is closed:", d.path);
    if (frames <= 0)
        return {};
    d.planes.resize(static_cast<size_t>(d.channels));
    std::vector<void*> pointers;
    for (int c = 0; c < d.channels; ++c) {
        auto& plane = d.planes[static_cast<size_t>(c)];
        plane.resize(static_cast<size_t>(frames));
        for (int64_t i = 0; i < frames; ++i)
            plane[static_cast<size_t>(i)] = toSample(samples[i * d.channels + c]);
        pointers.push_back(plane.data());
    }
    if (av_audio_fifo_write(d.fifo.get(), pointers.data(), static_cast<int>(frames)) < frames)
        return mediaError(kMediaErrorOutOfMemory, "cannot record into", d.path);
    d.appended += frames;
    while (av_audio_fifo_size(d.fifo.get()) >= d.encoder->frame_size) {
        auto encoded = d.encodeFromFifo(d.encoder->frame_size);
        if (!encoded.ok())
            return encoded;
    }
    return {};
}

Result<void> AppleLosslessFileWriter::finish()
{
    Impl& d = *_impl;
    if (d.finished)
        return mediaError(kMediaErrorUnknown, "the recording is closed:", d.path);
    auto fail = [&](Error error) -> Result<void> {
        d.muxer->abandon();
        d.finished = true;
        return error;
    };
    // The last frame may be short: the encoder takes one at the end.
    if (int left = av_audio_fifo_size(d.fifo.get()); left > 0) {
        auto encoded = d.encodeFromFifo(left);
        if (!encoded.ok())
            return fail(encoded.error());
    }
    int flushed = avcodec_send_frame(d.encoder.get(), nullptr);
    if (flushed < 0)
        return fail(mediaError(kMediaErrorUnknown, "cannot encode the sound of", d.path, flushed));
    auto drained = d.drainPackets();
    if (!drained.ok())
        return fail(drained.error());
    auto slotFinished = d.muxer->finishSlot(d.slot);
    if (!slotFinished.ok())
        return fail(slotFinished.error());
    d.finished = true;
    return d.muxer->finish();
}

int64_t AppleLosslessFileWriter::framesAppended() const
{
    return _impl->appended;
}

}  // namespace plat::detail
