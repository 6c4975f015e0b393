#pragma once
#include <memory>

#include "platform/ui/View.h"

namespace plat {
class Image;

// The platform's image view: shows its picture (or the highlighted one)
// through its layer's contents, placed by the content mode; a stretchable
// picture keeps its cap insets; a template picture is drawn in the tint
// colour. Not interactive by default.
class ImageView : public View {
public:
    ImageView();
    explicit ImageView(Rect frame);
    // Sized to the picture.
    explicit ImageView(std::shared_ptr<const Image> image);

    const std::shared_ptr<const Image>& image() const { return _image; }
    void setImage(std::shared_ptr<const Image> image);
    const std::shared_ptr<const Image>& highlightedImage() const { return _highlightedImage; }
    void setHighlightedImage(std::shared_ptr<const Image> image);
    bool isHighlighted() const { return _highlighted; }
    void setHighlighted(bool highlighted);

    Size sizeThatFits(Size size) const override;
    // The picture's size; none without a picture.
    Size intrinsicContentSize() const override;
    void tintColorDidChange() override;

private:
    void updateContents();

    std::shared_ptr<const Image> _image;
    std::shared_ptr<const Image> _highlightedImage;
    bool _highlighted = false;
};

}  // namespace plat
