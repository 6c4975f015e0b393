// The app killed (SIGKILL) between a change of a project folder and the
// projects list's: a delete once the list no longer names the project (also
// part way through the removal); a duplicate, an archive handed over by
// another app and one from Documents/Import once the new folder is in place
// and not yet listed; those imports once listed, before their archive is
// removed; an import so cut short on a device folder that is then copied or
// moved, and started there; a write of the preferences. After the next
// start each project is listed once or gone, no archive is imported twice,
// and nothing hidden is left but what a person keeps in a folder of theirs.
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/AppScreensTestSupport.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "support/KilledChild.h"
#include "support/PythonScript.h"

namespace {

constexpr double kTimeoutSeconds = 120;
// A child run of this test: the device folder and the archive another app hands over.
constexpr const char* kChildVariable = "ZT_INTERRUPTED_LISTING_CHILD";
const std::string kKept = ".plovix-2015-05-01-10-00-00";
const std::string kGone = ".plovix-2015-05-02-10-00-00";
const std::string kIntroduction = ".plovix-introduction";

enum class Change { Delete, DeleteCutShort, DeleteSample, Duplicate, HandOver, Import, Start };
// Killed as the projects list is written, or at the next file change of the thread that wrote it;
// or once a write of the preferences has made its temporary file.
enum class Kill { AtTheListWrite, AfterTheListWrite, AtThePreferencesWrite };
// Where the next start runs: on the device folder killed on, on a copy of it (cp -a) or the folder moved (mv).
enum class Device { Same, Copied, Moved };

struct Case {
    const char* name;
    Change change;
    Kill kill;
    const char* expected;  // Documents after the next start, as summary() puts it
    Device device = Device::Same;
};

const Case kCases[] = {
    {"DeleteOnceUnlisted", Change::Delete, Kill::AfterTheListWrite, "Kept, listed; "},
    {"DeletePartWayThroughTheRemoval", Change::DeleteCutShort, Kill::AfterTheListWrite, "Kept, listed; "},
    {"DeleteOfTheSampleOnceUnlisted", Change::DeleteSample, Kill::AfterTheListWrite, "Kept, listed; "},
    {"DeleteOfTheSampleBeforeTheList", Change::DeleteSample, Kill::AtTheListWrite, "Kept, listed; "},
    {"DuplicateInPlace", Change::Duplicate, Kill::AtTheListWrite, "Kept, listed; Kept, listed; "},
    {"HandOverInPlace", Change::HandOver, Kill::AtTheListWrite, "Holiday, listed; Kept, listed; "},
    {"ImportInPlace", Change::Import, Kill::AtTheListWrite, "Holiday, listed; Kept, listed; "},
    {"ImportInPlaceOnACopiedDevice", Change::Import, Kill::AtTheListWrite,
        "Holiday, listed; Kept, listed; the first device's Import/Holiday.zantropemobile; ", Device::Copied},
    {"ImportInPlaceOnAMovedDevice", Change::Import, Kill::AtTheListWrite, "Holiday, listed; Kept, listed; ",
        Device::Moved},
    {"HandOverListed", Change::HandOver, Kill::AfterTheListWrite, "Holiday, listed; Kept, listed; "},
    {"ImportListed", Change::Import, Kill::AfterTheListWrite, "Holiday, listed; Kept, listed; "},
    // The person's draft keeps its name, like one of the app's temporaries.
    {"PreferencesWrite", Change::Start, Kill::AtThePreferencesWrite,
        "Kept, listed; hidden Documents/My Stuff/.tmp-Ab12Cd; "},
};

void PrintTo(const Case& kase, std::ostream* out)
{
    *out << kase.name;
}

std::vector<std::string> namesIn(const std::string& folder)
{
    return plat::contentsOfDirectory(folder).valueOr({});
}

// Items anywhere below the folder named as the app's temporaries are.
std::vector<std::string> hiddenBelow(const std::string& folder)
{
    std::vector<std::string> hidden;
    for (const std::string& subpath : plat::subpathsOfDirectory(folder).valueOr({}))
        if (plat::isTemporaryItemName(plat::lastPathComponent(subpath)))
            hidden.push_back(subpath);
    return hidden;
}

// A removal cut short as a kill part way through leaves the folder: its
// entries go in name order, the pictures and the frame list first.
void removeUpToTheFrameList(const std::string& folder)
{
    for (const std::string& name : namesIn(folder)) {
        std::filesystem::remove_all(folder + "/" + name);
        if (name == "frames.meta")
            return;
    }
}

class InterruptedListing : public zt::test::AppScreens, public ::testing::WithParamInterface<Case> {
protected:
    bool isDelete() const
    {
        const Change change = GetParam().change;
        return change == Change::Delete || change == Change::DeleteCutShort || change == Change::DeleteSample;
    }

    // Started on this device before: "Kept" listed, and for a delete "Gone"
    // (or the sample, in Caches) before it, selected; the archive in the
    // inbox, or where another app has it.
    void makeDevice(const std::string& handedOver)
    {
        ASSERT_TRUE(plat::writePropertyListFile(plat::Dictionary {{"version", 4.0}, {"lastSelection", 1}},
            zt::DataManager::settingsFilePath(), plat::PropertyListFormat::XML)
                        .ok());
        makeProject(kKept, 2, plat::Dictionary {{"RecordName", "Kept"}});
        std::vector<std::string> names {kKept};
        if (isDelete()) {
            makeProject(kGone, 2, plat::Dictionary {{"RecordName", "Gone"}});
            names.insert(names.begin(), kGone);
        }
        if (GetParam().change == Change::DeleteSample) {
            ASSERT_TRUE(plat::moveItem(documents(kGone), caches(kIntroduction)).ok());
            names.front() = kIntroduction;
        }
        ASSERT_TRUE(zt::ProjectsList::replace(names));
        ASSERT_TRUE(plat::createDirectory(documents("Import"), plat::IntermediateDirectories::Yes).ok());
        if (GetParam().change == Change::Import)
            makeArchive(documents("Import/Holiday.zantropemobile"), "Holiday", 2);
        if (GetParam().change == Change::HandOver)
            makeArchive(handedOver, "Holiday", 2);
        if (GetParam().change == Change::Start) {
            ASSERT_TRUE(
                plat::createDirectory(documents("My Stuff/.tmp-Ab12Cd"), plat::IntermediateDirectories::Yes).ok());
            ASSERT_TRUE(plat::writeFileAtomically(documents("My Stuff/.tmp-Ab12Cd/draft.txt"), "mine").ok());
        }
    }

    // The child: makes the change in the app and, at the point the case
    // names, tells the parent and waits to be killed.
    void runChild(const std::string& orders)
    {
        const auto lines = plat::componentsSeparatedByString(orders, "\n");
        ASSERT_EQ(lines.size(), 3u);
        (void)plat::removeItem(sandbox.root());  // the child's own device goes unused
        plat::Sandbox::setCurrent(std::make_shared<plat::Sandbox>(lines[0]));
        const int ready = std::stoi(lines[2]);
        const Case& kase = GetParam();
        auto listWriter = std::make_shared<std::atomic<std::thread::id>>();
        const std::string preferences = plat::Sandbox::current()->preferencesDirectory();
        plat::detail::setWriteFaultInjector([ready, kase, listWriter, preferences](const std::string& path) {
            if (kase.kill == Kill::AtThePreferencesWrite) {
                if (path.starts_with(preferences + "/") && !hiddenBelow(preferences).empty())
                    plat::test::waitToBeKilled(ready);
            } else if (path.ends_with("/.projects.plist")) {
                if (kase.kill == Kill::AtTheListWrite)
                    plat::test::waitToBeKilled(ready);
                listWriter->store(std::this_thread::get_id());
            } else if (listWriter->load() == std::this_thread::get_id()) {
                if (kase.change == Change::DeleteCutShort)
                    removeUpToTheFrameList(path);
                plat::test::waitToBeKilled(ready);
            }
            return plat::detail::WriteFailurePoint::None;
        });
        launch();
        if (kase.change != Change::Import)
            settle();
        if (isDelete()) {
            ASSERT_TRUE(driver.tap("Delete"));  // the toolbar's
            driver.wait(1);
            ASSERT_TRUE(driver.tap("Delete"));  // the sheet's
            driver.wait(1);
        } else if (kase.change == Change::Duplicate) {
            ASSERT_TRUE(driver.tap("Duplicate"));
        } else if (kase.change == Change::HandOver) {
            app.openURLFromApplication(plat::URL::fileURLWithPath(lines[1]), "com.example.mail", plat::Value());
        }
        (void)plat::test::runMainLoopUntil([] { return false; }, kTimeoutSeconds);
        ADD_FAILURE() << "the change ended without being killed";
    }

    // Documents in a line: each project folder by its name, whether it is
    // listed and the hidden items in it; the sample; listed names without a
    // folder; temporaries anywhere in the device; files left in the inboxes,
    // and in the inbox of the device it was copied from.
    std::string summary(const std::string& firstDevice) const
    {
        const auto names = listed();
        std::vector<std::string> found;
        for (const std::string& name : namesIn(documents())) {
            if (name.starts_with(".plovix-")) {
                auto metadata = plat::dictionaryWithContentsOfFile(documents(name) + "/plovix.meta");
                std::string line = metadata ? metadata->getString("RecordName").value_or("unnamed") : "no metadata";
                const auto listings = std::count(names.begin(), names.end(), name);
                line += listings == 1 ? ", listed" : listings > 1 ? ", listed twice" : "";
                for (const std::string& file : namesIn(documents(name)))
                    if (file.starts_with("."))
                        line += ", holding " + file;
                found.push_back(line);
            }
        }
        if (plat::fileExists(caches(kIntroduction)))
            found.push_back(
                "the sample" + std::string(std::count(names.begin(), names.end(), kIntroduction) ? ", listed" : ""));
        for (const std::string& subpath : hiddenBelow(sandbox.root()))
            found.push_back("hidden " + subpath);
        for (const std::string& name : names)
            if (!plat::fileExists(zt::ProjectsList::folderPathForName(name)))
                found.push_back(name + " listed without a folder");
        for (const char* inbox : {"Import", "Inbox", "Not Imported"})
            for (const std::string& name : namesIn(documents(inbox)))
                found.push_back(std::string(inbox) + "/" + name + " left");
        if (!firstDevice.empty())
            for (const std::string& name : namesIn(firstDevice + "/Documents/Import"))
                found.push_back("the first device's Import/" + name);
        std::sort(found.begin(), found.end());
        std::string line;
        for (const std::string& item : found)
            line += item + "; ";
        return line;
    }
};

}  // namespace

TEST_P(InterruptedListing, TheNextStartShowsEachProjectOnceOrNotAtAllAndLeavesNothingHidden)
{
    if (const char* orders = std::getenv(kChildVariable)) {
        runChild(orders);
        return;
    }
    plat::test::TemporaryFolder otherApp;
    const std::string handedOver = otherApp.path("Holiday.zantropemobile");
    makeDevice(handedOver);
    const Device device = GetParam().device;
    const std::string first = device == Device::Same ? sandbox.root() : otherApp.path("device");
    auto run = [](std::vector<std::string> command) {
        command.insert(command.begin(), {"timeout", "60"});
        auto done = plat::test::runCommand("/", command);
        EXPECT_EQ(done.exitCode, 0) << done.output;
    };
    if (device != Device::Same)
        run({"mv", sandbox.root(), first});
    ASSERT_TRUE(plat::test::killChildOfThisTestWhenReady(kChildVariable, first + "\n" + handedOver, kTimeoutSeconds))
        << "killed at its point";
    if (device == Device::Copied)
        run({"cp", "-a", first, sandbox.root()});
    else if (device == Device::Moved)
        run({"mv", first, sandbox.root()});

    launch();  // the next start
    settle();
    if (auto alert = shownAlert(); alert && alert->message() == "Import.")
        waitForAlert([](const plat::AlertView& shown) { return shown.message() != "Import."; });
    EXPECT_EQ(summary(device == Device::Copied ? first : ""), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Killed, InterruptedListing, ::testing::ValuesIn(kCases),
    [](const ::testing::TestParamInfo<Case>& caseInfo) { return std::string(caseInfo.param.name); });
