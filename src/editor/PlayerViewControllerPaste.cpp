// Pasting frames (from this project, another one or an earlier run of the
// app) or another app's picture into the strip.
#include <algorithm>
#include <map>

#include "audio/AudioController.h"
#include "document/FailureReason.h"
#include "document/FileUtil.h"
#include "document/FilledText.h"
#include "document/Frame.h"
#include "document/FrameFiles.h"
#include "document/FrameList.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "editor/FramePasteCopier.h"
#include "editor/FramePasteboard.h"
#include "editor/PlayerViewController.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "render/MovieRenderer.h"
#include "uikit/Carousel.h"
#include "uikit/UIImageResize.h"

namespace zt {

void PlayerViewController::pasteSelected()
{
    pasteSelected(PasteOrder::Forward);
}

void PlayerViewController::pasteReverseSelected()
{
    pasteSelected(PasteOrder::Reverse);
}

bool PlayerViewController::pasteImage(const plat::Image& image, int64_t index)
{
    const auto longest = static_cast<int32_t>(MovieRenderer::getMaximumResolutionAvailable().width);
    const auto bitmap = image.bitmap();
    // Without an export size to cap it, the picture keeps its own.
    const int32_t cap = longest >= 1 ? longest : std::max(bitmap->width(), bitmap->height());
    auto upright = scaledAndRotatedImageWithMaxResolution(image, cap);
    Frame frame(FrameTypePicture);
    std::optional<plat::Error> failure;
    if (!upright || !_imageProducer || !_imageProducer->storeImage(*upright, frame.frameID(), &failure)) {
        postError(errorWithCause(
            kErrorDomain, kPasteSkippedError, plat::localized("The picture could not be pasted."), failure));
        return false;
    }
    frameList().insertFrame(frame, index);
    if (auto metadata = _project->getMetaData())
        metadata->set("RecordNeedsRendering", true);
    if (auto saved = _project->saveAllDataToDisk(); !saved.ok()) {
        // Only a stored frame is shown: the list and the folder go back to what they were.
        frameList().removeFrameAtIndex(frameList().getIndexForFrame(frame));
        if (const auto& folder = _project->getProjectPath()) {
            auto removed = FrameFiles::deleteFilesOfFrame(*folder, frame.frameID());
            if (!removed.ok())
                plat::log("paste: pictures of an unsaved frame stay: {}", removed.failureDescription());
        }
        postError(plat::Error(kErrorDomain, kNotSavedError, plat::localized("The picture could not be pasted."), {},
            std::make_shared<const plat::Error>(saved.error())));
        return false;
    }
    if (_outlets.carousel)
        _outlets.carousel->insertItemAtIndex(index, /*animated=*/true);
    return true;
}

void PlayerViewController::pasteSelected(PasteOrder order)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    removePopup();
    const int64_t at = _tapedFrameIndex;
    if (!_pasteBoard)
        return;
    if (!_pasteBoard->holdsFrames()) {
        auto image = _pasteBoard->holdsImage() ? _pasteBoard->image() : nullptr;
        if (!image)
            return;
        if (pasteImage(*image, at))
            finishPaste(1, 1, {}, std::nullopt);
        return;
    }
    auto record = _pasteBoard->frames();
    if (!record.ok()) {
        postError(record.error());
        return;
    }
    // Another app can put any path there: only a project folder of this app is read.
    auto source = record.value().projectFolder();
    if (!source.ok()) {
        postError(source.error());
        return;
    }
    // Entries of one hold share one new id; a paste into the source project gets new ids too.
    std::map<std::string, std::string> newIDs;
    std::vector<FramePasteCopier::Item> items;
    for (const Frame& frame : record.value().frames) {
        if (!frame.canCopy())
            continue;  // a placeholder never travels from here
        auto [entry, added] = newIDs.try_emplace(frame.frameID(), std::string());
        if (added)
            entry->second = FileUtil::createUUID();
        items.push_back({frame.type(), frame.frameID(), entry->second});
    }
    const auto requested = static_cast<int64_t>(items.size());
    if (requested == 0)
        return;
    const bool busy = requested > kQuietPasteCount;
    if (busy)
        post(kShowActivityNotification,
            plat::Dictionary {{kInfoKey, plat::localized(order == PasteOrder::Reverse ? "Paste Reverse" : "Paste")}});
    // The folder is part of the model: it is made here, before the copying starts.
    if (!_project->getProjectPath()) {
        if (auto made = _project->createFilePathForProject(); !made.ok()) {
            if (busy)
                post(kHideActivityNotification);
            postError(
                plat::Error(kErrorDomain, kNotSavedError, plat::localized("The project has no folder to paste into."),
                    {}, std::make_shared<const plat::Error>(made.error())));
            return;
        }
    }
    auto destination = _project->getProjectPath();
    if (!destination) {
        if (busy)
            post(kHideActivityNotification);
        postError(
            plat::Error(kErrorDomain, kPasteSkippedError, plat::localized("The project has no folder to paste into.")));
        return;
    }

    auto weakSelf = std::weak_ptr<PlayerViewController>(sharedAs<PlayerViewController>());
    auto project = _project;
    auto pasted = std::make_shared<int64_t>(0);
    FramePasteCopier::start(
        source.value(), *destination, std::move(items),
        [weakSelf, project, pasted, order, at](Frame frame) {
            const int64_t index = order == PasteOrder::Reverse ? at : at + *pasted;
            ++*pasted;
            if (auto self = weakSelf.lock())
                self->insertPastedFrame(frame, index);
            else
                project->getFrameList().insertFrame(frame, index);
        },
        [weakSelf, project, pasted, requested, busy](std::vector<FramePasteCopier::Failure> failures) {
            std::vector<std::string> skipped;
            std::optional<plat::Error> cause;
            for (const auto& failure : failures) {
                skipped.push_back(failure.frameID);
                if (!cause)
                    cause = failure.error;
            }
            auto self = weakSelf.lock();
            if (!self) {
                // The editor closed meanwhile: the frames that arrived are kept all the same.
                if (*pasted > 0) {
                    if (auto saved = project->saveAllDataToDisk(); !saved.ok())
                        plat::log("paste: the pasted frames are not saved: {}", saved.error().localizedDescription());
                }
                return;
            }
            if (busy)
                self->post(kHideActivityNotification);
            self->finishPaste(*pasted, requested, std::move(skipped), cause);
        });
}

void PlayerViewController::insertPastedFrame(const Frame& frame, int64_t index)
{
    FrameList& list = frameList();
    const int64_t target = std::clamp<int64_t>(index, 0, list.count());
    list.insertFrame(frame, target);
    if (_outlets.carousel)
        _outlets.carousel->insertItemAtIndex(target, /*animated=*/true);
    writeCounter();
}

void PlayerViewController::finishPaste(int64_t pastedCount, int64_t requestedCount, std::vector<std::string> skipped,
    const std::optional<plat::Error>& cause)
{
    if (pastedCount > 0) {
        if (auto audio = audioController())
            audio->recalculateAudioClipTimeRanges();
        reloadCarouselAfter(kPasteReloadDelaySeconds);
        // The frames and their files are in place; a later save can still keep them.
        if (auto saved = _project->saveAllDataToDisk(); !saved.ok())
            postError(plat::Error(kErrorDomain, kNotSavedError, plat::localized("The change could not be saved."), {},
                std::make_shared<const plat::Error>(saved.error())));
        setNeedsRendering();
        updateCurrentFrame(getCurrentFrame());
        afterEdit();
    }
    if (skipped.empty())
        return;
    // A picture that is there but could not be copied (the device cannot be written) is not "missing".
    std::string text;
    if (cause) {
        text = requestedCount == 1 ? plat::localized("The frame could not be pasted.")
                                   : filledText(plat::localized("%d of %d frames could not be pasted."),
                                       {std::to_string(skipped.size()), std::to_string(requestedCount)});
    } else {
        text = requestedCount == 1
            ? plat::localized("The frame could not be pasted: its picture is missing.")
            : filledText(plat::localized("%d of %d frames could not be pasted: their pictures are missing."),
                {std::to_string(skipped.size()), std::to_string(requestedCount)});
    }
    plat::Array ids;
    for (const std::string& id : skipped)
        ids.append(id);
    postError(plat::Error(kErrorDomain, kPasteSkippedError, text, plat::Dictionary {{"FRAME_IDS", ids}},
        cause ? std::make_shared<const plat::Error>(*cause) : nullptr));
}

}  // namespace zt
