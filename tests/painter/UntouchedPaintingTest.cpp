// Leaving the painter without changing anything leaves every file of the
// project as it was, and a painting comes back whole on the other kind of
// device, its strokes where they were.
#include <gtest/gtest.h>

#include "PainterScreenTestSupport.h"
#include "painter/PaintToolViewController.h"
#include "support/Idioms.h"

namespace {

using plat::UserInterfaceIdiom;
using plat::test::componentDistance;

using zt::test::kBlue;
using zt::test::kGreen;
using zt::test::kPen;
using zt::test::kRed;

class UntouchedPainting : public zt::test::PainterScreenTest, public ::testing::WithParamInterface<UserInterfaceIdiom> {
protected:
    UntouchedPainting()
        : PainterScreenTest(GetParam())
    {
        makeProject({kRed, kBlue, kGreen});
    }

    // The frame with a stroke of the pen across the middle of the canvas.
    void paintFrame(int64_t frame)
    {
        openPainter(frame);
        painter->paintToolDidSelectTool(zt::kPaintToolPen);
        paintAcrossTheCanvasMiddle();
        closePainter();
    }
};

}  // namespace

TEST_P(UntouchedPainting, BackWithNothingDoneChangesNoFile)
{
    paintFrame(1);
    struct Case {
        const char* what;
        int64_t frame;
        bool masking;
    };
    const Case cases[] = {
        {"a painted frame", 1, false},
        {"a painted frame, masked with nothing rubbed", 1, true},
        {"a frame never painted", 0, false},
        {"the first frame, masked with nothing rubbed", 0, true},
        {"the frame after a painted one, masked with nothing rubbed", 2, true},
    };
    for (const Case& c : cases) {
        const auto before = projectFiles();
        openPainter(c.frame, c.masking);
        closePainter();
        EXPECT_EQ(projectFiles(), before) << c.what;
    }
}

TEST_P(UntouchedPainting, APaintingFromTheOtherDeviceComesBackWhereItWas)
{
    const UserInterfaceIdiom other
        = GetParam() == UserInterfaceIdiom::Pad ? UserInterfaceIdiom::Phone : UserInterfaceIdiom::Pad;
    paintFrame(1);
    const auto before = projectFiles();
    moveToDevice(other);
    openPainter(1);
    EXPECT_LE(componentDistance(middleOfTheCanvas(), kPen), 24) << "the stroke on the canvas";
    closePainter();
    EXPECT_EQ(projectFiles(), before) << "nothing done";
    // The next frame goes on from its strokes, where they were.
    openPainter(2);
    closePainter();
    EXPECT_LE(componentDistance(middleOf("frame-F3.jpg"), kPen), 24);

    // Painted on, in a corner: the first stroke stays where it was.
    openPainter(1);
    paint({{20, 100}, {40, 100}, {60, 100}, {80, 100}});
    closePainter();
    EXPECT_LE(componentDistance(middleOf("frame-F2.jpg"), kPen), 24);
}

INSTANTIATE_TEST_SUITE_P(Idioms, UntouchedPainting, plat::test::bothIdioms(), plat::test::idiomName);
