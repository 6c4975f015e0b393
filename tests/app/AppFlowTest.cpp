// The whole road through the app, as a person takes it: first start, a new
// project, rename, duplicate, delete, open, and a second start.
#include "app/AppScreensTestSupport.h"
#include "platform/foundation/PropertyList.h"
#include "platform/ui/TextField.h"

namespace {

using zt::test::AppScreens;

const std::string kIntroduction = ".plovix-introduction";
constexpr plat::Point kCentredItem {284, 119};

class AppFlow : public AppScreens {
protected:
    void tapAndWait(const std::string& label)
    {
        ASSERT_TRUE(driver.tap(label)) << label;
        driver.wait(2);
    }
    void tapCentredItem()
    {
        driver.tapAt(kCentredItem);
        driver.wait(1);
    }
    void relaunch()
    {
        app.terminate();
        app.resetForTesting();
        resetShared();
        launch();
        settle();
    }
};

}  // namespace

TEST_F(AppFlow, APersonMakesRenamesCopiesAndDeletesProjects)
{
    // First start: the sample, second in the carousel after the new-project slot.
    useTestCamera();
    launch();
    settle();
    EXPECT_EQ(listed(), std::vector<std::string> {kIntroduction});
    ASSERT_EQ(carousel().numberOfItems(), 2);
    EXPECT_NE(driver.findView("Tap + to start a new project"), nullptr);

    // A new project: the slot opens the editor, a picture makes the project.
    tapCentredItem();
    ASSERT_NE(driver.findController("FrameEditorViewController"), nullptr);
    captureFrames(2);
    EXPECT_EQ(editor()->project()->getFrameList().count(), 3) << "two pictures and the capture placeholder";
    EXPECT_NE(driver.findView("2 / 3"), nullptr) << "the strip's counter: the last picture";
    tapAndWait("Projects");
    ASSERT_NE(explorer(), nullptr);
    auto names = listed();
    ASSERT_EQ(names.size(), 2u);
    const std::string made = names[0];
    EXPECT_EQ(names[1], kIntroduction);
    EXPECT_EQ(carousel().currentItemIndex(), 1);
    EXPECT_EQ(explorer()->outlets().textFieldName->text(), "My Plovix Movie");

    // Rename it in place.
    ASSERT_TRUE(driver.tap(*explorer()->outlets().textFieldName));
    for (int i = 0; i < 15; ++i)
        driver.type("\b");
    ASSERT_TRUE(driver.type("Moon Landing\n"));
    driver.wait(0);
    EXPECT_EQ(
        plat::dictionaryWithContentsOfFile(documents(made) + "/plovix.meta")->getString("RecordName"), "Moon Landing");

    // Duplicate it: the copy goes before it.
    tapAndWait("Duplicate");
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return listed().size() == 3; }));
    driver.wait(1);
    names = listed();
    const std::string copy = names[0];
    EXPECT_EQ(names, (std::vector<std::string> {copy, made, kIntroduction}));
    EXPECT_EQ(
        plat::dictionaryWithContentsOfFile(documents(copy) + "/plovix.meta")->getString("RecordName"), "Moon Landing");
    EXPECT_EQ(explorer()->selectedProject()->getProjectPath(), documents(copy));

    // Delete the copy (three entries: no question asked).
    tapAndWait("Delete");
    tapAndWait("Delete");
    EXPECT_EQ(listed(), (std::vector<std::string> {made, kIntroduction}));
    EXPECT_FALSE(plat::fileExists(documents(copy)));

    // Open the made project: the root container hands it to the editor.
    carousel().scrollToItemAtIndex(1, /*animated=*/true);
    driver.wait(2);
    tapCentredItem();
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->project()->getProjectPath(), documents(made));
    tapAndWait("Projects");

    // The sample is deleted; a second start does not bring it back.
    carousel().scrollToItemAtIndex(2, /*animated=*/true);
    driver.wait(2);
    ASSERT_EQ(explorer()->selectedProject()->getProjectPath(), caches(kIntroduction));
    tapAndWait("Delete");
    tapAndWait("Delete");  // the sample has 16 entries: the question comes
    tapAndWait("Delete");
    EXPECT_FALSE(plat::fileExists(caches(kIntroduction)));
    relaunch();
    EXPECT_FALSE(plat::fileExists(caches(kIntroduction)));
    EXPECT_EQ(listed(), std::vector<std::string> {made});
    EXPECT_EQ(carousel().numberOfItems(), 2);
}
