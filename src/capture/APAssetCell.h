#pragma once
#include <memory>
#include <string>
#include <vector>

#include "capture/APAsset.h"
#include "platform/ui/TableViewCell.h"

namespace zt {

// A row of the photo picker's grid: up to four tiles side by side, placed
// at cellPadding from each other. Tiles belong to the grid; a cell shows
// whichever it is given. Main thread.
class APAssetCell : public plat::TableViewCell {
public:
    static constexpr double cellPadding = 4.0;
    // Tiles carry this tag while a cell shows them.
    static constexpr int64_t kTileTag = 131;

    explicit APAssetCell(std::string reuseIdentifier);

    const std::vector<std::shared_ptr<APAsset>>& assets() const { return _assets; }
    // Takes the cell's previous tiles away and shows these, left to right.
    void setAssets(std::vector<std::shared_ptr<APAsset>> assets);
    const APAsset::SelectBlock& didSelectAssetBlock() const { return _didSelectAssetBlock; }
    void setDidSelectAssetBlock(APAsset::SelectBlock block) { _didSelectAssetBlock = std::move(block); }

    void layoutSubviews() override;

private:
    std::vector<std::shared_ptr<APAsset>> _assets;
    APAsset::SelectBlock _didSelectAssetBlock;
};

}  // namespace zt
