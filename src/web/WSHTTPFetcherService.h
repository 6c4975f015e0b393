#pragma once
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "web/WSHTTPFetchHistory.h"
#include "web/WSHTTPFetcher.h"

namespace zt {

// A fetcher factory that hands its common settings to every fetcher it
// makes, admits at most a set number of running fetchers per host and queues
// the rest by priority. Fetchers start and stop on the main thread; the
// admission lists are guarded by a recursive lock.
class WSHTTPFetcherService : public WSHTTPFetcherServiceProtocol,
                             public std::enable_shared_from_this<WSHTTPFetcherService> {
public:
    using FetcherList = std::vector<std::shared_ptr<WSHTTPFetcher>>;
    using HostMap = std::map<std::string, FetcherList>;

    WSHTTPFetcherService();
    ~WSHTTPFetcherService() override;

    template <typename Fetcher> std::shared_ptr<Fetcher> fetcherWithRequest(const plat::URLRequest& request)
    {
        auto fetcher = Fetcher::fetcherWithRequest(request);
        configureFetcher(*fetcher);
        return fetcher;
    }
    std::shared_ptr<WSHTTPFetcher> fetcherWithRequest(const plat::URLRequest& request) override;
    std::shared_ptr<WSHTTPFetcher> fetcherWithURL(const plat::URL& url);
    std::shared_ptr<WSHTTPFetcher> fetcherWithURLString(const std::string& text);
    // Gives a fetcher made elsewhere the service's settings, in their fixed order.
    void configureFetcher(WSHTTPFetcher& fetcher);

    bool fetcherShouldBeginFetching(const std::shared_ptr<WSHTTPFetcher>& fetcher) override;
    bool isDelayingFetcher(const WSHTTPFetcher& fetcher) override;
    void fetcherDidStop(const std::shared_ptr<WSHTTPFetcher>& fetcher) override;

    uint64_t numberOfRunningFetchers() const;
    uint64_t numberOfDelayedFetchers() const;
    uint64_t numberOfFetchers() const { return numberOfRunningFetchers() + numberOfDelayedFetchers(); }
    void stopAllFetchers();
    bool waitForCompletionOfAllFetchersWithTimeout(double seconds);

    bool shouldRememberETags() const { return fetchHistory_->shouldRememberETags(); }
    void setShouldRememberETags(bool remember) { fetchHistory_->setShouldRememberETags(remember); }
    bool shouldCacheETaggedData() const { return fetchHistory_->shouldCacheETaggedData(); }
    void setShouldCacheETaggedData(bool cache) { fetchHistory_->setShouldCacheETaggedData(cache); }
    uint64_t ETaggedDataCacheCapacity() const { return fetchHistory_->memoryCapacity(); }
    void setETaggedDataCacheCapacity(uint64_t bytes) { fetchHistory_->setMemoryCapacity(bytes); }
    void clearETaggedDataCache() { fetchHistory_->clearETaggedDataCache(); }
    void clearHistory() { fetchHistory_->clearHistory(); }

    HostMap runningHosts() const;
    void setRunningHosts(const HostMap& hosts);
    HostMap delayedHosts() const;
    void setDelayedHosts(const HostMap& hosts);

    uint64_t maxRunningFetchersPerHost() const { return maxRunningFetchersPerHost_; }
    void setMaxRunningFetchersPerHost(uint64_t limit) { maxRunningFetchersPerHost_ = limit; }
    const std::optional<std::string>& userAgent() const { return userAgent_; }
    void setUserAgent(std::optional<std::string> agent) { userAgent_ = std::move(agent); }
    double timeout() const { return timeout_; }
    void setTimeout(double seconds) { timeout_ = seconds; }
    const std::vector<std::string>& runLoopModes() const { return runLoopModes_; }
    void setRunLoopModes(std::vector<std::string> modes) { runLoopModes_ = std::move(modes); }
    const std::optional<plat::URLCredential>& credential() const { return credential_; }
    void setCredential(std::optional<plat::URLCredential> credential) { credential_ = std::move(credential); }
    const std::optional<plat::URLCredential>& proxyCredential() const { return proxyCredential_; }
    void setProxyCredential(std::optional<plat::URLCredential> credential) { proxyCredential_ = std::move(credential); }
    int64_t cookieStorageMethod() const { return cookieStorageMethod_; }
    void setCookieStorageMethod(int64_t method) { cookieStorageMethod_ = method; }
    bool shouldFetchInBackground() const { return shouldFetchInBackground_; }
    void setShouldFetchInBackground(bool value) { shouldFetchInBackground_ = value; }
    const std::shared_ptr<WSHTTPFetchHistory>& fetchHistory() const { return fetchHistory_; }
    void setFetchHistory(std::shared_ptr<WSHTTPFetchHistory> history) { fetchHistory_ = std::move(history); }
    const std::shared_ptr<WSFetcherAuthorizationProtocol>& authorizer() const { return authorizer_; }
    void setAuthorizer(std::shared_ptr<WSFetcherAuthorizationProtocol> authorizer);

private:
    void startFetcher(const std::shared_ptr<WSHTTPFetcher>& fetcher);
    void stopFetcher(const std::shared_ptr<WSHTTPFetcher>& fetcher);
    void detachAuthorizer();

    mutable std::recursive_mutex _lock;
    HostMap delayedHosts_;  // guarded by _lock
    HostMap runningHosts_;  // guarded by _lock
    uint64_t maxRunningFetchersPerHost_ = 10;
    std::shared_ptr<WSHTTPFetchHistory> fetchHistory_;
    std::vector<std::string> runLoopModes_;
    std::optional<std::string> userAgent_;
    double timeout_ = 0;
    std::optional<plat::URLCredential> credential_;
    std::optional<plat::URLCredential> proxyCredential_;
    int64_t cookieStorageMethod_ = kWSHTTPFetcherCookieStorageMethodFetchHistory;
    bool shouldFetchInBackground_ = false;
    std::shared_ptr<WSFetcherAuthorizationProtocol> authorizer_;
};

}  // namespace zt
