#include <cmath>
#include <gtest/gtest.h>

#include "GLImageCpuSampling.h"
#include "GLImageFrameSequence.h"
#include "GLImageTestSupport.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageKuwaharaRadius3Filter.h"
#include "glimage/GLImageMaskFilter.h"
#include "glimage/GLImagePicture.h"
#include "glimage/GLImagePoissonBlendFilter.h"
#include "glimage/GLImageSharpenFilter.h"
#include "glimage/GLImageThreeInputFilter.h"

namespace {

using zt::test::Colour;
using zt::test::CpuPicture;

// Red of the first input, green of the second, blue of the third.
const char* const kChannelPerInputShader = R"(
varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;
varying highp vec2 textureCoordinate3;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;
uniform sampler2D inputImageTexture3;

void main()
{
    gl_FragColor = vec4(texture2D(inputImageTexture, textureCoordinate).r,
        texture2D(inputImageTexture2, textureCoordinate2).g, texture2D(inputImageTexture3, textureCoordinate3).b, 1.0);
}
)";

std::shared_ptr<plat::Image> flat(Colour colour, int width = 8, int height = 6)
{
    return zt::test::makePicture(width, height, [colour](int, int) { return colour; });
}

class ThreeInputFilter : public ::testing::Test {
protected:
    void SetUp() override
    {
        filter->addTarget(counter);
        for (auto& source : sources)
            source = std::make_shared<zt::test::FrameSequence>();
        for (int64_t i = 0; i < 3; ++i)
            sources[size_t(i)]->addTarget(filter, i);
    }
    void TearDown() override
    {
        for (auto& source : sources)
            source->removeAllTargets();
    }
    void send(int input, Colour colour, const plat::MediaTime& time)
    {
        sources[size_t(input)]->sendFrame(*flat(colour), time);
    }
    std::shared_ptr<zt::GLImageThreeInputFilter> filter
        = std::make_shared<zt::GLImageThreeInputFilter>(kChannelPerInputShader);
    std::shared_ptr<zt::test::RecordingTarget> counter = std::make_shared<zt::test::RecordingTarget>();
    std::array<std::shared_ptr<zt::test::FrameSequence>, 3> sources;
};

TEST_F(ThreeInputFilter, RendersOnceAllThreeInputsHaveAFrameAndSamplesEach)
{
    send(0, {0.2, 0.9, 0.9, 1}, plat::MediaTime::make(1, 30));
    send(0, {0.4, 0.9, 0.9, 1}, plat::MediaTime::make(2, 30));  // overwrites, not counted twice
    send(1, {0.9, 0.6, 0.9, 1}, plat::MediaTime::make(2, 30));
    EXPECT_TRUE(counter->frames.empty());
    send(2, {0.9, 0.9, 0.8, 1}, plat::MediaTime::make(2, 30));
    ASSERT_EQ(counter->frames.size(), 1u);
    EXPECT_EQ(counter->frames[0].time, plat::MediaTime::make(2, 30));
    auto result = filter->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(result);
    EXPECT_EQ(plat::test::pixelAt(*result, 3, 3), (plat::test::Rgba {102, 153, 204, 255}));
}

TEST_F(ThreeInputFilter, WithTheThirdCheckOffTheFirstTwoInputsSuffice)
{
    filter->disableThirdFrameCheck();
    send(2, {0, 0, 0.5, 1}, plat::MediaTime::make(1, 30));
    const size_t before = counter->frames.size();
    send(0, {0.5, 0, 0, 1}, plat::MediaTime::make(2, 30));
    send(1, {0, 0.5, 0, 1}, plat::MediaTime::make(2, 30));
    EXPECT_EQ(counter->frames.size(), before + 1);
    send(0, {0.5, 0, 0, 1}, plat::MediaTime::make(3, 30));
    send(1, {0, 0.5, 0, 1}, plat::MediaTime::make(3, 30));
    EXPECT_EQ(counter->frames.size(), before + 2);
}

TEST_F(ThreeInputFilter, AMovingFrameOppositeAStillPictureRendersAtOnce)
{
    send(1, {0, 0.3, 0, 1}, plat::MediaTime::indefinite());
    send(2, {0, 0, 0.7, 1}, plat::MediaTime::indefinite());
    send(0, {0.1, 0, 0, 1}, plat::MediaTime::make(1, 30));
    send(0, {0.2, 0, 0, 1}, plat::MediaTime::make(2, 30));
    send(0, {0.3, 0, 0, 1}, plat::MediaTime::make(3, 30));
    ASSERT_EQ(counter->frames.size(), 3u);
    auto result = filter->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(result);
    EXPECT_EQ(plat::test::pixelAt(*result, 0, 0), (plat::test::Rgba {77, 77, 179, 255}));
    EXPECT_EQ(filter->nextAvailableTextureIndex(), 2);
}

// One Poisson pass on the CPU: b the running result, o the second input.
CpuPicture poissonPass(const CpuPicture& b, const CpuPicture& o, double mix)
{
    return zt::test::stored(zt::test::mapPicture(b, [&](const CpuPicture& p, int x, int y) {
        Colour out = p.at(x, y);
        const Colour& oc = o.at(x, y);
        for (size_t i = 0; i < 3; ++i) {
            const double meanB = (p.at(x - 1, y)[i] + p.at(x + 1, y)[i] + p.at(x, y - 1)[i] + p.at(x, y + 1)[i]) / 4;
            const double meanO = (o.at(x - 1, y)[i] + o.at(x + 1, y)[i] + o.at(x, y - 1)[i] + o.at(x, y + 1)[i]) / 4;
            const double gradient = meanB + (oc[i] - meanO);
            out[i] = p.at(x, y)[i] + (gradient - p.at(x, y)[i]) * oc[3] * mix;
        }
        return out;
    }));
}

TEST(GLImagePoissonBlendFilter, EachIterationBlendsTheDetailIntoTheLastResult)
{
    auto base = zt::test::makePicture(16, 12, [](int x, int y) {
        return Colour {0.3 + 0.02 * x, 0.5, 0.6 - 0.03 * y, 1};
    });
    auto detail = zt::test::makePicture(16, 12, [](int x, int y) {
        const bool inside = x > 4 && x < 11 && y > 3 && y < 9;
        return inside ? Colour {(x % 2) * 0.8, 0.2 + 0.1 * (y % 3), 0.4, 1} : Colour {0, 0, 0, 0};
    });
    const auto b = zt::test::cpuPicture(*base);
    const auto o = zt::test::cpuPicture(*detail);
    struct Case {
        uint64_t iterations;
        double mix;
    };
    for (const Case& c : {Case {1, 0.5}, Case {2, 0.5}, Case {3, 0.8}, Case {10, 0.5}, Case {0, 0.5}}) {
        SCOPED_TRACE(c.iterations);
        auto poisson = std::make_shared<zt::GLImagePoissonBlendFilter>();
        poisson->setNumIterations(c.iterations);
        poisson->setMix(c.mix);
        auto result = zt::test::renderTwoInputs(poisson, *base, *detail);
        ASSERT_TRUE(result);
        CpuPicture expected = b;
        for (uint64_t pass = 0; pass < std::max<uint64_t>(c.iterations, 1); ++pass)
            expected = poissonPass(expected, o, c.mix);
        zt::test::expectPictureMatches(expected, *result);
    }
    // With mix 0 the first input's colour stays.
    auto none = std::make_shared<zt::GLImagePoissonBlendFilter>();
    none->setMix(0);
    auto result = zt::test::renderTwoInputs(none, *base, *detail);
    ASSERT_TRUE(result);
    zt::test::expectPixelsMatch(
        *base, *result, [](const Colour& c, int, int) { return c; }, 0);
}

TEST(GLImageMaskFilter, TheSecondInputsBrightnessBecomesTheFirstsAlpha)
{
    auto picture = zt::test::makePicture(8, 4, [](int x, int y) { return Colour {0.8, 0.1 * x, 0.2 * y, 1}; });
    auto mask = zt::test::makePicture(8, 4, [](int x, int) {
        const double values[4] = {1.0, 0.0, 0.5, 0.25};
        return Colour {values[x % 4], values[x % 4], values[x % 4], 1};
    });
    auto result = zt::test::renderTwoInputs(std::make_shared<zt::GLImageMaskFilter>(), *picture, *mask);
    ASSERT_TRUE(result);
    const auto masks = zt::test::cpuPicture(*mask);
    zt::test::expectPixelsMatch(*picture, *result, [&](const Colour& c, int x, int y) {
        const double a = masks.at(x, y)[0];
        return Colour {c[0] * a, c[1] * a, c[2] * a, a};
    });
}

TEST(GLImageSharpenFilter, PushesEachPixelAwayFromItsFourNeighbours)
{
    auto picture = zt::test::makePicture(12, 10, [](int x, int y) {
        const double alpha = x == 5 ? 0.5 : 1.0;
        return Colour {((x * 3 + y) % 5) / 4.0 * alpha, 0.5 * alpha, (y % 2) * alpha, alpha};
    });
    const auto input = zt::test::cpuPicture(*picture);
    for (double sharpness : {0.0, 0.7, -0.5}) {
        SCOPED_TRACE(sharpness);
        auto sharpen = std::make_shared<zt::GLImageSharpenFilter>();
        sharpen->setSharpness(sharpness);
        auto result = zt::test::filtered(sharpen, *picture);
        ASSERT_TRUE(result);
        zt::test::expectPictureMatches(zt::test::mapPicture(input,
                                           [&](const CpuPicture& p, int x, int y) {
                                               Colour out = p.at(x, y);
                                               for (size_t i = 0; i < 3; ++i) {
                                                   const double edges = p.at(x - 1, y)[i] + p.at(x + 1, y)[i]
                                                       + p.at(x, y - 1)[i] + p.at(x, y + 1)[i];
                                                   out[i] = p.at(x, y)[i] * (1 + 4 * sharpness) - edges * sharpness;
                                               }
                                               return out;  // the centre's own alpha
                                           }),
            *result);
    }
}

TEST(GLImageKuwaharaRadius3Filter, TakesTheQuietestWindowAtAFixedStep)
{
    // At 192 x 256 a step of 1/768 by 1/1024 is a quarter of a pixel.
    auto picture = zt::test::makePicture(192, 256, [](int x, int y) {
        return Colour {((x / 2 + y / 3) % 4) / 3.0, (x % 7) / 6.0, (y % 5) / 4.0, 1};
    });
    const auto input = zt::test::cpuPicture(*picture);
    auto result = zt::test::filtered(std::make_shared<zt::GLImageKuwaharaRadius3Filter>(), *picture);
    ASSERT_TRUE(result);
    const int windows[4][4] = {{-3, 0, -3, 0}, {-3, 0, 0, 3}, {0, 3, 0, 3}, {0, 3, -3, 0}};
    zt::test::expectPictureMatches(zt::test::mapPicture(input,
                                       [&](const CpuPicture& p, int x, int y) {
                                           const auto t = zt::test::pixelCentre(x, y, p.width, p.height);
                                           double best = 100.0;
                                           double runnerUp = 100.0;
                                           Colour chosen {};
                                           for (const auto& w : windows) {
                                               double m[3] = {};
                                               double s[3] = {};
                                               for (int j = w[2]; j <= w[3]; ++j) {
                                                   for (int i = w[0]; i <= w[1]; ++i) {
                                                       const Colour c = zt::test::sampleLinear(
                                                           p, t[0] + i / 768.0, t[1] + j / 1024.0);
                                                       for (size_t k = 0; k < 3; ++k) {
                                                           m[k] += c[k];
                                                           s[k] += c[k] * c[k];
                                                       }
                                                   }
                                               }
                                               double sigma = 0;
                                               for (size_t k = 0; k < 3; ++k) {
                                                   m[k] /= 16;
                                                   sigma += std::abs(s[k] / 16 - m[k] * m[k]);
                                               }
                                               if (sigma < best) {
                                                   runnerUp = best;
                                                   best = sigma;
                                                   chosen = {m[0], m[1], m[2], 1.0};
                                               } else {
                                                   runnerUp = std::min(runnerUp, sigma);
                                               }
                                           }
                                           // Two windows about as quiet: either may win in single precision.
                                           if (runnerUp - best < 1e-4)
                                               return zt::test::eitherSide();
                                           return chosen;
                                       }),
        *result);
}

}  // namespace
