#include "capture/CaptureSources.h"

#include <algorithm>

#include "capture/Capture4KCamera.h"
#include "capture/CaptureLocalCamera.h"
#include "capture/CaptureRemoteCameraClient.h"
#include "platform/foundation/NotificationCenter.h"

namespace zt {

namespace {

std::vector<CaptureSources::SourceMaker>& providedSources()
{
    static std::vector<CaptureSources::SourceMaker> makers;
    return makers;
}

}  // namespace

void CaptureSources::setProvidedSources(std::vector<SourceMaker> makers)
{
    providedSources() = std::move(makers);
}

std::shared_ptr<CaptureSources> CaptureSources::sharedInstance()
{
    static const std::shared_ptr<CaptureSources> registry = [] {
        auto made = std::make_shared<CaptureSources>();
        made->checkLocalCaptureSources();
        return made;
    }();
    return registry;
}

CaptureSources::CaptureSources()
    : _sources(std::make_shared<CaptureSourceList>())
{
}

void CaptureSources::checkLocalCaptureSources()
{
    CaptureSourceList made {std::make_shared<CaptureLocalCamera>()};
    for (const SourceMaker& make : providedSources()) {
        if (auto source = make())
            made.push_back(std::move(source));
    }
    made.push_back(std::make_shared<Capture4KCamera>());
    // Refilled in place, so that holders of the list see the new sources.
    *_sources = std::move(made);
    _remoteCameraBrowser = std::make_shared<CaptureRemoteCameraBrowser>();
    _remoteCameraBrowser->setDelegate(shared_from_this());
    _remoteCameraBrowser->startBonjourBrowser();
}

void CaptureSources::addCaptureSource(std::shared_ptr<CaptureController> source)
{
    _sources->push_back(std::move(source));
}

void CaptureSources::removeCaptureSource(const std::shared_ptr<CaptureController>& source)
{
    auto found = std::find(_sources->begin(), _sources->end(), source);
    if (found != _sources->end())
        _sources->erase(found);
}

void CaptureSources::didDiscoverNewRemoteDevice(
    CaptureRemoteCameraBrowser&, const std::shared_ptr<CaptureRemoteCameraClient>& source)
{
    for (const auto& listed : *_sources) {
        if (listed->captureSourceID() == source->captureSourceID())
            return;  // one entry per host
    }
    _sources->push_back(source);
    plat::NotificationCenter::defaultCenter().post(kCaptureSourceUpdateSourcesNotification);
}

void CaptureSources::didRemoveRemoteDevice(CaptureRemoteCameraBrowser&, const std::string& name)
{
    auto found
        = std::find_if(_sources->begin(), _sources->end(), [&](const std::shared_ptr<CaptureController>& source) {
              return std::dynamic_pointer_cast<CaptureRemoteCameraClient>(source)
                  && source->getCaptureSourceName() == name;
          });
    if (found == _sources->end())
        return;
    _sources->erase(found);
    plat::NotificationCenter::defaultCenter().post(kCaptureSourceUpdateSourcesNotification);
}

}  // namespace zt
