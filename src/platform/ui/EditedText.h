#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Text.h"

namespace plat::detail {

// The UTF-16 length of the last character of text as a reader sees it: a
// flag, an emoji with its tone or an accented letter is one character.
int64_t lastCharacterLength(std::string_view text);
// range clamped to text (UTF-16 units) and never splitting an emoji's two
// halves: an empty range moves to the emoji's start, others widen around it.
Range selectionWithinText(const std::string& text, Range range);

// The text that a text field or a text view edits and its selection, both
// counted in UTF-16 units as the platform's strings are. A selection never
// splits an emoji's two halves, and a backspace takes a whole character as
// a reader sees it. Main thread, owned by its view.
class EditedText {
public:
    const std::string& text() const { return _text; }
    Range selection() const { return _selection; }

    // New text with the caret at its end.
    void setText(std::string text);
    void moveCaretToEnd();
    void select(Range range);
    // text in place of range, with the caret after it.
    void replace(Range range, const std::string& text);
    // What a backspace takes: the selection, else the character before the
    // caret; nothing with the caret at the start.
    std::optional<Range> rangeToDeleteBackward() const;

private:
    std::string _text;
    Range _selection;
};

}  // namespace plat::detail
