#pragma once
#include <sys/resource.h>
#include <unistd.h>

namespace plat::test {

// Makes every further open of the process fail with EMFILE while in scope,
// as when the app runs out of file descriptors for a moment.
class NoFreeFileDescriptors {
public:
    NoFreeFileDescriptors()
    {
        ::getrlimit(RLIMIT_NOFILE, &_saved);
        int lowestFree = ::dup(0);
        ::close(lowestFree);
        rlimit exhausted = _saved;
        exhausted.rlim_cur = static_cast<rlim_t>(lowestFree);
        _applied = lowestFree >= 0 && ::setrlimit(RLIMIT_NOFILE, &exhausted) == 0;
    }
    ~NoFreeFileDescriptors() { ::setrlimit(RLIMIT_NOFILE, &_saved); }
    NoFreeFileDescriptors(const NoFreeFileDescriptors&) = delete;
    NoFreeFileDescriptors& operator=(const NoFreeFileDescriptors&) = delete;

    bool applied() const { return _applied; }

private:
    rlimit _saved {};
    bool _applied = false;
};

}  // namespace plat::test
