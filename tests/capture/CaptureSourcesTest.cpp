#include "capture/CaptureSources.h"

#include <gtest/gtest.h>

#include "CaptureSourceTestSupport.h"
#include "capture/Capture4KCamera.h"
#include "capture/CaptureLocalCamera.h"
#include "capture/CaptureSourceSelectionView.h"
#include "capture/SimulatorCamera.h"
#include "platform/media/capture/CaptureDevice.h"
#include "platform/media/capture/CaptureSession.h"
#include "platform/media/capture/CaptureStillImageOutput.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/testing/PictureComparison.h"
#include "platform/ui/testing/UIDriver.h"

namespace {

using plat::CaptureDevicePosition;
using plat::test::testPatternCamera;

constexpr double kFrame = 1.0 / 32;

class Sources : public zt::test::CaptureFixture {
protected:
    // Moves the clock a frame at a time until the source's session took one.
    void advanceFrame(zt::CaptureLocalCamera& camera)
    {
        uint64_t before = camera.captureSession()->capturedPictureCount();
        clock.advance(kFrame);
        ASSERT_TRUE(
            plat::test::runMainLoopUntil([&] { return camera.captureSession()->capturedPictureCount() > before; }));
    }
    zt::DataManager& settings() { return zt::DataManager::sharedDataManager(); }
};

TEST_F(Sources, TheBaseSourceIsReadyAtOnceAndDeliversTheResourcePicture)
{
    auto source = std::make_shared<zt::CaptureController>();
    activate(source);
    EXPECT_TRUE(source->isReadyToCapture());
    EXPECT_TRUE(source->isMultipleCaptureDeviceAvaliable());
    EXPECT_TRUE(source->isFocusModeSuported());
    EXPECT_EQ(sourceDelegate->initPositions, (std::vector<int64_t> {1}));
    EXPECT_TRUE(source->focusAtPoint({1, 1}));
    source->switchCaptureDevice();
    EXPECT_EQ(sourceDelegate->switchPositions, (std::vector<int64_t> {1}));
    source->captureImage();
    ASSERT_EQ(sourceDelegate->pictureCount(), 1u);
    ASSERT_TRUE(sourceDelegate->picture(0));
    EXPECT_EQ(sourceDelegate->picture(0)->size(), (plat::Size {1920, 1080}));
    EXPECT_TRUE(sourceDelegate->deliveredOnMainThread(0));
    EXPECT_EQ(source->getCaptureSourceName(), "DEBUG-Capturesource");
    EXPECT_TRUE(source->getCaptureSourceMenuIcon());
}

TEST_F(Sources, TheTestSourceShowsAndHandsOverItsPicture)
{
    auto source = std::make_shared<zt::SimulatorCamera>();
    activate(source);
    ASSERT_TRUE(source->imageView());
    EXPECT_EQ(source->imageView()->frame(), plat::makeRect(0, 0, 568, 320));
    EXPECT_EQ(source->imageView()->contentMode(), plat::ContentMode::ScaleAspectFill);
    ASSERT_TRUE(source->imageView()->image());
    source->captureImage();
    ASSERT_EQ(sourceDelegate->pictureCount(), 1u);
    EXPECT_EQ(sourceDelegate->picture(0), source->imageView()->image());
}

TEST_F(Sources, TheBestPresetFollowsTheCamera)
{
    plat::test::setUpCameras({testPatternCamera(CaptureDevicePosition::Back, 3840, 2160),
        testPatternCamera(CaptureDevicePosition::Front, 1280, 720),
        testPatternCamera(CaptureDevicePosition::Unspecified, 800, 600)});
    auto devices = plat::CaptureDevice::devices();
    EXPECT_EQ(zt::CaptureController::getPresetWithMaximumResoulutionFromCaptureDevice(*devices[0]),
        plat::kCaptureSessionPreset1920x1080);
    EXPECT_EQ(zt::CaptureController::getPresetWithMaximumResoulutionFromCaptureDevice(*devices[1]),
        plat::kCaptureSessionPreset1280x720);
    EXPECT_EQ(zt::CaptureController::getPresetWithMaximumResoulutionFromCaptureDevice(*devices[2]),
        plat::kCaptureSessionPreset640x480);
}

TEST_F(Sources, TheRegistryListsTheBuiltInCamerasInOrderAndKeepsItsList)
{
    auto sources = std::make_shared<zt::CaptureSources>();
    sources->checkLocalCaptureSources();
    auto list = sources->getAvailableCaptureSources();
    ASSERT_EQ(list->size(), 3u);
    EXPECT_EQ((*list)[0]->captureSourceID(), "CaptureLocalCamera");
    EXPECT_EQ((*list)[0]->getCaptureSourceName(), "Camera");
    EXPECT_TRUE((*list)[0]->getIsZoomSupported());
    EXPECT_EQ((*list)[1]->captureSourceID(), "CaptureChromaKeyCamera");
    EXPECT_EQ((*list)[1]->getCaptureSourceName(), "Green Screen");
    EXPECT_FALSE((*list)[1]->getIsZoomSupported());
    EXPECT_EQ((*list)[2]->captureSourceID(), "CaptureLocalUHDTVCamera");
    EXPECT_EQ((*list)[2]->getCaptureSourceName(), "UHDTV");
    EXPECT_TRUE((*list)[2]->hasShutterSound());
    auto extra = std::make_shared<zt::SimulatorCamera>();
    sources->addCaptureSource(extra);
    EXPECT_EQ(list->size(), 4u);  // holders see the change
    sources->removeCaptureSource(extra);
    EXPECT_EQ(list->size(), 3u);
    sources->checkLocalCaptureSources();
    EXPECT_EQ(sources->getAvailableCaptureSources(), list);
}

TEST_F(Sources, TheFourKCameraTakesAFullSizeStillWithTheOrientationAttached)
{
    plat::test::setUpCameras({testPatternCamera(CaptureDevicePosition::Front, 3840, 2160, 32)});
    auto camera = std::make_shared<zt::Capture4KCamera>();
    activate(camera);
    EXPECT_TRUE(camera->isReadyToCapture());
    EXPECT_EQ(camera->captureSession()->sessionPreset(), plat::kCaptureSessionPresetPhoto);
    camera->captureImage();
    EXPECT_FALSE(camera->isReadyToCapture());  // a second shutter press would be refused
    advanceFrame(*camera);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return sourceDelegate->pictureCount() == 1; }));
    auto still = sourceDelegate->picture(0);
    ASSERT_TRUE(still);
    EXPECT_EQ(still->bitmap()->width(), 3840);
    EXPECT_EQ(still->bitmap()->height(), 2160);
    EXPECT_EQ(still->imageOrientation(), plat::ImageOrientation::UpMirrored);  // as the preview shows it
    EXPECT_EQ(still->scale(), 1.0);
    EXPECT_TRUE(camera->isReadyToCapture());
    EXPECT_FALSE(sourceDelegate->deliveredOnMainThread(0));
    camera->stopCameraCapture();
    EXPECT_FALSE(camera->isReadyToCapture());
    EXPECT_FALSE(camera->captureSession());
}

TEST_F(Sources, TheFourKAlertReturnsUntilItIsDismissed)
{
    plat::test::setUpCameras({testPatternCamera(CaptureDevicePosition::Back, 1920, 1080, 32)});
    auto camera = std::make_shared<zt::Capture4KCamera>();
    plat::test::UIDriver driver;
    activate(camera);
    driver.wait(1);
    EXPECT_TRUE(driver.findView("Ultra HD"));
    camera->stopCameraCapture();
    activate(camera);  // not dismissed with its button: shown again
    driver.wait(1);
    EXPECT_TRUE(driver.findView("Ultra HD"));
    ASSERT_TRUE(driver.tap("Dismiss"));
    driver.wait(1);
    EXPECT_EQ(settings().objectForKey(zt::Capture4KCamera::kAlertShownKey).boolValue(), true);
    ASSERT_TRUE(driver.tap("Dismiss"));  // the first one, still up
    driver.wait(1);
    camera->stopCameraCapture();
    activate(camera);
    driver.wait(1);
    EXPECT_FALSE(driver.findView("Ultra HD"));
}

TEST_F(Sources, TheFourKCameraStaysAtFullResolutionAfterASwitch)
{
    plat::test::setUpCameras({testPatternCamera(CaptureDevicePosition::Back, 3840, 2160, 32),
        testPatternCamera(CaptureDevicePosition::Front, 1920, 1080, 32)});
    settings().setValue(true, zt::Capture4KCamera::kAlertShownKey);
    auto camera = std::make_shared<zt::Capture4KCamera>();
    activate(camera);
    camera->switchCaptureDevice();
    EXPECT_EQ(sourceDelegate->switchPositions, (std::vector<int64_t> {2}));
    EXPECT_EQ(camera->captureSession()->sessionPreset(), plat::kCaptureSessionPresetPhoto);
    camera->captureImage();
    advanceFrame(*camera);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return sourceDelegate->pictureCount() == 1; }));
    ASSERT_TRUE(sourceDelegate->picture(0));
    EXPECT_EQ(sourceDelegate->picture(0)->bitmap()->width(), 1920);
}

TEST_F(Sources, AFrameIsStoredThroughTheCurrentSourceOfTheRegistry)
{
    plat::test::setUpCameras({testPatternCamera(CaptureDevicePosition::Back, 1920, 1080, 32)});
    auto sources = std::make_shared<zt::CaptureSources>();
    sources->checkLocalCaptureSources();
    settings().setCurrentCaptureSourceID("CaptureLocalCamera");
    std::shared_ptr<zt::CaptureController> current;
    for (const auto& source : *sources->getAvailableCaptureSources()) {
        if (source->captureSourceID() == settings().currentCaptureSourceID())
            current = source;
    }
    auto camera = std::dynamic_pointer_cast<zt::CaptureLocalCamera>(current);
    ASSERT_TRUE(camera);
    auto storing = std::make_shared<zt::test::FrameStoringDelegate>(project);
    sourceDelegate = storing;
    int notifications = 0;
    auto token = plat::NotificationCenter::defaultCenter().addObserver(
        "AddFrameNotification", nullptr, [&](const plat::Notification& note) {
            ++notifications;
            EXPECT_EQ(note.object, camera.get());
            EXPECT_TRUE(note.userInfo.getDictionary("FRAME"));
        });
    activate(camera);
    camera->captureImage();
    advanceFrame(*camera);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return storing->pictureCount() == 1; }));
    EXPECT_EQ(notifications, 1);
    ASSERT_EQ(project->getFrameList().count(), 2);
    const std::string frameID = *project->getFrameList().getFrameIDAtIndex(0);
    zt::ImageProducer producer(project);
    auto stored = producer.getImageForFrameWithFrameID(frameID);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->size(), (plat::Size {1920, 1080}));
    EXPECT_TRUE(producer.getThumbnailImageForFrameAtIndex(0));
    EXPECT_EQ(project->getMetaData()->getString("META_RECORD_THUMB_FRAME_ID"), frameID);
    // Read back from disk, the project holds the frame before its placeholder.
    zt::ProjectModel reopened(project->getProjectPath());
    EXPECT_EQ(reopened.getFrameList().getFrameIDAtIndex(0), frameID);
    EXPECT_EQ(reopened.getFrameList().getCaptureIndex(), 1);
    EXPECT_EQ(reopened.getMetaData()->getInt64("CurrentFrameIndex"), 1);
}

class Chooser : public zt::test::CaptureFixture {
protected:
    Chooser()
    {
        sources->checkLocalCaptureSources();
        chooser = std::make_shared<zt::CaptureSourceSelectionView>(
            plat::TableViewStyle::Plain, sources->getAvailableCaptureSources());
        chooser->setDelegate(chosen);
    }
    struct Chosen : zt::CaptureSourceSelectionDelegate {
        void captureSourceSelection(
            zt::CaptureSourceSelectionView&, std::shared_ptr<zt::CaptureController> source) override
        {
            sources.push_back(source);
            settingAtCall = zt::DataManager::sharedDataManager().currentCaptureSourceID();
        }
        std::vector<std::shared_ptr<zt::CaptureController>> sources;
        std::string settingAtCall;
    };
    std::shared_ptr<plat::TableViewCell> cell(int64_t row)
    {
        return chooser->tableViewCellForRowAtIndexPath(*chooser->tableView(), {0, row});
    }

    std::shared_ptr<zt::CaptureSources> sources = std::make_shared<zt::CaptureSources>();
    std::shared_ptr<zt::CaptureSourceSelectionView> chooser;
    std::shared_ptr<Chosen> chosen = std::make_shared<Chosen>();
};

TEST_F(Chooser, ListsTheSourcesThenTheHelpRowAndMeasuresItselfOnce)
{
    // Three built-in sources: 4 rows of 44, less 2.
    EXPECT_EQ(chooser->contentSizeForViewInPopover(), (plat::Size {200, 174}));
    EXPECT_EQ(chooser->tableViewNumberOfRowsInSection(*chooser->tableView(), 0), 4);
    EXPECT_EQ(cell(0)->textLabel()->text(), "Camera");
    EXPECT_EQ(cell(1)->textLabel()->text(), "Green Screen");
    EXPECT_EQ(cell(2)->textLabel()->text(), "UHDTV");
    EXPECT_EQ(cell(3)->textLabel()->text(), "Remote Camera");
    EXPECT_EQ(cell(0)->imageView()->image()->renderingMode(), plat::ImageRenderingMode::AlwaysTemplate);
    EXPECT_TRUE(cell(1)->imageView()->image());
    EXPECT_TRUE(cell(3)->imageView()->image());
    EXPECT_FALSE(chooser->tableView()->isScrollEnabled());
}

TEST_F(Chooser, TheCheckMarkFollowsTheSettings)
{
    EXPECT_EQ(cell(0)->accessoryType(), plat::TableViewCellAccessoryType::Checkmark);
    EXPECT_EQ(cell(1)->accessoryType(), plat::TableViewCellAccessoryType::None);
    zt::DataManager::sharedDataManager().setCurrentCaptureSourceID("192.168.7.7");  // a remote camera that went
    for (int64_t row = 0; row < 4; ++row)
        EXPECT_EQ(cell(row)->accessoryType(), plat::TableViewCellAccessoryType::None) << row;
}

TEST_F(Chooser, ChoosingASourceStoresItBeforeTheDelegateHears)
{
    chooser->tableViewDidSelectRowAtIndexPath(*chooser->tableView(), {0, 2});
    ASSERT_EQ(chosen->sources.size(), 1u);
    EXPECT_EQ(chosen->sources[0], (*sources->getAvailableCaptureSources())[2]);
    EXPECT_EQ(chosen->settingAtCall, "CaptureLocalUHDTVCamera");
}

TEST_F(Chooser, TheHelpRowAsksForTheRemoteCameraHelpPage)
{
    std::vector<std::string> pages;
    auto token = plat::NotificationCenter::defaultCenter().addObserver("ShowHelpPage", nullptr,
        [&](const plat::Notification& note) { pages.push_back(note.userInfo.getString("page").value_or("")); });
    chooser->tableViewDidSelectRowAtIndexPath(*chooser->tableView(), {0, 3});
    EXPECT_EQ(pages, (std::vector<std::string> {"plovix-remotecamera"}));
    EXPECT_TRUE(chosen->sources.empty());
    EXPECT_EQ(zt::DataManager::sharedDataManager().currentCaptureSourceID(), "CaptureLocalCamera");
}

TEST_F(Chooser, ARemoteCameraThatComesIsListedAtTheNextReload)
{
    window->addSubview(chooser->view());
    chooser->view()->setFrame(plat::makeRect(0, 0, 200, 174));
    clock.advance(0);
    EXPECT_EQ(chooser->tableView()->numberOfRowsInSection(0), 4);
    plat::NetServiceRegistry::shared().announce(
        {"Garden", zt::CaptureRemoteCameraBrowser::kServiceType, "local.", "127.0.0.1", 8080, true});
    clock.advance(0);
    EXPECT_EQ(chooser->tableView()->numberOfRowsInSection(0), 5);
    EXPECT_EQ(chooser->contentSizeForViewInPopover(), (plat::Size {200, 174}));  // measured once
    EXPECT_EQ(cell(3)->textLabel()->text(), "Garden");
}

TEST_F(Chooser, LooksAsItShould)
{
    auto backdrop = std::make_shared<plat::View>(plat::makeRect(0, 0, 200, 174));
    backdrop->setBackgroundColor(plat::Color::colorWithWhite(0.93, 1));
    window->addSubview(backdrop);
    backdrop->setTintColor(plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1));
    chooser->view()->setFrame(backdrop->bounds());
    backdrop->addSubview(chooser->view());
    clock.advance(0);
    auto picture = plat::renderViewToImage(*backdrop, 2);
    ASSERT_TRUE(picture);
    auto comparison = plat::test::compareWithReferencePicture(
        *picture, plat::test::sourcePath("tests/data/capture/source_chooser.png"), ::testing::TempDir());
    EXPECT_TRUE(comparison.matches) << comparison.explanation;
}

}  // namespace
