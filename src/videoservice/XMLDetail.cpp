#include "videoservice/XMLDetail.h"

#include <libxml/parser.h>

#include "platform/foundation/XMLParser.h"
#include "videoservice/VSXMLNode.h"

namespace zt::detail {

namespace {
// CDATA as text (XML_PARSE_NOCDATA), blank text dropped (XML_PARSE_NOBLANKS),
// never the network. Entities are not substituted, no DTD is loaded, and
// XML_PARSE_HUGE stays off so that libxml2 keeps its depth and size limits.
// A bad reply is an error of ours, not lines on standard error.
constexpr int kParseOptions
    = XML_PARSE_NOCDATA | XML_PARSE_NOBLANKS | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

// A document type is refused: no reply of the service has one, and it is
// where entity declarations (and their expansion tricks) would come from.
bool hasDocumentType(xmlDocPtr document)
{
    if (document->intSubset != nullptr || document->extSubset != nullptr)
        return true;
    for (xmlNodePtr node = document->children; node != nullptr; node = node->next) {
        if (node->type == XML_DTD_NODE)
            return true;
    }
    return false;
}
}  // namespace

XMLDocumentStorage::XMLDocumentStorage(xmlDocPtr document)
    : _document(document)
{
    _document->_private = this;
}

XMLDocumentStorage::~XMLDocumentStorage()
{
    freeDetachedNodes();
    _strings.clear();
    _document->_private = nullptr;
    xmlFreeDoc(_document);
}

const std::string& XMLDocumentStorage::cachedString(const char* text)
{
    std::string_view key(text);
    auto found = _strings.find(key);
    if (found != _strings.end())
        return *found;
    return *_strings.emplace(key).first;
}

XMLFreeNodeOwner::XMLFreeNodeOwner(void* node, bool isNamespace)
    : _node(node)
    , _isNamespace(isNamespace)
{
    if (!_isNamespace)
        static_cast<xmlNodePtr>(_node)->_private = this;
}

XMLFreeNodeOwner::~XMLFreeNodeOwner()
{
    freeDetachedNodes();
    if (_node == nullptr)
        return;
    if (_isNamespace) {
        xmlFreeNs(static_cast<xmlNsPtr>(_node));
        return;
    }
    auto node = static_cast<xmlNodePtr>(_node);
    node->_private = nullptr;
    if (node->parent != nullptr)
        xmlUnlinkNode(node);
    xmlFreeNode(node);  // frees attributes through xmlFreeProp as well
}

void XMLFreeNodeOwner::releaseNode()
{
    if (_node != nullptr && !_isNamespace)
        static_cast<xmlNodePtr>(_node)->_private = nullptr;
    _node = nullptr;
}

XMLDocumentStorage* storageForDocument(xmlDocPtr document)
{
    return document != nullptr ? static_cast<XMLDocumentStorage*>(document->_private) : nullptr;
}

std::shared_ptr<XMLTreeAnchor> anchorForNode(xmlNodePtr node)
{
    if (node == nullptr)
        return nullptr;
    if (auto storage = storageForDocument(node->doc))
        return storage->shared_from_this();
    xmlNodePtr top = node;
    while (top->parent != nullptr && top->parent->type != XML_DOCUMENT_NODE)
        top = top->parent;
    if (top->type == XML_DOCUMENT_NODE || top->_private == nullptr)
        return nullptr;
    return static_cast<XMLFreeNodeOwner*>(top->_private)->shared_from_this();
}

void initializeXMLParser()
{
    plat::detail::initializeXMLParser();
}

xmlDocPtr parseXMLDocument(const char* bytes, size_t length)
{
    initializeXMLParser();
    if (bytes == nullptr || length == 0 || length > kVSXMLMaxDocumentBytes)
        return nullptr;
    xmlParserCtxtPtr context = xmlNewParserCtxt();
    if (context == nullptr)
        return nullptr;
    xmlDocPtr document = xmlCtxtReadMemory(context, bytes, static_cast<int>(length), nullptr, nullptr, kParseOptions);
    xmlFreeParserCtxt(context);
    if (document != nullptr && (hasDocumentType(document) || xmlDocGetRootElement(document) == nullptr)) {
        xmlFreeDoc(document);
        document = nullptr;
    }
    return document;
}

xmlNodePtr copyNodeDeep(xmlNodePtr node)
{
    if (node == nullptr)
        return nullptr;
    xmlNodePtr copy = xmlDocCopyNode(node, nullptr, 1);
    if (copy != nullptr)
        copy->_private = nullptr;
    return copy;
}

}  // namespace zt::detail
