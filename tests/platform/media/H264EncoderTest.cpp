#include "platform/media/H264Encoder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <sstream>

#include "platform/foundation/Paths.h"
#include "platform/foundation/Semaphore.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/media/AssetWriter.h"
#include "platform/media/AssetWriterInput.h"
#include "platform/media/AssetWriterInputPixelBufferAdaptor.h"
#include "platform/media/MediaConstants.h"
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

// A three-second 720p movie at the rate the movie export asks for 720p: the
// file holds that rate, the first second gets no more than its share and a
// half, and the stream fits the buffer and peak rate of its level (High 3.1:
// 17.5 Mbit at 17.5 Mbit/s).
TEST(H264Encoding, AnAskedRateIsHeldFromTheFirstSecondWithinTheLevel)
{
    constexpr int kWidth = 1280;
    constexpr int kHeight = 720;
    constexpr int kRate = 12;
    constexpr int kPictures = 36;
    constexpr double kAskedBitRate = 7500000;
    plat::test::TemporaryFolder folder;
    std::optional<plat::Error> error;
    auto writer = plat::AssetWriter::assetWriterWithURL(
        plat::URL::fileURLWithPath(folder.path("grain.mov")), plat::kFileTypeQuickTimeMovie, &error);
    ASSERT_TRUE(writer);
    auto video = plat::AssetWriterInput::assetWriterInputWithMediaType(plat::kMediaTypeVideo,
        plat::Dictionary {{plat::kVideoCodecKey, plat::kVideoCodecH264}, {plat::kVideoWidthKey, kWidth},
            {plat::kVideoHeightKey, kHeight},
            {plat::kVideoCompressionPropertiesKey,
                plat::Dictionary {{plat::kVideoAverageBitRateKey, int64_t(kAskedBitRate)},
                    {plat::kVideoAllowFrameReorderingKey, false},
                    {plat::kVideoProfileLevelKey, plat::kVideoProfileLevelH264HighAutoLevel}}}});
    auto adaptor = plat::AssetWriterInputPixelBufferAdaptor::assetWriterInputPixelBufferAdaptorWithAssetWriterInput(
        video, std::nullopt);
    writer->addInput(video);
    ASSERT_TRUE(writer->startWriting());
    writer->startSessionAtSourceTime(MediaTime::zero());
    for (int i = 0; i < kPictures; ++i) {
        ASSERT_TRUE(video->waitUntilReadyForMoreMediaData());
        ASSERT_TRUE(adaptor->appendPixelBuffer(grainyPicture(kWidth, kHeight, i), MediaTime::make(i, kRate)));
    }
    writer->endSessionAtSourceTime(MediaTime::make(kPictures, kRate));
    plat::Semaphore finished;
    writer->finishWritingWithCompletionHandler([&] { finished.signal(); });
    ASSERT_TRUE(finished.wait(120));
    ASSERT_EQ(writer->status(), plat::AssetWriterStatus::Completed);

    auto probe = plat::test::probeMedia(folder.path("grain.mov"));
    EXPECT_EQ(probe.stream("video")["level"], "31");
    auto packets = videoPackets(folder.path("grain.mov"));
    ASSERT_EQ(packets.size(), size_t(kPictures));
    double totalBits = 0;
    double firstSecondBits = 0;
    // The decoder's buffer, 90% full at the start, filled at the peak rate.
    constexpr double kLevelBuffer = 17500000;
    constexpr double kLevelPeak = 17500000;
    double fullness = 0.9 * kLevelBuffer;
    for (const Packet& packet : packets) {
        const double bits = 8.0 * double(packet.bytes);
        totalBits += bits;
        if (packet.seconds < 1.0)
            firstSecondBits += bits;
        fullness -= bits;
        EXPECT_GE(fullness, 0) << "the buffer runs dry at " << packet.seconds << " s";
        fullness = std::min(kLevelBuffer, fullness + kLevelPeak / kRate);
    }
    const double seconds = double(kPictures) / kRate;
    EXPECT_NEAR(totalBits / seconds / kAskedBitRate, 1.0, 0.15);
    EXPECT_LE(firstSecondBits / kAskedBitRate, 1.5);
}
