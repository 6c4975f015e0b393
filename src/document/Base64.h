#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Value.h"

namespace zt {

// Standard Base64 (RFC 4648 alphabet, "=" padding). Any thread (stateless).
class Base64 {
public:
    static std::string encode(const plat::Data& data);
    static std::string encode(const uint8_t* bytes, size_t length);

    // Empty when there is no input or its length is not a multiple of 4.
    // Trailing "=" are dropped; characters outside the alphabet (any byte,
    // 128 and above included) decode as 0.
    static std::optional<plat::Data> decode(std::string_view text);
    static std::optional<plat::Data> decode(const char* characters, size_t length);
};

}  // namespace zt
