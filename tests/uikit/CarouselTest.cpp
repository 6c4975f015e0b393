#include "uikit/Carousel.h"

#include <gtest/gtest.h>

#include "CarouselTestSupport.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Transition.h"

namespace {

using zt::test::CarouselFixture;
using zt::test::NumberedItems;

using CarouselLoading = CarouselFixture;

TEST_F(CarouselLoading, LoadsTheItemsThatFitPlusOneAtEachEnd)
{
    show(10);
    EXPECT_EQ(carousel->numberOfItems(), 10);
    EXPECT_EQ(carousel->itemWidth(), 100);
    // (400 - 100) / 100 slots, plus two.
    EXPECT_EQ(carousel->numberOfVisibleItems(), 5);
    EXPECT_EQ(carousel->indexesForVisibleItems(), (std::vector<int64_t> {0, 1, 2, 3, 4}));
    EXPECT_EQ(carousel->visibleItemViews().size(), 5u);
    EXPECT_EQ(carousel->currentItemView(), carousel->itemViewAtIndex(0));
}

TEST_F(CarouselLoading, PlacesEachItemOneWidthFurtherAlongTheRow)
{
    show(10);
    for (int64_t index = 0; index < 5; ++index) {
        plat::Point centre = onScreen(index);
        EXPECT_NEAR(centre.x, kCentreX + 100.0 * static_cast<double>(index), 1e-6) << index;
        EXPECT_NEAR(centre.y, kCentreY, 1e-6) << index;
        plat::Transform3D transform = transformOf(index);
        EXPECT_DOUBLE_EQ(transform.m34, static_cast<double>(-1.0f / 500.0f));
        EXPECT_DOUBLE_EQ(transform.m41, 100.0 * static_cast<double>(index));
    }
}

TEST_F(CarouselLoading, ContainersTakeTheItemWidthAndCentreTheirView)
{
    delegate->itemWidth = 120;
    show(3);
    auto container = containerOf(1);
    ASSERT_TRUE(container);
    EXPECT_EQ(container->bounds().size, (plat::Size {120, 80}));
    EXPECT_EQ(carousel->itemViewAtIndex(1)->frame(), plat::makeRect(10, 0, 100, 80));
    EXPECT_EQ(container->superview(), carousel->contentView());
    EXPECT_EQ(carousel->contentView()->frame(), plat::makeRect(0, 0, 400, 200));
}

TEST_F(CarouselLoading, AnEmptyViewFillsTheSlotOfAMissingView)
{
    carousel->setDataSource(items = std::make_shared<NumberedItems>(0));
    items->count = 3;
    items->makesNoView = true;
    delegate->itemWidth = 100;
    carousel->setDelegate(delegate);
    carousel->reloadData();
    settle();
    ASSERT_EQ(carousel->indexesForVisibleItems(), (std::vector<int64_t> {0, 1, 2}));
    auto empty = carousel->itemViewAtIndex(1);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->subviews().empty());
    EXPECT_EQ(containerOf(1)->superview(), carousel->contentView());
}

TEST_F(CarouselLoading, ViewsLeavingTheRowAreOfferedBackForReuse)
{
    show(20);
    std::vector<std::shared_ptr<plat::View>> firstViews = carousel->visibleItemViews();
    carousel->setScrollOffset(10);
    EXPECT_EQ(carousel->indexesForVisibleItems(), (std::vector<int64_t> {8, 9, 10, 11, 12}));
    ASSERT_EQ(items->reusedViews.size(), 5u);
    for (const auto& reused : items->reusedViews)
        EXPECT_NE(std::find(firstViews.begin(), firstViews.end(), reused), firstViews.end());
}

TEST_F(CarouselLoading, IndexOfAViewOrOfTheItemItLiesIn)
{
    show(5);
    auto item = carousel->itemViewAtIndex(2);
    auto inner = std::make_shared<plat::View>(plat::makeRect(0, 0, 10, 10));
    item->addSubview(inner);
    EXPECT_EQ(carousel->indexOfItemView(item.get()), 2);
    EXPECT_EQ(carousel->indexOfItemView(inner.get()), plat::kNotFound);
    EXPECT_EQ(carousel->indexOfItemViewOrSubview(inner.get()), 2);
    EXPECT_EQ(carousel->indexOfItemViewOrSubview(item->superview().get()), plat::kNotFound);
    EXPECT_EQ(carousel->indexOfItemViewOrSubview(carousel.get()), plat::kNotFound);
}

TEST_F(CarouselLoading, PlaceholdersStandBeforeTheFirstAndAfterTheLastItem)
{
    show(2, 2);
    // Five slots around item 0: one placeholder before, the two items, one placeholder after.
    EXPECT_EQ(carousel->indexesForVisibleItems(), (std::vector<int64_t> {-1, 0, 1, 2}));
    EXPECT_EQ(items->askedPlaceholders, (std::vector<int64_t> {0, 1}));
    EXPECT_EQ(carousel->itemViewAtIndex(-1)->tag(), -1000);
    EXPECT_EQ(carousel->itemViewAtIndex(2)->tag(), -1001);
    EXPECT_NEAR(onScreen(-1).x, kCentreX - 100, 1e-6);
}

TEST_F(CarouselLoading, WrappingShowsTheLastItemsBeforeTheFirst)
{
    delegate->options[zt::CarouselOptionWrap] = 1;
    show(10);
    EXPECT_TRUE(carousel->wrapEnabled());
    EXPECT_EQ(carousel->indexesForVisibleItems(), (std::vector<int64_t> {0, 1, 2, 8, 9}));
    EXPECT_NEAR(onScreen(9).x, kCentreX - 100, 1e-6);
    EXPECT_NEAR(onScreen(8).x, kCentreX - 200, 1e-6);
}

TEST_F(CarouselLoading, ReloadingWithTheRowPastItsStartScrollsToTheFirstItem)
{
    show(0);
    // With no items the row rests at -1.
    EXPECT_EQ(carousel->scrollOffset(), -1);
    items->count = 4;
    carousel->reloadData();
    EXPECT_EQ(carousel->scrollOffset(), 0);
    settle();
    EXPECT_EQ(carousel->indexesForVisibleItems(), (std::vector<int64_t> {0, 1, 2, 3}));
}

TEST_F(CarouselLoading, WithPlaceholdersTheScrollToTheFirstItemIsAnimated)
{
    show(0, 2);
    carousel->setScrollOffset(-1);
    items->count = 4;
    carousel->reloadData();
    EXPECT_TRUE(carousel->scrolling());
    settle();
    EXPECT_EQ(carousel->scrollOffset(), 0);
}

TEST_F(CarouselLoading, ANewDelegateWarnsOfEachOutdatedOperationItImplements)
{
    struct OldDelegate : zt::CarouselDelegate, zt::CarouselOutdatedShouldWrap, zt::CarouselOutdatedVisibleItems {
        bool carouselShouldWrap(zt::Carousel&) override { return true; }
        uint64_t numberOfVisibleItemsInCarousel(zt::Carousel&) override { return 3; }
    };
    auto old = std::make_shared<OldDelegate>();
    testing::internal::CaptureStderr();
    carousel->setDelegate(old);
    carousel->setDelegate(old);  // the same delegate again says nothing
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("Warning: The carouselShouldWrap: delegate method is deprecated. Use "
                       "carousel:valueForOption:withDefault: with CarouselOptionWrap instead"),
        std::string::npos);
    EXPECT_NE(
        log.find("Warning: The numberOfVisibleItemsInCarousel: dataSource method is deprecated."), std::string::npos);
    EXPECT_EQ(log.find("carouselOffsetMultiplier"), std::string::npos);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);

    items = std::make_shared<NumberedItems>(10);
    carousel->setDataSource(items);
    settle();
    EXPECT_TRUE(carousel->wrapEnabled()) << "the outdated wrap answer is honoured";
}

TEST_F(CarouselLoading, OutdatedOptionAnswersAreHonoured)
{
    struct OldDelegate : zt::test::RecordingDelegate,
                         zt::CarouselOutdatedOffsetMultiplier,
                         zt::CarouselOutdatedTransformOption,
                         zt::CarouselOutdatedIndexUpdated {
        double carouselOffsetMultiplier(zt::Carousel&) override { return 3; }
        double carouselValueForTransformOptionWithDefault(
            zt::Carousel&, zt::CarouselOption option, double defaultValue) override
        {
            if (option == zt::CarouselOptionSpacing)
                return 2;
            return option == zt::CarouselOptionVisibleItems ? 1 : defaultValue;
        }
        void carouselCurrentItemIndexUpdated(zt::Carousel& carousel) override
        {
            updates.push_back(carousel.currentItemIndex());
        }
        std::vector<int64_t> updates;
    };
    auto old = std::make_shared<OldDelegate>();
    old->options[zt::CarouselOptionVisibleItems] = 4;  // the current operation answers first
    delegate = old;
    show(10);
    EXPECT_EQ(carousel->numberOfVisibleItems(), 4);
    EXPECT_EQ(carousel->offsetMultiplier(), 3);
    EXPECT_NEAR(onScreen(1).x, kCentreX + 200, 1e-6);
    carousel->setScrollOffset(2);
    EXPECT_EQ(old->indexChanges, (std::vector<int64_t> {2}));
    EXPECT_EQ(old->updates, (std::vector<int64_t> {2}));
}

TEST_F(CarouselLoading, AnOutdatedDataSourceSetsTheNumberOfLoadedViews)
{
    struct OldItems : NumberedItems, zt::CarouselOutdatedVisibleItems {
        OldItems()
            : NumberedItems(10)
        {
        }
        uint64_t numberOfVisibleItemsInCarousel(zt::Carousel&) override { return 2; }
    };
    auto old = std::make_shared<OldItems>();
    carousel->setDataSource(old);
    settle();
    EXPECT_EQ(carousel->numberOfVisibleItems(), 2);
    EXPECT_EQ(carousel->indexesForVisibleItems(), (std::vector<int64_t> {0, 1}));
}

using CarouselScrolling = CarouselFixture;

TEST_F(CarouselScrolling, HalfwayBetweenItemsTheCurrentIndexRoundsAwayFromZero)
{
    show(5);
    carousel->setScrollOffset(2.5);
    EXPECT_EQ(carousel->currentItemIndex(), 3);
    carousel->setScrollOffset(1.49);
    EXPECT_EQ(carousel->currentItemIndex(), 1);
}

TEST_F(CarouselScrolling, SettingTheOffsetClampsItToTheItems)
{
    show(5);
    carousel->setScrollOffset(7);
    EXPECT_EQ(carousel->scrollOffset(), 4);
    carousel->setScrollOffset(-3);
    EXPECT_EQ(carousel->scrollOffset(), 0);
    carousel->setScrollOffset(2.3);
    EXPECT_EQ(carousel->scrollOffset(), static_cast<double>(2.3f)) << "clamped in single precision";
    carousel->setCurrentItemIndex(1);
    EXPECT_EQ(carousel->scrollOffset(), 1);
    EXPECT_EQ(delegate->indexChanges, (std::vector<int64_t> {4, 0, 2, 1}));
}

TEST_F(CarouselScrolling, AnAnimatedScrollEasesToTheItemInFourTenthsOfASecond)
{
    show(10);
    delegate->events.clear();
    carousel->scrollToItemAtIndex(4, /*animated=*/true);
    EXPECT_TRUE(carousel->scrolling());
    EXPECT_EQ(delegate->events, (std::vector<std::string> {"willBeginScrollingAnimation"}));
    clock.advance(0.1);
    // Eased: a quarter of the time covers (2 x 0.25)^3 / 2 of the way.
    EXPECT_NEAR(carousel->scrollOffset(), 4 * 0.0625, 0.02);
    clock.advance(0.1);
    EXPECT_NEAR(carousel->scrollOffset(), 2, 0.1);
    clock.advance(0.25);
    EXPECT_EQ(carousel->scrollOffset(), 4);
    EXPECT_FALSE(carousel->scrolling());
    EXPECT_EQ(delegate->events, (std::vector<std::string> {"willBeginScrollingAnimation", "didEndScrollingAnimation"}));
    EXPECT_EQ(delegate->indexChanges.back(), 4);
}

TEST_F(CarouselScrolling, ScrollingByItemsCountsFromTheWholeItemBehind)
{
    show(10);
    carousel->setScrollOffset(2.25);
    carousel->scrollByNumberOfItems(2, 0.3);
    settle();
    EXPECT_EQ(carousel->scrollOffset(), 4);
    carousel->setScrollOffset(2.25);
    carousel->scrollByNumberOfItems(-1, 0.3);
    settle();
    EXPECT_EQ(carousel->scrollOffset(), 2);
    carousel->scrollByNumberOfItems(3, 0);
    EXPECT_EQ(carousel->scrollOffset(), 5);
}

TEST_F(CarouselScrolling, AWrappingRowTakesTheShortWayRound)
{
    delegate->options[zt::CarouselOptionWrap] = 1;
    show(10);
    carousel->setScrollOffset(8);
    carousel->scrollToItemAtIndex(1, /*animated=*/true);
    clock.advance(0.2);
    // Half way from 8 to 11 (that is 1) is 9.5.
    EXPECT_NEAR(carousel->scrollOffset(), 9.5, 0.15);
    settle();
    EXPECT_EQ(carousel->scrollOffset(), 1);
    EXPECT_EQ(carousel->currentItemIndex(), 1);
}

TEST_F(CarouselScrolling, ALayoutPassAtRestStillRunsAScrollAnimation)
{
    show(10);
    carousel->setScrollOffset(3);
    delegate->events.clear();
    carousel->setNeedsLayout();
    clock.advance(0);
    EXPECT_EQ(delegate->events, (std::vector<std::string> {"willBeginScrollingAnimation"}));
    clock.advance(0.45);
    EXPECT_EQ(delegate->events, (std::vector<std::string> {"willBeginScrollingAnimation", "didEndScrollingAnimation"}));
    EXPECT_EQ(carousel->scrollOffset(), 3);
}

TEST_F(CarouselScrolling, TheTimerStopsOnceNothingMoves)
{
    show(10);
    carousel->scrollToItemAtIndex(5, /*animated=*/true);
    settle();
    int scrollEvents = delegate->scrollEvents;
    clock.advance(1);
    EXPECT_EQ(delegate->scrollEvents, scrollEvents);
    EXPECT_EQ(carousel->toggle(), 0);
}

TEST_F(CarouselScrolling, ChangingTheLayoutKeepsTheCurrentItem)
{
    show(10);
    carousel->setScrollOffset(3);
    carousel->setVertical(true);
    settle();
    EXPECT_EQ(carousel->currentItemIndex(), 3);
    // The item width was measured before, across.
    EXPECT_NEAR(onScreen(4).y, kCentreY + 100, 1e-6);
    EXPECT_NEAR(onScreen(4).x, kCentreX, 1e-6);
    carousel->setContentOffset({10, 20});
    EXPECT_NEAR(onScreen(3).x, kCentreX + 10, 1e-6);
    EXPECT_NEAR(onScreen(3).y, kCentreY + 20, 1e-6);
}

TEST_F(CarouselScrolling, ResizingLaysTheRowOutAgainAtOnce)
{
    show(20);
    EXPECT_EQ(carousel->numberOfVisibleItems(), 5);
    carousel->setFrame(plat::makeRect(0, 0, 568, 200));
    EXPECT_EQ(carousel->numberOfVisibleItems(), 7);
    EXPECT_EQ(carousel->contentView()->bounds().size, (plat::Size {568, 200}));
    EXPECT_EQ(carousel->indexesForVisibleItems().size(), 7u);
}

TEST_F(CarouselScrolling, LeavingTheWindowHoldsTheRowStillUntilItComesBack)
{
    show(10);
    carousel->scrollToItemAtIndex(4, /*animated=*/true);
    clock.advance(0.1);
    const double heldAt = carousel->scrollOffset();
    carousel->removeFromSuperview();
    clock.advance(1);
    EXPECT_EQ(carousel->scrollOffset(), heldAt);
    EXPECT_TRUE(carousel->scrolling());
    window->addSubview(carousel);
    clock.advance(0.1);
    EXPECT_EQ(carousel->scrollOffset(), 4);
    EXPECT_FALSE(carousel->scrolling());
}

TEST_F(CarouselScrolling, ACarouselOrDelegateGoneMidScrollIsNoTrouble)
{
    show(10);
    carousel->scrollToItemAtIndex(4, /*animated=*/true);
    clock.advance(0.1);
    delegate.reset();
    clock.advance(0.1);
    carousel->removeFromSuperview();
    carousel->scrollToItemAtIndex(8, /*animated=*/true);
    std::weak_ptr<zt::Carousel> gone = carousel;
    carousel.reset();
    EXPECT_TRUE(gone.expired());
    clock.advance(1);
}

using CarouselChanges = CarouselFixture;

TEST_F(CarouselChanges, InsertingMovesTheLaterItemsUpByOne)
{
    show(5);
    auto second = carousel->itemViewAtIndex(1);
    items->count = 6;
    carousel->insertItemAtIndex(1, /*animated=*/false);
    EXPECT_EQ(carousel->numberOfItems(), 6);
    EXPECT_EQ(carousel->itemViewAtIndex(2), second);
    EXPECT_NE(carousel->itemViewAtIndex(1), second);
    EXPECT_EQ(containerOf(1)->layer()->opacity(), 1);
    EXPECT_NEAR(onScreen(1).x, kCentreX + 100, 1e-6);
    EXPECT_NEAR(onScreen(2).x, kCentreX + 200, 1e-6);
}

TEST_F(CarouselChanges, AnAnimatedInsertFadesTheNewItemIn)
{
    show(5);
    items->count = 6;
    carousel->insertItemAtIndex(2, /*animated=*/true);
    auto container = containerOf(2);
    clock.advance(0.05);
    EXPECT_LT(container->layer()->presentationProperties().opacity, 0.5);
    EXPECT_NEAR(onScreen(3).x, kCentreX + 300, 1e-6) << "the model is at the end already";
    clock.advance(0.6);
    EXPECT_EQ(container->layer()->presentationProperties().opacity, 1);
    EXPECT_EQ(container->layer()->opacity(), 1);
}

TEST_F(CarouselChanges, RemovingMovesTheLaterItemsDownAndPoolsTheView)
{
    show(8);
    auto removed = carousel->itemViewAtIndex(1);
    auto container = containerOf(1);
    auto third = carousel->itemViewAtIndex(2);
    items->count = 7;
    carousel->removeItemAtIndex(1, /*animated=*/false);
    EXPECT_EQ(carousel->numberOfItems(), 7);
    EXPECT_EQ(carousel->itemViewAtIndex(1), third);
    EXPECT_EQ(container->superview(), nullptr) << "its container left the row";
    // The row refills its window from the pool: the removed view comes back as item 4.
    EXPECT_EQ(carousel->indexesForVisibleItems(), (std::vector<int64_t> {0, 1, 2, 3, 4}));
    ASSERT_FALSE(items->reusedViews.empty());
    EXPECT_EQ(items->reusedViews.back(), removed);
    EXPECT_EQ(carousel->indexOfItemView(removed.get()), 4);
}

TEST_F(CarouselChanges, RemovingTheLastItemWhileCurrentSettlesOnTheNewLast)
{
    show(3);
    carousel->setScrollOffset(2);
    items->count = 2;
    carousel->removeItemAtIndex(2, /*animated=*/false);
    EXPECT_EQ(carousel->scrollOffset(), 1);
    EXPECT_EQ(carousel->currentItemIndex(), 1);
}

TEST_F(CarouselChanges, AnAnimatedRemoveFadesTheContainerThenTakesItOut)
{
    show(6);
    auto removed = carousel->itemViewAtIndex(2);
    auto container = removed->superview();
    items->count = 5;
    carousel->removeItemAtIndex(2, /*animated=*/true);
    EXPECT_EQ(carousel->numberOfItems(), 5);
    EXPECT_EQ(container->superview(), carousel->contentView()) << "still fading";
    EXPECT_EQ(container->layer()->opacity(), 0);
    clock.advance(0.15);
    EXPECT_EQ(container->superview(), nullptr);
    EXPECT_NE(carousel->itemViewAtIndex(2), removed);
    settle();
    EXPECT_NEAR(onScreen(2).x, kCentreX + 200, 1e-6);
}

TEST_F(CarouselChanges, ReloadingAnItemPutsAFreshViewInTheSameContainer)
{
    show(4);
    auto container = containerOf(1);
    auto old = carousel->itemViewAtIndex(1);
    items->asked.clear();
    carousel->reloadItemAtIndex(1, /*animated=*/true);
    EXPECT_EQ(items->asked, (std::vector<int64_t> {1}));
    auto fresh = carousel->itemViewAtIndex(1);
    EXPECT_EQ(fresh->superview(), container);
    EXPECT_EQ(container->subviews().size(), 1u);
    EXPECT_TRUE(container->layer()->animationForKey("transition"));
    // The old view waits in the pool and comes back for the next request.
    carousel->reloadItemAtIndex(1, /*animated=*/false);
    EXPECT_EQ(items->reusedViews.back(), old);
}

}  // namespace
