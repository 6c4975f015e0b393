#include <gtest/gtest.h>
#include <map>
#include <string>

#include "platform/graphics/Font.h"
#include "platform/graphics/FontFamilies.h"
#include "platform/ui/FontCatalog.h"

namespace {

using plat::detail::drawingFaceOf;

// What each family of the device is drawn with here: a family that is not
// installed comes back from fontconfig as some other face (often a
// monospaced one), which these tests see.
const std::map<std::string, std::string> kStandIns = {
    {"Helvetica", "Liberation Sans"},
    {"Helvetica Neue", "DejaVu Sans"},
    {"Avenir", "URW Gothic"},
    {"Avenir Next", "URW Gothic"},
    {"Arial", "Liberation Sans"},
    {"Courier", "Nimbus Mono PS"},
    {"Courier New", "Liberation Mono"},
    {"Georgia", "C059"},
    {"Times New Roman", "Liberation Serif"},
    {"Menlo", "DejaVu Sans Mono"},
    {"Marker Felt", "Comic Neue"},
    {"Chalkduster", "Comic Neue"},
};

bool isMeantToBeMonospaced(const std::string& family)
{
    return family == "Courier" || family == "Courier New" || family == "Menlo";
}

}  // namespace

TEST(FontCatalog, EveryFaceIsDrawnByAnInstalledFamilyOfItsKind)
{
    ASSERT_EQ(plat::FontCatalog::familyNames().size(), kStandIns.size());
    for (const std::string& family : plat::FontCatalog::familyNames()) {
        ASSERT_TRUE(kStandIns.contains(family)) << family;
        for (const std::string& face : plat::FontCatalog::fontNamesForFamilyName(family)) {
            auto drawing = drawingFaceOf(*plat::FontCatalog::fontWithName(face, 15));
            EXPECT_EQ(drawing.family, kStandIns.at(family)) << face;
            EXPECT_EQ(drawing.monospace, isMeantToBeMonospaced(family)) << face;
        }
    }
}

TEST(FontCatalog, TheNamesScreensAndPagesUseAreDrawnByFacesOfTheirKind)
{
    struct Case {
        const char* name;
        const char* family;
        bool monospace;
        plat::Font::Weight weight;
    };
    using Weight = plat::Font::Weight;
    const Case cases[] = {
        {"HelveticaNeue-Light", "DejaVu Sans", false, Weight::Light},
        {"HelveticaNeue", "DejaVu Sans", false, Weight::Regular},
        {"HelveticaNeue-Regular", "DejaVu Sans", false, Weight::Regular},  // no such face: its family's
        {"HelveticaNeue-Ultralight", "DejaVu Sans", false, Weight::Light},
        {"HelveticaNeue-Thin", "DejaVu Sans", false, Weight::Light},
        {"Helvetica", "Liberation Sans", false, Weight::Regular},
        {"Georgia", "C059", false, Weight::Regular},
        {"Chalkduster", "Comic Neue", false, Weight::Regular},
        {"Marker Felt", "Comic Neue", false, Weight::Regular},
        {"MarkerFelt-Wide", "Comic Neue", false, Weight::Bold},
        {"Courier", "Nimbus Mono PS", true, Weight::Regular},
        // As the web view names them: a family and its style.
        {"Georgia Bold Italic", "C059", false, Weight::Bold},
        {"Courier New Bold", "Liberation Mono", true, Weight::Bold},
        {"Helvetica Neue Light", "DejaVu Sans", false, Weight::Light},
        {"Times New Roman", "Liberation Serif", false, Weight::Regular},
        // Names the device does not have: a family of the kind the name says.
        {"Comic Sans", "DejaVu Sans", false, Weight::Regular},
        {"Noto Serif", "DejaVu Serif", false, Weight::Regular},
        {"Noto Sans Mono Bold", "DejaVu Sans Mono", true, Weight::Bold},
    };
    for (const Case& c : cases) {
        plat::Font font = plat::Font::fontWithName(c.name, 17);
        auto drawing = drawingFaceOf(font);
        EXPECT_EQ(drawing.family, c.family) << c.name;
        EXPECT_EQ(drawing.monospace, c.monospace) << c.name;
        EXPECT_EQ(font.weight(), c.weight) << c.name;
    }
    for (const plat::Font& system : {plat::Font::systemFontOfSize(15), plat::Font::boldSystemFontOfSize(15),
             plat::Font::italicSystemFontOfSize(15)})
        EXPECT_EQ(drawingFaceOf(system).family, "DejaVu Sans") << system.fontName();
}

TEST(FontCatalog, MetricCompatibleStandInsKeepTheWidthsOfTheirFaces)
{
    // Helvetica and Arial share their widths (but for kerning), as Courier and
    // Courier New do (every letter 0.6 em); a page laid out here wraps where it
    // does on the device.
    const std::string text = "Acme Studios presents The Big Pie";
    double arial = plat::sizeWithFont(text, plat::Font::fontWithName("ArialMT", 40)).width;
    EXPECT_NEAR(plat::sizeWithFont(text, plat::Font::fontWithName("Helvetica", 40)).width, arial, arial * 0.005);
    EXPECT_EQ(plat::sizeWithFont("MMMMM", plat::Font::fontWithName("Courier", 40)).width, 120);
    EXPECT_EQ(plat::sizeWithFont("iiiii", plat::Font::fontWithName("CourierNewPSMT", 40)).width, 120);
}
