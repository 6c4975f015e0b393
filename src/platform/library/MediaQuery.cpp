#include "platform/library/MediaQuery.h"

#include <algorithm>
#include <map>
#include <set>
#include <string_view>

#include "platform/library/MediaItem.h"
#include "platform/library/MediaItemCollection.h"
#include "platform/library/MediaLibrary.h"
#include "platform/library/MediaLibraryIndex.h"
#include "platform/library/MediaPlaylist.h"

namespace plat {

struct MediaQuery::Answer {
    std::shared_ptr<const detail::MediaLibraryIndex> index;
    std::vector<std::shared_ptr<const MediaItem>> items;
    std::vector<std::shared_ptr<const MediaItemCollection>> collections;
    std::vector<MediaQuerySection> itemSections;
    std::vector<MediaQuerySection> collectionSections;
};

namespace {

// Names under letters A to Z rank 0 to 25; the rest come last, under "#".
constexpr int kOtherRank = 26;
// The plain capital of each Latin-1 letter from U+00C0 to U+00FF; 0 for signs.
constexpr char kLatin1Plain[] = "AAAAAAACEEEEIIIIDNOOOOO\0OUUUUY\0SAAAAAAACEEEEIIIIDNOOOOO\0OUUUUY\0Y";
constexpr unsigned char kLatin1Lead = 0xC3;

// A name as it sorts: by its index letter, then without regard to case or accents.
struct SortName {
    int rank = kOtherRank;
    std::string folded;

    friend bool operator<(const SortName& a, const SortName& b)
    {
        return a.rank != b.rank ? a.rank < b.rank : a.folded < b.folded;
    }
    friend bool operator==(const SortName&, const SortName&) = default;
};

SortName sortNameOf(std::string_view name)
{
    SortName sorted;
    sorted.folded.reserve(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        char plain = 0;
        if (c >= 'A' && c <= 'Z')
            plain = static_cast<char>(c);
        else if (c >= 'a' && c <= 'z')
            plain = static_cast<char>(c - 'a' + 'A');
        else if (c == kLatin1Lead && i + 1 < name.size()) {
            unsigned char next = static_cast<unsigned char>(name[i + 1]);
            if (next >= 0x80 && next <= 0xBF && kLatin1Plain[next - 0x80] != '\0') {
                plain = kLatin1Plain[next - 0x80];
                ++i;
            }
        }
        if (plain) {
            if (sorted.folded.empty())
                sorted.rank = plain - 'A';
            sorted.folded.push_back(static_cast<char>(plain - 'A' + 'a'));
        } else {
            sorted.folded.push_back(static_cast<char>(c));
        }
    }
    return sorted;
}

std::string sectionTitle(int rank)
{
    return rank < kOtherRank ? std::string(1, static_cast<char>('A' + rank)) : std::string("#");
}

// Runs of equal rank in an ordered list of ranks.
std::vector<MediaQuerySection> sectionsOf(const std::vector<int>& ranks)
{
    std::vector<MediaQuerySection> sections;
    for (size_t i = 0; i < ranks.size(); ++i) {
        if (sections.empty() || sectionTitle(ranks[i]) != sections.back().title)
            sections.push_back({sectionTitle(ranks[i]), static_cast<int64_t>(i), 0});
        ++sections.back().length;
    }
    return sections;
}

const std::string& groupNameOf(const MediaItem& item, MediaGrouping grouping)
{
    switch (grouping) {
    case MediaGrouping::Album:
        return item.albumTitle();
    case MediaGrouping::Artist:
        return item.artist();
    case MediaGrouping::AlbumArtist:
        return item.albumArtist().empty() ? item.artist() : item.albumArtist();
    case MediaGrouping::Composer:
        return item.composer();
    case MediaGrouping::Genre:
        return item.genre();
    case MediaGrouping::Title:
    case MediaGrouping::Playlist:
        break;
    }
    return item.title();
}

// An item with the names it sorts by, worked out once.
struct Sortable {
    std::shared_ptr<const MediaItem> item;
    SortName group;
    std::string groupIdentity;  // what makes two songs one collection
    SortName album;
    SortName title;
};

bool songOrderWithin(const Sortable& a, const Sortable& b, MediaGrouping grouping)
{
    if (grouping != MediaGrouping::Album && !(a.album == b.album))
        return a.album < b.album;
    if (a.item->discNumber() != b.item->discNumber())
        return a.item->discNumber() < b.item->discNumber();
    if (a.item->albumTrackNumber() != b.item->albumTrackNumber())
        return a.item->albumTrackNumber() < b.item->albumTrackNumber();
    if (!(a.title == b.title))
        return a.title < b.title;
    return a.item->persistentID() < b.item->persistentID();
}

Sortable sortableOf(const std::shared_ptr<const MediaItem>& item, MediaGrouping grouping)
{
    Sortable sortable;
    sortable.item = item;
    sortable.title = sortNameOf(item->title());
    sortable.album = sortNameOf(item->albumTitle());
    sortable.group = grouping == MediaGrouping::Title ? sortable.title : sortNameOf(groupNameOf(*item, grouping));
    sortable.groupIdentity = sortable.group.folded;
    if (grouping == MediaGrouping::Album) {
        // Albums of one name by different artists stay apart.
        const std::string& by = item->albumArtist().empty() ? item->artist() : item->albumArtist();
        sortable.groupIdentity += '\x1f' + sortNameOf(by).folded;
    }
    return sortable;
}

}  // namespace

MediaQuery::MediaQuery() = default;

MediaQuery::MediaQuery(std::vector<MediaPropertyPredicate> filterPredicates)
    : _filterPredicates(std::move(filterPredicates))
{
}

namespace {

std::shared_ptr<MediaQuery> groupedQuery(MediaGrouping grouping)
{
    auto query = std::make_shared<MediaQuery>();
    query->setGroupingType(grouping);
    return query;
}

}  // namespace

std::shared_ptr<MediaQuery> MediaQuery::songsQuery()
{
    return groupedQuery(MediaGrouping::Title);
}

std::shared_ptr<MediaQuery> MediaQuery::albumsQuery()
{
    return groupedQuery(MediaGrouping::Album);
}

std::shared_ptr<MediaQuery> MediaQuery::artistsQuery()
{
    return groupedQuery(MediaGrouping::Artist);
}

std::shared_ptr<MediaQuery> MediaQuery::albumArtistsQuery()
{
    return groupedQuery(MediaGrouping::AlbumArtist);
}

std::shared_ptr<MediaQuery> MediaQuery::composersQuery()
{
    return groupedQuery(MediaGrouping::Composer);
}

std::shared_ptr<MediaQuery> MediaQuery::genresQuery()
{
    return groupedQuery(MediaGrouping::Genre);
}

std::shared_ptr<MediaQuery> MediaQuery::playlistsQuery()
{
    return groupedQuery(MediaGrouping::Playlist);
}

void MediaQuery::setFilterPredicates(std::vector<MediaPropertyPredicate> predicates)
{
    _filterPredicates = std::move(predicates);
    _answer.reset();
}

void MediaQuery::addFilterPredicate(MediaPropertyPredicate predicate)
{
    _filterPredicates.push_back(std::move(predicate));
    _answer.reset();
}

void MediaQuery::removeFilterPredicate(const MediaPropertyPredicate& predicate)
{
    std::erase(_filterPredicates, predicate);
    _answer.reset();
}

void MediaQuery::setGroupingType(MediaGrouping grouping)
{
    _groupingType = grouping;
    _answer.reset();
}

void MediaQuery::setMediaLibrary(std::shared_ptr<MediaLibrary> library)
{
    _library = std::move(library);
    _answer.reset();
}

namespace {

bool playlistMatches(const MediaPlaylist& playlist, const MediaPropertyPredicate& predicate)
{
    Value own = playlist.valueForProperty(predicate.property());
    if (predicate.comparisonType() == MediaPredicateComparison::EqualTo)
        return own == predicate.value();
    const std::string* name = own.asString();
    const std::string* part = predicate.value().asString();
    return name && part && sortNameOf(*name).folded.find(sortNameOf(*part).folded) != std::string::npos;
}

struct Filtered {
    std::vector<std::shared_ptr<const MediaItem>> items;
    // A query on one playlist lists its songs in the playlist's order.
    bool inPlaylistOrder = false;
};

Filtered filterSongs(const detail::MediaLibraryIndex& index, const std::vector<MediaPropertyPredicate>& predicates)
{
    std::vector<const MediaPropertyPredicate*> onSongs;
    std::vector<const MediaPropertyPredicate*> onPlaylists;
    for (const auto& predicate : predicates)
        (predicate.isPlaylistPredicate() ? onPlaylists : onSongs).push_back(&predicate);
    auto passes = [&](const MediaItem& item) {
        return std::all_of(
            onSongs.begin(), onSongs.end(), [&](const auto* predicate) { return predicate->matchesItem(item); });
    };
    Filtered filtered;
    if (onPlaylists.empty()) {
        for (const auto& item : index.items)
            if (passes(*item))
                filtered.items.push_back(item);
        return filtered;
    }
    // Songs of the playlists that pass every playlist predicate, in their order.
    filtered.inPlaylistOrder = true;
    for (const auto& playlist : index.playlists) {
        bool chosen = std::all_of(onPlaylists.begin(), onPlaylists.end(),
            [&](const auto* predicate) { return playlistMatches(*playlist, *predicate); });
        if (!chosen)
            continue;
        for (const auto& item : playlist->items())
            if (passes(*item))
                filtered.items.push_back(item);
    }
    return filtered;
}

}  // namespace

const MediaQuery::Answer& MediaQuery::answer() const
{
    auto library = _library ? _library : MediaLibrary::defaultMediaLibrary();
    auto index = library->index();
    if (_answer && _answer->index == index)
        return *_answer;
    auto made = std::make_shared<Answer>();
    made->index = index;
    if (_groupingType == MediaGrouping::Playlist) {
        bool filtersSongs = std::any_of(_filterPredicates.begin(), _filterPredicates.end(),
            [](const auto& predicate) { return !predicate.isPlaylistPredicate(); });
        for (const auto& playlist : index->playlists) {
            bool chosen = std::all_of(_filterPredicates.begin(), _filterPredicates.end(), [&](const auto& predicate) {
                return !predicate.isPlaylistPredicate() || playlistMatches(*playlist, predicate);
            });
            if (!chosen)
                continue;
            if (!filtersSongs) {
                made->collections.push_back(playlist);
                continue;
            }
            std::vector<std::shared_ptr<const MediaItem>> kept;
            for (const auto& item : playlist->items())
                if (std::all_of(_filterPredicates.begin(), _filterPredicates.end(), [&](const auto& predicate) {
                        return predicate.isPlaylistPredicate() || predicate.matchesItem(*item);
                    }))
                    kept.push_back(item);
            if (!kept.empty())
                made->collections.push_back(
                    std::make_shared<MediaPlaylist>(playlist->persistentID(), playlist->name(), std::move(kept)));
        }
        for (const auto& collection : made->collections)
            made->items.insert(made->items.end(), collection->items().begin(), collection->items().end());
        _answer = std::move(made);
        return *_answer;
    }
    Filtered filtered = filterSongs(*index, _filterPredicates);
    if (filtered.inPlaylistOrder && _groupingType == MediaGrouping::Title) {
        made->items = std::move(filtered.items);
        for (const auto& item : made->items)
            made->collections.push_back(std::make_shared<MediaItemCollection>(std::vector {item}));
        _answer = std::move(made);
        return *_answer;
    }
    std::vector<Sortable> songs;
    songs.reserve(filtered.items.size());
    for (const auto& item : filtered.items)
        songs.push_back(sortableOf(item, _groupingType));
    MediaGrouping grouping = _groupingType;
    std::sort(songs.begin(), songs.end(), [grouping](const Sortable& a, const Sortable& b) {
        if (!(a.group == b.group))
            return a.group < b.group;
        if (a.groupIdentity != b.groupIdentity)
            return a.groupIdentity < b.groupIdentity;
        return songOrderWithin(a, b, grouping);
    });
    std::vector<int> itemRanks;
    std::vector<int> collectionRanks;
    std::vector<std::shared_ptr<const MediaItem>> run;
    auto closeRun = [&](int rank) {
        if (run.empty())
            return;
        made->collections.push_back(std::make_shared<MediaItemCollection>(std::move(run)));
        collectionRanks.push_back(rank);
        run.clear();
    };
    for (size_t i = 0; i < songs.size(); ++i) {
        bool startsGroup = _groupingType == MediaGrouping::Title || i == 0
            || songs[i].groupIdentity != songs[i - 1].groupIdentity || !(songs[i].group == songs[i - 1].group);
        if (startsGroup && i > 0)
            closeRun(songs[i - 1].group.rank);
        run.push_back(songs[i].item);
        made->items.push_back(songs[i].item);
        itemRanks.push_back(songs[i].group.rank);
    }
    if (!songs.empty())
        closeRun(songs.back().group.rank);
    if (!filtered.inPlaylistOrder) {
        made->itemSections = sectionsOf(itemRanks);
        made->collectionSections = sectionsOf(collectionRanks);
    }
    _answer = std::move(made);
    return *_answer;
}

std::vector<std::shared_ptr<const MediaItem>> MediaQuery::items() const
{
    return answer().items;
}

std::vector<std::shared_ptr<const MediaItemCollection>> MediaQuery::collections() const
{
    return answer().collections;
}

std::vector<MediaQuerySection> MediaQuery::itemSections() const
{
    return answer().itemSections;
}

std::vector<MediaQuerySection> MediaQuery::collectionSections() const
{
    return answer().collectionSections;
}

}  // namespace plat
