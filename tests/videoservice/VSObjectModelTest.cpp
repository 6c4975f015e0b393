#include <gtest/gtest.h>

#include "videoservice/VSNamespaces.h"
#include "videoservice/VSXMLDocument.h"
#include "videoservice/YouTubeEntries.h"
#include "videoservice/YouTubeFeeds.h"

namespace zt {
namespace {

VSXMLElementPtr elementOf(std::string_view text)
{
    auto element = VSXMLElement::elementWithXMLString(text);
    EXPECT_TRUE(element.ok()) << text;
    return element.ok() ? element.value() : nullptr;
}

plat::Data dataOf(std::string_view text)
{
    return plat::Data(text.begin(), text.end());
}

TEST(VSObjectSurrogates, ASurrogateReplacesTheClassThroughTheWholeTree)
{
    VSSurrogates surrogates {{&VSEntryYouTubeVideo::staticClass(), &VSEntryYouTubeFavorite::staticClass()}};
    auto element = elementOf("<feed xmlns='http://www.w3.org/2005/Atom'><entry>"
                             "<category scheme='http://schemas.google.com/g/2005#kind' "
                             "term='http://gdata.youtube.com/schemas/2007#video'/></entry></feed>");
    auto feed = std::static_pointer_cast<VSFeedBase>(VSObject::objectWithXMLElement(
        VSFeedYouTubeVideo::staticClass(), element, nullptr, std::nullopt, surrogates, false));
    EXPECT_EQ(&feed->firstEntry()->objectClass(), &VSEntryYouTubeFavorite::staticClass());
}

TEST(VSObjectVersions, ServiceVersionsCompareAndFallBackToTheClassDefault)
{
    auto video = VSEntryYouTubeVideo::videoEntry();
    EXPECT_EQ(video->serviceVersion(), "2.0");
    EXPECT_TRUE(video->isServiceVersionAtLeast("1.5"));
    EXPECT_FALSE(video->isServiceVersionAtLeast("2.1"));
    EXPECT_TRUE(video->isServiceVersionAtMost("2"));
    EXPECT_FALSE(video->isCoreProtocolVersion1());
    auto plain = VSEntryBase::entry();
    EXPECT_EQ(plain->serviceVersion(), std::nullopt);
    EXPECT_TRUE(plain->isCoreProtocolVersion1());
    plain->setServiceVersion("3.0");
    EXPECT_EQ(plain->coreProtocolVersion(), "3.0");
    auto parsed = std::static_pointer_cast<VSEntryBase>(VSObject::objectWithXMLElement(VSEntryBase::staticClass(),
        elementOf("<entry xmlns='http://www.w3.org/2005/Atom'><title>t</title></entry>"), nullptr, "2.5", {}, false));
    EXPECT_EQ(parsed->title()->serviceVersion(), "2.5");
}

TEST(VSObjectNamespaces, CompleteAndPrunedNamespacesFollowTheParent)
{
    auto feed = VSFeedYouTubeVideo::videoFeed();
    auto entry = VSEntryYouTubeVideo::videoEntry();
    feed->addEntry(entry);
    entry->addNamespaces({{"x", "urn:x"}});
    auto complete = entry->completeNamespaces();
    EXPECT_EQ(complete.at("yt"), kVSNamespaceYouTube);
    EXPECT_EQ(complete.at("x"), "urn:x");
    entry->pruneInheritedNamespaces();
    EXPECT_EQ(entry->namespaces(), (VSXMLNamespaceMap {{"x", "urn:x"}}));
    auto written = feed->XMLElement()->XMLString().value_or("");
    EXPECT_NE(written.find("<entry xmlns:x=\"urn:x\">"), std::string::npos) << written;
}

TEST(VSObjectProperties, ParsedObjectsKeepTheirElementAndFreeProperties)
{
    auto element = elementOf("<entry xmlns='http://www.w3.org/2005/Atom'/>");
    auto entry = VSObject::objectWithXMLElement(VSEntryBase::staticClass(), element, nullptr);
    auto kept = std::any_cast<VSXMLElementPtr>(entry->propertyForKey("_XMLElement"));
    EXPECT_EQ(kept, element);
    entry->setProperty(std::string("value"), "mine");
    EXPECT_EQ(std::any_cast<std::string>(entry->propertyForKey("mine")), "value");
    EXPECT_EQ(entry->properties().size(), 2u);
    entry->setProperty(std::any(), "mine");
    EXPECT_FALSE(entry->propertyForKey("mine").has_value());
}

TEST(VSObjectDeclarations, RemovedDeclarationsAreNoLongerParsed)
{
    auto entry = VSEntryBase::entry();
    entry->addExtensionDeclarations();
    auto declarations = entry->extensionDeclarationsForParentClass(VSEntryBase::staticClass());
    ASSERT_EQ(declarations.size(), 22u);
    EXPECT_EQ(declarations.front().description(), "VSExtensionDeclaration: {VSEntryBase can contain VSResourceID}");
    EXPECT_TRUE(declarations.back().isAttribute());
    entry->removeExtensionDeclarationForParentClass(VSEntryBase::staticClass(), VSAtomTitle::staticClass());
    entry->removeAttributeExtensionDeclarationForParentClass(
        VSEntryBase::staticClass(), VSKindAttribute::staticClass());
    EXPECT_EQ(entry->extensionDeclarationsForParentClass(VSEntryBase::staticClass()).size(), 20u);
}

TEST(VSObjectKinds, UnprefixedCategoriesCountWhenAtomIsNotDeclared)
{
    auto element = elementOf("<entry><category scheme='http://schemas.google.com/g/2005#kind' "
                             "term='http://gdata.youtube.com/schemas/2007#friend'/></entry>");
    EXPECT_EQ(VSObject::objectClassForXMLElement(*element, nullptr), &VSEntryYouTubeFriend::staticClass());
    auto prefixed = elementOf("<a:entry xmlns:a='http://www.w3.org/2005/Atom'><category "
                              "scheme='http://schemas.google.com/g/2005#kind' "
                              "term='http://gdata.youtube.com/schemas/2007#friend'/></a:entry>");
    EXPECT_EQ(VSObject::objectClassForXMLElement(*prefixed, nullptr), &VSEntryBase::staticClass());
    EXPECT_EQ(VSObject::objectClassForXMLElement(*elementOf("<service/>"), nullptr), nullptr);
    EXPECT_EQ(VSObject::objectClassForXMLElement(*elementOf("<entry/>"), &VSEntryYouTubeVideo::staticClass()),
        &VSEntryYouTubeVideo::staticClass());
}

TEST(VSObjectDescriptions, ItemsListAttributesContentAndExtensions)
{
    auto category = VSCategory::categoryWithScheme("urn:s", "t");
    EXPECT_NE(category->description().find(": {scheme:urn:s term:t}"), std::string::npos) << category->description();
    auto title = VSTextConstruct::textConstructWithString<VSAtomTitle>("Hello");
    EXPECT_NE(title->description().find("{content:Hello}"), std::string::npos) << title->description();
    auto empty = VSObject::object<VSAtomPubControl>();
    EXPECT_EQ(empty->description().find('{'), std::string::npos);
}

TEST(YouTubeEntryKinds, ChannelSubscriptionAndFriendEntries)
{
    auto channel = std::static_pointer_cast<VSEntryYouTubeChannel>(
        VSObject::objectWithXMLElement(VSEntryYouTubeChannel::staticClass(),
            elementOf("<entry xmlns='http://www.w3.org/2005/Atom' xmlns:gd='http://schemas.google.com/g/2005'>"
                      "<category scheme='http://gdata.youtube.com/schemas/2007/channeltypes.cat' term='Musician'/>"
                      "<gd:feedLink rel='http://gdata.youtube.com/schemas/2007#user.uploads' href='u'/>"
                      "<gd:feedLink rel='http://gdata.youtube.com/schemas/2007#featured-video' href='f'/></entry>"),
            nullptr));
    EXPECT_EQ(channel->channelType(), "Musician");
    EXPECT_EQ(channel->uploadsFeedLink()->href(), "u");
    EXPECT_EQ(channel->featuredFeedLink()->href(), "f");
    auto subscription = VSEntryYouTubeSubscription::subscriptionEntry();
    subscription->setUsername("clay");
    subscription->setPlaylistTitle("Best");
    subscription->setCountHint("4");
    auto text = subscription->XMLElement()->XMLString().value_or("");
    EXPECT_NE(text.find("<yt:username>clay</yt:username>"), std::string::npos) << text;
    EXPECT_NE(text.find("<yt:countHint>4</yt:countHint>"), std::string::npos) << text;
    auto reread = std::static_pointer_cast<VSEntryYouTubeSubscription>(VSObject::objectWithXMLElement(
        VSEntryYouTubeSubscription::staticClass(), VSXMLElement::elementWithXMLString(text).value(), nullptr));
    EXPECT_EQ(reread->playlistTitle(), "Best");
    EXPECT_EQ(reread->countHint(), "4");
    EXPECT_TRUE(reread->isEqual(*subscription));
    auto rating = VSEntryYouTubeRating::ratingEntryWithValue("like");
    EXPECT_EQ(rating->rating()->value(), "like");
}

TEST(YouTubeEntryKinds, CaptionTrackStateLivesInItsControl)
{
    auto track = VSEntryYouTubeCaptionTrack::captionTrackEntry();
    track->setVSYouTubePublicationState(nullptr);
    EXPECT_EQ(track->atomPubControl(), nullptr);
    auto state = VSObject::object<VSYouTubePublicationState>();
    state->setReasonCode("bad");
    track->setVSYouTubePublicationState(state);
    EXPECT_EQ(track->publicationState()->reasonCode(), "bad");
    track->setVSYouTubePublicationState(nullptr);
    EXPECT_NE(track->atomPubControl(), nullptr);
    EXPECT_EQ(track->publicationState(), nullptr);
}

TEST(YouTubeGeo, SettingALocationReplacesTheOldEncoding)
{
    auto video = VSEntryYouTubeVideo::videoEntry();
    video->setGeoLocation(VSGeo::geoWithLatitude<VSGeoRSSPoint>(1, 2));
    video->setGeoLocation(VSGeo::geoWithLatitude<VSGeoW3CPoint>(3, 4));
    EXPECT_FALSE(video->hasExtensionClass(VSGeoRSSPoint::staticClass()));
    EXPECT_DOUBLE_EQ(video->geoLocation()->latitude(), 3);
    video->setGeoLocation(nullptr);
    EXPECT_EQ(video->geoLocation(), nullptr);
}

TEST(VSFeedEntries, AddingACopyParentsItToTheFeed)
{
    auto source = VSFeedBase::feedWithXMLData(
        dataOf("<feed xmlns='http://www.w3.org/2005/Atom'><entry><id>e1</id></entry></feed>"));
    auto target = VSFeedYouTubeVideo::videoFeed();
    target->addEntryWithEntry(*source->firstEntry());
    EXPECT_EQ(target->firstEntry()->parent(), target);
    EXPECT_EQ(target->entryForIdentifier("e1"), target->firstEntry());
    EXPECT_EQ(target->entryForIdentifier(std::nullopt), nullptr);
}

TEST(VSDateTimeZones, SettingAZoneTakesItsOffsetAtTheValuesDate)
{
    auto value = VSDateTime::dateTimeWithRFC3339String("2010-05-01T10:20:30");
    value.setTimeZone(VSTimeZone::timeZoneForSecondsFromGMT(-18000));
    EXPECT_EQ(value.offsetSeconds(), -18000);
    EXPECT_EQ(value.RFC3339String(), "2010-05-01T10:20:30-05:00");
    EXPECT_EQ(value.date().timeIntervalSince1970(), 1272727230.0);
    value.setTimeZone(std::nullopt);
    EXPECT_EQ(value.offsetSeconds(), VSDateTime::kUndefinedOffset);
    EXPECT_EQ(VSTimeZone::timeZoneWithName("Universal"), VSTimeZone::universal());
    EXPECT_EQ(VSTimeZone::timeZoneWithName("Mars/Olympus"), std::nullopt);
}

}  // namespace
}  // namespace zt
