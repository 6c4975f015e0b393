#include "videoservice/YouTubeFeeds.h"

#include "videoservice/VSKindMaps.h"
#include "videoservice/VSNamespaces.h"
#include "videoservice/YouTubeEntries.h"

namespace zt {

#define FEED_NAMES kVSNamespaceAtom, kVSNamespaceAtomPrefix, "feed"

VS_DEFINE_CLASS(VSFeedYouTubeCaptionTrack, VSFeedBase, FEED_NAMES)
VS_DEFINE_CLASS(VSFeedYouTubeChannel, VSFeedBase, FEED_NAMES)
VS_DEFINE_CLASS(VSFeedYouTubeComment, VSFeedBase, FEED_NAMES)
VS_DEFINE_CLASS(VSFeedYouTubeComplaint, VSFeedBase, FEED_NAMES)
VS_DEFINE_CLASS(VSFeedYouTubeFavorite, VSFeedBase, FEED_NAMES)
VS_DEFINE_CLASS(VSFeedYouTubeFriend, VSFeedBase, FEED_NAMES)
VS_DEFINE_CLASS(VSFeedYouTubePlaylist, VSFeedBase, FEED_NAMES)
VS_DEFINE_CLASS(VSFeedYouTubePlaylistLink, VSFeedBase, FEED_NAMES)
VS_DEFINE_CLASS(VSFeedYouTubeRating, VSFeedBase, FEED_NAMES)
VS_DEFINE_CLASS(VSFeedYouTubeSubscription, VSFeedBase, FEED_NAMES)
VS_DEFINE_CLASS(VSFeedYouTubeUserEvent, VSFeedBase, FEED_NAMES)
VS_DEFINE_CLASS(VSFeedYouTubeUserProfile, VSFeedBase, FEED_NAMES)
VS_DEFINE_CLASS(VSFeedYouTubeVideo, VSFeedBase, FEED_NAMES)
VS_DEFINE_CLASS(VSFeedYouTubeVideoMessage, VSFeedBase, FEED_NAMES)

void VSFeedYouTubePlaylist::addExtensionDeclarations()
{
    VSFeedBase::addExtensionDeclarations();
    addExtensionDeclarationForParentClass(objectClass(),
        {&VSYouTubePrivate::staticClass(), &VSYouTubePlaylistID::staticClass(), &VSYouTubeMediaGroup::staticClass()});
}

void VSFeedYouTubePlaylist::setIsPrivate(bool isPrivate)
{
    setObject(isPrivate ? VSImplicitValueConstruct::implicitValue<VSYouTubePrivate>() : nullptr,
        VSYouTubePrivate::staticClass());
}

std::optional<std::string> VSFeedYouTubePlaylist::playlistID() const
{
    auto value = objectForExtensionClass<VSYouTubePlaylistID>();
    return value ? value->stringValue() : std::nullopt;
}

void VSFeedYouTubePlaylist::setPlaylistID(const std::optional<std::string>& playlistID)
{
    setObject(VSValueConstruct::valueWithString<VSYouTubePlaylistID>(playlistID), VSYouTubePlaylistID::staticClass());
}

// The load-time registration of the standard classes: what the platform
// does from each class's load hook, done once when a kind map is first used.
namespace detail {

void registerStandardEntryClasses(VSClassMap& map)
{
    for (const VSClass* cls : {&VSEntryYouTubeCaptionTrack::staticClass(), &VSEntryYouTubeChannel::staticClass(),
             &VSEntryYouTubeComment::staticClass(), &VSEntryYouTubeComplaint::staticClass(),
             &VSEntryYouTubeFavorite::staticClass(), &VSEntryYouTubeFriend::staticClass(),
             &VSEntryYouTubePlaylist::staticClass(), &VSEntryYouTubePlaylistLink::staticClass(),
             &VSEntryYouTubeRating::staticClass(), &VSEntryYouTubeSubscription::staticClass(),
             &VSEntryYouTubeUserEvent::staticClass(), &VSEntryYouTubeUserProfile::staticClass(),
             &VSEntryYouTubeVideo::staticClass(), &VSEntryYouTubeVideoMessage::staticClass()}) {
        auto prototype = std::static_pointer_cast<VSEntryBase>(cls->make());
        if (auto kind = prototype->standardEntryKind())
            VSObject::registerClass(*cls, map, std::string(kVSCategoryKind), kind);
        if (auto value = prototype->standardKindAttributeValue())
            VSObject::registerClass(*cls, map, std::nullopt, value);
    }
}

void registerStandardFeedClasses(VSClassMap& map)
{
    for (const VSClass* cls : {&VSFeedYouTubeCaptionTrack::staticClass(), &VSFeedYouTubeChannel::staticClass(),
             &VSFeedYouTubeComment::staticClass(), &VSFeedYouTubeComplaint::staticClass(),
             &VSFeedYouTubeFavorite::staticClass(), &VSFeedYouTubeFriend::staticClass(),
             &VSFeedYouTubePlaylist::staticClass(), &VSFeedYouTubePlaylistLink::staticClass(),
             &VSFeedYouTubeRating::staticClass(), &VSFeedYouTubeSubscription::staticClass(),
             &VSFeedYouTubeUserEvent::staticClass(), &VSFeedYouTubeUserProfile::staticClass(),
             &VSFeedYouTubeVideo::staticClass(), &VSFeedYouTubeVideoMessage::staticClass()}) {
        auto prototype = std::static_pointer_cast<VSFeedBase>(cls->make());
        if (auto kind = prototype->standardFeedKind())
            VSObject::registerClass(*cls, map, std::string(kVSCategoryKind), kind);
        if (auto value = prototype->standardKindAttributeValue())
            VSObject::registerClass(*cls, map, std::nullopt, value);
    }
}

}  // namespace detail

}  // namespace zt
