// The pictures of a frame (thumbnail 272 x 153 and preview 796 x 448 at
// quality 50, the full picture at quality 100), in two pairs that each do
// the same work on both sides, for a 1080p and a 2160p picture.
//
// Encoding (EncodeOurs / EncodeLibjpegTurbo): the same three pictures,
// scaled once before the loop, encoded one after another on the benchmark
// thread into memory, by our codec and by libjpeg-turbo called directly with
// the same settings. Before timing, the bytes of both are compared: they
// must be identical.
//
// Storing (StoreOurs / StoreDirect): ImageProducer::storeImage against the
// same steps written with plain libraries: cairo scales and crops thumbnail
// and preview (its good filter), libjpeg-turbo encodes, and each file is
// written under a temporary name and flushed to disk (fsync); then the files
// are renamed in the order thumbnail, preview, full picture, each followed
// by a flush of the folder. As ours does, the preview and the full picture
// are made on two more threads while the thumbnail is made on the calling
// one. Before timing, both sides' files are read back and compared: the full
// pictures byte for byte, thumbnail and preview by size and pixels.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "BenchRatio.h"
#include "JpegReference.h"
#include "PhotoLikePicture.h"
#include "document/DataManager.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "document/ProjectsList.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "uikit/UIImageResize.h"

namespace {

constexpr int kThumbnailQuality = 50;
constexpr int kPreviewQuality = 50;
constexpr int kFullQuality = 100;
// Scaled pictures of the two sides may differ by this much on average per
// channel (two resamplers of the same area), and no more.
constexpr double kMostMeanDifference = 1.0;

// A sandbox with one project that has its folder, a folder beside it for the
// direct side's files, and the picture of the benchmark's size.
struct BenchProject {
    explicit BenchProject(int height)
    {
        std::string root = "/tmp/zt-bench-XXXXXX";
        if (::mkdtemp(root.data()) == nullptr)
            std::abort();
        sandbox = std::make_shared<plat::Sandbox>(root);
        plat::Sandbox::setCurrent(sandbox);
        (void)zt::ProjectsList::replace({});
        project = std::make_shared<zt::ProjectModel>(std::nullopt);
        producer = std::make_unique<zt::ImageProducer>(project);
        picture = zt::bench::photoLikePicture(height * 16 / 9, height);
        if (!producer->storeImage(*picture, "bench"))  // makes the folder once
            std::abort();
        directFolder = plat::appendingPathComponent(root, "direct");
        if (!plat::createDirectory(directFolder, plat::IntermediateDirectories::No).ok())
            std::abort();
    }
    ~BenchProject()
    {
        plat::Sandbox::setCurrent(nullptr);
        (void)plat::removeItem(sandbox->root());
    }
    std::string ourFile(const std::string& name) const
    {
        return plat::appendingPathComponent(*project->getProjectPath(), name);
    }
    std::string directFile(const std::string& name) const { return plat::appendingPathComponent(directFolder, name); }

    std::shared_ptr<plat::Sandbox> sandbox;
    std::shared_ptr<zt::ProjectModel> project;
    std::unique_ptr<zt::ImageProducer> producer;
    std::shared_ptr<plat::Image> picture;
    std::string directFolder;
};

// --- the direct side ---

// Scaled to fill width x height, centred, the overflow cut off, by cairo.
std::vector<uint8_t> scaleAndEncodeWithCairo(const plat::Bitmap& source, int width, int height, int quality)
{
    cairo_surface_t* from = cairo_image_surface_create_for_data(const_cast<uint8_t*>(source.bytes()),
        CAIRO_FORMAT_RGB24, source.width(), source.height(), static_cast<int>(source.bytesPerRow()));
    cairo_surface_t* to = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(to);
    const double scale
        = std::max(static_cast<double>(width) / source.width(), static_cast<double>(height) / source.height());
    cairo_translate(cr, (width - source.width() * scale) / 2, (height - source.height() * scale) / 2);
    cairo_scale(cr, scale, scale);
    cairo_set_source_surface(cr, from, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(to);
    auto bytes = zt::bench::encodedDirectly(cairo_image_surface_get_data(to),
        static_cast<size_t>(cairo_image_surface_get_stride(to)), width, height, quality);
    cairo_surface_destroy(to);
    cairo_surface_destroy(from);
    return bytes;
}

// A file written under a temporary name beside its final path and flushed.
struct PendingFile {
    explicit PendingFile(std::string finalPath)
        : path(std::move(finalPath))
    {
    }
    std::string path;
    std::string temporaryPath;
    int fd = -1;
    bool written = false;
};

void writeAndFlush(PendingFile& file, const std::vector<uint8_t>& bytes)
{
    file.temporaryPath = plat::deletingLastPathComponent(file.path) + "/.tmp-XXXXXX";
    file.fd = ::mkostemp(file.temporaryPath.data(), O_CLOEXEC);
    if (file.fd < 0)
        return;
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(file.fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return;
        done += static_cast<size_t>(n);
    }
    file.written = ::fsync(file.fd) == 0;
}

bool renameAndFlushFolder(PendingFile& file)
{
    bool closed = ::close(file.fd) == 0;
    if (!closed || !file.written || ::rename(file.temporaryPath.c_str(), file.path.c_str()) != 0)
        return false;
    int folder = ::open(plat::deletingLastPathComponent(file.path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    bool flushed = folder >= 0 && ::fsync(folder) == 0;
    if (folder >= 0)
        ::close(folder);
    return flushed;
}

bool storeDirectly(const plat::Bitmap& picture, const BenchProject& bench, const std::string& frameID)
{
    PendingFile files[3] = {PendingFile(bench.directFile("thumb-" + frameID + ".jpg")),
        PendingFile(bench.directFile("preview-" + frameID + ".jpg")),
        PendingFile(bench.directFile("frame-" + frameID + ".jpg"))};
    std::thread preview([&] {
        writeAndFlush(files[1],
            scaleAndEncodeWithCairo(picture, static_cast<int>(zt::kFramePreviewSize.width),
                static_cast<int>(zt::kFramePreviewSize.height), kPreviewQuality));
    });
    std::thread full([&] { writeAndFlush(files[2], zt::bench::encodedDirectly(picture, kFullQuality)); });
    writeAndFlush(files[0],
        scaleAndEncodeWithCairo(picture, static_cast<int>(zt::kFrameThumbnailSize.width),
            static_cast<int>(zt::kFrameThumbnailSize.height), kThumbnailQuality));
    preview.join();
    full.join();
    bool stored = true;
    for (PendingFile& file : files)
        stored = renameAndFlushFolder(file) && stored;
    return stored;
}

// --- checks that both sides made the same ---

std::vector<uint8_t> bytesOf(const std::string& path)
{
    auto data = plat::readFile(path);
    return data.ok() ? data.value() : std::vector<uint8_t>();
}

// Empty when the two JPEG files show the same picture, else what differs.
std::string differenceBetweenPictures(const std::string& ours, const std::string& theirs)
{
    auto a = plat::Image::imageWithContentsOfFile(ours);
    auto b = plat::Image::imageWithContentsOfFile(theirs);
    if (!a || !b)
        return "a file cannot be read";
    const plat::Bitmap& x = *a->bitmap();
    const plat::Bitmap& y = *b->bitmap();
    if (x.width() != y.width() || x.height() != y.height())
        return "the pictures differ in size";
    double total = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int i = 0; i < x.width() * 4; ++i)
            if (i % 4 != 3)
                total += std::abs(x.row(row)[i] - y.row(row)[i]);
    double mean = total / (3.0 * x.width() * x.height());
    if (mean > kMostMeanDifference)
        return "the pictures differ by " + std::to_string(mean) + " levels on average";
    return {};
}

std::string differenceBetweenStores(const BenchProject& bench)
{
    for (const char* kind : {"thumb-", "preview-"}) {
        std::string name = std::string(kind) + "bench.jpg";
        if (auto difference = differenceBetweenPictures(bench.ourFile(name), bench.directFile(name));
            !difference.empty())
            return name + ": " + difference;
    }
    auto full = bytesOf(bench.ourFile("frame-bench.jpg"));
    if (full.empty() || full != bytesOf(bench.directFile("frame-bench.jpg")))
        return "the full pictures differ";
    return {};
}

// --- the benchmarks ---

struct ScaledPictures {
    std::shared_ptr<plat::Image> thumbnail;
    std::shared_ptr<plat::Image> preview;
};

ScaledPictures scaledPictures(const plat::Image& picture)
{
    return {zt::imageByScalingAndCroppingForSize(picture, zt::kFrameThumbnailSize),
        zt::imageByScalingAndCroppingForSize(picture, zt::kFramePreviewSize)};
}

void EncodeOurs(benchmark::State& state)
{
    BenchProject bench(static_cast<int>(state.range(0)));
    ScaledPictures scaled = scaledPictures(*bench.picture);
    // The same bytes as libjpeg-turbo called directly, or the pair compares nothing.
    const std::pair<const plat::Image*, int> pictures[] = {{scaled.thumbnail.get(), kThumbnailQuality},
        {scaled.preview.get(), kPreviewQuality}, {bench.picture.get(), kFullQuality}};
    for (const auto& [picture, quality] : pictures) {
        auto ours = plat::JPEGRepresentation(*picture, quality / 100.0);
        if (!ours || *ours != zt::bench::encodedDirectly(*picture->bitmap(), quality)) {
            state.SkipWithError("our JPEG bytes differ from libjpeg-turbo's");
            return;
        }
    }
    size_t fullBytes = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(plat::JPEGRepresentation(*scaled.thumbnail, kThumbnailQuality / 100.0));
        benchmark::DoNotOptimize(plat::JPEGRepresentation(*scaled.preview, kPreviewQuality / 100.0));
        fullBytes = plat::JPEGRepresentation(*bench.picture, kFullQuality / 100.0)->size();
    }
    state.counters["full_bytes"] = static_cast<double>(fullBytes);
}

void EncodeLibjpegTurbo(benchmark::State& state)
{
    BenchProject bench(static_cast<int>(state.range(0)));
    ScaledPictures scaled = scaledPictures(*bench.picture);
    size_t fullBytes = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(zt::bench::encodedDirectly(*scaled.thumbnail->bitmap(), kThumbnailQuality));
        benchmark::DoNotOptimize(zt::bench::encodedDirectly(*scaled.preview->bitmap(), kPreviewQuality));
        fullBytes = zt::bench::encodedDirectly(*bench.picture->bitmap(), kFullQuality).size();
    }
    state.counters["full_bytes"] = static_cast<double>(fullBytes);
}

void StoreOurs(benchmark::State& state)
{
    BenchProject bench(static_cast<int>(state.range(0)));
    if (!storeDirectly(*bench.picture->bitmap(), bench, "bench")) {
        state.SkipWithError("the direct store failed");
        return;
    }
    if (auto difference = differenceBetweenStores(bench); !difference.empty()) {
        state.SkipWithError(("the two sides store different pictures: " + difference).c_str());
        return;
    }
    for (auto _ : state) {
        if (!bench.producer->storeImage(*bench.picture, "bench"))
            state.SkipWithError("storing failed");
    }
}

void StoreDirect(benchmark::State& state)
{
    BenchProject bench(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        if (!storeDirectly(*bench.picture->bitmap(), bench, "bench"))
            state.SkipWithError("storing failed");
    }
}

// One thread each: the processor time, which other work on the machine disturbs least.
const zt::bench::Comparison kEncode("EncodeOurs", "EncodeLibjpegTurbo", zt::bench::Measure::CpuTime);
const zt::bench::Comparison kStore("StoreOurs", "StoreDirect");

}  // namespace

// Flush times of the disk vary: each is repeated, and the medians compared.
BENCHMARK(EncodeOurs)->Arg(1080)->Arg(2160)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(EncodeLibjpegTurbo)->Arg(1080)->Arg(2160)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(StoreOurs)->Arg(1080)->Arg(2160)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);
BENCHMARK(StoreDirect)->Arg(1080)->Arg(2160)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);
