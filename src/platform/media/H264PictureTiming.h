#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "platform/foundation/Result.h"

namespace plat::detail {

// A picture rate as a fraction: 30000 pictures in 1001 seconds for 29.97 a second.
struct PictureRate {
    int64_t pictures = 0;
    int64_t seconds = 1;
};

// NAL units (each after a start code) with the timing of every sequence
// parameter set among them set to the picture rate, as libx264 writes it
// when its time base is one picture: ticks of `seconds` units of a
// time_scale of twice `pictures`, a picture being two fields. The other
// units are kept as they are. Fails for a sequence parameter set that
// cannot be read or carries no timing.
Result<std::vector<uint8_t>> withPictureRate(std::span<const uint8_t> nalUnits, PictureRate rate);

}  // namespace plat::detail
