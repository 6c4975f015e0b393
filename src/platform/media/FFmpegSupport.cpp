#include "platform/media/FFmpegSupport.h"

#include <cstdarg>
#include <limits>
#include <memory>
#include <mutex>

#include "platform/foundation/Log.h"
#include "platform/media/MediaConstants.h"

namespace plat::detail {

namespace {

// Media files are opened from the file system only (never a network address
// hidden in a playlist) and only in the container formats we read.
constexpr const char* kAllowedProtocols = "file";
constexpr const char* kAllowedFormats = "mov,mp3,aac,ac3,wav,w64,aiff,caf,flac,ogg,matroska,avi";
// FFmpeg's own error codes are tags far below minus this; an errno is not.
constexpr int kLargestErrno = 4096;

void forwardLogLine(void* context, int level, const char* format, va_list arguments)
{
    if (level > av_log_get_level())
        return;
    char line[1024];
    int printPrefix = 1;
    av_log_format_line2(context, level, format, arguments, line, sizeof line, &printPrefix);
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    if (!text.empty())
        plat::log("ffmpeg: {}", text);
}

}  // namespace

void configureFFmpegLogging()
{
    static std::once_flag configured;
    std::call_once(configured, [] {
        av_log_set_level(AV_LOG_ERROR);
        av_log_set_callback(forwardLogLine);
    });
}

std::string ffmpegErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

Error mediaError(int64_t code, const std::string& operation, const std::string& path, int ffmpegCode)
{
    std::string text = operation;
    if (!path.empty())
        text += " " + path;
    if (ffmpegCode != 0)
        text += ": " + ffmpegErrorText(ffmpegCode);
    Dictionary userInfo;
    if (!path.empty())
        userInfo.set(kFilePathErrorKey, path);
    // A failure of the file system (AVERROR of an errno) keeps the system's
    // error underneath, as the platform's media errors do.
    std::shared_ptr<const Error> underlying;
    if (ffmpegCode < 0 && -ffmpegCode < kLargestErrno)
        underlying = std::make_shared<const Error>(Error::posix(-ffmpegCode, operation, path));
    return Error(kMediaErrorDomain, code, std::move(text), std::move(userInfo), std::move(underlying));
}

Result<InputFormatContextPtr> openMediaFileHeaders(const std::string& path)
{
    configureFFmpegLogging();
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", kAllowedProtocols, 0);
    av_dict_set(&options, "format_whitelist", kAllowedFormats, 0);
    AVFormatContext* raw = nullptr;
    // The "file:" prefix keeps a colon in the path from naming another protocol.
    int opened = avformat_open_input(&raw, ("file:" + path).c_str(), nullptr, &options);
    av_dict_free(&options);
    if (opened < 0)
        return mediaError(kMediaErrorFileFormatNotRecognized, "cannot open media file", path, opened);
    return InputFormatContextPtr(raw);
}

Result<InputFormatContextPtr> openMediaFile(const std::string& path)
{
    auto opened = openMediaFileHeaders(path);
    if (!opened.ok())
        return opened.error();
    InputFormatContextPtr context = std::move(opened.value());
    int probed = avformat_find_stream_info(context.get(), nullptr);
    if (probed < 0)
        return mediaError(kMediaErrorFileFailedToParse, "cannot read the streams of", path, probed);
    return context;
}

MediaTime mediaTimeFromStreamTime(int64_t value, AVRational timeBase, int32_t preferredTimescale)
{
    if (value == AV_NOPTS_VALUE || timeBase.num <= 0 || timeBase.den <= 0)
        return MediaTime::invalid();
    if (timeBase.num == 1)
        return MediaTime::make(value, timeBase.den);
    int64_t scaled = av_rescale_q_rnd(value, timeBase, AVRational {1, preferredTimescale},
        static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
    return MediaTime::make(scaled, preferredTimescale);
}

int64_t streamTimeFromMediaTime(const MediaTime& time, AVRational timeBase)
{
    if (!time.isNumeric())
        return AV_NOPTS_VALUE;
    // value / timescale seconds in units of timeBase: value * den / (timescale * num).
    return av_rescale_q_rnd(time.value, AVRational {1, time.timescale}, timeBase,
        static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
}

}  // namespace plat::detail

namespace plat::detail {

uint32_t mediaSubTypeForCodec(AVCodecID codec)
{
    switch (codec) {
    case AV_CODEC_ID_H264:
        return kVideoCodecTypeH264;
    case AV_CODEC_ID_HEVC:
        return kVideoCodecTypeHEVC;
    case AV_CODEC_ID_MPEG4:
        return kVideoCodecTypeMPEG4Video;
    case AV_CODEC_ID_MJPEG:
        return kVideoCodecTypeJPEG;
    case AV_CODEC_ID_AAC:
        return kAudioFormatMPEG4AAC;
    case AV_CODEC_ID_MP3:
        return kAudioFormatMPEGLayer3;
    case AV_CODEC_ID_ALAC:
        return kAudioFormatAppleLossless;
    default:
        return linearPCMDescription(codec, 1, 1) ? kAudioFormatLinearPCM : 0;
    }
}

namespace {

struct PCMLayout {
    AVCodecID codec;
    uint32_t bits;
    bool isFloat;
    bool isBigEndian;
    bool isSigned;
};

constexpr PCMLayout kPCMLayouts[] = {
    {AV_CODEC_ID_PCM_S16LE, 16, false, false, true},
    {AV_CODEC_ID_PCM_S16BE, 16, false, true, true},
    {AV_CODEC_ID_PCM_S24LE, 24, false, false, true},
    {AV_CODEC_ID_PCM_S24BE, 24, false, true, true},
    {AV_CODEC_ID_PCM_S32LE, 32, false, false, true},
    {AV_CODEC_ID_PCM_S32BE, 32, false, true, true},
    {AV_CODEC_ID_PCM_F32LE, 32, true, false, true},
    {AV_CODEC_ID_PCM_F32BE, 32, true, true, true},
    {AV_CODEC_ID_PCM_F64LE, 64, true, false, true},
    {AV_CODEC_ID_PCM_F64BE, 64, true, true, true},
    {AV_CODEC_ID_PCM_U8, 8, false, false, false},
    {AV_CODEC_ID_PCM_S8, 8, false, false, true},
};

}  // namespace

std::optional<AudioStreamBasicDescription> linearPCMDescription(AVCodecID codec, int sampleRate, int channels)
{
    for (const PCMLayout& layout : kPCMLayouts) {
        if (layout.codec != codec)
            continue;
        AudioStreamBasicDescription description;
        description.sampleRate = sampleRate;
        description.formatID = kAudioFormatLinearPCM;
        description.formatFlags = kAudioFormatFlagIsPacked | (layout.isFloat ? kAudioFormatFlagIsFloat : 0)
            | (layout.isBigEndian ? kAudioFormatFlagIsBigEndian : 0)
            | (layout.isSigned && !layout.isFloat ? kAudioFormatFlagIsSignedInteger : 0);
        description.bitsPerChannel = layout.bits;
        description.channelsPerFrame = static_cast<uint32_t>(channels);
        description.bytesPerFrame = layout.bits / 8 * static_cast<uint32_t>(channels);
        description.framesPerPacket = 1;
        description.bytesPerPacket = description.bytesPerFrame;
        return description;
    }
    return std::nullopt;
}

AVCodecID pcmCodecForDescription(const AudioStreamBasicDescription& description)
{
    if (description.formatID != kAudioFormatLinearPCM || (description.formatFlags & kAudioFormatFlagIsNonInterleaved))
        return AV_CODEC_ID_NONE;
    bool isFloat = description.formatFlags & kAudioFormatFlagIsFloat;
    bool isBigEndian = description.formatFlags & kAudioFormatFlagIsBigEndian;
    bool isSigned = isFloat || (description.formatFlags & kAudioFormatFlagIsSignedInteger);
    for (const PCMLayout& layout : kPCMLayouts) {
        bool endianMatters = layout.bits > 8;
        if (layout.bits == description.bitsPerChannel && layout.isFloat == isFloat && layout.isSigned == isSigned
            && (!endianMatters || layout.isBigEndian == isBigEndian))
            return layout.codec;
    }
    return AV_CODEC_ID_NONE;
}

AVSampleFormat sampleFormatForDescription(const AudioStreamBasicDescription& description)
{
    // Only native (little-endian) layouts have a sample format in memory.
    if (description.formatID != kAudioFormatLinearPCM || (description.formatFlags & kAudioFormatFlagIsBigEndian))
        return AV_SAMPLE_FMT_NONE;
    bool isFloat = description.formatFlags & kAudioFormatFlagIsFloat;
    bool isSigned = isFloat || (description.formatFlags & kAudioFormatFlagIsSignedInteger);
    bool planar = description.formatFlags & kAudioFormatFlagIsNonInterleaved;
    AVSampleFormat format = AV_SAMPLE_FMT_NONE;
    if (isFloat && description.bitsPerChannel == 32)
        format = AV_SAMPLE_FMT_FLT;
    else if (isFloat && description.bitsPerChannel == 64)
        format = AV_SAMPLE_FMT_DBL;
    else if (!isFloat && isSigned && description.bitsPerChannel == 16)
        format = AV_SAMPLE_FMT_S16;
    else if (!isFloat && isSigned && description.bitsPerChannel == 32)
        format = AV_SAMPLE_FMT_S32;
    else if (!isFloat && !isSigned && description.bitsPerChannel == 8)
        format = AV_SAMPLE_FMT_U8;
    if (format == AV_SAMPLE_FMT_NONE || !planar)
        return format;
    return av_get_planar_sample_fmt(format);
}

}  // namespace plat::detail
