#include "render/ZantropeMovieRenderer.h"

#include <cmath>
#include <csignal>
#include <functional>
#include <sys/resource.h>

#include "RenderTestSupport.h"
#include "document/AudioClip.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/UniformTypeIdentifiers.h"
#include "platform/media/AssetExportSession.h"
#include "platform/media/MediaConstants.h"
#include "render/ApplicationIdleTimer.h"
#include "support/DamagedFiles.h"
#include "support/MediaTools.h"

namespace {

using plat::test::Rgba;
using zt::test::movieType;

const Rgba kRed {220, 40, 40, 255};
const Rgba kGreen {40, 200, 60, 255};
const Rgba kBlue {30, 60, 210, 255};

// The decoded colour at (x, y) of a packed RGB picture.
Rgba decodedAt(const std::vector<uint8_t>& frame, int width, int x, int y)
{
    const uint8_t* p
        = frame.data() + (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    return {p[0], p[1], p[2], 255};
}

class MovieExport : public zt::test::RenderProject {
protected:
    // A sine placed on track 0 from the anchor frame, as the audio lanes store it.
    void addClip(const zt::Frame& anchor, double seconds, float volume, const std::string& name = "record-test.wav",
        const std::string& codec = "pcm_s16le")
    {
        auto made = plat::test::runFFmpeg(*project->getProjectPath(),
            {"-y", "-f", "lavfi", "-i", "aevalsrc=0.5*sin(2*PI*440*t):s=44100:d=" + std::to_string(seconds), "-c:a",
                codec, projectFile(name)});
        ASSERT_EQ(made.exitCode, 0) << made.output;
        zt::AudioClip clip;
        clip.setName("Birdsong");
        clip.setUrl(plat::URL::fileURLWithPath(projectFile(name)));
        clip.setStart(plat::MediaTime::zero());
        clip.setDuration(plat::MediaTime::makeWithSeconds(seconds, 44100));
        clip.setVolume(volume);
        clip.setLinkToFrameUID(anchor.UID());
        setMetadata("RecordMetaAudio", plat::Dictionary {{"TRACK_0", plat::Array {clip.encode()}}});
    }
    std::shared_ptr<zt::ZantropeMovieRenderer> renderer = std::make_shared<zt::ZantropeMovieRenderer>(project);
};

TEST_F(MovieExport, ThreePicturesBecomeAnH264MovieWithTheMixedSound)
{
    auto a = addFlatPicture("A", kRed);
    addFlatPicture("B", kGreen);
    addFlatPicture("C", kBlue);
    addClip(a, 1.0, 0.5f);
    setMetadata("RecordNeedsRendering", true);
    setMetadata("RecordName", "Garden: take 2");
    ASSERT_TRUE(exportAndWait(*renderer, movieType({320, 180})));
    EXPECT_EQ(completions, 1);
    ASSERT_EQ(renderer->status(), zt::MovieRendererStatusCompleted) << renderer->error()->description();
    EXPECT_TRUE(renderer->unreadableSounds().empty());
    ASSERT_TRUE(renderer->exportURL());
    std::string path = renderer->exportURL()->path();
    EXPECT_EQ(plat::lastPathComponent(path), "Garden_take_2.mov");
    EXPECT_EQ(plat::deletingLastPathComponent(path),
        plat::appendingPathComponent(
            plat::appendingPathComponent(plat::Sandbox::current()->cachesDirectory(), "rendercache"),
            plat::lastPathComponent(*project->getProjectPath())));
    EXPECT_FLOAT_EQ(renderer->progress(), 2.0f / 3.0f);

    auto probe = plat::test::probeMedia(path, plat::test::FrameCount::ByDecoding);
    ASSERT_EQ(probe.exitCode, 0) << probe.output;
    EXPECT_NE(probe.format["format_name"].find("mov"), std::string::npos);
    auto video = probe.stream("video");
    EXPECT_EQ(video["codec_name"], "h264");
    EXPECT_EQ(video["width"], "320");
    EXPECT_EQ(video["height"], "180");
    EXPECT_EQ(video["r_frame_rate"], "5/1");
    // The first picture twice, then one per frame; the last one lasts a frame too.
    EXPECT_EQ(video["nb_read_frames"], "4");
    EXPECT_NEAR(std::stod(video["duration"]), 0.8, 1e-6);
    auto sound = probe.stream("audio");
    EXPECT_EQ(sound["codec_name"], "pcm_s16le");
    // As long as the movie: the sound starts with the first frame's picture,
    // one frame in, and the one-second clip is cut at the movie's end.
    EXPECT_NEAR(std::stod(sound["duration"]), 0.8, 1e-6);

    auto frames = plat::test::decodeVideoWithFFmpeg(plat::deletingLastPathComponent(path), path, 320, 180);
    ASSERT_EQ(frames.size(), 4u);
    const Rgba expected[] = {kRed, kRed, kGreen, kBlue};
    for (size_t i = 0; i < 4; ++i) {
        for (auto [x, y] : {std::pair {10, 10}, std::pair {160, 90}, std::pair {310, 170}})
            EXPECT_LE(plat::test::componentDistance(decodedAt(frames[i], 320, x, y), expected[i]), 10) << i;
    }
    // The mono clip stays mono, at half its level.
    EXPECT_EQ(sound["channels"], "1");
    auto samples = plat::test::decodeAudioWithFFmpeg(plat::deletingLastPathComponent(path), path, 44100, 1);
    EXPECT_EQ(samples.size(), 35280u);
    EXPECT_NEAR(plat::test::peakLevel(samples, 44100, 1, 0.2, 0.8), 0.25, 0.01);

    // The finished movie is noted in the project, on disk too.
    EXPECT_EQ(project->getMetaData()->getBool("RecordNeedsRendering"), false);
    auto stored = plat::dictionaryWithContentsOfFile(projectFile("plovix.meta"));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->getBool("RecordNeedsRendering"), false);
}

// Lip sync: a sound placed at a frame is heard from the moment that frame's
// picture shows, whichever frame it is.
TEST_F(MovieExport, ASoundAtAFrameStartsWithThatFramesPicture)
{
    std::vector<zt::Frame> pictures;
    for (const char* name : {"A", "B", "C", "D", "E"})
        pictures.push_back(addFlatPicture(name, kRed));
    for (int k : {0, 3}) {
        addClip(pictures[static_cast<size_t>(k)], 0.4, 1.0f);
        setMetadata("RecordNeedsRendering", true);
        auto exporter = std::make_shared<zt::ZantropeMovieRenderer>(project);
        ASSERT_TRUE(exportAndWait(*exporter, movieType({160, 90})));
        const std::string path = exporter->exportURL()->path();
        auto samples = plat::test::decodeAudioWithFFmpeg(plat::deletingLastPathComponent(path), path, 44100, 1);
        auto heard = std::find_if(samples.begin(), samples.end(), [](int16_t s) { return std::abs(s) > 300; });
        ASSERT_NE(heard, samples.end()) << k;
        // Picture k shows from (k + 1) / 5 s: the first picture is shown twice.
        const double onset = static_cast<double>(heard - samples.begin()) / 44100;
        EXPECT_NEAR(onset, (k + 1) / 5.0, 0.001) << k;
    }
}

TEST_F(MovieExport, DecodedPicturesMatchTheirSourceWithinCodingLoss)
{
    // Bands and a gradient: what compression blurs first.
    auto pattern = plat::test::makeImage(640, 360, [](int x, int y) {
        if (y < 60)
            return Rgba {255, 255, 255, 255};
        if (x < 213)
            return Rgba {200, 30, 30, 255};
        if (x < 426)
            return Rgba {(x - 213), 180, 255 - (x - 213), 255};
        return Rgba {20, 20, 20 + y / 2, 255};
    });
    addPicture("P", *pattern);
    addFlatPicture("Q", kGreen, 640, 360);
    auto type = std::make_shared<zt::MovieExportType>("Medium - 360p", std::string(plat::kAssetExportPresetLowQuality),
        plat::Size {640, 360}, plat::kUTTypeQuickTimeMovie, "mov");
    ASSERT_TRUE(exportAndWait(*renderer, type));
    ASSERT_EQ(renderer->status(), zt::MovieRendererStatusCompleted);
    std::string path = renderer->exportURL()->path();
    auto frames = plat::test::decodeVideoWithFFmpeg(plat::deletingLastPathComponent(path), path, 640, 360);
    ASSERT_EQ(frames.size(), 3u);
    for (auto [x, y] : {std::pair {30, 30}, std::pair {100, 200}, std::pair {320, 100}, std::pair {500, 300}})
        EXPECT_LE(
            plat::test::componentDistance(decodedAt(frames[1], 640, x, y), plat::test::pixelAt(*pattern, x, y)), 12)
            << x << "," << y;
    EXPECT_LE(plat::test::componentDistance(decodedAt(frames[2], 640, 320, 180), kGreen), 10);
}

TEST_F(MovieExport, NothingToRenderFailsAtOnceOnTheCallingThread)
{
    ASSERT_TRUE(exportAndWait(*renderer, movieType({320, 180})));
    EXPECT_EQ(renderer->status(), zt::MovieRendererStatusFailed);
    EXPECT_EQ(renderer->error()->domain(), "MovieRenderer");
    EXPECT_EQ(renderer->error()->code(), 238);
    EXPECT_EQ(renderer->error()->localizedDescription(), "No frames found in project.");

    addFlatPicture("A", kRed);
    auto noType = std::make_shared<zt::ZantropeMovieRenderer>(project);
    ASSERT_TRUE(exportAndWait(*noType, nullptr));
    EXPECT_EQ(noType->error()->code(), 392);
    auto noSize = std::make_shared<zt::ZantropeMovieRenderer>(project);
    ASSERT_TRUE(exportAndWait(*noSize, movieType({0, 0})));
    EXPECT_EQ(noSize->error()->code(), 403);
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(
        plat::fileExists(plat::appendingPathComponent(plat::Sandbox::current()->cachesDirectory(), "rendercache")));
}

TEST_F(MovieExport, AWriterThatCannotBeMadeEndsTheExportAsFailed)
{
    addFlatPicture("A", kRed);
    // A file where the export folder belongs: no movie can be written there.
    std::string caches = plat::appendingPathComponent(plat::Sandbox::current()->cachesDirectory(), "rendercache");
    ASSERT_TRUE(plat::createDirectory(caches, plat::IntermediateDirectories::Yes).ok());
    ASSERT_TRUE(plat::writeFileAtomically(
        plat::appendingPathComponent(caches, plat::lastPathComponent(*project->getProjectPath())), std::string("x"))
                    .ok());
    ASSERT_TRUE(exportAndWait(*renderer, movieType({320, 180})));
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(renderer->status(), zt::MovieRendererStatusFailed);
    EXPECT_EQ(renderer->error()->domain(), "ZantropeMovieRenderer");
    EXPECT_EQ(renderer->error()->code(), 510);
}

TEST_F(MovieExport, AMissingPictureIsWrittenBlack)
{
    addFlatPicture("A", kRed);
    addFlatPicture("B", kGreen);
    addFlatPicture("C", kBlue);
    ASSERT_TRUE(plat::removeItem(projectFile("frame-B.jpg")).ok());
    ASSERT_TRUE(exportAndWait(*renderer, movieType({320, 180})));
    ASSERT_EQ(renderer->status(), zt::MovieRendererStatusCompleted);
    std::string path = renderer->exportURL()->path();
    auto frames = plat::test::decodeVideoWithFFmpeg(plat::deletingLastPathComponent(path), path, 320, 180);
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_LE(plat::test::componentDistance(decodedAt(frames[2], 320, 160, 90), Rgba {0, 0, 0, 255}), 6);
    EXPECT_LE(plat::test::componentDistance(decodedAt(frames[3], 320, 160, 90), kBlue), 10);
}

TEST_F(MovieExport, ADamagedOrMissingSoundIsLeftOutAndNamed)
{
    auto a = addFlatPicture("A", kRed);
    addFlatPicture("B", kGreen);
    struct Case {
        const char* damage;
        std::function<void(const std::string&)> apply;
        std::vector<std::string> named;
    };
    const Case cases[] = {
        {"whole", [](const std::string&) {}, {}},
        {"empty", [](const std::string& path) { ASSERT_TRUE(plat::writeFileAtomically(path, "").ok()); }, {"Birdsong"}},
        {"cut short", plat::test::cutInHalf, {"Birdsong"}},
        {"noise", plat::test::writeRandomBytes, {"Birdsong"}},
        {"gone", [](const std::string& path) { ASSERT_TRUE(plat::removeItem(path).ok()); }, {"Birdsong"}},
    };
    for (const Case& c : cases) {
        // A voice-over as the recorder writes it: Apple Lossless in a CAF file.
        addClip(a, 0.4, 1.0f, "record-test.caf", "alac");
        c.apply(projectFile("record-test.caf"));
        auto exporter = std::make_shared<zt::ZantropeMovieRenderer>(project);
        ASSERT_TRUE(exportAndWait(*exporter, movieType({160, 90}))) << c.damage;
        EXPECT_EQ(exporter->status(), zt::MovieRendererStatusCompleted) << c.damage;
        EXPECT_EQ(exporter->unreadableSounds(), c.named) << c.damage;
    }
}

TEST_F(MovieExport, AnUnchangedProjectReusesItsMovie)
{
    addFlatPicture("A", kRed);
    addFlatPicture("B", kGreen);
    auto type = movieType({320, 180});
    EXPECT_FALSE(renderer->getPreparedMovieForExportType(*type));
    ASSERT_TRUE(exportAndWait(*renderer, type));
    ASSERT_EQ(renderer->status(), zt::MovieRendererStatusCompleted);
    auto next = std::make_shared<zt::ZantropeMovieRenderer>(project);
    auto prepared = next->getPreparedMovieForExportType(*type);
    ASSERT_TRUE(prepared);
    EXPECT_EQ(*prepared, *renderer->exportURL());
    EXPECT_TRUE(next->getPreparedMovieForExportType(*movieType({-1, -1})));
    EXPECT_TRUE(next->getPreparedMovieForExportType(*movieType({180, 320})));
    EXPECT_FALSE(next->getPreparedMovieForExportType(*movieType({640, 360})));
    setMetadata("RecordNeedsRendering", true);
    EXPECT_FALSE(next->getPreparedMovieForExportType(*type));
}

TEST_F(MovieExport, CancellingWhileWritingEndsWithStatusFive)
{
    addFlatPicture("A", kRed);
    addFlatPicture("B", kGreen);
    addFlatPicture("C", kBlue);
    setMetadata("RecordNeedsRendering", true);
    auto bytes = plat::readFile(projectFile("frame-B.jpg")).value();
    blockReadingOf("frame-B.jpg");
    bool waiting = false;
    renderer->exportProjectWithExportType(movieType({320, 180}), [this, &waiting] {
        ++completions;
        if (waiting)
            plat::RunLoop::main().stop();
    });
    EXPECT_EQ(renderer->status(), zt::MovieRendererStatusRendering);
    // The picture loop waits for B's file; the cancel comes before it can go on.
    EXPECT_TRUE(whenBlockedFileIsRead(bytes, [this] { renderer->cancelExport(); }));
    ASSERT_TRUE(waitForCompletion(waiting));
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(renderer->status(), zt::MovieRendererStatusCancelled);
    EXPECT_EQ(project->getMetaData()->getBool("RecordNeedsRendering"), true);
}

// A renderer that signals when it is destroyed.
class WatchedRenderer : public zt::ZantropeMovieRenderer {
public:
    WatchedRenderer(std::shared_ptr<zt::ProjectModel> project, plat::Semaphore gone)
        : ZantropeMovieRenderer(std::move(project))
        , _gone(std::move(gone))
    {
    }
    ~WatchedRenderer() override { _gone.signal(); }

private:
    plat::Semaphore _gone;
};

// Files of this process cannot grow beyond bytes while it lives: writes past
// that fail (rather than raise a signal).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &_old);
        _oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = _old;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &_old);
        std::signal(SIGXFSZ, _oldHandler);
    }

private:
    rlimit _old {};
    void (*_oldHandler)(int) = nullptr;
};

TEST_F(MovieExport, AWriterThatFailsWhileWritingFailsTheExportAndLetsTheRendererGo)
{
    // Enough pictures that the encoder hands out some before the end, so the file grows while writing.
    auto a = addFlatPicture("A", kRed, 32, 18);
    for (int i = 0; i < 80; ++i)
        addFlatPicture("P" + std::to_string(i), i % 2 ? kGreen : kBlue, 32, 18);
    addClip(a, 3.0, 1.0f);
    plat::Semaphore gone;
    {
        auto watched = std::make_shared<WatchedRenderer>(project, gone);
        {
            // Three seconds of sound are far more than the movie may hold.
            FileSizeLimit limit(16 * 1024);
            ASSERT_TRUE(exportAndWait(*watched, movieType({320, 180})));
        }
        EXPECT_EQ(completions, 1);
        EXPECT_EQ(watched->status(), zt::MovieRendererStatusFailed);
        ASSERT_TRUE(watched->error());
        EXPECT_EQ(watched->error()->domain(), "ZantropeMovieRenderer") << watched->error()->localizedDescription();
    }
    // Its inputs hold no blocks that keep it (and its open sound files) alive.
    EXPECT_TRUE(gone.wait(zt::test::kGenerousTimeoutSeconds));
}

TEST_F(MovieExport, AClipWhoseFrameWasDeletedIsLeftOut)
{
    auto a = addFlatPicture("A", kRed);
    addFlatPicture("B", kGreen);
    addClip(a, 0.4, 1.0f);
    auto& frames = project->getFrameList();
    frames.removeFrameAtIndex(frames.getIndexForFrame(a));
    EXPECT_TRUE(project->saveFramelistToDisk().ok());
    ASSERT_TRUE(exportAndWait(*renderer, movieType({320, 180})));
    ASSERT_EQ(renderer->status(), zt::MovieRendererStatusCompleted);
    auto probe = plat::test::probeMedia(renderer->exportURL()->path());
    EXPECT_EQ(probe.stream("video")["codec_name"], "h264");
    EXPECT_TRUE(probe.stream("audio").empty());
}

TEST_F(MovieExport, TheIdleTimerIsOffOnlyWhileTheExportStarts)
{
    addFlatPicture("A", kRed);
    std::vector<bool> switched;
    zt::ApplicationIdleTimer::setObserver([&switched](bool disabled) { switched.push_back(disabled); });
    ASSERT_TRUE(exportAndWait(*renderer, movieType({320, 180})));
    zt::ApplicationIdleTimer::setObserver(nullptr);
    EXPECT_EQ(switched, (std::vector<bool> {true, false}));
    EXPECT_FALSE(zt::ApplicationIdleTimer::isIdleTimerDisabled());
}

TEST(MovieExportTypes, FollowThePlatformsPresetsAndThe4KTest)
{
    auto all = plat::AssetExportSession::allExportPresets();
    auto types = zt::detail::movieExportTypes(/*canRender4K=*/false, all);
    std::vector<std::string> titles;
    for (const auto& type : types)
        titles.push_back(type->title());
    EXPECT_EQ(titles,
        (std::vector<std::string> {"HD - 1080p", "HD - 720p", "Square - Instagram", "Large - 540p", "Medium - 360p"}));
    EXPECT_EQ(types[2]->size(), (plat::Size {640, 640}));
    EXPECT_EQ(types[2]->preset(), plat::kAssetExportPreset1280x720);
    EXPECT_EQ(types[4]->preset(), plat::kAssetExportPresetLowQuality);
    for (const auto& type : types) {
        EXPECT_EQ(type->UTI(), plat::kUTTypeQuickTimeMovie);
        EXPECT_EQ(type->extension(), "mov");
    }
    auto with4K = zt::detail::movieExportTypes(/*canRender4K=*/true, all);
    ASSERT_EQ(with4K.size(), 6u);
    EXPECT_EQ(with4K[0]->title(), "UHDTV - 4K");
    EXPECT_EQ(with4K[0]->preset(), "AVAssetExportPreset3840x2160");
    auto only = zt::detail::movieExportTypes(false, {plat::kAssetExportPreset640x480});
    ASSERT_EQ(only.size(), 1u);
    EXPECT_EQ(only[0]->title(), "640x480");
    EXPECT_TRUE(zt::detail::movieExportTypes(false, {}).empty());
}

TEST(MovieExportTypes, EstimatesFollowTheSizeTable)
{
    // 11 entries (placeholder included) at 5 fps: 2 seconds of movie.
    EXPECT_EQ(zt::detail::estimatedMovieFileSize({1920, 1080}, 11, 5), 1712u);
    EXPECT_EQ(zt::detail::estimatedMovieFileSize({1280, 720}, 11, 5), 1458u);
    EXPECT_EQ(zt::detail::estimatedMovieFileSize({960, 540}, 11, 5), 1100u);
    EXPECT_EQ(zt::detail::estimatedMovieFileSize({640, 360}, 11, 5), 854u);
    EXPECT_EQ(zt::detail::estimatedMovieFileSize({640, 480}, 11, 5), 968u);
    EXPECT_EQ(zt::detail::estimatedMovieFileSize({640, 640}, 11, 5), 1258u);
    EXPECT_EQ(zt::detail::estimatedMovieFileSize({3840, 2160}, 11, 5), 3712u);
    EXPECT_EQ(zt::detail::estimatedMovieFileSize({800, 600}, 11, 5), 9223372036854775807u);
    EXPECT_EQ(zt::detail::estimatedMovieFileSize({640, 360}, 11, 0), 9223372036854775807u);
}

TEST(MovieExportTypes, BitRatesGoByTheHeight)
{
    EXPECT_EQ(zt::detail::averageBitRateForHeight(2160), 45000000);
    EXPECT_EQ(zt::detail::averageBitRateForHeight(1440), 15000000);
    EXPECT_EQ(zt::detail::averageBitRateForHeight(720), 7500000);
    EXPECT_EQ(zt::detail::averageBitRateForHeight(540), 4000000);
    EXPECT_EQ(zt::detail::averageBitRateForHeight(480), 2500000);
    EXPECT_EQ(zt::detail::averageBitRateForHeight(360), 1000000);
    EXPECT_EQ(zt::detail::averageBitRateForHeight(1080), 10000000);
    EXPECT_EQ(zt::detail::averageBitRateForHeight(640), 10000000);
}

}  // namespace
