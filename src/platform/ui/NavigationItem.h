#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Object.h"

namespace plat {
class BarButtonItem;
class View;

// What a navigation bar shows for a view controller, as the platform's
// navigation item: a title (observable "title") or title view, bar button
// items on either side, the back item and whether it hides. Main thread.
class NavigationItem : public Object {
public:
    explicit NavigationItem(std::string title = {})
        : _title(std::move(title))
    {
    }

    const std::string& title() const { return _title; }
    void setTitle(std::string title)
    {
        _title = std::move(title);
        didChangeValueForKey("title");
    }
    const std::string& prompt() const { return _prompt; }
    void setPrompt(std::string prompt) { _prompt = std::move(prompt); }
    const std::shared_ptr<View>& titleView() const { return _titleView; }
    void setTitleView(std::shared_ptr<View> view)
    {
        _titleView = std::move(view);
        didChangeValueForKey("titleView");
    }

    std::shared_ptr<BarButtonItem> leftBarButtonItem() const { return _left.empty() ? nullptr : _left.front(); }
    void setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item, bool animated = false);
    const std::vector<std::shared_ptr<BarButtonItem>>& leftBarButtonItems() const { return _left; }
    void setLeftBarButtonItems(std::vector<std::shared_ptr<BarButtonItem>> items, bool animated = false);
    std::shared_ptr<BarButtonItem> rightBarButtonItem() const { return _right.empty() ? nullptr : _right.front(); }
    void setRightBarButtonItem(std::shared_ptr<BarButtonItem> item, bool animated = false);
    const std::vector<std::shared_ptr<BarButtonItem>>& rightBarButtonItems() const { return _right; }
    void setRightBarButtonItems(std::vector<std::shared_ptr<BarButtonItem>> items, bool animated = false);
    const std::shared_ptr<BarButtonItem>& backBarButtonItem() const { return _back; }
    void setBackBarButtonItem(std::shared_ptr<BarButtonItem> item)
    {
        _back = std::move(item);
        didChangeValueForKey("backBarButtonItem");
    }
    bool hidesBackButton() const { return _hidesBackButton; }
    void setHidesBackButton(bool hides, bool animated = false);

private:
    std::string _title;
    std::string _prompt;
    std::shared_ptr<View> _titleView;
    std::vector<std::shared_ptr<BarButtonItem>> _left;
    std::vector<std::shared_ptr<BarButtonItem>> _right;
    std::shared_ptr<BarButtonItem> _back;
    bool _hidesBackButton = false;
};

}  // namespace plat
