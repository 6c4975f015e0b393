// Exporting a project as a movie and as an animated GIF, beside the ffmpeg
// command a user would run on the same JPEG files for the same result: a
// 300-frame 1280 x 720 project at 5 frames per second into a QuickTime movie
// with libx264 at the export's bit rate, and 50 frames into a 640 x 360 GIF
// through palettegen and paletteuse. Each iteration times both; the counters
// show the seconds of each and the ratio ours / ffmpeg.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "app/DataManager.h"
#include "app/Frame.h"
#include "app/ImageProducer.h"
#include "app/ProjectModel.h"
#include "app/ProjectsList.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/UniformTypeIdentifiers.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "render/AnimatedGifRenderer.h"
#include "render/ZantropeMovieRenderer.h"

namespace {

constexpr int kMovieFrames = 300;
constexpr int kGifFrames = 50;
constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr const char* kMovieBitRate = "7500000";  // the 720p export's

using Clock = std::chrono::steady_clock;

// A textured scene larger than a frame: each frame shows a shifted window
// of it with a box moving across, as a camera panning over a set would.
class Scene {
public:
    Scene()
        : _width(kWidth + 2 * kMovieFrames)
        , _height(kHeight + kMovieFrames / 2)
        , _pixels(static_cast<size_t>(_width) * static_cast<size_t>(_height) * 4)
    {
        uint32_t noise = 12345;
        for (int y = 0; y < _height; ++y) {
            for (int x = 0; x < _width; ++x) {
                noise = noise * 1664525u + 1013904223u;
                int grain = static_cast<int>((noise >> 24) % 13) - 6;
                double u = static_cast<double>(x) / _width, v = static_cast<double>(y) / _height;
                double shade = 0.5 + 0.3 * std::sin(u * 11.0 + v * 5.0) * std::cos(v * 9.0 - u * 2.0);
                double texture = 0.07 * std::sin(x * 0.45) * std::sin(y * 0.38);
                uint8_t* p
                    = &_pixels[(static_cast<size_t>(y) * static_cast<size_t>(_width) + static_cast<size_t>(x)) * 4];
                auto channel = [&](double tint) {
                    return static_cast<uint8_t>(std::clamp((shade + texture) * tint * 255 + grain, 0.0, 255.0));
                };
                p[0] = channel(0.75);
                p[1] = channel(0.95);
                p[2] = channel(1.1);
                p[3] = 255;
            }
        }
    }
    std::shared_ptr<plat::Image> frame(int index) const
    {
        auto bitmap = plat::Bitmap::allocate(kWidth, kHeight, plat::PixelOrder::BGRA);
        int left = 2 * index;
        int top = index / 2;
        for (int y = 0; y < kHeight; ++y) {
            const uint8_t* source
                = &_pixels[(static_cast<size_t>(top + y) * static_cast<size_t>(_width) + static_cast<size_t>(left))
                    * 4];
            uint8_t* row = bitmap->mutableRow(y);
            std::memcpy(row, source, static_cast<size_t>(kWidth) * 4);
            int boxLeft = (index * 9) % (kWidth - 200);
            if (y >= 300 && y < 460)
                std::memset(row + boxLeft * 4, 230, 200 * 4);
        }
        bitmap->setOpaque(true);
        return plat::Image::imageWithBitmap(bitmap);
    }

private:
    int _width;
    int _height;
    std::vector<uint8_t> _pixels;
};

// A project of frames in a sandbox of its own, and the same pictures as a
// numbered sequence for ffmpeg.
struct BenchProject {
    enum class Pictures { FullOnly, WithPreviews };
    BenchProject(int frames, Pictures pictures)
    {
        bool withPreviews = pictures == Pictures::WithPreviews;
        std::string root = "/tmp/zt-bench-movie-XXXXXX";
        if (::mkdtemp(root.data()) == nullptr)
            std::abort();
        sandbox = std::make_shared<plat::Sandbox>(root);
        plat::Sandbox::setCurrent(sandbox);
        zt::DataManager::sharedDataManager().resetToDefaultsForTesting();
        (void)zt::ProjectsList::replace({});
        project = std::make_shared<zt::ProjectModel>(std::nullopt);
        zt::ImageProducer producer(project);
        sequence = plat::appendingPathComponent(root, "sequence");
        (void)plat::createDirectory(sequence, plat::IntermediateDirectories::No);
        Scene scene;
        auto& list = project->getFrameList();
        for (int i = 0; i < frames; ++i) {
            std::string id = "F" + std::to_string(i);
            list.insertFrame(zt::Frame(zt::FrameTypePicture, id), list.getCaptureIndex());
            auto picture = scene.frame(i);
            if (withPreviews || !project->getProjectPath()) {
                if (!producer.storeImage(*picture, id))
                    std::abort();
            } else {
                auto jpeg = plat::JPEGRepresentation(*picture, 1.0);
                if (!jpeg || !plat::writeFileAtomically(framePath("frame-" + id + ".jpg"), *jpeg).ok())
                    std::abort();
            }
            char name[32];
            std::snprintf(name, sizeof name, "%04d.jpg", i);
            std::string source = framePath((withPreviews ? "preview-" : "frame-") + id + ".jpg");
            if (::symlink(source.c_str(), plat::appendingPathComponent(sequence, name).c_str()) != 0)
                std::abort();
        }
        if (!project->saveAllDataToDisk().ok())
            std::abort();
    }
    ~BenchProject()
    {
        plat::Sandbox::setCurrent(nullptr);
        (void)plat::removeItem(sandbox->root());
    }
    std::string framePath(const std::string& name) const
    {
        return plat::appendingPathComponent(*project->getProjectPath(), name);
    }

    std::shared_ptr<plat::Sandbox> sandbox;
    std::shared_ptr<zt::ProjectModel> project;
    std::string sequence;
};

// Seconds of one export, from its start to its completion on the main queue.
double timeExport(zt::MovieRenderer& renderer, std::shared_ptr<zt::MovieExportType> type, benchmark::State& state)
{
    bool done = false;
    bool waiting = false;
    auto start = Clock::now();
    renderer.exportProjectWithExportType(std::move(type), [&] {
        done = true;
        if (waiting)
            plat::RunLoop::main().stop();
    });
    while (!done) {
        waiting = true;
        plat::RunLoop::main().runUntil(plat::Clock::current().uptimeSeconds() + 600);
        waiting = false;
    }
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (renderer.status() != zt::MovieRendererStatusCompleted)
        state.SkipWithError("the export failed");
    return seconds;
}

double timeCommand(const std::string& command, benchmark::State& state)
{
    auto start = Clock::now();
    int result = std::system(command.c_str());
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (result != 0)
        state.SkipWithError("the ffmpeg command failed");
    return seconds;
}

void report(benchmark::State& state, double ours, double reference, const char* referenceName)
{
    state.counters["ours_s"] = ours / static_cast<double>(state.iterations());
    state.counters[referenceName] = reference / static_cast<double>(state.iterations());
    state.counters["ratio"] = ours / reference;
}

void MovieExport(benchmark::State& state)
{
    BenchProject bench(kMovieFrames, BenchProject::Pictures::FullOnly);
    auto type = std::make_shared<zt::MovieExportType>(
        "HD - 720p", "AVAssetExportPreset1280x720", plat::Size {kWidth, kHeight}, plat::kUTTypeQuickTimeMovie, "mov");
    std::string reference = plat::appendingPathComponent(bench.sandbox->root(), "reference.mov");
    std::string command = "ffmpeg -hide_banner -nostdin -v error -y -framerate 5 -i '" + bench.sequence
        + "/%04d.jpg' -c:v libx264 -b:v " + kMovieBitRate + " -pix_fmt yuv420p '" + reference + "'";
    double ours = 0, theirs = 0;
    for (auto _ : state) {
        auto renderer = std::make_shared<zt::ZantropeMovieRenderer>(bench.project);
        double mine = timeExport(*renderer, type, state);
        double ffmpeg = timeCommand(command, state);
        state.SetIterationTime(mine);
        ours += mine;
        theirs += ffmpeg;
    }
    report(state, ours, theirs, "ffmpeg_s");
}

void GifExport(benchmark::State& state)
{
    BenchProject bench(kGifFrames, BenchProject::Pictures::WithPreviews);
    auto type = std::make_shared<zt::MovieExportType>(
        "Animated GIF", std::nullopt, plat::Size {640, 360}, plat::kUTTypeGIF, "gif");
    std::string reference = plat::appendingPathComponent(bench.sandbox->root(), "reference.gif");
    std::string command = "ffmpeg -hide_banner -nostdin -v error -y -framerate 5 -i '" + bench.sequence
        + "/%04d.jpg' -filter_complex "
          "'scale=640:360:force_original_aspect_ratio=increase,crop=640:360,split[a][b];[a]palettegen[p];[b][p]"
          "paletteuse'"
          " -loop 0 '"
        + reference + "'";
    double ours = 0, theirs = 0;
    for (auto _ : state) {
        auto renderer = std::make_shared<zt::AnimatedGifRenderer>(bench.project);
        double mine = timeExport(*renderer, type, state);
        double ffmpeg = timeCommand(command, state);
        state.SetIterationTime(mine);
        ours += mine;
        theirs += ffmpeg;
    }
    report(state, ours, theirs, "ffmpeg_s");
}

}  // namespace

BENCHMARK(MovieExport)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(GifExport)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
