#include "videoservice/AtomElements.h"

#include <algorithm>

#include "platform/foundation/Text.h"
#include "videoservice/VSNamespaces.h"
#include "videoservice/VSNumberText.h"

namespace zt {

#define ATOM kVSNamespaceAtom, kVSNamespaceAtomPrefix
#define APP kVSNamespaceAtomPub, kVSNamespaceAtomPubPrefix
#define OPENSEARCH kVSNamespaceOpenSearch, kVSNamespaceOpenSearchPrefix
#define GD kVSNamespaceGData, kVSNamespaceGDataPrefix

VS_DEFINE_CLASS(VSAtomID, VSValueElementConstruct, ATOM, "id")
VS_DEFINE_CLASS(VSAtomPublishedDate, VSValueElementConstruct, ATOM, "published")
VS_DEFINE_CLASS(VSAtomUpdatedDate, VSValueElementConstruct, ATOM, "updated")
VS_DEFINE_CLASS(VSAtomTitle, VSTextConstruct, ATOM, "title")
VS_DEFINE_CLASS(VSAtomSubtitle, VSTextConstruct, ATOM, "subtitle")
VS_DEFINE_CLASS(VSAtomSummary, VSTextConstruct, ATOM, "summary")
VS_DEFINE_CLASS(VSAtomRights, VSTextConstruct, ATOM, "rights")
VS_DEFINE_CLASS(VSAtomContent, VSEntryContent, ATOM, "content")
VS_DEFINE_CLASS(VSAtomIcon, VSValueElementConstruct, ATOM, "icon")
VS_DEFINE_CLASS(VSAtomLogo, VSValueElementConstruct, ATOM, "logo")
VS_DEFINE_CLASS(VSPersonName, VSValueElementConstruct, ATOM, "name")
VS_DEFINE_CLASS(VSPersonEmail, VSValueElementConstruct, ATOM, "email")
VS_DEFINE_CLASS(VSPersonURI, VSValueElementConstruct, ATOM, "uri")
VS_DEFINE_CLASS(VSCategory, VSObject, ATOM, "category")
VS_DEFINE_CLASS(VSGenerator, VSObject, ATOM, "generator")
VS_DEFINE_CLASS(VSLink, VSObject, ATOM, "link")
VS_DEFINE_CLASS(VSPerson, VSObject, ATOM, "author")
VS_DEFINE_CLASS(VSAtomAuthor, VSPerson, ATOM, "author")
VS_DEFINE_CLASS(VSAtomContributor, VSPerson, ATOM, "contributor")
VS_DEFINE_CLASS(VSAtomPubControl, VSObject, APP, "control")
VS_DEFINE_CLASS(VSAtomPubDraft, VSValueElementConstruct, APP, "draft")
VS_DEFINE_CLASS(VSAtomPubEditedDate, VSValueElementConstruct, APP, "edited")
VS_DEFINE_CLASS(VSOpenSearchTotalResults, VSValueElementConstruct, OPENSEARCH, "totalResults")
VS_DEFINE_CLASS(VSOpenSearchStartIndex, VSValueElementConstruct, OPENSEARCH, "startIndex")
VS_DEFINE_CLASS(VSOpenSearchItemsPerPage, VSValueElementConstruct, OPENSEARCH, "itemsPerPage")
VS_DEFINE_CLASS(VSResourceID, VSValueElementConstruct, GD, "resourceId")
VS_DEFINE_CLASS(VSComment, VSObject, GD, "comments")
VS_DEFINE_CLASS(VSRating, VSObject, GD, "rating")
VS_DEFINE_CLASS(VSETagAttribute, VSAttribute, GD, "etag")
VS_DEFINE_CLASS(VSFieldsAttribute, VSAttribute, GD, "fields")
VS_DEFINE_CLASS(VSKindAttribute, VSAttribute, GD, "kind")

namespace detail {
std::optional<std::string> numberText(const std::optional<int64_t>& value)
{
    return value ? std::optional<std::string>(std::to_string(*value)) : std::nullopt;
}

std::optional<std::string> numberText(const std::optional<double>& value)
{
    return value ? std::optional<std::string>(decimalTextOfDouble(*value)) : std::nullopt;
}
}  // namespace detail

// VSCategory

std::shared_ptr<VSCategory> VSCategory::categoryWithScheme(
    const std::optional<std::string>& scheme, const std::optional<std::string>& term)
{
    auto category = VSObject::object<VSCategory>();
    category->setScheme(scheme);
    category->setTerm(term);
    return category;
}

std::shared_ptr<VSCategory> VSCategory::categoryWithLabel(const std::string& label)
{
    auto category = categoryWithScheme(kVSCategoryLabelScheme, std::string(kVSCategoryLabelScheme) + "#" + label);
    category->setLabel(label);
    return category;
}

void VSCategory::addParseDeclarations()
{
    addLocalAttributeDeclarations({"scheme", "term", "label", "xml:lang"});
}

VSCategory::List VSCategory::categoriesWithScheme(const std::optional<std::string>& scheme, const List& categories)
{
    List result;
    for (const auto& category : categories) {
        if (category->scheme() == scheme)
            result.push_back(category);
    }
    return result;
}

VSCategory::List VSCategory::categoriesWithSchemePrefix(const std::string& prefix, const List& categories)
{
    List result;
    for (const auto& category : categories) {
        auto scheme = category->scheme();
        if (scheme && scheme->starts_with(prefix))
            result.push_back(category);
    }
    return result;
}

std::vector<std::string> VSCategory::categoryLabelsFromCategories(const List& categories)
{
    std::vector<std::string> labels;
    for (const auto& category : categories) {
        auto label = category->label();
        if (label && std::find(labels.begin(), labels.end(), *label) == labels.end())
            labels.push_back(*label);
    }
    return labels;
}

bool VSCategory::categoriesContainsCategoryWithScheme(const List& categories, const std::optional<std::string>& scheme,
    const std::optional<std::string>& term, const std::optional<std::string>& label)
{
    for (const auto& category : categories) {
        if ((!scheme || category->scheme() == scheme) && (!term || category->term() == term)
            && (!label || category->label() == label))
            return true;
    }
    return false;
}

bool VSCategory::categoriesContainsCategoryWithLabel(const List& categories, const std::string& label)
{
    return categoriesContainsCategoryWithScheme(categories, kVSCategoryLabelScheme, std::nullopt, label);
}

// VSGenerator

std::shared_ptr<VSGenerator> VSGenerator::generatorWithName(const std::optional<std::string>& name,
    const std::optional<std::string>& version, const std::optional<std::string>& URI)
{
    auto generator = VSObject::object<VSGenerator>();
    generator->setName(name);
    generator->setVersion(version);
    generator->setURI(URI);
    return generator;
}

void VSGenerator::addParseDeclarations()
{
    addLocalAttributeDeclarations({"version", "uri"});
    addContentValueDeclaration();
}

// VSLink

std::shared_ptr<VSLink> VSLink::linkWithRel(const std::optional<std::string>& rel,
    const std::optional<std::string>& type, const std::optional<std::string>& href)
{
    auto link = VSObject::object<VSLink>();
    link->setRel(rel);
    link->setType(type);
    link->setHref(href);
    return link;
}

void VSLink::addParseDeclarations()
{
    addLocalAttributeDeclarations({"rel", "type", "href", "hrefLang", "title", "xml:lang", "length"});
}

void VSLink::addExtensionDeclarations()
{
    VSObject::addExtensionDeclarations();
    addExtensionDeclarationForParentClass(objectClass(), VSAtomContent::staticClass());
    addAttributeExtensionDeclarationForParentClass(objectClass(), VSETagAttribute::staticClass());
}

std::string VSLink::rel() const
{
    auto value = stringValueForAttribute("rel");
    return value && !value->empty() ? *value : "alternate";
}

void VSLink::setResourceLength(const std::optional<int32_t>& length)
{
    setStringValueForAttribute(detail::numberText(length), "length");
}

void VSLink::setETag(const std::optional<std::string>& tag)
{
    if (tag)
        setAttributeValue(tag, VSETagAttribute::staticClass());
    else
        setObject(nullptr, VSETagAttribute::staticClass());
}

std::optional<plat::URL> VSLink::URL() const
{
    auto text = href();
    if (!text || text->empty())
        return std::nullopt;
    return plat::URL::URLWithString(*text);
}

std::shared_ptr<VSLink> VSLink::linkWithRel(
    const std::optional<std::string>& rel, const std::optional<std::string>& type, const List& links)
{
    for (const auto& link : links) {
        if (rel && link->rel() != *rel)
            continue;
        if (type && link->type() != type)
            continue;
        return link;
    }
    return nullptr;
}

std::shared_ptr<VSLink> VSLink::linkWithRelAttributeSuffix(const std::string& suffix, const List& links)
{
    for (const auto& link : links) {
        if (link->rel().ends_with(suffix))
            return link;
    }
    return nullptr;
}

std::vector<std::string> VSLink::linkNamesFromLinks(const List& links)
{
    std::vector<std::string> names;
    for (const auto& link : links) {
        std::string rel = link->rel();
        size_t hash = rel.rfind('#');
        names.push_back(hash == std::string::npos ? rel : rel.substr(hash + 1));
    }
    return names;
}

// VSPerson

void VSPerson::addParseDeclarations()
{
    addLocalAttributeDeclarations({"xml:lang"});
}

void VSPerson::addExtensionDeclarations()
{
    VSObject::addExtensionDeclarations();
    addExtensionDeclarationForParentClass(
        objectClass(), {&VSPersonName::staticClass(), &VSPersonEmail::staticClass(), &VSPersonURI::staticClass()});
}

std::optional<std::string> VSPerson::name() const
{
    auto value = objectForExtensionClass<VSPersonName>();
    return value ? value->stringValue() : std::nullopt;
}

void VSPerson::setName(const std::optional<std::string>& name)
{
    setObject(VSValueConstruct::valueWithString<VSPersonName>(name), VSPersonName::staticClass());
}

std::optional<std::string> VSPerson::email() const
{
    auto value = objectForExtensionClass<VSPersonEmail>();
    return value ? value->stringValue() : std::nullopt;
}

void VSPerson::setEmail(const std::optional<std::string>& email)
{
    setObject(VSValueConstruct::valueWithString<VSPersonEmail>(email), VSPersonEmail::staticClass());
}

std::optional<std::string> VSPerson::URI() const
{
    auto value = objectForExtensionClass<VSPersonURI>();
    return value ? value->stringValue() : std::nullopt;
}

void VSPerson::setURI(const std::optional<std::string>& URI)
{
    setObject(VSValueConstruct::valueWithString<VSPersonURI>(URI), VSPersonURI::staticClass());
}

// VSAtomPubControl

std::shared_ptr<VSAtomPubControl> VSAtomPubControl::atomPubControl()
{
    auto control = VSObject::object<VSAtomPubControl>();
    // Declared on the control itself, so the prefix resolves wherever it is written.
    control->setNamespaces({{kVSNamespaceAtomPubPrefix, kVSNamespaceAtomPub}});
    return control;
}

std::shared_ptr<VSAtomPubControl> VSAtomPubControl::atomPubControlWithIsDraft(bool isDraft)
{
    auto control = atomPubControl();
    control->setIsDraft(isDraft);
    return control;
}

void VSAtomPubControl::addExtensionDeclarations()
{
    VSObject::addExtensionDeclarations();
    addExtensionDeclarationForParentClass(objectClass(), VSAtomPubDraft::staticClass());
}

bool VSAtomPubControl::isDraft() const
{
    auto draft = objectForExtensionClass<VSAtomPubDraft>();
    if (!draft)
        return false;
    auto text = draft->stringValue();
    return text && plat::lowercaseString(*text) == "yes";
}

void VSAtomPubControl::setIsDraft(bool isDraft)
{
    setObject(
        isDraft ? VSValueConstruct::valueWithString<VSAtomPubDraft>("yes") : nullptr, VSAtomPubDraft::staticClass());
}

// VSComment

std::shared_ptr<VSComment> VSComment::commentWithFeedLink(const std::shared_ptr<VSFeedLink>& feedLink)
{
    auto comment = VSObject::object<VSComment>();
    comment->setFeedLink(feedLink);
    return comment;
}

void VSComment::addParseDeclarations()
{
    addLocalAttributeDeclarations({"rel"});
}

void VSComment::addExtensionDeclarations()
{
    VSObject::addExtensionDeclarations();
    addExtensionDeclarationForParentClass(objectClass(), VSFeedLink::staticClass());
}

// VSRating

std::shared_ptr<VSRating> VSRating::ratingWithValue(int32_t value, int32_t max, int32_t min)
{
    auto rating = VSObject::object<VSRating>();
    rating->setValue(value);
    rating->setMax(max);
    rating->setMin(min);
    return rating;
}

void VSRating::addParseDeclarations()
{
    addLocalAttributeDeclarations({"rel", "value", "max", "min", "average", "numRaters"});
}

void VSRating::setValue(const std::optional<int32_t>& value)
{
    setStringValueForAttribute(detail::numberText(value), "value");
}

void VSRating::setMax(const std::optional<int32_t>& max)
{
    setStringValueForAttribute(detail::numberText(max), "max");
}

void VSRating::setMin(const std::optional<int32_t>& min)
{
    setStringValueForAttribute(detail::numberText(min), "min");
}

void VSRating::setAverage(const std::optional<double>& average)
{
    setStringValueForAttribute(detail::numberText(average), "average");
}

void VSRating::setNumberOfRaters(const std::optional<int32_t>& count)
{
    setStringValueForAttribute(detail::numberText(count), "numRaters");
}

}  // namespace zt
