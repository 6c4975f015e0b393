#include "editor/FrameEditorHelpItems.h"

#include <optional>
#include <string>

#include "editor/FrameEditorHelp.h"
#include "editor/FrameEditorHelpControls.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Device.h"
#include "platform/ui/View.h"
#include "uikit/TipPopoverArrow.h"

namespace zt {

namespace {

constexpr uint64_t kArrowChosen = 0;
constexpr const char* kPlayerViewText
    = "Frame-by-Frame view. Tap to scroll. Double-tap for timeline. Tap and hold to for more options.";
constexpr const char* kMoreHelpText = "Need more help. Tap here.";

// The tablet's embedded capture screen and picture: where its layout puts
// the controls these bubbles explain.
constexpr plat::Rect kTabletCaptureRect {{948.0, 353.0}, {60.0, 60.0}};
constexpr plat::Rect kTabletCameraSettingsRect {{786.0, 577.0}, {55.0, 44.0}};
constexpr plat::Rect kTabletTimerRect {{850.0, 570.0}, {105.0, 44.0}};
constexpr plat::Rect kTabletOverlayRect {{-5.0, 263.0}, {55.0, 292.0}};
constexpr plat::Rect kTabletJumpRect {{416.0, 574.0}, {100.0, 30.0}};
constexpr plat::Rect kTabletPictureRect {{512.0, 400.0}, {1.0, 1.0}};
constexpr plat::Rect kTabletMoreHelpRect {{50.0, 720.0}, {1.0, 1.0}};
constexpr double kPhoneMoreHelpInset = 40.0;
constexpr double kTabletMusicDrop = 5.0;

// The bubble that opens the help pages stands out in green: a dark one,
// opaque, on which its white text reads at 6 to 1 (as on the other bubbles).
plat::Color moreHelpColor()
{
    return plat::Color::colorWithHue(0.225, 0.6f, 0.42f, 1);
}

// The control's frame in the screen view's coordinates.
std::optional<plat::Rect> frameOf(const std::shared_ptr<plat::View>& control, const plat::View& screen)
{
    if (!control)
        return std::nullopt;
    if (auto holder = control->superview())
        return holder->convertRect(control->frame(), &screen);
    return control->frame();
}

class ItemList {
public:
    ItemList(FrameEditorHelp& help, const plat::View& screen)
        : _help(help)
        , _screen(screen)
    {
    }

    void add(const char* key, plat::Rect rect, uint64_t arrow) { _help.addHelp(plat::localized(key), rect, arrow); }
    void add(const char* key, const std::shared_ptr<plat::View>& control, uint64_t arrow)
    {
        if (auto rect = frameOf(control, _screen))
            add(key, *rect, arrow);
        else
            plat::log("help overlay: no control for “{}”", key);
    }
    void addMoreHelp(plat::Rect rect, std::function<void()> showInternalHelp)
    {
        _help.addHelp(plat::localized(kMoreHelpText), rect, TipPopoverArrowDirectionNone, moreHelpColor(),
            [showInternalHelp = std::move(showInternalHelp)] {
                // Not inside the tap: the help pages come up after the bubble's button is done.
                if (showInternalHelp)
                    plat::DispatchQueue::mainQueue().async(showInternalHelp);
            });
    }

private:
    FrameEditorHelp& _help;
    const plat::View& _screen;
};

void addPhoneItems(ItemList& items, const FrameEditorHelpControls& c, std::function<void()> showInternalHelp)
{
    items.add("Back to projects.", c.btnExplorer, kArrowChosen);
    items.add("Add voice over.", c.btnAudio, kArrowChosen);
    items.add("Add background music.", c.btnMusic, kArrowChosen);
    items.add("Change themes and more.", c.btnTheme, TipPopoverArrowDirectionLeft);
    items.add("Capture images.", c.btnCamera, kArrowChosen);
    items.add("Project settings.", c.btnMore, kArrowChosen);
    items.add("Play movie preview.", c.btnPlay, TipPopoverArrowDirectionRight);
    items.add(kPlayerViewText, c.viewPlayerViewController, kArrowChosen);
    const double height = c.screenView->frame().height();
    items.addMoreHelp(
        plat::makeRect(kPhoneMoreHelpInset, height - kPhoneMoreHelpInset, 1.0, 1.0), std::move(showInternalHelp));
}

void addTabletItems(ItemList& items, const FrameEditorHelpControls& c, std::function<void()> showInternalHelp)
{
    items.add("Back to projects.", c.btnExplorer, TipPopoverArrowDirectionUp);
    if (auto music = frameOf(c.btnMusic, *c.screenView)) {
        items.add("Add voice over, background music or change movie theme or movie effect.",
            plat::makeRect(music->minX() + music->width() / 2, music->minY() + kTabletMusicDrop, 1.0, 1.0),
            kArrowChosen);
    }
    items.add("Play movie preview.", c.btnPlay, kArrowChosen);
    items.add("Capture images.", kTabletCaptureRect, kArrowChosen);
    items.add("Project settings.", c.btnMore, TipPopoverArrowDirectionUp);
    items.add(kPlayerViewText, c.viewPlayerViewController, kArrowChosen);
    items.add("Change camera settings.", kTabletCameraSettingsRect, kArrowChosen);
    items.add("Setup a timer to capture images at a regularly interval.", kTabletTimerRect, TipPopoverArrowDirectionUp);
    items.add("Overlay or Onion Skin setting.", kTabletOverlayRect, kArrowChosen);
    items.add("Jump to start or capture frame.", kTabletJumpRect, kArrowChosen);
    items.add("Tap the image to crop, mask, paint and more.", kTabletPictureRect, kArrowChosen);
    items.addMoreHelp(kTabletMoreHelpRect, std::move(showInternalHelp));
}

}  // namespace

void addFrameEditorHelpItems(
    FrameEditorHelp& help, const FrameEditorHelpControls& controls, std::function<void()> showInternalHelp)
{
    if (!controls.screenView) {
        plat::log("help overlay: no screen view to point into");
        return;
    }
    ItemList items(help, *controls.screenView);
    if (plat::Device::currentDevice().isTablet())
        addTabletItems(items, controls, std::move(showInternalHelp));
    else
        addPhoneItems(items, controls, std::move(showInternalHelp));
}

}  // namespace zt
