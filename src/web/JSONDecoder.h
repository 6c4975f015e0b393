#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/foundation/Error.h"
#include "web/JCValue.h"

namespace zt {

namespace detail {
struct JCParseState;
}

using JCParseOptionFlags = uint64_t;
inline constexpr JCParseOptionFlags JCParseStrict = 0;
// "//" to the end of the line and "/*" ... "*/" count as white space.
inline constexpr JCParseOptionFlags JCParseAllowComments = 1;
// U+0085, U+2028 and U+2029 count as line breaks in white space.
inline constexpr JCParseOptionFlags JCParseUnicodeNewlines = 2;
// Ill-formed UTF-8 and illegal "\u" escapes in strings become U+FFFD.
inline constexpr JCParseOptionFlags JCParseLooseUnicode = 4;
// Anything after the first complete value is ignored.
inline constexpr JCParseOptionFlags JCParseAllowTrailingText = 8;

// The error domain of the decoder and the serializer; every error has code -1.
inline constexpr const char* JCErrorDomain = "JCErrorDomain";
// User-info keys of a decoding error: the byte index and the line (from 1).
inline constexpr const char* JCAtIndexKey = "JCAtIndexKey";
inline constexpr const char* JCLineNumberKey = "JCLineNumberKey";

// Arrays and objects nest at most this deep, in decoded text and in what the
// serializer writes, so that deep input cannot exhaust the thread's stack.
inline constexpr size_t JCMaximumNestingDepth = 512;

// How long a decoder serves. The category operations make one for a single
// parse: its cache may then keep its strings in that parse's own memory. A
// decoder kept for many parses caches on the heap, so that its cache does
// not keep earlier documents' memory alive.
enum class JSONDecoderLifetime { ManyParses, OneParse };

// The fast JSON decoder: UTF-8 text to JCValue trees whose arrays and
// dictionaries are JCArray and JCDictionary (mutable when decoded by a
// "mutable" operation). The top level must be an array or an object. A
// decoder keeps a cache of recently decoded strings across parses, so that
// keys and values that repeat share one object.
// Thread: the caller's; one decoder serves one thread at a time.
class JSONDecoder {
public:
    static std::shared_ptr<JSONDecoder> decoder();
    // Options of 16 or more are a programmer error (abort).
    static std::shared_ptr<JSONDecoder> decoderWithParseOptions(JCParseOptionFlags parseOptionFlags);

    JSONDecoder();
    explicit JSONDecoder(JCParseOptionFlags parseOptionFlags);
    JSONDecoder(JCParseOptionFlags parseOptionFlags, JSONDecoderLifetime lifetime);
    ~JSONDecoder();
    JSONDecoder(const JSONDecoder&) = delete;
    JSONDecoder& operator=(const JSONDecoder&) = delete;

    void clearCache();

    // The decoded value, or empty with the first error of the parse in
    // *error (left as it was on success). A null string is a programmer error.
    std::optional<JCValue> objectWithUTF8String(const char* string, size_t length, plat::Error* error = nullptr);
    std::optional<JCValue> objectWithData(const plat::Data& jsonData, plat::Error* error = nullptr);
    std::optional<JCValue> mutableObjectWithUTF8String(const char* string, size_t length, plat::Error* error = nullptr);
    std::optional<JCValue> mutableObjectWithData(const plat::Data& jsonData, plat::Error* error = nullptr);
    // Other names of the immutable operations.
    std::optional<JCValue> parseUTF8String(const char* string, size_t length, plat::Error* error = nullptr)
    {
        return objectWithUTF8String(string, length, error);
    }
    std::optional<JCValue> parseJSONData(const plat::Data& jsonData, plat::Error* error = nullptr)
    {
        return objectWithData(jsonData, error);
    }

private:
    std::optional<JCValue> decode(const char* string, size_t length, bool mutableCollections, plat::Error* error);
    std::unique_ptr<detail::JCParseState> _parseState;
};

}  // namespace zt
