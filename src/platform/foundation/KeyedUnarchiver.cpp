#include "platform/foundation/KeyedUnarchiver.h"

#include <algorithm>
#include <cassert>
#include <limits>

#include "platform/foundation/KeyedArchiveFormat.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/PropertyListDetail.h"

namespace plat {

namespace {

Error corruptArchive(const std::string& description)
{
    return Error(kCocoaErrorDomain, kCoderReadCorruptError, "keyed archive: " + description);
}

}  // namespace

KeyedUnarchiver::KeyedUnarchiver(Array objects, const ClassTable& classes)
    : _objects(std::move(objects))
    , _classes(classes)
    , _states(_objects.count(), State::NotDecoded)
    , _decoded(_objects.count())
{
}

Result<Value> KeyedUnarchiver::unarchiveObjectWithData(const Data& data, const ClassTable& classes)
{
    return unarchiveObjectWithData(data, classes, nullptr);
}

Result<Value> KeyedUnarchiver::unarchiveObjectWithData(
    const Data& data, const ClassTable& classes, const std::function<void(KeyedUnarchiver&)>& decodeBesideRoot)
{
    auto list = PropertyListSerialization::propertyListWithData(data);
    if (!list.ok())
        return corruptArchive(list.error().localizedDescription());
    auto archive = list.value().asDictionary();
    if (!archive)
        return corruptArchive("the root is not a dictionary");
    if (archive->getString(detail::kArchiverKey) != detail::kArchiverName)
        return corruptArchive("not made by NSKeyedArchiver");
    const Value* version = archive->find(detail::kVersionKey);
    if (!version || !version->isInteger() || *version->int64Value() != detail::kArchiveVersion)
        return corruptArchive("unknown version");
    auto top = archive->getDictionary(detail::kTopKey);
    if (!top)
        return corruptArchive("no top object");
    auto rootUID = detail::uidOfReference(top->get(detail::kRootKey));
    if (!rootUID)
        return corruptArchive("no root object");
    auto objects = archive->getArray(detail::kObjectsKey);
    if (!objects || objects->empty() || objects->front() != Value(detail::kNullObject))
        return corruptArchive("bad object table");

    KeyedUnarchiver unarchiver(*objects, classes);
    Value root = unarchiver.decodeReference(*rootUID);
    if (decodeBesideRoot && !unarchiver._error) {
        unarchiver._objectsBeingDecoded.push_back(*top);
        decodeBesideRoot(unarchiver);
        unarchiver._objectsBeingDecoded.pop_back();
    }
    if (unarchiver._error)
        return *unarchiver._error;
    return root;
}

Value KeyedUnarchiver::fail(std::string description)
{
    if (!_error)
        _error = corruptArchive(description);
    return {};
}

void KeyedUnarchiver::failWithError(Error error)
{
    if (!_error)
        _error = std::move(error);
}

Value KeyedUnarchiver::decodeReference(uint64_t uid)
{
    if (_error)
        return {};
    if (uid >= _objects.count())
        return fail("UID " + std::to_string(uid) + " out of range");
    if (uid == 0)
        return {};
    switch (_states[uid]) {
    case State::Decoded:
        return _decoded[uid];
    case State::Decoding:
        return fail("reference cycle at UID " + std::to_string(uid));
    case State::NotDecoded:
        break;
    }
    if (_depth >= detail::kMaxArchiveDepth)
        return fail("nested too deeply");
    _states[uid] = State::Decoding;
    ++_depth;
    Value value = decodeEntry(_objects.at(uid));
    --_depth;
    _states[uid] = State::Decoded;
    _decoded[uid] = value;
    return value;
}

Value KeyedUnarchiver::decodeEntry(const Value& entry)
{
    switch (entry.type()) {
    case Value::Type::Boolean:
    case Value::Type::Integer:
    case Value::Type::Real:
    case Value::Type::String:
    case Value::Type::Bytes:
    case Value::Type::Date:
        return entry;
    case Value::Type::Dictionary:
        if (detail::uidOfReference(entry))
            return fail("a reference stands where an object belongs");
        return decodeInstance(*entry.asDictionary());
    default:
        return fail(std::string("unexpected ") + typeName(entry.type()) + " in the object table");
    }
}

Value KeyedUnarchiver::decodeInstance(const Dictionary& record)
{
    auto classUID = detail::uidOfReference(record.get(detail::kClassKey));
    if (!classUID)
        return fail("an object has no class");
    if (*classUID == 0 || *classUID >= _objects.count())
        return fail("class UID out of range");
    auto classRecord = _objects.at(*classUID).asDictionary();
    auto className = classRecord ? classRecord->getString(detail::kClassNameKey) : std::nullopt;
    if (!className)
        return fail("bad class record");

    if (className == "NSArray" || className == "NSMutableArray")
        return decodeArray(record);
    if (className == "NSDictionary" || className == "NSMutableDictionary")
        return decodeDictionary(record);
    if (className == "NSDate") {
        auto time = record.getDouble(detail::kTimeKey);
        if (!time)
            return fail("NSDate without a time");
        return Value(Date::withTimeIntervalSinceReferenceDate(*time));
    }
    if (className == "NSString" || className == "NSMutableString") {
        auto text = record.getString(detail::kStringKey);
        if (!text)
            return fail("NSString without text");
        return Value(*text);
    }
    if (className == "NSData" || className == "NSMutableData") {
        auto bytes = record.getData(detail::kDataKey);
        if (!bytes)
            return fail("NSData without bytes");
        return Value(*bytes);
    }
    auto factory = _classes.find(*className);
    if (factory == _classes.end())
        return fail("unknown class " + *className);
    _objectsBeingDecoded.push_back(record);
    std::shared_ptr<Coding> object = factory->second(*this);
    _objectsBeingDecoded.pop_back();
    if (_error || !object)
        return {};
    return Value(std::move(object));
}

std::optional<Array> KeyedUnarchiver::referencesIn(const Dictionary& record, std::string_view key)
{
    auto references = record.getArray(key);
    if (!references) {
        fail(std::string("no ") + std::string(key));
        return std::nullopt;
    }
    for (const Value& reference : *references) {
        if (!detail::uidOfReference(reference)) {
            fail(std::string(key) + " holds something other than references");
            return std::nullopt;
        }
    }
    return references;
}

Value KeyedUnarchiver::decodeArray(const Dictionary& record)
{
    auto references = referencesIn(record, detail::kObjectsArrayKey);
    if (!references)
        return {};
    std::vector<Value> values;
    values.reserve(references->count());
    for (const Value& reference : *references) {
        values.push_back(decodeReference(*detail::uidOfReference(reference)));
        if (_error)
            return {};
    }
    return Array(std::move(values));
}

Value KeyedUnarchiver::decodeDictionary(const Dictionary& record)
{
    auto keys = referencesIn(record, detail::kKeysArrayKey);
    auto values = keys ? referencesIn(record, detail::kObjectsArrayKey) : std::nullopt;
    if (!keys || !values)
        return {};
    if (keys->count() != values->count())
        return fail("NSDictionary with unequal key and value counts");
    Dictionary dictionary;
    for (size_t i = 0; i < keys->count(); ++i) {
        Value key = decodeReference(*detail::uidOfReference(keys->at(i)));
        Value value = decodeReference(*detail::uidOfReference(values->at(i)));
        if (_error)
            return {};
        const std::string* keyText = key.asString();
        if (!keyText)
            return fail("NSDictionary key that is not a string");
        dictionary.set(*keyText, std::move(value));
    }
    return dictionary;
}

const Value* KeyedUnarchiver::entryForKey(std::string_view key) const
{
    // Decoding outside a class factory is a programmer error.
    assert(!_objectsBeingDecoded.empty());
    if (_objectsBeingDecoded.empty())
        return nullptr;
    return _objectsBeingDecoded.back().find(detail::escapedArchiveKey(key));
}

Value KeyedUnarchiver::decodeObjectForKey(std::string_view key)
{
    const Value* entry = entryForKey(key);
    if (!entry)
        return {};
    auto uid = detail::uidOfReference(*entry);
    if (!uid)
        return {};
    return decodeReference(*uid);
}

bool KeyedUnarchiver::containsValueForKey(std::string_view key) const
{
    return entryForKey(key) != nullptr;
}

bool KeyedUnarchiver::decodeBoolForKey(std::string_view key) const
{
    const Value* entry = entryForKey(key);
    return entry ? entry->boolValue().value_or(false) : false;
}

int32_t KeyedUnarchiver::decodeInt32ForKey(std::string_view key) const
{
    int64_t value = decodeInt64ForKey(key);
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

int64_t KeyedUnarchiver::decodeInt64ForKey(std::string_view key) const
{
    const Value* entry = entryForKey(key);
    return entry ? entry->int64Value().value_or(0) : 0;
}

float KeyedUnarchiver::decodeFloatForKey(std::string_view key) const
{
    return detail::floatFromDouble(decodeDoubleForKey(key));
}

double KeyedUnarchiver::decodeDoubleForKey(std::string_view key) const
{
    const Value* entry = entryForKey(key);
    return entry ? entry->doubleValue().value_or(0.0) : 0.0;
}

Point KeyedUnarchiver::decodePointForKey(std::string_view key) const
{
    const Value* entry = entryForKey(key);
    const std::string* text = entry ? entry->asString() : nullptr;
    return text ? pointFromString(*text) : Point {};
}

Size KeyedUnarchiver::decodeSizeForKey(std::string_view key) const
{
    const Value* entry = entryForKey(key);
    const std::string* text = entry ? entry->asString() : nullptr;
    return text ? sizeFromString(*text) : Size {};
}

Rect KeyedUnarchiver::decodeRectForKey(std::string_view key) const
{
    const Value* entry = entryForKey(key);
    const std::string* text = entry ? entry->asString() : nullptr;
    return text ? rectFromString(*text) : Rect {};
}

}  // namespace plat
