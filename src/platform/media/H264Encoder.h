#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/foundation/Result.h"

struct AVCodecContext;
struct AVPacket;

namespace plat {
class PixelBuffer;
}

namespace plat::detail {

struct PacketDeleterForward {
    void operator()(AVPacket* packet) const;
};
using EncodedPacket = std::unique_ptr<AVPacket, PacketDeleterForward>;
using PacketSink = std::function<Result<void>(EncodedPacket)>;

// The peak rate and buffer the encoder's rate control keeps to (bits per
// second and bits), within the limits of the lowest H.264 level that holds
// the pictures, their rate and the asked average rate.
struct H264RateLimits {
    int level = 0;  // level_idc (31 for level 3.1); 0 when no level holds the stream
    int64_t maxBitRate = 0;
    int64_t bufferSize = 0;
};
// framesPerSecond 0 when unknown; averageBitRate 0 when the encoder chooses.
H264RateLimits h264RateLimits(
    int width, int height, double framesPerSecond, int64_t averageBitRate, const std::string& profile);

// H.264 through libx264: 32-bit pixel buffers converted to 4:2:0 (BT.601,
// video range) and encoded at an average bit rate (else at a constant
// quality), in one pass whose rate control keeps to the peak rate and buffer
// of h264RateLimits. Opened with the time base of the pictures' times and
// their rate. libx264's own threads encode several pictures at once: the
// same pictures give the same pictures within coding loss, not the same
// bytes. Called from one thread at a time.
class H264Encoder {
public:
    struct Settings {
        int width = 0;
        int height = 0;
        int64_t averageBitRate = 0;  // bits per second; 0 for the encoder's choice
        bool allowFrameReordering = true;
        int64_t maxKeyFrameInterval = 0;  // 0 for the encoder's choice
        std::string profile = "high";  // "baseline", "main" or "high"
    };

    // Where the parameter sets go: in the stream, or in the container's header.
    enum class ParameterSets { InStream, InHeader };
    H264Encoder(Settings settings, ParameterSets parameterSets);
    ~H264Encoder();
    H264Encoder(const H264Encoder&) = delete;
    H264Encoder& operator=(const H264Encoder&) = delete;

    // timeBase as numerator and denominator. picturesPerSecond 0 when not
    // known: a time base of at most 240 ticks a second is then taken for one
    // picture a tick, and a finer one is refused. The stream's own timing
    // carries the picture rate, whatever the time base.
    Result<void> open(int timeBaseNumerator, int timeBaseDenominator, double picturesPerSecond);
    bool isOpen() const;
    // Valid once open: the stream's codec parameters come from it.
    const AVCodecContext* context() const;

    // Locks the buffer's base address while it reads it.
    Result<void> encode(PixelBuffer& buffer, int64_t pts, const PacketSink& sink);
    // The pictures still inside the encoder.
    Result<void> flush(const PacketSink& sink);

private:
    struct Impl;
    std::unique_ptr<Impl> _impl;
};

}  // namespace plat::detail
