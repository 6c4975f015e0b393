#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/URL.h"
#include "videoservice/VSConstructs.h"
#include "videoservice/VSEntryContent.h"

// The elements of Atom, the Atom Publishing Protocol, OpenSearch and the
// provider's common data vocabulary. Most differ only in the element they
// name.
namespace zt {

VS_ELEMENT_CLASS(VSAtomID, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSAtomPublishedDate, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSAtomUpdatedDate, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSAtomTitle, VSTextConstruct)
VS_ELEMENT_CLASS(VSAtomSubtitle, VSTextConstruct)
VS_ELEMENT_CLASS(VSAtomSummary, VSTextConstruct)
VS_ELEMENT_CLASS(VSAtomRights, VSTextConstruct)
VS_ELEMENT_CLASS(VSAtomContent, VSEntryContent)
VS_ELEMENT_CLASS(VSAtomIcon, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSAtomLogo, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSPersonName, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSPersonEmail, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSPersonURI, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSAtomPubDraft, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSAtomPubEditedDate, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSOpenSearchTotalResults, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSOpenSearchStartIndex, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSOpenSearchItemsPerPage, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSResourceID, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSETagAttribute, VSAttribute)
VS_ELEMENT_CLASS(VSFieldsAttribute, VSAttribute)
VS_ELEMENT_CLASS(VSKindAttribute, VSAttribute)

// An Atom category; equality leaves "xml:lang" out.
class VSCategory : public VSObject {
    VS_DECLARE_CLASS(VSCategory)

public:
    using List = std::vector<std::shared_ptr<VSCategory>>;

    static std::shared_ptr<VSCategory> categoryWithScheme(
        const std::optional<std::string>& scheme, const std::optional<std::string>& term);
    // A user label: the labels scheme, the term "<scheme>#<label>".
    static std::shared_ptr<VSCategory> categoryWithLabel(const std::string& label);

    std::optional<std::string> scheme() const { return stringValueForAttribute("scheme"); }
    void setScheme(const std::optional<std::string>& scheme) { setStringValueForAttribute(scheme, "scheme"); }
    std::optional<std::string> term() const { return stringValueForAttribute("term"); }
    void setTerm(const std::optional<std::string>& term) { setStringValueForAttribute(term, "term"); }
    std::optional<std::string> label() const { return stringValueForAttribute("label"); }
    void setLabel(const std::optional<std::string>& label) { setStringValueForAttribute(label, "label"); }
    std::optional<std::string> labelLang() const { return stringValueForAttribute("xml:lang"); }
    void setLabelLang(const std::optional<std::string>& lang) { setStringValueForAttribute(lang, "xml:lang"); }

    static List categoriesWithScheme(const std::optional<std::string>& scheme, const List& categories);
    static List categoriesWithSchemePrefix(const std::string& prefix, const List& categories);
    static std::vector<std::string> categoryLabelsFromCategories(const List& categories);
    static bool categoriesContainsCategoryWithScheme(const List& categories, const std::optional<std::string>& scheme,
        const std::optional<std::string>& term, const std::optional<std::string>& label);
    static bool categoriesContainsCategoryWithLabel(const List& categories, const std::string& label);

    void addParseDeclarations() override;
    std::vector<std::string> attributesIgnoredForEquality() const override { return {"xml:lang"}; }
};

// The Atom "generator": its name in the text, version and URI attributes.
class VSGenerator : public VSObject {
    VS_DECLARE_CLASS(VSGenerator)

public:
    static std::shared_ptr<VSGenerator> generatorWithName(const std::optional<std::string>& name,
        const std::optional<std::string>& version, const std::optional<std::string>& URI);

    std::optional<std::string> name() const { return contentStringValue(); }
    void setName(const std::optional<std::string>& name) { setContentStringValue(name); }
    std::optional<std::string> version() const { return stringValueForAttribute("version"); }
    void setVersion(const std::optional<std::string>& version) { setStringValueForAttribute(version, "version"); }
    std::optional<std::string> URI() const { return stringValueForAttribute("uri"); }
    void setURI(const std::optional<std::string>& URI) { setStringValueForAttribute(URI, "uri"); }

    void addParseDeclarations() override;
};

// An Atom link. A link without "rel" is an alternate link.
class VSLink : public VSObject {
    VS_DECLARE_CLASS(VSLink)

public:
    using List = std::vector<std::shared_ptr<VSLink>>;

    static std::shared_ptr<VSLink> linkWithRel(const std::optional<std::string>& rel,
        const std::optional<std::string>& type, const std::optional<std::string>& href);

    std::string rel() const;
    void setRel(const std::optional<std::string>& rel) { setStringValueForAttribute(rel, "rel"); }
    std::optional<std::string> type() const { return stringValueForAttribute("type"); }
    void setType(const std::optional<std::string>& type) { setStringValueForAttribute(type, "type"); }
    std::optional<std::string> href() const { return stringValueForAttribute("href"); }
    void setHref(const std::optional<std::string>& href) { setStringValueForAttribute(href, "href"); }
    std::optional<std::string> hrefLang() const { return stringValueForAttribute("hrefLang"); }
    void setHrefLang(const std::optional<std::string>& lang) { setStringValueForAttribute(lang, "hrefLang"); }
    std::optional<std::string> title() const { return stringValueForAttribute("title"); }
    void setTitle(const std::optional<std::string>& title) { setStringValueForAttribute(title, "title"); }
    std::optional<std::string> titleLang() const { return stringValueForAttribute("xml:lang"); }
    void setTitleLang(const std::optional<std::string>& lang) { setStringValueForAttribute(lang, "xml:lang"); }
    std::optional<int32_t> resourceLength() const { return intNumberForAttribute("length"); }
    void setResourceLength(const std::optional<int32_t>& length);
    std::optional<std::string> ETag() const { return attributeValueForExtensionClass(VSETagAttribute::staticClass()); }
    void setETag(const std::optional<std::string>& tag);
    std::shared_ptr<VSAtomContent> content() const { return objectForExtensionClass<VSAtomContent>(); }
    void setContent(const std::shared_ptr<VSAtomContent>& content) { setObject(content, VSAtomContent::staticClass()); }
    std::optional<plat::URL> URL() const;

    // The first link of the relation and type (nullopt matches any).
    static std::shared_ptr<VSLink> linkWithRel(
        const std::optional<std::string>& rel, const std::optional<std::string>& type, const List& links);
    static std::shared_ptr<VSLink> linkWithRelAttributeSuffix(const std::string& suffix, const List& links);
    // The part of each relation after its last "#"; empty for no links.
    static std::vector<std::string> linkNamesFromLinks(const List& links);

    void addParseDeclarations() override;
    void addExtensionDeclarations() override;
};

// An Atom person; VSPerson itself writes an "author" element.
class VSPerson : public VSObject {
    VS_DECLARE_CLASS(VSPerson)

public:
    template <typename T = VSPerson>
    static std::shared_ptr<T> personWithName(
        const std::optional<std::string>& name, const std::optional<std::string>& email)
    {
        auto person = VSObject::object<T>();
        person->setName(name);
        person->setEmail(email);
        return person;
    }

    std::optional<std::string> name() const;
    void setName(const std::optional<std::string>& name);
    std::optional<std::string> email() const;
    void setEmail(const std::optional<std::string>& email);
    std::optional<std::string> URI() const;
    void setURI(const std::optional<std::string>& URI);
    std::optional<std::string> nameLang() const { return stringValueForAttribute("xml:lang"); }
    void setNameLang(const std::optional<std::string>& lang) { setStringValueForAttribute(lang, "xml:lang"); }

    void addParseDeclarations() override;
    void addExtensionDeclarations() override;
};

VS_ELEMENT_CLASS(VSAtomAuthor, VSPerson)
VS_ELEMENT_CLASS(VSAtomContributor, VSPerson)

// The AtomPub "control"; a draft has a "draft" child whose text is "yes".
class VSAtomPubControl : public VSObject {
    VS_DECLARE_CLASS(VSAtomPubControl)

public:
    static std::shared_ptr<VSAtomPubControl> atomPubControl();
    static std::shared_ptr<VSAtomPubControl> atomPubControlWithIsDraft(bool isDraft);

    bool isDraft() const;
    void setIsDraft(bool isDraft);

    std::optional<std::string> defaultServiceVersion() const override { return "2.0"; }
    void addExtensionDeclarations() override;
};

// The gd "comments": a relation and a feed link.
class VSComment : public VSObject {
    VS_DECLARE_CLASS(VSComment)

public:
    static std::shared_ptr<VSComment> commentWithFeedLink(const std::shared_ptr<VSFeedLink>& feedLink);

    std::optional<std::string> rel() const { return stringValueForAttribute("rel"); }
    void setRel(const std::optional<std::string>& rel) { setStringValueForAttribute(rel, "rel"); }
    std::shared_ptr<VSFeedLink> feedLink() const { return objectForExtensionClass<VSFeedLink>(); }
    void setFeedLink(const std::shared_ptr<VSFeedLink>& feedLink) { setObject(feedLink, VSFeedLink::staticClass()); }

    void addParseDeclarations() override;
    void addExtensionDeclarations() override;
};

// The gd "rating".
class VSRating : public VSObject {
    VS_DECLARE_CLASS(VSRating)

public:
    static std::shared_ptr<VSRating> ratingWithValue(int32_t value, int32_t max, int32_t min);

    std::optional<std::string> rel() const { return stringValueForAttribute("rel"); }
    void setRel(const std::optional<std::string>& rel) { setStringValueForAttribute(rel, "rel"); }
    std::optional<int32_t> value() const { return intNumberForAttribute("value"); }
    void setValue(const std::optional<int32_t>& value);
    std::optional<int32_t> max() const { return intNumberForAttribute("max"); }
    void setMax(const std::optional<int32_t>& max);
    std::optional<int32_t> min() const { return intNumberForAttribute("min"); }
    void setMin(const std::optional<int32_t>& min);
    std::optional<double> average() const { return doubleNumberForAttribute("average"); }
    void setAverage(const std::optional<double>& average);
    std::optional<int32_t> numberOfRaters() const { return intNumberForAttribute("numRaters"); }
    void setNumberOfRaters(const std::optional<int32_t>& count);

    void addParseDeclarations() override;
};

namespace detail {
// The decimal text of an optional number, for attribute setters.
std::optional<std::string> numberText(const std::optional<int64_t>& value);
std::optional<std::string> numberText(const std::optional<double>& value);
inline std::optional<std::string> numberText(const std::optional<int32_t>& value)
{
    return value ? numberText(std::optional<int64_t>(*value)) : std::nullopt;
}
}  // namespace detail

}  // namespace zt
