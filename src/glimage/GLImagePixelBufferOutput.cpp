#include "glimage/GLImagePixelBufferOutput.h"

#include "glimage/GLImageContext.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/PixelBuffer.h"

namespace zt {

GLImagePixelBufferOutput::~GLImagePixelBufferOutput()
{
    runSynchronouslyOnContextQueue([this] {
        GLImageContext::useImageProcessingContext();
        _pictureTextures.frameDone();
        _yuvConversion.destroyFramebuffer();
    });
}

void GLImagePixelBufferOutput::setUpPictureConversion()
{
    runSynchronouslyOnContextQueue([this] {
        GLImageContext::useImageProcessingContext();
        _yuvConversion.setUp();
    });
}

uint32_t GLImagePixelBufferOutput::textureForOutput()
{
    if (_framePicture && !_frameTexture) {
        auto texture = _pictureTextures.textureForBGRABuffer(_framePicture);
        if (!texture.ok()) {
            plat::log("{} CVOpenGLESTextureCacheCreateTextureFromImage failed (error: {})", _frameSourceName,
                texture.error().code());
            plat::detail::fatal("Camera failure");
        }
        _frameTexture = texture.value();
    }
    return _frameTexture ? _frameTexture : GLImageOutput::textureForOutput();
}

void GLImagePixelBufferOutput::handOverPicture(const std::shared_ptr<plat::PixelBuffer>& picture,
    const char* sourceName, const SendPictureToTargets& sendToTargets)
{
    if (GLImageContext::supportsFastTextureUpload() && picture->planeCount() > 0) {
        _preferredConversion = detail::conversionForBuffer(*picture);
        picture->lockBaseAddress(plat::PixelBufferLock::ReadOnly);
        // Either side changing calls for a framebuffer of the new size.
        if (_yuvConversion.takeBufferSize(picture->width(), picture->height())) {
            destroyYUVConversionFBO();
            createYUVConversionFBO();
        }
        const auto planes = _pictureTextures.texturesForBiPlanarBuffer(picture);
        _luminanceTexture = planes.luminance;
        _chrominanceTexture = planes.chrominance;
        if (!allTargetsWantMonochromeData)
            convertYUVToRGBOutput();
        sendToTargets(PictureUpload::Textures);
        picture->unlockBaseAddress(plat::PixelBufferLock::ReadOnly);
        _luminanceTexture = 0;
        _chrominanceTexture = 0;
        _pictureTextures.frameDone();
    } else if (GLImageContext::supportsFastTextureUpload()) {
        _framePicture = picture;
        _frameSourceName = sourceName;
        sendToTargets(PictureUpload::Textures);
        _framePicture.reset();
        _frameTexture = 0;
        _pictureTextures.frameDone();
    } else {
        // The picture's rows may be padded: the upload takes them by their stride.
        initializeOutputTextureIfNeeded();
        detail::uploadPixelBuffer(*picture, outputTexture.name(), outputTextureOptions());
        sendToTargets(PictureUpload::CopiedIntoOutputTexture);
    }
}

void GLImagePixelBufferOutput::convertYUVToRGBOutput()
{
    setYUVConversionFBO();
    _yuvConversion.draw(_luminanceTexture, _chrominanceTexture, _preferredConversion);
}

void GLImagePixelBufferOutput::setYUVConversionFBO()
{
    if (!_yuvConversion.hasFramebuffer())
        createYUVConversionFBO();
    _yuvConversion.bindFramebuffer();
}

void GLImagePixelBufferOutput::createYUVConversionFBO()
{
    initializeOutputTextureIfNeeded();
    _yuvConversion.createFramebuffer(outputTexture.name());
    ++_yuvConversionFramebuffersMade;
    notifyTargetsAboutNewOutputTexture();
}

void GLImagePixelBufferOutput::destroyYUVConversionFBO()
{
    runSynchronouslyOnContextQueue([this] {
        GLImageContext::useImageProcessingContext();
        _yuvConversion.destroyFramebuffer();
        outputTexture.reset();
    });
}

}  // namespace zt
