// Start-up of the app on a device with many projects, up to the explorer on
// screen: launch (window, root container, inbox), the deferred start-up
// (crash reporter, settings, projects list check, rating prompt), the
// explorer reading the list and making a handle per project, the carousel
// loading the items near the centre (decoding their pictures), the first
// layout and the first picture of the screen. The fade-in and the details
// that follow on the clock are not counted. There is no outside reference
// for an app's start; the goal is 300 ms with 1,000 projects.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/AppCaptureSources.h"
#include "app/AppLayouts.h"
#include "app/MainViewController.h"
#include "app/ProjectExplorer.h"
#include "app/ZantropeAppDelegate.h"
#include "diagnostics/CrashReportManager.h"
#include "document/DataManager.h"
#include "document/Frame.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "document/ProjectsList.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Sandbox.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/Device.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "uikit/Carousel.h"

namespace {

constexpr int kFramesPerProject = 12;

// A device folder of `count` listed projects, made once per count: each with
// its metadata, frame list and the preview picture the explorer shows.
class Device {
public:
    explicit Device(int count)
    {
        char pattern[] = "/tmp/zt-bench-startup-XXXXXX";
        if (!::mkdtemp(pattern))
            std::abort();
        _root = pattern;
        plat::Sandbox::setCurrent(std::make_shared<plat::Sandbox>(_root));
        auto settings = plat::Dictionary {{"version", 4.0}};
        (void)plat::writePropertyListFile(settings, zt::DataManager::settingsFilePath(), plat::PropertyListFormat::XML);

        // One project made properly, then copied: the copies share its picture files' names.
        auto first = makeProject(".plovix-2010-01-01-00-00-00");
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, ".plovix-2015-%02d-%02d-%02d-%02d-00", 1 + i / 600 % 12, 1 + i / 60 % 10,
                i / 10 % 6 * 4, i % 60);
            std::string copy = plat::appendingPathComponent(plat::Sandbox::current()->documentsDirectory(), name);
            (void)plat::copyItem(first, copy, plat::ReplaceExisting::No);
            names.push_back(name);
        }
        (void)plat::removeItem(first);
        (void)zt::ProjectsList::replace(names);
    }
    ~Device() { (void)plat::removeItem(_root); }

private:
    static std::string makeProject(const std::string& name)
    {
        std::string path = plat::appendingPathComponent(plat::Sandbox::current()->documentsDirectory(), name);
        (void)plat::createDirectory(path, plat::IntermediateDirectories::Yes);
        auto project = std::make_shared<zt::ProjectModel>(path);
        zt::ImageProducer producer(project);
        auto context = plat::GraphicsContext::bitmapContext(960, 540, 1, plat::ContextOpacity::Opaque);
        context->setFillColor(plat::Color::colorWithRed(0.3, 0.5, 0.8, 1));
        context->fillRect(plat::makeRect(0, 0, 960, 540));
        context->setFillColor(plat::Color::whiteColor());
        context->fillEllipseInRect(plat::makeRect(380, 170, 200, 200));
        auto picture = context->makeImage();
        auto& list = project->getFrameList();
        for (int i = 0; i < kFramesPerProject; ++i) {
            zt::Frame frame(zt::FrameTypePicture);
            (void)producer.storeImage(*picture, frame.frameID());
            list.insertFrame(frame, list.getCaptureIndex());
            project->getMetaData()->set("META_RECORD_THUMB_FRAME_ID", frame.frameID());
        }
        if (!project->saveAllDataToDisk().ok())
            std::abort();
        return path;
    }

    std::string _root;
};

void StartupToExplorer(benchmark::State& state)
{
    plat::Device::setCurrentDevice(plat::Device(plat::UserInterfaceIdiom::Phone));
    zt::registerAppLayouts();
    zt::registerAppCaptureSources();
    Device device(static_cast<int>(state.range(0)));
    auto& app = plat::Application::sharedApplication();
    size_t shown = 0;
    for (auto _ : state) {
        auto delegate = std::make_shared<zt::ZantropeAppDelegate>();
        app.setDelegate(delegate);
        app.launch({});
        plat::RunLoop::main().drain();  // the deferred start-up, the explorer and its first layout
        auto picture = plat::snapshotWindow(*delegate->window());
        benchmark::DoNotOptimize(picture);
        shown = delegate->mainViewController()->viewExplorer()->projects().size();

        state.PauseTiming();
        app.resetForTesting();
        plat::RunLoop::main().discardPendingWork();
        zt::DataManager::sharedDataManager().resetToDefaultsForTesting();
        zt::CrashReportManager::sharedCrashReportManager().resetForTesting();
        state.ResumeTiming();
    }
    if (shown != static_cast<size_t>(state.range(0)) + 1)
        state.SkipWithError("the explorer did not show every project");
    state.counters["projects"] = static_cast<double>(state.range(0));
}

}  // namespace

BENCHMARK(StartupToExplorer)->Arg(10)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
