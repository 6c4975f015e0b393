#include "web/WebImageViewLoader.h"

namespace zt::detail {

void cancelLoads(const std::shared_ptr<WebImageViewLoader>& loader)
{
    std::lock_guard lock(loader->viewLock());
    WIWebImageManager::sharedManager()->cancelForDelegate(loader);
}

void beginLoad(const std::shared_ptr<WebImageViewLoader>& loader, const WIImageURL& url, WIWebImageOptions options,
    plat::Value userInfo, WIWebImageManager::SuccessBlock success, WIWebImageManager::FailureBlock failure)
{
    if (!url.url())
        return;
    WIWebImageManager::sharedManager()->downloadWithURL(
        url, loader, options, std::move(userInfo), std::move(success), std::move(failure));
}

}  // namespace zt::detail
