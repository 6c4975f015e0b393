#pragma once
#include <optional>
#include <string>
#include <vector>

#include "videoservice/VSEntryBase.h"
#include "videoservice/VSFeedBase.h"
#include "videoservice/VSGeo.h"
#include "videoservice/YouTubeElements.h"

// The video service's entries. Each class with a kind registers it in the
// entry map; a new object carries its kind category; all answer "2.0" as
// their service version.
namespace zt {

// An entry of the video service with its namespaces.
template <typename T> std::shared_ptr<T> makeYouTubeEntry()
{
    auto entry = VSObject::object<T>();
    entry->setNamespaces(VSYouTubeConstants::youTubeNamespaces());
    return entry;
}

#define VS_YOUTUBE_KIND(suffix)                                                                                        \
    std::optional<std::string> standardEntryKind() const override                                                      \
    {                                                                                                                  \
        return youtube::kindTerm(suffix);                                                                              \
    }                                                                                                                  \
    std::optional<std::string> defaultServiceVersion() const override                                                  \
    {                                                                                                                  \
        return "2.0";                                                                                                  \
    }

class VSEntryYouTubeVideo : public VSEntryBase {
    VS_DECLARE_CLASS(VSEntryYouTubeVideo)

public:
    VS_YOUTUBE_KIND("#video")
    static std::shared_ptr<VSEntryYouTubeVideo> videoEntry() { return makeYouTubeEntry<VSEntryYouTubeVideo>(); }

    std::shared_ptr<VSYouTubeMediaGroup> mediaGroup() const { return objectForExtensionClass<VSYouTubeMediaGroup>(); }
    void setMediaGroup(const std::shared_ptr<VSYouTubeMediaGroup>& group)
    {
        setObject(group, VSYouTubeMediaGroup::staticClass());
    }
    std::shared_ptr<VSYouTubeStatistics> statistics() const { return objectForExtensionClass<VSYouTubeStatistics>(); }
    void setStatistics(const std::shared_ptr<VSYouTubeStatistics>& statistics)
    {
        setObject(statistics, VSYouTubeStatistics::staticClass());
    }
    std::shared_ptr<VSYouTubeRating> rating() const { return objectForExtensionClass<VSYouTubeRating>(); }
    void setRating(const std::shared_ptr<VSYouTubeRating>& rating)
    {
        setObject(rating, VSYouTubeRating::staticClass());
    }
    std::shared_ptr<VSComment> comment() const { return objectForExtensionClass<VSComment>(); }
    void setComment(const std::shared_ptr<VSComment>& comment) { setObject(comment, VSComment::staticClass()); }
    std::vector<std::shared_ptr<VSYouTubeAccessControl>> accessControls() const
    {
        return objectsForExtensionClass<VSYouTubeAccessControl>();
    }
    void setAccessControls(const std::vector<std::shared_ptr<VSYouTubeAccessControl>>& list) { setObjects(list); }
    void addAccessControl(const std::shared_ptr<VSYouTubeAccessControl>& control) { addObject(control); }
    std::optional<std::string> location() const;
    void setLocation(const std::optional<std::string>& location);
    std::optional<VSDateTime> recordedDate() const;
    // Makes the given value date-only first: the element holds a date alone.
    void setRecordedDate(VSDateTime* date);
    bool isEmbeddable() const { return !hasExtensionClass(VSYouTubeNonEmbeddable::staticClass()); }
    void setIsEmbeddable(bool isEmbeddable);
    std::shared_ptr<VSYouTubePublicationState> publicationState() const;
    void setVSYouTubePublicationState(const std::shared_ptr<VSYouTubePublicationState>& state);
    bool isIncomplete() const;
    void setIsIncomplete(bool isIncomplete);
    std::shared_ptr<VSGeo> geoLocation() const { return VSGeo::geoLocationForObject(*this); }
    void setGeoLocation(const std::shared_ptr<VSGeo>& geo) { VSGeo::setGeoLocation(geo, *this); }
    std::shared_ptr<VSLink> videoResponsesLink() const;
    std::shared_ptr<VSLink> ratingsLink() const;
    std::shared_ptr<VSLink> complaintsLink() const;
    std::shared_ptr<VSLink> captionTracksLink() const;

    void addExtensionDeclarations() override;
};

// The yt "token" child of a link, declared by video entries.
std::shared_ptr<VSYouTubeToken> youTubeToken(const VSLink& link);
void setYouTubeToken(VSLink& link, const std::shared_ptr<VSYouTubeToken>& token);

class VSEntryYouTubeCaptionTrack : public VSEntryBase {
    VS_DECLARE_CLASS(VSEntryYouTubeCaptionTrack)

public:
    VS_YOUTUBE_KIND("#captionTrack")
    static std::shared_ptr<VSEntryYouTubeCaptionTrack> captionTrackEntry()
    {
        return makeYouTubeEntry<VSEntryYouTubeCaptionTrack>();
    }
    std::optional<std::string> derived() const;
    void setDerived(const std::optional<std::string>& derived);
    std::shared_ptr<VSYouTubePublicationState> publicationState() const;
    void setVSYouTubePublicationState(const std::shared_ptr<VSYouTubePublicationState>& state);
    void addExtensionDeclarations() override;
};

class VSEntryYouTubeChannel : public VSEntryBase {
    VS_DECLARE_CLASS(VSEntryYouTubeChannel)

public:
    VS_YOUTUBE_KIND("#channel")
    static std::shared_ptr<VSEntryYouTubeChannel> channelEntry() { return makeYouTubeEntry<VSEntryYouTubeChannel>(); }
    std::optional<std::string> channelType() const;
    std::vector<std::shared_ptr<VSFeedLink>> feedLinks() const { return objectsForExtensionClass<VSFeedLink>(); }
    std::shared_ptr<VSFeedLink> feedLinkForRel(const std::string& rel) const;
    std::shared_ptr<VSFeedLink> uploadsFeedLink() const;
    std::shared_ptr<VSFeedLink> featuredFeedLink() const;
    void addExtensionDeclarations() override;
};

class VSEntryYouTubeComment : public VSEntryBase {
    VS_DECLARE_CLASS(VSEntryYouTubeComment)

public:
    VS_YOUTUBE_KIND("#comment")
    static std::shared_ptr<VSEntryYouTubeComment> commentEntry() { return makeYouTubeEntry<VSEntryYouTubeComment>(); }
    std::optional<int32_t> totalRating() const;
    void setTotalRating(const std::optional<int32_t>& rating);
    bool hasSpam() const { return hasExtensionClass(VSYouTubeSpam::staticClass()); }
    void setHasSpam(bool hasSpam);
    void addExtensionDeclarations() override;
};

class VSEntryYouTubeComplaint : public VSEntryBase {
    VS_DECLARE_CLASS(VSEntryYouTubeComplaint)

public:
    VS_YOUTUBE_KIND("#complaint")
    static std::shared_ptr<VSEntryYouTubeComplaint> complaintEntry()
    {
        return makeYouTubeEntry<VSEntryYouTubeComplaint>();
    }
    std::optional<plat::URL> videoURL() const;
};

class VSEntryYouTubeFavorite : public VSEntryYouTubeVideo {
    VS_DECLARE_CLASS(VSEntryYouTubeFavorite)

public:
    VS_YOUTUBE_KIND("#favorite")
    static std::shared_ptr<VSEntryYouTubeFavorite> favoriteEntry()
    {
        return makeYouTubeEntry<VSEntryYouTubeFavorite>();
    }
};

// The base of playlist links and subscriptions; not registered.
class VSEntryYouTubeFeedLinkBase : public VSEntryBase {
    VS_DECLARE_CLASS(VSEntryYouTubeFeedLinkBase)

public:
    std::optional<std::string> defaultServiceVersion() const override { return "2.0"; }
    std::shared_ptr<VSMediaGroup> mediaGroup() const { return objectForExtensionClass<VSMediaGroup>(); }
    void setMediaGroup(const std::shared_ptr<VSMediaGroup>& group) { setObject(group, VSMediaGroup::staticClass()); }
    std::optional<std::string> countHint() const;
    void setCountHint(const std::optional<std::string>& hint);
    std::optional<std::string> playlistID() const;
    void setPlaylistID(const std::optional<std::string>& playlistID);
    std::vector<std::shared_ptr<VSFeedLink>> feedLinks() const { return objectsForExtensionClass<VSFeedLink>(); }
    void addExtensionDeclarations() override;
};

class VSEntryYouTubeFriend : public VSEntryBase {
    VS_DECLARE_CLASS(VSEntryYouTubeFriend)

public:
    VS_YOUTUBE_KIND("#friend")
    static std::shared_ptr<VSEntryYouTubeFriend> friendEntry() { return makeYouTubeEntry<VSEntryYouTubeFriend>(); }
    std::optional<std::string> username() const;
    void setUsername(const std::optional<std::string>& username);
    std::optional<std::string> status() const;
    void setStatus(const std::optional<std::string>& status);
    void addExtensionDeclarations() override;
};

class VSEntryYouTubePlaylist : public VSEntryYouTubeVideo {
    VS_DECLARE_CLASS(VSEntryYouTubePlaylist)

public:
    VS_YOUTUBE_KIND("#playlist")
    static std::shared_ptr<VSEntryYouTubePlaylist> playlistEntry()
    {
        return makeYouTubeEntry<VSEntryYouTubePlaylist>();
    }
    static std::string videoEntryCategoryTerm() { return youtube::kindTerm("#playlist"); }
    std::shared_ptr<VSYouTubePosition> position() const { return objectForExtensionClass<VSYouTubePosition>(); }
    void setPosition(const std::shared_ptr<VSYouTubePosition>& position)
    {
        setObject(position, VSYouTubePosition::staticClass());
    }
    void addExtensionDeclarations() override;
};

class VSEntryYouTubePlaylistLink : public VSEntryYouTubeFeedLinkBase {
    VS_DECLARE_CLASS(VSEntryYouTubePlaylistLink)

public:
    VS_YOUTUBE_KIND("#playlistLink")
    static std::shared_ptr<VSEntryYouTubePlaylistLink> playlistLinkEntry()
    {
        return makeYouTubeEntry<VSEntryYouTubePlaylistLink>();
    }
    bool isPrivate() const { return hasExtensionClass(VSYouTubePrivate::staticClass()); }
    void setIsPrivate(bool isPrivate);
    void addExtensionDeclarations() override;
};

class VSEntryYouTubeRating : public VSEntryBase {
    VS_DECLARE_CLASS(VSEntryYouTubeRating)

public:
    VS_YOUTUBE_KIND("#rating")
    static std::shared_ptr<VSEntryYouTubeRating> ratingEntryWithValue(const std::optional<std::string>& value);
    std::shared_ptr<VSYouTubeRating> rating() const { return objectForExtensionClass<VSYouTubeRating>(); }
    void setRating(const std::shared_ptr<VSYouTubeRating>& rating)
    {
        setObject(rating, VSYouTubeRating::staticClass());
    }
    void addExtensionDeclarations() override;
};

class VSEntryYouTubeSubscription : public VSEntryYouTubeFeedLinkBase {
    VS_DECLARE_CLASS(VSEntryYouTubeSubscription)

public:
    VS_YOUTUBE_KIND("#subscription")
    static std::shared_ptr<VSEntryYouTubeSubscription> subscriptionEntry()
    {
        return makeYouTubeEntry<VSEntryYouTubeSubscription>();
    }
    std::optional<std::string> subscriptionType() const;
    std::optional<std::string> username() const;
    void setUsername(const std::optional<std::string>& username);
    std::optional<std::string> youTubeQueryString() const;
    void setYouTubeQueryString(const std::optional<std::string>& query);
    std::optional<std::string> playlistTitle() const;
    void setPlaylistTitle(const std::optional<std::string>& title);
    void addExtensionDeclarations() override;
};

// The entry with which a movie is uploaded; it has no kind and no reply is
// ever parsed into it.
class VSEntryYouTubeUpload : public VSEntryBase {
    VS_DECLARE_CLASS(VSEntryYouTubeUpload)

public:
    std::optional<std::string> defaultServiceVersion() const override { return "2.0"; }
    static std::shared_ptr<VSEntryYouTubeUpload> uploadEntryWithMediaGroup(
        const std::shared_ptr<VSYouTubeMediaGroup>& group, std::shared_ptr<WSFileHandle> fileHandle,
        const std::optional<std::string>& MIMEType, const std::optional<std::string>& slug);
    static std::shared_ptr<VSEntryYouTubeUpload> uploadEntryWithMediaGroup(
        const std::shared_ptr<VSYouTubeMediaGroup>& group, std::shared_ptr<const plat::Data> data,
        const std::optional<std::string>& MIMEType, const std::optional<std::string>& slug);

    std::shared_ptr<VSYouTubeMediaGroup> mediaGroup() const { return objectForExtensionClass<VSYouTubeMediaGroup>(); }
    void setMediaGroup(const std::shared_ptr<VSYouTubeMediaGroup>& group)
    {
        setObject(group, VSYouTubeMediaGroup::staticClass());
    }
    std::vector<std::shared_ptr<VSYouTubeAccessControl>> accessControls() const
    {
        return objectsForExtensionClass<VSYouTubeAccessControl>();
    }
    void setAccessControls(const std::vector<std::shared_ptr<VSYouTubeAccessControl>>& list) { setObjects(list); }
    void addAccessControl(const std::shared_ptr<VSYouTubeAccessControl>& control) { addObject(control); }
    // Directly under the entry, unlike a video entry's.
    bool isIncomplete() const { return hasExtensionClass(VSYouTubeIncomplete::staticClass()); }
    void setIsIncomplete(bool isIncomplete);
    void addExtensionDeclarations() override;
};

class VSEntryYouTubeUserEvent : public VSEntryBase {
    VS_DECLARE_CLASS(VSEntryYouTubeUserEvent)

public:
    VS_YOUTUBE_KIND("#userEvent")
    static std::shared_ptr<VSEntryYouTubeUserEvent> userEventEntry()
    {
        return makeYouTubeEntry<VSEntryYouTubeUserEvent>();
    }
    std::optional<std::string> videoID() const;
    void setVideoID(const std::optional<std::string>& videoID);
    std::optional<std::string> username() const;
    void setUsername(const std::optional<std::string>& username);
    std::shared_ptr<VSYouTubeRating> rating() const { return objectForExtensionClass<VSYouTubeRating>(); }
    void setRating(const std::shared_ptr<VSYouTubeRating>& rating)
    {
        setObject(rating, VSYouTubeRating::staticClass());
    }
    std::optional<std::string> userEventType() const;
    void setUserEventType(const std::optional<std::string>& type);
    std::shared_ptr<VSLink> videoLink() const;
    std::shared_ptr<VSLink> commentLink() const;
    void addExtensionDeclarations() override;
};

class VSEntryYouTubeUserProfile : public VSEntryBase {
    VS_DECLARE_CLASS(VSEntryYouTubeUserProfile)

public:
    VS_YOUTUBE_KIND("#userProfile")
    static std::shared_ptr<VSEntryYouTubeUserProfile> userProfileEntry()
    {
        return makeYouTubeEntry<VSEntryYouTubeUserProfile>();
    }
    std::optional<std::string> channelType() const;
    std::shared_ptr<VSYouTubeStatistics> statistics() const { return objectForExtensionClass<VSYouTubeStatistics>(); }
    void setStatistics(const std::shared_ptr<VSYouTubeStatistics>& statistics)
    {
        setObject(statistics, VSYouTubeStatistics::staticClass());
    }
    std::shared_ptr<VSMediaThumbnail> thumbnail() const { return objectForExtensionClass<VSMediaThumbnail>(); }
    void setThumbnail(const std::shared_ptr<VSMediaThumbnail>& thumbnail)
    {
        setObject(thumbnail, VSMediaThumbnail::staticClass());
    }
    std::optional<int32_t> age() const;
    void setAge(const std::optional<int32_t>& age);

#define VS_PROFILE_STRING(getter, setter, Class)                                                                       \
    std::optional<std::string> getter() const                                                                          \
    {                                                                                                                  \
        return textOf(Class::staticClass());                                                                           \
    }                                                                                                                  \
    void setter(const std::optional<std::string>& text)                                                                \
    {                                                                                                                  \
        setTextOf(text, Class::staticClass());                                                                         \
    }
    VS_PROFILE_STRING(aboutMe, setAboutMe, VSYouTubeAboutMe)
    VS_PROFILE_STRING(books, setBooks, VSYouTubeBooks)
    VS_PROFILE_STRING(company, setCompany, VSYouTubeCompany)
    VS_PROFILE_STRING(gender, setGender, VSYouTubeGender)
    VS_PROFILE_STRING(hobbies, setHobbies, VSYouTubeHobbies)
    VS_PROFILE_STRING(hometown, setHometown, VSYouTubeHometown)
    VS_PROFILE_STRING(location, setLocation, VSYouTubeLocation)
    VS_PROFILE_STRING(movies, setMovies, VSYouTubeMovies)
    VS_PROFILE_STRING(music, setMusic, VSYouTubeMusic)
    VS_PROFILE_STRING(occupation, setOccupation, VSYouTubeOccupation)
    VS_PROFILE_STRING(relationship, setRelationship, VSYouTubeRelationship)
    VS_PROFILE_STRING(school, setSchool, VSYouTubeSchool)
    VS_PROFILE_STRING(username, setUsername, VSYouTubeUsername)
    VS_PROFILE_STRING(firstName, setFirstName, VSYouTubeFirstName)
    VS_PROFILE_STRING(lastName, setLastName, VSYouTubeLastName)
#undef VS_PROFILE_STRING

    std::vector<std::shared_ptr<VSFeedLink>> feedLinks() const
    {
        return objectsForExtensionClass<VSFeedLink>();
    }
    std::shared_ptr<VSFeedLink> feedLinkForRel(const std::string& rel) const;
    std::shared_ptr<VSLink> videoLogLink() const;
    std::shared_ptr<VSLink> featuredVideoLink() const;
    std::shared_ptr<VSFeedLink> favoritesFeedLink() const;
    std::shared_ptr<VSFeedLink> contactsFeedLink() const;
    std::shared_ptr<VSFeedLink> inboxFeedLink() const;
    std::shared_ptr<VSFeedLink> playlistsFeedLink() const;
    std::shared_ptr<VSFeedLink> subscriptionsFeedLink() const;
    std::shared_ptr<VSFeedLink> uploadsFeedLink() const;
    std::shared_ptr<VSFeedLink> recentSubscriptionVideosFeedLink() const;
    std::shared_ptr<VSFeedLink> friendsActivityFeedLink() const;
    std::shared_ptr<VSFeedLink> recentActivityFeedLink() const;
    void addExtensionDeclarations() override;

private:
    std::optional<std::string> textOf(const VSClass& cls) const;
    void setTextOf(const std::optional<std::string>& text, const VSClass& cls);
};

class VSEntryYouTubeVideoMessage : public VSEntryYouTubeVideo {
    VS_DECLARE_CLASS(VSEntryYouTubeVideoMessage)

public:
    VS_YOUTUBE_KIND("#videoMessage")
    static std::shared_ptr<VSEntryYouTubeVideoMessage> videoMessageEntry()
    {
        return makeYouTubeEntry<VSEntryYouTubeVideoMessage>();
    }
};

#undef VS_YOUTUBE_KIND

}  // namespace zt
