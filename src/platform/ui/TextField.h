#pragma once
#include <memory>
#include <string>

#include "platform/foundation/Text.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Control.h"
#include "platform/ui/EditedText.h"
#include "platform/ui/KeyInput.h"

namespace plat {

class TextField;

enum class TextBorderStyle : int { None = 0, Line = 1, Bezel = 2, RoundedRect = 3 };

// Notification names, with the platform's values; the object is the field.
inline constexpr const char* TextFieldTextDidBeginEditingNotification = "UITextFieldTextDidBeginEditingNotification";
inline constexpr const char* TextFieldTextDidChangeNotification = "UITextFieldTextDidChangeNotification";
inline constexpr const char* TextFieldTextDidEndEditingNotification = "UITextFieldTextDidEndEditingNotification";

// The text field's delegate, as the platform's protocol; every operation is
// optional and the defaults answer as the platform does without a delegate.
class TextFieldDelegate {
public:
    virtual ~TextFieldDelegate() = default;
    virtual bool textFieldShouldBeginEditing(TextField&) { return true; }
    virtual void textFieldDidBeginEditing(TextField&) { }
    virtual bool textFieldShouldEndEditing(TextField&) { return true; }
    virtual void textFieldDidEndEditing(TextField&) { }
    // range counts UTF-16 units, as the platform's strings do.
    virtual bool textFieldShouldChangeCharactersInRangeReplacementString(TextField&, Range, const std::string&)
    {
        return true;
    }
    virtual bool textFieldShouldClear(TextField&) { return true; }
    virtual bool textFieldShouldReturn(TextField&) { return true; }
};

// The platform's one-line text field: a tap makes it the first responder
// (editing; the keyboard shows), typed text replaces the selection (the
// caret is at the end unless set) after the delegate agrees, and each change
// sends editing-changed and the did-change notification; the return key asks
// the delegate, sends editing-did-end-on-exit and, when something listens to
// that event, ends editing.
class TextField : public Control, public KeyInput {
public:
    TextField();
    explicit TextField(Rect frame);

    const std::string& text() const { return _edited.text(); }
    // Programmatic: no delegate question, no events.
    void setText(std::string text);
    const std::string& placeholder() const { return _placeholder; }
    void setPlaceholder(std::string placeholder);
    const Font& font() const { return _font; }
    void setFont(const Font& font);
    const Color& textColor() const { return _textColor; }
    void setTextColor(const Color& color);
    TextAlignment textAlignment() const { return _alignment; }
    void setTextAlignment(TextAlignment alignment);
    TextBorderStyle borderStyle() const { return _borderStyle; }
    void setBorderStyle(TextBorderStyle style);
    bool clearsOnBeginEditing() const { return _clearsOnBeginEditing; }
    void setClearsOnBeginEditing(bool clears) { _clearsOnBeginEditing = clears; }
    bool isSecureTextEntry() const { return _secure; }
    void setSecureTextEntry(bool secure);
    KeyboardType keyboardType() const override { return _keyboardType; }
    void setKeyboardType(KeyboardType type) { _keyboardType = type; }
    KeyboardAppearance keyboardAppearance() const { return _keyboardAppearance; }
    void setKeyboardAppearance(KeyboardAppearance appearance) { _keyboardAppearance = appearance; }
    ReturnKeyType returnKeyType() const { return _returnKeyType; }
    void setReturnKeyType(ReturnKeyType type) { _returnKeyType = type; }
    const std::weak_ptr<TextFieldDelegate>& delegate() const { return _delegate; }
    void setDelegate(std::weak_ptr<TextFieldDelegate> delegate) { _delegate = std::move(delegate); }

    bool isEditing() const { return _editing; }
    Range selectedRange() const { return _edited.selection(); }
    void setSelectedRange(Range range);
    // Empties the field as its clear button does, if the delegate agrees.
    bool clearText();

    // Key input.
    bool hasText() const override { return !_edited.text().empty(); }
    void insertText(const std::string& text) override;
    void deleteBackward() override;

    bool canBecomeFirstResponder() const override { return isEnabled(); }
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;
    void endTrackingWithTouch(Touch& touch, const Event& event) override;
    void drawRect(GraphicsContext& context, Rect rect) override;
    std::string accessibilityLabel() const override;
    Size sizeThatFits(Size size) const override;

    // The rectangle the text is drawn in.
    virtual Rect textRectForBounds(Rect bounds) const;

private:
    bool replace(Range range, const std::string& text);
    void post(const char* name);

    detail::EditedText _edited;
    std::string _placeholder;
    Font _font = Font::systemFontOfSize(17);
    Color _textColor = Color::blackColor();
    TextAlignment _alignment = TextAlignment::Left;
    TextBorderStyle _borderStyle = TextBorderStyle::None;
    bool _clearsOnBeginEditing = false;
    bool _secure = false;
    KeyboardType _keyboardType = KeyboardType::Default;
    KeyboardAppearance _keyboardAppearance = KeyboardAppearance::Default;
    ReturnKeyType _returnKeyType = ReturnKeyType::Default;
    std::weak_ptr<TextFieldDelegate> _delegate;
    bool _editing = false;
};

}  // namespace plat
