#include "platform/media/H264Encoder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <malloc.h>
#include <numeric>
#include <sched.h>
#include <sstream>
#include <thread>

extern "C" {
#include <libavcodec/packet.h>
}

#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Semaphore.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/media/AssetWriter.h"
#include "platform/media/AssetWriterInput.h"
#include "platform/media/AssetWriterInputPixelBufferAdaptor.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/VideoStreamDecoder.h"
#include "support/MediaTools.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::MediaTime;

// A detailed texture under heavy grain that changes every picture: the kind
// of movie whose first pictures a rate control that waits to see the movie
// spends far too much on.
std::shared_ptr<plat::PixelBuffer> grainyPicture(int width, int height, int index)
{
    auto buffer = plat::PixelBuffer::create(width, height, plat::kPixelFormatType_32BGRA).value();
    buffer->lockBaseAddress();
    uint32_t noise = 2654435761u * static_cast<uint32_t>(index + 1);
    for (int y = 0; y < height; ++y) {
        uint8_t* pixel = buffer->baseAddress() + static_cast<size_t>(y) * buffer->bytesPerRow();
        for (int x = 0; x < width; ++x, pixel += 4) {
            noise = noise * 1664525u + 1013904223u;
            const double grain = static_cast<double>(noise >> 24) / 255.0 * 80.0 - 40.0;
            const double texture = 128 + 60 * std::sin((x + 3 * index) * 0.31) * std::cos(y * 0.23 + index * 0.1);
            for (int channel = 0; channel < 3; ++channel)
                pixel[channel] = static_cast<uint8_t>(std::clamp(texture + grain + channel * 20, 0.0, 255.0));
            pixel[3] = 255;
        }
    }
    buffer->unlockBaseAddress();
    return buffer;
}

struct Packet {
    double seconds;
    int64_t bytes;
};

std::vector<Packet> videoPackets(const std::string& path)
{
    auto run = plat::test::runCommand(plat::deletingLastPathComponent(path),
        {"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries", "packet=pts_time,size", "-of", "csv=p=0",
            path});
    std::vector<Packet> packets;
    std::istringstream lines(run.output);
    std::string line;
    while (std::getline(lines, line)) {
        Packet packet {};
        char comma = 0;
        std::istringstream fields(line);
        if (fields >> packet.seconds >> comma >> packet.bytes)
            packets.push_back(packet);
    }
    return packets;
}

// The same grain as a camera's bi-planar picture in video range: the
// encoder takes its planes as they are, so a decoded picture can be held
// against this one's luminance.
std::shared_ptr<plat::PixelBuffer> grainyBiPlanarPicture(int width, int height, int index)
{
    auto buffer = plat::PixelBuffer::create(width, height, plat::kPixelFormatType_420YpCbCr8BiPlanarVideoRange).value();
    buffer->lockBaseAddress();
    uint32_t noise = 2654435761u * static_cast<uint32_t>(index + 1);
    for (int y = 0; y < height; ++y) {
        uint8_t* luma = buffer->baseAddressOfPlane(0) + static_cast<size_t>(y) * buffer->bytesPerRowOfPlane(0);
        for (int x = 0; x < width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const double grain = static_cast<double>(noise >> 24) / 255.0 * 60.0 - 30.0;
            const double texture = 126 + 50 * std::sin((x + 3 * index) * 0.31) * std::cos(y * 0.23 + index * 0.1);
            luma[x] = static_cast<uint8_t>(std::clamp(texture + grain, 16.0, 235.0));
        }
    }
    for (int y = 0; y < height / 2; ++y) {
        uint8_t* chroma = buffer->baseAddressOfPlane(1) + static_cast<size_t>(y) * buffer->bytesPerRowOfPlane(1);
        for (int x = 0; x < width / 2; ++x) {
            chroma[2 * x] = static_cast<uint8_t>(128 + 20 * std::sin(x * 0.05 + y * 0.03));
            chroma[2 * x + 1] = static_cast<uint8_t>(128 + 20 * std::cos(x * 0.04 - y * 0.02));
        }
    }
    buffer->unlockBaseAddress();
    return buffer;
}

struct EncodedStream {
    std::vector<uint8_t> bytes;
    std::vector<int64_t> packetBytes;
};

using PictureSource = std::function<std::shared_ptr<plat::PixelBuffer>(int)>;

// The pictures encoded as the movie export asks (H.264 High, no reordering,
// an average rate), 12 a second, with the parameter sets in the stream.
EncodedStream encodePictures(int width, int height, int64_t averageBitRate, int count, const PictureSource& picture,
    int64_t maxKeyFrameInterval = 0)
{
    EncodedStream stream;
    plat::detail::H264Encoder encoder({width, height, averageBitRate, false, maxKeyFrameInterval, "high"},
        plat::detail::H264Encoder::ParameterSets::InStream);
    EXPECT_TRUE(encoder.open(1, 12, 12).ok());
    auto keep = [&](plat::detail::EncodedPacket packet) -> plat::Result<void> {
        stream.bytes.insert(stream.bytes.end(), packet->data, packet->data + packet->size);
        stream.packetBytes.push_back(packet->size);
        return {};
    };
    for (int i = 0; i < count; ++i)
        EXPECT_TRUE(encoder.encode(*picture(i), static_cast<int64_t>(i), keep).ok());
    EXPECT_TRUE(encoder.flush(keep).ok());
    return stream;
}

EncodedStream encodePictures(int width, int height, int64_t averageBitRate,
    const std::vector<std::shared_ptr<plat::PixelBuffer>>& pictures, int64_t maxKeyFrameInterval = 0)
{
    return encodePictures(
        width, height, averageBitRate, static_cast<int>(pictures.size()), [&](int i) { return pictures[size_t(i)]; },
        maxKeyFrameInterval);
}

std::vector<std::shared_ptr<plat::PixelBuffer>> grainyPictures(int width, int height, int count)
{
    std::vector<std::shared_ptr<plat::PixelBuffer>> pictures;
    for (int i = 0; i < count; ++i)
        pictures.push_back(grainyPicture(width, height, i));
    return pictures;
}

// The first count of the processors this thread may use.
cpu_set_t firstProcessors(int count)
{
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    EXPECT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
    cpu_set_t chosen;
    CPU_ZERO(&chosen);
    for (int processor = 0, taken = 0; processor < CPU_SETSIZE && taken < count; ++processor) {
        if (CPU_ISSET(processor, &allowed)) {
            CPU_SET(processor, &chosen);
            ++taken;
        }
    }
    return chosen;
}

// Runs work on a thread of its own on the given processors: libx264 takes
// as many threads as the processors of the thread that opens it call for.
void onProcessors(const cpu_set_t& processors, const std::function<void()>& work)
{
    std::thread worker([&] {
        ASSERT_EQ(sched_setaffinity(0, sizeof processors, &processors), 0);
        work();
    });
    worker.join();
}

// Pictures written at a rate (12 a second unless told) into a QuickTime
// movie by the asset writer, with the movie export's compression (High
// profile, no reordering, an average rate), their times in the rate's
// timescale as the export gives them.
void writeMovie(const std::string& path, int width, int height, int64_t averageBitRate, int pictures,
    const std::function<std::shared_ptr<plat::PixelBuffer>(int)>& picture, int32_t picturesPerSecond = 12)
{
    std::optional<plat::Error> error;
    auto writer = plat::AssetWriter::assetWriterWithURL(
        plat::URL::fileURLWithPath(path), plat::kFileTypeQuickTimeMovie, &error);
    ASSERT_TRUE(writer);
    auto video = plat::AssetWriterInput::assetWriterInputWithMediaType(plat::kMediaTypeVideo,
        plat::Dictionary {{plat::kVideoCodecKey, plat::kVideoCodecH264}, {plat::kVideoWidthKey, width},
            {plat::kVideoHeightKey, height},
            {plat::kVideoCompressionPropertiesKey,
                plat::Dictionary {{plat::kVideoAverageBitRateKey, averageBitRate},
                    {plat::kVideoAllowFrameReorderingKey, false},
                    {plat::kVideoProfileLevelKey, plat::kVideoProfileLevelH264HighAutoLevel}}}});
    auto adaptor = plat::AssetWriterInputPixelBufferAdaptor::assetWriterInputPixelBufferAdaptorWithAssetWriterInput(
        video, std::nullopt);
    writer->addInput(video);
    ASSERT_TRUE(writer->startWriting());
    writer->startSessionAtSourceTime(MediaTime::zero());
    for (int i = 0; i < pictures; ++i) {
        ASSERT_TRUE(video->waitUntilReadyForMoreMediaData());
        ASSERT_TRUE(adaptor->appendPixelBuffer(picture(i), MediaTime::make(i, picturesPerSecond)));
    }
    writer->endSessionAtSourceTime(MediaTime::make(pictures, picturesPerSecond));
    plat::Semaphore finished;
    writer->finishWritingWithCompletionHandler([&] { finished.signal(); });
    ASSERT_TRUE(finished.wait(120));
    ASSERT_EQ(writer->status(), plat::AssetWriterStatus::Completed);
}

}  // namespace

// Worked from the level limits of the H.264 standard (High allows 1.25 times
// the peak rate and buffer of Main).
TEST(H264RateLimits, TheLowestLevelThatHoldsTheMovieBoundsPeakAndBuffer)
{
    struct Row {
        int width, height;
        double framesPerSecond;
        int64_t averageBitRate;
        const char* profile;
        plat::detail::H264RateLimits expected;
    };
    const Row rows[] = {
        // Twice the average, a second of it.
        {1280, 720, 12, 7500000, "high", {31, 15000000, 7500000}},
        {1920, 1080, 5, 10000000, "high", {40, 20000000, 10000000}},
        {3840, 2160, 5, 45000000, "high", {51, 90000000, 45000000}},
        // Where the level allows less than that, the level's own.
        {1280, 720, 30, 10000000, "high", {31, 17500000, 10000000}},
        // No asked rate: the level's peak and buffer; 60 pictures a second need level 3.2.
        {1280, 720, 60, 0, "main", {32, 20000000, 20000000}},
        // An asked rate beyond a level's peak takes a higher level.
        {640, 360, 5, 6000000, "high", {30, 12000000, 6000000}},
        // A picture beyond every level.
        {8192, 8192, 5, 1000000, "high", {0, 2000000, 1000000}},
    };
    for (const Row& row : rows) {
        auto limits
            = plat::detail::h264RateLimits(row.width, row.height, row.framesPerSecond, row.averageBitRate, row.profile);
        EXPECT_EQ(limits.level, row.expected.level) << row.width << "x" << row.height;
        EXPECT_EQ(limits.maxBitRate, row.expected.maxBitRate) << row.width << "x" << row.height;
        EXPECT_EQ(limits.bufferSize, row.expected.bufferSize) << row.width << "x" << row.height;
    }
}

// The stream's own timing carries the picture rate whatever the time base
// of the picture times, in the parameter sets before each key picture; a
// time base too fine to be a picture rate needs the rate.
TEST(H264Encoding, TheStreamsTimingCarriesThePictureRate)
{
    struct Row {
        int timeBaseNumerator, timeBaseDenominator;
        double picturesPerSecond;
        int64_t ticksPerPicture;
        plat::test::H264Timing timing;  // none when the encoder is refused
    };
    const Row rows[] = {
        {1, 600, 12, 50, {1, 24}},
        {1, 12, 0, 1, {1, 24}},
        {1001, 30000, 0, 1, {1001, 60000}},
        {1, 90000, 30000.0 / 1001, 3003, {1001, 60000}},
        {1, 600, 0, 20, {}},
    };
    plat::test::TemporaryFolder folder;
    const auto picture = grainyPicture(64, 64, 0);
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.timeBaseNumerator) + "/" + std::to_string(row.timeBaseDenominator));
        plat::detail::H264Encoder encoder(
            {64, 64, 100000, false, 2, "high"}, plat::detail::H264Encoder::ParameterSets::InStream);
        const bool opened = encoder.open(row.timeBaseNumerator, row.timeBaseDenominator, row.picturesPerSecond).ok();
        ASSERT_EQ(opened, row.timing.timeScale != 0);
        if (!opened)
            continue;
        std::vector<uint8_t> stream;
        auto keep = [&](plat::detail::EncodedPacket packet) -> plat::Result<void> {
            stream.insert(stream.end(), packet->data, packet->data + packet->size);
            return {};
        };
        // Key pictures at 0 and 2, each after the parameter sets.
        for (int64_t i = 0; i < 3; ++i)
            ASSERT_TRUE(encoder.encode(*picture, i * row.ticksPerPicture, keep).ok());
        ASSERT_TRUE(encoder.flush(keep).ok());
        ASSERT_TRUE(plat::writeFileAtomically(folder.path("timed.h264"), stream).ok());
        EXPECT_EQ(plat::test::h264TimingWithFFmpeg(folder.path(), folder.path("timed.h264")), row.timing);
        EXPECT_EQ(plat::test::decodeVideoWithFFmpeg(folder.path(), folder.path("timed.h264"), 64, 64).size(), 3u);
    }
}

// A three-second 720p stream at the rate the movie export asks for 720p,
// encoded on two processors (three of libx264's threads): it holds that
// rate, the first second gets no more than its share and a half, and the
// stream fits the buffer and peak rate of its level (High 3.1: 17.5 Mbit at
// 17.5 Mbit/s). On more processors libx264 plans more of the first
// pictures before any is done, and spends more on the first second.
TEST(H264Encoding, AnAskedRateIsHeldFromTheFirstSecondWithinTheLevel)
{
    constexpr int kWidth = 1280;
    constexpr int kHeight = 720;
    constexpr int kRate = 12;
    constexpr int kPictures = 36;
    constexpr double kAskedBitRate = 7500000;
    EncodedStream stream;
    onProcessors(firstProcessors(2), [&] {
        stream = encodePictures(kWidth, kHeight, int64_t(kAskedBitRate), kPictures,
            [&](int i) { return grainyPicture(kWidth, kHeight, i); });
    });
    plat::test::TemporaryFolder folder;
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("grain.h264"), stream.bytes).ok());
    auto probe = plat::test::probeMedia(folder.path("grain.h264"));
    EXPECT_EQ(probe.stream("video")["level"], "31");
    ASSERT_EQ(stream.packetBytes.size(), size_t(kPictures));
    double totalBits = 0;
    double firstSecondBits = 0;
    // The decoder's buffer, 90% full at the start, filled at the peak rate.
    constexpr double kLevelBuffer = 17500000;
    constexpr double kLevelPeak = 17500000;
    double fullness = 0.9 * kLevelBuffer;
    for (size_t i = 0; i < stream.packetBytes.size(); ++i) {
        const double bits = 8.0 * double(stream.packetBytes[i]);
        totalBits += bits;
        if (i < size_t(kRate))
            firstSecondBits += bits;
        fullness -= bits;
        EXPECT_GE(fullness, 0) << "the buffer runs dry at picture " << i;
        fullness = std::min(kLevelBuffer, fullness + kLevelPeak / kRate);
    }
    const double seconds = double(kPictures) / kRate;
    EXPECT_NEAR(totalBits / seconds / kAskedBitRate, 1.0, 0.15);
    EXPECT_LE(firstSecondBits / kAskedBitRate, 1.5);
}

// At one picture a second each picture may take a second's share of the
// rate: a 360p movie at 1 Mbit/s, written with its times in whole seconds
// as the export writes them, gives each picture after the first at least
// half its share, and none more than the peak rate (2 Mbit/s) brings in.
TEST(H264Encoding, AtOnePictureASecondEachPictureGetsItsShareOfTheRate)
{
    constexpr int kWidth = 640;
    constexpr int kHeight = 360;
    constexpr int kPictures = 6;
    constexpr double kAskedBitRate = 1000000;
    plat::test::TemporaryFolder folder;
    ASSERT_NO_FATAL_FAILURE(writeMovie(
        folder.path("slow.mov"), kWidth, kHeight, int64_t(kAskedBitRate), kPictures,
        [&](int i) { return grainyPicture(kWidth, kHeight, i); }, 1));
    auto packets = videoPackets(folder.path("slow.mov"));
    ASSERT_EQ(packets.size(), size_t(kPictures));
    for (size_t i = 0; i < packets.size(); ++i) {
        const double bits = 8.0 * double(packets[i].bytes);
        if (i > 0) {
            EXPECT_GE(bits / kAskedBitRate, 0.5) << "picture " << i;
        }
        EXPECT_LE(bits, 2000000) << "picture " << i;
    }
}

// A 360p movie at the rate the movie export asks for 360p keeps a peak rate
// of 2 Mbit/s and a buffer of 1 Mbit: a decoder's buffer that starts half
// full and fills at the peak rate never runs dry.
TEST(H264Encoding, TheStreamFitsTheBufferStartingHalfFull)
{
    constexpr int kRate = 12;
    constexpr double kBuffer = 1000000;
    constexpr double kPeak = 2000000;
    auto stream = encodePictures(640, 360, 1000000, grainyPictures(640, 360, 24));
    ASSERT_EQ(stream.packetBytes.size(), 24u);
    double fullness = 0.5 * kBuffer;
    for (size_t i = 0; i < stream.packetBytes.size(); ++i) {
        fullness -= 8.0 * static_cast<double>(stream.packetBytes[i]);
        EXPECT_GE(fullness, 0) << "the buffer runs dry at picture " << i;
        fullness = std::min(kBuffer, fullness + kPeak / kRate);
    }
}

// Pictures that each differ from every other all over: a shade that moves
// a step further each picture, and a block that moves along.
std::vector<std::shared_ptr<plat::PixelBuffer>> movingPictures(int width, int height, int count)
{
    std::vector<std::shared_ptr<plat::PixelBuffer>> pictures;
    for (int index = 0; index < count; ++index) {
        auto buffer = plat::PixelBuffer::create(width, height, plat::kPixelFormatType_32BGRA).value();
        buffer->lockBaseAddress();
        const int blockLeft = 20 + 19 * index;
        for (int y = 0; y < height; ++y) {
            uint8_t* pixel = buffer->baseAddress() + static_cast<size_t>(y) * buffer->bytesPerRow();
            for (int x = 0; x < width; ++x, pixel += 4) {
                const bool block = x >= blockLeft && x < blockLeft + 120 && y >= 120 && y < 240;
                const double shade = 128 + 80 * std::sin(x * 0.02 + y * 0.01 + index * 0.23);
                pixel[0] = static_cast<uint8_t>(block ? 240 : shade);
                pixel[1] = static_cast<uint8_t>(block ? 230 : 255 - shade);
                pixel[2] = static_cast<uint8_t>(block ? 40 : shade * 0.7);
                pixel[3] = 255;
            }
        }
        buffer->unlockBaseAddress();
        pictures.push_back(buffer);
    }
    return pictures;
}

// Mean absolute difference of a decoded picture (packed RGB) and a source (BGRA), in levels.
double meanDifference(const std::vector<uint8_t>& decoded, plat::PixelBuffer& source)
{
    source.lockBaseAddress(plat::PixelBufferLock::ReadOnly);
    double sum = 0;
    for (int y = 0; y < source.height(); ++y) {
        const uint8_t* bgra = source.baseAddress() + static_cast<size_t>(y) * source.bytesPerRow();
        const uint8_t* rgb = decoded.data() + static_cast<size_t>(y) * static_cast<size_t>(source.width()) * 3;
        for (int x = 0; x < source.width(); ++x)
            for (int channel = 0; channel < 3; ++channel)
                sum += std::abs(int(rgb[3 * x + channel]) - int(bgra[4 * x + 2 - channel]));
    }
    source.unlockBaseAddress(plat::PixelBufferLock::ReadOnly);
    return sum / (3.0 * source.width() * source.height());
}

// The encoder's threads make the bytes differ from run to run; what each run
// gives is the pictures, every one in its place, within coding loss: on one
// processor and on all of them, every picture a key picture, and with
// fresh heap memory filled with other bytes (pictures' memory too: it comes from the heap rather than straight
// from the system, which would give it zeroed). A picture missing, repeated
// or out of place is closer to another source than to its own.
TEST(H264Encoding, TheDecodedPicturesAreTheSourcesInOrderOnAnyProcessorsAndHeap)
{
    constexpr int kWidth = 640;
    constexpr int kHeight = 360;
    constexpr int kPictures = 24;
    const cpu_set_t allowed = firstProcessors(CPU_SETSIZE);
    const auto pictures = movingPictures(kWidth, kHeight, kPictures);
    struct Run {
        bool oneProcessor;
        int heapFilling;  // 0 leaves fresh memory as malloc gives it
        int64_t maxKeyFrameInterval;
    };
    const Run runs[] = {{false, 0, 0}, {true, 0xa5, 0}, {false, 0x5a, 0}, {false, 0, 1}};
    constexpr int kLargestHeapBlock = 32 << 20;
    mallopt(M_MMAP_THRESHOLD, kLargestHeapBlock);
    plat::test::TemporaryFolder folder;
    for (size_t r = 0; r < std::size(runs); ++r) {
        const Run& run = runs[r];
        EncodedStream stream;
        onProcessors(run.oneProcessor ? firstProcessors(1) : allowed, [&] {
            mallopt(M_PERTURB, run.heapFilling);
            stream = encodePictures(kWidth, kHeight, 1000000, pictures, run.maxKeyFrameInterval);
            mallopt(M_PERTURB, 0);
        });
        const std::string path = folder.path("run" + std::to_string(r) + ".h264");
        ASSERT_TRUE(plat::writeFileAtomically(path, stream.bytes).ok());
        const auto decoded = plat::test::decodeVideoWithFFmpeg(folder.path(), path, kWidth, kHeight);
        ASSERT_EQ(decoded.size(), size_t(kPictures)) << "run " << r;
        for (size_t i = 0; i < decoded.size(); ++i) {
            std::vector<double> differences;
            for (const auto& source : pictures)
                differences.push_back(meanDifference(decoded[i], *source));
            const auto closest = std::min_element(differences.begin(), differences.end()) - differences.begin();
            EXPECT_EQ(size_t(closest), i) << "run " << r;
            EXPECT_LE(differences[i], 3.0) << "run " << r << ", picture " << i;
        }
    }
}

// A picture held still (as a held frame of an animation is) sharpens to its
// source within a second: at 480p and the rate the export asks for it, on
// two processors, the twelfth picture's luminance is within 0.5 squared
// levels of the source's.
TEST(H264Encoding, AHeldPictureSharpensToItsSourceWithinASecond)
{
    constexpr int kWidth = 640;
    constexpr int kHeight = 480;
    constexpr int kPictures = 12;
    auto held = grainyBiPlanarPicture(kWidth, kHeight, 0);
    EncodedStream stream;
    onProcessors(firstProcessors(2),
        [&] { stream = encodePictures(kWidth, kHeight, 2500000, kPictures, [&](int) { return held; }); });
    plat::test::TemporaryFolder folder;
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("held.h264"), stream.bytes).ok());
    // Into a movie as it is, for the decoder.
    auto moved
        = plat::test::runFFmpeg(folder.path(), {"-framerate", "12", "-i", "held.h264", "-c", "copy", "held.mov"});
    ASSERT_EQ(moved.exitCode, 0) << moved.output;
    auto decoder = plat::detail::VideoStreamDecoder::open(
        folder.path("held.mov"), 0, plat::kPixelFormatType_420YpCbCr8BiPlanarVideoRange);
    ASSERT_TRUE(decoder.ok());
    std::shared_ptr<plat::PixelBuffer> last;
    int decoded = 0;
    while (true) {
        auto next = decoder.value()->next();
        ASSERT_TRUE(next.ok());
        if (!next.value())
            break;
        last = next.value()->pixelBuffer;
        ++decoded;
    }
    ASSERT_EQ(decoded, kPictures);
    held->lockBaseAddress(plat::PixelBufferLock::ReadOnly);
    last->lockBaseAddress(plat::PixelBufferLock::ReadOnly);
    double squares = 0;
    for (int y = 0; y < kHeight; ++y) {
        const uint8_t* source = held->baseAddressOfPlane(0) + static_cast<size_t>(y) * held->bytesPerRowOfPlane(0);
        const uint8_t* shown = last->baseAddressOfPlane(0) + static_cast<size_t>(y) * last->bytesPerRowOfPlane(0);
        for (int x = 0; x < kWidth; ++x)
            squares += (source[x] - shown[x]) * (source[x] - shown[x]);
    }
    last->unlockBaseAddress(plat::PixelBufferLock::ReadOnly);
    held->unlockBaseAddress(plat::PixelBufferLock::ReadOnly);
    EXPECT_LE(squares / (kWidth * kHeight), 0.5);
}

namespace {

// The decoder's buffer that starts half full and fills at the peak rate:
// the first picture at which it runs dry, or -1.
int firstPictureRunningDry(
    const std::vector<int64_t>& packetBytes, double bufferBits, double peakBitRate, double picturesPerSecond = 12)
{
    double fullness = 0.5 * bufferBits;
    for (size_t i = 0; i < packetBytes.size(); ++i) {
        fullness -= 8.0 * static_cast<double>(packetBytes[i]);
        if (fullness < 0)
            return static_cast<int>(i);
        fullness = std::min(bufferBits, fullness + peakBitRate / picturesPerSecond);
    }
    return -1;
}

double bitsPerSecond(const EncodedStream& stream, double seconds)
{
    double bits = 0;
    for (int64_t bytes : stream.packetBytes)
        bits += 8.0 * static_cast<double>(bytes);
    return bits / seconds;
}

}  // namespace

// Calm pictures fill the buffer, grain from the tenth picture on drains
// it: at 360p (1 Mbit at 2 Mbit/s) the buffer never runs dry.
TEST(H264Encoding, TheStreamFitsTheBufferWhenGrainFollowsCalmPictures)
{
    constexpr int kPictures = 30;
    const auto calm = movingPictures(640, 360, kPictures);
    auto stream = encodePictures(
        640, 360, 1000000, kPictures, [&](int i) { return i < 9 ? calm[size_t(i)] : grainyPicture(640, 360, i); });
    ASSERT_EQ(stream.packetBytes.size(), size_t(kPictures));
    EXPECT_EQ(firstPictureRunningDry(stream.packetBytes, 1000000, 2000000), -1);
}

// Twelve seconds of grain on libx264's own threads: the stream holds its
// rate within a few per cent and never runs the buffer dry.
TEST(H264Encoding, ALongStreamHoldsItsRate)
{
    constexpr int kPictures = 144;
    auto stream = encodePictures(640, 360, 1000000, kPictures, [](int i) { return grainyPicture(640, 360, i); });
    ASSERT_EQ(stream.packetBytes.size(), size_t(kPictures));
    EXPECT_NEAR(bitsPerSecond(stream, 12) / 1000000, 1.0, 0.05);
    EXPECT_EQ(firstPictureRunningDry(stream.packetBytes, 1000000, 2000000), -1);
}

// Each picture is planned for its share of the rate at the movie's own
// picture rate: 3 s of grain at 180p and 250 kbit/s (a peak of 500 kbit/s
// and a buffer of 250 kbit) hold the rate over the movie, and a decoder's
// buffer that fills at the peak rate as the pictures come never runs dry.
TEST(H264Encoding, AtFiveAndThirtyPicturesASecondEachPictureGetsItsShare)
{
    constexpr int kWidth = 320;
    constexpr int kHeight = 180;
    constexpr double kAskedBitRate = 250000;
    constexpr int kSeconds = 3;
    for (const int picturesPerSecond : {5, 30}) {
        SCOPED_TRACE(std::to_string(picturesPerSecond) + " a second");
        plat::test::TemporaryFolder folder;
        const int pictures = kSeconds * picturesPerSecond;
        ASSERT_NO_FATAL_FAILURE(writeMovie(
            folder.path("grain.mov"), kWidth, kHeight, int64_t(kAskedBitRate), pictures,
            [&](int i) { return grainyPicture(kWidth, kHeight, i); }, picturesPerSecond));
        auto packets = videoPackets(folder.path("grain.mov"));
        ASSERT_EQ(packets.size(), size_t(pictures));
        std::vector<int64_t> packetBytes;
        for (const Packet& packet : packets)
            packetBytes.push_back(packet.bytes);
        EXPECT_NEAR(8.0 * double(std::accumulate(packetBytes.begin(), packetBytes.end(), int64_t(0))) / kSeconds
                / kAskedBitRate,
            1.0, 0.15);
        EXPECT_EQ(firstPictureRunningDry(packetBytes, 250000, 500000, picturesPerSecond), -1);
    }
}
