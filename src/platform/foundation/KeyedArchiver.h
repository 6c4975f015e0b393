#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Coding.h"
#include "platform/foundation/Geometry.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace plat {

// Writes a value tree into a keyed archive (see KeyedArchive.h). Strings,
// numbers, booleans and data are stored inline in "$objects"; arrays become
// NSMutableArray records, dictionaries NSMutableDictionary records, dates
// NSDate records, custom objects records of their own class. A shared
// container or object is written once and referenced by one UID; equal
// strings share an entry. A container or object that holds itself, or
// nesting past 512 levels, fails the archive (the unarchiver refuses cycles).
// Any thread; one archiver per call.
class KeyedArchiver {
public:
    static Result<Data> archivedDataWithRootObject(const Value& root);
    // The same with more entries beside the root in "$top", which
    // encodeBesideRoot writes with the encode operations, as the platform's
    // archiver does for keys encoded at its top level. Readers that ask for
    // the root alone pass them by.
    static Result<Data> archivedDataWithRootObject(
        const Value& root, const std::function<void(KeyedArchiver&)>& encodeBesideRoot);

    // For Coding::encodeWithCoder: entries of the object being encoded. A key
    // encoded twice keeps the last value.
    void encodeObject(const Value& object, std::string_view key);
    void encodeBool(bool value, std::string_view key);
    void encodeInt32(int32_t value, std::string_view key);
    void encodeInt64(int64_t value, std::string_view key);
    void encodeFloat(float value, std::string_view key);
    void encodeDouble(double value, std::string_view key);
    // Geometry is stored as the platform's strings, "{x, y}" and so on.
    void encodePoint(Point point, std::string_view key);
    void encodeSize(Size size, std::string_view key);
    void encodeRect(Rect rect, std::string_view key);

    KeyedArchiver(const KeyedArchiver&) = delete;
    KeyedArchiver& operator=(const KeyedArchiver&) = delete;

private:
    KeyedArchiver();

    // Each returns the UID of the entry written (0 for null).
    uint64_t encodeValue(const Value& value);
    uint64_t encodeString(const std::string& text);
    uint64_t encodeRecord(
        const void* identity, const Value& holder, const std::function<void(Dictionary& record)>& writeContents);
    uint64_t encodeArray(const Array& array, const Value& holder);
    uint64_t encodeDictionary(const Dictionary& dictionary, const Value& holder);
    uint64_t encodeDate(Date date);
    uint64_t encodeCustomObject(const std::shared_ptr<Coding>& object, const Value& holder);
    uint64_t classReference(const std::string& className, const std::vector<std::string>& superclassNames);

    uint64_t appendEntry(Value entry);
    // The UID of an object written before, or empty; fails on an open one.
    std::optional<uint64_t> knownIdentity(const void* identity);
    void setEntry(std::string_view key, Value value);
    void fail(std::string description);

    Array _objects;  // "$objects"
    std::map<const void*, uint64_t> _uidsByIdentity;
    std::set<const void*> _open;  // containers and objects being encoded
    // Written values stay alive until the end so their addresses stay unique.
    std::vector<Value> _written;
    std::map<std::string, uint64_t, std::less<>> _uidsByString;
    std::map<std::string, uint64_t, std::less<>> _uidsByClassName;
    std::vector<Dictionary> _objectsBeingEncoded;
    int _depth = 0;
    std::optional<Error> _error;
};

}  // namespace plat
