#include <GLES2/gl2.h>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

#include "GLImageTestSupport.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageMovieWriter.h"
#include "glimage/GLImageTextureInput.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Semaphore.h"
#include "platform/media/AssetWriter.h"
#include "platform/media/AssetWriterInput.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/SampleBuffer.h"
#include "support/MediaTools.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::MediaTime;

constexpr double kGenerousTimeoutSeconds = 60;
// 90 pixels of four bytes make rows of 360 bytes: the writer's pool pads them to 384.
constexpr int kWidth = 90;
constexpr int kHeight = 64;

struct Colour {
    uint8_t red, green, blue;
};
constexpr Colour kColours[] = {{230, 30, 30}, {30, 200, 30}, {30, 30, 230}, {220, 220, 40}};

// A texture source whose one colour the test changes between frames, with
// its left column black so that a turned or mirrored picture would show.
class ColourSource {
public:
    ColourSource()
    {
        zt::runSynchronouslyOnContextQueue([&] {
            zt::GLImageContext::useImageProcessingContext();
            glGenTextures(1, &_texture);
            glBindTexture(GL_TEXTURE_2D, _texture);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glBindTexture(GL_TEXTURE_2D, 0);
        });
        input = std::make_shared<zt::GLImageTextureInput>(_texture, plat::Size {kWidth, kHeight});
    }
    ~ColourSource() { input->removeAllTargets(); }

    void send(Colour colour, const MediaTime& time)
    {
        zt::runSynchronouslyOnContextQueue([&] {
            zt::GLImageContext::useImageProcessingContext();
            std::vector<uint8_t> rgba;
            for (int y = 0; y < kHeight; ++y) {
                for (int x = 0; x < kWidth; ++x) {
                    if (x < 8)
                        rgba.insert(rgba.end(), {0, 0, 0, 255});
                    else
                        rgba.insert(rgba.end(), {colour.red, colour.green, colour.blue, 255});
                }
            }
            glBindTexture(GL_TEXTURE_2D, _texture);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kWidth, kHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
            glBindTexture(GL_TEXTURE_2D, 0);
        });
        input->processTextureWithFrameTime(time);
        zt::test::drainContextQueue();
    }

    std::shared_ptr<zt::GLImageTextureInput> input;

private:
    uint32_t _texture = 0;
};

const plat::Dictionary kOffline {{plat::kVideoCodecKey, plat::kVideoCodecH264}, {plat::kVideoWidthKey, kWidth},
    {plat::kVideoHeightKey, kHeight}, {zt::kEncodingLiveVideoKey, false}};

void finish(zt::GLImageMovieWriter& writer)
{
    plat::Semaphore finished;
    writer.finishRecordingWithCompletionHandler([&] { finished.signal(); });
    ASSERT_TRUE(finished.wait(kGenerousTimeoutSeconds));
}

class CountingWriterDelegate : public zt::GLImageMovieWriterDelegate {
public:
    void movieRecordingCompleted() override { ++completed; }
    void movieRecordingFailedWithError(const plat::Error&) override { ++failed; }
    int completed = 0;
    int failed = 0;
};

}  // namespace

TEST(GLImageMovieWriter, FramesBecomeAnH264MovieWithTheirColoursAndTimes)
{
    plat::test::TemporaryFolder folder;
    auto writer = zt::GLImageMovieWriter::initWithMovieURL(plat::URL::fileURLWithPath(folder.path("movie.mov")),
        {kWidth, kHeight}, plat::kFileTypeQuickTimeMovie, kOffline);
    ASSERT_TRUE(writer->assetWriter());
    EXPECT_FALSE(writer->encodingLiveVideo());
    EXPECT_EQ(writer->maximumOutputSize(), (plat::Size {kWidth, kHeight}));
    ColourSource source;
    source.input->addTarget(writer);
    writer->startRecording();
    for (int i = 0; i < 4; ++i)
        source.send(kColours[i], MediaTime::make(i, 10));
    EXPECT_EQ(writer->duration(), MediaTime::make(3, 10));
    finish(*writer);
    ASSERT_EQ(writer->assetWriter()->status(), plat::AssetWriterStatus::Completed);

    auto probe = plat::test::probeMedia(folder.path("movie.mov"), plat::test::FrameCount::ByDecoding);
    ASSERT_EQ(probe.exitCode, 0) << probe.output;
    auto video = probe.stream("video");
    EXPECT_EQ(video["codec_name"], "h264");
    EXPECT_EQ(video["width"], "90");
    EXPECT_EQ(video["height"], "64");
    EXPECT_EQ(video["nb_read_frames"], "4");
    auto frames = plat::test::decodeVideoWithFFmpeg(folder.path(), folder.path("movie.mov"), kWidth, kHeight);
    ASSERT_EQ(frames.size(), 4u);
    for (size_t i = 0; i < frames.size(); ++i) {
        const uint8_t* centre = frames[i].data() + (size_t(kHeight / 2) * kWidth + kWidth / 2) * 3;
        EXPECT_NEAR(centre[0], kColours[i].red, 10) << i;
        EXPECT_NEAR(centre[1], kColours[i].green, 10) << i;
        EXPECT_NEAR(centre[2], kColours[i].blue, 10) << i;
        // Each row starts with its black column: rows were read by the buffer's stride.
        for (int y : {0, kHeight / 2, kHeight - 1}) {
            const uint8_t* left = frames[i].data() + size_t(y) * kWidth * 3;
            EXPECT_LT(left[3], 40) << "frame " << i << " row " << y;
            EXPECT_GT(int(left[30]) + left[31] + left[32], 150) << "frame " << i << " row " << y;
        }
    }
}

TEST(GLImageMovieWriter, RepeatedInvalidAndStillTimesAreNotWrittenAndTheKeyStaysOutOfTheSettings)
{
    plat::test::TemporaryFolder folder;
    auto writer = zt::GLImageMovieWriter::initWithMovieURL(plat::URL::fileURLWithPath(folder.path("repeat.mov")),
        {kWidth, kHeight}, plat::kFileTypeQuickTimeMovie, kOffline);
    ColourSource source;
    source.input->addTarget(writer);
    writer->startRecording();
    source.send(kColours[0], MediaTime::make(0, 10));
    // The same time straight after: refused at once, before any writing is done.
    source.send(kColours[1], MediaTime::make(0, 10));
    source.send(kColours[1], MediaTime::indefinite());
    source.send(kColours[1], MediaTime::invalid());
    source.send(kColours[2], MediaTime::make(1, 10));
    finish(*writer);
    auto frames = plat::test::decodeVideoWithFFmpeg(folder.path(), folder.path("repeat.mov"), kWidth, kHeight);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_NEAR(frames[1][(size_t(kHeight / 2) * kWidth + kWidth / 2) * 3 + 2], kColours[2].blue, 10);
    ASSERT_TRUE(writer->assetWriter()->inputs().front()->outputSettings());
    EXPECT_FALSE(writer->assetWriter()->inputs().front()->outputSettings()->contains(zt::kEncodingLiveVideoKey));
}

TEST(GLImageMovieWriter, SoundGivenBecomesAnAACTrackBesideThePictures)
{
    plat::test::TemporaryFolder folder;
    auto writer = zt::GLImageMovieWriter::initWithMovieURL(plat::URL::fileURLWithPath(folder.path("sound.mov")),
        {kWidth, kHeight}, plat::kFileTypeQuickTimeMovie, kOffline);
    writer->setHasAudioTrack(true);
    ColourSource source;
    source.input->addTarget(writer);
    writer->startRecording();
    plat::AudioStreamBasicDescription mono16 {44100, plat::kAudioFormatLinearPCM,
        plat::kAudioFormatFlagIsSignedInteger | plat::kAudioFormatFlagIsPacked, 2, 1, 2, 1, 16};
    for (int i = 0; i < 10; ++i) {
        source.send(kColours[i % 4], MediaTime::make(i, 10));
        std::vector<int16_t> samples(4410);
        for (size_t s = 0; s < samples.size(); ++s)
            samples[s] = int16_t(std::lrint(16000 * std::sin(2 * M_PI * 440 * double(i * 4410 + int(s)) / 44100)));
        plat::Data bytes(samples.size() * 2);
        std::memcpy(bytes.data(), samples.data(), bytes.size());
        writer->processAudioBuffer(
            plat::SampleBuffer::createLinearPCM(mono16, MediaTime::make(i * 4410, 44100), 4410, std::move(bytes)));
    }
    finish(*writer);
    ASSERT_EQ(writer->assetWriter()->status(), plat::AssetWriterStatus::Completed)
        << writer->assetWriter()->error()->description();
    auto probe = plat::test::probeMedia(folder.path("sound.mov"));
    ASSERT_EQ(probe.exitCode, 0) << probe.output;
    EXPECT_EQ(probe.stream("video")["codec_name"], "h264");
    auto audio = probe.stream("audio");
    EXPECT_EQ(audio["codec_name"], "aac");
    EXPECT_EQ(audio["channels"], "1");
    EXPECT_NEAR(std::stod(audio["duration"]), 1.0, 0.05);
}

// What a crash leaves: the file as it is on disk while the writer still
// holds it, never finished.
TEST(GLImageMovieWriter, ARecordingCutShortPlaysUpToItsLastWholeSecond)
{
    plat::test::TemporaryFolder folder;
    auto writer = zt::GLImageMovieWriter::initWithMovieURL(
        plat::URL::fileURLWithPath(folder.path("cut.mov")), {kWidth, kHeight}, plat::kFileTypeQuickTimeMovie, kOffline);
    ColourSource source;
    source.input->addTarget(writer);
    writer->startRecording();
    // Twelve seconds at ten pictures a second. An append returns once the
    // writer holds at most two pictures, and the encoder keeps under fifty
    // to look ahead: the pictures of the first five seconds and more are in
    // the file.
    constexpr int kPictures = 120;
    for (int i = 0; i < kPictures; ++i)
        source.send(kColours[i % 4], MediaTime::make(i, 10));
    auto onDisk = plat::readFile(folder.path("cut.mov"));
    ASSERT_TRUE(onDisk.ok());
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("crashed.mov"), onDisk.value()).ok());
    auto crashed = plat::test::probeMedia(folder.path("crashed.mov"), plat::test::FrameCount::ByDecoding);
    ASSERT_EQ(crashed.exitCode, 0) << crashed.output;
    EXPECT_GE(std::stoi(crashed.stream("video")["nb_read_frames"]), 50);

    // Finished, the movie in fragments holds every picture.
    finish(*writer);
    auto whole = plat::test::probeMedia(folder.path("cut.mov"), plat::test::FrameCount::ByDecoding);
    ASSERT_EQ(whole.exitCode, 0) << whole.output;
    EXPECT_EQ(whole.stream("video")["nb_read_frames"], std::to_string(kPictures));
    EXPECT_NEAR(std::stod(whole.format["duration"]), 12.0, 0.01);
}

TEST(GLImageMovieWriter, SoundIsInvalidatedOnceWrittenWhenAsked)
{
    plat::AudioStreamBasicDescription mono16 {44100, plat::kAudioFormatLinearPCM,
        plat::kAudioFormatFlagIsSignedInteger | plat::kAudioFormatFlagIsPacked, 2, 1, 2, 1, 16};
    for (bool invalidate : {false, true}) {
        plat::test::TemporaryFolder folder;
        auto writer = zt::GLImageMovieWriter::initWithMovieURL(plat::URL::fileURLWithPath(folder.path("sound.mov")),
            {kWidth, kHeight}, plat::kFileTypeQuickTimeMovie, kOffline);
        writer->setHasAudioTrack(true);
        writer->setShouldInvalidateAudioSampleWhenDone(invalidate);
        ColourSource source;
        source.input->addTarget(writer);
        writer->startRecording();
        std::vector<std::shared_ptr<const plat::SampleBuffer>> given;
        for (int i = 0; i < 5; ++i) {
            source.send(kColours[i % 4], MediaTime::make(i, 10));
            given.push_back(plat::SampleBuffer::createLinearPCM(
                mono16, MediaTime::make(i * 4410, 44100), 4410, plat::Data(4410 * 2, 0x10)));
            writer->processAudioBuffer(given.back());
        }
        finish(*writer);
        for (const auto& buffer : given)
            EXPECT_EQ(buffer->isValid(), !invalidate);
        // Invalidated after it was taken in: the sound is in the movie all the same.
        auto probe = plat::test::probeMedia(folder.path("sound.mov"));
        EXPECT_NEAR(std::stod(probe.stream("audio")["duration"]), 0.5, 0.05) << invalidate;
    }
}

TEST(GLImageMovieWriter, AWriterThatCannotBeMadeReportsItsFailureOnceAndRecordsNothing)
{
    plat::test::TemporaryFolder folder;
    auto writer = zt::GLImageMovieWriter::initWithMovieURL(
        plat::URL::fileURLWithPath(folder.path("no/such/folder/movie.mov")), {kWidth, kHeight});
    EXPECT_FALSE(writer->assetWriter());
    ASSERT_TRUE(writer->error());
    int failures = 0;
    writer->setFailureBlock([&](const plat::Error&) { ++failures; });
    ColourSource source;
    source.input->addTarget(writer);
    writer->startRecording();
    writer->startRecording();
    EXPECT_EQ(failures, 1);
    source.send(kColours[0], MediaTime::make(0, 10));
    writer->processAudioBuffer(nullptr);
    // Nothing to finish: the handler still runs, on the context queue.
    plat::Semaphore handled;
    bool onContextQueue = false;
    writer->finishRecordingWithCompletionHandler([&] {
        onContextQueue = zt::GLImageContext::sharedContextQueue().isCurrent();
        handled.signal();
    });
    ASSERT_TRUE(handled.wait(kGenerousTimeoutSeconds));
    EXPECT_TRUE(onContextQueue);
    EXPECT_FALSE(plat::fileExists(folder.path("no/such/folder/movie.mov")));
}

TEST(GLImageMovieWriter, TheEndOfTheSourceCallsTheCompletionBlockOnceElseTellsTheDelegate)
{
    plat::test::TemporaryFolder folder;
    auto writer = zt::GLImageMovieWriter::initWithMovieURL(
        plat::URL::fileURLWithPath(folder.path("end.mov")), {kWidth, kHeight});
    auto delegate = std::make_shared<CountingWriterDelegate>();
    writer->setDelegate(delegate);
    writer->endProcessing();
    EXPECT_EQ(delegate->completed, 1);
    int completions = 0;
    writer->setCompletionBlock([&] { ++completions; });
    writer->endProcessing();
    writer->endProcessing();
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(delegate->completed, 1);
    // A writer never started finishes nothing, and says so through the handler's context.
    plat::Semaphore handled;
    writer->finishRecordingWithCompletionHandler([&] { handled.signal(); });
    ASSERT_TRUE(handled.wait(kGenerousTimeoutSeconds));
    EXPECT_EQ(writer->assetWriter()->status(), plat::AssetWriterStatus::Unknown);
}

TEST(GLImageMovieWriter, TheOrientationAndTagsReachTheFile)
{
    plat::test::TemporaryFolder folder;
    auto writer = zt::GLImageMovieWriter::initWithMovieURL(plat::URL::fileURLWithPath(folder.path("turned.mov")),
        {kWidth, kHeight}, plat::kFileTypeQuickTimeMovie, kOffline);
    writer->setMetaData({{"title", "A turned movie"}});
    ColourSource source;
    source.input->addTarget(writer);
    // A quarter turn clockwise, as a portrait camera's movie is shown.
    writer->startRecordingInOrientation(plat::AffineTransform {0, 1, -1, 0, 0, 0});
    EXPECT_EQ(writer->transform(), (plat::AffineTransform {0, 1, -1, 0, 0, 0}));
    source.send(kColours[0], MediaTime::make(0, 10));
    source.send(kColours[1], MediaTime::make(1, 10));
    finish(*writer);
    auto probe = plat::test::probeMedia(folder.path("turned.mov"));
    ASSERT_EQ(probe.exitCode, 0);
    EXPECT_EQ(probe.stream("video")["rotation"], "-90") << probe.output;
    EXPECT_EQ(probe.format["TAG:title"], "A turned movie");
}
