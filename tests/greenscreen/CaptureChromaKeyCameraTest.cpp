#include "greenscreen/CaptureChromaKeyCamera.h"

#include <gtest/gtest.h>

#include <atomic>

#include "GreenScreenTestSupport.h"
#include "capture/APAlbumPickerController.h"
#include "capture/CaptureDeviceControls.h"
#include "capture/CaptureSourceTestSupport.h"
#include "capture/CaptureSources.h"
#include "document/DataManager.h"
#include "document/Frame.h"
#include "document/ImageProducer.h"
#include "glimage/GLImageBrightnessFilter.h"
#include "glimage/GLImageChromaKeyBlendFilter.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImagePicture.h"
#include "glimage/GLImageVideoCamera.h"
#include "glimage/GLImageView.h"
#include "greenscreen/ChromaKeyBackdrop.h"
#include "greenscreen/ChromaKeyConfiguration.h"
#include "greenscreen/ChromaKeyConfigurationViewController.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/library/Asset.h"
#include "platform/library/PhotoLibrary.h"
#include "platform/media/capture/CaptureDevice.h"
#include "platform/media/capture/CaptureDeviceFolder.h"
#include "platform/media/capture/CaptureSession.h"
#include "platform/net/ServiceDiscovery.h"
#include "platform/ui/Button.h"
#include "platform/ui/NavigationController.h"
#include "support/Pixels.h"
#include "support/RunLoopWaiting.h"
#include "support/TapsToFocus.h"
#include "support/VirtualCameras.h"
#include "uikit/BubblePopoverController.h"
#include "uikit/Hudy.h"

namespace {

using plat::CaptureDevicePosition;
using plat::test::PictureRegion;
using plat::test::Rgba;
using zt::CaptureChromaKeyCamera;

constexpr int kRate = 32;  // frame intervals exact in binary
constexpr int kWidth = 1280;
constexpr int kHeight = 720;
// Pictures a wait for the next keyed one may take, dropped ones included.
constexpr int kMaxFramesForOne = 8;

// What the source tells the capture screen.
class RecordingSourceDelegate : public zt::CaptureControllerDelegate {
public:
    void captureControllerDidInitCaptureDeviceWithPositon(zt::CaptureController&, int64_t position) override
    {
        initialisedAt.push_back(position);
    }
    void captureControllerDidSwitchCaptureDevicePosition(zt::CaptureController&, int64_t position) override
    {
        switchedTo.push_back(position);
    }
    void captureControllerDidTakeImage(zt::CaptureController&, std::shared_ptr<const plat::Image> image) override
    {
        taken.push_back(std::move(image));
    }
    std::vector<int64_t> initialisedAt;
    std::vector<int64_t> switchedTo;
    std::vector<std::shared_ptr<const plat::Image>> taken;
};

struct Means {
    double red = 0, green = 0, blue = 0;
};

Means meansIn(const plat::Image& image, PictureRegion region)
{
    const auto& bitmap = *image.bitmap();
    const int width = bitmap.width(), height = bitmap.height();
    Means means;
    double count = 0;
    for (int y = int(region.top * height); y < int(region.bottom * height); y += 4) {
        for (int x = int(region.left * width); x < int(region.right * width); x += 4) {
            auto p = plat::test::pixelAt(bitmap, x, y);
            means.red += p[0];
            means.green += p[1];
            means.blue += p[2];
            ++count;
        }
    }
    means.red /= count;
    means.green /= count;
    means.blue /= count;
    return means;
}

// The mean difference of two pictures of one size over a region, per component.
double meanDifferenceIn(const plat::Image& a, const plat::Image& b, PictureRegion region)
{
    const auto& first = *a.bitmap();
    const auto& second = *b.bitmap();
    const int width = first.width(), height = first.height();
    double total = 0, count = 0;
    for (int y = int(region.top * height); y < int(region.bottom * height); y += 4) {
        for (int x = int(region.left * width); x < int(region.right * width); x += 4) {
            total += plat::test::componentDistance(plat::test::pixelAt(first, x, y), plat::test::pixelAt(second, x, y));
            ++count;
        }
    }
    return total / count;
}

class CaptureChromaKeyCameraTest : public zt::test::GreenScreenScene {
protected:
    CaptureChromaKeyCameraTest()
    {
        settings().resetToDefaultsForTesting();
        plat::test::setUpCameras({plat::test::greenScreenCamera(CaptureDevicePosition::Back, kWidth, kHeight, kRate)});
    }
    ~CaptureChromaKeyCameraTest() override
    {
        source->stopCameraCapture();
        zt::runSynchronouslyOnContextQueue([] {});
        plat::RunLoop::main().drain();
        settings().resetToDefaultsForTesting();
    }
    static zt::DataManager& settings() { return zt::DataManager::sharedDataManager(); }

    // As the capture screen does it.
    void setUpSource()
    {
        source->view()->setFrame(root->view()->bounds());
        root->view()->addSubview(source->view());
        root->view()->addSubview(controls);
        source->setDelegate(delegate);
        source->setMainViewController(root);
        source->setViewForAdditionalControls(controls);
        source->setProject(project);
        source->initCaptureDevice();
        if (source->filter())
            source->filter()->addTarget(counter);
    }
    // Camera pictures on until one more has been keyed (a picture that came
    // while the one before was still being keyed is dropped by the camera).
    void advanceOneFrame()
    {
        const int before = counter->frames.load();
        ASSERT_TRUE(plat::test::advanceClockUntil(
            clock.clock(), 1.0 / kRate, [&] { return counter->frames.load() > before; }, kMaxFramesForOne));
    }
    void advanceFrames(int count)
    {
        for (int i = 0; i < count; ++i)
            advanceOneFrame();
    }
    // The picture a shutter press hands over, after a frame keyed with what is set now.
    std::shared_ptr<const plat::Image> capture()
    {
        advanceFrames(2);
        const size_t before = delegate->taken.size();
        source->captureImage();
        EXPECT_EQ(delegate->taken.size(), before + 1);
        return delegate->taken.empty() ? nullptr : delegate->taken.back();
    }
    // The keyed field shows the backdrop where the figure never stands.
    void expectFieldShows(const plat::Image& captured, const plat::Image& backdrop)
    {
        ASSERT_EQ(captured.bitmap()->width(), kWidth);
        ASSERT_EQ(backdrop.bitmap()->width(), kWidth);
        for (auto region : {plat::test::kGreenScreenFieldLeft, plat::test::kGreenScreenFieldRight})
            EXPECT_LT(meanDifferenceIn(captured, backdrop, region), 10);
    }
    void expectSubjectKept(const plat::Image& captured)
    {
        auto subject = meansIn(captured, plat::test::kGreenScreenSubject);
        EXPECT_NEAR(subject.red, 200, 10);
        EXPECT_NEAR(subject.green, 48, 10);
        EXPECT_NEAR(subject.blue, 48, 10);
    }

    std::shared_ptr<CaptureChromaKeyCamera> source = std::make_shared<CaptureChromaKeyCamera>();
    std::shared_ptr<RecordingSourceDelegate> delegate = std::make_shared<RecordingSourceDelegate>();
    std::shared_ptr<plat::View> controls = std::make_shared<plat::View>(plat::makeRect(10, 10, 200, 50));
    std::shared_ptr<zt::test::FrameCounter> counter = std::make_shared<zt::test::FrameCounter>();
};

TEST_F(CaptureChromaKeyCameraTest, SetsUpTheKeyedLiveViewAndItsButton)
{
    setUpSource();
    EXPECT_FALSE(source->error());
    ASSERT_TRUE(source->videoCamera() && source->filter() && source->viewCamera() && source->sourcePicture());
    EXPECT_EQ(source->captureSourceID(), "CaptureChromaKeyCamera");
    EXPECT_EQ(source->getCaptureSourceName(), "Green Screen");
    EXPECT_TRUE(source->getCaptureSourceMenuIcon());
    EXPECT_EQ(source->captureSourceViewCamera(), source->viewCamera());
    EXPECT_EQ(source->viewCamera()->fillMode(), zt::fillModeAspectFill);
    EXPECT_EQ(delegate->initialisedAt, std::vector<int64_t> {1});
    EXPECT_FALSE(source->isMultipleCaptureDeviceAvaliable());
    EXPECT_EQ(source->captureResolution(), plat::Size(1280, 720));
    EXPECT_EQ(source->chromaColor(), plat::Color::colorWithRed(0, 1, 0, 1));
    EXPECT_FLOAT_EQ(source->filter()->thresholdSensitivity(), 0.4f);
    auto button = source->configurationButton();
    ASSERT_TRUE(button);
    EXPECT_EQ(button->superview(), controls);
    EXPECT_EQ(button->frame(), plat::makeRect(0, 0, 50, 50));
    EXPECT_TRUE(button->backgroundImageForState(plat::ControlStateNormal));  // a phone
    EXPECT_TRUE(source->shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation::LandscapeLeft));
    EXPECT_FALSE(source->shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation::Portrait));
}

TEST_F(CaptureChromaKeyCameraTest, RefusesToCaptureUntilTheFirstKeyedFrame)
{
    setUpSource();
    EXPECT_FALSE(source->isReadyToCapture());
    source->captureImage();
    ASSERT_EQ(delegate->taken.size(), 1u);
    EXPECT_FALSE(delegate->taken[0]);
    advanceOneFrame();
    EXPECT_TRUE(source->isReadyToCapture());
}

TEST_F(CaptureChromaKeyCameraTest, CapturesTheFigureOverTheDefaultBackdrop)
{
    setUpSource();
    auto captured = capture();
    ASSERT_TRUE(captured);
    EXPECT_EQ(captured->imageOrientation(), plat::ImageOrientation::Up);
    expectSubjectKept(*captured);
    expectFieldShows(*captured, *zt::ChromaKeyBackdrop::defaultPicture());
    EXPECT_FALSE(plat::fileExists(plat::appendingPathComponent(*project->getProjectPath(), "backdrop.jpg")));
}

TEST_F(CaptureChromaKeyCameraTest, AThemePictureBecomesTheBackdropAndStaysWithTheProject)
{
    setUpSource();
    advanceOneFrame();
    auto theme = plat::Image::imageNamed("background_23_bg.jpg");
    ASSERT_TRUE(theme);
    source->didSelectChangeBackDrop(*root, theme);
    auto captured = capture();
    ASSERT_TRUE(captured);
    expectSubjectKept(*captured);
    expectFieldShows(*captured, *theme);
    // The next visit to the capture screen shows it again.
    source->stopCameraCapture();
    EXPECT_FALSE(source->filter());
    counter = std::make_shared<zt::test::FrameCounter>();
    setUpSource();
    captured = capture();
    ASSERT_TRUE(captured);
    expectFieldShows(*captured, *theme);
}

TEST_F(CaptureChromaKeyCameraTest, TheLastFrameBecomesTheBackdrop)
{
    constexpr Rgba kOrange {240, 140, 20, 255};
    zt::ImageProducer producer(project);
    auto& list = project->getFrameList();
    zt::Frame frame(zt::FrameTypePicture);
    ASSERT_TRUE(producer.storeImage(*plat::test::makeFlatImage(kWidth, kHeight, kOrange), frame.frameID()));
    list.insertFrame(frame, list.getCaptureIndex());
    ASSERT_TRUE(project->saveAllDataToDisk().ok());
    setUpSource();
    source->didSelectUseFrameAsBackdrop(*root);
    auto captured = capture();
    ASSERT_TRUE(captured);
    expectSubjectKept(*captured);
    auto field = meansIn(*captured, plat::test::kGreenScreenFieldLeft);
    EXPECT_NEAR(field.red, 240, 12);
    EXPECT_NEAR(field.green, 140, 12);
    EXPECT_NEAR(field.blue, 20, 12);
}

TEST_F(CaptureChromaKeyCameraTest, ALastFrameWithoutAPictureShowsTheDefaultBackdropAndSaysSo)
{
    auto& list = project->getFrameList();
    list.insertFrame(zt::Frame(zt::FrameTypePicture, "no-such-file"), list.getCaptureIndex());
    ASSERT_TRUE(project->updateRegularFileWithContents(
        *plat::JPEGRepresentation(*plat::test::makeFlatImage(64, 36, {0, 0, 200, 255}), 1.0), "backdrop.jpg"));
    setUpSource();
    source->didSelectUseFrameAsBackdrop(*root);
    auto note = driver.findView("The last frame has no picture. The default background is shown.");
    EXPECT_TRUE(note);
    auto captured = capture();
    ASSERT_TRUE(captured);
    expectFieldShows(*captured, *zt::ChromaKeyBackdrop::defaultPicture());
    EXPECT_FALSE(plat::fileExists(plat::appendingPathComponent(*project->getProjectPath(), "backdrop.jpg")));
}

TEST_F(CaptureChromaKeyCameraTest, OnlyThePlaceholderLeavesTheBackdropAndClosesThePopover)
{
    setUpSource();
    source->actionShowConfiguration(*source->configurationButton());
    ASSERT_TRUE(source->popoverController());
    auto before = source->sourcePicture();
    source->didSelectUseFrameAsBackdrop(*root);
    EXPECT_FALSE(source->popoverController());
    EXPECT_EQ(source->sourcePicture(), before);
}

TEST_F(CaptureChromaKeyCameraTest, APhotoOfTheLibraryBecomesTheBackdropOffTheMainThreadAndTheCameraRunsAgain)
{
    constexpr Rgba kPurple {120, 40, 160, 255};
    plat::PhotoLibrary library = plat::PhotoLibrary::forCurrentSandbox();
    auto saved = library.saveImage(*plat::test::makeFlatImage(2560, 1440, kPurple));
    ASSERT_TRUE(saved.ok());
    setUpSource();
    advanceOneFrame();
    source->didSelectChangeBackDrop(*root);
    driver.wait(1);
    auto navigation = std::dynamic_pointer_cast<plat::NavigationController>(root->presentedViewController());
    ASSERT_TRUE(navigation);
    auto picker = std::dynamic_pointer_cast<zt::APAlbumPickerController>(navigation->viewControllers().front());
    ASSERT_TRUE(picker);
    EXPECT_FALSE(picker->isMultiSelection());
    EXPECT_FALSE(source->videoCamera()->captureSession()->isRunning());
    picker->didFinishPickMedia()({std::make_shared<plat::Asset>(saved.value())});
    const std::string stored = plat::appendingPathComponent(*project->getProjectPath(), "backdrop.jpg");
    ASSERT_TRUE(plat::test::runMainLoopUntil(
        [&] { return plat::fileExists(stored) && source->videoCamera()->captureSession()->isRunning(); }));
    auto backdrop = plat::Image::imageWithContentsOfFile(stored);
    ASSERT_TRUE(backdrop);
    EXPECT_EQ(backdrop->size(), plat::Size(1920, 1080));  // brought down to 1920 pixels
    auto captured = capture();
    ASSERT_TRUE(captured);
    expectSubjectKept(*captured);
    auto field = meansIn(*captured, plat::test::kGreenScreenFieldRight);
    EXPECT_NEAR(field.red, 120, 12);
    EXPECT_NEAR(field.blue, 160, 12);
}

TEST_F(CaptureChromaKeyCameraTest, CancellingThePhotoPickerRestartsTheCameraWithTheOldBackdrop)
{
    setUpSource();
    source->didSelectChangeBackDrop(*root);
    driver.wait(1);
    auto navigation = std::dynamic_pointer_cast<plat::NavigationController>(root->presentedViewController());
    ASSERT_TRUE(navigation);
    auto picker = std::dynamic_pointer_cast<zt::APAlbumPickerController>(navigation->viewControllers().front());
    ASSERT_TRUE(picker);
    picker->cancel();
    EXPECT_TRUE(source->videoCamera()->captureSession()->isRunning());
    auto captured = capture();
    ASSERT_TRUE(captured);
    expectFieldShows(*captured, *zt::ChromaKeyBackdrop::defaultPicture());
}

TEST_F(CaptureChromaKeyCameraTest, AChosenBlueKeyLeavesTheGreenField)
{
    setUpSource();
    source->actionShowConfiguration(*source->configurationButton());
    source->didSelectChangeChromaKeyColor(*root, plat::Color::colorWithRed(0, 0, 1, 1));
    // The popover closes after the rest of the operation.
    EXPECT_TRUE(source->popoverController());
    plat::RunLoop::main().drain();
    EXPECT_FALSE(source->popoverController());
    auto captured = capture();
    ASSERT_TRUE(captured);
    expectSubjectKept(*captured);
    auto field = meansIn(*captured, plat::test::kGreenScreenFieldLeft);
    EXPECT_GT(field.green, 2.5 * field.red);  // still the green screen
    auto saved = zt::ChromaKeyConfiguration::savedConfiguration(settings());
    ASSERT_TRUE(saved.color && saved.thresholdSensitivity);
    EXPECT_EQ(*saved.color, plat::Color::colorWithRed(0, 0, 1, 1));
    EXPECT_EQ(*saved.thresholdSensitivity, 0.4f);
    // And back to green.
    source->didSelectResetChromaKeyColor(*root);
    captured = capture();
    ASSERT_TRUE(captured);
    expectFieldShows(*captured, *zt::ChromaKeyBackdrop::defaultPicture());
}

TEST_F(CaptureChromaKeyCameraTest, AutomaticDetectionFindsTheGreenAfterFiveSecondsOfTheUnkeyedPicture)
{
    // A blue key to start with, so that the detected green is a change.
    zt::ChromaKeyConfiguration::saveConfiguration(settings(), plat::Color::colorWithRed(0, 0, 1, 1), 0.4f);
    setUpSource();
    advanceOneFrame();
    auto passCounter = std::make_shared<zt::test::FrameCounter>();
    const double requestedAt = clock.uptimeSeconds();
    source->didSelectChangeAutoChromaKeyColor(*root);
    ASSERT_TRUE(source->passFilter());
    source->passFilter()->addTarget(passCounter);
    plat::RunLoop::main().drain();
    ASSERT_TRUE(source->hudy());
    EXPECT_EQ(source->hudy()->caption(), "Point camera to the color you want to remove.");
    // A second request while sampling changes nothing.
    auto sampling = source->passFilter();
    source->didSelectChangeAutoChromaKeyColor(*root);
    EXPECT_EQ(source->passFilter(), sampling);
    // The unkeyed picture reaches the view; the key colour waits for the five seconds.
    for (int i = 0; i < 4; ++i) {
        const int before = passCounter->frames.load();
        ASSERT_TRUE(plat::test::advanceClockUntil(
            clock.clock(), 1.0 / kRate, [&] { return passCounter->frames.load() > before; }, kMaxFramesForOne));
    }
    // Just before the five seconds the picture is still only shown, not measured.
    clock.advance(requestedAt + 4.99 - clock.uptimeSeconds());
    zt::runSynchronouslyOnContextQueue([] {});
    plat::RunLoop::main().drain();
    EXPECT_TRUE(source->isSampling());
    EXPECT_TRUE(source->hudy());
    EXPECT_EQ(source->chromaColor(), plat::Color::colorWithRed(0, 0, 1, 1));
    clock.advance(0.02);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return !source->isSampling(); }));
    EXPECT_FALSE(source->hudy());
    const plat::Color detected = source->chromaColor();
    EXPECT_GT(detected.green(), 1.8 * detected.red());
    EXPECT_GT(detected.green(), 1.2 * detected.blue());
    EXPECT_EQ(detected.alpha(), 1.0);
    auto saved = zt::ChromaKeyConfiguration::savedConfiguration(settings());
    ASSERT_TRUE(saved.color);
    EXPECT_FLOAT_EQ(static_cast<float>(saved.color->green()), static_cast<float>(detected.green()));
    // Keyed again, with the detected colour: the field goes. The average
    // holds some of the figure, so the key lies nearer the figure's red than
    // pure green does and the figure's edge softens, but it stays red.
    auto captured = capture();
    ASSERT_TRUE(captured);
    expectFieldShows(*captured, *zt::ChromaKeyBackdrop::defaultPicture());
    auto subject = meansIn(*captured, plat::test::kGreenScreenSubject);
    EXPECT_GT(subject.red, subject.green + 40);
    EXPECT_GT(subject.red, subject.blue + 40);
}

TEST_F(CaptureChromaKeyCameraTest, ATearDownDuringDetectionCancelsIt)
{
    setUpSource();
    advanceOneFrame();
    source->didSelectChangeAutoChromaKeyColor(*root);
    plat::RunLoop::main().drain();
    source->stopCameraCapture();
    EXPECT_FALSE(source->isSampling());
    clock.advance(6.0);  // past the five seconds the measurement would have waited
    plat::RunLoop::main().drain();
    EXPECT_FALSE(zt::ChromaKeyConfiguration::savedConfiguration(settings()).color);
    // Without a pass-through filter there is nothing to sample.
    source->detectMainColorAndChangeChromaKeyFilter();
    EXPECT_FALSE(zt::ChromaKeyConfiguration::savedConfiguration(settings()).color);
}

TEST_F(CaptureChromaKeyCameraTest, ASensitivityChangeAfterARelaunchSavesTheRestoredColour)
{
    zt::ChromaKeyConfiguration::saveConfiguration(settings(), plat::Color::colorWithRed(0.1, 0.2, 0.9, 1), 0.3f);
    setUpSource();
    EXPECT_FLOAT_EQ(source->filter()->thresholdSensitivity(), 0.3f);
    EXPECT_FLOAT_EQ(static_cast<float>(source->chromaColor().blue()), 0.9f);
    source->actionShowConfiguration(*source->configurationButton());
    auto navigation
        = std::dynamic_pointer_cast<plat::NavigationController>(source->popoverController()->contentViewController());
    ASSERT_TRUE(navigation);
    auto first = std::dynamic_pointer_cast<zt::ChromaKeyConfigurationViewController>(navigation->topViewController());
    ASSERT_TRUE(first);
    EXPECT_FLOAT_EQ(first->currentChromaKeyTreshold(), 0.3f);
    source->didChangedFilterValue(*first, 0.5f);
    auto saved = zt::ChromaKeyConfiguration::savedConfiguration(settings());
    ASSERT_TRUE(saved.color && saved.thresholdSensitivity);
    EXPECT_FLOAT_EQ(static_cast<float>(saved.color->blue()), 0.9f);
    EXPECT_EQ(*saved.thresholdSensitivity, 0.5f);
    EXPECT_TRUE(source->popoverController());  // a sensitivity change leaves it open
}

TEST_F(CaptureChromaKeyCameraTest, FirstUseSavesGreenWithTheFirstSensitivityChange)
{
    setUpSource();
    source->didChangedFilterValue(*root, 0.45f);
    auto saved = zt::ChromaKeyConfiguration::savedConfiguration(settings());
    ASSERT_TRUE(saved.color);
    EXPECT_EQ(*saved.color, plat::Color::colorWithRed(0, 1, 0, 1));
}

TEST_F(CaptureChromaKeyCameraTest, WithoutACameraItReportsNoneAndAStaleErrorGoesOnceOneWorks)
{
    plat::test::setUpCameras({});
    setUpSource();
    ASSERT_TRUE(source->error());
    EXPECT_EQ(source->error()->domain(), "CaptureLocalCamera");
    EXPECT_EQ(source->error()->code(), 63);
    EXPECT_EQ(source->error()->localizedDescription(), "No capture device found.");
    EXPECT_FALSE(source->isReadyToCapture());
    EXPECT_TRUE(delegate->initialisedAt.empty());
    source->stopCameraCapture();
    plat::test::setUpCameras({plat::test::greenScreenCamera(CaptureDevicePosition::Back, kWidth, kHeight, kRate)});
    setUpSource();
    EXPECT_FALSE(source->error());
    advanceOneFrame();
    EXPECT_TRUE(source->isReadyToCapture());
}

TEST_F(CaptureChromaKeyCameraTest, NoCameraAtTheSavedPositionFallsBackToTheOther)
{
    auto unplaced = plat::test::greenScreenCamera(CaptureDevicePosition::Unspecified, kWidth, kHeight, kRate);
    plat::test::setUpCameras(
        {plat::test::greenScreenCamera(CaptureDevicePosition::Back, kWidth, kHeight, kRate), unplaced});
    settings().setAvCaptureDevicePosition(2);  // a front camera this device lacks
    setUpSource();
    EXPECT_FALSE(source->error());
    EXPECT_TRUE(source->isMultipleCaptureDeviceAvaliable());
    ASSERT_TRUE(source->videoCamera());
    EXPECT_EQ(source->videoCamera()->cameraPosition(), CaptureDevicePosition::Back);
    advanceOneFrame();
    EXPECT_TRUE(source->isReadyToCapture());
}

TEST_F(CaptureChromaKeyCameraTest, OneCameraCannotBeSwitched)
{
    setUpSource();
    source->switchCaptureDevice();
    EXPECT_TRUE(delegate->switchedTo.empty());
    EXPECT_EQ(source->videoCamera()->cameraPosition(), CaptureDevicePosition::Back);
}

TEST_F(CaptureChromaKeyCameraTest, ASwitchIsKeptForTheNextSetUp)
{
    plat::test::setUpCameras({plat::test::greenScreenCamera(CaptureDevicePosition::Back, kWidth, kHeight, kRate),
        plat::test::greenScreenCamera(CaptureDevicePosition::Front, kWidth, kHeight, kRate)});
    setUpSource();
    source->switchCaptureDevice();
    EXPECT_EQ(delegate->switchedTo, std::vector<int64_t> {2});
    EXPECT_EQ(settings().avCaptureDevicePosition(), 2);
    source->stopCameraCapture();
    setUpSource();
    EXPECT_EQ(source->videoCamera()->cameraPosition(), CaptureDevicePosition::Front);
}

TEST_F(CaptureChromaKeyCameraTest, TheConfigurationButtonOpensThePopoverAtTheFiltersThreshold)
{
    setUpSource();
    source->didChangedFilterValue(*root, 0.7f);
    ASSERT_TRUE(driver.tap("Green Screen Settings"));
    driver.wait(1);
    ASSERT_TRUE(source->popoverController());
    EXPECT_TRUE(source->popoverController()->isPopoverVisible());
    ASSERT_TRUE(driver.findView("Background"));
    auto navigation
        = std::dynamic_pointer_cast<plat::NavigationController>(source->popoverController()->contentViewController());
    ASSERT_TRUE(navigation);
    auto first = std::dynamic_pointer_cast<zt::ChromaKeyConfigurationViewController>(navigation->topViewController());
    ASSERT_TRUE(first);
    EXPECT_FLOAT_EQ(first->currentChromaKeyTreshold(), 0.7f);
    source->stopCameraCapture();
    EXPECT_FALSE(source->popoverController());
}

TEST_F(CaptureChromaKeyCameraTest, ATapFocusesWhereTheLiveViewShowsThePicture)
{
    for (auto position : {CaptureDevicePosition::Back, CaptureDevicePosition::Front}) {
        SCOPED_TRACE(position == CaptureDevicePosition::Back ? "back" : "front");
        plat::test::setUpCameras({plat::test::greenScreenCamera(position, 640, 480, kRate)});
        setUpSource();
        ASSERT_EQ(source->viewCamera()->bounds().size, plat::Size(568, 320));
        const auto& device = source->videoCamera()->inputCamera();
        for (const auto& row : plat::test::kTapsToFocus) {
            source->videoCamera()->setOutputImageOrientation(row.landscapeLeft
                    ? zt::GLImageInterfaceOrientation::LandscapeLeft
                    : zt::GLImageInterfaceOrientation::LandscapeRight);
            ASSERT_TRUE(source->focusAtPoint(row.tap));
            EXPECT_NEAR(device->focusPointOfInterest().x, row.pointOfInterest.x, plat::test::kPointOfInterestTolerance)
                << row.tap.x << ", " << row.tap.y << (row.landscapeLeft ? " turned" : "");
            EXPECT_NEAR(device->focusPointOfInterest().y, row.pointOfInterest.y, plat::test::kPointOfInterestTolerance)
                << row.tap.x << ", " << row.tap.y << (row.landscapeLeft ? " turned" : "");
        }
        source->stopCameraCapture();
    }
}

TEST(PointOfInterestUnderTap, AnEmptyViewOrPictureGivesTheMiddle)
{
    for (auto [view, picture] : {std::pair {plat::Size {0, 320}, plat::Size {1280, 720}},
             std::pair {plat::Size {568, 0}, plat::Size {1280, 720}}, std::pair {plat::Size {568, 320}, plat::Size {}},
             std::pair {plat::Size {568, 320}, plat::Size {1280, 0}}}) {
        auto point = zt::pointOfInterestUnderTap({10, 10}, zt::ShownPicture {view, picture});
        EXPECT_EQ(point.x, 0.5);
        EXPECT_EQ(point.y, 0.5);
    }
}

TEST(ChromaKeyRegistry, TheGreenScreenIsSecondAmongTheSources)
{
    plat::test::TemporarySandbox sandbox;
    plat::ServiceDiscovery::setBackend(plat::ServiceDiscoveryBackend::Avahi);
    zt::test::provideAppCaptureSources();
    auto registry = zt::CaptureSources::sharedInstance();
    registry->checkLocalCaptureSources();
    const auto& sources = *registry->getAvailableCaptureSources();
    ASSERT_GE(sources.size(), 3u);
    EXPECT_EQ(sources[0]->captureSourceID(), "CaptureLocalCamera");
    EXPECT_TRUE(std::dynamic_pointer_cast<CaptureChromaKeyCamera>(sources[1]));
    EXPECT_EQ(sources[1]->captureSourceID(), "CaptureChromaKeyCamera");
    plat::ServiceDiscovery::setBackend(plat::ServiceDiscoveryBackend::Automatic);
}

}  // namespace
