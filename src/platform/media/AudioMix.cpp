#include "platform/media/AudioMix.h"

#include <algorithm>

namespace plat {

void AudioMixInputParameters::setVolume(float volume, const MediaTime& time)
{
    if (!time.isNumeric())
        return;
    auto position = std::upper_bound(_points.begin(), _points.end(), time,
        [](const MediaTime& t, const VolumePoint& point) { return t < point.time; });
    _points.insert(position, VolumePoint {time, volume});
}

std::vector<AudioMixInputParameters::VolumePoint> AudioMix::volumePointsForTrackID(int32_t trackID) const
{
    std::vector<AudioMixInputParameters::VolumePoint> merged;
    for (const auto& parameters : _inputParameters) {
        if (parameters && parameters->trackID() == trackID)
            merged.insert(merged.end(), parameters->volumePoints().begin(), parameters->volumePoints().end());
    }
    std::stable_sort(merged.begin(), merged.end(), [](const auto& a, const auto& b) { return a.time < b.time; });
    return merged;
}

}  // namespace plat
