#pragma once
// A file this thread cannot open, as a person meets one: its modes are 000
// while in scope (and get back wherever the file was moved meanwhile). Root
// passes over modes, so a thread of root also gives up, for the scope, the
// capabilities that let it (capabilities are per thread: the test's other
// threads keep theirs).
#include <fcntl.h>
#include <linux/capability.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace plat::test {

class UnreadableFile {
public:
    explicit UnreadableFile(const std::string& path)
    {
        struct stat info { };
        _file = ::open(path.c_str(), O_PATH | O_CLOEXEC);
        if (_file < 0 || ::fstat(_file, &info) != 0 || ::chmod(followed().c_str(), 0) != 0)
            return;
        _modes = info.st_mode & 07777;
        _applied = ::geteuid() != 0 || setModeOverride(Override::Off);
    }
    ~UnreadableFile()
    {
        if (::geteuid() == 0)
            setModeOverride(Override::On);
        if (_modes)
            ::chmod(followed().c_str(), *_modes);
        if (_file >= 0)
            ::close(_file);
    }
    UnreadableFile(const UnreadableFile&) = delete;
    UnreadableFile& operator=(const UnreadableFile&) = delete;

    bool applied() const { return _applied; }

private:
    // The file by its descriptor, wherever it is now.
    std::string followed() const { return "/proc/self/fd/" + std::to_string(_file); }
    enum class Override { Off, On };
    static bool setModeOverride(Override override)
    {
        __user_cap_header_struct header {_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2] {};
        if (::syscall(SYS_capget, &header, data) != 0)
            return false;
        constexpr unsigned kModeOverrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
        if (override == Override::Off)
            data[0].effective &= ~kModeOverrides;
        else
            data[0].effective |= data[0].permitted & kModeOverrides;
        return ::syscall(SYS_capset, &header, data) == 0;
    }

    int _file = -1;
    std::optional<mode_t> _modes;
    bool _applied = false;
};

}  // namespace plat::test
