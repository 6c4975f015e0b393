#include "document/Base64.h"

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
    std::string text(4 * ((length + 2) / 3), '\0');
    char* out = text.data();
    size_t i = 0;
    for (; i + 3 <= length; i += 3) {
        uint32_t group = (uint32_t(bytes[i]) << 16) | (uint32_t(bytes[i + 1]) << 8) | bytes[i + 2];
        out[0] = kAlphabet[(group >> 18) & 63];
        out[1] = kAlphabet[(group >> 12) & 63];
        out[2] = kAlphabet[(group >> 6) & 63];
        out[3] = kAlphabet[group & 63];
        out += 4;
    }
    size_t rest = length - i;
    if (rest > 0) {
        uint32_t group = uint32_t(bytes[i]) << 16;
        if (rest == 2)
            group |= uint32_t(bytes[i + 1]) << 8;
        out[0] = kAlphabet[(group >> 18) & 63];
        out[1] = kAlphabet[(group >> 12) & 63];
        out[2] = rest == 2 ? kAlphabet[(group >> 6) & 63] : '=';
        out[3] = '=';
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

    // Whole groups first; the last, possibly short, group reads missing
    // characters as 0. Only 3 * length / 4 bytes are real.
    plat::Data data(3 * ((length + 3) / 4));
    uint8_t* out = data.data();
    auto sextet = [&](size_t index) -> uint32_t { return kDecodingTable[static_cast<uint8_t>(characters[index])]; };
    size_t i = 0;
    for (; i + 4 <= length; i += 4) {
        uint32_t group = (sextet(i) << 18) | (sextet(i + 1) << 12) | (sextet(i + 2) << 6) | sextet(i + 3);
        out[0] = static_cast<uint8_t>(group >> 16);
        out[1] = static_cast<uint8_t>(group >> 8);
        out[2] = static_cast<uint8_t>(group);
        out += 3;
    }
    if (i < length) {
        uint32_t group = 0;
        for (size_t k = 0; k < 4; ++k)
            group |= (i + k < length ? sextet(i + k) : 0) << (18 - 6 * k);
        out[0] = static_cast<uint8_t>(group >> 16);
        out[1] = static_cast<uint8_t>(group >> 8);
        out[2] = static_cast<uint8_t>(group);
    }
    data.resize(3 * length / 4);
    return data;
}

}  // namespace zt
