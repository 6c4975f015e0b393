// Every export type rendered and shared into Documents under the faults a
// person meets: a full disk, a cancel, and the app killed on the way. The
// render cache and Documents hold the last whole export or a new whole one,
// never a part of one, and the next start leaves no temporary behind.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <sys/mount.h>
#include <unistd.h>

#include "app/AppProcess.h"
#include "document/DataManager.h"
#include "document/Frame.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "document/ProjectsList.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/UniformTypeIdentifiers.h"
#include "render/MovieExportType.h"
#include "render/MovieRendererSources.h"
#include "render/ZantropeMovieRenderer.h"
#include "share/FileSharingConnectHandler.h"
#include "support/BoundedChild.h"
#include "support/KilledChild.h"
#include "support/Pixels.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"

namespace {

constexpr double kTimeoutSeconds = 120;
// Room left on the full disk: the first pieces of an export fit, the rest does not.
constexpr uint64_t kRoomLeftBytes = 64 * 1024;
constexpr const char* kTinyDiskVariable = "ZT_EXPORT_FAULTS_ON_A_TINY_DISK";
// A child run of this test: "render N" or "share N", then the device folder,
// the project folder and the descriptor that hears when it is mid-way.
constexpr const char* kChildVariable = "ZT_EXPORT_FAULTS_CHILD";

enum class Fault { FullDisk, Cancel, Kill };
const char* const kFaultNames[] = {"full disk", "cancel", "kill"};
enum class Cancelling { No, AtOnce };

struct ExportKind {
    const char* UTI;
    const char* extension;
    plat::Size size;
};

const ExportKind kKinds[] = {
    {plat::kUTTypeQuickTimeMovie, "mov", {320, 180}},
    {plat::kUTTypeGIF, "gif", {640, 360}},
    {"com.quorvane.plovix.all-images", "export", {0, 0}},
    {"com.quorvane.plovix.archive", "zantropemobile", {0, 0}},
};

std::shared_ptr<zt::MovieExportType> typeOf(const ExportKind& kind)
{
    return std::make_shared<zt::MovieExportType>(kind.extension, std::nullopt, kind.size, kind.UTI, kind.extension);
}

// Grain that no encoder can shrink much, so that every export needs room.
std::shared_ptr<plat::Image> grainyPicture(int seed)
{
    return plat::test::makeImage(320, 180, [seed](int x, int y) {
        uint32_t h = uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u ^ uint32_t(seed) * 83492791u;
        h ^= h >> 13;
        h *= 0x5bd1e995u;
        return plat::test::Rgba {int(h & 255), int((h >> 8) & 255), int((h >> 16) & 255), 255};
    });
}

// What an item holds, short enough to print: names, sizes and a hash of the bytes.
std::string fingerprint(const std::string& path)
{
    if (!plat::fileExists(path))
        return "nothing";
    std::vector<std::string> files {""};
    if (plat::isDirectory(path))
        files = plat::contentsOfDirectory(path).value();
    std::string print;
    for (const std::string& name : files) {
        auto bytes = plat::readFile(name.empty() ? path : path + "/" + name).value();
        print += name + " " + std::to_string(bytes.size()) + " "
            + std::to_string(std::hash<std::string_view> {}(
                std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())))
            + "; ";
    }
    return print;
}

// Every temporary name below the folder, at any depth.
std::vector<std::string> temporariesBelow(const std::string& folder)
{
    std::vector<std::string> found;
    for (const std::string& subpath : plat::subpathsOfDirectory(folder).valueOr(std::vector<std::string>())) {
        if (plat::isTemporaryItemName(plat::lastPathComponent(subpath)))
            found.push_back(subpath);
    }
    return found;
}

class Listener : public zt::ConnectHandlerDelegate {
public:
    void didFail(zt::ConnectHandler&, const plat::Error& error) override { failure = error; }
    void didUploadVideo(zt::ConnectHandler&, const std::optional<plat::URL>&) override { arrived = true; }
    bool arrived = false;
    std::optional<plat::Error> failure;
};

class ExportFaults : public ::testing::Test {
protected:
    // The device's folders on the current sandbox, a project of grainy frames.
    void makeProject(int frames)
    {
        zt::DataManager::sharedDataManager().resetToDefaultsForTesting();
        ASSERT_TRUE(zt::ProjectsList::replace({}));
        project = std::make_shared<zt::ProjectModel>(std::nullopt);
        for (int i = 0; i < frames; ++i)
            addFrame();
    }
    void addFrame()
    {
        auto& list = project->getFrameList();
        const std::string id = "F" + std::to_string(list.count());
        list.insertFrame(zt::Frame(zt::FrameTypePicture, id), list.getCaptureIndex());
        ASSERT_TRUE(zt::ImageProducer(project).storeImage(*grainyPicture(static_cast<int>(list.count())), id));
        project->getMetaData()->set("RecordNeedsRendering", true);
        ASSERT_TRUE(project->saveAllDataToDisk().ok());
    }
    // Renders the kind and waits for the end; the renderer.
    std::shared_ptr<zt::MovieRenderer> render(const ExportKind& kind, Cancelling cancelling = Cancelling::No)
    {
        auto renderer = zt::MovieRendererSources(project).getRendererForUTI(kind.UTI);
        bool ended = false;
        renderer->exportProjectWithExportType(typeOf(kind), [&ended] { ended = true; });
        if (cancelling == Cancelling::AtOnce)
            renderer->cancelExport();
        EXPECT_TRUE(plat::test::runMainLoopUntil([&] { return ended; }, kTimeoutSeconds)) << kind.extension;
        return renderer;
    }
    std::shared_ptr<Listener> share(const std::string& path, Cancelling cancelling = Cancelling::No)
    {
        auto handler = std::make_shared<zt::FileSharingConnectHandler>(
            [](std::shared_ptr<zt::MovieExportType>, zt::ShareHandOff) {});
        auto listener = std::make_shared<Listener>();
        handler->setDelegate(listener);
        handler->uploadDataAtURL(plat::URL::fileURLWithPath(path), "", "", "");
        if (cancelling == Cancelling::AtOnce) {
            // A cancelled copy says nothing; the next share on its queue runs once it has ended.
            handler->cancel();
            handler->uploadDataAtURL(plat::URL::fileURLWithPath(path), "", "", "");
        }
        EXPECT_TRUE(plat::test::runMainLoopUntil(
            [&] { return listener->arrived || listener->failure.has_value(); }, kTimeoutSeconds));
        return listener;
    }
    // A message for the person names what they know, never the files being built.
    void expectNoPathIn(const std::string& message)
    {
        EXPECT_EQ(message.find(".tmp-"), std::string::npos) << message;
        EXPECT_EQ(message.find(sandbox.root()), std::string::npos) << message;
    }
    std::vector<std::string> documentNames()
    {
        return plat::contentsOfDirectory(plat::Sandbox::current()->documentsDirectory()).value();
    }

    // Fills the disk of the device but for kRoomLeftBytes; emptied when dropped.
    struct FullDisk {
        explicit FullDisk(const std::string& root)
            : path(root + "/filler")
        {
            const uint64_t free = plat::freeSpace(root).value();
            plat::FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
            EXPECT_EQ(::posix_fallocate(fd.get(), 0, static_cast<off_t>(free - kRoomLeftBytes)), 0);
        }
        ~FullDisk() { (void)plat::removeItem(path); }
        std::string path;
    };

    // Runs this test again as a child that works on the device until it is
    // mid-way, then kills it there. True when it was killed mid-way.
    bool killChildMidWay(const std::string& role, const std::string& device)
    {
        return plat::test::killChildOfThisTestWhenReady(
            kChildVariable, role + "\n" + device + "\n" + *project->getProjectPath(), kTimeoutSeconds);
    }

    // The child: works on the parent's device and project, and once a
    // temporary item of its work exists, tells the parent and waits to be killed.
    void runChild(const std::string& orders)
    {
        std::vector<std::string> lines;
        for (size_t start = 0, end; start <= orders.size(); start = end + 1) {
            end = std::min(orders.find('\n', start), orders.size());
            lines.push_back(orders.substr(start, end - start));
        }
        ASSERT_EQ(lines.size(), 4u);
        // This run's own sandbox is not used, and a killed run cannot remove it.
        (void)plat::removeItem(sandbox.root());
        const std::string role = lines[0].substr(0, lines[0].find(' '));
        const ExportKind& kind = kKinds[std::stoi(lines[0].substr(lines[0].find(' ') + 1))];
        plat::Sandbox::setCurrent(std::make_shared<plat::Sandbox>(lines[1]));
        project = std::make_shared<zt::ProjectModel>(lines[2]);
        const int ready = std::stoi(lines[3]);
        const std::string area = role == "render" ? zt::MovieRenderer::renderCacheDirectory()
                                                  : plat::Sandbox::current()->documentsDirectory();
        // Killed once a temporary item of its own is there: what earlier kills left does not count.
        plat::detail::setWriteFaultInjector([area, ready, earlier = temporariesBelow(area)](const std::string& path) {
            if (path.starts_with(area + "/")) {
                for (const std::string& found : temporariesBelow(area)) {
                    if (std::find(earlier.begin(), earlier.end(), found) != earlier.end())
                        continue;
                    plat::test::waitToBeKilled(ready);
                }
            }
            return plat::detail::WriteFailurePoint::None;
        });
        if (role == "render") {
            render(kind);
        } else {
            auto exported = zt::MovieRendererSources(project).getRendererForUTI(kind.UTI)->getExportURLForExportType(
                *typeOf(kind));
            share(exported.path());
        }
        ADD_FAILURE() << role << " " << kind.extension << " ended without being killed";
    }

    plat::test::TemporarySandbox sandbox;
    std::shared_ptr<zt::ProjectModel> project;
};

}  // namespace

TEST_F(ExportFaults, EveryTypeKeepsTheLastWholeExportThroughAFullDiskACancelAndAKill)
{
    if (const char* orders = std::getenv(kChildVariable)) {
        runChild(orders);
        return;
    }
    const bool onTinyDisk = std::getenv(kTinyDiskVariable) != nullptr;
    if (!onTinyDisk && plat::test::runShellBounded("unshare -rm true 2>/dev/null") == 0) {
        // A real full disk: the device on a tmpfs, mounted in a namespace of our own.
        const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::string command = std::string(kTinyDiskVariable) + "=1 unshare -rm '" + self
            + "' --gtest_filter=" + test->test_suite_name() + "." + test->name();
        EXPECT_EQ(plat::test::runShellBounded(command), 0) << "the run on the tiny disk failed";
        return;
    }
    const std::string device = sandbox.root();
    struct Unmount {
        std::string at;
        ~Unmount()
        {
            if (!at.empty())
                ::umount2(at.c_str(), MNT_DETACH);
        }
    } unmount;
    if (onTinyDisk) {
        ASSERT_EQ(::mount("none", device.c_str(), "tmpfs", 0, "size=64m"), 0) << std::strerror(errno);
        unmount.at = device;
        plat::Sandbox::setCurrent(std::make_shared<plat::Sandbox>(device));
    } else {
        std::cout << "unshare -rm is not permitted here: no full disk, only the cancel and the kill\n";
    }
    makeProject(4);
    const std::string documents = plat::Sandbox::current()->documentsDirectory();

    std::vector<std::string> lastExports;
    std::vector<std::string> leftByKills;
    for (size_t k = 0; k < std::size(kKinds); ++k) {
        const ExportKind& kind = kKinds[k];
        SCOPED_TRACE(kind.extension);
        // The last whole export, in the render cache and shared into Documents.
        auto first = render(kind);
        ASSERT_EQ(first->status(), zt::MovieRendererStatusCompleted) << first->error()->description();
        const std::string exported = first->exportURL()->path();
        ASSERT_TRUE(share(exported)->arrived);
        const auto shared = documentNames();
        lastExports.push_back(exported);
        addFrame();

        for (Fault fault : {Fault::FullDisk, Fault::Cancel, Fault::Kill}) {
            SCOPED_TRACE(kFaultNames[static_cast<int>(fault)]);
            if (fault == Fault::FullDisk && !onTinyDisk)
                continue;
            std::string last = fingerprint(exported);
            if (fault == Fault::Kill) {
                EXPECT_TRUE(killChildMidWay("render " + std::to_string(k), device));
                EXPECT_TRUE(killChildMidWay("share " + std::to_string(k), device));
                EXPECT_EQ(fingerprint(exported), last);
                EXPECT_EQ(documentNames().size(), shared.size() + 1) << "the share's temporary item";
                leftByKills = temporariesBelow(device);
                continue;  // the next start clears what they left
            }
            std::optional<FullDisk> full;
            if (fault == Fault::FullDisk)
                full.emplace(device);
            const Cancelling cancelling = fault == Fault::Cancel ? Cancelling::AtOnce : Cancelling::No;
            auto again = render(kind, cancelling);
            if (fault == Fault::FullDisk) {
                EXPECT_EQ(again->status(), zt::MovieRendererStatusFailed);
                ASSERT_TRUE(again->error());
                EXPECT_NE(again->error()->localizedDescription().find("No space left on device"), std::string::npos)
                    << again->error()->localizedDescription();
                expectNoPathIn(again->error()->localizedDescription());
            } else if (again->status() == zt::MovieRendererStatusCompleted) {
                last = fingerprint(exported);  // done before the cancel came: the new one, whole
            } else {
                EXPECT_EQ(again->status(), zt::MovieRendererStatusCancelled);
            }
            EXPECT_EQ(fingerprint(exported), last);
            auto copied = share(exported, cancelling);
            full.reset();
            if (fault == Fault::FullDisk) {
                ASSERT_TRUE(copied->failure);
                EXPECT_NE(copied->failure->localizedDescription().find("No space left on device"), std::string::npos)
                    << copied->failure->localizedDescription();
                expectNoPathIn(copied->failure->localizedDescription());
            } else {
                EXPECT_TRUE(copied->arrived);
            }
            // Copies that arrived (the share after the cancel, or the cancelled one when it was done first) are whole.
            for (const std::string& name : documentNames()) {
                if (std::find(shared.begin(), shared.end(), name) != shared.end())
                    continue;
                EXPECT_EQ(fingerprint(documents + "/" + name), last) << name;
                ASSERT_TRUE(plat::removeItem(documents + "/" + name).ok());
            }
            EXPECT_EQ(temporariesBelow(device), leftByKills);
        }
    }

    // What a killed run left goes at the next start, and nothing of the person's.
    EXPECT_NE(temporariesBelow(device), std::vector<std::string> {});
    ASSERT_TRUE(plat::writeFileAtomically(documents + "/.tmp-notes", std::string("mine")).ok());
    ASSERT_TRUE(plat::writeFileAtomically(documents + "/tmp-AbC123", std::string("mine")).ok());
    ASSERT_TRUE(plat::writeFileAtomically(device + "/tmp/deleted-frames-1", std::string("stash")).ok());
    // A shared folder as earlier versions built it.
    const std::string oldShare = documents + "/.tmp-share-x7Yq2Z";
    ASSERT_TRUE(plat::createDirectory(oldShare, plat::IntermediateDirectories::No).ok());
    ASSERT_TRUE(plat::writeFileAtomically(oldShare + "/frame-00000.jpg", std::string("part")).ok());
    // A save of the project cut short; an archive export would pack it.
    ASSERT_TRUE(plat::writeFileAtomically(*project->getProjectPath() + "/.tmp-Q1w2E3", std::string("half")).ok());
    std::vector<std::string> lastPrints;
    for (const auto& exported : lastExports)
        lastPrints.push_back(fingerprint(exported));
    const auto frames = project->getFrameList().count();
    const std::string script = device + "/quit.txt";
    ASSERT_TRUE(plat::writeFileAtomically(script, std::string("quit\n")).ok());
    ASSERT_EQ(zt::test::runApp(device, "phone", script), 0);

    EXPECT_EQ(temporariesBelow(device), std::vector<std::string> {});
    EXPECT_EQ(plat::contentsOfDirectory(device + "/tmp").value(), std::vector<std::string> {});
    EXPECT_FALSE(plat::fileExists(oldShare));
    for (const char* mine : {"/.tmp-notes", "/tmp-AbC123"})
        EXPECT_TRUE(plat::fileExists(documents + mine)) << mine;
    for (size_t k = 0; k < lastExports.size(); ++k)
        EXPECT_EQ(fingerprint(lastExports[k]), lastPrints[k]) << lastExports[k];
    // The project is whole, and the movie it still needs is rendered at the next Play.
    auto reopened = std::make_shared<zt::ProjectModel>(*project->getProjectPath());
    EXPECT_EQ(reopened->getFrameList().count(), frames);
    EXPECT_TRUE(zt::ImageProducer(reopened).getImageForFrameAtIndex(frames - 2));
    EXPECT_FALSE(zt::ZantropeMovieRenderer(reopened).getPreparedMovieForExportType(*typeOf(kKinds[0])));
}
