#pragma once
#include <cstdint>
#include <memory>

#include "platform/media/MediaTime.h"
#include "platform/media/capture/CaptureDeviceFolder.h"

namespace plat {
class PixelBuffer;
}

namespace plat::detail {

// One picture of a running session as its outputs receive it: the picture
// at the session preset's size (stills are made from it), the same picture
// at most 1920 x 1080 for video outputs and previews, its time, and the run
// of the session it belongs to, so that outputs can drop what arrives after
// a stop. Shared read-only between threads.
struct CapturedFrame {
    std::shared_ptr<PixelBuffer> picture;
    std::shared_ptr<PixelBuffer> videoPicture;
    MediaTime time;
    uint64_t run = 0;
    CaptureDevicePosition position = CaptureDevicePosition::Unspecified;
};

}  // namespace plat::detail
