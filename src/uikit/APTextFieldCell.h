#pragma once
#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/EdgeInsets.h"
#include "platform/ui/IndexPath.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/TextField.h"

namespace plat {
class Label;
}

namespace zt {
class APInsetTextField;
class APTextFieldCell;

// What a text-field cell tells about its field, each with the row's index
// path. Every operation is optional: the defaults answer as an absent one.
class APTextFieldDelegate {
public:
    virtual ~APTextFieldDelegate() = default;
    // The return key: true ends the editing. nullopt: not answered (the field resigns).
    virtual std::optional<bool> textFieldCellShouldReturnForIndexPathWithValue(
        APTextFieldCell&, plat::IndexPath, const std::string& /*value*/)
    {
        return std::nullopt;
    }
    // Every typed or pasted change, with the whole text as it will be.
    virtual void textFieldCellUpdateTextLabelAtIndexPathString(APTextFieldCell&, plat::IndexPath, const std::string&) {
    }
    // The clear button: the text becomes nothing (nullopt).
    virtual void updateTextLabelAtIndexPath(plat::IndexPath, const std::optional<std::string>&) { }
    virtual bool textFieldShouldBeginEditing(plat::TextField&) { return true; }
    virtual bool textFieldShouldEndEditing(plat::TextField&) { return true; }
    virtual void textFieldDidBeginEditing(plat::TextField&) { }
    virtual void textFieldDidEndEditing(plat::TextField&) { }
};

// A table row that pairs a caption with an editable text field and reports
// the field's editing to its delegate with the row's index path. The caption
// takes 125 points on the left when it has a text (an empty one counts);
// without one the field takes the whole row. Main thread.
class APTextFieldCell : public plat::TableViewCell, public plat::TextFieldDelegate {
public:
    static constexpr double kCaptionWidth = 125;
    static constexpr double kFieldLeft = 130;
    static constexpr double kFontSize = 17;

    APTextFieldCell(plat::TableViewCellStyle style, std::string reuseIdentifier);  // initWithStyle:reuseIdentifier:
    ~APTextFieldCell() override;

    std::weak_ptr<APTextFieldDelegate> delegate() const { return _delegate; }
    void setDelegate(std::weak_ptr<APTextFieldDelegate> delegate) { _delegate = std::move(delegate); }
    const std::shared_ptr<plat::Label>& leftLabel() const { return _leftLabel; }
    // The caption's text; nullopt (no caption) differs from an empty one.
    const std::optional<std::string>& leftLabelText() const { return _leftLabelText; }
    void setLeftLabelText(std::optional<std::string> text);
    const std::shared_ptr<APInsetTextField>& rightTextField() const { return _rightTextField; }
    const std::optional<plat::IndexPath>& indexPath() const { return _indexPath; }
    void setIndexPath(std::optional<plat::IndexPath> path) { _indexPath = path; }

    void layoutSubviews() override;
    void setSelected(bool selected, bool animated) override;

    // The field's events.
    bool textFieldShouldReturn(plat::TextField& textField) override;
    bool textFieldShouldChangeCharactersInRangeReplacementString(
        plat::TextField& textField, plat::Range range, const std::string& string) override;
    bool textFieldShouldClear(plat::TextField& textField) override;
    bool textFieldShouldBeginEditing(plat::TextField& textField) override;
    bool textFieldShouldEndEditing(plat::TextField& textField) override;
    void textFieldDidBeginEditing(plat::TextField& textField) override;
    void textFieldDidEndEditing(plat::TextField& textField) override;

private:
    plat::IndexPath reportedPath() const { return _indexPath.value_or(plat::IndexPath {}); }

    std::weak_ptr<APTextFieldDelegate> _delegate;
    std::shared_ptr<plat::Label> _leftLabel;
    std::optional<std::string> _leftLabelText;
    std::shared_ptr<APInsetTextField> _rightTextField;
    // The field's delegate: forwards to this cell while it lives (the
    // field holds it weakly, so a field that outlives the cell tells nobody).
    std::shared_ptr<plat::TextFieldDelegate> _fieldDelegate;
    std::optional<plat::IndexPath> _indexPath;
};

// A text-field cell shrunk by margins: its frame, and its field 4 points at
// the top and bottom. Main thread.
class APInsetTextFieldCell : public APTextFieldCell {
public:
    static constexpr double kFieldVerticalInset = 4;

    using APTextFieldCell::APTextFieldCell;

    plat::EdgeInsets inset() const { return _inset; }
    void setInset(plat::EdgeInsets inset) { _inset = inset; }
    void setFrame(plat::Rect frame) override;
    void layoutSubviews() override;

private:
    plat::EdgeInsets _inset;
};

}  // namespace zt
