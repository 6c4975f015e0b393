// The sound paths a user waits for, beside the ffmpeg command that does the
// same work: the waveform picture of a five-minute song (decoded, measured,
// drawn and encoded as PNG, as the clip editor caches it) against
// showwavespic, and the mix of a two-minute movie's three tracks (music,
// recordings and sound effects, read out as 16-bit PCM, as the movie export
// reads it) against amix. Each iteration times both; the counters show the
// seconds of each and the ratio ours / ffmpeg.
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "audio/AudioWaveformGenerator.h"
#include "document/AudioClip.h"
#include "document/DataManager.h"
#include "document/Frame.h"
#include "document/ProjectModel.h"
#include "document/ProjectsList.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/media/Asset.h"
#include "platform/media/AssetReader.h"
#include "platform/media/AssetReaderAudioMixOutput.h"
#include "platform/media/AudioMix.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/MutableComposition.h"
#include "platform/media/SampleBuffer.h"
#include "render/MovieMixer.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSongSeconds = 300;
constexpr int kMovieSeconds = 120;
constexpr int kFps = 5;
constexpr int kWaveformWidth = 1024;  // per channel: the stereo picture is twice as wide
constexpr int kWaveformHeight = 100;

// A device folder with the sound files, made once by ffmpeg.
class Sounds {
public:
    Sounds()
    {
        std::string root = "/tmp/zt-bench-audio-XXXXXX";
        if (::mkdtemp(root.data()) == nullptr)
            std::abort();
        sandbox = std::make_shared<plat::Sandbox>(root);
        plat::Sandbox::setCurrent(sandbox);
        zt::DataManager::sharedDataManager().resetToDefaultsForTesting();
        (void)zt::ProjectsList::replace({});
        project = std::make_shared<zt::ProjectModel>(std::nullopt);
        auto& list = project->getFrameList();
        for (int i = 0; i < kMovieSeconds * kFps; ++i)
            list.insertFrame(zt::Frame(zt::FrameTypePicture, "F" + std::to_string(i)), list.getCaptureIndex());
        if (!project->createFilePathForProject().ok())
            std::abort();  // nothing to measure without a project folder
        folder = *project->getProjectPath();
        // A song with some life in it: a chord that swells, over noise.
        make("song.m4a", kSongSeconds,
            "aevalsrc='(0.3+0.2*sin(2*PI*0.1*t))*(sin(2*PI*220*t)+0.5*sin(2*PI*277*t))|"
            "(0.3+0.2*cos(2*PI*0.13*t))*(sin(2*PI*330*t)+0.5*sin(2*PI*415*t))':s=44100",
            "-c:a aac -b:a 192k");
        make("music.m4a", kMovieSeconds, "aevalsrc='0.3*sin(2*PI*220*t)|0.3*sin(2*PI*330*t)':s=44100",
            "-c:a aac -b:a 192k");
        make("record.caf", kMovieSeconds, "aevalsrc='0.4*sin(2*PI*180*t)*sin(2*PI*3*t)':s=44100", "-c:a pcm_s16be");
        make("effects.wav", kMovieSeconds, "anoisesrc=a=0.1:r=44100", "-c:a pcm_s16le");
    }
    ~Sounds()
    {
        plat::Sandbox::setCurrent(nullptr);
        (void)plat::removeItem(sandbox->root());
    }
    std::string path(const std::string& name) const { return plat::appendingPathComponent(folder, name); }

    std::shared_ptr<plat::Sandbox> sandbox;
    std::shared_ptr<zt::ProjectModel> project;
    std::string folder;

private:
    void make(const std::string& name, int seconds, const std::string& source, const std::string& codec)
    {
        std::string command = "ffmpeg -hide_banner -nostdin -v error -y -f lavfi -i \"" + source
            + ":d=" + std::to_string(seconds) + "\" " + codec + " '" + path(name) + "'";
        if (std::system(command.c_str()) != 0)
            std::abort();
    }
};

Sounds& sounds()
{
    static Sounds made;
    return made;
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

void report(benchmark::State& state, double ours, double reference)
{
    state.counters["ours_s"] = ours / static_cast<double>(state.iterations());
    state.counters["ffmpeg_s"] = reference / static_cast<double>(state.iterations());
    state.counters["ratio"] = ours / reference;
}

void WaveformOfAFiveMinuteSong(benchmark::State& state)
{
    std::string song = sounds().path("song.m4a");
    std::string reference = sounds().path("reference.png");
    std::string command = "ffmpeg -hide_banner -nostdin -v error -y -i '" + song
        + "' -filter_complex showwavespic=s=" + std::to_string(2 * kWaveformWidth) + "x"
        + std::to_string(kWaveformHeight) + " -frames:v 1 '" + reference + "'";
    zt::AudioWaveformGenerator generator;
    double ours = 0, theirs = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        auto image = generator.renderPNGAudioPictogramForAssett(
            plat::URLAsset::assetWithPath(song), {kWaveformWidth, kWaveformHeight});
        auto png = image ? plat::PNGRepresentation(*image) : std::nullopt;
        double mine = std::chrono::duration<double>(Clock::now() - start).count();
        if (!png)
            state.SkipWithError("no waveform");
        double ffmpeg = timeCommand(command, state);
        state.SetIterationTime(mine);
        ours += mine;
        theirs += ffmpeg;
    }
    report(state, ours, theirs);
}

std::shared_ptr<zt::AudioClip> clip(const std::string& file, std::optional<std::string> anchor)
{
    auto made = std::make_shared<zt::AudioClip>();
    made->setUrl(plat::URL::fileURLWithPath(file));
    made->setStart(plat::MediaTime::zero());
    made->setDuration(plat::MediaTime::make(kMovieSeconds, 1));
    made->setVolume(0.8f);
    made->setLinkToFrameUID(std::move(anchor));
    return made;
}

// The movie export's sound: the mixer's composition of the three tracks, read out whole.
int64_t mixMovieSound(const std::shared_ptr<zt::ProjectModel>& project)
{
    std::string first = project->getFrameList().getFrameAtIndex(0)->UID();
    zt::MovieMixer mixer(project);
    zt::MovieMixer::ClipList tracks {
        {clip("effects.wav", first)}, {clip("record.caf", first)}, {clip("music.m4a", std::nullopt)}};
    std::shared_ptr<plat::MutableComposition> composition;
    std::shared_ptr<plat::AudioMix> mix;
    (void)mixer.prepareAVMutableComposition(
        &composition, &mix, tracks, plat::MediaTime::make(kMovieSeconds * kFps, kFps), nullptr);
    auto reader = plat::AssetReader::assetReaderWithAsset(composition);
    if (!reader.ok())
        return 0;
    auto output = plat::AssetReaderAudioMixOutput::assetReaderAudioMixOutputWithAudioTracks(
        composition->tracksWithMediaType(plat::kMediaTypeAudio),
        plat::Dictionary {{plat::kFormatIDKey, static_cast<int64_t>(plat::kAudioFormatLinearPCM)}});
    output->setAudioMix(mix);
    reader.value()->addOutput(output);
    if (!reader.value()->startReading())
        return 0;
    int64_t frames = 0;
    while (auto buffer = output->copyNextSampleBuffer())
        frames += buffer->numSamples();
    return frames;
}

void MixOfATwoMinuteMovie(benchmark::State& state)
{
    auto project = sounds().project;
    std::string command = "ffmpeg -hide_banner -nostdin -v error -y -i '" + sounds().path("effects.wav") + "' -i '"
        + sounds().path("record.caf") + "' -i '" + sounds().path("music.m4a")
        + "' -filter_complex 'amix=inputs=3:normalize=0:weights=0.8 0.8 0.8' -c:a pcm_s16le -f null -";
    double ours = 0, theirs = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        int64_t frames = mixMovieSound(project);
        double mine = std::chrono::duration<double>(Clock::now() - start).count();
        if (frames != int64_t {kMovieSeconds} * 44100)
            state.SkipWithError("the mix has the wrong length");
        double ffmpeg = timeCommand(command, state);
        state.SetIterationTime(mine);
        ours += mine;
        theirs += ffmpeg;
    }
    report(state, ours, theirs);
}

}  // namespace

BENCHMARK(WaveformOfAFiveMinuteSong)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(MixOfATwoMinuteMovie)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
