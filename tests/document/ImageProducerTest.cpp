#include "document/ImageProducer.h"

#include <gtest/gtest.h>
#include <sstream>

#include "document/DataManager.h"
#include "document/ProjectModel.h"
#include "document/ProjectsList.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "support/FailingWrites.h"
#include "support/Pillow.h"
#include "support/Pixels.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::test::Rgba;

class FrameImages : public ::testing::Test {
protected:
    void SetUp() override
    {
        zt::DataManager::sharedDataManager().resetToDefaultsForTesting();
        ASSERT_TRUE(zt::ProjectsList::replace({}));
    }
    void TearDown() override { zt::DataManager::sharedDataManager().resetToDefaultsForTesting(); }

    // Adds a picture frame before the capture placeholder and stores its pictures.
    void addFrame(const std::string& frameID, const plat::Image& image)
    {
        auto& list = project->getFrameList();
        list.insertFrame(zt::Frame(zt::FrameTypePicture, frameID), list.getCaptureIndex());
        ASSERT_TRUE(producer.storeImage(image, frameID));
    }
    bool hasFile(const std::string& name)
    {
        return project->getProjectPath()
            && plat::fileExists(plat::appendingPathComponent(*project->getProjectPath(), name));
    }
    std::string path(const std::string& name) { return plat::appendingPathComponent(*project->getProjectPath(), name); }
    void setMetadata(const std::string& key, plat::Value value) { project->getMetaData()->set(key, std::move(value)); }

    plat::test::TemporarySandbox sandbox;
    std::shared_ptr<zt::ProjectModel> project = std::make_shared<zt::ProjectModel>(std::nullopt);
    zt::ImageProducer producer {project};
};

// A 16:9 picture with a red band at the left edge and a blue band at the right.
std::shared_ptr<plat::Image> framedPicture(int width, int height)
{
    return plat::test::makeImage(width, height, [width](int x, int y) {
        if (x < width / 20)
            return Rgba {230, 20, 20, 255};
        if (x >= width - width / 20)
            return Rgba {20, 20, 230, 255};
        return Rgba {(y * 7) % 200 + 20, 120, 90, 255};
    });
}

TEST_F(FrameImages, StoringWritesThreeJPEGsOfTheirSizesAndQualities)
{
    addFrame("A", *framedPicture(1920, 1080));
    ASSERT_TRUE(project->getProjectPath());
    // Another decoder reads all three; quality 1.0 leaves every quantiser at 1, 0.5 the standard tables.
    auto output = plat::test::runPillow(*project->getProjectPath(), R"(
import sys
from PIL import Image
for name in ('thumb-A.jpg', 'preview-A.jpg', 'frame-A.jpg'):
    im = Image.open(sys.argv[1] + '/' + name)
    im.load()
    left = im.convert('RGB').getpixel((0, im.size[1] // 2))
    right = im.convert('RGB').getpixel((im.size[0] - 1, im.size[1] // 2))
    print(name, im.format, im.size[0], im.size[1], im.quantization[0][0], max(im.quantization[0]), left[0], right[2])
)",
        {*project->getProjectPath()});
    ASSERT_EQ(output.exitCode, 0) << output.output;
    std::istringstream lines(output.output);
    struct Expected {
        std::string name;
        int width, height, firstQuantiser, largestQuantiser;
    };
    for (const Expected& expected : {Expected {"thumb-A.jpg", 272, 153, 16, 121},
             Expected {"preview-A.jpg", 796, 448, 16, 121}, Expected {"frame-A.jpg", 1920, 1080, 1, 1}}) {
        std::string name, format;
        int width = 0, height = 0, first = 0, largest = 0, leftRed = 0, rightBlue = 0;
        lines >> name >> format >> width >> height >> first >> largest >> leftRed >> rightBlue;
        EXPECT_EQ(name, expected.name);
        EXPECT_EQ(format, "JPEG");
        EXPECT_EQ(width, expected.width);
        EXPECT_EQ(height, expected.height);
        EXPECT_EQ(first, expected.firstQuantiser) << name;
        EXPECT_EQ(largest, expected.largestQuantiser) << name;
        // Same aspect ratio: nothing is cut off, both side bands are still there.
        EXPECT_GT(leftRed, 180) << name;
        EXPECT_GT(rightBlue, 180) << name;
    }
    // Storing the first picture made the project's folder and listed it.
    EXPECT_EQ(zt::ProjectsList::projectNames()->size(), 1u);
}

TEST_F(FrameImages, FourByThreePicturesLoseEqualBandsAtTopAndBottom)
{
    // Red above row 60, blue below row 420: exactly what 16:9 cuts off a 640 x 480 picture.
    auto picture = plat::test::makeImage(640, 480, [](int, int y) {
        return y < 60 ? Rgba {230, 0, 0, 255} : y >= 420 ? Rgba {0, 0, 230, 255} : Rgba {0, 200, 0, 255};
    });
    addFrame("B", *picture);
    for (int index : {0}) {
        auto thumbnail = zt::ImageProducer(project).getThumbnailImageForFrameAtIndex(index);
        auto preview = producer.getPreviewImageForFrameAtIndex(index);
        ASSERT_TRUE(thumbnail && preview);
        EXPECT_EQ(thumbnail->size(), zt::kFrameThumbnailSize);
        EXPECT_EQ(preview->size(), zt::kFramePreviewSize);
        for (const auto& image : {thumbnail, preview}) {
            int width = static_cast<int>(image->size().width), height = static_cast<int>(image->size().height);
            for (int y : {0, height / 2, height - 1}) {
                Rgba p = plat::test::pixelAt(*image, width / 2, y);
                EXPECT_LT(p[0], 40) << y;
                EXPECT_LT(p[2], 40) << y;
                EXPECT_GT(p[1], 160) << y;
            }
        }
    }
    EXPECT_EQ(producer.getImageForFrameAtIndex(0)->size(), (plat::Size {640, 480}));
}

TEST_F(FrameImages, AFailedWriteStopsTheWritesAfterIt)
{
    auto picture = framedPicture(320, 180);
    project->getFrameList().insertFrame(zt::Frame(zt::FrameTypePicture, "C"), 0);
    ASSERT_TRUE(producer.storeImage(*picture, "warmup"));  // makes the folder
    {
        plat::test::FailingWrites failing("thumb-C", plat::detail::WriteFailurePoint::BeforeRename);
        EXPECT_FALSE(producer.storeImage(*picture, "C"));
    }
    EXPECT_FALSE(hasFile("thumb-C.jpg"));
    EXPECT_FALSE(hasFile("preview-C.jpg"));
    EXPECT_FALSE(hasFile("frame-C.jpg"));
    {
        plat::test::FailingWrites failing("preview-C", plat::detail::WriteFailurePoint::AfterHalfTheBytes);
        EXPECT_FALSE(producer.storeImage(*picture, "C"));
    }
    EXPECT_TRUE(hasFile("thumb-C.jpg"));
    EXPECT_FALSE(hasFile("preview-C.jpg"));
    EXPECT_FALSE(hasFile("frame-C.jpg"));
    EXPECT_FALSE(producer.storeImage(*picture, "../escape"));
}

TEST_F(FrameImages, ReadingOutsideTheListOrTheSizesGivesNothing)
{
    addFrame("D", *framedPicture(320, 180));
    EXPECT_TRUE(producer.getImageForFrameAtIndex(0));
    EXPECT_FALSE(producer.getImageForFrameAtIndex(-1));
    EXPECT_FALSE(producer.getImageForFrameAtIndex(project->getFrameList().count()));
    EXPECT_FALSE(producer.getImageForFrameAtIndex(0, 400));
    EXPECT_FALSE(producer.getImageForFrameAtIndex(1));  // the placeholder has no full picture
    EXPECT_FALSE(producer.getPreviewImageForFrameAtIndex(1));
    ASSERT_TRUE(project->removeRegularFileWithPreferredFilename("preview-D.jpg"));
    EXPECT_FALSE(producer.getPreviewImageForFrameAtIndex(0));
    EXPECT_FALSE(producer.getImageForFrameWithFrameID("../D"));
    EXPECT_TRUE(producer.getImageForFrameWithFrameID("D"));
    EXPECT_FALSE(producer.getImageForFrameWithFrameID("E"));
}

TEST_F(FrameImages, ThePlaceholdersThumbnailIsTheCameraPictureWithoutEffect)
{
    setMetadata("RecordMovieFilter", 4);
    auto thumbnail = producer.getThumbnailImageForFrameAtIndex(project->getFrameList().getCaptureIndex());
    auto resource = plat::Image::imageNamed("thumb_camera.png");
    ASSERT_TRUE(thumbnail && resource);
    EXPECT_EQ(thumbnail->bitmap(), resource->bitmap());
    EXPECT_EQ(thumbnail->size(), zt::kFrameThumbnailSize);
}

TEST_F(FrameImages, TheColourEffectIsAppliedToEveryPictureRead)
{
    addFrame("E", *plat::test::makeFlatImage(320, 180, {200, 100, 20, 255}));
    auto plain = producer.getPreviewImageForFrameAtIndex(0);
    Rgba before = plat::test::pixelAt(*plain, 10, 10);
    setMetadata("RecordMovieFilter", 4);  // red and blue swapped
    Rgba swapped = plat::test::pixelAt(*producer.getPreviewImageForFrameAtIndex(0), 10, 10);
    EXPECT_EQ(swapped, (Rgba {before[2], before[1], before[0], 255}));
    setMetadata("RecordMovieFilter", 1);  // grey, by its weights
    Rgba grey = plat::test::pixelAt(*producer.getImageForFrameAtIndex(0), 10, 10);
    Rgba full = plat::test::pixelAt(*producer.getOriginialImageForFrameAtIndex(0), 10, 10);
    int expected = (28 * full[0] + 151 * full[1] + 77 * full[2]) >> 8;
    EXPECT_EQ(grey, (Rgba {expected, expected, expected, 255}));
    setMetadata("RecordMovieFilter", 9);  // no such effect: redrawn unchanged
    EXPECT_EQ(plat::test::pixelAt(*producer.getImageForFrameAtIndex(0), 10, 10), full);
    setMetadata("RecordMovieFilter", 0);
    auto image = plat::test::makeFlatImage(2, 2, {1, 2, 3, 255});
    EXPECT_EQ(producer.applyMovieEffect(image), image);
}

TEST_F(FrameImages, MadeAgainPreviewsFollowTheEditedPicture)
{
    addFrame("F", *plat::test::makeFlatImage(320, 180, {250, 0, 0, 255}));
    auto edited = plat::JPEGRepresentation(*plat::test::makeFlatImage(320, 180, {0, 0, 250, 255}), 1.0);
    ASSERT_TRUE(project->updateRegularFileWithContents(*edited, "frame-F.jpg"));
    producer.createThumbNailAndPreviewForFrameAtIndex(0);
    EXPECT_GT(plat::test::pixelAt(*producer.getPreviewImageForFrameAtIndex(0), 5, 5)[2], 230);
    EXPECT_GT(plat::test::pixelAt(*producer.getThumbnailImageForFrameAtIndex(0), 5, 5)[2], 230);
    producer.createThumbNailAndPreviewForFrameAtIndex(7);  // outside the list: nothing happens
}

class FadeAmounts : public FrameImages {
protected:
    void makeFrames(int count, bool fadeIn, bool fadeOut)
    {
        auto& list = project->getFrameList();
        for (int i = 1; i < count; ++i)  // with the placeholder, count entries
            list.insertFrame(zt::Frame(zt::FrameTypePicture), 0);
        setMetadata("META_RECORD_THEME_FADE_IN", fadeIn);
        setMetadata("META_RECORD_THEME_FADE_OUT", fadeOut);
    }
};

TEST_F(FadeAmounts, ThirtyFramesAtFivePerSecondFadeOverTen)
{
    makeFrames(30, true, true);
    float expected[30] = {1.0f, 0.9f, 0.8f, 0.7f, 0.6f, 0.5f, 0.4f, 0.3f, 0.2f, 0.1f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f};
    for (int i = 0; i < 30; ++i)
        EXPECT_NEAR(producer.calculateAlphaForFadeforFrameAtIndex(i), expected[i], 1e-6) << i;
}

TEST_F(FadeAmounts, EachEndFadesOnlyWhenSwitchedOn)
{
    makeFrames(30, false, true);
    EXPECT_EQ(producer.calculateAlphaForFadeforFrameAtIndex(0), 0);
    EXPECT_NEAR(producer.calculateAlphaForFadeforFrameAtIndex(25), 0.5, 1e-6);
    setMetadata("META_RECORD_THEME_FADE_IN", true);
    setMetadata("META_RECORD_THEME_FADE_OUT", false);
    EXPECT_EQ(producer.calculateAlphaForFadeforFrameAtIndex(0), 1);
    EXPECT_EQ(producer.calculateAlphaForFadeforFrameAtIndex(25), 0);
    setMetadata("RecordFPS", 1);  // L = min(2, 10)
    EXPECT_NEAR(producer.calculateAlphaForFadeforFrameAtIndex(1), 0.5, 1e-6);
    EXPECT_EQ(producer.calculateAlphaForFadeforFrameAtIndex(2), 0);
}

TEST_F(FadeAmounts, FewerThanThreeFramesHaveNoFadeLength)
{
    makeFrames(2, true, true);
    EXPECT_EQ(producer.calculateAlphaForFadeforFrameAtIndex(0), 0);
    EXPECT_EQ(producer.calculateAlphaForFadeforFrameAtIndex(1), 0);
}

TEST_F(FadeAmounts, FadedPicturesLieOverBlack)
{
    makeFrames(30, true, true);
    auto white = plat::test::makeFlatImage(64, 36, {255, 255, 255, 255});
    EXPECT_EQ(producer.applyFade(white, 15), white);  // no fade: the picture itself
    auto half = producer.applyFade(white, 5);
    ASSERT_TRUE(half);
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*half, 30, 20), {128, 128, 128, 255}), 1);
    auto black = producer.applyFade(white, 0);
    EXPECT_EQ(plat::test::pixelAt(*black, 0, 0), (Rgba {0, 0, 0, 255}));
    EXPECT_FALSE(producer.applyFade(nullptr, 0));
}

TEST_F(FrameImages, TheCinemaMaskCoversEqualBarsAtTopAndBottom)
{
    auto picture = plat::test::makeFlatImage(640, 480, {0, 255, 0, 255});
    auto masked = producer.applyMask(picture, 16.0f / 9.0f);
    ASSERT_TRUE(masked);
    EXPECT_EQ(masked->size(), (plat::Size {640, 480}));
    for (int y : {0, 59, 420, 479})
        EXPECT_EQ(plat::test::pixelAt(*masked, 320, y), (Rgba {0, 0, 0, 255})) << y;
    for (int y : {60, 240, 419})
        EXPECT_EQ(plat::test::pixelAt(*masked, 320, y), (Rgba {0, 255, 0, 255})) << y;
    auto wide = producer.applyMask(picture, 1.0f);  // 640 / 1 is not smaller than 480: nothing covered
    EXPECT_EQ(plat::test::pixelAt(*wide, 320, 0), (Rgba {0, 255, 0, 255}));
}

TEST_F(FrameImages, BlendsAndMergesStretchOverTheBase)
{
    auto base = plat::test::makeFlatImage(100, 50, {255, 0, 0, 255});
    auto top = plat::test::makeImage(10, 5, [](int x, int) {
        return x < 5 ? Rgba {0, 0, 128, 128} : Rgba {0, 0, 0, 0};
    });
    auto blended = producer.blendUIImage(top, base);
    ASSERT_TRUE(blended);
    EXPECT_EQ(blended->size(), (plat::Size {100, 50}));
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*blended, 10, 25), {127, 0, 128, 255}), 1);
    EXPECT_EQ(plat::test::pixelAt(*blended, 90, 25), (Rgba {255, 0, 0, 255}));

    auto white = plat::test::makeFlatImage(40, 20, {255, 255, 255, 255});
    auto black = plat::test::makeFlatImage(8, 4, {0, 0, 0, 255});
    auto merged = producer.mergeImage(white, black, black);
    // 255 * 0.8 = 204, then * 0.9 = 183.6.
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*merged, 20, 10), {184, 184, 184, 255}), 1);
    auto withoutSecond = producer.mergeImage(white, nullptr, black);
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*withoutSecond, 20, 10), {230, 230, 230, 255}), 1);
    EXPECT_FALSE(producer.mergeImage(nullptr, black, black));
}

TEST_F(FrameImages, TheProjectsPictureIsItsThumbElseItsChosenPreviewElseThePlaceholder)
{
    auto placeholder = plat::Image::imageNamed("explorer_placeholder.png");
    ASSERT_TRUE(placeholder);
    EXPECT_EQ(project->getThumbImageForProject(), placeholder);
    addFrame("G", *plat::test::makeFlatImage(320, 180, {0, 250, 0, 255}));
    EXPECT_EQ(project->getThumbImageForProject(), placeholder);
    setMetadata("META_RECORD_THUMB_FRAME_ID", "G");
    auto preview = project->getThumbImageForProject();
    EXPECT_EQ(preview->size(), zt::kFramePreviewSize);
    ASSERT_TRUE(project->updateRegularFileWithContents({0xFF, 0xD8, 0xFF, 0xE0}, "preview-G.jpg"));
    EXPECT_EQ(project->getThumbImageForProject(), placeholder);  // a damaged preview does not count
    auto thumb = plat::JPEGRepresentation(*plat::test::makeFlatImage(30, 20, {9, 9, 9, 255}), 0.5);
    ASSERT_TRUE(project->updateRegularFileWithContents(*thumb, "thumb.jpg"));
    EXPECT_EQ(project->getThumbImageForProject()->size(), (plat::Size {30, 20}));
    setMetadata("META_RECORD_THUMB_FRAME_ID", "../G");
    ASSERT_TRUE(project->removeRegularFileWithPreferredFilename("thumb.jpg"));
    EXPECT_EQ(project->getThumbImageForProject(), placeholder);
}

}  // namespace
