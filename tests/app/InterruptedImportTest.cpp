// The app killed (SIGKILL) while it unpacks a project archive, whether the
// archive waited in Documents/Import or was handed over by another app (a
// copy in Documents/Inbox): the next start leaves no part of the unpacking
// behind and imports the archive whole, once.
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/AppProcess.h"
#include "document/Frame.h"
#include "document/FrameList.h"
#include "document/ProjectImportProcessor.h"
#include "document/QVZipArchive.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Sandbox.h"
#include "support/KilledChild.h"
#include "support/TemporarySandbox.h"

namespace {

constexpr double kTimeoutSeconds = 120;
// A child run of this test: the device folder and the archive it imports.
constexpr const char* kChildVariable = "ZT_INTERRUPTED_IMPORT_CHILD";
const std::vector<std::string> kPictures {"frame-A.jpg", "frame-B.jpg", "frame-C.jpg"};

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    for (size_t start = 0, end; start <= text.size(); start = end + 1) {
        end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

// An archive of a project of three pictures, its two lists first, so that
// they are unpacked before any picture.
void makeArchive(const std::string& path, plat::test::TemporaryFolder& scratch)
{
    zt::FrameList list;
    for (const std::string& picture : kPictures)
        list.insertFrame(zt::Frame(zt::FrameTypePicture, picture.substr(6, 1)), list.getCaptureIndex());
    ASSERT_TRUE(
        plat::writeFileAtomically(scratch.path("frames.meta"), list.getFrameListRepresentationData().value()).ok());
    ASSERT_TRUE(plat::writePropertyListFile(plat::Dictionary {{"ProductVersion", 5.0}, {"RecordName", "Kept"}},
        scratch.path("plovix.meta"), plat::PropertyListFormat::XML)
                    .ok());
    std::vector<std::string> files {scratch.path("frames.meta"), scratch.path("plovix.meta")};
    for (const std::string& picture : kPictures) {
        ASSERT_TRUE(plat::writeFileAtomically(scratch.path(picture), std::string(4096, 'p')).ok());
        files.push_back(scratch.path(picture));
    }
    ASSERT_TRUE(zt::QVZipArchive::createZipFileAtPath(path, files));
}

// The child: imports the archive into the device and, once the lists are
// unpacked and the first picture is due, tells the parent and waits to be killed.
void runChild(const std::string& orders)
{
    const auto lines = linesOf(orders);
    ASSERT_EQ(lines.size(), 3u);
    plat::Sandbox::setCurrent(std::make_shared<plat::Sandbox>(lines[0]));
    const int ready = std::stoi(lines[2]);
    plat::detail::setWriteFaultInjector([ready](const std::string& path) {
        if (path.ends_with(".jpg"))
            plat::test::waitToBeKilled(ready);
        return plat::detail::WriteFailurePoint::None;
    });
    zt::ProjectImportProcessor().importProjectAtPath(lines[1]);
    ADD_FAILURE() << "the import ended without being killed";
}

// What the device's Documents hold, in a line: the project folders with
// their pictures and whether they are listed, the archives left in the
// inboxes and any temporary item.
std::vector<std::string> namesIn(const std::string& folder)
{
    return plat::contentsOfDirectory(folder).valueOr(std::vector<std::string>());
}

std::string documentsSummary(const std::string& device)
{
    const std::string documents = device + "/Documents";
    const auto listed = plat::arrayWithContentsOfFile(documents + "/.projects.plist").value_or(plat::Array());
    std::string summary;
    for (const std::string& name : namesIn(documents)) {
        if (name.starts_with(".plovix-")) {
            const auto files = namesIn(documents + "/" + name);
            const auto pictures = std::count_if(
                files.begin(), files.end(), [](const std::string& file) { return file.ends_with(".jpg"); });
            const bool isListed = listed.count() == 1 && listed.at(0) == plat::Value(name);
            summary += "project of " + std::to_string(pictures) + " pictures" + (isListed ? ", listed; " : "; ");
        } else if (plat::isTemporaryItemName(name)) {
            summary += "temporary " + name + "; ";
        }
    }
    for (const char* inbox : {"Import", "Inbox"})
        for (const std::string& name : namesIn(documents + "/" + inbox))
            summary += std::string(inbox) + "/" + name + " left; ";
    return summary;
}

}  // namespace

TEST(InterruptedImport, TheNextStartLeavesNoPartBehindAndImportsTheArchiveOnce)
{
    if (const char* orders = std::getenv(kChildVariable)) {
        runChild(orders);
        return;
    }
    for (const char* inbox : {"Import", "Inbox"}) {
        SCOPED_TRACE(inbox);
        plat::test::TemporaryFolder scratch;
        // A device that has started before, with an empty projects list.
        const std::string device = scratch.path("device");
        const std::string archive = device + "/Documents/" + inbox + "/Holiday.zantropemobile";
        ASSERT_TRUE(
            plat::createDirectory(plat::deletingLastPathComponent(archive), plat::IntermediateDirectories::Yes).ok());
        ASSERT_TRUE(plat::writePropertyListFile(
            plat::Dictionary {{"version", 4.0}}, device + "/Documents/.settings.plist", plat::PropertyListFormat::XML)
                        .ok());
        ASSERT_TRUE(plat::writePropertyListFile(plat::Array(), device + "/Documents/.projects.plist").ok());
        makeArchive(archive, scratch);

        ASSERT_TRUE(plat::test::killChildOfThisTestWhenReady(kChildVariable, device + "\n" + archive, kTimeoutSeconds))
            << "killed while unpacking";
        std::string script = scratch.path("start.txt");
        ASSERT_TRUE(plat::writeFileAtomically(script, std::string_view("wait 2\nquit\n")).ok());
        ASSERT_EQ(zt::test::runApp(device, "phone", script), 0);
        EXPECT_EQ(documentsSummary(device), "project of 3 pictures, listed; ");
    }
}
