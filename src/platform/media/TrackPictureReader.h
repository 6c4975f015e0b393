#pragma once
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/foundation/Result.h"
#include "platform/media/VideoStreamDecoder.h"

namespace plat {
class AssetTrack;
}

namespace plat::detail {

// The pictures of a video track (a file's, or a composition's stretches of
// files) by time: the picture shown at a time of the track's time line.
// Reading on through time decodes each picture once; a jump back, or far
// ahead, seeks. One thread at a time.
class TrackPictureReader {
public:
    TrackPictureReader(std::shared_ptr<const AssetTrack> track, uint32_t pixelFormatType);
    ~TrackPictureReader();
    TrackPictureReader(const TrackPictureReader&) = delete;
    TrackPictureReader& operator=(const TrackPictureReader&) = delete;

    // The picture shown at time, its time on the track's time line; none
    // where the track shows nothing (an empty stretch, past its end).
    Result<std::optional<DecodedPicture>> pictureAtTime(const MediaTime& time);

private:
    Result<void> openSegment(size_t segment, const MediaTime& sourceTime);
    Result<void> fillLookahead();

    std::shared_ptr<const AssetTrack> _track;
    uint32_t _pixelFormatType;
    std::optional<size_t> _segment;  // the stretch the decoder reads
    std::unique_ptr<VideoStreamDecoder> _decoder;
    std::optional<DecodedPicture> _current;  // in the source stream's time
    std::optional<DecodedPicture> _lookahead;
    bool _ended = false;
};

}  // namespace plat::detail
