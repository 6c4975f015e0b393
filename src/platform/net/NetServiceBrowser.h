#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"

namespace plat {

class NetService;
class NetServiceBrowser;
namespace detail {
class DiscoveryActivity;
}

// What a browser tells its delegate, on the main queue. Every operation
// does nothing by default.
class NetServiceBrowserDelegate {
public:
    virtual ~NetServiceBrowserDelegate() = default;
    virtual void netServiceBrowserWillSearch(NetServiceBrowser& browser);
    // netServiceBrowser:didFindService:moreComing:
    virtual void netServiceBrowser(
        NetServiceBrowser& browser, const std::shared_ptr<NetService>& service, bool moreComing);
    // netServiceBrowser:didRemoveService:moreComing: the object found before.
    virtual void netServiceBrowserDidRemoveServiceMoreComing(
        NetServiceBrowser& browser, const std::shared_ptr<NetService>& service, bool moreComing);
    virtual void netServiceBrowserDidNotSearch(NetServiceBrowser& browser, const Dictionary& errorDict);
    virtual void netServiceBrowserDidStopSearch(NetServiceBrowser& browser);
};

// The platform's service browser: finds the services of one type in a
// domain as they come and go, through ServiceDiscovery's backend, and hands
// each out as a NetService to resolve. Create with std::make_shared; main
// thread.
class NetServiceBrowser : public std::enable_shared_from_this<NetServiceBrowser> {
public:
    NetServiceBrowser();
    ~NetServiceBrowser();
    NetServiceBrowser(const NetServiceBrowser&) = delete;
    NetServiceBrowser& operator=(const NetServiceBrowser&) = delete;

    void setDelegate(std::weak_ptr<NetServiceBrowserDelegate> delegate) { _delegate = std::move(delegate); }
    std::shared_ptr<NetServiceBrowserDelegate> delegate() const { return _delegate.lock(); }

    // searchForServicesOfType:inDomain: a browser searches one type at a time.
    void searchForServicesOfType(const std::string& type, const std::string& domain);
    void stop();

private:
    void serviceChanged(
        uint64_t generation, const std::string& name, const std::string& type, const std::string& domain, bool added);
    void searchFailed(uint64_t generation, int64_t code);

    std::weak_ptr<NetServiceBrowserDelegate> _delegate;
    uint64_t _generation = 0;
    bool _searching = false;
    std::unique_ptr<detail::DiscoveryActivity> _running;
    std::vector<std::shared_ptr<NetService>> _found;
};

}  // namespace plat
