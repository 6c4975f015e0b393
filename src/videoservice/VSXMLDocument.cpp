#include "videoservice/VSXMLDocument.h"

#include <cstdio>

#include "platform/foundation/Log.h"
#include "videoservice/XMLDetail.h"

namespace zt {

using namespace detail;

VSXMLDocument::VSXMLDocument(PrivateKey, std::shared_ptr<XMLDocumentStorage> storage)
    : _storage(std::move(storage))
{
}

VSXMLDocument::VSXMLDocument(const VSXMLElement& rootElement)
{
    initializeXMLParser();
    xmlDocPtr document = xmlNewDoc(xmlChars(XML_DEFAULT_VERSION));
    if (document == nullptr)
        std::abort();  // out of memory
    if (rootElement.XMLNode() != nullptr) {
        xmlNodePtr copy = xmlDocCopyNode(rootElement.XMLNode(), document, 1);
        if (copy != nullptr)
            xmlDocSetRootElement(document, copy);
    }
    _storage = std::make_shared<XMLDocumentStorage>(document);
}

VSXMLDocument::~VSXMLDocument() = default;

plat::Result<std::shared_ptr<VSXMLDocument>> VSXMLDocument::parse(const char* bytes, size_t length)
{
    if (length > kVSXMLMaxDocumentBytes) {
        return plat::Error(kVSXMLErrorDomain, -1,
            plat::formatLine("The XML document of {} bytes is larger than the {} bytes a document may have.", length,
                kVSXMLMaxDocumentBytes));
    }
    xmlDocPtr document = parseXMLDocument(bytes, length);
    if (document == nullptr)
        return plat::Error(kVSXMLErrorDomain, -1, "The data is not a well-formed XML document.");
    return std::make_shared<VSXMLDocument>(PrivateKey {}, std::make_shared<XMLDocumentStorage>(document));
}

plat::Result<std::shared_ptr<VSXMLDocument>> VSXMLDocument::initWithData(std::string_view bytes)
{
    return parse(bytes.data(), bytes.size());
}

plat::Result<std::shared_ptr<VSXMLDocument>> VSXMLDocument::initWithData(const plat::Data& bytes)
{
    return parse(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

plat::Result<std::shared_ptr<VSXMLDocument>> VSXMLDocument::initWithXMLString(std::string_view text)
{
    return parse(text.data(), text.size());
}

VSXMLElementPtr VSXMLDocument::rootElement() const
{
    xmlNodePtr root = xmlDocGetRootElement(_storage->document());
    if (root == nullptr)
        return nullptr;
    return std::static_pointer_cast<VSXMLElement>(VSXMLNode::nodeBorrowingXMLNode(root));
}

std::optional<plat::Data> VSXMLDocument::XMLData() const
{
    xmlChar* memory = nullptr;
    int size = 0;
    xmlDocDumpMemory(_storage->document(), &memory, &size);
    if (memory == nullptr || size < 0)
        return std::nullopt;
    plat::Data data(memory, memory + size);
    xmlFree(memory);
    return data;
}

void VSXMLDocument::setVersion(const std::optional<std::string>& version)
{
    xmlDocPtr document = _storage->document();
    if (document->version != nullptr)
        xmlFree(const_cast<xmlChar*>(document->version));
    document->version = version ? xmlStrdup(xmlChars(version->c_str())) : nullptr;
}

void VSXMLDocument::setCharacterEncoding(const std::optional<std::string>& encoding)
{
    xmlDocPtr document = _storage->document();
    if (document->encoding != nullptr)
        xmlFree(const_cast<xmlChar*>(document->encoding));
    document->encoding = encoding ? xmlStrdup(xmlChars(encoding->c_str())) : nullptr;
}

VSXMLNodePtr VSXMLDocument::documentNode() const
{
    auto node = std::make_shared<VSXMLNode>(
        VSXMLNode::ConstructionKey {}, reinterpret_cast<xmlNodePtr>(_storage->document()), false, _storage);
    return node;
}

plat::Result<VSXMLNodeList> VSXMLDocument::nodesForXPath(std::string_view expression) const
{
    return documentNode()->nodesForXPath(expression);
}

plat::Result<VSXMLNodeList> VSXMLDocument::nodesForXPath(
    std::string_view expression, const VSXMLNamespaceMap& namespaces) const
{
    return documentNode()->nodesForXPath(expression, namespaces);
}

std::string VSXMLDocument::description() const
{
    char text[64];
    std::snprintf(text, sizeof text, "VSXMLDocument %p", static_cast<const void*>(this));
    return text;
}

}  // namespace zt
