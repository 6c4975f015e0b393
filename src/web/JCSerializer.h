#pragma once
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "web/JCInternal.h"
#include "web/JCValue.h"
#include "web/JSONDecoder.h"

namespace zt {

using JCSerializeOptionFlags = uint64_t;
// Compact output; non-ASCII characters written as UTF-8.
inline constexpr JCSerializeOptionFlags JCSerializeNone = 0;
// Line breaks and two-space indentation; dictionary keys sorted.
inline constexpr JCSerializeOptionFlags JCSerializePretty = 1;
// Every non-ASCII character written as a "\u" escape.
inline constexpr JCSerializeOptionFlags JCSerializeEscapeUnicode = 2;
// "/" written as "\/".
inline constexpr JCSerializeOptionFlags JCSerializeEscapeSlash = 16;

// What the one-call operations ask of a serialization: the result's type in
// the low three bits, and what the top object must be.
using JCEncodeOptionFlags = uint64_t;
inline constexpr JCEncodeOptionFlags kJCEncodeAsData = 1;
inline constexpr JCEncodeOptionFlags kJCEncodeAsString = 2;
inline constexpr JCEncodeOptionFlags kJCEncodeAsTypeMask = 7;
inline constexpr JCEncodeOptionFlags kJCEncodeRequiresContainer = 8;
inline constexpr JCEncodeOptionFlags kJCEncodeRequiresString = 16;
inline constexpr JCEncodeOptionFlags kJCEncodeWithoutQuotes = 32;

// Turns a value JSON cannot hold (data, a date, an archivable object) into
// one it can, or gives empty to refuse.
using JCFormatterBlock = std::function<std::optional<plat::Value>(const plat::Value& object)>;
template <typename Delegate> using JCFormatterSelector = std::optional<plat::Value> (Delegate::*)(const plat::Value&);

// Writes trees of platform values, or the decoder's JCValue trees, as UTF-8
// JSON text. Each call is independent; arrays and dictionaries nest at most
// JCMaximumNestingDepth deep, so a container that holds itself fails with an
// error instead of recursing without end. Any thread; the tree must not
// change during the call.
class JCSerializer {
public:
    // The text as a data value (kJCEncodeAsData) or a string value
    // (kJCEncodeAsString), or empty with the first error in *error. An
    // unsupported object goes to block when it is set, else to the delegate.
    static std::optional<plat::Value> serializeObject(const plat::Value& object, JCSerializeOptionFlags options,
        JCEncodeOptionFlags encodeOption, const JCFormatterBlock& block, plat::Error* error);
    // The delegate form: a delegate without a selector is a programmer error.
    template <typename Delegate>
    static std::optional<plat::Value> serializeObject(const plat::Value& object, JCSerializeOptionFlags options,
        JCEncodeOptionFlags encodeOption, const JCFormatterBlock& block, Delegate* delegate,
        JCFormatterSelector<Delegate> selector, plat::Error* error)
    {
        JCFormatterBlock delegateCall;
        if (delegate != nullptr) {
            if (selector == nullptr)
                detail::raiseJCException("NSInvalidArgumentException",
                    "The delegate argument is not NULL, but the selector argument is NULL.");
            delegateCall
                = [delegate, selector](const plat::Value& unsupported) { return (delegate->*selector)(unsupported); };
        }
        return serializeObject(object, options, encodeOption, block ? block : delegateCall, error);
    }
    // A decoded tree: everything in it is supported, so no formatter.
    static std::optional<plat::Value> serializeObject(
        const JCValue& object, JCSerializeOptionFlags options, JCEncodeOptionFlags encodeOption, plat::Error* error);
};

namespace detail {
// As serializeObject with the result's type fixed, written straight into
// the result (the one-call operations use these).
std::optional<plat::Data> serializeAsData(const plat::Value& object, JCSerializeOptionFlags options,
    JCEncodeOptionFlags encodeOption, const JCFormatterBlock& formatter, plat::Error* error);
std::optional<std::string> serializeAsString(const plat::Value& object, JCSerializeOptionFlags options,
    JCEncodeOptionFlags encodeOption, const JCFormatterBlock& formatter, plat::Error* error);
std::optional<plat::Data> serializeAsData(
    const JCValue& object, JCSerializeOptionFlags options, JCEncodeOptionFlags encodeOption, plat::Error* error);
std::optional<std::string> serializeAsString(
    const JCValue& object, JCSerializeOptionFlags options, JCEncodeOptionFlags encodeOption, plat::Error* error);
}  // namespace detail

}  // namespace zt
