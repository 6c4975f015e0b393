#include "platform/library/MediaPropertyPredicate.h"

#include <algorithm>

#include "platform/library/MediaItem.h"
#include "platform/library/MediaPlaylist.h"

namespace plat {

namespace {

char foldCase(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool containsIgnoringCase(const std::string& text, const std::string& part)
{
    auto found = std::search(
        text.begin(), text.end(), part.begin(), part.end(), [](char a, char b) { return foldCase(a) == foldCase(b); });
    return found != text.end();
}

}  // namespace

MediaPropertyPredicate::MediaPropertyPredicate(Value value, std::string property, MediaPredicateComparison comparison)
    : _value(std::move(value))
    , _property(std::move(property))
    , _comparison(comparison)
{
}

MediaPropertyPredicate MediaPropertyPredicate::predicateWithValue(
    Value value, std::string property, MediaPredicateComparison comparison)
{
    return MediaPropertyPredicate(std::move(value), std::move(property), comparison);
}

bool MediaPropertyPredicate::isPlaylistPredicate() const
{
    return _property == kMediaPlaylistPropertyPersistentID || _property == kMediaPlaylistPropertyName;
}

bool MediaPropertyPredicate::matchesItem(const MediaItem& item) const
{
    if (isPlaylistPredicate())
        return false;
    Value own = item.valueForProperty(_property);
    if (own.isNull())
        return _comparison == MediaPredicateComparison::EqualTo && _value.isNull();
    if (_comparison == MediaPredicateComparison::Contains) {
        auto text = own.asString();
        auto part = _value.asString();
        return text && part && containsIgnoringCase(*text, *part);
    }
    // Numbers compare by value, so a persistent identifier matches as an integer of any width.
    return own == _value;
}

}  // namespace plat
