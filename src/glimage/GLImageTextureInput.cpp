#include "glimage/GLImageTextureInput.h"

#include "glimage/GLImageContext.h"

namespace zt {

GLImageTextureInput::GLImageTextureInput(uint32_t newInputTexture, plat::Size newTextureSize)
{
    runSynchronouslyOnContextQueue([&] {
        GLImageContext::useImageProcessingContext();
        outputTexture = GLTexture::adopt(newInputTexture);
        textureSize = newTextureSize;
    });
}

void GLImageTextureInput::processTextureWithFrameTime(const plat::MediaTime& frameTime)
{
    auto self = std::static_pointer_cast<GLImageTextureInput>(shared_from_this());
    runAsynchronouslyOnContextQueue([self, frameTime] {
        auto targets = self->_targets;
        auto indices = self->targetTextureIndices;
        for (size_t i = 0; i < targets.size(); ++i) {
            if (!self->hasTargetAt(targets[i], indices[i]))
                continue;  // taken off by an earlier target's render
            targets[i]->setInputSize(self->textureSize, indices[i]);
            targets[i]->newFrameReadyAtTime(frameTime, indices[i]);
        }
    });
}

}  // namespace zt
