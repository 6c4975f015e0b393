#include <algorithm>
#include <gtest/gtest.h>

#include "TitleCardsTestSupport.h"
#include "document/FrameMeta.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/TextView.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/PictureComparison.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/web/WebView.h"
#include "render/ThemeCardEditViewController.h"
#include "render/ThemeCardPages.h"
#include "render/ThemeCardTableViewController.h"
#include "render/WebRenderer.h"

namespace {

using plat::test::pixelAt;
using zt::ThemeCardEditViewController;
using zt::ThemeCardTableViewController;

// The gallery presented in its navigation controller over a plain screen,
// with the playhead at the project's picture.
class ThemeCardGallery : public zt::test::CardProject {
protected:
    void SetUp() override
    {
        CardProject::SetUp();
        setMetadata("RecordFPS", int64_t {5});
        project->getFrameList().setFrameIndexAtPlayhead(1);  // between the picture and the capture placeholder
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        root->presentViewController(std::make_shared<plat::NavigationController>(gallery), /*animated=*/false, nullptr);
        driver.wait(1);
    }

    std::shared_ptr<plat::Button> cardButton(int64_t row, int column)
    {
        auto table = gallery->tableView();
        table->scrollToRowAtIndexPath({0, row}, plat::TableViewScrollPosition::Middle, /*animated=*/false);
        table->layoutIfNeeded();
        auto cell = table->cellForRowAtIndexPath({0, row});
        if (!cell)
            return nullptr;
        return std::dynamic_pointer_cast<plat::Button>(
            cell->contentView()->viewWithTag(ThemeCardTableViewController::kFirstButtonTag + column));
    }

    zt::Frame announcedFrame() const
    {
        return zt::Frame(added.last.userInfo.getDictionary("FRAME").value_or(plat::Dictionary {}));
    }

    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    std::shared_ptr<plat::ViewController> root = std::make_shared<plat::ViewController>();
    plat::test::UIDriver driver {window};
    std::shared_ptr<ThemeCardTableViewController> gallery = std::make_shared<ThemeCardTableViewController>(project);
    zt::test::NotificationRecorder added {ThemeCardTableViewController::kAddFrameNotification};
};

class ThemeCardEditor : public zt::test::CardProject {
protected:
    void SetUp() override
    {
        CardProject::SetUp();
        if (!plat::LayoutRegistry::hasLayout("ThemeCardEditViewController"))
            zt::registerThemeCardLayouts();
        zt::FrameMeta meta(card.frameID(), *project->getProjectPath());
        meta.setValue(plat::Dictionary {{"THEME_CARD_ID", plat::Value(int64_t {22})},
                          {"THEME_CARD_TEXT", plat::Value(std::string("Tap to edit."))}},
            "THEME_CARD_DATA");
        ASSERT_TRUE(meta.saveMetaData());
        editor->view();
    }

    std::string storedText()
    {
        zt::FrameMeta meta(card.frameID(), *project->getProjectPath());
        auto data = meta.objectForKey("THEME_CARD_DATA").asDictionary();
        return data ? data->getString("THEME_CARD_TEXT").value_or("") : "";
    }

    zt::Frame card {zt::FrameTypeThemeCard};
    std::shared_ptr<ThemeCardEditViewController> editor
        = std::make_shared<ThemeCardEditViewController>("ThemeCardEditViewController", card, project);
    zt::test::NotificationRecorder finished {ThemeCardEditViewController::kThemeCardEditFinishedNotification};
};

}  // namespace

TEST(ThemeCardItems, TheGalleryHoldsPictureCardsThenTextCards)
{
    auto items = zt::ThemeCardItem::galleryItems();
    ASSERT_EQ(items.size(), 28u);
    EXPECT_EQ(items[0].themeID, 50);
    EXPECT_EQ(items[6].bgImagePath, "theme_bg_56.jpg");
    EXPECT_EQ(items[6].thumbImagePath, "theme_56");
    EXPECT_EQ(items[14].frameType, zt::FrameTypePicture);
    EXPECT_EQ(items[15].themeID, 20);
    EXPECT_EQ(items[15].frameType, zt::FrameTypeThemeCard);
    EXPECT_EQ(items[27].themeID, 8);
    for (const auto& item : items) {
        EXPECT_TRUE(zt::bundlePicture(item.bgImagePath)) << item.bgImagePath;
        EXPECT_TRUE(zt::bundlePicture(item.thumbImagePath + ".png")) << item.thumbImagePath;
    }
}

TEST(ThemeCardItems, CardsBelowTwentyUseTheirThemesTitlePage)
{
    EXPECT_EQ(zt::themeCardPageName(1), "theme_title_01.html");
    EXPECT_EQ(zt::themeCardPageName(8), "theme_title_08.html");
    EXPECT_EQ(zt::themeCardPageName(20), "theme_card_20.html");
    EXPECT_EQ(zt::themeCardPageName(24), "theme_card_20.html");
    plat::Dictionary texts = zt::themeCardReplacements("Hi");
    EXPECT_EQ(texts.getString("META_RECORD_OUTLINE_MOVIE_NAME"), "Hi");
    EXPECT_EQ(texts.getString("META_RECORD_OUTLINE_STUDIO"), "");
}

TEST_F(ThemeCardGallery, ShowsSevenRowsOfFourCards)
{
    EXPECT_EQ(gallery->title(), "Theme Cards");
    EXPECT_EQ(gallery->tableView()->numberOfRowsInSection(0), 7);
    auto button = cardButton(6, 3);
    ASSERT_TRUE(button);
    EXPECT_FALSE(button->isHidden());
    EXPECT_EQ(button->accessibilityLabel(), "theme card 8");
    EXPECT_TRUE(button->backgroundImageForState(plat::ControlStateNormal));
}

TEST_F(ThemeCardGallery, TheThirdCardOfTheSecondRowIsPictureCardFiftySix)
{
    auto button = cardButton(1, 2);
    ASSERT_TRUE(button);
    EXPECT_EQ(button->accessibilityLabel(), "theme card 56");
    button->sendActionsForControlEvents(plat::ControlEventTouchUpInside);
    EXPECT_TRUE(gallery->isInserting());
    EXPECT_EQ(project->getFrameList().count(), 2);  // the list changes on the main queue, later
    ASSERT_TRUE(added.waitForCount(1));
    EXPECT_EQ(added.last.object, gallery.get());
    zt::Frame frame = announcedFrame();
    EXPECT_EQ(frame.type(), zt::FrameTypePicture);
    auto& frames = project->getFrameList();
    EXPECT_EQ(frames.count(), 7);
    for (int64_t index = 1; index <= 5; ++index)
        EXPECT_EQ(frames.getFrameIDAtIndex(index), frame.frameID()) << index;
    auto picture = projectPicture("frame-" + frame.frameID() + ".jpg");
    ASSERT_TRUE(picture);
    auto expected = zt::bundlePicture("theme_bg_56.jpg");
    EXPECT_EQ(pixelAt(*picture, 640, 100)[0] / 16, pixelAt(*expected, 640, 100)[0] / 16);
    EXPECT_EQ(project->getMetaData()->getBool("RecordNeedsRendering"), true);
    driver.wait(1);
    EXPECT_FALSE(root->presentedViewController());
    EXPECT_EQ(zt::ProjectModel(project->getProjectPath()).getFrameList().count(), 7);  // saved
}

TEST_F(ThemeCardGallery, ATextCardIsRenderedBeforeItIsAnnounced)
{
    auto button = cardButton(3, 3);  // entry 15: text card 20
    ASSERT_TRUE(button);
    button->sendActionsForControlEvents(plat::ControlEventTouchUpInside);
    ASSERT_TRUE(added.waitForCount(1));
    zt::Frame frame = announcedFrame();
    EXPECT_EQ(frame.type(), zt::FrameTypeThemeCard);
    zt::FrameMeta meta(frame.frameID(), *project->getProjectPath());
    auto data = meta.objectForKey("THEME_CARD_DATA").asDictionary();
    ASSERT_TRUE(data);
    EXPECT_EQ(data->getInt64("THEME_CARD_ID"), 20);
    EXPECT_EQ(data->getString("THEME_CARD_TEXT"), "Tap to edit.");
    auto& frames = project->getFrameList();
    EXPECT_EQ(frames.getHoldTimeForFrameAtIndex(1), 5);
    EXPECT_EQ(frames.getFrameIDAtIndex(1), frame.frameID());
    // The rendered card: its text in white across the middle of the dark card.
    auto picture = projectPicture("frame-" + frame.frameID() + ".jpg");
    ASSERT_TRUE(picture);
    int bright = 0;  // on the row through the letters that crosses most of them
    for (int y = 290; y < 370; y += 5) {
        int onRow = 0;
        for (int x = 300; x < 980; ++x)
            onRow += pixelAt(*picture, x, y)[0] > 200;
        bright = std::max(bright, onRow);
    }
    EXPECT_GT(bright, 20);
    driver.wait(1);
    EXPECT_FALSE(root->presentedViewController());
    plat::RunLoop::main().drain();
    EXPECT_EQ(added.count, 1);
}

TEST_F(ThemeCardGallery, CancelLeavesTheMovieAsItWas)
{
    gallery->actionDone();
    driver.wait(1);
    EXPECT_FALSE(root->presentedViewController());
    EXPECT_EQ(project->getFrameList().count(), 2);
    EXPECT_EQ(added.count, 0);
}

TEST_F(ThemeCardEditor, ShowsTheCardsBackgroundAndText)
{
    EXPECT_EQ(editor->textViewCardEdit()->text(), "Tap to edit.");
    auto background = std::dynamic_pointer_cast<plat::ImageView>(editor->outlet("_imageViewTextEditBG"));
    ASSERT_TRUE(background);
    EXPECT_TRUE(background->image());
}

TEST_F(ThemeCardEditor, StartingToEditEmptiesOnlyThePlaceholderText)
{
    auto& text = *editor->textViewCardEdit();
    EXPECT_TRUE(editor->textViewShouldBeginEditing(text));
    EXPECT_EQ(text.text(), "");
    text.setText("Our hero");
    EXPECT_TRUE(editor->textViewShouldBeginEditing(text));
    EXPECT_EQ(text.text(), "Our hero");
}

TEST_F(ThemeCardEditor, ClosingUnchangedRendersNothing)
{
    editor->actionClose();
    EXPECT_EQ(finished.count, 1);
    EXPECT_EQ(finished.last.object, editor.get());
    EXPECT_FALSE(editor->webRenderer());
}

TEST_F(ThemeCardEditor, ClosingWithANewTextStoresAndRendersIt)
{
    setMetadata("RecordNeedsRendering", false);
    editor->textViewCardEdit()->setText("Later that day");
    editor->actionClose();
    EXPECT_EQ(storedText(), "Later that day");
    EXPECT_EQ(finished.count, 0);  // after the render
    ASSERT_TRUE(finished.waitForCount(1));
    EXPECT_TRUE(projectPicture("frame-" + card.frameID() + ".jpg"));
    EXPECT_TRUE(projectPicture("thumb-" + card.frameID() + ".jpg"));
    EXPECT_EQ(project->getMetaData()->getBool("RecordNeedsRendering"), true);
}

TEST_F(ThemeCardEditor, AFailedRenderStillFinishesTheEditor)
{
    editor->textViewCardEdit()->setText("Later that day");
    editor->renderNewCard();
    editor->webRenderer()->webView()->stopLoading();
    EXPECT_EQ(finished.count, 1);
    EXPECT_EQ(storedText(), "Later that day");
}

TEST_F(ThemeCardEditor, TheTextMovesUpWithTheKeyboardAndBack)
{
    const double top = editor->textView()->frame().minY();
    plat::NotificationCenter::defaultCenter().post(plat::KeyboardWillShowNotification);
    clock.advance(0.3);
    EXPECT_DOUBLE_EQ(editor->textView()->frame().minY(), top - 15);
    plat::NotificationCenter::defaultCenter().post(plat::KeyboardWillHideNotification);
    clock.advance(0.3);
    EXPECT_DOUBLE_EQ(editor->textView()->frame().minY(), top);
}

TEST_F(ThemeCardGallery, MatchesItsPicture)
{
    auto picture = plat::snapshotWindow(*window, 1);
    ASSERT_TRUE(picture);
    plat::test::TemporaryFolder output;
    auto comparison = plat::test::compareWithReferencePicture(
        *picture, plat::test::sourcePath("tests/data/render/theme-card-gallery.png"), output.path());
    EXPECT_TRUE(comparison.matches) << comparison.explanation;
}

TEST_F(ThemeCardEditor, MatchesItsPicture)
{
    auto window = std::make_shared<plat::Window>();
    window->setRootViewController(editor);
    window->makeKeyAndVisible();
    editor->textViewCardEdit()->setText("Meanwhile, at the lake");
    clock.advance(1);
    auto picture = plat::snapshotWindow(*window, 1);
    ASSERT_TRUE(picture);
    plat::test::TemporaryFolder output;
    auto comparison = plat::test::compareWithReferencePicture(
        *picture, plat::test::sourcePath("tests/data/render/theme-card-editor.png"), output.path());
    EXPECT_TRUE(comparison.matches) << comparison.explanation;
}
