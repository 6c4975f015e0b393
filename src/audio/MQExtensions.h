#pragma once
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Geometry.h"
#include "platform/foundation/URL.h"
#include "platform/library/MediaItem.h"

namespace plat {
class Image;
class MediaItemCollection;
class MediaPlaylist;
}  // namespace plat

// What the music-library picker reads of songs, collections and playlists,
// each through the platform object's property-value call. Any thread.
namespace zt {

std::string artist(const plat::MediaItem& item);
std::string albumArtist(const plat::MediaItem& item);
std::string title(const plat::MediaItem& item);
std::string albumTitle(const plat::MediaItem& item);
std::optional<plat::URL> assetURL(const plat::MediaItem& item);
plat::MediaEntityPersistentID persistentID(const plat::MediaItem& item);
std::optional<plat::Date> releaseDate(const plat::MediaItem& item);
int64_t trackNumber(const plat::MediaItem& item);
// nullptr without artwork.
std::shared_ptr<plat::Image> artworkWithSize(const plat::MediaItem& item, plat::Size size);
std::shared_ptr<plat::Image> artwork(const plat::MediaItem& item);
// Seconds.
double trackLength(const plat::MediaItem& item);
// The year as text, or none.
std::optional<std::string> releaseYearString(const plat::MediaItem& item);
std::string trackLengthString(const plat::MediaItem& item);
bool assetNeedsToDownload(const plat::MediaItem& item);
// The library's address of a song whose file is gone.
bool assetHasBeenDeleted(const plat::MediaItem& item);
bool isPlayable(const plat::MediaItem& item);
bool existsInLibrary(const plat::MediaItem& item);

// The sum of the songs' lengths, in seconds.
double playbackLength(const plat::MediaItemCollection& collection);
bool hasNoLocalItems(const plat::MediaItemCollection& collection);
bool hasNoPlayableItems(const plat::MediaItemCollection& collection);

plat::MediaEntityPersistentID persistentID(const plat::MediaPlaylist& playlist);
std::string name(const plat::MediaPlaylist& playlist);

// Names as the lists and the album screen show them, where a song may lack
// the tag: a row or a screen is never titled with nothing, and a subtitle
// never shows a separator with nothing on one side.
// The artist, else "Unknown Artist".
std::string artistShown(const plat::MediaItem& item);
// The album's title, else "Unknown Album".
std::string albumTitleShown(const plat::MediaItem& item);
// Whose album it is: the album artist, else the song's artist (songs of one
// performer rarely carry an album artist); empty without either.
std::string albumByline(const plat::MediaItem& item);
// "Album - Artist" of albumTitle and albumByline, or the one that is there;
// empty without either.
std::string songSubtitle(const plat::MediaItem& item);

// A playing time as the lists show it: "0:07" below a minute, "2:05" below
// an hour, "1:02:05" beyond; parts of a second are dropped, and a time that
// is negative or not a number shows as "0:00".
std::string trackLengthString(double seconds);

}  // namespace zt
