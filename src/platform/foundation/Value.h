#pragma once
#include <concepts>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "platform/foundation/Date.h"

namespace plat {

// The platform's "not found" index: the largest signed 64-bit value.
inline constexpr int64_t kNotFound = std::numeric_limits<int64_t>::max();

using Data = std::vector<std::uint8_t>;

class Value;
class Coding;

// An ordered list of values with reference semantics: copies of an Array
// share one container, as references to a mutable array do on the platform.
// Use copy() for a new container. Not synchronised: one queue at a time.
class Array {
public:
    Array();
    Array(std::initializer_list<Value> values);
    explicit Array(std::vector<Value> values);

    size_t count() const;
    bool empty() const { return count() == 0; }

    // Value at index; a programmer error (abort) when out of range.
    const Value& at(size_t index) const;
    Value& at(size_t index);
    const Value& front() const { return at(0); }
    const Value& back() const { return at(count() - 1); }

    void append(Value value);
    void insert(size_t index, Value value);
    void set(size_t index, Value value);
    void removeAt(size_t index);
    void removeAll();

    // Index of the first entry equal to value, or kNotFound.
    int64_t indexOf(const Value& value) const;
    bool contains(const Value& value) const { return indexOf(value) != kNotFound; }

    // A new container holding the same entries (nested containers still shared).
    Array copy() const;
    // A new container with every nested array and dictionary copied too.
    Array deepCopy() const;
    bool isSameContainer(const Array& other) const { return _storage.get() == other._storage.get(); }

    const std::vector<Value>& values() const;
    std::vector<Value>& values();
    std::vector<Value>::const_iterator begin() const;
    std::vector<Value>::const_iterator end() const;

    // Deep comparison of the contents.
    friend bool operator==(const Array& left, const Array& right);

private:
    std::shared_ptr<std::vector<Value>> _storage;
};

// String-keyed dictionary with reference semantics (see Array). Keys are kept
// sorted, which makes written property lists stable.
class Dictionary {
public:
    using Storage = std::map<std::string, Value, std::less<>>;

    Dictionary();
    // Value is still incomplete here; the template defers the pair type to use.
    template <typename Entry = Value> Dictionary(std::initializer_list<std::pair<const std::string, Entry>> entries);

    size_t count() const;
    bool empty() const { return count() == 0; }
    bool contains(std::string_view key) const;

    // The value for key, or a null Value when absent.
    Value get(std::string_view key) const;
    // Pointer to the stored value, or nullptr; valid until the dictionary changes.
    const Value* find(std::string_view key) const;

    // Typed look-ups for lenient readers: empty when absent or of another type.
    std::optional<std::string> getString(std::string_view key) const;
    std::optional<int64_t> getInt64(std::string_view key) const;  // any number
    std::optional<double> getDouble(std::string_view key) const;  // any number
    std::optional<bool> getBool(std::string_view key) const;  // any number
    std::optional<Data> getData(std::string_view key) const;
    std::optional<Date> getDate(std::string_view key) const;
    std::optional<Array> getArray(std::string_view key) const;
    std::optional<Dictionary> getDictionary(std::string_view key) const;

    // Setting a null Value removes the key, as the platform's setValue:forKey: does with nil.
    void set(std::string key, Value value);
    // Stores even a null Value: JSON's null is an entry of its own, not an absent key.
    void setKeepingNull(std::string key, Value value);
    void remove(std::string_view key);
    void removeAll();
    std::vector<std::string> keys() const;

    Dictionary copy() const;
    Dictionary deepCopy() const;
    bool isSameContainer(const Dictionary& other) const { return _storage.get() == other._storage.get(); }

    const Storage& entries() const;
    Storage::const_iterator begin() const;
    Storage::const_iterator end() const;

    friend bool operator==(const Dictionary& left, const Dictionary& right);

private:
    std::shared_ptr<Storage> _storage;
};

// A property-list value, or an archivable object (for keyed archives only).
// Scalars are values; arrays and dictionaries are shared containers.
class Value {
public:
    // Bytes is the data type (the name Data is taken by the byte vector).
    enum class Type { Null, Boolean, Integer, Real, String, Bytes, Date, Array, Dictionary, Object };

    Value() = default;
    Value(std::nullptr_t) { }
    Value(bool value)
        : _storage(value)
    {
    }
    // Unsigned 64-bit values past INT64_MAX are kept exactly, as the
    // platform's numbers keep them; every other integer is signed 64-bit.
    template <std::integral Integer>
    requires(!std::same_as<Integer, bool>) Value(Integer value)
        : _storage(IntegerBits::of(value))
    {
    }
    Value(float value)
        : _storage(static_cast<double>(value))
    {
    }
    Value(double value)
        : _storage(value)
    {
    }
    Value(const char* value)
        : _storage(std::string(value))
    {
    }
    Value(std::string_view value)
        : _storage(std::string(value))
    {
    }
    Value(std::string value)
        : _storage(std::move(value))
    {
    }
    Value(plat::Data value)
        : _storage(std::move(value))
    {
    }
    Value(plat::Date value)
        : _storage(value)
    {
    }
    Value(plat::Array value)
        : _storage(std::move(value))
    {
    }
    Value(plat::Dictionary value)
        : _storage(std::move(value))
    {
    }
    // Any archivable object; Coding must be complete where this is used.
    template <typename Object>
    requires std::derived_from<Object, Coding> Value(std::shared_ptr<Object> object)
        : _storage(std::shared_ptr<Coding>(std::move(object)))
    {
    }

    Type type() const { return static_cast<Type>(_storage.index()); }
    bool isNull() const { return type() == Type::Null; }
    bool isNumber() const;
    bool isBoolean() const { return type() == Type::Boolean; }
    bool isInteger() const { return type() == Type::Integer; }
    bool isReal() const { return type() == Type::Real; }
    bool isString() const { return type() == Type::String; }
    bool isData() const { return type() == Type::Bytes; }
    bool isDate() const { return type() == Type::Date; }
    bool isArray() const { return type() == Type::Array; }
    bool isDictionary() const { return type() == Type::Dictionary; }
    bool isObject() const { return type() == Type::Object; }

    // Numbers convert among themselves as the platform's number objects do:
    // reals truncate towards zero (saturating; NaN gives 0), booleans are 0 or 1.
    // An unsigned integer past INT64_MAX gives INT64_MAX rather than a
    // wrapped negative number.
    std::optional<bool> boolValue() const;
    std::optional<int64_t> int64Value() const;
    std::optional<double> doubleValue() const;
    // The exact value of a boolean or an integer that is not negative; empty
    // for negative integers and everything else.
    std::optional<uint64_t> uint64Value() const;

    // nullptr when the value has another type.
    const std::string* asString() const { return std::get_if<std::string>(&_storage); }
    const plat::Data* asData() const { return std::get_if<plat::Data>(&_storage); }
    std::optional<plat::Date> asDate() const;
    std::optional<plat::Array> asArray() const;
    std::optional<plat::Dictionary> asDictionary() const;
    std::shared_ptr<Coding> asObject() const;
    template <typename T> std::shared_ptr<T> asObjectOf() const { return std::dynamic_pointer_cast<T>(asObject()); }

    // Deep equality; numbers compare by value across types (1 == 1.0 == true),
    // objects by identity.
    friend bool operator==(const Value& left, const Value& right);

    // A short readable rendering for logs and test failures.
    std::string debugDescription() const;

private:
    // An integer's bits, and whether they are an unsigned value past
    // INT64_MAX. Only such values are marked, so equal integers have equal bits.
    struct IntegerBits {
        int64_t bits = 0;
        bool isUnsigned = false;

        template <typename Integer> static constexpr IntegerBits of(Integer value)
        {
            if constexpr (std::is_unsigned_v<Integer> && sizeof(Integer) >= sizeof(int64_t)) {
                if (value > static_cast<Integer>(std::numeric_limits<int64_t>::max()))
                    return {static_cast<int64_t>(value), true};
            }
            return {static_cast<int64_t>(value), false};
        }
        friend bool operator==(const IntegerBits&, const IntegerBits&) = default;
    };

    std::variant<std::monostate, bool, IntegerBits, double, std::string, plat::Data, plat::Date, plat::Array,
        plat::Dictionary, std::shared_ptr<Coding>>
        _storage;
};

const char* typeName(Value::Type type);

template <typename Entry>
Dictionary::Dictionary(std::initializer_list<std::pair<const std::string, Entry>> entries)
    : Dictionary()
{
    for (const auto& [key, value] : entries)
        set(key, value);
}

}  // namespace plat
