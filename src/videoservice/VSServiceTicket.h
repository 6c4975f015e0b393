#pragma once
#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Date.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "videoservice/VSObject.h"
#include "web/Selector.h"
#include "web/WSHTTPFetcher.h"

namespace zt {

class VSFeedBase;
class VSParseOperation;
class VSServiceBase;
class VSServiceTicketBase;

using VSServiceTicketPtr = std::shared_ptr<VSServiceTicketBase>;
// The end of a request: (ticket, the fetched object or nullptr, the error or nullopt).
using VSFinishedSelector
    = Selector<void(const VSServiceTicketPtr&, const VSObjectPtr&, const std::optional<plat::Error>&)>;
using VSCompletionHandler
    = std::function<void(const VSServiceTicketPtr&, const VSObjectPtr&, const std::optional<plat::Error>&)>;
// (ticket, the fetcher's suggestion, the error) -> retry or not.
using VSRetrySelector = Selector<bool(const VSServiceTicketPtr&, bool, const plat::Error&)>;
// (ticket, bytes delivered, total bytes).
using VSUploadProgressSelector = Selector<void(const VSServiceTicketPtr&, uint64_t, uint64_t)>;
using VSUploadProgressHandler = std::function<void(const VSServiceTicketPtr&, uint64_t, uint64_t)>;

// The handle of one service request: its settings (copied from the service
// when made), the fetchers working for it and its outcome. The ticket owns
// its fetchers; each fetcher holds the ticket in its "_ticket" property
// until the request ends or is cancelled. Lives on the thread that started
// the request (the main thread); only the parse runs elsewhere, and it reads
// a snapshot, never the ticket.
class VSServiceTicketBase : public std::enable_shared_from_this<VSServiceTicketBase> {
public:
    static VSServiceTicketPtr ticketForService(const std::shared_ptr<VSServiceBase>& service);
    // Copies the service's settings, in its order.
    explicit VSServiceTicketBase(const std::shared_ptr<VSServiceBase>& service);
    virtual ~VSServiceTicketBase();
    VSServiceTicketBase(const VSServiceTicketBase&) = delete;
    VSServiceTicketBase& operator=(const VSServiceTicketBase&) = delete;

    virtual const char* className() const { return "VSServiceTicketBase"; }
    virtual std::string description() const;

    // Ends the request without a callback and lets go of the service.
    virtual void cancelTicket();
    void pauseUpload();
    void resumeUpload();
    bool isUploadPaused() const;
    int64_t statusCode() const;

    const std::shared_ptr<VSServiceBase>& service() const { return service_; }
    const std::any& userData() const { return userData_; }
    void setUserData(std::any data) { userData_ = std::move(data); }
    const WSPropertyDictionary& properties() const { return ticketProperties_; }
    void setProperties(const WSPropertyDictionary& properties) { ticketProperties_ = properties; }
    // An empty value removes the key.
    void setProperty(std::any value, const std::string& key);
    std::any propertyForKey(std::string_view key) const;
    const VSSurrogates& surrogates() const { return surrogates_; }
    void setSurrogates(const VSSurrogates& surrogates) { surrogates_ = surrogates; }

    const VSUploadProgressSelector& uploadProgressSelector() const { return uploadProgressSelector_; }
    // A progress callback set after the fetch began still gets the progress.
    void setUploadProgressSelector(VSUploadProgressSelector selector);
    const VSUploadProgressHandler& uploadProgressHandler() const { return uploadProgressBlock_; }
    void setUploadProgressHandler(VSUploadProgressHandler handler);
    bool shouldFollowNextLinks() const { return shouldFollowNextLinks_; }
    void setShouldFollowNextLinks(bool follow) { shouldFollowNextLinks_ = follow; }
    bool shouldFeedsIgnoreUnknowns() const { return shouldFeedsIgnoreUnknowns_; }
    void setShouldFeedsIgnoreUnknowns(bool ignore) { shouldFeedsIgnoreUnknowns_ = ignore; }
    bool isRetryEnabled() const { return isRetryEnabled_; }
    void setRetryEnabled(bool enabled) { isRetryEnabled_ = enabled; }
    const VSRetrySelector& retrySelector() const { return retrySEL_; }
    void setRetrySelector(VSRetrySelector selector) { retrySEL_ = std::move(selector); }
    double maxRetryInterval() const { return maxRetryInterval_; }
    void setMaxRetryInterval(double seconds) { maxRetryInterval_ = seconds; }

    const std::shared_ptr<WSHTTPFetcher>& currentFetcher() const { return currentFetcher_; }
    void setCurrentFetcher(std::shared_ptr<WSHTTPFetcher> fetcher) { currentFetcher_ = std::move(fetcher); }
    const std::shared_ptr<WSHTTPFetcher>& objectFetcher() const { return objectFetcher_; }
    void setObjectFetcher(std::shared_ptr<WSHTTPFetcher> fetcher) { objectFetcher_ = std::move(fetcher); }
    bool hasCalledCallback() const { return hasCalledCallback_; }
    void setHasCalledCallback(bool called) { hasCalledCallback_ = called; }
    const VSObjectPtr& postedObject() const { return postedObject_; }
    void setPostedObject(VSObjectPtr object) { postedObject_ = std::move(object); }
    const VSObjectPtr& fetchedObject() const { return fetchedObject_; }
    void setFetchedObject(VSObjectPtr object) { fetchedObject_ = std::move(object); }
    const std::optional<plat::Error>& fetchError() const { return fetchError_; }
    void setFetchError(std::optional<plat::Error> error) { fetchError_ = std::move(error); }
    const std::shared_ptr<VSFeedBase>& accumulatedFeed() const { return accumulatedFeed_; }
    void setAccumulatedFeed(std::shared_ptr<VSFeedBase> feed) { accumulatedFeed_ = std::move(feed); }
    // The first page becomes the accumulated feed; later pages give it their entries.
    void accumulateFeed(const std::shared_ptr<VSFeedBase>& feed);
    uint64_t nextLinksFollowedCounter() const { return nextLinksFollowedCounter_; }
    void setNextLinksFollowedCounter(uint64_t count) { nextLinksFollowedCounter_ = count; }
    const std::shared_ptr<VSParseOperation>& parseOperation() const { return parseOperation_; }
    void setParseOperation(std::shared_ptr<VSParseOperation> operation) { parseOperation_ = std::move(operation); }
    const std::shared_ptr<WSFetcherAuthorizationProtocol>& authorizer() const { return authorizer_; }
    void setAuthorizer(std::shared_ptr<WSFetcherAuthorizationProtocol> authorizer)
    {
        authorizer_ = std::move(authorizer);
    }

    // The URL the caller asked for. Pages that the server names ("next"
    // links) may point anywhere; credentials go only where this URL went.
    const std::optional<plat::URL>& originURL() const { return _originURL; }
    void setOriginURL(std::optional<plat::URL> url) { _originURL = std::move(url); }
    // Same host and port as the origin, and no step down from https to http;
    // true while there is no origin yet.
    bool isWithinOrigin(const plat::URL& url) const;

protected:
    std::shared_ptr<VSServiceBase> service_;
    std::any userData_;
    WSPropertyDictionary ticketProperties_;
    VSSurrogates surrogates_;
    std::shared_ptr<WSHTTPFetcher> currentFetcher_;
    std::shared_ptr<WSHTTPFetcher> objectFetcher_;
    VSUploadProgressSelector uploadProgressSelector_;
    bool shouldFollowNextLinks_ = false;
    bool shouldFeedsIgnoreUnknowns_ = false;
    bool isRetryEnabled_ = false;
    VSRetrySelector retrySEL_;
    double maxRetryInterval_ = 0;
    VSUploadProgressHandler uploadProgressBlock_;
    VSObjectPtr postedObject_;
    VSObjectPtr fetchedObject_;
    std::shared_ptr<VSFeedBase> accumulatedFeed_;
    std::optional<plat::Error> fetchError_;
    bool hasCalledCallback_ = false;
    uint64_t nextLinksFollowedCounter_ = 0;
    std::shared_ptr<VSParseOperation> parseOperation_;
    std::shared_ptr<WSFetcherAuthorizationProtocol> authorizer_;

private:
    std::optional<plat::URL> _originURL;
};

// A ticket of a signed-in service: the sign-in it waits for and the token
// its requests carry.
class VSServiceTicket : public VSServiceTicketBase {
public:
    static VSServiceTicketPtr ticketForService(const std::shared_ptr<VSServiceBase>& service);
    // Also copies the service's token and credential stamp.
    explicit VSServiceTicket(const std::shared_ptr<VSServiceBase>& service);

    const char* className() const override { return "VSServiceTicket"; }
    std::string description() const override;
    // Leaves the sign-in's waiting list first.
    void cancelTicket() override;

    const std::shared_ptr<WSHTTPFetcher>& authFetcher() const { return authFetcher_; }
    void setAuthFetcher(std::shared_ptr<WSHTTPFetcher> fetcher) { authFetcher_ = std::move(fetcher); }
    const std::optional<std::string>& authToken() const { return authToken_; }
    void setAuthToken(std::optional<std::string> token) { authToken_ = std::move(token); }
    const std::optional<plat::Date>& credentialDate() const { return credentialDate_; }
    void setCredentialDate(std::optional<plat::Date> date) { credentialDate_ = date; }
    // Which setting of the credentials the ticket was made under; dates of
    // two settings in the same instant would compare equal.
    uint64_t credentialGeneration() const { return _credentialGeneration; }

private:
    std::shared_ptr<WSHTTPFetcher> authFetcher_;
    std::optional<std::string> authToken_;
    std::optional<plat::Date> credentialDate_;
    uint64_t _credentialGeneration = 0;
};

// The ticket a fetcher works for (its "_ticket" property), or nullptr.
VSServiceTicketPtr ticket(const WSHTTPFetcher& fetcher);

}  // namespace zt
