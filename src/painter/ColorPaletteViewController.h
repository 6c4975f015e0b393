#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "painter/CPDefaultColorViewController.h"
#include "platform/graphics/Color.h"
#include "platform/ui/ViewController.h"
#include "uikit/BubblePopoverController.h"

namespace plat {
class Button;
}

namespace zt {

class ColorPaletteDelegate {
public:
    virtual ~ColorPaletteDelegate() = default;
    virtual void colorPaleteDidSelectColor(const plat::Color& color, int64_t index) = 0;
    virtual void colorPaleteDidSelectHide() = 0;
};

// The painter's bar of nine round colour swatches (the layout
// "ColorPaletteViewController"). A tap on a swatch selects its colour; a
// tap on the selected one opens the colour picker over it, which recolours
// the swatch as the person picks and tells the delegate when it closes.
// Main queue.
class ColorPaletteViewController : public plat::ViewController,
                                   public CPDefaultColorControllerDelegate,
                                   public BubblePopoverControllerDelegate {
public:
    static constexpr const char* kLayoutName = "ColorPaletteViewController";
    static constexpr int64_t kColorCount = 9;

    ColorPaletteViewController();
    ~ColorPaletteViewController() override;

    std::shared_ptr<ColorPaletteDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(std::weak_ptr<ColorPaletteDelegate> delegate) { _delegate = std::move(delegate); }

    void loadView() override;
    void viewDidLoad() override;
    void viewDidUnload();

    // Indexes outside 0...8 change nothing (and read as clear).
    void setColor(const plat::Color& color, int64_t index);
    plat::Color getColorAtIndex(int64_t index) const;
    std::vector<plat::Color> getColors() const;
    void setSelectedColorAtIndex(int64_t index);
    void hideColors();
    void showHide();

    void actionChangeColor(plat::Button& sender);
    void actionHide();
    void showColorPickerFromButton(plat::Button& button, const plat::Color& color);

    const std::vector<std::shared_ptr<plat::Button>>& buttons() const { return _buttons; }
    const std::shared_ptr<plat::Button>& selectedButton() const { return _selectedButton; }
    const std::shared_ptr<plat::Button>& btnHide() const { return _btnHide; }
    const std::shared_ptr<BubblePopoverController>& popoverController() const { return _popoverController; }

    void defaultColorController(CPDefaultColorViewController& controller, const plat::Color& color) override;
    void popoverControllerDidDismissPopover(BubblePopoverController& controller) override;
    bool popoverControllerShouldDismissPopover(BubblePopoverController&) override { return true; }

private:
    void select(const std::shared_ptr<plat::Button>& button);
    std::shared_ptr<plat::Button> buttonAtIndex(int64_t index) const;
    void reportSelectedColor();

    std::weak_ptr<ColorPaletteDelegate> _delegate;
    std::vector<std::shared_ptr<plat::Button>> _buttons;
    std::shared_ptr<plat::Button> _btnHide;
    std::shared_ptr<plat::Button> _selectedButton;
    std::shared_ptr<BubblePopoverController> _popoverController;
};

// Registers "ColorPaletteViewController": the nine swatches (outlets
// "btnColor1" to "btnColor9", tags 0 to 8) centred in a dark bar, and the
// hide button ("btnHide") in their middle. Main queue.
void registerColorPaletteLayout();

}  // namespace zt
