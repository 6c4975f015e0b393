#include "capture/CaptureViewController.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <utility>

#include "CaptureScreenTestSupport.h"
#include "capture/Capture4KCamera.h"
#include "capture/SimulatorCamera.h"
#include "document/FrameFiles.h"
#include "greenscreen/CaptureChromaKeyCamera.h"
#include "platform/foundation/PropertyList.h"
#include "platform/media/capture/CaptureDevice.h"
#include "platform/media/capture/CaptureInput.h"
#include "platform/ui/Application.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/testing/PictureComparison.h"
#include "support/FailingWrites.h"
#include "support/Idioms.h"
#include "support/LimitedFreeSpace.h"
#include "support/MountNamespace.h"
#include "uikit/BubblePopoverContainerView.h"
#include "uikit/Hudy.h"

namespace {

using plat::CaptureDevicePosition;
using zt::CaptureViewController;

class CaptureScreen : public zt::test::CaptureScreenScene {
protected:
    std::string infoText() { return outlet<plat::Label>("frameLabel")->text(); }
};

TEST_F(CaptureScreen, TheShutterStoresAFrameBeforeThePlaceholderAndAnnouncesIt)
{
    addStoredPictures({{200, 0, 0, 255}, {0, 200, 0, 255}, {0, 0, 200, 255}});
    plat::test::setUpCameras({zt::test::pictureCamera("sky", *zt::test::landscapePicture())});
    showScreen();
    ASSERT_TRUE(localCamera());
    EXPECT_TRUE(plat::Application::sharedApplication().isIdleTimerDisabled());
    EXPECT_EQ(infoText(), "0004 / 0004");

    ASSERT_TRUE(takePicture());
    EXPECT_FALSE(shutter()->isEnabled());  // until the still display ends
    ASSERT_EQ(announcedFrames.size(), 1u);
    EXPECT_EQ(announcedBy[0], screen.get());
    const std::string id = announcedFrames[0];
    auto ids = frameIDs();
    ASSERT_EQ(ids.size(), 5u);
    EXPECT_EQ(ids[3], id);
    EXPECT_EQ(ids[4], zt::kCapturePlaceholderFrameID);
    for (const char* kind : {"frame-", "preview-", "thumb-"})
        EXPECT_TRUE(hasFile(std::string(kind) + id + ".jpg")) << kind;
    auto metadata = project->getMetaData();
    EXPECT_EQ(metadata->getString("META_RECORD_THUMB_FRAME_ID").value_or(""), id);
    EXPECT_EQ(metadata->get("CurrentFrameIndex").int64Value(), 4);
    EXPECT_EQ(metadata->get("RecordNeedsRendering").boolValue(), true);

    // On disk as well: a new handle on the folder reads the same list.
    zt::ProjectModel reread(*project->getProjectPath());
    EXPECT_EQ(reread.getFrameList().count(), 5);
    EXPECT_EQ(reread.getFrameList().getFrameIDAtIndex(3), id);
    EXPECT_EQ(reread.getMetaData()->get("CurrentFrameIndex").int64Value(), 4);

    // The stored picture is the camera's, and the still shows in front.
    auto stored = plat::Image::imageWithContentsOfFile(
        plat::appendingPathComponent(*project->getProjectPath(), "frame-" + id + ".jpg"));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->size(), (plat::Size {1280, 720}));
    EXPECT_LT(plat::test::componentDistance(plat::test::pixelAt(*stored, 1200, 40), {60, 120, 230, 255}), 20);
    EXPECT_TRUE(screen->isImageShowing());
    EXPECT_EQ(outlet<plat::View>("viewCameraContainer")->alpha(), 0.0);

    driver.wait(0);
    EXPECT_EQ(infoText(), "0005 / 0005");
    endStill();
    EXPECT_FALSE(screen->isImageShowing());
    EXPECT_TRUE(shutter()->isEnabled());
    EXPECT_EQ(outlet<plat::View>("viewCameraContainer")->alpha(), 1.0);
    ASSERT_TRUE(takePicture());
    EXPECT_EQ(project->getFrameList().count(), 6);
}

TEST_F(CaptureScreen, AListWithoutAPlaceholderGetsOneAndThePictureGoesBeforeIt)
{
    addStoredPictures({{200, 0, 0, 255}});
    project->getFrameList().removeFrameWithFrameType(zt::FrameTypeCapturePlaceholder);
    plat::test::setUpCameras({zt::test::pictureCamera("sky", *zt::test::landscapePicture())});
    showScreen();
    ASSERT_TRUE(takePicture());
    auto ids = frameIDs();
    ASSERT_EQ(ids.size(), 3u);
    EXPECT_EQ(ids[1], announcedFrames[0]);
    EXPECT_EQ(ids[2], zt::kCapturePlaceholderFrameID);
}

TEST_F(CaptureScreen, TheInformationDisplaySwitchesToTheMovieLengthWithTheDefaultRateForAMissingOne)
{
    addStoredPictures(std::vector<plat::test::Rgba>(10, {90, 90, 90, 255}));
    project->getMetaData()->set("RecordFPS", 0);
    showScreen();
    driver.wait(0);
    EXPECT_EQ(infoText(), "0011 / 0011");
    ASSERT_TRUE(driver.tap("Frame Counter"));
    driver.wait(0);
    EXPECT_EQ(screen->infoScreenIndex(), 1);
    EXPECT_EQ(infoText(), "00:02");  // 10 frames at 5 per second
    ASSERT_TRUE(driver.tap("Frame Counter"));
    driver.wait(0);
    EXPECT_EQ(infoText(), "0011 / 0011");
}

TEST_F(CaptureScreen, APictureThatCannotBeWrittenIsReportedAndChangesNothing)
{
    addStoredPictures({{200, 0, 0, 255}});
    plat::test::setUpCameras({zt::test::pictureCamera("sky", *zt::test::landscapePicture())});
    showScreen();
    const auto before = frameIDs();
    {
        plat::test::FailingWrites failing("frame-", plat::detail::WriteFailurePoint::BeforeWriting);
        ASSERT_TRUE(driver.tap(*shutter()));
        ASSERT_TRUE(runCameraUntil([&] { return screen->isImageShowing(); }));
    }
    driver.wait(0);
    EXPECT_TRUE(announcedFrames.empty());
    EXPECT_EQ(frameIDs(), before);
    EXPECT_TRUE(driver.findView("Error"));
    // No file of the failed frame stays behind.
    auto names = plat::contentsOfDirectory(*project->getProjectPath());
    ASSERT_TRUE(names.ok());
    size_t thumbnails = 0;
    for (const auto& name : names.value())
        thumbnails += name.rfind("thumb-", 0) == 0;
    EXPECT_EQ(thumbnails, 1u);
    endStill();
    EXPECT_TRUE(shutter()->isEnabled());
}

TEST_F(CaptureScreen, AFailedWriteIsBlamedOnTheFullDeviceOnlyBelowAHundredMebibytes)
{
    auto plenty = CaptureViewController::storeFailureError(104857600);
    EXPECT_EQ(plenty.domain(), "CaptureViewController");
    EXPECT_EQ(plenty.code(), 636);
    EXPECT_EQ(plenty.localizedDescription(), "Oops. An unexpected error occurred. (CaptureViewController-636)");
    auto full = CaptureViewController::storeFailureError(104857599);
    EXPECT_EQ(full.code(), 623);
    EXPECT_EQ(full.localizedDescription(),
        "There is almost no space left on this device. You cannot record new media until you free some space.");
}

TEST_F(CaptureScreen, AFailedWriteWhoseCauseIsKnownLeadsWithIt)
{
    const std::pair<int, const char*> causes[] = {
        {EROFS, "Read-only file system. The picture could not be stored. (CaptureViewController-636)"},
        {EIO, "Input/output error. The picture could not be stored. (CaptureViewController-636)"},
    };
    for (const auto& [code, told] : causes) {
        auto error = CaptureViewController::storeFailureError(104857600, plat::Error::posix(code, "write", "/x/y.jpg"));
        EXPECT_EQ(error.code(), 636);
        EXPECT_EQ(error.localizedDescription(), told);
    }
}

// A real full disk: the project folder on a full tmpfs in a namespace of our
// own. The person is told why, never the names of the app's own files.
TEST_F(CaptureScreen, APictureOnAFullDiskIsToldWithTheSystemsReasonAlone)
{
    const auto run = plat::test::runInOwnMountNamespace();
    if (run == plat::test::MountNamespaceRun::NotPermitted)
        GTEST_SKIP() << "unshare -rm is not permitted here, so no tmpfs can be mounted without root";
    if (run == plat::test::MountNamespaceRun::Elsewhere)
        return;
    plat::test::setUpCameras({zt::test::pictureCamera("sky", *zt::test::landscapePicture())});
    showScreen();
    plat::test::FullDisk full(*project->getProjectPath());
    ASSERT_TRUE(full.ok()) << full.error();
    const std::pair<uint64_t, const char*> cases[] = {
        {104857600, "No space left on device. The picture could not be stored. (CaptureViewController-636)"},
        {104857599,
            "There is almost no space left on this device. You cannot record new media until you free some "
            "space.\nNo space left on device."},
    };
    for (const auto& [freeBytes, told] : cases) {
        plat::test::LimitedFreeSpace reported(freeBytes);
        ASSERT_TRUE(driver.tap(*shutter()));
        ASSERT_TRUE(runCameraUntil([&] { return screen->isImageShowing(); }));
        driver.wait(0.5);
        EXPECT_TRUE(driver.findView(told)) << told;
        ASSERT_TRUE(driver.tap("Dismiss"));
        endStill();
    }
    EXPECT_TRUE(announcedFrames.empty());
}

TEST_F(CaptureScreen, APictureAfterHomeIsNeitherShownNorStoredAndTheScreenLeaves)
{
    plat::test::setUpCameras({zt::test::pictureCamera("sky", *zt::test::landscapePicture())});
    showScreen();
    auto camera = localCamera();
    ASSERT_TRUE(camera);
    camera->captureImage();  // a picture on its way, made from the next frame
    project->getMetaData()->set("RecordName", "Left on Home");
    // Home is pressed before the clock moves on (a tap would let a frame come first).
    auto home = outlet<plat::Button>("buttonHome");
    ASSERT_TRUE(home);
    home->sendActionsForControlEvents(plat::ControlEventTouchUpInside);
    driver.wait(0);
    EXPECT_TRUE(driver.findView("Please wait."));
    runCameraUntil([] { return false; }, 4);
    EXPECT_TRUE(announcedFrames.empty());
    EXPECT_FALSE(screen->isImageShowing());
    driver.wait(1);
    EXPECT_FALSE(root->presentedViewController());
    EXPECT_FALSE(camera->captureSession());
    // Leaving saved the metadata that changed meanwhile.
    auto stored = plat::dictionaryWithContentsOfFile(
        plat::appendingPathComponent(*project->getProjectPath(), zt::ProjectDataWrapper::kMetaDataFileName));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->getString("RecordName"), "Left on Home");
}

TEST_F(CaptureScreen, TheChosenSourceIsTakenAndAVanishedOneFallsBackToTheFirst)
{
    plat::test::setUpCameras({zt::test::pictureCamera("sky", *zt::test::landscapePicture())});
    settings().setCurrentCaptureSourceID("gone-remote-host");
    showScreen();
    const auto& sources = *zt::CaptureSources::sharedInstance()->getAvailableCaptureSources();
    EXPECT_EQ(screen->captureSource(), sources.front());
    EXPECT_EQ(settings().currentCaptureSourceID(), "CaptureLocalCamera");
}

// A source whose set-up fails: shown at once, kept, without tap to focus.
class FailingSource : public zt::CaptureController {
public:
    void initCaptureDevice() override
    {
        setError(plat::Error("FailingSource", CaptureViewController::kCameraNotAuthorizedError, "Not allowed."));
    }
};

TEST_F(CaptureScreen, ASourceThatFailsToSetUpIsReportedAndStaysWithoutTapToFocus)
{
    plat::test::setUpCameras({zt::test::pictureCamera("sky", *zt::test::landscapePicture())});
    showScreen();
    auto failing = std::make_shared<FailingSource>();
    screen->switchCaptureSource(failing);
    driver.wait(1);
    EXPECT_TRUE(driver.findView("Not allowed."));
    EXPECT_TRUE(driver.findView("Settings"));  // not authorised: the way to the app's settings
    EXPECT_EQ(screen->captureSource(), failing);
    ASSERT_TRUE(driver.tap("Settings"));
    driver.wait(1);
    EXPECT_EQ(plat::Application::sharedApplication().openedURLs().back(), "app-settings:");
    // The shutter tells the error again instead of shooting.
    shutter()->sendActionsForControlEvents(plat::ControlEventTouchUpInside);
    driver.wait(1);
    EXPECT_TRUE(driver.findView("Not allowed."));
    EXPECT_TRUE(announcedFrames.empty());
}

// A camera the system cannot open is named with the system's reason, at
// set-up and at a switch to it; a failed switch leaves the other camera on.
TEST_F(CaptureScreen, ACameraThatCannotBeOpenedIsNamedWithTheReason)
{
    plat::CaptureDeviceDescription broken;
    broken.kind = plat::CaptureDeviceKind::Pictures;
    broken.folder = "missing";
    broken.width = 1280;
    broken.height = 720;
    const std::string reason = "No pictures in the folder “missing”.";
    auto brokenAt = [&](CaptureDevicePosition position) {
        auto camera = broken;
        camera.position = position;
        return camera;
    };
    auto sky = zt::test::pictureCamera("sky", *zt::test::landscapePicture());
    struct Row {
        const char* what;
        std::vector<plat::CaptureDeviceDescription> cameras;
        const char* sourceID;
        bool flip;
        std::string message;
    };
    const Row rows[] = {
        {"the only camera", {brokenAt(CaptureDevicePosition::Back)}, "CaptureLocalCamera", false,
            "The camera \"Back Camera\" cannot be opened.\n" + reason},
        {"a switch to the front camera", {sky, brokenAt(CaptureDevicePosition::Front)}, "CaptureLocalCamera", true,
            "The camera \"Front Camera\" cannot be opened.\n" + reason},
        {"the green screen's switch to the front camera",
            {plat::test::greenScreenCamera(CaptureDevicePosition::Back, 640, 480, zt::test::kCameraFrameRate),
                brokenAt(CaptureDevicePosition::Front)},
            zt::CaptureChromaKeyCamera::kCaptureSourceID, true,
            "The camera \"Front Camera\" cannot be opened.\n" + reason},
    };
    plat::test::setUpCameras({sky});
    showScreen();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        plat::test::setUpCameras(row.cameras);
        settings().setAvCaptureDevicePosition(1);
        std::shared_ptr<zt::CaptureController> source;
        for (const auto& candidate : *zt::CaptureSources::sharedInstance()->getAvailableCaptureSources()) {
            if (candidate->captureSourceID() == row.sourceID)
                source = candidate;
        }
        ASSERT_TRUE(source);
        screen->switchCaptureSource(source);
        if (row.flip) {
            driver.wait(0);
            EXPECT_FALSE(driver.findView("Error"));
            screen->actionCaptureDevice();
        }
        driver.wait(0.5);
        EXPECT_TRUE(driver.findView(row.message)) << row.message;
        ASSERT_TRUE(driver.tap("Dismiss"));
        driver.wait(0.5);
        if (!row.flip)
            continue;
        // The back camera goes on, and chosen again it is fine.
        EXPECT_EQ(source->position(), 1);
        ASSERT_TRUE(runCameraUntil([&] { return source->isReadyToCapture(); }));
        ASSERT_TRUE(takePicture());
        endStill();
        screen->switchCaptureSource(source);
        driver.wait(0.5);
        EXPECT_FALSE(driver.findView("Error"));
    }
}

TEST_F(CaptureScreen, TheFrontBackSwitchTurnsToTheOtherCamera)
{
    plat::test::setUpCameras({zt::test::pictureCamera("back", *zt::test::landscapePicture()),
        zt::test::pictureCamera(
            "front", *plat::test::makeFlatImage(640, 360, {220, 30, 30, 255}), CaptureDevicePosition::Front)});
    showScreen();
    auto flip = outlet<plat::Button>("capturedeviseBtn");
    EXPECT_FALSE(flip->isHidden());
    EXPECT_EQ(screen->captureSource()->position(), 1);
    ASSERT_TRUE(driver.tap("Options"));  // the switch is in the options panel
    driver.wait(0.5);
    ASSERT_TRUE(driver.tap(*flip));
    EXPECT_EQ(screen->captureSource()->position(), 2);
    EXPECT_EQ(settings().avCaptureDevicePosition(), 2);
    ASSERT_TRUE(takePicture());
    auto stored = plat::Image::imageWithContentsOfFile(
        plat::appendingPathComponent(*project->getProjectPath(), "frame-" + announcedFrames[0] + ".jpg"));
    ASSERT_TRUE(stored);
    EXPECT_LT(plat::test::componentDistance(plat::test::pixelAt(*stored, 640, 360), {220, 30, 30, 255}), 20);
}

TEST_F(CaptureScreen, TheChooserSwitchesToTheFourKCameraWhoseStillIsStored)
{
    plat::test::setUpCameras({zt::test::pictureCamera("sky", *zt::test::landscapePicture(1920, 1080))});
    settings().setValue(true, zt::Capture4KCamera::kAlertShownKey);
    showScreen();
    settings().setAvCaptureDevicePosition(1);
    ASSERT_TRUE(driver.tap("Source"));
    driver.wait(1);
    ASSERT_TRUE(screen->popoverController());
    ASSERT_TRUE(driver.tap("UHDTV"));
    driver.wait(1);
    EXPECT_FALSE(screen->popoverController());
    auto fourK = std::dynamic_pointer_cast<zt::Capture4KCamera>(screen->captureSource());
    ASSERT_TRUE(fourK);
    EXPECT_EQ(settings().currentCaptureSourceID(), "CaptureLocalUHDTVCamera");
    EXPECT_EQ(screen->effectiveScale(), 1.0);
    ASSERT_TRUE(takePicture());
    auto stored = plat::Image::imageWithContentsOfFile(
        plat::appendingPathComponent(*project->getProjectPath(), "frame-" + announcedFrames[0] + ".jpg"));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->size(), (plat::Size {1920, 1080}));
}

TEST_F(CaptureScreen, AFourKStillThatNeverComesGivesTheShutterBackAndSaysSo)
{
    plat::test::setUpCameras({zt::test::pictureCamera("sky", *zt::test::landscapePicture())});
    settings().setValue(true, zt::Capture4KCamera::kAlertShownKey);
    settings().setCurrentCaptureSourceID("CaptureLocalUHDTVCamera");
    showScreen();
    ASSERT_TRUE(std::dynamic_pointer_cast<zt::Capture4KCamera>(screen->captureSource()));
    // Pressed without time passing: the camera makes no picture before the stop.
    shutter()->sendActionsForControlEvents(plat::ControlEventTouchUpInside);
    EXPECT_FALSE(shutter()->isEnabled());
    // The session stops before the still is taken: no buffer comes.
    screen->pauseCameraCapture();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return screen->isImageShowing(); }));
    EXPECT_TRUE(announcedFrames.empty());
    ASSERT_TRUE(screen->messageDisplay());
    EXPECT_EQ(screen->messageDisplay()->caption(), "The picture could not be taken.");
    endStill();
    EXPECT_TRUE(shutter()->isEnabled());
    screen->resumeCameraCapture();
    ASSERT_TRUE(takePicture());
    EXPECT_EQ(announcedFrames.size(), 1u);
}

// A source that takes the shutter and never answers.
class SilentSource : public zt::SimulatorCamera {
public:
    void captureImage() override { ++requests; }
    int requests = 0;
};

TEST_F(CaptureScreen, AShutterPressWithoutAnAnswerIsGivenUpAfterAWhile)
{
    plat::test::setUpCameras({zt::test::pictureCamera("sky", *zt::test::landscapePicture())});
    showScreen();
    auto silent = std::make_shared<SilentSource>();
    screen->switchCaptureSource(silent);
    ASSERT_TRUE(driver.tap(*shutter()));
    EXPECT_EQ(silent->requests, 1);
    // Thirty seconds, seen by the screen's one-second loop.
    clock.advance(29.99);
    EXPECT_FALSE(shutter()->isEnabled());
    EXPECT_FALSE(screen->messageDisplay());
    clock.advance(1.02);
    EXPECT_TRUE(shutter()->isEnabled());
    ASSERT_TRUE(screen->messageDisplay());
    EXPECT_EQ(screen->messageDisplay()->caption(), "The picture could not be taken.");
}

TEST_F(CaptureScreen, ARemovedCameraIsReportedAndTheScreenStaysUsable)
{
    auto camera = zt::test::pictureCamera("webcam", *zt::test::landscapePicture());
    plat::test::setUpCameras({camera});
    showScreen();
    auto source = localCamera();
    ASSERT_TRUE(source);
    // A picture asked for (without time passing) when the camera goes.
    shutter()->sendActionsForControlEvents(plat::ControlEventTouchUpInside);
    // The session loses its camera as it does when a webcam is pulled out:
    // it stops and says so. (A folder of pictures cannot be unplugged.)
    auto session = source->captureSession();
    ASSERT_TRUE(session);
    session->stopRunning();
    plat::Dictionary report;
    report.set(plat::kCaptureSessionErrorKey, "the device went away");
    plat::NotificationCenter::defaultCenter().post(
        plat::kCaptureSessionRuntimeErrorNotification, session.get(), report);
    EXPECT_FALSE(source->isReadyToCapture());
    driver.wait(0.5);
    EXPECT_TRUE(driver.findView("Error"));
    ASSERT_TRUE(source->error());
    EXPECT_EQ(source->error()->code(), zt::CaptureLocalCamera::kErrorCameraStopped);
    EXPECT_TRUE(driver.findView("The camera \"Back Camera\" stopped.\nThe device went away."));
    EXPECT_TRUE(announcedFrames.empty());
    ASSERT_TRUE(screen->messageDisplay());
    EXPECT_EQ(screen->messageDisplay()->caption(), "The picture could not be taken.");
    ASSERT_TRUE(driver.tap("Dismiss"));
    endStill();
    EXPECT_TRUE(shutter()->isEnabled());

    // The shutter says why it cannot shoot.
    shutter()->sendActionsForControlEvents(plat::ControlEventTouchUpInside);
    driver.wait(0.5);
    EXPECT_TRUE(driver.findView("The camera \"Back Camera\" stopped.\nThe device went away."));
    ASSERT_TRUE(driver.tap("Dismiss"));
    // Chosen again, it takes pictures.
    screen->switchCaptureSource(source);
    driver.wait(0.5);
    EXPECT_FALSE(driver.findView("Error"));
    ASSERT_TRUE(takePicture());
}

TEST_F(CaptureScreen, TheCameraStopsInTheBackgroundAndComesBackWithTheApp)
{
    plat::test::setUpCameras({zt::test::pictureCamera("sky", *zt::test::landscapePicture())});
    showScreen();
    auto camera = localCamera();
    ASSERT_TRUE(camera);
    auto session = camera->captureSession();
    ASSERT_TRUE(session && session->isRunning());
    plat::Application::sharedApplication().enterBackground();
    EXPECT_FALSE(session->isRunning());
    plat::Application::sharedApplication().enterForeground();
    EXPECT_TRUE(session->isRunning());
    ASSERT_TRUE(takePicture());
}

TEST_F(CaptureScreen, AFrameIsShownWholeAndTheLivePictureComesBackAsTheSliderWas)
{
    showScreen();
    auto overlay = outlet<plat::Slider>("sliderOverlayControl");
    overlay->setValue(0.4);
    screen->showLiveView();
    EXPECT_DOUBLE_EQ(overlay->value(), 0.4) << "already live";
    screen->showImageView();
    EXPECT_EQ(overlay->value(), 0.0) << "the frame whole";
    screen->showLiveView();
    EXPECT_DOUBLE_EQ(overlay->value(), 0.4) << "the person's mix again";
    overlay->setValue(1.0);
    screen->showImageView();
    EXPECT_EQ(overlay->value(), 0.0);
    EXPECT_EQ(outlet<plat::View>("viewCameraContainer")->alpha(), 0.0);
    screen->showLiveView();
    EXPECT_EQ(overlay->value(), 1.0);
}

TEST_F(CaptureScreen, DisabledControlsRefuseTheShutterAndOptions)
{
    showScreen();
    const char* controls[] = {"recordBtn", "buttonOptions", "buttonCaptureSource", "switchTimer", "btnTimerConfig"};
    screen->disableControls(true);
    for (const char* name : controls)
        EXPECT_FALSE(outlet<plat::Control>(name)->isEnabled()) << name;
    EXPECT_TRUE(outlet<plat::View>("viewCaptureControls")->isHidden());
    screen->disableControls(false);
    for (const char* name : controls)
        EXPECT_TRUE(outlet<plat::Control>(name)->isEnabled()) << name;
}

}  // namespace

namespace {

// The source chooser on a phone's and a tablet's capture screen.
class SourceChooser : public zt::test::CaptureScreenScene,
                      public ::testing::WithParamInterface<plat::UserInterfaceIdiom> {
protected:
    SourceChooser()
        : CaptureScreenScene(GetParam())
    {
    }
    bool tablet() const { return GetParam() == plat::UserInterfaceIdiom::Pad; }
    // Bubbles on screen, closing ones included.
    int bubblesShown() const
    {
        int found = 0;
        std::function<void(const plat::View&)> search = [&](const plat::View& view) {
            found += dynamic_cast<const zt::BubblePopoverContainerView*>(&view) != nullptr;
            for (const auto& subview : view.subviews())
                search(*subview);
        };
        search(*window);
        return found;
    }
};

TEST_P(SourceChooser, TheRemoteCameraRowClosesTheChooserAndItsSheetLeavesTheScreenAsItWas)
{
    plat::test::setUpCameras({zt::test::pictureCamera("sky", *zt::test::landscapePicture(1280, 720))});
    showScreen(tablet() ? CaptureViewController::kTabletLayout : CaptureViewController::kPhoneLayout);
    clock.advance(1);
    ASSERT_TRUE(driver.tap("Source"));
    driver.wait(1);
    ASSERT_EQ(bubblesShown(), 1);
    ASSERT_TRUE(driver.tap("Remote Camera"));
    driver.wait(1);
    EXPECT_EQ(screen->popoverController(), nullptr);
    EXPECT_EQ(bubblesShown(), 0) << "the chooser closes as the sheet opens";
    auto sheet = std::dynamic_pointer_cast<plat::NavigationController>(screen->presentedViewController());
    ASSERT_NE(sheet, nullptr) << "the remote camera's help page";
    ASSERT_TRUE(driver.tap("Done"));
    driver.wait(1);
    EXPECT_EQ(screen->presentedViewController(), nullptr);
    EXPECT_EQ(bubblesShown(), 0);
    // The live picture comes at the camera's own pace: the controls and
    // whatever lies over them are compared.
    outlet<plat::View>("viewCamera")->setHidden(true);
    auto picture = plat::snapshotWindow(*window, 1);
    ASSERT_NE(picture, nullptr);
    auto comparison = plat::test::compareWithReferencePicture(*picture,
        plat::test::sourcePath(
            std::string("tests/data/capture/capture_after_remote_help_") + (tablet() ? "tablet" : "phone") + ".png"),
        sandbox.path("pictures"));
    EXPECT_TRUE(comparison.matches) << comparison.explanation;
}

INSTANTIATE_TEST_SUITE_P(Idioms, SourceChooser, plat::test::bothIdioms(), plat::test::idiomName);

}  // namespace
