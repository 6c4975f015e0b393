#include "videoservice/VSServiceTicket.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "videoservice/VSFeedBase.h"
#include "videoservice/VSParseOperation.h"
#include "videoservice/VSServiceBase.h"
#include "videoservice/VSServiceGoogle.h"
#include "web/WSHTTPUploadFetcher.h"

namespace zt {

namespace {

int effectivePort(const plat::URL& url)
{
    if (auto port = url.port())
        return *port;
    return url.scheme() == "https" ? 443 : 80;
}

std::string fetcherDescription(const std::shared_ptr<WSHTTPFetcher>& fetcher)
{
    return fetcher ? fetcher->description() : "(null)";
}

}  // namespace

// --- VSServiceTicketBase ---

VSServiceTicketPtr VSServiceTicketBase::ticketForService(const std::shared_ptr<VSServiceBase>& service)
{
    return std::make_shared<VSServiceTicketBase>(service);
}

VSServiceTicketBase::VSServiceTicketBase(const std::shared_ptr<VSServiceBase>& service)
    : service_(service)
{
    userData_ = service->serviceUserData();
    ticketProperties_ = service->serviceProperties();
    surrogates_ = service->serviceSurrogates();
    uploadProgressSelector_ = service->serviceUploadProgressSelector();
    isRetryEnabled_ = service->isServiceRetryEnabled();
    retrySEL_ = service->serviceRetrySelector();
    maxRetryInterval_ = service->serviceMaxRetryInterval();
    shouldFollowNextLinks_ = service->serviceShouldFollowNextLinks();
    shouldFeedsIgnoreUnknowns_ = service->shouldServiceFeedsIgnoreUnknowns();
    uploadProgressBlock_ = service->serviceUploadProgressHandler();
    authorizer_ = service->authorizer();
}

VSServiceTicketBase::~VSServiceTicketBase() = default;

std::string VSServiceTicketBase::description() const
{
    std::string userData = userData_.has_value() ? userData_.type().name() : "(null)";
    return plat::formatLine("{} {}: {{service:{} currentFetcher:{} userData:{}}}", className(),
        static_cast<const void*>(this), service_ ? service_->className() : "(null)",
        fetcherDescription(currentFetcher_), userData);
}

void VSServiceTicketBase::cancelTicket()
{
    auto self = shared_from_this();
    if (auto operation = std::move(parseOperation_))
        operation->cancel();
    if (auto fetcher = std::move(objectFetcher_)) {
        fetcher->stopFetching();
        fetcher->setProperties(std::nullopt);
    }
    currentFetcher_.reset();
    userData_.reset();
    ticketProperties_.clear();
    uploadProgressSelector_ = nullptr;
    uploadProgressBlock_ = nullptr;
    service_.reset();
}

void VSServiceTicketBase::pauseUpload()
{
    if (auto upload = std::dynamic_pointer_cast<WSHTTPUploadFetcher>(objectFetcher_))
        upload->pauseFetching();
}

void VSServiceTicketBase::resumeUpload()
{
    if (auto upload = std::dynamic_pointer_cast<WSHTTPUploadFetcher>(objectFetcher_))
        upload->resumeFetching();
}

bool VSServiceTicketBase::isUploadPaused() const
{
    auto upload = std::dynamic_pointer_cast<WSHTTPUploadFetcher>(objectFetcher_);
    return upload && upload->isPaused();
}

int64_t VSServiceTicketBase::statusCode() const
{
    return objectFetcher_ ? objectFetcher_->statusCode() : 0;
}

void VSServiceTicketBase::setProperty(std::any value, const std::string& key)
{
    if (!value.has_value())
        ticketProperties_.erase(key);
    else
        ticketProperties_.insert_or_assign(key, std::move(value));
}

std::any VSServiceTicketBase::propertyForKey(std::string_view key) const
{
    auto found = ticketProperties_.find(key);
    return found == ticketProperties_.end() ? std::any() : found->second;
}

void VSServiceTicketBase::setUploadProgressSelector(VSUploadProgressSelector selector)
{
    uploadProgressSelector_ = std::move(selector);
    if (uploadProgressSelector_ && objectFetcher_)
        objectFetcher_->setSentDataSelector(&VSServiceBase::objectFetcherDidSendBytes);
}

void VSServiceTicketBase::setUploadProgressHandler(VSUploadProgressHandler handler)
{
    uploadProgressBlock_ = std::move(handler);
    if (uploadProgressBlock_ && objectFetcher_)
        objectFetcher_->setSentDataSelector(&VSServiceBase::objectFetcherDidSendBytes);
}

void VSServiceTicketBase::accumulateFeed(const std::shared_ptr<VSFeedBase>& feed)
{
    if (!accumulatedFeed_) {
        accumulatedFeed_ = feed;
        return;
    }
    if (!feed->entries())
        return;
    // A copy of the list: detaching an entry changes the feed it came from.
    const VSFeedBase::EntryList entries = *feed->entries();
    for (const auto& entry : entries) {
        entry->setParent(nullptr);
        accumulatedFeed_->addEntry(entry);
    }
}

bool VSServiceTicketBase::isWithinOrigin(const plat::URL& url) const
{
    if (!_originURL)
        return true;
    if (url.host() != _originURL->host() || effectivePort(url) != effectivePort(*_originURL))
        return false;
    return !(_originURL->scheme() == "https" && url.scheme() != "https");
}

// --- VSServiceTicket ---

VSServiceTicketPtr VSServiceTicket::ticketForService(const std::shared_ptr<VSServiceBase>& service)
{
    return std::make_shared<VSServiceTicket>(service);
}

VSServiceTicket::VSServiceTicket(const std::shared_ptr<VSServiceBase>& service)
    : VSServiceTicketBase(service)
{
    if (auto google = std::dynamic_pointer_cast<VSServiceGoogle>(service)) {
        authToken_ = google->authToken();
        credentialDate_ = google->credentialDate();
        _credentialGeneration = google->credentialGeneration();
    }
}

std::string VSServiceTicket::description() const
{
    const char* serviceName = service_ ? service_->className() : "(null)";
    if (authorizer_)
        return plat::formatLine("{} {}: {{service:{} objectFetcher:{} authorizer:{}}}", className(),
            static_cast<const void*>(this), serviceName, fetcherDescription(objectFetcher_),
            static_cast<const void*>(authorizer_.get()));
    return plat::formatLine("{} {}: {{service:{} objectFetcher:{} authFetcher:{}}}", className(),
        static_cast<const void*>(this), serviceName, fetcherDescription(objectFetcher_),
        fetcherDescription(authFetcher_));
}

void VSServiceTicket::cancelTicket()
{
    auto self = shared_from_this();
    if (auto google = std::dynamic_pointer_cast<VSServiceGoogle>(service_))
        google->stopAuthenticationForTicket(std::static_pointer_cast<VSServiceTicket>(self));
    VSServiceTicketBase::cancelTicket();
}

VSServiceTicketPtr ticket(const WSHTTPFetcher& fetcher)
{
    return fetcherProperty<VSServiceTicketPtr>(fetcher, "_ticket");
}

}  // namespace zt
