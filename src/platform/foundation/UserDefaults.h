#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Files.h"
#include "platform/foundation/Value.h"

namespace plat {

class Sandbox;

// The app's settings (the platform's user defaults): a dictionary kept as a
// binary property list in the current sandbox's
// Library/Preferences/com.quorvane.zantrope.plist, plus registered fallback
// values that are never written.
//
// Changes are written through: every set or remove writes the whole file
// atomically before it returns. A write that fails is logged and kept in
// memory; synchronize() tries it again. A file that cannot be read (damaged,
// a root that is not a dictionary, its modes) reads as empty and is left as
// it is until something is set, which first moves it aside (as
// moveDamagedFileAside does; nothing is written while it cannot be);
// takeUnreadableFile says so. One that cannot be read for now (out of file
// descriptors) is read again on the next call and never written over before
// that. The standard instance follows Sandbox::current(): when the sandbox
// changes it reads the new sandbox's file and forgets registered defaults
// (a new sandbox is a new device, whose app registers them again).
// Values go in and come out as copies: changing a container afterwards
// changes nothing stored. Any thread (guarded by _lock).
class UserDefaults {
public:
    static UserDefaults& standardUserDefaults();

    // Stored value, else registered value, else null.
    Value objectForKey(std::string_view key);
    // A null value removes the key. A value that cannot be written to a
    // property list (objects, nested nulls) is refused and logged.
    void setObject(const Value& value, std::string_view key);
    void removeObjectForKey(std::string_view key);

    // Numbers convert among themselves; strings are read as the platform
    // reads them ("YES", "42", "2.5"). Anything else gives zero.
    bool boolForKey(std::string_view key);
    int64_t integerForKey(std::string_view key);
    double doubleForKey(std::string_view key);
    float floatForKey(std::string_view key);
    // Empty when absent or of another type.
    std::optional<std::string> stringForKey(std::string_view key);
    std::optional<Dictionary> dictionaryForKey(std::string_view key);
    std::optional<Array> arrayForKey(std::string_view key);
    std::optional<Data> dataForKey(std::string_view key);

    void setBool(bool value, std::string_view key);
    void setInteger(int64_t value, std::string_view key);
    void setDouble(double value, std::string_view key);
    void setFloat(float value, std::string_view key);

    // Fallbacks for keys that hold nothing; merged over earlier registrations.
    void registerDefaults(const Dictionary& defaults);
    // Writes what a failed write left behind; true when the file is up to date.
    bool synchronize();
    // The file of the current sandbox that could not be read, once: the app
    // tells the person that its preferences start again from nothing.
    std::optional<UnreadableStoredFile> takeUnreadableFile();

    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

private:
    UserDefaults() = default;

    void followCurrentSandbox();
    void readValuesFile();
    Value lookUp(std::string_view key) const;
    // A failure is logged and the values stay marked for the next write
    // (synchronize reports it), so callers that cannot act may go on.
    bool writeValues();
    bool setUnreadableFileAside();

    std::mutex _lock;
    std::shared_ptr<const Sandbox> _sandbox;  // guarded by _lock
    std::string _path;  // guarded by _lock
    Dictionary _values;  // guarded by _lock
    Dictionary _registered;  // guarded by _lock
    bool _needsWrite = false;  // guarded by _lock
    bool _fileUnread = false;  // guarded by _lock: the file exists but could not be read yet
    bool _isUnreadableFileInPlace = false;  // guarded by _lock: to be moved aside before any write
    std::optional<UnreadableStoredFile> _unreadableFile;  // guarded by _lock
};

}  // namespace plat
