#include "platform/ui/testing/TabletToolbarScene.h"

namespace plat::test {

TabletToolbarScene::TabletToolbarScene(BarButtonSystemItem item)
    : _window(std::make_shared<Window>())
    , _root(std::make_shared<ViewController>())
    , _toolbar(std::make_shared<Toolbar>(makeRect(0, kToolbarTop, 1024, 44)))
    , _item(std::make_shared<BarButtonItem>(item))
{
    _window->setRootViewController(_root);
    _toolbar->setItems({_item});
    _root->view()->addSubview(_toolbar);
    _window->makeKeyAndVisible();
}

}  // namespace plat::test
