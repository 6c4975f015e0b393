// The strip's frame menu and its hold panel.
#include <algorithm>
#include <cmath>

#include "document/Frame.h"
#include "document/FrameList.h"
#include "editor/DuplicateFramesView.h"
#include "editor/FramePasteboard.h"
#include "editor/PlayerViewController.h"
#include "platform/foundation/Bundle.h"
#include "uikit/CAGridView.h"
#include "uikit/ThumbMenuItem.h"
#include "uikit/UIImageResize.h"

namespace zt {

namespace {

// The frames of the range the copy, delete and export would take, less the capture placeholder.
int64_t countCopyableFrames(const FrameList& list, std::pair<int64_t, int64_t> range)
{
    int64_t count = 0;
    for (int64_t index = range.first; index <= range.second; ++index) {
        auto frame = list.getFrameAtIndex(index);
        if (frame && frame->canCopy())
            ++count;
    }
    return count;
}

}  // namespace

void PlayerViewController::showThumbMenuForFrame(int64_t index, const plat::View& itemView)
{
    _tapedFrameIndex = index;
    auto frame = frameList().getFrameAtIndex(index);
    if (!frame)
        return;
    const int64_t selectionCount = _selectionStartIndex == -1 ? 0 : countCopyableFrames(frameList(), operationRange());
    const int64_t pasteCount = _pasteBoard ? _pasteBoard->pasteCount() : 0;

    auto weakSelf = std::weak_ptr<PlayerViewController>(sharedAs<PlayerViewController>());
    auto command = [weakSelf](void (PlayerViewController::*operation)()) {
        return [weakSelf, operation] {
            if (auto self = weakSelf.lock())
                ((*self).*operation)();
        };
    };
    auto item = [](const char* title, const char* icon, int64_t badge, bool enabled, std::function<void()> block) {
        auto made
            = ThumbMenuItem::initWithTitle(plat::localized(title), tintedImageNamed(icon), badge, std::move(block));
        made->setIsEnabled(enabled);
        return std::static_pointer_cast<CAGridViewItem>(made);
    };
    const bool selecting = selectionCount > 0;
    std::vector<std::shared_ptr<CAGridViewItem>> items {
        item("Capture", "thumbmenu_icon_capture.png", 0, frame->canCapture(),
            command(&PlayerViewController::captureHere)),
        item("Hold", "thumbmenu_icon_hold.png", 0, frame->canHold(), command(&PlayerViewController::holdSelected)),
        item(selecting ? "Deselect" : "Select", "thumbmenu_icon_select_between.png", 0, frame->canSelect(),
            command(selecting ? &PlayerViewController::deselectAllSelected : &PlayerViewController::selectSelected)),
        item("Copy", "thumbmenu_icon_copy.png", selectionCount, frame->canCopy(),
            command(&PlayerViewController::copySelected)),
        item("Paste", "thumbmenu_icon_paste.png", pasteCount, frame->canPaste() && pasteCount >= 1,
            command(static_cast<void (PlayerViewController::*)()>(&PlayerViewController::pasteSelected))),
        item("Paste Reverse", "thumbmenu_icon_paste_reverse.png", pasteCount, frame->canPaste() && pasteCount >= 2,
            command(&PlayerViewController::pasteReverseSelected)),
        item("Delete", "thumbmenu_icon_delete.png", selectionCount, frame->canDelete(),
            command(&PlayerViewController::deleteSelected)),
    };

    const double cell = std::clamp(
        std::trunc((view()->bounds().width() - kMenuMargin) / kMenuItemCount), kMenuCellMinimum, kMenuCellMaximum);
    const plat::Rect menuFrame = plat::makeRect(0, 0, cell * kMenuItemCount, kMenuHeight);
    auto content = std::make_shared<plat::ViewController>();
    content->setView(std::make_shared<plat::View>(menuFrame));
    content->setContentSizeForViewInPopover(menuFrame.size);
    auto grid = std::make_shared<ThumbMenuGridView>(menuFrame);
    grid->setLabelColor(plat::Color::blackColor());
    grid->setGridSize(static_cast<float>(cell));
    grid->layoutViewForItems(std::move(items));
    content->view()->addSubview(grid);

    removePopup();
    _popoverController = std::make_shared<BubblePopoverController>(content);
    _popoverController->presentPopoverFromRect(
        itemView.convertRect(itemView.bounds(), view().get()), *view(), kBubbleArrowDirectionDown, /*animated=*/true);
}

void PlayerViewController::removePopup()
{
    if (!_popoverController)
        return;
    _popoverController->dismissPopoverAnimated(/*animated=*/true);
    _popoverController = nullptr;
}

bool PlayerViewController::popoverControllerShouldDismissPopover(BubblePopoverController&)
{
    return true;
}

void PlayerViewController::popoverControllerDidDismissPopover(BubblePopoverController& controller)
{
    if (auto panel = std::dynamic_pointer_cast<DuplicateFramesView>(controller.contentViewController()))
        panel->closeHandler();
}

void PlayerViewController::holdSelected()
{
    if (!_popoverController)
        return;
    auto weakSelf = std::weak_ptr<PlayerViewController>(sharedAs<PlayerViewController>());
    auto panel = std::make_shared<DuplicateFramesView>(
        frameList().getHoldTimeForFrameAtIndex(_tapedFrameIndex), [weakSelf](int32_t times) {
            if (auto self = weakSelf.lock())
                self->holdSelectedForTimes(times);
        });
    _popoverController->updateContentViewController(panel);
    _popoverController->setDelegate(
        std::static_pointer_cast<BubblePopoverControllerDelegate>(sharedAs<PlayerViewController>()));
}

}  // namespace zt
