#include "web/ImageViewWebCache.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "web/WebImageViewLoader.h"

namespace zt {

namespace {

// An image view answers partial and finished images; it has no failure answer.
class ImageViewLoader final : public detail::WebImageViewLoader {
public:
    explicit ImageViewLoader(const std::shared_ptr<plat::ImageView>& view)
        : _view(view)
    {
    }

    void webImageManagerDidFinishWithImage(WIWebImageManager&, const std::shared_ptr<plat::Image>& image) override
    {
        show(image);
    }
    void webImageManagerDidProgressWithPartialImageForURL(
        WIWebImageManager&, const std::shared_ptr<plat::Image>& image, const plat::URL&) override
    {
        show(image);
    }

private:
    void show(const std::shared_ptr<plat::Image>& image)
    {
        if (auto view = _view.lock()) {
            view->setImage(image);
            view->setNeedsLayout();
        }
    }

    std::weak_ptr<plat::ImageView> _view;
};

}  // namespace

void setImageWithURL(const std::shared_ptr<plat::ImageView>& view, const WIImageURL& url)
{
    setImageWithURL(view, url, nullptr, 0, nullptr, nullptr);
}

void setImageWithURL(const std::shared_ptr<plat::ImageView>& view, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder)
{
    setImageWithURL(view, url, placeholder, 0, nullptr, nullptr);
}

void setImageWithURL(const std::shared_ptr<plat::ImageView>& view, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder, WIWebImageOptions options)
{
    setImageWithURL(view, url, placeholder, options, nullptr, nullptr);
}

void setImageWithURL(const std::shared_ptr<plat::ImageView>& view, const WIImageURL& url,
    WIWebImageManager::SuccessBlock success, WIWebImageManager::FailureBlock failure)
{
    setImageWithURL(view, url, nullptr, 0, std::move(success), std::move(failure));
}

void setImageWithURL(const std::shared_ptr<plat::ImageView>& view, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder, WIWebImageManager::SuccessBlock success,
    WIWebImageManager::FailureBlock failure)
{
    setImageWithURL(view, url, placeholder, 0, std::move(success), std::move(failure));
}

void setImageWithURL(const std::shared_ptr<plat::ImageView>& view, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder, WIWebImageOptions options,
    WIWebImageManager::SuccessBlock success, WIWebImageManager::FailureBlock failure)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto loader = detail::loaderOfView<ImageViewLoader>(view);
    WIWebImageManager::sharedManager()->cancelForDelegate(loader);
    view->setImage(placeholder);
    detail::beginLoad(loader, url, options, plat::Value(), std::move(success), std::move(failure));
}

void cancelCurrentImageLoad(const std::shared_ptr<plat::ImageView>& view)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (auto loader = view->associatedObjects().get<ImageViewLoader>(detail::kWebImageLoaderKey))
        detail::cancelLoads(loader);
}

}  // namespace zt
