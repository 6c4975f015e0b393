#pragma once
#include <string>

#include "platform/foundation/Value.h"

namespace plat {
class MediaItem;

// The platform's comparisons, with its numbers.
enum class MediaPredicateComparison : int { EqualTo = 0, Contains = 1 };

// A filter of a media query: a property of the songs (kMediaItemProperty...)
// or the playlist a song is on (kMediaPlaylistPropertyPersistentID), equal to
// or containing a value. Strings contain without regard to case; equal to
// no value (null) finds the songs without that tag, such as those of no
// artist. Any thread (immutable).
class MediaPropertyPredicate {
public:
    static MediaPropertyPredicate predicateWithValue(
        Value value, std::string property, MediaPredicateComparison comparison = MediaPredicateComparison::EqualTo);

    const std::string& property() const { return _property; }
    const Value& value() const { return _value; }
    MediaPredicateComparison comparisonType() const { return _comparison; }

    // Whether the song's property passes; a predicate on playlists asks the
    // query, which knows them, so here it answers false.
    bool matchesItem(const MediaItem& item) const;
    bool isPlaylistPredicate() const;

    friend bool operator==(const MediaPropertyPredicate& a, const MediaPropertyPredicate& b)
    {
        return a._property == b._property && a._comparison == b._comparison && a._value == b._value;
    }

private:
    MediaPropertyPredicate(Value value, std::string property, MediaPredicateComparison comparison);

    Value _value;
    std::string _property;
    MediaPredicateComparison _comparison;
};

}  // namespace plat
