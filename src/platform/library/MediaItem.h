#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Date.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"
#include "platform/library/MediaFileTags.h"

namespace plat {
class MediaItemArtwork;

using MediaEntityPersistentID = uint64_t;

// The properties of an item by the platform's names, for valueForProperty
// and the predicates of queries.
inline constexpr const char* kMediaItemPropertyPersistentID = "persistentID";
inline constexpr const char* kMediaItemPropertyTitle = "title";
inline constexpr const char* kMediaItemPropertyArtist = "artist";
inline constexpr const char* kMediaItemPropertyAlbumTitle = "albumTitle";
inline constexpr const char* kMediaItemPropertyAlbumArtist = "albumArtist";
inline constexpr const char* kMediaItemPropertyGenre = "genre";
inline constexpr const char* kMediaItemPropertyComposer = "composer";
inline constexpr const char* kMediaItemPropertyAlbumTrackNumber = "albumTrackNumber";
inline constexpr const char* kMediaItemPropertyAlbumTrackCount = "albumTrackCount";
inline constexpr const char* kMediaItemPropertyDiscNumber = "discNumber";
inline constexpr const char* kMediaItemPropertyPlaybackDuration = "playbackDuration";
inline constexpr const char* kMediaItemPropertyReleaseDate = "releaseDate";
inline constexpr const char* kMediaItemPropertyAssetURL = "assetURL";
// Not a documented key, but one the platform answers: the release year.
inline constexpr const char* kMediaItemPropertyYear = "year";

// One song of the music library: a sound file of the library folder with
// the tags it carries. A song that carries no title is known by its file
// name. Any thread (immutable; the artwork loads itself when first asked).
class MediaItem {
public:
    MediaItem(MediaEntityPersistentID persistentID, std::string path, detail::MediaFileTags tags);

    MediaEntityPersistentID persistentID() const { return _persistentID; }
    const std::string& title() const { return _title; }
    const std::string& artist() const { return _tags.artist; }
    const std::string& albumTitle() const { return _tags.albumTitle; }
    const std::string& albumArtist() const { return _tags.albumArtist; }
    const std::string& genre() const { return _tags.genre; }
    const std::string& composer() const { return _tags.composer; }
    int64_t albumTrackNumber() const { return _tags.trackNumber; }
    int64_t albumTrackCount() const { return _tags.trackCount; }
    int64_t discNumber() const { return _tags.discNumber; }
    double playbackDuration() const { return _tags.playbackDuration; }
    std::optional<int64_t> year() const { return _tags.year; }
    // The first of January of the release year (UTC).
    std::optional<Date> releaseDate() const;
    // The file's URL; none for protected sound; the platform's address of a
    // deleted item ("ipod-library://item/item.(null)?id=...") when the file
    // has gone since the library was read.
    std::optional<URL> assetURL() const;
    // nullptr for a song without a cover picture.
    std::shared_ptr<MediaItemArtwork> artwork() const { return _artwork; }

    // The property by its key (kMediaItemProperty...): strings, integers
    // (the persistent identifier as its 64 bits), a real for the duration, a
    // date, the asset URL as its absolute string; null when the song has no
    // such value.
    Value valueForProperty(const std::string& property) const;

    // No sound can be had from the file (encrypted, or of a codec nothing
    // here decodes).
    bool isProtected() const { return _tags.isProtected; }

    // Where the song's file lies.
    const std::string& path() const { return _path; }
    const detail::MediaFileTags& tags() const { return _tags; }

private:
    MediaEntityPersistentID _persistentID;
    std::string _path;
    detail::MediaFileTags _tags;
    std::string _title;
    std::shared_ptr<MediaItemArtwork> _artwork;
};

}  // namespace plat
