#include "capture/APAsset.h"

#include "capture/APImagePickerBundle.h"
#include "platform/library/Asset.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/TapGestureRecognizer.h"

namespace zt {

APAsset::APAsset()
{
    _imageView = std::make_shared<plat::ImageView>(bounds());
    _imageView->setContentMode(plat::ContentMode::ScaleAspectFill);
    _imageView->setClipsToBounds(true);
    _imageView->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
    _imageView->setHidden(true);
    _overlayView = std::make_shared<plat::ImageView>(bounds());
    _overlayView->setImage(APImagePickerBundle::overlayImage());
    _overlayView->setContentMode(plat::ContentMode::ScaleToFill);
    _overlayView->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
    _overlayView->setHidden(true);
    // The views and the tap join the tile once it is shared, at its first layout.
}

bool APAsset::isSelected() const
{
    return !_overlayView->isHidden();
}

void APAsset::setSelected(bool selected)
{
    _overlayView->setHidden(!selected);
}

void APAsset::toggleSelection()
{
    setSelected(!isSelected());
    // The block may change the grid; the tile stays alive while it runs.
    auto self = sharedAs<APAsset>();
    if (auto block = _didSelectAssetBlock)
        block(self);
}

void APAsset::showThumbnail(std::shared_ptr<plat::Image> thumbnail)
{
    _imageView->setImage(std::move(thumbnail));
    _imageView->setHidden(false);
    setBackgroundColor(plat::Color::redColor());
}

std::string APAsset::accessibilityLabel() const
{
    return _asset ? _asset->photoAsset().fileName : std::string();
}

void APAsset::layoutSubviews()
{
    plat::View::layoutSubviews();
    if (_imageView->superview().get() != this) {
        addSubview(_imageView);
        addSubview(_overlayView);
        auto tap = std::make_shared<plat::TapGestureRecognizer>();
        tap->addTarget(this, &APAsset::tapped);
        addGestureRecognizer(tap);
    }
    _imageView->setFrame(bounds());
    _overlayView->setFrame(bounds());
}

void APAsset::tapped()
{
    toggleSelection();
}

}  // namespace zt
