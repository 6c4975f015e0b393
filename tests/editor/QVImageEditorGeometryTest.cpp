#include "editor/QVImageEditorGeometry.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <numbers>

#include "editor/QVImageEditorRendering.h"

namespace {

using plat::AffineTransform;
using plat::makeRect;

void expectRectNear(plat::Rect actual, plat::Rect expected, double tolerance = 1e-9)
{
    EXPECT_NEAR(actual.minX(), expected.minX(), tolerance);
    EXPECT_NEAR(actual.minY(), expected.minY(), tolerance);
    EXPECT_NEAR(actual.width(), expected.width(), tolerance);
    EXPECT_NEAR(actual.height(), expected.height(), tolerance);
}

TEST(CropGeometry, CornersGoRoundAndBack)
{
    zt::Rectangle corners = zt::RectangleFromCGRect(makeRect(10, 20, 30, 40));
    EXPECT_EQ(corners.topRight, (plat::Point {40, 20}));
    EXPECT_EQ(corners.bottomLeft, (plat::Point {10, 60}));
    EXPECT_EQ(zt::CGRectFromRectangle(corners), makeRect(10, 20, 30, 40));
}

TEST(CropGeometry, AQuarterTurnedBandStandsUpright)
{
    // 568 x 319.5 about its centre (284, 160): 319.5 wide and 568 high.
    expectRectNear(zt::boundingBoxForRect(makeRect(0, 0.25, 568, 319.5), std::numbers::pi / 2),
        makeRect(124.25, -124, 319.5, 568));
    // Turned by 30 degrees: w cos + h sin wide, w sin + h cos high.
    plat::Rect box = zt::boundingBoxForRect(makeRect(0, 0, 100, 50), std::numbers::pi / 6);
    EXPECT_NEAR(box.width(), 111.6025, 1e-4);
    EXPECT_NEAR(box.height(), 93.3013, 1e-4);
    EXPECT_NEAR(box.midX(), 50, 1e-9);
}

TEST(CropGeometry, ATransformActsAboutTheRectanglesCentre)
{
    zt::Rectangle doubled = zt::applyTransform(AffineTransform::makeScale(2, 2), makeRect(100, 100, 40, 20));
    EXPECT_EQ(zt::CGRectFromRectangle(doubled), makeRect(80, 90, 80, 40));
    zt::Rectangle mirrored = zt::applyTransform(AffineTransform::makeScale(-1, 1), makeRect(100, 100, 40, 20));
    EXPECT_EQ(zt::CGRectFromRectangle(mirrored), makeRect(140, 100, -40, 20)) << "mirrored corners";
    EXPECT_TRUE(zt::rectContainsRect(zt::CGRectFromRectangle(mirrored), makeRect(100, 100, 40, 20)))
        << "still covers the same place";
}

TEST(CropGeometry, ContainmentIncludesEdgesForgivesRoundingAndRefusesNaN)
{
    plat::Rect band = makeRect(0, 0.25, 568, 319.5);
    EXPECT_TRUE(zt::rectContainsRect(band, band));
    EXPECT_TRUE(zt::rectContainsRect(makeRect(0, 0.25 + 1e-9, 568, 319.5), band));
    EXPECT_FALSE(zt::rectContainsRect(makeRect(0.01, 0.25, 568, 319.5), band));
    double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(zt::rectContainsRect(makeRect(nan, 0, 1000, 1000), band));
}

TEST(CropRendering, PortraitPicturesAreShownTallAndLandscapesWide)
{
    EXPECT_EQ(zt::displayImageSizeForSourceSize({1920, 1080}), (plat::Size {1024, 576}));
    EXPECT_EQ(zt::displayImageSizeForSourceSize({1080, 1920}), (plat::Size {576, 1024}));
    EXPECT_EQ(zt::displayImageSizeForSourceSize({500, 500}), (plat::Size {1024, 1024}));
}

TEST(CropRendering, TheOrientationStepSwapsTheStoredSizeForQuarterTurns)
{
    auto right = zt::transformAndSizeForOrientation(plat::ImageOrientation::Right, {300, 400});
    EXPECT_EQ(right.size, (plat::Size {400, 300}));
    // The stored top-left corner ends at the upright top-right.
    plat::Point corner = right.transform.apply({-200, -150});
    EXPECT_NEAR(corner.x, 150, 1e-9);
    EXPECT_NEAR(corner.y, -200, 1e-9);
    auto up = zt::transformAndSizeForOrientation(plat::ImageOrientation::Up, {300, 400});
    EXPECT_TRUE(up.transform.isIdentity());
    EXPECT_EQ(up.size, (plat::Size {300, 400}));
}

}  // namespace
