#include "videoservice/YouTubeElements.h"

#include "videoservice/AtomElements.h"
#include "videoservice/VSEntryBase.h"
#include "videoservice/VSGeo.h"
#include "videoservice/VSNamespaces.h"

namespace zt {

#define YT kVSNamespaceYouTube, kVSNamespaceYouTubePrefix

VS_DEFINE_CLASS(VSYouTubeAboutMe, VSValueElementConstruct, YT, "aboutMe")
VS_DEFINE_CLASS(VSYouTubeAge, VSValueElementConstruct, YT, "age")
VS_DEFINE_CLASS(VSYouTubeAspectRatio, VSValueElementConstruct, YT, "aspectRatio")
VS_DEFINE_CLASS(VSYouTubeBooks, VSValueElementConstruct, YT, "books")
VS_DEFINE_CLASS(VSYouTubeCommentRating, VSValueElementConstruct, YT, "commentRating")
VS_DEFINE_CLASS(VSYouTubeCompany, VSValueElementConstruct, YT, "company")
VS_DEFINE_CLASS(VSYouTubeCountHint, VSValueElementConstruct, YT, "countHint")
VS_DEFINE_CLASS(VSYouTubeDerived, VSValueElementConstruct, YT, "derived")
VS_DEFINE_CLASS(VSYouTubeHobbies, VSValueElementConstruct, YT, "hobbies")
VS_DEFINE_CLASS(VSYouTubeHometown, VSValueElementConstruct, YT, "hometown")
VS_DEFINE_CLASS(VSYouTubeLocation, VSValueElementConstruct, YT, "location")
VS_DEFINE_CLASS(VSYouTubeMovies, VSValueElementConstruct, YT, "movies")
VS_DEFINE_CLASS(VSYouTubeMusic, VSValueElementConstruct, YT, "music")
VS_DEFINE_CLASS(VSYouTubeOccupation, VSValueElementConstruct, YT, "occupation")
VS_DEFINE_CLASS(VSYouTubeSchool, VSValueElementConstruct, YT, "school")
VS_DEFINE_CLASS(VSYouTubeGender, VSValueElementConstruct, YT, "gender")
VS_DEFINE_CLASS(VSYouTubeRelationship, VSValueElementConstruct, YT, "relationship")
VS_DEFINE_CLASS(VSYouTubeDuration, VSValueConstruct, YT, "duration")
VS_DEFINE_CLASS(VSYouTubeNonEmbeddable, VSImplicitValueConstruct, YT, "noembed")
VS_DEFINE_CLASS(VSYouTubePosition, VSValueElementConstruct, YT, "position")
VS_DEFINE_CLASS(VSYouTubePrivate, VSImplicitValueConstruct, YT, "private")
VS_DEFINE_CLASS(VSYouTubeFirstName, VSValueElementConstruct, YT, "firstName")
VS_DEFINE_CLASS(VSYouTubeLastName, VSValueElementConstruct, YT, "lastName")
VS_DEFINE_CLASS(VSYouTubePlaylistID, VSValueElementConstruct, YT, "playlistId")
VS_DEFINE_CLASS(VSYouTubePlaylistTitle, VSValueElementConstruct, YT, "playlistTitle")
VS_DEFINE_CLASS(VSYouTubeQueryString, VSValueElementConstruct, YT, "queryString")
VS_DEFINE_CLASS(VSYouTubeSpam, VSImplicitValueConstruct, YT, "spam")
VS_DEFINE_CLASS(VSYouTubeStatus, VSValueElementConstruct, YT, "status")
VS_DEFINE_CLASS(VSYouTubeUsername, VSValueElementConstruct, YT, "username")
VS_DEFINE_CLASS(VSYouTubeToken, VSValueElementConstruct, YT, "token")
VS_DEFINE_CLASS(VSYouTubeRecordedDate, VSValueElementConstruct, YT, "recorded")
VS_DEFINE_CLASS(VSYouTubeUploadedDate, VSValueElementConstruct, YT, "uploaded")
VS_DEFINE_CLASS(VSYouTubeVideoID, VSValueElementConstruct, YT, "videoid")
VS_DEFINE_CLASS(VSYouTubeIncomplete, VSImplicitValueConstruct, YT, "incomplete")
VS_DEFINE_CLASS(VSYouTubePublicationState, VSObject, YT, "state")
VS_DEFINE_CLASS(VSYouTubeStatistics, VSObject, YT, "statistics")
VS_DEFINE_CLASS(VSYouTubeAccessControl, VSObject, YT, "accessControl")
VS_DEFINE_CLASS(VSYouTubeRating, VSObject, YT, "rating")
VS_DEFINE_CLASS(VSYouTubeFormatAttribute, VSAttribute, YT, "format")
VS_DEFINE_CLASS(VSYouTubeNameAttribute, VSAttribute, YT, "name")
VS_DEFINE_CLASS(VSYouTubeCountryAttribute, VSAttribute, YT, "country")
VS_DEFINE_CLASS(VSYouTubeTypeAttribute, VSAttribute, YT, "type")
VS_DEFINE_CLASS(VSYouTubeMediaGroup, VSMediaGroup, kVSNamespaceMedia, kVSNamespaceMediaPrefix, "group")

std::string youtube::schemeNamed(std::string_view suffix)
{
    return std::string(kVSNamespaceYouTube) + std::string(suffix);
}

VSXMLNamespaceMap VSYouTubeConstants::youTubeNamespaces()
{
    VSXMLNamespaceMap namespaces = VSEntryBase::baseVSNamespaces();
    namespaces[kVSNamespaceYouTubePrefix] = kVSNamespaceYouTube;
    namespaces[kVSNamespaceMediaPrefix] = kVSNamespaceMedia;
    for (const auto& [prefix, URI] : VSGeo::geoNamespaces())
        namespaces[prefix] = URI;
    return namespaces;
}

void VSYouTubePublicationState::addParseDeclarations()
{
    addLocalAttributeDeclarations({"name", "reasonCode", "helpUrl"});
    addContentValueDeclaration();
}

// VSYouTubeStatistics

void VSYouTubeStatistics::addParseDeclarations()
{
    addLocalAttributeDeclarations(
        {"viewCount", "videoWatchCount", "subscriberCount", "favoriteCount", "lastWebAccess", "totalUploadViews"});
}

void VSYouTubeStatistics::setViewCount(const std::optional<int64_t>& count)
{
    setStringValueForAttribute(detail::numberText(count), "viewCount");
}

void VSYouTubeStatistics::setVideoWatchCount(const std::optional<int64_t>& count)
{
    setStringValueForAttribute(detail::numberText(count), "videoWatchCount");
}

void VSYouTubeStatistics::setSubscriberCount(const std::optional<int64_t>& count)
{
    setStringValueForAttribute(detail::numberText(count), "subscriberCount");
}

void VSYouTubeStatistics::setFavoriteCount(const std::optional<int64_t>& count)
{
    setStringValueForAttribute(detail::numberText(count), "favoriteCount");
}

void VSYouTubeStatistics::setTotalUploadViews(const std::optional<int64_t>& count)
{
    setStringValueForAttribute(detail::numberText(count), "totalUploadViews");
}

void VSYouTubeStatistics::addAttributesToElement(VSXMLElement& element) const
{
    for (const auto& [name, value] : attributes()) {
        if (value != "0")
            addToElementAttributeValueIfNonNil(element, value, name);
    }
}

// VSYouTubeAccessControl

std::shared_ptr<VSYouTubeAccessControl> VSYouTubeAccessControl::accessControlWithAction(
    const std::optional<std::string>& action, const std::optional<std::string>& permission)
{
    auto control = VSObject::object<VSYouTubeAccessControl>();
    control->setAction(action);
    control->setPermission(permission);
    return control;
}

void VSYouTubeAccessControl::addParseDeclarations()
{
    addLocalAttributeDeclarations({"action", "permission", "type"});
    addContentValueDeclaration();
}

// VSYouTubeRating

std::shared_ptr<VSYouTubeRating> VSYouTubeRating::ratingWithValue(const std::optional<std::string>& value)
{
    auto rating = VSObject::object<VSYouTubeRating>();
    rating->setValue(value);
    return rating;
}

void VSYouTubeRating::addParseDeclarations()
{
    addLocalAttributeDeclarations({"value", "numLikes", "numDislikes"});
}

void VSYouTubeRating::setNumberOfLikes(const std::optional<int32_t>& count)
{
    setStringValueForAttribute(detail::numberText(count), "numLikes");
}

void VSYouTubeRating::setNumberOfDislikes(const std::optional<int32_t>& count)
{
    setStringValueForAttribute(detail::numberText(count), "numDislikes");
}

// VSYouTubeMediaGroup

void VSYouTubeMediaGroup::addExtensionDeclarations()
{
    VSMediaGroup::addExtensionDeclarations();
    addExtensionDeclarationForParentClass(objectClass(),
        {&VSYouTubeAspectRatio::staticClass(), &VSYouTubeDuration::staticClass(), &VSYouTubePrivate::staticClass(),
            &VSYouTubeVideoID::staticClass(), &VSYouTubeUploadedDate::staticClass()});
    addAttributeExtensionDeclarationForParentClass(
        VSMediaContent::staticClass(), VSYouTubeFormatAttribute::staticClass());
    addAttributeExtensionDeclarationForParentClass(
        VSMediaThumbnail::staticClass(), VSYouTubeNameAttribute::staticClass());
    addAttributeExtensionDeclarationForParentClass(
        VSMediaRating::staticClass(), VSYouTubeCountryAttribute::staticClass());
    addAttributeExtensionDeclarationForParentClass(VSMediaCredit::staticClass(), VSYouTubeTypeAttribute::staticClass());
}

std::optional<int32_t> VSYouTubeMediaGroup::duration() const
{
    auto value = objectForExtensionClass<VSYouTubeDuration>();
    if (!value)
        return std::nullopt;
    return value->intValue();
}

void VSYouTubeMediaGroup::setDuration(const std::optional<int32_t>& seconds)
{
    setObject(seconds ? VSValueConstruct::valueWithInt<VSYouTubeDuration>(*seconds) : nullptr,
        VSYouTubeDuration::staticClass());
}

void VSYouTubeMediaGroup::setIsPrivate(bool isPrivate)
{
    setObject(isPrivate ? VSImplicitValueConstruct::implicitValue<VSYouTubePrivate>() : nullptr,
        VSYouTubePrivate::staticClass());
}

std::optional<std::string> VSYouTubeMediaGroup::videoID() const
{
    auto value = objectForExtensionClass<VSYouTubeVideoID>();
    return value ? value->stringValue() : std::nullopt;
}

void VSYouTubeMediaGroup::setVideoID(const std::optional<std::string>& videoID)
{
    setObject(VSValueConstruct::valueWithString<VSYouTubeVideoID>(videoID), VSYouTubeVideoID::staticClass());
}

std::optional<VSDateTime> VSYouTubeMediaGroup::uploadedDate() const
{
    auto value = objectForExtensionClass<VSYouTubeUploadedDate>();
    return value ? value->dateTimeValue() : std::nullopt;
}

void VSYouTubeMediaGroup::setUploadedDate(const std::optional<VSDateTime>& date)
{
    setObject(VSValueConstruct::valueWithDateTime<VSYouTubeUploadedDate>(date), VSYouTubeUploadedDate::staticClass());
}

std::optional<std::string> VSYouTubeMediaGroup::aspectRatio() const
{
    auto value = objectForExtensionClass<VSYouTubeAspectRatio>();
    return value ? value->stringValue() : std::nullopt;
}

void VSYouTubeMediaGroup::setAspectRatio(const std::optional<std::string>& ratio)
{
    setObject(VSValueConstruct::valueWithString<VSYouTubeAspectRatio>(ratio), VSYouTubeAspectRatio::staticClass());
}

std::shared_ptr<VSMediaThumbnail> VSYouTubeMediaGroup::highQualityThumbnail() const
{
    for (const auto& thumbnail : mediaThumbnails()) {
        if (!thumbnail->stringValueForAttribute("time"))
            return thumbnail;
    }
    return nullptr;
}

std::shared_ptr<VSMediaContent> VSYouTubeMediaGroup::mediaContentWithFormatNumber(int32_t format) const
{
    for (const auto& content : mediaContents()) {
        if (content->youTubeFormatNumber() == format)
            return content;
    }
    return nullptr;
}

}  // namespace zt
