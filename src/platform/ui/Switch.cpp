#include "platform/ui/Switch.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"

namespace plat {

namespace {

const Color kDefaultOnTint = Color::colorWithRed(76 / 255.0, 217 / 255.0, 100 / 255.0, 1);
const Color kDefaultOffTint = Color::colorWithWhite(0.9, 1);

}  // namespace

Switch::Switch()
    : Switch(Rect {})
{
}

Switch::Switch(Rect frame)
    : Control({frame.origin, kSize})
{
}

void Switch::setFrame(Rect frame)
{
    // The platform's switch keeps its size: a frame moves it; a scaled switch keeps its bounds.
    if (transform().isIdentity()) {
        Control::setFrame({frame.origin, kSize});
        return;
    }
    setBounds({bounds().origin, kSize});
    setCenter({frame.midX(), frame.midY()});
}

void Switch::setOn(bool on)
{
    if (_on == on)
        return;
    _on = on;
    setNeedsDisplay();
}

void Switch::setOn(bool on, bool)
{
    setOn(on);
}

void Switch::setOnTintColor(std::optional<Color> color)
{
    _onTint = std::move(color);
    setNeedsDisplay();
}

void Switch::setThumbTintColor(std::optional<Color> color)
{
    _thumbTint = std::move(color);
    setNeedsDisplay();
}

void Switch::setOffTintColor(std::optional<Color> color)
{
    _offTint = std::move(color);
    setNeedsDisplay();
}

void Switch::endTrackingWithTouch(Touch& touch, const Event&)
{
    if (!isInsideWithSlop(touch.locationInView(this)))
        return;
    setOn(!_on);
    sendActionsForControlEvents(ControlEventValueChanged);
}

void Switch::drawRect(GraphicsContext& context, Rect)
{
    if (!isEnabled())
        context.setAlpha(kDisabledContentAlpha);
    Rect b = bounds();
    double radius = b.height() / 2;
    Path track = Path::pathWithRoundedRect(b, radius);
    context.beginPath();
    context.addPath(track);
    context.setFillColor(_on ? _onTint.value_or(kDefaultOnTint) : Color::whiteColor());
    context.fillPath();
    if (!_on) {
        context.beginPath();
        context.addPath(
            Path::pathWithRoundedRect({{b.minX() + 1, b.minY() + 1}, {b.width() - 2, b.height() - 2}}, radius - 1));
        context.setStrokeColor(_offTint.value_or(kDefaultOffTint));
        context.setLineWidth(2);
        context.strokePath();
    }
    double inset = 2;
    double diameter = b.height() - 2 * inset;
    double x = _on ? b.maxX() - inset - diameter : b.minX() + inset;
    Rect thumb {{x, b.minY() + inset}, {diameter, diameter}};
    context.setFillColor(_thumbTint.value_or(Color::whiteColor()));
    context.fillEllipseInRect(thumb);
    context.setStrokeColor(Color::colorWithWhite(0, 0.15));
    context.setLineWidth(0.5);
    context.strokeEllipseInRect(thumb);
}

}  // namespace plat
