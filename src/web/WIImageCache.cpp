#include "web/WIImageCache.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <mutex>
#include <openssl/evp.h>

#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/ui/Application.h"
#include "web/ImageForceDecode.h"
#include "web/WIImageScale.h"

namespace zt {

namespace {

std::atomic<int64_t> maxCacheAgeSeconds = WIImageCache::kDefaultMaxCacheAgeSeconds;

std::mutex sharedCacheLock;
std::shared_ptr<WIImageCache> sharedCache;  // guarded by sharedCacheLock

// Memory entries weigh their pixel area: points times points times scale.
uint64_t costOfImage(const plat::Image& image)
{
    plat::Size size = image.size();
    return static_cast<uint64_t>(size.width * size.height * image.scale());
}

}  // namespace

struct WIImageCache::QueryRecord {
    std::string key;
    std::shared_ptr<WIImageCacheDelegate> delegate;  // kept until it has its answer
    std::any userInfo;
    std::shared_ptr<plat::Image> image;
};

void WIImageCacheDelegate::imageCacheDidFindImageForKeyUserInfo(
    WIImageCache&, const std::shared_ptr<plat::Image>&, const std::string&, const std::any&)
{
}

void WIImageCacheDelegate::imageCacheDidNotFindImageForKeyUserInfo(
    WIImageCache&, const std::optional<std::string>&, const std::any&)
{
}

std::string cacheFileNameForKey(const std::string& key)
{
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest {};
    unsigned int length = 0;
    EVP_Digest(key.data(), key.size(), digest.data(), &length, EVP_md5(), nullptr);
    std::string name;
    name.reserve(2 * length);
    for (unsigned int i = 0; i < length; ++i) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", digest[i]);
        name += hex;
    }
    return name;
}

std::shared_ptr<WIImageCache> WIImageCache::sharedImageCache()
{
    std::lock_guard lock(sharedCacheLock);
    if (!sharedCache)
        sharedCache = create();
    return sharedCache;
}

std::shared_ptr<WIImageCache> WIImageCache::create()
{
    auto cache = std::make_shared<WIImageCache>(Passkey());
    cache->observeApplication();
    return cache;
}

void WIImageCache::setMaxCacheAge(int64_t seconds)
{
    maxCacheAgeSeconds = seconds;
}

int64_t WIImageCache::maxCacheAge()
{
    return maxCacheAgeSeconds;
}

WIImageCache::WIImageCache(Passkey)
    : _diskCachePath(plat::appendingPathComponent(plat::Sandbox::current()->cachesDirectory(), "ImageCache"))
    , _cacheInQueue(plat::DispatchQueue::create("WIImageCache.cacheInQueue"))
    , _cacheOutQueue(plat::DispatchQueue::create("WIImageCache.cacheOutQueue"))
{
    _memCache.setName("ImageCache");
    if (!plat::fileExists(_diskCachePath)) {
        auto created = plat::createDirectory(_diskCachePath, plat::IntermediateDirectories::Yes);
        if (!created.ok())
            plat::log("image cache: cannot create {}: {}", _diskCachePath, created.error().localizedDescription());
    }
}

WIImageCache::~WIImageCache()
{
    plat::NotificationCenter::defaultCenter().removeObserver(this);
}

void WIImageCache::observeApplication()
{
    auto& center = plat::NotificationCenter::defaultCenter();
    auto clearMemory = [weakSelf = weak_from_this()](const plat::Notification&) {
        if (auto self = weakSelf.lock())
            self->clearMemory();
    };
    center.addObserver(this, plat::ApplicationDidReceiveMemoryWarningNotification, nullptr, clearMemory);
    center.addObserver(
        this, plat::ApplicationWillTerminateNotification, nullptr, [weakSelf = weak_from_this()](const auto&) {
            if (auto self = weakSelf.lock())
                self->cleanDisk();
        });
    // Every device we stand in for multitasks (the platform's devices since iOS 4 do).
    center.addObserver(this, plat::ApplicationDidEnterBackgroundNotification, nullptr, clearMemory);
}

void WIImageCache::rememberImage(const std::shared_ptr<plat::Image>& image, const std::string& key)
{
    _memCache.setObject(image, key, costOfImage(*image));
}

std::string WIImageCache::cachePathForKey(const std::string& key) const
{
    return plat::appendingPathComponent(_diskCachePath, cacheFileNameForKey(key));
}

// --- storing ---

void WIImageCache::storeImage(const std::shared_ptr<plat::Image>& image, const std::optional<plat::Data>& imageData,
    const std::optional<std::string>& key, bool toDisk)
{
    if (!image || !key)
        return;
    rememberImage(image, *key);
    if (!toDisk)
        return;
    _cacheInQueue->async(
        [weakSelf = weak_from_this(), generation = _writeGeneration.load(), key = *key, data = imageData] {
            auto self = weakSelf.lock();
            if (!self || generation != self->_writeGeneration.load())
                return;
            self->storeKeyWithDataToDisk(key, data);
        });
}

void WIImageCache::storeImage(const std::shared_ptr<plat::Image>& image, const std::optional<std::string>& key)
{
    storeImage(image, std::nullopt, key, /*toDisk=*/true);
}

void WIImageCache::storeImage(
    const std::shared_ptr<plat::Image>& image, const std::optional<std::string>& key, bool toDisk)
{
    storeImage(image, std::nullopt, key, toDisk);
}

void WIImageCache::storeKeyWithDataToDisk(const std::string& key, const std::optional<plat::Data>& data)
{
    const std::string path = cachePathForKey(key);
    if (data) {
        auto written = plat::writeFileAtomically(path, *data);
        if (!written.ok())
            plat::log("image cache: cannot write {}: {}", path, written.error().localizedDescription());
        return;
    }
    auto image = imageFromKey(key, /*fromDisk=*/true);
    if (!image)
        return;
    // Encoded straight into the file, which appears only once it is whole.
    auto writer = plat::AtomicFileWriter::create(path);
    if (!writer.ok()) {
        plat::log("image cache: cannot write {}: {}", path, writer.error().localizedDescription());
        return;
    }
    bool appended = plat::writeJPEGRepresentation(
        *image, 1.0, [&](const uint8_t* bytes, size_t length) { return writer.value()->append(bytes, length).ok(); });
    if (!appended) {
        plat::log("image cache: cannot write the JPEG of {}", path);
        return;
    }
    auto committed = writer.value()->commit();
    if (!committed.ok())
        plat::log("image cache: cannot write {}: {}", path, committed.error().localizedDescription());
}

// --- looking up ---

std::shared_ptr<plat::Image> WIImageCache::imageFromKey(const std::optional<std::string>& key)
{
    return imageFromKey(key, /*fromDisk=*/true);
}

std::shared_ptr<plat::Image> WIImageCache::imageFromKey(const std::optional<std::string>& key, bool fromDisk)
{
    if (!key)
        return nullptr;
    if (auto image = _memCache.objectForKey(*key))
        return image;
    if (!fromDisk)
        return nullptr;
    auto data = plat::readFile(cachePathForKey(*key), kMaxFileBytes);
    if (!data.ok())
        return nullptr;
    auto image = scaledImageForKey(*key, data.value());
    if (image)
        rememberImage(image, *key);
    return image;
}

void WIImageCache::queryDiskCacheForKey(
    const std::optional<std::string>& key, const std::shared_ptr<WIImageCacheDelegate>& delegate, std::any userInfo)
{
    if (!delegate)
        return;
    if (!key) {
        delegate->imageCacheDidNotFindImageForKeyUserInfo(*this, std::nullopt, userInfo);
        return;
    }
    if (auto image = _memCache.objectForKey(*key)) {
        delegate->imageCacheDidFindImageForKeyUserInfo(*this, image, *key, userInfo);
        return;
    }
    auto record = std::make_shared<QueryRecord>();
    record->key = *key;
    record->delegate = delegate;
    record->userInfo = std::move(userInfo);
    _cacheOutQueue->async([weakSelf = weak_from_this(), record] {
        if (auto self = weakSelf.lock())
            self->queryDiskCacheOperation(record);
    });
}

void WIImageCache::queryDiskCacheOperation(std::shared_ptr<QueryRecord> record)
{
    // The record is shared with nobody else: filled here, handed over whole.
    auto data = plat::readFile(cachePathForKey(record->key), kMaxFileBytes);
    if (data.ok()) {
        if (auto image = scaledImageForKey(record->key, data.value())) {
            auto decoded = decodedImageWithImage(image);
            record->image = decoded ? decoded : image;
        }
    }
    plat::DispatchQueue::mainQueue().async([weakSelf = weak_from_this(), record = std::move(record)] {
        if (auto self = weakSelf.lock())
            self->notifyDelegate(record);
    });
}

void WIImageCache::notifyDelegate(const std::shared_ptr<QueryRecord>& record)
{
    auto delegate = std::move(record->delegate);
    if (record->image) {
        rememberImage(record->image, record->key);
        delegate->imageCacheDidFindImageForKeyUserInfo(*this, record->image, record->key, record->userInfo);
    } else {
        delegate->imageCacheDidNotFindImageForKeyUserInfo(*this, record->key, record->userInfo);
    }
}

// --- removing and cleaning ---

void WIImageCache::removeImageForKey(const std::optional<std::string>& key)
{
    removeImageForKey(key, /*fromDisk=*/true);
}

void WIImageCache::removeImageForKey(const std::optional<std::string>& key, bool fromDisk)
{
    if (!key)
        return;
    _memCache.removeObjectForKey(*key);
    if (fromDisk)
        (void)plat::removeItem(cachePathForKey(*key));  // a file that is not there is already removed
}

void WIImageCache::clearMemory()
{
    ++_writeGeneration;
    _memCache.removeAllObjects();
}

void WIImageCache::clearDisk()
{
    ++_writeGeneration;
    if (plat::fileExists(_diskCachePath)) {
        auto removed = plat::removeItem(_diskCachePath);
        if (!removed.ok())
            plat::log("image cache: cannot remove {}: {}", _diskCachePath, removed.error().localizedDescription());
    }
    auto created = plat::createDirectory(_diskCachePath, plat::IntermediateDirectories::Yes);
    if (!created.ok())
        plat::log("image cache: cannot create {}: {}", _diskCachePath, created.error().localizedDescription());
}

void WIImageCache::cleanDisk()
{
    const plat::Date expiry = plat::Date::now().addingTimeInterval(-static_cast<double>(maxCacheAge()));
    auto entries = plat::subpathsOfDirectory(_diskCachePath);
    if (!entries.ok())
        return;
    for (const auto& entry : entries.value()) {
        const std::string path = plat::appendingPathComponent(_diskCachePath, entry);
        auto attributes = plat::attributesOfItem(path);
        // An entry gone with its folder a moment ago has no attributes left.
        if (attributes.ok() && attributes.value().modificationDate <= expiry)
            (void)plat::removeItem(path);
    }
}

int64_t WIImageCache::getSize() const
{
    auto entries = plat::subpathsOfDirectory(_diskCachePath);
    if (!entries.ok())
        return 0;
    int64_t size = 0;
    for (const auto& entry : entries.value()) {
        auto attributes = plat::attributesOfItem(plat::appendingPathComponent(_diskCachePath, entry));
        if (attributes.ok())
            size += attributes.value().size;
    }
    return size;
}

int32_t WIImageCache::getDiskCount() const
{
    auto entries = plat::subpathsOfDirectory(_diskCachePath);
    if (!entries.ok())
        return 0;
    return static_cast<int32_t>(std::min<size_t>(entries.value().size(), std::numeric_limits<int32_t>::max()));
}

namespace detail {

void resetSharedImageCache()
{
    std::lock_guard lock(sharedCacheLock);
    sharedCache.reset();
}

}  // namespace detail

}  // namespace zt
