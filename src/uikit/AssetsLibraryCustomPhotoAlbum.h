#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace plat {
class AssetsLibrary;
class Error;
class Image;
class URL;
}  // namespace plat

// Saving pictures into a named album of the photo library: the picture goes
// into the saved photos and is filed in every album of that name (compared
// exactly, letter case included), the album made when there is none. The
// completion runs exactly once per call, on the main queue, with nothing on
// success and the library's error otherwise; the library is kept until
// then. Main queue.
namespace zt {

using SaveImageCompletionBlock = std::function<void(const std::optional<plat::Error>& error)>;

// Writes the picture's stored pixels with its orientation into the saved
// photos, then files the new asset as addAssetURL does. completion is required.
void saveImage(const std::shared_ptr<plat::AssetsLibrary>& library, const plat::Image& image,
    const std::string& albumName, SaveImageCompletionBlock completion);

// Files the asset at assetURL in the albums called albumName. completion is required.
void addAssetURL(const std::shared_ptr<plat::AssetsLibrary>& library, const plat::URL& assetURL,
    const std::string& albumName, SaveImageCompletionBlock completion);

}  // namespace zt
