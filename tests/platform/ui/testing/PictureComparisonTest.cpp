#include "platform/ui/testing/PictureComparison.h"

#include <gtest/gtest.h>

#include "support/Pixels.h"
#include "support/TemporarySandbox.h"

TEST(PictureComparison, MatchesWithinTheTolerance)
{
    plat::test::TemporaryFolder folder;
    auto reference = plat::test::makeFlatImage(10, 10, {100, 100, 100, 255});
    ASSERT_TRUE(plat::test::writePicture(*reference, folder.path("ref.png")));
    auto close = plat::test::makeFlatImage(10, 10, {110, 95, 100, 255});
    auto result = plat::test::compareWithReferencePicture(*close, folder.path("ref.png"), folder.path());
    EXPECT_TRUE(result.matches) << result.explanation;
    EXPECT_EQ(result.maximumDifference, 10);
}

namespace {

constexpr plat::test::Rgba kGrey {100, 100, 100, 255};

std::shared_ptr<plat::Image> withSquare(int width, int height, int left, int top, int side)
{
    return plat::test::makeImage(width, height, [=](int x, int y) {
        bool inside = x >= left && x < left + side && y >= top && y < top + side;
        return inside ? plat::test::Rgba {250, 250, 250, 255} : kGrey;
    });
}

}  // namespace

TEST(PictureComparison, AFewScatteredPixelsPassButAClusterFailsInAnyWindowSize)
{
    plat::test::TemporaryFolder folder;
    // A 2048 x 1536 window: 1% of it would let a 176-pixel square through.
    ASSERT_TRUE(plat::test::writePicture(*plat::test::makeFlatImage(2048, 1536, kGrey), folder.path("ref.png")));

    auto scattered = plat::test::makeImage(2048, 1536, [](int x, int y) {
        for (int i = 0; i < 40; ++i)
            if (x == 13 + i * 47 && y == 7 + i * 31)
                return plat::test::Rgba {200, 0, 0, 255};
        return kGrey;
    });
    auto fine = plat::test::compareWithReferencePicture(*scattered, folder.path("ref.png"), folder.path());
    EXPECT_TRUE(fine.matches) << fine.explanation;
    EXPECT_EQ(fine.differingPixels, 40);

    // A 5 x 5 mark (the dot of an icon) is 25 pixels close together.
    auto mark = plat::test::compareWithReferencePicture(
        *withSquare(2048, 1536, 1000, 700, 5), folder.path("ref.png"), folder.path());
    EXPECT_FALSE(mark.matches);
    EXPECT_EQ(mark.differingPixels, 25);
    EXPECT_NE(mark.explanation.find("25 of 3145728 pixels differ"), std::string::npos) << mark.explanation;
}

TEST(PictureComparison, ManyDifferingPixelsFailEvenWhenSpreadOut)
{
    plat::test::TemporaryFolder folder;
    ASSERT_TRUE(plat::test::writePicture(*plat::test::makeFlatImage(400, 400, kGrey), folder.path("ref.png")));
    auto spread = plat::test::makeImage(400, 400, [](int x, int y) {
        return x % 40 == 0 && y % 40 == 0 ? plat::test::Rgba {0, 0, 0, 255} : kGrey;
    });
    auto result = plat::test::compareWithReferencePicture(*spread, folder.path("ref.png"), folder.path());
    EXPECT_FALSE(result.matches);
    EXPECT_EQ(result.differingPixels, 100);
    EXPECT_EQ(result.differingPixelsInWorstRegion, 1);
}
