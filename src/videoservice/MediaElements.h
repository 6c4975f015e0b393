#pragma once
#include <optional>
#include <string>
#include <vector>

#include "videoservice/VSConstructs.h"
#include "videoservice/VSNormalPlayTime.h"

// The Media RSS elements of a video entry's media group, with the video
// service's own attributes on them.
namespace zt {

class VSMediaCategory : public VSObject {
    VS_DECLARE_CLASS(VSMediaCategory)

public:
    static std::shared_ptr<VSMediaCategory> mediaCategoryWithString(const std::optional<std::string>& text);
    std::optional<std::string> label() const { return stringValueForAttribute("label"); }
    void setLabel(const std::optional<std::string>& label) { setStringValueForAttribute(label, "label"); }
    std::optional<std::string> scheme() const { return stringValueForAttribute("scheme"); }
    void setScheme(const std::optional<std::string>& scheme) { setStringValueForAttribute(scheme, "scheme"); }
    std::optional<std::string> stringValue() const { return contentStringValue(); }
    void setStringValue(const std::optional<std::string>& text) { setContentStringValue(text); }
    void addParseDeclarations() override;
};

class VSMediaContent : public VSObject {
    VS_DECLARE_CLASS(VSMediaContent)

public:
    static std::shared_ptr<VSMediaContent> mediaContentWithURLString(const std::optional<std::string>& URLString);
    std::optional<std::string> URLString() const { return stringValueForAttribute("url"); }
    void setURLString(const std::optional<std::string>& text) { setStringValueForAttribute(text, "url"); }
    std::optional<int64_t> fileSize() const { return longLongNumberForAttribute("fileSize"); }
    void setFileSize(const std::optional<int64_t>& size);
    std::optional<std::string> type() const { return stringValueForAttribute("type"); }
    void setType(const std::optional<std::string>& type) { setStringValueForAttribute(type, "type"); }
    std::optional<std::string> medium() const { return stringValueForAttribute("medium"); }
    void setMedium(const std::optional<std::string>& medium) { setStringValueForAttribute(medium, "medium"); }
    // true when the attribute reads as true, else nullopt.
    std::optional<bool> isDefault() const;
    void setIsDefault(bool isDefault);
    std::optional<std::string> expression() const { return stringValueForAttribute("expression"); }
    void setExpression(const std::optional<std::string>& text) { setStringValueForAttribute(text, "expression"); }
    std::optional<double> bitrate() const { return decimalNumberForAttribute("bitrate"); }
    void setBitrate(const std::optional<double>& value) { setDecimalNumberValue(value, "bitrate"); }
    std::optional<double> framerate() const { return decimalNumberForAttribute("framerate"); }
    void setFramerate(const std::optional<double>& value) { setDecimalNumberValue(value, "framerate"); }
    std::optional<double> samplingrate() const { return decimalNumberForAttribute("samplingrate"); }
    void setSamplingrate(const std::optional<double>& value) { setDecimalNumberValue(value, "samplingrate"); }
    std::optional<int32_t> channels() const { return intNumberForAttribute("channels"); }
    void setChannels(const std::optional<int32_t>& value);
    std::optional<int32_t> duration() const { return intNumberForAttribute("duration"); }
    void setDuration(const std::optional<int32_t>& value);
    std::optional<int32_t> height() const { return intNumberForAttribute("height"); }
    void setHeight(const std::optional<int32_t>& value);
    std::optional<int32_t> width() const { return intNumberForAttribute("width"); }
    void setWidth(const std::optional<int32_t>& value);
    std::optional<std::string> lang() const { return stringValueForAttribute("lang"); }
    void setLang(const std::optional<std::string>& lang) { setStringValueForAttribute(lang, "lang"); }

    // The video service's yt "format" attribute: 0 when absent.
    int32_t youTubeFormatNumber() const;
    void setYouTubeFormatNumber(const std::optional<int32_t>& format);

    void addParseDeclarations() override;
};

class VSMediaCredit : public VSObject {
    VS_DECLARE_CLASS(VSMediaCredit)

public:
    static std::shared_ptr<VSMediaCredit> mediaCreditWithString(const std::optional<std::string>& text);
    std::optional<std::string> role() const { return stringValueForAttribute("role"); }
    void setRole(const std::optional<std::string>& role) { setStringValueForAttribute(role, "role"); }
    std::optional<std::string> scheme() const { return stringValueForAttribute("scheme"); }
    void setScheme(const std::optional<std::string>& scheme) { setStringValueForAttribute(scheme, "scheme"); }
    std::optional<std::string> stringValue() const { return contentStringValue(); }
    void setStringValue(const std::optional<std::string>& text) { setContentStringValue(text); }
    // The video service's yt "type" attribute.
    std::optional<std::string> youTubeCreditType() const;
    void setYouTubeCreditType(const std::optional<std::string>& type);
    void addParseDeclarations() override;
};

VS_ELEMENT_CLASS(VSMediaDescription, VSTextConstruct)
VS_ELEMENT_CLASS(VSMediaTitle, VSTextConstruct)

// A comma-separated keyword list.
class VSMediaKeywords : public VSValueElementConstruct {
    VS_DECLARE_CLASS(VSMediaKeywords)

public:
    static std::shared_ptr<VSMediaKeywords> keywordsWithStrings(const std::vector<std::string>& keywords);
    // The list parsed and joined again: "a,  b ,,c" becomes "a, b, c".
    static std::shared_ptr<VSMediaKeywords> keywordsWithString(const std::string& text);
    static std::string trimString(std::string_view text);
    // Empty when nothing remains.
    static std::vector<std::string> keywordsFromString(std::string_view text);
    // nullopt for no keywords.
    static std::optional<std::string> stringFromKeywords(const std::vector<std::string>& keywords);

    std::vector<std::string> keywords() const;
    void setKeywords(const std::vector<std::string>& keywords);
    void addKeyword(std::string_view keyword);
};

class VSMediaPlayer : public VSObject {
    VS_DECLARE_CLASS(VSMediaPlayer)

public:
    static std::shared_ptr<VSMediaPlayer> mediaPlayerWithURLString(const std::optional<std::string>& URLString);
    std::optional<std::string> URLString() const { return stringValueForAttribute("url"); }
    void setURLString(const std::optional<std::string>& text) { setStringValueForAttribute(text, "url"); }
    std::optional<int32_t> height() const { return intNumberForAttribute("height"); }
    void setHeight(const std::optional<int32_t>& value);
    std::optional<int32_t> width() const { return intNumberForAttribute("width"); }
    void setWidth(const std::optional<int32_t>& value);
    void addParseDeclarations() override;
};

class VSMediaRating : public VSObject {
    VS_DECLARE_CLASS(VSMediaRating)

public:
    static std::shared_ptr<VSMediaRating> mediaRatingWithString(const std::optional<std::string>& text);
    std::optional<std::string> scheme() const { return stringValueForAttribute("scheme"); }
    void setScheme(const std::optional<std::string>& scheme) { setStringValueForAttribute(scheme, "scheme"); }
    std::optional<std::string> stringValue() const { return contentStringValue(); }
    void setStringValue(const std::optional<std::string>& text) { setContentStringValue(text); }
    // The video service's yt "country" attribute.
    std::optional<std::string> youTubeCountry() const;
    void setYouTubeCountry(const std::optional<std::string>& country);
    void addParseDeclarations() override;
};

class VSMediaRestriction : public VSObject {
    VS_DECLARE_CLASS(VSMediaRestriction)

public:
    static std::shared_ptr<VSMediaRestriction> mediaRestrictionWithString(const std::optional<std::string>& text,
        const std::optional<std::string>& relationship, const std::optional<std::string>& type);
    std::optional<std::string> relationship() const { return stringValueForAttribute("relationship"); }
    void setRelationship(const std::optional<std::string>& text) { setStringValueForAttribute(text, "relationship"); }
    std::optional<std::string> type() const { return stringValueForAttribute("type"); }
    void setType(const std::optional<std::string>& type) { setStringValueForAttribute(type, "type"); }
    std::optional<std::string> stringValue() const { return contentStringValue(); }
    void setStringValue(const std::optional<std::string>& text) { setContentStringValue(text); }
    void addParseDeclarations() override;
};

class VSMediaThumbnail : public VSObject {
    VS_DECLARE_CLASS(VSMediaThumbnail)

public:
    static std::shared_ptr<VSMediaThumbnail> mediaContentWithURL(const std::optional<std::string>& URLString);
    std::optional<std::string> URLString() const { return stringValueForAttribute("url"); }
    void setURLString(const std::optional<std::string>& text) { setStringValueForAttribute(text, "url"); }
    std::optional<int32_t> height() const { return intNumberForAttribute("height"); }
    void setHeight(const std::optional<int32_t>& value);
    std::optional<int32_t> width() const { return intNumberForAttribute("width"); }
    void setWidth(const std::optional<int32_t>& value);
    // nullopt when "time" is absent or empty.
    std::optional<VSNormalPlayTime> time() const;
    void setTime(const std::optional<VSNormalPlayTime>& time);
    // The video service's yt "name" attribute.
    std::optional<std::string> youTubeName() const;
    void setYouTubeName(const std::optional<std::string>& name);
    void addParseDeclarations() override;
};

// A Media RSS group.
class VSMediaGroup : public VSObject {
    VS_DECLARE_CLASS(VSMediaGroup)

public:
    template <typename T = VSMediaGroup> static std::shared_ptr<T> mediaGroup() { return VSObject::object<T>(); }

    std::vector<std::shared_ptr<VSMediaCategory>> mediaCategories() const
    {
        return objectsForExtensionClass<VSMediaCategory>();
    }
    void setMediaCategories(const std::vector<std::shared_ptr<VSMediaCategory>>& list) { setObjects(list); }
    void addMediaCategory(const std::shared_ptr<VSMediaCategory>& item) { addObject(item); }
    std::vector<std::shared_ptr<VSMediaContent>> mediaContents() const
    {
        return objectsForExtensionClass<VSMediaContent>();
    }
    void setMediaContents(const std::vector<std::shared_ptr<VSMediaContent>>& list) { setObjects(list); }
    void addMediaContent(const std::shared_ptr<VSMediaContent>& item) { addObject(item); }
    std::vector<std::shared_ptr<VSMediaCredit>> mediaCredits() const
    {
        return objectsForExtensionClass<VSMediaCredit>();
    }
    void setMediaCredits(const std::vector<std::shared_ptr<VSMediaCredit>>& list) { setObjects(list); }
    void addMediaCredit(const std::shared_ptr<VSMediaCredit>& item) { addObject(item); }
    std::vector<std::shared_ptr<VSMediaPlayer>> mediaPlayers() const
    {
        return objectsForExtensionClass<VSMediaPlayer>();
    }
    void setMediaPlayers(const std::vector<std::shared_ptr<VSMediaPlayer>>& list) { setObjects(list); }
    void addMediaPlayer(const std::shared_ptr<VSMediaPlayer>& item) { addObject(item); }
    std::vector<std::shared_ptr<VSMediaRating>> mediaRatings() const
    {
        return objectsForExtensionClass<VSMediaRating>();
    }
    void setMediaRatings(const std::vector<std::shared_ptr<VSMediaRating>>& list) { setObjects(list); }
    void addMediaRating(const std::shared_ptr<VSMediaRating>& item) { addObject(item); }
    std::vector<std::shared_ptr<VSMediaRestriction>> mediaRestrictions() const
    {
        return objectsForExtensionClass<VSMediaRestriction>();
    }
    void setMediaRestrictions(const std::vector<std::shared_ptr<VSMediaRestriction>>& list) { setObjects(list); }
    void addMediaRestriction(const std::shared_ptr<VSMediaRestriction>& item) { addObject(item); }
    std::vector<std::shared_ptr<VSMediaThumbnail>> mediaThumbnails() const
    {
        return objectsForExtensionClass<VSMediaThumbnail>();
    }
    void setMediaThumbnails(const std::vector<std::shared_ptr<VSMediaThumbnail>>& list) { setObjects(list); }
    void addMediaThumbnail(const std::shared_ptr<VSMediaThumbnail>& item) { addObject(item); }
    std::shared_ptr<VSMediaKeywords> mediaKeywords() const { return objectForExtensionClass<VSMediaKeywords>(); }
    void setMediaKeywords(const std::shared_ptr<VSMediaKeywords>& item)
    {
        setObject(item, VSMediaKeywords::staticClass());
    }
    std::shared_ptr<VSMediaDescription> mediaDescription() const
    {
        return objectForExtensionClass<VSMediaDescription>();
    }
    void setMediaDescription(const std::shared_ptr<VSMediaDescription>& item)
    {
        setObject(item, VSMediaDescription::staticClass());
    }
    std::shared_ptr<VSMediaTitle> mediaTitle() const { return objectForExtensionClass<VSMediaTitle>(); }
    void setMediaTitle(const std::shared_ptr<VSMediaTitle>& item) { setObject(item, VSMediaTitle::staticClass()); }

    void addExtensionDeclarations() override;
};

}  // namespace zt
