#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Result.h"
#include "videoservice/VSXMLNode.h"

namespace zt {

// The wrapper of an element node.
class VSXMLElement : public VSXMLNode {
public:
    using VSXMLNode::VSXMLNode;

    // Parses text as a whole document and keeps an owned copy of its root.
    static plat::Result<VSXMLElementPtr> elementWithXMLString(std::string_view text);
    // An element with one attribute whose value passes the control filter.
    static VSXMLElementPtr elementWithName(
        std::string_view name, std::string_view attributeName, std::string_view attributeValue);
    using VSXMLNode::elementWithName;

    // Declarations made on this element, "xml" left out.
    VSXMLNodeList namespaces() const;
    void setNamespaces(const VSXMLNodeList& namespaces);
    void addNamespace(const VSXMLNode& xmlNamespace);
    // Appends a deep copy (attributes go to addAttribute).
    void addChild(const VSXMLNode& child);
    // Unlinks a child or attribute; a borrowed argument's node is freed at once.
    void removeChild(VSXMLNode& child);
    VSXMLNodeList elementsForName(std::string_view name) const;
    VSXMLNodeList elementsForLocalName(std::string_view localName, std::string_view URI) const;
    // Empty when the element has no attributes.
    const VSXMLNodeList& attributes() const;
    // Never replaces an existing value.
    void addAttribute(const VSXMLNode& attribute);
    VSXMLNodePtr attributeForXMLNode(_xmlNode* attribute) const;
    VSXMLNodePtr attributeForName(std::string_view name) const;
    // The raw attribute attributeForName would answer, without wrapping.
    _xmlNode* XMLAttributeForName(std::string_view name) const;
    VSXMLNodePtr attributeForLocalName(std::string_view localName, std::string_view URI) const;
    std::optional<std::string> resolvePrefixForNamespaceURI(std::string_view URI) const;
    // Appends a text child with the control-filtered text.
    void addStringValue(std::string_view text);
};

}  // namespace zt
