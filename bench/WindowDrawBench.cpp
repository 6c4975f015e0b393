// One draw of the tablet's desktop window after a change a person meets all
// the time: the editor's preview showing its next picture, and a thumbnail
// of the explorer's carousel changed (made again after an edit). Ours is the
// window's draw: only the pixels that changed are drawn again, at the
// window's own pixels (one per point on a tablet), into the picture it
// keeps. The reference is the draw the window made before: the whole view
// tree rendered again at the screen's scale (then shrunk to the window).
// Before timing, the kept picture is compared with a whole picture of the
// same scale. The preview's draw has 33 ms at 30 pictures a second.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "BenchRatio.h"
#include "app/AppCaptureSources.h"
#include "app/AppLayouts.h"
#include "app/MainViewController.h"
#include "app/ProjectExplorer.h"
#include "app/WelcomeMain.h"
#include "app/ZantropeAppDelegate.h"
#include "document/FrameList.h"
#include "document/ProjectModel.h"
#include "editor/FrameEditorViewController.h"
#include "editor/PreviewPlayer.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Sandbox.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/SamePixels.h"
#include "platform/ui/Application.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowCompositor.h"
#include "platform/ui/scripting/UIDriver.h"
#include "uikit/Carousel.h"

namespace {

// Pixels per point: the tablet's window shows a point as a pixel; the screen has two.
constexpr double kWindowScale = 1;
constexpr double kScreenScale = 2;

// The app on a tablet, started on the manual clock, in a device folder of its own.
class Tablet {
public:
    Tablet()
    {
        char pattern[] = "/tmp/zt-bench-window-XXXXXX";
        if (!::mkdtemp(pattern))
            std::abort();
        _root = pattern;
        plat::Sandbox::setCurrent(std::make_shared<plat::Sandbox>(_root));
        plat::Clock::setCurrent(_clock);
        plat::Device::setCurrentDevice(plat::Device(plat::UserInterfaceIdiom::Pad));
        zt::registerAppLayouts();
        zt::registerAppCaptureSources();
        zt::WelcomeMain::setHasSeen(true);
        _delegate = std::make_shared<zt::ZantropeAppDelegate>();
        plat::Application::sharedApplication().setDelegate(_delegate);
        plat::Application::sharedApplication().launch({});
        wait(2);  // the first start's sample project, the explorer's fade-in
    }
    ~Tablet()
    {
        plat::Application::sharedApplication().resetForTesting();
        plat::RunLoop::main().discardPendingWork();
        (void)plat::removeItem(_root);
    }

    void wait(double seconds) { _clock->advance(seconds); }
    plat::Window& window() const { return *plat::Application::sharedApplication().keyWindow(); }
    std::shared_ptr<zt::ProjectExplorer> explorer() const { return _delegate->mainViewController()->viewExplorer(); }
    std::shared_ptr<zt::FrameEditorViewController> editor() const
    {
        return std::dynamic_pointer_cast<zt::FrameEditorViewController>(
            _delegate->mainViewController()->viewFrameEditor());
    }
    // The explorer with the sample project centred (back from the editor if it is open).
    void showExplorer()
    {
        if (auto open = editor()) {
            open->actionProjectExplorer();
            wait(2);
        }
        auto& carousel = *explorer()->outlets().carousel;
        if (carousel.currentItemIndex() != 1) {
            // The sample, after the new-project slot, to the centre.
            carousel.scrollToItemAtIndex(1, /*animated=*/true);
            wait(2);
        }
    }
    // The sample project open in the editor.
    std::shared_ptr<zt::FrameEditorViewController> showEditor()
    {
        if (!editor()) {
            showExplorer();
            auto& carousel = *explorer()->outlets().carousel;
            explorer()->carouselDidSelectItemAtIndex(carousel, carousel.currentItemIndex());
            wait(2);
            // The device has no camera; what a person reads first is read.
            plat::scripting::UIDriver driver;
            for (const char* button : {"Dismiss", "Next"})
                if (driver.findView(button) && driver.tap(button))
                    wait(1);
        }
        return editor();
    }

private:
    std::string _root;
    std::shared_ptr<plat::ManualClock> _clock = std::make_shared<plat::ManualClock>(1000, plat::Date::now());
    std::shared_ptr<zt::ZantropeAppDelegate> _delegate;
};

Tablet& tablet()
{
    static Tablet made;
    return made;
}

// The picture within the view that shows largest in the window.
std::shared_ptr<plat::ImageView> largestPicture(const plat::View& view)
{
    std::shared_ptr<plat::ImageView> largest;
    double largestArea = 0;
    const plat::Rect screen = tablet().window().bounds();
    std::function<void(const plat::View&)> look = [&](const plat::View& within) {
        for (const auto& subview : within.subviews()) {
            if (subview->isHidden() || subview->alpha() < 0.01)
                continue;
            auto candidate = std::dynamic_pointer_cast<plat::ImageView>(subview);
            if (candidate && candidate->image()) {
                const plat::Rect shown = candidate->convertRect(candidate->bounds(), nullptr);
                const double width = std::min(shown.maxX(), screen.maxX()) - std::max(shown.minX(), screen.minX());
                const double height = std::min(shown.maxY(), screen.maxY()) - std::max(shown.minY(), screen.minY());
                if (width > 0 && height > 0 && width * height > largestArea) {
                    largest = candidate;
                    largestArea = width * height;
                }
            }
            look(*subview);
        }
    };
    look(view);
    return largest;
}

// The picture a little darker: a thumbnail made again after an edit.
std::shared_ptr<plat::Image> darker(const plat::Image& picture)
{
    auto bitmap = picture.bitmap()->copyWithOrder(plat::PixelOrder::BGRA);
    for (int y = 0; y < bitmap->height(); ++y) {
        uint8_t* row = bitmap->mutableRow(y);
        for (int x = 0; x < bitmap->width() * 4; ++x)
            if (x % 4 != 3)
                row[x] = static_cast<uint8_t>(row[x] * 3 / 4);
    }
    return plat::Image::imageWithBitmap(bitmap, picture.scale());
}

enum class Draw { OnlyWhatChanged, WholeScreen };

// Changes the screen (each call once more), lets the run loop's update pass
// lay out and redraw what asked for it, and draws the window.
void drawAfterEachChange(benchmark::State& state, const std::function<void()>& change, Draw draw)
{
    plat::Window& window = tablet().window();
    plat::detail::WindowCompositor kept(kWindowScale);
    kept.update(window);
    int64_t drawn = 0;
    // The first change may bring back what an earlier run left shown; the next one shows something new.
    for (int changes = 0; changes < 2 && drawn == 0; ++changes) {
        change();
        plat::RunLoop::main().drain();
        for (const auto& area : kept.update(window))
            drawn += area.area();
    }
    if (drawn == 0 || !plat::haveSamePixels(*kept.picture(), *plat::snapshotWindow(window, kWindowScale)->bitmap())) {
        state.SkipWithError("the kept picture is not the window's");
        return;
    }
    for (auto _ : state) {
        change();
        plat::RunLoop::main().drain();
        if (draw == Draw::OnlyWhatChanged)
            benchmark::DoNotOptimize(kept.update(window));
        else
            benchmark::DoNotOptimize(plat::snapshotWindow(window, kScreenScale));
    }
    state.counters["drawn share"] = static_cast<double>(drawn) / (kept.picture()->width() * kept.picture()->height());
}

// Alternates a picture's image with a darker copy of it.
std::function<void()> thumbnailChanges(std::shared_ptr<plat::ImageView> view)
{
    if (!view)
        return [] {};
    auto pictures = std::make_shared<std::pair<std::shared_ptr<const plat::Image>, std::shared_ptr<const plat::Image>>>(
        view->image(), darker(*view->image()));
    return [view, pictures, turn = 0]() mutable { view->setImage(++turn % 2 ? pictures->second : pictures->first); };
}

std::function<void()> explorerThumbnailChanges()
{
    tablet().showExplorer();
    auto& carousel = *tablet().explorer()->outlets().carousel;
    return thumbnailChanges(largestPicture(*carousel.currentItemView()));
}

std::function<void()> previewPictures()
{
    auto shown = tablet().showEditor();
    if (!shown)
        return [] {};
    auto player = std::make_shared<zt::PreviewPlayer>(shown->project(), nullptr);
    // Without the capture placeholder.
    const int64_t pictures = std::max<int64_t>(shown->project()->getFrameList().count() - 1, 1);
    return [shown, player, pictures, next = int64_t(0)]() mutable {
        shown->previewPlayerShowFrameAtIndex(*player, next++ % pictures);
    };
}

void ExplorerThumbnailDrawnAgain(benchmark::State& state)
{
    drawAfterEachChange(state, explorerThumbnailChanges(), Draw::OnlyWhatChanged);
}
void ExplorerThumbnailWholeScreen(benchmark::State& state)
{
    drawAfterEachChange(state, explorerThumbnailChanges(), Draw::WholeScreen);
}
void EditorPreviewPictureDrawnAgain(benchmark::State& state)
{
    drawAfterEachChange(state, previewPictures(), Draw::OnlyWhatChanged);
}
void EditorPreviewPictureWholeScreen(benchmark::State& state)
{
    drawAfterEachChange(state, previewPictures(), Draw::WholeScreen);
}
const zt::bench::Comparison kExplorer("ExplorerThumbnailDrawnAgain", "ExplorerThumbnailWholeScreen");
const zt::bench::Comparison kPreview("EditorPreviewPictureDrawnAgain", "EditorPreviewPictureWholeScreen");

}  // namespace

BENCHMARK(ExplorerThumbnailDrawnAgain)->Unit(benchmark::kMillisecond);
BENCHMARK(ExplorerThumbnailWholeScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(EditorPreviewPictureDrawnAgain)->Unit(benchmark::kMillisecond);
BENCHMARK(EditorPreviewPictureWholeScreen)->Unit(benchmark::kMillisecond);
