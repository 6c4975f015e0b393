#pragma once
#include <array>

#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// Replaces the pixels of input 0 whose chroma lies near the key colour by
// the pixels of input 1, with a soft edge. Luma does not count, so a key
// colour keys its shades from dark to bright alike. Context queue for
// frames; setters from any thread.
//
// Input 0 may come as a camera's BGRA picture (takesPictures): where the
// driver reads the framebuffer in the shader, the picture is uploaded into
// the output texture and keyed where it lies, so the shader samples only the
// backdrop. Otherwise, and whenever the picture does not lie pixel for pixel
// in the output, it becomes a texture and the blend samples both.
class GLImageChromaKeyBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageChromaKeyBlendFilter();

    // Components 0..1; default pure green.
    void setColorToReplaceRed(float redComponent, float greenComponent, float blueComponent);
    float thresholdSensitivity() const { return _thresholdSensitivity; }
    void setThresholdSensitivity(float newValue);
    float smoothing() const { return _smoothing; }
    void setSmoothing(float newValue);

    bool takesPictures(int64_t textureIndex) override;
    void setInputPicture(std::shared_ptr<plat::PixelBuffer> picture, int64_t textureIndex) override;
    void setInputTexture(uint32_t newInputTexture, int64_t textureIndex) override;
    void renderToTextureWithVertices(
        const float* vertices, const float* textureCoordinates, uint32_t sourceTexture) override;
    // How the last frame was keyed: in the output texture, or from two textures.
    bool keyedLastFrameInPlace() const { return _keyedInPlace; }

private:
    bool picturePlacesPixelForPixel(const float* vertices);
    void keyPictureInPlace();
    // As a texture of its own (made anew, BGRA), or its bytes as they are
    // into the output texture of the same size.
    void uploadPictureInto(uint32_t texture, bool asTexture) const;

    std::shared_ptr<GLProgram> _inPlaceProgram;  // null without framebuffer reads
    int32_t _inPlacePositionAttribute = 0;
    int32_t _inPlaceBackdropCoordinateAttribute = 0;
    int32_t _inPlaceBackdropUniform = 0;
    int32_t _inPlaceColorToReplaceUniform = 0;
    int32_t _inPlaceThresholdSensitivityUniform = 0;
    int32_t _inPlaceSmoothingUniform = 0;
    // The camera's picture of the current frame, kept so that a backdrop
    // arriving between pictures keys it again; context queue.
    std::shared_ptr<plat::PixelBuffer> _picture;
    GLTexture _pictureTexture;  // the picture, where it cannot be keyed in place
    bool _keyedInPlace = false;
    // The key as the in-place program takes it, set on the context queue.
    struct InPlaceKey {
        std::array<float, 3> colorToReplace {0.0f, 1.0f, 0.0f};
        float thresholdSensitivity = 0.4f;
        float smoothing = 0.1f;
    };
    std::shared_ptr<InPlaceKey> _inPlaceKey = std::make_shared<InPlaceKey>();

    int32_t colorToReplaceUniform = 0;
    int32_t thresholdSensitivityUniform = 0;
    int32_t smoothingUniform = 0;
    float _thresholdSensitivity = 0.4f;
    float _smoothing = 0.1f;
};

}  // namespace zt
