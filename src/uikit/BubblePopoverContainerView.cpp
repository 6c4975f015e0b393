#include "uikit/BubblePopoverContainerView.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/Image.h"
#include "uikit/RectOperations.h"
#include "uikit/ResizableImageDrawing.h"

namespace zt {

namespace {

constexpr double kBackgroundMargin = 6.0;
constexpr int64_t kBackgroundCapSize = 15;
constexpr double kContentMargin = 2.0;
constexpr double kArrowMargin = 1.0;
// Opaque: without the platform's blur behind the bubble, anything that
// showed through (toolbar icons beside a menu's own) would read as content.
constexpr double kDrawingAlpha = 1.0;

double finiteOrZero(double value)
{
    return std::isfinite(value) ? value : 0;
}

std::shared_ptr<plat::Image> imageNamedOrNone(const std::string& name)
{
    return name.empty() ? nullptr : plat::Image::imageNamed(name);
}

plat::Size sizeOf(const std::shared_ptr<plat::Image>& image)
{
    return image ? image->size() : plat::Size {};
}

}  // namespace

std::shared_ptr<BubblePopoverContainerViewProperties> BubblePopoverContainerViewProperties::defaultProperties()
{
    auto properties = std::make_shared<BubblePopoverContainerViewProperties>();
    properties->setBgImageName("popoverBgSimple.png");
    properties->setUpArrowImageName("popoverArrowUpSimple.png");
    properties->setDownArrowImageName("popoverArrowDownSimple.png");
    properties->setLeftArrowImageName("popoverArrowLeftSimple.png");
    properties->setRightArrowImageName("popoverArrowRightSimple.png");
    properties->setLeftBgMargin(kBackgroundMargin);
    properties->setRightBgMargin(kBackgroundMargin);
    properties->setTopBgMargin(kBackgroundMargin);
    properties->setBottomBgMargin(kBackgroundMargin);
    properties->setTopBgCapSize(kBackgroundCapSize);
    properties->setLeftBgCapSize(kBackgroundCapSize);
    properties->setArrowMargin(kArrowMargin);
    properties->setLeftContentMargin(kContentMargin);
    properties->setRightContentMargin(kContentMargin);
    properties->setTopContentMargin(kContentMargin);
    properties->setBottomContentMargin(kContentMargin);
    return properties;
}

BubblePopoverContainerView::BubblePopoverContainerView(plat::Size size, plat::Rect anchorRect, plat::Rect displayArea,
    BubblePopoverArrowDirection permittedArrowDirections,
    std::shared_ptr<BubblePopoverContainerViewProperties> properties)
    : plat::View(plat::Rect {})
{
    setProperties(properties ? std::move(properties) : std::make_shared<BubblePopoverContainerViewProperties>());
    const auto& m = *_properties;
    const double width = std::max(finiteOrZero(size.width), 0.0);
    const double height = std::max(finiteOrZero(size.height), 0.0);
    _correctedSize = {width + m.leftBgMargin() + m.rightBgMargin() + m.leftContentMargin() + m.rightContentMargin(),
        height + m.topBgMargin() + m.bottomBgMargin() + m.topContentMargin() + m.bottomContentMargin()};
    determineGeometryForSize(_correctedSize, anchorRect, displayArea, permittedArrowDirections);
    initFrame();
    setBackgroundColor(plat::Color::clearColor());
    // Blur effect views are not available here, so the bubble always draws its background picture.
    if (auto background = imageNamedOrNone(m.bgImageName()))
        _bgImage = detail::stretchableImage(*background, m.leftBgCapSize(), m.topBgCapSize());
    setClipsToBounds(true);
    setUserInteractionEnabled(true);
}

BubblePopoverContainerView::~BubblePopoverContainerView() = default;

void BubblePopoverContainerView::setProperties(std::shared_ptr<BubblePopoverContainerViewProperties> properties)
{
    _properties = std::move(properties);
}

std::shared_ptr<plat::Image> BubblePopoverContainerView::arrowImageForDirection(
    BubblePopoverArrowDirection direction) const
{
    switch (direction) {
    case kBubbleArrowDirectionUp:
        return _upArrowImage;
    case kBubbleArrowDirectionDown:
        return _downArrowImage;
    case kBubbleArrowDirectionLeft:
        return _leftArrowImage;
    case kBubbleArrowDirectionRight:
        return _rightArrowImage;
    default:
        return nullptr;
    }
}

void BubblePopoverContainerView::determineGeometryForSize(plat::Size size, plat::Rect anchorRect,
    plat::Rect displayArea, BubblePopoverArrowDirection permittedArrowDirections)
{
    const auto& m = *_properties;
    _offset = {};
    _bgRect = {};
    _arrowRect = {};
    _arrowDirection = kBubbleArrowDirectionUnknown;
    _upArrowImage = imageNamedOrNone(m.upArrowImageName());
    _downArrowImage = imageNamedOrNone(m.downArrowImageName());
    _leftArrowImage = imageNamedOrNone(m.leftArrowImageName());
    _rightArrowImage = imageNamedOrNone(m.rightArrowImageName());
    double bestSurface = 0;
    double bestMargin = 0;
    const plat::Rect& a = anchorRect;
    const plat::Rect& d = displayArea;

    for (BubblePopoverArrowDirection direction :
        {kBubbleArrowDirectionUp, kBubbleArrowDirectionDown, kBubbleArrowDirectionLeft, kBubbleArrowDirectionRight}) {
        if (!(permittedArrowDirections & direction))
            continue;
        const plat::Size image = sizeOf(arrowImageForDirection(direction));
        const double iw = image.width;
        const double ih = image.height;
        double ax = 0, ay = 0, ox = 0, oy = 0;
        plat::Point anchor;
        switch (direction) {
        case kBubbleArrowDirectionUp:  // the bubble below the anchor
            anchor = {a.midX(), a.maxY()};
            ax = size.width / 2 - iw / 2;
            ay = m.topBgMargin() - ih;
            ox = anchor.x - ax - iw / 2;
            oy = anchor.y - ay;
            break;
        case kBubbleArrowDirectionDown:  // above it
            anchor = {a.midX(), a.minY()};
            ax = size.width / 2 - iw / 2;
            ay = size.height - m.bottomBgMargin();
            ox = anchor.x - ax - iw / 2;
            oy = anchor.y - ay - ih;
            break;
        case kBubbleArrowDirectionLeft:  // right of it
            anchor = {a.maxX(), a.midY()};
            ax = m.leftBgMargin() - iw;
            ay = size.height / 2 - ih / 2;
            ox = anchor.x - ax;
            oy = anchor.y - ay - ih / 2;
            break;
        default:  // right: left of it
            anchor = {a.minX(), a.midY()};
            ax = size.width - m.rightBgMargin();
            ay = size.height / 2 - ih / 2;
            ox = anchor.x - ax - iw;
            oy = anchor.y - ay - ih / 2;
            break;
        }

        // The body slides along the arrow's edge to fit, the arrow keeps
        // pointing at the anchor but stays clear of the body's corners.
        if (direction == kBubbleArrowDirectionUp || direction == kBubbleArrowDirectionDown) {
            if (ox < 0) {
                ax += ox;
                ox = 0;
            } else if (ox + size.width > d.width()) {
                ax += ox + size.width - d.width();
                ox = d.width() - size.width;
            }
            ax = std::min(std::max(ax, m.leftBgMargin() + m.arrowMargin()),
                size.width - m.rightBgMargin() - m.arrowMargin() - iw);
        } else {
            if (oy < 0) {
                ay += oy;
                oy = 0;
            } else if (oy + size.height > d.height()) {
                ay += oy + size.height - d.height();
                oy = d.height() - size.height;
            }
            ay = std::min(std::max(ay, m.topBgMargin() + m.arrowMargin()),
                size.height - m.bottomBgMargin() - m.arrowMargin() - ih);
        }

        plat::Rect body = plat::makeRect(0, 0, size.width, size.height);
        plat::Rect arrow = plat::makeRect(ax, ay, iw, ih);

        // What does not fit the display area is cut off; the arrow stays on its edge.
        const plat::Rect placed = detail::rectOffset(body, ox, oy);
        double left = placed.minX() - d.minX();
        double right = d.maxX() - placed.maxX();
        double top = placed.minY() - d.minY();
        double bottom = d.maxY() - placed.maxY();
        if (left < 0) {
            ox -= left;
            body.size.width += left;
            left = 0;
            if (direction == kBubbleArrowDirectionRight)
                arrow.origin.x = body.maxX() - m.rightBgMargin();
        }
        if (right < 0) {
            body.size.width += right;
            right = 0;
            if (direction == kBubbleArrowDirectionLeft)
                arrow.origin.x = body.minX() - iw + m.leftBgMargin();
        }
        if (top < 0) {
            body.size.height += top;
            oy -= top;
            top = 0;
            if (direction == kBubbleArrowDirectionDown)
                arrow.origin.y = body.maxY() - m.bottomBgMargin();
        }
        if (bottom < 0) {
            body.size.height += bottom;
            bottom = 0;
            if (direction == kBubbleArrowDirectionUp)
                arrow.origin.y = body.minY() - ih + m.topBgMargin();
        }
        // A display area smaller than nothing (a negative size) must not turn the body inside out.
        body.size.width = std::max(body.size.width, 0.0);
        body.size.height = std::max(body.size.height, 0.0);

        const double margin = std::min({left, right, top, bottom});
        const auto shown = detail::rectIntersection(d, detail::rectOffset(body, ox, oy));
        const double surface = shown ? shown->width() * shown->height() : 0;
        if (surface >= bestSurface && margin >= bestMargin) {
            bestSurface = surface;
            bestMargin = margin;
            _offset = {ox, oy};
            _arrowRect = arrow;
            _bgRect = body;
            _arrowDirection = direction;
        }
    }
    _arrowImage = arrowImageForDirection(_arrowDirection);
}

void BubblePopoverContainerView::initFrame()
{
    const plat::Rect frame = detail::rectOffset(detail::rectUnion(_bgRect, _arrowRect), _offset.x, _offset.y);
    _arrowOffset = {_arrowRect.minX() < 0 ? -_arrowRect.minX() : 0, _arrowRect.minY() < 0 ? -_arrowRect.minY() : 0};
    _bgRect = detail::rectOffset(_bgRect, _arrowOffset.x, _arrowOffset.y);
    _arrowRect = detail::rectOffset(_arrowRect, _arrowOffset.x, _arrowOffset.y);
    setFrame(detail::isFiniteRect(frame) ? frame : plat::Rect {});
    setNeedsDisplay();
}

plat::Rect BubblePopoverContainerView::contentRect() const
{
    const auto& m = *_properties;
    // A body cut down below its margins leaves no room rather than a negative one.
    return plat::makeRect(m.leftBgMargin() + m.leftContentMargin() + _arrowOffset.x,
        m.topBgMargin() + m.topContentMargin() + _arrowOffset.y,
        std::max(
            _bgRect.width() - m.leftBgMargin() - m.rightBgMargin() - m.leftContentMargin() - m.rightContentMargin(),
            0.0),
        std::max(
            _bgRect.height() - m.topBgMargin() - m.bottomBgMargin() - m.topContentMargin() - m.bottomContentMargin(),
            0.0));
}

plat::Size BubblePopoverContainerView::contentSize() const
{
    return contentRect().size;
}

void BubblePopoverContainerView::setContentView(std::shared_ptr<plat::View> view)
{
    if (view == _contentView)
        return;
    _contentView = std::move(view);
    if (!_contentView)
        return;
    _contentView->setFrame(contentRect());
    addSubview(_contentView);
}

void BubblePopoverContainerView::updatePositionWithAnchorRect(
    plat::Rect anchorRect, plat::Rect displayArea, BubblePopoverArrowDirection permittedArrowDirections)
{
    determineGeometryForSize(_correctedSize, anchorRect, displayArea, permittedArrowDirections);
    initFrame();
    if (_contentView)
        _contentView->setFrame(contentRect());
}

void BubblePopoverContainerView::drawRect(plat::GraphicsContext& context, plat::Rect)
{
    if (_bgImage)
        detail::drawResizableImage(context, *_bgImage, _bgRect, plat::BlendMode::Normal, kDrawingAlpha);
    if (_arrowImage)
        context.drawImage(*_arrowImage, _arrowRect, plat::BlendMode::Normal, kDrawingAlpha);
}

bool BubblePopoverContainerView::pointInside(plat::Point point, const plat::Event*) const
{
    return contentRect().contains(point);
}

// Touches that reach the bubble stop here: they are not passed on to the
// views behind it.
void BubblePopoverContainerView::touchesBegan(const plat::TouchSet&, const plat::Event&) { }
void BubblePopoverContainerView::touchesMoved(const plat::TouchSet&, const plat::Event&) { }
void BubblePopoverContainerView::touchesEnded(const plat::TouchSet&, const plat::Event&) { }
void BubblePopoverContainerView::touchesCancelled(const plat::TouchSet&, const plat::Event&) { }

}  // namespace zt
