// A camera that cannot be used is named on the capture screen with the
// reason, a camera that works is offered instead, and a shutter press that
// takes no picture says why; on a phone and on a tablet.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "CaptureScreenTestSupport.h"
#include "RemoteCameraPeer.h"
#include "capture/CaptureRemoteCameraClient.h"
#include "platform/foundation/Files.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/ImageView.h"
#include "support/DamagedFiles.h"
#include "support/Idioms.h"
#include "support/ShownAlerts.h"
#include "support/UnreadableFile.h"
#include "uikit/Hudy.h"

namespace {

using plat::CaptureDevicePosition;

class CameraTrouble : public zt::test::CaptureScreenScene,
                      public ::testing::WithParamInterface<plat::UserInterfaceIdiom> {
protected:
    CameraTrouble()
        : CaptureScreenScene(GetParam())
    {
    }
    void showScreenOfIdiom()
    {
        showScreen(GetParam() == plat::UserInterfaceIdiom::Pad ? zt::CaptureViewController::kTabletLayout
                                                               : zt::CaptureViewController::kPhoneLayout);
    }
    // The message of the alert on screen, closed with its Dismiss; "<no alert>" without one.
    std::string dismissedAlert()
    {
        driver.wait(0.5);
        auto shown = plat::test::shownAlertIn(window);
        if (!shown)
            return "<no alert>";
        EXPECT_TRUE(driver.tap("Dismiss"));
        driver.wait(0.5);
        return shown->message();
    }
    plat::CaptureDeviceDescription frontTestPattern() const
    {
        return plat::test::testPatternCamera(CaptureDevicePosition::Front, 1280, 720, zt::test::kCameraFrameRate);
    }
    // Remote cameras announced on the network from now on join the registry.
    void listenForRemoteCameras()
    {
        plat::ServiceDiscovery::setBackend(plat::ServiceDiscoveryBackend::InProcess);
        plat::NetServiceRegistry::shared().removeAllForTesting();
        zt::CaptureSources::sharedInstance()->checkLocalCaptureSources();
    }
    void chooseSource(const std::string& name)
    {
        ASSERT_TRUE(driver.tap("Source"));
        driver.wait(1);
        ASSERT_TRUE(driver.tap(name));
    }
    void pressShutter()
    {
        ASSERT_TRUE(driver.tap(*shutter()));
        ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return screen->isImageShowing(); }));
        driver.wait(0.1);
    }
    std::string hudCaption() const { return screen->messageDisplay() ? screen->messageDisplay()->caption() : ""; }
    // A camera over the folder of that name below the cameras folder, which holds nothing yet.
    plat::CaptureDeviceDescription folderCamera(const std::string& name, CaptureDevicePosition position) const
    {
        (void)plat::removeItemIfExists(cameraFile(name));
        plat::CaptureDeviceDescription camera;
        camera.kind = plat::CaptureDeviceKind::Pictures;
        camera.folder = name;
        camera.position = position;
        camera.width = 1280;
        camera.height = 720;
        camera.frameRate = zt::test::kCameraFrameRate;
        return camera;
    }
    static std::string cameraFile(const std::string& path)
    {
        return plat::appendingPathComponent(plat::CaptureDeviceFolder::camerasFolder(), path);
    }
    enum class Encoding { ByName, Png, Jpeg };
    // A flat picture in a camera's folder, as a JPEG or PNG file (by its name unless told).
    static void writePicture(const std::string& path, plat::test::Rgba colour, Encoding encoding = Encoding::ByName)
    {
        ASSERT_TRUE(
            plat::createDirectory(cameraFile(plat::deletingLastPathComponent(path)), plat::IntermediateDirectories::Yes)
                .ok());
        auto picture = plat::test::makeFlatImage(64, 36, colour);
        if (encoding == Encoding::ByName)
            encoding = path.ends_with(".png") ? Encoding::Png : Encoding::Jpeg;
        auto encoded
            = encoding == Encoding::Png ? plat::PNGRepresentation(*picture) : plat::JPEGRepresentation(*picture, 0.9);
        ASSERT_TRUE(plat::writeFileAtomically(cameraFile(path), *encoded).ok());
    }
    // (Re)starts the capture screen with the source the settings name, from the back camera.
    void startFromTheBack()
    {
        settings().setAvCaptureDevicePosition(zt::kCapturePositionBack);
        if (!screen)
            showScreenOfIdiom();
        else
            screen->switchCaptureSource(screen->captureSource());
    }
    static size_t lineCount(const std::string& text)
    {
        return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    }
};

TEST_P(CameraTrouble, ABackCameraThatCannotBeOpenedGivesWayToTheFrontOneAndIsNamed)
{
    plat::CaptureDeviceDescription broken;
    broken.kind = plat::CaptureDeviceKind::Pictures;
    broken.folder = "missing";
    broken.position = CaptureDevicePosition::Back;
    plat::test::setUpCameras({broken, frontTestPattern()});
    showScreenOfIdiom();
    EXPECT_EQ(dismissedAlert(),
        "The camera \"Back Camera\" cannot be opened.\nNo pictures in the folder “missing”.\nThe camera "
        "\"Front Camera\" is used instead.");
    EXPECT_FALSE(outlet<plat::View>("capturedeviseBtn")->isHidden()) << "Flip";
    EXPECT_FALSE(outlet<plat::View>("buttonFocus")->isHidden()) << "AF";
    ASSERT_TRUE(takePicture());
    endStill();
    // Chosen again, the camera that works comes at once.
    chooseSource("Camera");
    EXPECT_EQ(dismissedAlert(), "<no alert>");
    ASSERT_TRUE(takePicture());
    EXPECT_EQ(announcedFrames.size(), 2u);
}

// A camera whose pictures cannot be shown fails as one that cannot be
// opened: named, with why, and the other camera takes the pictures.
TEST_P(CameraTrouble, ABackCameraWhosePicturesCannotBeShownGivesWayToTheFrontOne)
{
    enum class Fault { Damaged, Empty, Unreadable, UnreadableFolder };
    struct Row {
        Fault fault;
        const char* file;
        const char* reason;
    };
    const Row rows[] = {
        {Fault::Damaged, "p0.jpg", "No picture in the folder “pics” can be shown: “p0.jpg” is damaged."},
        {Fault::Empty, "p0.png", "No picture in the folder “pics” can be shown: “p0.png” is empty."},
        {Fault::Unreadable, "p0.png",
            "No picture in the folder “pics” can be shown: “p0.png” cannot be opened (permission denied)."},
        {Fault::UnreadableFolder, "p0.png", "The folder “pics” cannot be opened (permission denied)."},
    };
    ::testing::internal::CaptureStderr();
    for (const auto& [fault, file, reason] : rows) {
        SCOPED_TRACE(reason);
        auto back = folderCamera("pics", CaptureDevicePosition::Back);
        writePicture(std::string("pics/") + file, {200, 30, 30, 255});
        const std::string picture = cameraFile(std::string("pics/") + file);
        std::unique_ptr<plat::test::UnreadableFile> unreadable;
        if (fault == Fault::Damaged)
            plat::test::writeRandomBytes(picture);
        else if (fault == Fault::Empty)
            ASSERT_TRUE(plat::writeFileAtomically(picture, plat::Data {}).ok());
        else
            unreadable = std::make_unique<plat::test::UnreadableFile>(
                fault == Fault::Unreadable ? picture : plat::deletingLastPathComponent(picture));
        plat::test::setUpCameras({back, frontTestPattern()});
        startFromTheBack();
        EXPECT_EQ(dismissedAlert(),
            "The camera \"Back Camera\" cannot be opened.\n" + std::string(reason)
                + "\nThe camera \"Front Camera\" is used instead.");
        EXPECT_EQ(settings().avCaptureDevicePosition(), zt::kCapturePositionFront);
        EXPECT_FALSE(outlet<plat::View>("capturedeviseBtn")->isHidden()) << "Flip";
        ASSERT_TRUE(takePicture());
        endStill();
    }
    EXPECT_LT(lineCount(::testing::internal::GetCapturedStderr()), 40u);
}

// A damaged picture among good ones is passed over, and said once in the log
// however often the camera comes round to it.
TEST_P(CameraTrouble, ADamagedPictureAmongGoodOnesIsSkippedAndLoggedOnce)
{
    auto back = folderCamera("pics", CaptureDevicePosition::Back);
    writePicture("pics/p0.jpg", {200, 30, 30, 255});
    plat::test::writeRandomBytes(cameraFile("pics/p1.jpg"));
    plat::test::setUpCameras({back});
    showScreenOfIdiom();
    EXPECT_EQ(dismissedAlert(), "<no alert>");
    ::testing::internal::CaptureStderr();
    runCameraUntil([] { return false; }, 3 * zt::test::kCameraFrameRate);
    ASSERT_TRUE(takePicture());
    EXPECT_LT(lineCount(::testing::internal::GetCapturedStderr()), 8u);
}

TEST_P(CameraTrouble, APictureIsReadByWhatItHoldsWhateverItsName)
{
    const std::pair<const char*, Encoding> pictures[]
        = {{"pics/p0.jpg", Encoding::Png}, {"pics/p0.png", Encoding::Jpeg}};
    for (const auto& [file, encoding] : pictures) {
        SCOPED_TRACE(file);
        auto back = folderCamera("pics", CaptureDevicePosition::Back);
        writePicture(file, {200, 30, 30, 255}, encoding);
        plat::test::setUpCameras({back});
        startFromTheBack();
        EXPECT_EQ(dismissedAlert(), "<no alert>");
        ASSERT_TRUE(takePicture());
        endStill();
    }
}

// Told as a set-up names a camera it cannot open; the shutter says it again
// and stores nothing, and Flip brings up the other camera.
TEST_P(CameraTrouble, ACameraThatStopsWhileRunningIsToldAndFlipStartsTheOtherOne)
{
    const std::pair<const char*, plat::CaptureDeviceDescription> sources[] = {
        {"Camera", frontTestPattern()},
        {"Green Screen",
            plat::test::greenScreenCamera(CaptureDevicePosition::Front, 1280, 720, zt::test::kCameraFrameRate)},
    };
    for (const auto& [source, front] : sources) {
        SCOPED_TRACE(source);
        auto back = folderCamera("pics", CaptureDevicePosition::Back);
        writePicture("pics/p0.png", {200, 30, 30, 255});
        plat::test::setUpCameras({back, front});
        startFromTheBack();
        chooseSource(source);
        ASSERT_TRUE(runCameraUntil([&] { return screen->captureSource()->isReadyToCapture(); }));
        plat::test::writeRandomBytes(cameraFile("pics/p0.png"));
        runCameraUntil([&] { return plat::test::shownAlertIn(window) != nullptr; });
        const std::string stopped
            = "The camera \"Back Camera\" stopped.\nNo picture in the folder “pics” can be shown: “p0.png” is damaged.";
        EXPECT_EQ(dismissedAlert(), stopped);
        const size_t stored = announcedFrames.size();
        ASSERT_TRUE(driver.tap(*shutter()));
        EXPECT_EQ(dismissedAlert(), stopped);
        EXPECT_EQ(announcedFrames.size(), stored);
        ASSERT_TRUE(driver.tap("Options"));  // the switch is in the options panel
        driver.wait(0.5);
        ASSERT_TRUE(driver.tap(*outlet<plat::View>("capturedeviseBtn")));
        ASSERT_TRUE(driver.tap("Options"));
        ASSERT_TRUE(runCameraUntil([&] { return screen->captureSource()->isReadyToCapture(); }));
        ASSERT_TRUE(takePicture());
        endStill();
    }
}

TEST_P(CameraTrouble, WhenNoCameraWorksEachIsNamed)
{
    auto back = folderCamera("pics", CaptureDevicePosition::Back);
    writePicture("pics/p0.jpg", {200, 30, 30, 255});
    plat::test::writeRandomBytes(cameraFile("pics/p0.jpg"));
    plat::test::setUpCameras({back, folderCamera("gone", CaptureDevicePosition::Front)});
    startFromTheBack();
    EXPECT_EQ(dismissedAlert(),
        "The camera \"Back Camera\" cannot be opened.\nNo picture in the folder “pics” can be shown: “p0.jpg” is "
        "damaged.\nThe camera \"Front Camera\" cannot be opened.\nNo pictures in the folder “gone”.\nNo camera works.");
    EXPECT_FALSE(screen->captureSource()->isReadyToCapture());
}

// The green screen, too, goes on with the front camera when the back one broke since the last start.
TEST_P(CameraTrouble, TheGreenScreenGivesWayToTheFrontCameraWhenTheBackOneCannotBeOpened)
{
    plat::test::setUpCameras({folderCamera("gone", CaptureDevicePosition::Back),
        plat::test::greenScreenCamera(CaptureDevicePosition::Front, 1280, 720, zt::test::kCameraFrameRate)});
    settings().setCurrentCaptureSourceID(zt::CaptureChromaKeyCamera::kCaptureSourceID);
    startFromTheBack();
    EXPECT_EQ(dismissedAlert(),
        "The camera \"Back Camera\" cannot be opened.\nNo pictures in the folder “gone”.\nThe camera \"Front "
        "Camera\" is used instead.");
    EXPECT_FALSE(outlet<plat::View>("capturedeviseBtn")->isHidden()) << "Flip";
    ASSERT_TRUE(runCameraUntil([&] { return screen->captureSource()->isReadyToCapture(); }));
    ASSERT_TRUE(takePicture());
    EXPECT_EQ(settings().avCaptureDevicePosition(), zt::kCapturePositionFront);
}

TEST_P(CameraTrouble, AListedVideo4Linux2CameraThatIsNotThereIsNamedWithTheReason)
{
    const std::pair<const char*, const char*> devices[] = {
        {"/dev/video9", "/dev/video9 is not a video capture device: No such file or directory."},
        {"/dev/null", "/dev/null is not a video capture device."},
    };
    if (plat::fileExists("/dev/video9"))
        GTEST_SKIP() << "this machine has a /dev/video9";
    for (const auto& [path, reason] : devices) {
        SCOPED_TRACE(path);
        plat::CaptureDeviceDescription listed;
        listed.kind = plat::CaptureDeviceKind::Video4Linux2;
        listed.devicePath = path;
        plat::test::setUpCameras({listed});
        if (!screen)
            showScreenOfIdiom();
        else
            screen->switchCaptureSource(screen->captureSource());
        EXPECT_EQ(dismissedAlert(), std::string("The camera \"Back Camera\" cannot be opened.\n") + reason);
    }
}

TEST_P(CameraTrouble, ARemoteCameraWithNothingListeningSaysSoWhenChosenAndAtTheShutter)
{
    plat::test::setUpCameras({frontTestPattern()});
    showScreenOfIdiom();
    listenForRemoteCameras();
    zt::test::RemoteCameraPeer peer;
    peer.announce("Kitchen");
    peer.vanish();
    clock.advance(0);
    chooseSource("Kitchen");
    const std::string told = dismissedAlert();
    EXPECT_EQ(told.substr(0, told.find('\n')), "The remote camera does not answer.");
    ASSERT_TRUE(driver.tap(*shutter()));
    EXPECT_EQ(dismissedAlert(), told);
    EXPECT_TRUE(announcedFrames.empty());
}

TEST_P(CameraTrouble, ARemoteCameraThatDropsSaysWhyAtEachShutterPressBeforeItIsGivenUp)
{
    plat::test::setUpCameras({frontTestPattern()});
    showScreenOfIdiom();
    zt::test::RemoteCameraPeer peer;
    auto remote = std::make_shared<zt::CaptureRemoteCameraClient>(plat::URL::URLWithString(peer.baseURL()), "Peer");
    screen->switchCaptureSource(remote);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return remote->imageView()->image() != nullptr; }));
    peer.vanish();
    for (int press = 0; press < 2; ++press) {
        pressShutter();
        EXPECT_EQ(hudCaption(), "The remote camera does not answer.") << "press " << press;
        endStill();
    }
    EXPECT_TRUE(announcedFrames.empty());
}

INSTANTIATE_TEST_SUITE_P(Idioms, CameraTrouble, plat::test::bothIdioms(), plat::test::idiomName);

}  // namespace
