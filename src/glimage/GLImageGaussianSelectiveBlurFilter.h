#pragma once
#include <memory>

#include "glimage/GLImageFilterGroup.h"

namespace zt {
class GLImageGaussianBlurFilter;
class GLImageTwoInputFilter;

// Keeps a circle sharp and blurs the rest, with a soft edge between
// (excludeCircleRadius - excludeBlurSize to excludeCircleRadius from the
// point, in frame fractions whose y is scaled by aspectRatio). The ratio
// is the input's width over height until a caller sets one. Setters from
// any thread; frames on the context queue.
class GLImageGaussianSelectiveBlurFilter : public GLImageFilterGroup {
public:
    GLImageGaussianSelectiveBlurFilter();

    void setInputSize(plat::Size newSize, int64_t textureIndex) override;

    double blurRadiusInPixels() const;
    void setBlurRadiusInPixels(double newValue);
    plat::Point excludeCirclePoint() const { return _excludeCirclePoint; }
    void setExcludeCirclePoint(plat::Point newValue);
    double excludeCircleRadius() const { return _excludeCircleRadius; }
    void setExcludeCircleRadius(double newValue);
    double excludeBlurSize() const { return _excludeBlurSize; }
    void setExcludeBlurSize(double newValue);
    double aspectRatio() const { return _aspectRatio; }
    // From now on the input size no longer sets the ratio.
    void setAspectRatio(double newValue);

    const std::shared_ptr<GLImageGaussianBlurFilter>& blurFilter() const { return _blurFilter; }
    const std::shared_ptr<GLImageTwoInputFilter>& selectiveFocusFilter() const { return _selectiveFocusFilter; }

private:
    std::shared_ptr<GLImageGaussianBlurFilter> _blurFilter;
    std::shared_ptr<GLImageTwoInputFilter> _selectiveFocusFilter;
    plat::Size inputSize;  // context queue
    bool hasOverriddenAspectRatio = false;
    plat::Point _excludeCirclePoint {0.5, 0.5};
    double _excludeCircleRadius = 0;
    double _excludeBlurSize = 0;
    double _aspectRatio = 0;
};

}  // namespace zt
