#include "glimage/GLImageHarrisCornerDetectionFilter.h"

#include <array>
#include <chrono>

#include "glimage/GLImageContext.h"
#include "glimage/GLImageGaussianBlurFilter.h"
#include "glimage/GLImageLitPixels.h"
#include "glimage/GLImageThresholdedNonMaximumSuppressionFilter.h"
#include "glimage/GLImageXYDerivativeFilter.h"
#include "platform/foundation/Log.h"

namespace zt {

namespace {

// Blurred derivative products: red Ix², green Iy², blue Ix·Iy from 0..1.
const char* const kHarrisCornerDetectionFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;
uniform lowp float sensitivity;

const mediump float harrisConstant = 0.04;

void main()
{
    mediump vec3 derivativeElements = texture2D(inputImageTexture, textureCoordinate).rgb;

    mediump float derivativeSum = derivativeElements.x + derivativeElements.y;
    mediump float zElement = (derivativeElements.z * 2.0) - 1.0;

    // R = det(M) - k * trace(M)^2
    mediump float cornerness = derivativeElements.x * derivativeElements.y - (zElement * zElement)
        - harrisConstant * derivativeSum * derivativeSum;

    gl_FragColor = vec4(vec3(cornerness * sensitivity), 1.0);
}
)";

constexpr double kDefaultBlurRadius = 2.0;
constexpr double kDefaultSensitivity = 5.0;
constexpr double kDefaultThreshold = 0.2;

}  // namespace

struct GLImageHarrisCornerDetectionFilter::CornerExtraction {
    std::vector<uint8_t> rawImagePixels;
    std::array<float, (kMaximumCorners + 1) * 2> cornersArray {};
    CornersDetectedBlock cornersDetectedBlock;  // context queue

    void extract(GLImageFilter& suppression, const plat::MediaTime& frameTime)
    {
        const plat::Size size = detail::readFilterOutput(
            suppression, rawImagePixels, "The output texture format for this filter must be GL_RGBA.");
        const auto startTime = std::chrono::steady_clock::now();
        uint64_t numberOfCorners = 0;
        if (size.width > 0 && size.height > 0) {
            detail::forEachLitPixel(
                rawImagePixels, size_t(size.width), size_t(size.height), 1, [&](size_t column, size_t row) {
                    // The count is what the array holds: corners beyond it are not reported.
                    if (numberOfCorners >= kMaximumCorners)
                        return;
                    cornersArray[numberOfCorners * 2] = float(double(column) / size.width);
                    cornersArray[numberOfCorners * 2 + 1] = float(double(row) / size.height);
                    ++numberOfCorners;
                });
        }
        const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - startTime;
        plat::log("Processing time : {} ms", elapsed.count());
        if (cornersDetectedBlock)
            cornersDetectedBlock(cornersArray.data(), numberOfCorners, frameTime);
    }
};

GLImageHarrisCornerDetectionFilter::GLImageHarrisCornerDetectionFilter()
    : GLImageHarrisCornerDetectionFilter(kHarrisCornerDetectionFragmentShaderString)
{
}

GLImageHarrisCornerDetectionFilter::GLImageHarrisCornerDetectionFilter(const std::string& cornerDetectionFragmentShader)
    : derivativeFilter(std::make_shared<GLImageXYDerivativeFilter>())
    , blurFilter(std::make_shared<GLImageGaussianBlurFilter>())
    , harrisCornerDetectionFilter(std::make_shared<GLImageFilter>(cornerDetectionFragmentShader))
    , nonMaximumSuppressionFilter(std::make_shared<GLImageThresholdedNonMaximumSuppressionFilter>())
    , _extraction(std::make_shared<CornerExtraction>())
{
    addFilter(derivativeFilter);
    addFilter(blurFilter);
    addFilter(harrisCornerDetectionFilter);
    addFilter(nonMaximumSuppressionFilter);
    derivativeFilter->addTarget(blurFilter);
    blurFilter->addTarget(harrisCornerDetectionFilter);
    harrisCornerDetectionFilter->addTarget(nonMaximumSuppressionFilter);
    setInitialFilters({derivativeFilter});
    setTerminalFilter(nonMaximumSuppressionFilter);

    nonMaximumSuppressionFilter->setFrameProcessingCompletionBlock(
        [extraction = _extraction](GLImageOutput& output, const plat::MediaTime& frameTime) {
            extraction->extract(static_cast<GLImageFilter&>(output), frameTime);
        });

    setBlurRadiusInPixels(kDefaultBlurRadius);
    setSensitivity(kDefaultSensitivity);
    setThreshold(kDefaultThreshold);
}

double GLImageHarrisCornerDetectionFilter::blurRadiusInPixels() const
{
    return blurFilter->blurRadiusInPixels();
}

void GLImageHarrisCornerDetectionFilter::setBlurRadiusInPixels(double newValue)
{
    blurFilter->setBlurRadiusInPixels(newValue);
}

void GLImageHarrisCornerDetectionFilter::setSensitivity(double newValue)
{
    _sensitivity = newValue;
    harrisCornerDetectionFilter->setFloat(float(newValue), "sensitivity");
}

double GLImageHarrisCornerDetectionFilter::threshold() const
{
    return nonMaximumSuppressionFilter->threshold();
}

void GLImageHarrisCornerDetectionFilter::setThreshold(double newValue)
{
    nonMaximumSuppressionFilter->setThreshold(newValue);
}

GLImageHarrisCornerDetectionFilter::CornersDetectedBlock
GLImageHarrisCornerDetectionFilter::cornersDetectedBlock() const
{
    CornersDetectedBlock block;
    runSynchronouslyOnContextQueue([&] { block = _extraction->cornersDetectedBlock; });
    return block;
}

void GLImageHarrisCornerDetectionFilter::setCornersDetectedBlock(CornersDetectedBlock block)
{
    runSynchronouslyOnContextQueue([&] { _extraction->cornersDetectedBlock = std::move(block); });
}

void GLImageHarrisCornerDetectionFilter::extractCornerLocationsFromImageAtFrameTime(const plat::MediaTime& frameTime)
{
    runSynchronouslyOnContextQueue([&] { _extraction->extract(*nonMaximumSuppressionFilter, frameTime); });
}

}  // namespace zt
