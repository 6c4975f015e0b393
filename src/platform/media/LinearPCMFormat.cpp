#include "platform/media/LinearPCMFormat.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/media/MediaConstants.h"

namespace plat::detail {

namespace {

constexpr int kMaxOutputChannels = 8;
constexpr double kLowestSampleRate = 8000;
constexpr double kHighestSampleRate = 192000;

Error settingsError(const std::string& text)
{
    return Error(kMediaErrorDomain, kMediaErrorUnknown, "audio output settings: " + text);
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

}  // namespace

Result<AudioStreamBasicDescription> linearPCMOutputFormat(
    const std::optional<Dictionary>& settings, const LinearPCMDefaults& defaults)
{
    double sampleRate = defaults.sampleRate;
    int64_t channels = defaults.channels;
    int64_t bits = 16;
    bool isFloat = false;
    bool isBigEndian = false;
    if (settings) {
        if (auto formatID = settings->getInt64(kFormatIDKey); formatID && *formatID != kAudioFormatLinearPCM)
            return settingsError("only linear PCM can be read decoded");
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

Data encodeLinearPCM(const float* samples, size_t count, const AudioStreamBasicDescription& format)
{
    bool bigEndian = format.formatFlags & kAudioFormatFlagIsBigEndian;
    size_t width = format.bitsPerChannel / 8;
    Data bytes(count * width);
    uint8_t* out = bytes.data();
    if (format.formatFlags & kAudioFormatFlagIsFloat) {
        for (size_t i = 0; i < count; ++i, out += width) {
            float sample = std::clamp(samples[i], -1.0f, 1.0f);
            uint32_t word;
            std::memcpy(&word, &sample, sizeof word);
            store(out, word, bigEndian);
        }
    } else if (width == 2) {
        for (size_t i = 0; i < count; ++i, out += width)
            store(out, static_cast<int16_t>(std::lrint(std::clamp(samples[i], -1.0f, 1.0f) * 32767.0f)), bigEndian);
    } else {
        for (size_t i = 0; i < count; ++i, out += width) {
            double sample = std::clamp(samples[i], -1.0f, 1.0f);
            store(out, static_cast<int32_t>(std::llrint(sample * 2147483647.0)), bigEndian);
        }
    }
    return bytes;
}

}  // namespace plat::detail
