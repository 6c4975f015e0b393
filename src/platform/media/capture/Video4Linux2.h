#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Result.h"
#include "platform/media/capture/CaptureDeviceFolder.h"

// The machine's real cameras through the Video4Linux2 interface: which
// devices capture video, how large their pictures are, and the controls
// behind the platform's focus, exposure and white-balance modes. Not for
// use outside the media stand-in.
namespace plat::detail {

// Every /dev/video* that captures video, in name order; front facing (a
// desktop's webcam faces its user), modes from the device's own controls.
std::vector<CaptureDeviceDescription> video4Linux2Cameras();

// The device's capabilities filled into the description (size, modes, bias);
// an error naming the path when it is not a video capture device.
Result<CaptureDeviceDescription> describeVideo4Linux2(CaptureDeviceDescription description);

// Sets the controls of a real camera. Each call opens the device briefly:
// the capture itself runs through libavdevice. False when the device
// refuses or lacks the control.
class Video4Linux2Controls {
public:
    explicit Video4Linux2Controls(std::string devicePath);

    bool setFocusMode(int64_t mode) const;
    bool setExposureMode(int64_t mode) const;
    bool setWhiteBalanceMode(int64_t mode) const;
    bool setExposureBias(float bias) const;

private:
    bool setControl(uint32_t control, int32_t value) const;

    std::string _devicePath;
};

}  // namespace plat::detail
