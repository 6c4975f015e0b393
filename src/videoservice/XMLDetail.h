#pragma once
// Private to the video service library: the libxml2 side of the XML node
// layer. Included only from .cpp files, never from a public header.
#include <libxml/tree.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace zt::detail {

// The string cache of one document: equal names, URIs and texts of one tree
// are made once. The hash is djb2 over the bytes read as signed 8-bit values.
struct XMLStringHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const
    {
        uint64_t hash = 5381;
        for (char byte : text)
            hash = hash * 33 + static_cast<uint64_t>(static_cast<int64_t>(static_cast<signed char>(byte)));
        return static_cast<size_t>(hash);
    }
};
using XMLStringCache = std::unordered_set<std::string, XMLStringHash, std::equal_to<>>;

// Something that keeps one libxml2 tree alive. Every wrapper of a node in
// the tree holds the anchor, so a node can never outlive its tree: the tree
// goes when the last wrapper of any of its nodes goes.
class XMLTreeAnchor : public std::enable_shared_from_this<XMLTreeAnchor> {
public:
    virtual ~XMLTreeAnchor() = default;
    // Keeps a node unlinked from the tree until the tree goes, so wrappers
    // that still point into it stay valid.
    void keepDetachedNode(xmlNodePtr node) { _detachedNodes.push_back(node); }

protected:
    // Derived destructors call this first: the nodes may still refer to the
    // document's dictionary.
    void freeDetachedNodes()
    {
        for (xmlNodePtr node : _detachedNodes)
            xmlFreeNode(node);
        _detachedNodes.clear();
    }

private:
    std::vector<xmlNodePtr> _detachedNodes;
};

// A parsed or built document; doc->_private points back here.
class XMLDocumentStorage final : public XMLTreeAnchor {
public:
    explicit XMLDocumentStorage(xmlDocPtr document);
    ~XMLDocumentStorage() override;
    XMLDocumentStorage(const XMLDocumentStorage&) = delete;
    XMLDocumentStorage& operator=(const XMLDocumentStorage&) = delete;

    xmlDocPtr document() const { return _document; }
    const std::string& cachedString(const char* text);

private:
    xmlDocPtr _document;
    XMLStringCache _strings;
};

// A node outside any document (made by a factory or copied), owned by its
// wrapper: the root's _private points back here while it is owned.
class XMLFreeNodeOwner final : public XMLTreeAnchor {
public:
    XMLFreeNodeOwner(void* node, bool isNamespace);
    ~XMLFreeNodeOwner() override;
    XMLFreeNodeOwner(const XMLFreeNodeOwner&) = delete;
    XMLFreeNodeOwner& operator=(const XMLFreeNodeOwner&) = delete;

    bool ownsNode() const { return _node != nullptr; }
    // Lets go of the node without freeing it.
    void releaseNode();
    void* node() const { return _node; }

private:
    void* _node;
    bool _isNamespace;
};

// The anchor that keeps a borrowed node alive, if any: its document's
// storage, or the owner of the free tree it hangs in.
std::shared_ptr<XMLTreeAnchor> anchorForNode(xmlNodePtr node);
XMLDocumentStorage* storageForDocument(xmlDocPtr document);

void initializeXMLParser();

// Parses bytes as a whole document with the layer's options: CDATA as text,
// blank text dropped, no network, no DTD loading, no entity substitution, and
// bounded size and depth. Empty on failure.
xmlDocPtr parseXMLDocument(const char* bytes, size_t length);

// The node a wrapper keeps as void*, to keep libxml2 out of public headers.
inline xmlNodePtr asNode(void* node)
{
    return static_cast<xmlNodePtr>(node);
}
inline const char* chars(const xmlChar* text)
{
    return reinterpret_cast<const char*>(text);
}
inline const xmlChar* xmlChars(const char* text)
{
    return reinterpret_cast<const xmlChar*>(text);
}
// libxml2 wants zero-terminated strings.
inline std::string terminated(std::string_view text)
{
    return std::string(text);
}

// The namespace record of a node, or nullptr (elements and attributes only).
inline xmlNsPtr namespaceOfNode(xmlNodePtr node)
{
    if (node == nullptr || (node->type != XML_ELEMENT_NODE && node->type != XML_ATTRIBUTE_NODE))
        return nullptr;
    return node->ns;
}

// Deep copy of a node outside any document, with no private pointer.
xmlNodePtr copyNodeDeep(xmlNodePtr node);

}  // namespace zt::detail
