#pragma once
#include <memory>
#include <string>

#include "platform/foundation/Geometry.h"

namespace plat {

// Keyboard notification names and payload keys, with the platform's values.
// Frames are rectangle strings ("{{x, y}, {w, h}}") in screen coordinates.
inline constexpr const char* KeyboardWillShowNotification = "UIKeyboardWillShowNotification";
inline constexpr const char* KeyboardDidShowNotification = "UIKeyboardDidShowNotification";
inline constexpr const char* KeyboardWillHideNotification = "UIKeyboardWillHideNotification";
inline constexpr const char* KeyboardDidHideNotification = "UIKeyboardDidHideNotification";
inline constexpr const char* KeyboardFrameBeginUserInfoKey = "UIKeyboardFrameBeginUserInfoKey";
inline constexpr const char* KeyboardFrameEndUserInfoKey = "UIKeyboardFrameEndUserInfoKey";
inline constexpr const char* KeyboardAnimationDurationUserInfoKey = "UIKeyboardAnimationDurationUserInfoKey";
inline constexpr const char* KeyboardAnimationCurveUserInfoKey = "UIKeyboardAnimationCurveUserInfoKey";

// The on-screen keyboard: it shows while a text input is the first
// responder (will-show now, did-show once it slid in) and hides when none
// is (decided at the end of the turn, so moving from one field to the next
// keeps it up); typed text goes to the key window's first responder. It
// covers the bottom of the screen: 162 points on a phone and 352 on a
// tablet in landscape. Main thread.
class Keyboard {
public:
    static constexpr double kAnimationSeconds = 0.25;
    static constexpr int kAnimationCurve = 7;

    static Keyboard& shared();

    bool isShown() const { return _shown; }
    // In screen coordinates; where it would be when hidden (below the screen).
    Rect frame() const;
    Rect shownFrame() const;

    // Text inputs report their first-responder changes.
    void textInputBecameFirstResponder();
    void textInputResignedFirstResponder();

    // Types into the first responder of the key window: "\n" is the return
    // key, "\b" a backspace. False when nothing takes typing.
    bool typeText(const std::string& text);

    // For test isolation.
    void reset();

private:
    Keyboard() = default;
    void post(const char* name, Rect begin, Rect end);
    void hideUnlessTyping();

    bool _shown = false;
    bool _hideCheckPending = false;
    uint64_t _generation = 0;
};

}  // namespace plat
