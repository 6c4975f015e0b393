#include "platform/ui/Layer.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Animation.h"
#include "platform/ui/AttachedAnimation.h"
#include "platform/ui/Homography.h"
#include "platform/ui/LayerDelegate.h"
#include "platform/ui/LayerRenderer.h"
#include "platform/ui/Transaction.h"
#include "platform/ui/UpdateCycle.h"

namespace plat {

namespace detail {

void AttachedAnimation::notifyStopped(bool finished)
{
    auto observers = std::move(stopObservers);
    stopObservers.clear();
    for (auto& observer : observers)
        observer(finished);
}

}  // namespace detail

namespace {

detail::Homography toRoot(const Layer* layer)
{
    detail::Homography h;
    for (const Layer* l = layer; l; l = l->superlayer().get())
        if (l->superlayer())
            h = detail::Homography::concat(h, l->properties().toSuperlayer());
    return h;
}

}  // namespace

Layer::Layer() = default;

Layer::~Layer()
{
    for (auto& sublayer : _sublayers)
        sublayer->_superlayer.reset();
    for (auto& record : _animations) {
        RunLoop::main().cancelPreviousPerformRequests(record.get());
        if (!record->stopped) {
            record->stopped = true;
            auto animation = record->animation;
            DispatchQueue::mainQueue().async([record, animation] {
                if (auto delegate = animation->delegate())
                    delegate->animationDidStop(*animation, false);
                record->notifyStopped(false);
            });
        }
    }
}

LayerDelegate* Layer::activeDelegate() const
{
    if (_ownerView)
        return _ownerView;
    return _delegate.lock().get();
}

void Layer::willChangeProperty(std::string_view keyPath)
{
    if (_ownerView)
        _ownerView->layerPropertyWillChange(*this, keyPath);
}

void Layer::didChangeProperty()
{
    detail::UpdateCycle::noteVisualChange();
}

void Layer::didChangeOwnContent()
{
    ++_ownContentVersion;
    didChangeProperty();
}

void Layer::setBounds(Rect bounds)
{
    Rect old = _p.bounds;
    if (old == bounds)
        return;
    willChangeProperty("bounds");
    _p.bounds = bounds;
    didChangeProperty();
    if (old.size != bounds.size) {
        setNeedsLayout();
        if (_needsDisplayOnBoundsChange)
            setNeedsDisplay();
    }
    if (_ownerView)
        _ownerView->layerBoundsDidChange(*this, old);
}

void Layer::setPosition(Point position)
{
    if (_p.position == position)
        return;
    willChangeProperty("position");
    _p.position = position;
    didChangeProperty();
}

void Layer::setAnchorPoint(Point anchorPoint)
{
    willChangeProperty("anchorPoint");
    _p.anchorPoint = anchorPoint;
    didChangeProperty();
}

void Layer::setZPosition(double zPosition)
{
    willChangeProperty("zPosition");
    _p.zPosition = zPosition;
    didChangeProperty();
}

void Layer::setFrame(Rect frame)
{
    setPosition(
        {frame.origin.x + _p.anchorPoint.x * frame.size.width, frame.origin.y + _p.anchorPoint.y * frame.size.height});
    setBounds({_p.bounds.origin, frame.size});
}

void Layer::setTransform(const Transform3D& transform)
{
    willChangeProperty("transform");
    _p.transform = transform;
    didChangeProperty();
}

void Layer::setAffineTransform(const AffineTransform& transform)
{
    setTransform(Transform3D::makeAffineTransform(transform));
}

void Layer::setOpacity(double opacity)
{
    willChangeProperty("opacity");
    _p.opacity = opacity;
    didChangeProperty();
}

void Layer::setHidden(bool hidden)
{
    _p.hidden = hidden;
    didChangeProperty();
}

void Layer::setMasksToBounds(bool masks)
{
    _p.masksToBounds = masks;
    didChangeProperty();
}

void Layer::setDoubleSided(bool doubleSided)
{
    _p.doubleSided = doubleSided;
    didChangeProperty();
}

void Layer::setCornerRadius(double radius)
{
    willChangeProperty("cornerRadius");
    _p.cornerRadius = radius;
    didChangeProperty();
}

void Layer::setBorderWidth(double width)
{
    willChangeProperty("borderWidth");
    _p.borderWidth = width;
    didChangeProperty();
}

void Layer::setBorderColor(const Color& color)
{
    willChangeProperty("borderColor");
    _p.borderColor = color;
    didChangeProperty();
}

void Layer::setBackgroundColor(std::optional<Color> color)
{
    willChangeProperty("backgroundColor");
    _p.backgroundColor = std::move(color);
    didChangeProperty();
}

void Layer::setShadowColor(const Color& color)
{
    willChangeProperty("shadowColor");
    _p.shadowColor = color;
    didChangeProperty();
}

void Layer::setShadowOpacity(double opacity)
{
    willChangeProperty("shadowOpacity");
    _p.shadowOpacity = opacity;
    didChangeProperty();
}

void Layer::setShadowOffset(Size offset)
{
    willChangeProperty("shadowOffset");
    _p.shadowOffset = offset;
    didChangeProperty();
}

void Layer::setShadowRadius(double radius)
{
    willChangeProperty("shadowRadius");
    _p.shadowRadius = radius;
    didChangeProperty();
}

void Layer::setShadowPath(std::optional<Path> path)
{
    _p.shadowPath = std::move(path);
    didChangeProperty();
}

void Layer::setContents(std::shared_ptr<const Image> contents)
{
    _p.contents = std::move(contents);
    didChangeProperty();
}

void Layer::setContentsGravity(ContentsGravity gravity)
{
    _p.contentsGravity = gravity;
    didChangeProperty();
}

void Layer::setContentsScale(double scale)
{
    if (scale <= 0 || scale == _p.contentsScale)
        return;
    _p.contentsScale = scale;
    didChangeProperty();
}

void Layer::setContentsCenter(Rect center)
{
    _p.contentsCenter = center;
    didChangeProperty();
}

// Tree

void Layer::attachSublayer(const std::shared_ptr<Layer>& layer, size_t index)
{
    if (!layer || layer.get() == this)
        return;
    if (isDescendantOf(*layer))
        detail::fatal("Layer: a layer cannot become a sublayer of its own sublayer");
    auto keepAlive = layer;
    if (auto old = layer->superlayer()) {
        auto& siblings = old->_sublayers;
        auto it = std::find(siblings.begin(), siblings.end(), layer);
        if (it != siblings.end()) {
            size_t oldIndex = static_cast<size_t>(it - siblings.begin());
            siblings.erase(it);
            if (old.get() == this && oldIndex < index)
                --index;
        }
    }
    index = std::min(index, _sublayers.size());
    _sublayers.insert(_sublayers.begin() + static_cast<std::ptrdiff_t>(index), layer);
    layer->_superlayer = std::static_pointer_cast<Layer>(shared_from_this());
    didChangeProperty();
}

void Layer::addSublayer(const std::shared_ptr<Layer>& layer)
{
    attachSublayer(layer, _sublayers.size());
}

void Layer::insertSublayer(const std::shared_ptr<Layer>& layer, size_t index)
{
    attachSublayer(layer, index);
}

void Layer::insertSublayerBelow(const std::shared_ptr<Layer>& layer, const Layer& sibling)
{
    auto it = std::find_if(_sublayers.begin(), _sublayers.end(), [&](const auto& l) { return l.get() == &sibling; });
    attachSublayer(layer, it == _sublayers.end() ? 0 : static_cast<size_t>(it - _sublayers.begin()));
}

void Layer::insertSublayerAbove(const std::shared_ptr<Layer>& layer, const Layer& sibling)
{
    auto it = std::find_if(_sublayers.begin(), _sublayers.end(), [&](const auto& l) { return l.get() == &sibling; });
    attachSublayer(
        layer, it == _sublayers.end() ? _sublayers.size() : static_cast<size_t>(it - _sublayers.begin()) + 1);
}

void Layer::replaceSublayer(const Layer& oldLayer, const std::shared_ptr<Layer>& newLayer)
{
    auto it = std::find_if(_sublayers.begin(), _sublayers.end(), [&](const auto& l) { return l.get() == &oldLayer; });
    if (it == _sublayers.end())
        return;
    size_t index = static_cast<size_t>(it - _sublayers.begin());
    auto removed = *it;
    removed->removeFromSuperlayer();
    attachSublayer(newLayer, index);
}

void Layer::removeFromSuperlayer()
{
    auto super = superlayer();
    if (!super)
        return;
    auto self = std::static_pointer_cast<Layer>(shared_from_this());
    auto& siblings = super->_sublayers;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), self), siblings.end());
    _superlayer.reset();
    didChangeProperty();
}

bool Layer::isDescendantOf(const Layer& ancestor) const
{
    for (auto layer = superlayer(); layer; layer = layer->superlayer())
        if (layer.get() == &ancestor)
            return true;
    return false;
}

// Display and layout

void Layer::setNeedsDisplay()
{
    if (_needsDisplay)
        return;
    _needsDisplay = true;
    if (auto self = std::static_pointer_cast<Layer>(weak_from_this().lock()))
        detail::UpdateCycle::shared().layerNeedsDisplay(self);
}

void Layer::displayIfNeeded()
{
    if (_needsDisplay)
        display();
}

void Layer::display()
{
    _needsDisplay = false;
    LayerDelegate* delegate = activeDelegate();
    if (!delegate || !delegate->drawsLayerContent(*this))
        return;
    detail::LayerRenderer::drawBackingPicture(*this);
}

void Layer::drawInContext(GraphicsContext& context)
{
    if (LayerDelegate* delegate = activeDelegate())
        delegate->drawLayer(*this, context);
}

void Layer::setNeedsLayout()
{
    if (_needsLayout)
        return;
    _needsLayout = true;
    if (auto self = std::static_pointer_cast<Layer>(weak_from_this().lock()))
        detail::UpdateCycle::shared().layerNeedsLayout(self);
}

void Layer::layoutIfNeeded()
{
    auto keepAlive = weak_from_this().lock();
    if (_needsLayout) {
        _needsLayout = false;
        layoutSublayers();
    }
    auto sublayers = _sublayers;  // layout may change the tree
    for (const auto& sublayer : sublayers)
        sublayer->layoutIfNeeded();
}

void Layer::layoutSublayers()
{
    if (LayerDelegate* delegate = activeDelegate())
        delegate->layoutSublayersOfLayer(*this);
}

// Animations

void Layer::addAnimation(const Animation& animation, const std::string& key)
{
    attachAnimation(animation, key);
}

std::shared_ptr<detail::AttachedAnimation> Layer::attachAnimation(const Animation& animation, const std::string& key)
{
    if (!key.empty())
        removeAnimationForKey(key);
    auto record = std::make_shared<detail::AttachedAnimation>();
    record->key = key;
    record->animation = animation.clone();
    const double now = currentMediaTime();
    record->beginUptime = animation.beginTime() > 0 ? animation.beginTime() : now;
    _animations.push_back(record);
    Transaction::trackAnimation(record);
    didChangeProperty();

    std::weak_ptr<Layer> weakSelf = std::static_pointer_cast<Layer>(shared_from_this());
    if (record->animation->delegate()) {
        RunLoop::main().performAfterDelay(record.get(), std::max(0.0, record->beginUptime - now), [record] {
            if (!record->stopped)
                record->animation->delegate()->animationDidStart(*record->animation);
        });
    }
    const double end = record->beginUptime + record->animation->activeDurationSeconds();
    if (std::isfinite(end)) {
        RunLoop::main().performAfterDelay(record.get(), std::max(0.0, end - now), [weakSelf, record] {
            if (auto layer = weakSelf.lock())
                layer->finishAnimation(record);
        });
    }
    return record;
}

void Layer::finishAnimation(const std::shared_ptr<detail::AttachedAnimation>& record)
{
    if (record->stopped)
        return;
    record->stopped = true;
    auto keepAlive = shared_from_this();
    if (record->animation->isRemovedOnCompletion())
        _animations.erase(std::remove(_animations.begin(), _animations.end(), record), _animations.end());
    didChangeProperty();
    if (auto delegate = record->animation->delegate())
        delegate->animationDidStop(*record->animation, true);
    record->notifyStopped(true);
}

void Layer::stopAnimationEarly(std::shared_ptr<detail::AttachedAnimation> record)
{
    RunLoop::main().cancelPreviousPerformRequests(record.get());
    _animations.erase(std::remove(_animations.begin(), _animations.end(), record), _animations.end());
    didChangeProperty();
    if (record->stopped)
        return;
    record->stopped = true;
    // The platform reports a removal after the change that caused it.
    DispatchQueue::mainQueue().async([record] {
        if (auto delegate = record->animation->delegate())
            delegate->animationDidStop(*record->animation, false);
        record->notifyStopped(false);
    });
}

std::shared_ptr<const Animation> Layer::animationForKey(std::string_view key) const
{
    for (const auto& record : _animations)
        if (record->key == key)
            return record->animation;
    return nullptr;
}

void Layer::removeAnimationForKey(std::string_view key)
{
    for (const auto& record : _animations) {
        if (record->key == key) {
            stopAnimationEarly(record);
            return;
        }
    }
}

void Layer::removeAllAnimations()
{
    auto records = _animations;
    for (const auto& record : records)
        stopAnimationEarly(record);
}

std::vector<std::string> Layer::animationKeys() const
{
    std::vector<std::string> keys;
    for (const auto& record : _animations)
        if (!record->key.empty())
            keys.push_back(record->key);
    return keys;
}

bool Layer::hasRunningAnimations() const
{
    return std::any_of(_animations.begin(), _animations.end(), [](const auto& r) { return !r->stopped; });
}

bool Layer::hasInteractionBlockingAnimations() const
{
    return std::any_of(
        _animations.begin(), _animations.end(), [](const auto& r) { return r->blocksInteraction && !r->stopped; });
}

LayerProperties Layer::presentationProperties() const
{
    return presentationPropertiesAt(currentMediaTime());
}

LayerProperties Layer::presentationPropertiesAt(double now) const
{
    if (_animations.empty())
        return _p;
    LayerProperties shown = _p;
    for (const auto& record : _animations) {
        if (auto progress = record->animation->progressAt(now - record->beginUptime))
            record->animation->applyAt(*progress, shown);
    }
    return shown;
}

std::shared_ptr<Layer> Layer::presentationLayer() const
{
    auto copy = std::make_shared<Layer>();
    copy->_p = presentationProperties();
    copy->_opaque = _opaque;
    return copy;
}

// Conversions

Point Layer::convertPoint(Point point, const Layer* toLayer) const
{
    auto up = toRoot(this);
    auto down = toLayer ? toRoot(toLayer).inverted() : detail::Homography();
    return detail::Homography::concat(up, down).apply(point);
}

Point Layer::convertPointFromLayer(Point point, const Layer* fromLayer) const
{
    if (fromLayer)
        return fromLayer->convertPoint(point, this);
    return toRoot(this).inverted().apply(point);
}

Rect Layer::convertRect(Rect rect, const Layer* toLayer) const
{
    auto up = toRoot(this);
    auto down = toLayer ? toRoot(toLayer).inverted() : detail::Homography();
    return detail::Homography::concat(up, down).applyToRect(rect);
}

Rect Layer::convertRectFromLayer(Rect rect, const Layer* fromLayer) const
{
    if (fromLayer)
        return fromLayer->convertRect(rect, this);
    return toRoot(this).inverted().applyToRect(rect);
}

void Layer::renderInContext(GraphicsContext& context)
{
    detail::LayerRenderer::renderInContext(*this, context);
}

}  // namespace plat
