#include "platform/media/AssetReaderAudioMixOutput.h"

#include <algorithm>

#include "platform/media/AssetReader.h"
#include "platform/media/AudioMixRenderer.h"
#include "platform/media/LinearPCMFormat.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/SampleBuffer.h"

namespace plat {

namespace {

constexpr int64_t kFramesPerBuffer = 8192;
constexpr double kLowestSourceRate = 8000;
constexpr double kHighestSourceRate = 192000;

// The output format the settings ask for; what they leave out follows the
// sources: their highest rate (44.1 kHz without any), and one channel only
// when no source has more.
Result<AudioStreamBasicDescription> outputFormatFor(
    const std::optional<Dictionary>& settings, const std::vector<std::shared_ptr<AssetTrack>>& tracks)
{
    double sampleRate = 0;
    uint32_t sourceChannels = 0;
    for (const auto& track : tracks) {
        if (track->mediaType() != kMediaTypeAudio)
            return Error(kMediaErrorDomain, kMediaErrorUnknown, "audio mix output: a track is not audio");
        for (const FormatDescription& format : track->formatDescriptions()) {
            sampleRate = std::max(sampleRate, format.audio.sampleRate);
            sourceChannels = std::max(sourceChannels, format.audio.channelsPerFrame);
        }
    }
    detail::LinearPCMDefaults defaults;
    if (sampleRate >= kLowestSourceRate && sampleRate <= kHighestSourceRate)
        defaults.sampleRate = sampleRate;
    defaults.channels = sourceChannels == 1 ? 1 : 2;
    return detail::linearPCMOutputFormat(settings, defaults);
}

}  // namespace

AssetReaderAudioMixOutput::AssetReaderAudioMixOutput(
    std::vector<std::shared_ptr<AssetTrack>> audioTracks, std::optional<Dictionary> audioSettings)
    : _audioTracks(std::move(audioTracks))
    , _audioSettings(std::move(audioSettings))
{
}

AssetReaderAudioMixOutput::~AssetReaderAudioMixOutput() = default;

std::shared_ptr<AssetReaderAudioMixOutput> AssetReaderAudioMixOutput::assetReaderAudioMixOutputWithAudioTracks(
    std::vector<std::shared_ptr<AssetTrack>> audioTracks, std::optional<Dictionary> audioSettings)
{
    return std::make_shared<AssetReaderAudioMixOutput>(std::move(audioTracks), std::move(audioSettings));
}

Result<void> AssetReaderAudioMixOutput::validate() const
{
    auto format = outputFormatFor(_audioSettings, _audioTracks);
    if (!format.ok())
        return format.error();
    return {};
}

Result<void> AssetReaderAudioMixOutput::prepare(
    const std::shared_ptr<AssetReader>& reader, const MediaTimeRange& timeRange)
{
    auto format = outputFormatFor(_audioSettings, _audioTracks);
    if (!format.ok())
        return format.error();
    std::vector<detail::AudioMixRenderer::Track> tracks;
    for (const auto& track : _audioTracks) {
        detail::AudioMixRenderer::Track mixed;
        mixed.segments = track->segments();
        if (_audioMix)
            mixed.volumes = _audioMix->volumePointsForTrackID(track->trackID());
        tracks.push_back(std::move(mixed));
    }
    std::lock_guard lock(_lock);
    _outputFormat = format.value();
    _reader = reader;
    _renderer
        = std::make_unique<detail::AudioMixRenderer>(std::move(tracks), static_cast<int>(_outputFormat.sampleRate),
            static_cast<int>(_outputFormat.channelsPerFrame), timeRange.start, timeRange.end());
    return {};
}

std::shared_ptr<const SampleBuffer> AssetReaderAudioMixOutput::copyNextSampleBuffer()
{
    auto reader = _reader.lock();
    if (!reader || reader->status() != AssetReaderStatus::Reading)
        return nullptr;
    std::lock_guard lock(_lock);
    if (!_renderer)
        return nullptr;
    int64_t first = _renderer->position();
    std::vector<float> mixed(static_cast<size_t>(kFramesPerBuffer) * _outputFormat.channelsPerFrame);
    int64_t frames = _renderer->renderNext(mixed.data(), kFramesPerBuffer);
    if (frames == 0) {
        _renderer.reset();  // closes the files
        reportEnd(*reader);
        return nullptr;
    }
    if (reader->status() != AssetReaderStatus::Reading)
        return nullptr;
    Data bytes = detail::encodeLinearPCM(
        mixed.data(), static_cast<size_t>(frames) * _outputFormat.channelsPerFrame, _outputFormat);
    auto time = MediaTime::make(first, static_cast<int32_t>(_outputFormat.sampleRate));
    return SampleBuffer::createLinearPCM(_outputFormat, time, frames, std::move(bytes));
}

}  // namespace plat
