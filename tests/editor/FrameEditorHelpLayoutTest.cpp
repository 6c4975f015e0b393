// The help overlay over the frame editor as a person opens it, on a phone
// and on a tablet (where it also explains the embedded capture screen):
// every bubble points at the control it explains, shows its whole text, and
// covers neither another bubble nor a text of the screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>
#include <string>

#include "FrameEditorTestSupport.h"
#include "capture/CaptureViewController.h"
#include "editor/FrameEditorHelp.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Label.h"
#include "support/Idioms.h"
#include "uikit/TipPopoverArrow.h"
#include "uikit/TipPopoverView.h"

namespace {

using zt::TipPopoverView;

// A bubble's arrow ends this far from its control at most: the bubble's
// see-through margin, 10 points, and one for placing on whole points.
constexpr double kArrowReach = 11;

plat::Rect onScreen(const plat::View& view)
{
    return view.convertRect(view.bounds(), nullptr);
}

bool overlap(plat::Rect a, plat::Rect b)
{
    return a.minX() < b.maxX() && b.minX() < a.maxX() && a.minY() < b.maxY() && b.minY() < a.maxY();
}

double distance(plat::Point point, plat::Rect rect)
{
    const double dx = std::max({rect.minX() - point.x, 0.0, point.x - rect.maxX()});
    const double dy = std::max({rect.minY() - point.y, 0.0, point.y - rect.maxY()});
    return std::hypot(dx, dy);
}

// The point of the bubble's arrow, on screen.
plat::Point arrowTip(TipPopoverView& bubble)
{
    const plat::Rect arrow = bubble.superview()->convertRect(bubble.arrowRect(), nullptr);
    switch (bubble.arrow()->direction()) {
    case zt::TipPopoverArrowDirectionUp:
        return {arrow.midX(), arrow.minY()};
    case zt::TipPopoverArrowDirectionDown:
        return {arrow.midX(), arrow.maxY()};
    case zt::TipPopoverArrowDirectionLeft:
        return {arrow.minX(), arrow.midY()};
    default:
        return {arrow.maxX(), arrow.midY()};
    }
}

// The bubble's body, its drawn part, on screen.
plat::Rect bodyOf(TipPopoverView& bubble)
{
    return onScreen(*bubble.contentView());
}

std::shared_ptr<plat::Label> labelOf(TipPopoverView& bubble)
{
    for (const auto& subview : bubble.contentView()->subviews())
        if (auto label = std::dynamic_pointer_cast<plat::Label>(subview))
            return label;
    return nullptr;
}

// The texts of the screen a person sees under the overlay: every label
// outside the bubbles, as its text is drawn, cut by what clips it.
void collectTexts(const plat::View& view, plat::Rect clip, std::vector<std::pair<std::string, plat::Rect>>& texts)
{
    if (view.isHidden() || view.alpha() <= 0.01 || dynamic_cast<const TipPopoverView*>(&view))
        return;
    if (view.clipsToBounds()) {
        const plat::Rect bounds = onScreen(view);
        clip = plat::makeRect(std::max(clip.minX(), bounds.minX()), std::max(clip.minY(), bounds.minY()),
            std::min(clip.maxX(), bounds.maxX()) - std::max(clip.minX(), bounds.minX()),
            std::min(clip.maxY(), bounds.maxY()) - std::max(clip.minY(), bounds.minY()));
        if (clip.isEmpty())
            return;
    }
    if (const auto* label = dynamic_cast<const plat::Label*>(&view); label && !label->text().empty()) {
        const plat::Rect text
            = view.convertRect(label->textRectForBounds(label->bounds(), label->numberOfLines()), nullptr);
        if (overlap(text, clip))
            texts.push_back({label->text(), text});
    }
    for (const auto& subview : view.subviews())
        collectTexts(*subview, clip, texts);
}

class HelpOverlayLayout : public zt::test::FrameEditorScene,
                          public ::testing::WithParamInterface<plat::UserInterfaceIdiom> {
protected:
    HelpOverlayLayout()
        : FrameEditorScene(GetParam())
    {
        plat::test::setUpCameras({plat::test::testPatternCamera(plat::CaptureDevicePosition::Back, 640, 360, 10)});
    }

    // Where the control each bubble explains lies on screen, by the bubble's text.
    std::map<std::string, plat::Rect> explained() const
    {
        const auto& o = outlets();
        std::map<std::string, plat::Rect> controls {{"Back to projects.", onScreen(*o.btnExplorer)},
            {"Play movie preview.", onScreen(*o.btnPlay)}, {"Project settings.", onScreen(*o.btnMore)},
            {"Frame-by-frame view. Tap to scroll, double-tap for the timeline, tap and hold for more options.",
                onScreen(*o.viewPlayerViewController)}};
        if (!isTablet()) {
            controls.insert(
                {{"Add voice over.", onScreen(*o.btnAudio)}, {"Add background music.", onScreen(*o.btnMusic)},
                    {"Change themes and more.", onScreen(*o.btnTheme)}, {"Capture images.", onScreen(*o.btnCamera)}});
            return controls;
        }
        const auto& capture = *editor->captureViewController();
        auto at = [&](const char* outlet) { return onScreen(*capture.outlet(outlet)); };
        // The timer's switch and its settings together.
        const plat::Rect timerSwitch = at("switchTimer");
        const plat::Rect settings = at("btnTimerConfig");
        const double left = std::min(timerSwitch.minX(), settings.minX());
        const double top = std::min(timerSwitch.minY(), settings.minY());
        const plat::Rect timer = plat::makeRect(left, top, std::max(timerSwitch.maxX(), settings.maxX()) - left,
            std::max(timerSwitch.maxY(), settings.maxY()) - top);
        controls.insert(
            {{"Add voice over, background music or change movie theme or movie effect.", onScreen(*o.btnMusic)},
                {"Capture images.", at("recordBtn")}, {"Change camera settings.", at("buttonOptions")},
                {"Set up a timer to capture images at a regular interval.", timer},
                {"Overlay or onion skin setting.", at("sliderOverlayControl")},
                {"Jump to start or capture frame.", onScreen(*o.viewLeftControls)},
                {"Tap the image to crop, mask, paint and more.", at("viewOnionFront")}});
        return controls;
    }
};

}  // namespace

TEST_P(HelpOverlayLayout, EveryBubblePointsAtItsControlWithItsWholeTextAndCoversNoOtherBubbleOrText)
{
    open(4);
    goTo(frames().getCaptureIndex());
    std::vector<std::pair<std::string, plat::Rect>> texts;
    collectTexts(*window, window->bounds(), texts);
    ASSERT_FALSE(texts.empty());
    editor->actionHelp();
    driver.wait(1);
    ASSERT_TRUE(editor->frameEditorHelp());
    const auto& bubbles = editor->frameEditorHelp()->popovers();
    const auto& items = editor->frameEditorHelp()->helpItems();
    ASSERT_EQ(bubbles.size(), isTablet() ? 12u : 9u);

    const auto controls = explained();
    std::ostringstream faults;
    for (size_t i = 0; i < bubbles.size(); ++i) {
        TipPopoverView& bubble = *bubbles[i];
        const std::string& text = items[i].text;
        const plat::Rect body = bodyOf(bubble);
        if (body.minX() < 0 || body.minY() < 0 || body.maxX() > window->bounds().maxX()
            || body.maxY() > window->bounds().maxY())
            faults << "\"" << text << "\" lies partly off the screen\n";
        // The lines the label draws hold the whole text.
        auto label = labelOf(bubble);
        const plat::Size whole = plat::sizeWithFont(
            text, label->font(), {label->bounds().width(), 10000}, plat::LineBreakMode::WordWrapping);
        const plat::Rect drawn = label->textRectForBounds(label->bounds(), label->numberOfLines());
        if (label->text() != text || drawn.height() < whole.height)
            faults << "\"" << text << "\" is cut short\n";
        for (size_t j = i + 1; j < bubbles.size(); ++j)
            if (overlap(body, bodyOf(*bubbles[j])))
                faults << "\"" << text << "\" covers \"" << items[j].text << "\"\n";
        for (const auto& [shown, rect] : texts)
            if (overlap(body, rect))
                faults << "\"" << text << "\" covers the text \"" << shown << "\"\n";
        if (auto control = controls.find(text); control != controls.end()) {
            const plat::Point tip = arrowTip(bubble);
            if (distance(tip, control->second) > kArrowReach)
                faults << "\"" << text << "\" points at (" << tip.x << ", " << tip.y << "), away from its control\n";
        }
    }
    EXPECT_EQ(faults.str(), "");
}

INSTANTIATE_TEST_SUITE_P(Idioms, HelpOverlayLayout, plat::test::bothIdioms(), plat::test::idiomName);
