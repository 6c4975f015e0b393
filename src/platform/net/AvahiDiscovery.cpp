#include "platform/net/AvahiDiscovery.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-client/publish.h>
#include <avahi-common/address.h>
#include <avahi-common/error.h>
#include <avahi-common/thread-watch.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <map>

#include "platform/foundation/Log.h"

namespace plat::detail {

namespace {

// Avahi writes types and domains without the final dot.
std::string withoutFinalDot(const std::string& text)
{
    if (!text.empty() && text.back() == '.')
        return text.substr(0, text.size() - 1);
    return text;
}

std::string lowercased(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The poll's lock, held while we call into Avahi from outside its thread.
// Avahi's callbacks run on its thread with the lock already held.
class PollLock {
public:
    explicit PollLock(AvahiThreadedPoll* poll)
        : _poll(poll)
    {
        avahi_threaded_poll_lock(_poll);
    }
    ~PollLock() { avahi_threaded_poll_unlock(_poll); }
    PollLock(const PollLock&) = delete;
    PollLock& operator=(const PollLock&) = delete;

private:
    AvahiThreadedPoll* _poll;
};

// A numeric address for a connection; a link-local IPv6 address only means
// something with the interface it was found on.
std::string connectableAddress(const AvahiAddress& address, AvahiIfIndex interface)
{
    char text[AVAHI_ADDRESS_STR_MAX];
    if (!avahi_address_snprint(text, sizeof text, &address))
        return {};
    std::string result(text);
    const uint8_t* bytes = address.data.ipv6.address;
    if (address.proto == AVAHI_PROTO_INET6 && bytes[0] == 0xfe && (bytes[1] & 0xc0) == 0x80 && interface >= 0)
        result += "%" + std::to_string(interface);
    return result;
}

class NoActivity final : public DiscoveryActivity { };

}  // namespace

struct AvahiDiscovery::State {
    std::mutex connectLock;
    AvahiThreadedPoll* poll = nullptr;  // made once, under connectLock
    AvahiClient* client = nullptr;  // under connectLock and the poll's lock
    bool clientFailed = false;  // under the poll's lock
    std::vector<Publication*> waiting;  // under the poll's lock: publications waiting for the daemon

    ~State()
    {
        if (poll)
            avahi_threaded_poll_stop(poll);
        if (client)
            avahi_client_free(client);
        if (poll)
            avahi_threaded_poll_free(poll);
    }
    static void clientChanged(AvahiClient* client, AvahiClientState state, void* userdata);
};

class AvahiDiscovery::Browse final : public DiscoveryActivity {
public:
    Browse(std::shared_ptr<State> state, BrowseCallback onChange, FailureCallback onFailure)
        : _state(std::move(state))
        , _onChange(std::move(onChange))
        , _onFailure(std::move(onFailure))
    {
    }
    ~Browse() override
    {
        PollLock lock(_state->poll);
        if (_browser)
            avahi_service_browser_free(_browser);
    }
    // Under the poll's lock.
    bool start(AvahiClient* client, const std::string& type, const std::string& domain)
    {
        _browser = avahi_service_browser_new(client, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, withoutFinalDot(type).c_str(),
            withoutFinalDot(domain).c_str(), static_cast<AvahiLookupFlags>(0), changed, this);
        return _browser != nullptr;
    }

private:
    // A service shows once per interface and protocol; it is listed while
    // any of them has it.
    static void changed(AvahiServiceBrowser*, AvahiIfIndex, AvahiProtocol, AvahiBrowserEvent event, const char* name,
        const char* type, const char* domain, AvahiLookupResultFlags, void* userdata)
    {
        auto* self = static_cast<Browse*>(userdata);
        if (event == AVAHI_BROWSER_FAILURE) {
            self->_onFailure(kNetServicesUnknownError);
            return;
        }
        if ((event != AVAHI_BROWSER_NEW && event != AVAHI_BROWSER_REMOVE) || !name || !type || !domain)
            return;
        ServiceIdentity service {name, normalizedServiceType(type), normalizedServiceDomain(domain)};
        const std::string key = lowercased(service.name + "\n" + service.type + "\n" + service.domain);
        if (event == AVAHI_BROWSER_NEW) {
            if (++self->_counts[key] == 1)
                self->_onChange(service, true);
            return;
        }
        auto count = self->_counts.find(key);
        if (count == self->_counts.end())
            return;
        if (--count->second == 0) {
            self->_counts.erase(count);
            self->_onChange(service, false);
        }
    }

    std::shared_ptr<State> _state;
    BrowseCallback _onChange;
    FailureCallback _onFailure;
    AvahiServiceBrowser* _browser = nullptr;
    std::map<std::string, int> _counts;  // on the poll's thread
};

class AvahiDiscovery::Resolve final : public DiscoveryActivity {
public:
    Resolve(std::shared_ptr<State> state, ResolveCallback onResolved, FailureCallback onFailure)
        : _state(std::move(state))
        , _onResolved(std::move(onResolved))
        , _onFailure(std::move(onFailure))
    {
    }
    ~Resolve() override
    {
        PollLock lock(_state->poll);
        if (_resolver)
            avahi_service_resolver_free(_resolver);
    }
    bool start(AvahiClient* client, const ServiceIdentity& service)
    {
        _resolver = avahi_service_resolver_new(client, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, service.name.c_str(),
            withoutFinalDot(service.type).c_str(), withoutFinalDot(service.domain).c_str(), AVAHI_PROTO_UNSPEC,
            static_cast<AvahiLookupFlags>(0), resolved, this);
        return _resolver != nullptr;
    }

private:
    static void resolved(AvahiServiceResolver* resolver, AvahiIfIndex, AvahiProtocol, AvahiResolverEvent event,
        const char*, const char*, const char*, const char* hostName, const AvahiAddress*, uint16_t port,
        AvahiStringList*, AvahiLookupResultFlags, void* userdata)
    {
        auto* self = static_cast<Resolve*>(userdata);
        if (self->_answered)
            return;
        self->_answered = true;
        if (event == AVAHI_RESOLVER_FOUND && hostName) {
            // The platform's host names end with the root's dot.
            self->_onResolved({normalizedServiceDomain(hostName), port});
            return;
        }
        int error = avahi_client_errno(avahi_service_resolver_get_client(resolver));
        self->_onFailure(error == AVAHI_ERR_TIMEOUT ? kNetServicesTimeoutError : kNetServicesNotFoundError);
    }

    std::shared_ptr<State> _state;
    ResolveCallback _onResolved;
    FailureCallback _onFailure;
    AvahiServiceResolver* _resolver = nullptr;
    bool _answered = false;  // on the poll's thread
};

// Asks for the host's IPv4 and IPv6 addresses at once and answers with the
// IPv4 one, or with the IPv6 one once IPv4 has none: a host with both is
// reached as most of the local network reaches it, and one with IPv6 only
// is still found.
class AvahiDiscovery::HostResolve final : public DiscoveryActivity {
public:
    HostResolve(std::shared_ptr<State> state, HostResolveCallback onResolved, FailureCallback onFailure)
        : _state(std::move(state))
        , _onResolved(std::move(onResolved))
        , _onFailure(std::move(onFailure))
    {
    }
    ~HostResolve() override
    {
        PollLock lock(_state->poll);
        for (Lookup& lookup : _lookups) {
            if (lookup.resolver)
                avahi_host_name_resolver_free(lookup.resolver);
        }
    }
    // Under the poll's lock; false when neither lookup could start.
    bool start(AvahiClient* client, const std::string& hostName)
    {
        const std::string name = withoutFinalDot(hostName);
        for (Lookup& lookup : _lookups) {
            lookup.resolver = avahi_host_name_resolver_new(client, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, name.c_str(),
                lookup.protocol, static_cast<AvahiLookupFlags>(0), resolved, this);
            if (!lookup.resolver)
                lookup.outcome = Outcome::Failed;
        }
        return std::ranges::any_of(_lookups, [](const Lookup& lookup) { return lookup.resolver != nullptr; });
    }

private:
    enum class Outcome { Pending, Found, Failed };
    struct Lookup {
        AvahiProtocol protocol;
        AvahiHostNameResolver* resolver = nullptr;
        Outcome outcome = Outcome::Pending;
        std::string address;
    };

    static void resolved(AvahiHostNameResolver* resolver, AvahiIfIndex interface, AvahiProtocol,
        AvahiResolverEvent event, const char*, const AvahiAddress* address, AvahiLookupResultFlags, void* userdata)
    {
        auto* self = static_cast<HostResolve*>(userdata);
        auto lookup = std::ranges::find(self->_lookups, resolver, &Lookup::resolver);
        if (self->_answered || lookup == self->_lookups.end() || lookup->outcome != Outcome::Pending)
            return;
        if (event == AVAHI_RESOLVER_FOUND && address) {
            lookup->address = connectableAddress(*address, interface);
            lookup->outcome = lookup->address.empty() ? Outcome::Failed : Outcome::Found;
        } else {
            lookup->outcome = Outcome::Failed;
            if (avahi_client_errno(avahi_host_name_resolver_get_client(resolver)) == AVAHI_ERR_TIMEOUT)
                self->_timedOut = true;
        }
        self->answerWhenDecided();
    }

    void answerWhenDecided()
    {
        const Lookup& ipv4 = _lookups[0];
        const Lookup& ipv6 = _lookups[1];
        if (ipv4.outcome == Outcome::Pending)
            return;
        if (ipv4.outcome == Outcome::Found || ipv6.outcome != Outcome::Pending) {
            _answered = true;
            if (ipv4.outcome == Outcome::Found)
                _onResolved(ipv4.address);
            else if (ipv6.outcome == Outcome::Found)
                _onResolved(ipv6.address);
            else
                _onFailure(_timedOut ? kNetServicesTimeoutError : kNetServicesNotFoundError);
        }
    }

    std::shared_ptr<State> _state;
    HostResolveCallback _onResolved;
    FailureCallback _onFailure;
    // On the poll's thread once started: IPv4 first, as it is preferred.
    std::array<Lookup, 2> _lookups {Lookup {AVAHI_PROTO_INET, nullptr, Outcome::Pending, {}},
        Lookup {AVAHI_PROTO_INET6, nullptr, Outcome::Pending, {}}};
    bool _answered = false;
    bool _timedOut = false;
};

class AvahiDiscovery::Publication final : public DiscoveryActivity {
public:
    Publication(std::shared_ptr<State> state, ServiceIdentity service, std::string hostName, int64_t port,
        PublishCallback onPublished, FailureCallback onFailure)
        : _state(std::move(state))
        , _service(std::move(service))
        , _hostName(std::move(hostName))
        , _port(port)
        , _onPublished(std::move(onPublished))
        , _onFailure(std::move(onFailure))
    {
    }
    ~Publication() override
    {
        PollLock lock(_state->poll);
        std::erase(_state->waiting, this);
        if (_group)
            avahi_entry_group_free(_group);  // withdraws the service
    }
    // Under the poll's lock, with the daemon running.
    void startGroup(AvahiClient* client)
    {
        _group = avahi_entry_group_new(client, groupChanged, this);
        const std::string host = withoutFinalDot(_hostName);
        if (!_group
            || avahi_entry_group_add_service_strlst(_group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC,
                   static_cast<AvahiPublishFlags>(0), _service.name.c_str(), withoutFinalDot(_service.type).c_str(),
                   withoutFinalDot(_service.domain).c_str(), host.empty() ? nullptr : host.c_str(),
                   static_cast<uint16_t>(_port), nullptr)
                < 0
            || avahi_entry_group_commit(_group) < 0) {
            int error = avahi_client_errno(client);
            log("service discovery: cannot publish {}: {}", _service.name, avahi_strerror(error));
            _onFailure(error == AVAHI_ERR_COLLISION ? kNetServicesCollisionError : kNetServicesBadArgumentError);
        }
    }

private:
    static void groupChanged(AvahiEntryGroup*, AvahiEntryGroupState state, void* userdata)
    {
        auto* self = static_cast<Publication*>(userdata);
        if (state == AVAHI_ENTRY_GROUP_ESTABLISHED)
            self->_onPublished();
        else if (state == AVAHI_ENTRY_GROUP_COLLISION)
            self->_onFailure(kNetServicesCollisionError);
        else if (state == AVAHI_ENTRY_GROUP_FAILURE)
            self->_onFailure(kNetServicesUnknownError);
    }

    std::shared_ptr<State> _state;
    ServiceIdentity _service;
    std::string _hostName;
    int64_t _port;
    PublishCallback _onPublished;
    FailureCallback _onFailure;
    AvahiEntryGroup* _group = nullptr;
};

void AvahiDiscovery::State::clientChanged(AvahiClient* client, AvahiClientState state, void* userdata)
{
    auto* self = static_cast<State*>(userdata);
    if (state == AVAHI_CLIENT_S_RUNNING) {
        auto waiting = std::move(self->waiting);
        self->waiting.clear();
        for (Publication* publication : waiting)
            publication->startGroup(client);
    } else if (state == AVAHI_CLIENT_FAILURE) {
        self->clientFailed = true;
    }
}

std::shared_ptr<AvahiDiscovery> AvahiDiscovery::shared()
{
    // Never destroyed: the network thread may look a host up while the process exits.
    static const auto* discovery = new std::shared_ptr<AvahiDiscovery>(std::make_shared<AvahiDiscovery>(Passkey()));
    return *discovery;
}

AvahiDiscovery::AvahiDiscovery(Passkey)
    : _state(std::make_shared<State>())
{
}

AvahiDiscovery::~AvahiDiscovery() = default;

bool AvahiDiscovery::isReachable()
{
    State& state = *_state;
    std::lock_guard connecting(state.connectLock);
    if (!state.poll) {
        state.poll = avahi_threaded_poll_new();
        if (!state.poll || avahi_threaded_poll_start(state.poll) < 0) {
            log("service discovery: Avahi's event loop cannot start");
            if (state.poll)
                avahi_threaded_poll_free(state.poll);
            state.poll = nullptr;
            return false;
        }
    }
    PollLock lock(state.poll);
    if (state.client && !state.clientFailed)
        return true;
    if (state.client)
        avahi_client_free(state.client);
    state.client = nullptr;
    state.clientFailed = false;
    int error = 0;
    state.client = avahi_client_new(
        avahi_threaded_poll_get(state.poll), static_cast<AvahiClientFlags>(0), State::clientChanged, &state, &error);
    return state.client != nullptr;
}

std::unique_ptr<DiscoveryActivity> AvahiDiscovery::browse(
    const std::string& type, const std::string& domain, BrowseCallback onChange, FailureCallback onFailure)
{
    if (!isReachable()) {
        onFailure(kNetServicesUnknownError);
        return std::make_unique<NoActivity>();
    }
    auto activity = std::make_unique<Browse>(_state, std::move(onChange), onFailure);
    PollLock lock(_state->poll);
    if (!activity->start(_state->client, type, domain)) {
        onFailure(kNetServicesBadArgumentError);
        return std::make_unique<NoActivity>();
    }
    return activity;
}

std::unique_ptr<DiscoveryActivity> AvahiDiscovery::resolve(
    const ServiceIdentity& service, ResolveCallback onResolved, FailureCallback onFailure)
{
    if (!isReachable()) {
        onFailure(kNetServicesUnknownError);
        return std::make_unique<NoActivity>();
    }
    auto activity = std::make_unique<Resolve>(_state, std::move(onResolved), onFailure);
    PollLock lock(_state->poll);
    if (!activity->start(_state->client, service)) {
        onFailure(kNetServicesBadArgumentError);
        return std::make_unique<NoActivity>();
    }
    return activity;
}

std::unique_ptr<DiscoveryActivity> AvahiDiscovery::resolveHostName(
    const std::string& hostName, HostResolveCallback onResolved, FailureCallback onFailure)
{
    if (!isReachable()) {
        onFailure(kNetServicesUnknownError);
        return std::make_unique<NoActivity>();
    }
    auto activity = std::make_unique<HostResolve>(_state, std::move(onResolved), onFailure);
    PollLock lock(_state->poll);
    if (!activity->start(_state->client, hostName)) {
        onFailure(kNetServicesBadArgumentError);
        return std::make_unique<NoActivity>();
    }
    return activity;
}

std::unique_ptr<DiscoveryActivity> AvahiDiscovery::publish(const ServiceIdentity& service, const std::string& hostName,
    int64_t port, PublishCallback onPublished, FailureCallback onFailure)
{
    if (port < 0 || port > 65535) {
        onFailure(kNetServicesBadArgumentError);
        return std::make_unique<NoActivity>();
    }
    if (!isReachable()) {
        onFailure(kNetServicesUnknownError);
        return std::make_unique<NoActivity>();
    }
    auto activity
        = std::make_unique<Publication>(_state, service, hostName, port, std::move(onPublished), std::move(onFailure));
    PollLock lock(_state->poll);
    if (avahi_client_get_state(_state->client) == AVAHI_CLIENT_S_RUNNING)
        activity->startGroup(_state->client);
    else
        _state->waiting.push_back(activity.get());  // published once the daemon runs
    return activity;
}

}  // namespace plat::detail
