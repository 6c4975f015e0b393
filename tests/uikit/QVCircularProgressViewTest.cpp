#include "uikit/QVCircularProgressView.h"

#include <cmath>
#include <gtest/gtest.h>

#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/PictureComparison.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/Pixels.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::test::pixelAt;
using plat::test::Rgba;

constexpr Rgba kWhite {255, 255, 255, 255};
constexpr Rgba kBlack {0, 0, 0, 255};
constexpr Rgba kClear {0, 0, 0, 0};

// A 100 x 100 ring: radius 50, hole radius 46, centre (50, 50).
class CircularProgress : public ::testing::Test {
protected:
    Rgba at(int x, int y)
    {
        auto picture = plat::renderViewToImage(*view, 1);
        if (!picture) {
            ADD_FAILURE() << "nothing rendered";
            return {};
        }
        return pixelAt(*picture, x, y);
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<zt::QVCircularProgressView> view
        = std::make_shared<zt::QVCircularProgressView>(plat::makeRect(0, 0, 100, 100));
};

TEST_F(CircularProgress, StartsAsAnEmptyBlackRingWithAClearMiddle)
{
    auto plain = std::make_shared<zt::QVCircularProgressView>();
    EXPECT_EQ(plain->frame(), plat::makeRect(0, 0, 40, 40));
    EXPECT_EQ(plain->backgroundColor(), plat::Color::clearColor());
    EXPECT_EQ(view->progress(), 0);
    EXPECT_EQ(at(55, 2), kBlack);
    EXPECT_EQ(at(97, 50), kBlack);
    EXPECT_EQ(at(3, 50), kBlack);
    EXPECT_EQ(at(50, 50), kClear);
    EXPECT_EQ(at(80, 50), kClear) << "the hole reaches 46 points out";
}

TEST_F(CircularProgress, HalfFillsTheRightHalfFromTwelveToSixOClock)
{
    view->setProgress(0.5f);
    EXPECT_EQ(at(55, 2), kWhite);
    EXPECT_EQ(at(97, 50), kWhite);
    EXPECT_EQ(at(53, 97), kWhite);
    EXPECT_EQ(at(46, 97), kBlack);
    EXPECT_EQ(at(3, 50), kBlack);
    EXPECT_EQ(at(45, 2), kBlack);
    EXPECT_EQ(at(50, 50), kClear);
}

TEST_F(CircularProgress, OneFillsAllButATenthOfADegree)
{
    view->setProgress(1);
    EXPECT_EQ(at(3, 50), kWhite);
    EXPECT_EQ(at(45, 2), kWhite);
    EXPECT_EQ(at(55, 2), kWhite);
}

TEST_F(CircularProgress, ANewColourShowsOnlyAtTheNextRedraw)
{
    view->setProgress(0.25f);
    EXPECT_EQ(at(3, 50), kBlack);
    view->setTrackTintColor(plat::Color::redColor());
    view->setProgressTintColor(plat::Color::blueColor());
    EXPECT_EQ(at(3, 50), kBlack) << "not redrawn yet";
    view->setProgress(0.25f);
    EXPECT_EQ(at(3, 50), (Rgba {255, 0, 0, 255}));
    EXPECT_EQ(at(84, 16), (Rgba {0, 0, 255, 255})) << "between twelve and three";
}

TEST_F(CircularProgress, RefusesProgressThatIsNoNumber)
{
    view->setProgress(0.5f);
    view->setProgress(std::nanf(""));
    view->setProgress(INFINITY);
    EXPECT_EQ(view->progress(), 0.5f);
    EXPECT_EQ(at(97, 50), kWhite);
    EXPECT_EQ(at(3, 50), kBlack);
}

TEST_F(CircularProgress, AViewWithoutSizeDrawsNothing)
{
    auto empty = std::make_shared<zt::QVCircularProgressView>(plat::makeRect(0, 0, 0, 30));
    empty->setProgress(0.5f);
    EXPECT_FALSE(plat::renderViewToImage(*empty, 1));
}

}  // namespace

namespace {

// The countdown ring as the capture screen shows it, over a dark screen.
class CircularProgressPicture : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_shared<plat::Window>(plat::makeRect(0, 0, 120, 120));
        window->setBackgroundColor(plat::Color::colorWithWhite(0.15, 1));
        window->makeKeyAndVisible();
        ring->setTrackTintColor(plat::Color::colorWithWhite(1, 0.3));
        ring->setProgressTintColor(plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1));
        window->addSubview(ring);
    }

    plat::test::PictureComparison compare()
    {
        auto picture = plat::snapshotWindow(*window, 2);
        if (!picture)
            return {};
        return plat::test::compareWithReferencePicture(
            *picture, plat::test::sourcePath("tests/data/uikit/circular_progress.png"), output.path());
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    plat::test::TemporaryFolder output;
    std::shared_ptr<plat::Window> window;
    std::shared_ptr<zt::QVCircularProgressView> ring
        = std::make_shared<zt::QVCircularProgressView>(plat::makeRect(20, 20, 80, 80));
};

TEST_F(CircularProgressPicture, ShowsTheFilledArcOnTheTrack)
{
    ring->setProgress(0.3f);
    auto result = compare();
    EXPECT_TRUE(result.matches) << result.explanation;
}

TEST_F(CircularProgressPicture, ASmallerArcFailsTheComparison)
{
    ring->setProgress(0.26f);
    EXPECT_FALSE(compare().matches) << "four hundredths of the ring missing";
}

}  // namespace
