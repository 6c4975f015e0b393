#include "platform/foundation/Bundle.h"

#include <cstdlib>

#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/StringsFile.h"

namespace plat {

namespace {

constexpr const char* kDefaultTable = "Localizable";
constexpr int64_t kMaxStringsFileBytes = 16 * 1024 * 1024;

std::string fileName(const std::string& name, const std::string& type)
{
    return type.empty() ? name : appendingPathExtension(name, type);
}

std::string languageFromEnvironment()
{
    for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (!value || !*value)
            continue;
        std::string text(value);
        // "de_DE.UTF-8" or "de:en": the language is the leading letters.
        size_t end = text.find_first_of("_.:@");
        std::string language = text.substr(0, end);
        if (language == "C" || language == "POSIX")
            return "en";
        if (!language.empty())
            return language;
    }
    return "en";
}

}  // namespace

Bundle::Bundle(std::string resourcePath)
    : _resourcePath(std::move(resourcePath))
{
}

Bundle& Bundle::mainBundle()
{
    static Bundle bundle = [] {
        const char* path = std::getenv("ZT_BUNDLE_DIR");
        return Bundle(path && *path ? std::string(path) : std::string(ZT_DEFAULT_BUNDLE_DIR));
    }();
    return bundle;
}

std::optional<std::string> Bundle::pathForResource(const std::string& name, const std::string& type) const
{
    return pathForResource(name, type, {});
}

std::optional<std::string> Bundle::pathForResource(
    const std::string& name, const std::string& type, const std::string& subdirectory) const
{
    if (name.empty())
        return std::nullopt;
    std::string folder = subdirectory.empty() ? _resourcePath : appendingPathComponent(_resourcePath, subdirectory);
    std::string candidate = appendingPathComponent(folder, fileName(name, type));
    if (fileExists(candidate))
        return candidate;
    for (const std::string& language : preferredLocalizations()) {
        candidate = appendingPathComponent(appendingPathComponent(folder, language + ".lproj"), fileName(name, type));
        if (fileExists(candidate))
            return candidate;
    }
    return std::nullopt;
}

std::vector<std::string> Bundle::pathsForResourcesOfType(const std::string& type, const std::string& subdirectory) const
{
    std::string folder = subdirectory.empty() ? _resourcePath : appendingPathComponent(_resourcePath, subdirectory);
    std::vector<std::string> paths;
    auto names = contentsOfDirectory(folder);
    if (!names.ok())
        return paths;
    for (const std::string& name : names.value()) {
        std::string path = appendingPathComponent(folder, name);
        if ((type.empty() || pathExtension(name) == type) && !isDirectory(path))
            paths.push_back(path);
    }
    return paths;
}

Dictionary Bundle::infoDictionary() const
{
    std::lock_guard lock(_lock);
    if (!_infoDictionary) {
        auto read = dictionaryWithContentsOfFile(appendingPathComponent(_resourcePath, "Info.plist"));
        _infoDictionary = read ? *read : Dictionary();
    }
    return *_infoDictionary;
}

Value Bundle::objectForInfoDictionaryKey(const std::string& key) const
{
    return infoDictionary().get(key);
}

std::string Bundle::bundleIdentifier() const
{
    return infoDictionary().getString("CFBundleIdentifier").value_or(std::string());
}

std::vector<std::string> Bundle::preferredLocalizations() const
{
    std::string preferred;
    {
        std::lock_guard lock(_lock);
        preferred = _preferredLanguage;
    }
    if (preferred.empty())
        preferred = languageFromEnvironment();
    std::vector<std::string> languages {preferred};
    for (const char* fallback : {"en", "Base"}) {
        if (preferred != fallback)
            languages.emplace_back(fallback);
    }
    return languages;
}

void Bundle::setPreferredLanguage(const std::string& language)
{
    std::lock_guard lock(_lock);
    _preferredLanguage = language;
}

const std::map<std::string, std::string>& Bundle::stringTable(
    const std::string& language, const std::string& table) const
{
    // Called with _lock held.
    std::string cacheKey = language + "/" + table;
    auto cached = _tables.find(cacheKey);
    if (cached != _tables.end())
        return cached->second;

    std::map<std::string, std::string> strings;
    std::string path = appendingPathComponent(
        appendingPathComponent(_resourcePath, language + ".lproj"), appendingPathExtension(table, "strings"));
    if (fileExists(path)) {
        auto bytes = readFile(path, kMaxStringsFileBytes);
        if (!bytes.ok()) {
            log("bundle: cannot read {}: {}", path, bytes.error().localizedDescription());
        } else {
            auto parsed = parseStringsFile(
                std::string_view(reinterpret_cast<const char*>(bytes.value().data()), bytes.value().size()));
            if (parsed.ok())
                strings = std::move(parsed.value());
            else
                log("bundle: {}: {}", path, parsed.error().localizedDescription());
        }
    }
    return _tables.emplace(cacheKey, std::move(strings)).first->second;
}

std::string Bundle::localizedStringForKey(
    const std::string& key, const std::string& value, const std::string& table) const
{
    std::string tableName = table.empty() ? kDefaultTable : table;
    auto languages = preferredLocalizations();
    std::lock_guard lock(_lock);
    for (const std::string& language : languages) {
        const auto& strings = stringTable(language, tableName);
        auto found = strings.find(key);
        if (found != strings.end())
            return found->second;
    }
    return value.empty() ? key : value;
}

std::string localized(const std::string& key)
{
    return Bundle::mainBundle().localizedStringForKey(key);
}

std::string localizedStringFromTable(const std::string& key, const std::string& table)
{
    return Bundle::mainBundle().localizedStringForKey(key, {}, table);
}

}  // namespace plat
