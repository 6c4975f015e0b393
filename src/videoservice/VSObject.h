#pragma once
#include <any>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "videoservice/VSAttribute.h"
#include "videoservice/VSClass.h"
#include "videoservice/VSDateTime.h"
#include "videoservice/VSExtensionDeclaration.h"
#include "videoservice/VSUploadBody.h"
#include "videoservice/VSXMLElement.h"

namespace zt {

class VSObject;
class VSXMLDocument;
class WSFileHandle;
using VSObjectPtr = std::shared_ptr<VSObject>;
// Class to substitute class, for object creation.
using VSSurrogates = std::map<const VSClass*, const VSClass*>;
// Registration key to class (the entry and feed kind maps).
using VSClassMap = std::unordered_map<std::string, const VSClass*>;

namespace detail {
// Which of a list of nodes are taken, by index; the first 64 need no allocation.
class VSNodeMask {
public:
    void clear()
    {
        _first = 0;
        _more.clear();
    }
    void set(size_t index)
    {
        if (index < 64) {
            _first |= uint64_t(1) << index;
            return;
        }
        size_t word = (index - 64) / 64;
        if (word >= _more.size())
            _more.resize(word + 1, 0);
        _more[word] |= uint64_t(1) << ((index - 64) % 64);
    }
    bool test(size_t index) const
    {
        if (index < 64)
            return (_first >> index) & 1;
        return (index - 64) / 64 < _more.size() && ((_more[(index - 64) / 64] >> ((index - 64) % 64)) & 1);
    }

private:
    uint64_t _first = 0;
    std::vector<uint64_t> _more;
};

// The declarations of one tree: declaring class -> parent class -> list, and
// class -> attribute names (shared by all objects of the class in the tree).
struct VSDeclarationCaches {
    std::unordered_map<const VSClass*, std::unordered_map<const VSClass*, std::vector<VSExtensionDeclaration>>>
        extensions;
    std::unordered_map<const VSClass*, std::shared_ptr<std::vector<std::string>>> attributes;
};
}  // namespace detail

// The root of the XML-backed object model. A subclass declares what it holds
// (attributes, a text content value, raw child XML, extension classes); the
// base turns an XML element into an object of that shape and back, copies and
// compares objects, and keeps what the parse does not consume so that it is
// written back. Objects are made through object<T>() (then init()) or parsed
// through objectWithXMLElement; constructors only make a bare instance.
// One thread at a time per tree.
class VSObject : public VSExtensionObject {
    VS_DECLARE_CLASS(VSObject)

public:
    // Markers in the attribute declarations; the leading space keeps them
    // apart from every attribute name.
    static constexpr const char* kContentValueDeclarationMarker = " __content";
    static constexpr const char* kChildXMLDeclarationMarker = " __childXML";

    VSObject();
    ~VSObject() override;
    VSObject(const VSObject&) = delete;
    VSObject& operator=(const VSObject&) = delete;

    template <typename T = VSObject> static std::shared_ptr<T> object()
    {
        auto instance = std::make_shared<T>();
        instance->init();
        return instance;
    }
    // A parsed object of a class; nullptr for a class that is not a VSObject.
    static VSObjectPtr objectWithXMLElement(
        const VSClass& cls, const VSXMLElementPtr& element, const VSObjectPtr& parent);
    static VSObjectPtr objectWithXMLElement(const VSClass& cls, const VSXMLElementPtr& element,
        const VSObjectPtr& parent, const std::optional<std::string>& serviceVersion, const VSSurrogates& surrogates,
        bool shouldIgnoreUnknowns);

    // Fresh declaration caches, then the parse declarations.
    virtual void init();
    void initWithServiceVersion(const std::optional<std::string>& serviceVersion);
    virtual void initWithXMLElement(const VSXMLElementPtr& element, const VSObjectPtr& parent);
    void initWithXMLElement(const VSXMLElementPtr& element, const VSObjectPtr& parent,
        const std::optional<std::string>& serviceVersion, const VSSurrogates& surrogates, bool shouldIgnoreUnknowns);

    // Generation.
    virtual VSXMLElementPtr XMLElement() const;
    std::shared_ptr<VSXMLDocument> XMLDocument() const;
    VSXMLElementPtr XMLElementWithExtensionsAndDefaultName(const char* defaultName) const;
    static VSXMLNodePtr addToElementAttributeValueIfNonNil(
        VSXMLElement& element, const std::optional<std::string>& value, std::string_view name);
    static VSXMLNodePtr addToElementAttributeValueIfNonNilWithQualifiedName(VSXMLElement& element,
        const std::optional<std::string>& value, std::string_view qualifiedName, const char* URI);
    static VSXMLNodePtr addToElementAttributeValueWithInteger(
        VSXMLElement& element, int64_t value, std::string_view name);
    static void addToElementChildWithStringValueIfNonEmpty(
        VSXMLElement& element, const std::optional<std::string>& value, std::string_view name);
    static void addToElementXMLElementForObject(VSXMLElement& element, const VSExtensionObject* object);
    template <typename List> static void addToElementXMLElementsForArray(VSXMLElement& element, const List& objects)
    {
        for (const auto& object : objects)
            addToElementXMLElementForObject(element, object.get());
    }

    // Upload hooks; entries answer them.
    virtual std::optional<VSUploadBody> generateContentInputStream() const { return std::nullopt; }
    virtual std::optional<std::string> uploadMIMEType() const { return std::nullopt; }
    virtual std::shared_ptr<const plat::Data> uploadData() const { return nullptr; }
    virtual std::shared_ptr<WSFileHandle> uploadFileHandle() const { return nullptr; }
    virtual std::optional<std::string> uploadLocationURL() const { return std::nullopt; }
    virtual bool shouldUploadDataOnly() const { return false; }

    // Class-level answers (virtual on instances in C++).
    virtual std::optional<std::string> defaultServiceVersion() const { return std::nullopt; }
    virtual std::optional<std::string> coreProtocolVersionForServiceVersion(
        const std::optional<std::string>& serviceVersion) const
    {
        return serviceVersion;
    }
    virtual std::vector<std::string> attributesIgnoredForEquality() const { return {}; }

    // Declarations.
    virtual void addExtensionDeclarations() { }
    virtual void addParseDeclarations() { }
    void addExtensionDeclarationForParentClass(
        const VSClass& parentClass, const VSClass& childClass, VSExtensionKind kind = VSExtensionKind::Element);
    void addExtensionDeclarationForParentClass(
        const VSClass& parentClass, std::initializer_list<const VSClass*> childClasses);
    void addAttributeExtensionDeclarationForParentClass(const VSClass& parentClass, const VSClass& childClass);
    void removeExtensionDeclarationForParentClass(const VSClass& parentClass, const VSClass& childClass);
    void removeAttributeExtensionDeclarationForParentClass(const VSClass& parentClass, const VSClass& childClass);
    std::vector<VSExtensionDeclaration> extensionDeclarationsForParentClass(const VSClass& parentClass) const;
    void addLocalAttributeDeclarations(std::initializer_list<const char*> names);
    void addContentValueDeclaration();
    bool hasDeclaredContentValue() const;
    void addChildXMLElementsDeclaration();
    bool hasDeclaredChildXMLElements() const;
    void clearExtensionDeclarationsCache();
    const std::vector<std::string>& attributeDeclarations() const;

    // Extensions.
    std::vector<VSExtensionPtr> objectsForExtensionClass(const VSClass& cls) const;
    VSExtensionPtr objectForExtensionClass(const VSClass& cls) const;
    // An empty list removes the class.
    void setObjects(std::vector<VSExtensionPtr> objects, const VSClass& cls);
    void setObject(const VSExtensionPtr& object, const VSClass& cls);
    void addObject(const VSExtensionPtr& object, const VSClass& cls);
    void removeObject(const VSExtensionObject& object, const VSClass& cls);
    std::optional<std::string> attributeValueForExtensionClass(const VSClass& cls) const;
    void setAttributeValue(const std::optional<std::string>& value, const VSClass& cls);
    static const std::string& qualifiedNameForExtensionClass(const VSClass& cls);
    static void ensureObject(const VSExtensionPtr& object, const VSClass& cls);
    bool hasExtensionClass(const VSClass& cls) const;

    template <typename T> std::shared_ptr<T> objectForExtensionClass() const
    {
        return std::dynamic_pointer_cast<T>(objectForExtensionClass(T::staticClass()));
    }
    template <typename T> std::vector<std::shared_ptr<T>> objectsForExtensionClass() const
    {
        std::vector<std::shared_ptr<T>> result;
        for (const auto& object : objectsForExtensionClass(T::staticClass())) {
            if (auto typed = std::dynamic_pointer_cast<T>(object))
                result.push_back(std::move(typed));
        }
        return result;
    }
    template <typename T> void setObjects(const std::vector<std::shared_ptr<T>>& objects)
    {
        setObjects(std::vector<VSExtensionPtr>(objects.begin(), objects.end()), T::staticClass());
    }
    template <typename T> void setObject(const std::shared_ptr<T>& object) { setObject(object, T::staticClass()); }
    template <typename T> void addObject(const std::shared_ptr<T>& object) { addObject(object, T::staticClass()); }

    // Attributes.
    std::optional<std::string> stringValueForAttribute(std::string_view name) const;
    std::optional<int32_t> intNumberForAttribute(std::string_view name) const;
    std::optional<double> doubleNumberForAttribute(std::string_view name) const;
    std::optional<int64_t> longLongNumberForAttribute(std::string_view name) const;
    // Decimal numbers are read and written with "." as decimal point (en_US).
    std::optional<double> decimalNumberForAttribute(std::string_view name) const;
    std::optional<VSDateTime> dateTimeForAttribute(std::string_view name) const;
    bool boolValueForAttribute(std::string_view name, bool defaultValue) const;
    void setStringValueForAttribute(const std::optional<std::string>& value, std::string_view name);
    void setBoolValueDefaultValueForAttribute(bool value, bool defaultValue, std::string_view name);
    void setExplicitBoolValue(bool value, std::string_view name);
    void setDecimalNumberValue(const std::optional<double>& value, std::string_view name);
    void setDateTimeValueForAttribute(const std::optional<VSDateTime>& value, std::string_view name);
    // Name to value, in the order first set.
    const std::vector<std::pair<std::string, std::string>>& attributes() const { return _attributes; }

    // Content and child XML.
    std::optional<std::string> contentStringValue() const;
    void setContentStringValue(const std::optional<std::string>& value);
    const std::vector<VSXMLElementPtr>& childXMLElements() const;
    void setChildXMLElements(const std::vector<VSXMLElementPtr>& elements);
    void addChildXMLElement(const VSXMLElementPtr& element);

    // Parse operations for subclasses; each marks what it reads as consumed.
    VSObjectPtr objectForChildOfElement(const VSXMLElementPtr& element, std::string_view qualifiedName,
        const char* namespaceURI, const VSClass* objectClass);
    std::vector<VSObjectPtr> objectOrArrayForChildrenOfElement(const VSXMLElementPtr& element,
        std::string_view qualifiedName, const char* namespaceURI, const VSClass* objectClass);
    VSXMLElementPtr childWithQualifiedName(
        std::string_view qualifiedName, const char* namespaceURI, const VSXMLElementPtr& element);
    static VSXMLNodeList elementsForName(
        std::string_view qualifiedName, const char* namespaceURI, const VSXMLElement& parentElement);
    static VSXMLNodeList childrenOfElement(const VSXMLElement& element, std::string_view prefix);
    std::optional<std::string> stringValueFromElement(const VSXMLElementPtr& element);
    std::optional<VSDateTime> dateTimeFromElement(const VSXMLElementPtr& element);
    std::optional<int32_t> intNumberValueFromElement(const VSXMLElementPtr& element);
    std::optional<double> doubleNumberValueFromElement(const VSXMLElementPtr& element);
    VSXMLNodePtr attributeForName(std::string_view name, const VSXMLElement& element);
    VSXMLNodePtr attributeForLocalName(std::string_view localName, const char* URI, const VSXMLElement& element);
    std::optional<std::string> stringForAttributeName(std::string_view name, const VSXMLElement& element);
    std::optional<std::string> stringForAttributeLocalName(
        std::string_view localName, const char* URI, const VSXMLElement& element);
    std::optional<VSDateTime> dateTimeForAttributeName(std::string_view name, const VSXMLElement& element);
    bool boolForAttributeName(std::string_view name, const VSXMLElement& element);
    std::optional<double> doubleNumberForAttributeName(std::string_view name, const VSXMLElement& element);
    std::optional<int32_t> intNumberForAttributeName(std::string_view name, const VSXMLElement& element);
    void handleParsedElement(const VSXMLNode* element);
    void handleParsedElements(const VSXMLNodeList& elements);
    void handleParsedAttribute(const VSXMLNode* attribute);
    // The same by the raw libxml2 attribute.
    void markAttributeConsumed(const void* attribute);

private:
    // While parsing, by the raw libxml2 node.
    void markChildConsumed(const void* child);

public:
    const VSXMLNodeList& unknownChildren() const { return _unknownChildren; }
    const VSXMLNodeList& unknownAttributes() const { return _unknownAttributes; }

    // Namespaces (prefix to URI; the empty prefix is the default namespace).
    const VSXMLNamespaceMap& namespaces() const;
    void setNamespaces(const VSXMLNamespaceMap& namespaces);
    void addNamespaces(const VSXMLNamespaceMap& namespaces);
    VSXMLNamespaceMap completeNamespaces() const;
    void pruneInheritedNamespaces();
    static VSXMLNamespaceMap dictionaryForElementNamespaces(const VSXMLElement& element);

    // Versions.
    std::optional<std::string> serviceVersion() const;
    void setServiceVersion(const std::optional<std::string>& version);
    bool isServiceVersionAtLeast(const std::string& version) const;
    bool isServiceVersionAtMost(const std::string& version) const;
    std::optional<std::string> coreProtocolVersion() const;
    void setCoreProtocolVersion(const std::optional<std::string>& version) { extras().coreProtocolVersion = version; }
    bool isCoreProtocolVersion1() const;

    // Tree and free data.
    VSObjectPtr parent() const { return _parent.lock(); }
    void setParent(const VSObjectPtr& parent) { _parent = parent; }
    const std::string& elementName() const { return _elementName; }
    void setElementName(std::string name) { _elementName = std::move(name); }
    bool shouldIgnoreUnknowns() const { return _shouldIgnoreUnknowns; }
    void setShouldIgnoreUnknowns(bool ignore) { _shouldIgnoreUnknowns = ignore; }
    const VSSurrogates& surrogates() const;
    void setSurrogates(const VSSurrogates& surrogates);
    const std::any& userData() const { return extras().userData; }
    void setUserData(std::any data) { extras().userData = std::move(data); }
    // "_XMLElement" (VSXMLElementPtr) and "_XMLDocument"
    // (std::shared_ptr<VSXMLDocument>) are the model's own keys.
    std::map<std::string, std::any> properties() const;
    void setProperties(const std::map<std::string, std::any>& properties);
    // An empty value removes the key.
    void setProperty(const std::any& value, const std::string& key);
    std::any propertyForKey(const std::string& key) const;

    // Description.
    std::string description() const override;
    virtual std::vector<std::string> itemsForDescription() const;
    std::string descriptionWithItems(const std::vector<std::string>& items) const;
    static void addToArrayObjectDescriptionIfNonNil(
        std::vector<std::string>& items, const std::optional<std::string>& value, std::string_view name);
    void addAttributeDescriptionsToArray(std::vector<std::string>& items) const;
    void addContentDescriptionToArray(std::vector<std::string>& items, std::string_view name) const;
    void addChildXMLElementsDescriptionToArray(std::vector<std::string>& items) const;
    void addExtensionDescriptionsToArray(std::vector<std::string>& items) const;

    // Kind registry.
    static void registerClass(const VSClass& cls, VSClassMap& map, const std::optional<std::string>& scheme,
        const std::optional<std::string>& term);
    static const VSClass* classForCategoryWithScheme(
        const std::optional<std::string>& scheme, const std::optional<std::string>& term, const VSClassMap& map);
    // The class for an "entry" or "feed" element by its kind; defaultEntryClass
    // stands in for the default entry class of the feed class it is called on.
    static const VSClass* objectClassForXMLElement(const VSXMLElement& element, const VSClass* defaultEntryClass);

    bool isEqual(const VSExtensionObject& other) const override;
    VSExtensionPtr copyObject() const override;

protected:
    // The parts of copying a subclass adds to; copyObject() calls it on a fresh
    // instance of the same class.
    virtual void copyInto(VSObject& copy) const;
    std::shared_ptr<VSObject> selfPointer() const
    {
        return std::static_pointer_cast<VSObject>(std::const_pointer_cast<VSExtensionObject>(shared_from_this()));
    }
    virtual void parseAttributesForElement(const VSXMLElement& element);
    virtual void addAttributesToElement(VSXMLElement& element) const;
    // The content value, without the declaration check.
    const std::optional<std::string>& rawContentValue() const { return _contentValue; }
    // Gives this object its own copy of the attribute declarations, for a
    // class that declares more while parsing: the other objects of the class
    // in the tree keep theirs.
    void makeAttributeDeclarationsPrivate();
    // The element class for an "entry" child found without a declaration.
    virtual const VSClass* defaultClassForEntriesOfThisClass() const { return nullptr; }

private:
    // The objects of one extension class: one object kept inline (the usual
    // case), more in a vector.
    class ExtensionList {
    public:
        ExtensionList() = default;
        explicit ExtensionList(std::vector<VSExtensionPtr> objects)
        {
            if (objects.size() == 1)
                _single = std::move(objects.front());
            else
                adoptMany(std::move(objects));
        }
        size_t size() const { return _usesMany ? _many.size() : (_single ? 1 : 0); }
        bool empty() const { return size() == 0; }
        const VSExtensionPtr* begin() const { return _usesMany ? _many.data() : &_single; }
        const VSExtensionPtr* end() const { return begin() + size(); }
        const VSExtensionPtr& front() const { return *begin(); }
        const VSExtensionPtr& operator[](size_t index) const { return begin()[index]; }
        void push_back(VSExtensionPtr object)
        {
            if (!_usesMany && !_single) {
                _single = std::move(object);
                return;
            }
            if (!_usesMany) {
                _many.push_back(std::move(_single));
                _single.reset();
                _usesMany = true;
            }
            _many.push_back(std::move(object));
        }
        template <typename Predicate> void removeIf(Predicate predicate)
        {
            if (_usesMany)
                std::erase_if(_many, predicate);
            else if (_single && predicate(_single))
                _single.reset();
        }
        std::vector<VSExtensionPtr> toVector() const { return std::vector<VSExtensionPtr>(begin(), end()); }

    private:
        void adoptMany(std::vector<VSExtensionPtr> objects)
        {
            _many = std::move(objects);
            _usesMany = true;
        }
        VSExtensionPtr _single;
        std::vector<VSExtensionPtr> _many;
        bool _usesMany = false;
    };

    struct ExtensionSlot {
        const VSClass* cls;
        bool isList;
        ExtensionList objects;
    };

    void parseExtensionsForElement(const VSXMLElementPtr& element);
    void appendObjectsForChildrenOfElement(const VSXMLElementPtr& element, std::string_view qualifiedName,
        const char* namespaceURI, const VSClass* objectClass, std::vector<VSExtensionPtr>& objects);
    detail::VSDeclarationCaches& declarationCaches() const;
    std::shared_ptr<detail::VSDeclarationCaches> sharedDeclarationCaches() const;
    std::vector<std::string>& mutableAttributeDeclarations();
    void addAttributeDeclarationMarker(const char* marker);
    const VSClass& classOrSurrogateForClass(const VSClass& cls) const;
    ExtensionSlot* slotForClass(const VSClass& cls);
    const ExtensionSlot* slotForClass(const VSClass& cls) const;
    void addSlot(ExtensionSlot slot);
    void removeSlot(const VSClass& cls);
    bool extensionsAreEqual(const VSObject& other) const;
    bool attributesAreEqual(const VSObject& other) const;

    std::string _elementName;
    std::weak_ptr<VSObject> _parent;
    mutable std::shared_ptr<detail::VSDeclarationCaches> _declarationCaches;
    std::shared_ptr<std::vector<std::string>> _attributeDeclarations;
    std::vector<ExtensionSlot> _extensions;
    std::vector<std::pair<std::string, std::string>> _attributes;
    std::optional<std::string> _contentValue;
    VSXMLNodeList _unknownChildren;
    VSXMLNodeList _unknownAttributes;
    // While parsing: which of the element's children and attributes are
    // consumed. The unknown lists are made at the end from what is left, so
    // an element whose content is all declared makes no list and never wraps
    // its attributes.
    struct ParseState {
        // The parent, borrowed for the duration of the parse it runs.
        const VSObject* parent = nullptr;
        const VSXMLElement* element = nullptr;
        detail::VSNodeMask consumedChildren;
        detail::VSNodeMask consumedAttributes;
        bool isCollecting = false;
    };
    // Points at the state on the stack of initWithXMLElement while it runs.
    ParseState* _parseState = nullptr;
    bool isCollectingConsumption() const { return _parseState != nullptr && _parseState->isCollecting; }
    bool _shouldIgnoreUnknowns = false;
    std::optional<std::string> _serviceVersion;
    // Kept apart from the free properties: every parsed object sets it.
    VSXMLElementPtr _parsedElement;
    // What few objects use lives apart, made on first use: most objects of a
    // parsed tree are small leaves and should stay small.
    struct Extras {
        VSXMLNamespaceMap namespaces;
        std::vector<VSXMLElementPtr> childXMLElements;
        VSSurrogates surrogates;
        std::optional<std::string> coreProtocolVersion;
        std::any userData;
        std::map<std::string, std::any> userProperties;
        std::shared_ptr<VSXMLDocument> parsedDocument;
    };
    mutable std::unique_ptr<Extras> _extras;
    Extras& extras() const
    {
        if (!_extras)
            _extras = std::make_unique<Extras>();
        return *_extras;
    }
};

}  // namespace zt
