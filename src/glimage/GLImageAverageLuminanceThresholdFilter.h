#pragma once
#include <atomic>
#include <memory>

#include "glimage/GLImageFilterGroup.h"

namespace zt {
class GLImageLuminanceThresholdFilter;
class GLImageLuminosity;

// Thresholds each frame at a multiple of that frame's own average luminance:
// the luminosity reduction sets the threshold before the threshold filter
// draws the same frame.
class GLImageAverageLuminanceThresholdFilter : public GLImageFilterGroup {
public:
    GLImageAverageLuminanceThresholdFilter();

    double thresholdMultiplier() const { return _thresholdMultiplier->load(); }
    void setThresholdMultiplier(double newValue) { _thresholdMultiplier->store(newValue); }

private:
    std::shared_ptr<GLImageLuminosity> luminosityFilter;
    std::shared_ptr<GLImageLuminanceThresholdFilter> luminanceThresholdFilter;
    // Read on the context queue by the luminosity block, set from any thread.
    std::shared_ptr<std::atomic<double>> _thresholdMultiplier;
};

}  // namespace zt
