#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/ui/Button.h"
#include "platform/ui/LongPressGestureRecognizer.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/PinchGestureRecognizer.h"
#include "platform/ui/RotationGestureRecognizer.h"
#include "platform/ui/SwipeGestureRecognizer.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/TouchSynthesizer.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"

namespace {

using State = plat::GestureRecognizerState;

// Records the actions of recognisers and the touches a view gets.
class Recorder : public plat::Object {
public:
    void tapped(plat::TapGestureRecognizer& r) { log.push_back("tap " + std::to_string(r.numberOfTapsRequired())); }
    void panned(plat::PanGestureRecognizer& r)
    {
        states.push_back(r.state());
        translations.push_back(r.translationInView(nullptr));
        velocities.push_back(r.velocityInView(nullptr));
    }
    void pinched(plat::PinchGestureRecognizer& r)
    {
        states.push_back(r.state());
        scales.push_back(r.scale());
    }
    void rotated(plat::RotationGestureRecognizer& r)
    {
        states.push_back(r.state());
        scales.push_back(r.rotation());
    }
    void swiped(plat::SwipeGestureRecognizer&) { log.push_back("swipe"); }
    void pressed(plat::LongPressGestureRecognizer& r) { states.push_back(r.state()); }
    void buttonTapped() { log.push_back("button"); }

    std::vector<std::string> log;
    std::vector<State> states;
    std::vector<plat::Point> translations;
    std::vector<plat::Point> velocities;
    std::vector<double> scales;
};

class TouchLog : public plat::View {
public:
    TouchLog(plat::Rect frame, std::vector<std::string>& log)
        : View(frame)
        , _log(log)
    {
    }
    void touchesBegan(const plat::TouchSet&, const plat::Event&) override { _log.push_back("view began"); }
    void touchesMoved(const plat::TouchSet&, const plat::Event&) override { _log.push_back("view moved"); }
    void touchesEnded(const plat::TouchSet&, const plat::Event&) override { _log.push_back("view ended"); }
    void touchesCancelled(const plat::TouchSet&, const plat::Event&) override { _log.push_back("view cancelled"); }

private:
    std::vector<std::string>& _log;
};

class Refusing : public plat::GestureRecognizerDelegate {
public:
    bool begin = true;
    bool receive = true;
    bool together = false;
    bool gestureRecognizerShouldBegin(plat::GestureRecognizer&) override { return begin; }
    bool gestureRecognizerShouldReceiveTouch(plat::GestureRecognizer&, plat::Touch&) override { return receive; }
    bool gestureRecognizerShouldRecognizeSimultaneouslyWithGestureRecognizer(
        plat::GestureRecognizer&, plat::GestureRecognizer&) override
    {
        return together;
    }
};

constexpr double kFrame = 1.0 / 60;

class Gestures : public ::testing::Test {
protected:
    Gestures()
    {
        window->makeKeyAndVisible();
        window->addSubview(view);
    }

    void tap(plat::Point p)
    {
        auto t = touches.touchDown(p);
        clock.advance(0.05);
        touches.liftTouch(t);
    }

    // A drag in steps of one frame.
    void drag(plat::Point from, plat::Point to, int steps, bool lift = true)
    {
        auto t = touches.touchDown(from);
        for (int i = 1; i <= steps; ++i) {
            clock.advance(kFrame);
            double f = static_cast<double>(i) / steps;
            touches.moveTouch(t, {from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f});
        }
        if (lift)
            touches.liftTouch(t);
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::vector<std::string> log;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>(plat::makeRect(0, 0, 568, 320));
    std::shared_ptr<TouchLog> view = std::make_shared<TouchLog>(plat::makeRect(0, 0, 400, 300), log);
    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
    plat::TouchSynthesizer touches {window};
};

}  // namespace

TEST_F(Gestures, ViewGetsItsTouchesWithoutRecognisers)
{
    drag({10, 10}, {50, 10}, 2);
    EXPECT_EQ(log, (std::vector<std::string> {"view began", "view moved", "view moved", "view ended"}));
}

TEST_F(Gestures, RecognisedTapCancelsTheViewsTouches)
{
    auto tapper = std::make_shared<plat::TapGestureRecognizer>(recorder.get(), &Recorder::tapped);
    view->addGestureRecognizer(tapper);
    tap({20, 20});
    EXPECT_EQ(log, (std::vector<std::string> {"view began", "view cancelled"}));
    EXPECT_EQ(recorder->log, (std::vector<std::string> {"tap 1"}));
    EXPECT_EQ(tapper->state(), State::Possible) << "reset once its touches are gone";
}

TEST_F(Gestures, TapThatMovesTooFarFailsAndTheViewSeesTheEnd)
{
    view->addGestureRecognizer(std::make_shared<plat::TapGestureRecognizer>(recorder.get(), &Recorder::tapped));
    drag({20, 20}, {60, 20}, 3);
    EXPECT_TRUE(recorder->log.empty());
    EXPECT_EQ(log.back(), "view ended");
}

TEST_F(Gestures, SingleTapWaitsForTheDoubleTapToFail)
{
    auto single = std::make_shared<plat::TapGestureRecognizer>(recorder.get(), &Recorder::tapped);
    auto twice = std::make_shared<plat::TapGestureRecognizer>(recorder.get(), &Recorder::tapped);
    twice->setNumberOfTapsRequired(2);
    single->requireGestureRecognizerToFail(twice);
    view->addGestureRecognizer(single);
    view->addGestureRecognizer(twice);

    tap({30, 30});
    EXPECT_TRUE(recorder->log.empty()) << "still waiting for a second tap";
    clock.advance(0.34);
    EXPECT_TRUE(recorder->log.empty()) << "a second tap may come for 0.35 s";
    clock.advance(0.02);
    EXPECT_EQ(recorder->log, (std::vector<std::string> {"tap 1"}));

    recorder->log.clear();
    tap({30, 30});
    clock.advance(0.1);
    tap({31, 30});
    EXPECT_EQ(recorder->log, (std::vector<std::string> {"tap 2"}));
    clock.advance(1);
    EXPECT_EQ(recorder->log, (std::vector<std::string> {"tap 2"})) << "the single tap failed";
}

TEST_F(Gestures, PanReportsTranslationFromTouchDownAndVelocity)
{
    auto pan = std::make_shared<plat::PanGestureRecognizer>(recorder.get(), &Recorder::panned);
    view->addGestureRecognizer(pan);
    drag({100, 100}, {160, 100}, 6);
    ASSERT_GE(recorder->states.size(), 3u);
    EXPECT_EQ(recorder->states.front(), State::Began);
    EXPECT_EQ(recorder->states[1], State::Changed);
    EXPECT_EQ(recorder->states.back(), State::Ended);
    EXPECT_EQ(recorder->translations.front(), (plat::Point {10, 0}))
        << "begins after the hysteresis, counted from down";
    EXPECT_EQ(recorder->translations.back(), (plat::Point {60, 0}));
    // 10 points a frame is 600 points a second.
    EXPECT_NEAR(recorder->velocities[recorder->velocities.size() - 2].x, 600, 1e-6);
    EXPECT_EQ(log.front(), "view began");
    EXPECT_EQ(log.back(), "view cancelled");
}

TEST_F(Gestures, SettingTheTranslationMakesLaterOnesRelative)
{
    auto pan = std::make_shared<plat::PanGestureRecognizer>(recorder.get(), &Recorder::panned);
    view->addGestureRecognizer(pan);
    auto t = touches.touchDown({100, 100});
    clock.advance(kFrame);
    touches.moveTouch(t, {120, 100});
    pan->setTranslation({0, 0}, nullptr);
    clock.advance(kFrame);
    touches.moveTouch(t, {125, 110});
    EXPECT_EQ(recorder->translations.back(), (plat::Point {5, 10}));
    touches.liftTouch(t);
}

TEST_F(Gestures, PanWithAtMostOneTouchFailsForTwoFingers)
{
    auto pan = std::make_shared<plat::PanGestureRecognizer>(recorder.get(), &Recorder::panned);
    pan->setMaximumNumberOfTouches(1);
    view->addGestureRecognizer(pan);
    auto fingers = touches.touchesDown({{100, 100}, {150, 100}});
    clock.advance(kFrame);
    touches.moveTouches({{fingers[0], {130, 100}}, {fingers[1], {180, 100}}});
    touches.liftTouches(fingers);
    EXPECT_TRUE(recorder->states.empty());
}

TEST_F(Gestures, DelegateCanKeepARecogniserFromBeginningOrFromATouch)
{
    auto pan = std::make_shared<plat::PanGestureRecognizer>(recorder.get(), &Recorder::panned);
    auto delegate = std::make_shared<Refusing>();
    pan->setDelegate(delegate);
    view->addGestureRecognizer(pan);
    delegate->begin = false;
    drag({100, 100}, {160, 100}, 6);
    EXPECT_TRUE(recorder->states.empty());
    EXPECT_EQ(pan->state(), State::Possible);
    delegate->begin = true;
    delegate->receive = false;
    drag({100, 100}, {160, 100}, 6);
    EXPECT_TRUE(recorder->states.empty());
    delegate->receive = true;
    drag({100, 100}, {160, 100}, 6);
    EXPECT_FALSE(recorder->states.empty());
}

TEST_F(Gestures, OnlyOneRecogniserWinsUnlessTheyMayShare)
{
    auto outer = std::make_shared<plat::PanGestureRecognizer>(recorder.get(), &Recorder::panned);
    auto innerRecorder = std::make_shared<Recorder>();
    auto inner = std::make_shared<plat::PanGestureRecognizer>(innerRecorder.get(), &Recorder::panned);
    auto child = std::make_shared<plat::View>(plat::makeRect(50, 50, 200, 200));
    view->addSubview(child);
    child->addGestureRecognizer(inner);
    view->addGestureRecognizer(outer);
    drag({100, 100}, {160, 100}, 6);
    EXPECT_FALSE(innerRecorder->states.empty()) << "the view nearer the finger goes first";
    EXPECT_TRUE(recorder->states.empty());

    innerRecorder->states.clear();
    auto delegate = std::make_shared<Refusing>();
    delegate->together = true;
    inner->setDelegate(delegate);
    drag({100, 100}, {160, 100}, 6);
    EXPECT_FALSE(innerRecorder->states.empty());
    EXPECT_FALSE(recorder->states.empty());
}

TEST_F(Gestures, ButtonKeepsItsTapFromAnAncestorsRecogniser)
{
    view->addGestureRecognizer(std::make_shared<plat::TapGestureRecognizer>(recorder.get(), &Recorder::tapped));
    auto button = plat::Button::buttonWithType(plat::ButtonType::System);
    button->setFrame(plat::makeRect(200, 200, 60, 30));
    button->addTarget(recorder.get(), &Recorder::buttonTapped, plat::ControlEventTouchUpInside);
    view->addSubview(button);
    tap({220, 210});
    EXPECT_EQ(recorder->log, (std::vector<std::string> {"button"}));
    tap({20, 20});
    EXPECT_EQ(recorder->log, (std::vector<std::string> {"button", "tap 1"}));
}

TEST_F(Gestures, PinchScalesByTheChangeOfDistance)
{
    view->addGestureRecognizer(std::make_shared<plat::PinchGestureRecognizer>(recorder.get(), &Recorder::pinched));
    auto fingers = touches.touchesDown({{150, 100}, {250, 100}});
    for (int i = 1; i <= 5; ++i) {
        clock.advance(kFrame);
        touches.moveTouches({{fingers[0], {150.0 - 10 * i, 100}}, {fingers[1], {250.0 + 10 * i, 100}}});
    }
    touches.liftTouches(fingers);
    ASSERT_FALSE(recorder->states.empty());
    EXPECT_EQ(recorder->states.front(), State::Began);
    EXPECT_EQ(recorder->states.back(), State::Ended);
    EXPECT_NEAR(recorder->scales.back(), 2.0, 1e-9);
}

TEST_F(Gestures, RotationFollowsTheTurnOfTwoFingers)
{
    view->addGestureRecognizer(std::make_shared<plat::RotationGestureRecognizer>(recorder.get(), &Recorder::rotated));
    auto fingers = touches.touchesDown({{100, 150}, {200, 150}});
    // Turn the second finger a quarter turn clockwise about the first.
    for (int i = 1; i <= 9; ++i) {
        clock.advance(kFrame);
        double angle = 3.14159265358979323846 / 2 * i / 9;
        touches.moveTouch(fingers[1], {100 + 100 * std::cos(angle), 150 + 100 * std::sin(angle)});
    }
    touches.liftTouches(fingers);
    ASSERT_FALSE(recorder->states.empty());
    EXPECT_NEAR(recorder->scales.back(), 3.14159265358979323846 / 2, 1e-9);
}

TEST_F(Gestures, SwipeNeedsAQuickStrokeInItsDirection)
{
    auto swipe = std::make_shared<plat::SwipeGestureRecognizer>(recorder.get(), &Recorder::swiped);
    swipe->setDirection(plat::SwipeGestureRecognizerDirectionUp | plat::SwipeGestureRecognizerDirectionDown);
    view->addGestureRecognizer(swipe);
    drag({100, 200}, {100, 120}, 5);
    EXPECT_EQ(recorder->log, (std::vector<std::string> {"swipe"}));
    drag({100, 100}, {180, 100}, 5);
    EXPECT_EQ(recorder->log.size(), 1u) << "sideways is not a permitted direction";
    drag({100, 200}, {100, 120}, 60);
    EXPECT_EQ(recorder->log.size(), 1u) << "a second is too slow";
}

TEST_F(Gestures, LongPressBeginsAfterTheMinimumDuration)
{
    view->addGestureRecognizer(std::make_shared<plat::LongPressGestureRecognizer>(recorder.get(), &Recorder::pressed));
    auto t = touches.touchDown({50, 50});
    clock.advance(0.49);
    EXPECT_TRUE(recorder->states.empty());
    clock.advance(0.01);
    EXPECT_EQ(recorder->states, (std::vector<State> {State::Began}));
    touches.moveTouch(t, {60, 50});
    touches.liftTouch(t);
    EXPECT_EQ(recorder->states, (std::vector<State> {State::Began, State::Changed, State::Ended}));
}

TEST_F(Gestures, LongPressFailsWhenLiftedEarly)
{
    view->addGestureRecognizer(std::make_shared<plat::LongPressGestureRecognizer>(recorder.get(), &Recorder::pressed));
    tap({50, 50});
    clock.advance(1);
    EXPECT_TRUE(recorder->states.empty());
    EXPECT_EQ(log.back(), "view ended");
}

TEST_F(Gestures, SecondTapCountsAsARepeat)
{
    auto t = touches.touchDown({10, 10});
    touches.liftTouch(t);
    clock.advance(0.2);
    auto again = touches.touchDown({12, 10});
    EXPECT_EQ(again->tapCount(), 2);
    touches.liftTouch(again);
    clock.advance(1);
    EXPECT_EQ(touches.touchDown({12, 10})->tapCount(), 1);
}
