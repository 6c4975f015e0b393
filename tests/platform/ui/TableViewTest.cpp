#include "platform/ui/TableView.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/ui/Label.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/TableViewController.h"
#include "platform/ui/TableViewHeaderFooterView.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"

namespace {

// Sections of named rows; records what the table asks and tells.
class Rows : public plat::TableViewDataSource, public plat::TableViewDelegate {
public:
    std::vector<std::string> titles;
    std::vector<std::vector<std::string>> sections;
    std::vector<std::string> log;
    int cellsMade = 0;
    bool editable = true;
    bool movable = false;
    std::optional<double> tallRowHeight;
    std::optional<plat::IndexPath> redirect;
    std::shared_ptr<plat::TableView> table;

    int64_t numberOfSectionsInTableView(plat::TableView&) override { return static_cast<int64_t>(sections.size()); }
    int64_t tableViewNumberOfRowsInSection(plat::TableView&, int64_t section) override
    {
        return static_cast<int64_t>(sections[static_cast<size_t>(section)].size());
    }
    std::shared_ptr<plat::TableViewCell> tableViewCellForRowAtIndexPath(
        plat::TableView& t, plat::IndexPath path) override
    {
        auto cell = t.dequeueReusableCellWithIdentifier("Row");
        if (!cell) {
            cell = std::make_shared<plat::TableViewCell>(plat::TableViewCellStyle::Value1, "Row");
            ++cellsMade;
        }
        cell->textLabel()->setText(sections[static_cast<size_t>(path.section)][static_cast<size_t>(path.row)]);
        cell->detailTextLabel()->setText(std::to_string(path.row));
        return cell;
    }
    std::optional<std::string> tableViewTitleForHeaderInSection(plat::TableView&, int64_t section) override
    {
        if (titles.empty())
            return std::nullopt;
        return titles[static_cast<size_t>(section)];
    }
    std::vector<std::string> sectionIndexTitlesForTableView(plat::TableView&) override { return titles; }
    bool commitsEditingStyles() const override { return editable; }
    void tableViewCommitEditingStyleForRowAtIndexPath(
        plat::TableView& t, plat::TableViewCellEditingStyle style, plat::IndexPath path) override
    {
        auto& rows = sections[static_cast<size_t>(path.section)];
        if (style == plat::TableViewCellEditingStyle::Delete) {
            log.push_back("delete " + rows[static_cast<size_t>(path.row)]);
            rows.erase(rows.begin() + path.row);
            t.deleteRowsAtIndexPaths({path}, plat::TableViewRowAnimation::Fade);
        } else {
            log.push_back("insert at " + std::to_string(path.row));
            rows.insert(rows.begin() + path.row, "New");
            t.insertRowsAtIndexPaths({path}, plat::TableViewRowAnimation::Left);
        }
    }
    bool movesRows() const override { return movable; }
    void tableViewMoveRowAtIndexPathToIndexPath(plat::TableView&, plat::IndexPath from, plat::IndexPath to) override
    {
        auto& source = sections[static_cast<size_t>(from.section)];
        std::string row = source[static_cast<size_t>(from.row)];
        source.erase(source.begin() + from.row);
        auto& target = sections[static_cast<size_t>(to.section)];
        target.insert(target.begin() + to.row, row);
        log.push_back("move " + row + " to " + std::to_string(to.row));
    }
    std::optional<double> tableViewHeightForRowAtIndexPath(plat::TableView&, plat::IndexPath path) override
    {
        if (tallRowHeight && path.row == 1)
            return tallRowHeight;
        return std::nullopt;
    }
    std::optional<plat::IndexPath> tableViewWillSelectRowAtIndexPath(plat::TableView&, plat::IndexPath path) override
    {
        log.push_back("will select " + std::to_string(path.row));
        return redirect ? redirect : std::optional<plat::IndexPath>(path);
    }
    void tableViewDidSelectRowAtIndexPath(plat::TableView&, plat::IndexPath path) override
    {
        log.push_back("did select " + std::to_string(path.row));
    }
    void tableViewDidDeselectRowAtIndexPath(plat::TableView&, plat::IndexPath path) override
    {
        log.push_back("did deselect " + std::to_string(path.row));
    }
    plat::TableViewCellEditingStyle tableViewEditingStyleForRowAtIndexPath(
        plat::TableView&, plat::IndexPath path) override
    {
        return path.row == 0 ? plat::TableViewCellEditingStyle::Insert : plat::TableViewCellEditingStyle::Delete;
    }
};

std::vector<std::string> numbered(const std::string& prefix, int count)
{
    std::vector<std::string> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back(prefix + " " + std::to_string(i));
    return rows;
}

class Tables : public ::testing::Test {
protected:
    void show(std::vector<std::vector<std::string>> sections, std::vector<std::string> titles = {})
    {
        rows->sections = std::move(sections);
        rows->titles = std::move(titles);
        rows->table = table;
        table->setDataSource(rows);
        table->setDelegate(rows);
        window->addSubview(table);
        window->makeKeyAndVisible();
        driver.wait(0);
    }

    std::vector<std::string> shownTexts()
    {
        std::vector<std::string> texts;
        for (const auto& cell : table->visibleCells())
            texts.push_back(cell->textLabel()->text());
        return texts;
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    std::shared_ptr<plat::TableView> table
        = std::make_shared<plat::TableView>(plat::makeRect(0, 0, 320, 220), plat::TableViewStyle::Plain);
    std::shared_ptr<Rows> rows = std::make_shared<Rows>();
    plat::test::UIDriver driver;
};

}  // namespace

TEST_F(Tables, OnlyRowsOnScreenHaveCellsAndCellsAreReused)
{
    show({numbered("Row", 10000)});
    EXPECT_EQ(table->numberOfRowsInSection(0), 10000);
    EXPECT_EQ(table->contentSize().height, 440000);
    EXPECT_EQ(table->indexPathsForVisibleRows().size(), 5u) << "220 points of 44-point rows";
    for (int step = 0; step < 50; ++step)
        driver.drag({160, 200}, {160, 20}, 0.1);
    driver.wait(10);
    EXPECT_GT(table->contentOffset().y, 9000);
    EXPECT_LE(rows->cellsMade, 7) << "a screenful and a little more, however far it scrolled";
    auto first = table->indexPathsForVisibleRows().front();
    EXPECT_EQ(shownTexts().front(), "Row " + std::to_string(first.row));
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 0}), nullptr);
}

TEST_F(Tables, TappingARowSelectsItAndTheNextTapMovesTheSelection)
{
    show({numbered("Row", 20)});
    ASSERT_TRUE(driver.tap("Row 2"));
    EXPECT_EQ(table->indexPathForSelectedRow(), (plat::IndexPath {0, 2}));
    EXPECT_TRUE(table->cellForRowAtIndexPath({0, 2})->isSelected());
    ASSERT_TRUE(driver.tap("Row 3"));
    EXPECT_EQ(rows->log,
        (std::vector<std::string> {
            "will select 2", "did select 2", "will select 3", "did deselect 2", "did select 3"}));
    EXPECT_FALSE(table->cellForRowAtIndexPath({0, 2})->isSelected());
    table->deselectRowAtIndexPath({0, 3}, /*animated=*/true);
    EXPECT_FALSE(table->indexPathForSelectedRow());
}

TEST_F(Tables, TheDelegateCanRedirectASelectionAndADragSelectsNothing)
{
    show({numbered("Row", 20)});
    rows->redirect = plat::IndexPath {0, 4};
    driver.tap("Row 1");
    EXPECT_EQ(table->indexPathForSelectedRow(), (plat::IndexPath {0, 4}));
    rows->redirect.reset();
    table->deselectRowAtIndexPath({0, 4}, false);
    rows->log.clear();
    driver.drag({160, 100}, {160, 40}, 0.3);
    EXPECT_TRUE(rows->log.empty()) << "the scroll took the touch from the row";
    EXPECT_FALSE(table->indexPathForSelectedRow());
}

TEST_F(Tables, CellStylesPlaceTheirLabelsAndAccessories)
{
    auto value1 = std::make_shared<plat::TableViewCell>(plat::TableViewCellStyle::Value1, "a");
    auto subtitle = std::make_shared<plat::TableViewCell>(plat::TableViewCellStyle::Subtitle, "b");
    auto plain = std::make_shared<plat::TableViewCell>(plat::TableViewCellStyle::Default, "c");
    EXPECT_EQ(plain->detailTextLabel(), nullptr);
    for (const auto& cell : {value1, subtitle}) {
        cell->setFrame(plat::makeRect(0, 0, 320, 44));
        cell->textLabel()->setText("Title");
        cell->detailTextLabel()->setText("Detail");
        window->addSubview(cell);
    }
    value1->setAccessoryType(plat::TableViewCellAccessoryType::DisclosureIndicator);
    subtitle->setAccessoryType(plat::TableViewCellAccessoryType::Checkmark);
    value1->layoutIfNeeded();
    subtitle->layoutIfNeeded();
    auto detail = value1->detailTextLabel()->convertRect(value1->detailTextLabel()->bounds(), value1.get());
    EXPECT_GT(detail.minX(), 160) << "value 1 puts the detail on the right";
    EXPECT_LE(detail.maxX(), 320 - 15 - 8 - 10) << "before the chevron";
    EXPECT_EQ(subtitle->textLabel()->frame().minX(), subtitle->detailTextLabel()->frame().minX());
    EXPECT_LT(subtitle->textLabel()->frame().maxY(), subtitle->detailTextLabel()->frame().maxY());
    EXPECT_EQ(subtitle->textLabel()->frame().maxY(), subtitle->detailTextLabel()->frame().minY());
    plat::test::UIDriver here(window);
    window->makeKeyAndVisible();
    EXPECT_NE(here.findView("checkmark"), nullptr);
    EXPECT_NE(here.findView("disclosure indicator"), nullptr);
}

TEST_F(Tables, PlainHeadersStayOnTopWhileTheirRowsPass)
{
    show({numbered("A", 10), numbered("B", 10), numbered("C", 10)}, {"A", "B", "C"});
    EXPECT_EQ(table->rectForHeaderInSection(1), plat::makeRect(0, 22 + 440, 320, 22));
    table->setContentOffset({0, 600});
    auto header = table->headerViewForSection(1);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->frame().minY(), 600);
    auto title = std::dynamic_pointer_cast<plat::TableViewHeaderFooterView>(header);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->textLabel()->text(), "B");
    // At the end of section B its header is pushed up by the next one.
    table->setContentOffset({0, 910});
    EXPECT_EQ(table->headerViewForSection(1)->frame().minY(), 2 * 462 - 22);
}

TEST_F(Tables, RowHeightsComeFromTheDelegate)
{
    rows->tallRowHeight = 100;
    show({numbered("Row", 5)});
    EXPECT_EQ(table->rectForRowAtIndexPath({0, 2}), plat::makeRect(0, 144, 320, 44));
    EXPECT_EQ(table->indexPathForRowAtPoint({10, 100}), (plat::IndexPath {0, 1}));
    EXPECT_EQ(table->contentSize().height, 4 * 44 + 100);
}

TEST_F(Tables, EditingModeDeletesARowAfterConfirmation)
{
    show({numbered("Row", 6)});
    table->setEditing(true, /*animated=*/true);
    driver.wait(0);
    ASSERT_TRUE(driver.tap("Delete Row 2"));
    auto cell = table->cellForRowAtIndexPath({0, 2});
    ASSERT_NE(cell->deleteConfirmationButton(), nullptr);
    EXPECT_TRUE(rows->log.empty()) << "the control only asks for the confirmation";
    ASSERT_TRUE(driver.tap("Delete"));
    EXPECT_EQ(rows->log, (std::vector<std::string> {"delete Row 2"}));
    EXPECT_EQ(table->numberOfRowsInSection(0), 5);
    driver.wait(0.3);  // the rows move
    EXPECT_EQ(shownTexts(), (std::vector<std::string> {"Row 0", "Row 1", "Row 3", "Row 4", "Row 5"}));
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 2})->frame().minY(), 88) << "the rows below moved up";
    EXPECT_FALSE(cell->isDescendantOfView(*table) && !cell->isHidden()) << "the deleted row's cell went";
}

TEST_F(Tables, AnInsertControlInsertsAtOnce)
{
    show({numbered("Row", 3)});
    table->setEditing(true);
    driver.wait(0);
    ASSERT_TRUE(driver.tap("Insert Row 0"));
    EXPECT_EQ(rows->log, (std::vector<std::string> {"insert at 0"}));
    driver.wait(0.3);  // the rows move
    EXPECT_EQ(shownTexts(), (std::vector<std::string> {"New", "Row 0", "Row 1", "Row 2"}));
}

TEST_F(Tables, ASwipeToTheLeftOffersDeleteOutsideEditing)
{
    show({numbered("Row", 4)});
    driver.drag({250, 66}, {150, 66}, 0.15);
    auto cell = table->cellForRowAtIndexPath({0, 1});
    ASSERT_NE(cell->deleteConfirmationButton(), nullptr);
    driver.tap("Delete");
    driver.wait(1);
    EXPECT_EQ(shownTexts(), (std::vector<std::string> {"Row 0", "Row 2", "Row 3"}));

    rows->editable = false;
    driver.drag({250, 66}, {150, 66}, 0.15);
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 1})->deleteConfirmationButton(), nullptr)
        << "only a data source that commits edits offers delete";
}

TEST_F(Tables, DraggingTheReorderControlMovesTheRow)
{
    rows->movable = true;
    show({numbered("Row", 5)});
    table->setEditing(true);
    driver.wait(0);
    auto grip = driver.findView("Reorder Row 1");
    ASSERT_NE(grip, nullptr);
    plat::Point from = grip->convertPoint({19, 22}, nullptr);
    driver.drag(from, {from.x, from.y + 100}, 0.5);
    EXPECT_EQ(rows->log, (std::vector<std::string> {"move Row 1 to 3"}));
    driver.wait(1);
    EXPECT_EQ(shownTexts(), (std::vector<std::string> {"Row 0", "Row 2", "Row 3", "Row 1", "Row 4"}));
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 3})->textLabel()->text(), "Row 1");
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 3})->frame().minY(), 132);
}

TEST_F(Tables, BatchedUpdatesCountRowsAsThePlatformDoes)
{
    show({numbered("Row", 5)});
    table->selectRowAtIndexPath(plat::IndexPath {0, 4}, false, plat::TableViewScrollPosition::None);
    rows->sections[0] = {"Row 1", "Row 2", "Extra", "Row 3", "Row 4"};
    table->beginUpdates();
    table->deleteRowsAtIndexPaths({{0, 0}}, plat::TableViewRowAnimation::Fade);
    table->insertRowsAtIndexPaths({{0, 2}}, plat::TableViewRowAnimation::Automatic);
    table->endUpdates();
    driver.wait(1);
    EXPECT_EQ(shownTexts(), (std::vector<std::string> {"Row 1", "Row 2", "Extra", "Row 3", "Row 4"}));
    EXPECT_EQ(table->indexPathForSelectedRow(), (plat::IndexPath {0, 4})) << "the selection follows its row";
}

TEST_F(Tables, ReloadingRowsAndSectionsShowsTheNewContent)
{
    show({numbered("Row", 3), numbered("Other", 2)});
    rows->sections[0][1] = "Changed";
    table->reloadRowsAtIndexPaths({{0, 1}}, plat::TableViewRowAnimation::None);
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 1})->textLabel()->text(), "Changed");
    rows->sections[1] = {"X", "Y", "Z"};
    table->reloadSections({1}, plat::TableViewRowAnimation::Fade);
    driver.wait(1);
    EXPECT_EQ(table->numberOfRowsInSection(1), 3);
    auto cell = table->cellForRowAtIndexPath({1, 1});
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->textLabel()->text(), "Y");
    EXPECT_EQ(table->cellForRowAtIndexPath({1, 2}), nullptr) << "below the visible rows";
}

TEST_F(Tables, ScrollingToARowPutsItWhereAsked)
{
    show({numbered("Row", 100)});
    table->scrollToRowAtIndexPath({0, 50}, plat::TableViewScrollPosition::Top, /*animated=*/false);
    EXPECT_EQ(table->contentOffset().y, 2200);
    table->scrollToRowAtIndexPath({0, 50}, plat::TableViewScrollPosition::Middle, false);
    EXPECT_EQ(table->contentOffset().y, 2200 + 22 - 110);
    table->scrollToRowAtIndexPath({0, 99}, plat::TableViewScrollPosition::Top, false);
    EXPECT_EQ(table->contentOffset().y, 4400 - 220) << "never past the end";
    table->scrollToRowAtIndexPath({0, 10}, plat::TableViewScrollPosition::Bottom, /*animated=*/true);
    driver.wait(1);
    EXPECT_EQ(table->contentOffset().y, 484 - 220);
}

TEST_F(Tables, TheSectionIndexJumpsToASection)
{
    show({numbered("A", 10), numbered("B", 10), numbered("C", 10)}, {"A", "B", "C"});
    ASSERT_NE(table->sectionIndexView(), nullptr);
    ASSERT_TRUE(driver.tap("C"));
    EXPECT_EQ(table->contentOffset().y, std::min(2.0 * 462, table->maximumContentOffset().y));
    EXPECT_LT(table->cellForRowAtIndexPath(table->indexPathsForVisibleRows().front())->frame().width(), 320)
        << "rows leave room for the index";
    table->setSectionIndexMinimumDisplayRowCount(31);
    driver.wait(0);
    EXPECT_EQ(table->sectionIndexView(), nullptr);
}

TEST_F(Tables, SeparatorsAndTheBackgroundViewFollowTheTable)
{
    show({numbered("Row", 30)});
    auto background = std::make_shared<plat::View>();
    table->setBackgroundView(background);
    table->setSeparatorColor(plat::Color::redColor());
    table->setContentOffset({0, 300});
    driver.wait(0);
    EXPECT_EQ(background->frame(), plat::makeRect(0, 300, 320, 220)) << "it stays behind the visible rows";
    EXPECT_EQ(table->subviews().front(), background);
    auto cell = table->visibleCells().front();
    auto separator = cell->subviews().back();
    EXPECT_EQ(separator->backgroundColor(), plat::Color::redColor());
    table->setSeparatorStyle(plat::TableViewCellSeparatorStyle::None);
    EXPECT_TRUE(separator->isHidden());
}

TEST_F(Tables, RegisteredClassesAndLayoutsMakeCells)
{
    class Plain : public plat::TableViewCell {
    public:
        using TableViewCell::TableViewCell;
    };
    table->registerClass<Plain>("plain");
    auto made = table->dequeueReusableCellWithIdentifier("plain", {0, 0});
    EXPECT_NE(std::dynamic_pointer_cast<Plain>(made), nullptr);
    EXPECT_EQ(made->reuseIdentifier(), "plain");

    plat::LayoutRegistry::registerLayout("TrackCell", [](plat::ViewController& owner) {
        auto cell = std::make_shared<plat::TableViewCell>(plat::makeRect(0, 0, 320, 55));
        auto label = std::make_shared<plat::Label>();
        cell->contentView()->addSubview(label);
        owner.setOutlet("trackLabel", label);
        return cell;
    });
    table->registerNib("TrackCell", "track");
    auto fromLayout = table->dequeueReusableCellWithIdentifier("track", {0, 0});
    EXPECT_EQ(fromLayout->reuseIdentifier(), "track");
    EXPECT_EQ(fromLayout->frame().height(), 55);
    plat::LayoutRegistry::removeLayout("TrackCell");
    EXPECT_EQ(table->dequeueReusableCellWithIdentifier("track"), nullptr);
}

TEST_F(Tables, AControllerDeselectsItsRowWhenItAppearsAgain)
{
    class Letters : public plat::TableViewController {
    public:
        int64_t tableViewNumberOfRowsInSection(plat::TableView&, int64_t) override { return 3; }
        std::shared_ptr<plat::TableViewCell> tableViewCellForRowAtIndexPath(
            plat::TableView&, plat::IndexPath path) override
        {
            auto cell = std::make_shared<plat::TableViewCell>(plat::TableViewCellStyle::Default, "");
            cell->textLabel()->setText(std::string(1, static_cast<char>('a' + path.row)));
            return cell;
        }
    };
    auto controller = std::make_shared<Letters>();
    window->setRootViewController(controller);
    window->makeKeyAndVisible();
    driver.wait(0);
    ASSERT_TRUE(driver.tap("b"));
    EXPECT_EQ(controller->tableView()->indexPathForSelectedRow(), (plat::IndexPath {0, 1}));
    controller->beginAppearanceTransition(false, false);
    controller->endAppearanceTransition();
    controller->beginAppearanceTransition(true, true);
    controller->endAppearanceTransition();
    EXPECT_FALSE(controller->tableView()->indexPathForSelectedRow());
}

TEST(TablesDeathTest, AnUpdateThatDoesNotAddUpStops)
{
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    auto window = std::make_shared<plat::Window>();
    auto table = std::make_shared<plat::TableView>(plat::makeRect(0, 0, 320, 220), plat::TableViewStyle::Plain);
    auto rows = std::make_shared<Rows>();
    rows->sections = {numbered("Row", 3)};
    table->setDataSource(rows);
    window->addSubview(table);
    table->layoutIfNeeded();
    rows->sections[0].push_back("Unannounced");
    EXPECT_DEATH(table->deleteRowsAtIndexPaths({{0, 0}}, plat::TableViewRowAnimation::Fade),
        "invalid number of rows in section 0");
    EXPECT_DEATH(table->dequeueReusableCellWithIdentifier("never", {0, 0}), "register a class");
}

namespace {

// Sections with views and heights of the delegate's own, and a detail button.
class Sections : public Rows {
public:
    std::optional<double> tableViewHeightForHeaderInSection(plat::TableView&, int64_t section) override
    {
        return section == 0 ? std::optional<double>(60) : std::nullopt;
    }
    std::shared_ptr<plat::View> tableViewViewForHeaderInSection(plat::TableView&, int64_t section) override
    {
        if (section != 0)
            return nullptr;
        auto view = std::make_shared<plat::Label>();
        view->setText("Custom header");
        return view;
    }
    std::optional<std::string> tableViewTitleForFooterInSection(plat::TableView&, int64_t section) override
    {
        return "Footer " + std::to_string(section);
    }
    void tableViewAccessoryButtonTappedForRowWithIndexPath(plat::TableView&, plat::IndexPath path) override
    {
        log.push_back("details " + std::to_string(path.row));
    }
    void tableViewWillDisplayCellForRowAtIndexPath(
        plat::TableView&, plat::TableViewCell& cell, plat::IndexPath) override
    {
        cell.setAccessoryType(plat::TableViewCellAccessoryType::DetailButton);
        ++shown;
    }
    int shown = 0;
};

// One section whose footer says more than a line of a narrow table holds.
class LongFooter : public Rows {
public:
    std::optional<std::string> tableViewTitleForFooterInSection(plat::TableView&, int64_t) override { return footer; }
    const std::string footer = "The frame list of “My Plovix Movie of Kites” cannot be read: Permission denied.";
};

}  // namespace

TEST(TableSections, DelegateViewsHeightsAndFootersAndTheDetailButton)
{
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    auto window = std::make_shared<plat::Window>();
    auto table = std::make_shared<plat::TableView>(plat::makeRect(0, 0, 320, 300), plat::TableViewStyle::Grouped);
    auto sections = std::make_shared<Sections>();
    sections->sections = {numbered("Row", 2), {}};
    table->setDataSource(sections);
    table->setDelegate(sections);
    window->addSubview(table);
    window->makeKeyAndVisible();
    plat::test::UIDriver driver;
    driver.wait(0);
    EXPECT_EQ(table->rectForHeaderInSection(0), plat::makeRect(0, 0, 320, 60));
    EXPECT_EQ(table->rectForRowAtIndexPath({0, 0}).minY(), 60);
    EXPECT_EQ(table->rectForFooterInSection(0), plat::makeRect(0, 60 + 88, 320, 28));
    EXPECT_EQ(table->rectForHeaderInSection(1).height(), 10) << "a grouped section keeps apart without a title";
    EXPECT_EQ(table->rectForSection(1).height(), 10 + 28);
    EXPECT_NE(driver.findView("Custom header"), nullptr);
    EXPECT_NE(driver.findView("Footer 1"), nullptr);
    EXPECT_EQ(sections->shown, 2);
    auto details = driver.findView("More Info");
    ASSERT_NE(details, nullptr);
    ASSERT_TRUE(driver.tap(*details));
    EXPECT_EQ(sections->log, (std::vector<std::string> {"details 0"}));
    EXPECT_FALSE(table->indexPathForSelectedRow()) << "the button does not select the row";
}

// A grouped table's footer title that is too long for one line takes the
// lines it needs, and again when the table's width changes.
TEST(TableSections, AGroupedTitleTooLongForOneLineTakesTheLinesItNeeds)
{
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    auto window = std::make_shared<plat::Window>();
    auto table = std::make_shared<plat::TableView>(plat::makeRect(0, 0, 320, 300), plat::TableViewStyle::Grouped);
    auto rows = std::make_shared<LongFooter>();
    rows->sections = {numbered("Row", 1)};
    table->setDataSource(rows);
    window->addSubview(table);
    window->makeKeyAndVisible();
    plat::test::UIDriver driver;
    driver.wait(0);
    const double narrow = table->rectForFooterInSection(0).height();
    EXPECT_GT(narrow, 28 + 14) << "more than one line of 14 points";
    auto footer = driver.findView(rows->footer);
    ASSERT_NE(footer, nullptr);
    EXPECT_GE(footer->frame().height(), narrow) << "the whole text shows";
    table->setFrame(plat::makeRect(0, 0, 2000, 300));
    table->layoutIfNeeded();
    EXPECT_EQ(table->rectForFooterInSection(0).height(), 28) << "one line again";
}

TEST_F(Tables, MultipleSelectionTogglesRows)
{
    show({numbered("Row", 5)});
    table->setAllowsMultipleSelection(true);
    driver.tap("Row 1");
    driver.tap("Row 3");
    EXPECT_EQ(table->indexPathsForSelectedRows(), (std::vector<plat::IndexPath> {{0, 1}, {0, 3}}));
    driver.tap("Row 1");
    EXPECT_EQ(table->indexPathsForSelectedRows(), (std::vector<plat::IndexPath> {{0, 3}}));
    table->setAllowsSelection(false);
    driver.tap("Row 4");
    EXPECT_EQ(table->indexPathsForSelectedRows().size(), 1u);
    table->reloadData();
    EXPECT_TRUE(table->indexPathsForSelectedRows().empty()) << "a reload forgets the selection";
}

namespace {

// Looks at the rows on screen whenever a cell goes, as a delegate that tracks its neighbours does.
class WatchingRows : public Rows {
public:
    void tableViewDidEndDisplayingCellForRowAtIndexPath(
        plat::TableView& t, plat::TableViewCell&, plat::IndexPath path) override
    {
        log.push_back(
            "gone " + std::to_string(path.row) + " of " + std::to_string(t.indexPathsForVisibleRows().size()));
    }
};

}  // namespace

TEST_F(Tables, ADelegateLookingAtTheRowsWhileAReloadRecyclesCellsSeesThemConsistently)
{
    rows = std::make_shared<WatchingRows>();
    show({numbered("Row", 20)});
    ASSERT_EQ(table->indexPathsForVisibleRows().size(), 5u);
    // Scrolled in this turn: the rows are laid out again only when asked.
    table->setContentOffset({0, 100});
    rows->log.clear();
    table->reloadData();
    driver.wait(0);
    EXPECT_EQ(table->indexPathsForVisibleRows().size(), 6u);
    EXPECT_EQ(shownTexts().front(), "Row 2");
    for (const auto& entry : rows->log)
        EXPECT_EQ(entry.rfind("gone ", 0), 0u) << entry;

    // The same while a deletion takes a row away.
    table->setContentOffset({0, 200});
    rows->sections[0].erase(rows->sections[0].begin() + 3);
    rows->log.clear();
    table->deleteRowsAtIndexPaths({{0, 3}}, plat::TableViewRowAnimation::Fade);
    // The deleted row goes once; then the rows scrolled off go, each once.
    EXPECT_EQ(rows->log, (std::vector<std::string> {"gone 3 of 6", "gone 2 of 5", "gone 3 of 4"}));
    driver.wait(1);
    EXPECT_EQ(table->numberOfRowsInSection(0), 19);
    EXPECT_EQ(shownTexts().front(), "Row 5");
}

TEST_F(Tables, AShownCellGivesItsIndexPathBackAndAnyOtherCellNone)
{
    show({numbered("Row", 6)});
    auto cell = table->cellForRowAtIndexPath({0, 3});
    ASSERT_TRUE(cell);
    EXPECT_EQ(table->indexPathForCell(*cell), (plat::IndexPath {0, 3}));
    auto stranger = std::make_shared<plat::TableViewCell>(plat::TableViewCellStyle::Default, "stranger");
    EXPECT_EQ(table->indexPathForCell(*stranger), std::nullopt);
}
