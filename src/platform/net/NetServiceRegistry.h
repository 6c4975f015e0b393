#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace plat {

// Service discovery inside this process, for machines without an Avahi
// daemon and for tests: publishers (and test peers) announce services here
// and browsers of the same type and domain hear of them. A service
// announced as not resolvable is found but never resolves, as one whose
// host has gone. Any thread.
class NetServiceRegistry {
public:
    struct Record {
        std::string name;
        std::string type;  // "_http._tcp." (the final dot may be left out)
        std::string domain = "local.";
        std::string hostName;
        int64_t port = 0;
        bool resolvable = true;
        // Where a connection to hostName goes when that is a name of the
        // local domain ("camera.local."): services of this process are on
        // this machine.
        std::string address = "127.0.0.1";
    };
    using Listener = std::function<void(const Record& record, bool added)>;

    static NetServiceRegistry& shared();

    // Adds the service, or replaces one of the same name, type and domain.
    void announce(Record record);
    // No service of that name: nothing happens.
    void withdraw(const std::string& name, const std::string& type, const std::string& domain = "local.");
    std::vector<Record> services() const;
    std::optional<Record> find(const std::string& name, const std::string& type, const std::string& domain) const;
    // A service on that host (compared without regard to case or a final dot).
    std::optional<Record> findHost(const std::string& hostName) const;
    // For test isolation: forgets every service (listeners hear of none of it).
    void removeAllForTesting();

    // Hears of the services of one type and domain: those there now at
    // once, then each added or withdrawn. Returns the token for stopListening.
    uint64_t listen(const std::string& type, const std::string& domain, Listener listener);
    void stopListening(uint64_t token);

private:
    NetServiceRegistry() = default;
    struct Subscription {
        std::string type;
        std::string domain;
        std::shared_ptr<Listener> listener;
    };
    void notify(const Record& record, bool added);

    mutable std::mutex _lock;
    std::vector<Record> _records;  // guarded by _lock
    std::map<uint64_t, Subscription> _subscriptions;  // guarded by _lock
    uint64_t _nextToken = 1;  // guarded by _lock
};

}  // namespace plat
