#include "web/JSONCoreSerializing.h"

namespace zt {

namespace {

// Encode options of the one-call operations.
// (17, 18, 49, 50, 9 and 10 with the result's type).
constexpr JCEncodeOptionFlags kString = kJCEncodeRequiresString;
constexpr JCEncodeOptionFlags kContainer = kJCEncodeRequiresContainer;

const JCFormatterBlock& noFormatter()
{
    static const JCFormatterBlock none;
    return none;
}

JCEncodeOptionFlags quotesOption(IncludeQuotes includeQuotes)
{
    return includeQuotes == IncludeQuotes::Yes ? 0 : kJCEncodeWithoutQuotes;
}

JCValue referenceTo(const JCArray& array)
{
    array.retain();
    return JCValue::adoptArray(const_cast<JCArray*>(&array));
}

JCValue referenceTo(const JCDictionary& dictionary)
{
    dictionary.retain();
    return JCValue::adoptDictionary(const_cast<JCDictionary*>(&dictionary));
}

}  // namespace

std::optional<plat::Data> JSONDataWithOptions(
    std::string_view string, JCSerializeOptionFlags options, IncludeQuotes includeQuotes, plat::Error* error)
{
    return detail::serializeAsData(
        plat::Value(string), options, kString | quotesOption(includeQuotes), noFormatter(), error);
}

std::optional<std::string> JSONStringWithOptions(
    std::string_view string, JCSerializeOptionFlags options, IncludeQuotes includeQuotes, plat::Error* error)
{
    return detail::serializeAsString(
        plat::Value(string), options, kString | quotesOption(includeQuotes), noFormatter(), error);
}

std::optional<plat::Data> JSONData(std::string_view string)
{
    return JSONDataWithOptions(string, JCSerializeNone, IncludeQuotes::Yes, nullptr);
}

std::optional<std::string> JSONString(std::string_view string)
{
    return JSONStringWithOptions(string, JCSerializeNone, IncludeQuotes::Yes, nullptr);
}

namespace detail {

std::optional<plat::Data> jsonDataOf(
    const plat::Value& container, JCSerializeOptionFlags options, const JCFormatterBlock& block, plat::Error* error)
{
    return serializeAsData(container, options, kContainer, block, error);
}

std::optional<std::string> jsonStringOf(
    const plat::Value& container, JCSerializeOptionFlags options, const JCFormatterBlock& block, plat::Error* error)
{
    return serializeAsString(container, options, kContainer, block, error);
}

}  // namespace detail

std::optional<plat::Data> JSONData(const plat::Array& array)
{
    return detail::jsonDataOf(plat::Value(array), JCSerializeNone, noFormatter(), nullptr);
}

std::optional<plat::Data> JSONDataWithOptions(
    const plat::Array& array, JCSerializeOptionFlags options, plat::Error* error)
{
    return detail::jsonDataOf(plat::Value(array), options, noFormatter(), error);
}

std::optional<plat::Data> JSONDataWithOptions(
    const plat::Array& array, JCSerializeOptionFlags options, const JCFormatterBlock& block, plat::Error* error)
{
    return detail::jsonDataOf(plat::Value(array), options, block, error);
}

std::optional<std::string> JSONString(const plat::Array& array)
{
    return detail::jsonStringOf(plat::Value(array), JCSerializeNone, noFormatter(), nullptr);
}

std::optional<std::string> JSONStringWithOptions(
    const plat::Array& array, JCSerializeOptionFlags options, plat::Error* error)
{
    return detail::jsonStringOf(plat::Value(array), options, noFormatter(), error);
}

std::optional<std::string> JSONStringWithOptions(
    const plat::Array& array, JCSerializeOptionFlags options, const JCFormatterBlock& block, plat::Error* error)
{
    return detail::jsonStringOf(plat::Value(array), options, block, error);
}

std::optional<plat::Data> JSONData(const plat::Dictionary& dictionary)
{
    return detail::jsonDataOf(plat::Value(dictionary), JCSerializeNone, noFormatter(), nullptr);
}

std::optional<plat::Data> JSONDataWithOptions(
    const plat::Dictionary& dictionary, JCSerializeOptionFlags options, plat::Error* error)
{
    return detail::jsonDataOf(plat::Value(dictionary), options, noFormatter(), error);
}

std::optional<plat::Data> JSONDataWithOptions(const plat::Dictionary& dictionary, JCSerializeOptionFlags options,
    const JCFormatterBlock& block, plat::Error* error)
{
    return detail::jsonDataOf(plat::Value(dictionary), options, block, error);
}

std::optional<std::string> JSONString(const plat::Dictionary& dictionary)
{
    return detail::jsonStringOf(plat::Value(dictionary), JCSerializeNone, noFormatter(), nullptr);
}

std::optional<std::string> JSONStringWithOptions(
    const plat::Dictionary& dictionary, JCSerializeOptionFlags options, plat::Error* error)
{
    return detail::jsonStringOf(plat::Value(dictionary), options, noFormatter(), error);
}

std::optional<std::string> JSONStringWithOptions(const plat::Dictionary& dictionary, JCSerializeOptionFlags options,
    const JCFormatterBlock& block, plat::Error* error)
{
    return detail::jsonStringOf(plat::Value(dictionary), options, block, error);
}

std::optional<plat::Data> JSONData(const JCArray& array)
{
    return JSONDataWithOptions(array, JCSerializeNone, nullptr);
}

std::optional<plat::Data> JSONDataWithOptions(const JCArray& array, JCSerializeOptionFlags options, plat::Error* error)
{
    return detail::serializeAsData(referenceTo(array), options, kContainer, error);
}

std::optional<std::string> JSONString(const JCArray& array)
{
    return JSONStringWithOptions(array, JCSerializeNone, nullptr);
}

std::optional<std::string> JSONStringWithOptions(
    const JCArray& array, JCSerializeOptionFlags options, plat::Error* error)
{
    return detail::serializeAsString(referenceTo(array), options, kContainer, error);
}

std::optional<plat::Data> JSONData(const JCDictionary& dictionary)
{
    return JSONDataWithOptions(dictionary, JCSerializeNone, nullptr);
}

std::optional<plat::Data> JSONDataWithOptions(
    const JCDictionary& dictionary, JCSerializeOptionFlags options, plat::Error* error)
{
    return detail::serializeAsData(referenceTo(dictionary), options, kContainer, error);
}

std::optional<std::string> JSONString(const JCDictionary& dictionary)
{
    return JSONStringWithOptions(dictionary, JCSerializeNone, nullptr);
}

std::optional<std::string> JSONStringWithOptions(
    const JCDictionary& dictionary, JCSerializeOptionFlags options, plat::Error* error)
{
    return detail::serializeAsString(referenceTo(dictionary), options, kContainer, error);
}

}  // namespace zt
