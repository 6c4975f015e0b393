#include "platform/media/AssetTrack.h"

namespace plat {

AssetTrack::AssetTrack(Properties properties, std::vector<TrackSegment> segments)
    : _properties(std::move(properties))
    , _segments(std::move(segments))
{
}

MediaTimeRange AssetTrack::timeRange() const
{
    if (_segments.empty())
        return MediaTimeRange::make(MediaTime::zero(), MediaTime::zero());
    MediaTime start = _segments.front().target.start;
    MediaTime end = _segments.back().target.end();
    return MediaTimeRange::make(start, end - start);
}

}  // namespace plat
