#include "app/ZantropeAppDelegate.h"

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "app/LeftoverTemporaries.h"
#include "app/MessagesAfterWelcome.h"
#include "audio/AudioController.h"
#include "document/FailureReason.h"
#include "document/FilledText.h"
#include "document/ProjectArrival.h"
#include "document/ProjectImportProcessor.h"
#include "document/ProjectsList.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/TypeIdentifiers.h"
#include "uikit/MessageAlert.h"

namespace zt {

namespace {

constexpr const char* kInboxFolderName = "Import";
// Where archives that could not be imported wait for the person, out of the next start's way.
constexpr const char* kNotImportedFolderName = "Not Imported";
constexpr const char* kDidImportProjectNotification = "PROJECTIMPORTPROCESSOR_DID_IMPORT_PROJECT";
constexpr int kMaxNameAttempts = 1000;

// The system's copy of a file another app handed over; what lies elsewhere is the person's to keep where it is.
bool isHandedOverCopy(const std::string& path)
{
    return plat::deletingLastPathComponent(path) == plat::Sandbox::current()->inboxDirectory();
}

// Moves a handed-over copy that was not taken out of the inbox, beside the
// archives that could not be imported; true when it is there.
bool setAsideHandedOverCopy(const std::string& path)
{
    if (!isHandedOverCopy(path) || !plat::fileExists(path))
        return false;
    auto moved = ZantropeAppDelegate::setAsideArchive(path);
    if (!moved.ok())
        plat::log("open: {} stays in the inbox: {}", path, moved.error().localizedDescription());
    return moved.ok();
}

// The type the platform gives a file by its name's extension.
std::string typeOfFile(const std::string& path)
{
    return plat::UTTypeCreatePreferredIdentifierForTag(plat::kUTTagClassFilenameExtension, plat::pathExtension(path));
}

bool isProjectArchive(const std::string& path)
{
    return plat::UTTypeEqual(typeOfFile(path), ZantropeAppDelegate::kArchiveType);
}

// A file that was not taken and why. Its name comes from outside: it shows
// as text a person can read, and cuts nothing that follows it.
std::string namedReason(const std::string& fileName, const std::string& reason)
{
    return filledText(plat::localized("“%@”: %@"), {plat::escapedForMessage(fileName), reason});
}

// What happened to the archives, as the message says it: the count, then
// each archive that failed with the reason.
std::string importMessage(size_t archives, const std::vector<ZantropeAppDelegate::FailedImport>& failures)
{
    const size_t imported = archives - failures.size();
    if (failures.empty()) {
        return archives == 1
            ? plat::localized("Project successfully imported.")
            : filledText(plat::localized("%d projects successfully imported."), {std::to_string(archives)});
    }
    std::string message;
    if (imported > 0) {
        message = filledText(
            plat::localized("%d of %d projects imported."), {std::to_string(imported), std::to_string(archives)});
    } else {
        message = archives == 1
            ? plat::localized("The project could not be imported.")
            : filledText(plat::localized("None of the %d projects could be imported."), {std::to_string(archives)});
    }
    size_t setAside = 0;
    for (const auto& failure : failures) {
        message += "\n" + namedReason(failure.fileName, failure.reason);
        setAside += failure.setAside ? 1 : 0;
    }
    if (setAside == 1) {
        message
            += "\n" + plat::localized("The archive that could not be imported is kept in the folder “Not Imported”.");
    } else if (setAside > 1) {
        message += "\n"
            + filledText(
                plat::localized("The %d archives that could not be imported are kept in the folder “Not Imported”."),
                {std::to_string(setAside)});
    }
    return message;
}

// A file that another app could not hand over (the other app still has it), and why.
std::string handOverFailureMessage(const std::string& fileName, const std::string& reason)
{
    return plat::localized("There was a problem copying the project. Please try again.") + "\n"
        + namedReason(fileName, reason);
}

// A file opened from another app that was not imported: what, why, and where it is kept.
std::string refusalMessage(
    const std::string& headline, const std::string& fileName, const std::string& reason, bool setAside)
{
    std::string message = headline + "\n" + namedReason(fileName, reason);
    if (setAside)
        message += "\n" + plat::localized("The file is kept in the folder “Not Imported”.");
    return message;
}

std::string fileFailureMessage(const std::string& fileName, bool setAside)
{
    return refusalMessage(plat::localized("The file could not be imported."), fileName,
        plat::localized("Only projects and sound files can be imported."), setAside);
}

std::string audioFailureMessage(const std::string& fileName, const std::string& reason, bool setAside)
{
    return refusalMessage(plat::localized("The audio file could not be imported."), fileName, reason, setAside);
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
    // Before anything writes: what a killed run left half-made goes first,
    // and what it left half-listed is listed or taken off the list.
    removeLeftoverTemporaries();
    ProjectArrival::finishArrivalsCutShort();
    ProjectsList::removeNamesOfMissingFolders(ProjectsList::SampleFolder::MayComeBack);
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

std::vector<std::string> ZantropeAppDelegate::takeHandedOverLeftovers()
{
    // Files another app handed over that a run ended before taking (killed while importing).
    const std::string handedOver = plat::Sandbox::current()->inboxDirectory();
    std::vector<std::string> archives;
    for (const std::string& name : plat::contentsOfDirectory(handedOver).valueOr(std::vector<std::string>())) {
        const std::string path = plat::appendingPathComponent(handedOver, name);
        if (isProjectArchive(path)) {
            archives.push_back(path);
            continue;
        }
        const bool setAside = setAsideHandedOverCopy(path);
        auto message = makeMessage(refusalMessage(plat::localized("The file could not be imported."), name,
                                       plat::localized("The app closed before it was imported."), setAside),
            plat::localized("OK"));
        std::weak_ptr<UntitledAppDelegate> weakSelf = weak_from_this();
        // The window comes with the base start-up, after this: show the message on the next turn.
        plat::DispatchQueue::mainQueue().async([weakSelf, message] {
            if (auto self = std::static_pointer_cast<ZantropeAppDelegate>(weakSelf.lock()))
                self->showInboxMessage(message);
        });
    }
    return archives;
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
    for (std::string& leftover : takeHandedOverLeftovers())
        archives.push_back(std::move(leftover));
    if (archives.empty())
        return;

    auto alert = makeMessage(plat::localized("Import."));
    std::weak_ptr<UntitledAppDelegate> weakSelf = weak_from_this();
    // The window comes with the base start-up, after this: show the message on the next turn.
    plat::DispatchQueue::mainQueue().async([weakSelf, alert] {
        if (auto self = std::static_pointer_cast<ZantropeAppDelegate>(weakSelf.lock()))
            self->showInboxMessage(alert);
    });
    plat::DispatchQueue::globalQueue().async([weakSelf, alert, archives]() mutable {
        ProjectImportProcessor processor;
        std::vector<FailedImport> failures;
        for (const std::string& archive : archives) {
            std::optional<plat::Error> error;
            if (processor.importProjectAtPath(archive, &error))
                continue;
            FailedImport failure {plat::lastPathComponent(archive),
                error ? failureReason(*error) : plat::localized("The archive cannot be read."), false};
            auto moved = setAsideArchive(archive);
            if (moved.ok())
                failure.setAside = true;
            else
                plat::log("start-up: {} stays in the inbox: {}", archive, moved.error().localizedDescription());
            failures.push_back(std::move(failure));
        }
        plat::DispatchQueue::mainQueue().sync([&] {
            // The alert is a view: its last reference must go on the main thread.
            auto message = std::move(alert);
            auto self = std::static_pointer_cast<ZantropeAppDelegate>(weakSelf.lock());
            message->setMessage(importMessage(archives.size(), failures));
            if (failures.size() < archives.size())
                plat::NotificationCenter::defaultCenter().post(kDidImportProjectNotification, self.get());
            if (!failures.empty())
                message->addButtonWithTitle(plat::localized("OK"));  // names and reasons take a while to read
            else if (self)
                self->dismissAfterMessageTime(message);
        });
    });
}

std::string ZantropeAppDelegate::notImportedPath()
{
    return plat::appendingPathComponent(plat::Sandbox::current()->documentsDirectory(), kNotImportedFolderName);
}

plat::Result<std::string> ZantropeAppDelegate::setAsideArchive(const std::string& archive)
{
    const std::string folder = notImportedPath();
    auto created = plat::createDirectory(folder, plat::IntermediateDirectories::Yes);
    if (!created.ok())
        return created.error();
    // An archive of the same name set aside before stays: this one gets " 2", " 3"...
    const std::string name = plat::lastPathComponent(archive);
    const std::string stem = plat::deletingPathExtension(name);
    const std::string extension = plat::pathExtension(name);
    for (int attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
        std::string candidate
            = attempt == 1 ? name : stem + " " + std::to_string(attempt) + (extension.empty() ? "" : "." + extension);
        std::string destination = plat::appendingPathComponent(folder, candidate);
        if (plat::fileExists(destination))
            continue;
        auto moved = plat::moveItem(archive, destination);
        if (moved.ok())
            return destination;
        if (moved.error().domain() != plat::kPOSIXErrorDomain || moved.error().code() != EEXIST)
            return moved.error();
    }
    return plat::Error::posix(EEXIST, "set aside", archive);
}

std::shared_ptr<plat::AlertView> ZantropeAppDelegate::makeMessage(
    const std::string& message, std::optional<std::string> button)
{
    std::weak_ptr<plat::AlertViewDelegate> delegate = std::static_pointer_cast<ZantropeAppDelegate>(shared_from_this());
    return makeMessageAlert("", message, std::move(button), delegate);
}

void ZantropeAppDelegate::showInboxMessage(const std::shared_ptr<plat::AlertView>& alert)
{
    messagesAfterWelcome().show(alert);
}

void ZantropeAppDelegate::willPresentAlertView(plat::AlertView& alert)
{
    auto waiting = std::find_if(_dismissWhenShown.begin(), _dismissWhenShown.end(),
        [&](const std::weak_ptr<plat::AlertView>& message) { return message.lock().get() == &alert; });
    if (waiting == _dismissWhenShown.end())
        return;
    _dismissWhenShown.erase(waiting);
    // It counts as visible only once this returns: its time starts now, whatever isVisible says.
    startMessageTime(alert.sharedAs<plat::AlertView>());
}

void ZantropeAppDelegate::dismissAfterMessageTime(std::shared_ptr<plat::AlertView> alert)
{
    if (!alert->isVisible()) {
        // Not shown yet (it waits behind another alert, or for the welcome): its 3 s start when it shows.
        std::erase_if(
            _dismissWhenShown, [](const std::weak_ptr<plat::AlertView>& message) { return message.expired(); });
        _dismissWhenShown.push_back(alert);
        return;
    }
    startMessageTime(std::move(alert));
}

void ZantropeAppDelegate::startMessageTime(std::shared_ptr<plat::AlertView> alert)
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
    if (isProjectArchive(url.path()))
        return importArchiveAtURL(url);
    if (AudioController::isAudioFileAtURL(url)) {
        importAudioFileAtURL(url);
        return true;
    }
    if (UntitledAppDelegate::applicationOpenURLSourceApplicationAnnotation(
            application, url, sourceApplication, annotation))
        return true;
    if (url.isFileURL())
        refuseFileAtURL(url);
    return false;
}

void ZantropeAppDelegate::refuseFileAtURL(const plat::URL& url)
{
    const bool setAside = setAsideHandedOverCopy(url.path());
    makeMessage(fileFailureMessage(plat::lastPathComponent(url.path()), setAside), plat::localized("OK"))->show();
}

bool ZantropeAppDelegate::importArchiveAtURL(const plat::URL& url)
{
    auto alert = makeMessage(plat::localized("Import."));
    alert->show();
    std::weak_ptr<UntitledAppDelegate> weakSelf = weak_from_this();
    const std::string fileName = plat::lastPathComponent(url.path());
    ProjectImportProcessor().importProjectAtUrl(url,
        [weakSelf, alert, fileName, path = url.path()](bool imported, const std::optional<plat::Error>& error) mutable {
            // Called on the global queue. A refused archive goes where the start-up puts those it refuses.
            const bool setAside = !imported && setAsideHandedOverCopy(path);
            plat::DispatchQueue::mainQueue().sync([&] {
                // The alert is a view: its last reference must go on the main thread.
                auto message = std::move(alert);
                auto self = std::static_pointer_cast<ZantropeAppDelegate>(weakSelf.lock());
                if (imported) {
                    message->setMessage(plat::localized("Project successfully imported."));
                    plat::NotificationCenter::defaultCenter().post(kDidImportProjectNotification, self.get());
                    if (self)
                        self->dismissAfterMessageTime(message);
                    return;
                }
                const FailedImport failure {
                    fileName, error ? failureReason(*error) : plat::localized("The archive cannot be read."), setAside};
                message->setMessage(importMessage(1, {failure}));
                message->addButtonWithTitle(plat::localized("OK"));  // names and reasons take a while to read
            });
        });
    return true;
}

void ZantropeAppDelegate::applicationDidFailToReceiveURL(
    plat::Application&, const plat::URL& url, const plat::Error& error)
{
    // The other app still has its file: a project or sound may be tried again, anything else is not taken.
    const std::string fileName = plat::lastPathComponent(url.path());
    std::string message;
    if (isProjectArchive(url.path()))
        message = handOverFailureMessage(fileName, failureReason(error));
    else if (AudioController::isAudioFileAtURL(url))
        message = audioFailureMessage(fileName, failureReason(error), /*setAside=*/false);
    else if (url.isFileURL())
        message = fileFailureMessage(fileName, /*setAside=*/false);
    else
        return;
    makeMessage(message, plat::localized("OK"))->show();
}

void ZantropeAppDelegate::importAudioFileAtURL(const plat::URL& url)
{
    std::optional<plat::Error> error;
    if (AudioController::importAudioFromFileURL(url, &error)) {
        makeMessage(plat::localized("Audio file imported."), plat::localized("OK"))->show();
        return;
    }
    const bool setAside = setAsideHandedOverCopy(url.path());
    makeMessage(audioFailureMessage(plat::lastPathComponent(url.path()),
                    error ? failureReason(*error) : plat::localized("The file cannot be read."), setAside),
        plat::localized("OK"))
        ->show();
}

}  // namespace zt
