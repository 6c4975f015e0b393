#include "app/Base64.h"

#include <array>

namespace zt {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Index of every alphabet character; 0 for everything else, bytes of 128
// and above included, so any input decodes to something defined.
constexpr std::array<uint8_t, 256> makeDecodingTable()
{
    std::array<uint8_t, 256> table {};
    for (uint8_t index = 0; index < 64; ++index)
        table[static_cast<uint8_t>(kAlphabet[index])] = index;
    return table;
}

constexpr std::array<uint8_t, 256> kDecodingTable = makeDecodingTable();

}  // namespace

std::string Base64::encode(const plat::Data& data)
{
    return encode(data.data(), data.size());
}

std::string Base64::encode(const uint8_t* bytes, size_t length)
{
    std::string text;
    text.reserve(4 * ((length + 2) / 3));
    size_t i = 0;
    for (; i + 3 <= length; i += 3) {
        uint32_t group = (uint32_t(bytes[i]) << 16) | (uint32_t(bytes[i + 1]) << 8) | bytes[i + 2];
        text += kAlphabet[(group >> 18) & 63];
        text += kAlphabet[(group >> 12) & 63];
        text += kAlphabet[(group >> 6) & 63];
        text += kAlphabet[group & 63];
    }
    size_t rest = length - i;
    if (rest > 0) {
        uint32_t group = uint32_t(bytes[i]) << 16;
        if (rest == 2)
            group |= uint32_t(bytes[i + 1]) << 8;
        text += kAlphabet[(group >> 18) & 63];
        text += kAlphabet[(group >> 12) & 63];
        text += rest == 2 ? kAlphabet[(group >> 6) & 63] : '=';
        text += '=';
    }
    return text;
}

std::optional<plat::Data> Base64::decode(std::string_view text)
{
    return decode(text.data(), text.size());
}

std::optional<plat::Data> Base64::decode(const char* characters, size_t length)
{
    if (characters == nullptr || length % 4 != 0)
        return std::nullopt;
    while (length > 0 && characters[length - 1] == '=')
        --length;

    plat::Data data;
    data.reserve(3 * length / 4);
    auto sextet = [&](size_t index) -> uint32_t {
        return index < length ? kDecodingTable[static_cast<uint8_t>(characters[index])] : 0;
    };
    for (size_t i = 0; i < length; i += 4) {
        uint32_t group = (sextet(i) << 18) | (sextet(i + 1) << 12) | (sextet(i + 2) << 6) | sextet(i + 3);
        data.push_back(static_cast<uint8_t>(group >> 16));
        data.push_back(static_cast<uint8_t>(group >> 8));
        data.push_back(static_cast<uint8_t>(group));
    }
    // The last group may be short: only 3 × length / 4 bytes are real.
    data.resize(3 * length / 4);
    return data;
}

}  // namespace zt
