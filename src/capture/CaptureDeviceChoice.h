#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"

namespace plat {
class CaptureDevice;
class CaptureDeviceInput;
}  // namespace plat

namespace zt {

// The camera a source sets up: the first of the cameras, in the order the
// source tries them, that opens and delivers, and what the ones tried before
// it said. Main thread.
struct OpenedCamera {
    std::shared_ptr<plat::CaptureDevice> device;  // nullptr when none works
    std::shared_ptr<plat::CaptureDeviceInput> input;
    std::vector<plat::Error> failures;  // of the cameras tried before, in turn
};
OpenedCamera openFirstCameraThatWorks(const std::vector<std::shared_ptr<plat::CaptureDevice>>& inTurn);

// For a set-up that went on with another camera than the first one tried:
// which cameras could not be opened and why, and which one is used instead.
plat::Error otherCameraUsedError(const OpenedCamera& opened, std::string domain, int64_t code);
// For a set-up where no camera works: with one camera its own error's
// description, with more each camera and why, then that none works (or,
// without any description, "No capture device found.").
plat::Error noCameraWorksError(const OpenedCamera& opened, std::string domain, int64_t code);
// For a camera that stopped while running: which camera, as a set-up names
// one it cannot open, and underneath why (reason, when one was given).
plat::Error cameraStoppedError(
    const plat::CaptureDevice* camera, const std::string& reason, std::string domain, int64_t code);

}  // namespace zt
