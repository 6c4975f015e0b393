#include <cmath>
#include <fstream>
#include <gtest/gtest.h>

#include "GLImageCpuSampling.h"
#include "GLImageTestSupport.h"
#include "glimage/GLImageBoxBlurFilter.h"
#include "glimage/GLImageBuffer.h"
#include "glimage/GLImageContrastFilter.h"
#include "glimage/GLImageFilterPipeline.h"
#include "glimage/GLImageFilterPipelineConfiguration.h"
#include "glimage/GLImageGaussianBlurFilter.h"
#include "glimage/GLImagePicture.h"
#include "glimage/GLImageSwirlFilter.h"
#include "glimage/GLImageToneCurveFilter.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/URL.h"
#include "support/TemporarySandbox.h"

namespace {

using zt::GLImageFilterPipelineConfiguration;
using zt::test::Colour;

TEST(GLImageFilterPipelineArguments, TypedArgumentsAreReadAsTheirExpressionMatchesThem)
{
    struct Case {
        const char* text;
        std::optional<zt::detail::TypedArgumentText> match;
    };
    using Match = zt::detail::TypedArgumentText;
    const Case cases[] = {
        {"float(0.5)", Match {"float", "0.5", std::nullopt}},
        {"CGPoint(0.3,0.7)", Match {"CGPoint", "0.3", "0.7"}},
        {"CGPoint(0.3, 0.7)", Match {"CGPoint", "0.3", "0.7"}},
        {"CGPoint(1, 2, 3)", Match {"CGPoint", "1", "3"}},
        {"NSString(lookup)", Match {"NSString", "lookup", std::nullopt}},
        {"at xfloat(2)y", Match {"float", "2", std::nullopt}},
        {"float()", Match {"float", "", std::nullopt}},
        {"CGPoint(1,\n 2)", Match {"CGPoint", "1", "2"}},
        {"int(3)", std::nullopt},
        {"float(3", std::nullopt},
        {"float(1\n)", std::nullopt},
        {"float (3)", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto match = zt::detail::matchTypedArgument(c.text);
        ASSERT_EQ(match.has_value(), c.match.has_value());
        if (!match)
            continue;
        EXPECT_EQ(match->type, c.match->type);
        EXPECT_EQ(match->first, c.match->first);
        EXPECT_EQ(match->last, c.match->last);
    }
}

TEST(GLImageFilterPipelineArguments, NumbersAreTheNumberAtTheStartOfTheText)
{
    EXPECT_EQ(zt::detail::floatValueOfText("0.5"), 0.5f);
    EXPECT_EQ(zt::detail::floatValueOfText("  -2.25abc"), -2.25f);
    EXPECT_EQ(zt::detail::floatValueOfText("1.5e2x"), 150.0f);
    EXPECT_EQ(zt::detail::floatValueOfText("+.5"), 0.5f);
    EXPECT_EQ(zt::detail::floatValueOfText("3e"), 3.0f);
    EXPECT_EQ(zt::detail::floatValueOfText("abc"), 0.0f);
    EXPECT_EQ(zt::detail::floatValueOfText("e5"), 0.0f);
    EXPECT_EQ(zt::detail::floatValueOfText("."), 0.0f);
    EXPECT_TRUE(std::isinf(zt::detail::floatValueOfText("1e40")));
    EXPECT_EQ(zt::detail::floatValueOfText("1e-999"), 0.0f);
}

plat::Dictionary description(const std::string& name, plat::Dictionary attributes = {})
{
    return plat::Dictionary {{"FilterName", plat::Value(name)}, {"Attributes", plat::Value(attributes)}};
}

plat::Dictionary configurationOf(std::initializer_list<plat::Value> filters)
{
    return plat::Dictionary {{"Filters", plat::Value(plat::Array(filters))}};
}

TEST(GLImageFilterPipelineConfiguration, ReadsFiltersAndTheirTypedAttributes)
{
    auto parsed = GLImageFilterPipelineConfiguration::configurationWithDictionary(configurationOf({
        plat::Value(description("GLImageBoxBlurFilter", {{"setBlurRadiusInPixels:", plat::Value("float(8.0)")}})),
        plat::Value(description("GLImageToneCurveFilter",
            {{"setRedControlPoints:",
                 plat::Value(
                     plat::Array {plat::Value("float(1)"), plat::Value("CGPoint(2, 3)"), plat::Value("NSString(x)")})},
                {"prepareForImageCapture", plat::Value(42)}})),
    }));
    ASSERT_TRUE(parsed.ok());
    const auto& filters = parsed.value().filters();
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0].filterName, "GLImageBoxBlurFilter");
    ASSERT_EQ(filters[0].calls.size(), 1u);
    EXPECT_EQ(std::get<double>(*filters[0].calls[0].argument), 8.0);
    ASSERT_EQ(filters[1].calls.size(), 2u);
    // Keys in order: the operation without an argument sorts first.
    EXPECT_EQ(filters[1].calls[0].operation, "prepareForImageCapture");
    EXPECT_FALSE(filters[1].calls[0].argument);
    const auto& list = std::get<std::vector<zt::GLImageFilterListElement>>(*filters[1].calls[1].argument);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(std::get<double>(list[0]), 1.0);
    EXPECT_EQ(std::get<plat::Point>(list[1]), (plat::Point {2, 3}));
    EXPECT_EQ(filters[1].calls[1].stringValue, "x");
}

// A configuration of count box blurs.
plat::Dictionary boxBlurs(size_t count)
{
    return plat::Dictionary {{"Filters",
        plat::Value(plat::Array(std::vector<plat::Value>(count, plat::Value(description("GLImageBoxBlurFilter")))))}};
}

TEST(GLImageFilterPipelineConfiguration, RefusesWhatItCannotUseAndSaysWhat)
{
    struct Case {
        const char* name;
        plat::Dictionary configuration;
        int64_t code;
        const char* mentioned;
    };
    const Case cases[] = {
        {"no filters", plat::Dictionary {{"Filter", plat::Value(plat::Array {})}},
            GLImageFilterPipelineConfiguration::kErrorMissingFilters, "\"Filters\""},
        {"filters not a list", plat::Dictionary {{"Filters", plat::Value("GLImageBoxBlurFilter")}},
            GLImageFilterPipelineConfiguration::kErrorWrongType, "\"Filters\""},
        {"a description not a dictionary", configurationOf({plat::Value(3)}),
            GLImageFilterPipelineConfiguration::kErrorWrongType, "filter 0"},
        {"no name", configurationOf({plat::Value(plat::Dictionary {{"Attributes", plat::Value(plat::Dictionary {})}})}),
            GLImageFilterPipelineConfiguration::kErrorWrongType, "FilterName"},
        {"attributes not a dictionary",
            configurationOf({plat::Value(plat::Dictionary {
                {"FilterName", plat::Value("GLImageBoxBlurFilter")}, {"Attributes", plat::Value(plat::Array {})}})}),
            GLImageFilterPipelineConfiguration::kErrorWrongType, "Attributes"},
        {"a number for an argument",
            configurationOf(
                {plat::Value(description("GLImageBoxBlurFilter", {{"setBlurRadiusInPixels:", plat::Value(8)}}))}),
            GLImageFilterPipelineConfiguration::kErrorWrongType, "setBlurRadiusInPixels:"},
        {"an unknown type",
            configurationOf({plat::Value(
                description("GLImageBoxBlurFilter", {{"setBlurRadiusInPixels:", plat::Value("int(3)")}}))}),
            GLImageFilterPipelineConfiguration::kErrorBadArgument, "int(3)"},
        {"a point without y",
            configurationOf(
                {plat::Value(description("GLImageSwirlFilter", {{"setCenter:", plat::Value("CGPoint(0.5)")}}))}),
            GLImageFilterPipelineConfiguration::kErrorBadArgument, "CGPoint(0.5)"},
        {"an infinite number",
            configurationOf(
                {plat::Value(description("GLImageSwirlFilter", {{"setAngle:", plat::Value("float(1e40)")}}))}),
            GLImageFilterPipelineConfiguration::kErrorBadArgument, "float(1e40)"},
        {"a list element not a string",
            configurationOf({plat::Value(description(
                "GLImageToneCurveFilter", {{"setRedControlPoints:", plat::Value(plat::Array {plat::Value(1.5)})}}))}),
            GLImageFilterPipelineConfiguration::kErrorWrongType, "list element 0"},
        {"too many filters", boxBlurs(257), GLImageFilterPipelineConfiguration::kErrorWrongType, "256 filters"},
        {"too long a list",
            configurationOf({plat::Value(description("GLImageToneCurveFilter",
                {{"setRedControlPoints:",
                    plat::Value(plat::Array(std::vector<plat::Value>(4097, plat::Value("CGPoint(0.5, 0.5)"))))}}))}),
            GLImageFilterPipelineConfiguration::kErrorWrongType, "4096 values"},
    };
    // The limits themselves are taken.
    EXPECT_TRUE(GLImageFilterPipelineConfiguration::configurationWithDictionary(boxBlurs(256)).ok());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto parsed = GLImageFilterPipelineConfiguration::configurationWithDictionary(c.configuration);
        ASSERT_FALSE(parsed.ok());
        EXPECT_EQ(parsed.error().code(), c.code);
        EXPECT_NE(parsed.error().localizedDescription().find(c.mentioned), std::string::npos)
            << parsed.error().localizedDescription();
    }
}

class FilterPipeline : public ::testing::Test {
protected:
    std::shared_ptr<plat::Image> picture = zt::test::makePicture(24, 18, [](int x, int y) {
        return Colour {((x / 3 + y / 3) % 2) * 0.7 + 0.1, x / 23.0, y / 17.0, 1.0};
    });
    std::shared_ptr<zt::GLImagePicture> input = std::make_shared<zt::GLImagePicture>(*picture);
    std::shared_ptr<zt::test::RecordingTarget> output = std::make_shared<zt::test::RecordingTarget>();

    std::vector<std::shared_ptr<zt::GLImageInput>> targetsOf(const std::shared_ptr<zt::GLImageOutput>& source)
    {
        return source->targets();
    }
    static std::shared_ptr<zt::GLImageInput> asInput(const std::shared_ptr<zt::GLImageOutput>& filter)
    {
        return std::dynamic_pointer_cast<zt::GLImageInput>(filter);
    }
};

TEST_F(FilterPipeline, AConfigurationBuildsItsChainBetweenInputAndOutput)
{
    auto pipeline = zt::GLImageFilterPipeline::initWithConfiguration(
        configurationOf({plat::Value(
            description("GLImageBoxBlurFilter", {{"setBlurRadiusInPixels:", plat::Value("float(8.0)")}}))}),
        input, output);
    ASSERT_TRUE(pipeline.ok());
    const auto filters = pipeline.value()->filters();
    ASSERT_EQ(filters.size(), 1u);
    auto box = std::dynamic_pointer_cast<zt::GLImageBoxBlurFilter>(filters[0]);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->blurRadiusInPixels(), 8.0);
    EXPECT_EQ(targetsOf(input), (std::vector<std::shared_ptr<zt::GLImageInput>> {asInput(box)}));
    EXPECT_EQ(targetsOf(box), (std::vector<std::shared_ptr<zt::GLImageInput>> {output}));
}

TEST_F(FilterPipeline, AnUnknownFilterOrOperationOrAMismatchedArgumentIsRefusedByName)
{
    struct Case {
        const char* name;
        plat::Dictionary configuration;
        int64_t code;
        const char* mentioned;
    };
    const Case cases[] = {
        {"unknown filter",
            configurationOf(
                {plat::Value(description("GLImageBoxBlurFilter")), plat::Value(description("GLImageNoSuchFilter"))}),
            GLImageFilterPipelineConfiguration::kErrorUnknownFilter, "GLImageNoSuchFilter"},
        {"unknown operation",
            configurationOf(
                {plat::Value(description("GLImageBoxBlurFilter", {{"setNoSuchThing:", plat::Value("float(1)")}}))}),
            GLImageFilterPipelineConfiguration::kErrorUnknownOperation, "setNoSuchThing:"},
        {"an operation of another filter",
            configurationOf(
                {plat::Value(description("GLImageBoxBlurFilter", {{"setAngle:", plat::Value("float(1)")}}))}),
            GLImageFilterPipelineConfiguration::kErrorUnknownOperation, "GLImageBoxBlurFilter"},
        {"a point for a number",
            configurationOf({plat::Value(
                description("GLImageBoxBlurFilter", {{"setBlurRadiusInPixels:", plat::Value("CGPoint(1, 2)")}}))}),
            GLImageFilterPipelineConfiguration::kErrorArgumentMismatch, "setBlurRadiusInPixels:"},
        {"a buffer too long to hold",
            configurationOf(
                {plat::Value(description("GLImageBuffer", {{"setBufferSize:", plat::Value("float(1e6)")}}))}),
            GLImageFilterPipelineConfiguration::kErrorArgumentMismatch, "whole number"},
        {"a fraction for a whole number",
            configurationOf(
                {plat::Value(description("GLImageBuffer", {{"setBufferSize:", plat::Value("float(2.5)")}}))}),
            GLImageFilterPipelineConfiguration::kErrorArgumentMismatch, "whole number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto pipeline = zt::GLImageFilterPipeline::initWithConfiguration(c.configuration, input, output);
        ASSERT_FALSE(pipeline.ok());
        EXPECT_EQ(pipeline.error().code(), c.code);
        EXPECT_NE(pipeline.error().localizedDescription().find(c.mentioned), std::string::npos)
            << pipeline.error().localizedDescription();
    }
    EXPECT_TRUE(targetsOf(input).empty());
}

TEST_F(FilterPipeline, EditsRewireTheWholeChainAndLeaveARemovedFilterAsItWas)
{
    auto a = std::make_shared<zt::GLImageContrastFilter>();
    auto b = std::make_shared<zt::GLImageSwirlFilter>();
    auto c = std::make_shared<zt::GLImageGaussianBlurFilter>();
    auto stray = std::make_shared<zt::test::RecordingTarget>();
    input->addTarget(stray);
    zt::GLImageFilterPipeline pipeline({}, input, output);
    // An empty chain feeds the output straight from the input, and only it.
    EXPECT_EQ(targetsOf(input), (std::vector<std::shared_ptr<zt::GLImageInput>> {output}));
    EXPECT_FALSE(pipeline.currentFilteredFrame());

    pipeline.replaceAllFilters({a, b, c});
    EXPECT_EQ(targetsOf(a), (std::vector<std::shared_ptr<zt::GLImageInput>> {b}));
    pipeline.removeFilterAtIndex(1);
    EXPECT_EQ(targetsOf(a), (std::vector<std::shared_ptr<zt::GLImageInput>> {c}));
    EXPECT_EQ(targetsOf(b), (std::vector<std::shared_ptr<zt::GLImageInput>> {c}));
    EXPECT_EQ(targetsOf(c), (std::vector<std::shared_ptr<zt::GLImageInput>> {output}));
    pipeline.addFilter(b, 0);
    EXPECT_EQ(targetsOf(input), (std::vector<std::shared_ptr<zt::GLImageInput>> {b}));
    EXPECT_EQ(targetsOf(b), (std::vector<std::shared_ptr<zt::GLImageInput>> {a}));
    pipeline.replaceFilterAtIndex(2, b);
    EXPECT_EQ(pipeline.filters().size(), 3u);
    pipeline.removeAllFilters();
    EXPECT_EQ(targetsOf(input), (std::vector<std::shared_ptr<zt::GLImageInput>> {output}));
    pipeline.addFilter(a);
    EXPECT_EQ(targetsOf(a), (std::vector<std::shared_ptr<zt::GLImageInput>> {output}));
}

TEST_F(FilterPipeline, OperationsWithoutAnArgumentAreCalledOnce)
{
    auto pipeline = zt::GLImageFilterPipeline::initWithConfiguration(
        configurationOf(
            {plat::Value(description("GLImageContrastFilter", {{"prepareForImageCapture", plat::Value("")}}))}),
        input, nullptr);
    ASSERT_TRUE(pipeline.ok());
    input->processImage();
    zt::test::drainContextQueue();
    auto filter = std::dynamic_pointer_cast<zt::GLImageFilter>(pipeline.value()->filters()[0]);
    // Prepared for capture, the filter draws into a pixel buffer.
    EXPECT_TRUE(filter->renderTarget());
    EXPECT_TRUE(pipeline.value()->currentFilteredFrameWithOrientation(plat::ImageOrientation::Up));
}

// The same chain from a file and built in code gives the same picture.
TEST_F(FilterPipeline, AChainFromAConfigurationFileEqualsTheSameChainBuiltInCode)
{
    const plat::Dictionary configuration = configurationOf({
        plat::Value(description("GLImageContrastFilter", {{"setContrast:", plat::Value("float(1.5)")}})),
        plat::Value(description("GLImageSwirlFilter",
            {{"setCenter:", plat::Value("CGPoint(0.4, 0.6)")}, {"setAngle:", plat::Value("float(0.8)")},
                {"setRadius:", plat::Value("float(0.4)")}})),
        plat::Value(description("GLImageToneCurveFilter",
            {{"setRedControlPoints:",
                plat::Value(plat::Array {
                    plat::Value("CGPoint(0, 0.1)"), plat::Value("CGPoint(0.5,0.7)"), plat::Value("CGPoint(1, 1)")})}})),
        plat::Value(description("GLImageGaussianBlurFilter", {{"setBlurRadiusInPixels:", plat::Value("float(2)")}})),
    });
    plat::test::TemporaryFolder folder;
    const std::string path = folder.path("pipeline.plist");
    ASSERT_TRUE(plat::writePropertyListFile(plat::Value(configuration), path, plat::PropertyListFormat::Binary).ok());
    auto fromFile
        = zt::GLImageFilterPipeline::initWithConfigurationFile(plat::URL::fileURLWithPath(path), input, output);
    ASSERT_TRUE(fromFile.ok());
    input->processImage();
    auto filed = fromFile.value()->currentFilteredFrameWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(filed);

    auto contrast = std::make_shared<zt::GLImageContrastFilter>();
    contrast->setContrast(1.5);
    auto swirl = std::make_shared<zt::GLImageSwirlFilter>();
    swirl->setCenter({0.4, 0.6});
    swirl->setAngle(0.8);
    swirl->setRadius(0.4);
    auto curve = std::make_shared<zt::GLImageToneCurveFilter>();
    curve->setRedControlPoints({{0, 0.1}, {0.5, 0.7}, {1, 1}});
    auto blur = std::make_shared<zt::GLImageGaussianBlurFilter>();
    blur->setBlurRadiusInPixels(2);
    auto inCode = std::make_shared<zt::GLImagePicture>(*picture);
    inCode->addTarget(contrast);
    contrast->addTarget(swirl);
    swirl->addTarget(curve);
    curve->addTarget(blur);
    inCode->processImage();
    auto coded = blur->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(coded);
    zt::test::expectPixelsMatch(
        *coded, *filed, [](const Colour& c, int, int) { return c; }, 0);
    // The chain did change the picture.
    EXPECT_NE(plat::test::pixelAt(*filed, 5, 5), plat::test::pixelAt(*picture, 5, 5));
    inCode->removeAllTargets();
}

TEST_F(FilterPipeline, AnUnreadableConfigurationFileGivesNoPipeline)
{
    plat::test::TemporaryFolder folder;
    for (const std::string_view text :
        {std::string_view("not a property list"), std::string_view("<plist><array/></plist>")}) {
        const std::string path = folder.path("broken.plist");
        ASSERT_TRUE(plat::writeFileAtomically(path, text).ok());
        auto pipeline
            = zt::GLImageFilterPipeline::initWithConfigurationFile(plat::URL::fileURLWithPath(path), input, output);
        EXPECT_FALSE(pipeline.ok());
    }
    // A usable configuration padded past 16 MiB is refused before it is read.
    const std::string padded = folder.path("padded.plist");
    ASSERT_TRUE(
        plat::writePropertyListFile(plat::Value(configurationOf({plat::Value(description("GLImageBoxBlurFilter"))})),
            padded, plat::PropertyListFormat::XML)
            .ok());
    EXPECT_TRUE(
        zt::GLImageFilterPipeline::initWithConfigurationFile(plat::URL::fileURLWithPath(padded), input, output).ok());
    {
        std::ofstream out(padded, std::ios::binary | std::ios::app);
        out << std::string((16 << 20) + 1, ' ');
    }
    auto oversized
        = zt::GLImageFilterPipeline::initWithConfigurationFile(plat::URL::fileURLWithPath(padded), input, output);
    ASSERT_FALSE(oversized.ok());
    EXPECT_EQ(oversized.error().code(), GLImageFilterPipelineConfiguration::kErrorUnreadable);
    auto missing = zt::GLImageFilterPipeline::initWithConfigurationFile(
        plat::URL::fileURLWithPath(folder.path("no-such.plist")), input, output);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code(), GLImageFilterPipelineConfiguration::kErrorUnreadable);
}

}  // namespace
