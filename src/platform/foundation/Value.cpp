#include "platform/foundation/Value.h"

#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace plat {

namespace {

int64_t saturatingInt64(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 9223372036854775807.0)
        return std::numeric_limits<int64_t>::max();
    if (value <= -9223372036854775808.0)
        return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(value);
}

void appendDescription(const Value& value, std::string& out, int depth);

void appendQuoted(const std::string& text, std::string& out)
{
    out += '"';
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    out += '"';
}

void appendDescription(const Value& value, std::string& out, int depth)
{
    constexpr int kMaxDescribedDepth = 32;
    if (depth > kMaxDescribedDepth) {
        out += "...";
        return;
    }
    char buffer[64];
    switch (value.type()) {
    case Value::Type::Null:
        out += "null";
        break;
    case Value::Type::Boolean:
        out += *value.boolValue() ? "true" : "false";
        break;
    case Value::Type::Integer:
        if (auto wide = value.uint64Value(); wide && *wide > static_cast<uint64_t>(*value.int64Value()))
            std::snprintf(buffer, sizeof buffer, "%llu", static_cast<unsigned long long>(*wide));
        else
            std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(*value.int64Value()));
        out += buffer;
        break;
    case Value::Type::Real:
        std::snprintf(buffer, sizeof buffer, "%.17g", *value.doubleValue());
        out += buffer;
        break;
    case Value::Type::String:
        appendQuoted(*value.asString(), out);
        break;
    case Value::Type::Bytes:
        std::snprintf(buffer, sizeof buffer, "<%zu bytes>", value.asData()->size());
        out += buffer;
        break;
    case Value::Type::Date:
        std::snprintf(buffer, sizeof buffer, "@%.3f", value.asDate()->timeIntervalSinceReferenceDate());
        out += buffer;
        break;
    case Value::Type::Array: {
        out += '[';
        bool first = true;
        const Array array = *value.asArray();  // a range over a temporary would dangle
        for (const Value& entry : array) {
            if (!first)
                out += ", ";
            first = false;
            appendDescription(entry, out, depth + 1);
        }
        out += ']';
        break;
    }
    case Value::Type::Dictionary: {
        out += '{';
        bool first = true;
        const Dictionary dictionary = *value.asDictionary();
        for (const auto& [key, entry] : dictionary) {
            if (!first)
                out += ", ";
            first = false;
            appendQuoted(key, out);
            out += ": ";
            appendDescription(entry, out, depth + 1);
        }
        out += '}';
        break;
    }
    case Value::Type::Object:
        std::snprintf(buffer, sizeof buffer, "<object %p>", static_cast<const void*>(value.asObject().get()));
        out += buffer;
        break;
    }
}

}  // namespace

// Array

Array::Array()
    : _storage(std::make_shared<std::vector<Value>>())
{
}

Array::Array(std::initializer_list<Value> values)
    : _storage(std::make_shared<std::vector<Value>>(values))
{
}

Array::Array(std::vector<Value> values)
    : _storage(std::make_shared<std::vector<Value>>(std::move(values)))
{
}

size_t Array::count() const
{
    return _storage->size();
}

const Value& Array::at(size_t index) const
{
    if (index >= _storage->size()) {
        std::fprintf(stderr, "plat::Array: index %zu beyond count %zu\n", index, _storage->size());
        std::abort();
    }
    return (*_storage)[index];
}

Value& Array::at(size_t index)
{
    return const_cast<Value&>(static_cast<const Array&>(*this).at(index));
}

void Array::append(Value value)
{
    _storage->push_back(std::move(value));
}

void Array::insert(size_t index, Value value)
{
    assert(index <= _storage->size());
    _storage->insert(_storage->begin() + static_cast<std::ptrdiff_t>(index), std::move(value));
}

void Array::set(size_t index, Value value)
{
    at(index) = std::move(value);
}

void Array::removeAt(size_t index)
{
    at(index);  // range check
    _storage->erase(_storage->begin() + static_cast<std::ptrdiff_t>(index));
}

void Array::removeAll()
{
    _storage->clear();
}

int64_t Array::indexOf(const Value& value) const
{
    for (size_t i = 0; i < _storage->size(); ++i) {
        if ((*_storage)[i] == value)
            return static_cast<int64_t>(i);
    }
    return kNotFound;
}

Array Array::copy() const
{
    return Array(*_storage);
}

Array Array::deepCopy() const
{
    std::vector<Value> copied;
    copied.reserve(_storage->size());
    for (const Value& entry : *_storage) {
        if (auto array = entry.asArray())
            copied.emplace_back(array->deepCopy());
        else if (auto dictionary = entry.asDictionary())
            copied.emplace_back(dictionary->deepCopy());
        else
            copied.push_back(entry);
    }
    return Array(std::move(copied));
}

const std::vector<Value>& Array::values() const
{
    return *_storage;
}
std::vector<Value>& Array::values()
{
    return *_storage;
}
std::vector<Value>::const_iterator Array::begin() const
{
    return _storage->cbegin();
}
std::vector<Value>::const_iterator Array::end() const
{
    return _storage->cend();
}

bool operator==(const Array& left, const Array& right)
{
    return left._storage.get() == right._storage.get() || *left._storage == *right._storage;
}

// Dictionary

Dictionary::Dictionary()
    : _storage(std::make_shared<Storage>())
{
}

size_t Dictionary::count() const
{
    return _storage->size();
}

bool Dictionary::contains(std::string_view key) const
{
    return _storage->find(key) != _storage->end();
}

Value Dictionary::get(std::string_view key) const
{
    const Value* found = find(key);
    return found ? *found : Value();
}

const Value* Dictionary::find(std::string_view key) const
{
    auto found = _storage->find(key);
    return found == _storage->end() ? nullptr : &found->second;
}

std::optional<std::string> Dictionary::getString(std::string_view key) const
{
    const Value* found = find(key);
    if (found && found->isString())
        return *found->asString();
    return std::nullopt;
}

std::optional<int64_t> Dictionary::getInt64(std::string_view key) const
{
    const Value* found = find(key);
    return found ? found->int64Value() : std::nullopt;
}

std::optional<double> Dictionary::getDouble(std::string_view key) const
{
    const Value* found = find(key);
    return found ? found->doubleValue() : std::nullopt;
}

std::optional<bool> Dictionary::getBool(std::string_view key) const
{
    const Value* found = find(key);
    return found ? found->boolValue() : std::nullopt;
}

std::optional<Data> Dictionary::getData(std::string_view key) const
{
    const Value* found = find(key);
    if (found && found->isData())
        return *found->asData();
    return std::nullopt;
}

std::optional<Date> Dictionary::getDate(std::string_view key) const
{
    const Value* found = find(key);
    return found ? found->asDate() : std::nullopt;
}

std::optional<Array> Dictionary::getArray(std::string_view key) const
{
    const Value* found = find(key);
    return found ? found->asArray() : std::nullopt;
}

std::optional<Dictionary> Dictionary::getDictionary(std::string_view key) const
{
    const Value* found = find(key);
    return found ? found->asDictionary() : std::nullopt;
}

void Dictionary::set(std::string key, Value value)
{
    if (value.isNull()) {
        remove(key);
        return;
    }
    (*_storage)[std::move(key)] = std::move(value);
}

void Dictionary::setKeepingNull(std::string key, Value value)
{
    (*_storage)[std::move(key)] = std::move(value);
}

void Dictionary::remove(std::string_view key)
{
    auto found = _storage->find(key);
    if (found != _storage->end())
        _storage->erase(found);
}

void Dictionary::removeAll()
{
    _storage->clear();
}

std::vector<std::string> Dictionary::keys() const
{
    std::vector<std::string> result;
    result.reserve(_storage->size());
    for (const auto& entry : *_storage)
        result.push_back(entry.first);
    return result;
}

Dictionary Dictionary::copy() const
{
    Dictionary result;
    *result._storage = *_storage;
    return result;
}

Dictionary Dictionary::deepCopy() const
{
    Dictionary result;
    for (const auto& [key, entry] : *_storage) {
        if (auto array = entry.asArray())
            result._storage->emplace(key, array->deepCopy());
        else if (auto dictionary = entry.asDictionary())
            result._storage->emplace(key, dictionary->deepCopy());
        else
            result._storage->emplace(key, entry);
    }
    return result;
}

const Dictionary::Storage& Dictionary::entries() const
{
    return *_storage;
}
Dictionary::Storage::const_iterator Dictionary::begin() const
{
    return _storage->cbegin();
}
Dictionary::Storage::const_iterator Dictionary::end() const
{
    return _storage->cend();
}

bool operator==(const Dictionary& left, const Dictionary& right)
{
    return left._storage.get() == right._storage.get() || *left._storage == *right._storage;
}

// Value

bool Value::isNumber() const
{
    Type t = type();
    return t == Type::Boolean || t == Type::Integer || t == Type::Real;
}

std::optional<bool> Value::boolValue() const
{
    switch (type()) {
    case Type::Boolean:
        return std::get<bool>(_storage);
    case Type::Integer:
        return std::get<IntegerBits>(_storage).bits != 0;
    case Type::Real:
        return std::get<double>(_storage) != 0.0;
    default:
        return std::nullopt;
    }
}

std::optional<int64_t> Value::int64Value() const
{
    switch (type()) {
    case Type::Boolean:
        return std::get<bool>(_storage) ? 1 : 0;
    case Type::Integer: {
        const IntegerBits& integer = std::get<IntegerBits>(_storage);
        return integer.isUnsigned ? std::numeric_limits<int64_t>::max() : integer.bits;
    }
    case Type::Real:
        return saturatingInt64(std::get<double>(_storage));
    default:
        return std::nullopt;
    }
}

std::optional<uint64_t> Value::uint64Value() const
{
    switch (type()) {
    case Type::Boolean:
        return std::get<bool>(_storage) ? 1 : 0;
    case Type::Integer: {
        const IntegerBits& integer = std::get<IntegerBits>(_storage);
        if (!integer.isUnsigned && integer.bits < 0)
            return std::nullopt;
        return static_cast<uint64_t>(integer.bits);
    }
    default:
        return std::nullopt;
    }
}

std::optional<double> Value::doubleValue() const
{
    switch (type()) {
    case Type::Boolean:
        return std::get<bool>(_storage) ? 1.0 : 0.0;
    case Type::Integer: {
        const IntegerBits& integer = std::get<IntegerBits>(_storage);
        return integer.isUnsigned ? static_cast<double>(static_cast<uint64_t>(integer.bits))
                                  : static_cast<double>(integer.bits);
    }
    case Type::Real:
        return std::get<double>(_storage);
    default:
        return std::nullopt;
    }
}

std::optional<Date> Value::asDate() const
{
    if (const Date* date = std::get_if<Date>(&_storage))
        return *date;
    return std::nullopt;
}

std::optional<Array> Value::asArray() const
{
    if (const Array* array = std::get_if<Array>(&_storage))
        return *array;
    return std::nullopt;
}

std::optional<Dictionary> Value::asDictionary() const
{
    if (const Dictionary* dictionary = std::get_if<Dictionary>(&_storage))
        return *dictionary;
    return std::nullopt;
}

std::shared_ptr<Coding> Value::asObject() const
{
    if (const auto* object = std::get_if<std::shared_ptr<Coding>>(&_storage))
        return *object;
    return nullptr;
}

bool operator==(const Value& left, const Value& right)
{
    if (left.isNumber() && right.isNumber()) {
        if (left.isReal() || right.isReal())
            return *left.doubleValue() == *right.doubleValue();
        auto bitsOf = [](const Value& number) {
            if (const bool* flag = std::get_if<bool>(&number._storage))
                return Value::IntegerBits {*flag ? 1 : 0, false};
            return std::get<Value::IntegerBits>(number._storage);
        };
        return bitsOf(left) == bitsOf(right);
    }
    return left._storage == right._storage;
}

std::string Value::debugDescription() const
{
    std::string out;
    appendDescription(*this, out, 0);
    return out;
}

const char* typeName(Value::Type type)
{
    switch (type) {
    case Value::Type::Null:
        return "null";
    case Value::Type::Boolean:
        return "boolean";
    case Value::Type::Integer:
        return "integer";
    case Value::Type::Real:
        return "real";
    case Value::Type::String:
        return "string";
    case Value::Type::Bytes:
        return "data";
    case Value::Type::Date:
        return "date";
    case Value::Type::Array:
        return "array";
    case Value::Type::Dictionary:
        return "dictionary";
    case Value::Type::Object:
        return "object";
    }
    return "unknown";
}

}  // namespace plat
