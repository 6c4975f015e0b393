#pragma once
#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "platform/foundation/Date.h"

namespace plat {
class Timer;
namespace detail {
struct MediaLibraryIndex;
}

// Posted (object: the library) on the main queue when the library's songs or
// playlists changed, while it generates change notifications.
inline constexpr const char* kMediaLibraryDidChangeNotification = "MPMediaLibraryDidChangeNotification";

// The device's music library: the sound files of a folder, by default
// "MusicLibrary" in the device folder. A person running the app on a desktop
// may name another folder (their own music, say) under "Folder" in
// "MusicLibrary/MusicLibrary.plist" of the device folder: an absolute path,
// or one relative to the device folder. Songs and their tags are read
// through FFmpeg when the library is first asked (media queries ask it),
// and M3U files in the folder are its playlists. While change notifications
// are generated, the folder is looked at again every kChangeCheckSeconds on
// the run-loop clock, off the main thread, and a change posts
// kMediaLibraryDidChangeNotification. Any thread, except where noted.
class MediaLibrary : public std::enable_shared_from_this<MediaLibrary> {
public:
    static constexpr const char* kFolderName = "MusicLibrary";
    static constexpr const char* kSettingsFileName = "MusicLibrary.plist";
    static constexpr const char* kFolderKey = "Folder";
    static constexpr double kChangeCheckSeconds = 1.0;

    // The library of the current device folder (a new one when the device folder changes).
    static std::shared_ptr<MediaLibrary> defaultMediaLibrary();
    // The library of the device folder at deviceRoot.
    explicit MediaLibrary(std::string deviceRoot);
    ~MediaLibrary();
    MediaLibrary(const MediaLibrary&) = delete;
    MediaLibrary& operator=(const MediaLibrary&) = delete;

    const std::string& deviceRoot() const { return _deviceRoot; }
    // The folder the songs are read from, as the settings say now.
    std::string folder() const;
    // When the songs or playlists last changed (the first reading counts).
    Date lastModifiedDate();

    // Main thread; each begin wants its end.
    void beginGeneratingLibraryChangeNotifications();
    void endGeneratingLibraryChangeNotifications();

    // The current reading, read first when there is none.
    std::shared_ptr<const detail::MediaLibraryIndex> index();
    // Reads the folder again now (only the files that changed are opened);
    // true when something changed. Posts the notification (on the main
    // queue) when it did and notifications are generated.
    bool checkForChanges();

private:
    void scheduleChecks();
    void checkInBackground();

    const std::string _deviceRoot;
    std::mutex _readLock;  // one reading at a time
    mutable std::mutex _lock;
    std::shared_ptr<const detail::MediaLibraryIndex> _index;  // guarded by _lock
    std::atomic<int> _notificationClients {0};
    std::atomic<bool> _checking {false};
    std::shared_ptr<Timer> _checkTimer;  // main thread
};

}  // namespace plat
