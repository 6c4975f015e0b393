#pragma once
#include <memory>

#include "platform/ui/Control.h"
#include "platform/ui/TableViewCell.h"

namespace plat::detail {

// The drawn accessories of a cell: a chevron that says the row leads on,
// or a check mark, in the tint colour. Takes no touches.
class CellAccessoryGlyph : public View {
public:
    enum class Shape { Disclosure, Checkmark };
    static constexpr Size kDisclosureSize {8, 13};
    static constexpr Size kCheckmarkSize {14, 11};

    explicit CellAccessoryGlyph(Shape shape);
    Shape shape() const { return _shape; }
    void drawRect(GraphicsContext& context, Rect rect) override;
    void tintColorDidChange() override { setNeedsDisplay(); }

private:
    Shape _shape;
};

// The round "i" button of a cell's detail accessories: tells the table
// that the row's details are wanted.
class CellDetailButton : public Control {
public:
    static constexpr double kDiameter = 22;

    CellDetailButton();
    void drawRect(GraphicsContext& context, Rect rect) override;
    void tintColorDidChange() override { setNeedsDisplay(); }
    std::string accessibilityLabel() const override { return "More Info"; }

private:
    void tapped();
};

// The round control on the left of a cell while its table edits: a red
// minus that asks for the delete confirmation, or a green plus that
// inserts. Tells the table through its cell.
class CellEditingControl : public Control {
public:
    static constexpr double kDiameter = 22;

    CellEditingControl();
    void setEditingStyle(TableViewCellEditingStyle style);
    TableViewCellEditingStyle editingStyle() const { return _style; }
    void drawRect(GraphicsContext& context, Rect rect) override;
    std::string accessibilityLabel() const override;

private:
    void tapped();
    TableViewCellEditingStyle _style = TableViewCellEditingStyle::Delete;
};

// The grip on the right of a movable cell while its table edits: dragging
// it moves the row; the table follows the finger and reorders on lift.
class CellReorderControl : public Control {
public:
    CellReorderControl();
    void drawRect(GraphicsContext& context, Rect rect) override;
    std::string accessibilityLabel() const override;

    bool beginTrackingWithTouch(Touch& touch, const Event& event) override;
    bool continueTrackingWithTouch(Touch& touch, const Event& event) override;
    void endTrackingWithTouch(Touch& touch, const Event& event) override;
    void cancelTrackingWithEvent(const Event* event) override;

protected:
    bool keepsDragsFromAncestors() const override { return true; }
};

// The cell an inner view belongs to, or nullptr.
std::shared_ptr<TableViewCell> enclosingCell(const View& view);

}  // namespace plat::detail
