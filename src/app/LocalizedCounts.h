#pragma once
#include <string>

namespace zt {

// Fills each "%d" of a localized text with the next count, in order; "%d"s
// beyond the counts stay as they are. Any thread.
template <typename... Counts> std::string withCounts(std::string text, Counts... counts)
{
    auto fill = [&text](auto count) {
        auto at = text.find("%d");
        if (at != std::string::npos)
            text.replace(at, 2, std::to_string(count));
    };
    (fill(counts), ...);
    return text;
}

}  // namespace zt
