#include "platform/media/BGRAToBiPlanar.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "platform/graphics/PixelBuffer.h"
#include "platform/media/PixelBufferConverter.h"

namespace {

using plat::PixelBuffer;
using plat::detail::BiPlanarPlanes;
using plat::detail::YCbCrMatrix;

struct Exact {
    double kr, kb;
    bool fullRange;

    double luma(double b, double g, double r) const
    {
        const double y = kr * r + (1 - kr - kb) * g + kb * b;
        return fullRange ? y : 16 + y * 219 / 255;
    }
    double cb(double b, double g, double r) const
    {
        const double c = (b - luma01(b, g, r)) / (2 * (1 - kb));
        return 128 + (fullRange ? c : c * 224 / 255);
    }
    double cr(double b, double g, double r) const
    {
        const double c = (r - luma01(b, g, r)) / (2 * (1 - kr));
        return 128 + (fullRange ? c : c * 224 / 255);
    }
    double luma01(double b, double g, double r) const { return kr * r + (1 - kr - kb) * g + kb * b; }
};

// A picture of noise with padded rows, so that strides are honoured.
struct Picture {
    int width, height;
    size_t stride;
    std::vector<uint8_t> bytes;

    Picture(int w, int h, unsigned seed)
        : width(w)
        , height(h)
        , stride(size_t(w) * 4 + 12)
        , bytes(stride * size_t(h))
    {
        std::mt19937 random(seed);
        for (auto& byte : bytes)
            byte = static_cast<uint8_t>(random());
    }
    const uint8_t* pixel(int x, int y) const { return bytes.data() + stride * size_t(y) + 4 * size_t(x); }
};

// Every sample of the conversion against the exact formulas, each chroma
// sample from the average of its 2 x 2 pixels (edges counted twice).
void expectWithinOneStep(const Picture& picture, YCbCrMatrix matrix, bool fullRange)
{
    const Exact exact {
        matrix == YCbCrMatrix::ITU601 ? 0.299 : 0.2126, matrix == YCbCrMatrix::ITU601 ? 0.114 : 0.0722, fullRange};
    const int chromaWidth = (picture.width + 1) / 2, chromaHeight = (picture.height + 1) / 2;
    std::vector<uint8_t> luma(size_t(picture.width + 3) * picture.height, 0xEE);
    std::vector<uint8_t> chroma(size_t(chromaWidth * 2 + 5) * chromaHeight, 0xEE);
    BiPlanarPlanes planes {luma.data(), size_t(picture.width + 3), chroma.data(), size_t(chromaWidth * 2 + 5)};
    plat::detail::convertBGRAToBiPlanar420(
        picture.bytes.data(), picture.stride, picture.width, picture.height, planes, matrix, fullRange);

    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const uint8_t* p = picture.pixel(x, y);
            ASSERT_NEAR(luma[planes.lumaStride * y + x], exact.luma(p[0], p[1], p[2]), 1.0) << x << "," << y;
        }
        EXPECT_EQ(luma[planes.lumaStride * y + picture.width], 0xEE) << "wrote past the row";
    }
    for (int cy = 0; cy < chromaHeight; ++cy) {
        for (int cx = 0; cx < chromaWidth; ++cx) {
            double sum[3] = {};
            for (int dy = 0; dy < 2; ++dy) {
                for (int dx = 0; dx < 2; ++dx) {
                    const uint8_t* p = picture.pixel(
                        std::min(2 * cx + dx, picture.width - 1), std::min(2 * cy + dy, picture.height - 1));
                    for (int k = 0; k < 3; ++k)
                        sum[k] += p[k] / 4.0;
                }
            }
            const uint8_t* pair = chroma.data() + planes.chromaStride * cy + 2 * cx;
            ASSERT_NEAR(pair[0], exact.cb(sum[0], sum[1], sum[2]), 1.0) << cx << "," << cy;
            ASSERT_NEAR(pair[1], exact.cr(sum[0], sum[1], sum[2]), 1.0) << cx << "," << cy;
        }
        EXPECT_EQ(chroma[planes.chromaStride * cy + 2 * chromaWidth], 0xEE) << "wrote past the row";
    }
}

TEST(BGRAToBiPlanar, EverySampleIsWithinOneStepOfTheExactConversion)
{
    for (YCbCrMatrix matrix : {YCbCrMatrix::ITU601, YCbCrMatrix::ITU709}) {
        for (bool fullRange : {false, true}) {
            SCOPED_TRACE(testing::Message() << "709: " << (matrix == YCbCrMatrix::ITU709) << " full: " << fullRange);
            expectWithinOneStep(Picture(64, 8, 1), matrix, fullRange);  // whole vectors
            expectWithinOneStep(Picture(37, 23, 2), matrix, fullRange);  // odd sizes and a vector's tail
            expectWithinOneStep(Picture(1, 1, 3), matrix, fullRange);
        }
    }
}

// The movie export's ARGB pictures (alpha first in memory) give what the
// same pixels give as BGRA, sample for sample, odd sizes and vector tails too.
TEST(BGRAToBiPlanar, ARGBPicturesGiveWhatTheSamePixelsGiveAsBGRA)
{
    for (auto [width, height] : {std::pair {64, 8}, std::pair {37, 23}, std::pair {1, 1}}) {
        const Picture bgra(width, height, 4);
        std::vector<uint8_t> argb(bgra.bytes.size());
        for (size_t i = 0; i + 3 < bgra.bytes.size(); i += 4) {
            argb[i] = bgra.bytes[i + 3];
            argb[i + 1] = bgra.bytes[i + 2];
            argb[i + 2] = bgra.bytes[i + 1];
            argb[i + 3] = bgra.bytes[i];
        }
        const int chromaWidth = (width + 1) / 2, chromaHeight = (height + 1) / 2;
        auto convert = [&](auto converter, const std::vector<uint8_t>& pixels) {
            std::vector<uint8_t> planes(size_t(width * height + 2 * chromaWidth * chromaHeight));
            converter(pixels.data(), bgra.stride, width, height,
                BiPlanarPlanes {planes.data(), size_t(width), planes.data() + width * height, size_t(2 * chromaWidth)},
                YCbCrMatrix::ITU601, false);
            return planes;
        };
        EXPECT_EQ(convert(plat::detail::convertARGBToBiPlanar420, argb),
            convert(plat::detail::convertBGRAToBiPlanar420, bgra.bytes))
            << width << "x" << height;
    }
}

TEST(BGRAToBiPlanar, WhiteBlackAndGreyLandExactlyOnTheRange)
{
    struct Case {
        uint8_t grey;
        bool fullRange;
        uint8_t luma;
    } cases[] = {{255, true, 255}, {0, true, 0}, {255, false, 235}, {0, false, 16}, {128, true, 128}};
    for (const Case& c : cases) {
        std::vector<uint8_t> bgra(4 * 4 * 2, c.grey);
        uint8_t luma[8], chroma[4];
        plat::detail::convertBGRAToBiPlanar420(
            bgra.data(), 16, 4, 2, BiPlanarPlanes {luma, 4, chroma, 4}, YCbCrMatrix::ITU601, c.fullRange);
        for (uint8_t value : luma)
            EXPECT_EQ(value, c.luma) << int(c.grey);
        for (uint8_t value : chroma)
            EXPECT_EQ(value, 128) << "a grey carries no colour";
    }
}

// The converter's own loops (same size) and swscale (any other size) must
// agree on the matrix and range, or a video output's colours would shift
// with the preset: even colours come out alike both ways.
TEST(BGRAToBiPlanar, TheConverterAgreesWithItsScalingPath)
{
    const uint8_t colours[][3] = {{0x4A, 0xA6, 0x1F}, {0x30, 0x30, 0xC8}, {0xFF, 0x00, 0x00}, {0x10, 0x80, 0xF0}};
    for (uint32_t format :
        {plat::kPixelFormatType_420YpCbCr8BiPlanarVideoRange, plat::kPixelFormatType_420YpCbCr8BiPlanarFullRange}) {
        for (const auto& colour : colours) {
            auto source = PixelBuffer::create(64, 32, plat::kPixelFormatType_32BGRA).value();
            source->lockBaseAddress();
            for (int y = 0; y < 32; ++y) {
                for (int x = 0; x < 64; ++x)
                    std::copy(colour, colour + 3, source->baseAddress() + source->bytesPerRow() * y + 4 * x);
            }
            source->unlockBaseAddress();
            auto same = PixelBuffer::create(64, 32, format).value();
            auto scaled = PixelBuffer::create(32, 16, format).value();
            plat::detail::PixelBufferConverter converter;
            ASSERT_TRUE(converter.convert(*source, *same).ok());
            ASSERT_TRUE(converter.convert(*source, *scaled).ok());
            EXPECT_EQ(same->yCbCrMatrix(), scaled->yCbCrMatrix());
            same->lockBaseAddress(plat::PixelBufferLock::ReadOnly);
            scaled->lockBaseAddress(plat::PixelBufferLock::ReadOnly);
            for (size_t plane = 0; plane < 2; ++plane) {
                const uint8_t* a = same->baseAddressOfPlane(plane);
                const uint8_t* b = scaled->baseAddressOfPlane(plane);
                for (int k = 0; k < (plane == 0 ? 1 : 2); ++k)
                    EXPECT_NEAR(a[k], b[k], 1) << "plane " << plane << " colour " << int(colour[2]);
            }
            same->unlockBaseAddress(plat::PixelBufferLock::ReadOnly);
            scaled->unlockBaseAddress(plat::PixelBufferLock::ReadOnly);
        }
    }
}

}  // namespace
