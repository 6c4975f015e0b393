#include "platform/library/MediaPlaylistFile.h"

#include <filesystem>

#include "platform/foundation/URL.h"

namespace plat::detail {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kNameDirective = "#PLAYLIST:";
constexpr std::string_view kFileScheme = "file://";

std::string_view trimmed(std::string_view line)
{
    size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    size_t last = line.find_last_not_of(" \t\r");
    return line.substr(first, last - first + 1);
}

bool hasOtherScheme(std::string_view entry)
{
    // "http://..", "smb://..": a scheme is letters (and + - .) before "://".
    size_t colon = entry.find("://");
    if (colon == std::string_view::npos || colon == 0)
        return false;
    for (char c : entry.substr(0, colon)) {
        bool schemeCharacter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+'
            || c == '-' || c == '.';
        if (!schemeCharacter)
            return false;
    }
    return true;
}

std::optional<std::string> pathOfEntry(std::string_view entry, const std::string& folder)
{
    std::string path;
    if (entry.substr(0, kFileScheme.size()) == kFileScheme) {
        auto url = URL::URLWithString(entry);
        if (!url || !url->isFileURL())
            return std::nullopt;
        path = url->path();
    } else if (hasOtherScheme(entry)) {
        return std::nullopt;
    } else {
        path = std::string(entry);
        // Playlists made on other systems separate folders with backslashes.
        for (char& c : path)
            if (c == '\\')
                c = '/';
    }
    if (path.empty() || path.find('\0') != std::string::npos)
        return std::nullopt;
    std::filesystem::path resolved(path);
    if (resolved.is_relative())
        resolved = std::filesystem::path(folder) / resolved;
    std::string normal = resolved.lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/')
        normal.pop_back();
    return normal;
}

}  // namespace

PlaylistFileContents parsePlaylistFile(std::string_view text, const std::string& playlistFolder)
{
    PlaylistFileContents contents;
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text.remove_prefix(kByteOrderMark.size());
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty())
            continue;
        if (line.front() == '#') {
            if (line.substr(0, kNameDirective.size()) == kNameDirective) {
                std::string_view name = trimmed(line.substr(kNameDirective.size()));
                if (!name.empty())
                    contents.name = std::string(name);
            }
            continue;
        }
        if (auto path = pathOfEntry(line, playlistFolder))
            contents.entries.push_back(std::move(*path));
    }
    return contents;
}

}  // namespace plat::detail
