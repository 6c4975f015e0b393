#include "painter/PaintToolViewController.h"

#include <gtest/gtest.h>

#include "PainterTestSupport.h"
#include "document/ProjectModel.h"
#include "painter/PainterBrush.h"
#include "painter/PainterLayerManager.h"
#include "painter/PainterLayerTableViewController.h"
#include "painter/PainterToolSizeBrushView.h"
#include "painter/PainterToolSizeViewController.h"
#include "painter/Stroke.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Slider.h"
#include "platform/ui/ViewRendering.h"
#include "support/Pixels.h"
#include "support/RootScreenTest.h"

namespace {

using plat::test::pixelAt;

struct CodeRecorder : zt::PaintToolDelegate {
    void paintToolDidSelectTool(int64_t code) override { codes.push_back(code); }
    std::vector<int64_t> codes;
};

class ToolBar : public plat::test::RootScreenTest {
protected:
    explicit ToolBar(double width = 568)
    {
        tools->setDelegate(recorder);
        tools->view()->setFrame(plat::makeRect(0, 0, width, 96));
        root->addChildViewController(tools);
        root->view()->addSubview(tools->view());
        for (const auto& [type, brush] : brushes)
            if (type != zt::kBrushTypeMove)
                tools->setBrush(brush, type);
        driver.wait(0);
    }
    void tap(const std::shared_ptr<plat::Button>& button)
    {
        driver.wait(1);  // never a double tap
        ASSERT_TRUE(driver.tap(*button));
    }
    // A finger on a dimmed button, which the driver itself refuses to tap.
    void press(const std::shared_ptr<plat::Button>& button)
    {
        driver.wait(1);
        EXPECT_FALSE(driver.tap(*button)) << "disabled";
        driver.tapMiddleOf(*button);
    }
    std::shared_ptr<zt::PainterToolSizeViewController> sizePopover() const
    {
        auto popover = tools->popoverController();
        return popover ? std::dynamic_pointer_cast<zt::PainterToolSizeViewController>(popover->contentViewController())
                       : nullptr;
    }

    zt::PainterBrushes brushes = zt::test::makeBrushes();
    std::shared_ptr<CodeRecorder> recorder = std::make_shared<CodeRecorder>();
    std::shared_ptr<zt::PaintToolViewController> tools = std::make_shared<zt::PaintToolViewController>();
};

class WideToolBar : public ToolBar {
protected:
    WideToolBar()
        : ToolBar(1024)
    {
    }
};

}  // namespace

TEST_F(ToolBar, DrawingToolsSendTheirCodesAndTheSelectedOneOpensItsSizes)
{
    tap(tools->btnPen);
    tap(tools->btnFountainPen);
    tap(tools->btnEraser);
    tap(tools->btnBrush);
    EXPECT_EQ(recorder->codes, (std::vector<int64_t> {3, 4, 5, 2}));
    EXPECT_TRUE(tools->btnBrush->isSelected());
    EXPECT_FALSE(tools->btnPen->isSelected());
    EXPECT_EQ(tools->currentSelectedTool(), tools->btnBrush);
    EXPECT_FALSE(tools->popoverController());

    // Again on the selected one: its size popover, and no code.
    tap(tools->btnBrush);
    EXPECT_EQ(recorder->codes.size(), 4u);
    auto sizes = sizePopover();
    ASSERT_TRUE(sizes);
    EXPECT_EQ(sizes->brush(), brushes[zt::kBrushTypeBrush]);
    driver.wait(1);
    EXPECT_TRUE(tools->popoverController()->isPopoverVisible());
}

TEST_F(ToolBar, MoveStampUndoRedoAndLayersSendOrOpenWhatTheyShould)
{
    tap(tools->btnMove);
    EXPECT_TRUE(tools->btnMove->isSelected());
    tap(tools->btnStamp);
    EXPECT_FALSE(tools->btnMove->isSelected());
    EXPECT_TRUE(tools->btnStamp->isSelected());
    tap(tools->btnUndo);
    tap(tools->btnRedo);
    tap(tools->btnMove);  // selected again, with no popover
    EXPECT_EQ(recorder->codes, (std::vector<int64_t> {20, 30, 10, 15, 20}));
    EXPECT_FALSE(tools->popoverController());

    // The layer list opens in a popover with the arrow up, inside a navigation controller.
    auto project = std::make_shared<zt::ProjectModel>(std::nullopt);
    auto list = std::make_shared<zt::PainterLayerTableViewController>();
    list->setLayerManager(std::make_shared<zt::PainterLayerManager>(project));
    tools->setPainterLayerTableViewController(list);
    tap(tools->btnLayer);
    ASSERT_TRUE(tools->popoverController());
    EXPECT_TRUE(
        std::dynamic_pointer_cast<plat::NavigationController>(tools->popoverController()->contentViewController()));
    EXPECT_EQ(tools->popoverController()->delegate(), list);
    EXPECT_EQ(recorder->codes.size(), 5u);
}

TEST_F(ToolBar, TheBackButtonSendsItsCodeOnce)
{
    tap(tools->btnBack);
    EXPECT_FALSE(tools->btnBack->isEnabled());
    driver.wait(1);
    driver.tap(*tools->btnBack);  // disabled: it no longer answers
    EXPECT_EQ(recorder->codes, (std::vector<int64_t> {0}));
}

TEST_F(ToolBar, EightButtonsShareANarrowBarEqually)
{
    tools->layoutButtons();
    const std::shared_ptr<plat::Button> order[] = {tools->btnBack, tools->btnBrush, tools->btnPen,
        tools->btnFountainPen, tools->btnEraser, tools->btnMove, tools->btnUndo, tools->btnRedo};
    for (int index = 0; index < 8; ++index) {
        EXPECT_DOUBLE_EQ(order[index]->frame().minX(), 71.0 * index) << index;
        EXPECT_DOUBLE_EQ(order[index]->frame().width(), 71.0);
    }
    EXPECT_DOUBLE_EQ(tools->viewToolColorPen->frame().minX(), 71.0 * 2 + 5);
    EXPECT_DOUBLE_EQ(tools->viewToolColorPen->frame().width(), 61.0);

    // 640 is still eight slots of 80.
    tools->view()->setFrame(plat::makeRect(0, 0, 640, 96));
    tools->layoutButtons();
    EXPECT_DOUBLE_EQ(tools->btnRedo->frame().minX(), 560);
}

TEST_F(WideToolBar, AWideBarLeavesGapsAfterBackAndMove)
{
    tools->layoutButtons();
    const double slot = 102.4;
    EXPECT_DOUBLE_EQ(tools->btnBack->frame().minX(), 0);
    EXPECT_DOUBLE_EQ(tools->btnBrush->frame().minX(), 2 * slot);
    EXPECT_DOUBLE_EQ(tools->btnMove->frame().minX(), 6 * slot);
    EXPECT_DOUBLE_EQ(tools->btnUndo->frame().minX(), 8 * slot);
    EXPECT_DOUBLE_EQ(tools->btnRedo->frame().minX(), 9 * slot);
    EXPECT_DOUBLE_EQ(tools->btnRedo->frame().width(), slot);
    EXPECT_DOUBLE_EQ(tools->viewToolColorBrush->frame().minX(), 2 * slot + 5);
}

TEST_F(ToolBar, ThePainterSetsColoursSelectionVisibilityAndEnabledStates)
{
    EXPECT_EQ(tools->viewToolColorBrush->backgroundColor(), brushes[zt::kBrushTypeBrush]->color());
    EXPECT_EQ(tools->viewToolColorPen->backgroundColor(), brushes[zt::kBrushTypePen]->color());
    tools->setColor(plat::Color::redColor(), 2);
    EXPECT_EQ(tools->viewToolColorFountainPen->backgroundColor(), plat::Color::redColor());
    tools->setColor(plat::Color::greenColor(), 3);  // the eraser has no indicator
    tools->setColor(plat::Color::greenColor(), -1);
    EXPECT_EQ(tools->viewToolColorBrush->backgroundColor(), brushes[zt::kBrushTypeBrush]->color());

    tools->setSelectedTool(3);
    EXPECT_TRUE(tools->btnEraser->isSelected());
    tools->setSelectedTool(1);
    EXPECT_FALSE(tools->btnEraser->isSelected());
    EXPECT_TRUE(tools->btnPen->isSelected());
    tools->setSelectedTool(7);
    EXPECT_FALSE(tools->btnPen->isSelected());
    EXPECT_FALSE(tools->currentSelectedTool());

    tools->hideTool(0);
    tools->hideTool(4);
    tools->hideTool(9);
    EXPECT_TRUE(tools->btnBrush->isHidden());
    EXPECT_TRUE(tools->viewToolColorBrush->isHidden());
    EXPECT_TRUE(tools->btnMove->isHidden());
    EXPECT_FALSE(tools->btnPen->isHidden());

    tools->enableTool(10, false);
    tools->enableTool(15, false);
    tools->enableTool(2, false);
    EXPECT_FALSE(tools->btnUndo->isEnabled());
    EXPECT_FALSE(tools->btnRedo->isEnabled());
    EXPECT_TRUE(tools->btnBrush->isEnabled());
    press(tools->btnUndo);
    EXPECT_TRUE(recorder->codes.empty());
    tools->enableTool(10, true);
    tap(tools->btnUndo);
    EXPECT_EQ(recorder->codes, (std::vector<int64_t> {10}));
}

TEST_F(ToolBar, TheSizeSliderRoundsStepsAndStaysWithinItsRange)
{
    tap(tools->btnPen);
    tap(tools->btnPen);
    auto sizes = sizePopover();
    ASSERT_TRUE(sizes);
    auto pen = brushes[zt::kBrushTypePen];
    EXPECT_DOUBLE_EQ(sizes->sliderSize()->value(), 15);
    sizes->sliderSize()->setValue(7.5);
    sizes->actionValueChanged(*sizes->sliderSize());
    EXPECT_DOUBLE_EQ(sizes->sliderSize()->value(), 8);
    EXPECT_EQ(pen->size(), 8);
    sizes->actionPlus();
    EXPECT_EQ(pen->size(), 9);
    for (int step = 0; step < 60; ++step)
        sizes->actionPlus();
    EXPECT_EQ(pen->size(), zt::PainterToolSizeViewController::kMaximumSize);
    for (int step = 0; step < 80; ++step)
        sizes->actionMinus();
    EXPECT_EQ(pen->size(), zt::PainterToolSizeViewController::kMinimumSize);
    sizes->sliderSize()->setValue(-20);
    sizes->actionValueChanged(*sizes->sliderSize());
    EXPECT_EQ(pen->size(), 1);
}

TEST_F(ToolBar, TheEraserPreviewIsWhiteAndEveryPreviewShowsItsSize)
{
    tap(tools->btnEraser);
    tap(tools->btnEraser);
    auto sizes = sizePopover();
    ASSERT_TRUE(sizes);
    EXPECT_EQ(brushes[zt::kBrushTypeEraser]->color(), plat::Color::whiteColor());

    auto preview = std::make_shared<zt::PainterToolSizeBrushView>(plat::makeRect(0, 0, 60, 60));
    preview->setBackgroundColor(plat::Color::whiteColor());
    auto brush = std::make_shared<zt::PainterBrush>();
    brush->setColor(plat::Color::redColor());
    brush->setSize(21);
    preview->setBrush(brush);
    auto picture = plat::renderViewToImage(*preview, 1.0);
    ASSERT_TRUE(picture);
    // A disc of 21 around the middle (30 - 10 to 30 + 11), white beyond it.
    EXPECT_EQ(pixelAt(*picture, 30, 30), (plat::test::Rgba {255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*picture, 21, 30), (plat::test::Rgba {255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*picture, 17, 30), (plat::test::Rgba {255, 255, 255, 255}));
    // The faint ring at the edge.
    EXPECT_LT(pixelAt(*picture, 30, 1)[0], 230);
    preview->setBrush(nullptr);
    picture = plat::renderViewToImage(*preview, 1.0);
    EXPECT_EQ(pixelAt(*picture, 30, 30), (plat::test::Rgba {255, 255, 255, 255}));
    EXPECT_EQ(pixelAt(*picture, 30, 1), (plat::test::Rgba {255, 255, 255, 255}));
}
