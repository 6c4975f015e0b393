// Exporting a project as a movie and as an animated GIF, beside the ffmpeg
// command a user would run on the same JPEG files for the same result. After
// the runs the medians are compared (ours / ffmpeg).
//
// Movie (MovieExportOurs / MovieExportFFmpeg): a 300-frame project at 5
// frames per second, at 1280 x 720 and at 1920 x 1080, into a QuickTime
// movie. The same work on both sides: the same full-size JPEG files are
// decoded and encoded by libx264 through libavcodec with the same settings
// (High profile, no B-frames, the export's average bit rate, x264's default
// preset, as many threads as the machine has sharing each picture's slices
// with the look-ahead in step, 4:2:0 video range), and both
// movies hold the same 301 pictures, since ours shows the first picture
// twice: the sequence ffmpeg reads names the first file twice. Both decode
// the next pictures while libx264's threads encode earlier ones. Before
// timing, ffprobe reads both movies and they must agree in frame count,
// size, profile and B-frames. Beside the time, the processor seconds of
// each side are compared: on a machine shared with other work the time
// follows its load, the processor seconds much less.
//
// GIF (GifExportOurs / GifExportFFmpeg): 50 frames into a 640 x 360 GIF, both
// from the same preview files, each picture scaled to fill and cropped,
// given a palette of its own (palettegen in single-frame mode, paletteuse
// with a new palette per frame) and Floyd-Steinberg dithered.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include "BenchRatio.h"
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
#include "platform/media/MediaConstants.h"
#include "render/AnimatedGifRenderer.h"
#include "render/ZantropeMovieRenderer.h"

namespace {

constexpr int kMovieFrames = 300;
constexpr int kGifFrames = 50;
constexpr int kFramesPerSecond = 5;

using Clock = std::chrono::steady_clock;

struct MovieSize {
    int width;
    int height;
    const char* title;
    const char* preset;
    const char* bitRate;  // the export's, by its height
};

MovieSize movieSize(int64_t height)
{
    if (height == 1080)
        return {1920, 1080, "HD - 1080p", plat::kAssetExportPreset1920x1080, "10000000"};
    return {1280, 720, "HD - 720p", plat::kAssetExportPreset1280x720, "7500000"};
}

// A textured scene larger than a frame: each frame shows a shifted window
// of it with a box moving across, as a camera panning over a set would.
class Scene {
public:
    Scene(int width, int height, int frames)
        : _frameWidth(width)
        , _frameHeight(height)
        , _width(width + 2 * frames)
        , _height(height + frames / 2)
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
        auto bitmap = plat::Bitmap::allocate(_frameWidth, _frameHeight, plat::PixelOrder::BGRA);
        int left = 2 * index;
        int top = index / 2;
        int boxWidth = _frameWidth / 6;
        int boxTop = _frameHeight * 5 / 12;
        int boxBottom = _frameHeight * 2 / 3;
        for (int y = 0; y < _frameHeight; ++y) {
            const uint8_t* source
                = &_pixels[(static_cast<size_t>(top + y) * static_cast<size_t>(_width) + static_cast<size_t>(left))
                    * 4];
            uint8_t* row = bitmap->mutableRow(y);
            std::memcpy(row, source, static_cast<size_t>(_frameWidth) * 4);
            int boxLeft = (index * 9) % (_frameWidth - boxWidth);
            if (y >= boxTop && y < boxBottom)
                std::memset(row + boxLeft * 4, 230, static_cast<size_t>(boxWidth) * 4);
        }
        bitmap->setOpaque(true);
        return plat::Image::imageWithBitmap(bitmap);
    }

private:
    int _frameWidth;
    int _frameHeight;
    int _width;
    int _height;
    std::vector<uint8_t> _pixels;
};

// One sandbox for every project of the run, made at first use.
class BenchSandbox {
public:
    static BenchSandbox& shared()
    {
        static BenchSandbox sandbox;
        return sandbox;
    }
    ~BenchSandbox()
    {
        plat::Sandbox::setCurrent(nullptr);
        (void)plat::removeItem(_sandbox->root());
    }
    const std::string& root() const { return _sandbox->root(); }

private:
    BenchSandbox()
    {
        std::string root = "/tmp/zt-bench-movie-XXXXXX";
        if (::mkdtemp(root.data()) == nullptr)
            std::abort();
        _sandbox = std::make_shared<plat::Sandbox>(root);
        plat::Sandbox::setCurrent(_sandbox);
        zt::DataManager::sharedDataManager().resetToDefaultsForTesting();
        (void)zt::ProjectsList::replace({});
    }
    std::shared_ptr<plat::Sandbox> _sandbox;
};

// A project of frames, and the same pictures as a numbered sequence for
// ffmpeg. Made once per kind and kept for every repetition.
struct BenchProject {
    enum class Pictures { FullOnly, WithPreviews };
    BenchProject(const std::string& name, int width, int height, int frames, Pictures pictures)
    {
        bool withPreviews = pictures == Pictures::WithPreviews;
        const std::string& root = BenchSandbox::shared().root();
        project = std::make_shared<zt::ProjectModel>(std::nullopt);
        zt::ImageProducer producer(project);
        sequence = plat::appendingPathComponent(root, "sequence-" + name);
        output = plat::appendingPathComponent(root, "reference-" + name);
        (void)plat::createDirectory(sequence, plat::IntermediateDirectories::No);
        Scene scene(width, height, frames);
        auto& list = project->getFrameList();
        int named = 0;
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
            std::string source = framePath((withPreviews ? "preview-" : "frame-") + id + ".jpg");
            // A movie shows its first picture twice (at 0 and after one frame): so does the sequence.
            int copies = !withPreviews && i == 0 ? 2 : 1;
            for (int copy = 0; copy < copies; ++copy) {
                char fileName[32];
                std::snprintf(fileName, sizeof fileName, "%04d.jpg", named++);
                if (::symlink(source.c_str(), plat::appendingPathComponent(sequence, fileName).c_str()) != 0)
                    std::abort();
            }
        }
        if (!project->saveAllDataToDisk().ok())
            std::abort();
    }
    std::string framePath(const std::string& name) const
    {
        return plat::appendingPathComponent(*project->getProjectPath(), name);
    }

    std::shared_ptr<zt::ProjectModel> project;
    std::string sequence;
    std::string output;  // ffmpeg's file, without its extension
};

BenchProject& movieProject(int64_t height)
{
    static std::map<int64_t, std::unique_ptr<BenchProject>> projects;
    auto& project = projects[height];
    if (!project) {
        MovieSize size = movieSize(height);
        project = std::make_unique<BenchProject>(
            "movie-" + std::to_string(height), size.width, size.height, kMovieFrames, BenchProject::Pictures::FullOnly);
    }
    return *project;
}

BenchProject& gifProject()
{
    static BenchProject project("gif", 1280, 720, kGifFrames, BenchProject::Pictures::WithPreviews);
    return project;
}

// Processor seconds (user and system) used so far by this process or by its finished children.
double processorSeconds(int who)
{
    rusage usage {};
    ::getrusage(who, &usage);
    auto seconds = [](const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Seconds of one export, from its start to its completion on the main queue.
std::optional<double> timeExport(
    zt::MovieRenderer& renderer, std::shared_ptr<zt::MovieExportType> type, std::string* exported = nullptr)
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
        return std::nullopt;
    if (exported)
        *exported = renderer.exportURL()->path();
    return seconds;
}

std::optional<double> timeCommand(const std::string& command)
{
    auto start = Clock::now();
    int result = std::system(command.c_str());
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (result != 0)
        return std::nullopt;
    return seconds;
}

std::string quoted(const std::string& path)
{
    return "'" + path + "'";
}

std::string ffmpegMovieCommand(const BenchProject& bench, const MovieSize& size)
{
    return "ffmpeg -hide_banner -nostdin -v error -y -framerate " + std::to_string(kFramesPerSecond) + " -i "
        + quoted(bench.sequence + "/%04d.jpg")
        + " -an -c:v libx264 -profile:v high -bf 0 -x264-params sliced-threads=1:sync-lookahead=0:lookahead-threads=1 "
          "-b:v "
        + size.bitRate + " -pix_fmt yuv420p " + quoted(bench.output + ".mov");
}

std::string ffmpegGifCommand(const BenchProject& bench)
{
    return "ffmpeg -hide_banner -nostdin -v error -y -framerate " + std::to_string(kFramesPerSecond) + " -i "
        + quoted(bench.sequence + "/%04d.jpg")
        + " -filter_complex 'scale=640:360:force_original_aspect_ratio=increase,crop=640:360,split[a][b];"
          "[a]palettegen=stats_mode=single[p];[b][p]paletteuse=new=1:dither=floyd_steinberg' -loop 0 "
        + quoted(bench.output + ".gif");
}

// What ffprobe says of a movie's video: frames, size, profile and B-frames.
std::string describeMovie(const std::string& path)
{
    std::string command = "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                          "stream=nb_read_frames,width,height,profile,has_b_frames -of csv=p=0 "
        + quoted(path);
    std::string description;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            description += buffer;
        ::pclose(pipe);
    }
    return description;
}

std::shared_ptr<zt::MovieExportType> movieType(const MovieSize& size)
{
    return std::make_shared<zt::MovieExportType>(size.title, size.preset,
        plat::Size {static_cast<double>(size.width), static_cast<double>(size.height)}, plat::kUTTypeQuickTimeMovie,
        "mov");
}

// Both sides' movies once, before anything is timed: they must agree.
bool moviesAgree(BenchProject& bench, const MovieSize& size, benchmark::State& state)
{
    static std::map<int, bool> checked;
    if (checked[size.height])
        return true;
    auto renderer = std::make_shared<zt::ZantropeMovieRenderer>(bench.project);
    std::string ours;
    if (!timeExport(*renderer, movieType(size), &ours) || !timeCommand(ffmpegMovieCommand(bench, size))) {
        state.SkipWithError("an export failed");
        return false;
    }
    std::string mine = describeMovie(ours);
    std::string theirs = describeMovie(bench.output + ".mov");
    if (mine.empty() || mine != theirs) {
        state.SkipWithError(("the two movies differ: ours " + mine + ", ffmpeg's " + theirs).c_str());
        return false;
    }
    checked[size.height] = true;
    return true;
}

void MovieExportOurs(benchmark::State& state)
{
    MovieSize size = movieSize(state.range(0));
    BenchProject& bench = movieProject(state.range(0));
    if (!moviesAgree(bench, size, state))
        return;
    const double processorBefore = processorSeconds(RUSAGE_SELF);
    for (auto _ : state) {
        auto renderer = std::make_shared<zt::ZantropeMovieRenderer>(bench.project);
        auto seconds = timeExport(*renderer, movieType(size));
        if (!seconds) {
            state.SkipWithError("the export failed");
            return;
        }
        state.SetIterationTime(*seconds);
    }
    state.counters["processor_s"] = processorSeconds(RUSAGE_SELF) - processorBefore;
}

void MovieExportFFmpeg(benchmark::State& state)
{
    MovieSize size = movieSize(state.range(0));
    BenchProject& bench = movieProject(state.range(0));
    if (!moviesAgree(bench, size, state))
        return;
    std::string command = ffmpegMovieCommand(bench, size);
    const double processorBefore = processorSeconds(RUSAGE_CHILDREN);
    for (auto _ : state) {
        auto seconds = timeCommand(command);
        if (!seconds) {
            state.SkipWithError("the ffmpeg command failed");
            return;
        }
        state.SetIterationTime(*seconds);
    }
    state.counters["processor_s"] = processorSeconds(RUSAGE_CHILDREN) - processorBefore;
}

void GifExportOurs(benchmark::State& state)
{
    BenchProject& bench = gifProject();
    auto type = std::make_shared<zt::MovieExportType>(
        "Animated GIF", std::nullopt, plat::Size {640, 360}, plat::kUTTypeGIF, "gif");
    for (auto _ : state) {
        auto renderer = std::make_shared<zt::AnimatedGifRenderer>(bench.project);
        auto seconds = timeExport(*renderer, type);
        if (!seconds) {
            state.SkipWithError("the export failed");
            return;
        }
        state.SetIterationTime(*seconds);
    }
}

void GifExportFFmpeg(benchmark::State& state)
{
    BenchProject& bench = gifProject();
    std::string command = ffmpegGifCommand(bench);
    for (auto _ : state) {
        auto seconds = timeCommand(command);
        if (!seconds) {
            state.SkipWithError("the ffmpeg command failed");
            return;
        }
        state.SetIterationTime(*seconds);
    }
}

const zt::bench::Comparison kMovie("MovieExportOurs", "MovieExportFFmpeg");
// The same work on a shared machine: the processor seconds of all threads
// (ours) and of the ffmpeg process, which other load disturbs less than time.
const zt::bench::Comparison kMovieProcessor("MovieExportOurs", "MovieExportFFmpeg", "processor_s");
const zt::bench::Comparison kGif("GifExportOurs", "GifExportFFmpeg");

}  // namespace

// Each repetition is one export; the order of the repetitions is shuffled.
BENCHMARK(MovieExportOurs)
    ->Arg(720)
    ->Arg(1080)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5);
BENCHMARK(MovieExportFFmpeg)
    ->Arg(720)
    ->Arg(1080)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5);
BENCHMARK(GifExportOurs)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(5);
BENCHMARK(GifExportFFmpeg)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(5);
