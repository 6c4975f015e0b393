#pragma once
#include <memory>
#include <optional>

#include "platform/ui/MediaTimingFunction.h"

namespace plat {
class Animation;
struct LayerProperties;

// Told when an animation starts and when it stops: finished is true when it
// ran to its end, false when it was removed before.
class AnimationDelegate {
public:
    virtual ~AnimationDelegate() = default;
    virtual void animationDidStart(Animation&) { }
    virtual void animationDidStop(Animation&, bool /*finished*/) { }
};

// What an animation shows outside its active time, as the platform's fill modes.
enum class FillMode { Removed, Forwards, Backwards, Both };

// The platform's layer animation: timing (begin, duration, repeats,
// reversal, fill, timing function) and an effect on layer properties that
// subclasses give. A layer keeps its own copy of an animation that is added
// to it, as on the platform. Time is the media clock (plat::Clock's uptime).
// Main thread.
class Animation {
public:
    // The duration used when none (0) is given, as on the platform.
    static constexpr double kDefaultDurationSeconds = 0.25;

    virtual ~Animation() = default;
    virtual std::shared_ptr<Animation> clone() const = 0;

    double duration() const { return _duration; }
    void setDuration(double seconds) { _duration = seconds; }
    // Media time at which it starts; 0 means the moment it is added to a layer.
    double beginTime() const { return _beginTime; }
    void setBeginTime(double mediaTime) { _beginTime = mediaTime; }
    // Cycles; 0 means one; infinity repeats for ever.
    double repeatCount() const { return _repeatCount; }
    void setRepeatCount(double count) { _repeatCount = count; }
    bool autoreverses() const { return _autoreverses; }
    void setAutoreverses(bool autoreverses) { _autoreverses = autoreverses; }
    FillMode fillMode() const { return _fillMode; }
    void setFillMode(FillMode mode) { _fillMode = mode; }
    bool isRemovedOnCompletion() const { return _removedOnCompletion; }
    void setRemovedOnCompletion(bool removed) { _removedOnCompletion = removed; }
    const std::optional<MediaTimingFunction>& timingFunction() const { return _timingFunction; }
    void setTimingFunction(std::optional<MediaTimingFunction> function) { _timingFunction = std::move(function); }
    // Kept alive by the animation, as the platform does.
    const std::shared_ptr<AnimationDelegate>& delegate() const { return _delegate; }
    void setDelegate(std::shared_ptr<AnimationDelegate> delegate) { _delegate = std::move(delegate); }

    double effectiveDuration() const { return _duration > 0 ? _duration : kDefaultDurationSeconds; }
    // Seconds from the start to the end of the last cycle; infinity when it repeats for ever.
    double activeDurationSeconds() const;
    // The eased progress (0 at the start of a cycle, 1 at its end) that the
    // animation shows elapsedSeconds after its begin time, or nullopt when
    // it shows nothing then (before or after its active time, by the fill mode).
    std::optional<double> progressAt(double elapsedSeconds) const;

    // Changes properties to what the animation shows at progress.
    virtual void applyAt(double progress, LayerProperties& properties) const = 0;

protected:
    Animation() = default;
    Animation(const Animation&) = default;
    Animation& operator=(const Animation&) = default;

private:
    double _duration = 0;
    double _beginTime = 0;
    double _repeatCount = 0;
    bool _autoreverses = false;
    FillMode _fillMode = FillMode::Removed;
    bool _removedOnCompletion = true;
    std::optional<MediaTimingFunction> _timingFunction;
    std::shared_ptr<AnimationDelegate> _delegate;
};

// The media clock: seconds on plat::Clock's uptime line.
double currentMediaTime();

}  // namespace plat
