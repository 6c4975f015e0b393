#include <cmath>
#include <gtest/gtest.h>

#include "videoservice/VSUtilities.h"
#include "videoservice/VSXMLElement.h"

namespace zt {
namespace {

TEST(VSUtilitiesFilter, RemovesFormatAndControlCharactersButKeepsLineEnds)
{
    EXPECT_EQ(VSUtilities::stringWithControlsFilteredForString("a\u200Bb\x07"
                                                               "c\t\n\r"),
        "abc\t\n\r");
    EXPECT_EQ(VSUtilities::stringWithControlsFilteredForString("plain"), "plain");
    EXPECT_EQ(VSUtilities::stringWithControlsFilteredForString("v\x0B\x0C"
                                                               "w"),
        "vw");
}

TEST(VSUtilitiesFilter, RemovesTheNoncharactersXmlCannotHoldSoTheTextStillParses)
{
    // U+FFFE and U+FFFF are no XML characters: text holding them made the
    // written element unreadable.
    EXPECT_EQ(VSUtilities::stringWithControlsFilteredForString("a\xEF\xBF\xBE"
                                                               "b\xEF\xBF\xBF"
                                                               "c\xEF\xBF\xBD"),
        "abc\xEF\xBF\xBD");
    auto element = VSXMLNode::elementWithName("summary");
    element->addStringValue("s\xEF\xBF\xBE");
    EXPECT_TRUE(VSXMLElement::elementWithXMLString(element->XMLString().value_or("")).ok());
}

TEST(VSUtilitiesNumbers, ReadsInfinitiesOnlyWhenTheNumberIsZero)
{
    EXPECT_EQ(VSUtilities::doubleNumberOrInfForString("0"), 0.0);
    EXPECT_EQ(VSUtilities::doubleNumberOrInfForString("inf"), INFINITY);
    EXPECT_EQ(VSUtilities::doubleNumberOrInfForString("-InF"), -INFINITY);
    EXPECT_EQ(VSUtilities::doubleNumberOrInfForString("word"), 0.0);
    EXPECT_EQ(VSUtilities::doubleNumberOrInfForString(""), std::nullopt);
    EXPECT_EQ(VSUtilities::doubleNumberOrInfForString("  -2.5e2xyz"), -250.0);
    EXPECT_EQ(VSUtilities::doubleNumberOrInfForString("1e999"), INFINITY);
}

TEST(VSUtilitiesEncoding, ParameterEncodingTurnsSpacesIntoPlus)
{
    EXPECT_EQ(VSUtilities::stringByURLEncodingStringParameter("a b+c"), "a+b%2Bc");
    EXPECT_EQ(VSUtilities::stringByURLEncodingForURI("-._~/é"), "-._~%2F%C3%A9");
}

TEST(VSUtilitiesEncoding, SlugEncodingKeepsSpacesAndEscapesPercentAndNonASCII)
{
    EXPECT_EQ(VSUtilities::stringByPercentEncodingUTF8ForString("my movie.mov"), "my movie.mov");
    EXPECT_EQ(VSUtilities::stringByPercentEncodingUTF8ForString("50%.mov"), "50%25.mov");
    EXPECT_EQ(VSUtilities::stringByPercentEncodingUTF8ForString("é"), "%C3%A9");
}

TEST(VSUtilitiesResponse, ReadsOneKeyAndValuePerLine)
{
    auto reply
        = VSUtilities::dictionaryWithResponseString(std::string("SID=s1\nLSID=l2\n  Auth= tok3\nEmpty=\nNoEquals\n"));
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->count(), 3u);
    EXPECT_EQ(reply->getString("Auth"), "tok3");
    EXPECT_FALSE(reply->contains("Empty"));
}

TEST(VSUtilitiesResponse, CarriageReturnsOfCRLFRepliesAreStripped)
{
    auto reply = VSUtilities::dictionaryWithResponseString(std::string("SID=s1\r\nAuth=token\r\nError=\r\n"));
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->getString("Auth"), "token");
    EXPECT_EQ(reply->getString("SID"), "s1");
    EXPECT_FALSE(reply->contains("Error"));
    EXPECT_EQ(VSUtilities::dictionaryWithResponseData(plat::Data {0xFF, 0xFE}), std::nullopt);
}

TEST(VSUtilitiesVersions, ComparesUpToFourNumericComponents)
{
    EXPECT_EQ(VSUtilities::compareVersion("2.0", "2"), 0);
    EXPECT_EQ(VSUtilities::compareVersion("1.10", "1.9"), 1);
    EXPECT_EQ(VSUtilities::compareVersion("1.2", "1.2.1"), -1);
    EXPECT_EQ(VSUtilities::compareVersion("beta", "0"), 0);
    EXPECT_EQ(VSUtilities::compareVersion(std::nullopt, "0.0.0.0"), 0);
}

}  // namespace
}  // namespace zt
