#include "platform/foundation/Sandbox.h"

#include <cstdlib>
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
