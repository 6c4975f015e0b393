#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"
#include "platform/media/AssetTrack.h"

namespace plat::detail {

// What reader outputs fall back to where linear PCM settings say nothing.
struct LinearPCMDefaults {
    double sampleRate = 44100;
    int64_t channels = 2;
};

// The interleaved linear PCM an output hands out for the platform's settings
// keys: only linear PCM, interleaved, at 8 to 192 kHz, 1 to 8 channels,
// 16- or 32-bit integers or 32-bit floats; what the settings leave out is
// 16-bit little-endian integers at the defaults.
Result<AudioStreamBasicDescription> linearPCMOutputFormat(
    const std::optional<Dictionary>& settings, const LinearPCMDefaults& defaults);

// Floats (full scale at +-1, clipped) in the output format.
Data encodeLinearPCM(const float* samples, size_t count, const AudioStreamBasicDescription& format);

}  // namespace plat::detail
