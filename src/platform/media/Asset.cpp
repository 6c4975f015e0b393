#include "platform/media/Asset.h"

#include <algorithm>
#include <limits>

#include "platform/media/FFmpegSupport.h"
#include "platform/media/MediaConstants.h"

namespace plat {

namespace {

// Video times without a timescale of their own are kept in the platform's movie timescale.
constexpr int32_t kMovieTimescale = 600;

// The shortest step between neighbouring samples of the stream's index, or
// none when the container keeps no index (then the frame rate tells).
std::optional<int64_t> shortestIndexStep(AVStream* stream)
{
    int count = avformat_index_get_entries_count(stream);
    std::optional<int64_t> shortest;
    int64_t previous = AV_NOPTS_VALUE;
    for (int i = 0; i < count; ++i) {
        const AVIndexEntry* entry = avformat_index_get_entry(stream, i);
        if (!entry)
            break;
        if (previous != AV_NOPTS_VALUE && entry->timestamp > previous) {
            int64_t step = entry->timestamp - previous;
            if (!shortest || step < *shortest)
                shortest = step;
        }
        previous = entry->timestamp;
    }
    return shortest;
}

MediaTime minFrameDurationOf(AVStream* stream)
{
    if (auto step = shortestIndexStep(stream))
        return detail::mediaTimeFromStreamTime(*step, stream->time_base, kMovieTimescale);
    AVRational rate = stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        return MediaTime::invalid();
    return detail::mediaTimeFromStreamTime(1, AVRational {rate.den, rate.num}, kMovieTimescale);
}

MediaTime streamDuration(const AVFormatContext& context, AVStream* stream, int32_t preferredTimescale)
{
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
        MediaTime duration = detail::mediaTimeFromStreamTime(stream->duration, stream->time_base, preferredTimescale);
        if (duration.timescale != preferredTimescale && preferredTimescale > 0)
            duration = duration.convertScale(preferredTimescale);
        return duration;
    }
    if (context.duration != AV_NOPTS_VALUE && context.duration > 0)
        return detail::mediaTimeFromStreamTime(context.duration, AVRational {1, AV_TIME_BASE}, preferredTimescale);
    return MediaTime::zero();
}

bool isPicturesStream(const AVStream& stream)
{
    return stream.codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !(stream.disposition & AV_DISPOSITION_ATTACHED_PIC);
}

// A sound file whose container states no length (an MP3 without a header
// that counts its frames, raw AC-3 or MP2) has only an estimate from the bit
// rate of its first frames, which a variable rate puts off by any amount.
// Such a file is read through once, as the platform does for precise
// timing, and each stream lasts to the end of its last packet. The packets
// that finding the streams read are handed out again first, so reading
// starts at the beginning.
void measureEstimatedDurations(AVFormatContext& context)
{
    if (context.duration_estimation_method != AVFMT_DURATION_FROM_BITRATE)
        return;
    for (unsigned i = 0; i < context.nb_streams; ++i)
        if (isPicturesStream(*context.streams[i]))
            return;  // a movie's length is not worth reading it all
    std::vector<int64_t> ends(context.nb_streams, 0);
    detail::PacketPtr packet {av_packet_alloc()};
    while (av_read_frame(&context, packet.get()) >= 0) {
        const auto index = static_cast<size_t>(packet->stream_index);
        const AVStream* stream = index < ends.size() ? context.streams[index] : nullptr;
        const int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (stream && stamp != AV_NOPTS_VALUE) {
            const int64_t start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
            ends[index] = std::max(ends[index], stamp - start + std::max<int64_t>(packet->duration, 0));
        }
        av_packet_unref(packet.get());
    }
    for (unsigned i = 0; i < context.nb_streams; ++i)
        if (ends[i] > 0)
            context.streams[i]->duration = ends[i];
}

std::shared_ptr<AssetTrack> makeTrack(const AVFormatContext& context, int index, const std::string& path)
{
    AVStream* stream = context.streams[index];
    const AVCodecParameters* parameters = stream->codecpar;
    bool isAudio = parameters->codec_type == AVMEDIA_TYPE_AUDIO;
    bool isVideo = isPicturesStream(*stream);
    if (!isAudio && !isVideo)
        return nullptr;  // cover pictures, subtitles, data
    AssetTrack::Properties properties;
    properties.trackID = stream->id > 0 && stream->id <= std::numeric_limits<int32_t>::max()
        ? static_cast<int32_t>(stream->id)
        : index + 1;
    properties.mediaType = isAudio ? kMediaTypeAudio : kMediaTypeVideo;
    FormatDescription format;
    format.mediaType = properties.mediaType;
    format.mediaSubType = detail::mediaSubTypeForCodec(parameters->codec_id);
    int32_t timescale = kMovieTimescale;
    if (isAudio) {
        int channels = parameters->ch_layout.nb_channels;
        if (auto pcm = detail::linearPCMDescription(parameters->codec_id, parameters->sample_rate, channels)) {
            format.audio = *pcm;
        } else {
            format.audio.sampleRate = parameters->sample_rate;
            format.audio.formatID = format.mediaSubType;
            format.audio.channelsPerFrame = static_cast<uint32_t>(std::max(channels, 0));
            format.audio.framesPerPacket = static_cast<uint32_t>(std::max(parameters->frame_size, 0));
        }
        if (parameters->sample_rate > 0)
            timescale = parameters->sample_rate;
    } else {
        format.dimensions = {static_cast<double>(parameters->width), static_cast<double>(parameters->height)};
        properties.naturalSize = format.dimensions;
        if (stream->avg_frame_rate.num > 0 && stream->avg_frame_rate.den > 0)
            properties.nominalFrameRate = static_cast<float>(av_q2d(stream->avg_frame_rate));
        properties.minFrameDuration = minFrameDurationOf(stream);
        if (stream->time_base.num == 1 && stream->time_base.den > 0)
            timescale = stream->time_base.den;
    }
    properties.formatDescriptions.push_back(format);
    MediaTime duration = streamDuration(context, stream, timescale);
    TrackSegment segment;
    segment.sourcePath = path;
    segment.streamIndex = index;
    segment.source = MediaTimeRange::make(MediaTime::make(0, duration.timescale), duration);
    segment.target = segment.source;
    std::vector<TrackSegment> segments;
    if (duration > MediaTime::zero())
        segments.push_back(segment);
    return std::make_shared<AssetTrack>(std::move(properties), std::move(segments));
}

}  // namespace

std::vector<std::shared_ptr<AssetTrack>> Asset::tracksWithMediaType(const std::string& mediaType) const
{
    std::vector<std::shared_ptr<AssetTrack>> matching;
    for (const auto& track : tracks()) {
        if (track->mediaType() == mediaType)
            matching.push_back(track);
    }
    return matching;
}

std::shared_ptr<AssetTrack> Asset::trackWithTrackID(int32_t trackID) const
{
    for (const auto& track : tracks()) {
        if (track->trackID() == trackID)
            return track;
    }
    return nullptr;
}

URLAsset::URLAsset(URL url)
    : _url(std::move(url))
{
    load();
}

std::shared_ptr<URLAsset> URLAsset::URLAssetWithURL(const URL& url)
{
    return std::make_shared<URLAsset>(url);
}

std::shared_ptr<URLAsset> URLAsset::assetWithPath(const std::string& path)
{
    return std::make_shared<URLAsset>(URL::fileURLWithPath(path));
}

void URLAsset::load()
{
    if (!_url.isFileURL()) {
        _error = detail::mediaError(kMediaErrorFileFormatNotRecognized, "not a file URL:", _url.absoluteString());
        return;
    }
    std::string path = _url.path();
    auto opened = detail::openMediaFile(path);
    if (!opened.ok()) {
        _error = opened.error();
        return;
    }
    AVFormatContext& context = *opened.value();
    measureEstimatedDurations(context);
    for (unsigned i = 0; i < context.nb_streams; ++i) {
        if (auto track = makeTrack(context, static_cast<int>(i), path))
            _tracks.push_back(std::move(track));
    }
    for (const auto& track : _tracks) {
        MediaTime end = track->timeRange().end();
        if (end > _duration)
            _duration = end;
    }
    if (_tracks.empty())
        _error = detail::mediaError(kMediaErrorFileFormatNotRecognized, "no audio or video tracks in", path);
}

}  // namespace plat
