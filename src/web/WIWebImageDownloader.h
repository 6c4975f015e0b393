#pragma once
#include <any>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"
#include "web/WIWebImageDecoder.h"

namespace plat {
class Image;
class URLConnection;
class URLResponse;
}  // namespace plat

namespace zt {

class WIWebImageDownloader;

inline constexpr const char* kWIWebImageDownloadStartNotification = "WIWebImageDownloadStartNotification";
inline constexpr const char* kWIWebImageDownloadStopNotification = "WIWebImageDownloadStopNotification";

// What a download tells its delegate, on the main queue. All optional.
class WIWebImageDownloaderDelegate {
public:
    virtual ~WIWebImageDownloaderDelegate() = default;
    virtual void imageDownloaderDidFinish(WIWebImageDownloader& downloader);
    // False (the default) says the delegate does not answer it: the
    // download then stops making partial images.
    virtual bool imageDownloaderDidUpdatePartialImage(
        WIWebImageDownloader& downloader, const std::shared_ptr<plat::Image>& image);
    // None when the bytes are not a picture (undecodedImageError() says why).
    virtual void imageDownloaderDidFinishWithImage(
        WIWebImageDownloader& downloader, const std::shared_ptr<plat::Image>& image);
    virtual void imageDownloaderDidFailWithError(
        WIWebImageDownloader& downloader, const std::optional<plat::Error>& error);
};

// One image download over the URL loading system. It runs from creation
// until it finishes, fails or is cancelled; the connection keeps it alive
// meanwhile. The bytes are held in memory up to kMaxImageBytes: a server
// that announces or sends more fails the download, and the buffer grows as
// bytes arrive however large the announced length. A download fails after
// kTimeoutSeconds without a byte, and after kMaxDownloadSeconds in all (a
// server that trickles bytes forever). The finished bytes are decoded by
// the shared decoder, off the main thread. Main queue only.
class WIWebImageDownloader : public WIWebImageDecoderDelegate,
                             public std::enable_shared_from_this<WIWebImageDownloader> {
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    static constexpr double kTimeoutSeconds = 15.0;
    static constexpr double kMaxDownloadSeconds = 300.0;
    static constexpr uint64_t kMaxImageBytes = uint64_t(32) * 1024 * 1024;
    // Reserved up front at most, whatever Content-Length says.
    static constexpr uint64_t kMaxReservedBytes = uint64_t(1) * 1024 * 1024;

    // Created and started (on the main thread, waiting for it when called
    // from another). The delegate is not kept.
    static std::shared_ptr<WIWebImageDownloader> downloaderWithURL(
        const plat::URL& url, const std::weak_ptr<WIWebImageDownloaderDelegate>& delegate);
    static std::shared_ptr<WIWebImageDownloader> downloaderWithURL(
        const plat::URL& url, const std::weak_ptr<WIWebImageDownloaderDelegate>& delegate, std::any userInfo);
    static std::shared_ptr<WIWebImageDownloader> downloaderWithURL(const plat::URL& url,
        const std::weak_ptr<WIWebImageDownloaderDelegate>& delegate, std::any userInfo, bool lowPriority);
    // Kept for callers of the platform's interface: downloads are not limited.
    static void setMaxConcurrentDownloads(uint64_t count);

    WIWebImageDownloader(Passkey, plat::URL url);
    ~WIWebImageDownloader() override;
    WIWebImageDownloader(const WIWebImageDownloader&) = delete;
    WIWebImageDownloader& operator=(const WIWebImageDownloader&) = delete;

    void start();
    // Stops a running connection; the delegate hears nothing more of it.
    void cancel();

    const plat::URL& url() const { return _url; }
    void setURL(plat::URL url) { _url = std::move(url); }
    std::shared_ptr<WIWebImageDownloaderDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(std::weak_ptr<WIWebImageDownloaderDelegate> delegate) { _delegate = std::move(delegate); }
    const std::shared_ptr<plat::URLConnection>& connection() const { return _connection; }
    const plat::Data& imageData() const { return _imageData; }
    const std::any& userInfo() const { return _userInfo; }
    void setUserInfo(std::any userInfo) { _userInfo = std::move(userInfo); }
    // Read when the connection starts.
    bool lowPriority() const { return _lowPriority; }
    void setLowPriority(bool lowPriority) { _lowPriority = lowPriority; }
    uint64_t expectedSize() const { return _expectedSize; }
    bool progressive() const { return _progressive; }
    void setProgressive(bool progressive) { _progressive = progressive; }
    // Pixel size read from the partial bytes; 0 until known.
    uint64_t width() const { return _width; }
    uint64_t height() const { return _height; }

    // Why the finished bytes gave no image: not a JPEG or PNG picture, a
    // picture whose declared size is beyond the bitmap limits, or one cut
    // short or damaged. An error of the URL loading domain
    // (kURLErrorCannotDecodeContentData) naming the URL.
    plat::Error undecodedImageError() const;

    void imageDecoderDidFinishDecodingImageUserInfo(
        WIWebImageDecoder& decoder, const std::shared_ptr<plat::Image>& image, const plat::Value& userInfo) override;

private:
    class ConnectionDelegate;
    friend class ConnectionDelegate;

    void connectionDidReceiveResponse(const std::shared_ptr<const plat::URLResponse>& response);
    void connectionDidReceiveData(const plat::Data& data);
    void connectionDidFinishLoading();
    void connectionDidFailWithError(const plat::Error& error);
    // Ends the download at once: cancels the connection, drops the bytes, tells the delegate.
    void failWhileLoading(const plat::Error& error);
    void makePartialImage();
    void checkDownloadDeadline(uint64_t start);
    void postStopNotification(const void* object);

    plat::URL _url;
    std::weak_ptr<WIWebImageDownloaderDelegate> _delegate;
    std::shared_ptr<plat::URLConnection> _connection;
    plat::Data _imageData;
    std::any _userInfo;
    bool _lowPriority = false;
    uint64_t _expectedSize = 0;
    bool _progressive = false;
    uint64_t _width = 0;
    uint64_t _height = 0;
    // Partial images are made again only once this many more bytes are in.
    uint64_t _nextPartialImageBytes = 0;
    bool _delegateIgnoresPartialImages = false;
    // A start without a connection reports on the next turn of the main
    // loop, once the creator has filed the download; cancel() stops that.
    bool _startFailurePending = false;
    uint64_t _starts = 0;  // tells a deadline whether its start is still the one running
};

}  // namespace zt
