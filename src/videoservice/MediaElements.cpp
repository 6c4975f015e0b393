#include "videoservice/MediaElements.h"

#include <algorithm>

#include "platform/foundation/Text.h"
#include "videoservice/AtomElements.h"
#include "videoservice/VSNamespaces.h"
#include "videoservice/VSNumberText.h"
#include "videoservice/YouTubeElements.h"

namespace zt {

#define MEDIA kVSNamespaceMedia, kVSNamespaceMediaPrefix

VS_DEFINE_CLASS(VSMediaCategory, VSObject, MEDIA, "category")
VS_DEFINE_CLASS(VSMediaContent, VSObject, MEDIA, "content")
VS_DEFINE_CLASS(VSMediaCredit, VSObject, MEDIA, "credit")
VS_DEFINE_CLASS(VSMediaDescription, VSTextConstruct, MEDIA, "description")
VS_DEFINE_CLASS(VSMediaTitle, VSTextConstruct, MEDIA, "title")
VS_DEFINE_CLASS(VSMediaKeywords, VSValueElementConstruct, MEDIA, "keywords")
VS_DEFINE_CLASS(VSMediaPlayer, VSObject, MEDIA, "player")
VS_DEFINE_CLASS(VSMediaRating, VSObject, MEDIA, "rating")
VS_DEFINE_CLASS(VSMediaRestriction, VSObject, MEDIA, "restriction")
VS_DEFINE_CLASS(VSMediaThumbnail, VSObject, MEDIA, "thumbnail")
VS_DEFINE_CLASS(VSMediaGroup, VSObject, MEDIA, "group")

// VSMediaCategory

std::shared_ptr<VSMediaCategory> VSMediaCategory::mediaCategoryWithString(const std::optional<std::string>& text)
{
    auto category = VSObject::object<VSMediaCategory>();
    category->setStringValue(text);
    return category;
}

void VSMediaCategory::addParseDeclarations()
{
    addLocalAttributeDeclarations({"label", "scheme"});
    addContentValueDeclaration();
}

// VSMediaContent

std::shared_ptr<VSMediaContent> VSMediaContent::mediaContentWithURLString(const std::optional<std::string>& URLString)
{
    auto content = VSObject::object<VSMediaContent>();
    content->setURLString(URLString);
    return content;
}

void VSMediaContent::addParseDeclarations()
{
    addLocalAttributeDeclarations({"url", "fileSize", "type", "medium", "isDefault", "expression", "bitrate",
        "framerate", "samplingrate", "channels", "duration", "height", "width", "lang"});
}

void VSMediaContent::setFileSize(const std::optional<int64_t>& size)
{
    setStringValueForAttribute(detail::numberText(size), "fileSize");
}

std::optional<bool> VSMediaContent::isDefault() const
{
    return boolValueForAttribute("isDefault", false) ? std::optional<bool>(true) : std::nullopt;
}

void VSMediaContent::setIsDefault(bool isDefault)
{
    setBoolValueDefaultValueForAttribute(isDefault, false, "isDefault");
}

void VSMediaContent::setChannels(const std::optional<int32_t>& value)
{
    setStringValueForAttribute(detail::numberText(value), "channels");
}

void VSMediaContent::setDuration(const std::optional<int32_t>& value)
{
    setStringValueForAttribute(detail::numberText(value), "duration");
}

void VSMediaContent::setHeight(const std::optional<int32_t>& value)
{
    setStringValueForAttribute(detail::numberText(value), "height");
}

void VSMediaContent::setWidth(const std::optional<int32_t>& value)
{
    setStringValueForAttribute(detail::numberText(value), "width");
}

int32_t VSMediaContent::youTubeFormatNumber() const
{
    auto text = attributeValueForExtensionClass(VSYouTubeFormatAttribute::staticClass());
    return text ? detail::intValueOfText(*text) : 0;
}

void VSMediaContent::setYouTubeFormatNumber(const std::optional<int32_t>& format)
{
    if (format)
        setAttributeValue(std::to_string(*format), VSYouTubeFormatAttribute::staticClass());
    else
        setObject(nullptr, VSYouTubeFormatAttribute::staticClass());
}

// VSMediaCredit

std::shared_ptr<VSMediaCredit> VSMediaCredit::mediaCreditWithString(const std::optional<std::string>& text)
{
    auto credit = VSObject::object<VSMediaCredit>();
    credit->setStringValue(text);
    return credit;
}

void VSMediaCredit::addParseDeclarations()
{
    addLocalAttributeDeclarations({"role", "scheme"});
    addContentValueDeclaration();
}

std::optional<std::string> VSMediaCredit::youTubeCreditType() const
{
    return attributeValueForExtensionClass(VSYouTubeTypeAttribute::staticClass());
}

void VSMediaCredit::setYouTubeCreditType(const std::optional<std::string>& type)
{
    if (type)
        setAttributeValue(type, VSYouTubeTypeAttribute::staticClass());
    else
        setObject(nullptr, VSYouTubeTypeAttribute::staticClass());
}

// VSMediaKeywords

std::string VSMediaKeywords::trimString(std::string_view text)
{
    return plat::trimmingWhitespace(text);
}

std::vector<std::string> VSMediaKeywords::keywordsFromString(std::string_view text)
{
    std::vector<std::string> keywords;
    for (const auto& piece : plat::componentsSeparatedByString(text, ",")) {
        std::string trimmed = trimString(piece);
        if (!trimmed.empty())
            keywords.push_back(std::move(trimmed));
    }
    return keywords;
}

std::optional<std::string> VSMediaKeywords::stringFromKeywords(const std::vector<std::string>& keywords)
{
    if (keywords.empty())
        return std::nullopt;
    std::string text;
    for (size_t i = 0; i < keywords.size(); ++i)
        text += (i > 0 ? ", " : "") + keywords[i];
    return text;
}

std::shared_ptr<VSMediaKeywords> VSMediaKeywords::keywordsWithStrings(const std::vector<std::string>& keywords)
{
    auto element = VSObject::object<VSMediaKeywords>();
    element->setKeywords(keywords);
    return element;
}

std::shared_ptr<VSMediaKeywords> VSMediaKeywords::keywordsWithString(const std::string& text)
{
    return keywordsWithStrings(keywordsFromString(text));
}

std::vector<std::string> VSMediaKeywords::keywords() const
{
    auto text = stringValue();
    return text ? keywordsFromString(*text) : std::vector<std::string>();
}

void VSMediaKeywords::setKeywords(const std::vector<std::string>& keywords)
{
    setStringValue(stringFromKeywords(keywords));
}

void VSMediaKeywords::addKeyword(std::string_view keyword)
{
    std::string trimmed = trimString(keyword);
    if (trimmed.empty())
        return;
    auto list = keywords();
    if (list.empty()) {
        setStringValue(trimmed);
        return;
    }
    if (std::find(list.begin(), list.end(), trimmed) != list.end())
        return;
    list.push_back(trimmed);
    setKeywords(list);
}

// VSMediaPlayer

std::shared_ptr<VSMediaPlayer> VSMediaPlayer::mediaPlayerWithURLString(const std::optional<std::string>& URLString)
{
    auto player = VSObject::object<VSMediaPlayer>();
    player->setURLString(URLString);
    return player;
}

void VSMediaPlayer::addParseDeclarations()
{
    addLocalAttributeDeclarations({"url", "height", "width"});
}

void VSMediaPlayer::setHeight(const std::optional<int32_t>& value)
{
    setStringValueForAttribute(detail::numberText(value), "height");
}

void VSMediaPlayer::setWidth(const std::optional<int32_t>& value)
{
    setStringValueForAttribute(detail::numberText(value), "width");
}

// VSMediaRating

std::shared_ptr<VSMediaRating> VSMediaRating::mediaRatingWithString(const std::optional<std::string>& text)
{
    auto rating = VSObject::object<VSMediaRating>();
    rating->setStringValue(text);
    return rating;
}

void VSMediaRating::addParseDeclarations()
{
    addLocalAttributeDeclarations({"scheme"});
    addContentValueDeclaration();
}

std::optional<std::string> VSMediaRating::youTubeCountry() const
{
    return attributeValueForExtensionClass(VSYouTubeCountryAttribute::staticClass());
}

void VSMediaRating::setYouTubeCountry(const std::optional<std::string>& country)
{
    if (country)
        setAttributeValue(country, VSYouTubeCountryAttribute::staticClass());
    else
        setObject(nullptr, VSYouTubeCountryAttribute::staticClass());
}

// VSMediaRestriction

std::shared_ptr<VSMediaRestriction> VSMediaRestriction::mediaRestrictionWithString(
    const std::optional<std::string>& text, const std::optional<std::string>& relationship,
    const std::optional<std::string>& type)
{
    auto restriction = VSObject::object<VSMediaRestriction>();
    restriction->setStringValue(text);
    restriction->setRelationship(relationship);
    restriction->setType(type);
    return restriction;
}

void VSMediaRestriction::addParseDeclarations()
{
    addLocalAttributeDeclarations({"relationship", "type"});
    addContentValueDeclaration();
}

// VSMediaThumbnail

std::shared_ptr<VSMediaThumbnail> VSMediaThumbnail::mediaContentWithURL(const std::optional<std::string>& URLString)
{
    auto thumbnail = VSObject::object<VSMediaThumbnail>();
    thumbnail->setURLString(URLString);
    return thumbnail;
}

void VSMediaThumbnail::addParseDeclarations()
{
    addLocalAttributeDeclarations({"url", "height", "width", "time"});
}

void VSMediaThumbnail::setHeight(const std::optional<int32_t>& value)
{
    setStringValueForAttribute(detail::numberText(value), "height");
}

void VSMediaThumbnail::setWidth(const std::optional<int32_t>& value)
{
    setStringValueForAttribute(detail::numberText(value), "width");
}

std::optional<VSNormalPlayTime> VSMediaThumbnail::time() const
{
    auto text = stringValueForAttribute("time");
    if (!text || text->empty())
        return std::nullopt;
    return VSNormalPlayTime::normalPlayTimeWithString(*text);
}

void VSMediaThumbnail::setTime(const std::optional<VSNormalPlayTime>& time)
{
    setStringValueForAttribute(time ? std::optional<std::string>(time->HHMMSSString()) : std::nullopt, "time");
}

std::optional<std::string> VSMediaThumbnail::youTubeName() const
{
    return attributeValueForExtensionClass(VSYouTubeNameAttribute::staticClass());
}

void VSMediaThumbnail::setYouTubeName(const std::optional<std::string>& name)
{
    if (name)
        setAttributeValue(name, VSYouTubeNameAttribute::staticClass());
    else
        setObject(nullptr, VSYouTubeNameAttribute::staticClass());
}

// VSMediaGroup

void VSMediaGroup::addExtensionDeclarations()
{
    VSObject::addExtensionDeclarations();
    addExtensionDeclarationForParentClass(objectClass(),
        {&VSMediaContent::staticClass(), &VSMediaCategory::staticClass(), &VSMediaCredit::staticClass(),
            &VSMediaDescription::staticClass(), &VSMediaPlayer::staticClass(), &VSMediaRating::staticClass(),
            &VSMediaRestriction::staticClass(), &VSMediaThumbnail::staticClass(), &VSMediaKeywords::staticClass(),
            &VSMediaTitle::staticClass()});
}

}  // namespace zt
