#include <gtest/gtest.h>

#include "CaptureSourceTestSupport.h"
#include "RemoteCameraPeer.h"
#include "capture/CaptureRemoteCameraClient.h"
#include "capture/CaptureSources.h"
#include "capture/RemoteCameraRequest.h"
#include "capture/RemoteCameraStatus.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/net/URLError.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/testing/UIDriver.h"
#include "render/MovieRenderer.h"
#include "support/Pixels.h"

namespace {

using zt::test::RemoteCameraPeer;
using Behaviour = RemoteCameraPeer::Behaviour;

// A failed preview is tried again a second later; eleven in a row end readiness.
constexpr double kRetrySeconds = 1.0;
constexpr int kFailuresThatEndReadiness = 11;

class RemoteCamera : public zt::test::CaptureFixture {
protected:
    std::shared_ptr<zt::CaptureRemoteCameraClient> clientFor(const std::string& name = "Kitchen")
    {
        return std::make_shared<zt::CaptureRemoteCameraClient>(plat::URL::URLWithString(peer.baseURL()), name);
    }
    // Set up and wait for the first preview.
    std::shared_ptr<zt::CaptureRemoteCameraClient> connectedClient()
    {
        auto client = clientFor();
        activate(client);
        EXPECT_TRUE(client->isReadyToCapture());
        EXPECT_TRUE(plat::test::runMainLoopUntil([&] { return client->imageView()->image() != nullptr; }));
        return client;
    }
    int64_t framesInProject() { return project->getFrameList().count() - 1; }

    RemoteCameraPeer peer;
};

TEST_F(RemoteCamera, ThePeerJoinsTheRegistryOncePerHostAndLeavesByItsName)
{
    auto sources = std::make_shared<zt::CaptureSources>();
    sources->checkLocalCaptureSources();
    int updates = 0;
    auto token = plat::NotificationCenter::defaultCenter().addObserver(
        zt::kCaptureSourceUpdateSourcesNotification, nullptr, [&](const plat::Notification&) { ++updates; });
    peer.announce("Kitchen");
    clock.advance(0);
    const auto& list = *sources->getAvailableCaptureSources();
    ASSERT_EQ(list.size(), 4u);
    auto remote = std::dynamic_pointer_cast<zt::CaptureRemoteCameraClient>(list[3]);
    ASSERT_TRUE(remote);
    EXPECT_EQ(remote->captureSourceID(), "127.0.0.1");
    EXPECT_EQ(remote->getCaptureSourceName(), "Kitchen");
    EXPECT_EQ(remote->remoteCameraURL()->absoluteString(), peer.baseURL());
    EXPECT_EQ(updates, 1);

    RemoteCameraPeer sameHost;
    sameHost.announce("Garden");
    clock.advance(0);
    EXPECT_EQ(list.size(), 4u);
    EXPECT_EQ(updates, 1);

    peer.withdraw();
    clock.advance(0);
    EXPECT_EQ(list.size(), 3u);
    EXPECT_EQ(updates, 2);
}

TEST_F(RemoteCamera, RemovingAPeerNamedLikeABuiltInSourceRemovesOnlyThePeer)
{
    auto sources = std::make_shared<zt::CaptureSources>();
    sources->checkLocalCaptureSources();
    peer.announce("Camera", "localhost");  // the local camera's own name
    clock.advance(0);
    ASSERT_EQ(sources->getAvailableCaptureSources()->size(), 4u);
    peer.withdraw();
    clock.advance(0);
    const auto& list = *sources->getAvailableCaptureSources();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0]->captureSourceID(), "CaptureLocalCamera");
    sources->didRemoveRemoteDevice(*sources->remoteCameraBrowser(), "Camera");
    EXPECT_EQ(list.size(), 3u);
}

TEST_F(RemoteCamera, AServiceThatNeverResolvesNeverBecomesASource)
{
    auto sources = std::make_shared<zt::CaptureSources>();
    sources->checkLocalCaptureSources();
    plat::NetServiceRegistry::shared().announce(
        {"Ghost", zt::CaptureRemoteCameraBrowser::kServiceType, "local.", "127.0.0.1", 9, /*resolvable=*/false});
    clock.advance(30.0);  // as long as a resolution may take
    EXPECT_EQ(sources->getAvailableCaptureSources()->size(), 3u);
    EXPECT_EQ(sources->remoteCameraBrowser()->services().size(), 1u);
}

TEST_F(RemoteCamera, SetUpReadsTheStatusAndPreviewsArrive)
{
    auto client = connectedClient();
    EXPECT_EQ(sourceDelegate->initPositions, (std::vector<int64_t> {1}));
    EXPECT_TRUE(client->isFocusModeSuported());
    EXPECT_TRUE(client->isMultipleCaptureDeviceAvaliable());
    EXPECT_EQ(client->focusMode(), 2);
    EXPECT_FALSE(client->getIsZoomSupported());
    EXPECT_FALSE(client->hasShutterSound());
    EXPECT_EQ(client->captureSourceViewCamera(), client->imageView());
    EXPECT_EQ(client->imageView()->image()->size(), (plat::Size {320, 180}));
    EXPECT_EQ(peer.requests().front(), "status");
    // Previews follow one another as fast as they are shown.
    const size_t before = peer.countOf("preview");
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return peer.countOf("preview") >= before + 3; }));
}

TEST_F(RemoteCamera, APictureIsCapturedIntoTheProject)
{
    auto storing = std::make_shared<zt::test::FrameStoringDelegate>(project);
    sourceDelegate = storing;
    auto client = connectedClient();
    std::vector<plat::Dictionary> added;
    auto token = plat::NotificationCenter::defaultCenter().addObserver("AddFrameNotification", nullptr,
        [&](const plat::Notification& note) { added.push_back(*note.userInfo.getDictionary("FRAME")); });
    plat::test::UIDriver driver;
    client->captureImage();
    EXPECT_TRUE(driver.findView("Capturing image..."));
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return storing->pictureCount() == 1; }));
    clock.advance(1);
    EXPECT_FALSE(driver.findView("Capturing image..."));
    EXPECT_FALSE(storing->deliveredOnMainThread(0));

    const plat::Size size = zt::MovieRenderer::getMaximumResolutionAvailable();
    const std::string expected = "capture?Width=" + std::to_string(static_cast<int>(size.width))
        + ".000000&Height=" + std::to_string(static_cast<int>(size.height)) + ".000000";
    EXPECT_EQ(peer.countOf("capture"), 1u);
    EXPECT_NE(std::find(peer.requests().begin(), peer.requests().end(), expected), peer.requests().end());

    ASSERT_EQ(added.size(), 1u);
    const std::string frameID = added[0].getString("FRAME_ID").value_or("");
    EXPECT_EQ(framesInProject(), 1);
    EXPECT_EQ(project->getFrameList().getFrameIDAtIndex(0), frameID);
    EXPECT_EQ(project->getFrameList().getCaptureIndex(), 1);
    EXPECT_EQ(project->getMetaData()->getString("META_RECORD_THUMB_FRAME_ID"), frameID);
    EXPECT_EQ(project->getMetaData()->getInt64("CurrentFrameIndex"), 1);
    EXPECT_EQ(project->getMetaData()->getBool("RecordNeedsRendering"), true);
    const std::string folder = *project->getProjectPath();
    for (std::string prefix : {"frame-", "preview-", "thumb-"})
        EXPECT_TRUE(plat::fileExists(plat::appendingPathComponent(folder, prefix + frameID + ".jpg"))) << prefix;
    EXPECT_TRUE(plat::fileExists(plat::appendingPathComponent(folder, "frames.meta")));
    auto stored
        = plat::Image::imageWithContentsOfFile(plat::appendingPathComponent(folder, "frame-" + frameID + ".jpg"));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->size(), size);
    EXPECT_GT(plat::test::pixelAt(*stored, 10, 10)[0], 150);  // the peer's red
}

TEST_F(RemoteCamera, TheCameraIsSwitchedAndModesAreSet)
{
    auto client = connectedClient();
    client->switchCaptureDevice();
    EXPECT_EQ(sourceDelegate->switchPositions, (std::vector<int64_t> {2}));
    EXPECT_EQ(peer.position(), 2);
    EXPECT_EQ(client->position(), 2);
    client->setFocusMode(zt::kCaptureModeLocked);
    client->setExposureMode(zt::kCaptureModeOnce);
    client->setWhiteBalanceMode(zt::kCaptureModeLocked);
    EXPECT_EQ(peer.focusMode(), 0);
    EXPECT_EQ(peer.exposureMode(), 1);
    EXPECT_EQ(peer.whiteBalanceMode(), 0);
    EXPECT_EQ(client->focusMode(), 0);
    EXPECT_EQ(client->exposureMode(), 1);
    auto requests = peer.requests();
    EXPECT_NE(std::find(requests.begin(), requests.end(), "focusmode?AVCaptureFocusMode=0"), requests.end());
    EXPECT_NE(std::find(requests.begin(), requests.end(), "exposuremode?AVCaptureExposureMode=1"), requests.end());
    EXPECT_NE(
        std::find(requests.begin(), requests.end(), "whitebalancemode?AVCaptureWhiteBalanceMode=0"), requests.end());

    ASSERT_TRUE(client->focusAtPoint({142, 80}));  // a quarter across a 568 x 320 view
    requests = peer.requests();
    EXPECT_NE(std::find(requests.begin(), requests.end(), "focusatpoint?X=0.250000&Y=0.250000"), requests.end());
}

TEST_F(RemoteCamera, WithoutContinuousFocusThereIsNoFocusControlAndNoFocusRequest)
{
    peer.setSupportsFocus(/*locked=*/true, /*continuous=*/false);
    auto client = connectedClient();
    EXPECT_FALSE(client->isFocusModeSuported());
    EXPECT_TRUE(client->isExposureModeSuported());
    EXPECT_FALSE(client->focusAtPoint({10, 10}));
    EXPECT_EQ(peer.countOf("focusatpoint"), 0u);
}

TEST_F(RemoteCamera, ABaseURLWithAQueryGetsTheRequestsQueryAfterAnAmpersand)
{
    auto base = plat::URL::URLWithString(peer.baseURL() + "/camera?token=7");
    ASSERT_TRUE(base);
    EXPECT_EQ(zt::RemoteCameraRequest::requestURL(*base, "focusmode", "AVCaptureFocusMode=2")->absoluteString(),
        peer.baseURL() + "/camera/focusmode?token=7&AVCaptureFocusMode=2");
    auto plain = *plat::URL::URLWithString(peer.baseURL());
    EXPECT_EQ(zt::RemoteCameraRequest::requestURL(plain, "capture", "Width=1.000000")->absoluteString(),
        peer.baseURL() + "/capture?Width=1.000000");
}

TEST_F(RemoteCamera, AVanishedPeerEndsReadinessAfterElevenFailedPreviewsAndStoresNothing)
{
    auto storing = std::make_shared<zt::test::FrameStoringDelegate>(project);
    sourceDelegate = storing;
    auto client = connectedClient();
    peer.vanish();
    for (int failures = 1; failures <= kFailuresThatEndReadiness; ++failures) {
        if (failures > 1)
            clock.advance(kRetrySeconds);
        ASSERT_TRUE(plat::test::runMainLoopUntil([&] {
            return client->heartbeatCounter() == failures || !client->isReadyToCapture();
        })) << failures;
        EXPECT_EQ(client->isReadyToCapture(), failures < kFailuresThatEndReadiness);
    }
    EXPECT_FALSE(client->isReadyToCapture());
    EXPECT_EQ(client->heartbeatCounter(), 0);
    EXPECT_EQ(storing->stopErrors, (std::vector<int64_t> {zt::CaptureRemoteCameraClient::kErrorNoAnswer}));
    // Still silent after the next eleven: it was told once.
    for (int failures = 1; failures <= kFailuresThatEndReadiness; ++failures) {
        clock.advance(kRetrySeconds);
        ASSERT_TRUE(plat::test::runMainLoopUntil([&] {
            return client->heartbeatCounter() == (failures < kFailuresThatEndReadiness ? failures : 0);
        })) << failures;
    }
    EXPECT_EQ(storing->stopErrors.size(), 1u);
    // The shutter of a capture screen would now do nothing; asked anyway, the
    // source delivers nil and nothing is stored.
    client->captureImage();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return storing->pictureCount() == 1; }));
    clock.advance(1);  // the display fades out
    EXPECT_EQ(storing->picture(0), nullptr);
    EXPECT_EQ(framesInProject(), 0);
    EXPECT_FALSE(project->getProjectPath());
}

TEST_F(RemoteCamera, APeerThatComesBackIsConnectedAgainByItsFirstPreview)
{
    auto client = connectedClient();
    peer.setBehaviourFor("preview", Behaviour::Garbage);  // pictures that do not decode count as failures
    for (int failures = 1; failures <= kFailuresThatEndReadiness; ++failures) {
        if (failures > 1)
            clock.advance(kRetrySeconds);
        ASSERT_TRUE(plat::test::runMainLoopUntil([&] {
            return peer.countOf("preview") > 0
                && (client->heartbeatCounter() == failures || !client->isReadyToCapture());
        }));
    }
    ASSERT_FALSE(client->isReadyToCapture());
    EXPECT_EQ(client->imageView()->image()->size(), (plat::Size {320, 180}));  // the last good picture stays
    peer.setBehaviour(Behaviour::Normal);
    const size_t statusRequests = peer.countOf("status");
    clock.advance(kRetrySeconds);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return client->isReadyToCapture(); }));
    EXPECT_EQ(peer.countOf("status"), statusRequests + 1);
    EXPECT_EQ(sourceDelegate->initPositions.size(), 2u);
}

TEST_F(RemoteCamera, ASlowCaptureEndsInNoPictureAndNothingStored)
{
    auto storing = std::make_shared<zt::test::FrameStoringDelegate>(project);
    sourceDelegate = storing;
    auto client = connectedClient();
    client->pauseCameraCapture();
    peer.setBehaviourFor("capture", Behaviour::Slow);
    client->captureImage();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return peer.countOf("capture") == 1; }));
    plat::RunLoop::main().settle();  // the request waits for its answer from now on
    // A picture request gives up after 10 s without an answer.
    clock.advance(9.9);
    plat::RunLoop::main().settle();
    EXPECT_EQ(storing->pictureCount(), 0u);
    clock.advance(0.2);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return storing->pictureCount() == 1; }));
    clock.advance(1);  // the display fades out
    EXPECT_EQ(storing->picture(0), nullptr);
    EXPECT_EQ(framesInProject(), 0);
    peer.release();
}

TEST_F(RemoteCamera, GarbageAndOversizedPicturesAreNoPictures)
{
    auto storing = std::make_shared<zt::test::FrameStoringDelegate>(project);
    sourceDelegate = storing;
    auto client = connectedClient();
    peer.setBehaviourFor("capture", Behaviour::Garbage);
    client->captureImage();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return storing->pictureCount() == 1; }));
    peer.setBehaviourFor("capture", Behaviour::Oversized);
    client->captureImage();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return storing->pictureCount() == 2; }));
    clock.advance(1);  // the displays fade out
    EXPECT_EQ(storing->picture(0), nullptr);
    EXPECT_EQ(storing->picture(1), nullptr);
    EXPECT_EQ(framesInProject(), 0);

    auto url = zt::RemoteCameraRequest::requestURL(*plat::URL::URLWithString(peer.baseURL()), "capture");
    auto reply = zt::RemoteCameraRequest::get(
        *url, zt::RemoteCameraRequest::kPictureTimeoutSeconds, zt::RemoteCameraRequest::kMaxPreviewBytes);
    ASSERT_FALSE(reply.ok());
    EXPECT_EQ(reply.error().code(), plat::kURLErrorDataLengthExceedsMaximum);
}

TEST_F(RemoteCamera, AGarbledStatusIsNotTrustedAndLeavesTheControlsAsTheyWere)
{
    auto client = connectedClient();
    ASSERT_TRUE(client->remoteCameraStatus());
    peer.setBehaviour(Behaviour::WrongTypes);
    client->switchCaptureDevice();  // the peer switched, but says so in the wrong shape
    EXPECT_FALSE(client->remoteCameraStatus());
    EXPECT_EQ(client->position(), 1);
    EXPECT_TRUE(client->isFocusModeSuported());
    EXPECT_EQ(sourceDelegate->switchPositions, (std::vector<int64_t> {1}));
    peer.setBehaviour(Behaviour::Garbage);
    client->setFocusMode(zt::kCaptureModeLocked);
    EXPECT_EQ(client->focusMode(), 2);
    EXPECT_FALSE(client->remoteCameraStatus());
}

TEST_F(RemoteCamera, AStatusThatFailsAtSetUpLeavesTheSourceNotReadyWithTheReason)
{
    peer.vanish();
    auto client = clientFor();
    activate(client);
    EXPECT_FALSE(client->isReadyToCapture());
    EXPECT_TRUE(sourceDelegate->initPositions.empty());
    ASSERT_TRUE(client->error());
    EXPECT_EQ(client->error()->localizedDescription(), "The remote camera does not answer.");
    clock.advance(5);
    EXPECT_EQ(client->imageView()->image(), nullptr);
}

TEST_F(RemoteCamera, PausingStopsTheRequestsAndResumingRestartsThemWithinASecond)
{
    auto client = connectedClient();
    client->pauseCameraCapture();
    // A paused loop sleeps on the clock between looks instead of asking
    // (a running one asks again as soon as a picture is shown).
    auto sleepsOnTheClock = [] {
        plat::RunLoop::main().settle();
        return plat::RunLoop::main().nextWorkUptime() <= plat::Clock::current().uptimeSeconds() + kRetrySeconds;
    };
    ASSERT_TRUE(plat::test::runMainLoopUntil(sleepsOnTheClock));
    const size_t paused = peer.countOf("preview");
    for (int second = 0; second < 5; ++second) {
        clock.advance(kRetrySeconds);
        ASSERT_TRUE(plat::test::runMainLoopUntil(sleepsOnTheClock));
    }
    EXPECT_EQ(peer.countOf("preview"), paused);
    client->resumeCameraCapture();
    clock.advance(kRetrySeconds);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return peer.countOf("preview") > paused; }));
    client->stopCameraCapture();
}

TEST_F(RemoteCamera, ASourceWithoutAURLDoesNothingRemote)
{
    auto client = std::make_shared<zt::CaptureRemoteCameraClient>(std::nullopt, "");
    activate(client);
    EXPECT_EQ(client->getCaptureSourceName(), "Remote Camera");
    EXPECT_FALSE(client->isReadyToCapture());
    client->switchCaptureDevice();
    EXPECT_EQ(sourceDelegate->switchPositions, (std::vector<int64_t> {0}));
}

TEST(RemoteCameraStatus, AWellFormedStatusIsRead)
{
    auto status = zt::RemoteCameraStatus::fromReply(R"({"AVCaptureDevicePosition": 2, "AVCaptureFocusMode": 0,
        "AVCaptureExposureMode": 2, "AVCaptureWhiteBalanceMode": 1, "MULTIPLE_CAPTURE_DEVICE_AVAILABLE": true,
        "AVCaptureFocusModeLocked": true, "AVCaptureFocusModeContinuousAutoFocus": 1,
        "AVCaptureExposureModeLocked": false})");
    ASSERT_TRUE(status);
    EXPECT_EQ(status->position, 2);
    EXPECT_EQ(status->whiteBalanceMode, 1);
    EXPECT_TRUE(status->multipleCaptureDeviceAvailable);
    EXPECT_TRUE(status->focusModeContinuousAutoFocus);
    EXPECT_FALSE(status->exposureModeLocked);
    EXPECT_FALSE(status->whiteBalanceModeLocked);  // missing reads as NO
}

TEST(RemoteCameraStatus, AMissingPositionOrModeReadsAsZeroAndKeepsTheCapabilities)
{
    struct Case {
        const char* missing;
        int64_t zt::RemoteCameraStatus::*field;
    };
    const Case cases[] = {
        {"AVCaptureDevicePosition", &zt::RemoteCameraStatus::position},
        {"AVCaptureFocusMode", &zt::RemoteCameraStatus::focusMode},
        {"AVCaptureExposureMode", &zt::RemoteCameraStatus::exposureMode},
        {"AVCaptureWhiteBalanceMode", &zt::RemoteCameraStatus::whiteBalanceMode},
    };
    for (const Case& entry : cases) {
        SCOPED_TRACE(entry.missing);
        plat::Dictionary reply;
        for (const char* key :
            {"AVCaptureDevicePosition", "AVCaptureFocusMode", "AVCaptureExposureMode", "AVCaptureWhiteBalanceMode"}) {
            if (std::string_view(key) != entry.missing)
                reply.set(key, plat::Value(int64_t {2}));
        }
        reply.set("AVCaptureWhiteBalanceModeLocked", plat::Value(true));
        auto status = zt::RemoteCameraStatus::fromDictionary(reply);
        ASSERT_TRUE(status);
        EXPECT_EQ((*status).*entry.field, 0);
        EXPECT_TRUE(status->whiteBalanceModeLocked);
    }
}

// A newer peer may send a mode this app does not know: that one value reads
// as missing, and the status keeps every other value and capability.
TEST(RemoteCameraStatus, AValueOutOfItsRangeReadsAsMissingAndKeepsTheRest)
{
    struct Case {
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"AVCaptureDevicePosition", "7"},
        {"AVCaptureDevicePosition", "-1"},
        {"AVCaptureFocusMode", "3"},
        {"AVCaptureExposureMode", "4"},
        {"AVCaptureWhiteBalanceMode", "4"},
        {"AVCaptureWhiteBalanceMode", "1e20"},
        {"AVCaptureFocusModeLocked", "2"},
    };
    const std::vector<std::string> keys {"AVCaptureDevicePosition", "AVCaptureFocusMode", "AVCaptureExposureMode",
        "AVCaptureWhiteBalanceMode", "AVCaptureFocusModeLocked"};
    for (const Case& entry : cases) {
        SCOPED_TRACE(std::string(entry.key) + " " + entry.value);
        std::string reply = R"({"AVCaptureExposureModeContinuousAutoExposure": true)";
        for (const std::string& key : keys)
            reply += ", \"" + key + "\": " + (key == entry.key ? entry.value : "1");
        auto status = zt::RemoteCameraStatus::fromReply(reply + "}");
        ASSERT_TRUE(status);
        const int64_t read[] = {status->position, status->focusMode, status->exposureMode, status->whiteBalanceMode,
            int64_t(status->focusModeLocked)};
        for (size_t i = 0; i < keys.size(); ++i)
            EXPECT_EQ(read[i], keys[i] == entry.key ? 0 : 1) << keys[i];
        EXPECT_TRUE(status->exposureModeContinuousAutoExposure);
    }
}

TEST(RemoteCameraStatus, RepliesOfTheWrongShapeAreRefused)
{
    const std::string modes = R"("AVCaptureFocusMode": 0, "AVCaptureExposureMode": 2, "AVCaptureWhiteBalanceMode": 1)";
    EXPECT_TRUE(zt::RemoteCameraStatus::fromReply("{\"AVCaptureDevicePosition\": 1, " + modes + "}"));
    EXPECT_FALSE(zt::RemoteCameraStatus::fromReply("{\"AVCaptureDevicePosition\": \"1\", " + modes + "}"));
    EXPECT_FALSE(zt::RemoteCameraStatus::fromReply("{\"AVCaptureDevicePosition\": true, " + modes + "}"));
    EXPECT_FALSE(zt::RemoteCameraStatus::fromReply("{\"AVCaptureDevicePosition\": 1.5, " + modes + "}"));
    EXPECT_FALSE(zt::RemoteCameraStatus::fromReply(
        "{\"AVCaptureDevicePosition\": 1, " + modes + ", \"AVCaptureFocusModeLocked\": \"yes\"}"));
    EXPECT_FALSE(zt::RemoteCameraStatus::fromReply("[1, 2, 3]"));
    EXPECT_FALSE(zt::RemoteCameraStatus::fromReply("not json"));
    EXPECT_FALSE(zt::RemoteCameraStatus::fromReply(""));
}

}  // namespace
