#pragma once
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"

namespace plat {

// The app bundle: a folder of resources (images, sounds, property lists,
// templates, shaders), "Info.plist", and string tables in "<language>.lproj"
// folders. Any thread (tables are read once, under a lock).
class Bundle {
public:
    explicit Bundle(std::string resourcePath);

    // The app's own bundle: $ZT_BUNDLE_DIR when set, else the resources folder
    // of the source tree the program was built from.
    static Bundle& mainBundle();

    const std::string& resourcePath() const { return _resourcePath; }

    // Looks in the folder (or subdirectory), then in the localization folders.
    // type may be empty when name carries its extension. Empty when missing.
    std::optional<std::string> pathForResource(const std::string& name, const std::string& type) const;
    std::optional<std::string> pathForResource(
        const std::string& name, const std::string& type, const std::string& subdirectory) const;
    std::vector<std::string> pathsForResourcesOfType(const std::string& type, const std::string& subdirectory) const;

    Dictionary infoDictionary() const;
    Value objectForInfoDictionaryKey(const std::string& key) const;
    std::string bundleIdentifier() const;

    // The value of key in the string table (default "Localizable") of the
    // preferred language, then English, then Base; else value when not empty,
    // else the key itself.
    std::string localizedStringForKey(
        const std::string& key, const std::string& value = {}, const std::string& table = {}) const;

    // Languages tried in order, most preferred first ("de", "en").
    std::vector<std::string> preferredLocalizations() const;
    // Overrides the language taken from the environment (LANGUAGE, LC_ALL,
    // LC_MESSAGES, LANG); empty restores it.
    void setPreferredLanguage(const std::string& language);

private:
    const std::map<std::string, std::string>& stringTable(const std::string& language, const std::string& table) const;

    std::string _resourcePath;
    mutable std::mutex _lock;
    std::string _preferredLanguage;  // guarded by _lock
    mutable std::optional<Dictionary> _infoDictionary;  // guarded by _lock
    mutable std::map<std::string, std::map<std::string, std::string>> _tables;  // guarded by _lock
};

// The English text is the key: the translation of the main bundle's default table.
std::string localized(const std::string& key);
std::string localizedStringFromTable(const std::string& key, const std::string& table);

}  // namespace plat
