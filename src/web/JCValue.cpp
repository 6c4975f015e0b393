#include "web/JCValue.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <new>
#include <random>

#include "web/JCArena.h"
#include "web/JCArray.h"
#include "web/JCDictionary.h"
#include "web/JCInternal.h"

namespace zt {

namespace detail {

JCString* JCString::make(const char* bytes, size_t length, Utf8Form form, JCArena* arena)
{
    const size_t size = sizeof(JCString) + length + 1;
    void* memory = arena != nullptr ? arena->allocateObject(size) : std::malloc(size);
    if (memory == nullptr)
        return nullptr;
    auto* string = new (memory) JCString(length, form, arena);
    char* storage = reinterpret_cast<char*>(string + 1);
    if (length != 0)
        std::memcpy(storage, bytes, length);
    storage[length] = '\0';
    return string;
}

void JCString::destroy(JCString* string)
{
    JCArena* arena = string->_arena;
    string->~JCString();
    if (arena != nullptr)
        arena->objectDied();
    else
        std::free(string);
}

void raiseWrongValueType(const char* expected)
{
    raiseJCException("NSInvalidArgumentException", std::string("JCValue does not hold ") + expected);
}

namespace {

// Spreads one seed into two odd words.
KeyHashSecret makeSecret(uint64_t seed)
{
    uint64_t state = seed;
    auto next = [&state] {
        state += 0x9E3779B97F4A7C15ull;
        uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return (z ^ (z >> 31)) | 1;
    };
    const uint64_t first = next();
    return {first, next()};
}

}  // namespace

KeyHashSecret chooseKeyHashSecret()
{
    std::random_device device;
    return makeSecret((static_cast<uint64_t>(device()) << 32) ^ device());
}

void setKeyHashSecretForTesting(uint64_t seed)
{
    const KeyHashSecret secret = makeSecret(seed);
    KeyHashSecretStore& store = keyHashSecretStore();  // chosen first, so that it cannot overwrite this one
    store.first.store(secret.first, std::memory_order_relaxed);
    store.second.store(secret.second, std::memory_order_relaxed);
}

}  // namespace detail

JCValue::JCValue(std::string_view value)
{
    const detail::Utf8Form form
        = detail::isWellFormedUtf8(value) ? detail::Utf8Form::WellFormed : detail::Utf8Form::Unchecked;
    if (value.size() <= kInlineStringCapacity) {
        *this = inlineString(value.data(), value.size(), form);
        return;
    }
    detail::JCString* string = detail::JCString::make(value.data(), value.size(), form);
    if (string == nullptr)
        throw std::bad_alloc();
    setWord(reinterpret_cast<uintptr_t>(string), kString);
}

void JCValue::releaseObject() noexcept
{
    if (!object()->release())
        return;
    switch (tag()) {
    case kString:
        detail::JCString::destroy(reinterpret_cast<detail::JCString*>(word()));
        break;
    case kArray: {
        const detail::JCArena::DeathBatch batch;
        JCArray::destroy(reinterpret_cast<JCArray*>(word()));
        break;
    }
    case kDictionary: {
        const detail::JCArena::DeathBatch batch;
        JCDictionary::destroy(reinterpret_cast<JCDictionary*>(word()));
        break;
    }
    default:
        break;
    }
}

bool JCValue::isSameObject(const JCValue& other) const
{
    if (tag() == kInlineString)
        return other.tag() == kInlineString && *stringValue() == *other.stringValue();
    return holdsObject() && tag() == other.tag() && word() == other.word();
}

std::optional<bool> JCValue::boolValue() const
{
    switch (type()) {
    case Type::Boolean:
        return booleanPayload();
    case Type::Integer:
        return integerPayload() != 0;
    case Type::UnsignedInteger:
        return unsignedPayload() != 0;
    case Type::Real:
        return realPayload() != 0;
    default:
        return std::nullopt;
    }
}

namespace {

template <typename Integer> Integer saturatingFromDouble(double value)
{
    if (std::isnan(value))
        return 0;
    if (value <= static_cast<double>(std::numeric_limits<Integer>::min()))
        return std::numeric_limits<Integer>::min();
    if (value >= static_cast<double>(std::numeric_limits<Integer>::max()))
        return std::numeric_limits<Integer>::max();
    return static_cast<Integer>(value);
}

}  // namespace

std::optional<int64_t> JCValue::int64Value() const
{
    switch (type()) {
    case Type::Boolean:
        return booleanPayload() ? 1 : 0;
    case Type::Integer:
        return integerPayload();
    case Type::UnsignedInteger:
        return static_cast<int64_t>(unsignedPayload());  // wraps, as the platform's longLongValue does
    case Type::Real:
        return saturatingFromDouble<int64_t>(realPayload());
    default:
        return std::nullopt;
    }
}

std::optional<uint64_t> JCValue::uint64Value() const
{
    switch (type()) {
    case Type::Boolean:
        return booleanPayload() ? 1 : 0;
    case Type::Integer:
        return static_cast<uint64_t>(integerPayload());
    case Type::UnsignedInteger:
        return unsignedPayload();
    case Type::Real:
        return saturatingFromDouble<uint64_t>(realPayload());
    default:
        return std::nullopt;
    }
}

std::optional<double> JCValue::doubleValue() const
{
    switch (type()) {
    case Type::Boolean:
        return booleanPayload() ? 1.0 : 0.0;
    case Type::Integer:
        return static_cast<double>(integerPayload());
    case Type::UnsignedInteger:
        return static_cast<double>(unsignedPayload());
    case Type::Real:
        return realPayload();
    default:
        return std::nullopt;
    }
}

plat::Value JCValue::toValue() const
{
    switch (type()) {
    case Type::Null:
        return plat::Value();
    case Type::Boolean:
        return plat::Value(booleanPayload());
    case Type::Integer:
        return plat::Value(integerPayload());
    case Type::UnsignedInteger:
        return plat::Value(static_cast<double>(unsignedPayload()));
    case Type::Real:
        return plat::Value(realPayload());
    case Type::String:
        return plat::Value(std::string(*stringValue()));
    case Type::Array: {
        std::vector<plat::Value> values;
        values.reserve(arrayRef().count());
        for (const JCValue& element : arrayRef())
            values.push_back(element.toValue());
        return plat::Value(plat::Array(std::move(values)));
    }
    case Type::Dictionary: {
        plat::Dictionary dictionary;
        dictionaryRef().forEachPair([&dictionary](const JCValue& key, const JCValue& object) {
            dictionary.setKeepingNull(std::string(*key.stringValue()), object.toValue());
        });
        return plat::Value(std::move(dictionary));
    }
    }
    return plat::Value();
}

namespace {

// Exact comparison of two numbers of any of the four kinds.
bool numbersAreEqual(const JCValue& left, const JCValue& right)
{
    using Type = JCValue::Type;
    auto isIntegral = [](const JCValue& value) { return value.type() != Type::Real; };
    if (isIntegral(left) && isIntegral(right)) {
        const bool leftNegative = left.type() == Type::Integer && *left.int64Value() < 0;
        const bool rightNegative = right.type() == Type::Integer && *right.int64Value() < 0;
        return leftNegative == rightNegative && *left.uint64Value() == *right.uint64Value();
    }
    return *left.doubleValue() == *right.doubleValue();
}

}  // namespace

bool operator==(const JCValue& left, const JCValue& right)
{
    using Type = JCValue::Type;
    if (left.isNumber() || right.isNumber())
        return left.isNumber() && right.isNumber() && numbersAreEqual(left, right);
    if (left.type() != right.type())
        return false;
    switch (left.type()) {
    case Type::Null:
        return true;
    case Type::String:
        return *left.stringValue() == *right.stringValue();
    case Type::Array: {
        const JCArray& a = left.arrayRef();
        const JCArray& b = right.arrayRef();
        if (&a == &b)
            return true;
        if (a.count() != b.count())
            return false;
        for (size_t i = 0; i < a.count(); ++i)
            if (!(a.objectAtIndex(i) == b.objectAtIndex(i)))
                return false;
        return true;
    }
    case Type::Dictionary: {
        const JCDictionary& a = left.dictionaryRef();
        const JCDictionary& b = right.dictionaryRef();
        if (&a == &b)
            return true;
        if (a.count() != b.count())
            return false;
        for (const JCValue& key : a) {
            const JCValue* other = b.objectForKey(*key.stringValue());
            if (other == nullptr || !(*a.objectForKey(*key.stringValue()) == *other))
                return false;
        }
        return true;
    }
    default:
        return false;
    }
}

std::string JCValue::debugDescription() const
{
    switch (type()) {
    case Type::Null:
        return "null";
    case Type::Boolean:
        return booleanPayload() ? "true" : "false";
    case Type::Integer:
        return std::to_string(integerPayload());
    case Type::UnsignedInteger:
        return std::to_string(unsignedPayload());
    case Type::Real: {
        char text[32];
        auto written = std::to_chars(text, text + sizeof text, realPayload());
        return std::string(text, written.ptr);
    }
    case Type::String:
        return "\"" + std::string(*stringValue()) + "\"";
    case Type::Array: {
        std::string text = "[";
        for (const JCValue& element : arrayRef()) {
            if (text.size() > 1)
                text += ", ";
            text += element.debugDescription();
        }
        return text + "]";
    }
    case Type::Dictionary: {
        std::string text = "{";
        dictionaryRef().forEachPair([&text](const JCValue& key, const JCValue& object) {
            if (text.size() > 1)
                text += ", ";
            text += key.debugDescription() + ": " + object.debugDescription();
        });
        return text + "}";
    }
    }
    return {};
}

}  // namespace zt
