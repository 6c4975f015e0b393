#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// Makes the pixels near a key colour transparent, measuring nearness in
// chroma alone (Cr, Cb), so a shadow on the key colour is keyed too.
// Within thresholdSensitivity of the key a pixel is gone, beyond it plus
// smoothing it is kept; the output stays premultiplied. Setters from any
// thread; frames on the context queue.
class GLImageChromaKeyFilter : public GLImageFilter {
public:
    GLImageChromaKeyFilter();  // green, sensitivity 0.4, smoothing 0.1

    void setColorToReplaceRed(float redComponent, float greenComponent, float blueComponent);
    float thresholdSensitivity() const { return _thresholdSensitivity; }
    void setThresholdSensitivity(float newValue);
    float smoothing() const { return _smoothing; }
    void setSmoothing(float newValue);

private:
    int32_t colorToReplaceUniform = -1;
    int32_t thresholdSensitivityUniform = -1;
    int32_t smoothingUniform = -1;
    float _thresholdSensitivity = 0.4f;
    float _smoothing = 0.1f;
};

}  // namespace zt
