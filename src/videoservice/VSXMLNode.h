#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Result.h"

struct _xmlNode;

namespace zt {

namespace detail {
class XMLTreeAnchor;
}

class VSXMLNode;
class VSXMLElement;
using VSXMLNodePtr = std::shared_ptr<VSXMLNode>;
using VSXMLElementPtr = std::shared_ptr<VSXMLElement>;
using VSXMLNodeList = std::vector<VSXMLNodePtr>;
// Prefix to namespace URI.
using VSXMLNamespaceMap = std::map<std::string, std::string>;

inline constexpr const char* kVSXMLErrorDomain = "com.google.VSXMLErrorDomain";

// The largest document parsed. A parsed feed keeps its libxml2 tree, the
// wrappers of the nodes the model holds and the objects made from them:
// about 30 bytes of memory per input byte for an ordinary feed, and up to
// 140 for the densest markup (a node every two or three bytes, where
// libxml2's tree alone takes 50). This bounds what a hostile reply can take
// to about 1 GB; the service's replies are a few hundred kilobytes.
inline constexpr size_t kVSXMLMaxDocumentBytes = size_t(7) << 20;

// A wrapper of one libxml2 node. A wrapper made by consuming a node owns it;
// one made by borrowing does not, but every wrapper keeps the tree its node
// hangs in alive, so a borrowed node stays valid as long as its wrapper.
// The children and attribute lists are cached: until the node changes, they
// answer the very same wrappers, which the object model relies on to mark
// nodes as consumed by identity. One thread at a time per tree.
class VSXMLNode : public std::enable_shared_from_this<VSXMLNode> {
public:
    enum class Kind : uint32_t {
        Invalid = 0,
        Document,
        Element,
        Attribute,
        Namespace,
        ProcessingInstruction,
        Comment,
        Text,
        DTD,
        EntityDeclaration,
        AttributeDeclaration,
        ElementDeclaration,
        NotationDeclaration,
    };

    virtual ~VSXMLNode();
    VSXMLNode(const VSXMLNode&) = delete;
    VSXMLNode& operator=(const VSXMLNode&) = delete;

    // Factories of new owned nodes; nullptr when libxml2 cannot make one.
    static VSXMLElementPtr elementWithName(std::string_view name);
    static VSXMLElementPtr elementWithName(std::string_view name, std::string_view stringValue);
    // An element in the unresolved form "{URI}:local", resolved when grafted.
    static VSXMLElementPtr elementWithNameURI(std::string_view name, std::string_view URI);
    static VSXMLNodePtr attributeWithName(std::string_view name, std::string_view stringValue);
    static VSXMLNodePtr attributeWithName(std::string_view name, std::string_view URI, std::string_view stringValue);
    static VSXMLNodePtr textWithStringValue(std::string_view text);
    // An empty prefix makes a default namespace.
    static VSXMLNodePtr namespaceWithName(std::string_view prefix, std::string_view URI);
    static VSXMLNodePtr nodeConsumingXMLNode(_xmlNode* node);
    static VSXMLNodePtr nodeBorrowingXMLNode(_xmlNode* node);
    // For a namespace declaration (an xmlNs record).
    static VSXMLNodePtr nodeBorrowingXMLNamespace(void* xmlNamespace);

    static std::string localNameForName(std::string_view name);
    static std::optional<std::string> prefixForName(std::string_view name);

    std::optional<std::string> stringValue() const;
    void setStringValue(std::string_view text);
    std::optional<std::string> XMLString() const;
    std::optional<std::string> localName() const;
    std::optional<std::string> prefix() const;
    std::optional<std::string> URI() const;
    std::optional<std::string> qualifiedName() const;
    const std::optional<std::string>& name() const;

    uint64_t childCount() const;
    // Empty when the node has no children.
    const VSXMLNodeList& children() const;
    VSXMLNodePtr childAtIndex(uint32_t index) const;
    Kind kind() const;

    plat::Result<VSXMLNodeList> nodesForXPath(std::string_view expression) const;
    plat::Result<VSXMLNodeList> nodesForXPath(std::string_view expression, const VSXMLNamespaceMap& namespaces) const;

    std::string description() const;
    // A new owned wrapper of the same class over a deep copy; nullptr without a node.
    VSXMLNodePtr copy() const;
    // Same libxml2 node, or the same kind, name and number of children.
    bool isEqual(const VSXMLNode& other) const;

    _xmlNode* XMLNode() const { return _isNamespace ? nullptr : static_cast<_xmlNode*>(_node); }
    void* XMLNamespace() const { return _isNamespace ? _node : nullptr; }
    // A deep copy the caller owns (and frees with xmlFreeNode); nullptr without a node.
    _xmlNode* XMLNodeCopy() const;
    bool shouldFreeXMLNode() const;
    void setShouldFreeXMLNode(bool shouldFree);

protected:
    struct ConstructionKey { };

public:
    VSXMLNode(ConstructionKey, void* node, bool isNamespace, std::shared_ptr<detail::XMLTreeAnchor> anchor);

protected:
    static VSXMLNodePtr wrap(void* node, bool isNamespace, bool consuming);
    // Empties the name, children and attribute caches; every mutation calls it.
    void releaseCachedValues();
    // Names, prefixes and URIs go through the document's string cache.
    std::optional<std::string> stringFromXMLString(const unsigned char* text) const;
    // "{URI}:local": a name whose namespace is resolved when it is grafted.
    static std::string unresolvedName(std::string_view URI, std::string_view name);
    static const VSXMLNodeList& emptyList();
    plat::Result<VSXMLNodeList> runXPath(std::string_view expression, const VSXMLNamespaceMap* namespaces) const;

    void* _node;
    bool _isNamespace;
    std::shared_ptr<detail::XMLTreeAnchor> _anchor;
    mutable std::optional<std::optional<std::string>> _cachedName;
    mutable std::optional<VSXMLNodeList> _cachedChildren;
    mutable std::optional<VSXMLNodeList> _cachedAttributes;

    friend class VSXMLElement;
    friend class VSXMLDocument;
};

}  // namespace zt
