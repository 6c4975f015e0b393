#pragma once
#include <cstdint>

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Path.h"
#include "platform/ui/View.h"

namespace zt {

// A count in a pill-shaped badge sized to its text: filled and outlined,
// with an optional drop shadow and a gloss over its upper half, placed at
// the left, in the middle or at the right of the view. Setting the value
// redraws; the other properties show at the next redraw. Main thread.
class QVNumberBadgeView : public plat::View {
public:
    enum Alignment : int64_t { AlignmentLeft = 0, AlignmentCenter = 1, AlignmentRight = 2 };

    QVNumberBadgeView();
    explicit QVNumberBadgeView(plat::Rect frame);

    uint64_t value() const { return _value; }
    // Hides the view for 0 when hideWhenZero is on, shows it otherwise.
    void setValue(uint64_t value);

    bool shadow() const { return _shadow; }
    void setShadow(bool shadow) { _shadow = shadow; }
    plat::Size shadowOffset() const { return _shadowOffset; }
    void setShadowOffset(plat::Size offset) { _shadowOffset = offset; }
    const plat::Color& shadowColor() const { return _shadowColor; }
    void setShadowColor(plat::Color color) { _shadowColor = color; }
    bool shine() const { return _shine; }
    void setShine(bool shine) { _shine = shine; }
    const plat::Font& font() const { return _font; }
    void setFont(plat::Font font) { _font = std::move(font); }
    const plat::Color& fillColor() const { return _fillColor; }
    void setFillColor(plat::Color color) { _fillColor = color; }
    const plat::Color& strokeColor() const { return _strokeColor; }
    void setStrokeColor(plat::Color color) { _strokeColor = color; }
    double strokeWidth() const { return _strokeWidth; }
    void setStrokeWidth(double width) { _strokeWidth = width; }
    const plat::Color& textColor() const { return _textColor; }
    void setTextColor(plat::Color color) { _textColor = color; }
    // 3 and 4 (and any other value) centre the badge, as 1 does.
    int64_t alignment() const { return _alignment; }
    void setAlignment(int64_t alignment) { _alignment = alignment; }
    // Added to the text's height before the badge's radius is taken.
    uint64_t pad() const { return _pad; }
    void setPad(uint64_t pad) { _pad = pad; }
    bool hideWhenZero() const { return _hideWhenZero; }
    void setHideWhenZero(bool hide) { _hideWhenZero = hide; }

    // The pill for the current value and font, the outline not included.
    plat::Size badgeSize() const;
    // A pill 2r high (r from the text height and pad) whose top-left corner
    // is at the origin; a circle while the text is no wider than half its height.
    plat::Path newBadgePathForTextSize(plat::Size textSize) const;
    // The whole value, however large.
    std::string valueText() const;

    void drawRect(plat::GraphicsContext& context, plat::Rect rect) override;

private:
    void initState();
    void drawShadow(plat::GraphicsContext& context, const plat::Path& path) const;
    void drawShine(plat::GraphicsContext& context, const plat::Path& path, double width, double height) const;

    uint64_t _value = 0;
    bool _shadow = true;
    plat::Size _shadowOffset;
    plat::Color _shadowColor;
    bool _shine = true;
    plat::Font _font = plat::Font::boldSystemFontOfSize(16);
    plat::Color _fillColor;
    plat::Color _strokeColor;
    double _strokeWidth = 0;
    plat::Color _textColor;
    int64_t _alignment = AlignmentCenter;
    uint64_t _pad = 0;
    bool _hideWhenZero = false;
};

}  // namespace zt
