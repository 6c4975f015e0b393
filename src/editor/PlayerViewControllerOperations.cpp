// The strip's frame operations: capture here, hold, select, copy, delete
// (with its undo) and the export to the photo album.
#include <algorithm>
#include <set>

#include "audio/AudioController.h"
#include "document/FilledText.h"
#include "document/Frame.h"
#include "document/FrameList.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "editor/DeletedFramesStash.h"
#include "editor/FrameEditDelegate.h"
#include "editor/FramePasteboard.h"
#include "editor/PhotoRollExport.h"
#include "editor/PlayerViewController.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/ui/UndoManager.h"
#include "uikit/Carousel.h"

namespace zt {

namespace {

constexpr double kFullQuality = 1.0;

}  // namespace

void PlayerViewController::setNeedsRendering()
{
    if (auto metadata = _project->getMetaData()) {
        metadata->set("RecordNeedsRendering", true);
        if (auto saved = _project->saveMetaDataToDisk(); !saved.ok())
            plat::log(
                "strip: the movie is marked for rendering in memory only: {}", saved.error().localizedDescription());
    }
}

bool PlayerViewController::savedFrameList(const FrameList& before)
{
    auto saved = _project->saveFramelistToDisk();
    if (saved.ok())
        return true;
    // The edit is taken back: the strip shows what is on disk.
    frameList() = before;
    if (_outlets.carousel)
        _outlets.carousel->reloadData();
    postError(plat::Error(kErrorDomain, kNotSavedError, plat::localized("The change could not be saved."), {},
        std::make_shared<const plat::Error>(saved.error())));
    return false;
}

void PlayerViewController::afterEdit()
{
    if (auto delegate = _frameEditDelegate.lock())
        delegate->timeLineNeedsUpdate();
}

void PlayerViewController::captureHere()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    removePopup();
    FrameList& list = frameList();
    const int64_t placeholderIndex = list.getCaptureIndex();
    if (placeholderIndex == _tapedFrameIndex)
        return;
    const FrameList before = list;
    Frame placeholder = placeholderIndex != plat::kNotFound ? *list.getFrameAtIndex(placeholderIndex)
                                                            : Frame(FrameTypeCapturePlaceholder);
    if (placeholderIndex != plat::kNotFound) {
        list.removeFrameAtIndex(placeholderIndex);
        if (_outlets.carousel)
            _outlets.carousel->removeItemAtIndex(placeholderIndex, /*animated=*/true);
    }
    // Counted after the removal: a placeholder from before the tapped frame lands behind it.
    const int64_t target = std::min(_tapedFrameIndex, list.count());
    list.insertFrame(placeholder, target);
    if (_outlets.carousel)
        _outlets.carousel->insertItemAtIndex(target, /*animated=*/true);
    reloadCarouselAfter(kReloadDelaySeconds);
    if (!savedFrameList(before))
        return;
    updateCurrentFrame(getCurrentFrame());
    afterEdit();
}

void PlayerViewController::holdSelectedForTimes(int32_t times)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    removePopup();
    FrameList& list = frameList();
    auto frame = list.getFrameAtIndex(_tapedFrameIndex);
    if (!frame || !frame->canHold())
        return;
    const int64_t wanted = std::max<int64_t>(times, 1);
    const int64_t current = list.getHoldTimeForFrameAtIndex(_tapedFrameIndex);
    if (wanted == current)
        return;
    const FrameList before = list;
    list.setHoldForFrame(*frame, wanted);
    if (!savedFrameList(before))
        return;
    setNeedsRendering();
    updateCurrentFrame(getCurrentFrame());
    if (auto audio = audioController()) {
        if (wanted > current)
            audio->recalculateAudioClipTimeRanges();
        else
            audio->recalculateAudioClipDurations();
    }
    afterEdit();
    updateFrames();
}

void PlayerViewController::selectSelected()
{
    removePopup();
    _selectionStartIndex = _tapedFrameIndex;
    updateSelection();
}

void PlayerViewController::deselectAllSelected()
{
    removePopup();
    _selectionStartIndex = -1;
    updateSelection();
}

void PlayerViewController::copySelected()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    removePopup();
    const auto [first, last] = operationRange();
    FramePasteboardRecord record;
    // Every entry of the range, the list's last one included.
    for (int64_t index = first; index <= last; ++index) {
        auto frame = frameList().getFrameAtIndex(index);
        if (frame && frame->canCopy())
            record.frames.push_back(*frame);
    }
    record.location = _project->getProjectPath().value_or(std::string());
    std::optional<plat::Data> jpeg;
    if (auto picture = _imageProducer ? _imageProducer->getImageForFrameAtIndex(_tapedFrameIndex) : nullptr)
        jpeg = plat::JPEGRepresentation(*picture, kFullQuality);
    if (_pasteBoard) {
        auto put = _pasteBoard->putFrames(record, jpeg);
        if (!put.ok())
            postError(put.error());
    }
    deselectAllSelected();
}

bool PlayerViewController::keepsFilesOfFrame(
    const std::string& frameID, const std::string& folder, const FramePasteboardRecord* copied)
{
    return frameList().containsFrameWithFrameID(frameID) || (copied && copied->listsFrameOfProject(frameID, folder));
}

void PlayerViewController::deleteSelected()
{
    removePopup();
    const auto [first, last] = operationRange();
    std::vector<std::string> uids;
    for (int64_t index = first; index <= last; ++index) {
        auto frame = frameList().getFrameAtIndex(index);
        if (frame && frame->canDelete())
            uids.push_back(frame->UID());
    }
    deleteEntries(uids);
}

void PlayerViewController::deleteEntries(const std::vector<std::string>& uids)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto undo = undoManager();
    const bool grouping = undo && !undo->isUndoing() && !undo->isRedoing();
    if (grouping)
        undo->beginUndoGrouping();
    if (undo)
        undo->setActionName(plat::localized(kDeleteActionName));

    FrameList& list = frameList();
    std::set<int64_t> indexes;
    for (const std::string& uid : uids) {
        const int64_t index = list.getIndexOfFrameWithUID(uid);
        if (index != plat::kNotFound)
            indexes.insert(index);
    }
    const std::optional<std::string> folder = _project->getProjectPath();
    const FrameList before = list;
    auto stash = std::make_shared<DeletedFramesStash>(folder.value_or(std::string()));
    std::vector<std::string> removedIDs;
    // From the back, so that each entry keeps the index it had: undo puts them back front first.
    for (auto it = indexes.rbegin(); it != indexes.rend(); ++it) {
        auto frame = list.getFrameAtIndex(*it);
        if (!frame || !frame->canDelete())
            continue;
        stash->addEntry(*it, frame->encode());
        list.removeFrameAtIndex(*it);
        if (_outlets.carousel)
            _outlets.carousel->removeItemAtIndex(*it, /*animated=*/true);
        removedIDs.push_back(frame->frameID());
    }
    // The list stops naming the files before they go: a crash in between leaves spare files, never holes.
    if (!removedIDs.empty() && !savedFrameList(before)) {
        // Nothing was deleted: the files stay with the entries that name them.
        if (grouping)
            undo->endUndoGrouping();
        return;
    }
    if (!removedIDs.empty()) {
        // Frames copied from here can still be pasted after they are deleted.
        std::optional<FramePasteboardRecord> copied;
        if (_pasteBoard && _pasteBoard->holdsFrames()) {
            auto record = _pasteBoard->frames();
            if (record.ok())
                copied = std::move(record.value());
        }
        std::set<std::string> handled;
        for (const std::string& frameID : removedIDs) {
            if (!handled.insert(frameID).second || !folder
                || keepsFilesOfFrame(frameID, *folder, copied ? &*copied : nullptr))
                continue;
            stash->takeFilesOfFrame(frameID);
        }
        playTrashSound();
    }
    writeCounter();
    reloadCarouselAfter(kReloadDelaySeconds);
    deselectAllSelected();
    setNeedsRendering();
    updateCurrentFrame(getCurrentFrame());
    if (auto audio = audioController())
        audio->recalculateAudioClipDurations();
    afterEdit();
    if (undo && !removedIDs.empty())
        registerUndoOfDelete(stash);
    if (grouping)
        undo->endUndoGrouping();
    if (getCurrentFrame() == list.getCaptureIndex())
        post(kFramesDeletedNotification);
}

void PlayerViewController::registerUndoOfDelete(const std::shared_ptr<DeletedFramesStash>& stash)
{
    auto undo = undoManager();
    if (!undo)
        return;
    _undoManager = undo;
    undo->registerUndoWithTarget<PlayerViewController>(
        this, [stash](PlayerViewController& strip) { strip.restoreDeletedFrames(stash); });
}

void PlayerViewController::restoreDeletedFrames(const std::shared_ptr<DeletedFramesStash>& stash)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    FrameList& list = frameList();
    stash->restoreFiles();
    std::vector<std::string> uids;
    const auto& entries = stash->entries();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        Frame frame(it->record);
        list.insertFrame(frame, it->index);
        uids.push_back(frame.UID());
    }
    // The frames are back in memory and their files in the folder: a later save keeps them.
    if (auto saved = _project->saveFramelistToDisk(); !saved.ok())
        postError(plat::Error(kErrorDomain, kNotSavedError, plat::localized("The change could not be saved."), {},
            std::make_shared<const plat::Error>(saved.error())));
    if (_outlets.carousel)
        _outlets.carousel->reloadData();
    setNeedsRendering();
    if (auto audio = audioController())
        audio->recalculateAudioClipTimeRanges();
    updateCurrentFrame(getCurrentFrame());
    writeCounter();
    afterEdit();
    if (auto undo = undoManager()) {
        _undoManager = undo;
        undo->registerUndoWithTarget<PlayerViewController>(
            this, [uids](PlayerViewController& strip) { strip.deleteEntries(uids); });
        undo->setActionName(plat::localized(kDeleteActionName));
    }
}

void PlayerViewController::playTrashSound()
{
    if (!_trashSound) {
        auto path = plat::Bundle::mainBundle().pathForResource("trash", "aiff");
        plat::SystemSoundID sound = 0;
        if (!path
            || plat::AudioServicesCreateSystemSoundID(plat::URL::fileURLWithPath(*path), &sound)
                != plat::kAudioServicesNoError) {
            plat::log("strip: the trash sound cannot be played");
            return;
        }
        _trashSound = sound;
    }
    plat::AudioServicesPlaySystemSound(*_trashSound);
}

void PlayerViewController::exportSelected()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    removePopup();
    const auto [first, last] = operationRange();
    std::vector<std::string> frameIDs;
    for (int64_t index = first; index <= last; ++index) {
        auto frame = frameList().getFrameAtIndex(index);
        if (!frame || frame->type() == FrameTypeCapturePlaceholder)
            continue;
        if (std::find(frameIDs.begin(), frameIDs.end(), frame->frameID()) == frameIDs.end())
            frameIDs.push_back(frame->frameID());
    }
    deselectAllSelected();
    if (frameIDs.empty())
        return;
    const auto count = static_cast<int64_t>(frameIDs.size());
    const bool busy = count >= kBusyExportCount;
    if (busy)
        post(kShowActivityNotification,
            plat::Dictionary {
                {kInfoKey, plat::localized("Copy Image to Photo Roll")}, {kHideAfterKey, kExportActivitySeconds}});
    std::vector<std::shared_ptr<plat::Image>> pictures;
    for (const std::string& frameID : frameIDs)
        pictures.push_back(_imageProducer ? _imageProducer->getImageForFrameWithFrameID(frameID) : nullptr);
    if (!_photoRollExport)
        _photoRollExport = std::make_unique<PhotoRollExport>();
    _photoRollExport->save(std::move(pictures),
        [weakSelf = std::weak_ptr<PlayerViewController>(sharedAs<PlayerViewController>()), busy, count](
            PhotoRollExport::Outcome outcome) {
            auto self = weakSelf.lock();
            if (!self)
                return;
            if (busy)
                self->post(kHideActivityNotification);
            if (outcome.failed == 0) {
                if (!busy)
                    self->post(kShowHUDNotification,
                        plat::Dictionary {{kInfoKey, plat::localized("Image copied to photo roll.")}});
                return;
            }
            const std::string text
                = filledText(plat::localized("%d of %d pictures could not be saved to the photo roll."),
                    {std::to_string(outcome.failed), std::to_string(count)});
            auto underlying = outcome.firstError ? std::make_shared<const plat::Error>(*outcome.firstError) : nullptr;
            self->postError(plat::Error(PhotoRollExport::kErrorDomain, 2, text, {}, underlying));
        });
}

}  // namespace zt
