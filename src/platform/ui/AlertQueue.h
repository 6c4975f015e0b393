#pragma once
#include <deque>
#include <memory>

namespace plat {
class AlertView;
}

namespace plat::detail {

// The alerts of one window, shown one at a time as the system shows them:
// an alert asked for while another is up waits in line, and the first in
// line comes when the shown one has gone. The line holds its alerts (their
// callers may let go once they have asked); the shown one is held by the
// window's view tree. Main thread.
class AlertQueue {
public:
    void enqueue(std::shared_ptr<AlertView> alert);
    // The alert whose turn it is, taken out of the line, when none is shown
    // (it counts as shown from now on); else none.
    std::shared_ptr<AlertView> takeNextWhenNoneShown();
    // Takes a waiting alert out of the line; false when it was not waiting.
    bool withdraw(const AlertView& alert);
    bool isWaiting(const AlertView& alert) const;
    // The alert on screen; none when none is.
    std::shared_ptr<AlertView> shown() const;

    std::weak_ptr<AlertView> _shown;
    std::deque<std::shared_ptr<AlertView>> _waiting;
};

}  // namespace plat::detail
