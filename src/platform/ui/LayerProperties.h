#pragma once
#include <memory>
#include <optional>
#include <string_view>

#include "platform/foundation/Geometry.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Path.h"
#include "platform/ui/AnimationValue.h"
#include "platform/ui/Homography.h"
#include "platform/ui/Transform3D.h"

namespace plat {
class Image;

// Where a layer puts its contents picture within its bounds, as the
// platform's gravities (and the view content modes built on them).
enum class ContentsGravity {
    Center,
    Top,
    Bottom,
    Left,
    Right,
    TopLeft,
    TopRight,
    BottomLeft,
    BottomRight,
    Resize,
    ResizeAspect,
    ResizeAspectFill,
};

// The animatable state of a layer, with the platform's defaults. The model
// layer holds what was set; the presentation applies running animations to
// a copy. Any thread (value type).
struct LayerProperties {
    Rect bounds;
    Point position;
    Point anchorPoint {0.5, 0.5};
    double zPosition = 0;
    Transform3D transform;
    double opacity = 1;
    bool hidden = false;
    bool masksToBounds = false;
    bool doubleSided = true;
    double cornerRadius = 0;
    double borderWidth = 0;
    Color borderColor = Color::blackColor();
    std::optional<Color> backgroundColor;
    Color shadowColor = Color::blackColor();
    double shadowOpacity = 0;
    Size shadowOffset {0, -3};
    double shadowRadius = 3;
    std::optional<Path> shadowPath;
    std::shared_ptr<const Image> contents;
    ContentsGravity contentsGravity = ContentsGravity::Resize;
    double contentsScale = 1;
    // The stretchable middle of the contents, in unit coordinates: the parts
    // outside keep their size when the picture is stretched.
    Rect contentsCenter {{0, 0}, {1, 1}};

    // The frame in the superlayer's coordinates: the bounding box of the
    // transformed bounds.
    Rect frame() const;
    // Bounds coordinates to the superlayer's: the anchor point moved to the
    // origin, the transform (flattened onto the plane), then the position.
    detail::Homography toSuperlayer() const;

    // Contents compare by picture object: a new picture counts as a change.
    friend bool operator==(const LayerProperties&, const LayerProperties&) = default;
};

// Reads the property at a key path ("opacity", "position.x",
// "transform.scale", "bounds.size"...); nullopt for paths it does not know.
std::optional<AnimationValue> valueForKeyPath(const LayerProperties& properties, std::string_view keyPath);
// Writes it; false for unknown paths or values of the wrong kind.
bool setValueForKeyPath(LayerProperties& properties, std::string_view keyPath, const AnimationValue& value);

}  // namespace plat
