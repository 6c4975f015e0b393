#pragma once
#include <optional>
#include <string>

#include "videoservice/VSFeedBase.h"
#include "videoservice/YouTubeElements.h"

// The video service's feeds. Each registers its kind in the feed map; every
// one parses each entry in the class of the entry's own kind.
namespace zt {

template <typename T> std::shared_ptr<T> makeYouTubeFeed()
{
    auto feed = VSObject::object<T>();
    feed->setNamespaces(VSYouTubeConstants::youTubeNamespaces());
    return feed;
}

#define VS_YOUTUBE_FEED(Name, maker, suffix)                                                                           \
    class Name : public VSFeedBase {                                                                                   \
        VS_DECLARE_CLASS(Name)                                                                                         \
                                                                                                                       \
    public:                                                                                                            \
        static std::shared_ptr<Name> maker() { return makeYouTubeFeed<Name>(); }                                       \
        std::optional<std::string> standardFeedKind() const override { return youtube::kindTerm(suffix); }             \
        std::optional<std::string> defaultServiceVersion() const override { return "2.0"; }                            \
    };

VS_YOUTUBE_FEED(VSFeedYouTubeCaptionTrack, captionTrackFeed, "#captionTrack")
VS_YOUTUBE_FEED(VSFeedYouTubeChannel, channelFeed, "#channel")
VS_YOUTUBE_FEED(VSFeedYouTubeComment, commentFeed, "#comment")
VS_YOUTUBE_FEED(VSFeedYouTubeComplaint, complaintFeed, "#complaint")
VS_YOUTUBE_FEED(VSFeedYouTubeFavorite, favoriteFeed, "#favorite")
VS_YOUTUBE_FEED(VSFeedYouTubeFriend, friendFeed, "#friend")
VS_YOUTUBE_FEED(VSFeedYouTubePlaylistLink, playlistLinkFeed, "#playlistLink")
VS_YOUTUBE_FEED(VSFeedYouTubeRating, ratingFeed, "#rating")
VS_YOUTUBE_FEED(VSFeedYouTubeSubscription, subscriptionFeed, "#subscription")
VS_YOUTUBE_FEED(VSFeedYouTubeUserEvent, userEventFeed, "#userEvent")
VS_YOUTUBE_FEED(VSFeedYouTubeUserProfile, userProfileFeed, "#userProfile")
VS_YOUTUBE_FEED(VSFeedYouTubeVideo, videoFeed, "#video")
VS_YOUTUBE_FEED(VSFeedYouTubeVideoMessage, videoMessageFeed, "#videoMessage")
#undef VS_YOUTUBE_FEED

// A playlist: its privacy, id and media group besides the entries.
class VSFeedYouTubePlaylist : public VSFeedBase {
    VS_DECLARE_CLASS(VSFeedYouTubePlaylist)

public:
    static std::shared_ptr<VSFeedYouTubePlaylist> playlistFeed() { return makeYouTubeFeed<VSFeedYouTubePlaylist>(); }
    std::optional<std::string> standardFeedKind() const override { return youtube::kindTerm("#playlist"); }
    std::optional<std::string> defaultServiceVersion() const override { return "2.0"; }

    bool isPrivate() const { return hasExtensionClass(VSYouTubePrivate::staticClass()); }
    void setIsPrivate(bool isPrivate);
    std::shared_ptr<VSYouTubeMediaGroup> mediaGroup() const { return objectForExtensionClass<VSYouTubeMediaGroup>(); }
    void setMediaGroup(const std::shared_ptr<VSYouTubeMediaGroup>& group)
    {
        setObject(group, VSYouTubeMediaGroup::staticClass());
    }
    std::optional<std::string> playlistID() const;
    void setPlaylistID(const std::optional<std::string>& playlistID);

    void addExtensionDeclarations() override;
};

}  // namespace zt
