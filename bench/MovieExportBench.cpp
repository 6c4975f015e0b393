// Exporting a project as a movie and as an animated GIF, beside the ffmpeg
// command a user would run on the same JPEG files for the same result. After
// the runs the medians are compared (ours / ffmpeg).
//
// Movie (MovieExportOurs / MovieExportFFmpeg, and MovieExportFFmpegOneThread
// beside them): projects of 300 and 60 frames at 5 frames per second, at
// 1280 x 720 and at 1920 x 1080, the short one also with fresh grain on every
// picture as a camera gives, and grainy projects at 1 frame a second (12 and
// 60 s) and at 5 a second for 60 s, into a QuickTime movie. The same work on
// both sides: the same full-size JPEG files are decoded and encoded by
// libx264 through libavcodec with the same settings (High profile, no
// B-frames, x264's default preset and frame threads, no macroblock tree, the
// export's average bit rate in one pass with the peak rate and buffer our
// encoder takes for it at the movie's picture rate, 4:2:0 video range; both
// take as many threads as libx264 chooses), and both movies hold the same
// pictures plus one, since ours shows the first picture twice: the sequence
// ffmpeg reads names the first file twice. Both decode the next pictures
// while libx264 encodes earlier ones. The command a person would type takes
// ffmpeg's default threads; the same command on one thread is timed beside
// it, as the export once ran its encoder. Before timing, ffprobe reads both
// movies and they must agree in frame count, size, profile and B-frames.
// Beside the time, the processor seconds of each side are compared: on a
// machine shared with other work the time follows its load, the processor
// seconds much less.
//
// Quality (MovieExportQuality), for those movies and for grainy ones at 12
// and 30 frames a second (12 and 60 s) and of 4 s: each iteration makes our
// movie and ffmpeg's (default threads, same settings) and measures both
// against the asked rate over the whole movie (rate), over its first second
// (first_s) and over its worst second (worst_s), and by SSIM against the
// JPEG pictures, the smallest of any picture (ssim_min) and the mean
// (ssim_mean); counters named ffmpeg_... are ffmpeg's. ffmpeg also encodes
// the pictures as our own JPEG decoder gives them, piped in as 32-bit RGB
// (ffmpeg_decoded_...): the two decoders give slightly different pictures,
// which changes the bits where the rate control is not what holds them (at
// one picture a second both sides reach their finest quantizers). Our file's size
// against the size estimate the export shows is size_to_estimate. A line
// per movie sets ours beside ffmpeg's.
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
#include "document/DataManager.h"
#include "document/Frame.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "document/ProjectsList.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/UniformTypeIdentifiers.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/graphics/UprightPixels.h"
#include "platform/media/H264Encoder.h"
#include "platform/media/MediaConstants.h"
#include "render/AnimatedGifRenderer.h"
#include "render/ZantropeMovieRenderer.h"

namespace {

constexpr int kGifFrames = 50;
constexpr int kGifFramesPerSecond = 5;

using Clock = std::chrono::steady_clock;

struct MovieSize {
    int width;
    int height;
    const char* title;
    const char* preset;
    int64_t bitRate;  // the export's, by its height
};

MovieSize movieSize(int64_t height)
{
    if (height == 1080)
        return {1920, 1080, "HD - 1080p", plat::kAssetExportPreset1920x1080, 10000000};
    return {1280, 720, "HD - 720p", plat::kAssetExportPreset1280x720, 7500000};
}

// A textured scene larger than a frame: each frame shows a shifted window
// of it with a box moving across, as a camera panning over a set would; with
// grain, each frame also gets noise of its own, as a camera's sensor adds.
class Scene {
public:
    Scene(int width, int height, int frames, int frameGrain)
        : _frameWidth(width)
        , _frameHeight(height)
        , _width(width + 2 * frames)
        , _height(height + frames / 2)
        , _grain(frameGrain)
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
            addGrain(row, index, y);
        }
        bitmap->setOpaque(true);
        return plat::Image::imageWithBitmap(bitmap);
    }

private:
    void addGrain(uint8_t* row, int index, int y) const
    {
        if (_grain <= 0)
            return;
        uint32_t noise = static_cast<uint32_t>(index * 7919 + y) * 2654435761u;
        for (int x = 0; x < _frameWidth * 4; ++x) {
            if (x % 4 == 3)
                continue;
            noise = noise * 1664525u + 1013904223u;
            int value = row[x] + static_cast<int>((noise >> 24) % static_cast<uint32_t>(2 * _grain + 1)) - _grain;
            row[x] = static_cast<uint8_t>(std::clamp(value, 0, 255));
        }
    }

    int _frameWidth;
    int _frameHeight;
    int _width;
    int _height;
    int _grain;
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
    BenchProject(const std::string& name, int width, int height, int frames, Pictures pictures, int grain = 0)
    {
        bool withPreviews = pictures == Pictures::WithPreviews;
        const std::string& root = BenchSandbox::shared().root();
        project = std::make_shared<zt::ProjectModel>(std::nullopt);
        zt::ImageProducer producer(project);
        sequence = plat::appendingPathComponent(root, "sequence-" + name);
        output = plat::appendingPathComponent(root, "reference-" + name);
        (void)plat::createDirectory(sequence, plat::IntermediateDirectories::No);
        Scene scene(width, height, frames, grain);
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

// A movie of the benchmark: its height, frames, the grain of its pictures
// and the frames a second.
struct MovieCase {
    int64_t height;
    int64_t frames;
    int64_t grain;
    int64_t framesPerSecond;
    explicit MovieCase(const benchmark::State& state)
        : height(state.range(0))
        , frames(state.range(1))
        , grain(state.range(2))
        , framesPerSecond(state.range(3))
    {
    }
    // Ours shows the first picture twice.
    double seconds() const { return static_cast<double>(frames + 1) / static_cast<double>(framesPerSecond); }
    friend auto operator<=>(const MovieCase&, const MovieCase&) = default;
};

BenchProject& movieProject(const MovieCase& movie)
{
    static std::map<MovieCase, std::unique_ptr<BenchProject>> projects;
    auto& project = projects[movie];
    if (!project) {
        MovieSize size = movieSize(movie.height);
        project = std::make_unique<BenchProject>("movie-" + std::to_string(movie.height) + "-"
                + std::to_string(movie.frames) + "-" + std::to_string(movie.grain) + "-"
                + std::to_string(movie.framesPerSecond),
            size.width, size.height, static_cast<int>(movie.frames), BenchProject::Pictures::FullOnly,
            static_cast<int>(movie.grain));
        project->project->getMetaData()->set("RecordFPS", movie.framesPerSecond);
        if (!project->project->saveMetaDataToDisk().ok())
            std::abort();
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

// ffmpeg's encoder threads: its default (as many as libx264 chooses), or one.
enum class EncoderThreads { Default, One };

// Our encoder's settings for the movie, at a bit rate, as ffmpeg's options.
std::string x264Options(const MovieSize& size, const MovieCase& movie, int64_t bitRate, EncoderThreads threads)
{
    auto limits = plat::detail::h264RateLimits(
        size.width, size.height, static_cast<double>(movie.framesPerSecond), bitRate, "high");
    return std::string(" -c:v libx264 -profile:v high -bf 0") + (threads == EncoderThreads::One ? " -threads 1" : "")
        + " -x264-params mbtree=0 -b:v " + std::to_string(bitRate) + " -maxrate " + std::to_string(limits.maxBitRate)
        + " -bufsize " + std::to_string(limits.bufferSize) + " -rc_init_occupancy "
        + std::to_string(limits.bufferSize / 2) + " -pix_fmt yuv420p ";
}

std::string ffmpegInput(const BenchProject& bench, int64_t framesPerSecond)
{
    return " -framerate " + std::to_string(framesPerSecond) + " -i " + quoted(bench.sequence + "/%04d.jpg");
}

// ffmpeg encoding the sequence as our JPEG decoder gives it, into a movie
// beside its own; false when it fails.
bool makeFFmpegMovieOfOurDecoding(
    const BenchProject& bench, const MovieSize& size, const MovieCase& movie, const std::string& path)
{
    const std::string command = "ffmpeg -hide_banner -nostdin -v error -y -f rawvideo -pix_fmt bgra -s "
        + std::to_string(size.width) + "x" + std::to_string(size.height) + " -framerate "
        + std::to_string(movie.framesPerSecond) + " -i - -an"
        + x264Options(size, movie, size.bitRate, EncoderThreads::Default) + quoted(path);
    FILE* pipe = ::popen(command.c_str(), "w");
    if (!pipe)
        return false;
    bool whole = true;
    for (int i = 0; whole; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%04d.jpg", i);
        auto image = plat::Image::imageWithContentsOfFile(plat::appendingPathComponent(bench.sequence, name));
        if (!image)
            break;
        auto pixels = plat::uprightPixels(*image);
        whole = pixels && pixels->order() == plat::PixelOrder::BGRA && pixels->width() == size.width
            && pixels->height() == size.height;
        for (int y = 0; whole && y < size.height; ++y)
            whole = std::fwrite(pixels->bytes() + static_cast<size_t>(y) * pixels->bytesPerRow(), 4,
                        static_cast<size_t>(size.width), pipe)
                == static_cast<size_t>(size.width);
    }
    return ::pclose(pipe) == 0 && whole;
}

std::string ffmpegMovieCommand(const BenchProject& bench, const MovieSize& size, const MovieCase& movie,
    EncoderThreads threads = EncoderThreads::Default)
{
    return "ffmpeg -hide_banner -nostdin -v error -y" + ffmpegInput(bench, movie.framesPerSecond) + " -an"
        + x264Options(size, movie, size.bitRate, threads) + quoted(bench.output + ".mov");
}

std::string ffmpegGifCommand(const BenchProject& bench)
{
    return "ffmpeg -hide_banner -nostdin -v error -y -framerate " + std::to_string(kGifFramesPerSecond) + " -i "
        + quoted(bench.sequence + "/%04d.jpg")
        + " -filter_complex 'scale=640:360:force_original_aspect_ratio=increase,crop=640:360,split[a][b];"
          "[a]palettegen=stats_mode=single[p];[b][p]paletteuse=new=1:dither=floyd_steinberg' -loop 0 "
        + quoted(bench.output + ".gif");
}

// What a command writes (stderr too), or empty when it fails.
std::string commandOutput(const std::string& command)
{
    std::string output;
    if (FILE* pipe = ::popen((command + " 2>&1").c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        if (::pclose(pipe) != 0)
            output.clear();
    }
    return output;
}

// What ffprobe says of a movie's video: frames, size, profile and B-frames.
std::string describeMovie(const std::string& path)
{
    return commandOutput("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                         "stream=nb_read_frames,width,height,profile,has_b_frames -of csv=p=0 "
        + quoted(path));
}

// The bits of a movie's video in all, in its first second and in its
// worst (most costly) whole second.
struct VideoBits {
    double all = 0;
    double firstSecond = 0;
    double worstSecond = 0;
};

VideoBits videoBits(const std::string& path)
{
    std::string packets = commandOutput("ffprobe -v error -select_streams v:0 -show_entries packet=pts_time,size -of "
                                        "csv=p=0 "
        + quoted(path));
    VideoBits bits;
    std::map<long, double> bySecond;
    double seconds = 0;
    long bytes = 0;
    for (const char* line = packets.c_str(); std::sscanf(line, "%lf,%ld", &seconds, &bytes) == 2;) {
        bits.all += 8.0 * static_cast<double>(bytes);
        bySecond[static_cast<long>(std::floor(seconds))] += 8.0 * static_cast<double>(bytes);
        line = std::strchr(line, '\n');
        if (!line)
            break;
        ++line;
    }
    bits.firstSecond = bySecond[0];
    for (const auto& [second, secondBits] : bySecond)
        bits.worstSecond = std::max(bits.worstSecond, secondBits);
    return bits;
}

struct Similarity {
    double smallest = -1;
    double mean = -1;
};

// The SSIM of each of a movie's pictures against the project's JPEG pictures.
Similarity ssimAgainstPictures(const BenchProject& bench, const std::string& movie, int64_t framesPerSecond)
{
    const std::string statistics = movie + ".ssim";
    std::string output = commandOutput("ffmpeg -hide_banner -nostdin -i " + quoted(movie)
        + ffmpegInput(bench, framesPerSecond) + " -lavfi '[0:v][1:v]ssim=stats_file=" + statistics + "' -f null -");
    Similarity similarity;
    if (output.empty())
        return similarity;
    FILE* file = std::fopen(statistics.c_str(), "r");
    if (!file)
        return similarity;
    char line[256];
    double sum = 0;
    int pictures = 0;
    while (std::fgets(line, sizeof line, file)) {
        const char* all = std::strstr(line, "All:");
        if (!all)
            continue;
        const double value = std::atof(all + 4);
        similarity.smallest = pictures == 0 ? value : std::min(similarity.smallest, value);
        sum += value;
        ++pictures;
    }
    std::fclose(file);
    std::remove(statistics.c_str());
    if (pictures > 0)
        similarity.mean = sum / pictures;
    return similarity;
}

// A movie's rate against the asked rate, and its pictures against the sources.
struct MovieMeasures {
    double rateRatio = 0;
    double firstSecondRatio = 0;
    double worstSecondRatio = 0;
    Similarity ssim;
};

MovieMeasures measureMovie(
    const BenchProject& bench, const MovieSize& size, const MovieCase& movie, const std::string& path)
{
    MovieMeasures measures;
    const VideoBits bits = videoBits(path);
    const auto asked = static_cast<double>(size.bitRate);
    measures.rateRatio = bits.all / movie.seconds() / asked;
    measures.firstSecondRatio = bits.firstSecond / asked;
    measures.worstSecondRatio = bits.worstSecond / asked;
    measures.ssim = ssimAgainstPictures(bench, path, movie.framesPerSecond);
    return measures;
}

std::shared_ptr<zt::MovieExportType> movieType(const MovieSize& size)
{
    return std::make_shared<zt::MovieExportType>(size.title, size.preset,
        plat::Size {static_cast<double>(size.width), static_cast<double>(size.height)}, plat::kUTTypeQuickTimeMovie,
        "mov");
}

// Both sides' movies (ffmpeg's with its default threads): they must agree.
// Our movie's path, or empty when they do not.
std::string makeBothMovies(BenchProject& bench, const MovieSize& size, const MovieCase& movie, benchmark::State& state,
    zt::ZantropeMovieRenderer& renderer)
{
    std::string ours;
    if (!timeExport(renderer, movieType(size), &ours) || !timeCommand(ffmpegMovieCommand(bench, size, movie))) {
        state.SkipWithError("an export failed");
        return {};
    }
    std::string mine = describeMovie(ours);
    std::string theirs = describeMovie(bench.output + ".mov");
    if (mine.empty() || mine != theirs) {
        state.SkipWithError(("the two movies differ: ours " + mine + ", ffmpeg's " + theirs).c_str());
        return {};
    }
    return ours;
}

// Once per movie, before anything is timed.
bool moviesAgree(BenchProject& bench, const MovieSize& size, const MovieCase& movie, benchmark::State& state)
{
    static std::map<MovieCase, bool> checked;
    if (checked[movie])
        return true;
    auto renderer = std::make_shared<zt::ZantropeMovieRenderer>(bench.project);
    if (makeBothMovies(bench, size, movie, state, *renderer).empty())
        return false;
    checked[movie] = true;
    return true;
}

void MovieExportOurs(benchmark::State& state)
{
    const MovieCase movie(state);
    MovieSize size = movieSize(movie.height);
    BenchProject& bench = movieProject(movie);
    if (!moviesAgree(bench, size, movie, state))
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

void timeFFmpegMovie(benchmark::State& state, EncoderThreads threads)
{
    const MovieCase movie(state);
    MovieSize size = movieSize(movie.height);
    BenchProject& bench = movieProject(movie);
    if (!moviesAgree(bench, size, movie, state))
        return;
    std::string command = ffmpegMovieCommand(bench, size, movie, threads);
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

void MovieExportFFmpeg(benchmark::State& state)
{
    timeFFmpegMovie(state, EncoderThreads::Default);
}

void MovieExportFFmpegOneThread(benchmark::State& state)
{
    timeFFmpegMovie(state, EncoderThreads::One);
}

// Each iteration makes both movies afresh (the encoders' threads make them
// differ a little from run to run) and measures them; the time is our export's.
void MovieExportQuality(benchmark::State& state)
{
    const MovieCase movie(state);
    MovieSize size = movieSize(movie.height);
    BenchProject& bench = movieProject(movie);
    MovieMeasures ours;
    MovieMeasures theirs;
    MovieMeasures ofOurDecoding;
    double sizeToEstimate = 0;
    for (auto _ : state) {
        auto renderer = std::make_shared<zt::ZantropeMovieRenderer>(bench.project);
        auto start = Clock::now();
        std::string path = makeBothMovies(bench, size, movie, state, *renderer);
        if (path.empty())
            return;
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        ours = measureMovie(bench, size, movie, path);
        theirs = measureMovie(bench, size, movie, bench.output + ".mov");
        const std::string decodedPath = bench.output + "-decoded.mov";
        if (!makeFFmpegMovieOfOurDecoding(bench, size, movie, decodedPath)) {
            state.SkipWithError("ffmpeg could not encode our decoded pictures");
            return;
        }
        ofOurDecoding = measureMovie(bench, size, movie, decodedPath);
        const double estimate
            = 1024.0 * static_cast<double>(renderer->getEstimatedFileSizeAfterExportforType(*movieType(size)));
        auto attributes = plat::attributesOfItem(path);
        sizeToEstimate = attributes.ok() ? static_cast<double>(attributes.value().size) / estimate : -1;
    }
    std::fprintf(stderr,
        "%dp, %lld frames at %lld a second (%.1f s), grain %lld, ours / ffmpeg: rate %.3f / %.3f (%.3fx), "
        "first second %.3f / %.3f, worst second %.3f / %.3f; SSIM smallest %.4f / %.4f (%+.4f), mean %.4f / %.4f; "
        "ffmpeg on our decoding: rate %.3f (%.3fx), SSIM smallest %.4f (%+.4f)\n",
        size.height, static_cast<long long>(movie.frames), static_cast<long long>(movie.framesPerSecond),
        movie.seconds(), static_cast<long long>(movie.grain), ours.rateRatio, theirs.rateRatio,
        ours.rateRatio / theirs.rateRatio, ours.firstSecondRatio, theirs.firstSecondRatio, ours.worstSecondRatio,
        theirs.worstSecondRatio, ours.ssim.smallest, theirs.ssim.smallest, ours.ssim.smallest - theirs.ssim.smallest,
        ours.ssim.mean, theirs.ssim.mean, ofOurDecoding.rateRatio, ours.rateRatio / ofOurDecoding.rateRatio,
        ofOurDecoding.ssim.smallest, ours.ssim.smallest - ofOurDecoding.ssim.smallest);
    state.counters["rate"] = ours.rateRatio;
    state.counters["first_s"] = ours.firstSecondRatio;
    state.counters["worst_s"] = ours.worstSecondRatio;
    state.counters["ssim_min"] = ours.ssim.smallest;
    state.counters["ssim_mean"] = ours.ssim.mean;
    state.counters["ffmpeg_rate"] = theirs.rateRatio;
    state.counters["ffmpeg_first_s"] = theirs.firstSecondRatio;
    state.counters["ffmpeg_worst_s"] = theirs.worstSecondRatio;
    state.counters["ffmpeg_ssim_min"] = theirs.ssim.smallest;
    state.counters["ffmpeg_ssim_mean"] = theirs.ssim.mean;
    state.counters["ffmpeg_decoded_rate"] = ofOurDecoding.rateRatio;
    state.counters["ffmpeg_decoded_ssim_min"] = ofOurDecoding.ssim.smallest;
    state.counters["size_to_estimate"] = sizeToEstimate;
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
// Beside them, the same command with the encoder on one thread.
const zt::bench::Comparison kMovieOneThread("MovieExportOurs", "MovieExportFFmpegOneThread");
const zt::bench::Comparison kMovieOneThreadProcessor("MovieExportOurs", "MovieExportFFmpegOneThread", "processor_s");
const zt::bench::Comparison kGif("GifExportOurs", "GifExportFFmpeg");

// Height, frames, grain and frames a second.
void timedMovies(benchmark::internal::Benchmark* cases)
{
    cases->Args({720, 300, 0, 5})
        ->Args({1080, 300, 0, 5})
        ->Args({720, 60, 0, 5})
        ->Args({720, 60, 6, 5})
        ->Args({720, 300, 6, 5})
        ->Args({720, 12, 6, 1})
        ->Args({720, 60, 6, 1});
}

// Each repetition is one export.
void movieTimings(benchmark::internal::Benchmark* cases)
{
    timedMovies(cases);
    cases->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(5);
}

// The timed movies, and grainy ones at the other rates a person uses and of 4 s.
void movieQualities(benchmark::internal::Benchmark* cases)
{
    timedMovies(cases);
    cases->Args({720, 144, 6, 12})
        ->Args({720, 720, 6, 12})
        ->Args({720, 360, 6, 30})
        ->Args({720, 1800, 6, 30})
        ->Args({720, 20, 6, 5})
        ->Args({720, 4, 6, 1})
        ->Args({720, 48, 6, 12})
        ->Args({720, 120, 6, 30})
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(1);
}

}  // namespace

// The order of the repetitions is shuffled.
BENCHMARK(MovieExportOurs)->Apply(movieTimings);
BENCHMARK(MovieExportFFmpeg)->Apply(movieTimings);
BENCHMARK(MovieExportFFmpegOneThread)->Apply(movieTimings);
BENCHMARK(MovieExportQuality)->Apply(movieQualities);
BENCHMARK(GifExportOurs)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(5);
BENCHMARK(GifExportFFmpeg)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(5);
