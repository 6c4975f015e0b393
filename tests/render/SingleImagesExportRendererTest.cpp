#include "render/SingleImagesExportRenderer.h"

#include <sstream>

#include "RenderTestSupport.h"
#include "platform/foundation/Sandbox.h"
#include "support/Pillow.h"

namespace {

using plat::test::Rgba;

const Rgba kRed {220, 40, 40, 255};
const Rgba kGreen {40, 200, 60, 255};
const Rgba kBlue {30, 60, 210, 255};

class ImagesExport : public zt::test::RenderProject {
protected:
    std::shared_ptr<zt::MovieExportType> imagesType() { return renderer->getSupportedExportTypes().front(); }
    std::vector<std::string> exportedFiles()
    {
        auto names = plat::contentsOfDirectory(renderer->exportURL()->path());
        return names.ok() ? names.value() : std::vector<std::string> {};
    }

    std::shared_ptr<zt::SingleImagesExportRenderer> renderer
        = std::make_shared<zt::SingleImagesExportRenderer>(project);
};

TEST_F(ImagesExport, EveryMovieFrameBecomesANumberedJPEGOfItsStoredSize)
{
    addFlatPicture("A", kRed, 400, 300);
    auto& frames = project->getFrameList();
    frames.addFrame(zt::Frame(zt::FrameTypePicture, "B"));
    ASSERT_TRUE(producer.storeImage(*plat::test::makeFlatImage(320, 180, kGreen), "B"));
    // [A, placeholder, B]
    ASSERT_TRUE(exportAndWait(*renderer, imagesType()));
    EXPECT_EQ(completions, 1);
    ASSERT_EQ(renderer->status(), zt::MovieRendererStatusCompleted);
    EXPECT_FLOAT_EQ(renderer->progress(), 0.5f);
    EXPECT_EQ(renderer->exportURL()->pathExtension(), "export");
    EXPECT_EQ(exportedFiles(), (std::vector<std::string> {"frame-00000.jpg", "frame-00001.jpg"}));
    auto output = plat::test::runPillow(renderer->exportURL()->path(), R"(
import sys
from PIL import Image
for name in ('frame-00000.jpg', 'frame-00001.jpg'):
    im = Image.open(sys.argv[1] + '/' + name)
    r, g, b = im.convert('RGB').getpixel((im.size[0] // 2, im.size[1] // 2))
    print(im.format, im.size[0], im.size[1], im.quantization[0][0], r, g, b)
)",
        {renderer->exportURL()->path()});
    ASSERT_EQ(output.exitCode, 0) << output.output;
    std::istringstream lines(output.output);
    for (auto [width, height, colour] : {std::tuple {400, 300, kRed}, std::tuple {320, 180, kGreen}}) {
        std::string format;
        int w = 0, h = 0, quantiser = 0;
        Rgba seen {0, 0, 0, 255};
        lines >> format >> w >> h >> quantiser >> seen[0] >> seen[1] >> seen[2];
        EXPECT_EQ(format, "JPEG");
        EXPECT_EQ(w, width);
        EXPECT_EQ(h, height);
        EXPECT_EQ(quantiser, 1);  // quality 1.0
        EXPECT_LE(plat::test::componentDistance(seen, colour), 3);
    }
}

TEST_F(ImagesExport, ASecondExportReplacesTheFirstAndMissingPicturesLeaveGaps)
{
    addFlatPicture("A", kRed);
    addFlatPicture("B", kGreen);
    addFlatPicture("C", kBlue);
    ASSERT_TRUE(exportAndWait(*renderer, imagesType()));
    EXPECT_EQ(exportedFiles().size(), 3u);
    ASSERT_TRUE(plat::removeItem(projectFile("frame-B.jpg")).ok());
    auto again = std::make_shared<zt::SingleImagesExportRenderer>(project);
    ASSERT_TRUE(exportAndWait(*again, imagesType()));
    EXPECT_EQ(again->status(), zt::MovieRendererStatusCompleted);
    EXPECT_EQ(exportedFiles(), (std::vector<std::string> {"frame-00000.jpg", "frame-00002.jpg"}));
}

TEST_F(ImagesExport, NothingWrittenIsAFailure)
{
    ASSERT_TRUE(exportAndWait(*renderer, imagesType()));
    EXPECT_EQ(renderer->status(), zt::MovieRendererStatusFailed);
    EXPECT_EQ(renderer->error()->domain(), "SingleImagesExportRenderer");
    EXPECT_EQ(renderer->error()->code(), 38);

    addFlatPicture("A", kRed);
    ASSERT_TRUE(plat::removeItem(projectFile("frame-A.jpg")).ok());
    auto allMissing = std::make_shared<zt::SingleImagesExportRenderer>(project);
    ASSERT_TRUE(exportAndWait(*allMissing, imagesType()));
    EXPECT_EQ(allMissing->status(), zt::MovieRendererStatusFailed);
    EXPECT_EQ(allMissing->error()->code(), 39);
}

TEST_F(ImagesExport, AFolderThatCannotBeWrittenFailsTheExport)
{
    addFlatPicture("A", kRed);
    std::string caches = plat::appendingPathComponent(plat::Sandbox::current()->cachesDirectory(), "rendercache");
    ASSERT_TRUE(plat::createDirectory(caches, plat::IntermediateDirectories::Yes).ok());
    ASSERT_TRUE(plat::writeFileAtomically(
        plat::appendingPathComponent(caches, plat::lastPathComponent(*project->getProjectPath())), std::string("x"))
                    .ok());
    ASSERT_TRUE(exportAndWait(*renderer, imagesType()));
    EXPECT_EQ(renderer->status(), zt::MovieRendererStatusFailed);
    EXPECT_EQ(renderer->error()->code(), 39);
    ASSERT_TRUE(renderer->error()->underlyingError()) << "the folder's own failure says why";
    EXPECT_EQ(renderer->error()->underlyingError()->code(), ENOTDIR);
}

TEST_F(ImagesExport, CancellingLeavesTheLastPicturesAsTheyWere)
{
    addFlatPicture("A", kRed);
    addFlatPicture("B", kGreen);
    ASSERT_TRUE(exportAndWait(*renderer, imagesType()));
    const std::string folder = renderer->exportURL()->path();
    const auto lastB = plat::readFile(folder + "/frame-00001.jpg").value();
    addFlatPicture("C", kBlue);
    ASSERT_TRUE(producer.storeImage(*plat::test::makeFlatImage(320, 180, kRed), "B"));
    auto bytes = plat::readFile(projectFile("frame-B.jpg")).value();
    blockReadingOf("frame-B.jpg");
    auto cancelled = std::make_shared<zt::SingleImagesExportRenderer>(project);
    bool waiting = false;
    completions = 0;
    cancelled->exportProjectWithExportType(imagesType(), [this, &waiting] {
        ++completions;
        if (waiting)
            plat::RunLoop::main().stop();
    });
    EXPECT_TRUE(whenBlockedFileIsRead(bytes, [&] { cancelled->cancelExport(); }));
    ASSERT_TRUE(waitForCompletion(waiting));
    EXPECT_EQ(cancelled->status(), zt::MovieRendererStatusCancelled);
    EXPECT_EQ(exportedFiles(), (std::vector<std::string> {"frame-00000.jpg", "frame-00001.jpg"}));
    EXPECT_EQ(plat::readFile(folder + "/frame-00001.jpg").value(), lastB);
    EXPECT_EQ(plat::contentsOfDirectory(plat::deletingLastPathComponent(folder)).value(),
        std::vector<std::string> {plat::lastPathComponent(folder)})
        << "the pictures written before the cancel are gone";
}

TEST_F(ImagesExport, TheEstimateCountsEveryEntry)
{
    for (const char* id : {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J"})
        project->getFrameList().addFrame(zt::Frame(zt::FrameTypePicture, id));
    EXPECT_EQ(renderer->getEstimatedFileSizeAfterExportforType(*imagesType()), 212u + 11u * 1750u);
    EXPECT_EQ(imagesType()->UTI(), "com.quorvane.plovix.all-images");
    EXPECT_EQ(imagesType()->title(), "Export All Images");
}

}  // namespace
