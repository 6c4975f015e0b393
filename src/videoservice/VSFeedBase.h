#pragma once
#include <optional>
#include <string>
#include <vector>

#include "videoservice/VSEntryBase.h"

namespace zt {

// The base class of every Atom feed: its entries, its own metadata and the
// choice of the entry class of each "entry" child. A feed made from reply
// bytes keeps the parsed document as its "_XMLDocument" property; every
// object of the tree also keeps that document alive by itself, so entries
// taken into another feed stay valid. One thread at a time.
class VSFeedBase : public VSObject {
    VS_DECLARE_CLASS(VSFeedBase)

public:
    using EntryList = std::vector<std::shared_ptr<VSEntryBase>>;

    template <typename T = VSFeedBase> static std::shared_ptr<T> feed() { return VSObject::object<T>(); }
    // nullptr when the bytes are not an XML document or yield no feed.
    template <typename T = VSFeedBase> static std::shared_ptr<T> feedWithXMLData(const plat::Data& data)
    {
        return std::dynamic_pointer_cast<T>(initWithData(T::staticClass(), data, std::nullopt, false));
    }
    static std::shared_ptr<VSFeedBase> initWithData(const VSClass& cls, const plat::Data& data,
        const std::optional<std::string>& serviceVersion, bool shouldIgnoreUnknowns);

    static void registerFeedClass(const VSClass& cls);
    static void registerFeedClass(
        const VSClass& cls, const std::optional<std::string>& scheme, const std::optional<std::string>& term);
    static const VSClass* feedClassForCategoryWithScheme(
        const std::optional<std::string>& scheme, const std::optional<std::string>& term);
    static const VSClass* feedClassForKindAttributeValue(const std::string& value);

    virtual std::optional<std::string> standardFeedKind() const { return std::nullopt; }
    virtual std::optional<std::string> standardKindAttributeValue() const { return std::nullopt; }
    // The class every entry is parsed in; nullptr chooses by each entry's kind.
    virtual const VSClass* classForEntries() const { return nullptr; }
    virtual const VSClass* defaultClassForEntries() const { return &VSEntryBase::staticClass(); }
    // Subclasses read more of the element here, before the entries.
    virtual void initFeedWithXMLElement(const VSXMLElementPtr&) { }

    std::optional<std::string> identifier() const;
    void setIdentifier(const std::optional<std::string>& identifier);
    std::optional<std::string> resourceID() const;
    void setResourceID(const std::optional<std::string>& resourceID);
    std::shared_ptr<VSAtomTitle> title() const { return objectForExtensionClass<VSAtomTitle>(); }
    void setTitle(const std::shared_ptr<VSAtomTitle>& title) { setObject(title, VSAtomTitle::staticClass()); }
    void setTitleWithString(const std::optional<std::string>& text);
    std::shared_ptr<VSAtomSubtitle> subtitle() const { return objectForExtensionClass<VSAtomSubtitle>(); }
    void setSubtitle(const std::shared_ptr<VSAtomSubtitle>& subtitle)
    {
        setObject(subtitle, VSAtomSubtitle::staticClass());
    }
    void setSubtitleWithString(const std::optional<std::string>& text);
    std::shared_ptr<VSAtomRights> rights() const { return objectForExtensionClass<VSAtomRights>(); }
    void setRights(const std::shared_ptr<VSAtomRights>& rights) { setObject(rights, VSAtomRights::staticClass()); }
    void setRightsWithString(const std::optional<std::string>& text);
    std::optional<std::string> icon() const;
    void setIcon(const std::optional<std::string>& icon);
    std::optional<std::string> logo() const;
    void setLogo(const std::optional<std::string>& logo);
    VSLink::List links() const { return objectsForExtensionClass<VSLink>(); }
    void setLinks(const VSLink::List& links) { setObjects(links); }
    void addLink(const std::shared_ptr<VSLink>& link) { addObject(link); }
    void removeLink(const VSLink& link) { removeObject(link, VSLink::staticClass()); }
    std::vector<std::shared_ptr<VSAtomAuthor>> authors() const { return objectsForExtensionClass<VSAtomAuthor>(); }
    void setAuthors(const std::vector<std::shared_ptr<VSAtomAuthor>>& authors) { setObjects(authors); }
    void addAuthor(const std::shared_ptr<VSAtomAuthor>& author) { addObject(author); }
    std::vector<std::shared_ptr<VSAtomContributor>> contributors() const
    {
        return objectsForExtensionClass<VSAtomContributor>();
    }
    void setContributors(const std::vector<std::shared_ptr<VSAtomContributor>>& people) { setObjects(people); }
    void addContributor(const std::shared_ptr<VSAtomContributor>& person) { addObject(person); }
    VSCategory::List categories() const { return objectsForExtensionClass<VSCategory>(); }
    void setCategories(const VSCategory::List& categories) { setObjects(categories); }
    void addCategory(const std::shared_ptr<VSCategory>& category) { addObject(category); }
    void removeCategory(const VSCategory& category) { removeObject(category, VSCategory::staticClass()); }
    std::optional<VSDateTime> updatedDate() const;
    void setUpdatedDate(const std::optional<VSDateTime>& date);
    std::optional<int32_t> totalResults() const;
    void setTotalResults(const std::optional<int32_t>& count);
    std::optional<int32_t> startIndex() const;
    void setStartIndex(const std::optional<int32_t>& index);
    std::optional<int32_t> itemsPerPage() const;
    void setItemsPerPage(const std::optional<int32_t>& count);
    std::shared_ptr<VSAtomPubControl> atomPubControl() const { return objectForExtensionClass<VSAtomPubControl>(); }
    void setAtomPubControl(const std::shared_ptr<VSAtomPubControl>& control)
    {
        setObject(control, VSAtomPubControl::staticClass());
    }
    std::shared_ptr<VSBatchOperation> batchOperation() const { return objectForExtensionClass<VSBatchOperation>(); }
    void setBatchOperation(const std::shared_ptr<VSBatchOperation>& operation)
    {
        setObject(operation, VSBatchOperation::staticClass());
    }
    std::optional<std::string> ETag() const { return attributeValueForExtensionClass(VSETagAttribute::staticClass()); }
    void setETag(const std::optional<std::string>& tag);
    std::optional<std::string> fieldSelection() const
    {
        return attributeValueForExtensionClass(VSFieldsAttribute::staticClass());
    }
    void setFieldSelection(const std::optional<std::string>& fields);
    std::optional<std::string> kind() const { return attributeValueForExtensionClass(VSKindAttribute::staticClass()); }
    void setKind(const std::optional<std::string>& kind);
    const std::shared_ptr<VSGenerator>& generator() const { return _generator; }
    void setGenerator(const std::shared_ptr<VSGenerator>& generator);

    // Entries: each belongs to at most one feed, its parent.
    const std::optional<EntryList>& entries() const { return _entries; }
    // Takes the entries themselves; an entry of another feed is a programming error.
    void setEntries(const EntryList& entries);
    void addEntry(const std::shared_ptr<VSEntryBase>& entry);
    // Takes copies; nullopt leaves the list absent.
    void setEntriesWithEntries(const std::optional<EntryList>& entries);
    void addEntryWithEntry(const VSEntryBase& entry);
    std::shared_ptr<VSEntryBase> entryAtIndex(size_t index) const;
    std::shared_ptr<VSEntryBase> firstEntry() const { return entryAtIndex(0); }
    std::shared_ptr<VSEntryBase> entryForIdentifier(const std::optional<std::string>& identifier) const;
    EntryList entriesWithCategoryKind(const std::optional<std::string>& term) const;
    EntryList::const_iterator begin() const;
    EntryList::const_iterator end() const;

    std::shared_ptr<VSLink> linkWithRelAttributeValue(const std::string& rel) const;
    std::shared_ptr<VSLink> feedLink() const;
    std::shared_ptr<VSLink> alternateLink() const { return linkWithRelAttributeValue("alternate"); }
    std::shared_ptr<VSLink> relatedLink() const { return linkWithRelAttributeValue("related"); }
    std::shared_ptr<VSLink> postLink() const;
    std::shared_ptr<VSLink> uploadLink() const;
    std::shared_ptr<VSLink> batchLink() const;
    std::shared_ptr<VSLink> selfLink() const { return linkWithRelAttributeValue("self"); }
    std::shared_ptr<VSLink> nextLink() const { return linkWithRelAttributeValue("next"); }
    std::shared_ptr<VSLink> previousLink() const { return linkWithRelAttributeValue("previous"); }
    bool canPost() const { return postLink() != nullptr; }

    void init() override;
    // A feed never records a parent, also when it sits inline in a feed link.
    void initWithXMLElement(const VSXMLElementPtr& element, const VSObjectPtr& parent) override;
    using VSObject::initWithXMLElement;
    VSXMLElementPtr XMLElement() const override;
    bool isEqual(const VSExtensionObject& other) const override;
    void addExtensionDeclarations() override;

protected:
    void copyInto(VSObject& copy) const override;
    const VSClass* defaultClassForEntriesOfThisClass() const override { return defaultClassForEntries(); }

private:
    std::optional<int32_t> integerOf(const VSClass& cls) const;
    std::shared_ptr<VSGenerator> _generator;
    std::optional<EntryList> _entries;
};

}  // namespace zt
