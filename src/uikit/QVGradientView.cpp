#include "uikit/QVGradientView.h"

#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Screen.h"

namespace zt {

namespace {

std::shared_ptr<plat::Gradient> makeGradient(const std::vector<plat::Color>& colors, std::vector<double> locations)
{
    if (colors.size() < 2)
        return nullptr;
    if (locations.size() != colors.size())
        locations.clear();  // the gradient spreads the stops evenly
    return std::make_shared<plat::Gradient>(colors, std::move(locations));
}

}  // namespace

QVGradientView::QVGradientView()
{
    setContentMode(plat::ContentMode::Redraw);
}

QVGradientView::QVGradientView(plat::Rect frame)
    : plat::View(frame)
{
    setContentMode(plat::ContentMode::Redraw);
}

QVGradientView::~QVGradientView() = default;

void QVGradientView::setGradientColors(std::vector<plat::Color> colors)
{
    _gradientColors = std::move(colors);
    refreshGradient();
}

void QVGradientView::setGradientLocations(std::vector<double> locations)
{
    _gradientLocations = std::move(locations);
    refreshGradient();
}

std::vector<plat::Color> QVGradientView::dimmedGradientColors() const
{
    if (_dimmedGradientColors)
        return *_dimmedGradientColors;
    std::vector<plat::Color> dimmed;
    dimmed.reserve(_gradientColors.size());
    for (const plat::Color& color : _gradientColors) {
        if (color.colorSpaceModel() == plat::ColorSpaceModel::Pattern) {
            dimmed.push_back(color);  // no hue to take away
            continue;
        }
        double hue = 0, saturation = 0, brightness = 0, alpha = 0;
        color.getHue(&hue, &saturation, &brightness, &alpha);
        dimmed.push_back(plat::Color::colorWithHue(hue, 0, brightness, alpha));
    }
    return dimmed;
}

void QVGradientView::setDimmedGradientColors(std::optional<std::vector<plat::Color>> colors)
{
    _dimmedGradientColors = std::move(colors);
    refreshGradient();
}

void QVGradientView::setGradientMode(unsigned mode)
{
    _gradientMode = mode;
    setNeedsDisplay();
}

void QVGradientView::setGradientDirection(unsigned direction)
{
    _gradientDirection = direction;
    setNeedsDisplay();
}

void QVGradientView::setUseThinBorders(bool thin)
{
    _useThinBorders = thin;
    setNeedsDisplay();
}

void QVGradientView::setColorAndRedraw(std::optional<plat::Color>& field, std::optional<plat::Color> color)
{
    field = std::move(color);
    setNeedsDisplay();
}

void QVGradientView::setTopBorderColor(std::optional<plat::Color> color)
{
    setColorAndRedraw(_topBorderColor, std::move(color));
}

void QVGradientView::setTopInsetColor(std::optional<plat::Color> color)
{
    setColorAndRedraw(_topInsetColor, std::move(color));
}

void QVGradientView::setRightBorderColor(std::optional<plat::Color> color)
{
    setColorAndRedraw(_rightBorderColor, std::move(color));
}

void QVGradientView::setRightInsetColor(std::optional<plat::Color> color)
{
    setColorAndRedraw(_rightInsetColor, std::move(color));
}

void QVGradientView::setBottomBorderColor(std::optional<plat::Color> color)
{
    setColorAndRedraw(_bottomBorderColor, std::move(color));
}

void QVGradientView::setBottomInsetColor(std::optional<plat::Color> color)
{
    setColorAndRedraw(_bottomInsetColor, std::move(color));
}

void QVGradientView::setLeftBorderColor(std::optional<plat::Color> color)
{
    setColorAndRedraw(_leftBorderColor, std::move(color));
}

void QVGradientView::setLeftInsetColor(std::optional<plat::Color> color)
{
    setColorAndRedraw(_leftInsetColor, std::move(color));
}

void QVGradientView::setGradient(std::shared_ptr<plat::Gradient> gradient)
{
    _gradient = std::move(gradient);
    setNeedsDisplay();
}

void QVGradientView::tintColorDidChange()
{
    refreshGradient();
}

void QVGradientView::refreshGradient()
{
    if (tintAdjustmentMode() == plat::ViewTintAdjustmentMode::Dimmed)
        setGradient(makeGradient(dimmedGradientColors(), _gradientLocations));
    else
        setGradient(makeGradient(_gradientColors, _gradientLocations));
}

void QVGradientView::drawRect(plat::GraphicsContext& context, plat::Rect)
{
    const double width = bounds().width();
    const double height = bounds().height();
    const double scale = plat::Screen::mainScreen().scale();
    const double line = _useThinBorders && scale > 0 ? 1 / scale : 1;

    if (_gradient) {
        if (_gradientMode != GradientModeLinear) {
            const plat::Point centre {width / 2, height / 2};
            context.drawRadialGradient(*_gradient, centre, 0, centre, width * 0.5, plat::GradientDrawsAfterEndLocation);
        } else {
            const plat::Point end
                = _gradientDirection == GradientDirectionVertical ? plat::Point {0, height} : plat::Point {width, 0};
            context.drawLinearGradient(*_gradient, {0, 0}, end, 0);
        }
    }

    auto fill = [&](const plat::Color& color, plat::Rect rect) {
        context.setFillColor(color);
        context.fillRect(rect);
    };
    if (_topBorderColor) {
        fill(*_topBorderColor, plat::makeRect(0, 0, width, line));
        if (_topInsetColor)
            fill(*_topInsetColor, plat::makeRect(0, line, width, line));
    }
    // The side lines run between the top and bottom borders.
    const double sideStart = _topBorderColor ? line : 0;
    const double sideLength = height - (_topBorderColor ? line : 0) - (_bottomBorderColor ? line : 0);
    if (_rightBorderColor) {
        if (_rightInsetColor)
            fill(*_rightInsetColor, plat::makeRect(width - 2 * line, sideStart, line, sideLength));
        fill(*_rightBorderColor, plat::makeRect(width - line, sideStart, line, sideLength));
    }
    if (_bottomBorderColor) {
        if (_bottomInsetColor)
            fill(*_bottomInsetColor, plat::makeRect(0, height - 2 * line, width, line));
        fill(*_bottomBorderColor, plat::makeRect(0, height - line, width, line));
    }
    if (_leftBorderColor) {
        if (_leftInsetColor)
            fill(*_leftInsetColor, plat::makeRect(line, sideStart, line, sideLength));
        fill(*_leftBorderColor, plat::makeRect(0, sideStart, line, sideLength));
    }
}

}  // namespace zt
