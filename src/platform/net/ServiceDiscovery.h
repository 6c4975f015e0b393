#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Error.h"

namespace plat {

// Which service discovery the browsers, resolvers and publishers made from
// now on use: Avahi's daemon where one is reachable (Automatic), or the
// in-process registry (NetServiceRegistry). Tests pick one explicitly, so
// that a daemon on a developer's machine never sees their services.
enum class ServiceDiscoveryBackend { Automatic, Avahi, InProcess };

class ServiceDiscovery {
public:
    static void setBackend(ServiceDiscoveryBackend backend);
    static ServiceDiscoveryBackend backend();
};

// Errors of service discovery, with the platform's numbers: the error
// dictionary of a failed publish or resolve holds kNetServicesErrorCode and
// kNetServicesErrorDomain.
inline constexpr const char* kNetServicesErrorCode = "NSNetServicesErrorCode";
inline constexpr const char* kNetServicesErrorDomain = "NSNetServicesErrorDomain";
// The domain number the platform gives service discovery's own errors.
inline constexpr int64_t kNetServicesErrorDomainNumber = 10;
inline constexpr int64_t kNetServicesUnknownError = -72000;
inline constexpr int64_t kNetServicesCollisionError = -72001;
inline constexpr int64_t kNetServicesNotFoundError = -72002;
inline constexpr int64_t kNetServicesActivityInProgress = -72003;
inline constexpr int64_t kNetServicesBadArgumentError = -72004;
inline constexpr int64_t kNetServicesCancelledError = -72005;
inline constexpr int64_t kNetServicesTimeoutError = -72007;

}  // namespace plat

namespace plat::detail {

// A service's identity: its name, and its type and domain written with
// their final dots ("_http._tcp.", "local."). Names compare as DNS does,
// without regard to case.
struct ServiceIdentity {
    std::string name;
    std::string type;
    std::string domain;
};
std::string normalizedServiceType(std::string_view type);
std::string normalizedServiceDomain(std::string_view domain);
bool sameService(const ServiceIdentity& a, const ServiceIdentity& b);
bool sameTypeAndDomain(
    std::string_view typeA, std::string_view domainA, std::string_view typeB, std::string_view domainB);
// Whether a host name is in multicast DNS's own domain ("camera.local",
// "camera.local."), which only service discovery can answer for.
bool isLocalDomainHostName(std::string_view hostName);
// Host names compare as DNS does: without regard to case or a final dot.
bool sameHostName(std::string_view a, std::string_view b);

struct ResolvedService {
    std::string hostName;
    int64_t port = 0;
};

// Stops what it stands for when destroyed; no callback comes after that.
class DiscoveryActivity {
public:
    virtual ~DiscoveryActivity() = default;
};

// One way of finding, resolving and publishing services. Callbacks may come
// on any thread, also during the call that starts the activity.
class DiscoveryBackend {
public:
    using BrowseCallback = std::function<void(const ServiceIdentity& service, bool added)>;
    using FailureCallback = std::function<void(int64_t code)>;
    using ResolveCallback = std::function<void(const ResolvedService& resolved)>;
    using PublishCallback = std::function<void()>;
    // A numeric address: IPv4 dotted, or IPv6 with a link-local address's
    // interface index after a '%' ("fe80::1%2").
    using HostResolveCallback = std::function<void(const std::string& address)>;

    virtual ~DiscoveryBackend() = default;
    virtual std::unique_ptr<DiscoveryActivity> browse(
        const std::string& type, const std::string& domain, BrowseCallback onChange, FailureCallback onFailure)
        = 0;
    // A service that cannot be resolved may never answer: the caller's
    // time-out ends the wait.
    virtual std::unique_ptr<DiscoveryActivity> resolve(
        const ServiceIdentity& service, ResolveCallback onResolved, FailureCallback onFailure)
        = 0;
    // One address of a host of the local domain, IPv4 when it has both. A
    // host that has gone may never answer: the caller's time-out ends the wait.
    virtual std::unique_ptr<DiscoveryActivity> resolveHostName(
        const std::string& hostName, HostResolveCallback onResolved, FailureCallback onFailure)
        = 0;
    // An empty hostName publishes on this machine's name.
    virtual std::unique_ptr<DiscoveryActivity> publish(const ServiceIdentity& service, const std::string& hostName,
        int64_t port, PublishCallback onPublished, FailureCallback onFailure)
        = 0;
};

// The backend for new activities, by ServiceDiscovery::backend(); Automatic
// asks Avahi's daemon each time until it answers. Never null.
std::shared_ptr<DiscoveryBackend> currentDiscoveryBackend();

}  // namespace plat::detail
