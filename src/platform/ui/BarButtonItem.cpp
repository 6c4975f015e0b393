#include "platform/ui/BarButtonItem.h"

#include "platform/ui/View.h"

namespace plat {

BarButtonItem::BarButtonItem(std::string title, BarButtonItemStyle style)
    : _title(std::move(title))
    , _style(style)
{
}

BarButtonItem::BarButtonItem(std::shared_ptr<const Image> image, BarButtonItemStyle style)
    : _image(std::move(image))
    , _style(style)
{
}

BarButtonItem::BarButtonItem(BarButtonSystemItem systemItem)
    : _title(titleForSystemItem(systemItem))
    , _style(systemItem == BarButtonSystemItem::Done ? BarButtonItemStyle::Done : BarButtonItemStyle::Plain)
    , _systemItem(systemItem)
{
}

BarButtonItem::BarButtonItem(std::shared_ptr<View> customView)
    : _customView(std::move(customView))
{
}

void BarButtonItem::sendAction()
{
    if (!_enabled)
        return;
    auto keepAlive = weak_from_this().lock();
    _actions.send(*this, ~uint64_t(0));
}

void BarButtonItem::setTitle(std::string title)
{
    _title = std::move(title);
    didChangeValueForKey("title");
}

void BarButtonItem::setImage(std::shared_ptr<const Image> image)
{
    _image = std::move(image);
    didChangeValueForKey("image");
}

void BarButtonItem::setEnabled(bool enabled)
{
    _enabled = enabled;
    didChangeValueForKey("enabled");
}

bool BarButtonItem::isSpace() const
{
    return _systemItem == BarButtonSystemItem::FlexibleSpace || _systemItem == BarButtonSystemItem::FixedSpace;
}

void BarButtonItem::setWidth(double width)
{
    _width = width;
    didChangeValueForKey("width");
}

void BarButtonItem::setCustomView(std::shared_ptr<View> view)
{
    _customView = std::move(view);
    didChangeValueForKey("customView");
}

void BarButtonItem::setTintColor(std::optional<Color> color)
{
    _tintColor = std::move(color);
    didChangeValueForKey("tintColor");
}

std::string BarButtonItem::titleForSystemItem(BarButtonSystemItem item)
{
    switch (item) {
    case BarButtonSystemItem::Done:
        return "Done";
    case BarButtonSystemItem::Cancel:
        return "Cancel";
    case BarButtonSystemItem::Edit:
        return "Edit";
    case BarButtonSystemItem::Save:
        return "Save";
    case BarButtonSystemItem::Add:
        return "+";
    case BarButtonSystemItem::Compose:
        return "Compose";
    case BarButtonSystemItem::Reply:
        return "Reply";
    case BarButtonSystemItem::Action:
        return "Share";
    case BarButtonSystemItem::Organize:
        return "Organize";
    case BarButtonSystemItem::Bookmarks:
        return "Bookmarks";
    case BarButtonSystemItem::Search:
        return "Search";
    case BarButtonSystemItem::Refresh:
        return "Refresh";
    case BarButtonSystemItem::Stop:
        return "Stop";
    case BarButtonSystemItem::Camera:
        return "Camera";
    case BarButtonSystemItem::Trash:
        return "Trash";
    case BarButtonSystemItem::Play:
        return "Play";
    case BarButtonSystemItem::Pause:
        return "Pause";
    case BarButtonSystemItem::Rewind:
        return "Rewind";
    case BarButtonSystemItem::FastForward:
        return "Fast Forward";
    case BarButtonSystemItem::Undo:
        return "Undo";
    case BarButtonSystemItem::Redo:
        return "Redo";
    case BarButtonSystemItem::FlexibleSpace:
    case BarButtonSystemItem::FixedSpace:
        return {};
    }
    return {};
}

}  // namespace plat
