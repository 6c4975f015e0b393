#pragma once
#include <functional>
#include <memory>

#include "platform/ui/Object.h"
#include "platform/ui/TargetAction.h"

namespace plat {
class Timer;

// The platform's display link: calls its target once per screen refresh
// (60 per second on the run loop's clock, or every frameInterval-th
// refresh) while it is added to the main run loop and not paused; the run
// loop keeps it until it is invalidated. Its target is weak. Main thread.
class DisplayLink : public Object {
public:
    static constexpr double kRefreshSeconds = 1.0 / 60;

    template <typename T>
    static std::shared_ptr<DisplayLink> displayLinkWithTarget(T* target, void (T::*action)(DisplayLink&))
    {
        auto link = std::make_shared<DisplayLink>();
        link->_actions.add(target, action, ~uint64_t(0));
        return link;
    }
    ~DisplayLink() override;

    void addToRunLoop();
    void invalidate();
    bool isPaused() const { return _paused; }
    void setPaused(bool paused);
    int frameInterval() const { return _frameInterval; }
    void setFrameInterval(int interval);
    // The media time of the refresh that last called the target.
    double timestamp() const { return _timestamp; }
    double duration() const { return kRefreshSeconds; }

private:
    void schedule();
    void fire();

    TargetActionList<DisplayLink> _actions;
    std::shared_ptr<Timer> _timer;
    bool _added = false;
    bool _paused = false;
    int _frameInterval = 1;
    double _timestamp = 0;
};

}  // namespace plat
