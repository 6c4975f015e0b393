#include "render/DynamicPageReplacer.h"

#include <gtest/gtest.h>

#include "render/OutlinePlaceholders.h"
#include "render/WebRenderer.h"

namespace {

using zt::DynamicPageReplacer;

plat::Dictionary texts(std::initializer_list<std::pair<const std::string, std::string>> entries)
{
    plat::Dictionary dictionary;
    for (const auto& [key, value] : entries)
        dictionary.set(key, value);
    return dictionary;
}

}  // namespace

TEST(DynamicPageReplacer, EscapesTextsAndKeepsLineBreaks)
{
    auto page = DynamicPageReplacer::fillPage("<h1>NAME</h1>", texts({{"NAME", "Tom & Jerry</br><b>bold</b>"}}));
    EXPECT_EQ(page, "<h1>Tom &amp; Jerry</br>&lt;b&gt;bold&lt;/b&gt;</h1>");
}

TEST(DynamicPageReplacer, MarkupInATitleBecomesText)
{
    auto page = DynamicPageReplacer::fillPage(
        "<p>NAME</p><p>STAR</p>", texts({{"NAME", "<script>alert(1)</script>"}, {"STAR", "<img src=/etc/passwd>"}}));
    EXPECT_EQ(page, "<p>&lt;script&gt;alert(1)&lt;/script&gt;</p><p>&lt;img src=/etc/passwd&gt;</p>");
}

TEST(DynamicPageReplacer, ATextHoldingAnotherKeyIsNotReplacedAgain)
{
    // Whatever order the keys come in, a value's own text is never searched.
    auto page = DynamicPageReplacer::fillPage("FIRST and SECOND", texts({{"FIRST", "SECOND"}, {"SECOND", "FIRST"}}));
    EXPECT_EQ(page, "SECOND and FIRST");
}

TEST(DynamicPageReplacer, EveryOccurrenceIsReplacedAndTheLongestKeyWins)
{
    auto page = DynamicPageReplacer::fillPage("KEY KEY_LONG KEY", texts({{"KEY", "a"}, {"KEY_LONG", "b"}}));
    EXPECT_EQ(page, "a b a");
}

TEST(DynamicPageReplacer, KeysWithoutTextAndKeysNotInThePageChangeNothing)
{
    plat::Dictionary replacements = texts({{"ABSENT", "x"}});
    replacements.set("NUMBER", int64_t {3});
    EXPECT_EQ(DynamicPageReplacer::fillPage("NUMBER <b>x</b>", replacements), "NUMBER <b>x</b>");
    EXPECT_EQ(DynamicPageReplacer::fillPage("", replacements), "");
}

TEST(DynamicPageReplacer, AMissingPageGivesNoText)
{
    EXPECT_EQ(DynamicPageReplacer::processFileAtPath("no_such_page.html", {}), "");
}

TEST(DynamicPageReplacer, TheBundlesTitlePagesHoldEveryOutlineKeyTheyShow)
{
    plat::Dictionary replacements = zt::creditWords();
    for (const auto& field : zt::outlinePlaceholders())
        replacements.set(field.key, std::string("filled"));
    for (int theme = 1; theme <= 8; ++theme) {
        char title[32], credits[32];
        std::snprintf(title, sizeof title, "theme_title_%.2d.html", theme);
        std::snprintf(credits, sizeof credits, "theme_credits_%.2d.html", theme);
        for (const char* page : {title, credits}) {
            std::string filled = DynamicPageReplacer::processFileAtPath(page, replacements);
            ASSERT_FALSE(filled.empty()) << page;
            EXPECT_EQ(filled.find("META_RECORD_"), std::string::npos) << page;
            EXPECT_EQ(filled.find("_key"), std::string::npos) << page;
        }
    }
}
