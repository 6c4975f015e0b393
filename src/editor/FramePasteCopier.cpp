#include "editor/FramePasteCopier.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>

#include "document/FrameFiles.h"
#include "painter/PainterFiles.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

namespace zt {

std::optional<FramePasteCopier::Failure> FramePasteCopier::copyFrame(
    const std::string& sourceFolder, const std::string& destinationFolder, const Item& item)
{
    auto copied = FrameFiles::copyFilesOfFrame(sourceFolder, destinationFolder, item.frameID, item.newFrameID);
    std::optional<plat::Error> paintingFailure;
    if (copied.handledFile(FrameFiles::pictureFileName(item.frameID))) {
        if (!copied.ok())
            plat::log("paste: frame {} came without some files: {}", item.frameID, copied.failureDescription());
        // The copy is painted on as the painter would paint on the frame.
        auto painting = PainterFiles::takePaintingIntoCopiedPicture(
            sourceFolder, destinationFolder, item.frameID, item.newFrameID);
        if (painting.ok()) {
            if (painting.value())
                plat::log("paste: the painting of frame {} came in its picture only", item.frameID);
            return std::nullopt;
        }
        paintingFailure = painting.error();
    }
    // Half a frame is worse than none: what did arrive goes again.
    auto removed = FrameFiles::deleteFilesOfFrame(destinationFolder, item.newFrameID);
    if (!removed.ok())
        plat::log("paste: files of a frame that did not come stay: {}", removed.failureDescription());
    if (paintingFailure)
        return Failure {item.frameID, "its painting could not be copied: " + paintingFailure->localizedDescription(),
            paintingFailure};
    // A picture gone from its project is missing; one that is there but could
    // not be copied (the destination cannot be written) failed for a reason.
    if (copied.ok()
        || !plat::fileExists(plat::appendingPathComponent(sourceFolder, FrameFiles::pictureFileName(item.frameID))))
        return Failure {item.frameID, "its picture is gone from " + sourceFolder, std::nullopt};
    const std::string picture = FrameFiles::pictureFileName(item.frameID);
    auto failed = std::find_if(copied.failures.begin(), copied.failures.end(),
        [&](const FrameFilesReport::Failure& failure) { return failure.fileName == picture; });
    return Failure {item.frameID, copied.failureDescription(),
        (failed != copied.failures.end() ? failed : copied.failures.begin())->error};
}

void FramePasteCopier::start(std::string sourceFolder, std::string destinationFolder, std::vector<Item> items,
    FrameHandler onFrame, FinishHandler onFinish)
{
    auto frameHandler = std::make_shared<FrameHandler>(std::move(onFrame));
    plat::DispatchQueue::globalQueue(plat::DispatchQueue::Priority::Default)
        .async([sourceFolder = std::move(sourceFolder), destinationFolder = std::move(destinationFolder),
                   items = std::move(items), frameHandler, onFinish = std::move(onFinish)]() mutable {
            std::vector<Failure> failures;
            // The entries of a hold share one new id: its files are copied once.
            std::map<std::string, std::optional<Failure>> copied;
            for (const Item& item : items) {
                auto [done, first] = copied.try_emplace(item.newFrameID);
                if (first)
                    done->second = copyFrame(sourceFolder, destinationFolder, item);
                if (const auto& failure = done->second) {
                    plat::log("paste: frame {} skipped: {}", item.frameID, failure->reason);
                    failures.push_back({item.frameID, failure->reason, failure->error});
                    continue;
                }
                plat::DispatchQueue::mainQueue().async(
                    [frameHandler, type = item.type, id = item.newFrameID] { (*frameHandler)(Frame(type, id)); });
            }
            // The main queue runs blocks in order: this one comes after every
            // frame. It takes the handlers along, so that what they hold (the
            // project, say) is let go on the main queue, never here.
            plat::DispatchQueue::mainQueue().async([onFinish = std::move(onFinish), failures = std::move(failures),
                                                       frameHandler = std::move(frameHandler)]() mutable {
                onFinish(std::move(failures));
                frameHandler.reset();
            });
        });
}

}  // namespace zt
