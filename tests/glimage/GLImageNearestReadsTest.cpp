// Filters whose passes read their input only at whole multiples of a step
// beside each pixel read it through nearest filtering where that step is
// whole texels: the bytes must be those of the textures' own (linear)
// filtering, and a step that is a fraction of a texel keeps that filtering.
#include <functional>
#include <gtest/gtest.h>
#include <string>

#include "GLCallRecorder.h"
#include "GLImageCpuSampling.h"
#include "glimage/GLImage3x3ConvolutionFilter.h"
#include "glimage/GLImageBlurShaders.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageDilationFilter.h"
#include "glimage/GLImageDirectionalSobelEdgeDetectionFilter.h"
#include "glimage/GLImageErosionFilter.h"
#include "glimage/GLImageGaussianBlurFilter.h"
#include "glimage/GLImageLaplacianFilter.h"
#include "glimage/GLImageLocalBinaryPatternFilter.h"
#include "glimage/GLImageMedianFilter.h"
#include "glimage/GLImageNonMaximumSuppressionFilter.h"
#include "glimage/GLImagePrewittEdgeDetectionFilter.h"
#include "glimage/GLImageRGBDilationFilter.h"
#include "glimage/GLImageRGBErosionFilter.h"
#include "glimage/GLImageSketchFilter.h"
#include "glimage/GLImageSobelEdgeDetectionFilter.h"
#include "glimage/GLImageThresholdEdgeDetectionFilter.h"
#include "glimage/GLImageThresholdSketchFilter.h"
#include "glimage/GLImageToonFilter.h"
#include "glimage/GLImageTwoPassFilter.h"
#include "glimage/GLImageWeakPixelInclusionFilter.h"
#include "glimage/GLImageXYDerivativeFilter.h"
#include "support/Pixels.h"

namespace {

using zt::GLImageFilter;
using zt::test::Colour;

constexpr int kWidth = 23;
constexpr int kHeight = 17;

// Every texel unlike its neighbours, so that a read a fraction of a texel
// off mixes colours that a nearest read would not.
std::shared_ptr<plat::Image> speckled(int width = kWidth, int height = kHeight)
{
    return zt::test::makePicture(width, height, [](int x, int y) {
        const double alpha = (x * 7 + y * 3) % 5 == 0 ? 0.6 : 1.0;
        const double r = ((x * 13 + y * 7) % 11) / 10.0;
        const double g = ((x * 5 + y * 11) % 9) / 8.0;
        const double b = ((x + y * 2) % 7) / 6.0;
        return Colour {r * alpha, g * alpha, b * alpha, alpha};
    });
}

using Make = std::function<std::shared_ptr<GLImageFilter>()>;

// Renders picture through a filter from make as it runs, and through another
// from make that reads every texture through its own filtering; expects the
// same bytes. Gives how many draws of the first read through nearest
// filtering.
uint64_t expectTheBytesOfTheTexturesOwnFiltering(const Make& make, const plat::Image& picture)
{
    auto slow = make();
    zt::runSynchronouslyOnContextQueue([&] { slow->setNearestSamplingAllowedForTesting(false); });
    auto expected = zt::test::filtered(slow, picture);
    std::shared_ptr<plat::Image> result;
    uint64_t nearestDraws = 0;
    {
        auto fast = make();
        zt::test::GLCallRecorder recorder;
        result = zt::test::filtered(fast, picture);
        nearestDraws = recorder.samplerObjectBindings();
    }
    EXPECT_TRUE(expected && result);
    if (!expected || !result)
        return nearestDraws;
    EXPECT_EQ(result->bitmap()->width(), expected->bitmap()->width());
    EXPECT_EQ(result->bitmap()->height(), expected->bitmap()->height());
    int differing = 0;
    for (int y = 0; y < expected->bitmap()->height(); ++y) {
        for (int x = 0; x < expected->bitmap()->width(); ++x) {
            if (plat::test::pixelAt(*result, x, y) != plat::test::pixelAt(*expected, x, y) && differing++ < 3)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ")";
        }
    }
    EXPECT_EQ(differing, 0);
    return nearestDraws;
}

template <typename Filter> Make morphology(uint32_t radius, double vertical, double horizontal)
{
    return [=] {
        auto filter = std::make_shared<Filter>(radius);
        filter->setVerticalTexelSpacing(vertical);
        filter->setHorizontalTexelSpacing(horizontal);
        return filter;
    };
}

struct Case {
    std::string name;
    Make make;
    uint64_t nearestDraws;
};

void expectEveryCase(const std::vector<Case>& cases, const plat::Image& picture)
{
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(expectTheBytesOfTheTexturesOwnFiltering(c.make, picture), c.nearestDraws);
    }
}

TEST(GLImageNearestReads, MorphologyPassesReadNearestOnlyAtWholeTexelSpacings)
{
    using zt::GLImageDilationFilter;
    using zt::GLImageErosionFilter;
    using zt::GLImageRGBDilationFilter;
    using zt::GLImageRGBErosionFilter;
    const std::vector<Case> cases = {
        {"dilation r1", morphology<GLImageDilationFilter>(1, 1.0, 1.0), 2},
        {"dilation r4", morphology<GLImageDilationFilter>(4, 1.0, 1.0), 2},
        {"erosion r2 spacing 2", morphology<GLImageErosionFilter>(2, 2.0, 2.0), 2},
        {"RGB dilation r3", morphology<GLImageRGBDilationFilter>(3, 1.0, 1.0), 2},
        {"RGB erosion r1", morphology<GLImageRGBErosionFilter>(1, 1.0, 1.0), 2},
        // Half a texel and one and a half: each such pass keeps linear reads.
        {"dilation r1 spacing 0.5", morphology<GLImageDilationFilter>(1, 0.5, 0.5), 0},
        {"erosion r2 vertical 1.5", morphology<GLImageErosionFilter>(2, 1.5, 1.0), 1},
        {"RGB dilation r2 horizontal 0.5", morphology<GLImageRGBDilationFilter>(2, 1.0, 0.5), 1},
        {"RGB erosion r4 spacing 2.5", morphology<GLImageRGBErosionFilter>(4, 2.5, 2.5), 0},
    };
    expectEveryCase(cases, *speckled());
}

// A turned input is stepped through along its own axes: still whole texels.
TEST(GLImageNearestReads, ATurnedInputIsReadNearestAlongItsOwnAxes)
{
    for (auto rotation : {zt::GLImageRotationMode::RotateRight, zt::GLImageRotationMode::Rotate180}) {
        SCOPED_TRACE(int(rotation));
        const Make make = [=] {
            auto filter = std::make_shared<zt::GLImageRGBDilationFilter>(2);
            filter->setInputRotation(rotation, 0);
            return filter;
        };
        EXPECT_EQ(expectTheBytesOfTheTexturesOwnFiltering(make, *speckled()), 2u);
    }
}

template <typename Filter> Make threeByThree(double texelWidth = 0, double texelHeight = 0)
{
    return [=] {
        auto filter = std::make_shared<Filter>();
        if (texelWidth > 0)
            filter->setTexelWidth(texelWidth);
        if (texelHeight > 0)
            filter->setTexelHeight(texelHeight);
        return filter;
    };
}

TEST(GLImageNearestReads, ThreeByThreeFiltersReadTheirNinePointsNearestOnlyAtWholeTexelSteps)
{
    using namespace zt;
    const double halfWidth = 0.5 / kWidth;
    const double twoHeights = 2.0 / kHeight;
    const std::vector<Case> cases = {
        {"convolution", threeByThree<GLImage3x3ConvolutionFilter>(), 1},
        {"laplacian", threeByThree<GLImageLaplacianFilter>(), 1},
        {"median", threeByThree<GLImageMedianFilter>(), 1},
        {"local binary pattern", threeByThree<GLImageLocalBinaryPatternFilter>(), 1},
        {"non-maximum suppression", threeByThree<GLImageNonMaximumSuppressionFilter>(), 1},
        {"toon", threeByThree<GLImageToonFilter>(), 1},
        {"weak pixel inclusion", threeByThree<GLImageWeakPixelInclusionFilter>(), 1},
        {"directional Sobel", threeByThree<GLImageDirectionalSobelEdgeDetectionFilter>(), 1},
        {"median, steps of two rows", threeByThree<GLImageMedianFilter>(1.0 / kWidth, twoHeights), 1},
        {"convolution, half a texel across", threeByThree<GLImage3x3ConvolutionFilter>(halfWidth), 0},
        {"median, half a texel across", threeByThree<GLImageMedianFilter>(halfWidth), 0},
        {"toon, 1.5 texels down", threeByThree<GLImageToonFilter>(1.0 / kWidth, 1.5 / kHeight), 0},
    };
    expectEveryCase(cases, *speckled());
}

// The luminance pass reads at the pixel's own coordinate, the edge pass the
// nine points.
TEST(GLImageNearestReads, EdgeFiltersReadBothPassesNearestOnlyAtWholeTexelSteps)
{
    using namespace zt;
    const double halfWidth = 0.5 / kWidth;
    const std::vector<Case> cases = {
        {"Sobel", threeByThree<GLImageSobelEdgeDetectionFilter>(), 2},
        {"Prewitt", threeByThree<GLImagePrewittEdgeDetectionFilter>(), 2},
        {"sketch", threeByThree<GLImageSketchFilter>(), 2},
        {"threshold edges", threeByThree<GLImageThresholdEdgeDetectionFilter>(), 2},
        {"threshold sketch", threeByThree<GLImageThresholdSketchFilter>(), 2},
        {"XY derivative", threeByThree<GLImageXYDerivativeFilter>(), 2},
        {"Sobel, steps of two", threeByThree<GLImageSobelEdgeDetectionFilter>(2.0 / kWidth, 2.0 / kHeight), 2},
        {"Sobel, half a texel across", threeByThree<GLImageSobelEdgeDetectionFilter>(halfWidth), 1},
        {"Prewitt, 1.5 texels down", threeByThree<GLImagePrewittEdgeDetectionFilter>(0, 1.5 / kHeight), 1},
    };
    expectEveryCase(cases, *speckled());
}

TEST(GLImageNearestReads, PassThroughStagesReadNearestAndOtherStagesKeepTheirFiltering)
{
    const std::string passThrough = zt::kGLImagePassthroughFragmentShaderString;
    const std::string inverting = R"(
varying highp vec2 textureCoordinate;
uniform sampler2D inputImageTexture;
void main()
{
    lowp vec4 colour = texture2D(inputImageTexture, textureCoordinate);
    gl_FragColor = vec4(1.0 - colour.rgb, colour.a);
}
)";
    auto twoPass = [](const std::string& first, const std::string& second) -> Make {
        return [=] { return std::make_shared<zt::GLImageTwoPassFilter>(first, second); };
    };
    const std::vector<Case> cases = {
        {"pass-through filter", [] { return std::make_shared<GLImageFilter>(); }, 1},
        {"two pass-through passes", twoPass(passThrough, passThrough), 2},
        {"pass-through, then inverting", twoPass(passThrough, inverting), 1},
        {"inverting, then pass-through", twoPass(inverting, passThrough), 1},
        {"another shader", [=] { return std::make_shared<GLImageFilter>(inverting); }, 0},
    };
    expectEveryCase(cases, *speckled());
}

// Filters of one kind share a program: a step that a filter never gave may
// be another's, and then it is not known to be whole.
TEST(GLImageNearestReads, AStepAFilterNeverGaveIsNotTakenAsWhole)
{
    using namespace zt;
    auto picture = speckled();
    auto fractional = std::make_shared<GLImageMedianFilter>();
    fractional->setTexelWidth(1.0 / kWidth);
    fractional->setTexelHeight(1.5 / kHeight);
    ASSERT_TRUE(zt::test::filtered(fractional, *picture));
    auto fractionalEdges = std::make_shared<GLImageSobelEdgeDetectionFilter>();
    fractionalEdges->setTexelWidth(1.0 / kWidth);
    fractionalEdges->setTexelHeight(1.5 / kHeight);
    ASSERT_TRUE(zt::test::filtered(fractionalEdges, *picture));

    const std::vector<Case> cases = {
        {"median, width only", threeByThree<GLImageMedianFilter>(1.0 / kWidth), 0},
        // The luminance pass still reads at the pixel's coordinate.
        {"Sobel, width only", threeByThree<GLImageSobelEdgeDetectionFilter>(1.0 / kWidth), 1},
    };
    expectEveryCase(cases, *picture);
}

// The standard blur reads its taps a whole number of offsets apart; the
// blur's own shaders read pairs between texels and keep linear reads.
TEST(GLImageNearestReads, OnlyTheStandardBlursTapsAreReadNearest)
{
    using zt::GLImageGaussianBlurFilter;
    auto standard = [](uint32_t radius, double sigma, double spacing) -> Make {
        return [=] {
            auto blur = std::make_shared<GLImageGaussianBlurFilter>();
            blur->switchToVertexShader(GLImageGaussianBlurFilter::vertexShaderForStandardBlurOfRadius(radius, sigma),
                GLImageGaussianBlurFilter::fragmentShaderForStandardBlurOfRadius(radius, sigma));
            blur->setTexelSpacingMultiplier(spacing);
            return blur;
        };
    };
    auto own = [](double blurRadius) -> Make {
        return [=] {
            auto blur = std::make_shared<GLImageGaussianBlurFilter>();
            blur->setBlurRadiusInPixels(blurRadius);
            return blur;
        };
    };
    const std::string passThrough = zt::kGLImagePassthroughFragmentShaderString;
    const std::string vertex = zt::kGLImageVertexShaderString;
    const std::vector<Case> cases = {
        {"standard radius 3", standard(3, 2.0, 1.0), 2},
        // Taps past the varyings are computed in the fragment shader.
        {"standard radius 9", standard(9, 4.0, 1.0), 2},
        {"standard radius 3, spacing 2", standard(3, 2.0, 2.0), 2},
        {"standard radius 3, spacing 1.5", standard(3, 2.0, 1.5), 0},
        {"own, sigma 2", own(2.0), 0},
        {"own, sigma 8", own(8.0), 0},
        {"own, no blur", own(0.0), 2},
        // Made as a pass-through and given a blur afterwards.
        {"pass-through, then sigma 3",
            [=] {
                auto blur = std::make_shared<GLImageGaussianBlurFilter>(vertex, passThrough, vertex, passThrough);
                blur->setBlurRadiusInPixels(3.0);
                return blur;
            },
            0},
    };
    expectEveryCase(cases, *speckled());
}

TEST(GLImageNearestReads, TellsTheStandardBlursShadersFromOthers)
{
    using zt::GLImageGaussianBlurFilter;
    for (uint32_t radius : {1u, 4u, 7u, 8u, 30u, 62u}) {
        SCOPED_TRACE(radius);
        const auto vertex = GLImageGaussianBlurFilter::vertexShaderForStandardBlurOfRadius(radius, 3.0);
        const auto fragment = GLImageGaussianBlurFilter::fragmentShaderForStandardBlurOfRadius(radius, 3.0);
        EXPECT_TRUE(zt::detail::areStandardBlurShaders(vertex, fragment));
        EXPECT_FALSE(zt::detail::areStandardBlurShaders(
            GLImageGaussianBlurFilter::vertexShaderForOptimizedBlurOfRadius(radius, 3.0),
            GLImageGaussianBlurFilter::fragmentShaderForOptimizedBlurOfRadius(radius, 3.0)));
        // A step that is not whole.
        auto halfStep = vertex;
        const auto at = halfStep.find("1.000000");
        ASSERT_NE(at, std::string::npos);
        halfStep.replace(at, 8, "1.500000");
        EXPECT_FALSE(zt::detail::areStandardBlurShaders(halfStep, fragment));
    }
    // Another radius's fragment shader where the vertex shaders differ (from
    // seven on they hand on the same coordinates).
    EXPECT_FALSE(
        zt::detail::areStandardBlurShaders(GLImageGaussianBlurFilter::vertexShaderForStandardBlurOfRadius(3, 3.0),
            GLImageGaussianBlurFilter::fragmentShaderForStandardBlurOfRadius(4, 3.0)));
    EXPECT_TRUE(
        zt::detail::areStandardBlurShaders(GLImageGaussianBlurFilter::vertexShaderForStandardBlurOfRadius(7, 3.0),
            GLImageGaussianBlurFilter::fragmentShaderForStandardBlurOfRadius(12, 3.0)));
}

}  // namespace
