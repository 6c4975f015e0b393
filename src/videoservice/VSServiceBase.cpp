#include "videoservice/VSServiceBase.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/net/InputStream.h"
#include "videoservice/VSEntryBase.h"
#include "videoservice/VSFeedBase.h"
#include "videoservice/VSNamespaces.h"
#include "videoservice/VSQuery.h"
#include "videoservice/VSXMLDocument.h"
#include "web/WSHTTPFetcherService.h"
#include "web/WSHTTPUploadFetcher.h"

namespace zt {

namespace {

// The client library's name in user agents, and the token that tells a
// user agent already names it.
constexpr const char* kLibraryNameToken = "ZantropeVS";
// A placeholder some callers leave in their user agent.
constexpr const char* kPlaceholderAgentPrefix = "MyCompany-";
// Every byte of a stored password is exclusive-or'd with this.
constexpr uint8_t kPasswordMask = 0x5C;
constexpr double kRequestTimeoutSeconds = 60.0;

bool isEmpty(const std::optional<std::string>& text)
{
    return !text || text->empty();
}

bool equalsIgnoringCase(const std::optional<std::string>& text, std::string_view other)
{
    return text && plat::lowercaseString(*text) == plat::lowercaseString(other);
}

std::optional<std::string> ETagOfObject(const VSObjectPtr& object)
{
    if (auto entry = std::dynamic_pointer_cast<VSEntryBase>(object))
        return entry->ETag();
    if (auto feed = std::dynamic_pointer_cast<VSFeedBase>(object))
        return feed->ETag();
    return std::nullopt;
}

}  // namespace

VSServiceTicketPtr VSServiceInvocation::invoke() const
{
    return service->fetchObjectWithURL(URL, objectClass, objectToPost, ETag, httpMethod, delegate, finishedSelector,
        completionHandler, retryInvocation, ticket);
}

// --- creation and class-level answers ---

VSServiceBase::VSServiceBase() = default;
VSServiceBase::~VSServiceBase() = default;

void VSServiceBase::init()
{
    operationQueue_
        = plat::DispatchQueue::create("com.quorvane.VSServiceBase.parsing", plat::DispatchQueue::Attribute::Concurrent);
    fetcherService_ = std::make_shared<WSHTTPFetcherService>();
    fetcherService_->setShouldRememberETags(true);
    cookieStorageMethod_ = -1;
    setServiceUploadChunkSize(defaultServiceUploadChunkSize());
}

VSTicketClass VSServiceBase::ticketClass() const
{
    return &VSServiceTicketBase::ticketForService;
}

std::string VSServiceBase::systemVersionString()
{
    return deviceModelAndSystemVersion();
}

const plat::Bundle& VSServiceBase::owningBundle() const
{
    return plat::Bundle::mainBundle();
}

std::string VSServiceBase::defaultApplicationIdentifier() const
{
    return applicationIdentifierForBundle(&owningBundle());
}

// --- settings ---

std::optional<std::string> VSServiceBase::serviceVersion() const
{
    return serviceVersion_ ? serviceVersion_ : defaultServiceVersion();
}

void VSServiceBase::setUserAgent(const std::optional<std::string>& agent)
{
    userAgent_ = sanitizeUserAgentToken(agent);
}

const std::vector<std::string>& VSServiceBase::runLoopModes() const
{
    return fetcherService_->runLoopModes();
}

void VSServiceBase::setRunLoopModes(std::vector<std::string> modes)
{
    fetcherService_->setRunLoopModes(std::move(modes));
}

bool VSServiceBase::shouldFetchInBackground() const
{
    return fetcherService_->shouldFetchInBackground();
}

void VSServiceBase::setShouldFetchInBackground(bool value)
{
    fetcherService_->setShouldFetchInBackground(value);
}

void VSServiceBase::setUserCredentialsWithUsername(
    const std::optional<std::string>& username, const std::optional<std::string>& password)
{
    // Another user must not see the first one's cookies, ETags or cached bodies.
    if (username && username != username_)
        fetcherService_->clearHistory();
    username_ = username;
    if (!password) {
        password_.reset();
        return;
    }
    std::vector<uint8_t> masked;
    for (char c : *password) {
        if (c == '\0')
            break;
        masked.push_back(static_cast<uint8_t>(c) ^ kPasswordMask);
    }
    password_ = std::move(masked);
}

std::optional<std::string> VSServiceBase::password() const
{
    if (!password_)
        return std::nullopt;
    // Unmasked straight into the string handed out: no plain copy stays behind.
    std::string plain;
    plain.reserve(password_->size());
    for (uint8_t byte : *password_)
        plain.push_back(static_cast<char>(byte ^ kPasswordMask));
    return plain;
}

const std::shared_ptr<WSFetcherAuthorizationProtocol>& VSServiceBase::authorizer() const
{
    return fetcherService_->authorizer();
}

void VSServiceBase::setAuthorizer(std::shared_ptr<WSFetcherAuthorizationProtocol> authorizer)
{
    if (authorizer)
        setUserCredentialsWithUsername(std::nullopt, std::nullopt);
    if (authorizer != fetcherService_->authorizer())
        clearResponseDataCache();
    fetcherService_->setAuthorizer(std::move(authorizer));
}

bool VSServiceBase::shouldCacheResponseData() const
{
    return fetcherService_->shouldCacheETaggedData();
}

void VSServiceBase::setShouldCacheResponseData(bool cache)
{
    fetcherService_->setShouldCacheETaggedData(cache);
}

uint64_t VSServiceBase::responseDataCacheCapacity() const
{
    return fetcherService_->ETaggedDataCacheCapacity();
}

void VSServiceBase::setResponseDataCacheCapacity(uint64_t bytes)
{
    fetcherService_->setETaggedDataCacheCapacity(bytes);
}

void VSServiceBase::clearResponseDataCache()
{
    fetcherService_->clearETaggedDataCache();
}

void VSServiceBase::setServiceProperty(std::any value, const std::string& key)
{
    if (!value.has_value())
        serviceProperties_.erase(key);
    else
        serviceProperties_.insert_or_assign(key, std::move(value));
}

std::any VSServiceBase::servicePropertyForKey(std::string_view key) const
{
    auto found = serviceProperties_.find(key);
    return found == serviceProperties_.end() ? std::any() : found->second;
}

void VSServiceBase::setServiceUploadChunkSize(uint64_t bytes)
{
    if (bytes == kVSStandardUploadChunkSize)
        bytes = WSHTTPFetcher::doesSupportSentDataCallback() ? kVSUploadChunkSizeWithProgress
                                                             : kVSUploadChunkSizeWithoutProgress;
    uploadChunkSize_ = bytes;
}

// --- requests ---

std::string VSServiceBase::requestUserAgent() const
{
    std::string agent = userAgent_.value_or("");
    if (agent.empty() || plat::hasPrefix(agent, kPlaceholderAgentPrefix))
        agent = defaultApplicationIdentifier();
    if (plat::lowercaseString(agent).find(plat::lowercaseString(kLibraryNameToken)) != std::string::npos)
        return agent;
    return plat::formatLine(
        "{} {}/{} {} (gzip)", agent, kLibraryNameToken, libraryVersionString(), systemVersionString());
}

plat::URLRequest VSServiceBase::requestForURL(const plat::URL& url, const std::optional<std::string>& ETag,
    const std::optional<std::string>& httpMethod, const VSServiceTicketPtr&)
{
    plat::URLRequest request(url, plat::URLRequestCachePolicy::ReloadIgnoringLocalCacheData, kRequestTimeoutSeconds);
    request.setValue(requestUserAgent(), "User-Agent");

    // A version in the query wins over the header.
    const std::string query = url.query().value_or("");
    const bool queryNamesVersion = query.find("&v=") != std::string::npos || plat::hasPrefix(query, "v=");
    if (auto version = serviceVersion(); !isEmpty(version) && !queryNamesVersion)
        request.setValue(*version, "GData-Version");

    if (!isEmpty(httpMethod))
        request.setHTTPMethod(*httpMethod);

    if (!isEmpty(ETag)) {
        const bool isWeak = plat::hasPrefix(*ETag, "W/");
        if (isEmpty(httpMethod) || equalsIgnoringCase(httpMethod, "GET")) {
            request.setValue(*ETag, "If-None-Match");
        } else if (equalsIgnoringCase(httpMethod, "PUT") || equalsIgnoringCase(httpMethod, "DELETE")
            || equalsIgnoringCase(httpMethod, "PATCH")) {
            // A weak ETag cannot promise the byte-for-byte state a change needs.
            if (!isWeak)
                request.setValue(*ETag, "If-Match");
        }
    }
    return request;
}

plat::URLRequest VSServiceBase::objectRequestForURL(const plat::URL& url, const VSObjectPtr& object,
    const std::optional<std::string>& ETag, const std::optional<std::string>& httpMethod,
    const VSServiceTicketPtr& ticket)
{
    std::optional<std::string> tag = ETag;
    if (object && isEmpty(tag))
        tag = ETagOfObject(object);
    std::string contentType = "application/atom+xml; charset=utf-8";
    if (object && equalsIgnoringCase(httpMethod, "PATCH"))
        contentType = "application/xml; charset=utf-8";
    plat::URLRequest request = requestForURL(url, tag, httpMethod, ticket);
    request.setValue("application/atom+xml, text/xml", "Accept");
    request.setValue(contentType, "Content-Type");
    request.setValue("no-cache", "Cache-Control");
    return request;
}

void VSServiceBase::addAuthenticationToFetcher(WSHTTPFetcher& fetcher)
{
    auto password = this->password();
    if (isEmpty(username_) || isEmpty(password))
        return;
    auto owner = ticket(fetcher);
    auto request = fetcher.mutableRequest();
    if (owner && request && request->url() && !owner->isWithinOrigin(*request->url()))
        return;
    fetcher.setCredential(
        plat::URLCredential::credentialWithUser(*username_, *password, plat::URLCredentialPersistence::ForSession));
}

// --- the central fetch ---

VSServiceTicketPtr VSServiceBase::fetchObjectWithURL(const std::optional<plat::URL>& URL, const VSClass* objectClass,
    const VSObjectPtr& objectToPost, const std::optional<std::string>& ETag,
    const std::optional<std::string>& httpMethod, std::shared_ptr<SelectorTarget> delegate,
    VSFinishedSelector finishedSelector, VSCompletionHandler completionHandler,
    std::weak_ptr<VSServiceInvocation> retryInvocationValue, VSServiceTicketPtr ticket)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto self = shared_from_this();

    std::optional<plat::URL> uploadLocation;
    if (objectToPost) {
        if (auto location = objectToPost->uploadLocationURL())
            uploadLocation = plat::URL::URLWithString(*location);
    }
    if (!URL && !uploadLocation)
        return nullptr;

    if (!ticket)
        ticket = ticketClass()(self);
    if (URL && !ticket->originURL())
        ticket->setOriginURL(URL);

    // Without a URL only the restart of an upload from its location works.
    plat::URLRequest request;
    if (URL)
        request = objectRequestForURL(*URL, objectToPost, ETag, httpMethod, ticket);
    const uint64_t chunkSize = serviceUploadChunkSize();

    std::shared_ptr<WSHTTPFetcher> fetcher;
    std::optional<plat::Data> postData;
    std::shared_ptr<plat::InputStream> postStream;
    std::optional<plat::Data> streamData;
    WSHTTPFetcher::SentDataSelector sentDataSelector;

    if (!objectToPost) {
        fetcher = fetcherService_->fetcherWithRequest(request);
    } else {
        ticket->setPostedObject(objectToPost);
        auto entry = std::dynamic_pointer_cast<VSEntryBase>(objectToPost);
        const bool supportsSentData = WSHTTPFetcher::doesSupportSentDataCallback();
        const bool isChunked = (objectToPost->uploadData() || objectToPost->uploadFileHandle()) && chunkSize != 0;
        const bool isDataOnly = objectToPost->shouldUploadDataOnly() || uploadLocation.has_value();
        const bool hasProgress = ticket->uploadProgressSelector() || ticket->uploadProgressHandler();

        plat::Dictionary headers;
        uint64_t length = 0;
        bool hasGeneratedBody = false;
        if (!isChunked) {
            if (auto body = objectToPost->generateContentInputStream()) {
                postStream = body->stream;
                length = body->length;
                headers = body->headers;
                hasGeneratedBody = true;
            }
        }
        if (isChunked && isDataOnly) {
            // The upload fetcher sends the media alone.
            if (entry)
                headers = entry->contentHeaders();
        } else if (!hasGeneratedBody) {
            auto document = objectToPost->XMLDocument();
            plat::Data xml = document ? document->XMLData().value_or(plat::Data()) : plat::Data();
            length = xml.size();
            if (!supportsSentData && hasProgress && !isChunked) {
                // The fetcher reports progress as it reads the stream.
                postStream = plat::InputStream::inputStreamWithData(xml);
                streamData = std::move(xml);
            } else {
                postData = std::move(xml);
            }
            if (entry && !isEmpty(entry->uploadSlug()))
                request.setValue(*entry->uploadSlug(), "Slug");
        }
        for (const auto& [name, value] : headers) {
            if (const std::string* text = value.asString())
                request.setValue(*text, name);
        }
        request.setValue(std::to_string(length), "Content-Length");
        if (hasProgress && (supportsSentData || isChunked))
            sentDataSelector = &VSServiceBase::objectFetcherDidSendBytes;

        if (isChunked) {
            const uint64_t uploadChunkSize = std::max(chunkSize, kVSMinimumUploadChunkSize);
            const std::string MIMEType = objectToPost->uploadMIMEType().value_or("");
            if (auto data = objectToPost->uploadData())
                fetcher = WSHTTPUploadFetcher::uploadFetcherWithRequest(
                    request, data, MIMEType, uploadChunkSize, fetcherService_);
            else if (uploadLocation)
                fetcher = WSHTTPUploadFetcher::uploadFetcherWithLocation(
                    *uploadLocation, objectToPost->uploadFileHandle(), MIMEType, uploadChunkSize, fetcherService_);
            else
                fetcher = WSHTTPUploadFetcher::uploadFetcherWithRequest(
                    request, objectToPost->uploadFileHandle(), MIMEType, uploadChunkSize, fetcherService_);
        } else {
            fetcher = fetcherService_->fetcherWithRequest(request);
        }
    }

    // A reply beyond what the parser takes is refused as it comes, not held first.
    fetcher->setMaximumDownloadLength(kVSXMLMaxDocumentBytes);
    if (cookieStorageMethod_ >= 0)
        fetcher->setCookieStorageMethod(cookieStorageMethod_);
    fetcher->setRetryEnabled(ticket->isRetryEnabled());
    fetcher->setMaxRetryInterval(ticket->maxRetryInterval());
    if (ticket->retrySelector())
        fetcher->setRetrySelector(&VSServiceBase::objectFetcherWillRetry);
    ticket->setObjectFetcher(fetcher);
    ticket->setCurrentFetcher(fetcher);

    if (objectClass)
        fetcher->setProperty(objectClass, "_objectClass");
    if (delegate)
        fetcher->setProperty(delegate, "_delegate");
    if (finishedSelector)
        fetcher->setProperty(finishedSelector, "_finishedSelector");
    fetcher->setProperty(ticket, "_ticket");
    if (completionHandler)
        fetcher->setProperty(completionHandler, "_completionHandler");
    if (auto retryInvocation = retryInvocationValue.lock())
        fetcher->setProperty(retryInvocation, "_retryInvocation");
    if (postData)
        fetcher->setPostData(std::move(postData));
    if (postStream)
        fetcher->setPostStream(postStream);
    fetcher->setSentDataSelector(sentDataSelector);
    if (streamData)
        fetcher->setProperty(std::move(*streamData), "_streamData");
    fetcher->setAuthorizer(ticket->authorizer());
    addAuthenticationToFetcher(*fetcher);

    const bool began = fetcher->beginFetchWithDelegate(self, &VSServiceBase::objectFetcher);
    if (began && !ticket->hasCalledCallback())
        return ticket;
    // A fetch that failed at once has already called back through the failure path.
    fetcher->setProperties(std::nullopt);
    ticket->setCurrentFetcher(nullptr);
    return nullptr;
}

// --- unauthenticated fetches ---

VSServiceTicketPtr VSServiceBase::fetchPublicFeedWithURL(const plat::URL& feedURL, const VSClass* feedClass,
    std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector)
{
    return fetchObjectWithURL(feedURL, feedClass, nullptr, std::nullopt, std::nullopt, std::move(delegate),
        std::move(finishedSelector), nullptr, {}, nullptr);
}

VSServiceTicketPtr VSServiceBase::fetchPublicFeedWithURL(
    const plat::URL& feedURL, const VSClass* feedClass, VSCompletionHandler handler)
{
    return fetchObjectWithURL(
        feedURL, feedClass, nullptr, std::nullopt, std::nullopt, nullptr, nullptr, std::move(handler), {}, nullptr);
}

VSServiceTicketPtr VSServiceBase::fetchPublicEntryWithURL(const plat::URL& entryURL, const VSClass* entryClass,
    std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector)
{
    return fetchObjectWithURL(entryURL, entryClass, nullptr, std::nullopt, std::nullopt, std::move(delegate),
        std::move(finishedSelector), nullptr, {}, nullptr);
}

VSServiceTicketPtr VSServiceBase::fetchPublicEntryWithURL(
    const plat::URL& entryURL, const VSClass* entryClass, VSCompletionHandler handler)
{
    return fetchObjectWithURL(
        entryURL, entryClass, nullptr, std::nullopt, std::nullopt, nullptr, nullptr, std::move(handler), {}, nullptr);
}

VSServiceTicketPtr VSServiceBase::fetchPublicFeedWithQuery(const VSQuery& query, const VSClass* feedClass,
    std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector)
{
    auto url = query.URL();
    if (!url)
        return nullptr;
    return fetchPublicFeedWithURL(*url, feedClass, std::move(delegate), std::move(finishedSelector));
}

VSServiceTicketPtr VSServiceBase::fetchPublicFeedWithQuery(
    const VSQuery& query, const VSClass* feedClass, VSCompletionHandler handler)
{
    auto url = query.URL();
    if (!url)
        return nullptr;
    return fetchPublicFeedWithURL(*url, feedClass, std::move(handler));
}

void VSServiceBase::addBatchNamespacesToFeed(VSFeedBase& batchFeed)
{
    const auto namespaces = batchFeed.namespaces();
    if (!namespaces.contains(kVSNamespaceGDataPrefix))
        batchFeed.addNamespaces(VSEntryBase::baseVSNamespaces());
    if (!namespaces.contains(kVSNamespaceBatchPrefix))
        batchFeed.addNamespaces(VSEntryBase::batchNamespaces());
}

VSServiceTicketPtr VSServiceBase::fetchPublicFeedWithBatchFeed(const std::shared_ptr<VSFeedBase>& batchFeed,
    const plat::URL& feedURL, std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector)
{
    return fetchPublicFeedWithBatchFeed(batchFeed, feedURL, std::move(delegate), std::move(finishedSelector), nullptr);
}

VSServiceTicketPtr VSServiceBase::fetchPublicFeedWithBatchFeed(
    const std::shared_ptr<VSFeedBase>& batchFeed, const plat::URL& feedURL, VSCompletionHandler handler)
{
    return fetchPublicFeedWithBatchFeed(batchFeed, feedURL, nullptr, nullptr, std::move(handler));
}

VSServiceTicketPtr VSServiceBase::fetchPublicFeedWithBatchFeed(const std::shared_ptr<VSFeedBase>& batchFeed,
    const plat::URL& feedURL, std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector,
    VSCompletionHandler handler)
{
    addBatchNamespacesToFeed(*batchFeed);
    // No method: the fetcher posts a request with a body.
    auto ticket = fetchObjectWithURL(feedURL, &batchFeed->objectClass(), batchFeed, std::nullopt, std::nullopt,
        std::move(delegate), std::move(finishedSelector), std::move(handler), {}, nullptr);
    if (ticket)
        ticket->setShouldFeedsIgnoreUnknowns(false);
    return ticket;
}

}  // namespace zt
