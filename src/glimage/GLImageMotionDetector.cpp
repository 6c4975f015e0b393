#include "glimage/GLImageMotionDetector.h"

#include "glimage/GLImageAverageColor.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageLowPassFilter.h"
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

namespace {

const char* const kMotionComparisonFragmentShaderString = R"(
varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

void main()
{
    lowp vec3 currentImageColor = texture2D(inputImageTexture, textureCoordinate).rgb;
    lowp vec3 lowPassImageColor = texture2D(inputImageTexture2, textureCoordinate2).rgb;

    mediump float colorDistance = distance(currentImageColor, lowPassImageColor);
    lowp float movementThreshold = step(0.2, colorDistance);

    gl_FragColor = movementThreshold * vec4(textureCoordinate2.x, textureCoordinate2.y, 1.0, 1.0);
}
)";

// Where the centroid of no motion is put, rather than 0 / 0.
constexpr plat::Point kCentroidOfNoMotion = {0.5, 0.5};

}  // namespace

struct GLImageMotionDetector::Report {
    MotionDetectionBlock block;  // context queue

    void averageArrived(double red, double green, double alpha, const plat::MediaTime& frameTime) const
    {
        if (!block)
            return;
        // Each marked pixel carries its own position: the averages are the
        // positions' sums over all pixels, alpha the share of marked ones.
        const plat::Point centroid = alpha > 0 ? plat::Point {red / alpha, green / alpha} : kCentroidOfNoMotion;
        block(centroid, alpha, frameTime);
    }
};

GLImageMotionDetector::GLImageMotionDetector()
    : _lowPassFilter(std::make_shared<GLImageLowPassFilter>())
    , _frameComparisonFilter(std::make_shared<GLImageTwoInputFilter>(kMotionComparisonFragmentShaderString))
    , _averageColor(std::make_shared<GLImageAverageColor>())
    , _report(std::make_shared<Report>())
{
    addFilter(_lowPassFilter);
    addFilter(_frameComparisonFilter);
    addFilter(_averageColor);
    _lowPassFilter->addTarget(_frameComparisonFilter, 1);
    _frameComparisonFilter->addTarget(_averageColor);
    setInitialFilters({_lowPassFilter, _frameComparisonFilter});
    setTerminalFilter(_frameComparisonFilter);
    std::weak_ptr<Report> report = _report;
    _averageColor->setColorAverageProcessingFinishedBlock(
        [report](double red, double green, double, double alpha, const plat::MediaTime& frameTime) {
            if (auto strong = report.lock())
                strong->averageArrived(red, green, alpha, frameTime);
        });
    setLowPassFilterStrength(0.5);
}

GLImageMotionDetector::~GLImageMotionDetector() = default;

double GLImageMotionDetector::lowPassFilterStrength() const
{
    return _lowPassFilter->filterStrength();
}

void GLImageMotionDetector::setLowPassFilterStrength(double newValue)
{
    _lowPassFilter->setFilterStrength(newValue);
}

GLImageMotionDetector::MotionDetectionBlock GLImageMotionDetector::motionDetectionBlock() const
{
    MotionDetectionBlock block;
    runSynchronouslyOnContextQueue([&] { block = _report->block; });
    return block;
}

void GLImageMotionDetector::setMotionDetectionBlock(MotionDetectionBlock block)
{
    runSynchronouslyOnContextQueue([&] { _report->block = std::move(block); });
}

}  // namespace zt
