#pragma once
#include <memory>
#include <string>

#include "platform/graphics/EdgeInsets.h"
#include "platform/ui/View.h"

namespace plat {
class Button;
class ImageView;
class Label;
class TableView;
namespace detail {
class CellAccessoryGlyph;
class CellDetailButton;
class CellEditingControl;
class CellReorderControl;
}  // namespace detail

// The platform's cell styles, accessories and editing styles, with its numbers.
enum class TableViewCellStyle : int { Default = 0, Value1 = 1, Value2 = 2, Subtitle = 3 };
enum class TableViewCellAccessoryType : int {
    None = 0,
    DisclosureIndicator = 1,
    DetailDisclosureButton = 2,
    Checkmark = 3,
    DetailButton = 4,
};
enum class TableViewCellSelectionStyle : int { None = 0, Blue = 1, Gray = 2, Default = 3 };
enum class TableViewCellEditingStyle : int { None = 0, Delete = 1, Insert = 2 };

// The platform's table cell: a content view holding a text label, a detail
// label (value 1, value 2 and subtitle styles) and an image view laid out
// by the style; an accessory on the right (a disclosure chevron, a check
// mark, a detail button, or a view of the caller's); background and
// selected-background views; highlighted and selected states; and, while
// its table edits, an editing control on the left (delete or insert), a
// delete confirmation button and a reorder control on the right. A cell
// made for reuse is handed out again by its table after prepareForReuse.
class TableViewCell : public View {
public:
    static constexpr double kDefaultHeight = 44;
    static constexpr double kMargin = 15;
    static constexpr double kEditingControlWidth = 38;
    static constexpr double kReorderControlWidth = 38;

    TableViewCell(TableViewCellStyle style, std::string reuseIdentifier);
    // A cell made by a layout: default style, no reuse identifier until one is given.
    explicit TableViewCell(Rect frame);
    ~TableViewCell() override;

    TableViewCellStyle style() const { return _style; }
    const std::string& reuseIdentifier() const { return _reuseIdentifier; }
    void setReuseIdentifier(std::string identifier) { _reuseIdentifier = std::move(identifier); }
    // Resets the state a table keeps between uses; subclasses clear their own and call this.
    virtual void prepareForReuse();

    const std::shared_ptr<View>& contentView() const { return _contentView; }
    const std::shared_ptr<Label>& textLabel() const { return _textLabel; }
    // nullptr in the default style.
    const std::shared_ptr<Label>& detailTextLabel() const { return _detailTextLabel; }
    const std::shared_ptr<ImageView>& imageView() const { return _imageView; }

    const std::shared_ptr<View>& backgroundView() const { return _backgroundView; }
    void setBackgroundView(std::shared_ptr<View> view);
    const std::shared_ptr<View>& selectedBackgroundView() const { return _selectedBackgroundView; }
    void setSelectedBackgroundView(std::shared_ptr<View> view);

    TableViewCellAccessoryType accessoryType() const { return _accessoryType; }
    void setAccessoryType(TableViewCellAccessoryType type);
    // A view of the caller's, which takes the place of the accessory type.
    const std::shared_ptr<View>& accessoryView() const { return _accessoryView; }
    void setAccessoryView(std::shared_ptr<View> view);
    TableViewCellSelectionStyle selectionStyle() const { return _selectionStyle; }
    void setSelectionStyle(TableViewCellSelectionStyle style) { _selectionStyle = style; }

    bool isSelected() const { return _selected; }
    void setSelected(bool selected) { setSelected(selected, false); }
    virtual void setSelected(bool selected, bool animated);
    bool isHighlighted() const { return _highlighted; }
    void setHighlighted(bool highlighted) { setHighlighted(highlighted, false); }
    virtual void setHighlighted(bool highlighted, bool animated);

    bool isEditing() const { return _editing; }
    void setEditing(bool editing) { setEditing(editing, false); }
    virtual void setEditing(bool editing, bool animated);
    // What the editing control offers, as the table asked its delegate.
    TableViewCellEditingStyle editingStyle() const { return _editingStyle; }
    bool showsReorderControl() const { return _showsReorderControl; }
    void setShowsReorderControl(bool shows);
    bool showingDeleteConfirmation() const { return _showingDeleteConfirmation; }

    // The parts while they exist (for tests and drivers), else nullptr.
    std::shared_ptr<View> editingControl() const;
    std::shared_ptr<View> deleteConfirmationButton() const;
    std::shared_ptr<View> reorderControl() const;

    void layoutSubviews() override;
    std::string accessibilityLabel() const override;

private:
    friend class TableView;
    friend class detail::CellEditingControl;
    friend class detail::CellReorderControl;

    void makeParts();
    std::shared_ptr<TableView> tableView() const;
    void updateSelectionLook();
    void updateAccessory();
    void updateEditingParts();
    // Set by the table.
    void setEditingStyle(TableViewCellEditingStyle style);
    void showDeleteConfirmation(bool show, const std::string& title);
    void setSeparator(bool visible, const Color& color, EdgeInsets inset);
    void deleteConfirmationTapped();
    double accessoryWidth() const;

    TableViewCellStyle _style = TableViewCellStyle::Default;
    std::string _reuseIdentifier;
    std::shared_ptr<View> _contentView;
    std::shared_ptr<Label> _textLabel;
    std::shared_ptr<Label> _detailTextLabel;
    std::shared_ptr<ImageView> _imageView;
    std::shared_ptr<View> _backgroundView;
    std::shared_ptr<View> _selectedBackgroundView;
    std::shared_ptr<View> _separator;
    EdgeInsets _separatorInset {0, kMargin, 0, 0};
    TableViewCellAccessoryType _accessoryType = TableViewCellAccessoryType::None;
    std::shared_ptr<View> _accessoryView;
    std::shared_ptr<View> _builtInAccessory;  // for the accessory type
    TableViewCellSelectionStyle _selectionStyle = TableViewCellSelectionStyle::Default;
    bool _selected = false;
    bool _highlighted = false;
    bool _editing = false;
    TableViewCellEditingStyle _editingStyle = TableViewCellEditingStyle::None;
    bool _showsReorderControl = false;
    bool _showingDeleteConfirmation = false;
    std::shared_ptr<detail::CellEditingControl> _editingControl;
    std::shared_ptr<Button> _deleteButton;
    std::shared_ptr<detail::CellReorderControl> _reorderControl;
};

}  // namespace plat
