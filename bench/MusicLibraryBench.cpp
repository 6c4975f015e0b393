// Indexing the music library, beside a bare libavformat loop over the same
// files: ours walks the folder, opens every sound file through FFmpeg, reads
// its tags, length and cover picture stream, decodes its first sound packet
// (noise under a sound file's name is left out) and makes the songs; the
// loop only opens each file (from a list made beforehand) and reads every
// tag of the container and its streams. Ours opens files on up to four threads:
// that is compared by the waiting (real time) and by the processor time of
// the whole process, and ours on one thread by the waiting, so that the
// work is compared too. 10,000 tagged files (half MP3, half AAC in
// MPEG-4, each with a cover picture) are made once by ffmpeg, by stream copy
// with new tags. The page cache is warm for both.
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include "BenchRatio.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/library/MediaLibraryIndex.h"

namespace {

constexpr int kFiles = 10000;
constexpr int kOutputsPerCommand = 250;
const zt::bench::Comparison kIndexing("IndexLibraryOurs", "IndexLibraryBareLibavformat");
// The processor time of the whole process beside it: what the four threads cost.
const zt::bench::Comparison kIndexingProcessorTime(
    "IndexLibraryOurs", "IndexLibraryBareLibavformat", zt::bench::Measure::CpuTime);
// The same work on one thread, beside the loop (which has one).
const zt::bench::Comparison kIndexingOneThread("IndexLibraryOursOneThread", "IndexLibraryBareLibavformat");

class TaggedFiles {
public:
    TaggedFiles()
    {
        std::string root = "/tmp/zt-bench-music-XXXXXX";
        if (::mkdtemp(root.data()) == nullptr)
            std::abort();
        folder = root;
        run("ffmpeg -hide_banner -nostdin -v error -y -f lavfi -i sine=frequency=440:duration=1 -f lavfi -i "
            "color=c=blue:s=120x120:d=1 -map 0:a -map 1:v -frames:v 1 -c:v png -disposition:v attached_pic "
            "-c:a libmp3lame -b:a 32k -ac 1 '"
            + folder + "/template.mp3'");
        run("ffmpeg -hide_banner -nostdin -v error -y -f lavfi -i sine=frequency=440:duration=1 -f lavfi -i "
            "color=c=red:s=120x120:d=1 -map 0:a -map 1:v -frames:v 1 -c:v png -disposition:v attached_pic "
            "-c:a aac -b:a 32k -ac 1 '"
            + folder + "/template.m4a'");
        for (int first = 0; first < kFiles; first += kOutputsPerCommand) {
            for (const char* extension : {"mp3", "m4a"}) {
                std::string command
                    = "ffmpeg -hide_banner -nostdin -v error -y -i '" + folder + "/template." + extension + "'";
                for (int i = first; i < first + kOutputsPerCommand && i < kFiles; ++i) {
                    if ((i % 2 == 0) != (std::string(extension) == "mp3"))
                        continue;
                    std::string artist = "Artist " + std::to_string(i % 97);
                    std::string album = "Album " + std::to_string(i % 401);
                    std::string path
                        = folder + "/songs/" + std::to_string(i % 50) + "/song-" + std::to_string(i) + "." + extension;
                    paths.push_back(path);
                    command += " -map 0 -c copy -disposition:v attached_pic -metadata 'title=Song " + std::to_string(i)
                        + "' -metadata 'artist=" + artist + "' -metadata 'album=" + album
                        + "' -metadata track=" + std::to_string(i % 12 + 1) + " -metadata date=2015 '" + path + "'";
                }
                for (int sub = 0; sub < 50; ++sub)
                    (void)plat::createDirectory(
                        folder + "/songs/" + std::to_string(sub), plat::IntermediateDirectories::Yes);
                run(command);
            }
        }
        (void)plat::removeItem(folder + "/template.mp3");
        (void)plat::removeItem(folder + "/template.m4a");
    }
    ~TaggedFiles() { (void)plat::removeItem(folder); }

    std::string folder;
    std::vector<std::string> paths;

private:
    static void run(const std::string& command)
    {
        if (std::system(command.c_str()) != 0)
            std::abort();
    }
};

TaggedFiles& files()
{
    static TaggedFiles made;
    return made;
}

void indexLibrary(benchmark::State& state, size_t readingThreads)
{
    const std::string& folder = files().folder;
    size_t songs = 0;
    for (auto _ : state) {
        auto index = plat::detail::readMediaLibraryIndex(folder + "/songs", nullptr, readingThreads);
        songs = index->items.size();
        benchmark::DoNotOptimize(index);
    }
    if (songs != static_cast<size_t>(kFiles))
        state.SkipWithError("not every file became a song");
    state.counters["files"] = static_cast<double>(songs);
}

void IndexLibraryOurs(benchmark::State& state)
{
    indexLibrary(state, 0);
}

void IndexLibraryOursOneThread(benchmark::State& state)
{
    indexLibrary(state, 1);
}

void IndexLibraryBareLibavformat(benchmark::State& state)
{
    const auto& paths = files().paths;
    size_t tags = 0;
    for (auto _ : state) {
        tags = 0;
        for (const auto& path : paths) {
            AVFormatContext* context = nullptr;
            if (avformat_open_input(&context, path.c_str(), nullptr, nullptr) < 0)
                continue;
            const AVDictionaryEntry* entry = nullptr;
            while ((entry = av_dict_get(context->metadata, "", entry, AV_DICT_IGNORE_SUFFIX)))
                ++tags;
            for (unsigned i = 0; i < context->nb_streams; ++i) {
                entry = nullptr;
                while ((entry = av_dict_get(context->streams[i]->metadata, "", entry, AV_DICT_IGNORE_SUFFIX)))
                    ++tags;
            }
            avformat_close_input(&context);
        }
        benchmark::DoNotOptimize(tags);
    }
    state.counters["files"] = static_cast<double>(paths.size());
}

// Warm the page cache and make the files before either is timed.
void Prepare(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(plat::detail::readMediaLibraryIndex(files().folder + "/songs", nullptr));
}

}  // namespace

BENCHMARK(Prepare)->Iterations(1)->Unit(benchmark::kMillisecond);
// Ours opens files on up to four threads: its CPU time is the process's.
BENCHMARK(IndexLibraryOurs)->Iterations(3)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(IndexLibraryOursOneThread)
    ->Iterations(3)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(IndexLibraryBareLibavformat)
    ->Iterations(3)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
