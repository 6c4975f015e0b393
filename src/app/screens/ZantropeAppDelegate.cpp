#include "app/screens/ZantropeAppDelegate.h"

#include <algorithm>
#include <cctype>

#include "app/LocalizedCounts.h"
#include "app/ProjectImportProcessor.h"
#include "audio/AudioController.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/URL.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/TypeIdentifiers.h"

namespace zt {

namespace {

constexpr const char* kInboxFolderName = "Import";
constexpr const char* kDidImportProjectNotification = "PROJECTIMPORTPROCESSOR_DID_IMPORT_PROJECT";

std::shared_ptr<plat::AlertView> makeMessage(const std::string& message, std::optional<std::string> button = {})
{
    return std::make_shared<plat::AlertView>(
        "", message, std::weak_ptr<plat::AlertViewDelegate>(), std::move(button), std::vector<std::string> {});
}

// What happened to the archives, as the message says it.
std::string importMessage(size_t imported, size_t archives)
{
    if (imported == archives) {
        return archives == 1 ? plat::localized("Project successfully imported.")
                             : withCounts(plat::localized("%d projects successfully imported."), archives);
    }
    if (archives == 1)
        return plat::localized("There was a problem copying the project. Please try again.");
    return withCounts(
        plat::localized("%d of %d projects imported. There was a problem copying the others."), imported, archives);
}

}  // namespace

ZantropeAppDelegate::~ZantropeAppDelegate()
{
    plat::RunLoop::main().cancelPreviousPerformRequests(this);
}

std::string ZantropeAppDelegate::inboxPath()
{
    return plat::appendingPathComponent(plat::Sandbox::current()->documentsDirectory(), kInboxFolderName);
}

bool ZantropeAppDelegate::applicationDidFinishLaunchingWithOptions(
    plat::Application& application, const plat::Dictionary& launchOptions)
{
    createInboxFolder();
    importProjectsFromInbox();
    AudioController::createSharedAudioInboxFolder();
    return UntitledAppDelegate::applicationDidFinishLaunchingWithOptions(application, launchOptions);
}

void ZantropeAppDelegate::createInboxFolder()
{
    // A folder already there is left as it is.
    auto created = plat::createDirectory(inboxPath(), plat::IntermediateDirectories::Yes);
    if (!created.ok())
        plat::log("start-up: {}", created.error().localizedDescription());
}

void ZantropeAppDelegate::importProjectsFromInbox()
{
    auto listed = plat::contentsOfDirectory(inboxPath());
    if (!listed.ok())
        return;
    std::vector<std::string> archives;
    for (const std::string& name : listed.value())
        if (name.ends_with(kInboxFileSuffix))
            archives.push_back(plat::appendingPathComponent(inboxPath(), name));
    if (archives.empty())
        return;

    auto alert = makeMessage(plat::localized("Import."));
    // The window comes with the base start-up, after this: show the message on the next turn.
    plat::DispatchQueue::mainQueue().async([alert] { alert->show(); });
    std::weak_ptr<UntitledAppDelegate> weakSelf = weak_from_this();
    plat::DispatchQueue::globalQueue().async([weakSelf, alert, archives]() mutable {
        ProjectImportProcessor processor;
        size_t imported = 0;
        for (const std::string& archive : archives)
            imported += processor.importProjectAtPath(archive) ? 1 : 0;
        plat::DispatchQueue::mainQueue().sync([&] {
            // The alert is a view: its last reference must go on the main thread.
            auto message = std::move(alert);
            auto self = std::static_pointer_cast<ZantropeAppDelegate>(weakSelf.lock());
            message->setMessage(importMessage(imported, archives.size()));
            if (imported > 0)
                plat::NotificationCenter::defaultCenter().post(kDidImportProjectNotification, self.get());
            if (self)
                self->dismissAfterMessageTime(message);
        });
    });
}

void ZantropeAppDelegate::dismissAfterMessageTime(std::shared_ptr<plat::AlertView> alert)
{
    std::weak_ptr<UntitledAppDelegate> weakSelf = weak_from_this();
    plat::RunLoop::main().performAfterDelay(this, kMessageSeconds, [weakSelf, alert] {
        if (auto self = std::static_pointer_cast<ZantropeAppDelegate>(weakSelf.lock()))
            self->dismissAlertView(alert);
    });
}

void ZantropeAppDelegate::dismissAlertView(const std::shared_ptr<plat::AlertView>& alert)
{
    alert->dismissWithClickedButtonIndex(0, /*animated=*/true);
}

bool ZantropeAppDelegate::applicationOpenURLSourceApplicationAnnotation(plat::Application& application,
    const plat::URL& url, const std::string& sourceApplication, const plat::Value& annotation)
{
    const std::string type
        = plat::UTTypeCreatePreferredIdentifierForTag(plat::kUTTagClassFilenameExtension, url.pathExtension());
    if (plat::UTTypeEqual(type, kArchiveType))
        return importArchiveAtURL(url);
    if (plat::UTTypeConformsTo(type, plat::kUTTypeAudio)) {
        importAudioFileAtURL(url);
        return true;
    }
    return UntitledAppDelegate::applicationOpenURLSourceApplicationAnnotation(
        application, url, sourceApplication, annotation);
}

bool ZantropeAppDelegate::importArchiveAtURL(const plat::URL& url)
{
    auto alert = makeMessage(plat::localized("Import."));
    alert->show();
    std::weak_ptr<UntitledAppDelegate> weakSelf = weak_from_this();
    ProjectImportProcessor().importProjectAtUrl(url, [weakSelf, alert](bool imported) mutable {
        // Called on the global queue.
        plat::DispatchQueue::mainQueue().sync([&] {
            // The alert is a view: its last reference must go on the main thread.
            auto message = std::move(alert);
            auto self = std::static_pointer_cast<ZantropeAppDelegate>(weakSelf.lock());
            message->setMessage(importMessage(imported ? 1 : 0, 1));
            if (imported)
                plat::NotificationCenter::defaultCenter().post(kDidImportProjectNotification, self.get());
            if (self)
                self->dismissAfterMessageTime(message);
        });
    });
    return true;
}

void ZantropeAppDelegate::importAudioFileAtURL(const plat::URL& url)
{
    bool imported = AudioController::importAudioFromFileURL(url);
    auto alert
        = makeMessage(plat::localized(imported ? "Audio file imported." : "The audio file could not be imported."),
            plat::localized("OK"));
    alert->show();
}

}  // namespace zt
