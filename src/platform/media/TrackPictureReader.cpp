#include "platform/media/TrackPictureReader.h"

#include "platform/media/AssetTrack.h"
#include "platform/media/FFmpegSupport.h"
#include "platform/media/MediaConstants.h"

namespace plat::detail {

namespace {

// Further ahead than this, seeking beats decoding every picture between.
constexpr double kLongestReadAheadSeconds = 2.0;

}  // namespace

TrackPictureReader::TrackPictureReader(std::shared_ptr<const AssetTrack> track, uint32_t pixelFormatType)
    : _track(std::move(track))
    , _pixelFormatType(pixelFormatType)
{
}

TrackPictureReader::~TrackPictureReader() = default;

Result<void> TrackPictureReader::openSegment(size_t segment, const MediaTime& sourceTime)
{
    const TrackSegment& stretch = _track->segments()[segment];
    _decoder.reset();
    _current.reset();
    _lookahead.reset();
    _ended = false;
    _segment.reset();
    auto opened = VideoStreamDecoder::open(*stretch.sourcePath, stretch.streamIndex, _pixelFormatType);
    if (!opened.ok())
        return opened.error();
    auto sought = opened.value()->seek(sourceTime);
    if (!sought.ok())
        return sought.error();
    _decoder = std::move(opened).value();
    _segment = segment;
    return {};
}

Result<void> TrackPictureReader::fillLookahead()
{
    if (_lookahead || _ended)
        return {};
    auto next = _decoder->next();
    if (!next.ok())
        return next.error();
    if (next.value())
        _lookahead = std::move(next.value());
    else
        _ended = true;
    return {};
}

Result<std::optional<DecodedPicture>> TrackPictureReader::pictureAtTime(const MediaTime& time)
{
    if (!_track || !time.isNumeric())
        return std::optional<DecodedPicture>();
    const auto& segments = _track->segments();
    std::optional<size_t> found;
    for (size_t i = 0; i < segments.size(); ++i) {
        if (!segments[i].isEmpty() && segments[i].target.containsTime(time)) {
            found = i;
            break;
        }
    }
    if (!found)
        return std::optional<DecodedPicture>();
    const TrackSegment& stretch = segments[*found];
    const MediaTime sourceTime = time - stretch.target.start + stretch.source.start;

    const bool jumpsBack = _current && sourceTime < _current->presentationTime;
    const bool jumpsFar = _current
        && sourceTime > _current->presentationTime + MediaTime::makeWithSeconds(kLongestReadAheadSeconds, 600);
    if (!_decoder || _segment != found || jumpsBack || jumpsFar) {
        auto opened = openSegment(*found, sourceTime);
        if (!opened.ok())
            return opened.error();
    }
    while (true) {
        auto filled = fillLookahead();
        if (!filled.ok())
            return filled.error();
        if (!_lookahead || _lookahead->presentationTime > sourceTime)
            break;
        _current = std::move(_lookahead);
        _lookahead.reset();
    }
    // Before the stretch's first picture, that picture stands in.
    const std::optional<DecodedPicture>& shown = _current ? _current : _lookahead;
    if (!shown)
        return std::optional<DecodedPicture>();
    DecodedPicture picture = *shown;
    picture.presentationTime = picture.presentationTime - stretch.source.start + stretch.target.start;
    return std::optional<DecodedPicture>(std::move(picture));
}

}  // namespace plat::detail
