// The reply half of the service engine: parsing on the operation queue,
// delivery on the main thread, next pages, failures, progress and retries.
#include <thread>

#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "videoservice/VSFeedBase.h"
#include "videoservice/VSParseOperation.h"
#include "videoservice/VSServerError.h"
#include "videoservice/VSServiceBase.h"
#include "videoservice/VSXMLDocument.h"
#include "web/WSHTTPFetcherService.h"

namespace zt {

namespace {

// Pages fetched after the first, at most, for one ticket.
constexpr uint64_t kMaxNextLinksFollowed = 25;
constexpr double kWaitSliceSeconds = 0.001;
constexpr std::string_view kServerErrorContentType = "application/vnd.google.gdata.error+xml";

bool isCancelled(const VSParseOperation* operation)
{
    return operation != nullptr && operation->isCancelled();
}

// A reply is only trusted to be the object asked for when its root element
// is that class's own element; anything else (an HTML page, an error
// document, another vocabulary) yields no object.
bool rootElementMatchesClass(const VSXMLElement& root, const VSClass& cls)
{
    if (!cls.answersExtension())
        return true;
    return root.localName() == std::optional<std::string>(cls.extensionElementLocalName)
        && root.URI().value_or("") == (cls.extensionElementURI ? cls.extensionElementURI : "");
}

void postTicketNotification(const char* name, const VSServiceTicketPtr& ticket)
{
    plat::NotificationCenter::defaultCenter().post(name, ticket.get());
}

plat::Array arrayOfServerErrors(const VSServerErrorGroup& group)
{
    plat::Array records;
    for (const auto& error : group.errors()) {
        plat::Dictionary record;
        auto put = [&](const char* key, const std::optional<std::string>& value) {
            if (value)
                record.set(key, *value);
        };
        put("domain", error.domain());
        put("code", error.code());
        put("internalReason", error.internalReason());
        put("extendedHelp", error.extendedHelpURI());
        put("sendReport", error.sendReportURI());
        records.append(record);
    }
    return records;
}

}  // namespace

// --- parsing ---

VSServiceBase::ParsedReply VSServiceBase::parseObjectFromData(const plat::Data& data, const VSClass* objectClass,
    const std::optional<std::string>& serviceVersion, const VSSurrogates& surrogates, bool shouldFeedsIgnoreUnknowns,
    const VSParseOperation* operation)
{
    ParsedReply reply;
    if (data.empty())
        return reply;
    auto document = VSXMLDocument::initWithData(data);
    if (!document.ok()) {
        reply.error = document.error();
        return reply;
    }
    if (isCancelled(operation))
        return reply;
    auto root = document.value()->rootElement();
    if (!root)
        return reply;
    const VSClass* cls = objectClass ? objectClass : VSObject::objectClassForXMLElement(*root, nullptr);
    if (!cls || !rootElementMatchesClass(*root, *cls))
        return reply;
    if (auto surrogate = surrogates.find(cls); surrogate != surrogates.end())
        cls = surrogate->second;
    const bool isFeedClass = cls->isSubclassOf(VSFeedBase::staticClass());
    auto object = VSObject::objectWithXMLElement(
        *cls, root, nullptr, serviceVersion, surrogates, isFeedClass && shouldFeedsIgnoreUnknowns);
    if (!object)
        return reply;
    object->clearExtensionDeclarationsCache();
    object->setProperty(document.value(), "_XMLDocument");
    reply.object = std::move(object);
    return reply;
}

void VSServiceBase::objectFetcher(
    WSHTTPFetcher& fetcher, const std::optional<plat::Data>& data, const std::optional<plat::Error>& error)
{
    if (error) {
        objectFetcherFailedWithData(fetcher, data, *error);
        return;
    }
    fetcher.setProperty(std::this_thread::get_id(), "_callbackThread");
    fetcher.setProperty(runLoopModes(), "_runLoopModes");
    postTicketNotification(kVSServiceTicketParsingStartedNotification, ticket(fetcher));
    parseObjectFromDataOfFetcher(fetcher.shared_from_this());
}

void VSServiceBase::parseObjectFromDataOfFetcher(const std::shared_ptr<WSHTTPFetcher>& fetcher)
{
    auto owner = ticket(*fetcher);
    const plat::Data data = fetcher->downloadedData().value_or(plat::Data());
    const auto headers = fetcher->responseHeaders().value_or(plat::HTTPHeaders());
    const std::optional<std::string> replyVersion = headers.value("Gdata-Version");
    const auto* objectClass = fetcherProperty<const VSClass*>(*fetcher, "_objectClass");
    const VSSurrogates surrogates = owner ? owner->surrogates() : VSSurrogates();
    const bool shouldIgnoreUnknowns = owner && owner->shouldFeedsIgnoreUnknowns();

    auto store = [](WSHTTPFetcher& target, ParsedReply reply) {
        if (reply.object)
            target.setProperty(std::move(reply.object), "_parsedObject");
        if (reply.error)
            target.setProperty(std::move(*reply.error), "_parseError");
    };

    if (!operationQueue_) {
        store(*fetcher, parseObjectFromData(data, objectClass, replyVersion, surrogates, shouldIgnoreUnknowns));
        fetcher->setProperty(std::any(), "_callbackThread");
        handleParsedObjectForFetcher(fetcher);
        return;
    }

    // The parse gets copies of what it reads; the fetcher and the ticket stay
    // on the main thread, where the result is stored and delivered.
    auto operation = std::make_shared<VSParseOperation>();
    if (owner)
        owner->setParseOperation(operation);
    operationQueue_->async([self = shared_from_this(), fetcher, operation, data, objectClass, replyVersion, surrogates,
                               shouldIgnoreUnknowns, store]() mutable {
        ParsedReply reply
            = parseObjectFromData(data, objectClass, replyVersion, surrogates, shouldIgnoreUnknowns, operation.get());
        if (operation->isCancelled())
            return;
        plat::DispatchQueue::mainQueue().async(
            [self = std::move(self), fetcher = std::move(fetcher), operation, reply = std::move(reply), store]() {
                // Cancelled while the hand-over waited: nothing is delivered.
                if (operation->isCancelled())
                    return;
                store(*fetcher, reply);
                self->handleParsedObjectForFetcher(fetcher);
            });
    });
}

void VSServiceBase::handleParsedObjectForFetcher(const std::shared_ptr<WSHTTPFetcher>& fetcher)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto self = shared_from_this();
    auto owner = ticket(*fetcher);
    if (!owner)
        return;  // the request was cancelled and its properties cleared
    owner->setParseOperation(nullptr);
    auto delegate = fetcherProperty<std::shared_ptr<SelectorTarget>>(*fetcher, "_delegate");
    auto object = fetcherProperty<VSObjectPtr>(*fetcher, "_parsedObject");
    std::optional<plat::Error> parseError;
    if (auto stored = fetcher->propertyForKey("_parseError"); const auto* error = std::any_cast<plat::Error>(&stored))
        parseError = *error;
    auto selector = fetcherProperty<VSFinishedSelector>(*fetcher, "_finishedSelector");
    auto handler = fetcherProperty<VSCompletionHandler>(*fetcher, "_completionHandler");
    postTicketNotification(kVSServiceTicketParsingStoppedNotification, owner);

    const auto& data = fetcher->downloadedData();
    if (!object && data && !data->empty()) {
        plat::Error error = parseError
            ? *parseError
            : plat::Error(kVSServiceErrorDomain, kVSServiceErrorParsingFailed, "The reply could not be read.");
        invokeCallback(selector, delegate.get(), owner, nullptr, error);
        if (handler)
            handler(owner, nullptr, error);
        owner->setFetchError(error);
    } else {
        if (auto feed = std::dynamic_pointer_cast<VSFeedBase>(object); feed && owner->shouldFollowNextLinks()) {
            owner->accumulateFeed(feed);
            auto next = feed->nextLink();
            auto href = next ? next->href() : std::nullopt;
            auto base = fetcher->mutableRequest() ? fetcher->mutableRequest()->url() : std::nullopt;
            auto nextURL = !href ? std::nullopt
                : base           ? plat::URL::URLWithString(*href, *base)
                                 : plat::URL::URLWithString(*href);
            if (nextURL && fetchNextFeedWithURL(*nextURL, delegate, selector, handler, owner)) {
                // This page is done; the last page calls back.
                fetcher->setProperties(std::nullopt);
                return;
            }
            if (owner->hasCalledCallback()) {
                // The next page failed before it began and has called back with that failure.
                fetcher->setProperties(std::nullopt);
                return;
            }
        }
        if (auto accumulated = owner->accumulatedFeed()) {
            if (auto next = accumulated->nextLink())
                accumulated->removeLink(*next);
            object = accumulated;
        }
        invokeCallback(selector, delegate.get(), owner, object, std::nullopt);
        if (handler)
            handler(owner, object, std::nullopt);
        owner->setFetchedObject(object);
    }
    fetcher->setProperties(std::nullopt);
    owner->setHasCalledCallback(true);
    owner->setCurrentFetcher(nullptr);
}

bool VSServiceBase::fetchNextFeedWithURL(const plat::URL& nextFeedURL, std::shared_ptr<SelectorTarget> delegate,
    VSFinishedSelector finishedSelector, VSCompletionHandler completionHandler, const VSServiceTicketPtr& ticket)
{
    if (ticket->nextLinksFollowedCounter() > kMaxNextLinksFollowed)
        return false;
    ticket->setNextLinksFollowedCounter(ticket->nextLinksFollowedCounter() + 1);
    const VSClass* feedClass = ticket->accumulatedFeed() ? &ticket->accumulatedFeed()->objectClass() : nullptr;
    auto started = fetchObjectWithURL(nextFeedURL, feedClass, nullptr, std::nullopt, std::nullopt, std::move(delegate),
        std::move(finishedSelector), std::move(completionHandler), {}, ticket);
    return started == ticket;
}

// --- failure ---

plat::Dictionary VSServiceBase::userInfoForErrorResponseData(const std::optional<plat::Data>& data,
    const std::optional<std::string>& contentType, const plat::Dictionary& previousUserInfo)
{
    plat::Dictionary userInfo = previousUserInfo.copy();
    if (!data || data->empty())
        return userInfo;
    std::optional<std::string> message;
    if (contentType && plat::hasPrefix(plat::lowercaseString(*contentType), kServerErrorContentType)) {
        if (auto group = VSServerErrorGroup::initWithData(*data)) {
            userInfo.set(kVSServerErrorsKey, arrayOfServerErrors(*group));
            if (const auto* mainError = group->mainError())
                message = mainError->summary();
        }
    }
    if (userInfo.empty()) {
        std::string_view text(reinterpret_cast<const char*>(data->data()), data->size());
        if (plat::isValidUtf8(text))
            message = std::string(text);
    }
    if (message) {
        userInfo.set(kVSErrorTextKey, *message);
        userInfo.set(plat::kLocalizedFailureReasonErrorKey, "(" + *message + ")");
    }
    return userInfo;
}

void VSServiceBase::objectFetcherFailedWithData(
    WSHTTPFetcher& fetcher, const std::optional<plat::Data>& data, const plat::Error& error)
{
    auto self = shared_from_this();
    auto keepFetcher = fetcher.shared_from_this();
    auto owner = ticket(fetcher);
    auto delegate = fetcherProperty<std::shared_ptr<SelectorTarget>>(fetcher, "_delegate");
    auto selector = fetcherProperty<VSFinishedSelector>(fetcher, "_finishedSelector");
    auto handler = fetcherProperty<VSCompletionHandler>(fetcher, "_completionHandler");
    const auto headers = fetcher.responseHeaders().value_or(plat::HTTPHeaders());
    plat::Error failure(error.domain(), error.code(), error.localizedDescription(),
        userInfoForErrorResponseData(data, headers.value("Content-Type"), error.userInfo()));
    invokeCallback(selector, delegate.get(), owner, nullptr, failure);
    if (handler)
        handler(owner, nullptr, failure);
    fetcher.setProperties(std::nullopt);
    if (owner) {
        owner->setFetchError(failure);
        owner->setHasCalledCallback(true);
        owner->setCurrentFetcher(nullptr);
    }
}

// --- callbacks ---

void VSServiceBase::invokeCallback(const VSFinishedSelector& selector, SelectorTarget* target,
    const VSServiceTicketPtr& ticket, const VSObjectPtr& object, const std::optional<plat::Error>& error)
{
    if (target && selector.respondsTo(*target))
        selector(*target, ticket, object, error);
}

bool VSServiceBase::invokeRetrySelector(const VSRetrySelector& selector, SelectorTarget* delegate,
    const VSServiceTicketPtr& ticket, bool willRetry, const plat::Error& error)
{
    if (delegate && selector.respondsTo(*delegate))
        return selector(*delegate, ticket, willRetry, error);
    return willRetry;
}

bool VSServiceBase::objectFetcherWillRetry(WSHTTPFetcher& fetcher, bool suggestedWillRetry, const plat::Error& error)
{
    auto owner = ticket(fetcher);
    if (!owner)
        return suggestedWillRetry;
    auto delegate = fetcherProperty<std::shared_ptr<SelectorTarget>>(fetcher, "_delegate");
    return invokeRetrySelector(owner->retrySelector(), delegate.get(), owner, suggestedWillRetry, error);
}

void VSServiceBase::objectFetcherDidSendBytes(
    WSHTTPFetcher& fetcher, int64_t, int64_t totalBytesSent, int64_t totalBytesExpectedToSend)
{
    auto owner = ticket(fetcher);
    if (!owner)
        return;
    auto delegate = fetcherProperty<std::shared_ptr<SelectorTarget>>(fetcher, "_delegate");
    invokeProgressCallbackForTicket(owner, static_cast<uint64_t>(std::max<int64_t>(totalBytesSent, 0)),
        static_cast<uint64_t>(std::max<int64_t>(totalBytesExpectedToSend, 0)), delegate.get());
}

void VSServiceBase::invokeProgressCallbackForTicket(
    const VSServiceTicketPtr& ticket, uint64_t deliveredBytes, uint64_t totalBytes, SelectorTarget* delegate)
{
    const auto& selector = ticket->uploadProgressSelector();
    if (delegate && selector.respondsTo(*delegate))
        selector(*delegate, ticket, deliveredBytes, totalBytes);
    if (auto handler = ticket->uploadProgressHandler())
        handler(ticket, deliveredBytes, totalBytes);
}

// --- waiting ---

bool VSServiceBase::waitForTicket(const VSServiceTicketPtr& ticket, double timeoutSeconds, VSObjectPtr* fetchedObject,
    std::optional<plat::Error>* error)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    const double deadline = plat::Clock::current().uptimeSeconds() + timeoutSeconds;
    while (!ticket->hasCalledCallback() && plat::Clock::current().uptimeSeconds() < deadline)
        plat::RunLoop::main().runUntil(plat::Clock::current().uptimeSeconds() + kWaitSliceSeconds);
    std::optional<plat::Error> failure = ticket->fetchError();
    if (!failure && !ticket->hasCalledCallback())
        failure = plat::Error(kVSServiceErrorDomain, kVSServiceErrorWaitTimedOut, "The request did not end in time.");
    if (fetchedObject)
        *fetchedObject = ticket->fetchedObject();
    if (error)
        *error = failure;
    return !failure;
}

}  // namespace zt
