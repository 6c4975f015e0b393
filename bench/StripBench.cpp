// The frame strip over a 2,000-frame project: one scroll step moves the
// strip by an item, which loads the item coming in (its thumbnail decoded
// from the project folder) and shows the new current frame's preview, as a
// person dragging through the film sees it. Reported: the time per step and
// the bytes of decoded thumbnails the strip holds (bounded by the items on
// screen, whatever the film's length).
//
// Playback of 1080p frames: each tick shows a frame's preview picture
// (796 x 448, decoded from the project folder through the image producer),
// beside a bare libjpeg-turbo decode of the same files to pixels. The ratio
// is ours / libjpeg-turbo; playback needs at least 24 pictures a second.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <memory>
#include <string>
#include <vector>

#include "BenchRatio.h"
#include "document/DataManager.h"
#include "document/Frame.h"
#include "document/FrameList.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "document/ProjectsList.h"
#include "editor/PlayerViewController.h"
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
#include "platform/ui/Window.h"
#include "uikit/Carousel.h"

namespace {

constexpr int kStripFrames = 2000;
constexpr int kPlaybackFrames = 24;

// Soft gradients, texture and grain, so the codec meets a photo's detail.
std::shared_ptr<plat::Image> photoLikePicture(int width, int height, int seed)
{
    auto bitmap = plat::Bitmap::allocate(width, height, plat::PixelOrder::BGRA);
    uint32_t noise = 12345u + static_cast<uint32_t>(seed);
    for (int y = 0; y < height; ++y) {
        uint8_t* p = bitmap->mutableRow(y);
        for (int x = 0; x < width; ++x, p += 4) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = static_cast<int>((noise >> 24) % 17) - 8;
            const double u = static_cast<double>(x) / width, v = static_cast<double>(y) / height;
            const double shade = 0.5 + 0.3 * std::sin(u * 9.0 + v * 4.0 + seed) * std::cos(v * 7.0);
            auto channel
                = [&](double tint) { return static_cast<uint8_t>(std::clamp(shade * tint * 255 + grain, 0.0, 255.0)); };
            p[0] = channel(0.8);
            p[1] = channel(1.0);
            p[2] = channel(1.1);
            p[3] = 255;
        }
    }
    bitmap->setOpaque(true);
    return plat::Image::imageWithBitmap(bitmap);
}

struct BenchSandbox {
    BenchSandbox()
    {
        std::string root = "/tmp/zt-bench-XXXXXX";
        if (::mkdtemp(root.data()) == nullptr)
            std::abort();
        sandbox = std::make_shared<plat::Sandbox>(root);
        plat::Sandbox::setCurrent(sandbox);
        (void)zt::ProjectsList::replace({});
    }
    ~BenchSandbox()
    {
        plat::Sandbox::setCurrent(nullptr);
        (void)plat::removeItem(sandbox->root());
    }
    std::shared_ptr<plat::Sandbox> sandbox;
};

// A long film whose frames all have their own picture, thumbnail and preview
// files (copies of one stored frame's: decoding costs the same for each).
std::shared_ptr<zt::ProjectModel> makeLongFilm()
{
    auto project = std::make_shared<zt::ProjectModel>(std::nullopt);
    zt::ImageProducer producer(project);
    if (!producer.storeImage(*photoLikePicture(1920, 1080, 0), "first"))
        std::abort();
    const std::string folder = *project->getProjectPath();
    auto thumbnail = plat::readFile(plat::appendingPathComponent(folder, "thumb-first.jpg"));
    auto preview = plat::readFile(plat::appendingPathComponent(folder, "preview-first.jpg"));
    auto picture = plat::readFile(plat::appendingPathComponent(folder, "frame-first.jpg"));
    if (!thumbnail.ok() || !preview.ok() || !picture.ok())
        std::abort();
    auto& list = project->getFrameList();
    for (int i = 0; i < kStripFrames; ++i) {
        zt::Frame frame(zt::FrameTypePicture);
        (void)plat::writeFileAtomically(
            plat::appendingPathComponent(folder, "thumb-" + frame.frameID() + ".jpg"), thumbnail.value());
        (void)plat::writeFileAtomically(
            plat::appendingPathComponent(folder, "preview-" + frame.frameID() + ".jpg"), preview.value());
        (void)plat::writeFileAtomically(
            plat::appendingPathComponent(folder, "frame-" + frame.frameID() + ".jpg"), picture.value());
        list.insertFrame(frame, list.getCaptureIndex());
    }
    if (!project->saveAllDataToDisk().ok())
        std::abort();
    return project;
}

size_t thumbnailBytes(zt::Carousel& carousel)
{
    size_t bytes = 0;
    for (const auto& item : carousel.visibleItemViews()) {
        for (const auto& part : item->subviews()) {
            auto thumbnail = std::dynamic_pointer_cast<plat::ImageView>(part);
            if (part->tag() == zt::detail::kThumbnailTag && thumbnail && thumbnail->image()) {
                const auto& bitmap = *thumbnail->image()->bitmap();
                bytes += static_cast<size_t>(bitmap.bytesPerRow()) * static_cast<size_t>(bitmap.height());
            }
        }
    }
    return bytes;
}

void StripScrollStep(benchmark::State& state)
{
    BenchSandbox sandbox;
    plat::Device::setCurrentDevice(plat::Device(plat::UserInterfaceIdiom::Phone));
    zt::registerStripLayouts();
    zt::DataManager::sharedDataManager().resetToDefaultsForTesting();
    auto project = makeLongFilm();
    auto window = std::make_shared<plat::Window>();
    auto root = std::make_shared<plat::ViewController>();
    window->setRootViewController(root);
    window->makeKeyAndVisible();
    auto picture = std::make_shared<plat::ImageView>(plat::makeRect(0, 0, 568, 150));
    root->view()->addSubview(picture);
    auto strip = std::make_shared<zt::PlayerViewController>(project);
    root->addChildViewController(strip);
    root->view()->addSubview(strip->view());
    strip->setFrameList(project->getFrameList());
    strip->setImageViewPreview(picture);
    plat::RunLoop::main().drain();
    auto& carousel = *strip->outlets().carousel;

    double offset = 0;
    int64_t steps = 0;
    size_t mostBytes = 0;
    for (auto _ : state) {
        offset += 1;
        if (offset >= kStripFrames)
            offset = 0;
        carousel.setScrollOffset(offset);
        carousel.layoutIfNeeded();
        ++steps;
        mostBytes = std::max(mostBytes, thumbnailBytes(carousel));
    }
    state.counters["steps"] = benchmark::Counter(static_cast<double>(steps));
    state.counters["ms_per_step"]
        = benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["loaded_items"] = static_cast<double>(carousel.visibleItemViews().size());
    state.counters["thumbnail_KiB"] = static_cast<double>(mostBytes) / 1024;
    strip->viewWillClose();
}

struct PlaybackFilm {
    PlaybackFilm()
    {
        project = std::make_shared<zt::ProjectModel>(std::nullopt);
        producer = std::make_unique<zt::ImageProducer>(project);
        auto& list = project->getFrameList();
        for (int i = 0; i < kPlaybackFrames; ++i) {
            zt::Frame frame(zt::FrameTypePicture);
            if (!producer->storeImage(*photoLikePicture(1920, 1080, i), frame.frameID()))
                std::abort();
            list.insertFrame(frame, list.getCaptureIndex());
            previews.push_back(
                plat::appendingPathComponent(*project->getProjectPath(), "preview-" + frame.frameID() + ".jpg"));
        }
        if (!project->saveAllDataToDisk().ok())
            std::abort();
    }
    BenchSandbox sandbox;
    std::shared_ptr<zt::ProjectModel> project;
    std::unique_ptr<zt::ImageProducer> producer;
    std::vector<std::string> previews;
};

void PlaybackPreviewsOurs(benchmark::State& state)
{
    PlaybackFilm film;
    int64_t index = 0;
    for (auto _ : state) {
        auto picture = film.producer->getPreviewImageForFrameAtIndex(index);
        if (!picture)
            state.SkipWithError("a preview did not decode");
        benchmark::DoNotOptimize(picture);
        index = (index + 1) % kPlaybackFrames;
    }
    state.SetItemsProcessed(state.iterations());
}

// Reads the file and decodes it to BGRA pixels, nothing else.
size_t decodeWithLibjpegTurbo(const std::string& path, std::vector<uint8_t>& pixels)
{
    auto bytes = plat::readFile(path);
    if (!bytes.ok())
        return 0;
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.value().data(), static_cast<unsigned long>(bytes.value().size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    const size_t stride = static_cast<size_t>(info.output_width) * 4;
    pixels.resize(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return pixels.size();
}

void PlaybackPreviewsLibjpegTurbo(benchmark::State& state)
{
    PlaybackFilm film;
    std::vector<uint8_t> pixels;
    size_t index = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(decodeWithLibjpegTurbo(film.previews[index], pixels));
        index = (index + 1) % film.previews.size();
    }
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(StripScrollStep)->Unit(benchmark::kMillisecond)->Iterations(3000);
BENCHMARK(PlaybackPreviewsOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(PlaybackPreviewsLibjpegTurbo)->Unit(benchmark::kMillisecond);

const zt::bench::Comparison kPlayback("PlaybackPreviewsOurs", "PlaybackPreviewsLibjpegTurbo");
