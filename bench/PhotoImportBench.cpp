// Importing 100 photos of 12 megapixels (4032 x 3024, half of them portrait
// photos stored sideways with an EXIF orientation) from the photo library
// into a project, beside what a bare libjpeg-turbo program does with the
// same files: decode (whole, or through libjpeg's own scaled decoding, as
// the import does), scale to the same cap by area averaging, turn upright,
// encode at the same quality into a file. The import does more (a preview
// and a thumbnail per photo, atomic flushed writes, the frame list and the
// metadata saved after each photo); the ratio says what that costs. Each
// iteration handles all 100 photos; the counter gives milliseconds per photo.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <memory>
#include <string>
#include <vector>

#include "BenchRatio.h"
#include "PhotoLikePicture.h"
#include "capture/CaptureImportController.h"
#include "document/ProjectModel.h"
#include "document/ProjectsList.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Sandbox.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/library/Asset.h"
#include "platform/library/PhotoLibrary.h"
#include "render/MovieRenderer.h"

namespace {

constexpr int kPhotos = 100;
constexpr int kPhotoWidth = 4032;
constexpr int kPhotoHeight = 3024;
constexpr double kCameraQuality = 0.92;
constexpr int kFullQuality = 100;  // the frame picture's quality (1.0)

// A sandbox with 100 photos in the camera roll: a landscape photo and a
// portrait one (stored sideways, tagged "right") taking turns.
struct PhotoLibraryScene {
    PhotoLibraryScene()
    {
        std::string root = "/tmp/zt-bench-XXXXXX";
        if (::mkdtemp(root.data()) == nullptr)
            std::abort();
        sandbox = std::make_shared<plat::Sandbox>(root);
        plat::Sandbox::setCurrent(sandbox);
        (void)zt::ProjectsList::replace({});
        auto stored = zt::bench::photoLikePicture(kPhotoWidth, kPhotoHeight)->bitmap();
        auto landscape = plat::JPEGRepresentation(plat::Image(stored, 1, plat::ImageOrientation::Up), kCameraQuality);
        auto portrait = plat::JPEGRepresentation(plat::Image(stored, 1, plat::ImageOrientation::Right), kCameraQuality);
        auto library = plat::PhotoLibrary::forCurrentSandbox();
        auto album = library.addAlbum(plat::PhotoLibrary::kSavedPhotosAlbumName);
        if (!landscape || !portrait || !album.ok())
            std::abort();
        for (int i = 0; i < kPhotos; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "IMG_%04d.JPG", i + 1);
            if (!plat::writeFileAtomically(
                    plat::appendingPathComponent(album.value().path, name), i % 2 == 0 ? *landscape : *portrait)
                     .ok())
                std::abort();
        }
        auto assets = library.assetsInAlbum(plat::PhotoLibrary::kSavedPhotosAlbumName);
        if (!assets.ok() || assets.value().size() != kPhotos)
            std::abort();
        for (const auto& asset : assets.value())
            photos.push_back(std::make_shared<plat::Asset>(asset));
        maxResolution = static_cast<int>(zt::MovieRenderer::getMaximumResolutionAvailable().width);
    }
    ~PhotoLibraryScene()
    {
        plat::Sandbox::setCurrent(nullptr);
        (void)plat::removeItem(sandbox->root());
    }

    std::shared_ptr<plat::Sandbox> sandbox;
    std::vector<std::shared_ptr<plat::Asset>> photos;
    int maxResolution = 0;
};

PhotoLibraryScene& scene()
{
    static PhotoLibraryScene shared;
    return shared;
}

using BenchClock = std::chrono::steady_clock;

// Milliseconds per photo of the timed part of every iteration.
void reportPerPhoto(benchmark::State& state, BenchClock::duration timed)
{
    double iterations = static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["ms_per_photo"] = std::chrono::duration<double, std::milli>(timed).count() / (iterations * kPhotos);
}

void ImportPhotos(benchmark::State& state)
{
    auto& photos = scene().photos;
    BenchClock::duration timed {};
    for (auto _ : state) {
        state.PauseTiming();
        auto project = std::make_shared<zt::ProjectModel>(std::nullopt);
        if (!project->createFilePathForProject().ok())
            std::abort();
        auto importer = std::make_shared<zt::CaptureImportController>(project);
        int added = 0;
        auto token = plat::NotificationCenter::defaultCenter().addObserver(
            zt::CaptureImportController::kAddFrameNotification, importer.get(), [&](const plat::Notification&) {
                if (++added == kPhotos)
                    plat::RunLoop::main().stop();
            });
        state.ResumeTiming();
        auto start = BenchClock::now();

        importer->importAssets(photos, nullptr);
        // A photo that fails posts nothing: the deadline ends the wait then.
        double deadline = plat::Clock::current().uptimeSeconds() + 600;
        while (added < kPhotos && plat::Clock::current().uptimeSeconds() < deadline)
            plat::RunLoop::main().runUntil(deadline);
        timed += BenchClock::now() - start;

        state.PauseTiming();
        if (project->getFrameList().count() != kPhotos + 1)
            state.SkipWithError("not every photo became a frame");
        (void)plat::removeItem(*project->getProjectPath());
        state.ResumeTiming();
    }
    reportPerPhoto(state, timed);
}

// --- the bare libjpeg-turbo program ---

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bytes;  // BGRX
};

// Whole, or at the smallest of libjpeg's n/8 sizes that keeps the longer side at least cap.
enum class Decode { Full, Reduced };

Pixels decode(const std::vector<uint8_t>& file, Decode size, int cap)
{
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), file.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRX;
    if (size == Decode::Reduced) {
        unsigned longer = std::max(info.image_width, info.image_height);
        info.scale_denom = 8;
        info.scale_num = 8;
        for (unsigned eighths = 1; eighths < 8; ++eighths)
            if ((longer * eighths + 7) / 8 >= static_cast<unsigned>(cap)) {
                info.scale_num = eighths;
                break;
            }
    }
    jpeg_start_decompress(&info);
    Pixels pixels {static_cast<int>(info.output_width), static_cast<int>(info.output_height), {}};
    pixels.bytes.resize(static_cast<size_t>(pixels.width) * pixels.height * 4);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.bytes.data() + static_cast<size_t>(info.output_scanline) * pixels.width * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return pixels;
}

// Each destination pixel averages the source pixels it covers, partly covered ones by their share.
struct Span {
    int first;
    std::vector<float> weights;
};

std::vector<Span> spans(int from, int to)
{
    std::vector<Span> result(to);
    double step = static_cast<double>(from) / to;
    for (int d = 0; d < to; ++d) {
        double start = d * step, end = (d + 1) * step;
        Span span {static_cast<int>(start), {}};
        for (int s = span.first; s < end && s < from; ++s)
            span.weights.push_back(
                static_cast<float>((std::min<double>(s + 1, end) - std::max<double>(s, start)) / step));
        result[d] = std::move(span);
    }
    return result;
}

Pixels scaleDown(const Pixels& source, int width, int height)
{
    auto across = spans(source.width, width);
    auto down = spans(source.height, height);
    std::vector<float> column(static_cast<size_t>(source.width) * 4);
    Pixels scaled {width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
    for (int y = 0; y < height; ++y) {
        std::fill(column.begin(), column.end(), 0.0f);
        for (size_t k = 0; k < down[y].weights.size(); ++k) {
            const uint8_t* row = source.bytes.data() + static_cast<size_t>(down[y].first + k) * source.width * 4;
            float weight = down[y].weights[k];
            for (int i = 0; i < source.width * 4; ++i)
                column[i] += row[i] * weight;
        }
        uint8_t* out = scaled.bytes.data() + static_cast<size_t>(y) * width * 4;
        for (int x = 0; x < width; ++x) {
            float sum[4] = {};
            for (size_t k = 0; k < across[x].weights.size(); ++k)
                for (int c = 0; c < 4; ++c)
                    sum[c] += column[(across[x].first + k) * 4 + c] * across[x].weights[k];
            for (int c = 0; c < 4; ++c)
                out[x * 4 + c] = static_cast<uint8_t>(std::min(255.0f, sum[c] + 0.5f));
        }
    }
    return scaled;
}

// A quarter turn clockwise, as a photo tagged "right" is shown.
Pixels turnRight(const Pixels& stored)
{
    Pixels upright {stored.height, stored.width, std::vector<uint8_t>(stored.bytes.size())};
    for (int y = 0; y < upright.height; ++y)
        for (int x = 0; x < upright.width; ++x)
            std::copy_n(&stored.bytes[(static_cast<size_t>(stored.height - 1 - x) * stored.width + y) * 4], 4,
                &upright.bytes[(static_cast<size_t>(y) * upright.width + x) * 4]);
    return upright;
}

void encodeToFile(const Pixels& pixels, const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        std::abort();
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(pixels.width);
    info.image_height = static_cast<JDIMENSION>(pixels.height);
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, kFullQuality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row
            = const_cast<JSAMPROW>(pixels.bytes.data()) + static_cast<size_t>(info.next_scanline) * pixels.width * 4;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

// Decode, scale to the cap by area averaging, turn upright, encode into a file.
void importBare(benchmark::State& state, Decode size)
{
    auto& photos = scene().photos;
    std::string out = plat::appendingPathComponent(scene().sandbox->root(), "bare");
    (void)plat::createDirectory(out, plat::IntermediateDirectories::Yes);
    int cap = scene().maxResolution;
    BenchClock::duration timed {};
    for (auto _ : state) {
        auto start = BenchClock::now();
        for (const auto& photo : photos) {
            auto file = plat::readFile(photo->photoAsset().path);
            if (!file.ok())
                std::abort();
            Pixels stored = decode(file.value(), size, cap);
            // The cap from the photo's own size: the decode may be a fraction of it.
            double factor = std::min(1.0, static_cast<double>(cap) / std::max(kPhotoWidth, kPhotoHeight));
            Pixels scaled = scaleDown(
                stored, static_cast<int>(kPhotoWidth * factor + 0.5), static_cast<int>(kPhotoHeight * factor + 0.5));
            bool portrait = photo->orientation() == plat::ImageOrientation::Right;
            encodeToFile(
                portrait ? turnRight(scaled) : scaled, plat::appendingPathComponent(out, photo->photoAsset().fileName));
        }
        timed += BenchClock::now() - start;
    }
    reportPerPhoto(state, timed);
}

void BareLibjpegTurbo(benchmark::State& state)
{
    importBare(state, Decode::Full);
}

// The same with libjpeg-turbo's own scaled decoding, as the import does.
void BareLibjpegTurboScaledDecode(benchmark::State& state)
{
    importBare(state, Decode::Reduced);
}

const zt::bench::Comparison kImport("ImportPhotos", "BareLibjpegTurbo");
const zt::bench::Comparison kImportScaled("ImportPhotos", "BareLibjpegTurboScaledDecode");
// The import works on the worker pool, the bare program on one thread: the
// processor time of the whole process is compared beside the waiting.
const zt::bench::Comparison kImportProcessorTime("ImportPhotos", "BareLibjpegTurbo", zt::bench::Measure::CpuTime);
const zt::bench::Comparison kImportScaledProcessorTime(
    "ImportPhotos", "BareLibjpegTurboScaledDecode", zt::bench::Measure::CpuTime);

}  // namespace

BENCHMARK(ImportPhotos)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(BareLibjpegTurbo)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(BareLibjpegTurboScaledDecode)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1)
    ->Repetitions(3);
