#include "web/WSFileHandle.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace zt {

std::shared_ptr<WSFileHandle> WSFileHandle::fileHandleForReadingAtPath(const std::string& path)
{
    int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    return fileHandleWithDescriptor(descriptor, path);
}

std::shared_ptr<WSFileHandle> WSFileHandle::fileHandleForWritingAtPath(const std::string& path)
{
    int descriptor = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    return fileHandleWithDescriptor(descriptor, path);
}

std::shared_ptr<WSFileHandle> WSFileHandle::fileHandleWithDescriptor(int descriptor, std::string path)
{
    return std::shared_ptr<WSFileHandle>(new WSFileHandle(descriptor, std::move(path)));
}

WSFileHandle::WSFileHandle(int descriptor, std::string path)
    : _descriptor(descriptor)
    , _path(std::move(path))
{
}

WSFileHandle::~WSFileHandle()
{
    closeFile();
}

void WSFileHandle::closeFile()
{
    if (_descriptor >= 0)
        ::close(_descriptor);
    _descriptor = -1;
}

plat::Result<plat::Data> WSFileHandle::readDataOfLength(uint64_t length)
{
    plat::Data data(static_cast<size_t>(length));
    size_t done = 0;
    while (done < data.size()) {
        ssize_t count = ::read(_descriptor, data.data() + done, data.size() - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return plat::Error::posix(errno, "read", _path);
        if (count == 0)
            break;
        done += static_cast<size_t>(count);
    }
    data.resize(done);
    return data;
}

plat::Result<void> WSFileHandle::writeData(const plat::Data& data)
{
    size_t done = 0;
    while (done < data.size()) {
        ssize_t count = ::write(_descriptor, data.data() + done, data.size() - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return plat::Error::posix(errno, "write", _path);
        done += static_cast<size_t>(count);
    }
    return {};
}

plat::Result<uint64_t> WSFileHandle::seekToEndOfFile()
{
    off_t offset = ::lseek(_descriptor, 0, SEEK_END);
    if (offset < 0)
        return plat::Error::posix(errno, "lseek", _path);
    return static_cast<uint64_t>(offset);
}

plat::Result<void> WSFileHandle::seekToFileOffset(uint64_t offset)
{
    if (::lseek(_descriptor, static_cast<off_t>(offset), SEEK_SET) < 0)
        return plat::Error::posix(errno, "lseek", _path);
    return {};
}

plat::Result<void> WSFileHandle::truncateFileAtOffset(uint64_t offset)
{
    if (::ftruncate(_descriptor, static_cast<off_t>(offset)) != 0)
        return plat::Error::posix(errno, "ftruncate", _path);
    return seekToFileOffset(offset);
}

plat::Result<uint64_t> WSFileHandle::offsetInFile() const
{
    off_t offset = ::lseek(_descriptor, 0, SEEK_CUR);
    if (offset < 0)
        return plat::Error::posix(errno, "lseek", _path);
    return static_cast<uint64_t>(offset);
}

}  // namespace zt
