#include "platform/media/AssetReaderAudioMixOutput.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/media/AssetReader.h"
#include "platform/media/AudioMixRenderer.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/SampleBuffer.h"

namespace plat {

namespace {

constexpr int64_t kFramesPerBuffer = 8192;
constexpr int kDefaultSampleRate = 44100;
constexpr int kMaxOutputChannels = 8;
constexpr double kLowestSampleRate = 8000;
constexpr double kHighestSampleRate = 192000;

Error settingsError(const std::string& text)
{
    return Error(kMediaErrorDomain, kMediaErrorUnknown, "audio mix output: " + text);
}

// The output format the settings ask for, with the defaults for what they leave out.
Result<AudioStreamBasicDescription> outputFormatFor(
    const std::optional<Dictionary>& settings, const std::vector<std::shared_ptr<AssetTrack>>& tracks)
{
    double sampleRate = 0;
    uint32_t sourceChannels = 0;
    for (const auto& track : tracks) {
        if (track->mediaType() != kMediaTypeAudio)
            return settingsError("a track is not audio");
        for (const FormatDescription& format : track->formatDescriptions()) {
            sampleRate = std::max(sampleRate, format.audio.sampleRate);
            sourceChannels = std::max(sourceChannels, format.audio.channelsPerFrame);
        }
    }
    if (sampleRate < kLowestSampleRate || sampleRate > kHighestSampleRate)
        sampleRate = kDefaultSampleRate;
    int64_t channels = sourceChannels == 1 ? 1 : 2;
    int64_t bits = 16;
    bool isFloat = false;
    bool isBigEndian = false;
    if (settings) {
        if (auto formatID = settings->getInt64(kFormatIDKey); formatID && *formatID != kAudioFormatLinearPCM)
            return settingsError("only linear PCM can be mixed");
        if (settings->getBool(kLinearPCMIsNonInterleaved).value_or(false))
            return settingsError("non-interleaved samples are not supported");
        sampleRate = settings->getDouble(kSampleRateKey).value_or(sampleRate);
        channels = settings->getInt64(kNumberOfChannelsKey).value_or(channels);
        bits = settings->getInt64(kLinearPCMBitDepthKey).value_or(bits);
        isFloat = settings->getBool(kLinearPCMIsFloatKey).value_or(false);
        isBigEndian = settings->getBool(kLinearPCMIsBigEndianKey).value_or(false);
    }
    if (sampleRate < kLowestSampleRate || sampleRate > kHighestSampleRate || sampleRate != std::floor(sampleRate))
        return settingsError("unsupported sample rate");
    if (channels < 1 || channels > kMaxOutputChannels)
        return settingsError("unsupported channel count");
    if (isFloat ? bits != 32 : (bits != 16 && bits != 32))
        return settingsError("unsupported bit depth");
    AudioStreamBasicDescription format;
    format.sampleRate = sampleRate;
    format.formatID = kAudioFormatLinearPCM;
    format.formatFlags = kAudioFormatFlagIsPacked
        | (isFloat ? kAudioFormatFlagIsFloat : kAudioFormatFlagIsSignedInteger)
        | (isBigEndian ? kAudioFormatFlagIsBigEndian : 0);
    format.bitsPerChannel = static_cast<uint32_t>(bits);
    format.channelsPerFrame = static_cast<uint32_t>(channels);
    format.bytesPerFrame = format.bitsPerChannel / 8 * format.channelsPerFrame;
    format.framesPerPacket = 1;
    format.bytesPerPacket = format.bytesPerFrame;
    return format;
}

template <typename Word> void store(uint8_t* out, Word word, bool bigEndian)
{
    if (bigEndian) {
        if constexpr (sizeof(Word) == 2)
            word = static_cast<Word>(__builtin_bswap16(static_cast<uint16_t>(word)));
        else
            word = static_cast<Word>(__builtin_bswap32(static_cast<uint32_t>(word)));
    }
    std::memcpy(out, &word, sizeof word);
}

// Mixed floats, clipped to full scale, in the output format.
Data encodeSamples(const float* samples, size_t count, const AudioStreamBasicDescription& format)
{
    bool bigEndian = format.formatFlags & kAudioFormatFlagIsBigEndian;
    size_t width = format.bitsPerChannel / 8;
    Data bytes(count * width);
    uint8_t* out = bytes.data();
    for (size_t i = 0; i < count; ++i, out += width) {
        float sample = std::clamp(samples[i], -1.0f, 1.0f);
        if (format.formatFlags & kAudioFormatFlagIsFloat) {
            uint32_t word;
            std::memcpy(&word, &sample, sizeof word);
            store(out, word, bigEndian);
        } else if (width == 2) {
            store(out, static_cast<int16_t>(std::lrint(sample * 32767.0f)), bigEndian);
        } else {
            store(out, static_cast<int32_t>(std::llrint(static_cast<double>(sample) * 2147483647.0)), bigEndian);
        }
    }
    return bytes;
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
        reader->outputDidFinish();
        return nullptr;
    }
    if (reader->status() != AssetReaderStatus::Reading)
        return nullptr;
    Data bytes
        = encodeSamples(mixed.data(), static_cast<size_t>(frames) * _outputFormat.channelsPerFrame, _outputFormat);
    auto time = MediaTime::make(first, static_cast<int32_t>(_outputFormat.sampleRate));
    return SampleBuffer::createLinearPCM(_outputFormat, time, frames, std::move(bytes));
}

}  // namespace plat
