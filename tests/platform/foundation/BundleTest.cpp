#include "platform/foundation/Bundle.h"

#include <gtest/gtest.h>

#include "platform/foundation/Files.h"
#include "support/TemporarySandbox.h"

namespace {

class BundleResources : public ::testing::Test {
protected:
    void SetUp() override
    {
        make("en.lproj");
        make("de.lproj");
        make("sounds");
        write("camera3.wav", "RIFF");
        write("sounds/beep.aiff", "FORM");
        write("de.lproj/Welcome.plist", "<plist/>");
        write("en.lproj/Localizable.strings", R"("My Plovix Movie" = "My Plovix Movie"; "Delete" = "Delete";)");
        write("de.lproj/Localizable.strings", R"("My Plovix Movie" = "Mein Plovix-Film";)");
        write("de.lproj/WhatsNew.strings", R"("New" = "Neu";)");
        bundle.setPreferredLanguage("de");
    }

    void make(const std::string& relative)
    {
        ASSERT_TRUE(plat::createDirectory(folder.path(relative), plat::IntermediateDirectories::Yes).ok());
    }
    void write(const std::string& relative, std::string_view contents)
    {
        ASSERT_TRUE(plat::writeFileAtomically(folder.path(relative), contents).ok());
    }

    plat::test::TemporaryFolder folder;
    plat::Bundle bundle {folder.path()};
};

TEST_F(BundleResources, FindsResourcesByNameAndType)
{
    EXPECT_EQ(bundle.pathForResource("camera3", "wav"), folder.path("camera3.wav"));
    EXPECT_EQ(bundle.pathForResource("camera3.wav", ""), folder.path("camera3.wav"));
    EXPECT_EQ(bundle.pathForResource("beep", "aiff", "sounds"), folder.path("sounds/beep.aiff"));
    EXPECT_FALSE(bundle.pathForResource("beep", "aiff").has_value());
    EXPECT_FALSE(bundle.pathForResource("", "wav").has_value());
    // Localized resources are found in the language folder.
    EXPECT_EQ(bundle.pathForResource("Welcome", "plist"), folder.path("de.lproj/Welcome.plist"));
    EXPECT_EQ(
        bundle.pathsForResourcesOfType("aiff", "sounds"), std::vector<std::string> {folder.path("sounds/beep.aiff")});
}

TEST_F(BundleResources, LocalizedStringsFallBackToEnglishThenTheKey)
{
    EXPECT_EQ(bundle.localizedStringForKey("My Plovix Movie"), "Mein Plovix-Film");
    EXPECT_EQ(bundle.localizedStringForKey("Delete"), "Delete");
    EXPECT_EQ(bundle.localizedStringForKey("Unknown text"), "Unknown text");
    EXPECT_EQ(bundle.localizedStringForKey("Unknown text", "Fallback"), "Fallback");
    EXPECT_EQ(bundle.localizedStringForKey("New", {}, "WhatsNew"), "Neu");
    bundle.setPreferredLanguage("en");
    EXPECT_EQ(bundle.localizedStringForKey("My Plovix Movie"), "My Plovix Movie");
    EXPECT_EQ(bundle.localizedStringForKey("New", {}, "WhatsNew"), "New");
}

TEST_F(BundleResources, ADamagedStringTableGivesTheKeys)
{
    write("de.lproj/Localizable.strings", "\"My Plovix Movie\" = ");
    EXPECT_EQ(bundle.localizedStringForKey("My Plovix Movie"), "My Plovix Movie");
}

TEST(MainBundle, ReadsTheAppsInfoDictionary)
{
    auto& bundle = plat::Bundle::mainBundle();
    EXPECT_EQ(bundle.bundleIdentifier(), "com.quorvane.zantrope");
    EXPECT_TRUE(bundle.objectForInfoDictionaryKey("CFBundleShortVersionString").isString());
    EXPECT_TRUE(bundle.objectForInfoDictionaryKey("NoSuchKey").isNull());
}

}  // namespace
