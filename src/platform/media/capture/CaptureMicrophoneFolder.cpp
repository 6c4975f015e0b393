#include "platform/media/capture/CaptureMicrophoneFolder.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Sandbox.h"

namespace plat {

namespace {

constexpr const char* kMicrophoneFolderName = "Microphone";
constexpr const char* kMicrophoneFileName = "Microphone.plist";
constexpr double kHighestToneFrequency = 20000;

struct KindName {
    CaptureMicrophoneKind kind;
    const char* name;
};
constexpr KindName kKindNames[] = {
    {CaptureMicrophoneKind::Tone, "Tone"},
    {CaptureMicrophoneKind::SoundFile, "SoundFile"},
    {CaptureMicrophoneKind::PulseAudio, "PulseAudio"},
    {CaptureMicrophoneKind::ALSA, "ALSA"},
};

Dictionary encode(const CaptureMicrophoneDescription& microphone)
{
    Dictionary entry;
    for (const KindName& kind : kKindNames) {
        if (kind.kind == microphone.kind)
            entry.set("Kind", kind.name);
    }
    if (!microphone.name.empty())
        entry.set("Name", microphone.name);
    entry.set("SampleRate", microphone.sampleRate);
    entry.set("Channels", microphone.channels);
    entry.set("Frequency", microphone.frequency);
    entry.set("Amplitude", microphone.amplitude);
    if (!microphone.file.empty())
        entry.set("File", microphone.file);
    entry.set("Device", microphone.device);
    return entry;
}

std::optional<CaptureMicrophoneDescription> decode(const Dictionary& entry)
{
    CaptureMicrophoneDescription microphone;
    auto kind = entry.getString("Kind");
    auto known = std::find_if(
        std::begin(kKindNames), std::end(kKindNames), [&](const KindName& k) { return kind && *kind == k.name; });
    if (known == std::end(kKindNames))
        return std::nullopt;
    microphone.kind = known->kind;
    microphone.name = entry.getString("Name").value_or("");
    const int64_t rate = entry.getInt64("SampleRate").value_or(44100);
    const int64_t channels = entry.getInt64("Channels").value_or(1);
    microphone.frequency = entry.getDouble("Frequency").value_or(440);
    microphone.amplitude = entry.getDouble("Amplitude").value_or(0.5);
    if (rate < CaptureMicrophoneFolder::kLowestSampleRate || rate > CaptureMicrophoneFolder::kHighestSampleRate
        || channels < 1 || channels > CaptureMicrophoneFolder::kMostChannels
        || !(microphone.frequency >= 0 && microphone.frequency <= kHighestToneFrequency)
        || !(microphone.amplitude >= 0 && microphone.amplitude <= 1))
        return std::nullopt;
    microphone.sampleRate = static_cast<int>(rate);
    microphone.channels = static_cast<int>(channels);
    microphone.file = entry.getString("File").value_or("");
    microphone.device = entry.getString("Device").value_or("default");
    if (microphone.kind == CaptureMicrophoneKind::SoundFile && microphone.file.empty())
        return std::nullopt;
    return microphone;
}

// The machine's own microphone, where it seems to have one: a PulseAudio
// server to ask, else a sound card that captures.
std::optional<CaptureMicrophoneDescription> machineMicrophone()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const char* server = std::getenv("PULSE_SERVER");
    if ((server && *server) || (runtime && fileExists(appendingPathComponent(runtime, "pulse/native")))) {
        CaptureMicrophoneDescription pulse;
        pulse.kind = CaptureMicrophoneKind::PulseAudio;
        return pulse;
    }
    std::ifstream cards("/proc/asound/pcm");
    for (std::string line; std::getline(cards, line);) {
        if (line.find("capture") != std::string::npos) {
            CaptureMicrophoneDescription alsa;
            alsa.kind = CaptureMicrophoneKind::ALSA;
            return alsa;
        }
    }
    return std::nullopt;
}

}  // namespace

std::string CaptureMicrophoneFolder::microphoneFolder()
{
    return appendingPathComponent(Sandbox::current()->root(), kMicrophoneFolderName);
}

std::string CaptureMicrophoneFolder::microphoneFilePath()
{
    return appendingPathComponent(microphoneFolder(), kMicrophoneFileName);
}

std::optional<CaptureMicrophoneDescription> CaptureMicrophoneFolder::microphone()
{
    const std::string path = microphoneFilePath();
    if (!fileExists(path))
        return machineMicrophone();
    auto entry = dictionaryWithContentsOfFile(path);
    if (!entry) {
        log("microphone: {} cannot be read; the device has no microphone", path);
        return std::nullopt;
    }
    if (entry->empty())
        return std::nullopt;
    auto microphone = decode(*entry);
    if (!microphone)
        log("microphone: {} does not describe a usable microphone; the device has none", path);
    return microphone;
}

Result<void> CaptureMicrophoneFolder::writeMicrophone(const CaptureMicrophoneDescription& microphone)
{
    auto made = createDirectory(microphoneFolder(), IntermediateDirectories::Yes);
    if (!made.ok())
        return made.error();
    return writePropertyListFile(encode(microphone), microphoneFilePath());
}

Result<void> CaptureMicrophoneFolder::writeNoMicrophone()
{
    auto made = createDirectory(microphoneFolder(), IntermediateDirectories::Yes);
    if (!made.ok())
        return made.error();
    return writePropertyListFile(Dictionary(), microphoneFilePath());
}

Result<void> CaptureMicrophoneFolder::removeMicrophoneFile()
{
    if (!fileExists(microphoneFilePath()))
        return Result<void>::success();
    return removeItem(microphoneFilePath());
}

std::string CaptureMicrophoneFolder::resolvedFile(const CaptureMicrophoneDescription& microphone)
{
    if (microphone.file.starts_with('/'))
        return microphone.file;
    return appendingPathComponent(microphoneFolder(), microphone.file);
}

}  // namespace plat
