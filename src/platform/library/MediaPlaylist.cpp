#include "platform/library/MediaPlaylist.h"

namespace plat {

MediaPlaylist::MediaPlaylist(
    MediaEntityPersistentID persistentID, std::string name, std::vector<std::shared_ptr<const MediaItem>> items)
    : MediaItemCollection(std::move(items))
    , _persistentID(persistentID)
    , _name(std::move(name))
{
}

Value MediaPlaylist::valueForProperty(const std::string& property) const
{
    if (property == kMediaPlaylistPropertyPersistentID)
        return Value(static_cast<int64_t>(_persistentID));
    if (property == kMediaPlaylistPropertyName)
        return Value(_name);
    return Value();
}

}  // namespace plat
