#include "platform/ui/NavigationItem.h"

#include "platform/ui/BarButtonItem.h"

namespace plat {

void NavigationItem::setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item, bool)
{
    _left.clear();
    if (item)
        _left.push_back(std::move(item));
    didChangeValueForKey("leftBarButtonItems");
}

void NavigationItem::setLeftBarButtonItems(std::vector<std::shared_ptr<BarButtonItem>> items, bool)
{
    _left = std::move(items);
    didChangeValueForKey("leftBarButtonItems");
}

void NavigationItem::setRightBarButtonItem(std::shared_ptr<BarButtonItem> item, bool)
{
    _right.clear();
    if (item)
        _right.push_back(std::move(item));
    didChangeValueForKey("rightBarButtonItems");
}

void NavigationItem::setRightBarButtonItems(std::vector<std::shared_ptr<BarButtonItem>> items, bool)
{
    _right = std::move(items);
    didChangeValueForKey("rightBarButtonItems");
}

void NavigationItem::setHidesBackButton(bool hides, bool)
{
    _hidesBackButton = hides;
    didChangeValueForKey("hidesBackButton");
}

}  // namespace plat
