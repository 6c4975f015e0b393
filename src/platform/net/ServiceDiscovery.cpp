#include "platform/net/ServiceDiscovery.h"

#include <atomic>
#include <cctype>

#include "platform/net/AvahiDiscovery.h"
#include "platform/net/NetServiceRegistry.h"

namespace plat {

namespace {

std::atomic<ServiceDiscoveryBackend> chosenBackend {ServiceDiscoveryBackend::Automatic};

std::string withFinalDot(std::string_view text)
{
    std::string result(text);
    if (result.empty() || result.back() != '.')
        result += '.';
    return result;
}

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// Services of this process, through NetServiceRegistry.
class InProcessDiscovery final : public detail::DiscoveryBackend {
public:
    class Listening final : public detail::DiscoveryActivity {
    public:
        explicit Listening(uint64_t token)
            : _token(token)
        {
        }
        ~Listening() override { NetServiceRegistry::shared().stopListening(_token); }

    private:
        uint64_t _token;
    };
    class Publication final : public detail::DiscoveryActivity {
    public:
        explicit Publication(detail::ServiceIdentity service)
            : _service(std::move(service))
        {
        }
        ~Publication() override
        {
            NetServiceRegistry::shared().withdraw(_service.name, _service.type, _service.domain);
        }

    private:
        detail::ServiceIdentity _service;
    };
    class Nothing final : public detail::DiscoveryActivity { };

    std::unique_ptr<detail::DiscoveryActivity> browse(
        const std::string& type, const std::string& domain, BrowseCallback onChange, FailureCallback) override
    {
        uint64_t token = NetServiceRegistry::shared().listen(
            type, domain, [onChange = std::move(onChange)](const NetServiceRegistry::Record& record, bool added) {
                onChange({record.name, record.type, record.domain}, added);
            });
        return std::make_unique<Listening>(token);
    }

    std::unique_ptr<detail::DiscoveryActivity> resolve(
        const detail::ServiceIdentity& service, ResolveCallback onResolved, FailureCallback onFailure) override
    {
        auto record = NetServiceRegistry::shared().find(service.name, service.type, service.domain);
        if (!record)
            onFailure(kNetServicesNotFoundError);
        else if (record->resolvable)
            onResolved({record->hostName, record->port});
        // A service that does not resolve gives no answer at all.
        return std::make_unique<Nothing>();
    }

    std::unique_ptr<detail::DiscoveryActivity> resolveHostName(
        const std::string& hostName, HostResolveCallback onResolved, FailureCallback onFailure) override
    {
        auto record = NetServiceRegistry::shared().findHost(hostName);
        if (!record)
            onFailure(kNetServicesNotFoundError);
        else if (record->resolvable)
            onResolved(record->address);
        return std::make_unique<Nothing>();
    }

    std::unique_ptr<detail::DiscoveryActivity> publish(const detail::ServiceIdentity& service,
        const std::string& hostName, int64_t port, PublishCallback onPublished, FailureCallback onFailure) override
    {
        if (NetServiceRegistry::shared().find(service.name, service.type, service.domain)) {
            onFailure(kNetServicesCollisionError);
            return std::make_unique<Nothing>();
        }
        NetServiceRegistry::Record record;
        record.name = service.name;
        record.type = service.type;
        record.domain = service.domain;
        record.hostName = hostName.empty() ? "localhost" : hostName;
        record.port = port;
        NetServiceRegistry::shared().announce(record);
        onPublished();
        return std::make_unique<Publication>(service);
    }
};

}  // namespace

void ServiceDiscovery::setBackend(ServiceDiscoveryBackend backend)
{
    chosenBackend = backend;
}

ServiceDiscoveryBackend ServiceDiscovery::backend()
{
    return chosenBackend.load();
}

}  // namespace plat

namespace plat::detail {

std::string normalizedServiceType(std::string_view type)
{
    return withFinalDot(type);
}

std::string normalizedServiceDomain(std::string_view domain)
{
    return withFinalDot(domain.empty() ? std::string_view("local.") : domain);
}

bool sameTypeAndDomain(
    std::string_view typeA, std::string_view domainA, std::string_view typeB, std::string_view domainB)
{
    return equalIgnoringCase(normalizedServiceType(typeA), normalizedServiceType(typeB))
        && equalIgnoringCase(normalizedServiceDomain(domainA), normalizedServiceDomain(domainB));
}

bool isLocalDomainHostName(std::string_view hostName)
{
    if (hostName.ends_with('.'))
        hostName.remove_suffix(1);
    constexpr std::string_view kLocalDomain = ".local";
    return hostName.size() > kLocalDomain.size()
        && equalIgnoringCase(hostName.substr(hostName.size() - kLocalDomain.size()), kLocalDomain);
}

bool sameHostName(std::string_view a, std::string_view b)
{
    if (a.ends_with('.'))
        a.remove_suffix(1);
    if (b.ends_with('.'))
        b.remove_suffix(1);
    return equalIgnoringCase(a, b);
}

bool sameService(const ServiceIdentity& a, const ServiceIdentity& b)
{
    return equalIgnoringCase(a.name, b.name) && sameTypeAndDomain(a.type, a.domain, b.type, b.domain);
}

std::shared_ptr<DiscoveryBackend> currentDiscoveryBackend()
{
    // Never destroyed: the network thread may look a host up while the process exits.
    static const auto* inProcess = new std::shared_ptr<DiscoveryBackend>(std::make_shared<InProcessDiscovery>());
    switch (ServiceDiscovery::backend()) {
    case ServiceDiscoveryBackend::InProcess:
        return *inProcess;
    case ServiceDiscoveryBackend::Avahi:
        return AvahiDiscovery::shared();
    case ServiceDiscoveryBackend::Automatic:
        break;
    }
    std::shared_ptr<AvahiDiscovery> avahi = AvahiDiscovery::shared();
    if (avahi->isReachable())
        return avahi;
    return *inProcess;
}

}  // namespace plat::detail
