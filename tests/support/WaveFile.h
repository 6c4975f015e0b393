#pragma once
// Sound files made in memory, for tests that need a real one or a damaged one.
#include <cstdint>
#include <string_view>

#include "platform/foundation/Value.h"

namespace plat::test {

// A WAVE header for 16-bit samples with the given layout, then the samples' bytes.
inline plat::Data waveFile(uint32_t channels, uint32_t rate, uint32_t dataBytes, uint32_t statedDataBytes)
{
    plat::Data bytes;
    auto put = [&](uint32_t value, int width) {
        for (int i = 0; i < width; ++i)
            bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    };
    auto tag = [&](std::string_view text) {
        for (char letter : text)
            bytes.push_back(static_cast<uint8_t>(letter));
    };
    tag("RIFF");
    put(36 + statedDataBytes, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2);
    put(channels, 2);
    put(rate, 4);
    put(rate * channels * 2, 4);
    put(channels * 2, 2);
    put(16, 2);
    tag("data");
    put(statedDataBytes, 4);
    for (uint32_t i = 0; i < dataBytes; ++i)
        bytes.push_back(static_cast<uint8_t>((i * 37) & 0x7f));
    return bytes;
}

// Half a second of mono sound at 8000 samples a second, whole.
inline plat::Data shortSound()
{
    return waveFile(1, 8000, 8000, 8000);
}

}  // namespace plat::test
