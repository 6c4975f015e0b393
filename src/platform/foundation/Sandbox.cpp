#include "platform/foundation/Sandbox.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

namespace plat {

namespace {

std::mutex currentLock;
std::shared_ptr<const Sandbox> currentSandbox;  // guarded by currentLock

}  // namespace

Sandbox::Sandbox(std::string root)
    : _root(std::move(root))
{
    for (const std::string& folder :
        {documentsDirectory(), cachesDirectory(), preferencesDirectory(), temporaryDirectory()}) {
        auto made = createDirectory(folder, IntermediateDirectories::Yes);
        if (!made.ok())
            log("sandbox: cannot create {}: {}", folder, made.error().localizedDescription());
    }
}

std::string Sandbox::documentsDirectory() const
{
    return appendingPathComponent(_root, "Documents");
}
std::string Sandbox::inboxDirectory() const
{
    return appendingPathComponent(documentsDirectory(), "Inbox");
}
std::string Sandbox::libraryDirectory() const
{
    return appendingPathComponent(_root, "Library");
}
std::string Sandbox::cachesDirectory() const
{
    return appendingPathComponent(libraryDirectory(), "Caches");
}
std::string Sandbox::preferencesDirectory() const
{
    return appendingPathComponent(libraryDirectory(), "Preferences");
}
std::string Sandbox::temporaryDirectory() const
{
    return appendingPathComponent(_root, "tmp");
}

std::optional<std::string> Sandbox::relativePath(const std::string& path) const
{
    // Where the name lies, whatever a link of that name leads to: links
    // are resolved up to the folder that holds it, and in the root.
    const std::string name = lastPathComponent(path);
    if (!isPlainFileName(name))
        return std::nullopt;
    const std::string folder = deletingLastPathComponent(path);
    std::error_code error;
    const auto holder = std::filesystem::weakly_canonical(folder.empty() ? "." : folder, error);
    if (error)
        return std::nullopt;
    const auto root = std::filesystem::weakly_canonical(_root, error);
    if (error)
        return std::nullopt;
    // Component by component: "/device2" is not inside "/device".
    auto [inRoot, inHolder] = std::mismatch(root.begin(), root.end(), holder.begin(), holder.end());
    if (inRoot != root.end() && !(inRoot->empty() && std::next(inRoot) == root.end()))
        return std::nullopt;
    return (holder / name).lexically_relative(root).string();
}

std::optional<std::string> Sandbox::pathForRelativePath(std::string_view relative) const
{
    const std::filesystem::path within(relative);
    if (relative.empty() || within.is_absolute())
        return std::nullopt;
    for (const auto& component : within)
        if (component == "..")
            return std::nullopt;
    const std::string path = appendingPathComponent(_root, relative);
    if (!relativePath(path))
        return std::nullopt;
    return path;
}

std::shared_ptr<const Sandbox> Sandbox::current()
{
    std::lock_guard lock(currentLock);
    if (!currentSandbox)
        currentSandbox = std::make_shared<Sandbox>(defaultRoot());
    return currentSandbox;
}

void Sandbox::setCurrent(std::shared_ptr<const Sandbox> sandbox)
{
    std::lock_guard lock(currentLock);
    currentSandbox = std::move(sandbox);
}

std::string Sandbox::defaultRoot()
{
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (dataHome && *dataHome)
        base = dataHome;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = appendingPathComponent(home, ".local/share");
    else
        base = "/tmp";
    return appendingPathComponent(base, "zantrope/device");
}

}  // namespace plat
