#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zt::detail {

// A folder entry's name ends in "/" or "\".
bool isFolderEntryName(std::string_view name);

// The plain names that lead from the destination to an entry, or none when
// the name could reach outside it or cannot name a file here: an absolute
// name, a drive letter, a ".." step, a NUL byte, text that is not UTF-8, or
// a name longer than maxBytes. "\" separates like "/"; empty and "." steps
// are dropped, so a folder entry may lead to the destination itself (no
// names). Any thread.
std::optional<std::vector<std::string>> safeEntryPathComponents(std::string_view name, size_t maxBytes);

}  // namespace zt::detail
