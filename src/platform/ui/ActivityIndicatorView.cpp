#include "platform/ui/ActivityIndicatorView.h"

#include <cmath>
#include <limits>
#include <numbers>

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/BasicAnimation.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Screen.h"

namespace plat {

namespace {

constexpr int kSpokes = 12;
constexpr double kTurnSeconds = 1.0;
constexpr const char* kSpinKey = "spin";

double sideFor(ActivityIndicatorViewStyle style)
{
    return style == ActivityIndicatorViewStyle::WhiteLarge ? 37 : 20;
}

}  // namespace

ActivityIndicatorView::ActivityIndicatorView(ActivityIndicatorViewStyle style)
    : View(Rect {{0, 0}, {sideFor(style), sideFor(style)}})
    , _style(style)
    , _spokes(std::make_shared<Layer>())
{
    setUserInteractionEnabled(false);
    layer()->addSublayer(_spokes);
    setHidden(true);
    drawSpokes();
}

void ActivityIndicatorView::setActivityIndicatorViewStyle(ActivityIndicatorViewStyle style)
{
    _style = style;
    Rect f = frame();
    setFrame({{f.midX() - sideFor(style) / 2, f.midY() - sideFor(style) / 2}, {sideFor(style), sideFor(style)}});
    drawSpokes();
}

void ActivityIndicatorView::setColor(std::optional<Color> color)
{
    _color = std::move(color);
    drawSpokes();
}

void ActivityIndicatorView::setHidesWhenStopped(bool hides)
{
    _hidesWhenStopped = hides;
    if (!_animating)
        setHidden(hides);
}

Color ActivityIndicatorView::spokeColor() const
{
    if (_color)
        return *_color;
    return _style == ActivityIndicatorViewStyle::Gray ? Color::grayColor() : Color::whiteColor();
}

void ActivityIndicatorView::drawSpokes()
{
    double side = sideFor(_style);
    double scale = Screen::mainScreen().scale();
    int pixels = static_cast<int>(std::ceil(side * scale));
    auto context = GraphicsContext::bitmapContext(pixels, pixels, scale, ContextOpacity::Transparent);
    if (!context)
        return;
    Color color = spokeColor();
    double center = side / 2;
    double inner = side * 0.22;
    double outer = side * 0.48;
    context->setLineWidth(side / 11);
    context->setLineCap(LineCap::Round);
    for (int i = 0; i < kSpokes; ++i) {
        double angle = 2 * std::numbers::pi * i / kSpokes;
        // The spokes fade behind the leading one.
        context->setStrokeColor(color.colorWithAlphaComponent(color.alpha() * (0.25 + 0.75 * i / (kSpokes - 1))));
        context->beginPath();
        context->moveToPoint({center + inner * std::cos(angle), center + inner * std::sin(angle)});
        context->addLineToPoint({center + outer * std::cos(angle), center + outer * std::sin(angle)});
        context->strokePath();
    }
    _spokes->setContents(context->takeImage());
}

void ActivityIndicatorView::layoutSubviews()
{
    _spokes->setFrame(bounds());
}

void ActivityIndicatorView::startAnimating()
{
    if (_animating)
        return;
    _animating = true;
    setHidden(false);
    BasicAnimation spin("transform.rotation.z");
    spin.setFromValue(0.0);
    spin.setToValue(2 * std::numbers::pi);
    spin.setDuration(kTurnSeconds);
    spin.setRepeatCount(std::numeric_limits<double>::infinity());
    _spokes->addAnimation(spin, kSpinKey);
}

void ActivityIndicatorView::stopAnimating()
{
    if (!_animating)
        return;
    _animating = false;
    _spokes->removeAnimationForKey(kSpinKey);
    if (_hidesWhenStopped)
        setHidden(true);
}

Size ActivityIndicatorView::sizeThatFits(Size) const
{
    return {sideFor(_style), sideFor(_style)};
}

}  // namespace plat
