#include <numbers>

#include "app/AppScreensTestSupport.h"
#include "platform/foundation/PropertyList.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LayoutRegistry.h"
#include "uikit/TransparentToolbar.h"

namespace {

using zt::test::AppScreens;

class RootContainer : public AppScreens {
protected:
    // Opens the project at the carousel's index as a tap on the centred item does.
    void open(int64_t index)
    {
        carousel().scrollToItemAtIndex(index, /*animated=*/true);
        driver.wait(2);
        driver.tapAt({284, 119});
        driver.wait(1);
    }
};

}  // namespace

TEST(RootContainerGeometry, APortraitRectangleIsTurnedAndOthersStayAsTheyAre)
{
    zt::MainViewController root("MainViewController");
    EXPECT_EQ(root.getOrientationCorrectedRectFromRect(plat::makeRect(5, 7, 320, 568)), plat::makeRect(5, 7, 568, 320));
    EXPECT_EQ(
        root.getOrientationCorrectedRectFromRect(plat::makeRect(0, 0, 1024, 768)), plat::makeRect(0, 0, 1024, 768));
    EXPECT_EQ(root.getOrientationCorrectedRectFromRect(plat::makeRect(1, 2, 300, 300)), plat::makeRect(1, 2, 300, 300));
}

TEST_F(RootContainer, ItStartsWithTheExplorerFadingInAndTurnsWithLandscapeOnly)
{
    launch();
    ASSERT_NE(explorer(), nullptr);
    EXPECT_EQ(explorer()->view()->alpha(), 1.0) << "the fade's end value";
    EXPECT_EQ(root()->childViewControllers().size(), 1u);
    EXPECT_EQ(explorer()->view()->frame(), plat::makeRect(0, 0, 568, 320));
    EXPECT_EQ(explorer()->delegate(), root());
    EXPECT_FALSE(explorer()->shouldDisplayPorjectScaleAnimation());
    EXPECT_TRUE(root()->shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation::LandscapeLeft));
    EXPECT_FALSE(root()->shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation::Portrait));
    EXPECT_EQ(root()->imageView(), nullptr) << "no launch picture from system 8 on";
}

TEST_F(RootContainer, ATallPhoneShowsItsUprightLaunchPictureTurned)
{
    plat::Device::setCurrentDevice(plat::Device(plat::UserInterfaceIdiom::Phone, "7.1"));
    launch();
    auto picture = root()->imageView();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->image(), plat::Image::imageNamed("default-568h"));
    EXPECT_EQ(picture->image()->size(), (plat::Size {320, 568}));
    EXPECT_EQ(picture->transform(), plat::AffineTransform::makeRotation(std::numbers::pi / 2));
    const plat::Rect frame = picture->frame();
    EXPECT_NEAR(frame.minX(), 0, 1e-9);
    EXPECT_NEAR(frame.minY(), 0, 1e-9);
    EXPECT_NEAR(frame.width(), 568, 1e-9) << "turned to cover the landscape screen";
    EXPECT_NEAR(frame.height(), 320, 1e-9);
}

TEST_F(RootContainer, ATabletShowsItsLandscapeLaunchPicture)
{
    plat::Device::setCurrentDevice(plat::Device(plat::UserInterfaceIdiom::Pad, "7.1"));
    launch();
    ASSERT_NE(root()->imageView(), nullptr);
    EXPECT_EQ(root()->imageView()->image(), plat::Image::imageNamed("IpadLaunchImage-LandscapeLeft"));
    EXPECT_EQ(explorer()->nibName(), "ProjectExplorer_iPad");
    EXPECT_EQ(explorer()->view()->frame(), plat::makeRect(0, 0, 1024, 768));
}

TEST_F(RootContainer, OpeningAProjectHandsItToTheEditorAndLetsTheExplorerGo)
{
    launch();
    settle();
    auto sample = explorer()->projects()[1];
    std::weak_ptr<zt::ProjectExplorer> oldExplorer = explorer();
    open(1);
    auto shown = editor();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->project(), sample) << "the same handle";
    EXPECT_EQ(root()->viewExplorer(), nullptr);
    EXPECT_TRUE(oldExplorer.expired());
    EXPECT_EQ(root()->childViewControllers(), (std::vector<std::shared_ptr<plat::ViewController>> {shown}));
    EXPECT_EQ(root()->view()->subviews().back(), shown->view());
    EXPECT_EQ(shown->project()->getFrameList().count(), 16) << "the sample's fifteen pictures and the placeholder";
    EXPECT_EQ(shown->currentFrame(), 14) << "a phone opens on the last picture, not on the placeholder";
    EXPECT_NE(driver.findView("15 / 16"), nullptr) << "the strip's counter";
}

TEST_F(RootContainer, OpeningZoomsTheItemAndHidesTheToolbarFirst)
{
    launch();
    settle();
    carousel().scrollToItemAtIndex(1, /*animated=*/true);
    driver.wait(2);
    driver.tapAt({284, 119});
    EXPECT_FALSE(explorer()->outlets().viewWait->isHidden()) << "busy until it opens";
    driver.wait(0.19);
    EXPECT_EQ(explorer()->outlets().toolBar->alpha(), 1.0) << "it opens 0.2 s after the tap";
    driver.wait(0.02);
    auto explorerNow = explorer();
    ASSERT_NE(explorerNow, nullptr) << "the move takes 0.3 s";
    auto item = explorerNow->selectedCarouselView();
    ASSERT_NE(item, nullptr);
    EXPECT_NE(item->layer()->animationForKey("scale"), nullptr);
    EXPECT_EQ(item->center().y, 20.0);
    EXPECT_EQ(explorerNow->outlets().toolBar->alpha(), 0.0);
    driver.wait(1);
    EXPECT_NE(editor(), nullptr);
}

TEST_F(RootContainer, LeavingTheEditorBringsAFreshExplorerThatReadsTheListAgain)
{
    useTestCamera();
    launch();
    settle();
    std::weak_ptr<zt::ProjectExplorer> first = explorer();
    open(0);  // a new project
    auto shown = editor();
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(shown->project()->getProjectPath());
    shown.reset();
    captureFrames(1);
    ASSERT_TRUE(driver.tap("Projects"));
    driver.wait(0.25);  // the editor's closing fade
    ASSERT_NE(explorer(), nullptr);
    EXPECT_TRUE(first.expired());
    EXPECT_EQ(root()->viewFrameEditor(), nullptr);
    EXPECT_EQ(root()->childViewControllers().size(), 1u);
    EXPECT_EQ(explorer()->projects().size(), 3u) << "the new project is listed";
    EXPECT_EQ(explorer()->view()->alpha(), 1.0) << "no fade on the way back";
    driver.wait(1);
    EXPECT_FALSE(explorer()->shouldDisplayPorjectScaleAnimation()) << "the return animation played once";
    EXPECT_EQ(carousel().currentItemIndex(), 1) << "the new project is selected";
    EXPECT_EQ(explorer()->outlets().toolBar->alpha(), 1.0);
}

TEST_F(RootContainer, TheAppHasTheLayoutsOfEveryScreenTheEditorOpens)
{
    launch();
    for (const char* name :
        {"FrameEditorViewController", "FrameEditorViewController_iPad", "CaptureView_568", "CaptureView-iPad",
            "AudioRecorderViewController", "AudioConfigurationViewController", "MQMediaQueryViewController",
            "MQAlbumTrackTableViewCell", "ImageEditor", "HelpManager", "InfoCenterHelpViewController"})
        EXPECT_TRUE(plat::LayoutRegistry::hasLayout(name)) << name;
}
