#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Date.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

namespace zt {

enum class Overwrite { No, Yes };

// An archive's global information (its end of central directory).
struct QVZipGlobalInfo {
    uint64_t numberOfEntries = 0;
    uint64_t commentSize = 0;
};

// One entry's record from the central directory, as the archive states it.
struct QVZipEntryInfo {
    uint32_t version = 0;
    uint32_t versionNeeded = 0;
    uint32_t flag = 0;
    uint32_t compressionMethod = 0;
    uint32_t dosDate = 0;
    uint32_t crc = 0;
    uint64_t compressedSize = 0;
    uint64_t uncompressedSize = 0;
    uint32_t sizeFilename = 0;
    uint32_t sizeFileExtra = 0;
    uint32_t sizeFileComment = 0;
    uint32_t diskNumStart = 0;
    uint32_t internalAttributes = 0;
    uint32_t externalAttributes = 0;
};

// The date and attributes of an entry being written. The date fields are
// local time; a dosDate of 0 means "take the fields".
struct QVZipFileInfo {
    uint32_t seconds = 0;
    uint32_t minutes = 0;
    uint32_t hours = 0;
    uint32_t dayOfMonth = 0;
    uint32_t month = 0;  // 0-11
    uint32_t year = 0;  // full year
    uint32_t dosDate = 0;
    uint32_t internalAttributes = 0;
    uint32_t externalAttributes = 0;
};

// Told about an unpacking as it goes, on the unpacking thread. Every
// operation is optional.
class QVZipArchiveDelegate {
public:
    virtual ~QVZipArchiveDelegate() = default;
    virtual void zipArchiveWillUnzipArchiveAtPath(const std::string& path, const QVZipGlobalInfo& zipInfo)
    {
        (void)path, (void)zipInfo;
    }
    virtual void zipArchiveDidUnzipArchiveAtPath(
        const std::string& path, const QVZipGlobalInfo& zipInfo, const std::string& unzippedPath)
    {
        (void)path, (void)zipInfo, (void)unzippedPath;
    }
    virtual void zipArchiveWillUnzipFileAtIndex(
        int64_t fileIndex, int64_t totalFiles, const std::string& archivePath, const QVZipEntryInfo& fileInfo)
    {
        (void)fileIndex, (void)totalFiles, (void)archivePath, (void)fileInfo;
    }
    virtual void zipArchiveDidUnzipFileAtIndex(
        int64_t fileIndex, int64_t totalFiles, const std::string& archivePath, const QVZipEntryInfo& fileInfo)
    {
        (void)fileIndex, (void)totalFiles, (void)archivePath, (void)fileInfo;
    }
    // Bytes of the archive file passed so far, of its whole size.
    virtual void zipArchiveProgressEvent(int64_t loaded, int64_t total) { (void)loaded, (void)total; }
};

// Zip archives: unpacking an archive into a folder (class operations) and
// writing a new archive entry by entry (an instance: open, writes, close).
// Entries are deflated at the default level; zip64 is used where sizes need it.
// Archives come from outside: unpacking never writes outside the destination,
// never makes symbolic links, checks the sizes against free space and the
// data against the sizes and checksums, and reports every failure. One
// archive per instance; any thread.
class QVZipArchive {
public:
    static constexpr const char* kErrorDomain = "QVZipArchiveErrorDomain";
    static constexpr int64_t kErrorFailedToOpenZipFile = -1;
    static constexpr int64_t kErrorFailedToOpenFirstFile = -2;
    static constexpr int64_t kErrorFailedToOpenFile = -3;
    static constexpr int64_t kErrorFailedToReadFile = -4;  // damaged data, wrong size or checksum
    static constexpr int64_t kErrorPasswordRequired = -5;
    static constexpr int64_t kErrorWrongPassword = -6;
    static constexpr int64_t kErrorUnsafeFileName = -7;  // would leave the destination, or is not UTF-8
    static constexpr int64_t kErrorUnsupportedEntry = -8;  // compression method or encryption we cannot read
    static constexpr int64_t kErrorTooManyFiles = -9;
    static constexpr int64_t kErrorNotEnoughSpace = -10;
    static constexpr int64_t kErrorFailedToCreateFile = -11;  // at the destination
    static constexpr int64_t kErrorFailedToAddFile = -12;  // packing: a file that cannot be read or added
    static constexpr int64_t kErrorFailedToWriteZipFile = -13;  // packing: the archive itself

    // Unpacking. The destination folder is made as needed. A file is written
    // under a temporary name and then replaces what had its name. On failure
    // the file being written is removed (a file it would replace stays);
    // files unpacked before stay (the caller owns the destination and removes
    // it when it made it).
    static bool unzipFileAtPath(const std::string& path, const std::string& destination);
    static bool unzipFileAtPath(
        const std::string& path, const std::string& destination, QVZipArchiveDelegate* delegate);
    static bool unzipFileAtPath(const std::string& path, const std::string& destination, Overwrite overwrite,
        const std::optional<std::string>& password, std::optional<plat::Error>* error);
    // delegate is borrowed for the call.
    static bool unzipFileAtPath(const std::string& path, const std::string& destination, Overwrite overwrite,
        const std::optional<std::string>& password, std::optional<plat::Error>* error, QVZipArchiveDelegate* delegate);

    // A DOS date and time (local time, two-second steps) as a date.
    static plat::Date _dateWithMSDOSFormat(uint32_t msdosDateTime);

    // Packing. Each file is stored under its last path component (a flat
    // archive). Any file that cannot be added fails the whole archive, which
    // is then removed.
    static bool createZipFileAtPath(
        const std::string& path, const std::vector<std::string>& paths, std::optional<plat::Error>* error = nullptr);
    // Every file below the folder under its path relative to it; folders get
    // no entries, links are followed. The archive itself, when it lies in the
    // folder, is left out.
    static bool createZipFileAtPathWithContentsOfDirectory(
        const std::string& path, const std::string& directoryPath, std::optional<plat::Error>* error = nullptr);

    explicit QVZipArchive(std::string path);
    ~QVZipArchive();  // closes the archive when still open
    QVZipArchive(const QVZipArchive&) = delete;
    QVZipArchive& operator=(const QVZipArchive&) = delete;

    // Creates the archive file (replacing one that exists).
    bool open(std::optional<plat::Error>* error = nullptr);
    bool writeFile(const std::string& path, std::optional<plat::Error>* error = nullptr)
    {
        return writeFileAtPath(path, std::nullopt, error);
    }
    // fileName is the entry's name; none for the path's last component. A
    // failed write may leave a partial entry: discard the archive then.
    bool writeFileAtPath(const std::string& path, const std::optional<std::string>& fileName,
        std::optional<plat::Error>* error = nullptr);
    // An entry dated now, without permissions.
    bool writeData(const plat::Data& data, const std::string& filename, std::optional<plat::Error>* error = nullptr);
    // Writes the central directory; false when that fails.
    bool close(std::optional<plat::Error>* error = nullptr);

    // Fills the date fields from the date in the current calendar, held to
    // the range a DOS date can hold (1980 to 2107).
    void zipInfo(QVZipFileInfo& zipInfo, plat::Date date) const;

private:
    struct Impl;

    std::string _path;
    std::unique_ptr<Impl> _impl;  // the open archive (minizip's handle), none until open
};

}  // namespace zt
