// Archives and sounds that cannot be taken in: the person is told which and
// why in words they read (no paths, names from outside shown whole), the
// file is kept in "Not Imported", and nothing half-made stays in Documents.
#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/AppScreensTestSupport.h"
#include "audio/AudioController.h"
#include "platform/foundation/URL.h"
#include "support/LimitedFreeSpace.h"
#include "support/MountNamespace.h"

namespace {

using zt::test::AppScreens;

class ImportFailures : public AppScreens {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(plat::createDirectory(documents("Import"), plat::IntermediateDirectories::Yes).ok());
        ASSERT_TRUE(plat::createDirectory(sandbox.path("work"), plat::IntermediateDirectories::Yes).ok());
    }
    // The start-up's message once the imports have ended.
    std::string importMessage()
    {
        return waitForAlert([](const plat::AlertView& alert) { return alert.message() != "Import."; });
    }
    std::vector<std::string> temporariesInDocuments() const
    {
        std::vector<std::string> found;
        for (const std::string& name : plat::contentsOfDirectory(documents()).valueOr({}))
            if (plat::isTemporaryItemName(name))
                found.push_back(name);
        return found;
    }
    // An archive of a project whose files hold these bytes.
    void makeArchive(const std::string& path, const std::vector<std::pair<std::string, plat::Data>>& files) const
    {
        zt::QVZipArchive archive(path);
        ASSERT_TRUE(archive.open());
        for (const auto& [name, bytes] : files)
            ASSERT_TRUE(archive.writeData(bytes, name));
        ASSERT_TRUE(archive.close());
    }
};

plat::Data noise(size_t bytes)
{
    std::mt19937 random(7);
    plat::Data data(bytes);
    for (auto& byte : data)
        byte = static_cast<uint8_t>(random());
    return data;
}

plat::Data text(const std::string& words)
{
    return plat::Data(words.begin(), words.end());
}

}  // namespace

// An archive whose entry name holds a NUL, among others that fail: every
// archive's reason shows, the name escaped, and the closing sentence too.
TEST_F(ImportFailures, ANameHoldingANulShowsEscapedAndEveryReasonAfterItShows)
{
    std::ofstream(documents("Import/a.zantropemobile")) << "damaged";
    const std::string named = documents("Import/mm_nulname.zantropemobile");
    makeArchive(named, {{"plovix.meta", text("<plist/>")}, {"nul@name", text("x")}});
    auto bytes = plat::readFile(named).value();
    // The name is written with a stand-in, then given its NUL in both of the archive's lists.
    const std::string_view stored = "nul@name";
    for (auto at = bytes.begin(); (at = std::search(at, bytes.end(), stored.begin(), stored.end())) != bytes.end();
         ++at)
        at[3] = 0;
    ASSERT_TRUE(plat::writeFileAtomically(named, bytes).ok());
    std::ofstream(documents("Import/z.zantropemobile")) << "damaged";
    launch();
    EXPECT_EQ(importMessage(),
        "\nNone of the 3 projects could be imported."
        "\n“a.zantropemobile”: Failed to open zip file."
        "\n“mm_nulname.zantropemobile”: Unsafe file name in zip file: nul\\0name."
        "\n“z.zantropemobile”: Failed to open zip file."
        "\nThe 3 archives that could not be imported are kept in the folder “Not Imported”.");
}

// The disk fills while the archive is unpacked (a tmpfs in a mount
// namespace of the test's own; the free space counted before looks ample).
TEST_F(ImportFailures, AnArchiveThatFillsTheDiskSaysSoWithoutAPathAndLeavesNothingUnpacked)
{
    const auto run = plat::test::runInOwnMountNamespace();
    if (run == plat::test::MountNamespaceRun::NotPermitted)
        GTEST_SKIP() << "unshare -rm is not permitted here, so no small disk can be mounted without root";
    if (run == plat::test::MountNamespaceRun::Elsewhere)
        return;
    plat::test::SmallDisk disk(documents(), "2m");
    ASSERT_TRUE(disk.ok()) << disk.error();
    plat::test::LimitedFreeSpace looksAmple(uint64_t(1) << 30);
    ASSERT_TRUE(plat::createDirectory(documents("Import"), plat::IntermediateDirectories::Yes).ok());
    makeArchive(documents("Import/Big.zantropemobile"),
        {{"frames.meta", text("frames")}, {"plovix.meta", text("<plist/>")}, {"frame-A.jpg", noise(400000)},
            {"frame-B.jpg", noise(400000)}, {"frame-C.jpg", noise(400000)}});
    launch();
    EXPECT_EQ(importMessage(),
        "\nThe project could not be imported."
        "\n“Big.zantropemobile”: No space left on device."
        "\nThe archive that could not be imported is kept in the folder “Not Imported”.");
    EXPECT_EQ(temporariesInDocuments(), std::vector<std::string> {});
}

// A file handed over as a sound that holds none is refused where it
// arrives, with the reason, and kept in "Not Imported"; the other app keeps its own.
TEST_F(ImportFailures, AHandedOverSoundThatHoldsNoSoundIsRefusedAndKeptInNotImported)
{
    const std::pair<std::string, plat::Data> files[]
        = {{"empty.mp3", {}}, {"notes.mp3", text("a shopping list, not a song")}, {"noise.mp3", noise(4096)}};
    launch();
    settle();
    plat::test::TemporaryFolder otherApp;
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(plat::writeFileAtomically(otherApp.path(name), bytes).ok());
        app.openURLFromApplication(plat::URL::fileURLWithPath(otherApp.path(name)), "com.example.mail", plat::Value());
        EXPECT_EQ(waitForAlert(),
            "\nThe audio file could not be imported.\n“" + name + "”: The file “" + name
                + "” holds no sound.\nThe file is kept in the folder “Not Imported”.");
        EXPECT_TRUE(plat::contentsOfDirectory(zt::AudioController::sharedAudioInboxPath()).value().empty()
            && plat::fileExists(documents("Not Imported/" + name)) && plat::fileExists(otherApp.path(name)));
        driver.wait(0.5);  // it has come in
        ASSERT_TRUE(driver.tap("OK"));
        driver.wait(1);
    }
}

// Names from outside show their control characters and the marks that set
// the reading direction as escapes, so that none turns the rest of the
// message around; the archives' at start-up and those handed over alike.
TEST_F(ImportFailures, NamesOfArchivesAndHandedOverFilesShowTheirControlAndDirectionMarksEscaped)
{
    std::ofstream(documents("Import/23-rlo \u202Egnp.exe.zantropemobile")) << "damaged";
    launch();
    EXPECT_EQ(importMessage(),
        "\nThe project could not be imported.\n“23-rlo \\u202Egnp.exe.zantropemobile”: Failed to open zip file."
        "\nThe archive that could not be imported is kept in the folder “Not Imported”.");
    driver.wait(0.5);
    ASSERT_TRUE(driver.tap("OK"));
    driver.wait(1);

    const std::pair<std::string, std::string> handedOver[] = {
        {"bad \u202Eevil.mp3",
            "The audio file could not be imported.\n“bad \\u202Eevil.mp3”: The file “bad \\u202Eevil.mp3” holds no "
            "sound.\nThe file is kept in the folder “Not Imported”."},
        {"\u2066left\u2069 \u2067right\u2068 \u200E\u200F\x1B.txt",
            "The file could not be imported.\n“\\u2066left\\u2069 \\u2067right\\u2068 \\u200E\\u200F\\x1B.txt”: Only "
            "projects and sound files can be imported.\nThe file is kept in the folder “Not Imported”."},
        {"\u202Aold\u202B\u202C\u202D \u061C\n.zantropemobile",
            "The project could not be imported.\n“\\u202Aold\\u202B\\u202C\\u202D \\u061C\\n.zantropemobile”: Failed "
            "to open zip file.\nThe archive that could not be imported is kept in the folder “Not Imported”."},
    };
    plat::test::TemporaryFolder otherApp;
    for (const auto& [name, told] : handedOver) {
        SCOPED_TRACE(told);
        std::ofstream(otherApp.path(name)) << "not what its name says";
        app.openURLFromApplication(plat::URL::fileURLWithPath(otherApp.path(name)), "com.example.mail", plat::Value());
        EXPECT_EQ(waitForAlert([](const plat::AlertView& alert) { return alert.message() != "Import."; }), "\n" + told);
        driver.wait(0.5);
        ASSERT_TRUE(driver.tap("OK"));
        driver.wait(1);
    }
}

// The archive itself would fit: what it needs and the 32 MiB that unpacking
// leaves free are told apart.
TEST_F(ImportFailures, AnArchiveRefusedForTheFreeSpaceKeptSaysWhatItNeedsAndWhatIsKeptFree)
{
    launch();
    settle();
    plat::test::TemporaryFolder otherApp;
    makeArchive(otherApp.path("Small.zantropemobile"),
        {{"frames.meta", text("frames")}, {"plovix.meta", text("<plist/>")}, {"frame-A.jpg", noise(700000)},
            {"frame-B.jpg", plat::Data(149986)}});
    plat::test::LimitedFreeSpace nearlyFull(19400000);
    app.openURLFromApplication(
        plat::URL::fileURLWithPath(otherApp.path("Small.zantropemobile")), "com.example.mail", plat::Value());
    EXPECT_EQ(importMessage(),
        "\nThe project could not be imported.\n“Small.zantropemobile”: Not enough free space to unpack this archive: "
        "850 KB needed and 33.6 MB kept free, 19.4 MB available."
        "\nThe archive that could not be imported is kept in the folder “Not Imported”.");
}
