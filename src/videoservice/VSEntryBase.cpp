#include "videoservice/VSEntryBase.h"

#include "platform/foundation/Log.h"
#include "platform/net/InputStream.h"
#include "videoservice/VSKindMaps.h"
#include "videoservice/VSNamespaces.h"
#include "videoservice/VSUtilities.h"
#include "web/WSFileHandle.h"
#include "web/WSMIMEDocument.h"

namespace zt {

VS_DEFINE_CLASS(VSDeleted, VSImplicitValueConstruct, kVSNamespaceGData, kVSNamespaceGDataPrefix, "deleted")
VS_DEFINE_CLASS(VSEntryBase, VSObject, kVSNamespaceAtom, kVSNamespaceAtomPrefix, "entry")

namespace {
constexpr int kLibraryMajorVersion = 1;
constexpr int kLibraryMinorVersion = 12;

template <typename T> std::optional<std::string> valueText(const std::shared_ptr<T>& value)
{
    return value ? value->stringValue() : std::nullopt;
}

std::optional<VSDateTime> dateValue(const std::shared_ptr<VSValueConstruct>& value)
{
    return value ? value->dateTimeValue() : std::nullopt;
}

// Reading a media file into memory goes in blocks of this size.
constexpr uint64_t kFileReadBytes = 1024 * 1024;
}  // namespace

std::string libraryVersionString()
{
    return std::to_string(kLibraryMajorVersion) + "." + std::to_string(kLibraryMinorVersion);
}

const char* VSEntryBase::kVSFeedRel()
{
    return kVSLinkRelFeed;
}

void VSEntryBase::registerEntryClass(const VSClass& cls)
{
    auto prototype = std::dynamic_pointer_cast<VSEntryBase>(cls.make());
    if (prototype == nullptr)
        return;
    if (auto kind = prototype->standardEntryKind())
        registerEntryClass(cls, std::string(kVSCategoryKind), kind);
    if (auto value = prototype->standardKindAttributeValue())
        registerEntryClass(cls, std::nullopt, value);
}

void VSEntryBase::registerEntryClass(
    const VSClass& cls, const std::optional<std::string>& scheme, const std::optional<std::string>& term)
{
    registerClass(cls, detail::entryClassMap(), scheme, term);
}

const VSClass* VSEntryBase::entryClassForCategoryWithScheme(
    const std::optional<std::string>& scheme, const std::optional<std::string>& term)
{
    return classForCategoryWithScheme(scheme, term, detail::entryClassMap());
}

const VSClass* VSEntryBase::entryClassForKindAttributeValue(const std::string& value)
{
    return classForCategoryWithScheme(std::nullopt, value, detail::entryClassMap());
}

VSXMLNamespaceMap VSEntryBase::baseVSNamespaces()
{
    return {{"", kVSNamespaceAtom}, {kVSNamespaceGDataPrefix, kVSNamespaceGData},
        {kVSNamespaceAtomPubPrefix, kVSNamespaceAtomPub}};
}

VSXMLNamespaceMap VSEntryBase::batchNamespaces()
{
    return {{kVSNamespaceBatchPrefix, kVSNamespaceBatch}};
}

void VSEntryBase::init()
{
    VSObject::init();
    if (auto kind = standardEntryKind())
        addCategory(VSCategory::categoryWithScheme(std::string(kVSCategoryKind), kind));
    if (auto value = standardKindAttributeValue())
        setKind(value);
}

void VSEntryBase::addExtensionDeclarations()
{
    VSObject::addExtensionDeclarations();
    const VSClass& self = objectClass();
    for (const VSClass* child : {&VSResourceID::staticClass(), &VSAtomID::staticClass(),
             &VSAtomPublishedDate::staticClass(), &VSAtomUpdatedDate::staticClass(), &VSAtomTitle::staticClass(),
             &VSAtomSummary::staticClass(), &VSAtomContent::staticClass(), &VSAtomRights::staticClass(),
             &VSLink::staticClass(), &VSAtomAuthor::staticClass(), &VSAtomContributor::staticClass(),
             &VSCategory::staticClass(), &VSDeleted::staticClass(), &VSAtomPubControl::staticClass(),
             &VSAtomPubEditedDate::staticClass(), &VSBatchOperation::staticClass(), &VSBatchID::staticClass(),
             &VSBatchStatus::staticClass(), &VSBatchInterrupted::staticClass()})
        addExtensionDeclarationForParentClass(self, *child);
    for (const VSClass* attribute :
        {&VSETagAttribute::staticClass(), &VSFieldsAttribute::staticClass(), &VSKindAttribute::staticClass()})
        addAttributeExtensionDeclarationForParentClass(self, *attribute);
}

std::optional<std::string> VSEntryBase::identifier() const
{
    return valueText(objectForExtensionClass<VSAtomID>());
}

void VSEntryBase::setIdentifier(const std::optional<std::string>& identifier)
{
    setObject(VSValueConstruct::valueWithString<VSAtomID>(identifier), VSAtomID::staticClass());
}

std::optional<std::string> VSEntryBase::resourceID() const
{
    return valueText(objectForExtensionClass<VSResourceID>());
}

void VSEntryBase::setResourceID(const std::optional<std::string>& resourceID)
{
    setObject(VSValueConstruct::valueWithString<VSResourceID>(resourceID), VSResourceID::staticClass());
}

std::optional<VSDateTime> VSEntryBase::publishedDate() const
{
    return dateValue(objectForExtensionClass<VSAtomPublishedDate>());
}

void VSEntryBase::setPublishedDate(const std::optional<VSDateTime>& date)
{
    setObject(VSValueConstruct::valueWithDateTime<VSAtomPublishedDate>(date), VSAtomPublishedDate::staticClass());
}

std::optional<VSDateTime> VSEntryBase::updatedDate() const
{
    return dateValue(objectForExtensionClass<VSAtomUpdatedDate>());
}

void VSEntryBase::setUpdatedDate(const std::optional<VSDateTime>& date)
{
    setObject(VSValueConstruct::valueWithDateTime<VSAtomUpdatedDate>(date), VSAtomUpdatedDate::staticClass());
}

std::optional<VSDateTime> VSEntryBase::editedDate() const
{
    return dateValue(objectForExtensionClass<VSAtomPubEditedDate>());
}

void VSEntryBase::setEditedDate(const std::optional<VSDateTime>& date)
{
    setObject(VSValueConstruct::valueWithDateTime<VSAtomPubEditedDate>(date), VSAtomPubEditedDate::staticClass());
}

void VSEntryBase::setTitleWithString(const std::optional<std::string>& text)
{
    setTitle(VSTextConstruct::textConstructWithString<VSAtomTitle>(text));
}

void VSEntryBase::setSummaryWithString(const std::optional<std::string>& text)
{
    setSummary(VSTextConstruct::textConstructWithString<VSAtomSummary>(text));
}

void VSEntryBase::setContentWithString(const std::optional<std::string>& text)
{
    setContent(VSEntryContent::contentWithString<VSAtomContent>(text));
}

void VSEntryBase::setRightsStringWithString(const std::optional<std::string>& text)
{
    setRightsString(VSTextConstruct::textConstructWithString<VSAtomRights>(text));
}

void VSEntryBase::setBatchIDWithString(const std::optional<std::string>& text)
{
    setBatchID(VSBatchID::batchIDWithString(text));
}

void VSEntryBase::setETag(const std::optional<std::string>& tag)
{
    if (tag)
        setAttributeValue(tag, VSETagAttribute::staticClass());
    else
        setObject(nullptr, VSETagAttribute::staticClass());
}

void VSEntryBase::setFieldSelection(const std::optional<std::string>& fields)
{
    if (fields)
        setAttributeValue(fields, VSFieldsAttribute::staticClass());
    else
        setObject(nullptr, VSFieldsAttribute::staticClass());
}

void VSEntryBase::setKind(const std::optional<std::string>& kind)
{
    if (kind)
        setAttributeValue(kind, VSKindAttribute::staticClass());
    else
        setObject(nullptr, VSKindAttribute::staticClass());
}

void VSEntryBase::setIsDeleted(bool isDeleted)
{
    setObject(isDeleted ? VSDeleted::deleted() : nullptr, VSDeleted::staticClass());
}

VSCategory::List VSEntryBase::categoriesWithScheme(const std::optional<std::string>& scheme) const
{
    return VSCategory::categoriesWithScheme(scheme, categories());
}

std::shared_ptr<VSCategory> VSEntryBase::kindCategory() const
{
    auto kinds = categoriesWithScheme(std::string(kVSCategoryKind));
    return kinds.empty() ? nullptr : kinds.front();
}

VSLink::List VSEntryBase::linksWithRelAttributeValue(const std::string& rel) const
{
    return VSUtilities::objectsFromArray(links(), rel, [](const auto& link) { return link->rel(); });
}

std::shared_ptr<VSLink> VSEntryBase::linkWithRelAttributeValue(const std::string& rel) const
{
    return VSLink::linkWithRel(rel, std::nullopt, links());
}

std::shared_ptr<VSLink> VSEntryBase::linkWithRelAttributeValue(
    const std::string& rel, const std::optional<std::string>& type) const
{
    return VSLink::linkWithRel(rel, type, links());
}

std::shared_ptr<VSLink> VSEntryBase::postLink() const
{
    return linkWithRelAttributeValue(kVSLinkRelPost);
}

std::shared_ptr<VSLink> VSEntryBase::uploadEditLink() const
{
    return linkWithRelAttributeValue(kVSLinkRelResumableEdit);
}

void VSEntryBase::setUploadSlug(const std::optional<std::string>& slug)
{
    _uploadSlug
        = slug ? std::optional<std::string>(VSUtilities::stringByPercentEncodingUTF8ForString(*slug)) : std::nullopt;
}

plat::Dictionary VSEntryBase::contentHeaders() const
{
    plat::Dictionary headers;
    if (!_uploadMIMEType)
        return headers;
    headers.set("Content-Type", *_uploadMIMEType);
    headers.set("MIME-Version", "1.0");
    if (_uploadSlug)
        headers.set("Slug", *_uploadSlug);
    return headers;
}

std::optional<VSUploadBody> VSEntryBase::generateContentInputStream() const
{
    std::shared_ptr<const plat::Data> payload = _uploadData;
    if (!payload && _uploadFileHandle) {
        // Only without a data buffer: the whole file is read into memory.
        auto data = std::make_shared<plat::Data>();
        if (auto start = _uploadFileHandle->seekToFileOffset(0); start.ok()) {
            for (;;) {
                auto read = _uploadFileHandle->readDataOfLength(kFileReadBytes);
                if (!read.ok()) {
                    plat::log("upload file {}: {}", _uploadFileHandle->path(), read.error().description());
                    data->clear();
                    break;
                }
                if (read.value().empty())
                    break;
                data->insert(data->end(), read.value().begin(), read.value().end());
            }
        } else {
            plat::log("upload file {}: {}", _uploadFileHandle->path(), start.error().description());
        }
        payload = data;
    }
    bool hasPayload = payload && !payload->empty();
    bool hasMIMEType = _uploadMIMEType && !_uploadMIMEType->empty();
    if (hasPayload && _shouldUploadDataOnly && hasMIMEType) {
        VSUploadBody body;
        body.stream = plat::InputStream::inputStreamWithData(*payload);
        body.length = payload->size();
        body.headers = contentHeaders();
        return body;
    }
    if (!hasPayload || !hasMIMEType)
        return std::nullopt;

    auto element = XMLElement();
    std::string atomText = element ? element->XMLString().value_or("") : "";
    auto document = WSMIMEDocument::MIMEDocument();
    document->addPartWithHeaders(
        {{"Content-Type", "application/atom+xml; charset=UTF-8"}}, plat::Data(atomText.begin(), atomText.end()));
    document->addPartWithHeaders(
        {{"Content-Type", *_uploadMIMEType}, {"Content-Transfer-Encoding", "binary"}}, *payload);
    VSUploadBody body;
    std::string boundary;
    document->generateInputStream(&body.stream, &body.length, &boundary);
    body.headers.set("Content-Type", "multipart/related; boundary=\"" + boundary + "\"");
    body.headers.set("MIME-Version", "1.0");
    if (_uploadSlug)
        body.headers.set("Slug", *_uploadSlug);
    return body;
}

VSXMLElementPtr VSEntryBase::XMLElement() const
{
    return XMLElementWithExtensionsAndDefaultName("entry");
}

bool VSEntryBase::isEqual(const VSExtensionObject& other) const
{
    if (this == &other)
        return true;
    auto entry = dynamic_cast<const VSEntryBase*>(&other);
    if (entry == nullptr || !VSObject::isEqual(other))
        return false;
    bool sameData = _uploadData == entry->_uploadData
        || (_uploadData && entry->_uploadData && *_uploadData == *entry->_uploadData);
    return sameData && _uploadMIMEType == entry->_uploadMIMEType && _uploadSlug == entry->_uploadSlug
        && _shouldUploadDataOnly == entry->_shouldUploadDataOnly;
}

void VSEntryBase::copyInto(VSObject& copy) const
{
    VSObject::copyInto(copy);
    auto& entry = static_cast<VSEntryBase&>(copy);
    entry._uploadData = _uploadData;
    entry._uploadFileHandle = _uploadFileHandle;
    entry._uploadLocationURL = _uploadLocationURL;
    entry._uploadMIMEType = _uploadMIMEType;
    entry._uploadSlug = _uploadSlug;  // already encoded: not encoded again
    entry._shouldUploadDataOnly = _shouldUploadDataOnly;
}

}  // namespace zt
