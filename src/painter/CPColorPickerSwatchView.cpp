#include "painter/CPColorPickerSwatchView.h"

#include "painter/CPRoundRectPaths.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Layer.h"
#include "platform/ui/ShapeLayer.h"
#include "platform/ui/Transaction.h"

namespace zt {

namespace {
// The shade comes at once: a transaction this short is all but no animation.
constexpr double kTouchDownSeconds = 0.001;
const plat::Color kShadowRimColor = plat::Color::colorWithWhite(0.6, 1);
const plat::Color kDropLineColor = plat::Color::colorWithWhite(1, 0.8);

plat::Rect insetRect(plat::Rect rect, double inset)
{
    return plat::makeRect(
        rect.minX() + inset, rect.minY() + inset, rect.width() - 2 * inset, rect.height() - 2 * inset);
}
}  // namespace

void showTouchDown(plat::ShapeLayer& layer, bool touched)
{
    plat::Transaction::begin();
    plat::Transaction::setAnimationDuration(kTouchDownSeconds);
    layer.setOpacity(touched ? CPColorPickerSwatchView::kTouchDownOpacity : 0);
    plat::Transaction::commit();
}

std::shared_ptr<CPColorPickerSwatchView> CPColorPickerSwatchView::initWithFrame(plat::Rect frame)
{
    auto swatch = std::make_shared<CPColorPickerSwatchView>(frame);
    swatch->setUp();
    return swatch;
}

CPColorPickerSwatchView::CPColorPickerSwatchView(plat::Rect frame)
    : plat::Control(frame)
{
}

void CPColorPickerSwatchView::setUp()
{
    // Not opaque: the rounded corners and see-through colours show what is behind.
    setBackgroundColor(plat::Color::clearColor());
    auto touchDown = plat::ShapeLayer::layer();
    touchDown->setOpacity(0);
    layer()->addSublayer(touchDown);
    _touchDownLayer = touchDown;
    auto checkmark = plat::Layer::layer();
    checkmark->setContents(plat::Image::imageNamed("MNColorViewCheckmark.png"));
    checkmark->setBounds(plat::makeRect(0, 0, kCheckmarkSide, kCheckmarkSide));
    checkmark->setHidden(true);
    layer()->addSublayer(checkmark);
    _checkmarkLayer = checkmark;
    setNeedsLayout();
}

void CPColorPickerSwatchView::setColor(const plat::Color& color)
{
    _color = color;
    setNeedsDisplay();
}

void CPColorPickerSwatchView::setBorderWidth(double width)
{
    _borderWidth = width;
    setNeedsDisplay();
}

void CPColorPickerSwatchView::setCornerRadius(double radius)
{
    _cornerRadius = radius;
    setNeedsDisplay();
    setNeedsLayout();
}

void CPColorPickerSwatchView::setHasShadow(bool hasShadow)
{
    _hasShadow = hasShadow;
    setNeedsDisplay();
}

const plat::Color& CPColorPickerSwatchView::checkerboardColor()
{
    if (!_checkerboardColor)
        _checkerboardColor = plat::Color::colorWithPatternImage(plat::Image::imageNamed("checkerboard.png"));
    return *_checkerboardColor;
}

void CPColorPickerSwatchView::setSelected(bool selected)
{
    plat::Control::setSelected(selected);
    if (auto checkmark = checkmarkLayer())
        checkmark->setHidden(!selected);
}

void CPColorPickerSwatchView::setSelected(bool selected, bool animated)
{
    if (animated) {
        setSelected(selected);  // the check mark fades by the layer's own animation
        return;
    }
    plat::Transaction::begin();
    plat::Transaction::setAnimationDuration(0);
    setSelected(selected);
    plat::Transaction::commit();
}

void CPColorPickerSwatchView::drawRect(plat::GraphicsContext& context, plat::Rect)
{
    const plat::Rect area = bounds();
    if (_color.alpha() < 1) {
        context.setFillColor(checkerboardColor());
        context.addPath(newRoundRectPathForBoundingRect(insetRect(area, _borderWidth), _cornerRadius - 1));
        context.fillPath();
    }
    context.setFillColor(_color);
    context.addPath(newRoundRectPathForBoundingRect(area, _cornerRadius + 1));
    context.fillPath();

    const plat::Path rim = newRoundRectPathForBoundingRect(insetRect(area, _borderWidth / 2), _cornerRadius);
    context.setLineWidth(_borderWidth);
    if (_hasShadow) {
        // A sharp drop shadow one point down: the light line under the rim.
        context.saveGState();
        context.translateCTM(0, 1);
        context.setStrokeColor(kDropLineColor);
        context.addPath(rim);
        context.strokePath();
        context.restoreGState();
        context.setBlendMode(plat::BlendMode::Multiply);
        context.setStrokeColor(kShadowRimColor);
    } else {
        context.setStrokeColor(plat::Color::whiteColor());
    }
    context.addPath(rim);
    context.strokePath();
    context.setBlendMode(plat::BlendMode::Normal);
}

void CPColorPickerSwatchView::layoutSubviews()
{
    plat::Control::layoutSubviews();
    const plat::Rect area = bounds();
    if (auto touchDown = touchDownLayer()) {
        touchDown->setFrame(area);
        touchDown->setPath(newRoundRectPathForBoundingRect(area, _cornerRadius));
    }
    if (auto checkmark = checkmarkLayer())
        checkmark->setPosition({area.maxX() - kCheckmarkInset, area.maxY() - kCheckmarkInset});
}

bool CPColorPickerSwatchView::beginTrackingWithTouch(plat::Touch&, const plat::Event&)
{
    if (auto touchDown = touchDownLayer())
        showTouchDown(*touchDown, /*touched=*/true);
    return true;
}

void CPColorPickerSwatchView::endTrackingWithTouch(plat::Touch&, const plat::Event&)
{
    if (auto touchDown = touchDownLayer())
        showTouchDown(*touchDown, /*touched=*/false);
}

void CPColorPickerSwatchView::cancelTrackingWithEvent(const plat::Event*)
{
    if (auto touchDown = touchDownLayer())
        showTouchDown(*touchDown, /*touched=*/false);
}

plat::Path CPColorPickerSwatchView::newRoundRectPathForBoundingRect(plat::Rect rect, double cornerRadius)
{
    return roundRectPathForBoundingRect(rect, cornerRadius);
}

}  // namespace zt
