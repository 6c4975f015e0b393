#include <gtest/gtest.h>

#include "platform/foundation/Files.h"
#include "support/TemporarySandbox.h"
#include "videoservice/VSFeedBase.h"
#include "videoservice/VSNamespaces.h"
#include "videoservice/VSXMLDocument.h"

namespace zt {
namespace {

VSXMLElementPtr elementOf(std::string_view text)
{
    auto element = VSXMLElement::elementWithXMLString(text);
    EXPECT_TRUE(element.ok());
    return element.ok() ? element.value() : nullptr;
}

template <typename T> std::shared_ptr<T> parseAs(std::string_view text)
{
    return std::static_pointer_cast<T>(VSObject::objectWithXMLElement(T::staticClass(), elementOf(text), nullptr));
}

std::string xmlOf(const VSObject& object)
{
    return object.XMLElement()->XMLString().value_or("");
}

plat::Data dataOf(std::string_view text)
{
    return plat::Data(text.begin(), text.end());
}

constexpr const char* kTwoAuthors = "<entry xmlns='http://www.w3.org/2005/Atom'><author><name>A</name></author>"
                                    "<author><name>B</name></author><title>T</title></entry>";

TEST(VSObjectParsing, TwoChildrenOfOneExtensionMakeAListAndOneMakesASingleObject)
{
    auto entry = parseAs<VSEntryBase>(kTwoAuthors);
    auto authors = entry->authors();
    ASSERT_EQ(authors.size(), 2u);
    EXPECT_EQ(authors[1]->name(), "B");
    EXPECT_EQ(entry->title()->stringValue(), "T");
    auto description = entry->description();
    EXPECT_NE(description.find("extensions:(author(2),title)"), std::string::npos) << description;
}

TEST(VSObjectParsing, UndeclaredChildIsKeptAndWrittenBackAtTheEnd)
{
    auto entry = parseAs<VSEntryBase>("<entry xmlns='http://www.w3.org/2005/Atom' xmlns:x='urn:x'>"
                                      "<x:mystery a='1'>m</x:mystery><title>T</title></entry>");
    ASSERT_EQ(entry->unknownChildren().size(), 1u);
    EXPECT_EQ(xmlOf(*entry),
        "<entry xmlns=\"http://www.w3.org/2005/Atom\" xmlns:x=\"urn:x\"><title>T</title>"
        "<x:mystery a=\"1\">m</x:mystery></entry>");
}

TEST(VSObjectParsing, IgnoringUnknownsDropsThemAndTheElementProperty)
{
    auto element = elementOf("<entry xmlns='http://www.w3.org/2005/Atom' xmlns:x='urn:x' x:odd='1'>"
                             "<x:mystery/><title>T</title></entry>");
    auto entry = std::static_pointer_cast<VSEntryBase>(
        VSObject::objectWithXMLElement(VSEntryBase::staticClass(), element, nullptr, std::nullopt, {}, true));
    EXPECT_TRUE(entry->unknownChildren().empty());
    EXPECT_FALSE(entry->propertyForKey("_XMLElement").has_value());
    EXPECT_EQ(xmlOf(*entry), "<entry xmlns=\"http://www.w3.org/2005/Atom\" xmlns:x=\"urn:x\"><title>T</title></entry>");
}

TEST(VSObjectEquality, ObjectsDifferingOnlyInAnUndeclaredChildAreEqual)
{
    auto plain = parseAs<VSEntryBase>("<entry xmlns='http://www.w3.org/2005/Atom'><title>T</title></entry>");
    auto extra = parseAs<VSEntryBase>(
        "<entry xmlns='http://www.w3.org/2005/Atom' xmlns:x='urn:x'><title>T</title><x:y/></entry>");
    EXPECT_TRUE(plain->isEqual(*extra));
    auto other = parseAs<VSEntryBase>("<entry xmlns='http://www.w3.org/2005/Atom'><title>U</title></entry>");
    EXPECT_FALSE(plain->isEqual(*other));
}

TEST(VSObjectExtensions, RemovingTheLastObjectOfAListLeavesAnEmptyList)
{
    auto entry = parseAs<VSEntryBase>(kTwoAuthors);
    auto authors = entry->authors();
    entry->removeObject(*authors[0], VSAtomAuthor::staticClass());
    entry->removeObject(*authors[1], VSAtomAuthor::staticClass());
    EXPECT_TRUE(entry->hasExtensionClass(VSAtomAuthor::staticClass()));
    EXPECT_EQ(entry->objectForExtensionClass(VSAtomAuthor::staticClass()), nullptr);
}

TEST(VSObjectAttributes, XmlLangIsReadOnlyWithThatExactPrefix)
{
    auto title = parseAs<VSAtomTitle>("<title xmlns='http://www.w3.org/2005/Atom' xml:lang='fr'>Chat</title>");
    EXPECT_EQ(title->lang(), "fr");
    auto other = parseAs<VSAtomTitle>(
        "<title xmlns='http://www.w3.org/2005/Atom' xmlns:z='http://www.w3.org/2005/Atom' z:lang='fr'>Chat</title>");
    EXPECT_EQ(other->lang(), std::nullopt);
    EXPECT_EQ(other->unknownAttributes().size(), 1u);
}

TEST(VSObjectAttributes, BooleanDefaultsDecideAbsentAndOtherTexts)
{
    auto link = VSObject::object<VSEntryLink>();
    EXPECT_FALSE(link->isReadOnly());
    link->setStringValueForAttribute("TRUE", "readOnly");
    EXPECT_TRUE(link->isReadOnly());
    EXPECT_TRUE(link->boolValueForAttribute("absent", true));
    link->setStringValueForAttribute("maybe", "x");
    EXPECT_TRUE(link->boolValueForAttribute("x", true));
    EXPECT_FALSE(link->boolValueForAttribute("x", false));
}

TEST(VSObjectCopying, CopyIsEqualAndOwnsItsUnknownXML)
{
    std::shared_ptr<VSEntryBase> copy;
    {
        auto entry = parseAs<VSEntryBase>(
            "<entry xmlns='http://www.w3.org/2005/Atom' xmlns:x='urn:x'><title>T</title><x:y>kept</x:y></entry>");
        copy = entry->copy();
        EXPECT_TRUE(copy->isEqual(*entry));
    }
    EXPECT_EQ(xmlOf(*copy),
        "<entry xmlns=\"http://www.w3.org/2005/Atom\" xmlns:x=\"urn:x\"><title>T</title>"
        "<x:y>kept</x:y></entry>");
}

TEST(VSObjectKinds, RegistrationKeysAndLookupOrder)
{
    VSClassMap map;
    VSObject::registerClass(VSEntryBase::staticClass(), map, std::string(kVSCategoryKind), std::string("k1"));
    VSObject::registerClass(VSAtomID::staticClass(), map, std::string("urn:scheme"), std::string("t"));
    VSObject::registerClass(VSAtomTitle::staticClass(), map, std::string("urn:other"), std::nullopt);
    EXPECT_EQ(map.count("k1"), 1u);
    EXPECT_EQ(map.count("{\"urn:scheme\":\"t\"}"), 1u);
    EXPECT_EQ(VSObject::classForCategoryWithScheme(std::string("anything"), std::string("k1"), map),
        &VSEntryBase::staticClass());
    EXPECT_EQ(VSObject::classForCategoryWithScheme(std::string("urn:scheme"), std::string("t"), map),
        &VSAtomID::staticClass());
    EXPECT_EQ(VSObject::classForCategoryWithScheme(std::string("urn:other"), std::string("zzz"), map),
        &VSAtomTitle::staticClass());
    // A conflicting registration keeps the first class.
    VSObject::registerClass(VSAtomLogo::staticClass(), map, std::nullopt, std::string("k1"));
    EXPECT_EQ(map.at("k1"), &VSEntryBase::staticClass());
}

class BatchReply : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto bytes = plat::readFile(plat::test::sourcePath("tests/data/videoservice/batch-reply.xml"));
        ASSERT_TRUE(bytes.ok());
        data = bytes.value();
        feed = VSFeedBase::feedWithXMLData(data);
        ASSERT_NE(feed, nullptr);
    }
    plat::Data data;
    std::shared_ptr<VSFeedBase> feed;
};

TEST_F(BatchReply, ReadsTheFeedAndItsBatchEntries)
{
    EXPECT_EQ(feed->identifier(), "http://example.com/feeds/batch/1");
    EXPECT_EQ(feed->updatedDate()->RFC3339String(), "2012-03-04T05:06:07Z");
    EXPECT_EQ(feed->generator()->name(), "Example Generator");
    EXPECT_EQ(feed->generator()->version(), "2.1");
    ASSERT_TRUE(feed->entries().has_value());
    ASSERT_EQ(feed->entries()->size(), 2u);
    auto first = feed->firstEntry();
    EXPECT_EQ(first->parent(), feed);
    EXPECT_EQ(first->ETag(), "W/\"abc\"");
    EXPECT_EQ(first->batchID()->stringValue(), "item-1");
    EXPECT_EQ(first->batchOperation()->type(), "insert");
    EXPECT_EQ(first->batchStatus()->code(), 201);
    EXPECT_EQ(first->batchStatus()->contentType(), "application/atom+xml");
    EXPECT_EQ(first->editLink()->href(), "http://example.com/entries/1/edit");
    EXPECT_EQ(first->alternateLink()->href(), "http://example.com/entries/1.html");
    EXPECT_TRUE(first->canEdit());
    auto second = feed->entryAtIndex(1);
    EXPECT_EQ(second->batchStatus()->stringValue(), "Version mismatch");
    EXPECT_EQ(second->batchInterrupted()->errorCount(), 1);
    EXPECT_EQ(second->batchInterrupted()->totalCount(), 2);
    EXPECT_EQ(second->title()->stringValue(), "<b>Second</b>");
    EXPECT_EQ(feed->entryAtIndex(2), nullptr);
    EXPECT_EQ(feed->entryForIdentifier("http://example.com/entries/2"), second);
}

TEST_F(BatchReply, WrittenAgainKeepsEveryElementAndReadsBackEqual)
{
    auto document = feed->XMLDocument();
    auto written = document->XMLData();
    ASSERT_TRUE(written.has_value());
    std::string text(written->begin(), written->end());
    EXPECT_NE(text.find("<x:note flavour=\"sweet\">kept as it is</x:note>"), std::string::npos) << text;
    EXPECT_NE(text.find("<x:extra>unknown child</x:extra>"), std::string::npos) << text;
    EXPECT_NE(text.find("<generator version=\"2.1\" uri=\"http://example.com/gen\">Example Generator</generator>"),
        std::string::npos)
        << text;
    auto reread = VSFeedBase::feedWithXMLData(*written);
    ASSERT_NE(reread, nullptr);
    EXPECT_TRUE(reread->isEqual(*feed));
    EXPECT_EQ(xmlOf(*reread), xmlOf(*feed));
    // Declared children first, then the generator, then the entries.
    EXPECT_LT(text.find("<title"), text.find("<generator"));
    EXPECT_LT(text.find("<generator"), text.find("<entry"));
}

TEST_F(BatchReply, CopyHasNewEntriesParentedToTheCopy)
{
    auto copy = feed->copy();
    EXPECT_TRUE(copy->isEqual(*feed));
    EXPECT_NE(copy->firstEntry(), feed->firstEntry());
    EXPECT_EQ(copy->firstEntry()->parent(), copy);
}

TEST_F(BatchReply, EntriesMovedFromALaterPageOutliveItsDocument)
{
    auto first = VSFeedBase::feedWithXMLData(data);
    {
        auto later = VSFeedBase::feedWithXMLData(data);
        for (const auto& entry : *later->entries()) {
            entry->setParent(nullptr);
            first->addEntry(entry);
        }
    }
    ASSERT_EQ(first->entries()->size(), 4u);
    auto text = xmlOf(*first);
    EXPECT_NE(text.find("<x:extra>unknown child</x:extra>"), text.rfind("<x:extra>unknown child</x:extra>"));
    auto copy = first->copy();
    EXPECT_TRUE(copy->isEqual(*first));
    EXPECT_FALSE(first->description().empty());
    EXPECT_FALSE(first->entryAtIndex(3)->description().empty());
}

TEST(VSFeedParsing, BytesThatAreNotXMLGiveNoFeed)
{
    EXPECT_EQ(VSFeedBase::feedWithXMLData(dataOf("not xml")), nullptr);
    EXPECT_EQ(VSFeedBase::feedWithXMLData(dataOf("")), nullptr);
}

TEST(VSFeedParsing, OneEntryGivesAListOfOneAndNoEntryNone)
{
    auto one = VSFeedBase::feedWithXMLData(
        dataOf("<feed xmlns='http://www.w3.org/2005/Atom'><entry><title>x</title></entry></feed>"));
    ASSERT_TRUE(one->entries().has_value());
    EXPECT_EQ(one->entries()->size(), 1u);
    auto none = VSFeedBase::feedWithXMLData(dataOf("<feed xmlns='http://www.w3.org/2005/Atom'/>"));
    EXPECT_FALSE(none->entries().has_value());
    EXPECT_EQ(none->firstEntry(), nullptr);
    EXPECT_EQ(none->begin(), none->end());
    EXPECT_EQ(none->nextLink(), nullptr);
}

TEST(VSFeedParsing, EntriesLeaveTheUnknownChildrenAndTheOthersStayInOrder)
{
    std::string text = "<feed xmlns='http://www.w3.org/2005/Atom' xmlns:x='urn:x'>";
    for (int i = 0; i < 300; ++i) {
        text += "<entry><title>e" + std::to_string(i) + "</title></entry>";
        if (i % 100 == 0)
            text += "<x:odd n='" + std::to_string(i) + "'/>";
    }
    text += "</feed>";
    auto feed = VSFeedBase::feedWithXMLData(dataOf(text));
    ASSERT_TRUE(feed);
    ASSERT_EQ(feed->entries()->size(), 300u);
    EXPECT_EQ(feed->entries()->at(299)->title()->stringValue(), "e299");
    const auto& unknown = feed->unknownChildren();
    ASSERT_EQ(unknown.size(), 3u);
    for (size_t i = 0; i < unknown.size(); ++i) {
        auto odd = std::static_pointer_cast<VSXMLElement>(unknown[i]);
        EXPECT_EQ(odd->localName(), "odd");
        EXPECT_EQ(odd->attributeForName("n")->stringValue(), std::to_string(100 * i));
    }
}

TEST(VSFeedEntries, EntriesWithEntriesTakesCopiesAndLeavesTheOtherFeedAlone)
{
    auto source = VSFeedBase::feedWithXMLData(
        dataOf("<feed xmlns='http://www.w3.org/2005/Atom'><entry><title>x</title></entry></feed>"));
    auto target = VSFeedBase::feed();
    target->setEntriesWithEntries(source->entries());
    EXPECT_EQ(source->firstEntry()->parent(), source);
    EXPECT_EQ(target->firstEntry()->parent(), target);
    EXPECT_NE(target->firstEntry(), source->firstEntry());
    target->setEntriesWithEntries(std::nullopt);
    EXPECT_FALSE(target->entries().has_value());
    target->setEntriesWithEntries(VSFeedBase::EntryList());
    ASSERT_TRUE(target->entries().has_value());
    EXPECT_TRUE(target->entries()->empty());
}

TEST(VSFeedEntriesDeathTest, TakingAnotherFeedsEntriesIsAProgrammingError)
{
    auto source = VSFeedBase::feedWithXMLData(
        dataOf("<feed xmlns='http://www.w3.org/2005/Atom'><entry><title>x</title></entry></feed>"));
    auto target = VSFeedBase::feed();
    EXPECT_DEATH(target->setEntries(*source->entries()), "use setEntriesWithEntries");
}

TEST(VSFeedWriting, IconWritesAnAtomIconElement)
{
    auto feed = VSFeedBase::feed();
    feed->setIcon("http://example.com/i.png");
    EXPECT_EQ(feed->icon(), "http://example.com/i.png");
    EXPECT_EQ(xmlOf(*feed), "<feed><icon>http://example.com/i.png</icon></feed>");
}

}  // namespace
}  // namespace zt
