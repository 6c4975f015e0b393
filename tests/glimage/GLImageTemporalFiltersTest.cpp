#include <cmath>
#include <gtest/gtest.h>
#include <optional>

#include "GLImageCpuSampling.h"
#include "GLImageFrameSequence.h"
#include "GLImageTestSupport.h"
#include "glimage/GLImageBuffer.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageHighPassFilter.h"
#include "glimage/GLImageLowPassFilter.h"
#include "glimage/GLImageMotionDetector.h"

namespace {

using zt::test::Colour;

std::shared_ptr<plat::Image> flat(double value)
{
    return zt::test::makePicture(8, 8, [value](int, int) { return Colour {value, value, value, 1}; });
}

// A run of frames through one filter, read back after each.
class TemporalFilters : public ::testing::Test {
protected:
    std::shared_ptr<plat::Image> send(const std::shared_ptr<zt::GLImageOutput>& filter, const plat::Image& frame)
    {
        if (source->targets().empty())
            source->addTarget(std::dynamic_pointer_cast<zt::GLImageInput>(filter));
        source->sendFrame(frame, plat::MediaTime::make(++frameNumber, 30));
        return filter->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    }
    // What a buffer's target draws from this frame: a pass-through after it.
    std::shared_ptr<plat::Image> sendThroughBuffer(
        const std::shared_ptr<zt::GLImageBuffer>& buffer, const plat::Image& frame)
    {
        if (buffer->targets().empty())
            buffer->addTarget(afterBuffer);
        send(buffer, frame);
        return afterBuffer->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    }
    // -1 when nothing came out.
    static int redOf(const std::shared_ptr<plat::Image>& image)
    {
        return image ? plat::test::pixelAt(*image->bitmap(), 4, 4)[0] : -1;
    }

    std::shared_ptr<zt::test::FrameSequence> source = std::make_shared<zt::test::FrameSequence>();
    std::shared_ptr<zt::GLImageFilter> afterBuffer = std::make_shared<zt::GLImageFilter>();
    int64_t frameNumber = 0;
};

TEST_F(TemporalFilters, ABufferShowsTheFrameItReceivedBufferSizeFramesEarlier)
{
    auto buffer = std::make_shared<zt::GLImageBuffer>();
    buffer->setBufferSize(3);
    EXPECT_EQ(buffer->bufferSize(), 3u);
    const double values[] = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6};
    std::vector<int> seen;
    for (double value : values)
        seen.push_back(redOf(sendThroughBuffer(buffer, *flat(value))));
    // Until three frames have passed the output is the ring's cleared start.
    EXPECT_EQ(seen[0], 0);
    EXPECT_EQ(seen[2], 0);
    EXPECT_EQ(seen[3], zt::test::toByte(0.1));
    EXPECT_EQ(seen[5], zt::test::toByte(0.3));
}

TEST_F(TemporalFilters, ABufferIgnoresSizeZeroAndShrinksFromTheEnd)
{
    auto buffer = std::make_shared<zt::GLImageBuffer>();
    buffer->setBufferSize(4);
    const auto four = buffer->bufferedTexturesForTesting();
    ASSERT_EQ(four.size(), 4u);
    buffer->setBufferSize(0);
    EXPECT_EQ(buffer->bufferSize(), 4u);
    buffer->setBufferSize(2);
    EXPECT_EQ(buffer->bufferedTexturesForTesting(), (std::vector<uint32_t> {four[0], four[1]}));
    EXPECT_EQ(buffer->bufferSize(), 2u);
}

TEST_F(TemporalFilters, ABufferOfOneDelaysByOneFrameAndANewSizeStartsAgainCleared)
{
    auto buffer = std::make_shared<zt::GLImageBuffer>();
    EXPECT_EQ(redOf(sendThroughBuffer(buffer, *flat(0.8))), 0);
    EXPECT_EQ(redOf(sendThroughBuffer(buffer, *flat(0.4))), zt::test::toByte(0.8));
    // Read back, the buffer shows what its targets will see next: the newest frame.
    EXPECT_EQ(redOf(buffer->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up)),
        zt::test::toByte(0.4));
    auto larger = zt::test::makePicture(10, 10, [](int, int) { return Colour {0.6, 0.6, 0.6, 1}; });
    auto result = sendThroughBuffer(buffer, *larger);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->bitmap()->width(), 10);
    EXPECT_EQ(redOf(result), 0);
}

TEST_F(TemporalFilters, ALowPassFilterIsARunningAverageOfItsStrength)
{
    struct Case {
        double strength;
        int frames;
        double expected;  // of a step from black to white after that many frames
    };
    // out(t) = (1 - s) in(t) + s out(t - 1) from a black start: 1 - s^t.
    for (const Case& c :
        {Case {0.0, 1, 1.0}, Case {0.5, 1, 0.5}, Case {0.5, 3, 0.875}, Case {0.9, 10, 1 - std::pow(0.9, 10)}}) {
        SCOPED_TRACE(c.strength);
        auto lowPass = std::make_shared<zt::GLImageLowPassFilter>();
        lowPass->setFilterStrength(c.strength);
        EXPECT_EQ(lowPass->filterStrength(), c.strength);
        source = std::make_shared<zt::test::FrameSequence>();
        std::shared_ptr<plat::Image> result;
        for (int i = 0; i < c.frames; ++i)
            result = send(lowPass, *flat(1.0));
        // Each frame is stored in 8 bits before the next mixes it in.
        EXPECT_NEAR(redOf(result), c.expected * 255, 3.0);
    }
}

TEST_F(TemporalFilters, AHighPassFilterShowsChangeAndTurnsBlackOnAStillScene)
{
    auto highPass = std::make_shared<zt::GLImageHighPassFilter>();
    highPass->setFilterStrength(0.5);
    auto first = send(highPass, *flat(0.8));
    // Against the average of 0.4 after one frame the difference is 0.4.
    EXPECT_NEAR(redOf(first), 0.4 * 255, 2);
    std::shared_ptr<plat::Image> result;
    for (int i = 0; i < 12; ++i)
        result = send(highPass, *flat(0.8));
    EXPECT_LE(redOf(result), 1);
    ASSERT_TRUE(result);
    EXPECT_EQ(plat::test::pixelAt(*result->bitmap(), 4, 4)[3], 255);
}

struct Motion {
    plat::Point centroid;
    double intensity = -1;
    plat::MediaTime time;
};

std::shared_ptr<plat::Image> squareAt(int left, int top, int side, int frameSide)
{
    return zt::test::makePicture(frameSide, frameSide, [=](int x, int y) {
        const bool inside = x >= left && x < left + side && y >= top && y < top + side;
        return inside ? Colour {1, 1, 1, 1} : Colour {0, 0, 0, 1};
    });
}

TEST_F(TemporalFilters, TheMotionDetectorFindsAMovingSquaresCentroidAndArea)
{
    auto detector = std::make_shared<zt::GLImageMotionDetector>();
    std::optional<Motion> last;
    detector->setMotionDetectionBlock([&](plat::Point centroid, double intensity, const plat::MediaTime& time) {
        last = Motion {centroid, intensity, time};
    });
    // A still dark frame first, then a square that appears in the top-left
    // quarter: a 16 x 16 square centred on (0.25, 0.25) of a 64 x 64 frame.
    send(detector, *squareAt(0, 0, 0, 64));
    send(detector, *squareAt(0, 0, 0, 64));
    send(detector, *squareAt(8, 8, 16, 64));
    ASSERT_TRUE(last);
    EXPECT_NEAR(last->centroid.x, 0.25, 0.02);
    EXPECT_NEAR(last->centroid.y, 0.25, 0.02);
    EXPECT_NEAR(last->intensity, 16.0 * 16.0 / (64.0 * 64.0), 0.01);
    EXPECT_EQ(last->time, plat::MediaTime::make(3, 30));

    // The group's own output is the mask: marked pixels carry their position.
    auto mask = detector->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(mask);
    EXPECT_EQ(plat::test::pixelAt(*mask, 16, 16)[3], 255);
    EXPECT_NEAR(plat::test::pixelAt(*mask, 16, 16)[0], (16.5 / 64) * 255, 2);
    EXPECT_EQ(plat::test::pixelAt(*mask, 40, 40)[3], 0);
}

TEST_F(TemporalFilters, NoMotionGivesIntensityZeroAndTheFramesCentreRatherThanNoNumber)
{
    auto detector = std::make_shared<zt::GLImageMotionDetector>();
    std::optional<Motion> last;
    detector->setMotionDetectionBlock([&](plat::Point centroid, double intensity, const plat::MediaTime& time) {
        last = Motion {centroid, intensity, time};
    });
    for (int i = 0; i < 3; ++i)
        send(detector, *squareAt(0, 0, 0, 32));
    ASSERT_TRUE(last);
    EXPECT_EQ(last->intensity, 0.0);
    EXPECT_EQ(last->centroid.x, 0.5);
    EXPECT_EQ(last->centroid.y, 0.5);
    EXPECT_EQ(detector->lowPassFilterStrength(), 0.5);
}

TEST_F(TemporalFilters, FiltersThatFeedThemselvesBackAreReleased)
{
    std::weak_ptr<zt::GLImageBuffer> buffer;
    std::weak_ptr<zt::GLImageOutput> blend;
    {
        auto lowPass = std::make_shared<zt::GLImageLowPassFilter>();
        buffer = lowPass->bufferFilter();
        blend = lowPass->terminalFilter();
        send(lowPass, *flat(0.5));
        source->removeAllTargets();
    }
    EXPECT_TRUE(buffer.expired());
    EXPECT_TRUE(blend.expired());
}

}  // namespace
