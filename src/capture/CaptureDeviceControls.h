#pragma once
#include <cstdint>

namespace plat {
class CaptureDevice;
}

namespace zt {

// A camera's modes and exposure bias as the capture sources set them: a
// mode the camera lacks, or one it is in already, is left alone, and a
// refused configuration lock changes nothing. Each returns what the camera
// has afterwards, in the platform's numbers. Main thread.
int64_t applyFocusMode(plat::CaptureDevice& device, int64_t mode);
int64_t applyExposureMode(plat::CaptureDevice& device, int64_t mode);
int64_t applyWhiteBalanceMode(plat::CaptureDevice& device, int64_t mode);
// Whether the camera offers an exposure bias at all.
bool offersExposureTargetBias(const plat::CaptureDevice& device);
// Sets the bias where the camera offers one and locks; whether it was set.
bool applyExposureTargetBias(plat::CaptureDevice& device, float bias);
// A mode kind counts as supported when both locked and continuous automatic are.
bool supportsFocusModes(const plat::CaptureDevice& device);
bool supportsExposureModes(const plat::CaptureDevice& device);
bool supportsWhiteBalanceModes(const plat::CaptureDevice& device);

}  // namespace zt
