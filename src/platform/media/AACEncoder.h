#pragma once
#include <cstdint>
#include <memory>

#include "platform/foundation/Result.h"
#include "platform/media/H264Encoder.h"
#include "platform/media/MediaTime.h"

struct AVCodecContext;

namespace plat {
class SampleBuffer;
}

namespace plat::detail {

// MPEG-4 AAC (low complexity) through FFmpeg's encoder: interleaved linear
// PCM of any rate and channel count is converted to the encoder's rate and
// channels and encoded in whole frames. Times are samples at the encoder's
// rate from the first sound's time; a gap in the sound given is filled with
// silence, so the sound stays where its times put it. One thread at a time.
class AACEncoder {
public:
    struct Settings {
        int sampleRate = 44100;
        int channels = 2;
        int64_t bitRate = 0;  // bits per second; 0 for the encoder's choice
    };

    explicit AACEncoder(Settings settings);
    ~AACEncoder();
    AACEncoder(const AACEncoder&) = delete;
    AACEncoder& operator=(const AACEncoder&) = delete;

    // With the parameter sets in the container's header (as movie files keep them).
    Result<void> open();
    bool isOpen() const;
    // Valid once open: the stream's codec parameters come from it.
    const AVCodecContext* context() const;

    // Sound whose first sample plays at time (from the session's start).
    Result<void> encode(const SampleBuffer& sound, const MediaTime& time, const PacketSink& sink);
    // The sound still waiting for a whole frame, and what the encoder holds.
    Result<void> flush(const PacketSink& sink);

private:
    struct Impl;
    std::unique_ptr<Impl> _impl;
};

}  // namespace plat::detail
