#include "platform/media/capture/CaptureEngine.h"

#include <algorithm>
#include <chrono>

#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Threads.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/media/FFmpegSupport.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/capture/CaptureFrameReader.h"
#include "platform/media/capture/CaptureOutput.h"
#include "platform/media/capture/CaptureSession.h"
#include "platform/media/capture/CaptureVideoPreviewLayer.h"

namespace plat::detail {

namespace {

// Ticks are handed over this much early: sums of frame intervals on a
// manual clock land a rounding error short of the exact moment.
constexpr double kTickToleranceSeconds = 1e-6;
// A real camera that has no picture yet is asked again after this long.
constexpr auto kLivePollInterval = std::chrono::milliseconds(5);

// The largest size of the picture's shape that fits the video limits.
std::pair<int, int> videoSizeFor(int width, int height)
{
    if (width <= CaptureEngine::kMaxVideoWidth && height <= CaptureEngine::kMaxVideoHeight)
        return {width, height};
    double scale = std::min(static_cast<double>(CaptureEngine::kMaxVideoWidth) / width,
        static_cast<double>(CaptureEngine::kMaxVideoHeight) / height);
    auto even = [](double value) { return std::max(2, static_cast<int>(value / 2) * 2); };
    return {even(width * scale), even(height * scale)};
}

}  // namespace

// 32BGRA pictures scaled to one smaller size, into buffers of a pool.
class PictureScaler {
public:
    static std::unique_ptr<PictureScaler> make(int width, int height)
    {
        auto pool = PixelBufferPool::create(width, height, kPixelFormatType_32BGRA);
        if (!pool.ok())
            return nullptr;
        return std::unique_ptr<PictureScaler>(new PictureScaler(pool.value()));
    }
    ~PictureScaler() { sws_freeContext(_context); }
    PictureScaler(const PictureScaler&) = delete;
    PictureScaler& operator=(const PictureScaler&) = delete;

    std::shared_ptr<PixelBuffer> scale(PixelBuffer& source)
    {
        auto made = _pool->createPixelBuffer();
        if (!made.ok())
            return nullptr;
        PixelBuffer& target = *made.value();
        _context = sws_getCachedContext(_context, source.width(), source.height(), AV_PIX_FMT_BGRA, target.width(),
            target.height(), AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
        if (!_context)
            return nullptr;
        source.lockBaseAddress(PixelBufferLock::ReadOnly);
        target.lockBaseAddress();
        const uint8_t* sourcePlanes[4] = {source.baseAddress(), nullptr, nullptr, nullptr};
        const int sourceStrides[4] = {static_cast<int>(source.bytesPerRow()), 0, 0, 0};
        uint8_t* targetPlanes[4] = {target.baseAddress(), nullptr, nullptr, nullptr};
        const int targetStrides[4] = {static_cast<int>(target.bytesPerRow()), 0, 0, 0};
        int rows = sws_scale(_context, sourcePlanes, sourceStrides, 0, source.height(), targetPlanes, targetStrides);
        target.unlockBaseAddress();
        source.unlockBaseAddress(PixelBufferLock::ReadOnly);
        return rows == target.height() ? made.value() : nullptr;
    }

private:
    explicit PictureScaler(std::shared_ptr<PixelBufferPool> pool)
        : _pool(std::move(pool))
    {
    }
    std::shared_ptr<PixelBufferPool> _pool;
    SwsContext* _context = nullptr;
};

// The newest picture for the preview layers, and whether the main queue
// already has a block on its way to show it: previews show the newest
// picture and never pile up behind a busy main thread.
struct CaptureEngine::PreviewSlot {
    std::mutex lock;
    CapturedFrame newest;  // guarded by lock
    bool handOverQueued = false;  // guarded by lock
};

Result<std::shared_ptr<CaptureEngine>> CaptureEngine::start(CaptureEngineSetup setup)
{
    auto reader = CaptureFrameReader::open(setup.camera, setup.width, setup.height);
    if (!reader.ok())
        return reader.error();
    auto engine = std::make_shared<CaptureEngine>(Passkey(), std::move(setup), std::move(reader).value());
    engine->begin();
    return engine;
}

CaptureEngine::CaptureEngine(Passkey, CaptureEngineSetup setup, std::unique_ptr<CaptureFrameReader> reader)
    : _setup(std::move(setup))
    , _reader(std::move(reader))
    , _queue(DispatchQueue::create("plat.media.capture-session"))
    , _preview(std::make_shared<PreviewSlot>())
{
    std::tie(_videoWidth, _videoHeight) = videoSizeFor(_setup.width, _setup.height);
    if (_videoWidth != _setup.width || _videoHeight != _setup.height)
        _videoScaler = PictureScaler::make(_videoWidth, _videoHeight);
}

CaptureEngine::~CaptureEngine()
{
    _stopped = true;
    _wake.notify_all();
    if (_liveThread.joinable())
        _liveThread.join();
}

void CaptureEngine::begin()
{
    _startUptime = Clock::current().uptimeSeconds();
    if (_reader->isLive()) {
        // The destructor joins, so the thread may use the engine directly.
        _liveThread = startThread("plat-capture", [this] { readLive(); });
        return;
    }
    // The first second is scheduled here, on the main thread, where a manual
    // clock cannot move meanwhile; the ticks themselves keep it topped up.
    scheduleTicksThrough(std::max(2, _setup.camera.frameRate) - 1);
}

void CaptureEngine::stop()
{
    _stopped = true;
    _wake.notify_all();
    if (_liveThread.joinable())
        _liveThread.join();
    else
        _queue->sync([] {});  // a tick in progress finishes; later ones find the stop
}

void CaptureEngine::scheduleTicksThrough(int64_t lastTick)
{
    const double interval = 1.0 / _setup.camera.frameRate;
    for (; _nextTickToSchedule <= lastTick; ++_nextTickToSchedule) {
        const int64_t index = _nextTickToSchedule;
        const double due = _startUptime + static_cast<double>(index + 1) * interval;
        // At its moment, not after a delay: ticks schedule their successors
        // while the clock may move on (a manual clock stepped by the main
        // thread), and a delay would then land the tick a step late.
        _queue->afterUptime(due - kTickToleranceSeconds, [weakSelf = weak_from_this(), index] {
            if (auto self = weakSelf.lock())
                self->tick(index);
        });
    }
}

// A tick makes every picture due up to its own, in order: a tick handed over
// late (its delay measured from a later moment) finds its picture made.
void CaptureEngine::tick(int64_t index)
{
    if (_stopped)
        return;
    const int rate = _setup.camera.frameRate;
    for (; _nextPicture <= index && !_stopped; ++_nextPicture) {
        const double due = _startUptime + static_cast<double>(_nextPicture + 1) / rate;
        if (Clock::current().uptimeSeconds() - due > kMaxLatenessSeconds)
            continue;  // too late to have been taken
        CaptureFrameReader::Frame frame = _reader->readFrame();
        if (frame.status == CaptureFrameReader::Status::Failed) {
            fail(*frame.error);
            return;
        }
        if (frame.pixelBuffer)
            deliver(std::move(frame.pixelBuffer), MediaTime::make(_nextPicture, rate));
    }
    scheduleTicksThrough(index + std::max(2, rate));
}

void CaptureEngine::readLive()
{
    constexpr int32_t kLiveTimescale = 1000000;
    while (!_stopped) {
        CaptureFrameReader::Frame frame = _reader->readFrame();
        if (frame.status == CaptureFrameReader::Status::Failed) {
            fail(*frame.error);
            return;
        }
        if (frame.status == CaptureFrameReader::Status::Picture) {
            double seconds = Clock::current().uptimeSeconds() - _startUptime;
            deliver(std::move(frame.pixelBuffer), MediaTime::makeWithSeconds(seconds, kLiveTimescale));
            continue;
        }
        std::unique_lock lock(_wakeLock);
        _wake.wait_for(lock, kLivePollInterval, [&] { return _stopped.load(); });
    }
}

void CaptureEngine::deliver(std::shared_ptr<PixelBuffer> picture, MediaTime time)
{
    CapturedFrame frame;
    frame.videoPicture = _videoScaler ? _videoScaler->scale(*picture) : picture;
    frame.picture = std::move(picture);
    frame.time = time;
    frame.run = _setup.run;
    frame.position = _setup.camera.position;
    if (!frame.videoPicture)
        frame.videoPicture = frame.picture;
    for (const auto& output : _setup.outputs)
        output->receiveFrame(frame);
    // Counted once every output has it in hand (queued for its delegate).
    ++*_setup.capturedPictures;
    if (_setup.previewLayers.empty())
        return;
    std::unique_lock lock(_preview->lock);
    _preview->newest = frame;
    if (_preview->handOverQueued)
        return;
    _preview->handOverQueued = true;
    lock.unlock();
    DispatchQueue::mainQueue().async([slot = _preview, layers = _setup.previewLayers] {
        CapturedFrame newest;
        {
            std::lock_guard slotLock(slot->lock);
            newest = std::move(slot->newest);
            slot->newest = {};
            slot->handOverQueued = false;
        }
        for (const auto& weakLayer : layers) {
            if (auto layer = weakLayer.lock())
                layer->showPicture(newest);
        }
    });
}

void CaptureEngine::fail(const Error& error)
{
    log("capture session: the camera stopped: {}", error.localizedDescription());
    _stopped = true;
    DispatchQueue::mainQueue().async([session = _setup.session, run = _setup.run, error] {
        if (auto owner = session.lock())
            owner->engineFailed(run, error);
    });
}

}  // namespace plat::detail
