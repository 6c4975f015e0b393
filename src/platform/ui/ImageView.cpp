#include "platform/ui/ImageView.h"

#include <algorithm>

#include "platform/graphics/Image.h"
#include "platform/ui/Layer.h"
#include "platform/ui/TemplateImage.h"

namespace plat {

ImageView::ImageView()
    : ImageView(Rect {})
{
}

ImageView::ImageView(Rect frame)
    : View(frame)
{
    setUserInteractionEnabled(false);
}

ImageView::ImageView(std::shared_ptr<const Image> image)
    : View(image ? Rect {{0, 0}, image->size()} : Rect {})
{
    setUserInteractionEnabled(false);
    setImage(std::move(image));
}

void ImageView::setImage(std::shared_ptr<const Image> image)
{
    _image = std::move(image);
    updateContents();
    invalidateIntrinsicContentSize();
}

Size ImageView::intrinsicContentSize() const
{
    if (!_image)
        return {kNoIntrinsicMetric, kNoIntrinsicMetric};
    return _image->size();
}

void ImageView::setHighlightedImage(std::shared_ptr<const Image> image)
{
    _highlightedImage = std::move(image);
    updateContents();
}

void ImageView::setHighlighted(bool highlighted)
{
    _highlighted = highlighted;
    updateContents();
}

void ImageView::tintColorDidChange()
{
    updateContents();
}

void ImageView::updateContents()
{
    std::shared_ptr<const Image> shown = _highlighted && _highlightedImage ? _highlightedImage : _image;
    if (shown && shown->renderingMode() == ImageRenderingMode::AlwaysTemplate)
        shown = detail::tintedImage(*shown, tintColor());
    // Cap insets become the layer's stretchable centre, in unit coordinates.
    Rect center {{0, 0}, {1, 1}};
    if (shown) {
        const EdgeInsets& caps = shown->capInsets();
        Size size = shown->size();
        if (caps != EdgeInsets {} && size.width > 0 && size.height > 0) {
            double left = std::clamp(caps.left / size.width, 0.0, 1.0);
            double top = std::clamp(caps.top / size.height, 0.0, 1.0);
            double right = std::clamp(caps.right / size.width, 0.0, 1.0 - left);
            double bottom = std::clamp(caps.bottom / size.height, 0.0, 1.0 - top);
            center = {{left, top}, {1 - left - right, 1 - top - bottom}};
        }
    }
    layer()->setContentsCenter(center);
    layer()->setContents(std::move(shown));
}

Size ImageView::sizeThatFits(Size) const
{
    return _image ? _image->size() : Size {};
}

}  // namespace plat
