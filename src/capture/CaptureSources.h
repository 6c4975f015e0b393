#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "capture/CaptureRemoteCameraBrowser.h"

namespace zt {

class CaptureController;

// Posted (no object, no payload) when a remote camera joins or leaves the list.
inline constexpr const char* kCaptureSourceUpdateSourcesNotification = "NOTIFICATION_CAPTURESOURCE_UPDATE_SOURCES";

// The sources in the order the user is offered them; holders of the list
// see later additions and removals.
using CaptureSourceList = std::vector<std::shared_ptr<CaptureController>>;

// The process's capture sources: the built-in cameras, made once and used
// again each time they are chosen, and the remote cameras the network
// browser finds, one per host. Built-in sources of the libraries that build
// on this one come from the app's top through setProvidedSources. Main
// thread.
class CaptureSources : public CaptureRemoteCameraBrowserDelegate, public std::enable_shared_from_this<CaptureSources> {
public:
    using SourceMaker = std::function<std::shared_ptr<CaptureController>()>;

    // The one registry, made (with checkLocalCaptureSources) on first use.
    static std::shared_ptr<CaptureSources> sharedInstance();
    CaptureSources();

    // The makers of the built-in sources that libraries above this one
    // provide, in the order offered; set before the registry's first use.
    // Setting them again replaces them.
    static void setProvidedSources(std::vector<SourceMaker> makers);

    // The list becomes new built-in sources (the local camera, the provided
    // sources, then the 4K camera); a browser for remote cameras is made and
    // started.
    void checkLocalCaptureSources();
    // The list itself, not a copy.
    const std::shared_ptr<CaptureSourceList>& getAvailableCaptureSources() const { return _sources; }
    // Without a notification.
    void addCaptureSource(std::shared_ptr<CaptureController> source);
    void removeCaptureSource(const std::shared_ptr<CaptureController>& source);
    const std::shared_ptr<CaptureRemoteCameraBrowser>& remoteCameraBrowser() const { return _remoteCameraBrowser; }

    // A camera whose host is already listed is left out.
    void didDiscoverNewRemoteDevice(
        CaptureRemoteCameraBrowser& browser, const std::shared_ptr<CaptureRemoteCameraClient>& source) override;
    // Removes the first remote camera of that name; built-in sources of the
    // same name stay.
    void didRemoveRemoteDevice(CaptureRemoteCameraBrowser& browser, const std::string& name) override;

private:
    std::shared_ptr<CaptureSourceList> _sources;
    std::shared_ptr<CaptureRemoteCameraBrowser> _remoteCameraBrowser;
};

}  // namespace zt
