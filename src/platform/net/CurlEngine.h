#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "platform/net/HTTPHeaders.h"

namespace plat {
class InputStream;
}

namespace plat::detail {

// One HTTP exchange as the engine sends it.
struct TransferRequest {
    std::string url;
    std::string method = "GET";
    HTTPHeaders headers;
    std::optional<Data> body;
    std::shared_ptr<InputStream> bodyStream;
    std::optional<int64_t> bodyStreamLength;  // from the request's "Content-Length"
    bool allowUntrustedServer = false;
    // The URL's host when the local domain's service discovery is to find
    // it ("camera.local."); empty: the system's resolver.
    std::string localHostName;
};

// Told of a transfer's progress on the engine's thread. After cancel() the
// sink may still hear of events already under way; it must tell them apart.
class TransferSink {
public:
    virtual ~TransferSink() = default;
    virtual void transferReceivedHead(int64_t statusCode, const std::string& httpVersion, const HTTPHeaders& headers)
        = 0;
    virtual void transferReceivedData(const uint8_t* bytes, size_t length) = 0;
    virtual void transferSentBody(int64_t totalSent, int64_t totalExpected) = 0;
    // Service discovery found the request's local host name; the transfer
    // goes on to connect.
    virtual void transferResolvedHost() { }
    // Exactly once for a transfer that was not cancelled; no error on success.
    virtual void transferFinished(std::optional<Error> error, bool certificateUntrusted) = 0;
    // Bytes handed over but not yet consumed; above the engine's limit the
    // transfer pauses until resume() is called.
    virtual int64_t pendingBytes() const = 0;
};

// Runs every HTTP transfer of the process on one worker thread, over
// libcurl's multi interface; the thread waits in curl_multi_poll and is woken
// for new work. A host of the local domain is first looked up through
// service discovery without holding up the thread, and the transfer then
// connects to the address found while its requests still name the host. Never destroyed, like the dispatch pool; its
// thread stops while the process exits, before libcurl's TLS library frees its state. Any thread.
class CurlEngine {
public:
    // Bytes handed to a sink and not yet consumed before its transfer pauses.
    static constexpr int64_t kMaxPendingBytes = 4 * 1024 * 1024;

    static CurlEngine& shared();

    uint64_t start(TransferRequest request, std::shared_ptr<TransferSink> sink);
    void cancel(uint64_t transferId);
    // Lets a paused transfer go on once its sink has consumed its bytes.
    void resume(uint64_t transferId);

    CurlEngine(const CurlEngine&) = delete;
    CurlEngine& operator=(const CurlEngine&) = delete;

private:
    struct Impl;
    CurlEngine();
    ~CurlEngine();
    static void stopAtExit();
    std::unique_ptr<Impl> _impl;
};

}  // namespace plat::detail
