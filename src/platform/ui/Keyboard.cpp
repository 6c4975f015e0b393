#include "platform/ui/Keyboard.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/ui/Application.h"
#include "platform/ui/Device.h"
#include "platform/ui/KeyInput.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace plat {

namespace {

double keyboardHeight()
{
    bool landscape = isLandscape(Application::sharedApplication().statusBarOrientation());
    if (Device::currentDevice().isTablet())
        return landscape ? 352 : 264;
    return landscape ? 162 : 216;
}

KeyInput* currentTextInput()
{
    auto window = Application::sharedApplication().keyWindow();
    if (!window)
        return nullptr;
    return dynamic_cast<KeyInput*>(window->firstResponder().get());
}

}  // namespace

Keyboard& Keyboard::shared()
{
    static Keyboard keyboard;
    return keyboard;
}

Rect Keyboard::shownFrame() const
{
    Rect screen = Screen::mainScreen().bounds();
    double height = keyboardHeight();
    return {{0, screen.height() - height}, {screen.width(), height}};
}

Rect Keyboard::frame() const
{
    Rect shown = shownFrame();
    if (_shown)
        return shown;
    return {{0, Screen::mainScreen().bounds().height()}, shown.size};
}

void Keyboard::post(const char* name, Rect begin, Rect end)
{
    Dictionary info;
    info.set(KeyboardFrameBeginUserInfoKey, stringFromRect(begin));
    info.set(KeyboardFrameEndUserInfoKey, stringFromRect(end));
    info.set(KeyboardAnimationDurationUserInfoKey, kAnimationSeconds);
    info.set(KeyboardAnimationCurveUserInfoKey, int64_t(kAnimationCurve));
    NotificationCenter::defaultCenter().post(name, nullptr, info);
}

void Keyboard::textInputBecameFirstResponder()
{
    _hideCheckPending = false;
    if (_shown)
        return;
    Rect hidden = frame();
    _shown = true;
    uint64_t generation = ++_generation;
    post(KeyboardWillShowNotification, hidden, shownFrame());
    RunLoop::main().performAfterDelay(this, kAnimationSeconds, [this, hidden, generation] {
        if (_shown && generation == _generation)
            post(KeyboardDidShowNotification, hidden, shownFrame());
    });
}

void Keyboard::textInputResignedFirstResponder()
{
    if (!_shown || _hideCheckPending)
        return;
    // Another field may take over in the same turn; the keyboard stays up then.
    _hideCheckPending = true;
    uint64_t generation = _generation;
    DispatchQueue::mainQueue().async([this, generation] {
        if (generation == _generation)
            hideUnlessTyping();
    });
}

void Keyboard::hideUnlessTyping()
{
    if (!_hideCheckPending)
        return;
    _hideCheckPending = false;
    if (!_shown || currentTextInput())
        return;
    Rect shown = shownFrame();
    _shown = false;
    uint64_t generation = ++_generation;
    post(KeyboardWillHideNotification, shown, frame());
    RunLoop::main().performAfterDelay(this, kAnimationSeconds, [this, shown, generation] {
        if (!_shown && generation == _generation)
            post(KeyboardDidHideNotification, shown, frame());
    });
}

bool Keyboard::typeText(const std::string& text)
{
    KeyInput* input = currentTextInput();
    if (!input)
        return false;
    auto window = Application::sharedApplication().keyWindow();
    auto keepAlive = window ? window->firstResponder() : nullptr;
    // Key by key, as a person types: each character is its own change.
    std::u16string units = utf16FromUtf8(text);
    size_t i = 0;
    while (i < units.size()) {
        size_t length = (units[i] >= 0xD800 && units[i] <= 0xDBFF && i + 1 < units.size()) ? 2 : 1;
        std::string key = utf8FromUtf16(std::u16string_view(units).substr(i, length));
        i += length;
        input = currentTextInput();
        if (!input)
            return true;  // the return key may end the typing
        if (key == "\b")
            input->deleteBackward();
        else
            input->insertText(key);
    }
    return true;
}

void Keyboard::reset()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
    _shown = false;
    _hideCheckPending = false;
    ++_generation;
}

}  // namespace plat
