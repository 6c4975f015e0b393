#include "share/GalleryScreens.h"

#include "platform/foundation/Bundle.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"

namespace zt {

namespace {
constexpr double kEmptyMessageMargin = 20;
}  // namespace

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

void GaleryVideoTableViewController::viewWillAppear(bool animated)
{
    plat::TableViewController::viewWillAppear(animated);
    updateEmptyMessage();
}

void GaleryVideoTableViewController::updateEmptyMessage()
{
    auto table = tableView();
    if (table->numberOfSections() > 0 && table->numberOfRowsInSection(0) > 0) {
        table->setBackgroundView(nullptr);
        return;
    }
    auto background = std::make_shared<plat::View>(table->bounds());
    auto message = std::make_shared<plat::Label>(plat::makeRect(kEmptyMessageMargin, kEmptyMessageMargin,
        table->bounds().width() - 2 * kEmptyMessageMargin, table->bounds().height() / 2));
    message->setText(plat::localized("The gallery has no movies to show."));
    message->setTextColor(plat::Color::darkGrayColor());
    message->setFont(plat::Font::systemFontOfSize(17));
    message->setTextAlignment(plat::TextAlignment::Center);
    message->setNumberOfLines(0);
    message->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    background->addSubview(message);
    table->setBackgroundView(background);
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
    if (!_left)
        return;
    _left->view();  // its items are set as its view loads
    const auto& items = *_left->navigationItem();
    navigationItem()->setTitle(items.title());
    navigationItem()->setLeftBarButtonItems(items.leftBarButtonItems());
    navigationItem()->setRightBarButtonItems(items.rightBarButtonItems());
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
