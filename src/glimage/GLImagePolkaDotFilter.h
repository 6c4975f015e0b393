#pragma once
#include "glimage/GLImagePixellateFilter.h"

namespace zt {

// The pixellated picture as round dots on black, each dot a share of its cell.
class GLImagePolkaDotFilter : public GLImagePixellateFilter {
public:
    GLImagePolkaDotFilter();  // dots 0.9 of the cell

    double dotScaling() const { return _dotScaling; }
    void setDotScaling(double newValue);

private:
    int32_t dotScalingUniform = -1;
    double _dotScaling = 0.9;
};

}  // namespace zt
