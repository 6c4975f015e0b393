#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/TableViewController.h"

namespace plat {
class Asset;
class AssetsGroup;
class AssetsLibrary;
class Error;
}  // namespace plat

namespace zt {

// The photo picker: the photo library's albums, each opening the grid of
// its photos (APAssetTablePicker) in single or multiple selection. Callers
// present it inside a navigation controller. It hands the picked assets to
// didFinishPickMedia on the main queue and stays open (the caller closes
// it); Cancel calls didCancelPickMedia and closes it. A library that refuses
// access shows an alert and no albums. Albums are read on a background
// queue; every view changes on the main thread. Main thread.
class APAlbumPickerController : public plat::TableViewController {
public:
    static constexpr double kRowHeight = 57.0;

    using PickBlock = std::function<void(const std::vector<std::shared_ptr<plat::Asset>>& assets)>;
    // Called with nothing where the platform passes nil.
    using CancelBlock = std::function<void()>;

    APAlbumPickerController();
    ~APAlbumPickerController() override;

    bool isMultiSelection() const { return _multiSelection; }
    void setMultiSelection(bool multiSelection) { _multiSelection = multiSelection; }
    bool isVideoPicker() const { return _isVideoPicker; }
    void setIsVideoPicker(bool isVideoPicker) { _isVideoPicker = isVideoPicker; }
    const PickBlock& didFinishPickMedia() const { return _didFinishPickMedia; }
    void setDidFinishPickMedia(PickBlock block) { _didFinishPickMedia = std::move(block); }
    const CancelBlock& didCancelPickMedia() const { return _didCancelPickMedia; }
    void setDidCancelPickMedia(CancelBlock block) { _didCancelPickMedia = std::move(block); }
    // The albums found so far, by type, highest first.
    const std::vector<std::shared_ptr<plat::AssetsGroup>>& assetGroups() const { return _assetGroups; }

    // What Cancel does: the cancel block, then the picker closes itself.
    void cancel();
    // Copies the assets on a background queue, then hands the copy to
    // didFinishPickMedia on the main queue.
    void makeMediaInfoWithAssets(const std::vector<std::shared_ptr<plat::Asset>>& assets);

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    unsigned supportedInterfaceOrientations() const override;
    int64_t tableViewNumberOfRowsInSection(plat::TableView&, int64_t) override;
    std::shared_ptr<plat::TableViewCell> tableViewCellForRowAtIndexPath(
        plat::TableView& tableView, plat::IndexPath path) override;
    std::optional<double> tableViewHeightForRowAtIndexPath(plat::TableView&, plat::IndexPath) override
    {
        return kRowHeight;
    }
    void tableViewDidSelectRowAtIndexPath(plat::TableView& tableView, plat::IndexPath path) override;

private:
    void groupFound(const std::shared_ptr<plat::AssetsGroup>& group);
    // Every album is listed: one without a picture in any is told.
    void groupsEnumerated();
    void showAccessFailure(const plat::Error& error);

    bool _multiSelection = false;
    bool _isVideoPicker = false;
    PickBlock _didFinishPickMedia;
    CancelBlock _didCancelPickMedia;
    std::shared_ptr<plat::AssetsLibrary> _library;
    std::vector<std::shared_ptr<plat::AssetsGroup>> _assetGroups;
};

}  // namespace zt
