#include "uikit/AlertView.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <typeinfo>

#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"

namespace zt {

namespace {

// Shared by every alert; main thread only, like the alerts themselves.
std::optional<plat::Color> gBackgroundColor;
std::optional<plat::Color> gStrokeColor;

void applyDefaultColorsOnce()
{
    if (gBackgroundColor)
        return;
    gBackgroundColor = plat::Color::blackColor();
    gStrokeColor = plat::Color::colorWithHue(0.625, 0, 0.8, 0.8);
}

// Opaque: without the platform's blur behind the panel, a text of the
// screen behind would run through the alert's own.
constexpr double kPanelAlpha = 1.0;
constexpr double kRimWidth = 2.0;
// The gloss: an ellipse across the top of the panel, lit from above.
constexpr double kGlossLeft = -130;
constexpr double kGlossTop = -115;
constexpr double kGlossTopAlpha = 0.35;
constexpr double kGlossBottomAlpha = 0.06;
constexpr double kGlossHeightShare = 5;  // the gradient runs over the top fifth

struct Vector {
    double x, y;
};

Vector unit(Vector v)
{
    double length = std::hypot(v.x, v.y);
    return length > 0 ? Vector {v.x / length, v.y / length} : Vector {0, 0};
}

// The platform's arc-to-point: a straight line from current towards corner,
// then an arc of radius tangent to both lines (current, corner) and
// (corner, next). Returns where the arc ends.
plat::Point addArcToPoint(
    plat::GraphicsContext& context, plat::Point current, plat::Point corner, plat::Point next, double radius)
{
    Vector in = unit({current.x - corner.x, current.y - corner.y});
    Vector out = unit({next.x - corner.x, next.y - corner.y});
    double cosine = in.x * out.x + in.y * out.y;
    double angle = std::acos(std::clamp(cosine, -1.0, 1.0));
    if (radius <= 0 || angle < 1e-9 || std::abs(angle - std::numbers::pi) < 1e-9) {
        context.addLineToPoint(corner);
        return corner;
    }
    double tangentDistance = radius / std::tan(angle / 2);
    plat::Point start {corner.x + in.x * tangentDistance, corner.y + in.y * tangentDistance};
    plat::Point end {corner.x + out.x * tangentDistance, corner.y + out.y * tangentDistance};
    Vector bisector = unit({in.x + out.x, in.y + out.y});
    double centreDistance = radius / std::sin(angle / 2);
    plat::Point centre {corner.x + bisector.x * centreDistance, corner.y + bisector.y * centreDistance};
    double startAngle = std::atan2(start.y - centre.y, start.x - centre.x);
    double endAngle = std::atan2(end.y - centre.y, end.x - centre.x);
    // With y down, a right turn (positive cross product) runs the arc the way angles grow.
    double cross = (corner.x - current.x) * (next.y - corner.y) - (corner.y - current.y) * (next.x - corner.x);
    context.addLineToPoint(start);
    context.addArc(centre, radius, startAngle, endAngle, /*clockwise=*/cross > 0);
    return end;
}

}  // namespace

class AlertView::BlockResponder : public plat::AlertViewDelegate {
public:
    explicit BlockResponder(AlertView& alert)
        : _alert(alert)
    {
    }
    void alertViewClickedButtonAtIndex(plat::AlertView&, int64_t index) override { _alert.clickedButtonAtIndex(index); }
    bool alertViewCancel(plat::AlertView&) override { return _alert.cancelledBySystem(); }
    void willPresentAlertView(plat::AlertView&) override { _alert.runBlock(_alert._willPresent); }
    void didPresentAlertView(plat::AlertView&) override { _alert.runBlock(_alert._didPresent); }
    void alertViewWillDismissWithButtonIndex(plat::AlertView&, int64_t index) override
    {
        _alert.runBlock(_alert._willDismiss, index);
    }
    void alertViewDidDismissWithButtonIndex(plat::AlertView&, int64_t index) override
    {
        _alert.runBlock(_alert._didDismiss, index);
    }

private:
    // The alert owns this responder, so the reference never dangles.
    AlertView& _alert;
};

AlertView::AlertView(std::string title, std::string message)
    : plat::AlertView(std::move(title), std::move(message), {}, std::nullopt, {})
    , _responder(std::make_shared<BlockResponder>(*this))
{
    applyDefaultColorsOnce();
    setDelegate(_responder);
}

AlertView::AlertView(std::string title, std::string message, std::weak_ptr<plat::AlertViewDelegate> delegate,
    std::optional<std::string> cancelButtonTitle, std::vector<std::string> otherButtonTitles)
    : plat::AlertView(std::move(title), std::move(message), std::move(delegate), std::move(cancelButtonTitle),
        std::move(otherButtonTitles))
{
    applyDefaultColorsOnce();
}

AlertView::~AlertView() = default;

int64_t AlertView::addButtonWithTitle(std::string title, ButtonBlock block)
{
    int64_t index = plat::AlertView::addButtonWithTitle(std::move(title));
    // Buttons added by the platform's initialiser have no block; keep the
    // list aligned with the indexes all the same.
    if (_buttonCallbackArray.size() < static_cast<size_t>(index))
        _buttonCallbackArray.resize(static_cast<size_t>(index));
    _buttonCallbackArray.push_back(std::move(block));
    return index;
}

void AlertView::clickedButtonAtIndex(int64_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= _buttonCallbackArray.size())
        return;
    runBlock(_buttonCallbackArray[static_cast<size_t>(index)], index);
}

bool AlertView::cancelledBySystem()
{
    if (_cancel) {
        runBlock(_cancel);
        return true;
    }
    dismissWithClickedButtonIndex(cancelButtonIndex(), /*animated=*/false);
    return true;
}

void AlertView::runBlock(const AlertBlock& block)
{
    if (!block)
        return;
    auto keepAlive = sharedAs<AlertView>();
    auto run = block;  // the block may replace itself
    run(*this);
}

void AlertView::runBlock(const ButtonBlock& block, int64_t index)
{
    if (!block)
        return;
    auto keepAlive = sharedAs<AlertView>();
    auto run = block;
    run(*this, index);
}

void AlertView::setBackgroundColorWithStrokeColor(const plat::Color& fill, const plat::Color& stroke)
{
    gBackgroundColor = fill;
    gStrokeColor = stroke;
}

std::optional<plat::Color> AlertView::sharedBackgroundColor()
{
    return gBackgroundColor;
}

std::optional<plat::Color> AlertView::sharedStrokeColor()
{
    return gStrokeColor;
}

void AlertView::resetSharedColorsForTesting()
{
    gBackgroundColor.reset();
    gStrokeColor.reset();
}

void AlertView::drawRoundedRect(plat::Rect rect, plat::GraphicsContext& context, double radius) const
{
    double minX = rect.minX(), midX = rect.midX(), maxX = rect.maxX();
    double minY = rect.minY(), midY = rect.midY(), maxY = rect.maxY();
    plat::Point current {minX, midY};
    context.moveToPoint(current);
    current = addArcToPoint(context, current, {minX, minY}, {midX, minY}, radius);
    current = addArcToPoint(context, current, {maxX, minY}, {maxX, midY}, radius);
    current = addArcToPoint(context, current, {maxX, maxY}, {midX, maxY}, radius);
    (void)addArcToPoint(context, current, {minX, maxY}, {minX, midY}, radius);
    context.closePath();
}

void AlertView::drawRect(plat::GraphicsContext& context, plat::Rect)
{
    const plat::Rect r = bounds();
    const double x = r.minX(), y = r.minY(), w = r.width(), h = r.height();
    context.clearRect(r);
    context.setShouldAntialias(true);
    context.setAlpha(kPanelAlpha);
    context.setLineWidth(kRimWidth);
    context.setStrokeColor(gStrokeColor.value_or(plat::Color::clearColor()));
    context.setFillColor(gBackgroundColor.value_or(plat::Color::clearColor()));

    context.beginPath();
    drawRoundedRect(plat::makeRect(x + 2, y + 2, w - 4, h - 4), context, kCornerRadius);
    context.drawPath(plat::PathDrawingMode::FillStroke);

    context.beginPath();
    drawRoundedRect(plat::makeRect(x + 3, y + 3, w - 6, h - 6), context, kCornerRadius);
    context.clip();

    plat::Gradient gloss(
        {plat::Color::colorWithWhite(1, kGlossTopAlpha), plat::Color::colorWithWhite(1, kGlossBottomAlpha)},
        {0.0, 1.0});
    context.setAlpha(1.0);
    context.beginPath();
    context.addEllipseInRect(plat::makeRect(kGlossLeft, kGlossTop, 2 * w, w / 2));
    context.clip();
    context.drawLinearGradient(gloss, {x, y}, {x, h / kGlossHeightShare}, 0);
}

void AlertView::layoutSubviews()
{
    plat::AlertView::layoutSubviews();
    removeStockBackground();
    useLightText();
}

void AlertView::removeStockBackground()
{
    // The platform's own panel picture: exactly an image view, untagged.
    const auto current = subviews();  // removal changes the list
    for (const auto& subview : current) {
        const plat::View& view = *subview;
        if (typeid(view) == typeid(plat::ImageView) && view.tag() == 0) {
            subview->removeFromSuperview();
            return;
        }
    }
}

void AlertView::useLightText()
{
    // The drawn panel is dark: its texts and buttons are light, the message
    // too, which sits in its own scrolling view.
    lightenTextsIn(*this);
}

void AlertView::lightenTextsIn(plat::View& view)
{
    for (const auto& subview : view.subviews()) {
        if (auto label = std::dynamic_pointer_cast<plat::Label>(subview))
            label->setTextColor(plat::Color::whiteColor());
        else if (auto button = std::dynamic_pointer_cast<plat::Button>(subview))
            button->setTitleColor(plat::Color::whiteColor(), plat::ControlStateNormal);
        else
            lightenTextsIn(*subview);
    }
}

}  // namespace zt
