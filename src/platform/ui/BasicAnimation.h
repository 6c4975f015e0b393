#pragma once
#include <optional>
#include <string>

#include "platform/ui/Animation.h"
#include "platform/ui/AnimationValue.h"

namespace plat {

// Moves one layer property (a key path such as "opacity" or
// "transform.scale") from a value to a value. Missing ends are taken as the
// platform does: from the layer's current value, or from a "by" offset.
class BasicAnimation : public Animation {
public:
    static std::shared_ptr<BasicAnimation> animationWithKeyPath(std::string keyPath);
    explicit BasicAnimation(std::string keyPath)
        : _keyPath(std::move(keyPath))
    {
    }
    std::shared_ptr<Animation> clone() const override { return std::make_shared<BasicAnimation>(*this); }

    const std::string& keyPath() const { return _keyPath; }
    const std::optional<AnimationValue>& fromValue() const { return _fromValue; }
    void setFromValue(std::optional<AnimationValue> value) { _fromValue = std::move(value); }
    const std::optional<AnimationValue>& toValue() const { return _toValue; }
    void setToValue(std::optional<AnimationValue> value) { _toValue = std::move(value); }
    const std::optional<AnimationValue>& byValue() const { return _byValue; }
    void setByValue(std::optional<AnimationValue> value) { _byValue = std::move(value); }

    void applyAt(double progress, LayerProperties& properties) const override;

private:
    std::string _keyPath;
    std::optional<AnimationValue> _fromValue;
    std::optional<AnimationValue> _toValue;
    std::optional<AnimationValue> _byValue;
};

}  // namespace plat
