#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/foundation/Value.h"

namespace zt {
class JCArray;
class JCDictionary;

namespace detail {

// The reference count of JSONCore's heap objects (strings, arrays,
// dictionaries). Atomic because a decoder's cache keeps references to the
// strings its results share, and results may move on to another thread.
class JCObject {
public:
    JCObject() = default;
    JCObject(const JCObject&) = delete;
    JCObject& operator=(const JCObject&) = delete;

    void retain() const { _referenceCount.fetch_add(1, std::memory_order_relaxed); }
    // True when the caller dropped the last reference and must destroy the object.
    bool release() const { return _referenceCount.fetch_sub(1, std::memory_order_acq_rel) == 1; }

protected:
    ~JCObject() = default;

private:
    mutable std::atomic<uint64_t> _referenceCount {1};
};

class JCArena;

// An immutable UTF-8 string in one block: header, bytes, a NUL.
class JCString final : public JCObject {
public:
    // In arena when given, else on the heap; nullptr when memory runs out.
    static JCString* make(const char* bytes, size_t length, JCArena* arena = nullptr);
    static void destroy(JCString* string);

    size_t length() const { return _length; }
    const char* bytes() const { return reinterpret_cast<const char*>(this + 1); }
    std::string_view view() const { return {bytes(), _length}; }

private:
    JCString(size_t length, JCArena* arena)
        : _length(length)
        , _arena(arena)
    {
    }
    ~JCString() = default;
    size_t _length;
    JCArena* _arena;
};

// The string hash of the decoder's cache, over UTF-8 bytes.
inline constexpr uint64_t kStringHashSeed = 1402737925;
inline uint64_t stringHashStep(uint64_t hash, uint8_t byte)
{
    return (hash * 33 + byte - 29) ^ (hash >> 19);
}

// Hash of a dictionary key: the string hash folded to 32 bits, which lets
// the table find a slot without dividing.
inline uint64_t keyHashFromStringHash(uint64_t hash)
{
    return (hash ^ (hash >> 32)) & 0xFFFFFFFFu;
}
uint64_t jcKeyHash(std::string_view key);

[[noreturn]] void raiseWrongValueType(const char* expected);

}  // namespace detail

// One JSONCore value: null, a boolean, a signed or unsigned 64-bit integer,
// a double, a string, or a reference to a shared array or dictionary. Copies
// share the object, as references do on the platform; arrays and dictionaries
// are made by the decoder only. Strings of up to kInlineStringCapacity bytes
// live in the value itself, as the platform keeps short strings in tagged
// pointers; longer ones are shared objects. 16 bytes, so containers stay
// compact. Thread: as the objects it refers to (one thread at a time while
// mutable).
class JCValue {
public:
    enum class Type : uint8_t { Null, Boolean, Integer, UnsignedInteger, Real, String, Array, Dictionary };
    static constexpr size_t kInlineStringCapacity = 14;

    JCValue() noexcept { clear(); }
    JCValue(std::nullptr_t) noexcept
        : JCValue()
    {
    }
    JCValue(bool value) noexcept
    {
        clear();
        _raw[0] = value ? 1 : 0;
        _raw[kTagByte] = kBoolean;
    }
    template <typename Integer>
    requires(std::is_integral_v<Integer> && !std::is_same_v<Integer, bool>) JCValue(Integer value)
    noexcept
    {
        if constexpr (std::is_signed_v<Integer>) {
            setWord(static_cast<uint64_t>(static_cast<int64_t>(value)), kInteger);
        } else if (static_cast<uint64_t>(value) > static_cast<uint64_t>(INT64_MAX)) {
            setWord(static_cast<uint64_t>(value), kUnsignedInteger);
        } else {
            setWord(static_cast<uint64_t>(value), kInteger);
        }
    }
    JCValue(double value) noexcept
    {
        uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        setWord(bits, kReal);
    }
    JCValue(const char* value)
        : JCValue(std::string_view(value))
    {
    }
    JCValue(const std::string& value)
        : JCValue(std::string_view(value))
    {
    }
    JCValue(std::string_view value);

    JCValue(const JCValue& other) noexcept
    {
        std::memcpy(_raw, other._raw, sizeof _raw);
        if (holdsObject())
            object()->retain();
    }
    JCValue(JCValue&& other) noexcept
    {
        std::memcpy(_raw, other._raw, sizeof _raw);
        other.clear();
    }
    JCValue& operator=(const JCValue& other) noexcept
    {
        JCValue copy(other);
        swap(copy);
        return *this;
    }
    JCValue& operator=(JCValue&& other) noexcept
    {
        if (this != &other) {
            if (holdsObject())
                releaseObject();
            std::memcpy(_raw, other._raw, sizeof _raw);
            other.clear();
        }
        return *this;
    }
    ~JCValue()
    {
        if (holdsObject())
            releaseObject();
    }
    void swap(JCValue& other) noexcept
    {
        unsigned char temporary[sizeof _raw];
        std::memcpy(temporary, _raw, sizeof _raw);
        std::memcpy(_raw, other._raw, sizeof _raw);
        std::memcpy(other._raw, temporary, sizeof _raw);
    }

    Type type() const { return tag() == kInlineString ? Type::String : static_cast<Type>(tag()); }
    bool isNull() const { return tag() == kNull; }
    bool isBoolean() const { return tag() == kBoolean; }
    bool isNumber() const { return tag() >= kBoolean && tag() <= kReal; }
    bool isString() const { return tag() == kString || tag() == kInlineString; }
    bool isArray() const { return tag() == kArray; }
    bool isDictionary() const { return tag() == kDictionary; }

    // Numbers convert among themselves as plat::Value's numbers do (reals
    // truncate and saturate; booleans are 0 or 1); empty for other types.
    std::optional<bool> boolValue() const;
    std::optional<int64_t> int64Value() const;
    std::optional<uint64_t> uint64Value() const;
    std::optional<double> doubleValue() const;

    // Empty when the value is not a string. Valid while this value (or, for
    // a long string, any value sharing its object) lives unchanged.
    std::optional<std::string_view> stringValue() const
    {
        if (tag() == kInlineString)
            return std::string_view(reinterpret_cast<const char*>(_raw), _raw[kLengthByte]);
        if (tag() == kString)
            return static_cast<const detail::JCString*>(object())->view();
        return std::nullopt;
    }
    // The shared container, or nullptr when the value holds something else.
    JCArray* asArray() const { return tag() == kArray ? reinterpret_cast<JCArray*>(word()) : nullptr; }
    JCDictionary* asDictionary() const
    {
        return tag() == kDictionary ? reinterpret_cast<JCDictionary*>(word()) : nullptr;
    }

    // The container of a value that holds one; anything else is a programmer error.
    JCArray& arrayRef() const
    {
        if (tag() != kArray)
            detail::raiseWrongValueType("an array");
        return *reinterpret_cast<JCArray*>(word());
    }
    JCDictionary& dictionaryRef() const
    {
        if (tag() != kDictionary)
            detail::raiseWrongValueType("a dictionary");
        return *reinterpret_cast<JCDictionary*>(word());
    }

    // Both refer to the one string, array or dictionary object; inline
    // strings, like tagged pointers, are the same when their bytes are.
    bool isSameObject(const JCValue& other) const;

    // The same tree as platform values (a deep copy). Unsigned integers above
    // the signed 64-bit range become reals, the nearest that plat::Value holds.
    plat::Value toValue() const;

    // Deep equality; numbers compare by value across types (1 == 1.0 == true).
    friend bool operator==(const JCValue& left, const JCValue& right);

    // A short readable rendering for logs and test failures.
    std::string debugDescription() const;

    // For the decoder and the containers.
    static JCValue adoptString(detail::JCString* string) noexcept { return JCValue(kString, string); }
    static JCValue adoptArray(JCArray* array) noexcept;
    static JCValue adoptDictionary(JCDictionary* dictionary) noexcept;
    // A string of at most kInlineStringCapacity bytes, held in the value.
    static JCValue inlineString(const char* bytes, size_t length) noexcept
    {
        JCValue value;
        std::memcpy(value._raw, bytes, length);
        value._raw[kLengthByte] = static_cast<unsigned char>(length);
        value._raw[kTagByte] = kInlineString;
        return value;
    }
    // The same, reading 16 bytes from bytes (all of which must be readable).
    static JCValue inlineStringFromPadded(const char* bytes, size_t length) noexcept
    {
        JCValue value;
        std::memcpy(value._raw, bytes, sizeof value._raw);
        value._raw[kLengthByte] = static_cast<unsigned char>(length);
        value._raw[kTagByte] = kInlineString;
        return value;
    }
    // The identity the serializer's cache uses: the object, or nullptr for
    // scalars and inline strings.
    const void* objectIdentity() const { return holdsObject() ? object() : nullptr; }
    int64_t integerPayload() const { return static_cast<int64_t>(word()); }
    uint64_t unsignedPayload() const { return word(); }
    double realPayload() const
    {
        const uint64_t bits = word();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    bool booleanPayload() const { return _raw[0] != 0; }

private:
    // Byte 15 is the tag; an inline string keeps its length in byte 14 and
    // its bytes from byte 0; everything else keeps its payload in bytes 0-7.
    static constexpr size_t kLengthByte = 14;
    static constexpr size_t kTagByte = 15;
    enum Tag : uint8_t {
        kNull = 0,  // all-zero bytes are null, so zero-filled stores hold nulls
        kBoolean,
        kInteger,
        kUnsignedInteger,
        kReal,
        kString,  // a shared JCString
        kArray,
        kDictionary,
        kInlineString,
    };

    JCValue(Tag tag, const detail::JCObject* object) noexcept { setWord(reinterpret_cast<uintptr_t>(object), tag); }
    void clear() noexcept { std::memset(_raw, 0, sizeof _raw); }
    uint8_t tag() const { return _raw[kTagByte]; }
    bool holdsObject() const { return tag() >= kString && tag() <= kDictionary; }
    uint64_t word() const
    {
        uint64_t value;
        std::memcpy(&value, _raw, sizeof value);
        return value;
    }
    void setWord(uint64_t value, Tag tag) noexcept
    {
        clear();
        std::memcpy(_raw, &value, sizeof value);
        _raw[kTagByte] = tag;
    }
    const detail::JCObject* object() const { return reinterpret_cast<const detail::JCObject*>(word()); }
    void releaseObject() noexcept;

    alignas(8) unsigned char _raw[16];
};

static_assert(sizeof(JCValue) == 16);

}  // namespace zt
