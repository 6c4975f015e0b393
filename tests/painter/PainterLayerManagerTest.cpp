#include "painter/PainterLayerManager.h"

#include <algorithm>
#include <gtest/gtest.h>

#include "PainterTestSupport.h"
#include "document/ProjectModel.h"
#include "painter/PainterFiles.h"
#include "painter/PainterLayer.h"
#include "painter/PaintingView.h"
#include "painter/Stroke.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/ui/ImageView.h"
#include "support/Pixels.h"
#include "support/RootScreenTest.h"

namespace {

using plat::test::pixelAt;
using plat::test::Rgba;

constexpr int kWidth = 200;
constexpr int kHeight = 120;
const std::string kFrame = "F1";

class Layers : public plat::test::RootScreenTest {
protected:
    Layers()
    {
        container->addSubview(canvas);
        root->view()->addSubview(container);
        canvas->setBrushes(zt::test::makeBrushes());
        driver.wait(0);
        canvas->changeBrush(zt::kBrushTypePen);
        manager = makeManager();
    }

    std::unique_ptr<zt::PainterLayerManager> makeManager()
    {
        auto made = std::make_unique<zt::PainterLayerManager>(project);
        made->setPaintingCanvas(canvas);
        made->setViewCanvas(container);
        made->setImageBackground(background);
        return made;
    }
    // A dab of the pen at a canvas position (from the top left, as the picture).
    void tapAt(double x, double y)
    {
        driver.wait(1);  // apart from the last tap, so that it is not a double tap
        driver.tapAt(canvas->convertPoint({x, y}, nullptr));
    }
    void writeFile(const std::string& name, const plat::Data& data)
    {
        ASSERT_TRUE(project->updateRegularFileWithContents(data, name));
    }
    bool hasFile(const std::string& name) const
    {
        return project->fileDataForFileWithPreferredFilename(name).has_value();
    }
    std::vector<std::string> names() const
    {
        std::vector<std::string> list;
        for (const auto& layer : manager->layers())
            list.push_back(layer->name());
        return list;
    }

    std::shared_ptr<zt::ProjectModel> project = std::make_shared<zt::ProjectModel>(std::nullopt);
    std::shared_ptr<plat::View> container = std::make_shared<plat::View>(plat::makeRect(0, 0, kWidth, kHeight));
    std::shared_ptr<zt::PaintingView> canvas
        = std::make_shared<zt::PaintingView>(plat::makeRect(0, 0, kWidth, kHeight));
    std::shared_ptr<plat::Image> background = plat::test::makeImage(kWidth, kHeight, [](int, int) {
        return Rgba {255, 255, 255, 255};
    });
    std::unique_ptr<zt::PainterLayerManager> manager;
};

}  // namespace

TEST_F(Layers, ANewManagerHasOneShownOpaqueLayerThatIsCurrent)
{
    ASSERT_EQ(manager->layers().size(), 1u);
    const auto& layer = *manager->layers()[0];
    EXPECT_EQ(manager->currentLayer(), manager->layers()[0]);
    EXPECT_EQ(layer.name(), "Layer");
    EXPECT_TRUE(layer.isEnabled());
    EXPECT_EQ(layer.obacity(), 1.0f);
    EXPECT_EQ(layer.type(), 0);
    EXPECT_TRUE(zt::PainterLayer::isLayerIdentifier(layer.UUID()));
    EXPECT_EQ(manager->indexOfActiveLayer(), 0);
}

TEST_F(Layers, AddedLayersAreNumberedOnAfterDeletionsUpToTwentyOne)
{
    EXPECT_TRUE(manager->addLayerAtIndex(0));
    EXPECT_TRUE(manager->addLayerAtIndex(0));
    EXPECT_EQ(names(), (std::vector<std::string> {"Draw Layer 2", "Draw Layer 1", "Layer"}));
    EXPECT_TRUE(manager->removeLayerAtIndex(0));
    EXPECT_TRUE(manager->addLayerAtIndex(1));
    EXPECT_EQ(names(), (std::vector<std::string> {"Draw Layer 1", "Draw Layer 3", "Layer"}));
    EXPECT_EQ(manager->indexOfActiveLayer(), 1);
    while (manager->layers().size() < 21)
        ASSERT_TRUE(manager->addLayerAtIndex(0));
    EXPECT_FALSE(manager->addLayerAtIndex(0));
    EXPECT_EQ(manager->layers().size(), 21u);
}

TEST_F(Layers, MovingRowZeroToTwoMovesThatLayerAsTheTableDoes)
{
    manager->addLayerAtIndex(0);
    manager->addLayerAtIndex(0);
    const auto before = manager->layers();
    manager->moveLayerFromIndex(0, 2);
    EXPECT_EQ(manager->layers(), (std::vector {before[1], before[2], before[0]}));
    manager->moveLayerFromIndex(2, 0);
    EXPECT_EQ(manager->layers(), before);
}

TEST_F(Layers, SwitchingLayersKeepsEachLayersStrokesAndShowsTheOthersAsPictures)
{
    tapAt(50, 60);
    auto first = manager->currentLayer();
    ASSERT_TRUE(manager->addLayerAtIndex(0));
    EXPECT_FALSE(canvas->canUndo());  // the new layer starts empty
    tapAt(150, 60);
    auto second = manager->currentLayer();
    manager->setCurrentLayer(first);
    ASSERT_EQ(canvas->strokeBuffer().size(), 1u);
    EXPECT_EQ(pixelAt(*canvas->createImage(), 50, 60)[3], 255);
    EXPECT_EQ(pixelAt(*canvas->createImage(), 150, 60)[3], 0);
    ASSERT_TRUE(second->viewImage());
    EXPECT_FALSE(second->viewImage()->isHidden());
    EXPECT_EQ(pixelAt(*second->viewImage()->image(), 150, 60)[3], 255);
    // The front layer's view is in front of the canvas.
    const auto& stack = container->subviews();
    auto position = [&stack](const std::shared_ptr<plat::View>& view) {
        return std::find(stack.begin(), stack.end(), view) - stack.begin();
    };
    EXPECT_GT(position(second->viewImage()), position(canvas));
    EXPECT_TRUE(second->bufferData());
}

TEST_F(Layers, RemovingTheCurrentLayerMakesTheOneInItsPlaceCurrent)
{
    tapAt(50, 60);
    auto back = manager->currentLayer();
    manager->addLayerAtIndex(0);
    tapAt(150, 60);
    ASSERT_EQ(manager->indexOfActiveLayer(), 0);
    EXPECT_TRUE(manager->removeLayerAtIndex(0));
    EXPECT_EQ(manager->currentLayer(), back);
    ASSERT_EQ(canvas->strokeBuffer().size(), 1u);
    EXPECT_EQ(pixelAt(*canvas->createImage(), 150, 60)[3], 0);
    EXPECT_EQ(pixelAt(*canvas->createImage(), 50, 60)[3], 255);
    // The last layer stays.
    EXPECT_FALSE(manager->removeLayerAtIndex(0));
    EXPECT_FALSE(manager->removeLayerAtIndex(5));
    EXPECT_EQ(manager->layers().size(), 1u);
}

TEST_F(Layers, RemovingTheLastRowOfTheCurrentLayerMakesTheOneInFrontCurrent)
{
    manager->addLayerAtIndex(1);  // behind the first, current
    auto front = manager->layers()[0];
    ASSERT_EQ(manager->indexOfActiveLayer(), 1);
    EXPECT_TRUE(manager->removeLayerAtIndex(1));
    EXPECT_EQ(manager->currentLayer(), front);
}

TEST_F(Layers, TheMergeDrawsShownLayersBackToFrontAtTheirOpacity)
{
    // The back layer: blue over both spots; the front layer: the pen's red at one spot.
    canvas->setBrushColorWithRed(0, 0, 1);
    tapAt(50, 60);
    tapAt(150, 60);
    manager->addLayerAtIndex(0);
    canvas->setBrushColorWithRed(1, 0, 0);
    tapAt(50, 60);
    auto merged = manager->mergeDownAllLayer();
    ASSERT_TRUE(merged);
    EXPECT_EQ(pixelAt(*merged, 50, 60), (Rgba {255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*merged, 150, 60), (Rgba {0, 0, 255, 255}));
    EXPECT_EQ(pixelAt(*merged, 100, 10), (Rgba {255, 255, 255, 255}));

    manager->enableLayerAtIndex(0, false);
    EXPECT_TRUE(canvas->isHidden());
    merged = manager->mergeDownAllLayer();
    EXPECT_EQ(pixelAt(*merged, 50, 60), (Rgba {0, 0, 255, 255}));

    manager->enableLayerAtIndex(0, true);
    manager->changeLayerOpacityAtIndex(0, 0.5f);
    EXPECT_DOUBLE_EQ(canvas->alpha(), 0.5);
    merged = manager->mergeDownAllLayer();
    const Rgba half = pixelAt(*merged, 50, 60);
    EXPECT_NEAR(half[0], 128, 2);
    EXPECT_NEAR(half[2], 128, 2);
}

TEST_F(Layers, EachLayerShowsOnScreenAtItsOpacityWhetherCurrentOrNot)
{
    container->setBackgroundColor(plat::Color::whiteColor());
    canvas->setBrushColorWithRed(0, 0, 1);
    tapAt(50, 60);  // the back layer, which stops being current
    manager->addLayerAtIndex(0);
    canvas->setBrushColorWithRed(1, 0, 0);
    tapAt(150, 60);  // the front layer, current
    const struct {
        const char* layer;
        int64_t index;
        plat::Point spot;
        float opacity;
        Rgba shown;  // over white
    } cases[] = {
        {"back, not current", 1, {50, 60}, 0.5f, {128, 128, 255, 255}},
        {"front, current", 0, {150, 60}, 0.25f, {255, 191, 191, 255}},
    };
    for (const auto& c : cases)
        manager->changeLayerOpacityAtIndex(c.index, c.opacity);
    auto screen = driver.screenshot();
    ASSERT_TRUE(screen);
    const double scale = screen->scale();
    for (const auto& c : cases) {
        const plat::Point at = container->convertPoint(c.spot, nullptr);
        const Rgba got = pixelAt(*screen, static_cast<int>(at.x * scale), static_cast<int>(at.y * scale));
        for (size_t i = 0; i < 4; ++i)
            EXPECT_NEAR(got[i], c.shown[i], 3) << c.layer << ", component " << i;
    }
}

TEST_F(Layers, StrokesThatCannotBeReadLeaveTheCanvasEmptyAndSayWhy)
{
    tapAt(50, 60);
    EXPECT_TRUE(manager->decodeLayerInformationFromData(std::nullopt).ok());
    EXPECT_EQ(canvas->strokeBuffer().size(), 1u);
    auto decoded = manager->decodeLayerInformationFromData(plat::Data {1, 2, 3});
    ASSERT_FALSE(decoded.ok());
    EXPECT_FALSE(canvas->canUndo());
    EXPECT_FALSE(manager->currentLayer()->bufferData());
}

TEST_F(Layers, StoredLayersComeBackWithTheirStrokesPicturesAndSettings)
{
    tapAt(50, 60);
    manager->addLayerAtIndex(0);
    tapAt(150, 60);
    manager->changeLayerOpacityAtIndex(1, 0.25f);
    manager->enableLayerAtIndex(1, false);
    ASSERT_TRUE(manager->storeLayersForFrameID(kFrame).ok());
    const auto storedNames = names();

    auto reopened = makeManager();
    manager.reset();
    ASSERT_TRUE(reopened->loadLayersForFrameID(kFrame).ok());
    ASSERT_EQ(reopened->layers().size(), 2u);
    EXPECT_EQ(reopened->layers()[0]->name(), storedNames[0]);
    EXPECT_EQ(reopened->layers()[1]->obacity(), 0.25f);
    EXPECT_FALSE(reopened->layers()[1]->isEnabled());
    EXPECT_EQ(reopened->currentLayer(), reopened->layers()[0]);
    ASSERT_EQ(canvas->strokeBuffer().size(), 1u);
    EXPECT_EQ(pixelAt(*canvas->createImage(), 150, 60)[3], 255);
    auto backPicture = reopened->layers()[1]->viewImage();
    ASSERT_TRUE(backPicture);
    EXPECT_EQ(pixelAt(*backPicture->image(), 50, 60)[3], 255);
    EXPECT_TRUE(backPicture->isHidden());
}

TEST_F(Layers, ADamagedLayerListIsKeptAsideAndTheFrameOpensWithOneLayer)
{
    writeFile(zt::PainterFiles::layersFileName(kFrame), plat::Data {'j', 'u', 'n', 'k'});
    EXPECT_FALSE(manager->loadLayersForFrameID(kFrame).ok());
    EXPECT_FALSE(hasFile(zt::PainterFiles::layersFileName(kFrame)));
    EXPECT_TRUE(hasFile(zt::PainterFiles::layersFileName(kFrame) + ".damaged"));
    EXPECT_EQ(manager->layers().size(), 1u);
    // A second damaged list does not replace the first one kept.
    writeFile(zt::PainterFiles::layersFileName(kFrame), plat::Data {'m', 'o', 'r', 'e'});
    EXPECT_FALSE(manager->loadLayersForFrameID(kFrame).ok());
    EXPECT_TRUE(hasFile(zt::PainterFiles::layersFileName(kFrame) + ".damaged-2"));
}

TEST_F(Layers, LayerIdentifiersThatAreNotUUIDsAreRefused)
{
    zt::PainterLayer layer;
    auto dictionary = layer.encode();
    dictionary.set("UUID", plat::Value("../../escape"));
    auto archive = zt::PainterLayerArchive::archivedDataWithLayers({dictionary});
    ASSERT_TRUE(archive.ok());
    writeFile(zt::PainterFiles::layersFileName(kFrame), archive.value());
    EXPECT_FALSE(zt::PainterLayerManager::duplicateFrameID(kFrame, "F2", *project).ok());
    EXPECT_FALSE(hasFile(zt::PainterFiles::layersFileName("F2")));
    auto loaded = manager->loadLayersForFrameID(kFrame);
    ASSERT_FALSE(loaded.ok());
    EXPECT_EQ(loaded.error().domain(), "PainterLayer");
    EXPECT_EQ(manager->layers().size(), 1u);
}

TEST_F(Layers, ALayerPictureThatCannotBeReadIsDrawnAgainFromItsStrokes)
{
    tapAt(50, 60);
    manager->addLayerAtIndex(0);
    tapAt(150, 60);
    ASSERT_TRUE(manager->storeLayersForFrameID(kFrame).ok());
    const std::string backID = manager->layers()[1]->UUID();
    // The back layer's picture has the wrong size.
    auto small = plat::test::makeImage(20, 10, [](int, int) { return Rgba {0, 0, 0, 255}; });
    writeFile(zt::PainterFiles::layerPictureFileName(kFrame, backID), *plat::PNGRepresentation(*small));

    auto reopened = makeManager();
    manager.reset();
    EXPECT_TRUE(reopened->loadLayersForFrameID(kFrame).ok());
    ASSERT_EQ(reopened->layers().size(), 2u);
    EXPECT_TRUE(hasFile(zt::PainterFiles::layerPictureFileName(kFrame, backID) + ".damaged"));
    auto backPicture = reopened->layers()[1]->viewImage()->image();
    EXPECT_EQ(backPicture->bitmap()->width(), kWidth);
    EXPECT_EQ(pixelAt(*backPicture, 50, 60)[3], 255);
    EXPECT_EQ(canvas->strokeBuffer().size(), 1u) << "the front layer's strokes, editable";
}

// A layer's strokes are its painting: without them the layers are not taken
// back at all, and the manager keeps its one empty layer.
TEST_F(Layers, ALayerWhoseStrokesCannotBeReadLeavesTheLayersAsTheyWere)
{
    struct Fault {
        const char* what;
        std::optional<plat::Data> strokes;  // none: the file is missing
    };
    const Fault faults[] = {{"damaged", plat::Data {9, 9, 9}}, {"missing", std::nullopt}};
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.what);
        auto painted = makeManager();
        tapAt(50, 60);
        painted->addLayerAtIndex(0);
        tapAt(150, 60);
        ASSERT_TRUE(painted->storeLayersForFrameID(kFrame).ok());
        const std::string strokes = zt::PainterFiles::layerStrokesFileName(kFrame, painted->layers()[1]->UUID());
        painted.reset();
        canvas->erase();
        if (fault.strokes)
            writeFile(strokes, *fault.strokes);
        else
            ASSERT_TRUE(project->removeRegularFileWithPreferredFilename(strokes));

        auto reopened = makeManager();
        const size_t shown = container->subviews().size();
        EXPECT_FALSE(reopened->loadLayersForFrameID(kFrame).ok());
        EXPECT_EQ(reopened->layers().size(), 1u);
        EXPECT_FALSE(reopened->hasStrokes());
        EXPECT_EQ(container->subviews().size(), shown) << "no picture of a layer is shown";
        EXPECT_EQ(hasFile(strokes + ".damaged"), fault.strokes.has_value());
    }
}

TEST_F(Layers, ADuplicatedFrameGetsCopiesUnderNewLayerIdentifiers)
{
    tapAt(50, 60);
    ASSERT_TRUE(manager->storeLayersForFrameID(kFrame).ok());
    const std::string oldID = manager->layers()[0]->UUID();
    // Without a picture file the copy goes on with the strokes.
    ASSERT_TRUE(project->removeRegularFileWithPreferredFilename(zt::PainterFiles::layerPictureFileName(kFrame, oldID)));
    ASSERT_TRUE(zt::PainterLayerManager::duplicateFrameID(kFrame, "F2", *project).ok());
    auto list = zt::PainterLayerArchive::layersWithData(
        *project->fileDataForFileWithPreferredFilename(zt::PainterFiles::layersFileName("F2")));
    ASSERT_TRUE(list.ok());
    ASSERT_EQ(list.value().size(), 1u);
    const std::string newID = *list.value()[0].getString("UUID");
    EXPECT_NE(newID, oldID);
    EXPECT_TRUE(hasFile(zt::PainterFiles::layerStrokesFileName("F2", newID)));
    EXPECT_FALSE(hasFile(zt::PainterFiles::layerPictureFileName("F2", newID)));
    // No list: nothing to copy.
    EXPECT_TRUE(zt::PainterLayerManager::duplicateFrameID("none", "F3", *project).ok());
    EXPECT_FALSE(hasFile(zt::PainterFiles::layersFileName("F3")));
}

TEST(PainterLayer, DictionariesOfLockedLayersAndMissingEntries)
{
    zt::PainterLayer made;
    auto dictionary = made.encode();
    dictionary.set("type", plat::Value(2));
    auto locked = zt::PainterLayer::initWithDict(dictionary);
    ASSERT_TRUE(locked.ok());
    EXPECT_FALSE(locked.value()->canEdit());
    EXPECT_FALSE(locked.value()->canDeleted());
    EXPECT_FALSE(locked.value()->canStored());
    dictionary.remove("enabled");
    dictionary.remove("obacity");
    auto bare = zt::PainterLayer::initWithDict(dictionary);
    ASSERT_TRUE(bare.ok());
    EXPECT_FALSE(bare.value()->isEnabled());
    EXPECT_EQ(bare.value()->obacity(), 0.0f);
    dictionary.set("name", plat::Value(3));
    EXPECT_FALSE(zt::PainterLayer::initWithDict(dictionary).ok());
}
