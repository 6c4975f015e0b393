#include "videoservice/VSXMLElement.h"

#include <map>

#include "videoservice/VSUtilities.h"
#include "videoservice/XMLDetail.h"

namespace zt {

using namespace detail;

namespace {

bool sameOptionalText(const xmlChar* left, const xmlChar* right)
{
    if (left == nullptr || right == nullptr)
        return left == right;
    return xmlStrEqual(left, right) != 0;
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
