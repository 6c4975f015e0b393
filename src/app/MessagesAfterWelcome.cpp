#include "app/MessagesAfterWelcome.h"

#include <utility>

#include "app/WelcomeMain.h"
#include "platform/ui/AlertView.h"

namespace zt {

void MessagesAfterWelcome::show(std::shared_ptr<plat::AlertView> alert)
{
    // The welcome counts as handled once it shows: what waits goes on waiting until it has closed.
    if (_waiting.empty() && (_welcomePutOff || !WelcomeMain::isDue())) {
        alert->show();
        return;
    }
    _waiting.push_back(std::move(alert));
    if (_waiting.size() > 1)
        return;
    std::weak_ptr<MessagesAfterWelcome> weakSelf = weak_from_this();
    _welcomeObserver = plat::NotificationCenter::defaultCenter().addObserver(
        WelcomeMain::kDidCloseNotification, nullptr, [weakSelf](const plat::Notification&) {
            if (auto self = weakSelf.lock())
                self->showWaiting();
        });
}

void MessagesAfterWelcome::welcomePutOff()
{
    _welcomePutOff = true;
    if (!_waiting.empty())
        showWaiting();
}

void MessagesAfterWelcome::showWaiting()
{
    auto waiting = std::exchange(_waiting, {});
    for (const auto& alert : waiting)
        alert->show();  // alerts show one at a time, in this order
    _welcomeObserver = {};  // last: it owns the callback that runs this
}

}  // namespace zt
