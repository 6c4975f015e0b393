#include "platform/ui/DesktopScreen.h"

#include <SDL.h>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"
#include "platform/media/AudioOutput.h"
#include "platform/ui/Application.h"
#include "platform/ui/Device.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/SystemVolume.h"
#include "platform/ui/TouchSynthesizer.h"
#include "platform/ui/UpdateCycle.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowCompositor.h"

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
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};

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

// One run of the desktop window: SDL, the window, the kept picture of the
// screen, and the mouse's fingers. Made only when all of it could be
// started; closing it takes down SDL's video and events and leaves the rest
// (the speaker) as it was. Main thread.
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
    explicit DesktopSession(double zoom)
        : _zoom(zoom)
        , _screen(zoom)
    {
    }
    // Draws again what changed of the key window, if anything did (or may
    // have: animations run), and shows it in the window.
    void presentIfChanged();
    // Copies those pixels of the kept picture into the window (all of them when empty).
    void show(const std::vector<detail::PixelRect>& areas);
    void showBlack();
    // Sleeps until an event, the run loop's next due work, or the next
    // refresh while animating; then handles every event that is waiting.
    void waitAndHandleEvents(bool animating);
    void handleEvent(const SDL_Event& event);
    void handleKey(SDL_Keycode key);
    Point toPoints(int x, int y) const { return {x / _zoom, y / _zoom}; }

    double _zoom = 1;
    // Drawn at the window's own pixels per point, so that the window shows it pixel for pixel.
    detail::WindowCompositor _screen;
    bool _sdlStarted = false;
    std::unique_ptr<SDL_Window, SdlWindowDeleter> _window;
    uint64_t _drawnGeneration = 0;
    bool _showsKeyWindow = false;
    // The window system lost what the window showed: show the kept picture again.
    bool _exposed = true;
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
    // The screen is drawn on the processor already, and goes into the
    // window's own surface. Drawn through OpenGL, SDL would bind a GLX
    // context to the main thread, where no EGL context (the painter's, the
    // picture pipeline's) can then be made current.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(kWindowSubsystems) != 0) {
        log("screen: cannot start SDL: {}", SDL_GetError());
        return nullptr;
    }
    std::unique_ptr<DesktopSession> session(new DesktopSession(zoomForDevice()));
    session->_sdlStarted = true;
    const Size points = Screen::mainScreen().bounds().size;
    session->_window.reset(SDL_CreateWindow("Zantrope", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
        static_cast<int>(points.width * session->_zoom), static_cast<int>(points.height * session->_zoom),
        SDL_WINDOW_SHOWN | SDL_WINDOW_ALLOW_HIGHDPI));
    if (!session->_window) {
        log("screen: cannot open a window: {}", SDL_GetError());
        return nullptr;
    }
    if (!SDL_GetWindowSurface(session->_window.get())) {
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
        presentIfChanged();
        waitAndHandleEvents(_screen.isAnimating());
    }
    return 0;
}

void DesktopSession::present()
{
    presentIfChanged();
    SDL_PumpEvents();
}

void DesktopSession::presentIfChanged()
{
    if (detail::UpdateCycle::renderGeneration() == _drawnGeneration && !_screen.isAnimating() && !_exposed)
        return;
    const int64_t speakerBefore = DesktopScreen::logsPictures() ? AudioOutput::shared().deviceFramesHeard() : 0;
    auto key = Application::sharedApplication().keyWindow();
    if (!key) {
        if (_showsKeyWindow || _exposed)
            showBlack();
        _showsKeyWindow = false;
        _exposed = false;
        _screen.forget();
        _drawnGeneration = detail::UpdateCycle::renderGeneration();
        return;
    }
    std::vector<detail::PixelRect> areas = _screen.update(*key);
    _showsKeyWindow = true;
    // Read after the update, whose own layout and display are in the picture already.
    _drawnGeneration = detail::UpdateCycle::renderGeneration();
    if (_exposed) {
        _exposed = false;
        show({});
    } else if (!areas.empty()) {
        show(areas);
    }
    if (!areas.empty() && DesktopScreen::logsPictures()) {
        int64_t pixels = 0;
        for (const auto& area : areas)
            pixels += area.area();
        log("screen: picture {} ({} pixels drawn again) drawn from speaker frame {}, shown at speaker frame {}",
            ++_picturesShown, pixels, speakerBefore, AudioOutput::shared().deviceFramesHeard());
    }
}

void DesktopSession::show(const std::vector<detail::PixelRect>& areas)
{
    const Bitmap* picture = _screen.picture();
    SDL_Surface* target = SDL_GetWindowSurface(_window.get());
    if (!picture || !target)
        return;
    // BGRA in memory is SDL's ARGB8888 on little-endian machines; the picture is only read.
    std::unique_ptr<SDL_Surface, SdlWindowDeleter> source(
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(picture->bytes()), picture->width(), picture->height(),
            32, static_cast<int>(picture->bytesPerRow()), SDL_PIXELFORMAT_ARGB8888));
    if (!source)
        return;
    SDL_SetSurfaceBlendMode(source.get(), SDL_BLENDMODE_NONE);
    if (areas.empty() || target->w != picture->width() || target->h != picture->height()) {
        SDL_BlitScaled(source.get(), nullptr, target, nullptr);
        SDL_UpdateWindowSurface(_window.get());
        return;
    }
    std::vector<SDL_Rect> rects;
    for (const auto& area : areas) {
        SDL_Rect from {area.x, area.y, area.width, area.height};
        SDL_Rect to = from;  // the blit clips it in place
        SDL_BlitSurface(source.get(), &from, target, &to);
        rects.push_back(from);
    }
    SDL_UpdateWindowSurfaceRects(_window.get(), rects.data(), static_cast<int>(rects.size()));
}

void DesktopSession::showBlack()
{
    if (SDL_Surface* target = SDL_GetWindowSurface(_window.get())) {
        SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
        SDL_UpdateWindowSurface(_window.get());
    }
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
    } else if (event.type == SDL_WINDOWEVENT
        && (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)) {
        _exposed = true;
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
