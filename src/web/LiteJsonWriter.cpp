#include "web/LiteJsonWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/foundation/Text.h"
#include "web/JCInternal.h"

namespace zt {

namespace {

constexpr size_t kInitialCapacity = 128;

bool needsEscapes(std::string_view string)
{
    return std::any_of(string.begin(), string.end(),
        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == '"' || c == '\\'; });
}

std::string describeReal(double value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    return std::string(text, written.ptr);
}

const char* className(const plat::Value& value)
{
    switch (value.type()) {
    case plat::Value::Type::Bytes:
        return "NSData";
    case plat::Value::Type::Date:
        return "NSDate";
    default:
        return "NSObject";
    }
}

}  // namespace

std::optional<std::string> LiteJsonWriter::stringWithFragment(const plat::Value& value)
{
    clearErrorTrace();
    _depth = 0;
    std::string text;
    text.reserve(kInitialCapacity);
    if (!appendValue(value, text))
        return std::nullopt;
    return text;
}

std::optional<std::string> LiteJsonWriter::stringWithObject(const plat::Value& value)
{
    if (!value.isDictionary() && !value.isArray()) {
        clearErrorTrace();
        addErrorWithCode(kLiteJsonErrorNotJSON, "Not valid type for JSON");
        return std::nullopt;
    }
    return stringWithFragment(value);
}

bool LiteJsonWriter::enterContainer()
{
    // Depth counts every container; the limit (and the ceiling, which stops
    // a container that holds itself) applies when it is set.
    if (++_depth <= effectiveMaxDepth())
        return true;
    addErrorWithCode(kLiteJsonErrorTooDeep, "Nested too deep");
    return false;
}

void LiteJsonWriter::appendIndent(std::string& text)
{
    text += '\n';
    text.append(2 * _depth, ' ');
}

bool LiteJsonWriter::appendValue(const plat::Value& value, std::string& text)
{
    switch (value.type()) {
    case plat::Value::Type::Dictionary:
        return appendDictionary(*value.asDictionary(), text);
    case plat::Value::Type::Array:
        return appendArray(*value.asArray(), text);
    case plat::Value::Type::String:
        appendString(*value.asString(), text);
        return true;
    case plat::Value::Type::Boolean:
        text += *value.boolValue() ? "true" : "false";
        return true;
    case plat::Value::Type::Integer:
        text += std::to_string(*value.int64Value());
        return true;
    case plat::Value::Type::Real: {
        const double real = *value.doubleValue();
        if (!std::isfinite(real)) {
            // JSON has no text for these; writing "nan" would not be JSON.
            addErrorWithCode(kLiteJsonErrorUnsupported, "JSON serialisation not supported for " + describeReal(real));
            return false;
        }
        text += describeReal(real);
        return true;
    }
    case plat::Value::Type::Null:
        text += "null";
        return true;
    default:
        addErrorWithCode(
            kLiteJsonErrorUnsupported, std::string("JSON serialisation not supported for ") + className(value));
        return false;
    }
}

bool LiteJsonWriter::appendDictionary(const plat::Dictionary& dictionary, std::string& text)
{
    if (!enterContainer())
        return false;
    std::vector<const std::pair<const std::string, plat::Value>*> pairs;
    pairs.reserve(dictionary.count());
    for (const auto& pair : dictionary.entries())
        pairs.push_back(&pair);
    if (_sortKeys)
        std::stable_sort(pairs.begin(), pairs.end(), [](const auto* left, const auto* right) {
            return detail::precedesInUtf16Order(left->first, right->first);
        });
    text += '{';
    bool first = true;
    for (const auto* pair : pairs) {
        if (!first)
            text += ',';
        first = false;
        if (_humanReadable)
            appendIndent(text);
        appendString(pair->first, text);
        text += _humanReadable ? " : " : ":";
        if (!appendValue(pair->second, text)) {
            addErrorWithCode(kLiteJsonErrorUnsupported, "Unsupported value for key " + pair->first + " in object");
            return false;
        }
    }
    --_depth;
    if (_humanReadable && !pairs.empty())
        appendIndent(text);
    text += '}';
    return true;
}

bool LiteJsonWriter::appendArray(const plat::Array& array, std::string& text)
{
    if (!enterContainer())
        return false;
    text += '[';
    bool first = true;
    for (const plat::Value& element : array) {
        if (!first)
            text += ',';
        first = false;
        if (_humanReadable)
            appendIndent(text);
        if (!appendValue(element, text))
            return false;
    }
    --_depth;
    if (_humanReadable && !array.empty())
        appendIndent(text);
    text += ']';
    return true;
}

void LiteJsonWriter::appendString(std::string_view string, std::string& text)
{
    // Our strings are bytes: what is not UTF-8 is written as U+FFFD.
    std::string repaired;
    if (!plat::isValidUtf8(string)) {
        repaired = plat::repairedUtf8(string);
        string = repaired;
    }
    text += '"';
    if (!needsEscapes(string)) {
        text.append(string);
    } else {
        for (const char c : string) {
            switch (c) {
            case '"':
                text += "\\\"";
                break;
            case '\\':
                text += "\\\\";
                break;
            case '\b':
                text += "\\b";
                break;
            case '\t':
                text += "\\t";
                break;
            case '\n':
                text += "\\n";
                break;
            case '\f':
                text += "\\f";
                break;
            case '\r':
                text += "\\r";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
                    text += escape;
                } else {
                    text += c;
                }
                break;
            }
        }
    }
    text += '"';
}

}  // namespace zt
