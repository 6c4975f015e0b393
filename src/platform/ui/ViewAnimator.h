#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Value.h"
#include "platform/ui/AnimationValue.h"
#include "platform/ui/MediaTimingFunction.h"
#include "platform/ui/ViewTypes.h"

namespace plat {
class Layer;
class ViewAnimationDelegate;
}  // namespace plat

namespace plat::detail {

// The machinery behind view animations: while an animation block (or a
// begin/commit pair) is open, views report the properties they change; when
// it closes, each change becomes a layer animation from the old value to the
// new one, and the completion waits for all of them. Main thread.
class ViewAnimator {
public:
    struct Settings {
        double duration = 0.2;  // the platform's default for begin/commit animations
        double delay = 0;
        uint64_t options = ViewAnimationOptionNone;
        std::optional<MediaTimingFunction> spring;
    };

    static ViewAnimator& shared();

    void animate(const Settings& settings, const std::function<void()>& animations,
        std::function<void(bool finished)> completion);
    void performWithoutAnimation(const std::function<void()>& actions);
    bool animationsEnabled() const { return _enabled; }
    void setAnimationsEnabled(bool enabled) { _enabled = enabled; }

    void beginAnimations(std::string animationID, Value context);
    void commitAnimations();
    // Settings of the innermost begin/commit pair (ignored outside one).
    void setDuration(double seconds);
    void setDelay(double seconds);
    void setCurve(ViewAnimationCurve curve);
    void setBeginsFromCurrentState(bool fromCurrentState);
    void setDelegate(std::weak_ptr<ViewAnimationDelegate> delegate);

    // Views call this before an animatable property of their layer changes.
    void layerWillChange(Layer& layer, std::string_view keyPath);

private:
    struct Change {
        std::weak_ptr<Layer> layer;
        std::string keyPath;
        AnimationValue from;
        AnimationValue presentationFrom;
    };
    struct Block {
        Settings settings;
        std::vector<Change> changes;
        bool named = false;
        std::string animationID;
        Value context;
        std::weak_ptr<ViewAnimationDelegate> delegate;
        std::function<void(bool)> completion;
    };

    ViewAnimator() = default;
    void close(Block block);

    std::vector<Block> _open;
    int _disabled = 0;
    bool _enabled = true;
};

}  // namespace plat::detail
