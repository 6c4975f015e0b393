#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "glimage/GLImageFilterGroup.h"

namespace zt {
class GLImageFilter;
class GLImageParallelCoordinateLineTransformFilter;
class GLImageThresholdEdgeDetectionFilter;
class GLImageThresholdedNonMaximumSuppressionFilter;

// Straight lines by a Hough transform in parallel coordinates: edges, the
// transform's count of segments through each point, the thresholded local
// maxima of that count, read back and turned into lines y = slope * x +
// intercept in the frame's -1..1 coordinates (slope 100000 for a vertical
// line at x = intercept), at most kMaximumLines a frame. The block runs on
// the context queue after every frame, also when nothing was found.
class GLImageHoughTransformLineDetector : public GLImageFilterGroup {
public:
    static constexpr uint64_t kMaximumLines = 1023;
    // slope, intercept pairs; the pointer is good until the next frame.
    using LinesDetectedBlock
        = std::function<void(const float* lineArray, uint64_t linesDetected, const plat::MediaTime& frameTime)>;

    GLImageHoughTransformLineDetector();

    bool wantsMonochromeInput() override { return true; }

    // How far above the count's noise a maximum must stand (0.8).
    double lineDetectionThreshold() const;
    void setLineDetectionThreshold(double newValue);
    // Kept for callers; nothing reads it.
    double edgeThreshold() const { return _edgeThreshold; }
    void setEdgeThreshold(double newValue) { _edgeThreshold = newValue; }
    LinesDetectedBlock linesDetectedBlock() const;
    // Any thread; takes effect before the next frame's scan.
    void setLinesDetectedBlock(LinesDetectedBlock block);
    // Kept for callers; nothing fills it.
    const std::vector<std::shared_ptr<GLImageOutput>>& intermediateImages() const { return _intermediateImages; }

    // Context queue: reads the last stage back and hands its lines on.
    void extractLineParametersFromImageAtFrameTime(const plat::MediaTime& frameTime);

    struct LineExtraction;

protected:
    std::shared_ptr<GLImageThresholdEdgeDetectionFilter> thresholdEdgeDetectionFilter;
    std::shared_ptr<GLImageParallelCoordinateLineTransformFilter> parallelCoordinateLineTransformFilter;
    std::shared_ptr<GLImageThresholdedNonMaximumSuppressionFilter> nonMaximumSuppressionFilter;

private:
    // Shared with the suppression filter's completion block, which must not
    // keep the detector alive.
    std::shared_ptr<LineExtraction> _extraction;
    double _edgeThreshold = 0.0;
    std::vector<std::shared_ptr<GLImageOutput>> _intermediateImages;
};

}  // namespace zt
