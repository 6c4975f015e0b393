#pragma once
#include <memory>

#include "web/WIWebImageManager.h"

namespace plat {
class Image;
class ImageView;
}  // namespace plat

namespace zt {

// Loading web images into an image view: the placeholder shows at once (none
// clears the view), then partial images of a progressive load and the
// image itself; on failure the placeholder stays. A new load cancels the
// view's earlier one. Requests go to the shared manager with the view as
// the asker. Main queue only.
void setImageWithURL(const std::shared_ptr<plat::ImageView>& view, const WIImageURL& url);
void setImageWithURL(const std::shared_ptr<plat::ImageView>& view, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder);
void setImageWithURL(const std::shared_ptr<plat::ImageView>& view, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder, WIWebImageOptions options);
void setImageWithURL(const std::shared_ptr<plat::ImageView>& view, const WIImageURL& url,
    WIWebImageManager::SuccessBlock success, WIWebImageManager::FailureBlock failure);
void setImageWithURL(const std::shared_ptr<plat::ImageView>& view, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder, WIWebImageManager::SuccessBlock success,
    WIWebImageManager::FailureBlock failure);
void setImageWithURL(const std::shared_ptr<plat::ImageView>& view, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder, WIWebImageOptions options,
    WIWebImageManager::SuccessBlock success, WIWebImageManager::FailureBlock failure);
void cancelCurrentImageLoad(const std::shared_ptr<plat::ImageView>& view);

}  // namespace zt
