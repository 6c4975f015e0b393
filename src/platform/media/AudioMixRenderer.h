#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/foundation/Result.h"
#include "platform/media/AssetTrack.h"
#include "platform/media/AudioMix.h"

namespace plat::detail {
class AudioStreamDecoder;

// Mixes the time lines of audio tracks into one stream of interleaved float
// samples: each track's stretches are decoded from their files, scaled by
// the track's volume at each moment, and added. Empty stretches and gaps are
// silence; a stretch whose file cannot be read is silence too (and logged).
// One thread at a time.
class AudioMixRenderer {
public:
    struct Track {
        std::vector<TrackSegment> segments;
        std::vector<AudioMixInputParameters::VolumePoint> volumes;
    };

    // Renders [start, end) of the time line at rate and channels.
    AudioMixRenderer(std::vector<Track> tracks, int rate, int channels, const MediaTime& start, const MediaTime& end);
    ~AudioMixRenderer();
    AudioMixRenderer(const AudioMixRenderer&) = delete;
    AudioMixRenderer& operator=(const AudioMixRenderer&) = delete;

    // Mixes the next frames, up to maxFrames, into destination (which it
    // overwrites); 0 at the end.
    int64_t renderNext(float* destination, int64_t maxFrames);
    // Sample index of the next frame, counted from 0.
    int64_t position() const { return _position; }

private:
    struct Segment {
        TrackSegment segment;
        int64_t first = 0;  // sample index of its first frame
        int64_t last = 0;  // one past its last frame
    };
    struct Volume {
        int64_t first = 0;
        float volume = 1;
    };
    struct TrackState {
        std::vector<Segment> segments;
        std::vector<Volume> volumes;
        size_t current = 0;  // first segment not yet wholly rendered
        std::unique_ptr<AudioStreamDecoder> decoder;  // of segments[current], once opened
        bool decoderFailed = false;
    };

    void mixTrack(TrackState& track, float* destination, int64_t from, int64_t count);
    void mixSegment(TrackState& track, const Segment& segment, float* destination, int64_t from, int64_t count);
    void applyVolume(const TrackState& track, float* samples, int64_t from, int64_t count) const;
    int64_t sampleIndex(const MediaTime& time) const;

    std::vector<TrackState> _tracks;
    int _rate;
    int _channels;
    int64_t _position;
    int64_t _end;
    std::vector<float> _scratch;
};

}  // namespace plat::detail
