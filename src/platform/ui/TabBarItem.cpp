#include "platform/ui/TabBarItem.h"

namespace plat {

TabBarItem::TabBarItem(std::string title, std::shared_ptr<const Image> image, int64_t tag)
    : _title(std::move(title))
    , _image(std::move(image))
    , _tag(tag)
{
}

TabBarItem::TabBarItem(TabBarSystemItem systemItem, int64_t tag)
    : _title(titleForSystemItem(systemItem))
    , _tag(tag)
    , _systemItem(systemItem)
{
}

void TabBarItem::setTitle(std::string title)
{
    if (title == _title)
        return;
    _title = std::move(title);
    didChangeValueForKey("title");
}

void TabBarItem::setImage(std::shared_ptr<const Image> image)
{
    _image = std::move(image);
    didChangeValueForKey("image");
}

void TabBarItem::setSelectedImage(std::shared_ptr<const Image> image)
{
    _selectedImage = std::move(image);
    didChangeValueForKey("selectedImage");
}

void TabBarItem::setBadgeValue(std::optional<std::string> badge)
{
    _badgeValue = std::move(badge);
    didChangeValueForKey("badgeValue");
}

void TabBarItem::setEnabled(bool enabled)
{
    _enabled = enabled;
    didChangeValueForKey("enabled");
}

std::string TabBarItem::titleForSystemItem(TabBarSystemItem item)
{
    switch (item) {
    case TabBarSystemItem::More:
        return "More";
    case TabBarSystemItem::Favorites:
        return "Favorites";
    case TabBarSystemItem::Featured:
        return "Featured";
    case TabBarSystemItem::TopRated:
        return "Top Rated";
    case TabBarSystemItem::Recents:
        return "Recents";
    case TabBarSystemItem::Contacts:
        return "Contacts";
    case TabBarSystemItem::History:
        return "History";
    case TabBarSystemItem::Bookmarks:
        return "Bookmarks";
    case TabBarSystemItem::Search:
        return "Search";
    case TabBarSystemItem::Downloads:
        return "Downloads";
    case TabBarSystemItem::MostRecent:
        return "Most Recent";
    case TabBarSystemItem::MostViewed:
        return "Most Viewed";
    }
    return {};
}

}  // namespace plat
