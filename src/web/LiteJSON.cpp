#include "web/LiteJSON.h"

namespace zt {

namespace {

constexpr size_t kDefaultMaxDepth = 512;

}  // namespace

LiteJSON::LiteJSON()
{
    setMaxDepth(kDefaultMaxDepth);
}

void LiteJSON::setMaxDepth(size_t maxDepth)
{
    LiteJsonBase::setMaxDepth(maxDepth);
    _jsonParser.setMaxDepth(maxDepth);
    _jsonWriter.setMaxDepth(maxDepth);
}

void LiteJSON::takeFailure(const LiteJsonBase& inner, plat::Error* error)
{
    replaceErrorTrace(inner.errorTrace());
    if (error != nullptr && !inner.errorTrace().empty())
        *error = inner.errorTrace().back();
}

std::optional<std::string> LiteJSON::stringWithObject(
    const plat::Value& value, AllowScalar allowScalar, plat::Error* error)
{
    auto text
        = allowScalar == AllowScalar::Yes ? _jsonWriter.stringWithFragment(value) : _jsonWriter.stringWithObject(value);
    if (!text)
        takeFailure(_jsonWriter, error);
    return text;
}

std::optional<std::string> LiteJSON::stringWithObject(const plat::Value& value)
{
    return stringWithObject(value, AllowScalar::No, nullptr);
}

std::optional<std::string> LiteJSON::stringWithFragment(const plat::Value& value)
{
    return stringWithObject(value, AllowScalar::Yes, nullptr);
}

std::optional<std::string> LiteJSON::stringWithObject(const plat::Value& value, plat::Error* error)
{
    return stringWithObject(value, AllowScalar::No, error);
}

std::optional<std::string> LiteJSON::stringWithFragment(const plat::Value& value, plat::Error* error)
{
    return stringWithObject(value, AllowScalar::Yes, error);
}

std::optional<plat::Value> LiteJSON::objectWithString(
    std::optional<std::string_view> string, AllowScalar allowScalar, plat::Error* error)
{
    auto value = allowScalar == AllowScalar::Yes ? _jsonParser.fragmentWithString(string)
                                                 : _jsonParser.objectWithString(string);
    if (!value)
        takeFailure(_jsonParser, error);
    return value;
}

std::optional<plat::Value> LiteJSON::objectWithString(std::optional<std::string_view> string)
{
    return objectWithString(string, AllowScalar::No, nullptr);
}

std::optional<plat::Value> LiteJSON::fragmentWithString(std::optional<std::string_view> string)
{
    return objectWithString(string, AllowScalar::Yes, nullptr);
}

std::optional<plat::Value> LiteJSON::objectWithString(std::optional<std::string_view> string, plat::Error* error)
{
    return objectWithString(string, AllowScalar::No, error);
}

std::optional<plat::Value> LiteJSON::fragmentWithString(std::optional<std::string_view> string, plat::Error* error)
{
    return objectWithString(string, AllowScalar::Yes, error);
}

}  // namespace zt
