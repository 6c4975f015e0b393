#include "platform/ui/AlertQueue.h"

#include <algorithm>

#include "platform/ui/AlertView.h"

namespace plat::detail {

void AlertQueue::enqueue(std::shared_ptr<AlertView> alert)
{
    if (!isWaiting(*alert))
        _waiting.push_back(std::move(alert));
}

std::shared_ptr<AlertView> AlertQueue::shown() const
{
    // One that left the view tree without being dismissed holds up no one.
    auto shown = _shown.lock();
    return shown && shown->isVisible() && shown->superview() ? shown : nullptr;
}

std::shared_ptr<AlertView> AlertQueue::takeNextWhenNoneShown()
{
    if (_waiting.empty() || shown())
        return nullptr;
    auto next = std::move(_waiting.front());
    _waiting.pop_front();
    _shown = next;
    return next;
}

bool AlertQueue::withdraw(const AlertView& alert)
{
    auto found = std::find_if(_waiting.begin(), _waiting.end(),
        [&](const std::shared_ptr<AlertView>& waiting) { return waiting.get() == &alert; });
    if (found == _waiting.end())
        return false;
    _waiting.erase(found);
    return true;
}

bool AlertQueue::isWaiting(const AlertView& alert) const
{
    return std::any_of(_waiting.begin(), _waiting.end(),
        [&](const std::shared_ptr<AlertView>& waiting) { return waiting.get() == &alert; });
}

}  // namespace plat::detail
