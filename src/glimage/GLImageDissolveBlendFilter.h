#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// Fades from the first input (mix 0) to the second (mix 1), all four channels.
class GLImageDissolveBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageDissolveBlendFilter();

    double mix() const { return _mix; }
    void setMix(double newValue);

private:
    int32_t mixUniform = 0;
    double _mix = 0.5;
};

}  // namespace zt
