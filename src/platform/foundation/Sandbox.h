#pragma once
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace plat {

// The device's sandbox: one folder holding Documents, Library/Caches,
// Library/Preferences and tmp, plus the stores of the library and keychain
// stand-ins. The app picks its folder at start; tests install a fresh one
// per test. Any thread (immutable; current() is synchronised).
class Sandbox {
public:
    // Makes the standard folders below root when they are missing.
    explicit Sandbox(std::string root);

    const std::string& root() const { return _root; }
    std::string documentsDirectory() const;
    // Documents/Inbox: where the system puts the copies of files other apps hand over.
    std::string inboxDirectory() const;
    std::string libraryDirectory() const;
    std::string cachesDirectory() const;
    std::string preferencesDirectory() const;
    std::string temporaryDirectory() const;

    // Where an item lies within the device, relative to its root
    // ("Documents/Import/a.zip"): a path stored so still names the item once
    // the device folder is moved or copied. None for an item outside (a
    // link in the device to elsewhere lies in the device).
    std::optional<std::string> relativePath(const std::string& path) const;
    // The item a relative path names in this device; none for one that
    // would lead outside it (absolute, "..", a link to elsewhere).
    std::optional<std::string> pathForRelativePath(std::string_view relative) const;

    // The sandbox in use; without setCurrent, the default device folder in the
    // user's data directory ($XDG_DATA_HOME or ~/.local/share, "zantrope/device").
    static std::shared_ptr<const Sandbox> current();
    static void setCurrent(std::shared_ptr<const Sandbox> sandbox);
    static std::string defaultRoot();

private:
    std::string _root;
};

}  // namespace plat
