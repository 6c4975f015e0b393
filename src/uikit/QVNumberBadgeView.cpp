#include "uikit/QVNumberBadgeView.h"

#include <cmath>
#include <numbers>
#include <string>

#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsContext.h"

namespace zt {

namespace {

constexpr double kDefaultFontSize = 16;
constexpr double kDefaultStrokeWidth = 2.0;
constexpr plat::Size kDefaultShadowOffset {0.0, 3.0};
constexpr double kDefaultShadowAlpha = 0.5;
constexpr uint64_t kDefaultPad = 2;
constexpr double kShadowBlur = 4.0;
// The shadow's blur is drawn as this many widening outlines of falling strength.
constexpr int kShadowBlurSteps = 4;
constexpr double kShineTopAlpha = 0.8;
// The gloss covers the top quarter and bulges down by 0.4 of the height in the middle.
constexpr double kShineDepthShare = 0.25;
constexpr double kShineBulgeShare = 0.4;

}  // namespace

QVNumberBadgeView::QVNumberBadgeView()
    : QVNumberBadgeView(plat::Rect {})
{
}

QVNumberBadgeView::QVNumberBadgeView(plat::Rect frame)
    : plat::View(frame)
{
    initState();
}

void QVNumberBadgeView::initState()
{
    setOpaque(false);
    setPad(kDefaultPad);
    setFont(plat::Font::boldSystemFontOfSize(kDefaultFontSize));
    setShadow(true);
    setShadowOffset(kDefaultShadowOffset);
    setShadowColor(plat::Color::colorWithWhite(0, kDefaultShadowAlpha));
    setShine(true);
    setAlignment(AlignmentCenter);
    setFillColor(plat::Color::redColor());
    setStrokeColor(plat::Color::whiteColor());
    setStrokeWidth(kDefaultStrokeWidth);
    setTextColor(plat::Color::whiteColor());
    setHideWhenZero(false);
    setValue(0);
    setBackgroundColor(plat::Color::clearColor());
}

void QVNumberBadgeView::setValue(uint64_t value)
{
    _value = value;
    setHidden(_hideWhenZero && value == 0);
    setNeedsDisplay();
}

std::string QVNumberBadgeView::valueText() const
{
    return std::to_string(_value);
}

plat::Path QVNumberBadgeView::newBadgePathForTextSize(plat::Size textSize) const
{
    const double radius = std::ceil((static_cast<double>(_pad) + textSize.height) * 0.5);
    const double textBeyondHalfHeight = textSize.width - textSize.height * 0.5;
    const double width = textBeyondHalfHeight > 0 ? textBeyondHalfHeight + 2 * radius : 2 * radius;
    constexpr double kTop = 3 * std::numbers::pi / 2;
    constexpr double kBottom = std::numbers::pi / 2;
    plat::Path path;
    path.moveToPoint({radius, 0});
    // Down the left end, then back up the right one (both against the clock on screen).
    path.addArc({radius, radius}, radius, kTop, kBottom, /*clockwise=*/false);
    path.addLineToPoint({width - radius, 2 * radius});
    path.addArc({width - radius, radius}, radius, kBottom, kTop, /*clockwise=*/false);
    path.addLineToPoint({radius, 0});
    return path;
}

plat::Size QVNumberBadgeView::badgeSize() const
{
    plat::Rect box = newBadgePathForTextSize(plat::sizeWithFont(valueText(), _font)).bounds();
    return {std::ceil(box.width()), std::ceil(box.height())};
}

void QVNumberBadgeView::drawShadow(plat::GraphicsContext& context, const plat::Path& path) const
{
    context.saveGState();
    context.translateCTM(_shadowOffset.width, _shadowOffset.height);
    context.setFillColor(_shadowColor);
    context.addPath(path);
    context.closePath();
    context.fillPath();
    // The soft edge: outlines from the blur's width inwards, each adding a little more colour.
    context.setStrokeColor(_shadowColor.colorWithAlphaComponent(_shadowColor.alpha() / kShadowBlurSteps));
    for (int step = kShadowBlurSteps; step >= 1; --step) {
        context.setLineWidth(kShadowBlur * step / kShadowBlurSteps);
        context.addPath(path);
        context.closePath();
        context.strokePath();
    }
    context.restoreGState();
}

void QVNumberBadgeView::drawShine(
    plat::GraphicsContext& context, const plat::Path& path, double width, double height) const
{
    context.addPath(path);
    context.closePath();
    context.clip();
    plat::Gradient gloss(
        {plat::Color::colorWithWhite(1, kShineTopAlpha), plat::Color::colorWithWhite(1, 0)}, {0.0, 1.0});
    context.saveGState();
    const double depth = height * kShineDepthShare;
    const double bulge = depth + kShineBulgeShare * height;
    context.beginPath();
    context.moveToPoint({0, 0});
    context.addLineToPoint({0, depth});
    context.addCurveToPoint({0, bulge}, {width, bulge}, {width, depth});
    context.addLineToPoint({width, 0});
    context.closePath();
    context.clip();
    context.drawLinearGradient(gloss, {width * 0.5, 0}, {width * 0.5, bulge}, plat::GradientDrawsBeforeStartLocation);
    context.restoreGState();
}

void QVNumberBadgeView::drawRect(plat::GraphicsContext& context, plat::Rect)
{
    const std::string text = valueText();
    const plat::Size textSize = plat::sizeWithFont(text, _font);
    const plat::Path path = newBadgePathForTextSize(textSize);
    const plat::Rect box = path.bounds();
    // Half the outline, rounded up in single precision as the badge always measured it.
    const double halfStroke = std::ceil(static_cast<float>(_strokeWidth * 0.5));
    const double badgeWidth = std::ceil(box.width()) + halfStroke;
    const double badgeHeight = std::ceil(box.height()) + halfStroke;
    const plat::Rect bounds = this->bounds();

    context.saveGState();
    context.setLineWidth(_strokeWidth);
    context.setStrokeColor(_strokeColor);
    context.setFillColor(_fillColor);
    const double y = std::round((bounds.height() - badgeHeight) * 0.5);
    double x = std::round((bounds.width() - badgeWidth) * 0.5);
    if (_alignment == AlignmentLeft)
        x = 0;
    else if (_alignment == AlignmentRight)
        x = bounds.width() - badgeWidth;
    context.translateCTM(x, y);
    if (_shadow)
        drawShadow(context, path);
    context.addPath(path);
    context.closePath();
    context.drawPath(plat::PathDrawingMode::FillStroke);
    if (_shine)
        drawShine(context, path, badgeWidth, badgeHeight);
    context.restoreGState();

    context.saveGState();
    context.setFillColor(_textColor);
    context.drawText(
        text, plat::Point {x + (badgeWidth - textSize.width) * 0.5, y + (badgeHeight - textSize.height) * 0.5}, _font);
    context.restoreGState();
}

}  // namespace zt
