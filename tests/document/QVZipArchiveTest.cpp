#include "document/QVZipArchive.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "ZipTestSupport.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "support/DateTestSupport.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::test::commandSucceeds;
using plat::test::errorCode;
using plat::test::pythonSucceeds;
using plat::test::readText;
using plat::test::writeText;

// 2024-06-15 13:45:20 in Berlin (summer time, UTC+2).
constexpr uint32_t kDosDate20240615134520 = (44u << 25) | (6u << 21) | (15u << 16) | (13u << 11) | (45u << 5) | 10u;
constexpr double kUnix20240615134520Berlin = 1718451920;

void setModificationTime(const std::string& path, time_t unixSeconds)
{
    const timespec times[2] = {{unixSeconds, 0}, {unixSeconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

struct stat statOf(const std::string& path)
{
    struct stat info { };
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info;
}

class ZipArchive : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(plat::createDirectory(work(), plat::IntermediateDirectories::No).ok());
        ASSERT_TRUE(plat::createDirectory(source(), plat::IntermediateDirectories::No).ok());
    }
    std::string work(const std::string& name = {}) const { return joined("work", name); }
    std::string source(const std::string& name = {}) const { return joined("src", name); }
    std::string out(const std::string& name = {}) const { return joined("out", name); }

    std::string joined(const std::string& base, const std::string& name) const
    {
        return name.empty() ? folder.path(base) : plat::appendingPathComponent(folder.path(base), name);
    }

    plat::test::ScopedEnvironmentVariable timeZone {"TZ", "Europe/Berlin"};
    plat::test::TemporaryFolder folder;
};

TEST_F(ZipArchive, DosDateConvertsToLocalTime)
{
    plat::Date date = zt::QVZipArchive::_dateWithMSDOSFormat(kDosDate20240615134520);
    EXPECT_EQ(date.timeIntervalSince1970(), kUnix20240615134520Berlin);
}

TEST_F(ZipArchive, EntryDateRecordTakesLocalFieldsWithinTheDosYears)
{
    zt::QVZipArchive archive(work("a.zip"));
    zt::QVZipFileInfo info;
    archive.zipInfo(info, plat::Date::withTimeIntervalSince1970(kUnix20240615134520Berlin));
    EXPECT_EQ((std::vector<uint32_t> {info.year, info.month, info.dayOfMonth, info.hours, info.minutes, info.seconds}),
        (std::vector<uint32_t> {2024, 5, 15, 13, 45, 20}));

    archive.zipInfo(info, plat::Date::withTimeIntervalSince1970(0));  // 1970: before DOS dates begin
    EXPECT_EQ((std::vector<uint32_t> {info.year, info.month, info.dayOfMonth, info.hours, info.minutes, info.seconds}),
        (std::vector<uint32_t> {1980, 0, 1, 0, 0, 0}));

    archive.zipInfo(info, plat::Date::withTimeIntervalSince1970(7258118400));  // 2200
    EXPECT_EQ((std::vector<uint32_t> {info.year, info.month, info.dayOfMonth, info.hours, info.minutes, info.seconds}),
        (std::vector<uint32_t> {2107, 11, 31, 23, 59, 58}));
}

TEST_F(ZipArchive, PackedFilesUnpackWithContentsDatesAndPermissions)
{
    writeText(source("plovix.meta"), "<plist/>");
    writeText(source("frame-A.jpg"), std::string(100000, 'j'));
    ASSERT_EQ(::chmod(source("frame-A.jpg").c_str(), 0640), 0);
    setModificationTime(source("plovix.meta"), 1577930646);  // 2020-01-02 03:04:06 local
    setModificationTime(source("frame-A.jpg"), 1625728212);

    std::optional<plat::Error> error;
    ASSERT_TRUE(
        zt::QVZipArchive::createZipFileAtPath(work("p.zip"), {source("plovix.meta"), source("frame-A.jpg")}, &error));
    ASSERT_TRUE(zt::QVZipArchive::unzipFileAtPath(work("p.zip"), out()));

    EXPECT_EQ(readText(out("plovix.meta")), "<plist/>");
    EXPECT_EQ(readText(out("frame-A.jpg")), std::string(100000, 'j'));
    EXPECT_EQ(statOf(out("plovix.meta")).st_mtime, 1577930646);
    EXPECT_EQ(statOf(out("frame-A.jpg")).st_mtime, 1625728212);
    EXPECT_EQ(statOf(out("frame-A.jpg")).st_mode & 07777, 0640u);
}

TEST_F(ZipArchive, PythonReadsFlatDeflatedEntriesWithUnixModesAndLocalDates)
{
    ASSERT_TRUE(plat::createDirectory(source("nested"), plat::IntermediateDirectories::No).ok());
    writeText(source("nested/thumb-A.jpg"), "thumb");
    writeText(source("frames.meta"), "frames");
    ASSERT_EQ(::chmod(source("frames.meta").c_str(), 0604), 0);
    setModificationTime(source("frames.meta"), 1577930646);
    ASSERT_TRUE(
        zt::QVZipArchive::createZipFileAtPath(work("p.zip"), {source("frames.meta"), source("nested/thumb-A.jpg")}));

    EXPECT_TRUE(pythonSucceeds(work(), R"(
with zipfile.ZipFile('p.zip') as z:
    assert z.testzip() is None
    infos = z.infolist()
    assert [i.filename for i in infos] == ['frames.meta', 'thumb-A.jpg'], [i.filename for i in infos]
    assert all(i.compress_type == zipfile.ZIP_DEFLATED for i in infos)
    assert infos[0].create_system == 3
    assert infos[0].external_attr >> 16 == 0o100604, oct(infos[0].external_attr >> 16)
    assert infos[0].date_time == (2020, 1, 2, 3, 4, 6), infos[0].date_time
    assert z.read('thumb-A.jpg') == b'thumb'
)"));
}

TEST_F(ZipArchive, InfoZipUnzipExtractsOurArchive)
{
    std::string big(300000, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>((i * 7919) >> 3);
    writeText(source("frame-B.jpg"), big);
    writeText(source("plovix.meta"), "meta");
    ASSERT_TRUE(zt::QVZipArchive::createZipFileAtPath(work("p.zip"), {source("frame-B.jpg"), source("plovix.meta")}));

    EXPECT_TRUE(commandSucceeds(work(), {"unzip", "-tq", "p.zip"}));
    ASSERT_TRUE(commandSucceeds(work(), {"unzip", "-q", "p.zip", "-d", out()}));
    EXPECT_EQ(readText(out("frame-B.jpg")), big);
    EXPECT_EQ(readText(out("plovix.meta")), "meta");
}

TEST_F(ZipArchive, FolderPackingStoresRelativePathsButNoFolders)
{
    ASSERT_TRUE(plat::createDirectory(source("a/b"), plat::IntermediateDirectories::Yes).ok());
    ASSERT_TRUE(plat::createDirectory(source("empty"), plat::IntermediateDirectories::Yes).ok());
    writeText(source("a/b/deep.txt"), "deep");
    writeText(source("top.txt"), "top");
    writeText(source("old.zip"), "an archive left from before, replaced by the new one");

    ASSERT_TRUE(zt::QVZipArchive::createZipFileAtPathWithContentsOfDirectory(source("old.zip"), source()));
    EXPECT_TRUE(pythonSucceeds(work(), R"(
with zipfile.ZipFile(sys.argv[1]) as z:
    assert z.namelist() == ['a/b/deep.txt', 'top.txt'], z.namelist()
    assert z.read('a/b/deep.txt') == b'deep'
)",
        {source("old.zip")}));
}

TEST_F(ZipArchive, PackingFailsWholeWhenAFileCannotBeRead)
{
    writeText(source("plovix.meta"), "meta");
    std::optional<plat::Error> error;
    EXPECT_FALSE(
        zt::QVZipArchive::createZipFileAtPath(work("p.zip"), {source("plovix.meta"), source("missing.jpg")}, &error));
    EXPECT_EQ(error->domain(), "QVZipArchiveErrorDomain");
    EXPECT_EQ(error->code(), zt::QVZipArchive::kErrorFailedToAddFile);
    EXPECT_FALSE(plat::fileExists(work("p.zip")));

    error.reset();
    EXPECT_FALSE(zt::QVZipArchive::createZipFileAtPath(work("p.zip"), {source()}, &error));  // a folder
    EXPECT_EQ(errorCode(error), zt::QVZipArchive::kErrorFailedToAddFile);
    EXPECT_FALSE(plat::fileExists(work("p.zip")));
}

TEST_F(ZipArchive, AnArchiveThatCannotBeCreatedFails)
{
    writeText(source("plovix.meta"), "meta");
    std::optional<plat::Error> error;
    EXPECT_FALSE(zt::QVZipArchive::createZipFileAtPath(work("missing/p.zip"), {source("plovix.meta")}, &error));
    EXPECT_EQ(errorCode(error), zt::QVZipArchive::kErrorFailedToWriteZipFile);

    zt::QVZipArchive notOpen(work("never.zip"));
    EXPECT_FALSE(notOpen.writeData({1, 2, 3}, "data.bin"));
    EXPECT_FALSE(notOpen.writeFile(source("plovix.meta")));
}

TEST_F(ZipArchive, DataEntriesWithUnicodeNamesReadBackInPython)
{
    zt::QVZipArchive archive(work("d.zip"));
    ASSERT_TRUE(archive.open());
    ASSERT_TRUE(archive.writeData({'h', 'i'}, "Grüße.txt"));
    ASSERT_TRUE(archive.writeData({}, "empty.bin"));
    ASSERT_TRUE(archive.close());

    EXPECT_TRUE(pythonSucceeds(work(), R"(
with zipfile.ZipFile('d.zip') as z:
    assert z.namelist() == ['Grüße.txt', 'empty.bin'], z.namelist()
    assert z.read('Grüße.txt') == b'hi' and z.read('empty.bin') == b''
)"));
    ASSERT_TRUE(zt::QVZipArchive::unzipFileAtPath(work("d.zip"), out()));
    EXPECT_EQ(readText(out("Grüße.txt")), "hi");
    EXPECT_EQ(readText(out("empty.bin")), "");
}

TEST_F(ZipArchive, FolderEntriesKeepTheirOwnDates)
{
    ASSERT_TRUE(pythonSucceeds(work(), R"(
with zipfile.ZipFile('f.zip', 'w') as z:
    z.writestr(zipfile.ZipInfo('dir/', (2020, 1, 2, 3, 4, 6)), b'')
    z.writestr(zipfile.ZipInfo('dir/inner.txt', (2021, 7, 8, 9, 10, 12)), b'inner', zipfile.ZIP_DEFLATED)
)"));
    ASSERT_TRUE(zt::QVZipArchive::unzipFileAtPath(work("f.zip"), out()));
    EXPECT_EQ(readText(out("dir/inner.txt")), "inner");
    EXPECT_EQ(statOf(out("dir")).st_mtime, 1577930646);
    EXPECT_EQ(statOf(out("dir/inner.txt")).st_mtime, 1625728212);
}

TEST_F(ZipArchive, InfoZipArchivesOfFoldersUnpack)
{
    ASSERT_TRUE(plat::createDirectory(source("sub/deeper"), plat::IntermediateDirectories::Yes).ok());
    writeText(source("sub/deeper/x.txt"), std::string(50000, 'x'));
    writeText(source("sub/y.txt"), "y");
    ASSERT_TRUE(commandSucceeds(source(), {"zip", "-qr", work("i.zip"), "sub"}));
    ASSERT_TRUE(zt::QVZipArchive::unzipFileAtPath(work("i.zip"), out()));
    EXPECT_EQ(readText(out("sub/deeper/x.txt")), std::string(50000, 'x'));
    EXPECT_EQ(readText(out("sub/y.txt")), "y");
}

TEST_F(ZipArchive, BackslashesInNamesSeparateFolders)
{
    ASSERT_TRUE(pythonSucceeds(work(), R"(
with zipfile.ZipFile('b.zip', 'w') as z:
    z.writestr('folder\\file.txt', b'in a folder')
)"));
    ASSERT_TRUE(zt::QVZipArchive::unzipFileAtPath(work("b.zip"), out()));
    EXPECT_EQ(readText(out("folder/file.txt")), "in a folder");
}

TEST_F(ZipArchive, OverwriteNoSkipsExistingFilesAndYesReplacesThem)
{
    ASSERT_TRUE(pythonSucceeds(work(), R"(
with zipfile.ZipFile('o.zip', 'w') as z:
    z.writestr('same.txt', b'from the archive')
    z.writestr('new.txt', b'new')
)"));
    ASSERT_TRUE(plat::createDirectory(out(), plat::IntermediateDirectories::No).ok());
    writeText(out("same.txt"), "mine");

    ASSERT_TRUE(zt::QVZipArchive::unzipFileAtPath(work("o.zip"), out(), zt::Overwrite::No, std::nullopt, nullptr));
    EXPECT_EQ(readText(out("same.txt")), "mine");
    EXPECT_EQ(readText(out("new.txt")), "new");

    ASSERT_TRUE(zt::QVZipArchive::unzipFileAtPath(work("o.zip"), out(), zt::Overwrite::Yes, std::nullopt, nullptr));
    EXPECT_EQ(readText(out("same.txt")), "from the archive");
}

class RecordingDelegate : public zt::QVZipArchiveDelegate {
public:
    void zipArchiveWillUnzipArchiveAtPath(const std::string&, const zt::QVZipGlobalInfo& info) override
    {
        events.push_back("will archive " + std::to_string(info.numberOfEntries));
    }
    void zipArchiveDidUnzipArchiveAtPath(const std::string&, const zt::QVZipGlobalInfo&, const std::string&) override
    {
        events.push_back("did archive");
    }
    void zipArchiveWillUnzipFileAtIndex(
        int64_t index, int64_t total, const std::string&, const zt::QVZipEntryInfo& info) override
    {
        events.push_back("will " + std::to_string(index) + "/" + std::to_string(total) + " "
            + std::to_string(info.uncompressedSize));
    }
    void zipArchiveDidUnzipFileAtIndex(int64_t index, int64_t, const std::string&, const zt::QVZipEntryInfo&) override
    {
        events.push_back("did " + std::to_string(index));
    }
    void zipArchiveProgressEvent(int64_t loaded, int64_t total) override { progress.emplace_back(loaded, total); }

    std::vector<std::string> events;
    std::vector<std::pair<int64_t, int64_t>> progress;
};

TEST_F(ZipArchive, DelegateHearsEachEntryInOrderAndProgressEndsAtTheArchiveSize)
{
    writeText(source("one.txt"), "1");
    writeText(source("two.txt"), "22");
    ASSERT_TRUE(zt::QVZipArchive::createZipFileAtPath(work("p.zip"), {source("one.txt"), source("two.txt")}));
    auto archiveSize = static_cast<int64_t>(statOf(work("p.zip")).st_size);

    RecordingDelegate delegate;
    ASSERT_TRUE(zt::QVZipArchive::unzipFileAtPath(work("p.zip"), out(), &delegate));
    EXPECT_EQ(delegate.events,
        (std::vector<std::string> {"will archive 2", "will 0/2 1", "did 0", "will 1/2 2", "did 1", "did archive"}));
    ASSERT_EQ(delegate.progress.size(), 4u);
    EXPECT_EQ(delegate.progress.front(), std::make_pair(int64_t(0), archiveSize));
    EXPECT_LT(delegate.progress[1].first, delegate.progress[2].first);
    EXPECT_EQ(delegate.progress.back(), std::make_pair(archiveSize, archiveSize));
}

TEST_F(ZipArchive, PasswordProtectedEntriesNeedTheRightPassword)
{
    writeText(source("secret.txt"), std::string(20000, 's'));
    writeText(source("stored.txt"), "stored secret");
    ASSERT_TRUE(commandSucceeds(source(), {"zip", "-q", "-P", "opensesame", work("s.zip"), "secret.txt"}));
    ASSERT_TRUE(commandSucceeds(source(), {"zip", "-q", "-0", "-P", "opensesame", work("s.zip"), "stored.txt"}));

    std::optional<plat::Error> error;
    EXPECT_FALSE(zt::QVZipArchive::unzipFileAtPath(work("s.zip"), out(), zt::Overwrite::Yes, std::nullopt, &error));
    EXPECT_EQ(errorCode(error), zt::QVZipArchive::kErrorPasswordRequired);
    EXPECT_FALSE(plat::fileExists(out()));

    error.reset();
    EXPECT_FALSE(
        zt::QVZipArchive::unzipFileAtPath(work("s.zip"), out(), zt::Overwrite::Yes, std::string("wrong"), &error));
    EXPECT_EQ(errorCode(error), zt::QVZipArchive::kErrorWrongPassword);
    EXPECT_FALSE(plat::fileExists(out("secret.txt")));

    ASSERT_TRUE(zt::QVZipArchive::unzipFileAtPath(
        work("s.zip"), out(), zt::Overwrite::Yes, std::string("opensesame"), nullptr));
    EXPECT_EQ(readText(out("secret.txt")), std::string(20000, 's'));
    EXPECT_EQ(readText(out("stored.txt")), "stored secret");
}

TEST_F(ZipArchive, APasswordLeavesPlainEntriesAlone)
{
    writeText(source("plain.txt"), "plain");
    ASSERT_TRUE(zt::QVZipArchive::createZipFileAtPath(work("p.zip"), {source("plain.txt")}));
    ASSERT_TRUE(
        zt::QVZipArchive::unzipFileAtPath(work("p.zip"), out(), zt::Overwrite::Yes, std::string("unused"), nullptr));
    EXPECT_EQ(readText(out("plain.txt")), "plain");
}

TEST_F(ZipArchive, FilesThatAreNotArchivesAndEmptyArchivesFail)
{
    writeText(work("text.zip"), "this is not a zip archive at all");
    std::optional<plat::Error> error;
    EXPECT_FALSE(zt::QVZipArchive::unzipFileAtPath(work("text.zip"), out(), zt::Overwrite::Yes, std::nullopt, &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain(), "QVZipArchiveErrorDomain");
    EXPECT_EQ(error->code(), -1);
    EXPECT_EQ(error->localizedDescription(), "failed to open zip file");
    EXPECT_FALSE(zt::QVZipArchive::unzipFileAtPath(work("missing.zip"), out()));
    EXPECT_FALSE(zt::QVZipArchive::unzipFileAtPath(work(), out()));  // a folder
    ASSERT_EQ(::mkfifo(work("fifo.zip").c_str(), 0600), 0);
    EXPECT_FALSE(zt::QVZipArchive::unzipFileAtPath(work("fifo.zip"), out()));  // and no wait for a writer

    // An archive without entries (behind a stub, as self-extracting archives are).
    ASSERT_TRUE(pythonSucceeds(work(), R"(
zipfile.ZipFile('empty.zip', 'w').close()
open('stub.zip', 'wb').write(b'#!stub\n' + open('empty.zip', 'rb').read())
)"));
    EXPECT_FALSE(zt::QVZipArchive::unzipFileAtPath(work("empty.zip"), out()));
    error.reset();
    EXPECT_FALSE(zt::QVZipArchive::unzipFileAtPath(work("stub.zip"), out(), zt::Overwrite::Yes, std::nullopt, &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), -2);
    EXPECT_EQ(error->localizedDescription(), "failed to open first file in zip file");
    EXPECT_FALSE(plat::fileExists(out()));
}

}  // namespace
