#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/Path.h"
#include "platform/ui/Animation.h"
#include "platform/ui/AnimationValue.h"

namespace plat {

// Moves one layer property through a list of values at key times (fractions
// of the duration, evenly spread when not given), or a point property along
// a path, as the platform's key-frame animation.
class KeyframeAnimation : public Animation {
public:
    enum class CalculationMode { Linear, Discrete, Paced };

    static std::shared_ptr<KeyframeAnimation> animationWithKeyPath(std::string keyPath);
    explicit KeyframeAnimation(std::string keyPath)
        : _keyPath(std::move(keyPath))
    {
    }
    std::shared_ptr<Animation> clone() const override { return std::make_shared<KeyframeAnimation>(*this); }

    const std::string& keyPath() const { return _keyPath; }
    const std::vector<AnimationValue>& values() const { return _values; }
    void setValues(std::vector<AnimationValue> values) { _values = std::move(values); }
    const std::vector<double>& keyTimes() const { return _keyTimes; }
    void setKeyTimes(std::vector<double> keyTimes) { _keyTimes = std::move(keyTimes); }
    // One per segment between values; missing ones are linear.
    void setTimingFunctions(std::vector<MediaTimingFunction> functions) { _timingFunctions = std::move(functions); }
    CalculationMode calculationMode() const { return _calculationMode; }
    void setCalculationMode(CalculationMode mode) { _calculationMode = mode; }
    // A path for point properties ("position"); it wins over the values, at an even pace.
    const std::optional<Path>& path() const { return _path; }
    void setPath(std::optional<Path> path) { _path = std::move(path); }

    void applyAt(double progress, LayerProperties& properties) const override;

private:
    std::optional<AnimationValue> valueAt(double progress) const;
    std::optional<Point> pointOnPath(double progress) const;

    std::string _keyPath;
    std::vector<AnimationValue> _values;
    std::vector<double> _keyTimes;
    std::vector<MediaTimingFunction> _timingFunctions;
    CalculationMode _calculationMode = CalculationMode::Linear;
    std::optional<Path> _path;
};

}  // namespace plat
