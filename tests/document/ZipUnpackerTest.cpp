// Archives from outside, made hostile on purpose, through the public
// unpacking call.
#include "document/ZipUnpacker.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "ZipTestSupport.h"
#include "document/QVZipArchive.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "support/LimitedFreeSpace.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::test::commandSucceeds;
using plat::test::errorCode;
using plat::test::existsWithoutFollowing;
using plat::test::pythonSucceeds;
using plat::test::readText;
using plat::test::writeText;

// A zip writer that states whatever it is told: sizes, counts and names as
// raw bytes, where python's zipfile would write the truth.
constexpr const char* kHandmadeZip = R"(
import zlib

def handmade_zip(path, entries, claimed_count=None):
    out = bytearray()
    central = bytearray()
    for e in entries:
        name, data = e['name'], e.get('data', b'')
        method = e.get('method', 0)
        payload = data
        if method == 8:
            c = zlib.compressobj(6, zlib.DEFLATED, -15)
            payload = c.compress(data) + c.flush()
        crc = zlib.crc32(data)
        size = e.get('declared', len(data))
        zip64 = size >= 0xFFFFFFFF or e.get('zip64', False)
        extra = struct.pack('<HHQQ', 1, 16, size, len(payload)) if zip64 else b''
        size32 = 0xFFFFFFFF if zip64 else size
        csize32 = 0xFFFFFFFF if zip64 else len(payload)
        need = 45 if zip64 else 20
        offset = len(out)
        out += struct.pack('<IHHHHHIIIHH', 0x04034b50, need, 0, method, 0, 0x21, crc, csize32, size32,
                           len(name), len(extra)) + name + extra + payload
        fields = struct.pack('<QQ', size, len(payload)) if zip64 else b''
        offset32 = offset
        if e.get('far', False):  # the local header's offset given as if beyond 4 GB
            fields += struct.pack('<Q', offset)
            offset32 = 0xFFFFFFFF
        central_extra = struct.pack('<HH', 1, len(fields)) + fields if fields else b''
        central += struct.pack('<IHHHHHHIIIHHHHHII', 0x02014b50, (3 << 8) | 45, need, 0, method, 0, 0x21, crc,
                               csize32, size32, len(name), len(central_extra), 0, 0, 0,
                               e.get('attributes', 0o100644 << 16), offset32) + name + central_extra
    directory_offset = len(out)
    out += central
    count = len(entries)
    if claimed_count is None:
        out += struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, count, count, len(central), directory_offset, 0)
    else:
        end64 = len(out)
        out += struct.pack('<IQHHIIQQQQ', 0x06064b50, 44, 45, 45, 0, 0, claimed_count, claimed_count,
                           len(central), directory_offset)
        out += struct.pack('<IIQI', 0x07064b50, 0, end64, 1)
        out += struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, 0xFFFF, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0)
    open(path, 'wb').write(out)
)";

class HostileZip : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(plat::createDirectory(work(), plat::IntermediateDirectories::Yes).ok());
        ASSERT_TRUE(plat::createDirectory(destination(), plat::IntermediateDirectories::Yes).ok());
    }
    std::string work(const std::string& name = {}) const { return inFolder("work", name); }
    // Deep enough that ".." steps from it stay in the test's own folder.
    std::string destination(const std::string& name = {}) const { return inFolder("a/b/out", name); }
    std::string inFolder(const std::string& base, const std::string& name) const
    {
        return name.empty() ? folder.path(base) : plat::appendingPathComponent(folder.path(base), name);
    }

    ::testing::AssertionResult makeArchive(const std::string& script)
    {
        return pythonSucceeds(work(), std::string(kHandmadeZip) + script);
    }

    // Writes work/damaged.zip: an intact entry first when one is named, then
    // `damaged`, a long deflated text with 64 bytes spoiled in its middle.
    ::testing::AssertionResult makeArchiveWithDamagedEntry(const std::string& damaged, const std::string& intact = {})
    {
        return pythonSucceeds(work(), R"(
damaged, intact = sys.argv[1], sys.argv[2]
text = b''.join(b'line %d of a long and rather repetitive text\n' % i for i in range(20000))
with zipfile.ZipFile('damaged.zip', 'w', zipfile.ZIP_DEFLATED) as z:
    if intact:
        z.writestr(intact, b'intact')
    z.writestr(damaged, text)
data = bytearray(open('damaged.zip', 'rb').read())
info = zipfile.ZipFile('damaged.zip').getinfo(damaged)
middle = info.header_offset + 30 + len(damaged) + info.compress_size // 2
for i in range(middle, middle + 64):
    data[i] ^= 0x5A
open('damaged.zip', 'wb').write(data)
)",
            {damaged, intact});
    }

    // Unpacks work/archive into the destination; the error code, or 0.
    int64_t unzip(const std::string& archive, zt::Overwrite overwrite = zt::Overwrite::Yes)
    {
        std::optional<plat::Error> error;
        bool unzipped
            = zt::QVZipArchive::unzipFileAtPath(work(archive), destination(), overwrite, std::nullopt, &error);
        EXPECT_EQ(unzipped, !error.has_value());
        return errorCode(error);
    }

    std::vector<std::string> destinationContents() const
    {
        auto names = plat::subpathsOfDirectory(destination());
        return names.ok() ? names.value() : std::vector<std::string> {"<no destination>"};
    }

    // Everything in the test's folder outside work/ and the destination.
    std::vector<std::string> strayFiles() const
    {
        std::vector<std::string> stray;
        auto all = plat::subpathsOfDirectory(folder.path());
        for (const std::string& path : all.value()) {
            if (path.rfind("work", 0) != 0 && path.rfind("a/b/out/", 0) != 0 && path != "a" && path != "a/b"
                && path != "a/b/out")
                stray.push_back(path);
        }
        return stray;
    }

    plat::test::TemporaryFolder folder;
};

TEST_F(HostileZip, NamesThatLeaveTheDestinationAreRefusedBeforeAnythingIsWritten)
{
    for (const char* name : {"../evil", "/abs", "C:\\x", "c:x", "..\\evil", "a/../../evil", "ok/..\\..\\evil", ".."}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(pythonSucceeds(work(), R"(
with zipfile.ZipFile('names.zip', 'w') as z:
    z.writestr('good.txt', b'fine')
    z.writestr(sys.argv[1], b'escaped')
)",
            {name}));
        EXPECT_EQ(unzip("names.zip"), zt::QVZipArchive::kErrorUnsafeFileName);
        EXPECT_EQ(destinationContents(), std::vector<std::string> {});
        EXPECT_EQ(strayFiles(), std::vector<std::string> {});
    }
}

TEST_F(HostileZip, NamesThatAreNotUtf8OrCarryNulAreRefused)
{
    for (const char* name : {R"(b'\xff\xfe.txt')", R"(b'a\x00b.txt')"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(makeArchive(std::string("handmade_zip('bad.zip', [{'name': ") + name + ", 'data': b'x'}])\n"));
        EXPECT_EQ(unzip("bad.zip"), zt::QVZipArchive::kErrorUnsafeFileName);
        EXPECT_EQ(destinationContents(), std::vector<std::string> {});
    }
}

TEST_F(HostileZip, SymbolicLinkEntriesAreNeverCreated)
{
    ASSERT_TRUE(pythonSucceeds(work(), R"(
with zipfile.ZipFile('link.zip', 'w') as z:
    link = zipfile.ZipInfo('passwd')
    link.create_system = 3
    link.external_attr = 0o120777 << 16
    z.writestr(link, b'/etc/passwd')
    z.writestr('frames.meta', b'frames')
)"));
    EXPECT_EQ(unzip("link.zip"), 0);
    EXPECT_FALSE(existsWithoutFollowing(destination("passwd")));
    EXPECT_EQ(readText(destination("frames.meta")), "frames");

    // The same from Info-ZIP, which stores a real link as a link.
    ASSERT_EQ(::symlink("/etc/hostname", work("hostlink").c_str()), 0);
    writeText(work("real.txt"), "real");
    ASSERT_TRUE(commandSucceeds(work(), {"zip", "-qy", "infozip.zip", "hostlink", "real.txt"}));
    EXPECT_EQ(unzip("infozip.zip"), 0);
    EXPECT_FALSE(existsWithoutFollowing(destination("hostlink")));
    EXPECT_EQ(readText(destination("real.txt")), "real");
}

TEST_F(HostileZip, TruncatedArchivesFailToOpen)
{
    ASSERT_TRUE(pythonSucceeds(work(), R"(
with zipfile.ZipFile('whole.zip', 'w', zipfile.ZIP_DEFLATED) as z:
    for i in range(5):
        z.writestr('frame-%d.jpg' % i, os.urandom(20000))
data = open('whole.zip', 'rb').read()
open('half.zip', 'wb').write(data[:len(data) // 2])
open('tail.zip', 'wb').write(data[:-10])
# The end record cut inside its comment length, as Info-ZIP and python refuse it.
open('short-1.zip', 'wb').write(data[:-1])
open('short-2.zip', 'wb').write(data[:-2])
)"));
    EXPECT_EQ(unzip("half.zip"), zt::QVZipArchive::kErrorFailedToOpenZipFile);
    EXPECT_NE(unzip("tail.zip"), 0);
    EXPECT_EQ(unzip("short-1.zip"), zt::QVZipArchive::kErrorFailedToOpenZipFile);
    EXPECT_EQ(unzip("short-2.zip"), zt::QVZipArchive::kErrorFailedToOpenZipFile);
    EXPECT_EQ(destinationContents(), std::vector<std::string> {});
}

TEST_F(HostileZip, DamagedDataFailsAndLeavesNoHalfWrittenFile)
{
    ASSERT_TRUE(makeArchiveWithDamagedEntry("second.txt", "first.txt"));
    EXPECT_EQ(unzip("damaged.zip"), zt::QVZipArchive::kErrorFailedToReadFile);
    EXPECT_FALSE(plat::fileExists(destination("second.txt")));
}

TEST_F(HostileZip, DataBeyondTheDeclaredSizeIsNeverWritten)
{
    ASSERT_TRUE(makeArchive(R"(
handmade_zip('bomb.zip', [{'name': b'bomb.bin', 'data': bytes(4 << 20), 'method': 8, 'declared': 1000}])
handmade_zip('stored.zip', [{'name': b'stored.bin', 'data': bytes(5000), 'declared': 1000}])
)"));
    EXPECT_EQ(unzip("bomb.zip"), zt::QVZipArchive::kErrorFailedToReadFile);
    EXPECT_EQ(unzip("stored.zip"), zt::QVZipArchive::kErrorFailedToReadFile);
    EXPECT_EQ(destinationContents(), std::vector<std::string> {});
}

TEST_F(HostileZip, DataShortOfTheDeclaredSizeFails)
{
    ASSERT_TRUE(makeArchive(R"(
handmade_zip('short.zip', [{'name': b'short.bin', 'data': bytes(1000), 'method': 8, 'declared': 5000}])
)"));
    EXPECT_EQ(unzip("short.zip"), zt::QVZipArchive::kErrorFailedToReadFile);
    EXPECT_EQ(destinationContents(), std::vector<std::string> {});
}

TEST_F(HostileZip, DeclaredSizesBeyondTheFreeSpaceAreRefusedBeforeWriting)
{
    ASSERT_TRUE(makeArchive(R"(
handmade_zip('huge.zip', [{'name': b'small.txt', 'data': b'small'},
                          {'name': b'huge.bin', 'data': b'tiny', 'declared': 1 << 60}])
handmade_zip('many.zip', [{'name': b'part-%d.bin' % i, 'data': b'x', 'declared': 1 << 58} for i in range(8)])
)"));
    EXPECT_EQ(unzip("huge.zip"), zt::QVZipArchive::kErrorNotEnoughSpace);
    // Eight times 2^58 passes 2^64: the sum must not wrap around.
    EXPECT_EQ(unzip("many.zip"), zt::QVZipArchive::kErrorNotEnoughSpace);
    EXPECT_EQ(destinationContents(), std::vector<std::string> {});
}

TEST_F(HostileZip, TooLittleFreeSpaceIsToldInSizesAPersonReadsWithoutPaths)
{
    ASSERT_TRUE(makeArchive(R"(
handmade_zip('big.zip', [{'name': b'frame-A.jpg', 'data': b'tiny', 'declared': 3226397369}])
handmade_zip('small.zip', [{'name': b'frame-A.jpg', 'data': b'tiny', 'declared': 480000}])
)"));
    struct Case {
        const char* archive;
        uint64_t freeBytes;
        const char* told;
    };
    // Unpacking leaves 32 MiB free: told apart from what the archive needs.
    const Case cases[] = {
        {"big.zip", 303423488,
            "Not enough free space to unpack this archive: 3.23 GB needed and 33.6 MB kept free, 303.4 MB available."},
        {"small.zip", 20000,
            "Not enough free space to unpack this archive: 480 KB needed and 33.6 MB kept free, 20 KB available."},
    };
    for (const Case& c : cases) {
        plat::test::LimitedFreeSpace limited(c.freeBytes);
        std::optional<plat::Error> error;
        EXPECT_FALSE(zt::QVZipArchive::unzipFileAtPath(
            work(c.archive), destination(), zt::Overwrite::Yes, std::nullopt, &error));
        ASSERT_TRUE(error) << c.archive;
        EXPECT_EQ(error->localizedDescription(), c.told);
    }
    EXPECT_EQ(destinationContents(), std::vector<std::string> {});
}

TEST_F(HostileZip, Zip64SizesAndOffsetsAreTakenFromTheExtraField)
{
    ASSERT_TRUE(makeArchive(R"(
data = b''.join(b'zip64 line %d\n' % i for i in range(10000))
handmade_zip('z64.zip', [{'name': b'first.txt', 'data': data, 'method': 8, 'zip64': True},
                         {'name': b'second.txt', 'data': b'after', 'zip64': True},
                         {'name': b'far.txt', 'data': b'far away', 'far': True}])
open('expected.txt', 'wb').write(data)
)"));
    EXPECT_EQ(unzip("z64.zip"), 0);
    EXPECT_EQ(readText(destination("first.txt")), readText(work("expected.txt")));
    EXPECT_EQ(readText(destination("second.txt")), "after");
    EXPECT_EQ(readText(destination("far.txt")), "far away");
}

TEST_F(HostileZip, AHugeEntryCountIsRefused)
{
    ASSERT_TRUE(makeArchive(R"(
handmade_zip('count.zip', [{'name': b'one.txt', 'data': b'1'}], claimed_count=10**9)
)"));
    EXPECT_EQ(unzip("count.zip"), zt::QVZipArchive::kErrorTooManyFiles);
    EXPECT_EQ(destinationContents(), std::vector<std::string> {});
}

TEST_F(HostileZip, CompressionMethodsOtherThanDeflateAreRefused)
{
    ASSERT_TRUE(pythonSucceeds(work(), R"(
with zipfile.ZipFile('bzip2.zip', 'w') as z:
    z.writestr('plain.txt', b'plain')
    z.writestr('packed.txt', b'packed' * 100, zipfile.ZIP_BZIP2)
)"));
    EXPECT_EQ(unzip("bzip2.zip"), zt::QVZipArchive::kErrorUnsupportedEntry);
    EXPECT_EQ(destinationContents(), std::vector<std::string> {});
}

TEST_F(HostileZip, AFileInTheWayOfAFolderFails)
{
    ASSERT_TRUE(pythonSucceeds(work(), R"(
with zipfile.ZipFile('clash.zip', 'w') as z:
    z.writestr('a', b'a file')
    z.writestr('a/b.txt', b'below a file')
)"));
    EXPECT_EQ(unzip("clash.zip"), zt::QVZipArchive::kErrorFailedToCreateFile);
    EXPECT_EQ(readText(destination("a")), "a file");
}

TEST_F(HostileZip, LinksAlreadyInTheDestinationAreNotFollowed)
{
    ASSERT_TRUE(plat::createDirectory(folder.path("elsewhere"), plat::IntermediateDirectories::No).ok());
    ASSERT_EQ(::symlink(folder.path("elsewhere").c_str(), destination("link").c_str()), 0);
    writeText(folder.path("elsewhere/victim.txt"), "untouched");
    ASSERT_EQ(::symlink(folder.path("elsewhere/victim.txt").c_str(), destination("victim.txt").c_str()), 0);
    ASSERT_TRUE(pythonSucceeds(work(), R"(
with zipfile.ZipFile('through.zip', 'w') as z:
    z.writestr('link/planted.txt', b'planted')
with zipfile.ZipFile('over.zip', 'w') as z:
    z.writestr('victim.txt', b'overwritten')
)"));
    EXPECT_EQ(unzip("through.zip"), zt::QVZipArchive::kErrorFailedToCreateFile);
    EXPECT_EQ(unzip("over.zip"), zt::QVZipArchive::kErrorFailedToCreateFile);
    EXPECT_EQ(plat::contentsOfDirectory(folder.path("elsewhere")).value(), std::vector<std::string> {"victim.txt"});
    EXPECT_EQ(readText(folder.path("elsewhere/victim.txt")), "untouched");
}

TEST_F(HostileZip, HardLinksAlreadyInTheDestinationAreReplacedNotWrittenThrough)
{
    ASSERT_TRUE(plat::createDirectory(folder.path("elsewhere"), plat::IntermediateDirectories::No).ok());
    writeText(folder.path("elsewhere/victim.txt"), "untouched");
    ASSERT_EQ(::link(folder.path("elsewhere/victim.txt").c_str(), destination("victim.txt").c_str()), 0);
    ASSERT_TRUE(pythonSucceeds(work(), R"(
with zipfile.ZipFile('over.zip', 'w') as z:
    z.writestr('victim.txt', b'overwritten')
)"));
    EXPECT_EQ(unzip("over.zip"), 0);
    EXPECT_EQ(readText(destination("victim.txt")), "overwritten");
    EXPECT_EQ(readText(folder.path("elsewhere/victim.txt")), "untouched");
}

TEST_F(HostileZip, AFileThatADamagedEntryWouldReplaceStaysAsItWas)
{
    writeText(destination("kept.txt"), "the user's own");
    ASSERT_TRUE(makeArchiveWithDamagedEntry("kept.txt"));
    EXPECT_EQ(unzip("damaged.zip"), zt::QVZipArchive::kErrorFailedToReadFile);
    EXPECT_EQ(readText(destination("kept.txt")), "the user's own");
    EXPECT_EQ(destinationContents(), std::vector<std::string> {"kept.txt"});
}

TEST_F(HostileZip, ModesFromOutsideLoseSpecialBitsAndStayReadable)
{
    ASSERT_TRUE(makeArchive(R"(
handmade_zip('modes.zip', [{'name': b'setuid', 'data': b'x', 'attributes': 0o104777 << 16},
                           {'name': b'locked', 'data': b'y', 'attributes': 0o100000 << 16 | 0o000 << 16}])
)"));
    EXPECT_EQ(unzip("modes.zip"), 0);
    struct stat info { };
    ASSERT_EQ(::stat(destination("setuid").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0777u);
    EXPECT_EQ(readText(destination("locked")), "y");
}

TEST_F(HostileZip, WithoutAPasswordEncryptedEntriesAreRefusedBeforeWriting)
{
    writeText(work("plain.txt"), "plain");
    writeText(work("secret.txt"), "secret");
    ASSERT_TRUE(commandSucceeds(work(), {"zip", "-q", "mixed.zip", "plain.txt"}));
    ASSERT_TRUE(commandSucceeds(work(), {"zip", "-q", "-P", "pw", "mixed.zip", "secret.txt"}));
    EXPECT_EQ(unzip("mixed.zip"), zt::QVZipArchive::kErrorPasswordRequired);
    EXPECT_EQ(destinationContents(), std::vector<std::string> {});
}

}  // namespace
