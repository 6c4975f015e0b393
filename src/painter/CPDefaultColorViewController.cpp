#include "painter/CPDefaultColorViewController.h"

#include "painter/CPColorPicker.h"
#include "platform/ui/Application.h"

namespace zt {

CPDefaultColorViewController::CPDefaultColorViewController()
{
    setContentSizeForViewInPopover(kPopoverSize);
}

void CPDefaultColorViewController::loadView()
{
    auto root = std::make_shared<plat::View>(plat::makeRect(0, 0, kPopoverSize.width, kPopoverSize.height));
    root->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
    root->setBackgroundColor(plat::Color::clearColor());
    setView(root);

    _picker = CPColorPicker::initWithFrame(root->bounds());
    _picker->setBackgroundColor(plat::Color::clearColor());
    _picker->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
    root->addSubview(_picker);
    _picker->setSelectedColor(_selectedColor);
    _picker->setOldColor(_selectedColor);
    // Wired last, so that loading tells the delegate nothing.
    _picker->addTarget(this, &CPDefaultColorViewController::pickerChanged, plat::ControlEventValueChanged);
}

void CPDefaultColorViewController::pickerChanged(CPColorPicker& picker)
{
    _selectedColor = picker.selectedColor();
    if (auto delegate = _delegate.lock())
        delegate->defaultColorController(*this, _selectedColor);
}

unsigned CPDefaultColorViewController::supportedInterfaceOrientations() const
{
    return plat::InterfaceOrientationMaskAll;
}

}  // namespace zt
