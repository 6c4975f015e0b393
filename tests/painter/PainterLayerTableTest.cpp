#include "painter/PainterLayerTableViewController.h"

#include <gtest/gtest.h>

#include "PainterTestSupport.h"
#include "document/ProjectModel.h"
#include "painter/PainterLayer.h"
#include "painter/PainterLayerManager.h"
#include "painter/PainterLayerTableCell.h"
#include "painter/PaintingView.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TableView.h"
#include "support/RootScreenTest.h"

namespace {

class LayerList : public plat::test::RootScreenTest {
protected:
    LayerList()
    {
        container->addSubview(canvas);
        root->view()->addSubview(container);
        canvas->setBrushes(zt::test::makeBrushes());
        manager->setPaintingCanvas(canvas);
        manager->setViewCanvas(container);
        list->setLayerManager(manager);
        navigation = std::make_shared<plat::NavigationController>(list);
        navigation->view()->setFrame(plat::makeRect(0, 0, 320, 230));
        root->view()->addSubview(navigation->view());
        navigation->beginAppearanceTransition(true, false);
        navigation->endAppearanceTransition();
        driver.wait(1);
    }
    std::string rowName(int64_t row)
    {
        auto cell
            = std::dynamic_pointer_cast<zt::PainterLayerTableCell>(list->tableView()->cellForRowAtIndexPath({0, row}));
        return cell ? cell->layerLabel->text() : "";
    }

    std::shared_ptr<plat::View> container = std::make_shared<plat::View>(plat::makeRect(0, 0, 200, 120));
    std::shared_ptr<zt::PaintingView> canvas = std::make_shared<zt::PaintingView>(plat::makeRect(0, 0, 200, 120));
    std::shared_ptr<zt::PainterLayerManager> manager
        = std::make_shared<zt::PainterLayerManager>(std::make_shared<zt::ProjectModel>(std::nullopt));
    std::shared_ptr<zt::PainterLayerTableViewController> list = std::make_shared<zt::PainterLayerTableViewController>();
    std::shared_ptr<plat::NavigationController> navigation;
};

}  // namespace

TEST_F(LayerList, ShowsOneRowPerLayerWithTheCurrentSelected)
{
    EXPECT_EQ(list->tableView()->numberOfRowsInSection(0), 1);
    EXPECT_EQ(rowName(0), "Layer");
    ASSERT_TRUE(list->tableView()->indexPathForSelectedRow());
    EXPECT_EQ(list->tableView()->indexPathForSelectedRow()->row, 0);
    EXPECT_TRUE(list->_deleteBtn->isEnabled());
    EXPECT_TRUE(list->_importBtn->isEnabled());
    EXPECT_DOUBLE_EQ(list->_sliderOpacity->value(), 1.0);
    EXPECT_EQ(list->contentSizeForViewInPopover(), (plat::Size {320, 230}));
}

TEST_F(LayerList, AddingAndDeletingChangeTheRowsAndTheLayersAlike)
{
    list->addLayer();
    driver.wait(1);
    ASSERT_EQ(manager->layers().size(), 2u);
    EXPECT_EQ(list->tableView()->numberOfRowsInSection(0), 2);
    EXPECT_EQ(rowName(0), "Draw Layer 1");
    EXPECT_EQ(rowName(1), "Layer");
    EXPECT_EQ(list->tableView()->indexPathForSelectedRow()->row, 0);
    list->deleteLayer();
    driver.wait(1);
    ASSERT_EQ(manager->layers().size(), 1u);
    EXPECT_EQ(list->tableView()->numberOfRowsInSection(0), 1);
    EXPECT_EQ(rowName(0), "Layer");
    // The last layer stays.
    list->deleteLayer();
    driver.wait(1);
    EXPECT_EQ(manager->layers().size(), 1u);
}

TEST_F(LayerList, ALockedLayerCanBeNeitherExportedDuplicatedNorDeleted)
{
    list->addLayer();
    driver.wait(1);
    manager->layers()[1]->setType(2);  // "Layer", behind
    struct Buttons {
        bool exportable, duplicable, importable, deletable;
        bool operator==(const Buttons&) const = default;
    };
    const struct {
        const char* row;
        Buttons buttons;
    } rows[] = {
        {"Draw Layer 1", {true, true, true, true}},
        {"Layer", {false, false, true, false}},
    };
    for (const auto& [row, buttons] : rows) {
        ASSERT_TRUE(driver.tap(row)) << row;
        const Buttons shown {list->_exportBtn->isEnabled(), list->_duplicateBtn->isEnabled(),
            list->_importBtn->isEnabled(), list->_deleteBtn->isEnabled()};
        EXPECT_TRUE(shown == buttons) << row << ": export " << shown.exportable << ", duplicate " << shown.duplicable
                                      << ", import " << shown.importable << ", delete " << shown.deletable;
    }
    // The locked layer is selected: the bin is dimmed and does nothing; for the other it deletes.
    auto bin = driver.findView("Trash");
    ASSERT_TRUE(bin);
    EXPECT_FALSE(driver.tap(*bin));
    driver.tapMiddleOf(*bin);
    driver.wait(1);
    EXPECT_EQ(manager->layers().size(), 2u);
    ASSERT_TRUE(driver.tap("Draw Layer 1"));
    ASSERT_TRUE(driver.tap("Trash"));
    driver.wait(1);
    ASSERT_EQ(manager->layers().size(), 1u);
    EXPECT_EQ(rowName(0), "Layer");
}

TEST_F(LayerList, MovedRowsAndTheirSwitchesStayWithTheirLayers)
{
    list->addLayer();
    driver.wait(1);
    list->addLayer();
    driver.wait(1);
    const auto before = manager->layers();
    list->tableViewMoveRowAtIndexPathToIndexPath(*list->tableView(), {0, 0}, {0, 2});
    driver.wait(1);
    EXPECT_EQ(manager->layers(), (std::vector {before[1], before[2], before[0]}));
    for (int64_t row = 0; row < 3; ++row)
        EXPECT_EQ(rowName(row), manager->layers()[size_t(row)]->name());
    auto cell = std::dynamic_pointer_cast<zt::PainterLayerTableCell>(list->tableView()->cellForRowAtIndexPath({0, 2}));
    ASSERT_TRUE(cell);
    cell->layerEnabled->setOn(false);
    list->enableLayer(*cell->layerEnabled);
    EXPECT_FALSE(before[0]->isEnabled());
    EXPECT_TRUE(before[1]->isEnabled());
}

TEST_F(LayerList, TheSelectedLayerBecomesCurrentWhenThePopoverCloses)
{
    list->addLayer();
    driver.wait(1);
    list->tableView()->selectRowAtIndexPath(plat::IndexPath {0, 1}, false, plat::TableViewScrollPosition::None);
    list->tableViewDidSelectRowAtIndexPath(*list->tableView(), {0, 1});
    EXPECT_EQ(manager->indexOfActiveLayer(), 0);
    list->_sliderOpacity->setValue(0.25);
    list->actionOpacityValueChanged(*list->_sliderOpacity);
    EXPECT_FLOAT_EQ(manager->layers()[1]->obacity(), 0.25f);
    zt::BubblePopoverController popover;
    list->popoverControllerDidDismissPopover(popover);
    EXPECT_EQ(manager->indexOfActiveLayer(), 1);
}
