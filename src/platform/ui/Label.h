#pragma once
#include <string>

#include "platform/graphics/Font.h"
#include "platform/ui/View.h"

namespace plat {

// The platform's label: text in a font and colour, aligned, on a number of
// lines (0: as many as fit), broken or cut by the break mode, optionally
// shrunk to fit its width down to a minimum scale, vertically centred in its
// bounds. Drawn through pango. Not interactive by default.
class Label : public View {
public:
    Label();
    explicit Label(Rect frame);

    const std::string& text() const { return _text; }
    void setText(std::string text);
    const Font& font() const { return _font; }
    void setFont(const Font& font);
    const Color& textColor() const { return _textColor; }
    void setTextColor(const Color& color);
    const std::optional<Color>& highlightedTextColor() const { return _highlightedTextColor; }
    void setHighlightedTextColor(std::optional<Color> color);
    bool isHighlighted() const { return _highlighted; }
    void setHighlighted(bool highlighted);
    bool isEnabled() const { return _enabled; }
    void setEnabled(bool enabled);
    TextAlignment textAlignment() const { return _alignment; }
    void setTextAlignment(TextAlignment alignment);
    int numberOfLines() const { return _numberOfLines; }
    void setNumberOfLines(int lines);
    LineBreakMode lineBreakMode() const { return _lineBreakMode; }
    void setLineBreakMode(LineBreakMode mode);
    bool adjustsFontSizeToFitWidth() const { return _adjustsFontSizeToFitWidth; }
    void setAdjustsFontSizeToFitWidth(bool adjusts);
    // The smallest share of the font size that shrinking may reach (0: the minimum font size decides).
    double minimumScaleFactor() const { return _minimumScaleFactor; }
    void setMinimumScaleFactor(double factor);
    double minimumFontSize() const { return _minimumFontSize; }
    void setMinimumFontSize(double size);
    const std::optional<Color>& shadowColor() const { return _shadowColor; }
    void setShadowColor(std::optional<Color> color);
    Size shadowOffset() const { return _shadowOffset; }
    void setShadowOffset(Size offset);

    // The width at which a label of several lines wraps for its intrinsic
    // size; 0: it wraps at the width layout gives it.
    double preferredMaxLayoutWidth() const { return _preferredMaxLayoutWidth; }
    void setPreferredMaxLayoutWidth(double width);
    // One line of text, or the wrapped text at the preferred width.
    Size intrinsicContentSize() const override;

    // The font size the text is drawn at in the current bounds (after shrinking).
    double fittedFontSize() const;

    Size sizeThatFits(Size size) const override;
    virtual Rect textRectForBounds(Rect bounds, int numberOfLines) const;
    virtual void drawTextInRect(GraphicsContext& context, Rect rect);
    void drawRect(GraphicsContext& context, Rect rect) override;
    std::string accessibilityLabel() const override;

protected:
    // The font the text is drawn in within the width, shrunk if asked.
    Font fittedFont(double width, double height) const;
    double maximumTextHeight(const Font& font) const;
    // The text colour as drawn: highlighted, dimmed when disabled.
    Color effectiveTextColor() const;
    enum class TextShadow { Include, Omit };
    // What drawTextInRect does, in the colour given (it fills or strokes, by
    // the context's text drawing mode), with or without the label's shadow.
    void drawTextWithColor(GraphicsContext& context, Rect rect, const Color& color, TextShadow shadow);

private:
    void changed();

    std::string _text;
    Font _font = Font::systemFontOfSize(17);
    Color _textColor = Color::blackColor();
    std::optional<Color> _highlightedTextColor;
    bool _highlighted = false;
    bool _enabled = true;
    TextAlignment _alignment = TextAlignment::Left;
    int _numberOfLines = 1;
    LineBreakMode _lineBreakMode = LineBreakMode::TruncatingTail;
    bool _adjustsFontSizeToFitWidth = false;
    double _minimumScaleFactor = 0;
    double _minimumFontSize = 0;
    std::optional<Color> _shadowColor;
    Size _shadowOffset {0, -1};
    double _preferredMaxLayoutWidth = 0;
};

}  // namespace plat
