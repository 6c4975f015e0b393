#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

// File system operations with the platform's behaviour: whole-file atomic
// writes, folders made on first use, errors with the path and the system's
// text. Any thread; the file system is the only shared state.
namespace plat {

enum class ReplaceExisting { No, Yes };
enum class IntermediateDirectories { No, Yes };

struct FileAttributes {
    bool isDirectory = false;
    bool isSymbolicLink = false;
    int64_t size = 0;  // bytes; 0 for folders
    Date modificationDate;
    uint32_t permissions = 0;  // mode bits 07777
    // The item's number on its file system: a file put in the place of
    // another under the same name has another.
    uint64_t fileNumber = 0;
};

bool fileExists(const std::string& path);
bool isDirectory(const std::string& path);

Result<Data> readFile(const std::string& path);
// Refuses files larger than maxBytes before reading them: for outside input
// whose size bounds memory.
Result<Data> readFile(const std::string& path, int64_t maxBytes);

// Writes the whole file or nothing: a temporary file in the same folder,
// flushed to disk, then renamed over the destination, and the folder flushed
// so that the rename itself survives a power cut. The folder must exist.
// When only that last flush fails, the error says so: the new contents are
// in place but may not be on disk yet. The file keeps the permissions of
// the one it replaces, with its owner's reading and writing at least (so
// that it can be read back); a new one gets 0644.
Result<void> writeFileAtomically(const std::string& path, std::string_view bytes);
Result<void> writeFileAtomically(const std::string& path, const Data& bytes);
// The same with the file's permission bits given (both for a new file and a
// replaced one); the file is never readable by others on the way.
Result<void> writeFileAtomically(const std::string& path, std::string_view bytes, uint32_t permissions);

// A file written in pieces that appears whole or not at all, like
// writeFileAtomically: the pieces go to a temporary file in the same folder,
// which commit() flushes and renames over the path; a writer destroyed
// without commit removes it. Writing back to disk starts as the pieces
// arrive, so commit waits only for the last ones: a file that is made while
// it is written (an encoder's output) costs little more than the making.
// One thread at a time.
class AtomicFileWriter {
public:
    // The folder must exist; an existing file keeps its permissions (with
    // its owner's reading and writing at least), a new one gets 0644, or
    // newFilePermissions when given.
    static Result<std::unique_ptr<AtomicFileWriter>> create(
        const std::string& path, std::optional<uint32_t> newFilePermissions = std::nullopt);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    Result<void> append(const uint8_t* bytes, size_t length);
    // Makes the bytes so far safe on disk, still under the temporary name:
    // several files can be flushed at once and then appear in a fixed order.
    Result<void> flush();
    // Flushes when that is still to do, renames and flushes the folder, as
    // writeFileAtomically does; afterwards the writer takes nothing more.
    Result<void> commit();

private:
    AtomicFileWriter(std::string path, std::string temporaryPath, int fd);
    void discard();

    std::string _path;
    std::string _temporaryPath;
    int _fd;
    uint64_t _written = 0;
    uint64_t _writebackStarted = 0;
    bool _flushed = false;
};

Result<void> createDirectory(const std::string& path, IntermediateDirectories intermediates);
// Removes a file, a symbolic link, or a folder with everything below it.
// Removing nothing is an error (ENOENT), as on the platform.
Result<void> removeItem(const std::string& path);
// The same for clearing a place before it is used: nothing there counts as removed.
Result<void> removeItemIfExists(const std::string& path);
// Copies a file or a folder tree; an existing destination fails with EEXIST
// unless replace is Yes.
Result<void> copyItem(const std::string& from, const std::string& to, ReplaceExisting replace);
// Gives the file at `from` a second name, `to`, that shares its bytes (a
// hard link: nothing is copied, and a file later written whole in place of
// either name leaves the other as it was); where the file system has no
// such names for it, `to` becomes a copy. An existing destination fails
// with EEXIST.
Result<void> linkOrCopyFile(const std::string& from, const std::string& to);
// Copies one file so that it appears at `to` whole or not at all, as
// writeFileAtomically writes (a temporary file beside it, flushed, then
// renamed over it). isCancelled is asked between pieces: a copy given up
// fails with ECANCELED and leaves nothing behind. A new file gets the modes
// any program gives a new file (0666 less the umask), as a copy made by
// hand would.
Result<void> copyFileAtomically(
    const std::string& from, const std::string& to, const std::function<bool()>& isCancelled = {});

// How a move that succeeded ended. Within one file system the item is
// renamed; across file systems it is copied and then the original removed.
// When only that removal fails, the item has still arrived whole at its
// destination: the move succeeds, and what is left of the original is
// reported here, for the caller to remove later or to tell the user.
struct MovedItem {
    std::optional<Error> sourceRemovalError;
    bool isSourceLeftBehind() const { return sourceRemovalError.has_value(); }
};
// An existing destination fails with EEXIST. Any other failure leaves the
// source as it was and nothing at the destination.
Result<MovedItem> moveItem(const std::string& from, const std::string& to);
// How a file is kept aside: moved, to make way for a new one, or copied,
// when it stays to be written over.
enum class KeepAside { Moving, Copying };
// Keeps the file beside itself as "<path><suffix>", so that nothing takes
// its place unseen. Copies kept there before stay: the next goes to
// "<path><suffix>-2", then "-3" and so on. Gives the path it is kept under.
Result<std::string> keepFileAside(const std::string& path, std::string_view suffix, KeepAside how);
// Moves a file that cannot be read aside as "<path>.damaged" (numbered as
// keepFileAside numbers), so that a new file can take its place.
Result<std::string> moveDamagedFileAside(const std::string& path);
// A stored file that could not be read, why, and where it was moved aside
// (none while it could not be), so that the person can be told.
struct UnreadableStoredFile {
    Error reason;
    std::optional<std::string> keptAs;
};
// Moves the unreadable file at path aside and notes where in file (when
// there is one); false, with the reason logged, while it stays in place.
bool moveUnreadableFileAside(const std::string& path, std::optional<UnreadableStoredFile>& file);
// Whether a read failed for a reason that may pass (out of file descriptors
// or memory, an interrupted call, an I/O error), not for one of the file's
// own (its modes, a folder in its place, contents that cannot be read).
bool isPassingReadFailure(const Error& error);

// Items built aside. Whatever a person or a later run reads is made under
// a hidden temporary name beside its place and then put in place whole. A
// run that is killed leaves such names behind, and only such names:
// isTemporaryItemName tells them from a person's files.

// A free hidden name beside path (".tmp-" and six letters or digits) for an
// item that a writer of its own creates there; nothing is created.
std::string temporaryPathBeside(const std::string& path);
// A new empty folder under a temporary name beside path, with the modes of
// any new folder (0777 less the umask).
Result<std::string> createTemporaryFolderBeside(const std::string& path);
// Puts the item built at temporaryPath (a file, or a folder of files) in
// place of path: flushes it to disk, renames it over path (a file or a whole
// folder there is replaced) and flushes the folder. On failure the temporary
// item is removed and whatever was at path stays as it was.
Result<void> replaceItemWithItemBuiltAside(const std::string& temporaryPath, const std::string& path);
// The first step of removing an item that must not be found half removed:
// moves it to a free temporary name beside it, which a run killed during
// the removal leaves for the next start to remove. Gives that name's path.
Result<std::string> moveItemAsideForRemoval(const std::string& path);
// Whether name is one of the temporary names the writes, copies and items
// built aside make.
bool isTemporaryItemName(std::string_view name);

// Names directly in the folder (no "." or ".."), sorted by byte value.
Result<std::vector<std::string>> contentsOfDirectory(const std::string& path);
// Paths relative to the folder of everything below it, at any depth, sorted;
// symbolic links are listed but not followed.
Result<std::vector<std::string>> subpathsOfDirectory(const std::string& path);

Result<FileAttributes> attributesOfItem(const std::string& path);
Result<void> setPermissions(const std::string& path, uint32_t permissions);
// Free bytes for an unprivileged user on the file system that holds path.
Result<uint64_t> freeSpace(const std::string& path);

namespace detail {
// Where an atomic write can be made to fail, for tests that prove an
// interrupted save leaves the previous file whole. FlushingItem fails the
// flush of an item built aside, before it is put in place. FlushingFolder
// fails the flush of the folder after the rename. ReadOnly makes the path
// behave as on a read-only file system, whoever the process runs as: every
// change fails with EROFS (atomic writes, new folders, copies and moves to
// it, removals, permission changes) and nothing is changed.
enum class WriteFailurePoint {
    None,
    BeforeWriting,
    AfterHalfTheBytes,
    FlushingItem,
    BeforeRename,
    FlushingFolder,
    ReadOnly
};
using WriteFaultInjector = std::function<WriteFailurePoint(const std::string& path)>;
// Installs the injector for every atomic write of the process; an empty
// function removes it. Only tests install one.
void setWriteFaultInjector(WriteFaultInjector injector);
// What the injector makes of a write to path (None without one), for
// writers of their own that put files in place whole as the atomic writes do.
WriteFailurePoint injectedWriteFailure(const std::string& path);

// Moves can be made to take the way across file systems, and to fail to
// remove the original after copying it.
enum class MoveFailurePoint { None, AcrossFileSystems, RemovingSource };
using MoveFaultInjector = std::function<MoveFailurePoint(const std::string& from)>;
void setMoveFaultInjector(MoveFaultInjector injector);

// Makes freeSpace report this many bytes for every path, as on a nearly
// full device; nullopt gives the file system's answer again. Only tests set one.
void setFreeSpaceOverride(std::optional<uint64_t> bytes);
}  // namespace detail

}  // namespace plat
