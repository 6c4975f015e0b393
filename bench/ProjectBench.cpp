// Loading and saving the frame list of large projects, beside a bare libplist
// parse of the same "frames.meta" bytes.
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <plist/plist.h>

#include "BenchRatio.h"
#include "document/DataManager.h"
#include "document/ProjectDataWrapper.h"
#include "document/ProjectsList.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"

namespace {

// A fresh sandbox holding one saved project of `frames` picture frames (in holds of 3).
struct SavedProject {
    explicit SavedProject(int64_t frames)
    {
        std::string root = "/tmp/zt-bench-XXXXXX";
        if (::mkdtemp(root.data()) == nullptr)
            std::abort();
        sandbox = std::make_shared<plat::Sandbox>(root);
        plat::Sandbox::setCurrent(sandbox);
        (void)zt::ProjectsList::replace({});
        project = std::make_unique<zt::ProjectDataWrapper>(std::nullopt);
        auto& list = project->getFrameList();
        for (int64_t i = 0; i < frames; i += 3) {
            zt::Frame frame(zt::FrameTypePicture);
            list.insertFrame(frame, list.getCaptureIndex());
            list.setHoldForFrame(frame, 3);
        }
        if (!project->saveAllDataToDisk().ok())
            std::abort();
        bytes = plat::readFile(*project->getProjectPath() + "/frames.meta").value();
    }
    ~SavedProject()
    {
        plat::Sandbox::setCurrent(nullptr);
        (void)plat::removeItem(sandbox->root());
    }

    std::shared_ptr<plat::Sandbox> sandbox;
    std::unique_ptr<zt::ProjectDataWrapper> project;
    plat::Data bytes;
};

void FrameListLoad(benchmark::State& state)
{
    SavedProject saved(state.range(0));
    for (auto _ : state) {
        zt::ProjectDataWrapper reopened(saved.project->getProjectPath());
        benchmark::DoNotOptimize(reopened.getFrameList().count());
    }
    state.counters["bytes"] = static_cast<double>(saved.bytes.size());
}

void FrameListSave(benchmark::State& state)
{
    SavedProject saved(state.range(0));
    for (auto _ : state) {
        if (!saved.project->saveFramelistToDisk().ok()) {
            state.SkipWithError("the frame list cannot be saved");
            break;
        }
    }
}

void LibplistParseOnly(benchmark::State& state)
{
    SavedProject saved(state.range(0));
    for (auto _ : state) {
        plist_t root = nullptr;
        plist_from_xml(
            reinterpret_cast<const char*>(saved.bytes.data()), static_cast<uint32_t>(saved.bytes.size()), &root);
        benchmark::DoNotOptimize(root);
        plist_free(root);
    }
}

const zt::bench::Comparison kLoad("FrameListLoad", "LibplistParseOnly");

}  // namespace

BENCHMARK(FrameListLoad)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(LibplistParseOnly)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(FrameListSave)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);
