#pragma once
#include <cstdint>
#include <functional>
#include <memory>

#include "glimage/GLImageOutput.h"
#include "glimage/GLImagePixelBufferTextures.h"
#include "glimage/GLImageYUVConversion.h"

namespace plat {
class PixelBuffer;
}

namespace zt {

// A frame source whose pictures arrive as pixel buffers (a movie's decoded
// frames, a camera's captures) and the hand-over of each to the GL pipeline:
// a YUV picture's planes become textures that are converted into the output
// texture, a BGRA picture becomes a texture of its own while it is sent, and
// without fast texture upload the pixels are copied into the output texture.
// What each target is then told is the source's own. Context queue.
class GLImagePixelBufferOutput : public GLImageOutput {
public:
    ~GLImagePixelBufferOutput() override;

    // The BGRA picture's texture while it is sent (made when first asked
    // for: targets that take pictures need none), else the output texture.
    uint32_t textureForOutput() override;
    // The YUV planes of the current picture into the output texture, through
    // a framebuffer at the picture's size. Context queue.
    void convertYUVToRGBOutput();
    void setYUVConversionFBO();
    void createYUVConversionFBO();
    void destroyYUVConversionFBO();

protected:
    // How the current picture reached the pipeline.
    enum class PictureUpload {
        // In textures: textureForOutput() holds it in RGB and, for a YUV
        // picture, luminanceTexture() its luminance plane as it is.
        Textures,
        // Copied into the output texture.
        CopiedIntoOutputTexture,
    };
    using SendPictureToTargets = std::function<void(PictureUpload)>;

    // Readies the YUV conversion; every initialiser runs it.
    void setUpPictureConversion();
    // Uploads picture, lets sendToTargets tell the targets, and gives the
    // picture's textures back. sourceName names the source in the log.
    void handOverPicture(const std::shared_ptr<plat::PixelBuffer>& picture, const char* sourceName,
        const SendPictureToTargets& sendToTargets);
    // The BGRA picture while it is sent, for targets that take pictures;
    // null outside its hand-over and for YUV pictures.
    const std::shared_ptr<plat::PixelBuffer>& framePicture() const { return _framePicture; }
    // The current YUV picture's luminance texture, 0 outside its hand-over.
    uint32_t luminanceTexture() const { return _luminanceTexture; }
    const detail::GLImageYUVConversion& yuvConversion() const { return _yuvConversion; }
    int yuvConversionFramebuffersMade() const { return _yuvConversionFramebuffersMade; }

private:
    detail::GLImagePixelBufferTextures _pictureTextures;
    uint32_t _frameTexture = 0;  // the BGRA picture's texture while it is sent
    std::shared_ptr<plat::PixelBuffer> _framePicture;
    const char* _frameSourceName = "";
    uint32_t _luminanceTexture = 0;
    uint32_t _chrominanceTexture = 0;
    detail::GLImageYUVConversion _yuvConversion;
    detail::GLImageYUVConversionChoice _preferredConversion;
    int _yuvConversionFramebuffersMade = 0;
};

}  // namespace zt
