#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/ui/View.h"

namespace plat {
class Button;
class Control;
class Image;
class Label;
class PopoverController;
}  // namespace plat

namespace zt {
class CAGridViewItem;

// Hears of taps on items that do not sit in a system popover.
class CAGridViewItemDelegate {
public:
    virtual ~CAGridViewItemDelegate() = default;
    virtual void didClickOnItem(CAGridViewItem& item, const std::function<void()>& block) = 0;
};

// One titled picture of a grid menu that runs its block when tapped: a
// picture button, the title below it and an invisible button over the whole
// item that also takes taps. Main thread.
class CAGridViewItem : public plat::View {
public:
    static constexpr double kItemSide = 100;
    static constexpr double kLabelHeight = 40;
    static constexpr double kTitleFontSize = 12;
    // The font shrinks until the title takes no more than one line of this height.
    static constexpr double kOneLineHeight = 15.0;
    static constexpr double kSmallestShrunkSize = 8;
    static constexpr double kFallbackFontSize = 10;

    // Use initWithTitle: views join a tree only once they are shared.
    explicit CAGridViewItem(std::string title, std::shared_ptr<const plat::Image> image, std::function<void()> block);
    static std::shared_ptr<CAGridViewItem> initWithTitle(
        std::string title, std::shared_ptr<const plat::Image> image, std::function<void()> block);

    const std::shared_ptr<const plat::Image>& image() const { return _image; }
    const std::string& titleText() const { return _titleText; }
    const std::function<void()>& block() const { return _block; }
    const std::shared_ptr<plat::Button>& button() const { return _button; }
    const std::shared_ptr<plat::Label>& label() const { return _label; }
    const std::shared_ptr<plat::Button>& targetZoneButton() const { return _targetZoneButton; }

    bool isEnabled() const { return _isEnabled; }
    // The label and both buttons follow.
    void setIsEnabled(bool enabled);
    // None is ignored.
    void setLabelColor(std::optional<plat::Color> color);
    // None is ignored; a set font is shrunk at once while shrinking is on.
    void setLabelFont(std::optional<plat::Font> font);
    bool isLabelFontAutoShrink() const { return _isLabelFontAutoShrink; }
    // On: the title font shrinks now and at every layout pass.
    void setIsLabelFontAutoShrink(bool shrink);

    std::shared_ptr<plat::PopoverController> popover() const { return _popover.lock(); }
    void setPopover(std::weak_ptr<plat::PopoverController> popover) { _popover = std::move(popover); }
    std::shared_ptr<CAGridViewItemDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(std::weak_ptr<CAGridViewItemDelegate> delegate) { _delegate = std::move(delegate); }

    // An opaque colour of random red, green and blue steps of 1/255 up to 254/255.
    static plat::Color getRandomColor();

    // Sent by both buttons.
    virtual void clickItem(plat::Control& sender);

    void layoutSubviews() override;

protected:
    // Builds the buttons and the label; called once the item is shared.
    virtual void setUp();

private:
    void shrinkLabelFont();

    std::shared_ptr<const plat::Image> _image;
    std::string _titleText;
    std::function<void()> _block;
    std::shared_ptr<plat::Button> _button;
    std::shared_ptr<plat::Label> _label;
    std::shared_ptr<plat::Button> _targetZoneButton;
    bool _isLabelFontAutoShrink = false;
    bool _isEnabled = true;
    std::weak_ptr<plat::PopoverController> _popover;
    std::weak_ptr<CAGridViewItemDelegate> _delegate;
};

}  // namespace zt
