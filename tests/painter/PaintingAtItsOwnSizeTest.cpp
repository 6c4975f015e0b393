// A painting opened on the other kind of device from the one it was made
// on, stored as a killed save, a damaged picture, earlier versions or older
// archives leave it: its strokes come back where they were wherever its
// files tell the canvas they were painted on; where nothing tells it, the
// person hears so and no file changes.
#include <gtest/gtest.h>

#include "PainterScreenTestSupport.h"
#include "painter/PaintToolViewController.h"
#include "painter/PainterBrush.h"
#include "painter/PaintingView.h"

namespace {

using plat::UserInterfaceIdiom;
using plat::test::componentDistance;

using zt::test::kBlue;
using zt::test::kRed;

constexpr UserInterfaceIdiom kPhone = UserInterfaceIdiom::Phone;
constexpr UserInterfaceIdiom kTablet = UserInterfaceIdiom::Pad;

const std::string kPictureKeptAside = "A layer's picture could not be read.\n"
                                      "It is kept aside, and the layer is drawn again from its strokes.";
const std::string kSizeUnknown = "The size this painting was made at is not known.\n"
                                 "The frame keeps its picture with the painting in it, but its strokes can no "
                                 "longer be changed. What you paint now goes over the picture.";

enum class Stored {
    StrokesFileOnly,
    UnreadableLayerPicture,
    EarlierStrokesFileOnly,
    EarlierLayersUnreadablePicture,
    EarlierStrokesFileWithoutUnpaintedPicture,
};

class PaintingAtItsOwnSize : public zt::test::PainterScreenTest {
protected:
    // Frame "F1" painted in layers, then its files left as the form has them.
    void storePainting(Stored form)
    {
        const std::string layer = frontLayerID("F1");
        const std::string strokes = zt::PainterFiles::canvasFileName("F1");
        const std::string layerStrokes = zt::PainterFiles::layerStrokesFileName("F1", layer);
        const std::string layerPicture = zt::PainterFiles::layerPictureFileName("F1", layer);
        const bool earlier = form != Stored::StrokesFileOnly && form != Stored::UnreadableLayerPicture;
        const bool withoutLayers
            = form != Stored::UnreadableLayerPicture && form != Stored::EarlierLayersUnreadablePicture;
        if (form == Stored::EarlierStrokesFileWithoutUnpaintedPicture) {
            ASSERT_TRUE(
                project->removeRegularFileWithPreferredFilename(zt::PainterFiles::unpaintedPictureFileName("F1")));
        }
        if (withoutLayers) {
            for (const std::string& name : {zt::PainterFiles::layersFileName("F1"), layerStrokes, layerPicture})
                ASSERT_TRUE(project->removeRegularFileWithPreferredFilename(name)) << name;
        } else {
            const std::string text = "not a picture";
            ASSERT_TRUE(project->updateRegularFileWithContents(plat::Data(text.begin(), text.end()), layerPicture));
        }
        if (!earlier)
            return;
        // Earlier versions kept the strokes alone, without their canvas.
        for (const std::string& name : {strokes, layerStrokes}) {
            auto bytes = project->fileDataForFileWithPreferredFilename(name);
            if (!bytes)
                continue;
            auto list = zt::StrokeArchive::strokesWithData(*bytes);
            ASSERT_TRUE(list.ok()) << name;
            ASSERT_TRUE(project->updateRegularFileWithContents(
                zt::StrokeArchive::archivedDataWithStrokes(list.value()).value(), name));
        }
    }
    // A slow line down through the middle of the canvas, from its top left:
    // drawn upside down it would cross the painting only at the middle.
    void paintDownThroughTheCanvasMiddle()
    {
        const plat::Size canvas = painter->drawingView()->bounds().size;
        std::vector<plat::Point> points;
        for (double share = 0.3; share <= 0.7; share += 0.005)
            points.push_back({canvas.width * share, canvas.height * share});
        paint(points);
    }
    // The files as projectFiles() lists them, one renamed.
    static std::vector<std::string> renamed(
        std::vector<std::string> files, const std::string& from, const std::string& to)
    {
        for (std::string& file : files)
            if (file.starts_with(from + " "))
                file = to + file.substr(from.size());
        std::sort(files.begin(), files.end());
        return files;
    }
};

}  // namespace

TEST_F(PaintingAtItsOwnSize, TheStrokesComeBackWhereTheyWereOrThePersonHearsWhyNot)
{
    struct Case {
        const char* what;
        UserInterfaceIdiom made;
        UserInterfaceIdiom opened;
        Stored stored;
        const std::string& told;
    };
    const std::string none = "<no alert>";
    const Case cases[] = {
        {"phone-made, strokes file only, on a tablet", kPhone, kTablet, Stored::StrokesFileOnly, none},
        {"tablet-made, strokes file only, on a phone", kTablet, kPhone, Stored::StrokesFileOnly, none},
        {"phone-made, layer picture unreadable, on a tablet", kPhone, kTablet, Stored::UnreadableLayerPicture,
            kPictureKeptAside},
        {"tablet-made, layer picture unreadable, on a phone", kTablet, kPhone, Stored::UnreadableLayerPicture,
            kPictureKeptAside},
        {"phone-made strokes file of earlier versions, on a tablet", kPhone, kTablet, Stored::EarlierStrokesFileOnly,
            none},
        {"tablet-made layers of earlier versions, picture unreadable, on a phone", kTablet, kPhone,
            Stored::EarlierLayersUnreadablePicture, kPictureKeptAside},
        {"phone-made strokes file of earlier versions without its unpainted picture, on a tablet", kPhone, kTablet,
            Stored::EarlierStrokesFileWithoutUnpaintedPicture, kSizeUnknown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        moveToDevice(c.made);
        makeProject({kBlue, kRed});
        openPainter(0);
        painter->paintToolDidSelectTool(zt::kPaintToolPen);
        paintDownThroughTheCanvasMiddle();
        closePainter();
        const std::string layerPicture = zt::PainterFiles::layerPictureFileName("F1", frontLayerID("F1"));
        storePainting(c.stored);
        auto expected = projectFiles();
        if (c.stored == Stored::UnreadableLayerPicture || c.stored == Stored::EarlierLayersUnreadablePicture)
            expected = renamed(expected, layerPicture, layerPicture + ".damaged");

        moveToDevice(c.opened);
        openPainter(0);
        EXPECT_EQ(closeAlert(), c.told);
        if (&c.told != &kSizeUnknown) {
            EXPECT_GE(middleOfTheCanvas()[3], 200) << "the strokes where they were";
        } else {
            auto canvas = std::dynamic_pointer_cast<zt::PaintingView>(painter->drawingView());
            ASSERT_TRUE(canvas);
            EXPECT_TRUE(canvas->strokeBuffer().empty()) << "no stroke where it may not belong";
        }
        closePainter();
        EXPECT_EQ(projectFiles(), expected) << "nothing done";

        // One stroke more, at the side: the first stays where it was.
        openPainter(0);
        closeAlert();
        paint({{20, 100}, {40, 100}, {60, 100}, {80, 100}});
        closePainter();
        EXPECT_GT(componentDistance(middleOf("frame-F1.jpg"), kBlue), 100) << "the first stroke in the frame";
    }
}

namespace {
// Pixels of the canvas that a line painted at y from x 300 to 700 covers.
int64_t coveredAround(const plat::Image& canvas, int y)
{
    int64_t covered = 0;
    for (int row = y - 40; row <= y + 40; ++row)
        for (int x = 250; x <= 750; ++x)
            covered += plat::test::pixelAt(canvas, x, row)[3] > 0;
    return covered;
}
}  // namespace

// A tablet painting saved on a phone, with a stroke added there, and opened
// on the tablet again, twice over: each line is as wide as it was painted.
TEST_F(PaintingAtItsOwnSize, StrokeWidthsSurviveTripsToThePhoneAndBack)
{
    struct Line {
        int64_t tool;
        int64_t brushType;
        int64_t size;
        int y;
    };
    const Line lines[] = {{zt::kPaintToolPen, zt::kBrushTypePen, 1, 100},
        {zt::kPaintToolPen, zt::kBrushTypePen, 3, 220}, {zt::kPaintToolPen, zt::kBrushTypePen, 10, 340},
        {zt::kPaintToolFountainPen, zt::kBrushTypeFountainPen, 10, 460}};
    const auto widths = [&] {
        auto shown = painter->drawingView()->createImage();
        std::vector<int64_t> covered;
        for (const Line& line : lines)
            covered.push_back(coveredAround(*shown, line.y));
        return covered;
    };
    moveToDevice(kTablet);
    makeProject({kBlue, kRed});
    openPainter(0);
    for (const Line& line : lines) {
        painter->paintToolDidSelectTool(line.tool);
        painter->brushes().at(line.brushType)->setSize(line.size);
        std::vector<plat::Point> points;
        for (double x = 300; x <= 700; x += 3)
            points.push_back({x, static_cast<double>(line.y)});
        paint(points);
    }
    const std::vector<int64_t> painted = widths();
    closePainter();
    for (double trip : {0.0, 1.0}) {
        SCOPED_TRACE(trip);
        moveToDevice(kPhone);
        openPainter(0);
        paint({{20 + 30 * trip, 150}, {40 + 30 * trip, 150}, {60 + 30 * trip, 150}});
        closePainter();
        moveToDevice(kTablet);
        openPainter(0);
        const std::vector<int64_t> back = widths();
        for (size_t index = 0; index < painted.size(); ++index)
            EXPECT_NEAR(back[index], painted[index], painted[index] * 0.01)
                << "size " << lines[index].size << " of brush " << lines[index].brushType;
        closePainter();
    }
}

// A painting as earlier versions and other devices store it: the frame's
// strokes without their canvas, its unpainted and its painted picture. It
// opens with its strokes where they were on either kind of device, Undo
// takes them back, and the next frame goes on from them.
TEST_F(PaintingAtItsOwnSize, AStrokesFileWithoutItsCanvasOpensFromTheFramesPictures)
{
    const std::pair<UserInterfaceIdiom, UserInterfaceIdiom> trips[]
        = {{kTablet, kTablet}, {kPhone, kPhone}, {kTablet, kPhone}, {kPhone, kTablet}};
    for (const auto& [made, opened] : trips) {
        SCOPED_TRACE(
            std::string(made == kTablet ? "tablet" : "phone") + " to " + (opened == kTablet ? "tablet" : "phone"));
        moveToDevice(made);
        makeProject({kBlue, kRed});
        openPainter(0);
        painter->paintToolDidSelectTool(zt::kPaintToolPen);
        paintDownThroughTheCanvasMiddle();
        auto asPainted = painter->drawingView()->createImage();
        closePainter();
        storePainting(Stored::EarlierStrokesFileOnly);

        moveToDevice(opened);
        openPainter(1);
        EXPECT_EQ(closeAlert(), "<no alert>");
        EXPECT_GE(middleOfTheCanvas()[3], 200) << "the next frame goes on from the painting";
        closePainter();
        EXPECT_EQ(strokesIn(zt::PainterFiles::canvasFileName("F2")), 1u);

        openPainter(0);
        EXPECT_EQ(closeAlert(), "<no alert>");
        if (made == opened) {
            EXPECT_EQ(plat::test::differingPixels(*painter->drawingView()->createImage(), *asPainted, 0), 0);
        }
        EXPECT_GE(middleOfTheCanvas()[3], 200) << "the strokes where they were";
        ASSERT_TRUE(driver.tap("Undo"));
        EXPECT_EQ(middleOfTheCanvas()[3], 0) << "undone";
        closePainter();
    }
}
