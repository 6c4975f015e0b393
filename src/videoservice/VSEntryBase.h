#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/URL.h"
#include "videoservice/AtomElements.h"
#include "videoservice/BatchElements.h"
#include "videoservice/VSConstructs.h"

namespace zt {

// The gd "deleted" marker of a deleted entry.
class VSDeleted : public VSImplicitValueConstruct {
    VS_DECLARE_CLASS(VSDeleted)

public:
    static std::shared_ptr<VSDeleted> deleted() { return implicitValue<VSDeleted>(); }
};

// The base class of every Atom entry the client reads or sends: typed
// accessors over its declared children, links by relation, its kind, and the
// pieces of an upload from which it makes a request body. One thread at a time.
class VSEntryBase : public VSObject {
    VS_DECLARE_CLASS(VSEntryBase)

public:
    // A new entry of the class with the base namespaces (atom default, gd, app).
    template <typename T = VSEntryBase> static std::shared_ptr<T> entry()
    {
        auto made = VSObject::object<T>();
        made->setNamespaces(baseVSNamespaces());
        return made;
    }

    // The kind maps (entries; feeds keep their own).
    static void registerEntryClass(const VSClass& cls);
    static void registerEntryClass(
        const VSClass& cls, const std::optional<std::string>& scheme, const std::optional<std::string>& term);
    static const VSClass* entryClassForCategoryWithScheme(
        const std::optional<std::string>& scheme, const std::optional<std::string>& term);
    static const VSClass* entryClassForKindAttributeValue(const std::string& value);
    static VSXMLNamespaceMap baseVSNamespaces();
    static VSXMLNamespaceMap batchNamespaces();

    // The kind term of the class; nullopt for the base.
    virtual std::optional<std::string> standardEntryKind() const { return std::nullopt; }
    virtual std::optional<std::string> standardKindAttributeValue() const { return std::nullopt; }

    std::optional<std::string> identifier() const;
    void setIdentifier(const std::optional<std::string>& identifier);
    std::optional<std::string> resourceID() const;
    void setResourceID(const std::optional<std::string>& resourceID);
    std::optional<VSDateTime> publishedDate() const;
    void setPublishedDate(const std::optional<VSDateTime>& date);
    std::optional<VSDateTime> updatedDate() const;
    void setUpdatedDate(const std::optional<VSDateTime>& date);
    std::optional<VSDateTime> editedDate() const;
    void setEditedDate(const std::optional<VSDateTime>& date);
    std::shared_ptr<VSAtomTitle> title() const { return objectForExtensionClass<VSAtomTitle>(); }
    void setTitle(const std::shared_ptr<VSAtomTitle>& title) { setObject(title, VSAtomTitle::staticClass()); }
    void setTitleWithString(const std::optional<std::string>& text);
    std::shared_ptr<VSAtomSummary> summary() const { return objectForExtensionClass<VSAtomSummary>(); }
    void setSummary(const std::shared_ptr<VSAtomSummary>& summary) { setObject(summary, VSAtomSummary::staticClass()); }
    void setSummaryWithString(const std::optional<std::string>& text);
    std::shared_ptr<VSAtomContent> content() const { return objectForExtensionClass<VSAtomContent>(); }
    void setContent(const std::shared_ptr<VSAtomContent>& content) { setObject(content, VSAtomContent::staticClass()); }
    void setContentWithString(const std::optional<std::string>& text);
    std::shared_ptr<VSAtomRights> rightsString() const { return objectForExtensionClass<VSAtomRights>(); }
    void setRightsString(const std::shared_ptr<VSAtomRights>& rights)
    {
        setObject(rights, VSAtomRights::staticClass());
    }
    void setRightsStringWithString(const std::optional<std::string>& text);
    VSLink::List links() const { return objectsForExtensionClass<VSLink>(); }
    void setLinks(const VSLink::List& links) { setObjects(links); }
    void addLink(const std::shared_ptr<VSLink>& link) { addObject(link); }
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
    std::shared_ptr<VSBatchID> batchID() const { return objectForExtensionClass<VSBatchID>(); }
    void setBatchID(const std::shared_ptr<VSBatchID>& batchID) { setObject(batchID, VSBatchID::staticClass()); }
    void setBatchIDWithString(const std::optional<std::string>& text);
    std::shared_ptr<VSBatchStatus> batchStatus() const { return objectForExtensionClass<VSBatchStatus>(); }
    void setBatchStatus(const std::shared_ptr<VSBatchStatus>& status)
    {
        setObject(status, VSBatchStatus::staticClass());
    }
    std::shared_ptr<VSBatchInterrupted> batchInterrupted() const
    {
        return objectForExtensionClass<VSBatchInterrupted>();
    }
    void setBatchInterrupted(const std::shared_ptr<VSBatchInterrupted>& interrupted)
    {
        setObject(interrupted, VSBatchInterrupted::staticClass());
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

    bool isDeleted() const { return hasExtensionClass(VSDeleted::staticClass()); }
    void setIsDeleted(bool isDeleted);
    VSCategory::List categoriesWithScheme(const std::optional<std::string>& scheme) const;
    std::shared_ptr<VSCategory> kindCategory() const;

    VSLink::List linksWithRelAttributeValue(const std::string& rel) const;
    std::shared_ptr<VSLink> linkWithRelAttributeValue(const std::string& rel) const;
    std::shared_ptr<VSLink> linkWithRelAttributeValue(
        const std::string& rel, const std::optional<std::string>& type) const;
    std::shared_ptr<VSLink> feedLink() const { return linkWithRelAttributeValue(kVSFeedRel()); }
    std::shared_ptr<VSLink> editLink() const { return linkWithRelAttributeValue("edit"); }
    std::shared_ptr<VSLink> editMediaLink() const { return linkWithRelAttributeValue("edit-media"); }
    std::shared_ptr<VSLink> alternateLink() const { return linkWithRelAttributeValue("alternate"); }
    std::shared_ptr<VSLink> relatedLink() const { return linkWithRelAttributeValue("related"); }
    std::shared_ptr<VSLink> postLink() const;
    std::shared_ptr<VSLink> selfLink() const { return linkWithRelAttributeValue("self"); }
    std::shared_ptr<VSLink> HTMLLink() const { return linkWithRelAttributeValue("alternate", "text/html"); }
    std::shared_ptr<VSLink> uploadEditLink() const;
    bool canEdit() const { return editLink() != nullptr; }

    // Upload pieces: members of their own, not XML.
    std::shared_ptr<const plat::Data> uploadData() const override { return _uploadData; }
    void setUploadData(std::shared_ptr<const plat::Data> data) { _uploadData = std::move(data); }
    std::shared_ptr<WSFileHandle> uploadFileHandle() const override { return _uploadFileHandle; }
    void setUploadFileHandle(std::shared_ptr<WSFileHandle> handle) { _uploadFileHandle = std::move(handle); }
    std::optional<std::string> uploadLocationURL() const override { return _uploadLocationURL; }
    void setUploadLocationURL(const std::optional<std::string>& URL) { _uploadLocationURL = URL; }
    std::optional<std::string> uploadMIMEType() const override { return _uploadMIMEType; }
    void setUploadMIMEType(const std::optional<std::string>& type) { _uploadMIMEType = type; }
    // Stored percent-encoded for the "Slug" header.
    const std::optional<std::string>& uploadSlug() const { return _uploadSlug; }
    void setUploadSlug(const std::optional<std::string>& slug);
    bool shouldUploadDataOnly() const override { return _shouldUploadDataOnly; }
    void setShouldUploadDataOnly(bool dataOnly) { _shouldUploadDataOnly = dataOnly; }

    // "Content-Type", "MIME-Version", "Slug", up to the first absent value.
    plat::Dictionary contentHeaders() const;
    // The media alone, or a multipart/related body of the Atom entry and the
    // media (a WSMIMEDocument); nullopt when the entry's XML is to be sent
    // alone. A media file is read whole into memory here.
    std::optional<VSUploadBody> generateContentInputStream() const override;

    void init() override;
    VSXMLElementPtr XMLElement() const override;
    bool isEqual(const VSExtensionObject& other) const override;
    void addExtensionDeclarations() override;

protected:
    void copyInto(VSObject& copy) const override;
    static const char* kVSFeedRel();

private:
    std::shared_ptr<const plat::Data> _uploadData;
    std::shared_ptr<WSFileHandle> _uploadFileHandle;
    std::optional<std::string> _uploadLocationURL;
    std::optional<std::string> _uploadMIMEType;
    std::optional<std::string> _uploadSlug;
    bool _shouldUploadDataOnly = false;
};

// The version of this client library, "1.12".
std::string libraryVersionString();

}  // namespace zt
