#include "platform/library/MediaItemCollection.h"

#include "platform/library/MediaItem.h"

namespace plat {

MediaItemCollection::MediaItemCollection(std::vector<std::shared_ptr<const MediaItem>> items)
    : _items(std::move(items))
{
}

std::shared_ptr<const MediaItem> MediaItemCollection::representativeItem() const
{
    return _items.empty() ? nullptr : _items.front();
}

}  // namespace plat
