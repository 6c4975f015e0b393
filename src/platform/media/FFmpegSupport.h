#pragma once
// FFmpeg handles and helpers shared by the media stand-in's sources. Not for
// use outside src/platform/media: public headers never include FFmpeg.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Error.h"
#include "platform/foundation/Result.h"
#include "platform/media/AssetTrack.h"
#include "platform/media/MediaTime.h"

namespace plat::detail {

struct InputFormatContextDeleter {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
using InputFormatContextPtr = std::unique_ptr<AVFormatContext, InputFormatContextDeleter>;

// An output context owns its file (pb) once it has been opened.
struct OutputFormatContextDeleter {
    void operator()(AVFormatContext* context) const
    {
        if (context->pb && !(context->oformat->flags & AVFMT_NOFILE))
            avio_closep(&context->pb);
        avformat_free_context(context);
    }
};
using OutputFormatContextPtr = std::unique_ptr<AVFormatContext, OutputFormatContextDeleter>;

struct CodecContextDeleter {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;

struct FrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;

struct PacketDeleter {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;

struct CodecParametersDeleter {
    void operator()(AVCodecParameters* parameters) const { avcodec_parameters_free(&parameters); }
};
using CodecParametersPtr = std::unique_ptr<AVCodecParameters, CodecParametersDeleter>;

struct SwsContextDeleter {
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};
using SwsContextPtr = std::unique_ptr<SwsContext, SwsContextDeleter>;

struct SwrContextDeleter {
    void operator()(SwrContext* context) const { swr_free(&context); }
};
using SwrContextPtr = std::unique_ptr<SwrContext, SwrContextDeleter>;

struct AudioFifoDeleter {
    void operator()(AVAudioFifo* fifo) const { av_audio_fifo_free(fifo); }
};
using AudioFifoPtr = std::unique_ptr<AVAudioFifo, AudioFifoDeleter>;

// Sends FFmpeg's errors to the console log and keeps its chatter out; every
// entry into FFmpeg calls this first (it acts once).
void configureFFmpegLogging();

// FFmpeg's own text for an error code.
std::string ffmpegErrorText(int code);

// An error of the media domain naming the operation, the path and, when
// ffmpegCode is not 0, the library's text.
Error mediaError(int64_t code, const std::string& operation, const std::string& path, int ffmpegCode = 0);

// Opens a media file for its headers only (tags, attached pictures, the
// lengths the container states), without probing the streams: much cheaper
// where nothing is decoded. Files are outside input, as below.
Result<InputFormatContextPtr> openMediaFileHeaders(const std::string& path);
// Opens a media file for reading with its streams probed. Files are outside
// input: a failure is an error, never a crash.
Result<InputFormatContextPtr> openMediaFile(const std::string& path);

// A stream time in its time base as a media time: timescales that fit are
// kept, others are rounded to preferredTimescale.
MediaTime mediaTimeFromStreamTime(int64_t value, AVRational timeBase, int32_t preferredTimescale);
// A media time in a time base, rounded to nearest.
int64_t streamTimeFromMediaTime(const MediaTime& time, AVRational timeBase);

// The platform's four-character subtype of a codec; 0 when it has none.
uint32_t mediaSubTypeForCodec(AVCodecID codec);
// The linear PCM description of a PCM codec, or none for other codecs.
std::optional<AudioStreamBasicDescription> linearPCMDescription(AVCodecID codec, int sampleRate, int channels);
// The PCM codec that stores samples as the description says; AV_CODEC_ID_NONE
// for descriptions of other formats or sample layouts we cannot store.
AVCodecID pcmCodecForDescription(const AudioStreamBasicDescription& description);
// The sample format FFmpeg uses for such samples in memory (interleaved).
AVSampleFormat sampleFormatForDescription(const AudioStreamBasicDescription& description);

}  // namespace plat::detail
