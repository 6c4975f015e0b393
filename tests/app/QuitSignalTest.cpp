// The app binary asked to quit with SIGTERM in the middle of a device script.
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <string>
#include <sys/inotify.h>
#include <unistd.h>

#include "platform/foundation/Files.h"
#include "platform/foundation/PropertyList.h"
#include "support/BoundedChild.h"
#include "support/DamagedFiles.h"
#include "support/TemporarySandbox.h"

namespace {

// A device whose back camera is a folder holding one damaged picture and
// whose front camera is a moving test picture, a large one at 120 a second:
// each second of the app's time costs the machine a good part of one.
void makeDeviceWithADamagedCamera(const std::string& device)
{
    ASSERT_TRUE(plat::createDirectory(device + "/Cameras/pics", plat::IntermediateDirectories::Yes).ok());
    plat::test::writeRandomBytes(device + "/Cameras/pics/p0.jpg");
    plat::Array cameras {
        plat::Dictionary {{"Kind", "Pictures"}, {"Position", "Back"}, {"Folder", "pics"}},
        plat::Dictionary {
            {"Kind", "TestPattern"}, {"Position", "Front"}, {"Width", 1920}, {"Height", 1080}, {"FrameRate", 120}},
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
                          << folder.path("waiting.png") << "\nwait 3600\nscreenshot " << folder.path("after.png")
                          << "\nquit\n";
    // Heard when the screenshot before the long wait is in place.
    const int watch = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(::inotify_add_watch(watch, folder.path().c_str(), IN_MOVED_TO | IN_CLOSE_WRITE), 0);
    plat::test::BoundedChild app({ZT_APP_BINARY, "--device", device, "--script", script});
    pollfd heard {watch, POLLIN, 0};
    char events[4096];
    while (!plat::fileExists(folder.path("waiting.png"))
        && ::poll(&heard, 1, static_cast<int>(plat::test::kChildBoundSeconds * 1000)) == 1)
        (void)!::read(watch, events, sizeof events);
    ::close(watch);
    EXPECT_TRUE(plat::fileExists(folder.path("waiting.png")));
    app.sendSignal(SIGTERM);
    // Within a second of its time, even for a sanitizer's build on a loaded
    // machine; the whole wait would take a quarter of an hour even here.
    const plat::test::ChildRun run = app.wait(60 * plat::test::kBuildSlowdown);
    EXPECT_EQ(run.exitCode, 1) << "ended by signal " << run.signal;
    EXPECT_FALSE(plat::fileExists(folder.path("after.png")));
}

}  // namespace
