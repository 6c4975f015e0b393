#include "web/WSHTTPFetcherService.h"

#include <algorithm>

#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"

namespace zt {

namespace {

uint64_t countFetchers(const WSHTTPFetcherService::HostMap& hosts)
{
    uint64_t count = 0;
    for (const auto& [host, list] : hosts)
        count += list.size();
    return count;
}

bool listContains(const WSHTTPFetcherService::FetcherList& list, const WSHTTPFetcher* fetcher)
{
    return std::any_of(list.begin(), list.end(), [&](const auto& entry) { return entry.get() == fetcher; });
}

void removeFromList(WSHTTPFetcherService::FetcherList& list, const WSHTTPFetcher* fetcher)
{
    std::erase_if(list, [&](const auto& entry) { return entry.get() == fetcher; });
}

}  // namespace

WSHTTPFetcherService::WSHTTPFetcherService()
    : fetchHistory_(std::make_shared<WSHTTPFetchHistory>())
{
}

WSHTTPFetcherService::~WSHTTPFetcherService()
{
    detachAuthorizer();
}

void WSHTTPFetcherService::configureFetcher(WSHTTPFetcher& fetcher)
{
    fetcher.setFetchHistory(fetchHistory_);
    fetcher.setRunLoopModes(runLoopModes_);
    fetcher.setCookieStorageMethod(cookieStorageMethod_);
    fetcher.setCredential(credential_);
    fetcher.setProxyCredential(proxyCredential_);
    fetcher.setShouldFetchInBackground(shouldFetchInBackground_);
    fetcher.setAuthorizer(authorizer_);
    fetcher.setService(weak_from_this());
    auto request = fetcher.mutableRequest();
    if (!request)
        return;
    if (userAgent_ && !userAgent_->empty() && !request->valueForHTTPHeaderField("User-Agent"))
        request->setValue(*userAgent_, "User-Agent");
    if (timeout_ > 0)
        request->setTimeoutInterval(timeout_);
}

std::shared_ptr<WSHTTPFetcher> WSHTTPFetcherService::fetcherWithRequest(const plat::URLRequest& request)
{
    return fetcherWithRequest<WSHTTPFetcher>(request);
}

std::shared_ptr<WSHTTPFetcher> WSHTTPFetcherService::fetcherWithURL(const plat::URL& url)
{
    return fetcherWithRequest(plat::URLRequest(url));
}

std::shared_ptr<WSHTTPFetcher> WSHTTPFetcherService::fetcherWithURLString(const std::string& text)
{
    return fetcherWithRequest(plat::URLRequest(plat::URL::URLWithString(text)));
}

bool WSHTTPFetcherService::fetcherShouldBeginFetching(const std::shared_ptr<WSHTTPFetcher>& fetcher)
{
    std::lock_guard guard(_lock);
    auto request = fetcher->mutableRequest();
    const std::string host = request && request->url() ? request->url()->host() : std::string();
    if (host.empty())
        return true;  // nothing to count it under
    if (auto running = runningHosts_.find(host);
        running != runningHosts_.end() && listContains(running->second, fetcher.get()))
        return true;
    fetcher->setServiceHost(host);
    fetcher->setThread(std::this_thread::get_id());
    if (maxRunningFetchersPerHost_ != 0) {
        auto running = runningHosts_.find(host);
        if (running != runningHosts_.end() && running->second.size() >= maxRunningFetchersPerHost_) {
            delayedHosts_[host].push_back(fetcher);
            return false;
        }
    }
    runningHosts_[host].push_back(fetcher);
    return true;
}

bool WSHTTPFetcherService::isDelayingFetcher(const WSHTTPFetcher& fetcher)
{
    std::lock_guard guard(_lock);
    auto request = fetcher.mutableRequest();
    if (!request || !request->url())
        return false;
    auto delayed = delayedHosts_.find(request->url()->host());
    return delayed != delayedHosts_.end() && listContains(delayed->second, &fetcher);
}

void WSHTTPFetcherService::fetcherDidStop(const std::shared_ptr<WSHTTPFetcher>& fetcher)
{
    std::lock_guard guard(_lock);
    if (!fetcher->serviceHost())
        return;
    const std::string host = *fetcher->serviceHost();
    FetcherList& running = runningHosts_[host];
    FetcherList& delayed = delayedHosts_[host];
    removeFromList(running, fetcher.get());
    removeFromList(delayed, fetcher.get());
    FetcherList toStart;
    while (!delayed.empty() && (maxRunningFetchersPerHost_ == 0 || running.size() < maxRunningFetchersPerHost_)) {
        // The lowest priority value goes first; among equals, the one queued first.
        auto next = std::min_element(delayed.begin(), delayed.end(),
            [](const auto& a, const auto& b) { return a->servicePriority() < b->servicePriority(); });
        running.push_back(*next);
        toStart.push_back(*next);
        delayed.erase(next);
    }
    if (running.empty())
        runningHosts_.erase(host);
    if (delayed.empty())
        delayedHosts_.erase(host);
    fetcher->setServiceHost(std::nullopt);
    fetcher->setThread(std::nullopt);
    // Started under the (recursive) lock: one that fails to begin comes back here.
    for (const auto& chosen : toStart)
        startFetcher(chosen);
}

void WSHTTPFetcherService::startFetcher(const std::shared_ptr<WSHTTPFetcher>& fetcher)
{
    if (!fetcher->thread() || *fetcher->thread() == std::this_thread::get_id()) {
        fetcher->beginFetchMayDelay(/*mayDelay=*/false, /*mayAuthorize=*/true);
        return;
    }
    // Fetchers live on the main run loop's thread.
    plat::DispatchQueue::mainQueue().async(
        [fetcher] { fetcher->beginFetchMayDelay(/*mayDelay=*/false, /*mayAuthorize=*/true); });
}

void WSHTTPFetcherService::stopFetcher(const std::shared_ptr<WSHTTPFetcher>& fetcher)
{
    if (!fetcher->thread() || *fetcher->thread() == std::this_thread::get_id()) {
        fetcher->stopFetching();
        return;
    }
    plat::DispatchQueue::mainQueue().async([fetcher] { fetcher->stopFetching(); });
}

uint64_t WSHTTPFetcherService::numberOfRunningFetchers() const
{
    std::lock_guard guard(_lock);
    return countFetchers(runningHosts_);
}

uint64_t WSHTTPFetcherService::numberOfDelayedFetchers() const
{
    std::lock_guard guard(_lock);
    return countFetchers(delayedHosts_);
}

void WSHTTPFetcherService::stopAllFetchers()
{
    HostMap delayed;
    {
        std::lock_guard guard(_lock);
        delayed.swap(delayedHosts_);
    }
    for (auto& [host, list] : delayed) {
        for (auto& fetcher : list)
            stopFetcher(fetcher);
    }
    HostMap running;
    {
        std::lock_guard guard(_lock);
        running.swap(runningHosts_);
    }
    for (auto& [host, list] : running) {
        for (auto& fetcher : list)
            stopFetcher(fetcher);
    }
}

bool WSHTTPFetcherService::waitForCompletionOfAllFetchersWithTimeout(double seconds)
{
    const double deadline = plat::Clock::current().uptimeSeconds() + seconds;
    constexpr double kSliceSeconds = 0.001;
    while (numberOfFetchers() > 0 && plat::Clock::current().uptimeSeconds() < deadline)
        plat::RunLoop::main().runUntil(plat::Clock::current().uptimeSeconds() + kSliceSeconds);
    return numberOfFetchers() == 0;
}

WSHTTPFetcherService::HostMap WSHTTPFetcherService::runningHosts() const
{
    std::lock_guard guard(_lock);
    return runningHosts_;
}

void WSHTTPFetcherService::setRunningHosts(const HostMap& hosts)
{
    std::lock_guard guard(_lock);
    runningHosts_ = hosts;
}

WSHTTPFetcherService::HostMap WSHTTPFetcherService::delayedHosts() const
{
    std::lock_guard guard(_lock);
    return delayedHosts_;
}

void WSHTTPFetcherService::setDelayedHosts(const HostMap& hosts)
{
    std::lock_guard guard(_lock);
    delayedHosts_ = hosts;
}

void WSHTTPFetcherService::setAuthorizer(std::shared_ptr<WSFetcherAuthorizationProtocol> authorizer)
{
    if (authorizer == authorizer_)
        return;
    detachAuthorizer();
    authorizer_ = std::move(authorizer);
    if (authorizer_)
        authorizer_->setFetcherService(this);
}

void WSHTTPFetcherService::detachAuthorizer()
{
    if (!authorizer_)
        return;
    auto service = authorizer_->fetcherService();
    if (service && *service == this)
        authorizer_->setFetcherService(nullptr);
}

}  // namespace zt
