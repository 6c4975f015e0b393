#pragma once
#include <cstdint>

#include "platform/foundation/Geometry.h"

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

// How a source shows its camera's picture on the landscape screen: scaled
// to cover its view with the middle kept, and turned half round or mirrored
// left to right as the interface and the camera make it.
struct ShownPicture {
    plat::Size viewSize;
    plat::Size pictureSize;  // the camera's own picture, lying as the landscape view does
    bool turnedHalfRound = false;
    bool mirrored = false;
};
// The camera's point of interest (0 to 1 across its own picture, from the
// top left) under a tap in the view; the middle when the view or the
// picture is empty. Any thread.
plat::Point pointOfInterestUnderTap(plat::Point tap, const ShownPicture& shown);

}  // namespace zt
