#pragma once
#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "support/PythonScript.h"

namespace plat::test {

// What ffprobe (scripts/install-deps.sh installs it with ffmpeg) says of a
// media file: one key-value map per stream and one for the container.
struct MediaProbe {
    int exitCode = -1;
    std::string output;
    std::vector<std::map<std::string, std::string>> streams;
    std::map<std::string, std::string> format;

    // The first stream of a type ("video", "audio"), or an empty map.
    std::map<std::string, std::string> stream(const std::string& codecType) const;
};

// With FrameCount::ByDecoding, ffprobe decodes every frame and reports nb_read_frames.
enum class FrameCount { FromHeader, ByDecoding };
MediaProbe probeMedia(const std::string& path, FrameCount frameCount = FrameCount::FromHeader);

// Runs ffmpeg quietly (errors only) with the arguments, in folder.
ScriptOutput runFFmpeg(const std::string& folder, const std::vector<std::string>& arguments);

// An MP3 at a variable bit rate without the header that states its length:
// half a second of silence, then noiseSeconds of pink noise, so that a
// length estimated from the first frames' bit rate is too long. Its name is
// taken in folder; ffmpeg's result.
ScriptOutput makeMP3WithoutLengthHeader(const std::string& folder, const std::string& name, double noiseSeconds);

// The first audio stream decoded by ffmpeg to interleaved 16-bit samples at
// rate and channels; empty when ffmpeg fails.
std::vector<int16_t> decodeAudioWithFFmpeg(const std::string& folder, const std::string& path, int rate, int channels);

// The timing of the sequence parameter sets of an H.264 stream (a raw
// stream, or a file's first video stream), as ffmpeg's header tracer reads
// it: ticks of numUnitsInTick in timeScale units a second, two ticks a
// picture. Zeros when ffmpeg finds none, or when the sets disagree.
struct H264Timing {
    int64_t numUnitsInTick = 0;
    int64_t timeScale = 0;
    bool operator==(const H264Timing&) const = default;
};
inline void PrintTo(const H264Timing& timing, std::ostream* out)
{
    *out << timing.numUnitsInTick << " units of " << timing.timeScale;
}
H264Timing h264TimingWithFFmpeg(const std::string& folder, const std::string& path);

// The largest magnitude of the samples in [from, to) seconds, as a fraction of full scale.
double peakLevel(const std::vector<int16_t>& samples, int rate, int channels, double fromSeconds, double toSeconds);

}  // namespace plat::test

namespace plat::test {

// Every picture of the first video stream decoded by ffmpeg into packed RGB
// (3 bytes a pixel) at the stream's size; empty when ffmpeg fails.
std::vector<std::vector<uint8_t>> decodeVideoWithFFmpeg(
    const std::string& folder, const std::string& path, int width, int height);

}  // namespace plat::test
