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
#include "platform/media/AudioOutput.h"
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

// What a window needs of SDL. SDL counts each subsystem's users, so quitting
// these leaves a sound device that was opened before or after running.
constexpr Uint32 kWindowSubsystems = SDL_INIT_VIDEO | SDL_INIT_EVENTS;

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

// One run of the desktop window: SDL, the window, its renderer and the
// texture the screen is shown through, and the mouse's fingers. Made only
// when all of it could be started; closing it takes down SDL's video and
// events and leaves the rest (the speaker) as it was. Main thread.
class DesktopSession {
public:
    static std::unique_ptr<DesktopSession> open();
    ~DesktopSession();
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    int run(const std::atomic<bool>& quitRequested);
    // Draws the key window as it is now, and lets the window system have its events.
    void present();

private:
    DesktopSession() = default;
    // Draws the key window when the screen changed, or every refresh while something animates.
    void presentIfChanged(bool animating);
    void showPicture(const Image& picture);
    // Sleeps until an event, the run loop's next due work, or the next
    // refresh while animating; then handles every event that is waiting.
    void waitAndHandleEvents(bool animating);
    void handleEvent(const SDL_Event& event);
    void handleKey(SDL_Keycode key);
    Point toPoints(int x, int y) const { return {x / _zoom, y / _zoom}; }

    double _zoom = 1;
    bool _sdlStarted = false;
    std::unique_ptr<SDL_Window, SdlWindowDeleter> _window;
    std::unique_ptr<SDL_Renderer, SdlWindowDeleter> _renderer;
    std::unique_ptr<SDL_Texture, SdlWindowDeleter> _texture;
    int _textureWidth = 0;
    int _textureHeight = 0;
    uint64_t _drawnGeneration = 0;
    int64_t _picturesShown = 0;
    Uint32 _wakeEvent = 0;
    // Shared with the wake handler, which other threads call.
    std::shared_ptr<std::atomic<bool>> _wakePending = std::make_shared<std::atomic<bool>>(false);
    MouseFingers _mouse;
    bool _running = true;
};

std::unique_ptr<DesktopSession> DesktopSession::open()
{
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    // The screen is drawn on the processor already. Drawn through OpenGL,
    // SDL would bind a GLX context to the main thread, where no EGL context
    // (the painter's, the picture pipeline's) can then be made current.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(kWindowSubsystems) != 0) {
        log("screen: cannot start SDL: {}", SDL_GetError());
        return nullptr;
    }
    std::unique_ptr<DesktopSession> session(new DesktopSession());
    session->_sdlStarted = true;
    session->_zoom = zoomForDevice();
    const Size points = Screen::mainScreen().bounds().size;
    session->_window.reset(SDL_CreateWindow("Zantrope", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
        static_cast<int>(points.width * session->_zoom), static_cast<int>(points.height * session->_zoom),
        SDL_WINDOW_SHOWN | SDL_WINDOW_ALLOW_HIGHDPI));
    if (!session->_window) {
        log("screen: cannot open a window: {}", SDL_GetError());
        return nullptr;
    }
    session->_renderer.reset(SDL_CreateRenderer(session->_window.get(), -1, SDL_RENDERER_SOFTWARE));
    if (!session->_renderer) {
        log("screen: cannot draw into the window: {}", SDL_GetError());
        return nullptr;
    }
    const Uint32 wakeEvent = SDL_RegisterEvents(1);
    session->_wakeEvent = wakeEvent;
    // Work posted to the main queue from other threads wakes the wait; one pending wake is enough.
    RunLoop::main().setWakeHandler([wakeEvent, pending = session->_wakePending] {
        if (pending->exchange(true))
            return;
        SDL_Event event {};
        event.type = wakeEvent;
        SDL_PushEvent(&event);
    });
    SDL_StartTextInput();
    return session;
}

DesktopSession::~DesktopSession()
{
    if (_wakeEvent != 0) {
        _mouse.release();
        SDL_StopTextInput();
        RunLoop::main().setWakeHandler({});
    }
    // SDL's objects go before SDL itself.
    _texture.reset();
    _renderer.reset();
    _window.reset();
    if (_sdlStarted)
        SDL_QuitSubSystem(kWindowSubsystems);
}

int DesktopSession::run(const std::atomic<bool>& quitRequested)
{
    auto& app = Application::sharedApplication();
    while (_running && !quitRequested.load()) {
        RunLoop::main().drain();
        if (quitRequested.load())
            break;
        if (app.isIdleTimerDisabled())
            SDL_DisableScreenSaver();
        else
            SDL_EnableScreenSaver();
        auto key = app.keyWindow();
        const bool animating = key && hasRunningAnimations(*key->layer());
        presentIfChanged(animating);
        waitAndHandleEvents(animating);
    }
    return 0;
}

void DesktopSession::present()
{
    presentIfChanged(/*animating=*/true);
    SDL_PumpEvents();
}

void DesktopSession::presentIfChanged(bool animating)
{
    uint64_t generation = detail::UpdateCycle::renderGeneration();
    if (generation == _drawnGeneration && !animating)
        return;
    _drawnGeneration = generation;
    const int64_t speakerBefore = DesktopScreen::logsPictures() ? AudioOutput::shared().deviceFramesHeard() : 0;
    auto key = Application::sharedApplication().keyWindow();
    std::shared_ptr<Image> picture = key ? snapshotWindow(*key) : nullptr;
    SDL_SetRenderDrawColor(_renderer.get(), 0, 0, 0, 255);
    SDL_RenderClear(_renderer.get());
    if (picture)
        showPicture(*picture);
    SDL_RenderPresent(_renderer.get());
    ++_picturesShown;
    if (DesktopScreen::logsPictures()) {
        log("screen: picture {} drawn from speaker frame {}, shown at speaker frame {}", _picturesShown, speakerBefore,
            AudioOutput::shared().deviceFramesHeard());
    }
}

void DesktopSession::showPicture(const Image& picture)
{
    const Bitmap& pixels = *picture.bitmap();
    if (!_texture || _textureWidth != pixels.width() || _textureHeight != pixels.height()) {
        // BGRA in memory is SDL's ARGB8888 on little-endian machines.
        _texture.reset(SDL_CreateTexture(
            _renderer.get(), SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, pixels.width(), pixels.height()));
        _textureWidth = pixels.width();
        _textureHeight = pixels.height();
    }
    if (!_texture)
        return;
    SDL_UpdateTexture(_texture.get(), nullptr, pixels.bytes(), static_cast<int>(pixels.bytesPerRow()));
    SDL_RenderCopy(_renderer.get(), _texture.get(), nullptr, nullptr);
}

void DesktopSession::waitAndHandleEvents(bool animating)
{
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
        handleEvent(event);
        got = SDL_PollEvent(&event);
    }
}

void DesktopSession::handleEvent(const SDL_Event& event)
{
    auto& app = Application::sharedApplication();
    if (event.type == _wakeEvent) {
        _wakePending->store(false);
    } else if (event.type == SDL_QUIT) {
        _running = false;
    } else if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_LEFT) {
        bool second = (SDL_GetModState() & KMOD_ALT) != 0;
        _mouse.press(app.keyWindow(), toPoints(event.button.x, event.button.y), second);
    } else if (event.type == SDL_MOUSEMOTION && _mouse.isDown()) {
        _mouse.move(toPoints(event.motion.x, event.motion.y));
    } else if (event.type == SDL_MOUSEBUTTONUP && event.button.button == SDL_BUTTON_LEFT) {
        _mouse.release();
    } else if (event.type == SDL_TEXTINPUT) {
        Keyboard::shared().typeText(event.text.text);
    } else if (event.type == SDL_KEYDOWN) {
        handleKey(event.key.keysym.sym);
    } else if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED) {
        _drawnGeneration = 0;
    }
}

void DesktopSession::handleKey(SDL_Keycode key)
{
    auto& app = Application::sharedApplication();
    switch (key) {
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
}

}  // namespace

bool DesktopScreen::isAvailable()
{
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!x11 || !*x11) && (!wayland || !*wayland))
        return false;
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(kWindowSubsystems) != 0)
        return false;
    SDL_QuitSubSystem(kWindowSubsystems);
    return true;
}

bool DesktopScreen::logsPictures()
{
    static const bool logs = std::getenv("ZANTROPE_LOG_PICTURES") != nullptr;
    return logs;
}

int DesktopScreen::run(const std::atomic<bool>& quitRequested)
{
    auto session = DesktopSession::open();
    return session ? session->run(quitRequested) : 1;
}

std::function<void()> DesktopScreen::openPresenter()
{
    std::shared_ptr<DesktopSession> session = DesktopSession::open();
    if (!session)
        return {};
    return [session] { session->present(); };
}

}  // namespace plat
