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

namespace plat::test {

// A QuickTime movie of H.264 pictures (FFmpeg's moving test pattern, a key
// frame every fifth picture) and an AAC tone, seconds long at fps pictures
// a second; the path, or empty when ffmpeg failed.
inline std::string makeTestMovie(
    const std::string& folder, const std::string& name, double seconds, int fps, int width, int height)
{
    std::string path = appendingPathComponent(folder, name);
    std::string length = std::to_string(seconds);
    auto run = runFFmpeg(folder,
        {"-f", "lavfi", "-i",
            "testsrc2=size=" + std::to_string(width) + "x" + std::to_string(height) + ":rate=" + std::to_string(fps)
                + ":duration=" + length,
            "-f", "lavfi", "-i", "aevalsrc=0.5*sin(2*PI*440*t)|0.5*sin(2*PI*440*t):s=44100:d=" + length, "-c:v",
            "libx264", "-g", "5", "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest", path});
    return run.exitCode == 0 ? path : std::string();
}

}  // namespace plat::test
