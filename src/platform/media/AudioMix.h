#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/media/MediaTime.h"

namespace plat {

// The volume of one track over time: each setVolume holds from its time on,
// until the next; before the first the volume is 1.
class AudioMixInputParameters {
public:
    static std::shared_ptr<AudioMixInputParameters> audioMixInputParameters()
    {
        return std::make_shared<AudioMixInputParameters>();
    }

    int32_t trackID() const { return _trackID; }
    void setTrackID(int32_t trackID) { _trackID = trackID; }
    void setVolume(float volume, const MediaTime& time);

    struct VolumePoint {
        MediaTime time;
        float volume = 1;
    };
    // In the order of their times (equal times in the order set).
    const std::vector<VolumePoint>& volumePoints() const { return _points; }

private:
    int32_t _trackID = 0;
    std::vector<VolumePoint> _points;
};

// How the tracks of an asset are mixed: volume parameters per track ID.
// Several parameter records for one track act together: their volume points
// are merged, so each clip placed on a track keeps its own volume from its
// start. Built on one queue, then read on any.
class AudioMix {
public:
    static std::shared_ptr<AudioMix> audioMix() { return std::make_shared<AudioMix>(); }

    const std::vector<std::shared_ptr<AudioMixInputParameters>>& inputParameters() const { return _inputParameters; }
    void setInputParameters(std::vector<std::shared_ptr<AudioMixInputParameters>> parameters)
    {
        _inputParameters = std::move(parameters);
    }

    // The merged volume points of a track, in time order.
    std::vector<AudioMixInputParameters::VolumePoint> volumePointsForTrackID(int32_t trackID) const;

private:
    std::vector<std::shared_ptr<AudioMixInputParameters>> _inputParameters;
};

}  // namespace plat
