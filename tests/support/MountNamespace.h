#pragma once
// Real file-system faults without root: the test runs again in a user and
// mount namespace of its own (`unshare -rm`), where it may mount a small
// tmpfs (a full disk) or bind a folder read-only (a device folder that cannot
// be written; the kernel refuses the namespace's root too).
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "support/BoundedChild.h"

namespace plat::test {

enum class MountNamespaceRun {
    Here,  // this run is inside the namespace: the test goes on
    Elsewhere,  // the test ran again inside one, and its failure became this run's: return
    NotPermitted  // the machine permits no such namespace: skip
};

inline MountNamespaceRun runInOwnMountNamespace()
{
    constexpr const char* kMarker = "ZT_TEST_IN_OWN_MOUNT_NAMESPACE";
    if (std::getenv(kMarker))
        return MountNamespaceRun::Here;
    if (runShellBounded("unshare -rm true 2>/dev/null") != 0)
        return MountNamespaceRun::NotPermitted;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    // Appended piece by piece: gcc 12 mistakes a chain of + here for an overflow.
    std::string command = kMarker;
    command += "=1 unshare -rm '" + self + "' --gtest_filter=";
    command += std::string(test->test_suite_name()) + "." + test->name();
    EXPECT_EQ(plat::test::runShellBounded(command), 0) << "the run in its own mount namespace failed";
    return MountNamespaceRun::Elsewhere;
}

// The folder bound read-only over itself while in scope (inside the
// namespace of runInOwnMountNamespace). ok() says whether it worked, and
// error() why not.
class ReadOnlyBindMount {
public:
    explicit ReadOnlyBindMount(std::string folder)
        : _folder(std::move(folder))
    {
        if (::mount(_folder.c_str(), _folder.c_str(), nullptr, MS_BIND | MS_REC, nullptr) != 0) {
            _error = std::string("bind: ") + std::strerror(errno);
            return;
        }
        _bound = true;
        // A remount in a user namespace must keep the flags the outer mount locked.
        struct statvfs facts { };
        unsigned long kept = 0;
        if (::statvfs(_folder.c_str(), &facts) == 0) {
            kept |= (facts.f_flag & ST_NOSUID) ? MS_NOSUID : 0;
            kept |= (facts.f_flag & ST_NODEV) ? MS_NODEV : 0;
            kept |= (facts.f_flag & ST_NOEXEC) ? MS_NOEXEC : 0;
            kept |= (facts.f_flag & ST_NOATIME) ? MS_NOATIME : 0;
            kept |= (facts.f_flag & ST_NODIRATIME) ? MS_NODIRATIME : 0;
            kept |= (facts.f_flag & ST_RELATIME) ? MS_RELATIME : 0;
        }
        if (::mount(nullptr, _folder.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY | kept, nullptr) != 0)
            _error = std::string("read-only remount: ") + std::strerror(errno);
    }
    ~ReadOnlyBindMount()
    {
        if (_bound)
            ::umount2(_folder.c_str(), MNT_DETACH);
    }
    ReadOnlyBindMount(const ReadOnlyBindMount&) = delete;
    ReadOnlyBindMount& operator=(const ReadOnlyBindMount&) = delete;

    bool ok() const { return _bound && _error.empty(); }
    const std::string& error() const { return _error; }

private:
    std::string _folder;
    bool _bound = false;
    std::string _error;
};

// A tmpfs of the size given ("512k", "2m") over the folder while in scope
// (inside the namespace of runInOwnMountNamespace): a disk that fills as it
// is written. What was in the folder is hidden meanwhile.
class SmallDisk {
public:
    SmallDisk(std::string folder, const std::string& size)
        : _folder(std::move(folder))
    {
        _mounted = ::mount("none", _folder.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
        if (!_mounted)
            _error = std::string("tmpfs: ") + std::strerror(errno);
    }
    ~SmallDisk()
    {
        if (_mounted)
            ::umount2(_folder.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool ok() const { return _mounted; }
    const std::string& error() const { return _error; }

private:
    std::string _folder;
    bool _mounted = false;
    std::string _error;
};

// One file in the folder that takes all the room left on the disk that
// holds it but roomLeftBytes, while in scope (a disk a person has all but
// filled). ok() says whether it worked, and error() why not.
class FilledDisk {
public:
    FilledDisk(const std::string& folder, uint64_t roomLeftBytes)
        : _filler(folder + "/filler")
    {
        struct statvfs disk { };
        if (::statvfs(folder.c_str(), &disk) != 0) {
            _error = std::string("statvfs: ") + std::strerror(errno);
            return;
        }
        const uint64_t room = disk.f_bavail * disk.f_frsize;
        if (room < roomLeftBytes) {
            _error = "less room than that is left";
            return;
        }
        const int fd = ::open(_filler.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            _error = std::string("filler: ") + std::strerror(errno);
            return;
        }
        const int filled = ::posix_fallocate(fd, 0, static_cast<off_t>(room - roomLeftBytes));
        ::close(fd);
        if (filled != 0)
            _error = std::string("fill: ") + std::strerror(filled);
        else if (::statvfs(folder.c_str(), &disk) != 0 || disk.f_bavail * disk.f_frsize > roomLeftBytes)
            _error = "more room is left on the disk";
    }
    ~FilledDisk() { ::unlink(_filler.c_str()); }
    FilledDisk(const FilledDisk&) = delete;
    FilledDisk& operator=(const FilledDisk&) = delete;

    bool ok() const { return _error.empty(); }
    const std::string& error() const { return _error; }

private:
    std::string _filler;
    std::string _error;
};

// A small tmpfs over the folder while in scope (inside the namespace of
// runInOwnMountNamespace), filled by one file so that not a byte is left:
// what was in the folder is hidden meanwhile. ok() says whether it worked,
// and error() why not.
class FullDisk {
public:
    explicit FullDisk(const std::string& folder)
        : _disk(folder, "1m")
    {
        if (_disk.ok())
            _filled.emplace(folder, 0);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool ok() const { return _filled && _filled->ok(); }
    const std::string& error() const { return _filled ? _filled->error() : _disk.error(); }

private:
    SmallDisk _disk;
    std::optional<FilledDisk> _filled;  // emptied before the disk goes
};

}  // namespace plat::test
