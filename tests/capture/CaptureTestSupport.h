#pragma once
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "capture/CaptureImportController.h"
#include "document/DataManager.h"
#include "document/Frame.h"
#include "document/ProjectModel.h"
#include "document/ProjectsList.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/library/Asset.h"
#include "platform/library/PhotoLibrary.h"
#include "support/RootScreenTest.h"
#include "support/RunLoopWaiting.h"

namespace zt::test {

// A project of ten picture frames ("f0" to "f9") before the capture
// placeholder, the playhead on the sixth, a photo library in the sandbox and
// an importer whose frame notifications are recorded with their thread.
class PhotoImportScene : public plat::test::RootScreenTest {
protected:
    static constexpr int64_t kPlayhead = 5;

    PhotoImportScene()
    {
        DataManager::sharedDataManager().resetToDefaultsForTesting();
        (void)ProjectsList::replace({});
        EXPECT_TRUE(project->createFilePathForProject().ok());
        auto& list = project->getFrameList();
        for (int i = 0; i < 10; ++i)
            list.insertFrame(Frame(FrameTypePicture, "f" + std::to_string(i)), list.getCaptureIndex());
        list.setFrameIndexAtPlayhead(kPlayhead);
        EXPECT_TRUE(project->saveAllDataToDisk().ok());
        token = plat::NotificationCenter::defaultCenter().addObserver(
            CaptureImportController::kAddFrameNotification, importer.get(), [this](const plat::Notification& note) {
                addedFrameIDs.push_back(
                    Frame(note.userInfo.getDictionary("FRAME").value_or(plat::Dictionary())).frameID());
                postedOnMainThread = postedOnMainThread && std::this_thread::get_id() == mainThread;
            });
    }
    ~PhotoImportScene() override { DataManager::sharedDataManager().resetToDefaultsForTesting(); }

    // A JPEG of the picture (with its orientation tag) in the camera roll.
    std::shared_ptr<plat::Asset> addPhoto(const plat::Image& picture)
    {
        auto saved = library.saveImage(picture);
        EXPECT_TRUE(saved.ok());
        return saved.ok() ? std::make_shared<plat::Asset>(saved.value()) : nullptr;
    }
    // A file of the camera roll with the given bytes, picture or not.
    std::shared_ptr<plat::Asset> addFile(const std::string& name, const std::string& bytes)
    {
        auto album = library.addAlbum(plat::PhotoLibrary::kSavedPhotosAlbumName);
        EXPECT_TRUE(album.ok());
        EXPECT_TRUE(plat::writeFileAtomically(plat::appendingPathComponent(album.value().path, name), bytes).ok());
        auto asset = library.assetInAlbum(plat::PhotoLibrary::kSavedPhotosAlbumName, name);
        EXPECT_TRUE(asset.ok());
        return asset.ok() ? std::make_shared<plat::Asset>(asset.value()) : nullptr;
    }

    std::vector<std::string> frameIDs() const
    {
        std::vector<std::string> ids;
        for (const auto& frame : project->getFrameList())
            ids.push_back(frame.frameID());
        return ids;
    }
    std::string folder() const { return *project->getProjectPath(); }
    std::string pathOf(const std::string& name) const { return plat::appendingPathComponent(folder(), name); }
    // Sees each frame as soon as it arrives; the long guard only ends a hang:
    // a sanitizer build on a loaded machine needs more than the usual half
    // minute to store twenty large photos.
    bool waitForFrames(size_t count)
    {
        constexpr double kHangGuardSeconds = 300;
        return plat::test::runMainLoopUntil([&] { return addedFrameIDs.size() >= count; }, kHangGuardSeconds);
    }

    plat::PhotoLibrary library = plat::PhotoLibrary::forCurrentSandbox();
    std::shared_ptr<ProjectModel> project = std::make_shared<ProjectModel>(std::nullopt);
    std::shared_ptr<CaptureImportController> importer = std::make_shared<CaptureImportController>(project);
    std::vector<std::string> addedFrameIDs;
    std::thread::id mainThread = std::this_thread::get_id();
    bool postedOnMainThread = true;
    plat::ObserverToken token;
};

}  // namespace zt::test
