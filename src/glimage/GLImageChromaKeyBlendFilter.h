#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// Replaces the pixels of input 0 whose chroma lies near the key colour by
// the pixels of input 1, with a soft edge. Luma does not count, so a key
// colour keys its shades from dark to bright alike. Context queue for
// frames; setters from any thread.
class GLImageChromaKeyBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageChromaKeyBlendFilter();

    // Components 0..1; default pure green.
    void setColorToReplaceRed(float redComponent, float greenComponent, float blueComponent);
    float thresholdSensitivity() const { return _thresholdSensitivity; }
    void setThresholdSensitivity(float newValue);
    float smoothing() const { return _smoothing; }
    void setSmoothing(float newValue);

private:
    int32_t colorToReplaceUniform = 0;
    int32_t thresholdSensitivityUniform = 0;
    int32_t smoothingUniform = 0;
    float _thresholdSensitivity = 0.4f;
    float _smoothing = 0.1f;
};

}  // namespace zt
