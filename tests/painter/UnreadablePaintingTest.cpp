// A painted frame whose painter files are damaged: the painter cannot take
// the painting back and says so; the frame's pictures, which still show it,
// stay as they are unless something is painted, and what is painted then
// goes over them.
#include <gtest/gtest.h>

#include "PainterScreenTestSupport.h"
#include "painter/PaintToolViewController.h"
#include "painter/PainterLayerManager.h"
#include "painter/PaintingView.h"

namespace {

using plat::test::componentDistance;

using zt::test::kBlue;
using zt::test::kGreen;
using zt::test::kPen;
using zt::test::kRed;
const std::string kUnreadable = "The painting's layers could not be read.\n"
                                "The frame keeps its picture with the painting in it, but its strokes can no longer "
                                "be changed. What you paint now goes over the picture.";
const std::string kUnpaintedUnreadable = "The picture under the painting could not be read.\n"
                                         "The frame keeps its picture with the painting in it, but its strokes can "
                                         "no longer be changed. What you paint now goes over the picture.";

class UnreadablePainting : public zt::test::PainterScreenTest {
protected:
    UnreadablePainting() { makeProject({kRed, kBlue, kGreen}); }

    // The frame with a stroke of the pen across its middle.
    void paintFrame(int64_t frame)
    {
        openPainter(frame);
        painter->paintToolDidSelectTool(zt::kPaintToolPen);
        paintAcrossTheMiddle();
        closePainter();
    }
    void cutFile(const std::string& name, size_t size)
    {
        auto bytes = project->fileDataForFileWithPreferredFilename(name);
        ASSERT_TRUE(bytes && bytes->size() > size) << name;
        bytes->resize(size);
        ASSERT_TRUE(project->updateRegularFileWithContents(*bytes, name));
    }
    void replaceFile(const std::string& name, const plat::Data& bytes)
    {
        ASSERT_TRUE(project->updateRegularFileWithContents(bytes, name)) << name;
    }
    plat::Data bytesOf(const std::string& name) const
    {
        return project->fileDataForFileWithPreferredFilename(name).value_or(plat::Data {});
    }
    // The bytes of the frame's picture, preview and thumbnail.
    std::vector<plat::Data> pictures(const std::string& frameID) const
    {
        std::vector<plat::Data> bytes;
        for (const std::string kind : {"frame-", "preview-", "thumb-"})
            bytes.push_back(
                project->fileDataForFileWithPreferredFilename(kind + frameID + ".jpg").value_or(plat::Data {}));
        return bytes;
    }
};

}  // namespace

// Opened twice: the damaged file is kept aside the first time, and the
// painting is no more readable the second.
TEST_F(UnreadablePainting, BackLeavesTheFramesPicturesAsTheyAreAndThePersonIsTold)
{
    struct Damage {
        const char* what;
        int64_t frame;
        std::function<void(const std::string& frameID)> make;
    };
    const Damage damages[] = {
        {"its layer list cut short", 0,
            [&](const std::string& id) { cutFile(zt::PainterFiles::layersFileName(id), 200); }},
        {"a layer's strokes cut short", 1,
            [&](const std::string& id) {
                cutFile(zt::PainterFiles::layerStrokesFileName(id, frontLayerID(id)), 3000);
            }},
        {"the strokes of a frame without layers cut short", 2,
            [&](const std::string& id) {
                ASSERT_TRUE(project->removeRegularFileWithPreferredFilename(zt::PainterFiles::layersFileName(id)));
                cutFile(zt::PainterFiles::canvasFileName(id), 200);
            }},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        paintFrame(damage.frame);
        const std::string id = *project->getFrameList().getFrameIDAtIndex(damage.frame);
        damage.make(id);
        const auto before = pictures(id);
        for (int opening = 1; opening <= 2; ++opening) {
            openPainter(damage.frame);
            EXPECT_EQ(closeAlert(), kUnreadable) << "opening " << opening;
            closePainter();
            EXPECT_TRUE(pictures(id) == before) << "opening " << opening;
        }
    }
}

// Nothing painted before is lost: the frame's picture, which still shows it,
// is painted on, and becomes the picture the next opening paints on.
TEST_F(UnreadablePainting, WhatIsPaintedThenGoesOverThePictureThatShowsThePainting)
{
    paintFrame(1);
    cutFile(zt::PainterFiles::layersFileName("F2"), 200);
    openPainter(1);
    EXPECT_EQ(closeAlert(), kUnreadable);
    paint({{60, 60}, {100, 60}, {140, 60}, {180, 60}, {220, 60}});
    closePainter();
    // The canvas's (140, 60) is the picture's (79, 34) on a phone.
    auto painted = picture("frame-F2.jpg");
    ASSERT_TRUE(painted);
    EXPECT_LE(componentDistance(middleOf("frame-F2.jpg"), kPen), 24) << "the first painting";
    EXPECT_GT(componentDistance(plat::test::pixelAt(*painted, 79, 34), kBlue), 100) << "the second";
    EXPECT_LE(componentDistance(middleOf("canvas-F2.jpg"), kPen), 24) << "painted on from now on";

    openPainter(1);
    EXPECT_EQ(closeAlert(), "<no alert>");
    auto canvas = std::dynamic_pointer_cast<zt::PaintingView>(painter->drawingView());
    ASSERT_TRUE(canvas);
    EXPECT_EQ(canvas->strokeBuffer().size(), 1u) << "the second painting, to change";
    closePainter();
    EXPECT_LE(componentDistance(middleOf("frame-F2.jpg"), kPen), 24);
    EXPECT_GT(componentDistance(plat::test::pixelAt(*picture("frame-F2.jpg"), 79, 34), kBlue), 100);
}

// Every visit, with nothing painted, leaves the frame's pictures as they
// are; painting then goes over the picture that has the strokes in it,
// never drawing them a second time.
TEST_F(UnreadablePainting, ADamagedUnpaintedPictureIsKeptAsideAndTheStrokesAreNotPaintedTwice)
{
    const std::string text = "not a picture";
    struct Damage {
        const char* what;
        int64_t frame;
        std::function<plat::Data(plat::Data)> make;
    };
    const Damage damages[] = {
        {"empty", 0, [](plat::Data) { return plat::Data {}; }},
        {"cut short", 1,
            [](plat::Data bytes) {
                bytes.resize(bytes.size() / 2);
                return bytes;
            }},
        {"garbage", 2, [&](plat::Data) { return plat::Data(text.begin(), text.end()); }},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        paintFrame(damage.frame);
        const std::string id = *project->getFrameList().getFrameIDAtIndex(damage.frame);
        const std::string unpainted = "canvas-" + id + ".jpg";
        const plat::Data damaged = damage.make(bytesOf(unpainted));
        replaceFile(unpainted, damaged);
        const auto before = pictures(id);
        for (int visit = 1; visit <= 3; ++visit) {
            openPainter(damage.frame);
            EXPECT_EQ(closeAlert(), kUnpaintedUnreadable) << "visit " << visit;
            closePainter();
            EXPECT_TRUE(pictures(id) == before) << "visit " << visit;
        }
        EXPECT_TRUE(bytesOf(unpainted + ".damaged") == damaged);

        openPainter(damage.frame);
        closeAlert();
        paint({{60, 80}, {100, 80}, {140, 80}, {180, 80}});
        closePainter();
        // Down through the line's soft edge, in brightness: a second coat
        // darkens the edge, which a picture encoded again does not.
        auto was = plat::Image::imageWithData(before[0]);
        auto now = picture("frame-" + id + ".jpg");
        ASSERT_TRUE(was && now);
        auto luma
            = [](const plat::test::Rgba& pixel) { return 0.299 * pixel[0] + 0.587 * pixel[1] + 0.114 * pixel[2]; };
        double largest = 0;
        for (int y = 70; y <= 110; ++y)
            largest = std::max(
                largest, std::abs(luma(plat::test::pixelAt(*was, 200, y)) - luma(plat::test::pixelAt(*now, 200, y))));
        EXPECT_LE(largest, 4) << "brightness levels";
    }
}

// What the painting over them replaces is the person's work: the unpainted
// picture, the strokes and the layer list are kept aside as they were.
TEST_F(UnreadablePainting, PaintingOverItKeepsTheFilesItReplaces)
{
    struct Damage {
        const char* what;
        int64_t frame;
        std::string damagedFile;
        std::vector<std::string> replaced;
    };
    const Damage damages[] = {
        {"its layer list cut short", 1, "canvas-F2.layers", {"canvas-F2.jpg", "canvas-F2.cnv"}},
        {"its unpainted picture cut short", 2, "canvas-F3.jpg", {"canvas-F3.cnv", "canvas-F3.layers"}},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        paintFrame(damage.frame);
        cutFile(damage.damagedFile, 200);
        std::vector<plat::Data> kept;
        for (const std::string& name : damage.replaced)
            kept.push_back(bytesOf(name));
        openPainter(damage.frame);
        closeAlert();
        paint({{60, 80}, {100, 80}, {140, 80}, {180, 80}});
        closePainter();
        for (size_t index = 0; index < kept.size(); ++index)
            EXPECT_TRUE(bytesOf(damage.replaced[index] + ".replaced") == kept[index]) << damage.replaced[index];
    }
}
