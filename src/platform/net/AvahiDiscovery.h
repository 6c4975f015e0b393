#pragma once
#include <memory>
#include <mutex>
#include <vector>

#include "platform/net/ServiceDiscovery.h"

namespace plat::detail {

// Service discovery through Avahi's daemon (over its client library on the
// system message bus): browsers, resolvers and entry groups on a threaded
// poll of its own, whose thread runs the callbacks. Connects on first use
// and again after the daemon went away. Any thread.
class AvahiDiscovery final : public DiscoveryBackend, public std::enable_shared_from_this<AvahiDiscovery> {
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    static std::shared_ptr<AvahiDiscovery> shared();
    explicit AvahiDiscovery(Passkey);
    ~AvahiDiscovery() override;
    AvahiDiscovery(const AvahiDiscovery&) = delete;
    AvahiDiscovery& operator=(const AvahiDiscovery&) = delete;

    // True when connected to a daemon (connecting now if need be).
    bool isReachable();

    std::unique_ptr<DiscoveryActivity> browse(const std::string& type, const std::string& domain,
        BrowseCallback onChange, FailureCallback onFailure) override;
    std::unique_ptr<DiscoveryActivity> resolve(
        const ServiceIdentity& service, ResolveCallback onResolved, FailureCallback onFailure) override;
    std::unique_ptr<DiscoveryActivity> resolveHostName(
        const std::string& hostName, HostResolveCallback onResolved, FailureCallback onFailure) override;
    std::unique_ptr<DiscoveryActivity> publish(const ServiceIdentity& service, const std::string& hostName,
        int64_t port, PublishCallback onPublished, FailureCallback onFailure) override;

private:
    struct State;
    class Browse;
    class Resolve;
    class HostResolve;
    class Publication;
    friend class Browse;
    friend class Resolve;
    friend class HostResolve;
    friend class Publication;

    std::shared_ptr<State> _state;
};

}  // namespace plat::detail
