#include "web/ButtonWebCache.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "web/WebImageViewLoader.h"

namespace zt {

namespace {

// The states a loaded picture is set for, in this order.
constexpr unsigned kLoadedStates[]
    = {plat::ControlStateNormal, plat::ControlStateSelected, plat::ControlStateHighlighted};

enum class ButtonPicture { Image, Background };

plat::Value userInfoFor(ButtonPicture picture)
{
    if (picture == ButtonPicture::Background)
        return plat::Dictionary {{"type", "background"}};
    return plat::Value();
}

void setPicture(plat::Button& button, const std::shared_ptr<const plat::Image>& image, ButtonPicture picture)
{
    for (unsigned state : kLoadedStates) {
        if (picture == ButtonPicture::Background)
            button.setBackgroundImage(image, state);
        else
            button.setImage(image, state);
    }
}

// A button answers partial and finished images, with the user info saying
// which of its pictures the load was for; it has no failure answer.
class ButtonLoader final : public detail::WebImageViewLoader {
public:
    explicit ButtonLoader(const std::shared_ptr<plat::Button>& button)
        : _button(button)
    {
    }

    void webImageManagerDidFinishWithImageForURLUserInfo(WIWebImageManager&, const std::shared_ptr<plat::Image>& image,
        const plat::URL&, const plat::Value& userInfo) override
    {
        show(image, userInfo);
    }
    void webImageManagerDidProgressWithPartialImageForURLUserInfo(WIWebImageManager&,
        const std::shared_ptr<plat::Image>& image, const plat::URL&, const plat::Value& userInfo) override
    {
        show(image, userInfo);
    }

private:
    void show(const std::shared_ptr<plat::Image>& image, const plat::Value& userInfo)
    {
        auto button = _button.lock();
        if (!button)
            return;
        auto info = userInfo.asDictionary();
        bool background = info && info->getString("type") == "background";
        setPicture(*button, image, background ? ButtonPicture::Background : ButtonPicture::Image);
    }

    std::weak_ptr<plat::Button> _button;
};

void load(const std::shared_ptr<plat::Button>& button, ButtonPicture picture, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder, WIWebImageOptions options,
    WIWebImageManager::SuccessBlock success, WIWebImageManager::FailureBlock failure)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto loader = detail::loaderOfView<ButtonLoader>(button);
    WIWebImageManager::sharedManager()->cancelForDelegate(loader);
    setPicture(*button, placeholder, picture);
    detail::beginLoad(loader, url, options, userInfoFor(picture), std::move(success), std::move(failure));
}

}  // namespace

void setImageWithURL(const std::shared_ptr<plat::Button>& button, const WIImageURL& url)
{
    load(button, ButtonPicture::Image, url, nullptr, 0, nullptr, nullptr);
}

void setImageWithURL(const std::shared_ptr<plat::Button>& button, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder)
{
    load(button, ButtonPicture::Image, url, placeholder, 0, nullptr, nullptr);
}

void setImageWithURL(const std::shared_ptr<plat::Button>& button, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder, WIWebImageOptions options)
{
    load(button, ButtonPicture::Image, url, placeholder, options, nullptr, nullptr);
}

void setImageWithURL(const std::shared_ptr<plat::Button>& button, const WIImageURL& url,
    WIWebImageManager::SuccessBlock success, WIWebImageManager::FailureBlock failure)
{
    load(button, ButtonPicture::Image, url, nullptr, 0, std::move(success), std::move(failure));
}

void setImageWithURL(const std::shared_ptr<plat::Button>& button, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder, WIWebImageManager::SuccessBlock success,
    WIWebImageManager::FailureBlock failure)
{
    load(button, ButtonPicture::Image, url, placeholder, 0, std::move(success), std::move(failure));
}

void setImageWithURL(const std::shared_ptr<plat::Button>& button, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder, WIWebImageOptions options,
    WIWebImageManager::SuccessBlock success, WIWebImageManager::FailureBlock failure)
{
    load(button, ButtonPicture::Image, url, placeholder, options, std::move(success), std::move(failure));
}

void setBackgroundImageWithURL(const std::shared_ptr<plat::Button>& button, const WIImageURL& url)
{
    load(button, ButtonPicture::Background, url, nullptr, 0, nullptr, nullptr);
}

void setBackgroundImageWithURL(const std::shared_ptr<plat::Button>& button, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder)
{
    load(button, ButtonPicture::Background, url, placeholder, 0, nullptr, nullptr);
}

void setBackgroundImageWithURL(const std::shared_ptr<plat::Button>& button, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder, WIWebImageOptions options)
{
    load(button, ButtonPicture::Background, url, placeholder, options, nullptr, nullptr);
}

void setBackgroundImageWithURL(const std::shared_ptr<plat::Button>& button, const WIImageURL& url,
    WIWebImageManager::SuccessBlock success, WIWebImageManager::FailureBlock failure)
{
    load(button, ButtonPicture::Background, url, nullptr, 0, std::move(success), std::move(failure));
}

void setBackgroundImageWithURL(const std::shared_ptr<plat::Button>& button, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder, WIWebImageManager::SuccessBlock success,
    WIWebImageManager::FailureBlock failure)
{
    load(button, ButtonPicture::Background, url, placeholder, 0, std::move(success), std::move(failure));
}

void setBackgroundImageWithURL(const std::shared_ptr<plat::Button>& button, const WIImageURL& url,
    const std::shared_ptr<const plat::Image>& placeholder, WIWebImageOptions options,
    WIWebImageManager::SuccessBlock success, WIWebImageManager::FailureBlock failure)
{
    load(button, ButtonPicture::Background, url, placeholder, options, std::move(success), std::move(failure));
}

void cancelCurrentImageLoad(const std::shared_ptr<plat::Button>& button)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (auto loader = button->associatedObjects().get<ButtonLoader>(detail::kWebImageLoaderKey))
        detail::cancelLoads(loader);
}

}  // namespace zt
