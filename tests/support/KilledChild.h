#pragma once
// A kill -9 for real: the running test again, as a child process that works
// until it reaches the point to be killed at, and is killed there.
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "support/BoundedChild.h"

namespace plat::test {

// Runs the current test again in a child whose environment variable
// `variable` holds orders, with a last line added: the number of a
// descriptor the child writes one byte to once it is where it should die
// (and then waits). Kills it there with SIGKILL; true when it was killed there.
inline bool killChildOfThisTestWhenReady(const std::string& variable, const std::string& orders, double timeoutSeconds)
{
    int ready[2];
    EXPECT_EQ(::pipe(ready), 0);
    // Only the write end goes to the child.
    ::fcntl(ready[0], F_SETFD, FD_CLOEXEC);
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    BoundedChild child({self, std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name()},
        ChildOutput::Inherited, {variable + "=" + orders + "\n" + std::to_string(ready[1])});
    ::close(ready[1]);
    pollfd heard {ready[0], POLLIN, 0};
    char byte = 0;
    const bool readyToDie
        = ::poll(&heard, 1, static_cast<int>(timeoutSeconds * 1000)) == 1 && ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    child.sendSignal(SIGKILL);
    return readyToDie && child.wait().signal == SIGKILL;
}

// In the child: tells the parent it is ready and waits to be killed.
[[noreturn]] inline void waitToBeKilled(int readyDescriptor)
{
    (void)!::write(readyDescriptor, "k", 1);
    for (;;)
        ::pause();
}

}  // namespace plat::test
