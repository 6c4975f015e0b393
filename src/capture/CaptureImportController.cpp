#include "capture/CaptureImportController.h"

#include <algorithm>
#include <optional>

#include "capture/APAlbumPickerController.h"
#include "document/FailureReason.h"
#include "document/Frame.h"
#include "document/FrameFiles.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/library/Asset.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ViewController.h"
#include "render/MovieRenderer.h"
#include "uikit/AlertView.h"
#include "uikit/Hudy.h"
#include "uikit/TintedNavigationController.h"
#include "uikit/UIImageResize.h"

namespace zt {

namespace {

// Used when the device offers no movie size at all, so that pictures are
// still capped at a size every export can take.
constexpr int32_t kFallbackMaxResolution = 1920;

// "%d of %d ..." with both numbers.
std::string skippedMessage(size_t skipped, size_t picked)
{
    std::string text = plat::localized("%d of %d photos could not be imported.");
    for (size_t number : {skipped, picked}) {
        auto at = text.find("%d");
        if (at == std::string::npos)
            break;
        text.replace(at, 2, std::to_string(number));
    }
    return text;
}

void removeFrameFiles(const std::string& folder, const std::string& frameID)
{
    auto removed = FrameFiles::deleteFilesOfFrame(folder, frameID);
    if (!removed.ok())
        plat::log("photo import: files of a frame that was not imported stay: {}", removed.failureDescription());
}

// The file and pixel work of one picture on the import queue: decoded,
// turned upright, capped, and stored as a new frame's three files. None
// when the picture cannot be read or its files cannot all be written; then
// nothing of it stays in the project folder.
// Stores the photo as a frame's files; none when the photo cannot be read,
// or (storeError set) when its files cannot be written.
std::optional<Frame> storePictureAsFrame(const plat::Asset& asset, ImageProducer& producer, const std::string& folder,
    int32_t maxResolution, std::optional<plat::Error>* storeError)
{
    std::string name = asset.photoAsset().fileName;
    auto representation = asset.defaultRepresentation();
    // Only the capped size is kept, so a large photo is decoded no larger
    // than that needs (a JPEG at a fraction of its size); the result has the
    // size and look the full-resolution picture would give.
    plat::Size full = representation.dimensions();
    double longer = std::max(full.width, full.height);
    auto stored = longer >= 1 ? representation.reducedImage(static_cast<int>(std::min<double>(longer, maxResolution)))
                              : nullptr;
    if (!stored) {
        plat::log("photo import: {} is not a picture that can be read; skipped", name);
        return std::nullopt;
    }
    plat::Image picture(std::move(stored), 1.0, representation.orientation());
    auto upright = scaledAndRotatedImageWithMaxResolution(picture, full, maxResolution);
    if (!upright) {
        plat::log("photo import: {} could not be turned upright and scaled; skipped", name);
        return std::nullopt;
    }
    Frame frame(FrameTypePicture);
    if (!producer.storeImage(*upright, frame.frameID(), storeError)) {
        // Files that were written before the failure would belong to no frame.
        removeFrameFiles(folder, frame.frameID());
        plat::log("photo import: the frame files of {} could not be stored; skipped", name);
        return std::nullopt;
    }
    return frame;
}

}  // namespace

// One import: what the queue reads (fixed before it starts) and what the
// main queue keeps.
struct CaptureImportController::Run {
    std::vector<std::shared_ptr<plat::Asset>> assets;
    std::shared_ptr<plat::DispatchQueue> queue;
    std::string folder;
    int32_t maxResolution = kFallbackMaxResolution;
    bool showsProgress = false;
    // Main queue only.
    size_t finished = 0;
    size_t failed = 0;
    std::optional<plat::Error> firstStoreError;  // why a picture could not be kept, when a write failed
    std::optional<std::string> previousUID;
};

CaptureImportController::CaptureImportController(std::shared_ptr<ProjectModel> project)
    : _project(std::move(project))
{
}

CaptureImportController::~CaptureImportController() = default;

void CaptureImportController::showImagePickerWithController(const std::shared_ptr<plat::ViewController>& controller)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!controller)
        return;
    auto picker = std::make_shared<APAlbumPickerController>();
    picker->setMultiSelection(true);
    _hud = std::make_shared<Hudy>();
    std::weak_ptr<plat::ViewController> weakScreen = controller;
    auto self = shared_from_this();
    picker->setDidFinishPickMedia([self, weakScreen](const std::vector<std::shared_ptr<plat::Asset>>& assets) {
        auto screen = weakScreen.lock();
        if (!screen)
            return;
        screen->dismissViewControllerAnimated(/*animated=*/true, nullptr);
        self->importAssets(assets, screen);
    });
    auto navigation = std::make_shared<TintedNavigationController>(picker);
    navigation->setModalPresentationStyle(plat::ModalPresentationStyle::FormSheet);
    controller->presentViewController(navigation, /*animated=*/true, nullptr);
}

void CaptureImportController::importAssets(
    std::vector<std::shared_ptr<plat::Asset>> assets, const std::shared_ptr<plat::ViewController>& screen)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    assets.erase(std::remove(assets.begin(), assets.end(), nullptr), assets.end());
    if (assets.empty())
        return;
    // The frame files go into the project folder from the import queue, so
    // the folder (and its place in the projects list) is made here first.
    if (!_project->getProjectPath()) {
        auto made = _project->createFilePathForProject();
        if (!made.ok() || !_project->getProjectPath()) {
            plat::log("photo import: the project has no folder to import into: {}",
                made.ok() ? std::string("none was made") : made.error().localizedDescription());
            showSkipped(assets.size(), assets.size(), made.ok() ? std::nullopt : std::optional(made.error()));
            return;
        }
    }
    auto run = std::make_shared<Run>();
    run->assets = std::move(assets);
    run->folder = *_project->getProjectPath();
    auto largest = static_cast<int32_t>(MovieRenderer::getMaximumResolutionAvailable().width);
    if (largest >= 1)
        run->maxResolution = largest;
    else
        plat::log("photo import: the device offers no movie size; pictures are capped at {}", kFallbackMaxResolution);
    run->showsProgress = run->assets.size() > kPicturesWithoutDisplay;
    if (run->showsProgress && screen) {
        if (!_hud)
            _hud = std::make_shared<Hudy>();
        _hud->setCaption(plat::localized("Importing..."));
        _hud->setDismissAfterTime(Hudy::kStaysUntilDismissed);
        _hud->setProgress(0.0f);
        _hud->showInView(screen->view());
    }
    run->queue = plat::DispatchQueue::create(kImportQueueLabel);
    run->queue->async([self = shared_from_this(), run]() mutable { importOnQueue(std::move(self), std::move(run)); });
}

void CaptureImportController::importOnQueue(std::shared_ptr<CaptureImportController> self, std::shared_ptr<Run> run)
{
    {
        ImageProducer producer(self->_project);
        for (const auto& asset : run->assets) {
            // One picture at a time: its pixels are gone before the next is decoded.
            std::optional<plat::Error> storeError;
            auto frame = storePictureAsFrame(*asset, producer, run->folder, run->maxResolution, &storeError);
            plat::DispatchQueue::mainQueue().async([self, run, frame = std::move(frame), storeError] {
                if (storeError && !run->firstStoreError)
                    run->firstStoreError = storeError;
                if (!frame || !self->insertStoredFrame(*run, *frame))
                    ++run->failed;
                self->pictureFinished(*run);
            });
        }
    }
    // The importer owns views (its display): its last reference goes on the main queue.
    plat::DispatchQueue::mainQueue().async([self = std::move(self), run = std::move(run)] {});
}

bool CaptureImportController::insertStoredFrame(Run& run, const Frame& frame)
{
    FrameList& list = _project->getFrameList();
    // The first picture goes to the playhead, each next one right after the
    // one before it: the editor moves the playhead onto each new frame, and
    // reading it anew would put the pictures in reverse order.
    int64_t index = list.frameIndexAtPlayhead();
    if (run.previousUID) {
        int64_t previous = list.getIndexOfFrameWithUID(*run.previousUID);
        if (previous != plat::kNotFound)
            index = previous + 1;
    }
    index = std::clamp<int64_t>(index, 0, list.count());
    list.insertFrame(frame, index);
    auto metadata = _project->getMetaData();
    plat::Value renderingBefore = metadata ? metadata->get("RecordNeedsRendering") : plat::Value();
    if (metadata)
        metadata->set("RecordNeedsRendering", true);
    auto saved = _project->saveAllDataToDisk();
    if (!saved.ok()) {
        // Only a frame the project keeps is shown: memory goes back to what is on disk.
        plat::log("photo import: the project could not be saved: {}", saved.error().localizedDescription());
        list.removeFrameAtIndex(list.getIndexForFrame(frame));
        if (metadata)
            metadata->set("RecordNeedsRendering", renderingBefore);
        removeFrameFiles(run.folder, frame.frameID());
        if (!run.firstStoreError)
            run.firstStoreError = saved.error();
        return false;
    }
    run.previousUID = frame.UID();
    plat::Dictionary userInfo;
    userInfo.set("FRAME", frame.encode());
    plat::NotificationCenter::defaultCenter().post(kAddFrameNotification, this, userInfo);
    return true;
}

void CaptureImportController::pictureFinished(Run& run)
{
    ++run.finished;
    size_t picked = run.assets.size();
    if (run.showsProgress && _hud) {
        float progress = static_cast<float>(run.finished) / static_cast<float>(picked);
        if (progress >= 1.0f)
            _hud->dismiss();
        else
            _hud->setProgress(progress);
    }
    if (run.finished == picked && run.failed > 0)
        showSkipped(run.failed, picked, run.firstStoreError);
}

void CaptureImportController::showSkipped(size_t skipped, size_t picked, const std::optional<plat::Error>& storeError)
{
    plat::log("photo import: {} of {} pictures skipped", skipped, picked);
    std::string message = skippedMessage(skipped, picked);
    // Pictures that could be read but not kept: the person hears why.
    if (storeError)
        message += "\n" + failureReason(*storeError);
    auto alert = std::make_shared<AlertView>(plat::localized("Photo import"), message);
    alert->addButtonWithTitle(plat::localized("OK"), nullptr);
    alert->show();
}

}  // namespace zt
