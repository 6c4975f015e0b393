#include "render/AnimatedGifRenderer.h"

#include <sstream>

#include "RenderTestSupport.h"
#include "platform/foundation/UniformTypeIdentifiers.h"
#include "support/MountNamespace.h"
#include "support/Pillow.h"

namespace {

using plat::test::Rgba;

// Each movie frame a flat colour that names its index (up to 255 frames).
Rgba colourOfIndex(int index)
{
    return {(index % 16) * 16 + 8, (index / 16) * 32 + 16, 128, 255};
}

// Per GIF picture: its duration in ms and the render index its colour names.
constexpr const char* kReadGif = R"(
import sys
from PIL import Image, ImageSequence
im = Image.open(sys.argv[1])
print(im.format, im.n_frames, im.size[0], im.size[1], im.info.get('loop', 'once'))
for frame in ImageSequence.Iterator(im):
    r, g, b = frame.convert('RGB').getpixel((320, 180))
    print(frame.info.get('duration'), round((r - 8) / 16) + 16 * round((g - 16) / 32))
)";

struct GifContents {
    std::string format;
    int pictures = 0, width = 0, height = 0;
    std::string loop;
    std::vector<int> durations;
    std::vector<int> indices;
};

class GifExport : public zt::test::RenderProject {
protected:
    // count movie frames whose previews (the pictures a GIF reads) are flat colours.
    void addFrames(int count)
    {
        auto& list = project->getFrameList();
        addFlatPicture("F0", colourOfIndex(0), 64, 36);
        for (int i = 1; i < count; ++i) {
            std::string id = "F" + std::to_string(i);
            list.insertFrame(zt::Frame(zt::FrameTypePicture, id), list.getCaptureIndex());
            auto jpeg = plat::JPEGRepresentation(*plat::test::makeFlatImage(640, 360, colourOfIndex(i)), 1.0);
            ASSERT_TRUE(plat::writeFileAtomically(projectFile("preview-" + id + ".jpg"), *jpeg).ok());
        }
        EXPECT_TRUE(project->saveAllDataToDisk().ok());
    }
    GifContents read(const std::string& path)
    {
        auto output = plat::test::runPillow(plat::deletingLastPathComponent(path), kReadGif, {path});
        EXPECT_EQ(output.exitCode, 0) << output.output;
        std::istringstream lines(output.output);
        GifContents gif;
        lines >> gif.format >> gif.pictures >> gif.width >> gif.height >> gif.loop;
        int duration = 0, index = 0;
        while (lines >> duration >> index) {
            gif.durations.push_back(duration);
            gif.indices.push_back(index);
        }
        return gif;
    }
    std::shared_ptr<zt::MovieExportType> gifType(plat::Size size = {640, 360})
    {
        return std::make_shared<zt::MovieExportType>("Animated GIF", std::nullopt, size, plat::kUTTypeGIF, "gif");
    }

    std::shared_ptr<zt::AnimatedGifRenderer> renderer = std::make_shared<zt::AnimatedGifRenderer>(project);
};

TEST_F(GifExport, TenFramesLoopForEverAt640x360WhateverTheTypeSays)
{
    addFrames(10);
    ASSERT_TRUE(exportAndWait(*renderer, gifType({1280, 720})));
    EXPECT_EQ(completions, 1);
    ASSERT_EQ(renderer->status(), zt::MovieRendererStatusCompleted);
    EXPECT_FLOAT_EQ(renderer->progress(), 0.9f);
    ASSERT_TRUE(renderer->exportURL());
    EXPECT_EQ(renderer->exportURL()->pathExtension(), "gif");
    GifContents gif = read(renderer->exportURL()->path());
    EXPECT_EQ(gif.format, "GIF");
    EXPECT_EQ(gif.pictures, 10);
    EXPECT_EQ(gif.width, 640);
    EXPECT_EQ(gif.height, 360);
    EXPECT_EQ(gif.loop, "0");
    EXPECT_EQ(gif.durations, std::vector<int>(10, 200));
    EXPECT_EQ(gif.indices, (std::vector<int> {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST_F(GifExport, LongMoviesAreSpreadOverFiftyPictures)
{
    addFrames(119);
    ASSERT_TRUE(exportAndWait(*renderer, gifType()));
    ASSERT_EQ(renderer->status(), zt::MovieRendererStatusCompleted);
    GifContents gif = read(renderer->exportURL()->path());
    ASSERT_EQ(gif.pictures, 50);
    // Stride 2.38 in single precision.
    EXPECT_EQ(
        std::vector<int>(gif.indices.begin(), gif.indices.begin() + 7), (std::vector<int> {0, 2, 4, 7, 9, 11, 14}));
    EXPECT_EQ(gif.indices[48], 114);
    EXPECT_EQ(gif.indices[49], 116);
}

TEST_F(GifExport, FiftyOneFramesGiveFiftyPicturesEndingAtTheFiftieth)
{
    addFrames(51);
    ASSERT_TRUE(exportAndWait(*renderer, gifType()));
    GifContents gif = read(renderer->exportURL()->path());
    ASSERT_EQ(gif.pictures, 50);
    EXPECT_EQ(gif.indices.back(), 49);
}

TEST_F(GifExport, SixFramesASecondShowEachForASixth)
{
    addFrames(2);
    setMetadata("RecordFPS", 6);
    ASSERT_TRUE(exportAndWait(*renderer, gifType()));
    EXPECT_EQ(read(renderer->exportURL()->path()).durations, (std::vector<int> {170, 170}));
}

TEST_F(GifExport, AProjectWithoutFramesFailsAndStillCompletesOnTheMainQueue)
{
    ASSERT_TRUE(exportAndWait(*renderer, gifType()));
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(renderer->status(), zt::MovieRendererStatusFailed);
    EXPECT_EQ(renderer->error()->domain(), "AnimatedGifRenderer");
    EXPECT_EQ(renderer->error()->code(), 38);
    EXPECT_EQ(renderer->error()->localizedDescription(), "No frames found in project.");
}

TEST_F(GifExport, NoPictureToWriteIsAFailure)
{
    addFrames(3);
    for (const char* id : {"F0", "F1", "F2"}) {
        (void)plat::removeItem(projectFile(std::string("preview-") + id + ".jpg"));
        (void)plat::removeItem(projectFile(std::string("frame-") + id + ".jpg"));
    }
    ASSERT_TRUE(exportAndWait(*renderer, gifType()));
    EXPECT_EQ(renderer->status(), zt::MovieRendererStatusFailed);
    EXPECT_EQ(renderer->error()->code(), 39);
}

TEST_F(GifExport, CancellingLeavesTheLastGifAsItWas)
{
    addFrames(8);
    ASSERT_TRUE(exportAndWait(*renderer, gifType()));
    const std::string path = renderer->exportURL()->path();
    const auto last = plat::readFile(path).value();
    auto bytes = plat::readFile(projectFile("preview-F3.jpg")).value();
    blockReadingOf("preview-F3.jpg");
    auto cancelled = std::make_shared<zt::AnimatedGifRenderer>(project);
    bool waiting = false;
    completions = 0;
    cancelled->exportProjectWithExportType(gifType(), [this, &waiting] {
        ++completions;
        if (waiting)
            plat::RunLoop::main().stop();
    });
    // The loop waits for the fourth picture; the cancel comes before it goes on.
    EXPECT_TRUE(whenBlockedFileIsRead(bytes, [&] { cancelled->cancelExport(); }));
    ASSERT_TRUE(waitForCompletion(waiting));
    EXPECT_EQ(cancelled->status(), zt::MovieRendererStatusCancelled);
    EXPECT_EQ(plat::readFile(path).value(), last);
    EXPECT_EQ(plat::contentsOfDirectory(plat::deletingLastPathComponent(path)).value(),
        std::vector<std::string> {plat::lastPathComponent(path)});
}

// A real disk without a byte of room: the render cache on a full tmpfs in a
// namespace of our own, where the GIF's very first write fails.
TEST_F(GifExport, ADiskWithNoRoomAtAllFailsWithTheSystemsReason)
{
    const auto run = plat::test::runInOwnMountNamespace();
    if (run == plat::test::MountNamespaceRun::NotPermitted)
        GTEST_SKIP() << "unshare -rm is not permitted here, so no tmpfs can be mounted without root";
    if (run == plat::test::MountNamespaceRun::Elsewhere)
        return;
    addFrames(3);
    const std::string cache = zt::MovieRenderer::renderCacheDirectory();
    ASSERT_TRUE(plat::createDirectory(cache, plat::IntermediateDirectories::Yes).ok());
    plat::test::FullDisk full(cache);
    ASSERT_TRUE(full.ok()) << full.error();

    ASSERT_TRUE(exportAndWait(*renderer, gifType()));
    EXPECT_EQ(renderer->status(), zt::MovieRendererStatusFailed);
    ASSERT_TRUE(renderer->error());
    EXPECT_EQ(renderer->error()->localizedDescription(), "Error writing animated GIF. No space left on device.");
}

TEST_F(GifExport, TheEstimateCountsEveryEntry)
{
    addFrames(10);  // 11 entries with the placeholder
    EXPECT_EQ(renderer->getEstimatedFileSizeAfterExportforType(*gifType()), 3712u);
    auto types = renderer->getSupportedExportTypes();
    ASSERT_EQ(types.size(), 1u);
    EXPECT_EQ(types[0]->title(), "Animated GIF");
    EXPECT_EQ(types[0]->size(), (plat::Size {640, 360}));
    EXPECT_EQ(renderer->getSupportedUTI(), plat::kUTTypeGIF);
}

}  // namespace
