#include "audio/MQExtensions.h"

#include <cmath>
#include <cstdio>

#include "platform/foundation/Bundle.h"
#include "platform/library/MediaItemArtwork.h"
#include "platform/library/MediaItemCollection.h"
#include "platform/library/MediaPlaylist.h"
#include "platform/library/MediaQuery.h"

namespace zt {

namespace {

// Where the library keeps a song whose file has gone.
constexpr const char* kDeletedItemAddress = "item/item.(null)";
constexpr int64_t kSecondsPerMinute = 60;
constexpr int64_t kMinutesPerHour = 60;

std::string stringProperty(const plat::MediaItem& item, const char* property)
{
    plat::Value value = item.valueForProperty(property);
    const std::string* text = value.asString();
    return text ? *text : std::string();
}

}  // namespace

std::string artist(const plat::MediaItem& item)
{
    return stringProperty(item, plat::kMediaItemPropertyArtist);
}

std::string albumArtist(const plat::MediaItem& item)
{
    return stringProperty(item, plat::kMediaItemPropertyAlbumArtist);
}

std::string title(const plat::MediaItem& item)
{
    return stringProperty(item, plat::kMediaItemPropertyTitle);
}

std::string albumTitle(const plat::MediaItem& item)
{
    return stringProperty(item, plat::kMediaItemPropertyAlbumTitle);
}

std::optional<plat::URL> assetURL(const plat::MediaItem& item)
{
    std::string address = stringProperty(item, plat::kMediaItemPropertyAssetURL);
    if (address.empty())
        return std::nullopt;
    return plat::URL::URLWithString(address);
}

plat::MediaEntityPersistentID persistentID(const plat::MediaItem& item)
{
    auto value = item.valueForProperty(plat::kMediaItemPropertyPersistentID).int64Value();
    return static_cast<plat::MediaEntityPersistentID>(value.value_or(0));
}

std::optional<plat::Date> releaseDate(const plat::MediaItem& item)
{
    return item.valueForProperty(plat::kMediaItemPropertyReleaseDate).asDate();
}

int64_t trackNumber(const plat::MediaItem& item)
{
    return item.valueForProperty(plat::kMediaItemPropertyAlbumTrackNumber).int64Value().value_or(0);
}

std::shared_ptr<plat::Image> artworkWithSize(const plat::MediaItem& item, plat::Size size)
{
    auto art = item.artwork();
    return art ? art->imageWithSize(size) : nullptr;
}

std::shared_ptr<plat::Image> artwork(const plat::MediaItem& item)
{
    auto art = item.artwork();
    return art ? art->imageWithSize(art->bounds().size) : nullptr;
}

double trackLength(const plat::MediaItem& item)
{
    return item.valueForProperty(plat::kMediaItemPropertyPlaybackDuration).doubleValue().value_or(0);
}

std::optional<std::string> releaseYearString(const plat::MediaItem& item)
{
    auto year = item.valueForProperty(plat::kMediaItemPropertyYear).int64Value();
    if (!year)
        return std::nullopt;
    return std::to_string(*year);
}

std::string trackLengthString(const plat::MediaItem& item)
{
    return trackLengthString(trackLength(item));
}

std::string trackLengthString(double seconds)
{
    // A broken tag must not become a huge or negative number of minutes.
    double whole = std::isfinite(seconds) && seconds > 0 ? std::floor(seconds) : 0;
    char text[48];
    if (whole < kSecondsPerMinute) {
        std::snprintf(text, sizeof text, "0:%02.0f", whole);
        return text;
    }
    auto total = static_cast<int64_t>(std::min(whole, 9.0e15));
    int64_t minutes = total / kSecondsPerMinute;
    int64_t rest = total - minutes * kSecondsPerMinute;
    if (minutes >= kMinutesPerHour)
        std::snprintf(text, sizeof text, "%lld%s%02lld%s%02lld", static_cast<long long>(minutes / kMinutesPerHour), ":",
            static_cast<long long>(minutes % kMinutesPerHour), ":", static_cast<long long>(rest));
    else
        std::snprintf(
            text, sizeof text, "%lld%s%02lld", static_cast<long long>(minutes), ":", static_cast<long long>(rest));
    return text;
}

bool assetNeedsToDownload(const plat::MediaItem& item)
{
    return !assetURL(item);
}

bool assetHasBeenDeleted(const plat::MediaItem& item)
{
    auto url = assetURL(item);
    return url && url->absoluteString().find(kDeletedItemAddress) != std::string::npos;
}

bool isPlayable(const plat::MediaItem& item)
{
    return !assetNeedsToDownload(item) && !assetHasBeenDeleted(item);
}

bool existsInLibrary(const plat::MediaItem& item)
{
    plat::MediaQuery query({plat::MediaPropertyPredicate::predicateWithValue(
        static_cast<int64_t>(persistentID(item)), plat::kMediaItemPropertyPersistentID)});
    return !query.items().empty();
}

double playbackLength(const plat::MediaItemCollection& collection)
{
    double total = 0;
    for (const auto& item : collection.items())
        total += trackLength(*item);
    return total;
}

bool hasNoLocalItems(const plat::MediaItemCollection& collection)
{
    for (const auto& item : collection.items())
        if (existsInLibrary(*item) && !assetNeedsToDownload(*item))
            return false;
    return true;
}

bool hasNoPlayableItems(const plat::MediaItemCollection& collection)
{
    for (const auto& item : collection.items())
        if (existsInLibrary(*item) && !assetHasBeenDeleted(*item))
            return false;
    return true;
}

std::string artistShown(const plat::MediaItem& item)
{
    std::string shown = artist(item);
    return shown.empty() ? plat::localized("Unknown Artist") : shown;
}

std::string albumTitleShown(const plat::MediaItem& item)
{
    std::string shown = albumTitle(item);
    return shown.empty() ? plat::localized("Unknown Album") : shown;
}

std::string albumByline(const plat::MediaItem& item)
{
    std::string by = albumArtist(item);
    return by.empty() ? artist(item) : by;
}

std::string songSubtitle(const plat::MediaItem& item)
{
    std::string album = albumTitle(item);
    std::string by = albumByline(item);
    if (album.empty() || by.empty())
        return album + by;
    return album + " - " + by;
}

plat::MediaEntityPersistentID persistentID(const plat::MediaPlaylist& playlist)
{
    return playlist.persistentID();
}

std::string name(const plat::MediaPlaylist& playlist)
{
    return playlist.name();
}

}  // namespace zt
