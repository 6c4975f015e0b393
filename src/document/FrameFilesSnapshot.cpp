#include "document/FrameFilesSnapshot.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "document/Frame.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

namespace zt {

namespace {

constexpr std::string_view kKeptPrefix = ".frame-";
constexpr std::string_view kKeptSuffix = ".before";

std::string keptFolderName(std::string_view frameID)
{
    return std::string(kKeptPrefix) + std::string(frameID) + std::string(kKeptSuffix);
}

// The frame whose files a kept folder of that name holds; none for any other name.
std::optional<std::string> frameOfKeptFolder(std::string_view name)
{
    if (!name.starts_with(kKeptPrefix) || !name.ends_with(kKeptSuffix)
        || name.size() <= kKeptPrefix.size() + kKeptSuffix.size())
        return std::nullopt;
    std::string frameID(name.substr(kKeptPrefix.size(), name.size() - kKeptPrefix.size() - kKeptSuffix.size()));
    if (!isValidFrameID(frameID))
        return std::nullopt;
    return frameID;
}

// Out of its name first: a run killed while it is removed leaves a
// temporary that the start removes, never half a snapshot to put back.
plat::Result<void> dropKeptFolder(const std::string& path)
{
    auto leaving = plat::moveItemAsideForRemoval(path);
    if (!leaving.ok())
        return leaving.error();
    return plat::removeItem(leaving.value());
}

bool haveSameBytes(const std::string& a, const std::string& b)
{
    auto first = plat::readFile(a);
    auto second = plat::readFile(b);
    return first.ok() && second.ok() && first.value() == second.value();
}

// Puts the frame's files back as its kept folder holds them, and lets the
// folder go once every one is back.
FrameFilesReport restoreFromKeptFolder(const std::string& folder, const std::string& frameID)
{
    FrameFilesReport report;
    const std::string kept = plat::appendingPathComponent(folder, keptFolderName(frameID));
    auto keptNames = plat::contentsOfDirectory(kept);
    auto names = keptNames.ok() ? plat::contentsOfDirectory(folder) : keptNames;
    if (!names.ok()) {
        report.failures.push_back({std::string(), names.error()});
        return report;
    }
    std::vector<std::string> wereThere;
    std::copy_if(keptNames.value().begin(), keptNames.value().end(), std::back_inserter(wereThere),
        [&](const std::string& name) { return FrameFiles::belongsToFrame(name, frameID); });
    for (const std::string& name : names.value()) {
        if (!FrameFiles::belongsToFrame(name, frameID)
            || std::find(wereThere.begin(), wereThere.end(), name) != wereThere.end())
            continue;
        auto removed = plat::removeItemIfExists(plat::appendingPathComponent(folder, name));
        if (removed.ok())
            report.handled.push_back(name);
        else
            report.failures.push_back({name, removed.error()});
    }
    for (const std::string& name : wereThere) {
        const std::string path = plat::appendingPathComponent(folder, name);
        const std::string keptPath = plat::appendingPathComponent(kept, name);
        // Unchanged files are not written again: on a device that cannot be written they stay untouched.
        if (haveSameBytes(path, keptPath))
            continue;
        const std::string again = plat::temporaryPathBeside(path);
        auto back = plat::linkOrCopyFile(keptPath, again);
        if (back.ok())
            back = plat::replaceItemWithItemBuiltAside(again, path);
        if (back.ok())
            report.handled.push_back(name);
        else
            report.failures.push_back({name, back.error()});
    }
    if (report.ok()) {
        if (auto dropped = dropKeptFolder(kept); !dropped.ok())
            report.failures.push_back({keptFolderName(frameID), dropped.error()});
    }
    return report;
}

}  // namespace

FrameFilesSnapshot::FrameFilesSnapshot(std::string folder, std::string frameID)
    : _folder(std::move(folder))
    , _frameID(std::move(frameID))
    , _held(true)
{
}

FrameFilesSnapshot::FrameFilesSnapshot(FrameFilesSnapshot&& other) noexcept
    : _folder(std::move(other._folder))
    , _frameID(std::move(other._frameID))
    , _held(std::exchange(other._held, false))
{
}

FrameFilesSnapshot& FrameFilesSnapshot::operator=(FrameFilesSnapshot&& other) noexcept
{
    if (this != &other) {
        release();
        _folder = std::move(other._folder);
        _frameID = std::move(other._frameID);
        _held = std::exchange(other._held, false);
    }
    return *this;
}

FrameFilesSnapshot::~FrameFilesSnapshot()
{
    release();
}

plat::Result<FrameFilesSnapshot> FrameFilesSnapshot::take(const std::string& folder, const std::string& frameID)
{
    const std::string kept = plat::appendingPathComponent(folder, keptFolderName(frameID));
    if (plat::fileExists(kept)) {
        auto restored = restoreFromKeptFolder(folder, frameID);
        if (!restored.ok())
            return restored.failures.front().error;
    }
    auto names = plat::contentsOfDirectory(folder);
    if (!names.ok())
        return names.error();
    auto building = plat::createTemporaryFolderBeside(kept);
    if (!building.ok())
        return building.error();
    for (const std::string& name : names.value()) {
        if (!FrameFiles::belongsToFrame(name, frameID))
            continue;
        auto linked = plat::linkOrCopyFile(
            plat::appendingPathComponent(folder, name), plat::appendingPathComponent(building.value(), name));
        if (!linked.ok()) {
            if (auto removed = plat::removeItem(building.value()); !removed.ok())
                plat::log("project: cannot remove {}: {}", building.value(), removed.error().localizedDescription());
            return linked.error();
        }
    }
    // Whole or not at all: half a snapshot would put back half a frame.
    auto placed = plat::replaceItemWithItemBuiltAside(building.value(), kept);
    if (!placed.ok())
        return placed.error();
    return FrameFilesSnapshot(folder, frameID);
}

void FrameFilesSnapshot::release()
{
    if (!std::exchange(_held, false))
        return;
    const std::string kept = plat::appendingPathComponent(_folder, keptFolderName(_frameID));
    if (auto dropped = dropKeptFolder(kept); !dropped.ok())
        plat::log("project: cannot let {} go: {}", kept, dropped.error().localizedDescription());
}

FrameFilesReport FrameFilesSnapshot::restore()
{
    if (!std::exchange(_held, false))
        return {};
    return restoreFromKeptFolder(_folder, _frameID);
}

void FrameFilesSnapshot::restoreUnfinishedChanges(const std::string& folder)
{
    auto names = plat::contentsOfDirectory(folder);
    for (const std::string& name : names.valueOr(std::vector<std::string>())) {
        auto frameID = frameOfKeptFolder(name);
        if (!frameID || !plat::isDirectory(plat::appendingPathComponent(folder, name)))
            continue;
        auto report = restoreFromKeptFolder(folder, *frameID);
        if (report.ok())
            plat::log("project: frame {} is back as it was before a change cut short", *frameID);
        else
            plat::log("project: frame {} is not all back as it was: {}", *frameID, report.failureDescription());
    }
}

}  // namespace zt
