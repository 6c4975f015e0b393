#include "painter/PainterViewController.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

#include "PainterScreenTestSupport.h"
#include "painter/ColorPaletteViewController.h"
#include "painter/PaintToolViewController.h"
#include "painter/PainterBrush.h"
#include "painter/PainterLayer.h"
#include "painter/PainterLayerManager.h"
#include "painter/PainterLayerTableViewController.h"
#include "painter/PainterSettings.h"
#include "painter/PaintingView.h"
#include "painter/Stroke.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Slider.h"
#include "platform/ui/testing/PictureComparison.h"
#include "support/FailingWrites.h"
#include "support/Idioms.h"
#include "uikit/BubblePopoverController.h"
#include "uikit/HelpManager.h"

namespace {

using plat::test::componentDistance;
using plat::test::Rgba;

using zt::test::kBlue;
using zt::test::kGreen;
using zt::test::kPen;
using zt::test::kRed;

class PainterScreen : public zt::test::PainterScreenTest {
protected:
    explicit PainterScreen(plat::UserInterfaceIdiom idiom = plat::UserInterfaceIdiom::Phone)
        : PainterScreenTest(idiom)
    {
        makeProject({kRed, kBlue, kGreen});
    }

    void choosePen()
    {
        driver.wait(1);
        ASSERT_TRUE(driver.tap("Pen"));
    }
    std::shared_ptr<zt::PaintingView> canvas() const
    {
        return std::dynamic_pointer_cast<zt::PaintingView>(painter->drawingView());
    }
    plat::Dictionary storedSettings() const
    {
        return zt::DataManager::sharedDataManager()
            .objectForKey(zt::PainterSettings::kSettingsKey)
            .asDictionary()
            .value_or(plat::Dictionary());
    }
};

class TabletPainterScreen : public PainterScreen {
protected:
    TabletPainterScreen()
        : PainterScreen(plat::UserInterfaceIdiom::Pad)
    {
    }
};

}  // namespace

TEST_F(PainterScreen, WithoutStoredSettingsTheBrushAndTheDefaultPaletteAreShown)
{
    openPainter(0);
    EXPECT_EQ(painter->currentSelectedTool(), 0);
    EXPECT_TRUE(painter->toolPalette()->btnBrush->isSelected());
    EXPECT_EQ(painter->colorToolList(), (std::vector<int64_t> {2, 0, 1}));
    const auto colors = painter->colorPalette()->getColors();
    ASSERT_EQ(colors.size(), 9u);
    EXPECT_EQ(colors[0], plat::Color::colorWithRed(228 / 255.0, 73 / 255.0, 19 / 255.0, 1));
    EXPECT_EQ(colors[8], plat::Color::colorWithRed(138 / 255.0, 122 / 255.0, 86 / 255.0, 1));
    const auto& brushes = painter->brushes();
    EXPECT_EQ(brushes.at(zt::kBrushTypeBrush)->size(), 2);
    EXPECT_EQ(brushes.at(zt::kBrushTypePen)->size(), 15);
    EXPECT_EQ(brushes.at(zt::kBrushTypeFountainPen)->size(), 10);
    EXPECT_EQ(brushes.at(zt::kBrushTypeEraser)->size(), 5);
    // The canvas starts with the brush, in palette colour 2.
    ASSERT_TRUE(canvas());
    EXPECT_EQ(canvas()->brush(), brushes.at(zt::kBrushTypeBrush));
    EXPECT_EQ(brushes.at(zt::kBrushTypeBrush)->color(), colors[2]);
    // The 16:9 picture area over the whole width of the phone.
    EXPECT_EQ(painter->paintMainView()->frame(), plat::makeRect(0, 0.25, 568, 319.5));
    EXPECT_EQ(painter->toolPalette()->view()->center().y, 10.0);
    EXPECT_EQ(painter->colorPalette()->view()->center().y, 320 - 40.0);
}

TEST_F(PainterScreen, TheFirstPaintingKeepsTheUnpaintedPictureAndIsNotMergedTwice)
{
    openPainter(1);
    choosePen();
    paintAcrossTheMiddle();
    closePainter();
    EXPECT_EQ(finish->finished, (std::vector<int64_t> {1}));
    EXPECT_FALSE(root->presentedViewController());
    ASSERT_TRUE(hasFile("canvas-F2.jpg"));
    EXPECT_LE(componentDistance(middleOf("canvas-F2.jpg"), kBlue), 4);
    const Rgba painted = middleOf("frame-F2.jpg");
    EXPECT_LE(componentDistance(painted, kPen), 24);
    EXPECT_EQ(strokesIn("canvas-F2.cnv"), 1u);
    EXPECT_EQ(project->getMetaData()->getBool("RecordNeedsRendering"), true);
    // The strip's pictures are made again from the painted one.
    auto thumb = picture("thumb-F2.jpg");
    ASSERT_TRUE(thumb);
    EXPECT_LE(componentDistance(plat::test::pixelAt(*thumb, 136, 76), kPen), 40);

    // Opened again: the unpainted picture behind, the stroke editable again.
    openPainter(1);
    ASSERT_TRUE(painter->bgImageView()->image());
    EXPECT_LE(componentDistance(plat::test::pixelAt(*painter->bgImageView()->image(), 160, 90), kBlue), 4);
    ASSERT_TRUE(canvas());
    EXPECT_EQ(canvas()->strokeBuffer().size(), 1u);
    closePainter();
    // Saved again: the stroke is on the unpainted picture once, not on the painted one.
    auto first = picture("canvas-F2.jpg");
    auto again = picture("frame-F2.jpg");
    ASSERT_TRUE(again);
    EXPECT_LE(componentDistance(middleOf("frame-F2.jpg"), painted), 6);
    // The soft edge of the line does not darken by a second coat.
    const Rgba edgeBefore = plat::test::pixelAt(*again, 160, 83);
    EXPECT_NE(edgeBefore, kBlue);
}

TEST_F(PainterScreen, AFrameWithoutStrokesGoesOnFromThePreviousFrame)
{
    openPainter(0);
    choosePen();
    paintAcrossTheMiddle();
    closePainter();
    openPainter(1);
    ASSERT_TRUE(canvas());
    EXPECT_EQ(canvas()->strokeBuffer().size(), 1u);
    closePainter();
    EXPECT_EQ(strokesIn("canvas-F2.cnv"), 1u);
    EXPECT_LE(componentDistance(middleOf("frame-F2.jpg"), kPen), 24);
    // The first frame has no previous one: it opens with its own strokes only.
    EXPECT_EQ(strokesIn("canvas-F1.cnv"), 1u);
}

TEST_F(PainterScreen, ASaveBeforeTheStrokesArriveKeepsThem)
{
    openPainter(0);
    choosePen();
    paintAcrossTheMiddle();
    closePainter();
    painter = std::make_shared<zt::PainterViewController>(zt::PainterViewController::kLayoutName, project);
    painter->setDelegate(finish);
    painter->setCurrentFrame(0);
    root->presentViewController(painter, false, nullptr);
    driver.wait(0.1);
    EXPECT_TRUE(painter->hasPendingStrokes());
    painter->saveAndClose();
    EXPECT_EQ(strokesIn("canvas-F1.cnv"), 1u);
    EXPECT_LE(componentDistance(middleOf("frame-F1.jpg"), kPen), 24);
    painter->saveAndClose();  // a second time changes nothing
    EXPECT_EQ(finish->finished, (std::vector<int64_t> {0, 0}));
}

TEST_F(PainterScreen, GoingToTheBackgroundWritesWhatIsPainted)
{
    openPainter(2);
    choosePen();
    paintAcrossTheMiddle();
    plat::NotificationCenter::defaultCenter().post(plat::ApplicationDidEnterBackgroundNotification);
    EXPECT_LE(componentDistance(middleOf("frame-F3.jpg"), kPen), 24);
    EXPECT_EQ(strokesIn("canvas-F3.cnv"), 1u);
    EXPECT_TRUE(finish->finished.empty());
    EXPECT_TRUE(root->presentedViewController());
    // Back from the background and on: the save at the end has everything once.
    paint({{150, 100}, {200, 100}, {250, 100}, {300, 100}});
    closePainter();
    EXPECT_EQ(strokesIn("canvas-F3.cnv"), 2u);
    EXPECT_LE(componentDistance(middleOf("canvas-F3.jpg"), kGreen), 4);
}

TEST_F(PainterScreen, MaskingWritesOnlyTheFramesPictureOverThePreviousOne)
{
    openPainter(1, /*masking=*/true);
    EXPECT_TRUE(painter->toolPalette()->btnBrush->isHidden());
    EXPECT_TRUE(painter->toolPalette()->btnMove->isHidden());
    EXPECT_TRUE(painter->toolPalette()->btnEraser->isSelected());
    EXPECT_FALSE(painter->colorPalette()->btnHide()->isHidden());
    EXPECT_TRUE(painter->colorPalette()->buttons()[0]->isHidden());
    ASSERT_TRUE(painter->bgImageView()->image());  // the previous frame behind
    EXPECT_LE(componentDistance(plat::test::pixelAt(*painter->bgImageView()->image(), 10, 10), kRed), 4);
    for (int pass = 0; pass < 4; ++pass)
        paintAcrossTheMiddle();
    closePainter();
    EXPECT_FALSE(hasFile("canvas-F2.jpg"));
    EXPECT_FALSE(hasFile("canvas-F2.cnv"));
    EXPECT_FALSE(hasFile("canvas-F2.layers"));
    // Rubbed away in the middle, towards the red behind; untouched at the corner.
    const Rgba middle = middleOf("frame-F2.jpg");
    EXPECT_GT(middle[0], 120);
    EXPECT_LT(middle[2], 120);
    auto merged = picture("frame-F2.jpg");
    ASSERT_TRUE(merged);
    EXPECT_LE(componentDistance(plat::test::pixelAt(*merged, 10, 10), kBlue), 6);
    EXPECT_EQ(merged->size(), (plat::Size {320, 180}));
}

TEST_F(PainterScreen, MaskingAPaintedFrameLeavesNoOlderPictureOrStrokesBehind)
{
    openPainter(1);
    choosePen();
    paintAcrossTheMiddle();
    closePainter();
    ASSERT_TRUE(hasFile("canvas-F2.layers"));
    openPainter(1, /*masking=*/true);
    paint({{20, 120}, {60, 120}, {100, 120}, {140, 120}});
    closePainter();
    // The unpainted picture is now the masked one; no stroke is left to paint it again.
    auto frame = picture("frame-F2.jpg");
    auto unpainted = picture("canvas-F2.jpg");
    ASSERT_TRUE(frame && unpainted);
    EXPECT_LE(componentDistance(plat::test::pixelAt(*frame, 160, 90), plat::test::pixelAt(*unpainted, 160, 90)), 4);
    EXPECT_LE(componentDistance(middleOf("canvas-F2.jpg"), kPen), 24);
    EXPECT_EQ(strokesIn("canvas-F2.cnv"), 0u);
    EXPECT_TRUE(hasFile("canvas-F2.cnv"));
    EXPECT_FALSE(hasFile("canvas-F2.layers"));
    openPainter(1);
    ASSERT_TRUE(canvas());
    EXPECT_TRUE(canvas()->strokeBuffer().empty());
    closePainter();
    EXPECT_LE(componentDistance(middleOf("frame-F2.jpg"), kPen), 24);
}

// A phone's canvas is 319.5 points high; its layer pictures are 319 pixels.
TEST_F(PainterScreen, ALayerPictureIsReadBackInsteadOfBeingKeptAsideAsDamaged)
{
    openPainter(1);
    choosePen();
    paintAcrossTheMiddle();
    closePainter();
    openPainter(1);
    closePainter();
    const auto names = plat::contentsOfDirectory(*project->getProjectPath());
    EXPECT_EQ(std::count_if(names.value().begin(), names.value().end(),
                  [](const std::string& name) { return name.ends_with(".damaged"); }),
        0);
}

// The frame's files are written, then the project's details cannot be: the
// frame's picture, strokes and layers are put back as they were, for a
// painting and for a mask alike.
TEST_F(PainterScreen, ASaveThatFailsAfterTheFramesFilesPutsThemBack)
{
    auto dismissAlert = [&] { EXPECT_NE(closeAlert(), "<no alert>") << "the person hears that the save failed"; };
    openPainter(1);
    choosePen();
    paintAcrossTheMiddle();
    closePainter();
    ASSERT_TRUE(hasFile("canvas-F2.layers"));
    const auto before = projectFiles();
    struct Case {
        const char* what;
        bool masking;
    };
    for (const Case& c : {Case {"painting", false}, Case {"mask", true}}) {
        openPainter(1, c.masking);
        paint({{20, 120}, {60, 120}, {100, 120}, {140, 120}});
        {
            plat::test::FailingWrites failing("plovix.meta", plat::detail::WriteFailurePoint::BeforeRename);
            closePainter();
        }
        EXPECT_EQ(projectFiles(), before) << c.what;
        dismissAlert();
    }
}

TEST_F(PainterScreen, MaskingTheFirstFrameShowsBlackWhereItIsRubbedAway)
{
    openPainter(0, /*masking=*/true);
    EXPECT_FALSE(painter->bgImageView()->image());
    for (int pass = 0; pass < 4; ++pass)
        paintAcrossTheMiddle();
    closePainter();
    const Rgba middle = middleOf("frame-F1.jpg");
    EXPECT_LT(middle[0], 100);
    auto merged = picture("frame-F1.jpg");
    ASSERT_TRUE(merged);
    EXPECT_EQ(merged->size(), (plat::Size {320, 180}));
    EXPECT_LE(componentDistance(plat::test::pixelAt(*merged, 10, 10), kRed), 6);
}

TEST_F(PainterScreen, SettingsChangedInThePainterComeBackInTheNextRun)
{
    openPainter(0);
    choosePen();
    auto palette = painter->colorPalette();
    const plat::Color chosen = plat::Color::colorWithRed(0.2, 0.4, 0.6, 0.5);
    palette->setSelectedColorAtIndex(4);
    palette->setColor(chosen, 4);
    palette->popoverControllerDidDismissPopover(*std::make_shared<zt::BubblePopoverController>());
    painter->brushes().at(zt::kBrushTypeFountainPen)->setSize(33);
    closePainter();

    // Another run: the settings file is read afresh.
    zt::DataManager::sharedDataManager().resetToDefaultsForTesting();
    EXPECT_TRUE(zt::DataManager::sharedDataManager().objectForKey(zt::PainterSettings::kSettingsKey).isNull());
    zt::DataManager::loadState();
    openPainter(1);
    EXPECT_EQ(painter->currentSelectedTool(), 1);
    EXPECT_TRUE(painter->toolPalette()->btnPen->isSelected());
    EXPECT_EQ(painter->colorToolList(), (std::vector<int64_t> {2, 4, 1}));
    const plat::Color stored = painter->colorPalette()->getColorAtIndex(4);
    EXPECT_NEAR(stored.red(), 0.2, 1e-6);
    EXPECT_NEAR(stored.blue(), 0.6, 1e-6);
    EXPECT_NEAR(stored.alpha(), 0.5, 1e-6);
    const auto& brushes = painter->brushes();
    EXPECT_EQ(brushes.at(zt::kBrushTypePen)->color(), stored);
    EXPECT_EQ(brushes.at(zt::kBrushTypeFountainPen)->size(), 33);
    EXPECT_EQ(brushes.at(zt::kBrushTypePen)->size(), 15);
    ASSERT_TRUE(canvas());
    EXPECT_EQ(canvas()->brush(), brushes.at(zt::kBrushTypePen));
}

// Brush teal, pen orange, fountain pen yellow on a fresh device, in the tool
// bar, in the brushes and in what the brush paints; and so again after one
// stroke, Back and another opening.
TEST_F(PainterScreen, EachToolKeepsItsColourInTheNextSession)
{
    const auto rgb = [](const std::optional<plat::Color>& color) {
        if (!color)
            return std::string("none");
        const auto byte = [](double component) { return std::to_string(std::lround(component * 255)); };
        return byte(color->red()) + "," + byte(color->green()) + "," + byte(color->blue());
    };
    const std::string shown = "40,127,136 228,73,19 253,182,50";
    for (int64_t session = 0; session < 2; ++session) {
        SCOPED_TRACE(session);
        openPainter(session);
        auto bar = painter->toolPalette();
        EXPECT_EQ(rgb(bar->viewToolColorBrush->backgroundColor()) + " " + rgb(bar->viewToolColorPen->backgroundColor())
                + " " + rgb(bar->viewToolColorFountainPen->backgroundColor()),
            shown);
        const auto& brushes = painter->brushes();
        EXPECT_EQ(rgb(brushes.at(zt::kBrushTypeBrush)->color()) + " " + rgb(brushes.at(zt::kBrushTypePen)->color())
                + " " + rgb(brushes.at(zt::kBrushTypeFountainPen)->color()),
            shown);
        paintAcrossTheMiddle();
        ASSERT_TRUE(canvas() && !canvas()->strokeBuffer().empty());
        const auto& stroke = *canvas()->strokeBuffer().back();
        EXPECT_EQ(rgb(plat::Color::colorWithRed(stroke.red(), stroke.green(), stroke.blue(), 1)), "40,127,136");
        closePainter();
    }
    EXPECT_EQ(plat::Value(storedSettings().getArray("PAINTER_TOOL_COLORS").value_or(plat::Array {})).debugDescription(),
        plat::Value(plat::Array {2, 0, 1}).debugDescription());
}

TEST_F(PainterScreen, UnusableStoredSettingsFallBackEntryByEntry)
{
    plat::Array colorList;
    colorList.append(plat::Dictionary {{"red", 1.0}, {"green", 0.0}, {"blue", 0.0}, {"alpha", 1.0}});
    colorList.append(plat::Dictionary {{"red", 2.0}, {"green", 0.0}, {"blue", 0.0}, {"alpha", 1.0}});
    colorList.append(plat::Value("blue"));
    zt::DataManager::sharedDataManager().setValue(
        plat::Dictionary {{"PAINTER_TOOL", plat::Value(9)}, {"PAINTER_TOOL_COLORS", plat::Array {3, 42, "x"}},
            {"PAINTER_TOOL_COLORLIST", colorList}, {"PAINTER_TOOL_SIZES", plat::Array {7, 0, 500, 12, 99, 99}}},
        zt::PainterSettings::kSettingsKey);
    openPainter(0);
    EXPECT_EQ(painter->currentSelectedTool(), 0);
    EXPECT_TRUE(painter->toolPalette()->btnBrush->isSelected());
    EXPECT_EQ(painter->colorToolList(), (std::vector<int64_t> {3, 0, 1}));
    const auto colors = painter->colorPalette()->getColors();
    EXPECT_EQ(colors[0], plat::Color::colorWithRed(1, 0, 0, 1));
    EXPECT_EQ(colors[1], zt::PainterSettings::defaultPalette()[1]);
    EXPECT_EQ(colors[2], zt::PainterSettings::defaultPalette()[2]);
    const auto& brushes = painter->brushes();
    EXPECT_EQ(brushes.at(zt::kBrushTypeBrush)->size(), 7);
    EXPECT_EQ(brushes.at(zt::kBrushTypePen)->size(), 15);
    EXPECT_EQ(brushes.at(zt::kBrushTypeFountainPen)->size(), 10);
    EXPECT_EQ(brushes.at(zt::kBrushTypeEraser)->size(), 12);
    EXPECT_EQ(brushes.at(zt::kBrushTypeBrush)->color(), colors[3]);
}

TEST_F(PainterScreen, UnlistedToolCodesAndColoursForTheEraserChangeNothing)
{
    openPainter(0);
    choosePen();
    auto before = canvas()->brush();
    painter->paintToolDidSelectTool(6);
    painter->paintToolDidSelectTool(30);
    painter->paintToolDidSelectTool(-1);
    EXPECT_EQ(canvas()->brush(), before);
    EXPECT_EQ(painter->currentSelectedTool(), 1);

    painter->paintToolDidSelectTool(zt::kPaintToolEraser);
    EXPECT_EQ(painter->currentSelectedTool(), 3);
    const auto pen = painter->brushes().at(zt::kBrushTypePen)->color();
    painter->colorPaleteDidSelectColor(plat::Color::greenColor(), 3);
    EXPECT_EQ(painter->colorToolList(), (std::vector<int64_t> {2, 0, 1}));
    EXPECT_EQ(painter->brushes().at(zt::kBrushTypeEraser)->color(), plat::Color::clearColor());
    EXPECT_EQ(painter->brushes().at(zt::kBrushTypePen)->color(), pen);
    // A pattern has no components to paint with.
    painter->paintToolDidSelectTool(zt::kPaintToolPen);
    painter->colorPaleteDidSelectColor(plat::Color::colorWithPatternImage(nullptr), 5);
    EXPECT_EQ(painter->colorToolList(), (std::vector<int64_t> {2, 0, 1}));
}

TEST_F(PainterScreen, UndoALayerAndAPaletteColourReachTheSavedPicture)
{
    openPainter(1);
    choosePen();
    paintAcrossTheMiddle();
    paint({{150, 120}, {200, 120}, {250, 120}, {300, 120}});
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Undo"));
    EXPECT_EQ(canvas()->strokeBuffer().size(), 1u);
    // A new layer in front, painted in green; the canvas takes a palette
    // colour's components only, so a see-through one paints opaque.
    auto layers = painter->painterLayerManager();
    ASSERT_TRUE(layers->addLayerAtIndex(0));
    painter->colorPaleteDidSelectColor(plat::Color::colorWithRed(0, 1, 0, 0.5), 6);
    paint({{200, 200}, {260, 200}, {320, 200}, {380, 200}, {440, 200}});
    EXPECT_EQ(canvas()->strokeBuffer().back()->alpha(), 1.0f);
    closePainter();
    auto merged = picture("frame-F2.jpg");
    ASSERT_TRUE(merged);
    EXPECT_LE(componentDistance(middleOf("frame-F2.jpg"), kPen), 24);
    // The undone stroke is not there (canvas 225, 120 in the picture of 320 x 180).
    EXPECT_LE(componentDistance(plat::test::pixelAt(*merged, 127, 68), kBlue), 6);
    // The green line of the front layer (canvas 320, 200).
    const Rgba line = plat::test::pixelAt(*merged, 180, 113);
    EXPECT_GT(line[1], 200);
    EXPECT_LT(line[0], 60);
    EXPECT_TRUE(hasFile("canvas-F2.layers"));
}

TEST_F(PainterScreen, ASwipeHidesAndShowsTheBarsOnAPhone)
{
    openPainter(0);
    EXPECT_TRUE(painter->btnShow()->isHidden()) << "out of reach beyond the edge while the bars show";
    auto bar = painter->toolPalette()->view();
    painter->handleSwipe(nullptr);
    driver.wait(1);
    EXPECT_EQ(bar->center().y, 50.0 - bar->frame().height());
    EXPECT_EQ(painter->colorPalette()->view()->frame().minY(), 320);
    EXPECT_EQ(painter->btnShow()->center().y, 320);
    EXPECT_FALSE(painter->btnShow()->isHidden());
    // Only its top half shows above the bottom edge.
    driver.wait(1);
    driver.tapAt({painter->btnShow()->center().x, 310});
    driver.wait(1);
    EXPECT_EQ(bar->center().y, 10.0);
    EXPECT_EQ(painter->colorPalette()->view()->center().y, 280);
    EXPECT_TRUE(painter->btnShow()->isHidden()) << "gone beyond the edge again";
}

TEST_F(TabletPainterScreen, ASwipeLeavesTheBarsOnATablet)
{
    openPainter(0);
    auto bar = painter->toolPalette()->view();
    EXPECT_EQ(bar->frame(), plat::makeRect(0, 0, 1024, 96));
    EXPECT_EQ(painter->colorPalette()->view()->frame(), plat::makeRect(0, 672, 1024, 96));
    EXPECT_EQ(painter->paintMainView()->frame(), plat::makeRect(0, 96, 1024, 576));
    painter->handleSwipe(nullptr);
    driver.wait(1);
    EXPECT_EQ(bar->frame(), plat::makeRect(0, 0, 1024, 96));
}

namespace {
void expectScreenLike(plat::test::UIDriver& driver, const std::string& name)
{
    driver.wait(1);
    auto shot = driver.screenshot();
    ASSERT_TRUE(shot);
    plat::test::TemporaryFolder output;
    auto result = plat::test::compareWithReferencePicture(
        *shot, plat::test::sourcePath("tests/data/painter/" + name), output.path());
    EXPECT_TRUE(result.matches) << result.explanation;
}
}  // namespace

// The painter and its popovers on a phone and on a tablet.
class PainterLooks : public PainterScreen, public ::testing::WithParamInterface<plat::UserInterfaceIdiom> {
protected:
    PainterLooks()
        : PainterScreen(GetParam())
    {
    }
    static std::string reference(const std::string& what)
    {
        return std::string("painter_") + (GetParam() == plat::UserInterfaceIdiom::Pad ? "tablet" : "phone") + what
            + ".png";
    }
};

TEST_P(PainterLooks, WithAStrokeAndThePensSizes)
{
    openPainter(1);
    choosePen();
    paintAcrossTheMiddle();
    expectScreenLike(driver, reference(""));
    // The pen's sizes over the picture.
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Pen"));
    expectScreenLike(driver, reference("_sizes"));
}

TEST_P(PainterLooks, WithThePickerOverThePalette)
{
    openPainter(1);
    choosePen();
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Colour 1"));  // the selected swatch: its picker
    expectScreenLike(driver, reference("_picker"));
}

// The opacity slider lies inside its popover, and the tool icons stand out
// from the bars they are on.
TEST_P(PainterLooks, WithItsLayersAndTheirWholeSlider)
{
    openPainter(1);
    choosePen();
    paint({{300, 200}, {340, 190}, {380, 200}, {420, 190}});
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Layers"));
    driver.wait(1);
    auto popover = painter->toolPalette()->popoverController();
    ASSERT_TRUE(popover && popover->view());
    auto list = painter->toolPalette()->painterLayerTableViewController();
    ASSERT_TRUE(list && list->_sliderOpacity);
    const plat::Rect bubble = popover->view()->convertRect(popover->view()->bounds(), nullptr);
    const plat::Rect slider = list->_sliderOpacity->convertRect(list->_sliderOpacity->bounds(), nullptr);
    EXPECT_TRUE(slider.minX() >= bubble.minX() && slider.maxX() <= bubble.maxX()) << "the knob can be reached";
    auto shown = driver.screenshot();
    ASSERT_TRUE(shown);
    const double scale = shown->scale();
    for (const auto& item : {list->_duplicateBtn, list->_importBtn, list->_exportBtn}) {
        auto button = std::dynamic_pointer_cast<plat::Button>(item->view());
        ASSERT_TRUE(button && button->imageView());
        const auto& icon = button->imageView();
        const plat::Rect frame = icon->convertRect(icon->bounds(), nullptr);
        // The bar beside the icon, half a point to its left.
        const Rgba bar = plat::test::pixelAt(
            *shown, static_cast<int>((frame.minX() - 0.5) * scale), static_cast<int>(frame.midY() * scale));
        int strongest = 0;
        for (double y = frame.minY(); y < frame.maxY(); y += 0.5)
            for (double x = frame.minX(); x < frame.maxX(); x += 0.5)
                strongest = std::max(strongest,
                    componentDistance(
                        plat::test::pixelAt(*shown, static_cast<int>(x * scale), static_cast<int>(y * scale)), bar));
        EXPECT_GT(strongest, 150) << "an icon that stands out from its bar, at " << frame.minX();
    }
    expectScreenLike(driver, reference("_layers"));
}

INSTANTIATE_TEST_SUITE_P(Idioms, PainterLooks, plat::test::bothIdioms(), plat::test::idiomName);

TEST_F(PainterScreen, MaskingLooksAsDrawn)
{
    openPainter(1, /*masking=*/true);
    for (int pass = 0; pass < 3; ++pass)
        paintAcrossTheMiddle();
    expectScreenLike(driver, "painter_phone_masking.png");
}

TEST_F(PainterScreen, TheFirstOpeningExplainsTheColoursOnce)
{
    std::error_code ignored;
    std::filesystem::remove(zt::HelpStateFile::path(), ignored);
    openPainter(0);
    auto help = painter->helpManager();
    ASSERT_TRUE(help);
    EXPECT_EQ(help->name(), "PaintColor");
    EXPECT_EQ(help->positionNextBtn(), zt::HelpManager::NextButtonTopRight);
    EXPECT_EQ(help->positionLabel(), (plat::Point {384, 260}));
    EXPECT_EQ(help->view()->superview(), painter->view());
    ASSERT_TRUE(help->outlets().btnNext);
    driver.wait(1);
    ASSERT_TRUE(driver.tap(*help->outlets().btnNext));
    driver.wait(1);
    EXPECT_FALSE(painter->helpManager());
    closePainter();
    openPainter(0);
    EXPECT_FALSE(painter->helpManager());
    closePainter();
    openPainter(1, /*masking=*/true);
    ASSERT_TRUE(painter->helpManager());
    EXPECT_EQ(painter->helpManager()->name(), "Mask");
    EXPECT_EQ(painter->helpManager()->positionLabel(), (plat::Point {384, 160}));
}

TEST_F(PainterScreen, AFrameOutsideTheListOpensEmptyAndStillCloses)
{
    openPainter(7);
    EXPECT_FALSE(painter->bgImageView()->image());
    paintAcrossTheMiddle();
    closePainter();
    EXPECT_EQ(finish->finished, (std::vector<int64_t> {7}));
    EXPECT_FALSE(hasFile("canvas-F1.cnv"));
    EXPECT_FALSE(hasFile("canvas-.cnv"));
    // The settings are kept all the same.
    EXPECT_FALSE(zt::DataManager::sharedDataManager().objectForKey(zt::PainterSettings::kSettingsKey).isNull());
}

TEST_F(PainterScreen, TheLayersButtonAddsALayerInFrontThatBecomesCurrent)
{
    openPainter(0);
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Layers"));
    driver.wait(1);
    ASSERT_TRUE(driver.tap("+"));
    driver.wait(1);
    auto layers = painter->painterLayerManager();
    ASSERT_EQ(layers->layers().size(), 2u);
    driver.tapAt({60, 200});  // beside the popover: it closes
    driver.wait(1);
    EXPECT_EQ(layers->indexOfActiveLayer(), 0);
    EXPECT_EQ(layers->currentLayer()->name(), "Draw Layer 1");
}

// On a phone the bar's lower part holds only the layers and stamp buttons:
// a stroke that starts beside them, just below the dark band, paints; one
// that starts on the band does not.
TEST_F(PainterScreen, AStrokeBelowTheBarPaintsAndOneOnItDoesNot)
{
    openPainter(1);
    choosePen();
    auto painted = canvas();
    ASSERT_TRUE(painted);
    const std::pair<double, size_t> starts[] = {{30, 0}, {60, 1}, {80, 2}};
    for (const auto& [y, strokes] : starts) {
        driver.drag({150, y}, {420, y});
        driver.wait(0.5);
        EXPECT_EQ(painted->strokeBuffer().size(), strokes) << "a stroke from y " << y;
    }
}
