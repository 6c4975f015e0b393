#pragma once
// What the capture tests share: a fresh device with virtual cameras, a
// delegate that records what a source reports, and one that stores each
// picture into a project as the capture screen does.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "capture/CaptureController.h"
#include "capture/CaptureSources.h"
#include "document/DataManager.h"
#include "document/Frame.h"
#include "document/FrameList.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "document/ProjectsList.h"
#include "greenscreen/CaptureChromaKeyCamera.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/net/NetServiceRegistry.h"
#include "platform/net/ServiceDiscovery.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"
#include "support/VirtualCameras.h"

namespace zt::test {

// Records a source's callbacks; pictures may come on any thread and wake
// the main loop.
class RecordingSourceDelegate : public CaptureControllerDelegate {
public:
    void captureControllerDidInitCaptureDeviceWithPositon(CaptureController&, int64_t position) override
    {
        initPositions.push_back(position);
    }
    void captureControllerDidSwitchCaptureDevicePosition(CaptureController&, int64_t position) override
    {
        switchPositions.push_back(position);
    }
    void captureControllerDidStopWithError(CaptureController&, const plat::Error& error) override
    {
        stopErrors.push_back(error.code());
    }
    void captureControllerDidTakeImage(CaptureController&, std::shared_ptr<const plat::Image> image) override
    {
        {
            std::lock_guard lock(_lock);
            _pictures.push_back(std::move(image));
            _onMainThread.push_back(plat::isMainThread());
        }
        plat::DispatchQueue::mainQueue().async([] {});
    }

    size_t pictureCount() const
    {
        std::lock_guard lock(_lock);
        return _pictures.size();
    }
    std::shared_ptr<const plat::Image> picture(size_t index) const
    {
        std::lock_guard lock(_lock);
        return _pictures.at(index);
    }
    bool deliveredOnMainThread(size_t index) const
    {
        std::lock_guard lock(_lock);
        return _onMainThread.at(index);
    }

    std::vector<int64_t> initPositions;  // main thread
    std::vector<int64_t> switchPositions;
    std::vector<int64_t> stopErrors;  // codes of the sources' stops, main thread

private:
    mutable std::mutex _lock;
    std::vector<std::shared_ptr<const plat::Image>> _pictures;
    std::vector<bool> _onMainThread;
};

// Turns each delivered picture into a frame of the project the way the
// capture screen hands it over: the delivering thread waits while the main
// thread writes the frame's pictures, puts the frame before the capture
// placeholder, sets the metadata, saves the project and posts
// "AddFrameNotification". A nil picture stores nothing.
class FrameStoringDelegate : public RecordingSourceDelegate {
public:
    explicit FrameStoringDelegate(std::shared_ptr<ProjectModel> project)
        : _project(std::move(project))
    {
    }
    void captureControllerDidTakeImage(CaptureController& source, std::shared_ptr<const plat::Image> image) override
    {
        auto store = [&] {
            if (image)
                storeImage(*image, source);
        };
        if (plat::isMainThread())
            store();
        else
            plat::DispatchQueue::mainQueue().sync(store);
        RecordingSourceDelegate::captureControllerDidTakeImage(source, std::move(image));
    }

private:
    void storeImage(const plat::Image& image, CaptureController& source)
    {
        Frame frame(FrameTypePicture);
        if (!_producer)
            _producer = std::make_unique<ImageProducer>(_project);
        if (!_producer->storeImage(image, frame.frameID()))
            return;
        FrameList& list = _project->getFrameList();
        if (list.getCaptureIndex() == plat::kNotFound)
            list.addFrame(Frame(FrameTypeCapturePlaceholder));
        list.insertFrame(frame, list.getCaptureIndex());
        if (auto metadata = _project->getMetaData()) {
            metadata->set("META_RECORD_THUMB_FRAME_ID", frame.frameID());
            metadata->set("CurrentFrameIndex", list.getCaptureIndex());
            metadata->set("RecordNeedsRendering", true);
        }
        if (!_project->saveAllDataToDisk().ok())
            return;  // a frame the project could not keep is not announced
        plat::Dictionary payload;
        payload.set("FRAME", frame.encode());
        plat::NotificationCenter::defaultCenter().post("AddFrameNotification", &source, std::move(payload));
    }

    std::shared_ptr<ProjectModel> _project;
    std::unique_ptr<ImageProducer> _producer;
};

// The built-in sources the app's top gives the registry: the green screen,
// which builds on capture.
inline void provideAppCaptureSources()
{
    CaptureSources::setProvidedSources({[] { return std::make_shared<CaptureChromaKeyCamera>(); }});
}

// A fresh device: sandbox, manual clock, toolkit, settings, an empty
// in-process discovery registry, the app's built-in capture sources, and a
// phone window with the source's area.
class CaptureFixture : public ::testing::Test {
protected:
    CaptureFixture()
    {
        provideAppCaptureSources();
        DataManager::sharedDataManager().resetToDefaultsForTesting();
        plat::ServiceDiscovery::setBackend(plat::ServiceDiscoveryBackend::InProcess);
        plat::NetServiceRegistry::shared().removeAllForTesting();
        window->makeKeyAndVisible();
        window->addSubview(cameraArea);
    }
    ~CaptureFixture() override
    {
        plat::NetServiceRegistry::shared().removeAllForTesting();
        plat::ServiceDiscovery::setBackend(plat::ServiceDiscoveryBackend::Automatic);
        DataManager::sharedDataManager().resetToDefaultsForTesting();
    }

    // Places the source's view over the camera area and sets it up, as the
    // capture screen does.
    void activate(const std::shared_ptr<CaptureController>& source)
    {
        source->view()->setFrame(cameraArea->bounds());
        cameraArea->addSubview(source->view());
        source->setDelegate(sourceDelegate);
        source->setProject(project);
        source->initCaptureDevice();
    }

    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>(plat::makeRect(0, 0, 568, 320));
    std::shared_ptr<plat::View> cameraArea = std::make_shared<plat::View>(plat::makeRect(0, 0, 568, 320));
    std::shared_ptr<ProjectModel> project = std::make_shared<ProjectModel>(std::nullopt);
    std::shared_ptr<RecordingSourceDelegate> sourceDelegate = std::make_shared<RecordingSourceDelegate>();
};

}  // namespace zt::test
