#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/DispatchGroup.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/Semaphore.h"
#include "platform/foundation/Value.h"

// Animated GIF writing behind ImageDestination. Not for use outside the
// graphics stand-in.
namespace plat {
class Image;
}

namespace plat::detail {

// The GIF blocks of one picture: its graphic control extension (delay,
// transparency) and the image with its own colour table and LZW data, cut
// to the screen. Quantised by libimagequant, compressed by giflib.
Result<Data> encodeGIFFrame(const Image& image, int screenWidth, int screenHeight, int delayCentiseconds);

// The pictures of one GIF, compressed side by side on the worker pool and
// kept in the order they came. A bounded number is in work at once: add
// waits for a free place. One queue adds and writes; the workers only fill
// their own frames.
class GIFFrameQueue {
public:
    GIFFrameQueue();
    ~GIFFrameQueue();  // waits for the pictures in work
    GIFFrameQueue(const GIFFrameQueue&) = delete;
    GIFFrameQueue& operator=(const GIFFrameQueue&) = delete;

    void add(std::shared_ptr<const Image> image, int delayCentiseconds);
    size_t count() const { return _frames.size(); }
    // Waits for every picture, then writes header, loop count, pictures and
    // trailer to path atomically.
    Result<void> writeFile(const std::string& path, std::optional<int64_t> loopCount);

private:
    struct Frame {
        std::optional<Data> bytes;
        std::optional<Error> error;
    };
    void waitForAll();

    std::vector<std::shared_ptr<Frame>> _frames;
    int _screenWidth = 0;
    int _screenHeight = 0;
    DispatchGroup _work;
    Semaphore _places;
    std::mutex _lock;  // guards the frames' contents while workers fill them
};

}  // namespace plat::detail
