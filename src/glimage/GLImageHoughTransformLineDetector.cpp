#include "glimage/GLImageHoughTransformLineDetector.h"

#include <array>

#include "glimage/GLImageContext.h"
#include "glimage/GLImageLitPixels.h"
#include "glimage/GLImageParallelCoordinateLineTransformFilter.h"
#include "glimage/GLImageThresholdEdgeDetectionFilter.h"
#include "glimage/GLImageThresholdedNonMaximumSuppressionFilter.h"

namespace zt {

namespace {

constexpr double kEdgeThreshold = 0.4;
constexpr double kDefaultLineDetectionThreshold = 0.8;
// Maxima this close to the middle of the transform are vertical lines.
constexpr float kVerticalBand = 0.05f;
constexpr float kVerticalSlope = 100000.0f;

}  // namespace

struct GLImageHoughTransformLineDetector::LineExtraction {
    std::vector<uint8_t> rawImagePixels;
    std::array<float, (kMaximumLines + 1) * 2> linesArray {};
    LinesDetectedBlock linesDetectedBlock;  // context queue

    void extract(GLImageFilter& suppression, const plat::MediaTime& frameTime)
    {
        const plat::Size size = detail::readFilterOutput(
            suppression, rawImagePixels, "The output texture format for this filter must be GL_RGBA.");
        uint64_t numberOfLines = 0;
        if (size.width > 0 && size.height > 0) {
            detail::forEachLitPixel(
                rawImagePixels, size_t(size.width), size_t(size.height), 1, [&](size_t column, size_t row) {
                    // The count is what the array holds: lines beyond it are not reported.
                    if (numberOfLines >= kMaximumLines)
                        return;
                    const float x = 2.0f * float(column) / float(size.width) - 1.0f;
                    const float y = 2.0f * float(row) / float(size.height) - 1.0f;
                    float slope = kVerticalSlope;
                    float intercept = y;
                    if (x <= -kVerticalBand) {
                        slope = -1.0f / x - 1.0f;
                        intercept = y / x;
                    } else if (x >= kVerticalBand) {
                        slope = 1.0f - 1.0f / x;
                        intercept = y / x;
                    }
                    linesArray[numberOfLines * 2] = slope;
                    linesArray[numberOfLines * 2 + 1] = intercept;
                    ++numberOfLines;
                });
        }
        if (linesDetectedBlock)
            linesDetectedBlock(linesArray.data(), numberOfLines, frameTime);
    }
};

GLImageHoughTransformLineDetector::GLImageHoughTransformLineDetector()
    : thresholdEdgeDetectionFilter(std::make_shared<GLImageThresholdEdgeDetectionFilter>())
    , parallelCoordinateLineTransformFilter(std::make_shared<GLImageParallelCoordinateLineTransformFilter>())
    , nonMaximumSuppressionFilter(std::make_shared<GLImageThresholdedNonMaximumSuppressionFilter>(
          parallelCoordinateLineTransformFilter->accumulation() == GLImageLineAccumulation::FramebufferReads
              ? GLImageColorspacePacking::Packed
              : GLImageColorspacePacking::Unpacked))
    , _extraction(std::make_shared<LineExtraction>())
{
    thresholdEdgeDetectionFilter->setThreshold(kEdgeThreshold);
    thresholdEdgeDetectionFilter->setEdgeStrength(1.0);
    addFilter(thresholdEdgeDetectionFilter);
    addFilter(parallelCoordinateLineTransformFilter);
    addFilter(nonMaximumSuppressionFilter);
    nonMaximumSuppressionFilter->setFrameProcessingCompletionBlock(
        [extraction = _extraction](GLImageOutput& output, const plat::MediaTime& frameTime) {
            extraction->extract(static_cast<GLImageFilter&>(output), frameTime);
        });
    thresholdEdgeDetectionFilter->addTarget(parallelCoordinateLineTransformFilter);
    parallelCoordinateLineTransformFilter->addTarget(nonMaximumSuppressionFilter);
    setInitialFilters({thresholdEdgeDetectionFilter});
    setTerminalFilter(nonMaximumSuppressionFilter);
    setLineDetectionThreshold(kDefaultLineDetectionThreshold);
}

double GLImageHoughTransformLineDetector::lineDetectionThreshold() const
{
    return nonMaximumSuppressionFilter->threshold();
}

void GLImageHoughTransformLineDetector::setLineDetectionThreshold(double newValue)
{
    nonMaximumSuppressionFilter->setThreshold(newValue);
}

GLImageHoughTransformLineDetector::LinesDetectedBlock GLImageHoughTransformLineDetector::linesDetectedBlock() const
{
    LinesDetectedBlock block;
    runSynchronouslyOnContextQueue([&] { block = _extraction->linesDetectedBlock; });
    return block;
}

void GLImageHoughTransformLineDetector::setLinesDetectedBlock(LinesDetectedBlock block)
{
    runSynchronouslyOnContextQueue([&] { _extraction->linesDetectedBlock = std::move(block); });
}

void GLImageHoughTransformLineDetector::extractLineParametersFromImageAtFrameTime(const plat::MediaTime& frameTime)
{
    runSynchronouslyOnContextQueue([&] { _extraction->extract(*nonMaximumSuppressionFilter, frameTime); });
}

}  // namespace zt
