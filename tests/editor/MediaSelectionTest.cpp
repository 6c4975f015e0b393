#include "editor/MediaSelectionViewController.h"

#include <gtest/gtest.h>

#include "document/Frame.h"
#include "document/ProjectModel.h"
#include "editor/EditorTestSupport.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "uikit/BubblePopoverController.h"

namespace {

class RecordingDelegate : public zt::MediaSelectionDelegate {
public:
    void mediaSelectionDidSelect(zt::MediaSelectionViewController& menu, int64_t row) override
    {
        menus.push_back(&menu);
        rows.push_back(row);
    }
    std::vector<zt::MediaSelectionViewController*> menus;
    std::vector<int64_t> rows;
};

// The frame editor's media button at the left of a phone, and the menu of
// a project with `pictures` pictures shown from it in a popover, as the
// frame editor shows it.
class MediaMenu : public zt::test::EditorScreens {
protected:
    void makeProject(int pictures)
    {
        project = std::make_shared<zt::ProjectModel>(std::nullopt);
        for (int i = 0; i < pictures; ++i)
            addPicture();
    }
    void addPicture()
    {
        auto& list = project->getFrameList();
        list.insertFrame(zt::Frame(zt::FrameTypePicture), list.getCaptureIndex());
    }

    void show()
    {
        menu = std::make_shared<zt::MediaSelectionViewController>(project, plat::TableViewStyle::Plain);
        menu->setDelegate(delegate);
        popover = std::make_shared<zt::BubblePopoverController>(menu);
        popover->presentPopoverFromRect(kButton, *window, zt::kBubbleArrowDirectionLeft, /*animated=*/true);
        driver.wait(0.3);
    }

    std::shared_ptr<plat::TableViewCell> cell(int64_t row) const
    {
        auto found = menu->tableView()->cellForRowAtIndexPath({0, row});
        if (!found)
            ADD_FAILURE() << "row " << row << " is not shown";
        return found ? found : std::make_shared<plat::TableViewCell>(plat::TableViewCellStyle::Default, "none");
    }

    static constexpr plat::Rect kButton {{10, 130}, {44, 44}};
    std::shared_ptr<zt::ProjectModel> project;
    std::shared_ptr<zt::MediaSelectionViewController> menu;
    std::shared_ptr<zt::BubblePopoverController> popover;
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
};

TEST_F(MediaMenu, ThePopoverIs200By130AndTheTableDoesNotScroll)
{
    makeProject(1);
    show();
    EXPECT_EQ(menu->contentSizeForViewInPopover(), (plat::Size {200, 130}));
    ASSERT_TRUE(popover->view());
    EXPECT_EQ(popover->view()->contentRect().size, (plat::Size {200, 130}));
    auto table = menu->tableView();
    EXPECT_EQ(table->rowHeight(), 44.0);
    EXPECT_FALSE(table->isScrollEnabled());
    EXPECT_EQ(table->separatorColor(), plat::Color::darkGrayColor());
    EXPECT_EQ(table->numberOfSections(), 1);
    EXPECT_EQ(table->numberOfRowsInSection(0), 3);
}

TEST_F(MediaMenu, AShortProjectGreysThemeCardsAndAudio)
{
    makeProject(1);  // two entries with the capture placeholder
    show();
    const char* texts[] = {"Add Images", "Theme Cards", "Audio and Music"};
    const char* icons[] = {"capturesource_icon_import", "mediaselection_theme", "mediaselection_audio"};
    for (int64_t row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        auto shown = cell(row);
        EXPECT_EQ(shown->textLabel()->text(), texts[row]);
        EXPECT_EQ(shown->textLabel()->font().fontName(), "HelveticaNeue-Light");
        EXPECT_EQ(shown->textLabel()->font().pointSize(), 15.0);
        ASSERT_TRUE(shown->imageView()->image());
        EXPECT_EQ(shown->imageView()->image()->bitmap(), plat::Image::imageNamed(icons[row])->bitmap());
        EXPECT_EQ(shown->imageView()->image()->renderingMode(), plat::ImageRenderingMode::AlwaysTemplate);
        EXPECT_EQ(
            shown->textLabel()->textColor(), row == 0 ? plat::Color::blackColor() : plat::Color::lightGrayColor());
    }
}

TEST_F(MediaMenu, AGreyedRowLooksAndActsDisabledAsAWholeAndBecomesActiveWhenShownAgain)
{
    makeProject(1);
    show();
    for (int64_t row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        // Dimmed as a disabled control's picture is, to 0.35.
        EXPECT_EQ(cell(row)->imageView()->alpha(), row == 0 ? 1.0 : 0.35);
        EXPECT_EQ(cell(row)->isUserInteractionEnabled(), row == 0);
    }
    addPicture();
    menu->tableView()->reloadData();
    for (int64_t row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(cell(row)->imageView()->alpha(), 1.0);
        EXPECT_TRUE(cell(row)->isUserInteractionEnabled());
        EXPECT_EQ(cell(row)->textLabel()->textColor(), plat::Color::blackColor());
    }
}

TEST_F(MediaMenu, TappingAGreyedRowDoesNothingAndKeepsTheMenuOpen)
{
    makeProject(1);
    show();
    driver.tap("Theme Cards");
    driver.tap("Audio and Music");
    EXPECT_TRUE(delegate->rows.empty());
    EXPECT_TRUE(popover->isPopoverVisible());
    driver.tap("Add Images");
    ASSERT_EQ(delegate->rows, (std::vector<int64_t> {0}));
    EXPECT_EQ(delegate->menus[0], menu.get());
    EXPECT_TRUE(popover->isPopoverVisible()) << "closing it is the delegate's work";
}

TEST_F(MediaMenu, AProjectOfTwoPicturesOffersEveryRow)
{
    makeProject(2);
    show();
    for (int64_t row = 0; row < 3; ++row)
        EXPECT_EQ(cell(row)->textLabel()->textColor(), plat::Color::blackColor()) << row;
    driver.tap("Add Images");
    driver.wait(0.5);
    driver.tap("Theme Cards");
    driver.wait(0.5);
    driver.tap("Audio and Music");
    EXPECT_EQ(delegate->rows, (std::vector<int64_t> {0, 1, 2}));
}

TEST_F(MediaMenu, RowsAreTestedAgainWhenTapped)
{
    makeProject(1);
    show();
    addPicture();
    driver.tap("Audio and Music");
    EXPECT_EQ(delegate->rows, (std::vector<int64_t> {2}));
}

TEST_F(MediaMenu, WithoutADelegateATapIsHarmless)
{
    makeProject(3);
    show();
    delegate.reset();
    driver.tap("Theme Cards");
    EXPECT_TRUE(popover->isPopoverVisible());
}

}  // namespace
