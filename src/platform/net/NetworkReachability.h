#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plat {

// Reachability flags with the platform's bit values.
enum ReachabilityFlags : uint32_t {
    kReachabilityFlagsTransientConnection = 1u << 0,
    kReachabilityFlagsReachable = 1u << 1,
    kReachabilityFlagsConnectionRequired = 1u << 2,
    kReachabilityFlagsIsLocalAddress = 1u << 16,
    kReachabilityFlagsIsDirect = 1u << 17,
    kReachabilityFlagsIsWWAN = 1u << 18,
};

// One network interface as reachability sees it.
struct NetworkInterfaceState {
    std::string name;
    bool up = false;
    bool loopback = false;
    bool hasAddress = false;  // an IPv4 or IPv6 address is configured
};

// Whether a host name (or the internet at large) can be reached without a
// connection first being set up, as the platform's network reachability
// answers it: from the machine's interfaces and, for a name, its addresses.
// Reachability does not mean a server answers. Changes are reported on the
// main run loop from a watcher thread that listens to the kernel's interface
// notices. Create and use on the main thread.
class NetworkReachability : public std::enable_shared_from_this<NetworkReachability> {
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    static std::shared_ptr<NetworkReachability> createWithName(std::string hostName);
    // The default route: any interface but loopback that is up with an address.
    static std::shared_ptr<NetworkReachability> createForInternetConnection();

    NetworkReachability(Passkey, std::optional<std::string> hostName);
    ~NetworkReachability();

    // Resolves the name when there is one (which may block); empty when the
    // interfaces cannot be read.
    std::optional<uint32_t> flags() const;

    // Called on the main run loop with the new flags whenever they change
    // while scheduled.
    void setCallback(std::function<void(uint32_t flags)> callback);
    bool scheduleWithRunLoop();
    void unscheduleFromRunLoop();

    // The flags for a set of interfaces and, for a name, its resolved
    // addresses (loopback addresses flagged); exposed for tests.
    static uint32_t flagsFor(const std::vector<NetworkInterfaceState>& interfaces,
        const std::optional<std::vector<bool>>& resolvedAddressesAreLoopback);

private:
    struct Watcher;
    void reportIfChanged();

    std::optional<std::string> _hostName;
    std::function<void(uint32_t)> _callback;
    std::optional<uint32_t> _lastFlags;
    std::shared_ptr<Watcher> _watcher;
};

}  // namespace plat
