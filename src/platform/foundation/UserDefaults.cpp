#include "platform/foundation/UserDefaults.h"

#include <cctype>
#include <cstdlib>
#include <utility>

#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/PropertyListDetail.h"
#include "platform/foundation/Sandbox.h"

namespace plat {

namespace {

constexpr const char* kDomain = "com.quorvane.zantrope";

Value copied(const Value& value)
{
    if (auto array = value.asArray())
        return array->deepCopy();
    if (auto dictionary = value.asDictionary())
        return dictionary->deepCopy();
    return value;
}

// The platform's reading of a string as a boolean: true when, after white
// space, an optional sign and leading zeros, it starts with Y, T or 1-9.
bool boolFromString(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    while (i < text.size() && text[i] == '0')
        ++i;
    if (i == text.size())
        return false;
    char c = text[i];
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

double doubleFromString(const std::string& text)
{
    const char* start = text.c_str();
    char* end = nullptr;
    double value = std::strtod(start, &end);
    return end == start ? 0.0 : value;
}

int64_t integerFromString(const std::string& text)
{
    const char* start = text.c_str();
    char* end = nullptr;
    long long value = std::strtoll(start, &end, 10);
    return end == start ? 0 : static_cast<int64_t>(value);  // strtoll saturates
}

}  // namespace

UserDefaults& UserDefaults::standardUserDefaults()
{
    static UserDefaults standard;
    return standard;
}

void UserDefaults::followCurrentSandbox()
{
    auto current = Sandbox::current();
    if (current == _sandbox) {
        if (_fileUnread)
            readValuesFile();
        return;
    }
    // Last try for the sandbox we leave, unless it is gone altogether.
    if (_needsWrite && isDirectory(_sandbox->root()))
        (void)writeValues();
    _sandbox = std::move(current);
    _path = appendingPathComponent(_sandbox->preferencesDirectory(), std::string(kDomain) + ".plist");
    _values = Dictionary();
    _registered = Dictionary();
    _needsWrite = false;
    _isUnreadableFileInPlace = false;
    _unreadableFile.reset();
    readValuesFile();
}

void UserDefaults::readValuesFile()
{
    _fileUnread = false;
    if (!fileExists(_path))
        return;
    auto list = readPropertyListFile(_path);
    auto dictionary = list.ok() ? list.value().asDictionary() : std::nullopt;
    if (!dictionary) {
        if (!list.ok() && isPassingReadFailure(list.error())) {
            // It may hold everything: it is read again before anything is written over it.
            log("user defaults: cannot read {} for now: {}", _path, list.error().localizedDescription());
            _fileUnread = true;
            return;
        }
        Error reason = list.ok()
            ? Error(kCocoaErrorDomain, kPropertyListReadCorruptError, "Its root is not a dictionary.")
            : list.error();
        log("user defaults: cannot read {}: {}; it is set aside before anything is stored", _path,
            reason.localizedDescription());
        _unreadableFile = UnreadableStoredFile {std::move(reason), std::nullopt};
        _isUnreadableFileInPlace = true;
        return;
    }
    // What was set while the file could not be read goes over what it holds.
    for (const auto& [key, value] : _values)
        dictionary->set(key, value);
    _values = *dictionary;
}

bool UserDefaults::setUnreadableFileAside()
{
    if (!moveUnreadableFileAside(_path, _unreadableFile))
        return false;
    _isUnreadableFileInPlace = false;
    return true;
}

Value UserDefaults::lookUp(std::string_view key) const
{
    if (const Value* stored = _values.find(key))
        return *stored;
    if (const Value* registered = _registered.find(key))
        return *registered;
    return {};
}

bool UserDefaults::writeValues()
{
    if (_fileUnread || (_isUnreadableFileInPlace && fileExists(_path) && !setUnreadableFileAside())) {
        _needsWrite = true;
        return false;
    }
    _isUnreadableFileInPlace = false;
    auto folder = createDirectory(_sandbox->preferencesDirectory(), IntermediateDirectories::Yes);
    auto written = folder.ok() ? writePropertyListFile(_values, _path, PropertyListFormat::Binary) : folder;
    if (!written.ok()) {
        log("user defaults: cannot write {}: {}", _path, written.error().localizedDescription());
        _needsWrite = true;
        return false;
    }
    _needsWrite = false;
    return true;
}

Value UserDefaults::objectForKey(std::string_view key)
{
    std::lock_guard lock(_lock);
    followCurrentSandbox();
    return copied(lookUp(key));
}

void UserDefaults::setObject(const Value& value, std::string_view key)
{
    if (value.isNull()) {
        removeObjectForKey(key);
        return;
    }
    std::lock_guard lock(_lock);
    followCurrentSandbox();
    // Only what a property list can hold may go in; check before changing anything.
    auto check = PropertyListSerialization::dataWithPropertyList(
        Dictionary {{std::string(key), value}}, PropertyListFormat::Binary);
    if (!check.ok()) {
        log("user defaults: refusing the value for {}: {}", key, check.error().localizedDescription());
        return;
    }
    _values.set(std::string(key), copied(value));
    (void)writeValues();
}

void UserDefaults::removeObjectForKey(std::string_view key)
{
    std::lock_guard lock(_lock);
    followCurrentSandbox();
    if (!_values.contains(key))
        return;
    _values.remove(key);
    (void)writeValues();
}

bool UserDefaults::boolForKey(std::string_view key)
{
    Value value = objectForKey(key);
    if (const std::string* text = value.asString())
        return boolFromString(*text);
    return value.boolValue().value_or(false);
}

int64_t UserDefaults::integerForKey(std::string_view key)
{
    Value value = objectForKey(key);
    if (const std::string* text = value.asString())
        return integerFromString(*text);
    return value.int64Value().value_or(0);
}

double UserDefaults::doubleForKey(std::string_view key)
{
    Value value = objectForKey(key);
    if (const std::string* text = value.asString())
        return doubleFromString(*text);
    return value.doubleValue().value_or(0.0);
}

float UserDefaults::floatForKey(std::string_view key)
{
    return detail::floatFromDouble(doubleForKey(key));
}

std::optional<std::string> UserDefaults::stringForKey(std::string_view key)
{
    Value value = objectForKey(key);
    if (const std::string* text = value.asString())
        return *text;
    return std::nullopt;
}

std::optional<Dictionary> UserDefaults::dictionaryForKey(std::string_view key)
{
    return objectForKey(key).asDictionary();
}

std::optional<Array> UserDefaults::arrayForKey(std::string_view key)
{
    return objectForKey(key).asArray();
}

std::optional<Data> UserDefaults::dataForKey(std::string_view key)
{
    Value value = objectForKey(key);
    if (const Data* bytes = value.asData())
        return *bytes;
    return std::nullopt;
}

void UserDefaults::setBool(bool value, std::string_view key)
{
    setObject(value, key);
}

void UserDefaults::setInteger(int64_t value, std::string_view key)
{
    setObject(value, key);
}

void UserDefaults::setDouble(double value, std::string_view key)
{
    setObject(value, key);
}

void UserDefaults::setFloat(float value, std::string_view key)
{
    setObject(value, key);
}

void UserDefaults::registerDefaults(const Dictionary& defaults)
{
    std::lock_guard lock(_lock);
    followCurrentSandbox();
    for (const auto& [key, value] : defaults)
        _registered.set(key, copied(value));
}

bool UserDefaults::synchronize()
{
    std::lock_guard lock(_lock);
    followCurrentSandbox();
    return !_needsWrite || writeValues();
}

std::optional<UnreadableStoredFile> UserDefaults::takeUnreadableFile()
{
    std::lock_guard lock(_lock);
    followCurrentSandbox();
    return std::exchange(_unreadableFile, std::nullopt);
}

}  // namespace plat
