// A person on a device folder that cannot be written (a read-only copy with
// projects on it): every change they ask for fails, they are told why, and
// nothing shows that was not stored.
#include "app/AppScreensTestSupport.h"
#include "document/FrameFiles.h"
#include "platform/foundation/PropertyList.h"
#include "platform/ui/TextField.h"
#include "support/FailingWrites.h"

namespace {

using zt::test::AppScreens;

const std::string kIntroduction = ".plovix-introduction";
const std::string kProject = ".plovix-2015-05-01-10-00-00";
constexpr plat::Point kCentredItem {284, 119};
const std::string kReadOnly = "Read-only file system.";

class ReadOnlyDevice : public AppScreens {
protected:
    void SetUp() override
    {
        // Started on this device before: the sample and one project of two frames, the project selected.
        ASSERT_TRUE(plat::writePropertyListFile(plat::Dictionary {{"version", 4.0}, {"lastSelection", 1}},
            zt::DataManager::settingsFilePath(), plat::PropertyListFormat::XML)
                        .ok());
        makeProject(kProject, 2, plat::Dictionary {{"RecordName", "Kept"}});
        ASSERT_TRUE(zt::ProjectsList::replace({kProject}));
        listBefore = plat::readFile(zt::ProjectsList::path()).value();
        useTestCamera();
        readOnly.emplace(sandbox.root(), plat::detail::WriteFailurePoint::ReadOnly);
        launch();
        settle();
        ASSERT_EQ(carousel().currentItemIndex(), 1);
    }
    void TearDown() override
    {
        readOnly.reset();
        EXPECT_EQ(plat::readFile(zt::ProjectsList::path()).value(), listBefore) << "the list never changed";
    }
    std::string storedName()
    {
        auto stored = plat::dictionaryWithContentsOfFile(documents(kProject) + "/plovix.meta");
        return stored ? stored->getString("RecordName").value_or("<none>") : "<unreadable>";
    }
    void closeAlert()
    {
        driver.wait(1);  // it takes touches once it is fully shown
        ASSERT_TRUE(driver.tap("OK"));
        driver.wait(1);
        EXPECT_EQ(shownAlert(), nullptr);
    }

    std::optional<plat::test::FailingWrites> readOnly;
    plat::Data listBefore;
};

}  // namespace

TEST_F(ReadOnlyDevice, ARenameThatCannotBeStoredIsToldAndTheStoredNameStaysShown)
{
    auto& field = *explorer()->outlets().textFieldName;
    EXPECT_EQ(field.text(), "Kept");
    ASSERT_TRUE(driver.tap(field));
    for (int i = 0; i < 4; ++i)
        driver.type("\b");
    ASSERT_TRUE(driver.type("Lost\n"));
    EXPECT_EQ(waitForAlert(), "The project could not be renamed.\n" + kReadOnly);
    EXPECT_EQ(field.text(), "Kept");
    EXPECT_EQ(explorer()->selectedProject()->getMetaData()->getString("RecordName"), "Kept");
    EXPECT_EQ(storedName(), "Kept");
    closeAlert();
}

TEST_F(ReadOnlyDevice, ADuplicateThatCannotBeMadeIsToldAndNothingIsAdded)
{
    ASSERT_TRUE(driver.tap("Duplicate"));
    EXPECT_EQ(waitForAlert(), "The project could not be duplicated.\n" + kReadOnly);
    EXPECT_EQ(explorer()->projects().size(), 2u);
    EXPECT_EQ(carousel().numberOfItems(), 2);
    closeAlert();
}

TEST_F(ReadOnlyDevice, ADeleteThatCannotBeMadeIsToldAndTheProjectStays)
{
    ASSERT_TRUE(driver.tap("Delete"));
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Delete"));  // the sheet's

    EXPECT_EQ(waitForAlert(), "The project could not be deleted.\n" + kReadOnly);
    EXPECT_EQ(explorer()->projects().size(), 2u);
    EXPECT_EQ(carousel().numberOfItems(), 2);
    EXPECT_TRUE(plat::fileExists(documents(kProject) + "/frames.meta"));
    closeAlert();
}

TEST_F(ReadOnlyDevice, ANewProjectThatCannotBeStoredIsToldAndShowsNoFrame)
{
    carousel().scrollToItemAtIndex(0, /*animated=*/true);
    driver.wait(1);
    driver.tapAt(kCentredItem);
    driver.wait(1);
    ASSERT_NE(editor(), nullptr);
    ASSERT_TRUE(driver.tap("Capture"));
    driver.wait(1.5);
    ASSERT_TRUE(driver.tap("Take Picture"));
    EXPECT_EQ(waitForAlert(), "Error\nUps. An unknown error occured. (CaptureViewController-636)");
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Dismiss"));
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Done"));
    driver.wait(1);
    EXPECT_EQ(editor()->project()->getFrameList().count(), 1) << "the frame that was not stored is not shown";
    EXPECT_FALSE(editor()->outlets().viewEmptyHelp->isHidden()) << "the hint to add pictures stays";
    ASSERT_TRUE(driver.tap("Projects"));
    driver.wait(2);
    ASSERT_NE(explorer(), nullptr);
    EXPECT_EQ(explorer()->projects().size(), 2u);
    EXPECT_EQ(plat::contentsOfDirectory(documents()).value().size(), 3u) << "Documents: list, inbox, the project";
}

// A device that can be written, but not the project's frame list: the
// picture is stored, the list is not, so the frame is taken back.
class UnwritableFrameList : public AppScreens { };

TEST_F(UnwritableFrameList, AFrameWhoseListCannotBeSavedIsTakenBackAndItsPicturesGo)
{
    ASSERT_TRUE(plat::writePropertyListFile(plat::Dictionary {{"version", 4.0}, {"lastSelection", 1}},
        zt::DataManager::settingsFilePath(), plat::PropertyListFormat::XML)
                    .ok());
    makeProject(kProject, 1);
    ASSERT_TRUE(zt::ProjectsList::replace({kProject}));
    useTestCamera();
    launch();
    settle();
    driver.tapAt(kCentredItem);
    driver.wait(1);
    ASSERT_NE(editor(), nullptr);
    ASSERT_TRUE(driver.tap("Capture"));
    driver.wait(1.5);
    {
        plat::test::FailingWrites failing("frames.meta", plat::detail::WriteFailurePoint::BeforeRename);
        ASSERT_TRUE(driver.tap("Take Picture"));
        const std::string told = waitForAlert();
        EXPECT_TRUE(told.starts_with("Error\n") && told.ends_with("frames.meta: Input/output error")) << told;
    }
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Dismiss"));
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Done"));
    driver.wait(1);
    EXPECT_EQ(editor()->project()->getFrameList().count(), 2);
    auto names = plat::contentsOfDirectory(documents(kProject));
    ASSERT_TRUE(names.ok());
    std::vector<std::string> pictures;
    for (const std::string& name : names.value())
        if (name.starts_with("frame-"))
            pictures.push_back(name);
    EXPECT_EQ(pictures, std::vector<std::string> {}) << "the unsaved frame's pictures go with it";
    zt::ProjectModel stored(documents(kProject));
    EXPECT_EQ(stored.getFrameList().count(), 2);
    EXPECT_EQ(stored.getMetaData()->getString("META_RECORD_THUMB_FRAME_ID"), std::nullopt);
}
