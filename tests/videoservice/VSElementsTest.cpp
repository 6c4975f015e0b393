#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>

#include "platform/net/InputStream.h"
#include "support/TemporarySandbox.h"
#include "videoservice/VSEntryBase.h"
#include "videoservice/VSFeedBase.h"
#include "videoservice/VSGeo.h"
#include "videoservice/VSNamespaces.h"
#include "videoservice/YouTubeElements.h"
#include "web/WSFileHandle.h"

namespace zt {
namespace {

template <typename T> std::shared_ptr<T> parseAs(std::string_view text)
{
    auto element = VSXMLElement::elementWithXMLString(text);
    EXPECT_TRUE(element.ok()) << text;
    return std::static_pointer_cast<T>(VSObject::objectWithXMLElement(T::staticClass(), element.value(), nullptr));
}

std::string xmlOf(const VSObject& object)
{
    return object.XMLElement()->XMLString().value_or("");
}

std::string textOfStream(plat::InputStream& stream)
{
    stream.open();
    std::string text;
    uint8_t buffer[7];  // odd on purpose: reads straddle the pieces
    for (int64_t count; (count = stream.read(buffer, sizeof buffer)) > 0;)
        text.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(count));
    stream.close();
    return text;
}

void writeFile(const std::string& path, const char* text)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs(text, file);
    std::fclose(file);
}

// Constructs

TEST(VSTextConstructEquality, PlainTextTypesAreEqualButHTMLIsNot)
{
    auto typed = VSTextConstruct::textConstructWithString<VSAtomTitle>("Cat");
    typed->setType("text");
    auto untyped = VSTextConstruct::textConstructWithString<VSAtomTitle>("Cat");
    EXPECT_TRUE(typed->isEqual(*untyped));
    auto html = VSTextConstruct::textConstructWithString<VSAtomTitle>("Cat");
    html->setType("html");
    EXPECT_FALSE(html->isEqual(*typed));
    auto french = VSTextConstruct::textConstructWithString<VSAtomTitle>("Cat");
    french->setLang("fr");
    EXPECT_FALSE(french->isEqual(*untyped));
}

TEST(VSValueConstructReading, NumbersBooleansAndDatesFromText)
{
    auto value = VSValueConstruct::valueWithString("42abc");
    EXPECT_EQ(value->intValue(), 42);
    value->setStringValue("abc42");
    EXPECT_EQ(value->intValue(), 0);
    value->setStringValue("99999999999");
    EXPECT_EQ(value->intValue(), 2147483647);
    EXPECT_EQ(value->longLongValue(), 99999999999);
    value->setStringValue("TRUE");
    EXPECT_TRUE(value->boolValue());
    value->setStringValue("yes");
    EXPECT_FALSE(value->boolValue());
    value->setStringValue("-INF");
    EXPECT_EQ(value->doubleValue(), -INFINITY);
    value->setStringValue(std::nullopt);
    EXPECT_EQ(value->doubleValue(), 0.0);
    EXPECT_EQ(value->dateTimeValue(), std::nullopt);
    EXPECT_EQ(VSValueConstruct::valueWithString(std::nullopt), nullptr);
    value->setDoubleValue(0.1);
    EXPECT_EQ(value->doubleValue(), 0.1);
    EXPECT_EQ(xmlOf(*value), "<VSValueConstruct value=\"0.1\"/>");
}

TEST(VSValueConstructWriting, AttributeFormWritesAnEmptyElementAndElementFormWritesText)
{
    auto duration = VSValueConstruct::valueWithInt<VSYouTubeDuration>(125);
    EXPECT_EQ(xmlOf(*duration), "<yt:duration seconds=\"125\"/>");
    auto id = VSValueConstruct::valueWithString<VSAtomID>("tag:x");
    EXPECT_EQ(xmlOf(*id), "<id>tag:x</id>");
    auto parsed = parseAs<VSYouTubeDuration>("<yt:duration xmlns:yt='urn:yt' seconds='125'>999</yt:duration>");
    EXPECT_EQ(parsed->intValue(), 125);
}

TEST(VSNameValueConstructMaking, NameWithoutValueMakesOnlyTheNameAttribute)
{
    auto named = VSNameValueConstruct::valueWithName("colour", std::nullopt);
    EXPECT_EQ(named->name(), "colour");
    EXPECT_EQ(named->stringValue(), std::nullopt);
    EXPECT_EQ(xmlOf(*named), "<VSNameValueConstruct name=\"colour\"/>");
    EXPECT_EQ(VSNameValueConstruct::valueWithName(std::nullopt, std::nullopt), nullptr);
}

TEST(VSImplicitValueConstructParsing, TextIsIgnored)
{
    auto spam = parseAs<VSYouTubeSpam>("<yt:spam xmlns:yt='urn:yt'>junk</yt:spam>");
    EXPECT_EQ(spam->stringValue(), std::nullopt);
    EXPECT_EQ(xmlOf(*spam), "<yt:spam xmlns:yt=\"urn:yt\"/>");
}

TEST(VSAttributeEquality, DifferentAttributeClassesWithTheSameValueAreEqual)
{
    auto etag = VSAttribute::attributeWithValue<VSETagAttribute>("x");
    auto kind = VSAttribute::attributeWithValue<VSKindAttribute>("x");
    EXPECT_TRUE(etag->isEqual(*kind));
    EXPECT_FALSE(etag->isEqual(*VSAttribute::attributeWithValue<VSKindAttribute>("y")));
}

// Content and links

TEST(VSEntryContentParsing, TypeDecidesWhatIsRead)
{
    auto plain = parseAs<VSAtomContent>("<content xmlns='http://www.w3.org/2005/Atom' type='text/plain'>hi</content>");
    EXPECT_EQ(plain->stringValue(), "hi");
    auto atomNoParameter = parseAs<VSAtomContent>(
        "<content xmlns='http://www.w3.org/2005/Atom' type='application/atom+xml'><entry><title>t</title></entry>"
        "</content>");
    EXPECT_EQ(atomNoParameter->childObject(), nullptr);
    EXPECT_EQ(atomNoParameter->stringValue(), std::nullopt);
    auto atom
        = parseAs<VSAtomContent>("<content xmlns='http://www.w3.org/2005/Atom' type='application/atom+xml;type=entry'>"
                                 "<entry><title>t</title></entry></content>");
    auto entry = std::dynamic_pointer_cast<VSEntryBase>(atom->childObject());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->title()->stringValue(), "t");
    EXPECT_NE(xmlOf(*atom).find("<entry><title>t</title></entry>"), std::string::npos);
    auto kml = parseAs<VSAtomContent>("<content xmlns='http://www.w3.org/2005/Atom' "
                                      "type='application/vnd.google-earth.kml+xml'><kml>k</kml></content>");
    ASSERT_EQ(kml->XMLValues().size(), 1u);
    EXPECT_EQ(kml->XMLValues().front()->XMLString(), "<kml xmlns=\"http://www.w3.org/2005/Atom\">k</kml>");
}

TEST(VSEntryContentEquality, TextTypesAreEqualButOtherTypesAreNot)
{
    auto typed = VSEntryContent::contentWithString<VSAtomContent>("x");
    typed->setType("text");
    auto untyped = VSEntryContent::contentWithString<VSAtomContent>("x");
    EXPECT_TRUE(typed->isEqual(*untyped));
    auto html = VSEntryContent::contentWithSourceURI<VSAtomContent>("a.html", "html");
    auto png = VSEntryContent::contentWithSourceURI<VSAtomContent>("a.html", "image/png");
    EXPECT_FALSE(html->isEqual(*png));
}

TEST(VSEntryLinkAttributes, ReadOnlyDefaultsToNoAndIsNotWrittenForNo)
{
    auto link = parseAs<VSEntryLink>("<gd:entryLink xmlns:gd='urn:gd' href='h'/>");
    EXPECT_FALSE(link->isReadOnly());
    link->setIsReadOnly(false);
    EXPECT_EQ(link->XMLElement()->attributeForName("readOnly"), nullptr);
    link->setIsReadOnly(true);
    EXPECT_EQ(link->XMLElement()->attributeForName("readOnly")->stringValue(), "true");
}

TEST(VSFeedLinkAttributes, CountHintReadsAndWritesANumber)
{
    auto without = parseAs<VSFeedLink>("<gd:feedLink xmlns:gd='urn:gd' href='h'/>");
    EXPECT_EQ(without->countHint(), std::nullopt);
    auto with = parseAs<VSFeedLink>("<gd:feedLink xmlns:gd='urn:gd' href='h' countHint='12'/>");
    EXPECT_EQ(with->countHint(), 12);
    with->setCountHint(7);
    EXPECT_EQ(with->XMLElement()->attributeForName("countHint")->stringValue(), "7");
}

TEST(VSFeedLinkInline, InlineFeedHasNoParentButItsEntriesDo)
{
    auto link = parseAs<VSFeedLink>(
        "<gd:feedLink xmlns:gd='http://schemas.google.com/g/2005' href='h'><feed xmlns='http://www.w3.org/2005/Atom'>"
        "<entry><title>inside</title></entry></feed></gd:feedLink>");
    ASSERT_NE(link->feed(), nullptr);
    EXPECT_EQ(link->feed()->parent(), nullptr);
    EXPECT_EQ(link->feed()->firstEntry()->parent(), link->feed());
    auto copy = link->copy();
    EXPECT_TRUE(copy->isEqual(*link));
    EXPECT_NE(copy->feed(), link->feed());
}

TEST(VSLinkLookups, RelationDefaultsToAlternateAndTypesFilter)
{
    auto bare = VSLink::linkWithRel(std::nullopt, "application/atom+xml", "a");
    auto empty = VSLink::linkWithRel("", "text/html", "b");
    auto edit = VSLink::linkWithRel(std::string(kVSNamespaceGData) + "#edit", std::nullopt, "c");
    VSLink::List links {bare, empty, edit};
    EXPECT_EQ(bare->rel(), "alternate");
    EXPECT_EQ(VSLink::linkWithRel("alternate", std::nullopt, links), bare);
    EXPECT_EQ(VSLink::linkWithRel("alternate", "text/html", links), empty);
    EXPECT_EQ(VSLink::linkNamesFromLinks(links), (std::vector<std::string> {"alternate", "alternate", "edit"}));
    EXPECT_EQ(VSLink::linkWithRelAttributeSuffix("#edit", links), edit);
    EXPECT_TRUE(VSLink::linkNamesFromLinks({}).empty());
}

TEST(VSCategoryLookups, LabelsLanguageAndSchemes)
{
    auto a = VSCategory::categoryWithLabel("A");
    EXPECT_EQ(a->term(), std::string(kVSCategoryLabelScheme) + "#A");
    auto french = VSCategory::categoryWithLabel("A");
    french->setLabelLang("fr");
    EXPECT_TRUE(a->isEqual(*french));
    auto b = VSCategory::categoryWithLabel("B");
    auto plain = VSCategory::categoryWithScheme("urn:s", "t");
    VSCategory::List list {a, b, french, plain};
    EXPECT_EQ(VSCategory::categoryLabelsFromCategories(list), (std::vector<std::string> {"A", "B"}));
    EXPECT_TRUE(VSCategory::categoriesContainsCategoryWithLabel(list, "B"));
    EXPECT_FALSE(VSCategory::categoriesContainsCategoryWithLabel(list, "C"));
    EXPECT_EQ(VSCategory::categoriesWithSchemePrefix("urn:", list).size(), 1u);
    EXPECT_FALSE(VSCategory::categoriesContainsCategoryWithScheme({}, std::nullopt, std::nullopt, std::nullopt));
}

TEST(VSAtomPubControlDraft, DraftTextDecides)
{
    auto control = parseAs<VSAtomPubControl>("<app:control xmlns:app='http://www.w3.org/2007/app'><app:draft>YES"
                                             "</app:draft></app:control>");
    EXPECT_TRUE(control->isDraft());
    auto no = parseAs<VSAtomPubControl>(
        "<app:control xmlns:app='http://www.w3.org/2007/app'><app:draft>no</app:draft></app:control>");
    EXPECT_FALSE(no->isDraft());
    auto made = VSAtomPubControl::atomPubControlWithIsDraft(true);
    EXPECT_EQ(xmlOf(*made),
        "<app:control xmlns:app=\"http://www.w3.org/2007/app\"><app:draft>yes</app:draft>"
        "</app:control>");
}

TEST(VSRatingNumbers, EmptyOrAbsentRatersReadAsNothing)
{
    auto empty = parseAs<VSRating>("<gd:rating xmlns:gd='urn:gd' numRaters='' average='4.5'/>");
    EXPECT_EQ(empty->numberOfRaters(), std::nullopt);
    EXPECT_EQ(empty->average(), 4.5);
    auto twelve = parseAs<VSRating>("<gd:rating xmlns:gd='urn:gd' numRaters='12'/>");
    EXPECT_EQ(twelve->numberOfRaters(), 12);
}

TEST(VSPersonChildren, SettingNoNameRemovesOnlyTheName)
{
    auto person = VSPerson::personWithName<VSAtomAuthor>("Ann", "ann@example.com");
    person->setURI("http://example.com/ann");
    person->setName(std::nullopt);
    EXPECT_EQ(person->name(), std::nullopt);
    EXPECT_EQ(person->email(), "ann@example.com");
    EXPECT_EQ(xmlOf(*person), "<author><email>ann@example.com</email><uri>http://example.com/ann</uri></author>");
}

// Entries

class UploadEntry : public ::testing::Test {
protected:
    std::shared_ptr<VSEntryBase> entry = VSEntryBase::entry();
    void SetUp() override
    {
        entry->setTitleWithString("Movie");
        entry->setUploadData(std::make_shared<plat::Data>(plat::Data {'M', 'O', 'V'}));
        entry->setUploadMIMEType("video/quicktime");
        entry->setUploadSlug("movie.mov");
    }
};

TEST_F(UploadEntry, MultipartBodyHoldsTheAtomEntryThenTheMedia)
{
    auto body = entry->generateContentInputStream();
    ASSERT_TRUE(body.has_value());
    auto type = body->headers.getString("Content-Type");
    ASSERT_TRUE(type.has_value());
    ASSERT_TRUE(type->starts_with("multipart/related; boundary=\""));
    std::string boundary = type->substr(29, type->size() - 30);
    EXPECT_EQ(body->headers.getString("MIME-Version"), "1.0");
    EXPECT_EQ(body->headers.getString("Slug"), "movie.mov");
    std::string text = textOfStream(*body->stream);
    EXPECT_EQ(body->length, text.size());
    std::string expected = "\r\n--" + boundary + "\r\nContent-Type: application/atom+xml; charset=UTF-8\r\n\r\n"
        + xmlOf(*entry) + "\r\n--" + boundary
        + "\r\nContent-Transfer-Encoding: binary\r\nContent-Type: video/quicktime\r\n\r\nMOV\r\n--" + boundary
        + "--\r\n";
    EXPECT_EQ(text, expected);
}

TEST_F(UploadEntry, DataOnlyBodyIsThePayloadWithContentHeaders)
{
    entry->setShouldUploadDataOnly(true);
    auto body = entry->generateContentInputStream();
    ASSERT_TRUE(body.has_value());
    EXPECT_EQ(textOfStream(*body->stream), "MOV");
    EXPECT_EQ(body->length, 3u);
    EXPECT_EQ(body->headers, entry->contentHeaders());
    EXPECT_EQ(body->headers.count(), 3u);
}

TEST_F(UploadEntry, MissingMIMETypeOrEmptyDataGivesNoBody)
{
    entry->setUploadMIMEType("");
    EXPECT_FALSE(entry->generateContentInputStream().has_value());
    entry->setUploadMIMEType("video/quicktime");
    entry->setUploadData(std::make_shared<plat::Data>());
    plat::test::TemporaryFolder folder;
    writeFile(folder.path("m.mov"), "FILE");
    entry->setUploadFileHandle(WSFileHandle::fileHandleForReadingAtPath(folder.path("m.mov")));
    EXPECT_FALSE(entry->generateContentInputStream().has_value());
}

TEST_F(UploadEntry, FileHandleIsReadFromItsStart)
{
    plat::test::TemporaryFolder folder;
    writeFile(folder.path("m.mov"), "FILEDATA");
    auto handle = WSFileHandle::fileHandleForReadingAtPath(folder.path("m.mov"));
    ASSERT_TRUE(handle->seekToFileOffset(4).ok());
    entry->setUploadData(nullptr);
    entry->setUploadFileHandle(handle);
    entry->setShouldUploadDataOnly(true);
    auto body = entry->generateContentInputStream();
    ASSERT_TRUE(body.has_value());
    EXPECT_EQ(textOfStream(*body->stream), "FILEDATA");
}

TEST_F(UploadEntry, HeadersStopAtTheFirstAbsentValue)
{
    entry->setUploadSlug(std::nullopt);
    EXPECT_EQ(entry->contentHeaders().count(), 2u);
    entry->setUploadMIMEType(std::nullopt);
    EXPECT_TRUE(entry->contentHeaders().empty());
}

TEST_F(UploadEntry, SlugIsPercentEncodedOnceAndCopiesKeepIt)
{
    entry->setUploadSlug("é.mov");
    EXPECT_EQ(entry->uploadSlug(), "%C3%A9.mov");
    entry->setUploadSlug("50%.mov");
    EXPECT_EQ(entry->uploadSlug(), "50%25.mov");
    auto copy = entry->copy();
    EXPECT_EQ(copy->uploadSlug(), "50%25.mov");
    EXPECT_TRUE(copy->isEqual(*entry));
}

TEST(VSEntryDeleted, DeletedMarkerIsAnEmptyElement)
{
    auto entry = VSEntryBase::entry();
    entry->setIsDeleted(true);
    EXPECT_TRUE(entry->isDeleted());
    EXPECT_NE(xmlOf(*entry).find("<gd:deleted/>"), std::string::npos) << xmlOf(*entry);
    entry->setIsDeleted(false);
    EXPECT_FALSE(entry->isDeleted());
    EXPECT_EQ(libraryVersionString(), "1.12");
}

// Media, geo, play times

TEST(VSMediaKeywordsLists, ParsingJoiningAndAdding)
{
    EXPECT_EQ(VSMediaKeywords::keywordsWithString(" , ,")->stringValue(), std::nullopt);
    auto keywords = VSMediaKeywords::keywordsWithString("cat,dog, cat");
    EXPECT_EQ(keywords->stringValue(), "cat, dog, cat");
    keywords->addKeyword("dog");
    EXPECT_EQ(keywords->stringValue(), "cat, dog, cat");
    keywords->addKeyword(" bird ");
    EXPECT_EQ(keywords->stringValue(), "cat, dog, cat, bird");
    auto empty = VSMediaKeywords::keywordsWithStrings({});
    empty->addKeyword("solo");
    EXPECT_EQ(empty->stringValue(), "solo");
}

TEST(VSGeoCoordinates, PairsOfNumbersOnly)
{
    EXPECT_EQ(VSGeo::valuesWithCoordinateString("45.256 -71.92"), (std::vector<double> {45.256, -71.92}));
    EXPECT_TRUE(VSGeo::valuesWithCoordinateString("45.256").empty());
    EXPECT_TRUE(VSGeo::valuesWithCoordinateString("45.256,-71.92").empty());
    auto four = VSGeo::valuesWithCoordinateString("1 2 3 4");
    EXPECT_EQ(four.size(), 4u);
    auto geo = VSGeo::geoWithLatitude<VSGeoRSSPoint>(1, 2);
    geo->setValues(four);
    EXPECT_FALSE(geo->isPoint());
    EXPECT_TRUE(std::isnan(geo->latitude()));
}

TEST(VSGeoParsing, W3CPointNeedsBothCoordinatesAndWhereWritesOnePos)
{
    auto half = parseAs<VSGeoW3CPoint>(
        "<geo:Point xmlns:geo='http://www.w3.org/2003/01/geo/wgs84_pos#'><geo:lat>1.5</geo:lat></geo:Point>");
    EXPECT_TRUE(half->values().empty());
    auto where = VSGeo::geoWithLatitude<VSGeoRSSWhere>(45.5, -73.25);
    auto element = VSXMLNode::elementWithName("entry");
    element->addNamespace(*VSXMLNode::namespaceWithName("georss", kVSNamespaceGeoRSS));
    element->addNamespace(*VSXMLNode::namespaceWithName("gml", kVSNamespaceGeoGML));
    element->addChild(*where->XMLElement());
    auto points = element->nodesForXPath("//gml:Point/gml:pos", {{"gml", kVSNamespaceGeoGML}});
    ASSERT_TRUE(points.ok());
    ASSERT_EQ(points.value().size(), 1u);
    EXPECT_EQ(points.value().front()->stringValue(), "45.5 -73.25");
}

TEST(VSGeoWriting, ALocationThatIsNotAPointWritesNoCoordinates)
{
    const std::vector<std::shared_ptr<VSGeo>> locations {VSGeo::geoWithLatitude<VSGeoRSSPoint>(1, 2),
        VSGeo::geoWithLatitude<VSGeoRSSWhere>(1, 2), VSGeo::geoWithLatitude<VSGeoW3CPoint>(1, 2)};
    for (const auto& geo : locations) {
        geo->setValues({11.5, 22.5, 33.5, 44.5});
        const std::string xml = xmlOf(*geo);
        SCOPED_TRACE(xml);
        EXPECT_EQ(xml.find("11.5"), std::string::npos);
        EXPECT_EQ(xml.find("44.5"), std::string::npos);
        EXPECT_EQ(xml.find("pos"), std::string::npos);
    }
}

TEST(VSGeoLocationDeathTest, BareGeoIsAProgrammingError)
{
    auto entry = VSEntryBase::entry();
    EXPECT_DEATH(VSGeo::setGeoLocation(VSObject::object<VSGeo>(), *entry), "requires an instance of a subclass");
}

TEST(VSNormalPlayTimeText, ReadsAndWritesOffsets)
{
    EXPECT_EQ(VSNormalPlayTime::normalPlayTimeWithString("1:02:03.5").timeOffsetInMilliseconds(), 3723500);
    EXPECT_EQ(VSNormalPlayTime::normalPlayTimeWithString("75").timeOffsetInMilliseconds(), 75000);
    EXPECT_EQ(VSNormalPlayTime::normalPlayTimeWithString("2:30").timeOffsetInMilliseconds(), 150000);
    EXPECT_EQ(VSNormalPlayTime::normalPlayTimeWithString("0.05").timeOffsetInMilliseconds(), 50);
    EXPECT_EQ(VSNormalPlayTime::normalPlayTimeWithString("0.123456").timeOffsetInMilliseconds(), 123);
    auto now = VSNormalPlayTime::normalPlayTimeWithString(" NOW ");
    EXPECT_TRUE(now.isNow());
    EXPECT_EQ(now.timeOffsetInMilliseconds(), -1);
    EXPECT_EQ(now.HHMMSSString(), "now");
    VSNormalPlayTime time;
    time.setTimeOffsetInMilliseconds(3723500);
    EXPECT_EQ(time.HHMMSSString(), "1:02:03.500");
    time.setTimeOffsetInMilliseconds(3723000);
    EXPECT_EQ(time.HHMMSSString(), "1:02:03");
    time.setTimeOffsetInMilliseconds(90000000);
    EXPECT_EQ(time.HHMMSSString(), "25:00:00");
    time.setTimeOffsetInMilliseconds(1500);
    EXPECT_EQ(time.secondsString(), "1.500");
    time.setTimeOffsetInMilliseconds(2000);
    EXPECT_EQ(time.secondsString(), "2");
    EXPECT_FALSE(time == now);
    EXPECT_EQ(VSNormalPlayTime::normalPlayTimeWithString("garbage").timeOffsetInMilliseconds(), 0);
}

TEST(VSNormalPlayTimeText, AbsurdlyLongTimesStayPositiveInsteadOfOverflowing)
{
    auto time = VSNormalPlayTime::normalPlayTimeWithString("99999999999999:59:59.999");
    EXPECT_GT(time.timeOffsetInMilliseconds(), 0);
    EXPECT_FALSE(time.isNow());
}

TEST(VSNormalPlayTimeText, SecondsBeyondThirtyTwoBitsAreWrittenInFull)
{
    auto time = VSNormalPlayTime::normalPlayTimeWithString("3000000000.25");
    EXPECT_EQ(time.timeOffsetInMilliseconds(), 3000000000250);
    EXPECT_EQ(time.secondsString(), "3000000000.250");
}

TEST(VSMediaContentDefault, SettingNoRemovesTheAttribute)
{
    auto content = VSMediaContent::mediaContentWithURLString("u");
    content->setIsDefault(true);
    EXPECT_EQ(content->isDefault(), true);
    content->setIsDefault(false);
    EXPECT_EQ(content->isDefault(), std::nullopt);
    EXPECT_EQ(content->XMLElement()->attributeForName("isDefault"), nullptr);
    EXPECT_EQ(content->youTubeFormatNumber(), 0);
}

TEST(VSYouTubeMediaGroupPrivacy, PrivateIsOneChildAtMost)
{
    auto group = VSMediaGroup::mediaGroup<VSYouTubeMediaGroup>();
    group->setIsPrivate(false);
    EXPECT_EQ(xmlOf(*group), "<media:group/>");
    group->setIsPrivate(true);
    group->setIsPrivate(true);
    EXPECT_EQ(xmlOf(*group), "<media:group><yt:private/></media:group>");
}

TEST(VSYouTubeMediaGroupThumbnails, HighQualityIsTheFirstWithoutTime)
{
    auto group = parseAs<VSYouTubeMediaGroup>(
        "<media:group xmlns:media='http://search.yahoo.com/mrss/' xmlns:yt='http://gdata.youtube.com/schemas/2007'>"
        "<media:thumbnail url='a' time='00:00:01'/><media:thumbnail url='b' time='00:00:02'/>"
        "<media:thumbnail url='c'/><media:content url='x'/><media:content url='y' yt:format='6'/></media:group>");
    EXPECT_EQ(group->highQualityThumbnail()->URLString(), "c");
    EXPECT_EQ(group->mediaContentWithFormatNumber(0)->URLString(), "x");
    EXPECT_EQ(group->mediaContentWithFormatNumber(6)->URLString(), "y");
}

TEST(VSYouTubeStatisticsWriting, ZeroCountsAreLeftOut)
{
    auto statistics = VSYouTubeStatistics::youTubeStatistics();
    statistics->setViewCount(0);
    statistics->setFavoriteCount(3);
    EXPECT_EQ(xmlOf(*statistics), "<yt:statistics favoriteCount=\"3\"/>");
}

}  // namespace
}  // namespace zt
