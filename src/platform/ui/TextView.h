#pragma once
#include <memory>
#include <string>

#include "platform/foundation/Text.h"
#include "platform/graphics/EdgeInsets.h"
#include "platform/graphics/Font.h"
#include "platform/ui/EditedText.h"
#include "platform/ui/KeyInput.h"
#include "platform/ui/View.h"

namespace plat {
class TextView;

inline constexpr const char* TextViewTextDidBeginEditingNotification = "UITextViewTextDidBeginEditingNotification";
inline constexpr const char* TextViewTextDidChangeNotification = "UITextViewTextDidChangeNotification";
inline constexpr const char* TextViewTextDidEndEditingNotification = "UITextViewTextDidEndEditingNotification";

// The text view's delegate, as the platform's protocol; every operation is
// optional and the defaults answer as the platform does without a delegate.
class TextViewDelegate {
public:
    virtual ~TextViewDelegate() = default;
    virtual bool textViewShouldBeginEditing(TextView&) { return true; }
    virtual void textViewDidBeginEditing(TextView&) { }
    virtual bool textViewShouldEndEditing(TextView&) { return true; }
    virtual void textViewDidEndEditing(TextView&) { }
    // range counts UTF-16 units.
    virtual bool textViewShouldChangeTextInRangeReplacementText(TextView&, Range, const std::string&) { return true; }
    virtual void textViewDidChange(TextView&) { }
    virtual void textViewDidChangeSelection(TextView&) { }
};

// The platform's multi-line text view: wrapped text inside its container
// insets; when editable, a tap makes it the first responder and typed text
// (line breaks included) replaces the selection after the delegate agrees.
class TextView : public View, public KeyInput {
public:
    // The platform's padding of each line inside the container.
    static constexpr double kLineFragmentPadding = 5;

    TextView();
    explicit TextView(Rect frame);

    const std::string& text() const { return _edited.text(); }
    // Virtual, so that views that show a placeholder hear of it.
    virtual void setText(std::string text);
    const Font& font() const { return _font; }
    void setFont(const Font& font);
    const Color& textColor() const { return _textColor; }
    void setTextColor(const Color& color);
    TextAlignment textAlignment() const { return _alignment; }
    void setTextAlignment(TextAlignment alignment);
    bool isEditable() const { return _editable; }
    void setEditable(bool editable);
    EdgeInsets textContainerInset() const { return _inset; }
    void setTextContainerInset(EdgeInsets inset);
    KeyboardType keyboardType() const override { return _keyboardType; }
    void setKeyboardType(KeyboardType type) { _keyboardType = type; }
    ReturnKeyType returnKeyType() const { return _returnKeyType; }
    void setReturnKeyType(ReturnKeyType type) { _returnKeyType = type; }
    const std::weak_ptr<TextViewDelegate>& delegate() const { return _delegate; }
    void setDelegate(std::weak_ptr<TextViewDelegate> delegate) { _delegate = std::move(delegate); }

    bool isEditing() const { return _editing; }
    Range selectedRange() const { return _edited.selection(); }
    void setSelectedRange(Range range);

    bool hasText() const override { return !_edited.text().empty(); }
    void insertText(const std::string& text) override;
    void deleteBackward() override;

    bool canBecomeFirstResponder() const override { return _editable; }
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void drawRect(GraphicsContext& context, Rect rect) override;
    Size sizeThatFits(Size size) const override;

private:
    void replace(Range range, const std::string& text);
    void post(const char* name);

    detail::EditedText _edited;
    Font _font = Font::systemFontOfSize(12);
    Color _textColor = Color::blackColor();
    TextAlignment _alignment = TextAlignment::Left;
    bool _editable = true;
    EdgeInsets _inset {8, 0, 8, 0};
    KeyboardType _keyboardType = KeyboardType::Default;
    ReturnKeyType _returnKeyType = ReturnKeyType::Default;
    std::weak_ptr<TextViewDelegate> _delegate;
    bool _editing = false;
};

}  // namespace plat
