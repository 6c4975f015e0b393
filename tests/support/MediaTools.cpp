#include "support/MediaTools.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"

namespace plat::test {

std::map<std::string, std::string> MediaProbe::stream(const std::string& codecType) const
{
    for (const auto& entry : streams) {
        auto type = entry.find("codec_type");
        if (type != entry.end() && type->second == codecType)
            return entry;
    }
    return {};
}

MediaProbe probeMedia(const std::string& path, FrameCount frameCount)
{
    std::vector<std::string> command {"ffprobe", "-v", "error"};
    if (frameCount == FrameCount::ByDecoding)
        command.push_back("-count_frames");
    command.insert(command.end(), {"-show_streams", "-show_format", path});
    ScriptOutput run = runCommand(deletingLastPathComponent(path), command);
    MediaProbe probe;
    probe.exitCode = run.exitCode;
    probe.output = run.output;
    std::istringstream lines(run.output);
    std::string line;
    std::map<std::string, std::string>* section = nullptr;
    while (std::getline(lines, line)) {
        if (line == "[STREAM]") {
            probe.streams.emplace_back();
            section = &probe.streams.back();
        } else if (line == "[FORMAT]") {
            section = &probe.format;
        } else if (line.starts_with("[/")) {
            section = nullptr;
        } else if (section) {
            auto equals = line.find('=');
            if (equals != std::string::npos)
                (*section)[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return probe;
}

ScriptOutput runFFmpeg(const std::string& folder, const std::vector<std::string>& arguments)
{
    std::vector<std::string> command {"ffmpeg", "-hide_banner", "-nostdin", "-v", "error", "-y"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return runCommand(folder, command);
}

ScriptOutput makeMP3WithoutLengthHeader(const std::string& folder, const std::string& name, double noiseSeconds)
{
    return runFFmpeg(folder,
        {"-f", "lavfi", "-i", "anullsrc=r=44100:cl=stereo:d=0.5", "-f", "lavfi", "-i",
            "anoisesrc=color=pink:amplitude=0.3:d=" + std::to_string(noiseSeconds), "-filter_complex",
            "[1]aformat=channel_layouts=stereo[n];[0][n]concat=n=2:v=0:a=1", "-c:a", "libmp3lame", "-q:a", "2",
            "-write_xing", "0", name});
}

std::vector<int16_t> decodeAudioWithFFmpeg(const std::string& folder, const std::string& path, int rate, int channels)
{
    std::string raw = appendingPathComponent(folder, "decoded.raw");
    ScriptOutput run = runFFmpeg(folder,
        {"-i", path, "-map", "0:a:0", "-f", "s16le", "-acodec", "pcm_s16le", "-ar", std::to_string(rate), "-ac",
            std::to_string(channels), raw});
    if (run.exitCode != 0)
        return {};
    auto bytes = readFile(raw);
    if (!bytes.ok())
        return {};
    std::vector<int16_t> samples(bytes.value().size() / 2);
    std::memcpy(samples.data(), bytes.value().data(), samples.size() * 2);
    (void)removeItem(raw);
    return samples;
}

H264Timing h264TimingWithFFmpeg(const std::string& folder, const std::string& path)
{
    ScriptOutput run = runCommand(folder,
        {"ffmpeg", "-hide_banner", "-nostdin", "-v", "info", "-i", path, "-map", "0:v:0", "-c:v", "copy", "-bsf:v",
            "trace_headers", "-f", "null", "-"});
    // Lines such as "[trace_headers @ 0x...] 80   num_units_in_tick   000...1 = 1".
    auto values = [&](const std::string& field) {
        std::vector<int64_t> found;
        for (size_t at = run.output.find(" " + field + " "); at != std::string::npos;
             at = run.output.find(" " + field + " ", at + 1)) {
            const size_t equals = run.output.find(" = ", at);
            if (equals != std::string::npos)
                found.push_back(std::stoll(run.output.substr(equals + 3)));
        }
        return found;
    };
    const auto units = values("num_units_in_tick");
    const auto scales = values("time_scale");
    auto allSame = [](const std::vector<int64_t>& found) {
        return !found.empty() && std::all_of(found.begin(), found.end(), [&](int64_t v) { return v == found[0]; });
    };
    if (!allSame(units) || !allSame(scales))
        return {};
    return {units[0], scales[0]};
}

double peakLevel(const std::vector<int16_t>& samples, int rate, int channels, double fromSeconds, double toSeconds)
{
    size_t from = static_cast<size_t>(fromSeconds * rate) * static_cast<size_t>(channels);
    size_t to = std::min(samples.size(), static_cast<size_t>(toSeconds * rate) * static_cast<size_t>(channels));
    int peak = 0;
    for (size_t i = from; i < to; ++i)
        peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    return peak / 32767.0;
}

}  // namespace plat::test

namespace plat::test {

std::vector<std::vector<uint8_t>> decodeVideoWithFFmpeg(
    const std::string& folder, const std::string& path, int width, int height)
{
    std::string raw = appendingPathComponent(folder, "decoded.rgb");
    // -xerror: a damaged frame fails the run instead of being concealed.
    ScriptOutput run = runFFmpeg(folder,
        {"-xerror", "-i", path, "-map", "0:v:0", "-f", "rawvideo", "-pix_fmt", "rgb24", "-vsync", "passthrough", raw});
    if (run.exitCode != 0)
        return {};
    auto bytes = readFile(raw);
    (void)removeItem(raw);
    if (!bytes.ok())
        return {};
    size_t frameBytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
    std::vector<std::vector<uint8_t>> frames;
    for (size_t offset = 0; offset + frameBytes <= bytes.value().size(); offset += frameBytes)
        frames.emplace_back(bytes.value().begin() + static_cast<long>(offset),
            bytes.value().begin() + static_cast<long>(offset + frameBytes));
    return frames;
}

}  // namespace plat::test
