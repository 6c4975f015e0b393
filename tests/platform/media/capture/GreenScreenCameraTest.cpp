#include <array>
#include <gtest/gtest.h>

#include "platform/graphics/PixelBuffer.h"
#include "platform/media/capture/CaptureDeviceFolder.h"
#include "platform/media/capture/CaptureFrameReader.h"
#include "support/TemporarySandbox.h"
#include "support/VirtualCameras.h"

namespace {

using plat::CaptureDevicePosition;
using plat::detail::CaptureFrameReader;
using plat::test::PictureRegion;

struct ChannelMeans {
    double red = 0, green = 0, blue = 0;
    int distinctGreens = 0;  // of the first row of the region, a sign of grain
};

ChannelMeans meansIn(plat::PixelBuffer& pixels, PictureRegion region)
{
    const int width = static_cast<int>(pixels.width()), height = static_cast<int>(pixels.height());
    const int left = static_cast<int>(region.left * width), right = static_cast<int>(region.right * width);
    const int top = static_cast<int>(region.top * height), bottom = static_cast<int>(region.bottom * height);
    ChannelMeans means;
    std::array<bool, 256> seen {};
    double count = 0;
    for (int y = top; y < bottom; y += 3) {
        for (int x = left; x < right; x += 3) {
            auto bgra = plat::test::pixelAt(pixels, x, y);
            means.blue += bgra[0];
            means.green += bgra[1];
            means.red += bgra[2];
            if (y == top && !seen[bgra[1]]) {
                seen[bgra[1]] = true;
                ++means.distinctGreens;
            }
            ++count;
        }
    }
    means.red /= count;
    means.green /= count;
    means.blue /= count;
    return means;
}

std::shared_ptr<plat::PixelBuffer> readPicture(CaptureFrameReader& reader)
{
    auto frame = reader.readFrame();
    EXPECT_EQ(frame.status, CaptureFrameReader::Status::Picture);
    return frame.pixelBuffer;
}

TEST(GreenScreenCamera, ShowsARedFigureBeforeAGrainyGreenField)
{
    plat::test::TemporarySandbox sandbox;
    auto opened = CaptureFrameReader::open(plat::test::greenScreenCamera(CaptureDevicePosition::Back), 1280, 720);
    ASSERT_TRUE(opened.ok()) << opened.error().description();
    EXPECT_FALSE(opened.value()->isLive());
    for (int frame = 0; frame < 45; ++frame) {
        auto picture = readPicture(*opened.value());
        ASSERT_TRUE(picture);
        if (frame % 15 != 0)
            continue;
        SCOPED_TRACE(frame);
        ASSERT_EQ(picture->width(), 1280u);
        auto subject = meansIn(*picture, plat::test::kGreenScreenSubject);
        EXPECT_NEAR(subject.red, 200, 6);
        EXPECT_NEAR(subject.green, 48, 6);
        for (auto region : {plat::test::kGreenScreenFieldLeft, plat::test::kGreenScreenFieldRight}) {
            auto field = meansIn(*picture, region);
            EXPECT_GT(field.green, 110);
            EXPECT_GT(field.green, 2.5 * field.red);
            EXPECT_GT(field.green, 1.6 * field.blue);
            EXPECT_GT(field.distinctGreens, 6);  // grain, and the corners' shade
        }
    }
}

TEST(GreenScreenCamera, TheFigureSwaysFromPictureToPicture)
{
    plat::test::TemporarySandbox sandbox;
    auto opened
        = CaptureFrameReader::open(plat::test::greenScreenCamera(CaptureDevicePosition::Back, 640, 360, 30), 640, 360);
    ASSERT_TRUE(opened.ok()) << opened.error().description();
    auto first = readPicture(*opened.value());
    for (int frame = 1; frame < 30; ++frame)
        readPicture(*opened.value());
    auto secondLater = readPicture(*opened.value());  // one second in: the sway's widest right
    ASSERT_TRUE(first && secondLater);
    // The right arm's column: field at first, arm a second later.
    const PictureRegion rightArm {0.68, 0.35, 0.69, 0.45};
    EXPECT_GT(meansIn(*first, rightArm).green, 100);
    EXPECT_GT(meansIn(*secondLater, rightArm).red, 150);
}

TEST(GreenScreenCamera, IsListedByTheDeviceFolder)
{
    plat::test::TemporarySandbox sandbox;
    plat::test::setUpCameras({plat::test::greenScreenCamera(CaptureDevicePosition::Front, 640, 480, 24)});
    auto cameras = plat::CaptureDeviceFolder::cameras();
    ASSERT_EQ(cameras.size(), 1u);
    EXPECT_EQ(cameras[0], plat::test::greenScreenCamera(CaptureDevicePosition::Front, 640, 480, 24));
}

}  // namespace
