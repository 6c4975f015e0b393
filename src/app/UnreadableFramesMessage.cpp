#include "app/UnreadableFramesMessage.h"

#include <utility>
#include <vector>

#include "document/FilledText.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Text.h"

namespace zt {

namespace {

// More than this many are counted, not named: the message stays readable in an alert.
constexpr size_t kNamedItems = 8;

// A frame, a run of three or more neighbours ("7–9") or a sound, and how many of them it stands for.
struct Item {
    std::string text;
    int64_t count;
};

std::vector<Item> frameItemsOf(const std::vector<int64_t>& positions)
{
    std::vector<std::pair<int64_t, int64_t>> runs;
    for (int64_t position : positions) {
        if (!runs.empty() && position == runs.back().second + 1)
            runs.back().second = position;
        else
            runs.emplace_back(position, position);
    }
    std::vector<Item> items;
    for (const auto& [first, last] : runs) {
        if (last - first >= 2) {
            items.push_back({std::to_string(first) + "–" + std::to_string(last), last - first + 1});
            continue;
        }
        for (int64_t position = first; position <= last; ++position)
            items.push_back({std::to_string(position), 1});
    }
    return items;
}

// "a, b, c and 4 more"
std::string listOf(const std::vector<Item>& items)
{
    std::vector<std::string> named;
    int64_t unnamed = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i < kNamedItems)
            named.push_back(items[i].text);
        else
            unnamed += items[i].count;
    }
    if (unnamed > 0)
        named.push_back(filledText(plat::localized("%d more"), {std::to_string(unnamed)}));
    std::string list;
    for (size_t i = 0; i < named.size(); ++i) {
        if (i > 0)
            list += i + 1 == named.size() ? " " + plat::localized("and") + " " : ", ";
        list += named[i];
    }
    return list;
}

}  // namespace

std::string unreadableFramesMessage(const std::vector<int64_t>& positions, UnreadablePictureFill fill)
{
    const bool one = positions.size() == 1;
    const char* text = nullptr;
    if (fill == UnreadablePictureFill::Black)
        text = one
            ? "The picture of frame %@ is damaged or missing. The movie shows a black picture in its place."
            : "The pictures of frames %@ are damaged or missing. The movie shows a black picture in their place.";
    else
        text = one ? "The picture of frame %@ is damaged or missing. The export was made without it."
                   : "The pictures of frames %@ are damaged or missing. The export was made without them.";
    return filledText(plat::localized(text), {listOf(frameItemsOf(positions))});
}

std::string unreadableSoundsMessage(const std::vector<std::string>& names)
{
    std::vector<Item> items;
    for (const std::string& name : names)
        items.push_back({"“" + plat::escapedForMessage(name) + "”", 1});  // a file's name or a song's title
    return filledText(names.size() == 1
            ? plat::localized("The sound %@ is damaged or missing. The movie was made without it.")
            : plat::localized("The sounds %@ are damaged or missing. The movie was made without them."),
        {listOf(items)});
}

}  // namespace zt
