#include "editor/FramePasteCopier.h"

#include <memory>
#include <optional>

#include "app/FrameFiles.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

namespace zt {

namespace {

std::string pictureFileName(const std::string& frameID)
{
    return "frame-" + frameID + ".jpg";
}

}  // namespace

std::optional<std::string> FramePasteCopier::copyFrame(
    const std::string& sourceFolder, const std::string& destinationFolder, const Item& item)
{
    if (!plat::fileExists(plat::appendingPathComponent(sourceFolder, pictureFileName(item.frameID))))
        return "its picture is gone from " + sourceFolder;
    FrameFiles::copyFilesOfFrame(sourceFolder, destinationFolder, item.frameID, item.newFrameID);
    if (plat::fileExists(plat::appendingPathComponent(destinationFolder, pictureFileName(item.newFrameID))))
        return std::nullopt;
    // Half a frame is worse than none: what did arrive goes again.
    FrameFiles::deleteFilesOfFrame(destinationFolder, item.newFrameID);
    return "its picture could not be copied into " + destinationFolder;
}

void FramePasteCopier::start(std::string sourceFolder, std::string destinationFolder, std::vector<Item> items,
    FrameHandler onFrame, FinishHandler onFinish)
{
    auto frameHandler = std::make_shared<FrameHandler>(std::move(onFrame));
    plat::DispatchQueue::globalQueue(plat::DispatchQueue::Priority::Default)
        .async([sourceFolder = std::move(sourceFolder), destinationFolder = std::move(destinationFolder),
                   items = std::move(items), frameHandler, onFinish = std::move(onFinish)]() mutable {
            std::vector<Failure> failures;
            for (const Item& item : items) {
                if (auto failure = copyFrame(sourceFolder, destinationFolder, item)) {
                    plat::log("paste: frame {} skipped: {}", item.frameID, *failure);
                    failures.push_back({item.frameID, std::move(*failure)});
                    continue;
                }
                plat::DispatchQueue::mainQueue().async(
                    [frameHandler, type = item.type, id = item.newFrameID] { (*frameHandler)(Frame(type, id)); });
            }
            // The main queue runs blocks in order: this one comes after every frame.
            plat::DispatchQueue::mainQueue().async(
                [onFinish = std::move(onFinish), failures = std::move(failures)]() mutable {
                    onFinish(std::move(failures));
                });
        });
}

}  // namespace zt
