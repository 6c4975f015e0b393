#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/foundation/URL.h"
#include "web/WIWebImageManager.h"

namespace zt {

// Warms the cache for a list of URLs, a few downloads at a time: each
// answer, image or failure, starts the next URL. A URL on the failed list
// gets no answer, so nothing starts in its place. Main queue only.
class WIWebImagePrefetcher : public WIWebImageManagerDelegate,
                             public std::enable_shared_from_this<WIWebImagePrefetcher> {
public:
    // Low priority, three downloads at a time.
    static std::shared_ptr<WIWebImagePrefetcher> sharedImagePrefetcher();
    WIWebImagePrefetcher() = default;

    // Drops any earlier list and starts on this one with the shared manager.
    void prefetchURLs(std::vector<plat::URL> urls);
    void cancelPrefetching();
    // Asks the manager for the URL at index, when there is one.
    void startPrefetchingAtIndex(uint64_t index, const std::shared_ptr<WIWebImageManager>& manager);
    // Kept for callers of the platform's interface: reports nothing.
    void reportStatus();

    const std::vector<plat::URL>& prefetchURLs() const { return _prefetchURLs; }
    void setPrefetchURLs(std::vector<plat::URL> urls) { _prefetchURLs = std::move(urls); }
    WIWebImageOptions options() const { return _options; }
    void setOptions(WIWebImageOptions options) { _options = options; }
    uint64_t maxConcurrentDownloads() const { return _maxConcurrentDownloads; }
    void setMaxConcurrentDownloads(uint64_t count) { _maxConcurrentDownloads = count; }

    void webImageManagerDidFinishWithImage(
        WIWebImageManager& manager, const std::shared_ptr<plat::Image>& image) override;
    void webImageManagerDidFailWithError(WIWebImageManager& manager, const std::optional<plat::Error>& error) override;

private:
    void startNextOrReport(WIWebImageManager& manager);

    uint64_t _skippedCount = 0;
    uint64_t _finishedCount = 0;
    uint64_t _requestedCount = 0;
    double _startedTime = 0;  // seconds since the reference date
    WIWebImageOptions _options = 0;
    std::vector<plat::URL> _prefetchURLs;
    uint64_t _maxConcurrentDownloads = 0;
};

namespace detail {
// Forgets the shared prefetcher. Only tests call this.
void resetSharedImagePrefetcher();
}  // namespace detail

}  // namespace zt
