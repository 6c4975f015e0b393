#include "videoservice/VSFeedBase.h"

#include <cstdlib>

#include "platform/foundation/Log.h"
#include "videoservice/VSKindMaps.h"
#include "videoservice/VSNamespaces.h"
#include "videoservice/VSUtilities.h"
#include "videoservice/VSXMLDocument.h"

namespace zt {

VS_DEFINE_CLASS(VSFeedBase, VSObject, kVSNamespaceAtom, kVSNamespaceAtomPrefix, "feed")

namespace {
const VSFeedBase::EntryList& noEntries()
{
    static const VSFeedBase::EntryList none;
    return none;
}
}  // namespace

std::shared_ptr<VSFeedBase> VSFeedBase::initWithData(const VSClass& cls, const plat::Data& data,
    const std::optional<std::string>& serviceVersion, bool shouldIgnoreUnknowns)
{
    auto document = VSXMLDocument::initWithData(data);
    if (!document.ok())
        return nullptr;  // the parse error is not passed on
    auto root = document.value()->rootElement();
    if (root == nullptr)
        return nullptr;
    auto feed = std::dynamic_pointer_cast<VSFeedBase>(
        objectWithXMLElement(cls, root, nullptr, serviceVersion, {}, shouldIgnoreUnknowns));
    if (feed == nullptr)
        return nullptr;
    feed->clearExtensionDeclarationsCache();
    feed->setProperty(document.value(), "_XMLDocument");
    return feed;
}

void VSFeedBase::registerFeedClass(const VSClass& cls)
{
    auto prototype = std::dynamic_pointer_cast<VSFeedBase>(cls.make());
    if (prototype == nullptr)
        return;
    if (auto kind = prototype->standardFeedKind())
        registerFeedClass(cls, std::string(kVSCategoryKind), kind);
    if (auto value = prototype->standardKindAttributeValue())
        registerFeedClass(cls, std::nullopt, value);
}

void VSFeedBase::registerFeedClass(
    const VSClass& cls, const std::optional<std::string>& scheme, const std::optional<std::string>& term)
{
    registerClass(cls, detail::feedClassMap(), scheme, term);
}

const VSClass* VSFeedBase::feedClassForCategoryWithScheme(
    const std::optional<std::string>& scheme, const std::optional<std::string>& term)
{
    return classForCategoryWithScheme(scheme, term, detail::feedClassMap());
}

const VSClass* VSFeedBase::feedClassForKindAttributeValue(const std::string& value)
{
    return classForCategoryWithScheme(std::nullopt, value, detail::feedClassMap());
}

void VSFeedBase::init()
{
    VSObject::init();
    if (auto kind = standardFeedKind())
        addCategory(VSCategory::categoryWithScheme(std::string(kVSCategoryKind), kind));
    if (auto value = standardKindAttributeValue())
        setKind(value);
}

void VSFeedBase::addExtensionDeclarations()
{
    VSObject::addExtensionDeclarations();
    const VSClass& self = objectClass();
    for (const VSClass* child : {&VSResourceID::staticClass(), &VSAtomID::staticClass(), &VSAtomTitle::staticClass(),
             &VSAtomSubtitle::staticClass(), &VSAtomRights::staticClass(), &VSAtomIcon::staticClass(),
             &VSAtomLogo::staticClass(), &VSLink::staticClass(), &VSAtomAuthor::staticClass(),
             &VSAtomContributor::staticClass(), &VSCategory::staticClass(), &VSAtomUpdatedDate::staticClass(),
             &VSAtomPubControl::staticClass(), &VSBatchOperation::staticClass(),
             &VSOpenSearchTotalResults::staticClass(), &VSOpenSearchStartIndex::staticClass(),
             &VSOpenSearchItemsPerPage::staticClass()})
        addExtensionDeclarationForParentClass(self, *child);
    for (const VSClass* attribute :
        {&VSETagAttribute::staticClass(), &VSFieldsAttribute::staticClass(), &VSKindAttribute::staticClass()})
        addAttributeExtensionDeclarationForParentClass(self, *attribute);
}

void VSFeedBase::initWithXMLElement(const VSXMLElementPtr& element, const VSObjectPtr&)
{
    VSObject::initWithXMLElement(element, nullptr);
    if (element == nullptr)
        return;
    auto generators = element->elementsForLocalName("generator", kVSNamespaceAtom);
    if (!generators.empty()) {
        auto generatorElement = std::static_pointer_cast<VSXMLElement>(generators.front());
        _generator = std::static_pointer_cast<VSGenerator>(
            objectWithXMLElement(VSGenerator::staticClass(), generatorElement, selfPointer()));
        handleParsedElement(generators.front().get());
    }
    initFeedWithXMLElement(element);
    auto parsed = objectOrArrayForChildrenOfElement(element, "entry", kVSNamespaceAtom, classForEntries());
    EntryList entries;
    for (const auto& object : parsed) {
        if (auto entry = std::dynamic_pointer_cast<VSEntryBase>(object)) {
            entry->setParent(nullptr);
            entries.push_back(std::move(entry));
        }
    }
    if (entries.size() > 1)
        setEntries(entries);
    else if (entries.size() == 1)
        addEntry(entries.front());
}

std::optional<std::string> VSFeedBase::identifier() const
{
    auto value = objectForExtensionClass<VSAtomID>();
    return value ? value->stringValue() : std::nullopt;
}

void VSFeedBase::setIdentifier(const std::optional<std::string>& identifier)
{
    setObject(VSValueConstruct::valueWithString<VSAtomID>(identifier), VSAtomID::staticClass());
}

std::optional<std::string> VSFeedBase::resourceID() const
{
    auto value = objectForExtensionClass<VSResourceID>();
    return value ? value->stringValue() : std::nullopt;
}

void VSFeedBase::setResourceID(const std::optional<std::string>& resourceID)
{
    setObject(VSValueConstruct::valueWithString<VSResourceID>(resourceID), VSResourceID::staticClass());
}

void VSFeedBase::setTitleWithString(const std::optional<std::string>& text)
{
    setTitle(VSTextConstruct::textConstructWithString<VSAtomTitle>(text));
}

void VSFeedBase::setSubtitleWithString(const std::optional<std::string>& text)
{
    setSubtitle(VSTextConstruct::textConstructWithString<VSAtomSubtitle>(text));
}

void VSFeedBase::setRightsWithString(const std::optional<std::string>& text)
{
    setRights(VSTextConstruct::textConstructWithString<VSAtomRights>(text));
}

std::optional<std::string> VSFeedBase::icon() const
{
    auto value = objectForExtensionClass<VSAtomIcon>();
    return value ? value->stringValue() : std::nullopt;
}

void VSFeedBase::setIcon(const std::optional<std::string>& icon)
{
    setObject(VSValueConstruct::valueWithString<VSAtomIcon>(icon), VSAtomIcon::staticClass());
}

std::optional<std::string> VSFeedBase::logo() const
{
    auto value = objectForExtensionClass<VSAtomLogo>();
    return value ? value->stringValue() : std::nullopt;
}

void VSFeedBase::setLogo(const std::optional<std::string>& logo)
{
    setObject(VSValueConstruct::valueWithString<VSAtomLogo>(logo), VSAtomLogo::staticClass());
}

std::optional<VSDateTime> VSFeedBase::updatedDate() const
{
    auto value = objectForExtensionClass<VSAtomUpdatedDate>();
    return value ? value->dateTimeValue() : std::nullopt;
}

void VSFeedBase::setUpdatedDate(const std::optional<VSDateTime>& date)
{
    setObject(VSValueConstruct::valueWithDateTime<VSAtomUpdatedDate>(date), VSAtomUpdatedDate::staticClass());
}

std::optional<int32_t> VSFeedBase::integerOf(const VSClass& cls) const
{
    auto value = std::dynamic_pointer_cast<VSValueConstruct>(objectForExtensionClass(cls));
    if (!value)
        return std::nullopt;
    return value->intValue();
}

std::optional<int32_t> VSFeedBase::totalResults() const
{
    return integerOf(VSOpenSearchTotalResults::staticClass());
}

void VSFeedBase::setTotalResults(const std::optional<int32_t>& count)
{
    setObject(count ? VSValueConstruct::valueWithInt<VSOpenSearchTotalResults>(*count) : nullptr,
        VSOpenSearchTotalResults::staticClass());
}

std::optional<int32_t> VSFeedBase::startIndex() const
{
    return integerOf(VSOpenSearchStartIndex::staticClass());
}

void VSFeedBase::setStartIndex(const std::optional<int32_t>& index)
{
    setObject(index ? VSValueConstruct::valueWithInt<VSOpenSearchStartIndex>(*index) : nullptr,
        VSOpenSearchStartIndex::staticClass());
}

std::optional<int32_t> VSFeedBase::itemsPerPage() const
{
    return integerOf(VSOpenSearchItemsPerPage::staticClass());
}

void VSFeedBase::setItemsPerPage(const std::optional<int32_t>& count)
{
    setObject(count ? VSValueConstruct::valueWithInt<VSOpenSearchItemsPerPage>(*count) : nullptr,
        VSOpenSearchItemsPerPage::staticClass());
}

void VSFeedBase::setETag(const std::optional<std::string>& tag)
{
    if (tag)
        setAttributeValue(tag, VSETagAttribute::staticClass());
    else
        setObject(nullptr, VSETagAttribute::staticClass());
}

void VSFeedBase::setFieldSelection(const std::optional<std::string>& fields)
{
    if (fields)
        setAttributeValue(fields, VSFieldsAttribute::staticClass());
    else
        setObject(nullptr, VSFieldsAttribute::staticClass());
}

void VSFeedBase::setKind(const std::optional<std::string>& kind)
{
    if (kind)
        setAttributeValue(kind, VSKindAttribute::staticClass());
    else
        setObject(nullptr, VSKindAttribute::staticClass());
}

void VSFeedBase::setGenerator(const std::shared_ptr<VSGenerator>& generator)
{
    _generator = generator ? generator->copy() : nullptr;
}

void VSFeedBase::setEntries(const EntryList& entries)
{
    auto self = selfPointer();
    for (const auto& entry : entries) {
        auto owner = entry->parent();
        if (owner && owner != self) {
            plat::log("Trying to replace existing feed parent; use setEntriesWithEntries: instead");
            std::abort();
        }
    }
    _entries = entries;
    for (const auto& entry : *_entries)
        entry->setParent(self);
}

void VSFeedBase::addEntry(const std::shared_ptr<VSEntryBase>& entry)
{
    if (entry == nullptr)
        return;
    auto self = selfPointer();
    auto owner = entry->parent();
    if (owner && owner != self) {
        plat::log("Trying to replace existing feed parent; use addEntryWithEntry: instead");
        std::abort();
    }
    if (!_entries)
        _entries.emplace();
    entry->setParent(self);
    _entries->push_back(entry);
}

void VSFeedBase::setEntriesWithEntries(const std::optional<EntryList>& entries)
{
    _entries.reset();
    if (!entries)
        return;
    auto self = selfPointer();
    EntryList copies;
    copies.reserve(entries->size());
    for (const auto& entry : *entries) {
        auto copy = entry->copy();
        copy->setParent(self);
        copies.push_back(std::move(copy));
    }
    _entries = std::move(copies);
}

void VSFeedBase::addEntryWithEntry(const VSEntryBase& entry)
{
    addEntry(entry.copy());
}

std::shared_ptr<VSEntryBase> VSFeedBase::entryAtIndex(size_t index) const
{
    if (!_entries || index >= _entries->size())
        return nullptr;
    return (*_entries)[index];
}

std::shared_ptr<VSEntryBase> VSFeedBase::entryForIdentifier(const std::optional<std::string>& identifier) const
{
    return VSUtilities::firstObjectFromArray(
        _entries.value_or(EntryList()), identifier, [](const auto& entry) { return entry->identifier(); });
}

VSFeedBase::EntryList VSFeedBase::entriesWithCategoryKind(const std::optional<std::string>& term) const
{
    return VSUtilities::objectsFromArray(_entries.value_or(EntryList()), term, [](const auto& entry) {
        auto kind = entry->kindCategory();
        return kind ? kind->term() : std::nullopt;
    });
}

VSFeedBase::EntryList::const_iterator VSFeedBase::begin() const
{
    return _entries ? _entries->begin() : noEntries().begin();
}

VSFeedBase::EntryList::const_iterator VSFeedBase::end() const
{
    return _entries ? _entries->end() : noEntries().end();
}

std::shared_ptr<VSLink> VSFeedBase::linkWithRelAttributeValue(const std::string& rel) const
{
    return VSLink::linkWithRel(rel, std::nullopt, links());
}

std::shared_ptr<VSLink> VSFeedBase::feedLink() const
{
    return linkWithRelAttributeValue(kVSLinkRelFeed);
}

std::shared_ptr<VSLink> VSFeedBase::postLink() const
{
    return linkWithRelAttributeValue(kVSLinkRelPost);
}

std::shared_ptr<VSLink> VSFeedBase::uploadLink() const
{
    return linkWithRelAttributeValue(kVSLinkRelResumableCreate);
}

std::shared_ptr<VSLink> VSFeedBase::batchLink() const
{
    return linkWithRelAttributeValue(kVSLinkRelBatch);
}

VSXMLElementPtr VSFeedBase::XMLElement() const
{
    auto element = XMLElementWithExtensionsAndDefaultName("feed");
    if (element == nullptr)
        return nullptr;
    if (_generator)
        addToElementXMLElementForObject(*element, _generator.get());
    if (_entries)
        addToElementXMLElementsForArray(*element, *_entries);
    return element;
}

bool VSFeedBase::isEqual(const VSExtensionObject& other) const
{
    if (this == &other)
        return true;
    auto feed = dynamic_cast<const VSFeedBase*>(&other);
    if (feed == nullptr || !VSObject::isEqual(other))
        return false;
    if (!_entries || !feed->_entries)
        return !_entries && !feed->_entries;
    if (_entries->size() != feed->_entries->size())
        return false;
    for (size_t i = 0; i < _entries->size(); ++i) {
        if (!(*_entries)[i]->isEqual(*(*feed->_entries)[i]))
            return false;
    }
    return true;
}

void VSFeedBase::copyInto(VSObject& copy) const
{
    VSObject::copyInto(copy);
    auto& feed = static_cast<VSFeedBase&>(copy);
    feed.setGenerator(_generator);
    feed.setEntriesWithEntries(_entries);
}

}  // namespace zt
