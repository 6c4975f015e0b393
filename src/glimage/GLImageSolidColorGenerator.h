#pragma once
#include "glimage/GLImageFilter.h"
#include "glimage/GPUVector.h"

namespace zt {

// Fills its output with one colour, optionally keeping the input's alpha.
// Given a size, it renders at once, and a target added later still gets the
// colour.
class GLImageSolidColorGenerator : public GLImageFilter {
public:
    GLImageSolidColorGenerator();

    const GPUVector4& color() const { return _color; }
    void setColor(const GPUVector4& newValue);
    void setColorRed(float redComponent, float greenComponent, float blueComponent, float alphaComponent);
    bool useExistingAlpha() const { return _useExistingAlpha; }
    void setUseExistingAlpha(bool useExistingAlpha);

    void forceProcessingAtSize(plat::Size frameSize) override;
    using GLImageFilter::addTarget;
    void addTarget(const std::shared_ptr<GLImageInput>& newTarget, int64_t textureLocation) override;

private:
    int32_t colorUniform = 0;
    int32_t useExistingAlphaUniform = 0;
    GPUVector4 _color = {0.0f, 0.0f, 0.5f, 1.0f};
    bool _useExistingAlpha = false;
};

}  // namespace zt
