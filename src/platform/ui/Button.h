#pragma once
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/EdgeInsets.h"
#include "platform/ui/Control.h"

namespace plat {
class Image;
class ImageView;
class Label;

enum class ButtonType : int {
    Custom = 0,
    System = 1,
    DetailDisclosure = 2,
    InfoLight = 3,
    InfoDark = 4,
    ContactAdd = 5
};

// The platform's button: a title, title colour, image and background
// picture per state (a state without its own falls back to normal), shown
// by a background image view, an image view and a title label laid out in
// its bounds (image left of the title, by the content alignment and insets).
// A system button's title takes the tint colour and dims while touched.
class Button : public Control {
public:
    static std::shared_ptr<Button> buttonWithType(ButtonType type);
    Button();
    explicit Button(Rect frame);

    ButtonType buttonType() const { return _type; }

    void setTitle(std::optional<std::string> title, unsigned state);
    std::optional<std::string> titleForState(unsigned state) const;
    void setTitleColor(std::optional<Color> color, unsigned state);
    std::optional<Color> titleColorForState(unsigned state) const;
    void setImage(std::shared_ptr<const Image> image, unsigned state);
    std::shared_ptr<const Image> imageForState(unsigned state) const;
    void setBackgroundImage(std::shared_ptr<const Image> image, unsigned state);
    std::shared_ptr<const Image> backgroundImageForState(unsigned state) const;

    std::string currentTitle() const;
    Color currentTitleColor() const;
    std::shared_ptr<const Image> currentImage() const;
    std::shared_ptr<const Image> currentBackgroundImage() const;

    const std::shared_ptr<Label>& titleLabel() const { return _titleLabel; }
    const std::shared_ptr<ImageView>& imageView() const { return _imageView; }

    EdgeInsets contentEdgeInsets() const { return _contentEdgeInsets; }
    void setContentEdgeInsets(EdgeInsets insets);
    EdgeInsets titleEdgeInsets() const { return _titleEdgeInsets; }
    void setTitleEdgeInsets(EdgeInsets insets);
    EdgeInsets imageEdgeInsets() const { return _imageEdgeInsets; }
    void setImageEdgeInsets(EdgeInsets insets);
    bool adjustsImageWhenHighlighted() const { return _adjustsImageWhenHighlighted; }
    void setAdjustsImageWhenHighlighted(bool adjusts) { _adjustsImageWhenHighlighted = adjusts; }
    bool showsTouchWhenHighlighted() const { return _showsTouchWhenHighlighted; }
    void setShowsTouchWhenHighlighted(bool shows) { _showsTouchWhenHighlighted = shows; }

    Size sizeThatFits(Size size) const override;
    Size intrinsicContentSize() const override { return sizeThatFits({}); }
    void layoutSubviews() override;
    void tintColorDidChange() override;
    std::string accessibilityLabel() const override;

protected:
    explicit Button(ButtonType type);
    void stateDidChange() override;

private:
    template <typename T> static std::optional<T> lookup(const std::map<unsigned, T>& table, unsigned state);
    void updateContent();
    void makeParts();

    ButtonType _type = ButtonType::Custom;
    std::map<unsigned, std::string> _titles;
    std::map<unsigned, Color> _titleColors;
    std::map<unsigned, std::shared_ptr<const Image>> _images;
    std::map<unsigned, std::shared_ptr<const Image>> _backgroundImages;
    std::shared_ptr<ImageView> _backgroundView;
    std::shared_ptr<ImageView> _imageView;
    std::shared_ptr<Label> _titleLabel;
    EdgeInsets _contentEdgeInsets;
    EdgeInsets _titleEdgeInsets;
    EdgeInsets _imageEdgeInsets;
    bool _adjustsImageWhenHighlighted = true;
    bool _showsTouchWhenHighlighted = false;
};

}  // namespace plat
