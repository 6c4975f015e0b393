#include "capture/APAssetTablePicker.h"

#include <algorithm>

#include "capture/APAssetCell.h"
#include "capture/APImagePickerBundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/library/Asset.h"
#include "platform/library/AssetsGroup.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/TableView.h"
#include "platform/ui/Toolbar.h"
#include "uikit/TextColors.h"

namespace zt {

namespace {

constexpr const char* kTileCellIdentifier = "Cell";
constexpr const char* kSpacerCellIdentifier = "WhitespaceTableViewCell";
constexpr const char* kCountCellIdentifier = "APCountTableViewCell";
constexpr double kCountFontSize = 19;

}  // namespace

APAssetTablePicker::APAssetTablePicker()
    : plat::TableViewController(plat::TableViewStyle::Plain)
{
}

APAssetTablePicker::~APAssetTablePicker() = default;

void APAssetTablePicker::viewDidLoad()
{
    plat::TableViewController::viewDidLoad();
    tableView()->setSeparatorColor(plat::Color::clearColor());
    tableView()->setAllowsSelection(false);
    if (_multiSelection)
        setUpSelectionBars();
    setTitle(APImagePickerBundle::localizedString("LoadingKey"));

    int64_t count = _assetsGroup ? _assetsGroup->numberOfAssets() : 0;
    _assets.reserve(static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i)
        _assets.push_back(std::make_shared<APAsset>());

    std::weak_ptr<APAssetTablePicker> weakSelf = sharedAs<APAssetTablePicker>();
    _didSelectAssetBlock = [weakSelf](const std::shared_ptr<APAsset>& tile) {
        if (auto self = weakSelf.lock())
            self->tileSelected(tile);
    };
    enumerateAssets();
}

void APAssetTablePicker::setUpSelectionBars()
{
    _doneButton = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::Done);
    _doneButton->setTarget(this, &APAssetTablePicker::doneAction);
    navigationItem()->setRightBarButtonItem(_doneButton);
    auto button = [this](const std::string& key, void (APAssetTablePicker::*action)()) {
        auto item = std::make_shared<plat::BarButtonItem>(
            APImagePickerBundle::localizedString(key), plat::BarButtonItemStyle::Done);
        item->setTarget(this, action);
        return item;
    };
    auto space = [] { return std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::FlexibleSpace); };
    setToolbarItems({button("+ Select All", &APAssetTablePicker::actionSelectAll), space(),
        button("- Deselect All", &APAssetTablePicker::actionDeselectAll), space(),
        button("Inverse Selection", &APAssetTablePicker::actionInverse)});
    if (auto navigation = navigationController()) {
        navigation->toolbar()->setTranslucent(true);
        navigation->setToolbarHidden(false, /*animated=*/true);
    }
}

// The tile count is fixed before the album is read; an album that changed
// in between gives fewer assets (tiles stay empty) or more (no tile for them).
void APAssetTablePicker::enumerateAssets()
{
    if (!_assetsGroup)
        return;
    std::weak_ptr<APAssetTablePicker> weakSelf = sharedAs<APAssetTablePicker>();
    plat::DispatchQueue::globalQueue(plat::DispatchQueue::Priority::Default)
        .async([weakSelf, group = _assetsGroup, tiles = _assets.size()] {
            std::vector<EnumeratedAsset> enumerated;
            group->enumerateAssetsUsingBlock([&](const std::shared_ptr<plat::Asset>& asset, int64_t index, bool&) {
                if (!asset)
                    return;  // the enumeration's end
                if (index < 0 || static_cast<size_t>(index) >= tiles) {
                    plat::log("photo picker: the album grew while it was read; asset {} has no tile", index);
                    return;
                }
                enumerated.push_back({tiles - 1 - static_cast<size_t>(index), asset, nullptr});
            });
            // Thumbnails are decoded here, not on the main thread.
            for (auto& entry : enumerated)
                entry.thumbnail = entry.asset->thumbnail();
            plat::DispatchQueue::mainQueue().async([weakSelf, enumerated = std::move(enumerated)]() mutable {
                if (auto self = weakSelf.lock())
                    self->placeAssets(std::move(enumerated));
            });
        });
}

void APAssetTablePicker::placeAssets(std::vector<EnumeratedAsset> enumerated)
{
    for (const auto& entry : enumerated)
        _assets[entry.tile]->setAsset(entry.asset);
    setTitle(APImagePickerBundle::localizedString(_isVideoPicker ? "SelectVideosKey" : "SelectPhotosKey"));
    tableView()->reloadData();
    scrollTableViewToBottom();
    std::weak_ptr<APAssetTablePicker> weakSelf = sharedAs<APAssetTablePicker>();
    for (auto& entry : enumerated) {
        plat::DispatchQueue::mainQueue().async(
            [weakSelf, tile = entry.tile, thumbnail = std::move(entry.thumbnail)]() mutable {
                if (auto self = weakSelf.lock())
                    self->_assets[tile]->showThumbnail(std::move(thumbnail));
            });
    }
}

// Table

int64_t APAssetTablePicker::rowCount() const
{
    auto tiles = static_cast<int64_t>(_assets.size());
    return (tiles + assetsPerRow - 1) / assetsPerRow + 2;
}

int64_t APAssetTablePicker::tableViewNumberOfRowsInSection(plat::TableView&, int64_t)
{
    return rowCount();
}

std::optional<double> APAssetTablePicker::tableViewHeightForRowAtIndexPath(plat::TableView&, plat::IndexPath path)
{
    if (path.row == 0)
        return kSpacerRowHeight;
    if (path.row == rowCount() - 1)
        return kCountRowHeight;
    return kTileRowHeight;
}

std::shared_ptr<plat::TableViewCell> APAssetTablePicker::tableViewCellForRowAtIndexPath(
    plat::TableView& tableView, plat::IndexPath path)
{
    if (path.row == 0) {
        auto cell = tableView.dequeueReusableCellWithIdentifier(kSpacerCellIdentifier);
        if (!cell) {
            cell = std::make_shared<plat::TableViewCell>(plat::TableViewCellStyle::Default, kSpacerCellIdentifier);
            cell->setSelectionStyle(plat::TableViewCellSelectionStyle::None);
        }
        return cell;
    }
    if (path.row == rowCount() - 1) {
        auto cell = tableView.dequeueReusableCellWithIdentifier(kCountCellIdentifier);
        if (!cell) {
            cell = std::make_shared<plat::TableViewCell>(plat::TableViewCellStyle::Default, kCountCellIdentifier);
            cell->setSelectionStyle(plat::TableViewCellSelectionStyle::None);
            cell->textLabel()->setTextAlignment(plat::TextAlignment::Center);
            cell->textLabel()->setTextColor(secondaryTextColor());
            cell->textLabel()->setFont(plat::Font::systemFontOfSize(kCountFontSize));
        }
        cell->textLabel()->setText(APImagePickerBundle::localizedCount(
            _isVideoPicker ? "VideosCountKey" : "PhotosCountKey", static_cast<int64_t>(_assets.size())));
        return cell;
    }
    auto cell
        = std::dynamic_pointer_cast<APAssetCell>(tableView.dequeueReusableCellWithIdentifier(kTileCellIdentifier));
    if (!cell)
        cell = std::make_shared<APAssetCell>(kTileCellIdentifier);
    cell->setDidSelectAssetBlock(_didSelectAssetBlock);
    cell->setAssets(assetsForIndexPath(path));
    return cell;
}

std::vector<std::shared_ptr<APAsset>> APAssetTablePicker::assetsForIndexPath(plat::IndexPath path) const
{
    auto tiles = static_cast<int64_t>(_assets.size());
    int64_t gridRow = path.row - 1;
    if (gridRow < 0)
        return {};
    int64_t hi = tiles - 1 - assetsPerRow * gridRow;
    if (hi < 0 || hi >= tiles)
        return {};
    int64_t lo = hi >= assetsPerRow - 1 ? hi - (assetsPerRow - 1) : 0;
    std::vector<std::shared_ptr<APAsset>> row;
    for (int64_t i = hi; i >= lo; --i)
        row.push_back(_assets[static_cast<size_t>(i)]);
    return row;
}

void APAssetTablePicker::scrollTableViewToBottom()
{
    tableView()->scrollToRowAtIndexPath(
        plat::IndexPath::indexPathForRow(rowCount() - 1, 0), plat::TableViewScrollPosition::Bottom, /*animated=*/false);
}

// Selection

int64_t APAssetTablePicker::totalSelectedAssets() const
{
    return std::count_if(_assets.begin(), _assets.end(), [](const auto& tile) { return tile->isSelected(); });
}

void APAssetTablePicker::tileSelected(const std::shared_ptr<APAsset>& tile)
{
    int64_t selected = totalSelectedAssets();
    if (selected == 0)
        setTitle(APImagePickerBundle::localizedString(_isVideoPicker ? "SelectVideosKey" : "SelectPhotosKey"));
    else if (selected == 1)
        setTitle(APImagePickerBundle::localizedString(_isVideoPicker ? "Video1" : "Photo1"));
    else
        setTitle(APImagePickerBundle::localizedCount(_isVideoPicker ? "VideosCountKey" : "PhotosCountKey", selected));
    if (_doneButton)
        _doneButton->setEnabled(true);
    const auto& asset = tile->asset();
    if (_multiSelection) {
        // A tile whose asset never came (the album shrank meanwhile) has nothing to hand over.
        if (!asset)
            return;
        auto listed = std::find_if(_selectedAssetsImages.begin(), _selectedAssetsImages.end(),
            [&](const auto& chosen) { return *chosen == *asset; });
        if (tile->isSelected() && listed == _selectedAssetsImages.end())
            _selectedAssetsImages.push_back(asset);
        else if (!tile->isSelected() && listed != _selectedAssetsImages.end())
            _selectedAssetsImages.erase(listed);
        return;
    }
    if (_didFinishSelectingAssets && asset) {
        auto finish = _didFinishSelectingAssets;
        finish({asset});
    }
}

void APAssetTablePicker::actionSelectAll()
{
    auto tiles = _assets;  // a callback may change the grid
    for (const auto& tile : tiles) {
        tile->setSelected(true);
        tileSelected(tile);
    }
}

void APAssetTablePicker::actionDeselectAll()
{
    auto tiles = _assets;
    for (const auto& tile : tiles) {
        tile->setSelected(false);
        tileSelected(tile);
    }
}

void APAssetTablePicker::actionInverse()
{
    auto tiles = _assets;
    for (const auto& tile : tiles)
        tile->toggleSelection();
}

void APAssetTablePicker::doneAction()
{
    if (auto finish = _didFinishSelectingAssets)
        finish(std::vector<std::shared_ptr<plat::Asset>>(_selectedAssetsImages));
}

}  // namespace zt
