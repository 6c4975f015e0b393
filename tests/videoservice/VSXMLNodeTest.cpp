#include <gtest/gtest.h>

#include "videoservice/VSXMLDocument.h"
#include "videoservice/VSXMLElement.h"

namespace zt {
namespace {

std::shared_ptr<VSXMLDocument> parse(std::string_view text)
{
    auto document = VSXMLDocument::initWithXMLString(text);
    EXPECT_TRUE(document.ok());
    return document.ok() ? document.value() : nullptr;
}

TEST(VSXMLNodeNames, LocalNameAndPrefixSplitAtTheFirstColon)
{
    EXPECT_EQ(VSXMLNode::localNameForName("media:group"), "group");
    EXPECT_EQ(VSXMLNode::localNameForName("group"), "group");
    EXPECT_EQ(VSXMLNode::localNameForName("media:"), "media:");
    EXPECT_EQ(VSXMLNode::prefixForName("media:group"), "media");
    EXPECT_EQ(VSXMLNode::prefixForName("group"), std::nullopt);
}

TEST(VSXMLNodeChildren, ElementWithoutChildrenHasNone)
{
    auto element = VSXMLNode::elementWithName("empty");
    EXPECT_TRUE(element->children().empty());
    EXPECT_EQ(element->childCount(), 0u);
    EXPECT_EQ(element->childAtIndex(0), nullptr);
}

TEST(VSXMLNodeChildren, ChildrenAreTheSameWrappersUntilTheNodeChanges)
{
    auto document = parse("<a><b/><c/></a>");
    auto root = document->rootElement();
    auto first = root->children();
    EXPECT_EQ(root->children()[0].get(), first[0].get());
    EXPECT_EQ(root->childAtIndex(1).get(), first[1].get());
    root->addChild(*VSXMLNode::elementWithName("d"));
    EXPECT_NE(root->children()[0].get(), first[0].get());
    EXPECT_EQ(root->childCount(), 3u);
}

TEST(VSXMLNodeText, XMLStringDropsSurroundingWhiteSpace)
{
    auto element = VSXMLNode::elementWithName("a");
    element->addChild(*VSXMLNode::textWithStringValue("  x  "));
    EXPECT_EQ(element->stringValue(), "  x  ");
    auto text = element->childAtIndex(0);
    EXPECT_EQ(text->XMLString(), "x");
}

TEST(VSXMLNodeParsing, CDATABecomesTextAndBlankTextIsDropped)
{
    auto document = parse("<a>\n  <b><![CDATA[<raw> & text]]></b>\n</a>");
    auto root = document->rootElement();
    ASSERT_EQ(root->childCount(), 1u);
    auto b = root->childAtIndex(0);
    ASSERT_EQ(b->childCount(), 1u);
    EXPECT_EQ(b->childAtIndex(0)->kind(), VSXMLNode::Kind::Text);
    EXPECT_EQ(b->stringValue(), "<raw> & text");
}

TEST(VSXMLNodeParsing, MalformedTextIsAnErrorWithCodeMinusOne)
{
    auto document = VSXMLDocument::initWithXMLString("<a><b></a>");
    ASSERT_FALSE(document.ok());
    EXPECT_EQ(document.error().domain(), kVSXMLErrorDomain);
    EXPECT_EQ(document.error().code(), -1);
    EXPECT_FALSE(VSXMLElement::elementWithXMLString("").ok());
}

TEST(VSXMLNodeParsing, DocumentTypesAndTheirEntitiesAreRefused)
{
    const char* laughs = "<?xml version='1.0'?><!DOCTYPE a [<!ENTITY l0 'ha'><!ENTITY l1 '&l0;&l0;&l0;&l0;'>"
                         "<!ENTITY l2 '&l1;&l1;&l1;&l1;'>]><a>&l2;</a>";
    EXPECT_FALSE(VSXMLDocument::initWithXMLString(laughs).ok());
    const char* external = "<?xml version='1.0'?><!DOCTYPE a [<!ENTITY e SYSTEM 'file:///etc/passwd'>]><a>&e;</a>";
    EXPECT_FALSE(VSXMLDocument::initWithXMLString(external).ok());
}

TEST(VSXMLNodeParsing, AbsurdNestingIsAnError)
{
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "<a>";
    for (int i = 0; i < 5000; ++i)
        text += "</a>";
    EXPECT_FALSE(VSXMLDocument::initWithXMLString(text).ok());
}

TEST(VSXMLNodeParsing, DocumentsAboveSevenMebibytesAreRefusedUnread)
{
    // A parsed feed costs up to 140 bytes of memory per input byte: 7 MiB
    // (7,340,032 bytes) keeps a hostile one near 1 GB.
    auto documentOfSize = [](size_t bytes) { return "<a>" + std::string(bytes - 7, 'x') + "</a>"; };
    EXPECT_TRUE(VSXMLDocument::initWithXMLString(documentOfSize(7340032)).ok());
    auto refused = VSXMLDocument::initWithXMLString(documentOfSize(7340033));
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.error().localizedDescription().find("7340032"), std::string::npos)
        << refused.error().localizedDescription();
}

TEST(VSXMLNodeXPath, DetachedSubtreeIsQueriedThroughATemporaryDocument)
{
    auto element = VSXMLElement::elementWithXMLString("<a><b>1</b><b>2</b></a>").value();
    auto found = element->nodesForXPath("b");
    ASSERT_TRUE(found.ok());
    ASSERT_EQ(found.value().size(), 2u);
    EXPECT_EQ(found.value()[1]->stringValue(), "2");
    // Still detached: a second query again sees the element as its own root.
    auto again = element->nodesForXPath("/a/b");
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again.value().size(), 2u);
    EXPECT_EQ(element->XMLString(), "<a><b>1</b><b>2</b></a>");
}

TEST(VSXMLNodeXPath, DefaultNamespaceIsRegisteredUnderItsOwnPrefix)
{
    auto document = parse("<feed xmlns='http://www.w3.org/2005/Atom'><entry/><entry/></feed>");
    auto found = document->nodesForXPath("/_def_ns:feed/_def_ns:entry");
    ASSERT_TRUE(found.ok());
    EXPECT_EQ(found.value().size(), 2u);
    EXPECT_FALSE(document->nodesForXPath("///[").ok());
}

TEST(VSXMLNodeLifetime, BorrowedNodesKeepTheirDocumentAlive)
{
    VSXMLNodePtr title;
    {
        auto document = parse("<feed><title>Kept</title></feed>");
        title = document->rootElement()->childAtIndex(0);
    }
    EXPECT_EQ(title->stringValue(), "Kept");
    EXPECT_EQ(title->XMLString(), "<title>Kept</title>");
}

TEST(VSXMLNodeLifetime, RemovedChildStaysUsableThroughOtherWrappers)
{
    auto element = VSXMLElement::elementWithXMLString("<a><b>x</b></a>").value();
    auto child = element->childAtIndex(0);
    auto again = element->elementsForName("b");
    element->removeChild(*child);
    EXPECT_EQ(element->childCount(), 0u);
    EXPECT_EQ(again[0]->stringValue(), "x");
}

TEST(VSXMLNodeDocument, WritesTheDeclarationAndRoot)
{
    auto root = VSXMLNode::elementWithName("entry", "é");
    VSXMLDocument document(*root);
    document.setCharacterEncoding("UTF-8");
    auto data = document.XMLData();
    ASSERT_TRUE(data.has_value());
    std::string text(data->begin(), data->end());
    EXPECT_EQ(text, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<entry>é</entry>\n");
}

TEST(VSXMLNodeEquality, SameKindNameAndChildCountAreEqual)
{
    auto left = VSXMLElement::elementWithXMLString("<a><b>1</b></a>").value();
    auto right = VSXMLElement::elementWithXMLString("<a><c>2</c></a>").value();
    auto other = VSXMLElement::elementWithXMLString("<a/>").value();
    EXPECT_TRUE(left->isEqual(*right));
    EXPECT_FALSE(left->isEqual(*other));
}

}  // namespace
}  // namespace zt

namespace zt {
namespace {

TEST(VSXMLNodeNamespaces, PrefixAndURIOfNodesAndDeclarations)
{
    auto document = parse("<a:root xmlns:a='urn:a' xmlns='urn:default'><child/><a:other/></a:root>");
    auto root = document->rootElement();
    EXPECT_EQ(root->prefix(), "a");
    EXPECT_EQ(root->URI(), "urn:a");
    EXPECT_EQ(root->qualifiedName(), "a:root");
    EXPECT_EQ(root->localName(), "root");
    auto child = root->childAtIndex(0);
    EXPECT_EQ(child->prefix(), "");
    EXPECT_EQ(child->URI(), "urn:default");
    auto declarations = root->namespaces();
    ASSERT_EQ(declarations.size(), 2u);
    EXPECT_EQ(declarations[0]->kind(), VSXMLNode::Kind::Namespace);
    EXPECT_EQ(declarations[0]->name(), "a");
    EXPECT_EQ(declarations[0]->stringValue(), "urn:a");
    EXPECT_EQ(declarations[1]->name(), "");
    EXPECT_EQ(root->resolvePrefixForNamespaceURI("urn:default"), "");
    EXPECT_EQ(root->resolvePrefixForNamespaceURI("urn:a"), "a");
    EXPECT_EQ(root->resolvePrefixForNamespaceURI("urn:none"), std::nullopt);
}

TEST(VSXMLNodeText, SettingTextEscapesMarkupAndReplacesChildren)
{
    auto element = VSXMLElement::elementWithXMLString("<a><b/>old</a>").value();
    element->setStringValue("x < y & z");
    EXPECT_EQ(element->childCount(), 1u);
    EXPECT_EQ(element->stringValue(), "x < y & z");
    EXPECT_EQ(element->XMLString(), "<a>x &lt; y &amp; z</a>");
    element->addStringValue("\x07!");
    EXPECT_EQ(element->stringValue(), "x < y & z!");
}

TEST(VSXMLNodeXPath, ExplicitNamespacesAndFailures)
{
    auto document = parse("<feed xmlns='urn:atom'><entry><title>a</title></entry></feed>");
    auto titles = document->nodesForXPath("//atom:title", {{"atom", "urn:atom"}});
    ASSERT_TRUE(titles.ok());
    ASSERT_EQ(titles.value().size(), 1u);
    EXPECT_EQ(titles.value().front()->stringValue(), "a");
    auto none = document->nodesForXPath("//nothing");
    ASSERT_TRUE(none.ok());
    EXPECT_TRUE(none.value().empty());
    auto broken = document->nodesForXPath("//atom:title");
    ASSERT_FALSE(broken.ok());
    EXPECT_EQ(broken.error().domain(), kVSXMLErrorDomain);
}

TEST(VSXMLNodeCopies, CopiesOwnTheirNodeAndLeaveTheOriginal)
{
    auto document = parse("<a><b x='1'>t</b></a>");
    auto b = document->rootElement()->childAtIndex(0);
    EXPECT_FALSE(b->shouldFreeXMLNode());
    auto copy = b->copy();
    EXPECT_TRUE(copy->shouldFreeXMLNode());
    EXPECT_EQ(copy->kind(), VSXMLNode::Kind::Element);
    std::static_pointer_cast<VSXMLElement>(copy)->addChild(*VSXMLNode::elementWithName("c"));
    EXPECT_EQ(b->XMLString(), "<b x=\"1\">t</b>");
    EXPECT_EQ(copy->XMLString(), "<b x=\"1\">t<c/></b>");
    EXPECT_NE(copy->description().find("name:b"), std::string::npos);
}

}  // namespace
}  // namespace zt
