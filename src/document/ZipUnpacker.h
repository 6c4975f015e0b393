#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "document/QVZipArchive.h"
#include "platform/foundation/Result.h"

namespace zt::detail {

struct UnzipOptions {
    Overwrite overwrite = Overwrite::Yes;
    std::optional<std::string> password;  // none or empty: no password
    QVZipArchiveDelegate* delegate = nullptr;  // borrowed for the call
};

// Limits that keep a hostile archive from filling the disk or the memory.
inline constexpr uint64_t kMaxZipEntryCount = 100000;
inline constexpr size_t kMaxZipEntryNameBytes = 1024;
// Unpacking leaves at least this much free space on the disk.
inline constexpr uint64_t kZipFreeSpaceReserveBytes = uint64_t(32) << 20;

// Unpacks the archive at path into destination. Before anything is written
// every entry's name, kind, method and encryption are checked and the sizes
// the archive declares are compared with the free space; while writing, the
// bytes actually inflated must match the declared size and checksum.
plat::Result<void> unzipArchive(const std::string& path, const std::string& destination, const UnzipOptions& options);

// An error of QVZipArchive's domain naming the path it concerns, and
// wrapping the system's error when one is the cause (the person is told
// that one's reason, without the paths the description holds for the log).
plat::Error zipArchiveError(int64_t code, const std::string& description, const std::string& path,
    const std::optional<plat::Error>& cause = std::nullopt);

}  // namespace zt::detail
