#pragma once
#include <memory>

#include "glimage/GLImageFilterGroup.h"

namespace zt {
class GLImageBuffer;
class GLImageDissolveBlendFilter;

// A running average of the frames per pixel: out(t) = (1 - s) in(t) +
// s out(t - 1), s the filter strength. The dissolve blend's output goes back
// into it through a one-frame buffer. Context queue for frames, as the members.
class GLImageLowPassFilter : public GLImageFilterGroup {
public:
    GLImageLowPassFilter();
    ~GLImageLowPassFilter() override;

    // The size reaches the buffer too, so that the blend never samples it
    // before it has storage.
    void setInputSize(plat::Size newSize, int64_t textureIndex) override;

    double filterStrength() const;
    void setFilterStrength(double newValue);

    const std::shared_ptr<GLImageBuffer>& bufferFilter() const { return _bufferFilter; }
    const std::shared_ptr<GLImageDissolveBlendFilter>& dissolveBlendFilter() const { return _dissolveBlendFilter; }

private:
    std::shared_ptr<GLImageBuffer> _bufferFilter;
    std::shared_ptr<GLImageDissolveBlendFilter> _dissolveBlendFilter;
};

}  // namespace zt
