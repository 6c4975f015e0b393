#include "platform/library/MediaLibraryIndex.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <filesystem>
#include <set>
#include <string_view>
#include <sys/stat.h>
#include <thread>

#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/library/MediaFileTags.h"
#include "platform/library/MediaItem.h"
#include "platform/library/MediaPlaylist.h"
#include "platform/library/MediaPlaylistFile.h"

namespace plat::detail {

namespace {

// The sound files a person's music folder holds, by extension.
constexpr std::array<std::string_view, 17> kSoundExtensions {"aac", "aif", "aifc", "aiff", "caf", "flac", "m4a", "m4b",
    "m4p", "mka", "mp2", "mp3", "oga", "ogg", "opus", "wav", "w64"};
constexpr std::array<std::string_view, 2> kPlaylistExtensions {"m3u", "m3u8"};
// A playlist larger than this is no playlist.
constexpr int64_t kLargestPlaylistBytes = 4 * 1024 * 1024;
// Reading threads for a large library, and the size from which they help.
constexpr size_t kMostReadingThreads = 4;
constexpr size_t kFewestFilesForThreads = 64;
constexpr uint64_t kFNVOffsetBasis = 14695981039346656037ull;
constexpr uint64_t kFNVPrime = 1099511628211ull;

std::string loweredExtension(const std::string& name)
{
    std::string extension = pathExtension(name);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return extension;
}

template <size_t N> bool isOneOf(const std::string& extension, const std::array<std::string_view, N>& list)
{
    return std::find(list.begin(), list.end(), extension) != list.end();
}

std::optional<MediaFileStamp> stampOf(const std::string& path)
{
    struct stat status;
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return MediaFileStamp {static_cast<int64_t>(status.st_size),
        static_cast<int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

struct FolderListing {
    std::map<std::string, MediaFileStamp> soundFiles;
    std::map<std::string, MediaFileStamp> playlistFiles;
};

FolderListing listFolder(const std::string& folder)
{
    FolderListing listing;
    std::error_code error;
    std::filesystem::recursive_directory_iterator walk(
        folder, std::filesystem::directory_options::skip_permission_denied, error);
    if (error) {
        if (error != std::errc::no_such_file_or_directory)
            log("music library: cannot read the folder {}: {}", folder, error.message());
        return listing;
    }
    for (auto end = std::filesystem::recursive_directory_iterator(); walk != end; walk.increment(error)) {
        if (error) {
            log("music library: stopped reading {}: {}", folder, error.message());
            break;
        }
        std::string name = walk->path().filename().string();
        if (name.empty() || name.front() == '.') {
            if (walk->is_directory(error))
                walk.disable_recursion_pending();
            continue;
        }
        std::string extension = loweredExtension(name);
        bool sound = isOneOf(extension, kSoundExtensions);
        if (!sound && !isOneOf(extension, kPlaylistExtensions))
            continue;
        std::string path = walk->path().string();
        auto stamp = stampOf(path);
        if (!stamp)
            continue;
        (sound ? listing.soundFiles : listing.playlistFiles)[path] = *stamp;
    }
    return listing;
}

std::string relativePath(const std::string& path, const std::string& folder)
{
    if (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/')
        return path.substr(folder.size() + 1);
    return path;
}

char foldedAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool lessIgnoringCase(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return foldedAscii(x) < foldedAscii(y); });
}

std::shared_ptr<const MediaPlaylist> readPlaylist(const std::string& path, const std::string& folder,
    const std::map<std::string, std::shared_ptr<const MediaItem>>& itemsByPath)
{
    auto bytes = readFile(path, kLargestPlaylistBytes);
    if (!bytes.ok()) {
        log("music library: left out the playlist {}: {}", path, bytes.error().localizedDescription());
        return nullptr;
    }
    std::string_view text(reinterpret_cast<const char*>(bytes.value().data()), bytes.value().size());
    PlaylistFileContents contents = parsePlaylistFile(text, deletingLastPathComponent(path));
    std::vector<std::shared_ptr<const MediaItem>> items;
    for (const auto& entry : contents.entries) {
        auto found = itemsByPath.find(entry);
        if (found == itemsByPath.end()) {
            // Only songs of the library are listed: an entry elsewhere is never opened.
            log("music library: the playlist {} lists {}, which is no song of the library", path, entry);
            continue;
        }
        items.push_back(found->second);
    }
    std::string name = contents.name.value_or(deletingPathExtension(lastPathComponent(path)));
    return std::make_shared<MediaPlaylist>(
        persistentIdentifierOf("playlist:" + relativePath(path, folder)), std::move(name), std::move(items));
}

// The songs of the files, in their order (nullptr for a file left out).
// Files are opened on a few threads at once: a large library's first
// reading waits on the disk and on FFmpeg's header parsing, file by file.
std::vector<std::shared_ptr<const MediaItem>> readSongs(
    const std::vector<std::string>& paths, const std::string& folder, size_t readingThreads)
{
    std::vector<std::shared_ptr<const MediaItem>> songs(paths.size());
    auto readOne = [&](size_t i) {
        auto tags = readMediaFileTags(paths[i]);
        if (!tags.ok()) {
            log("music library: left out {}: {}", paths[i], tags.error().localizedDescription());
            return;
        }
        songs[i] = std::make_shared<MediaItem>(
            persistentIdentifierOf(relativePath(paths[i], folder)), paths[i], std::move(tags.value()));
    };
    size_t threads = readingThreads > 0
        ? readingThreads
        : std::min<size_t>(kMostReadingThreads, std::max(1u, std::thread::hardware_concurrency()));
    if (paths.size() < kFewestFilesForThreads || threads < 2) {
        for (size_t i = 0; i < paths.size(); ++i)
            readOne(i);
        return songs;
    }
    std::atomic<size_t> next {0};
    auto work = [&] {
        for (size_t i = next++; i < paths.size(); i = next++)
            readOne(i);
    };
    {
        std::vector<std::jthread> helpers;
        for (size_t t = 1; t < threads; ++t)
            helpers.emplace_back(work);
        work();
    }  // the helpers are joined here
    return songs;
}

}  // namespace

uint64_t persistentIdentifierOf(const std::string& text)
{
    uint64_t hash = kFNVOffsetBasis;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= kFNVPrime;
    }
    return hash;
}

std::shared_ptr<const MediaLibraryIndex> readMediaLibraryIndex(
    const std::string& folder, const std::shared_ptr<const MediaLibraryIndex>& previous, size_t readingThreads)
{
    FolderListing listing = listFolder(folder);
    bool samePlace = previous && previous->folder == folder;
    if (samePlace && previous->soundFiles == listing.soundFiles && previous->playlistFiles == listing.playlistFiles)
        return previous;
    auto index = std::make_shared<MediaLibraryIndex>();
    index->folder = folder;
    index->readAt = Date::now();
    std::vector<std::string> toOpen;
    for (const auto& [path, stamp] : listing.soundFiles) {
        if (samePlace) {
            auto before = previous->soundFiles.find(path);
            if (before != previous->soundFiles.end() && before->second == stamp) {
                // Unchanged: the song as it was, or still left out (and not logged again).
                auto item = previous->itemsByPath.find(path);
                if (item != previous->itemsByPath.end())
                    index->itemsByPath.emplace(path, item->second);
                continue;
            }
        }
        toOpen.push_back(path);
    }
    for (auto& item : readSongs(toOpen, folder, readingThreads))
        if (item)
            index->itemsByPath.emplace(item->path(), std::move(item));
    index->soundFiles = std::move(listing.soundFiles);
    index->playlistFiles = std::move(listing.playlistFiles);
    index->items.reserve(index->itemsByPath.size());
    for (const auto& entry : index->itemsByPath)
        index->items.push_back(entry.second);
    for (const auto& entry : index->playlistFiles) {
        if (auto playlist = readPlaylist(entry.first, folder, index->itemsByPath))
            index->playlists.push_back(std::move(playlist));
    }
    std::stable_sort(index->playlists.begin(), index->playlists.end(),
        [](const auto& a, const auto& b) { return lessIgnoringCase(a->name(), b->name()); });
    return index;
}

}  // namespace plat::detail
