#include "platform/foundation/Files.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"
#include "support/FailingWrites.h"
#include "support/NoFreeFileDescriptors.h"
#include "support/TemporarySandbox.h"

namespace {

// Makes every move from a path containing pathPart take the way across file
// systems, failing at point, while in scope.
class FailingMoves {
public:
    FailingMoves(std::string pathPart, plat::detail::MoveFailurePoint point)
    {
        plat::detail::setMoveFaultInjector([pathPart = std::move(pathPart), point](const std::string& from) {
            return from.find(pathPart) != std::string::npos ? point : plat::detail::MoveFailurePoint::None;
        });
    }
    ~FailingMoves() { plat::detail::setMoveFaultInjector({}); }
    FailingMoves(const FailingMoves&) = delete;
    FailingMoves& operator=(const FailingMoves&) = delete;
};

class Files : public ::testing::Test {
protected:
    plat::test::TemporaryFolder folder;

    std::vector<std::string> names() { return plat::contentsOfDirectory(folder.path()).value(); }

    std::string text(const std::string& path)
    {
        auto data = plat::readFile(path);
        EXPECT_TRUE(data.ok());
        return data.ok() ? std::string(data.value().begin(), data.value().end()) : std::string();
    }
};

TEST_F(Files, AtomicWriteReplacesTheWholeFileAndLeavesNoTemporaryFiles)
{
    std::string path = folder.path("settings.plist");
    ASSERT_TRUE(plat::writeFileAtomically(path, std::string_view("first")).ok());
    ASSERT_TRUE(plat::writeFileAtomically(path, std::string_view("second, longer")).ok());
    EXPECT_EQ(text(path), "second, longer");
    auto names = plat::contentsOfDirectory(folder.path());
    ASSERT_TRUE(names.ok());
    EXPECT_EQ(names.value(), std::vector<std::string> {"settings.plist"});
}

// With its owner's reading and writing at least: a file that cannot be read
// back would pass that on to every file written over it.
TEST_F(Files, AtomicWriteKeepsThePermissionsOfTheReplacedFile)
{
    const std::pair<uint32_t, uint32_t> cases[] = {{0600, 0600}, {0640, 0640}, {0, 0600}, {0444, 0644}};
    std::string path = folder.path("secret");
    ASSERT_TRUE(plat::writeFileAtomically(path, std::string_view("a")).ok());
    for (const auto& [replaced, written] : cases) {
        ASSERT_TRUE(plat::setPermissions(path, replaced).ok());
        ASSERT_TRUE(plat::writeFileAtomically(path, std::string_view("b")).ok());
        EXPECT_EQ(plat::attributesOfItem(path).value().permissions, written) << std::oct << replaced;
        ASSERT_TRUE(plat::setPermissions(path, replaced).ok());
        auto writer = plat::AtomicFileWriter::create(path);
        ASSERT_TRUE(writer.ok() && writer.value()->commit().ok());
        EXPECT_EQ(plat::attributesOfItem(path).value().permissions, written) << std::oct << replaced << " in pieces";
    }
}

TEST_F(Files, AnInterruptedWriteLeavesThePreviousFileWhole)
{
    std::string path = folder.path("frames.meta");
    ASSERT_TRUE(plat::writeFileAtomically(path, std::string_view("old contents")).ok());
    for (auto point : {plat::detail::WriteFailurePoint::BeforeWriting,
             plat::detail::WriteFailurePoint::AfterHalfTheBytes, plat::detail::WriteFailurePoint::BeforeRename}) {
        plat::test::FailingWrites failing("frames.meta", point);
        EXPECT_FALSE(plat::writeFileAtomically(path, std::string_view("new contents, longer")).ok());
        EXPECT_EQ(text(path), "old contents");
        EXPECT_EQ(names().size(), 1u);  // no temporary file left behind
    }
    EXPECT_TRUE(plat::writeFileAtomically(path, std::string_view("new")).ok());
    EXPECT_EQ(text(path), "new");
}

TEST_F(Files, AtomicWriteFlushesTheFolderAfterTheRenameAndSaysWhenThatFails)
{
    std::string path = folder.path("projects.plist");
    ASSERT_TRUE(plat::writeFileAtomically(path, std::string_view("old")).ok());
    plat::test::FailingWrites failing("projects.plist", plat::detail::WriteFailurePoint::FlushingFolder);
    auto written = plat::writeFileAtomically(path, std::string_view("new"));
    ASSERT_FALSE(written.ok());
    EXPECT_EQ(written.error().code(), EIO);
    EXPECT_NE(written.error().localizedDescription().find("the new contents are in place"), std::string::npos);
    // The rename happened: the new contents are what a reader sees.
    EXPECT_EQ(text(path), "new");
    EXPECT_EQ(names(), std::vector<std::string> {"projects.plist"});
}

// An item built aside replaces what was at its place whole, or, when that
// fails, leaves it as it was; either way no temporary name remains.
TEST_F(Files, AnItemBuiltAsideReplacesWhatWasThereWholeOrNotAtAll)
{
    using Point = plat::detail::WriteFailurePoint;
    enum class Kind { None, File, Folder };
    struct Case {
        Kind before;
        Kind built;
        Point failure;
        const char* after;
    };
    const std::string item = folder.path("export");
    auto make = [&](const std::string& path, Kind kind, const std::string& text) {
        if (kind == Kind::File) {
            ASSERT_TRUE(plat::writeFileAtomically(path, text).ok());
        } else if (kind == Kind::Folder) {
            ASSERT_TRUE(plat::createDirectory(path, plat::IntermediateDirectories::No).ok());
            ASSERT_TRUE(plat::writeFileAtomically(path + "/" + text + ".jpg", text).ok());
        }
    };
    // "file old", or "folder" and the names in it.
    auto describe = [&]() -> std::string {
        if (!plat::fileExists(item))
            return "nothing";
        if (!plat::isDirectory(item))
            return "file " + text(item);
        std::string described = "folder";
        auto listed = plat::contentsOfDirectory(item);
        for (const auto& name : listed.value())
            described += " " + name;
        return described;
    };
    for (const Case& c : {
             Case {Kind::None, Kind::File, Point::None, "file new"},
             Case {Kind::File, Kind::File, Point::None, "file new"},
             Case {Kind::None, Kind::Folder, Point::None, "folder new.jpg"},
             Case {Kind::Folder, Kind::Folder, Point::None, "folder new.jpg"},
             Case {Kind::File, Kind::Folder, Point::None, "folder new.jpg"},
             Case {Kind::Folder, Kind::File, Point::None, "file new"},
             Case {Kind::File, Kind::File, Point::BeforeRename, "file old"},
             Case {Kind::Folder, Kind::Folder, Point::BeforeRename, "folder old.jpg"},
             Case {Kind::File, Kind::File, Point::FlushingItem, "file old"},
             Case {Kind::Folder, Kind::Folder, Point::FlushingItem, "folder old.jpg"},
             Case {Kind::Folder, Kind::Folder, Point::ReadOnly, "folder old.jpg"},
         }) {
        ASSERT_TRUE(plat::removeItemIfExists(item).ok());
        make(item, c.before, "old");
        std::string built = c.built == Kind::Folder ? plat::createTemporaryFolderBeside(item).value()
                                                    : plat::temporaryPathBeside(item);
        if (c.built == Kind::Folder)
            ASSERT_TRUE(plat::writeFileAtomically(built + "/new.jpg", std::string("new")).ok());
        else
            make(built, Kind::File, "new");
        plat::test::FailingWrites failing("export", c.failure);
        auto replaced = plat::replaceItemWithItemBuiltAside(built, item);
        EXPECT_EQ(replaced.ok(), c.failure == Point::None) << c.after;
        EXPECT_EQ(describe(), c.after);
        EXPECT_EQ(names(), std::vector<std::string> {"export"}) << c.after << ": nothing left aside";
    }
}

// A rename that the file system itself refuses: a name longer than a
// folder entry may be.
TEST_F(Files, AnItemBuiltAsideWhoseRenameIsRefusedLeavesNothingAside)
{
    enum class Built { File, Folder };
    const std::string item = folder.path(std::string(260, 'n'));  // past the 255 bytes of a name
    for (Built kind : {Built::File, Built::Folder}) {
        const bool isFolder = kind == Built::Folder;
        std::string built
            = isFolder ? plat::createTemporaryFolderBeside(item).value() : plat::temporaryPathBeside(item);
        ASSERT_TRUE(plat::writeFileAtomically(isFolder ? built + "/new.jpg" : built, std::string("new")).ok());
        auto replaced = plat::replaceItemWithItemBuiltAside(built, item);
        ASSERT_FALSE(replaced.ok());
        EXPECT_EQ(replaced.error().code(), ENAMETOOLONG);
        EXPECT_EQ(names(), std::vector<std::string> {}) << (isFolder ? "folder" : "file");
    }
}

TEST_F(Files, SharedCopiesTakeTheUmasksModesAndTemporaryNamesAreKnown)
{
    struct UmaskScope {
        mode_t old = ::umask(027);
        ~UmaskScope() { ::umask(old); }
    } strictMask;
    auto made = plat::createTemporaryFolderBeside(folder.path("Pictures.export"));
    ASSERT_TRUE(made.ok());
    EXPECT_EQ(plat::attributesOfItem(made.value()).value().permissions, 0750u);
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("from"), std::string("picture")).ok());
    ASSERT_TRUE(plat::copyFileAtomically(folder.path("from"), folder.path("copy")).ok());
    EXPECT_EQ(plat::attributesOfItem(folder.path("copy")).value().permissions, 0640u);
    ASSERT_TRUE(plat::setPermissions(folder.path("copy"), 0604).ok());
    ASSERT_TRUE(plat::copyFileAtomically(folder.path("from"), folder.path("copy")).ok());
    EXPECT_EQ(plat::attributesOfItem(folder.path("copy")).value().permissions, 0604u)
        << "a replaced file keeps its own";

    EXPECT_TRUE(plat::isTemporaryItemName(plat::lastPathComponent(made.value())));
    EXPECT_TRUE(plat::isTemporaryItemName(plat::lastPathComponent(plat::temporaryPathBeside(folder.path("a.gif")))));
    for (const char* name : {".tmp-", ".tmp-AbC12", ".tmp-AbC1234", ".tmp-AbC12!", "tmp-AbC123", ".tmp-share-AbC123",
             ".tmp-AbC12.jpg", "Holiday.tmp-AbC123"})
        EXPECT_FALSE(plat::isTemporaryItemName(name)) << name;
}

TEST_F(Files, AFolderMadeReadOnlyRefusesEveryChangeAndKeepsItsContents)
{
    ASSERT_TRUE(plat::createDirectory(folder.path("ro/sub"), plat::IntermediateDirectories::Yes).ok());
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("ro/a"), std::string_view("kept")).ok());
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("outside"), std::string_view("x")).ok());
    plat::test::FailingWrites readOnly(folder.path("ro"), plat::detail::WriteFailurePoint::ReadOnly);
    auto isReadOnlyError = [](const auto& result) {
        return !result.ok() && result.error().domain() == plat::kPOSIXErrorDomain && result.error().code() == EROFS;
    };
    EXPECT_TRUE(isReadOnlyError(plat::writeFileAtomically(folder.path("ro/a"), std::string_view("new"))));
    EXPECT_TRUE(isReadOnlyError(plat::createDirectory(folder.path("ro/new"), plat::IntermediateDirectories::Yes)));
    EXPECT_TRUE(plat::createDirectory(folder.path("ro/sub"), plat::IntermediateDirectories::Yes).ok())
        << "a folder that is there is there";
    EXPECT_TRUE(
        isReadOnlyError(plat::copyItem(folder.path("outside"), folder.path("ro/b"), plat::ReplaceExisting::No)));
    EXPECT_TRUE(isReadOnlyError(plat::moveItem(folder.path("ro/a"), folder.path("moved"))));
    EXPECT_TRUE(isReadOnlyError(plat::moveItem(folder.path("outside"), folder.path("ro/c"))));
    EXPECT_TRUE(isReadOnlyError(plat::removeItem(folder.path("ro/a"))));
    EXPECT_TRUE(isReadOnlyError(plat::removeItemIfExists(folder.path("ro/sub"))));
    EXPECT_TRUE(plat::removeItemIfExists(folder.path("ro/missing")).ok()) << "nothing there is nothing to refuse";
    EXPECT_TRUE(isReadOnlyError(plat::setPermissions(folder.path("ro/a"), 0600)));
    EXPECT_FALSE(plat::AtomicFileWriter::create(folder.path("ro/d")).ok());
    EXPECT_EQ(text(folder.path("ro/a")), "kept");
    EXPECT_EQ(plat::contentsOfDirectory(folder.path("ro")).value(), (std::vector<std::string> {"a", "sub"}));
    EXPECT_TRUE(plat::copyItem(folder.path("ro/a"), folder.path("copied"), plat::ReplaceExisting::No).ok())
        << "reading from it still works";
}

TEST_F(Files, RemovingWhatMayNotBeThereFailsOnlyForWhatIsThere)
{
    EXPECT_TRUE(plat::removeItemIfExists(folder.path("missing")).ok());
    EXPECT_FALSE(plat::removeItem(folder.path("missing")).ok());
    ASSERT_TRUE(plat::createDirectory(folder.path("tree/inner"), plat::IntermediateDirectories::Yes).ok());
    EXPECT_TRUE(plat::removeItemIfExists(folder.path("tree")).ok());
    EXPECT_FALSE(plat::fileExists(folder.path("tree")));
}

TEST_F(Files, AtomicWriteCanGiveOwnerOnlyPermissions)
{
    std::string path = folder.path("keychain");
    ASSERT_TRUE(plat::writeFileAtomically(path, std::string_view("a")).ok());
    ASSERT_TRUE(plat::writeFileAtomically(path, std::string_view("secret"), 0600).ok());
    EXPECT_EQ(plat::attributesOfItem(path).value().permissions, 0600u);
}

TEST_F(Files, AtomicWriteIntoAMissingFolderFailsAndNamesThePath)
{
    std::string path = folder.path("missing/file");
    auto written = plat::writeFileAtomically(path, std::string_view("x"));
    ASSERT_FALSE(written.ok());
    EXPECT_EQ(written.error().domain(), plat::kPOSIXErrorDomain);
    EXPECT_EQ(written.error().code(), ENOENT);
    EXPECT_NE(written.error().localizedDescription().find(path), std::string::npos);
}

TEST_F(Files, ReadingRefusesFilesAboveTheLimitAndFolders)
{
    std::string path = folder.path("big");
    ASSERT_TRUE(plat::writeFileAtomically(path, std::string(100, 'x')).ok());
    EXPECT_TRUE(plat::readFile(path, 100).ok());
    auto refused = plat::readFile(path, 99);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code(), EFBIG);
    EXPECT_EQ(plat::readFile(folder.path()).error().code(), EISDIR);
    EXPECT_EQ(plat::readFile(folder.path("none")).error().code(), ENOENT);
}

TEST_F(Files, CreateDirectoryMakesIntermediatesOnlyWhenAsked)
{
    std::string deep = folder.path("a/b/c");
    EXPECT_FALSE(plat::createDirectory(deep, plat::IntermediateDirectories::No).ok());
    EXPECT_TRUE(plat::createDirectory(deep, plat::IntermediateDirectories::Yes).ok());
    EXPECT_TRUE(plat::isDirectory(deep));
    EXPECT_TRUE(plat::createDirectory(deep, plat::IntermediateDirectories::Yes).ok());
}

TEST_F(Files, AFolderThatCannotBeListedFailsTheWalkInsteadOfLookingEmpty)
{
    ASSERT_TRUE(plat::createDirectory(folder.path("tree/sub"), plat::IntermediateDirectories::Yes).ok());
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("tree/sub/b.txt"), std::string_view("B")).ok());
    plat::Result<std::vector<std::string>> subpaths = std::vector<std::string> {};
    // An error made once beforehand: the sanitizers check an object's type
    // the first time they see it through a pipe, which needs a descriptor.
    ASSERT_FALSE(plat::contentsOfDirectory(folder.path("missing")).ok());
    {
        plat::test::NoFreeFileDescriptors exhausted;
        ASSERT_TRUE(exhausted.applied());
        subpaths = plat::subpathsOfDirectory(folder.path("tree"));
    }
    ASSERT_FALSE(subpaths.ok());
    EXPECT_EQ(subpaths.error().code(), EMFILE);
    EXPECT_EQ(plat::subpathsOfDirectory(folder.path("tree")).value(), (std::vector<std::string> {"sub", "sub/b.txt"}));
}

TEST_F(Files, CopyAndRemoveWholeTrees)
{
    ASSERT_TRUE(plat::createDirectory(folder.path("src/sub"), plat::IntermediateDirectories::Yes).ok());
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("src/a.txt"), std::string_view("A")).ok());
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("src/sub/b.txt"), std::string_view("BB")).ok());

    ASSERT_TRUE(plat::copyItem(folder.path("src"), folder.path("dst"), plat::ReplaceExisting::No).ok());
    EXPECT_EQ(text(folder.path("dst/sub/b.txt")), "BB");
    auto subpaths = plat::subpathsOfDirectory(folder.path("dst"));
    ASSERT_TRUE(subpaths.ok());
    EXPECT_EQ(subpaths.value(), (std::vector<std::string> {"a.txt", "sub", "sub/b.txt"}));

    auto again = plat::copyItem(folder.path("src"), folder.path("dst"), plat::ReplaceExisting::No);
    ASSERT_FALSE(again.ok());
    EXPECT_EQ(again.error().code(), EEXIST);

    ASSERT_TRUE(plat::removeItem(folder.path("dst")).ok());
    EXPECT_FALSE(plat::fileExists(folder.path("dst")));
    EXPECT_EQ(plat::removeItem(folder.path("dst")).error().code(), ENOENT);
}

TEST_F(Files, CopyReplacesOnlyWhenAsked)
{
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("a"), std::string_view("new")).ok());
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("b"), std::string_view("old")).ok());
    EXPECT_FALSE(plat::copyItem(folder.path("a"), folder.path("b"), plat::ReplaceExisting::No).ok());
    EXPECT_EQ(text(folder.path("b")), "old");
    EXPECT_TRUE(plat::copyItem(folder.path("a"), folder.path("b"), plat::ReplaceExisting::Yes).ok());
    EXPECT_EQ(text(folder.path("b")), "new");
}

TEST_F(Files, RemovingAFolderDoesNotFollowLinksOutOfIt)
{
    std::string outside = folder.path("outside");
    ASSERT_TRUE(plat::createDirectory(outside, plat::IntermediateDirectories::No).ok());
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("outside/keep"), std::string_view("k")).ok());
    ASSERT_TRUE(plat::createDirectory(folder.path("doomed"), plat::IntermediateDirectories::No).ok());
    ASSERT_EQ(::symlink(outside.c_str(), folder.path("doomed/link").c_str()), 0);
    ASSERT_TRUE(plat::removeItem(folder.path("doomed")).ok());
    EXPECT_TRUE(plat::fileExists(folder.path("outside/keep")));
}

TEST_F(Files, RemovingALinkNamedWithATrailingSlashRemovesTheLinkNotWhatItPointsTo)
{
    std::string outside = folder.path("outside");
    ASSERT_TRUE(plat::createDirectory(outside, plat::IntermediateDirectories::No).ok());
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("outside/keep"), std::string_view("k")).ok());
    ASSERT_EQ(::symlink(outside.c_str(), folder.path("link").c_str()), 0);
    EXPECT_TRUE(plat::removeItem(folder.path("link") + "/").ok());
    EXPECT_EQ(text(folder.path("outside/keep")), "k");
    EXPECT_EQ(names(), (std::vector<std::string> {"outside"}));
}

TEST_F(Files, ReplacingALinkNamedWithATrailingSlashLeavesWhatItPointsTo)
{
    std::string outside = folder.path("outside");
    ASSERT_TRUE(plat::createDirectory(outside, plat::IntermediateDirectories::No).ok());
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("outside/keep"), std::string_view("k")).ok());
    ASSERT_EQ(::symlink(outside.c_str(), folder.path("link").c_str()), 0);
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("new"), std::string_view("n")).ok());
    EXPECT_TRUE(plat::copyItem(folder.path("new"), folder.path("link") + "/", plat::ReplaceExisting::Yes).ok());
    EXPECT_EQ(text(folder.path("outside/keep")), "k");
    EXPECT_EQ(text(folder.path("link")), "n");
}

TEST_F(Files, MoveRefusesToReplace)
{
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("a"), std::string_view("A")).ok());
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("b"), std::string_view("B")).ok());
    EXPECT_EQ(plat::moveItem(folder.path("a"), folder.path("b")).error().code(), EEXIST);
    ASSERT_TRUE(plat::moveItem(folder.path("a"), folder.path("c")).ok());
    EXPECT_EQ(text(folder.path("c")), "A");
    EXPECT_FALSE(plat::fileExists(folder.path("a")));
}

// A second file kept aside under a name never takes the place of the first's copy.
TEST_F(Files, EveryFileKeptAsideIsKeptUnderANumberOfItsOwn)
{
    for (plat::KeepAside how : {plat::KeepAside::Moving, plat::KeepAside::Copying}) {
        SCOPED_TRACE(how == plat::KeepAside::Moving ? "moving" : "copying");
        const std::string path = folder.path(how == plat::KeepAside::Moving ? "moved" : "copied");
        for (const char* contents : {"first", "second", "third"}) {
            ASSERT_TRUE(plat::writeFileAtomically(path, std::string_view(contents)).ok());
            ASSERT_TRUE(plat::keepFileAside(path, ".damaged", how).ok());
        }
        EXPECT_EQ(text(path + ".damaged") + " " + text(path + ".damaged-2") + " " + text(path + ".damaged-3"),
            "first second third");
    }
}

TEST_F(Files, MoveAcrossFileSystemsCopiesTreesAndRemovesTheOriginal)
{
    ASSERT_TRUE(plat::createDirectory(folder.path("tree/sub"), plat::IntermediateDirectories::Yes).ok());
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("tree/sub/b.txt"), std::string_view("B")).ok());
    FailingMoves acrossFileSystems("tree", plat::detail::MoveFailurePoint::AcrossFileSystems);
    auto moved = plat::moveItem(folder.path("tree"), folder.path("moved"));
    ASSERT_TRUE(moved.ok()) << moved.error().description();
    EXPECT_FALSE(moved.value().isSourceLeftBehind());
    EXPECT_EQ(text(folder.path("moved/sub/b.txt")), "B");
    EXPECT_FALSE(plat::fileExists(folder.path("tree")));
}

TEST_F(Files, AMoveWhoseCopyArrivedReportsTheOriginalItCouldNotRemove)
{
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("recording.caf"), std::string_view("sound")).ok());
    FailingMoves removalFails("recording", plat::detail::MoveFailurePoint::RemovingSource);
    auto moved = plat::moveItem(folder.path("recording.caf"), folder.path("inbox.caf"));
    // The copy is whole, so the move succeeded; what is left over is reported.
    ASSERT_TRUE(moved.ok()) << moved.error().description();
    EXPECT_EQ(text(folder.path("inbox.caf")), "sound");
    ASSERT_TRUE(moved.value().isSourceLeftBehind());
    EXPECT_EQ(moved.value().sourceRemovalError->code(), EACCES);
    EXPECT_NE(moved.value().sourceRemovalError->localizedDescription().find("recording.caf"), std::string::npos);
    EXPECT_TRUE(plat::fileExists(folder.path("recording.caf")));
}

TEST_F(Files, AMoveWhoseCopyFailsLeavesTheOriginalAndNoPartialCopy)
{
    ASSERT_TRUE(plat::createDirectory(folder.path("tree"), plat::IntermediateDirectories::No).ok());
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("tree/a"), std::string_view("A")).ok());
    // A socket cannot be opened to be copied: the copy fails after "a".
    int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::string socketPath = folder.path("tree/b-socket");
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(listener);

    FailingMoves acrossFileSystems("tree", plat::detail::MoveFailurePoint::AcrossFileSystems);
    auto moved = plat::moveItem(folder.path("tree"), folder.path("moved"));
    EXPECT_FALSE(moved.ok());
    EXPECT_FALSE(plat::fileExists(folder.path("moved")));
    EXPECT_EQ(text(folder.path("tree/a")), "A");
}

TEST_F(Files, AttributesAndFreeSpace)
{
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("five"), std::string_view("12345")).ok());
    auto attributes = plat::attributesOfItem(folder.path("five"));
    ASSERT_TRUE(attributes.ok());
    EXPECT_EQ(attributes.value().size, 5);
    EXPECT_FALSE(attributes.value().isDirectory);
    EXPECT_GT(attributes.value().modificationDate.timeIntervalSince1970(), 1.6e9);
    auto free = plat::freeSpace(folder.path());
    ASSERT_TRUE(free.ok());
    EXPECT_GT(free.value(), 0u);
    EXPECT_FALSE(plat::freeSpace(folder.path("none")).ok());
}

TEST(Sandbox, MakesTheStandardFolders)
{
    plat::test::TemporarySandbox sandbox;
    for (const char* relative : {"Documents", "Library/Caches", "Library/Preferences", "tmp"})
        EXPECT_TRUE(plat::isDirectory(sandbox.path(relative))) << relative;
    EXPECT_EQ(plat::Sandbox::current()->documentsDirectory(), sandbox.documents());
}

}  // namespace
