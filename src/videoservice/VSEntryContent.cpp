#include "videoservice/VSEntryContent.h"

#include "videoservice/VSEntryBase.h"
#include "videoservice/VSFeedBase.h"
#include "videoservice/VSNamespaces.h"

namespace zt {

VS_DEFINE_CLASS(VSEntryContent, VSObject, kVSNamespaceAtom, kVSNamespaceAtomPrefix, "content")
VS_DEFINE_CLASS(VSEntryLink, VSObject, kVSNamespaceGData, kVSNamespaceGDataPrefix, "entryLink")
VS_DEFINE_CLASS(VSFeedLink, VSObject, kVSNamespaceGData, kVSNamespaceGDataPrefix, "feedLink")

namespace {
bool isSameOrBothAbsent(const VSObjectPtr& left, const VSObjectPtr& right)
{
    if (!left || !right)
        return !left && !right;
    return left->isEqual(*right);
}

std::optional<plat::URL> URLOfText(const std::optional<std::string>& text)
{
    if (!text || text->empty())
        return std::nullopt;
    return plat::URL::URLWithString(*text);
}
}  // namespace

bool VSEntryContent::isTextContentType(const std::optional<std::string>& type)
{
    return !type || *type == "text" || *type == "html" || *type == "xhtml" || type->starts_with("text/");
}

void VSEntryContent::addParseDeclarations()
{
    addLocalAttributeDeclarations({"type", "xml:lang", "src"});
}

void VSEntryContent::parseAttributesForElement(const VSXMLElement& element)
{
    VSObject::parseAttributesForElement(element);
    auto contentType = type();
    // What this content declares depends on its own type.
    makeAttributeDeclarationsPrivate();
    if (isTextContentType(contentType)) {
        addContentValueDeclaration();
    } else if (contentType->starts_with("application/atom+xml;")) {
        for (const auto& child : element.children()) {
            auto childElement = std::dynamic_pointer_cast<VSXMLElement>(child);
            if (childElement == nullptr)
                continue;
            const VSClass* cls = objectClassForXMLElement(*childElement, nullptr);
            if (cls != nullptr)
                _childObject = objectWithXMLElement(*cls, childElement, selfPointer());
            handleParsedElement(child.get());
            break;
        }
    } else if (contentType->starts_with("application/vnd.google-earth.kml+xml")) {
        addChildXMLElementsDeclaration();
    }
}

std::optional<plat::URL> VSEntryContent::sourceURL() const
{
    return URLOfText(sourceURI());
}

std::optional<std::string> VSEntryContent::stringValue() const
{
    return hasDeclaredContentValue() ? rawContentValue() : std::nullopt;
}

void VSEntryContent::setStringValue(const std::optional<std::string>& text)
{
    if (!hasDeclaredContentValue()) {
        makeAttributeDeclarationsPrivate();
        addContentValueDeclaration();
    }
    setContentStringValue(text);
}

VSXMLElementPtr VSEntryContent::XMLElement() const
{
    auto element = VSObject::XMLElement();
    if (element && _childObject) {
        if (auto child = _childObject->XMLElement())
            element->addChild(*child);
    }
    return element;
}

bool VSEntryContent::isEqual(const VSExtensionObject& other) const
{
    if (!VSObject::isEqual(other))
        return false;
    auto content = dynamic_cast<const VSEntryContent*>(&other);
    if (content == nullptr)
        return false;
    auto mine = type();
    auto theirs = content->type();
    if (mine != theirs && !(isTextContentType(mine) && isTextContentType(theirs)))
        return false;
    return isSameOrBothAbsent(_childObject, content->_childObject);
}

void VSEntryContent::copyInto(VSObject& copy) const
{
    VSObject::copyInto(copy);
    static_cast<VSEntryContent&>(copy)._childObject
        = _childObject ? std::static_pointer_cast<VSObject>(_childObject->copyObject()) : nullptr;
}

// VSEntryLink

std::shared_ptr<VSEntryLink> VSEntryLink::entryLinkWithHref(const std::optional<std::string>& href, bool isReadOnly)
{
    auto link = VSObject::object<VSEntryLink>();
    link->setHref(href);
    link->setIsReadOnly(isReadOnly);
    return link;
}

void VSEntryLink::addParseDeclarations()
{
    addLocalAttributeDeclarations({"href", "readOnly", "rel"});
}

void VSEntryLink::initWithXMLElement(const VSXMLElementPtr& element, const VSObjectPtr& parent)
{
    VSObject::initWithXMLElement(element, parent);
    if (element == nullptr)
        return;
    auto entries = element->elementsForLocalName("entry", kVSNamespaceAtom);
    if (entries.empty())
        return;
    auto entryElement = std::static_pointer_cast<VSXMLElement>(entries.front());
    const VSClass* cls = objectClassForXMLElement(*entryElement, nullptr);
    if (cls != nullptr)
        _entry = std::dynamic_pointer_cast<VSEntryBase>(objectWithXMLElement(*cls, entryElement, selfPointer()));
    handleParsedElement(entries.front().get());
}

VSXMLElementPtr VSEntryLink::XMLElement() const
{
    auto element = VSObject::XMLElement();
    if (element && _entry) {
        if (auto child = _entry->XMLElement())
            element->addChild(*child);
    }
    return element;
}

bool VSEntryLink::isEqual(const VSExtensionObject& other) const
{
    if (this == &other)
        return true;
    auto link = dynamic_cast<const VSEntryLink*>(&other);
    return link != nullptr && VSObject::isEqual(other) && isSameOrBothAbsent(_entry, link->_entry);
}

void VSEntryLink::copyInto(VSObject& copy) const
{
    VSObject::copyInto(copy);
    static_cast<VSEntryLink&>(copy)._entry = _entry ? _entry->copy() : nullptr;
}

// VSFeedLink

std::shared_ptr<VSFeedLink> VSFeedLink::feedLinkWithHref(const std::optional<std::string>& href, bool isReadOnly)
{
    auto link = VSObject::object<VSFeedLink>();
    link->setHref(href);
    link->setIsReadOnly(isReadOnly);
    return link;
}

void VSFeedLink::addParseDeclarations()
{
    addLocalAttributeDeclarations({"href", "rel", "readOnly", "countHint"});
}

void VSFeedLink::setCountHint(const std::optional<int32_t>& hint)
{
    setStringValueForAttribute(hint ? std::optional<std::string>(std::to_string(*hint)) : std::nullopt, "countHint");
}

std::optional<plat::URL> VSFeedLink::URL() const
{
    return URLOfText(href());
}

void VSFeedLink::initWithXMLElement(const VSXMLElementPtr& element, const VSObjectPtr& parent)
{
    VSObject::initWithXMLElement(element, parent);
    if (element == nullptr)
        return;
    auto feeds = element->elementsForLocalName("feed", kVSNamespaceAtom);
    if (feeds.empty())
        return;
    auto feedElement = std::static_pointer_cast<VSXMLElement>(feeds.front());
    const VSClass* cls = objectClassForXMLElement(*feedElement, nullptr);
    if (cls != nullptr)
        _feed = std::dynamic_pointer_cast<VSFeedBase>(objectWithXMLElement(*cls, feedElement, nullptr));
    handleParsedElement(feeds.front().get());
}

VSXMLElementPtr VSFeedLink::XMLElement() const
{
    auto element = VSObject::XMLElement();
    if (element && _feed) {
        if (auto child = _feed->XMLElement())
            element->addChild(*child);
    }
    return element;
}

bool VSFeedLink::isEqual(const VSExtensionObject& other) const
{
    if (this == &other)
        return true;
    auto link = dynamic_cast<const VSFeedLink*>(&other);
    return link != nullptr && VSObject::isEqual(other) && isSameOrBothAbsent(_feed, link->_feed);
}

void VSFeedLink::copyInto(VSObject& copy) const
{
    VSObject::copyInto(copy);
    static_cast<VSFeedLink&>(copy)._feed = _feed ? _feed->copy() : nullptr;
}

}  // namespace zt
