#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/TextField.h"
#include "platform/ui/TextView.h"
#include "platform/ui/TouchSynthesizer.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/Pixels.h"

namespace {

class FieldDelegate : public plat::TextFieldDelegate {
public:
    bool allowBegin = true;
    bool allowEnd = true;
    bool allowReturn = false;
    std::optional<std::string> refuseText;
    std::vector<std::string> log;
    std::vector<plat::Range> ranges;

    bool textFieldShouldBeginEditing(plat::TextField&) override { return allowBegin; }
    void textFieldDidBeginEditing(plat::TextField&) override { log.push_back("began"); }
    bool textFieldShouldEndEditing(plat::TextField&) override { return allowEnd; }
    void textFieldDidEndEditing(plat::TextField& field) override { log.push_back("ended " + field.text()); }
    bool textFieldShouldChangeCharactersInRangeReplacementString(
        plat::TextField&, plat::Range range, const std::string& text) override
    {
        ranges.push_back(range);
        return text != refuseText;
    }
    bool textFieldShouldReturn(plat::TextField& field) override
    {
        log.push_back("return");
        if (!allowReturn)
            field.resignFirstResponder();
        return allowReturn;
    }
};

class TextInput : public ::testing::Test {
protected:
    TextInput()
    {
        window->makeKeyAndVisible();
        field->setDelegate(delegate);
        window->addSubview(field);
        for (const char* name :
            {plat::KeyboardWillShowNotification, plat::KeyboardDidShowNotification, plat::KeyboardWillHideNotification,
                plat::KeyboardDidHideNotification, plat::TextFieldTextDidChangeNotification}) {
            tokens.push_back(plat::NotificationCenter::defaultCenter().addObserver(
                name, nullptr, [this](const plat::Notification& n) { notes.push_back(n.name); }));
        }
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>(plat::makeRect(0, 0, 568, 320));
    std::shared_ptr<plat::TextField> field = std::make_shared<plat::TextField>(plat::makeRect(10, 10, 200, 30));
    std::shared_ptr<FieldDelegate> delegate = std::make_shared<FieldDelegate>();
    std::vector<plat::ObserverToken> tokens;
    std::vector<std::string> notes;
};

// The most rows of the field's picture inked in one column from x for width columns.
int tallestInk(plat::TextField& field, int x, int width)
{
    auto picture = plat::renderViewToImage(field, 1);
    int tallest = 0;
    for (int column = x; column < x + width; ++column) {
        int rows = 0;
        for (int y = 0; y < static_cast<int>(picture->size().height); ++y)
            rows += plat::test::pixelAt(*picture, column, y)[3] > 128 ? 1 : 0;
        tallest = std::max(tallest, rows);
    }
    return tallest;
}

}  // namespace

TEST_F(TextInput, TapStartsEditingAndTheKeyboardShows)
{
    plat::TouchSynthesizer touches(window);
    auto t = touches.touchDown({50, 20});
    touches.liftTouch(t);
    EXPECT_TRUE(field->isEditing());
    EXPECT_TRUE(field->isFirstResponder());
    EXPECT_EQ(delegate->log, (std::vector<std::string> {"began"}));
    EXPECT_EQ(notes, (std::vector<std::string> {plat::KeyboardWillShowNotification}));
    clock.advance(0.24);
    EXPECT_EQ(notes.back(), plat::KeyboardWillShowNotification) << "the keyboard rises over 0.25 s";
    clock.advance(0.02);
    EXPECT_EQ(notes.back(), plat::KeyboardDidShowNotification);
    EXPECT_EQ(plat::Keyboard::shared().frame(), plat::makeRect(0, 320 - 162, 568, 162));
}

TEST_F(TextInput, TypingAsksTheDelegateWithUtf16Ranges)
{
    field->becomeFirstResponder();
    ASSERT_TRUE(plat::Keyboard::shared().typeText("é🙂a"));
    EXPECT_EQ(field->text(), "é🙂a");
    // é is one unit, the emoji two.
    EXPECT_EQ(delegate->ranges, (std::vector<plat::Range> {{0, 0}, {1, 0}, {3, 0}}));
    plat::Keyboard::shared().typeText("\b\b");
    EXPECT_EQ(field->text(), "é");
    EXPECT_EQ(delegate->ranges.back(), (plat::Range {1, 2})) << "a backspace takes a whole character";
    EXPECT_EQ(std::count(notes.begin(), notes.end(), plat::TextFieldTextDidChangeNotification), 5);
}

TEST_F(TextInput, DelegateCanRefuseAChange)
{
    field->becomeFirstResponder();
    delegate->refuseText = "x";
    plat::Keyboard::shared().typeText("axb");
    EXPECT_EQ(field->text(), "ab");
}

TEST_F(TextInput, ReturnAsksTheDelegateWhichEndsEditing)
{
    field->becomeFirstResponder();
    plat::Keyboard::shared().typeText("Movie\n");
    EXPECT_EQ(delegate->log, (std::vector<std::string> {"began", "return", "ended Movie"}));
    EXPECT_FALSE(field->isEditing());
    clock.advance(0);
    EXPECT_EQ(notes.back(), plat::KeyboardWillHideNotification);
    clock.advance(0.24);
    EXPECT_EQ(notes.back(), plat::KeyboardWillHideNotification) << "the keyboard goes down over 0.25 s";
    clock.advance(0.02);
    EXPECT_EQ(notes.back(), plat::KeyboardDidHideNotification);
}

TEST_F(TextInput, RefusingToEndKeepsTheFieldEditing)
{
    field->becomeFirstResponder();
    delegate->allowEnd = false;
    EXPECT_FALSE(field->resignFirstResponder());
    EXPECT_TRUE(field->isEditing());
    EXPECT_FALSE(window->endEditing(false));
    EXPECT_TRUE(window->endEditing(true));
    EXPECT_FALSE(field->isFirstResponder());
}

TEST_F(TextInput, MovingToAnotherFieldKeepsTheKeyboardUp)
{
    auto other = std::make_shared<plat::TextField>(plat::makeRect(10, 50, 200, 30));
    window->addSubview(other);
    field->becomeFirstResponder();
    clock.advance(1);
    notes.clear();
    other->becomeFirstResponder();
    clock.advance(1);
    EXPECT_TRUE(notes.empty());
    EXPECT_TRUE(plat::Keyboard::shared().isShown());
    EXPECT_FALSE(field->isEditing());
    EXPECT_TRUE(other->isEditing());
}

TEST_F(TextInput, FieldOutsideAWindowCannotEdit)
{
    auto loose = std::make_shared<plat::TextField>();
    EXPECT_FALSE(loose->becomeFirstResponder());
    EXPECT_FALSE(plat::Keyboard::shared().typeText("a"));
}

TEST_F(TextInput, TextViewTakesLineBreaksAsText)
{
    class ViewDelegate : public plat::TextViewDelegate {
    public:
        int changes = 0;
        void textViewDidChange(plat::TextView&) override { ++changes; }
    };
    auto textView = std::make_shared<plat::TextView>(plat::makeRect(10, 100, 300, 100));
    auto viewDelegate = std::make_shared<ViewDelegate>();
    textView->setDelegate(viewDelegate);
    window->addSubview(textView);
    ASSERT_TRUE(textView->becomeFirstResponder());
    plat::Keyboard::shared().typeText("Hello\nworld");
    EXPECT_EQ(textView->text(), "Hello\nworld");
    EXPECT_EQ(viewDelegate->changes, 11);
    textView->setEditable(false);
    EXPECT_FALSE(textView->isFirstResponder());
}

TEST_F(TextInput, ANameTooLongForTheFieldShowsItsStartAndWhileTypedItsEnd)
{
    // A tall letter at one end and low dots beyond the width at the other.
    const std::string dots(80, '.');
    field->setTextAlignment(plat::TextAlignment::Center);
    field->setText("M" + dots);
    EXPECT_GT(tallestInk(*field, 0, 8), 8) << "the first letter shows at the left edge";

    field->setText(dots + "M");
    ASSERT_TRUE(field->becomeFirstResponder());
    EXPECT_GT(tallestInk(*field, 190, 8), 8) << "the last letter shows beside the caret";
}

TEST_F(TextInput, ASelectionInsideAnEmojiMovesToItsEdgesSoTypingKeepsIt)
{
    const std::string grin = "\xF0\x9F\x98\x80";
    field->setText("a" + grin + "b");
    field->setSelectedRange({2, 0});
    EXPECT_EQ(field->selectedRange(), (plat::Range {1, 0}));
    field->setSelectedRange({2, 1});
    EXPECT_EQ(field->selectedRange(), (plat::Range {1, 2}));
    field->setSelectedRange({0, 2});
    EXPECT_EQ(field->selectedRange(), (plat::Range {0, 3}));
    field->setSelectedRange({2, 0});
    field->insertText("x");
    EXPECT_EQ(field->text(), "ax" + grin + "b");

    auto textView = std::make_shared<plat::TextView>(plat::makeRect(10, 100, 300, 100));
    textView->setText(grin + grin);
    textView->setSelectedRange({3, 0});
    EXPECT_EQ(textView->selectedRange(), (plat::Range {2, 0}));
    textView->deleteBackward();
    EXPECT_EQ(textView->text(), grin);
    EXPECT_EQ(textView->selectedRange(), (plat::Range {0, 0}));
}

TEST_F(TextInput, BackspaceRemovesAWholeFlagOrToneModifiedEmoji)
{
    const std::string france = "\xF0\x9F\x87\xAB\xF0\x9F\x87\xB7";
    const std::string thumbsUpMediumTone = "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD";
    const std::string accentedE = "e\xCC\x81";
    field->setText("a" + accentedE + france + thumbsUpMediumTone);
    field->deleteBackward();
    EXPECT_EQ(field->text(), "a" + accentedE + france);
    EXPECT_EQ(field->selectedRange(), (plat::Range {7, 0}));
    field->deleteBackward();
    EXPECT_EQ(field->text(), "a" + accentedE);
    field->deleteBackward();
    EXPECT_EQ(field->text(), "a");
    EXPECT_EQ(field->selectedRange(), (plat::Range {1, 0}));

    auto textView = std::make_shared<plat::TextView>(plat::makeRect(10, 100, 300, 100));
    textView->setText("b" + france);
    textView->deleteBackward();
    EXPECT_EQ(textView->text(), "b");
}

TEST_F(TextInput, BackspaceTakesTheSelectionAndAtTheStartNothingInFieldAndView)
{
    auto textView = std::make_shared<plat::TextView>(plat::makeRect(10, 100, 300, 100));
    struct Case {
        std::function<void(plat::Range)> select;
        std::function<void()> backspace;
        std::function<std::string()> text;
        std::function<plat::Range()> selection;
    };
    for (const Case& edited :
        {Case {[&](plat::Range r) { field->setSelectedRange(r); }, [&] { field->deleteBackward(); },
             [&] { return field->text(); }, [&] { return field->selectedRange(); }},
            Case {[&](plat::Range r) { textView->setSelectedRange(r); }, [&] { textView->deleteBackward(); },
                [&] { return textView->text(); }, [&] { return textView->selectedRange(); }}}) {
        field->setText("abcd");
        textView->setText("abcd");
        edited.select({1, 2});
        edited.backspace();
        EXPECT_EQ(edited.text(), "ad");
        EXPECT_EQ(edited.selection(), (plat::Range {1, 0}));
        edited.select({0, 0});
        edited.backspace();
        EXPECT_EQ(edited.text(), "ad");
    }
    EXPECT_EQ(delegate->ranges, (std::vector<plat::Range> {{1, 2}})) << "a backspace at the start asks nothing";
}

TEST_F(TextInput, AFieldThatClearsOnBeginEditingStartsEmptyWithTheCaretAtZero)
{
    field->setText("old");
    field->setClearsOnBeginEditing(true);
    ASSERT_TRUE(field->becomeFirstResponder());
    EXPECT_EQ(field->text(), "");
    EXPECT_EQ(field->selectedRange(), (plat::Range {0, 0}));
    field->insertText("n");
    EXPECT_EQ(field->text(), "n");
}
