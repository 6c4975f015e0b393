// The frame editor's help: the overlay of bubbles behind the help button,
// the help pages, and the coach marks that the frame count brings.
#include "editor/FrameEditorViewController.h"
#include "platform/ui/Device.h"
#include "platform/ui/NavigationController.h"
#include "share/InfoCenterHelpViewController.h"

namespace zt {

void FrameEditorViewController::actionHelp()
{
    // FIXME: the help overlay's bubbles come with the help components, which
    // are being built beside this screen; until they are here the button says so.
    tellNotAvailableYet("Help");
}

void FrameEditorViewController::receiveFrameEditorHelpCloseNotification(const plat::Notification&)
{
    // FIXME: closes the help overlay once the help components are here (none can be open before).
}

void FrameEditorViewController::closeHelpForClosing()
{
    // FIXME: takes the help overlay and the coach mark down once the help components are here.
}

void FrameEditorViewController::showCoachMarkForFrameCount(int64_t)
{
    // FIXME: the coach marks come with the help components.
}

void FrameEditorViewController::showInternalHelp()
{
    auto pages = std::make_shared<InfoCenterHelpViewController>("InfoCenterHelpViewController");
    auto navigation = std::make_shared<plat::NavigationController>(pages);
    if (plat::Device::currentDevice().isTablet())
        navigation->setModalPresentationStyle(plat::ModalPresentationStyle::FormSheet);
    presentViewController(navigation, /*animated=*/true, nullptr);
}

}  // namespace zt
