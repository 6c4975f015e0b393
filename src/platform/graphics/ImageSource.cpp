#include "platform/graphics/ImageSource.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Files.h"
#include "platform/graphics/ImageDecoding.h"
#include "platform/graphics/Resample.h"

namespace plat {

namespace {

// Headers with a large EXIF block (it may carry a preview picture) need
// more than the first read; they are read again in larger pieces, up to
// what a JPEG's markers can hold before the pixels begin.
constexpr size_t kFirstReadBytes = 64 * 1024;
constexpr size_t kMaxHeaderBytes = 16 * 1024 * 1024;
// Where a JPEG's end-of-picture marker is looked for: a writer may leave a
// few bytes after it, and picture data never holds the marker's bytes.
constexpr size_t kEndMarkerSearchBytes = 64;

std::optional<ImageProperties> propertiesOf(const uint8_t* bytes, size_t length)
{
    if (detail::looksLikeJPEG(bytes, length)) {
        auto header = detail::readJPEGHeader(bytes, length);
        if (!header)
            return std::nullopt;
        return ImageProperties {header->width, header->height, header->orientation};
    }
    if (detail::looksLikePNG(bytes, length)) {
        auto partial = detail::decodePartialPNG(bytes, length, detail::PartialRows::Skip);
        if (!partial.hasHeader)
            return std::nullopt;
        return ImageProperties {partial.width, partial.height, ImageOrientation::Up};
    }
    return std::nullopt;
}

// Up to limit bytes from the start of the file; fewer at its end.
std::optional<Data> readPrefix(int fd, size_t limit)
{
    Data bytes(limit);
    size_t filled = 0;
    while (filled < limit) {
        ssize_t got = ::pread(fd, bytes.data() + filled, limit - filled, static_cast<off_t>(filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        filled += static_cast<size_t>(got);
    }
    bytes.resize(filled);
    return bytes;
}

std::optional<ImageProperties> propertiesOfOpenFile(int fd)
{
    for (size_t limit = kFirstReadBytes;; limit *= 4) {
        auto bytes = readPrefix(fd, limit);
        if (!bytes)
            return std::nullopt;
        if (auto properties = propertiesOf(bytes->data(), bytes->size()))
            return properties;
        // The whole file was read, or the header is longer than any real one.
        if (bytes->size() < limit || limit >= kMaxHeaderBytes)
            return std::nullopt;
    }
}

bool endsWithJPEGEndMarker(int fd)
{
    struct stat info { };
    if (::fstat(fd, &info) != 0 || info.st_size < 2)
        return false;
    const size_t tailLength = std::min(static_cast<size_t>(info.st_size), kEndMarkerSearchBytes);
    Data tail(tailLength);
    if (::pread(fd, tail.data(), tailLength, info.st_size - static_cast<off_t>(tailLength))
        != static_cast<ssize_t>(tailLength))
        return false;
    for (size_t i = tailLength - 1; i > 0; --i)
        if (tail[i - 1] == 0xFF && tail[i] == 0xD9)
            return true;
    return false;
}

}  // namespace

bool pictureFileLooksWhole(const std::string& path)
{
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.isValid())
        return false;
    auto start = readPrefix(file.get(), kFirstReadBytes);
    if (!start)
        return false;
    if (!detail::looksLikeJPEG(start->data(), start->size())) {
        auto whole = readFile(path);
        return whole.ok() && Image::imageWithData(whole.value()) != nullptr;
    }
    auto properties = propertiesOfOpenFile(file.get());
    return properties && Bitmap::isAllowedSize(properties->pixelWidth, properties->pixelHeight)
        && endsWithJPEGEndMarker(file.get());
}

std::optional<ImageProperties> imagePropertiesOfData(const Data& data)
{
    return propertiesOf(data.data(), data.size());
}

std::optional<ImageProperties> imagePropertiesOfFile(const std::string& path)
{
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.isValid())
        return std::nullopt;
    return propertiesOfOpenFile(file.get());
}

std::shared_ptr<Image> imageWithDataReducedTo(const Data& data, int minimumLongerSide)
{
    if (detail::looksLikeJPEG(data.data(), data.size()))
        return detail::decodeJPEG(data.data(), data.size(), 1, std::max(minimumLongerSide, 1));
    return Image::imageWithData(data);
}

std::shared_ptr<Image> thumbnailImageWithData(const Data& data, int maxPixelSize)
{
    if (maxPixelSize < 1)
        return nullptr;
    auto decoded = imageWithDataReducedTo(data, maxPixelSize);
    if (!decoded)
        return nullptr;
    const Bitmap& stored = *decoded->bitmap();
    int longer = std::max(stored.width(), stored.height());
    if (longer <= maxPixelSize)
        return std::make_shared<Image>(decoded->bitmap(), 1, decoded->imageOrientation());
    double factor = static_cast<double>(maxPixelSize) / longer;
    int width = std::clamp(static_cast<int>(std::lround(stored.width() * factor)), 1, maxPixelSize);
    int height = std::clamp(static_cast<int>(std::lround(stored.height() * factor)), 1, maxPixelSize);
    auto tile = detail::resampleAxisAligned(stored, static_cast<double>(width) / stored.width(),
        static_cast<double>(height) / stored.height(), 0, 0, width, height);
    if (!tile || tile->pixels->width() != width || tile->pixels->height() != height)
        return nullptr;
    tile->pixels->setOpaque(stored.isOpaque());
    return std::make_shared<Image>(std::move(tile->pixels), 1, decoded->imageOrientation());
}

}  // namespace plat
