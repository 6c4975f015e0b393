#include "platform/media/MicrophoneFolder.h"

#include <algorithm>
#include <iterator>

#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/Text.h"

namespace plat {

namespace {

constexpr const char* kMicrophoneFolderName = "Microphone";
constexpr const char* kMicrophoneFileName = "Microphone.plist";
constexpr const char* kAuthorizationFileName = ".authorization";
constexpr int64_t kMaxAuthorizationBytes = 4096;
constexpr const char* kDenied = "denied";
constexpr const char* kGranted = "granted";

struct KindName {
    MicrophoneKind kind;
    const char* name;
};
constexpr KindName kKindNames[] = {
    {MicrophoneKind::Machine, "Machine"},
    {MicrophoneKind::PulseAudio, "PulseAudio"},
    {MicrophoneKind::ALSA, "ALSA"},
    {MicrophoneKind::Signal, "Signal"},
    {MicrophoneKind::File, "File"},
    {MicrophoneKind::None, "None"},
};

std::optional<MicrophoneDescription> decode(const Dictionary& entry)
{
    auto kind = entry.getString("Kind");
    auto known = std::find_if(
        std::begin(kKindNames), std::end(kKindNames), [&](const KindName& k) { return kind && *kind == k.name; });
    if (known == std::end(kKindNames))
        return std::nullopt;
    MicrophoneDescription microphone;
    microphone.kind = known->kind;
    microphone.device = entry.getString("Device").value_or("");
    microphone.signal = entry.getString("Signal").value_or("");
    microphone.file = entry.getString("File").value_or("");
    if (microphone.kind == MicrophoneKind::Signal && microphone.signal.empty())
        return std::nullopt;
    if (microphone.kind == MicrophoneKind::File && microphone.file.empty())
        return std::nullopt;
    return microphone;
}

std::string authorizationPath()
{
    return appendingPathComponent(MicrophoneFolder::microphoneFolder(), kAuthorizationFileName);
}

}  // namespace

std::string MicrophoneFolder::microphoneFolder()
{
    return appendingPathComponent(Sandbox::current()->root(), kMicrophoneFolderName);
}

std::string MicrophoneFolder::microphoneFilePath()
{
    return appendingPathComponent(microphoneFolder(), kMicrophoneFileName);
}

MicrophoneDescription MicrophoneFolder::microphone()
{
    const std::string path = microphoneFilePath();
    if (!fileExists(path))
        return {};
    auto entry = dictionaryWithContentsOfFile(path);
    auto microphone = entry ? decode(*entry) : std::nullopt;
    if (!microphone) {
        log("microphone: {} does not describe a usable microphone; the device has none", path);
        return MicrophoneDescription {MicrophoneKind::None, {}, {}, {}};
    }
    return *microphone;
}

Result<void> MicrophoneFolder::writeMicrophone(const MicrophoneDescription& microphone)
{
    auto made = createDirectory(microphoneFolder(), IntermediateDirectories::Yes);
    if (!made.ok())
        return made.error();
    Dictionary entry;
    for (const KindName& kind : kKindNames) {
        if (kind.kind == microphone.kind)
            entry.set("Kind", kind.name);
    }
    if (!microphone.device.empty())
        entry.set("Device", microphone.device);
    if (!microphone.signal.empty())
        entry.set("Signal", microphone.signal);
    if (!microphone.file.empty())
        entry.set("File", microphone.file);
    return writePropertyListFile(entry, microphoneFilePath());
}

Result<void> MicrophoneFolder::removeMicrophone()
{
    if (!fileExists(microphoneFilePath()))
        return Result<void>::success();
    return removeItem(microphoneFilePath());
}

std::string MicrophoneFolder::resolvedFile(const MicrophoneDescription& microphone)
{
    if (microphone.file.starts_with('/'))
        return microphone.file;
    return appendingPathComponent(microphoneFolder(), microphone.file);
}

std::optional<AudioSessionRecordPermission> MicrophoneFolder::recordPermission()
{
    auto bytes = readFile(authorizationPath(), kMaxAuthorizationBytes);
    if (!bytes.ok())
        return std::nullopt;
    std::string value = trimmingWhitespace(std::string(bytes.value().begin(), bytes.value().end()));
    if (value == kDenied)
        return AudioSessionRecordPermission::Denied;
    if (value == kGranted)
        return AudioSessionRecordPermission::Granted;
    return std::nullopt;
}

Result<void> MicrophoneFolder::setRecordPermission(AudioSessionRecordPermission permission)
{
    if (permission == AudioSessionRecordPermission::Undetermined) {
        if (!fileExists(authorizationPath()))
            return Result<void>::success();
        return removeItem(authorizationPath());
    }
    auto made = createDirectory(microphoneFolder(), IntermediateDirectories::Yes);
    if (!made.ok())
        return made.error();
    return writeFileAtomically(
        authorizationPath(), std::string(permission == AudioSessionRecordPermission::Denied ? kDenied : kGranted));
}

}  // namespace plat
