#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace plat {

// A random (version 4) UUID. Any thread (value type).
class UUID {
public:
    UUID();  // a new random UUID
    static std::optional<UUID> fromString(std::string_view text);

    // The platform's canonical text: 36 characters, upper-case hexadecimal
    // digits in groups of 8-4-4-4-12 joined by "-".
    std::string UUIDString() const;
    const std::array<uint8_t, 16>& bytes() const { return _bytes; }

    friend bool operator==(const UUID&, const UUID&) = default;

private:
    explicit UUID(const std::array<uint8_t, 16>& bytes)
        : _bytes(bytes)
    {
    }
    std::array<uint8_t, 16> _bytes {};
};

}  // namespace plat
