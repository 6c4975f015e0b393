#include "videoservice/VSXMLNode.h"

#include <cstdio>
#include <cstring>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>
#include <map>

#include "platform/foundation/Text.h"
#include "videoservice/VSUtilities.h"
#include "videoservice/XMLDetail.h"

namespace zt {

using namespace detail;

namespace {

xmlNodePtr asNode(void* node)
{
    return static_cast<xmlNodePtr>(node);
}

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

bool sameOptionalText(const xmlChar* left, const xmlChar* right)
{
    if (left == nullptr || right == nullptr)
        return left == right;
    return xmlStrEqual(left, right) != 0;
}

std::string unresolvedName(std::string_view URI, std::string_view name)
{
    std::string result = "{";
    result += URI;
    result += "}:";
    result += VSXMLNode::localNameForName(name);
    return result;
}

// Namespace fix-up of a node grafted below graftPoint: names written as
// "{URI}:local" or "prefix:local" take the declaration in scope, and
// declarations that repeat one in scope are dropped.
void fixQualifiedNames(xmlNodePtr node, xmlNodePtr graftPoint)
{
    const char* name = chars(node->name);
    if (name == nullptr)
        return;
    std::string_view fullName(name);
    size_t colon = fullName.rfind(':');
    std::optional<std::string> prefix;
    std::string local;
    if (colon == std::string_view::npos) {
        local = std::string(fullName);
    } else if (colon == fullName.size() - 1) {
        return;
    } else if (colon == 0) {
        local = std::string(fullName.substr(1));
    } else {
        prefix = std::string(fullName.substr(0, colon));
        local = std::string(fullName.substr(colon + 1));
    }
    xmlNsPtr found = nullptr;
    if (prefix && prefix->size() >= 3 && prefix->front() == '{' && prefix->back() == '}') {
        std::string URI = prefix->substr(1, prefix->size() - 2);
        found = xmlSearchNsByHref(graftPoint->doc, graftPoint, xmlChars(URI.c_str()));
    } else {
        found = xmlSearchNs(graftPoint->doc, graftPoint, prefix ? xmlChars(prefix->c_str()) : nullptr);
    }
    if (found == nullptr)
        return;
    node->ns = found;
    xmlNodeSetName(node, xmlChars(local.c_str()));
}

using NamespaceSubstitutions = std::map<xmlNsPtr, xmlNsPtr>;

void fixDuplicateNamespaces(xmlNodePtr node, xmlNodePtr graftPoint, NamespaceSubstitutions& substitutions)
{
    if (node->type == XML_ELEMENT_NODE) {
        xmlNsPtr previous = nullptr;
        xmlNsPtr declaration = node->nsDef;
        while (declaration != nullptr) {
            xmlNsPtr next = declaration->next;
            xmlNsPtr inScope = declaration->href != nullptr
                ? xmlSearchNsByHref(graftPoint->doc, graftPoint, declaration->href)
                : nullptr;
            if (inScope != nullptr && inScope != declaration
                && sameOptionalText(inScope->prefix, declaration->prefix)) {
                substitutions[declaration] = inScope;
                if (previous == nullptr)
                    node->nsDef = next;
                else
                    previous->next = next;
                declaration->next = nullptr;
                xmlFreeNs(declaration);
            } else {
                previous = declaration;
            }
            declaration = next;
        }
    }
    auto substitute = substitutions.find(node->ns);
    if (node->ns != nullptr && substitute != substitutions.end())
        node->ns = substitute->second;
}

void fixUpNamespaces(xmlNodePtr node, xmlNodePtr graftPoint, NamespaceSubstitutions& substitutions)
{
    if (node->type != XML_ELEMENT_NODE && node->type != XML_ATTRIBUTE_NODE)
        return;
    if (node->ns == nullptr)
        fixQualifiedNames(node, graftPoint);
    fixDuplicateNamespaces(node, graftPoint, substitutions);
    if (node->type != XML_ELEMENT_NODE)
        return;
    for (xmlNodePtr child = node->children; child != nullptr; child = child->next)
        fixUpNamespaces(child, graftPoint, substitutions);
    for (xmlAttrPtr attribute = node->properties; attribute != nullptr; attribute = attribute->next)
        fixUpNamespaces(reinterpret_cast<xmlNodePtr>(attribute), graftPoint, substitutions);
}

void fixUpNamespacesForNode(xmlNodePtr node, xmlNodePtr graftPoint)
{
    NamespaceSubstitutions substitutions;
    fixUpNamespaces(node, graftPoint, substitutions);
}

const VSXMLNodeList& emptyList()
{
    static const VSXMLNodeList empty;
    return empty;
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

// VSXMLElement

plat::Result<VSXMLElementPtr> VSXMLElement::elementWithXMLString(std::string_view text)
{
    xmlDocPtr document = parseXMLDocument(text.data(), text.size());
    if (document == nullptr)
        return plat::Error(kVSXMLErrorDomain, -1, "The XML text could not be parsed.");
    xmlNodePtr copy = copyNodeDeep(xmlDocGetRootElement(document));
    xmlFreeDoc(document);
    if (copy == nullptr)
        return plat::Error(kVSXMLErrorDomain, -1, "The XML text could not be copied.");
    return std::static_pointer_cast<VSXMLElement>(wrap(copy, false, true));
}

VSXMLElementPtr VSXMLElement::elementWithName(
    std::string_view name, std::string_view attributeName, std::string_view attributeValue)
{
    auto element = VSXMLNode::elementWithName(name);
    if (element == nullptr)
        return nullptr;
    std::string filtered = VSUtilities::stringWithControlsFilteredForString(attributeValue);
    xmlNewProp(asNode(element->_node), xmlChars(terminated(attributeName).c_str()), xmlChars(filtered.c_str()));
    return element;
}

VSXMLNodeList VSXMLElement::namespaces() const
{
    VSXMLNodeList list;
    if (_node == nullptr)
        return list;
    for (xmlNsPtr ns = asNode(_node)->nsDef; ns != nullptr; ns = ns->next) {
        if (ns->prefix != nullptr && xmlStrEqual(ns->prefix, xmlChars("xml")))
            continue;
        list.push_back(std::make_shared<VSXMLNode>(ConstructionKey {}, ns, true, _anchor));
    }
    return list;
}

namespace {
void remapNamespaceUsers(xmlNodePtr node, const std::map<xmlNsPtr, xmlNsPtr>& replacements)
{
    if (node->type != XML_ELEMENT_NODE && node->type != XML_ATTRIBUTE_NODE)
        return;
    auto found = replacements.find(node->ns);
    if (node->ns != nullptr && found != replacements.end())
        node->ns = found->second;
    if (node->type != XML_ELEMENT_NODE)
        return;
    for (xmlNodePtr child = node->children; child != nullptr; child = child->next)
        remapNamespaceUsers(child, replacements);
    for (xmlAttrPtr attribute = node->properties; attribute != nullptr; attribute = attribute->next)
        remapNamespaceUsers(reinterpret_cast<xmlNodePtr>(attribute), replacements);
}

bool isUsedBelow(xmlNodePtr node, xmlNsPtr ns)
{
    if (node->type != XML_ELEMENT_NODE && node->type != XML_ATTRIBUTE_NODE)
        return false;
    if (node->ns == ns)
        return true;
    if (node->type != XML_ELEMENT_NODE)
        return false;
    for (xmlNodePtr child = node->children; child != nullptr; child = child->next) {
        if (isUsedBelow(child, ns))
            return true;
    }
    for (xmlAttrPtr attribute = node->properties; attribute != nullptr; attribute = attribute->next) {
        if (isUsedBelow(reinterpret_cast<xmlNodePtr>(attribute), ns))
            return true;
    }
    return false;
}
}  // namespace

void VSXMLElement::setNamespaces(const VSXMLNodeList& namespaces)
{
    if (_node == nullptr)
        return;
    releaseCachedValues();
    xmlNodePtr node = asNode(_node);
    xmlNsPtr removed = node->nsDef;
    node->nsDef = nullptr;
    for (const auto& ns : namespaces) {
        if (ns == nullptr || !ns->_isNamespace || ns->_node == nullptr)
            continue;
        auto record = static_cast<xmlNsPtr>(ns->_node);
        xmlNewNs(node, record->href, record->prefix);
    }
    // Nodes still using a removed declaration move to the new one of the same
    // prefix and URI, or keep a fresh copy of it, so no node is left dangling.
    std::map<xmlNsPtr, xmlNsPtr> replacements;
    for (xmlNsPtr old = removed; old != nullptr; old = old->next) {
        if (!isUsedBelow(node, old))
            continue;
        xmlNsPtr replacement = nullptr;
        for (xmlNsPtr fresh = node->nsDef; fresh != nullptr; fresh = fresh->next) {
            if (sameOptionalText(fresh->prefix, old->prefix) && sameOptionalText(fresh->href, old->href))
                replacement = fresh;
        }
        if (replacement == nullptr)
            replacement = xmlNewNs(node, old->href, old->prefix);
        replacements[old] = replacement;
    }
    remapNamespaceUsers(node, replacements);
    xmlFreeNsList(removed);
    fixUpNamespacesForNode(node, node);
}

void VSXMLElement::addNamespace(const VSXMLNode& xmlNamespace)
{
    if (_node == nullptr || !xmlNamespace._isNamespace || xmlNamespace._node == nullptr)
        return;
    releaseCachedValues();
    auto record = static_cast<xmlNsPtr>(xmlNamespace._node);
    xmlNewNs(asNode(_node), record->href, record->prefix);
    fixUpNamespacesForNode(asNode(_node), asNode(_node));
}

void VSXMLElement::addChild(const VSXMLNode& child)
{
    if (_node == nullptr || child._node == nullptr)
        return;
    if (child._isNamespace) {
        addNamespace(child);
        return;
    }
    if (asNode(child._node)->type == XML_ATTRIBUTE_NODE) {
        addAttribute(child);
        return;
    }
    releaseCachedValues();
    xmlNodePtr copy = copyNodeDeep(asNode(child._node));
    if (copy == nullptr)
        return;
    // Adjacent text merges: libxml2 then frees the copy itself.
    xmlNodePtr added = xmlAddChild(asNode(_node), copy);
    if (added == nullptr) {
        xmlFreeNode(copy);
        return;
    }
    if (added->type == XML_ELEMENT_NODE)
        fixUpNamespacesForNode(added, asNode(_node));
}

void VSXMLElement::removeChild(VSXMLNode& child)
{
    if (_node == nullptr || child._node == nullptr || child._isNamespace)
        return;
    xmlNodePtr node = asNode(child._node);
    if (node->parent != asNode(_node))
        return;
    releaseCachedValues();
    xmlUnlinkNode(node);
    if (child.shouldFreeXMLNode())
        return;
    // Other wrappers may still point into the removed subtree: it stays
    // allocated until the tree it came from goes.
    if (_anchor != nullptr)
        _anchor->keepDetachedNode(node);
    else
        child._anchor = std::make_shared<XMLFreeNodeOwner>(node, false);
}

VSXMLNodeList VSXMLElement::elementsForName(std::string_view name) const
{
    VSXMLNodeList result;
    if (_node == nullptr)
        return result;
    xmlNodePtr node = asNode(_node);
    if (auto prefix = prefixForName(name)) {
        xmlNsPtr ns = xmlSearchNs(node->doc, node, xmlChars(prefix->c_str()));
        if (ns != nullptr && ns->href != nullptr)
            return elementsForLocalName(localNameForName(name), chars(ns->href));
    }
    for (const auto& child : children()) {
        if (child->kind() == Kind::Element && child->name() == name)
            result.push_back(child);
    }
    return result;
}

VSXMLNodeList VSXMLElement::elementsForLocalName(std::string_view localName, std::string_view URI) const
{
    VSXMLNodeList result;
    if (_node == nullptr || asNode(_node)->children == nullptr)
        return result;
    xmlNodePtr node = asNode(_node);
    std::string URIText(URI);
    std::string_view local = localName;
    // The unresolved form is made only when the URI is not declared.
    std::optional<std::string> unresolved;
    auto unresolvedForm = [&]() -> std::string_view {
        if (!unresolved)
            unresolved = unresolvedName(URI, localName);
        return *unresolved;
    };
    xmlNsPtr expectedNamespace = xmlSearchNsByHref(node->doc, node, xmlChars(URIText.c_str()));
    for (const auto& child : children()) {
        xmlNodePtr childNode = asNode(child->_node);
        if (childNode->type != XML_ELEMENT_NODE || childNode->name == nullptr)
            continue;
        xmlNsPtr childExpected = expectedNamespace;
        if (childNode->nsDef != nullptr)
            childExpected = xmlSearchNsByHref(childNode->doc, childNode, xmlChars(URIText.c_str()));
        if (childNode->ns != childExpected)
            continue;
        std::string_view name(chars(childNode->name));
        if (name == (childExpected != nullptr ? local : unresolvedForm()))
            result.push_back(child);
    }
    return result;
}

const VSXMLNodeList& VSXMLElement::attributes() const
{
    if (_cachedAttributes)
        return *_cachedAttributes;
    if (_node == nullptr)
        return emptyList();
    VSXMLNodeList list;
    size_t count = 0;
    for (xmlAttrPtr attribute = asNode(_node)->properties; attribute != nullptr; attribute = attribute->next)
        ++count;
    list.reserve(count);
    for (xmlAttrPtr attribute = asNode(_node)->properties; attribute != nullptr; attribute = attribute->next)
        list.push_back(std::make_shared<VSXMLNode>(ConstructionKey {}, attribute, false, _anchor));
    _cachedAttributes = std::move(list);
    return *_cachedAttributes;
}

void VSXMLElement::addAttribute(const VSXMLNode& attribute)
{
    if (_node == nullptr || attribute._node == nullptr || attribute._isNamespace)
        return;
    xmlNodePtr source = asNode(attribute._node);
    if (source->type != XML_ATTRIBUTE_NODE || source->name == nullptr)
        return;
    xmlNodePtr node = asNode(_node);
    for (xmlAttrPtr existing = node->properties; existing != nullptr; existing = existing->next) {
        if (!xmlStrEqual(existing->name, source->name))
            continue;
        if (source->ns == nullptr)
            return;
        if (existing->ns != nullptr && sameOptionalText(existing->ns->href, source->ns->href))
            return;
    }
    releaseCachedValues();
    xmlNsPtr ns = nullptr;
    if (source->ns != nullptr && source->ns->href != nullptr) {
        ns = xmlSearchNsByHref(node->doc, node, source->ns->href);
        if (ns == nullptr)
            ns = xmlNewNs(node, source->ns->href, source->ns->prefix);
    }
    xmlChar* value = xmlNodeGetContent(source);
    xmlAttrPtr added = xmlNewNsProp(node, ns, source->name, value != nullptr ? value : xmlChars(""));
    xmlFree(value);
    if (added != nullptr)
        fixUpNamespacesForNode(reinterpret_cast<xmlNodePtr>(added), node);
}

VSXMLNodePtr VSXMLElement::attributeForXMLNode(_xmlNode* attribute) const
{
    for (const auto& wrapper : attributes()) {
        if (wrapper->_node == attribute)
            return wrapper;
    }
    return nullptr;
}

_xmlNode* VSXMLElement::XMLAttributeForName(std::string_view name) const
{
    if (_node == nullptr)
        return nullptr;
    xmlNodePtr node = asNode(_node);
    for (xmlAttrPtr attribute = node->properties; attribute != nullptr; attribute = attribute->next) {
        if (attribute->name != nullptr && name == chars(attribute->name))
            return reinterpret_cast<xmlNodePtr>(attribute);
    }
    // Then the local part in the namespace its prefix declares in scope; the
    // whole name without namespace was tried first.
    auto prefix = prefixForName(name);
    if (!prefix)
        return nullptr;
    xmlNsPtr ns = xmlSearchNs(node->doc, node, xmlChars(prefix->c_str()));
    if (ns == nullptr || ns->href == nullptr)
        return nullptr;
    std::string local = localNameForName(name);
    for (xmlAttrPtr attribute = node->properties; attribute != nullptr; attribute = attribute->next) {
        if (attribute->ns != nullptr && xmlStrEqual(attribute->name, xmlChars(local.c_str()))
            && xmlStrEqual(attribute->ns->href, ns->href))
            return reinterpret_cast<xmlNodePtr>(attribute);
    }
    std::string unresolved = unresolvedName(chars(ns->href), local);
    for (xmlAttrPtr attribute = node->properties; attribute != nullptr; attribute = attribute->next) {
        if (xmlStrEqual(attribute->name, xmlChars(unresolved.c_str())))
            return reinterpret_cast<xmlNodePtr>(attribute);
    }
    return nullptr;
}

VSXMLNodePtr VSXMLElement::attributeForName(std::string_view name) const
{
    _xmlNode* attribute = XMLAttributeForName(name);
    return attribute != nullptr ? attributeForXMLNode(attribute) : nullptr;
}

VSXMLNodePtr VSXMLElement::attributeForLocalName(std::string_view localName, std::string_view URI) const
{
    if (_node == nullptr)
        return nullptr;
    std::string local(localName);
    std::string URIText(URI);
    std::string unresolved = unresolvedName(URI, localName);
    xmlAttrPtr fallback = nullptr;
    for (xmlAttrPtr attribute = asNode(_node)->properties; attribute != nullptr; attribute = attribute->next) {
        if (attribute->ns != nullptr && xmlStrEqual(attribute->name, xmlChars(local.c_str()))
            && xmlStrEqual(attribute->ns->href, xmlChars(URIText.c_str())))
            return attributeForXMLNode(reinterpret_cast<xmlNodePtr>(attribute));
        if (fallback == nullptr && xmlStrEqual(attribute->name, xmlChars(unresolved.c_str())))
            fallback = attribute;
    }
    return fallback != nullptr ? attributeForXMLNode(reinterpret_cast<xmlNodePtr>(fallback)) : nullptr;
}

std::optional<std::string> VSXMLElement::resolvePrefixForNamespaceURI(std::string_view URI) const
{
    if (_node == nullptr)
        return std::nullopt;
    xmlNodePtr node = asNode(_node);
    xmlNsPtr ns = xmlSearchNsByHref(node->doc, node, xmlChars(terminated(URI).c_str()));
    if (ns == nullptr)
        return std::nullopt;
    return ns->prefix != nullptr ? std::string(chars(ns->prefix)) : std::string();
}

void VSXMLElement::addStringValue(std::string_view text)
{
    if (_node == nullptr)
        return;
    releaseCachedValues();
    std::string filtered = VSUtilities::stringWithControlsFilteredForString(text);
    xmlNodePtr textNode = xmlNewTextLen(xmlChars(filtered.data()), static_cast<int>(filtered.size()));
    if (textNode != nullptr && xmlAddChild(asNode(_node), textNode) == nullptr)
        xmlFreeNode(textNode);
}

}  // namespace zt
