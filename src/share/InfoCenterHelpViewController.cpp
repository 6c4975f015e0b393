#include "share/InfoCenterHelpViewController.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/TextView.h"

namespace zt {

namespace {

std::optional<plat::Dictionary> helpPage(const std::string& identifier)
{
    auto path = plat::Bundle::mainBundle().pathForResource("HelpPages", "plist");
    if (!path) {
        plat::log("help: the bundle has no HelpPages.plist");
        return std::nullopt;
    }
    auto pages = plat::dictionaryWithContentsOfFile(*path);
    return pages ? pages->getDictionary(identifier) : std::nullopt;
}

}  // namespace

InfoCenterHelpViewController::InfoCenterHelpViewController(std::string nibName)
    : plat::ViewController(std::move(nibName))
{
}

void InfoCenterHelpViewController::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    _shownPage = _subpage.empty() ? kGeneralPage : _subpage;
    auto page = helpPage(_shownPage);
    if (!page && _shownPage != kGeneralPage) {
        plat::log("help: no page \"{}\"; showing the general page", _shownPage);
        _shownPage = kGeneralPage;
        page = helpPage(_shownPage);
    }
    navigationItem()->setTitle(page ? page->getString("Title").value_or("") : plat::localized("Help"));
    if (_textViewPage)
        _textViewPage->setText(page ? page->getString("Text").value_or("") : std::string());
    auto done = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::Done);
    done->setTarget(this, &InfoCenterHelpViewController::actionDone);
    navigationItem()->setRightBarButtonItem(done);
}

bool InfoCenterHelpViewController::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const
{
    return plat::isLandscape(orientation);
}

void InfoCenterHelpViewController::actionDone()
{
    if (auto navigation = navigationController())
        navigation->dismissViewControllerAnimated(/*animated=*/true, nullptr);
    else
        dismissViewControllerAnimated(/*animated=*/true, nullptr);
}

}  // namespace zt
