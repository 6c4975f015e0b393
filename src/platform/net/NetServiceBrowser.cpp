#include "platform/net/NetServiceBrowser.h"

#include <algorithm>

#include "platform/foundation/DispatchQueue.h"
#include "platform/net/NetService.h"
#include "platform/net/ServiceDiscovery.h"

namespace plat {

void NetServiceBrowserDelegate::netServiceBrowserWillSearch(NetServiceBrowser&) { }
void NetServiceBrowserDelegate::netServiceBrowser(NetServiceBrowser&, const std::shared_ptr<NetService>&, bool) { }
void NetServiceBrowserDelegate::netServiceBrowserDidRemoveServiceMoreComing(
    NetServiceBrowser&, const std::shared_ptr<NetService>&, bool)
{
}
void NetServiceBrowserDelegate::netServiceBrowserDidNotSearch(NetServiceBrowser&, const Dictionary&) { }
void NetServiceBrowserDelegate::netServiceBrowserDidStopSearch(NetServiceBrowser&) { }

NetServiceBrowser::NetServiceBrowser() = default;
NetServiceBrowser::~NetServiceBrowser() = default;

void NetServiceBrowser::searchForServicesOfType(const std::string& type, const std::string& domain)
{
    assertOnQueue(DispatchQueue::mainQueue());
    auto listener = _delegate.lock();
    if (_searching) {
        if (listener) {
            Dictionary error;
            error.set(kNetServicesErrorCode, kNetServicesActivityInProgress);
            error.set(kNetServicesErrorDomain, kNetServicesErrorDomainNumber);
            listener->netServiceBrowserDidNotSearch(*this, error);
        }
        return;
    }
    _searching = true;
    _found.clear();
    if (listener)
        listener->netServiceBrowserWillSearch(*this);
    const uint64_t generation = ++_generation;
    std::weak_ptr<NetServiceBrowser> weakSelf = weak_from_this();
    _running = detail::currentDiscoveryBackend()->browse(
        detail::normalizedServiceType(type), detail::normalizedServiceDomain(domain),
        [weakSelf, generation](const detail::ServiceIdentity& service, bool added) {
            DispatchQueue::mainQueue().async([weakSelf, generation, service, added] {
                if (auto self = weakSelf.lock())
                    self->serviceChanged(generation, service.name, service.type, service.domain, added);
            });
        },
        [weakSelf, generation](int64_t code) {
            DispatchQueue::mainQueue().async([weakSelf, generation, code] {
                if (auto self = weakSelf.lock())
                    self->searchFailed(generation, code);
            });
        });
}

void NetServiceBrowser::serviceChanged(
    uint64_t generation, const std::string& name, const std::string& type, const std::string& domain, bool added)
{
    if (generation != _generation || !_searching)
        return;
    const detail::ServiceIdentity changed {name, type, domain};
    auto known = std::find_if(_found.begin(), _found.end(), [&](const std::shared_ptr<NetService>& service) {
        return detail::sameService({service->name(), service->type(), service->domain()}, changed);
    });
    auto listener = _delegate.lock();
    if (added) {
        if (known != _found.end())
            return;
        auto service = std::make_shared<NetService>(domain, type, name);
        _found.push_back(service);
        if (listener)
            listener->netServiceBrowser(*this, service, /*moreComing=*/false);
        return;
    }
    if (known == _found.end())
        return;
    auto service = *known;
    _found.erase(known);
    if (listener)
        listener->netServiceBrowserDidRemoveServiceMoreComing(*this, service, /*moreComing=*/false);
}

void NetServiceBrowser::searchFailed(uint64_t generation, int64_t code)
{
    if (generation != _generation || !_searching)
        return;
    ++_generation;
    _searching = false;
    _running.reset();
    if (auto listener = _delegate.lock()) {
        Dictionary error;
        error.set(kNetServicesErrorCode, code);
        error.set(kNetServicesErrorDomain, kNetServicesErrorDomainNumber);
        listener->netServiceBrowserDidNotSearch(*this, error);
    }
}

void NetServiceBrowser::stop()
{
    assertOnQueue(DispatchQueue::mainQueue());
    if (!_searching)
        return;
    ++_generation;
    _searching = false;
    _running.reset();
    _found.clear();
    if (auto listener = _delegate.lock())
        listener->netServiceBrowserDidStopSearch(*this);
}

}  // namespace plat
