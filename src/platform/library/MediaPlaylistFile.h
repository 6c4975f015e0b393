#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plat::detail {

// What an M3U playlist file says: its name when it names itself
// ("#PLAYLIST:"), and the files it lists in order, as absolute paths made
// plain ("." and ".." resolved) from paths relative to the playlist's
// folder, absolute paths and "file://" URLs. Comments, blank lines and
// addresses of other kinds are left out. Outside input: any text is read
// without fault. Any thread.
struct PlaylistFileContents {
    std::optional<std::string> name;
    std::vector<std::string> entries;
};

PlaylistFileContents parsePlaylistFile(std::string_view text, const std::string& playlistFolder);

}  // namespace plat::detail
