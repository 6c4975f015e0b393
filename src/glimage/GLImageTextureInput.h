#pragma once
#include <cstdint>

#include "glimage/GLImageOutput.h"
#include "platform/media/MediaTime.h"

namespace zt {

// A GL texture the caller made, in the pipeline's context or its share
// group, as a frame source. The texture input takes the texture over: it is
// deleted when the input goes. Any thread; sends run on the context queue.
class GLImageTextureInput : public GLImageOutput {
public:
    GLImageTextureInput(uint32_t newInputTexture, plat::Size newTextureSize);

    // Sends the texture to every target with the frame time.
    void processTextureWithFrameTime(const plat::MediaTime& frameTime);

private:
    plat::Size textureSize;
};

}  // namespace zt
