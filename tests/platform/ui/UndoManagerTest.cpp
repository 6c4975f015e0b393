#include "platform/ui/UndoManager.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"

namespace {

// A model of numbers whose changes register their own undo.
class Numbers : public plat::Object {
public:
    void append(int value, plat::UndoManager& undo)
    {
        values.push_back(value);
        undo.registerUndoWithTarget<Numbers>(this, [&undo](Numbers& self) { self.removeLast(undo); });
    }
    void removeLast(plat::UndoManager& undo)
    {
        int value = values.back();
        values.pop_back();
        undo.registerUndoWithTarget<Numbers>(this, [&undo, value](Numbers& self) { self.append(value, undo); });
    }
    std::vector<int> values;
};

class Undoing : public ::testing::Test {
protected:
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::UndoManager> undo = std::make_shared<plat::UndoManager>();
    std::shared_ptr<Numbers> numbers = std::make_shared<Numbers>();
};

}  // namespace

TEST_F(Undoing, ChangesOfOneTurnUndoTogetherAndRedo)
{
    numbers->append(1, *undo);
    plat::test::passTime(0);
    numbers->append(2, *undo);
    numbers->append(3, *undo);
    undo->setActionName("Add Numbers");
    plat::test::passTime(0);
    EXPECT_EQ(undo->undoMenuItemTitle(), "Undo Add Numbers");
    undo->undo();
    EXPECT_EQ(numbers->values, (std::vector<int> {1}));
    EXPECT_TRUE(undo->canRedo());
    EXPECT_EQ(undo->redoActionName(), "Add Numbers");
    undo->redo();
    EXPECT_EQ(numbers->values, (std::vector<int> {1, 2, 3}));
    undo->undo();
    undo->undo();
    EXPECT_TRUE(numbers->values.empty());
    EXPECT_FALSE(undo->canUndo());
}

TEST_F(Undoing, ExplicitGroupsNestInsideTheEventGroup)
{
    undo->beginUndoGrouping();
    undo->setActionName("Delete Frame(s)");
    numbers->append(7, *undo);
    numbers->append(8, *undo);
    undo->endUndoGrouping();
    EXPECT_EQ(undo->groupingLevel(), 1) << "the event group stays open until the turn ends";
    undo->undo();  // closes the event group first
    EXPECT_TRUE(numbers->values.empty());
    EXPECT_EQ(undo->redoActionName(), "Delete Frame(s)");
}

TEST_F(Undoing, ANewChangeForgetsWhatWasUndone)
{
    numbers->append(1, *undo);
    plat::test::passTime(0);
    undo->undo();
    ASSERT_TRUE(undo->canRedo());
    numbers->append(5, *undo);
    EXPECT_FALSE(undo->canRedo());
}

TEST_F(Undoing, OperationsOfADeadTargetAreSkipped)
{
    auto other = std::make_shared<Numbers>();
    other->append(1, *undo);
    numbers->append(2, *undo);
    plat::test::passTime(0);
    other.reset();
    undo->undo();
    EXPECT_TRUE(numbers->values.empty());
}

TEST_F(Undoing, RemovingATargetsActionsDropsGroupsLeftEmpty)
{
    auto other = std::make_shared<Numbers>();
    other->append(1, *undo);
    plat::test::passTime(0);
    numbers->append(2, *undo);
    plat::test::passTime(0);
    undo->removeAllActionsWithTarget(numbers.get());
    undo->undo();
    EXPECT_EQ(numbers->values, (std::vector<int> {2}));
    EXPECT_TRUE(other->values.empty());
    EXPECT_FALSE(undo->canUndo());
}

TEST_F(Undoing, LevelsOfUndoKeepTheNewestGroups)
{
    undo->setLevelsOfUndo(2);
    for (int i = 1; i <= 3; ++i) {
        numbers->append(i, *undo);
        plat::test::passTime(0);
    }
    undo->undo();
    undo->undo();
    EXPECT_FALSE(undo->canUndo());
    EXPECT_EQ(numbers->values, (std::vector<int> {1}));
}

TEST_F(Undoing, TheResponderChainReachesTheWindowsManager)
{
    auto window = std::make_shared<plat::Window>();
    auto view = std::make_shared<plat::View>(plat::makeRect(0, 0, 10, 10));
    window->addSubview(view);
    ASSERT_NE(view->undoManager(), nullptr);
    EXPECT_EQ(view->undoManager(), window->undoManager());
    auto loose = std::make_shared<plat::View>();
    EXPECT_EQ(loose->undoManager(), nullptr);
}

TEST(UndoingDeathTest, EndingAGroupThatIsNotOpenStops)
{
    auto undo = std::make_shared<plat::UndoManager>();
    EXPECT_DEATH(undo->endUndoGrouping(), "no group is open");
}

TEST_F(Undoing, UndoAndRedoAreAnnouncedAndRegistrationCanBeSuspended)
{
    std::vector<std::string> heard;
    auto& center = plat::NotificationCenter::defaultCenter();
    auto did = center.addObserver(plat::UndoManagerDidUndoChangeNotification, undo.get(),
        [&](const plat::Notification&) { heard.push_back("undo"); });
    auto redid = center.addObserver(plat::UndoManagerDidRedoChangeNotification, undo.get(),
        [&](const plat::Notification&) { heard.push_back("redo"); });
    numbers->append(1, *undo);
    plat::test::passTime(0);
    undo->disableUndoRegistration();
    numbers->append(2, *undo);  // not undoable
    undo->enableUndoRegistration();
    plat::test::passTime(0);
    undo->undo();
    EXPECT_EQ(numbers->values, (std::vector<int> {1}));
    EXPECT_FALSE(undo->canUndo()) << "the change made while registration was off left no step";
    undo->redo();
    EXPECT_EQ(heard, (std::vector<std::string> {"undo", "redo"}));
    center.removeObserver(did);
    center.removeObserver(redid);
}
