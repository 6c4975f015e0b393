#pragma once
#include <optional>
#include <string>

#include "platform/foundation/URL.h"
#include "videoservice/VSObject.h"

namespace zt {

class VSEntryBase;
class VSFeedBase;

// The Atom "content" of an entry. By its type it holds text, an object of the
// model parsed from the Atom element inside it, raw XML children, or nothing.
class VSEntryContent : public VSObject {
    VS_DECLARE_CLASS(VSEntryContent)

public:
    template <typename T = VSEntryContent>
    static std::shared_ptr<T> contentWithString(const std::optional<std::string>& text)
    {
        auto content = VSObject::object<T>();
        content->setStringValue(text);
        return content;
    }
    template <typename T = VSEntryContent>
    static std::shared_ptr<T> contentWithSourceURI(
        const std::optional<std::string>& sourceURI, const std::optional<std::string>& type)
    {
        auto content = VSObject::object<T>();
        content->setSourceURI(sourceURI);
        content->setType(type);
        return content;
    }
    template <typename T = VSEntryContent>
    static std::shared_ptr<T> contentWithXMLValue(const VSXMLElementPtr& value, const std::optional<std::string>& type)
    {
        auto content = VSObject::object<T>();
        content->addChildXMLElementsDeclaration();
        content->setType(type);
        if (value)
            content->addXMLValue(value);
        return content;
    }
    template <typename T = VSEntryContent>
    static std::shared_ptr<T> textConstructWithString(const std::optional<std::string>& text)
    {
        return contentWithString<T>(text);
    }

    // Absent, "text", "html", "xhtml" or "text/...".
    static bool isTextContentType(const std::optional<std::string>& type);

    std::optional<std::string> lang() const { return stringValueForAttribute("xml:lang"); }
    void setLang(const std::optional<std::string>& lang) { setStringValueForAttribute(lang, "xml:lang"); }
    std::optional<std::string> type() const { return stringValueForAttribute("type"); }
    void setType(const std::optional<std::string>& type) { setStringValueForAttribute(type, "type"); }
    std::optional<std::string> sourceURI() const { return stringValueForAttribute("src"); }
    void setSourceURI(const std::optional<std::string>& source) { setStringValueForAttribute(source, "src"); }
    std::optional<plat::URL> sourceURL() const;
    std::optional<std::string> stringValue() const;
    void setStringValue(const std::optional<std::string>& text);
    const VSObjectPtr& childObject() const { return _childObject; }
    void setChildObject(const VSObjectPtr& object) { _childObject = object; }
    const std::vector<VSXMLElementPtr>& XMLValues() const { return childXMLElements(); }
    void setXMLValues(const std::vector<VSXMLElementPtr>& values) { setChildXMLElements(values); }
    void addXMLValue(const VSXMLElementPtr& value) { addChildXMLElement(value); }

    void addParseDeclarations() override;
    std::vector<std::string> attributesIgnoredForEquality() const override { return {"type"}; }
    VSXMLElementPtr XMLElement() const override;
    bool isEqual(const VSExtensionObject& other) const override;

protected:
    void parseAttributesForElement(const VSXMLElement& element) override;
    void copyInto(VSObject& copy) const override;

private:
    VSObjectPtr _childObject;
};

// The gd "entryLink": a reference to an entry, which it may hold inline.
class VSEntryLink : public VSObject {
    VS_DECLARE_CLASS(VSEntryLink)

public:
    static std::shared_ptr<VSEntryLink> entryLinkWithHref(const std::optional<std::string>& href, bool isReadOnly);

    std::optional<std::string> href() const { return stringValueForAttribute("href"); }
    void setHref(const std::optional<std::string>& href) { setStringValueForAttribute(href, "href"); }
    bool isReadOnly() const { return boolValueForAttribute("readOnly", false); }
    void setIsReadOnly(bool readOnly) { setBoolValueDefaultValueForAttribute(readOnly, false, "readOnly"); }
    std::optional<std::string> rel() const { return stringValueForAttribute("rel"); }
    void setRel(const std::optional<std::string>& rel) { setStringValueForAttribute(rel, "rel"); }
    const std::shared_ptr<VSEntryBase>& entry() const { return _entry; }
    void setEntry(const std::shared_ptr<VSEntryBase>& entry) { _entry = entry; }

    void addParseDeclarations() override;
    void initWithXMLElement(const VSXMLElementPtr& element, const VSObjectPtr& parent) override;
    using VSObject::initWithXMLElement;
    VSXMLElementPtr XMLElement() const override;
    bool isEqual(const VSExtensionObject& other) const override;

protected:
    void copyInto(VSObject& copy) const override;

private:
    std::shared_ptr<VSEntryBase> _entry;
};

// The gd "feedLink": a reference to a feed with a count hint, which may hold
// the feed inline (parsed without a parent).
class VSFeedLink : public VSObject {
    VS_DECLARE_CLASS(VSFeedLink)

public:
    static std::shared_ptr<VSFeedLink> feedLinkWithHref(const std::optional<std::string>& href, bool isReadOnly);

    std::optional<std::string> href() const { return stringValueForAttribute("href"); }
    void setHref(const std::optional<std::string>& href) { setStringValueForAttribute(href, "href"); }
    std::optional<std::string> rel() const { return stringValueForAttribute("rel"); }
    void setRel(const std::optional<std::string>& rel) { setStringValueForAttribute(rel, "rel"); }
    bool isReadOnly() const { return boolValueForAttribute("readOnly", false); }
    void setIsReadOnly(bool readOnly) { setBoolValueDefaultValueForAttribute(readOnly, false, "readOnly"); }
    std::optional<int32_t> countHint() const { return intNumberForAttribute("countHint"); }
    void setCountHint(const std::optional<int32_t>& hint);
    const std::shared_ptr<VSFeedBase>& feed() const { return _feed; }
    void setFeed(const std::shared_ptr<VSFeedBase>& feed) { _feed = feed; }
    std::optional<plat::URL> URL() const;

    void addParseDeclarations() override;
    void initWithXMLElement(const VSXMLElementPtr& element, const VSObjectPtr& parent) override;
    using VSObject::initWithXMLElement;
    VSXMLElementPtr XMLElement() const override;
    bool isEqual(const VSExtensionObject& other) const override;

protected:
    void copyInto(VSObject& copy) const override;

private:
    std::shared_ptr<VSFeedBase> _feed;
};

}  // namespace zt
