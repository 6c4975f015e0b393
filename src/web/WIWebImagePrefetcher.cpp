#include "web/WIWebImagePrefetcher.h"

#include "platform/foundation/Date.h"
#include "platform/foundation/DispatchQueue.h"

namespace zt {

namespace {

constexpr uint64_t kSharedMaxConcurrentDownloads = 3;

std::shared_ptr<WIWebImagePrefetcher>& sharedPrefetcherSlot()
{
    static std::shared_ptr<WIWebImagePrefetcher> prefetcher;
    return prefetcher;
}

}  // namespace

std::shared_ptr<WIWebImagePrefetcher> WIWebImagePrefetcher::sharedImagePrefetcher()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto& prefetcher = sharedPrefetcherSlot();
    if (!prefetcher) {
        prefetcher = std::make_shared<WIWebImagePrefetcher>();
        prefetcher->setOptions(WIOptionLowPriority);
        prefetcher->setMaxConcurrentDownloads(kSharedMaxConcurrentDownloads);
    }
    return prefetcher;
}

void WIWebImagePrefetcher::prefetchURLs(std::vector<plat::URL> urls)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    cancelPrefetching();
    _startedTime = plat::Date::now().timeIntervalSinceReferenceDate();
    _prefetchURLs = std::move(urls);
    auto manager = WIWebImageManager::sharedManager();
    for (uint64_t index = 0; index < _maxConcurrentDownloads && _requestedCount < _prefetchURLs.size(); ++index)
        startPrefetchingAtIndex(index, manager);
}

void WIWebImagePrefetcher::startPrefetchingAtIndex(uint64_t index, const std::shared_ptr<WIWebImageManager>& manager)
{
    if (index >= _prefetchURLs.size())
        return;
    ++_requestedCount;
    manager->downloadWithURL(_prefetchURLs[index], shared_from_this(), _options);
}

void WIWebImagePrefetcher::reportStatus() { }

void WIWebImagePrefetcher::cancelPrefetching()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    _prefetchURLs.clear();
    _skippedCount = 0;
    _requestedCount = 0;
    _finishedCount = 0;
    WIWebImageManager::sharedManager()->cancelForDelegate(shared_from_this());
}

void WIWebImagePrefetcher::webImageManagerDidFinishWithImage(
    WIWebImageManager& manager, const std::shared_ptr<plat::Image>&)
{
    ++_finishedCount;
    startNextOrReport(manager);
}

void WIWebImagePrefetcher::webImageManagerDidFailWithError(
    WIWebImageManager& manager, const std::optional<plat::Error>&)
{
    ++_finishedCount;
    ++_skippedCount;
    startNextOrReport(manager);
}

void WIWebImagePrefetcher::startNextOrReport(WIWebImageManager& manager)
{
    if (_requestedCount < _prefetchURLs.size())
        startPrefetchingAtIndex(_requestedCount, manager.shared_from_this());
    else if (_finishedCount == _requestedCount)
        reportStatus();
}

namespace detail {

void resetSharedImagePrefetcher()
{
    sharedPrefetcherSlot().reset();
}

}  // namespace detail

}  // namespace zt
