#include "uikit/ActionSheetBlocks.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/ui/ActionSheet.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ImagePickerController.h"
#include "platform/ui/TabBar.h"

namespace zt {

namespace {

// The one delegate of every block sheet and of the picker it opens, holding
// the blocks of the sheet outstanding. Main thread.
class SheetBlocks : public plat::ActionSheetDelegate, public plat::ImagePickerControllerDelegate {
public:
    static const std::shared_ptr<SheetBlocks>& shared()
    {
        static const auto blocks = std::make_shared<SheetBlocks>();
        return blocks;
    }

    ActionSheetCancelBlock cancel;
    ActionSheetDismissBlock dismiss;
    PhotoPickedBlock photoPicked;
    // Held until the picker is cancelled.
    std::shared_ptr<plat::ViewController> presentingController;

    void actionSheetDidDismissWithButtonIndex(plat::ActionSheet& sheet, int64_t index) override
    {
        if (index == sheet.cancelButtonIndex()) {
            runCancel();
            return;
        }
        if (sheet.tag() == kPhotoSourceSheetTag) {
            openPicker(sheet.buttonTitleAtIndex(index));
            return;
        }
        if (auto block = dismiss)
            block(index);
    }

    void imagePickerControllerDidFinishPickingMediaWithInfo(
        plat::ImagePickerController& picker, const plat::ImagePickerMediaInfo& info) override
    {
        auto picture = info.editedImage ? info.editedImage : info.originalImage;
        if (auto block = photoPicked)
            block(picture);
        // The presenter is not needed once a picture came back either.
        presentingController.reset();
        picker.dismissViewControllerAnimated(/*animated=*/true, nullptr);
    }

    bool imagePickerControllerDidCancel(plat::ImagePickerController& picker) override
    {
        auto presenter = std::move(presentingController);
        if (presenter)
            presenter->dismissViewControllerAnimated(/*animated=*/true, nullptr);
        else
            picker.dismissViewControllerAnimated(/*animated=*/true, nullptr);
        runCancel();
        return true;
    }

private:
    void runCancel()
    {
        if (auto block = cancel)
            block();
    }

    void openPicker(const std::string& sourceTitle)
    {
        auto source = sourceTitle == plat::localized("Camera") ? plat::ImagePickerControllerSourceType::Camera
                                                               : plat::ImagePickerControllerSourceType::PhotoLibrary;
        if (!presentingController) {
            plat::log("photo picker: no screen to present the picker from");
            return;
        }
        auto picker = std::make_shared<plat::ImagePickerController>();
        picker->setDelegate(shared());
        picker->setAllowsEditing(true);
        picker->setSourceType(source);
        presentingController->presentViewController(picker, /*animated=*/true, nullptr);
    }
};

void showSheet(const std::shared_ptr<plat::ActionSheet>& sheet, const ActionSheetAnchor& anchor)
{
    if (const auto* item = std::get_if<std::shared_ptr<plat::BarButtonItem>>(&anchor)) {
        if (*item)
            sheet->showFromBarButtonItem(**item, /*animated=*/true);
        return;
    }
    const auto& view = std::get<std::shared_ptr<plat::View>>(anchor);
    if (!view)
        return;
    if (auto tabBar = std::dynamic_pointer_cast<plat::TabBar>(view))
        sheet->showFromTabBar(*tabBar);
    else
        sheet->showInView(*view);
}

}  // namespace

std::shared_ptr<plat::ActionSheet> actionSheetWithTitle(const std::string& title, const std::string& message,
    const std::vector<std::string>& buttons, const ActionSheetAnchor& showInView, ActionSheetDismissBlock onDismiss,
    ActionSheetCancelBlock onCancel)
{
    return actionSheetWithTitle(
        title, message, std::nullopt, buttons, showInView, std::move(onDismiss), std::move(onCancel));
}

std::shared_ptr<plat::ActionSheet> actionSheetWithTitle(const std::string& title, const std::string& /*message*/,
    const std::optional<std::string>& destructiveButtonTitle, const std::vector<std::string>& buttons,
    const ActionSheetAnchor& showInView, ActionSheetDismissBlock onDismiss, ActionSheetCancelBlock onCancel)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    const auto& blocks = SheetBlocks::shared();
    blocks->dismiss = std::move(onDismiss);
    blocks->cancel = std::move(onCancel);
    auto sheet = std::make_shared<plat::ActionSheet>(title, blocks, std::nullopt, destructiveButtonTitle, buttons);
    sheet->setActionSheetStyle(plat::ActionSheetStyle::BlackOpaque);
    sheet->setCancelButtonIndex(sheet->addButtonWithTitle(plat::localized("Cancel")));
    showSheet(sheet, showInView);
    return sheet;
}

std::shared_ptr<plat::ActionSheet> photoPickerWithTitle(const std::string& title, const ActionSheetAnchor& showInView,
    std::shared_ptr<plat::ViewController> presentVC, PhotoPickedBlock onPhotoPicked, ActionSheetCancelBlock onCancel)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    const auto& blocks = SheetBlocks::shared();
    blocks->photoPicked = std::move(onPhotoPicked);
    blocks->cancel = std::move(onCancel);
    blocks->presentingController = std::move(presentVC);
    auto sheet
        = std::make_shared<plat::ActionSheet>(title, blocks, std::nullopt, std::nullopt, std::vector<std::string> {});
    sheet->setTag(kPhotoSourceSheetTag);
    if (plat::ImagePickerController::isSourceTypeAvailable(plat::ImagePickerControllerSourceType::Camera))
        sheet->addButtonWithTitle(plat::localized("Camera"));
    if (plat::ImagePickerController::isSourceTypeAvailable(plat::ImagePickerControllerSourceType::PhotoLibrary))
        sheet->addButtonWithTitle(plat::localized("Photo library"));
    sheet->setCancelButtonIndex(sheet->addButtonWithTitle(plat::localized("Cancel")));
    showSheet(sheet, showInView);
    return sheet;
}

}  // namespace zt
