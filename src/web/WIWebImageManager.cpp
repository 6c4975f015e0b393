#include "web/WIWebImageManager.h"

#include <algorithm>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"

namespace zt {

namespace {

std::shared_ptr<WIWebImageManager>& sharedManagerSlot()
{
    static std::shared_ptr<WIWebImageManager> manager;
    return manager;
}

}  // namespace

void WIWebImageManagerDelegate::webImageManagerDidFinishWithImage(
    WIWebImageManager&, const std::shared_ptr<plat::Image>&)
{
}

void WIWebImageManagerDelegate::webImageManagerDidFinishWithImageForURL(
    WIWebImageManager&, const std::shared_ptr<plat::Image>&, const plat::URL&)
{
}

void WIWebImageManagerDelegate::webImageManagerDidFinishWithImageForURLUserInfo(
    WIWebImageManager&, const std::shared_ptr<plat::Image>&, const plat::URL&, const plat::Value&)
{
}

void WIWebImageManagerDelegate::webImageManagerDidFailWithError(WIWebImageManager&, const std::optional<plat::Error>&)
{
}

void WIWebImageManagerDelegate::webImageManagerDidFailWithErrorForURL(
    WIWebImageManager&, const std::optional<plat::Error>&, const plat::URL&)
{
}

void WIWebImageManagerDelegate::webImageManagerDidFailWithErrorForURLUserInfo(
    WIWebImageManager&, const std::optional<plat::Error>&, const plat::URL&, const plat::Value&)
{
}

void WIWebImageManagerDelegate::webImageManagerDidProgressWithPartialImageForURL(
    WIWebImageManager&, const std::shared_ptr<plat::Image>&, const plat::URL&)
{
}

void WIWebImageManagerDelegate::webImageManagerDidProgressWithPartialImageForURLUserInfo(
    WIWebImageManager&, const std::shared_ptr<plat::Image>&, const plat::URL&, const plat::Value&)
{
}

std::shared_ptr<WIWebImageManager> WIWebImageManager::sharedManager()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto& manager = sharedManagerSlot();
    if (!manager)
        manager = std::make_shared<WIWebImageManager>();
    return manager;
}

// --- requests ---

void WIWebImageManager::downloadWithURL(
    const WIImageURL& url, const std::shared_ptr<WIWebImageManagerDelegate>& delegate)
{
    downloadWithURL(url, delegate, 0, plat::Value(), nullptr, nullptr);
}

void WIWebImageManager::downloadWithURLDelegateRetryFailed(
    const WIImageURL& url, const std::shared_ptr<WIWebImageManagerDelegate>& delegate, bool retryFailed)
{
    downloadWithURL(url, delegate, retryFailed ? WIOptionRetryFailed : 0, plat::Value(), nullptr, nullptr);
}

void WIWebImageManager::downloadWithURLDelegateRetryFailedLowPriority(const WIImageURL& url,
    const std::shared_ptr<WIWebImageManagerDelegate>& delegate, bool retryFailed, bool lowPriority)
{
    WIWebImageOptions options = retryFailed ? WIOptionRetryFailed : 0;
    if (lowPriority)
        options |= WIOptionLowPriority;
    downloadWithURL(url, delegate, options, plat::Value(), nullptr, nullptr);
}

void WIWebImageManager::downloadWithURL(
    const WIImageURL& url, const std::shared_ptr<WIWebImageManagerDelegate>& delegate, WIWebImageOptions options)
{
    downloadWithURL(url, delegate, options, plat::Value(), nullptr, nullptr);
}

void WIWebImageManager::downloadWithURL(const WIImageURL& url,
    const std::shared_ptr<WIWebImageManagerDelegate>& delegate, WIWebImageOptions options, plat::Value userInfo)
{
    downloadWithURL(url, delegate, options, std::move(userInfo), nullptr, nullptr);
}

void WIWebImageManager::downloadWithURL(const WIImageURL& url,
    const std::shared_ptr<WIWebImageManagerDelegate>& delegate, WIWebImageOptions options, SuccessBlock success,
    FailureBlock failure)
{
    downloadWithURL(url, delegate, options, plat::Value(), std::move(success), std::move(failure));
}

void WIWebImageManager::downloadWithURL(const WIImageURL& url,
    const std::shared_ptr<WIWebImageManagerDelegate>& delegate, WIWebImageOptions options, plat::Value userInfo,
    SuccessBlock success, FailureBlock failure)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!url.url() || !delegate)
        return;
    if (!(options & WIOptionRetryFailed) && failedURLs.contains(url.url()->absoluteString()))
        return;
    cacheDelegates.push_back(delegate);
    cacheURLs.push_back(*url.url());
    auto request = std::make_shared<const Request>(
        Request {delegate, *url.url(), options, std::move(userInfo), std::move(success), std::move(failure)});
    WIImageCache::sharedImageCache()->queryDiskCacheForKey(
        cacheKeyForURL(*url.url()), shared_from_this(), std::make_any<RequestPtr>(std::move(request)));
}

int64_t WIWebImageManager::indexOfDelegate(const WIWebImageManagerDelegate* delegate, const plat::URL& url) const
{
    for (size_t i = 0; i < cacheDelegates.size(); ++i) {
        if (cacheDelegates[i].get() == delegate && cacheURLs[i] == url)
            return static_cast<int64_t>(i);
    }
    return plat::kNotFound;
}

// --- answers of the cache ---

void WIWebImageManager::imageCacheDidFindImageForKeyUserInfo(
    WIImageCache&, const std::shared_ptr<plat::Image>& image, const std::string&, const std::any& userInfo)
{
    const auto* request = std::any_cast<RequestPtr>(&userInfo);
    if (!request)
        return;
    int64_t index = indexOfDelegate((*request)->delegate.get(), (*request)->url);
    if (index == plat::kNotFound)
        return;  // cancelled meanwhile
    // The entry goes before the delegate hears anything: what it does in its
    // answer (a new request, a cancel) finds the lists as they now are.
    cacheDelegates.erase(cacheDelegates.begin() + index);
    cacheURLs.erase(cacheURLs.begin() + index);
    auto self = shared_from_this();
    const Request& r = **request;
    r.delegate->webImageManagerDidFinishWithImage(*this, image);
    r.delegate->webImageManagerDidFinishWithImageForURL(*this, image, r.url);
    r.delegate->webImageManagerDidFinishWithImageForURLUserInfo(*this, image, r.url, r.userInfo);
    if (r.success)
        r.success(image, /*cached=*/true);
}

void WIWebImageManager::imageCacheDidNotFindImageForKeyUserInfo(
    WIImageCache&, const std::optional<std::string>&, const std::any& userInfo)
{
    const auto* found = std::any_cast<RequestPtr>(&userInfo);
    if (!found)
        return;
    RequestPtr request = *found;
    int64_t index = indexOfDelegate(request->delegate.get(), request->url);
    if (index == plat::kNotFound)
        return;
    cacheDelegates.erase(cacheDelegates.begin() + index);
    cacheURLs.erase(cacheURLs.begin() + index);

    const bool lowPriority = (request->options & WIOptionLowPriority) != 0;
    auto& downloader = downloaderForURL[request->url.absoluteString()];
    if (!downloader) {
        downloader = WIWebImageDownloader::downloaderWithURL(
            request->url, weak_from_this(), std::make_any<RequestPtr>(request), lowPriority);
    } else {
        downloader->setLowPriority(lowPriority);
    }
    if ((request->options & WIOptionProgressive) && !downloader->progressive())
        downloader->setProgressive(true);
    downloadInfo.push_back(request);
    downloadDelegates.push_back(request->delegate);
    downloaders.push_back(downloader);
}

// --- answers of downloads ---

void WIWebImageManager::removeDownloadEntry(size_t index)
{
    downloadInfo.erase(downloadInfo.begin() + static_cast<ptrdiff_t>(index));
    downloadDelegates.erase(downloadDelegates.begin() + static_cast<ptrdiff_t>(index));
    downloaders.erase(downloaders.begin() + static_cast<ptrdiff_t>(index));
}

std::vector<WIWebImageManager::RequestPtr> WIWebImageManager::takeRequestsOfDownloader(WIWebImageDownloader& downloader)
{
    std::vector<RequestPtr> requests;
    for (size_t i = downloaders.size(); i-- > 0;) {
        if (downloaders[i].get() != &downloader)
            continue;
        requests.push_back(downloadInfo[i]);
        removeDownloadEntry(i);
    }
    forgetDownloader(downloader);
    return requests;
}

void WIWebImageManager::forgetDownloader(WIWebImageDownloader& downloader)
{
    // Only this download: a later one for the same URL may have taken its place.
    auto entry = downloaderForURL.find(downloader.url().absoluteString());
    if (entry != downloaderForURL.end() && entry->second.get() == &downloader)
        downloaderForURL.erase(entry);
}

bool WIWebImageManager::imageDownloaderDidUpdatePartialImage(
    WIWebImageDownloader& downloader, const std::shared_ptr<plat::Image>& image)
{
    std::vector<RequestPtr> requests;
    for (size_t i = downloaders.size(); i-- > 0;) {
        if (downloaders[i].get() == &downloader)
            requests.push_back(downloadInfo[i]);
    }
    auto self = shared_from_this();
    for (const auto& r : requests) {
        r->delegate->webImageManagerDidProgressWithPartialImageForURL(*this, image, downloader.url());
        r->delegate->webImageManagerDidProgressWithPartialImageForURLUserInfo(
            *this, image, downloader.url(), r->userInfo);
    }
    return true;
}

void WIWebImageManager::imageDownloaderDidFinishWithImage(
    WIWebImageDownloader& downloader, const std::shared_ptr<plat::Image>& image)
{
    auto self = shared_from_this();
    auto pinned = downloader.shared_from_this();
    const auto* creator = std::any_cast<RequestPtr>(&downloader.userInfo());
    const WIWebImageOptions options = creator ? (*creator)->options : 0;
    // The lists and the cache are brought up to date before anyone hears of
    // the outcome, so that a request made from an answer finds the image in
    // memory or starts a download of its own.
    auto requests = takeRequestsOfDownloader(downloader);
    if (image) {
        WIImageCache::sharedImageCache()->storeImage(image, downloader.imageData(), cacheKeyForURL(downloader.url()),
            /*toDisk=*/!(options & WIOptionMemoryOnly));
        for (const auto& r : requests) {
            r->delegate->webImageManagerDidFinishWithImage(*this, image);
            r->delegate->webImageManagerDidFinishWithImageForURL(*this, image, r->url);
            r->delegate->webImageManagerDidFinishWithImageForURLUserInfo(*this, image, r->url, r->userInfo);
            if (r->success)
                r->success(image, /*cached=*/false);
        }
        return;
    }
    if (!(options & WIOptionRetryFailed))
        failedURLs.insert(downloader.url().absoluteString());
    // The askers hear of it with no error, as of any download that brought
    // no picture; the reason goes to the console.
    plat::log("web image: {}", downloader.undecodedImageError().localizedDescription());
    answerFailure(requests, std::nullopt);
}

void WIWebImageManager::imageDownloaderDidFailWithError(
    WIWebImageDownloader& downloader, const std::optional<plat::Error>& error)
{
    auto self = shared_from_this();
    auto pinned = downloader.shared_from_this();
    answerFailure(takeRequestsOfDownloader(downloader), error);
}

void WIWebImageManager::answerFailure(const std::vector<RequestPtr>& requests, const std::optional<plat::Error>& error)
{
    for (const auto& r : requests) {
        r->delegate->webImageManagerDidFailWithError(*this, error);
        r->delegate->webImageManagerDidFailWithErrorForURL(*this, error, r->url);
        r->delegate->webImageManagerDidFailWithErrorForURLUserInfo(*this, error, r->url, r->userInfo);
        if (r->failure)
            r->failure(error);
    }
}

// --- cancelling ---

void WIWebImageManager::cancelForDelegate(const std::shared_ptr<WIWebImageManagerDelegate>& delegate)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    const WIWebImageManagerDelegate* target = delegate.get();
    for (size_t i = cacheDelegates.size(); i-- > 0;) {
        if (cacheDelegates[i].get() == target) {
            cacheDelegates.erase(cacheDelegates.begin() + static_cast<ptrdiff_t>(i));
            cacheURLs.erase(cacheURLs.begin() + static_cast<ptrdiff_t>(i));
        }
    }
    for (size_t i = downloadDelegates.size(); i-- > 0;) {
        if (downloadDelegates[i].get() != target)
            continue;
        auto downloader = downloaders[i];
        removeDownloadEntry(i);
        // A download that other requests still wait for goes on.
        if (std::find(downloaders.begin(), downloaders.end(), downloader) == downloaders.end()) {
            downloader->cancel();
            forgetDownloader(*downloader);
        }
    }
}

void WIWebImageManager::cancelAll()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    std::vector<std::shared_ptr<WIWebImageDownloader>> running;
    for (const auto& [url, downloader] : downloaderForURL)
        running.push_back(downloader);
    for (const auto& downloader : downloaders) {
        if (std::find(running.begin(), running.end(), downloader) == running.end())
            running.push_back(downloader);
    }
    downloaderForURL.clear();
    downloadInfo.clear();
    downloadDelegates.clear();
    downloaders.clear();
    cacheDelegates.clear();
    cacheURLs.clear();
    for (const auto& downloader : running)
        downloader->cancel();
}

// --- cache keys ---

std::shared_ptr<plat::Image> WIWebImageManager::imageWithURL(const plat::URL& url)
{
    return WIImageCache::sharedImageCache()->imageFromKey(cacheKeyForURL(url));
}

std::string WIWebImageManager::cacheKeyForURL(const plat::URL& url) const
{
    if (auto filter = cacheKeyFilter())
        return filter(url);
    return url.absoluteString();
}

WIWebImageManager::CacheKeyFilter WIWebImageManager::cacheKeyFilter() const
{
    std::lock_guard lock(_cacheKeyFilterLock);
    return _cacheKeyFilter;
}

void WIWebImageManager::setCacheKeyFilter(CacheKeyFilter filter)
{
    std::lock_guard lock(_cacheKeyFilterLock);
    _cacheKeyFilter = std::move(filter);
}

namespace detail {

void resetSharedWebImageManager()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (auto manager = std::move(sharedManagerSlot()))
        manager->cancelAll();
}

}  // namespace detail

}  // namespace zt
