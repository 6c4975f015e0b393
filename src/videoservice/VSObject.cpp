#include "videoservice/VSObject.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "videoservice/VSNumberText.h"
#include "videoservice/VSUtilities.h"
#include "videoservice/VSXMLDocument.h"

namespace zt {

const VSClass& VSObject::staticClass()
{
    static const VSClass descriptor(
        "VSObject", nullptr, []() -> VSExtensionPtr { return std::make_shared<VSObject>(); }, nullptr, nullptr,
        nullptr);
    return descriptor;
}

VSObject::VSObject() = default;
VSObject::~VSObject() = default;

void VSObject::init()
{
    _declarationCaches = std::make_shared<detail::VSDeclarationCaches>();
    addParseDeclarations();
}

void VSObject::initWithServiceVersion(const std::optional<std::string>& serviceVersion)
{
    setServiceVersion(serviceVersion);
    init();
}

VSObjectPtr VSObject::objectWithXMLElement(
    const VSClass& cls, const VSXMLElementPtr& element, const VSObjectPtr& parent)
{
    if (!cls.isSubclassOf(VSObject::staticClass()) || element == nullptr)
        return nullptr;
    auto object = std::static_pointer_cast<VSObject>(cls.make());
    object->initWithXMLElement(element, parent);
    return object;
}

VSObjectPtr VSObject::objectWithXMLElement(const VSClass& cls, const VSXMLElementPtr& element,
    const VSObjectPtr& parent, const std::optional<std::string>& serviceVersion, const VSSurrogates& surrogates,
    bool shouldIgnoreUnknowns)
{
    if (!cls.isSubclassOf(VSObject::staticClass()) || element == nullptr)
        return nullptr;
    auto object = std::static_pointer_cast<VSObject>(cls.make());
    object->initWithXMLElement(element, parent, serviceVersion, surrogates, shouldIgnoreUnknowns);
    return object;
}

void VSObject::initWithXMLElement(const VSXMLElementPtr& element, const VSObjectPtr& parent,
    const std::optional<std::string>& serviceVersion, const VSSurrogates& surrogates, bool shouldIgnoreUnknowns)
{
    setServiceVersion(serviceVersion);
    setSurrogates(surrogates);
    _shouldIgnoreUnknowns = shouldIgnoreUnknowns;
    initWithXMLElement(element, parent);
}

// Declaration caches

std::shared_ptr<detail::VSDeclarationCaches> VSObject::sharedDeclarationCaches() const
{
    if (_declarationCaches)
        return _declarationCaches;
    VSObjectPtr ancestor = parent();
    VSObjectPtr top;
    while (ancestor) {
        if (ancestor->_declarationCaches)
            return ancestor->_declarationCaches;
        top = ancestor;
        ancestor = ancestor->parent();
    }
    // The tree's caches were cleared after its parse: start new ones at the top.
    auto caches = std::make_shared<detail::VSDeclarationCaches>();
    if (top)
        top->_declarationCaches = caches;
    else
        _declarationCaches = caches;
    return caches;
}

detail::VSDeclarationCaches& VSObject::declarationCaches() const
{
    if (_declarationCaches)
        return *_declarationCaches;
    return *sharedDeclarationCaches();
}

void VSObject::clearExtensionDeclarationsCache()
{
    _declarationCaches.reset();
}

void VSObject::addExtensionDeclarationForParentClass(
    const VSClass& parentClass, const VSClass& childClass, VSExtensionKind kind)
{
    auto& list = declarationCaches().extensions[&objectClass()][&parentClass];
    list.emplace_back(&parentClass, &childClass, kind);
}

void VSObject::addExtensionDeclarationForParentClass(
    const VSClass& parentClass, std::initializer_list<const VSClass*> childClasses)
{
    for (const VSClass* child : childClasses) {
        if (child == nullptr)
            return;
        addExtensionDeclarationForParentClass(parentClass, *child);
    }
}

void VSObject::addAttributeExtensionDeclarationForParentClass(const VSClass& parentClass, const VSClass& childClass)
{
    addExtensionDeclarationForParentClass(parentClass, childClass, VSExtensionKind::Attribute);
}

void VSObject::removeExtensionDeclarationForParentClass(const VSClass& parentClass, const VSClass& childClass)
{
    auto& list = declarationCaches().extensions[&objectClass()][&parentClass];
    VSExtensionDeclaration removed(&parentClass, &childClass, VSExtensionKind::Element);
    std::erase(list, removed);
}

void VSObject::removeAttributeExtensionDeclarationForParentClass(const VSClass& parentClass, const VSClass& childClass)
{
    auto& list = declarationCaches().extensions[&objectClass()][&parentClass];
    VSExtensionDeclaration removed(&parentClass, &childClass, VSExtensionKind::Attribute);
    std::erase(list, removed);
}

std::vector<VSExtensionDeclaration> VSObject::extensionDeclarationsForParentClass(const VSClass& parentClass) const
{
    const auto& extensions = declarationCaches().extensions;
    auto declaring = extensions.find(&objectClass());
    if (declaring == extensions.end())
        return {};
    auto list = declaring->second.find(&parentClass);
    return list == declaring->second.end() ? std::vector<VSExtensionDeclaration>() : list->second;
}

std::vector<std::string>& VSObject::mutableAttributeDeclarations()
{
    if (!_attributeDeclarations) {
        auto& cached = declarationCaches().attributes[&objectClass()];
        if (!cached)
            cached = std::make_shared<std::vector<std::string>>();
        _attributeDeclarations = cached;
    }
    return *_attributeDeclarations;
}

const std::vector<std::string>& VSObject::attributeDeclarations() const
{
    static const std::vector<std::string> none;
    return _attributeDeclarations ? *_attributeDeclarations : none;
}

void VSObject::makeAttributeDeclarationsPrivate()
{
    _attributeDeclarations = std::make_shared<std::vector<std::string>>(attributeDeclarations());
}

void VSObject::addLocalAttributeDeclarations(std::initializer_list<const char*> names)
{
    auto& list = mutableAttributeDeclarations();
    for (const char* name : names)
        list.emplace_back(name);
}

void VSObject::addAttributeDeclarationMarker(const char* marker)
{
    auto& list = mutableAttributeDeclarations();
    if (std::find(list.begin(), list.end(), marker) == list.end())
        list.emplace_back(marker);
}

void VSObject::addContentValueDeclaration()
{
    addAttributeDeclarationMarker(kContentValueDeclarationMarker);
}

bool VSObject::hasDeclaredContentValue() const
{
    const auto& list = attributeDeclarations();
    return std::find(list.begin(), list.end(), kContentValueDeclarationMarker) != list.end();
}

void VSObject::addChildXMLElementsDeclaration()
{
    addAttributeDeclarationMarker(kChildXMLDeclarationMarker);
}

bool VSObject::hasDeclaredChildXMLElements() const
{
    const auto& list = attributeDeclarations();
    return std::find(list.begin(), list.end(), kChildXMLDeclarationMarker) != list.end();
}

// Extensions

VSObject::ExtensionSlot* VSObject::slotForClass(const VSClass& cls)
{
    for (auto& slot : _extensions) {
        if (slot.cls == &cls)
            return &slot;
    }
    return nullptr;
}

const VSObject::ExtensionSlot* VSObject::slotForClass(const VSClass& cls) const
{
    for (const auto& slot : _extensions) {
        if (slot.cls == &cls)
            return &slot;
    }
    return nullptr;
}

void VSObject::addSlot(ExtensionSlot slot)
{
    // Entries and groups hold a dozen or more classes: grow in one step.
    if (_extensions.empty())
        _extensions.reserve(8);
    _extensions.push_back(std::move(slot));
}

void VSObject::removeSlot(const VSClass& cls)
{
    std::erase_if(_extensions, [&](const ExtensionSlot& slot) { return slot.cls == &cls; });
}

bool VSObject::hasExtensionClass(const VSClass& cls) const
{
    return slotForClass(cls) != nullptr;
}

std::vector<VSExtensionPtr> VSObject::objectsForExtensionClass(const VSClass& cls) const
{
    const ExtensionSlot* slot = slotForClass(cls);
    return slot != nullptr ? slot->objects.toVector() : std::vector<VSExtensionPtr>();
}

VSExtensionPtr VSObject::objectForExtensionClass(const VSClass& cls) const
{
    const ExtensionSlot* slot = slotForClass(cls);
    return slot != nullptr && !slot->objects.empty() ? slot->objects.front() : nullptr;
}

void VSObject::setObjects(std::vector<VSExtensionPtr> objects, const VSClass& cls)
{
    if (objects.empty()) {
        removeSlot(cls);
        return;
    }
    for (const auto& object : objects)
        ensureObject(object, cls);
    if (ExtensionSlot* slot = slotForClass(cls)) {
        slot->isList = true;
        slot->objects = ExtensionList(std::move(objects));
    } else {
        addSlot({&cls, true, ExtensionList(std::move(objects))});
    }
}

void VSObject::setObject(const VSExtensionPtr& object, const VSClass& cls)
{
    if (object == nullptr) {
        removeSlot(cls);
        return;
    }
    ensureObject(object, cls);
    ExtensionList single;
    single.push_back(object);
    if (ExtensionSlot* slot = slotForClass(cls)) {
        slot->isList = false;
        slot->objects = std::move(single);
    } else {
        addSlot({&cls, false, std::move(single)});
    }
}

void VSObject::addObject(const VSExtensionPtr& object, const VSClass& cls)
{
    if (object == nullptr)
        return;
    ensureObject(object, cls);
    ExtensionSlot* slot = slotForClass(cls);
    if (slot == nullptr) {
        ExtensionList single;
        single.push_back(object);
        addSlot({&cls, false, std::move(single)});
        return;
    }
    slot->isList = true;
    slot->objects.push_back(object);
}

void VSObject::removeObject(const VSExtensionObject& object, const VSClass& cls)
{
    ExtensionSlot* slot = slotForClass(cls);
    if (slot == nullptr)
        return;
    if (slot->isList) {
        // An emptied list stays: objectForExtensionClass then answers nullptr.
        slot->objects.removeIf([&](const VSExtensionPtr& stored) { return stored->isEqual(object); });
        return;
    }
    if (!slot->objects.empty() && slot->objects.front()->isEqual(object))
        removeSlot(cls);
}

std::optional<std::string> VSObject::attributeValueForExtensionClass(const VSClass& cls) const
{
    auto attribute = std::dynamic_pointer_cast<VSAttribute>(objectForExtensionClass(cls));
    return attribute ? attribute->stringValue() : std::nullopt;
}

void VSObject::setAttributeValue(const std::optional<std::string>& value, const VSClass& cls)
{
    auto attribute = std::dynamic_pointer_cast<VSAttribute>(cls.make());
    if (attribute == nullptr)
        return;
    attribute->setStringValue(value);
    setObject(attribute, cls);
}

const std::string& VSObject::qualifiedNameForExtensionClass(const VSClass& cls)
{
    return cls.qualifiedName;
}

void VSObject::ensureObject(const VSExtensionPtr& object, const VSClass& cls)
{
    auto element = std::dynamic_pointer_cast<VSObject>(object);
    if (element && element->_elementName.empty())
        element->_elementName = qualifiedNameForExtensionClass(cls);
}

// Attributes

std::optional<std::string> VSObject::stringValueForAttribute(std::string_view name) const
{
    for (const auto& [key, value] : _attributes) {
        if (key == name)
            return value;
    }
    return std::nullopt;
}

namespace {
std::optional<int64_t> leadingInteger(std::string_view text, int64_t low, int64_t high)
{
    size_t index = 0;
    while (index < text.size()
        && (text[index] == ' ' || text[index] == '\t' || text[index] == '\n' || text[index] == '\r'
            || text[index] == '\v' || text[index] == '\f'))
        ++index;
    bool negative = false;
    if (index < text.size() && (text[index] == '+' || text[index] == '-')) {
        negative = text[index] == '-';
        ++index;
    }
    size_t start = index;
    // Accumulated as a magnitude with room for one more digit past the limits.
    constexpr uint64_t kCap = uint64_t(1) << 63;
    uint64_t magnitude = 0;
    while (index < text.size() && text[index] >= '0' && text[index] <= '9') {
        magnitude = magnitude > kCap / 10 ? kCap + 1 : magnitude * 10 + static_cast<uint64_t>(text[index] - '0');
        ++index;
    }
    if (index == start)
        return std::nullopt;
    if (negative) {
        uint64_t limit = static_cast<uint64_t>(-(low + 1)) + 1;
        return magnitude >= limit ? low : -static_cast<int64_t>(magnitude);
    }
    return magnitude >= static_cast<uint64_t>(high) ? high : static_cast<int64_t>(magnitude);
}

std::string decimalText(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    // The shortest form that reads back the same value.
    for (int precision = 1; precision <= 17; ++precision) {
        char shorter[64];
        std::snprintf(shorter, sizeof shorter, "%.*g", precision, value);
        if (std::strtod(shorter, nullptr) == value)
            return shorter;
    }
    return text;
}
}  // namespace

namespace detail {
int32_t intValueOfText(std::string_view text)
{
    return static_cast<int32_t>(leadingInteger(text, INT32_MIN, INT32_MAX).value_or(0));
}

int64_t longLongValueOfText(std::string_view text)
{
    return leadingInteger(text, INT64_MIN, INT64_MAX).value_or(0);
}

std::string decimalTextOfDouble(double value)
{
    return decimalText(value);
}
}  // namespace detail

std::optional<int32_t> VSObject::intNumberForAttribute(std::string_view name) const
{
    auto text = stringValueForAttribute(name);
    if (!text || text->empty())
        return std::nullopt;
    return detail::intValueOfText(*text);
}

std::optional<double> VSObject::doubleNumberForAttribute(std::string_view name) const
{
    auto text = stringValueForAttribute(name);
    return text ? VSUtilities::doubleNumberOrInfForString(*text) : std::nullopt;
}

std::optional<int64_t> VSObject::longLongNumberForAttribute(std::string_view name) const
{
    auto text = stringValueForAttribute(name);
    if (!text)
        return std::nullopt;
    return detail::longLongValueOfText(*text);
}

std::optional<double> VSObject::decimalNumberForAttribute(std::string_view name) const
{
    auto text = stringValueForAttribute(name);
    if (!text || text->empty())
        return std::nullopt;
    return VSUtilities::doubleNumberOrInfForString(*text);
}

std::optional<VSDateTime> VSObject::dateTimeForAttribute(std::string_view name) const
{
    auto text = stringValueForAttribute(name);
    if (!text || text->empty())
        return std::nullopt;
    return VSDateTime::dateTimeWithRFC3339String(*text);
}

bool VSObject::boolValueForAttribute(std::string_view name, bool defaultValue) const
{
    auto text = stringValueForAttribute(name);
    if (!text)
        return defaultValue;
    std::string lower = plat::lowercaseString(*text);
    return defaultValue ? lower != "false" : lower == "true";
}

void VSObject::setStringValueForAttribute(const std::optional<std::string>& value, std::string_view name)
{
    auto found
        = std::find_if(_attributes.begin(), _attributes.end(), [&](const auto& entry) { return entry.first == name; });
    if (!value) {
        if (found != _attributes.end())
            _attributes.erase(found);
        return;
    }
    if (found != _attributes.end())
        found->second = *value;
    else
        _attributes.emplace_back(std::string(name), *value);
}

void VSObject::setBoolValueDefaultValueForAttribute(bool value, bool defaultValue, std::string_view name)
{
    if (value == defaultValue)
        setStringValueForAttribute(std::nullopt, name);
    else
        setStringValueForAttribute(value ? "true" : "false", name);
}

void VSObject::setExplicitBoolValue(bool value, std::string_view name)
{
    setStringValueForAttribute(value ? "true" : "false", name);
}

void VSObject::setDecimalNumberValue(const std::optional<double>& value, std::string_view name)
{
    setStringValueForAttribute(value ? std::optional<std::string>(decimalText(*value)) : std::nullopt, name);
}

void VSObject::setDateTimeValueForAttribute(const std::optional<VSDateTime>& value, std::string_view name)
{
    setStringValueForAttribute(value ? std::optional<std::string>(value->RFC3339String()) : std::nullopt, name);
}

// Content and child XML

std::optional<std::string> VSObject::contentStringValue() const
{
    if (!hasDeclaredContentValue()) {
        plat::log(
            "components/videoservice/BaseClasses/VSObject contentStringValue: {} getting undeclared content value",
            objectClass().name);
        return std::nullopt;
    }
    return _contentValue;
}

void VSObject::setContentStringValue(const std::optional<std::string>& value)
{
    if (!hasDeclaredContentValue()) {
        plat::log(
            "components/videoservice/BaseClasses/VSObject setContentStringValue: {} setting undeclared content value",
            objectClass().name);
        return;
    }
    _contentValue = value;
}

namespace {
template <typename T> const T& emptyValue()
{
    static const T empty;
    return empty;
}
}  // namespace

const std::vector<VSXMLElementPtr>& VSObject::childXMLElements() const
{
    return _extras ? _extras->childXMLElements : emptyValue<std::vector<VSXMLElementPtr>>();
}

const VSXMLNamespaceMap& VSObject::namespaces() const
{
    return _extras ? _extras->namespaces : emptyValue<VSXMLNamespaceMap>();
}

void VSObject::setNamespaces(const VSXMLNamespaceMap& namespaces)
{
    if (namespaces.empty() && !_extras)
        return;
    extras().namespaces = namespaces;
}

const VSSurrogates& VSObject::surrogates() const
{
    return _extras ? _extras->surrogates : emptyValue<VSSurrogates>();
}

void VSObject::setSurrogates(const VSSurrogates& surrogates)
{
    if (surrogates.empty() && !_extras)
        return;
    extras().surrogates = surrogates;
}

void VSObject::setChildXMLElements(const std::vector<VSXMLElementPtr>& elements)
{
    extras().childXMLElements = elements;
}

void VSObject::addChildXMLElement(const VSXMLElementPtr& element)
{
    if (element)
        extras().childXMLElements.push_back(element);
}

// Namespaces

void VSObject::addNamespaces(const VSXMLNamespaceMap& namespaces)
{
    for (const auto& [prefix, URI] : namespaces)
        extras().namespaces[prefix] = URI;
}

VSXMLNamespaceMap VSObject::completeNamespaces() const
{
    VSObjectPtr up = parent();
    VSXMLNamespaceMap result = up ? up->completeNamespaces() : VSXMLNamespaceMap();
    for (const auto& [prefix, URI] : namespaces())
        result[prefix] = URI;
    return result;
}

void VSObject::pruneInheritedNamespaces()
{
    VSObjectPtr up = parent();
    if (!up || namespaces().empty())
        return;
    VSXMLNamespaceMap inherited = up->completeNamespaces();
    std::erase_if(extras().namespaces, [&](const auto& entry) {
        auto found = inherited.find(entry.first);
        return found != inherited.end() && found->second == entry.second;
    });
}

// Versions

std::optional<std::string> VSObject::serviceVersion() const
{
    return _serviceVersion ? _serviceVersion : defaultServiceVersion();
}

void VSObject::setServiceVersion(const std::optional<std::string>& version)
{
    if (version == _serviceVersion)
        return;
    if (_extras)
        _extras->coreProtocolVersion.reset();
    _serviceVersion = version;
}

bool VSObject::isServiceVersionAtLeast(const std::string& version) const
{
    return VSUtilities::compareVersion(serviceVersion(), version) >= 0;
}

bool VSObject::isServiceVersionAtMost(const std::string& version) const
{
    return VSUtilities::compareVersion(serviceVersion(), version) <= 0;
}

std::optional<std::string> VSObject::coreProtocolVersion() const
{
    auto& cached = extras().coreProtocolVersion;
    if (!cached)
        cached = coreProtocolVersionForServiceVersion(serviceVersion());
    return cached;
}

bool VSObject::isCoreProtocolVersion1() const
{
    auto version = coreProtocolVersion();
    return detail::intValueOfText(version.value_or("")) < 2;
}

// Properties

std::map<std::string, std::any> VSObject::properties() const
{
    auto result = _extras ? _extras->userProperties : std::map<std::string, std::any>();
    if (_parsedElement)
        result["_XMLElement"] = _parsedElement;
    if (_extras && _extras->parsedDocument)
        result["_XMLDocument"] = _extras->parsedDocument;
    return result;
}

void VSObject::setProperties(const std::map<std::string, std::any>& properties)
{
    if (_extras)
        _extras->userProperties.clear();
    _parsedElement.reset();
    if (_extras)
        _extras->parsedDocument.reset();
    for (const auto& [key, value] : properties)
        setProperty(value, key);
}

void VSObject::setProperty(const std::any& value, const std::string& key)
{
    if (key == "_XMLElement") {
        auto element = std::any_cast<VSXMLElementPtr>(&value);
        _parsedElement = element ? *element : nullptr;
        return;
    }
    if (key == "_XMLDocument") {
        auto document = std::any_cast<std::shared_ptr<VSXMLDocument>>(&value);
        extras().parsedDocument = document ? *document : nullptr;
        return;
    }
    if (!value.has_value())
        extras().userProperties.erase(key);
    else
        extras().userProperties[key] = value;
}

std::any VSObject::propertyForKey(const std::string& key) const
{
    if (key == "_XMLElement")
        return _parsedElement ? std::any(_parsedElement) : std::any();
    if (key == "_XMLDocument")
        return _extras && _extras->parsedDocument ? std::any(_extras->parsedDocument) : std::any();
    if (!_extras)
        return std::any();
    auto found = _extras->userProperties.find(key);
    return found != _extras->userProperties.end() ? found->second : std::any();
}

// Equality and copying

bool VSObject::extensionsAreEqual(const VSObject& other) const
{
    if (_extensions.size() != other._extensions.size())
        return false;
    for (const auto& slot : _extensions) {
        const ExtensionSlot* theirs = other.slotForClass(*slot.cls);
        if (theirs == nullptr || theirs->isList != slot.isList || theirs->objects.size() != slot.objects.size())
            return false;
        for (size_t i = 0; i < slot.objects.size(); ++i) {
            if (!slot.objects[i]->isEqual(*theirs->objects[i]))
                return false;
        }
    }
    return true;
}

bool VSObject::attributesAreEqual(const VSObject& other) const
{
    auto ignored = attributesIgnoredForEquality();
    if (ignored.empty()) {
        if (_attributes.size() != other._attributes.size())
            return false;
        for (const auto& [name, value] : _attributes) {
            if (other.stringValueForAttribute(name) != value)
                return false;
        }
        return true;
    }
    for (const auto& name : attributeDeclarations()) {
        if (name.starts_with(' ') || std::find(ignored.begin(), ignored.end(), name) != ignored.end())
            continue;
        if (stringValueForAttribute(name) != other.stringValueForAttribute(name))
            return false;
    }
    return true;
}

bool VSObject::isEqual(const VSExtensionObject& other) const
{
    if (this == &other)
        return true;
    auto object = dynamic_cast<const VSObject*>(&other);
    if (object == nullptr || !object->isKindOfClass(objectClass()))
        return false;
    if (!extensionsAreEqual(*object) || !attributesAreEqual(*object))
        return false;
    if (hasDeclaredContentValue() && _contentValue != object->_contentValue)
        return false;
    if (hasDeclaredChildXMLElements()) {
        const auto& mine = childXMLElements();
        const auto& theirs = object->childXMLElements();
        if (mine.size() != theirs.size())
            return false;
        for (size_t i = 0; i < mine.size(); ++i) {
            if (!mine[i]->isEqual(*theirs[i]))
                return false;
        }
    }
    return true;
}

VSExtensionPtr VSObject::copyObject() const
{
    auto copy = std::static_pointer_cast<VSObject>(objectClass().make());
    copy->init();
    copyInto(*copy);
    return copy;
}

void VSObject::copyInto(VSObject& copy) const
{
    copy._elementName = _elementName;
    copy.setServiceVersion(_serviceVersion);
    if (!namespaces().empty())
        copy.setNamespaces(namespaces());
    copy._extensions.clear();
    for (const auto& slot : _extensions) {
        ExtensionSlot copied {slot.cls, slot.isList, {}};
        for (const auto& object : slot.objects)
            copied.objects.push_back(object->copyObject());
        copy._extensions.push_back(std::move(copied));
    }
    copy._attributes = _attributes;
    copy._attributeDeclarations = std::make_shared<std::vector<std::string>>(attributeDeclarations());
    if (hasDeclaredContentValue())
        copy._contentValue = _contentValue;
    if (hasDeclaredChildXMLElements()) {
        std::vector<VSXMLElementPtr> copies;
        for (const auto& element : childXMLElements())
            copies.push_back(std::static_pointer_cast<VSXMLElement>(element->copy()));
        copy.setChildXMLElements(copies);
    }
    copy._shouldIgnoreUnknowns = _shouldIgnoreUnknowns;
    copy._unknownChildren.clear();
    copy._unknownAttributes.clear();
    if (!_shouldIgnoreUnknowns) {
        // Copies own their XML, so the copy does not depend on the parsed document.
        for (const auto& child : _unknownChildren)
            copy._unknownChildren.push_back(child->copy());
        for (const auto& attribute : _unknownAttributes)
            copy._unknownAttributes.push_back(attribute->copy());
    }
}

// Description

std::vector<std::string> VSObject::itemsForDescription() const
{
    std::vector<std::string> items;
    addAttributeDescriptionsToArray(items);
    addContentDescriptionToArray(items, "content");
    addExtensionDescriptionsToArray(items);
    addChildXMLElementsDescriptionToArray(items);
    return items;
}

std::string VSObject::descriptionWithItems(const std::vector<std::string>& items) const
{
    char identity[32];
    std::snprintf(identity, sizeof identity, "%p", static_cast<const void*>(this));
    std::string text = std::string(objectClass().name) + " " + identity;
    if (items.empty())
        return text;
    text += ": {";
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += ' ';
        text += items[i];
    }
    return text + "}";
}

std::string VSObject::description() const
{
    return descriptionWithItems(itemsForDescription());
}

void VSObject::addToArrayObjectDescriptionIfNonNil(
    std::vector<std::string>& items, const std::optional<std::string>& value, std::string_view name)
{
    if (value)
        items.push_back(std::string(name) + ":" + *value);
}

void VSObject::addAttributeDescriptionsToArray(std::vector<std::string>& items) const
{
    for (const auto& name : attributeDeclarations()) {
        if (name.starts_with(' '))
            continue;
        addToArrayObjectDescriptionIfNonNil(items, stringValueForAttribute(name), name);
    }
}

void VSObject::addContentDescriptionToArray(std::vector<std::string>& items, std::string_view name) const
{
    if (hasDeclaredContentValue())
        addToArrayObjectDescriptionIfNonNil(items, _contentValue, name);
}

void VSObject::addExtensionDescriptionsToArray(std::vector<std::string>& items) const
{
    if (_extensions.empty())
        return;
    std::vector<std::string> names;
    for (const auto& slot : _extensions) {
        std::string name = slot.cls->qualifiedName.empty() ? slot.cls->name : slot.cls->qualifiedName;
        if (slot.isList && slot.objects.size() != 1)
            name += "(" + std::to_string(slot.objects.size()) + ")";
        names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(),
        [](const std::string& a, const std::string& b) { return plat::lowercaseString(a) < plat::lowercaseString(b); });
    std::string joined;
    for (size_t i = 0; i < names.size(); ++i)
        joined += (i > 0 ? "," : "") + names[i];
    items.push_back("extensions:(" + joined + ")");
}

void VSObject::addChildXMLElementsDescriptionToArray(std::vector<std::string>& items) const
{
    if (!hasDeclaredChildXMLElements() || childXMLElements().empty())
        return;
    std::string text = "XML:";
    for (const auto& element : childXMLElements())
        text += element->XMLString().value_or("");
    items.push_back(text);
}

}  // namespace zt
