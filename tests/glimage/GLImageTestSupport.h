#pragma once
// Helpers for the pipeline's tests: known pictures, frame targets that
// record what reaches them, and comparison of read-back pixels with a
// formula computed here on the CPU.
#include <array>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "glimage/GLImageInput.h"
#include "glimage/GLImageOutput.h"
#include "platform/graphics/Image.h"
#include "support/Pixels.h"

namespace zt::test {

using Colour = std::array<double, 4>;  // r, g, b, a in 0..1

inline Colour colourAt(const plat::Bitmap& bitmap, int x, int y)
{
    auto p = plat::test::pixelAt(bitmap, x, y);
    return {p[0] / 255.0, p[1] / 255.0, p[2] / 255.0, p[3] / 255.0};
}

inline int toByte(double component)
{
    return static_cast<int>(std::lround(std::clamp(component, 0.0, 1.0) * 255.0));
}

// An opaque picture whose pixel (x, y) is colour(x, y).
inline std::shared_ptr<plat::Image> makePicture(int width, int height, const std::function<Colour(int, int)>& colour)
{
    return plat::test::makeImage(width, height, [&](int x, int y) {
        Colour c = colour(x, y);
        return plat::test::Rgba {toByte(c[0]), toByte(c[1]), toByte(c[2]), toByte(c[3])};
    });
}

// A picture of many different colours, smooth enough that linear sampling
// between neighbours does not matter.
inline std::shared_ptr<plat::Image> makeColourRamp(int width = 16, int height = 16)
{
    return makePicture(width, height, [&](int x, int y) {
        return Colour {
            double(x) / (width - 1), double(y) / (height - 1), 1.0 - double(x + y) / (width + height - 2), 1.0};
    });
}

// Expects every pixel of result to be expected(input pixel, x, y) within 2/255 a channel.
inline void expectPixelsMatch(const plat::Image& input, const plat::Image& result,
    const std::function<Colour(const Colour&, int x, int y)>& expected, int toleranceInBytes = 2)
{
    const auto& in = *input.bitmap();
    const auto& out = *result.bitmap();
    ASSERT_EQ(out.width(), in.width());
    ASSERT_EQ(out.height(), in.height());
    int failures = 0;
    for (int y = 0; y < in.height(); ++y) {
        for (int x = 0; x < in.width(); ++x) {
            Colour want = expected(colourAt(in, x, y), x, y);
            auto got = plat::test::pixelAt(out, x, y);
            for (int c = 0; c < 4; ++c) {
                if (std::abs(got[size_t(c)] - toByte(want[size_t(c)])) > toleranceInBytes && failures++ < 5)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") channel " << c << ": got " << got[size_t(c)]
                                  << ", expected " << toByte(want[size_t(c)]);
            }
        }
    }
    EXPECT_EQ(failures, 0);
}

// A frame target that records what its source tells it. Context queue.
class RecordingTarget : public GLImageInput {
public:
    void newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t textureIndex) override
    {
        frames.push_back({frameTime, textureIndex});
    }
    void setInputTexture(uint32_t newInputTexture, int64_t) override { texture = newInputTexture; }
    void setTextureDelegate(std::weak_ptr<GLImageTextureDelegate> newTextureDelegate, int64_t) override
    {
        delegate = std::move(newTextureDelegate);
    }
    int64_t nextAvailableTextureIndex() override { return nextIndex; }
    void setInputSize(plat::Size newSize, int64_t) override { size = newSize; }
    void setInputRotation(GLImageRotationMode newInputRotation, int64_t) override { rotation = newInputRotation; }
    plat::Size maximumOutputSize() override { return {}; }
    void endProcessing() override { ++endProcessingCount; }
    bool shouldIgnoreUpdatesToThisTarget() override { return ignoresUpdates; }
    bool enabled() override { return true; }
    void conserveMemoryForNextFrame() override { ++conserveMemoryCount; }
    bool wantsMonochromeInput() override { return wantsMonochrome; }
    void setCurrentlyReceivingMonochromeInput(bool) override { }

    struct Frame {
        plat::MediaTime time;
        int64_t index;
    };
    std::vector<Frame> frames;
    uint32_t texture = 0;
    std::weak_ptr<GLImageTextureDelegate> delegate;
    plat::Size size;
    GLImageRotationMode rotation = GLImageRotationMode::NoRotation;
    int endProcessingCount = 0;
    int conserveMemoryCount = 0;
    int64_t nextIndex = 0;
    bool ignoresUpdates = false;
    bool wantsMonochrome = false;
};

// A target that, on hearing of a frame or of the end, takes another target off the source.
class RemovingTarget : public RecordingTarget {
public:
    void newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t textureIndex) override
    {
        RecordingTarget::newFrameReadyAtTime(frameTime, textureIndex);
        if (removeOnFrame)
            source->removeTarget(victim);
    }
    void endProcessing() override
    {
        RecordingTarget::endProcessing();
        if (!removeOnFrame && endProcessingCount == 1)
            source->removeTarget(victim);
    }
    std::shared_ptr<GLImageOutput> source;
    std::shared_ptr<GLImageInput> victim;
    bool removeOnFrame = true;
};

// Waits for every block queued on the context queue so far.
void drainContextQueue();

}  // namespace zt::test

namespace zt {
class GLImageTwoInputFilter;
}

namespace zt::test {

// Sends two still pictures into inputs 0 and 1 of filter and reads the result back.
std::shared_ptr<plat::Image> renderTwoInputs(
    const std::shared_ptr<GLImageTwoInputFilter>& filter, const plat::Image& first, const plat::Image& second);

}  // namespace zt::test
