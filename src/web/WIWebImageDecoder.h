#pragma once
#include <memory>
#include <string>

#include "platform/foundation/Value.h"

namespace plat {
class DispatchQueue;
class Image;
}  // namespace plat

namespace zt {

class WIWebImageDecoder;

// Hears of a finished decode, on the main queue, with the user info it was
// asked with (null when none).
class WIWebImageDecoderDelegate {
public:
    virtual ~WIWebImageDecoderDelegate() = default;
    virtual void imageDecoderDidFinishDecodingImageUserInfo(
        WIWebImageDecoder& decoder, const std::shared_ptr<plat::Image>& image, const plat::Value& userInfo)
        = 0;
};

// Force-decodes web images on imageDecodingQueue (concurrent), off the main
// thread, and answers on the main queue. Pending decodes keep the decoder, so
// every delegate gets its answer. Any thread.
class WIWebImageDecoder : public std::enable_shared_from_this<WIWebImageDecoder> {
public:
    static std::shared_ptr<WIWebImageDecoder> sharedImageDecoder();

    WIWebImageDecoder();
    WIWebImageDecoder(const WIWebImageDecoder&) = delete;
    WIWebImageDecoder& operator=(const WIWebImageDecoder&) = delete;

    // Answers with the decoded image, or the given one when decoding gives
    // none, or none for none. The delegate is kept until it has its answer.
    void decodeImage(const std::shared_ptr<plat::Image>& image,
        const std::shared_ptr<WIWebImageDecoderDelegate>& delegate, plat::Value userInfo);
    // The same for downloaded bytes: they become an image for the key's
    // scale (scaledImageForKey) on the decoding queue too, so that the main
    // thread never decompresses a picture. Bytes that are not one give none.
    void decodeImageData(plat::Data data, std::string key, const std::shared_ptr<WIWebImageDecoderDelegate>& delegate,
        plat::Value userInfo);

    const std::shared_ptr<plat::DispatchQueue>& imageDecodingQueue() const { return _imageDecodingQueue; }

private:
    void answer(
        std::shared_ptr<plat::Image> image, std::shared_ptr<WIWebImageDecoderDelegate> delegate, plat::Value userInfo);

    std::shared_ptr<plat::DispatchQueue> _imageDecodingQueue;
};

}  // namespace zt
