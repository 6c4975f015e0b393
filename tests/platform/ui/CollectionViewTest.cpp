#include "platform/ui/CollectionView.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/ui/CollectionViewFlowLayout.h"
#include "platform/ui/Label.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"

namespace {

class Tile : public plat::CollectionViewCell {
public:
    Tile()
    {
        label->setTextAlignment(plat::TextAlignment::Center);
        contentView()->addSubview(label);
        ++made;
    }
    void layoutSubviews() override
    {
        CollectionViewCell::layoutSubviews();
        label->setFrame(contentView()->bounds());
    }
    std::shared_ptr<plat::Label> label = std::make_shared<plat::Label>();
    static inline int made = 0;
};

class Items : public plat::CollectionViewDataSource, public plat::CollectionViewDelegateFlowLayout {
public:
    std::vector<std::vector<std::string>> sections;
    std::vector<std::string> log;
    std::optional<plat::EdgeInsets> firstSectionInset;
    plat::Size header {0, 0};

    int64_t numberOfSectionsInCollectionView(plat::CollectionView&) override
    {
        return static_cast<int64_t>(sections.size());
    }
    int64_t collectionViewNumberOfItemsInSection(plat::CollectionView&, int64_t section) override
    {
        return static_cast<int64_t>(sections[static_cast<size_t>(section)].size());
    }
    std::shared_ptr<plat::CollectionViewCell> collectionViewCellForItemAtIndexPath(
        plat::CollectionView& view, plat::IndexPath path) override
    {
        auto cell = std::static_pointer_cast<Tile>(view.dequeueReusableCellWithReuseIdentifier("tile", path));
        cell->label->setText(sections[static_cast<size_t>(path.section)][static_cast<size_t>(path.row)]);
        return cell;
    }
    std::shared_ptr<plat::CollectionReusableView> collectionViewViewForSupplementaryElementOfKindAtIndexPath(
        plat::CollectionView& view, const std::string& kind, plat::IndexPath path) override
    {
        log.push_back("header " + std::to_string(path.section));
        return view.dequeueReusableSupplementaryViewOfKind(kind, "head", path);
    }
    std::optional<plat::EdgeInsets> collectionViewLayoutInsetForSectionAtIndex(
        plat::CollectionView&, plat::CollectionViewFlowLayout&, int64_t section) override
    {
        if (section == 0)
            return firstSectionInset;
        return std::nullopt;
    }
    std::optional<plat::Size> collectionViewLayoutReferenceSizeForHeaderInSection(
        plat::CollectionView& view, plat::CollectionViewFlowLayout&, int64_t) override
    {
        if (header.height <= 0)
            return std::nullopt;
        return plat::Size {view.bounds().width(), header.height};
    }
    bool collectionViewShouldSelectItemAtIndexPath(plat::CollectionView&, plat::IndexPath path) override
    {
        return path.row != 5;
    }
    void collectionViewDidSelectItemAtIndexPath(plat::CollectionView&, plat::IndexPath path) override
    {
        log.push_back("select " + std::to_string(path.row));
    }
};

std::vector<std::string> named(int count)
{
    std::vector<std::string> items;
    for (int i = 0; i < count; ++i)
        items.push_back("Item " + std::to_string(i));
    return items;
}

class Collections : public ::testing::Test {
protected:
    Collections()
    {
        Tile::made = 0;
        layout->setItemSize({100, 50});
        collection->registerClassForCellWithReuseIdentifier<Tile>("tile");
        collection->registerClassForSupplementaryViewOfKind<plat::CollectionReusableView>(
            plat::CollectionElementKindSectionHeader, "head");
    }

    void show(std::vector<std::vector<std::string>> sections)
    {
        items->sections = std::move(sections);
        collection->setDataSource(items);
        collection->setDelegate(items);
        window->addSubview(collection);
        window->makeKeyAndVisible();
        driver.wait(0);
    }

    plat::Rect frameOf(int64_t item, int64_t section = 0)
    {
        return collection->layoutAttributesForItemAtIndexPath({section, item})->frame;
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    std::shared_ptr<plat::CollectionViewFlowLayout> layout = std::make_shared<plat::CollectionViewFlowLayout>();
    std::shared_ptr<plat::CollectionView> collection
        = std::make_shared<plat::CollectionView>(plat::makeRect(0, 0, 320, 200), layout);
    std::shared_ptr<Items> items = std::make_shared<Items>();
    plat::test::UIDriver driver;
};

}  // namespace

TEST_F(Collections, FlowLinesSpreadTheirItemsAndCentreALoneOne)
{
    show({named(7)});
    EXPECT_EQ(frameOf(0), plat::makeRect(0, 0, 100, 50));
    EXPECT_EQ(frameOf(2), plat::makeRect(220, 0, 100, 50));
    EXPECT_EQ(frameOf(3), plat::makeRect(0, 60, 100, 50));
    EXPECT_EQ(frameOf(6), plat::makeRect(110, 120, 100, 50)) << "a lone item is centred in its line";
    EXPECT_EQ(collection->contentSize(), (plat::Size {320, 170}));
    layout->setMinimumInteritemSpacing(20);
    driver.wait(0);
    EXPECT_EQ(frameOf(1), plat::makeRect(220, 0, 100, 50)) << "two fit now, at the ends of the line";
}

TEST_F(Collections, HeadersAndInsetsComeFromTheDelegate)
{
    items->header = {0, 40};
    items->firstSectionInset = plat::EdgeInsets {16, 0, 0, 0};
    show({named(3), named(2)});
    EXPECT_EQ(frameOf(0), plat::makeRect(0, 56, 100, 50));
    EXPECT_EQ(frameOf(0, 1), plat::makeRect(0, 56 + 50 + 40, 100, 50));
    auto header = collection->supplementaryViewForElementKind(plat::CollectionElementKindSectionHeader, {0, 0});
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->frame(), plat::makeRect(0, 0, 320, 40));
    EXPECT_EQ(header->reuseIdentifier(), "head");
    // Invalidation asks the delegate again.
    items->firstSectionInset = plat::EdgeInsets {0, 0, 0, 0};
    plat::CollectionViewFlowLayoutInvalidationContext context;
    context.setInvalidateFlowLayoutDelegateMetrics(true);
    layout->invalidateLayoutWithContext(context);
    driver.wait(0);
    EXPECT_EQ(frameOf(0), plat::makeRect(0, 40, 100, 50));
}

TEST_F(Collections, OnlyVisibleItemsHaveCellsAndScrollingReusesThem)
{
    show({named(300)});
    EXPECT_EQ(collection->visibleCells().size(), 12u) << "four lines of three in 200 points";
    driver.drag({160, 180}, {160, 20}, 0.2);
    driver.wait(5);
    EXPECT_GT(collection->contentOffset().y, 300);
    EXPECT_LE(Tile::made, 18);
    auto first = collection->indexPathsForVisibleItems().front();
    auto cell = std::static_pointer_cast<Tile>(collection->cellForItemAtIndexPath(first));
    EXPECT_EQ(cell->label->text(), "Item " + std::to_string(first.row));
}

TEST_F(Collections, TappingAnItemSelectsItUnlessTheDelegateRefuses)
{
    show({named(9)});
    ASSERT_TRUE(driver.tap("Item 4"));
    EXPECT_EQ(collection->indexPathsForSelectedItems(), (std::vector<plat::IndexPath> {{0, 4}}));
    EXPECT_TRUE(collection->cellForItemAtIndexPath({0, 4})->isSelected());
    ASSERT_TRUE(driver.tap("Item 5"));
    EXPECT_EQ(collection->indexPathsForSelectedItems(), (std::vector<plat::IndexPath> {{0, 4}}));
    EXPECT_EQ(items->log, (std::vector<std::string> {"select 4"}));
}

TEST_F(Collections, BatchedChangesAnimateAndThenComplete)
{
    show({named(4)});
    items->sections[0] = {"Item 0", "New", "Item 1", "Item 3"};
    bool done = false;
    collection->performBatchUpdates(
        [&] {
            collection->deleteItemsAtIndexPaths({{0, 2}});
            collection->insertItemsAtIndexPaths({{0, 1}});
        },
        [&](bool finished) { done = finished; });
    EXPECT_FALSE(done);
    auto moving = collection->cellForItemAtIndexPath({0, 2});
    EXPECT_EQ(std::static_pointer_cast<Tile>(moving)->label->text(), "Item 1");
    driver.wait(0.29);
    EXPECT_FALSE(done) << "the update takes 0.3 s";
    driver.wait(0.02);
    EXPECT_TRUE(done);
    EXPECT_EQ(moving->frame(), plat::makeRect(220, 0, 100, 50));
    EXPECT_EQ(collection->visibleCells().size(), 4u);
}

TEST_F(Collections, ANewWidthLaysTheLinesOutAgain)
{
    show({named(6)});
    EXPECT_EQ(frameOf(3).minY(), 60);
    collection->setFrame(plat::makeRect(0, 0, 430, 200));
    driver.wait(0);
    EXPECT_EQ(frameOf(3), plat::makeRect(330, 0, 100, 50)) << "four fit in 430 points";
}

TEST_F(Collections, HorizontalFlowRunsInColumns)
{
    layout->setScrollDirection(plat::CollectionViewScrollDirection::Horizontal);
    show({named(9)});
    EXPECT_EQ(frameOf(0), plat::makeRect(0, 0, 100, 50));
    EXPECT_EQ(frameOf(1), plat::makeRect(0, 75, 100, 50)) << "three per column of 200 points, spread";
    EXPECT_EQ(frameOf(3), plat::makeRect(110, 0, 100, 50));
    EXPECT_EQ(collection->contentSize(), (plat::Size {320, 200}));
    collection->scrollToItemAtIndexPath({0, 8}, plat::CollectionViewScrollPositionRight, false);
    EXPECT_EQ(collection->contentOffset().x, 0) << "it all fits";
}

TEST(CollectionsDeathTest, AnUnregisteredIdentifierStops)
{
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    auto view = std::make_shared<plat::CollectionView>(
        plat::makeRect(0, 0, 10, 10), std::make_shared<plat::CollectionViewFlowLayout>());
    EXPECT_DEATH(view->dequeueReusableCellWithReuseIdentifier("nope", {0, 0}), "register a class");
}

TEST_F(Collections, ReloadedItemsAskTheDataSourceAgainAndHeadersAreReused)
{
    items->header = {0, 30};
    show({named(3), named(3)});
    auto firstHeader = collection->supplementaryViewForElementKind(plat::CollectionElementKindSectionHeader, {0, 0});
    ASSERT_NE(firstHeader, nullptr);
    items->sections[0][1] = "Renamed";
    collection->reloadItemsAtIndexPaths({{0, 1}});
    driver.wait(1);
    EXPECT_EQ(std::static_pointer_cast<Tile>(collection->cellForItemAtIndexPath({0, 1}))->label->text(), "Renamed");
    // Scrolled away and back, a header view comes from the reuse queue.
    collection->setContentOffset({0, 150});
    driver.wait(0);
    collection->setContentOffset({0, 0});
    driver.wait(0);
    auto again = collection->supplementaryViewForElementKind(plat::CollectionElementKindSectionHeader, {0, 0});
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->reuseIdentifier(), "head");
    EXPECT_GE(std::count(items->log.begin(), items->log.end(), "header 0"), 2);
}

TEST_F(Collections, MultipleSelectionTogglesAndCodeSelectsWithoutTheDelegate)
{
    show({named(6)});
    collection->setAllowsMultipleSelection(true);
    driver.tap("Item 0");
    driver.tap("Item 2");
    driver.tap("Item 0");
    EXPECT_EQ(collection->indexPathsForSelectedItems(), (std::vector<plat::IndexPath> {{0, 2}}));
    collection->selectItemAtIndexPath(plat::IndexPath {0, 3}, false, plat::CollectionViewScrollPositionNone);
    EXPECT_EQ(collection->indexPathsForSelectedItems().size(), 2u);
    EXPECT_EQ(items->log, (std::vector<std::string> {"select 0", "select 2"}));
    collection->reloadData();
    EXPECT_TRUE(collection->indexPathsForSelectedItems().empty());
}

namespace {

// Looks at the items on screen whenever a cell goes.
class WatchingItems : public Items {
public:
    void collectionViewDidEndDisplayingCellForItemAtIndexPath(
        plat::CollectionView& view, plat::CollectionViewCell&, plat::IndexPath path) override
    {
        log.push_back(
            "gone " + std::to_string(path.row) + " of " + std::to_string(view.indexPathsForVisibleItems().size()));
    }
};

}  // namespace

TEST_F(Collections, ADelegateLookingAtTheItemsWhileCellsGoSeesThemConsistently)
{
    items = std::make_shared<WatchingItems>();
    show({named(60)});
    ASSERT_EQ(collection->indexPathsForVisibleItems().size(), 12u);
    // Scrolled in this turn: the items are laid out again only when asked.
    collection->setContentOffset({0, 120});
    collection->reloadData();
    driver.wait(0);
    EXPECT_EQ(collection->indexPathsForVisibleItems().front(), (plat::IndexPath {0, 6}));

    collection->setContentOffset({0, 240});
    items->sections[0].erase(items->sections[0].begin() + 13);
    items->log.clear();
    collection->deleteItemsAtIndexPaths({{0, 13}});
    // The deleted item goes once; then the items scrolled off go, each once.
    EXPECT_EQ(items->log,
        (std::vector<std::string> {"gone 13 of 12", "gone 6 of 11", "gone 7 of 10", "gone 8 of 9", "gone 9 of 8",
            "gone 10 of 7", "gone 11 of 6"}));
    driver.wait(1);
    auto first = collection->indexPathsForVisibleItems().front();
    EXPECT_EQ(first, (plat::IndexPath {0, 12}));
    auto cell = std::static_pointer_cast<Tile>(collection->cellForItemAtIndexPath({0, 13}));
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->label->text(), "Item 14");
}

TEST_F(Collections, AShownCellGivesItsIndexPathBackAndAnyOtherCellNone)
{
    show({named(9)});
    auto cell = collection->cellForItemAtIndexPath({0, 4});
    ASSERT_TRUE(cell);
    EXPECT_EQ(collection->indexPathForCell(*cell), (plat::IndexPath {0, 4}));
    Tile stranger;
    EXPECT_EQ(collection->indexPathForCell(stranger), std::nullopt);
}
