#include "share/InfoCenterViewController.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Device.h"
#include "platform/ui/Label.h"
#include "share/InfoCenterHelpViewController.h"
#include "uikit/QVNavigationController.h"

namespace zt {

InfoCenterViewController::InfoCenterViewController(std::string nibName)
    : plat::ViewController(std::move(nibName))
{
}

void InfoCenterViewController::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    if (!_labelVersion)
        return;
    auto info = plat::Bundle::mainBundle().infoDictionary();
    _labelVersion->setText(plat::formatLine("{} {} ({})", plat::localized("Version"),
        info.getString("CFBundleShortVersionString").value_or(""), info.getString("CFBundleVersion").value_or("")));
}

bool InfoCenterViewController::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const
{
    return plat::isLandscape(orientation);
}

void InfoCenterViewController::actionHelp()
{
    auto help = std::make_shared<InfoCenterHelpViewController>("InfoCenterHelpViewController");
    auto navigation = std::make_shared<QVNavigationController>(help);
    if (plat::Device::currentDevice().isTablet())
        navigation->setModalPresentationStyle(plat::ModalPresentationStyle::FormSheet);
    presentViewController(navigation, /*animated=*/true, nullptr);
}

void InfoCenterViewController::actionDone()
{
    if (auto delegate = _delegate.lock())
        delegate->infoCenterDidFinish(*this);
}

}  // namespace zt
