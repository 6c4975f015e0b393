#include <cmath>
#include <gtest/gtest.h>
#include <string>

#include "GLImageTestSupport.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageCrosshairGenerator.h"
#include "glimage/GLImageFilter.h"
#include "glimage/GLImageHarrisCornerDetectionFilter.h"
#include "glimage/GLImageNobleCornerDetectionFilter.h"
#include "glimage/GLImagePicture.h"
#include "glimage/GLImageShiTomasiFeatureDetectionFilter.h"
#include "glimage/GLImageThresholdedNonMaximumSuppressionFilter.h"
#include "platform/foundation/DispatchQueue.h"

namespace {

using zt::test::Colour;

struct Corner {
    double x, y;
};

// What the detector reports for one frame.
struct Report {
    std::vector<Corner> corners;
    uint64_t count = 0;
    int calls = 0;
    bool onContextQueue = false;
};

template <typename Detector> void listen(Detector& detector, Report& report)
{
    detector.setCornersDetectedBlock([&report](const float* corners, uint64_t count, const plat::MediaTime&) {
        report.onContextQueue = zt::GLImageContext::sharedContextQueue().isCurrent();
        ++report.calls;
        report.count = count;
        report.corners.clear();
        for (uint64_t i = 0; i < count; ++i)
            report.corners.push_back({corners[i * 2], corners[i * 2 + 1]});
    });
}

void process(const std::shared_ptr<zt::GLImageInput>& target, const plat::Image& image)
{
    auto picture = std::make_shared<zt::GLImagePicture>(image);
    picture->addTarget(target);
    picture->processImage();
    zt::test::drainContextQueue();
    picture->removeAllTargets();
}

// A light rectangle on a dark ground, corners at (16, 12), (48, 12), (16, 36), (48, 36).
std::shared_ptr<plat::Image> rectangle()
{
    return zt::test::makePicture(64, 48, [](int x, int y) {
        const bool inside = x >= 16 && x < 48 && y >= 12 && y < 36;
        return inside ? Colour {0.9, 0.85, 0.8, 1.0} : Colour {0.1, 0.1, 0.15, 1.0};
    });
}

// Every reported corner lies near one of the rectangle's, and each of those is found.
void expectRectangleCorners(const Report& report)
{
    const Corner expected[] = {{16, 12}, {48, 12}, {16, 36}, {48, 36}};
    bool found[4] = {};
    for (const auto& corner : report.corners) {
        const double x = corner.x * 64, y = corner.y * 48;
        bool nearOne = false;
        for (size_t i = 0; i < 4; ++i) {
            if (std::hypot(x - expected[i].x, y - expected[i].y) <= 3.0) {
                found[i] = true;
                nearOne = true;
            }
        }
        EXPECT_TRUE(nearOne) << "a corner at " << x << ", " << y;
    }
    for (size_t i = 0; i < 4; ++i)
        EXPECT_TRUE(found[i]) << "no corner near " << expected[i].x << ", " << expected[i].y;
}

TEST(GLImageCornerDetectors, FindTheCornersOfARectangle)
{
    const std::pair<const char*, std::shared_ptr<zt::GLImageHarrisCornerDetectionFilter>> detectors[] = {
        {"harris", std::make_shared<zt::GLImageHarrisCornerDetectionFilter>()},
        {"noble", std::make_shared<zt::GLImageNobleCornerDetectionFilter>()},
        {"shi-tomasi", std::make_shared<zt::GLImageShiTomasiFeatureDetectionFilter>()},
    };
    for (const auto& [name, detector] : detectors) {
        SCOPED_TRACE(name);
        Report report;
        listen(*detector, report);
        process(detector, *rectangle());
        EXPECT_EQ(report.calls, 1);
        EXPECT_TRUE(report.onContextQueue);
        EXPECT_EQ(report.count, report.corners.size());
        expectRectangleCorners(report);
    }
}

TEST(GLImageCornerDetectors, ABlackFrameHasNoCornersAndStillReports)
{
    auto detector = std::make_shared<zt::GLImageHarrisCornerDetectionFilter>();
    Report report;
    listen(*detector, report);
    process(detector, *plat::test::makeFlatImage(32, 24, {0, 0, 0, 255}));
    EXPECT_EQ(report.calls, 1);
    EXPECT_EQ(report.count, 0u);
}

TEST(GLImageCornerDetectors, KeepsTheirDefaultsAndForwardsThem)
{
    auto harris = std::make_shared<zt::GLImageHarrisCornerDetectionFilter>();
    EXPECT_EQ(harris->blurRadiusInPixels(), 2.0);
    EXPECT_EQ(harris->sensitivity(), 5.0);
    EXPECT_DOUBLE_EQ(harris->threshold(), 0.2);
    EXPECT_TRUE(harris->wantsMonochromeInput());
    harris->setThreshold(0.5);
    EXPECT_DOUBLE_EQ(harris->threshold(), 0.5);
    EXPECT_EQ(std::make_shared<zt::GLImageShiTomasiFeatureDetectionFilter>()->sensitivity(), 1.5);
}

// Exposes the last stage, to feed the read-back known pictures.
class ExposedHarris : public zt::GLImageHarrisCornerDetectionFilter {
public:
    using GLImageHarrisCornerDetectionFilter::nonMaximumSuppressionFilter;
};

std::shared_ptr<plat::Image> litPixels(int width, int height, const std::function<double(int, int)>& value)
{
    return zt::test::makePicture(width, height, [&](int x, int y) {
        const double v = value(x, y);
        return Colour {v, v, v, 1.0};
    });
}

TEST(GLImageCornerDetectors, ReportALitPixelAsFractionsOfTheFrame)
{
    auto detector = std::make_shared<ExposedHarris>();
    Report report;
    listen(*detector, report);
    process(detector->nonMaximumSuppressionFilter,
        *litPixels(100, 50, [](int x, int y) { return x == 10 && y == 20 ? 1.0 : 0.0; }));
    ASSERT_EQ(report.count, 1u);
    EXPECT_FLOAT_EQ(report.corners[0].x, 0.1f);
    EXPECT_FLOAT_EQ(report.corners[0].y, 0.4f);
}

TEST(GLImageCornerDetectors, KeepTheLeftOfTwoEqualMaxima)
{
    auto detector = std::make_shared<ExposedHarris>();
    Report report;
    listen(*detector, report);
    process(detector->nonMaximumSuppressionFilter,
        *litPixels(20, 10, [](int x, int y) { return y == 5 && (x == 8 || x == 9) ? 0.8 : 0.1; }));
    ASSERT_EQ(report.count, 1u);
    EXPECT_FLOAT_EQ(report.corners[0].x, 8.0f / 20);
    EXPECT_FLOAT_EQ(report.corners[0].y, 5.0f / 10);
}

TEST(GLImageCornerDetectors, ReportAtMost511CornersAndOnlyWhatTheyStored)
{
    auto detector = std::make_shared<ExposedHarris>();
    Report report;
    listen(*detector, report);
    // 30 x 20 = 600 isolated maxima, in rows of 30.
    process(detector->nonMaximumSuppressionFilter,
        *litPixels(60, 40, [](int x, int y) { return x % 2 == 0 && y % 2 == 0 ? 1.0 : 0.0; }));
    ASSERT_EQ(report.count, zt::GLImageHarrisCornerDetectionFilter::kMaximumCorners);
    // The frame's edge repeats itself outward, so maxima in the first row or
    // column tie with their outside neighbour and go: 29 a row from row 2 on.
    // The 511th (index 510 = 17 * 29 + 17) is the 18th of its row, 18 rows down.
    const Corner last = report.corners.back();
    EXPECT_FLOAT_EQ(last.x, 36.0f / 60);
    EXPECT_FLOAT_EQ(last.y, 36.0f / 40);
}

TEST(GLImageCornerDetectorsDeathTest, AnOutputThatIsNotRGBAIsRefusedWithItsMessage)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto options = zt::defaultTextureOptions();
    options.internalFormat = 0x1909;  // GL_LUMINANCE
    auto detector = std::make_shared<zt::GLImageHarrisCornerDetectionFilter>();
    detector->terminalFilter()->setOutputTextureOptions(options);
    EXPECT_DEATH(detector->extractCornerLocationsFromImageAtFrameTime(plat::MediaTime::make(1, 30)),
        "The output texture format for this filter must be GL_RGBA\\.");
}

TEST(GLImageCornerDetectorsDeathTest, AFilterReadBackFromAnOutputThatIsNotRGBAIsRefusedWithItsMessage)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto options = zt::defaultTextureOptions();
    options.internalFormat = 0x1909;  // GL_LUMINANCE
    auto filter = std::make_shared<zt::GLImageFilter>();
    filter->setOutputTextureOptions(options);
    EXPECT_DEATH(filter->newCGImageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up),
        "For conversion to a CGImage the output texture format for this filter must be GL_RGBA\\.");
}

TEST(GLImageThresholdedNonMaximumSuppressionFilter, ReadsAPackedCountAcrossTheColourChannels)
{
    // (1, 0, 0) packs 1/256.
    auto packedPixel = zt::test::makePicture(5, 5, [](int x, int y) {
        return x == 2 && y == 2 ? Colour {1.0, 0.0, 0.0, 1.0} : Colour {0.0, 0.0, 0.0, 1.0};
    });
    auto filter
        = std::make_shared<zt::GLImageThresholdedNonMaximumSuppressionFilter>(zt::GLImageColorspacePacking::Packed);
    filter->setThreshold(0.0035);
    EXPECT_EQ(plat::test::pixelAt(*filter->imageByFilteringImage(*packedPixel), 2, 2)[0], 255);
    filter->setThreshold(0.0045);
    EXPECT_EQ(plat::test::pixelAt(*filter->imageByFilteringImage(*packedPixel), 2, 2)[0], 0);
    // Green counts whole units: (0, 0.8, 0) reaches the detector's 0.8.
    auto green = zt::test::makePicture(5, 5, [](int x, int y) {
        return x == 2 && y == 2 ? Colour {0.0, 0.8, 0.0, 1.0} : Colour {0.0, 0.0, 0.0, 1.0};
    });
    filter->setThreshold(0.79);
    EXPECT_EQ(plat::test::pixelAt(*filter->imageByFilteringImage(*green), 2, 2)[0], 255);
}

TEST(GLImageCrosshairGenerator, DrawsACrossOfItsWidthAtEachPoint)
{
    auto generator = std::make_shared<zt::GLImageCrosshairGenerator>();
    generator->forceProcessingAtSize({40, 30});
    generator->setCrosshairWidth(5.0);
    generator->setCrosshairColorRed(1.0f, 0.0f, 0.4f);
    auto target = std::make_shared<zt::test::RecordingTarget>();
    generator->addTarget(target);
    const float points[] = {0.25f, 0.5f, 0.75f, 0.2f};
    generator->renderCrosshairsFromArray(points, 2, plat::MediaTime::make(3, 30));
    ASSERT_EQ(target->frames.size(), 1u);
    EXPECT_EQ(target->frames[0].time, plat::MediaTime::make(3, 30));
    auto result = generator->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(result);
    // Each point is a 6-pixel sprite from its position on (the first covers
    // columns 7..12 and rows 12..17); the bars cross at 0.6 of the sprite and
    // start 0.2 in: the first cross is column 10, rows 12..16, and row 14,
    // columns 8..12; the second, at (30, 6), row 5 and column 30. Where the
    // bars cross the colour counts twice.
    std::vector<std::string> expected(30, std::string(40, '.'));
    for (const auto& [cx, cy] : {std::pair {10, 14}, std::pair {30, 5}}) {
        for (int i = -2; i <= 2; ++i) {
            expected[size_t(cy + i)][size_t(cx)] = '#';
            expected[size_t(cy)][size_t(cx + i)] = '#';
        }
        expected[size_t(cy)][size_t(cx)] = '*';
    }
    const plat::test::Rgba colour {255, 0, 102, 255}, twice {255, 0, 204, 255}, none {0, 0, 0, 0};
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const char want = expected[size_t(y)][size_t(x)];
            EXPECT_EQ(plat::test::pixelAt(*result, x, y), want == '#' ? colour : (want == '*' ? twice : none))
                << x << ", " << y;
        }
    generator->removeAllTargets();
}

TEST(GLImageCrosshairGenerator, DrawsNothingWithoutAFrameSize)
{
    auto generator = std::make_shared<zt::GLImageCrosshairGenerator>();
    auto target = std::make_shared<zt::test::RecordingTarget>();
    generator->addTarget(target);
    const float point[] = {0.5f, 0.5f};
    generator->renderCrosshairsFromArray(point, 1, plat::MediaTime::make(1, 30));
    EXPECT_TRUE(target->frames.empty());
    generator->removeAllTargets();
}

}  // namespace
