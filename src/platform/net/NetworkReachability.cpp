#include "platform/net/NetworkReachability.h"

#include <atomic>
#include <cerrno>
#include <ifaddrs.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Threads.h"

namespace plat {

namespace {

struct FileDescriptor {
    int fd = -1;
    explicit FileDescriptor(int descriptor)
        : fd(descriptor)
    {
    }
    ~FileDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
};

struct IfAddrsDeleter {
    void operator()(ifaddrs* list) const { freeifaddrs(list); }
};
struct AddrInfoDeleter {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};

std::optional<std::vector<NetworkInterfaceState>> readInterfaces()
{
    ifaddrs* raw = nullptr;
    if (getifaddrs(&raw) != 0)
        return std::nullopt;
    std::unique_ptr<ifaddrs, IfAddrsDeleter> list(raw);
    std::vector<NetworkInterfaceState> interfaces;
    for (ifaddrs* entry = list.get(); entry; entry = entry->ifa_next) {
        NetworkInterfaceState* state = nullptr;
        for (auto& known : interfaces) {
            if (known.name == entry->ifa_name)
                state = &known;
        }
        if (!state) {
            interfaces.push_back({entry->ifa_name, false, false, false});
            state = &interfaces.back();
        }
        state->up = state->up || ((entry->ifa_flags & IFF_UP) && (entry->ifa_flags & IFF_RUNNING));
        state->loopback = state->loopback || (entry->ifa_flags & IFF_LOOPBACK);
        if (entry->ifa_addr && (entry->ifa_addr->sa_family == AF_INET || entry->ifa_addr->sa_family == AF_INET6))
            state->hasAddress = true;
    }
    return interfaces;
}

bool isLoopbackAddress(const sockaddr* address)
{
    if (address->sa_family == AF_INET) {
        auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
        return (ntohl(v4->sin_addr.s_addr) >> 24) == 127;
    }
    if (address->sa_family == AF_INET6) {
        auto* v6 = reinterpret_cast<const sockaddr_in6*>(address);
        return IN6_IS_ADDR_LOOPBACK(&v6->sin6_addr);
    }
    return false;
}

}  // namespace

// Waits for the kernel's link and address notices on its own thread and hands
// each change to the main queue.
struct NetworkReachability::Watcher {
    FileDescriptor netlink {::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE)};
    FileDescriptor stopEvent {::eventfd(0, EFD_CLOEXEC)};
    std::thread thread;

    bool start(std::weak_ptr<NetworkReachability> owner)
    {
        if (netlink.fd < 0 || stopEvent.fd < 0)
            return false;
        sockaddr_nl address {};
        address.nl_family = AF_NETLINK;
        address.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR;
        if (::bind(netlink.fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            return false;
        thread = startThread("plat-reachable", [this, owner = std::move(owner)] {
            std::array<char, 8192> buffer {};
            for (;;) {
                pollfd fds[2] = {{netlink.fd, POLLIN, 0}, {stopEvent.fd, POLLIN, 0}};
                if (::poll(fds, 2, -1) < 0) {
                    if (errno == EINTR)
                        continue;
                    return;
                }
                if (fds[1].revents)
                    return;
                if (::recv(netlink.fd, buffer.data(), buffer.size(), 0) <= 0)
                    continue;
                DispatchQueue::mainQueue().async([owner] {
                    if (auto reachability = owner.lock())
                        reachability->reportIfChanged();
                });
            }
        });
        return true;
    }

    ~Watcher()
    {
        if (thread.joinable()) {
            uint64_t one = 1;
            if (::write(stopEvent.fd, &one, sizeof one) < 0)
                plat::log("reachability: cannot stop the watcher: {}", errno);
            thread.join();
        }
    }
};

std::shared_ptr<NetworkReachability> NetworkReachability::createWithName(std::string hostName)
{
    return std::make_shared<NetworkReachability>(Passkey(), std::move(hostName));
}

std::shared_ptr<NetworkReachability> NetworkReachability::createForInternetConnection()
{
    return std::make_shared<NetworkReachability>(Passkey(), std::nullopt);
}

NetworkReachability::NetworkReachability(Passkey, std::optional<std::string> hostName)
    : _hostName(std::move(hostName))
{
}

NetworkReachability::~NetworkReachability() = default;

uint32_t NetworkReachability::flagsFor(const std::vector<NetworkInterfaceState>& interfaces,
    const std::optional<std::vector<bool>>& resolvedAddressesAreLoopback)
{
    bool loopbackUp = false;
    bool externalUp = false;
    for (const auto& interface : interfaces) {
        if (!interface.up || !interface.hasAddress)
            continue;
        (interface.loopback ? loopbackUp : externalUp) = true;
    }
    if (!resolvedAddressesAreLoopback)
        return externalUp ? static_cast<uint32_t>(kReachabilityFlagsReachable) : 0u;
    if (resolvedAddressesAreLoopback->empty())
        return 0;  // the name does not resolve
    bool anyLoopback = false;
    bool anyExternal = false;
    for (bool loopback : *resolvedAddressesAreLoopback)
        (loopback ? anyLoopback : anyExternal) = true;
    if (anyExternal && externalUp)
        return kReachabilityFlagsReachable;
    if (anyLoopback && loopbackUp)
        return kReachabilityFlagsReachable | kReachabilityFlagsIsLocalAddress | kReachabilityFlagsIsDirect;
    return 0;
}

std::optional<uint32_t> NetworkReachability::flags() const
{
    auto interfaces = readInterfaces();
    if (!interfaces)
        return std::nullopt;
    if (!_hostName)
        return flagsFor(*interfaces, std::nullopt);
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* raw = nullptr;
    std::vector<bool> loopback;
    if (getaddrinfo(_hostName->c_str(), nullptr, &hints, &raw) == 0) {
        std::unique_ptr<addrinfo, AddrInfoDeleter> list(raw);
        for (addrinfo* entry = list.get(); entry; entry = entry->ai_next) {
            if (entry->ai_addr)
                loopback.push_back(isLoopbackAddress(entry->ai_addr));
        }
    }
    return flagsFor(*interfaces, loopback);
}

void NetworkReachability::setCallback(std::function<void(uint32_t)> callback)
{
    _callback = std::move(callback);
}

bool NetworkReachability::scheduleWithRunLoop()
{
    if (_watcher)
        return true;
    auto watcher = std::make_shared<Watcher>();
    if (!watcher->start(weak_from_this()))
        return false;
    _watcher = std::move(watcher);
    _lastFlags = flags();
    return true;
}

void NetworkReachability::unscheduleFromRunLoop()
{
    _watcher.reset();
}

void NetworkReachability::reportIfChanged()
{
    if (!_watcher)
        return;
    auto current = flags();
    if (current == _lastFlags)
        return;
    _lastFlags = current;
    if (_callback && current)
        _callback(*current);
}

}  // namespace plat
