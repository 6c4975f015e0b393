#include "platform/media/PlayerItemVideoOutput.h"

#include <gtest/gtest.h>

#include "MediaTestFiles.h"
#include "PlaybackTestSupport.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/media/Asset.h"
#include "platform/media/AssetWriterInputPixelBufferAdaptor.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/Player.h"
#include "platform/media/PlayerItem.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::MediaTime;

class CountingPullDelegate : public plat::PlayerItemOutputPullDelegate {
public:
    void outputMediaDataWillChange(plat::PlayerItemVideoOutput&) override { ++changes; }
    int changes = 0;
};

class PlayerItemVideoOutputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string path = plat::appendingPathComponent(folder.path(), "pattern.mov");
        auto run = plat::test::runFFmpeg(folder.path(),
            {"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=10:duration=2", "-c:v", "libx264", "-pix_fmt", "yuv420p",
                path});
        ASSERT_EQ(run.exitCode, 0);
        item = plat::PlayerItem::playerItemWithAsset(plat::URLAsset::assetWithPath(path));
        player = plat::Player::playerWithPlayerItem(item);
    }
    double now() const { return plat::Clock::current().uptimeSeconds(); }

    plat::test::ManualClockScope clock;
    plat::test::ListeningSpeaker speaker;
    plat::test::TemporaryFolder folder;
    std::shared_ptr<plat::PlayerItem> item;
    std::shared_ptr<plat::Player> player;
    std::shared_ptr<plat::PlayerItemVideoOutput> output
        = plat::PlayerItemVideoOutput::videoOutputWithPixelBufferAttributes(
            plat::Dictionary {{plat::kPixelBufferPixelFormatTypeKey, int64_t {plat::kPixelFormatType_32BGRA}}});
};

}  // namespace

TEST_F(PlayerItemVideoOutputTest, HandsOutThePictureShownAtEachItemTimeOnce)
{
    ASSERT_TRUE(output);
    EXPECT_FALSE(output->itemTimeForHostTime(now()).isValid());
    item->addOutput(output);
    player->play();
    clock.advance(0.35);
    const MediaTime itemTime = output->itemTimeForHostTime(now());
    EXPECT_NEAR(itemTime.seconds(), 0.35, 0.01);
    ASSERT_TRUE(output->hasNewPixelBufferForItemTime(itemTime));
    MediaTime shownAt;
    auto picture = output->copyPixelBufferForItemTime(itemTime, &shownAt);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width(), 160);
    EXPECT_NEAR(shownAt.seconds(), 0.3, 1e-6);
    EXPECT_FALSE(output->hasNewPixelBufferForItemTime(itemTime));

    // The coming refresh a tenth of a second ahead shows the next picture.
    const MediaTime ahead = output->itemTimeForHostTime(now() + 0.1);
    EXPECT_NEAR(ahead.seconds(), 0.45, 0.01);
    EXPECT_TRUE(output->hasNewPixelBufferForItemTime(ahead));
    output->copyPixelBufferForItemTime(ahead, &shownAt);
    EXPECT_NEAR(shownAt.seconds(), 0.4, 1e-6);

    // Back to the start after a seek.
    player->seekToTime(MediaTime::zero());
    output->copyPixelBufferForItemTime(output->itemTimeForHostTime(now()), &shownAt);
    EXPECT_NEAR(shownAt.seconds(), 0.0, 1e-6);
    item->removeOutput(output);
    EXPECT_FALSE(output->hasNewPixelBufferForItemTime(MediaTime::make(1, 1)));
}

TEST_F(PlayerItemVideoOutputTest, TellsItsDelegateOnceItsItemHasPictures)
{
    auto delegate = std::make_shared<CountingPullDelegate>();
    output->setDelegate(delegate, nullptr);
    output->requestNotificationOfMediaDataChangeWithAdvanceInterval(0.1);
    plat::test::runMainLoopUntil([] { return true; }, 0);
    EXPECT_EQ(delegate->changes, 0);
    item->addOutput(output);
    EXPECT_TRUE(plat::test::runMainLoopUntil([&] { return delegate->changes == 1; }));
    output->requestNotificationOfMediaDataChangeWithAdvanceInterval(0.1);
    EXPECT_TRUE(plat::test::runMainLoopUntil([&] { return delegate->changes == 2; }));
}

TEST_F(PlayerItemVideoOutputTest, AnItemWithoutVideoHasNoPictures)
{
    auto sound = plat::PlayerItem::playerItemWithAsset(
        plat::URLAsset::assetWithPath(plat::test::makeSineWave(folder.path(), "tone.wav", 1.0, 0.5)));
    sound->addOutput(output);
    EXPECT_FALSE(output->hasNewPixelBufferForItemTime(MediaTime::zero()));
    EXPECT_EQ(output->copyPixelBufferForItemTime(MediaTime::zero(), nullptr), nullptr);
    EXPECT_FALSE(plat::PlayerItemVideoOutput::videoOutputWithPixelBufferAttributes(
        plat::Dictionary {{plat::kPixelBufferPixelFormatTypeKey, int64_t {0x32767579}}}));  // '2vuy'
}
