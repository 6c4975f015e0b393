#include "app/FrameFiles.h"

#include <array>

#include "app/Frame.h"
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

void FrameFiles::deleteFilesOfFrame(const std::string& folder, const std::string& frameID)
{
    auto names = plat::contentsOfDirectory(folder);
    if (!names.ok())
        return;
    for (const std::string& name : names.value()) {
        if (belongsToFrame(name, frameID))
            (void)plat::removeItem(plat::appendingPathComponent(folder, name));
    }
}

void FrameFiles::copyFilesOfFrame(
    const std::string& from, const std::string& to, const std::string& frameID, const std::string& newFrameID)
{
    auto names = plat::contentsOfDirectory(from);
    if (!names.ok())
        return;
    for (const std::string& name : names.value()) {
        if (auto renamed = renamedForFrame(name, frameID, newFrameID)) {
            (void)plat::copyItem(plat::appendingPathComponent(from, name), plat::appendingPathComponent(to, *renamed),
                plat::ReplaceExisting::No);
        }
    }
}

}  // namespace zt
