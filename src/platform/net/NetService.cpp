#include "platform/net/NetService.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/net/ServiceDiscovery.h"

namespace plat {

void NetServiceDelegate::netServiceWillPublish(NetService&) { }
void NetServiceDelegate::netServiceDidPublish(NetService&) { }
void NetServiceDelegate::netServiceDidNotPublish(NetService&, const Dictionary&) { }
void NetServiceDelegate::netServiceWillResolve(NetService&) { }
void NetServiceDelegate::netServiceDidResolveAddress(NetService&) { }
void NetServiceDelegate::netServiceDidNotResolve(NetService&, const Dictionary&) { }
void NetServiceDelegate::netServiceDidStop(NetService&) { }

NetService::NetService(std::string domain, std::string type, std::string name, int64_t port)
    : _name(std::move(name))
    , _type(detail::normalizedServiceType(type))
    , _domain(detail::normalizedServiceDomain(domain))
    , _port(port)
{
}

NetService::NetService(std::string domain, std::string type, std::string name)
    : NetService(std::move(domain), std::move(type), std::move(name), -1)
{
}

NetService::~NetService() = default;

Dictionary NetService::errorDictionary(int64_t code)
{
    Dictionary error;
    error.set(kNetServicesErrorCode, code);
    error.set(kNetServicesErrorDomain, kNetServicesErrorDomainNumber);
    return error;
}

void NetService::publish()
{
    assertOnQueue(DispatchQueue::mainQueue());
    auto listener = _delegate.lock();
    if (_activity != Activity::None) {
        if (listener)
            listener->netServiceDidNotPublish(*this, errorDictionary(kNetServicesActivityInProgress));
        return;
    }
    if (listener)
        listener->netServiceWillPublish(*this);
    _activity = Activity::Publishing;
    const uint64_t generation = ++_generation;
    std::weak_ptr<NetService> weakSelf = weak_from_this();
    _running = detail::currentDiscoveryBackend()->publish(
        {_name, _type, _domain}, _publishedHostName, _port,
        [weakSelf, generation] {
            DispatchQueue::mainQueue().async([weakSelf, generation] {
                auto self = weakSelf.lock();
                if (!self || self->_generation != generation)
                    return;
                if (auto delegate = self->_delegate.lock())
                    delegate->netServiceDidPublish(*self);
            });
        },
        [weakSelf, generation](int64_t code) {
            DispatchQueue::mainQueue().async([weakSelf, generation, code] {
                if (auto self = weakSelf.lock())
                    self->failPublishing(generation, code);
            });
        });
}

void NetService::failPublishing(uint64_t generation, int64_t errorCode)
{
    if (generation != _generation)
        return;
    ++_generation;
    _activity = Activity::None;
    _running.reset();
    if (auto listener = _delegate.lock())
        listener->netServiceDidNotPublish(*this, errorDictionary(errorCode));
}

void NetService::resolveWithTimeout(double timeoutSeconds)
{
    assertOnQueue(DispatchQueue::mainQueue());
    auto listener = _delegate.lock();
    if (_activity != Activity::None) {
        if (listener)
            listener->netServiceDidNotResolve(*this, errorDictionary(kNetServicesActivityInProgress));
        return;
    }
    if (listener)
        listener->netServiceWillResolve(*this);
    _activity = Activity::Resolving;
    const uint64_t generation = ++_generation;
    std::weak_ptr<NetService> weakSelf = weak_from_this();
    DispatchQueue::mainQueue().after(timeoutSeconds, [weakSelf, generation] {
        if (auto self = weakSelf.lock())
            self->finishResolving(generation, std::nullopt, -1, kNetServicesTimeoutError);
    });
    _running = detail::currentDiscoveryBackend()->resolve(
        {_name, _type, _domain},
        [weakSelf, generation](const detail::ResolvedService& resolved) {
            DispatchQueue::mainQueue().async([weakSelf, generation, resolved] {
                if (auto self = weakSelf.lock())
                    self->finishResolving(generation, resolved.hostName, resolved.port, 0);
            });
        },
        [weakSelf, generation](int64_t code) {
            DispatchQueue::mainQueue().async([weakSelf, generation, code] {
                if (auto self = weakSelf.lock())
                    self->finishResolving(generation, std::nullopt, -1, code);
            });
        });
}

void NetService::finishResolving(
    uint64_t generation, std::optional<std::string> hostName, int64_t port, int64_t errorCode)
{
    if (generation != _generation || _activity != Activity::Resolving)
        return;
    ++_generation;
    _activity = Activity::None;
    _running.reset();
    auto listener = _delegate.lock();
    if (hostName) {
        _hostName = std::move(hostName);
        _port = port;
        if (listener)
            listener->netServiceDidResolveAddress(*this);
        return;
    }
    if (listener)
        listener->netServiceDidNotResolve(*this, errorDictionary(errorCode));
}

void NetService::stop()
{
    assertOnQueue(DispatchQueue::mainQueue());
    if (_activity == Activity::None)
        return;
    ++_generation;
    _activity = Activity::None;
    _running.reset();
    if (auto listener = _delegate.lock())
        listener->netServiceDidStop(*this);
}

}  // namespace plat
