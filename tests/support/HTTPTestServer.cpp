#include "support/HTTPTestServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/foundation/DispatchQueue.h"

namespace plat::test {

namespace {

constexpr size_t kMaxRequestHeadBytes = 1024 * 1024;
constexpr size_t kMaxRequestBodyBytes = 256 * 1024 * 1024;

bool equalsIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

bool sendAll(int socket, const std::string& bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

// Reads from the socket into buffer until it holds at least `wanted` bytes.
bool fill(int socket, std::string& buffer, size_t wanted)
{
    char chunk[16384];
    while (buffer.size() < wanted) {
        ssize_t n = ::recv(socket, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        buffer.append(chunk, static_cast<size_t>(n));
    }
    return true;
}

bool readUntil(int socket, std::string& buffer, const std::string& marker, size_t limit, size_t& position)
{
    for (;;) {
        position = buffer.find(marker);
        if (position != std::string::npos)
            return true;
        if (buffer.size() > limit || !fill(socket, buffer, buffer.size() + 1))
            return false;
    }
}

std::optional<HTTPTestRequest> readRequest(int socket)
{
    std::string buffer;
    size_t headEnd = 0;
    if (!readUntil(socket, buffer, "\r\n\r\n", kMaxRequestHeadBytes, headEnd))
        return std::nullopt;
    HTTPTestRequest request;
    std::string head = buffer.substr(0, headEnd);
    buffer.erase(0, headEnd + 4);
    size_t lineEnd = head.find("\r\n");
    std::string requestLine = head.substr(0, lineEnd);
    size_t firstSpace = requestLine.find(' ');
    size_t secondSpace = requestLine.rfind(' ');
    if (firstSpace == std::string::npos || secondSpace == firstSpace)
        return std::nullopt;
    request.method = requestLine.substr(0, firstSpace);
    request.target = requestLine.substr(firstSpace + 1, secondSpace - firstSpace - 1);
    size_t position = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
    while (position < head.size()) {
        size_t end = head.find("\r\n", position);
        if (end == std::string::npos)
            end = head.size();
        std::string line = head.substr(position, end - position);
        position = end + 2;
        size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        request.headers.emplace_back(line.substr(0, colon), value);
    }
    if (auto length = request.header("Content-Length")) {
        size_t count = std::stoul(*length);
        if (count > kMaxRequestBodyBytes || !fill(socket, buffer, count))
            return std::nullopt;
        request.body = buffer.substr(0, count);
    } else if (auto encoding = request.header("Transfer-Encoding");
               encoding && equalsIgnoringCase(*encoding, "chunked")) {
        for (;;) {
            size_t sizeEnd = 0;
            if (!readUntil(socket, buffer, "\r\n", kMaxRequestHeadBytes, sizeEnd))
                return std::nullopt;
            size_t size = std::stoul(buffer.substr(0, sizeEnd), nullptr, 16);
            buffer.erase(0, sizeEnd + 2);
            if (request.body.size() + size > kMaxRequestBodyBytes || !fill(socket, buffer, size + 2))
                return std::nullopt;
            request.body += buffer.substr(0, size);
            buffer.erase(0, size + 2);
            if (size == 0)
                break;
        }
    }
    return request;
}

std::string headText(const HTTPTestReply& reply, std::optional<size_t> contentLength, bool chunked)
{
    std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " + reply.reason + "\r\n";
    bool hasLength = false;
    for (const auto& [name, value] : reply.headers) {
        head += name + ": " + value + "\r\n";
        hasLength = hasLength || equalsIgnoringCase(name, "Content-Length");
    }
    if (contentLength && !hasLength)
        head += "Content-Length: " + std::to_string(*contentLength) + "\r\n";
    if (chunked)
        head += "Transfer-Encoding: chunked\r\n";
    head += "Connection: close\r\n\r\n";
    return head;
}

}  // namespace

std::optional<std::string> HTTPTestRequest::header(const std::string& name) const
{
    for (const auto& [key, value] : headers) {
        if (equalsIgnoringCase(key, name))
            return value;
    }
    return std::nullopt;
}

HTTPTestReply HTTPTestReply::withBody(int status, std::string body, std::string contentType)
{
    HTTPTestReply reply;
    reply.status = status;
    reply.reason = status < 300 ? "OK" : "Status";
    reply.body = std::move(body);
    reply.headers.emplace_back("Content-Type", std::move(contentType));
    return reply;
}

HTTPTestReply HTTPTestReply::redirect(int status, std::string location)
{
    HTTPTestReply reply;
    reply.status = status;
    reply.reason = "Redirect";
    reply.headers.emplace_back("Location", std::move(location));
    return reply;
}

HTTPTestReply& HTTPTestReply::header(std::string name, std::string value)
{
    headers.emplace_back(std::move(name), std::move(value));
    return *this;
}

HTTPTestServer::HTTPTestServer(Handler handler, Loopback loopback)
    : _handler(std::move(handler))
    , _loopback(loopback)
{
    sockaddr_storage address {};
    socklen_t length = 0;
    if (loopback == Loopback::IPv6) {
        auto& v6 = reinterpret_cast<sockaddr_in6&>(address);
        v6.sin6_family = AF_INET6;
        v6.sin6_addr = in6addr_loopback;
        length = sizeof v6;
    } else {
        auto& v4 = reinterpret_cast<sockaddr_in&>(address);
        v4.sin_family = AF_INET;
        v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        length = sizeof v4;
    }
    _listenSocket = ::socket(address.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (_listenSocket < 0 || ::bind(_listenSocket, reinterpret_cast<sockaddr*>(&address), length) != 0
        || ::listen(_listenSocket, 64) != 0
        || ::getsockname(_listenSocket, reinterpret_cast<sockaddr*>(&address), &length) != 0
        || ::pipe2(_stopPipe, O_CLOEXEC) != 0)
        throw std::runtime_error(loopback == Loopback::IPv6 ? "HTTPTestServer: cannot listen on ::1"
                                                            : "HTTPTestServer: cannot listen on 127.0.0.1");
    _port = ntohs(loopback == Loopback::IPv6 ? reinterpret_cast<sockaddr_in6&>(address).sin6_port
                                             : reinterpret_cast<sockaddr_in&>(address).sin_port);
    _acceptThread = std::thread([this] { acceptLoop(); });
}

HTTPTestServer::~HTTPTestServer()
{
    {
        std::lock_guard guard(_lock);
        _stopping = true;
        for (int socket : _openSockets)
            ::shutdown(socket, SHUT_RDWR);
    }
    _released.notify_all();
    char byte = 0;
    if (::write(_stopPipe[1], &byte, 1) != 1)
        std::terminate();
    _acceptThread.join();
    std::vector<std::thread> threads;
    {
        std::lock_guard guard(_lock);
        threads.swap(_connectionThreads);
    }
    for (auto& thread : threads)
        thread.join();
    ::close(_listenSocket);
    ::close(_stopPipe[0]);
    ::close(_stopPipe[1]);
}

std::string HTTPTestServer::url(const std::string& path) const
{
    const char* host = _loopback == Loopback::IPv6 ? "[::1]" : "127.0.0.1";
    return "http://" + std::string(host) + ":" + std::to_string(_port) + path;
}

std::string HTTPTestServer::localhostURL(const std::string& path) const
{
    return "http://localhost:" + std::to_string(_port) + path;
}

std::vector<HTTPTestRequest> HTTPTestServer::requests() const
{
    std::lock_guard guard(_lock);
    return _requests;
}

size_t HTTPTestServer::requestCount() const
{
    std::lock_guard guard(_lock);
    return _requests.size();
}

void HTTPTestServer::trickle()
{
    {
        std::lock_guard guard(_lock);
        ++_tricklePieces;
    }
    _released.notify_all();
}

void HTTPTestServer::release()
{
    {
        std::lock_guard guard(_lock);
        _isReleased = true;
    }
    _released.notify_all();
}

void HTTPTestServer::acceptLoop()
{
    for (;;) {
        pollfd fds[2] = {{_listenSocket, POLLIN, 0}, {_stopPipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents)
            return;
        int socket = ::accept4(_listenSocket, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0)
            continue;
        std::vector<std::thread> ended;
        {
            std::lock_guard guard(_lock);
            if (_stopping) {
                ::close(socket);
                return;
            }
            for (auto id : _endedConnections) {
                auto thread = std::find_if(_connectionThreads.begin(), _connectionThreads.end(),
                    [id](const std::thread& candidate) { return candidate.get_id() == id; });
                ended.push_back(std::move(*thread));
                _connectionThreads.erase(thread);
            }
            _endedConnections.clear();
            _openSockets.push_back(socket);
            _connectionThreads.emplace_back([this, socket] { serve(socket); });
        }
        for (auto& thread : ended)
            thread.join();
    }
}

void HTTPTestServer::serve(int socket)
{
    auto request = readRequest(socket);
    if (request) {
        {
            std::lock_guard guard(_lock);
            _requests.push_back(*request);
        }
        // Tests waiting on the main loop look again at what the server saw.
        DispatchQueue::mainQueue().async([] {});
        HTTPTestReply reply = _handler(*request);
        using Delivery = HTTPTestReply::Delivery;
        auto waitForRelease = [&] {
            std::unique_lock lock(_lock);
            _released.wait(lock, [&] { return _isReleased || _stopping; });
        };
        switch (reply.delivery) {
        case Delivery::Whole:
            sendAll(socket, headText(reply, reply.body.size(), false) + reply.body);
            break;
        case Delivery::Chunked: {
            std::string text = headText(reply, std::nullopt, true);
            for (size_t offset = 0; offset < reply.body.size(); offset += reply.chunkSize) {
                std::string piece = reply.body.substr(offset, reply.chunkSize);
                char size[32];
                std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
                text += size + piece + "\r\n";
            }
            sendAll(socket, text + "0\r\n\r\n");
            break;
        }
        case Delivery::Truncated:
            sendAll(socket, headText(reply, reply.body.size() + reply.truncatedExtra, false) + reply.body);
            break;
        case Delivery::StallAfterBody:
            sendAll(socket, headText(reply, reply.body.size() + 1, false) + reply.body);
            waitForRelease();
            break;
        case Delivery::StallBeforeHead:
            waitForRelease();
            break;
        case Delivery::CloseWithoutReply:
            break;
        case Delivery::Trickled: {
            bool sending = sendAll(socket, headText(reply, reply.body.size(), false));
            for (size_t offset = 0, piece = 0; sending && offset < reply.body.size();
                 offset += reply.chunkSize, ++piece) {
                {
                    std::unique_lock lock(_lock);
                    _released.wait(lock, [&] { return _tricklePieces > piece || _stopping; });
                    if (_stopping)
                        break;
                }
                sending = sendAll(socket, reply.body.substr(offset, reply.chunkSize));
            }
            break;
        }
        case Delivery::Endless: {
            bool sending = sendAll(socket, headText(reply, std::nullopt, false));
            while (sending) {
                {
                    std::lock_guard guard(_lock);
                    if (_stopping)
                        break;
                }
                sending = sendAll(socket, reply.body);
            }
            break;
        }
        }
    }
    std::lock_guard guard(_lock);
    std::erase(_openSockets, socket);
    ::shutdown(socket, SHUT_RDWR);
    ::close(socket);
    _endedConnections.push_back(std::this_thread::get_id());
}

}  // namespace plat::test
