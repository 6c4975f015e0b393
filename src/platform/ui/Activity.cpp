#include "platform/ui/Activity.h"

namespace plat {

std::string Activity::activityType() const
{
    return className();
}

void Activity::performActivity()
{
    activityDidFinish(false);
}

void Activity::activityDidFinish(bool completed)
{
    auto finished = std::move(_finished);
    _finished = nullptr;
    if (finished)
        finished(completed);
}

}  // namespace plat
