#pragma once
#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/Color.h"
#include "platform/ui/Object.h"
#include "platform/ui/TargetAction.h"

namespace plat {
class BarButtonItem;
class Image;
class View;
namespace detail {
std::shared_ptr<View> makeBarItemView(const std::shared_ptr<BarButtonItem>& item, double barHeight);
}

enum class BarButtonItemStyle : int { Plain = 0, Bordered = 1, Done = 2 };
// The platform's system items, with its numbers.
enum class BarButtonSystemItem : int {
    Done = 0,
    Cancel = 1,
    Edit = 2,
    Save = 3,
    Add = 4,
    FlexibleSpace = 5,
    FixedSpace = 6,
    Compose = 7,
    Reply = 8,
    Action = 9,
    Organize = 10,
    Bookmarks = 11,
    Search = 12,
    Refresh = 13,
    Stop = 14,
    Camera = 15,
    Trash = 16,
    Play = 17,
    Pause = 18,
    Rewind = 19,
    FastForward = 20,
    Undo = 21,
    Redo = 22,
};

// An item of a toolbar or navigation bar, as the platform's bar button
// item: a title, an image, a system item, a space (flexible or fixed
// width) or a custom view, with a target-action sent when it is tapped
// (targets are weak, see TargetActionList). Title, image, enabled state and
// custom view are observable ("title", "image", "enabled", "customView"), so
// the bar showing the item follows them at once. Main thread.
class BarButtonItem : public Object {
public:
    BarButtonItem(std::string title, BarButtonItemStyle style);
    BarButtonItem(std::shared_ptr<const Image> image, BarButtonItemStyle style);
    explicit BarButtonItem(BarButtonSystemItem systemItem);
    explicit BarButtonItem(std::shared_ptr<View> customView);

    template <typename T, typename S> void setTarget(T* target, void (T::*action)(S&))
    {
        _actions.removeAll();
        _actions.add(target, action, ~uint64_t(0));
    }
    template <typename T> void setTarget(T* target, void (T::*action)())
    {
        _actions.removeAll();
        _actions.add(target, action, ~uint64_t(0));
    }
    bool hasAction() const { return !_actions.empty(); }
    // As setting the platform item's action to none.
    void removeAction() { _actions.removeAll(); }
    // What a tap on the item does.
    void sendAction();

    const std::string& title() const { return _title; }
    void setTitle(std::string title);
    const std::shared_ptr<const Image>& image() const { return _image; }
    void setImage(std::shared_ptr<const Image> image);
    bool isEnabled() const { return _enabled; }
    void setEnabled(bool enabled);
    int64_t tag() const { return _tag; }
    void setTag(int64_t tag) { _tag = tag; }
    BarButtonItemStyle style() const { return _style; }
    void setStyle(BarButtonItemStyle style) { _style = style; }
    std::optional<BarButtonSystemItem> systemItem() const { return _systemItem; }
    bool isSpace() const;
    // For fixed spaces and items that should not size themselves; 0 means automatic.
    double width() const { return _width; }
    void setWidth(double width);
    const std::shared_ptr<View>& customView() const { return _customView; }
    void setCustomView(std::shared_ptr<View> view);
    std::optional<Color> tintColor() const { return _tintColor; }
    void setTintColor(std::optional<Color> color);
    // What the item's view says to accessibility (and the test drivers): an
    // image-only item has no title to be found by.
    const std::string& accessibilityLabel() const { return _accessibilityLabel; }
    void setAccessibilityLabel(std::string label) { _accessibilityLabel = std::move(label); }

    // The text a system item shows ("Done", "Cancel", "+"...), empty for spaces.
    static std::string titleForSystemItem(BarButtonSystemItem item);

    // The view a bar shows the item with, while one does (popovers point at it).
    std::shared_ptr<View> view() const { return _shownView.lock(); }

private:
    friend std::shared_ptr<View> detail::makeBarItemView(const std::shared_ptr<BarButtonItem>& item, double barHeight);

    TargetActionList<BarButtonItem> _actions;
    std::string _title;
    std::shared_ptr<const Image> _image;
    bool _enabled = true;
    int64_t _tag = 0;
    BarButtonItemStyle _style = BarButtonItemStyle::Plain;
    std::optional<BarButtonSystemItem> _systemItem;
    double _width = 0;
    std::shared_ptr<View> _customView;
    std::optional<Color> _tintColor;
    std::string _accessibilityLabel;
    std::weak_ptr<View> _shownView;
};

}  // namespace plat
