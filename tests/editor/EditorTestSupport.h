#pragma once
// Fixtures and drivers shared by the editor's tests: a phone (or tablet)
// with the manual clock, the editor's layouts and a window, fingers that
// turn, and pictures made for the crop tests.
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "editor/EditorLayouts.h"
#include "platform/foundation/Geometry.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TouchSynthesizer.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/Pixels.h"
#include "support/TemporarySandbox.h"

namespace zt::test {

class EditorScreens : public ::testing::Test {
protected:
    explicit EditorScreens(plat::UserInterfaceIdiom idiom = plat::UserInterfaceIdiom::Phone)
        : ui(idiom)
    {
        registerEditorLayouts();
        window = std::make_shared<plat::Window>(plat::Screen::mainScreen().bounds());
        window->makeKeyAndVisible();
    }

    // Two fingers radius points either side of centre, turned together by
    // degrees (clockwise on screen positive) in steps, then lifted.
    void turnFingers(plat::Point centre, double radius, double degrees, double seconds = 0.3)
    {
        plat::TouchSynthesizer touches(window);
        int steps = std::max(1, static_cast<int>(std::lround(seconds / plat::test::UIDriver::kStepSeconds)));
        auto at = [&](double radians, double side) {
            return plat::Point {
                centre.x + side * radius * std::cos(radians), centre.y + side * radius * std::sin(radians)};
        };
        auto fingers = touches.touchesDown({at(0, -1), at(0, 1)});
        for (int i = 1; i <= steps; ++i) {
            plat::test::passTime(plat::test::UIDriver::kStepSeconds);
            double radians = degrees * std::numbers::pi / 180 * i / steps;
            touches.moveTouches({{fingers[0], at(radians, -1)}, {fingers[1], at(radians, 1)}});
        }
        touches.liftTouches(fingers);
        plat::test::passTime(0);
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    plat::test::TemporarySandbox sandbox;
    plat::test::UIDriver driver;
    std::shared_ptr<plat::Window> window;
};

inline void expectTransformNear(const plat::AffineTransform& actual, const plat::AffineTransform& expected,
    double tolerance = 1e-6, const std::string& what = {})
{
    EXPECT_NEAR(actual.a, expected.a, tolerance) << what << " a";
    EXPECT_NEAR(actual.b, expected.b, tolerance) << what << " b";
    EXPECT_NEAR(actual.c, expected.c, tolerance) << what << " c";
    EXPECT_NEAR(actual.d, expected.d, tolerance) << what << " d";
    EXPECT_NEAR(actual.tx, expected.tx, tolerance * 100) << what << " tx";
    EXPECT_NEAR(actual.ty, expected.ty, tolerance * 100) << what << " ty";
}

// Blocks of six colours, blockSize pixels square, with a white and a black
// corner block so that every turn and mirror of the picture looks different.
inline plat::test::Rgba blockColour(int x, int y, int width, int height, int blockSize)
{
    static const plat::test::Rgba colours[] = {{220, 40, 40, 255}, {40, 190, 60, 255}, {40, 60, 210, 255},
        {235, 210, 30, 255}, {30, 200, 210, 255}, {200, 60, 200, 255}};
    int column = x / blockSize;
    int row = y / blockSize;
    if (column == 0 && row == 0)
        return {255, 255, 255, 255};
    if (column == (width - 1) / blockSize && row == (height - 1) / blockSize)
        return {0, 0, 0, 255};
    return colours[(column * 7 + row * 3) % 6];
}

}  // namespace zt::test
