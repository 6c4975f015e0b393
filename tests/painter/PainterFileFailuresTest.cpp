// Painter files that cannot be opened and a disk that fills during a save,
// met for real: a file of modes 000 for a process without the rights to
// pass over them, and a small tmpfs that is all but full.
#include <gtest/gtest.h>

#include "PainterScreenTestSupport.h"
#include "editor/FramePasteCopier.h"
#include "painter/PaintToolViewController.h"
#include "painter/PaintingView.h"
#include "platform/graphics/ImageRepresentation.h"
#include "support/Idioms.h"
#include "support/MountNamespace.h"
#include "support/UnreadableFile.h"

namespace {

using plat::UserInterfaceIdiom;

const std::string paintingUnread = "\nThe frame keeps its picture with the painting in it, but its strokes can no "
                                   "longer be changed. What you paint now goes over the picture.";

class PainterFileFailures : public zt::test::PainterScreenTest,
                            public ::testing::WithParamInterface<UserInterfaceIdiom> {
protected:
    PainterFileFailures()
        : PainterScreenTest(GetParam())
    {
    }

    // The frame with a stroke of the pen across the middle of the canvas; in two layers
    // with one along the top in front; in none, as before layers, in its strokes file only.
    void paintFrame(int64_t frame, int layers = 1)
    {
        openPainter(frame);
        painter->paintToolDidSelectTool(zt::kPaintToolPen);
        paintAcrossTheCanvasMiddle();
        if (layers == 2) {
            ASSERT_TRUE(painter->painterLayerManager()->addLayerAtIndex(0));
            paintAcross();
        }
        closePainter();
        const std::string list = zt::PainterFiles::layersFileName(*project->getFrameList().getFrameIDAtIndex(frame));
        ASSERT_TRUE(layers != 0 || project->removeRegularFileWithPreferredFilename(list));
    }
    // A stroke at that part of the canvas's height; by default along the top, away from the middle.
    void paintAcross(double height = 0.2, double halfWidth = 0.2)
    {
        const plat::Size canvas = painter->drawingView()->bounds().size;
        std::vector<plat::Point> points;
        for (double x = canvas.width * (0.5 - halfWidth); x <= canvas.width * (0.5 + halfWidth); x += 6)
            points.push_back({x, canvas.height * height});
        paint(points);
    }
    // The pixels of a red frame's picture that are painted.
    int64_t paintedPixels(const std::string& frameID) const
    {
        auto shown = picture("frame-" + frameID + ".jpg");
        auto red = plat::test::makeFlatImage(zt::test::kFrameWidth, zt::test::kFrameHeight, zt::test::kRed);
        return shown ? plat::test::differingPixels(*shown, *red, 24) : 0;
    }
    size_t strokesOnTheCanvas() const
    {
        auto canvas = std::dynamic_pointer_cast<zt::PaintingView>(painter->drawingView());
        return canvas ? canvas->strokeBuffer().size() : 0;
    }
    std::string pathOf(const std::string& fileName) const { return *project->getProjectPath() + "/" + fileName; }
};

}  // namespace

// Each file is set aside at the opening as a damaged one is, the painting
// comes back as far as the other files hold it, and what is painted then is
// saved and opens again.
TEST_P(PainterFileFailures, AFileThatCannotBeOpenedIsSetAsideToldAndTheNextSaveOpensAgain)
{
    makeProject({zt::test::kRed, zt::test::kBlue, zt::test::kGreen, zt::test::kRed});
    struct Case {
        const char* what;
        int64_t frame;
        std::function<std::string(const std::string& frameID)> file;
        std::string told;
        size_t strokesLater;  // on the canvas at the later opening
    };
    const Case cases[] = {
        {"a layer's picture", 3,
            [&](const std::string& id) { return zt::PainterFiles::layerPictureFileName(id, frontLayerID(id)); },
            "A layer's picture could not be read.\nIt is kept aside, and the layer is drawn again from its strokes.",
            2},
        {"the strokes", 2, zt::PainterFiles::canvasFileName,
            "A file of the painting could not be read.\nIt is kept aside, and the painting is read from its layers.",
            2},
        {"the unpainted picture", 1, zt::PainterFiles::unpaintedPictureFileName,
            "The picture under the painting could not be read." + paintingUnread, 1},
        {"the layer list", 0, zt::PainterFiles::layersFileName,
            "The painting's layers could not be read." + paintingUnread, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        paintFrame(c.frame);
        const std::string file = c.file(*project->getFrameList().getFrameIDAtIndex(c.frame));
        plat::test::UnreadableFile locked(pathOf(file));
        ASSERT_TRUE(locked.applied());
        openPainter(c.frame);
        EXPECT_EQ(closeAlert(), c.told);
        EXPECT_TRUE(plat::fileExists(pathOf(file + ".damaged")));
        paintAcross();
        closePainter();
        EXPECT_EQ(closeAlert(), "<no alert>") << "the save";
        openPainter(c.frame);
        EXPECT_EQ(closeAlert(), "<no alert>") << "the later opening";
        EXPECT_EQ(strokesOnTheCanvas(), c.strokesLater);
        closePainter();
    }
}

// Opened again with nothing painted in between, the painting comes back as
// the first opening brought it, and what is painted then goes over it once.
TEST_P(PainterFileFailures, ASecondOpeningReadsThePaintingAsTheFirstDid)
{
    makeProject({zt::test::kRed, zt::test::kRed, zt::test::kRed});
    const std::string layersUnread = "The painting's layers could not be read." + paintingUnread;
    const struct {
        int64_t frame;
        int layers;
        std::function<std::string(const std::string& frameID)> file;
        std::string told;
    } cases[] = {
        {0, 0, zt::PainterFiles::canvasFileName, layersUnread},
        {1, 2, zt::PainterFiles::layersFileName, layersUnread},
        {2, 1, zt::PainterFiles::unpaintedPictureFileName,
            "The picture under the painting could not be read." + paintingUnread},
    };
    for (const auto& c : cases) {
        paintFrame(c.frame, c.layers);
        const std::string id = *project->getFrameList().getFrameIDAtIndex(c.frame);
        SCOPED_TRACE(c.file(id));
        const int64_t painted = paintedPixels(id);
        plat::test::UnreadableFile locked(pathOf(c.file(id)));
        ASSERT_TRUE(locked.applied());
        openPainter(c.frame);
        closeAlert();
        closePainter();
        openPainter(c.frame);
        EXPECT_EQ(closeAlert(), c.told) << "the second opening";
        EXPECT_EQ(strokesOnTheCanvas(), 0u) << "none over the picture that holds the painting";
        paintAcross(0.7, 0.05);  // a quarter as long as the painting's stroke across the middle
        closePainter();
        EXPECT_GT(paintedPixels(id), painted) << "the painting and the new stroke";
    }
}

// A pasted copy of a frame whose layer list cannot be read is painted on as
// the frame is: over the whole painting, which its picture holds.
TEST_P(PainterFileFailures, APastedCopyOfAFrameWhoseLayersCannotBeReadKeepsThePainting)
{
    makeProject({zt::test::kRed, zt::test::kBlue});
    paintFrame(0, 2);
    const int64_t painted = paintedPixels("F1");
    plat::test::UnreadableFile locked(pathOf("canvas-F1.layers"));
    ASSERT_TRUE(locked.applied());
    const std::string folder = *project->getProjectPath();
    ASSERT_FALSE(zt::FramePasteCopier::copyFrame(folder, folder, {zt::FrameTypePicture, "F1", "F3"}));
    project->getFrameList().insertFrame(zt::Frame(zt::FrameTypePicture, "F3"), 1);
    openPainter(1);
    paintAcross(0.7, 0.05);
    closePainter();
    EXPECT_GT(paintedPixels("F3"), painted);
}

// The frame's preview and thumbnail are written anew by every save without
// being read: ones that cannot be opened are replaced by ones that can.
TEST_P(PainterFileFailures, ASaveReplacesFilesThatCannotBeOpened)
{
    makeProject({zt::test::kRed, zt::test::kBlue});
    const std::pair<int64_t, std::string> cases[] = {{0, "preview-F1.jpg"}, {1, "thumb-F2.jpg"}};
    for (const auto& [frame, file] : cases) {
        SCOPED_TRACE(file);
        plat::test::UnreadableFile locked(pathOf(file));
        ASSERT_TRUE(locked.applied());
        paintFrame(frame);
        EXPECT_EQ(closeAlert(), "<no alert>") << "the save";
        EXPECT_TRUE(picture(file));
    }
}

// A first painting copies the frame's picture, here one of a photograph's
// detail, as its unpainted picture: the copy is the first to meet the full disk.
TEST_P(PainterFileFailures, ASaveOnANearlyFullDiskSaysWhyInWords)
{
    const auto run = plat::test::runInOwnMountNamespace();
    if (run == plat::test::MountNamespaceRun::NotPermitted)
        GTEST_SKIP() << "unshare -rm is not permitted here, so no small disk can be mounted without root";
    if (run == plat::test::MountNamespaceRun::Elsewhere)
        return;
    plat::test::SmallDisk disk(sandbox.documents(), "4m");
    ASSERT_TRUE(disk.ok()) << disk.error();
    ASSERT_TRUE(zt::HelpStateFile::recordShown("PaintColor").ok());
    makeProject({zt::test::kRed});
    auto detail = plat::test::makeImage(1280, 720, [](int x, int y) {
        const uint32_t noise = (static_cast<uint32_t>(x) * 2654435761u) ^ (static_cast<uint32_t>(y) * 40503u);
        return plat::test::Rgba {
            static_cast<uint8_t>(noise), static_cast<uint8_t>(noise >> 8), static_cast<uint8_t>(noise >> 16), 255};
    });
    ASSERT_TRUE(project->updateRegularFileWithContents(*plat::JPEGRepresentation(*detail, 1.0), "frame-F1.jpg"));
    plat::test::FilledDisk filled(sandbox.documents(), 100 * 1024);
    ASSERT_TRUE(filled.ok()) << filled.error();
    paintFrame(0);
    EXPECT_EQ(closeAlert(), "The painting could not be saved.\nNo space left on device.");
}

INSTANTIATE_TEST_SUITE_P(Idioms, PainterFileFailures, plat::test::bothIdioms(), plat::test::idiomName);
