#include <array>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "app/AppScreensTestSupport.h"
#include "app/ProjectExplorer.h"
#include "document/AudioClip.h"
#include "document/ImageProducer.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/media/Asset.h"
#include "platform/media/MoviePlayer.h"
#include "platform/media/PlayerItem.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/ProgressView.h"
#include "render/MovieExportType.h"
#include "render/MovieRenderer.h"
#include "render/RenderProgressViewController.h"
#include "support/DamagedFiles.h"
#include "support/DateTestSupport.h"
#include "support/Pixels.h"
#include "support/RunLoopWaiting.h"
#include "uikit/QVMovieView.h"
#include "uikit/QVNavigationController.h"
#include "uikit/VerticallyAlignedLabel.h"

namespace {

using zt::test::AppScreens;

const std::string kProject = ".plovix-2015-05-01-10-00-00";

// A started app whose explorer has one project of six coloured pictures selected.
class ExplorerExport : public AppScreens {
protected:
    void SetUp() override
    {
        auto project = makeProject(kProject, 0, plat::Dictionary {{"RecordName", "Kite"}, {"RecordFPS", int64_t(6)}});
        zt::ImageProducer producer(project);
        auto& list = project->getFrameList();
        for (int i = 0; i < 6; ++i) {
            zt::Frame frame(zt::FrameTypePicture);
            plat::test::Rgba colour {40 * i, 200 - 30 * i, 90, 255};
            ASSERT_TRUE(producer.storeImage(*plat::test::makeFlatImage(320, 180, colour), frame.frameID()));
            list.insertFrame(frame, list.getCaptureIndex());
        }
        ASSERT_TRUE(project->saveAllDataToDisk().ok());
        ASSERT_TRUE(zt::ProjectsList::replace({kProject}));
        plat::Dictionary settings {{"version", 4.0}, {"lastSelection", int64_t(1)}};
        ASSERT_TRUE(
            plat::writePropertyListFile(settings, zt::DataManager::settingsFilePath(), plat::PropertyListFormat::XML)
                .ok());
        launch();
        settle();
        ASSERT_TRUE(explorer()->selectedProject());
    }
    std::shared_ptr<zt::RenderProgressViewController> progressScreen() const
    {
        return explorer()->renderProgressViewController();
    }
    // Lets the render run, its polls come and its completion arrive: up to
    // five minutes of the app's time, the queues' work done at every step.
    bool waitUntil(const std::function<bool()>& done)
    {
        plat::RunLoop::main().settle();
        return done() || plat::test::advanceClockUntil(clock.clock(), 0.5, done, 600);
    }
    std::string infoText() const
    {
        auto screen = progressScreen();
        return screen && screen->infoLabel() ? screen->infoLabel()->text() : std::string();
    }
    // A voice-over of the selected project whose recording is noise, at its first frame.
    void addVoiceOverOfNoise(const std::string& name)
    {
        auto project = explorer()->selectedProject();
        const std::string recording = plat::appendingPathComponent(*project->getProjectPath(), "record-1.caf");
        plat::test::writeRandomBytes(recording);
        zt::AudioClip clip;
        clip.setName(name);
        clip.setType(zt::AudioClip::VoiceOver);
        clip.setUrl(plat::URL::fileURLWithPath(recording));
        clip.setStart(plat::MediaTime::zero());
        clip.setDuration(plat::MediaTime::make(1, 2));
        clip.setVolume(1);
        clip.setLinkToFrameUID(project->getFrameList().getFrameAtIndex(0)->UID());
        project->getMetaData()->set("RecordMetaAudio", plat::Dictionary {{"TRACK_0", plat::Array {clip.encode()}}});
        ASSERT_TRUE(project->saveMetaDataToDisk().ok());
    }
    // Play, then Ok to the render, and the alert that comes when it ends.
    std::string renderAndReadTheAlert()
    {
        if (!driver.tap("Play"))
            return "<no Play>";
        (void)waitForAlert();
        driver.wait(1);
        if (!driver.tap("Ok"))
            return "<no Ok>";
        return waitForAlert([](const plat::AlertView& alert) { return alert.title() != "Render Movie"; });
    }
    std::shared_ptr<zt::MovieExportType> typeFor(const std::string& UTI, const std::string& extension) const
    {
        return std::make_shared<zt::MovieExportType>("Test", std::nullopt, plat::Size {0, 0}, UTI, extension);
    }
    // The title, stored as an archive may bring it (binary: XML holds no controls).
    void retitle(const std::string& title)
    {
        auto metadata = *explorer()->selectedProject()->getMetaData();
        metadata.set("RecordName", title);
        ASSERT_TRUE(plat::writePropertyListFile(
            metadata, documents(kProject + "/plovix.meta"), plat::PropertyListFormat::Binary)
                        .ok());
    }
    // Play, Ok to the render, and whether the movie then plays (left with Home).
    bool plays()
    {
        auto movie = [&] { return std::dynamic_pointer_cast<zt::QVMovieView>(explorer()->presentedViewController()); };
        if (driver.tap("Play") && (driver.wait(1), shownAlert()))
            driver.tap("Ok");  // to the render it asks for first
        const bool played = waitUntil([&] { return movie() != nullptr; });
        if (played)
            movie()->actionHome();
        driver.wait(2);
        return played;
    }
    // Shares the selected project as a 360p movie through the target, as a
    // person taps it; what the screen says when it ends (closed with Done).
    std::string share(const std::string& target)
    {
        for (const char* button : {"Share", target.c_str(), "Medium - 360p", "Export"}) {
            EXPECT_TRUE(driver.tap(button)) << button;
            driver.wait(1);
        }
        waitUntil([&] { return !infoText().empty() && !infoText().starts_with("Please wait"); });
        const std::string told = infoText();
        driver.tap("Done");
        driver.wait(1);
        return told;
    }
};

TEST_F(ExplorerExport, PlayRendersAMovieWithTheProgressScreenAndThenPlaysIt)
{
    ASSERT_TRUE(driver.tap("Play"));
    EXPECT_EQ(waitForAlert(), "Render Movie\nThe project needs to be rendered first. This may take a while.");
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Ok"));
    driver.wait(1);
    auto screen = progressScreen();
    ASSERT_TRUE(screen);
    auto sheet = std::dynamic_pointer_cast<zt::QVNavigationController>(explorer()->presentedViewController());
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->modalPresentationStyle(), plat::ModalPresentationStyle::FormSheet);
    EXPECT_EQ(sheet->topViewController(), screen);
    EXPECT_EQ(infoText(), "Please wait while your video is being prepared.");
    auto cancel = screen->navigationItem()->leftBarButtonItem();
    ASSERT_TRUE(cancel);
    EXPECT_EQ(cancel->systemItem(), plat::BarButtonSystemItem::Cancel);

    auto playing = [&] { return std::dynamic_pointer_cast<zt::QVMovieView>(explorer()->presentedViewController()); };
    ASSERT_TRUE(waitUntil([&] { return playing() != nullptr; }));
    EXPECT_FALSE(progressScreen());
    auto renderer = explorer()->movieRenderer();
    ASSERT_TRUE(renderer);
    EXPECT_EQ(renderer->status(), 3);
    ASSERT_TRUE(renderer->exportURL());
    EXPECT_TRUE(plat::fileExists(renderer->exportURL()->path()));
    EXPECT_EQ(playing()->player()->currentItem()->asset()->duration().isNumeric(), true);

    // Rendered and unchanged since: played at once.
    playing()->actionHome();
    driver.wait(2);
    EXPECT_FALSE(explorer()->presentedViewController());
    ASSERT_TRUE(driver.tap("Play"));
    driver.wait(0.5);
    EXPECT_FALSE(shownAlert());
    EXPECT_TRUE(playing());
}

TEST_F(ExplorerExport, CancelDuringTheRenderClosesTheScreenAndPlaysNothing)
{
    // The first picture is a pipe: the render waits in it until the test lets it go on.
    auto project = explorer()->selectedProject();
    const std::string first = plat::appendingPathComponent(
        *project->getProjectPath(), "frame-" + *project->getFrameList().getFrameIDAtIndex(0) + ".jpg");
    ASSERT_TRUE(plat::removeItem(first).ok());
    ASSERT_EQ(::mkfifo(first.c_str(), 0644), 0);
    explorer()->prepareMovieWithResolution({640, 360});
    driver.wait(1);
    auto screen = progressScreen();
    ASSERT_TRUE(screen);
    screen->navigationItem()->leftBarButtonItem()->sendAction();
    // Detached: opening the pipe for writing waits for its reader, then ends its picture.
    std::thread([first] {
        int fd = ::open(first.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd >= 0)
            ::close(fd);
    }).detach();
    driver.wait(1);
    EXPECT_FALSE(explorer()->presentedViewController());
    EXPECT_FALSE(progressScreen());
    auto renderer = explorer()->movieRenderer();
    ASSERT_TRUE(renderer);
    ASSERT_TRUE(waitUntil([&] { return renderer->status() != 2; }));
    driver.wait(2);
    EXPECT_FALSE(shownAlert()) << "nothing is played";
}

TEST_F(ExplorerExport, TheGIFImagesAndArchiveExportsRunWithTheProgressScreen)
{
    const std::pair<std::string, std::string> types[] = {{"com.compuserve.gif", "gif"},
        {"com.quorvane.plovix.all-images", "export"}, {"com.quorvane.plovix.archive", "zantropemobile"}};
    for (const auto& [UTI, extension] : types) {
        std::shared_ptr<zt::MovieRenderer> finished;
        explorer()->prepareExportWithType(
            typeFor(UTI, extension), [&](zt::MovieRenderer& renderer) { finished = renderer.shared_from_this(); });
        EXPECT_TRUE(progressScreen()) << UTI;
        EXPECT_TRUE(std::dynamic_pointer_cast<zt::QVNavigationController>(explorer()->presentedViewController()))
            << UTI;
        ASSERT_TRUE(waitUntil([&] { return finished != nullptr; })) << UTI;
        EXPECT_FALSE(explorer()->presentedViewController()) << UTI;
        EXPECT_EQ(finished->status(), 3) << UTI;
        ASSERT_TRUE(finished->exportURL()) << UTI;
        const std::string path = finished->exportURL()->path();
        EXPECT_EQ(plat::pathExtension(path), extension);
        EXPECT_TRUE(plat::fileExists(path)) << path;
    }
}

TEST_F(ExplorerExport, AFailedRenderKeepsTheScreenWithTheReason)
{
    // The render cache cannot be a folder: the movie cannot be written.
    const std::string cache = caches("rendercache");
    ASSERT_TRUE(plat::writeFileAtomically(cache, plat::Data {'x'}).ok());
    explorer()->prepareMovieWithResolution({640, 360});
    ASSERT_TRUE(waitUntil([&] {
        auto renderer = explorer()->movieRenderer();
        return renderer && renderer->status() == 4;
    }));
    driver.wait(2);
    ASSERT_TRUE(progressScreen()) << "stays until cancelled";
    EXPECT_EQ(infoText().rfind("The project could not be prepared because an error occurred. - (", 0), 0u)
        << infoText();
    EXPECT_NE(infoText().find(" - ["), std::string::npos) << infoText();
    EXPECT_TRUE(progressScreen()->progressBar()->isHidden()) << "no empty bar on a screen whose work is over";
    EXPECT_FALSE(progressScreen()->navigationItem()->rightBarButtonItem()) << "no Done beside the Cancel";
    // The Cancel it was given closes it.
    ASSERT_TRUE(driver.tap("Cancel"));
    driver.wait(1);
    EXPECT_FALSE(explorer()->presentedViewController());
    EXPECT_FALSE(progressScreen());
}

TEST_F(ExplorerExport, DamagedPicturesAndSoundsAreNamedWhenTheRenderEndsAndTheMovieStillPlays)
{
    auto project = explorer()->selectedProject();
    const std::pair<int64_t, void (*)(const std::string&)> damages[]
        = {{1, plat::test::writeRandomBytes}, {3, plat::test::cutInHalf}};
    for (const auto& [index, damage] : damages) {
        const std::string id = *project->getFrameList().getFrameIDAtIndex(index);
        for (const char* kind : {"frame-", "preview-", "thumb-"})
            damage(plat::appendingPathComponent(*project->getProjectPath(), kind + id + ".jpg"));
    }
    addVoiceOverOfNoise("Hello there");
    EXPECT_EQ(renderAndReadTheAlert(),
        "Some frames and sounds could not be read.\nThe pictures of frames 2 and 4 are damaged or missing. The movie "
        "shows a black picture in their place.\nThe sound “Hello there” is damaged or missing. The movie was made "
        "without it.");
    driver.wait(1);
    ASSERT_TRUE(driver.tap("OK"));
    ASSERT_TRUE(waitUntil([&] {
        return std::dynamic_pointer_cast<zt::QVMovieView>(explorer()->presentedViewController()) != nullptr;
    })) << "the movie is made and plays";
}

TEST_F(ExplorerExport, AnUnreadableVoiceOverAloneIsNamedWhenTheRenderEnds)
{
    addVoiceOverOfNoise("Hello there");
    EXPECT_EQ(renderAndReadTheAlert(),
        "Some sounds could not be read.\nThe sound “Hello there” is damaged or missing. The movie was made without "
        "it.");
}

TEST_F(ExplorerExport, AShareScreenShowingItsOutcomeIsFreedWithTheApp)
{
    // As a share target does: the file has arrived, the screen says so, and its Done closes it.
    std::weak_ptr<zt::RenderProgressViewController> shown;
    explorer()->prepareExportWithType(typeFor("com.compuserve.gif", "gif"),
        zt::ShareHandOff([&](zt::MovieRenderer&, const std::shared_ptr<zt::RenderProgressViewController>& screen,
                             std::function<void()> close) {
            shown = screen;
            screen->showFinished("Arrived.", zt::RenderProgressViewController::Outcome::Succeeded, std::move(close));
        }));
    ASSERT_TRUE(waitUntil([&] { return !shown.expired(); }));
    // The app ends with the screen up.
    app.resetForTesting();
    delegate.reset();
    driver.wait(1);
    EXPECT_TRUE(shown.expired());
}

// A title becomes the file's name without its control characters and
// direction marks ("_" stands in for each), cut between characters where a
// file name cannot hold it (70 four-byte, 90 three-byte characters): the movie
// plays, the share messages name the file as it is in Documents, and a title
// that cuts like one shared before gives a file of its own.
TEST_F(ExplorerExport, ATitleMakesAFileNameWithoutControlsAndShortEnoughToPlayAndShareAndTheMessagesShowIt)
{
    const std::string bin = sandbox.path("bin");  // a desktop whose opener takes any file
    ASSERT_TRUE(plat::createDirectory(bin, plat::IntermediateDirectories::No).ok());
    std::ofstream(bin + "/xdg-open") << "#!/bin/sh\n";
    ASSERT_TRUE(plat::setPermissions(bin + "/xdg-open", 0755).ok());
    plat::test::ScopedEnvironmentVariable display("DISPLAY", ":99");
    plat::test::ScopedEnvironmentVariable path("PATH", bin + ":/usr/bin:/bin");
    auto times
        = [](size_t count, const char* text) { return plat::replacingOccurrences(std::string(count, '.'), ".", text); };
    const std::string saved = "Saved in Documents as \"", film = times(62, "🎬");
    const std::array<std::string, 3> rows[] = {{"Ball \u202Etxt.exe", "File Sharing", saved + "Ball__txtexe.mov\"."},
        {"Kite\x1B[1m\nFly", "File Sharing", saved + "Kite_1m_Fly.mov\"."},
        {"Ball \u202Etxt.exe", "Open In", "Handed \"Ball__txtexe.mov\" to another program."},
        {times(70, "🎬"), "File Sharing", saved + film + ".mov\"."},
        {times(90, "漢"), "File Sharing", saved + times(83, "漢") + ".mov\"."},
        {"Ab" + times(70, "🎬"), "File Sharing", saved + "Ab" + film + ".mov\"."},
        {"Ab" + times(71, "🎬"), "File Sharing", saved + "Ab" + times(61, "🎬") + " 2.mov\"."}};
    for (const auto& [title, target, told] : rows) {
        retitle(title);
        EXPECT_TRUE(title.size() <= 255 || plays()) << title;  // the long ones are played first
        EXPECT_EQ(share(target), told);
    }
}

}  // namespace
