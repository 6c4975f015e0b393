#pragma once
#include <optional>
#include <string>

#include "videoservice/MediaElements.h"
#include "videoservice/VSConstructs.h"

// The video service's own elements in the yt namespace, its attributes on
// Media RSS elements and its media group.
namespace zt {

class VSYouTubeConstants {
public:
    // The namespaces of the service's feeds and entries: atom, gd, app, yt,
    // media and the three geo prefixes.
    static VSXMLNamespaceMap youTubeNamespaces();
};

// Names formed from the yt namespace.
namespace youtube {
std::string schemeNamed(std::string_view suffix);  // yt namespace + suffix
inline std::string kindTerm(std::string_view suffix)
{
    return schemeNamed(suffix);
}
}  // namespace youtube

VS_ELEMENT_CLASS(VSYouTubeAboutMe, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeAge, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeAspectRatio, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeBooks, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeCommentRating, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeCompany, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeCountHint, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeDerived, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeHobbies, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeHometown, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeLocation, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeMovies, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeMusic, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeOccupation, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeSchool, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeGender, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeRelationship, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeNonEmbeddable, VSImplicitValueConstruct)
VS_ELEMENT_CLASS(VSYouTubePosition, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubePrivate, VSImplicitValueConstruct)
VS_ELEMENT_CLASS(VSYouTubeFirstName, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeLastName, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubePlaylistID, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubePlaylistTitle, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeQueryString, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeSpam, VSImplicitValueConstruct)
VS_ELEMENT_CLASS(VSYouTubeStatus, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeUsername, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeToken, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeRecordedDate, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeUploadedDate, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeVideoID, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSYouTubeIncomplete, VSImplicitValueConstruct)
VS_ELEMENT_CLASS(VSYouTubeFormatAttribute, VSAttribute)
VS_ELEMENT_CLASS(VSYouTubeNameAttribute, VSAttribute)
VS_ELEMENT_CLASS(VSYouTubeCountryAttribute, VSAttribute)
VS_ELEMENT_CLASS(VSYouTubeTypeAttribute, VSAttribute)

// The yt "duration": its value is the "seconds" attribute, never the text.
class VSYouTubeDuration : public VSValueConstruct {
    VS_DECLARE_CLASS(VSYouTubeDuration)

public:
    const char* attributeName() const override { return "seconds"; }
};

class VSYouTubePublicationState : public VSObject {
    VS_DECLARE_CLASS(VSYouTubePublicationState)

public:
    std::optional<std::string> name() const { return stringValueForAttribute("name"); }
    void setName(const std::optional<std::string>& name) { setStringValueForAttribute(name, "name"); }
    std::optional<std::string> reasonCode() const { return stringValueForAttribute("reasonCode"); }
    void setReasonCode(const std::optional<std::string>& code) { setStringValueForAttribute(code, "reasonCode"); }
    std::optional<std::string> helpURLString() const { return stringValueForAttribute("helpUrl"); }
    void setHelpURLString(const std::optional<std::string>& text) { setStringValueForAttribute(text, "helpUrl"); }
    std::optional<std::string> errorDescription() const { return contentStringValue(); }
    void setErrorDescription(const std::optional<std::string>& text) { setContentStringValue(text); }
    void addParseDeclarations() override;
};

// Counts of a video or a user; zero counts are never written.
class VSYouTubeStatistics : public VSObject {
    VS_DECLARE_CLASS(VSYouTubeStatistics)

public:
    static std::shared_ptr<VSYouTubeStatistics> youTubeStatistics() { return VSObject::object<VSYouTubeStatistics>(); }
    std::optional<int64_t> viewCount() const { return longLongNumberForAttribute("viewCount"); }
    void setViewCount(const std::optional<int64_t>& count);
    std::optional<int64_t> videoWatchCount() const { return longLongNumberForAttribute("videoWatchCount"); }
    void setVideoWatchCount(const std::optional<int64_t>& count);
    std::optional<int64_t> subscriberCount() const { return longLongNumberForAttribute("subscriberCount"); }
    void setSubscriberCount(const std::optional<int64_t>& count);
    std::optional<int64_t> favoriteCount() const { return longLongNumberForAttribute("favoriteCount"); }
    void setFavoriteCount(const std::optional<int64_t>& count);
    std::optional<int64_t> totalUploadViews() const { return longLongNumberForAttribute("totalUploadViews"); }
    void setTotalUploadViews(const std::optional<int64_t>& count);
    std::optional<VSDateTime> lastWebAccess() const { return dateTimeForAttribute("lastWebAccess"); }
    void setLastWebAccess(const std::optional<VSDateTime>& date)
    {
        setDateTimeValueForAttribute(date, "lastWebAccess");
    }
    void addParseDeclarations() override;

protected:
    void addAttributesToElement(VSXMLElement& element) const override;
};

class VSYouTubeAccessControl : public VSObject {
    VS_DECLARE_CLASS(VSYouTubeAccessControl)

public:
    static std::shared_ptr<VSYouTubeAccessControl> accessControlWithAction(
        const std::optional<std::string>& action, const std::optional<std::string>& permission);
    std::optional<std::string> action() const { return stringValueForAttribute("action"); }
    void setAction(const std::optional<std::string>& action) { setStringValueForAttribute(action, "action"); }
    std::optional<std::string> permission() const { return stringValueForAttribute("permission"); }
    void setPermission(const std::optional<std::string>& text) { setStringValueForAttribute(text, "permission"); }
    std::optional<std::string> type() const { return stringValueForAttribute("type"); }
    void setType(const std::optional<std::string>& type) { setStringValueForAttribute(type, "type"); }
    std::optional<std::string> value() const { return contentStringValue(); }
    void setValue(const std::optional<std::string>& value) { setContentStringValue(value); }
    void addParseDeclarations() override;
};

class VSYouTubeRating : public VSObject {
    VS_DECLARE_CLASS(VSYouTubeRating)

public:
    static std::shared_ptr<VSYouTubeRating> ratingWithValue(const std::optional<std::string>& value);
    std::optional<std::string> value() const { return stringValueForAttribute("value"); }
    void setValue(const std::optional<std::string>& value) { setStringValueForAttribute(value, "value"); }
    std::optional<int32_t> numberOfLikes() const { return intNumberForAttribute("numLikes"); }
    void setNumberOfLikes(const std::optional<int32_t>& count);
    std::optional<int32_t> numberOfDislikes() const { return intNumberForAttribute("numDislikes"); }
    void setNumberOfDislikes(const std::optional<int32_t>& count);
    void addParseDeclarations() override;
};

// The video service's media group: Media RSS plus duration, aspect ratio,
// privacy, video id and upload date, and the yt attributes on its members.
class VSYouTubeMediaGroup : public VSMediaGroup {
    VS_DECLARE_CLASS(VSYouTubeMediaGroup)

public:
    std::optional<int32_t> duration() const;
    void setDuration(const std::optional<int32_t>& seconds);
    bool isPrivate() const { return hasExtensionClass(VSYouTubePrivate::staticClass()); }
    void setIsPrivate(bool isPrivate);
    std::optional<std::string> videoID() const;
    void setVideoID(const std::optional<std::string>& videoID);
    std::optional<VSDateTime> uploadedDate() const;
    void setUploadedDate(const std::optional<VSDateTime>& date);
    std::optional<std::string> aspectRatio() const;
    void setAspectRatio(const std::optional<std::string>& ratio);
    // The first thumbnail without a time.
    std::shared_ptr<VSMediaThumbnail> highQualityThumbnail() const;
    std::shared_ptr<VSMediaContent> mediaContentWithFormatNumber(int32_t format) const;

    void addExtensionDeclarations() override;
};

}  // namespace zt
