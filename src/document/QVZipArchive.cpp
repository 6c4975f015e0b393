#include "document/QVZipArchive.h"

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

#include "document/ZipUnpacker.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

namespace zt {

namespace {

// Chunks read from a file and handed to the deflater.
constexpr size_t kPackBufferBytes = 16384;
// Host Unix, format 3.0: other tools then read the upper half of the
// external attributes as the file's type and mode.
constexpr uLong kVersionMadeByUnix = (3u << 8) | 30u;
constexpr uLong kUtf8NamesFlag = 1u << 11;
constexpr uint32_t kRegularFileType = 0x8000;
constexpr mode_t kPermissionBits = 0777;
constexpr uint64_t kZip64Threshold = 0xFFFFFFFFu;
constexpr size_t kMaxEntryNameBytes = 0xFFFF;  // the name's length field is 16 bits
constexpr int64_t kFirstDosYear = 1980;
constexpr int64_t kLastDosYear = 2107;

using ChunkReader = std::function<plat::Result<size_t>(uint8_t* buffer, size_t capacity)>;

bool report(std::optional<plat::Error>* error, plat::Error failure)
{
    plat::log("[QVZipArchive] {}", failure.localizedDescription());
    if (error)
        *error = std::move(failure);
    return false;
}

bool isAscii(std::string_view text)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

plat::Date modificationDate(const struct stat& info)
{
    return plat::Date::withTimeIntervalSince1970(
        static_cast<double>(info.st_mtim.tv_sec) + static_cast<double>(info.st_mtim.tv_nsec) / 1e9);
}

// A write of the archive that minizip gave up on. ZIP_ERRNO means the
// system refused it, and errno, read right after the call, says why (a full
// disk): that reason is kept beneath the error.
struct ZipCallResult {
    int result;
    int savedErrno;
};

template <typename Call> ZipCallResult callZip(Call&& call)
{
    errno = 0;
    int result = call();
    return {result, errno};
}

// operation: writing the archive, or packing one of its entries.
plat::Error zipWriteError(
    const ZipCallResult& failed, const std::string& text, const std::string& path, const char* operation)
{
    if (failed.result != ZIP_ERRNO || failed.savedErrno == 0)
        return detail::zipArchiveError(QVZipArchive::kErrorFailedToWriteZipFile, text, path);
    auto reason = plat::Error::posix(failed.savedErrno, operation, path);
    plat::Dictionary userInfo;
    userInfo.set(plat::kFilePathErrorKey, path);
    return plat::Error(QVZipArchive::kErrorDomain, QVZipArchive::kErrorFailedToWriteZipFile,
        text + ": " + reason.localizedDescription(), std::move(userInfo), std::make_shared<const plat::Error>(reason));
}

// A half-made archive must not pass for a whole one.
bool discardArchive(QVZipArchive& archive, const std::string& path)
{
    (void)archive.close();  // the archive is being thrown away: only its removal matters
    if (auto removed = plat::removeItemIfExists(path); !removed.ok())
        plat::log("[QVZipArchive] cannot remove the unfinished {}: {}", path, removed.error().localizedDescription());
    return false;
}

}  // namespace

struct QVZipArchive::Impl {
    zipFile zip = nullptr;
    // The archive file, so that it is never packed into itself.
    dev_t device = 0;
    ino_t inode = 0;
    std::vector<uint8_t> buffer;

    ~Impl()
    {
        if (zip)
            zipClose(zip, nullptr);
    }

    bool isArchiveFile(const struct stat& info) const { return zip && info.st_dev == device && info.st_ino == inode; }

    bool writeEntry(const std::string& name, const QVZipFileInfo& info, uint64_t size, const ChunkReader& read,
        std::optional<plat::Error>* error);
};

bool QVZipArchive::Impl::writeEntry(const std::string& name, const QVZipFileInfo& info, uint64_t size,
    const ChunkReader& read, std::optional<plat::Error>* error)
{
    if (name.empty() || name.size() > kMaxEntryNameBytes || name.find('\0') != std::string::npos) {
        return report(error,
            detail::zipArchiveError(kErrorFailedToAddFile, "file name cannot be stored in zip file: " + name, name));
    }
    zip_fileinfo entryInfo {};
    entryInfo.tmz_date.tm_sec = info.seconds;
    entryInfo.tmz_date.tm_min = info.minutes;
    entryInfo.tmz_date.tm_hour = info.hours;
    entryInfo.tmz_date.tm_mday = info.dayOfMonth;
    entryInfo.tmz_date.tm_mon = info.month;
    entryInfo.tmz_date.tm_year = info.year;
    entryInfo.dosDate = info.dosDate;
    entryInfo.internal_fa = info.internalAttributes;
    entryInfo.external_fa = info.externalAttributes;
    uLong flags = isAscii(name) ? 0 : kUtf8NamesFlag;
    int zip64 = size >= kZip64Threshold ? 1 : 0;
    auto opened = callZip([&] {
        return zipOpenNewFileInZip4_64(zip, name.c_str(), &entryInfo, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
            Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, kVersionMadeByUnix,
            flags, zip64);
    });
    if (opened.result != ZIP_OK)
        return report(error, zipWriteError(opened, "failed to add file to zip file: " + name, name, "pack"));
    buffer.resize(kPackBufferBytes);
    for (;;) {
        auto got = read(buffer.data(), buffer.size());
        if (!got.ok()) {
            (void)zipCloseFileInZip(zip);
            return report(
                error, detail::zipArchiveError(kErrorFailedToAddFile, got.error().localizedDescription(), name));
        }
        if (got.value() == 0)
            break;
        auto written
            = callZip([&] { return zipWriteInFileInZip(zip, buffer.data(), static_cast<unsigned>(got.value())); });
        if (written.result != ZIP_OK) {
            (void)zipCloseFileInZip(zip);
            return report(error, zipWriteError(written, "failed to write zip file", name, "pack"));
        }
    }
    auto closed = callZip([&] { return zipCloseFileInZip(zip); });
    if (closed.result != ZIP_OK)
        return report(error, zipWriteError(closed, "failed to write zip file", name, "pack"));
    return true;
}

QVZipArchive::QVZipArchive(std::string path)
    : _path(std::move(path))
    , _impl(std::make_unique<Impl>())
{
}

QVZipArchive::~QVZipArchive() = default;

bool QVZipArchive::open(std::optional<plat::Error>* error)
{
    if (_impl->zip)
        return report(error, detail::zipArchiveError(kErrorFailedToWriteZipFile, "zip file is already open", _path));
    _impl->zip = zipOpen64(_path.c_str(), APPEND_STATUS_CREATE);
    if (!_impl->zip) {
        return report(error,
            detail::zipArchiveError(kErrorFailedToWriteZipFile,
                plat::Error::posix(errno, "create zip file", _path).localizedDescription(), _path));
    }
    struct stat info { };
    if (::stat(_path.c_str(), &info) == 0) {
        _impl->device = info.st_dev;
        _impl->inode = info.st_ino;
    }
    return true;
}

bool QVZipArchive::writeFileAtPath(
    const std::string& path, const std::optional<std::string>& fileName, std::optional<plat::Error>* error)
{
    if (!_impl->zip)
        return report(error, detail::zipArchiveError(kErrorFailedToWriteZipFile, "zip file is not open", _path));
    // Non-blocking, so that a FIFO cannot stall the packing; regular files ignore it.
    plat::FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.isValid()) {
        return report(error,
            detail::zipArchiveError(
                kErrorFailedToAddFile, plat::Error::posix(errno, "open", path).localizedDescription(), path));
    }
    struct stat info { };
    if (::fstat(file.get(), &info) != 0) {
        return report(error,
            detail::zipArchiveError(kErrorFailedToAddFile,
                plat::Error::posix(errno, "read attributes of", path).localizedDescription(), path));
    }
    if (!S_ISREG(info.st_mode))
        return report(error, detail::zipArchiveError(kErrorFailedToAddFile, "not a regular file: " + path, path));
    if (_impl->isArchiveFile(info))
        return report(error, detail::zipArchiveError(kErrorFailedToAddFile, "cannot add a zip file to itself", path));

    QVZipFileInfo entryInfo;
    zipInfo(entryInfo, modificationDate(info));
    entryInfo.externalAttributes = (kRegularFileType + (info.st_mode & kPermissionBits)) << 16;
    const int fd = file.get();
    auto readChunk = [fd, &path](uint8_t* buffer, size_t capacity) -> plat::Result<size_t> {
        for (;;) {
            ssize_t got = ::read(fd, buffer, capacity);
            if (got >= 0)
                return static_cast<size_t>(got);
            if (errno != EINTR)
                return plat::Error::posix(errno, "read", path);
        }
    };
    return _impl->writeEntry(fileName.value_or(plat::lastPathComponent(path)), entryInfo,
        static_cast<uint64_t>(info.st_size), readChunk, error);
}

bool QVZipArchive::writeData(const plat::Data& data, const std::string& filename, std::optional<plat::Error>* error)
{
    if (!_impl->zip)
        return report(error, detail::zipArchiveError(kErrorFailedToWriteZipFile, "zip file is not open", _path));
    QVZipFileInfo entryInfo;
    zipInfo(entryInfo, plat::Date::now());
    size_t offset = 0;
    auto readChunk = [&data, &offset](uint8_t* buffer, size_t capacity) -> plat::Result<size_t> {
        size_t count = std::min(capacity, data.size() - offset);
        std::copy_n(data.data() + offset, count, buffer);
        offset += count;
        return count;
    };
    return _impl->writeEntry(filename, entryInfo, data.size(), readChunk, error);
}

bool QVZipArchive::close(std::optional<plat::Error>* error)
{
    if (!_impl->zip)
        return true;
    auto closed = callZip([&] { return zipClose(_impl->zip, nullptr); });
    _impl->zip = nullptr;
    if (closed.result != ZIP_OK)
        return report(error, zipWriteError(closed, "failed to write zip file", _path, "write"));
    return true;
}

void QVZipArchive::zipInfo(QVZipFileInfo& zipInfo, plat::Date date) const
{
    using plat::CalendarUnit;
    auto components = plat::Calendar::currentCalendar().components(CalendarUnit::Year | CalendarUnit::Month
            | CalendarUnit::Day | CalendarUnit::Hour | CalendarUnit::Minute | CalendarUnit::Second,
        date);
    // A DOS date holds the years 1980 to 2107 only; outside them the fields
    // would wrap into a wrong date.
    if (components.year() < kFirstDosYear) {
        zipInfo.year = kFirstDosYear;
        zipInfo.month = 0;
        zipInfo.dayOfMonth = 1;
        zipInfo.hours = zipInfo.minutes = zipInfo.seconds = 0;
        return;
    }
    if (components.year() > kLastDosYear) {
        zipInfo.year = kLastDosYear;
        zipInfo.month = 11;
        zipInfo.dayOfMonth = 31;
        zipInfo.hours = 23;
        zipInfo.minutes = 59;
        zipInfo.seconds = 58;
        return;
    }
    zipInfo.seconds = static_cast<uint32_t>(components.second());
    zipInfo.minutes = static_cast<uint32_t>(components.minute());
    zipInfo.hours = static_cast<uint32_t>(components.hour());
    zipInfo.dayOfMonth = static_cast<uint32_t>(components.day());
    zipInfo.month = static_cast<uint32_t>(components.month() - 1);
    zipInfo.year = static_cast<uint32_t>(components.year());
}

plat::Date QVZipArchive::_dateWithMSDOSFormat(uint32_t msdosDateTime)
{
    const uint32_t d = msdosDateTime;
    plat::DateComponents components;
    components.setYear((d >> 25) + 1980);
    components.setMonth((d >> 21) & 15);
    components.setDay((d >> 16) & 31);
    components.setHour((d >> 11) & 31);
    components.setMinute((d >> 5) & 63);
    components.setSecond((d * 2) & 62);
    // Out-of-range fields of a damaged date carry over; they cannot overflow.
    // The calendar of the moment follows the local time zone (DOS dates are local time).
    return plat::Calendar::currentCalendar().dateFromComponents(components).value_or(plat::Date());
}

bool QVZipArchive::unzipFileAtPath(const std::string& path, const std::string& destination)
{
    return unzipFileAtPath(path, destination, Overwrite::Yes, std::nullopt, nullptr, nullptr);
}

bool QVZipArchive::unzipFileAtPath(
    const std::string& path, const std::string& destination, QVZipArchiveDelegate* delegate)
{
    return unzipFileAtPath(path, destination, Overwrite::Yes, std::nullopt, nullptr, delegate);
}

bool QVZipArchive::unzipFileAtPath(const std::string& path, const std::string& destination, Overwrite overwrite,
    const std::optional<std::string>& password, std::optional<plat::Error>* error)
{
    return unzipFileAtPath(path, destination, overwrite, password, error, nullptr);
}

bool QVZipArchive::unzipFileAtPath(const std::string& path, const std::string& destination, Overwrite overwrite,
    const std::optional<std::string>& password, std::optional<plat::Error>* error, QVZipArchiveDelegate* delegate)
{
    auto unzipped = detail::unzipArchive(path, destination, detail::UnzipOptions {overwrite, password, delegate});
    if (!unzipped.ok())
        return report(error, unzipped.error());
    return true;
}

bool QVZipArchive::createZipFileAtPath(
    const std::string& path, const std::vector<std::string>& paths, std::optional<plat::Error>* error)
{
    QVZipArchive archive(path);
    if (!archive.open(error))
        return false;
    for (const std::string& file : paths) {
        if (!archive.writeFile(file, error))
            return discardArchive(archive, path);
    }
    if (!archive.close(error))
        return discardArchive(archive, path);
    return true;
}

bool QVZipArchive::createZipFileAtPathWithContentsOfDirectory(
    const std::string& path, const std::string& directoryPath, std::optional<plat::Error>* error)
{
    auto subpaths = plat::subpathsOfDirectory(directoryPath);
    if (!subpaths.ok()) {
        return report(error,
            detail::zipArchiveError(kErrorFailedToAddFile, subpaths.error().localizedDescription(), directoryPath));
    }
    QVZipArchive archive(path);
    if (!archive.open(error))
        return false;
    for (const std::string& subpath : subpaths.value()) {
        std::string file = plat::appendingPathComponent(directoryPath, subpath);
        struct stat info { };
        if (::stat(file.c_str(), &info) != 0) {
            report(error,
                detail::zipArchiveError(kErrorFailedToAddFile,
                    plat::Error::posix(errno, "read attributes of", file).localizedDescription(), file));
            return discardArchive(archive, path);
        }
        if (S_ISDIR(info.st_mode) || archive._impl->isArchiveFile(info))
            continue;
        if (!archive.writeFileAtPath(file, subpath, error))
            return discardArchive(archive, path);
    }
    if (!archive.close(error))
        return discardArchive(archive, path);
    return true;
}

}  // namespace zt
