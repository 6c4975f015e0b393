#include <cmath>
#include <gtest/gtest.h>
#include <random>

#include "GLImageTestSupport.h"
#include "glimage/GLImageChromaKeyBlendFilter.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageDissolveBlendFilter.h"
#include "glimage/GLImageMultiplyBlendFilter.h"
#include "glimage/GLImagePicture.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/graphics/PixelFormat.h"

namespace {

using zt::test::Colour;

std::shared_ptr<plat::Image> backdrop()
{
    return zt::test::makePicture(8, 8, [](int x, int y) { return Colour {0.1 * x / 7.0, 0.5, 0.9 - 0.1 * y, 1.0}; });
}

TEST(GLImageDissolveBlendFilter, MixesTheInputsByTheMixture)
{
    auto first = zt::test::makeColourRamp(8, 8);
    auto second = backdrop();
    auto filter = std::make_shared<zt::GLImageDissolveBlendFilter>();
    filter->setMix(0.3);
    auto result = zt::test::renderTwoInputs(filter, *first, *second);
    ASSERT_TRUE(result);
    zt::test::expectPixelsMatch(*first, *result, [&](const Colour& c, int x, int y) {
        Colour d = zt::test::colourAt(*second->bitmap(), x, y);
        return Colour {c[0] * 0.7 + d[0] * 0.3, c[1] * 0.7 + d[1] * 0.3, c[2] * 0.7 + d[2] * 0.3, 1.0};
    });
}

TEST(GLImageDissolveBlendFilter, FullMixShowsOnlyTheSecondInput)
{
    auto first = zt::test::makeColourRamp(8, 8);
    auto second = backdrop();
    auto filter = std::make_shared<zt::GLImageDissolveBlendFilter>();
    filter->setMix(1.0);
    auto result = zt::test::renderTwoInputs(filter, *first, *second);
    zt::test::expectPixelsMatch(*second, *result, [](const Colour& c, int, int) { return c; });
}

TEST(GLImageMultiplyBlendFilter, MultipliesTheOverlayIntoTheBase)
{
    // Half-transparent overlay: both the product and the see-through terms count.
    auto base = zt::test::makeColourRamp(8, 8);
    auto overlay = zt::test::makePicture(8, 8, [](int x, int) { return Colour {0.4, 0.6, 0.2, x < 4 ? 1.0 : 0.6}; });
    auto filter = std::make_shared<zt::GLImageMultiplyBlendFilter>();
    auto result = zt::test::renderTwoInputs(filter, *base, *overlay);
    zt::test::expectPixelsMatch(*base, *result, [&](const Colour& c, int x, int y) {
        Colour o = zt::test::colourAt(*overlay->bitmap(), x, y);  // premultiplied, as GL sees it
        Colour out;
        for (size_t i = 0; i < 4; ++i)
            out[i] = std::min(o[i] * c[i] + o[i] * (1 - c[3]) + c[i] * (1 - o[3]), 1.0);
        return out;
    });
}

// The keying formula on the CPU.
double chromaDistance(const Colour& c, const Colour& key)
{
    auto chroma = [](const Colour& p) {
        double y = 0.2989 * p[0] + 0.5866 * p[1] + 0.1145 * p[2];
        return std::pair {0.7132 * (p[0] - y), 0.5647 * (p[2] - y)};
    };
    auto [cr, cb] = chroma(c);
    auto [kr, kb] = chroma(key);
    return std::hypot(cr - kr, cb - kb);
}

double keyBlend(double distance, double threshold, double smoothing)
{
    double t = std::clamp((distance - threshold) / smoothing, 0.0, 1.0);
    return 1.0 - t * t * (3 - 2 * t);
}

TEST(GLImageChromaKeyBlendFilter, ReplacesColoursNearTheKeyByTheBackdropWithASoftEdge)
{
    // Greens of every strength across a ramp: some keyed, some in the edge, some kept.
    auto camera = zt::test::makePicture(16, 16, [](int x, int y) {
        return Colour {0.05 * y, 0.3 + 0.045 * x, 0.6 - 0.035 * y, 1.0};
    });
    auto back = zt::test::makePicture(16, 16, [](int x, int y) { return Colour {0.9, 0.05 * x, 0.05 * y, 1.0}; });
    auto filter = std::make_shared<zt::GLImageChromaKeyBlendFilter>();
    auto result = zt::test::renderTwoInputs(filter, *camera, *back);
    ASSERT_TRUE(result);
    int keyed = 0, kept = 0, soft = 0;
    zt::test::expectPixelsMatch(*camera, *result, [&](const Colour& c, int x, int y) {
        double blend = keyBlend(chromaDistance(c, {0, 1, 0, 1}), 0.4, 0.1);
        keyed += blend == 1.0;
        kept += blend == 0.0;
        soft += blend > 0.0 && blend < 1.0;
        Colour d = zt::test::colourAt(*back->bitmap(), x, y);
        return Colour {c[0] + (d[0] - c[0]) * blend, c[1] + (d[1] - c[1]) * blend, c[2] + (d[2] - c[2]) * blend, 1.0};
    });
    EXPECT_GT(keyed, 0);
    EXPECT_GT(kept, 0);
    EXPECT_GT(soft, 0);
}

// A wider edge and a lower threshold reach pixels that the defaults keep or
// key outright; the key colour's chroma and both ends of the edge follow the
// setters on every draw.
TEST(GLImageChromaKeyBlendFilter, MovesTheSoftEdgeWithThresholdAndSmoothing)
{
    auto camera = zt::test::makePicture(16, 16, [](int x, int y) {
        return Colour {0.05 * y, 0.3 + 0.045 * x, 0.6 - 0.035 * y, 1.0};
    });
    auto back = zt::test::makePicture(16, 16, [](int x, int y) { return Colour {0.9, 0.05 * x, 0.05 * y, 1.0}; });
    auto filter = std::make_shared<zt::GLImageChromaKeyBlendFilter>();
    filter->setThresholdSensitivity(0.25f);
    filter->setSmoothing(0.35f);
    EXPECT_FLOAT_EQ(filter->smoothing(), 0.35f);
    auto result = zt::test::renderTwoInputs(filter, *camera, *back);
    ASSERT_TRUE(result);
    int softOnlyHere = 0;
    zt::test::expectPixelsMatch(*camera, *result, [&](const Colour& c, int x, int y) {
        const double distance = chromaDistance(c, {0, 1, 0, 1});
        const double blend = keyBlend(distance, 0.25, 0.35);
        const double byDefault = keyBlend(distance, 0.4, 0.1);
        softOnlyHere += blend > 0.05 && blend < 0.95 && (byDefault == 0.0 || byDefault == 1.0);
        Colour d = zt::test::colourAt(*back->bitmap(), x, y);
        return Colour {c[0] + (d[0] - c[0]) * blend, c[1] + (d[1] - c[1]) * blend, c[2] + (d[2] - c[2]) * blend, 1.0};
    });
    EXPECT_GT(softOnlyHere, 0);
}

TEST(GLImageChromaKeyBlendFilter, KeysPureGreenButNotGreysOrBlue)
{
    const Colour colours[]
        = {{0, 1, 0, 1}, {1, 1, 1, 1}, {0, 0, 0, 1}, {0.5, 0.5, 0.5, 1}, {0.2, 0.8, 0.2, 1}, {0, 0, 1, 1}};
    auto camera = zt::test::makePicture(6, 1, [&](int x, int) { return colours[x]; });
    auto back = zt::test::makePicture(6, 1, [](int, int) { return Colour {1, 0, 0, 1}; });
    auto filter = std::make_shared<zt::GLImageChromaKeyBlendFilter>();
    EXPECT_FLOAT_EQ(filter->thresholdSensitivity(), 0.4f);
    auto result = zt::test::renderTwoInputs(filter, *camera, *back);
    const plat::test::Rgba red {255, 0, 0, 255};
    EXPECT_EQ(plat::test::pixelAt(*result, 0, 0), red);
    EXPECT_EQ(plat::test::pixelAt(*result, 1, 0), (plat::test::Rgba {255, 255, 255, 255}));
    EXPECT_EQ(plat::test::pixelAt(*result, 2, 0), (plat::test::Rgba {0, 0, 0, 255}));
    EXPECT_EQ(plat::test::pixelAt(*result, 4, 0), red);  // d = 0.2135
    EXPECT_EQ(plat::test::pixelAt(*result, 5, 0), (plat::test::Rgba {0, 0, 255, 255}));  // d = 0.8969

    // d = 0.5336 for every grey: a threshold of 0.6 keys them too.
    filter->setThresholdSensitivity(0.6f);
    result = zt::test::renderTwoInputs(filter, *camera, *back);
    EXPECT_EQ(plat::test::pixelAt(*result, 1, 0), red);
    EXPECT_EQ(plat::test::pixelAt(*result, 3, 0), red);
}

TEST(GLImageChromaKeyBlendFilter, KeysTheChosenColour)
{
    auto camera = zt::test::makePicture(2, 1, [](int x, int) {
        return x == 0 ? Colour {0, 0, 1, 1} : Colour {0, 1, 0, 1};
    });
    auto back = zt::test::makePicture(2, 1, [](int, int) { return Colour {1, 1, 1, 1}; });
    auto filter = std::make_shared<zt::GLImageChromaKeyBlendFilter>();
    filter->setColorToReplaceRed(0, 0, 1);
    auto result = zt::test::renderTwoInputs(filter, *camera, *back);
    EXPECT_EQ(plat::test::pixelAt(*result, 0, 0), (plat::test::Rgba {255, 255, 255, 255}));
    EXPECT_EQ(plat::test::pixelAt(*result, 1, 0), (plat::test::Rgba {0, 255, 0, 255}));
}

// Noise, every texel unlike its neighbours: each pixel takes its own camera
// pixel, or its own backdrop pixel however the backdrop is turned. Camera
// pixels are pure green or reds far from it, so none falls in the edge.
TEST(GLImageChromaKeyBlendFilter, TakesEveryPixelFromItsOwnPlaceInEachInput)
{
    constexpr int kWidth = 37;
    constexpr int kHeight = 23;
    std::mt19937 random(37);
    auto byte = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    std::vector<bool> green(size_t(kWidth * kHeight));
    for (size_t i = 0; i < green.size(); ++i)
        green[i] = byte(0, 1) == 1;
    auto camera = plat::test::makeImage(kWidth, kHeight, [&](int x, int y) {
        if (green[size_t(y * kWidth + x)])
            return plat::test::Rgba {0, 255, 0, 255};
        return plat::test::Rgba {byte(180, 255), byte(0, 76), byte(0, 255), 255};
    });

    struct Turn {
        zt::GLImageRotationMode mode;
        int backdropWidth;
        int backdropHeight;
        std::function<std::pair<int, int>(int x, int y)> backdropPixel;
    };
    const Turn turns[] = {
        {zt::GLImageRotationMode::NoRotation, kWidth, kHeight,
            [](int x, int y) {
                return std::pair {x, y};
            }},
        {zt::GLImageRotationMode::RotateRight, kHeight, kWidth,
            [](int x, int y) {
                return std::pair {y, kWidth - 1 - x};
            }},
        {zt::GLImageRotationMode::Rotate180, kWidth, kHeight,
            [](int x, int y) {
                return std::pair {kWidth - 1 - x, kHeight - 1 - y};
            }},
    };
    for (const Turn& turn : turns) {
        SCOPED_TRACE(int(turn.mode));
        auto back = plat::test::makeImage(turn.backdropWidth, turn.backdropHeight, [&](int, int) {
            return plat::test::Rgba {byte(0, 255), byte(0, 255), byte(0, 255), 255};
        });
        auto filter = std::make_shared<zt::GLImageChromaKeyBlendFilter>();
        filter->setInputRotation(turn.mode, 1);
        auto result = zt::test::renderTwoInputs(filter, *camera, *back);
        ASSERT_TRUE(result);
        ASSERT_EQ(result->bitmap()->width(), kWidth);
        ASSERT_EQ(result->bitmap()->height(), kHeight);
        int wrong = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                auto [bx, by] = turn.backdropPixel(x, y);
                const auto expected = green[size_t(y * kWidth + x)] ? plat::test::pixelAt(*back, bx, by)
                                                                    : plat::test::pixelAt(*camera, x, y);
                if (plat::test::pixelAt(*result, x, y) != expected && wrong++ < 5)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ")";
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

// A backdrop of another size than the camera is stretched over it smoothly.
TEST(GLImageChromaKeyBlendFilter, StretchesABackdropOfAnotherSizeWithLinearFiltering)
{
    auto camera = zt::test::makePicture(4, 1, [](int, int) { return Colour {0, 1, 0, 1}; });
    auto back = zt::test::makePicture(2, 1, [](int x, int) {
        return x == 0 ? Colour {0, 0, 0, 1} : Colour {1, 1, 1, 1};
    });
    auto filter = std::make_shared<zt::GLImageChromaKeyBlendFilter>();
    auto result = zt::test::renderTwoInputs(filter, *camera, *back);
    ASSERT_TRUE(result);
    // Pixel centres at 1/8, 3/8, 5/8 and 7/8 of two texels: black, a quarter, three quarters, white.
    const int expected[] = {0, 64, 191, 255};
    for (int x = 0; x < 4; ++x) {
        auto pixel = plat::test::pixelAt(*result, x, 0);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(pixel[size_t(c)], expected[x], 1) << "pixel " << x << " channel " << c;
    }
}

}  // namespace

// A camera's BGRA picture handed over as a pixel buffer (rows padded) gives
// the pixels the same picture gives as a texture: keyed where it is uploaded
// when it lies pixel for pixel in the output, else through a texture.
TEST(GLImageChromaKeyBlendFilter, KeysACameraPictureAsItKeysThePictureAsATexture)
{
    constexpr int kWidth = 13;
    constexpr int kHeight = 6;
    auto camera = zt::test::makePicture(kWidth, kHeight, [](int x, int y) {
        return Colour {0.05 * y, 0.3 + 0.05 * x, 0.6 - 0.08 * y, 1.0};
    });
    auto back = zt::test::makePicture(kWidth, kHeight, [](int x, int y) {
        return Colour {0.9, 0.07 * x, 0.1 * y, 1.0};
    });
    auto buffer = plat::PixelBuffer::create(kWidth, kHeight, plat::kPixelFormatType_32BGRA).value();
    ASSERT_GT(buffer->bytesPerRow(), size_t(kWidth) * 4);
    buffer->lockBaseAddress(plat::PixelBufferLock::ReadWrite);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const auto c = zt::test::colourAt(*camera->bitmap(), x, y);
            uint8_t* pixel = buffer->baseAddress() + size_t(y) * buffer->bytesPerRow() + size_t(x) * 4;
            for (int i = 0; i < 3; ++i)
                pixel[2 - i] = uint8_t(std::lround(c[size_t(i)] * 255));
            pixel[3] = 255;
        }
    }
    buffer->unlockBaseAddress(plat::PixelBufferLock::ReadWrite);

    struct Case {
        const char* name;
        zt::GLImageRotationMode rotation;
        plat::Size forcedSize;  // none when empty
        bool inPlace;
    };
    const Case cases[] = {
        {"as it lies", zt::GLImageRotationMode::NoRotation, {}, true},
        {"turned", zt::GLImageRotationMode::Rotate180, {}, false},
        {"drawn smaller", zt::GLImageRotationMode::NoRotation, {7, 4}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto prepared = [&] {
            auto filter = std::make_shared<zt::GLImageChromaKeyBlendFilter>();
            filter->setThresholdSensitivity(0.3f);
            filter->setSmoothing(0.3f);
            if (c.forcedSize.width > 0)
                filter->forceProcessingAtSize(c.forcedSize);
            return filter;
        };
        auto reference = prepared();
        auto cameraPicture = std::make_shared<zt::GLImagePicture>(*camera);
        auto backPicture = std::make_shared<zt::GLImagePicture>(*back);
        cameraPicture->addTarget(reference, 0);
        backPicture->addTarget(reference, 1);
        zt::runSynchronouslyOnContextQueue([&] { reference->setInputRotation(c.rotation, 0); });
        backPicture->processImage();
        cameraPicture->processImage();
        auto expected = reference->newCGImageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);

        auto filter = prepared();
        ASSERT_TRUE(filter->takesPictures(0));
        EXPECT_FALSE(filter->takesPictures(1));
        auto backdrop = std::make_shared<zt::GLImagePicture>(*back);
        backdrop->addTarget(filter, 1);
        backdrop->processImage();
        zt::runSynchronouslyOnContextQueue([&] {
            zt::GLImageContext::useImageProcessingContext();
            filter->setInputRotation(c.rotation, 0);
            filter->setInputSize({double(kWidth), double(kHeight)}, 0);
            filter->setInputPicture(buffer, 0);
            filter->newFrameReadyAtTime(plat::MediaTime::make(1, 30), 0);
        });
        auto keyed = filter->newCGImageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
        EXPECT_EQ(filter->keyedLastFrameInPlace(), c.inPlace);
        ASSERT_TRUE(expected && keyed);
        ASSERT_EQ(keyed->width(), expected->width());
        ASSERT_EQ(keyed->height(), expected->height());
        int apart = 0;
        for (int y = 0; y < keyed->height(); ++y)
            for (int x = 0; x < keyed->width() * 4; ++x)
                apart = std::max(apart, std::abs(keyed->row(y)[x] - expected->row(y)[x]));
        EXPECT_LE(apart, 1);
        cameraPicture->removeAllTargets();
        backPicture->removeAllTargets();
        backdrop->removeAllTargets();
    }
}

// A camera that stops handing over its pictures (a filter put between it and
// the blend, say) and a texture takes their place: the blend keys the new
// texture, not the last picture it was given.
TEST(GLImageChromaKeyBlendFilter, FollowsATextureThatTakesThePlaceOfCameraPictures)
{
    constexpr int kWidth = 4;
    constexpr int kHeight = 2;
    auto buffer = plat::PixelBuffer::create(kWidth, kHeight, plat::kPixelFormatType_32BGRA).value();
    buffer->lockBaseAddress(plat::PixelBufferLock::ReadWrite);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* pixel = buffer->baseAddress() + size_t(y) * buffer->bytesPerRow() + size_t(x) * 4;
            const uint8_t red[] = {0, 0, 255, 255};  // BGRA
            std::copy(std::begin(red), std::end(red), pixel);
        }
    }
    buffer->unlockBaseAddress(plat::PixelBufferLock::ReadWrite);
    auto white = zt::test::makePicture(kWidth, kHeight, [](int, int) { return Colour {1, 1, 1, 1}; });
    auto blue = zt::test::makePicture(kWidth, kHeight, [](int, int) { return Colour {0, 0, 1, 1}; });

    auto filter = std::make_shared<zt::GLImageChromaKeyBlendFilter>();
    ASSERT_TRUE(filter->takesPictures(0));
    auto backdrop = std::make_shared<zt::GLImagePicture>(*white);
    backdrop->addTarget(filter, 1);
    backdrop->processImage();
    zt::runSynchronouslyOnContextQueue([&] {
        zt::GLImageContext::useImageProcessingContext();
        filter->setInputSize({double(kWidth), double(kHeight)}, 0);
        filter->setInputPicture(buffer, 0);
        filter->newFrameReadyAtTime(plat::MediaTime::make(1, 30), 0);
    });
    auto first = filter->newCGImageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(first);
    EXPECT_EQ(plat::test::pixelAt(*first, 1, 1), (plat::test::Rgba {255, 0, 0, 255}));

    auto texture = std::make_shared<zt::GLImagePicture>(*blue);
    texture->addTarget(filter, 0);
    backdrop->processImage();
    texture->processImage();
    auto second = filter->newCGImageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(second);
    EXPECT_EQ(plat::test::pixelAt(*second, 1, 1), (plat::test::Rgba {0, 0, 255, 255}));
    texture->removeAllTargets();
    backdrop->removeAllTargets();
}
