#include "greenscreen/ChromaKeyConfiguration.h"

#include <gtest/gtest.h>

#include "document/DataManager.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/PropertyList.h"
#include "support/TemporarySandbox.h"

namespace {

using zt::ChromaKeyConfiguration;
using zt::DataManager;

class ChromaKeyConfigurationTest : public ::testing::Test {
protected:
    ChromaKeyConfigurationTest() { settings().resetToDefaultsForTesting(); }
    ~ChromaKeyConfigurationTest() override { settings().resetToDefaultsForTesting(); }
    static DataManager& settings() { return DataManager::sharedDataManager(); }

    plat::test::TemporarySandbox sandbox;
};

TEST_F(ChromaKeyConfigurationTest, NothingSavedGivesNeitherColourNorThreshold)
{
    auto saved = ChromaKeyConfiguration::savedConfiguration(settings());
    EXPECT_FALSE(saved.color);
    EXPECT_FALSE(saved.thresholdSensitivity);
}

TEST_F(ChromaKeyConfigurationTest, ASaveHoldsExactlyTheColourAndThresholdAsSinglePrecisionNumbers)
{
    ChromaKeyConfiguration::saveConfiguration(settings(), plat::Color::colorWithRed(0.1, 0.7, 0.2, 0.9), 0.35f);
    auto stored = settings().objectForKey("CHROMA_KEY_CAMERA_CONFIGURATION").asDictionary();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->count(), 2u);
    auto colour = stored->getDictionary("CHROMA_KEY_CAMERA_COLOR");
    ASSERT_TRUE(colour);
    EXPECT_EQ(colour->get("green").doubleValue(), static_cast<double>(0.7f));
    EXPECT_EQ(colour->get("alpha").doubleValue(), static_cast<double>(0.9f));
    EXPECT_EQ(stored->get("CHROMA_KEY_CAMERA_THRESHOLD_SENSITIVITY").doubleValue(), static_cast<double>(0.35f));

    auto saved = ChromaKeyConfiguration::savedConfiguration(settings());
    ASSERT_TRUE(saved.color && saved.thresholdSensitivity);
    EXPECT_FLOAT_EQ(static_cast<float>(saved.color->green()), 0.7f);
    EXPECT_FLOAT_EQ(static_cast<float>(saved.color->alpha()), 0.9f);
    EXPECT_EQ(*saved.thresholdSensitivity, 0.35f);
}

TEST_F(ChromaKeyConfigurationTest, TheSettingsFileKeepsItAcrossALaunch)
{
    ChromaKeyConfiguration::saveConfiguration(settings(), plat::Color::colorWithRed(0, 0, 1, 1), 0.6f);
    DataManager::saveState();
    settings().resetToDefaultsForTesting();
    EXPECT_FALSE(ChromaKeyConfiguration::savedConfiguration(settings()).color);
    DataManager::loadState();
    auto saved = ChromaKeyConfiguration::savedConfiguration(settings());
    ASSERT_TRUE(saved.color && saved.thresholdSensitivity);
    EXPECT_EQ(saved.color->blue(), 1.0);
    EXPECT_EQ(*saved.thresholdSensitivity, 0.6f);
}

TEST_F(ChromaKeyConfigurationTest, EachEntryIsTakenOnlyWhenPresentAndUsable)
{
    plat::Dictionary onlyThreshold;
    onlyThreshold.set("CHROMA_KEY_CAMERA_THRESHOLD_SENSITIVITY", 0.25);
    settings().setValue(onlyThreshold, "CHROMA_KEY_CAMERA_CONFIGURATION");
    auto saved = ChromaKeyConfiguration::savedConfiguration(settings());
    EXPECT_FALSE(saved.color);
    EXPECT_EQ(saved.thresholdSensitivity, 0.25f);

    plat::Dictionary wrongTypes;
    wrongTypes.set("CHROMA_KEY_CAMERA_COLOR", "green");
    wrongTypes.set("CHROMA_KEY_CAMERA_THRESHOLD_SENSITIVITY", "high");
    settings().setValue(wrongTypes, "CHROMA_KEY_CAMERA_CONFIGURATION");
    saved = ChromaKeyConfiguration::savedConfiguration(settings());
    EXPECT_FALSE(saved.color);
    EXPECT_FALSE(saved.thresholdSensitivity);

    settings().setValue(plat::Value("not a dictionary"), "CHROMA_KEY_CAMERA_CONFIGURATION");
    EXPECT_FALSE(ChromaKeyConfiguration::savedConfiguration(settings()).color);
}

}  // namespace
