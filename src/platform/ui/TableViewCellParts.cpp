#include "platform/ui/TableViewCellParts.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"

namespace plat::detail {

namespace {

const Color kDeleteRed = Color::colorWithRed(1, 59 / 255.0, 48 / 255.0, 1);
const Color kInsertGreen = Color::colorWithRed(76 / 255.0, 217 / 255.0, 100 / 255.0, 1);
const Color kGripGray = Color::colorWithWhite(0.7, 1);

std::string cellText(const View& part)
{
    auto cell = enclosingCell(part);
    return cell && cell->textLabel() ? cell->textLabel()->text() : std::string();
}

std::shared_ptr<TableView> tableOf(const View& part)
{
    auto cell = enclosingCell(part);
    return cell ? std::dynamic_pointer_cast<TableView>(cell->superview()) : nullptr;
}

}  // namespace

std::shared_ptr<TableViewCell> enclosingCell(const View& view)
{
    for (auto super = view.superview(); super; super = super->superview())
        if (auto cell = std::dynamic_pointer_cast<TableViewCell>(super))
            return cell;
    return nullptr;
}

// Glyphs

CellAccessoryGlyph::CellAccessoryGlyph(Shape shape)
    : View(Rect {{0, 0}, shape == Shape::Disclosure ? kDisclosureSize : kCheckmarkSize})
    , _shape(shape)
{
    setUserInteractionEnabled(false);
    setAccessibilityIdentifier(shape == Shape::Disclosure ? "disclosure indicator" : "checkmark");
}

void CellAccessoryGlyph::drawRect(GraphicsContext& context, Rect)
{
    Rect b = bounds();
    context.setLineWidth(2);
    context.setLineCap(LineCap::Round);
    context.setLineJoin(LineJoin::Round);
    context.beginPath();
    if (_shape == Shape::Disclosure) {
        context.setStrokeColor(Color::colorWithWhite(0.78, 1));
        context.moveToPoint({b.minX() + 1, b.minY() + 1});
        context.addLineToPoint({b.maxX() - 1.5, b.midY()});
        context.addLineToPoint({b.minX() + 1, b.maxY() - 1});
    } else {
        context.setStrokeColor(tintColor());
        context.moveToPoint({b.minX() + 1, b.midY()});
        context.addLineToPoint({b.minX() + b.width() * 0.38, b.maxY() - 1});
        context.addLineToPoint({b.maxX() - 1, b.minY() + 1});
    }
    context.strokePath();
}

// Detail button

CellDetailButton::CellDetailButton()
    : Control(makeRect(0, 0, kDiameter, kDiameter))
{
    setBackgroundColor(Color::clearColor());
    addTarget(this, &CellDetailButton::tapped, ControlEventTouchUpInside);
}

void CellDetailButton::drawRect(GraphicsContext& context, Rect)
{
    Rect b = bounds();
    Color tint = isHighlighted() ? tintColor().colorWithAlphaComponent(0.3) : tintColor();
    context.setStrokeColor(tint);
    context.setLineWidth(1);
    context.strokeEllipseInRect(makeRect(b.minX() + 0.5, b.minY() + 0.5, b.width() - 1, b.height() - 1));
    context.setFillColor(tint);
    context.fillEllipseInRect(makeRect(b.midX() - 1, b.minY() + 5, 2, 2));
    context.fillRect(makeRect(b.midX() - 1, b.minY() + 9, 2, b.height() - 14));
}

void CellDetailButton::tapped()
{
    auto cell = enclosingCell(*this);
    if (auto table = tableOf(*this); table && cell)
        table->accessoryButtonTapped(*cell);
}

// Editing control

CellEditingControl::CellEditingControl()
    : Control(makeRect(0, 0, TableViewCell::kEditingControlWidth, TableViewCell::kDefaultHeight))
{
    setBackgroundColor(Color::clearColor());
    addTarget(this, &CellEditingControl::tapped, ControlEventTouchUpInside);
}

void CellEditingControl::setEditingStyle(TableViewCellEditingStyle style)
{
    _style = style;
    setNeedsDisplay();
}

void CellEditingControl::drawRect(GraphicsContext& context, Rect)
{
    Rect b = bounds();
    Rect circle = makeRect(b.midX() - kDiameter / 2, b.midY() - kDiameter / 2, kDiameter, kDiameter);
    context.setFillColor(_style == TableViewCellEditingStyle::Insert ? kInsertGreen : kDeleteRed);
    context.fillEllipseInRect(circle);
    context.setFillColor(Color::whiteColor());
    context.fillRect(makeRect(circle.minX() + 5, circle.midY() - 1, kDiameter - 10, 2));
    if (_style == TableViewCellEditingStyle::Insert)
        context.fillRect(makeRect(circle.midX() - 1, circle.minY() + 5, 2, kDiameter - 10));
}

std::string CellEditingControl::accessibilityLabel() const
{
    std::string action = _style == TableViewCellEditingStyle::Insert ? "Insert" : "Delete";
    std::string text = cellText(*this);
    return text.empty() ? action : action + " " + text;
}

void CellEditingControl::tapped()
{
    auto cell = enclosingCell(*this);
    if (auto table = tableOf(*this); table && cell)
        table->editingControlTapped(*cell);
}

// Reorder control

CellReorderControl::CellReorderControl()
    : Control(makeRect(0, 0, TableViewCell::kReorderControlWidth, TableViewCell::kDefaultHeight))
{
    setBackgroundColor(Color::clearColor());
}

void CellReorderControl::drawRect(GraphicsContext& context, Rect)
{
    Rect b = bounds();
    context.setFillColor(kGripGray);
    for (int line = -1; line <= 1; ++line)
        context.fillRect(makeRect(b.midX() - 9, b.midY() + line * 5 - 0.5, 18, 1));
}

std::string CellReorderControl::accessibilityLabel() const
{
    std::string text = cellText(*this);
    return text.empty() ? "Reorder" : "Reorder " + text;
}

bool CellReorderControl::beginTrackingWithTouch(Touch& touch, const Event&)
{
    auto cell = enclosingCell(*this);
    auto table = tableOf(*this);
    if (!cell || !table)
        return false;
    table->beginReorder(*cell, touch.locationInView(table.get()).y);
    return true;
}

bool CellReorderControl::continueTrackingWithTouch(Touch& touch, const Event&)
{
    if (auto table = tableOf(*this))
        table->continueReorder(touch.locationInView(table.get()).y);
    return true;
}

void CellReorderControl::endTrackingWithTouch(Touch&, const Event&)
{
    if (auto table = tableOf(*this))
        table->endReorder();
}

void CellReorderControl::cancelTrackingWithEvent(const Event*)
{
    if (auto table = tableOf(*this))
        table->endReorder();
}

}  // namespace plat::detail
