#pragma once
#include <string>

namespace plat {

// Keyboard types, appearances and return keys, with the platform's numbers.
enum class KeyboardType : int {
    Default = 0,
    ASCIICapable = 1,
    NumbersAndPunctuation = 2,
    URL = 3,
    NumberPad = 4,
    PhonePad = 5,
    NamePhonePad = 6,
    EmailAddress = 7,
    DecimalPad = 8,
};
enum class KeyboardAppearance : int { Default = 0, Dark = 1, Light = 2 };
enum class ReturnKeyType : int {
    Default = 0,
    Go = 1,
    Google = 2,
    Join = 3,
    Next = 4,
    Route = 5,
    Search = 6,
    Send = 7,
    Yahoo = 8,
    Done = 9,
    EmergencyCall = 10,
};

// What the keyboard types into, as the platform's key-input protocol: the
// first responder receives text (a line break is the return key) and
// backspaces.
class KeyInput {
public:
    virtual ~KeyInput() = default;
    virtual bool hasText() const = 0;
    virtual void insertText(const std::string& text) = 0;
    virtual void deleteBackward() = 0;
    virtual KeyboardType keyboardType() const { return KeyboardType::Default; }
};

}  // namespace plat
