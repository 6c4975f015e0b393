#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/Result.h"
#include "platform/media/MediaTime.h"

namespace plat::detail {

// An input of libavdevice: a sound device of the machine (PulseAudio, ALSA)
// or a generated signal (lavfi). A live device delivers at its own pace and
// is read without waiting.
struct DeviceInput {
    std::string formatName;  // "pulse", "alsa", "lavfi"
    std::string url;  // the device's name, or the lavfi source
    std::vector<std::pair<std::string, std::string>> options;
    bool live = false;
};

// The sound of one audio stream of a file or input device as interleaved
// 32-bit floats at a chosen rate and channel count, from a chosen time on.
// Used by the mixer of asset readers and by the microphone. Files are
// outside input: damaged packets are skipped, and anything that stops the
// decoding is an error. One thread at a time.
class AudioStreamDecoder {
public:
    static Result<std::unique_ptr<AudioStreamDecoder>> open(
        const std::string& path, int streamIndex, int outputRate, int outputChannels);
    // The first sound stream of the input.
    static Result<std::unique_ptr<AudioStreamDecoder>> openDevice(
        const DeviceInput& device, int outputRate, int outputChannels);
    ~AudioStreamDecoder();
    AudioStreamDecoder(const AudioStreamDecoder&) = delete;
    AudioStreamDecoder& operator=(const AudioStreamDecoder&) = delete;

    // The next read starts at time (0 is the stream's first sample); a time
    // before the stream's media reads as silence up to it.
    Result<void> seek(const MediaTime& time);
    // Fills up to frames frames; fewer only where the stream ends (0 after)
    // or, for a live device, where it has delivered nothing more yet.
    Result<int64_t> read(float* destination, int64_t frames);
    // Everything has been read.
    bool hasEnded() const;

private:
    struct Impl;
    explicit AudioStreamDecoder(std::unique_ptr<Impl> impl);
    static Result<std::unique_ptr<AudioStreamDecoder>> openStream(std::unique_ptr<Impl> impl, int streamIndex);
    std::unique_ptr<Impl> _impl;
};

}  // namespace plat::detail
