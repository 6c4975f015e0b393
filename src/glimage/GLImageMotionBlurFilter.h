#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// Smears each pixel along a direction: nine taps, blurSize pixels (scaled
// by the frame's height over width) apart, at blurAngle degrees. Setters
// from any thread; frames on the context queue.
class GLImageMotionBlurFilter : public GLImageFilter {
public:
    GLImageMotionBlurFilter();  // 2.5 pixels at 0 degrees

    void setInputSize(plat::Size newSize, int64_t textureIndex) override;
    void setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex) override;
    // Context queue: the step between taps from the size, turn, angle and size.
    void recalculateTexelOffsets();

    double blurSize() const { return _blurSize; }
    void setBlurSize(double newValue);
    double blurAngle() const { return _blurAngle; }
    void setBlurAngle(double newValue);

    plat::Point directionalTexelStepForTesting() const;

private:
    int32_t directionalTexelStepUniform = -1;
    double _blurSize = 2.5;
    double _blurAngle = 0.0;
    plat::Point directionalTexelStep;  // context queue
};

}  // namespace zt
