#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <mutex>

#include "GLImageCameraTestSupport.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageGrayscaleFilter.h"
#include "glimage/GLImageMovie.h"
#include "glimage/GLImageRawDataOutput.h"
#include "glimage/GLImageVideoCamera.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/media/SampleBuffer.h"
#include "support/ManualClockScope.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::MediaTime;
using plat::PixelBuffer;

// A picture's planes, filled by position so that neighbours differ.
struct Planes {
    std::function<uint8_t(int x, int y)> luma;
    std::function<uint8_t(int x, int y)> cb;
    std::function<uint8_t(int x, int y)> cr;
};

Planes gradients()
{
    return {[](int x, int y) { return uint8_t(20 + 23 * x + 31 * y); },
        [](int x, int y) { return uint8_t(60 + 37 * x + 11 * y); },
        [](int x, int y) { return uint8_t(200 - 29 * x - 17 * y); }};
}

std::shared_ptr<PixelBuffer> makePicture(
    int width, int height, uint32_t format, const char* matrix, const Planes& planes = gradients())
{
    auto made = PixelBuffer::create(width, height, format);
    EXPECT_TRUE(made.ok());
    if (!made.ok())
        return nullptr;
    auto buffer = made.value();
    buffer->setYCbCrMatrix(matrix);
    buffer->lockBaseAddress();
    for (int y = 0; y < buffer->heightOfPlane(0); ++y) {
        for (int x = 0; x < buffer->widthOfPlane(0); ++x)
            buffer->baseAddressOfPlane(0)[size_t(y) * buffer->bytesPerRowOfPlane(0) + size_t(x)] = planes.luma(x, y);
    }
    for (int y = 0; y < buffer->heightOfPlane(1); ++y) {
        for (int x = 0; x < buffer->widthOfPlane(1); ++x) {
            uint8_t* pair = buffer->baseAddressOfPlane(1) + size_t(y) * buffer->bytesPerRowOfPlane(1) + size_t(x) * 2;
            pair[0] = planes.cb(x, y);
            pair[1] = planes.cr(x, y);
        }
    }
    buffer->unlockBaseAddress();
    return buffer;
}

struct Matrix {
    double y, crToRed, cbToGreen, crToGreen, cbToBlue, black;
};

// The conversions the camera and the movie reader make, written out: with
// Cb and Cr centred on 0, R = a·Y + b·Cr, G = a·Y − c·Cb − d·Cr, B = a·Y + e·Cb.
Matrix matrixFor(uint32_t format, const char* matrix)
{
    const bool bt601 = std::string(matrix) == plat::kCVImageBufferYCbCrMatrix_ITU_R_601_4;
    if (format == plat::kPixelFormatType_420YpCbCr8BiPlanarVideoRange)
        return bt601 ? Matrix {1.164, 1.596, 0.392, 0.813, 2.017, 16} : Matrix {1.164, 1.793, 0.213, 0.533, 2.112, 16};
    return bt601 ? Matrix {1.0, 1.402, 0.344, 0.714, 1.772, 0} : Matrix {1.0, 1.575, 0.187, 0.468, 1.856, 0};
}

// The chroma pair at a pixel's centre, between the four nearest pairs as GL's linear filter takes it.
std::pair<double, double> chromaAt(const PixelBuffer& buffer, const Planes& planes, int x, int y)
{
    const int chromaWidth = buffer.widthOfPlane(1);
    const int chromaHeight = buffer.heightOfPlane(1);
    const double u = (x + 0.5) / buffer.width() * chromaWidth - 0.5;
    const double v = (y + 0.5) / buffer.height() * chromaHeight - 0.5;
    const int u0 = int(std::floor(u));
    const int v0 = int(std::floor(v));
    const double fu = u - u0;
    const double fv = v - v0;
    auto clampedX = [&](int at) { return std::clamp(at, 0, chromaWidth - 1); };
    auto clampedY = [&](int at) { return std::clamp(at, 0, chromaHeight - 1); };
    auto blend = [&](const std::function<uint8_t(int, int)>& plane) {
        const double top = plane(clampedX(u0), clampedY(v0)) * (1 - fu) + plane(clampedX(u0 + 1), clampedY(v0)) * fu;
        const double bottom
            = plane(clampedX(u0), clampedY(v0 + 1)) * (1 - fu) + plane(clampedX(u0 + 1), clampedY(v0 + 1)) * fu;
        return top * (1 - fv) + bottom * fv;
    };
    return {blend(planes.cb), blend(planes.cr)};
}

zt::GLImageByteColorVector expectedColour(const PixelBuffer& buffer, const Planes& planes, int x, int y)
{
    const Matrix m = matrixFor(buffer.pixelFormatType(), buffer.yCbCrMatrix().c_str());
    const double luma = (planes.luma(x, y) - m.black) / 255.0;
    auto [cbByte, crByte] = chromaAt(buffer, planes, x, y);
    const double cb = cbByte / 255.0 - 0.5;
    const double cr = crByte / 255.0 - 0.5;
    auto byte = [](double value) { return uint8_t(std::lround(std::clamp(value, 0.0, 1.0) * 255)); };
    return {byte(m.y * luma + m.crToRed * cr), byte(m.y * luma - m.cbToGreen * cb - m.crToGreen * cr),
        byte(m.y * luma + m.cbToBlue * cb), 255};
}

// Keeps the bytes of each frame as it arrives: the plane textures last only as long as the frame.
class KeptFrames {
public:
    explicit KeptFrames(plat::Size size)
        : output(std::make_shared<zt::GLImageRawDataOutput>(size, zt::GLImageRawDataOutput::ResultsInBGRAFormat::No))
    {
        output->setNewFrameAvailableBlock([this] {
            const int width = int(output->imageSize().width);
            const int height = int(output->imageSize().height);
            std::vector<zt::GLImageByteColorVector> pixels;
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x)
                    pixels.push_back(output->colorAtLocation({double(x), double(y)}));
            }
            std::lock_guard guard(_lock);
            _frames.push_back(std::move(pixels));
        });
    }
    ~KeptFrames() { output->setNewFrameAvailableBlock({}); }
    std::vector<zt::GLImageByteColorVector> last() const
    {
        std::lock_guard guard(_lock);
        return _frames.empty() ? std::vector<zt::GLImageByteColorVector> {} : _frames.back();
    }
    size_t count() const
    {
        std::lock_guard guard(_lock);
        return _frames.size();
    }

    std::shared_ptr<zt::GLImageRawDataOutput> output;

private:
    mutable std::mutex _lock;
    std::vector<std::vector<zt::GLImageByteColorVector>> _frames;
};

void expectConverted(
    const std::vector<zt::GLImageByteColorVector>& got, const PixelBuffer& buffer, const Planes& planes = gradients())
{
    ASSERT_EQ(got.size(), size_t(buffer.width() * buffer.height()));
    int worst = 0;
    for (int y = 0; y < buffer.height(); ++y) {
        for (int x = 0; x < buffer.width(); ++x) {
            const auto expected = expectedColour(buffer, planes, x, y);
            const auto& pixel = got[size_t(y * buffer.width() + x)];
            worst = std::max({worst, std::abs(pixel.red - expected.red), std::abs(pixel.green - expected.green),
                std::abs(pixel.blue - expected.blue)});
            EXPECT_EQ(pixel.alpha, 255);
        }
    }
    EXPECT_LE(worst, 2) << buffer.width() << " x " << buffer.height() << " pixels";
}

struct Conversion {
    uint32_t format;
    const char* matrix;
};

const Conversion kConversions[] = {
    {plat::kPixelFormatType_420YpCbCr8BiPlanarFullRange, plat::kCVImageBufferYCbCrMatrix_ITU_R_601_4},
    {plat::kPixelFormatType_420YpCbCr8BiPlanarFullRange, plat::kCVImageBufferYCbCrMatrix_ITU_R_709_2},
    {plat::kPixelFormatType_420YpCbCr8BiPlanarVideoRange, plat::kCVImageBufferYCbCrMatrix_ITU_R_601_4},
    {plat::kPixelFormatType_420YpCbCr8BiPlanarVideoRange, plat::kCVImageBufferYCbCrMatrix_ITU_R_709_2},
    // No attachment: BT.709.
    {plat::kPixelFormatType_420YpCbCr8BiPlanarVideoRange, ""},
};

class GLImageYUVConversionTest : public ::testing::Test {
protected:
    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
};

}  // namespace

TEST_F(GLImageYUVConversionTest, AMoviesPlanesBecomeRGBByTheirRangeAndMatrixAtOddSizes)
{
    auto movie = zt::GLImageMovie::initWithURL(plat::URL::fileURLWithPath("/nonexistent.mov"));
    for (auto [width, height] : {std::pair {8, 6}, {7, 5}, {1, 3}}) {
        for (const Conversion& conversion : kConversions) {
            SCOPED_TRACE(std::string(conversion.matrix) + " " + std::to_string(conversion.format));
            auto picture = makePicture(width, height, conversion.format, conversion.matrix);
            ASSERT_TRUE(picture);
            KeptFrames frames({double(width), double(height)});
            movie->addTarget(frames.output);
            movie->processMovieFrame(picture, MediaTime::make(1, 30));
            movie->removeAllTargets();
            ASSERT_EQ(frames.count(), 1u);
            expectConverted(frames.last(), *picture);
        }
    }
}

TEST_F(GLImageYUVConversionTest, MonochromeTargetsReadTheLuminancePlaneAsItIs)
{
    auto movie = zt::GLImageMovie::initWithURL(plat::URL::fileURLWithPath("/nonexistent.mov"));
    // Video range: converted, Y 16 would be black; read as it is, it stays 16.
    auto picture = makePicture(
        6, 4, plat::kPixelFormatType_420YpCbCr8BiPlanarVideoRange, plat::kCVImageBufferYCbCrMatrix_ITU_R_601_4);
    ASSERT_TRUE(picture);
    auto grey = std::make_shared<zt::GLImageGrayscaleFilter>();
    KeptFrames greyFrames({6, 4});
    grey->addTarget(greyFrames.output);
    movie->addTarget(grey);
    EXPECT_TRUE(movie->allTargetsWantMonochromeDataForTesting());
    movie->processMovieFrame(picture, MediaTime::make(1, 30));
    ASSERT_EQ(greyFrames.count(), 1u);
    auto pixels = greyFrames.last();
    ASSERT_EQ(pixels.size(), 24u);
    const auto luma = gradients().luma;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            const auto& pixel = pixels[size_t(y * 6 + x)];
            EXPECT_EQ(pixel.red, luma(x, y)) << x << ", " << y;
            EXPECT_EQ(pixel.blue, luma(x, y)) << x << ", " << y;
        }
    }

    // With a colour target beside it, the picture is converted for that one
    // while the monochrome one still reads the plane.
    KeptFrames colourFrames({6, 4});
    movie->addTarget(colourFrames.output);
    EXPECT_FALSE(movie->allTargetsWantMonochromeDataForTesting());
    movie->processMovieFrame(picture, MediaTime::make(2, 30));
    ASSERT_EQ(colourFrames.count(), 1u);
    expectConverted(colourFrames.last(), *picture);
    ASSERT_EQ(greyFrames.count(), 2u);
    EXPECT_EQ(greyFrames.last()[0].red, luma(0, 0));
    movie->removeAllTargets();
    grey->removeAllTargets();
}

TEST_F(GLImageYUVConversionTest, AMoviesBGRAPictureReachesItsTargetsInItsOwnTexture)
{
    auto movie = zt::GLImageMovie::initWithURL(plat::URL::fileURLWithPath("/nonexistent.mov"));
    auto made = PixelBuffer::create(3, 2, plat::kPixelFormatType_32BGRA);
    ASSERT_TRUE(made.ok());
    auto picture = made.value();
    picture->lockBaseAddress();
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            uint8_t* p = picture->baseAddress() + size_t(y) * picture->bytesPerRow() + size_t(x) * 4;
            p[0] = uint8_t(40 * x);  // blue
            p[1] = uint8_t(80 * y);  // green
            p[2] = 200;
            p[3] = 255;
        }
    }
    picture->unlockBaseAddress();
    KeptFrames frames({3, 2});
    movie->addTarget(frames.output);
    movie->processMovieFrame(picture, MediaTime::make(1, 30));
    movie->removeAllTargets();
    ASSERT_EQ(frames.count(), 1u);
    EXPECT_EQ(frames.last()[5], (zt::GLImageByteColorVector {200, 80, 80, 255}));
    EXPECT_EQ(frames.last()[1], (zt::GLImageByteColorVector {200, 0, 40, 255}));
}

TEST_F(GLImageYUVConversionTest, TheCamerasConversionFramebufferFollowsAChangeOfEitherSide)
{
    zt::test::setUpColourCamera({{0, 0, 255, 255}}, 64, 48, 32);
    auto camera = zt::GLImageVideoCamera::init();
    ASSERT_TRUE(camera);
    ASSERT_TRUE(camera->capturesAsYUV());
    EXPECT_EQ(camera->yuvConversionFramebufferSizeForTesting(), (plat::Size {0, 0}));
    // Width and height, then the height alone, then the width alone, then neither.
    for (auto [width, height] : {std::pair {8, 6}, {8, 4}, {5, 4}, {5, 4}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        auto picture = makePicture(width, height, plat::kPixelFormatType_420YpCbCr8BiPlanarFullRange,
            plat::kCVImageBufferYCbCrMatrix_ITU_R_601_4);
        ASSERT_TRUE(picture);
        KeptFrames frames({double(width), double(height)});
        camera->addTarget(frames.output);
        zt::runSynchronouslyOnContextQueue([&] {
            camera->processVideoSampleBuffer(plat::SampleBuffer::createForImageBuffer(picture, MediaTime::make(1, 32)));
        });
        camera->removeAllTargets();
        EXPECT_EQ(camera->yuvConversionFramebufferSizeForTesting(), (plat::Size {double(width), double(height)}));
        ASSERT_EQ(frames.count(), 1u);
        expectConverted(frames.last(), *picture);
    }
    // One framebuffer for each new size; the same size again keeps it.
    EXPECT_EQ(camera->yuvConversionFramebuffersMadeForTesting(), 3);
}
