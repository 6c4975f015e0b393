#pragma once
#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/foundation/Value.h"
#include "web/JCKeyHash.h"

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
    bool release() const
    {
        // A sole owner needs no atomic decrement: no other thread holds a
        // reference it could copy or drop meanwhile. Most decoded objects
        // have one owner, and a tree dies object by object.
        if (_referenceCount.load(std::memory_order_acquire) == 1)
            return true;
        return _referenceCount.fetch_sub(1, std::memory_order_acq_rel) == 1;
    }

protected:
    ~JCObject() = default;

private:
    mutable std::atomic<uint64_t> _referenceCount {1};
};

class JCArena;

// Whether a string's bytes are known to be well-formed UTF-8 (the decoder
// makes only such strings), which lets the serializer copy them unchecked.
enum class Utf8Form : uint8_t { Unchecked, WellFormed };

// Whether bytes are well-formed UTF-8, whatever code points they carry.
bool isWellFormedUtf8(std::string_view bytes);

// An immutable UTF-8 string in one block: header, bytes, a NUL.
class JCString final : public JCObject {
public:
    // In arena when given, else on the heap; nullptr when memory runs out.
    static JCString* make(const char* bytes, size_t length, Utf8Form form, JCArena* arena = nullptr);
    static void destroy(JCString* string);

    size_t length() const { return _length; }
    const char* bytes() const { return reinterpret_cast<const char*>(this + 1); }
    std::string_view view() const { return {bytes(), _length}; }
    bool isWellFormedUtf8() const { return _form == Utf8Form::WellFormed; }

private:
    JCString(size_t length, Utf8Form form, JCArena* arena)
        : _length(length)
        , _arena(arena)
        , _form(form)
    {
    }
    ~JCString() = default;
    size_t _length;
    JCArena* _arena;
    Utf8Form _form;
};

[[noreturn]] void raiseWrongValueType(const char* expected);

}  // namespace detail

// One JSONCore value: null, a boolean, a signed or unsigned 64-bit integer,
// a double, a string, or a reference to a shared array or dictionary. Copies
// share the object, as references do on the platform; arrays and dictionaries
// are made by the decoder only. Strings of up to kInlineStringCapacity bytes
// live in the value itself, as the platform keeps short strings in tagged
// pointers; longer ones are shared objects. 16 bytes, so containers stay
// compact. The decoder's JCArray and JCDictionary stand where the platform
// would hand out its own containers; toValue() gives the same tree as
// platform values, and the serializer writes either kind of tree.
// Thread: as the objects it refers to (one thread at a time while mutable).
class JCValue {
public:
    enum class Type : uint8_t { Null, Boolean, Integer, UnsignedInteger, Real, String, Array, Dictionary };
    static constexpr size_t kInlineStringCapacity = 14;

    JCValue() noexcept = default;
    JCValue(std::nullptr_t) noexcept
        : JCValue()
    {
    }
    JCValue(bool value) noexcept
        : _payload(value ? 1 : 0)
        , _meta(metaOf(kBoolean))
    {
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
        : _payload(other._payload)
        , _meta(other._meta)
    {
        if (holdsObject())
            object()->retain();
    }
    JCValue(JCValue&& other) noexcept
        : _payload(other._payload)
        , _meta(other._meta)
    {
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
            _payload = other._payload;
            _meta = other._meta;
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
        std::swap(_payload, other._payload);
        std::swap(_meta, other._meta);
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
            return std::string_view(reinterpret_cast<const char*>(&_payload), inlineLength());
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
    static JCValue adoptArray(JCArray* array) noexcept
    {
        JCValue value;
        value.assignWords(reinterpret_cast<uintptr_t>(array), metaOf(kArray));
        return value;
    }
    static JCValue adoptDictionary(JCDictionary* dictionary) noexcept
    {
        JCValue value;
        value.assignWords(reinterpret_cast<uintptr_t>(dictionary), metaOf(kDictionary));
        return value;
    }
    // A string of at most kInlineStringCapacity bytes, held in the value.
    __attribute__((always_inline)) static JCValue inlineString(
        const char* bytes, size_t length, detail::Utf8Form form) noexcept
    {
        char padded[16] = {};
        std::memcpy(padded, bytes, length);
        return inlineStringFromPadded(padded, length, form);
    }
    // The same, reading 16 bytes from bytes (all of which must be readable).
    __attribute__((always_inline)) static JCValue inlineStringFromPadded(
        const char* bytes, size_t length, detail::Utf8Form form) noexcept
    {
        JCValue value;
        std::memcpy(&value._payload, bytes, sizeof value._payload);
        uint64_t rest;
        std::memcpy(&rest, bytes + sizeof value._payload, sizeof rest);
        constexpr uint64_t kBytesBelowLength = (uint64_t(1) << kLengthShift) - 1;
        value._meta = (rest & kBytesBelowLength) | static_cast<uint64_t>(lengthByte(length, form)) << kLengthShift
            | metaOf(kInlineString);
        return value;
    }
    // For the decoder: replace this value in place. Writing both words here,
    // rather than moving a temporary in, lets the processor forward them to
    // the next read.
    __attribute__((always_inline)) void assignInlineStringFromPadded(
        const char* bytes, size_t length, detail::Utf8Form form) noexcept
    {
        uint64_t first;
        uint64_t rest;
        std::memcpy(&first, bytes, sizeof first);
        std::memcpy(&rest, bytes + sizeof first, sizeof rest);
        constexpr uint64_t kBytesBelowLength = (uint64_t(1) << kLengthShift) - 1;
        assignWords(first,
            (rest & kBytesBelowLength) | static_cast<uint64_t>(lengthByte(length, form)) << kLengthShift
                | metaOf(kInlineString));
    }
    void assignInteger(int64_t value) noexcept { assignWords(static_cast<uint64_t>(value), metaOf(kInteger)); }
    void assignUnsignedInteger(uint64_t value) noexcept
    {
        assignWords(value, metaOf(value > static_cast<uint64_t>(INT64_MAX) ? kUnsignedInteger : kInteger));
    }
    void assignReal(double value) noexcept
    {
        uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        assignWords(bits, metaOf(kReal));
    }
    void assignBoolean(bool value) noexcept { assignWords(value ? 1 : 0, metaOf(kBoolean)); }
    void assignNull() noexcept { assignWords(0, 0); }
    // Takes over one reference to the container.
    void assignArray(JCArray* array) noexcept { assignWords(reinterpret_cast<uintptr_t>(array), metaOf(kArray)); }
    void assignDictionary(JCDictionary* dictionary) noexcept
    {
        assignWords(reinterpret_cast<uintptr_t>(dictionary), metaOf(kDictionary));
    }

    // A string held in the value: its bytes are the first of the value's 16.
    bool isInlineString() const { return tag() == kInlineString; }
    // A string whose bytes are known to be well-formed UTF-8.
    bool isWellFormedUtf8String() const
    {
        if (tag() == kInlineString)
            return ((_meta >> kLengthShift) & kWellFormedBit) != 0;
        return tag() == kString && static_cast<const detail::JCString*>(object())->isWellFormedUtf8();
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
    bool booleanPayload() const { return _payload != 0; }

private:
    // Two words, each written and read whole. The payload (a number, a
    // boolean or an object pointer) is the first; the second holds the tag in
    // its top byte. An inline string runs from the first byte of the first
    // word through the sixth of the second, whose seventh byte is its length.
    static constexpr int kTagShift = 56;
    static constexpr int kLengthShift = 48;
    // The length byte of an inline string also says whether it is known UTF-8.
    static constexpr unsigned char kLengthMask = 0x7F;
    static constexpr unsigned char kWellFormedBit = 0x80;
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
    static constexpr uint64_t metaOf(Tag tag) { return static_cast<uint64_t>(tag) << kTagShift; }
    static unsigned char lengthByte(size_t length, detail::Utf8Form form)
    {
        return static_cast<unsigned char>(length | (form == detail::Utf8Form::WellFormed ? kWellFormedBit : 0));
    }

    JCValue(Tag tag, const detail::JCObject* object) noexcept
        : _payload(reinterpret_cast<uintptr_t>(object))
        , _meta(metaOf(tag))
    {
    }
    void clear() noexcept
    {
        _payload = 0;
        _meta = 0;
    }
    void assignWords(uint64_t payload, uint64_t meta) noexcept
    {
        if (holdsObject())
            releaseObject();
        _payload = payload;
        _meta = meta;
    }
    uint8_t tag() const { return static_cast<uint8_t>(_meta >> kTagShift); }
    size_t inlineLength() const { return (_meta >> kLengthShift) & kLengthMask; }
    bool holdsObject() const { return tag() >= kString && tag() <= kDictionary; }
    uint64_t word() const { return _payload; }
    void setWord(uint64_t value, Tag tag) noexcept
    {
        _payload = value;
        _meta = metaOf(tag);
    }
    const detail::JCObject* object() const { return reinterpret_cast<const detail::JCObject*>(word()); }
    void releaseObject() noexcept;

    uint64_t _payload = 0;
    uint64_t _meta = 0;
};

static_assert(sizeof(JCValue) == 16);
static_assert(std::endian::native == std::endian::little, "inline strings assume little-endian words");

}  // namespace zt
