#pragma once
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "web/WSHTTPFetcher.h"

namespace zt {

class WSFileHandle;
class WSHTTPFetcherService;

// The last byte offset of a "Range: bytes=<first>-<last>" reply, or empty
// for any other shape (numbers of more than 18 digits included).
std::optional<uint64_t> parseRangeHeaderLastByte(std::string_view value);

// Uploads a large body to a server that takes resumable uploads: the initial
// request gets the upload URL in "Location"; the media goes there in "PUT"
// chunks with "Content-Range"; the server confirms partial states with 308
// and "Range". Pausing, resuming and restarting from a known upload URL ask
// the server what it holds first. Main thread, like every fetcher.
class WSHTTPUploadFetcher : public WSHTTPFetcher {
public:
    // Asks the server for its state instead of sending a chunk.
    static constexpr uint64_t kQueryServerForOffset = std::numeric_limits<uint64_t>::max();
    // A tail shorter than this rides with the chunk before it.
    static constexpr uint64_t kMinimumTailBytes = 2500;
    // Replies that bring no progress in a row before the upload gives up.
    static constexpr int kMaxRepliesWithoutProgress = 8;

    using LocationChangeBlock = std::function<void(const std::optional<plat::URL>&)>;

    static std::shared_ptr<WSHTTPUploadFetcher> fetcherWithRequest(const std::optional<plat::URLRequest>& request);
    static std::shared_ptr<WSHTTPUploadFetcher> uploadFetcherWithRequest(const plat::URLRequest& request,
        plat::Data uploadData, const std::string& uploadMIMEType, uint64_t chunkSize,
        const std::shared_ptr<WSHTTPFetcherService>& service);
    // The media shared with its owner, so that a large movie is never copied.
    static std::shared_ptr<WSHTTPUploadFetcher> uploadFetcherWithRequest(const plat::URLRequest& request,
        std::shared_ptr<const plat::Data> uploadData, const std::string& uploadMIMEType, uint64_t chunkSize,
        const std::shared_ptr<WSHTTPFetcherService>& service);
    static std::shared_ptr<WSHTTPUploadFetcher> uploadFetcherWithRequest(const plat::URLRequest& request,
        std::shared_ptr<WSFileHandle> uploadFileHandle, const std::string& uploadMIMEType, uint64_t chunkSize,
        const std::shared_ptr<WSHTTPFetcherService>& service);
    static std::shared_ptr<WSHTTPUploadFetcher> uploadFetcherWithLocation(const plat::URL& location,
        std::shared_ptr<WSFileHandle> uploadFileHandle, const std::string& uploadMIMEType, uint64_t chunkSize,
        const std::shared_ptr<WSHTTPFetcherService>& service);

    WSHTTPUploadFetcher(Passkey, const std::optional<plat::URLRequest>& request);
    const char* className() const override { return "WSHTTPUploadFetcher"; }

    bool beginFetchWithDelegate(std::shared_ptr<SelectorTarget> delegate, FinishedSelector finishedSelector) override;
    bool beginFetchWithCompletionHandler(CompletionBlock handler) override;
    void pauseFetching();
    void resumeFetching();
    bool isPaused() const { return isPaused_; }
    void stopFetching() override;

    const std::optional<plat::URL>& locationURL() const { return locationURL_; }
    void setLocationURL(const std::optional<plat::URL>& url);
    const std::shared_ptr<const plat::Data>& uploadData() const { return uploadData_; }
    const std::shared_ptr<WSFileHandle>& uploadFileHandle() const { return uploadFileHandle_; }
    const std::string& uploadMIMEType() const { return uploadMIMEType_; }
    uint64_t chunkSize() const { return chunkSize_; }
    void setChunkSize(uint64_t bytes) { chunkSize_ = bytes; }
    uint64_t currentOffset() const { return currentOffset_; }
    const LocationChangeBlock& locationChangeBlock() const { return locationChangeBlock_; }
    void setLocationChangeBlock(LocationChangeBlock block) { locationChangeBlock_ = std::move(block); }
    const std::shared_ptr<WSHTTPFetcher>& chunkFetcher() const { return chunkFetcher_; }
    std::shared_ptr<WSHTTPFetcher> activeFetcher();
    std::optional<plat::HTTPHeaders> responseHeaders() const override;
    int64_t statusCode() const override;
    SentDataSelector sentDataSelector() const override;
    void setSentDataSelector(SentDataSelector selector) override { delegateSentDataSEL_ = std::move(selector); }
    uint64_t fullUploadLength();

    // The chunk fetchers' callbacks.
    void chunkFetcherFinished(
        WSHTTPFetcher& chunkFetcher, const std::optional<plat::Data>& data, const std::optional<plat::Error>& error);
    bool chunkFetcherWillRetry(WSHTTPFetcher& chunkFetcher, bool suggestedWillRetry, const plat::Error& error);
    void uploadFetcherDidSendBytes(
        WSHTTPFetcher& fetcher, int64_t bytesSent, int64_t totalBytesSent, int64_t totalBytesExpectedToSend);

protected:
    bool shouldReleaseCallbacksUponCompletion() const override { return false; }
    void connectionDidFinishLoading() override;
    void connectionDidFail(const plat::Error& error) override;
    void didSendBodyData(int64_t bytesWritten, int64_t totalBytesWritten, int64_t totalBytesExpectedToWrite) override;

private:
    void setLocationURL(const std::optional<plat::URL>& location, std::shared_ptr<const plat::Data> uploadData,
        std::shared_ptr<WSFileHandle> fileHandle, const std::string& mimeType, uint64_t chunkSize);
    void uploadNextChunkWithOffset(uint64_t offset, const std::optional<WSPropertyDictionary>& properties);
    void handleResumeIncompleteStatusForChunkFetcher(WSHTTPFetcher& chunkFetcher);
    void invokeFinalCallbacks(
        const std::optional<plat::Data>& data, const std::optional<plat::Error>& error, bool shouldInvalidateLocation);
    void destroyChunkFetcher();
    void reportProgressManually();
    plat::Error uploadError(const std::string& description) const;

    std::shared_ptr<WSHTTPFetcher> chunkFetcher_;
    SentDataSelector delegateSentDataSEL_;
    FinishedSelector delegateFinishedSEL_;
    bool needsManualProgress_ = false;
    uint64_t initialBodyLength_ = 0;
    uint64_t initialBodySent_ = 0;
    std::optional<plat::URL> locationURL_;
    LocationChangeBlock locationChangeBlock_;
    std::shared_ptr<const plat::Data> uploadData_;
    std::shared_ptr<WSFileHandle> uploadFileHandle_;
    int64_t uploadFileHandleLength_ = -1;
    std::string uploadMIMEType_;
    uint64_t chunkSize_ = 0;
    bool isPaused_ = false;
    bool isRestartedUpload_ = false;
    uint64_t currentOffset_ = 0;
    std::optional<plat::HTTPHeaders> responseHeaders_;
    int64_t statusCode_ = -1;
    int repliesWithoutProgress_ = 0;
};

}  // namespace zt
