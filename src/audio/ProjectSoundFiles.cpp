#include "audio/ProjectSoundFiles.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

#include "document/ProjectModel.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/media/Asset.h"
#include "platform/media/MediaConstants.h"

namespace zt {

namespace {

constexpr size_t kCompareChunkBytes = 64 * 1024;
// Beyond this many taken names something is wrong with the folder.
constexpr int kMostNameAttempts = 10000;

// Whole chunk, or less only at the end; -1 on an error.
ssize_t readChunk(int fd, uint8_t* buffer, size_t size)
{
    size_t done = 0;
    while (done < size) {
        ssize_t got = ::read(fd, buffer + done, size - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

std::string numberedName(const std::string& name, int number)
{
    std::string extension = plat::pathExtension(name);
    std::string stem = plat::deletingPathExtension(name);
    std::string numbered = stem + "-" + std::to_string(number);
    return extension.empty() ? numbered : numbered + "." + extension;
}

}  // namespace

bool ProjectSoundFiles::haveSameContents(const std::string& first, const std::string& second)
{
    auto a = plat::attributesOfItem(first);
    auto b = plat::attributesOfItem(second);
    if (!a.ok() || !b.ok() || a.value().isDirectory || b.value().isDirectory || a.value().size != b.value().size)
        return false;
    plat::FileDescriptor left(::open(first.c_str(), O_RDONLY | O_CLOEXEC));
    plat::FileDescriptor right(::open(second.c_str(), O_RDONLY | O_CLOEXEC));
    if (!left.isValid() || !right.isValid())
        return false;
    std::array<uint8_t, kCompareChunkBytes> leftBytes;
    std::array<uint8_t, kCompareChunkBytes> rightBytes;
    while (true) {
        ssize_t got = readChunk(left.get(), leftBytes.data(), leftBytes.size());
        ssize_t other = readChunk(right.get(), rightBytes.data(), rightBytes.size());
        if (got < 0 || got != other)
            return false;
        if (got == 0)
            return true;
        if (std::memcmp(leftBytes.data(), rightBytes.data(), static_cast<size_t>(got)) != 0)
            return false;
    }
}

bool ProjectSoundFiles::isSoundFile(const std::string& path)
{
    // A cover picture is not a track; a movie's pictures are.
    auto asset = plat::URLAsset::assetWithPath(path);
    return !asset->tracksWithMediaType(plat::kMediaTypeAudio).empty()
        && asset->tracksWithMediaType(plat::kMediaTypeVideo).empty();
}

std::string ProjectSoundFiles::availableName(
    const std::string& folder, const std::string& name, const std::string& sameAs)
{
    for (int number = 1; number < kMostNameAttempts; ++number) {
        std::string candidate = number == 1 ? name : numberedName(name, number);
        std::string path = plat::appendingPathComponent(folder, candidate);
        if (!plat::fileExists(path))
            return candidate;
        if (!sameAs.empty() && haveSameContents(path, sameAs))
            return candidate;
    }
    return numberedName(name, kMostNameAttempts);
}

plat::Result<std::string> ProjectSoundFiles::placeInProjectFolder(ProjectModel& project, const std::string& source)
{
    std::string name = plat::lastPathComponent(source);
    if (!plat::isPlainFileName(name))
        return plat::Error::posix(EINVAL, "add the sound", source);
    if (!project.getProjectPath()) {
        if (auto created = project.createFilePathForProject(); !created.ok())
            return created.error();
    }
    const auto& folder = project.getProjectPath();
    if (!folder)
        return plat::Error::posix(ENOENT, "add the sound to a project without a folder", source);
    std::error_code ignored;
    if (std::filesystem::equivalent(plat::appendingPathComponent(*folder, name), source, ignored))
        return name;  // picked from the project folder itself
    std::string placed = availableName(*folder, name, source);
    std::string destination = plat::appendingPathComponent(*folder, placed);
    if (plat::fileExists(destination))
        return placed;  // the same sound is there already
    auto copied = plat::copyItem(source, destination, plat::ReplaceExisting::No);
    if (!copied.ok())
        return copied.error();
    return placed;
}

void ProjectSoundFiles::removeSoundFile(ProjectModel& project, const std::string& name)
{
    const auto& folder = project.getProjectPath();
    if (!folder || !plat::isPlainFileName(name))
        return;
    std::string path = plat::appendingPathComponent(*folder, name);
    if (!plat::fileExists(path))
        return;
    if (!isSoundFile(path)) {
        plat::log("audio: kept {}: a clip named it, but it is not a sound file", name);
        return;
    }
    if (!project.removeRegularFileWithPreferredFilename(name))
        plat::log("audio: cannot remove {}", name);
}

}  // namespace zt
