#pragma once
// The speaker as the playback tests hear it: the silent output paced by the
// manual clock, with every block it plays kept for inspection.
#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/media/AudioOutput.h"
#include "platform/media/AudioSession.h"
#include "support/ManualClockScope.h"

namespace plat::test {

class ListeningSpeaker {
public:
    ListeningSpeaker()
    {
        AudioSession::sharedInstance().resetForTesting();
        AudioOutput::shared().setMonitor([this](const float* samples, int64_t frames) {
            heard.insert(heard.end(), samples, samples + frames * AudioOutput::kChannels);
        });
    }
    ~ListeningSpeaker()
    {
        AudioOutput::shared().setMonitor({});
        AudioSession::sharedInstance().resetForTesting();
    }
    ListeningSpeaker(const ListeningSpeaker&) = delete;
    ListeningSpeaker& operator=(const ListeningSpeaker&) = delete;

    double seconds() const
    {
        return static_cast<double>(heard.size()) / AudioOutput::kChannels / AudioOutput::kSampleRate;
    }

    // The loudest sample of the left channel in [from, to) seconds of what was heard.
    double peak(double fromSeconds, double toSeconds) const
    {
        double loudest = 0;
        for (size_t i = index(fromSeconds); i < index(toSeconds); i += AudioOutput::kChannels)
            loudest = std::max(loudest, static_cast<double>(std::fabs(heard[i])));
        return loudest;
    }
    // Upward zero crossings per second of the left channel: the pitch of a pure tone.
    double pitch(double fromSeconds, double toSeconds) const
    {
        int crossings = 0;
        for (size_t i = index(fromSeconds) + AudioOutput::kChannels; i < index(toSeconds);
             i += AudioOutput::kChannels) {
            if (heard[i - AudioOutput::kChannels] < 0 && heard[i] >= 0)
                ++crossings;
        }
        return crossings / (toSeconds - fromSeconds);
    }

    std::vector<float> heard;  // interleaved, two channels

private:
    size_t index(double seconds) const
    {
        auto frame = static_cast<size_t>(std::llround(seconds * AudioOutput::kSampleRate));
        return std::min(frame * AudioOutput::kChannels, heard.size());
    }
};

}  // namespace plat::test
