#pragma once
#include <optional>
#include <string_view>
#include <variant>

#include "platform/foundation/Geometry.h"
#include "platform/graphics/Color.h"
#include "platform/ui/Transform3D.h"

namespace plat {

// A value an animation moves a layer property through: a number, point,
// size, rectangle, 3-D transform or colour. Any thread (value type).
using AnimationValue = std::variant<double, Point, Size, Rect, Transform3D, Color>;

// The value at fraction t between from and to (t may leave 0...1 for
// springs); values of different kinds jump to `to` at t >= 0.5.
AnimationValue interpolate(const AnimationValue& from, const AnimationValue& to, double t);
// from + by, component-wise; nullopt for kinds that do not add.
std::optional<AnimationValue> addValues(const AnimationValue& from, const AnimationValue& by);
// A distance between two values, for paced key frames.
double valueDistance(const AnimationValue& a, const AnimationValue& b);

}  // namespace plat
