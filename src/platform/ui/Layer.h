#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/AffineTransform.h"
#include "platform/ui/LayerProperties.h"
#include "platform/ui/Object.h"

namespace plat {
class Animation;
class GraphicsContext;
class LayerDelegate;
namespace detail {
struct AttachedAnimation;
class LayerRenderer;
class ViewAnimator;
}  // namespace detail

// The platform's layer: geometry (bounds, position, anchor point, 3-D
// transform), look (opacity, corner radius, border, shadow, background,
// contents picture), a tree of sublayers, a backing picture drawn on
// demand, layout on demand, and animations that change what is shown (the
// presentation) without changing what was set (the model). Changes are
// shown at the next update pass of the main run loop; the renderer draws
// the presentation. Main thread.
class Layer : public Object {
public:
    Layer();
    ~Layer() override;
    static std::shared_ptr<Layer> layer() { return std::make_shared<Layer>(); }

    // Geometry, in the superlayer's coordinates except bounds.
    Rect bounds() const { return _p.bounds; }
    void setBounds(Rect bounds);
    Point position() const { return _p.position; }
    void setPosition(Point position);
    Point anchorPoint() const { return _p.anchorPoint; }
    void setAnchorPoint(Point anchorPoint);
    double zPosition() const { return _p.zPosition; }
    void setZPosition(double zPosition);
    // The bounding box of the transformed bounds. Setting it moves and
    // resizes the layer as if the transform were the identity.
    Rect frame() const { return _p.frame(); }
    void setFrame(Rect frame);
    const Transform3D& transform() const { return _p.transform; }
    void setTransform(const Transform3D& transform);
    AffineTransform affineTransform() const { return _p.transform.affineTransform(); }
    void setAffineTransform(const AffineTransform& transform);

    // Look.
    double opacity() const { return _p.opacity; }
    void setOpacity(double opacity);
    bool isHidden() const { return _p.hidden; }
    void setHidden(bool hidden);
    bool masksToBounds() const { return _p.masksToBounds; }
    void setMasksToBounds(bool masks);
    bool isDoubleSided() const { return _p.doubleSided; }
    void setDoubleSided(bool doubleSided);
    double cornerRadius() const { return _p.cornerRadius; }
    void setCornerRadius(double radius);
    double borderWidth() const { return _p.borderWidth; }
    void setBorderWidth(double width);
    const Color& borderColor() const { return _p.borderColor; }
    void setBorderColor(const Color& color);
    const std::optional<Color>& backgroundColor() const { return _p.backgroundColor; }
    void setBackgroundColor(std::optional<Color> color);
    const Color& shadowColor() const { return _p.shadowColor; }
    void setShadowColor(const Color& color);
    double shadowOpacity() const { return _p.shadowOpacity; }
    void setShadowOpacity(double opacity);
    Size shadowOffset() const { return _p.shadowOffset; }
    void setShadowOffset(Size offset);
    double shadowRadius() const { return _p.shadowRadius; }
    void setShadowRadius(double radius);
    const std::optional<Path>& shadowPath() const { return _p.shadowPath; }
    void setShadowPath(std::optional<Path> path);
    const std::shared_ptr<const Image>& contents() const { return _p.contents; }
    void setContents(std::shared_ptr<const Image> contents);
    ContentsGravity contentsGravity() const { return _p.contentsGravity; }
    void setContentsGravity(ContentsGravity gravity);
    double contentsScale() const { return _p.contentsScale; }
    void setContentsScale(double scale);
    Rect contentsCenter() const { return _p.contentsCenter; }
    void setContentsCenter(Rect center);
    bool isOpaque() const { return _opaque; }
    void setOpaque(bool opaque) { _opaque = opaque; }
    bool needsDisplayOnBoundsChange() const { return _needsDisplayOnBoundsChange; }
    void setNeedsDisplayOnBoundsChange(bool needs) { _needsDisplayOnBoundsChange = needs; }

    const LayerProperties& properties() const { return _p; }

    // The tree. A layer added elsewhere leaves its previous superlayer first.
    std::shared_ptr<Layer> superlayer() const { return _superlayer.lock(); }
    const std::vector<std::shared_ptr<Layer>>& sublayers() const { return _sublayers; }
    void addSublayer(const std::shared_ptr<Layer>& layer);
    void insertSublayer(const std::shared_ptr<Layer>& layer, size_t index);
    void insertSublayerBelow(const std::shared_ptr<Layer>& layer, const Layer& sibling);
    void insertSublayerAbove(const std::shared_ptr<Layer>& layer, const Layer& sibling);
    void replaceSublayer(const Layer& oldLayer, const std::shared_ptr<Layer>& newLayer);
    void removeFromSuperlayer();
    bool isDescendantOf(const Layer& ancestor) const;

    // A standalone layer's delegate; a view's layer has the view.
    void setDelegate(std::weak_ptr<LayerDelegate> delegate) { _delegate = std::move(delegate); }

    // Display: the backing picture is redrawn at the next update pass (or
    // render) after setNeedsDisplay; a layer without a drawing delegate or
    // drawInContext override keeps its contents.
    void setNeedsDisplay();
    bool needsDisplay() const { return _needsDisplay; }
    void displayIfNeeded();
    virtual void display();
    // Draws the backing picture; user space is the bounds. By default the delegate draws.
    virtual void drawInContext(GraphicsContext& context);

    // Layout: layoutSublayers runs at the next update pass after
    // setNeedsLayout, or when layoutIfNeeded is called, once per request.
    // A change of the bounds' size requests it.
    void setNeedsLayout();
    bool needsLayout() const { return _needsLayout; }
    void layoutIfNeeded();
    virtual void layoutSublayers();

    // Animations. The layer keeps a copy; adding under a key that is in use
    // removes the older one. An animation ends on the run loop's clock:
    // its delegate hears of it and, unless kept, it is removed.
    void addAnimation(const Animation& animation, const std::string& key);
    std::shared_ptr<const Animation> animationForKey(std::string_view key) const;
    void removeAnimationForKey(std::string_view key);
    void removeAllAnimations();
    std::vector<std::string> animationKeys() const;
    bool hasAnimations() const { return !_animations.empty(); }
    // True while an animation has not reached its end (one kept after its end shows it still).
    bool hasRunningAnimations() const;
    // True while an animation that does not allow touches runs (view animations without that option).
    bool hasInteractionBlockingAnimations() const;

    // What is on screen now: the model with the running animations applied.
    LayerProperties presentationProperties() const;
    // The same at a moment of the media clock, so that pictures of one moment agree.
    LayerProperties presentationPropertiesAt(double mediaTime) const;
    // A detached copy of the presentation (no sublayers, no animations).
    std::shared_ptr<Layer> presentationLayer() const;

    // Conversions between layers of one tree (layers of different trees
    // meet in their roots' coordinates).
    Point convertPoint(Point point, const Layer* toLayer) const;
    Point convertPointFromLayer(Point point, const Layer* fromLayer) const;
    Rect convertRect(Rect rect, const Layer* toLayer) const;
    Rect convertRectFromLayer(Rect rect, const Layer* fromLayer) const;
    bool containsPoint(Point point) const { return _p.bounds.contains(point); }

    // Draws the layer and its sublayers (their presentations) into the
    // context, in the layer's own coordinates.
    void renderInContext(GraphicsContext& context);
    // Content a subclass draws itself above the contents picture (gradients, shapes), in bounds coordinates.
    virtual void drawOwnContent(GraphicsContext&, const LayerProperties&) const { }
    // Where that content may lie, in bounds coordinates.
    virtual Rect ownContentExtent(const LayerProperties& properties) const { return properties.bounds; }
    // Counts changes of that content, so that a screen can tell it must draw again.
    uint64_t ownContentVersion() const { return _ownContentVersion; }

protected:
    // Subclass setters announce their changes through these.
    void willChangeProperty(std::string_view keyPath);
    void didChangeProperty();
    // After a change of what drawOwnContent draws.
    void didChangeOwnContent();

private:
    friend class View;
    friend class detail::ViewAnimator;
    friend class detail::LayerRenderer;

    std::shared_ptr<detail::AttachedAnimation> attachAnimation(const Animation& animation, const std::string& key);
    void attachSublayer(const std::shared_ptr<Layer>& layer, size_t index);
    void finishAnimation(const std::shared_ptr<detail::AttachedAnimation>& record);
    void stopAnimationEarly(std::shared_ptr<detail::AttachedAnimation> record);
    LayerDelegate* activeDelegate() const;

    LayerProperties _p;
    bool _opaque = false;
    bool _needsDisplayOnBoundsChange = false;
    bool _needsDisplay = false;
    bool _needsLayout = false;
    uint64_t _ownContentVersion = 0;
    std::weak_ptr<Layer> _superlayer;
    std::vector<std::shared_ptr<Layer>> _sublayers;
    // The view whose layer this is; the view clears it before it goes.
    LayerDelegate* _ownerView = nullptr;
    std::weak_ptr<LayerDelegate> _delegate;
    std::vector<std::shared_ptr<detail::AttachedAnimation>> _animations;
};

}  // namespace plat
