#pragma once
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"
#include "platform/media/AssetReaderOutput.h"
#include "platform/media/AssetTrack.h"
#include "platform/media/AudioMix.h"

namespace plat {
namespace detail {
class AudioMixRenderer;
}

// Reads the audio tracks of an asset mixed into one stream of linear PCM
// sample buffers, with the volumes of an audio mix. Settings are the
// platform's linear PCM keys; what they leave out is 16-bit signed integer,
// interleaved, little-endian, at the highest sample rate of the sources (44.1
// kHz without any) with two channels when any source has two or more.
// Configured before reading on one queue; copyNextSampleBuffer then runs on
// one queue at a time, and the reader may be cancelled from any.
class AssetReaderAudioMixOutput final : public AssetReaderOutput {
public:
    static std::shared_ptr<AssetReaderAudioMixOutput> assetReaderAudioMixOutputWithAudioTracks(
        std::vector<std::shared_ptr<AssetTrack>> audioTracks, std::optional<Dictionary> audioSettings);
    ~AssetReaderAudioMixOutput();

    const std::vector<std::shared_ptr<AssetTrack>>& audioTracks() const { return _audioTracks; }
    const std::optional<Dictionary>& audioSettings() const { return _audioSettings; }
    std::shared_ptr<const AudioMix> audioMix() const { return _audioMix; }
    void setAudioMix(std::shared_ptr<const AudioMix> audioMix) { _audioMix = std::move(audioMix); }

    std::shared_ptr<const SampleBuffer> copyNextSampleBuffer() override;
    std::vector<std::shared_ptr<AssetTrack>> tracksRead() const override { return _audioTracks; }

    AssetReaderAudioMixOutput(
        std::vector<std::shared_ptr<AssetTrack>> audioTracks, std::optional<Dictionary> audioSettings);

private:
    Result<void> validate() const override;
    Result<void> prepare(const std::shared_ptr<AssetReader>& reader, const MediaTimeRange& timeRange) override;

    std::vector<std::shared_ptr<AssetTrack>> _audioTracks;
    std::optional<Dictionary> _audioSettings;
    std::shared_ptr<const AudioMix> _audioMix;

    std::mutex _lock;  // one copyNextSampleBuffer at a time
    std::weak_ptr<AssetReader> _reader;
    std::unique_ptr<detail::AudioMixRenderer> _renderer;  // guarded by _lock once reading
    AudioStreamBasicDescription _outputFormat;
};

}  // namespace plat
