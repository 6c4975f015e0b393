#include <gtest/gtest.h>

#include "AppScreensTestSupport.h"
#include "app/FeatureScreens.h"
#include "app/PassCodeViewController.h"
#include "app/WelcomeMain.h"
#include "document/ImageProducer.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UniformTypeIdentifiers.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/media/EncoderFolder.h"
#include "platform/media/MediaTestFiles.h"
#include "platform/media/MoviePlayer.h"
#include "platform/ui/ActivityViewController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/testing/PictureComparison.h"
#include "render/MovieExportType.h"
#include "render/MovieRenderer.h"
#include "render/MovieRendererSources.h"
#include "render/RenderProgressViewController.h"
#include "share/InfoCenterViewController.h"
#include "support/Idioms.h"
#include "support/LimitedFreeSpace.h"
#include "uikit/QVMovieView.h"
#include "uikit/SPSidePanelController.h"

namespace {

const std::string kProject = ".plovix-2015-05-01-10-00-00";

class ExplorerActions : public zt::test::AppScreens {
protected:
    explicit ExplorerActions(plat::UserInterfaceIdiom idiom = plat::UserInterfaceIdiom::Phone)
        : AppScreens(idiom)
    {
    }

    // A device that started before, with one project selected.
    void startWithProject()
    {
        project = makeProject(kProject, 3, plat::Dictionary {{"RecordName", "Bounce"}});
        ASSERT_TRUE(plat::writePropertyListFile(plat::Dictionary {{"version", 4.0}, {"lastSelection", 1}},
            zt::DataManager::settingsFilePath(), plat::PropertyListFormat::XML)
                        .ok());
        ASSERT_TRUE(zt::ProjectsList::replace({kProject}));
        launch();
        settle();
    }
    std::shared_ptr<plat::ViewController> presented() const { return explorer()->presentedViewController(); }
    plat::UserDefaults& defaults() const { return plat::UserDefaults::standardUserDefaults(); }
    zt::DataManager& settings() const { return zt::DataManager::sharedDataManager(); }
    std::shared_ptr<zt::PassCodeViewController> passCodeScreen() const
    {
        auto navigation = std::dynamic_pointer_cast<plat::NavigationController>(presented());
        return navigation ? std::dynamic_pointer_cast<zt::PassCodeViewController>(navigation->topViewController())
                          : nullptr;
    }
    void enter(const std::string& digits)
    {
        ASSERT_TRUE(driver.type(digits));
        driver.wait(0.31);  // the check runs 0.3 s after the fourth digit
    }
    // The preview movie as the renderer would have left it.
    void prepareMovie(plat::Size size)
    {
        auto selected = explorer()->selectedProject();
        zt::MovieExportType type("MoviePreview", std::nullopt, size, plat::kUTTypeQuickTimeMovie, "mov");
        auto renderer = zt::MovieRendererSources(selected).getRendererForUTI(plat::kUTTypeQuickTimeMovie);
        ASSERT_NE(renderer, nullptr);
        plat::URL url = renderer->getExportURLForExportType(type);
        std::string folder = plat::deletingLastPathComponent(url.path());
        ASSERT_FALSE(plat::test::makeTestMovie(folder, plat::lastPathComponent(url.path()), 2.0, 10,
            static_cast<int>(size.width), static_cast<int>(size.height))
                         .empty());
        selected->getMetaData()->set("RecordNeedsRendering", false);
    }

    std::shared_ptr<zt::ProjectModel> project;
    plat::test::TemporaryFolder output;
};

class ExplorerActionsOnATablet : public ExplorerActions {
protected:
    ExplorerActionsOnATablet()
        : ExplorerActions(plat::UserInterfaceIdiom::Pad)
    {
    }
};

TEST_F(ExplorerActions, StorageNearlyFullWarnsBelowOneHundredMebibytesOncePerRun)
{
    // The warning's text, each time the explorer comes back from a project.
    auto comeBackFromTheProject = [&] {
        driver.tapAt({284, 119});  // the centred project
        driver.wait(1);
        EXPECT_TRUE(driver.tap("Projects"));
        driver.wait(2);
        auto alert = shownAlert();
        if (!alert)
            return std::string("<none>");
        alert->dismissWithClickedButtonIndex(0, /*animated=*/false);
        driver.wait(1);
        return alert->title() + "\n" + alert->message();
    };
    std::optional<plat::test::LimitedFreeSpace> reported;
    reported.emplace(104857600);
    startWithProject();
    EXPECT_EQ(shownAlert(), nullptr) << "exactly 100 MiB is enough";
    reported.emplace(104857599);
    EXPECT_EQ(comeBackFromTheProject(),
        "Storage Nearly Full\nThere is almost no space left on this device. You cannot record new media until you "
        "free some space.");
    EXPECT_EQ(comeBackFromTheProject(), "<none>") << "once per run";
    reported.emplace(0);
    EXPECT_EQ(comeBackFromTheProject(), "<none>");
}

TEST_F(ExplorerActions, SwitchingTheGalleryOffAsksForANewPasscodeOnceAlsoWhenTheAppBecomesActive)
{
    defaults().setBool(false, "isYoutubeGalleryEnabled");
    startWithProject();
    ASSERT_NE(passCodeScreen(), nullptr);
    auto first = presented();
    plat::NotificationCenter::defaultCenter().post(plat::ApplicationDidBecomeActiveNotification, nullptr);
    driver.wait(1);
    EXPECT_EQ(presented(), first) << "presented once";
    EXPECT_EQ(first->presentedViewController(), nullptr);
    EXPECT_TRUE(passCodeScreen()->isFirstTime());
    enter("1234");
    enter("1234");
    driver.wait(1);
    EXPECT_EQ(presented(), nullptr) << "closed by the explorer";
    EXPECT_FALSE(settings().isYoutubeGalleryEnabled());
    EXPECT_EQ(settings().passCode(), "1234");
    EXPECT_FALSE(explorer()->outlets().galleryBtn->isEnabled());
    auto stored = plat::dictionaryWithContentsOfFile(zt::DataManager::settingsFilePath());
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->getBool("isYoutubeGalleryEnabled"), false);
}

TEST_F(ExplorerActions, SwitchingTheGalleryBackOnTakesTheRightPasscodeAndAWrongOneOrDoneTurnsTheSettingBack)
{
    settings().setIsYoutubeGalleryEnabled(false);
    settings().setPassCode("4711");
    zt::DataManager::saveState();
    defaults().setBool(true, "isYoutubeGalleryEnabled");
    startWithProject();
    ASSERT_NE(passCodeScreen(), nullptr);
    EXPECT_FALSE(passCodeScreen()->isFirstTime());
    enter("0000");
    EXPECT_NE(passCodeScreen(), nullptr) << "a wrong code refuses";
    ASSERT_TRUE(driver.tap("Done"));
    driver.wait(1);
    EXPECT_EQ(presented(), nullptr);
    EXPECT_FALSE(defaults().boolForKey("isYoutubeGalleryEnabled")) << "the platform setting turned back";
    EXPECT_FALSE(settings().isYoutubeGalleryEnabled());
    EXPECT_FALSE(explorer()->outlets().galleryBtn->isEnabled());

    defaults().setBool(true, "isYoutubeGalleryEnabled");
    plat::NotificationCenter::defaultCenter().post(plat::ApplicationDidBecomeActiveNotification, nullptr);
    driver.wait(1);
    ASSERT_NE(passCodeScreen(), nullptr);
    enter("4711");
    driver.wait(1);
    EXPECT_EQ(presented(), nullptr);
    EXPECT_TRUE(settings().isYoutubeGalleryEnabled());
    EXPECT_FALSE(settings().passCode().has_value()) << "the passcode is cleared";
    EXPECT_TRUE(explorer()->outlets().galleryBtn->isEnabled());
}

TEST_F(ExplorerActions, TheWelcomeScreenShowsOnTheFirstStartOnly)
{
    zt::WelcomeMain::reset();
    launch();
    settle();
    EXPECT_NE(std::dynamic_pointer_cast<zt::WelcomeGridViewController>(presented()), nullptr);
    ASSERT_TRUE(driver.tap("Get Started"));
    driver.wait(1);
    EXPECT_EQ(presented(), nullptr);
    explorer()->viewDidAppear(false);
    driver.wait(1);
    EXPECT_EQ(presented(), nullptr) << "once";
    EXPECT_TRUE(zt::WelcomeMain::getHasSeen());
}

TEST_F(ExplorerActions, TheExplorerNeverStartsTheWhatsNewScreen)
{
    zt::WelcomeMain::setHasSeen(true);
    zt::QVWhatsNew::setLastAppVersion("0.1");  // an update from an older version
    launch();
    settle();
    explorer()->viewDidAppear(false);
    driver.wait(1);
    EXPECT_EQ(presented(), nullptr);
    EXPECT_EQ(zt::QVWhatsNew::lastAppVersion(), "0.1") << "the what's-new configuration did not run";
}

TEST_F(ExplorerActions, APreparedMoviePlaysAtOnceAndShowsDifferentPicturesOverTime)
{
    startWithProject();
    prepareMovie({960, 540});
    ASSERT_TRUE(driver.tap("Play"));
    driver.wait(0.5);
    auto movieView = std::dynamic_pointer_cast<zt::QVMovieView>(presented());
    ASSERT_NE(movieView, nullptr) << "no prompt";
    ASSERT_EQ(movieView->player()->status(), plat::MoviePlayer::Status::ReadyToPlay);
    driver.wait(2.2);  // the curtains open over 2.0 s
    auto early = plat::snapshotWindow(*app.keyWindow(), 1);
    driver.wait(1.0);
    auto later = plat::snapshotWindow(*app.keyWindow(), 1);
    ASSERT_TRUE(early && later);
    int64_t differing = 0;
    for (int y = 0; y < early->bitmap()->height(); y += 2)
        for (int x = 0; x < early->bitmap()->width(); x += 2)
            differing += early->bitmap()->row(y)[x * 4 + 1] != later->bitmap()->row(y)[x * 4 + 1];
    EXPECT_GT(differing, 200) << "another frame";
}

TEST_F(ExplorerActions, AProjectWithoutAPreparedMovieAsksToRenderFirstAndCancelRendersNothing)
{
    startWithProject();
    ASSERT_TRUE(driver.tap("Play"));
    EXPECT_EQ(waitForAlert(), "Render Movie\nThe project needs to be rendered first. This may take a while.");
    EXPECT_EQ(shownAlert()->numberOfButtons(), 2);
    driver.wait(0.5);
    ASSERT_TRUE(driver.tap("Cancel"));
    driver.wait(1);
    EXPECT_EQ(shownAlert(), nullptr);
    EXPECT_EQ(explorer()->movieRenderer(), nullptr);
    EXPECT_EQ(presented(), nullptr);
}

TEST_F(ExplorerActionsOnATablet, TheRenderPromptOffersTheOptimizedChoiceOnATablet)
{
    EXPECT_EQ(zt::ProjectExplorer::previewResolution(), (plat::Size {1920, 1080}));
    startWithProject();
    ASSERT_TRUE(driver.tap("Play"));
    waitForAlert();
    EXPECT_EQ(shownAlert()->numberOfButtons(), 3);
    EXPECT_NE(driver.findView("Optimized (Slower)"), nullptr);
}

TEST_F(ExplorerActions, ShareOffersTheProjectOnTheShareSheetWithoutTheExcludedTypes)
{
    startWithProject();
    ASSERT_TRUE(driver.tap("Share"));
    driver.wait(1);
    auto sheet = std::dynamic_pointer_cast<plat::ActivityViewController>(presented());
    ASSERT_NE(sheet, nullptr);
    const auto& excluded = sheet->excludedActivityTypes();
    EXPECT_EQ(excluded.size(), 9u);
    EXPECT_NE(std::find(excluded.begin(), excluded.end(), plat::ActivityTypeSaveToCameraRoll), excluded.end());
    EXPECT_NE(driver.findView("Duplicate"), nullptr);
    sheet->cancel();
    driver.wait(1);
    EXPECT_EQ(presented(), nullptr);
}

// The info centre and the gallery on a phone and on a tablet: each can be
// left with its Done, and the gallery says that its list is empty.
class ExplorerHelpAndGallery : public ExplorerActions, public ::testing::WithParamInterface<plat::UserInterfaceIdiom> {
protected:
    ExplorerHelpAndGallery()
        : ExplorerActions(GetParam())
    {
    }
};

TEST_P(ExplorerHelpAndGallery, HelpOpensTheInfoCentreAndTheGalleryItsSidePanelAndEachClosesWithDone)
{
    startWithProject();
    ASSERT_TRUE(driver.tap("Help"));
    driver.wait(1);
    ASSERT_NE(std::dynamic_pointer_cast<zt::InfoCenterViewController>(presented()), nullptr);
    ASSERT_TRUE(driver.tap("Done"));
    driver.wait(1);
    EXPECT_EQ(presented(), nullptr);

    ASSERT_TRUE(driver.tap("Gallery"));
    driver.wait(1);
    auto container = std::dynamic_pointer_cast<zt::SPSidePanelController>(presented());
    ASSERT_NE(container, nullptr);
    EXPECT_EQ(container->leftSize(), plat::Screen::mainScreen().bounds().width() - 95.0);
    EXPECT_NE(driver.findView("The gallery has no movies to show."), nullptr) << "and names no cause";
    ASSERT_TRUE(driver.tap("Done"));
    driver.wait(1);
    EXPECT_EQ(presented(), nullptr) << "the gallery is left";
}

INSTANTIATE_TEST_SUITE_P(Idioms, ExplorerHelpAndGallery, plat::test::bothIdioms(), plat::test::idiomName);

// The explorer's sheets as a person sees them on a phone and on a tablet.
class ExplorerSheetPictures : public ExplorerActions, public ::testing::WithParamInterface<plat::UserInterfaceIdiom> {
protected:
    ExplorerSheetPictures()
        : ExplorerActions(GetParam())
    {
    }
    plat::test::PictureComparison compareScreen(const std::string& name)
    {
        auto picture = plat::snapshotWindow(*app.keyWindow(), 1);
        if (!picture)
            return {};
        const std::string idiom = GetParam() == plat::UserInterfaceIdiom::Pad ? "tablet" : "phone";
        return plat::test::compareWithReferencePicture(
            *picture, plat::test::sourcePath("tests/data/app/" + name + "_" + idiom + ".png"), output.path());
    }
};

// The sheet's cards over the explorer, dimmed (in a popover on a tablet).
TEST_P(ExplorerSheetPictures, TheShareSheetLiesOverTheDimmedExplorer)
{
    startWithProject();
    ASSERT_TRUE(driver.tap("Share"));
    driver.wait(1);
    auto result = compareScreen("share_sheet");
    EXPECT_TRUE(result.matches) << result.explanation;
}

// Four boxes of one size, and nothing else below them.
TEST_P(ExplorerSheetPictures, ThePasscodeScreenShowsItsFourBoxesAlike)
{
    defaults().setBool(false, "isYoutubeGalleryEnabled");
    startWithProject();
    ASSERT_NE(passCodeScreen(), nullptr);
    ASSERT_TRUE(driver.type("47"));
    driver.wait(1);
    auto result = compareScreen("passcode");
    EXPECT_TRUE(result.matches) << result.explanation;
}

INSTANTIATE_TEST_SUITE_P(Idioms, ExplorerSheetPictures, plat::test::bothIdioms(), plat::test::idiomName);

}  // namespace

namespace {

TEST_F(ExplorerActions, OkRendersThePreviewAndPlaysItWhenDone)
{
    // The sample project of the first start has pictures to render.
    launch();
    settle();
    carousel().scrollToItemAtIndex(1, /*animated=*/true);
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Play"));
    waitForAlert();
    driver.wait(0.5);
    ASSERT_TRUE(driver.tap("Ok"));
    driver.wait(0.5);
    EXPECT_NE(explorer()->movieRenderer(), nullptr) << "rendering";
    EXPECT_TRUE(plat::test::runMainLoopUntil(
        [&] {
            driver.wait(0.1);
            return std::dynamic_pointer_cast<zt::QVMovieView>(presented()) != nullptr;
        },
        120))
        << "the rendered preview plays";
    EXPECT_EQ(explorer()->renderProgressViewController(), nullptr) << "the progress screen closed first";
    auto movieView = std::dynamic_pointer_cast<zt::QVMovieView>(presented());
    ASSERT_NE(movieView, nullptr);
    EXPECT_EQ(movieView->player()->status(), plat::MoviePlayer::Status::ReadyToPlay);
    // Played again, the prepared movie needs no rendering.
    movieView->actionHome();
    driver.wait(2);
    ASSERT_TRUE(driver.tap("Play"));
    driver.wait(0.5);
    EXPECT_NE(std::dynamic_pointer_cast<zt::QVMovieView>(presented()), nullptr);
}

}  // namespace

namespace {

TEST_F(ExplorerActions, ACancelledPreviewIsNeverPlayed)
{
    launch();
    settle();
    carousel().scrollToItemAtIndex(1, /*animated=*/true);
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Play"));
    waitForAlert();
    driver.wait(0.5);
    ASSERT_TRUE(driver.tap("Ok"));
    driver.wait(0.5);
    auto progress = explorer()->renderProgressViewController();
    ASSERT_NE(progress, nullptr) << "rendering behind the progress screen";
    EXPECT_NE(std::dynamic_pointer_cast<plat::NavigationController>(presented()), nullptr);
    auto renderer = explorer()->movieRenderer();
    ASSERT_NE(renderer, nullptr);
    progress->actionCancel();
    driver.wait(1);
    EXPECT_EQ(presented(), nullptr) << "the progress screen closed";
    // The render stops (or ends) on its queue; its completion finds nothing to do.
    EXPECT_TRUE(plat::test::runMainLoopUntil([&] { return renderer->status() != 2; }, 120));
    driver.wait(2);
    EXPECT_EQ(presented(), nullptr) << "nothing played";
    // The writing of its movie too, before the test's sandbox goes.
    plat::RunLoop::main().settle();
}

TEST_F(ExplorerActionsOnATablet, ShareShowsTheSheetInAPopoverFromTheShareButton)
{
    startWithProject();
    ASSERT_TRUE(driver.tap("Share"));
    driver.wait(1);
    EXPECT_EQ(presented(), nullptr) << "not modal on a tablet";
    EXPECT_NE(driver.findView("Duplicate"), nullptr);
}

}  // namespace

namespace {

TEST_F(ExplorerActions, TheWelcomeWaitsForThePasscodeScreenToClose)
{
    zt::WelcomeMain::reset();
    defaults().setBool(false, "isYoutubeGalleryEnabled");
    launch();
    settle();
    ASSERT_NE(passCodeScreen(), nullptr);
    EXPECT_FALSE(zt::WelcomeMain::getHasSeen());
    ASSERT_TRUE(driver.tap("Done"));
    driver.wait(1);
    explorer()->viewDidAppear(false);
    driver.wait(1);
    EXPECT_NE(std::dynamic_pointer_cast<zt::WelcomeGridViewController>(presented()), nullptr);
    EXPECT_TRUE(zt::WelcomeMain::getHasSeen());
}

}  // namespace

namespace {

class ImportDuringAPreview : public ExplorerActions, public ::testing::WithParamInterface<plat::UserInterfaceIdiom> {
protected:
    ImportDuringAPreview()
        : ExplorerActions(GetParam())
    {
        useTestCamera();  // the tablet's editor holds the capture screen
    }
    // The selected project, with ten pictures to render.
    void startWithPictures()
    {
        startWithProject();
        zt::ImageProducer producer(project);
        for (const zt::Frame& frame : project->getFrameList()) {
            if (frame.type() != zt::FrameTypePicture)
                continue;
            ASSERT_TRUE(producer.storeImage(*plat::test::makeFlatImage(320, 180, {30, 90, 200, 255}), frame.frameID()));
        }
    }
    // The import's message, shown with the notice that reads the list again.
    bool importedMessageCame()
    {
        return plat::test::runMainLoopUntil(
            [&] { return driver.findView("Project successfully imported.") != nullptr; });
    }
};

// Play, Ok, and an archive handed over while the movie is rendered: the
// movie of the project played comes, without a prompt for the imported one,
// and that project stays centred.
TEST_P(ImportDuringAPreview, PlaysTheProjectAskedForAndKeepsItCentred)
{
    ASSERT_NO_FATAL_FAILURE(startWithPictures());
    // Two pictures a second of the app's time: the render lasts beyond the import.
    ASSERT_TRUE(plat::EncoderFolder::writeFramesPerSecond(2).ok());
    ASSERT_TRUE(driver.tap("Play"));
    waitForAlert();
    driver.wait(0.5);
    ASSERT_TRUE(driver.tap("Ok"));
    driver.wait(0.5);
    auto renderer = explorer()->movieRenderer();
    ASSERT_TRUE(renderer && renderer->status() == 2) << "rendering";

    makeArchive(output.path("Shared.zantropemobile"), ".plovix-2015-02-02-00-00-00", 2);
    ASSERT_TRUE(app.openURLFromApplication(
        plat::URL::fileURLWithPath(output.path("Shared.zantropemobile")), "com.example.mail", plat::Value()));
    ASSERT_TRUE(importedMessageCame());
    ASSERT_EQ(renderer->status(), 2) << "the import came during the render";
    auto renderPrompt = [&] {
        auto alert = shownAlert();
        return alert && alert->title() == "Render Movie";
    };
    ASSERT_TRUE(plat::test::advanceClockUntil(
        clock.clock(), 0.1,
        [&] { return std::dynamic_pointer_cast<zt::QVMovieView>(presented()) != nullptr || renderPrompt(); }, 600));
    driver.wait(0.5);
    EXPECT_TRUE(std::dynamic_pointer_cast<zt::QVMovieView>(presented()) && !renderPrompt()) << "plays without a prompt";
    EXPECT_EQ(explorer()->selectedProject()->getProjectPath(), project->getProjectPath()) << "centred";
}

// An archive handed over while the project is edited: back in the
// explorer, the edited project is centred, not the imported one at its old place.
TEST_P(ImportDuringAPreview, AnImportWhileEditingKeepsTheEditedProjectCentred)
{
    ASSERT_NO_FATAL_FAILURE(startWithPictures());
    ASSERT_TRUE(driver.tap(*carousel().currentItemView()));
    driver.wait(2);
    ASSERT_NE(editor(), nullptr);
    makeArchive(output.path("Shared.zantropemobile"), ".plovix-2015-02-02-00-00-00", 2);
    ASSERT_TRUE(app.openURLFromApplication(
        plat::URL::fileURLWithPath(output.path("Shared.zantropemobile")), "com.example.mail", plat::Value()));
    ASSERT_TRUE(importedMessageCame());
    driver.wait(3.5);  // the message goes
    ASSERT_TRUE(driver.tap("Projects"));
    driver.wait(2);
    ASSERT_NE(explorer(), nullptr);
    EXPECT_EQ(explorer()->selectedProject()->getProjectPath(), project->getProjectPath());
}

INSTANTIATE_TEST_SUITE_P(Idioms, ImportDuringAPreview, plat::test::bothIdioms(), plat::test::idiomName);

}  // namespace
