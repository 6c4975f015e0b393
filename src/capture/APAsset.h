#pragma once
#include <functional>
#include <memory>
#include <string>

#include "platform/ui/View.h"

namespace plat {
class Asset;
class Image;
class ImageView;
}  // namespace plat

namespace zt {

// One tile of the photo picker's grid: a library asset's thumbnail and,
// when selected, the selection mark over it. A tile is selected exactly
// when its mark shows. A tap flips the mark and tells didSelectAssetBlock.
// Main thread.
class APAsset : public plat::View {
public:
    using SelectBlock = std::function<void(const std::shared_ptr<APAsset>& tile)>;

    APAsset();

    // nullptr until the album's enumeration gives the tile its asset.
    const std::shared_ptr<plat::Asset>& asset() const { return _asset; }
    void setAsset(std::shared_ptr<plat::Asset> asset) { _asset = std::move(asset); }
    const std::shared_ptr<plat::ImageView>& imageView() const { return _imageView; }
    const std::shared_ptr<plat::ImageView>& overlayView() const { return _overlayView; }
    const SelectBlock& didSelectAssetBlock() const { return _didSelectAssetBlock; }
    void setDidSelectAssetBlock(SelectBlock block) { _didSelectAssetBlock = std::move(block); }

    bool isSelected() const;
    // Only shows or hides the mark; nobody is told.
    void setSelected(bool selected);
    // Flips the mark, then calls didSelectAssetBlock with the tile.
    void toggleSelection();
    // The thumbnail in the image view, which shows from now on, red behind it.
    void showThumbnail(std::shared_ptr<plat::Image> thumbnail);

    // The asset's file name, for people who cannot see the picture.
    std::string accessibilityLabel() const override;
    void layoutSubviews() override;

private:
    void tapped();

    std::shared_ptr<plat::Asset> _asset;
    std::shared_ptr<plat::ImageView> _imageView;
    std::shared_ptr<plat::ImageView> _overlayView;
    SelectBlock _didSelectAssetBlock;
};

}  // namespace zt
