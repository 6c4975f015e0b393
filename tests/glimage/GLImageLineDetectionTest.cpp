#include <cmath>
#include <gtest/gtest.h>

#include "GLImageTestSupport.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageHoughTransformLineDetector.h"
#include "glimage/GLImageLineGenerator.h"
#include "glimage/GLImageParallelCoordinateLineTransformFilter.h"
#include "glimage/GLImagePicture.h"
#include "glimage/GLImageThresholdedNonMaximumSuppressionFilter.h"
#include "platform/foundation/DispatchQueue.h"

namespace {

using zt::test::Colour;

struct Line {
    double slope, intercept;
};

struct Report {
    std::vector<Line> lines;
    uint64_t count = 0;
    int calls = 0;
    bool onContextQueue = false;
};

void listen(zt::GLImageHoughTransformLineDetector& detector, Report& report)
{
    detector.setLinesDetectedBlock([&report](const float* lines, uint64_t count, const plat::MediaTime&) {
        report.onContextQueue = zt::GLImageContext::sharedContextQueue().isCurrent();
        ++report.calls;
        report.count = count;
        report.lines.clear();
        for (uint64_t i = 0; i < count; ++i)
            report.lines.push_back({lines[i * 2], lines[i * 2 + 1]});
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

constexpr double kVertical = 100000.0;

// A white line four pixels wide on black, y = slope x + intercept in the
// frame's -1..1 coordinates (a vertical one at x = intercept).
std::shared_ptr<plat::Image> drawnLine(const Line& line, int width = 320, int height = 240)
{
    return zt::test::makePicture(width, height, [=](int x, int y) {
        const double fx = 2.0 * (x + 0.5) / width - 1, fy = 2.0 * (y + 0.5) / height - 1;
        double pixels;
        if (line.slope == kVertical) {
            pixels = std::abs(fx - line.intercept) * width / 2;
        } else {
            // Distance in pixels, the axes scaled to the frame.
            const double dy = (fy - (line.slope * fx + line.intercept)) * height / 2;
            const double slopeInPixels = line.slope * height / width;
            pixels = std::abs(dy) / std::sqrt(1 + slopeInPixels * slopeInPixels);
        }
        return pixels < 2.0 ? Colour {1, 1, 1, 1} : Colour {0, 0, 0, 1};
    });
}

TEST(GLImageHoughTransformLineDetector, FindsLinesDrawnInAPicture)
{
    const Line lines[] = {{-1.2, 0.1}, {0.5, -0.2}, {-0.3, 0.4}, {kVertical, 0.4}, {kVertical, -0.55}};
    for (const auto& line : lines) {
        SCOPED_TRACE(testing::Message() << "slope " << line.slope << ", intercept " << line.intercept);
        auto detector = std::make_shared<zt::GLImageHoughTransformLineDetector>();
        Report report;
        listen(*detector, report);
        process(detector, *drawnLine(line));
        EXPECT_EQ(report.calls, 1);
        EXPECT_TRUE(report.onContextQueue);
        // The line's two edges may each be found, a little apart; nothing else.
        ASSERT_GE(report.count, 1u);
        EXPECT_LE(report.count, 6u);
        for (const auto& found : report.lines) {
            if (line.slope == kVertical)
                EXPECT_EQ(found.slope, kVertical);
            else
                EXPECT_NEAR(found.slope, line.slope, 0.1);
            EXPECT_NEAR(found.intercept, line.intercept, 0.06);
        }
    }
}

TEST(GLImageHoughTransformLineDetector, AFrameWithoutEdgesHasNoLinesAndStillReports)
{
    auto detector = std::make_shared<zt::GLImageHoughTransformLineDetector>();
    Report report;
    listen(*detector, report);
    process(detector, *plat::test::makeFlatImage(64, 48, {30, 30, 30, 255}));
    EXPECT_EQ(report.calls, 1);
    EXPECT_EQ(report.count, 0u);
    EXPECT_DOUBLE_EQ(detector->lineDetectionThreshold(), 0.8);
    EXPECT_TRUE(detector->wantsMonochromeInput());
}

// Exposes the last stage, to feed the extraction known maxima.
class ExposedDetector : public zt::GLImageHoughTransformLineDetector {
public:
    using GLImageHoughTransformLineDetector::nonMaximumSuppressionFilter;
};

std::shared_ptr<plat::Image> whitePixels(int width, int height, const std::function<bool(int, int)>& lit)
{
    return zt::test::makePicture(width, height, [&](int x, int y) {
        return lit(x, y) ? Colour {1, 1, 1, 1} : Colour {0, 0, 0, 1};
    });
}

TEST(GLImageHoughTransformLineDetector, TurnsAMaximumIntoSlopeAndIntercept)
{
    // x = 2 column / 200 - 1, y = 2 row / 80 - 1.
    struct Maximum {
        int column, row;
        Line expected;
    };
    const Maximum maxima[] = {
        {150, 50, {-1.0, 0.5}},  // x 0.5, y 0.25
        {50, 50, {1.0, -0.5}},  // x -0.5, y 0.25
        {101, 50, {kVertical, 0.25}},  // x 0.01
        {96, 20, {kVertical, -0.5}},  // x -0.04
        {95, 70, {-1 / -0.05 - 1, 0.75 / -0.05}},  // x -0.05: no longer vertical
    };
    for (const auto& maximum : maxima) {
        SCOPED_TRACE(maximum.column);
        auto detector = std::make_shared<ExposedDetector>();
        Report report;
        listen(*detector, report);
        process(detector->nonMaximumSuppressionFilter,
            *whitePixels(200, 80, [&](int x, int y) { return x == maximum.column && y == maximum.row; }));
        ASSERT_EQ(report.count, 1u);
        EXPECT_FLOAT_EQ(report.lines[0].slope, float(maximum.expected.slope));
        EXPECT_FLOAT_EQ(report.lines[0].intercept, float(maximum.expected.intercept));
    }
}

TEST(GLImageHoughTransformLineDetector, ReportsOnlyTheLinesItStored)
{
    auto detector = std::make_shared<ExposedDetector>();
    Report report;
    listen(*detector, report);
    // Isolated maxima on every second pixel of every second row but the
    // first row and column (their outside neighbour, the edge repeated,
    // ties with them): 39 a row, 29 rows, 1131 in all.
    process(detector->nonMaximumSuppressionFilter,
        *whitePixels(80, 60, [](int x, int y) { return x % 2 == 0 && y % 2 == 0; }));
    ASSERT_EQ(report.count, zt::GLImageHoughTransformLineDetector::kMaximumLines);
    ASSERT_EQ(report.lines.size(), 1023u);
    // The 1023rd found (index 1022 = 26 * 39 + 8) is column 18 of row 54:
    // x = -0.55, y = 0.8, and it was stored like every one before it.
    const Line last = report.lines.back();
    EXPECT_FLOAT_EQ(last.slope, float(-1 / -0.55 - 1));
    EXPECT_FLOAT_EQ(last.intercept, float(0.8 / -0.55));
}

// The count the transform holds at a pixel, whichever way it counts.
double countAt(const plat::Image& image, int x, int y, zt::GLImageLineAccumulation accumulation)
{
    const Colour c = zt::test::colourAt(*image.bitmap(), x, y);
    if (accumulation == zt::GLImageLineAccumulation::FramebufferReads)
        return std::round(c[0] * 10) + 10 * std::round(c[1] * 10) + 100 * std::round(c[2] * 10);
    return std::round(c[0] * 255);
}

TEST(GLImageParallelCoordinateLineTransformFilter, CountsTheSegmentsOfALineInOnePointEitherWay)
{
    // Every second pixel of the line y = -x + 0.2 (a pixel a column):
    // their segments all cross at x = 1 / 2, y = 0.2 / 2.
    const int size = 200;
    auto rowOf = [&](int x) { return int(std::lround((-(2.0 * x / size - 1) + 0.2 + 1) * size / 2)); };
    auto edges = whitePixels(size, size, [&](int x, int y) { return y == rowOf(x); });
    uint32_t evenColumnsInFrame = 0;
    for (int x = 0; x < size; x += 2)
        evenColumnsInFrame += rowOf(x) < size;
    for (auto accumulation :
        {zt::GLImageLineAccumulation::FramebufferReads, zt::GLImageLineAccumulation::AdditiveBlending}) {
        SCOPED_TRACE(int(accumulation));
        auto transform = std::make_shared<zt::GLImageParallelCoordinateLineTransformFilter>(accumulation);
        auto result = transform->imageByFilteringImage(*edges);
        ASSERT_TRUE(result);
        EXPECT_EQ(transform->linePairsToRenderForTesting(), evenColumnsInFrame);
        double best = 0;
        int bestX = 0, bestY = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const double count = countAt(*result, x, y, accumulation);
                if (count > best) {
                    best = count;
                    bestX = x;
                    bestY = y;
                }
            }
        EXPECT_NEAR(bestX, (0.5 + 1) * size / 2, 2);
        EXPECT_NEAR(bestY, (0.1 + 1) * size / 2, 2);
        EXPECT_GT(best, evenColumnsInFrame / 2);  // most segments pass through that one pixel
    }
}

TEST(GLImageParallelCoordinateLineTransformFilter, ReadsEverySecondPixelAndNoMoreThanItsBufferHolds)
{
    auto transform = std::make_shared<zt::GLImageParallelCoordinateLineTransformFilter>();
    // With an even width, a pixel in an odd column is never read.
    auto odd = transform->imageByFilteringImage(*whitePixels(20, 10, [](int x, int y) { return x == 7 && y == 4; }));
    ASSERT_TRUE(odd);
    EXPECT_EQ(transform->linePairsToRenderForTesting(), 0u);
    EXPECT_EQ(countAt(*odd, 10, 5, transform->accumulation()), 0);
    transform->imageByFilteringImage(*whitePixels(20, 10, [](int x, int y) { return x == 8 && y == 4; }));
    EXPECT_EQ(transform->linePairsToRenderForTesting(), 1u);
    // All white: 32 pixels read of an 8 x 8 frame, room for 16 pairs.
    transform->imageByFilteringImage(*whitePixels(8, 8, [](int, int) { return true; }));
    EXPECT_EQ(transform->linePairsToRenderForTesting(), 16u);
}

// Lit pixels of a generator's frame, by column.
std::vector<std::vector<int>> litRowsByColumn(const plat::Image& image)
{
    const auto& bitmap = *image.bitmap();
    std::vector<std::vector<int>> rows(size_t(bitmap.width()));
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            if (plat::test::pixelAt(bitmap, x, y)[1] > 0)
                rows[size_t(x)].push_back(y);
    return rows;
}

TEST(GLImageLineDetectionDeathTest, AnOutputThatIsNotRGBAIsRefusedWithItsMessage)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto options = zt::defaultTextureOptions();
    options.internalFormat = 0x1909;  // GL_LUMINANCE
    const char* const message = "The output texture format for this filter must be GL_RGBA\\.";
    auto transform = std::make_shared<zt::GLImageParallelCoordinateLineTransformFilter>();
    transform->setOutputTextureOptions(options);
    EXPECT_DEATH(transform->renderToTextureWithVertices(nullptr, nullptr, 0), message);
    auto detector = std::make_shared<zt::GLImageHoughTransformLineDetector>();
    detector->terminalFilter()->setOutputTextureOptions(options);
    EXPECT_DEATH(detector->extractLineParametersFromImageAtFrameTime(plat::MediaTime::make(1, 30)), message);
}

TEST(GLImageLineGenerator, DrawsSlopesAndVerticalLinesAcrossTheFrame)
{
    auto generator = std::make_shared<zt::GLImageLineGenerator>();
    generator->forceProcessingAtSize({80, 60});
    auto target = std::make_shared<zt::test::RecordingTarget>();
    generator->addTarget(target);
    const float lines[] = {0.5f, 0.0f, 100000.0f, -0.4875f};  // the second through column 20's centres
    generator->renderLinesFromArray(lines, 2, plat::MediaTime::make(7, 30));
    ASSERT_EQ(target->frames.size(), 1u);
    auto result = generator->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(result);
    const auto rows = litRowsByColumn(*result);
    // The vertical line: column 20, every row.
    EXPECT_EQ(rows[20].size(), 60u);
    // y = 0.5 x from (-1, -0.5) to (1, 0.5): row 15 at the left, 45 at the right, one pixel a column.
    for (int x : {0, 40, 79}) {
        ASSERT_EQ(rows[size_t(x)].size(), 1u) << x;
        const double expectedRow = (0.5 * (2.0 * (x + 0.5) / 80 - 1) + 1) * 30 - 0.5;
        EXPECT_NEAR(rows[size_t(x)][0], expectedRow, 1.0) << x;
    }
    EXPECT_EQ(plat::test::pixelAt(*result, 40, 5), (plat::test::Rgba {0, 0, 0, 0}));
    EXPECT_EQ(plat::test::pixelAt(*result, 20, 5), (plat::test::Rgba {0, 255, 0, 255}));
    generator->removeAllTargets();
}

TEST(GLImageLineGenerator, DrawsWithItsWidthWhateverOtherFiltersSetMeanwhile)
{
    auto generator = std::make_shared<zt::GLImageLineGenerator>();
    generator->forceProcessingAtSize({80, 60});
    generator->setLineWidth(3.0);
    generator->setLineColorRed(1.0f, 1.0f, 1.0f);
    // The line transform sets GL's line width to 1 for itself.
    auto transform = std::make_shared<zt::GLImageParallelCoordinateLineTransformFilter>(
        zt::GLImageLineAccumulation::FramebufferReads);
    transform->imageByFilteringImage(*whitePixels(8, 8, [](int, int) { return true; }));
    const float line[] = {0.0f, 0.0f};
    generator->renderLinesFromArray(line, 1, plat::MediaTime::make(1, 30));
    auto result = generator->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(result);
    EXPECT_EQ(litRowsByColumn(*result)[40].size(), 3u);
    EXPECT_EQ(generator->lineWidth(), 3.0);
}

TEST(GLImageLineGenerator, DrawsAtMostItsBuffersLinesAndNothingWithoutAFrameSize)
{
    auto generator = std::make_shared<zt::GLImageLineGenerator>();
    auto target = std::make_shared<zt::test::RecordingTarget>();
    generator->addTarget(target);
    std::vector<float> lines;
    for (int i = 0; i < 1500; ++i) {
        lines.push_back(0.0f);
        lines.push_back(-1.0f + 2.0f * float(i) / 1500);
    }
    generator->renderLinesFromArray(lines.data(), 1500, plat::MediaTime::make(1, 30));
    EXPECT_TRUE(target->frames.empty());
    generator->forceProcessingAtSize({40, 1500});
    generator->renderLinesFromArray(lines.data(), 1500, plat::MediaTime::make(2, 30));
    ASSERT_EQ(target->frames.size(), 1u);
    auto result = generator->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(result);
    // The first 1024 lines, one a row, and none past them.
    const auto rows = litRowsByColumn(*result)[20];
    EXPECT_GE(rows.size(), 1000u);
    EXPECT_LE(rows.size(), 1024u);
    EXPECT_LT(rows.back(), 1030);
    generator->removeAllTargets();
}

}  // namespace
