#pragma once
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

namespace plat {
class Image;
namespace detail {
class GIFFrameQueue;
}

// Keys of the GIF properties: file properties take the loop count (0 plays
// for ever; without it the GIF plays once), picture properties the delay
// before the next picture in seconds.
inline constexpr const char* kImagePropertyGIFDictionary = "{GIF}";
inline constexpr const char* kImagePropertyGIFLoopCount = "LoopCount";
inline constexpr const char* kImagePropertyGIFDelayTime = "DelayTime";

// Writes pictures into an image file, as the platform's image destinations
// do; the stand-in writes animated GIFs. Each picture gets its own palette of
// up to 256 colours (libimagequant, dithered) and is compressed (giflib) on
// the worker pool as soon as it is added; finalize writes the file at once,
// atomically, in the order the pictures were added. The logical screen is
// the first picture's size. One queue at a time.
class ImageDestination {
public:
    // nullptr for another type than GIF, a URL that is not a file, or a count of 0.
    static std::shared_ptr<ImageDestination> createWithURL(
        const URL& url, const std::string& type, size_t count, const std::optional<Dictionary>& options);
    ~ImageDestination();
    ImageDestination(const ImageDestination&) = delete;
    ImageDestination& operator=(const ImageDestination&) = delete;

    void setProperties(const Dictionary& properties);
    // The picture is kept, not copied, until it is compressed. Pictures
    // beyond the count are left out (with a log line), as on the platform.
    void addImage(std::shared_ptr<const Image> image, const std::optional<Dictionary>& properties);
    // False when no picture was added, a picture could not be compressed or
    // the file could not be written; then the file at the URL is as it was
    // before. Once only. A destination dropped without it writes nothing.
    bool finalize();
    // Why finalize failed (the system's reason for a file that could not be
    // written, such as a full disk), when it did.
    std::optional<Error> error() const { return _error; }

    ImageDestination(std::string path, size_t count);

private:
    std::string _path;
    size_t _count;
    size_t _added = 0;
    bool _finalized = false;
    std::optional<int64_t> _loopCount;
    std::optional<Error> _error;
    std::unique_ptr<detail::GIFFrameQueue> _frames;
};

}  // namespace plat
