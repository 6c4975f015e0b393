#include "share/GalleryScreens.h"

#include "platform/foundation/Bundle.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"

namespace zt {

GallerySideViewController::GallerySideViewController(std::string nibName)
    : plat::ViewController(std::move(nibName))
{
}

GalleryWebViewController::GalleryWebViewController(std::string nibName)
    : plat::ViewController(std::move(nibName))
{
}

GaleryVideoTableViewController::GaleryVideoTableViewController(std::string nibName)
    : plat::TableViewController(std::move(nibName))
{
}

void GaleryVideoTableViewController::viewDidLoad()
{
    plat::TableViewController::viewDidLoad();
    navigationItem()->setTitle(plat::localized("Gallery"));
    auto done = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::Done);
    done->setTarget(this, &GaleryVideoTableViewController::actionDone);
    navigationItem()->setLeftBarButtonItem(done);
}

void GaleryVideoTableViewController::actionDone()
{
    // The deck is what was presented; without one, whatever presented the list goes.
    if (auto deck = _deck.lock())
        deck->dismissViewControllerAnimated(/*animated=*/true, nullptr);
    else
        dismissViewControllerAnimated(/*animated=*/true, nullptr);
}

void GallerySplitViewController::loadView()
{
    auto root = std::make_shared<plat::View>(plat::Screen::mainScreen().bounds());
    root->setBackgroundColor(plat::Color::blackColor());
    setView(root);
    for (const auto& child : {_left, _right})
        if (child)
            root->addSubview(child->view());
}

void GallerySplitViewController::setLeftController(std::shared_ptr<plat::ViewController> controller)
{
    replaceChild(_left, std::move(controller));
}

void GallerySplitViewController::setRightController(std::shared_ptr<plat::ViewController> controller)
{
    replaceChild(_right, std::move(controller));
}

void GallerySplitViewController::replaceChild(
    std::shared_ptr<plat::ViewController>& slot, std::shared_ptr<plat::ViewController> controller)
{
    if (slot) {
        slot->willMoveToParentViewController(nullptr);
        if (slot->isViewLoaded())
            slot->view()->removeFromSuperview();
        slot->removeFromParentViewController();
    }
    slot = std::move(controller);
    if (!slot)
        return;
    addChildViewController(slot);
    if (isViewLoaded())
        view()->addSubview(slot->view());
    slot->didMoveToParentViewController(this);
}

}  // namespace zt
