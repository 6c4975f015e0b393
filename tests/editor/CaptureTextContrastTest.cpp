// The capture screen's texts lie over the live camera picture, which may be
// light or dark: on a phone's own capture screen and in a tablet's editor,
// each must read over both, its options closed and open, and the interval
// timer's countdown while it runs.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <tuple>

#include "FrameEditorTestSupport.h"
#include "capture/CaptureViewController.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Switch.h"
#include "platform/ui/ViewRendering.h"
#include "support/Idioms.h"
#include "support/RunLoopWaiting.h"
#include "support/TextContrast.h"

namespace {

using plat::test::Rgba;

constexpr double kScreenScale = 2;
// What a person needs to read a text: 4.5 to 1; 3 to 1 for large text, 18
// points or 14 of bold (the frame counter's 14 points of bold).
constexpr double kTextContrast = 4.5;
constexpr double kLargeTextContrast = 3;

struct Text {
    const char* outlet;
    bool large = false;
};

// Every text of the capture screen a person sees while capturing (Home is
// the phone's; the tablet's editor has its own way back).
const Text kTexts[] = {
    {"buttonCaptureSource"},
    {"buttonOptions"},
    {"btnTimerConfig"},
    {"buttonHome"},
    {"buttonGrid"},
    {"buttonSound"},
    {"buttonFocus"},
    {"buttonExposure"},
    {"buttonWhiteBalance"},
    {"frameTitleLabel"},
    {"frameLabel", true},
    {"labelTimer"},
};

// On a phone or a tablet, over a camera picture of one grey.
using Case = std::tuple<plat::UserInterfaceIdiom, int>;

std::string caseName(const ::testing::TestParamInfo<Case>& param)
{
    return std::string(std::get<0>(param.param) == plat::UserInterfaceIdiom::Pad ? "Tablet" : "Phone")
        + (std::get<1>(param.param) > 128 ? "OverALightPicture" : "OverADarkPicture");
}

class CaptureTexts : public zt::test::FrameEditorScene, public ::testing::WithParamInterface<Case> {
protected:
    CaptureTexts()
        : FrameEditorScene(std::get<0>(GetParam()))
    {
    }

    // The capture screen, its camera showing a flat picture of that grey.
    std::shared_ptr<zt::CaptureViewController> openCapture(int grey)
    {
        const Rgba colour {grey, grey, grey, 255};
        plat::test::setUpCameras({plat::test::pictureCamera(
            "flat", *plat::test::makeFlatImage(640, 360, colour), plat::CaptureDevicePosition::Back, 10)});
        open(3);
        std::shared_ptr<zt::CaptureViewController> capture;
        if (isTablet()) {
            goTo(frames().getCaptureIndex());
            capture = editor->captureViewController();
        } else {
            editor->actionCamera();
            capture = std::dynamic_pointer_cast<zt::CaptureViewController>(editor->presentedViewController());
        }
        // Until the camera's picture shows in the middle of the screen.
        const plat::Point middle {window->bounds().midX() * kScreenScale, window->bounds().midY() * kScreenScale};
        EXPECT_TRUE(plat::test::advanceClockUntil(
            clock.clock(), 0.1,
            [&] {
                auto shown = plat::snapshotWindow(*window, kScreenScale);
                return shown
                    && plat::test::componentDistance(
                           plat::test::pixelAt(*shown, static_cast<int>(middle.x), static_cast<int>(middle.y)), colour)
                    <= 2;
            },
            100))
            << "no camera picture";
        return capture;
    }

    // The texts that read too faintly, one a line.
    std::string faintTexts(zt::CaptureViewController& capture, const std::string& when)
    {
        lastMeasured.clear();
        std::ostringstream faint;
        for (const Text& text : kTexts) {
            auto view = capture.outlet(text.outlet);
            std::shared_ptr<plat::Label> label = std::dynamic_pointer_cast<plat::Label>(view);
            auto button = std::dynamic_pointer_cast<plat::Button>(view);
            // A disabled button need not be read (Interval while the timer runs).
            if (button && !button->isEnabled())
                continue;
            if (button)
                label = button->titleLabel();
            if (!label || !view->window() || isHiddenOnScreen(*view) || !isOnScreen(*label))
                continue;
            ++measured;
            lastMeasured.insert(text.outlet);
            const double ratio = plat::test::measureTextContrast(*window, *label, kScreenScale).ratio;
            if (ratio < (text.large ? kLargeTextContrast : kTextContrast)) {
                char figure[16];
                std::snprintf(figure, sizeof figure, "%.2f", ratio);
                faint << when << ": " << text.outlet << " \"" << label->text() << "\" " << figure << ":1\n";
            }
        }
        return faint.str();
    }

    // The options panel waits above the screen until it is opened.
    bool isOnScreen(const plat::View& view) const
    {
        const plat::Rect shown = view.convertRect(view.bounds(), nullptr);
        return shown.maxX() > 0 && shown.maxY() > 0 && shown.minX() < window->bounds().maxX()
            && shown.minY() < window->bounds().maxY();
    }

    static bool isHiddenOnScreen(const plat::View& view)
    {
        for (const plat::View* v = &view; v; v = v->superview().get())
            if (v->isHidden() || v->alpha() <= 0.01)
                return true;
        return false;
    }

    int measured = 0;
    std::set<std::string> lastMeasured;  // the outlets of the last look
};

}  // namespace

TEST_P(CaptureTexts, EveryTextReadsOverTheCameraPictureWithTheOptionsClosedAndOpenAndTheTimerRunning)
{
    auto capture = openCapture(std::get<1>(GetParam()));
    ASSERT_TRUE(capture);
    std::string faint = faintTexts(*capture, "options closed");
    auto options = std::dynamic_pointer_cast<plat::Button>(capture->outlet("buttonOptions"));
    ASSERT_TRUE(options && driver.tap(*options));
    driver.wait(1);
    ASSERT_TRUE(options->isSelected());
    faint += faintTexts(*capture, "options open");
    ASSERT_TRUE(driver.tap(*options));
    auto timer = std::dynamic_pointer_cast<plat::Switch>(capture->outlet("switchTimer"));
    ASSERT_TRUE(timer && driver.tap(*timer));
    driver.wait(2.5);
    ASSERT_TRUE(timer->isOn());
    const int before = measured;
    faint += faintTexts(*capture, "timer running");
    EXPECT_GT(measured, before + 3);
    EXPECT_TRUE(lastMeasured.contains("labelTimer")) << "the countdown";
    EXPECT_EQ(faint, "");
    // Source, Options, Interval and the frame counter at least, and the options when open.
    EXPECT_GE(measured, 2 * 5 + 5 + 4);
}

// A light and a dark camera picture.
INSTANTIATE_TEST_SUITE_P(
    Pictures, CaptureTexts, ::testing::Combine(plat::test::bothIdioms(), ::testing::Values(250, 8)), caseName);
