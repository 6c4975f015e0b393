#include "document/ZipUnpacker.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <unzip.h>
#include <utility>
#include <vector>

#include "document/FailureReason.h"
#include "document/FileSizeText.h"
#include "document/ZipEndRecord.h"
#include "document/ZipEntryDecoder.h"
#include "document/ZipEntryName.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UUID.h"

namespace zt::detail {

namespace {

// Far above the traditional 4 KB: each chunk costs a pass through the
// inflater and a write system call, and these dominate small chunks.
constexpr size_t kInputBufferBytes = size_t(64) << 10;
constexpr size_t kOutputBufferBytes = size_t(256) << 10;
// An entry's name and extra fields hold at most 65535 bytes each.
constexpr size_t kFieldBufferBytes = 65536;
constexpr uint16_t kZip64ExtraId = 0x0001;
constexpr uint64_t kZip64Marker = 0xFFFFFFFFu;
constexpr uLong kEncryptedFlag = 1u << 0;
constexpr uLong kDataDescriptorFlag = 1u << 3;
constexpr uLong kStrongEncryptionFlag = 1u << 6;
// The upper half of the external attributes holds a Unix file type and mode.
constexpr uLong kFileTypeMask = 0xF0000000u;
constexpr uLong kSymbolicLinkType = 0xA0000000u;
constexpr mode_t kFolderMode = 0755;
constexpr mode_t kNewFileMode = 0644;
constexpr mode_t kPermissionBits = 0777;  // never set-id or sticky bits from outside
constexpr mode_t kOwnerReadWrite = 0600;  // the app must be able to read what it unpacked
constexpr const char* kTemporaryFilePrefix = ".unzip-";
constexpr int kTemporaryFileAttempts = 8;

struct UnzipCloser {
    void operator()(void* handle) const { unzClose(handle); }
};
using UnzipHandle = std::unique_ptr<void, UnzipCloser>;

enum class EntryKind { File, Folder, SymbolicLink };

struct Entry {
    unz_file_info64 info {};
    std::string name;  // as stored, for messages
    EntryKind kind = EntryKind::File;
    std::vector<std::string> components;  // the way from the destination
    std::optional<uint64_t> zip64LocalHeaderOffset;
    bool isEncrypted() const { return (info.flag & kEncryptedFlag) != 0; }
};

QVZipEntryInfo publicInfo(const unz_file_info64& info)
{
    QVZipEntryInfo result;
    result.version = static_cast<uint32_t>(info.version);
    result.versionNeeded = static_cast<uint32_t>(info.version_needed);
    result.flag = static_cast<uint32_t>(info.flag);
    result.compressionMethod = static_cast<uint32_t>(info.compression_method);
    result.dosDate = static_cast<uint32_t>(info.dosDate);
    result.crc = static_cast<uint32_t>(info.crc);
    result.compressedSize = info.compressed_size;
    result.uncompressedSize = info.uncompressed_size;
    result.sizeFilename = static_cast<uint32_t>(info.size_filename);
    result.sizeFileExtra = static_cast<uint32_t>(info.size_file_extra);
    result.sizeFileComment = static_cast<uint32_t>(info.size_file_comment);
    result.diskNumStart = static_cast<uint32_t>(info.disk_num_start);
    result.internalAttributes = static_cast<uint32_t>(info.internal_fa);
    result.externalAttributes = static_cast<uint32_t>(info.external_fa);
    return result;
}

std::string joinedPath(const std::vector<std::string>& components, size_t count)
{
    std::string path;
    for (size_t index = 0; index < count; ++index) {
        if (!path.empty())
            path += '/';
        path += components[index];
    }
    return path;
}

timespec timespecFromDate(plat::Date date)
{
    double seconds = std::floor(date.timeIntervalSince1970());
    long nanoseconds = static_cast<long>((date.timeIntervalSince1970() - seconds) * 1e9);
    return timespec {static_cast<time_t>(seconds), nanoseconds};
}

uint64_t saturatingAdd(uint64_t left, uint64_t right)
{
    return left > UINT64_MAX - right ? UINT64_MAX : left + right;
}

uint16_t readLittle16(const uint8_t* bytes)
{
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

uint64_t readLittle64(const uint8_t* bytes)
{
    uint64_t value = 0;
    for (int index = 7; index >= 0; --index)
        value = (value << 8) | bytes[index];
    return value;
}

// The system's minizip leaves zip64 values at their 32-bit marker on 64-bit
// machines (it compares them with an all-ones unsigned long), so they are
// taken from the entry's zip64 extra field here: the sizes, which the checks
// and the reading rely on, and the local header's offset, for entries that
// minizip then cannot find (beyond 4 GB). A field is present only where the
// central record holds the marker.
void applyZip64Fields(Entry& entry, const uint8_t* extra, size_t length)
{
    unz_file_info64& info = entry.info;
    size_t offset = 0;
    while (length - offset >= 4) {
        uint16_t id = readLittle16(extra + offset);
        size_t size = std::min<size_t>(readLittle16(extra + offset + 2), length - offset - 4);
        const uint8_t* field = extra + offset + 4;
        if (id == kZip64ExtraId) {
            size_t used = 0;
            if (info.uncompressed_size == kZip64Marker && size - used >= 8) {
                info.uncompressed_size = readLittle64(field + used);
                used += 8;
            }
            if (info.compressed_size == kZip64Marker && size - used >= 8) {
                info.compressed_size = readLittle64(field + used);
                used += 8;
            }
            if (size - used >= 8)
                entry.zip64LocalHeaderOffset = readLittle64(field + used);
            return;
        }
        offset += 4 + size;
    }
}

// The nearest folder of path that exists, for the free space of a
// destination that is yet to be made.
std::string nearestExistingFolder(std::string path)
{
    while (!plat::fileExists(path)) {
        std::string parent = plat::deletingLastPathComponent(path);
        if (parent.empty())
            return ".";
        if (parent == path)
            break;
        path = std::move(parent);
    }
    return path;
}

plat::Error fileSystemError(const plat::Error& cause, const std::string& path)
{
    return zipArchiveError(QVZipArchive::kErrorFailedToCreateFile, cause.localizedDescription(), path, cause);
}

plat::Error fileSystemError(int errnoValue, const std::string& operation, const std::string& path)
{
    return fileSystemError(plat::Error::posix(errnoValue, operation, path), path);
}

// One unpacking: the archive handle, the destination and the folders whose
// dates are set last.
class Unpacker {
public:
    Unpacker(const std::string& path, const std::string& destination, const UnzipOptions& options)
        : _path(path)
        , _destination(destination)
        , _options(options)
        , _nameBuffer(kFieldBufferBytes)
        , _extraBuffer(kFieldBufferBytes)
    {
    }

    plat::Result<void> run();

private:
    bool hasPassword() const { return _options.password && !_options.password->empty(); }
    plat::Error entryError(int64_t code, const std::string& text, const Entry& entry,
        const std::optional<plat::Error>& cause = std::nullopt) const
    {
        return zipArchiveError(code, text + ": " + plat::escapedForMessage(entry.name), _path, cause);
    }

    plat::Result<Entry> readCurrentEntry();
    plat::Result<void> checkEntries();
    plat::Result<void> checkFreeSpace(uint64_t declaredBytes) const;
    plat::Result<void> unpackEntries(uint64_t totalFiles, uint64_t totalBytes);
    plat::Result<void> unpackEntry(const Entry& entry);
    plat::Result<plat::FileDescriptor> openFolder(const std::vector<std::string>& components, size_t count) const;
    plat::Result<void> unpackFile(const Entry& entry, int folder);
    plat::Result<uint64_t> locateEntryData(const Entry& entry);
    plat::Result<void> copyEntryData(const Entry& entry, uint64_t dataOffset, int file, const std::string& fullPath);
    void setFileAttributes(const Entry& entry, int file) const;
    void restoreFolderDates() const;

    const std::string& _path;
    const std::string& _destination;
    const UnzipOptions& _options;
    unzFile _zip = nullptr;
    plat::FileDescriptor _archiveFile;  // the stored bytes are read from here
    plat::FileDescriptor _destinationFolder;
    std::vector<char> _nameBuffer;
    std::vector<uint8_t> _extraBuffer;
    std::vector<uint8_t> _inputBuffer;
    std::vector<std::pair<std::string, plat::Date>> _folderDates;  // relative path, entry date
};

plat::Result<void> Unpacker::run()
{
    // Only a regular file: opening a FIFO would wait for a writer forever.
    _archiveFile = plat::FileDescriptor(::open(_path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat archive { };
    if (!_archiveFile.isValid() || ::fstat(_archiveFile.get(), &archive) != 0 || !S_ISREG(archive.st_mode))
        return zipArchiveError(QVZipArchive::kErrorFailedToOpenZipFile, "failed to open zip file", _path);
    const auto totalBytes = static_cast<uint64_t>(archive.st_size);
    if (isEndRecordCutShort(_archiveFile.get(), totalBytes)) {
        return zipArchiveError(
            QVZipArchive::kErrorFailedToOpenZipFile, "failed to open zip file: its end record is cut short", _path);
    }
    UnzipHandle zip(unzOpen64(_path.c_str()));
    if (!zip)
        return zipArchiveError(QVZipArchive::kErrorFailedToOpenZipFile, "failed to open zip file", _path);
    _zip = zip.get();
    unz_global_info64 global {};
    if (unzGetGlobalInfo64(_zip, &global) != UNZ_OK)
        return zipArchiveError(QVZipArchive::kErrorFailedToOpenZipFile, "failed to open zip file", _path);
    if (global.number_entry > kMaxZipEntryCount) {
        return zipArchiveError(QVZipArchive::kErrorTooManyFiles,
            "too many files in zip file: " + std::to_string(global.number_entry), _path);
    }
    if (unzGoToFirstFile(_zip) != UNZ_OK)
        return zipArchiveError(
            QVZipArchive::kErrorFailedToOpenFirstFile, "failed to open first file in zip file", _path);
    auto checked = checkEntries();
    if (!checked.ok())
        return checked;
    if (unzGoToFirstFile(_zip) != UNZ_OK)
        return zipArchiveError(
            QVZipArchive::kErrorFailedToOpenFirstFile, "failed to open first file in zip file", _path);

    QVZipGlobalInfo zipInfo {global.number_entry, global.size_comment};
    if (_options.delegate) {
        _options.delegate->zipArchiveWillUnzipArchiveAtPath(_path, zipInfo);
        _options.delegate->zipArchiveProgressEvent(0, static_cast<int64_t>(totalBytes));
    }
    auto unpacked = unpackEntries(global.number_entry, totalBytes);
    zip.reset();
    _zip = nullptr;
    restoreFolderDates();
    if (_options.delegate) {
        if (unpacked.ok())
            _options.delegate->zipArchiveDidUnzipArchiveAtPath(_path, zipInfo, _destination);
        _options.delegate->zipArchiveProgressEvent(static_cast<int64_t>(totalBytes), static_cast<int64_t>(totalBytes));
    }
    return unpacked;
}

plat::Result<Entry> Unpacker::readCurrentEntry()
{
    Entry entry;
    if (unzGetCurrentFileInfo64(_zip, &entry.info, _nameBuffer.data(), _nameBuffer.size(), _extraBuffer.data(),
            _extraBuffer.size(), nullptr, 0)
        != UNZ_OK)
        return zipArchiveError(QVZipArchive::kErrorFailedToOpenFile, "failed to open file in zip file", _path);
    entry.name.assign(_nameBuffer.data(), std::min<size_t>(entry.info.size_filename, _nameBuffer.size()));
    applyZip64Fields(entry, _extraBuffer.data(), std::min<size_t>(entry.info.size_file_extra, _extraBuffer.size()));
    if (isFolderEntryName(entry.name))
        entry.kind = EntryKind::Folder;
    else if ((entry.info.external_fa & kFileTypeMask) == kSymbolicLinkType)
        entry.kind = EntryKind::SymbolicLink;
    auto components = safeEntryPathComponents(entry.name, kMaxZipEntryNameBytes);
    if (!components || (entry.kind != EntryKind::Folder && components->empty()))
        return entryError(QVZipArchive::kErrorUnsafeFileName, "unsafe file name in zip file", entry);
    entry.components = std::move(*components);
    return entry;
}

// A walk over the central directory before anything is written, so that a
// hostile or unreadable archive is refused whole.
plat::Result<void> Unpacker::checkEntries()
{
    uint64_t count = 0;
    uint64_t declaredBytes = 0;
    int next = UNZ_OK;
    do {
        if (++count > kMaxZipEntryCount) {
            return zipArchiveError(QVZipArchive::kErrorTooManyFiles,
                "too many files in zip file: more than " + std::to_string(count - 1), _path);
        }
        auto entry = readCurrentEntry();
        if (!entry.ok())
            return entry.error();
        const Entry& checked = entry.value();
        if (checked.kind == EntryKind::File) {
            uLong method = checked.info.compression_method;
            if (method != ZipEntryDecoder::kMethodStored && method != ZipEntryDecoder::kMethodDeflated) {
                return entryError(QVZipArchive::kErrorUnsupportedEntry,
                    "unsupported compression method " + std::to_string(method) + " in zip file", checked);
            }
            if ((checked.info.flag & kStrongEncryptionFlag) != 0)
                return entryError(QVZipArchive::kErrorUnsupportedEntry, "unsupported encryption in zip file", checked);
            if (checked.isEncrypted() && !hasPassword())
                return entryError(QVZipArchive::kErrorPasswordRequired, "file in zip file needs a password", checked);
            declaredBytes = saturatingAdd(declaredBytes, checked.info.uncompressed_size);
        }
        next = unzGoToNextFile(_zip);
    } while (next == UNZ_OK);
    if (next != UNZ_END_OF_LIST_OF_FILE)
        return zipArchiveError(QVZipArchive::kErrorFailedToReadFile, "damaged file list in zip file", _path);
    return checkFreeSpace(declaredBytes);
}

plat::Result<void> Unpacker::checkFreeSpace(uint64_t declaredBytes) const
{
    std::string folder = nearestExistingFolder(_destination);
    auto free = plat::freeSpace(folder);
    // The person reads these: the archive is named beside them, folders never are.
    if (!free.ok()) {
        plat::log("[QVZipArchive] Error: {}", free.error().localizedDescription());
        return zipArchiveError(QVZipArchive::kErrorNotEnoughSpace,
            "The free space for unpacking this archive cannot be read: " + failureReason(free.error()), _path);
    }
    const uint64_t neededBytes = saturatingAdd(declaredBytes, kZipFreeSpaceReserveBytes);
    if (neededBytes > free.value()) {
        plat::log("[QVZipArchive] {} needs {} bytes in {}, {} are free", _path, neededBytes, folder, free.value());
        // What the archive takes and the reserve are told apart: a small
        // archive refused on a nearly full disk is refused for the reserve.
        return zipArchiveError(QVZipArchive::kErrorNotEnoughSpace,
            "Not enough free space to unpack this archive: " + formattedFileSize(declaredBytes) + " needed and "
                + formattedFileSize(kZipFreeSpaceReserveBytes) + " kept free, " + formattedFileSize(free.value())
                + " available.",
            _path);
    }
    return plat::Result<void>::success();
}

plat::Result<void> Unpacker::unpackEntries(uint64_t totalFiles, uint64_t totalBytes)
{
    auto made = plat::createDirectory(_destination, plat::IntermediateDirectories::Yes);
    if (!made.ok()) {
        plat::log("[QVZipArchive] Error: {}", made.error().localizedDescription());
        return fileSystemError(made.error(), _path);
    }
    _destinationFolder = plat::FileDescriptor(::open(_destination.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!_destinationFolder.isValid())
        return fileSystemError(errno, "open folder", _destination);
    _inputBuffer.resize(kInputBufferBytes);

    uint64_t position = 0;
    for (int64_t index = 0;; ++index) {
        auto entry = readCurrentEntry();
        if (!entry.ok())
            return entry.error();
        QVZipEntryInfo fileInfo = publicInfo(entry.value().info);
        position = saturatingAdd(position, entry.value().info.compressed_size);
        if (_options.delegate) {
            _options.delegate->zipArchiveProgressEvent(
                static_cast<int64_t>(std::min(position, totalBytes)), static_cast<int64_t>(totalBytes));
            _options.delegate->zipArchiveWillUnzipFileAtIndex(index, static_cast<int64_t>(totalFiles), _path, fileInfo);
        }
        auto unpacked = unpackEntry(entry.value());
        if (!unpacked.ok())
            return unpacked;
        if (_options.delegate)
            _options.delegate->zipArchiveDidUnzipFileAtIndex(index, static_cast<int64_t>(totalFiles), _path, fileInfo);
        int next = unzGoToNextFile(_zip);
        if (next == UNZ_END_OF_LIST_OF_FILE)
            return plat::Result<void>::success();
        if (next != UNZ_OK)
            return zipArchiveError(QVZipArchive::kErrorFailedToReadFile, "damaged file list in zip file", _path);
    }
}

plat::Result<void> Unpacker::unpackEntry(const Entry& entry)
{
    if (entry.kind == EntryKind::SymbolicLink) {
        // Project archives are flat; a link could point anywhere.
        plat::log("[QVZipArchive] Skipped the symbolic link \"{}\"", plat::repairedUtf8(entry.name));
        return plat::Result<void>::success();
    }
    size_t folderDepth = entry.kind == EntryKind::Folder ? entry.components.size() : entry.components.size() - 1;
    auto folder = openFolder(entry.components, folderDepth);
    if (!folder.ok()) {
        plat::log("[QVZipArchive] Error: {}", folder.error().localizedDescription());
        return folder.error();
    }
    if (entry.kind == EntryKind::Folder) {
        if (!entry.components.empty()) {
            _folderDates.emplace_back(joinedPath(entry.components, entry.components.size()),
                QVZipArchive::_dateWithMSDOSFormat(static_cast<uint32_t>(entry.info.dosDate)));
        }
        return plat::Result<void>::success();
    }
    return unpackFile(entry, folder.value().get());
}

// Walks down from the destination one name at a time, making folders as
// needed and never following a symbolic link, so that nothing already in
// the destination can lead a write outside it.
plat::Result<plat::FileDescriptor> Unpacker::openFolder(const std::vector<std::string>& components, size_t count) const
{
    plat::FileDescriptor current(::fcntl(_destinationFolder.get(), F_DUPFD_CLOEXEC, 0));
    if (!current.isValid())
        return fileSystemError(errno, "open folder", _destination);
    for (size_t index = 0; index < count; ++index) {
        const std::string& name = components[index];
        if (::mkdirat(current.get(), name.c_str(), kFolderMode) != 0 && errno != EEXIST) {
            return fileSystemError(
                errno, "create folder", plat::appendingPathComponent(_destination, joinedPath(components, index + 1)));
        }
        plat::FileDescriptor next(
            ::openat(current.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!next.isValid()) {
            return fileSystemError(
                errno, "open folder", plat::appendingPathComponent(_destination, joinedPath(components, index + 1)));
        }
        current = std::move(next);
    }
    return current;
}

plat::Result<void> Unpacker::unpackFile(const Entry& entry, int folder)
{
    const std::string& leaf = entry.components.back();
    std::string fullPath
        = plat::appendingPathComponent(_destination, joinedPath(entry.components, entry.components.size()));
    struct stat existing { };
    const bool exists = ::fstatat(folder, leaf.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (exists && _options.overwrite == Overwrite::No)
        return plat::Result<void>::success();
    if (exists && (S_ISLNK(existing.st_mode) || S_ISDIR(existing.st_mode)))
        return fileSystemError(S_ISLNK(existing.st_mode) ? ELOOP : EISDIR, "create file", fullPath);

    // Each file is put in place whole, so a write made to fail fails as an atomic write does.
    switch (plat::detail::injectedWriteFailure(fullPath)) {
    case plat::detail::WriteFailurePoint::None:
        break;
    case plat::detail::WriteFailurePoint::ReadOnly:
        return fileSystemError(EROFS, "create file", fullPath);
    default:
        return fileSystemError(EIO, "write", fullPath);
    }
    auto dataOffset = locateEntryData(entry);
    if (!dataOffset.ok())
        return dataOffset.error();
    // The contents go to a new file that then takes the name: a file already
    // there stays whole until the entry has been checked, and a hard link in
    // its place is never written through.
    std::string temporary;
    plat::FileDescriptor file;
    for (int attempt = 0; attempt < kTemporaryFileAttempts && !file.isValid(); ++attempt) {
        temporary = kTemporaryFilePrefix + plat::UUID().UUIDString();
        file = plat::FileDescriptor(
            ::openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kNewFileMode));
        if (!file.isValid() && errno != EEXIST)
            break;
    }
    if (!file.isValid())
        return fileSystemError(errno, "create file", fullPath);
    plat::Result<void> result = copyEntryData(entry, dataOffset.value(), file.get(), fullPath);
    if (result.ok()) {
        setFileAttributes(entry, file.get());
        if (file.close() != 0)
            result = fileSystemError(errno, "write", fullPath);
        else if (::renameat(folder, temporary.c_str(), folder, leaf.c_str()) != 0)
            result = fileSystemError(errno, "create file", fullPath);
    }
    if (!result.ok()) {
        // Nothing half-written stays behind.
        if (file.isValid())
            file.close();
        if (::unlinkat(folder, temporary.c_str(), 0) != 0 && errno != ENOENT)
            plat::log("[QVZipArchive] cannot remove the unfinished {}: {}", fullPath, std::strerror(errno));
    }
    return result;
}

// Where the entry's stored bytes begin in the archive file. minizip checks
// the local header against the central record and skips it; entries whose
// header lies beyond its 32-bit reach are found through their zip64 offset.
plat::Result<uint64_t> Unpacker::locateEntryData(const Entry& entry)
{
    if (unzOpenCurrentFile2(_zip, nullptr, nullptr, 1) == UNZ_OK) {
        uint64_t offset = unzGetCurrentFileZStreamPos64(_zip);
        (void)unzCloseCurrentFile(_zip);
        return offset;
    }
    if (!entry.zip64LocalHeaderOffset)
        return entryError(QVZipArchive::kErrorFailedToOpenFile, "failed to open file in zip file", entry);
    constexpr size_t kLocalHeaderBytes = 30;
    constexpr uint32_t kLocalHeaderSignature = 0x04034b50;
    uint8_t header[kLocalHeaderBytes];
    ssize_t got = ::pread(_archiveFile.get(), header, sizeof header, static_cast<off_t>(*entry.zip64LocalHeaderOffset));
    uint32_t signature
        = static_cast<uint32_t>(readLittle16(header)) | (static_cast<uint32_t>(readLittle16(header + 2)) << 16);
    if (got != static_cast<ssize_t>(sizeof header) || signature != kLocalHeaderSignature)
        return entryError(QVZipArchive::kErrorFailedToOpenFile, "failed to open file in zip file", entry);
    return *entry.zip64LocalHeaderOffset + kLocalHeaderBytes + readLittle16(header + 26) + readLittle16(header + 28);
}

// The stored bytes are read here, in large chunks, and decrypted, inflated
// and checked by the decoder: the system's minizip is built without
// decryption, and misreads zip64 sizes.
plat::Result<void> Unpacker::copyEntryData(
    const Entry& entry, uint64_t dataOffset, int file, const std::string& fullPath)
{
    ZipEntryDecoder decoder(static_cast<uint32_t>(entry.info.compression_method), entry.info.uncompressed_size,
        static_cast<uint32_t>(entry.info.crc), kOutputBufferBytes);
    if (entry.isEncrypted()) {
        // The header's last byte repeats the checksum's top byte, or the
        // time's when the sizes follow the data.
        auto checkByte = static_cast<uint8_t>(
            (entry.info.flag & kDataDescriptorFlag) != 0 ? entry.info.dosDate >> 8 : entry.info.crc >> 24);
        decoder.setPassword(*_options.password, checkByte);
    }
    std::optional<plat::Error> writeError;
    auto writeToFile = [&](const uint8_t* bytes, size_t count) {
        auto stored = plat::writeAll(file, bytes, count, fullPath);
        if (!stored.ok())
            writeError = stored.error();
        return stored.ok();
    };
    ZipDecodeStatus status = ZipDecodeStatus::Ok;
    uint64_t position = dataOffset;
    uint64_t storedBytesLeft = entry.info.compressed_size;
    while (storedBytesLeft > 0) {
        auto wanted = static_cast<size_t>(std::min<uint64_t>(_inputBuffer.size(), storedBytesLeft));
        ssize_t got = ::pread(_archiveFile.get(), _inputBuffer.data(), wanted, static_cast<off_t>(position));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const auto cause = plat::Error::posix(errno, "read", _path);
            return entryError(QVZipArchive::kErrorFailedToReadFile,
                cause.localizedDescription() + " of file in zip file", entry, cause);
        }
        if (got == 0)
            break;  // the archive ends early: the decoder finds the data short
        position += static_cast<uint64_t>(got);
        storedBytesLeft -= static_cast<uint64_t>(got);
        status = decoder.decode(_inputBuffer.data(), static_cast<size_t>(got), writeToFile);
        if (status != ZipDecodeStatus::Ok)
            break;
    }
    if (status == ZipDecodeStatus::Ok)
        status = decoder.finish();
    switch (status) {
    case ZipDecodeStatus::Ok:
        return plat::Result<void>::success();
    case ZipDecodeStatus::SinkFailed:
        return writeError ? fileSystemError(*writeError, fullPath)
                          : zipArchiveError(QVZipArchive::kErrorFailedToCreateFile, "write failed", fullPath);
    case ZipDecodeStatus::WrongPassword:
        return entryError(QVZipArchive::kErrorWrongPassword, "wrong password for file in zip file", entry);
    case ZipDecodeStatus::LargerThanDeclared:
        return entryError(QVZipArchive::kErrorFailedToReadFile, "file in zip file is larger than declared", entry);
    case ZipDecodeStatus::ShorterThanDeclared:
        return entryError(QVZipArchive::kErrorFailedToReadFile, "file in zip file is shorter than declared", entry);
    case ZipDecodeStatus::ChecksumMismatch:
        return entryError(QVZipArchive::kErrorFailedToReadFile, "checksum mismatch of file in zip file", entry);
    case ZipDecodeStatus::DamagedData:
        break;
    }
    return entryError(entry.isEncrypted() ? QVZipArchive::kErrorWrongPassword : QVZipArchive::kErrorFailedToReadFile,
        entry.isEncrypted() ? "wrong password for file in zip file" : "damaged data of file in zip file", entry);
}

void Unpacker::setFileAttributes(const Entry& entry, int file) const
{
    plat::Date date = QVZipArchive::_dateWithMSDOSFormat(static_cast<uint32_t>(entry.info.dosDate));
    const timespec times[2] = {{0, UTIME_OMIT}, timespecFromDate(date)};
    if (::futimens(file, times) != 0)
        plat::log("[QVZipArchive] Failed to set attributes - whilst setting modification date");
    auto mode = static_cast<mode_t>(entry.info.external_fa >> 16);
    if (mode != 0 && ::fchmod(file, (mode & kPermissionBits) | kOwnerReadWrite) != 0)
        plat::log("[QVZipArchive] Failed to set attributes - whilst setting permissions");
}

// Writing files changed their folders' dates; folder entries get theirs back.
void Unpacker::restoreFolderDates() const
{
    if (!_destinationFolder.isValid())
        return;
    for (const auto& [relativePath, date] : _folderDates) {
        const timespec times[2] = {{0, UTIME_OMIT}, timespecFromDate(date)};
        if (::utimensat(_destinationFolder.get(), relativePath.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
            std::string fullPath = plat::appendingPathComponent(_destination, relativePath);
            plat::log("[QVZipArchive] Set attributes failed for directory: {}.", fullPath);
            plat::log("[QVZipArchive] Error setting directory file modification date attribute: {}",
                plat::Error::posix(errno, "set the date of", fullPath).localizedDescription());
        }
    }
}

}  // namespace

plat::Error zipArchiveError(
    int64_t code, const std::string& description, const std::string& path, const std::optional<plat::Error>& cause)
{
    plat::Dictionary userInfo;
    if (!path.empty())
        userInfo.set(plat::kFilePathErrorKey, path);
    return plat::Error(QVZipArchive::kErrorDomain, code, description, std::move(userInfo),
        cause ? std::make_shared<const plat::Error>(*cause) : nullptr);
}

plat::Result<void> unzipArchive(const std::string& path, const std::string& destination, const UnzipOptions& options)
{
    return Unpacker(path, destination, options).run();
}

}  // namespace zt::detail
