#pragma once
#include <map>
#include <optional>
#include <string>

#include "platform/foundation/URL.h"
#include "videoservice/VSServiceGoogle.h"

namespace zt {

// The client of the video service's data API, protocol version 2: its feed
// and upload addresses, its sign-in service name, version, namespaces and
// developer key header. The reply to an upload is a video entry. Everything
// else is the engine's and the sign-in's. Main thread.
class VSServiceGoogleYouTube : public VSServiceGoogle {
public:
    const char* className() const override { return "VSServiceGoogleYouTube"; }

    std::optional<std::string> classServiceID() const override { return "youtube"; }
    std::optional<std::string> serviceRootURLString() const override;
    std::optional<std::string> defaultServiceVersion() const override { return "2.0"; }
    uint64_t defaultServiceUploadChunkSize() const override { return kVSStandardUploadChunkSize; }
    VSXMLNamespaceMap standardServiceNamespaces() const override;
    std::map<std::string, std::string> customAuthenticationRequestHeaders() const override;

    // The feed root and the upload root, each ending in "/".
    static std::string youTubeServiceRootURLString();
    static std::string serviceUploadRootURLString();

    // Feed addresses. User ids are escaped for a path, the activity author
    // for a query; feed ids go in as they are.
    static std::optional<plat::URL> youTubeURLForFeedID(const std::optional<std::string>& feedID);
    static std::optional<plat::URL> youTubeURLForChannelsFeeds();
    static std::optional<plat::URL> youTubeURLForChannelStandardFeedID(const std::string& feedID);
    static std::optional<plat::URL> youTubeURLForUserID(
        const std::string& userID, const std::optional<std::string>& userFeedID);
    static std::optional<plat::URL> youTubeActivityFeedURLForUserID(const std::string& userID);
    static std::optional<plat::URL> youTubeUploadURLForUserID(const std::string& userID);

    const std::optional<std::string>& youTubeDeveloperKey() const { return developerKey_; }
    void setYouTubeDeveloperKey(const std::optional<std::string>& key) { developerKey_ = key; }

    using VSServiceGoogle::requestForURL;
    // The signed request, then "X-GData-Key" when there is a key (for the
    // request's own host only, as the token).
    plat::URLRequest requestForURL(const plat::URL& url, const std::optional<std::string>& ETag,
        const std::optional<std::string>& httpMethod, const VSServiceTicketPtr& ticket) override;
    // An upload entry's reply is parsed as a video entry.
    VSServiceTicketPtr fetchAuthenticatedObjectWithURL(const std::optional<plat::URL>& objectURL,
        const VSClass* objectClass, const VSObjectPtr& objectToPost, const std::optional<std::string>& ETag,
        const std::optional<std::string>& httpMethod, std::shared_ptr<SelectorTarget> delegate,
        VSFinishedSelector finishedSelector, VSCompletionHandler completionHandler) override;

private:
    std::optional<std::string> developerKey_;
};

}  // namespace zt
