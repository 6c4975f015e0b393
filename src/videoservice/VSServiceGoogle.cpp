#include "videoservice/VSServiceGoogle.h"

#include <algorithm>
#include <vector>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/Text.h"
#include "videoservice/VSAuthenticationFetcher.h"
#include "videoservice/VSEntryBase.h"
#include "videoservice/VSFeedBase.h"
#include "videoservice/VSNamespaces.h"
#include "videoservice/VSQuery.h"
#include "videoservice/VSUtilities.h"
#include "web/WSHTTPFetcherService.h"

namespace zt {

namespace {

using InvocationList = std::vector<VSServiceInvocationPtr>;
using SharedInvocationList = std::shared_ptr<InvocationList>;

constexpr const char* kAuthenticationComment = "API authentication";

bool isEmpty(const std::optional<std::string>& text)
{
    return !text || text->empty();
}

bool equalsIgnoringCase(const std::optional<std::string>& text, std::string_view other)
{
    return text && plat::lowercaseString(*text) == plat::lowercaseString(other);
}

std::optional<std::string> authTokenFromReply(const std::optional<plat::Data>& data)
{
    if (!data)
        return std::nullopt;
    auto fields = VSUtilities::dictionaryWithResponseData(*data);
    return fields ? fields->getString("Auth") : std::nullopt;
}

// A copy of a sign-in fetcher's waiting list.
InvocationList waitingInvocations(const WSHTTPFetcher& fetcher)
{
    auto list = fetcherProperty<SharedInvocationList>(fetcher, "_invocations");
    return list ? *list : InvocationList();
}

std::optional<plat::URL> editURLOfEntry(const VSEntryBase& entry)
{
    auto link = entry.editLink();
    auto href = link ? link->href() : std::nullopt;
    return href ? plat::URL::URLWithString(*href) : std::nullopt;
}

}  // namespace

VSTicketClass VSServiceGoogle::ticketClass() const
{
    return &VSServiceTicket::ticketForService;
}

VSXMLNamespaceMap VSServiceGoogle::standardServiceNamespaces() const
{
    return VSEntryBase::baseVSNamespaces();
}

// --- credentials ---

void VSServiceGoogle::setUserCredentialsWithUsername(
    const std::optional<std::string>& username, const std::optional<std::string>& password)
{
    const bool isSame = username == username_ && password == this->password();
    if (!isSame) {
        authToken_.reset();
        authSubToken_.reset();
        clearResponseDataCache();
        pendingAuthFetcher_.reset();
        credentialDate_ = plat::Date::now();
        ++_credentialGeneration;
        if (!isEmpty(username))
            VSServiceBase::setAuthorizer(nullptr);
    }
    VSServiceBase::setUserCredentialsWithUsername(username, password);
}

void VSServiceGoogle::setCaptchaToken(const std::optional<std::string>& token, const std::optional<std::string>& answer)
{
    captchaToken_ = token;
    captchaAnswer_ = answer;
}

// --- requests ---

plat::URLRequest VSServiceGoogle::requestForURL(const plat::URL& url, const std::optional<std::string>& ETag,
    const std::optional<std::string>& httpMethod, const VSServiceTicketPtr& ticket)
{
    plat::URLRequest request = VSServiceBase::requestForURL(url, ETag, httpMethod, ticket);
    if (shouldUseMethodOverrideHeader_ && !isEmpty(httpMethod) && !equalsIgnoringCase(httpMethod, "POST")) {
        request.setValue(*httpMethod, "X-HTTP-Method-Override");
        request.setHTTPMethod("POST");
    }
    // The token is for the host the caller asked; a page the server points
    // to elsewhere is fetched without it.
    if (ticket && !ticket->isWithinOrigin(url))
        return request;
    std::optional<std::string> token = authToken_;
    if (ticket) {
        auto signedTicket = std::dynamic_pointer_cast<VSServiceTicket>(ticket);
        token = signedTicket ? signedTicket->authToken() : std::nullopt;
    }
    if (!isEmpty(token))
        request.setValue("GoogleLogin auth=" + *token, "Authorization");
    else if (!isEmpty(authSubToken_))
        request.setValue("AuthSub token=" + *authSubToken_, "Authorization");
    return request;
}

void VSServiceGoogle::addNamespacesIfNoneToObject(const VSObjectPtr& object) const
{
    if (object && object->namespaces().empty())
        object->setNamespaces(standardServiceNamespaces());
}

// --- authenticated fetches ---

VSServiceTicketPtr VSServiceGoogle::fetchAuthenticatedObjectWithURL(const std::optional<plat::URL>& objectURL,
    const VSClass* objectClass, const VSObjectPtr& objectToPost, const std::optional<std::string>& ETag,
    const std::optional<std::string>& httpMethod, std::shared_ptr<SelectorTarget> delegate,
    VSFinishedSelector finishedSelector, VSCompletionHandler completionHandler)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto self = shared_from_this();
    auto ticket = std::static_pointer_cast<VSServiceTicket>(VSServiceTicket::ticketForService(self));
    if (objectToPost)
        ticket->setPostedObject(objectToPost);

    auto invocation = std::make_shared<VSServiceInvocation>();
    invocation->service = self;
    invocation->URL = objectURL;
    invocation->objectClass = objectClass;
    invocation->objectToPost = objectToPost;
    invocation->ETag = ETag;
    invocation->httpMethod = httpMethod;
    invocation->delegate = std::move(delegate);
    invocation->finishedSelector = std::move(finishedSelector);
    invocation->completionHandler = std::move(completionHandler);
    invocation->ticket = ticket;

    if (isEmpty(username_))
        return invocation->invoke();  // anonymous
    if (!isEmpty(ticket->authToken()) || !isEmpty(authSubToken_)) {
        // A refusal of this token signs in again, once.
        invocation->retryInvocation = invocation;
        return invocation->invoke();
    }
    return deferUntilAuthenticationForInvocation(invocation);
}

VSServiceTicketPtr VSServiceGoogle::fetchFeedWithURL(
    const plat::URL& feedURL, std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector)
{
    return fetchFeedWithURL(feedURL, nullptr, std::nullopt, std::move(delegate), std::move(finishedSelector));
}

VSServiceTicketPtr VSServiceGoogle::fetchFeedWithURL(const plat::URL& feedURL, const VSClass* feedClass,
    std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector)
{
    return fetchFeedWithURL(feedURL, feedClass, std::nullopt, std::move(delegate), std::move(finishedSelector));
}

VSServiceTicketPtr VSServiceGoogle::fetchFeedWithURL(const plat::URL& feedURL, const VSClass* feedClass,
    const std::optional<std::string>& ETag, std::shared_ptr<SelectorTarget> delegate,
    VSFinishedSelector finishedSelector)
{
    return fetchAuthenticatedObjectWithURL(
        feedURL, feedClass, nullptr, ETag, std::nullopt, std::move(delegate), std::move(finishedSelector), nullptr);
}

VSServiceTicketPtr VSServiceGoogle::fetchFeedWithURL(const plat::URL& feedURL, VSCompletionHandler handler)
{
    return fetchAuthenticatedObjectWithURL(
        feedURL, nullptr, nullptr, std::nullopt, std::nullopt, nullptr, nullptr, std::move(handler));
}

VSServiceTicketPtr VSServiceGoogle::fetchEntryWithURL(
    const plat::URL& entryURL, std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector)
{
    return fetchEntryWithURL(entryURL, nullptr, std::nullopt, std::move(delegate), std::move(finishedSelector));
}

VSServiceTicketPtr VSServiceGoogle::fetchEntryWithURL(const plat::URL& entryURL, const VSClass* entryClass,
    std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector)
{
    return fetchEntryWithURL(entryURL, entryClass, std::nullopt, std::move(delegate), std::move(finishedSelector));
}

VSServiceTicketPtr VSServiceGoogle::fetchEntryWithURL(const plat::URL& entryURL, const VSClass* entryClass,
    const std::optional<std::string>& ETag, std::shared_ptr<SelectorTarget> delegate,
    VSFinishedSelector finishedSelector)
{
    return fetchAuthenticatedObjectWithURL(
        entryURL, entryClass, nullptr, ETag, std::nullopt, std::move(delegate), std::move(finishedSelector), nullptr);
}

VSServiceTicketPtr VSServiceGoogle::fetchEntryWithURL(const plat::URL& entryURL, VSCompletionHandler handler)
{
    return fetchEntryWithURL(entryURL, nullptr, std::move(handler));
}

VSServiceTicketPtr VSServiceGoogle::fetchEntryWithURL(
    const plat::URL& entryURL, const VSClass* entryClass, VSCompletionHandler handler)
{
    return fetchAuthenticatedObjectWithURL(
        entryURL, entryClass, nullptr, std::nullopt, std::nullopt, nullptr, nullptr, std::move(handler));
}

VSServiceTicketPtr VSServiceGoogle::fetchFeedWithQuery(
    const VSQuery& query, std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector)
{
    return fetchFeedWithQuery(query, nullptr, std::move(delegate), std::move(finishedSelector));
}

VSServiceTicketPtr VSServiceGoogle::fetchFeedWithQuery(const VSQuery& query, const VSClass* feedClass,
    std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector)
{
    return fetchFeedWithURL(
        query.URL().value_or(query.feedURL()), feedClass, std::move(delegate), std::move(finishedSelector));
}

VSServiceTicketPtr VSServiceGoogle::fetchFeedWithQuery(const VSQuery& query, VSCompletionHandler handler)
{
    return fetchFeedWithURL(query.URL().value_or(query.feedURL()), std::move(handler));
}

VSServiceTicketPtr VSServiceGoogle::fetchEntryByInsertingEntry(const std::shared_ptr<VSEntryBase>& entry,
    const plat::URL& feedURL, std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector)
{
    addNamespacesIfNoneToObject(entry);
    return fetchAuthenticatedObjectWithURL(feedURL, &entry->objectClass(), entry, entry->ETag(), "POST",
        std::move(delegate), std::move(finishedSelector), nullptr);
}

VSServiceTicketPtr VSServiceGoogle::fetchEntryByInsertingEntry(
    const std::shared_ptr<VSEntryBase>& entry, const plat::URL& feedURL, VSCompletionHandler handler)
{
    addNamespacesIfNoneToObject(entry);
    return fetchAuthenticatedObjectWithURL(
        feedURL, &entry->objectClass(), entry, entry->ETag(), "POST", nullptr, nullptr, std::move(handler));
}

namespace {

// An update of an entry that dropped unknown elements while parsing would
// erase them on the server.
void requireSafeUpdate(const VSEntryBase& entry)
{
    if (isEmpty(entry.fieldSelection()) && entry.shouldIgnoreUnknowns())
        plat::detail::fatal("unsafe update of {}", entry.objectClass().name);
}

std::string updateMethodForEntry(const VSEntryBase& entry)
{
    return isEmpty(entry.fieldSelection()) ? "PUT" : "PATCH";
}

}  // namespace

VSServiceTicketPtr VSServiceGoogle::fetchEntryByUpdatingEntry(const std::shared_ptr<VSEntryBase>& entry,
    std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector)
{
    auto url = editURLOfEntry(*entry);
    if (!url)
        return nullptr;  // nothing to update at
    return fetchEntryByUpdatingEntry(entry, *url, std::move(delegate), std::move(finishedSelector));
}

VSServiceTicketPtr VSServiceGoogle::fetchEntryByUpdatingEntry(const std::shared_ptr<VSEntryBase>& entry,
    const plat::URL& entryURL, std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector)
{
    requireSafeUpdate(*entry);
    addNamespacesIfNoneToObject(entry);
    return fetchAuthenticatedObjectWithURL(entryURL, &entry->objectClass(), entry, entry->ETag(),
        updateMethodForEntry(*entry), std::move(delegate), std::move(finishedSelector), nullptr);
}

VSServiceTicketPtr VSServiceGoogle::fetchEntryByUpdatingEntry(
    const std::shared_ptr<VSEntryBase>& entry, VSCompletionHandler handler)
{
    auto url = editURLOfEntry(*entry);
    if (!url)
        return nullptr;
    return fetchEntryByUpdatingEntry(entry, *url, std::move(handler));
}

VSServiceTicketPtr VSServiceGoogle::fetchEntryByUpdatingEntry(
    const std::shared_ptr<VSEntryBase>& entry, const plat::URL& entryURL, VSCompletionHandler handler)
{
    requireSafeUpdate(*entry);
    addNamespacesIfNoneToObject(entry);
    return fetchAuthenticatedObjectWithURL(entryURL, &entry->objectClass(), entry, entry->ETag(),
        updateMethodForEntry(*entry), nullptr, nullptr, std::move(handler));
}

VSServiceTicketPtr VSServiceGoogle::deleteEntry(const std::shared_ptr<VSEntryBase>& entry,
    std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector)
{
    auto url = editURLOfEntry(*entry);
    if (!url)
        plat::detail::fatal("deleting uneditable entry: {}", entry->description());
    auto ticket = deleteResourceURL(*url, entry->ETag(), std::move(delegate), std::move(finishedSelector));
    if (ticket)
        ticket->setPostedObject(entry);
    return ticket;
}

VSServiceTicketPtr VSServiceGoogle::deleteEntry(const std::shared_ptr<VSEntryBase>& entry, VSCompletionHandler handler)
{
    auto url = editURLOfEntry(*entry);
    if (!url)
        plat::detail::fatal("deleting uneditable entry: {}", entry->description());
    return deleteResourceURL(*url, entry->ETag(), std::move(handler));
}

VSServiceTicketPtr VSServiceGoogle::deleteResourceURL(const plat::URL& resourceURL,
    const std::optional<std::string>& ETag, std::shared_ptr<SelectorTarget> delegate,
    VSFinishedSelector finishedSelector)
{
    return fetchAuthenticatedObjectWithURL(
        resourceURL, nullptr, nullptr, ETag, "DELETE", std::move(delegate), std::move(finishedSelector), nullptr);
}

VSServiceTicketPtr VSServiceGoogle::deleteResourceURL(
    const plat::URL& resourceURL, const std::optional<std::string>& ETag, VSCompletionHandler handler)
{
    return fetchAuthenticatedObjectWithURL(
        resourceURL, nullptr, nullptr, ETag, "DELETE", nullptr, nullptr, std::move(handler));
}

VSServiceTicketPtr VSServiceGoogle::fetchFeedWithBatchFeed(const std::shared_ptr<VSFeedBase>& batchFeed,
    const plat::URL& batchFeedURL, std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector)
{
    return fetchFeedWithBatchFeed(batchFeed, batchFeedURL, std::move(delegate), std::move(finishedSelector), nullptr);
}

VSServiceTicketPtr VSServiceGoogle::fetchFeedWithBatchFeed(
    const std::shared_ptr<VSFeedBase>& batchFeed, const plat::URL& batchFeedURL, VSCompletionHandler handler)
{
    return fetchFeedWithBatchFeed(batchFeed, batchFeedURL, nullptr, nullptr, std::move(handler));
}

VSServiceTicketPtr VSServiceGoogle::fetchFeedWithBatchFeed(const std::shared_ptr<VSFeedBase>& batchFeed,
    const plat::URL& batchFeedURL, std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector,
    VSCompletionHandler handler)
{
    addBatchNamespacesToFeed(*batchFeed);
    auto ticket = fetchAuthenticatedObjectWithURL(batchFeedURL, &batchFeed->objectClass(), batchFeed, std::nullopt,
        std::nullopt, std::move(delegate), std::move(finishedSelector), std::move(handler));
    if (ticket)
        ticket->setShouldFeedsIgnoreUnknowns(false);
    return ticket;
}

// --- signing in ---

std::shared_ptr<WSHTTPFetcher> VSServiceGoogle::authenticationFetcher()
{
    const std::string username = username_.value_or("");
    const std::string password = this->password().value_or("");
    if (username.empty() || password.empty())
        return nullptr;
    auto service = serviceID();
    if (isEmpty(service))
        plat::detail::fatal("VSServiceGoogle should have a serviceID");
    const std::string source = !isEmpty(userAgent_) ? *userAgent_ : defaultApplicationIdentifier();
    VSAuthenticationFetcher::Parameters parameters;
    if (!isEmpty(captchaToken_) && !isEmpty(captchaAnswer_))
        parameters = {{"logintoken", *captchaToken_}, {"logincaptcha", *captchaAnswer_}};
    auto fetcher = VSAuthenticationFetcher::authTokenFetcherWithUsername(username, password, *service, source,
        signInDomain_, accountType_, parameters, customAuthenticationRequestHeaders());
    if (!fetcher)
        return nullptr;
    fetcher->setRunLoopModes(runLoopModes());
    fetcher->setFetchHistory(fetcherService_->fetchHistory());
    fetcher->setRetryEnabled(isServiceRetryEnabled_);
    fetcher->setMaxRetryInterval(serviceMaxRetryInterval_);
    return fetcher;
}

VSServiceTicketPtr VSServiceGoogle::deferUntilAuthenticationForInvocation(const VSServiceInvocationPtr& invocation)
{
    auto ticket = std::static_pointer_cast<VSServiceTicket>(invocation->ticket);
    if (pendingAuthFetcher_) {
        auto list = fetcherProperty<SharedInvocationList>(*pendingAuthFetcher_, "_invocations");
        if (!list) {
            list = std::make_shared<InvocationList>();
            pendingAuthFetcher_->setProperty(list, "_invocations");
        }
        list->push_back(invocation);
        ticket->setAuthFetcher(pendingAuthFetcher_);
        ticket->setCurrentFetcher(pendingAuthFetcher_);
        return ticket;
    }
    return authenticateThenInvoke(invocation);
}

VSServiceTicketPtr VSServiceGoogle::authenticateThenInvoke(const VSServiceInvocationPtr& invocation)
{
    auto self = shared_from_this();
    auto ticket = std::static_pointer_cast<VSServiceTicket>(invocation->ticket);
    auto fetcher = authenticationFetcher();
    if (!fetcher) {
        plat::Error error(kVSServiceErrorDomain, kVSServiceErrorEmptyCredentials,
            "A user name and password are needed.", plat::Dictionary {{kVSErrorTextKey, "empty username/password"}});
        invokeCallback(invocation->finishedSelector, invocation->delegate.get(), ticket, nullptr, error);
        if (invocation->completionHandler)
            invocation->completionHandler(ticket, nullptr, error);
        ticket->setFetchError(error);
        ticket->setHasCalledCallback(true);
        return nullptr;
    }
    fetcher->setProperty(std::make_shared<InvocationList>(InvocationList {invocation}), "_invocations");
    fetcher->setProperty(VSServiceTicketPtr(ticket), "_ticket");
    if (ticket->retrySelector())
        fetcher->setRetrySelector(&VSServiceGoogle::authFetcherWillRetry);
    ticket->setAuthFetcher(fetcher);
    ticket->setCurrentFetcher(fetcher);
    pendingAuthFetcher_ = fetcher;
    fetcher->setComment(kAuthenticationComment);
    fetcher->beginFetchWithDelegate(self, &VSServiceGoogle::authFetcher);
    return ticket;
}

void VSServiceGoogle::authFetcher(
    WSHTTPFetcher& fetcher, const std::optional<plat::Data>& data, const std::optional<plat::Error>& error)
{
    auto self = shared_from_this();
    auto keepFetcher = fetcher.shared_from_this();
    if (error) {
        authFetcherFailedWithError(fetcher, *error, data);
        return;
    }
    const auto token = authTokenFromReply(data);
    if (&fetcher == pendingAuthFetcher_.get()) {
        authToken_ = token;
        pendingAuthFetcher_.reset();
    }
    if (!isEmpty(token)) {
        for (const auto& invocation : waitingInvocations(fetcher)) {
            auto ticket = std::static_pointer_cast<VSServiceTicket>(invocation->ticket);
            ticket->setCurrentFetcher(nullptr);
            ticket->setAuthFetcher(nullptr);
            ticket->setAuthToken(token);
            invocation->invoke();
        }
    } else {
        plat::Dictionary userInfo;
        if (data)
            userInfo.set(kWSHTTPFetcherStatusDataKey, *data);
        authFetcherFailedWithError(
            fetcher, plat::Error(kWSHTTPFetcherStatusDomain, 403, "The sign-in reply holds no token.", userInfo), data);
    }
    fetcher.setProperties(std::nullopt);
}

void VSServiceGoogle::authFetcherFailedWithError(
    WSHTTPFetcher& fetcher, const plat::Error& error, const std::optional<plat::Data>& data)
{
    auto self = shared_from_this();
    auto keepFetcher = fetcher.shared_from_this();
    if (&fetcher == pendingAuthFetcher_.get()) {
        authToken_.reset();
        pendingAuthFetcher_.reset();
    }
    plat::Error failure
        = error.domain() == kWSHTTPFetcherStatusDomain ? errorForAuthFetcherStatus(error.code(), data) : error;
    const InvocationList waiting = waitingInvocations(fetcher);
    fetcher.setProperties(std::nullopt);
    for (const auto& invocation : waiting) {
        const auto& ticket = invocation->ticket;
        invokeCallback(invocation->finishedSelector, invocation->delegate.get(), ticket, nullptr, failure);
        if (invocation->completionHandler)
            invocation->completionHandler(ticket, nullptr, failure);
        ticket->setFetchError(failure);
        ticket->setHasCalledCallback(true);
        ticket->setCurrentFetcher(nullptr);
    }
}

bool VSServiceGoogle::authFetcherWillRetry(WSHTTPFetcher& fetcher, bool suggestedWillRetry, const plat::Error& error)
{
    for (const auto& invocation : waitingInvocations(fetcher)) {
        if (invocation->ticket->retrySelector())
            return invokeRetrySelector(invocation->ticket->retrySelector(), invocation->delegate.get(),
                invocation->ticket, suggestedWillRetry, error);
    }
    return suggestedWillRetry;
}

plat::Error VSServiceGoogle::errorForAuthFetcherStatus(int64_t status, const std::optional<plat::Data>& data) const
{
    plat::Dictionary userInfo;
    if (data && !data->empty()) {
        if (auto fields = VSUtilities::dictionaryWithResponseData(*data))
            userInfo = fields->copy();
        if (auto captcha = userInfo.getString("CaptchaUrl"); captcha && !captcha->empty()) {
            // A relative challenge address belongs to the host that refused the sign-in.
            std::string full = *captcha;
            if (!plat::hasPrefix(*captcha, "http:") && !plat::hasPrefix(*captcha, "https:"))
                full = VSAuthenticationFetcher::accountsURLString(signInDomain_, *captcha);
            userInfo.set("CaptchaFullUrl", full);
        }
        if (auto code = userInfo.getString("Error"); code && !userInfo.contains(kVSErrorTextKey))
            userInfo.set(kVSErrorTextKey, *code);
        if (auto info = userInfo.getString("Info"))
            userInfo.set(plat::kLocalizedFailureReasonErrorKey, *info);
    }
    const std::string reason = userInfo.getString("Error").value_or("status " + std::to_string(status));
    return plat::Error(kVSServiceErrorDomain, status, "The sign-in was refused (" + reason + ").", userInfo);
}

// --- signing in again ---

void VSServiceGoogle::objectFetcher(
    WSHTTPFetcher& fetcher, const std::optional<plat::Data>& data, const std::optional<plat::Error>& error)
{
    const bool isRefused
        = error && error->domain() == kWSHTTPFetcherStatusDomain && (error->code() == 401 || error->code() == 403);
    auto invocation = isRefused ? fetcherProperty<VSServiceInvocationPtr>(fetcher, "_retryInvocation") : nullptr;
    auto ticket = invocation ? std::dynamic_pointer_cast<VSServiceTicket>(invocation->ticket) : nullptr;
    if (ticket) {
        ticket->setAuthToken(std::nullopt);
        invocation->retryInvocation.reset();  // at most one new sign-in per request
        if (ticket->credentialGeneration() == _credentialGeneration) {
            auto self = shared_from_this();
            auto keepFetcher = fetcher.shared_from_this();
            // The refused fetch is over; the recorded request runs on the same ticket after the sign-in.
            fetcher.setProperties(std::nullopt);
            deferUntilAuthenticationForInvocation(invocation);
            return;
        }
    }
    VSServiceBase::objectFetcher(fetcher, data, error);
}

// --- a sign-in on its own ---

VSServiceTicketPtr VSServiceGoogle::authenticateWithDelegate(
    std::shared_ptr<SelectorTarget> delegate, VSAuthenticationSelector didAuthenticateSelector)
{
    auto self = shared_from_this();
    auto fetcher = authenticationFetcher();
    if (!fetcher) {
        plat::Error error(kVSServiceErrorDomain, kVSServiceErrorEmptyCredentials,
            "A user name and password are needed.", plat::Dictionary {{kVSErrorTextKey, "empty username/password"}});
        if (delegate && didAuthenticateSelector.respondsTo(*delegate))
            didAuthenticateSelector(*delegate, nullptr, error);
        return nullptr;
    }
    auto ticket = std::static_pointer_cast<VSServiceTicket>(VSServiceTicket::ticketForService(self));
    ticket->setAuthFetcher(fetcher);
    if (delegate)
        fetcher->setProperty(delegate, "_delegate");
    if (didAuthenticateSelector)
        fetcher->setProperty(didAuthenticateSelector, "_sel");
    fetcher->setProperty(VSServiceTicketPtr(ticket), "_ticket");
    fetcher->setComment(kAuthenticationComment);
    const bool began = fetcher->beginFetchWithDelegate(self, &VSServiceGoogle::standaloneAuthFetcher);
    return began ? ticket : nullptr;
}

void VSServiceGoogle::standaloneAuthFetcher(
    WSHTTPFetcher& fetcher, const std::optional<plat::Data>& data, const std::optional<plat::Error>& error)
{
    auto self = shared_from_this();
    auto keepFetcher = fetcher.shared_from_this();
    auto ticket = std::dynamic_pointer_cast<VSServiceTicket>(zt::ticket(fetcher));
    auto delegate = fetcherProperty<std::shared_ptr<SelectorTarget>>(fetcher, "_delegate");
    auto selector = fetcherProperty<VSAuthenticationSelector>(fetcher, "_sel");
    std::optional<plat::Error> failure;
    if (!error) {
        const auto token = authTokenFromReply(data);
        if (!isEmpty(token)) {
            authToken_ = token;
            if (ticket)
                ticket->setAuthToken(token);
        } else {
            failure = errorForAuthFetcherStatus(403, data);
        }
    } else {
        failure
            = error->domain() == kWSHTTPFetcherStatusDomain ? errorForAuthFetcherStatus(error->code(), data) : *error;
    }
    if (delegate && selector.respondsTo(*delegate))
        selector(*delegate, ticket, failure);
    if (ticket)
        ticket->setAuthFetcher(nullptr);
    fetcher.setProperties(std::nullopt);
}

void VSServiceGoogle::stopAuthenticationForTicket(const std::shared_ptr<VSServiceTicket>& ticket)
{
    auto fetcher = ticket->authFetcher();
    if (!fetcher)
        return;
    auto list = fetcherProperty<SharedInvocationList>(*fetcher, "_invocations");
    if (list) {
        auto mine = std::find_if(
            list->begin(), list->end(), [&](const auto& invocation) { return invocation->ticket == ticket; });
        if (mine != list->end())
            list->erase(mine);
    }
    if (!list || list->empty()) {
        fetcher->stopFetching();
        fetcher->setProperty(std::any(), "_invocations");
        if (fetcher == pendingAuthFetcher_)
            pendingAuthFetcher_.reset();
    }
    ticket->setAuthFetcher(nullptr);
}

// --- readers of a sign-in error ---

std::optional<std::string> authenticationError(const plat::Dictionary& userInfo)
{
    return userInfo.getString("Error");
}

std::optional<std::string> authenticationInfo(const plat::Dictionary& userInfo)
{
    return userInfo.getString("Info");
}

std::optional<std::string> captchaToken(const plat::Dictionary& userInfo)
{
    return userInfo.getString("CaptchaToken");
}

std::optional<plat::URL> captchaURL(const plat::Dictionary& userInfo)
{
    auto text = userInfo.getString("CaptchaFullUrl");
    if (!text || text->empty())
        return std::nullopt;
    return plat::URL::URLWithString(*text);
}

}  // namespace zt
