#include "platform/graphics/AffineTransform.h"

#include <gtest/gtest.h>
#include <numbers>

#include "platform/graphics/Path.h"

namespace {

void expectNear(plat::Point got, plat::Point expected)
{
    EXPECT_NEAR(got.x, expected.x, 1e-9);
    EXPECT_NEAR(got.y, expected.y, 1e-9);
}

TEST(AffineTransform, LaterStepsActOnPointsFirst)
{
    // translate then rotate, as the platform builds it: the rotation acts first.
    auto t = plat::rotate(plat::AffineTransform::makeTranslation(10, 0), std::numbers::pi / 2);
    expectNear(t.apply({1, 0}), {10, 1});
    auto scaled = plat::scale(plat::AffineTransform::makeTranslation(5, 5), 2, 3);
    expectNear(scaled.apply({1, 1}), {7, 8});
    expectNear(scaled.inverted().apply({7, 8}), {1, 1});
}

TEST(AffineTransform, SingularTransformsStayAsTheyAre)
{
    plat::AffineTransform flat = plat::AffineTransform::makeScale(0, 1);
    EXPECT_FALSE(flat.isInvertible());
    EXPECT_EQ(flat.inverted(), flat);
    auto box = plat::AffineTransform::makeRotation(std::numbers::pi / 2).applyToRect(plat::makeRect(0, 0, 4, 2));
    EXPECT_NEAR(box.minX(), -2, 1e-9);
    EXPECT_NEAR(box.width(), 2, 1e-9);
    EXPECT_NEAR(box.height(), 4, 1e-9);
}

TEST(Path, RoundedRectanglesStayInsideTheirRectangle)
{
    auto path = plat::Path::pathWithRoundedRect(plat::makeRect(10, 20, 100, 40), 8);
    plat::Rect bounds = path.bounds();
    EXPECT_NEAR(bounds.minX(), 10, 1e-9);
    EXPECT_NEAR(bounds.maxY(), 60, 1e-9);
    EXPECT_NEAR(bounds.width(), 100, 1e-9);
    expectNear(path.currentPoint(), {18, 20});
}

TEST(Path, ArcsGoTheWayTheyAreAsked)
{
    // From angle 0 to pi/2 clockwise on screen is the short way (through y > 0).
    plat::Path shortWay;
    shortWay.addArc({0, 0}, 10, 0, std::numbers::pi / 2, true);
    plat::Path longWay;
    longWay.addArc({0, 0}, 10, 0, std::numbers::pi / 2, false);
    EXPECT_EQ(shortWay.elements().size(), 2u);  // move and one quarter
    EXPECT_EQ(longWay.elements().size(), 4u);  // move and three quarters
    expectNear(shortWay.currentPoint(), {0, 10});
    expectNear(longWay.currentPoint(), {0, 10});
    EXPECT_LT(longWay.bounds().minX(), -9.9);
}

}  // namespace
