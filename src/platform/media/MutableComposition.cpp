#include "platform/media/MutableComposition.h"

#include <algorithm>

#include "platform/media/MediaConstants.h"

namespace plat {

namespace {

Error compositionError(const std::string& text)
{
    return Error(kMediaErrorDomain, kMediaErrorInvalidSourceMedia, text);
}

MediaTime later(const MediaTime& a, const MediaTime& b)
{
    return a > b ? a : b;
}

MediaTime earlier(const MediaTime& a, const MediaTime& b)
{
    return a < b ? a : b;
}

// The stretches of source that cover [from, to) of its time line, placed so
// that from lands on startTime.
std::vector<TrackSegment> piecesOf(
    const AssetTrack& source, const MediaTime& from, const MediaTime& to, const MediaTime& startTime)
{
    std::vector<TrackSegment> pieces;
    for (const TrackSegment& segment : source.segments()) {
        MediaTime pieceStart = later(from, segment.target.start);
        MediaTime pieceEnd = earlier(to, segment.target.end());
        if (pieceEnd <= pieceStart)
            continue;
        TrackSegment piece = segment;
        MediaTime duration = pieceEnd - pieceStart;
        piece.source = MediaTimeRange::make(segment.source.start + (pieceStart - segment.target.start), duration);
        piece.target = MediaTimeRange::make(startTime + (pieceStart - from), duration);
        pieces.push_back(std::move(piece));
    }
    return pieces;
}

}  // namespace

CompositionTrack::CompositionTrack(int32_t trackID, std::string mediaType)
    : AssetTrack(Properties {trackID, std::move(mediaType), {}, {}, 0, MediaTime::invalid()}, {})
{
}

Result<void> CompositionTrack::insertTimeRange(
    const MediaTimeRange& timeRange, const AssetTrack& sourceTrack, const MediaTime& startTime)
{
    if (sourceTrack.mediaType() != mediaType())
        return compositionError("cannot insert a track of another media type");
    if (!timeRange.isValid() || !timeRange.start.isNumeric() || !timeRange.duration.isNumeric()
        || !startTime.isNumeric() || startTime < MediaTime::zero())
        return compositionError("cannot insert an invalid time range");
    MediaTimeRange available = sourceTrack.timeRange();
    MediaTime from = later(timeRange.start, available.start);
    MediaTime to = earlier(timeRange.end(), available.end());
    if (to <= from)
        return compositionError("the time range lies outside the source track");
    MediaTime inserted = to - from;
    std::vector<TrackSegment> pieces = piecesOf(sourceTrack, from, to, startTime);
    // An empty stretch of the source stays empty here too: fill between the pieces.
    std::vector<TrackSegment> placed;
    MediaTime cursor = startTime;
    for (TrackSegment& piece : pieces) {
        if (piece.target.start > cursor)
            placed.push_back(
                TrackSegment {std::nullopt, -1, {}, MediaTimeRange::make(cursor, piece.target.start - cursor)});
        cursor = piece.target.end();
        placed.push_back(std::move(piece));
    }
    if (startTime + inserted > cursor)
        placed.push_back(
            TrackSegment {std::nullopt, -1, {}, MediaTimeRange::make(cursor, startTime + inserted - cursor)});

    MediaTime end = AssetTrack::timeRange().end();
    std::vector<TrackSegment> result;
    if (_segments.empty() || startTime >= end) {
        result = _segments;
        MediaTime gapStart = _segments.empty() ? MediaTime::zero() : end;
        if (startTime > gapStart)
            result.push_back(TrackSegment {std::nullopt, -1, {}, MediaTimeRange::make(gapStart, startTime - gapStart)});
        result.insert(result.end(), placed.begin(), placed.end());
    } else {
        bool insertedPieces = false;
        for (const TrackSegment& segment : _segments) {
            if (segment.target.end() <= startTime) {
                result.push_back(segment);
                continue;
            }
            TrackSegment after = segment;
            if (segment.target.start < startTime) {
                // startTime falls inside: split the stretch in two.
                MediaTime head = startTime - segment.target.start;
                TrackSegment before = segment;
                before.target.duration = head;
                before.source.duration = head;
                result.push_back(before);
                after.target = MediaTimeRange::make(startTime, segment.target.end() - startTime);
                if (!after.isEmpty())
                    after.source = MediaTimeRange::make(segment.source.start + head, after.target.duration);
            }
            if (!insertedPieces) {
                result.insert(result.end(), placed.begin(), placed.end());
                insertedPieces = true;
            }
            after.target.start = after.target.start + inserted;
            result.push_back(after);
        }
        if (!insertedPieces)
            result.insert(result.end(), placed.begin(), placed.end());
    }
    _segments = std::move(result);
    for (const FormatDescription& format : sourceTrack.formatDescriptions()) {
        auto& formats = _properties.formatDescriptions;
        bool known = std::any_of(formats.begin(), formats.end(), [&](const FormatDescription& existing) {
            return existing.mediaSubType == format.mediaSubType && existing.audio == format.audio
                && existing.dimensions == format.dimensions;
        });
        if (!known)
            formats.push_back(format);
    }
    if (_properties.naturalSize == Size {} && sourceTrack.naturalSize() != Size {})
        _properties.naturalSize = sourceTrack.naturalSize();
    return {};
}

std::shared_ptr<MutableComposition> MutableComposition::composition()
{
    return std::make_shared<MutableComposition>();
}

std::shared_ptr<CompositionTrack> MutableComposition::addMutableTrackWithMediaType(
    const std::string& mediaType, int32_t preferredTrackID)
{
    auto taken = [this](int32_t trackID) {
        return std::any_of(
            _tracks.begin(), _tracks.end(), [trackID](const auto& t) { return t->trackID() == trackID; });
    };
    int32_t trackID = preferredTrackID;
    if (trackID <= kTrackIDInvalid || taken(trackID)) {
        trackID = 1;
        while (taken(trackID))
            ++trackID;
    }
    auto track = std::make_shared<CompositionTrack>(trackID, mediaType);
    _tracks.push_back(track);
    return track;
}

MediaTime MutableComposition::duration() const
{
    MediaTime longest = MediaTime::zero();
    for (const auto& track : _tracks)
        longest = later(longest, track->timeRange().end());
    return longest;
}

std::vector<std::shared_ptr<AssetTrack>> MutableComposition::tracks() const
{
    return {_tracks.begin(), _tracks.end()};
}

}  // namespace plat
