#include "platform/ui/LayerDamage.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/Image.h"
#include "platform/ui/Homography.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LayerRenderer.h"

namespace plat::detail {

namespace {

// As the renderer: below this opacity a layer is not drawn.
constexpr double kInvisibleOpacity = 1e-3;
// Anti-aliased edges reach into the pixel beyond.
constexpr int kEdgePixels = 1;
// Two areas closer than this become one (fewer, larger clips and uploads).
constexpr int64_t kMergeSlackPixels = 64 * 64;
// Past this many areas, one box around them all is cheaper to draw.
constexpr size_t kMostAreas = 32;

const LayerProperties& shownAt(const Layer& layer, LayerProperties& storage, double moment)
{
    if (!layer.hasAnimations())
        return layer.properties();
    storage = layer.presentationPropertiesAt(moment);
    return storage;
}

bool isVisibleColor(const Color& color)
{
    return color.alpha() > 0 || color.patternImage();
}

Rect unite(Rect a, Rect b)
{
    const double minX = std::min(a.minX(), b.minX()), minY = std::min(a.minY(), b.minY());
    return makeRect(minX, minY, std::max(a.maxX(), b.maxX()) - minX, std::max(a.maxY(), b.maxY()) - minY);
}

PixelRect outset(PixelRect r, int by)
{
    if (r.isEmpty())
        return r;
    return {r.x - by, r.y - by, r.width + 2 * by, r.height + 2 * by};
}

// Where the layer's own drawing (background, border, contents, own content) may lie, in bounds coordinates.
Rect ownDrawing(const Layer& layer, const LayerProperties& p)
{
    Rect own = p.bounds;
    if (p.masksToBounds)
        return own;
    if (p.contents)
        own = unite(own, contentsRect(p.bounds, p.contents->size(), p.contentsGravity));
    return unite(own, layer.ownContentExtent(p));
}

std::vector<std::shared_ptr<Layer>> inDrawingOrder(const Layer& layer)
{
    auto order = layer.sublayers();
    if (!std::all_of(order.begin(), order.end(), [](const auto& l) { return l->zPosition() == 0; }))
        std::stable_sort(
            order.begin(), order.end(), [](const auto& a, const auto& b) { return a->zPosition() < b->zPosition(); });
    return order;
}

}  // namespace

PixelRect PixelRect::united(const PixelRect& other) const
{
    if (other.isEmpty())
        return *this;
    if (isEmpty())
        return other;
    const int left = std::min(x, other.x), top = std::min(y, other.y);
    return {left, top, std::max(maxX(), other.maxX()) - left, std::max(maxY(), other.maxY()) - top};
}

PixelRect PixelRect::intersected(const PixelRect& other) const
{
    const int left = std::max(x, other.x), top = std::max(y, other.y);
    const int right = std::min(maxX(), other.maxX()), bottom = std::min(maxY(), other.maxY());
    if (right <= left || bottom <= top)
        return {};
    return {left, top, right - left, bottom - top};
}

bool PixelRect::contains(const PixelRect& other) const
{
    return other.isEmpty() || (other.x >= x && other.y >= y && other.maxX() <= maxX() && other.maxY() <= maxY());
}

PixelRect pixelsTouching(Rect deviceRect)
{
    // Far beyond any bitmap, and within int.
    constexpr double kFar = 1 << 24;
    if (!(deviceRect.width() > 0) || !(deviceRect.height() > 0))
        return {};
    const double left = std::clamp(std::floor(deviceRect.minX()), -kFar, kFar);
    const double top = std::clamp(std::floor(deviceRect.minY()), -kFar, kFar);
    const double right = std::clamp(std::ceil(deviceRect.maxX()), -kFar, kFar);
    const double bottom = std::clamp(std::ceil(deviceRect.maxY()), -kFar, kFar);
    return {
        static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left), static_cast<int>(bottom - top)};
}

LayerDamage::Look LayerDamage::look(Layer& root, double scale, int pixelWidth, int pixelHeight, double moment)
{
    ++_lookCount;
    _moment = moment;
    _damage.clear();
    _shadowUnits.clear();
    _animating = false;
    if (pixelWidth != _pixelWidth || pixelHeight != _pixelHeight)
        forget();
    _pixelWidth = pixelWidth;
    _pixelHeight = pixelHeight;
    const PixelRect surface {0, 0, pixelWidth, pixelHeight};
    if (!_hasLooked)
        damage(surface);
    _hasLooked = true;

    root.displayIfNeeded();
    LayerProperties storage;
    const LayerProperties& p = shownAt(root, storage, moment);
    if (!p.hidden) {
        Placement placement;
        // The root's own position and transform are not applied, as in a picture of it.
        placement.toDevice = {scale, 0, 0, scale, -p.bounds.minX() * scale, -p.bounds.minY() * scale};
        placement.clip = surface;
        visit(root, p, placement);
    }
    for (auto it = _drawn.begin(); it != _drawn.end();) {
        if (it->second.look == _lookCount) {
            ++it;
            continue;
        }
        damage(it->second.box);
        damage(it->second.shadowUnit);
        it = _drawn.erase(it);
    }
    _damage = mergedDamage();
    spreadOverShadows();
    return {_damage, _animating};
}

void LayerDamage::forget()
{
    _drawn.clear();
    _hasLooked = false;
}

LayerDamage::Subtree LayerDamage::visit(Layer& layer, const LayerProperties& p, const Placement& placement)
{
    if (layer.hasRunningAnimations())
        _animating = true;
    PixelRect box;
    if (!placement.inProjection)
        box = outset(pixelsTouching(placement.toDevice.applyToRect(ownDrawing(layer, p))), kEdgePixels)
                  .intersected(placement.clip);
    const bool changed = record(layer, p, placement, box);
    Subtree sublayers = visitSublayers(layer, p, placement);
    Subtree result {changed || sublayers.changed, box.united(sublayers.extent)};
    if (placement.inProjection || p.shadowOpacity <= 0 || !isVisibleColor(p.shadowColor))
        return result;

    // The shadow: the layer's whole drawing (or its shadow path) moved by
    // the offset and blurred, within the layer's clip.
    const AffineTransform& toDevice = placement.toDevice;
    const double deviceScale = std::sqrt(std::abs(toDevice.a * toDevice.d - toDevice.b * toDevice.c));
    const PixelRect source
        = p.shadowPath ? pixelsTouching(toDevice.applyToRect(p.shadowPath->bounds())) : result.extent;
    const Size offset = toDevice.applyToSize(p.shadowOffset);
    const int reach = static_cast<int>(std::ceil(2 * p.shadowRadius * deviceScale)) + 2;
    PixelRect shadow = source;
    if (!shadow.isEmpty()) {
        shadow.x += static_cast<int>(std::floor(offset.width));
        shadow.y += static_cast<int>(std::floor(offset.height));
        shadow = outset(shadow, reach + 1).intersected(placement.clip);
    }
    const PixelRect unit = shadow.united(result.extent);
    Drawn& drawn = _drawn[&layer];
    const bool shadowChanged = p.shadowPath ? changed : result.changed;
    if (shadowChanged || drawn.shadowUnit != unit) {
        damage(drawn.shadowUnit);
        damage(unit);
    }
    drawn.shadowUnit = unit;
    _shadowUnits.push_back(unit);
    result.extent = unit;
    return result;
}

LayerDamage::Subtree LayerDamage::visitSublayers(Layer& layer, const LayerProperties& p, const Placement& placement)
{
    Placement inner;
    inner.toDevice = placement.toDevice;
    inner.clip = placement.clip;
    if (p.masksToBounds && !placement.inProjection)
        inner.clip = inner.clip.intersected(pixelsTouching(placement.toDevice.applyToRect(p.bounds)));
    inner.groupOpacity = placement.groupOpacity * std::clamp(p.opacity, 0.0, 1.0);
    inner.superlayer = &layer;
    inner.inProjection = placement.inProjection;

    Subtree result;
    size_t shown = 0;
    for (const auto& sublayer : inDrawingOrder(layer)) {
        LayerProperties storage;
        const LayerProperties* sp = &shownAt(*sublayer, storage, _moment);
        // Animations count even while they show nothing yet: a fade from
        // nothing, a card turning towards the eye.
        if (!sp->hidden && sublayer->hasRunningAnimations())
            _animating = true;
        if (sp->hidden || sp->opacity < kInvisibleOpacity)
            continue;
        if (sublayer->needsDisplay()) {
            sublayer->displayIfNeeded();
            sp = &shownAt(*sublayer, storage, _moment);
        }
        const Homography toParent = sp->toSuperlayer();
        Placement child = inner;
        child.order = shown;
        Subtree drawn;
        if (toParent.isAffine()) {
            const AffineTransform affine = toParent.affine();
            if (!sp->doubleSided && affine.a * affine.d - affine.b * affine.c < 0)
                continue;
            child.toDevice = AffineTransform::concat(affine, inner.toDevice);
            drawn = visit(*sublayer, *sp, child);
        } else {
            const Homography toDevice = Homography::concat(toParent, Homography::fromAffine(inner.toDevice));
            const Rect b = sp->bounds;
            const Point middle {b.midX(), b.midY()};
            if (toDevice.w(middle) <= 0 || (!sp->doubleSided && toDevice.determinant() * toDevice.w(middle) < 0))
                continue;
            // The projected quadrilateral; the whole clip when a corner lies behind the eye.
            PixelRect box;
            if (!inner.inProjection) {
                const bool inFront = toDevice.w({b.minX(), b.minY()}) > 0 && toDevice.w({b.maxX(), b.minY()}) > 0
                    && toDevice.w({b.minX(), b.maxY()}) > 0 && toDevice.w({b.maxX(), b.maxY()}) > 0;
                box = inFront ? outset(pixelsTouching(toDevice.applyToRect(b)), kEdgePixels).intersected(inner.clip)
                              : inner.clip;
            }
            const bool changed = record(*sublayer, *sp, child, box);
            // Drawn flat, then projected: any change inside changes the quadrilateral.
            Placement flat;
            flat.toDevice = AffineTransform::makeTranslation(-b.minX(), -b.minY());
            flat.inProjection = true;
            const Subtree inside = visitSublayers(*sublayer, *sp, flat);
            if (inside.changed && !changed && !inner.inProjection)
                damage(box);
            drawn = {changed || inside.changed, box};
        }
        ++shown;
        result.changed = result.changed || drawn.changed;
        result.extent = result.extent.united(drawn.extent);
    }
    Drawn& record = _drawn[&layer];
    if (record.shownSublayers != shown)
        result.changed = true;  // one went: what its superlayer's shadow or projection holds changed
    record.shownSublayers = shown;
    return result;
}

bool LayerDamage::record(Layer& layer, const LayerProperties& shown, const Placement& placement, PixelRect box)
{
    Drawn& drawn = _drawn[&layer];
    const std::weak_ptr<Object> self = layer.weak_from_this();
    const bool sameLayer = drawn.look != 0 && !drawn.layer.owner_before(self) && !self.owner_before(drawn.layer);
    const bool same = sameLayer && drawn.placement == placement && drawn.ownContentVersion == layer.ownContentVersion()
        && drawn.shown == shown;
    if (!same && !placement.inProjection) {
        damage(drawn.box);
        damage(drawn.shadowUnit);
        damage(box);
    }
    if (!same) {
        drawn.layer = self;
        drawn.shown = shown;
        drawn.ownContentVersion = layer.ownContentVersion();
        drawn.placement = placement;
        drawn.shadowUnit = {};
    }
    if (!sameLayer)
        drawn.shownSublayers = 0;
    drawn.box = box;
    drawn.look = _lookCount;
    return !same;
}

void LayerDamage::damage(PixelRect area)
{
    area = area.intersected({0, 0, _pixelWidth, _pixelHeight});
    if (!area.isEmpty())
        _damage.push_back(area);
}

void LayerDamage::spreadOverShadows()
{
    // Each pass adds whole units; a unit added once stays, so this ends.
    for (bool grew = true; grew;) {
        grew = false;
        for (const PixelRect& unit : _shadowUnits) {
            const PixelRect area = unit.intersected({0, 0, _pixelWidth, _pixelHeight});
            if (area.isEmpty())
                continue;
            const bool touched
                = std::any_of(_damage.begin(), _damage.end(), [&](const PixelRect& d) { return d.intersects(area); });
            const bool covered
                = std::any_of(_damage.begin(), _damage.end(), [&](const PixelRect& d) { return d.contains(area); });
            if (touched && !covered) {
                _damage.push_back(area);
                grew = true;
            }
        }
    }
}

std::vector<PixelRect> LayerDamage::mergedDamage() const
{
    std::vector<PixelRect> areas = _damage;
    for (bool merged = true; merged;) {
        merged = false;
        for (size_t i = 0; i < areas.size() && !merged; ++i) {
            for (size_t j = i + 1; j < areas.size(); ++j) {
                const PixelRect both = areas[i].united(areas[j]);
                if (both.area() <= areas[i].area() + areas[j].area() + kMergeSlackPixels) {
                    areas[i] = both;
                    areas.erase(areas.begin() + static_cast<std::ptrdiff_t>(j));
                    merged = true;
                    break;
                }
            }
        }
    }
    if (areas.size() > kMostAreas) {
        PixelRect all;
        for (const PixelRect& area : areas)
            all = all.united(area);
        areas = {all};
    }
    return areas;
}

}  // namespace plat::detail
