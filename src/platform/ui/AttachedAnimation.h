#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace plat {
class Animation;
}

namespace plat::detail {

// An animation as a layer holds it: its own copy, when it began, and who
// waits for its end (transactions, view animations). Main thread.
struct AttachedAnimation {
    std::string key;
    std::shared_ptr<Animation> animation;
    double beginUptime = 0;
    // View animations without the allow-user-interaction option keep touches away from their views.
    bool blocksInteraction = false;
    bool stopped = false;
    std::vector<std::function<void(bool finished)>> stopObservers;

    void notifyStopped(bool finished);
};

}  // namespace plat::detail
