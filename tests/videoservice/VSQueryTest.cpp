#include <cstdio>
#include <gtest/gtest.h>

#include "platform/foundation/Files.h"
#include "support/TemporarySandbox.h"
#include "videoservice/VSQuery.h"
#include "videoservice/VSServerError.h"

namespace zt {
namespace {

plat::URL url(const char* text)
{
    return *plat::URL::URLWithString(text);
}

std::string textOf(const VSQuery& query)
{
    auto result = query.URL();
    EXPECT_TRUE(result.has_value());
    return result ? result->absoluteString() : "";
}

TEST(VSQueryURL, GalleryQueryHasTheFilterPathAndSortedParameters)
{
    VSQueryYouTube query(url("https://gdata.youtube.com/feeds/api/videos"));
    query.addCategoryFilterWithScheme("http://gdata.youtube.com/schemas/2007/developertags.cat", "plovix");
    query.setSafeSearch("strict");
    query.setOrderBy("viewCount");
    query.setStartIndex(1);
    query.setMaxResults(50);
    EXPECT_EQ(textOf(query),
        "https://gdata.youtube.com/feeds/api/videos/-/"
        "%7Bhttp%3A%2F%2Fgdata.youtube.com%2Fschemas%2F2007%2Fdevelopertags.cat%7Dplovix"
        "?max-results=50&orderby=viewCount&safeSearch=strict&start-index=1");
    query.setOrderBy("published");
    EXPECT_TRUE(textOf(query).ends_with("?max-results=50&orderby=published&safeSearch=strict&start-index=1"));
}

TEST(VSQueryURL, DescriptionNamesTheQuerysOwnClassAndItsURL)
{
    VSQuery plain(url("http://e.com/f"));
    VSQueryYouTube youTube(url("http://e.com/f"));
    const std::pair<const VSQuery*, std::string> cases[] = {{&plain, "VSQuery"}, {&youTube, "VSQueryYouTube"}};
    for (const auto& [query, className] : cases) {
        char address[32];
        std::snprintf(address, sizeof address, "%p", static_cast<const void*>(query));
        EXPECT_EQ(query->description(), className + " " + address + ": {http://e.com/f}");
    }
}

TEST(VSQueryURL, BareFeedURLAndExistingQueries)
{
    EXPECT_EQ(textOf(VSQuery(url("http://example.com/feed"))), "http://example.com/feed");
    EXPECT_EQ(textOf(VSQuery(url("http://example.com/feed?"))), "http://example.com/feed");
    VSQuery query(url("http://example.com/feed?alt=rss"));
    query.setAuthor("ann");
    EXPECT_EQ(textOf(query), "http://example.com/feed?alt=rss&author=ann");
    query.addCategoryFilterWithScheme(std::nullopt, "A");
    EXPECT_EQ(textOf(query), "http://example.com/feed/-/A?alt=rss&author=ann");
    VSQuery slashed(url("http://example.com/feed/"));
    slashed.addCategoryFilterWithScheme(std::nullopt, "A");
    EXPECT_EQ(textOf(slashed), "http://example.com/feed/-/A");
}

TEST(VSQueryFilters, SeparateFiltersAreSegmentsAndOneFilterIsAlternatives)
{
    VSQuery both(url("http://e.com/f"));
    both.addCategoryFilterWithScheme(std::nullopt, "A");
    both.addCategoryFilterWithScheme(std::nullopt, "B");
    EXPECT_EQ(both.categoryFilterString(), "-/A/B");
    auto either = VSCategoryFilter::categoryFilter();
    either->addCategoryWithScheme(std::nullopt, "A");
    either->addCategoryWithScheme(std::nullopt, "B");
    either->addExcludeCategoryWithScheme(std::nullopt, "C");
    VSQuery query(url("http://e.com/f"));
    query.addCategoryFilter(either);
    EXPECT_EQ(query.categoryFilterString(), "-/A%7CB%7C-C");
    auto excluded = VSCategoryFilter::categoryFilter();
    excluded->addExcludeCategoryWithScheme(std::nullopt, "C");
    VSQuery onlyExcluded(url("http://e.com/f"));
    onlyExcluded.addCategoryFilter(excluded);
    EXPECT_EQ(onlyExcluded.categoryFilterString(), "-/-C");
    VSCategoryFilter copy(*either);
    EXPECT_NE(copy.categories().front(), either->categories().front());
    EXPECT_EQ(copy.stringValue(), either->stringValue());
}

TEST(VSQueryParameters, NamesSortWithoutRegardToCase)
{
    VSQuery query(url("http://e.com/f"));
    for (const char* name : {"b", "Zoom", "apple", "Mid"})
        query.addCustomParameterWithName(name, std::string("1"));
    EXPECT_EQ(query.queryParamString(), "apple=1&b=1&Mid=1&Zoom=1");
}

TEST(VSQueryParameters, IndexesBeyondThirtyTwoBitsAreWrittenAndReadInFull)
{
    VSQuery query(url("http://e.com/f"));
    query.setStartIndex(3000000000);
    EXPECT_EQ(query.valueForParameterWithName("start-index"), "3000000000");
    EXPECT_EQ(query.startIndex(), 3000000000);
    query.setMaxResults(4294967295);
    EXPECT_EQ(query.valueForParameterWithName("max-results"), "4294967295");
}

TEST(VSQueryParameters, NamedParametersShareTheOneDictionary)
{
    VSQueryYouTube query(url("http://e.com/f"));
    query.setFullTextQueryString("cats & dogs");
    EXPECT_EQ(query.videoQuery(), "cats & dogs");
    EXPECT_EQ(query.queryParamString(), "q=cats+%26+dogs");
    query.setStartIndex(0);
    EXPECT_EQ(query.valueForParameterWithName("start-index"), "0");
    query.setStartIndex(-1);
    EXPECT_EQ(query.startIndex(), -1);
    EXPECT_EQ(query.valueForParameterWithName("start-index"), std::nullopt);
    query.setIsAscendingOrder(false);
    EXPECT_EQ(query.valueForParameterWithName("sortorder"), "descending");
    query.setIsStrict(true);
    EXPECT_EQ(query.valueForParameterWithName("strict"), "true");
    query.setIsStrict(false);
    EXPECT_EQ(query.valueForParameterWithName("strict"), std::nullopt);
    query.addCustomParameterWithName("strict", std::string("TRUE"));
    EXPECT_TRUE(query.isStrict());
    query.addCustomParameterWithName("strict", std::string("yes"));
    EXPECT_FALSE(query.isStrict());
    query.setAuthor("a");
    query.setAuthor(std::nullopt);
    EXPECT_EQ(query.author(), std::nullopt);
    query.setShouldFormatErrorsAsXML(true);
    EXPECT_TRUE(query.shouldFormatErrorsAsXML());
    auto date = VSDateTime::dateTimeWithRFC3339String("2013-01-02T03:04:05Z");
    query.setPublishedMinDateTime(date);
    EXPECT_EQ(query.valueForParameterWithName("published-min"), "2013-01-02T03:04:05Z");
    EXPECT_TRUE(query.publishedMinDateTime()->isEqual(date));
}

plat::Data errorReply()
{
    auto bytes = plat::readFile(plat::test::sourcePath("tests/data/videoservice/error-reply.xml"));
    EXPECT_TRUE(bytes.ok());
    return bytes.ok() ? bytes.value() : plat::Data();
}

TEST(VSServerErrors, ReadsEveryErrorOfTheProviderNamespaceInOrder)
{
    auto group = VSServerErrorGroup::initWithData(errorReply());
    ASSERT_TRUE(group.has_value());
    ASSERT_EQ(group->errors().size(), 2u);
    const VSServerError* main = group->mainError();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->domain(), "yt:validation");
    EXPECT_EQ(main->internalReason(), "Title too long");
    EXPECT_EQ(main->extendedHelpURI(), "http://example.com/help");
    EXPECT_EQ(main->summary(), "yt:validation error invalid_value: \"Title too long\"");
    EXPECT_EQ(group->errors()[1].summary(), "yt:quota error too_many_recent_calls");
    EXPECT_EQ(group->errors()[1].sendReportURI(), "http://example.com/report");
    EXPECT_EQ(VSServerErrorGroup::initWithData(errorReply()), group);
}

TEST(VSServerErrors, NoErrorsOrNoXMLGiveNoGroup)
{
    std::string none = "<errors xmlns='http://schemas.google.com/g/2005'/>";
    EXPECT_FALSE(VSServerErrorGroup::initWithData(plat::Data(none.begin(), none.end())).has_value());
    std::string text = "Token invalid";
    EXPECT_FALSE(VSServerErrorGroup::initWithData(plat::Data(text.begin(), text.end())).has_value());
    std::string other = "<errors><error><domain>d</domain></error></errors>";
    EXPECT_FALSE(VSServerErrorGroup::serverErrorsWithData(plat::Data(other.begin(), other.end())).has_value());
}

}  // namespace
}  // namespace zt
