#pragma once
// The platform hash of dictionary keys, inline: the decoder hashes every key
// it reads, and a call would cost as much as the hash.
#include <atomic>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace zt::detail {

struct KeyHashSecret {
    uint64_t first;
    uint64_t second;
};

// Chosen once, when first needed, from the system's random source.
KeyHashSecret chooseKeyHashSecret();

// Written once when first needed (or by a test), read on any thread.
struct KeyHashSecretStore {
    std::atomic<uint64_t> first;
    std::atomic<uint64_t> second;
};

inline KeyHashSecretStore& keyHashSecretStore()
{
    static KeyHashSecretStore store = [] {
        const KeyHashSecret chosen = chooseKeyHashSecret();
        return KeyHashSecretStore {chosen.first, chosen.second};
    }();
    return store;
}

inline uint64_t keyHashMultiplyFold(uint64_t a, uint64_t b)
{
    __extension__ using Wide = unsigned __int128;
    const Wide product = static_cast<Wide>(a) * b;
    return static_cast<uint64_t>(product) ^ static_cast<uint64_t>(product >> 64);
}

inline uint64_t keyHashLoad64(const char* p)
{
    uint64_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

inline uint64_t keyHashLoad32(const char* p)
{
    uint32_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

// The platform hash of a dictionary key: 32 bits (so a table finds a slot
// without dividing), keyed by a secret chosen when the process starts, so
// that text from the network cannot be made of keys that all collide.
inline uint64_t jcKeyHash(std::string_view key)
{
    KeyHashSecretStore& secret = keyHashSecretStore();
    const uint64_t first = secret.first.load(std::memory_order_relaxed);
    const uint64_t second = secret.second.load(std::memory_order_relaxed);
    const char* p = key.data();
    const size_t length = key.size();
    uint64_t seed = first;
    uint64_t a = 0;
    uint64_t b = 0;
    if (length <= 16) {
        if (length >= 4) {
            const size_t middle = (length >> 3) << 2;
            a = (keyHashLoad32(p) << 32) | keyHashLoad32(p + middle);
            b = (keyHashLoad32(p + length - 4) << 32) | keyHashLoad32(p + length - 4 - middle);
        } else if (length > 0) {
            a = (static_cast<uint64_t>(static_cast<uint8_t>(p[0])) << 16)
                | (static_cast<uint64_t>(static_cast<uint8_t>(p[length >> 1])) << 8)
                | static_cast<uint8_t>(p[length - 1]);
        }
    } else {
        size_t rest = length;
        while (rest > 16) {
            seed = keyHashMultiplyFold(keyHashLoad64(p) ^ second, keyHashLoad64(p + 8) ^ seed);
            p += 16;
            rest -= 16;
        }
        a = keyHashLoad64(p + rest - 16);
        b = keyHashLoad64(p + rest - 8);
    }
    const uint64_t hash = keyHashMultiplyFold(second ^ length, keyHashMultiplyFold(a ^ second, b ^ seed));
    return (hash ^ (hash >> 32)) & 0xFFFFFFFFu;
}

// Fixes the secret, for tests that need a known order of slots.
void setKeyHashSecretForTesting(uint64_t secret);

}  // namespace zt::detail
