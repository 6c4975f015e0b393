// Pasting frames into the same project, another project, a project without
// a folder, after the source is gone, from another run of the app, and
// pasting another app's picture.
#include <cstdlib>
#include <unistd.h>

#include "document/FileUtil.h"
#include "document/FramePasteboardRecord.h"
#include "editor/StripTestSupport.h"
#include "platform/graphics/Image.h"
#include "render/MovieRenderer.h"
#include "support/BoundedChild.h"
#include "support/FailingWrites.h"

namespace {

using zt::test::StripTest;

constexpr const char* kChildSandbox = "ZT_STRIP_TEST_CHILD_SANDBOX";
constexpr const char* kChildProject = "ZT_STRIP_TEST_CHILD_PROJECT";

class Paste : public StripTest {
protected:
    // Copies the frames at these indexes of a project shown for the moment.
    void copyFrom(const std::shared_ptr<zt::ProjectModel>& source, int64_t first, int64_t last)
    {
        showStrip(source);
        if (first != last) {
            tapItem(first);
            choose("Select");
            goTo(last);
        }
        tapItem(last);
        choose("Copy");
        closeStrip();
    }
    bool hasPicture(const std::string& frameID) const { return plat::fileExists(file("frame-" + frameID + ".jpg")); }
    plat::test::Rgba pictureColour(const std::string& frameID) const
    {
        auto image = plat::Image::imageWithContentsOfFile(file("frame-" + frameID + ".jpg"));
        return image ? plat::test::pixelAt(*image, 30, 18) : plat::test::Rgba {};
    }
    bool looksLike(const std::string& frameID, const std::string& sourceID) const
    {
        return plat::test::componentDistance(pictureColour(frameID), zt::test::colourFor(sourceID)) <= 12;
    }
};

TEST_F(Paste, FramesGoBeforeTheTappedFrameInOrderUnderNewIDs)
{
    auto source = makeProject({"A", "B", "C"});
    copyFrom(source, 0, 1);
    showStrip(makeProject({"X", "Y"}));
    tapItem(1);
    choose("Paste");
    waitForPaste(5);
    auto now = ids();
    ASSERT_EQ(now.size(), 5u);
    EXPECT_EQ(now[0], "X");
    EXPECT_EQ(now[3], "Y");
    EXPECT_NE(now[1], "A");
    EXPECT_NE(now[1], now[2]);
    EXPECT_TRUE(looksLike(now[1], "A"));
    EXPECT_TRUE(looksLike(now[2], "B"));
    EXPECT_TRUE(plat::fileExists(file("thumb-" + now[1] + ".jpg")));
    EXPECT_TRUE(plat::fileExists(file("preview-" + now[2] + ".jpg")));
    EXPECT_EQ(storedIDs(), now) << "saved after the last frame";
    EXPECT_TRUE(project->getMetaData()->getBool("RecordNeedsRendering").value_or(false));
    EXPECT_EQ(carousel().numberOfItems(), 5);
    EXPECT_EQ(editor->timelineUpdates, 1);
}

TEST_F(Paste, PasteReverseTurnsTheOrderRound)
{
    copyFrom(makeProject({"A", "B", "C"}), 0, 2);
    showStrip(makeProject({"X"}));
    tapItem(0);
    choose("Paste Reverse");
    waitForPaste(5);
    auto now = ids();
    EXPECT_TRUE(looksLike(now[0], "C"));
    EXPECT_TRUE(looksLike(now[1], "B"));
    EXPECT_TRUE(looksLike(now[2], "A"));
    EXPECT_EQ(now[3], "X");
}

TEST_F(Paste, AHoldStaysAHoldUnderOneNewID)
{
    copyFrom(makeProject({"A", "H", "H", "H"}), 1, 3);
    showStrip(makeProject({"X"}));
    tapItem(1);
    choose("Paste");
    waitForPaste(5);
    auto now = ids();
    EXPECT_EQ(now[1], now[2]);
    EXPECT_EQ(now[2], now[3]);
    EXPECT_NE(now[1], "H");
    EXPECT_EQ(project->getFrameList().getHoldTimeForFrameAtIndex(1), 3);
    EXPECT_TRUE(looksLike(now[1], "H"));
}

TEST_F(Paste, IntoItsOwnProjectTheFramesGetNewIDsToo)
{
    showStrip(makeProject({"A", "B"}));
    tapItem(0);
    choose("Copy");
    tapItem(2);
    choose("Paste");
    waitForPaste(4);
    auto now = ids();
    EXPECT_EQ(now[0], "A");
    EXPECT_NE(now[2], "A");
    EXPECT_TRUE(looksLike(now[2], "A"));
}

TEST_F(Paste, IntoAProjectWithoutAFolderMakesTheFolderFirst)
{
    copyFrom(makeProject({"A"}), 0, 0);
    auto fresh = std::make_shared<zt::ProjectModel>(std::nullopt);
    showStrip(fresh);
    tapItem(0);
    choose("Paste");
    waitForPaste(2);
    ASSERT_TRUE(project->getProjectPath());
    EXPECT_TRUE(plat::isDirectory(*project->getProjectPath()));
    EXPECT_EQ(zt::ProjectsList::projectNames()->front(), plat::lastPathComponent(*project->getProjectPath()));
    EXPECT_TRUE(looksLike(ids()[0], "A"));
    EXPECT_EQ(storedIDs(), ids());
}

TEST_F(Paste, ManyFramesShowActivityWhileTheyCopy)
{
    copyFrom(makeProject({"A", "B", "C", "D"}), 0, 3);
    showStrip(makeProject({"X"}));
    zt::test::PostedNotifications posted({zt::kShowActivityNotification, zt::kHideActivityNotification});
    tapItem(1);
    choose("Paste");
    waitForPaste(6);
    EXPECT_EQ(
        posted.names(), (std::vector<std::string> {zt::kShowActivityNotification, zt::kHideActivityNotification}));
    EXPECT_EQ(posted.posted[0].userInfo.getString(zt::kInfoKey), "Paste");
}

TEST_F(Paste, FramesWhoseProjectWasDeletedAreSkippedAndReported)
{
    auto source = makeProject({"A", "B", "C"});
    copyFrom(source, 0, 2);
    // Only B's picture is left: its project lost the others.
    ASSERT_TRUE(plat::removeItem(picturePath(*source, "A")).ok());
    ASSERT_TRUE(plat::removeItem(picturePath(*source, "C")).ok());
    showStrip(makeProject({"X"}));
    zt::test::PostedNotifications posted({zt::kShowErrorNotification});
    tapItem(1);
    choose("Paste");
    waitForPaste(3);
    auto now = ids();
    EXPECT_EQ(now.size(), 3u);
    EXPECT_TRUE(looksLike(now[1], "B"));
    auto errors = posted.errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].localizedDescription(), "2 of 3 frames could not be pasted: their pictures are missing.");
    // Nothing half-copied is left for the skipped frames.
    auto names = plat::contentsOfDirectory(*project->getProjectPath());
    ASSERT_TRUE(names.ok());
    for (const std::string& name : names.value()) {
        if (name.starts_with("thumb-")) {
            EXPECT_TRUE(name == "thumb-X.jpg" || name == "thumb-" + now[1] + ".jpg") << name;
        }
    }
}

TEST_F(Paste, AfterTheSourceProjectIsGoneNothingIsPastedAndTheUserIsTold)
{
    auto source = makeProject({"A"});
    copyFrom(source, 0, 0);
    ASSERT_TRUE(zt::FileUtil::removeFolderAtPath(*source->getProjectPath()));
    showStrip(makeProject({"X"}));
    zt::test::PostedNotifications posted({zt::kShowErrorNotification});
    tapItem(0);
    choose("Paste");
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return !posted.posted.empty(); }));
    EXPECT_EQ(ids(), (std::vector<std::string> {"X", zt::kCapturePlaceholderFrameID}));
    ASSERT_EQ(posted.errors().size(), 1u);
    EXPECT_EQ(posted.errors()[0].localizedDescription(), "The frame could not be pasted: its picture is missing.");
    EXPECT_EQ(storedIDs(), ids()) << "nothing changed, nothing saved";
}

TEST_F(Paste, FramesFromAFolderThatIsNoProjectOfThisAppAreRefused)
{
    // Another app put frames on the pasteboard, with their "files" outside this app.
    plat::test::TemporaryFolder elsewhere;
    ASSERT_TRUE(plat::writeFileAtomically(elsewhere.path("frame-S.jpg"), std::string("secret")).ok());
    zt::FramePasteboardRecord record;
    record.frames.push_back(zt::Frame(zt::FrameTypePicture, "S"));
    record.location = elsewhere.path();
    plat::PasteboardItem item;
    item.set(zt::FramePasteboardRecord::kPasteboardType, record.archivedData().value());
    plat::Pasteboard::generalPasteboard()->setItems({item});

    showStrip(makeProject({"X"}));
    zt::test::PostedNotifications posted({zt::kShowErrorNotification});
    tapItem(0);
    EXPECT_TRUE(std::dynamic_pointer_cast<plat::ViewController>(strip->popoverController()->contentViewController()));
    choose("Paste");
    EXPECT_EQ(ids(), (std::vector<std::string> {"X", zt::kCapturePlaceholderFrameID}));
    auto errors = posted.errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].code(), zt::FramePasteboardRecord::kForeignLocationError);
}

TEST_F(Paste, AnotherAppsPictureBecomesOneFrameCappedToTheLargestExportSize)
{
    showStrip(makeProject({"X"}));
    const double widest = zt::MovieRenderer::getMaximumResolutionAvailable().width;
    ASSERT_GT(widest, 0);
    plat::Pasteboard::generalPasteboard()->setImage(
        *plat::test::makeFlatImage(static_cast<int>(widest) + 200, 90, {200, 30, 30, 255}));
    tapItem(0);
    choose("Paste");
    driver.wait(1);
    auto now = ids();
    ASSERT_EQ(now.size(), 3u);
    EXPECT_EQ(now[1], "X");
    auto stored = plat::Image::imageWithContentsOfFile(file("frame-" + now[0] + ".jpg"));
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->size().width, widest);
    EXPECT_TRUE(plat::fileExists(file("thumb-" + now[0] + ".jpg")));
    EXPECT_EQ(storedIDs(), now);
}

TEST_F(Paste, APastedPictureThatCannotBeSavedLeavesNoFrameBehind)
{
    showStrip(makeProject({"X"}));
    zt::test::PostedNotifications posted({zt::kShowErrorNotification});
    plat::Pasteboard::generalPasteboard()->setImage(*plat::test::makeFlatImage(64, 36, {200, 30, 30, 255}));
    tapItem(0);
    {
        plat::test::FailingWrites failing("frames.meta", plat::detail::WriteFailurePoint::BeforeRename);
        choose("Paste");
    }
    EXPECT_EQ(ids(), (std::vector<std::string> {"X", zt::kCapturePlaceholderFrameID}));
    auto names = plat::contentsOfDirectory(*project->getProjectPath());
    ASSERT_TRUE(names.ok());
    for (const std::string& name : names.value())
        EXPECT_TRUE(name.find('X') != std::string::npos || name.ends_with(".meta")) << name << " was left";
    ASSERT_EQ(posted.errors().size(), 1u);
    EXPECT_EQ(posted.errors()[0].localizedDescription(), "The picture could not be pasted.");
}

// The second run of the app, started by the test below: it opens the project
// it is given in the sandbox it is given and pastes at its first frame.
TEST_F(Paste, ChildRunPastesAtTheFirstFrame)
{
    const char* device = std::getenv(kChildSandbox);
    const char* path = std::getenv(kChildProject);
    if (!device || !path)
        GTEST_SKIP() << "run by Paste.ASecondRunOfTheAppPastesWhatTheFirstCopied";
    plat::Sandbox::setCurrent(std::make_shared<plat::Sandbox>(device));
    showStrip(std::make_shared<zt::ProjectModel>(std::string(path)));
    const int64_t before = project->getFrameList().count();
    tapItem(0);
    choose("Paste");
    waitForPaste(before + 2);
}

TEST_F(Paste, ASecondRunOfTheAppPastesWhatTheFirstCopied)
{
    copyFrom(makeProject({"A", "B", "C"}), 1, 2);
    auto target = makeProject({"X"});
    char self[4096] = {};
    ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
    const std::string command = std::string(kChildSandbox) + "='" + sandbox.root() + "' " + kChildProject + "='"
        + *target->getProjectPath() + "' '" + self
        + "' --gtest_filter=Paste.ChildRunPastesAtTheFirstFrame >/dev/null 2>&1";
    ASSERT_EQ(plat::test::runShellBounded(command), 0);
    // Read back as the first run would after the second one ended.
    project = std::make_shared<zt::ProjectModel>(target->getProjectPath());
    auto now = ids();
    ASSERT_EQ(now.size(), 4u);
    EXPECT_TRUE(looksLike(now[0], "B"));
    EXPECT_TRUE(looksLike(now[1], "C"));
    EXPECT_EQ(now[2], "X");
}

}  // namespace
