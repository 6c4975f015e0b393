#pragma once
#include <memory>
#include <string>

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

    // The sandbox in use; without setCurrent, the default device folder in the
    // user's data directory ($XDG_DATA_HOME or ~/.local/share, "zantrope/device").
    static std::shared_ptr<const Sandbox> current();
    static void setCurrent(std::shared_ptr<const Sandbox> sandbox);
    static std::string defaultRoot();

private:
    std::string _root;
};

}  // namespace plat
