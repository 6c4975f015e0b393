#include "platform/ui/EditedText.h"

#include <algorithm>
#include <pango/pango.h>
#include <vector>

namespace plat::detail {

namespace {

// Whether index falls between the two halves of a surrogate pair.
bool splitsPair(const std::u16string& units, int64_t index)
{
    if (index <= 0 || index >= static_cast<int64_t>(units.size()))
        return false;
    char16_t before = units[static_cast<size_t>(index - 1)], after = units[static_cast<size_t>(index)];
    return before >= 0xD800 && before <= 0xDBFF && after >= 0xDC00 && after <= 0xDFFF;
}

}  // namespace

int64_t lastCharacterLength(std::string_view text)
{
    if (text.empty())
        return 0;
    // Pango knows where the caret may stand between grapheme clusters.
    auto characters = static_cast<int>(g_utf8_strlen(text.data(), static_cast<gssize>(text.size())));
    std::vector<PangoLogAttr> attributes(static_cast<size_t>(characters) + 1);
    pango_get_log_attrs(text.data(), static_cast<int>(text.size()), -1, pango_language_get_default(), attributes.data(),
        static_cast<int>(attributes.size()));
    int start = characters - 1;
    while (start > 0 && !attributes[static_cast<size_t>(start)].is_cursor_position)
        --start;
    const char* from = g_utf8_offset_to_pointer(text.data(), start);
    return lengthInUtf16(text.substr(static_cast<size_t>(from - text.data())));
}

Range selectionWithinText(const std::string& text, Range range)
{
    std::u16string units = utf16FromUtf8(text);
    int64_t length = static_cast<int64_t>(units.size());
    range.location = std::clamp<int64_t>(range.location, 0, length);
    range.length = std::clamp<int64_t>(range.length, 0, length - range.location);
    // Never half an emoji: typing there would break it into two replacement characters.
    int64_t end = range.end();
    if (splitsPair(units, range.location))
        --range.location;
    if (range.length == 0)
        end = range.location;
    else if (splitsPair(units, end))
        ++end;
    range.length = end - range.location;
    return range;
}

void EditedText::setText(std::string text)
{
    _text = std::move(text);
    moveCaretToEnd();
}

void EditedText::moveCaretToEnd()
{
    _selection = {lengthInUtf16(_text), 0};
}

void EditedText::select(Range range)
{
    _selection = selectionWithinText(_text, range);
}

void EditedText::replace(Range range, const std::string& text)
{
    _text = substringToIndex(_text, range.location) + text + substringFromIndex(_text, range.end());
    _selection = {range.location + lengthInUtf16(text), 0};
}

std::optional<Range> EditedText::rangeToDeleteBackward() const
{
    if (_selection.length > 0)
        return _selection;
    if (_selection.location == 0)
        return std::nullopt;
    const int64_t step = lastCharacterLength(substringToIndex(_text, _selection.location));
    return Range {_selection.location - step, step};
}

}  // namespace plat::detail
