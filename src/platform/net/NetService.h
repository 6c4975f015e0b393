#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Value.h"

namespace plat {

class NetService;
namespace detail {
class DiscoveryActivity;
}

// What a service tells its delegate, on the main queue. Every operation
// does nothing by default.
class NetServiceDelegate {
public:
    virtual ~NetServiceDelegate() = default;
    virtual void netServiceWillPublish(NetService& service);
    virtual void netServiceDidPublish(NetService& service);
    // errorDict: {kNetServicesErrorCode, kNetServicesErrorDomain}.
    virtual void netServiceDidNotPublish(NetService& service, const Dictionary& errorDict);
    virtual void netServiceWillResolve(NetService& service);
    virtual void netServiceDidResolveAddress(NetService& service);
    virtual void netServiceDidNotResolve(NetService& service, const Dictionary& errorDict);
    virtual void netServiceDidStop(NetService& service);
};

// The platform's network service: one service of a type in a domain,
// published by this program or found by a browser and resolved to the host
// name and port it runs on, through ServiceDiscovery's backend. A resolve
// that has not answered when its time-out passes on plat::Clock fails with
// kNetServicesTimeoutError. Create with std::make_shared; main thread.
class NetService : public std::enable_shared_from_this<NetService> {
public:
    // initWithDomain:type:name:port: a service to publish.
    NetService(std::string domain, std::string type, std::string name, int64_t port);
    // initWithDomain:type:name: a service to resolve (port -1 until then).
    NetService(std::string domain, std::string type, std::string name);
    ~NetService();
    NetService(const NetService&) = delete;
    NetService& operator=(const NetService&) = delete;

    const std::string& name() const { return _name; }
    // With the final dot: "_http._tcp.", "local.".
    const std::string& type() const { return _type; }
    const std::string& domain() const { return _domain; }
    // Known once resolved (with the final dot where discovery gives one).
    const std::optional<std::string>& hostName() const { return _hostName; }
    int64_t port() const { return _port; }

    void setDelegate(std::weak_ptr<NetServiceDelegate> delegate) { _delegate = std::move(delegate); }
    std::shared_ptr<NetServiceDelegate> delegate() const { return _delegate.lock(); }

    // The host the service is published on (DNS-SD's host); empty, the
    // default: this machine.
    void setPublishedHostName(std::string hostName) { _publishedHostName = std::move(hostName); }

    void publish();
    void resolveWithTimeout(double timeoutSeconds);
    // Ends publishing or resolving; didStop follows when either ran.
    void stop();

private:
    enum class Activity { None, Publishing, Resolving };
    void finishResolving(uint64_t generation, std::optional<std::string> hostName, int64_t port, int64_t errorCode);
    void failPublishing(uint64_t generation, int64_t errorCode);
    static Dictionary errorDictionary(int64_t code);

    std::string _name;
    std::string _type;
    std::string _domain;
    std::optional<std::string> _hostName;
    int64_t _port = -1;
    std::string _publishedHostName;
    std::weak_ptr<NetServiceDelegate> _delegate;
    Activity _activity = Activity::None;
    uint64_t _generation = 0;
    std::unique_ptr<detail::DiscoveryActivity> _running;
};

}  // namespace plat
