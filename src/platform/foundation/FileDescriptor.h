#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <unistd.h>
#include <utility>

#include "platform/foundation/Result.h"

namespace plat {

// Owns a POSIX file descriptor and closes it on every path out of a scope.
// Move-only; one thread at a time.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd)
        : _fd(fd)
    {
    }
    FileDescriptor(FileDescriptor&& other) noexcept
        : _fd(std::exchange(other._fd, -1))
    {
    }
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        if (this != &other) {
            reset();
            _fd = std::exchange(other._fd, -1);
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { reset(); }

    int get() const { return _fd; }
    bool isValid() const { return _fd >= 0; }
    // Closes now and reports the result: close can report a failed write.
    int close()
    {
        int result = ::close(_fd);
        _fd = -1;
        return result;
    }

private:
    void reset()
    {
        if (_fd >= 0)
            ::close(_fd);
        _fd = -1;
    }
    int _fd = -1;
};

// Writes every byte, going on after short writes and interruptions; the
// error names the path.
Result<void> writeAll(int fd, const uint8_t* bytes, size_t length, const std::string& path);

}  // namespace plat
