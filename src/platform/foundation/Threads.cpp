#include "platform/foundation/Threads.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include "platform/foundation/Log.h"

namespace plat {

namespace {

// Room for a handler that formats and writes a small report, with margin.
constexpr size_t kAlternateStackBytes = 64 * 1024;
// The kernel's thread names hold 15 bytes and the terminating zero.
constexpr size_t kMaxThreadNameBytes = 15;

// A signal stack in memory of its own, with an inaccessible page below it
// so that a handler overflowing it faults instead of writing over the heap.
class AlternateSignalStack {
public:
    AlternateSignalStack()
    {
        stack_t current {};
        if (::sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE))
            return;
        const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
        const size_t usable = (std::max<size_t>(kAlternateStackBytes, SIGSTKSZ) + page - 1) / page * page;
        void* memory
            = ::mmap(nullptr, usable + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
        if (memory == MAP_FAILED) {
            log("threads: no memory for an alternate signal stack: {}", std::strerror(errno));
            return;
        }
        if (::mprotect(memory, page, PROT_NONE) != 0)
            log("threads: no guard page below the alternate signal stack: {}", std::strerror(errno));
        stack_t alternate {};
        alternate.ss_sp = static_cast<char*>(memory) + page;
        alternate.ss_size = usable;
        if (::sigaltstack(&alternate, nullptr) != 0) {
            log("threads: no alternate signal stack: {}", std::strerror(errno));
            ::munmap(memory, usable + page);
            return;
        }
        _memory = memory;
        _bytes = usable + page;
    }

    ~AlternateSignalStack()
    {
        if (!_memory)
            return;
        // Off before the memory goes: a signal must never land on unmapped pages.
        stack_t disabled {};
        disabled.ss_flags = SS_DISABLE;
        if (::sigaltstack(&disabled, nullptr) == 0)
            ::munmap(_memory, _bytes);
    }

    AlternateSignalStack(const AlternateSignalStack&) = delete;
    AlternateSignalStack& operator=(const AlternateSignalStack&) = delete;

private:
    void* _memory = nullptr;
    size_t _bytes = 0;
};

}  // namespace

void ensureAlternateSignalStack()
{
    thread_local AlternateSignalStack stack;
}

std::thread startThread(const std::string& name, std::function<void()> body)
{
    return std::thread([name = name.substr(0, kMaxThreadNameBytes), body = std::move(body)] {
        ::pthread_setname_np(::pthread_self(), name.c_str());
        ensureAlternateSignalStack();
        body();
    });
}

}  // namespace plat
