// The app killed (SIGKILL) while it copies something a person will see: a
// project being duplicated, or a file another app hands over being copied
// into Documents/Inbox. The next start leaves no part of the copy behind.
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/AppProcess.h"
#include "app/ProjectFolderCopy.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/URL.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "support/KilledChild.h"
#include "support/TemporarySandbox.h"

namespace {

constexpr double kTimeoutSeconds = 120;
// A child run of this test: what it copies, the device folder and the file handed over.
constexpr const char* kChildVariable = "ZT_INTERRUPTED_COPY_CHILD";
const std::string kProject = ".plovix-2015-05-01-10-00-00";

enum class Copy { Duplicate, HandOver };

// The child's orders, a line each.
std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

// Duplicates the project, and waits to be killed once the second picture is due.
void duplicateUntilKilled(const std::string& device, int ready)
{
    plat::detail::setWriteFaultInjector([ready](const std::string& path) {
        if (path.ends_with("frame-B.jpg"))
            plat::test::waitToBeKilled(ready);
        return plat::detail::WriteFailurePoint::None;
    });
    (void)zt::copyProjectFolder(device + "/Documents/" + kProject);
}

// Hands over a file that the other app is still writing (a pipe): once the
// first bytes are in Documents/Inbox, the copy waits for more, and is killed.
void handOverUntilKilled(const std::string& handedOver, int ready)
{
    const std::string inbox = plat::Sandbox::current()->inboxDirectory();
    ASSERT_TRUE(plat::createDirectory(inbox, plat::IntermediateDirectories::Yes).ok());
    ASSERT_EQ(::mkfifo(handedOver.c_str(), 0600), 0);
    const int watch = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(::inotify_add_watch(watch, inbox.c_str(), IN_MODIFY), 0);
    std::thread otherApp([handedOver, watch, ready] {
        const int pipe = ::open(handedOver.c_str(), O_WRONLY | O_CLOEXEC);
        const std::string firstBytes(16384, 'z');
        if (pipe < 0 || ::write(pipe, firstBytes.data(), firstBytes.size()) != ssize_t(firstBytes.size()))
            return;
        char events[4096];
        if (::read(watch, events, sizeof events) > 0)
            plat::test::waitToBeKilled(ready);  // the pipe stays open: the copy waits for the rest
    });
    otherApp.detach();
    auto& app = plat::Application::sharedApplication();
    app.setDelegate(std::make_shared<plat::ApplicationDelegate>());
    app.openURLFromApplication(plat::URL::fileURLWithPath(handedOver), "com.example.mail", plat::Value());
}

void runChild(const std::string& orders)
{
    const auto lines = linesOf(orders);
    ASSERT_EQ(lines.size(), 4u);
    plat::Sandbox::setCurrent(std::make_shared<plat::Sandbox>(lines[1]));
    const int ready = std::stoi(lines[3]);
    if (lines[0] == "duplicate")
        duplicateUntilKilled(lines[1], ready);
    else
        handOverUntilKilled(lines[2], ready);
    ADD_FAILURE() << "the copy ended without being killed";
}

// A device that has started before, with one project of three pictures, listed.
void makeDevice(const std::string& device)
{
    const std::string project = device + "/Documents/" + kProject;
    ASSERT_TRUE(plat::createDirectory(project, plat::IntermediateDirectories::Yes).ok());
    ASSERT_TRUE(plat::writePropertyListFile(plat::Dictionary {{"ProductVersion", 5.0}, {"RecordName", "Kept"}},
        project + "/plovix.meta", plat::PropertyListFormat::XML)
                    .ok());
    for (const char* file : {"frames.meta", "frame-A.jpg", "frame-B.jpg", "frame-C.jpg"})
        ASSERT_TRUE(plat::writeFileAtomically(project + "/" + file, std::string(4096, 'p')).ok());
    ASSERT_TRUE(plat::writePropertyListFile(
        plat::Dictionary {{"version", 4.0}}, device + "/Documents/.settings.plist", plat::PropertyListFormat::XML)
                    .ok());
    ASSERT_TRUE(plat::writePropertyListFile(plat::Array {kProject}, device + "/Documents/.projects.plist").ok());
}

std::vector<std::string> namesIn(const std::string& folder)
{
    return plat::contentsOfDirectory(folder).valueOr(std::vector<std::string>());
}

// What Documents holds beyond the project that was there: other project
// folders, temporaries and files in the inbox or set aside, in a line.
std::string leftovers(const std::string& device)
{
    const std::string documents = device + "/Documents";
    std::string found;
    for (const std::string& name : namesIn(documents))
        if ((name.starts_with(".plovix-") && name != kProject) || plat::isTemporaryItemName(name))
            found += name + "; ";
    for (const char* folder : {"Inbox", "Not Imported"})
        for (const std::string& name : namesIn(documents + "/" + folder))
            found += std::string(folder) + "/" + name + "; ";
    return found;
}

}  // namespace

TEST(InterruptedCopy, TheNextStartLeavesNoPartOfADuplicateOrAHandOverBehind)
{
    if (const char* orders = std::getenv(kChildVariable)) {
        runChild(orders);
        return;
    }
    for (Copy copy : {Copy::Duplicate, Copy::HandOver}) {
        const char* kind = copy == Copy::Duplicate ? "duplicate" : "hand over";
        SCOPED_TRACE(kind);
        plat::test::TemporaryFolder scratch;
        const std::string device = scratch.path("device");
        makeDevice(device);
        ASSERT_TRUE(plat::test::killChildOfThisTestWhenReady(kChildVariable,
            std::string(kind) + "\n" + device + "\n" + scratch.path("Big.zantropemobile"), kTimeoutSeconds))
            << "killed while copying";
        const std::string script = scratch.path("start.txt");
        ASSERT_TRUE(plat::writeFileAtomically(script, std::string_view("wait 2\nquit\n")).ok());
        ASSERT_EQ(zt::test::runApp(device, "phone", script), 0);
        EXPECT_EQ(leftovers(device), "");
        EXPECT_EQ(namesIn(device + "/Documents/" + kProject).size(), 5u) << "the project copied stays whole";
    }
}
