#include "app/UnreadableFramesMessage.h"

#include <utility>
#include <vector>

#include "document/FilledText.h"
#include "platform/foundation/Bundle.h"

namespace zt {

namespace {

// More than this many are counted, not named: the message stays readable in an alert.
constexpr size_t kNamedItems = 8;

// A frame, or a run of three or more neighbours ("7–9"), and how many frames it stands for.
struct Item {
    std::string text;
    int64_t frames;
};

std::vector<Item> itemsOf(const std::vector<int64_t>& positions)
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

}  // namespace

std::string unreadableFramesMessage(const std::vector<int64_t>& positions)
{
    const auto items = itemsOf(positions);
    std::vector<std::string> named;
    int64_t unnamedFrames = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i < kNamedItems)
            named.push_back(items[i].text);
        else
            unnamedFrames += items[i].frames;
    }
    if (unnamedFrames > 0)
        named.push_back(filledText(plat::localized("%d more"), {std::to_string(unnamedFrames)}));
    std::string list;
    for (size_t i = 0; i < named.size(); ++i) {
        if (i > 0)
            list += i + 1 == named.size() ? " " + plat::localized("and") + " " : ", ";
        list += named[i];
    }
    const bool one = positions.size() == 1;
    return filledText(one
            ? plat::localized("The picture of frame %@ is damaged or missing. The export was made without it.")
            : plat::localized("The pictures of frames %@ are damaged or missing. The export was made without them."),
        {list});
}

}  // namespace zt
