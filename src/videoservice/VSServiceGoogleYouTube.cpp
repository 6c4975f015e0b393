#include "videoservice/VSServiceGoogleYouTube.h"

#include "videoservice/VSUtilities.h"
#include "videoservice/YouTubeElements.h"
#include "videoservice/YouTubeEntries.h"

namespace zt {

namespace {
constexpr const char* kDataAPIHost = "gdata.youtube.com";
constexpr const char* kUploadHost = "uploads.gdata.youtube.com";

// Appended, not joined with "+": gcc 12 takes the temporaries of such a
// chain for an overflow of the first one (-Warray-bounds).
std::string httpsURL(const char* host, const char* path)
{
    std::string url("https://");
    url.append(host).append(path);
    return url;
}
}  // namespace

std::string VSServiceGoogleYouTube::youTubeServiceRootURLString()
{
    return httpsURL(kDataAPIHost, "/feeds/");
}

std::string VSServiceGoogleYouTube::serviceUploadRootURLString()
{
    return httpsURL(kUploadHost, "/resumable/feeds/");
}

std::optional<std::string> VSServiceGoogleYouTube::serviceRootURLString() const
{
    return youTubeServiceRootURLString();
}

VSXMLNamespaceMap VSServiceGoogleYouTube::standardServiceNamespaces() const
{
    return VSYouTubeConstants::youTubeNamespaces();
}

std::map<std::string, std::string> VSServiceGoogleYouTube::customAuthenticationRequestHeaders() const
{
    return {{"Content-Type", "application/x-www-form-urlencoded"}};
}

std::optional<plat::URL> VSServiceGoogleYouTube::youTubeURLForFeedID(const std::optional<std::string>& feedID)
{
    const std::string root = youTubeServiceRootURLString();
    if (!feedID)
        return plat::URL::URLWithString(root + "api/videos");
    return plat::URL::URLWithString(root + "api/standardfeeds/" + *feedID);
}

std::optional<plat::URL> VSServiceGoogleYouTube::youTubeURLForChannelsFeeds()
{
    return plat::URL::URLWithString(youTubeServiceRootURLString() + "api/channels");
}

std::optional<plat::URL> VSServiceGoogleYouTube::youTubeURLForChannelStandardFeedID(const std::string& feedID)
{
    return plat::URL::URLWithString(youTubeServiceRootURLString() + "api/channelstandardfeeds/" + feedID);
}

std::optional<plat::URL> VSServiceGoogleYouTube::youTubeURLForUserID(
    const std::string& userID, const std::optional<std::string>& userFeedID)
{
    std::string text = youTubeServiceRootURLString() + "api/users/" + VSUtilities::stringByURLEncodingForURI(userID);
    if (userFeedID)
        text += "/" + *userFeedID;
    return plat::URL::URLWithString(text);
}

std::optional<plat::URL> VSServiceGoogleYouTube::youTubeActivityFeedURLForUserID(const std::string& userID)
{
    return plat::URL::URLWithString(
        youTubeServiceRootURLString() + "api/events?author=" + VSUtilities::stringByURLEncodingStringParameter(userID));
}

std::optional<plat::URL> VSServiceGoogleYouTube::youTubeUploadURLForUserID(const std::string& userID)
{
    return plat::URL::URLWithString(
        serviceUploadRootURLString() + "api/users/" + VSUtilities::stringByURLEncodingForURI(userID) + "/uploads");
}

plat::URLRequest VSServiceGoogleYouTube::requestForURL(const plat::URL& url, const std::optional<std::string>& ETag,
    const std::optional<std::string>& httpMethod, const VSServiceTicketPtr& ticket)
{
    plat::URLRequest request = VSServiceGoogle::requestForURL(url, ETag, httpMethod, ticket);
    // The key is the application's credential: it goes where the token may go.
    if (developerKey_ && !developerKey_->empty() && (!ticket || ticket->isWithinOrigin(url)))
        request.setValue("key=" + *developerKey_, "X-GData-Key");
    return request;
}

VSServiceTicketPtr VSServiceGoogleYouTube::fetchAuthenticatedObjectWithURL(const std::optional<plat::URL>& objectURL,
    const VSClass* objectClass, const VSObjectPtr& objectToPost, const std::optional<std::string>& ETag,
    const std::optional<std::string>& httpMethod, std::shared_ptr<SelectorTarget> delegate,
    VSFinishedSelector finishedSelector, VSCompletionHandler completionHandler)
{
    if (objectClass && objectClass->isSubclassOf(VSEntryYouTubeUpload::staticClass()))
        objectClass = &VSEntryYouTubeVideo::staticClass();
    return VSServiceGoogle::fetchAuthenticatedObjectWithURL(objectURL, objectClass, objectToPost, ETag, httpMethod,
        std::move(delegate), std::move(finishedSelector), std::move(completionHandler));
}

}  // namespace zt
