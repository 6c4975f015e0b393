#include "platform/media/AssetWriter.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Semaphore.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/media/AssetWriterInput.h"
#include "platform/media/AssetWriterInputPixelBufferAdaptor.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/SampleBuffer.h"
#include "support/MediaTools.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::MediaTime;

constexpr double kGenerousTimeoutSeconds = 60;
constexpr int kWidth = 160;
constexpr int kHeight = 96;

struct Colour {
    uint8_t red, green, blue;
};

std::shared_ptr<plat::PixelBuffer> solidPicture(Colour colour)
{
    auto made = plat::PixelBuffer::create(kWidth, kHeight, plat::kPixelFormatType_32ARGB);
    EXPECT_TRUE(made.ok());
    auto buffer = made.value();
    buffer->lockBaseAddress();
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = buffer->baseAddress() + static_cast<size_t>(y) * buffer->bytesPerRow();
        for (int x = 0; x < kWidth; ++x) {
            uint8_t argb[] = {255, colour.red, colour.green, colour.blue};
            std::memcpy(row + x * 4, argb, 4);
        }
    }
    buffer->unlockBaseAddress();
    return buffer;
}

// seconds of a 440 Hz sine at half scale, stereo 16-bit 44.1 kHz, in buffers of framesPerBuffer frames.
std::vector<std::shared_ptr<const plat::SampleBuffer>> sineBuffers(double seconds, int64_t framesPerBuffer = 4410)
{
    plat::AudioStreamBasicDescription format {44100, plat::kAudioFormatLinearPCM,
        plat::kAudioFormatFlagIsSignedInteger | plat::kAudioFormatFlagIsPacked, 4, 1, 4, 2, 16};
    std::vector<std::shared_ptr<const plat::SampleBuffer>> buffers;
    int64_t total = static_cast<int64_t>(seconds * 44100);
    for (int64_t first = 0; first < total; first += framesPerBuffer) {
        int64_t count = std::min<int64_t>(framesPerBuffer, total - first);
        std::vector<int16_t> samples(static_cast<size_t>(count) * 2);
        for (int64_t i = 0; i < count; ++i) {
            auto value = static_cast<int16_t>(
                std::lrint(16383.0 * std::sin(2 * M_PI * 440 * static_cast<double>(first + i) / 44100)));
            samples[static_cast<size_t>(i) * 2] = value;
            samples[static_cast<size_t>(i) * 2 + 1] = value;
        }
        plat::Data bytes(samples.size() * 2);
        std::memcpy(bytes.data(), samples.data(), bytes.size());
        buffers.push_back(
            plat::SampleBuffer::createLinearPCM(format, MediaTime::make(first, 44100), count, std::move(bytes)));
    }
    return buffers;
}

plat::Dictionary videoSettings(int width, int height)
{
    return plat::Dictionary {
        {plat::kVideoCodecKey, plat::kVideoCodecH264},
        {plat::kVideoWidthKey, width},
        {plat::kVideoHeightKey, height},
        {plat::kVideoCompressionPropertiesKey,
            plat::Dictionary {{plat::kVideoAverageBitRateKey, 1000000}, {plat::kVideoAllowFrameReorderingKey, false},
                {plat::kVideoProfileLevelKey, plat::kVideoProfileLevelH264HighAutoLevel}}},
    };
}

class MovieWriting : public ::testing::Test {
protected:
    std::shared_ptr<plat::AssetWriter> makeWriter(const std::string& name)
    {
        std::optional<plat::Error> error;
        auto made = plat::AssetWriter::assetWriterWithURL(
            plat::URL::fileURLWithPath(folder.path(name)), plat::kFileTypeQuickTimeMovie, &error);
        EXPECT_TRUE(made) << (error ? error->description() : "");
        return made;
    }

    // A writer with a picture input (through an adaptor) and a sound input added.
    struct PicturesAndSound {
        std::shared_ptr<plat::AssetWriter> writer;
        std::shared_ptr<plat::AssetWriterInput> video;
        std::shared_ptr<plat::AssetWriterInput> audio;
        std::shared_ptr<plat::AssetWriterInputPixelBufferAdaptor> adaptor;
    };
    PicturesAndSound makePicturesAndSoundWriter(const std::string& name)
    {
        PicturesAndSound made {makeWriter(name),
            plat::AssetWriterInput::assetWriterInputWithMediaType(
                plat::kMediaTypeVideo, videoSettings(kWidth, kHeight)),
            plat::AssetWriterInput::assetWriterInputWithMediaType(plat::kMediaTypeAudio, std::nullopt), nullptr};
        made.adaptor = plat::AssetWriterInputPixelBufferAdaptor::assetWriterInputPixelBufferAdaptorWithAssetWriterInput(
            made.video, std::nullopt);
        made.writer->addInput(made.video);
        made.writer->addInput(made.audio);
        return made;
    }

    plat::test::TemporaryFolder folder;
    std::shared_ptr<plat::DispatchQueue> videoQueue = plat::DispatchQueue::create("test.video");
    std::shared_ptr<plat::DispatchQueue> audioQueue = plat::DispatchQueue::create("test.audio");
};

TEST_F(MovieWriting, PicturesAndSoundBecomeAQuickTimeMovieThatFFmpegReads)
{
    auto writer = makeWriter("movie.mov");
    auto video
        = plat::AssetWriterInput::assetWriterInputWithMediaType(plat::kMediaTypeVideo, videoSettings(kWidth, kHeight));
    auto audio = plat::AssetWriterInput::assetWriterInputWithMediaType(plat::kMediaTypeAudio, std::nullopt);
    ASSERT_TRUE(video && audio);
    auto adaptor = plat::AssetWriterInputPixelBufferAdaptor::assetWriterInputPixelBufferAdaptorWithAssetWriterInput(
        video, std::nullopt);
    EXPECT_TRUE(writer->canAddInput(video));
    writer->addInput(video);
    writer->addInput(audio);
    EXPECT_FALSE(writer->canAddInput(video));
    ASSERT_TRUE(writer->startWriting());
    writer->startSessionAtSourceTime(MediaTime::zero());
    EXPECT_FALSE(adaptor->pixelBufferPool());  // no source attributes

    const Colour colours[] = {{230, 30, 30}, {30, 200, 30}, {30, 30, 230}};
    std::atomic<int> nextPicture = 0;
    std::atomic<int> videoCalls = 0;
    plat::Semaphore bothFinished;
    video->requestMediaDataWhenReadyOnQueue(videoQueue, [&] {
        ++videoCalls;
        while (video->isReadyForMoreMediaData()) {
            int index = nextPicture++;
            ASSERT_TRUE(adaptor->appendPixelBuffer(solidPicture(colours[index]), MediaTime::make(index, 5)));
            if (index == 2) {
                video->markAsFinished();
                bothFinished.signal();
                return;
            }
        }
    });
    auto sound = sineBuffers(0.6);
    std::atomic<size_t> nextSound = 0;
    audio->requestMediaDataWhenReadyOnQueue(audioQueue, [&] {
        while (audio->isReadyForMoreMediaData()) {
            size_t index = nextSound++;
            if (index == sound.size()) {
                audio->markAsFinished();
                bothFinished.signal();
                return;
            }
            ASSERT_TRUE(audio->appendSampleBuffer(sound[index]));
        }
    });
    ASSERT_TRUE(bothFinished.wait(kGenerousTimeoutSeconds));
    ASSERT_TRUE(bothFinished.wait(kGenerousTimeoutSeconds));
    EXPECT_FALSE(video->isReadyForMoreMediaData());
    EXPECT_FALSE(adaptor->appendPixelBuffer(solidPicture(colours[0]), MediaTime::make(3, 5)));

    writer->endSessionAtSourceTime(MediaTime::make(3, 5));
    plat::Semaphore finished;
    writer->finishWritingWithCompletionHandler([&] { finished.signal(); });
    ASSERT_TRUE(finished.wait(kGenerousTimeoutSeconds));
    ASSERT_EQ(writer->status(), plat::AssetWriterStatus::Completed) << writer->error()->description();
    EXPECT_GE(videoCalls.load(), 1);

    auto probe = plat::test::probeMedia(folder.path("movie.mov"), plat::test::FrameCount::ByDecoding);
    ASSERT_EQ(probe.exitCode, 0) << probe.output;
    EXPECT_NE(probe.format["format_name"].find("mov"), std::string::npos);
    auto pictures = probe.stream("video");
    EXPECT_EQ(pictures["codec_name"], "h264");
    EXPECT_EQ(pictures["profile"], "High");
    EXPECT_EQ(pictures["width"], "160");
    EXPECT_EQ(pictures["height"], "96");
    EXPECT_EQ(pictures["nb_read_frames"], "3");
    EXPECT_EQ(pictures["r_frame_rate"], "5/1");
    EXPECT_EQ(pictures["has_b_frames"], "0");
    // The last picture lasts until the session's end.
    EXPECT_NEAR(std::stod(pictures["duration"]), 0.6, 1e-6);
    auto samples = probe.stream("audio");
    EXPECT_EQ(samples["codec_name"], "pcm_s16le");
    EXPECT_EQ(samples["sample_rate"], "44100");
    EXPECT_EQ(samples["channels"], "2");
    EXPECT_NEAR(std::stod(samples["duration"]), 0.6, 1e-6);

    auto frames = plat::test::decodeVideoWithFFmpeg(folder.path(), folder.path("movie.mov"), kWidth, kHeight);
    ASSERT_EQ(frames.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const uint8_t* centre = frames[i].data() + (static_cast<size_t>(kHeight / 2) * kWidth + kWidth / 2) * 3;
        EXPECT_NEAR(centre[0], colours[i].red, 8) << i;
        EXPECT_NEAR(centre[1], colours[i].green, 8) << i;
        EXPECT_NEAR(centre[2], colours[i].blue, 8) << i;
    }
    auto decoded = plat::test::decodeAudioWithFFmpeg(folder.path(), folder.path("movie.mov"), 44100, 2);
    EXPECT_EQ(decoded.size(), 26460u * 2);
    EXPECT_NEAR(plat::test::peakLevel(decoded, 44100, 2, 0, 0.6), 0.5, 0.001);
}

TEST_F(MovieWriting, AnInputMoreThanASecondAheadWaitsForTheOthers)
{
    auto [writer, video, audio, adaptor] = makePicturesAndSoundWriter("interleaved.mov");
    EXPECT_FALSE(audio->isReadyForMoreMediaData());  // not writing yet
    ASSERT_TRUE(writer->startWriting());
    writer->startSessionAtSourceTime(MediaTime::zero());
    ASSERT_TRUE(adaptor->appendPixelBuffer(solidPicture({0, 0, 0}), MediaTime::zero()));
    // Sound in quarter seconds: up to 1.0 s it may run ahead of the picture at 0.
    auto quarters = sineBuffers(1.25, 11025);
    ASSERT_EQ(quarters.size(), 5u);
    for (size_t i = 0; i < 4; ++i)
        ASSERT_TRUE(audio->appendSampleBuffer(quarters[i]));
    EXPECT_TRUE(audio->isReadyForMoreMediaData());
    ASSERT_TRUE(audio->appendSampleBuffer(quarters[4]));
    EXPECT_FALSE(audio->isReadyForMoreMediaData());
    // The picture catching up lets the sound go on.
    ASSERT_TRUE(adaptor->appendPixelBuffer(solidPicture({0, 0, 0}), MediaTime::make(1, 2)));
    EXPECT_TRUE(audio->isReadyForMoreMediaData());
    writer->cancelWriting();
}

// The encoder waits for a second picture to learn the rate: a lone one is
// written when its input is finished, lasting until the session's end,
// beside the sound that goes on after it.
TEST_F(MovieWriting, ALonePictureBesideLongerSoundBecomesAMovieOfThatPicture)
{
    auto [writer, video, audio, adaptor] = makePicturesAndSoundWriter("lone.mov");
    ASSERT_TRUE(writer->startWriting());
    writer->startSessionAtSourceTime(MediaTime::zero());
    ASSERT_TRUE(adaptor->appendPixelBuffer(solidPicture({230, 30, 30}), MediaTime::zero()));
    video->markAsFinished();
    for (const auto& buffer : sineBuffers(2.0)) {
        ASSERT_TRUE(audio->waitUntilReadyForMoreMediaData());
        ASSERT_TRUE(audio->appendSampleBuffer(buffer));
    }
    writer->endSessionAtSourceTime(MediaTime::make(2, 1));
    plat::Semaphore finished;
    writer->finishWritingWithCompletionHandler([&] { finished.signal(); });
    ASSERT_TRUE(finished.wait(kGenerousTimeoutSeconds));
    ASSERT_EQ(writer->status(), plat::AssetWriterStatus::Completed) << writer->error()->description();

    auto probe = plat::test::probeMedia(folder.path("lone.mov"), plat::test::FrameCount::ByDecoding);
    ASSERT_EQ(probe.exitCode, 0) << probe.output;
    EXPECT_EQ(probe.stream("video")["nb_read_frames"], "1");
    EXPECT_NEAR(std::stod(probe.stream("video")["duration"]), 2.0, 1e-6);
    EXPECT_NEAR(std::stod(probe.stream("audio")["duration"]), 2.0, 1e-6);
    auto frames = plat::test::decodeVideoWithFFmpeg(folder.path(), folder.path("lone.mov"), kWidth, kHeight);
    ASSERT_EQ(frames.size(), 1u);
    const uint8_t* centre = frames[0].data() + (static_cast<size_t>(kHeight / 2) * kWidth + kWidth / 2) * 3;
    EXPECT_NEAR(centre[0], 230, 8);
    EXPECT_NEAR(centre[1], 30, 8);
    EXPECT_NEAR(centre[2], 30, 8);
}

// Pictures written with their times in a timescale, from the session's
// start, into a movie of video alone; the session ends at end, if given.
void writePictures(plat::AssetWriter& writer, plat::AssetWriterInputPixelBufferAdaptor& adaptor,
    const std::vector<MediaTime>& times, std::optional<MediaTime> end)
{
    ASSERT_TRUE(writer.startWriting());
    writer.startSessionAtSourceTime(times.front());
    if (end)
        writer.endSessionAtSourceTime(*end);
    for (const MediaTime& time : times) {
        ASSERT_TRUE(adaptor.assetWriterInput()->waitUntilReadyForMoreMediaData());
        ASSERT_TRUE(adaptor.appendPixelBuffer(solidPicture({230, 30, 30}), time));
    }
    plat::Semaphore finished;
    writer.finishWritingWithCompletionHandler([&] { finished.signal(); });
    ASSERT_TRUE(finished.wait(kGenerousTimeoutSeconds));
    ASSERT_EQ(writer.status(), plat::AssetWriterStatus::Completed) << writer.error()->description();
}

class PictureRates : public MovieWriting {
protected:
    std::string writeMovie(const std::string& name, const std::vector<MediaTime>& times, std::optional<MediaTime> end)
    {
        auto writer = makeWriter(name);
        auto video = plat::AssetWriterInput::assetWriterInputWithMediaType(
            plat::kMediaTypeVideo, videoSettings(kWidth, kHeight));
        auto adaptor = plat::AssetWriterInputPixelBufferAdaptor::assetWriterInputPixelBufferAdaptorWithAssetWriterInput(
            video, std::nullopt);
        writer->addInput(video);
        writePictures(*writer, *adaptor, times, end);
        return folder.path(name);
    }
};

// The stream's own timing gives the picture rate, as ffmpeg writes it, so
// the video copied out of the movie plays at that rate; the movie keeps the
// timescale of the picture times (whole seconds give 600), which the muxer
// doubles up to at least 10000.
TEST_F(PictureRates, TheStreamCarriesItsPictureRateWhateverTheMoviesTimescale)
{
    struct Row {
        int32_t timescale;
        int64_t ticksPerPicture;
        plat::test::H264Timing timing;
        const char* movieTimeBase;
        const char* frameRate;
    };
    const Row rows[] = {
        {1, 1, {1, 2}, "1/19200", "1/1"},
        {5, 1, {1, 10}, "1/10240", "5/1"},
        {30, 1, {1, 60}, "1/15360", "30/1"},
        {600, 25, {1, 48}, "1/19200", "24/1"},
        {600, 24, {1, 50}, "1/19200", "25/1"},
        {30000, 1001, {1001, 60000}, "1/30000", "30000/1001"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.frameRate) + " a second");
        const std::string name = std::to_string(row.timescale) + "-" + std::to_string(row.ticksPerPicture) + ".mov";
        std::vector<MediaTime> times;
        for (int64_t i = 0; i < 3; ++i)
            times.push_back(MediaTime::make(i * row.ticksPerPicture, row.timescale));
        const std::string path = writeMovie(name, times, MediaTime::make(3 * row.ticksPerPicture, row.timescale));
        EXPECT_EQ(plat::test::h264TimingWithFFmpeg(folder.path(), path), row.timing);
        auto video = plat::test::probeMedia(path).stream("video");
        EXPECT_EQ(video["time_base"], row.movieTimeBase);
        EXPECT_EQ(video["r_frame_rate"], row.frameRate);
        EXPECT_NEAR(std::stod(video["duration"]), 3.0 * double(row.ticksPerPicture) / row.timescale, 1e-6);
    }
}

// A lone picture is planned as lasting until the session's end, wherever
// the session starts; with no end it stands for a second.
TEST_F(PictureRates, ALonePictureIsPlannedForAsLongAsItLasts)
{
    struct Row {
        const char* name;
        MediaTime start;
        std::optional<MediaTime> end;
        plat::test::H264Timing timing;
        double seconds;
    };
    const Row rows[] = {
        {"two seconds", MediaTime::zero(), MediaTime::make(2, 1), {2, 2}, 2.0},
        {"two seconds from ten", MediaTime::make(10, 1), MediaTime::make(12, 1), {2, 2}, 2.0},
        {"a fifth of a second", MediaTime::zero(), MediaTime::make(1, 5), {1, 10}, 0.2},
        {"no end", MediaTime::zero(), std::nullopt, {1, 2}, 1.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = writeMovie(std::string(row.name) + ".mov", {row.start}, row.end);
        EXPECT_EQ(plat::test::h264TimingWithFFmpeg(folder.path(), path), row.timing);
        auto video = plat::test::probeMedia(path, plat::test::FrameCount::ByDecoding).stream("video");
        EXPECT_EQ(video["nb_read_frames"], "1");
        EXPECT_NEAR(std::stod(video["duration"]), row.seconds, 1e-6);
    }
}

TEST_F(MovieWriting, WritersAreRefusedWhereTheyCannotWrite)
{
    std::optional<plat::Error> error;
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("taken.mov"), std::string("old")).ok());
    EXPECT_FALSE(plat::AssetWriter::assetWriterWithURL(
        plat::URL::fileURLWithPath(folder.path("taken.mov")), plat::kFileTypeQuickTimeMovie, &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), plat::kMediaErrorFileAlreadyExists);
    error.reset();
    EXPECT_FALSE(plat::AssetWriter::assetWriterWithURL(
        plat::URL::fileURLWithPath(folder.path("no/such/folder.mov")), plat::kFileTypeQuickTimeMovie, &error));
    EXPECT_TRUE(error);
    error.reset();
    EXPECT_FALSE(plat::AssetWriter::assetWriterWithURL(
        plat::URL::fileURLWithPath(folder.path("movie.xyz")), "public.xyz", &error));
    EXPECT_TRUE(error);
    // Audio-only file types take no video.
    auto sound = plat::AssetWriter::assetWriterWithURL(
        plat::URL::fileURLWithPath(folder.path("s.caf")), plat::kFileTypeCoreAudioFormat, &error);
    ASSERT_TRUE(sound);
    EXPECT_FALSE(sound->canAddInput(
        plat::AssetWriterInput::assetWriterInputWithMediaType(plat::kMediaTypeVideo, videoSettings(kWidth, kHeight))));
}

TEST_F(MovieWriting, UnsupportedVideoSettingsMakeNoInput)
{
    EXPECT_FALSE(plat::AssetWriterInput::assetWriterInputWithMediaType(plat::kMediaTypeVideo, videoSettings(161, 96)));
    auto other = videoSettings(kWidth, kHeight);
    other.set(plat::kVideoCodecKey, "jpeg");
    EXPECT_FALSE(plat::AssetWriterInput::assetWriterInputWithMediaType(plat::kMediaTypeVideo, other));
    EXPECT_FALSE(plat::AssetWriterInput::assetWriterInputWithMediaType(plat::kMediaTypeVideo, std::nullopt));
}

TEST_F(MovieWriting, FinishingWithoutMediaFails)
{
    auto writer = makeWriter("empty.mov");
    auto audio = plat::AssetWriterInput::assetWriterInputWithMediaType(plat::kMediaTypeAudio, std::nullopt);
    writer->addInput(audio);
    ASSERT_TRUE(writer->startWriting());
    writer->startSessionAtSourceTime(MediaTime::zero());
    plat::Semaphore finished;
    writer->finishWritingWithCompletionHandler([&] { finished.signal(); });
    ASSERT_TRUE(finished.wait(kGenerousTimeoutSeconds));
    EXPECT_EQ(writer->status(), plat::AssetWriterStatus::Failed);
    ASSERT_TRUE(writer->error());
    EXPECT_EQ(writer->error()->code(), plat::kMediaErrorNoDataAppended);
}

TEST_F(MovieWriting, CancellingStopsTheInputsAndKeepsThePartialFile)
{
    auto writer = makeWriter("cancelled.mov");
    auto video
        = plat::AssetWriterInput::assetWriterInputWithMediaType(plat::kMediaTypeVideo, videoSettings(kWidth, kHeight));
    auto adaptor = plat::AssetWriterInputPixelBufferAdaptor::assetWriterInputPixelBufferAdaptorWithAssetWriterInput(
        video, std::nullopt);
    writer->addInput(video);
    ASSERT_TRUE(writer->startWriting());
    writer->startSessionAtSourceTime(MediaTime::zero());
    ASSERT_TRUE(adaptor->appendPixelBuffer(solidPicture({0, 0, 0}), MediaTime::zero()));
    writer->cancelWriting();
    EXPECT_EQ(writer->status(), plat::AssetWriterStatus::Cancelled);
    EXPECT_FALSE(video->isReadyForMoreMediaData());
    EXPECT_FALSE(adaptor->appendPixelBuffer(solidPicture({0, 0, 0}), MediaTime::make(1, 5)));
    EXPECT_TRUE(plat::fileExists(folder.path("cancelled.mov")));
}

TEST_F(MovieWriting, PoolsHandOutBuffersOfTheSourceAttributesOnceWriting)
{
    auto writer = makeWriter("pool.mov");
    auto video
        = plat::AssetWriterInput::assetWriterInputWithMediaType(plat::kMediaTypeVideo, videoSettings(kWidth, kHeight));
    auto adaptor = plat::AssetWriterInputPixelBufferAdaptor::assetWriterInputPixelBufferAdaptorWithAssetWriterInput(
        video, plat::Dictionary {{plat::kPixelBufferPixelFormatTypeKey, plat::kPixelFormatType_32BGRA}});
    writer->addInput(video);
    EXPECT_FALSE(adaptor->pixelBufferPool());
    ASSERT_TRUE(writer->startWriting());
    auto pool = adaptor->pixelBufferPool();
    ASSERT_TRUE(pool);
    auto buffer = pool->createPixelBuffer();
    ASSERT_TRUE(buffer.ok());
    EXPECT_EQ(buffer.value()->width(), kWidth);
    EXPECT_EQ(buffer.value()->pixelFormatType(), plat::kPixelFormatType_32BGRA);
    writer->cancelWriting();
}

TEST(PixelBuffer, MemoryIsReachableOnlyWhileLockedAndPoolsReuseIt)
{
    EXPECT_FALSE(plat::PixelBuffer::create(16, 16, 0x79757632).ok());  // 'yuv2'
    EXPECT_FALSE(plat::PixelBuffer::create(0, 16, plat::kPixelFormatType_32ARGB).ok());
    auto made = plat::PixelBufferPool::create(100, 10, plat::kPixelFormatType_32ARGB);
    ASSERT_TRUE(made.ok());
    auto first = made.value()->createPixelBuffer().value();
    EXPECT_EQ(first->baseAddress(), nullptr);
    first->lockBaseAddress();
    uint8_t* memory = first->baseAddress();
    ASSERT_NE(memory, nullptr);
    // Rows are padded to 64 bytes: 400 bytes of pixels take 448.
    EXPECT_EQ(first->bytesPerRow(), 448u);
    first->unlockBaseAddress();
    first.reset();
    auto second = made.value()->createPixelBuffer().value();
    second->lockBaseAddress();
    EXPECT_EQ(second->baseAddress(), memory);
    second->unlockBaseAddress();
}

}  // namespace

namespace {

// Orange (255, 128, 0) as 4:2:0 planes of the format with its matrix attached.
std::shared_ptr<plat::PixelBuffer> orangePlanes(uint32_t format, const char* matrix, uint8_t y, uint8_t cb, uint8_t cr)
{
    auto made = plat::PixelBuffer::create(kWidth, kHeight, format);
    EXPECT_TRUE(made.ok());
    auto buffer = made.value();
    buffer->setYCbCrMatrix(matrix);
    buffer->lockBaseAddress();
    for (int row = 0; row < buffer->heightOfPlane(0); ++row)
        std::memset(buffer->baseAddressOfPlane(0) + buffer->bytesPerRowOfPlane(0) * size_t(row), y, kWidth);
    for (int row = 0; row < buffer->heightOfPlane(1); ++row) {
        uint8_t* pairs = buffer->baseAddressOfPlane(1) + buffer->bytesPerRowOfPlane(1) * size_t(row);
        for (int x = 0; x < buffer->widthOfPlane(1); ++x) {
            pairs[x * 2] = cb;
            pairs[x * 2 + 1] = cr;
        }
    }
    buffer->unlockBaseAddress();
    return buffer;
}

}  // namespace

TEST_F(MovieWriting, PlanesOfEitherRangeAndMatrixAreEncodedAsTheColoursTheyHold)
{
    auto writer = makeWriter("planes.mov");
    auto video
        = plat::AssetWriterInput::assetWriterInputWithMediaType(plat::kMediaTypeVideo, videoSettings(kWidth, kHeight));
    auto adaptor = plat::AssetWriterInputPixelBufferAdaptor::assetWriterInputPixelBufferAdaptorWithAssetWriterInput(
        video, std::nullopt);
    writer->addInput(video);
    ASSERT_TRUE(writer->startWriting());
    writer->startSessionAtSourceTime(MediaTime::zero());
    ASSERT_TRUE(adaptor->appendPixelBuffer(orangePlanes(plat::kPixelFormatType_420YpCbCr8BiPlanarVideoRange,
                                               plat::kCVImageBufferYCbCrMatrix_ITU_R_601_4, 146, 53, 193),
        MediaTime::zero()));
    ASSERT_TRUE(adaptor->appendPixelBuffer(orangePlanes(plat::kPixelFormatType_420YpCbCr8BiPlanarFullRange,
                                               plat::kCVImageBufferYCbCrMatrix_ITU_R_709_2, 146, 49, 197),
        MediaTime::make(1, 5)));
    video->markAsFinished();
    plat::Semaphore finished;
    writer->finishWritingWithCompletionHandler([&] { finished.signal(); });
    ASSERT_TRUE(finished.wait(kGenerousTimeoutSeconds));
    ASSERT_EQ(writer->status(), plat::AssetWriterStatus::Completed) << writer->error()->description();

    auto frames = plat::test::decodeVideoWithFFmpeg(folder.path(), folder.path("planes.mov"), kWidth, kHeight);
    ASSERT_EQ(frames.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const uint8_t* centre = frames[i].data() + (static_cast<size_t>(kHeight / 2) * kWidth + kWidth / 2) * 3;
        EXPECT_NEAR(centre[0], 255, 8) << i;
        EXPECT_NEAR(centre[1], 128, 8) << i;
        EXPECT_NEAR(centre[2], 0, 8) << i;
    }
}
