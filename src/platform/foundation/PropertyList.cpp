#include "platform/foundation/PropertyList.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <plist/plist.h>

#include "platform/foundation/Files.h"
#include "platform/foundation/PropertyListDetail.h"

namespace plat {

namespace {

struct PlistDeleter {
    void operator()(void* node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

// Strings handed out by the library's iterators and writers.
struct FreeDeleter {
    void operator()(void* memory) const { std::free(memory); }
};
using MallocPtr = std::unique_ptr<char, FreeDeleter>;

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

// Turns the library's tree into Values. The structure check has bounded the
// depth already; the depth is checked again in case the library nests
// differently.
class PlistToValue {
public:
    Result<Value> convert(void* root)
    {
        Value value = convertNode(root, 0);
        if (!_failure.empty())
            return detail::propertyListReadError("XML property list: " + _failure);
        return value;
    }

private:
    Value fail(std::string text)
    {
        if (_failure.empty())
            _failure = std::move(text);
        return {};
    }

    Value convertNode(void* node, int depth)
    {
        if (depth > detail::kMaxPropertyListDepth)
            return fail("nested too deeply");
        switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN: {
            uint8_t value = 0;
            plist_get_bool_val(node, &value);
            return Value(value != 0);
        }
        case PLIST_UINT:
            return convertInteger(node);
        case PLIST_REAL: {
            double value = 0;
            plist_get_real_val(node, &value);
            return Value(value);
        }
        case PLIST_STRING:
        case PLIST_KEY: {
            uint64_t length = 0;
            const char* text = plist_get_string_ptr(node, &length);
            std::string string(text ? text : "", text ? length : 0);
            if (!detail::isValidUtf8(string))
                return fail("string is not UTF-8");
            return Value(std::move(string));
        }
        case PLIST_DATA: {
            uint64_t length = 0;
            const char* bytes = plist_get_data_ptr(node, &length);
            if (!bytes)
                return Value(Data());
            return Value(Data(bytes, bytes + length));
        }
        case PLIST_DATE: {
            int32_t seconds = 0;
            int32_t microseconds = 0;
            plist_get_date_val(node, &seconds, &microseconds);
            // The library gives the fraction without its sign.
            double fraction = std::abs(microseconds) / 1e6;
            double interval = seconds < 0 ? seconds - fraction : seconds + fraction;
            return Value(Date::withTimeIntervalSinceReferenceDate(interval));
        }
        case PLIST_UID: {
            uint64_t uid = 0;
            plist_get_uid_val(node, &uid);
            if (uid > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
                return fail("UID out of range");
            return detail::makeUIDReference(uid);
        }
        case PLIST_ARRAY:
            return convertArray(node, depth);
        case PLIST_DICT:
            return convertDictionary(node, depth);
        case PLIST_NONE:
            break;
        }
        return fail("unsupported element");
    }

    // The library keeps one unsigned 64-bit integer with a hidden width: 8
    // bytes for values written signed, 16 for unsigned values past INT64_MAX.
    // A node only compares equal to a fresh (8-byte) node of the same bits
    // when it is of the signed kind.
    static Value convertInteger(void* node)
    {
        uint64_t bits = 0;
        plist_get_uint_val(node, &bits);
        if (bits > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
            PlistPtr signedForm(plist_new_uint(bits));
            if (!plist_compare_node_value(node, signedForm.get()))
                return Value(static_cast<double>(bits));
        }
        return Value(static_cast<int64_t>(bits));
    }

    Value convertArray(void* node, int depth)
    {
        uint32_t count = plist_array_get_size(node);
        std::vector<Value> values;
        values.reserve(count);
        for (uint32_t i = 0; i < count && _failure.empty(); ++i)
            values.push_back(convertNode(plist_array_get_item(node, i), depth + 1));
        return _failure.empty() ? Value(Array(std::move(values))) : Value();
    }

    Value convertDictionary(void* node, int depth)
    {
        Dictionary dictionary;
        plist_dict_iter iterator = nullptr;
        plist_dict_new_iter(node, &iterator);
        MallocPtr iteratorMemory(static_cast<char*>(iterator));
        while (_failure.empty()) {
            char* rawKey = nullptr;
            void* item = nullptr;
            plist_dict_next_item(node, iterator, &rawKey, &item);
            MallocPtr key(rawKey);
            if (!item)
                break;
            std::string keyText = key ? key.get() : "";
            if (!detail::isValidUtf8(keyText))
                return fail("key is not UTF-8");
            Value value = convertNode(item, depth + 1);
            if (_failure.empty())
                dictionary.set(std::move(keyText), std::move(value));
        }
        return _failure.empty() ? Value(std::move(dictionary)) : Value();
    }

    std::string _failure;
};

Result<Value> readXMLPropertyList(const Data& data)
{
    if (std::memchr(data.data(), 0, data.size()) != nullptr)
        return detail::propertyListReadError("XML property list: contains a NUL byte");
    auto checked = detail::checkXMLPropertyListStructure(data);
    if (!checked.ok())
        return checked.error();
    // A terminated copy: the library's number parsing may read past the
    // last element of unterminated text.
    std::string text(reinterpret_cast<const char*>(data.data()), data.size());
    void* rawRoot = nullptr;
    plist_from_xml(text.c_str(), static_cast<uint32_t>(text.size()), &rawRoot);
    PlistPtr root(rawRoot);
    if (!root)
        return detail::propertyListReadError("XML property list: not a valid property list");
    return PlistToValue().convert(root.get());
}

// Builds the library's tree for writing.
class ValueToPlist {
public:
    explicit ValueToPlist(detail::ReferenceDictionaries references)
        : _references(references)
    {
    }

    Result<PlistPtr> convert(const Value& value)
    {
        PlistPtr node = convertValue(value, 0);
        if (!_failure.empty())
            return writeError(_failure);
        return node;
    }

private:
    PlistPtr fail(std::string text)
    {
        if (_failure.empty())
            _failure = std::move(text);
        return nullptr;
    }

    bool isWritableString(const std::string& text)
    {
        if (text.find('\0') != std::string::npos) {
            fail("cannot write a string containing NUL");
            return false;
        }
        if (!detail::isValidUtf8(text)) {
            fail("cannot write a string that is not UTF-8");
            return false;
        }
        return true;
    }

    PlistPtr convertValue(const Value& value, int depth)
    {
        // Also stops containers that hold themselves.
        if (depth > detail::kMaxPropertyListDepth)
            return fail("nested too deeply (or a container holds itself)");
        switch (value.type()) {
        case Value::Type::Null:
            return fail("cannot write a null value");
        case Value::Type::Object:
            return fail("cannot write an archivable object; use a keyed archive");
        case Value::Type::Boolean:
            return PlistPtr(plist_new_bool(*value.boolValue() ? 1 : 0));
        case Value::Type::Integer:
            // Negative numbers go in as their two's complement bits; the
            // library writes those as signed 8-byte integers.
            return PlistPtr(plist_new_uint(static_cast<uint64_t>(*value.int64Value())));
        case Value::Type::Real:
            return PlistPtr(plist_new_real(*value.doubleValue()));
        case Value::Type::String: {
            const std::string* text = value.asString();
            if (!text || !isWritableString(*text))
                return nullptr;
            return PlistPtr(plist_new_string(text->c_str()));
        }
        case Value::Type::Bytes: {
            static const char kNoBytes = 0;
            const Data* bytes = value.asData();
            if (!bytes || bytes->empty())
                return PlistPtr(plist_new_data(&kNoBytes, 0));
            return PlistPtr(plist_new_data(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
        }
        case Value::Type::Date:
            return convertDate(*value.asDate());
        case Value::Type::Array:
            return convertArray(*value.asArray(), depth);
        case Value::Type::Dictionary:
            return convertDictionary(*value.asDictionary(), depth);
        }
        return fail("unknown value type");
    }

    PlistPtr convertDate(Date date)
    {
        double interval = date.timeIntervalSinceReferenceDate();
        double seconds = std::floor(interval);
        double microseconds = std::round((interval - seconds) * 1e6);
        if (microseconds >= 1e6) {
            seconds += 1;
            microseconds = 0;
        }
        if (!(seconds >= std::numeric_limits<int32_t>::min() && seconds <= std::numeric_limits<int32_t>::max()))
            return fail("cannot write a date this far from 2001");
        return PlistPtr(plist_new_date(static_cast<int32_t>(seconds), static_cast<int32_t>(microseconds)));
    }

    PlistPtr convertArray(const Array& array, int depth)
    {
        PlistPtr node(plist_new_array());
        for (const Value& entry : array) {
            PlistPtr item = convertValue(entry, depth + 1);
            if (!item)
                return nullptr;
            plist_array_append_item(node.get(), item.release());
        }
        return node;
    }

    PlistPtr convertDictionary(const Dictionary& dictionary, int depth)
    {
        if (_references == detail::ReferenceDictionaries::WriteAsUIDs) {
            if (auto uid = detail::uidOfReference(Value(dictionary)))
                return PlistPtr(plist_new_uid(*uid));
        }
        PlistPtr node(plist_new_dict());
        for (const auto& [key, entry] : dictionary) {
            if (!isWritableString(key))
                return nullptr;
            PlistPtr item = convertValue(entry, depth + 1);
            if (!item)
                return nullptr;
            plist_dict_set_item(node.get(), key.c_str(), item.release());
        }
        return node;
    }

    detail::ReferenceDictionaries _references;
    std::string _failure;
};

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
    if (format == PropertyListFormat::OpenStep)
        return writeError("the old text format cannot be written");
    auto root = ValueToPlist(references).convert(propertyList);
    if (!root.ok())
        return root.error();
    char* rawBytes = nullptr;
    uint32_t length = 0;
    if (format == PropertyListFormat::XML)
        plist_to_xml(root.value().get(), &rawBytes, &length);
    else
        plist_to_bin(root.value().get(), &rawBytes, &length);
    MallocPtr bytes(rawBytes);
    if (!bytes)
        return writeError("the backing library could not serialize the list");
    return Data(bytes.get(), bytes.get() + length);
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
        auto value = readXMLPropertyList(data);
        if (value.ok() && format)
            *format = PropertyListFormat::XML;
        return value;
    }
    // The old text format ("{ key = value; }", "( a, b )", quoted strings):
    // the backing library cannot read it.
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
