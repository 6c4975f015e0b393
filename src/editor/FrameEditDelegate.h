#pragma once
#include <cstdint>

namespace plat {
class ViewController;
}

namespace zt {

// What the strip and the timeline tell the frame editor. Every operation is
// optional. Main thread.
class FrameEditDelegate {
public:
    virtual ~FrameEditDelegate() = default;
    // A double tap on the strip: show the timeline.
    virtual void zoomOut(plat::ViewController& /*strip*/) { }
    // A double tap on the timeline: show the strip.
    virtual void zoomIn(plat::ViewController& /*timeline*/) { }
    virtual void currentFrameUpdate(int64_t /*index*/) { }
    virtual void didLoadFullResolutionImageForFrameAtIndex(int64_t /*index*/) { }
    // After every edit of the frames.
    virtual void timeLineNeedsUpdate() { }
    virtual void userStartScrolling() { }
};

}  // namespace zt
