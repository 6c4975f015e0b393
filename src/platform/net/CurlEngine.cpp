#include "platform/net/CurlEngine.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <curl/curl.h>
#include <map>
#include <mutex>
#include <thread>
#include <variant>

#include "platform/foundation/Fatal.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Once.h"
#include "platform/foundation/Semaphore.h"
#include "platform/foundation/Threads.h"
#include "platform/net/InputStream.h"
#include "platform/net/ResponseHeadParser.h"
#include "platform/net/ServiceDiscovery.h"
#include "platform/net/URLError.h"

namespace plat::detail {

namespace {

struct CurlEasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct CurlMultiDeleter {
    void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};
struct CurlSlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlEasyPtr = std::unique_ptr<CURL, CurlEasyDeleter>;
using CurlMultiPtr = std::unique_ptr<CURLM, CurlMultiDeleter>;
using CurlSlistPtr = std::unique_ptr<curl_slist, CurlSlistDeleter>;

// The longest the worker waits in one poll when curl names no earlier moment.
constexpr int kMaxPollMilliseconds = 10000;
// How long the exiting process waits for the worker to leave a transfer step;
// a thread stuck longer (in a body stream's read, say) is left running.
constexpr double kStopAtExitSeconds = 5;

struct Transfer {
    uint64_t id = 0;
    TransferRequest request;
    std::shared_ptr<TransferSink> sink;
    CurlEasyPtr easy;
    CurlSlistPtr headerList;
    CurlSlistPtr connectToList;
    ResponseHeadParser head;
    size_t bodyOffset = 0;
    int64_t bodyBytesRead = 0;  // body bytes handed to curl, without chunk framing
    bool streamOpened = false;
    bool paused = false;
    bool headDelivered = false;
    int64_t lastReportedSent = -1;
    std::optional<Error> abortError;  // our own reason for stopping the transfer
    std::unique_ptr<DiscoveryActivity> hostLookup;  // while the local host name is being found
    std::string connectToAddress;  // found for the local host name
    std::array<char, CURL_ERROR_SIZE> errorBuffer {};

    int64_t expectedBodyLength() const
    {
        if (request.body)
            return static_cast<int64_t>(request.body->size());
        return request.bodyStreamLength.value_or(-1);
    }
    bool hasBody() const { return request.body.has_value() || request.bodyStream != nullptr; }
};

size_t headerCallback(char* buffer, size_t size, size_t count, void* user)
{
    auto* transfer = static_cast<Transfer*>(user);
    const size_t length = size * count;
    auto state = transfer->head.addLine(std::string_view(buffer, length));
    if (state == ResponseHeadParser::State::Error) {
        transfer->abortError = makeURLError(kURLErrorBadServerResponse,
            "The server's response cannot be read: " + transfer->head.errorText(), transfer->request.url);
        return 0;
    }
    if (state == ResponseHeadParser::State::Complete && !transfer->headDelivered) {
        // Trailers after a chunked body come as more lines; the finished parser ignores them.
        transfer->headDelivered = true;
        transfer->sink->transferReceivedHead(
            transfer->head.statusCode(), transfer->head.httpVersion(), transfer->head.headers());
    }
    return length;
}

size_t writeCallback(char* buffer, size_t size, size_t count, void* user)
{
    auto* transfer = static_cast<Transfer*>(user);
    if (transfer->sink->pendingBytes() > CurlEngine::kMaxPendingBytes) {
        transfer->paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    transfer->sink->transferReceivedData(reinterpret_cast<const uint8_t*>(buffer), size * count);
    return size * count;
}

size_t readCallback(char* buffer, size_t size, size_t count, void* user)
{
    auto* transfer = static_cast<Transfer*>(user);
    const size_t wanted = size * count;
    if (transfer->request.body) {
        const Data& body = *transfer->request.body;
        size_t available = std::min(wanted, body.size() - std::min(transfer->bodyOffset, body.size()));
        if (available > 0)
            std::memcpy(buffer, body.data() + transfer->bodyOffset, available);
        transfer->bodyOffset += available;
        transfer->bodyBytesRead = static_cast<int64_t>(transfer->bodyOffset);
        return available;
    }
    auto& stream = *transfer->request.bodyStream;
    if (!transfer->streamOpened) {
        stream.open();
        transfer->streamOpened = true;
    }
    int64_t read = stream.read(reinterpret_cast<uint8_t*>(buffer), wanted);
    if (read < 0) {
        std::string reason = stream.streamError() ? stream.streamError()->localizedDescription() : "read failed";
        transfer->abortError = makeURLError(kURLErrorRequestBodyStreamExhausted,
            "The request body could not be read: " + reason, transfer->request.url);
        return CURL_READFUNC_ABORT;
    }
    transfer->bodyBytesRead += read;
    return static_cast<size_t>(read);
}

int seekCallback(void* user, curl_off_t offset, int origin)
{
    auto* transfer = static_cast<Transfer*>(user);
    if (!transfer->request.body || origin != SEEK_SET || offset < 0)
        return CURL_SEEKFUNC_CANTSEEK;
    transfer->bodyOffset = static_cast<size_t>(offset);
    return CURL_SEEKFUNC_OK;
}

int progressCallback(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    // Counted from what curl read of the body, so chunk framing is not "sent data".
    auto* transfer = static_cast<Transfer*>(user);
    const int64_t sent = transfer->bodyBytesRead;
    if (transfer->hasBody() && sent > transfer->lastReportedSent && sent > 0) {
        transfer->lastReportedSent = sent;
        transfer->sink->transferSentBody(sent, transfer->expectedBodyLength());
    }
    return 0;
}

bool isSafeHeaderText(const std::string& text)
{
    return text.find_first_of("\r\n") == std::string::npos && text.find('\0') == std::string::npos;
}

// "HOST:PORT:CONNECT-TO-HOST:CONNECT-TO-PORT" with HOST and PORT left out:
// the handle only ever loads its one URL, so it matches whatever form of
// the name (final dot or not) curl compares.
std::string connectToEntry(const std::string& address)
{
    if (address.find(':') != std::string::npos)
        return "::[" + address + "]:";
    return "::" + address + ":";
}

Error errorForCode(CURLcode code, const Transfer& transfer)
{
    std::string detail = transfer.errorBuffer[0] ? transfer.errorBuffer.data() : curl_easy_strerror(code);
    const std::string& url = transfer.request.url;
    switch (code) {
    case CURLE_UNSUPPORTED_PROTOCOL:
        return makeURLError(kURLErrorUnsupportedURL, "unsupported URL (" + detail + ")", url);
    case CURLE_URL_MALFORMAT:
        return makeURLError(kURLErrorBadURL, "bad URL (" + detail + ")", url);
    case CURLE_COULDNT_RESOLVE_HOST:
        return makeURLError(
            kURLErrorCannotFindHost, "A server with the specified hostname could not be found. (" + detail + ")", url);
    case CURLE_COULDNT_CONNECT:
        return makeURLError(kURLErrorCannotConnectToHost, "Could not connect to the server. (" + detail + ")", url);
    case CURLE_OPERATION_TIMEDOUT:
        return makeURLError(kURLErrorTimedOut, "The request timed out. (" + detail + ")", url);
    case CURLE_PEER_FAILED_VERIFICATION:
        return makeURLError(
            kURLErrorServerCertificateUntrusted, "The certificate for this server is invalid. (" + detail + ")", url);
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
        return makeURLError(kURLErrorSecureConnectionFailed,
            "An SSL error has occurred and a secure connection to the server cannot be made. (" + detail + ")", url);
    case CURLE_BAD_CONTENT_ENCODING:
        return makeURLError(kURLErrorCannotDecodeContentData, "cannot decode raw data (" + detail + ")", url);
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP2:
    case CURLE_TOO_MANY_REDIRECTS:
        return makeURLError(kURLErrorBadServerResponse, "bad server response (" + detail + ")", url);
    case CURLE_FILESIZE_EXCEEDED:
        return makeURLError(kURLErrorDataLengthExceedsMaximum, "resource exceeds maximum size (" + detail + ")", url);
    case CURLE_READ_ERROR:
    case CURLE_SEND_FAIL_REWIND:
        return makeURLError(kURLErrorRequestBodyStreamExhausted, "request body stream exhausted (" + detail + ")", url);
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
        return makeURLError(kURLErrorNetworkConnectionLost, "The network connection was lost. (" + detail + ")", url);
    default:
        return makeURLError(kURLErrorUnknown, "unknown error (" + detail + ")", url);
    }
}

}  // namespace

struct CurlEngine::Impl {
    struct Start {
        uint64_t id;
        TransferRequest request;
        std::shared_ptr<TransferSink> sink;
    };
    struct Cancel {
        uint64_t id;
    };
    struct Resume {
        uint64_t id;
    };
    struct HostFound {
        uint64_t id;
        std::optional<std::string> address;  // empty: not found
        int64_t failureCode = 0;
    };
    using Command = std::variant<Start, Cancel, Resume, HostFound>;

    CurlMultiPtr multi;
    std::mutex lock;
    std::vector<Command> commands;  // guarded by lock
    uint64_t nextId = 1;  // guarded by lock
    std::map<uint64_t, std::unique_ptr<Transfer>> transfers;  // worker thread only
    std::map<uint64_t, std::unique_ptr<Transfer>> findingHosts;  // worker thread only
    std::thread worker;
    std::atomic<bool> stopping {false};
    Semaphore stopped;  // signalled as the worker leaves its loop

    void post(Command command)
    {
        {
            std::lock_guard guard(lock);
            commands.push_back(std::move(command));
        }
        curl_multi_wakeup(multi.get());
    }

    void run()
    {
        while (!stopping.load()) {
            std::vector<Command> pending;
            {
                std::lock_guard guard(lock);
                pending.swap(commands);
            }
            for (auto& command : pending)
                std::visit([this](auto& c) { handle(c); }, command);
            int running = 0;
            curl_multi_perform(multi.get(), &running);
            int left = 0;
            while (CURLMsg* message = curl_multi_info_read(multi.get(), &left)) {
                if (message->msg != CURLMSG_DONE)
                    continue;
                Transfer* transfer = nullptr;
                curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &transfer);
                finish(*transfer, message->data.result);
            }
            curl_multi_poll(multi.get(), nullptr, 0, kMaxPollMilliseconds, nullptr);
        }
        stopped.signal();
    }

    void stop()
    {
        stopping.store(true);
        curl_multi_wakeup(multi.get());
        if (stopped.wait(kStopAtExitSeconds))
            worker.join();
        else
            worker.detach();
    }

    void handle(Start& start)
    {
        auto transfer = std::make_unique<Transfer>();
        transfer->id = start.id;
        transfer->request = std::move(start.request);
        transfer->sink = std::move(start.sink);
        if (!transfer->request.localHostName.empty()) {
            findHost(std::move(transfer));
            return;
        }
        launch(std::move(transfer));
    }

    // The answer comes on discovery's thread (or at once) and is handed back
    // to this one; the activity is ended here, never from its own callback.
    void findHost(std::unique_ptr<Transfer> transfer)
    {
        const uint64_t id = transfer->id;
        const std::string hostName = transfer->request.localHostName;
        Transfer& waiting = *findingHosts.emplace(id, std::move(transfer)).first->second;
        waiting.hostLookup = currentDiscoveryBackend()->resolveHostName(
            hostName,
            [this, id](const std::string& address) {
                post(HostFound {id, address});
            },
            [this, id](int64_t code) {
                post(HostFound {id, std::nullopt, code});
            });
    }

    void handle(HostFound& found)
    {
        auto it = findingHosts.find(found.id);
        if (it == findingHosts.end())
            return;  // cancelled meanwhile
        std::unique_ptr<Transfer> transfer = std::move(it->second);
        findingHosts.erase(it);
        transfer->hostLookup.reset();
        if (!found.address) {
            transfer->sink->transferFinished(
                makeURLError(kURLErrorCannotFindHost,
                    "A server with the specified hostname could not be found. (service discovery did not find "
                        + transfer->request.localHostName + ": error " + std::to_string(found.failureCode) + ")",
                    transfer->request.url),
                false);
            return;
        }
        transfer->connectToAddress = std::move(*found.address);
        transfer->sink->transferResolvedHost();
        launch(std::move(transfer));
    }

    void launch(std::unique_ptr<Transfer> transfer)
    {
        if (!configure(*transfer)) {
            auto error = transfer->abortError.value_or(
                makeURLError(kURLErrorUnknown, "The transfer could not be set up.", transfer->request.url));
            transfer->sink->transferFinished(error, false);
            return;
        }
        curl_multi_add_handle(multi.get(), transfer->easy.get());
        transfers.emplace(transfer->id, std::move(transfer));
    }

    void handle(const Cancel& cancel)
    {
        findingHosts.erase(cancel.id);
        auto it = transfers.find(cancel.id);
        if (it == transfers.end())
            return;
        curl_multi_remove_handle(multi.get(), it->second->easy.get());
        transfers.erase(it);
    }

    void handle(const Resume& resume)
    {
        auto it = transfers.find(resume.id);
        if (it == transfers.end() || !it->second->paused)
            return;
        it->second->paused = false;
        curl_easy_pause(it->second->easy.get(), CURLPAUSE_CONT);
    }

    bool configure(Transfer& transfer)
    {
        transfer.easy.reset(curl_easy_init());
        CURL* easy = transfer.easy.get();
        if (!easy)
            return false;
        const TransferRequest& request = transfer.request;
        curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str());
        curl_easy_setopt(easy, CURLOPT_PRIVATE, &transfer);
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_PROXY, "");  // the device has no proxy settings
        curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
        curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
        curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer.errorBuffer.data());
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, headerCallback);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, writeCallback);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
        curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, progressCallback);
        curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &transfer);
        curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, request.allowUntrustedServer ? 0L : 1L);
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, request.allowUntrustedServer ? 0L : 2L);

        if (request.method == "HEAD") {
            curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
        } else if (transfer.hasBody()) {
            curl_easy_setopt(easy, CURLOPT_POST, 1L);
            curl_easy_setopt(easy, CURLOPT_READFUNCTION, readCallback);
            curl_easy_setopt(easy, CURLOPT_READDATA, &transfer);
            curl_easy_setopt(easy, CURLOPT_SEEKFUNCTION, seekCallback);
            curl_easy_setopt(easy, CURLOPT_SEEKDATA, &transfer);
            curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(transfer.expectedBodyLength()));
            if (request.method != "POST")
                curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method.c_str());
        } else if (request.method != "GET") {
            curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method.c_str());
        }

        curl_slist* list = nullptr;
        auto append = [&](const std::string& line) {
            if (curl_slist* grown = curl_slist_append(list, line.c_str()))
                list = grown;
        };
        for (const auto& [name, value] : request.headers.joinedFields()) {
            // A body's length is curl's to send; a line break would smuggle fields.
            if ((transfer.hasBody() && equalsIgnoringCase(name, "Content-Length")) || !isSafeHeaderText(name)
                || !isSafeHeaderText(value) || name.empty())
                continue;
            append(value.empty() ? name + ";" : name + ": " + value);
        }
        if (!request.headers.contains("Expect"))
            append("Expect:");  // no 100-continue round trip, as the platform sends bodies at once
        transfer.headerList.reset(list);
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, list);

        if (!transfer.connectToAddress.empty()) {
            // The Host field and the server's certificate still go by the name.
            transfer.connectToList.reset(curl_slist_append(nullptr, connectToEntry(transfer.connectToAddress).c_str()));
            if (!transfer.connectToList)
                return false;
            curl_easy_setopt(easy, CURLOPT_CONNECT_TO, transfer.connectToList.get());
        }
        return true;
    }

    void finish(Transfer& transfer, CURLcode code)
    {
        const uint64_t id = transfer.id;
        curl_multi_remove_handle(multi.get(), transfer.easy.get());
        std::optional<Error> error;
        if (transfer.abortError)
            error = transfer.abortError;
        else if (code != CURLE_OK)
            error = errorForCode(code, transfer);
        else if (transfer.head.state() != ResponseHeadParser::State::Complete)
            error = makeURLError(
                kURLErrorBadServerResponse, "The server sent no complete response.", transfer.request.url);
        transfer.sink->transferFinished(error, code == CURLE_PEER_FAILED_VERIFICATION && !transfer.abortError);
        transfers.erase(id);
    }
};

CurlEngine& CurlEngine::shared()
{
    static CurlEngine* engine = new CurlEngine();  // its thread runs until the process ends
    return *engine;
}

CurlEngine::CurlEngine()
    : _impl(std::make_unique<Impl>())
{
    static OnceFlag curlInitialised;
    dispatchOnce(curlInitialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    _impl->multi.reset(curl_multi_init());
    if (!_impl->multi)
        fatal("CurlEngine: curl_multi_init failed");
    _impl->worker = startThread("plat-network", [impl = _impl.get()] { impl->run(); });
    // After curl_global_init, so before the TLS library's own exit handler
    // in exit's reverse order: a transfer step still running when that frees
    // its tables reads freed memory.
    if (std::atexit(stopAtExit) != 0)
        log("CurlEngine: the network thread cannot be stopped at exit");
}

void CurlEngine::stopAtExit()
{
    shared()._impl->stop();
}

CurlEngine::~CurlEngine() = default;

uint64_t CurlEngine::start(TransferRequest request, std::shared_ptr<TransferSink> sink)
{
    uint64_t id = 0;
    {
        std::lock_guard guard(_impl->lock);
        id = _impl->nextId++;
    }
    _impl->post(Impl::Start {id, std::move(request), std::move(sink)});
    return id;
}

void CurlEngine::cancel(uint64_t transferId)
{
    _impl->post(Impl::Cancel {transferId});
}

void CurlEngine::resume(uint64_t transferId)
{
    _impl->post(Impl::Resume {transferId});
}

}  // namespace plat::detail
