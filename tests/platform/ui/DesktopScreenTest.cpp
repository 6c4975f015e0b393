#include "platform/ui/DesktopScreen.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioOutput.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/SystemVolume.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIScope.h"
#include "support/DateTestSupport.h"
#include "support/ManualClockScope.h"
#include "support/RunLoopWaiting.h"

namespace {

class Target : public plat::Object {
public:
    void pressed() { ++presses; }
    int presses = 0;
};

void push(SDL_Event event)
{
    SDL_PushEvent(&event);
}

SDL_Event mouseButton(Uint32 type, int x, int y)
{
    SDL_Event event {};
    event.type = type;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.x = x;
    event.button.y = y;
    return event;
}

}  // namespace

// SDL's dummy video driver stands in for a display: the loop, its drawing
// and its event handling run as with a real window.
TEST(DesktopScreen, MouseIsAFingerKeysTypeAndClosingEndsTheLoop)
{
    plat::test::ScopedEnvironmentVariable driver("SDL_VIDEODRIVER", "dummy");
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    auto window = std::make_shared<plat::Window>();
    auto target = std::make_shared<Target>();
    auto button = plat::Button::buttonWithType(plat::ButtonType::System);
    button->setTitle("Record", plat::ControlStateNormal);
    button->setFrame(plat::makeRect(100, 100, 100, 40));
    button->addTarget(target.get(), &Target::pressed, plat::ControlEventTouchUpInside);
    window->addSubview(button);
    auto field = std::make_shared<plat::TextField>(plat::makeRect(10, 200, 200, 30));
    window->addSubview(field);
    window->makeKeyAndVisible();
    field->becomeFirstResponder();
    double volumeBefore = plat::SystemVolume::shared().outputVolume();

    // The phone's window is shown twice as large: (150, 120) in points is (300, 240).
    plat::RunLoop::main().performAfterDelay(target.get(), 0, [] {
        push(mouseButton(SDL_MOUSEBUTTONDOWN, 300, 240));
        push(mouseButton(SDL_MOUSEBUTTONUP, 300, 240));
        SDL_Event text {};
        text.type = SDL_TEXTINPUT;
        std::snprintf(text.text.text, sizeof(text.text.text), "%s", "Hi");
        push(text);
        SDL_Event key {};
        key.type = SDL_KEYDOWN;
        key.key.keysym.sym = SDLK_PAGEUP;
        push(key);
        SDL_Event quit {};
        quit.type = SDL_QUIT;
        push(quit);
    });
    std::atomic<bool> quitRequested {false};
    EXPECT_EQ(plat::DesktopScreen::run(quitRequested), 0);
    EXPECT_EQ(target->presses, 1);
    EXPECT_EQ(field->text(), "Hi");
    EXPECT_DOUBLE_EQ(plat::SystemVolume::shared().outputVolume(), volumeBefore + plat::SystemVolume::kStep);
    plat::SystemVolume::shared().setOutputVolume(volumeBefore);
}

TEST(DesktopScreen, NeedsADisplay)
{
    plat::test::ScopedEnvironmentVariable x11("DISPLAY", std::nullopt);
    plat::test::ScopedEnvironmentVariable wayland("WAYLAND_DISPLAY", std::nullopt);
    EXPECT_FALSE(plat::DesktopScreen::isAvailable());
}

// As in the app, the speaker opens before the check for a display and the
// window's run: neither may take SDL's sound down with it.
TEST(DesktopScreen, TheSpeakerPlaysOnThroughTheCheckForADisplayAndAWindowsRun)
{
    plat::test::ScopedEnvironmentVariable video("SDL_VIDEODRIVER", "dummy");
    plat::test::ScopedEnvironmentVariable audio("SDL_AUDIODRIVER", "dummy");
    plat::test::ScopedEnvironmentVariable x11("DISPLAY", ":0");
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    plat::SystemAudioOutputScope speaker;
    ASSERT_TRUE(plat::DesktopScreen::isAvailable());
    std::atomic<bool> quitRequested {true};
    EXPECT_EQ(plat::DesktopScreen::run(quitRequested), 0);
    std::atomic<int> blocks {0};
    plat::AudioOutput::shared().setMonitor([&blocks](const float*, int64_t) { ++blocks; });
    EXPECT_TRUE(plat::test::runMainLoopUntil([&blocks] { return blocks >= 3; }, 10)) << "the speaker fell silent";
    plat::AudioOutput::shared().setMonitor({});
}
