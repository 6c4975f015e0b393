#include <gtest/gtest.h>

#include "GLCallRecorder.h"
#include "GLImageTestSupport.h"
#include "glimage/GLImage3x3ConvolutionFilter.h"
#include "glimage/GLImageBilateralFilter.h"
#include "glimage/GLImageBoxBlurFilter.h"
#include "glimage/GLImageCannyEdgeDetectionFilter.h"
#include "glimage/GLImageCrosshairGenerator.h"
#include "glimage/GLImageFilterPipeline.h"
#include "glimage/GLImageGaussianBlurFilter.h"
#include "glimage/GLImageGaussianBlurPositionFilter.h"
#include "glimage/GLImageGaussianSelectiveBlurFilter.h"
#include "glimage/GLImageHardLightBlendFilter.h"
#include "glimage/GLImageHarrisCornerDetectionFilter.h"
#include "glimage/GLImageHighPassFilter.h"
#include "glimage/GLImageHistogramFilter.h"
#include "glimage/GLImageHistogramGenerator.h"
#include "glimage/GLImageHoughTransformLineDetector.h"
#include "glimage/GLImageJFAVoronoiFilter.h"
#include "glimage/GLImageKuwaharaRadius3Filter.h"
#include "glimage/GLImageLanczosResamplingFilter.h"
#include "glimage/GLImageLineGenerator.h"
#include "glimage/GLImageMaskFilter.h"
#include "glimage/GLImageMedianFilter.h"
#include "glimage/GLImageMosaicFilter.h"
#include "glimage/GLImageMotionDetector.h"
#include "glimage/GLImageNobleCornerDetectionFilter.h"
#include "glimage/GLImageOpeningFilter.h"
#include "glimage/GLImageOrrinvalFilter.h"
#include "glimage/GLImagePerlinNoiseFilter.h"
#include "glimage/GLImagePicture.h"
#include "glimage/GLImagePoissonBlendFilter.h"
#include "glimage/GLImageRGBClosingFilter.h"
#include "glimage/GLImageShiTomasiFeatureDetectionFilter.h"
#include "glimage/GLImageSingleComponentGaussianBlurFilter.h"
#include "glimage/GLImageSmoothToonFilter.h"
#include "glimage/GLImageSobelEdgeDetectionFilter.h"
#include "glimage/GLImageThresholdSketchFilter.h"
#include "glimage/GLImageToneCurveFilter.h"
#include "glimage/GLImageTransformFilter.h"
#include "glimage/GLImageWhiteBalanceFilter.h"
#include "glimage/GLImageXYDerivativeFilter.h"
#include "glimage/GLImageiOSBlurFilter.h"
#include "platform/gl/GLContext.h"

namespace {

using zt::test::Colour;

std::shared_ptr<plat::Image> picture()
{
    return zt::test::makePicture(48, 32, [](int x, int y) {
        const bool inside = x >= 12 && x < 36 && y >= 8 && y < 24;
        return inside ? Colour {0.9, 0.8, 0.7, 1.0} : Colour {0.05 * (x % 5), 0.1, 0.2, 1.0};
    });
}

// Everything a caller does with the filters, from a thread that is not the
// context queue: making them, setting their properties, sending frames,
// reading results back and drawing points and lines.
void useEveryFamilyFromThisThread()
{
    auto input = picture();
    auto gaussian = std::make_shared<zt::GLImageGaussianBlurFilter>();
    gaussian->setBlurRadiusInPixels(5);
    gaussian->setTexelSpacingMultiplier(1.5);
    gaussian->setBlurPasses(2);
    auto bilateral = std::make_shared<zt::GLImageBilateralFilter>();
    bilateral->setDistanceNormalizationFactor(4);
    auto box = std::make_shared<zt::GLImageBoxBlurFilter>();
    box->setBlurRadiusInPixels(8);
    auto position = std::make_shared<zt::GLImageGaussianBlurPositionFilter>();
    position->setBlurCenter({0.3, 0.6});
    position->setBlurSize(2);
    auto convolution = std::make_shared<zt::GLImage3x3ConvolutionFilter>();
    convolution->setConvolutionKernel({{0.0f, 1.0f, 0.0f}, {1.0f, -4.0f, 1.0f}, {0.0f, 1.0f, 0.0f}});
    convolution->setTexelHeight(0.05);
    auto toon = std::make_shared<zt::GLImageSmoothToonFilter>();
    toon->setQuantizationLevels(5);
    auto canny = std::make_shared<zt::GLImageCannyEdgeDetectionFilter>();
    canny->setUpperThreshold(0.5);
    auto sketch = std::make_shared<zt::GLImageThresholdSketchFilter>();
    sketch->setThreshold(0.3);
    auto derivative = std::make_shared<zt::GLImageXYDerivativeFilter>();
    derivative->setTexelWidth(0.05);
    const std::shared_ptr<zt::GLImageOutput> filters[]
        = {gaussian, bilateral, box, position, std::make_shared<zt::GLImageSingleComponentGaussianBlurFilter>(),
            convolution, std::make_shared<zt::GLImageMedianFilter>(), toon,
            std::make_shared<zt::GLImageSobelEdgeDetectionFilter>(), sketch, derivative, canny};
    for (const auto& filter : filters) {
        auto result = filter->imageByFilteringImage(*input);
        ASSERT_TRUE(result);
    }

    auto blend = std::make_shared<zt::GLImageHardLightBlendFilter>();
    ASSERT_TRUE(zt::test::renderTwoInputs(blend, *input, *picture()));

    uint64_t corners = 0, lines = 0;
    auto crosshairs = std::make_shared<zt::GLImageCrosshairGenerator>();
    crosshairs->forceProcessingAtSize({48, 32});
    crosshairs->setCrosshairWidth(7);
    crosshairs->setCrosshairColorRed(1, 0, 0);
    const std::shared_ptr<zt::GLImageHarrisCornerDetectionFilter> cornerDetectors[]
        = {std::make_shared<zt::GLImageHarrisCornerDetectionFilter>(),
            std::make_shared<zt::GLImageNobleCornerDetectionFilter>(),
            std::make_shared<zt::GLImageShiTomasiFeatureDetectionFilter>()};
    for (const auto& detector : cornerDetectors) {
        detector->setSensitivity(4);
        detector->setBlurRadiusInPixels(3);
        detector->setCornersDetectedBlock(
            [&](const float*, uint64_t count, const plat::MediaTime&) { corners += count; });
        auto source = std::make_shared<zt::GLImagePicture>(*input);
        source->addTarget(detector);
        source->processImage();
        zt::test::drainContextQueue();
        detector->extractCornerLocationsFromImageAtFrameTime(plat::MediaTime::make(1, 30));
        source->removeAllTargets();
    }
    const float points[] = {0.25f, 0.25f, 0.75f, 0.75f};
    crosshairs->renderCrosshairsFromArray(points, 2, plat::MediaTime::make(1, 30));
    ASSERT_TRUE(crosshairs->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up));

    auto lineDetector = std::make_shared<zt::GLImageHoughTransformLineDetector>();
    lineDetector->setLineDetectionThreshold(0.5);
    lineDetector->setLinesDetectedBlock([&](const float*, uint64_t count, const plat::MediaTime&) { lines += count; });
    auto source = std::make_shared<zt::GLImagePicture>(*input);
    source->addTarget(lineDetector);
    source->processImage();
    zt::test::drainContextQueue();
    lineDetector->extractLineParametersFromImageAtFrameTime(plat::MediaTime::make(2, 30));
    source->removeAllTargets();

    auto lineGenerator = std::make_shared<zt::GLImageLineGenerator>();
    lineGenerator->forceProcessingAtSize({48, 32});
    lineGenerator->setLineWidth(2.0);
    lineGenerator->setLineColorRed(0, 0, 1);
    const float drawn[] = {0.5f, 0.1f, 100000.0f, 0.2f};
    lineGenerator->renderLinesFromArray(drawn, 2, plat::MediaTime::make(2, 30));
    ASSERT_TRUE(lineGenerator->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up));
}

// The same for the histogram, generators, tone curves and tables,
// geometry, inputs of more than one picture, morphology, frames over time,
// blur groups and a pipeline from a configuration.
void useTheOtherFamiliesFromThisThread()
{
    auto input = picture();
    auto opening = std::make_shared<zt::GLImageOpeningFilter>(2);
    opening->setVerticalTexelSpacing(2.0);
    auto curve = std::make_shared<zt::GLImageToneCurveFilter>();
    curve->setRedControlPoints({{0, 0.2}, {1, 1}});
    auto white = std::make_shared<zt::GLImageWhiteBalanceFilter>();
    white->setTemperature(6000);
    auto noise = std::make_shared<zt::GLImagePerlinNoiseFilter>();
    noise->setScale(3.0f);
    auto voronoi = std::make_shared<zt::GLImageJFAVoronoiFilter>();
    voronoi->setSizeInPixels({64, 64});
    auto mosaic = std::make_shared<zt::GLImageMosaicFilter>();
    mosaic->setTileSetImage(*picture());
    auto transform = std::make_shared<zt::GLImageTransformFilter>();
    transform->setAffineTransform(plat::AffineTransform::makeRotation(0.3));
    transform->setAnchorTopLeft(true);
    auto histogram = std::make_shared<zt::GLImageHistogramFilter>(zt::GLImageHistogramType::RGB);
    histogram->setDownsamplingFactor(4);
    auto selective = std::make_shared<zt::GLImageGaussianSelectiveBlurFilter>();
    selective->setExcludeCirclePoint({0.3, 0.3});
    auto glass = std::make_shared<zt::GLImageiOSBlurFilter>();
    glass->setDownsampling(2.0);
    auto lanczos = std::make_shared<zt::GLImageLanczosResamplingFilter>();
    lanczos->forceProcessingAtSize({20, 12});
    const std::shared_ptr<zt::GLImageOutput> filters[]
        = {opening, std::make_shared<zt::GLImageRGBClosingFilter>(3), curve, white, noise, voronoi, transform,
            histogram, std::make_shared<zt::GLImageHistogramGenerator>(), std::make_shared<zt::GLImageOrrinvalFilter>(),
            std::make_shared<zt::GLImageKuwaharaRadius3Filter>(), selective, glass, lanczos};
    for (const auto& filter : filters)
        ASSERT_TRUE(filter->imageByFilteringImage(*input));

    auto poisson = std::make_shared<zt::GLImagePoissonBlendFilter>();
    poisson->setNumIterations(3);
    ASSERT_TRUE(zt::test::renderTwoInputs(poisson, *input, *picture()));
    ASSERT_TRUE(zt::test::renderTwoInputs(std::make_shared<zt::GLImageMaskFilter>(), *input, *picture()));
    ASSERT_TRUE(mosaic->imageByFilteringImage(*input));

    int motions = 0;
    auto detector = std::make_shared<zt::GLImageMotionDetector>();
    detector->setMotionDetectionBlock([&](plat::Point, double, const plat::MediaTime&) { ++motions; });
    auto highPass = std::make_shared<zt::GLImageHighPassFilter>();
    highPass->setFilterStrength(0.3);
    for (const std::shared_ptr<zt::GLImageOutput>& temporal :
        {std::static_pointer_cast<zt::GLImageOutput>(detector), std::static_pointer_cast<zt::GLImageOutput>(highPass)})
        ASSERT_TRUE(temporal->imageByFilteringImage(*input));
    ASSERT_EQ(motions, 1);

    auto source = std::make_shared<zt::GLImagePicture>(*input);
    auto pipeline = zt::GLImageFilterPipeline::initWithConfiguration(
        plat::Dictionary {{"Filters",
            plat::Value(plat::Array {plat::Value(plat::Dictionary {{"FilterName", plat::Value("GLImageSwirlFilter")},
                {"Attributes", plat::Value(plat::Dictionary {{"setAngle:", plat::Value("float(0.5)")}})}})})}},
        source, nullptr);
    ASSERT_TRUE(pipeline.ok());
    source->processImage();
    ASSERT_TRUE(pipeline.value()->currentFilteredFrameWithOrientation(plat::ImageOrientation::Up));
    pipeline.value()->removeAllFilters();
}

TEST(GLImagePipelineQueue, EveryGLCallOfTheOtherFamiliesRunsOnTheContextQueue)
{
    zt::test::drainContextQueue();
    std::vector<std::string> offQueue;
    uint64_t onQueue = 0;
    {
        zt::test::GLCallRecorder recorder;
        useTheOtherFamiliesFromThisThread();
        zt::test::drainContextQueue();
        offQueue = recorder.callsOffTheContextQueue();
        onQueue = recorder.callsOnTheContextQueue();
    }
    EXPECT_GT(onQueue, 1000u);
    EXPECT_TRUE(offQueue.empty()) << offQueue.size() << " calls off the queue, the first " << offQueue.front();
    EXPECT_EQ(plat::GLContext::currentContext(), nullptr);
}

TEST(GLImagePipelineQueue, EveryGLCallOfTheFiltersRunsOnTheContextQueue)
{
    zt::test::drainContextQueue();  // nothing of earlier tests still queued
    std::vector<std::string> offQueue;
    uint64_t onQueue = 0;
    {
        zt::test::GLCallRecorder recorder;
        useEveryFamilyFromThisThread();
        zt::test::drainContextQueue();
        offQueue = recorder.callsOffTheContextQueue();
        onQueue = recorder.callsOnTheContextQueue();
    }
    EXPECT_GT(onQueue, 1000u);  // the recorder does see the filters' calls
    EXPECT_TRUE(offQueue.empty()) << offQueue.size() << " calls off the queue, the first " << offQueue.front();
    // Nor was the context ever left current on this thread.
    EXPECT_EQ(plat::GLContext::currentContext(), nullptr);
}

}  // namespace
