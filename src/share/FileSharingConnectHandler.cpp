#include "share/FileSharingConnectHandler.h"

#include "document/FailureReason.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UniformTypeIdentifiers.h"
#include "platform/graphics/Image.h"
#include "render/ProjectExportRenderer.h"
#include "render/SingleImagesExportRenderer.h"
#include "share/ShareServices.h"

namespace zt {

namespace {

constexpr int kMaximumNameNumber = 9999;
constexpr int64_t kCopyFailedError = 1;
constexpr int64_t kNoNameLeftError = 2;

using Progress = std::function<void(float)>;

// Copies the folder's files (it holds no folders) into a hidden folder
// beside destination, then renames that into place. The folder and its
// files get the modes of anything the person saves.
plat::Result<void> copyFolderAside(const std::string& from, const std::string& destination,
    const std::function<bool()>& isCancelled, const Progress& progress)
{
    auto names = plat::contentsOfDirectory(from);
    if (!names.ok())
        return names.error();
    auto aside = plat::createTemporaryFolderBeside(destination);
    if (!aside.ok())
        return aside.error();
    auto copyAll = [&]() -> plat::Result<void> {
        const auto& files = names.value();
        for (size_t i = 0; i < files.size(); ++i) {
            auto copied = plat::copyFileAtomically(plat::appendingPathComponent(from, files[i]),
                plat::appendingPathComponent(aside.value(), files[i]), isCancelled);
            if (!copied.ok())
                return copied;
            progress(static_cast<float>(i + 1) / static_cast<float>(files.size()));
        }
        // A move, not a replace: whatever took the name meanwhile is the person's.
        auto moved = plat::moveItem(aside.value(), destination);
        if (!moved.ok())
            return moved.error();
        return plat::Result<void>::success();
    };
    auto copied = copyAll();
    if (!copied.ok()) {
        if (auto removed = plat::removeItemIfExists(aside.value()); !removed.ok())
            plat::log("file sharing: {}", removed.error().localizedDescription());
    }
    return copied;
}

// Copies the file under a hidden name beside destination, then moves it
// into place; like a folder, it never replaces what took the name meanwhile.
plat::Result<void> copyFileAside(
    const std::string& from, const std::string& destination, const std::function<bool()>& isCancelled)
{
    const std::string aside = plat::temporaryPathBeside(destination);
    if (auto copied = plat::copyFileAtomically(from, aside, isCancelled); !copied.ok())
        return copied;
    auto moved = plat::moveItem(aside, destination);
    if (moved.ok())
        return plat::Result<void>::success();
    if (auto removed = plat::removeItemIfExists(aside); !removed.ok())
        plat::log("file sharing: {}", removed.error().localizedDescription());
    return moved.error();
}

}  // namespace

std::string detail::unusedNameInFolder(const std::string& folder, const std::string& name)
{
    if (!plat::fileExists(plat::appendingPathComponent(folder, name)))
        return name;
    const std::string extension = plat::pathExtension(name);
    const std::string base = plat::deletingPathExtension(name);
    for (int number = 2; number <= kMaximumNameNumber; ++number) {
        // The number and extension stay whole; a long name gives way to them.
        const std::string candidate
            = plat::fileNameFitting(base, " " + std::to_string(number) + (extension.empty() ? "" : "." + extension));
        if (!plat::fileExists(plat::appendingPathComponent(folder, candidate)))
            return candidate;
    }
    return {};
}

FileSharingConnectHandler::FileSharingConnectHandler(ShareExporter exporter)
    : ConnectHandler(std::move(exporter))
    , _queue(plat::DispatchQueue::create(kQueueLabel))
{
}

std::string FileSharingConnectHandler::activityType() const
{
    return UIActivityTypeShareToiTunes;
}

std::string FileSharingConnectHandler::activityTitle() const
{
    return plat::localized("File Sharing");
}

std::shared_ptr<const plat::Image> FileSharingConnectHandler::activityImage() const
{
    return plat::Image::imageNamed("share_icon_filesharing");
}

std::vector<std::string> FileSharingConnectHandler::supportedUTIs() const
{
    return {
        plat::kUTTypeQuickTimeMovie, plat::kUTTypeGIF, SingleImagesExportRenderer::kUTI, ProjectExportRenderer::kUTI};
}

void FileSharingConnectHandler::uploadDataAtURL(
    const plat::URL& url, const std::string&, const std::string&, const std::string&)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    _cancelled = std::make_shared<std::atomic<bool>>(false);
    const std::string documents = plat::Sandbox::current()->documentsDirectory();
    _queue->async([weakSelf = weak_from_this(), cancelled = _cancelled, from = url.path(), documents] {
        // Heard on the main queue while the handler lives, and not after a cancel.
        auto report = [&](std::function<void(FileSharingConnectHandler&)> deliver) {
            plat::DispatchQueue::mainQueue().async([weakSelf, cancelled, deliver = std::move(deliver)] {
                if (cancelled->load())
                    return;
                if (auto self = std::static_pointer_cast<FileSharingConnectHandler>(weakSelf.lock()))
                    deliver(*self);
            });
        };
        auto isCancelled = [cancelled] { return cancelled->load(); };
        const std::string name = detail::unusedNameInFolder(documents, plat::lastPathComponent(from));
        if (name.empty()) {
            report([](FileSharingConnectHandler& self) {
                self.reportFailure(plat::Error(
                    kErrorDomain, kNoNameLeftError, plat::localized("Documents holds too many exports of this name.")));
            });
            return;
        }
        const std::string destination = plat::appendingPathComponent(documents, name);
        auto created = plat::createDirectory(documents, plat::IntermediateDirectories::Yes);
        plat::Result<void> copied = created;
        if (copied.ok()) {
            if (plat::isDirectory(from)) {
                copied = copyFolderAside(from, destination, isCancelled, [&](float progress) {
                    report([progress](FileSharingConnectHandler& self) { self.reportProgress(progress); });
                });
            } else {
                copied = copyFileAside(from, destination, isCancelled);
            }
        }
        if (!copied.ok()) {
            // The failure names the hidden copy being built: the log keeps it, the person gets the reason.
            plat::log("file sharing: {}", copied.error().localizedDescription());
            report([failure = copied.error()](FileSharingConnectHandler& self) {
                self.reportFailure(plat::Error(kErrorDomain, kCopyFailedError,
                    plat::localized("The export could not be saved in Documents:") + " " + failureReason(failure), {},
                    std::make_shared<const plat::Error>(failure)));
            });
            return;
        }
        report([destination](
                   FileSharingConnectHandler& self) { self.reportArrival(plat::URL::fileURLWithPath(destination)); });
    });
}

void FileSharingConnectHandler::cancel()
{
    _cancelled->store(true);
}

std::string FileSharingConnectHandler::completionText(const std::optional<plat::URL>& url) const
{
    const std::string name = url ? plat::lastPathComponent(url->path()) : std::string();
    return plat::localized("Saved in Documents as") + " \"" + plat::escapedForMessage(name) + "\".";
}

}  // namespace zt
