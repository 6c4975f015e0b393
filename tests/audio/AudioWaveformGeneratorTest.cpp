#include "audio/AudioWaveformGenerator.h"

#include <cmath>
#include <gtest/gtest.h>

#include "platform/foundation/Files.h"
#include "platform/graphics/Image.h"
#include "platform/media/Asset.h"
#include "support/MediaTools.h"
#include "support/Pixels.h"
#include "support/TemporarySandbox.h"

namespace {

constexpr int kHeight = 50;

// A slow swell under a tone, so the columns' averages follow the swell.
std::string makeSwell(const plat::test::TemporaryFolder& folder, const std::string& name, int channels,
    const std::vector<std::string>& codec, double seconds = 10.0)
{
    std::string left = "0.6*sin(2*PI*0.3*t)+0.2*sin(2*PI*440*t)";
    std::string right = "0.3*sin(2*PI*0.7*t+1)+0.2*sin(2*PI*330*t)";
    std::string expression = channels == 2 ? left + "|" + right : left;
    std::vector<std::string> arguments {
        "-f", "lavfi", "-i", "aevalsrc=" + expression + ":s=44100:d=" + std::to_string(seconds)};
    arguments.insert(arguments.end(), codec.begin(), codec.end());
    std::string path = folder.path(name);
    arguments.push_back(path);
    EXPECT_EQ(plat::test::runFFmpeg(folder.path(), arguments).exitCode, 0);
    return path;
}

// The columns as the waveform measures them, from the samples ffmpeg decodes:
// each averages one frame more than the frames per column, left then right.
std::vector<int> expectedColumns(const std::vector<int16_t>& samples, int channels, int64_t perColumn)
{
    std::vector<int> columns;
    int64_t sums[2] = {0, 0};
    int64_t tally = 0;
    for (size_t frame = 0; frame + channels <= samples.size(); frame += channels) {
        for (int c = 0; c < channels; ++c)
            sums[c] += samples[frame + c];
        if (tally >= perColumn) {
            for (int c = 0; c < channels; ++c) {
                columns.push_back(static_cast<int16_t>(sums[c] / (tally + 1)));
                sums[c] = 0;
            }
            tally = 0;
        } else {
            ++tally;
        }
    }
    return columns;
}

// The height of the line in each pixel column: its painted rows.
std::vector<int> drawnHeights(const plat::Image& image)
{
    const plat::Bitmap& bitmap = *image.bitmap();
    std::vector<int> heights;
    for (int x = 0; x < bitmap.width(); ++x) {
        int painted = 0;
        for (int y = 0; y < bitmap.height(); ++y)
            painted += plat::test::pixelAt(bitmap, x, y)[3] > 127;
        heights.push_back(painted);
    }
    return heights;
}

constexpr size_t kRed = 0;
constexpr size_t kGreen = 1;
constexpr size_t kBlue = 2;
constexpr size_t kAlpha = 3;

class Waveform : public ::testing::Test {
protected:
    // Compares the drawn lines with the columns computed from ffmpeg's decoding.
    void expectDrawnAsDecoded(const std::string& path, int channels, double width)
    {
        auto asset = plat::URLAsset::assetWithPath(path);
        auto image = generator.renderPNGAudioPictogramForAssett(asset, {width, kHeight});
        ASSERT_TRUE(image);
        auto decoded = plat::test::decodeAudioWithFFmpeg(folder.path(), path, 44100, channels);
        auto perColumn = static_cast<int64_t>(44100.0f * static_cast<float>(asset->duration().value)
            / static_cast<float>(asset->duration().timescale) / static_cast<float>(width));
        auto columns = expectedColumns(decoded, channels, perColumn);
        ASSERT_NEAR(static_cast<double>(image->size().width), static_cast<double>(columns.size()), channels);
        int loudest = 0;
        for (int value : columns)
            loudest = std::max(loudest, std::abs(value));
        auto heights = drawnHeights(*image);
        int worst = 0;
        for (size_t x = 0; x < std::min(heights.size(), columns.size()); ++x) {
            int expected = static_cast<int>(std::lround(2.0 * kHeight * std::abs(columns[x]) / loudest));
            worst = std::max(worst, std::abs(std::min(expected, kHeight) - heights[x]));
        }
        EXPECT_LE(worst, 2);
    }

    plat::test::TemporaryFolder folder;
    zt::AudioWaveformGenerator generator;
};

}  // namespace

TEST_F(Waveform, TenSecondsOfMonoAtThreeHundredColumnsGiveAPictureAsWideAndAsHigh)
{
    std::string path = makeSwell(folder, "mono.wav", 1, {"-c:a", "pcm_s16le"});
    auto image = generator.renderPNGAudioPictogramForAssett(plat::URLAsset::assetWithPath(path), {300, kHeight});
    ASSERT_TRUE(image);
    EXPECT_NEAR(image->size().width, 300, 1);
    EXPECT_EQ(image->size().height, kHeight);
}

TEST_F(Waveform, StereoGivesLeftAndRightColumnsSoTwiceAsWide)
{
    std::string path = makeSwell(folder, "stereo.wav", 2, {"-c:a", "pcm_s16le"});
    auto image = generator.renderPNGAudioPictogramForAssett(plat::URLAsset::assetWithPath(path), {300, kHeight});
    ASSERT_TRUE(image);
    EXPECT_NEAR(image->size().width, 600, 2);
}

TEST_F(Waveform, TheLinesFollowThePeaksOfTheDecodedSamples)
{
    expectDrawnAsDecoded(makeSwell(folder, "swell.wav", 1, {"-c:a", "pcm_s16le"}), 1, 300);
    expectDrawnAsDecoded(makeSwell(folder, "swell.mp3", 2, {"-c:a", "libmp3lame", "-b:a", "192k"}), 2, 200);
    expectDrawnAsDecoded(makeSwell(folder, "swell.m4a", 2, {"-c:a", "aac", "-b:a", "192k"}), 2, 250);
}

TEST_F(Waveform, TheLinesAreTheWaveformsBlue)
{
    std::string path = makeSwell(folder, "mono.wav", 1, {"-c:a", "pcm_s16le"}, 2.0);
    auto image = generator.renderPNGAudioPictogramForAssett(plat::URLAsset::assetWithPath(path), {100, kHeight});
    ASSERT_TRUE(image);
    auto heights = drawnHeights(*image);
    int tallest = static_cast<int>(std::max_element(heights.begin(), heights.end()) - heights.begin());
    auto centre = plat::test::pixelAt(*image, tallest, kHeight / 2);
    EXPECT_EQ(centre, (plat::test::Rgba {20, 77, 130, 255}));
}

TEST_F(Waveform, SilenceDrawsAnEmptyPictureAndNothingToDrawGivesNone)
{
    std::string silent = folder.path("silent.wav");
    ASSERT_EQ(plat::test::runFFmpeg(folder.path(),
                  {"-f", "lavfi", "-i", "anullsrc=r=44100:cl=mono", "-t", "2", "-c:a", "pcm_s16le", silent})
                  .exitCode,
        0);
    auto image = generator.renderPNGAudioPictogramForAssett(plat::URLAsset::assetWithPath(silent), {100, kHeight});
    ASSERT_TRUE(image);
    for (int height : drawnHeights(*image))
        EXPECT_EQ(height, 0);
    std::string text = folder.path("notes.wav");
    ASSERT_TRUE(plat::writeFileAtomically(text, std::string_view("not sound")).ok());
    EXPECT_FALSE(generator.renderPNGAudioPictogramForAssett(plat::URLAsset::assetWithPath(text), {100, kHeight}));
    EXPECT_FALSE(generator.renderPNGAudioPictogramForAssett(nullptr, {100, kHeight}));
    auto sound = plat::URLAsset::assetWithPath(makeSwell(folder, "short.wav", 1, {"-c:a", "pcm_s16le"}, 1.0));
    EXPECT_FALSE(generator.renderPNGAudioPictogramForAssett(sound, {0, kHeight}));
    EXPECT_FALSE(generator.renderPNGAudioPictogramForAssett(sound, {100, 0}));
}

TEST_F(Waveform, TwoChannelGraphsPairLeftAboveRightInRed)
{
    std::vector<int16_t> values {1000, -500, 0, 500};
    auto image = generator.audioImageGraph(values.data(), 1000, 4, 2, 40);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size().width, 2);
    EXPECT_EQ(plat::test::pixelAt(*image, 0, 10)[kBlue], 130);  // left, around a quarter of the height
    EXPECT_EQ(plat::test::pixelAt(*image, 0, 30)[kRed], 255);  // right, in red around three quarters
    EXPECT_EQ(plat::test::pixelAt(*image, 0, 30)[kGreen], 0);
    EXPECT_EQ(plat::test::pixelAt(*image, 1, 10)[kAlpha], 0);  // a silent left
    EXPECT_EQ(plat::test::pixelAt(*image, 1, 30)[kRed], 255);
    EXPECT_FALSE(generator.audioImageGraph(values.data(), 1000, 0, 1, 40));
}
