#include "capture/APAssetCell.h"

namespace zt {

namespace {

constexpr double kTileWidthShare = 0.25;
constexpr double kTileWidthLoss = 5.0;

}  // namespace

APAssetCell::APAssetCell(std::string reuseIdentifier)
    : plat::TableViewCell(plat::TableViewCellStyle::Default, std::move(reuseIdentifier))
{
    setSelectionStyle(plat::TableViewCellSelectionStyle::None);
}

void APAssetCell::setAssets(std::vector<std::shared_ptr<APAsset>> assets)
{
    auto shown = contentView()->subviews();  // removing changes the list
    for (const auto& view : shown)
        if (view->tag() == kTileTag)
            view->removeFromSuperview();
    _assets = std::move(assets);
    for (const auto& tile : _assets) {
        tile->setDidSelectAssetBlock(_didSelectAssetBlock);
        tile->setTag(kTileTag);
        contentView()->addSubview(tile);
    }
    setNeedsLayout();
}

void APAssetCell::layoutSubviews()
{
    plat::TableViewCell::layoutSubviews();
    plat::Rect cell = bounds();
    double width = cell.width() * kTileWidthShare - kTileWidthLoss;
    double x = cellPadding;
    for (const auto& tile : _assets) {
        tile->setFrame(plat::makeRect(x, cellPadding / 2, width, cell.height() - cellPadding));
        x += width + cellPadding;
    }
}

}  // namespace zt
