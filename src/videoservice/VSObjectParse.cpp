// Parsing an XML element into an object, and writing it back.
#include <algorithm>
#include <array>
#include <cstring>
#include <unordered_set>

#include "platform/foundation/Log.h"
#include "videoservice/VSEntryBase.h"
#include "videoservice/VSFeedBase.h"
#include "videoservice/VSKindMaps.h"
#include "videoservice/VSNamespaces.h"
#include "videoservice/VSNumberText.h"
#include "videoservice/VSObject.h"
#include "videoservice/VSUtilities.h"
#include "videoservice/VSXMLDocument.h"
#include "videoservice/XMLDetail.h"

namespace zt {

using detail::chars;

namespace {

xmlNodePtr rawNode(const VSXMLNode& node)
{
    return reinterpret_cast<xmlNodePtr>(node.XMLNode());
}

// The local part of a raw libxml2 name (after its first ':'), without copying.
std::string_view localPartOf(const xmlChar* name)
{
    std::string_view text(chars(name));
    size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon + 1 == text.size())
        return text;
    return text.substr(colon + 1);
}

// Compares a zero-terminated libxml2 string with the start of text; answers
// the length matched, or npos when they differ.
size_t matchPrefix(const xmlChar* raw, std::string_view text)
{
    size_t index = 0;
    for (; raw[index] != 0; ++index) {
        if (index >= text.size() || static_cast<char>(raw[index]) != text[index])
            return std::string_view::npos;
    }
    return index;
}

bool attributeHasQualifiedName(xmlAttrPtr attribute, std::string_view qualifiedName)
{
    if (attribute->ns == nullptr || attribute->ns->prefix == nullptr)
        return matchPrefix(attribute->name, qualifiedName) == qualifiedName.size();
    size_t prefixLength = matchPrefix(attribute->ns->prefix, qualifiedName);
    if (prefixLength == std::string_view::npos || prefixLength >= qualifiedName.size()
        || qualifiedName[prefixLength] != ':')
        return false;
    std::string_view rest = qualifiedName.substr(prefixLength + 1);
    return matchPrefix(attribute->name, rest) == rest.size();
}

// Removes from list every node of removed, in one pass over each: a feed's
// entries are consumed all at once, and a search of the list per entry
// made parsing quadratic in the entries.
void removeByIdentity(VSXMLNodeList& list, const VSXMLNodeList& removed)
{
    if (removed.empty() || list.empty())
        return;
    std::unordered_set<const VSXMLNode*> consumed;
    consumed.reserve(removed.size());
    for (const auto& node : removed)
        consumed.insert(node.get());
    std::erase_if(list, [&](const VSXMLNodePtr& node) { return consumed.contains(node.get()); });
}

// The text of an attribute, without going through the string cache.
std::string attributeText(xmlAttrPtr attribute)
{
    xmlNodePtr text = attribute->children;
    if (text == nullptr)
        return std::string();
    if (text->next == nullptr && text->type == XML_TEXT_NODE)
        return text->content != nullptr ? std::string(chars(text->content)) : std::string();
    xmlChar* content = xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(attribute));
    std::string result = content != nullptr ? chars(content) : "";
    xmlFree(content);
    return result;
}

// "prefix:local" as written, without the string cache.
std::string qualifiedNameOf(xmlNodePtr node)
{
    if (node == nullptr || node->name == nullptr)
        return std::string();
    if (node->ns == nullptr || node->ns->prefix == nullptr)
        return chars(node->name);
    std::string_view prefix(chars(node->ns->prefix));
    std::string_view name(chars(node->name));
    std::string qualified;
    qualified.reserve(prefix.size() + 1 + name.size());
    qualified.append(prefix).append(1, ':').append(name);
    return qualified;
}

std::string jsonQuoted(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string registrationKey(const std::optional<std::string>& scheme, const std::optional<std::string>& term)
{
    if (!scheme || *scheme == kVSCategoryKind)
        return term.value_or("");
    return "{" + jsonQuoted(*scheme) + ":" + jsonQuoted(term.value_or("")) + "}";
}

}  // namespace

void VSObject::initWithXMLElement(const VSXMLElementPtr& element, const VSObjectPtr& parent)
{
    if (element == nullptr)
        return;
    _parent = parent;
    ParseState state;
    state.parent = parent.get();
    _parseState = &state;
    if (parent) {
        setServiceVersion(parent->serviceVersion());
        _shouldIgnoreUnknowns = parent->_shouldIgnoreUnknowns;
        // Surrogates reach down the tree: the parent's map already holds those
        // of its own ancestors.
        if (!parent->surrogates().empty() && surrogates().empty())
            setSurrogates(parent->surrogates());
        _declarationCaches = parent->sharedDeclarationCaches();
    } else {
        _declarationCaches = std::make_shared<detail::VSDeclarationCaches>();
    }
    setNamespaces(dictionaryForElementNamespaces(*element));
    if (!_shouldIgnoreUnknowns) {
        state.element = element.get();
        state.isCollecting = true;
    }
    auto& caches = *_declarationCaches;
    if (!caches.extensions.contains(&objectClass())) {
        caches.extensions[&objectClass()];
        addExtensionDeclarations();
    }
    auto cachedAttributes = caches.attributes.find(&objectClass());
    if (cachedAttributes != caches.attributes.end() && cachedAttributes->second) {
        _attributeDeclarations = cachedAttributes->second;
    } else {
        addParseDeclarations();
        mutableAttributeDeclarations();
    }

    parseExtensionsForElement(element);
    parseAttributesForElement(*element);
    if (hasDeclaredContentValue())
        _contentValue = stringValueFromElement(element);
    if (hasDeclaredChildXMLElements()) {
        for (const auto& child : element->children()) {
            if (child->kind() != VSXMLNode::Kind::Element)
                continue;
            addChildXMLElement(std::static_pointer_cast<VSXMLElement>(child->copy()));
            handleParsedElement(child.get());
        }
    }
    _elementName = qualifiedNameOf(rawNode(*element));
    if (state.isCollecting) {
        state.isCollecting = false;
        xmlNodePtr node = rawNode(*element);
        // Wrappers of the children are made only when some are left over.
        size_t index = 0;
        bool anyLeft = false;
        for (xmlNodePtr child = node != nullptr ? node->children : nullptr; child != nullptr && !anyLeft;
             child = child->next, ++index)
            anyLeft = !state.consumedChildren.test(index);
        if (anyLeft) {
            const auto& children = element->children();
            for (index = 0; index < children.size(); ++index) {
                if (!state.consumedChildren.test(index))
                    _unknownChildren.push_back(children[index]);
            }
        }
        index = 0;
        for (xmlAttrPtr attribute = node != nullptr ? node->properties : nullptr; attribute != nullptr;
             attribute = attribute->next, ++index) {
            if (state.consumedAttributes.test(index))
                continue;
            if (auto wrapper = element->attributeForXMLNode(reinterpret_cast<xmlNodePtr>(attribute)))
                _unknownAttributes.push_back(std::move(wrapper));
        }
    }
    _parseState = nullptr;
    if (parent)
        _declarationCaches.reset();  // reached through the parent chain from now on
    if (!_shouldIgnoreUnknowns)
        _parsedElement = element;
}

void VSObject::parseExtensionsForElement(const VSXMLElementPtr& element)
{
    // The local names of the children, made once for all declarations.
    // Kept on the stack for the usual element; the raw list is searched for
    // elements with more children.
    constexpr size_t kInlineNames = 64;
    std::array<std::string_view, kInlineNames> localNames;
    size_t nameCount = 0;
    bool namesOverflow = false;
    xmlNodePtr parentNode = rawNode(*element);
    for (xmlNodePtr node = parentNode != nullptr ? parentNode->children : nullptr; node != nullptr; node = node->next) {
        if (node->type != XML_ELEMENT_NODE || node->name == nullptr)
            continue;
        if (nameCount == kInlineNames) {
            namesOverflow = true;
            break;
        }
        localNames[nameCount++] = localPartOf(node->name);
    }
    auto hasLocalName = [&](const char* name) {
        if (name == nullptr)
            return false;
        std::string_view wanted(name);
        if (wanted == "*")
            return true;
        if (!namesOverflow)
            return std::find(localNames.begin(), localNames.begin() + static_cast<ptrdiff_t>(nameCount), wanted)
                != localNames.begin() + static_cast<ptrdiff_t>(nameCount);
        for (xmlNodePtr node = parentNode->children; node != nullptr; node = node->next) {
            if (node->type == XML_ELEMENT_NODE && node->name != nullptr && localPartOf(node->name) == wanted)
                return true;
        }
        return false;
    };

    VSObjectPtr holder;
    for (const VSObject* chain = this; chain != nullptr;) {
        const auto& extensions = chain->declarationCaches().extensions;
        auto declaring = extensions.find(&chain->objectClass());
        if (declaring != extensions.end()) {
            auto list = declaring->second.find(&objectClass());
            if (list != declaring->second.end() && !list->second.empty()) {
                // The list of a chain object's class is complete before its
                // children are parsed, and the cache's maps keep their values
                // in place: no copy needed.
                const auto& declarations = list->second;
                for (size_t index = 0; index < declarations.size(); ++index) {
                    const VSExtensionDeclaration& declaration = declarations[index];
                    const VSClass& childClass = *declaration.childClass();
                    if (hasExtensionClass(childClass))
                        continue;
                    if (!declaration.isAttribute() && !hasLocalName(childClass.extensionElementLocalName))
                        continue;
                    const std::string& qualifiedName = qualifiedNameForExtensionClass(childClass);
                    if (declaration.isAttribute()) {
                        auto value = stringForAttributeName(qualifiedName, *element);
                        if (!value)
                            continue;
                        auto attribute = std::dynamic_pointer_cast<VSAttribute>(childClass.make());
                        if (attribute == nullptr)
                            continue;
                        attribute->setStringValue(value);
                        setObject(attribute, childClass);
                        continue;
                    }
                    std::vector<VSExtensionPtr> objects;
                    appendObjectsForChildrenOfElement(
                        element, qualifiedName, childClass.extensionElementURI, &childClass, objects);
                    if (objects.size() > 1)
                        setObjects(std::move(objects), childClass);
                    else if (objects.size() == 1)
                        setObject(std::move(objects.front()), childClass);
                }
            }
        }
        // An ancestor in the middle of its own parse is alive on the stack.
        if (chain->_parseState != nullptr && chain->_parseState->parent != nullptr) {
            chain = chain->_parseState->parent;
        } else {
            holder = chain->parent();
            chain = holder.get();
        }
    }
}

void VSObject::parseAttributesForElement(const VSXMLElement& element)
{
    const auto& declared = attributeDeclarations();
    xmlNodePtr node = rawNode(element);
    if (declared.empty() || node == nullptr)
        return;
    for (xmlAttrPtr attribute = node->properties; attribute != nullptr; attribute = attribute->next) {
        if (attribute->name == nullptr)
            continue;
        for (const auto& name : declared) {
            if (!attributeHasQualifiedName(attribute, name))
                continue;
            setStringValueForAttribute(attributeText(attribute), name);
            markAttributeConsumed(attribute);
            break;
        }
    }
}

const VSClass& VSObject::classOrSurrogateForClass(const VSClass& cls) const
{
    if (_parseState != nullptr) {
        const auto& own = surrogates();
        auto found = own.find(&cls);
        return found != own.end() && found->second != nullptr ? *found->second : cls;
    }
    VSObjectPtr holder;
    for (const VSObject* object = this; object != nullptr;) {
        const auto& map = object->surrogates();
        auto found = map.find(&cls);
        if (found != map.end() && found->second != nullptr)
            return *found->second;
        holder = object->parent();
        object = holder.get();
    }
    return cls;
}

std::vector<VSObjectPtr> VSObject::objectOrArrayForChildrenOfElement(const VSXMLElementPtr& element,
    std::string_view qualifiedName, const char* namespaceURI, const VSClass* objectClass)
{
    std::vector<VSExtensionPtr> objects;
    appendObjectsForChildrenOfElement(element, qualifiedName, namespaceURI, objectClass, objects);
    std::vector<VSObjectPtr> result;
    result.reserve(objects.size());
    for (auto& object : objects)
        result.push_back(std::static_pointer_cast<VSObject>(std::move(object)));
    return result;
}

void VSObject::appendObjectsForChildrenOfElement(const VSXMLElementPtr& element, std::string_view qualifiedName,
    const char* namespaceURI, const VSClass* objectClass, std::vector<VSExtensionPtr>& objects)
{
    if (element == nullptr)
        return;
    VSXMLNodeList selected;
    size_t colon = qualifiedName.find(':');
    std::string_view local = colon == std::string_view::npos || colon + 1 == qualifiedName.size()
        ? qualifiedName
        : qualifiedName.substr(colon + 1);
    if (local == "*") {
        auto prefix = VSXMLNode::prefixForName(qualifiedName);
        if (!prefix && namespaceURI != nullptr)
            prefix = element->resolvePrefixForNamespaceURI(namespaceURI);
        if (prefix)
            selected = childrenOfElement(*element, *prefix);
    } else {
        selected = elementsForName(qualifiedName, namespaceURI, *element);
    }
    VSObjectPtr self;
    for (const auto& node : selected) {
        if (node->kind() != VSXMLNode::Kind::Element)
            continue;
        auto child = std::static_pointer_cast<VSXMLElement>(node);
        const VSClass* cls = objectClass;
        if (cls == nullptr)
            cls = objectClassForXMLElement(*child, defaultClassForEntriesOfThisClass());
        if (cls == nullptr && qualifiedName == "entry" && namespaceURI != nullptr
            && std::strcmp(namespaceURI, kVSNamespaceAtom) == 0)
            cls = &VSEntryBase::staticClass();
        if (cls == nullptr)
            continue;
        if (!self)
            self = selfPointer();
        if (auto object = objectWithXMLElement(classOrSurrogateForClass(*cls), child, self))
            objects.push_back(std::move(object));
    }
    handleParsedElements(selected);
}

VSObjectPtr VSObject::objectForChildOfElement(const VSXMLElementPtr& element, std::string_view qualifiedName,
    const char* namespaceURI, const VSClass* objectClass)
{
    auto child = childWithQualifiedName(qualifiedName, namespaceURI, element);
    if (child == nullptr)
        return nullptr;
    const VSClass* cls = objectClass;
    if (cls == nullptr)
        cls = objectClassForXMLElement(*child, defaultClassForEntriesOfThisClass());
    if (cls == nullptr && qualifiedName == "entry" && namespaceURI != nullptr
        && std::strcmp(namespaceURI, kVSNamespaceAtom) == 0)
        cls = &VSEntryBase::staticClass();
    if (cls == nullptr)
        return nullptr;
    return objectWithXMLElement(classOrSurrogateForClass(*cls), child, selfPointer());
}

VSXMLElementPtr VSObject::childWithQualifiedName(
    std::string_view qualifiedName, const char* namespaceURI, const VSXMLElementPtr& element)
{
    if (element == nullptr)
        return nullptr;
    VSXMLNodeList matches;
    if (qualifiedName == "*" && namespaceURI != nullptr && std::strcmp(namespaceURI, "*") == 0)
        matches = element->children();
    else
        matches = elementsForName(qualifiedName, namespaceURI, *element);
    if (matches.empty())
        return nullptr;
    if (matches.size() > 1) {
        std::string found;
        for (const auto& match : matches)
            found += match->XMLString().value_or("") + "\n";
        plat::log("childWithQualifiedName: could not handle multiple '{}' elements in list, use elementsForName:\n"
                  "Found elements: {}\nURI: {}",
            qualifiedName, found, namespaceURI != nullptr ? namespaceURI : "(null)");
        return nullptr;
    }
    handleParsedElement(matches.front().get());
    return std::dynamic_pointer_cast<VSXMLElement>(matches.front());
}

VSXMLNodeList VSObject::elementsForName(
    std::string_view qualifiedName, const char* namespaceURI, const VSXMLElement& parentElement)
{
    if (namespaceURI != nullptr && *namespaceURI != '\0') {
        auto found = parentElement.elementsForLocalName(VSXMLNode::localNameForName(qualifiedName), namespaceURI);
        if (!found.empty())
            return found;
    }
    return parentElement.elementsForName(qualifiedName);
}

VSXMLNodeList VSObject::childrenOfElement(const VSXMLElement& element, std::string_view prefix)
{
    VSXMLNodeList result;
    for (const auto& child : element.children()) {
        if (child->kind() == VSXMLNode::Kind::Element && child->prefix() == prefix)
            result.push_back(child);
    }
    return result;
}

std::optional<std::string> VSObject::stringValueFromElement(const VSXMLElementPtr& element)
{
    if (element == nullptr)
        return std::nullopt;
    std::string text;
    xmlNodePtr parentNode = rawNode(*element);
    bool collecting = isCollectingConsumption();
    bool isOwnElement = collecting && element.get() == _parseState->element;
    size_t index = 0;
    for (xmlNodePtr node = parentNode != nullptr ? parentNode->children : nullptr; node != nullptr;
         node = node->next, ++index) {
        if (node->type != XML_TEXT_NODE && node->type != XML_CDATA_SECTION_NODE)
            continue;
        if (node->content != nullptr)
            text += chars(node->content);
        if (isOwnElement)
            _parseState->consumedChildren.set(index);
        else if (!collecting)
            std::erase_if(_unknownChildren, [&](const VSXMLNodePtr& child) { return child->XMLNode() == node; });
    }
    return text;
}

std::optional<VSDateTime> VSObject::dateTimeFromElement(const VSXMLElementPtr& element)
{
    auto text = stringValueFromElement(element);
    if (!text || text->empty())
        return std::nullopt;
    return VSDateTime::dateTimeWithRFC3339String(*text);
}

std::optional<int32_t> VSObject::intNumberValueFromElement(const VSXMLElementPtr& element)
{
    auto text = stringValueFromElement(element);
    if (!text || text->empty())
        return std::nullopt;
    return detail::intValueOfText(*text);
}

std::optional<double> VSObject::doubleNumberValueFromElement(const VSXMLElementPtr& element)
{
    auto text = stringValueFromElement(element);
    return text ? VSUtilities::doubleNumberOrInfForString(*text) : std::nullopt;
}

VSXMLNodePtr VSObject::attributeForName(std::string_view name, const VSXMLElement& element)
{
    auto attribute = element.attributeForName(name);
    if (attribute)
        handleParsedAttribute(attribute.get());
    return attribute;
}

VSXMLNodePtr VSObject::attributeForLocalName(std::string_view localName, const char* URI, const VSXMLElement& element)
{
    auto attribute = element.attributeForLocalName(localName, URI != nullptr ? URI : "");
    if (attribute)
        handleParsedAttribute(attribute.get());
    return attribute;
}

std::optional<std::string> VSObject::stringForAttributeName(std::string_view name, const VSXMLElement& element)
{
    // Raw, so that reading one attribute does not wrap all of them.
    auto attribute = reinterpret_cast<xmlAttrPtr>(element.XMLAttributeForName(name));
    if (attribute == nullptr)
        return std::nullopt;
    markAttributeConsumed(attribute);
    return attributeText(attribute);
}

std::optional<std::string> VSObject::stringForAttributeLocalName(
    std::string_view localName, const char* URI, const VSXMLElement& element)
{
    auto attribute = attributeForLocalName(localName, URI, element);
    return attribute ? attribute->stringValue() : std::nullopt;
}

std::optional<VSDateTime> VSObject::dateTimeForAttributeName(std::string_view name, const VSXMLElement& element)
{
    auto text = stringForAttributeName(name, element);
    if (!text || text->empty())
        return std::nullopt;
    return VSDateTime::dateTimeWithRFC3339String(*text);
}

bool VSObject::boolForAttributeName(std::string_view name, const VSXMLElement& element)
{
    auto text = stringForAttributeName(name, element);
    return text && text->size() == 4 && (*text)[0] != '\0' && strncasecmp(text->c_str(), "true", 4) == 0;
}

std::optional<double> VSObject::doubleNumberForAttributeName(std::string_view name, const VSXMLElement& element)
{
    auto text = stringForAttributeName(name, element);
    return text ? VSUtilities::doubleNumberOrInfForString(*text) : std::nullopt;
}

std::optional<int32_t> VSObject::intNumberForAttributeName(std::string_view name, const VSXMLElement& element)
{
    auto text = stringForAttributeName(name, element);
    if (!text)
        return std::nullopt;
    return detail::intValueOfText(*text);
}

void VSObject::handleParsedElement(const VSXMLNode* element)
{
    if (isCollectingConsumption()) {
        markChildConsumed(element->XMLNode());
        return;
    }
    auto found = std::find_if(_unknownChildren.begin(), _unknownChildren.end(),
        [&](const VSXMLNodePtr& node) { return node.get() == element; });
    if (found != _unknownChildren.end())
        _unknownChildren.erase(found);
}

void VSObject::handleParsedElements(const VSXMLNodeList& elements)
{
    if (elements.size() == 1 || (!isCollectingConsumption() && elements.size() <= 1)) {
        for (const auto& element : elements)
            handleParsedElement(element.get());
        return;
    }
    if (isCollectingConsumption()) {
        // Selections come in document order: one walk marks them all.
        xmlNodePtr parentNode = rawNode(*_parseState->element);
        xmlNodePtr cursor = parentNode != nullptr ? parentNode->children : nullptr;
        size_t index = 0;
        for (const auto& element : elements) {
            xmlNodePtr wanted = element->XMLNode();
            xmlNodePtr start = cursor;
            size_t startIndex = index;
            while (cursor != nullptr && cursor != wanted) {
                cursor = cursor->next;
                ++index;
            }
            if (cursor != nullptr) {
                _parseState->consumedChildren.set(index);
                cursor = cursor->next;
                ++index;
                continue;
            }
            cursor = start;
            index = startIndex;
            markChildConsumed(wanted);
        }
        return;
    }
    removeByIdentity(_unknownChildren, elements);
}

void VSObject::markChildConsumed(const void* child)
{
    xmlNodePtr parentNode = rawNode(*_parseState->element);
    size_t index = 0;
    for (xmlNodePtr node = parentNode != nullptr ? parentNode->children : nullptr; node != nullptr;
         node = node->next, ++index) {
        if (node == child) {
            _parseState->consumedChildren.set(index);
            return;
        }
    }
}

void VSObject::markAttributeConsumed(const void* attribute)
{
    if (isCollectingConsumption()) {
        size_t index = 0;
        xmlNodePtr node = rawNode(*_parseState->element);
        for (xmlAttrPtr candidate = node != nullptr ? node->properties : nullptr; candidate != nullptr;
             candidate = candidate->next, ++index) {
            if (candidate == attribute) {
                _parseState->consumedAttributes.set(index);
                return;
            }
        }
        return;
    }
    std::erase_if(_unknownAttributes, [&](const VSXMLNodePtr& node) { return node->XMLNode() == attribute; });
}

void VSObject::handleParsedAttribute(const VSXMLNode* attribute)
{
    if (isCollectingConsumption()) {
        markAttributeConsumed(attribute->XMLNode());
        return;
    }
    auto found = std::find_if(_unknownAttributes.begin(), _unknownAttributes.end(),
        [&](const VSXMLNodePtr& node) { return node.get() == attribute; });
    if (found != _unknownAttributes.end())
        _unknownAttributes.erase(found);
}

VSXMLNamespaceMap VSObject::dictionaryForElementNamespaces(const VSXMLElement& element)
{
    VSXMLNamespaceMap result;
    xmlNodePtr node = rawNode(element);
    if (node == nullptr)
        return result;
    for (xmlNsPtr ns = node->nsDef; ns != nullptr; ns = ns->next) {
        if (ns->href == nullptr)
            continue;
        std::string prefix = ns->prefix != nullptr ? chars(ns->prefix) : "";
        if (prefix == "xml")
            continue;
        result[prefix] = chars(ns->href);
    }
    return result;
}

// Generation

VSXMLElementPtr VSObject::XMLElement() const
{
    return XMLElementWithExtensionsAndDefaultName(nullptr);
}

std::shared_ptr<VSXMLDocument> VSObject::XMLDocument() const
{
    auto root = XMLElement();
    if (root == nullptr)
        return nullptr;
    auto document = std::make_shared<VSXMLDocument>(*root);
    document->setVersion("1.0");
    document->setCharacterEncoding("UTF-8");
    return document;
}

VSXMLElementPtr VSObject::XMLElementWithExtensionsAndDefaultName(const char* defaultName) const
{
    const VSClass& cls = objectClass();
    std::string name = _elementName;
    if (name.empty())
        name = defaultName != nullptr ? defaultName : cls.answersExtension() ? cls.qualifiedName : cls.name;
    auto element = VSXMLNode::elementWithName(name);
    if (element == nullptr)
        return nullptr;
    // Namespaces first, so that prefixed names below resolve against them.
    for (const auto& [prefix, URI] : namespaces()) {
        if (auto ns = VSXMLNode::namespaceWithName(prefix, URI))
            element->addNamespace(*ns);
    }
    addAttributesToElement(*element);
    if (hasDeclaredContentValue() && _contentValue && !_contentValue->empty())
        element->addStringValue(*_contentValue);
    if (hasDeclaredChildXMLElements()) {
        for (const auto& child : childXMLElements())
            element->addChild(*child);
    }
    for (const auto& slot : _extensions) {
        for (const auto& object : slot.objects) {
            if (auto attribute = dynamic_cast<const VSAttribute*>(object.get())) {
                const VSClass& attributeClass = attribute->objectClass();
                addToElementAttributeValueIfNonNilWithQualifiedName(*element, attribute->stringValue(),
                    qualifiedNameForExtensionClass(attributeClass), attributeClass.extensionElementURI);
            } else {
                addToElementXMLElementForObject(*element, object.get());
            }
        }
    }
    if (!_shouldIgnoreUnknowns) {
        for (const auto& child : _unknownChildren)
            element->addChild(*child);
        for (const auto& attribute : _unknownAttributes)
            element->addAttribute(*attribute);
    }
    return element;
}

void VSObject::addAttributesToElement(VSXMLElement& element) const
{
    for (const auto& [name, value] : _attributes)
        addToElementAttributeValueIfNonNil(element, value, name);
}

VSXMLNodePtr VSObject::addToElementAttributeValueIfNonNil(
    VSXMLElement& element, const std::optional<std::string>& value, std::string_view name)
{
    if (!value)
        return nullptr;
    auto attribute = VSXMLNode::attributeWithName(name, VSUtilities::stringWithControlsFilteredForString(*value));
    if (attribute)
        element.addAttribute(*attribute);
    return attribute;
}

VSXMLNodePtr VSObject::addToElementAttributeValueIfNonNilWithQualifiedName(
    VSXMLElement& element, const std::optional<std::string>& value, std::string_view qualifiedName, const char* URI)
{
    if (!value)
        return nullptr;
    if (URI == nullptr)
        return addToElementAttributeValueIfNonNil(element, value, qualifiedName);
    auto attribute
        = VSXMLNode::attributeWithName(qualifiedName, URI, VSUtilities::stringWithControlsFilteredForString(*value));
    if (attribute)
        element.addAttribute(*attribute);
    return attribute;
}

VSXMLNodePtr VSObject::addToElementAttributeValueWithInteger(
    VSXMLElement& element, int64_t value, std::string_view name)
{
    return addToElementAttributeValueIfNonNil(element, std::to_string(value), name);
}

void VSObject::addToElementChildWithStringValueIfNonEmpty(
    VSXMLElement& element, const std::optional<std::string>& value, std::string_view name)
{
    if (!value || value->empty())
        return;
    if (auto child = VSXMLNode::elementWithName(name, VSUtilities::stringWithControlsFilteredForString(*value)))
        element.addChild(*child);
}

void VSObject::addToElementXMLElementForObject(VSXMLElement& element, const VSExtensionObject* object)
{
    auto model = dynamic_cast<const VSObject*>(object);
    if (model == nullptr)
        return;
    if (auto child = model->XMLElement())
        element.addChild(*child);
}

// Kind registry

void VSObject::registerClass(const VSClass& cls, VSClassMap& map, const std::optional<std::string>& scheme,
    const std::optional<std::string>& term)
{
    if (const VSClass* registered = classForCategoryWithScheme(scheme, term, map)) {
        plat::log("{} registration conflicts with {}", cls.name, registered->name);
        return;
    }
    map[registrationKey(scheme, term)] = &cls;
}

const VSClass* VSObject::classForCategoryWithScheme(
    const std::optional<std::string>& scheme, const std::optional<std::string>& term, const VSClassMap& map)
{
    if (term) {
        auto found = map.find(*term);
        if (found != map.end())
            return found->second;
    }
    if (scheme) {
        auto found = map.find(registrationKey(scheme, term));
        if (found != map.end())
            return found->second;
        found = map.find(registrationKey(scheme, std::string()));
        if (found != map.end())
            return found->second;
    }
    return nullptr;
}

const VSClass* VSObject::objectClassForXMLElement(const VSXMLElement& element, const VSClass* defaultEntryClass)
{
    auto localName = element.localName();
    if (!localName)
        return nullptr;
    bool isFeed = *localName == "feed";
    bool isEntry = *localName == "entry";
    if (isFeed || isEntry) {
        if (auto kind = element.attributeForLocalName("kind", kVSNamespaceGData)) {
            if (auto value = kind->stringValue()) {
                const VSClass* cls = isFeed ? VSFeedBase::feedClassForKindAttributeValue(*value)
                                            : VSEntryBase::entryClassForKindAttributeValue(*value);
                if (cls != nullptr)
                    return cls;
            }
        }
        VSXMLNodeList categories = element.elementsForLocalName("category", kVSNamespaceAtom);
        if (categories.empty()) {
            auto atomPrefix = element.resolvePrefixForNamespaceURI(kVSNamespaceAtom);
            if (!atomPrefix || atomPrefix->empty())
                categories = element.elementsForName("category");
        }
        for (const auto& node : categories) {
            auto category = std::static_pointer_cast<VSXMLElement>(node);
            auto schemeNode = category->attributeForName("scheme");
            auto termNode = category->attributeForName("term");
            if (!schemeNode && !termNode)
                continue;
            std::optional<std::string> scheme = schemeNode ? schemeNode->stringValue() : std::nullopt;
            std::optional<std::string> term = termNode ? termNode->stringValue() : std::nullopt;
            const VSClass* cls = isFeed ? VSFeedBase::feedClassForCategoryWithScheme(scheme, term)
                                        : VSEntryBase::entryClassForCategoryWithScheme(scheme, term);
            if (cls != nullptr)
                return cls;
        }
        if (isFeed)
            return &VSFeedBase::staticClass();
        return defaultEntryClass != nullptr ? defaultEntryClass : &VSEntryBase::staticClass();
    }
    // An element named "service" would be an AtomPub service document, which
    // this system does not model.
    return nullptr;
}

}  // namespace zt
