#include "share/OpenInConnectHandler.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UniformTypeIdentifiers.h"
#include "platform/graphics/Image.h"
#include "render/ProjectExportRenderer.h"
#include "share/ShareServices.h"

extern char** environ;

namespace zt {

namespace {

constexpr const char* kOpener = "xdg-open";

bool isSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

}  // namespace

std::optional<std::string> detail::desktopOpenerPath()
{
    if (!isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY"))
        return std::nullopt;
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        const std::string folder = folders.substr(start, end - start);
        if (!folder.empty()) {
            std::string candidate = plat::appendingPathComponent(folder, kOpener);
            if (::access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        start = end + 1;
    }
    return std::nullopt;
}

OpenInConnectHandler::OpenInConnectHandler(ShareExporter exporter)
    : ConnectHandler(std::move(exporter))
    , _queue(plat::DispatchQueue::create("com.quorvane.openInConnectHandler"))
{
}

std::string OpenInConnectHandler::activityType() const
{
    return UIActivityTypeShareToOpenIn;
}

std::string OpenInConnectHandler::activityTitle() const
{
    return plat::localized("Open In");
}

std::shared_ptr<const plat::Image> OpenInConnectHandler::activityImage() const
{
    return plat::Image::imageNamed("share_icon_openin");
}

std::vector<std::string> OpenInConnectHandler::supportedUTIs() const
{
    return {plat::kUTTypeQuickTimeMovie, plat::kUTTypeGIF, ProjectExportRenderer::kUTI};
}

void OpenInConnectHandler::uploadDataAtURL(
    const plat::URL& url, const std::string&, const std::string&, const std::string&)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    _cancelled = std::make_shared<std::atomic<bool>>(false);
    const std::string file = url.path();
    auto opener = detail::desktopOpenerPath();
    if (!opener) {
        reportFailure(plat::Error(kErrorDomain, kNoDesktopError,
            plat::localized("No desktop is running here, so no other program can open the export. It is at") + " "
                + plat::escapedForMessage(file)));
        return;
    }
    std::vector<std::string> words {*opener, file};
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, opener->c_str(), nullptr, nullptr, argv.data(), environ);
    if (spawned != 0) {
        reportFailure(plat::Error(kErrorDomain, kOpenFailedError,
            plat::localized("No program could be started to open the export:") + " " + std::strerror(spawned)));
        return;
    }
    _queue->async([weakSelf = weak_from_this(), cancelled = _cancelled, child, file] {
        int status = 0;
        pid_t waited = 0;
        do {
            waited = ::waitpid(child, &status, 0);
        } while (waited < 0 && errno == EINTR);
        const bool opened = waited == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        plat::DispatchQueue::mainQueue().async([weakSelf, cancelled, opened, file] {
            auto self = std::static_pointer_cast<OpenInConnectHandler>(weakSelf.lock());
            if (!self || cancelled->load())
                return;
            if (opened)
                self->reportArrival(plat::URL::fileURLWithPath(file));
            else
                self->reportFailure(plat::Error(kErrorDomain, kOpenFailedError,
                    plat::localized("No program of the desktop could open") + " \""
                        + plat::escapedForMessage(plat::lastPathComponent(file)) + "\"."));
        });
    });
}

void OpenInConnectHandler::cancel()
{
    // What was handed over stays with the other program; only the report is dropped.
    _cancelled->store(true);
}

std::string OpenInConnectHandler::completionText(const std::optional<plat::URL>& url) const
{
    const std::string name = url ? plat::lastPathComponent(url->path()) : std::string();
    return plat::localized("Handed") + " \"" + plat::escapedForMessage(name) + "\" "
        + plat::localized("to another program.");
}

}  // namespace zt
