#pragma once
// The capture screen over a plain root screen of a phone: a fresh device
// with a virtual camera whose picture never changes, a project with a
// folder and stored pictures, the registry's sources, and the frames the
// screen announces.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "CaptureSourceTestSupport.h"
#include "capture/CaptureImportController.h"
#include "capture/CaptureLayouts.h"
#include "capture/CaptureLocalCamera.h"
#include "capture/CaptureSources.h"
#include "capture/CaptureViewController.h"
#include "document/DataManager.h"
#include "document/Frame.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "document/ProjectsList.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/media/capture/CaptureSession.h"
#include "platform/net/NetServiceRegistry.h"
#include "platform/net/ServiceDiscovery.h"
#include "platform/ui/Button.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Switch.h"
#include "platform/ui/SystemVolume.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "share/ShareLayouts.h"
#include "support/ManualClockScope.h"
#include "support/Pixels.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"
#include "support/VirtualCameras.h"
#include "uikit/Hudy.h"

namespace zt::test {

inline constexpr int kCameraFrameRate = 32;
inline constexpr double kCameraFrame = 1.0 / kCameraFrameRate;

// A camera over a folder of one picture (16:9); the folder below the cameras folder.
inline plat::CaptureDeviceDescription pictureCamera(const std::string& folderName, const plat::Image& picture,
    plat::CaptureDevicePosition position = plat::CaptureDevicePosition::Back)
{
    return plat::test::pictureCamera(folderName, picture, position, kCameraFrameRate);
}

// Blue sky over green grass, a yellow sun on the left: the live picture.
inline std::shared_ptr<plat::Image> landscapePicture(int width = 640, int height = 360)
{
    return plat::test::makeImage(width, height, [width, height](int x, int y) {
        const int dx = x - width / 4;
        const int dy = y - height / 4;
        if (dx * dx + dy * dy < (height / 8) * (height / 8))
            return plat::test::Rgba {250, 210, 30, 255};
        return y < height * 2 / 3 ? plat::test::Rgba {60, 120, 230, 255} : plat::test::Rgba {40, 170, 60, 255};
    });
}

class CaptureScreenScene : public ::testing::Test {
protected:
    CaptureScreenScene(plat::UserInterfaceIdiom idiom = plat::UserInterfaceIdiom::Phone)
        : ui(idiom)
    {
        DataManager::sharedDataManager().resetToDefaultsForTesting();
        // The process's registry starts afresh, with new built-in sources and
        // a browser that hears no other test's remote cameras.
        plat::ServiceDiscovery::setBackend(plat::ServiceDiscoveryBackend::Avahi);
        provideAppCaptureSources();
        CaptureSources::sharedInstance()->checkLocalCaptureSources();
        plat::SystemVolume::shared().setOutputVolume(0.5);
        registerCaptureLayouts();
        registerShareLayouts();
        (void)ProjectsList::replace({});
        plat::test::setUpCameras({});  // no camera unless the test puts one in
        EXPECT_TRUE(project->createFilePathForProject().ok());
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        driver.wait(0);
        token = plat::NotificationCenter::defaultCenter().addObserver(
            CaptureImportController::kAddFrameNotification, nullptr, [this](const plat::Notification& note) {
                announcedFrames.push_back(
                    Frame(note.userInfo.getDictionary("FRAME").value_or(plat::Dictionary())).frameID());
                announcedBy.push_back(note.object);
            });
    }
    ~CaptureScreenScene() override
    {
        if (screen) {
            screen->finishUpAndExit();
            clock.advance(1);  // the dismissal ends, so nothing of it is left for the run loop to drop
        }
        plat::ServiceDiscovery::setBackend(plat::ServiceDiscoveryBackend::Automatic);
        DataManager::sharedDataManager().resetToDefaultsForTesting();
    }

    // Pictures of flat colours before the capture placeholder, stored as the screen would.
    void addStoredPictures(const std::vector<plat::test::Rgba>& colours)
    {
        ImageProducer producer(project);
        FrameList& list = project->getFrameList();
        for (const auto& colour : colours) {
            Frame frame(FrameTypePicture);
            ASSERT_TRUE(producer.storeImage(*plat::test::makeFlatImage(320, 180, colour), frame.frameID()));
            list.insertFrame(frame, list.getCaptureIndex());
        }
        ASSERT_TRUE(project->saveAllDataToDisk().ok());
    }

    // The screen presented over the root, its source set up (the first
    // viewDidAppear chooses it).
    void showScreen(const char* layout = CaptureViewController::kPhoneLayout)
    {
        screen = std::make_shared<CaptureViewController>(layout, project);
        root->presentViewController(screen, /*animated=*/false, nullptr);
        driver.wait(0);
    }
    std::shared_ptr<CaptureLocalCamera> localCamera() const
    {
        return std::dynamic_pointer_cast<CaptureLocalCamera>(screen->captureSource());
    }
    template <typename T> std::shared_ptr<T> outlet(const char* name) const
    {
        return std::dynamic_pointer_cast<T>(screen->outlet(name));
    }
    std::shared_ptr<plat::Button> shutter() const { return outlet<plat::Button>("recordBtn"); }

    // Lets the local camera make pictures until `done`, a frame at a time,
    // each frame's work finished before the next comes.
    bool runCameraUntil(const std::function<bool()>& done, int maximumFrames = 64)
    {
        return done() || plat::test::advanceClockUntil(clock.clock(), kCameraFrame, done, maximumFrames);
    }
    // Presses the shutter and waits until the picture is in the project.
    bool takePicture()
    {
        const size_t before = announcedFrames.size();
        if (!driver.tap(*shutter())) {
            ADD_FAILURE() << "the shutter is not on screen";
            return false;
        }
        return runCameraUntil([&] { return announcedFrames.size() > before; });
    }
    // Lets the still display end at the loop timer's next tick (one a second),
    // so the shutter works again.
    void endStill() { clock.advance(1.0); }

    std::vector<std::string> frameIDs() const
    {
        std::vector<std::string> ids;
        for (const auto& frame : project->getFrameList())
            ids.push_back(frame.frameID());
        return ids;
    }
    bool hasFile(const std::string& name) const
    {
        return plat::fileExists(plat::appendingPathComponent(*project->getProjectPath(), name));
    }
    DataManager& settings() { return DataManager::sharedDataManager(); }

    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    std::shared_ptr<plat::ViewController> root = std::make_shared<plat::ViewController>();
    plat::test::UIDriver driver;
    std::shared_ptr<ProjectModel> project = std::make_shared<ProjectModel>(std::nullopt);
    std::shared_ptr<CaptureViewController> screen;
    std::vector<std::string> announcedFrames;
    std::vector<const void*> announcedBy;
    plat::ObserverToken token;
};

}  // namespace zt::test
