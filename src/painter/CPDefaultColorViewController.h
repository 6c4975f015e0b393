#pragma once
#include <memory>

#include "platform/graphics/Color.h"
#include "platform/ui/ViewController.h"

namespace zt {
class CPColorPicker;
class CPDefaultColorViewController;

class CPDefaultColorControllerDelegate {
public:
    virtual ~CPDefaultColorControllerDelegate() = default;
    virtual void defaultColorController(CPDefaultColorViewController& controller, const plat::Color& color) = 0;
};

// The colour picker in a popover: wheel and brightness, every change
// handed to the delegate at once (there is no confirm step). The
// caller sets the colour before the view loads; loading tells the delegate
// nothing. Main queue.
class CPDefaultColorViewController : public plat::ViewController {
public:
    static constexpr plat::Size kPopoverSize {250, 180};

    CPDefaultColorViewController();

    const plat::Color& selectedColor() const { return _selectedColor; }
    void setSelectedColor(const plat::Color& color) { _selectedColor = color; }
    std::shared_ptr<CPDefaultColorControllerDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(std::weak_ptr<CPDefaultColorControllerDelegate> delegate) { _delegate = std::move(delegate); }
    // The picker, once the view is loaded.
    const std::shared_ptr<CPColorPicker>& picker() const { return _picker; }

    void loadView() override;
    void pickerChanged(CPColorPicker& picker);
    unsigned supportedInterfaceOrientations() const override;
    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation) const override { return true; }

private:
    plat::Color _selectedColor = plat::Color::whiteColor();
    std::weak_ptr<CPDefaultColorControllerDelegate> _delegate;
    std::shared_ptr<CPColorPicker> _picker;
};

}  // namespace zt
