#pragma once
// A frame source for the tests of filters across frames: each frame is a
// picture uploaded into the source's one texture and sent to the targets
// with the time given, as a camera sends its frames.
#include <memory>

#include "glimage/GLImageOutput.h"

namespace zt::test {

class FrameSequence : public GLImageOutput {
public:
    // Synchronously on the context queue: upload, size, frame, to every target.
    void sendFrame(const plat::Image& picture, const plat::MediaTime& frameTime);
};

}  // namespace zt::test
