#include <GLES2/gl2.h>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

#include "GLImageCameraTestSupport.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageFilter.h"
#include "glimage/GLImageMovie.h"
#include "glimage/GLImageMovieComposition.h"
#include "glimage/GLImageMovieWriter.h"
#include "glimage/GLImagePixelBufferTextures.h"
#include "glimage/GLImageRawDataOutput.h"
#include "glimage/GLImageTextureInput.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Semaphore.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/media/Asset.h"
#include "platform/media/AssetReader.h"
#include "platform/media/AssetReaderTrackOutput.h"
#include "platform/media/AssetWriter.h"
#include "platform/media/AssetWriterInputPixelBufferAdaptor.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/MutableComposition.h"
#include "platform/media/Player.h"
#include "platform/media/PlayerItem.h"
#include "platform/media/SampleBuffer.h"
#include "platform/media/VideoComposition.h"
#include "support/ManualClockScope.h"
#include "support/MediaTools.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::MediaTime;
using zt::GLImageByteColorVector;

constexpr int kWidth = 96;
constexpr int kHeight = 64;
constexpr double kGenerousTimeoutSeconds = 60;

struct Colour {
    uint8_t red, green, blue;
};

// The colour of frame i: a ramp through distinct colours.
Colour colourOf(int i)
{
    return {uint8_t(30 + 25 * (i % 8)), uint8_t(220 - 20 * (i % 8)), uint8_t(i % 2 ? 200 : 40)};
}

// Writes frames frames of their colours at 10 a second, with a second of
// a 440 Hz tone, as H.264 and AAC.
void writeMovie(const std::string& path, int frames)
{
    auto writer = zt::GLImageMovieWriter::initWithMovieURL(plat::URL::fileURLWithPath(path), {kWidth, kHeight},
        plat::kFileTypeQuickTimeMovie,
        plat::Dictionary {{plat::kVideoCodecKey, plat::kVideoCodecH264}, {plat::kVideoWidthKey, kWidth},
            {plat::kVideoHeightKey, kHeight}, {zt::kEncodingLiveVideoKey, false}});
    writer->setHasAudioTrack(true);
    uint32_t texture = 0;
    zt::runSynchronouslyOnContextQueue([&] {
        zt::GLImageContext::useImageProcessingContext();
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glBindTexture(GL_TEXTURE_2D, 0);
    });
    auto input = std::make_shared<zt::GLImageTextureInput>(texture, plat::Size {kWidth, kHeight});
    input->addTarget(writer);
    writer->startRecording();
    plat::AudioStreamBasicDescription mono16 {44100, plat::kAudioFormatLinearPCM,
        plat::kAudioFormatFlagIsSignedInteger | plat::kAudioFormatFlagIsPacked, 2, 1, 2, 1, 16};
    for (int i = 0; i < frames; ++i) {
        const Colour c = colourOf(i);
        zt::runSynchronouslyOnContextQueue([&] {
            zt::GLImageContext::useImageProcessingContext();
            std::vector<uint8_t> rgba;
            for (int p = 0; p < kWidth * kHeight; ++p)
                rgba.insert(rgba.end(), {c.red, c.green, c.blue, 255});
            glBindTexture(GL_TEXTURE_2D, texture);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kWidth, kHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
            glBindTexture(GL_TEXTURE_2D, 0);
        });
        input->processTextureWithFrameTime(MediaTime::make(i, 10));
        zt::test::drainContextQueue();
        std::vector<int16_t> samples(4410);
        for (size_t s = 0; s < samples.size(); ++s)
            samples[s] = int16_t(std::lrint(16000 * std::sin(2 * M_PI * 440 * double(i * 4410 + int(s)) / 44100)));
        plat::Data bytes(samples.size() * 2);
        std::memcpy(bytes.data(), samples.data(), bytes.size());
        writer->processAudioBuffer(
            plat::SampleBuffer::createLinearPCM(mono16, MediaTime::make(i * 4410, 44100), 4410, std::move(bytes)));
    }
    plat::Semaphore finished;
    writer->finishRecordingWithCompletionHandler([&] { finished.signal(); });
    ASSERT_TRUE(finished.wait(kGenerousTimeoutSeconds));
    input->removeAllTargets();
    zt::runSynchronouslyOnContextQueue([&] { glDeleteTextures(1, &texture); });
    ASSERT_EQ(writer->assetWriter()->status(), plat::AssetWriterStatus::Completed);
}

// Reads each frame's colour as it arrives.
class FrameRecorder {
public:
    FrameRecorder()
    {
        output->setNewFrameAvailableBlock([this] {
            auto colour = output->colorAtLocation({kWidth / 2, kHeight / 2});
            std::lock_guard guard(_lock);
            _colours.push_back(colour);
        });
    }
    size_t count() const
    {
        std::lock_guard guard(_lock);
        return _colours.size();
    }
    std::vector<GLImageByteColorVector> colours() const
    {
        std::lock_guard guard(_lock);
        return _colours;
    }
    std::shared_ptr<zt::GLImageRawDataOutput> output = std::make_shared<zt::GLImageRawDataOutput>(
        plat::Size {kWidth, kHeight}, zt::GLImageRawDataOutput::ResultsInBGRAFormat::No);
    std::shared_ptr<zt::test::CountingTarget> times = std::make_shared<zt::test::CountingTarget>();

private:
    mutable std::mutex _lock;
    std::vector<GLImageByteColorVector> _colours;
};

class MovieDelegate : public zt::GLImageMovieDelegate {
public:
    void didCompletePlayingMovie() override { ++completed; }
    void didFailToPlayMovieWithError(const plat::Error& error) override
    {
        ++failed;
        code = error.code();
    }
    std::atomic<int> completed = 0;
    std::atomic<int> failed = 0;
    std::atomic<int64_t> code = 0;
};

void expectColour(const GLImageByteColorVector& got, Colour expected, size_t frame)
{
    EXPECT_NEAR(got.red, expected.red, 10) << "frame " << frame;
    EXPECT_NEAR(got.green, expected.green, 10) << "frame " << frame;
    EXPECT_NEAR(got.blue, expected.blue, 10) << "frame " << frame;
}

class GLImageMovieTest : public ::testing::Test {
protected:
    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
};

}  // namespace

TEST_F(GLImageMovieTest, AWrittenMovieIsReadBackFrameForFrame)
{
    writeMovie(sandbox.path("written.mov"), 12);
    auto probe = plat::test::probeMedia(sandbox.path("written.mov"), plat::test::FrameCount::ByDecoding);
    ASSERT_EQ(probe.exitCode, 0) << probe.output;
    EXPECT_EQ(probe.stream("video")["codec_name"], "h264");
    EXPECT_EQ(probe.stream("video")["nb_read_frames"], "12");
    EXPECT_EQ(probe.stream("audio")["codec_name"], "aac");

    auto movie = zt::GLImageMovie::initWithURL(plat::URL::fileURLWithPath(sandbox.path("written.mov")));
    auto delegate = std::make_shared<MovieDelegate>();
    movie->setDelegate(delegate);
    FrameRecorder recorder;
    movie->addTarget(recorder.output);
    movie->addTarget(recorder.times);
    movie->startProcessing();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return delegate->completed.load() == 1; }));
    auto colours = recorder.colours();
    ASSERT_EQ(colours.size(), 12u);
    for (size_t i = 0; i < colours.size(); ++i)
        expectColour(colours[i], colourOf(int(i)), i);
    auto times = recorder.times->times();
    ASSERT_EQ(times.size(), 12u);
    EXPECT_NEAR(times[5].seconds(), 0.5, 1e-6);
    EXPECT_EQ(recorder.times->endProcessingCount, 1);
    EXPECT_TRUE(movie->videoEncodingIsFinished());
    EXPECT_FALSE(movie->error());

    // The delegate heard the end and was let go: a second run tells nobody.
    movie->startProcessing();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] {
        zt::test::drainContextQueue();
        return recorder.times->endProcessingCount == 2;
    }));
    EXPECT_EQ(recorder.times->count(), 24u);
    EXPECT_EQ(delegate->completed.load(), 1);
    movie->removeAllTargets();
}

TEST_F(GLImageMovieTest, AMovieThatCannotBeReadEndsAndSaysWhy)
{
    auto missing = zt::GLImageMovie::initWithURL(plat::URL::fileURLWithPath(sandbox.path("missing.mov")));
    auto delegate = std::make_shared<MovieDelegate>();
    missing->setDelegate(delegate);
    auto target = std::make_shared<zt::test::CountingTarget>();
    missing->addTarget(target);
    missing->startProcessing();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return delegate->failed.load() == 1; }));
    zt::test::drainContextQueue();
    EXPECT_EQ(target->count(), 0u);
    EXPECT_EQ(target->endProcessingCount, 1);
    EXPECT_EQ(delegate->completed.load(), 0);
    EXPECT_TRUE(missing->error());
    missing->removeAllTargets();

    // Sound only: there is no picture to read.
    auto run = plat::test::runFFmpeg(
        sandbox.root(), {"-f", "lavfi", "-i", "sine=d=0.5", "-c:a", "pcm_s16le", sandbox.path("tone.wav")});
    ASSERT_EQ(run.exitCode, 0);
    auto sound = zt::GLImageMovie::initWithAsset(plat::URLAsset::assetWithPath(sandbox.path("tone.wav")));
    auto soundDelegate = std::make_shared<MovieDelegate>();
    sound->setDelegate(soundDelegate);
    sound->startProcessing();
    EXPECT_EQ(soundDelegate->failed.load(), 1);
    EXPECT_EQ(soundDelegate->code.load(), plat::kMediaErrorOperationNotSupportedForAsset);
}

TEST_F(GLImageMovieTest, ASynchronisedWriterPullsEveryFrameAndTheSound)
{
    writeMovie(sandbox.path("source.mov"), 10);
    auto movie = zt::GLImageMovie::initWithAsset(plat::URLAsset::assetWithPath(sandbox.path("source.mov")));
    auto filter = std::make_shared<zt::GLImageFilter>();
    auto writer = zt::GLImageMovieWriter::initWithMovieURL(
        plat::URL::fileURLWithPath(sandbox.path("copy.mov")), {kWidth, kHeight});
    movie->addTarget(filter);
    filter->addTarget(writer);
    movie->setAudioEncodingTarget(writer);
    movie->enableSynchronizedEncodingUsingMovieWriter(writer);
    EXPECT_FALSE(writer->encodingLiveVideo());
    plat::Semaphore finished;
    writer->setCompletionBlock([&] { writer->finishRecordingWithCompletionHandler([&] { finished.signal(); }); });
    writer->startRecording();
    movie->startProcessing();
    ASSERT_TRUE(finished.wait(kGenerousTimeoutSeconds));
    auto probe = plat::test::probeMedia(sandbox.path("copy.mov"), plat::test::FrameCount::ByDecoding);
    ASSERT_EQ(probe.exitCode, 0) << probe.output;
    EXPECT_EQ(probe.stream("video")["nb_read_frames"], "10");
    EXPECT_EQ(probe.stream("audio")["codec_name"], "aac");
    auto frames = plat::test::decodeVideoWithFFmpeg(sandbox.root(), sandbox.path("copy.mov"), kWidth, kHeight);
    ASSERT_EQ(frames.size(), 10u);
    const uint8_t* centre = frames[7].data() + (size_t(kHeight / 2) * kWidth + kWidth / 2) * 3;
    EXPECT_NEAR(centre[0], colourOf(7).red, 12);
    EXPECT_NEAR(centre[1], colourOf(7).green, 12);
    movie->removeAllTargets();
    filter->removeAllTargets();
}

// The clock moves only once the reader has done what fell due, so a frame
// lands exactly when it is due, however busy the machine.
class GLImageMovieAtActualSpeed : public ::testing::Test {
protected:
    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock {plat::ManualClock::BackgroundWork::SettlesBeforeTimeMoves};
};

TEST_F(GLImageMovieAtActualSpeed, EachFrameWaitsForItsTimeOnTheClock)
{
    writeMovie(sandbox.path("paced.mov"), 5);
    auto movie = zt::GLImageMovie::initWithURL(plat::URL::fileURLWithPath(sandbox.path("paced.mov")));
    movie->setPlayAtActualSpeed(true);
    auto target = std::make_shared<zt::test::CountingTarget>();
    movie->addTarget(target);
    movie->startProcessing();
    auto stepAndSettle = [&](double seconds) {
        clock.advance(seconds);
        plat::RunLoop::main().settle();
    };
    stepAndSettle(0.01);
    EXPECT_EQ(target->count(), 1u);
    // Frames are a tenth of a second apart in the movie: frame n is due 0.1 x n after the first.
    for (size_t frame = 2; frame <= 5; ++frame) {
        stepAndSettle(0.08);
        EXPECT_EQ(target->count(), frame - 1) << "early";
        stepAndSettle(0.02);
        EXPECT_EQ(target->count(), frame);
    }
    movie->removeAllTargets();
}

TEST_F(GLImageMovieTest, ALoopingMovieStartsOverUntilCancelledAndTellsItsDelegateOnce)
{
    writeMovie(sandbox.path("loop.mov"), 3);
    auto movie = zt::GLImageMovie::initWithURL(plat::URL::fileURLWithPath(sandbox.path("loop.mov")));
    movie->setShouldRepeat(true);
    auto delegate = std::make_shared<MovieDelegate>();
    movie->setDelegate(delegate);
    auto target = std::make_shared<zt::test::CountingTarget>();
    movie->addTarget(target);
    movie->startProcessing();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return target->count() >= 7; }));
    movie->cancelProcessing();
    zt::test::drainContextQueue();
    plat::test::runMainLoopUntil([] { return true; }, 0);
    EXPECT_EQ(delegate->completed.load(), 1);
    EXPECT_EQ(target->endProcessingCount, 1);
    // A start over queued before the cancel does not happen.
    const size_t framesAtTheEnd = target->count();
    zt::test::drainContextQueue();
    plat::test::runMainLoopUntil([] { return true; }, 0);
    zt::test::drainContextQueue();
    EXPECT_EQ(target->count(), framesAtTheEnd);
    movie->removeAllTargets();
}

// Ends its movie when the given frame reaches it.
class EndingTarget : public zt::test::CountingTarget {
public:
    EndingTarget(std::weak_ptr<zt::GLImageMovie> movie, size_t lastFrame)
        : _movie(std::move(movie))
        , _lastFrame(lastFrame)
    {
    }
    void newFrameReadyAtTime(const MediaTime& frameTime, int64_t index) override
    {
        CountingTarget::newFrameReadyAtTime(frameTime, index);
        if (count() == _lastFrame)
            if (auto movie = _movie.lock())
                movie->endProcessing();
    }

private:
    std::weak_ptr<zt::GLImageMovie> _movie;
    size_t _lastFrame;
};

TEST_F(GLImageMovieTest, AnAssetLoopsAsAFileDoes)
{
    writeMovie(sandbox.path("loop.mov"), 3);
    auto movie = zt::GLImageMovie::initWithAsset(plat::URLAsset::assetWithPath(sandbox.path("loop.mov")));
    movie->setShouldRepeat(true);
    auto delegate = std::make_shared<MovieDelegate>();
    movie->setDelegate(delegate);
    auto target = std::make_shared<EndingTarget>(movie, 7);
    movie->addTarget(target);
    // One pass on the caller's thread, the next ones from the main queue.
    movie->startProcessing();
    EXPECT_EQ(target->count(), 3u);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return delegate->completed.load() == 1; }));
    zt::test::drainContextQueue();
    plat::test::runMainLoopUntil([] { return true; }, 0);
    EXPECT_EQ(target->count(), 7u);
    EXPECT_EQ(target->endProcessingCount, 1);
    EXPECT_EQ(target->times()[4], MediaTime::make(1, 10));
    movie->removeAllTargets();
}

TEST_F(GLImageMovieTest, APlayerItemsFramesArePulledAsItPlays)
{
    writeMovie(sandbox.path("played.mov"), 10);
    auto item = plat::PlayerItem::playerItemWithAsset(plat::URLAsset::assetWithPath(sandbox.path("played.mov")));
    auto player = plat::Player::playerWithPlayerItem(item);
    auto movie = zt::GLImageMovie::initWithPlayerItem(item);
    FrameRecorder recorder;
    movie->addTarget(recorder.output);
    movie->startProcessing();
    player->play();
    clock.advance(0.35);
    zt::test::drainContextQueue();
    // Pulled for the refresh after each tick, a new picture each tenth of a second.
    auto colours = recorder.colours();
    ASSERT_GE(colours.size(), 3u);
    ASSERT_LE(colours.size(), 5u);
    expectColour(colours.front(), colourOf(0), 0);
    expectColour(colours.back(), colourOf(int(colours.size()) - 1), colours.size() - 1);

    // Ended while the item plays on: no more pictures are pulled, and the end is told once.
    auto target = std::make_shared<zt::test::CountingTarget>();
    movie->addTarget(target);
    movie->endProcessing();
    movie->endProcessing();
    const size_t shown = recorder.colours().size();
    clock.advance(0.3);
    zt::test::drainContextQueue();
    EXPECT_EQ(recorder.colours().size(), shown);
    EXPECT_EQ(target->count(), 0u);
    EXPECT_EQ(target->endProcessingCount, 1);
    player->pause();
    movie->removeAllTargets();
}

TEST_F(GLImageMovieTest, ACompositionIsReadThroughItsVideoComposition)
{
    writeMovie(sandbox.path("part.mov"), 10);
    auto part = plat::URLAsset::assetWithPath(sandbox.path("part.mov"));
    auto composition = plat::MutableComposition::composition();
    auto track = composition->addMutableTrackWithMediaType(plat::kMediaTypeVideo, plat::kTrackIDInvalid);
    // Pictures 5 to 9 of the part, then 0 to 4.
    ASSERT_TRUE(track
                    ->insertTimeRange(plat::MediaTimeRange::make(MediaTime::make(5, 10), MediaTime::make(5, 10)),
                        *part->tracksWithMediaType(plat::kMediaTypeVideo).front(), MediaTime::zero())
                    .ok());
    ASSERT_TRUE(track
                    ->insertTimeRange(plat::MediaTimeRange::make(MediaTime::zero(), MediaTime::make(5, 10)),
                        *part->tracksWithMediaType(plat::kMediaTypeVideo).front(), MediaTime::make(5, 10))
                    .ok());
    auto video = plat::MutableVideoComposition::videoCompositionWithPropertiesOfAsset(*composition);
    video->setFrameDuration(MediaTime::make(1, 10));
    video->setRenderScale(0.5f);  // set back to 1 by the reader
    auto movie = zt::GLImageMovieComposition::initWithComposition(composition, video, nullptr);
    auto delegate = std::make_shared<MovieDelegate>();
    movie->setDelegate(delegate);
    FrameRecorder recorder;
    movie->addTarget(recorder.output);
    movie->startProcessing();
    EXPECT_EQ(delegate->completed.load(), 1);
    auto colours = recorder.colours();
    ASSERT_EQ(colours.size(), 10u);
    expectColour(colours[0], colourOf(5), 0);
    expectColour(colours[6], colourOf(1), 6);
    EXPECT_FLOAT_EQ(video->renderScale(), 1.0f);
    movie->removeAllTargets();
}

TEST(GLImagePixelBufferUpload, RowsArePackedByTheirStride)
{
    // 5 pixels make rows of 20 bytes, padded to 64 in pixel buffers.
    auto made = plat::PixelBuffer::create(5, 3, plat::kPixelFormatType_32BGRA);
    ASSERT_TRUE(made.ok());
    auto& buffer = *made.value();
    ASSERT_GT(buffer.bytesPerRow(), 20u);
    buffer.lockBaseAddress();
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            uint8_t* p = buffer.baseAddress() + size_t(y) * buffer.bytesPerRow() + size_t(x) * 4;
            p[0] = uint8_t(40 * x);  // blue
            p[1] = uint8_t(80 * y);  // green
            p[2] = 200;
            p[3] = 255;
        }
    }
    buffer.unlockBaseAddress();
    uint32_t texture = 0;
    zt::runSynchronouslyOnContextQueue([&] {
        zt::GLImageContext::useImageProcessingContext();
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        zt::detail::uploadPixelBuffer(buffer, texture, zt::defaultTextureOptions());
    });
    auto input = std::make_shared<zt::GLImageTextureInput>(texture, plat::Size {5, 3});
    auto output = std::make_shared<zt::GLImageRawDataOutput>(
        plat::Size {5, 3}, zt::GLImageRawDataOutput::ResultsInBGRAFormat::No);
    input->addTarget(output);
    input->processTextureWithFrameTime(MediaTime::zero());
    zt::test::drainContextQueue();
    EXPECT_EQ(output->colorAtLocation({4, 2}), (GLImageByteColorVector {200, 160, 160, 255}));
    EXPECT_EQ(output->colorAtLocation({0, 1}), (GLImageByteColorVector {200, 80, 0, 255}));
    input->removeAllTargets();
    zt::runSynchronouslyOnContextQueue([&] { glDeleteTextures(1, &texture); });
}
