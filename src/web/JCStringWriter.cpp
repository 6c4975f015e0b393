#include "web/JCStringWriter.h"

#include <array>
#include <cstring>

#include "web/JCInternal.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zt::detail {

namespace {

// What each byte becomes: up to two bytes written at once, and how many of
// them count.
struct EscapeTable {
    std::array<char, 256> first;
    std::array<char, 256> second;
    std::array<uint8_t, 256> length;
};

EscapeTable escapeTable(bool escapeSlash)
{
    EscapeTable table {};
    for (int c = 0; c < 256; ++c) {
        table.first[static_cast<size_t>(c)] = static_cast<char>(c);
        table.length[static_cast<size_t>(c)] = c < 0x20 ? 6 : 1;  // 6: "\u00XX"
    }
    auto shortEscape = [&table](uint8_t c, char letter) {
        table.first[c] = '\\';
        table.second[c] = letter;
        table.length[c] = 2;
    };
    shortEscape('"', '"');
    shortEscape('\\', '\\');
    if (escapeSlash)
        shortEscape('/', '/');
    shortEscape(0x08, 'b');
    shortEscape(0x09, 't');
    shortEscape(0x0A, 'n');
    shortEscape(0x0C, 'f');
    shortEscape(0x0D, 'r');
    return table;
}

const EscapeTable kEscapes[2] = {escapeTable(false), escapeTable(true)};  // by escaped slash

// The table as one word per byte: the two bytes to write in the low half,
// the count to keep above them, and in the top byte whether the byte needs
// the slow way (a "\u00XX" escape, or a UTF-8 sequence to check).
constexpr uint32_t kSlowByte = uint32_t(1) << 24;

std::array<uint32_t, 256> packedEscapes(const EscapeTable& table, bool knownUtf8)
{
    std::array<uint32_t, 256> packed {};
    for (size_t c = 0; c < 256; ++c) {
        const bool slow = c >= 0x80 ? !knownUtf8 : table.length[c] == 6;
        packed[c] = static_cast<uint8_t>(table.first[c])
            | static_cast<uint32_t>(static_cast<uint8_t>(table.second[c])) << 8
            | static_cast<uint32_t>(table.length[c]) << 16 | (slow ? kSlowByte : 0);
    }
    return packed;
}

// By escaped slash, then by text known to be UTF-8 (whose bytes of 0x80 and
// above are copied as they are).
const std::array<uint32_t, 256> kPackedEscapes[2][2] = {
    {packedEscapes(kEscapes[0], false), packedEscapes(kEscapes[0], true)},
    {packedEscapes(kEscapes[1], false), packedEscapes(kEscapes[1], true)},
};

void writeHexUnit(char* out, uint32_t unit)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    out[0] = '\\';
    out[1] = 'u';
    out[2] = kDigits[(unit >> 12) & 0xF];
    out[3] = kDigits[(unit >> 8) & 0xF];
    out[4] = kDigits[(unit >> 4) & 0xF];
    out[5] = kDigits[unit & 0xF];
}

}  // namespace

char* writeCopyableSegment(
    const uint8_t*& p, const uint8_t* segmentEnd, const uint8_t* end, char* out, bool escapeSlash, bool knownUtf8)
{
    const uint32_t* const packed = kPackedEscapes[escapeSlash ? 1 : 0][knownUtf8 ? 1 : 0].data();
#if defined(__SSE2__)
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i slash = _mm_set1_epi8(escapeSlash ? '/' : '"');
    // As signed bytes, control bytes and those of 0x80 and above are below
    // 0x20; text known to be UTF-8 looks at control bytes only.
    const __m128i firstPlain = _mm_set1_epi8(0x20);
    const __m128i lastControl = _mm_set1_epi8(0x1F);
#endif
    while (p < segmentEnd) {
        const uint8_t* stop = segmentEnd;
#if defined(__SSE2__)
        if (end - p >= 16) {
            // A block without special bytes is copied whole; one with some
            // goes byte by byte from its first, as escapes cluster.
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i control = knownUtf8 ? _mm_cmpeq_epi8(_mm_max_epu8(bytes, lastControl), lastControl)
                                              : _mm_cmplt_epi8(bytes, firstPlain);
            const __m128i special
                = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, quote), _mm_cmpeq_epi8(bytes, backslash)),
                    _mm_or_si128(_mm_cmpeq_epi8(bytes, slash), control));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes);
            const auto mask = static_cast<unsigned>(_mm_movemask_epi8(special));
            if (mask == 0) {
                p += 16;
                out += 16;
                continue;
            }
            const auto plain = static_cast<size_t>(__builtin_ctz(mask));
            stop = p + 16;
            p += plain;
            out += plain;
        }
#endif
        // ASCII by one table word each, without a branch of its own.
        while (p < stop) {
            const uint8_t c = *p;
            const uint32_t entry = packed[c];
            if ((entry & kSlowByte) == 0) {
                const auto pair = static_cast<uint16_t>(entry);
                std::memcpy(out, &pair, 2);
                out += (entry >> 16) & 0xFF;
                ++p;
                continue;
            }
            if (c < 0x80) {
                writeHexUnit(out, c);
                out += 6;
                ++p;
                continue;
            }
            const size_t length = wellFormedSequenceLength(p, end);
            if (length == 2)
                std::memcpy(out, p, 2);
            else if (length == 3)
                std::memcpy(out, p, 3);
            else if (length == 4)
                std::memcpy(out, p, 4);
            else
                return nullptr;
            out += length;
            p += length;
        }
    }
    return out;
}

char* writeCheckedSegment(
    const uint8_t*& p, const uint8_t* segmentEnd, const uint8_t* end, char* out, bool escapeSlash, bool escapeUnicode)
{
    const EscapeTable& table = kEscapes[escapeSlash ? 1 : 0];
    while (p < segmentEnd) {
        const uint8_t c = *p;
        if (c < 0x80) {
            const uint8_t length = table.length[c];
            if (length == 6) {
                writeHexUnit(out, c);
            } else {
                out[0] = table.first[c];
                out[1] = table.second[c];
            }
            out += length;
            ++p;
            continue;
        }
        const Utf8Decoded sequence = decodeUtf8Sequence(p, static_cast<size_t>(end - p));
        const uint8_t* const start = p;
        p += sequence.length;
        if (sequence.kind == Utf8Sequence::Illegal || sequence.kind == Utf8Sequence::Truncated) {
            *out++ = '?';
        } else if (!escapeUnicode) {
            std::memcpy(out, start, sequence.length);
            out += sequence.length;
        } else if (sequence.kind == Utf8Sequence::IllegalCodePoint) {
            return nullptr;
        } else if (sequence.codePoint <= 0xFFFF) {
            writeHexUnit(out, sequence.codePoint);
            out += 6;
        } else {
            writeHexUnit(out, 0xD7C0 + (sequence.codePoint >> 10));
            writeHexUnit(out + 6, 0xDC00 + (sequence.codePoint & 0x3FF));
            out += 12;
        }
    }
    return out;
}

}  // namespace zt::detail
