#include "platform/ui/BasicAnimation.h"

#include "platform/ui/LayerProperties.h"

namespace plat {

namespace {

std::optional<AnimationValue> subtract(const AnimationValue& to, const AnimationValue& by)
{
    if (auto* b = std::get_if<double>(&by))
        return addValues(to, -*b);
    if (auto* p = std::get_if<Point>(&by))
        return addValues(to, Point {-p->x, -p->y});
    if (auto* s = std::get_if<Size>(&by))
        return addValues(to, Size {-s->width, -s->height});
    return std::nullopt;
}

}  // namespace

std::shared_ptr<BasicAnimation> BasicAnimation::animationWithKeyPath(std::string keyPath)
{
    return std::make_shared<BasicAnimation>(std::move(keyPath));
}

void BasicAnimation::applyAt(double progress, LayerProperties& properties) const
{
    auto current = valueForKeyPath(properties, _keyPath);
    if (!current)
        return;
    std::optional<AnimationValue> from = _fromValue;
    std::optional<AnimationValue> to = _toValue;
    if (from && !to)
        to = _byValue ? addValues(*from, *_byValue) : current;
    else if (!from && to)
        from = _byValue ? subtract(*to, *_byValue) : current;
    else if (!from && !to) {
        from = current;
        to = _byValue ? addValues(*current, *_byValue) : current;
    }
    if (!from || !to)
        return;
    setValueForKeyPath(properties, _keyPath, interpolate(*from, *to, progress));
}

}  // namespace plat
