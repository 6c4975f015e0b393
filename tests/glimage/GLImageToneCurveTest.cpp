#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

#include "GLImageCpuSampling.h"
#include "glimage/GLImageACVFile.h"
#include "glimage/GLImageAlphaBlendFilter.h"
#include "glimage/GLImageGaussianBlurFilter.h"
#include "glimage/GLImageLookupFilter.h"
#include "glimage/GLImageOrrinvalFilter.h"
#include "glimage/GLImagePicture.h"
#include "glimage/GLImageQuillbrightFilter.h"
#include "glimage/GLImageSoftEleganceFilter.h"
#include "glimage/GLImageToneCurve.h"
#include "glimage/GLImageToneCurveFilter.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/URL.h"
#include "support/TemporarySandbox.h"

namespace {

using zt::test::Colour;
using zt::test::CpuPicture;

std::string curveFile(const std::string& name)
{
    return plat::test::sourcePath("tests/data/glimage/curves/" + name);
}

plat::Data curveData(const std::string& name)
{
    auto data = plat::readFile(curveFile(name));
    EXPECT_TRUE(data.ok()) << name;
    return data.ok() ? data.value() : plat::Data {};
}

// Output of input i through a prepared curve, as the texture takes it.
int through(const std::vector<float>& curve, int i)
{
    return int(std::clamp(double(i) + curve[size_t(i)] + 1e-3, 0.0, 255.0));
}

TEST(GLImageACVFile, ReadsTheFourCurvesAsFractionsOfTheInputAndOutput)
{
    auto file = zt::GLImageACVFile::initWithACVFileData(curveData("contrast.acv"));
    ASSERT_TRUE(file.ok());
    EXPECT_EQ(file.value().version(), 4);
    EXPECT_EQ(file.value().totalCurves(), 4);
    const auto& composite = file.value().rgbCompositeCurvePoints();
    ASSERT_EQ(composite.size(), 4u);
    EXPECT_FLOAT_EQ(float(composite[1].x), 64 * 0.003921569f);
    EXPECT_FLOAT_EQ(float(composite[1].y), 44 * 0.003921569f);
    EXPECT_EQ(file.value().redCurvePoints().size(), 2u);

    // A fifth curve is read and checked, not kept.
    auto five = zt::GLImageACVFile::initWithACVFileData(curveData("colours.acv"));
    ASSERT_TRUE(five.ok());
    EXPECT_EQ(five.value().totalCurves(), 5);
    EXPECT_EQ(five.value().blueCurvePoints().size(), 3u);
    EXPECT_FLOAT_EQ(float(five.value().greenCurvePoints()[0].x), 51 * 0.003921569f);
}

TEST(GLImageACVFile, RefusesFilesShorterThanTheirCountsOrWithoutFourCurves)
{
    struct Case {
        const char* name;
        plat::Data data;
        int64_t code;
    };
    const Case cases[] = {
        {"empty", {}, zt::GLImageACVFile::kErrorEmpty},
        {"half a header", {0, 4, 0}, zt::GLImageACVFile::kErrorTruncated},
        {"header only", {0, 4, 0, 4}, zt::GLImageACVFile::kErrorTruncated},
        {"negative count", {0, 4, 0xff, 0xff}, zt::GLImageACVFile::kErrorTooFewCurves},
        {"three curves", curveData("three-curves.acv"), zt::GLImageACVFile::kErrorTooFewCurves},
        {"truncated", curveData("truncated.acv"), zt::GLImageACVFile::kErrorTruncated},
        {"boastful count", curveData("boastful-count.acv"), zt::GLImageACVFile::kErrorTruncated},
        {"value past 255", {0, 4, 0, 4, 0, 1, 1, 44, 0, 0, 0, 0, 0, 0, 0, 0},
            zt::GLImageACVFile::kErrorValueOutOfRange},
        {"negative value", {0, 4, 0, 4, 0, 1, 0, 0, 0xff, 0xfe}, zt::GLImageACVFile::kErrorValueOutOfRange},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto file = zt::GLImageACVFile::initWithACVFileData(c.data);
        ASSERT_FALSE(file.ok());
        EXPECT_EQ(file.error().code(), c.code);
        EXPECT_EQ(file.error().domain(), "GLImageACVFile");
    }
}

TEST(GLImageToneCurveMath, IdentityPointsGiveTheIdentityInAnyOrder)
{
    const auto identity = zt::detail::getPreparedSplineCurve({{0, 0}, {0.5, 0.5}, {1, 1}});
    ASSERT_EQ(identity.size(), 256u);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(through(identity, i), i);
    EXPECT_EQ(zt::detail::getPreparedSplineCurve({{1, 1}, {0, 0}, {0.5, 0.5}}), identity);
    auto bytes = zt::detail::toneCurveBytes(identity, identity, identity, identity);
    ASSERT_TRUE(bytes);
    EXPECT_EQ((*bytes)[4 * 77], 77);
    EXPECT_EQ((*bytes)[4 * 77 + 3], 255);
}

TEST(GLImageToneCurveMath, ANaturalSplineThroughThreePointsBendsAsWorkedOut)
{
    // Points (0, 0), (127.5, 191.25), (255, 255): the middle second
    // derivative is (0.5 - 1.5) / 85, so at x = 64, t = 64 / 127.5:
    // y = 191.25 t + 127.5^2 / 6 (t^3 - t) s1 = 107.97.
    const auto curve = zt::detail::getPreparedSplineCurve({{0, 0}, {0.5, 0.75}, {1, 1}});
    ASSERT_EQ(curve.size(), 256u);
    EXPECT_EQ(through(curve, 64), 107);
    EXPECT_EQ(through(curve, 0), 0);
    EXPECT_EQ(through(curve, 255), 255);
    const auto sd = zt::detail::secondDerivative({{0, 0}, {127.5, 191.25}, {255, 255}});
    ASSERT_EQ(sd.size(), 3u);
    EXPECT_DOUBLE_EQ(sd[1], -1.0 / 85.0);
    EXPECT_EQ(sd[0], 0.0);
}

TEST(GLImageToneCurveMath, InputsBeyondTheOuterPointsMapToBlackAndWhite)
{
    // The first point at 0.2 (51): inputs up to 51 give 0, input 51 takes
    // the point itself rather than a second 0.
    const auto lower = zt::detail::getPreparedSplineCurve({{0.2, 0.0}, {1, 1}});
    ASSERT_EQ(lower.size(), 256u);
    for (int i = 0; i <= 51; ++i)
        EXPECT_EQ(through(lower, i), 0) << i;
    EXPECT_GT(through(lower, 52), 0);
    const auto raised = zt::detail::getPreparedSplineCurve({{0.2, 0.4}, {1, 1}});
    EXPECT_EQ(through(raised, 50), 0);
    EXPECT_EQ(through(raised, 51), 102);

    // The last point at 0.8 (204): every input above gives 255.
    const auto upper = zt::detail::getPreparedSplineCurve({{0, 0}, {0.8, 0.5}});
    ASSERT_EQ(upper.size(), 256u);
    EXPECT_EQ(through(upper, 204), 127);
    for (int i = 205; i < 256; ++i)
        EXPECT_EQ(through(upper, i), 255) << i;
}

TEST(GLImageToneCurveMath, PointsOfEqualInputKeepTheFirstAndTooFewPointsGiveNoCurve)
{
    const auto withDuplicate = zt::detail::getPreparedSplineCurve({{0, 0}, {0.5, 0.7}, {0.5, 0.2}, {1, 1}});
    const auto without = zt::detail::getPreparedSplineCurve({{0, 0}, {0.5, 0.7}, {1, 1}});
    ASSERT_EQ(withDuplicate.size(), 256u);
    EXPECT_EQ(withDuplicate, without);
    for (float entry : withDuplicate)
        ASSERT_TRUE(std::isfinite(entry));
    EXPECT_TRUE(zt::detail::getPreparedSplineCurve({}).empty());
    EXPECT_TRUE(zt::detail::getPreparedSplineCurve({{0.3, 0.3}}).empty());
    EXPECT_TRUE(zt::detail::getPreparedSplineCurve({{0.3, 0.3}, {0.3, 0.9}}).empty());
    // Points outside 0..1 and not-numbers are clamped and dropped, not followed.
    const auto wild = zt::detail::getPreparedSplineCurve({{-2, -1}, {std::nan(""), 0.5}, {3, 4}});
    ASSERT_EQ(wild.size(), 256u);
    EXPECT_EQ(through(wild, 128), 128);
    EXPECT_FALSE(zt::detail::toneCurveBytes(without, without, {}, without));
}

TEST(GLImageToneCurveFilter, LooksEveryChannelUpInItsCurveThenTheComposite)
{
    auto filter = std::make_shared<zt::GLImageToneCurveFilter>();
    auto ramp = zt::test::makePicture(16, 16, [](int x, int y) {
        return Colour {(x * 16 + y) / 255.0, (255 - x * 16 - y) / 255.0, ((x * 7 + y * 5) % 64) / 63.0, 1.0};
    });
    // The default curves leave every value as it is.
    auto same = zt::test::filtered(filter, *ramp);
    ASSERT_TRUE(same);
    zt::test::expectPixelsMatch(
        *ramp, *same, [](const Colour& c, int, int) { return c; }, 0);

    filter->setRedControlPoints({{0, 0}, {0.5, 0.75}, {1, 1}});
    filter->setBlueControlPoints({{0, 1}, {1, 0}});
    filter->setRgbCompositeControlPoints({{0, 0.2}, {1, 1}});
    const auto red = zt::detail::getPreparedSplineCurve({{0, 0}, {0.5, 0.75}, {1, 1}});
    const auto blue = zt::detail::getPreparedSplineCurve({{0, 1}, {1, 0}});
    const auto composite = zt::detail::getPreparedSplineCurve({{0, 0.2}, {1, 1}});
    const auto identity = zt::detail::getPreparedSplineCurve({{0, 0}, {0.5, 0.5}, {1, 1}});
    auto result = zt::test::filtered(filter, *ramp);
    ASSERT_TRUE(result);
    zt::test::expectPixelsMatch(
        *ramp, *result,
        [&](const Colour& c, int, int) {
            const auto map = [&](const std::vector<float>& channel, double value) {
                return through(composite, through(channel, zt::test::toByte(value))) / 255.0;
            };
            return Colour {map(red, c[0]), map(identity, c[1]), map(blue, c[2]), c[3]};
        },
        1);
}

TEST(GLImageToneCurveFilter, TakesItsCurvesFromACurveFile)
{
    auto made = zt::GLImageToneCurveFilter::initWithACVURL(plat::URL::fileURLWithPath(curveFile("contrast.acv")));
    ASSERT_TRUE(made.ok());
    auto filter = made.value();
    EXPECT_EQ(filter->rgbCompositeControlPoints().size(), 4u);
    auto greys = zt::test::makePicture(4, 1, [](int x, int) {
        const double values[] = {0, 64, 192, 255};
        return Colour {values[x] / 255, values[x] / 255, values[x] / 255, 1};
    });
    auto result = zt::test::filtered(filter, *greys);
    ASSERT_TRUE(result);
    // The composite passes through its own control points.
    EXPECT_EQ(plat::test::pixelAt(*result, 1, 0)[0], 44);
    EXPECT_EQ(plat::test::pixelAt(*result, 2, 0)[1], 212);
    EXPECT_EQ(plat::test::pixelAt(*result, 0, 0)[2], 0);
    EXPECT_EQ(plat::test::pixelAt(*result, 3, 0)[2], 255);
}

TEST(GLImageToneCurveFilter, ABrokenOrMissingCurveFileGivesAnErrorAndChangesNothing)
{
    for (const char* name : {"truncated.acv", "three-curves.acv", "boastful-count.acv", "no-such-file.acv"}) {
        SCOPED_TRACE(name);
        auto made = zt::GLImageToneCurveFilter::initWithACVURL(plat::URL::fileURLWithPath(curveFile(name)));
        EXPECT_FALSE(made.ok());
    }
    EXPECT_FALSE(zt::GLImageToneCurveFilter::initWithACV("no tone curve of this name").ok());
    // A usable file padded past 1 MiB is refused before it is read.
    plat::test::TemporaryFolder folder;
    const std::string padded = folder.path("padded.acv");
    std::filesystem::copy_file(curveFile("contrast.acv"), padded);
    EXPECT_TRUE(zt::GLImageToneCurveFilter::initWithACVURL(plat::URL::fileURLWithPath(padded)).ok());
    std::filesystem::resize_file(padded, (1 << 20) + 1);
    EXPECT_FALSE(zt::GLImageToneCurveFilter::initWithACVURL(plat::URL::fileURLWithPath(padded)).ok());

    auto filter = std::make_shared<zt::GLImageToneCurveFilter>();
    filter->setRGBControlPoints({{0, 0}, {1, 0.5}});
    const auto before = filter->toneCurveBytesForTesting();
    auto set = filter->setPointsWithACVURL(plat::URL::fileURLWithPath(curveFile("truncated.acv")));
    EXPECT_FALSE(set.ok());
    EXPECT_EQ(filter->toneCurveBytesForTesting(), before);
    EXPECT_EQ(filter->redControlPoints().size(), 2u);
}

TEST(GLImageToneCurveFilter, AFileWithAnEmptyCurveLeavesTheTextureAsItWas)
{
    auto made = zt::GLImageToneCurveFilter::initWithACVData(curveData("empty-red.acv"));
    ASSERT_TRUE(made.ok());
    EXPECT_TRUE(made.value()->redControlPoints().empty());
    const auto bytes = made.value()->toneCurveBytesForTesting();
    ASSERT_EQ(bytes.size(), 1024u);
    EXPECT_EQ(bytes[4 * 100], 100);  // still the identity of the plain filter
}

// The table on the CPU: blue picks two tiles, red and green a point in each.
Colour lookedUp(const CpuPicture& table, const Colour& c)
{
    const double blue = c[2] * 63.0;
    const auto tile = [&](double level) {
        const double row = std::floor(level / 8.0);
        const double column = level - row * 8.0;
        const double x = column * 0.125 + 0.5 / 512.0 + (0.125 - 1.0 / 512.0) * c[0];
        const double y = row * 0.125 + 0.5 / 512.0 + (0.125 - 1.0 / 512.0) * c[1];
        return zt::test::sampleLinear(table, x, y);
    };
    const Colour first = tile(std::floor(blue));
    const Colour second = tile(std::ceil(blue));
    const double f = blue - std::floor(blue);
    return {first[0] + (second[0] - first[0]) * f, first[1] + (second[1] - first[1]) * f,
        first[2] + (second[2] - first[2]) * f, c[3]};
}

std::shared_ptr<plat::Image> colourfulPicture()
{
    return zt::test::makePicture(17, 13, [](int x, int y) {
        return Colour {x / 16.0, y / 12.0, ((x * 5 + y * 3) % 17) / 16.0, 1.0};
    });
}

TEST(GLImageLookupFilter, RecoloursThroughTheTableTileByTile)
{
    auto identityTable = zt::test::makePicture(512, 512, [](int x, int y) {
        const int tile = (y / 64) * 8 + x / 64;
        return Colour {(x % 64) / 63.0, (y % 64) / 63.0, tile / 63.0, 1};
    });
    auto orrinvalTable = plat::Image::imageNamed("lookup_orrinval.png");
    ASSERT_TRUE(orrinvalTable);
    auto picture = colourfulPicture();
    const auto input = zt::test::cpuPicture(*picture);
    for (const auto& table : {identityTable, orrinvalTable}) {
        auto result = zt::test::renderTwoInputs(std::make_shared<zt::GLImageLookupFilter>(), *picture, *table);
        ASSERT_TRUE(result);
        const auto cpuTable = zt::test::cpuPicture(*table);
        zt::test::expectPictureMatches(
            zt::test::mapPicture(
                input, [&](const CpuPicture& p, int x, int y) { return lookedUp(cpuTable, p.at(x, y)); }),
            *result);
    }
}

TEST(GLImageLookupFilter, TheGroupsRecolourThroughTheirOwnTables)
{
    auto picture = colourfulPicture();
    const auto input = zt::test::cpuPicture(*picture);
    const std::pair<std::shared_ptr<zt::GLImageOutput>, const char*> groups[] = {
        {std::make_shared<zt::GLImageOrrinvalFilter>(), "lookup_orrinval.png"},
        {std::make_shared<zt::GLImageQuillbrightFilter>(), "lookup_quill_bright.png"},
    };
    for (const auto& [group, tableName] : groups) {
        SCOPED_TRACE(tableName);
        const auto table = zt::test::cpuPicture(*plat::Image::imageNamed(tableName));
        auto result = zt::test::filtered(group, *picture);
        ASSERT_TRUE(result);
        zt::test::expectPictureMatches(
            zt::test::mapPicture(input, [&](const CpuPicture& p, int x, int y) { return lookedUp(table, p.at(x, y)); }),
            *result);
    }
}

TEST(GLImageLookupFilter, SoftEleganceIsTheFirstTableWithItsGlowThenTheSecond)
{
    auto picture = colourfulPicture();
    auto group = std::make_shared<zt::GLImageSoftEleganceFilter>();
    auto result = zt::test::filtered(group, *picture);
    ASSERT_TRUE(result);

    // The same chain built step by step.
    auto first = zt::test::renderTwoInputs(
        std::make_shared<zt::GLImageLookupFilter>(), *picture, *plat::Image::imageNamed("lookup_soft_elegance_1.png"));
    auto blur = std::make_shared<zt::GLImageGaussianBlurFilter>();
    blur->setBlurRadiusInPixels(10.0);
    auto blurred = zt::test::filtered(blur, *first);
    auto alpha = std::make_shared<zt::GLImageAlphaBlendFilter>();
    alpha->setMix(0.14);
    auto glowing = zt::test::renderTwoInputs(alpha, *first, *blurred);
    auto expected = zt::test::renderTwoInputs(
        std::make_shared<zt::GLImageLookupFilter>(), *glowing, *plat::Image::imageNamed("lookup_soft_elegance_2.png"));
    ASSERT_TRUE(expected);
    zt::test::expectPictureMatches(zt::test::cpuPicture(*expected), *result, 1);
}

}  // namespace
