#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"
#include "web/WIImageCache.h"
#include "web/WIWebImageDownloader.h"

namespace plat {
class Image;
}

namespace zt {

class WIWebImageManager;

// Options of one request, a bit set.
using WIWebImageOptions = int32_t;
enum : WIWebImageOptions {
    // Try a URL on the failed list; a download of this request that gives no
    // image does not put its URL there.
    WIOptionRetryFailed = 1,
    // The connection is not scheduled for the run loop's common modes.
    WIOptionLowPriority = 2,
    // The downloaded image goes into memory only.
    WIOptionMemoryOnly = 4,
    // Partial images arrive while the download runs.
    WIOptionProgressive = 8,
};

// A URL as the loading operations take it: a URL, none, or text, which
// counts as none when it is not a URL.
class WIImageURL {
public:
    WIImageURL(std::nullptr_t) { }
    WIImageURL(std::optional<plat::URL> url)
        : _url(std::move(url))
    {
    }
    WIImageURL(const plat::URL& url)
        : _url(url)
    {
    }
    WIImageURL(std::string_view text)
        : _url(plat::URL::URLWithString(text))
    {
    }
    WIImageURL(const std::string& text)
        : WIImageURL(std::string_view(text))
    {
    }
    WIImageURL(const char* text)
        : WIImageURL(std::string_view(text ? text : ""))
    {
    }

    const std::optional<plat::URL>& url() const { return _url; }

private:
    std::optional<plat::URL> _url;
};

// What a request's asker hears, on the main queue. All optional. The user
// info is the request's own, null when none was given. Failures come with
// the download's error: the server's status (kURLErrorDomain, the status as
// the code) or the connection's error; bytes that are not a picture and a
// URL that cannot be loaded at all fail without one.
class WIWebImageManagerDelegate {
public:
    virtual ~WIWebImageManagerDelegate() = default;
    virtual void webImageManagerDidFinishWithImage(
        WIWebImageManager& manager, const std::shared_ptr<plat::Image>& image);
    virtual void webImageManagerDidFinishWithImageForURL(
        WIWebImageManager& manager, const std::shared_ptr<plat::Image>& image, const plat::URL& url);
    virtual void webImageManagerDidFinishWithImageForURLUserInfo(WIWebImageManager& manager,
        const std::shared_ptr<plat::Image>& image, const plat::URL& url, const plat::Value& userInfo);
    virtual void webImageManagerDidFailWithError(WIWebImageManager& manager, const std::optional<plat::Error>& error);
    virtual void webImageManagerDidFailWithErrorForURL(
        WIWebImageManager& manager, const std::optional<plat::Error>& error, const plat::URL& url);
    virtual void webImageManagerDidFailWithErrorForURLUserInfo(WIWebImageManager& manager,
        const std::optional<plat::Error>& error, const plat::URL& url, const plat::Value& userInfo);
    virtual void webImageManagerDidProgressWithPartialImageForURL(
        WIWebImageManager& manager, const std::shared_ptr<plat::Image>& image, const plat::URL& url);
    virtual void webImageManagerDidProgressWithPartialImageForURLUserInfo(WIWebImageManager& manager,
        const std::shared_ptr<plat::Image>& image, const plat::URL& url, const plat::Value& userInfo);
};

// Loads web images for its askers: the shared cache first, then one download
// per URL however many askers wait for it; downloaded images are decoded off
// the main thread and kept in the cache. URLs whose bytes were no picture
// are not tried again in this run unless a request says so. Delegates are
// kept until their requests are answered or cancelled; a cancelled request
// hears nothing. Main queue only.
class WIWebImageManager : public WIImageCacheDelegate,
                          public WIWebImageDownloaderDelegate,
                          public std::enable_shared_from_this<WIWebImageManager> {
public:
    // (image, cached): cached says whether the image came from the cache.
    using SuccessBlock = std::function<void(const std::shared_ptr<plat::Image>& image, bool cached)>;
    using FailureBlock = std::function<void(const std::optional<plat::Error>& error)>;
    using CacheKeyFilter = std::function<std::string(const plat::URL& url)>;

    // One request: what its answer needs.
    struct Request {
        std::shared_ptr<WIWebImageManagerDelegate> delegate;
        plat::URL url;
        WIWebImageOptions options = 0;
        plat::Value userInfo;  // null when none was given
        SuccessBlock success;
        FailureBlock failure;
    };

    static std::shared_ptr<WIWebImageManager> sharedManager();
    WIWebImageManager() = default;
    WIWebImageManager(const WIWebImageManager&) = delete;
    WIWebImageManager& operator=(const WIWebImageManager&) = delete;

    // Nothing happens without a URL and a delegate, nor for a URL on the
    // failed list unless the options say WIOptionRetryFailed.
    void downloadWithURL(const WIImageURL& url, const std::shared_ptr<WIWebImageManagerDelegate>& delegate);
    void downloadWithURLDelegateRetryFailed(
        const WIImageURL& url, const std::shared_ptr<WIWebImageManagerDelegate>& delegate, bool retryFailed);
    void downloadWithURLDelegateRetryFailedLowPriority(const WIImageURL& url,
        const std::shared_ptr<WIWebImageManagerDelegate>& delegate, bool retryFailed, bool lowPriority);
    void downloadWithURL(
        const WIImageURL& url, const std::shared_ptr<WIWebImageManagerDelegate>& delegate, WIWebImageOptions options);
    void downloadWithURL(const WIImageURL& url, const std::shared_ptr<WIWebImageManagerDelegate>& delegate,
        WIWebImageOptions options, plat::Value userInfo);
    void downloadWithURL(const WIImageURL& url, const std::shared_ptr<WIWebImageManagerDelegate>& delegate,
        WIWebImageOptions options, SuccessBlock success, FailureBlock failure);
    void downloadWithURL(const WIImageURL& url, const std::shared_ptr<WIWebImageManagerDelegate>& delegate,
        WIWebImageOptions options, plat::Value userInfo, SuccessBlock success, FailureBlock failure);

    // Forgets every request of this very delegate; a download that no other
    // request waits for is cancelled.
    void cancelForDelegate(const std::shared_ptr<WIWebImageManagerDelegate>& delegate);
    // Cancels every download and forgets every request; the failed list stays.
    void cancelAll();

    // Memory, then disk, on this thread.
    std::shared_ptr<plat::Image> imageWithURL(const plat::URL& url);
    // The filter's key, or the URL's text.
    std::string cacheKeyForURL(const plat::URL& url) const;
    CacheKeyFilter cacheKeyFilter() const;
    void setCacheKeyFilter(CacheKeyFilter filter);

    // As the shared cache's delegate.
    void imageCacheDidFindImageForKeyUserInfo(WIImageCache& cache, const std::shared_ptr<plat::Image>& image,
        const std::string& key, const std::any& userInfo) override;
    void imageCacheDidNotFindImageForKeyUserInfo(
        WIImageCache& cache, const std::optional<std::string>& key, const std::any& userInfo) override;
    // As its downloads' delegate.
    bool imageDownloaderDidUpdatePartialImage(
        WIWebImageDownloader& downloader, const std::shared_ptr<plat::Image>& image) override;
    void imageDownloaderDidFinishWithImage(
        WIWebImageDownloader& downloader, const std::shared_ptr<plat::Image>& image) override;
    void imageDownloaderDidFailWithError(
        WIWebImageDownloader& downloader, const std::optional<plat::Error>& error) override;

private:
    using RequestPtr = std::shared_ptr<const Request>;

    int64_t indexOfDelegate(const WIWebImageManagerDelegate* delegate, const plat::URL& url) const;
    // Takes the requests waiting for the download out of the download lists,
    // the last one first, and lets the URL go to a new download.
    std::vector<RequestPtr> takeRequestsOfDownloader(WIWebImageDownloader& downloader);
    void forgetDownloader(WIWebImageDownloader& downloader);
    void answerFailure(const std::vector<RequestPtr>& requests, const std::optional<plat::Error>& error);
    void removeDownloadEntry(size_t index);

    // Parallel lists: one entry per request waiting for a download.
    std::vector<RequestPtr> downloadInfo;
    std::vector<std::shared_ptr<WIWebImageManagerDelegate>> downloadDelegates;
    std::vector<std::shared_ptr<WIWebImageDownloader>> downloaders;
    // Parallel lists: one entry per request waiting for the cache.
    std::vector<std::shared_ptr<WIWebImageManagerDelegate>> cacheDelegates;
    std::vector<plat::URL> cacheURLs;
    // At most one running download per URL (by its text).
    std::map<std::string, std::shared_ptr<WIWebImageDownloader>> downloaderForURL;
    // URLs whose bytes gave no picture, for the whole run.
    std::set<std::string> failedURLs;

    mutable std::mutex _cacheKeyFilterLock;
    CacheKeyFilter _cacheKeyFilter;  // guarded by _cacheKeyFilterLock
};

namespace detail {
// Forgets the shared manager (cancelling what it runs), so that the next use
// makes a fresh one. Only tests call this.
void resetSharedWebImageManager();
}  // namespace detail

}  // namespace zt
