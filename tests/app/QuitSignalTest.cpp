// The app binary asked to quit with SIGTERM in the middle of a device script.
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/foundation/Files.h"
#include "platform/foundation/PropertyList.h"
#include "support/DamagedFiles.h"
#include "support/TemporarySandbox.h"

extern char** environ;

namespace {

// A device whose back camera is a folder holding one damaged picture and
// whose front camera is a moving test picture.
void makeDeviceWithADamagedCamera(const std::string& device)
{
    ASSERT_TRUE(plat::createDirectory(device + "/Cameras/pics", plat::IntermediateDirectories::Yes).ok());
    plat::test::writeRandomBytes(device + "/Cameras/pics/p0.jpg");
    plat::Array cameras {
        plat::Dictionary {{"Kind", "Pictures"}, {"Position", "Back"}, {"Folder", "pics"}},
        plat::Dictionary {{"Kind", "TestPattern"}, {"Position", "Front"}, {"Width", 1280}, {"Height", 720}},
    };
    ASSERT_TRUE(plat::writePropertyListFile(cameras, device + "/Cameras/Cameras.plist").ok());
}

TEST(QuitSignal, SIGTERMEndsADeviceScriptWhileItWaits)
{
    plat::test::TemporaryFolder folder;
    const std::string device = folder.path("device");
    makeDeviceWithADamagedCamera(device);
    const std::string script = folder.path("script.txt");
    std::ofstream(script) << "wait 1.2\ntap Get Started\nwait 1\ntapat 284 119\nwait 0.6\ntap Capture\nwait 1.5\n"
                             "tap Dismiss\nscreenshot "
                          << folder.path("waiting.png") << "\nwait 3000\nscreenshot " << folder.path("after.png")
                          << "\nquit\n";
    // Heard when the screenshot before the long wait is in place.
    const int watch = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(::inotify_add_watch(watch, folder.path().c_str(), IN_MOVED_TO | IN_CLOSE_WRITE), 0);
    std::string words[] = {ZT_APP_BINARY, "--device", device, "--script", script};
    char* argv[] = {words[0].data(), words[1].data(), words[2].data(), words[3].data(), words[4].data(), nullptr};
    pid_t app = 0;
    ASSERT_EQ(::posix_spawn(&app, argv[0], nullptr, nullptr, argv, environ), 0);
    pollfd heard {watch, POLLIN, 0};
    char events[4096];
    while (!plat::fileExists(folder.path("waiting.png")) && ::poll(&heard, 1, 120 * 1000) == 1)
        (void)!::read(watch, events, sizeof events);
    ::close(watch);
    EXPECT_TRUE(plat::fileExists(folder.path("waiting.png")));
    ::kill(app, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(app, &status, 0), app);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_FALSE(plat::fileExists(folder.path("after.png")));
}

}  // namespace
