#include "platform/media/AudioMixRenderer.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Log.h"
#include "platform/media/AudioStreamDecoder.h"
#include "platform/media/FFmpegSupport.h"

namespace plat::detail {

AudioMixRenderer::AudioMixRenderer(
    std::vector<Track> tracks, int rate, int channels, const MediaTime& start, const MediaTime& end)
    : _rate(rate)
    , _channels(channels)
{
    _position = sampleIndex(start);
    _end = std::max(_position, sampleIndex(end));
    for (Track& track : tracks) {
        TrackState state;
        for (TrackSegment& segment : track.segments) {
            if (segment.isEmpty())
                continue;
            Segment placed {std::move(segment), 0, 0};
            placed.first = sampleIndex(placed.segment.target.start);
            placed.last = sampleIndex(placed.segment.target.end());
            if (placed.last > placed.first && placed.last > _position && placed.first < _end)
                state.segments.push_back(std::move(placed));
        }
        std::stable_sort(state.segments.begin(), state.segments.end(),
            [](const Segment& a, const Segment& b) { return a.first < b.first; });
        for (const auto& point : track.volumes)
            state.volumes.push_back(Volume {sampleIndex(point.time), point.volume});
        _tracks.push_back(std::move(state));
    }
}

AudioMixRenderer::~AudioMixRenderer() = default;

int64_t AudioMixRenderer::sampleIndex(const MediaTime& time) const
{
    if (!time.isNumeric())
        return 0;
    return av_rescale_rnd(time.value, _rate, time.timescale, AV_ROUND_NEAR_INF);
}

int64_t AudioMixRenderer::renderNext(float* destination, int64_t maxFrames)
{
    int64_t count = std::min(maxFrames, _end - _position);
    if (count <= 0)
        return 0;
    std::fill(destination, destination + count * _channels, 0.0f);
    for (TrackState& track : _tracks)
        mixTrack(track, destination, _position, count);
    _position += count;
    return count;
}

void AudioMixRenderer::mixTrack(TrackState& track, float* destination, int64_t from, int64_t count)
{
    int64_t until = from + count;
    for (size_t i = track.current; i < track.segments.size(); ++i) {
        const Segment& segment = track.segments[i];
        if (segment.first >= until)
            break;
        if (segment.last <= from)
            continue;
        if (i != track.current) {
            // A later stretch begins: the ones before it are done (stretches of a track never overlap).
            track.current = i;
            track.decoder.reset();
            track.decoderFailed = false;
        }
        mixSegment(track, segment, destination, from, count);
    }
    while (track.current < track.segments.size() && track.segments[track.current].last <= until) {
        ++track.current;
        track.decoder.reset();
        track.decoderFailed = false;
    }
}

void AudioMixRenderer::mixSegment(
    TrackState& track, const Segment& segment, float* destination, int64_t from, int64_t count)
{
    int64_t begin = std::max(from, segment.first);
    int64_t end = std::min(from + count, segment.last);
    if (end <= begin || track.decoderFailed)
        return;
    if (!track.decoder) {
        auto opened
            = AudioStreamDecoder::open(*segment.segment.sourcePath, segment.segment.streamIndex, _rate, _channels);
        if (!opened.ok()) {
            plat::log("media: a stretch of sound is silent: {}", opened.error().localizedDescription());
            track.decoderFailed = true;
            return;
        }
        track.decoder = std::move(opened).value();
        // Where in the source the first needed sample lies.
        MediaTime offset = MediaTime::make(begin - segment.first, _rate);
        auto sought = track.decoder->seek(segment.segment.source.start + offset);
        if (!sought.ok()) {
            plat::log("media: a stretch of sound is silent: {}", sought.error().localizedDescription());
            track.decoderFailed = true;
            return;
        }
    }
    int64_t frames = end - begin;
    _scratch.resize(static_cast<size_t>(frames * _channels));
    auto read = track.decoder->read(_scratch.data(), frames);
    if (!read.ok()) {
        plat::log("media: the rest of a stretch of sound is silent: {}", read.error().localizedDescription());
        track.decoderFailed = true;
        return;
    }
    // A file shorter than its stretch leaves the rest silent.
    int64_t got = read.value();
    applyVolume(track, _scratch.data(), begin, got);
    float* out = destination + (begin - from) * _channels;
    size_t values = static_cast<size_t>(got * _channels);
    for (size_t i = 0; i < values; ++i)
        out[i] += _scratch[i];
}

void AudioMixRenderer::applyVolume(const TrackState& track, float* samples, int64_t from, int64_t count) const
{
    if (track.volumes.empty())
        return;
    int64_t index = from;
    int64_t until = from + count;
    while (index < until) {
        // The last point at or before index sets the volume, until the next point.
        auto next = std::upper_bound(track.volumes.begin(), track.volumes.end(), index,
            [](int64_t at, const Volume& volume) { return at < volume.first; });
        float volume = next == track.volumes.begin() ? 1.0f : std::prev(next)->volume;
        int64_t stop = next == track.volumes.end() ? until : std::min(until, next->first);
        if (volume != 1.0f) {
            float* p = samples + (index - from) * _channels;
            size_t values = static_cast<size_t>((stop - index) * _channels);
            for (size_t i = 0; i < values; ++i)
                p[i] *= volume;
        }
        index = stop;
    }
}

}  // namespace plat::detail
