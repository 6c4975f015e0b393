// Opening a 2,000-frame project in the frame editor on a phone, up to the
// first drawn picture of the screen: the project read from its folder, the
// editor's views, strip, timeline, audio and preview player made, the
// current frame's preview decoded and the window drawn. The goal is under
// 150 ms of work. The reference is the least any editor does for that
// picture: the same project read, the same preview decoded into one image
// view, the same window size drawn. The ratio is ours / that least.
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>
#include <string>

#include "BenchRatio.h"
#include "audio/AudioScreenLayouts.h"
#include "document/DataManager.h"
#include "document/Frame.h"
#include "document/FrameList.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "document/ProjectsList.h"
#include "editor/EditorLayouts.h"
#include "editor/FrameEditorLayouts.h"
#include "editor/FrameEditorViewController.h"
#include "editor/StripLayouts.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Sandbox.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"

namespace {

constexpr int kFrames = 2000;

// A picture with some detail, so that its files have a photo's size.
std::shared_ptr<plat::Image> detailedPicture(int width, int height)
{
    auto bitmap = plat::Bitmap::allocate(width, height, plat::PixelOrder::BGRA);
    uint32_t noise = 2026u;
    for (int y = 0; y < height; ++y) {
        uint8_t* p = bitmap->mutableRow(y);
        for (int x = 0; x < width; ++x, p += 4) {
            noise = noise * 1664525u + 1013904223u;
            const auto grain = static_cast<uint8_t>((noise >> 24) % 32);
            p[0] = static_cast<uint8_t>(x * 255 / width) ^ grain;
            p[1] = static_cast<uint8_t>(y * 255 / height) ^ grain;
            p[2] = static_cast<uint8_t>(128 + grain);
            p[3] = 255;
        }
    }
    bitmap->setOpaque(true);
    return plat::Image::imageWithBitmap(bitmap);
}

// The device: a phone, in a sandbox of its own, with one long film whose
// frames all have their own picture files (copies of one stored frame's).
struct LongFilmDevice {
    LongFilmDevice()
    {
        std::string folderTemplate = "/tmp/zt-bench-XXXXXX";
        if (::mkdtemp(folderTemplate.data()) == nullptr)
            std::abort();
        sandbox = std::make_shared<plat::Sandbox>(folderTemplate);
        plat::Sandbox::setCurrent(sandbox);
        plat::Device::setCurrentDevice(plat::Device(plat::UserInterfaceIdiom::Phone));
        zt::DataManager::sharedDataManager().resetToDefaultsForTesting();
        (void)zt::ProjectsList::replace({});
        zt::registerFrameEditorLayouts();
        zt::registerEditorLayouts();
        zt::registerStripLayouts();
        zt::registerAudioScreenLayouts();

        auto project = std::make_shared<zt::ProjectModel>(std::nullopt);
        zt::ImageProducer producer(project);
        if (!producer.storeImage(*detailedPicture(1920, 1080), "first"))
            std::abort();
        folder = *project->getProjectPath();
        auto& list = project->getFrameList();
        for (const char* kind : {"thumb", "preview", "frame"})
            files.emplace_back(
                kind, plat::readFile(plat::appendingPathComponent(folder, std::string(kind) + "-first.jpg")).value());
        for (int i = 0; i < kFrames; ++i) {
            zt::Frame frame(zt::FrameTypePicture);
            for (const auto& [kind, bytes] : files)
                (void)plat::writeFileAtomically(
                    plat::appendingPathComponent(folder, kind + "-" + frame.frameID() + ".jpg"), bytes);
            list.insertFrame(frame, list.getCaptureIndex());
        }
        // Opened where the person left it, half-way through.
        project->getMetaData()->set("CurrentFrameIndex", kFrames / 2);
        if (!project->saveAllDataToDisk().ok())
            std::abort();
        shownPreview = plat::appendingPathComponent(
            folder, "preview-" + *project->getFrameList().getFrameIDAtIndex(kFrames / 2) + ".jpg");
        window = std::make_shared<plat::Window>();
        root = std::make_shared<plat::ViewController>();
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        plat::RunLoop::main().drain();
    }
    ~LongFilmDevice()
    {
        plat::Sandbox::setCurrent(nullptr);
        (void)plat::removeItem(sandbox->root());
    }

    std::shared_ptr<plat::Sandbox> sandbox;
    std::string folder;
    std::string shownPreview;
    std::vector<std::pair<std::string, plat::Data>> files;
    std::shared_ptr<plat::Window> window;
    std::shared_ptr<plat::ViewController> root;
};

LongFilmDevice& device()
{
    static LongFilmDevice made;
    return made;
}

void FrameEditorOpenToFirstPicture(benchmark::State& state)
{
    LongFilmDevice& phone = device();
    for (auto _ : state) {
        auto project = std::make_shared<zt::ProjectModel>(phone.folder);
        auto editor
            = std::make_shared<zt::FrameEditorViewController>(zt::FrameEditorViewController::kPhoneLayout, project);
        editor->view()->setFrame(phone.root->view()->bounds());
        phone.root->addChildViewController(editor);
        phone.root->view()->addSubview(editor->view());
        editor->didMoveToParentViewController(phone.root.get());
        plat::RunLoop::main().drain();
        auto picture = plat::snapshotWindow(*phone.window, 1);
        if (!picture || editor->currentFrame() != kFrames / 2)
            state.SkipWithError("the editor did not open on the stored frame");
        benchmark::DoNotOptimize(picture);

        state.PauseTiming();
        editor->removeNotifications();
        editor->view()->removeFromSuperview();
        editor->removeFromParentViewController();
        editor.reset();
        plat::RunLoop::main().drain();
        state.ResumeTiming();
    }
}

void FrameEditorOpenLeastWork(benchmark::State& state)
{
    LongFilmDevice& phone = device();
    for (auto _ : state) {
        auto project = std::make_shared<zt::ProjectModel>(phone.folder);
        benchmark::DoNotOptimize(project->getFrameList().count());
        auto bytes = plat::readFile(phone.shownPreview);
        auto preview = bytes.ok() ? plat::Image::imageWithData(bytes.value()) : nullptr;
        auto view = std::make_shared<plat::ImageView>(phone.root->view()->bounds());
        view->setImage(preview);
        phone.root->view()->addSubview(view);
        auto picture = plat::snapshotWindow(*phone.window, 1);
        if (!picture || !preview)
            state.SkipWithError("the preview did not draw");
        benchmark::DoNotOptimize(picture);
        state.PauseTiming();
        view->removeFromSuperview();
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(FrameEditorOpenToFirstPicture)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(FrameEditorOpenLeastWork)->Unit(benchmark::kMillisecond)->Iterations(20);

const zt::bench::Comparison kOpening("FrameEditorOpenToFirstPicture", "FrameEditorOpenLeastWork");
