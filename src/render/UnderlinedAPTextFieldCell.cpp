#include "render/UnderlinedAPTextFieldCell.h"

#include "uikit/APInsetTextField.h"

namespace zt {

UnderlinedAPTextFieldCell::UnderlinedAPTextFieldCell(plat::TableViewCellStyle style, std::string reuseIdentifier)
    : APTextFieldCell(style, std::move(reuseIdentifier))
{
    auto line = std::make_shared<plat::View>(plat::Rect {});
    line->setBackgroundColor(plat::Color::blackColor());
    setBlackLine(std::move(line));
}

void UnderlinedAPTextFieldCell::setBlackLine(std::shared_ptr<plat::View> line)
{
    if (_blackLine && _blackLine->superview().get() == this)
        _blackLine->removeFromSuperview();
    _blackLine = std::move(line);
    setNeedsLayout();
}

void UnderlinedAPTextFieldCell::layoutSubviews()
{
    APTextFieldCell::layoutSubviews();
    if (!_blackLine)
        return;
    if (_blackLine->superview().get() != this)
        addSubview(_blackLine);
    const plat::Rect field = rightTextField()->frame();
    _blackLine->setFrame(plat::makeRect(field.minX(), kLineTop, field.width(), 1));
}

}  // namespace zt
