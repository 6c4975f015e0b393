#include "platform/foundation/KeyedArchiver.h"

#include <cassert>

#include "platform/foundation/KeyedArchiveFormat.h"
#include "platform/foundation/PropertyListDetail.h"

namespace plat {

namespace {

Dictionary classRecord(const std::string& className, const std::vector<std::string>& superclassNames)
{
    Array classes {className};
    for (const std::string& name : superclassNames)
        classes.append(name);
    if (className != "NSObject" && (superclassNames.empty() || superclassNames.back() != "NSObject"))
        classes.append("NSObject");
    return Dictionary {{std::string(detail::kClassNameKey), className}, {std::string(detail::kClassesKey), classes}};
}

}  // namespace

KeyedArchiver::KeyedArchiver()
{
    _objects.append(std::string(detail::kNullObject));
}

Result<Data> KeyedArchiver::archivedDataWithRootObject(const Value& root)
{
    return archivedDataWithRootObject(root, nullptr);
}

Result<Data> KeyedArchiver::archivedDataWithRootObject(
    const Value& root, const std::function<void(KeyedArchiver&)>& encodeBesideRoot)
{
    KeyedArchiver archiver;
    uint64_t rootUID = archiver.encodeValue(root);
    Dictionary top {{std::string(detail::kRootKey), detail::makeUIDReference(rootUID)}};
    if (encodeBesideRoot) {
        archiver._objectsBeingEncoded.push_back(top);
        encodeBesideRoot(archiver);
        archiver._objectsBeingEncoded.pop_back();
    }
    if (archiver._error)
        return *archiver._error;
    Dictionary archive {
        {std::string(detail::kArchiverKey), std::string(detail::kArchiverName)},
        {std::string(detail::kVersionKey), detail::kArchiveVersion},
        {std::string(detail::kTopKey), top},
        {std::string(detail::kObjectsKey), archiver._objects},
    };
    auto data
        = detail::dataWithPropertyList(archive, PropertyListFormat::Binary, detail::ReferenceDictionaries::WriteAsUIDs);
    if (!data.ok())
        return Error(
            kCocoaErrorDomain, kCoderInvalidValueError, "keyed archive: " + data.error().localizedDescription());
    return data;
}

void KeyedArchiver::fail(std::string description)
{
    if (!_error)
        _error = Error(kCocoaErrorDomain, kCoderInvalidValueError, "keyed archive: " + std::move(description));
}

uint64_t KeyedArchiver::appendEntry(Value entry)
{
    _objects.append(std::move(entry));
    return _objects.count() - 1;
}

std::optional<uint64_t> KeyedArchiver::knownIdentity(const void* identity)
{
    if (_open.contains(identity)) {
        fail("a container or object holds itself");
        return 0;
    }
    auto found = _uidsByIdentity.find(identity);
    if (found == _uidsByIdentity.end())
        return std::nullopt;
    return found->second;
}

uint64_t KeyedArchiver::encodeValue(const Value& value)
{
    if (_error)
        return 0;
    switch (value.type()) {
    case Value::Type::Null:
        return 0;
    case Value::Type::String:
        return encodeString(*value.asString());
    case Value::Type::Boolean:
    case Value::Type::Integer:
    case Value::Type::Real:
    case Value::Type::Bytes:
        return appendEntry(value);
    case Value::Type::Date:
        return encodeDate(*value.asDate());
    case Value::Type::Array:
        return encodeArray(*value.asArray(), value);
    case Value::Type::Dictionary:
        return encodeDictionary(*value.asDictionary(), value);
    case Value::Type::Object:
        return encodeCustomObject(value.asObject(), value);
    }
    fail("unknown value type");
    return 0;
}

uint64_t KeyedArchiver::encodeString(const std::string& text)
{
    auto found = _uidsByString.find(text);
    if (found != _uidsByString.end())
        return found->second;
    uint64_t uid = appendEntry(text);
    _uidsByString.emplace(text, uid);
    return uid;
}

uint64_t KeyedArchiver::encodeDate(Date date)
{
    Dictionary record {{std::string(detail::kTimeKey), date.timeIntervalSinceReferenceDate()}};
    uint64_t uid = appendEntry(record);
    record.set(std::string(detail::kClassKey), detail::makeUIDReference(classReference("NSDate", {})));
    return uid;
}

// The record's UID is taken before its contents are written, so the root is
// UID 1 and a container precedes what it holds, as on the platform. While its
// contents are written the record is open: meeting it again is a cycle.
uint64_t KeyedArchiver::encodeRecord(
    const void* identity, const Value& holder, const std::function<void(Dictionary& record)>& writeContents)
{
    if (auto known = knownIdentity(identity))
        return *known;
    if (_depth >= detail::kMaxArchiveDepth) {
        fail("nested too deeply");
        return 0;
    }
    Dictionary record;
    uint64_t uid = appendEntry(record);
    _uidsByIdentity.emplace(identity, uid);
    _written.push_back(holder);
    _open.insert(identity);
    ++_depth;
    writeContents(record);
    --_depth;
    _open.erase(identity);
    return uid;
}

uint64_t KeyedArchiver::encodeArray(const Array& array, const Value& holder)
{
    return encodeRecord(&array.values(), holder, [&](Dictionary& record) {
        Array references;
        for (const Value& element : array)
            references.append(detail::makeUIDReference(encodeValue(element)));
        record.set(std::string(detail::kObjectsArrayKey), references);
        record.set(
            std::string(detail::kClassKey), detail::makeUIDReference(classReference("NSMutableArray", {"NSArray"})));
    });
}

uint64_t KeyedArchiver::encodeDictionary(const Dictionary& dictionary, const Value& holder)
{
    return encodeRecord(&dictionary.entries(), holder, [&](Dictionary& record) {
        Array keys;
        Array values;
        for (const auto& [key, element] : dictionary) {
            keys.append(detail::makeUIDReference(encodeString(key)));
            values.append(detail::makeUIDReference(encodeValue(element)));
        }
        record.set(std::string(detail::kKeysArrayKey), keys);
        record.set(std::string(detail::kObjectsArrayKey), values);
        record.set(std::string(detail::kClassKey),
            detail::makeUIDReference(classReference("NSMutableDictionary", {"NSDictionary"})));
    });
}

uint64_t KeyedArchiver::encodeCustomObject(const std::shared_ptr<Coding>& object, const Value& holder)
{
    if (!object)
        return 0;
    if (auto known = knownIdentity(object.get()))
        return *known;
    std::string className = object->classNameForCoder();
    if (className.empty()) {
        fail("an object has no class name");
        return 0;
    }
    return encodeRecord(object.get(), holder, [&](Dictionary& record) {
        record.set(std::string(detail::kClassKey),
            detail::makeUIDReference(classReference(className, object->superclassNamesForCoder())));
        _objectsBeingEncoded.push_back(record);
        object->encodeWithCoder(*this);
        _objectsBeingEncoded.pop_back();
    });
}

uint64_t KeyedArchiver::classReference(const std::string& className, const std::vector<std::string>& superclassNames)
{
    auto found = _uidsByClassName.find(className);
    if (found != _uidsByClassName.end())
        return found->second;
    uint64_t uid = appendEntry(classRecord(className, superclassNames));
    _uidsByClassName.emplace(className, uid);
    return uid;
}

void KeyedArchiver::setEntry(std::string_view key, Value value)
{
    // Encoding outside encodeWithCoder is a programmer error.
    assert(!_objectsBeingEncoded.empty());
    if (_objectsBeingEncoded.empty())
        return;
    _objectsBeingEncoded.back().set(detail::escapedArchiveKey(key), std::move(value));
}

void KeyedArchiver::encodeObject(const Value& object, std::string_view key)
{
    setEntry(key, detail::makeUIDReference(encodeValue(object)));
}

void KeyedArchiver::encodeBool(bool value, std::string_view key)
{
    setEntry(key, value);
}

void KeyedArchiver::encodeInt32(int32_t value, std::string_view key)
{
    setEntry(key, value);
}

void KeyedArchiver::encodeInt64(int64_t value, std::string_view key)
{
    setEntry(key, value);
}

void KeyedArchiver::encodeFloat(float value, std::string_view key)
{
    setEntry(key, value);
}

void KeyedArchiver::encodeDouble(double value, std::string_view key)
{
    setEntry(key, value);
}

void KeyedArchiver::encodePoint(Point point, std::string_view key)
{
    setEntry(key, stringFromPoint(point));
}

void KeyedArchiver::encodeSize(Size size, std::string_view key)
{
    setEntry(key, stringFromSize(size));
}

void KeyedArchiver::encodeRect(Rect rect, std::string_view key)
{
    setEntry(key, stringFromRect(rect));
}

}  // namespace plat
