#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Coding.h"
#include "platform/foundation/Geometry.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace plat {

class KeyedUnarchiver;

// Makes an object from its archived state (the platform's initWithCoder:),
// reading it with the unarchiver's decode operations. Returning nullptr
// gives a null value in its place.
using ClassFactory = std::function<std::shared_ptr<Coding>(KeyedUnarchiver&)>;
// Factories by "$classname".
using ClassTable = std::map<std::string, ClassFactory, std::less<>>;

// Reads a keyed archive (see KeyedArchive.h), XML or binary. Archives are
// outside input: the layout, every UID, every class record and the shape of
// the built-in classes are checked, and any fault fails the whole archive.
// The built-in classes (NSArray, NSDictionary, NSDate, NSString, NSData and
// their mutable kinds) cannot be replaced through the ClassTable; any other
// class must be in it. An object that is reached again while it is still
// being decoded (a reference cycle) fails the archive, as does nesting past
// 512 levels. An object referenced twice decodes once and is shared.
// Any thread; one unarchiver per call.
class KeyedUnarchiver {
public:
    static Result<Value> unarchiveObjectWithData(const Data& data, const ClassTable& classes = {});
    // The same, and then decodeBesideRoot reads the entries beside the root
    // in "$top" with the decode operations (failWithError fails the archive).
    static Result<Value> unarchiveObjectWithData(
        const Data& data, const ClassTable& classes, const std::function<void(KeyedUnarchiver&)>& decodeBesideRoot);

    // For class factories: entries of the object being decoded. An absent
    // key, or a value of the wrong type, gives null or zero. Numbers of any
    // kind (integer, real, boolean) decode as any number type; integers that
    // do not fit 32 bits saturate.
    Value decodeObjectForKey(std::string_view key);
    bool decodeBoolForKey(std::string_view key) const;
    int32_t decodeInt32ForKey(std::string_view key) const;
    int64_t decodeInt64ForKey(std::string_view key) const;
    float decodeFloatForKey(std::string_view key) const;
    double decodeDoubleForKey(std::string_view key) const;
    Point decodePointForKey(std::string_view key) const;
    Size decodeSizeForKey(std::string_view key) const;
    Rect decodeRectForKey(std::string_view key) const;
    bool containsValueForKey(std::string_view key) const;
    // A factory that finds the state unusable fails the whole archive with
    // this error (the first one reported wins).
    void failWithError(Error error);

    KeyedUnarchiver(const KeyedUnarchiver&) = delete;
    KeyedUnarchiver& operator=(const KeyedUnarchiver&) = delete;

private:
    enum class State : uint8_t { NotDecoded, Decoding, Decoded };

    KeyedUnarchiver(Array objects, const ClassTable& classes);

    Value decodeReference(uint64_t uid);
    Value decodeEntry(const Value& entry);
    Value decodeInstance(const Dictionary& record);
    Value decodeArray(const Dictionary& record);
    Value decodeDictionary(const Dictionary& record);
    std::optional<Array> referencesIn(const Dictionary& record, std::string_view key);
    const Value* entryForKey(std::string_view key) const;
    Value fail(std::string description);

    Array _objects;  // "$objects"
    const ClassTable& _classes;
    std::vector<State> _states;
    std::vector<Value> _decoded;
    std::vector<Dictionary> _objectsBeingDecoded;
    int _depth = 0;
    std::optional<Error> _error;
};

}  // namespace plat
