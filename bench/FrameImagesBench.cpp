// Storing one picture as a frame (thumbnail, preview and full picture, in
// that order, through the project's atomic file writes), beside encoding the
// same three JPEGs with libjpeg-turbo directly at the same qualities (into
// memory, from pixels already at their sizes). Prints the ratio per size.
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include "BenchRatio.h"
#include "JpegReference.h"
#include "PhotoLikePicture.h"
#include "app/DataManager.h"
#include "app/ImageProducer.h"
#include "app/ProjectModel.h"
#include "app/ProjectsList.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Sandbox.h"
#include "platform/graphics/Image.h"
#include "uikit/UIImageResize.h"

namespace {

using zt::bench::encodeDirectly;

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
    }
    ~BenchProject()
    {
        plat::Sandbox::setCurrent(nullptr);
        (void)plat::removeItem(sandbox->root());
    }
    std::shared_ptr<plat::Sandbox> sandbox;
    std::shared_ptr<zt::ProjectModel> project;
    std::unique_ptr<zt::ImageProducer> producer;
    std::shared_ptr<plat::Image> picture;
};

void StoreFrameImages(benchmark::State& state)
{
    BenchProject bench(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        if (!bench.producer->storeImage(*bench.picture, "bench"))
            state.SkipWithError("storing failed");
    }
    auto bytes = plat::attributesOfItem(*bench.project->getProjectPath() + "/frame-bench.jpg");
    state.counters["full_bytes"] = bytes.ok() ? static_cast<double>(bytes.value().size) : 0;
}

void DirectLibjpegTurbo(benchmark::State& state)
{
    BenchProject bench(static_cast<int>(state.range(0)));
    auto thumbnail = zt::imageByScalingAndCroppingForSize(*bench.picture, zt::kFrameThumbnailSize);
    auto preview = zt::imageByScalingAndCroppingForSize(*bench.picture, zt::kFramePreviewSize);
    size_t fullBytes = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(encodeDirectly(*thumbnail->bitmap(), 50));
        benchmark::DoNotOptimize(encodeDirectly(*preview->bitmap(), 50));
        fullBytes = encodeDirectly(*bench.picture->bitmap(), 100);
    }
    state.counters["full_bytes"] = static_cast<double>(fullBytes);
}

// Keeps each benchmark's time per iteration (the median when it is repeated:
// the disk's flush times vary) so that the ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            std::string name = run.run_name.str();
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || (run.run_type == Run::RT_Iteration && !_medians.contains(name)))
                _seconds[name] = run.real_accumulated_time / static_cast<double>(run.iterations);
            if (median)
                _medians.insert(name);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void printRatios() const
    {
        for (const char* size : {"1080", "2160"}) {
            auto ours = _seconds.find(std::string("StoreFrameImages/") + size + "/real_time");
            auto direct = _seconds.find(std::string("DirectLibjpegTurbo/") + size + "/real_time");
            if (ours == _seconds.end() || direct == _seconds.end())
                continue;
            std::printf("%sp: storing %.2f ms, libjpeg-turbo directly %.2f ms, ratio %.2f\n", size, ours->second * 1e3,
                direct->second * 1e3, ours->second / direct->second);
        }
    }

private:
    std::map<std::string, double> _seconds;
    std::set<std::string> _medians;
};

const zt::bench::Comparison kStore("StoreFrameImages", "DirectLibjpegTurbo");

}  // namespace

BENCHMARK(StoreFrameImages)->Arg(1080)->Arg(2160)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DirectLibjpegTurbo)->Arg(1080)->Arg(2160)->Unit(benchmark::kMillisecond)->UseRealTime();
