#include "platform/foundation/Files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

namespace plat {

Result<void> writeAll(int fd, const uint8_t* bytes, size_t length, const std::string& path)
{
    while (length > 0) {
        ssize_t written = ::write(fd, bytes, length);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return Error::posix(errno, "write", path);
        }
        bytes += written;
        length -= static_cast<size_t>(written);
    }
    return Result<void>::success();
}

namespace {

struct DirectoryCloser {
    void operator()(DIR* directory) const { ::closedir(directory); }
};
using DirectoryHandle = std::unique_ptr<DIR, DirectoryCloser>;

// A trailing slash makes lstat follow a link: the item would be the link's target.
std::string withoutTrailingSlashes(std::string_view path)
{
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    return std::string(path);
}

Result<void> removeTree(const std::string& path)
{
    struct stat info { };
    if (::lstat(path.c_str(), &info) != 0)
        return Error::posix(errno, "remove", path);
    if (S_ISDIR(info.st_mode)) {
        auto names = contentsOfDirectory(path);
        if (!names.ok())
            return names.error();
        for (const std::string& name : names.value()) {
            auto removed = removeTree(appendingPathComponent(path, name));
            if (!removed.ok())
                return removed;
        }
        if (::rmdir(path.c_str()) != 0)
            return Error::posix(errno, "remove folder", path);
        return Result<void>::success();
    }
    if (::unlink(path.c_str()) != 0)
        return Error::posix(errno, "remove", path);
    return Result<void>::success();
}

Result<void> copyFile(const std::string& from, const std::string& to, mode_t mode)
{
    FileDescriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (!source.isValid())
        return Error::posix(errno, "open", from);
    FileDescriptor destination(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode & 07777));
    if (!destination.isValid())
        return Error::posix(errno, "create", to);
    std::vector<uint8_t> buffer(1 << 20);
    for (;;) {
        ssize_t got = ::read(source.get(), buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            int error = errno;
            ::unlink(to.c_str());
            return Error::posix(error, "read", from);
        }
        if (got == 0)
            break;
        auto written = writeAll(destination.get(), buffer.data(), static_cast<size_t>(got), to);
        if (!written.ok()) {
            ::unlink(to.c_str());
            return written;
        }
    }
    if (destination.close() != 0) {
        int error = errno;
        ::unlink(to.c_str());
        return Error::posix(error, "close", to);
    }
    return Result<void>::success();
}

Result<void> copyTree(const std::string& from, const std::string& to)
{
    struct stat info { };
    if (::lstat(from.c_str(), &info) != 0)
        return Error::posix(errno, "copy", from);
    if (S_ISLNK(info.st_mode)) {
        std::string target(static_cast<size_t>(info.st_size) + 1, '\0');
        ssize_t length = ::readlink(from.c_str(), target.data(), target.size());
        if (length < 0)
            return Error::posix(errno, "read link", from);
        target.resize(static_cast<size_t>(length));
        if (::symlink(target.c_str(), to.c_str()) != 0)
            return Error::posix(errno, "create link", to);
        return Result<void>::success();
    }
    if (!S_ISDIR(info.st_mode))
        return copyFile(from, to, info.st_mode);
    if (::mkdir(to.c_str(), info.st_mode & 07777) != 0)
        return Error::posix(errno, "create folder", to);
    auto names = contentsOfDirectory(from);
    if (!names.ok())
        return names.error();
    for (const std::string& name : names.value()) {
        auto copied = copyTree(appendingPathComponent(from, name), appendingPathComponent(to, name));
        if (!copied.ok())
            return copied;
    }
    return Result<void>::success();
}

// The modes programs ask for when they create a file or a folder; the umask takes away from them.
constexpr mode_t kNewFileModes = 0666;
constexpr mode_t kNewFolderModes = 0777;
constexpr std::string_view kTemporaryPrefix = ".tmp-";
constexpr size_t kTemporarySuffixLength = 6;
constexpr std::string_view kTemporaryNameLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kTemporaryNameAttempts = 100;

// The process's umask, read without setting it: umask() itself would change
// it for every thread for a moment.
mode_t currentUmask()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8) & 0777);
    }
    return 022;  // kernels before 4.7 do not tell; this is the usual mask
}

std::string temporaryName()
{
    std::string name(kTemporaryPrefix);
    for (size_t i = 0; i < kTemporarySuffixLength; ++i)
        name += kTemporaryNameLetters[::arc4random_uniform(static_cast<uint32_t>(kTemporaryNameLetters.size()))];
    return name;
}

// Makes what was written at path safe on disk: a file's bytes, or a
// folder's names and every file in it, at any depth.
Result<void> flushItem(const std::string& path)
{
    struct stat info { };
    if (::lstat(path.c_str(), &info) != 0)
        return Error::posix(errno, "flush", path);
    // Links, pipes and the like hold no bytes of their own (and opening a pipe would wait).
    if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
        return Result<void>::success();
    if (S_ISDIR(info.st_mode)) {
        auto names = contentsOfDirectory(path);
        if (!names.ok())
            return names.error();
        for (const std::string& name : names.value()) {
            if (auto flushed = flushItem(appendingPathComponent(path, name)); !flushed.ok())
                return flushed;
        }
    }
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | (S_ISDIR(info.st_mode) ? O_DIRECTORY : 0)));
    if (!fd.isValid() && (errno == EACCES || errno == EPERM) && S_ISREG(info.st_mode)) {
        // A file whose modes shut out even its owner (a second name of one
        // kept as it was) cannot be opened to flush it alone: the file
        // system that holds it is flushed whole instead.
        const std::string folder = deletingLastPathComponent(path);
        FileDescriptor holder(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!holder.isValid() || ::syncfs(holder.get()) != 0)
            return Error::posix(errno, "flush", path);
        return Result<void>::success();
    }
    if (!fd.isValid())
        return Error::posix(errno, "flush", path);
    if (::fsync(fd.get()) != 0)
        return Error::posix(errno, "flush", path);
    return Result<void>::success();
}

// The permissions of a file written in place of the one at path: the
// replaced file's, but never fewer than its owner's reading and writing,
// so that what is written can be read back (a file of modes 000 would
// pass them on to every file written over it). A new file gets newFile.
mode_t permissionsForReplacing(const std::string& path, mode_t newFile)
{
    struct stat existing { };
    if (::stat(path.c_str(), &existing) != 0)
        return newFile;
    return (existing.st_mode & 07777) | S_IRUSR | S_IWUSR;
}

// The injected failure stands for a disk that cannot take the bytes when
// they are flushed.
Result<void> flushBuiltItem(const std::string& path, detail::WriteFailurePoint injected)
{
    if (injected == detail::WriteFailurePoint::FlushingItem)
        return Error::posix(EIO, "flush (injected)", path);
    return flushItem(path);
}

// Renames from over to where a folder is involved: rename() replaces only
// an empty folder, so the two are swapped and the old item, now under the
// temporary name, is removed.
Result<void> swapInPlace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE) != 0) {
        if (errno != EINVAL && errno != ENOSYS)
            return Error::posix(errno, "replace", to);
        // A file system that cannot swap: the old item steps aside first, and back when the new cannot follow.
        const std::string old = temporaryPathBeside(to);
        if (::rename(to.c_str(), old.c_str()) != 0)
            return Error::posix(errno, "replace", to);
        if (::rename(from.c_str(), to.c_str()) != 0) {
            int error = errno;
            if (::rename(old.c_str(), to.c_str()) != 0)
                log("files: cannot put {} back in place; it is at {}: {}", to, old, std::strerror(errno));
            return Error::posix(error, "replace", to);
        }
        if (auto removed = removeTree(old); !removed.ok())
            log("files: the replaced {} stays as {}: {}", to, old, removed.error().localizedDescription());
        return Result<void>::success();
    }
    if (auto removed = removeTree(from); !removed.ok())
        log("files: the replaced {} stays as {}: {}", to, from, removed.error().localizedDescription());
    return Result<void>::success();
}

// rename() that refuses an item at to in the same step (EEXIST), so that
// nothing made there after a check is replaced; where the file system
// cannot, the caller's check before it is the guard.
int renameWithoutReplacing(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    return ::rename(from.c_str(), to.c_str());
}

std::mutex faultLock;
detail::WriteFaultInjector faultInjector;  // guarded by faultLock
detail::MoveFaultInjector moveFaultInjector;  // guarded by faultLock
std::optional<uint64_t> freeSpaceOverride;  // guarded by faultLock

detail::WriteFailurePoint injectedFailure(const std::string& path)
{
    std::lock_guard lock(faultLock);
    return faultInjector ? faultInjector(path) : detail::WriteFailurePoint::None;
}

bool isInjectedReadOnly(const std::string& path)
{
    return injectedFailure(path) == detail::WriteFailurePoint::ReadOnly;
}

detail::MoveFailurePoint injectedMoveFailure(const std::string& from)
{
    std::lock_guard lock(faultLock);
    return moveFaultInjector ? moveFaultInjector(from) : detail::MoveFailurePoint::None;
}

// After a rename into folder: the rename is only on disk once the folder is.
Result<void> flushFolderOf(const std::string& path, detail::WriteFailurePoint injected)
{
    const std::string parent = deletingLastPathComponent(path);
    auto fail = [&](int error) {
        return Error::posix(error,
            "flush the folder after replacing (the new contents are in place, but may not "
            "be on disk yet)",
            path);
    };
    if (injected == detail::WriteFailurePoint::FlushingFolder)
        return fail(EIO);
    FileDescriptor fd(::open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.isValid())
        return fail(errno);
    if (::fsync(fd.get()) != 0)
        return fail(errno);
    return Result<void>::success();
}

// A folder that cannot be listed fails the whole walk, so that no caller
// takes a partial list for the tree; one removed meanwhile is simply gone.
Result<void> collectSubpaths(const std::string& root, const std::string& relative, std::vector<std::string>& out)
{
    auto names = contentsOfDirectory(relative.empty() ? root : appendingPathComponent(root, relative));
    if (!names.ok()) {
        if (!relative.empty() && names.error().domain() == kPOSIXErrorDomain && names.error().code() == ENOENT)
            return Result<void>::success();
        return names.error();
    }
    for (const std::string& name : names.value()) {
        std::string path = relative.empty() ? name : relative + "/" + name;
        out.push_back(path);
        struct stat info { };
        if (::lstat(appendingPathComponent(root, path).c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            auto walked = collectSubpaths(root, path, out);
            if (!walked.ok())
                return walked;
        }
    }
    return Result<void>::success();
}

}  // namespace

bool fileExists(const std::string& path)
{
    struct stat info { };
    return ::stat(path.c_str(), &info) == 0;
}

bool isDirectory(const std::string& path)
{
    struct stat info { };
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

Result<Data> readFile(const std::string& path)
{
    return readFile(path, std::numeric_limits<int64_t>::max());
}

Result<Data> readFile(const std::string& path, int64_t maxBytes)
{
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.isValid())
        return Error::posix(errno, "open", path);
    struct stat info { };
    if (::fstat(fd.get(), &info) != 0)
        return Error::posix(errno, "stat", path);
    if (S_ISDIR(info.st_mode))
        return Error::posix(EISDIR, "read", path);
    if (info.st_size > maxBytes)
        return Error::posix(EFBIG, "read", path);
    Data data;
    data.reserve(static_cast<size_t>(info.st_size));
    uint8_t buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return Error::posix(errno, "read", path);
        }
        if (got == 0)
            break;
        // The file may grow while it is read; the limit still holds.
        if (static_cast<int64_t>(data.size()) + got > maxBytes)
            return Error::posix(EFBIG, "read", path);
        data.insert(data.end(), buffer, buffer + got);
    }
    return data;
}

Result<void> writeFileAtomically(const std::string& path, const Data& bytes)
{
    return writeFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

Result<void> writeFileAtomically(const std::string& path, std::string_view bytes)
{
    return writeFileAtomically(path, bytes, permissionsForReplacing(path, 0644));
}

Result<void> writeFileAtomically(const std::string& path, std::string_view bytes, uint32_t permissions)
{
    if (isInjectedReadOnly(path))
        return Error::posix(EROFS, "create temporary file for", path);
    std::string folder = deletingLastPathComponent(path);
    std::string temporaryPath = appendingPathComponent(folder.empty() ? "." : folder, ".tmp-XXXXXX");
    // mkostemp creates the file readable by the owner only.
    FileDescriptor fd(::mkostemp(temporaryPath.data(), O_CLOEXEC));
    if (!fd.isValid())
        return Error::posix(errno, "create temporary file for", path);

    auto fail = [&](int error, const char* operation) -> Result<void> {
        ::unlink(temporaryPath.c_str());
        return Error::posix(error, operation, path);
    };
    detail::WriteFailurePoint injected = injectedFailure(path);
    if (injected == detail::WriteFailurePoint::BeforeWriting)
        return fail(EIO, "write (injected)");

    if (::fchmod(fd.get(), permissions & 07777) != 0)
        return fail(errno, "set permissions of");

    size_t length = bytes.size();
    if (injected == detail::WriteFailurePoint::AfterHalfTheBytes)
        length /= 2;
    auto written = writeAll(fd.get(), reinterpret_cast<const uint8_t*>(bytes.data()), length, path);
    if (!written.ok()) {
        ::unlink(temporaryPath.c_str());
        return written;
    }
    if (injected == detail::WriteFailurePoint::AfterHalfTheBytes)
        return fail(ENOSPC, "write (injected)");
    if (::fsync(fd.get()) != 0)
        return fail(errno, "flush");
    if (fd.close() != 0)
        return fail(errno, "close");
    if (injected == detail::WriteFailurePoint::BeforeRename)
        return fail(EIO, "replace (injected)");
    // Rename last: a crash before this line leaves the previous file whole.
    if (::rename(temporaryPath.c_str(), path.c_str()) != 0)
        return fail(errno, "replace");
    return flushFolderOf(path, injected);
}

namespace {

// Pieces are handed to the disk in steps of this size while the file grows.
constexpr uint64_t kWritebackStepBytes = uint64_t(256) << 10;

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string path, std::string temporaryPath, int fd)
    : _path(std::move(path))
    , _temporaryPath(std::move(temporaryPath))
    , _fd(fd)
{
}

AtomicFileWriter::~AtomicFileWriter()
{
    discard();
}

void AtomicFileWriter::discard()
{
    if (_fd < 0)
        return;
    ::close(_fd);
    ::unlink(_temporaryPath.c_str());
    _fd = -1;
}

Result<std::unique_ptr<AtomicFileWriter>> AtomicFileWriter::create(
    const std::string& path, std::optional<uint32_t> newFilePermissions)
{
    if (isInjectedReadOnly(path))
        return Error::posix(EROFS, "create temporary file for", path);
    const mode_t mode = permissionsForReplacing(path, static_cast<mode_t>(newFilePermissions.value_or(0644) & 07777));
    std::string folder = deletingLastPathComponent(path);
    std::string temporaryPath = appendingPathComponent(folder.empty() ? "." : folder, ".tmp-XXXXXX");
    int fd = ::mkostemp(temporaryPath.data(), O_CLOEXEC);
    if (fd < 0)
        return Error::posix(errno, "create temporary file for", path);
    std::unique_ptr<AtomicFileWriter> writer(new AtomicFileWriter(path, temporaryPath, fd));
    if (injectedFailure(path) == detail::WriteFailurePoint::BeforeWriting)
        return Error::posix(EIO, "write (injected)", path);
    if (::fchmod(fd, mode) != 0)
        return Error::posix(errno, "set permissions of", path);
    return writer;
}

Result<void> AtomicFileWriter::append(const uint8_t* bytes, size_t length)
{
    if (_fd < 0)
        return Error::posix(EBADF, "write", _path);
    auto written = writeAll(_fd, bytes, length, _path);
    if (!written.ok()) {
        discard();
        return written;
    }
    _written += length;
    _flushed = false;
    if (_written - _writebackStarted >= kWritebackStepBytes) {
        // Only a hint to start writing back; commit's fsync is what makes the bytes safe.
        (void)::sync_file_range(_fd, static_cast<off_t>(_writebackStarted),
            static_cast<off_t>(_written - _writebackStarted), SYNC_FILE_RANGE_WRITE);
        _writebackStarted = _written;
    }
    return Result<void>::success();
}

Result<void> AtomicFileWriter::flush()
{
    if (_fd < 0)
        return Error::posix(EBADF, "write", _path);
    if (injectedFailure(_path) == detail::WriteFailurePoint::AfterHalfTheBytes) {
        discard();
        return Error::posix(ENOSPC, "write (injected)", _path);
    }
    if (::fsync(_fd) != 0) {
        int error = errno;
        discard();
        return Error::posix(error, "flush", _path);
    }
    _flushed = true;
    return Result<void>::success();
}

Result<void> AtomicFileWriter::commit()
{
    if (!_flushed) {
        auto flushed = flush();
        if (!flushed.ok())
            return flushed;
    }
    detail::WriteFailurePoint injected = injectedFailure(_path);
    int closed = ::close(_fd);
    _fd = -1;
    if (closed != 0) {
        ::unlink(_temporaryPath.c_str());
        return Error::posix(errno, "close", _path);
    }
    if (injected == detail::WriteFailurePoint::BeforeRename) {
        ::unlink(_temporaryPath.c_str());
        return Error::posix(EIO, "replace (injected)", _path);
    }
    // Rename last: a crash before this line leaves the previous file whole.
    if (::rename(_temporaryPath.c_str(), _path.c_str()) != 0) {
        int error = errno;
        ::unlink(_temporaryPath.c_str());
        return Error::posix(error, "replace", _path);
    }
    return flushFolderOf(_path, injected);
}

Result<void> createDirectory(const std::string& path, IntermediateDirectories intermediates)
{
    if (isInjectedReadOnly(path) && !(intermediates == IntermediateDirectories::Yes && isDirectory(path)))
        return Error::posix(fileExists(path) ? EEXIST : EROFS, "create folder", path);
    if (intermediates == IntermediateDirectories::Yes) {
        if (isDirectory(path))
            return Result<void>::success();
        std::string parent = deletingLastPathComponent(path);
        if (!parent.empty() && parent != path) {
            auto made = createDirectory(parent, IntermediateDirectories::Yes);
            if (!made.ok())
                return made;
        }
        if (::mkdir(path.c_str(), 0755) != 0 && !(errno == EEXIST && isDirectory(path)))
            return Error::posix(errno, "create folder", path);
        return Result<void>::success();
    }
    if (::mkdir(path.c_str(), 0755) != 0)
        return Error::posix(errno, "create folder", path);
    return Result<void>::success();
}

Result<void> removeItem(const std::string& path)
{
    if (isInjectedReadOnly(path))
        return Error::posix(fileExists(path) ? EROFS : ENOENT, "remove", path);
    return removeTree(withoutTrailingSlashes(path));
}

Result<void> removeItemIfExists(const std::string& path)
{
    struct stat info { };
    if (::lstat(path.c_str(), &info) != 0 && errno == ENOENT)
        return Result<void>::success();
    return removeItem(path);
}

Result<void> copyItem(const std::string& from, const std::string& to, ReplaceExisting replace)
{
    if (isInjectedReadOnly(to))
        return Error::posix(EROFS, "copy to", to);
    struct stat info { };
    if (::lstat(from.c_str(), &info) != 0)
        return Error::posix(errno, "copy", from);
    std::string destination = withoutTrailingSlashes(to);
    if (::lstat(destination.c_str(), &info) == 0) {
        if (replace == ReplaceExisting::No)
            return Error::posix(EEXIST, "copy to", to);
        auto removed = removeTree(destination);
        if (!removed.ok())
            return removed;
    }
    return copyTree(from, destination);
}

Result<void> linkOrCopyFile(const std::string& from, const std::string& to)
{
    if (isInjectedReadOnly(to))
        return Error::posix(EROFS, "link to", to);
    if (::link(from.c_str(), to.c_str()) == 0)
        return Result<void>::success();
    const int failure = errno;
    // Another file system, one without links, or a file with as many names as it may have: a copy serves.
    if (failure != EXDEV && failure != EPERM && failure != EOPNOTSUPP && failure != EMLINK)
        return Error::posix(failure, "link", to);
    return copyItem(from, to, ReplaceExisting::No);
}

Result<void> copyFileAtomically(
    const std::string& from, const std::string& to, const std::function<bool()>& isCancelled)
{
    FileDescriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (source.get() < 0)
        return Error::posix(errno, "copy", from);
    auto writer = AtomicFileWriter::create(to, kNewFileModes & ~currentUmask());
    if (!writer.ok())
        return writer.error();
    std::vector<uint8_t> piece(size_t(1) << 20);
    for (;;) {
        // A writer dropped before commit removes its temporary file.
        if (isCancelled && isCancelled())
            return Error::posix(ECANCELED, "copy", to);
        const ssize_t got = ::read(source.get(), piece.data(), piece.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Error::posix(errno, "read", from);
        if (got == 0)
            break;
        auto appended = writer.value()->append(piece.data(), static_cast<size_t>(got));
        if (!appended.ok())
            return appended;
    }
    return writer.value()->commit();
}

Result<MovedItem> moveItem(const std::string& from, const std::string& to)
{
    if (isInjectedReadOnly(from) || isInjectedReadOnly(to))
        return Error::posix(EROFS, "move", from);
    struct stat info { };
    if (::lstat(to.c_str(), &info) == 0)
        return Error::posix(EEXIST, "move to", to);
    detail::MoveFailurePoint injected = injectedMoveFailure(from);
    if (injected == detail::MoveFailurePoint::None && renameWithoutReplacing(from, to) == 0)
        return MovedItem {};
    int renameError = injected == detail::MoveFailurePoint::None ? errno : EXDEV;
    if (renameError != EXDEV)
        return Error::posix(renameError, "move", from);
    // Across file systems: copy, then remove the original.
    auto copied = copyTree(from, to);
    if (!copied.ok()) {
        // A partial copy is ours to clear; if even that fails, the source is whole and the error says why.
        if (auto cleared = removeTree(to); !cleared.ok())
            log("files: cannot remove the partial copy {}: {}", to, cleared.error().localizedDescription());
        return copied.error();
    }
    auto removed = injected == detail::MoveFailurePoint::RemovingSource
        ? Result<void>(Error::posix(EACCES, "remove (injected)", from))
        : removeTree(from);
    if (!removed.ok())
        return MovedItem {removed.error()};
    return MovedItem {};
}

namespace {
constexpr int kMostAsideCopies = 1000;
}

Result<std::string> keepFileAside(const std::string& path, std::string_view suffix, KeepAside how)
{
    for (int copy = 1; copy <= kMostAsideCopies; ++copy) {
        const std::string aside = path + std::string(suffix) + (copy == 1 ? "" : "-" + std::to_string(copy));
        struct stat info { };
        if (::lstat(aside.c_str(), &info) == 0)
            continue;
        // Neither way replaces: a copy another made meanwhile under the name sends this one to the next.
        Result<void> kept = Result<void>::success();
        if (how == KeepAside::Copying) {
            kept = copyItem(path, aside, ReplaceExisting::No);
        } else if (auto moved = moveItem(path, aside); !moved.ok()) {
            kept = moved.error();
        }
        if (kept.ok())
            return aside;
        if (kept.error().domain() != kPOSIXErrorDomain || kept.error().code() != EEXIST)
            return kept.error();
    }
    return Error::posix(EEXIST, "keep aside", path);
}

Result<std::string> moveDamagedFileAside(const std::string& path)
{
    return keepFileAside(path, ".damaged", KeepAside::Moving);
}

bool moveUnreadableFileAside(const std::string& path, std::optional<UnreadableStoredFile>& file)
{
    auto aside = moveDamagedFileAside(path);
    if (!aside.ok()) {
        log("files: cannot set the unreadable {} aside: {}", path, aside.error().localizedDescription());
        return false;
    }
    log("files: the unreadable {} is kept as {}", path, aside.value());
    if (file)
        file->keptAs = aside.value();
    return true;
}

bool isPassingReadFailure(const Error& error)
{
    if (error.domain() != kPOSIXErrorDomain)
        return false;
    switch (error.code()) {
    case EMFILE:
    case ENFILE:
    case ENOMEM:
    case ENOBUFS:
    case EINTR:
    case EAGAIN:
    case EIO:
        return true;
    default:
        return false;
    }
}

std::string temporaryPathBeside(const std::string& path)
{
    const std::string folder = deletingLastPathComponent(path);
    std::string candidate;
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        candidate = appendingPathComponent(folder.empty() ? "." : folder, temporaryName());
        struct stat info { };
        if (::lstat(candidate.c_str(), &info) != 0)
            break;
    }
    return candidate;
}

Result<std::string> createTemporaryFolderBeside(const std::string& path)
{
    if (isInjectedReadOnly(path))
        return Error::posix(EROFS, "create a folder for", path);
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        std::string candidate = temporaryPathBeside(path);
        // mkdir, unlike mkdtemp, leaves the modes to the umask, as for any folder the person makes.
        if (::mkdir(candidate.c_str(), kNewFolderModes) == 0)
            return candidate;
        if (errno != EEXIST)
            return Error::posix(errno, "create a folder for", path);
    }
    return Error::posix(EEXIST, "create a folder for", path);
}

Result<void> replaceItemWithItemBuiltAside(const std::string& temporaryPath, const std::string& path)
{
    auto discard = [&](Error error) -> Result<void> {
        if (auto removed = removeTree(temporaryPath); !removed.ok())
            log("files: cannot remove the unfinished {}: {}", temporaryPath, removed.error().localizedDescription());
        return error;
    };
    detail::WriteFailurePoint injected = injectedFailure(path);
    if (injected == detail::WriteFailurePoint::ReadOnly)
        return discard(Error::posix(EROFS, "replace", path));
    if (auto flushed = flushBuiltItem(temporaryPath, injected); !flushed.ok())
        return discard(flushed.error());
    if (injected == detail::WriteFailurePoint::BeforeRename)
        return discard(Error::posix(EIO, "replace (injected)", path));
    struct stat built { };
    struct stat existing { };
    const bool hasExisting = ::lstat(path.c_str(), &existing) == 0;
    const bool isFolderInvolved = (::lstat(temporaryPath.c_str(), &built) == 0 && S_ISDIR(built.st_mode))
        || (hasExisting && S_ISDIR(existing.st_mode));
    // Rename last: a crash before this line leaves the previous item whole.
    if (hasExisting && isFolderInvolved) {
        if (auto swapped = swapInPlace(temporaryPath, path); !swapped.ok())
            return discard(swapped.error());
    } else if (::rename(temporaryPath.c_str(), path.c_str()) != 0) {
        return discard(Error::posix(errno, "replace", path));
    }
    return flushFolderOf(path, injected);
}

Result<std::string> moveItemAsideForRemoval(const std::string& path)
{
    const std::string aside = temporaryPathBeside(path);
    auto moved = moveItem(path, aside);
    if (!moved.ok())
        return moved.error();
    return aside;
}

bool isTemporaryItemName(std::string_view name)
{
    if (!name.starts_with(kTemporaryPrefix) || name.size() != kTemporaryPrefix.size() + kTemporarySuffixLength)
        return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(kTemporaryPrefix.size()), name.end(),
        [](char c) { return kTemporaryNameLetters.find(c) != std::string_view::npos; });
}

Result<std::vector<std::string>> contentsOfDirectory(const std::string& path)
{
    DirectoryHandle directory(::opendir(path.c_str()));
    if (!directory)
        return Error::posix(errno, "list folder", path);
    std::vector<std::string> names;
    errno = 0;
    while (const dirent* entry = ::readdir(directory.get())) {
        std::string_view name(entry->d_name);
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    if (errno != 0)
        return Error::posix(errno, "list folder", path);
    std::sort(names.begin(), names.end());
    return names;
}

Result<std::vector<std::string>> subpathsOfDirectory(const std::string& path)
{
    if (!isDirectory(path))
        return Error::posix(ENOTDIR, "list folder", path);
    std::vector<std::string> subpaths;
    auto walked = collectSubpaths(path, {}, subpaths);
    if (!walked.ok())
        return walked.error();
    return subpaths;
}

Result<FileAttributes> attributesOfItem(const std::string& path)
{
    struct stat info { };
    if (::lstat(path.c_str(), &info) != 0)
        return Error::posix(errno, "read attributes of", path);
    FileAttributes attributes;
    attributes.isDirectory = S_ISDIR(info.st_mode);
    attributes.isSymbolicLink = S_ISLNK(info.st_mode);
    attributes.size = attributes.isDirectory ? 0 : static_cast<int64_t>(info.st_size);
    attributes.modificationDate = Date::withTimeIntervalSince1970(
        static_cast<double>(info.st_mtim.tv_sec) + static_cast<double>(info.st_mtim.tv_nsec) / 1e9);
    attributes.permissions = info.st_mode & 07777;
    attributes.fileNumber = static_cast<uint64_t>(info.st_ino);
    return attributes;
}

Result<void> setPermissions(const std::string& path, uint32_t permissions)
{
    if (isInjectedReadOnly(path))
        return Error::posix(EROFS, "set permissions of", path);
    if (::chmod(path.c_str(), permissions & 07777) != 0)
        return Error::posix(errno, "set permissions of", path);
    return Result<void>::success();
}

Result<uint64_t> freeSpace(const std::string& path)
{
    {
        std::lock_guard lock(faultLock);
        if (freeSpaceOverride)
            return *freeSpaceOverride;
    }
    struct statvfs info { };
    if (::statvfs(path.c_str(), &info) != 0)
        return Error::posix(errno, "read free space of", path);
    return static_cast<uint64_t>(info.f_bavail) * static_cast<uint64_t>(info.f_frsize);
}

void detail::setWriteFaultInjector(WriteFaultInjector injector)
{
    std::lock_guard lock(faultLock);
    faultInjector = std::move(injector);
}

detail::WriteFailurePoint detail::injectedWriteFailure(const std::string& path)
{
    return injectedFailure(path);
}

void detail::setMoveFaultInjector(MoveFaultInjector injector)
{
    std::lock_guard lock(faultLock);
    moveFaultInjector = std::move(injector);
}

void detail::setFreeSpaceOverride(std::optional<uint64_t> bytes)
{
    std::lock_guard lock(faultLock);
    freeSpaceOverride = bytes;
}

}  // namespace plat
