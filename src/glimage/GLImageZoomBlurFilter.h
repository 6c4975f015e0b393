#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// Smears each pixel towards and away from a centre, more the farther it
// lies from it: nine taps a hundredth of the distance times blurSize apart.
// Setters from any thread; frames on the context queue.
class GLImageZoomBlurFilter : public GLImageFilter {
public:
    GLImageZoomBlurFilter();  // size 1, centre (0.5, 0.5)

    void setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex) override;

    double blurSize() const { return _blurSize; }
    void setBlurSize(double newValue);
    // In the picture's own coordinates, kept on the same scene point whatever the input's turn.
    plat::Point blurCenter() const { return _blurCenter; }
    void setBlurCenter(plat::Point newValue);

private:
    int32_t blurSizeUniform = -1;
    int32_t blurCenterUniform = -1;
    double _blurSize = 1.0;
    plat::Point _blurCenter {0.5, 0.5};
};

}  // namespace zt
