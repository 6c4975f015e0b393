#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/library/MediaPropertyPredicate.h"

namespace plat {
class MediaItem;
class MediaItemCollection;
class MediaLibrary;
namespace detail {
struct MediaLibraryIndex;
}

// How a query gathers songs into collections, with the platform's numbers.
enum class MediaGrouping : int {
    Title = 0,
    Album = 1,
    Artist = 2,
    AlbumArtist = 3,
    Composer = 4,
    Genre = 5,
    Playlist = 6,
};

// A run of a query's items or collections that share an index letter ("A",
// "B", ... "#" for the rest): location and length in the list.
struct MediaQuerySection {
    std::string title;
    int64_t location = 0;
    int64_t length = 0;
    friend bool operator==(const MediaQuerySection&, const MediaQuerySection&) = default;
};

// A question to the music library: the songs that pass every filter
// predicate, gathered by the grouping. Songs come by title; albums,
// artists, album artists, composers and genres by their name, an album's
// songs by disc and track number, an artist's by album. Playlists come by
// name with their songs in the playlist's order, and a query filtered on
// one playlist keeps that order too. Names sort without regard to case,
// letters first (an accented letter with its plain one), then the rest
// under "#"; those runs are the sections, which a playlist order has none
// of. Every question reads the library's current songs. Not synchronised:
// one thread at a time.
class MediaQuery {
public:
    // Every song, grouped by title.
    MediaQuery();
    // initWithFilterPredicates:
    explicit MediaQuery(std::vector<MediaPropertyPredicate> filterPredicates);

    static std::shared_ptr<MediaQuery> songsQuery();
    static std::shared_ptr<MediaQuery> albumsQuery();
    static std::shared_ptr<MediaQuery> artistsQuery();
    static std::shared_ptr<MediaQuery> albumArtistsQuery();
    static std::shared_ptr<MediaQuery> composersQuery();
    static std::shared_ptr<MediaQuery> genresQuery();
    static std::shared_ptr<MediaQuery> playlistsQuery();

    const std::vector<MediaPropertyPredicate>& filterPredicates() const { return _filterPredicates; }
    void setFilterPredicates(std::vector<MediaPropertyPredicate> predicates);
    void addFilterPredicate(MediaPropertyPredicate predicate);
    void removeFilterPredicate(const MediaPropertyPredicate& predicate);
    MediaGrouping groupingType() const { return _groupingType; }
    void setGroupingType(MediaGrouping grouping);
    // The library asked; the default one of the device unless set.
    void setMediaLibrary(std::shared_ptr<MediaLibrary> library);

    std::vector<std::shared_ptr<const MediaItem>> items() const;
    // Playlists (MediaPlaylist) for the playlist grouping.
    std::vector<std::shared_ptr<const MediaItemCollection>> collections() const;
    // Empty when the list has no sections (a playlist's order, the playlists).
    std::vector<MediaQuerySection> itemSections() const;
    std::vector<MediaQuerySection> collectionSections() const;

private:
    struct Answer;
    const Answer& answer() const;

    std::vector<MediaPropertyPredicate> _filterPredicates;
    MediaGrouping _groupingType = MediaGrouping::Title;
    std::shared_ptr<MediaLibrary> _library;
    mutable std::shared_ptr<const Answer> _answer;  // for the reading it was made from
};

}  // namespace plat
