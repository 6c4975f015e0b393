#include "render/RenderImageProducer.h"

#include "RenderTestSupport.h"
#include "platform/graphics/ImageRepresentation.h"

namespace {

using plat::test::Rgba;

const Rgba kRed {220, 40, 40, 255};
const Rgba kGreen {40, 200, 60, 255};
const Rgba kBlue {30, 60, 210, 255};

class RenderPictures : public zt::test::RenderProject {
protected:
    Rgba centreOf(zt::RenderImageProducer& renderProducer, int64_t index, plat::Size size = {0, 0})
    {
        auto picture = renderProducer.getImageForRenderingAtIndex(index, size);
        EXPECT_TRUE(picture) << index;
        if (!picture)
            return {};
        return plat::test::pixelAt(
            *picture, static_cast<int>(picture->size().width / 2), static_cast<int>(picture->size().height / 2));
    }
};

TEST_F(RenderPictures, RenderIndicesSkipTheCapturePlaceholder)
{
    addFlatPicture("A", kRed);
    addFlatPicture("B", kGreen);
    auto& frames = project->getFrameList();
    frames.addFrame(zt::Frame(zt::FrameTypePicture, "C"));
    ASSERT_TRUE(producer.storeImage(*plat::test::makeFlatImage(320, 180, kBlue), "C"));
    // [A, B, placeholder, C]
    zt::RenderImageProducer renderProducer(project);
    EXPECT_EQ(renderProducer.getNumberOfFramesForRendering(), 3);
    EXPECT_LE(plat::test::componentDistance(centreOf(renderProducer, 0), kRed), 3);
    EXPECT_LE(plat::test::componentDistance(centreOf(renderProducer, 1), kGreen), 3);
    EXPECT_LE(plat::test::componentDistance(centreOf(renderProducer, 2), kBlue), 3);
    EXPECT_FALSE(renderProducer.getImageForRenderingAtIndex(3, {0, 0}));
    EXPECT_FALSE(renderProducer.getImageForRenderingAtIndex(-1, {0, 0}));
}

TEST_F(RenderPictures, APlaceholderFirstIsSkippedAndAListWithoutOneKeepsItsLastFrame)
{
    auto& frames = project->getFrameList();
    frames.addFrame(zt::Frame(zt::FrameTypePicture, "A"));
    ASSERT_TRUE(producer.storeImage(*plat::test::makeFlatImage(320, 180, kRed), "A"));
    frames.addFrame(zt::Frame(zt::FrameTypePicture, "B"));
    ASSERT_TRUE(producer.storeImage(*plat::test::makeFlatImage(320, 180, kGreen), "B"));
    zt::RenderImageProducer withPlaceholderFirst(project);
    EXPECT_EQ(withPlaceholderFirst.getNumberOfFramesForRendering(), 2);
    EXPECT_LE(plat::test::componentDistance(centreOf(withPlaceholderFirst, 0), kRed), 3);

    frames.removeFrameWithFrameType(zt::FrameTypeCapturePlaceholder);
    zt::RenderImageProducer withoutPlaceholder(project);
    EXPECT_EQ(withoutPlaceholder.getNumberOfFramesForRendering(), 2);
    EXPECT_LE(plat::test::componentDistance(centreOf(withoutPlaceholder, 1), kGreen), 3);
}

TEST_F(RenderPictures, TheGIFSizeReadsThePreviewAndOtherSizesTheFullPicture)
{
    addFlatPicture("A", kRed, 1280, 720);
    // A different full picture shows which file each size reads.
    ASSERT_TRUE(plat::writeFileAtomically(
        projectFile("frame-A.jpg"), *plat::JPEGRepresentation(*plat::test::makeFlatImage(1280, 720, kBlue), 1.0))
                    .ok());
    zt::RenderImageProducer renderProducer(project);
    auto small = renderProducer.getImageForRenderingAtIndex(0, {640, 360});
    ASSERT_TRUE(small);
    EXPECT_EQ(small->size(), (plat::Size {640, 360}));
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*small, 320, 180), kRed), 3);
    EXPECT_LE(plat::test::componentDistance(centreOf(renderProducer, 0, {320, 180}), kBlue), 3);
    auto stored = renderProducer.getImageForRenderingAtIndex(0, {0, 0});
    EXPECT_EQ(stored->size(), (plat::Size {1280, 720}));
    // Without a preview, the full picture stands in at the GIF size.
    ASSERT_TRUE(plat::removeItem(projectFile("preview-A.jpg")).ok());
    EXPECT_LE(plat::test::componentDistance(centreOf(renderProducer, 0, {640, 360}), kBlue), 3);
}

TEST_F(RenderPictures, OtherShapesAreFilledAndCroppedToTheExportSize)
{
    // Red bands at the left and right of a 16:9 picture fall away in a square.
    addPicture("A", *plat::test::makeImage(320, 180, [](int x, int) { return x < 60 || x >= 260 ? kRed : kGreen; }));
    zt::RenderImageProducer renderProducer(project);
    auto square = renderProducer.getImageForRenderingAtIndex(0, {180, 180});
    ASSERT_TRUE(square);
    EXPECT_EQ(square->size(), (plat::Size {180, 180}));
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*square, 2, 90), kGreen), 6);
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*square, 177, 90), kGreen), 6);
}

TEST_F(RenderPictures, ForegroundFadeAndMaskComeAfterTheCropInThatOrder)
{
    for (const char* id : {"A", "B", "C", "D", "E", "F"})
        addFlatPicture(id, kGreen, 640, 360);
    // A foreground whose left half is opaque white and right half clear.
    auto foreground = plat::test::makeImage(64, 36, [](int x, int) {
        return x < 32 ? Rgba {255, 255, 255, 255} : Rgba {0, 0, 0, 0};
    });
    ASSERT_TRUE(project->updateRegularFileWithContents(*plat::PNGRepresentation(*foreground), "foreground.png"));
    project->getMetaData()->set("META_RECORD_FOREGROUND", 3);
    project->getMetaData()->set("META_RECORD_THEME_FADE_IN", true);
    project->getMetaData()->set("META_RECORD_ASPECT_RATIO_MASK", true);
    project->getMetaData()->set("META_RECORD_ASPECT_RATIO_MASK_FORMAT", 2.0);
    zt::RenderImageProducer renderProducer(project);
    // 7 entries: the fade is 2 long; frame 1 is half covered by black.
    auto picture = renderProducer.getImageForRenderingAtIndex(1, {320, 180});
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->size(), (plat::Size {320, 180}));
    // The mask's bars (2:1 in 320 x 180: 10 rows each) are black over everything.
    EXPECT_EQ(plat::test::pixelAt(*picture, 80, 4), (Rgba {0, 0, 0, 255}));
    EXPECT_EQ(plat::test::pixelAt(*picture, 240, 175), (Rgba {0, 0, 0, 255}));
    // Below the bars: the foreground's white over the left, the fade halving both.
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*picture, 80, 90), Rgba {128, 128, 128, 255}), 4);
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*picture, 240, 90), Rgba {20, 100, 30, 255}), 4);
}

}  // namespace
