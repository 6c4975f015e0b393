#include "document/ProjectImportProcessor.h"

#include "document/FileUtil.h"
#include "document/ProjectDataWrapper.h"
#include "document/ProjectsList.h"
#include "document/QVZipArchive.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/URL.h"

namespace zt {

namespace {

constexpr const char* kImportErrorDomain = "ProjectImportProcessorErrorDomain";
constexpr int64_t kNotAFileURLError = 1;
constexpr int64_t kNoProjectError = 2;
// What makes an unpacked folder a project: its frame list.
constexpr const char* kFrameListFileName = "frames.meta";

bool fail(std::optional<plat::Error>* error, plat::Error failure)
{
    plat::log("project import: {}", failure.localizedDescription());
    if (error)
        *error = std::move(failure);
    return false;
}

}  // namespace

std::string ProjectImportProcessor::createRecordName() const
{
    return ProjectDataWrapper::createProjectDirName();
}

bool ProjectImportProcessor::importProjectAtPath(const std::string& path, std::optional<plat::Error>* error) const
{
    // The folder is made at once, so that imports in the same second (several
    // archives in the inbox) never share a name.
    auto reserved = ProjectDataWrapper::reserveProjectDir([this] { return createRecordName(); });
    if (!reserved.ok())
        return fail(error, reserved.error());
    const std::string& name = reserved.value();
    std::string destination = plat::appendingPathComponent(plat::Sandbox::current()->documentsDirectory(), name);
    plat::log("Decompress data from:{} to :{}", path, destination);

    auto giveUp = [&](plat::Error failure) {
        // No half-made project stays behind; the archive stays for another try.
        std::optional<plat::Error> removeError;
        if (!FileUtil::removeFolderAtPath(destination, &removeError))
            plat::log("project import: cannot remove {}: {}", destination, removeError->localizedDescription());
        return fail(error, std::move(failure));
    };
    std::optional<plat::Error> unzipError;
    if (!QVZipArchive::unzipFileAtPath(path, destination, Overwrite::Yes, std::nullopt, &unzipError))
        return giveUp(*unzipError);
    // A zip of anything else would show as an empty project: it is refused like a damaged archive.
    const std::string frameList = plat::appendingPathComponent(destination, kFrameListFileName);
    if (!plat::fileExists(frameList) || plat::isDirectory(frameList))
        return giveUp(
            plat::Error(kImportErrorDomain, kNoProjectError, plat::localized("The archive holds no project.")));
    // A fresh device has no list yet: start-up makes it from the folders, this one among them.
    if (!ProjectsList::insertProjectName(name) && plat::fileExists(ProjectsList::path()))
        plat::log("project import: the projects list cannot be read; {} is not listed", name);
    // The project is in; an archive left behind would be imported again at the next start.
    std::optional<plat::Error> removeError;
    if (!FileUtil::removeItemAtPath(path, &removeError))
        plat::log("project import: cannot remove the imported archive {}: {}", path,
            removeError ? removeError->localizedDescription() : std::string("it is a folder"));
    return true;
}

void ProjectImportProcessor::importProjectAtUrl(
    const plat::URL& url, std::function<void(bool imported, const std::optional<plat::Error>& error)> completion) const
{
    plat::DispatchQueue::globalQueue().async([url, completion = std::move(completion)] {
        std::optional<plat::Error> error;
        bool imported = url.isFileURL()
            ? ProjectImportProcessor().importProjectAtPath(url.path(), &error)
            : fail(
                &error, plat::Error(kImportErrorDomain, kNotAFileURLError, "not a file URL: " + url.absoluteString()));
        if (completion)
            completion(imported, error);
    });
}

}  // namespace zt
