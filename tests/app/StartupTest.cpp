#include <csignal>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

#include "app/AppCaptureSources.h"
#include "app/AppScreensTestSupport.h"
#include "app/StartupFiles.h"
#include "app/UntitledAppDelegate.h"
#include "app/WelcomeMain.h"
#include "audio/AudioController.h"
#include "capture/CaptureController.h"
#include "capture/CaptureSources.h"
#include "document/ImageProducer.h"
#include "dropbox/DBSession.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/StringsFile.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/Layer.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/testing/PictureComparison.h"
#include "support/Idioms.h"
#include "support/LimitedFreeSpace.h"
#include "support/MediaTools.h"
#include "support/MountNamespace.h"
#include "support/UnreadableFile.h"
#include "support/WaveFile.h"

namespace {

using zt::test::AppScreens;

const std::string kIntroduction = ".plovix-introduction";

class Startup : public AppScreens {
protected:
    plat::UserDefaults& defaults() { return plat::UserDefaults::standardUserDefaults(); }
    void writeSettings(const plat::Dictionary& settings)
    {
        ASSERT_TRUE(
            plat::writePropertyListFile(settings, zt::DataManager::settingsFilePath(), plat::PropertyListFormat::XML)
                .ok());
    }
    std::optional<plat::Dictionary> storedSettings()
    {
        return plat::dictionaryWithContentsOfFile(zt::DataManager::settingsFilePath());
    }
    // Makes the previous run a crashed one, as its signal handler would have.
    void leaveCrashReport()
    {
        ASSERT_TRUE(
            plat::createDirectory(zt::CrashReportManager::crashReportsDirectory(), plat::IntermediateDirectories::Yes)
                .ok());
        zt::CrashReport report;
        report.signalNumber = SIGSEGV;
        ASSERT_TRUE(plat::writeFileAtomically(zt::CrashReportManager::liveReportPath(), report.encode()).ok());
    }
    int posts(const char* name)
    {
        auto found = _posted.find(name);
        return found == _posted.end() ? 0 : found->second;
    }
    void watch(const char* name)
    {
        _tokens.push_back(plat::NotificationCenter::defaultCenter().addObserver(
            name, nullptr, [this, name](const plat::Notification& note) {
                ++_posted[name];
                lastUserInfo = note.userInfo;
            }));
    }
    bool waitForMessage(const std::string& text)
    {
        return plat::test::runMainLoopUntil([&] { return driver.findView(text) != nullptr; }, 30);
    }

    plat::Dictionary lastUserInfo;

private:
    std::map<std::string, int> _posted;
    std::vector<plat::ObserverToken> _tokens;
};

}  // namespace

TEST_F(Startup, TheAppOffersTheGreenScreenSecondAmongTheCaptureSources)
{
    zt::CaptureSources::setProvidedSources({});  // undo the fixture's call: the sources come from the app alone
    zt::registerAppCaptureSources();
    zt::registerAppCaptureSources();  // again: still one green screen
    auto registry = std::make_shared<zt::CaptureSources>();
    registry->checkLocalCaptureSources();
    std::vector<std::string> offered;
    for (const auto& source : *registry->getAvailableCaptureSources())
        offered.push_back(source->captureSourceID());
    EXPECT_EQ(offered,
        (std::vector<std::string> {"CaptureLocalCamera", "CaptureChromaKeyCamera", "CaptureLocalUHDTVCamera"}));
}

TEST_F(Startup, AFirstStartInstallsTheSampleProjectAndShowsIt)
{
    launch();
    EXPECT_TRUE(plat::fileExists(caches(kIntroduction) + "/plovix.meta"));
    EXPECT_TRUE(plat::fileExists(caches(kIntroduction) + "/frames.meta"));
    EXPECT_EQ(listed(), std::vector<std::string> {kIntroduction});
    EXPECT_EQ(zt::DataManager::sharedDataManager().version(), 4.0);
    EXPECT_EQ(storedSettings()->getDouble("version"), 4.0);
    ASSERT_NE(explorer(), nullptr);
    EXPECT_EQ(carousel().numberOfItems(), 2);
    EXPECT_EQ(explorer()->projects()[1]->getMetaData()->getString("RecordName"), "Bouncing Ball");
    EXPECT_EQ(explorer()->projects()[1]->getFrameList().count(), 16);
    zt::ImageProducer pictures(explorer()->projects()[1]);
    for (int64_t frame = 0; frame < 15; ++frame) {
        auto full = pictures.getImageForFrameAtIndex(frame);
        ASSERT_NE(full, nullptr) << frame;
        EXPECT_EQ(full->size(), (plat::Size {960, 540}));
        EXPECT_NE(pictures.getThumbnailImageForFrameAtIndex(frame), nullptr) << frame;
    }
    EXPECT_TRUE(plat::isDirectory(documents("Import")));
    EXPECT_TRUE(plat::isDirectory(documents("shared-audio")));
    EXPECT_EQ(defaults().stringForKey("version_preference"), "1.0 (1)");
}

TEST_F(Startup, ASampleThatFailsToUnpackLeavesNothingAndIsTriedAgain)
{
    // The sample archive with one byte of its middle entry's data spoiled:
    // the entries before it unpack, then its check fails.
    auto good = plat::Bundle::mainBundle().pathForResource("sample", "zip");
    ASSERT_TRUE(good);
    auto bytes = plat::readFile(*good).value();
    bytes[bytes.size() / 2] ^= 0xFF;
    const std::string damaged = documents("damaged-sample.zip");
    ASSERT_TRUE(plat::writeFileAtomically(damaged, bytes).ok());

    EXPECT_FALSE(zt::detail::installSampleProjectFromArchive(damaged));
    EXPECT_FALSE(plat::fileExists(caches(kIntroduction)));
    EXPECT_FALSE(plat::fileExists(caches(kIntroduction + ".unpacking")));

    EXPECT_TRUE(zt::detail::installSampleProjectFromArchive(*good));
    EXPECT_TRUE(plat::fileExists(caches(kIntroduction) + "/frames.meta"));
    EXPECT_FALSE(plat::fileExists(caches(kIntroduction + ".unpacking")));
}

TEST_F(Startup, TheFirstListHoldsTheSampleThenEveryProjectFolderNewestFirst)
{
    makeProject(".plovix-2015-05-01-10-00-00", 1);
    makeProject(".plovix-2015-05-03-10-00-00", 1);
    makeProject("plovix-2015-05-02-10-00-00", 1);  // not a project folder name
    std::ofstream(documents(".plovix-2015-05-04-10-00-00")) << "a file, not a folder";
    launch();
    EXPECT_EQ(listed(),
        (std::vector<std::string> {kIntroduction, ".plovix-2015-05-03-10-00-00", ".plovix-2015-05-01-10-00-00"}));
    EXPECT_EQ(zt::UntitledAppDelegate::searchForFiles(),
        (std::vector<std::string> {".plovix-2015-05-01-10-00-00", ".plovix-2015-05-03-10-00-00"}));
}

TEST_F(Startup, ALaterStartNeitherReinstallsTheSampleNorRewritesAReadableList)
{
    writeSettings(plat::Dictionary {{"version", 4.0}});
    ASSERT_TRUE(zt::ProjectsList::replace({".plovix-2015-05-01-10-00-00"}));
    makeProject(".plovix-2015-05-01-10-00-00", 2);
    makeProject(".plovix-2015-05-09-10-00-00", 2);  // not listed: the list stays as it is
    launch();
    EXPECT_FALSE(plat::fileExists(caches(kIntroduction)));
    EXPECT_EQ(listed(), std::vector<std::string> {".plovix-2015-05-01-10-00-00"});
    EXPECT_EQ(carousel().numberOfItems(), 2);
}

// Settings reset, so the sample, which Caches lost, comes again: it stays
// listed, and a project whose folder is gone does not.
TEST_F(Startup, AStartTakesAGoneProjectOffTheListAndKeepsTheSampleItUnpacksAgain)
{
    ASSERT_TRUE(
        zt::ProjectsList::replace({kIntroduction, ".plovix-2015-05-01-10-00-00", ".plovix-2015-05-02-10-00-00"}));
    makeProject(".plovix-2015-05-02-10-00-00", 2);
    launch();
    EXPECT_EQ(listed(), (std::vector<std::string> {kIntroduction, ".plovix-2015-05-02-10-00-00"}));
}

TEST_F(Startup, AListLostAfterTheUpgradeIsMadeAgainFromTheFolders)
{
    writeSettings(plat::Dictionary {{"version", 4.0}});
    makeProject(".plovix-2015-05-01-10-00-00", 2);
    makeProject(".plovix-2015-05-09-10-00-00", 2);
    launch();
    EXPECT_FALSE(plat::fileExists(caches(kIntroduction))) << "the sample was deleted: it stays deleted";
    EXPECT_EQ(listed(), (std::vector<std::string> {".plovix-2015-05-09-10-00-00", ".plovix-2015-05-01-10-00-00"}));
    EXPECT_EQ(carousel().numberOfItems(), 3);
}

// Settings cut short (a full disk, a crash while writing): the app starts
// with the defaults and keeps the damaged file beside the new one.
TEST_F(Startup, DamagedSettingsAreKeptAsideAndTheAppStartsWithTheDefaults)
{
    writeSettings(plat::Dictionary {{"version", 4.0}, {"lastSelection", 1}, {"_isGridEnabled", true}});
    auto whole = plat::readFile(zt::DataManager::settingsFilePath()).value();
    const std::string cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2));
    ASSERT_TRUE(plat::writeFileAtomically(zt::DataManager::settingsFilePath(), cut).ok());
    makeProject(".plovix-2015-05-01-10-00-00", 1);
    ASSERT_TRUE(zt::ProjectsList::replace({".plovix-2015-05-01-10-00-00"}));
    launch();
    auto kept = plat::readFile(zt::DataManager::settingsFilePath() + ".damaged");
    ASSERT_TRUE(kept.ok());
    EXPECT_EQ(std::string(kept.value().begin(), kept.value().end()), cut);
    EXPECT_FALSE(zt::DataManager::sharedDataManager().isGridEnabled());
    EXPECT_EQ(storedSettings()->getBool("_isGridEnabled"), false) << "the new file holds the defaults";
}

// Settings that cannot be opened may hold everything the person set: they
// are kept aside, never written over, and the person hears that the
// defaults apply.
TEST_F(Startup, SettingsThatCannotBeOpenedAreKeptAsideAndThePersonIsTold)
{
    writeSettings(plat::Dictionary {{"version", 4.0}, {"passCode", "2468"}});
    {
        plat::test::UnreadableFile locked(zt::DataManager::settingsFilePath());
        ASSERT_TRUE(locked.applied());
        launch();
    }
    EXPECT_EQ(waitForAlert(),
        "Settings Reset\nThe settings could not be read: the file cannot be opened (permission denied). The defaults "
        "apply; the unreadable file is kept as “.settings.plist.damaged”.");
    EXPECT_EQ(plat::dictionaryWithContentsOfFile(zt::DataManager::settingsFilePath() + ".damaged")
                  .value_or(plat::Dictionary())
                  .getString("passCode"),
        "2468");
}

// Damaged preferences bring the welcome back; once it has closed, the person hears why.
TEST_F(Startup, DamagedPreferencesAreKeptAsideAndToldAfterTheWelcome)
{
    const std::string preferences = sandbox.sandbox().preferencesDirectory() + "/com.quorvane.zantrope.plist";
    ASSERT_TRUE(plat::writeFileAtomically(preferences, std::string_view("bplist00 damaged")).ok());
    // Read again, as at the start of a new run.
    plat::Sandbox::setCurrent(std::make_shared<plat::Sandbox>(sandbox.root()));
    launch();
    settle();
    ASSERT_TRUE(driver.tap("Get Started"));
    const std::string message = waitForAlert();
    EXPECT_TRUE(message.starts_with("Settings Reset\nThe app's preferences could not be read: ")
        && message.ends_with(
            " The defaults apply; the unreadable file is kept as “com.quorvane.zantrope.plist.damaged”."))
        << message;
    EXPECT_EQ(
        plat::readFile(preferences + ".damaged").valueOr(plat::Data()).size(), std::string("bplist00 damaged").size());
}

TEST_F(Startup, ADamagedListIsKeptAsideAndMadeAgainWithTheSampleWhenItsFolderIsThere)
{
    writeSettings(plat::Dictionary {{"version", 4.0}});
    ASSERT_TRUE(plat::createDirectory(caches(kIntroduction), plat::IntermediateDirectories::Yes).ok());
    makeProject(".plovix-2015-05-01-10-00-00", 2);
    ASSERT_TRUE(plat::writeFileAtomically(zt::ProjectsList::path(), std::string("<plist><dict>")).ok());
    launch();
    EXPECT_EQ(listed(), (std::vector<std::string> {".plovix-2015-05-01-10-00-00", kIntroduction}))
        << "nothing could be read: newest first, and the sample, listed at the first start, last";
    EXPECT_TRUE(plat::fileExists(zt::ProjectsList::path() + ".damaged"));
}

TEST_F(Startup, ADamagedListKeepsTheOrderOfWhatCanStillBeRead)
{
    writeSettings(plat::Dictionary {{"version", 4.0}});
    ASSERT_TRUE(plat::createDirectory(caches(kIntroduction), plat::IntermediateDirectories::Yes).ok());
    // A person's order: not by date, the sample last.
    const std::vector<std::string> order {".plovix-2015-05-01-10-00-00", ".plovix-2015-05-03-10-00-00",
        ".plovix-2015-05-02-10-00-00", ".plovix-2015-05-02-10-00-00-2", kIntroduction};
    for (size_t i = 0; i + 1 < order.size(); ++i)
        makeProject(order[i], 1);
    makeProject(".plovix-2015-05-02-10-00-00-10", 1);  // made since, then the list was cut
    ASSERT_TRUE(zt::ProjectsList::replace(order));
    auto whole = plat::readFile(zt::ProjectsList::path()).value();
    std::string text(whole.begin(), whole.end());
    // Cut inside the fourth name: three are readable.
    text.resize(text.find(order[3]) + 10);
    ASSERT_TRUE(plat::writeFileAtomically(zt::ProjectsList::path(), std::string_view(text)).ok());
    launch();
    EXPECT_EQ(listed(),
        (std::vector<std::string> {
            order[0], order[1], order[2], ".plovix-2015-05-02-10-00-00-10", order[3], kIntroduction}))
        << "what was read keeps its place; the rest follows newest first (\"-10\" came after \"-2\"), then the sample";
}

TEST_F(Startup, AResetRequestDeletesTheSettingsButKeepsTheParentalControls)
{
    writeSettings(plat::Dictionary {
        {"version", 4.0}, {"passCode", "2468"}, {"isYoutubeGalleryEnabled", false}, {"_isGridEnabled", true}});
    defaults().setBool(true, "isResetSettings");
    launch();
    auto& settings = zt::DataManager::sharedDataManager();
    EXPECT_FALSE(settings.isGridEnabled()) << "defaults apply";
    EXPECT_EQ(settings.passCode(), "2468");
    EXPECT_FALSE(settings.isYoutubeGalleryEnabled());
    EXPECT_EQ(settings.version(), 4.0) << "the reset counts as a first start";
    EXPECT_FALSE(defaults().boolForKey("isResetSettings"));
    EXPECT_EQ(defaults().objectForKey("isResetSettings").type(), plat::Value::Type::Boolean) << "stored as NO";
}

TEST_F(Startup, AfterACrashTheSettingsAreResetKeepingTheParentalControlsAndNoRatingPromptStarts)
{
    writeSettings(plat::Dictionary {
        {"version", 4.0}, {"passCode", "1357"}, {"isYoutubeGalleryEnabled", false}, {"_isGUISoundEnabled", false}});
    leaveCrashReport();
    launch();
    auto& settings = zt::DataManager::sharedDataManager();
    EXPECT_TRUE(zt::CrashReportManager::sharedCrashReportManager().didCrashInLastSession());
    EXPECT_TRUE(settings.isGUISoundEnabled()) << "defaults apply";
    EXPECT_EQ(settings.passCode(), "1357");
    EXPECT_FALSE(settings.isYoutubeGalleryEnabled()) << "a crash must not switch the gallery back on";
    EXPECT_TRUE(defaults().objectForKey("kRatePromptUseCount").isNull());
}

TEST_F(Startup, AnOrdinaryStartCountsAUseForTheRatingPrompt)
{
    launch();
    EXPECT_EQ(defaults().integerForKey("kRatePromptUseCount"), 1);
    EXPECT_FALSE(zt::CrashReportManager::sharedCrashReportManager().didCrashInLastSession());
    EXPECT_EQ(zt::CrashReportManager::sharedCrashReportManager().submissionURL(),
        "https://crashreports.quorvane.com/crashreporter3/crash_v300.php");
}

TEST_F(Startup, TheRootContainerAndTheWindowLookAsTheAppWants)
{
    launch();
    auto window = delegate->window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isKeyWindow());
    EXPECT_EQ(window->rootViewController(), root());
    EXPECT_EQ(root()->nibName(), "MainViewController_ios8");
    EXPECT_EQ(window->backgroundColor(), plat::Color::blackColor());
    EXPECT_EQ(window->tintColor(), plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1));
    EXPECT_TRUE(window->layer()->masksToBounds());
    EXPECT_EQ(window->layer()->cornerRadius(), 5.0);
}

TEST_F(Startup, OlderSystemsGetTheRootLayoutOfTheirDevice)
{
    plat::Device::setCurrentDevice(plat::Device(plat::UserInterfaceIdiom::Phone, "7.1"));
    launch();
    EXPECT_EQ(root()->nibName(), "MainViewController");
    plat::Application::sharedApplication().resetForTesting();
    plat::Device::setCurrentDevice(plat::Device(plat::UserInterfaceIdiom::Pad, "7.1"));
    launch();
    EXPECT_EQ(root()->nibName(), "MainViewController_iPad");
}

TEST_F(Startup, TheLifecycleEventsSaveTheSettings)
{
    launch();
    auto& settings = zt::DataManager::sharedDataManager();
    settings.setIsGridEnabled(true);
    app.resignActive();
    EXPECT_EQ(storedSettings()->getBool("_isGridEnabled"), true);
    settings.setIsGridEnabled(false);
    app.becomeActive();
    app.enterBackground();
    EXPECT_EQ(storedSettings()->getBool("_isGridEnabled"), false);
    settings.setOverlaySetting(0.25f);
    app.enterForeground();
    app.terminate();
    EXPECT_EQ(storedSettings()->getDouble("_overlaySetting"), 0.25);
}

TEST_F(Startup, TheInboxArchivesAreImportedAndListedFirst)
{
    writeSettings(plat::Dictionary {{"version", 4.0}});
    ASSERT_TRUE(plat::createDirectory(caches(kIntroduction), plat::IntermediateDirectories::Yes).ok());
    ASSERT_TRUE(zt::ProjectsList::replace({kIntroduction}));
    ASSERT_TRUE(plat::createDirectory(documents("Import"), plat::IntermediateDirectories::Yes).ok());
    makeArchive(documents("Import/Holiday.zantropemobile"), ".plovix-2015-01-01-00-00-00", 3);
    std::ofstream(documents("Import/notes.txt")) << "not an archive";
    watch("PROJECTIMPORTPROCESSOR_DID_IMPORT_PROJECT");
    launch();
    ASSERT_TRUE(waitForMessage("Project successfully imported."));
    EXPECT_EQ(posts("PROJECTIMPORTPROCESSOR_DID_IMPORT_PROJECT"), 1);
    EXPECT_FALSE(plat::fileExists(documents("Import/Holiday.zantropemobile"))) << "an imported archive goes";
    EXPECT_TRUE(plat::fileExists(documents("Import/notes.txt")));
    driver.wait(2.9);
    EXPECT_NE(driver.findView("Project successfully imported."), nullptr) << "the message stays for 3.0 s";
    ASSERT_EQ(listed().size(), 2u);
    EXPECT_EQ(listed()[1], kIntroduction) << "the imported project comes first";
    ASSERT_EQ(explorer()->projects().size(), 3u);
    EXPECT_EQ(explorer()->projects()[1]->getMetaData()->getString("RecordName"), ".plovix-2015-01-01-00-00-00");
    EXPECT_EQ(explorer()->projects()[1]->getFrameList().count(), 4);
    driver.wait(0.4);  // then goes, as alerts go, in 0.2 s
    EXPECT_EQ(driver.findView("Project successfully imported."), nullptr);
}

TEST_F(Startup, AnInboxArchiveThatFailsIsNamedWithTheReasonAndKeptOutOfTheNextStartsWay)
{
    ASSERT_TRUE(plat::createDirectory(documents("Import"), plat::IntermediateDirectories::Yes).ok());
    std::ofstream(documents("Import/Broken.zantropemobile")) << "PK but not really a zip";
    watch("PROJECTIMPORTPROCESSOR_DID_IMPORT_PROJECT");
    launch();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return shownAlert() && shownAlert()->message() != "Import."; }, 30));
    const std::string message = shownAlert()->message();
    EXPECT_TRUE(message.starts_with("The project could not be imported.\n“Broken.zantropemobile”: ")) << message;
    EXPECT_TRUE(message.ends_with("\nThe archive that could not be imported is kept in the folder “Not Imported”."))
        << message;
    EXPECT_EQ(posts("PROJECTIMPORTPROCESSOR_DID_IMPORT_PROJECT"), 0);
    EXPECT_FALSE(plat::fileExists(documents("Import/Broken.zantropemobile")));
    EXPECT_TRUE(plat::fileExists(documents("Not Imported/Broken.zantropemobile"))) << "the person's only copy stays";
    EXPECT_EQ(listed(), std::vector<std::string> {kIntroduction});
    driver.wait(3.5);  // longer than the 3.0 s of a message that goes by itself
    ASSERT_NE(shownAlert(), nullptr) << "a message that names files stays until it is read";
    ASSERT_TRUE(driver.tap("OK"));
    driver.wait(1);
    EXPECT_EQ(shownAlert(), nullptr);

    // The next start does not try it again; one of the same name failing later is kept beside it.
    app.resetForTesting();
    std::ofstream(documents("Import/Broken.zantropemobile")) << "damaged again";
    launch();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return shownAlert() && shownAlert()->message() != "Import."; }, 30));
    EXPECT_TRUE(plat::fileExists(documents("Not Imported/Broken 2.zantropemobile")));
}

TEST_F(Startup, SomeInboxArchivesFailingSaysHowManyWereImportedAndNamesTheOthers)
{
    ASSERT_TRUE(plat::createDirectory(documents("Import"), plat::IntermediateDirectories::Yes).ok());
    makeArchive(documents("Import/a.zantropemobile"), ".plovix-2015-01-01-00-00-00", 1);
    makeArchive(documents("Import/b.zantropemobile"), ".plovix-2015-01-02-00-00-00", 1);
    std::ofstream(documents("Import/c.zantropemobile")) << "damaged";
    // A whole zip, but of a note, not of a project: refused like a damaged one.
    std::ofstream(sandbox.path("note.txt")) << "not a project";
    ASSERT_TRUE(
        zt::QVZipArchive::createZipFileAtPath(documents("Import/d.zantropemobile"), {sandbox.path("note.txt")}));
    launch();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return shownAlert() && shownAlert()->message() != "Import."; }, 30));
    const std::string message = shownAlert()->message();
    EXPECT_TRUE(message.starts_with("2 of 4 projects imported.\n“c.zantropemobile”: ")) << message;
    EXPECT_NE(message.find("\n“d.zantropemobile”: The archive holds no project.\n"), std::string::npos) << message;
    EXPECT_EQ(message.find("a.zantropemobile"), std::string::npos) << message;
    EXPECT_TRUE(plat::fileExists(documents("Not Imported/d.zantropemobile")));
}

TEST_F(Startup, NoneOfSeveralArchivesImportedReadsAsSuch)
{
    ASSERT_TRUE(plat::createDirectory(documents("Import"), plat::IntermediateDirectories::Yes).ok());
    for (const char* name : {"a", "b", "c"})
        std::ofstream(documents("Import/" + std::string(name) + ".zantropemobile")) << "damaged";
    launch();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return shownAlert() && shownAlert()->message() != "Import."; }, 30));
    const std::string message = shownAlert()->message();
    EXPECT_TRUE(message.starts_with("None of the 3 projects could be imported.\n“a.zantropemobile”: ")) << message;
    EXPECT_NE(message.find("\n“c.zantropemobile”: "), std::string::npos) << message;
    EXPECT_TRUE(message.ends_with("The 3 archives that could not be imported are kept in the folder “Not Imported”."))
        << message;
    EXPECT_EQ(plat::contentsOfDirectory(documents("Import")).value(), std::vector<std::string> {});
}

// The first start's welcome screen would cover a message shown before it:
// the message comes once the welcome has closed, and eight failures still
// leave it, and its OK button, inside the phone's screen.
TEST_F(Startup, ArchivesFailingAtTheFirstStartAreToldAfterTheWelcomeInAMessageInsideTheScreen)
{
    zt::WelcomeMain::setHasSeen(false);
    ASSERT_TRUE(plat::createDirectory(documents("Import"), plat::IntermediateDirectories::Yes).ok());
    for (int i = 1; i <= 8; ++i)
        std::ofstream(documents("Import/Holiday film number " + std::to_string(i) + ".zantropemobile")) << "damaged";
    launch();
    settle();
    ASSERT_TRUE(plat::test::runMainLoopUntil(
        [&] { return plat::contentsOfDirectory(documents("Not Imported")).valueOr({}).size() == 8; }, 30));
    driver.wait(1);
    ASSERT_NE(driver.findView("Get Started"), nullptr) << "the welcome comes first";
    EXPECT_EQ(shownAlert(), nullptr) << "the message waits for the welcome";

    ASSERT_TRUE(driver.tap("Get Started"));
    const std::string message = waitForAlert();
    EXPECT_TRUE(
        message.starts_with("\nNone of the 8 projects could be imported.\n“Holiday film number 1.zantropemobile”: "))
        << message;
    EXPECT_TRUE(message.ends_with("The 8 archives that could not be imported are kept in the folder “Not Imported”."))
        << message;
    driver.wait(1);  // fully shown
    auto alert = shownAlert();
    ASSERT_NE(alert, nullptr);
    const plat::Rect screen = app.keyWindow()->bounds();
    auto onScreen = [&](const plat::View& view) {
        const plat::Rect shown = view.convertRect(view.bounds(), nullptr);
        return shown.minX() >= screen.minX() && shown.minY() >= screen.minY() && shown.maxX() <= screen.maxX()
            && shown.maxY() <= screen.maxY();
    };
    EXPECT_TRUE(onScreen(*alert)) << "the message lies inside the screen";
    std::shared_ptr<plat::Button> ok;
    for (const auto& view : alert->subviews())
        if (auto button = std::dynamic_pointer_cast<plat::Button>(view); button && button->titleForState(0) == "OK")
            ok = button;
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(onScreen(*ok)) << "OK lies inside the screen";
    ASSERT_TRUE(driver.tap(*ok)) << "and nothing covers it";
    driver.wait(1);
    EXPECT_EQ(shownAlert(), nullptr);
}

TEST_F(Startup, AnInboxWithoutArchivesShowsNoMessage)
{
    ASSERT_TRUE(plat::createDirectory(documents("Import"), plat::IntermediateDirectories::Yes).ok());
    std::ofstream(documents("Import/readme.txt")) << "nothing to import";
    launch();
    settle();
    EXPECT_EQ(driver.findView("Import."), nullptr);
}

TEST_F(Startup, AnOpenedArchiveIsImportedWhateverTheCaseOfItsExtension)
{
    launch();
    settle();
    makeArchive(sandbox.path("Inbox.ZANTROPEMOBILE"), ".plovix-2015-02-02-00-00-00", 2);
    watch("PROJECTIMPORTPROCESSOR_DID_IMPORT_PROJECT");
    EXPECT_TRUE(app.openURLFromApplication(
        plat::URL::fileURLWithPath(sandbox.path("Inbox.ZANTROPEMOBILE")), "com.example.mail", plat::Value()));
    ASSERT_TRUE(waitForMessage("Project successfully imported."));
    EXPECT_EQ(posts("PROJECTIMPORTPROCESSOR_DID_IMPORT_PROJECT"), 1);
    driver.wait(1);
    EXPECT_EQ(explorer()->projects().size(), 3u) << "the explorer shows it";
}

TEST_F(Startup, ArchivesAndSoundsOpenedFromAnotherAppsFolderAreImportedAndThatAppKeepsItsFiles)
{
    launch();
    settle();
    plat::test::TemporaryFolder otherApp;
    const std::string archive = otherApp.path("Shared.zantropemobile");
    makeArchive(archive, ".plovix-2015-02-02-00-00-00", 2);
    ASSERT_TRUE(plat::writeFileAtomically(otherApp.path("theme.mp3"), plat::test::shortSound()).ok());

    EXPECT_TRUE(app.openURLFromApplication(plat::URL::fileURLWithPath(archive), "com.example.mail", plat::Value()));
    ASSERT_TRUE(waitForMessage("Project successfully imported."));
    EXPECT_EQ(listed().size(), 2u);
    EXPECT_TRUE(plat::fileExists(archive));
    driver.wait(5);

    EXPECT_TRUE(app.openURLFromApplication(plat::URL::fileURLWithPath(otherApp.path("theme.mp3")), "", plat::Value()));
    driver.wait(0);
    EXPECT_NE(driver.findView("Audio file imported."), nullptr);
    EXPECT_TRUE(plat::fileExists(zt::AudioController::sharedAudioInboxPath() + "/theme.mp3"));
    EXPECT_TRUE(plat::fileExists(otherApp.path("theme.mp3")));
}

TEST_F(Startup, AnOpenedArchiveThatFailsLeavesTheListAlone)
{
    launch();
    settle();
    std::ofstream(sandbox.path("bad.zantropemobile")) << "not a zip";
    EXPECT_TRUE(
        app.openURLFromApplication(plat::URL::fileURLWithPath(sandbox.path("bad.zantropemobile")), "", plat::Value()));
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return shownAlert() && shownAlert()->message() != "Import."; }, 30));
    const std::string message = shownAlert()->message();
    EXPECT_TRUE(message.starts_with("The project could not be imported.\n“bad.zantropemobile”: ")) << message;
    EXPECT_EQ(listed(), std::vector<std::string> {kIntroduction});
}

TEST_F(Startup, AnOpenedSoundGoesToTheAudioInboxAndTheMessageSaysWhatHappened)
{
    launch();
    settle();
    ASSERT_TRUE(plat::writeFileAtomically(sandbox.path("theme.mp3"), plat::test::shortSound()).ok());
    EXPECT_TRUE(app.openURLFromApplication(plat::URL::fileURLWithPath(sandbox.path("theme.mp3")), "", plat::Value()));
    driver.wait(0.5);  // it comes in; a touch meanwhile goes past it
    EXPECT_NE(driver.findView("Audio file imported."), nullptr);
    EXPECT_TRUE(plat::fileExists(zt::AudioController::sharedAudioInboxPath() + "/theme.mp3"));
    ASSERT_TRUE(driver.tap("OK"));
    driver.wait(1);

    // Another sound of the same name is kept beside the first.
    ASSERT_TRUE(plat::writeFileAtomically(sandbox.path("theme.mp3"), plat::test::shortSound()).ok());
    EXPECT_TRUE(app.openURLFromApplication(plat::URL::fileURLWithPath(sandbox.path("theme.mp3")), "", plat::Value()));
    driver.wait(0.5);  // it comes in; a touch meanwhile goes past it
    EXPECT_NE(driver.findView("Audio file imported."), nullptr);
    EXPECT_TRUE(plat::fileExists(zt::AudioController::sharedAudioInboxPath() + "/theme-2.mp3"));
    ASSERT_TRUE(driver.tap("OK"));
    driver.wait(1);

    // A file that is gone by the time it is opened cannot be imported.
    EXPECT_TRUE(app.openURLFromApplication(plat::URL::fileURLWithPath(sandbox.path("gone.mp3")), "", plat::Value()));
    const std::string message = waitForAlert();
    EXPECT_TRUE(message.starts_with("\nThe audio file could not be imported.\n“gone.mp3”: ")) << message;
}

// A file another app hands over that is not taken is refused with the
// reason, and the system's copy of it goes out of the inbox into "Not
// Imported", as the start-up does with archives; the other app keeps its own.
TEST_F(Startup, AHandedOverFileThatIsNotTakenIsRefusedWithTheReasonAndKeptInNotImported)
{
    struct Case {
        const char* name;
        bool audioInboxBlocked;  // a file where the sound's folder should be
        const char* messageStart;
        const char* messageEnd;
        bool isMovieWithSound;
    };
    const Case cases[] = {
        {"Broken.zantropemobile", false, "The project could not be imported.\n“Broken.zantropemobile”: ",
            "\nThe archive that could not be imported is kept in the folder “Not Imported”.", false},
        {"notes.txt", false,
            "The file could not be imported.\n“notes.txt”: Only projects and sound files can be imported.",
            "\nThe file is kept in the folder “Not Imported”.", false},
        {"clip.mov", false,
            "The file could not be imported.\n“clip.mov”: Only projects and sound files can be imported.",
            "\nThe file is kept in the folder “Not Imported”.", true},
        {"theme.mp3", true, "The audio file could not be imported.\n“theme.mp3”: ",
            "\nThe file is kept in the folder “Not Imported”.", false},
    };
    launch();
    settle();
    plat::test::TemporaryFolder otherApp;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.audioInboxBlocked) {
            ASSERT_TRUE(plat::removeItemIfExists(zt::AudioController::sharedAudioInboxPath()).ok());
            std::ofstream(zt::AudioController::sharedAudioInboxPath()) << "in the way";
        }
        if (c.isMovieWithSound) {
            ASSERT_EQ(plat::test::runFFmpeg(otherApp.path(),
                          {"-f", "lavfi", "-i", "testsrc=size=160x90:duration=1", "-f", "lavfi", "-i",
                              "sine=duration=1", c.name})
                          .exitCode,
                0);
        } else {
            std::ofstream(otherApp.path(c.name)) << "not what its name says";
        }
        app.openURLFromApplication(
            plat::URL::fileURLWithPath(otherApp.path(c.name)), "com.example.mail", plat::Value());
        const std::string message
            = waitForAlert([](const plat::AlertView& alert) { return alert.message() != "Import."; });
        EXPECT_TRUE(message.starts_with(std::string("\n") + c.messageStart) && message.ends_with(c.messageEnd))
            << message;
        EXPECT_TRUE(plat::contentsOfDirectory(documents("Inbox")).value().empty()
            && plat::fileExists(documents("Not Imported/" + std::string(c.name)))
            && plat::fileExists(otherApp.path(c.name)));
        driver.wait(0.5);  // it has come in
        ASSERT_TRUE(driver.tap("OK"));
        driver.wait(1);
    }
}

TEST_F(Startup, ADropboxLinkAnswerIsCompletedAndAnnounced)
{
    launch();
    auto session = zt::DBSession::sharedSession();
    std::string nonce = session->beginLinking();
    watch("DropboxLoginNotification");
    auto answer = plat::URL::URLWithString(
        "db-qz7rk2mvn4x8wte://1/connect?oauth_token=t&oauth_token_secret=s&uid=77&state=" + nonce);
    EXPECT_TRUE(app.openURLFromApplication(*answer, "com.getdropbox.Dropbox", plat::Value()));
    EXPECT_EQ(posts("DropboxLoginNotification"), 1);
    EXPECT_EQ(lastUserInfo.getBool("DropboxLoginNotification"), true);
    session->unlinkAll();
}

TEST_F(Startup, AnyOtherURLIsRefusedAndAnnouncesNothing)
{
    launch();
    watch("DropboxLoginNotification");
    watch("PROJECTIMPORTPROCESSOR_DID_IMPORT_PROJECT");
    EXPECT_FALSE(
        app.openURLFromApplication(*plat::URL::URLWithString("https://example.com/page.html"), "", plat::Value()));
    EXPECT_FALSE(app.openURLFromApplication(plat::URL::fileURLWithPath(sandbox.path("notes.txt")), "", plat::Value()));
    EXPECT_EQ(posts("DropboxLoginNotification"), 0);
    EXPECT_EQ(posts("PROJECTIMPORTPROCESSOR_DID_IMPORT_PROJECT"), 0);
}

TEST_F(Startup, AURLInTheLaunchOptionsIsOpenedAtLaunch)
{
    makeArchive(sandbox.path("Launch.zantropemobile"), ".plovix-2015-03-03-00-00-00", 1);
    launch(plat::Dictionary {{plat::ApplicationLaunchOptionsURLKey,
        plat::URL::fileURLWithPath(sandbox.path("Launch.zantropemobile")).absoluteString()}});
    ASSERT_TRUE(waitForMessage("Project successfully imported."));
    auto names = listed();
    ASSERT_EQ(names.size(), 2u) << "listed once, however start-up and the import met";
    EXPECT_NE(names[0], names[1]);
}

namespace {

// Messages that meet at start-up, on a phone and on a tablet.
class MessagesInTurn : public AppScreens, public ::testing::WithParamInterface<plat::UserInterfaceIdiom> {
protected:
    MessagesInTurn()
        : AppScreens(GetParam())
    {
    }

    // The first line of each alert as it comes, each answered with its
    // first button; alerts on screen together are noted as such.
    std::vector<std::string> answerAlertsInTurn()
    {
        constexpr int kMostAlerts = 4;
        std::vector<std::string> seen;
        for (int turn = 0; turn < kMostAlerts; ++turn) {
            driver.wait(1);
            const auto alerts = shownAlerts();
            if (alerts.empty())
                break;
            if (alerts.size() > 1)
                seen.push_back(std::to_string(alerts.size()) + " at once");
            const auto& front = alerts.back();
            const std::string& text = front->title().empty() ? front->message() : front->title();
            seen.push_back(text.substr(0, text.find('\n')));
            if (!driver.tap(front->buttonTitleAtIndex(0)))
                break;
        }
        return seen;
    }
};

}  // namespace

// A warning at start-up, or the message of a sound opened from another app,
// meets the report of an archive that failed: each shows alone, in turn.
TEST_P(MessagesInTurn, AWarningOrASoundsMessageShowsAfterAnImportFailureNotOverIt)
{
    struct Case {
        const char* other;
        bool lowStorage;
        bool soundOpened;
    };
    const Case cases[] = {{"Storage Nearly Full", true, false}, {"Audio file imported.", false, true}};
    plat::test::TemporaryFolder otherApp;
    size_t setAside = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.other);
        std::optional<plat::test::LimitedFreeSpace> lowStorage;
        if (c.lowStorage)
            lowStorage.emplace(1 << 20);
        ASSERT_TRUE(plat::createDirectory(documents("Import"), plat::IntermediateDirectories::Yes).ok());
        std::ofstream(documents("Import/Broken.zantropemobile")) << "not a zip";
        launch();
        settle();
        if (c.soundOpened) {
            ASSERT_TRUE(plat::writeFileAtomically(otherApp.path("theme.mp3"), plat::test::shortSound()).ok());
            app.openURLFromApplication(plat::URL::fileURLWithPath(otherApp.path("theme.mp3")), "", plat::Value());
        }
        ASSERT_TRUE(plat::test::runMainLoopUntil(
            [&] { return plat::contentsOfDirectory(documents("Not Imported")).valueOr({}).size() > setAside; }, 30));
        ++setAside;
        EXPECT_EQ(answerAlertsInTurn(), (std::vector<std::string> {"The project could not be imported.", c.other}));
        app.resetForTesting();
        resetShared();
    }
}

// A timed message that had to wait, for the welcome of the first start or
// behind another alert, stays its whole 3 s once shown, then leaves.
TEST_P(MessagesInTurn, ATimedMessageThatWaitedLeavesThreeSecondsAfterItShows)
{
    const std::string imported = "Project successfully imported.";
    for (const bool behindAnotherAlert : {false, true}) {
        SCOPED_TRACE(behindAnotherAlert ? "behind another alert" : "after the welcome");
        zt::WelcomeMain::setHasSeen(behindAnotherAlert);
        plat::test::TemporaryFolder otherApp;
        const std::string archive = behindAnotherAlert ? documents("Inbox/Shared.zantropemobile")
                                                       : documents("Import/Holiday.zantropemobile");
        if (behindAnotherAlert) {
            launch();
            settle();
            ASSERT_TRUE(plat::writeFileAtomically(otherApp.path("theme.mp3"), plat::test::shortSound()).ok());
            app.openURLFromApplication(plat::URL::fileURLWithPath(otherApp.path("theme.mp3")), "", plat::Value());
            makeArchive(otherApp.path("Shared.zantropemobile"), ".plovix-2015-02-02-00-00-00", 2);
            app.openURLFromApplication(
                plat::URL::fileURLWithPath(otherApp.path("Shared.zantropemobile")), "", plat::Value());
        } else {
            ASSERT_TRUE(plat::createDirectory(documents("Import"), plat::IntermediateDirectories::Yes).ok());
            makeArchive(archive, ".plovix-2015-01-01-00-00-00", 2);
            launch();
            settle();
        }
        ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return !plat::fileExists(archive); }, 30)) << "imported";
        driver.wait(5);  // longer than a message's 3 s
        ASSERT_EQ(driver.findView(imported), nullptr) << "the message waits its turn";
        ASSERT_TRUE(driver.tap(behindAnotherAlert ? "OK" : "Get Started"));
        ASSERT_TRUE(plat::test::advanceClockUntil(
            clock.clock(), 0.1, [&] { return driver.findView(imported) != nullptr; }, 20));
        driver.wait(2.8);
        EXPECT_NE(driver.findView(imported), nullptr) << "shown for its 3 s";
        driver.wait(0.6);  // 3 s, then 0.2 s of going
        EXPECT_EQ(driver.findView(imported), nullptr) << "and gone";
        app.resetForTesting();
        resetShared();
    }
}

// Settings and preferences both damaged at the first start: once the
// welcome has closed, each is told in turn, by name and without a path, and
// a name a line cannot hold breaks between its parts.
TEST_P(MessagesInTurn, DamagedSettingsAndPreferencesAreEachToldAfterTheWelcome)
{
    ASSERT_TRUE(
        plat::writeFileAtomically(zt::DataManager::settingsFilePath(), std::string_view("<plist><dict><key>v")).ok());
    const std::string preferences = sandbox.sandbox().preferencesDirectory() + "/com.quorvane.zantrope.plist";
    ASSERT_TRUE(plat::writeFileAtomically(preferences, std::string_view("bplist00 damaged")).ok());
    plat::Sandbox::setCurrent(std::make_shared<plat::Sandbox>(sandbox.root()));  // read again, as at a new run
    launch();
    settle();
    ASSERT_TRUE(driver.tap("Get Started"));
    EXPECT_EQ(waitForAlert(),
        "Settings Reset\nThe settings could not be read: the file is damaged. The defaults apply; the unreadable file "
        "is kept as “.settings.plist.damaged”.");
    driver.wait(1);
    ASSERT_TRUE(driver.tap("OK"));
    EXPECT_EQ(waitForAlert([](const plat::AlertView& alert) {
        return alert.message().find("preferences") != std::string::npos;
    }),
        "Settings Reset\nThe app's preferences could not be read: the file is damaged. The defaults apply; the "
        "unreadable file is kept as “com.quorvane.zantrope.plist.damaged”.");
    driver.wait(1);
    auto picture = plat::renderViewToImage(*shownAlert(), 2);
    ASSERT_NE(picture, nullptr);
    plat::test::TemporaryFolder output;
    const std::string name = GetParam() == plat::UserInterfaceIdiom::Pad ? "tablet" : "phone";
    auto comparison = plat::test::compareWithReferencePicture(
        *picture, plat::test::sourcePath("tests/data/app/preferences_reset_" + name + ".png"), output.path());
    EXPECT_TRUE(comparison.matches) << comparison.explanation;
}

// The first start on a nearly full disk (a 20 MiB tmpfs): the storage
// warning comes once the welcome has closed, in front and answerable, and the
// message of an archive handed over meanwhile follows it. A start that asks
// for the passcode puts the welcome off to a later entry: the warning does
// not wait for it.
TEST_P(MessagesInTurn, TheFirstStartsStorageWarningComesAfterTheWelcomeAndLetsLaterMessagesFollow)
{
    const auto run = plat::test::runInOwnMountNamespace();
    if (run == plat::test::MountNamespaceRun::NotPermitted)
        GTEST_SKIP() << "unshare -rm is not permitted here, so no small disk can be mounted without root";
    if (run == plat::test::MountNamespaceRun::Elsewhere)
        return;
    plat::test::SmallDisk disk(documents(), "20m");
    ASSERT_TRUE(disk.ok()) << disk.error();
    plat::test::TemporaryFolder otherApp;
    makeArchive(otherApp.path("Shared.zantropemobile"), ".plovix-2015-02-02-00-00-00", 2);
    for (const bool passcodeAsked : {false, true}) {
        SCOPED_TRACE(passcodeAsked ? "the passcode asked for" : "the welcome shown");
        zt::WelcomeMain::setHasSeen(false);
        if (passcodeAsked)
            plat::UserDefaults::standardUserDefaults().setBool(false, "isYoutubeGalleryEnabled");
        launch();
        settle();
        if (!passcodeAsked) {
            EXPECT_EQ(shownAlert(), nullptr) << "none under the welcome";
            ASSERT_TRUE(driver.tap("Get Started"));
            driver.wait(1);
        }
        app.openURLFromApplication(
            plat::URL::fileURLWithPath(otherApp.path("Shared.zantropemobile")), "", plat::Value());
        EXPECT_EQ(waitForAlert(),
            "Storage Nearly Full\nThere is almost no space left on this device. You cannot record new media until "
            "you free some space.");
        ASSERT_TRUE(driver.tap("Dismiss"));
        EXPECT_TRUE(waitForAlert([](const plat::AlertView& alert) {
            return alert.title().empty() && alert.message() != "Import.";
        }).starts_with("\nThe project could not be imported.\n“Shared.zantropemobile”: Not enough free space"));
        app.resetForTesting();
        resetShared();
    }
}

// A message of the start (damaged settings, an archive of the inbox) stays in
// front of the passcode screen that the explorer presents after it.
TEST_P(MessagesInTurn, AStartMessageStaysInFrontOfThePasscodeScreen)
{
    const std::pair<std::string, std::string> cases[]
        = {{"Settings Reset\nThe settings could not be read", ".settings.plist"},
            {"\nThe project could not be imported.", "Import/Broken.zantropemobile"}};
    for (const auto& [message, damaged] : cases) {
        SCOPED_TRACE(damaged);
        plat::UserDefaults::standardUserDefaults().setBool(false, "isYoutubeGalleryEnabled");
        ASSERT_TRUE(plat::createDirectory(documents("Import"), plat::IntermediateDirectories::Yes).ok());
        ASSERT_TRUE(plat::writeFileAtomically(documents(damaged), std::string_view("<plist><dict><key>v")).ok());
        launch();
        settle();
        EXPECT_TRUE(waitForAlert([](const plat::AlertView& alert) {
            return alert.message() != "Import.";
        }).starts_with(message));
        ASSERT_TRUE(driver.tap("OK"));
        driver.wait(1);
        EXPECT_NE(driver.findView("Enter a Restriction Passcode"), nullptr);
        app.resetForTesting();
        resetShared();
    }
}

// The first start asks for the passcode, which puts the welcome off: the
// start's messages (an archive refused, one imported) show once the passcode
// is done, and on a nearly full disk after the warning that came before it.
// So again at the next start that asks for it, the welcome still put off.
TEST_P(MessagesInTurn, TheStartsMessagesShowOnceThePasscodeThatPutTheWelcomeOffIsDone)
{
    const auto run = plat::test::runInOwnMountNamespace();
    if (run == plat::test::MountNamespaceRun::Elsewhere)
        return;
    const std::vector<std::string> told[] = {{"1 of 2 projects imported."}, {"1 of 2 projects imported."},
        {"Storage Nearly Full", "None of the 2 projects could be imported."}};
    for (const int start : {0, 1, 2}) {  // the first and the next; the first on a nearly full disk
        const bool nearlyFull = start == 2;
        if (nearlyFull && run == plat::test::MountNamespaceRun::NotPermitted)
            GTEST_SKIP() << "unshare -rm is not permitted here, so no small disk can be mounted without root";
        std::optional<plat::test::SmallDisk> disk;
        if (nearlyFull) {
            ASSERT_TRUE(disk.emplace(documents(), "20m").ok()) << disk->error();
        }
        if (start != 1)
            zt::WelcomeMain::setHasSeen(false);
        plat::UserDefaults::standardUserDefaults().setBool(false, "isYoutubeGalleryEnabled");
        for (const char* folder : {"Import", "Inbox"})
            ASSERT_TRUE(plat::createDirectory(documents(folder), plat::IntermediateDirectories::Yes).ok());
        std::ofstream(documents("Import/Broken.zantropemobile")) << "not a zip";
        makeArchive(documents("Inbox/Good.zantropemobile"), ".plovix-2015-02-02-00-00-00", 2);
        launch();
        settle();
        ASSERT_TRUE(plat::test::runMainLoopUntil(
            [&] {
                auto empty = [&](const char* folder) {
                    return plat::contentsOfDirectory(documents(folder)).valueOr({}).empty();
                };
                return empty("Import") && empty("Inbox") && (!shownAlert() || shownAlert()->message() != "Import.");
            },
            30))
            << "both archives taken";
        auto seen = answerAlertsInTurn();  // in front of the passcode
        ASSERT_TRUE(driver.tap("Done"));
        for (std::string& after : answerAlertsInTurn())
            seen.push_back(std::move(after));
        EXPECT_EQ(seen, told[start]) << "start " << start;
        app.resetForTesting();
        resetShared();
    }
}

INSTANTIATE_TEST_SUITE_P(Idioms, MessagesInTurn, plat::test::bothIdioms(), plat::test::idiomName);

TEST(AppBundle, TheStringTableHoldsTheTextsOfTheScreens)
{
    auto path = plat::Bundle::mainBundle().pathForResource("Localizable", "strings", "en.lproj");
    ASSERT_TRUE(path);
    auto bytes = plat::readFile(*path);
    ASSERT_TRUE(bytes.ok());
    auto table = plat::parseStringsFile(
        std::string_view(reinterpret_cast<const char*>(bytes.value().data()), bytes.value().size()));
    ASSERT_TRUE(table.ok()) << table.error().localizedDescription();
    for (const char* text : {"Import.", "Project successfully imported.", "Tap + to start a new project",
             "Do you really want to delete your project? This cannot be undone!", "Audio file imported.",
             "The audio file could not be imported.", "Remind me later", "The project could not be renamed.",
             "The project could not be duplicated.", "The project could not be deleted.",
             "The frame could not be added.", "None of the %d projects could be imported.", "Project Repaired",
             "The file could not be imported.", "Only projects and sound files can be imported.",
             "The file is kept in the folder “Not Imported”.", "The gallery has no movies to show."})
        EXPECT_EQ(table.value().count(text), 1u) << text;
}

TEST(AppBundle, TheItunesIdentifierIsInThePropertyListNamedAfterTheBundle)
{
    auto& bundle = plat::Bundle::mainBundle();
    auto path = bundle.pathForResource(bundle.bundleIdentifier(), "plist");
    ASSERT_TRUE(path);
    EXPECT_EQ(plat::dictionaryWithContentsOfFile(*path)->getInt64("itunes_id"), 964321587);
}
