#include "document/ProjectImportProcessor.h"

#include "document/FileUtil.h"
#include "document/ProjectArrival.h"
#include "document/ProjectDataWrapper.h"
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
    // Unpacked under a temporary name and put in place whole: a run that ends
    // meanwhile leaves only a temporary, which the next start removes, and
    // the archive, which it imports again.
    const std::string documents = plat::Sandbox::current()->documentsDirectory();
    auto built = plat::createTemporaryFolderBeside(plat::appendingPathComponent(documents, kFrameListFileName));
    if (!built.ok())
        return fail(error, built.error());
    const std::string& unpacked = built.value();
    plat::log("Decompress data from:{} to :{}", path, unpacked);

    auto giveUp = [&](plat::Error failure) {
        // No half-made project stays behind; the archive stays for another try.
        std::optional<plat::Error> removeError;
        if (!FileUtil::removeFolderAtPath(unpacked, &removeError))
            plat::log("project import: cannot remove {}: {}", unpacked, removeError->localizedDescription());
        return fail(error, std::move(failure));
    };
    std::optional<plat::Error> unzipError;
    if (!QVZipArchive::unzipFileAtPath(path, unpacked, Overwrite::Yes, std::nullopt, &unzipError))
        return giveUp(*unzipError);
    // A zip of anything else would show as an empty project: it is refused like a damaged archive.
    const std::string frameList = plat::appendingPathComponent(unpacked, kFrameListFileName);
    if (!plat::fileExists(frameList) || plat::isDirectory(frameList))
        return giveUp(
            plat::Error(kImportErrorDomain, kNoProjectError, plat::localized("The archive holds no project.")));
    // Several archives imported in the same second never share a name. Until
    // it is listed and the archive gone, a run that ends leaves both to the
    // next start to finish, never to import again.
    auto placed = ProjectArrival::placeProjectDir(
        unpacked, [this] { return createRecordName(); }, path);
    if (!placed.ok())
        return giveUp(placed.error());
    const std::string& name = placed.value();
    const bool listed = ProjectArrival::listArrival(name);
    // The project is in; an archive left behind would be imported again at the next start.
    std::optional<plat::Error> removeError;
    if (!FileUtil::removeItemAtPath(path, &removeError))
        plat::log("project import: cannot remove the imported archive {}: {}", path,
            removeError ? removeError->localizedDescription() : std::string("it is a folder"));
    if (listed)
        ProjectArrival::finishArrival(name);
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
