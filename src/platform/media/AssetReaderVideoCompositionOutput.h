#pragma once
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/foundation/Value.h"
#include "platform/media/AssetReaderOutput.h"
#include "platform/media/MediaTime.h"

namespace plat {
class MutableVideoComposition;
namespace detail {
class PixelBufferConverter;
class TrackPictureReader;
}  // namespace detail

// Reads the video tracks of an asset (a composition's, most often) put
// together by a video composition: one pixel buffer (the settings' format:
// 32-bit, or 4:2:0 planes made from the composed picture with the BT.601
// matrix) every frame duration from the reading's start, as the composition's
// instructions show its tracks then. Configured before reading on one
// queue; copyNextSampleBuffer then runs on one queue at a time.
class AssetReaderVideoCompositionOutput final : public AssetReaderOutput {
public:
    static std::shared_ptr<AssetReaderVideoCompositionOutput> assetReaderVideoCompositionOutputWithVideoTracks(
        std::vector<std::shared_ptr<AssetTrack>> videoTracks, std::optional<Dictionary> videoSettings);
    ~AssetReaderVideoCompositionOutput() override;

    const std::vector<std::shared_ptr<AssetTrack>>& videoTracks() const { return _videoTracks; }
    std::shared_ptr<const MutableVideoComposition> videoComposition() const { return _videoComposition; }
    void setVideoComposition(std::shared_ptr<const MutableVideoComposition> videoComposition)
    {
        _videoComposition = std::move(videoComposition);
    }

    std::shared_ptr<const SampleBuffer> copyNextSampleBuffer() override;
    std::vector<std::shared_ptr<AssetTrack>> tracksRead() const override { return _videoTracks; }

    AssetReaderVideoCompositionOutput(
        std::vector<std::shared_ptr<AssetTrack>> videoTracks, std::optional<Dictionary> videoSettings);

private:
    std::optional<uint32_t> pixelFormat() const;
    Result<void> validate() const override;
    Result<void> prepare(const std::shared_ptr<AssetReader>& reader, const MediaTimeRange& timeRange) override;
    Result<std::shared_ptr<const SampleBuffer>> composeAt(const MediaTime& time);

    std::vector<std::shared_ptr<AssetTrack>> _videoTracks;
    std::optional<Dictionary> _videoSettings;
    std::shared_ptr<const MutableVideoComposition> _videoComposition;

    std::mutex _lock;  // one copyNextSampleBuffer at a time
    std::weak_ptr<AssetReader> _reader;
    std::map<int32_t, std::unique_ptr<detail::TrackPictureReader>> _pictures;  // by track ID, guarded by _lock
    std::unique_ptr<detail::PixelBufferConverter> _planeConverter;  // guarded by _lock
    MediaTime _next = MediaTime::invalid();  // guarded by _lock
    MediaTime _end = MediaTime::invalid();  // guarded by _lock
    bool _ended = false;  // guarded by _lock
};

}  // namespace plat
