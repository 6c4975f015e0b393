#pragma once
// The tests drive the screens with the same driver as the app's device
// scripts, under the test helpers' namespace.
#include "platform/ui/scripting/UIDriver.h"

namespace plat::test {
using scripting::passTime;
using scripting::UIDriver;
}  // namespace plat::test
