#pragma once
#include <memory>
#include <string>
#include <vector>

#include "share/ConnectHandler.h"

namespace plat {
class AssetsLibrary;
}

namespace zt {

// The photo-album target: the movie, or the single images in their order,
// saved into the device's saved photos and filed in the app's own album,
// where the photo picker and other apps find them. One picture at a time,
// each whole (the library writes aside and renames); a cancel stops before
// the next picture. Main thread; the library does its file work on its own
// queue.
class PhotoAlbumConnectHandler : public ConnectHandler {
public:
    static constexpr const char* kErrorDomain = "PhotoAlbumConnectHandler";

    explicit PhotoAlbumConnectHandler(ShareExporter exporter);

    // The app's album: the bundle's display name.
    static std::string albumName();

    std::string activityType() const override;
    std::string activityTitle() const override;
    std::shared_ptr<const plat::Image> activityImage() const override;
    std::vector<std::string> supportedUTIs() const override;
    void uploadDataAtURL(
        const plat::URL& url, const std::string& title, const std::string& caption, const std::string& UTI) override;
    void cancel() override;
    std::string completionText(const std::optional<plat::URL>& url) const override;

private:
    void saveMovie(const plat::URL& url);
    void savePicture(size_t index);
    void fail(const plat::Error& error);

    std::shared_ptr<plat::AssetsLibrary> _library;
    std::vector<std::string> _pictures;
    bool _busy = false;
};

}  // namespace zt
