#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace plat {

class Timer;

using BackgroundTaskIdentifier = uint64_t;
// What beginning a task answers when the system grants none.
inline constexpr BackgroundTaskIdentifier BackgroundTaskInvalid = 0;

// The application's background tasks: work the app asks to finish after it
// leaves the screen. In the background the system allows the tasks a fixed
// time, measured on plat::Clock from the moment the app went there; when it
// runs out, every task still running has its expiration handler called, and
// the handler is expected to end its task. A return to the foreground stops
// the count; the next visit to the background starts a new one. Tasks begin,
// end and are counted on any thread; the moves between foreground and
// background, and the handlers, belong to the main thread.
class BackgroundTaskList {
public:
    // What the platform allows an app in the background.
    static constexpr double kAllowedSeconds = 180;

    BackgroundTaskList() = default;
    ~BackgroundTaskList();
    BackgroundTaskList(const BackgroundTaskList&) = delete;
    BackgroundTaskList& operator=(const BackgroundTaskList&) = delete;

    // BackgroundTaskInvalid once the background time has run out.
    BackgroundTaskIdentifier begin(std::function<void()> expirationHandler);
    // Unknown or already ended identifiers are ignored.
    void end(BackgroundTaskIdentifier identifier);
    size_t count() const;

    void appEnteredBackground();
    void appEnteredForeground();
    // The largest double in the foreground, as the platform reports it; 0 once the time ran out.
    double timeRemaining() const;

    // For test isolation: forgets every task without calling its handler.
    void reset();

private:
    bool hasRunOutLocked() const;
    void expire();
    void cancelExpiry();

    mutable std::mutex _lock;
    std::map<BackgroundTaskIdentifier, std::function<void()>> _handlers;  // guarded by _lock
    BackgroundTaskIdentifier _lastIdentifier = BackgroundTaskInvalid;  // guarded by _lock
    // Guarded by _lock; set while the app is in the background: when its allowance ends, in uptime seconds.
    std::optional<double> _deadlineUptime;
    std::shared_ptr<Timer> _expiryTimer;  // main thread
};

}  // namespace plat
