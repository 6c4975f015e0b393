#pragma once
// The decoder's scanner and parser over one parse state (internal).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "web/JCParseState.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zt {
class JCArray;
class JCDictionary;
}  // namespace zt

namespace zt::detail {

// Strings up to this long go through the token cache; longer ones seldom
// repeat, and hashing them would cost more than it saves.
inline constexpr size_t kCacheableStringLength = 128;

// The first byte from p on that a string cannot copy as it is: a quote, a
// backslash, a control byte or a non-ASCII byte; end when there is none.
inline const uint8_t* findSpecialStringByte(const uint8_t* p, const uint8_t* end)
{
#if defined(__SSE2__)
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i backslash = _mm_set1_epi8('\\');
    // As signed bytes, both the control bytes and those of 0x80 and above are below 0x20.
    const __m128i firstPlain = _mm_set1_epi8(0x20);
    while (end - p >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i special
            = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, quote), _mm_cmpeq_epi8(bytes, backslash)),
                _mm_cmplt_epi8(bytes, firstPlain));
        const int mask = _mm_movemask_epi8(special);
        if (mask != 0)
            return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    while (p < end && *p >= 0x20 && *p < 0x80 && *p != '"' && *p != '\\')
        ++p;
    return p;
}

class JCParser {
public:
    explicit JCParser(JCParseState& state);
    std::optional<JCValue> parse();

private:
    // Only the first message of a parse is kept; later ones are dropped.
    void recordMessage(std::string message);
    void recordInternalError(const char* what, int line);
    void recordExpectation(uint8_t state, const char* valueItem, const char* endItem);

    size_t lineBreakLength(size_t index) const;
    void lineBreakEndsAt(size_t index);
    void skipWhitespace();
    bool nextToken();
    bool tokenFailed();
    bool scanString();
    // The slow string path (JCStringDecoding.cpp): from, the first byte that
    // needs decoding, to the closing quote, through the token buffer.
    bool decodeString(const uint8_t* start, const uint8_t* from);
    void appendCodePoint(uint32_t codePoint, size_t& index);
    // Sets the string token: its text from the opening quote (start - 1) to
    // closingQuote, its value bytes and their hash.
    void finishString(const uint8_t* start, const uint8_t* bytes, size_t size, const uint8_t* closingQuote);
    bool scanNumber();
    bool convertReal(const uint8_t* text, size_t length);

    bool valueForToken(JCValue& out);
    bool containerForToken(JCValue& out);
    // The token's value into the object stack's slot (after any nested container).
    bool storeValueForToken(size_t slot);
    bool keyForToken(JCValue& key, uint64_t& keyHash);
    void assignInlineString(JCValue& out, const JCTokenValue& value) const;
    // A string too long to live in a value: through the cache (which hashes
    // by the key hash, computed here unless the caller has it), or for the
    // longest ones, straight into the arena.
    bool longStringForValue(JCValue& out, const uint64_t* keyHash);
    // Where the cache makes the strings it holds: the parse's arena when the
    // cache dies with the parse, else the heap, so that a long-lived
    // decoder's cache keeps no document's memory alive.
    JCArena* cacheArena();
    bool enterContainer();
    // The arena of this parse's containers, made on first use (nullptr when
    // memory runs out: the containers then live on the heap).
    JCArena* arena();
    // The container, or nullptr after an error.
    JCArray* parseArray();
    JCDictionary* parseObject();

    JCParseState& _state;
    const uint8_t* const _input;
    const size_t _length;
};

}  // namespace zt::detail
