#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "capture/APAsset.h"
#include "platform/ui/TableViewController.h"

namespace plat {
class Asset;
class AssetsGroup;
class BarButtonItem;
class Image;
}  // namespace plat

namespace zt {

// The photo picker's grid of one album: a tile per asset, four to a row,
// the oldest at the top left and the newest in the last row; a spacer row
// above and a count row below. One tap picks (single selection), or taps
// mark tiles and Done hands them over in the order they were marked
// (multiple selection, with select-all, deselect-all and inverse buttons).
// The album's assets and thumbnails are read on a background queue; every
// view changes on the main thread. Main thread.
class APAssetTablePicker : public plat::TableViewController {
public:
    static constexpr int64_t assetsPerRow = 4;
    static constexpr double kSpacerRowHeight = 2.0;
    static constexpr double kTileRowHeight = 79.0;
    static constexpr double kCountRowHeight = 50.0;

    using FinishBlock = std::function<void(const std::vector<std::shared_ptr<plat::Asset>>& assets)>;

    APAssetTablePicker();
    ~APAssetTablePicker() override;

    bool isMultiSelection() const { return _multiSelection; }
    void setMultiSelection(bool multiSelection) { _multiSelection = multiSelection; }
    bool isVideoPicker() const { return _isVideoPicker; }
    void setIsVideoPicker(bool isVideoPicker) { _isVideoPicker = isVideoPicker; }
    // The album, its filter set; before the view loads.
    const std::shared_ptr<plat::AssetsGroup>& assetsGroup() const { return _assetsGroup; }
    void setAssetsGroup(std::shared_ptr<plat::AssetsGroup> group) { _assetsGroup = std::move(group); }
    const FinishBlock& didFinishSelectingAssets() const { return _didFinishSelectingAssets; }
    void setDidFinishSelectingAssets(FinishBlock block) { _didFinishSelectingAssets = std::move(block); }
    // What a tile tells when tapped; the grid sets it when its view loads.
    const APAsset::SelectBlock& didSelectAssetBlock() const { return _didSelectAssetBlock; }
    void setDidSelectAssetBlock(APAsset::SelectBlock block) { _didSelectAssetBlock = std::move(block); }

    // The tiles: tile n - 1 - i holds the asset of library index i.
    const std::vector<std::shared_ptr<APAsset>>& assets() const { return _assets; }
    // Assets in the order they were marked (multiple selection).
    const std::vector<std::shared_ptr<plat::Asset>>& selectedAssetsImages() const { return _selectedAssetsImages; }
    const std::shared_ptr<plat::BarButtonItem>& doneButton() const { return _doneButton; }

    // The buttons' actions.
    void doneAction();
    void actionSelectAll();
    void actionDeselectAll();
    void actionInverse();

    // The tiles of the grid row shown in table row path.row: the row's
    // newest tile first. None for the spacer, the count row, or a row
    // beyond the tiles.
    std::vector<std::shared_ptr<APAsset>> assetsForIndexPath(plat::IndexPath path) const;
    int64_t totalSelectedAssets() const;
    void scrollTableViewToBottom();

    void viewDidLoad() override;
    int64_t tableViewNumberOfRowsInSection(plat::TableView&, int64_t) override;
    std::shared_ptr<plat::TableViewCell> tableViewCellForRowAtIndexPath(
        plat::TableView& tableView, plat::IndexPath path) override;
    std::optional<double> tableViewHeightForRowAtIndexPath(plat::TableView&, plat::IndexPath path) override;

private:
    struct EnumeratedAsset {
        size_t tile;
        std::shared_ptr<plat::Asset> asset;
        std::shared_ptr<plat::Image> thumbnail;
    };
    void setUpSelectionBars();
    void enumerateAssets();
    void placeAssets(std::vector<EnumeratedAsset> enumerated);
    void tileSelected(const std::shared_ptr<APAsset>& tile);
    int64_t rowCount() const;

    bool _multiSelection = false;
    bool _isVideoPicker = false;
    std::shared_ptr<plat::AssetsGroup> _assetsGroup;
    FinishBlock _didFinishSelectingAssets;
    APAsset::SelectBlock _didSelectAssetBlock;
    std::vector<std::shared_ptr<APAsset>> _assets;
    std::vector<std::shared_ptr<plat::Asset>> _selectedAssetsImages;
    std::shared_ptr<plat::BarButtonItem> _doneButton;
};

}  // namespace zt
