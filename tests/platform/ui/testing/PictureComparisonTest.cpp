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
