#pragma once
// The reference for storing a frame's three pictures: the work of
// ImageProducer::storeImage done with the libraries directly, no app code
// around it. Thumbnail 272 x 153 and preview 796 x 448 scaled to fill and
// cropped by the same area-averaging resampler, called once on the picture
// (cairo's and libswscale's area filters take four to ten times as long for
// these sizes, so a reference using them would spend its time scaling and
// hide everything else); the three JPEGs encoded by libjpeg-turbo at
// qualities 50, 50 and 100; each written under a temporary name in the
// folder and flushed (fsync), then renamed in the order thumbnail, preview,
// full picture, the folder flushed after each rename. As the app does, the
// preview and the full picture are made on two more threads (waiting
// workers, as the app's thread pool has) while the thumbnail is made on the
// calling one.
#include <algorithm>
#include <condition_variable>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "JpegReference.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Resample.h"

namespace zt::bench {

inline constexpr int kThumbnailWidth = 272;
inline constexpr int kThumbnailHeight = 153;
inline constexpr int kPreviewWidth = 796;
inline constexpr int kPreviewHeight = 448;
inline constexpr int kReducedQuality = 50;
inline constexpr int kFullQuality = 100;

// The picture scaled to fill width x height, centred, the overflow cut off;
// empty when the resampler gives no tile covering the whole size.
inline std::vector<uint8_t> scaleToFill(const plat::Bitmap& picture, int width, int height)
{
    const double widthFactor = static_cast<double>(width) / picture.width();
    const double heightFactor = static_cast<double>(height) / picture.height();
    const double scale = std::max(widthFactor, heightFactor);
    double offsetX = 0, offsetY = 0;
    if (widthFactor > heightFactor)
        offsetY = (height - picture.height() * scale) * 0.5;
    else if (widthFactor < heightFactor)
        offsetX = (width - picture.width() * scale) * 0.5;
    auto tile = plat::detail::resampleAxisAligned(picture, scale, scale, offsetX, offsetY, width, height);
    if (!tile || tile->x != 0 || tile->y != 0 || tile->pixels->width() != width || tile->pixels->height() != height)
        return {};
    const plat::Bitmap& pixels = *tile->pixels;
    return encodedDirectly(pixels.bytes(), pixels.bytesPerRow(), width, height, kReducedQuality);
}

// A file written under a temporary name beside its final path and flushed.
class PendingFile {
public:
    explicit PendingFile(std::string path)
        : _path(std::move(path))
    {
    }
    ~PendingFile()
    {
        if (_fd >= 0) {
            ::close(_fd);
            ::unlink(_temporaryPath.c_str());
        }
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    void writeAndFlush(const std::vector<uint8_t>& bytes)
    {
        _temporaryPath = folder() + "/.tmp-XXXXXX";
        _fd = ::mkostemp(_temporaryPath.data(), O_CLOEXEC);
        if (_fd < 0 || bytes.empty() || ::fchmod(_fd, 0644) != 0)
            return;
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t written = ::write(_fd, bytes.data() + done, bytes.size() - done);
            if (written <= 0)
                return;
            done += static_cast<size_t>(written);
        }
        _written = ::fsync(_fd) == 0;
    }

    bool renameAndFlushFolder()
    {
        const bool closed = _fd >= 0 && ::close(_fd) == 0;
        _fd = -1;
        if (!closed || !_written || ::rename(_temporaryPath.c_str(), _path.c_str()) != 0) {
            ::unlink(_temporaryPath.c_str());
            return false;
        }
        int folderFd = ::open(folder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const bool flushed = folderFd >= 0 && ::fsync(folderFd) == 0;
        if (folderFd >= 0)
            ::close(folderFd);
        return flushed;
    }

private:
    std::string folder() const { return _path.substr(0, _path.rfind('/')); }

    std::string _path;
    std::string _temporaryPath;
    int _fd = -1;
    bool _written = false;
};

// A thread that runs one job at a time, waiting in between.
class Worker {
public:
    Worker()
        : _thread([this] { work(); })
    {
    }
    ~Worker()
    {
        {
            std::lock_guard lock(_lock);
            _stopping = true;
        }
        _changed.notify_all();
        _thread.join();
    }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    void start(std::function<void()> job)
    {
        {
            std::lock_guard lock(_lock);
            _job = std::move(job);
        }
        _changed.notify_all();
    }
    void waitUntilDone()
    {
        std::unique_lock lock(_lock);
        _changed.wait(lock, [this] { return !_job; });
    }

private:
    void work()
    {
        std::unique_lock lock(_lock);
        for (;;) {
            _changed.wait(lock, [this] { return _stopping || _job; });
            if (_stopping)
                return;
            lock.unlock();
            _job();
            lock.lock();
            _job = nullptr;
            _changed.notify_all();
        }
    }

    std::mutex _lock;
    std::condition_variable _changed;
    std::function<void()> _job;  // guarded by _lock
    bool _stopping = false;  // guarded by _lock
    std::thread _thread;
};

// Stores "thumb-ID.jpg", "preview-ID.jpg" and "frame-ID.jpg" of a picture
// in a folder, with two workers of its own for the preview and the full picture.
class DirectFrameStore {
public:
    bool store(const plat::Bitmap& picture, const std::string& folder, const std::string& frameID)
    {
        PendingFile files[3] = {PendingFile(folder + "/thumb-" + frameID + ".jpg"),
            PendingFile(folder + "/preview-" + frameID + ".jpg"), PendingFile(folder + "/frame-" + frameID + ".jpg")};
        // The longest first, as the app starts them.
        _fullWorker.start([&] {
            files[2].writeAndFlush(encodedDirectly(
                picture.bytes(), picture.bytesPerRow(), picture.width(), picture.height(), kFullQuality));
        });
        _previewWorker.start([&] { files[1].writeAndFlush(scaleToFill(picture, kPreviewWidth, kPreviewHeight)); });
        files[0].writeAndFlush(scaleToFill(picture, kThumbnailWidth, kThumbnailHeight));
        _previewWorker.waitUntilDone();
        _fullWorker.waitUntilDone();
        for (PendingFile& file : files) {
            if (!file.renameAndFlushFolder())
                return false;
        }
        return true;
    }

private:
    Worker _previewWorker;
    Worker _fullWorker;
};

}  // namespace zt::bench
