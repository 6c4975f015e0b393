#include "glimage/GLImageRawDataInput.h"

#include <GLES2/gl2.h>

#include "glimage/GLImageContext.h"
#include "platform/foundation/Log.h"

namespace zt {

GLImageRawDataInput::GLImageRawDataInput(
    const uint8_t* bytesToUpload, plat::Size imageSize, uint32_t pixelFormat, uint32_t pixelType)
    : _pixelFormat(pixelFormat)
    , _pixelType(pixelType)
{
    updateDataFromBytes(bytesToUpload, imageSize);
}

void GLImageRawDataInput::updateDataFromBytes(const uint8_t* bytesToUpload, plat::Size imageSize)
{
    runSynchronouslyOnContextQueue([&] { uploadedImageSize = imageSize; });
    uploadBytes(bytesToUpload);
}

void GLImageRawDataInput::uploadBytes(const uint8_t* bytesToUpload)
{
    // On the context queue, never the caller's thread: the queue may be
    // drawing with the same context at this moment.
    runSynchronouslyOnContextQueue([&] {
        const int width = int(uploadedImageSize.width);
        const int height = int(uploadedImageSize.height);
        if (!bytesToUpload || width <= 0 || height <= 0) {
            plat::log("GLImageRawDataInput: no bytes of {} x {} to upload", uploadedImageSize.width,
                uploadedImageSize.height);
            return;
        }
        GLImageContext::useImageProcessingContext();
        initializeOutputTextureIfNeeded();
        glBindTexture(GL_TEXTURE_2D, outputTexture.name());
        const GLint internalFormat = _pixelFormat == GLImagePixelFormatRGB ? GL_RGB : GL_RGBA;
        // Rows are tightly packed: three-byte pixels leave rows of any length.
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, GLenum(_pixelFormat), GLenum(_pixelType),
            bytesToUpload);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glBindTexture(GL_TEXTURE_2D, 0);
    });
}

void GLImageRawDataInput::processData()
{
    if (!dataUpdateSemaphore.wait(0.0))
        return;
    auto self = std::static_pointer_cast<GLImageRawDataInput>(shared_from_this());
    runAsynchronouslyOnContextQueue([self] {
        const plat::Size size = self->uploadedImageSize;
        auto targets = self->_targets;
        auto indices = self->targetTextureIndices;
        for (size_t i = 0; i < targets.size(); ++i) {
            if (!self->hasTargetAt(targets[i], indices[i]))
                continue;
            targets[i]->setInputSize(size, indices[i]);
            targets[i]->newFrameReadyAtTime(plat::MediaTime::invalid(), indices[i]);
        }
        self->dataUpdateSemaphore.signal();
    });
}

plat::Size GLImageRawDataInput::outputImageSize() const
{
    plat::Size size;
    runSynchronouslyOnContextQueue([&] { size = uploadedImageSize; });
    return size;
}

}  // namespace zt
