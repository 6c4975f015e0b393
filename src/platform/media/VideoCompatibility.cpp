#include "platform/media/VideoCompatibility.h"

#include <cstring>

#include "platform/media/FFmpegSupport.h"
#include "platform/media/MediaConstants.h"

namespace plat {

bool videoAtPathIsCompatibleWithSavedPhotosAlbum(const std::string& path)
{
    auto opened = detail::openMediaFile(path);
    if (!opened.ok())
        return false;
    const AVFormatContext& context = *opened.value();
    // The QuickTime demuxer reads MPEG-4 too; others are not album movies.
    if (std::strncmp(context.iformat->name, "mov", 3) != 0)
        return false;
    bool hasVideo = false;
    for (unsigned i = 0; i < context.nb_streams; ++i) {
        const AVStream* stream = context.streams[i];
        uint32_t subtype = detail::mediaSubTypeForCodec(stream->codecpar->codec_id);
        switch (stream->codecpar->codec_type) {
        case AVMEDIA_TYPE_VIDEO:
            if (stream->disposition & AV_DISPOSITION_ATTACHED_PIC)
                break;
            if (subtype != kVideoCodecTypeH264 && subtype != kVideoCodecTypeHEVC && subtype != kVideoCodecTypeMPEG4Video
                && subtype != kVideoCodecTypeJPEG)
                return false;
            hasVideo = hasVideo || (stream->codecpar->width > 0 && stream->codecpar->height > 0);
            break;
        case AVMEDIA_TYPE_AUDIO:
            if (subtype != kAudioFormatMPEG4AAC && subtype != kAudioFormatAppleLossless
                && subtype != kAudioFormatLinearPCM)
                return false;
            break;
        default:
            break;
        }
    }
    return hasVideo;
}

}  // namespace plat
