#include "uikit/APTextFieldCell.h"

#include <cmath>

#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "uikit/APInsetTextField.h"

namespace zt {

namespace {

const plat::Color kCaptionColour = plat::Color::colorWithRed(0.285, 0.376, 0.541, 1.0);
constexpr double kImageGap = 5;

// Hands the field's events to the cell; the cell owns it and the field
// holds it weakly, so nothing reaches a cell that is gone.
class FieldEventForwarder : public plat::TextFieldDelegate {
public:
    explicit FieldEventForwarder(APTextFieldCell& cell)
        : _cell(cell)
    {
    }
    bool textFieldShouldBeginEditing(plat::TextField& field) override
    {
        return _cell.textFieldShouldBeginEditing(field);
    }
    void textFieldDidBeginEditing(plat::TextField& field) override { _cell.textFieldDidBeginEditing(field); }
    bool textFieldShouldEndEditing(plat::TextField& field) override { return _cell.textFieldShouldEndEditing(field); }
    void textFieldDidEndEditing(plat::TextField& field) override { _cell.textFieldDidEndEditing(field); }
    bool textFieldShouldChangeCharactersInRangeReplacementString(
        plat::TextField& field, plat::Range range, const std::string& string) override
    {
        return _cell.textFieldShouldChangeCharactersInRangeReplacementString(field, range, string);
    }
    bool textFieldShouldClear(plat::TextField& field) override { return _cell.textFieldShouldClear(field); }
    bool textFieldShouldReturn(plat::TextField& field) override { return _cell.textFieldShouldReturn(field); }

private:
    APTextFieldCell& _cell;  // owns this forwarder
};

}  // namespace

APTextFieldCell::APTextFieldCell(plat::TableViewCellStyle style, std::string reuseIdentifier)
    : plat::TableViewCell(style, std::move(reuseIdentifier))
    , _fieldDelegate(std::make_shared<FieldEventForwarder>(*this))
{
    _leftLabel = std::make_shared<plat::Label>(plat::Rect {});
    _leftLabel->setBackgroundColor(plat::Color::clearColor());
    _leftLabel->setTextColor(kCaptionColour);
    _leftLabel->setFont(plat::Font::fontWithName("Helvetica", kFontSize));
    _leftLabel->setTextAlignment(plat::TextAlignment::Right);
    _leftLabel->setNumberOfLines(2);

    _rightTextField = std::make_shared<APInsetTextField>(plat::Rect {});
    _rightTextField->setContentVerticalAlignment(plat::ControlContentVerticalAlignment::Center);
    _rightTextField->setDelegate(_fieldDelegate);
    _rightTextField->setFont(plat::Font::systemFontOfSize(kFontSize));
    _rightTextField->setReturnKeyType(plat::ReturnKeyType::Done);

    setBackgroundColor(plat::Color::colorWithWhite(1.0, 0.0));
}

APTextFieldCell::~APTextFieldCell()
{
    _delegate.reset();
    if (_rightTextField->isFirstResponder())
        _rightTextField->resignFirstResponder();
}

void APTextFieldCell::setLeftLabelText(std::optional<std::string> text)
{
    _leftLabelText = std::move(text);
    _leftLabel->setText(_leftLabelText.value_or(std::string()));
    setNeedsLayout();
}

void APTextFieldCell::layoutSubviews()
{
    plat::TableViewCell::layoutSubviews();
    // The parts join here: a view takes subviews only once it is shared.
    for (const std::shared_ptr<plat::View>& part :
        {std::shared_ptr<plat::View>(_leftLabel), std::shared_ptr<plat::View>(_rightTextField)})
        if (part->superview().get() != this)
            addSubview(part);
    const plat::Rect r = contentView()->frame();
    if (_leftLabelText) {
        _leftLabel->setHidden(false);
        _leftLabel->setFrame(plat::makeRect(r.minX(), r.minY(), kCaptionWidth, r.height() - 1));
        _rightTextField->setFrame(plat::makeRect(r.minX() + kFieldLeft, r.minY(), r.width() - 140, r.height()));
    } else {
        _leftLabel->setHidden(true);
        double imageWidth = 0;
        if (const auto& image = imageView()->image())
            imageWidth = std::trunc(image->size().width + kImageGap);
        _rightTextField->setFrame(
            plat::makeRect(r.minX() + imageWidth + 10, r.minY(), r.width() - imageWidth - 20, r.height() - 1));
    }
    setNeedsDisplay();
}

void APTextFieldCell::setSelected(bool selected, bool animated)
{
    plat::TableViewCell::setSelected(selected, animated);
}

bool APTextFieldCell::textFieldShouldReturn(plat::TextField& textField)
{
    auto self = sharedAs<APTextFieldCell>();
    if (auto delegate = _delegate.lock()) {
        auto answer = delegate->textFieldCellShouldReturnForIndexPathWithValue(*this, reportedPath(), textField.text());
        if (answer && !*answer)
            return false;
    }
    textField.resignFirstResponder();
    return true;
}

bool APTextFieldCell::textFieldShouldChangeCharactersInRangeReplacementString(
    plat::TextField& textField, plat::Range range, const std::string& string)
{
    const std::string& text = textField.text();
    std::string changed
        = plat::substringToIndex(text, range.location) + string + plat::substringFromIndex(text, range.end());
    if (auto delegate = _delegate.lock())
        delegate->textFieldCellUpdateTextLabelAtIndexPathString(*this, reportedPath(), changed);
    return true;
}

bool APTextFieldCell::textFieldShouldClear(plat::TextField&)
{
    if (auto delegate = _delegate.lock())
        delegate->updateTextLabelAtIndexPath(reportedPath(), std::nullopt);
    return true;
}

bool APTextFieldCell::textFieldShouldBeginEditing(plat::TextField& textField)
{
    auto delegate = _delegate.lock();
    return !delegate || delegate->textFieldShouldBeginEditing(textField);
}

bool APTextFieldCell::textFieldShouldEndEditing(plat::TextField& textField)
{
    auto delegate = _delegate.lock();
    return !delegate || delegate->textFieldShouldEndEditing(textField);
}

void APTextFieldCell::textFieldDidBeginEditing(plat::TextField& textField)
{
    if (auto delegate = _delegate.lock())
        delegate->textFieldDidBeginEditing(textField);
}

void APTextFieldCell::textFieldDidEndEditing(plat::TextField& textField)
{
    if (auto delegate = _delegate.lock())
        delegate->textFieldDidEndEditing(textField);
}

void APInsetTextFieldCell::setFrame(plat::Rect frame)
{
    APTextFieldCell::setFrame(plat::insetRect(frame, _inset));
}

void APInsetTextFieldCell::layoutSubviews()
{
    APTextFieldCell::layoutSubviews();
    plat::Rect field = rightTextField()->frame();
    rightTextField()->setFrame(plat::insetRect(field, {kFieldVerticalInset, 0, kFieldVerticalInset, 0}));
}

}  // namespace zt
