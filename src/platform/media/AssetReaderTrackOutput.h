#pragma once
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/foundation/Value.h"
#include "platform/media/AssetReaderOutput.h"

namespace plat {

// Reads one track of a media file. Video is decoded into pixel buffers of
// the settings' pixel format (kPixelBufferPixelFormatTypeKey: 32BGRA, 420v, 420f or
// 32ARGB), one sample buffer a picture with its time. Audio: with linear PCM settings the sound
// is decoded, at the track's own sample rate and channel count where the
// settings say nothing (44.1 kHz or two channels where the track's own are
// beyond what can be handed out). Without settings the samples come as
// stored: the compressed packets (an MP3 file's frames, say) or the file's
// own PCM. Reading ends where the track's media ends, whatever its header
// claimed; a read error fails the reader. Only a file asset's tracks (one
// stretch of media each): a composition is read through the audio mix
// output. Configured before reading on one queue; copyNextSampleBuffer then
// runs on one queue at a time.
class AssetReaderTrackOutput final : public AssetReaderOutput {
public:
    static std::shared_ptr<AssetReaderTrackOutput> assetReaderTrackOutputWithTrack(
        std::shared_ptr<AssetTrack> track, std::optional<Dictionary> outputSettings);
    ~AssetReaderTrackOutput() override;

    const std::shared_ptr<AssetTrack>& track() const { return _track; }
    const std::optional<Dictionary>& outputSettings() const { return _outputSettings; }

    std::shared_ptr<const SampleBuffer> copyNextSampleBuffer() override;
    std::vector<std::shared_ptr<AssetTrack>> tracksRead() const override { return {_track}; }

    AssetReaderTrackOutput(std::shared_ptr<AssetTrack> track, std::optional<Dictionary> outputSettings);

private:
    struct Reading;
    class DecodedReading;
    class StoredReading;
    class DecodedVideoReading;

    // The pixel format a video track is decoded into; none when the settings name none this can make.
    std::optional<uint32_t> videoPixelFormat() const;
    Result<void> validate() const override;
    Result<void> prepare(const std::shared_ptr<AssetReader>& reader, const MediaTimeRange& timeRange) override;

    std::shared_ptr<AssetTrack> _track;
    std::optional<Dictionary> _outputSettings;

    std::mutex _lock;  // one copyNextSampleBuffer at a time
    std::weak_ptr<AssetReader> _reader;
    std::unique_ptr<Reading> _reading;  // guarded by _lock once reading
};

}  // namespace plat
