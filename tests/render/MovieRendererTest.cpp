#include "render/MovieRenderer.h"

#include "RenderTestSupport.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Sandbox.h"
#include "platform/media/AssetExportSession.h"
#include "platform/media/MediaConstants.h"
#include "platform/ui/Device.h"
#include "platform/ui/testing/UIScope.h"
#include "render/ApplicationIdleTimer.h"
#include "render/Check4KReady.h"
#include "support/MediaTools.h"

namespace {

using zt::test::movieType;

// A renderer whose export only notes how and where its work ran.
class NotingRenderer : public zt::MovieRenderer {
public:
    using MovieRenderer::MovieRenderer;
    void renderMovie() override
    {
        ranOnMainThread = plat::isMainThread();
        idleTimerWasOff = zt::ApplicationIdleTimer::isIdleTimerDisabled();
        setStatus(zt::MovieRendererStatusRendering);
        setProgress(0.5f);
        setStatus(zt::MovieRendererStatusCompleted);
    }
    std::atomic<bool> ranOnMainThread {true};
    std::atomic<bool> idleTimerWasOff {false};
};

class RendererContract : public zt::test::RenderProject {
protected:
    std::string exportFolder() const
    {
        return plat::appendingPathComponent(
            plat::appendingPathComponent(plat::Sandbox::current()->cachesDirectory(), "rendercache"),
            plat::lastPathComponent(*project->getProjectPath()));
    }
};

TEST_F(RendererContract, ExportsRunOnTheRenderQueueAndCompleteOnTheMainQueue)
{
    addFlatPicture("A", {1, 2, 3, 255});
    auto renderer = std::make_shared<NotingRenderer>(project);
    EXPECT_EQ(renderer->status(), zt::MovieRendererStatusUnknown);
    ASSERT_TRUE(exportAndWait(*renderer, movieType({320, 180})));
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(renderer->ranOnMainThread);
    EXPECT_TRUE(renderer->idleTimerWasOff);
    EXPECT_FALSE(zt::ApplicationIdleTimer::isIdleTimerDisabled());
    EXPECT_EQ(renderer->status(), zt::MovieRendererStatusCompleted);
    EXPECT_FLOAT_EQ(renderer->progress(), 0.5f);
}

TEST_F(RendererContract, TheExportFileIsNamedByTheCleanedTitle)
{
    addFlatPicture("A", {1, 2, 3, 255});
    auto renderer = std::make_shared<zt::MovieRenderer>(project);
    auto type = movieType({320, 180});
    project->getMetaData()->remove("RecordName");
    plat::URL url = renderer->getExportURLForExportType(*type);
    EXPECT_EQ(url.path(), plat::appendingPathComponent(exportFolder(), "My_Plovix_Movie.mov"));
    EXPECT_TRUE(plat::isDirectory(exportFolder()));
    project->getMetaData()->set("RecordName", "Summer, at the lake?");
    EXPECT_EQ(renderer->getExportURLForExportType(*type).lastPathComponent(), "Summer_at_the_lake.mov");
    // A title that cleans down to nothing would make the hidden file ".mov".
    for (const char* title : {"", "...", "?*:"}) {
        project->getMetaData()->set("RecordName", title);
        EXPECT_EQ(renderer->getExportURLForExportType(*type).lastPathComponent(), "My_Plovix_Movie.mov") << title;
    }
    // The same project, title and type always give the same file.
    EXPECT_EQ(renderer->getExportURLForExportType(*type), renderer->getExportURLForExportType(*movieType({640, 360})));
}

TEST_F(RendererContract, TheBaseKnowsNothingOfTypesOrSizes)
{
    zt::MovieRenderer renderer(project);
    EXPECT_FALSE(renderer.getSupportedUTI());
    EXPECT_TRUE(renderer.getSupportedExportTypes().empty());
    EXPECT_EQ(renderer.getEstimatedFileSizeAfterExportforType(*movieType({640, 360})), 9223372036854775807u);
    EXPECT_FALSE(renderer.getNeedsAudioMixing());
    EXPECT_FALSE(renderer.getPreparedMovieForExportType(*movieType({640, 360})));
    EXPECT_FALSE(zt::MovieRenderer::isFileAtPath("/any/file.mov", *movieType({640, 360})));
    renderer.cancelExport();
    EXPECT_EQ(renderer.status(), zt::MovieRendererStatusCancelled);
}

TEST(MovieSizes, TheLargestSizeFollowsThePresetsAndThe4KTest)
{
    auto all = plat::AssetExportSession::allExportPresets();
    EXPECT_EQ(zt::detail::maximumResolution(false, {}), (plat::Size {0, 0}));
    EXPECT_EQ(zt::detail::maximumResolution(true, {}), (plat::Size {3840, 2160}));
    EXPECT_EQ(zt::detail::maximumResolution(false, all), (plat::Size {1920, 1080}));
    EXPECT_EQ(
        zt::detail::maximumResolution(false, {plat::kAssetExportPreset960x540, plat::kAssetExportPresetLowQuality}),
        (plat::Size {960, 540}));
    EXPECT_EQ(zt::detail::maximumResolution(false, {plat::kAssetExportPresetLowQuality}), (plat::Size {640, 360}));
    // This machine is no phone: no 4K, every preset.
    EXPECT_EQ(zt::MovieRenderer::getMaximumResolutionAvailable(), (plat::Size {1920, 1080}));
}

TEST(MovieSizes, OnlyThePresetSizesAreAvailable)
{
    for (plat::Size size : {plat::Size {640, 360}, plat::Size {640, 480}, plat::Size {960, 540}, plat::Size {1280, 720},
             plat::Size {1920, 1080}})
        EXPECT_TRUE(zt::MovieRenderer::isResolutionAvailable(size)) << size.width;
    for (plat::Size size : {plat::Size {3840, 2160}, plat::Size {640, 640}, plat::Size {800, 600}})
        EXPECT_FALSE(zt::MovieRenderer::isResolutionAvailable(size)) << size.width;
    EXPECT_FALSE(zt::detail::isResolutionInPresets({1280, 720}, {plat::kAssetExportPreset1920x1080}));
    EXPECT_EQ(zt::MovieRenderer::getAVAssetExportPresetForSize({640, 640}), plat::kAssetExportPreset1280x720);
    EXPECT_EQ(zt::MovieRenderer::getAVAssetExportPresetForSize({640, 360}), plat::kAssetExportPresetLowQuality);
    EXPECT_EQ(zt::MovieRenderer::getAVAssetExportPresetForSize({1920, 1080}), plat::kAssetExportPreset1920x1080);
    EXPECT_FALSE(zt::MovieRenderer::getAVAssetExportPresetForSize({3840, 2160}));
}

TEST(Check4KReady, NewerDevicesOnSystem8Render4K)
{
    EXPECT_FALSE(zt::Check4KReady::canRender4KResolution("iPhone5,1", "8.1"));
    EXPECT_TRUE(zt::Check4KReady::canRender4KResolution("iPhone7,2", "8.0"));
    EXPECT_TRUE(zt::Check4KReady::canRender4KResolution("iPad4,1", "8.0"));
    EXPECT_FALSE(zt::Check4KReady::canRender4KResolution("iPad3,4", "9.0"));
    EXPECT_TRUE(zt::Check4KReady::canRender4KResolution("iPod7,1", "8.4"));
    EXPECT_FALSE(zt::Check4KReady::canRender4KResolution("iPhone8,1", "7.1"));
    EXPECT_FALSE(zt::Check4KReady::canRender4KResolution("x86_64", "8.0"));
    EXPECT_FALSE(zt::Check4KReady::platform().empty());
    EXPECT_FALSE(zt::Check4KReady::canRender4KResolution());
}

TEST(Check4KReady, ReadsTheDevicesMachineAndSystem)
{
    plat::test::UIScope ui;
    auto useMachine = [](const std::string& machine) {
        plat::Device device;
        device.setMachine(machine);
        plat::Device::setCurrentDevice(device);
    };
    useMachine("iPhone7,2");
    EXPECT_EQ(zt::Check4KReady::platform(), "iPhone7,2");
    EXPECT_TRUE(zt::Check4KReady::canRender4KResolution());
    useMachine("iPhone5,1");
    EXPECT_FALSE(zt::Check4KReady::canRender4KResolution());
    plat::Device older(plat::UserInterfaceIdiom::Phone, "7.1");
    older.setMachine("iPhone7,2");
    plat::Device::setCurrentDevice(older);
    EXPECT_FALSE(zt::Check4KReady::canRender4KResolution()) << "system 7";
}

TEST(PreparedMovies, AFolderHoldsOneWhenTheMovieAndTheProjectSaySo)
{
    plat::test::TemporaryFolder folder;
    auto made = plat::test::runFFmpeg(folder.path(),
        {"-f", "lavfi", "-i", "testsrc=size=320x240:rate=5:duration=1", "-c:v", "libx264", "-pix_fmt", "yuv420p",
            "plovix.mov"});
    ASSERT_EQ(made.exitCode, 0) << made.output;
    EXPECT_TRUE(zt::MovieRenderer::isVideoAtPath(folder.path(), {320, 240}));
    EXPECT_TRUE(zt::MovieRenderer::isVideoAtPath(folder.path(), {240, 320}));
    EXPECT_TRUE(zt::MovieRenderer::isVideoAtPath(folder.path(), {-1, -1}));
    EXPECT_FALSE(zt::MovieRenderer::isVideoAtPath(folder.path(), {640, 480}));
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("plovix.meta"),
        plat::PropertyListSerialization::dataWithPropertyList(
            plat::Dictionary {{"RecordNeedsRendering", true}}, plat::PropertyListFormat::XML)
            .value())
                    .ok());
    EXPECT_FALSE(zt::MovieRenderer::isVideoAtPath(folder.path(), {320, 240}));
    // A movie whose pictures each last two seconds is no prepared movie.
    plat::test::TemporaryFolder slow;
    auto slowMade = plat::test::runFFmpeg(slow.path(),
        {"-f", "lavfi", "-i", "testsrc=size=320x240:rate=1:duration=4", "-c:v", "libx264", "-r", "0.5", "plovix.mov"});
    ASSERT_EQ(slowMade.exitCode, 0) << slowMade.output;
    EXPECT_FALSE(zt::MovieRenderer::isVideoAtPath(slow.path(), {-1, -1}));
    EXPECT_FALSE(zt::MovieRenderer::isVideoAtPath(folder.path("nothing"), {-1, -1}));
}

}  // namespace
