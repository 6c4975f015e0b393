#include "capture/CaptureRemoteCameraBrowser.h"

#include "capture/CaptureRemoteCameraClient.h"
#include "platform/foundation/Log.h"
#include "platform/net/ServiceDiscovery.h"

namespace zt {

void CaptureRemoteCameraBrowser::startBonjourBrowser()
{
    _services.clear();
    if (_browser)
        _browser->stop();
    _browser = std::make_shared<plat::NetServiceBrowser>();
    _browser->setDelegate(shared_from_this());
    _browser->searchForServicesOfType(kServiceType, kServiceDomain);
}

void CaptureRemoteCameraBrowser::netServiceBrowser(
    plat::NetServiceBrowser&, const std::shared_ptr<plat::NetService>& service, bool)
{
    service->setDelegate(shared_from_this());
    service->resolveWithTimeout(kResolveTimeoutSeconds);
    _services.push_back(service);
}

void CaptureRemoteCameraBrowser::netServiceBrowserDidRemoveServiceMoreComing(
    plat::NetServiceBrowser&, const std::shared_ptr<plat::NetService>& service, bool)
{
    if (auto listener = delegate())
        listener->didRemoveRemoteDevice(*this, service->name());
}

void CaptureRemoteCameraBrowser::netServiceDidResolveAddress(plat::NetService& service)
{
    const std::string text = plat::formatLine("http://{}:{}", service.hostName().value_or(""), service.port());
    auto url = plat::URL::URLWithString(text);
    if (!url || url->host().empty()) {
        plat::log("remote camera: {} resolved to an unusable address {}", service.name(), text);
        return;
    }
    auto source = std::make_shared<CaptureRemoteCameraClient>(url, service.name());
    if (auto listener = delegate())
        listener->didDiscoverNewRemoteDevice(*this, source);
}

void CaptureRemoteCameraBrowser::netServiceDidNotResolve(plat::NetService& service, const plat::Dictionary& errorDict)
{
    plat::log("remote camera: {} did not resolve ({})", service.name(),
        errorDict.getInt64(plat::kNetServicesErrorCode).value_or(0));
}

}  // namespace zt
