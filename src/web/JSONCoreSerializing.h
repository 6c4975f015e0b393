#pragma once
// One-call writing of strings, arrays and dictionaries as JSON text, as data
// or as a string. Empty results come with the first error in *error. Any thread.
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "web/JCArray.h"
#include "web/JCDictionary.h"
#include "web/JCSerializer.h"

namespace zt {

enum class IncludeQuotes { No, Yes };

// A string alone; without quotes it keeps its escapes.
std::optional<plat::Data> JSONDataWithOptions(
    std::string_view string, JCSerializeOptionFlags options, IncludeQuotes includeQuotes, plat::Error* error = nullptr);
std::optional<std::string> JSONStringWithOptions(
    std::string_view string, JCSerializeOptionFlags options, IncludeQuotes includeQuotes, plat::Error* error = nullptr);
std::optional<plat::Data> JSONData(std::string_view string);
std::optional<std::string> JSONString(std::string_view string);

namespace detail {
std::optional<plat::Data> jsonDataOf(
    const plat::Value& container, JCSerializeOptionFlags options, const JCFormatterBlock& block, plat::Error* error);
std::optional<std::string> jsonStringOf(
    const plat::Value& container, JCSerializeOptionFlags options, const JCFormatterBlock& block, plat::Error* error);
template <typename Delegate>
JCFormatterBlock formatterOfDelegate(Delegate* delegate, JCFormatterSelector<Delegate> selector)
{
    if (delegate == nullptr)
        return {};
    if (selector == nullptr)
        raiseJCException(
            "NSInvalidArgumentException", "The delegate argument is not NULL, but the selector argument is NULL.");
    return [delegate, selector](const plat::Value& unsupported) { return (delegate->*selector)(unsupported); };
}
}  // namespace detail

// Arrays and dictionaries of platform values. Values JSON cannot hold go to
// the block, or to the delegate's selector, for a replacement.
std::optional<plat::Data> JSONData(const plat::Array& array);
std::optional<plat::Data> JSONDataWithOptions(
    const plat::Array& array, JCSerializeOptionFlags options, plat::Error* error = nullptr);
std::optional<plat::Data> JSONDataWithOptions(
    const plat::Array& array, JCSerializeOptionFlags options, const JCFormatterBlock& block, plat::Error* error);
template <typename Delegate>
std::optional<plat::Data> JSONDataWithOptions(const plat::Array& array, JCSerializeOptionFlags options,
    Delegate* delegate, JCFormatterSelector<Delegate> selector, plat::Error* error)
{
    return detail::jsonDataOf(plat::Value(array), options, detail::formatterOfDelegate(delegate, selector), error);
}
std::optional<std::string> JSONString(const plat::Array& array);
std::optional<std::string> JSONStringWithOptions(
    const plat::Array& array, JCSerializeOptionFlags options, plat::Error* error = nullptr);
std::optional<std::string> JSONStringWithOptions(
    const plat::Array& array, JCSerializeOptionFlags options, const JCFormatterBlock& block, plat::Error* error);
template <typename Delegate>
std::optional<std::string> JSONStringWithOptions(const plat::Array& array, JCSerializeOptionFlags options,
    Delegate* delegate, JCFormatterSelector<Delegate> selector, plat::Error* error)
{
    return detail::jsonStringOf(plat::Value(array), options, detail::formatterOfDelegate(delegate, selector), error);
}

std::optional<plat::Data> JSONData(const plat::Dictionary& dictionary);
std::optional<plat::Data> JSONDataWithOptions(
    const plat::Dictionary& dictionary, JCSerializeOptionFlags options, plat::Error* error = nullptr);
std::optional<plat::Data> JSONDataWithOptions(const plat::Dictionary& dictionary, JCSerializeOptionFlags options,
    const JCFormatterBlock& block, plat::Error* error);
template <typename Delegate>
std::optional<plat::Data> JSONDataWithOptions(const plat::Dictionary& dictionary, JCSerializeOptionFlags options,
    Delegate* delegate, JCFormatterSelector<Delegate> selector, plat::Error* error)
{
    return detail::jsonDataOf(plat::Value(dictionary), options, detail::formatterOfDelegate(delegate, selector), error);
}
std::optional<std::string> JSONString(const plat::Dictionary& dictionary);
std::optional<std::string> JSONStringWithOptions(
    const plat::Dictionary& dictionary, JCSerializeOptionFlags options, plat::Error* error = nullptr);
std::optional<std::string> JSONStringWithOptions(const plat::Dictionary& dictionary, JCSerializeOptionFlags options,
    const JCFormatterBlock& block, plat::Error* error);
template <typename Delegate>
std::optional<std::string> JSONStringWithOptions(const plat::Dictionary& dictionary, JCSerializeOptionFlags options,
    Delegate* delegate, JCFormatterSelector<Delegate> selector, plat::Error* error)
{
    return detail::jsonStringOf(
        plat::Value(dictionary), options, detail::formatterOfDelegate(delegate, selector), error);
}

// The decoder's own containers: everything in them is supported.
std::optional<plat::Data> JSONData(const JCArray& array);
std::optional<plat::Data> JSONDataWithOptions(
    const JCArray& array, JCSerializeOptionFlags options, plat::Error* error = nullptr);
std::optional<std::string> JSONString(const JCArray& array);
std::optional<std::string> JSONStringWithOptions(
    const JCArray& array, JCSerializeOptionFlags options, plat::Error* error = nullptr);
std::optional<plat::Data> JSONData(const JCDictionary& dictionary);
std::optional<plat::Data> JSONDataWithOptions(
    const JCDictionary& dictionary, JCSerializeOptionFlags options, plat::Error* error = nullptr);
std::optional<std::string> JSONString(const JCDictionary& dictionary);
std::optional<std::string> JSONStringWithOptions(
    const JCDictionary& dictionary, JCSerializeOptionFlags options, plat::Error* error = nullptr);

}  // namespace zt
