#include <GLES2/gl2.h>
#include <gtest/gtest.h>

#include "GLImageCpuReference.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageGaussianBlurFilter.h"
#include "glimage/GLImagePicture.h"
#include "glimage/GLImageSobelEdgeDetectionFilter.h"
#include "glimage/GLImageTwoPassFilter.h"

namespace {

using zt::GLImageRotationMode;
using zt::test::Colour;
using zt::test::CpuPicture;

std::shared_ptr<plat::Image> stripes()
{
    return zt::test::makePicture(12, 10, [](int x, int y) { return Colour {(x % 4) / 3.0, (y % 3) / 2.0, 0.5, 1.0}; });
}

// Taps one pixel either side, a quarter each; the centre a half.
const std::vector<double> kThreeTaps = {0.25, 0.5, 0.25};

// A blur along the pass axis with three taps, one shader for both passes.
const char* const kThreeTapVertexShader = R"(
attribute vec4 position;
attribute vec4 inputTextureCoordinate;

uniform float texelWidthOffset;
uniform float texelHeightOffset;

varying vec2 textureCoordinate;
varying vec2 before;
varying vec2 after;

void main()
{
    gl_Position = position;
    vec2 step = vec2(texelWidthOffset, texelHeightOffset);
    textureCoordinate = inputTextureCoordinate.xy;
    before = inputTextureCoordinate.xy - step;
    after = inputTextureCoordinate.xy + step;
}
)";

const char* const kThreeTapFragmentShader = R"(
varying highp vec2 textureCoordinate;
varying highp vec2 before;
varying highp vec2 after;

uniform sampler2D inputImageTexture;

void main()
{
    gl_FragColor = 0.5 * texture2D(inputImageTexture, textureCoordinate) + 0.25 * texture2D(inputImageTexture, before)
        + 0.25 * texture2D(inputImageTexture, after);
}
)";

std::shared_ptr<zt::GLImageTwoPassTextureSamplingFilter> threeTapBlur()
{
    return std::make_shared<zt::GLImageTwoPassTextureSamplingFilter>(
        kThreeTapVertexShader, kThreeTapFragmentShader, kThreeTapVertexShader, kThreeTapFragmentShader);
}

TEST(GLImageTwoPassFilter, RunsTheVerticalPassThenTheHorizontalOne)
{
    auto input = stripes();
    auto result = threeTapBlur()->imageByFilteringImage(*input);
    ASSERT_TRUE(result);
    zt::test::expectPictureMatches(zt::test::separable(zt::test::cpuPicture(*input), kThreeTaps), *result);
}

TEST(GLImageTwoPassFilter, SpacingWidensTheStepOfItsPass)
{
    auto input = stripes();
    auto filter = threeTapBlur();
    filter->setVerticalTexelSpacing(2.0);
    auto result = filter->imageByFilteringImage(*input);
    ASSERT_TRUE(result);
    const CpuPicture in = zt::test::cpuPicture(*input);
    const CpuPicture vertical = zt::test::stored(zt::test::convolveAlong(in, kThreeTaps, 0, 1, 2));
    zt::test::expectPictureMatches(zt::test::convolveAlong(vertical, kThreeTaps, 1, 0, 1), *result);
}

TEST(GLImageTwoPassFilter, OffsetsFollowTheFrameTheTurnAndTheSpacingAtOnce)
{
    auto filter = threeTapBlur();
    zt::runSynchronouslyOnContextQueue([&] { filter->setInputSize({640, 480}, 0); });
    filter->setVerticalTexelSpacing(1.0);
    EXPECT_EQ(filter->texelOffsetsForTesting(), (std::array<float, 4> {0.0f, 1.0f / 480, 1.0f / 640, 0.0f}));

    // A turned input is sampled along its own x axis in the first pass.
    auto turned = threeTapBlur();
    zt::runSynchronouslyOnContextQueue([&] {
        turned->setInputRotation(GLImageRotationMode::RotateRight, 0);
        turned->setInputSize({640, 480}, 0);
    });
    turned->setVerticalTexelSpacing(2.0);
    EXPECT_EQ(turned->texelOffsetsForTesting(), (std::array<float, 4> {2.0f / 640, 0.0f, 1.0f / 480, 0.0f}));
}

TEST(GLImageTwoPassFilter, BlursATurnedInputAlongTheOutputsAxes)
{
    auto input = stripes();
    auto filter = threeTapBlur();
    filter->setVerticalTexelSpacing(2.0);  // tells the two axes apart
    auto picture = std::make_shared<zt::GLImagePicture>(*input);
    zt::runSynchronouslyOnContextQueue([&] { filter->setInputRotation(GLImageRotationMode::RotateRight, 0); });
    picture->addTarget(filter, 0);
    picture->processImage();
    auto result = filter->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(result);
    // Turned right: output (x, y) is input (y, height - 1 - x).
    const CpuPicture in = zt::test::cpuPicture(*input);
    CpuPicture turnedInput(in.height, in.width);
    for (int y = 0; y < turnedInput.height; ++y)
        for (int x = 0; x < turnedInput.width; ++x)
            turnedInput.at(x, y) = in.at(y, in.height - 1 - x);
    const CpuPicture vertical = zt::test::stored(zt::test::convolveAlong(turnedInput, kThreeTaps, 0, 1, 2));
    zt::test::expectPictureMatches(zt::test::convolveAlong(vertical, kThreeTaps, 1, 0, 1), *result);
    picture->removeAllTargets();
}

TEST(GLImageTwoPassFilter, AGreyInputRunsOnlyTheSecondPass)
{
    auto input = stripes();
    auto filter = threeTapBlur();
    auto picture = std::make_shared<zt::GLImagePicture>(*input);
    picture->addTarget(filter, 0);
    zt::runSynchronouslyOnContextQueue([&] {
        filter->setCurrentlyReceivingMonochromeInput(true);
        filter->setInputSize({12, 10}, 0);
        filter->newFrameReadyAtTime(plat::MediaTime::make(1, 30), 0);
    });
    auto result = filter->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(result);
    zt::test::expectPictureMatches(zt::test::convolveAlong(zt::test::cpuPicture(*input), kThreeTaps, 1, 0), *result);
    picture->removeAllTargets();
}

TEST(GLImageTwoPassFilter, ReadsBackFromAPixelBufferOnceCapturing)
{
    auto input = stripes();
    auto filter = threeTapBlur();
    auto picture = std::make_shared<zt::GLImagePicture>(*input);
    picture->addTarget(filter, 0);
    picture->processImage();
    auto fromFramebuffer = filter->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    filter->prepareForImageCapture();
    picture->processImage();
    zt::test::drainContextQueue();
    EXPECT_TRUE(filter->renderTarget());
    EXPECT_NE(filter->intermediateTextureForTesting(), 0u);  // the first pass's texture stays its own
    auto fromPixelBuffer = filter->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(fromFramebuffer);
    ASSERT_TRUE(fromPixelBuffer);
    zt::test::expectPictureMatches(zt::test::cpuPicture(*fromFramebuffer), *fromPixelBuffer, 0);
    picture->removeAllTargets();
}

TEST(GLImageTwoPassFilter, ConservingMemoryLetsTheInputAndTheFirstPassGo)
{
    auto input = stripes();
    auto upstream = std::make_shared<zt::GLImageFilter>();
    auto filter = threeTapBlur();
    upstream->addTarget(filter);
    auto picture = std::make_shared<zt::GLImagePicture>(*input);
    picture->addTarget(upstream);
    picture->processImage();
    zt::test::drainContextQueue();
    EXPECT_NE(upstream->framebufferForTesting(), 0u);

    zt::runSynchronouslyOnContextQueue([&] { upstream->conserveMemoryForNextFrame(); });
    picture->processImage();
    zt::test::drainContextQueue();
    EXPECT_EQ(upstream->framebufferForTesting(), 0u);  // told that its output is no longer needed
    EXPECT_EQ(filter->intermediateTextureForTesting(), 0u);
    auto afterwards = filter->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(afterwards);
    zt::test::expectPictureMatches(zt::test::separable(zt::test::cpuPicture(*input), kThreeTaps), *afterwards);

    // The next frame builds what went again.
    picture->processImage();
    auto next = filter->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(next);
    zt::test::expectPictureMatches(zt::test::separable(zt::test::cpuPicture(*input), kThreeTaps), *next);
    picture->removeAllTargets();
}

TEST(GLImageTwoPassFilter, FiltersSharingProgramsKeepTheirOwnUniforms)
{
    // Both Sobel filters run the same two programs; each keeps its own step.
    auto input = zt::test::makePicture(12, 10, [](int x, int y) {
        const double v = (x >= 5 ? 0.8 : 0.1) + (y >= 6 ? 0.1 : 0.0);
        return Colour {v, v, v, 1.0};
    });
    auto wide = std::make_shared<zt::GLImageSobelEdgeDetectionFilter>();
    auto narrow = std::make_shared<zt::GLImageSobelEdgeDetectionFilter>();
    wide->setTexelWidth(2.0 / 12);
    narrow->setEdgeStrength(0.25);
    auto picture = std::make_shared<zt::GLImagePicture>(*input);
    picture->addTarget(wide);
    picture->addTarget(narrow);
    picture->processImage();
    auto wideResult = wide->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    auto narrowResult = narrow->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(wideResult);
    ASSERT_TRUE(narrowResult);
    // Column 4 is next to the step; two columns apart the wide one sees it from column 3 too.
    EXPECT_EQ(plat::test::pixelAt(*narrowResult, 3, 2)[0], 0);
    EXPECT_NEAR(plat::test::pixelAt(*narrowResult, 4, 2)[0], zt::test::toByte(0.7 * 4 * 0.25), 2);
    EXPECT_NEAR(plat::test::pixelAt(*wideResult, 3, 2)[0], 255, 2);
    picture->removeAllTargets();
}

// Both passes store RGBA as RGBA, so that reading the output back as RGBA is
// a plain copy (GL names the format a framebuffer reads without converting).
TEST(GLImageTwoPassFilter, KeepsBothPassesAsRGBA)
{
    auto filter = threeTapBlur();
    ASSERT_TRUE(filter->imageByFilteringImage(*stripes()));
    for (uint32_t texture : {filter->intermediateTextureForTesting(), filter->textureForOutput()}) {
        GLint readFormat = 0;
        zt::runSynchronouslyOnContextQueue([&] {
            zt::GLImageContext::useImageProcessingContext();
            GLint previous = 0;
            glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
            GLuint framebuffer = 0;
            glGenFramebuffers(1, &framebuffer);
            glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
            glGetIntegerv(GL_IMPLEMENTATION_COLOR_READ_FORMAT, &readFormat);
            glBindFramebuffer(GL_FRAMEBUFFER, GLuint(previous));
            glDeleteFramebuffers(1, &framebuffer);
        });
        EXPECT_EQ(readFormat, GL_RGBA) << "texture " << texture;
    }
}

}  // namespace
