#pragma once
#include <memory>
#include <mutex>

#include "platform/ui/Object.h"
#include "web/WIWebImageManager.h"

namespace zt::detail {

// The web image manager's asker on behalf of one view or button. The view
// keeps it (as an associated object) and it points back at the view
// weakly, so that a load never keeps a view alive; being one object per
// view, it lets a new load cancel the view's earlier ones. Main queue only.
class WebImageViewLoader : public WIWebImageManagerDelegate {
public:
    // The lock on the view that cancelling a load takes.
    std::mutex& viewLock() { return _viewLock; }

private:
    std::mutex _viewLock;
};

inline constexpr const char* kWebImageLoaderKey = "WIWebImageLoader";

// The view's loader, made and attached on first use.
template <typename Loader, typename View> std::shared_ptr<Loader> loaderOfView(const std::shared_ptr<View>& view)
{
    auto loader = view->associatedObjects().template get<Loader>(kWebImageLoaderKey);
    if (!loader) {
        loader = std::make_shared<Loader>(view);
        view->associatedObjects().set(kWebImageLoaderKey, loader, plat::AssociationPolicy::Retain);
    }
    return loader;
}

// Cancels what the loader still waits for, under the view's lock.
void cancelLoads(const std::shared_ptr<WebImageViewLoader>& loader);
// Asks the shared manager for the URL, when there is one.
void beginLoad(const std::shared_ptr<WebImageViewLoader>& loader, const WIImageURL& url, WIWebImageOptions options,
    plat::Value userInfo, WIWebImageManager::SuccessBlock success, WIWebImageManager::FailureBlock failure);

}  // namespace zt::detail
