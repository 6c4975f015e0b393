// The movie preview player decoding and showing a 720p H.264 movie with AAC
// sound (10 s at 30 pictures a second), stepped picture by picture on the
// manual clock with a player layer showing every picture, against the
// ffmpeg command decoding the same file to nothing ("ffmpeg -i movie -f null
// -"); the ratio is printed at the end. Ours counts the pictures its layer
// is given, the one shown before playing included, and the run fails unless
// it is every one of the movie's 300.
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <string>

#include "BenchRatio.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/Image.h"
#include "platform/media/MoviePlayer.h"
#include "platform/ui/PlayerLayer.h"
#include "support/ManualClockScope.h"

namespace {

constexpr int kFramesPerSecond = 30;
constexpr int kSeconds = 10;

std::string shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The movie, made once per run in a temporary folder.
class Movie {
public:
    static Movie& shared()
    {
        static Movie movie;
        return movie;
    }
    ~Movie() { (void)plat::removeItem(_root); }
    const std::string& path() const { return _path; }

private:
    Movie()
    {
        const char* base = std::getenv("TMPDIR");
        _root = plat::appendingPathComponent(base && *base ? base : "/tmp", "zt-moviebench-XXXXXX");
        if (::mkdtemp(_root.data()) == nullptr)
            std::abort();
        _path = plat::appendingPathComponent(_root, "preview.mov");
        std::string length = std::to_string(kSeconds);
        std::string command
            = "ffmpeg -v error -y -f lavfi -i testsrc2=size=1280x720:rate=" + std::to_string(kFramesPerSecond)
            + ":duration=" + length + " -f lavfi -i 'sine=frequency=440:sample_rate=44100:duration=" + length
            + "' -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -ac 2 -shortest " + shellQuoted(_path);
        if (std::system(command.c_str()) != 0)
            std::abort();
    }

    std::string _root;
    std::string _path;
};

void PreviewPlayerOurs(benchmark::State& state)
{
    const std::string& path = Movie::shared().path();
    int64_t shown = 0;
    for (auto _ : state) {
        plat::test::ManualClockScope clock;
        auto player = plat::MoviePlayer::playerWithURL(plat::URL::fileURLWithPath(path));
        auto layer = plat::PlayerLayer::playerLayerWithPlayer(player);
        // Every picture the layer is given, the first (shown before playing) too.
        int64_t pictures = layer->contents() ? 1 : 0;
        // Held, so that a new picture never takes the freed one's address.
        std::shared_ptr<const plat::Image> last = layer->contents();
        auto counter = player->addPictureObserver([&] {
            if (layer->contents() != last) {
                last = layer->contents();
                ++pictures;
            }
        });
        player->play();
        // Steps end half-way between pictures, so each new picture falls in a step of its own.
        clock.advance(0.5 / kFramesPerSecond);
        while (player->rate() != 0)
            clock.advance(1.0 / kFramesPerSecond);
        player->removePictureObserver(counter);
        if (player->status() != plat::MoviePlayer::Status::ReadyToPlay) {
            state.SkipWithError("the movie did not play");
            break;
        }
        if (pictures != kFramesPerSecond * kSeconds) {
            state.SkipWithError(("the layer showed " + std::to_string(pictures) + " of the movie's "
                + std::to_string(kFramesPerSecond * kSeconds) + " pictures")
                                    .c_str());
            break;
        }
        shown += pictures;
    }
    state.counters["pictures"] = benchmark::Counter(static_cast<double>(shown), benchmark::Counter::kAvgIterations);
}

void PreviewPlayerFFmpeg(benchmark::State& state)
{
    std::string command = "ffmpeg -v error -i " + shellQuoted(Movie::shared().path()) + " -f null -";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0)
            state.SkipWithError(("failed: " + command).c_str());
    }
}

}  // namespace

const zt::bench::Comparison kPreview("PreviewPlayerOurs", "PreviewPlayerFFmpeg");

BENCHMARK(PreviewPlayerOurs)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2)->Repetitions(3);
BENCHMARK(PreviewPlayerFFmpeg)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2)->Repetitions(3);
