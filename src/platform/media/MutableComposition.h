#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Result.h"
#include "platform/media/Asset.h"

namespace plat {

// Asks a composition to choose the track ID.
inline constexpr int32_t kTrackIDInvalid = 0;

// A track of a composition, built from stretches of other tracks.
class CompositionTrack final : public AssetTrack {
public:
    CompositionTrack(int32_t trackID, std::string mediaType);

    // Puts the media of sourceTrack's timeRange into this track at startTime.
    // As on the platform this inserts: whatever lay at or after startTime
    // moves later by the inserted duration (a stretch that startTime falls
    // into is split), and a gap between the track's end and startTime stays
    // empty. The range is cut to the source track's own; nothing left of it,
    // another media type or an invalid time fail.
    Result<void> insertTimeRange(
        const MediaTimeRange& timeRange, const AssetTrack& sourceTrack, const MediaTime& startTime);
};

// An asset assembled in memory from tracks of other assets. Built on one
// queue, then read (by an asset reader) on any.
class MutableComposition final : public Asset {
public:
    static std::shared_ptr<MutableComposition> composition();

    // A new empty track; preferredTrackID kTrackIDInvalid (or one taken)
    // lets the composition choose the next free ID.
    std::shared_ptr<CompositionTrack> addMutableTrackWithMediaType(
        const std::string& mediaType, int32_t preferredTrackID);

    // The end of the longest track.
    MediaTime duration() const override;
    std::vector<std::shared_ptr<AssetTrack>> tracks() const override;

private:
    std::vector<std::shared_ptr<CompositionTrack>> _tracks;
};

}  // namespace plat
