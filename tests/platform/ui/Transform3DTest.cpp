#include "platform/ui/Transform3D.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

#include "platform/ui/Homography.h"

TEST(Transform3D, TranslateIsAppliedBeforeTheGivenTransform)
{
    // Scale by 2, then translate by (5, 0) put in front: points move first, then scale.
    auto t = plat::translate(plat::Transform3D::makeScale(2, 2, 1), 5, 0, 0);
    auto h = plat::detail::Homography::fromTransform3D(t);
    plat::Point p = h.apply({1, 1});
    EXPECT_DOUBLE_EQ(p.x, 12);
    EXPECT_DOUBLE_EQ(p.y, 2);
}

TEST(Transform3D, RotationAboutZMatchesTheAffineRotation)
{
    auto t = plat::Transform3D::makeRotation(std::numbers::pi / 2, 0, 0, 1);
    EXPECT_TRUE(t.isAffine());
    plat::Point p = plat::detail::Homography::fromTransform3D(t).apply({1, 0});
    EXPECT_NEAR(p.x, 0, 1e-12);
    EXPECT_NEAR(p.y, 1, 1e-12);
}

TEST(Transform3D, PerspectiveShrinksWhatTurnsAway)
{
    // A quarter turn short of edge-on about y with the platform's usual m34 of -1/500.
    plat::Transform3D perspective;
    perspective.m34 = -1.0 / 500;
    auto t = plat::Transform3D::concat(plat::Transform3D::makeRotation(std::numbers::pi / 4, 0, 1, 0), perspective);
    EXPECT_FALSE(t.isAffine());
    auto h = plat::detail::Homography::fromTransform3D(t);
    // The edge at x = +100 turns away (z < 0): it lands nearer the middle than the edge at -100.
    plat::Point right = h.apply({100, 0});
    plat::Point left = h.apply({-100, 0});
    EXPECT_LT(std::abs(right.x), std::abs(left.x));
    EXPECT_NEAR(left.x, -100 * std::cos(std::numbers::pi / 4) / (1 - 100 * std::sin(std::numbers::pi / 4) / 500), 1e-9);
}

TEST(Transform3D, InverseUndoesTheTransform)
{
    auto t = plat::rotate(plat::translate(plat::Transform3D::makeScale(2, 3, 1), 10, -4, 0), 0.3, 0, 0, 1);
    auto round = plat::Transform3D::concat(t, t.inverted());
    EXPECT_NEAR(round.m11, 1, 1e-12);
    EXPECT_NEAR(round.m41, 0, 1e-12);
    EXPECT_NEAR(round.m22, 1, 1e-12);
}

TEST(Transform3D, SingularTransformInvertsToItself)
{
    auto flat = plat::Transform3D::makeScale(0, 1, 1);
    EXPECT_EQ(flat.inverted(), flat);
}
