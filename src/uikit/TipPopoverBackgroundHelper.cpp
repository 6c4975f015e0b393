#include "uikit/TipPopoverBackgroundHelper.h"

#include <algorithm>

#include "platform/graphics/Image.h"
#include "platform/graphics/ImageContext.h"
#include "uikit/TipPopoverArrow.h"

namespace zt {

namespace {

constexpr double kCornerRadius = 6.0;
constexpr double kFillAlpha = 0.5;
constexpr double kShadowRadius = 5.0;
constexpr plat::Size kShadowOffset {0, 1};
constexpr double kShadowOpacity = 0.7;

// The look a picture pass changes, put back afterwards.
struct LookState {
    explicit LookState(const plat::ShapeLayer& layer)
        : fill(layer.fillColor())
        , stroke(layer.strokeColor())
        , lineWidth(layer.lineWidth())
        , shadowOpacity(layer.shadowOpacity())
    {
    }
    void restore(plat::ShapeLayer& layer) const
    {
        layer.setFillColor(fill);
        layer.setStrokeColor(stroke);
        layer.setLineWidth(lineWidth);
        layer.setShadowOpacity(shadowOpacity);
    }
    std::optional<plat::Color> fill;
    std::optional<plat::Color> stroke;
    double lineWidth;
    double shadowOpacity;
};

}  // namespace

TipPopoverBackgroundHelper::TipPopoverBackgroundHelper(
    std::weak_ptr<plat::View> annotationView, std::shared_ptr<TipPopoverArrow> arrow)
    : _annotationView(std::move(annotationView))
    , _arrow(std::move(arrow))
{
    setCornerRadius(kCornerRadius);
    setFillColor(plat::Color::colorWithWhite(0, kFillAlpha));
    setStrokeColor(plat::Color::blackColor());
    setLineWidth(1.0);
    setLineJoin(plat::LineJoin::Round);
    setShadowRadius(kShadowRadius);
    setShadowOffset(kShadowOffset);
    setShadowColor(plat::Color::blackColor());
    setShadowOpacity(kShadowOpacity);
}

std::shared_ptr<plat::Image> TipPopoverBackgroundHelper::resizableBackgroundImageForSize(
    plat::Size size, plat::EdgeInsets insets)
{
    const double r = cornerRadius();
    const unsigned direction = _arrow->direction();
    // One stretchable row (or column) across the body; the arrow's side keeps its size.
    const double stretchWidth = 2 * r + insets.left + insets.right + 1;
    const double stretchHeight = 2 * r + insets.top + insets.bottom + 1;
    plat::Size imageSize;
    plat::EdgeInsets caps;
    if (direction == TipPopoverArrowDirectionUp || direction == TipPopoverArrowDirectionDown) {
        imageSize = {size.width, stretchHeight};
        caps = {r + insets.top, 0, r + insets.bottom, 0};
    } else if (direction == TipPopoverArrowDirectionLeft || direction == TipPopoverArrowDirectionRight) {
        imageSize = {stretchWidth, size.height};
        caps = {0, r + insets.left, 0, r + insets.right};
    } else {
        imageSize = {stretchWidth, stretchHeight};
        caps = {r + insets.top, r + insets.left, r + insets.bottom, r + insets.right};
    }
    _pathFrame = plat::makeRect(insets.left, insets.top, imageSize.width - insets.left - insets.right,
        imageSize.height - insets.top - insets.bottom);
    const plat::Path outline = bezierPathForRect(_pathFrame);
    setPath(outline);
    setBounds({{0, 0}, imageSize});
    setPosition({imageSize.width / 2, imageSize.height / 2});

    plat::ImageContext image(imageSize, /*opaque=*/false, /*scale=*/0);
    plat::GraphicsContext* context = image.context();
    if (!context)
        return nullptr;
    const LookState look(*this);
    if (look.shadowOpacity != 0) {
        // A black body casts the shadow; clearing the body leaves only the
        // shadow outside it, so a see-through fill does not darken inside.
        setLineWidth(0);
        setStrokeColor(std::nullopt);
        setFillColor(plat::Color::blackColor());
        renderInContext(*context);
        context->saveGState();
        context->setBlendMode(plat::BlendMode::Clear);
        context->beginPath();
        context->addPath(outline);
        context->fillPath();
        context->restoreGState();
    }
    setShadowOpacity(0);
    setStrokeColor(std::nullopt);
    setFillColor(look.fill);
    renderInContext(*context);
    if (_drawPathBlock) {
        auto block = _drawPathBlock;
        block(*this, *context);
    }
    setFillColor(std::nullopt);
    setStrokeColor(look.stroke);
    setLineWidth(look.lineWidth);
    renderInContext(*context);
    look.restore(*this);

    auto picture = image.finish();
    return picture ? picture->resizableImageWithCapInsets(caps) : nullptr;
}

plat::Path TipPopoverBackgroundHelper::bezierPathForRect(plat::Rect rect) const
{
    const double x = rect.minX(), y = rect.minY(), w = rect.width(), h = rect.height();
    const double r = cornerRadius();
    const unsigned direction = _arrow->direction();
    const double base = _arrow->size().width;
    const double height = _arrow->size().height;
    const double offset = _arrow->offset();
    const double tipShift = _arrow->cornerOffset();
    const double cx = x + w / 2;
    const double cy = y + h / 2;

    plat::Path path;
    path.moveToPoint({x, y + r});
    path.addQuadCurveToPoint({x, y}, {x + r, y});
    if (direction == TipPopoverArrowDirectionUp) {
        path.addLineToPoint({cx - base / 2 + offset, y});
        path.addLineToPoint({cx + offset + tipShift, y - height});
        path.addLineToPoint({cx + base / 2 + offset, y});
    }
    path.addLineToPoint({x + w - r, y});
    path.addQuadCurveToPoint({x + w, y}, {x + w, y + r});
    if (direction == TipPopoverArrowDirectionRight) {
        path.addLineToPoint({x + w, cy - base / 2 + offset});
        path.addLineToPoint({x + w + height, cy + offset + tipShift});
        path.addLineToPoint({x + w, cy + base / 2 + offset});
    }
    path.addLineToPoint({x + w, y + h - r});
    path.addQuadCurveToPoint({x + w, y + h}, {x + w - r, y + h});
    if (direction == TipPopoverArrowDirectionDown) {
        path.addLineToPoint({cx + base / 2 + offset, y + h});
        path.addLineToPoint({cx + offset + tipShift, y + h + height});
        path.addLineToPoint({cx - base / 2 + offset, y + h});
    }
    path.addLineToPoint({x + r, y + h});
    path.addQuadCurveToPoint({x, y + h}, {x, y + h - r});
    if (direction == TipPopoverArrowDirectionLeft) {
        path.addLineToPoint({x, cy + base / 2 + offset});
        path.addLineToPoint({x - height, cy + offset + tipShift});
        path.addLineToPoint({x, cy - base / 2 + offset});
    }
    path.closePath();
    return path;
}

}  // namespace zt
