#include "app/AppScreensTestSupport.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/graphics/Image.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/TextField.h"
#include "platform/ui/TouchSynthesizer.h"
#include "platform/ui/testing/PictureComparison.h"
#include "render/MovieRenderer.h"
#include "render/RenderProgressViewController.h"
#include "share/ShareNotifications.h"
#include "support/Idioms.h"
#include "support/UnreadableFile.h"
#include "uikit/TransparentToolbar.h"
#include "uikit/VerticallyAlignedLabel.h"

namespace {

using zt::test::AppScreens;

const std::string kIntroduction = ".plovix-introduction";
const std::string kFirst = ".plovix-2015-05-01-10-00-00";
const std::string kSecond = ".plovix-2015-05-02-10-00-00";

class Explorer : public AppScreens {
protected:
    explicit Explorer(plat::UserInterfaceIdiom idiom = plat::UserInterfaceIdiom::Phone)
        : AppScreens(idiom)
    {
    }
    // A device that has started before: settings of the current data
    // version, the given folders listed in that order.
    void prepareDevice(const std::vector<std::string>& listedNames, std::optional<int64_t> lastSelection = {})
    {
        plat::Dictionary settings {{"version", 4.0}};
        if (lastSelection)
            settings.set("lastSelection", *lastSelection);
        ASSERT_TRUE(
            plat::writePropertyListFile(settings, zt::DataManager::settingsFilePath(), plat::PropertyListFormat::XML)
                .ok());
        ASSERT_TRUE(zt::ProjectsList::replace(listedNames));
    }
    void start()
    {
        launch();
        settle();
    }
    const zt::ProjectExplorer::Outlets& outlets() const { return explorer()->outlets(); }
    std::string details() const { return outlets().labelDate->text(); }
    // The frontmost button with the title (a sheet's or an alert's).
    bool tapButton(const std::string& title)
    {
        bool tapped = driver.tap(title);
        driver.wait(1);
        return tapped;
    }
    void select(int64_t index)
    {
        carousel().scrollToItemAtIndex(index, /*animated=*/true);
        driver.wait(1);
    }
    // A project whose frame list lost its second half; every frame has its
    // picture, as the app stores them.
    void makeCutProject(const std::string& folder, int pictures, const std::string& recordName)
    {
        auto project = makeProject(folder, pictures, plat::Dictionary {{"RecordName", recordName}});
        for (const zt::Frame& frame : project->getFrameList()) {
            if (frame.type() == zt::FrameTypePicture) {
                ASSERT_TRUE(
                    project->updateRegularFileWithContents(plat::Data {1}, "frame-" + frame.frameID() + ".jpg"));
            }
        }
        const std::string listPath = documents(folder) + "/frames.meta";
        auto whole = plat::readFile(listPath).value();
        ASSERT_TRUE(plat::writeFileAtomically(
            listPath, plat::Data(whole.begin(), whole.begin() + static_cast<long>(whole.size() / 2)))
                        .ok());
    }
    // Starts with the project "Locked" selected, its frame list without
    // permissions, then with a folder in its place, and tries what the
    // person does with the reason the system gives; the list stays as it was.
    void forEachUnreadableFrameList(const std::function<void(const std::string& reason)>& tryIt)
    {
        enum class Fault { NoPermission, FolderInItsPlace };
        for (Fault fault : {Fault::NoPermission, Fault::FolderInItsPlace}) {
            SCOPED_TRACE(fault == Fault::NoPermission ? "no permission" : "a folder in its place");
            makeProject(kFirst, 3, plat::Dictionary {{"RecordName", "Locked"}});
            const std::string listPath = documents(kFirst) + "/frames.meta";
            const auto stored = plat::readFile(listPath).value();
            if (fault == Fault::FolderInItsPlace) {
                ASSERT_TRUE(plat::removeItem(listPath).ok());
                ASSERT_TRUE(plat::createDirectory(listPath, plat::IntermediateDirectories::No).ok());
            }
            prepareDevice({kFirst}, 1);
            {
                std::optional<plat::test::UnreadableFile> locked;
                if (fault == Fault::NoPermission) {
                    ASSERT_TRUE(locked.emplace(listPath).applied());
                }
                start();
                tryIt(fault == Fault::NoPermission ? "Permission denied." : "Is a directory.");
                app.terminate();
            }
            if (fault == Fault::NoPermission) {
                EXPECT_EQ(plat::readFile(listPath).value(), stored) << "never saved over";
            }
            app.resetForTesting();
            resetShared();
            ASSERT_TRUE(plat::removeItem(documents(kFirst)).ok());
        }
    }
};

}  // namespace

TEST_F(Explorer, AStoredSelectionBeyondTheItemsStartsAtTheNewProjectSlotWithAnimation)
{
    makeProject(kFirst, 1);
    makeProject(kSecond, 1);
    prepareDevice({kFirst, kSecond}, 7);
    start();
    EXPECT_EQ(carousel().currentItemIndex(), 0);
    EXPECT_EQ(zt::DataManager::sharedDataManager().lastSelection(), 0);
    EXPECT_NE(explorer()->selectedCarouselView(), nullptr) << "the animated scroll ended by enlarging the item";
    EXPECT_FALSE(outlets().labelNewProjectInfo->isHidden());
}

TEST_F(Explorer, AStoredSelectionWithinTheItemsStartsThereWithoutAnimation)
{
    makeProject(kFirst, 1);
    makeProject(kSecond, 1);
    prepareDevice({kFirst, kSecond}, 2);
    launch();
    EXPECT_EQ(carousel().scrollOffset(), 2.0) << "there at once";
    settle();
    EXPECT_EQ(carousel().currentItemIndex(), 2);
    EXPECT_EQ(explorer()->selectedProject()->getProjectPath(), documents(kSecond));
    EXPECT_TRUE(outlets().labelNewProjectInfo->isHidden());
    EXPECT_TRUE(outlets().trashBtn->isEnabled());
}

TEST_F(Explorer, TheDetailsCountPicturesAndPlayingTime)
{
    makeProject(kFirst, 10, plat::Dictionary {{"RecordName", "Rocket"}});
    prepareDevice({kFirst}, 1);
    start();
    EXPECT_EQ(outlets().textFieldName->text(), "Rocket");
    const std::string text = details();
    EXPECT_EQ(text.rfind("Today - 00:02 (10 Frames) - ", 0), 0u) << text;
    EXPECT_EQ(text.substr(text.size() - 3), " KB") << text;
    EXPECT_EQ(outlets().viewProjectDetails->alpha(), 1.0);
}

TEST_F(Explorer, OnePictureIsOneFrameAndNoneIsNotMentioned)
{
    makeProject(kFirst, 1);
    makeProject(kSecond, 0);
    prepareDevice({kFirst, kSecond}, 1);
    start();
    EXPECT_NE(details().find(" (1 Frame) - "), std::string::npos) << details();
    EXPECT_EQ(outlets().textFieldName->text(), "My Plovix Movie");
    select(2);
    EXPECT_EQ(details().rfind("Today - 00:00 - ", 0), 0u) << details();
    EXPECT_EQ(details().find("Frame"), std::string::npos);
}

TEST_F(Explorer, TheLastChangeIsShownWhenAProjectHasOneElseItsCreation)
{
    const double yesterday = plat::test::ManualClockScope::kStartDate.timeIntervalSince1970() - 24 * 60 * 60;
    makeProject(kFirst, 1, plat::Dictionary {{"RecordDateCreated", yesterday}});
    makeProject(kSecond, 1,
        plat::Dictionary {{"RecordDateCreated", yesterday - 86400}, {"RecordLastChange", yesterday + 86400}});
    prepareDevice({kFirst, kSecond}, 1);
    start();
    EXPECT_EQ(details().rfind("Yesterday - ", 0), 0u) << details();
    select(2);
    EXPECT_EQ(details().rfind("Today - ", 0), 0u) << details();
}

TEST_F(Explorer, DeletingABigProjectAsksFirst)
{
    makeProject(kFirst, 4);  // five entries with the placeholder
    makeProject(kSecond, 1);
    prepareDevice({kFirst, kSecond}, 1);
    start();
    ASSERT_TRUE(tapButton("Delete"));  // the toolbar's
    ASSERT_TRUE(tapButton("Delete"));  // the sheet's
    EXPECT_NE(driver.findView("Do you really want to delete your project? This cannot be undone!"), nullptr);
    EXPECT_TRUE(plat::fileExists(documents(kFirst)));
    ASSERT_TRUE(driver.tap("Delete"));  // the alert's
    driver.wait(0.1);
    EXPECT_TRUE(plat::fileExists(documents(kFirst))) << "a quarter second later";
    driver.wait(1);
    EXPECT_FALSE(plat::fileExists(documents(kFirst)));
    EXPECT_EQ(listed(), std::vector<std::string> {kSecond});
    EXPECT_EQ(explorer()->projects().size(), 2u);
}

TEST_F(Explorer, SayingNoKeepsTheProject)
{
    makeProject(kFirst, 4);
    prepareDevice({kFirst}, 1);
    start();
    tapButton("Delete");
    tapButton("Delete");
    ASSERT_TRUE(tapButton("No"));
    EXPECT_TRUE(plat::fileExists(documents(kFirst)));
    EXPECT_EQ(listed(), std::vector<std::string> {kFirst});
}

TEST_F(Explorer, DeletingTheOnlySmallProjectLeavesTheNewProjectSlot)
{
    makeProject(kFirst, 3);  // four entries: no question
    prepareDevice({kFirst}, 1);
    start();
    tapButton("Delete");
    ASSERT_TRUE(tapButton("Delete"));
    EXPECT_EQ(driver.findView("Warning"), nullptr);
    EXPECT_FALSE(plat::fileExists(documents(kFirst)));
    EXPECT_EQ(listed(), std::vector<std::string> {});
    EXPECT_EQ(carousel().numberOfItems(), 1);
    EXPECT_EQ(carousel().currentItemIndex(), 0);
    EXPECT_FALSE(explorer()->selectedProject()->getProjectPath());
    EXPECT_FALSE(outlets().labelNewProjectInfo->isHidden());
    EXPECT_EQ(outlets().labelNewProjectInfo->text(), "Tap + to start a new project");
    for (const auto& button :
        {outlets().playBtn, outlets().trashBtn, outlets().addBtn, outlets().editorBtn, outlets().shareBtn})
        EXPECT_FALSE(button->isEnabled());
}

TEST_F(Explorer, CancellingTheSheetDeletesNothing)
{
    makeProject(kFirst, 1);
    prepareDevice({kFirst}, 1);
    start();
    tapButton("Delete");
    ASSERT_TRUE(tapButton("Cancel"));
    EXPECT_TRUE(plat::fileExists(documents(kFirst)));
}

TEST_F(Explorer, DuplicatingTheSampleCopiesItIntoDocumentsBeforeItsSource)
{
    launch();  // a first start: the sample only
    settle();
    select(1);
    ASSERT_TRUE(driver.tap("Duplicate"));
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return explorer()->projects().size() == 3; }));
    driver.wait(1);
    auto names = listed();
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[1], kIntroduction) << "the sample keeps its entry";
    EXPECT_TRUE(names[0].starts_with(".plovix-2015-"));
    EXPECT_TRUE(plat::fileExists(documents(names[0]) + "/plovix.meta"));
    EXPECT_TRUE(plat::fileExists(caches(kIntroduction) + "/plovix.meta"));
    EXPECT_EQ(explorer()->projects()[2]->getProjectPath(), caches(kIntroduction)) << "the source moved right";
    EXPECT_EQ(carousel().currentItemIndex(), 1);
    EXPECT_EQ(explorer()->selectedProject()->getMetaData()->getString("RecordName"), "Bouncing Ball");
    EXPECT_EQ(driver.findView("Duplicate")->window(), delegate->window()) << "the display went";
}

TEST_F(Explorer, TheDuplicateShareTargetCopiesTheSelectedProject)
{
    makeProject(kFirst, 2);
    prepareDevice({kFirst}, 1);
    start();
    plat::NotificationCenter::defaultCenter().post(zt::DoDuplicateProjectNotification);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return explorer()->projects().size() == 3; }));
    driver.wait(1);  // the display fades away
    EXPECT_EQ(listed().size(), 2u);
    EXPECT_EQ(listed()[1], kFirst);
}

TEST_F(Explorer, ListEntriesAddedMeanwhileSurviveTheExplorersChanges)
{
    makeProject(kFirst, 1);
    makeProject(kSecond, 1);
    prepareDevice({kFirst, kSecond}, 2);
    start();
    // An import lists a project while the explorer shows the old list.
    ASSERT_TRUE(zt::ProjectsList::insertProjectName(".plovix-2015-06-01-00-00-00"));
    tapButton("Delete");
    tapButton("Delete");
    EXPECT_EQ(listed(), (std::vector<std::string> {".plovix-2015-06-01-00-00-00", kFirst}));
}

TEST_F(Explorer, TheNameIsRenamedInPlace)
{
    makeProject(kFirst, 1, plat::Dictionary {{"RecordName", "Old"}});
    prepareDevice({kFirst}, 1);
    start();
    ASSERT_TRUE(driver.tap(*outlets().textFieldName));
    for (int i = 0; i < 3; ++i)
        driver.type("\b");
    ASSERT_TRUE(driver.type("Rocket Ride\n"));
    driver.wait(0);
    EXPECT_FALSE(outlets().textFieldName->isEditing());
    auto stored = plat::dictionaryWithContentsOfFile(documents(kFirst) + "/plovix.meta");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->getString("RecordName"), "Rocket Ride");
}

TEST_F(Explorer, AnOldProjectIsRefusedAndTheCarouselStaysUsable)
{
    makeProject(kFirst, 1, plat::Dictionary {{"ProductVersion", 3.0}});
    prepareDevice({kFirst}, 1);
    start();
    driver.tapAt({284, 119});  // the centred item
    driver.wait(1);
    EXPECT_NE(driver.findView("This project cannot be read by this version of the app."), nullptr);
    EXPECT_TRUE(carousel().isUserInteractionEnabled());
    EXPECT_EQ(root()->viewFrameEditor(), nullptr);
}

TEST_F(Explorer, ATapOnAnotherItemScrollsItToTheMiddleInsteadOfOpeningIt)
{
    makeProject(kFirst, 1);
    prepareDevice({kFirst}, 0);
    start();
    driver.tapAt({284 + 262, 119});
    driver.wait(1);
    EXPECT_EQ(carousel().currentItemIndex(), 1);
    EXPECT_EQ(root()->viewFrameEditor(), nullptr);
}

TEST_F(Explorer, AnImportedProjectShowsAtIndexOne)
{
    makeProject(kFirst, 1);
    prepareDevice({kFirst}, 1);
    start();
    makeProject(kSecond, 1);
    ASSERT_TRUE(zt::ProjectsList::insertProjectName(kSecond));
    plat::NotificationCenter::defaultCenter().post("PROJECTIMPORTPROCESSOR_DID_IMPORT_PROJECT");
    ASSERT_EQ(explorer()->projects().size(), 3u);
    EXPECT_EQ(explorer()->projects()[1]->getProjectPath(), documents(kSecond));
}

TEST_F(Explorer, ItemsShowThumbnailsInAFrameAndTheSlotItsPlus)
{
    launch();
    settle();
    auto slot = carousel().itemViewAtIndex(0);
    auto sample = carousel().itemViewAtIndex(1);
    ASSERT_NE(slot, nullptr);
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(sample->bounds().size, (plat::Size {212, 120}));
    EXPECT_TRUE(slot->viewWithTag(zt::ProjectExplorer::kForegroundTag)->isHidden());
    EXPECT_FALSE(sample->viewWithTag(zt::ProjectExplorer::kForegroundTag)->isHidden());
    auto thumbnail
        = std::dynamic_pointer_cast<plat::ImageView>(sample->viewWithTag(zt::ProjectExplorer::kThumbnailTag));
    ASSERT_NE(thumbnail, nullptr);
    EXPECT_EQ(thumbnail->contentMode(), plat::ContentMode::ScaleAspectFill);
    EXPECT_EQ(thumbnail->image()->size(), (plat::Size {796, 448})) << "the sample's preview picture";
    EXPECT_EQ(explorer()->carouselItemWidth(carousel()), 262.0);
    EXPECT_EQ(explorer()->carouselMaximumScale(), 1.2);
}

TEST_F(Explorer, TheToolbarIsTransparentAndTheStatusBarHidden)
{
    start();
    EXPECT_TRUE(outlets().toolBar->isTransparent());
    EXPECT_TRUE(app.isStatusBarHidden());
    EXPECT_NE(outlets().btnInfo->image(), nullptr);
}

TEST_F(Explorer, ANameBeingTypedWhenAnImportMovesTheSelectionGoesToTheProjectItWasTypedFor)
{
    makeProject(kFirst, 1, plat::Dictionary {{"RecordName", "First"}});
    prepareDevice({kFirst}, 1);
    start();
    ASSERT_TRUE(driver.tap(*outlets().textFieldName));
    for (int i = 0; i < 5; ++i)
        driver.type("\b");
    ASSERT_TRUE(driver.type("Rocket"));
    // An import lists a project at the front meanwhile: the item under the selection is now another.
    makeProject(kSecond, 1, plat::Dictionary {{"RecordName", "Second"}});
    ASSERT_TRUE(zt::ProjectsList::insertProjectName(kSecond));
    plat::NotificationCenter::defaultCenter().post("PROJECTIMPORTPROCESSOR_DID_IMPORT_PROJECT");
    driver.type("\n");
    driver.wait(1);
    auto first = plat::dictionaryWithContentsOfFile(documents(kFirst) + "/plovix.meta");
    auto second = plat::dictionaryWithContentsOfFile(documents(kSecond) + "/plovix.meta");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(second->getString("RecordName"), "Second") << "the imported project keeps its name";
    EXPECT_EQ(first->getString("RecordName"), "Rocket");
    EXPECT_EQ(outlets().textFieldName->text(),
        explorer()->selectedProject()->getMetaData()->getString("RecordName").value_or(""))
        << "the field shows the selected project's name";
}

namespace {

// Labels below the view that read the text, shown or not.
int labelsReading(const plat::View& view, const std::string& text)
{
    int found = 0;
    if (const auto* label = dynamic_cast<const plat::Label*>(&view); label && label->text() == text)
        ++found;
    for (const auto& subview : view.subviews())
        found += labelsReading(*subview, text);
    return found;
}

}  // namespace

TEST_F(Explorer, EveryDuplicateInFlightTakesItsDisplayAwayWhenItEnds)
{
    makeProject(kFirst, 2);
    prepareDevice({kFirst}, 1);
    start();
    auto screen = explorer();
    screen->actionDuplicate();
    screen->actionDuplicate();  // a second tap before the first copy is done
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return screen->projects().size() == 4; }));
    driver.wait(1);
    EXPECT_EQ(listed().size(), 3u);
    EXPECT_EQ(labelsReading(*screen->view(), "Duplicate"), 0) << "no display stays up";
}

TEST_F(Explorer, ACopyEndingAfterItsExplorerWentShowsInTheExplorerOnScreen)
{
    makeProject(kFirst, 2);
    prepareDevice({kFirst}, 1);
    start();
    {
        auto screen = explorer();
        screen->actionDuplicate();
        // The project is opened and closed again before the copy is done.
        root()->didFinishProjectExplorer(*screen, screen->selectedProject());
    }
    auto editor = root()->viewFrameEditor();
    ASSERT_NE(editor, nullptr);
    root()->didFinishFrameEditor(*editor);
    editor.reset();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return listed().size() == 2; }));
    driver.wait(1);
    EXPECT_EQ(listed()[1], kFirst);
    ASSERT_EQ(explorer()->projects().size(), 3u) << "the list and the carousel agree";
    EXPECT_EQ(explorer()->projects()[1]->getProjectPath(), documents(listed()[0]));
    EXPECT_EQ(carousel().numberOfItems(), 3);
}

TEST_F(Explorer, ADeleteConfirmedJustBeforeAnImportStillDeletesTheProject)
{
    makeProject(kFirst, 4);
    prepareDevice({kFirst}, 1);
    start();
    tapButton("Delete");
    tapButton("Delete");
    ASSERT_TRUE(driver.tap("Delete"));  // the alert's; the project goes a quarter second later
    makeProject(kSecond, 1);
    ASSERT_TRUE(zt::ProjectsList::insertProjectName(kSecond));
    plat::NotificationCenter::defaultCenter().post("PROJECTIMPORTPROCESSOR_DID_IMPORT_PROJECT");
    driver.wait(1);
    EXPECT_FALSE(plat::fileExists(documents(kFirst)));
    EXPECT_EQ(listed(), std::vector<std::string> {kSecond});
    ASSERT_EQ(explorer()->projects().size(), 2u);
    EXPECT_EQ(explorer()->projects()[1]->getProjectPath(), documents(kSecond));
    EXPECT_EQ(carousel().numberOfItems(), 2);
}

TEST_F(Explorer, AnImportEndingWhileAProjectOpensOpensTheTappedProject)
{
    makeProject(kFirst, 1, plat::Dictionary {{"RecordName", "First"}});
    prepareDevice({kFirst}, 1);
    start();
    driver.tapAt({284, 119});  // the centred item
    makeProject(kSecond, 1, plat::Dictionary {{"RecordName", "Second"}});
    ASSERT_TRUE(zt::ProjectsList::insertProjectName(kSecond));
    plat::NotificationCenter::defaultCenter().post("PROJECTIMPORTPROCESSOR_DID_IMPORT_PROJECT");
    driver.wait(1);
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->project()->getProjectPath(), documents(kFirst));
}

TEST_F(Explorer, AProjectWhoseFrameListWasCutIsRepairedAndThePersonIsTold)
{
    makeCutProject(kFirst, 6, "Cut");
    const std::string listPath = documents(kFirst) + "/frames.meta";
    prepareDevice({kFirst}, 1);
    start();
    EXPECT_EQ(waitForAlert(),
        "Project Repaired\nThe frame list of “Cut” was damaged. 6 frames were recovered; the damaged list is kept in "
        "the project as frames.meta.damaged.");
    EXPECT_EQ(explorer()->selectedProject()->getFrameList().count(), 7);
    EXPECT_NE(details().find("(6 Frames)"), std::string::npos) << details();
    EXPECT_TRUE(plat::fileExists(listPath + ".damaged"));
    EXPECT_EQ(zt::ProjectModel(documents(kFirst)).getFrameList().count(), 7) << "the repair was saved";
    driver.wait(1);
    ASSERT_TRUE(driver.tap("OK"));
    driver.wait(1);
    select(0);
    select(1);
    EXPECT_EQ(shownAlert(), nullptr) << "told once";
}

// A name typed on this device or brought by an archive shows its direction
// marks escaped, so that it cannot turn the rest of the message around.
TEST_F(Explorer, AProjectsNameShowsItsDirectionMarksEscapedInMessages)
{
    makeCutProject(kFirst, 6, "Kite \u202Eetik");
    makeProject(kSecond, 1, plat::Dictionary {{"RecordName", "\u2067Locked\u2069 \u200F"}});
    ASSERT_TRUE(plat::removeItem(documents(kSecond) + "/frames.meta").ok());
    ASSERT_TRUE(plat::createDirectory(documents(kSecond) + "/frames.meta", plat::IntermediateDirectories::No).ok());
    prepareDevice({kFirst, kSecond}, 1);
    start();
    EXPECT_EQ(waitForAlert(),
        "Project Repaired\nThe frame list of “Kite \\u202Eetik” was damaged. 6 frames were recovered; the damaged "
        "list is kept in the project as frames.meta.damaged.");
    driver.wait(1);
    ASSERT_TRUE(driver.tap("OK"));
    driver.wait(1);
    select(2);
    driver.tapAt({284, 119});  // the centred item
    EXPECT_EQ(waitForAlert(),
        "The project could not be opened.\nThe frame list of “\\u2067Locked\\u2069 \\u200F” cannot be read: Is a "
        "directory.");
}

// A frame list that cannot be read would open as an empty project, and be
// saved so: the project does not open, and the person hears which and why.
TEST_F(Explorer, AProjectWhoseFrameListCannotBeReadSaysSoWhenOpenedAndKeepsItsList)
{
    forEachUnreadableFrameList([&](const std::string& reason) {
        driver.tapAt({284, 119});  // the centred item
        EXPECT_EQ(
            waitForAlert(), "The project could not be opened.\nThe frame list of “Locked” cannot be read: " + reason);
        EXPECT_EQ(root()->viewFrameEditor(), nullptr);
    });
}

// Nor is it duplicated: the copy would be a project that cannot be opened.
TEST_F(Explorer, DuplicatingAProjectWhoseFrameListCannotBeReadIsRefusedAndNamesTheList)
{
    forEachUnreadableFrameList([&](const std::string& reason) {
        ASSERT_TRUE(driver.tap("Duplicate"));
        EXPECT_EQ(waitForAlert(),
            "The project could not be duplicated.\nThe frame list of “Locked” cannot be read: " + reason);
        EXPECT_EQ(listed(), std::vector<std::string> {kFirst});
        const auto names = plat::contentsOfDirectory(documents()).value();
        EXPECT_EQ(
            std::count_if(names.begin(), names.end(),
                [](const std::string& name) { return name.starts_with(".plovix-") || name.starts_with(".tmp-"); }),
            1)
            << "nothing copied";
    });
}

// Played, such a project is not prepared either, and the screen names the list.
TEST_F(Explorer, PlayingAProjectWhoseFrameListCannotBeReadNamesTheListOnTheProgressScreen)
{
    makeProject(kFirst, 3, plat::Dictionary {{"RecordName", "Locked"}});
    prepareDevice({kFirst}, 1);
    plat::test::UnreadableFile locked(documents(kFirst) + "/frames.meta");
    ASSERT_TRUE(locked.applied());
    start();
    ASSERT_TRUE(driver.tap("Play"));
    EXPECT_EQ(waitForAlert(), "Render Movie\nThe project needs to be rendered first. This may take a while.");
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Ok"));
    driver.wait(2);
    auto screen = explorer()->renderProgressViewController();
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->infoLabel()->text(),
        "The project could not be prepared because an error occurred. - (The frame list of “Locked” cannot be read: "
        "Permission denied. - [MovieRenderer-238])");
}

TEST_F(Explorer, OnTheNewProjectSlotTheButtonsThatNeedAProjectAreDrawnDimmed)
{
    launch();  // a first start: the sample after the slot
    settle();
    select(0);
    driver.wait(2);
    auto picture = driver.screenshot();
    ASSERT_TRUE(picture);
    plat::test::TemporaryFolder output;
    auto result = plat::test::compareWithReferencePicture(
        *picture, plat::test::sourcePath("tests/data/app/explorer_new_project_slot.png"), output.path());
    EXPECT_TRUE(result.matches) << result.explanation;
}

namespace {

// An archive another app hands over while the person works in the explorer,
// on a phone and on a tablet.
class ExplorerDuringAHandOver : public Explorer, public ::testing::WithParamInterface<plat::UserInterfaceIdiom> {
protected:
    ExplorerDuringAHandOver()
        : Explorer(GetParam())
    {
        useTestCamera();  // the tablet's editor holds the capture screen
        makeProject(kFirst, 1, plat::Dictionary {{"RecordName", "Old"}});
        makeProject(kSecond, 1);
        makeProject(kThird, 1);
        prepareDevice({kFirst, kSecond, kThird}, 1);
        start();
    }
    plat::Point middleOfItem(int64_t index) const
    {
        auto item = carousel().itemViewAtIndex(index);
        return item->convertPoint({item->bounds().midX(), item->bounds().midY()}, nullptr);
    }
    // Hands the archive of a project over and lets the main queue run,
    // without moving the clock, until the explorer has read the list again.
    void handOverAnArchive()
    {
        makeArchive(output.path("Shared.zantropemobile"), ".plovix-2015-06-01-10-00-00", 1);
        ASSERT_TRUE(app.openURLFromApplication(
            plat::URL::fileURLWithPath(output.path("Shared.zantropemobile")), "com.example.mail", plat::Value()));
        ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return explorer()->projects().size() == 5; }));
    }
    // Once the row is at rest: the project in the middle, and the one Play renders.
    void expectCentredAndRendered(const std::string& name)
    {
        driver.wait(4);  // the message goes
        EXPECT_EQ(explorer()->projects().at(static_cast<size_t>(carousel().currentItemIndex()))->getProjectPath(),
            documents(name));
        ASSERT_TRUE(driver.tap("Play"));
        EXPECT_EQ(waitForAlert(), "Render Movie\nThe project needs to be rendered first. This may take a while.");
        driver.wait(0.5);
        ASSERT_TRUE(driver.tap("Ok"));
        driver.wait(1);
        auto renderer = explorer()->movieRenderer();
        ASSERT_TRUE(renderer && renderer->exportURL());
        EXPECT_EQ(plat::lastPathComponent(plat::deletingLastPathComponent(renderer->exportURL()->path())), name);
        ASSERT_TRUE(driver.tap("Cancel"));
        // The render, and the writing of its movie, end on their queues
        // before the test's sandbox goes.
        plat::RunLoop::main().settle();
    }

    const std::string kThird = ".plovix-2015-05-03-10-00-00";
    plat::test::TemporaryFolder output;
};

}  // namespace

TEST_P(ExplorerDuringAHandOver, ANameBeingTypedIsKeptAndStoredWhenTheEditEnds)
{
    ASSERT_TRUE(driver.tap(*outlets().textFieldName));
    ASSERT_TRUE(driver.type("\b\b\bTyped Name"));
    ASSERT_NO_FATAL_FAILURE(handOverAnArchive());
    driver.wait(4);  // the message goes, the details come again
    EXPECT_EQ(outlets().textFieldName->text(), "Typed Name");
    driver.type("\n");
    // Opened and left, the project is saved.
    ASSERT_TRUE(driver.tap(*carousel().currentItemView()));
    driver.wait(2);
    tapNextWhenShown();
    ASSERT_TRUE(driver.tap("Projects"));
    driver.wait(2);
    EXPECT_EQ(
        plat::dictionaryWithContentsOfFile(documents(kFirst) + "/plovix.meta")->getString("RecordName"), "Typed Name");
    app.terminate();
    app.resetForTesting();
    resetShared();
    start();
    EXPECT_EQ(outlets().textFieldName->text(), "Typed Name");
}

TEST_P(ExplorerDuringAHandOver, ATappedItemStillMovingToTheMiddleStaysChosen)
{
    ASSERT_TRUE(driver.tap(*carousel().itemViewAtIndex(2)));
    driver.wait(0.1);
    ASSERT_TRUE(carousel().scrolling());
    ASSERT_NO_FATAL_FAILURE(handOverAnArchive());
    expectCentredAndRendered(kSecond);
}

TEST_P(ExplorerDuringAHandOver, ASwipedRowStillMovingStaysOnTheProjectItMovesTo)
{
    const plat::Point from = middleOfItem(1);
    driver.drag(from, {from.x - 300, from.y}, 0.2);  // a fling two items on
    driver.wait(0.3);
    ASSERT_TRUE(carousel().decelerating());
    ASSERT_NO_FATAL_FAILURE(handOverAnArchive());
    expectCentredAndRendered(kThird);
}

TEST_P(ExplorerDuringAHandOver, ARowHeldByAFingerStaysUnderIt)
{
    const plat::Point from = middleOfItem(1);
    const plat::Point to {from.x - 0.6 * carousel().itemWidth(), from.y};  // past half an item
    plat::TouchSynthesizer touches(app.keyWindow());
    auto finger = touches.touchDown(from);
    for (int step = 1; step <= 10; ++step) {
        driver.wait(1.0 / 60);
        touches.moveTouch(finger, {from.x + (to.x - from.x) * step / 10, from.y});
    }
    ASSERT_NO_FATAL_FAILURE(handOverAnArchive());
    driver.wait(0.5);
    touches.moveTouch(finger, to);
    touches.liftTouch(finger);
    expectCentredAndRendered(kSecond);
}

INSTANTIATE_TEST_SUITE_P(Idioms, ExplorerDuringAHandOver, plat::test::bothIdioms(), plat::test::idiomName);
