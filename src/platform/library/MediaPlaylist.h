#pragma once
#include <string>

#include "platform/foundation/Value.h"
#include "platform/library/MediaItem.h"
#include "platform/library/MediaItemCollection.h"

namespace plat {

inline constexpr const char* kMediaPlaylistPropertyPersistentID = "playlistPersistentID";
inline constexpr const char* kMediaPlaylistPropertyName = "name";

// A playlist of the music library: an M3U file of the library folder, named
// by its file (or by its "#PLAYLIST:" line), with the songs it lists in its
// order; a song may come more than once. Any thread (immutable).
class MediaPlaylist : public MediaItemCollection {
public:
    MediaPlaylist(
        MediaEntityPersistentID persistentID, std::string name, std::vector<std::shared_ptr<const MediaItem>> items);

    MediaEntityPersistentID persistentID() const { return _persistentID; }
    const std::string& name() const { return _name; }
    // kMediaPlaylistPropertyPersistentID (its 64 bits as an integer) or
    // kMediaPlaylistPropertyName; null for any other key.
    Value valueForProperty(const std::string& property) const;

private:
    MediaEntityPersistentID _persistentID;
    std::string _name;
};

}  // namespace plat
