#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/ui/BasicAnimation.h"
#include "platform/ui/DisplayLink.h"
#include "platform/ui/KeyframeAnimation.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Transaction.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"

namespace {

class Animations : public ::testing::Test {
protected:
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::vector<std::string> log;
};

class RecordingDelegate : public plat::AnimationDelegate {
public:
    explicit RecordingDelegate(std::vector<std::string>& log)
        : _log(log)
    {
    }
    void animationDidStart(plat::Animation&) override { _log.push_back("start"); }
    void animationDidStop(plat::Animation&, bool finished) override
    {
        _log.push_back(finished ? "stop finished" : "stop removed");
    }

private:
    std::vector<std::string>& _log;
};

class NamedDelegate : public plat::ViewAnimationDelegate {
public:
    explicit NamedDelegate(std::vector<std::string>& log)
        : _log(log)
    {
    }
    void animationWillStart(const std::string& name, const plat::Value&) override { _log.push_back("start " + name); }
    void animationDidStop(const std::string& name, bool finished, const plat::Value& context) override
    {
        _log.push_back("stop " + name + (finished ? " finished " : " removed ")
            + (context.boolValue().value_or(false) ? "yes" : "no"));
    }

private:
    std::vector<std::string>& _log;
};

class Ticker : public plat::Object {
public:
    void tick(plat::DisplayLink& link) { stamps.push_back(link.timestamp()); }
    std::vector<double> stamps;
};

double shownOpacity(const plat::View& view)
{
    return view.layer()->presentationProperties().opacity;
}

}  // namespace

TEST_F(Animations, BlockAnimationSetsTheFinalValueAtOnceAndShowsTheWayThere)
{
    auto view = std::make_shared<plat::View>(plat::makeRect(0, 0, 10, 10));
    view->setAlpha(0);
    plat::View::animateWithDuration(
        1.0, 0, plat::ViewAnimationOptionCurveLinear, [&] { view->setAlpha(1); }, nullptr);
    EXPECT_EQ(view->alpha(), 1);
    EXPECT_DOUBLE_EQ(shownOpacity(*view), 0);
    clock.advance(0.25);
    EXPECT_NEAR(shownOpacity(*view), 0.25, 1e-9);
    clock.advance(1);
    EXPECT_DOUBLE_EQ(shownOpacity(*view), 1);
    EXPECT_FALSE(view->layer()->hasAnimations());
}

TEST_F(Animations, CompletionsRunAfterTheirDurationsInOrderOfEnd)
{
    auto a = std::make_shared<plat::View>();
    auto b = std::make_shared<plat::View>();
    plat::View::animateWithDuration(
        0.5, [&] { a->setAlpha(0.5); }, [&](bool finished) { log.push_back(finished ? "long" : "long?"); });
    plat::View::animateWithDuration(
        0.3,
        [&] {
            b->setCenter({5, 5});
        },
        [&](bool finished) { log.push_back(finished ? "short" : "short?"); });
    clock.advance(0.29);
    EXPECT_TRUE(log.empty());
    clock.advance(0.01);
    EXPECT_EQ(log, (std::vector<std::string> {"short"}));
    clock.advance(0.2);
    EXPECT_EQ(log, (std::vector<std::string> {"short", "long"}));
}

TEST_F(Animations, DelayPostponesTheCompletion)
{
    auto view = std::make_shared<plat::View>();
    plat::View::animateWithDuration(
        0.25, 1.0, 0, [&] { view->setAlpha(0); }, [&](bool) { log.push_back("done"); });
    clock.advance(0.5);
    EXPECT_DOUBLE_EQ(shownOpacity(*view), 1) << "before its delay the animation shows where it starts";
    clock.advance(0.74);
    EXPECT_TRUE(log.empty());
    clock.advance(0.01);
    EXPECT_EQ(log, (std::vector<std::string> {"done"}));
}

TEST_F(Animations, ABlockThatChangesNothingCompletesOnTheNextTurn)
{
    plat::View::animateWithDuration(
        5, [] {}, [&](bool finished) { log.push_back(finished ? "yes" : "no"); });
    EXPECT_TRUE(log.empty());
    clock.advance(0);
    EXPECT_EQ(log, (std::vector<std::string> {"yes"}));
}

TEST_F(Animations, RemovingTheAnimationsCompletesUnfinished)
{
    auto view = std::make_shared<plat::View>();
    plat::View::animateWithDuration(
        1, [&] { view->setAlpha(0); }, [&](bool finished) { log.push_back(finished ? "finished" : "interrupted"); });
    clock.advance(0.5);
    view->layer()->removeAllAnimations();
    clock.advance(0);
    EXPECT_EQ(log, (std::vector<std::string> {"interrupted"}));
    clock.advance(1);
    EXPECT_EQ(log.size(), 1u);
}

// The completion holds its view, and the view's layer holds the animation:
// unless leaving the window removes the animation, neither is ever freed.
TEST_F(Animations, AViewLeavingItsWindowMidAnimationCompletesUnfinishedAndIsFreed)
{
    enum class Teardown { RemoveFromWindow, ReleaseWindow };
    for (auto teardown : {Teardown::RemoveFromWindow, Teardown::ReleaseWindow}) {
        SCOPED_TRACE(teardown == Teardown::RemoveFromWindow ? "removed from the window" : "window released");
        auto window = std::make_shared<plat::Window>(plat::makeRect(0, 0, 100, 100));
        auto parent = std::make_shared<plat::View>(plat::makeRect(0, 0, 50, 50));
        auto view = std::make_shared<plat::View>(plat::makeRect(0, 0, 10, 10));
        window->addSubview(parent);
        parent->addSubview(view);
        plat::View::animateWithDuration(
            1, [&] { view->setAlpha(0); },
            [view, this](bool finished) { log.push_back(finished ? "finished" : "interrupted"); });
        std::weak_ptr<plat::View> watched = view;
        view.reset();
        clock.advance(0.5);
        if (teardown == Teardown::RemoveFromWindow)
            parent->removeFromSuperview();
        else
            window.reset();
        parent.reset();
        clock.advance(0);
        EXPECT_EQ(log, (std::vector<std::string> {"interrupted"}));
        EXPECT_TRUE(watched.expired());
        log.clear();
    }
}

TEST_F(Animations, SpringEndsOnItsTargetAtTheDuration)
{
    auto view = std::make_shared<plat::View>(plat::makeRect(0, 0, 10, 10));
    plat::View::animateWithDuration(
        0.3, 0, 1.0, 10.0, 0,
        [&] {
            view->setCenter({105, 5});
        },
        [&](bool) { log.push_back("sprung"); });
    clock.advance(0.15);
    double x = view->layer()->presentationProperties().position.x;
    EXPECT_GT(x, 5);
    EXPECT_LT(x, 106);
    clock.advance(0.15);
    EXPECT_EQ(log, (std::vector<std::string> {"sprung"}));
    EXPECT_DOUBLE_EQ(view->layer()->presentationProperties().position.x, 105);
}

TEST_F(Animations, ViewsUnderAnimationIgnoreTouchesUnlessAllowed)
{
    auto view = std::make_shared<plat::View>(plat::makeRect(0, 0, 10, 10));
    plat::View::animateWithDuration(1, [&] { view->setAlpha(0.9); });
    EXPECT_EQ(view->hitTest({5, 5}, nullptr), nullptr);
    clock.advance(1);
    EXPECT_EQ(view->hitTest({5, 5}, nullptr), view);
    plat::View::animateWithDuration(
        1, 0, plat::ViewAnimationOptionAllowUserInteraction, [&] { view->setAlpha(0.8); }, nullptr);
    EXPECT_EQ(view->hitTest({5, 5}, nullptr), view);
}

TEST_F(Animations, NamedAnimationTellsItsDelegateWithTheContext)
{
    auto view = std::make_shared<plat::View>();
    auto delegate = std::make_shared<NamedDelegate>(log);
    plat::View::beginAnimations("FadeOut", plat::Value(true));
    plat::View::setAnimationDuration(0.25);
    plat::View::setAnimationDelegate(delegate);
    view->setAlpha(0);
    plat::View::commitAnimations();
    EXPECT_EQ(log, (std::vector<std::string> {"start FadeOut"}));
    clock.advance(0.25);
    EXPECT_EQ(log, (std::vector<std::string> {"start FadeOut", "stop FadeOut finished yes"}));
}

TEST_F(Animations, ChangesWithoutAnimationJumpAtOnce)
{
    auto view = std::make_shared<plat::View>();
    plat::View::animateWithDuration(1, [&] { plat::View::performWithoutAnimation([&] { view->setAlpha(0.5); }); });
    EXPECT_FALSE(view->layer()->hasAnimations());
    EXPECT_DOUBLE_EQ(shownOpacity(*view), 0.5);
}

TEST_F(Animations, LayerAnimationKeptWithFillForwardsStaysAtItsEnd)
{
    auto layer = plat::Layer::layer();
    auto scale = plat::BasicAnimation::animationWithKeyPath("transform.scale");
    scale->setFromValue(1.0);
    scale->setToValue(1.2);
    scale->setDuration(0.25);
    scale->setRemovedOnCompletion(false);
    scale->setFillMode(plat::FillMode::Forwards);
    layer->addAnimation(*scale, "scale");
    clock.advance(0.2);
    EXPECT_TRUE(layer->hasRunningAnimations());
    clock.advance(0.8);
    ASSERT_TRUE(layer->animationForKey("scale"));
    EXPECT_FALSE(layer->hasRunningAnimations()) << "kept, but at its end";
    EXPECT_NEAR(layer->presentationProperties().transform.m11, 1.2, 1e-12);
    EXPECT_EQ(layer->transform().m11, 1) << "the model keeps its own value";
}

TEST_F(Animations, RemovedAnimationShowsTheModelAgain)
{
    auto layer = plat::Layer::layer();
    auto scale = plat::BasicAnimation::animationWithKeyPath("transform.scale");
    scale->setFromValue(2.0);
    scale->setToValue(2.0);
    scale->setDuration(10);
    layer->addAnimation(*scale, "scale");
    EXPECT_NEAR(layer->presentationProperties().transform.m22, 2, 1e-12);
    layer->removeAnimationForKey("scale");
    EXPECT_NEAR(layer->presentationProperties().transform.m22, 1, 1e-12);
}

TEST_F(Animations, BeginTimeAndDelegateTiming)
{
    auto layer = plat::Layer::layer();
    auto fade = plat::BasicAnimation::animationWithKeyPath("opacity");
    fade->setFromValue(0.0);
    fade->setToValue(1.0);
    fade->setDuration(0.5);
    fade->setBeginTime(plat::currentMediaTime() + 1);
    fade->setDelegate(std::make_shared<RecordingDelegate>(log));
    layer->addAnimation(*fade, "fade");
    clock.advance(0.5);
    EXPECT_TRUE(log.empty());
    EXPECT_DOUBLE_EQ(layer->presentationProperties().opacity, 1) << "fill mode removed: the model shows before it";
    clock.advance(0.5);
    EXPECT_EQ(log, (std::vector<std::string> {"start"}));
    clock.advance(0.5);
    EXPECT_EQ(log, (std::vector<std::string> {"start", "stop finished"}));
}

TEST_F(Animations, AnAnimationUnderAKeyInUseReplacesTheOlder)
{
    auto layer = plat::Layer::layer();
    auto first = plat::BasicAnimation::animationWithKeyPath("opacity");
    first->setDelegate(std::make_shared<RecordingDelegate>(log));
    first->setDuration(1);
    layer->addAnimation(*first, "fade");
    layer->addAnimation(*plat::BasicAnimation::animationWithKeyPath("opacity"), "fade");
    clock.advance(0);
    EXPECT_EQ(log, (std::vector<std::string> {"stop removed"}));
    EXPECT_EQ(layer->animationKeys(), (std::vector<std::string> {"fade"}));
}

TEST_F(Animations, KeyframesFollowTheirKeyTimes)
{
    auto layer = plat::Layer::layer();
    auto bounce = plat::KeyframeAnimation::animationWithKeyPath("position.x");
    bounce->setValues({0.0, 100.0, 50.0});
    bounce->setKeyTimes({0, 0.2, 1});
    bounce->setDuration(1);
    layer->addAnimation(*bounce, "bounce");
    clock.advance(0.1);
    EXPECT_NEAR(layer->presentationProperties().position.x, 50, 1e-9);
    clock.advance(0.5);
    EXPECT_NEAR(layer->presentationProperties().position.x, 75, 1e-9);
}

TEST_F(Animations, KeyframesAlongAPathMoveAtAnEvenPace)
{
    auto layer = plat::Layer::layer();
    plat::Path path;
    path.moveToPoint({0, 0});
    path.addLineToPoint({30, 0});
    path.addLineToPoint({30, 10});
    auto move = plat::KeyframeAnimation::animationWithKeyPath("position");
    move->setPath(path);
    move->setDuration(4);
    layer->addAnimation(*move, "move");
    clock.advance(3);
    EXPECT_NEAR(layer->presentationProperties().position.x, 30, 1e-9);
    EXPECT_NEAR(layer->presentationProperties().position.y, 0, 1e-9);
    clock.advance(0.5);
    EXPECT_NEAR(layer->presentationProperties().position.y, 5, 1e-9);
}

TEST_F(Animations, TransactionCompletionWaitsForItsAnimations)
{
    auto layer = plat::Layer::layer();
    plat::Transaction::begin();
    plat::Transaction::setCompletionBlock([&] { log.push_back("transaction"); });
    auto fade = plat::BasicAnimation::animationWithKeyPath("opacity");
    fade->setDuration(1.2);
    layer->addAnimation(*fade, "a");
    auto shorter = plat::BasicAnimation::animationWithKeyPath("opacity");
    shorter->setDuration(0.2);
    layer->addAnimation(*shorter, "b");
    plat::Transaction::commit();
    clock.advance(1.19);
    EXPECT_TRUE(log.empty());
    clock.advance(0.01);
    EXPECT_EQ(log, (std::vector<std::string> {"transaction"}));
}

TEST_F(Animations, TransactionWithoutAnimationsCompletesAtCommit)
{
    plat::Transaction::begin();
    plat::Transaction::setCompletionBlock([&] { log.push_back("done"); });
    EXPECT_TRUE(log.empty());
    plat::Transaction::commit();
    EXPECT_EQ(log, (std::vector<std::string> {"done"}));
    EXPECT_EQ(plat::Transaction::depth(), 0);
}

TEST_F(Animations, ImplicitTransactionCompletesAtTheEndOfTheTurn)
{
    plat::Transaction::setCompletionBlock([&] { log.push_back("turn"); });
    EXPECT_TRUE(log.empty());
    clock.advance(0);
    EXPECT_EQ(log, (std::vector<std::string> {"turn"}));
}

TEST_F(Animations, DisplayLinkTicksSixtyTimesASecondUntilInvalidated)
{
    auto ticker = std::make_shared<Ticker>();
    auto link = plat::DisplayLink::displayLinkWithTarget(ticker.get(), &Ticker::tick);
    link->addToRunLoop();
    clock.advance(0.1);
    EXPECT_EQ(ticker->stamps.size(), 6u);
    link->setPaused(true);
    clock.advance(0.1);
    EXPECT_EQ(ticker->stamps.size(), 6u);
    link->setPaused(false);
    link->setFrameInterval(2);
    clock.advance(0.1);
    EXPECT_EQ(ticker->stamps.size(), 9u);
    link->invalidate();
    clock.advance(1);
    EXPECT_EQ(ticker->stamps.size(), 9u);
}
