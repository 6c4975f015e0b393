#include "capture/APAlbumPickerController.h"

#include <algorithm>

#include "capture/APAssetTablePicker.h"
#include "capture/APImagePickerBundle.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/library/Asset.h"
#include "platform/library/AssetsGroup.h"
#include "platform/library/AssetsLibrary.h"
#include "platform/ui/Application.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/TableView.h"
#include "uikit/AlertView.h"
#include "uikit/TextColors.h"

namespace zt {

namespace {

constexpr const char* kCellIdentifier = "Cell";
constexpr const char* kNoAccessMessage = "The app needs access to your camera roll in order save data. Go to system "
                                         "settings -> privacy -> photos and enable access for this app.";

bool isAccessDenied(const plat::Error& error)
{
    return error.domain() == plat::kAssetsLibraryErrorDomain
        && (error.code() == plat::kAssetsLibraryAccessUserDeniedError
            || error.code() == plat::kAssetsLibraryAccessGloballyDeniedError);
}

}  // namespace

APAlbumPickerController::APAlbumPickerController()
    : plat::TableViewController(plat::TableViewStyle::Plain)
{
}

APAlbumPickerController::~APAlbumPickerController() = default;

void APAlbumPickerController::viewDidLoad()
{
    plat::TableViewController::viewDidLoad();
    setTitle(APImagePickerBundle::localizedString("AlbumsKey"));
    auto cancelButton = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::Cancel);
    cancelButton->setTarget(this, &APAlbumPickerController::cancel);
    navigationItem()->setLeftBarButtonItem(cancelButton);

    _library = std::make_shared<plat::AssetsLibrary>();
    std::weak_ptr<APAlbumPickerController> weakSelf = sharedAs<APAlbumPickerController>();
    // The library answers on the main queue.
    plat::DispatchQueue::globalQueue(plat::DispatchQueue::Priority::Default).async([weakSelf, library = _library] {
        library->enumerateGroupsWithTypes(
            plat::AssetsGroupAll,
            [weakSelf](const std::shared_ptr<plat::AssetsGroup>& group, bool&) {
                auto self = weakSelf.lock();
                if (!self)
                    return;
                if (group)
                    self->groupFound(group);
                else
                    self->groupsEnumerated();
            },
            [weakSelf](const plat::Error& error) {
                if (auto self = weakSelf.lock())
                    self->showAccessFailure(error);
            });
    });
}

void APAlbumPickerController::groupFound(const std::shared_ptr<plat::AssetsGroup>& group)
{
    group->setAssetsFilter(_isVideoPicker ? plat::AssetsFilter::AllVideos : plat::AssetsFilter::AllPhotos);
    _assetGroups.push_back(group);
    std::stable_sort(_assetGroups.begin(), _assetGroups.end(), [](const auto& a, const auto& b) {
        return static_cast<uint32_t>(a->type()) > static_cast<uint32_t>(b->type());
    });
    tableView()->reloadData();
}

void APAlbumPickerController::groupsEnumerated()
{
    int64_t pictures = 0;
    for (const auto& group : _assetGroups)
        pictures += group->numberOfAssets();
    if (pictures > 0)
        return;
    // An empty list would leave the person guessing.
    plat::log("photo picker: the photo library holds no {}", _isVideoPicker ? "videos" : "photos");
    auto alert = std::make_shared<AlertView>(
        APImagePickerBundle::localizedString("TitleKey"), plat::localized("There are no photos in the photo library."));
    alert->addButtonWithTitle(plat::localized("Dismiss"), nullptr);
    alert->show();
}

void APAlbumPickerController::showAccessFailure(const plat::Error& error)
{
    plat::log("photo picker: the photo library refused: {}", error.description());
    std::string message
        = error.userInfo().getString(plat::kLocalizedFailureReasonErrorKey).value_or(error.localizedDescription());
    bool denied = isAccessDenied(error);
    bool settingsLink = plat::isOpenSettingsURLAvailable();
    if (denied && !settingsLink)
        message = plat::localized(kNoAccessMessage);
    auto alert = std::make_shared<AlertView>(APImagePickerBundle::localizedString("TitleKey"), message);
    alert->addButtonWithTitle(plat::localized("Dismiss"), nullptr);
    if (denied && settingsLink) {
        alert->addButtonWithTitle(plat::localized("Settings"), [](AlertView&, int64_t) {
            auto settings = plat::URL::URLWithString(plat::ApplicationOpenSettingsURLString);
            if (settings)
                plat::Application::sharedApplication().openURL(*settings);
        });
    }
    alert->show();
}

void APAlbumPickerController::viewWillAppear(bool animated)
{
    plat::TableViewController::viewWillAppear(animated);
    if (auto navigation = navigationController())
        navigation->setToolbarHidden(true, /*animated=*/false);
}

unsigned APAlbumPickerController::supportedInterfaceOrientations() const
{
    return plat::InterfaceOrientationMaskAll;
}

int64_t APAlbumPickerController::tableViewNumberOfRowsInSection(plat::TableView&, int64_t)
{
    return static_cast<int64_t>(_assetGroups.size());
}

std::shared_ptr<plat::TableViewCell> APAlbumPickerController::tableViewCellForRowAtIndexPath(
    plat::TableView& tableView, plat::IndexPath path)
{
    auto cell = tableView.dequeueReusableCellWithIdentifier(kCellIdentifier);
    if (!cell)
        cell = std::make_shared<plat::TableViewCell>(plat::TableViewCellStyle::Value1, kCellIdentifier);
    const auto& group = _assetGroups[static_cast<size_t>(path.row)];
    cell->textLabel()->setText(group->name());
    cell->detailTextLabel()->setText(APImagePickerBundle::localizedCount(
        _isVideoPicker ? "VideosCountKey" : "PhotosCountKey", group->numberOfAssets()));
    cell->detailTextLabel()->setTextColor(secondaryTextColor());
    cell->imageView()->setImage(group->posterImage());
    cell->setAccessoryType(plat::TableViewCellAccessoryType::DisclosureIndicator);
    return cell;
}

void APAlbumPickerController::tableViewDidSelectRowAtIndexPath(plat::TableView&, plat::IndexPath path)
{
    if (path.row < 0 || path.row >= static_cast<int64_t>(_assetGroups.size()))
        return;
    auto grid = std::make_shared<APAssetTablePicker>();
    grid->setIsVideoPicker(_isVideoPicker);
    grid->setMultiSelection(_multiSelection);
    grid->setAssetsGroup(_assetGroups[static_cast<size_t>(path.row)]);
    std::weak_ptr<APAlbumPickerController> weakSelf = sharedAs<APAlbumPickerController>();
    grid->setDidFinishSelectingAssets([weakSelf](const std::vector<std::shared_ptr<plat::Asset>>& assets) {
        auto self = weakSelf.lock();
        if (self && self->_didFinishPickMedia)
            self->makeMediaInfoWithAssets(assets);
    });
    if (auto navigation = navigationController())
        navigation->pushViewController(grid, /*animated=*/true);
}

void APAlbumPickerController::makeMediaInfoWithAssets(const std::vector<std::shared_ptr<plat::Asset>>& assets)
{
    auto self = sharedAs<APAlbumPickerController>();
    // The picker goes on to the main queue with the copy: were it let go of
    // here, after the caller closed it, its views would go on this thread.
    plat::DispatchQueue::globalQueue(plat::DispatchQueue::Priority::Default).async([self, assets]() mutable {
        std::vector<std::shared_ptr<plat::Asset>> copy(assets.begin(), assets.end());
        plat::DispatchQueue::mainQueue().async([self = std::move(self), copy = std::move(copy)] {
            if (auto finish = self->_didFinishPickMedia)
                finish(copy);
        });
    });
}

void APAlbumPickerController::cancel()
{
    auto self = shared_from_this();  // the block may let go of the picker
    if (auto block = _didCancelPickMedia)
        block();
    dismissViewControllerAnimated(/*animated=*/true, nullptr);
}

}  // namespace zt
