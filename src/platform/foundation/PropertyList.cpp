#include "platform/foundation/PropertyList.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "platform/foundation/Files.h"
#include "platform/foundation/PropertyListDetail.h"

namespace plat {

namespace {

Error writeError(const std::string& description)
{
    return Error(kCocoaErrorDomain, kPropertyListWriteInvalidError, "property list: " + description);
}

bool startsWith(const Data& data, std::string_view prefix)
{
    return data.size() >= prefix.size() && std::memcmp(data.data(), prefix.data(), prefix.size()) == 0;
}

// The first byte that is not white space or a UTF-8 byte order mark.
size_t firstSignificantByte(const Data& data)
{
    size_t position = startsWith(data, "\xEF\xBB\xBF") ? 3 : 0;
    while (position < data.size()
        && (data[position] == ' ' || data[position] == '\t' || data[position] == '\r' || data[position] == '\n'))
        ++position;
    return position;
}

}  // namespace

namespace detail {

Value makeUIDReference(uint64_t uid)
{
    Dictionary reference;
    reference.set(std::string(kUIDKey), static_cast<int64_t>(uid));
    return reference;
}

std::optional<uint64_t> uidOfReference(const Value& value)
{
    const auto dictionary = value.asDictionary();
    if (!dictionary || dictionary->count() != 1)
        return std::nullopt;
    const Value* uid = dictionary->find(kUIDKey);
    if (!uid || !uid->isInteger() || *uid->int64Value() < 0)
        return std::nullopt;
    return static_cast<uint64_t>(*uid->int64Value());
}

bool isValidUtf8(std::string_view text)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    size_t length = text.size();
    size_t i = 0;
    while (i < length) {
        unsigned char lead = bytes[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        size_t extra = 0;
        uint32_t codePoint = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
            codePoint = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            codePoint = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            codePoint = lead & 0x07;
        } else {
            return false;
        }
        if (extra > length - i - 1)
            return false;
        for (size_t k = 1; k <= extra; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80)
                return false;
            codePoint = (codePoint << 6) | (bytes[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and values past Unicode.
        if ((extra == 2 && codePoint < 0x800) || (extra == 3 && codePoint < 0x10000)
            || (codePoint >= 0xD800 && codePoint < 0xE000) || codePoint > 0x10FFFF)
            return false;
        i += extra + 1;
    }
    return true;
}

float floatFromDouble(double value)
{
    constexpr double kLargestFloat = std::numeric_limits<float>::max();
    if (value > kLargestFloat)
        return std::numeric_limits<float>::infinity();
    if (value < -kLargestFloat)
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

Error propertyListReadError(const std::string& description)
{
    return Error(kCocoaErrorDomain, kPropertyListReadCorruptError, description);
}

Result<Data> dataWithPropertyList(
    const Value& propertyList, PropertyListFormat format, ReferenceDictionaries references)
{
    switch (format) {
    case PropertyListFormat::XML:
        // XML has no UIDs: the platform writes them as the dictionaries they read as.
        return writeXMLPropertyList(propertyList);
    case PropertyListFormat::Binary:
        return writeBinaryPropertyList(propertyList, references);
    case PropertyListFormat::OpenStep:
        break;
    }
    return writeError("the old text format cannot be written");
}

}  // namespace detail

Result<Value> PropertyListSerialization::propertyListWithData(const Data& data, PropertyListFormat* format)
{
    if (static_cast<int64_t>(data.size()) > detail::kMaxPropertyListBytes)
        return detail::propertyListReadError("property list: larger than 256 MB");
    if (startsWith(data, "bplist")) {
        if (!startsWith(data, "bplist00"))
            return Error(
                kCocoaErrorDomain, kPropertyListReadUnknownVersionError, "binary property list: unsupported version");
        auto value = detail::readBinaryPropertyList(data);
        if (value.ok() && format)
            *format = PropertyListFormat::Binary;
        return value;
    }
    size_t first = firstSignificantByte(data);
    if (first == data.size())
        return detail::propertyListReadError("property list: empty");
    if (data[first] == '<') {
        auto value = detail::readXMLPropertyList(data);
        if (value.ok() && format)
            *format = PropertyListFormat::XML;
        return value;
    }
    // The old text format ("{ key = value; }", "( a, b )", quoted strings)
    // is not read.
    return detail::propertyListReadError("property list: neither XML nor binary; "
                                         "old-style text property lists cannot be read");
}

Result<Data> PropertyListSerialization::dataWithPropertyList(const Value& propertyList, PropertyListFormat format)
{
    return detail::dataWithPropertyList(propertyList, format, detail::ReferenceDictionaries::Keep);
}

Result<Value> readPropertyListFile(const std::string& path)
{
    auto bytes = readFile(path, detail::kMaxPropertyListBytes);
    if (!bytes.ok())
        return bytes.error();
    auto value = PropertyListSerialization::propertyListWithData(bytes.value());
    if (!value.ok()) {
        const Error& error = value.error();
        Dictionary userInfo;
        userInfo.set(kFilePathErrorKey, path);
        return Error(error.domain(), error.code(), error.localizedDescription() + " (" + path + ")", userInfo);
    }
    return value;
}

std::optional<Dictionary> dictionaryWithContentsOfFile(const std::string& path)
{
    auto value = readPropertyListFile(path);
    return value.ok() ? value.value().asDictionary() : std::nullopt;
}

std::optional<Array> arrayWithContentsOfFile(const std::string& path)
{
    auto value = readPropertyListFile(path);
    return value.ok() ? value.value().asArray() : std::nullopt;
}

Result<void> writePropertyListFile(const Value& propertyList, const std::string& path, PropertyListFormat format)
{
    auto bytes = PropertyListSerialization::dataWithPropertyList(propertyList, format);
    if (!bytes.ok())
        return bytes.error();
    return writeFileAtomically(path, bytes.value());
}

}  // namespace plat
