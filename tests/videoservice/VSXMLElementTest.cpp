#include <gtest/gtest.h>

#include "videoservice/VSXMLDocument.h"
#include "videoservice/VSXMLElement.h"

namespace zt {
namespace {

constexpr const char* kAtom = "http://www.w3.org/2005/Atom";

std::shared_ptr<VSXMLDocument> parse(std::string_view text)
{
    auto document = VSXMLDocument::initWithXMLString(text);
    EXPECT_TRUE(document.ok());
    return document.ok() ? document.value() : nullptr;
}

TEST(VSXMLElementGrafting, UnprefixedElementTakesTheDefaultNamespaceOfTheGraftPoint)
{
    auto document = parse("<feed xmlns='http://www.w3.org/2005/Atom'/>");
    auto root = document->rootElement();
    auto child = VSXMLNode::elementWithName("title", "Cats");
    root->addChild(*child);
    auto found = root->elementsForLocalName("title", kAtom);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0]->URI(), kAtom);
    EXPECT_EQ(found[0]->XMLString(), "<title>Cats</title>");
    // The argument keeps its own node.
    EXPECT_EQ(child->URI(), std::nullopt);
}

TEST(VSXMLElementGrafting, UndeclaredURIKeepsTheUnresolvedNameAndIsStillFound)
{
    auto root = VSXMLNode::elementWithName("entry");
    auto child = VSXMLNode::elementWithNameURI("yt:private", "urn:yt");
    root->addChild(*child);
    auto found = root->elementsForLocalName("private", "urn:yt");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0]->name(), "{urn:yt}:private");
}

TEST(VSXMLElementGrafting, RepeatedDeclarationOfTheGraftPointIsDropped)
{
    auto document = parse("<feed xmlns='http://www.w3.org/2005/Atom' xmlns:yt='urn:yt'/>");
    auto root = document->rootElement();
    auto child = VSXMLElement::elementWithXMLString("<yt:stats xmlns:yt='urn:yt'><yt:count>3</yt:count></yt:stats>");
    ASSERT_TRUE(child.ok());
    root->addChild(*child.value());
    auto stats = root->elementsForLocalName("stats", "urn:yt");
    ASSERT_EQ(stats.size(), 1u);
    auto element = std::static_pointer_cast<VSXMLElement>(stats[0]);
    EXPECT_TRUE(element->namespaces().empty());
    EXPECT_EQ(element->elementsForLocalName("count", "urn:yt").size(), 1u);
    EXPECT_EQ(element->XMLString(), "<yt:stats><yt:count>3</yt:count></yt:stats>");
}

TEST(VSXMLElementAttributes, AddingAnExistingNameKeepsTheFirstValue)
{
    auto element = VSXMLNode::elementWithName("link");
    element->addAttribute(*VSXMLNode::attributeWithName("rel", "self"));
    element->addAttribute(*VSXMLNode::attributeWithName("rel", "next"));
    ASSERT_EQ(element->attributes().size(), 1u);
    EXPECT_EQ(element->attributeForName("rel")->stringValue(), "self");
}

TEST(VSXMLElementNamespaces, ElementsForNameResolvesADeclaredPrefix)
{
    auto document = parse("<root xmlns:m='urn:media'><m:group/><m:group/><group/></root>");
    auto root = document->rootElement();
    EXPECT_EQ(root->elementsForName("m:group").size(), 2u);
    EXPECT_EQ(root->elementsForName("group").size(), 1u);
    EXPECT_EQ(root->elementsForName("x:group").size(), 0u);
    EXPECT_EQ(root->elementsForLocalName("group", "urn:media").size(), 2u);
}

TEST(VSXMLElementNamespaces, SetNamespacesKeepsNodesThatStillUseARemovedDeclaration)
{
    auto element
        = VSXMLElement::elementWithXMLString("<m:group xmlns:m='urn:media'><m:title>t</m:title></m:group>").value();
    element->setNamespaces({VSXMLNode::namespaceWithName("yt", "urn:yt")});
    EXPECT_EQ(element->URI(), "urn:media");
    EXPECT_EQ(element->elementsForLocalName("title", "urn:media").size(), 1u);
    auto text = element->XMLString().value_or("");
    EXPECT_NE(text.find("xmlns:yt=\"urn:yt\""), std::string::npos) << text;
    EXPECT_NE(text.find("xmlns:m=\"urn:media\""), std::string::npos) << text;
}

TEST(VSXMLElementAttributes, LookupsByPrefixLocalNameAndUnresolvedForm)
{
    auto document = parse("<e xmlns:gd='urn:gd' gd:etag='W/1' plain='p'/>");
    auto root = document->rootElement();
    EXPECT_EQ(root->attributeForName("gd:etag")->stringValue(), "W/1");
    EXPECT_EQ(root->attributeForLocalName("etag", "urn:gd")->stringValue(), "W/1");
    EXPECT_EQ(root->attributeForName("plain")->stringValue(), "p");
    // The raw name alone matches whatever the namespace.
    EXPECT_EQ(root->attributeForName("etag")->stringValue(), "W/1");
    EXPECT_EQ(root->attributeForName("other:plain"), nullptr);
    auto free = VSXMLNode::elementWithName("e");
    free->addAttribute(*VSXMLNode::attributeWithName("gd:etag", "urn:gd", "W/2"));
    EXPECT_EQ(free->attributeForLocalName("etag", "urn:gd")->stringValue(), "W/2");
    EXPECT_EQ(free->attributeForName("{urn:gd}:etag")->stringValue(), "W/2");
}

}  // namespace
}  // namespace zt
