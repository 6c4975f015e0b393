#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace plat {
class ActionSheet;
class BarButtonItem;
class Image;
class View;
class ViewController;
}  // namespace plat

namespace zt {

// Action sheets that report through blocks instead of a delegate: a sheet of
// choices (the explorer's "Delete") and a sheet that offers a photo source
// and hands back the picked picture. One sheet is outstanding at a time:
// the blocks are kept for all sheets, and each call replaces the ones it is
// given. Main thread.

// Where a sheet shows: in a view (from a tab bar when the view is one), or
// from a bar button item, animated.
using ActionSheetAnchor = std::variant<std::shared_ptr<plat::View>, std::shared_ptr<plat::BarButtonItem>>;
using ActionSheetDismissBlock = std::function<void(int64_t buttonIndex)>;
using ActionSheetCancelBlock = std::function<void()>;
using PhotoPickedBlock = std::function<void(std::shared_ptr<plat::Image> picture)>;

// The sheet's tag that marks the photo-source sheet.
inline constexpr int64_t kPhotoSourceSheetTag = 10000;

// The given titles in order, then "Cancel"; a chosen title runs onDismiss
// with its index, "Cancel" (or a touch beside the sheet) runs onCancel. The
// message is not shown.
std::shared_ptr<plat::ActionSheet> actionSheetWithTitle(const std::string& title, const std::string& message,
    const std::vector<std::string>& buttons, const ActionSheetAnchor& showInView, ActionSheetDismissBlock onDismiss,
    ActionSheetCancelBlock onCancel);
// With a destructive button first (index 0; the given titles follow from 1).
std::shared_ptr<plat::ActionSheet> actionSheetWithTitle(const std::string& title, const std::string& message,
    const std::optional<std::string>& destructiveButtonTitle, const std::vector<std::string>& buttons,
    const ActionSheetAnchor& showInView, ActionSheetDismissBlock onDismiss, ActionSheetCancelBlock onCancel);

// Offers "Camera" and "Photo library" (those the device has), then "Cancel".
// A chosen source opens the platform's image picker, with editing allowed,
// presented by presentVC; the picked picture (the edited one when there is
// one) goes to onPhotoPicked. Cancelling the sheet or the picker runs onCancel.
std::shared_ptr<plat::ActionSheet> photoPickerWithTitle(const std::string& title, const ActionSheetAnchor& showInView,
    std::shared_ptr<plat::ViewController> presentVC, PhotoPickedBlock onPhotoPicked, ActionSheetCancelBlock onCancel);

}  // namespace zt
