#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/Object.h"

namespace plat {
class Image;

// The platform's system tab items, with its numbers.
enum class TabBarSystemItem : int {
    More = 0,
    Favorites = 1,
    Featured = 2,
    TopRated = 3,
    Recents = 4,
    Contacts = 5,
    History = 6,
    Bookmarks = 7,
    Search = 8,
    Downloads = 9,
    MostRecent = 10,
    MostViewed = 11,
};

// An item of a tab bar, as the platform's tab bar item: a title, an image
// (and one for when it is selected), a badge, a tag and an enabled state.
// Every property is observable by its name, so the bar showing the item
// follows it at once. Main thread.
class TabBarItem : public Object {
public:
    TabBarItem(std::string title, std::shared_ptr<const Image> image, int64_t tag);
    TabBarItem(TabBarSystemItem systemItem, int64_t tag);

    const std::string& title() const { return _title; }
    void setTitle(std::string title);
    const std::shared_ptr<const Image>& image() const { return _image; }
    void setImage(std::shared_ptr<const Image> image);
    const std::shared_ptr<const Image>& selectedImage() const { return _selectedImage; }
    void setSelectedImage(std::shared_ptr<const Image> image);
    // Empty: no badge.
    const std::optional<std::string>& badgeValue() const { return _badgeValue; }
    void setBadgeValue(std::optional<std::string> badge);
    int64_t tag() const { return _tag; }
    void setTag(int64_t tag) { _tag = tag; }
    bool isEnabled() const { return _enabled; }
    void setEnabled(bool enabled);
    std::optional<TabBarSystemItem> systemItem() const { return _systemItem; }

    static std::string titleForSystemItem(TabBarSystemItem item);

private:
    std::string _title;
    std::shared_ptr<const Image> _image;
    std::shared_ptr<const Image> _selectedImage;
    std::optional<std::string> _badgeValue;
    int64_t _tag = 0;
    bool _enabled = true;
    std::optional<TabBarSystemItem> _systemItem;
};

}  // namespace plat
