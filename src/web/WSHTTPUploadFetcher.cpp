#include "web/WSHTTPUploadFetcher.h"

#include "platform/foundation/Log.h"
#include "platform/net/URLResponse.h"
#include "web/WSFileHandle.h"
#include "web/WSHTTPFetcherService.h"

namespace zt {

std::optional<uint64_t> parseRangeHeaderLastByte(std::string_view value)
{
    constexpr std::string_view kPrefix = "bytes=";
    if (value.substr(0, kPrefix.size()) != kPrefix)
        return std::nullopt;
    value.remove_prefix(kPrefix.size());
    size_t dash = value.find('-');
    if (dash == std::string_view::npos)
        return std::nullopt;
    auto first = plat::parseHeaderInteger(value.substr(0, dash));
    auto last = plat::parseHeaderInteger(value.substr(dash + 1));
    if (!first || !last)
        return std::nullopt;
    return static_cast<uint64_t>(*last);
}

// --- creation ---

std::shared_ptr<WSHTTPUploadFetcher> WSHTTPUploadFetcher::fetcherWithRequest(
    const std::optional<plat::URLRequest>& request)
{
    return std::make_shared<WSHTTPUploadFetcher>(Passkey(), request);
}

WSHTTPUploadFetcher::WSHTTPUploadFetcher(Passkey passkey, const std::optional<plat::URLRequest>& request)
    : WSHTTPFetcher(passkey, request)
{
}

namespace {

std::shared_ptr<WSHTTPUploadFetcher> makeUploadFetcher(
    const std::optional<plat::URLRequest>& request, const std::shared_ptr<WSHTTPFetcherService>& service)
{
    if (service && request)
        return service->fetcherWithRequest<WSHTTPUploadFetcher>(*request);
    auto fetcher = WSHTTPUploadFetcher::fetcherWithRequest(request);
    if (service)
        service->configureFetcher(*fetcher);
    return fetcher;
}

}  // namespace

std::shared_ptr<WSHTTPUploadFetcher> WSHTTPUploadFetcher::uploadFetcherWithRequest(const plat::URLRequest& request,
    plat::Data uploadData, const std::string& uploadMIMEType, uint64_t chunkSize,
    const std::shared_ptr<WSHTTPFetcherService>& service)
{
    return uploadFetcherWithRequest(
        request, std::make_shared<const plat::Data>(std::move(uploadData)), uploadMIMEType, chunkSize, service);
}

std::shared_ptr<WSHTTPUploadFetcher> WSHTTPUploadFetcher::uploadFetcherWithRequest(const plat::URLRequest& request,
    std::shared_ptr<const plat::Data> uploadData, const std::string& uploadMIMEType, uint64_t chunkSize,
    const std::shared_ptr<WSHTTPFetcherService>& service)
{
    auto fetcher = makeUploadFetcher(request, service);
    fetcher->setLocationURL(std::nullopt, std::move(uploadData), nullptr, uploadMIMEType, chunkSize);
    return fetcher;
}

std::shared_ptr<WSHTTPUploadFetcher> WSHTTPUploadFetcher::uploadFetcherWithRequest(const plat::URLRequest& request,
    std::shared_ptr<WSFileHandle> uploadFileHandle, const std::string& uploadMIMEType, uint64_t chunkSize,
    const std::shared_ptr<WSHTTPFetcherService>& service)
{
    auto fetcher = makeUploadFetcher(request, service);
    fetcher->setLocationURL(std::nullopt, nullptr, std::move(uploadFileHandle), uploadMIMEType, chunkSize);
    return fetcher;
}

std::shared_ptr<WSHTTPUploadFetcher> WSHTTPUploadFetcher::uploadFetcherWithLocation(const plat::URL& location,
    std::shared_ptr<WSFileHandle> uploadFileHandle, const std::string& uploadMIMEType, uint64_t chunkSize,
    const std::shared_ptr<WSHTTPFetcherService>& service)
{
    auto fetcher = makeUploadFetcher(std::nullopt, service);
    fetcher->setLocationURL(location, nullptr, std::move(uploadFileHandle), uploadMIMEType, chunkSize);
    return fetcher;
}

void WSHTTPUploadFetcher::setLocationURL(const std::optional<plat::URL>& location,
    std::shared_ptr<const plat::Data> uploadData, std::shared_ptr<WSFileHandle> fileHandle, const std::string& mimeType,
    uint64_t chunkSize)
{
    locationURL_ = location;
    uploadData_ = std::move(uploadData);
    uploadFileHandle_ = std::move(fileHandle);
    uploadMIMEType_ = mimeType;
    chunkSize_ = chunkSize;
    uploadFileHandleLength_ = -1;
    statusCode_ = -1;
    isRestartedUpload_ = location.has_value();
    if (request_) {
        request_->setValue(std::to_string(fullUploadLength()), "X-Upload-Content-Length");
        request_->setValue(mimeType, "X-Upload-Content-Type");
    }
}

uint64_t WSHTTPUploadFetcher::fullUploadLength()
{
    if (uploadData_)
        return uploadData_->size();
    if (uploadFileHandleLength_ == -1 && uploadFileHandle_) {
        auto end = uploadFileHandle_->seekToEndOfFile();
        uploadFileHandleLength_ = end.ok() ? static_cast<int64_t>(end.value()) : 0;
    }
    return uploadFileHandleLength_ > 0 ? static_cast<uint64_t>(uploadFileHandleLength_) : 0;
}

// --- properties ---

void WSHTTPUploadFetcher::setLocationURL(const std::optional<plat::URL>& url)
{
    if (url == locationURL_)
        return;
    locationURL_ = url;
    if (locationChangeBlock_)
        locationChangeBlock_(url);
}

std::shared_ptr<WSHTTPFetcher> WSHTTPUploadFetcher::activeFetcher()
{
    return chunkFetcher_ ? chunkFetcher_ : shared_from_this();
}

std::optional<plat::HTTPHeaders> WSHTTPUploadFetcher::responseHeaders() const
{
    return responseHeaders_ ? responseHeaders_ : WSHTTPFetcher::responseHeaders();
}

int64_t WSHTTPUploadFetcher::statusCode() const
{
    return statusCode_ != -1 ? statusCode_ : WSHTTPFetcher::statusCode();
}

WSHTTPFetcher::SentDataSelector WSHTTPUploadFetcher::sentDataSelector() const
{
    if ((delegateSentDataSEL_ || sentDataBlock_) && !needsManualProgress_)
        return &WSHTTPUploadFetcher::uploadFetcherDidSendBytes;
    return nullptr;
}

// --- beginning ---

bool WSHTTPUploadFetcher::beginFetchWithDelegate(
    std::shared_ptr<SelectorTarget> delegate, FinishedSelector finishedSelector)
{
    checkCallbackSelectorArguments(delegate, finishedSelector);
    delegateFinishedSEL_ = std::move(finishedSelector);
    needsManualProgress_ = !doesSupportSentDataCallback();
    initialBodyLength_ = postData_ ? postData_->size() : 0;
    if (isRestartedUpload_) {
        if (!isPaused_) {
            if (delegate)
                delegate_ = std::move(delegate);
            uploadNextChunkWithOffset(kQueryServerForOffset, properties_);
        }
        return true;
    }
    return WSHTTPFetcher::beginFetchWithDelegate(std::move(delegate), nullptr);
}

bool WSHTTPUploadFetcher::beginFetchWithCompletionHandler(CompletionBlock handler)
{
    if (isRestartedUpload_) {
        completionBlock_ = std::move(handler);
        return beginFetchWithDelegate(delegate_, nullptr);
    }
    // The initial request's end is not the upload's: a status failure of it
    // reaches the handler through the final callbacks, a connection failure here.
    std::weak_ptr<WSHTTPUploadFetcher> weakSelf = std::static_pointer_cast<WSHTTPUploadFetcher>(shared_from_this());
    completionBlock_ = [weakSelf, handler](const std::optional<plat::Data>&, const std::optional<plat::Error>& error) {
        auto self = weakSelf.lock();
        if (!self)
            return;
        if (!error || error->domain() == kWSHTTPFetcherStatusDomain) {
            self->completionBlock_ = handler;
            return;
        }
        handler(std::nullopt, error);
    };
    return beginFetchWithDelegate(delegate_, nullptr);
}

// --- the initial request ---

void WSHTTPUploadFetcher::connectionDidFinishLoading()
{
    auto self = shared_from_this();
    WSHTTPFetcher::connectionDidFinishLoading();
    if (retryTimer_)
        return;  // the base retries the initial request; the upload goes on with the retry
    statusCode_ = response_ ? response_->statusCode() : 0;
    if (statusCode_ >= 300) {
        invokeFinalCallbacks(
            downloadedData_, statusError(statusCode_, downloadedData_), /*shouldInvalidateLocation=*/true);
        return;
    }
    auto location = response_ ? response_->allHeaderFields().value("Location") : std::nullopt;
    auto url = location && !location->empty() ? plat::URL::URLWithString(*location, response_->url()) : std::nullopt;
    if (!url) {
        invokeFinalCallbacks(downloadedData_, statusError(501, downloadedData_), /*shouldInvalidateLocation=*/true);
        return;
    }
    setLocationURL(url);
    initialBodySent_ = initialBodyLength_;
    reportProgressManually();
    if (!isPaused_)
        uploadNextChunkWithOffset(0, properties_);
}

void WSHTTPUploadFetcher::connectionDidFail(const plat::Error& error)
{
    auto self = shared_from_this();
    finishedSel_ = delegateFinishedSEL_;
    WSHTTPFetcher::connectionDidFail(error);
    finishedSel_ = nullptr;
    if (!retryTimer_)
        setLocationURL(std::nullopt);
}

void WSHTTPUploadFetcher::didSendBodyData(
    int64_t bytesWritten, int64_t totalBytesWritten, int64_t totalBytesExpectedToWrite)
{
    if (!needsManualProgress_)
        uploadFetcherDidSendBytes(*this, bytesWritten, totalBytesWritten, totalBytesExpectedToWrite);
}

// --- chunks ---

plat::Error WSHTTPUploadFetcher::uploadError(const std::string& description) const
{
    return plat::Error(kWSHTTPFetcherErrorDomain, kWSHTTPFetcherErrorChunkUploadFailed, description);
}

void WSHTTPUploadFetcher::uploadNextChunkWithOffset(
    uint64_t offset, const std::optional<WSPropertyDictionary>& properties)
{
    auto self = std::static_pointer_cast<WSHTTPUploadFetcher>(shared_from_this());
    const uint64_t fullLength = fullUploadLength();
    plat::Data chunk;
    std::string range;
    if (offset == kQueryServerForOffset) {
        range = "bytes */" + std::to_string(fullLength);
        currentOffset_ = 0;
    } else {
        if (offset >= fullLength) {
            invokeFinalCallbacks(
                std::nullopt, uploadError("The upload has no bytes left to send."), /*shouldInvalidateLocation=*/false);
            return;
        }
        const uint64_t remaining = fullLength - offset;
        const uint64_t length
            = (chunkSize_ > remaining || remaining < chunkSize_ + kMinimumTailBytes) ? remaining : chunkSize_;
        if (uploadData_) {
            chunk.assign(uploadData_->begin() + static_cast<std::ptrdiff_t>(offset),
                uploadData_->begin() + static_cast<std::ptrdiff_t>(offset + length));
        } else {
            auto sought = uploadFileHandle_->seekToFileOffset(offset);
            auto read
                = sought.ok() ? uploadFileHandle_->readDataOfLength(length) : plat::Result<plat::Data>(sought.error());
            if (!read.ok() || read.value().size() != length) {
                // A chunk must carry exactly the bytes its range names; better no upload than a wrong one.
                std::string reason = read.ok() ? "the file is shorter than announced" : read.error().description();
                plat::log("uploadFileHandle exception: {}", reason);
                invokeFinalCallbacks(std::nullopt, uploadError("The upload file could not be read: " + reason),
                    /*shouldInvalidateLocation=*/false);
                return;
            }
            chunk = std::move(read).value();
        }
        range = "bytes " + std::to_string(offset) + "-" + std::to_string(offset + length - 1) + "/"
            + std::to_string(fullLength);
        currentOffset_ = offset;
    }

    plat::URLRequest chunkRequest(locationURL_);
    chunkRequest.setHTTPMethod("PUT");
    if (request_) {
        if (auto agent = request_->valueForHTTPHeaderField("User-Agent"); agent && !agent->empty())
            chunkRequest.setValue(*agent, "User-Agent");
    }
    chunkRequest.setValue(range, "Content-Range");
    chunkRequest.setValue(std::to_string(chunk.size()), "Content-Length");
    chunkRequest.setValue(uploadMIMEType_, "Content-Type");

    auto chunkFetcher = WSHTTPFetcher::fetcherWithRequest(chunkRequest);
    chunkFetcher->setRunLoopModes(runLoopModes_);
    if (comment_)
        chunkFetcher->setComment(*comment_ + " (" + range + ")");
    chunkFetcher->setProperties(properties);
    chunkFetcher->setPostData(std::move(chunk));
    chunkFetcher->setRetryEnabled(isRetryEnabled_);
    chunkFetcher->setMaxRetryInterval(maxRetryInterval_);
    chunkFetcher->setSentDataSelector(sentDataSelector());
    // Without a fetch history a chunk fetcher simply sends no cookies.
    chunkFetcher->setCookieStorageMethod(cookieStorageMethod_);
    if (isRetryEnabled_)
        chunkFetcher->setRetrySelector(&WSHTTPUploadFetcher::chunkFetcherWillRetry);

    request_ = std::make_shared<plat::URLRequest>(chunkRequest);
    if (!chunkFetcher->beginFetchWithDelegate(self, &WSHTTPUploadFetcher::chunkFetcherFinished)) {
        invokeFinalCallbacks(std::nullopt,
            plat::Error(
                kWSHTTPFetcherErrorDomain, kWSHTTPFetcherErrorChunkUploadFailed, "An upload chunk could not begin."),
            /*shouldInvalidateLocation=*/true);
        return;
    }
    chunkFetcher_ = chunkFetcher;
}

void WSHTTPUploadFetcher::chunkFetcherFinished(
    WSHTTPFetcher& chunkFetcher, const std::optional<plat::Data>& data, const std::optional<plat::Error>& error)
{
    if (&chunkFetcher != chunkFetcher_.get())
        return;  // a chunk fetcher that failed to begin, or one already dropped
    auto self = shared_from_this();
    auto finished = chunkFetcher_;
    statusCode_ = chunkFetcher.statusCode();
    responseHeaders_ = chunkFetcher.responseHeaders();
    if (error && error->domain() == kWSHTTPFetcherStatusDomain && error->code() == 308) {
        handleResumeIncompleteStatusForChunkFetcher(chunkFetcher);
    } else if (error) {
        // The upload URL stays: the upload can be restarted from it later.
        invokeFinalCallbacks(data,
            plat::Error(kWSHTTPFetcherStatusDomain, error->code(), error->localizedDescription()),
            /*shouldInvalidateLocation=*/false);
    } else {
        downloadedData_ = data;
        if (needsManualProgress_)
            uploadFetcherDidSendBytes(*this, 0, static_cast<int64_t>(fullUploadLength() - currentOffset_), 0);
        invokeFinalCallbacks(data, std::nullopt, /*shouldInvalidateLocation=*/true);
    }
    if (chunkFetcher_ == finished)
        destroyChunkFetcher();
    else
        finished->stopFetching();
}

void WSHTTPUploadFetcher::handleResumeIncompleteStatusForChunkFetcher(WSHTTPFetcher& chunkFetcher)
{
    const uint64_t fullLength = fullUploadLength();
    const auto headers = chunkFetcher.responseHeaders().value_or(plat::HTTPHeaders());
    uint64_t nextOffset = 0;
    if (auto range = headers.value("Range")) {
        if (auto last = parseRangeHeaderLastByte(*range)) {
            // The server's word decides where to go on, but never beyond the media's end.
            if (*last >= fullLength) {
                invokeFinalCallbacks(std::nullopt,
                    uploadError("The server claims bytes up to " + std::to_string(*last) + " of an upload of "
                        + std::to_string(fullLength) + " bytes."),
                    /*shouldInvalidateLocation=*/false);
                return;
            }
            nextOffset = *last + 1;
            if (nextOffset == fullLength) {
                invokeFinalCallbacks(std::nullopt,
                    uploadError("The server holds every byte but did not finish the upload."),
                    /*shouldInvalidateLocation=*/false);
                return;
            }
        }
    }
    const bool wasQuery = chunkFetcher.mutableRequest()->valueForHTTPHeaderField("Content-Range").value_or("").find('*')
        != std::string::npos;
    if (!wasQuery && nextOffset <= currentOffset_) {
        if (++repliesWithoutProgress_ >= kMaxRepliesWithoutProgress) {
            invokeFinalCallbacks(std::nullopt, uploadError("The server keeps taking nothing of the upload."),
                /*shouldInvalidateLocation=*/false);
            return;
        }
    } else if (!wasQuery) {
        repliesWithoutProgress_ = 0;
    }
    currentOffset_ = nextOffset;
    reportProgressManually();
    if (auto location = headers.value("Location"); location && !location->empty()) {
        if (auto url = plat::URL::URLWithString(*location, *locationURL_))
            setLocationURL(url);
    }
    auto properties = chunkFetcher.properties();
    destroyChunkFetcher();
    uploadNextChunkWithOffset(nextOffset, properties);
}

bool WSHTTPUploadFetcher::chunkFetcherWillRetry(
    WSHTTPFetcher& chunkFetcher, bool suggestedWillRetry, const plat::Error& error)
{
    if (error.domain() == kWSHTTPFetcherStatusDomain && error.code() == 308)
        return false;
    bool willRetry = suggestedWillRetry;
    if (delegate_ && retrySel_.respondsTo(*delegate_))
        willRetry = retrySel_(*delegate_, *this, willRetry, error);
    if (retryBlock_)
        willRetry = retryBlock_(willRetry, error);
    if (willRetry) {
        // Ask the server how much arrived before sending anything again.
        auto request = chunkFetcher.mutableRequest();
        request->setValue("bytes */" + std::to_string(fullUploadLength()), "Content-Range");
        request->setValue("0", "Content-Length");
        chunkFetcher.setPostData(plat::Data());
        currentOffset_ = 0;
    }
    return willRetry;
}

void WSHTTPUploadFetcher::invokeFinalCallbacks(
    const std::optional<plat::Data>& data, const std::optional<plat::Error>& error, bool shouldInvalidateLocation)
{
    auto self = shared_from_this();
    if (shouldInvalidateLocation)
        setLocationURL(std::nullopt);
    if (delegate_ && delegateFinishedSEL_.respondsTo(*delegate_))
        delegateFinishedSEL_(*delegate_, *this, data, error);
    if (auto block = completionBlock_)
        block(data, error);
    locationChangeBlock_ = nullptr;
    releaseCallbacks();
}

void WSHTTPUploadFetcher::uploadFetcherDidSendBytes(WSHTTPFetcher&, int64_t bytesSent, int64_t totalBytesSent, int64_t)
{
    const int64_t total
        = static_cast<int64_t>(initialBodySent_) + totalBytesSent + static_cast<int64_t>(currentOffset_);
    const int64_t expected = static_cast<int64_t>(fullUploadLength() + initialBodyLength_);
    if (delegate_ && delegateSentDataSEL_.respondsTo(*delegate_))
        delegateSentDataSEL_(*delegate_, *this, bytesSent, total, expected);
    if (sentDataBlock_)
        sentDataBlock_(bytesSent, total, expected);
}

void WSHTTPUploadFetcher::reportProgressManually()
{
    if (needsManualProgress_)
        uploadFetcherDidSendBytes(*this, 0, 0, 0);
}

// --- pausing and stopping ---

void WSHTTPUploadFetcher::destroyChunkFetcher()
{
    if (auto chunkFetcher = std::move(chunkFetcher_)) {
        chunkFetcher->stopFetching();
        chunkFetcher->setProperties(std::nullopt);
    }
}

void WSHTTPUploadFetcher::pauseFetching()
{
    isPaused_ = true;
    destroyChunkFetcher();
}

void WSHTTPUploadFetcher::resumeFetching()
{
    if (!isPaused_)
        return;
    isPaused_ = false;
    uploadNextChunkWithOffset(kQueryServerForOffset, properties_);
}

void WSHTTPUploadFetcher::stopFetching()
{
    destroyChunkFetcher();
    WSHTTPFetcher::stopFetching();
}

}  // namespace zt
