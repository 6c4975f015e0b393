#include "platform/ui/scripting/ControlsCheck.h"

#include <gtest/gtest.h>
#include <string>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Timer.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/ProgressView.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Switch.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/scripting/DeviceScript.h"
#include "platform/ui/scripting/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/TemporarySandbox.h"

namespace {

// A screen of one control of each kind, one of them dead, one that opens a
// sheet, one that takes the app to another screen.
class Screen : public plat::ViewController {
public:
    void count()
    {
        ++_counted;
        _tally->setText(std::to_string(_counted) + " counted");
    }
    void openSheet()
    {
        auto sheet = std::make_shared<plat::ViewController>();
        sheet->view()->setBackgroundColor(plat::Color::colorWithRed(0.2, 0.3, 0.8, 1));
        presentViewController(sheet, /*animated=*/true, {});
    }
    void leave() { view()->window()->setRootViewController(elsewhere); }
    void slide() { _tally->setText("slid"); }
    // Shows nothing: the setting is stored.
    void storeLoop(plat::Switch& toggle) { plat::UserDefaults::standardUserDefaults().setBool(toggle.isOn(), "Loop"); }
    void showVolume(plat::Slider& slider) { _tally->setText("volume " + std::to_string(slider.value())); }
    void showSpeed(plat::SegmentedControl& segments)
    {
        _tally->setText(segments.selectedSegmentIndex() == 0 ? "slow" : "fast");
    }

    void loadView() override
    {
        auto root = std::make_shared<plat::View>(plat::makeRect(0, 0, 568, 320));
        root->setBackgroundColor(plat::Color::colorWithWhite(1, 1));
        // A clear touch zone draws nothing: no control a person sees.
        auto zone = plat::Button::buttonWithType(plat::ButtonType::Custom);
        zone->setFrame(plat::makeRect(0, 200, 568, 120));
        root->addSubview(zone);
        auto button = [&](const std::string& title, double x, void (Screen::*action)()) {
            auto made = plat::Button::buttonWithType(plat::ButtonType::System);
            made->setTitle(title, plat::ControlStateNormal);
            made->setFrame(plat::makeRect(x, 20, 90, 40));
            if (action)
                made->addTarget(this, action, plat::ControlEventTouchUpInside);
            root->addSubview(made);
            return made;
        };
        button("Count", 10, &Screen::count);
        button("Nothing", 110, nullptr);
        button("Sheet", 210, &Screen::openSheet);
        button("Leave", 310, &Screen::leave);
        button("Dimmed", 410, nullptr)->setEnabled(false);
        _tally = std::make_shared<plat::Label>(plat::makeRect(10, 70, 200, 30));
        root->addSubview(_tally);
        auto toggle = std::make_shared<plat::Switch>();
        toggle->setFrame(plat::makeRect(10, 120, 51, 31));
        toggle->setAccessibilityLabel("Loop");
        toggle->addTarget(this, &Screen::storeLoop, plat::ControlEventValueChanged);
        root->addSubview(toggle);
        auto slider = std::make_shared<plat::Slider>(plat::makeRect(100, 120, 200, 34));
        slider->setAccessibilityLabel("Volume");
        slider->addTarget(this, &Screen::showVolume, plat::ControlEventValueChanged);
        root->addSubview(slider);
        auto segments = std::make_shared<plat::SegmentedControl>(std::vector<std::string> {"Slow", "Fast"});
        segments->setFrame(plat::makeRect(320, 120, 200, 30));
        segments->setSelectedSegmentIndex(0);
        segments->setAccessibilityLabel("Speed");
        segments->addTarget(this, &Screen::showSpeed, plat::ControlEventValueChanged);
        root->addSubview(segments);
        // Follows a finger and ignores a tap, as a trim band does.
        auto band = std::make_shared<plat::Control>(plat::makeRect(10, 165, 200, 24));
        band->setBackgroundColor(plat::Color::colorWithWhite(0.6, 1));
        band->setAccessibilityLabel("Band");
        band->addTarget(this, &Screen::slide, plat::ControlEventTouchDragInside);
        root->addSubview(band);
        setView(root);
    }

    std::shared_ptr<plat::ViewController> elsewhere = std::make_shared<plat::ViewController>();

private:
    std::shared_ptr<plat::Label> _tally;
    int _counted = 0;
};

class ControlsCheck : public ::testing::Test {
protected:
    ControlsCheck()
    {
        window->setRootViewController(screen);
        window->makeKeyAndVisible();
        driver.wait(0);
    }

    // The failure of a one-line script, or "" when it passed.
    std::string check(const std::string& line)
    {
        auto script = plat::scripting::DeviceScript::parse(line + "\n");
        EXPECT_TRUE(script.ok()) << script.error().localizedDescription();
        if (!script.ok())
            return "<unparsed>";
        auto ran = script.value().run(driver);
        return ran.ok() ? std::string() : ran.error().localizedDescription();
    }

    plat::test::ManualClockScope clock;
    plat::test::TemporarySandbox sandbox;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    std::shared_ptr<Screen> screen = std::make_shared<Screen>();
    plat::scripting::UIDriver driver;
};

}  // namespace

TEST_F(ControlsCheck, NamesTheDeadControlAndTheScreenAndProbesEveryOther)
{
    plat::scripting::ControlsCheck probe(driver, {"tiny", {"Leave"}, {}, {}});
    const auto faults = probe.run();
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(faults[0], "on \"tiny\": Button \"Nothing\" of Screen at (110, 20, 90, 40) does nothing a person sees");
    EXPECT_EQ(
        probe.probed(), (std::vector<std::string> {"Count", "Nothing", "Sheet", "Loop", "Volume", "Speed", "Band"}));
    // What the sheet brought was put away.
    EXPECT_EQ(screen->presentedViewController(), nullptr);
}

TEST_F(ControlsCheck, PassesWhenTheDeadControlIsLeftOutAndTheWayBackIsGiven)
{
    auto back = plat::Button::buttonWithType(plat::ButtonType::System);
    back->setTitle("Back", plat::ControlStateNormal);
    back->setFrame(plat::makeRect(10, 10, 80, 40));
    screen->elsewhere->view()->addSubview(back);
    // The way back is the script's: here a root put back by the test's Back button.
    class Returner : public plat::Object {
    public:
        Returner(std::shared_ptr<plat::Window> w, std::shared_ptr<Screen> s)
            : window(std::move(w))
            , screen(std::move(s))
        {
        }
        void goBack() { window->setRootViewController(screen); }
        std::shared_ptr<plat::Window> window;
        std::shared_ptr<Screen> screen;
    };
    auto returner = std::make_shared<Returner>(window, screen);
    back->addTarget(returner.get(), &Returner::goBack, plat::ControlEventTouchUpInside);

    EXPECT_EQ(check("checkcontrols tiny | except Nothing | back tap Back; wait 0.5"), "");
    EXPECT_EQ(window->rootViewController(), screen);
}

TEST_F(ControlsCheck, AControlThatLeavesTheScreenWithNoWayBackStopsTheCheckUnlessItIsTappedLast)
{
    EXPECT_EQ(check("checkcontrols tiny | except Nothing | last Leave"), "");
    EXPECT_EQ(window->rootViewController(), screen->elsewhere);
    window->setRootViewController(screen);
    EXPECT_EQ(check("checkcontrols tiny | except Nothing"),
        "line 1 (checkcontrols): on \"tiny\": Button \"Leave\" of Screen at (310, 20, 90, 40) left the screen, and it "
        "did "
        "not come back (it shows ViewController; 0 views across the screen; 0 alerts instead of Screen; 0 views across "
        "the screen; 0 alerts)");
}

TEST_F(ControlsCheck, ItsLineIsCheckedBeforeTheRun)
{
    EXPECT_FALSE(plat::scripting::DeviceScript::parse("checkcontrols\n").ok());
    EXPECT_FALSE(plat::scripting::DeviceScript::parse("checkcontrols tiny | skip Nothing\n").ok());
    EXPECT_FALSE(plat::scripting::DeviceScript::parse("checkcontrols tiny | back fly away\n").ok());
    EXPECT_FALSE(plat::scripting::DeviceScript::parse("checkcontrols tiny | back quit\n").ok());
    auto parsed = plat::scripting::DeviceScript::parse("checkcontrols the editor | except Hold *; Take Picture\n");
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed.value().commands()[0].screen, "the editor");
    EXPECT_EQ(parsed.value().commands()[0].leftOut, (std::vector<std::string> {"Hold *", "Take Picture"}));
}

namespace {

// A picture that moves by itself, as a live camera's does: a new one, a band
// at another place, every tenth of a second, across the whole screen.
class MovingPicture {
public:
    explicit MovingPicture(plat::View& root)
    {
        _view = std::make_shared<plat::View>(root.bounds());
        _view->setUserInteractionEnabled(false);
        root.insertSubview(_view, 0);
        _timer = plat::Timer::scheduledTimerWithTimeInterval(
            0.1, [this] { show(); }, /*repeats=*/true);
        show();
    }
    ~MovingPicture() { _timer->invalidate(); }
    // As a camera switched to the other side: its pictures come mirrored.
    void mirror() { _orientation = plat::ImageOrientation::UpMirrored; }

private:
    void show()
    {
        auto bitmap = plat::Bitmap::allocate(142, 80, plat::PixelOrder::BGRA);
        for (int y = 0; y < bitmap->height(); ++y)
            for (int x = 0; x < bitmap->width(); ++x) {
                uint8_t* pixel = bitmap->mutableRow(y) + 4 * x;
                const bool band = (x + _step * 13) % 40 < 20;
                pixel[0] = band ? 200 : 30;
                pixel[1] = static_cast<uint8_t>((y * 3 + _step * 40) % 256);
                pixel[2] = band ? 40 : 220;
                pixel[3] = 255;
            }
        bitmap->setOpaque(true);
        ++_step;
        _view->layer()->setContents(std::make_shared<plat::Image>(bitmap, 1, _orientation));
    }

    std::shared_ptr<plat::View> _view;
    std::shared_ptr<plat::Timer> _timer;
    int _step = 0;
    plat::ImageOrientation _orientation = plat::ImageOrientation::Up;
};

}  // namespace

TEST_F(ControlsCheck, NamesTheDeadControlOverAPictureThatMovesByItself)
{
    MovingPicture camera(*screen->view());
    plat::scripting::ControlsCheck probe(driver, {"filming", {"Leave"}, {}, {}});
    const auto faults = probe.run();
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(
        faults[0], "on \"filming\": Button \"Nothing\" of Screen at (110, 20, 90, 40) does nothing a person sees");
}

TEST_F(ControlsCheck, AScriptShowsItADeadControlByUnhookingIt)
{
    EXPECT_EQ(check("unhook Count"), "");
    EXPECT_EQ(check("checkcontrols tiny | only Count"),
        "line 1 (checkcontrols): on \"tiny\": Button \"Count\" of Screen at (10, 20, 90, 40) does nothing a person "
        "sees");
}

TEST_F(ControlsCheck, AKnownFaultIsLoggedAndOneNoLongerFoundFails)
{
    EXPECT_EQ(check("checkcontrols tiny | only Nothing | known \"Nothing\"*does nothing a person sees"), "");
    EXPECT_EQ(check("checkcontrols tiny | only Count | known \"Count\"*does nothing"),
        "line 1 (checkcontrols): the known fault \"\"Count\"*does nothing\" is no longer found: it is mended, take "
        "it off the list");
}

TEST_F(ControlsCheck, ASettingControlCountsOnlyByWhatChangesBeyondItsOwnDrawing)
{
    // The switch stores its setting; the slider and the segments show theirs beside them.
    EXPECT_EQ(check("checkcontrols tiny | only Loop; Volume; Speed"), "");
    // Unhooked, each still moves its own knob, thumb or segment.
    ASSERT_EQ(check("unhook Loop\nunhook Volume\nunhook Speed"), "");
    plat::scripting::ControlsCheck probe(driver, {"tiny", {}, {}, {}, {"Loop", "Volume", "Speed"}});
    const auto faults = probe.run();
    ASSERT_EQ(faults.size(), 3u);
    for (const std::string& fault : faults)
        EXPECT_NE(fault.find("does nothing a person sees"), std::string::npos) << fault;
}

TEST_F(ControlsCheck, ScriptsCallAControlByItsTitleOrItsLabelAndANameOfNoControlFails)
{
    auto flip = plat::Button::buttonWithType(plat::ButtonType::System);
    flip->setTitle("Flip", plat::ControlStateNormal);
    flip->setAccessibilityLabel("Switch Camera");
    flip->setFrame(plat::makeRect(410, 70, 90, 40));
    flip->addTarget(screen.get(), &Screen::count, plat::ControlEventTouchUpInside);
    screen->view()->addSubview(flip);
    EXPECT_EQ(check("unhook Switch Camera\ncheckcontrols tiny | only Flip"),
        "line 2 (checkcontrols): on \"tiny\": Button \"Switch Camera\" of Screen at (410, 70, 90, 40) does nothing a "
        "person sees");
    for (const std::string part : {"only", "except", "last"})
        EXPECT_EQ(check("checkcontrols tiny | only Count | " + part + " Flop"),
            "line 1 (checkcontrols): on \"tiny\": no control a person can tap is called \"Flop\" (" + part + ")");
}

namespace {

// Work going on by itself, as a render's: a bar that fills a little every
// tenth of a second, and now and then a picture that fades in.
class RunningWork {
public:
    explicit RunningWork(plat::View& root)
    {
        _bar->setUserInteractionEnabled(false);
        root.addSubview(_bar);
        _pictures->setUserInteractionEnabled(false);
        root.addSubview(_pictures);
        _timer = plat::Timer::scheduledTimerWithTimeInterval(
            0.1, [this] { step(); }, /*repeats=*/true);
    }
    ~RunningWork() { _timer->invalidate(); }

private:
    void step()
    {
        ++_steps;
        _bar->setProgress(_steps / 200.0);
        if (_steps % 13 != 0)
            return;
        auto picture = std::make_shared<plat::View>(_pictures->bounds());
        picture->setBackgroundColor(plat::Color::colorWithRed((_steps % 3) / 2.0, 0.5, 1 - (_steps % 3) / 2.0, 1));
        picture->setAlpha(0);
        _pictures->addSubview(picture);
        plat::View::animateWithDuration(1.0, [&] { picture->setAlpha(1); });
    }

    std::shared_ptr<plat::ProgressView> _bar = std::make_shared<plat::ProgressView>(plat::makeRect(10, 240, 300, 10));
    std::shared_ptr<plat::View> _pictures = std::make_shared<plat::View>(plat::makeRect(330, 220, 160, 80));
    std::shared_ptr<plat::Timer> _timer;
    int _steps = 0;
};

}  // namespace

TEST_F(ControlsCheck, NamesTheDeadControlBesideWorkThatShowsItsProgressByItself)
{
    RunningWork work(*screen->view());
    plat::scripting::ControlsCheck probe(driver, {"rendering", {}, {}, {}, {"Count", "Nothing"}});
    const auto faults = probe.run();
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(
        faults[0], "on \"rendering\": Button \"Nothing\" of Screen at (110, 20, 90, 40) does nothing a person sees");
}

namespace {

// A switch that starts a countdown beside it, shown every half second while it is on.
class Countdown : public plat::Object {
public:
    explicit Countdown(plat::View& root)
    {
        _toggle->setAccessibilityLabel("Timer");
        _toggle->addTarget(this, &Countdown::toggled, plat::ControlEventValueChanged);
        root.addSubview(_toggle);
        root.addSubview(_shown);
    }
    ~Countdown()
    {
        if (_timer)
            _timer->invalidate();
    }
    void toggled(plat::Switch& toggle)
    {
        if (_timer)
            _timer->invalidate();
        _timer = nullptr;
        _shown->setText("");
        if (!toggle.isOn())
            return;
        _timer = plat::Timer::scheduledTimerWithTimeInterval(
            0.5, [this] { _shown->setText(std::to_string(--_left)); }, /*repeats=*/true);
    }

private:
    std::shared_ptr<plat::Switch> _toggle = std::make_shared<plat::Switch>(plat::makeRect(330, 70, 51, 31));
    std::shared_ptr<plat::Label> _shown = std::make_shared<plat::Label>(plat::makeRect(390, 70, 60, 30));
    std::shared_ptr<plat::Timer> _timer;
    int _left = 100;
};

}  // namespace

TEST_F(ControlsCheck, EachTapStartsFromTheScreenAsItWasSoWhatASwitchStartedStops)
{
    auto countdown = std::make_shared<Countdown>(*screen->view());
    auto later = plat::Button::buttonWithType(plat::ButtonType::System);
    later->setTitle("Later", plat::ControlStateNormal);
    later->setFrame(plat::makeRect(460, 70, 90, 40));
    screen->view()->addSubview(later);
    EXPECT_EQ(check("checkcontrols tiny | only Timer; Later"),
        "line 1 (checkcontrols): on \"tiny\": Button \"Later\" of Screen at (460, 70, 90, 40) does nothing a person "
        "sees");
}

TEST_F(ControlsCheck, AScreenTheWayBackMakesAfreshIsWatchedAgain)
{
    // The screen shows a live camera; the way back puts up a new screen of
    // the same kind, with a camera picture of its own.
    MovingPicture camera(*screen->view());
    class Returner : public plat::Object {
    public:
        explicit Returner(std::shared_ptr<plat::Window> w)
            : window(std::move(w))
        {
        }
        void goBack()
        {
            fresh = std::make_shared<Screen>();
            window->setRootViewController(fresh);
            freshCamera = std::make_unique<MovingPicture>(*fresh->view());
        }
        std::shared_ptr<plat::Window> window;
        std::shared_ptr<Screen> fresh;
        std::unique_ptr<MovingPicture> freshCamera;
    };
    auto returner = std::make_shared<Returner>(window);
    auto back = plat::Button::buttonWithType(plat::ButtonType::System);
    back->setTitle("Back", plat::ControlStateNormal);
    back->setFrame(plat::makeRect(10, 10, 80, 40));
    back->addTarget(returner.get(), &Returner::goBack, plat::ControlEventTouchUpInside);
    screen->elsewhere->view()->addSubview(back);

    EXPECT_EQ(check("checkcontrols tiny | only Leave; Nothing | last Nothing | back tap Back; wait 0.5"),
        "line 1 (checkcontrols): on \"tiny\": Button \"Nothing\" of Screen at (110, 20, 90, 40) does nothing a person "
        "sees");
    EXPECT_EQ(window->rootViewController(), returner->fresh);
}

TEST_F(ControlsCheck, AControlThatOnlyTurnsAPictureHeldStillCountsAndUnhookedItIsNamed)
{
    MovingPicture camera(*screen->view());
    class Switcher : public plat::Object {
    public:
        explicit Switcher(MovingPicture& picture)
            : camera(picture)
        {
        }
        void flip() { camera.mirror(); }
        MovingPicture& camera;
    };
    auto switcher = std::make_shared<Switcher>(camera);
    auto flip = plat::Button::buttonWithType(plat::ButtonType::System);
    flip->setTitle("Flip", plat::ControlStateNormal);
    flip->setFrame(plat::makeRect(410, 70, 90, 40));
    flip->addTarget(switcher.get(), &Switcher::flip, plat::ControlEventTouchUpInside);
    screen->view()->addSubview(flip);
    EXPECT_EQ(check("checkcontrols filming | only Flip"), "");
    EXPECT_EQ(check("unhook Flip\ncheckcontrols filming | only Flip"),
        "line 2 (checkcontrols): on \"filming\": Button \"Flip\" of Screen at (410, 70, 90, 40) does nothing a person "
        "sees");
}

namespace {

// Controls that say what they did in a message that goes a second later, as
// a heads-up display does: a switch at once, a button from a block it queues.
class Announcer : public plat::Object {
public:
    explicit Announcer(plat::View& root)
    {
        _toggle->setAccessibilityLabel("Announce");
        _toggle->addTarget(this, &Announcer::toggled, plat::ControlEventValueChanged);
        root.addSubview(_toggle);
        _sound->setTitle("Sound", plat::ControlStateNormal);
        _sound->setFrame(plat::makeRect(250, 160, 90, 40));
        _sound->addTarget(this, &Announcer::sound, plat::ControlEventTouchUpInside);
        root.addSubview(_sound);
        _message->setUserInteractionEnabled(false);
        _message->setBackgroundColor(plat::Color::colorWithWhite(0.2, 1));
        _message->setTextColor(plat::Color::colorWithWhite(1, 1));
        _message->setHidden(true);
        root.addSubview(_message);
    }
    ~Announcer() { plat::RunLoop::main().cancelPreviousPerformRequests(this); }
    void toggled(plat::Switch& toggle) { say(toggle.isOn() ? "Announcing" : "Quiet"); }
    void sound()
    {
        _sound->setSelected(!_sound->isSelected());
        std::weak_ptr<Announcer> weakSelf = sharedAs<Announcer>();
        plat::DispatchQueue::mainQueue().async([weakSelf] {
            if (auto self = weakSelf.lock())
                self->say("Sound changed");
        });
    }

private:
    void say(const std::string& text)
    {
        _message->setText(text);
        _message->setHidden(false);
        plat::RunLoop::main().cancelPreviousPerformRequests(this);
        plat::RunLoop::main().performAfterDelay(this, 1, [this] { _message->setHidden(true); });
    }

    std::shared_ptr<plat::Switch> _toggle = std::make_shared<plat::Switch>(plat::makeRect(330, 70, 51, 31));
    std::shared_ptr<plat::Button> _sound = plat::Button::buttonWithType(plat::ButtonType::System);
    std::shared_ptr<plat::Label> _message = std::make_shared<plat::Label>(plat::makeRect(200, 240, 160, 40));
};

}  // namespace

// What a tap set going that ends a moment later (its message going) is no
// sign of the next tap: the dead Later is named whatever came before it,
// and one check tries it after each of the others when its name is given
// again in the last list.
TEST_F(ControlsCheck, ADeadControlIsNamedAfterAControlWhoseMessageGoesAMomentLater)
{
    auto announcer = std::make_shared<Announcer>(*screen->view());
    auto later = plat::Button::buttonWithType(plat::ButtonType::System);
    later->setTitle("Later", plat::ControlStateNormal);
    later->setFrame(plat::makeRect(460, 70, 90, 40));
    screen->view()->addSubview(later);
    const std::string dead = "on \"tiny\": Button \"Later\" of Screen at (460, 70, 90, 40) does nothing a person sees";
    const struct {
        std::vector<std::string> only;
        std::vector<std::string> last;
        std::vector<std::string> probed;
    } cases[] = {
        {{"Announce", "Later"}, {}, {"Announce", "Later"}},
        {{"Sound", "Later"}, {}, {"Sound", "Later"}},
        {{"Announce", "Sound", "Later"}, {"Announce", "Later", "Sound", "Later"},
            {"Announce", "Later", "Sound", "Later"}},
    };
    for (const auto& c : cases) {
        plat::scripting::ControlsCheck probe(driver, {"tiny", {}, c.last, {}, c.only});
        EXPECT_EQ(probe.run(), std::vector<std::string> {dead}) << c.only.front();
        EXPECT_EQ(probe.probed(), c.probed);
    }
}
