#pragma once
#include <memory>

#include "glimage/GLImageFilterGroup.h"

namespace zt {
class GLImageDifferenceBlendFilter;
class GLImageLowPassFilter;

// What changed: the difference between each frame and the running average
// of the frames, with the frame's alpha. A still scene turns black once the
// average has caught up. Context queue for frames, as the members.
class GLImageHighPassFilter : public GLImageFilterGroup {
public:
    GLImageHighPassFilter();

    double filterStrength() const;
    void setFilterStrength(double newValue);

    const std::shared_ptr<GLImageLowPassFilter>& lowPassFilter() const { return _lowPassFilter; }
    const std::shared_ptr<GLImageDifferenceBlendFilter>& differenceBlendFilter() const
    {
        return _differenceBlendFilter;
    }

private:
    std::shared_ptr<GLImageLowPassFilter> _lowPassFilter;
    std::shared_ptr<GLImageDifferenceBlendFilter> _differenceBlendFilter;
};

}  // namespace zt
