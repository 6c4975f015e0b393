#include "render/RenderProgressViewController.h"

#include "LookScreensTestSupport.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/ProgressView.h"
#include "platform/ui/scripting/LayoutCheck.h"
#include "uikit/QVNavigationController.h"
#include "uikit/VerticallyAlignedLabel.h"

namespace {

using zt::RenderProgressViewController;

constexpr plat::test::Rgba kRed {220, 30, 30, 255};
constexpr plat::test::Rgba kGreen {30, 200, 40, 255};
constexpr plat::test::Rgba kBlue {30, 40, 220, 255};
constexpr plat::test::Rgba kYellow {230, 210, 20, 255};
constexpr plat::test::Rgba kThumbGrey {128, 128, 128, 255};

// Red, green, the capture placeholder, blue: four entries, so a progress p
// shows entry trunc(3 p).
class ProgressScreen : public zt::test::LookScreen {
protected:
    void SetUp() override
    {
        LookScreen::SetUp();
        addFlatPicture("R", kRed);
        addFlatPicture("G", kGreen);
        project->getFrameList().addFrame(zt::Frame(zt::FrameTypePicture, "B"));
        ASSERT_TRUE(producer.storeImage(*plat::test::makeFlatImage(320, 180, kBlue), "B"));
        ASSERT_TRUE(project->saveAllDataToDisk().ok());
        auto thumb = plat::JPEGRepresentation(*plat::test::makeFlatImage(212, 120, kThumbGrey), 0.9);
        ASSERT_TRUE(thumb && project->updateRegularFileWithContents(*thumb, "thumb.jpg"));
        screen = std::make_shared<RenderProgressViewController>("RenderProgressViewController", project);
        navigation = std::make_shared<zt::QVNavigationController>(screen);
    }
    // Shown in a window of the given width: the panel is as wide, and 150 high on a phone.
    void show(double width = 568)
    {
        window->setFrame(plat::makeRect(0, 0, width, 320));
        window->setRootViewController(navigation);
        driver.wait(0);
    }
    // The pictures the panel holds, bottom first.
    std::vector<std::shared_ptr<plat::ImageView>> pictures() const
    {
        std::vector<std::shared_ptr<plat::ImageView>> found;
        if (!screen->progressPanel())
            return found;
        for (const auto& view : screen->progressPanel()->subviews())
            if (auto picture = std::dynamic_pointer_cast<plat::ImageView>(view))
                found.push_back(picture);
        return found;
    }
    static plat::test::Rgba middleColour(const plat::ImageView& view)
    {
        const auto& image = view.image();
        if (!image)
            return {};
        return plat::test::pixelAt(
            *image, static_cast<int>(image->size().width / 2), static_cast<int>(image->size().height / 2));
    }
    static void expectColour(const plat::ImageView& view, plat::test::Rgba colour, const std::string& what)
    {
        EXPECT_LE(plat::test::componentDistance(middleColour(view), colour), 12) << what;
    }

    std::shared_ptr<RenderProgressViewController> screen;
    std::shared_ptr<zt::QVNavigationController> navigation;
};

TEST_F(ProgressScreen, APanelOf600By150FitsFiveThresholdsAndShowsOnePicturePerUpdate)
{
    show(600);
    ASSERT_TRUE(screen->progressPanel());
    EXPECT_EQ(screen->progressPanel()->frame().size, (plat::Size {600, 150}));
    // Appearing at 0 passed the first threshold: the first frame fades in.
    EXPECT_EQ(screen->progressThresholds(), (std::deque<double> {0.2, 0.4, 0.6, 0.8}));
    auto shown = pictures();
    ASSERT_EQ(shown.size(), 1u);
    expectColour(*shown[0], kRed, "frame 0");
    EXPECT_EQ(shown[0]->alpha(), 1.0) << "fading in";
    EXPECT_EQ(shown[0]->contentMode(), plat::ContentMode::ScaleAspectFit) << "the whole picture";

    screen->setProgress(0.45f);
    shown = pictures();
    ASSERT_EQ(shown.size(), 2u) << "one picture, though two thresholds were passed";
    expectColour(*shown[1], kGreen, "frame trunc(3 x 0.45) = 1, on top");
    EXPECT_EQ(screen->progressThresholds(), (std::deque<double> {0.4, 0.6, 0.8}));
    screen->setProgress(0.45f);
    EXPECT_EQ(pictures().size(), 3u) << "the next threshold, still behind the progress";
    screen->setProgress(0.45f);
    EXPECT_EQ(pictures().size(), 3u);
}

TEST_F(ProgressScreen, ProgressOfExactlyOneMovesTheBarButAddsNoPicture)
{
    show();
    ASSERT_EQ(pictures().size(), 1u);
    screen->setProgress(1.0f);
    EXPECT_EQ(screen->progressBar()->progress(), 1.0);
    EXPECT_EQ(pictures().size(), 1u);
}

TEST_F(ProgressScreen, TheCapturePlaceholderShowsTheProjectsThumbnail)
{
    show();
    screen->setProgress(0.7f);  // entry 2, the placeholder
    auto shown = pictures();
    ASSERT_EQ(shown.size(), 2u);
    expectColour(*shown[1], kThumbGrey, "the project's thumbnail");
    screen->setProgress(0.99f);  // entry 2 again, the next threshold
    screen->setProgress(0.999f);
    expectColour(*pictures().back(), kThumbGrey, "still entry 2");
}

TEST_F(ProgressScreen, ProgressGivenBeforeTheRowsExistIsShownWhenItAppears)
{
    screen->setProgress(0.5f);
    EXPECT_FALSE(screen->progressPanel());
    show();
    EXPECT_EQ(screen->progressBar()->progress(), 0.5);
    auto shown = pictures();
    ASSERT_EQ(shown.size(), 1u);
    expectColour(*shown[0], kGreen, "trunc(3 x 0.5) = 1");
}

TEST_F(ProgressScreen, APanelWithoutAHeightWaitsForItsSize)
{
    show();
    auto panel = screen->progressPanel();
    const plat::Rect sized = panel->frame();
    size_t before = pictures().size();
    panel->setFrame(plat::makeRect(0, 0, sized.width(), 0));
    screen->setProgress(0.9f);
    EXPECT_EQ(pictures().size(), before) << "nothing fits a panel of no height";

    // A screen whose panel had no size at its first update makes its thresholds once it has one.
    auto fresh = std::make_shared<RenderProgressViewController>("RenderProgressViewController", project);
    auto freshNavigation = std::make_shared<zt::QVNavigationController>(fresh);
    window->setRootViewController(freshNavigation);
    driver.wait(0);
    fresh->progressPanel()->setFrame(plat::makeRect(0, 0, 568, 0));
    fresh->setProgress(0.1f);
    fresh->progressPanel()->setFrame(plat::makeRect(0, 0, 600, 150));
    fresh->setProgress(0.1f);
    EXPECT_FALSE(fresh->progressThresholds().empty());
}

TEST_F(ProgressScreen, AnErrorGivenBeforeItAppearsShowsInWhiteWhenItAppears)
{
    screen->showError("Disk full");
    show();
    driver.wait(1);
    const auto& label = screen->infoLabel();
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), "Disk full");
    EXPECT_EQ(label->textColor(), plat::Color::whiteColor());
    EXPECT_EQ(label->alpha(), 1.0);
}

TEST_F(ProgressScreen, ATextFadesOutThenInWithItsColour)
{
    show();
    screen->showInfo("Rendering");
    driver.wait(1);
    screen->showError("Failed");
    driver.wait(0.1);
    EXPECT_EQ(screen->infoLabel()->text(), "Rendering") << "the old text fades out first";
    EXPECT_EQ(screen->infoLabel()->alpha(), 0.0);
    driver.wait(1);
    EXPECT_EQ(screen->infoLabel()->text(), "Failed");
    EXPECT_EQ(screen->infoLabel()->textColor(), plat::Color::colorWithRed(1.0, 140.0 / 255, 130.0 / 255, 1.0))
        << "a red light enough to read on the dark screen";
    EXPECT_EQ(screen->infoLabel()->alpha(), 1.0);
}

TEST_F(ProgressScreen, CancelTwiceRunsTheHandlerOnce)
{
    show();
    int cancels = 0;
    screen->setCancelHandler([&] { ++cancels; });
    auto item = screen->navigationItem()->leftBarButtonItem();
    ASSERT_TRUE(item);
    EXPECT_EQ(item->systemItem(), plat::BarButtonSystemItem::Cancel);
    item->sendAction();
    item->sendAction();
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(screen->navigationItem()->leftBarButtonItem(), item) << "the button stays";
    EXPECT_FALSE(screen->cancelHandler());

    screen->setCancelHandler(nullptr);
    EXPECT_FALSE(screen->navigationItem()->leftBarButtonItem());
    EXPECT_TRUE(screen->navigationItem()->hidesBackButton());
}

TEST_F(ProgressScreen, DoneRunsItsHandlerOnceAndNoHandlerNoButton)
{
    show();
    int dones = 0;
    screen->setDoneHandler([&] { ++dones; });
    auto item = screen->navigationItem()->rightBarButtonItem();
    ASSERT_TRUE(item);
    EXPECT_EQ(item->systemItem(), plat::BarButtonSystemItem::Done);
    item->sendAction();
    item->sendAction();
    EXPECT_EQ(dones, 1);
    screen->setDoneHandler(nullptr);
    EXPECT_FALSE(screen->navigationItem()->rightBarButtonItem());
}

TEST_F(ProgressScreen, FinishedWorkShowsItsResultAndOnlyDone)
{
    struct Ending {
        RenderProgressViewController::Outcome outcome;
        const char* text;
        bool barShown;
    };
    const Ending endings[] = {
        {RenderProgressViewController::Outcome::Succeeded, "Handed on.", true},
        {RenderProgressViewController::Outcome::Failed, "No program could open it.", false},
    };
    for (const Ending& ending : endings) {
        SCOPED_TRACE(ending.text);
        screen = std::make_shared<RenderProgressViewController>("RenderProgressViewController", project);
        navigation = std::make_shared<zt::QVNavigationController>(screen);
        show();
        screen->setCancelHandler([] {});
        screen->setProgress(0.3f);
        int dones = 0;
        screen->showFinished(ending.text, ending.outcome, [&] { ++dones; });
        driver.wait(1);
        EXPECT_EQ(screen->infoLabel()->text(), ending.text);
        EXPECT_EQ(!screen->progressBar()->isHidden() && screen->progressBar()->progress() == 1.0f, ending.barShown)
            << "a full bar for a result, none for a failure";
        EXPECT_FALSE(screen->navigationItem()->leftBarButtonItem()) << "nothing is left to cancel";
        auto done = screen->navigationItem()->rightBarButtonItem();
        ASSERT_TRUE(done);
        EXPECT_EQ(done->systemItem(), plat::BarButtonSystemItem::Done);
        done->sendAction();
        EXPECT_EQ(dones, 1);
    }
}

TEST_F(ProgressScreen, TurnsOnlyToLandscape)
{
    EXPECT_FALSE(screen->shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation::Portrait));
    EXPECT_FALSE(screen->shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation::PortraitUpsideDown));
    EXPECT_TRUE(screen->shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation::LandscapeLeft));
    EXPECT_TRUE(screen->shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation::LandscapeRight));
}

TEST_F(ProgressScreen, RowHeightsFollowTheDevice)
{
    show();
    auto table = screen->tableView();
    EXPECT_EQ(table->rectForRowAtIndexPath({0, 0}).height(), 150);
    EXPECT_EQ(table->rectForRowAtIndexPath({1, 0}).height(), 90);
}

TEST_F(ProgressScreen, LooksLikeItsPictureOnAPhone)
{
    screen->showInfo("Please wait while your video is being prepared.");
    screen->setCancelHandler([] {});
    show();
    screen->setProgress(0.45f);
    expectWindowLooksLike("render-progress-phone.png");
    const plat::Rect picture = pictures().back()->convertRect(pictures().back()->bounds(), nullptr);
    const plat::Rect bar = screen->progressBar()->convertRect(screen->progressBar()->bounds(), nullptr);
    EXPECT_LT(picture.maxY(), bar.minY()) << "the bar lies below the picture, not across it";
    expectMissing(*screen->progressBar(), "render-progress-phone.png", "the bar");
    expectMissing(*screen->infoLabel(), "render-progress-phone.png", "the text");
    expectMissing(*pictures().back(), "render-progress-phone.png", "the picture");
    EXPECT_EQ(plat::scripting::layoutFaults(*window), std::vector<std::string> {});
}

class TabletProgressScreen : public zt::test::LookScreen {
protected:
    TabletProgressScreen()
        : LookScreen(plat::UserInterfaceIdiom::Pad)
    {
    }
};

TEST_F(TabletProgressScreen, RowsAreTallerAndPicturesComeByFourThresholds)
{
    addFlatPicture("Y", kYellow);
    ASSERT_TRUE(project->saveAllDataToDisk().ok());
    auto screen = std::make_shared<RenderProgressViewController>("RenderProgressViewController", project);
    window->setRootViewController(std::make_shared<zt::QVNavigationController>(screen));
    screen->showInfo("Please wait while your video is being prepared.");
    screen->setCancelHandler([] {});
    driver.wait(0);
    EXPECT_EQ(plat::scripting::layoutFaults(*window), std::vector<std::string> {});
    auto table = screen->tableView();
    EXPECT_EQ(table->rectForRowAtIndexPath({0, 0}).height(), 300);
    EXPECT_EQ(table->rectForRowAtIndexPath({1, 0}).height(), 200);
    // 1024 / (300 x 212 / 120) = 1.93: ceil + 2 = 4 thresholds, the first passed on appearing.
    EXPECT_EQ(screen->progressThresholds(), (std::deque<double> {0.25, 0.5, 0.75}));
}

}  // namespace
