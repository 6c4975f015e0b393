#pragma once
#include <memory>
#include <vector>

#include "platform/foundation/NotificationCenter.h"

namespace plat {
class AlertView;
}

namespace zt {

// Start-up messages that the first start's welcome screen would cover: while
// the welcome is still to come (or others wait for it) they wait, and once it
// has closed they show in the order they came. Main thread.
class MessagesAfterWelcome : public std::enable_shared_from_this<MessagesAfterWelcome> {
public:
    void show(std::shared_ptr<plat::AlertView> alert);
    // The welcome that was due did not come (a screen in its way, the
    // passcode's, put it off to a later entry) and that screen has closed:
    // what waits shows now, and what comes later does not wait.
    void welcomePutOff();

private:
    void showWaiting();

    std::vector<std::shared_ptr<plat::AlertView>> _waiting;
    bool _welcomePutOff = false;
    plat::ObserverToken _welcomeObserver;  // while messages wait
};

}  // namespace zt
