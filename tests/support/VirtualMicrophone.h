#pragma once
// The device's microphone for tests: a generated signal or a sound file set
// in the device folder, and the person's answer to the microphone question.
// Header-only; for test binaries that link the media stand-in.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/media/MicrophoneFolder.h"
#include "support/MediaTools.h"

namespace plat::test {

inline void setUpMicrophone(const MicrophoneDescription& microphone)
{
    auto written = MicrophoneFolder::writeMicrophone(microphone);
    ASSERT_TRUE(written.ok()) << written.error().description();
}

// An FFmpeg audio source as the microphone ("sine=frequency=440").
inline void useSignalMicrophone(const std::string& signal)
{
    setUpMicrophone(MicrophoneDescription {MicrophoneKind::Signal, {}, signal, {}});
}

// A sine of 440 Hz whose average power is the given dBFS.
inline std::string sineAtAveragePower(double decibels, int frequency = 440)
{
    double amplitude = std::sqrt(2.0) * std::pow(10.0, decibels / 20);
    return "aevalsrc=" + std::to_string(amplitude) + "*sin(2*PI*" + std::to_string(frequency) + "*t):s=44100";
}

// A sound file, played in a loop, as the microphone.
inline void useFileMicrophone(const std::string& path)
{
    setUpMicrophone(MicrophoneDescription {MicrophoneKind::File, {}, {}, path});
}

inline void denyMicrophone()
{
    auto written = MicrophoneFolder::setRecordPermission(AudioSessionRecordPermission::Denied);
    ASSERT_TRUE(written.ok()) << written.error().description();
}

// Seeded pink noise, seconds long, 44.1 kHz mono 16-bit WAVE in folder: a
// sound that correlates with itself only in step. Empty when ffmpeg failed.
inline std::string makeNoiseFile(const std::string& folder, const std::string& name, double seconds)
{
    std::string path = folder + "/" + name;
    auto run = runFFmpeg(folder,
        {"-f", "lavfi", "-i",
            "anoisesrc=color=pink:amplitude=0.4:seed=7:sample_rate=44100:duration=" + std::to_string(seconds), "-ac",
            "1", "-c:a", "pcm_s16le", path});
    return run.exitCode == 0 ? path : std::string();
}

// The normalised correlation of two runs of samples of the same length (1
// when they match, about 0 for unrelated sounds).
inline double correlation(const int16_t* a, const int16_t* b, size_t count)
{
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < count; ++i) {
        ab += static_cast<double>(a[i]) * b[i];
        aa += static_cast<double>(a[i]) * a[i];
        bb += static_cast<double>(b[i]) * b[i];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

}  // namespace plat::test
