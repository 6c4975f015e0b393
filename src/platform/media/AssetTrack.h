#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Geometry.h"
#include "platform/media/MediaTime.h"

namespace plat {

// The platform's description of linear PCM and other audio formats.
struct AudioStreamBasicDescription {
    double sampleRate = 0;
    uint32_t formatID = 0;
    uint32_t formatFlags = 0;
    uint32_t bytesPerPacket = 0;
    uint32_t framesPerPacket = 0;
    uint32_t bytesPerFrame = 0;
    uint32_t channelsPerFrame = 0;
    uint32_t bitsPerChannel = 0;
    friend bool operator==(const AudioStreamBasicDescription&, const AudioStreamBasicDescription&) = default;
};

// What a track's samples are: the media type, the codec as a four-character
// subtype, and the audio format or the picture size.
struct FormatDescription {
    std::string mediaType;
    uint32_t mediaSubType = 0;
    AudioStreamBasicDescription audio;  // audio tracks
    Size dimensions;  // video tracks, in pixels
};

// One stretch of a track's time line: media of a stream of a file, or an
// empty stretch (silence) when there is no source.
struct TrackSegment {
    std::optional<std::string> sourcePath;
    int streamIndex = -1;
    MediaTimeRange source;  // in the source stream's time, 0 at its first sample
    MediaTimeRange target;  // in the track's time
    bool isEmpty() const { return !sourcePath.has_value(); }
};

// One track of an asset: its kind, format and time line. Tracks of file
// assets are fixed; composition tracks change while they are built. Any
// thread once built.
class AssetTrack {
public:
    struct Properties {
        int32_t trackID = 0;
        std::string mediaType;
        std::vector<FormatDescription> formatDescriptions;
        Size naturalSize;
        float nominalFrameRate = 0;
        MediaTime minFrameDuration = MediaTime::invalid();
    };

    AssetTrack(Properties properties, std::vector<TrackSegment> segments);
    virtual ~AssetTrack() = default;

    int32_t trackID() const { return _properties.trackID; }
    const std::string& mediaType() const { return _properties.mediaType; }
    const std::vector<FormatDescription>& formatDescriptions() const { return _properties.formatDescriptions; }
    // Pixels of a video track; 0 x 0 for audio.
    Size naturalSize() const { return _properties.naturalSize; }
    float nominalFrameRate() const { return _properties.nominalFrameRate; }
    // The shortest time between two pictures of a video track; invalid for audio.
    MediaTime minFrameDuration() const { return _properties.minFrameDuration; }
    // From the start of the first segment to the end of the last; zero for no segments.
    MediaTimeRange timeRange() const;
    const std::vector<TrackSegment>& segments() const { return _segments; }

protected:
    Properties _properties;
    std::vector<TrackSegment> _segments;
};

}  // namespace plat
