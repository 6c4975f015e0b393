#include "GLImageFrameSequence.h"

#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>

#include "glimage/GLImageContext.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"

namespace zt::test {

void FrameSequence::sendFrame(const plat::Image& picture, const plat::MediaTime& frameTime)
{
    runSynchronouslyOnContextQueue([&] {
        GLImageContext::useImageProcessingContext();
        initializeOutputTextureIfNeeded();
        const auto& bitmap = *picture.bitmap();
        glBindTexture(GL_TEXTURE_2D, outputTexture.name());
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, bitmap.width(), bitmap.height(), 0,
            bitmap.order() == plat::PixelOrder::BGRA ? GL_BGRA_EXT : GL_RGBA, GL_UNSIGNED_BYTE, bitmap.bytes());
        glBindTexture(GL_TEXTURE_2D, 0);
        const plat::Size size = {double(bitmap.width()), double(bitmap.height())};
        auto targets = _targets;
        auto indices = targetTextureIndices;
        for (size_t i = 0; i < targets.size(); ++i) {
            targets[i]->setInputTexture(outputTexture.name(), indices[i]);
            targets[i]->setInputSize(size, indices[i]);
            targets[i]->newFrameReadyAtTime(frameTime, indices[i]);
        }
    });
}

}  // namespace zt::test
