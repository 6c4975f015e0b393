#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/Result.h"
#include "platform/media/MediaTime.h"

namespace plat::detail {

// The sound of one audio stream of a file as interleaved 32-bit floats at a
// chosen rate and channel count, from a chosen time on. Used by the mixer of
// asset readers. Files are outside input: damaged packets are skipped, and
// anything that stops the decoding is an error. One thread at a time.
class AudioStreamDecoder {
public:
    static Result<std::unique_ptr<AudioStreamDecoder>> open(
        const std::string& path, int streamIndex, int outputRate, int outputChannels);
    ~AudioStreamDecoder();
    AudioStreamDecoder(const AudioStreamDecoder&) = delete;
    AudioStreamDecoder& operator=(const AudioStreamDecoder&) = delete;

    // The next read starts at time (0 is the stream's first sample); a time
    // before the stream's media reads as silence up to it.
    Result<void> seek(const MediaTime& time);
    // Fills up to frames frames; fewer only where the stream ends (0 after).
    Result<int64_t> read(float* destination, int64_t frames);

private:
    struct Impl;
    explicit AudioStreamDecoder(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> _impl;
};

}  // namespace plat::detail
