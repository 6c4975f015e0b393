#pragma once
// The community gallery's screens, which the project explorer assembles into
// a side-panel container: the side panel, the list of videos, the video page
// (tablet) and the split screen that holds list and page side by side.
#include <memory>
#include <string>

#include "platform/ui/TableViewController.h"
#include "platform/ui/ViewController.h"

namespace zt {

// The gallery's side panel (layout "GallerySideViewController"). Main thread.
class GallerySideViewController : public plat::ViewController {
public:
    explicit GallerySideViewController(std::string nibName);  // initWithNibName:bundle:
};

// The video page next to the list on a tablet (layout "GalleryWebViewController_iPad"). Main thread.
class GalleryWebViewController : public plat::ViewController {
public:
    explicit GalleryWebViewController(std::string nibName);  // initWithNibName:bundle:
};

// The list of the gallery's videos (layout "GaleryVideoTableViewController").
// Its Done button closes the gallery: the container it was told of (the
// deck), or itself when there is none. While it has no videos it says so
// over the empty table, and no more: nothing here asked the video service
// why. Main thread.
class GaleryVideoTableViewController : public plat::TableViewController {
public:
    explicit GaleryVideoTableViewController(std::string nibName);  // initWithNibName:bundle:

    const std::shared_ptr<GalleryWebViewController>& galleryWebViewController() const { return _web; }
    void setGalleryWebViewController(std::shared_ptr<GalleryWebViewController> web) { _web = std::move(web); }
    std::shared_ptr<plat::ViewController> deckController() const { return _deck.lock(); }
    // Not retained: the deck holds this list.
    void setDeckController(std::weak_ptr<plat::ViewController> deck) { _deck = std::move(deck); }

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void actionDone();

private:
    void updateEmptyMessage();

    std::shared_ptr<GalleryWebViewController> _web;
    std::weak_ptr<plat::ViewController> _deck;
};

// The tablet's split screen: the left controller's view and the right
// controller's view side by side, as children. Its navigation bar shows the
// left controller's title and buttons (the list's Done), since the list is
// not on the navigation stack itself. Main thread.
class GallerySplitViewController : public plat::ViewController {
public:
    GallerySplitViewController() = default;

    const std::shared_ptr<plat::ViewController>& leftController() const { return _left; }
    void setLeftController(std::shared_ptr<plat::ViewController> controller);
    const std::shared_ptr<plat::ViewController>& rightController() const { return _right; }
    void setRightController(std::shared_ptr<plat::ViewController> controller);
    std::shared_ptr<plat::ViewController> deckController() const { return _deck.lock(); }
    void setDeckController(std::weak_ptr<plat::ViewController> deck) { _deck = std::move(deck); }

    void loadView() override;

private:
    void replaceChild(std::shared_ptr<plat::ViewController>& slot, std::shared_ptr<plat::ViewController> controller);

    std::shared_ptr<plat::ViewController> _left;
    std::shared_ptr<plat::ViewController> _right;
    std::weak_ptr<plat::ViewController> _deck;
};

}  // namespace zt
