#include <cerrno>

#include "audio/AudioController.h"
#include "audio/ProjectSoundFiles.h"
#include "audio/QVMediaQueryViewController.h"
#include "document/SoundFileInspection.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/URL.h"

namespace zt {

namespace {

constexpr const char* kInboxFolderName = "shared-audio";

bool fail(std::optional<plat::Error>* error, plat::Error failure)
{
    plat::log("audio inbox: {}", failure.localizedDescription());
    if (error)
        *error = std::move(failure);
    return false;
}

}  // namespace

std::string AudioController::sharedAudioInboxPath()
{
    return plat::appendingPathComponent(plat::Sandbox::current()->documentsDirectory(), kInboxFolderName);
}

void AudioController::createSharedAudioInboxFolder()
{
    // A folder already there is left as it is.
    auto created = plat::createDirectory(sharedAudioInboxPath(), plat::IntermediateDirectories::Yes);
    if (!created.ok())
        plat::log("audio inbox: {}", created.error().localizedDescription());
}

bool AudioController::isAudioFileAtURL(const plat::URL& url)
{
    if (QVMediaQueryViewController::isAudioFile(url.path()))
        return true;
    return url.isFileURL() && ProjectSoundFiles::isSoundFile(url.path());
}

bool AudioController::importAudioFromFileURL(const plat::URL& url, std::optional<plat::Error>* error)
{
    createSharedAudioInboxFolder();
    if (!url.isFileURL())
        return fail(error, plat::Error(kErrorDomain, kNotAFileError, "not a file URL: " + url.absoluteString()));
    const std::string source = url.path();
    const std::string name = plat::lastPathComponent(source);
    if (!plat::isPlainFileName(name))
        return fail(error, plat::Error(kErrorDomain, kNotAFileError, "not a file name: " + name));
    auto attributes = plat::attributesOfItem(source);
    if (!attributes.ok())
        return fail(error, attributes.error());
    if (attributes.value().isDirectory || attributes.value().isSymbolicLink)
        return fail(error, plat::Error::posix(EISDIR, "import audio", source));
    // Looked at as a sound where it arrives: one that holds none is refused
    // now, with the reason, rather than listed at 0:00 and refused when chosen.
    if (auto inspected = SoundFileInspection::inspect(source); !inspected.ok()) {
        // The person reads the finding ("holds no sound"); the decoder's own reason behind it is for the log.
        const plat::Error& finding = inspected.error();
        plat::log("audio inbox: {}", finding.description());
        return fail(error, plat::Error(finding.domain(), finding.code(), finding.localizedDescription()));
    }
    // A name already in the inbox belongs to another sound: this one gets a new name beside it.
    std::string inbox = sharedAudioInboxPath();
    std::string destination = plat::appendingPathComponent(inbox, ProjectSoundFiles::availableName(inbox, name));
    auto moved = plat::moveItem(source, destination);
    if (!moved.ok())
        return fail(error, moved.error());
    return true;
}

}  // namespace zt
