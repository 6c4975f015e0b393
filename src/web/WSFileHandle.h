#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace zt {

// An open file for the fetchers' downloads and uploads, as the platform's
// file handle: reads and writes at the current offset. Closed when destroyed.
// One thread at a time.
class WSFileHandle {
public:
    static std::shared_ptr<WSFileHandle> fileHandleForReadingAtPath(const std::string& path);
    static std::shared_ptr<WSFileHandle> fileHandleForWritingAtPath(const std::string& path);
    // Takes over an open descriptor.
    static std::shared_ptr<WSFileHandle> fileHandleWithDescriptor(int descriptor, std::string path);

    ~WSFileHandle();
    WSFileHandle(const WSFileHandle&) = delete;
    WSFileHandle& operator=(const WSFileHandle&) = delete;

    plat::Result<plat::Data> readDataOfLength(uint64_t length);
    plat::Result<void> writeData(const plat::Data& data);
    plat::Result<uint64_t> seekToEndOfFile();
    plat::Result<void> seekToFileOffset(uint64_t offset);
    plat::Result<void> truncateFileAtOffset(uint64_t offset);
    plat::Result<uint64_t> offsetInFile() const;
    void closeFile();
    const std::string& path() const { return _path; }

private:
    WSFileHandle(int descriptor, std::string path);
    int _descriptor;
    std::string _path;
};

}  // namespace zt
