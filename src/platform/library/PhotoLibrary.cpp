#include "platform/library/PhotoLibrary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/foundation/Error.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"

namespace plat {

namespace {

constexpr double kSavedPhotoQuality = 0.9;
constexpr int kMaximumPhotoNumber = 9999;

std::string loweredExtension(const std::string& path)
{
    std::string extension = pathExtension(path);
    std::transform(extension.begin(), extension.end(), extension.begin(),
        [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    return extension;
}

std::optional<AssetType> assetTypeOf(const std::string& path)
{
    std::string extension = loweredExtension(path);
    if (extension == "jpg" || extension == "jpeg" || extension == "png" || extension == "gif")
        return AssetType::Photo;
    if (extension == "mov" || extension == "mp4" || extension == "m4v")
        return AssetType::Video;
    return std::nullopt;
}

Error libraryError(const std::string& operation, const std::string& path, const Error& cause)
{
    return Error("PhotoLibrary", cause.code(), operation + " " + path + ": " + cause.localizedDescription());
}

bool isValidAlbumName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

}  // namespace

PhotoLibrary::PhotoLibrary(std::string root)
    : _root(std::move(root))
{
}

PhotoLibrary PhotoLibrary::forCurrentSandbox()
{
    return PhotoLibrary(appendingPathComponent(Sandbox::current()->root(), "PhotoLibrary"));
}

std::string PhotoLibrary::albumPath(const std::string& albumName) const
{
    return appendingPathComponent(_root, albumName);
}

Result<std::vector<PhotoAlbum>> PhotoLibrary::albums() const
{
    std::vector<PhotoAlbum> list;
    if (!isDirectory(_root))
        return list;
    auto names = contentsOfDirectory(_root);
    if (!names.ok())
        return libraryError("cannot list", _root, names.error());
    for (const auto& name : names.value()) {
        std::string path = albumPath(name);
        if (name.empty() || name.front() == '.' || !isDirectory(path))
            continue;
        PhotoAlbum album {name, path, 0, 0};
        auto assets = assetsInAlbum(name);
        if (!assets.ok())
            return assets.error();
        for (const auto& asset : assets.value())
            (asset.type == AssetType::Photo ? album.numberOfPhotos : album.numberOfVideos) += 1;
        list.push_back(std::move(album));
    }
    std::sort(list.begin(), list.end(), [](const PhotoAlbum& a, const PhotoAlbum& b) {
        bool aSaved = a.name == kSavedPhotosAlbumName, bSaved = b.name == kSavedPhotosAlbumName;
        if (aSaved != bSaved)
            return aSaved;
        return a.name < b.name;
    });
    return list;
}

Result<std::vector<PhotoAsset>> PhotoLibrary::assetsInAlbum(const std::string& albumName) const
{
    if (!isValidAlbumName(albumName))
        return Error("PhotoLibrary", 1, "no album named \"" + albumName + "\"");
    std::string folder = albumPath(albumName);
    auto names = contentsOfDirectory(folder);
    if (!names.ok())
        return libraryError("cannot list", folder, names.error());
    std::vector<PhotoAsset> assets;
    for (const auto& name : names.value()) {
        auto type = assetTypeOf(name);
        if (!type || name.front() == '.')
            continue;
        std::string path = appendingPathComponent(folder, name);
        auto attributes = attributesOfItem(path);
        if (!attributes.ok() || attributes.value().isDirectory)
            continue;
        assets.push_back({path, name, albumName, attributes.value().modificationDate, *type});
    }
    std::sort(assets.begin(), assets.end(), [](const PhotoAsset& a, const PhotoAsset& b) {
        if (a.creationDate != b.creationDate)
            return a.creationDate < b.creationDate;
        return a.fileName < b.fileName;
    });
    return assets;
}

Result<PhotoAlbum> PhotoLibrary::addAlbum(const std::string& albumName)
{
    if (!isValidAlbumName(albumName))
        return Error("PhotoLibrary", 2, "not an album name: \"" + albumName + "\"");
    std::string path = albumPath(albumName);
    auto made = createDirectory(path, IntermediateDirectories::Yes);
    if (!made.ok())
        return libraryError("cannot make", path, made.error());
    return PhotoAlbum {albumName, path, 0, 0};
}

Result<PhotoAsset> PhotoLibrary::saveImage(const Image& image, const std::string& albumName)
{
    auto album = addAlbum(albumName);
    if (!album.ok())
        return album.error();
    auto jpeg = JPEGRepresentation(image, kSavedPhotoQuality);
    if (!jpeg)
        return Error("PhotoLibrary", 3, "cannot encode the picture for " + albumName);
    for (int number = 1; number <= kMaximumPhotoNumber; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%04d.JPG", number);
        std::string path = appendingPathComponent(album.value().path, name);
        if (fileExists(path))
            continue;
        auto written = writeFileAtomically(path, *jpeg);
        if (!written.ok())
            return libraryError("cannot write", path, written.error());
        auto attributes = attributesOfItem(path);
        Date created = attributes.ok() ? attributes.value().modificationDate : Date::now();
        return PhotoAsset {path, name, albumName, created, AssetType::Photo};
    }
    return Error("PhotoLibrary", 4, "the album " + albumName + " is full");
}

std::shared_ptr<Image> PhotoLibrary::fullResolutionImage(const PhotoAsset& asset)
{
    if (asset.type != AssetType::Photo)
        return nullptr;
    return Image::imageWithContentsOfFile(asset.path);
}

std::shared_ptr<Image> PhotoLibrary::thumbnail(const PhotoAsset& asset, int maxEdgePixels)
{
    auto full = fullResolutionImage(asset);
    if (!full || maxEdgePixels <= 0)
        return nullptr;
    Size size = full->size();
    double pixelsWide = size.width * full->scale(), pixelsHigh = size.height * full->scale();
    double factor = std::min(1.0, maxEdgePixels / std::max(pixelsWide, pixelsHigh));
    int width = std::max(1, static_cast<int>(std::lround(pixelsWide * factor)));
    int height = std::max(1, static_cast<int>(std::lround(pixelsHigh * factor)));
    auto context = GraphicsContext::bitmapContext(width, height, 1, ContextOpacity::Transparent);
    context->drawImage(*full, makeRect(0, 0, width, height));
    return context->takeImage();
}

}  // namespace plat
