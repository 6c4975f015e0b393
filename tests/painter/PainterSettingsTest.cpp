#include "painter/PainterSettings.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

#include "document/FileUtil.h"

namespace {

using zt::PainterSettings;

plat::Dictionary colour(double red, double green, double blue, double alpha)
{
    return plat::Dictionary {{"red", red}, {"green", green}, {"blue", blue}, {"alpha", alpha}};
}

}  // namespace

TEST(PainterSettings, NothingStoredLeavesEveryPartToTheScreen)
{
    for (const plat::Value& stored : {plat::Value(), plat::Value("PAINTER"), plat::Value(plat::Array {1, 2})}) {
        const auto settings = PainterSettings::fromValue(stored);
        EXPECT_FALSE(settings.tool);
        EXPECT_FALSE(settings.toolColors);
        EXPECT_FALSE(settings.palette);
        EXPECT_FALSE(settings.sizes);
    }
    EXPECT_TRUE(PainterSettings::fromValue(plat::Dictionary {}).toDictionary().empty());
}

TEST(PainterSettings, WrittenSettingsReadBackTheSame)
{
    PainterSettings settings;
    settings.tool = 3;
    settings.toolColors = PainterSettings::ToolColors {8, 0, 5};
    auto palette = PainterSettings::defaultPalette();
    palette[6] = plat::Color::colorWithRed(0.25, 0.5, 0.75, 0.5);
    settings.palette = palette;
    settings.sizes = PainterSettings::Sizes {1, 50, 23, 4};
    const auto read = PainterSettings::fromValue(settings.toDictionary());
    EXPECT_EQ(read.tool, 3);
    EXPECT_EQ(read.toolColors, settings.toolColors);
    EXPECT_EQ(read.sizes, settings.sizes);
    ASSERT_TRUE(read.palette);
    EXPECT_EQ((*read.palette)[6], plat::Color::colorWithRed(0.25, 0.5, 0.75, 0.5));
    // Stored as single-precision numbers, the default palette comes back within a float's step.
    EXPECT_NEAR((*read.palette)[0].red(), 228 / 255.0, 1e-6);
}

TEST(PainterSettings, TheToolMustBeOneOfTheFourDrawingTools)
{
    for (const plat::Value& tool : {plat::Value(-1), plat::Value(4), plat::Value(1.5), plat::Value("1"),
             plat::Value(true), plat::Value(std::numeric_limits<double>::quiet_NaN())})
        EXPECT_FALSE(PainterSettings::fromValue(plat::Dictionary {{"PAINTER_TOOL", tool}}).tool)
            << tool.debugDescription();
    EXPECT_EQ(PainterSettings::fromValue(plat::Dictionary {{"PAINTER_TOOL", 2.0}}).tool, 2);
    EXPECT_EQ(PainterSettings::fromValue(plat::Dictionary {{"PAINTER_TOOL", 0}}).tool, 0);
}

TEST(PainterSettings, ShortLongAndDamagedListsKeepWhatIsUsable)
{
    const auto settings = PainterSettings::fromValue(plat::Dictionary {
        {"PAINTER_TOOL_COLORS", plat::Array {8}},
        {"PAINTER_TOOL_SIZES", plat::Array {3, 4, 5, 6, 7, 8}},
        {"PAINTER_TOOL_COLORLIST",
            plat::Array {colour(0, 0, 0, 1), colour(0.5, -0.1, 0, 1), colour(0, 0, 0, std::nan("")),
                plat::Dictionary {{"red", 1.0}, {"green", 1.0}, {"blue", 1.0}}, plat::Value(7)}},
    });
    EXPECT_EQ(settings.toolColors, (PainterSettings::ToolColors {8, 0, 1}));
    // More than four sizes: the first four.
    EXPECT_EQ(settings.sizes, (PainterSettings::Sizes {3, 4, 5, 6}));
    ASSERT_TRUE(settings.palette);
    const auto defaults = PainterSettings::defaultPalette();
    EXPECT_EQ((*settings.palette)[0], plat::Color::colorWithRed(0, 0, 0, 1));
    for (size_t index = 1; index < 9; ++index)
        EXPECT_EQ((*settings.palette)[index], defaults[index]) << index;

    // A list that is no list is as damaged as all its entries.
    const auto notLists = PainterSettings::fromValue(plat::Dictionary {
        {"PAINTER_TOOL_COLORS", "0,1,2"}, {"PAINTER_TOOL_SIZES", 9}, {"PAINTER_TOOL_COLORLIST", colour(1, 1, 1, 1)}});
    EXPECT_EQ(notLists.toolColors, PainterSettings::kDefaultToolColors);
    EXPECT_EQ(notLists.sizes, PainterSettings::kDefaultSizes);
    EXPECT_EQ(notLists.palette, defaults);
}

TEST(PainterSettings, SizesAndPaletteIndexesStayInTheirRanges)
{
    const auto settings = PainterSettings::fromValue(plat::Dictionary {
        {"PAINTER_TOOL_COLORS", plat::Array {9, -1, 4}},
        {"PAINTER_TOOL_SIZES", plat::Array {0, 51, 1, 50}},
    });
    EXPECT_EQ(settings.toolColors, (PainterSettings::ToolColors {2, 0, 4}));
    EXPECT_EQ(settings.sizes, (PainterSettings::Sizes {2, 15, 1, 50}));
}
