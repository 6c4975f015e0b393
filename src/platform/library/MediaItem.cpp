#include "platform/library/MediaItem.h"

#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/library/MediaItemArtwork.h"

namespace plat {

namespace {

constexpr double kSecondsPerDay = 86400;

// Days from 1970-01-01 to the first of January of the year (proleptic Gregorian).
int64_t daysToNewYear(int64_t year)
{
    int64_t y = year - 1;  // January counts with the year before, as March-based years do
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yearOfEra = y - era * 400;
    int64_t dayOfYear = 306;  // 1 January is day 306 of a year that starts in March
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

Value stringValue(const std::string& text)
{
    return text.empty() ? Value() : Value(text);
}

Value numberValue(int64_t number)
{
    return number > 0 ? Value(number) : Value();
}

}  // namespace

MediaItem::MediaItem(MediaEntityPersistentID persistentID, std::string path, detail::MediaFileTags tags)
    : _persistentID(persistentID)
    , _path(std::move(path))
    , _tags(std::move(tags))
    , _title(_tags.title.empty() ? deletingPathExtension(lastPathComponent(_path)) : _tags.title)
{
    if (_tags.artworkStreamIndex >= 0)
        _artwork = std::make_shared<MediaItemArtwork>(_path, _tags.artworkStreamIndex);
}

std::optional<Date> MediaItem::releaseDate() const
{
    if (!_tags.year)
        return std::nullopt;
    return Date::withTimeIntervalSince1970(static_cast<double>(daysToNewYear(*_tags.year)) * kSecondsPerDay);
}

std::optional<URL> MediaItem::assetURL() const
{
    if (isProtected())
        return std::nullopt;
    if (!fileExists(_path))
        return URL::URLWithString("ipod-library://item/item.(null)?id=" + std::to_string(_persistentID));
    return URL::fileURLWithPath(_path);
}

Value MediaItem::valueForProperty(const std::string& property) const
{
    if (property == kMediaItemPropertyPersistentID)
        return Value(static_cast<int64_t>(_persistentID));
    if (property == kMediaItemPropertyTitle)
        return Value(_title);
    if (property == kMediaItemPropertyArtist)
        return stringValue(_tags.artist);
    if (property == kMediaItemPropertyAlbumTitle)
        return stringValue(_tags.albumTitle);
    if (property == kMediaItemPropertyAlbumArtist)
        return stringValue(_tags.albumArtist);
    if (property == kMediaItemPropertyGenre)
        return stringValue(_tags.genre);
    if (property == kMediaItemPropertyComposer)
        return stringValue(_tags.composer);
    if (property == kMediaItemPropertyAlbumTrackNumber)
        return numberValue(_tags.trackNumber);
    if (property == kMediaItemPropertyAlbumTrackCount)
        return numberValue(_tags.trackCount);
    if (property == kMediaItemPropertyDiscNumber)
        return numberValue(_tags.discNumber);
    if (property == kMediaItemPropertyPlaybackDuration)
        return Value(_tags.playbackDuration);
    if (property == kMediaItemPropertyYear)
        return _tags.year ? Value(*_tags.year) : Value();
    if (property == kMediaItemPropertyReleaseDate) {
        auto date = releaseDate();
        return date ? Value(*date) : Value();
    }
    if (property == kMediaItemPropertyAssetURL) {
        auto url = assetURL();
        return url ? Value(url->absoluteString()) : Value();
    }
    return Value();
}

}  // namespace plat
