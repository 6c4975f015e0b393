// Capture here, hold, copy, delete with undo, and the export to the photo album.
#include <filesystem>
#include <functional>

#include "document/AudioClip.h"
#include "document/FramePasteboardRecord.h"
#include "editor/DuplicateFramesView.h"
#include "editor/StripTestSupport.h"
#include "platform/graphics/Image.h"
#include "platform/library/PhotoLibrary.h"
#include "platform/ui/Slider.h"
#include "platform/ui/TypeIdentifiers.h"
#include "platform/ui/UndoManager.h"
#include "support/FailingWrites.h"
#include "uikit/BubblePopoverController.h"

namespace {

using zt::test::StripTest;

class FrameOperations : public StripTest {
protected:
    std::optional<zt::FramePasteboardRecord> copied() const
    {
        auto data
            = plat::Pasteboard::generalPasteboard()->dataForPasteboardType(zt::FramePasteboardRecord::kPasteboardType);
        if (!data)
            return std::nullopt;
        auto record = zt::FramePasteboardRecord::fromArchivedData(*data);
        EXPECT_TRUE(record.ok());
        return record.ok() ? std::optional(record.value()) : std::nullopt;
    }
    static std::vector<std::string> ids(const zt::FramePasteboardRecord& record)
    {
        std::vector<std::string> all;
        for (const auto& frame : record.frames)
            all.push_back(frame.frameID());
        return all;
    }
    using StripTest::ids;
    bool hasFiles(const std::string& frameID) const { return plat::fileExists(file("frame-" + frameID + ".jpg")); }
    bool needsRendering() const { return project->getMetaData()->getBool("RecordNeedsRendering").value_or(false); }
    void clearNeedsRendering()
    {
        project->getMetaData()->set("RecordNeedsRendering", false);
        ASSERT_TRUE(project->saveMetaDataToDisk().ok());
    }
    std::string counter() const { return strip->outlets().labelFrameNumber->text(); }
    std::shared_ptr<zt::DuplicateFramesView> holdPanel() const
    {
        auto popover = strip->popoverController();
        return popover ? std::dynamic_pointer_cast<zt::DuplicateFramesView>(popover->contentViewController()) : nullptr;
    }
    std::vector<std::string> stashes() const
    {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(sandbox.path("tmp"))) {
            if (entry.path().filename().string().starts_with("deleted-frames-"))
                found.push_back(entry.path().string());
        }
        return found;
    }
};

TEST_F(FrameOperations, CaptureHereMovesThePlaceholderBeforeALaterFrameAndBehindAnEarlierOne)
{
    showStrip(makeProject({"A", "B", "C"}));
    tapItem(1);
    choose("Capture");
    EXPECT_EQ(ids(), (std::vector<std::string> {"A", zt::kCapturePlaceholderFrameID, "B", "C"}));
    EXPECT_EQ(storedIDs(), ids());
    EXPECT_EQ(editor->timelineUpdates, 1);
    driver.wait(0.5);
    EXPECT_EQ(carousel().numberOfItems(), 4);
    tapItem(3);
    choose("Capture");
    EXPECT_EQ(ids(), (std::vector<std::string> {"A", "B", "C", zt::kCapturePlaceholderFrameID}))
        << "a placeholder from before the tapped frame lands behind it";
}

TEST_F(FrameOperations, HoldOpensThePanelAtTheFramesCountAndItsButtonApplies)
{
    showStrip(makeProject({"A", "B", "B", "C"}));
    clearNeedsRendering();
    tapItem(2);
    choose("Hold");
    auto panel = holdPanel();
    ASSERT_NE(panel, nullptr) << "the menu's bubble now shows the hold panel";
    EXPECT_EQ(panel->startValue(), 2);
    EXPECT_EQ(panel->outlets().sliderTimer->value(), 2);
    EXPECT_NE(driver.findView("Hold 2 times"), nullptr);
    panel->outlets().sliderTimer->setValue(4.7);
    panel->actionSliderValueChanged(*panel->outlets().sliderTimer);
    ASSERT_TRUE(driver.tap("Hold 4 times"));
    driver.wait(0.5);
    EXPECT_EQ(ids(), (std::vector<std::string> {"A", "B", "B", "B", "B", "C", zt::kCapturePlaceholderFrameID}));
    EXPECT_EQ(storedIDs(), ids());
    EXPECT_TRUE(needsRendering());
    EXPECT_EQ(strip->popoverController(), nullptr);
    EXPECT_EQ(carousel().numberOfItems(), 7);
}

TEST_F(FrameOperations, ClosingTheHoldPanelByATouchBesideItAppliesTheCount)
{
    showStrip(makeProject({"A", "B", "C"}));
    tapItem(0);
    choose("Hold");
    auto panel = holdPanel();
    ASSERT_NE(panel, nullptr);
    panel->actionPlus(*panel->outlets().sliderTimer);
    panel->actionPlus(*panel->outlets().sliderTimer);
    driver.tapAt({560, 310});
    driver.wait(1);
    EXPECT_EQ(ids(), (std::vector<std::string> {"A", "A", "A", "B", "C", zt::kCapturePlaceholderFrameID}));
}

TEST_F(FrameOperations, AHoldOfItsOwnCountChangesAndSavesNothing)
{
    showStrip(makeProject({"A", "B", "B"}));
    clearNeedsRendering();
    const auto before = plat::readFile(file("frames.meta"));
    ASSERT_TRUE(before.ok());
    tapItem(1);
    strip->holdSelectedForTimes(2);
    EXPECT_FALSE(needsRendering());
    EXPECT_EQ(plat::readFile(file("frames.meta")).value(), before.value());
    strip->holdSelectedForTimes(1);
    EXPECT_EQ(ids(), (std::vector<std::string> {"A", "B", zt::kCapturePlaceholderFrameID}));
    EXPECT_TRUE(hasFiles("B")) << "the hold's last entry keeps the pictures";
}

TEST_F(FrameOperations, AHoldLongerThanTheSliderReachesSurvivesOpeningAndClosingThePanel)
{
    std::vector<std::string> frames(40, "A");
    showStrip(makeProject(frames));
    tapItem(0);
    choose("Hold");
    ASSERT_NE(holdPanel(), nullptr);
    EXPECT_EQ(holdPanel()->chosenTimes(), 40);
    driver.tapAt({560, 310});
    driver.wait(1);
    EXPECT_EQ(project->getFrameList().count(), 41);
}

TEST_F(FrameOperations, AudioClipsKeepInStepWithHoldsDeletesAndPastes)
{
    // At 5 frames per second a 0.6 s clip sounds at three frames: "first"
    // at A, B, B, "second" at C, D, E.
    const std::string sound = tone("pop.wav", 0.6);
    struct Clip {
        int64_t startFrame;
        double seconds;  // 0: the clip is gone
    };
    struct Case {
        std::string edit;
        std::function<void()> run;
        Clip first, second;
    };
    const Case cases[] = {
        {"hold B four times",
            [&] {
                tapItem(1);
                strip->holdSelectedForTimes(4);
            },
            {0, 0.6}, {5, 0.6}},
        // Cut to the two frames up to the next clip's start.
        {"hold B once",
            [&] {
                tapItem(1);
                strip->holdSelectedForTimes(1);
            },
            {0, 0.4}, {2, 0.6}},
        {"delete one B",
            [&] {
                tapItem(2);
                choose("Delete");
            },
            {0, 0.4}, {2, 0.6}},
        {"delete C",
            [&] {
                tapItem(3);
                choose("Delete");
            },
            {0, 0.6}, {0, 0}},
        {"paste D before B",
            [&] {
                goTo(4);
                tapItem(4);
                choose("Copy");
                goTo(1);
                tapItem(1);
                choose("Paste");
                waitForPaste(9);
            },
            {0, 0.6}, {4, 0.6}},
    };
    for (const Case& c : cases) {
        showStrip(makeProject({"A", "B", "B", "C", "D", "E", "F"}));
        audio->addAudioFromFile(sound, 0, std::string("first"), zt::AudioClip::SoundEffect);
        audio->addAudioFromFile(sound, 3, std::string("second"), zt::AudioClip::SoundEffect);
        c.run();
        for (const auto& [name, expected] : {std::pair {"first", c.first}, std::pair {"second", c.second}}) {
            std::shared_ptr<zt::AudioClip> found;
            for (const auto& track : audio->audioTracks())
                for (const auto& clip : track)
                    if (clip->name() == name)
                        found = clip;
            if (expected.seconds == 0) {
                EXPECT_EQ(found, nullptr) << c.edit << ": " << name;
                continue;
            }
            ASSERT_NE(found, nullptr) << c.edit << ": " << name;
            EXPECT_EQ(found->startFrameIndex(), expected.startFrame) << c.edit << ": " << name;
            EXPECT_NEAR(found->duration().seconds(), expected.seconds, 1e-3) << c.edit << ": " << name;
        }
        closeStrip();
    }
}

TEST_F(FrameOperations, CopyWithoutASelectionPutsTheTappedFrameAndItsPicture)
{
    showStrip(makeProject({"A", "B", "C"}));
    tapItem(1);
    choose("Copy");
    auto record = copied();
    ASSERT_TRUE(record);
    EXPECT_EQ(ids(*record), (std::vector<std::string> {"B"}));
    EXPECT_EQ(record->location, *project->getProjectPath());
    auto jpeg = plat::Pasteboard::generalPasteboard()->dataForPasteboardType(plat::kUTTypeJPEG);
    ASSERT_TRUE(jpeg);
    auto decoded = plat::Image::imageWithData(*jpeg);
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(decoded->size(), (plat::Size {64, 36})) << "the full picture";
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*decoded, 30, 18), zt::test::colourFor("B")), 12);
}

TEST_F(FrameOperations, CopyTakesTheSelectionEvenWhenTheTappedFrameLiesOutsideIt)
{
    showStrip(makeProject({"A", "B", "B", "C", "D"}));
    tapItem(1);
    choose("Select");
    goTo(3);
    tapItem(4);
    choose("Copy");
    auto record = copied();
    ASSERT_TRUE(record);
    EXPECT_EQ(ids(*record), (std::vector<std::string> {"B", "B", "C"}));
    EXPECT_EQ(strip->selectionStartIndex(), -1) << "a copy clears the selection";
    auto decoded
        = plat::Image::imageWithData(*plat::Pasteboard::generalPasteboard()->dataForPasteboardType(plat::kUTTypeJPEG));
    ASSERT_NE(decoded, nullptr);
    EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*decoded, 30, 18), zt::test::colourFor("D")), 12)
        << "the picture is the tapped frame's";
}

TEST_F(FrameOperations, CopyingOnlyThePlaceholderPutsNoFrames)
{
    showStrip(makeProject({"A", "B"}));
    goTo(2);
    // The placeholder's menu offers no Select: a selection can only start there by code.
    strip->showThumbMenuForFrame(2, *item(2));
    strip->selectSelected();
    tapItem(1);
    choose("Copy");
    auto record = copied();
    ASSERT_TRUE(record);
    EXPECT_TRUE(record->frames.empty());
    EXPECT_TRUE(plat::Pasteboard::generalPasteboard()->dataForPasteboardType(plat::kUTTypeJPEG));
}

TEST_F(FrameOperations, CopyTakesTheListsLastEntryWhenItIsAPicture)
{
    showStrip(makeProject({"A", "B"}));
    tapItem(0);
    choose("Capture");
    ASSERT_EQ(ids().back(), "B");
    tapItem(2);
    choose("Copy");
    auto record = copied();
    ASSERT_TRUE(record);
    EXPECT_EQ(ids(*record), (std::vector<std::string> {"B"}));
}

TEST_F(FrameOperations, DeleteRemovesTheRangeButThePlaceholderAndTheirFiles)
{
    showStrip(makeProject({"A", "B", "C"}));
    tapItem(0);
    choose("Capture");
    ASSERT_EQ(ids(), (std::vector<std::string> {zt::kCapturePlaceholderFrameID, "A", "B", "C"}));
    tapItem(2);
    choose("Select");
    goTo(0);
    tapItem(3);
    choose("Delete");  // the tapped frame lies outside the range
    EXPECT_EQ(ids(), (std::vector<std::string> {zt::kCapturePlaceholderFrameID, "C"}));
    EXPECT_EQ(storedIDs(), ids());
    EXPECT_FALSE(hasFiles("A"));
    EXPECT_FALSE(plat::fileExists(file("thumb-B.jpg")));
    EXPECT_TRUE(hasFiles("C"));
    EXPECT_EQ(counter(), "1 / 2");
}

TEST_F(FrameOperations, DeletingOneEntryOfAHoldKeepsThePicturesTheLastOneTakesThem)
{
    showStrip(makeProject({"A", "A", "B"}));
    tapItem(1);
    choose("Delete");
    EXPECT_EQ(ids(), (std::vector<std::string> {"A", "B", zt::kCapturePlaceholderFrameID}));
    EXPECT_TRUE(hasFiles("A"));
    tapItem(0);
    choose("Delete");
    EXPECT_FALSE(hasFiles("A"));
}

TEST_F(FrameOperations, CopiedFramesKeepTheirFilesWhenDeletedSoTheyCanStillBePasted)
{
    showStrip(makeProject({"A", "B"}));
    tapItem(0);
    choose("Copy");
    tapItem(0);
    choose("Delete");
    EXPECT_EQ(ids(), (std::vector<std::string> {"B", zt::kCapturePlaceholderFrameID}));
    EXPECT_TRUE(hasFiles("A")) << "this project's pasteboard record lists it";
    tapItem(0);
    choose("Delete");
    EXPECT_FALSE(hasFiles("B"));
}

TEST_F(FrameOperations, DeletingUpToThePlaceholderTellsTheCaptureScreen)
{
    showStrip(makeProject({"A", "B"}));
    zt::test::PostedNotifications posted({zt::kFramesDeletedNotification});
    goTo(1);
    tapItem(1);
    choose("Delete");
    driver.wait(1);
    EXPECT_EQ(strip->getCurrentFrame(), 1);
    EXPECT_EQ(posted.names(), (std::vector<std::string> {zt::kFramesDeletedNotification}));
}

TEST_F(FrameOperations, UndoBringsDeletedFramesAndTheirFilesBackAndRedoDeletesThemAgain)
{
    showStrip(makeProject({"A", "B", "B", "C", "D"}));
    tapItem(1);
    choose("Select");
    goTo(3);
    tapItem(3);
    choose("Delete");
    ASSERT_EQ(ids(), (std::vector<std::string> {"A", "D", zt::kCapturePlaceholderFrameID}));
    ASSERT_FALSE(hasFiles("B"));
    ASSERT_EQ(stashes().size(), 1u) << "the deleted files wait for an undo";
    auto undo = window->undoManager();
    ASSERT_TRUE(undo->canUndo());
    EXPECT_EQ(undo->undoActionName(), "Delete Frame(s)");

    undo->undo();
    driver.wait(0.5);
    EXPECT_EQ(ids(), (std::vector<std::string> {"A", "B", "B", "C", "D", zt::kCapturePlaceholderFrameID}));
    EXPECT_EQ(storedIDs(), ids());
    EXPECT_TRUE(hasFiles("B"));
    EXPECT_TRUE(hasFiles("C"));
    EXPECT_EQ(carousel().numberOfItems(), 6);
    EXPECT_TRUE(stashes().empty());
    ASSERT_TRUE(undo->canRedo());
    EXPECT_EQ(undo->redoActionName(), "Delete Frame(s)");

    undo->redo();
    driver.wait(0.5);
    EXPECT_EQ(ids(), (std::vector<std::string> {"A", "D", zt::kCapturePlaceholderFrameID}));
    EXPECT_FALSE(hasFiles("C"));
    undo->undo();
    driver.wait(0.5);
    EXPECT_EQ(ids(), (std::vector<std::string> {"A", "B", "B", "C", "D", zt::kCapturePlaceholderFrameID}));
    EXPECT_TRUE(hasFiles("C"));
}

TEST_F(FrameOperations, TheFilesKeptForUndoGoWithTheStrip)
{
    showStrip(makeProject({"A", "B"}));
    tapItem(0);
    choose("Delete");
    ASSERT_EQ(stashes().size(), 1u);
    strip->viewWillClose();
    strip->removeFromParentViewController();
    strip->view()->removeFromSuperview();
    strip.reset();
    EXPECT_TRUE(stashes().empty());
    EXPECT_FALSE(window->undoManager()->canUndo());
}

TEST_F(FrameOperations, TheExportSavesEachPictureOnceAndSaysSoWhenDone)
{
    showStrip(makeProject({"A", "B", "B"}));
    zt::test::PostedNotifications posted({zt::kShowHUDNotification, zt::kShowActivityNotification});
    tapItem(0);
    choose("Select");
    goTo(3);
    tapItem(3);
    strip->exportSelected();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return !posted.posted.empty(); }));
    auto saved = plat::PhotoLibrary::forCurrentSandbox().assetsInAlbum(plat::PhotoLibrary::kSavedPhotosAlbumName);
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(saved.value().size(), 2u) << "A and B, the placeholder left out";
    EXPECT_EQ(posted.names(), (std::vector<std::string> {zt::kShowHUDNotification}));
    EXPECT_EQ(posted.posted[0].userInfo.getString(zt::kInfoKey), "Image copied to photo roll.");
}

TEST_F(FrameOperations, AnExportThatCannotWriteSaysSoInsteadOfReportingSuccess)
{
    showStrip(makeProject({"A", "B", "C", "D", "E", "F"}));
    zt::test::PostedNotifications posted({zt::kShowHUDNotification, zt::kShowActivityNotification,
        zt::kHideActivityNotification, zt::kShowErrorNotification});
    // The library's folder is a file: no album can be made.
    ASSERT_TRUE(plat::writeFileAtomically(plat::PhotoLibrary::forCurrentSandbox().root(), std::string("x")).ok());
    tapItem(0);
    choose("Select");
    goTo(5);
    tapItem(5);
    strip->exportSelected();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return posted.posted.size() >= 3; }));
    EXPECT_EQ(posted.names(),
        (std::vector<std::string> {
            zt::kShowActivityNotification, zt::kHideActivityNotification, zt::kShowErrorNotification}));
    EXPECT_EQ(posted.posted[0].userInfo.getString(zt::kInfoKey), "Copy Image to Photo Roll");
    EXPECT_EQ(posted.posted[0].userInfo.getDouble(zt::kHideAfterKey), 5);
    auto errors = posted.errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].localizedDescription(), "6 of 6 pictures could not be saved to the photo roll.");
    EXPECT_NE(errors[0].underlyingError(), nullptr);
}

TEST_F(FrameOperations, ADeleteThatCannotBeSavedKeepsTheFramesAndTheirFilesAndSaysSo)
{
    showStrip(makeProject({"A", "B"}));
    zt::test::PostedNotifications posted({zt::kShowErrorNotification});
    tapItem(0);
    {
        plat::test::FailingWrites failing("frames.meta", plat::detail::WriteFailurePoint::BeforeRename);
        choose("Delete");
    }
    EXPECT_EQ(ids(), (std::vector<std::string> {"A", "B", zt::kCapturePlaceholderFrameID}));
    EXPECT_TRUE(hasFiles("A"));
    EXPECT_EQ(carousel().numberOfItems(), 3);
    ASSERT_EQ(posted.errors().size(), 1u);
    EXPECT_EQ(posted.errors()[0].localizedDescription(), "The change could not be saved.");
    EXPECT_FALSE(window->undoManager()->canUndo()) << "nothing to undo";
    EXPECT_TRUE(stashes().empty());
}

TEST_F(FrameOperations, AHoldThatCannotBeSavedIsTakenBack)
{
    showStrip(makeProject({"A", "B"}));
    zt::test::PostedNotifications posted({zt::kShowErrorNotification});
    tapItem(0);
    {
        plat::test::FailingWrites failing("frames.meta", plat::detail::WriteFailurePoint::BeforeWriting);
        strip->holdSelectedForTimes(3);
    }
    EXPECT_EQ(ids(), (std::vector<std::string> {"A", "B", zt::kCapturePlaceholderFrameID}));
    EXPECT_EQ(posted.errors().size(), 1u);
    EXPECT_EQ(editor->timelineUpdates, 0);
}

}  // namespace
