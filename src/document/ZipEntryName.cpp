#include "document/ZipEntryName.h"

#include <cctype>

#include "platform/foundation/Text.h"

namespace zt::detail {

namespace {

bool startsWithDriveLetter(std::string_view name)
{
    return name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':';
}

}  // namespace

bool isFolderEntryName(std::string_view name)
{
    return !name.empty() && (name.back() == '/' || name.back() == '\\');
}

std::optional<std::vector<std::string>> safeEntryPathComponents(std::string_view name, size_t maxBytes)
{
    if (name.size() > maxBytes || name.find('\0') != std::string_view::npos || !plat::isValidUtf8(name))
        return std::nullopt;
    if (name.empty())
        return std::vector<std::string> {};
    if (name.front() == '/' || name.front() == '\\' || startsWithDriveLetter(name))
        return std::nullopt;
    std::vector<std::string> components;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("/\\", start);
        if (end == std::string_view::npos)
            end = name.size();
        std::string_view component = name.substr(start, end - start);
        if (component == "..")
            return std::nullopt;
        if (!component.empty() && component != ".")
            components.emplace_back(component);
        start = end + 1;
    }
    return components;
}

}  // namespace zt::detail
