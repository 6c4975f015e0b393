#include "document/FrameFilesSnapshot.h"

#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"

namespace zt {

plat::Result<FrameFilesSnapshot> FrameFilesSnapshot::take(const std::string& folder, const std::string& frameID)
{
    auto names = plat::contentsOfDirectory(folder);
    if (!names.ok())
        return names.error();
    FrameFilesSnapshot snapshot;
    snapshot._folder = folder;
    snapshot._frameID = frameID;
    for (const std::string& name : names.value()) {
        if (!FrameFiles::belongsToFrame(name, frameID))
            continue;
        auto bytes = plat::readFile(plat::appendingPathComponent(folder, name));
        if (!bytes.ok())
            return bytes.error();
        snapshot._files.emplace(name, std::move(bytes).value());
    }
    return snapshot;
}

FrameFilesReport FrameFilesSnapshot::restore() const
{
    FrameFilesReport report;
    auto names = plat::contentsOfDirectory(_folder);
    if (!names.ok()) {
        report.failures.push_back({std::string(), names.error()});
        return report;
    }
    for (const std::string& name : names.value()) {
        if (!FrameFiles::belongsToFrame(name, _frameID) || _files.contains(name))
            continue;
        auto removed = plat::removeItemIfExists(plat::appendingPathComponent(_folder, name));
        if (removed.ok())
            report.handled.push_back(name);
        else
            report.failures.push_back({name, removed.error()});
    }
    for (const auto& [name, bytes] : _files) {
        const std::string path = plat::appendingPathComponent(_folder, name);
        // Unchanged files are not written again: on a device that cannot be written they stay untouched.
        if (auto now = plat::readFile(path); now.ok() && now.value() == bytes)
            continue;
        auto written = plat::writeFileAtomically(path, bytes);
        if (written.ok())
            report.handled.push_back(name);
        else
            report.failures.push_back({name, written.error()});
    }
    return report;
}

}  // namespace zt
