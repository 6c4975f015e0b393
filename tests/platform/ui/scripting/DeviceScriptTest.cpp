#include "platform/ui/scripting/DeviceScript.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Window.h"
#include "platform/ui/scripting/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/BoundedChild.h"
#include "support/ManualClockScope.h"
#include "support/TemporarySandbox.h"

namespace {

class Target : public plat::Object {
public:
    void pressed() { ++presses; }
    int presses = 0;
};

class Delegate : public plat::ApplicationDelegate {
public:
    std::vector<std::string> events;
    void applicationDidEnterBackground(plat::Application&) override { events.push_back("background"); }
    void applicationWillEnterForeground(plat::Application&) override { events.push_back("foreground"); }
    void applicationWillTerminate(plat::Application&) override { events.push_back("terminate"); }
    bool applicationOpenURLSourceApplicationAnnotation(
        plat::Application&, const plat::URL& url, const std::string&, const plat::Value&) override
    {
        events.push_back("open " + url.absoluteString());
        return true;
    }
};

class Scripts : public ::testing::Test {
protected:
    Scripts()
    {
        app.setDelegate(delegate);
        auto button = plat::Button::buttonWithType(plat::ButtonType::System);
        button->setTitle("Add frame", plat::ControlStateNormal);
        button->setFrame(plat::makeRect(100, 100, 120, 44));
        button->addTarget(target.get(), &Target::pressed, plat::ControlEventTouchUpInside);
        window->addSubview(button);
        window->makeKeyAndVisible();
    }

    plat::Result<void> run(const std::string& text)
    {
        auto script = plat::scripting::DeviceScript::parse(text);
        if (!script.ok())
            return script.error();
        plat::scripting::UIDriver driver;
        return script.value().run(driver);
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    plat::test::TemporaryFolder folder;
    plat::Application& app = plat::Application::sharedApplication();
    std::shared_ptr<Delegate> delegate = std::make_shared<Delegate>();
    std::shared_ptr<Target> target = std::make_shared<Target>();
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
};

}  // namespace

TEST_F(Scripts, RunsItsCommandsInOrder)
{
    std::string shot = folder.path("screen.png");
    auto ran = run("# adds two frames\n"
                   "tap Add frame\n"
                   "\n"
                   "tapat 160 122\n"
                   "drag 10 10 200 10\n"
                   "wait 2.5\n"
                   "background\n"
                   "foreground\n"
                   "openurl file:///inbox/a.zantropemobile\n"
                   "screenshot "
        + shot + "\nquit\ntap Add frame\n");
    ASSERT_TRUE(ran.ok()) << ran.error().localizedDescription();
    EXPECT_EQ(target->presses, 2) << "the line after quit does not run";
    EXPECT_EQ(delegate->events,
        (std::vector<std::string> {"background", "foreground", "open file:///inbox/a.zantropemobile", "terminate"}));
    auto picture = plat::Image::imageWithContentsOfFile(shot);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->bitmap()->width(), 1136);
}

TEST_F(Scripts, SyntaxErrorsNameTheLine)
{
    auto unknown = plat::scripting::DeviceScript::parse("wait 1\njump 3\n");
    ASSERT_FALSE(unknown.ok());
    EXPECT_EQ(unknown.error().code(), plat::scripting::DeviceScript::kSyntax);
    EXPECT_EQ(unknown.error().localizedDescription(), "line 2: unknown command \"jump\"");
    EXPECT_FALSE(plat::scripting::DeviceScript::parse("tapat 1").ok());
    EXPECT_FALSE(plat::scripting::DeviceScript::parse("tapat 1 two").ok());
    EXPECT_FALSE(plat::scripting::DeviceScript::parse("wait -1").ok());
    EXPECT_FALSE(plat::scripting::DeviceScript::parse("wait nan").ok());
    EXPECT_FALSE(plat::scripting::DeviceScript::parse("openurl not a url").ok());
    EXPECT_FALSE(plat::scripting::DeviceScript::parse("quit now").ok());
}

TEST_F(Scripts, ACommandThatFindsNothingStopsTheRun)
{
    auto ran = run("tap Delete\ntap Add frame\n");
    ASSERT_FALSE(ran.ok());
    EXPECT_EQ(ran.error().code(), plat::scripting::DeviceScript::kFailed);
    EXPECT_EQ(ran.error().localizedDescription(), "line 1 (tap): no view on screen shows \"Delete\"");
    EXPECT_EQ(target->presses, 0);
}

TEST_F(Scripts, ATapOnACoveredControlNamesTheCoverAndStopsTheRun)
{
    auto sheet = std::make_shared<plat::View>(plat::makeRect(0, 80, 320, 100));
    sheet->setAccessibilityLabel("Sheet");
    window->addSubview(sheet);
    auto ran = run("tap Add frame\n");
    ASSERT_FALSE(ran.ok());
    EXPECT_EQ(ran.error().localizedDescription(),
        "line 1 (tap): Button \"Add frame\" at (100, 100, 120, 44) is covered by View \"Sheet\" at (0, 80, 320, 100)");
    EXPECT_EQ(target->presses, 0);
}

TEST_F(Scripts, ALayoutCheckPassesASoundScreenAndStopsAtAControlOffIt)
{
    ASSERT_TRUE(run("checklayout\n").ok());
    window->subviews().front()->setFrame(plat::makeRect(500, 100, 120, 44));
    auto ran = run("wait 0.1\nchecklayout\n");
    ASSERT_FALSE(ran.ok());
    EXPECT_EQ(ran.error().localizedDescription(),
        "line 2 (checklayout): Button \"Add frame\" at (500, 100, 120, 44) is cut off by the screen's edge");
}

// A control on its way in takes no touches; the script waits for it to stop,
// as a person would, instead of tapping what lies under it.
TEST_F(Scripts, ATapWaitsForAControlThatIsStillMovingIn)
{
    auto button = window->subviews().front();
    button->setFrame(plat::makeRect(400, 100, 120, 44));
    plat::View::animateWithDuration(0.5, [&] { button->setFrame(plat::makeRect(100, 100, 120, 44)); });
    const double start = clock.uptimeSeconds();
    ASSERT_TRUE(run("tap Add frame\n").ok());
    EXPECT_EQ(target->presses, 1);
    EXPECT_GE(clock.uptimeSeconds() - start, 0.5);
}

// A picture fading in takes no touches, and keeps none from the button beside it.
TEST_F(Scripts, ATapDoesNotWaitForAPictureThatTakesNoTouchesToStopMoving)
{
    auto picture = std::make_shared<plat::View>(plat::makeRect(0, 200, 100, 60));
    picture->setBackgroundColor(plat::Color::whiteColor());
    picture->setUserInteractionEnabled(false);
    picture->setAlpha(0);
    window->addSubview(picture);
    plat::View::animateWithDuration(1.5, [&] { picture->setAlpha(1); });
    const double start = clock.uptimeSeconds();
    ASSERT_TRUE(run("tap Add frame\n").ok());
    EXPECT_EQ(target->presses, 1);
    EXPECT_LT(clock.uptimeSeconds() - start, 0.5);
}

TEST_F(Scripts, ChecksTakeAScreenNameAndKnownFaultsAndUnhookNamesAControl)
{
    auto parsed = plat::scripting::DeviceScript::parse(
        "checklayout editor | known cut off\ncheckcontrast editor | known \"Options\"*stands out; \"AF\"\n"
        "checkcontrols editor | only More; Fewer | known \"More\"*does nothing\nunhook Add frame\n");
    ASSERT_TRUE(parsed.ok()) << parsed.error().localizedDescription();
    const auto& commands = parsed.value().commands();
    ASSERT_EQ(commands.size(), 4u);
    EXPECT_EQ(commands[0].screen, "editor");
    EXPECT_EQ(commands[0].known, (std::vector<std::string> {"cut off"}));
    EXPECT_EQ(commands[1].known, (std::vector<std::string> {"\"Options\"*stands out", "\"AF\""}));
    EXPECT_EQ(commands[2].only, (std::vector<std::string> {"More", "Fewer"}));
    EXPECT_EQ(commands[3].rest, "Add frame");
    EXPECT_FALSE(plat::scripting::DeviceScript::parse("checklayout editor | except Play\n").ok());
    EXPECT_FALSE(plat::scripting::DeviceScript::parse("checkcontrast | only Play\n").ok());
    EXPECT_FALSE(plat::scripting::DeviceScript::parse("unhook\n").ok());
}

TEST_F(Scripts, AnUnhookedButtonDoesNothingAndUnhookingWhatIsNoControlFails)
{
    ASSERT_TRUE(run("unhook Add frame\ntap Add frame\n").ok());
    EXPECT_EQ(target->presses, 0);
    auto caption = std::make_shared<plat::Label>(plat::makeRect(10, 10, 100, 20));
    caption->setText("Loop");
    window->addSubview(caption);
    auto ran = run("unhook Loop\n");
    ASSERT_FALSE(ran.ok());
    EXPECT_EQ(ran.error().localizedDescription(), "line 1 (unhook): no control a person can tap is called \"Loop\"");
}

TEST_F(Scripts, AKnownLayoutFaultPassesAndTheScreenIsNamed)
{
    window->subviews().front()->setFrame(plat::makeRect(500, 100, 120, 44));
    EXPECT_TRUE(run("checklayout start | known \"Add frame\"*cut off\n").ok());
    auto ran = run("checklayout start\n");
    ASSERT_FALSE(ran.ok());
    EXPECT_EQ(ran.error().localizedDescription(),
        "line 1 (checklayout): on \"start\": Button \"Add frame\" at (500, "
        "100, 120, 44) is cut off by the screen's edge");
}

TEST_F(Scripts, UnreadableFileIsAnError)
{
    auto missing = plat::scripting::DeviceScript::load(folder.path("none.txt"));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code(), plat::scripting::DeviceScript::kUnreadable);
}

// The app with a device folder in the test's folder, running a script.
std::string appCommand(const plat::test::TemporaryFolder& folder, const std::string& script)
{
    std::string command(ZT_APP_BINARY);
    command.append(" --device ").append(folder.path("device")).append(" --script ").append(script);
    return command;
}

TEST(AppBinary, ScriptedRunIsHeadlessAndWritesTheScreenshot)
{
    plat::test::TemporaryFolder folder;
    std::string script = folder.path("run.txt");
    std::string shot = folder.path("shot.png");
    std::ofstream(script) << "wait 0.1\nscreenshot " << shot << "\nquit\n";
    std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY " + appCommand(folder, script) + " --idiom tablet";
    command += " 2>/dev/null";
    EXPECT_EQ(plat::test::runShellBounded(command), 0);
    auto picture = plat::Image::imageWithContentsOfFile(shot);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->bitmap()->width(), 2048);
    EXPECT_EQ(picture->bitmap()->height(), 1536);
}

TEST(AppBinary, BrokenScriptFailsBeforeLaunch)
{
    plat::test::TemporaryFolder folder;
    std::string script = folder.path("run.txt");
    std::ofstream(script) << "fly away\n";
    std::string command = appCommand(folder, script) + " 2>/dev/null";
    EXPECT_EQ(plat::test::runShellBounded(command), 1);
}
