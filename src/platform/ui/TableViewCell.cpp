#include "platform/ui/TableViewCell.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCellParts.h"

namespace plat {

namespace {

constexpr double kAccessoryGap = 10;
constexpr double kDeleteButtonWidth = 82;
constexpr double kSeparatorThickness = 0.5;
const Color kSelectedBackground = Color::colorWithWhite(0.85, 1);
const Color kBlueSelectedBackground = Color::colorWithRed(0, 122 / 255.0, 1, 1);
// Dark enough that a detail reads on white (5.7:1).
const Color kDetailGray = Color::colorWithWhite(0.4, 1);

}  // namespace

TableViewCell::TableViewCell(TableViewCellStyle style, std::string reuseIdentifier)
    : View(makeRect(0, 0, 320, kDefaultHeight))
    , _style(style)
    , _reuseIdentifier(std::move(reuseIdentifier))
{
    makeParts();
}

TableViewCell::TableViewCell(Rect frame)
    : View(frame)
{
    makeParts();
}

TableViewCell::~TableViewCell() = default;

void TableViewCell::makeParts()
{
    setBackgroundColor(Color::whiteColor());
    _contentView = std::make_shared<View>(bounds());
    _textLabel = std::make_shared<Label>();
    _imageView = std::make_shared<ImageView>();
    switch (_style) {
    case TableViewCellStyle::Default:
        break;
    case TableViewCellStyle::Value1:
        _detailTextLabel = std::make_shared<Label>();
        _detailTextLabel->setTextColor(kDetailGray);
        _detailTextLabel->setTextAlignment(TextAlignment::Right);
        break;
    case TableViewCellStyle::Value2:
        _textLabel->setFont(Font::boldSystemFontOfSize(12));
        _textLabel->setTextColor(kBlueSelectedBackground);
        _textLabel->setTextAlignment(TextAlignment::Right);
        _detailTextLabel = std::make_shared<Label>();
        _detailTextLabel->setFont(Font::systemFontOfSize(14));
        break;
    case TableViewCellStyle::Subtitle:
        _textLabel->setFont(Font::systemFontOfSize(16));
        _detailTextLabel = std::make_shared<Label>();
        _detailTextLabel->setFont(Font::systemFontOfSize(11));
        break;
    }
    _separator = std::make_shared<View>();
    _separator->setUserInteractionEnabled(false);
    _separator->setBackgroundColor(Color::colorWithWhite(0.78, 1));
}

std::shared_ptr<TableView> TableViewCell::tableView() const
{
    return std::dynamic_pointer_cast<TableView>(superview());
}

void TableViewCell::prepareForReuse()
{
    _highlighted = false;
    _selected = false;
    showDeleteConfirmation(false, {});
    updateSelectionLook();
}

void TableViewCell::setBackgroundView(std::shared_ptr<View> view)
{
    if (_backgroundView && _backgroundView->superview().get() == this)
        _backgroundView->removeFromSuperview();
    _backgroundView = std::move(view);
    setNeedsLayout();
}

void TableViewCell::setSelectedBackgroundView(std::shared_ptr<View> view)
{
    if (_selectedBackgroundView && _selectedBackgroundView->superview().get() == this)
        _selectedBackgroundView->removeFromSuperview();
    _selectedBackgroundView = std::move(view);
    updateSelectionLook();
    setNeedsLayout();
}

void TableViewCell::setAccessoryType(TableViewCellAccessoryType type)
{
    if (type == _accessoryType)
        return;
    _accessoryType = type;
    updateAccessory();
}

void TableViewCell::setAccessoryView(std::shared_ptr<View> view)
{
    if (_accessoryView && _accessoryView->superview().get() == this)
        _accessoryView->removeFromSuperview();
    _accessoryView = std::move(view);
    updateAccessory();
}

void TableViewCell::updateAccessory()
{
    if (_builtInAccessory && _builtInAccessory->superview().get() == this)
        _builtInAccessory->removeFromSuperview();
    _builtInAccessory.reset();
    if (!_accessoryView) {
        switch (_accessoryType) {
        case TableViewCellAccessoryType::None:
            break;
        case TableViewCellAccessoryType::DisclosureIndicator:
            _builtInAccessory
                = std::make_shared<detail::CellAccessoryGlyph>(detail::CellAccessoryGlyph::Shape::Disclosure);
            break;
        case TableViewCellAccessoryType::Checkmark:
            _builtInAccessory
                = std::make_shared<detail::CellAccessoryGlyph>(detail::CellAccessoryGlyph::Shape::Checkmark);
            break;
        case TableViewCellAccessoryType::DetailDisclosureButton:
        case TableViewCellAccessoryType::DetailButton: {
            _builtInAccessory = std::make_shared<detail::CellDetailButton>();
            break;
        }
        }
    }
    setNeedsLayout();
}

void TableViewCell::setSelected(bool selected, bool)
{
    _selected = selected;
    updateSelectionLook();
}

void TableViewCell::setHighlighted(bool highlighted, bool)
{
    _highlighted = highlighted;
    updateSelectionLook();
}

void TableViewCell::updateSelectionLook()
{
    bool marked = (_selected || _highlighted) && _selectionStyle != TableViewCellSelectionStyle::None;
    if (marked && !_selectedBackgroundView) {
        _selectedBackgroundView = std::make_shared<View>(bounds());
        _selectedBackgroundView->setBackgroundColor(
            _selectionStyle == TableViewCellSelectionStyle::Blue ? kBlueSelectedBackground : kSelectedBackground);
    }
    if (_selectedBackgroundView)
        _selectedBackgroundView->setHidden(!marked);
    for (const auto& label : {_textLabel, _detailTextLabel})
        if (label)
            label->setHighlighted(marked);
    setNeedsLayout();
}

void TableViewCell::setEditing(bool editing, bool)
{
    if (editing == _editing)
        return;
    _editing = editing;
    if (!editing)
        showDeleteConfirmation(false, {});
    updateEditingParts();
}

void TableViewCell::setEditingStyle(TableViewCellEditingStyle style)
{
    _editingStyle = style;
    updateEditingParts();
}

void TableViewCell::setShowsReorderControl(bool shows)
{
    _showsReorderControl = shows;
    updateEditingParts();
}

void TableViewCell::updateEditingParts()
{
    bool control = _editing && _editingStyle != TableViewCellEditingStyle::None;
    if (control && !_editingControl)
        _editingControl = std::make_shared<detail::CellEditingControl>();
    if (_editingControl) {
        _editingControl->setEditingStyle(_editingStyle);
        _editingControl->setHidden(!control);
    }
    bool reorder = _editing && _showsReorderControl;
    if (reorder && !_reorderControl)
        _reorderControl = std::make_shared<detail::CellReorderControl>();
    if (_reorderControl)
        _reorderControl->setHidden(!reorder);
    setNeedsLayout();
}

void TableViewCell::showDeleteConfirmation(bool show, const std::string& title)
{
    _showingDeleteConfirmation = show;
    if (show && !_deleteButton) {
        _deleteButton = Button::buttonWithType(ButtonType::Custom);
        _deleteButton->setBackgroundColor(Color::colorWithRed(1, 59 / 255.0, 48 / 255.0, 1));
        _deleteButton->setTitleColor(Color::whiteColor(), ControlStateNormal);
        _deleteButton->addTarget(this, &TableViewCell::deleteConfirmationTapped, ControlEventTouchUpInside);
    }
    if (_deleteButton) {
        if (show)
            _deleteButton->setTitle(title, ControlStateNormal);
        _deleteButton->setHidden(!show);
    }
    setNeedsLayout();
}

void TableViewCell::deleteConfirmationTapped()
{
    if (auto table = tableView())
        table->deleteConfirmed(*this);
}

void TableViewCell::setSeparator(bool visible, const Color& color, EdgeInsets inset)
{
    _separator->setHidden(!visible);
    _separator->setBackgroundColor(color);
    if (inset != _separatorInset) {
        _separatorInset = inset;
        setNeedsLayout();
    }
}

std::shared_ptr<View> TableViewCell::editingControl() const
{
    return _editingControl && !_editingControl->isHidden() ? _editingControl : nullptr;
}

std::shared_ptr<View> TableViewCell::deleteConfirmationButton() const
{
    return _showingDeleteConfirmation ? _deleteButton : nullptr;
}

std::shared_ptr<View> TableViewCell::reorderControl() const
{
    return _reorderControl && !_reorderControl->isHidden() ? _reorderControl : nullptr;
}

double TableViewCell::accessoryWidth() const
{
    const auto& accessory = _accessoryView ? _accessoryView : _builtInAccessory;
    if (!accessory || _editing)
        return 0;
    return accessory->frame().width() + kAccessoryGap + kMargin;
}

void TableViewCell::layoutSubviews()
{
    Rect b = bounds();
    // Parts join the cell here: a view cannot take subviews before it is shared.
    auto place = [this](const std::shared_ptr<View>& part, size_t index) {
        if (part && part->superview().get() != this)
            insertSubview(part, std::min(index, subviews().size()));
    };
    size_t index = 0;
    if (_backgroundView) {
        place(_backgroundView, index++);
        _backgroundView->setFrame(b);
    }
    if (_selectedBackgroundView) {
        place(_selectedBackgroundView, index++);
        _selectedBackgroundView->setFrame(b);
    }
    place(_contentView, index++);
    place(_separator, subviews().size());

    double left = _editingControl && !_editingControl->isHidden() ? kEditingControlWidth : 0;
    double right = accessoryWidth();
    if (_reorderControl && !_reorderControl->isHidden())
        right = kReorderControlWidth;
    if (_showingDeleteConfirmation && _deleteButton)
        right = kDeleteButtonWidth;
    _contentView->setFrame(makeRect(left, 0, std::max(0.0, b.width() - left - right), b.height()));

    if (_editingControl) {
        place(_editingControl, subviews().size());
        _editingControl->setFrame(makeRect(0, 0, kEditingControlWidth, b.height()));
    }
    if (_reorderControl) {
        place(_reorderControl, subviews().size());
        _reorderControl->setFrame(makeRect(b.width() - kReorderControlWidth, 0, kReorderControlWidth, b.height()));
    }
    if (_deleteButton) {
        place(_deleteButton, subviews().size());
        _deleteButton->setFrame(makeRect(b.width() - kDeleteButtonWidth, 0, kDeleteButtonWidth, b.height()));
    }
    const auto& accessory = _accessoryView ? _accessoryView : _builtInAccessory;
    if (accessory) {
        place(accessory, subviews().size());
        Size size = accessory->frame().size;
        accessory->setFrame(makeRect(
            b.width() - kMargin - size.width, std::round((b.height() - size.height) / 2), size.width, size.height));
        accessory->setHidden(_editing || _showingDeleteConfirmation);
    }
    double thickness = kSeparatorThickness;
    _separator->setFrame(makeRect(_separatorInset.left, b.height() - thickness,
        std::max(0.0, b.width() - _separatorInset.left - _separatorInset.right), thickness));

    // The standard parts, by style, inside the content view.
    Rect content = _contentView->bounds();
    bool hasDetail = _detailTextLabel && !_detailTextLabel->text().empty();
    double x = kMargin;
    if (auto image = _imageView->image()) {
        if (_imageView->superview() != _contentView)
            _contentView->insertSubview(_imageView, 0);
        Size size = image->size();
        double height = std::min(size.height, content.height());
        double width = size.height > 0 ? size.width * height / size.height : size.width;
        _imageView->setFrame(makeRect(x, std::round((content.height() - height) / 2), width, height));
        x += width + kMargin;
    } else if (_imageView->superview()) {
        _imageView->removeFromSuperview();
    }
    double width = std::max(0.0, content.width() - x - kMargin);
    if (_textLabel->superview() != _contentView)
        _contentView->addSubview(_textLabel);
    if (_detailTextLabel && _detailTextLabel->superview() != _contentView)
        _contentView->addSubview(_detailTextLabel);
    switch (_style) {
    case TableViewCellStyle::Default:
        _textLabel->setFrame(makeRect(x, 0, width, content.height()));
        break;
    case TableViewCellStyle::Value1: {
        double detailWidth = hasDetail ? std::min(width / 2, _detailTextLabel->sizeThatFits({}).width) : 0;
        _textLabel->setFrame(makeRect(x, 0, width - detailWidth - (hasDetail ? kAccessoryGap : 0), content.height()));
        _detailTextLabel->setFrame(makeRect(x + width - detailWidth, 0, detailWidth, content.height()));
        break;
    }
    case TableViewCellStyle::Value2: {
        double column = std::round(width * 0.3);
        _textLabel->setFrame(makeRect(x, 0, column, content.height()));
        _detailTextLabel->setFrame(makeRect(x + column + 6, 0, width - column - 6, content.height()));
        break;
    }
    case TableViewCellStyle::Subtitle: {
        double textHeight = std::ceil(_textLabel->font().lineHeight());
        double detailHeight = hasDetail ? std::ceil(_detailTextLabel->font().lineHeight()) : 0;
        double top = std::round((content.height() - textHeight - detailHeight) / 2);
        _textLabel->setFrame(makeRect(x, top, width, textHeight));
        _detailTextLabel->setFrame(makeRect(x, top + textHeight, width, detailHeight));
        break;
    }
    }
}

std::string TableViewCell::accessibilityLabel() const
{
    std::string label = View::accessibilityLabel();
    if (!label.empty())
        return label;
    return _textLabel->text();
}

}  // namespace plat
