#include "document/ProjectImportProcessor.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <mutex>

#include "ZipTestSupport.h"
#include "document/ProjectArrival.h"
#include "document/ProjectsList.h"
#include "document/QVZipArchive.h"
#include "platform/foundation/DispatchGroup.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/URL.h"
#include "support/DateTestSupport.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::test::errorCode;
using plat::test::pythonSucceeds;
using plat::test::readText;
using plat::test::writeText;

constexpr double kGenerousTimeoutSeconds = 30;
// 2015-06-01 12:00:00 UTC.
constexpr double kImportUnixSeconds = 1433160000;
constexpr const char* kFolderName = ".plovix-2015-06-01-12-00-00";

class ProjectImport : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(plat::createDirectory(inbox(), plat::IntermediateDirectories::Yes).ok());
        ASSERT_TRUE(plat::createDirectory(sandbox.path("work"), plat::IntermediateDirectories::No).ok());
    }

    std::string inbox(const std::string& name = {}) const
    {
        std::string folder = documents("Import");
        return name.empty() ? folder : plat::appendingPathComponent(folder, name);
    }
    std::string documents(const std::string& name) const
    {
        return plat::appendingPathComponent(sandbox.documents(), name);
    }

    // A flat archive of a small project, as the project export writes it;
    // "id.txt" tells the imports apart.
    std::string makeProjectArchive(const std::string& name, const std::string& id)
    {
        std::string project = sandbox.path("work/" + id);
        EXPECT_TRUE(plat::createDirectory(project, plat::IntermediateDirectories::No).ok());
        std::vector<std::string> files;
        for (const auto& [file, contents] :
            std::vector<std::pair<std::string, std::string>> {{"plovix.meta", "<plist version=\"1.0\"><dict/></plist>"},
                {"frames.meta", "frames"}, {"frame-F1.jpg", std::string(40000, 'f')}, {"id.txt", id}}) {
            files.push_back(plat::appendingPathComponent(project, file));
            writeText(files.back(), contents);
        }
        std::string archive = inbox(name);
        EXPECT_TRUE(zt::QVZipArchive::createZipFileAtPath(archive, files));
        return archive;
    }

    std::vector<std::string> projectFolders() const
    {
        std::vector<std::string> folders;
        for (const std::string& name : plat::contentsOfDirectory(sandbox.documents()).valueOr({})) {
            if (name.rfind(".plovix", 0) == 0)
                folders.push_back(name);
        }
        return folders;
    }

    plat::test::ScopedEnvironmentVariable timeZone {"TZ", "UTC"};
    plat::test::ScopedFixedDate now {plat::test::dateAtUnixSeconds(kImportUnixSeconds)};
    plat::test::TemporarySandbox sandbox;
    zt::ProjectImportProcessor processor;
};

TEST_F(ProjectImport, AddsADatedFolderListedFirstAndRemovesTheArchive)
{
    ASSERT_TRUE(zt::ProjectsList::replace({".plovix-2014-01-01-00-00-00"}));
    std::string archive = makeProjectArchive("movie.zantropemobile", "one");

    EXPECT_TRUE(processor.importProjectAtPath(archive));
    EXPECT_EQ(projectFolders(), std::vector<std::string> {kFolderName});
    EXPECT_EQ(plat::contentsOfDirectory(documents(kFolderName)).value(),
        (std::vector<std::string> {"frame-F1.jpg", "frames.meta", "id.txt", "plovix.meta"}));
    EXPECT_EQ(readText(documents(std::string(kFolderName) + "/frame-F1.jpg")), std::string(40000, 'f'));
    EXPECT_EQ(
        zt::ProjectsList::projectNames(), (std::vector<std::string> {kFolderName, ".plovix-2014-01-01-00-00-00"}));
    EXPECT_FALSE(plat::fileExists(archive));
}

TEST_F(ProjectImport, AFileThatIsNotAnArchiveFailsAndIsKept)
{
    ASSERT_TRUE(zt::ProjectsList::replace({}));
    writeText(inbox("broken.zantropemobile"), "not a zip archive");

    std::optional<plat::Error> error;
    EXPECT_FALSE(processor.importProjectAtPath(inbox("broken.zantropemobile"), &error));
    EXPECT_EQ(errorCode(error), zt::QVZipArchive::kErrorFailedToOpenZipFile);
    EXPECT_EQ(projectFolders(), std::vector<std::string> {});
    EXPECT_EQ(zt::ProjectsList::projectNames(), std::vector<std::string> {});
    EXPECT_EQ(readText(inbox("broken.zantropemobile")), "not a zip archive");
}

TEST_F(ProjectImport, AZipWithoutAFrameListHoldsNoProjectFailsAndIsKept)
{
    struct Contents {
        const char* what;
        std::vector<std::pair<std::string, std::string>> files;
    };
    const Contents zips[] = {
        {"one text file", {{"notes.txt", "not a project"}}},
        {"pictures and metadata without the frame list",
            {{"plovix.meta", "<plist version=\"1.0\"><dict/></plist>"}, {"frame-F1.jpg", "f"}}},
    };
    for (const Contents& zip : zips) {
        SCOPED_TRACE(zip.what);
        ASSERT_TRUE(zt::ProjectsList::replace({}));
        std::vector<std::string> files;
        for (const auto& [name, contents] : zip.files) {
            files.push_back(sandbox.path("work/" + name));
            writeText(files.back(), contents);
        }
        const std::string archive = inbox("notes.zantropemobile");
        ASSERT_TRUE(zt::QVZipArchive::createZipFileAtPath(archive, files));

        std::optional<plat::Error> error;
        EXPECT_FALSE(processor.importProjectAtPath(archive, &error));
        EXPECT_EQ(error ? error->localizedDescription() : "<none>", "The archive holds no project.");
        EXPECT_EQ(projectFolders(), std::vector<std::string> {});
        EXPECT_EQ(zt::ProjectsList::projectNames(), std::vector<std::string> {});
        EXPECT_TRUE(plat::fileExists(archive));
        ASSERT_TRUE(plat::removeItem(archive).ok());
    }
}

// A fresh device has no list yet (start-up makes it from the folders): that
// is not an error; a list that cannot be read is.
TEST_F(ProjectImport, WithoutAProjectsListTheProjectIsUnpackedButNotListed)
{
    std::string archive = makeProjectArchive("movie.zantropemobile", "one");
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(processor.importProjectAtPath(archive));
    EXPECT_EQ(::testing::internal::GetCapturedStderr().find("cannot be read"), std::string::npos);
    EXPECT_EQ(readText(documents(std::string(kFolderName) + "/id.txt")), "one");
    EXPECT_FALSE(plat::fileExists(zt::ProjectsList::path()));
    EXPECT_FALSE(plat::fileExists(archive));

    writeText(zt::ProjectsList::path(), "not a list");
    archive = makeProjectArchive("again.zantropemobile", "two");
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(processor.importProjectAtPath(archive));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("the projects list cannot be read"), std::string::npos);
}

TEST_F(ProjectImport, AnArchiveThatFailsHalfWayLeavesNoFolder)
{
    ASSERT_TRUE(zt::ProjectsList::replace({}));
    ASSERT_TRUE(pythonSucceeds(inbox(), R"(
text = b''.join(b'frame line %d\n' % i for i in range(20000))
with zipfile.ZipFile('damaged.zantropemobile', 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('plovix.meta', b'<plist/>')
    z.writestr('frame-F1.jpg', text)
info = zipfile.ZipFile('damaged.zantropemobile').getinfo('frame-F1.jpg')
data = bytearray(open('damaged.zantropemobile', 'rb').read())
middle = info.header_offset + 30 + len('frame-F1.jpg') + info.compress_size // 2
for i in range(middle, middle + 64):
    data[i] ^= 0x5A
open('damaged.zantropemobile', 'wb').write(data)
)"));
    std::optional<plat::Error> error;
    EXPECT_FALSE(processor.importProjectAtPath(inbox("damaged.zantropemobile"), &error));
    EXPECT_EQ(errorCode(error), zt::QVZipArchive::kErrorFailedToReadFile);
    EXPECT_EQ(projectFolders(), std::vector<std::string> {});
    EXPECT_EQ(zt::ProjectsList::projectNames(), std::vector<std::string> {});
    EXPECT_TRUE(plat::fileExists(inbox("damaged.zantropemobile")));
}

TEST_F(ProjectImport, HostileArchivesLeaveNothingBehind)
{
    ASSERT_TRUE(zt::ProjectsList::replace({}));
    ASSERT_TRUE(pythonSucceeds(inbox(), R"(
with zipfile.ZipFile('evil.zantropemobile', 'w') as z:
    z.writestr('plovix.meta', b'<plist/>')
    z.writestr('../../.projects.plist', b'overwritten')
)"));
    std::optional<plat::Error> error;
    EXPECT_FALSE(processor.importProjectAtPath(inbox("evil.zantropemobile"), &error));
    EXPECT_EQ(errorCode(error), zt::QVZipArchive::kErrorUnsafeFileName);
    EXPECT_EQ(projectFolders(), std::vector<std::string> {});
    EXPECT_EQ(zt::ProjectsList::projectNames(), std::vector<std::string> {});
}

TEST_F(ProjectImport, ImportsInTheSameSecondGetFoldersOfTheirOwnAndAllAreListed)
{
    ASSERT_TRUE(zt::ProjectsList::replace({"older"}));
    constexpr int kImports = 4;
    std::vector<std::string> archives;
    for (int index = 0; index < kImports; ++index)
        archives.push_back(makeProjectArchive("p" + std::to_string(index) + ".zantropemobile", std::to_string(index)));

    plat::DispatchGroup done;
    std::mutex lock;
    std::vector<bool> results;
    bool anyOnMainQueue = false;
    for (const std::string& archive : archives) {
        done.enter();
        processor.importProjectAtUrl(plat::URL::fileURLWithPath(archive), [&](bool imported, const auto&) {
            {
                std::lock_guard guard(lock);
                results.push_back(imported);
                anyOnMainQueue = anyOnMainQueue || plat::DispatchQueue::mainQueue().isCurrent();
            }
            // Unlocked first: once the last leaves, the test may end and take the mutex with it.
            done.leave();
        });
    }
    ASSERT_TRUE(done.wait(kGenerousTimeoutSeconds));

    EXPECT_EQ(results, std::vector<bool>(kImports, true));
    EXPECT_FALSE(anyOnMainQueue);
    const std::vector<std::string> expectedFolders {
        kFolderName, std::string(kFolderName) + "-2", std::string(kFolderName) + "-3", std::string(kFolderName) + "-4"};
    EXPECT_EQ(projectFolders(), expectedFolders);
    auto listed = zt::ProjectsList::projectNames().value();
    EXPECT_EQ(listed.back(), "older");
    listed.pop_back();
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, expectedFolders);
    std::vector<std::string> ids;
    for (const std::string& folder : expectedFolders)
        ids.push_back(readText(documents(folder + "/id.txt")));
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<std::string> {"0", "1", "2", "3"}));
}

// Runs ended once the projects were in place: the start lists them and
// removes their archives, but not another file put under an archive's name
// since, nor one outside the device.
TEST_F(ProjectImport, TheStartFinishesImportsCutShortAndKeepsAFileThatTookAnArchivesName)
{
    ASSERT_TRUE(zt::ProjectsList::replace({}));
    const std::vector<std::string> archives {
        makeProjectArchive("same.zantropemobile", "one"), makeProjectArchive("replaced.zantropemobile", "two")};
    std::vector<std::string> placed;
    for (const std::string& archive : archives) {
        auto folder = plat::createTemporaryFolderBeside(documents("built"));
        ASSERT_TRUE(folder.ok());
        auto name = zt::ProjectArrival::placeProjectDir(
            folder.value(), [&] { return processor.createRecordName(); }, archive);
        ASSERT_TRUE(name.ok());
        placed.insert(placed.begin(), name.value());
    }
    writeText(archives[1], "another");
    // A note as earlier versions wrote it, naming a file outside the device by its absolute path.
    plat::test::TemporaryFolder elsewhere;
    const std::string outside = elsewhere.path("theirs.zantropemobile");
    writeText(outside, "theirs");
    const auto theirs = plat::attributesOfItem(outside).value();
    placed.push_back(".plovix-2015-01-01-12-00-00");
    ASSERT_TRUE(plat::createDirectory(documents(placed.back()), plat::IntermediateDirectories::No).ok());
    ASSERT_TRUE(plat::writePropertyListFile(
        plat::Dictionary {{"Archive", outside}, {"ArchiveFileNumber", static_cast<int64_t>(theirs.fileNumber)},
            {"ArchiveSize", theirs.size}, {"ArchiveModified", theirs.modificationDate.timeIntervalSince1970()}},
        documents(placed.back() + "/.arriving"), plat::PropertyListFormat::Binary)
                    .ok());
    zt::ProjectArrival::finishArrivalsCutShort();
    EXPECT_EQ(zt::ProjectsList::projectNames(), placed);
    EXPECT_FALSE(plat::fileExists(archives[0]));
    EXPECT_EQ(readText(archives[1]), "another");
    EXPECT_EQ(readText(outside), "theirs");
    for (const std::string& name : placed)
        EXPECT_FALSE(plat::fileExists(documents(name + "/.arriving")));
}

TEST_F(ProjectImport, URLsThatAreNotFilesCompleteWithFailure)
{
    plat::DispatchGroup done;
    done.enter();
    std::optional<bool> result;
    std::optional<plat::Error> reported;
    processor.importProjectAtUrl(*plat::URL::URLWithString("https://example.com/p.zantropemobile"),
        [&](bool imported, const std::optional<plat::Error>& error) {
            result = imported;
            reported = error;
            done.leave();
        });
    ASSERT_TRUE(done.wait(kGenerousTimeoutSeconds));
    EXPECT_EQ(result, false);
    ASSERT_TRUE(reported.has_value()) << "the caller learns why";
    EXPECT_NE(reported->localizedDescription().find("not a file URL"), std::string::npos);
    EXPECT_EQ(projectFolders(), std::vector<std::string> {});
}

}  // namespace
