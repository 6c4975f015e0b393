#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/net/NetService.h"
#include "platform/net/NetServiceBrowser.h"

namespace zt {

class CaptureRemoteCameraBrowser;
class CaptureRemoteCameraClient;

// Hears of remote cameras as they come and go, on the main thread.
class CaptureRemoteCameraBrowserDelegate {
public:
    virtual ~CaptureRemoteCameraBrowserDelegate() = default;
    virtual void didDiscoverNewRemoteDevice(
        CaptureRemoteCameraBrowser& browser, const std::shared_ptr<CaptureRemoteCameraClient>& source)
        = 0;
    virtual void didRemoveRemoteDevice(CaptureRemoteCameraBrowser& browser, const std::string& name) = 0;
};

// Finds the remote-camera services of the local network and makes one
// capture source per resolved service; a service that does not resolve in
// time is left alone. Services found stay listed for the process's life.
// Main thread.
class CaptureRemoteCameraBrowser : public plat::NetServiceBrowserDelegate,
                                   public plat::NetServiceDelegate,
                                   public std::enable_shared_from_this<CaptureRemoteCameraBrowser> {
public:
    static constexpr const char* kServiceType = "_QUORVANE_REMOTE_CAMERA._tcp.";
    static constexpr const char* kServiceDomain = "local";
    static constexpr double kResolveTimeoutSeconds = 30.0;

    void startBonjourBrowser();

    std::shared_ptr<CaptureRemoteCameraBrowserDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(std::weak_ptr<CaptureRemoteCameraBrowserDelegate> delegate) { _delegate = std::move(delegate); }
    const std::vector<std::shared_ptr<plat::NetService>>& services() const { return _services; }

    void netServiceBrowser(
        plat::NetServiceBrowser& browser, const std::shared_ptr<plat::NetService>& service, bool moreComing) override;
    void netServiceBrowserDidRemoveServiceMoreComing(
        plat::NetServiceBrowser& browser, const std::shared_ptr<plat::NetService>& service, bool moreComing) override;
    void netServiceDidResolveAddress(plat::NetService& service) override;
    void netServiceDidNotResolve(plat::NetService& service, const plat::Dictionary& errorDict) override;

private:
    std::weak_ptr<CaptureRemoteCameraBrowserDelegate> _delegate;
    std::shared_ptr<plat::NetServiceBrowser> _browser;
    std::vector<std::shared_ptr<plat::NetService>> _services;
};

}  // namespace zt
