#include "document/ProjectDataWrapper.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <regex>
#include <sys/stat.h>
#include <thread>

#include "document/DataManager.h"
#include "document/FrameMeta.h"
#include "document/ProjectsList.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Sandbox.h"
#include "support/BoundedChild.h"
#include "support/DateTestSupport.h"
#include "support/FailingWrites.h"
#include "support/TemporarySandbox.h"
#include "support/UnreadableFile.h"

namespace {

class ProjectFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        zt::DataManager::sharedDataManager().resetToDefaultsForTesting();
        ASSERT_TRUE(zt::ProjectsList::replace({"older-project"}));
    }
    void TearDown() override { zt::DataManager::sharedDataManager().resetToDefaultsForTesting(); }

    std::vector<std::string> documents() { return plat::contentsOfDirectory(sandbox.documents()).value(); }
    std::vector<std::string> listed() { return zt::ProjectsList::projectNames().value_or(std::vector<std::string> {}); }

    static void addPicture(zt::ProjectDataWrapper& project, const std::string& frameID)
    {
        auto& list = project.getFrameList();
        list.insertFrame(zt::Frame(zt::FrameTypePicture, frameID), list.getCaptureIndex());
    }

    static std::string text(const plat::Data& data) { return std::string(data.begin(), data.end()); }

    plat::test::TemporarySandbox sandbox;
    plat::test::ScopedFixedDate stillClock {plat::Date::withTimeIntervalSince1970(1.8e9)};
};

TEST_F(ProjectFolder, FolderNamesCarryTheLocalCreationTime)
{
    plat::test::ScopedEnvironmentVariable zone("TZ", "Europe/Berlin");
    // 1.8e9 s after 1970 is 2027-01-15 08:00:00 UTC, 09:00 in Berlin.
    EXPECT_EQ(zt::ProjectDataWrapper::createProjectDirName(), ".plovix-2027-01-15-09-00-00");
}

TEST_F(ProjectFolder, OnlyThePlaceholderIsNotWorthAFolder)
{
    zt::ProjectDataWrapper project(std::nullopt);
    auto metadata = project.getMetaData();
    ASSERT_TRUE(metadata.has_value());
    metadata->set("RecordName", "Changed");
    EXPECT_TRUE(project.saveAllDataToDisk().ok());
    EXPECT_FALSE(project.getProjectPath().has_value());
    EXPECT_EQ(documents(), std::vector<std::string> {".projects.plist"});
    EXPECT_EQ(listed(), std::vector<std::string> {"older-project"});
}

TEST_F(ProjectFolder, ANewProjectHasTheSixDefaults)
{
    zt::ProjectDataWrapper project(std::nullopt);
    auto metadata = project.getMetaData();
    ASSERT_TRUE(metadata.has_value());
    EXPECT_EQ(metadata->count(), 6u);
    EXPECT_EQ(metadata->getDouble("ProductVersion"), 5.0);
    EXPECT_EQ(metadata->getString("RecordName"), "My Plovix Movie");
    EXPECT_EQ(metadata->getDouble("RecordDateCreated"), 1.8e9);
    EXPECT_EQ(metadata->getInt64("RecordFPS"), 5);
    EXPECT_EQ(metadata->getBool("PlayAsLoop"), true);
    EXPECT_EQ(metadata->getInt64("CaptureTimerValue"), 30);
}

TEST_F(ProjectFolder, TheFirstRealFrameCreatesListsAndSelectsTheFolder)
{
    zt::ProjectDataWrapper project(std::nullopt);
    addPicture(project, "A");
    EXPECT_TRUE(project.saveAllDataToDisk().ok());
    ASSERT_TRUE(project.getProjectPath().has_value());
    std::string name = plat::lastPathComponent(*project.getProjectPath());
    EXPECT_TRUE(std::regex_match(name, std::regex(R"(\.plovix-\d{4}-\d{2}-\d{2}-\d{2}-\d{2}-\d{2})"))) << name;
    EXPECT_EQ(*project.getProjectPath(), plat::appendingPathComponent(sandbox.documents(), name));
    EXPECT_EQ(listed(), (std::vector<std::string> {name, "older-project"}));
    EXPECT_EQ(zt::DataManager::sharedDataManager().lastSelection(), 1);
    EXPECT_EQ(plat::contentsOfDirectory(*project.getProjectPath()).value(),
        (std::vector<std::string> {"frames.meta", "plovix.meta"}));

    zt::ProjectDataWrapper reopened(project.getProjectPath());
    EXPECT_EQ(reopened.getFrameList().count(), 2);
    EXPECT_EQ(reopened.getMetaData()->getString("RecordName"), "My Plovix Movie");
}

TEST_F(ProjectFolder, ProjectsMadeInTheSameSecondGetTheirOwnFolders)
{
    zt::ProjectDataWrapper first(std::nullopt);
    zt::ProjectDataWrapper second(std::nullopt);
    addPicture(first, "A");
    addPicture(second, "B");
    EXPECT_TRUE(first.saveAllDataToDisk().ok());
    EXPECT_TRUE(second.saveAllDataToDisk().ok());
    ASSERT_TRUE(first.getProjectPath() && second.getProjectPath());
    EXPECT_NE(*first.getProjectPath(), *second.getProjectPath());
    std::string firstName = plat::lastPathComponent(*first.getProjectPath());
    EXPECT_EQ(plat::lastPathComponent(*second.getProjectPath()), firstName + "-2");
    EXPECT_EQ(listed(), (std::vector<std::string> {firstName + "-2", firstName, "older-project"}));
    EXPECT_EQ(zt::ProjectDataWrapper(second.getProjectPath()).getFrameList().getFrameIDAtIndex(0), "B");
}

TEST_F(ProjectFolder, ReservingAFolderAsksForAnotherNameWhileOneIsTaken)
{
    const std::vector<std::string> names {"first", "first", "second"};
    size_t asked = 0;
    auto nextName = [&] { return names[std::min(asked++, names.size() - 1)]; };
    auto reserved = zt::ProjectDataWrapper::reserveProjectDir(nextName);
    ASSERT_TRUE(reserved.ok());
    EXPECT_EQ(reserved.value(), "first");
    reserved = zt::ProjectDataWrapper::reserveProjectDir(nextName);
    ASSERT_TRUE(reserved.ok());
    EXPECT_EQ(reserved.value(), "second");
    EXPECT_EQ(asked, 3u);
    EXPECT_TRUE(plat::isDirectory(plat::appendingPathComponent(sandbox.documents(), "second")));

    EXPECT_FALSE(zt::ProjectDataWrapper::reserveProjectDir([] { return std::string("first"); }).ok());
}

TEST_F(ProjectFolder, AnyFirstFileWriteMakesTheFolder)
{
    zt::ProjectDataWrapper project(std::nullopt);
    plat::Data jpeg {0xFF, 0xD8, 0xFF};
    ASSERT_TRUE(project.updateRegularFileWithContents(jpeg, "frame-A.jpg"));
    ASSERT_TRUE(project.getProjectPath().has_value());
    EXPECT_EQ(project.fileDataForFileWithPreferredFilename("frame-A.jpg"), jpeg);
    EXPECT_EQ(listed().size(), 2u);
}

TEST_F(ProjectFolder, FileNamesThatLeaveTheFolderAreRefused)
{
    zt::ProjectDataWrapper project(std::nullopt);
    ASSERT_TRUE(project.updateRegularFileWithContents({1}, "inside"));
    for (const char* bad : {"../outside", "/etc/passwd", "..", "", "a/b"}) {
        EXPECT_FALSE(project.updateRegularFileWithContents({1}, bad)) << bad;
        EXPECT_FALSE(project.fileDataForFileWithPreferredFilename(bad).has_value()) << bad;
        EXPECT_FALSE(project.removeRegularFileWithPreferredFilename(bad)) << bad;
        EXPECT_FALSE(project.cloneFileWithPreferredFilename("inside", bad)) << bad;
    }
    EXPECT_FALSE(plat::fileExists(plat::appendingPathComponent(sandbox.documents(), "outside")));
}

TEST_F(ProjectFolder, RemoveAndCloneFollowTheFileRules)
{
    zt::ProjectDataWrapper project(std::nullopt);
    ASSERT_TRUE(project.updateRegularFileWithContents({1, 2}, "frame-A.jpg"));
    EXPECT_TRUE(project.removeRegularFileWithPreferredFilename("missing.jpg"));
    EXPECT_TRUE(project.cloneFileWithPreferredFilename("frame-A.jpg", "canvas-A.jpg"));
    EXPECT_FALSE(project.cloneFileWithPreferredFilename("frame-A.jpg", "canvas-A.jpg"));
    EXPECT_FALSE(project.cloneFileWithPreferredFilename("missing.jpg", "other.jpg"));
    ASSERT_TRUE(plat::createDirectory(*project.getProjectPath() + "/sub", plat::IntermediateDirectories::No).ok());
    EXPECT_FALSE(project.removeRegularFileWithPreferredFilename("sub"));
    EXPECT_TRUE(project.removeRegularFileWithPreferredFilename("canvas-A.jpg"));
    EXPECT_FALSE(project.fileDataForFileWithPreferredFilename("canvas-A.jpg").has_value());
}

TEST_F(ProjectFolder, UsedStorageSpaceCountsEveryFileBelowTheFolder)
{
    zt::ProjectDataWrapper project(std::nullopt);
    ASSERT_TRUE(project.updateRegularFileWithContents(plat::Data(1000, 7), "frame-A.jpg"));
    int64_t withMeta = project.getUsedStorageSpace();
    EXPECT_GT(withMeta, 1000);
    EXPECT_EQ(project.usedStorageSpace(), withMeta);
    EXPECT_EQ(zt::ProjectDataWrapper(std::nullopt).getUsedStorageSpace(), 0);
}

TEST_F(ProjectFolder, AnUnreadableMetadataFileIsNeverOverwritten)
{
    zt::ProjectDataWrapper project(std::nullopt);
    addPicture(project, "A");
    EXPECT_TRUE(project.saveAllDataToDisk().ok());
    std::string metaPath = *project.getProjectPath() + "/plovix.meta";
    ASSERT_TRUE(plat::writeFileAtomically(metaPath, std::string_view("<plist><dict><key>Rec")).ok());

    zt::ProjectDataWrapper reopened(project.getProjectPath());
    EXPECT_FALSE(reopened.getMetaData().has_value());
    EXPECT_TRUE(reopened.isMetaDataUnreadable());
    addPicture(reopened, "B");
    EXPECT_FALSE(reopened.saveAllDataToDisk().ok())
        << "the frames are saved, and the caller hears the details were not";
    EXPECT_EQ(text(plat::readFile(metaPath).value()), "<plist><dict><key>Rec");
    EXPECT_EQ(zt::ProjectDataWrapper(project.getProjectPath()).getFrameList().count(), 3);
    EXPECT_EQ(reopened.recordFPS(), 5);
}

TEST_F(ProjectFolder, MetadataOfTheWrongRootTypeIsUnreadable)
{
    zt::ProjectDataWrapper project(std::nullopt);
    ASSERT_TRUE(project.updateRegularFileWithContents({}, "placeholder"));
    auto array = plat::PropertyListSerialization::dataWithPropertyList(plat::Array {1}, plat::PropertyListFormat::XML);
    ASSERT_TRUE(plat::writeFileAtomically(*project.getProjectPath() + "/plovix.meta", array.value()).ok());
    EXPECT_FALSE(zt::ProjectDataWrapper(project.getProjectPath()).getMetaData().has_value());
}

TEST_F(ProjectFolder, ADamagedFrameListIsKeptBesideTheNewOne)
{
    zt::ProjectDataWrapper project(std::nullopt);
    addPicture(project, "A");
    EXPECT_TRUE(project.saveAllDataToDisk().ok());
    std::string listPath = *project.getProjectPath() + "/frames.meta";
    ASSERT_TRUE(plat::writeFileAtomically(listPath, std::string_view("damaged")).ok());

    zt::ProjectDataWrapper reopened(project.getProjectPath());
    EXPECT_EQ(reopened.getFrameList().count(), 1);
    addPicture(reopened, "B");
    EXPECT_TRUE(reopened.saveAllDataToDisk().ok());
    EXPECT_EQ(text(plat::readFile(listPath + ".damaged").value()), "damaged");
    EXPECT_EQ(zt::ProjectDataWrapper(project.getProjectPath()).getFrameList().count(), 2);
}

// Nothing is known of the frames of a list that cannot be opened: the empty
// list in its place is never saved over it, whichever save is asked for.
TEST_F(ProjectFolder, AFrameListThatCannotBeOpenedIsNeverSavedOver)
{
    zt::ProjectDataWrapper project(std::nullopt);
    addPicture(project, "A");
    addPicture(project, "B");
    ASSERT_TRUE(project.saveAllDataToDisk().ok());
    const std::string listPath = *project.getProjectPath() + "/frames.meta";
    const plat::Data stored = plat::readFile(listPath).value();
    using Save = plat::Result<void> (zt::ProjectDataWrapper::*)();
    for (Save save : {&zt::ProjectDataWrapper::saveFramelistToDisk, &zt::ProjectDataWrapper::saveAllDataToDisk}) {
        zt::ProjectDataWrapper reopened(project.getProjectPath());
        {
            plat::test::UnreadableFile locked(listPath);
            ASSERT_TRUE(locked.applied());
            ASSERT_EQ(reopened.getFrameList().count(), 1);
            EXPECT_FALSE((reopened.*save)().ok());
        }
        EXPECT_EQ(plat::readFile(listPath).value(), stored);
    }
}

TEST_F(ProjectFolder, AFailedSaveLeavesThePreviousFilesWhole)
{
    zt::ProjectDataWrapper project(std::nullopt);
    addPicture(project, "A");
    EXPECT_TRUE(project.saveAllDataToDisk().ok());
    std::string listPath = *project.getProjectPath() + "/frames.meta";
    plat::Data before = plat::readFile(listPath).value();

    addPicture(project, "B");
    {
        plat::test::FailingWrites failing("frames.meta", plat::detail::WriteFailurePoint::AfterHalfTheBytes);
        EXPECT_FALSE(project.saveAllDataToDisk().ok());
    }
    EXPECT_EQ(plat::readFile(listPath).value(), before);
    EXPECT_EQ(zt::ProjectDataWrapper(project.getProjectPath()).getFrameList().count(), 2);
    EXPECT_TRUE(project.saveAllDataToDisk().ok());
    EXPECT_EQ(zt::ProjectDataWrapper(project.getProjectPath()).getFrameList().count(), 3);
}

TEST_F(ProjectFolder, AFailedSaveOfADamagedFrameListKeepsTheReadableFrames)
{
    zt::ProjectDataWrapper project(std::nullopt);
    addPicture(project, "A");
    EXPECT_TRUE(project.saveAllDataToDisk().ok());
    std::string listPath = *project.getProjectPath() + "/frames.meta";
    plat::Data whole = plat::readFile(listPath).value();
    // One more entry whose identifier could not name a file: the list reads as damaged.
    std::string damaged = text(whole);
    size_t dataStart = damaged.find("<array>") + std::string("<array>").size();
    damaged.insert(dataStart, "<dict><key>FRAME_ID</key><string>../x</string></dict>");
    ASSERT_TRUE(plat::writeFileAtomically(listPath, std::string_view(damaged)).ok());

    zt::ProjectDataWrapper reopened(project.getProjectPath());
    ASSERT_EQ(reopened.getFrameList().count(), 2);
    {
        plat::test::FailingWrites failing("frames.meta", plat::detail::WriteFailurePoint::BeforeRename);
        EXPECT_FALSE(reopened.saveFramelistToDisk().ok());
    }
    zt::ProjectDataWrapper afterFailure(project.getProjectPath());
    ASSERT_EQ(afterFailure.getFrameList().count(), 2);
    EXPECT_EQ(afterFailure.getFrameList().getFrameIDAtIndex(0), "A");
    EXPECT_EQ(text(plat::readFile(listPath + ".damaged").value()), damaged);
}

TEST_F(ProjectFolder, ANewProjectOnADeviceThatCannotBeWrittenSaysSoAndLeavesNothing)
{
    plat::test::FailingWrites readOnly(sandbox.documents(), plat::detail::WriteFailurePoint::ReadOnly);
    zt::ProjectDataWrapper project(std::nullopt);
    addPicture(project, "A");
    auto saved = project.saveAllDataToDisk();
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(saved.error().code(), EROFS);
    EXPECT_FALSE(project.getProjectPath().has_value());
    EXPECT_EQ(documents(), std::vector<std::string> {".projects.plist"});
    EXPECT_EQ(listed(), std::vector<std::string> {"older-project"});
}

TEST_F(ProjectFolder, ANewProjectWhoseFilesCannotBeWrittenIsTakenOffTheListAndRemoved)
{
    zt::ProjectDataWrapper project(std::nullopt);
    addPicture(project, "A");
    {
        plat::test::FailingWrites failing("frames.meta", plat::detail::WriteFailurePoint::BeforeWriting);
        EXPECT_FALSE(project.saveAllDataToDisk().ok());
    }
    EXPECT_FALSE(project.getProjectPath().has_value()) << "no half-made project shows up";
    EXPECT_EQ(documents(), std::vector<std::string> {".projects.plist"});
    EXPECT_EQ(listed(), std::vector<std::string> {"older-project"});
    EXPECT_TRUE(project.saveAllDataToDisk().ok()) << "the next try makes it";
    ASSERT_TRUE(project.getProjectPath().has_value());
    EXPECT_EQ(listed().size(), 2u);
}

TEST_F(ProjectFolder, SavesIntoAFolderThatCannotBeWrittenReportWhy)
{
    zt::ProjectDataWrapper project(std::nullopt);
    addPicture(project, "A");
    ASSERT_TRUE(project.saveAllDataToDisk().ok());
    plat::test::FailingWrites readOnly(*project.getProjectPath(), plat::detail::WriteFailurePoint::ReadOnly);
    project.getMetaData()->set("RecordName", "Renamed");
    auto metadata = project.saveMetaDataToDisk();
    ASSERT_FALSE(metadata.ok());
    EXPECT_EQ(metadata.error().code(), EROFS);
    EXPECT_FALSE(project.saveFramelistToDisk().ok());
    EXPECT_FALSE(project.saveAllDataToDisk().ok());
    EXPECT_FALSE(project.updateRegularFileWithContents(plat::Data {1}, "thumb.jpg"));
}

TEST_F(ProjectFolder, AMetadataChangeThatCannotBeStoredPutsBackExactlyWhatItChanged)
{
    zt::ProjectDataWrapper project(std::nullopt);
    addPicture(project, "A");
    project.getMetaData()->set("PlayAsLoop", true);
    ASSERT_TRUE(project.saveAllDataToDisk().ok());
    const plat::Dictionary before = project.getMetaData()->deepCopy();
    const zt::ProjectDataWrapper::MetaDataChange change {
        {"RecordName", "Renamed"}, {"META_RECORD_THEME", 3}, {"PlayAsLoop", nullptr}, {"RecordName", "Twice"}};
    {
        plat::test::FailingWrites readOnly(*project.getProjectPath(), plat::detail::WriteFailurePoint::ReadOnly);
        auto refused = project.changeMetaData(change);
        ASSERT_FALSE(refused.ok());
        EXPECT_EQ(refused.error().code(), EROFS);
        EXPECT_EQ(*project.getMetaData(), before) << "a key added goes, one removed or changed comes back";
    }
    ASSERT_TRUE(project.changeMetaData(change).ok());
    zt::ProjectDataWrapper stored(project.getProjectPath());
    EXPECT_EQ(stored.getMetaData()->getString("RecordName"), "Twice");
    EXPECT_EQ(stored.getMetaData()->getInt64("META_RECORD_THEME"), 3);
    EXPECT_FALSE(stored.getMetaData()->contains("PlayAsLoop"));
}

TEST_F(ProjectFolder, ADamagedFrameListThatCannotBeKeptIsNotReplacedAndTheSaveSaysSo)
{
    zt::ProjectDataWrapper project(std::nullopt);
    addPicture(project, "A");
    ASSERT_TRUE(project.saveAllDataToDisk().ok());
    std::string listPath = *project.getProjectPath() + "/frames.meta";
    ASSERT_TRUE(plat::writeFileAtomically(listPath, std::string_view("<plist><dict><key>FRAMELIST_DATA</key>")).ok());

    zt::ProjectDataWrapper reopened(project.getProjectPath());
    addPicture(reopened, "B");
    {
        plat::test::FailingWrites readOnly("frames.meta.damaged", plat::detail::WriteFailurePoint::ReadOnly);
        auto saved = reopened.saveFramelistToDisk();
        ASSERT_FALSE(saved.ok());
        EXPECT_EQ(saved.error().code(), EROFS);
    }
    EXPECT_EQ(text(plat::readFile(listPath).value()), "<plist><dict><key>FRAMELIST_DATA</key>");
    EXPECT_TRUE(reopened.saveFramelistToDisk().ok());
    EXPECT_TRUE(plat::fileExists(listPath + ".damaged"));
}

// A list of ten pictures written, then cut in half as an interrupted copy leaves it.
class CutFrameList : public ProjectFolder {
protected:
    void SetUp() override
    {
        ProjectFolder::SetUp();
        zt::ProjectDataWrapper project(std::nullopt);
        ASSERT_TRUE(project.updateRegularFileWithContents(plat::Data {1}, "placeholder"));
        folder = *project.getProjectPath();
        for (int i = 0; i < 10; ++i) {
            std::string frameID = "F" + std::to_string(i);
            addPicture(project, frameID);
            // Pictures made one after another; their files' times tell the order.
            ASSERT_TRUE(project.updateRegularFileWithContents(plat::Data {2}, "frame-" + frameID + ".jpg"));
            setModificationTime("frame-" + frameID + ".jpg", 1000 + i);
        }
        ASSERT_TRUE(project.saveAllDataToDisk().ok());
        whole = plat::readFile(folder + "/frames.meta").value();
        cut = plat::Data(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2));
        ASSERT_TRUE(plat::writeFileAtomically(folder + "/frames.meta", cut).ok());
    }
    void setModificationTime(const std::string& name, int64_t seconds)
    {
        const timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, (folder + "/" + name).c_str(), times, 0), 0);
    }
    std::vector<std::string> frameIDs(zt::ProjectDataWrapper& project)
    {
        std::vector<std::string> ids;
        for (const zt::Frame& frame : project.getFrameList())
            ids.push_back(frame.frameID());
        return ids;
    }

    std::string folder;
    plat::Data whole;
    plat::Data cut;
};

TEST_F(CutFrameList, TheReadableEntriesComeBackThenThePicturesByTheirFilesTimes)
{
    // The pictures the cut list lost are found in the order they were made, not by name.
    setModificationTime("frame-F8.jpg", 1100);
    setModificationTime("frame-F9.jpg", 1099);
    zt::ProjectDataWrapper reopened(folder);
    std::vector<std::string> ids = frameIDs(reopened);
    ASSERT_EQ(ids.size(), 11u);
    auto repair = reopened.takeFrameListRepair();
    ASSERT_TRUE(repair.has_value());
    EXPECT_GE(repair->readEntries, 3) << "half the list holds several whole entries";
    EXPECT_EQ(repair->readEntries + repair->foundPictures, 10);
    EXPECT_EQ(repair->recoveredFrames(), 10);
    for (int64_t i = 0; i < repair->readEntries; ++i)
        EXPECT_EQ(ids[static_cast<size_t>(i)], "F" + std::to_string(i));
    EXPECT_EQ(ids[8], "F9");
    EXPECT_EQ(ids[9], "F8");
    EXPECT_EQ(ids[10], zt::kCapturePlaceholderFrameID);
    EXPECT_FALSE(reopened.takeFrameListRepair().has_value()) << "told once";
}

TEST_F(CutFrameList, SavingTheRepairKeepsTheCutListBeside)
{
    zt::ProjectDataWrapper reopened(folder);
    ASSERT_EQ(reopened.getFrameList().count(), 11);
    ASSERT_TRUE(reopened.saveFramelistToDisk().ok());
    EXPECT_EQ(plat::readFile(folder + "/frames.meta.damaged").value(), cut);
    zt::ProjectDataWrapper again(folder);
    EXPECT_EQ(again.getFrameList().count(), 11);
    EXPECT_FALSE(again.takeFrameListRepair().has_value());
}

TEST_F(ProjectFolder, APictureWhoseEntryWasSpoiledComesBackBeforeTheCapturePlaceholder)
{
    zt::ProjectDataWrapper project(std::nullopt);
    addPicture(project, "A");
    addPicture(project, "B");
    ASSERT_TRUE(project.saveAllDataToDisk().ok());
    for (const char* name : {"frame-A.jpg", "frame-B.jpg"})
        ASSERT_TRUE(project.updateRegularFileWithContents(plat::Data {1}, name));
    std::string listPath = *project.getProjectPath() + "/frames.meta";
    std::string list = text(plat::readFile(listPath).value());
    size_t b = list.find("<string>B</string>");
    ASSERT_NE(b, std::string::npos);
    list.replace(b, std::string("<string>B</string>").size(), "<string>../B</string>");
    ASSERT_TRUE(plat::writeFileAtomically(listPath, std::string_view(list)).ok());

    zt::ProjectDataWrapper reopened(project.getProjectPath());
    auto& frames = reopened.getFrameList();
    ASSERT_EQ(frames.count(), 3);
    EXPECT_EQ(frames.getFrameIDAtIndex(0), "A");
    EXPECT_EQ(frames.getFrameIDAtIndex(1), "B") << "found by its picture, where captured frames go";
    EXPECT_EQ(frames.getCaptureIndex(), 2);
    auto repair = reopened.takeFrameListRepair();
    ASSERT_TRUE(repair.has_value());
    EXPECT_EQ(repair->readEntries, 2) << "A and the placeholder";
    EXPECT_EQ(repair->foundPictures, 1);
    EXPECT_EQ(repair->recoveredFrames(), 2);
}

TEST_F(CutFrameList, AWholeListNamingFewerPicturesIsNotRepaired)
{
    ASSERT_TRUE(plat::writeFileAtomically(folder + "/frames.meta", whole).ok());
    ASSERT_TRUE(plat::writeFileAtomically(folder + "/frame-EXTRA.jpg", std::string_view("x")).ok());
    zt::ProjectDataWrapper reopened(folder);
    EXPECT_EQ(reopened.getFrameList().count(), 11) << "a picture a whole list does not name is not a frame";
    EXPECT_FALSE(reopened.takeFrameListRepair().has_value());
}

TEST_F(ProjectFolder, AFramesPerSecondBelowOneCountsAsFive)
{
    zt::ProjectDataWrapper project(std::nullopt);
    for (plat::Value stored : {plat::Value(0), plat::Value(-3), plat::Value("12"), plat::Value(0.5)}) {
        project.getMetaData()->set("RecordFPS", stored);
        EXPECT_EQ(project.recordFPS(), 5) << stored.debugDescription();
    }
    project.getMetaData()->set("RecordFPS", 12);
    EXPECT_EQ(project.recordFPS(), 12);
}

TEST_F(ProjectFolder, FilesWrittenAreReadByAnotherTool)
{
    zt::ProjectDataWrapper project(std::nullopt);
    addPicture(project, "A");
    EXPECT_TRUE(project.saveAllDataToDisk().ok());
    std::string command = "python3 -c \"import plistlib,sys; f=plistlib.load(open(sys.argv[1]+'/frames.meta','rb')); "
                          "m=plistlib.load(open(sys.argv[1]+'/plovix.meta','rb')); "
                          "assert f['FRAMELIST_VERSION']==4.0 and f['FRAMELIST_DATA'][0]['FRAME_ID']=='A' "
                          "and f['FRAMELIST_DATA'][1]['FRAME_TYPE']==1 and m['RecordFPS']==5\" '"
        + *project.getProjectPath() + "'";
    EXPECT_EQ(plat::test::runShellBounded(command), 0);
}

TEST_F(ProjectFolder, BinaryListsWrittenByAnotherToolAreRead)
{
    zt::ProjectDataWrapper project(std::nullopt);
    ASSERT_TRUE(project.updateRegularFileWithContents({}, "placeholder"));
    std::string command = "python3 -c \"import plistlib,sys; plistlib.dump({'FRAMELIST_VERSION':4.0,'FRAMELIST_DATA':"
                          "[{'FRAME_ID':'X','UID':'U1'},{'FRAME_ID':'X','UID':'U2'}]},"
                          "open(sys.argv[1]+'/frames.meta','wb'), fmt=plistlib.FMT_BINARY)\" '"
        + *project.getProjectPath() + "'";
    ASSERT_EQ(plat::test::runShellBounded(command), 0);
    zt::ProjectDataWrapper reopened(project.getProjectPath());
    EXPECT_EQ(reopened.getFrameList().count(), 3);
    EXPECT_EQ(reopened.getFrameList().getHoldTimeForFrameAtIndex(0), 2);
}

TEST_F(ProjectFolder, ListsHoldingValuesAPropertyListCannotStoreAreStillSaved)
{
    zt::ProjectDataWrapper project(std::nullopt);
    ASSERT_TRUE(project.updateRegularFileWithContents({}, "placeholder"));
    // Binary lists can carry strings with NUL bytes, which no property list can be written with.
    std::string command = "python3 -c \"import plistlib,sys; plistlib.dump({'FRAMELIST_VERSION':4.0,'FRAMELIST_DATA':"
                          "[{'FRAME_ID':'X','UID':'U1','NOTE':'a\\x00b','KEPT':7}]},"
                          "open(sys.argv[1]+'/frames.meta','wb'), fmt=plistlib.FMT_BINARY)\" '"
        + *project.getProjectPath() + "'";
    ASSERT_EQ(plat::test::runShellBounded(command), 0);

    zt::ProjectDataWrapper reopened(project.getProjectPath());
    ASSERT_EQ(reopened.getFrameList().count(), 2);
    addPicture(reopened, "Y");
    EXPECT_TRUE(reopened.saveFramelistToDisk().ok());

    zt::ProjectDataWrapper again(project.getProjectPath());
    auto& list = again.getFrameList();
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.getFrameIDAtIndex(0), "X");
    EXPECT_EQ(list.getFrameAtIndex(0)->UID(), "U1");
    EXPECT_EQ(list.getFrameAtIndex(0)->encode().getInt64("KEPT"), 7);
    EXPECT_FALSE(list.getFrameAtIndex(0)->encode().contains("NOTE"));
    EXPECT_EQ(list.getFrameIDAtIndex(1), "Y");
}

TEST_F(ProjectFolder, MetadataHoldingValuesAPropertyListCannotStoreIsStillSaved)
{
    zt::ProjectDataWrapper project(std::nullopt);
    ASSERT_TRUE(project.updateRegularFileWithContents({}, "placeholder"));
    std::string command = "python3 -c \"import plistlib,sys; plistlib.dump({'RecordName':'Old','RecordFPS':5,"
                          "'RecordMetaAudio':[{'RecordAudioName':'a\\x00b','RecordAudioUID':'A1'}]},"
                          "open(sys.argv[1]+'/plovix.meta','wb'), fmt=plistlib.FMT_BINARY)\" '"
        + *project.getProjectPath() + "'";
    ASSERT_EQ(plat::test::runShellBounded(command), 0);

    zt::ProjectDataWrapper reopened(project.getProjectPath());
    ASSERT_TRUE(reopened.getMetaData().has_value());
    reopened.getMetaData()->set("RecordName", "New");
    EXPECT_TRUE(reopened.saveMetaDataToDisk().ok());

    auto saved = zt::ProjectDataWrapper(project.getProjectPath()).getMetaData();
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->getString("RecordName"), "New");
    EXPECT_EQ(saved->getInt64("RecordFPS"), 5);
    auto clips = saved->getArray("RecordMetaAudio");
    ASSERT_TRUE(clips.has_value());
    ASSERT_EQ(clips->count(), 1u);
    auto clip = clips->at(0).asDictionary();
    ASSERT_TRUE(clip.has_value());
    EXPECT_EQ(clip->getString("RecordAudioUID"), "A1");
    EXPECT_FALSE(clip->contains("RecordAudioName"));
}

TEST(ProjectsList, WritersOnManyThreadsLoseNothing)
{
    plat::test::TemporarySandbox sandbox;
    ASSERT_TRUE(zt::ProjectsList::replace({}));
    constexpr int kThreads = 8;
    constexpr int kNamesPerThread = 25;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kNamesPerThread; ++i)
                EXPECT_TRUE(zt::ProjectsList::insertProjectName("p" + std::to_string(t) + "-" + std::to_string(i)));
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(zt::ProjectsList::projectNames()->size(), size_t(kThreads * kNamesPerThread));
}

TEST(ProjectsList, ANameIsListedOnceAndTheSampleLivesInCaches)
{
    plat::test::TemporarySandbox sandbox;
    ASSERT_TRUE(zt::ProjectsList::replace({"b", "a"}));
    EXPECT_TRUE(zt::ProjectsList::insertProjectName("a"));
    EXPECT_TRUE(zt::ProjectsList::insertProjectName("c"));
    EXPECT_EQ(zt::ProjectsList::projectNames(), (std::vector<std::string> {"c", "b", "a"}));
    EXPECT_EQ(zt::ProjectsList::introductionName(), ".plovix-introduction");
    EXPECT_EQ(zt::ProjectsList::folderPathForName(".plovix-introduction"),
        sandbox.sandbox().cachesDirectory() + "/.plovix-introduction");
    EXPECT_EQ(zt::ProjectsList::folderPathForName("c"), sandbox.documents() + "/c");
}

TEST(ProjectsList, AnUnreadableListIsNotTouched)
{
    plat::test::TemporarySandbox sandbox;
    EXPECT_FALSE(zt::ProjectsList::insertProjectName("x"));
    EXPECT_FALSE(plat::fileExists(zt::ProjectsList::path()));
    ASSERT_TRUE(plat::writeFileAtomically(zt::ProjectsList::path(), std::string_view("junk")).ok());
    EXPECT_FALSE(zt::ProjectsList::insertProjectName("x"));
    EXPECT_EQ(plat::readFile(zt::ProjectsList::path()).value(), plat::Data({'j', 'u', 'n', 'k'}));
}

TEST(ProjectsList, NamesThatCouldLeaveDocumentsAreSkipped)
{
    plat::test::TemporarySandbox sandbox;
    auto list = plat::Array {".plovix-a", "../../etc", 5, "", ".plovix-b"};
    ASSERT_TRUE(plat::writePropertyListFile(list, zt::ProjectsList::path()).ok());
    EXPECT_EQ(zt::ProjectsList::projectNames(), (std::vector<std::string> {".plovix-a", ".plovix-b"}));
}

class FrameMetaFile : public ::testing::Test {
protected:
    plat::test::TemporaryFolder folder;
};

TEST_F(FrameMetaFile, AnUntouchedRecordWritesNothing)
{
    zt::FrameMeta meta("A", folder.path());
    EXPECT_TRUE(meta.saveMetaData());
    EXPECT_TRUE(plat::contentsOfDirectory(folder.path()).value().empty());
}

TEST_F(FrameMetaFile, ValuesSurviveSavingAndLoading)
{
    zt::FrameMeta meta("A", folder.path());
    meta.setValue("Hello", "TITLE");
    ASSERT_TRUE(meta.saveMetaData());
    EXPECT_TRUE(plat::fileExists(folder.path("meta-A.meta")));
    EXPECT_EQ(
        zt::FrameMeta::initMetaDataForFrameWithID("A", folder.path()).objectForKey("TITLE"), plat::Value("Hello"));
    EXPECT_TRUE(zt::FrameMeta("B", folder.path()).objectForKey("TITLE").isNull());
}

TEST_F(FrameMetaFile, MalformedFrameIdsNeverNameAFile)
{
    ASSERT_TRUE(plat::createDirectory(folder.path("p"), plat::IntermediateDirectories::No).ok());
    zt::FrameMeta meta("../x", folder.path("p"));
    meta.setValue(1, "k");
    EXPECT_FALSE(meta.saveMetaData());
    EXPECT_EQ(plat::contentsOfDirectory(folder.path()).value(), std::vector<std::string> {"p"});
}

TEST_F(FrameMetaFile, ADamagedFileStartsEmpty)
{
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("meta-A.meta"), std::string_view("\x01\x02")).ok());
    EXPECT_TRUE(zt::FrameMeta("A", folder.path()).objectForKey("TITLE").isNull());
}

}  // namespace
