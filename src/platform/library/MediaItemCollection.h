#pragma once
#include <memory>
#include <vector>

namespace plat {
class MediaItem;

// Songs taken together: an album, an artist's songs, a playlist, a pick.
// Any thread (immutable).
class MediaItemCollection {
public:
    // collectionWithItems:
    explicit MediaItemCollection(std::vector<std::shared_ptr<const MediaItem>> items);
    virtual ~MediaItemCollection() = default;

    const std::vector<std::shared_ptr<const MediaItem>>& items() const { return _items; }
    size_t count() const { return _items.size(); }
    // The song that stands for the collection (its first); nullptr when it is empty.
    std::shared_ptr<const MediaItem> representativeItem() const;

private:
    std::vector<std::shared_ptr<const MediaItem>> _items;
};

}  // namespace plat
