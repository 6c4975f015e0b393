#include "uikit/APTextFieldCell.h"

#include <gtest/gtest.h>

#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/Pixels.h"
#include "uikit/APInsetTextField.h"

namespace {

// Records what a cell tells, and answers the return key as told.
class RecordingDelegate : public zt::APTextFieldDelegate {
public:
    std::optional<bool> textFieldCellShouldReturnForIndexPathWithValue(
        zt::APTextFieldCell&, plat::IndexPath path, const std::string& value) override
    {
        returns.push_back({path, value});
        return returnAnswer;
    }
    void textFieldCellUpdateTextLabelAtIndexPathString(
        zt::APTextFieldCell&, plat::IndexPath path, const std::string& text) override
    {
        updates.push_back({path, text});
    }
    void updateTextLabelAtIndexPath(plat::IndexPath path, const std::optional<std::string>& text) override
    {
        clears.push_back({path, text});
    }
    bool textFieldShouldBeginEditing(plat::TextField&) override
    {
        events.emplace_back("should begin");
        return allowBegin;
    }
    void textFieldDidBeginEditing(plat::TextField&) override { events.emplace_back("did begin"); }
    bool textFieldShouldEndEditing(plat::TextField&) override
    {
        events.emplace_back("should end");
        return true;
    }
    void textFieldDidEndEditing(plat::TextField&) override { events.emplace_back("did end"); }

    std::optional<bool> returnAnswer;
    bool allowBegin = true;
    std::vector<std::pair<plat::IndexPath, std::string>> returns;
    std::vector<std::pair<plat::IndexPath, std::string>> updates;
    std::vector<std::pair<plat::IndexPath, std::optional<std::string>>> clears;
    std::vector<std::string> events;
};

// A cell 320 x 44 in a window, its field in editing on request.
class TextFieldCell : public ::testing::Test {
protected:
    TextFieldCell()
    {
        window = std::make_shared<plat::Window>(plat::makeRect(0, 0, 568, 320));
        window->makeKeyAndVisible();
        cell = std::make_shared<zt::APTextFieldCell>(plat::TableViewCellStyle::Default, "Cell");
        cell->setFrame(plat::makeRect(0, 0, 320, 44));
        cell->setIndexPath(plat::IndexPath {3, 1});
        cell->setDelegate(delegate);
        window->addSubview(cell);
        layOut();
    }
    void layOut()
    {
        cell->setNeedsLayout();
        cell->layoutIfNeeded();
    }
    plat::TextField& field() { return *cell->rightTextField(); }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    plat::test::UIDriver driver;
    std::shared_ptr<plat::Window> window;
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
    std::shared_ptr<zt::APTextFieldCell> cell;
};

TEST_F(TextFieldCell, ACaptionTakesTheLeftAndTheFieldTheRest)
{
    cell->setLeftLabelText("Name");
    layOut();
    const plat::Rect content = cell->contentView()->frame();
    EXPECT_FALSE(cell->leftLabel()->isHidden());
    EXPECT_EQ(cell->leftLabel()->frame(), plat::makeRect(content.minX(), content.minY(), 125, content.height() - 1));
    EXPECT_EQ(field().frame(), plat::makeRect(content.minX() + 130, content.minY(), content.width() - 140, 44));
    EXPECT_EQ(cell->leftLabel()->numberOfLines(), 2);
    EXPECT_EQ(cell->leftLabel()->textAlignment(), plat::TextAlignment::Right);
    EXPECT_EQ(field().returnKeyType(), plat::ReturnKeyType::Done);
}

TEST_F(TextFieldCell, AnEmptyCaptionIsStillACaption)
{
    cell->setLeftLabelText(std::string());
    layOut();
    EXPECT_FALSE(cell->leftLabel()->isHidden());
    EXPECT_EQ(field().frame().minX(), cell->contentView()->frame().minX() + 130);
}

TEST_F(TextFieldCell, WithoutACaptionTheFieldTakesTheWholeRowBesideItsPicture)
{
    layOut();
    const plat::Rect content = cell->contentView()->frame();
    EXPECT_TRUE(cell->leftLabel()->isHidden());
    EXPECT_EQ(field().frame(), plat::makeRect(content.minX() + 10, content.minY(), content.width() - 20, 43));

    cell->imageView()->setImage(plat::test::makeFlatImage(40, 30, {0, 0, 0, 255}));
    layOut();
    const plat::Rect moved = cell->contentView()->frame();
    // The picture's 40 points and a gap of 5 stand before the field.
    EXPECT_EQ(field().frame(), plat::makeRect(moved.minX() + 55, moved.minY(), moved.width() - 65, 43));
}

TEST_F(TextFieldCell, EveryKeystrokeReportsTheWholeTextItWillBe)
{
    field().setText("xy");
    ASSERT_TRUE(field().becomeFirstResponder());
    field().setSelectedRange({2, 0});
    driver.type("ab\b");
    ASSERT_EQ(delegate->updates.size(), 3u);
    EXPECT_EQ(delegate->updates[0].second, "xya");
    EXPECT_EQ(delegate->updates[1].second, "xyab");
    EXPECT_EQ(delegate->updates[2].second, "xya");
    EXPECT_EQ(delegate->updates[2].first, (plat::IndexPath {3, 1}));
    EXPECT_EQ(field().text(), "xya");
}

TEST_F(TextFieldCell, ADelegateAnsweringNoToReturnKeepsTheKeyboardUp)
{
    field().setText("Mia");
    ASSERT_TRUE(field().becomeFirstResponder());
    delegate->returnAnswer = false;
    driver.type("\n");
    EXPECT_TRUE(field().isFirstResponder());
    ASSERT_EQ(delegate->returns.size(), 1u);
    EXPECT_EQ(delegate->returns[0], std::make_pair(plat::IndexPath {3, 1}, std::string("Mia")));

    delegate->returnAnswer = true;
    driver.type("\n");
    EXPECT_FALSE(field().isFirstResponder());
}

TEST_F(TextFieldCell, ReturnWithoutAnAnswerEndsTheEditing)
{
    ASSERT_TRUE(field().becomeFirstResponder());
    driver.type("\n");
    EXPECT_FALSE(field().isFirstResponder());
    EXPECT_EQ(delegate->returns.size(), 1u);

    cell->setDelegate({});
    ASSERT_TRUE(field().becomeFirstResponder());
    driver.type("\n");
    EXPECT_FALSE(field().isFirstResponder()) << "no delegate at all";
}

TEST_F(TextFieldCell, ClearingTellsTheRowWithNoText)
{
    field().setText("Old");
    ASSERT_TRUE(field().clearText());
    ASSERT_EQ(delegate->clears.size(), 1u);
    EXPECT_EQ(delegate->clears[0].first, (plat::IndexPath {3, 1}));
    EXPECT_FALSE(delegate->clears[0].second.has_value());
    EXPECT_EQ(field().text(), "");
}

TEST_F(TextFieldCell, BeginningAndEndingAreForwardedAndTheDelegateMayRefuse)
{
    ASSERT_TRUE(field().becomeFirstResponder());
    field().resignFirstResponder();
    EXPECT_EQ(delegate->events, (std::vector<std::string> {"should begin", "did begin", "should end", "did end"}));

    delegate->events.clear();
    delegate->allowBegin = false;
    EXPECT_FALSE(field().becomeFirstResponder());
    EXPECT_EQ(delegate->events, std::vector<std::string> {"should begin"});
}

TEST_F(TextFieldCell, AFieldThatOutlivesItsCellTellsNobody)
{
    auto keptField = cell->rightTextField();
    ASSERT_TRUE(keptField->becomeFirstResponder());
    cell->removeFromSuperview();
    cell.reset();
    EXPECT_FALSE(keptField->isFirstResponder());
    window->addSubview(keptField);
    delegate->updates.clear();
    ASSERT_TRUE(keptField->becomeFirstResponder());
    driver.type("z\n");
    EXPECT_TRUE(delegate->updates.empty());
    EXPECT_TRUE(delegate->returns.empty());
}

TEST(InsetTextField, TextEditingAndPlaceholderKeepInsideTheMargins)
{
    plat::test::UIScope ui;
    zt::APInsetTextField field(plat::makeRect(0, 0, 200, 40));
    const plat::Rect bounds = plat::makeRect(0, 0, 200, 40);
    EXPECT_EQ(field.textRectForBounds(bounds), bounds);
    field.setInset({2, 10, 4, 6});
    const plat::Rect inner = plat::makeRect(10, 2, 184, 34);
    EXPECT_EQ(field.textRectForBounds(bounds), inner);
    EXPECT_EQ(field.editingRectForBounds(bounds), inner);
    EXPECT_EQ(field.placeholderRectForBounds(bounds), inner);
}

TEST_F(TextFieldCell, AnInsetCellShrinksItsFrameAndItsField)
{
    auto inset = std::make_shared<zt::APInsetTextFieldCell>(plat::TableViewCellStyle::Default, "Inset");
    inset->setInset({5, 10, 5, 10});
    inset->setFrame(plat::makeRect(0, 0, 320, 54));
    EXPECT_EQ(inset->frame(), plat::makeRect(10, 5, 300, 44));
    inset->setLeftLabelText("Caption");
    inset->layoutIfNeeded();
    const plat::Rect content = inset->contentView()->frame();
    EXPECT_EQ(inset->rightTextField()->frame(),
        plat::makeRect(content.minX() + 130, content.minY() + 4, content.width() - 140, 44 - 8));
}

}  // namespace
