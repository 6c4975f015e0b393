#pragma once
#include <functional>
#include <memory>

#include "glimage/GLImageFilterGroup.h"
#include "platform/foundation/Geometry.h"

namespace zt {
class GLImageAverageColor;
class GLImageLowPassFilter;
class GLImageTwoInputFilter;

// Finds what moves: pixels whose colour lies more than 0.2 from the running
// average of the frames are marked with their own position, and the marks
// are averaged into the centroid of the motion (texture coordinates) and
// its intensity (the share of pixels that moved). The group's own output is
// the mask. The block runs on the context queue after every frame; when
// nothing moved the intensity is 0 and the centroid is the frame's centre.
class GLImageMotionDetector : public GLImageFilterGroup {
public:
    using MotionDetectionBlock
        = std::function<void(plat::Point motionCentroid, double motionIntensity, const plat::MediaTime& frameTime)>;

    GLImageMotionDetector();
    ~GLImageMotionDetector() override;

    double lowPassFilterStrength() const;
    void setLowPassFilterStrength(double newValue);
    MotionDetectionBlock motionDetectionBlock() const;
    // Any thread; takes effect from the next frame.
    void setMotionDetectionBlock(MotionDetectionBlock block);

    const std::shared_ptr<GLImageLowPassFilter>& lowPassFilter() const { return _lowPassFilter; }
    const std::shared_ptr<GLImageTwoInputFilter>& frameComparisonFilter() const { return _frameComparisonFilter; }
    const std::shared_ptr<GLImageAverageColor>& averageColor() const { return _averageColor; }

    struct Report;

private:
    std::shared_ptr<GLImageLowPassFilter> _lowPassFilter;
    std::shared_ptr<GLImageTwoInputFilter> _frameComparisonFilter;
    std::shared_ptr<GLImageAverageColor> _averageColor;
    // Shared with the average's block, which must not keep the detector alive.
    std::shared_ptr<Report> _report;
};

}  // namespace zt
