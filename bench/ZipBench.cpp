// Packing and unpacking a project of 500 frames (about 150 MB of JPEG-like,
// incompressible files), ours against Info-ZIP's zip and unzip on the same
// files, side by side; the ratios are printed at the end.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "BenchRatio.h"
#include "document/QVZipArchive.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"

namespace {

constexpr int kFrameCount = 500;
constexpr size_t kFrameBytes = 300 * 1024;

std::string shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Frames of random bytes between a JPEG start and end marker: deflate finds
// as little in them as in real JPEG data.
plat::Data jpegLikeFrame(uint64_t& state)
{
    plat::Data frame(kFrameBytes);
    for (size_t index = 0; index < frame.size(); index += 8) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        for (size_t byte = 0; byte < 8 && index + byte < frame.size(); ++byte)
            frame[index + byte] = static_cast<uint8_t>(state >> (8 * byte));
    }
    const uint8_t start[] = {0xFF, 0xD8, 0xFF, 0xE0};
    std::copy(std::begin(start), std::end(start), frame.begin());
    frame[frame.size() - 2] = 0xFF;
    frame[frame.size() - 1] = 0xD9;
    return frame;
}

// The project folder, written once per run into a temporary folder.
class Project {
public:
    static Project& shared()
    {
        static Project project;
        return project;
    }

    ~Project() { (void)plat::removeItem(_root); }

    std::string path(const std::string& name) const { return plat::appendingPathComponent(_root, name); }
    const std::vector<std::string>& files() const { return _files; }

private:
    Project()
    {
        const char* base = std::getenv("TMPDIR");
        _root = plat::appendingPathComponent(base && *base ? base : "/tmp", "zt-zipbench-XXXXXX");
        if (::mkdtemp(_root.data()) == nullptr)
            std::abort();
        if (!plat::createDirectory(path("project"), plat::IntermediateDirectories::No).ok())
            std::abort();
        uint64_t state = 0x9E3779B97F4A7C15u;
        for (int index = 0; index < kFrameCount; ++index) {
            std::string file = path("project/frame-" + std::to_string(index) + ".jpg");
            if (!plat::writeFileAtomically(file, jpegLikeFrame(state)).ok())
                std::abort();
            _files.push_back(file);
        }
        // The archive both unpackers read.
        if (!zt::QVZipArchive::createZipFileAtPath(path("project.zip"), _files))
            std::abort();
    }

    std::string _root;
    std::vector<std::string> _files;
};

void runShell(benchmark::State& state, const std::string& command)
{
    if (std::system(command.c_str()) != 0)
        state.SkipWithError(("failed: " + command).c_str());
}

void removeQuietly(benchmark::State& state, const std::string& path)
{
    state.PauseTiming();
    (void)plat::removeItem(path);
    state.ResumeTiming();
}

void PackOurs(benchmark::State& state)
{
    Project& project = Project::shared();
    std::string archive = project.path("ours.zip");
    for (auto _ : state) {
        if (!zt::QVZipArchive::createZipFileAtPath(archive, project.files()))
            state.SkipWithError("packing failed");
        removeQuietly(state, archive);
    }
}

void PackInfoZip(benchmark::State& state)
{
    Project& project = Project::shared();
    std::string archive = project.path("infozip.zip");
    std::string command = "cd " + shellQuoted(project.path("project")) + " && zip -qr " + shellQuoted(archive) + " .";
    for (auto _ : state) {
        runShell(state, command);
        removeQuietly(state, archive);
    }
}

void UnpackOurs(benchmark::State& state)
{
    Project& project = Project::shared();
    std::string destination = project.path("unpacked-ours");
    for (auto _ : state) {
        if (!zt::QVZipArchive::unzipFileAtPath(project.path("project.zip"), destination))
            state.SkipWithError("unpacking failed");
        removeQuietly(state, destination);
    }
}

void UnpackInfoZip(benchmark::State& state)
{
    Project& project = Project::shared();
    std::string destination = project.path("unpacked-infozip");
    std::string command = "unzip -qo " + shellQuoted(project.path("project.zip")) + " -d " + shellQuoted(destination);
    for (auto _ : state) {
        runShell(state, command);
        removeQuietly(state, destination);
    }
}

const zt::bench::Comparison kPack("PackOurs", "PackInfoZip");
const zt::bench::Comparison kUnpack("UnpackOurs", "UnpackInfoZip");

}  // namespace

BENCHMARK(PackOurs)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3)->Repetitions(3);
BENCHMARK(PackInfoZip)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3)->Repetitions(3);
BENCHMARK(UnpackOurs)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3)->Repetitions(3);
BENCHMARK(UnpackInfoZip)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3)->Repetitions(3);
