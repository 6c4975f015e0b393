#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

class KeyedArchiver;

// Codes of keyed-archive errors, in kCocoaErrorDomain, as the platform numbers them.
inline constexpr int64_t kCoderReadCorruptError = 4864;
inline constexpr int64_t kCoderInvalidValueError = 4866;

// An object that a keyed archive can hold (the platform's NSCoding). Writing
// goes through encodeWithCoder; reading goes through the factory registered
// for classNameForCoder() in the unarchiver's ClassTable (the platform's
// initWithCoder:). Hold objects as std::shared_ptr: the archive keeps one
// entry per object, so an object reached twice is written once.
class Coding {
public:
    virtual ~Coding() = default;

    // The "$classname" of the object's record, and the key of its factory.
    virtual std::string classNameForCoder() const = 0;
    // Superclass names for the record's "$classes", nearest first; the list
    // always ends with "NSObject", added when missing.
    virtual std::vector<std::string> superclassNamesForCoder() const { return {}; }
    // Writes the object's state with the coder's encode operations.
    virtual void encodeWithCoder(KeyedArchiver& coder) const = 0;
};

}  // namespace plat
