#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Result.h"

namespace plat {

// Where a camera faces, with the platform's numbers.
enum class CaptureDevicePosition : int64_t { Unspecified = 0, Back = 1, Front = 2 };

// What stands behind a camera: a Video4Linux2 device of the machine, or one
// of the virtual cameras: a generated moving test picture with a frame
// counter, a folder of pictures played in a loop, or a green screen (a
// drawn figure swaying before an evenly lit green field with mild noise and
// darker corners, for keying). All are read through libavdevice, so tests
// and a person's webcam share one code path.
enum class CaptureDeviceKind { Video4Linux2, TestPattern, Pictures, GreenScreen };

// One camera as the device folder describes it. Modes use the platform's
// numbers (0 locked, 1 once, 2 continuous); a mode left out of a list is
// one the camera lacks.
struct CaptureDeviceDescription {
    CaptureDeviceKind kind = CaptureDeviceKind::TestPattern;
    CaptureDevicePosition position = CaptureDevicePosition::Back;
    std::string name;  // empty: "Back Camera", "Front Camera" or the device's own name
    int width = 1920;  // the largest picture, at most 3840 x 2160
    int height = 1080;
    int frameRate = 30;
    std::string folder;  // Pictures: below the cameras folder unless absolute
    std::string devicePath;  // Video4Linux2: "/dev/video0"
    std::vector<int64_t> focusModes {0, 1, 2};
    std::vector<int64_t> exposureModes {0, 1, 2};
    std::vector<int64_t> whiteBalanceModes {0, 1, 2};
    bool focusPointOfInterest = true;
    bool exposurePointOfInterest = true;
    // The exposure bias range in EV; none when the camera offers no bias.
    std::optional<std::pair<float, float>> exposureBias = std::pair<float, float> {-8.0f, 8.0f};
    // A camera whose configuration lock is always refused (as when another
    // app holds it), so that callers' failure paths can be exercised.
    bool configurationLockFails = false;

    friend bool operator==(const CaptureDeviceDescription&, const CaptureDeviceDescription&) = default;
};

// The cameras of the device: the list in the sandbox's "Cameras/Cameras.plist"
// when there is one (none, one or two cameras, front and back, real or
// virtual), otherwise every Video4Linux2 device of the machine that can
// capture video. Any thread; the list is read when asked.
class CaptureDeviceFolder {
public:
    static constexpr int kMaxWidth = 3840;
    static constexpr int kMaxHeight = 2160;
    static constexpr int kMaxFrameRate = 240;

    // "<sandbox>/Cameras".
    static std::string camerasFolder();
    static std::string camerasFilePath();

    // The cameras in the device's order. Entries of the file that cannot be
    // used (an unknown kind, a size beyond the limits) are left out with a
    // log line; an unreadable file gives no cameras. A listed Video4Linux2
    // device that is not there stays, so that opening it says why it fails.
    static std::vector<CaptureDeviceDescription> cameras();
    // Replaces the list (an empty list: a device without cameras).
    static Result<void> writeCameras(const std::vector<CaptureDeviceDescription>& cameras);
    // Back to the machine's own cameras.
    static Result<void> removeCameraList();

    // A Pictures camera's folder as a full path.
    static std::string resolvedFolder(const CaptureDeviceDescription& description);
};

}  // namespace plat
