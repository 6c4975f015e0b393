#include "document/DataManager.h"

#include <cstdio>
#include <gtest/gtest.h>

#include "platform/foundation/Files.h"
#include "platform/foundation/PropertyList.h"
#include "support/BoundedChild.h"
#include "support/TemporarySandbox.h"
#include "support/UnreadableFile.h"

namespace {

class DataManagerSettings : public ::testing::Test {
protected:
    void SetUp() override { manager().resetToDefaultsForTesting(); }
    void TearDown() override { manager().resetToDefaultsForTesting(); }

    static zt::DataManager& manager() { return zt::DataManager::sharedDataManager(); }

    void writeSettings(std::string_view contents)
    {
        ASSERT_TRUE(plat::writeFileAtomically(zt::DataManager::settingsFilePath(), contents).ok());
    }

    plat::Dictionary storedSettings()
    {
        auto stored = plat::dictionaryWithContentsOfFile(zt::DataManager::settingsFilePath());
        EXPECT_TRUE(stored.has_value());
        return stored.value_or(plat::Dictionary());
    }

    void expectDefaults()
    {
        EXPECT_FALSE(manager().version().has_value());
        EXPECT_FALSE(manager().lastSelection().has_value());
        EXPECT_FALSE(manager().passCode().has_value());
        EXPECT_TRUE(manager().isYoutubeGalleryEnabled());
        EXPECT_EQ(manager().currentCaptureSourceID(), "CaptureLocalCamera");
        EXPECT_EQ(manager().avCaptureDevicePosition(), 1);
        EXPECT_FALSE(manager().isGridEnabled());
        EXPECT_TRUE(manager().isGUISoundEnabled());
        EXPECT_EQ(manager().overlaySetting(), 1.0f);
        EXPECT_EQ(manager().whiteBalanceMode(), 2);
        EXPECT_EQ(manager().focusMode(), 2);
        EXPECT_EQ(manager().exposureMode(), 2);
        EXPECT_EQ(manager().cameraEffectiveScale(), 1.0f);
        EXPECT_TRUE(manager().objectForKey("is4KAlertShown").isNull());
    }

    plat::test::TemporarySandbox sandbox;
};

constexpr const char* kPlistHead = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
)";

std::string plistWith(const std::string& body)
{
    return kPlistHead + body + "\n</plist>\n";
}

TEST_F(DataManagerSettings, TheSharedInstanceIsOneObject)
{
    EXPECT_EQ(&zt::DataManager::sharedDataManager(), &zt::DataManager::sharedDataManager());
}

TEST_F(DataManagerSettings, WithoutAFileEverySettingHasItsDefault)
{
    zt::DataManager::loadState();
    expectDefaults();
}

TEST_F(DataManagerSettings, AFileWithOneKeyChangesOnlyThatSetting)
{
    writeSettings(plistWith("<dict><key>_isGridEnabled</key><true/></dict>"));
    zt::DataManager::loadState();
    EXPECT_TRUE(manager().isGridEnabled());
    manager().setIsGridEnabled(false);
    expectDefaults();
}

TEST_F(DataManagerSettings, SavingAndLoadingKeepsEverySetting)
{
    manager().setVersion(4.0);
    manager().setLastSelection(3);
    manager().setPassCode("1234");
    manager().setIsYoutubeGalleryEnabled(false);
    manager().setCurrentCaptureSourceID("CaptureLocalCamera4K");
    manager().setAvCaptureDevicePosition(2);
    manager().setIsGridEnabled(true);
    manager().setIsGUISoundEnabled(false);
    manager().setOverlaySetting(0.25f);
    manager().setWhiteBalanceMode(1);
    manager().setFocusMode(0);
    manager().setExposureMode(3);
    manager().setCameraEffectiveScale(2.5f);
    manager().setValue(plat::Dictionary {{"PAINTER_TOOL", 3}}, "PAINTER_CONFIGURATION");
    manager().setValue(true, "is4KAlertShown");
    zt::DataManager::saveState();

    manager().resetToDefaultsForTesting();
    zt::DataManager::loadState();
    EXPECT_EQ(manager().version(), 4.0);
    EXPECT_EQ(manager().lastSelection(), 3);
    EXPECT_EQ(manager().passCode(), "1234");
    EXPECT_FALSE(manager().isYoutubeGalleryEnabled());
    EXPECT_EQ(manager().currentCaptureSourceID(), "CaptureLocalCamera4K");
    EXPECT_EQ(manager().avCaptureDevicePosition(), 2);
    EXPECT_TRUE(manager().isGridEnabled());
    EXPECT_FALSE(manager().isGUISoundEnabled());
    EXPECT_EQ(manager().overlaySetting(), 0.25f);
    EXPECT_EQ(manager().whiteBalanceMode(), 1);
    EXPECT_EQ(manager().focusMode(), 0);
    EXPECT_EQ(manager().exposureMode(), 3);
    EXPECT_EQ(manager().cameraEffectiveScale(), 2.5f);
    EXPECT_EQ(manager().objectForKey("PAINTER_CONFIGURATION"), plat::Value(plat::Dictionary {{"PAINTER_TOOL", 3}}));
    EXPECT_EQ(manager().objectForKey("is4KAlertShown"), plat::Value(true));
}

TEST_F(DataManagerSettings, TheFileHoldsTheStoredKeysWithTheirTypes)
{
    manager().setAvCaptureDevicePosition(2);
    zt::DataManager::saveState();
    auto stored = storedSettings();
    // The optional keys are written only once they have a value.
    EXPECT_EQ(stored.keys(),
        (std::vector<std::string> {"METADATA", "_avCaptureDevicePosition", "_cameraEffectiveScale",
            "_currentCaptureSourceID", "_exposureMode", "_focusMode", "_isGUISoundEnabled", "_isGridEnabled",
            "_overlaySetting", "_whiteBalanceMode", "isYoutubeGalleryEnabled"}));
    EXPECT_TRUE(stored.get("_avCaptureDevicePosition").isInteger());
    EXPECT_TRUE(stored.get("_overlaySetting").isReal());
    EXPECT_TRUE(stored.get("_isGridEnabled").isBoolean());
    EXPECT_EQ(stored.getString("_currentCaptureSourceID"), "CaptureLocalCamera");
    EXPECT_TRUE(stored.get("METADATA").isDictionary());
}

TEST_F(DataManagerSettings, ModesAreStoredAsThirtyTwoBitNumbers)
{
    manager().setFocusMode((int64_t(1) << 32) + 5);
    zt::DataManager::saveState();
    EXPECT_EQ(storedSettings().getInt64("_focusMode"), 5);
}

TEST_F(DataManagerSettings, AFileWithoutPassCodeKeepsThePassCodeInMemory)
{
    manager().setPassCode("4711");
    writeSettings(plistWith("<dict><key>lastSelection</key><integer>2</integer></dict>"));
    zt::DataManager::loadState();
    EXPECT_EQ(manager().passCode(), "4711");
    EXPECT_EQ(manager().lastSelection(), 2);
}

TEST_F(DataManagerSettings, ValuesOfTheWrongTypeAreIgnored)
{
    writeSettings(plistWith(R"(<dict>
        <key>_currentCaptureSourceID</key><integer>7</integer>
        <key>passCode</key><array/>
        <key>METADATA</key><string>x</string>
        <key>_focusMode</key><string>1</string>
        <key>version</key><real>4.5</real>
        </dict>)"));
    zt::DataManager::loadState();
    EXPECT_EQ(manager().version(), 4.5);
    manager().setVersion(std::nullopt);
    expectDefaults();
}

// The next save writes the defaults; each damaged file is kept beside them,
// a later one beside the earlier.
TEST_F(DataManagerSettings, DamagedFilesLeaveTheDefaultsAndAreKeptAside)
{
    const std::string path = zt::DataManager::settingsFilePath();
    const std::pair<std::string, std::string> cases[] = {
        {plistWith("<dict><key>_isGridEnabled</key><true/>"), path + ".damaged"},
        {std::string("bplist00\x01\x02", 10), path + ".damaged-2"},
        {plistWith("<array><true/></array>"), path + ".damaged-3"},
        {std::string(), path + ".damaged-4"},
        {std::string("\x00\xff garbage", 10), path + ".damaged-5"},
    };
    for (const auto& [damaged, aside] : cases) {
        writeSettings(damaged);
        zt::DataManager::loadState();
        expectDefaults();
        zt::DataManager::saveState();
        auto kept = plat::readFile(aside);
        ASSERT_TRUE(kept.ok()) << aside;
        EXPECT_EQ(std::string(kept.value().begin(), kept.value().end()), damaged);
    }
}

// A file that cannot be opened may hold everything the person set: the
// defaults never take its place unseen, and the person hears of it.
TEST_F(DataManagerSettings, SettingsThatCannotBeOpenedAreKeptAsideAndTold)
{
    const std::string path = zt::DataManager::settingsFilePath();
    const std::string settings = plistWith("<dict><key>passCode</key><string>2468</string></dict>");
    enum class Fault { NoPermission, FolderInItsPlace };
    for (Fault fault : {Fault::NoPermission, Fault::FolderInItsPlace}) {
        SCOPED_TRACE(fault == Fault::NoPermission ? "no permission" : "a folder in its place");
        ASSERT_TRUE(plat::removeItemIfExists(path).ok());
        ASSERT_TRUE(plat::removeItemIfExists(path + ".damaged").ok());
        if (fault == Fault::NoPermission) {
            writeSettings(settings);
            plat::test::UnreadableFile unreadable(path);
            ASSERT_TRUE(unreadable.applied());
            zt::DataManager::loadState();
        } else {
            ASSERT_TRUE(plat::createDirectory(path, plat::IntermediateDirectories::No).ok());
            zt::DataManager::loadState();
        }
        expectDefaults();
        zt::DataManager::saveState();
        auto told = manager().takeUnreadableSettings();
        ASSERT_TRUE(told.has_value());
        EXPECT_EQ(told->keptAs, path + ".damaged");
        if (fault == Fault::NoPermission) {
            EXPECT_EQ(plat::dictionaryWithContentsOfFile(path + ".damaged")
                          .value_or(plat::Dictionary())
                          .getString("passCode"),
                "2468");
        } else {
            EXPECT_TRUE(plat::isDirectory(path + ".damaged"));
        }
    }
}

TEST_F(DataManagerSettings, MetadataReadFromTheFileIsAPrivateCopy)
{
    writeSettings(plistWith("<dict><key>METADATA</key><dict><key>a</key><integer>1</integer></dict></dict>"));
    zt::DataManager::loadState();
    manager().setValue(2, "a");
    zt::DataManager::loadState();
    EXPECT_EQ(manager().objectForKey("a"), plat::Value(1));
}

TEST_F(DataManagerSettings, AnotherToolReadsTheSettingsFile)
{
    manager().setPassCode("9876");
    manager().setOverlaySetting(0.5f);
    zt::DataManager::saveState();
    std::string command = "python3 -c \"import plistlib,sys; d=plistlib.load(open(sys.argv[1],'rb')); "
                          "assert d['passCode']=='9876' and d['_overlaySetting']==0.5 and d['_focusMode']==2 "
                          "and d['isYoutubeGalleryEnabled'] is True and d['METADATA']=={}\" '"
        + zt::DataManager::settingsFilePath() + "'";
    EXPECT_EQ(plat::test::runShellBounded(command), 0);
}

}  // namespace
