#include "platform/foundation/Locale.h"

#include <gtest/gtest.h>

#include "support/DateTestSupport.h"

namespace {

using plat::test::ScopedEnvironmentVariable;

std::string currentWith(const std::optional<std::string>& lcAll, const std::optional<std::string>& lang)
{
    ScopedEnvironmentVariable all("LC_ALL", lcAll);
    ScopedEnvironmentVariable language("LANG", lang);
    return plat::Locale::currentLocale().localeIdentifier();
}

TEST(Locale, CurrentLocaleComesFromTheLanguageAndTerritoryOfTheEnvironment)
{
    EXPECT_EQ(currentWith(std::nullopt, "de_DE.UTF-8"), "de_DE");
    EXPECT_EQ(currentWith(std::nullopt, "de_DE@euro"), "de_DE");
    EXPECT_EQ(currentWith("", "de_DE.UTF-8"), "de_DE");
    EXPECT_EQ(currentWith("en_US.UTF-8", "de_DE.UTF-8"), "en_US");
    EXPECT_EQ(currentWith("de_DE.UTF-8", "en_US.UTF-8"), "de_DE");
}

TEST(Locale, CurrentLocaleIsEnglishWithoutNamesForTheSetting)
{
    EXPECT_EQ(currentWith(std::nullopt, std::nullopt), "en_US");
    EXPECT_EQ(currentWith(std::nullopt, "xx_YY.UTF-8"), "en_US");
    EXPECT_EQ(currentWith(std::nullopt, "C"), "en_US");
    EXPECT_EQ(currentWith(std::nullopt, "POSIX"), "en_US");
    // ICU has names for French, and for German without a territory.
    EXPECT_EQ(currentWith(std::nullopt, "fr_FR.UTF-8"), "fr_FR");
    EXPECT_EQ(currentWith(std::nullopt, "de"), "de");
}

TEST(Locale, OtherIdentifiersAreKeptButUseEnglishNames)
{
    const plat::Locale unknown("xx_YY");
    EXPECT_EQ(unknown.localeIdentifier(), "xx_YY");
    EXPECT_STREQ(unknown.dateSymbols().months[0], "January");
    EXPECT_STREQ(plat::Locale("fr_FR").dateSymbols().months[0], "janvier");
    EXPECT_STREQ(plat::Locale("de_DE").dateSymbols().months[2], "März");
    EXPECT_STREQ(plat::Locale("en_US_POSIX").dateSymbols().shortWeekdays[1], "Mon");
    EXPECT_EQ(plat::Locale().localeIdentifier(), "en_US");
}

}  // namespace
