#pragma once
#include <any>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Cache.h"
#include "platform/foundation/Value.h"

namespace plat {
class DispatchQueue;
class Image;
}  // namespace plat

namespace zt {

class WIImageCache;

// What an asynchronous look-up answers. Both operations are optional; the
// user info is the asker's own object, empty when none was given.
class WIImageCacheDelegate {
public:
    virtual ~WIImageCacheDelegate() = default;
    virtual void imageCacheDidFindImageForKeyUserInfo(WIImageCache& cache, const std::shared_ptr<plat::Image>& image,
        const std::string& key, const std::any& userInfo);
    // The key is empty when the look-up was asked without one.
    virtual void imageCacheDidNotFindImageForKeyUserInfo(
        WIImageCache& cache, const std::optional<std::string>& key, const std::any& userInfo);
};

// Web images by key (as a rule a URL's text): decoded images in memory,
// weighed by pixel area, and the downloaded bytes on disk in
// Caches/"ImageCache", one file per key named by the MD5 of the key, written
// whole or not at all. Disk writes run one after another on cacheInQueue,
// asynchronous reads on cacheOutQueue; the synchronous operations do their
// file work on the caller's thread. Answers to asynchronous look-ups come on
// the main queue. Any thread.
class WIImageCache : public std::enable_shared_from_this<WIImageCache> {
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    static constexpr int64_t kDefaultMaxCacheAgeSeconds = 604800;  // 7 days
    // Cache files are read back whole; a larger one counts as a miss.
    static constexpr int64_t kMaxFileBytes = int64_t(32) * 1024 * 1024;

    // The one cache of the app, made on first use over the current sandbox.
    static std::shared_ptr<WIImageCache> sharedImageCache();
    // A cache of its own over the current sandbox's Caches folder, which
    // creates its folder and observes the application's memory, background
    // and termination notifications.
    static std::shared_ptr<WIImageCache> create();
    // For every cache.
    static void setMaxCacheAge(int64_t seconds);
    static int64_t maxCacheAge();

    explicit WIImageCache(Passkey);
    ~WIImageCache();
    WIImageCache(const WIImageCache&) = delete;
    WIImageCache& operator=(const WIImageCache&) = delete;

    // Nothing unless both image and key are given. The image goes into memory
    // at once; with toDisk the bytes (or, without bytes, a JPEG of the image
    // at quality 1.0) are written on cacheInQueue.
    void storeImage(const std::shared_ptr<plat::Image>& image, const std::optional<plat::Data>& imageData,
        const std::optional<std::string>& key, bool toDisk);
    void storeImage(const std::shared_ptr<plat::Image>& image, const std::optional<std::string>& key);
    void storeImage(const std::shared_ptr<plat::Image>& image, const std::optional<std::string>& key, bool toDisk);

    // Memory first, then (with fromDisk) the key's file, read on this thread.
    std::shared_ptr<plat::Image> imageFromKey(const std::optional<std::string>& key);
    std::shared_ptr<plat::Image> imageFromKey(const std::optional<std::string>& key, bool fromDisk);
    // Answers a memory hit or a missing key at once on this thread, anything
    // else after a read on cacheOutQueue, on the main queue. The delegate is
    // kept until it has its answer; without one nothing happens.
    void queryDiskCacheForKey(const std::optional<std::string>& key,
        const std::shared_ptr<WIImageCacheDelegate>& delegate, std::any userInfo);

    void removeImageForKey(const std::optional<std::string>& key);
    void removeImageForKey(const std::optional<std::string>& key, bool fromDisk);
    // Drops the disk writes that have not started yet, then every image in memory.
    void clearMemory();
    // Drops the waiting disk writes and every file.
    void clearDisk();
    // Deletes the files last changed at or before now minus the maximum age.
    void cleanDisk();
    // Bytes of everything below the folder.
    int64_t getSize() const;
    int32_t getDiskCount() const;

    std::string cachePathForKey(const std::string& key) const;
    const std::string& diskCachePath() const { return _diskCachePath; }
    // For tests that wait for the disk work: sync() on them returns once
    // everything queued before has run.
    const std::shared_ptr<plat::DispatchQueue>& cacheInQueue() const { return _cacheInQueue; }
    const std::shared_ptr<plat::DispatchQueue>& cacheOutQueue() const { return _cacheOutQueue; }

private:
    struct QueryRecord;
    void observeApplication();
    void storeKeyWithDataToDisk(const std::string& key, const std::optional<plat::Data>& data);
    void queryDiskCacheOperation(std::shared_ptr<QueryRecord> record);
    void notifyDelegate(const std::shared_ptr<QueryRecord>& record);
    void rememberImage(const std::shared_ptr<plat::Image>& image, const std::string& key);

    plat::Cache<std::string, plat::Image> _memCache;
    std::string _diskCachePath;
    std::shared_ptr<plat::DispatchQueue> _cacheInQueue;
    std::shared_ptr<plat::DispatchQueue> _cacheOutQueue;
    // Disk writes queued under an older generation are dropped when they come up.
    std::atomic<uint64_t> _writeGeneration = 0;
};

// The MD5 of the key's UTF-8 bytes as 32 lower-case hexadecimal digits.
std::string cacheFileNameForKey(const std::string& key);

namespace detail {
// Forgets the shared cache, so that the next use makes one over the current
// sandbox. Only tests call this.
void resetSharedImageCache();
}  // namespace detail

}  // namespace zt
