#include "render/OutlineViewController.h"

#include "LookScreensTestSupport.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/TableView.h"
#include "render/LookNotifications.h"
#include "uikit/APInsetTextField.h"
#include "uikit/QVNavigationController.h"

namespace {

using zt::OutlineViewController;

// The outline page as the root of the look sheet, lowered over the bottom of
// a phone as the frame editor shows it.
class OutlineEditor : public zt::test::LookScreen {
protected:
    void SetUp() override
    {
        LookScreen::SetUp();
        addFlatPicture("P", {200, 30, 30, 255});
        ASSERT_TRUE(project->saveAllDataToDisk().ok());
    }
    void show()
    {
        page = std::make_shared<OutlineViewController>("OutlineViewController", project);
        sheet = std::make_shared<zt::QVNavigationController>(page);
        sheet->view()->setFrame(plat::makeRect(0, 150, 568, 170));
        window->addSubview(sheet->view());
        driver.wait(0);
    }
    std::shared_ptr<zt::APInsetTextField> field(int64_t section, int64_t row)
    {
        auto table = page->tableView();
        table->scrollToRowAtIndexPath({section, row}, plat::TableViewScrollPosition::Middle, /*animated=*/false);
        table->layoutIfNeeded();
        auto cell = std::dynamic_pointer_cast<zt::APTextFieldCell>(table->cellForRowAtIndexPath({section, row}));
        return cell ? cell->rightTextField() : nullptr;
    }
    void edit(int64_t section, int64_t row, const std::string& typed)
    {
        auto target = field(section, row);
        ASSERT_TRUE(target);
        ASSERT_TRUE(target->becomeFirstResponder());
        driver.type(typed);
    }
    plat::Dictionary storedOutline()
    {
        return storedMetadata().getDictionary("META_RECORD_OUTLINE_DATA").value_or(plat::Dictionary());
    }
    std::optional<int64_t> lastCardPosted() const
    {
        if (outlineChanges.posts.empty())
            return std::nullopt;
        return outlineChanges.posts.back().userInfo.getInt64("OUTLINE_LAST_CARD_USED");
    }

    std::shared_ptr<OutlineViewController> page;
    std::shared_ptr<zt::QVNavigationController> sheet;
    zt::test::PostedNotifications outlineChanges {zt::OutlineHasChangedNotification};
    zt::test::PostedNotifications showTitles {zt::ThemeShowTitleNotification};
    zt::test::PostedNotifications dones {zt::ThemeDoneNotification};
};

TEST_F(OutlineEditor, OpeningAskesForTheTitleCardAndShowsTheStoredTexts)
{
    setMetadata("RecordName", "Moon Walk");
    plat::Dictionary outline;
    outline.set("META_RECORD_OUTLINE_STAR", "Luna");
    outline.set("META_RECORD_OUTLINE_STUDIO", "Acme Studios");  // the placeholder itself
    outline.set("META_RECORD_OUTLINE_DIRECTED_BY", "");
    setMetadata("META_RECORD_OUTLINE_DATA", outline);
    show();
    ASSERT_EQ(showTitles.count(), 1u);
    EXPECT_EQ(showTitles.lastSender(), page.get());
    EXPECT_EQ(page->values()[0][0], "Moon Walk");
    EXPECT_EQ(page->values()[1][0], "Luna");
    EXPECT_EQ(page->values()[2][0], "") << "a stored placeholder shows as the placeholder";
    EXPECT_EQ(field(2, 0)->placeholder(), "Acme Studios");
    EXPECT_EQ(page->values()[3][0], "");
    EXPECT_EQ(field(1, 0)->text(), "Luna");

    page->actionDone();
    EXPECT_EQ(outlineChanges.count(), 0u) << "nothing typed, nothing stored";
    ASSERT_EQ(dones.count(), 1u);
}

TEST_F(OutlineEditor, AProjectWithoutATitleShowsTheDefaultTitle)
{
    project->getMetaData()->remove("RecordName");
    ASSERT_TRUE(project->saveMetaDataToDisk().ok());
    show();
    EXPECT_EQ(page->values()[0][0], "My Plovix Movie");
    plat::Dictionary placeholders = page->getPlaceholderOutline();
    EXPECT_EQ(placeholders.getString("META_RECORD_OUTLINE_MOVIE_NAME"), "My Plovix Movie");
    EXPECT_EQ(placeholders.getString("META_RECORD_OUTLINE_STUDIO"), "Acme Studios");
    EXPECT_EQ(placeholders.getString("META_RECORD_OUTLINE_MUSIC_BY"), "iTunes");
    EXPECT_EQ(placeholders.count(), 8u);
}

TEST_F(OutlineEditor, TheFormHasItsFieldsCaptionsAndReturnKeys)
{
    show();
    EXPECT_EQ(page->tableView()->numberOfSections(), 4);
    EXPECT_EQ(page->tableView()->numberOfRowsInSection(3), 5);
    auto table = page->tableView();
    auto cell = std::dynamic_pointer_cast<zt::APTextFieldCell>(table->cellForRowAtIndexPath({0, 0}));
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->leftLabel()->text(), "Movie Name:");
    EXPECT_EQ(cell->rightTextField()->returnKeyType(), plat::ReturnKeyType::Next);
    field(3, 1);
    auto producerCell = std::dynamic_pointer_cast<zt::APTextFieldCell>(table->cellForRowAtIndexPath({3, 1}));
    ASSERT_TRUE(producerCell);
    EXPECT_EQ(producerCell->leftLabel()->text(), "Executive\nProducer:");
    EXPECT_EQ(field(3, 4)->returnKeyType(), plat::ReturnKeyType::Done);
    EXPECT_EQ(field(3, 3)->returnKeyType(), plat::ReturnKeyType::Next);
}

TEST_F(OutlineEditor, NextOnTheStudioMovesToTheFirstCreditAndTheLastFieldEnds)
{
    show();
    auto studio = field(2, 0);
    ASSERT_TRUE(studio->becomeFirstResponder());
    driver.type("\n");
    auto directed = field(3, 0);
    EXPECT_TRUE(directed->isFirstResponder());
    EXPECT_FALSE(studio->isFirstResponder());

    auto music = field(3, 4);
    ASSERT_TRUE(music->becomeFirstResponder());
    driver.type("Band\n");
    EXPECT_FALSE(music->isFirstResponder()) << "Done ends the editing";
    EXPECT_EQ(page->values()[3][4], "Band");
}

TEST_F(OutlineEditor, EditingRaisesTheSheetAndLoweringItStoresTheOutline)
{
    show();
    edit(1, 0, "Rex");
    driver.wait(1);
    EXPECT_EQ(sheet->view()->frame(), plat::makeRect(0, 0, 568, 320)) << "raised to the screen's height";
    EXPECT_TRUE(page->isOutlineChanged());
    EXPECT_EQ(page->values()[1][0], "Rex") << "each keystroke counts";
    EXPECT_EQ(outlineChanges.count(), 0u);

    page->actionChangeSize();
    driver.wait(1);
    EXPECT_EQ(sheet->view()->frame(), plat::makeRect(0, 150, 568, 170));
    ASSERT_EQ(outlineChanges.count(), 1u);
    EXPECT_EQ(lastCardPosted(), 1) << "a credit was edited last";
    EXPECT_FALSE(page->isOutlineChanged());
    plat::Dictionary outline = storedOutline();
    EXPECT_EQ(outline.getString("META_RECORD_OUTLINE_STAR"), "Rex");
    EXPECT_EQ(outline.getString("META_RECORD_OUTLINE_STUDIO"), "Acme Studios")
        << "empty fields store their placeholder";
    EXPECT_EQ(outline.getString("META_RECORD_OUTLINE_MUSIC_BY"), "iTunes");
    EXPECT_EQ(storedMetadata().getBool("RecordNeedsRendering"), true);
}

TEST_F(OutlineEditor, ClearingTheNameStoresAnEmptyTitleAndThePlaceholderOnTheCard)
{
    setMetadata("RecordName", "Old Name");
    show();
    auto name = field(0, 0);
    ASSERT_TRUE(name->becomeFirstResponder());
    name->setSelectedRange({0, plat::lengthInUtf16(name->text())});
    driver.type("\b");
    page->saveDataAndFinish();
    plat::Dictionary stored = storedMetadata();
    EXPECT_EQ(stored.getString("RecordName"), "");
    EXPECT_EQ(stored.getDictionary("META_RECORD_OUTLINE_DATA")->getString("META_RECORD_OUTLINE_MOVIE_NAME"),
        "My First Movie");
    EXPECT_EQ(lastCardPosted(), 0) << "the name was edited last: the title card";
}

TEST_F(OutlineEditor, DoneKeepsTheTextStillBeingTyped)
{
    show();
    edit(0, 0, " II");
    page->navigationItem()->rightBarButtonItem()->sendAction();
    ASSERT_EQ(outlineChanges.count(), 1u);
    EXPECT_EQ(storedMetadata().getString("RecordName"), "My Plovix Movie II");
    ASSERT_EQ(dones.count(), 1u);
    EXPECT_EQ(dones.lastSender(), page.get());
}

TEST_F(OutlineEditor, SwitchingToTheThemePageKeepsTheText)
{
    auto root = std::make_shared<plat::ViewController>();
    sheet = std::make_shared<zt::QVNavigationController>(root);
    page = std::make_shared<OutlineViewController>("OutlineViewController", project);
    sheet->pushViewController(page, /*animated=*/false);
    sheet->view()->setFrame(plat::makeRect(0, 0, 568, 320));
    window->addSubview(sheet->view());
    driver.wait(0);
    edit(2, 0, "Pebble Pictures");
    ASSERT_TRUE(page->themeButton());
    page->themeButton()->sendActionsForControlEvents(plat::ControlEventTouchUpInside);
    driver.wait(0);
    EXPECT_EQ(sheet->topViewController(), root) << "back on the theme page";
    ASSERT_EQ(outlineChanges.count(), 1u);
    EXPECT_EQ(storedOutline().getString("META_RECORD_OUTLINE_STUDIO"), "Pebble Pictures");
}

TEST_F(OutlineEditor, LooksLikeItsPictureRaisedOnAPhone)
{
    setMetadata("RecordName", "Moon Walk");
    show();
    sheet->view()->setFrame(plat::makeRect(0, 0, 568, 320));
    expectWindowLooksLike("outline-editor-phone.png");
    auto cell = std::dynamic_pointer_cast<zt::APTextFieldCell>(page->tableView()->cellForRowAtIndexPath({1, 0}));
    ASSERT_TRUE(cell);
    expectMissing(*cell->leftLabel(), "outline-editor-phone.png", "the caption");
    expectMissing(*cell->rightTextField(), "outline-editor-phone.png", "the field");
    expectMissing(*page->outlineButton(), "outline-editor-phone.png", "the title bar's Outline");
}

}  // namespace
