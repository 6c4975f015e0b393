#include "platform/foundation/Date.h"

#include "platform/foundation/Clock.h"

namespace plat {

Date Date::now()
{
    return Clock::current().date();
}

}  // namespace plat
