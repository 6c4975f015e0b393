// The share targets take a finished export and put it where the person looks.
#include <algorithm>
#include <any>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "document/FileSizeText.h"
#include "document/Frame.h"
#include "document/FrameList.h"
#include "document/ProjectModel.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/Semaphore.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/library/PhotoLibrary.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/TableView.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/PictureComparison.h"
#include "platform/ui/testing/UIScope.h"
#include "render/MovieExportType.h"
#include "share/FileSharingConnectHandler.h"
#include "share/OpenInConnectHandler.h"
#include "share/PhotoAlbumConnectHandler.h"
#include "share/ShareConfigurationViewController.h"
#include "support/MountNamespace.h"
#include "support/Pixels.h"
#include "support/RootScreenTest.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"
#include "support/UnreadableFile.h"

namespace {

// Hears what a target reports.
class Listener : public zt::ConnectHandlerDelegate {
public:
    void didFail(zt::ConnectHandler&, const plat::Error& error) override { failure = error; }
    void didUploadVideo(zt::ConnectHandler&, const std::optional<plat::URL>& url) override
    {
        arrived = true;
        where = url;
    }
    bool done() const { return arrived || failure.has_value(); }
    bool arrived = false;
    std::optional<plat::URL> where;
    std::optional<plat::Error> failure;
};

class ShareTargets : public plat::test::RootScreenTest {
protected:
    ShareTargets()
    {
        EXPECT_TRUE(plat::createDirectory(exports, plat::IntermediateDirectories::Yes).ok());
        EXPECT_TRUE(plat::writeFileAtomically(movie, makeBytes(3 << 20)).ok());
        EXPECT_TRUE(plat::createDirectory(images, plat::IntermediateDirectories::No).ok());
        for (int i = 0; i < 3; ++i) {
            auto picture = plat::test::makeFlatImage(64, 36, {60 * i, 200 - 60 * i, 90, 255});
            EXPECT_TRUE(plat::writeFileAtomically(
                images + "/frame-0000" + std::to_string(i) + ".jpg", *plat::JPEGRepresentation(*picture, 1.0))
                            .ok());
        }
    }
    ~ShareTargets() override { plat::detail::setWriteFaultInjector({}); }

    static std::string makeBytes(size_t count)
    {
        std::string bytes(count, '\0');
        for (size_t i = 0; i < count; ++i)
            bytes[i] = static_cast<char>(i * 7919 % 251);
        return bytes;
    }
    // The handler's form on a screen of the idiom, as the share sheet brings
    // it (full screen on a phone, a form sheet on a tablet), and a picture of it.
    struct ShownForm {
        std::shared_ptr<plat::ViewController> presented;
        std::shared_ptr<plat::Image> picture;
    };
    static ShownForm showForm(zt::ConnectHandler& handler, plat::UserInterfaceIdiom idiom)
    {
        plat::test::UIScope device(idiom);
        auto screen = std::make_shared<plat::Window>();
        auto under = std::make_shared<plat::ViewController>();
        screen->setRootViewController(under);
        screen->makeKeyAndVisible();
        ShownForm shown {handler.activityViewController(), nullptr};
        if (!shown.presented)
            return shown;
        under->presentViewController(shown.presented, /*animated=*/true, nullptr);
        plat::test::UIDriver looking(screen);
        looking.wait(1);
        shown.picture = looking.screenshot();
        return shown;
    }
    static void expectLooksLike(const std::shared_ptr<plat::Image>& picture, const std::string& reference)
    {
        ASSERT_TRUE(picture);
        plat::test::TemporaryFolder output;
        auto compared = plat::test::compareWithReferencePicture(
            *picture, plat::test::sourcePath("tests/data/share/" + reference), output.path());
        EXPECT_TRUE(compared.matches) << reference << ": " << compared.explanation;
    }
    // Hands the file to the target and lets it finish.
    std::shared_ptr<Listener> share(zt::ConnectHandler& handler, const std::string& path, const std::string& UTI)
    {
        auto listener = std::make_shared<Listener>();
        handler.setDelegate(listener);
        handler.uploadDataAtURL(plat::URL::fileURLWithPath(path), "Kites", "", UTI);
        plat::test::runMainLoopUntil([&] { return listener->done(); }, 20);
        return listener;
    }
    // Every name in Documents, hidden ones included.
    std::vector<std::string> documentNames() const
    {
        return plat::contentsOfDirectory(sandbox.documents()).valueOr(std::vector<std::string>());
    }

    zt::ShareExporter exporter = [](std::shared_ptr<zt::MovieExportType>, zt::ShareHandOff) {};
    std::string exports = plat::Sandbox::current()->cachesDirectory() + "/rendercache/.plovix-1";
    std::string movie = exports + "/Kites.mov";
    std::string images = exports + "/Kites.export";
};

TEST_F(ShareTargets, FileSharingCopiesEachExportWholeUnderAFreeName)
{
    // What is shared takes the modes of anything the person saves.
    struct UmaskScope {
        mode_t old = ::umask(027);
        ~UmaskScope() { ::umask(old); }
    } strictMask;
    auto handler = std::make_shared<zt::FileSharingConnectHandler>(exporter);
    struct Case {
        std::string from;
        std::string arrivesAs;
    };
    for (const Case& c : {Case {movie, "Kites.mov"}, Case {movie, "Kites 2.mov"}, Case {images, "Kites.export"},
             Case {images, "Kites 2.export"}}) {
        auto heard = share(*handler, c.from, "any");
        ASSERT_TRUE(heard->arrived) << c.arrivesAs << ": " << (heard->failure ? heard->failure->description() : "");
        const std::string arrived = sandbox.documents() + "/" + c.arrivesAs;
        ASSERT_TRUE(heard->where);
        EXPECT_EQ(heard->where->path(), arrived);
        EXPECT_EQ(plat::attributesOfItem(arrived).value().permissions, plat::isDirectory(c.from) ? 0750u : 0640u);
        if (plat::isDirectory(c.from)) {
            EXPECT_EQ(plat::attributesOfItem(arrived + "/frame-00002.jpg").value().permissions, 0640u);
            EXPECT_EQ(plat::contentsOfDirectory(arrived).value(), plat::contentsOfDirectory(c.from).value());
            EXPECT_EQ(plat::readFile(arrived + "/frame-00002.jpg").value(),
                plat::readFile(c.from + "/frame-00002.jpg").value());
        } else {
            EXPECT_EQ(plat::readFile(arrived).value(), plat::readFile(c.from).value());
        }
    }
    EXPECT_EQ(
        documentNames(), (std::vector<std::string> {"Kites 2.export", "Kites 2.mov", "Kites.export", "Kites.mov"}))
        << "nothing hidden left beside them";
}

TEST_F(ShareTargets, AFullDiskOrACancelLeavesNothingInDocuments)
{
    plat::detail::setWriteFaultInjector([](const std::string& path) {
        return path.find("/Documents/") != std::string::npos ? plat::detail::WriteFailurePoint::AfterHalfTheBytes
                                                             : plat::detail::WriteFailurePoint::None;
    });
    auto handler = std::make_shared<zt::FileSharingConnectHandler>(exporter);
    for (const std::string& from : {movie, images}) {
        auto heard = share(*handler, from, "any");
        ASSERT_TRUE(heard->failure) << from;
        EXPECT_FALSE(heard->arrived);
        EXPECT_NE(heard->failure->localizedDescription().find("The export could not be saved in Documents:"),
            std::string::npos);
        EXPECT_NE(heard->failure->localizedDescription().find("No space left on device"), std::string::npos)
            << heard->failure->localizedDescription();
        EXPECT_TRUE(documentNames().empty()) << from;
    }
    plat::detail::setWriteFaultInjector({});

    // Cancelled before the copy writes a byte (its first write waits for the
    // cancel): no report, no file. The next share, on the same serial queue,
    // runs after it.
    plat::Semaphore cancelled;
    std::atomic<bool> held = false;
    plat::detail::setWriteFaultInjector([&](const std::string& path) {
        if (path.find("/Documents/") != std::string::npos && !held.exchange(true)) {
            EXPECT_TRUE(cancelled.wait(60));
        }
        return plat::detail::WriteFailurePoint::None;
    });
    auto listener = std::make_shared<Listener>();
    handler->setDelegate(listener);
    handler->uploadDataAtURL(plat::URL::fileURLWithPath(movie), "Kites", "", "any");
    handler->cancel();
    cancelled.signal();
    auto next = share(*handler, images, "any");
    plat::detail::setWriteFaultInjector({});
    ASSERT_TRUE(next->arrived);
    EXPECT_FALSE(listener->done());
    EXPECT_EQ(documentNames(), (std::vector<std::string> {"Kites.export"}));
}

// The export is read from a pipe that gives its bytes only after someone
// has made an item of the same name in Documents: whatever took the name
// while the copy ran stays theirs, the share fails and leaves nothing aside.
TEST_F(ShareTargets, FileSharingNeverReplacesWhatTookTheNameWhileItCopied)
{
    const std::string pond = exports + "/Pond.export";
    ASSERT_TRUE(plat::createDirectory(pond, plat::IntermediateDirectories::No).ok());
    ASSERT_TRUE(plat::copyItem(images + "/frame-00000.jpg", pond + "/frame-00000.jpg", plat::ReplaceExisting::No).ok());
    struct Case {
        std::string from;
        std::string pipe;
    };
    auto handler = std::make_shared<zt::FileSharingConnectHandler>(exporter);
    for (const Case& c :
        {Case {exports + "/Pond.mov", exports + "/Pond.mov"}, Case {pond, pond + "/frame-00001.jpg"}}) {
        const std::string name = plat::lastPathComponent(c.from);
        ASSERT_EQ(::mkfifo(c.pipe.c_str(), 0644), 0) << std::strerror(errno);
        plat::Semaphore readerCame;
        plat::Semaphore nameTaken;
        // Detached: a reader that never comes leaves the thread waiting, not the test.
        std::thread([pipe = c.pipe, readerCame, nameTaken]() mutable {
            // Opening a pipe for writing waits for its reader.
            plat::FileDescriptor fd(::open(pipe.c_str(), O_WRONLY | O_CLOEXEC));
            readerCame.signal();
            if (nameTaken.wait(60))
                (void)!::write(fd.get(), "pond", 4);
        }).detach();
        auto listener = std::make_shared<Listener>();
        handler->setDelegate(listener);
        handler->uploadDataAtURL(plat::URL::fileURLWithPath(c.from), "Pond", "", "any");
        ASSERT_TRUE(readerCame.wait(60)) << name;
        ASSERT_TRUE(plat::writeFileAtomically(sandbox.documents() + "/" + name, std::string("mine")).ok());
        nameTaken.signal();
        plat::test::runMainLoopUntil([&] { return listener->done(); }, 20);

        ASSERT_TRUE(listener->failure) << name;
        EXPECT_NE(listener->failure->localizedDescription().find("File exists"), std::string::npos)
            << listener->failure->localizedDescription();
        EXPECT_EQ(plat::readFile(sandbox.documents() + "/" + name).value(), plat::Data({'m', 'i', 'n', 'e'})) << name;
        EXPECT_EQ(documentNames(), std::vector<std::string> {name}) << "nothing hidden left beside it";
        ASSERT_TRUE(plat::removeItem(sandbox.documents() + "/" + name).ok());
    }
}

// A real full disk: Documents on a 1 MB tmpfs in a namespace of our own.
TEST_F(ShareTargets, OnARealFullDiskFileSharingReportsTheErrorAndLeavesNothing)
{
    const auto run = plat::test::runInOwnMountNamespace();
    if (run == plat::test::MountNamespaceRun::NotPermitted)
        GTEST_SKIP() << "unshare -rm is not permitted here, so no tmpfs can be mounted without root";
    if (run == plat::test::MountNamespaceRun::Elsewhere)
        return;
    const std::string documents = sandbox.documents();
    ASSERT_EQ(::mount("none", documents.c_str(), "tmpfs", 0, "size=1m"), 0) << std::strerror(errno);
    struct Unmount {
        std::string at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount {documents};
    // A folder whose first picture fits and whose second does not.
    const std::string folder = exports + "/Big.export";
    ASSERT_TRUE(plat::createDirectory(folder, plat::IntermediateDirectories::No).ok());
    ASSERT_TRUE(
        plat::copyItem(images + "/frame-00000.jpg", folder + "/frame-00000.jpg", plat::ReplaceExisting::No).ok());
    ASSERT_TRUE(plat::copyItem(movie, folder + "/frame-00001.jpg", plat::ReplaceExisting::No).ok());
    auto handler = std::make_shared<zt::FileSharingConnectHandler>(exporter);
    for (const std::string& from : {movie, folder}) {
        auto heard = share(*handler, from, "any");
        ASSERT_TRUE(heard->failure) << from;
        EXPECT_NE(heard->failure->localizedDescription().find("No space left on device"), std::string::npos)
            << heard->failure->localizedDescription();
        EXPECT_TRUE(documentNames().empty()) << from;
    }
}

TEST_F(ShareTargets, ThePhotoAlbumGetsTheMovieOrTheImagesInOrderInTheSavedPhotosAndTheAppsAlbum)
{
    auto handler = std::make_shared<zt::PhotoAlbumConnectHandler>(exporter);
    EXPECT_EQ(zt::PhotoAlbumConnectHandler::albumName(), "Zantrope");
    auto heard = share(*handler, images, "com.quorvane.plovix.all-images");
    ASSERT_TRUE(heard->arrived) << (heard->failure ? heard->failure->description() : "");
    heard = share(*handler, movie, "com.apple.quicktime-movie");
    ASSERT_TRUE(heard->arrived) << (heard->failure ? heard->failure->description() : "");
    plat::PhotoLibrary library = plat::PhotoLibrary::forCurrentSandbox();
    for (const std::string album : {"Camera Roll", "Zantrope"}) {
        auto assets = library.assetsInAlbum(album);
        ASSERT_TRUE(assets.ok()) << album;
        std::vector<std::string> names;
        for (const auto& asset : assets.value())
            names.push_back(asset.fileName);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string> {"IMG_0001.JPG", "IMG_0002.JPG", "IMG_0003.JPG", "IMG_0004.MOV"}))
            << album;
        // Each picture is its frame, in the film's order.
        const std::pair<const char*, std::array<int, 4>> frames[] = {{"IMG_0001.JPG", {0, 200, 90, 255}},
            {"IMG_0002.JPG", {60, 140, 90, 255}}, {"IMG_0003.JPG", {120, 80, 90, 255}}};
        for (const auto& [name, colour] : frames) {
            auto picture = plat::Image::imageWithContentsOfFile(library.root() + "/" + album + "/" + name);
            ASSERT_TRUE(picture) << name;
            EXPECT_LE(plat::test::componentDistance(plat::test::pixelAt(*picture, 32, 18), colour), 12) << name;
        }
        auto copied = plat::readFile(library.root() + "/" + album + "/IMG_0004.MOV");
        ASSERT_TRUE(copied.ok()) << copied.error().description();
        EXPECT_EQ(copied.value(), plat::readFile(movie).value());
    }

    // Refused access: the reason, and nothing saved.
    ASSERT_TRUE(library.setAuthorizationStatus(plat::AuthorizationStatus::Denied).ok());
    heard = share(*handler, movie, "com.apple.quicktime-movie");
    ASSERT_TRUE(heard->failure);
    EXPECT_EQ(heard->failure->code(), -3311);
    ASSERT_TRUE(library.setAuthorizationStatus(plat::AuthorizationStatus::Authorized).ok());
    EXPECT_EQ(library.assetsInAlbum("Camera Roll").value().size(), 4u);
}

TEST_F(ShareTargets, OpenInHandsTheFileToTheDesktopsOpenerOrSaysThereIsNone)
{
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* path = std::getenv("PATH");
    const std::string saved[] = {display ? display : "", wayland ? wayland : "", path ? path : ""};
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    auto handler = std::make_shared<zt::OpenInConnectHandler>(exporter);
    auto heard = share(*handler, movie, "com.apple.quicktime-movie");
    ASSERT_TRUE(heard->failure);
    EXPECT_EQ(heard->failure->localizedDescription(),
        "No desktop is running here, so no other program can open the export. It is at " + movie);

    // A desktop whose opener notes what it was given; then one whose opener fails.
    const std::string bin = sandbox.path("bin");
    ASSERT_TRUE(plat::createDirectory(bin, plat::IntermediateDirectories::No).ok());
    const std::string opener = bin + "/xdg-open";
    for (int exitCode : {0, 4}) {
        std::ofstream(opener) << "#!/bin/sh\nprintf '%s|' \"$@\" > '" << bin << "/opened'\nexit " << exitCode << "\n";
        ASSERT_TRUE(plat::setPermissions(opener, 0755).ok());
        ::setenv("DISPLAY", ":99", 1);
        ::setenv("PATH", (bin + ":" + saved[2]).c_str(), 1);
        heard = share(*handler, movie, "com.apple.quicktime-movie");
        const plat::Data opened = plat::readFile(bin + "/opened").valueOr(plat::Data());
        EXPECT_EQ(std::string(opened.begin(), opened.end()), movie + "|");
        EXPECT_EQ(heard->arrived, exitCode == 0);
        EXPECT_EQ(heard->failure.has_value(), exitCode != 0);
    }
    for (auto [name, value] : {std::pair {"DISPLAY", saved[0]}, {"WAYLAND_DISPLAY", saved[1]}, {"PATH", saved[2]}})
        value.empty() ? ::unsetenv(name) : ::setenv(name, value.c_str(), 1);
}

}  // namespace

namespace {

TEST_F(ShareTargets, TheFormListsTheTargetsExportTypesWithTheirEstimatesAndPreselects720p)
{
    // 11 frame-list entries at 5 fps: 10 movie frames, 2 s.
    auto project = std::make_shared<zt::ProjectModel>(sandbox.documents() + "/.plovix-2015-06-01-12-00-00");
    auto& list = project->getFrameList();
    for (int i = 0; i < 10; ++i)
        list.insertFrame(zt::Frame(zt::FrameTypePicture), list.getCaptureIndex());
    project->getMetaData()->set("RecordFPS", int64_t(5));
    auto handler = std::make_shared<zt::FileSharingConnectHandler>(exporter);
    auto form = std::make_shared<zt::ShareConfigurationViewController>(project, handler);
    std::vector<std::string> titles;
    for (const auto& type : form->exportTypes())
        titles.push_back(type->title());
    ASSERT_GE(titles.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(titles.end() - 3, titles.end()),
        (std::vector<std::string> {"Animated GIF", "Export All Images", "Export Project"}));
    const auto& bytes = form->estimatedBytes();
    EXPECT_EQ(bytes[size_t(form->selectedIndex())], uint64_t(1458) * 1024) << titles[size_t(form->selectedIndex())];
    EXPECT_EQ(bytes[bytes.size() - 3], uint64_t(3712) * 1024);
    EXPECT_EQ(bytes[bytes.size() - 1], uint64_t(212 + 11 * 1250) * 1024);
    EXPECT_EQ(zt::formattedFileSize(uint64_t(1458) * 1024), "1.5 MB");
    EXPECT_EQ(zt::formattedFileSize(999999), "1000 KB");

    // The form as the share sheet brings it: full screen on a phone, a form sheet on a tablet.
    handler->prepareWithActivityItems({std::any(project)});
    const std::pair<plat::UserInterfaceIdiom, const char*> looks[]
        = {{plat::UserInterfaceIdiom::Phone, "share-form-phone.png"},
            {plat::UserInterfaceIdiom::Pad, "share-form-tablet.png"}};
    for (const auto& [idiom, reference] : looks) {
        auto shown = showForm(*handler, idiom);
        ASSERT_TRUE(shown.presented);
        expectLooksLike(shown.picture, reference);
    }
}

// A project whose frame list cannot be read can be made into nothing: the
// form offers no type and no size, and says why, on as many lines as that
// takes.
TEST_F(ShareTargets, TheFormOfAProjectWhoseFrameListCannotBeReadSaysWhyAndOffersNothing)
{
    const std::string folder = sandbox.documents() + "/.plovix-2015-06-01-12-00-00";
    ASSERT_TRUE(plat::createDirectory(folder, plat::IntermediateDirectories::No).ok());
    auto project = std::make_shared<zt::ProjectModel>(folder);
    auto& list = project->getFrameList();
    for (int i = 0; i < 10; ++i)
        list.insertFrame(zt::Frame(zt::FrameTypePicture), list.getCaptureIndex());
    project->getMetaData()->set("RecordName", "My Plovix Movie of Kites");
    ASSERT_TRUE(project->saveAllDataToDisk().ok());
    plat::test::UnreadableFile locked(folder + "/frames.meta");
    ASSERT_TRUE(locked.applied());
    project = std::make_shared<zt::ProjectModel>(folder);
    auto handler = std::make_shared<zt::OpenInConnectHandler>(exporter);
    handler->prepareWithActivityItems({std::any(project)});
    const std::pair<plat::UserInterfaceIdiom, const char*> looks[]
        = {{plat::UserInterfaceIdiom::Phone, "share-form-unreadable-list-phone.png"},
            {plat::UserInterfaceIdiom::Pad, "share-form-unreadable-list-tablet.png"}};
    for (const auto& [idiom, reference] : looks) {
        auto shown = showForm(*handler, idiom);
        auto presented = std::dynamic_pointer_cast<plat::NavigationController>(shown.presented);
        ASSERT_TRUE(presented);
        auto form = std::dynamic_pointer_cast<zt::ShareConfigurationViewController>(presented->topViewController());
        ASSERT_TRUE(form);
        EXPECT_TRUE(form->exportTypes().empty());
        EXPECT_EQ(form->tableViewTitleForFooterInSection(*form->tableView(), 0),
            "The frame list of “My Plovix Movie of Kites” cannot be read: Permission denied.");
        auto exportButton = form->navigationItem()->rightBarButtonItem();
        ASSERT_TRUE(exportButton);
        EXPECT_FALSE(exportButton->isEnabled()) << "no Export";
        expectLooksLike(shown.picture, reference);
    }
}

}  // namespace
