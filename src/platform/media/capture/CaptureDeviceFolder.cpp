#include "platform/media/capture/CaptureDeviceFolder.h"

#include <algorithm>

#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Sandbox.h"
#include "platform/media/capture/Video4Linux2.h"

namespace plat {

namespace {

constexpr const char* kCamerasFolderName = "Cameras";
constexpr const char* kCamerasFileName = "Cameras.plist";

struct KindName {
    CaptureDeviceKind kind;
    const char* name;
};
constexpr KindName kKindNames[] = {
    {CaptureDeviceKind::Video4Linux2, "Video4Linux2"},
    {CaptureDeviceKind::TestPattern, "TestPattern"},
    {CaptureDeviceKind::Pictures, "Pictures"},
    {CaptureDeviceKind::GreenScreen, "GreenScreen"},
};

struct PositionName {
    CaptureDevicePosition position;
    const char* name;
};
constexpr PositionName kPositionNames[] = {
    {CaptureDevicePosition::Unspecified, "Unspecified"},
    {CaptureDevicePosition::Back, "Back"},
    {CaptureDevicePosition::Front, "Front"},
};

Array modeArray(const std::vector<int64_t>& modes)
{
    Array array;
    for (int64_t mode : modes)
        array.append(mode);
    return array;
}

std::optional<std::vector<int64_t>> readModes(const Dictionary& entry, std::string_view key)
{
    auto array = entry.getArray(key);
    if (!array)
        return std::nullopt;
    std::vector<int64_t> modes;
    for (const Value& value : *array) {
        auto mode = value.isInteger() ? value.int64Value() : std::nullopt;
        if (!mode || *mode < 0 || *mode > 3)
            return std::nullopt;
        modes.push_back(*mode);
    }
    return modes;
}

Dictionary encode(const CaptureDeviceDescription& camera)
{
    Dictionary entry;
    for (const KindName& kind : kKindNames) {
        if (kind.kind == camera.kind)
            entry.set("Kind", kind.name);
    }
    for (const PositionName& position : kPositionNames) {
        if (position.position == camera.position)
            entry.set("Position", position.name);
    }
    if (!camera.name.empty())
        entry.set("Name", camera.name);
    entry.set("Width", camera.width);
    entry.set("Height", camera.height);
    entry.set("FrameRate", camera.frameRate);
    if (!camera.folder.empty())
        entry.set("Folder", camera.folder);
    if (!camera.devicePath.empty())
        entry.set("Device", camera.devicePath);
    entry.set("FocusModes", modeArray(camera.focusModes));
    entry.set("ExposureModes", modeArray(camera.exposureModes));
    entry.set("WhiteBalanceModes", modeArray(camera.whiteBalanceModes));
    entry.set("FocusPointOfInterest", camera.focusPointOfInterest);
    entry.set("ExposurePointOfInterest", camera.exposurePointOfInterest);
    // An empty range: a camera without exposure bias.
    entry.set("ExposureBias",
        camera.exposureBias
            ? Array {static_cast<double>(camera.exposureBias->first), static_cast<double>(camera.exposureBias->second)}
            : Array {});
    entry.set("ConfigurationLockFails", camera.configurationLockFails);
    return entry;
}

// Unknown kinds, positions and numbers out of range make the entry unusable
// rather than guessed at: a camera that is not what the list says would
// mislead whoever set it up.
std::optional<CaptureDeviceDescription> decode(const Dictionary& entry)
{
    CaptureDeviceDescription camera;
    auto kind = entry.getString("Kind");
    auto knownKind = std::find_if(
        std::begin(kKindNames), std::end(kKindNames), [&](const KindName& k) { return kind && *kind == k.name; });
    if (knownKind == std::end(kKindNames))
        return std::nullopt;
    camera.kind = knownKind->kind;
    if (auto position = entry.getString("Position")) {
        auto known = std::find_if(std::begin(kPositionNames), std::end(kPositionNames),
            [&](const PositionName& p) { return *position == p.name; });
        if (known == std::end(kPositionNames))
            return std::nullopt;
        camera.position = known->position;
    }
    camera.name = entry.getString("Name").value_or("");
    camera.width = static_cast<int>(std::clamp<int64_t>(entry.getInt64("Width").value_or(1920), 0, 100000));
    camera.height = static_cast<int>(std::clamp<int64_t>(entry.getInt64("Height").value_or(1080), 0, 100000));
    camera.frameRate = static_cast<int>(std::clamp<int64_t>(entry.getInt64("FrameRate").value_or(30), 0, 100000));
    if (camera.width < 16 || camera.height < 16 || camera.width > CaptureDeviceFolder::kMaxWidth
        || camera.height > CaptureDeviceFolder::kMaxHeight || camera.frameRate < 1
        || camera.frameRate > CaptureDeviceFolder::kMaxFrameRate)
        return std::nullopt;
    camera.folder = entry.getString("Folder").value_or("");
    camera.devicePath = entry.getString("Device").value_or("");
    if (camera.kind == CaptureDeviceKind::Pictures && camera.folder.empty())
        return std::nullopt;
    if (camera.kind == CaptureDeviceKind::Video4Linux2 && camera.devicePath.empty())
        return std::nullopt;
    for (auto [key, modes] :
        {std::pair {"FocusModes", &camera.focusModes}, std::pair {"ExposureModes", &camera.exposureModes},
            std::pair {"WhiteBalanceModes", &camera.whiteBalanceModes}}) {
        if (!entry.contains(key))
            continue;
        auto read = readModes(entry, key);
        if (!read)
            return std::nullopt;
        *modes = std::move(*read);
    }
    camera.focusPointOfInterest = entry.getBool("FocusPointOfInterest").value_or(true);
    camera.exposurePointOfInterest = entry.getBool("ExposurePointOfInterest").value_or(true);
    if (entry.contains("ExposureBias")) {
        camera.exposureBias.reset();
        auto range = entry.getArray("ExposureBias");
        if (range && range->count() == 2) {
            auto low = range->at(0).doubleValue();
            auto high = range->at(1).doubleValue();
            if (!low || !high || !(*low <= 0 && 0 <= *high && *high - *low <= 64))
                return std::nullopt;
            camera.exposureBias = std::pair {static_cast<float>(*low), static_cast<float>(*high)};
        } else if (range && !range->empty()) {
            return std::nullopt;
        }
    }
    camera.configurationLockFails = entry.getBool("ConfigurationLockFails").value_or(false);
    return camera;
}

}  // namespace

std::string CaptureDeviceFolder::camerasFolder()
{
    return appendingPathComponent(Sandbox::current()->root(), kCamerasFolderName);
}

std::string CaptureDeviceFolder::camerasFilePath()
{
    return appendingPathComponent(camerasFolder(), kCamerasFileName);
}

std::vector<CaptureDeviceDescription> CaptureDeviceFolder::cameras()
{
    const std::string path = camerasFilePath();
    if (!fileExists(path))
        return detail::video4Linux2Cameras();
    auto list = arrayWithContentsOfFile(path);
    if (!list) {
        log("cameras: {} cannot be read as a list of cameras; the device has none", path);
        return {};
    }
    std::vector<CaptureDeviceDescription> cameras;
    for (size_t index = 0; index < list->count(); ++index) {
        auto entry = list->at(index).asDictionary();
        auto camera = entry ? decode(*entry) : std::nullopt;
        if (!camera) {
            log("cameras: entry {} of {} is not a usable camera; left out", index, path);
            continue;
        }
        // A real camera answers for its own sizes and modes. One that is not
        // there stays listed as the list has it: opening it then names the
        // camera and says why it cannot be used.
        if (camera->kind == CaptureDeviceKind::Video4Linux2) {
            auto described = detail::describeVideo4Linux2(*camera);
            if (described.ok())
                camera = std::move(described).value();
            else
                log("cameras: {}", described.error().localizedDescription());
        }
        cameras.push_back(std::move(*camera));
    }
    return cameras;
}

Result<void> CaptureDeviceFolder::writeCameras(const std::vector<CaptureDeviceDescription>& cameras)
{
    auto made = createDirectory(camerasFolder(), IntermediateDirectories::Yes);
    if (!made.ok())
        return made.error();
    Array list;
    for (const CaptureDeviceDescription& camera : cameras)
        list.append(encode(camera));
    return writePropertyListFile(list, camerasFilePath());
}

Result<void> CaptureDeviceFolder::removeCameraList()
{
    if (!fileExists(camerasFilePath()))
        return Result<void>::success();
    return removeItem(camerasFilePath());
}

std::string CaptureDeviceFolder::resolvedFolder(const CaptureDeviceDescription& description)
{
    if (description.folder.starts_with('/'))
        return description.folder;
    return appendingPathComponent(camerasFolder(), description.folder);
}

}  // namespace plat
