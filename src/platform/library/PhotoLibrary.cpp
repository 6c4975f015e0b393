#include "platform/library/PhotoLibrary.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <set>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/graphics/ImageSource.h"
#include "platform/graphics/UprightPixels.h"

namespace plat {

namespace {

constexpr double kSavedPhotoQuality = 0.9;
constexpr int kMaximumPhotoNumber = 9999;
constexpr int kMaximumFolderNumber = 999;
constexpr const char* kAuthorizationFileName = ".authorization";
constexpr const char* kAlbumNameFileName = ".name";
constexpr int64_t kMaxSmallFileBytes = 4096;
// Picture files are outside input: nothing larger is read into memory.
constexpr int64_t kMaxPictureFileBytes = int64_t(256) << 20;

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

// A writing failure in the platform's terms, the file system's error kept beneath it.
Error writeError(const std::string& what, const Error& cause)
{
    bool full = cause.domain() == kPOSIXErrorDomain && cause.code() == ENOSPC;
    return Error(kAssetsLibraryErrorDomain, full ? kAssetsLibraryWriteDiskSpaceError : kAssetsLibraryWriteFailedError,
        what + ": " + cause.localizedDescription(), {}, std::make_shared<const Error>(cause));
}

// A plain name directly in a folder: never ".", "..", hidden or with a slash.
bool isValidEntryName(const std::string& name)
{
    return !name.empty() && name.front() != '.' && name.find('/') == std::string::npos
        && name.find('\0') == std::string::npos;
}

bool isSameFile(const std::string& a, const std::string& b)
{
    struct stat first { };
    struct stat second { };
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev
        && first.st_ino == second.st_ino;
}

// A folder name for an album name: slashes and a leading dot cannot name a folder.
std::string folderNameFor(const std::string& albumName)
{
    std::string folder = replacingOccurrences(albumName, "/", "-");
    folder = replacingOccurrences(folder, std::string_view("\0", 1), "");
    if (!folder.empty() && folder.front() == '.')
        folder.front() = '_';
    return folder.empty() ? "Album" : folder;
}

// "name.ext", "name-2.ext", "name-3.ext"...
std::string numberedFileName(const std::string& fileName, int number)
{
    if (number <= 1)
        return fileName;
    std::string extension = pathExtension(fileName);
    std::string stem = extension.empty() ? fileName : fileName.substr(0, fileName.size() - extension.size() - 1);
    return stem + "-" + std::to_string(number) + (extension.empty() ? "" : "." + extension);
}

std::string photoFileName(int number, const char* extension)
{
    char name[32];
    std::snprintf(name, sizeof name, "IMG_%04d.%s", number, extension);
    return name;
}

// The number of a name "IMG_0001" and up, whatever its extension.
std::optional<int> photoNumber(const std::string& name)
{
    constexpr std::string_view prefix = "IMG_";
    constexpr size_t digits = 4;
    if (name.size() < prefix.size() + digits + 1 || name.compare(0, prefix.size(), prefix) != 0
        || name[prefix.size() + digits] != '.')
        return std::nullopt;
    int number = 0;
    for (size_t i = prefix.size(); i < prefix.size() + digits; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return std::nullopt;
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

// Pictures and movies take their numbers from one counter, as the device's
// saved photos do: the next number is one above the highest in the album,
// and a number that names a file of either kind is never given again.
Result<int> nextPhotoNumber(const std::string& albumPath, const std::string& albumFolder)
{
    auto names = contentsOfDirectory(albumPath);
    if (!names.ok())
        return names.error();
    std::set<int> taken;
    for (const std::string& name : names.value()) {
        if (auto number = photoNumber(name))
            taken.insert(*number);
    }
    const int highest = taken.empty() ? 0 : *taken.rbegin();
    // Past the last number the counter starts again at the first that is free.
    for (int step = 1; step <= kMaximumPhotoNumber; ++step) {
        int number = (highest + step - 1) % kMaximumPhotoNumber + 1;
        if (!taken.contains(number))
            return number;
    }
    return Error(kAssetsLibraryErrorDomain, kAssetsLibraryWriteFailedError, "the album " + albumFolder + " is full");
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

std::string PhotoLibrary::albumPath(const std::string& albumFolder) const
{
    return appendingPathComponent(_root, albumFolder);
}

// Access

AuthorizationStatus PhotoLibrary::authorizationStatus() const
{
    auto bytes = readFile(appendingPathComponent(_root, kAuthorizationFileName), kMaxSmallFileBytes);
    if (!bytes.ok())
        return AuthorizationStatus::Authorized;
    std::string value = trimmingWhitespace(std::string(bytes.value().begin(), bytes.value().end()));
    if (value == "denied")
        return AuthorizationStatus::Denied;
    if (value == "restricted")
        return AuthorizationStatus::Restricted;
    if (value == "not determined")
        return AuthorizationStatus::NotDetermined;
    return AuthorizationStatus::Authorized;
}

Result<void> PhotoLibrary::setAuthorizationStatus(AuthorizationStatus status)
{
    auto made = createDirectory(_root, IntermediateDirectories::Yes);
    if (!made.ok())
        return libraryError("cannot make", _root, made.error());
    const char* value = "authorized";
    switch (status) {
    case AuthorizationStatus::NotDetermined:
        value = "not determined";
        break;
    case AuthorizationStatus::Restricted:
        value = "restricted";
        break;
    case AuthorizationStatus::Denied:
        value = "denied";
        break;
    case AuthorizationStatus::Authorized:
        break;
    }
    return writeFileAtomically(appendingPathComponent(_root, kAuthorizationFileName), std::string(value) + "\n");
}

std::optional<Error> PhotoLibrary::accessError() const
{
    Dictionary userInfo;
    switch (authorizationStatus()) {
    case AuthorizationStatus::Denied:
        userInfo.set(kLocalizedFailureReasonErrorKey, "The user has denied the application access to their media.");
        return Error(kAssetsLibraryErrorDomain, kAssetsLibraryAccessUserDeniedError, "User denied access", userInfo);
    case AuthorizationStatus::Restricted:
        userInfo.set(kLocalizedFailureReasonErrorKey, "This device does not allow access to the photo library.");
        return Error(
            kAssetsLibraryErrorDomain, kAssetsLibraryAccessGloballyDeniedError, "Global denied access", userInfo);
    case AuthorizationStatus::NotDetermined:
    case AuthorizationStatus::Authorized:
        break;
    }
    return std::nullopt;
}

// Albums

std::optional<PhotoAlbum> PhotoLibrary::describeAlbum(const std::string& folder) const
{
    std::string path = albumPath(folder);
    if (!isValidEntryName(folder) || !isDirectory(path))
        return std::nullopt;
    PhotoAlbum album {folder, folder, path, AssetsGroupAlbum, 0, 0};
    if (folder == kSavedPhotosAlbumName)
        album.type = AssetsGroupSavedPhotos;
    if (auto named = readFile(appendingPathComponent(path, kAlbumNameFileName), kMaxSmallFileBytes); named.ok()) {
        std::string name = repairedUtf8(std::string(named.value().begin(), named.value().end()));
        while (!name.empty() && (name.back() == '\n' || name.back() == '\r'))
            name.pop_back();
        if (!name.empty())
            album.name = name;
    }
    return album;
}

Result<std::vector<PhotoAlbum>> PhotoLibrary::albums() const
{
    if (auto refused = accessError())
        return *refused;
    std::vector<PhotoAlbum> list;
    if (!isDirectory(_root))
        return list;
    auto names = contentsOfDirectory(_root);
    if (!names.ok())
        return libraryError("cannot list", _root, names.error());
    for (const auto& name : names.value()) {
        auto album = describeAlbum(name);
        if (!album)
            continue;
        auto assets = listAssets(name);
        if (!assets.ok())
            return assets.error();
        for (const auto& asset : assets.value())
            (asset.type == AssetType::Photo ? album->numberOfPhotos : album->numberOfVideos) += 1;
        list.push_back(std::move(*album));
    }
    std::stable_sort(list.begin(), list.end(), [](const PhotoAlbum& a, const PhotoAlbum& b) {
        bool aSaved = a.type == AssetsGroupSavedPhotos, bSaved = b.type == AssetsGroupSavedPhotos;
        if (aSaved != bSaved)
            return aSaved;
        return a.folder < b.folder;
    });
    return list;
}

Result<std::vector<PhotoAsset>> PhotoLibrary::assetsInAlbum(const std::string& albumFolder) const
{
    if (auto refused = accessError())
        return *refused;
    return listAssets(albumFolder);
}

Result<std::vector<PhotoAsset>> PhotoLibrary::listAssets(const std::string& albumFolder) const
{
    if (!isValidEntryName(albumFolder))
        return Error("PhotoLibrary", 1, "no album named \"" + albumFolder + "\"");
    std::string folder = albumPath(albumFolder);
    auto names = contentsOfDirectory(folder);
    if (!names.ok())
        return libraryError("cannot list", folder, names.error());
    std::vector<PhotoAsset> assets;
    for (const auto& name : names.value()) {
        auto type = assetTypeOf(name);
        if (!type || !isValidEntryName(name))
            continue;
        std::string path = appendingPathComponent(folder, name);
        auto attributes = attributesOfItem(path);
        if (!attributes.ok() || attributes.value().isDirectory)
            continue;
        assets.push_back({path, name, albumFolder, attributes.value().modificationDate, *type});
    }
    std::sort(assets.begin(), assets.end(), [](const PhotoAsset& a, const PhotoAsset& b) {
        if (a.creationDate != b.creationDate)
            return a.creationDate < b.creationDate;
        return a.fileName < b.fileName;
    });
    return assets;
}

Result<PhotoAlbum> PhotoLibrary::addAlbum(const std::string& albumFolder)
{
    if (auto refused = accessError())
        return *refused;
    if (!isValidEntryName(albumFolder))
        return Error("PhotoLibrary", 2, "not an album name: \"" + albumFolder + "\"");
    std::string path = albumPath(albumFolder);
    auto made = createDirectory(path, IntermediateDirectories::Yes);
    if (!made.ok())
        return libraryError("cannot make", path, made.error());
    return describeAlbum(albumFolder).value_or(PhotoAlbum {albumFolder, albumFolder, path, AssetsGroupAlbum, 0, 0});
}

Result<std::optional<PhotoAlbum>> PhotoLibrary::createAlbumNamed(const std::string& name)
{
    auto existing = albums();
    if (!existing.ok())
        return existing.error();
    for (const auto& album : existing.value())
        if (album.name == name)
            return std::optional<PhotoAlbum>();
    auto made = createDirectory(_root, IntermediateDirectories::Yes);
    if (!made.ok())
        return writeError("cannot make the photo library", made.error());
    std::string base = folderNameFor(name);
    for (int number = 1; number <= kMaximumFolderNumber; ++number) {
        std::string folder = number == 1 ? base : base + " " + std::to_string(number);
        std::string path = albumPath(folder);
        // mkdir, not "exists?" then make: two callers never get one folder.
        if (::mkdir(path.c_str(), 0755) != 0) {
            int failure = errno;
            if (failure == EEXIST)
                continue;
            return writeError("cannot make the album " + name, Error::posix(failure, "mkdir", path));
        }
        if (folder != name) {
            auto written = writeFileAtomically(appendingPathComponent(path, kAlbumNameFileName), name);
            if (!written.ok()) {
                (void)removeItem(path);
                return writeError("cannot name the album " + name, written.error());
            }
        }
        return describeAlbum(folder);
    }
    return Error(kAssetsLibraryErrorDomain, kAssetsLibraryWriteFailedError, "too many albums named " + name);
}

// Assets

Result<PhotoAsset> PhotoLibrary::assetInAlbum(const std::string& albumFolder, const std::string& fileName) const
{
    if (auto refused = accessError())
        return *refused;
    if (!isValidEntryName(albumFolder) || !isValidEntryName(fileName) || !assetTypeOf(fileName))
        return Error(kAssetsLibraryErrorDomain, kAssetsLibraryDataUnavailableError,
            "no asset " + albumFolder + "/" + fileName + " in the photo library");
    std::string path = appendingPathComponent(albumPath(albumFolder), fileName);
    auto attributes = attributesOfItem(path);
    if (!attributes.ok() || attributes.value().isDirectory)
        return Error(kAssetsLibraryErrorDomain, kAssetsLibraryDataUnavailableError,
            "the asset " + albumFolder + "/" + fileName + " is no longer in the photo library");
    return PhotoAsset {path, fileName, albumFolder, attributes.value().modificationDate, *assetTypeOf(fileName)};
}

Result<PhotoAsset> PhotoLibrary::addAssetToAlbum(const PhotoAsset& asset, const std::string& albumFolder)
{
    auto album = addAlbum(albumFolder);
    if (!album.ok())
        return album.error();
    auto source = assetInAlbum(asset.albumFolder, asset.fileName);
    if (!source.ok())
        return source.error();
    for (int number = 1; number <= kMaximumPhotoNumber; ++number) {
        std::string name = numberedFileName(asset.fileName, number);
        std::string path = appendingPathComponent(album.value().path, name);
        if (isSameFile(source.value().path, path))
            return assetInAlbum(albumFolder, name);
        auto filed = linkOrCopyFile(source.value().path, path);
        if (filed.ok())
            return assetInAlbum(albumFolder, name);
        if (filed.error().domain() == kPOSIXErrorDomain && filed.error().code() == EEXIST)
            continue;
        return writeError("cannot file " + asset.fileName + " in " + albumFolder, filed.error());
    }
    return Error(kAssetsLibraryErrorDomain, kAssetsLibraryWriteFailedError, "the album " + albumFolder + " is full");
}

Result<PhotoAsset> PhotoLibrary::saveImage(const Image& image, const std::string& albumFolder)
{
    auto album = addAlbum(albumFolder);
    if (!album.ok())
        return album.error();
    auto jpeg = JPEGRepresentation(image, kSavedPhotoQuality);
    if (!jpeg)
        return Error(
            kAssetsLibraryErrorDomain, kAssetsLibraryWriteFailedError, "cannot encode the picture for " + albumFolder);
    auto number = nextPhotoNumber(album.value().path, albumFolder);
    if (!number.ok())
        return number.error();
    const std::string name = photoFileName(number.value(), "JPG");
    const std::string path = appendingPathComponent(album.value().path, name);
    auto written = writeFileAtomically(path, *jpeg);
    if (!written.ok())
        return writeError("cannot write " + path, written.error());
    auto attributes = attributesOfItem(path);
    Date created = attributes.ok() ? attributes.value().modificationDate : Date::now();
    return PhotoAsset {path, name, albumFolder, created, AssetType::Photo};
}

Result<PhotoAsset> PhotoLibrary::saveVideo(const std::string& moviePath, const std::string& albumFolder)
{
    if (assetTypeOf(moviePath) != AssetType::Video)
        return Error(kAssetsLibraryErrorDomain, kAssetsLibraryWriteFailedError, moviePath + " is not a movie");
    auto album = addAlbum(albumFolder);
    if (!album.ok())
        return album.error();
    auto number = nextPhotoNumber(album.value().path, albumFolder);
    if (!number.ok())
        return number.error();
    const std::string name = photoFileName(number.value(), "MOV");
    const std::string path = appendingPathComponent(album.value().path, name);
    auto copied = copyFileAtomically(moviePath, path);
    if (!copied.ok())
        return writeError("cannot write " + path, copied.error());
    auto attributes = attributesOfItem(path);
    Date created = attributes.ok() ? attributes.value().modificationDate : Date::now();
    return PhotoAsset {path, name, albumFolder, created, AssetType::Video};
}

// Pictures

std::shared_ptr<Image> PhotoLibrary::fullResolutionImage(const PhotoAsset& asset)
{
    if (asset.type != AssetType::Photo)
        return nullptr;
    return Image::imageWithContentsOfFile(asset.path);
}

std::shared_ptr<Image> PhotoLibrary::thumbnail(const PhotoAsset& asset, int maxEdgePixels)
{
    if (asset.type != AssetType::Photo || maxEdgePixels <= 0)
        return nullptr;
    auto bytes = readFile(asset.path, kMaxPictureFileBytes);
    if (!bytes.ok())
        return nullptr;
    auto reduced = thumbnailImageWithData(bytes.value(), maxEdgePixels);
    if (!reduced)
        return nullptr;
    return Image::imageWithBitmap(turnedUpright(*reduced->bitmap(), reduced->imageOrientation()));
}

std::shared_ptr<Image> PhotoLibrary::posterImage(const PhotoAlbum& album, int maxEdgePixels) const
{
    auto assets = assetsInAlbum(album.folder);
    if (!assets.ok())
        return nullptr;
    for (auto it = assets.value().rbegin(); it != assets.value().rend(); ++it) {
        if (auto poster = thumbnail(*it, maxEdgePixels))
            return poster;
    }
    return nullptr;
}

}  // namespace plat
