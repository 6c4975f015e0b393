#include "web/WIWebImageDecoder.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/graphics/Image.h"
#include "web/ImageForceDecode.h"
#include "web/WIImageScale.h"

namespace zt {

namespace {

std::shared_ptr<plat::Image> decodedOrAsGiven(const std::shared_ptr<plat::Image>& image)
{
    if (!image)
        return nullptr;
    auto decoded = decodedImageWithImage(image);
    return decoded ? decoded : image;
}

}  // namespace

std::shared_ptr<WIWebImageDecoder> WIWebImageDecoder::sharedImageDecoder()
{
    static const auto decoder = std::make_shared<WIWebImageDecoder>();
    return decoder;
}

WIWebImageDecoder::WIWebImageDecoder()
    : _imageDecodingQueue(
        plat::DispatchQueue::create("WIWebImageDecoder.imageDecodingQueue", plat::DispatchQueue::Attribute::Concurrent))
{
}

void WIWebImageDecoder::decodeImage(const std::shared_ptr<plat::Image>& image,
    const std::shared_ptr<WIWebImageDecoderDelegate>& delegate, plat::Value userInfo)
{
    _imageDecodingQueue->async([self = shared_from_this(), image, delegate, userInfo = std::move(userInfo)]() mutable {
        self->answer(decodedOrAsGiven(image), std::move(delegate), std::move(userInfo));
    });
}

void WIWebImageDecoder::decodeImageData(
    plat::Data data, std::string key, const std::shared_ptr<WIWebImageDecoderDelegate>& delegate, plat::Value userInfo)
{
    _imageDecodingQueue->async([self = shared_from_this(), data = std::move(data), key = std::move(key), delegate,
                                   userInfo = std::move(userInfo)]() mutable {
        self->answer(decodedOrAsGiven(scaledImageForKey(key, data)), std::move(delegate), std::move(userInfo));
    });
}

void WIWebImageDecoder::answer(
    std::shared_ptr<plat::Image> image, std::shared_ptr<WIWebImageDecoderDelegate> delegate, plat::Value userInfo)
{
    plat::DispatchQueue::mainQueue().async([self = shared_from_this(), image = std::move(image),
                                               delegate = std::move(delegate), userInfo = std::move(userInfo)] {
        if (delegate)
            delegate->imageDecoderDidFinishDecodingImageUserInfo(*self, image, userInfo);
    });
}

}  // namespace zt
