#include "platform/ui/DesktopScreen.h"

#include <SDL.h>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/Device.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/SystemVolume.h"
#include "platform/ui/TouchSynthesizer.h"
#include "platform/ui/UpdateCycle.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"

namespace plat {

namespace {

// Desktop pixels per point: a phone's small screen is shown twice as large.
double zoomForDevice()
{
    return Device::currentDevice().isTablet() ? 1.0 : 2.0;
}

struct SdlWindowDeleter {
    void operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
    void operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }
    void operator()(SDL_Texture* t) const { SDL_DestroyTexture(t); }
};

bool hasRunningAnimations(const Layer& layer)
{
    if (layer.hasAnimations())
        return true;
    for (const auto& sublayer : layer.sublayers())
        if (hasRunningAnimations(*sublayer))
            return true;
    return false;
}

// The fingers a mouse stands for.
class MouseFingers {
public:
    void press(const std::shared_ptr<Window>& window, Point at, bool second)
    {
        if (!window)
            return;
        // One synthesizer per window, so that quick clicks count as repeated taps.
        if (!_touches || _touches->window() != window)
            _touches = std::make_unique<TouchSynthesizer>(window);
        _middle = {window->bounds().midX(), window->bounds().midY()};
        if (second)
            _fingers = _touches->touchesDown({at, mirrored(at)});
        else
            _fingers = {_touches->touchDown(at)};
    }
    void move(Point at)
    {
        if (!_touches || _fingers.empty())
            return;
        if (_fingers.size() == 2)
            _touches->moveTouches({{_fingers[0], at}, {_fingers[1], mirrored(at)}});
        else
            _touches->moveTouch(_fingers[0], at);
    }
    void release()
    {
        if (_touches && !_fingers.empty())
            _touches->liftTouches(_fingers);
        _fingers.clear();
    }
    bool isDown() const { return !_fingers.empty(); }

private:
    Point mirrored(Point p) const { return {2 * _middle.x - p.x, 2 * _middle.y - p.y}; }

    std::unique_ptr<TouchSynthesizer> _touches;
    std::vector<std::shared_ptr<Touch>> _fingers;
    Point _middle;
};

}  // namespace

bool DesktopScreen::isAvailable()
{
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!x11 || !*x11) && (!wayland || !*wayland))
        return false;
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return false;
    SDL_Quit();
    return true;
}

int DesktopScreen::run(const std::atomic<bool>& quitRequested)
{
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        log("screen: cannot start SDL: {}", SDL_GetError());
        return 1;
    }
    const double zoom = zoomForDevice();
    const Size points = Screen::mainScreen().bounds().size;
    std::unique_ptr<SDL_Window, SdlWindowDeleter> window(SDL_CreateWindow("Zantrope", SDL_WINDOWPOS_CENTERED,
        SDL_WINDOWPOS_CENTERED, static_cast<int>(points.width * zoom), static_cast<int>(points.height * zoom),
        SDL_WINDOW_SHOWN | SDL_WINDOW_ALLOW_HIGHDPI));
    if (!window) {
        log("screen: cannot open a window: {}", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    std::unique_ptr<SDL_Renderer, SdlWindowDeleter> renderer(SDL_CreateRenderer(window.get(), -1, 0));
    if (!renderer) {
        log("screen: cannot draw into the window: {}", SDL_GetError());
        window.reset();
        SDL_Quit();
        return 1;
    }
    const Uint32 wakeEvent = SDL_RegisterEvents(1);
    // Work posted to the main queue from other threads wakes the wait below; one pending wake is enough.
    static std::atomic<bool> wakePending {false};
    RunLoop::main().setWakeHandler([wakeEvent] {
        if (wakePending.exchange(true))
            return;
        SDL_Event event {};
        event.type = wakeEvent;
        SDL_PushEvent(&event);
    });
    SDL_StartTextInput();

    auto& app = Application::sharedApplication();
    std::unique_ptr<SDL_Texture, SdlWindowDeleter> texture;
    int textureWidth = 0, textureHeight = 0;
    uint64_t drawnGeneration = 0;
    MouseFingers mouse;
    bool running = true;

    auto toPoints = [zoom](int x, int y) { return Point {x / zoom, y / zoom}; };

    while (running && !quitRequested.load()) {
        RunLoop::main().drain();
        if (quitRequested.load())
            break;
        if (app.isIdleTimerDisabled())
            SDL_DisableScreenSaver();
        else
            SDL_EnableScreenSaver();

        auto key = app.keyWindow();
        bool animating = key && hasRunningAnimations(*key->layer());
        uint64_t generation = detail::UpdateCycle::renderGeneration();
        if (generation != drawnGeneration || animating) {
            drawnGeneration = generation;
            std::shared_ptr<Image> picture = key ? snapshotWindow(*key) : nullptr;
            SDL_SetRenderDrawColor(renderer.get(), 0, 0, 0, 255);
            SDL_RenderClear(renderer.get());
            if (picture) {
                const Bitmap& pixels = *picture->bitmap();
                if (!texture || textureWidth != pixels.width() || textureHeight != pixels.height()) {
                    // BGRA in memory is SDL's ARGB8888 on little-endian machines.
                    texture.reset(SDL_CreateTexture(renderer.get(), SDL_PIXELFORMAT_ARGB8888,
                        SDL_TEXTUREACCESS_STREAMING, pixels.width(), pixels.height()));
                    textureWidth = pixels.width();
                    textureHeight = pixels.height();
                }
                if (texture) {
                    SDL_UpdateTexture(texture.get(), nullptr, pixels.bytes(), static_cast<int>(pixels.bytesPerRow()));
                    SDL_RenderCopy(renderer.get(), texture.get(), nullptr, nullptr);
                }
            }
            SDL_RenderPresent(renderer.get());
        }

        // Sleep until an event, the run loop's next due work, or the next refresh while animating.
        double now = Clock::current().uptimeSeconds();
        double next = RunLoop::main().nextWorkUptime();
        if (animating)
            next = std::min(next, now + 1.0 / 60);
        SDL_Event event;
        int got = 0;
        if (std::isinf(next)) {
            got = SDL_WaitEvent(&event);
        } else {
            int milliseconds = static_cast<int>(std::ceil(std::max(0.0, next - now) * 1000));
            got = SDL_WaitEventTimeout(&event, milliseconds);
        }
        while (got) {
            if (event.type == wakeEvent) {
                wakePending.store(false);
            } else if (event.type == SDL_QUIT) {
                running = false;
            } else if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_LEFT) {
                bool second = (SDL_GetModState() & KMOD_ALT) != 0;
                mouse.press(app.keyWindow(), toPoints(event.button.x, event.button.y), second);
            } else if (event.type == SDL_MOUSEMOTION && mouse.isDown()) {
                mouse.move(toPoints(event.motion.x, event.motion.y));
            } else if (event.type == SDL_MOUSEBUTTONUP && event.button.button == SDL_BUTTON_LEFT) {
                mouse.release();
            } else if (event.type == SDL_TEXTINPUT) {
                Keyboard::shared().typeText(event.text.text);
            } else if (event.type == SDL_KEYDOWN) {
                switch (event.key.keysym.sym) {
                case SDLK_BACKSPACE:
                    Keyboard::shared().typeText("\b");
                    break;
                case SDLK_RETURN:
                case SDLK_KP_ENTER:
                    Keyboard::shared().typeText("\n");
                    break;
                case SDLK_PAGEUP:
                    SystemVolume::shared().pressVolumeUp();
                    break;
                case SDLK_PAGEDOWN:
                    SystemVolume::shared().pressVolumeDown();
                    break;
                case SDLK_F5:
                    if (app.applicationState() == ApplicationState::Background)
                        app.enterForeground();
                    else
                        app.enterBackground();
                    break;
                case SDLK_F6:
                    app.receiveMemoryWarning();
                    break;
                default:
                    break;
                }
            } else if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED) {
                drawnGeneration = 0;
            }
            got = SDL_PollEvent(&event);
        }
    }
    mouse.release();
    SDL_StopTextInput();
    RunLoop::main().setWakeHandler({});
    texture.reset();
    renderer.reset();
    window.reset();
    SDL_Quit();
    return 0;
}

}  // namespace plat
