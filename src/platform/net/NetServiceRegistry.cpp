#include "platform/net/NetServiceRegistry.h"

#include <algorithm>

#include "platform/net/ServiceDiscovery.h"

namespace plat {

namespace {

detail::ServiceIdentity identityOf(const NetServiceRegistry::Record& record)
{
    return {record.name, record.type, record.domain};
}

}  // namespace

NetServiceRegistry& NetServiceRegistry::shared()
{
    // Never destroyed: the network thread may look a host up while the process exits.
    static auto* registry = new NetServiceRegistry();
    return *registry;
}

void NetServiceRegistry::announce(Record record)
{
    record.type = detail::normalizedServiceType(record.type);
    record.domain = detail::normalizedServiceDomain(record.domain);
    bool replaced = false;
    {
        std::lock_guard lock(_lock);
        auto existing = std::find_if(_records.begin(), _records.end(),
            [&](const Record& known) { return detail::sameService(identityOf(known), identityOf(record)); });
        if (existing != _records.end()) {
            *existing = record;
            replaced = true;
        } else {
            _records.push_back(record);
        }
    }
    // A replaced service keeps its listing; only resolving sees the change.
    if (!replaced)
        notify(record, true);
}

std::optional<NetServiceRegistry::Record> NetServiceRegistry::findHost(const std::string& hostName) const
{
    std::lock_guard lock(_lock);
    auto known = std::find_if(_records.begin(), _records.end(),
        [&](const Record& record) { return detail::sameHostName(record.hostName, hostName); });
    if (known == _records.end())
        return std::nullopt;
    return *known;
}

void NetServiceRegistry::withdraw(const std::string& name, const std::string& type, const std::string& domain)
{
    const detail::ServiceIdentity wanted {name, type, domain};
    std::optional<Record> removed;
    {
        std::lock_guard lock(_lock);
        auto existing = std::find_if(_records.begin(), _records.end(),
            [&](const Record& known) { return detail::sameService(identityOf(known), wanted); });
        if (existing == _records.end())
            return;
        removed = *existing;
        _records.erase(existing);
    }
    notify(*removed, false);
}

std::vector<NetServiceRegistry::Record> NetServiceRegistry::services() const
{
    std::lock_guard lock(_lock);
    return _records;
}

std::optional<NetServiceRegistry::Record> NetServiceRegistry::find(
    const std::string& name, const std::string& type, const std::string& domain) const
{
    const detail::ServiceIdentity wanted {name, type, domain};
    std::lock_guard lock(_lock);
    for (const Record& record : _records) {
        if (detail::sameService(identityOf(record), wanted))
            return record;
    }
    return std::nullopt;
}

void NetServiceRegistry::removeAllForTesting()
{
    std::lock_guard lock(_lock);
    _records.clear();
}

uint64_t NetServiceRegistry::listen(const std::string& type, const std::string& domain, Listener listener)
{
    auto shared = std::make_shared<Listener>(std::move(listener));
    std::vector<Record> present;
    uint64_t token = 0;
    {
        std::lock_guard lock(_lock);
        token = _nextToken++;
        _subscriptions[token] = {type, domain, shared};
        for (const Record& record : _records) {
            if (detail::sameTypeAndDomain(record.type, record.domain, type, domain))
                present.push_back(record);
        }
    }
    for (const Record& record : present)
        (*shared)(record, true);
    return token;
}

void NetServiceRegistry::stopListening(uint64_t token)
{
    std::lock_guard lock(_lock);
    _subscriptions.erase(token);
}

void NetServiceRegistry::notify(const Record& record, bool added)
{
    std::vector<std::shared_ptr<Listener>> listeners;
    {
        std::lock_guard lock(_lock);
        for (const auto& [token, subscription] : _subscriptions) {
            if (detail::sameTypeAndDomain(record.type, record.domain, subscription.type, subscription.domain))
                listeners.push_back(subscription.listener);
        }
    }
    // Outside the lock: listeners may announce or withdraw in turn.
    for (const auto& listener : listeners)
        (*listener)(record, added);
}

}  // namespace plat
