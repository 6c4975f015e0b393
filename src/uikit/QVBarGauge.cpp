#include "uikit/QVBarGauge.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/foundation/Log.h"
#include "platform/graphics/EdgeInsets.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsContext.h"
#include "uikit/UIColorExpanded.h"

namespace zt {

namespace {

constexpr double kBarOutlineWidth = 1.0;
constexpr double kOuterBorderWidth = 2.0;
constexpr double kUnlitAlpha = 0.2;
// The lit look darkens the rim of a bar by this much per component.
constexpr double kRimDarkening = 0.3;
constexpr double kGradientRimLocation = 0.5;

plat::Rect inset(plat::Rect rect, double by)
{
    return plat::insetRect(rect, plat::EdgeInsets {by, by, by, by});
}

// The bar index of a share of the way from min to max, whole towards zero.
// Shares that are no number (an empty range) light nothing; huge ones are
// held to what an index can say.
int32_t barIndex(float share, int32_t bars)
{
    float index = share * static_cast<float>(bars);
    if (std::isnan(index))
        return 0;
    constexpr float kLimit = static_cast<float>(std::numeric_limits<int32_t>::max() / 2);
    return static_cast<int32_t>(std::clamp(index, -kLimit, kLimit));
}

}  // namespace

QVBarGauge::QVBarGauge(plat::Rect frame)
    : plat::View(frame)
{
    setDefaults();
}

void QVBarGauge::setDefaults()
{
    _value = 0;
    _minLimit = 0;
    _maxLimit = 1;
    _numBars = 10;
    _peakValue = 0;
    _holdPeak = false;
    _litEffect = true;
    _reverse = false;
    _outerBorderColor = plat::Color::grayColor();
    _innerBorderColor = plat::Color::blackColor();
    _backgroundColor = plat::Color::blackColor();
    _normalBarColor = plat::Color::greenColor();
    _warningBarColor = plat::Color::yellowColor();
    _dangerBarColor = plat::Color::redColor();
    setWarnThreshold(0.6f);
    setDangerThreshold(0.8f);
    setOpaque(false);
}

void QVBarGauge::setBackgroundColor(std::optional<plat::Color> color)
{
    _backgroundColor = color.value_or(plat::Color::clearColor());
}

void QVBarGauge::setValue(float value)
{
    _value = value;
    const int32_t on = _minLimit <= value ? 0 : _numBars;
    const int32_t off = barIndex((value - _minLimit) / (_maxLimit - _minLimit), _numBars);
    if (_holdPeak && value > _peakValue) {
        _peakValue = value;
        _peakBarIdx = std::min(off, _numBars - 1);
    }
    if (on != _onIdx || off != _offIdx) {
        _onIdx = on;
        _offIdx = off;
        setNeedsDisplay();
    }
}

int32_t QVBarGauge::firstBarOfZone(float threshold, int32_t bars)
{
    return threshold > 0 ? barIndex(threshold, bars) : -1;
}

void QVBarGauge::setWarnThreshold(float threshold)
{
    _warnThreshold = threshold;
    _warningBarIdx = firstBarOfZone(threshold, _numBars);
}

void QVBarGauge::setDangerThreshold(float threshold)
{
    _dangerThreshold = threshold;
    _dangerBarIdx = firstBarOfZone(threshold, _numBars);
}

void QVBarGauge::setNumBars(int32_t count)
{
    if (count < 1) {
        // Bars are as long as the gauge divided by their count.
        plat::log("QVBarGauge: {} bars refused; it keeps {}", count, _numBars);
        return;
    }
    _peakValue = -std::numeric_limits<float>::infinity();
    _numBars = count;
    setValue(_value);
    setWarnThreshold(_warnThreshold);
    setDangerThreshold(_dangerThreshold);
}

void QVBarGauge::resetPeak()
{
    _peakValue = -std::numeric_limits<float>::infinity();
    _peakBarIdx = -1;
    setNeedsDisplay();
}

void QVBarGauge::drawRect(plat::GraphicsContext& context, plat::Rect)
{
    const plat::Rect b = bounds();
    const double width = b.width();
    const double height = b.height();
    const bool vertical = height >= width;
    const auto step = static_cast<unsigned>(std::max(0.0, (vertical ? height : width) / _numBars));
    const double along = static_cast<double>(step);
    const plat::Rect body = vertical ? plat::makeRect(b.minX(), b.minY(), width, along * _numBars)
                                     : plat::makeRect(b.minX(), b.minY(), along * _numBars, height);

    context.clearRect(b);
    context.setFillColor(_backgroundColor);
    context.fillRect(body);
    context.setStrokeColor(_innerBorderColor);
    context.setLineWidth(kBarOutlineWidth);
    for (int32_t i = 0; i < _numBars; ++i) {
        const double offset = static_cast<double>(i) * along;
        plat::Rect bar;
        if (vertical) {
            double y = _reverse ? body.minY() + offset : body.maxY() - (along + offset);
            bar = plat::makeRect(b.minX() + 1, y, width - 2, along);
        } else {
            double x = _reverse ? body.maxX() - (along + offset) : body.minX() + offset;
            bar = plat::makeRect(x, b.minY() + 1, along, height - 2);
        }
        context.strokeRect(bar);
        const plat::Color& color = (_dangerBarIdx >= 0 && i >= _dangerBarIdx) ? _dangerBarColor
            : (_warningBarIdx >= 0 && i >= _warningBarIdx)                    ? _warningBarColor
                                                                              : _normalBarColor;
        const bool lit = (_onIdx <= i && i < _offIdx) || i == _peakBarIdx;
        context.saveGState();
        const plat::Rect inner = inset(bar, 1);
        context.clipToRect(inner);
        drawBar(context, inner, color, lit);
        context.restoreGState();
    }
    context.setStrokeColor(_outerBorderColor);
    context.setLineWidth(kOuterBorderWidth);
    context.strokeRect(inset(body, 1));
}

void QVBarGauge::drawBar(plat::GraphicsContext& context, plat::Rect rect, const plat::Color& color, bool lit) const
{
    if (!lit) {
        context.setFillColor(_backgroundColor);
        context.fillRect(rect);
        context.setFillColor(color.colorWithAlphaComponent(kUnlitAlpha));
        context.fillRect(rect);
        return;
    }
    double red = 0, green = 0, blue = 0, alpha = 0;
    // The glow needs the colour's components: a grey gives its white for all
    // three, and a colour without them (a pattern) is filled plainly.
    if (!_litEffect || !redGreenBlueAlpha(color, &red, &green, &blue, &alpha)) {
        context.setFillColor(color);
        context.fillRect(rect);
        return;
    }
    auto rim = [](double component) { return component > kRimDarkening ? component - kRimDarkening : component; };
    plat::Gradient gradient({plat::Color::colorWithRed(red, green, blue, alpha),
                                plat::Color::colorWithRed(rim(red), rim(green), rim(blue), alpha)},
        {0.0, kGradientRimLocation});
    const plat::Point centre {rect.minX() + rect.width() / 2, rect.minY() + rect.height() / 2};
    const double radius = std::sqrt(rect.width() * rect.width() + rect.height() * rect.height());
    context.drawRadialGradient(gradient, centre, 0, centre, radius, 0);
}

}  // namespace zt
