#pragma once
#include <memory>

#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIScope.h"

namespace plat::test {

// A tablet's key window whose root screen has a toolbar along the bottom
// holding one bar item: what is shown from that item appears in a popover.
class TabletToolbarScene {
public:
    explicit TabletToolbarScene(BarButtonSystemItem item);

    Window& window() { return *_window; }
    Toolbar& toolbar() { return *_toolbar; }
    const std::shared_ptr<BarButtonItem>& item() const { return _item; }

    // The toolbar's top edge, in window points.
    static constexpr double kToolbarTop = 724;

private:
    UIScope _scope {UserInterfaceIdiom::Pad};  // first in, last out: it clears the toolkit
    std::shared_ptr<Window> _window;
    std::shared_ptr<ViewController> _root;
    std::shared_ptr<Toolbar> _toolbar;
    std::shared_ptr<BarButtonItem> _item;
};

}  // namespace plat::test
