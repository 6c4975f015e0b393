#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Date.h"

namespace plat {
class MediaItem;
class MediaPlaylist;
}  // namespace plat

namespace plat::detail {

// A file as it was when the library read it.
struct MediaFileStamp {
    int64_t size = 0;
    int64_t modifiedNanoseconds = 0;
    friend bool operator==(const MediaFileStamp&, const MediaFileStamp&) = default;
};

// One reading of the library folder: its songs (in path order) and its
// playlists (by name), with what each file looked like, so that the next
// reading opens only the files that changed. Any thread (immutable).
struct MediaLibraryIndex {
    std::string folder;
    Date readAt;
    std::vector<std::shared_ptr<const MediaItem>> items;
    std::vector<std::shared_ptr<const MediaPlaylist>> playlists;
    // Every sound file looked at, songs and files left out alike.
    std::map<std::string, MediaFileStamp> soundFiles;
    std::map<std::string, std::shared_ptr<const MediaItem>> itemsByPath;
    std::map<std::string, MediaFileStamp> playlistFiles;
};

// Reads the folder (and its subfolders; names beginning with a full stop
// are skipped). Sound files are known by their extension; those FFmpeg
// cannot read are left out with a log line. Files unchanged since previous
// are taken from it without being opened. Returns previous itself when no
// file changed. Any thread.
// Files are opened on readingThreads threads, 0 for as many as suit the
// machine (at most four).
std::shared_ptr<const MediaLibraryIndex> readMediaLibraryIndex(
    const std::string& folder, const std::shared_ptr<const MediaLibraryIndex>& previous, size_t readingThreads = 0);

// The 64-bit FNV-1a hash of the text: persistent identifiers that stay the
// same from one reading (and one run) to the next.
uint64_t persistentIdentifierOf(const std::string& text);

}  // namespace plat::detail
