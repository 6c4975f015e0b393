#pragma once
#include <memory>

#include "web/WIWebImageManager.h"

namespace plat {
class Button;
class Image;
}  // namespace plat

namespace zt {

// Loading web images into a button, for the states normal, selected and
// highlighted: as its image (setImageWithURL) or its background picture
// (setBackgroundImageWithURL). The placeholder shows at once, then partial
// images and the image itself; on failure the placeholder stays. Each load
// cancels the button's earlier one, of either kind. Main queue only.
void setImageWithURL(const std::shared_ptr<plat::Button>& button, const WIImageURL& url);
void setImageWithURL(const std::shared_ptr<plat::Button>& button, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder);
void setImageWithURL(const std::shared_ptr<plat::Button>& button, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder, WIWebImageOptions options);
void setImageWithURL(const std::shared_ptr<plat::Button>& button, const WIImageURL& url,
    WIWebImageManager::SuccessBlock success, WIWebImageManager::FailureBlock failure);
void setImageWithURL(const std::shared_ptr<plat::Button>& button, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder, WIWebImageManager::SuccessBlock success,
    WIWebImageManager::FailureBlock failure);
void setImageWithURL(const std::shared_ptr<plat::Button>& button, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder, WIWebImageOptions options,
    WIWebImageManager::SuccessBlock success, WIWebImageManager::FailureBlock failure);

void setBackgroundImageWithURL(const std::shared_ptr<plat::Button>& button, const WIImageURL& url);
void setBackgroundImageWithURL(const std::shared_ptr<plat::Button>& button, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder);
void setBackgroundImageWithURL(const std::shared_ptr<plat::Button>& button, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder, WIWebImageOptions options);
void setBackgroundImageWithURL(const std::shared_ptr<plat::Button>& button, const WIImageURL& url,
    WIWebImageManager::SuccessBlock success, WIWebImageManager::FailureBlock failure);
void setBackgroundImageWithURL(const std::shared_ptr<plat::Button>& button, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder, WIWebImageManager::SuccessBlock success,
    WIWebImageManager::FailureBlock failure);
void setBackgroundImageWithURL(const std::shared_ptr<plat::Button>& button, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder, WIWebImageOptions options,
    WIWebImageManager::SuccessBlock success, WIWebImageManager::FailureBlock failure);

void cancelCurrentImageLoad(const std::shared_ptr<plat::Button>& button);

}  // namespace zt
