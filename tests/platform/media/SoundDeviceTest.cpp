#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>

#include "MediaTestFiles.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "platform/media/AudioOutput.h"
#include "platform/media/AudioPlayer.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"

namespace {

struct Finished : plat::AudioPlayerDelegate {
    void audioPlayerDidFinishPlaying(plat::AudioPlayer&, bool successfully) override { result = successfully; }
    std::optional<bool> result;
};

}  // namespace

// SDL's dummy driver stands in for the machine's sound card: it pulls the
// sound on its own thread at the device's pace, as a real one does.
TEST(SoundDevice, WhileTheScopeLivesTheDevicePullsTheSoundOnItsOwnThread)
{
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    plat::test::TemporaryFolder folder;
    auto player = plat::AudioPlayer::initWithContentsOfURL(
        plat::URL::fileURLWithPath(plat::test::makeSineWave(folder.path(), "tone.wav", 0.2, 0.5)));
    ASSERT_TRUE(player.ok());
    auto delegate = std::make_shared<Finished>();
    player.value()->setDelegate(delegate);
    std::atomic<double> loudest {0};
    std::atomic<bool> offMainThread {false};
    {
        plat::SystemAudioOutputScope scope;
        ASSERT_TRUE(plat::AudioOutput::shared().playsToSoundDevice());
        plat::AudioOutput::shared().setMonitor([&](const float* samples, int64_t frames) {
            offMainThread = offMainThread || !plat::isMainThread();
            for (int64_t i = 0; i < frames * plat::AudioOutput::kChannels; ++i)
                loudest = std::max<double>(loudest, samples[i]);
        });
        player.value()->play();
        EXPECT_TRUE(plat::test::runMainLoopUntil([&] { return delegate->result.has_value(); }));
        plat::AudioOutput::shared().setMonitor({});
    }
    EXPECT_FALSE(plat::AudioOutput::shared().playsToSoundDevice());
    EXPECT_EQ(delegate->result, true);
    EXPECT_TRUE(offMainThread);
    EXPECT_NEAR(loudest, 0.5, 0.01);
}
