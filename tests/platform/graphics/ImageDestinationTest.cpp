#include "platform/graphics/ImageDestination.h"

#include <gtest/gtest.h>
#include <sstream>

#include "platform/foundation/Files.h"
#include "platform/foundation/UniformTypeIdentifiers.h"
#include "platform/graphics/Image.h"
#include "support/Pillow.h"
#include "support/Pixels.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::test::Rgba;

// Prints, per frame: its size, its duration in ms and the RGBA of the given points; then the loop count or "once".
constexpr const char* kReadFrames = R"(
import sys
from PIL import Image, ImageSequence
im = Image.open(sys.argv[1])
points = [tuple(map(int, p.split(','))) for p in sys.argv[2:]]
print(im.format, im.n_frames, im.size[0], im.size[1], im.info.get('loop', 'once'))
for frame in ImageSequence.Iterator(im):
    rgba = frame.convert('RGBA')
    print(frame.info.get('duration'), ' '.join('%d,%d,%d,%d' % rgba.getpixel(p) for p in points))
)";

plat::Dictionary gifProperties(const char* key, plat::Value value)
{
    return plat::Dictionary {{plat::kImagePropertyGIFDictionary, plat::Dictionary {{key, std::move(value)}}}};
}

class AnimatedGIF : public ::testing::Test {
protected:
    std::shared_ptr<plat::ImageDestination> make(const std::string& name, size_t count)
    {
        return plat::ImageDestination::createWithURL(
            plat::URL::fileURLWithPath(folder.path(name)), plat::kUTTypeGIF, count, std::nullopt);
    }
    std::istringstream read(const std::string& name, const std::vector<std::string>& points)
    {
        std::vector<std::string> arguments {folder.path(name)};
        arguments.insert(arguments.end(), points.begin(), points.end());
        auto output = plat::test::runPillow(folder.path(), kReadFrames, arguments);
        EXPECT_EQ(output.exitCode, 0) << output.output;
        return std::istringstream(output.output);
    }
    static Rgba parse(const std::string& text)
    {
        Rgba colour {};
        std::sscanf(text.c_str(), "%d,%d,%d,%d", &colour[0], &colour[1], &colour[2], &colour[3]);
        return colour;
    }

    plat::test::TemporaryFolder folder;
};

TEST_F(AnimatedGIF, PicturesLoopForEverWithTheirDelaysAndColours)
{
    auto gif = make("movie.gif", 3);
    ASSERT_TRUE(gif);
    const Rgba colours[] = {{220, 40, 40, 255}, {40, 200, 60, 255}, {30, 60, 210, 255}};
    auto delay = gifProperties(plat::kImagePropertyGIFDelayTime, 0.2f);
    for (const Rgba& colour : colours) {
        // A smooth ramp to the right of a flat area: hundreds of colours to quantise.
        gif->addImage(plat::test::makeImage(64, 36,
                          [&](int x, int y) {
                              return x < 32 ? colour : Rgba {x * 4, y * 7, 255 - x * 3, 255};
                          }),
            delay);
    }
    gif->setProperties(gifProperties(plat::kImagePropertyGIFLoopCount, 0));
    ASSERT_TRUE(gif->finalize());
    auto lines = read("movie.gif", {"10,18", "50,20"});
    std::string format, loop;
    int frames = 0, width = 0, height = 0;
    lines >> format >> frames >> width >> height >> loop;
    EXPECT_EQ(format, "GIF");
    EXPECT_EQ(frames, 3);
    EXPECT_EQ(width, 64);
    EXPECT_EQ(height, 36);
    EXPECT_EQ(loop, "0");
    for (const Rgba& colour : colours) {
        int duration = 0;
        std::string flat, ramp;
        lines >> duration >> flat >> ramp;
        EXPECT_EQ(duration, 200);
        EXPECT_LE(plat::test::componentDistance(parse(flat), colour), 2) << flat;
        EXPECT_LE(plat::test::componentDistance(parse(ramp), Rgba {200, 140, 105, 255}), 24) << ramp;
    }
}

TEST_F(AnimatedGIF, DelaysRoundToHundredthsAndWithoutALoopCountItPlaysOnce)
{
    auto gif = make("once.gif", 2);
    gif->addImage(
        plat::test::makeFlatImage(8, 8, {0, 0, 0, 255}), gifProperties(plat::kImagePropertyGIFDelayTime, 1.0f / 6));
    gif->addImage(plat::test::makeFlatImage(8, 8, {255, 255, 255, 255}), std::nullopt);
    ASSERT_TRUE(gif->finalize());
    auto lines = read("once.gif", {"0,0"});
    std::string format, loop, first, second;
    int frames = 0, width = 0, height = 0, delay1 = -1, delay2 = -1;
    lines >> format >> frames >> width >> height >> loop >> delay1 >> first >> delay2 >> second;
    EXPECT_EQ(loop, "once");
    EXPECT_EQ(delay1, 170);
    EXPECT_EQ(delay2, 0);
    EXPECT_EQ(parse(second), (Rgba {255, 255, 255, 255}));
}

TEST_F(AnimatedGIF, SeeThroughPixelsBecomeTheTransparentColour)
{
    auto gif = make("clear.gif", 1);
    gif->addImage(plat::test::makeImage(16, 8,
                      [](int x, int) {
                          return x < 8 ? Rgba {0, 0, 0, 0} : Rgba {255, 128, 0, 255};
                      }),
        std::nullopt);
    ASSERT_TRUE(gif->finalize());
    auto lines = read("clear.gif", {"2,4", "12,4"});
    std::string header;
    std::getline(lines, header);
    std::getline(lines, header);
    std::istringstream frame(header);
    std::string duration, clear, solid;
    frame >> duration >> clear >> solid;
    EXPECT_EQ(parse(clear)[3], 0);
    EXPECT_EQ(parse(solid), (Rgba {255, 128, 0, 255}));
}

TEST_F(AnimatedGIF, TurnedPicturesAreWrittenUpright)
{
    // Stored 8 wide and 4 high, shown turned a quarter: 4 wide and 8 high, red at the top.
    auto stored = plat::test::makeImage(
        8, 4,
        [](int x, int) {
            return x < 4 ? Rgba {255, 0, 0, 255} : Rgba {0, 0, 255, 255};
        },
        plat::ImageOrientation::Right);
    auto gif = make("turned.gif", 1);
    gif->addImage(stored, std::nullopt);
    ASSERT_TRUE(gif->finalize());
    auto lines = read("turned.gif", {"2,1", "2,6"});
    std::string format, loop, duration, top, bottom;
    int frames = 0, width = 0, height = 0;
    lines >> format >> frames >> width >> height >> loop >> duration >> top >> bottom;
    EXPECT_EQ(width, 4);
    EXPECT_EQ(height, 8);
    EXPECT_EQ(parse(top), (Rgba {255, 0, 0, 255}));
    EXPECT_EQ(parse(bottom), (Rgba {0, 0, 255, 255}));
}

TEST_F(AnimatedGIF, ExtraPicturesAreLeftOutAndEmptyOrUnwritableOnesFail)
{
    auto gif = make("two.gif", 2);
    for (int i = 0; i < 3; ++i)
        gif->addImage(plat::test::makeFlatImage(4, 4, {i * 100, 0, 0, 255}), std::nullopt);
    ASSERT_TRUE(gif->finalize());
    EXPECT_FALSE(gif->finalize());
    std::string format;
    int frames = 0;
    read("two.gif", {"0,0"}) >> format >> frames;
    EXPECT_EQ(frames, 2);

    auto empty = make("empty.gif", 5);
    EXPECT_FALSE(empty->finalize());
    EXPECT_FALSE(plat::fileExists(folder.path("empty.gif")));

    auto nowhere = plat::ImageDestination::createWithURL(
        plat::URL::fileURLWithPath(folder.path("missing/folder.gif")), plat::kUTTypeGIF, 1, std::nullopt);
    nowhere->addImage(plat::test::makeFlatImage(4, 4, {0, 0, 0, 255}), std::nullopt);
    EXPECT_FALSE(nowhere->finalize());

    EXPECT_FALSE(plat::ImageDestination::createWithURL(
        plat::URL::fileURLWithPath(folder.path("a.png")), "public.png", 1, std::nullopt));
    EXPECT_FALSE(make("none.gif", 0));
}

}  // namespace
