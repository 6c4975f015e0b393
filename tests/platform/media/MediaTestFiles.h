#pragma once
// Sound and movie files made by the ffmpeg command for the media tests.
#include <string>

#include "platform/foundation/Paths.h"
#include "support/MediaTools.h"

namespace plat::test {

// A mono sine of 440 Hz at amplitude amplitude (of full scale), seconds long,
// 44.1 kHz 16-bit WAVE; the path, or empty when ffmpeg failed.
inline std::string makeSineWave(const std::string& folder, const std::string& name, double seconds, double amplitude)
{
    std::string path = appendingPathComponent(folder, name);
    auto run = runFFmpeg(folder,
        {"-f", "lavfi", "-i",
            "aevalsrc=" + std::to_string(amplitude) + "*sin(2*PI*440*t):s=44100:d=" + std::to_string(seconds), "-c:a",
            "pcm_s16le", path});
    return run.exitCode == 0 ? path : std::string();
}

// The same sine as stereo AAC in an M4A file.
inline std::string makeAACFile(const std::string& folder, const std::string& name, double seconds)
{
    std::string path = appendingPathComponent(folder, name);
    auto run = runFFmpeg(folder,
        {"-f", "lavfi", "-i", "aevalsrc=0.5*sin(2*PI*440*t)|0.5*sin(2*PI*440*t):s=44100:d=" + std::to_string(seconds),
            "-c:a", "aac", "-b:a", "128k", path});
    return run.exitCode == 0 ? path : std::string();
}

}  // namespace plat::test
