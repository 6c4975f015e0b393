#pragma once
#include "platform/ui/Device.h"

namespace plat::test {

// Puts the toolkit in a fresh state for one test and back afterwards: the
// device (phone unless told), the application (no delegate, no windows,
// landscape, status bar shown), pending layout and display, transactions,
// touches and recognisers in flight, the keyboard, view controller hooks.
// Combine with a ManualClockScope, which clears the run loop.
class UIScope {
public:
    explicit UIScope(UserInterfaceIdiom idiom = UserInterfaceIdiom::Phone);
    ~UIScope();
    UIScope(const UIScope&) = delete;
    UIScope& operator=(const UIScope&) = delete;

private:
    Device _previousDevice;
};

}  // namespace plat::test
