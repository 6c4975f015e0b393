#include "editor/FrameEditorCoachMarks.h"

#include <optional>
#include <string_view>

#include "editor/FrameEditorHelpControls.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Device.h"
#include "platform/ui/View.h"
#include "uikit/HelpManager.h"

namespace zt {

namespace {

// The picture's coach mark rings a spot right of the picture's middle.
constexpr double kImageEditShift = 100.0;

// The control's centre in the screen view's coordinates.
std::optional<plat::Point> centreOf(const std::shared_ptr<plat::View>& control, const plat::View& screen)
{
    if (!control)
        return std::nullopt;
    if (auto holder = control->superview())
        return holder->convertPoint(control->center(), &screen);
    return control->center();
}

std::optional<plat::Point> spotOf(std::string_view name, const FrameEditorHelpControls& c)
{
    const plat::View& screen = *c.screenView;
    if (name == "Timeline" || name == "CopyPaste")
        return centreOf(c.viewPlayerViewController, screen);
    if (name == "Media")
        return centreOf(c.btnMusic, screen);
    if (name == "Speed")
        return centreOf(c.btnMore, screen);
    if (name == "Effects")
        return centreOf(c.btnTheme, screen);
    if (name == "ImageEdit") {
        auto centre = centreOf(c.imageViewFrame, screen);
        if (centre)
            centre->x += kImageEditShift;
        return centre;
    }
    return std::nullopt;
}

uint64_t nextButtonPositionFor(std::string_view name)
{
    if (name == "Speed" || plat::Device::currentDevice().isTablet())
        return HelpManager::NextButtonBottomRight;
    return HelpManager::NextButtonTopRight;
}

}  // namespace

std::shared_ptr<HelpManager> showFrameEditorCoachMark(
    int64_t count, const FrameEditorHelpControls& controls, std::weak_ptr<HelpManagerDelegate> delegate)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!controls.screenView)
        return nullptr;
    for (const FrameEditorCoachMark& mark : kFrameEditorCoachMarks) {
        if (count < mark.fromCount)
            break;
        auto coachMark = HelpManager::initWithName(mark.name);
        if (!coachMark)
            continue;
        auto spot = spotOf(mark.name, controls);
        if (!spot) {
            plat::log("help: no control to show the coach mark {} at", mark.name);
            return nullptr;
        }
        auto overlay = coachMark->view();
        overlay->setFrame(controls.screenView->bounds());
        coachMark->setDelegate(std::move(delegate));
        coachMark->setPositionNextBtn(nextButtonPositionFor(mark.name));
        coachMark->setPositionLabel(*spot);
        controls.screenView->addSubview(overlay);
        if (std::string_view(mark.name) == "Timeline")
            overlay->setFrame(controls.screenView->frame());
        coachMark->show();
        return coachMark;
    }
    return nullptr;
}

}  // namespace zt
