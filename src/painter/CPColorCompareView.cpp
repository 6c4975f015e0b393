#include "painter/CPColorCompareView.h"

#include "painter/CPColorPickerSwatchView.h"
#include "painter/CPRoundRectPaths.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ShapeLayer.h"

namespace zt {

namespace {
constexpr double kHalfCornerRadius = 7;
constexpr double kRimCornerRadius = 6;
constexpr double kRimWidth = 2;
// The halves overlap by a point each way, so no seam shows between them.
constexpr double kHalfOverlap = 1;
}  // namespace

std::shared_ptr<CPColorCompareView> CPColorCompareView::initWithFrame(plat::Rect frame)
{
    auto view = std::make_shared<CPColorCompareView>(frame);
    view->setUp();
    return view;
}

CPColorCompareView::CPColorCompareView(plat::Rect frame)
    : plat::Control(frame)
{
}

void CPColorCompareView::setUp()
{
    // Not opaque: the rounded corners and see-through colours show what is behind.
    setBackgroundColor(plat::Color::clearColor());
    auto touchDown = plat::ShapeLayer::layer();
    touchDown->setOpacity(0);
    layer()->addSublayer(touchDown);
    _touchDownLayer = touchDown;
    setNeedsLayout();
}

void CPColorCompareView::setOldColor(const plat::Color& color)
{
    _oldColor = color;
    setNeedsDisplay();
}

void CPColorCompareView::setCurrentColor(const plat::Color& color)
{
    _currentColor = color;
    setNeedsDisplay();
}

const plat::Color& CPColorCompareView::checkerboardColor()
{
    if (!_checkerboardColor)
        _checkerboardColor = plat::Color::colorWithPatternImage(plat::Image::imageNamed("checkerboard.png"));
    return *_checkerboardColor;
}

void CPColorCompareView::drawRect(plat::GraphicsContext& context, plat::Rect)
{
    const plat::Rect area = bounds();
    const double w = area.width();
    const double h = area.height();
    if (!(_oldColor.alpha() >= 1 && _currentColor.alpha() <= 0)) {
        context.setFillColor(checkerboardColor());
        context.addPath(newRoundRectPathForBoundingRect(plat::makeRect(2, 2, w - 4, h - 4), 5));
        context.fillPath();
    }
    context.setFillColor(_oldColor);
    context.addPath(
        newLeftRoundRectPathForBoundingRect(plat::makeRect(0, 0, w / 2 + kHalfOverlap, h), kHalfCornerRadius));
    context.fillPath();
    context.setFillColor(_currentColor);
    context.addPath(newRightRoundRectPathForBoundingRect(
        plat::makeRect(w / 2 - kHalfOverlap, 0, w / 2 + kHalfOverlap, h), kHalfCornerRadius));
    context.fillPath();
    context.setLineWidth(kRimWidth);
    context.setStrokeColor(plat::Color::whiteColor());
    context.addPath(newRoundRectPathForBoundingRect(plat::makeRect(1, 1, w - 2, h - 2), kRimCornerRadius));
    context.strokePath();
}

void CPColorCompareView::layoutSubviews()
{
    plat::Control::layoutSubviews();
    const plat::Rect area = bounds();
    if (auto touchDown = touchDownLayer()) {
        touchDown->setFrame(area);
        touchDown->setPath(newLeftRoundRectPathForBoundingRect(
            plat::makeRect(0, 0, area.width() / 2 + kHalfOverlap, area.height()), kHalfCornerRadius));
    }
}

bool CPColorCompareView::beginTrackingWithTouch(plat::Touch&, const plat::Event&)
{
    if (auto touchDown = touchDownLayer())
        showTouchDown(*touchDown, /*touched=*/true);
    return true;
}

void CPColorCompareView::endTrackingWithTouch(plat::Touch&, const plat::Event&)
{
    if (auto touchDown = touchDownLayer())
        showTouchDown(*touchDown, /*touched=*/false);
}

void CPColorCompareView::cancelTrackingWithEvent(const plat::Event*)
{
    if (auto touchDown = touchDownLayer())
        showTouchDown(*touchDown, /*touched=*/false);
}

plat::Path CPColorCompareView::newLeftRoundRectPathForBoundingRect(plat::Rect rect, double cornerRadius)
{
    return leftRoundRectPathForBoundingRect(rect, cornerRadius);
}

plat::Path CPColorCompareView::newRightRoundRectPathForBoundingRect(plat::Rect rect, double cornerRadius)
{
    return rightRoundRectPathForBoundingRect(rect, cornerRadius);
}

plat::Path CPColorCompareView::newRoundRectPathForBoundingRect(plat::Rect rect, double cornerRadius)
{
    return roundRectPathForBoundingRect(rect, cornerRadius);
}

}  // namespace zt
