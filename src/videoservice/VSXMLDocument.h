#pragma once
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"
#include "videoservice/VSXMLElement.h"

namespace zt {

namespace detail {
class XMLDocumentStorage;
}

// One libxml2 document, always owned. Wrappers of its nodes keep it alive.
// One thread at a time.
class VSXMLDocument {
public:
    // Parses reply bytes; the failure is an error of kVSXMLErrorDomain, code -1.
    static plat::Result<std::shared_ptr<VSXMLDocument>> initWithData(std::string_view bytes);
    static plat::Result<std::shared_ptr<VSXMLDocument>> initWithData(const plat::Data& bytes);
    static plat::Result<std::shared_ptr<VSXMLDocument>> initWithXMLString(std::string_view text);
    // A new document whose root is a deep copy of the element.
    explicit VSXMLDocument(const VSXMLElement& rootElement);
    ~VSXMLDocument();
    VSXMLDocument(const VSXMLDocument&) = delete;
    VSXMLDocument& operator=(const VSXMLDocument&) = delete;

    VSXMLElementPtr rootElement() const;
    // The document with its XML declaration.
    std::optional<plat::Data> XMLData() const;
    void setVersion(const std::optional<std::string>& version);
    void setCharacterEncoding(const std::optional<std::string>& encoding);

    plat::Result<VSXMLNodeList> nodesForXPath(std::string_view expression) const;
    plat::Result<VSXMLNodeList> nodesForXPath(std::string_view expression, const VSXMLNamespaceMap& namespaces) const;

    std::string description() const;

private:
    struct PrivateKey { };

public:
    VSXMLDocument(PrivateKey, std::shared_ptr<detail::XMLDocumentStorage> storage);

private:
    static plat::Result<std::shared_ptr<VSXMLDocument>> parse(const char* bytes, size_t length);
    VSXMLNodePtr documentNode() const;
    std::shared_ptr<detail::XMLDocumentStorage> _storage;
};

}  // namespace zt
