#include "videoservice/VSXMLNode.h"

#include <cstdio>
#include <cstring>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>
#include <map>

#include "platform/foundation/Text.h"
#include "videoservice/VSXMLElement.h"
#include "videoservice/XMLDetail.h"

namespace zt {

using namespace detail;

namespace {

VSXMLNode::Kind kindForType(int type)
{
    using Kind = VSXMLNode::Kind;
    switch (type) {
    case XML_DOCUMENT_NODE:
    case XML_DOCUMENT_TYPE_NODE:
    case XML_DOCUMENT_FRAG_NODE:
    case XML_HTML_DOCUMENT_NODE:
    case XML_DOCB_DOCUMENT_NODE:
        return Kind::Document;
    case XML_ELEMENT_NODE:
        return Kind::Element;
    case XML_ATTRIBUTE_NODE:
        return Kind::Attribute;
    case XML_NAMESPACE_DECL:
        return Kind::Namespace;
    case XML_PI_NODE:
    case XML_XINCLUDE_START:
    case XML_XINCLUDE_END:
        return Kind::ProcessingInstruction;
    case XML_COMMENT_NODE:
        return Kind::Comment;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
        return Kind::Text;
    case XML_DTD_NODE:
        return Kind::DTD;
    case XML_ENTITY_REF_NODE:
    case XML_ENTITY_NODE:
    case XML_ENTITY_DECL:
        return Kind::EntityDeclaration;
    case XML_ATTRIBUTE_DECL:
        return Kind::AttributeDeclaration;
    case XML_ELEMENT_DECL:
        return Kind::ElementDeclaration;
    case XML_NOTATION_NODE:
        return Kind::NotationDeclaration;
    default:
        return Kind::Invalid;
    }
}

}  // namespace

VSXMLNode::VSXMLNode(ConstructionKey, void* node, bool isNamespace, std::shared_ptr<XMLTreeAnchor> anchor)
    : _node(node)
    , _isNamespace(isNamespace)
    , _anchor(std::move(anchor))
{
}

VSXMLNode::~VSXMLNode() = default;

VSXMLNodePtr VSXMLNode::wrap(void* node, bool isNamespace, bool consuming)
{
    if (node == nullptr)
        return nullptr;
    std::shared_ptr<XMLTreeAnchor> anchor;
    if (consuming)
        anchor = std::make_shared<XMLFreeNodeOwner>(node, isNamespace);
    else if (!isNamespace)
        anchor = anchorForNode(asNode(node));
    if (!isNamespace && asNode(node)->type == XML_ELEMENT_NODE)
        return std::make_shared<VSXMLElement>(ConstructionKey {}, node, false, std::move(anchor));
    return std::make_shared<VSXMLNode>(ConstructionKey {}, node, isNamespace, std::move(anchor));
}

VSXMLNodePtr VSXMLNode::nodeConsumingXMLNode(_xmlNode* node)
{
    initializeXMLParser();
    return wrap(node, node != nullptr && node->type == XML_NAMESPACE_DECL, /*consuming=*/true);
}

VSXMLNodePtr VSXMLNode::nodeBorrowingXMLNode(_xmlNode* node)
{
    initializeXMLParser();
    return wrap(node, node != nullptr && node->type == XML_NAMESPACE_DECL, /*consuming=*/false);
}

VSXMLNodePtr VSXMLNode::nodeBorrowingXMLNamespace(void* xmlNamespace)
{
    return wrap(xmlNamespace, /*isNamespace=*/true, /*consuming=*/false);
}

VSXMLElementPtr VSXMLNode::elementWithName(std::string_view name)
{
    initializeXMLParser();
    xmlNodePtr node = xmlNewNode(nullptr, xmlChars(terminated(name).c_str()));
    return std::static_pointer_cast<VSXMLElement>(wrap(node, false, true));
}

VSXMLElementPtr VSXMLNode::elementWithName(std::string_view name, std::string_view stringValue)
{
    initializeXMLParser();
    xmlNodePtr node = xmlNewNode(nullptr, xmlChars(terminated(name).c_str()));
    if (node == nullptr)
        return nullptr;
    std::string text(stringValue);
    xmlNodePtr textNode = xmlNewTextLen(xmlChars(text.data()), static_cast<int>(text.size()));
    if (textNode == nullptr || xmlAddChild(node, textNode) == nullptr) {
        if (textNode != nullptr)
            xmlFreeNode(textNode);
        xmlFreeNode(node);
        return nullptr;
    }
    return std::static_pointer_cast<VSXMLElement>(wrap(node, false, true));
}

VSXMLElementPtr VSXMLNode::elementWithNameURI(std::string_view name, std::string_view URI)
{
    return elementWithName(unresolvedName(URI, name));
}

VSXMLNodePtr VSXMLNode::attributeWithName(std::string_view name, std::string_view stringValue)
{
    initializeXMLParser();
    xmlAttrPtr attribute
        = xmlNewProp(nullptr, xmlChars(terminated(name).c_str()), xmlChars(terminated(stringValue).c_str()));
    return wrap(attribute, false, true);
}

VSXMLNodePtr VSXMLNode::attributeWithName(std::string_view name, std::string_view URI, std::string_view stringValue)
{
    return attributeWithName(unresolvedName(URI, name), stringValue);
}

VSXMLNodePtr VSXMLNode::textWithStringValue(std::string_view text)
{
    initializeXMLParser();
    std::string copy(text);
    return wrap(xmlNewTextLen(xmlChars(copy.data()), static_cast<int>(copy.size())), false, true);
}

VSXMLNodePtr VSXMLNode::namespaceWithName(std::string_view prefix, std::string_view URI)
{
    initializeXMLParser();
    std::string prefixText(prefix);
    xmlNsPtr ns
        = xmlNewNs(nullptr, xmlChars(terminated(URI).c_str()), prefix.empty() ? nullptr : xmlChars(prefixText.c_str()));
    return wrap(ns, true, true);
}

std::string VSXMLNode::localNameForName(std::string_view name)
{
    size_t colon = name.find(':');
    if (colon == std::string_view::npos || colon + 1 == name.size())
        return std::string(name);
    return std::string(name.substr(colon + 1));
}

std::optional<std::string> VSXMLNode::prefixForName(std::string_view name)
{
    size_t colon = name.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    return std::string(name.substr(0, colon));
}

std::optional<std::string> VSXMLNode::stringFromXMLString(const unsigned char* text) const
{
    if (text == nullptr)
        return std::nullopt;
    if (!_isNamespace && _node != nullptr) {
        xmlNodePtr node = asNode(_node);
        if (node->type == XML_ELEMENT_NODE || node->type == XML_ATTRIBUTE_NODE || node->type == XML_TEXT_NODE) {
            if (auto storage = storageForDocument(node->doc))
                return storage->cachedString(chars(text));
        }
    }
    return std::string(chars(text));
}

std::optional<std::string> VSXMLNode::stringValue() const
{
    if (_node == nullptr)
        return std::nullopt;
    if (_isNamespace)
        return stringFromXMLString(static_cast<xmlNsPtr>(_node)->href);
    // Texts are copied out directly: unlike names, they rarely repeat, and
    // caching every one costs more than it shares.
    xmlChar* content = xmlNodeGetContent(asNode(_node));
    if (content == nullptr)
        return std::nullopt;
    std::string result(chars(content));
    xmlFree(content);
    return result;
}

void VSXMLNode::setStringValue(std::string_view text)
{
    if (_node == nullptr)
        return;
    releaseCachedValues();
    std::string value(text);
    if (_isNamespace) {
        auto ns = static_cast<xmlNsPtr>(_node);
        xmlFree(const_cast<xmlChar*>(ns->href));
        ns->href = xmlStrdup(xmlChars(value.c_str()));
        return;
    }
    xmlNodePtr node = asNode(_node);
    if (node->type == XML_ELEMENT_NODE || node->type == XML_ATTRIBUTE_NODE) {
        // xmlNodeSetContent reads entity references in these, so escape first.
        xmlChar* escaped = xmlEncodeSpecialChars(node->doc, xmlChars(value.c_str()));
        xmlNodeSetContent(node, escaped);
        xmlFree(escaped);
    } else {
        xmlNodeSetContent(node, xmlChars(value.c_str()));
    }
}

std::optional<std::string> VSXMLNode::XMLString() const
{
    if (_node == nullptr)
        return std::nullopt;
    std::string text;
    if (_isNamespace) {
        auto ns = static_cast<xmlNsPtr>(_node);
        text = ns->prefix != nullptr ? "xmlns:" + std::string(chars(ns->prefix)) : "xmlns";
        text += "=\"" + std::string(ns->href != nullptr ? chars(ns->href) : "") + "\"";
    } else {
        xmlBufferPtr buffer = xmlBufferCreate();
        if (buffer == nullptr)
            return std::nullopt;
        xmlNodePtr node = asNode(_node);
        int written = xmlNodeDump(buffer, node->doc, node, 0, 0);
        if (written < 0) {
            xmlBufferFree(buffer);
            return std::nullopt;
        }
        text.assign(chars(xmlBufferContent(buffer)), static_cast<size_t>(xmlBufferLength(buffer)));
        xmlBufferFree(buffer);
    }
    return plat::trimmingWhitespace(text);
}

std::optional<std::string> VSXMLNode::localName() const
{
    if (_node == nullptr)
        return std::nullopt;
    if (_isNamespace)
        return prefix();
    const xmlChar* rawName = asNode(_node)->name;
    if (rawName == nullptr)
        return std::nullopt;
    return stringFromXMLString(xmlChars(localNameForName(chars(rawName)).c_str()));
}

std::optional<std::string> VSXMLNode::prefix() const
{
    if (_node == nullptr)
        return std::nullopt;
    if (_isNamespace) {
        auto ns = static_cast<xmlNsPtr>(_node);
        return ns->prefix != nullptr ? stringFromXMLString(ns->prefix) : std::string();
    }
    xmlNsPtr ns = namespaceOfNode(asNode(_node));
    if (ns == nullptr || ns->prefix == nullptr)
        return std::string();
    return stringFromXMLString(ns->prefix);
}

std::optional<std::string> VSXMLNode::URI() const
{
    if (_node == nullptr)
        return std::nullopt;
    if (_isNamespace)
        return stringValue();
    xmlNsPtr ns = namespaceOfNode(asNode(_node));
    if (ns == nullptr)
        return std::nullopt;
    return stringFromXMLString(ns->href);
}

std::optional<std::string> VSXMLNode::qualifiedName() const
{
    if (_node == nullptr)
        return std::nullopt;
    if (_isNamespace)
        return prefix();
    xmlNodePtr node = asNode(_node);
    if (node->name == nullptr)
        return std::nullopt;
    xmlNsPtr ns = namespaceOfNode(node);
    if (ns != nullptr && ns->prefix != nullptr) {
        std::string name = chars(ns->prefix);
        name += ':';
        name += chars(node->name);
        return stringFromXMLString(xmlChars(name.c_str()));
    }
    return stringFromXMLString(node->name);
}

const std::optional<std::string>& VSXMLNode::name() const
{
    if (!_cachedName)
        _cachedName = qualifiedName();
    return *_cachedName;
}

uint64_t VSXMLNode::childCount() const
{
    if (_cachedChildren)
        return _cachedChildren->size();
    if (_node == nullptr || _isNamespace)
        return 0;
    uint64_t count = 0;
    for (xmlNodePtr child = asNode(_node)->children; child != nullptr; child = child->next)
        ++count;
    return count;
}

const VSXMLNodeList& VSXMLNode::children() const
{
    if (_cachedChildren)
        return *_cachedChildren;
    if (_node == nullptr || _isNamespace)
        return emptyList();
    VSXMLNodeList list;
    size_t count = 0;
    for (xmlNodePtr child = asNode(_node)->children; child != nullptr; child = child->next)
        ++count;
    list.reserve(count);
    for (xmlNodePtr child = asNode(_node)->children; child != nullptr; child = child->next) {
        // Children share this wrapper's anchor: they hang in the same tree.
        if (child->type == XML_ELEMENT_NODE)
            list.push_back(std::make_shared<VSXMLElement>(ConstructionKey {}, child, false, _anchor));
        else
            list.push_back(std::make_shared<VSXMLNode>(ConstructionKey {}, child, false, _anchor));
    }
    _cachedChildren = std::move(list);
    return *_cachedChildren;
}

VSXMLNodePtr VSXMLNode::childAtIndex(uint32_t index) const
{
    const auto& list = children();
    return index < list.size() ? list[index] : nullptr;
}

VSXMLNode::Kind VSXMLNode::kind() const
{
    if (_node == nullptr)
        return Kind::Invalid;
    if (_isNamespace)
        return Kind::Namespace;
    return kindForType(asNode(_node)->type);
}

plat::Result<VSXMLNodeList> VSXMLNode::nodesForXPath(std::string_view expression) const
{
    return runXPath(expression, nullptr);
}

plat::Result<VSXMLNodeList> VSXMLNode::nodesForXPath(
    std::string_view expression, const VSXMLNamespaceMap& namespaces) const
{
    return runXPath(expression, &namespaces);
}

plat::Result<VSXMLNodeList> VSXMLNode::runXPath(std::string_view expression, const VSXMLNamespaceMap* namespaces) const
{
    auto invalid = [] {
        return plat::Error(kVSXMLErrorDomain, -1, "invalid node", plat::Dictionary {{"error", "invalid node"}});
    };
    if (_node == nullptr || _isNamespace)
        return invalid();
    xmlNodePtr node = asNode(_node);
    xmlDocPtr document = node->type == XML_DOCUMENT_NODE ? reinterpret_cast<xmlDocPtr>(node) : node->doc;
    xmlDocPtr temporaryDocument = nullptr;
    xmlNodePtr temporaryRoot = nullptr;
    if (document == nullptr) {
        temporaryRoot = node;
        while (temporaryRoot->parent != nullptr)
            temporaryRoot = temporaryRoot->parent;
        if (temporaryRoot->type != XML_ELEMENT_NODE)
            return invalid();
        temporaryDocument = xmlNewDoc(nullptr);
        if (temporaryDocument == nullptr)
            return invalid();
        xmlDocSetRootElement(temporaryDocument, temporaryRoot);
        document = temporaryDocument;
    }
    auto restoreTree = [&] {
        if (temporaryDocument == nullptr)
            return;
        xmlUnlinkNode(temporaryRoot);
        xmlSetTreeDoc(temporaryRoot, nullptr);
        xmlFreeDoc(temporaryDocument);
    };

    xmlXPathContextPtr context = xmlXPathNewContext(document);
    if (context == nullptr) {
        restoreTree();
        return plat::Error(kVSXMLErrorDomain, -1, "cannot make an XPath context");
    }
    context->node = node;
    if (namespaces != nullptr) {
        for (const auto& [prefix, URI] : *namespaces)
            xmlXPathRegisterNs(context, xmlChars(prefix.c_str()), xmlChars(URI.c_str()));
    } else {
        xmlNodePtr element = node->type == XML_DOCUMENT_NODE ? xmlDocGetRootElement(document) : node;
        xmlNsPtr ns = element != nullptr ? namespaceOfNode(element) : nullptr;
        for (; ns != nullptr; ns = ns->next) {
            if (ns->href == nullptr)
                continue;
            xmlXPathRegisterNs(context, ns->prefix != nullptr ? ns->prefix : xmlChars("_def_ns"), ns->href);
        }
    }
    std::string text(expression);
    xmlXPathObjectPtr result = xmlXPathEvalExpression(xmlChars(text.c_str()), context);
    std::optional<plat::Error> error;
    VSXMLNodeList nodes;
    if (result == nullptr) {
        const xmlError& last = context->lastError;
        plat::Dictionary userInfo;
        std::string message = "XPath evaluation failed";
        if (last.str1 != nullptr) {
            userInfo.set("error", std::string(last.str1));
            message = last.str1;
        }
        error = plat::Error(kVSXMLErrorDomain, last.code, message, userInfo);
    } else {
        xmlNodeSetPtr set = result->nodesetval;
        for (int i = 0; set != nullptr && i < set->nodeNr; ++i) {
            xmlNodePtr found = set->nodeTab[i];
            if (found->type == XML_NAMESPACE_DECL) {
                // XPath hands out namespace nodes as copies that die with the result.
                xmlNsPtr copy = xmlCopyNamespace(reinterpret_cast<xmlNsPtr>(found));
                if (auto wrapper = wrap(copy, true, true))
                    nodes.push_back(std::move(wrapper));
            } else if (found == node) {
                nodes.push_back(std::const_pointer_cast<VSXMLNode>(shared_from_this()));
            } else {
                auto wrapper = wrap(found, false, false);
                if (temporaryDocument != nullptr && !wrapper->_anchor)
                    wrapper->_anchor = _anchor;
                nodes.push_back(std::move(wrapper));
            }
        }
        xmlXPathFreeObject(result);
    }
    xmlXPathFreeContext(context);
    restoreTree();
    if (error)
        return *error;
    return nodes;
}

std::string VSXMLNode::description() const
{
    char identity[32];
    std::snprintf(identity, sizeof identity, "%p", static_cast<const void*>(this));
    int type = -1;
    if (_node != nullptr)
        type = _isNamespace ? XML_NAMESPACE_DECL : asNode(_node)->type;
    return std::string(kind() == Kind::Element ? "VSXMLElement" : "VSXMLNode") + " " + identity
        + ": {type:" + std::to_string(type) + " name:" + name().value_or("(null)") + " xml:\""
        + XMLString().value_or("(null)") + "\"}";
}

VSXMLNodePtr VSXMLNode::copy() const
{
    if (_node == nullptr)
        return nullptr;
    if (_isNamespace)
        return wrap(xmlCopyNamespace(static_cast<xmlNsPtr>(_node)), true, true);
    return wrap(copyNodeDeep(asNode(_node)), false, true);
}

bool VSXMLNode::isEqual(const VSXMLNode& other) const
{
    if (this == &other || (_node != nullptr && _node == other._node))
        return true;
    return kind() == other.kind() && name() == other.name() && childCount() == other.childCount();
}

_xmlNode* VSXMLNode::XMLNodeCopy() const
{
    if (_node == nullptr || _isNamespace)
        return nullptr;
    return copyNodeDeep(asNode(_node));
}

bool VSXMLNode::shouldFreeXMLNode() const
{
    auto owner = dynamic_cast<XMLFreeNodeOwner*>(_anchor.get());
    return owner != nullptr && owner->ownsNode() && owner->node() == _node;
}

void VSXMLNode::setShouldFreeXMLNode(bool shouldFree)
{
    if (_node == nullptr || shouldFree == shouldFreeXMLNode())
        return;
    if (shouldFree) {
        if (!_isNamespace && (asNode(_node)->parent != nullptr || asNode(_node)->doc != nullptr))
            return;  // a node inside a tree belongs to the tree
        _anchor = std::make_shared<XMLFreeNodeOwner>(_node, _isNamespace);
    } else {
        static_cast<XMLFreeNodeOwner*>(_anchor.get())->releaseNode();
        _anchor.reset();
    }
}

void VSXMLNode::releaseCachedValues()
{
    _cachedName.reset();
    _cachedChildren.reset();
    _cachedAttributes.reset();
}

std::string VSXMLNode::unresolvedName(std::string_view URI, std::string_view name)
{
    std::string result = "{";
    result += URI;
    result += "}:";
    result += localNameForName(name);
    return result;
}

const VSXMLNodeList& VSXMLNode::emptyList()
{
    static const VSXMLNodeList empty;
    return empty;
}

}  // namespace zt
