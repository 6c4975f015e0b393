#include "greenscreen/ChromaKeyBackdrop.h"

#include <gtest/gtest.h>

#include "document/ProjectModel.h"
#include "glimage/GLImageChromaKeyBlendFilter.h"
#include "glimage/GLImagePicture.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "support/Pixels.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::test::Rgba;
using zt::ChromaKeyBackdrop;

constexpr Rgba kKeyGreen {0, 255, 0, 255};
constexpr Rgba kSubjectRed {220, 30, 30, 255};
constexpr Rgba kBlue {30, 60, 220, 255};
constexpr Rgba kYellow {240, 220, 40, 255};

TEST(ChromaKeyBackdropLastFrame, TakesTheEntryBeforeThePlaceholderOrTheLastWhenThePlaceholderLeads)
{
    EXPECT_EQ(ChromaKeyBackdrop::lastFrameIndex(4, 3), 2);
    EXPECT_EQ(ChromaKeyBackdrop::lastFrameIndex(5, 3), 2);
    EXPECT_EQ(ChromaKeyBackdrop::lastFrameIndex(4, 0), 3);
    EXPECT_EQ(ChromaKeyBackdrop::lastFrameIndex(2, 1), 0);
}

TEST(ChromaKeyBackdropLastFrame, NothingWithOnlyThePlaceholderOrWithoutOne)
{
    EXPECT_EQ(ChromaKeyBackdrop::lastFrameIndex(1, 0), std::nullopt);
    EXPECT_EQ(ChromaKeyBackdrop::lastFrameIndex(0, plat::kNotFound), std::nullopt);
    EXPECT_EQ(ChromaKeyBackdrop::lastFrameIndex(3, plat::kNotFound), std::nullopt);
    EXPECT_EQ(ChromaKeyBackdrop::lastFrameIndex(3, -1), std::nullopt);
}

class ChromaKeyBackdropTest : public ::testing::Test {
protected:
    ChromaKeyBackdropTest() { EXPECT_TRUE(project->createFilePathForProject().ok()); }

    std::string backdropPath() const
    {
        return plat::appendingPathComponent(*project->getProjectPath(), ChromaKeyBackdrop::kBackdropFileName);
    }
    // The camera's picture keyed over the backdrop shown now.
    std::shared_ptr<plat::Image> keyedPicture()
    {
        camera->processImage();
        return filter->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    }

    plat::test::TemporarySandbox sandbox;
    std::shared_ptr<zt::ProjectModel> project = std::make_shared<zt::ProjectModel>(std::nullopt);
    std::shared_ptr<zt::GLImageChromaKeyBlendFilter> filter = std::make_shared<zt::GLImageChromaKeyBlendFilter>();
    // Key green with a red square in the middle.
    std::shared_ptr<zt::GLImagePicture> camera = [] {
        auto picture = plat::test::makeImage(
            64, 36, [](int x, int y) { return x >= 24 && x < 40 && y >= 10 && y < 26 ? kSubjectRed : kKeyGreen; });
        return std::make_shared<zt::GLImagePicture>(*picture);
    }();
};

TEST_F(ChromaKeyBackdropTest, AProjectWithoutABackdropShowsTheDefaultPicture)
{
    auto picture = ChromaKeyBackdrop::savedPicture(project.get());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->size(), plat::Size(1280, 720));
    EXPECT_EQ(plat::test::pixelAt(*picture->bitmap(), 640, 300),
        plat::test::pixelAt(*ChromaKeyBackdrop::defaultPicture()->bitmap(), 640, 300));
    EXPECT_TRUE(ChromaKeyBackdrop::savedPicture(nullptr));
}

TEST_F(ChromaKeyBackdropTest, AnUndecodableBackdropFallsBackToTheDefault)
{
    const std::string garbage = "not a picture";
    ASSERT_TRUE(project->updateRegularFileWithContents(plat::Data(garbage.begin(), garbage.end()), "backdrop.jpg"));
    auto picture = ChromaKeyBackdrop::savedPicture(project.get());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->size(), plat::Size(1280, 720));
}

TEST_F(ChromaKeyBackdropTest, ASwapShowsTheNewPictureBehindTheSubjectAndStoresIt)
{
    camera->addTarget(filter);
    ChromaKeyBackdrop backdrop(filter);
    backdrop.swapPicture(*plat::test::makeFlatImage(64, 36, kBlue), project.get());
    auto keyed = keyedPicture();
    ASSERT_TRUE(keyed);
    EXPECT_LT(plat::test::componentDistance(plat::test::pixelAt(*keyed->bitmap(), 4, 4), kBlue), 6);
    EXPECT_LT(plat::test::componentDistance(plat::test::pixelAt(*keyed->bitmap(), 32, 18), kSubjectRed), 6);

    backdrop.swapPicture(*plat::test::makeFlatImage(64, 36, kYellow), project.get());
    keyed = keyedPicture();
    ASSERT_TRUE(keyed);
    EXPECT_LT(plat::test::componentDistance(plat::test::pixelAt(*keyed->bitmap(), 60, 30), kYellow), 6);
    EXPECT_LT(plat::test::componentDistance(plat::test::pixelAt(*keyed->bitmap(), 32, 18), kSubjectRed), 6);
    // The file holds the last one, and the project shows it next time.
    auto stored = ChromaKeyBackdrop::savedPicture(project.get());
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->size(), plat::Size(64, 36));
    EXPECT_LT(plat::test::componentDistance(plat::test::pixelAt(*stored->bitmap(), 10, 10), kYellow), 6);
    // Only the camera and the new picture feed the filter.
    ASSERT_TRUE(backdrop.sourcePicture());
    EXPECT_EQ(backdrop.sourcePicture()->targets().size(), 1u);
    backdrop.detach();
    EXPECT_FALSE(backdrop.sourcePicture());
    camera->removeAllTargets();
}

TEST_F(ChromaKeyBackdropTest, APortraitPhotoBecomesUprightAndAtMost1920PixelsLong)
{
    // Stored sideways: 3000 x 2000 pixels to be turned a quarter for display.
    auto bitmap = plat::test::makeImage(3000, 2000, [](int x, int) { return x < 1500 ? kBlue : kYellow; })->bitmap();
    auto photo = plat::Image::imageWithBitmap(bitmap, 1, plat::ImageOrientation::Right);
    auto prepared = ChromaKeyBackdrop::preparedPicture(*photo);
    ASSERT_TRUE(prepared);
    EXPECT_EQ(prepared->imageOrientation(), plat::ImageOrientation::Up);
    EXPECT_EQ(prepared->bitmap()->width(), 1280);
    EXPECT_EQ(prepared->bitmap()->height(), 1920);
    // The stored left half is now on top.
    EXPECT_LT(plat::test::componentDistance(plat::test::pixelAt(*prepared->bitmap(), 640, 200), kBlue), 6);
    EXPECT_LT(plat::test::componentDistance(plat::test::pixelAt(*prepared->bitmap(), 640, 1700), kYellow), 6);
}

}  // namespace
