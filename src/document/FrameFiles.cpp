#include "document/FrameFiles.h"

#include <algorithm>
#include <array>

#include "document/Frame.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UUID.h"

namespace zt {

namespace {

struct Pattern {
    std::string_view prefix;
    std::string_view suffix;
    bool hasLayer;  // "-<layer UUID>" between the frame id and the suffix
};

constexpr std::array<Pattern, 9> kPatterns = {{
    {"frame-", ".jpg", false},
    {"preview-", ".jpg", false},
    {"thumb-", ".jpg", false},
    {"meta-", ".meta", false},
    {"canvas-", ".cnv", false},
    {"canvas-", ".jpg", false},
    {"canvas-", ".layers", false},
    {"canvas-", ".png", true},
    {"canvas-", ".cnv", true},
}};

// What follows the frame id in fileName under pattern, or empty when the
// name does not fit it.
std::optional<std::string_view> tailAfterFrameID(
    std::string_view fileName, std::string_view frameID, const Pattern& pattern)
{
    if (!fileName.starts_with(pattern.prefix) || !fileName.ends_with(pattern.suffix))
        return std::nullopt;
    std::string_view middle = fileName.substr(pattern.prefix.size());
    if (middle.size() < pattern.suffix.size())
        return std::nullopt;
    middle.remove_suffix(pattern.suffix.size());
    if (!middle.starts_with(frameID))
        return std::nullopt;
    std::string_view rest = middle.substr(frameID.size());
    if (!pattern.hasLayer)
        return rest.empty() ? std::optional<std::string_view>(fileName.substr(pattern.prefix.size() + frameID.size()))
                            : std::nullopt;
    if (rest.empty() || rest.front() != '-' || !plat::UUID::fromString(rest.substr(1)))
        return std::nullopt;
    return fileName.substr(pattern.prefix.size() + frameID.size());
}

}  // namespace

bool FrameFilesReport::handledFile(std::string_view fileName) const
{
    return std::find(handled.begin(), handled.end(), fileName) != handled.end();
}

std::string FrameFilesReport::failureDescription() const
{
    std::string text;
    for (const Failure& failure : failures) {
        if (!text.empty())
            text += "; ";
        text += failure.fileName.empty() ? failure.error.localizedDescription()
                                         : failure.fileName + ": " + failure.error.localizedDescription();
    }
    return text;
}

bool FrameFiles::belongsToFrame(std::string_view fileName, std::string_view frameID)
{
    return renamedForFrame(fileName, frameID, frameID).has_value();
}

std::optional<std::string> FrameFiles::renamedForFrame(
    std::string_view fileName, std::string_view frameID, std::string_view newFrameID)
{
    if (!isValidFrameID(frameID) || !isValidFrameID(newFrameID))
        return std::nullopt;
    for (const Pattern& pattern : kPatterns) {
        if (auto tail = tailAfterFrameID(fileName, frameID, pattern)) {
            std::string renamed(pattern.prefix);
            renamed += newFrameID;
            renamed += *tail;
            return renamed;
        }
    }
    return std::nullopt;
}

std::string FrameFiles::pictureFileName(std::string_view frameID)
{
    return "frame-" + std::string(frameID) + ".jpg";
}

FrameFilesReport FrameFiles::deleteFilesOfFrame(const std::string& folder, const std::string& frameID)
{
    FrameFilesReport report;
    auto names = plat::contentsOfDirectory(folder);
    if (!names.ok()) {
        report.failures.push_back({std::string(), names.error()});
        return report;
    }
    for (const std::string& name : names.value()) {
        if (!belongsToFrame(name, frameID))
            continue;
        // Gone meanwhile is as good as removed.
        auto removed = plat::removeItemIfExists(plat::appendingPathComponent(folder, name));
        if (removed.ok())
            report.handled.push_back(name);
        else
            report.failures.push_back({name, removed.error()});
    }
    return report;
}

FrameFilesReport FrameFiles::copyFilesOfFrame(
    const std::string& from, const std::string& to, const std::string& frameID, const std::string& newFrameID)
{
    FrameFilesReport report;
    auto names = plat::contentsOfDirectory(from);
    if (!names.ok()) {
        report.failures.push_back({std::string(), names.error()});
        return report;
    }
    for (const std::string& name : names.value()) {
        auto renamed = renamedForFrame(name, frameID, newFrameID);
        if (!renamed)
            continue;
        auto copied = plat::copyItem(plat::appendingPathComponent(from, name),
            plat::appendingPathComponent(to, *renamed), plat::ReplaceExisting::No);
        if (copied.ok())
            report.handled.push_back(name);
        else
            report.failures.push_back({name, copied.error()});
    }
    return report;
}

}  // namespace zt
