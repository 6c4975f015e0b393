#include "videoservice/YouTubeEntries.h"

#include "videoservice/VSNamespaces.h"

namespace zt {

#define ENTRY_NAMES kVSNamespaceAtom, kVSNamespaceAtomPrefix, "entry"

VS_DEFINE_CLASS(VSEntryYouTubeVideo, VSEntryBase, ENTRY_NAMES)
VS_DEFINE_CLASS(VSEntryYouTubeCaptionTrack, VSEntryBase, ENTRY_NAMES)
VS_DEFINE_CLASS(VSEntryYouTubeChannel, VSEntryBase, ENTRY_NAMES)
VS_DEFINE_CLASS(VSEntryYouTubeComment, VSEntryBase, ENTRY_NAMES)
VS_DEFINE_CLASS(VSEntryYouTubeComplaint, VSEntryBase, ENTRY_NAMES)
VS_DEFINE_CLASS(VSEntryYouTubeFavorite, VSEntryYouTubeVideo, ENTRY_NAMES)
VS_DEFINE_CLASS(VSEntryYouTubeFeedLinkBase, VSEntryBase, ENTRY_NAMES)
VS_DEFINE_CLASS(VSEntryYouTubeFriend, VSEntryBase, ENTRY_NAMES)
VS_DEFINE_CLASS(VSEntryYouTubePlaylist, VSEntryYouTubeVideo, ENTRY_NAMES)
VS_DEFINE_CLASS(VSEntryYouTubePlaylistLink, VSEntryYouTubeFeedLinkBase, ENTRY_NAMES)
VS_DEFINE_CLASS(VSEntryYouTubeRating, VSEntryBase, ENTRY_NAMES)
VS_DEFINE_CLASS(VSEntryYouTubeSubscription, VSEntryYouTubeFeedLinkBase, ENTRY_NAMES)
VS_DEFINE_CLASS(VSEntryYouTubeUpload, VSEntryBase, ENTRY_NAMES)
VS_DEFINE_CLASS(VSEntryYouTubeUserEvent, VSEntryBase, ENTRY_NAMES)
VS_DEFINE_CLASS(VSEntryYouTubeUserProfile, VSEntryBase, ENTRY_NAMES)
VS_DEFINE_CLASS(VSEntryYouTubeVideoMessage, VSEntryYouTubeVideo, ENTRY_NAMES)

namespace {

template <typename T> std::optional<std::string> textOfChild(const VSObject& object)
{
    auto value = object.objectForExtensionClass<T>();
    return value ? value->stringValue() : std::nullopt;
}

template <typename T> void setTextOfChild(VSObject& object, const std::optional<std::string>& text)
{
    object.setObject(VSValueConstruct::valueWithString<T>(text), T::staticClass());
}

template <typename T> void setPresence(VSObject& object, bool present)
{
    object.setObject(present ? VSImplicitValueConstruct::implicitValue<T>() : nullptr, T::staticClass());
}

// The term of the first category whose scheme is the yt namespace and the suffix.
std::optional<std::string> typeFromScheme(const VSEntryBase& entry, std::string_view suffix)
{
    auto matches = entry.categoriesWithScheme(youtube::schemeNamed(suffix));
    return matches.empty() ? std::nullopt : matches.front()->term();
}

std::shared_ptr<VSFeedLink> feedLinkOfRel(const VSObject& entry, const std::string& rel)
{
    for (const auto& link : entry.objectsForExtensionClass<VSFeedLink>()) {
        if (link->rel() == rel)
            return link;
    }
    return nullptr;
}

std::shared_ptr<VSYouTubePublicationState> publicationStateOf(const VSEntryBase& entry)
{
    auto control = entry.atomPubControl();
    return control ? control->objectForExtensionClass<VSYouTubePublicationState>() : nullptr;
}

// The state lives in the entry's app "control", made when needed.
void setPublicationStateOf(VSEntryBase& entry, const std::shared_ptr<VSYouTubePublicationState>& state)
{
    auto control = entry.atomPubControl();
    if (state) {
        if (!control) {
            control = VSAtomPubControl::atomPubControl();
            entry.setAtomPubControl(control);
        }
        control->setObject(state, VSYouTubePublicationState::staticClass());
    } else if (control) {
        control->setObject(nullptr, VSYouTubePublicationState::staticClass());
    }
}

}  // namespace

// VSEntryYouTubeVideo

void VSEntryYouTubeVideo::addExtensionDeclarations()
{
    VSEntryBase::addExtensionDeclarations();
    const VSClass& self = objectClass();
    addExtensionDeclarationForParentClass(self,
        {&VSComment::staticClass(), &VSYouTubeRating::staticClass(), &VSYouTubeStatistics::staticClass(),
            &VSYouTubeNonEmbeddable::staticClass(), &VSYouTubeLocation::staticClass(),
            &VSYouTubeRecordedDate::staticClass(), &VSYouTubeAccessControl::staticClass(),
            &VSYouTubeMediaGroup::staticClass()});
    VSGeo::addGeoExtensionDeclarationsToObject(*this, self);
    addExtensionDeclarationForParentClass(VSAtomPubControl::staticClass(),
        {&VSYouTubePublicationState::staticClass(), &VSYouTubeIncomplete::staticClass()});
    addExtensionDeclarationForParentClass(VSLink::staticClass(), VSYouTubeToken::staticClass());
}

std::optional<std::string> VSEntryYouTubeVideo::location() const
{
    return textOfChild<VSYouTubeLocation>(*this);
}

void VSEntryYouTubeVideo::setLocation(const std::optional<std::string>& location)
{
    setTextOfChild<VSYouTubeLocation>(*this, location);
}

std::optional<VSDateTime> VSEntryYouTubeVideo::recordedDate() const
{
    auto value = objectForExtensionClass<VSYouTubeRecordedDate>();
    return value ? value->dateTimeValue() : std::nullopt;
}

void VSEntryYouTubeVideo::setRecordedDate(VSDateTime* date)
{
    if (date == nullptr) {
        setObject(nullptr, VSYouTubeRecordedDate::staticClass());
        return;
    }
    date->setHasTime(false);
    setObject(VSValueConstruct::valueWithDateTime<VSYouTubeRecordedDate>(*date), VSYouTubeRecordedDate::staticClass());
}

void VSEntryYouTubeVideo::setIsEmbeddable(bool isEmbeddable)
{
    setPresence<VSYouTubeNonEmbeddable>(*this, !isEmbeddable);
}

std::shared_ptr<VSYouTubePublicationState> VSEntryYouTubeVideo::publicationState() const
{
    return publicationStateOf(*this);
}

void VSEntryYouTubeVideo::setVSYouTubePublicationState(const std::shared_ptr<VSYouTubePublicationState>& state)
{
    setPublicationStateOf(*this, state);
}

bool VSEntryYouTubeVideo::isIncomplete() const
{
    auto control = atomPubControl();
    return control && control->hasExtensionClass(VSYouTubeIncomplete::staticClass());
}

void VSEntryYouTubeVideo::setIsIncomplete(bool isIncomplete)
{
    auto control = atomPubControl();
    if (isIncomplete) {
        if (!control) {
            control = VSAtomPubControl::atomPubControl();
            setAtomPubControl(control);
        }
        setPresence<VSYouTubeIncomplete>(*control, true);
    } else if (control) {
        setPresence<VSYouTubeIncomplete>(*control, false);
    }
}

std::shared_ptr<VSLink> VSEntryYouTubeVideo::videoResponsesLink() const
{
    return linkWithRelAttributeValue(youtube::schemeNamed("#video.responses"));
}

std::shared_ptr<VSLink> VSEntryYouTubeVideo::ratingsLink() const
{
    return linkWithRelAttributeValue(youtube::schemeNamed("#video.ratings"));
}

std::shared_ptr<VSLink> VSEntryYouTubeVideo::complaintsLink() const
{
    return linkWithRelAttributeValue(youtube::schemeNamed("#video.complaints"));
}

std::shared_ptr<VSLink> VSEntryYouTubeVideo::captionTracksLink() const
{
    return linkWithRelAttributeValue(youtube::schemeNamed("#video.captionTracks"));
}

std::shared_ptr<VSYouTubeToken> youTubeToken(const VSLink& link)
{
    return link.objectForExtensionClass<VSYouTubeToken>();
}

void setYouTubeToken(VSLink& link, const std::shared_ptr<VSYouTubeToken>& token)
{
    link.setObject(token, VSYouTubeToken::staticClass());
}

// VSEntryYouTubeCaptionTrack

void VSEntryYouTubeCaptionTrack::addExtensionDeclarations()
{
    VSEntryBase::addExtensionDeclarations();
    addExtensionDeclarationForParentClass(objectClass(), VSYouTubeDerived::staticClass());
    addExtensionDeclarationForParentClass(VSAtomPubControl::staticClass(), VSYouTubePublicationState::staticClass());
}

std::optional<std::string> VSEntryYouTubeCaptionTrack::derived() const
{
    return textOfChild<VSYouTubeDerived>(*this);
}

void VSEntryYouTubeCaptionTrack::setDerived(const std::optional<std::string>& derived)
{
    setTextOfChild<VSYouTubeDerived>(*this, derived);
}

std::shared_ptr<VSYouTubePublicationState> VSEntryYouTubeCaptionTrack::publicationState() const
{
    return publicationStateOf(*this);
}

void VSEntryYouTubeCaptionTrack::setVSYouTubePublicationState(const std::shared_ptr<VSYouTubePublicationState>& state)
{
    setPublicationStateOf(*this, state);
}

// VSEntryYouTubeChannel

void VSEntryYouTubeChannel::addExtensionDeclarations()
{
    VSEntryBase::addExtensionDeclarations();
    addExtensionDeclarationForParentClass(objectClass(), VSFeedLink::staticClass());
}

std::optional<std::string> VSEntryYouTubeChannel::channelType() const
{
    return typeFromScheme(*this, "/channeltypes.cat");
}

std::shared_ptr<VSFeedLink> VSEntryYouTubeChannel::feedLinkForRel(const std::string& rel) const
{
    return feedLinkOfRel(*this, rel);
}

std::shared_ptr<VSFeedLink> VSEntryYouTubeChannel::uploadsFeedLink() const
{
    return feedLinkForRel(youtube::schemeNamed("#user.uploads"));
}

std::shared_ptr<VSFeedLink> VSEntryYouTubeChannel::featuredFeedLink() const
{
    return feedLinkForRel(youtube::schemeNamed("#featured-video"));
}

// VSEntryYouTubeComment

void VSEntryYouTubeComment::addExtensionDeclarations()
{
    VSEntryBase::addExtensionDeclarations();
    addExtensionDeclarationForParentClass(
        objectClass(), {&VSYouTubeCommentRating::staticClass(), &VSYouTubeSpam::staticClass()});
}

std::optional<int32_t> VSEntryYouTubeComment::totalRating() const
{
    auto value = objectForExtensionClass<VSYouTubeCommentRating>();
    if (!value)
        return std::nullopt;
    return value->intValue();
}

void VSEntryYouTubeComment::setTotalRating(const std::optional<int32_t>& rating)
{
    setObject(rating ? VSValueConstruct::valueWithInt<VSYouTubeCommentRating>(*rating) : nullptr,
        VSYouTubeCommentRating::staticClass());
}

void VSEntryYouTubeComment::setHasSpam(bool hasSpam)
{
    setPresence<VSYouTubeSpam>(*this, hasSpam);
}

// VSEntryYouTubeComplaint

std::optional<plat::URL> VSEntryYouTubeComplaint::videoURL() const
{
    auto link = relatedLink();
    return link ? link->URL() : std::nullopt;
}

// VSEntryYouTubeFeedLinkBase

void VSEntryYouTubeFeedLinkBase::addExtensionDeclarations()
{
    VSEntryBase::addExtensionDeclarations();
    addExtensionDeclarationForParentClass(objectClass(),
        {&VSYouTubePrivate::staticClass(), &VSYouTubeCountHint::staticClass(), &VSYouTubePlaylistID::staticClass(),
            &VSFeedLink::staticClass(), &VSMediaGroup::staticClass()});
}

std::optional<std::string> VSEntryYouTubeFeedLinkBase::countHint() const
{
    return textOfChild<VSYouTubeCountHint>(*this);
}

void VSEntryYouTubeFeedLinkBase::setCountHint(const std::optional<std::string>& hint)
{
    setTextOfChild<VSYouTubeCountHint>(*this, hint);
}

std::optional<std::string> VSEntryYouTubeFeedLinkBase::playlistID() const
{
    return textOfChild<VSYouTubePlaylistID>(*this);
}

void VSEntryYouTubeFeedLinkBase::setPlaylistID(const std::optional<std::string>& playlistID)
{
    setTextOfChild<VSYouTubePlaylistID>(*this, playlistID);
}

// VSEntryYouTubeFriend

void VSEntryYouTubeFriend::addExtensionDeclarations()
{
    VSEntryBase::addExtensionDeclarations();
    addExtensionDeclarationForParentClass(
        objectClass(), {&VSYouTubeUsername::staticClass(), &VSYouTubeStatus::staticClass()});
}

std::optional<std::string> VSEntryYouTubeFriend::username() const
{
    return textOfChild<VSYouTubeUsername>(*this);
}

void VSEntryYouTubeFriend::setUsername(const std::optional<std::string>& username)
{
    setTextOfChild<VSYouTubeUsername>(*this, username);
}

std::optional<std::string> VSEntryYouTubeFriend::status() const
{
    return textOfChild<VSYouTubeStatus>(*this);
}

void VSEntryYouTubeFriend::setStatus(const std::optional<std::string>& status)
{
    setTextOfChild<VSYouTubeStatus>(*this, status);
}

// VSEntryYouTubePlaylist

void VSEntryYouTubePlaylist::addExtensionDeclarations()
{
    VSEntryYouTubeVideo::addExtensionDeclarations();
    addExtensionDeclarationForParentClass(objectClass(), VSYouTubePosition::staticClass());
}

// VSEntryYouTubePlaylistLink

void VSEntryYouTubePlaylistLink::addExtensionDeclarations()
{
    VSEntryYouTubeFeedLinkBase::addExtensionDeclarations();
    addExtensionDeclarationForParentClass(objectClass(), VSYouTubePrivate::staticClass());
}

void VSEntryYouTubePlaylistLink::setIsPrivate(bool isPrivate)
{
    setPresence<VSYouTubePrivate>(*this, isPrivate);
}

// VSEntryYouTubeRating

std::shared_ptr<VSEntryYouTubeRating> VSEntryYouTubeRating::ratingEntryWithValue(
    const std::optional<std::string>& value)
{
    auto entry = makeYouTubeEntry<VSEntryYouTubeRating>();
    entry->setRating(VSYouTubeRating::ratingWithValue(value));
    return entry;
}

void VSEntryYouTubeRating::addExtensionDeclarations()
{
    VSEntryBase::addExtensionDeclarations();
    addExtensionDeclarationForParentClass(objectClass(), VSYouTubeRating::staticClass());
}

// VSEntryYouTubeSubscription

void VSEntryYouTubeSubscription::addExtensionDeclarations()
{
    VSEntryYouTubeFeedLinkBase::addExtensionDeclarations();
    addExtensionDeclarationForParentClass(objectClass(),
        {&VSYouTubeUsername::staticClass(), &VSYouTubeQueryString::staticClass(),
            &VSYouTubePlaylistTitle::staticClass()});
}

std::optional<std::string> VSEntryYouTubeSubscription::subscriptionType() const
{
    return typeFromScheme(*this, "/subscriptiontypes.cat");
}

std::optional<std::string> VSEntryYouTubeSubscription::username() const
{
    return textOfChild<VSYouTubeUsername>(*this);
}

void VSEntryYouTubeSubscription::setUsername(const std::optional<std::string>& username)
{
    setTextOfChild<VSYouTubeUsername>(*this, username);
}

std::optional<std::string> VSEntryYouTubeSubscription::youTubeQueryString() const
{
    return textOfChild<VSYouTubeQueryString>(*this);
}

void VSEntryYouTubeSubscription::setYouTubeQueryString(const std::optional<std::string>& query)
{
    setTextOfChild<VSYouTubeQueryString>(*this, query);
}

std::optional<std::string> VSEntryYouTubeSubscription::playlistTitle() const
{
    return textOfChild<VSYouTubePlaylistTitle>(*this);
}

void VSEntryYouTubeSubscription::setPlaylistTitle(const std::optional<std::string>& title)
{
    setTextOfChild<VSYouTubePlaylistTitle>(*this, title);
}

// VSEntryYouTubeUpload

std::shared_ptr<VSEntryYouTubeUpload> VSEntryYouTubeUpload::uploadEntryWithMediaGroup(
    const std::shared_ptr<VSYouTubeMediaGroup>& group, std::shared_ptr<WSFileHandle> fileHandle,
    const std::optional<std::string>& MIMEType, const std::optional<std::string>& slug)
{
    auto entry = makeYouTubeEntry<VSEntryYouTubeUpload>();
    entry->setMediaGroup(group);
    entry->setUploadFileHandle(std::move(fileHandle));
    entry->setUploadMIMEType(MIMEType);
    entry->setUploadSlug(slug);
    return entry;
}

std::shared_ptr<VSEntryYouTubeUpload> VSEntryYouTubeUpload::uploadEntryWithMediaGroup(
    const std::shared_ptr<VSYouTubeMediaGroup>& group, std::shared_ptr<const plat::Data> data,
    const std::optional<std::string>& MIMEType, const std::optional<std::string>& slug)
{
    auto entry = uploadEntryWithMediaGroup(group, std::shared_ptr<WSFileHandle>(), MIMEType, slug);
    entry->setUploadData(std::move(data));
    return entry;
}

void VSEntryYouTubeUpload::addExtensionDeclarations()
{
    VSEntryBase::addExtensionDeclarations();
    addExtensionDeclarationForParentClass(objectClass(),
        {&VSYouTubeMediaGroup::staticClass(), &VSYouTubeAccessControl::staticClass(),
            &VSYouTubeIncomplete::staticClass()});
}

void VSEntryYouTubeUpload::setIsIncomplete(bool isIncomplete)
{
    setPresence<VSYouTubeIncomplete>(*this, isIncomplete);
}

// VSEntryYouTubeUserEvent

void VSEntryYouTubeUserEvent::addExtensionDeclarations()
{
    VSEntryBase::addExtensionDeclarations();
    addExtensionDeclarationForParentClass(objectClass(),
        {&VSYouTubeVideoID::staticClass(), &VSYouTubeUsername::staticClass(), &VSYouTubeRating::staticClass()});
}

std::optional<std::string> VSEntryYouTubeUserEvent::videoID() const
{
    return textOfChild<VSYouTubeVideoID>(*this);
}

void VSEntryYouTubeUserEvent::setVideoID(const std::optional<std::string>& videoID)
{
    setTextOfChild<VSYouTubeVideoID>(*this, videoID);
}

std::optional<std::string> VSEntryYouTubeUserEvent::username() const
{
    return textOfChild<VSYouTubeUsername>(*this);
}

void VSEntryYouTubeUserEvent::setUsername(const std::optional<std::string>& username)
{
    setTextOfChild<VSYouTubeUsername>(*this, username);
}

std::optional<std::string> VSEntryYouTubeUserEvent::userEventType() const
{
    return typeFromScheme(*this, "/userevents.cat");
}

void VSEntryYouTubeUserEvent::setUserEventType(const std::optional<std::string>& type)
{
    std::string scheme = youtube::schemeNamed("/userevents.cat");
    for (const auto& category : categoriesWithScheme(scheme))
        removeCategory(*category);
    if (type)
        addCategory(VSCategory::categoryWithScheme(scheme, type));
}

std::shared_ptr<VSLink> VSEntryYouTubeUserEvent::videoLink() const
{
    return linkWithRelAttributeValue(youtube::schemeNamed("#video"));
}

std::shared_ptr<VSLink> VSEntryYouTubeUserEvent::commentLink() const
{
    return linkWithRelAttributeValue(youtube::schemeNamed("#comments"));
}

// VSEntryYouTubeUserProfile

void VSEntryYouTubeUserProfile::addExtensionDeclarations()
{
    VSEntryBase::addExtensionDeclarations();
    addExtensionDeclarationForParentClass(objectClass(),
        {&VSFeedLink::staticClass(), &VSYouTubeAge::staticClass(), &VSYouTubeBooks::staticClass(),
            &VSYouTubeCompany::staticClass(), &VSYouTubeAboutMe::staticClass(), &VSYouTubeGender::staticClass(),
            &VSYouTubeHobbies::staticClass(), &VSYouTubeHometown::staticClass(), &VSYouTubeLocation::staticClass(),
            &VSYouTubeMovies::staticClass(), &VSYouTubeMusic::staticClass(), &VSYouTubeOccupation::staticClass(),
            &VSYouTubeRelationship::staticClass(), &VSYouTubeSchool::staticClass(), &VSYouTubeUsername::staticClass(),
            &VSYouTubeFirstName::staticClass(), &VSYouTubeLastName::staticClass(), &VSYouTubeStatistics::staticClass(),
            &VSMediaThumbnail::staticClass()});
}

std::optional<std::string> VSEntryYouTubeUserProfile::channelType() const
{
    return typeFromScheme(*this, "/channeltypes.cat");
}

std::optional<int32_t> VSEntryYouTubeUserProfile::age() const
{
    auto value = objectForExtensionClass<VSYouTubeAge>();
    if (!value)
        return std::nullopt;
    return value->intValue();
}

void VSEntryYouTubeUserProfile::setAge(const std::optional<int32_t>& age)
{
    setObject(age ? VSValueConstruct::valueWithInt<VSYouTubeAge>(*age) : nullptr, VSYouTubeAge::staticClass());
}

std::optional<std::string> VSEntryYouTubeUserProfile::textOf(const VSClass& cls) const
{
    auto value = std::dynamic_pointer_cast<VSValueConstruct>(objectForExtensionClass(cls));
    return value ? value->stringValue() : std::nullopt;
}

void VSEntryYouTubeUserProfile::setTextOf(const std::optional<std::string>& text, const VSClass& cls)
{
    if (!text) {
        setObject(nullptr, cls);
        return;
    }
    auto value = std::static_pointer_cast<VSValueConstruct>(cls.make());
    value->init();
    value->setStringValue(text);
    setObject(value, cls);
}

std::shared_ptr<VSFeedLink> VSEntryYouTubeUserProfile::feedLinkForRel(const std::string& rel) const
{
    return feedLinkOfRel(*this, rel);
}

std::shared_ptr<VSLink> VSEntryYouTubeUserProfile::videoLogLink() const
{
    return linkWithRelAttributeValue(youtube::schemeNamed("#user.vlog"));
}

std::shared_ptr<VSLink> VSEntryYouTubeUserProfile::featuredVideoLink() const
{
    return linkWithRelAttributeValue(youtube::schemeNamed("#featured-video"));
}

#define PROFILE_FEED_LINK(name, suffix)                                                                                \
    std::shared_ptr<VSFeedLink> VSEntryYouTubeUserProfile::name() const                                                \
    {                                                                                                                  \
        return feedLinkForRel(youtube::schemeNamed(suffix));                                                           \
    }
PROFILE_FEED_LINK(favoritesFeedLink, "#user.favorites")
PROFILE_FEED_LINK(contactsFeedLink, "#user.contacts")
PROFILE_FEED_LINK(inboxFeedLink, "#user.inbox")
PROFILE_FEED_LINK(playlistsFeedLink, "#user.playlists")
PROFILE_FEED_LINK(subscriptionsFeedLink, "#user.subscriptions")
PROFILE_FEED_LINK(uploadsFeedLink, "#user.uploads")
PROFILE_FEED_LINK(recentSubscriptionVideosFeedLink, "#user.newsubscriptionvideos")
PROFILE_FEED_LINK(friendsActivityFeedLink, "#user.friendsactivity")
PROFILE_FEED_LINK(recentActivityFeedLink, "#user.recentactivity")
#undef PROFILE_FEED_LINK

}  // namespace zt
