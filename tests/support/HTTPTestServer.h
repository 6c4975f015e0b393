#pragma once
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace plat::test {

struct HTTPTestRequest {
    std::string method;
    std::string target;  // path and query as sent
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    std::optional<std::string> header(const std::string& name) const;
};

// A scripted reply. Every reply closes its connection when it is done.
struct HTTPTestReply {
    enum class Delivery {
        Whole,  // head with Content-Length, then the body
        Chunked,  // the body in chunks of chunkSize
        Truncated,  // Content-Length declares truncatedExtra more bytes than are sent, then the connection closes
        StallAfterBody,  // head and body are sent, then nothing until release() or the server stops
        StallBeforeHead,  // nothing until release() or the server stops, then the connection closes
        CloseWithoutReply,  // the connection closes at once
        Endless,  // the body is sent again and again until the client goes away
        Trickled,  // head with Content-Length, then chunkSize bytes of the body for each trickle()
    };

    int status = 200;
    std::string reason = "OK";
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    Delivery delivery = Delivery::Whole;
    size_t chunkSize = 1024;
    size_t truncatedExtra = 0;

    static HTTPTestReply withBody(int status, std::string body, std::string contentType = "text/plain");
    static HTTPTestReply redirect(int status, std::string location);
    HTTPTestReply& header(std::string name, std::string value);
};

// A threaded HTTP/1.1 server on 127.0.0.1 (or ::1) with an ephemeral port. Each
// request is answered by the handler on its connection's thread (so handlers
// must be thread-safe); every request is recorded, and the main queue is
// woken so that tests waiting on the main loop see it. Stops, closing every
// connection, when destroyed.
class HTTPTestServer {
public:
    using Handler = std::function<HTTPTestReply(const HTTPTestRequest&)>;

    enum class Loopback { IPv4, IPv6 };

    explicit HTTPTestServer(Handler handler, Loopback loopback = Loopback::IPv4);
    ~HTTPTestServer();
    HTTPTestServer(const HTTPTestServer&) = delete;
    HTTPTestServer& operator=(const HTTPTestServer&) = delete;

    int port() const { return _port; }
    // "http://127.0.0.1:<port>" (or "http://[::1]:<port>") followed by the path.
    std::string url(const std::string& path = "/") const;
    // The same server under the name "localhost": another host for cookies and credentials.
    std::string localhostURL(const std::string& path = "/") const;

    std::vector<HTTPTestRequest> requests() const;
    size_t requestCount() const;
    // Lets stalled replies go on (and end).
    void release();
    // Lets every trickled reply send its next piece.
    void trickle();

private:
    void acceptLoop();
    void serve(int socket);

    Handler _handler;
    Loopback _loopback;
    int _listenSocket = -1;
    int _stopPipe[2] = {-1, -1};
    int _port = 0;
    std::thread _acceptThread;

    mutable std::mutex _lock;
    std::condition_variable _released;
    bool _isReleased = false;  // guarded by _lock
    size_t _tricklePieces = 0;  // guarded by _lock: pieces each trickled reply may have sent
    bool _stopping = false;  // guarded by _lock
    std::vector<HTTPTestRequest> _requests;  // guarded by _lock
    std::vector<int> _openSockets;  // guarded by _lock
    std::vector<std::thread> _connectionThreads;  // guarded by _lock
    // Connections served to the end, whose threads the accept loop joins, so
    // a client asking without pause does not pile up ended threads.
    std::vector<std::thread::id> _endedConnections;  // guarded by _lock
};

}  // namespace plat::test
