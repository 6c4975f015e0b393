#include "platform/ui/testing/UIScope.h"

#include "platform/ui/Application.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/TouchDispatcher.h"
#include "platform/ui/UpdateCycle.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewControllerHooks.h"

namespace plat::test {

namespace {

void resetToolkit()
{
    detail::UpdateCycle::shared().discardPendingWork();
    TouchDispatcher::shared().discardAll();
    Keyboard::shared().reset();
    Application::sharedApplication().resetForTesting();
    View::setAnimationsEnabled(true);
    ViewControllerHooks::removeAllHooks();
}

}  // namespace

UIScope::UIScope(UserInterfaceIdiom idiom)
    : _previousDevice(Device::currentDevice())
{
    Device::setCurrentDevice(Device(idiom));
    resetToolkit();
}

UIScope::~UIScope()
{
    resetToolkit();
    Device::setCurrentDevice(_previousDevice);
}

}  // namespace plat::test
