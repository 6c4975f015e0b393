#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// The overlay's colour mixed into the base's by the overlay's alpha times
// the mix; the base's alpha.
class GLImageAlphaBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageAlphaBlendFilter();  // mix 0.5

    double mix() const { return _mix; }
    void setMix(double newValue);

private:
    int32_t mixUniform = -1;
    double _mix = 0.5;
};

}  // namespace zt
