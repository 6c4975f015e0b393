#include "glimage/GLImageMovie.h"

#include "glimage/GLImageContext.h"
#include "glimage/GLImageMovieWriter.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Semaphore.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/media/Asset.h"
#include "platform/media/AssetReader.h"
#include "platform/media/AssetReaderTrackOutput.h"
#include "platform/media/AssetWriterInputPixelBufferAdaptor.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/PlayerItem.h"
#include "platform/media/SampleBuffer.h"
#include "platform/ui/DisplayLink.h"
#include "platform/ui/Object.h"

namespace zt {

namespace detail {

// The display timer's target: toolkit timers call toolkit objects, so this
// one passes the ticks on to its movie.
class GLImageMovieDisplayTarget : public plat::Object {
public:
    explicit GLImageMovieDisplayTarget(std::weak_ptr<GLImageMovie> movie)
        : _movie(std::move(movie))
    {
    }
    void tick(plat::DisplayLink& sender)
    {
        if (auto movie = _movie.lock())
            movie->displayLinkCallback(sender);
    }

private:
    std::weak_ptr<GLImageMovie> _movie;
};

}  // namespace detail

namespace {

// Movies are read as full-range YUV planes, converted on the GPU.
plat::Dictionary videoReadingSettings()
{
    return plat::Dictionary {{plat::kPixelBufferPixelFormatTypeKey,
        static_cast<int64_t>(plat::kPixelFormatType_420YpCbCr8BiPlanarFullRange)}};
}

plat::Error readingError(const std::string& text)
{
    return plat::Error(plat::kMediaErrorDomain, plat::kMediaErrorOperationNotSupportedForAsset, text);
}

}  // namespace

plat::Dictionary GLImageMovie::audioReadingSettings()
{
    return plat::Dictionary {{plat::kFormatIDKey, static_cast<int64_t>(plat::kAudioFormatLinearPCM)},
        {plat::kLinearPCMBitDepthKey, int64_t {16}}};
}

GLImageMovie::GLImageMovie(Passkey) { }

std::shared_ptr<GLImageMovie> GLImageMovie::initWithURL(const plat::URL& url)
{
    auto movie = std::make_shared<GLImageMovie>(Passkey());
    movie->textureCacheSetup();
    movie->_url = url;
    return movie;
}

std::shared_ptr<GLImageMovie> GLImageMovie::initWithAsset(std::shared_ptr<const plat::Asset> asset)
{
    auto movie = std::make_shared<GLImageMovie>(Passkey());
    movie->textureCacheSetup();
    movie->setAsset(std::move(asset));
    return movie;
}

std::shared_ptr<GLImageMovie> GLImageMovie::initWithPlayerItem(std::shared_ptr<plat::PlayerItem> playerItem)
{
    auto movie = std::make_shared<GLImageMovie>(Passkey());
    movie->textureCacheSetup();
    movie->_playerItem = std::move(playerItem);
    return movie;
}

GLImageMovie::~GLImageMovie()
{
    auto link = std::move(displayLink);
    auto output = std::move(playerItemOutput);
    auto item = _playerItem;
    // The timer calls its target until it is invalidated: the target stays till then.
    auto teardown = [link, output, item, target = std::move(displayTarget)] {
        if (link)
            link->invalidate();
        if (item && output)
            item->removeOutput(output);
    };
    if (plat::isMainThread())
        teardown();
    else
        plat::DispatchQueue::mainQueue().async(std::move(teardown));
}

void GLImageMovie::textureCacheSetup()
{
    // The texture cache is made with the first frame; the base's own
    // texture stays for the upload path until a YUV picture's framebuffer
    // makes it anew.
    setUpPictureConversion();
}

std::shared_ptr<const plat::Asset> GLImageMovie::asset() const
{
    std::lock_guard guard(_lock);
    return _asset;
}

void GLImageMovie::setAsset(std::shared_ptr<const plat::Asset> asset)
{
    std::lock_guard guard(_lock);
    _asset = std::move(asset);
}

std::shared_ptr<plat::AssetReader> GLImageMovie::assetReader() const
{
    std::lock_guard guard(_lock);
    return reader;
}

void GLImageMovie::setDelegate(std::weak_ptr<GLImageMovieDelegate> delegate)
{
    std::lock_guard guard(_lock);
    _delegate = std::move(delegate);
}

std::optional<plat::Error> GLImageMovie::error() const
{
    std::lock_guard guard(_lock);
    return _error;
}

void GLImageMovie::enableSynchronizedEncodingUsingMovieWriter(const std::shared_ptr<GLImageMovieWriter>& movieWriter)
{
    {
        std::lock_guard guard(_lock);
        synchronizedMovieWriter = movieWriter;
    }
    movieWriter->setEncodingLiveVideo(false);
}

void GLImageMovie::startProcessing()
{
    auto self = std::static_pointer_cast<GLImageMovie>(shared_from_this());
    if (_playerItem) {
        // The display timer belongs to the main thread.
        if (plat::isMainThread())
            processPlayerItem();
        else
            plat::DispatchQueue::mainQueue().async([self] { self->processPlayerItem(); });
        return;
    }
    // An asset loops as a file does: without the mark its reading loop
    // would not read a single frame.
    if (_shouldRepeat)
        keepLooping = true;
    previousFrameTime = plat::MediaTime::zero();
    previousActualFrameTime = plat::Clock::current().uptimeSeconds();
    if (_url) {
        // The file is opened and its tracks read away from the caller; the
        // frames are then read on the context queue, unless the movie was
        // ended meanwhile.
        plat::DispatchQueue::globalQueue().async([self, url = *_url, run = _run.load()] {
            auto loaded = plat::URLAsset::URLAssetWithURL(url);
            runSynchronouslyOnContextQueue([&] {
                if (self->_run != run)
                    return;
                self->setAsset(loaded);
                self->processAsset();
            });
        });
        return;
    }
    processAsset();
}

std::shared_ptr<plat::AssetReader> GLImageMovie::createAssetReader()
{
    auto readAsset = asset();
    if (!readAsset)
        return nullptr;
    auto made = plat::AssetReader::assetReaderWithAsset(readAsset);
    if (!made.ok()) {
        plat::log("GLImageMovie: no reader for the movie: {}", made.error().localizedDescription());
        return nullptr;
    }
    auto assetReader = made.value();
    auto videoTracks = readAsset->tracksWithMediaType(plat::kMediaTypeVideo);
    if (!videoTracks.empty()) {
        auto output = plat::AssetReaderTrackOutput::assetReaderTrackOutputWithTrack(
            videoTracks.front(), videoReadingSettings());
        if (assetReader->canAddOutput(output))
            assetReader->addOutput(output);
    }
    auto audioTracks = readAsset->tracksWithMediaType(plat::kMediaTypeAudio);
    if (!audioTracks.empty()) {
        if (auto target = audioEncodingTarget()) {
            target->setShouldInvalidateAudioSampleWhenDone(true);
            auto output = plat::AssetReaderTrackOutput::assetReaderTrackOutputWithTrack(
                audioTracks.front(), audioReadingSettings());
            if (assetReader->canAddOutput(output))
                assetReader->addOutput(output);
        }
    }
    return assetReader;
}

void GLImageMovie::failToRead(const plat::Error& error)
{
    if (_url)
        plat::log("Error reading from file at URL: {}: {}", _url->absoluteString(), error.localizedDescription());
    else
        plat::log("Error reading the movie: {}", error.localizedDescription());
    std::shared_ptr<GLImageMovieDelegate> delegate;
    std::shared_ptr<GLImageMovieWriter> writer;
    {
        std::lock_guard guard(_lock);
        _error = error;
        delegate = _delegate.lock();
        writer = synchronizedMovieWriter.lock();
    }
    // The end as far as the targets and a writer are concerned, without a completion.
    keepLooping = false;
    ++_run;
    _ended = true;
    runSynchronouslyOnContextQueue([this] {
        auto targets = _targets;
        for (const auto& target : targets)
            target->endProcessing();
    });
    if (writer) {
        writer->setVideoInputReadyCallback([] { return false; });
        writer->setAudioInputReadyCallback([] { return false; });
    }
    if (delegate)
        delegate->didFailToPlayMovieWithError(error);
}

void GLImageMovie::processAsset()
{
    _ended = false;
    auto assetReader = createAssetReader();
    {
        std::lock_guard guard(_lock);
        reader = assetReader;
    }
    _audioEncodingIsFinished = true;
    _videoEncodingIsFinished = false;
    if (!assetReader) {
        auto urlAsset = std::dynamic_pointer_cast<const plat::URLAsset>(asset());
        failToRead(urlAsset && urlAsset->error() ? *urlAsset->error() : readingError("The movie cannot be read."));
        return;
    }
    std::shared_ptr<plat::AssetReaderOutput> videoOutput;
    std::shared_ptr<plat::AssetReaderOutput> audioOutput;
    for (const auto& output : assetReader->outputs()) {
        const auto tracks = output->tracksRead();
        if (tracks.empty())
            continue;
        if (tracks.front()->mediaType() == plat::kMediaTypeAudio) {
            audioOutput = output;
            _audioEncodingIsFinished = false;
        } else if (tracks.front()->mediaType() == plat::kMediaTypeVideo) {
            videoOutput = output;
        }
    }
    if (!videoOutput) {
        failToRead(readingError("The movie has no video track that can be read."));
        return;
    }
    if (!assetReader->startReading()) {
        failToRead(assetReader->error().value_or(readingError("The movie's reader would not start.")));
        return;
    }

    std::shared_ptr<GLImageMovieWriter> writer;
    {
        std::lock_guard guard(_lock);
        writer = synchronizedMovieWriter.lock();
    }
    if (writer) {
        std::weak_ptr<GLImageMovie> weakSelf = std::static_pointer_cast<GLImageMovie>(shared_from_this());
        writer->setVideoInputReadyCallback([weakSelf, videoOutput] {
            auto self = weakSelf.lock();
            return self && self->readNextVideoFrameFromOutput(videoOutput);
        });
        writer->setAudioInputReadyCallback([weakSelf, audioOutput] {
            auto self = weakSelf.lock();
            return self && audioOutput && self->readNextAudioSampleFromOutput(audioOutput);
        });
        writer->enableSynchronizationCallbacks();
        return;
    }

    while (assetReader->status() == plat::AssetReaderStatus::Reading && !(_shouldRepeat && !keepLooping)) {
        readNextVideoFrameFromOutput(videoOutput);
        if (audioOutput && !_audioEncodingIsFinished)
            readNextAudioSampleFromOutput(audioOutput);
    }
    if (assetReader->status() == plat::AssetReaderStatus::Completed) {
        assetReader->cancelReading();
        if (keepLooping) {
            {
                std::lock_guard guard(_lock);
                reader.reset();
            }
            // Starts over unless the movie is ended before the main queue gets to it.
            auto self = std::static_pointer_cast<GLImageMovie>(shared_from_this());
            plat::DispatchQueue::mainQueue().async([self, run = _run.load()] {
                if (self->_run == run)
                    self->startProcessing();
            });
        } else {
            endProcessing();
        }
    } else if (assetReader->status() == plat::AssetReaderStatus::Failed) {
        failToRead(assetReader->error().value_or(readingError("The movie could not be read to its end.")));
    }
}

void GLImageMovie::waitForActualSpeed(const plat::MediaTime& frameTime)
{
    const double movieGap = (frameTime - previousFrameTime).seconds();
    const double actualGap = plat::Clock::current().uptimeSeconds() - previousActualFrameTime;
    if (movieGap > actualGap) {
        // Woken by the clock, whichever clock runs.
        plat::Semaphore due;
        plat::DispatchQueue::globalQueue().after(movieGap - actualGap, [due]() mutable { due.signal(); });
        due.wait();
    }
    previousFrameTime = frameTime;
    previousActualFrameTime = plat::Clock::current().uptimeSeconds();
}

bool GLImageMovie::readNextVideoFrameFromOutput(const std::shared_ptr<plat::AssetReaderOutput>& readerVideoTrackOutput)
{
    auto assetReader = this->assetReader();
    if (assetReader && assetReader->status() == plat::AssetReaderStatus::Reading && !_videoEncodingIsFinished) {
        if (auto sampleBuffer = readerVideoTrackOutput->copyNextSampleBuffer()) {
            if (_playAtActualSpeed)
                waitForActualSpeed(sampleBuffer->presentationTimeStamp());
            runSynchronouslyOnContextQueue([&] { processMovieFrame(sampleBuffer); });
            return true;
        }
        if (!keepLooping) {
            _videoEncodingIsFinished = true;
            if (_audioEncodingIsFinished)
                endProcessing();
        }
        return false;
    }
    bool synchronized = false;
    {
        std::lock_guard guard(_lock);
        synchronized = !synchronizedMovieWriter.expired();
    }
    if (synchronized && assetReader && assetReader->status() == plat::AssetReaderStatus::Completed)
        endProcessing();
    return false;
}

bool GLImageMovie::readNextAudioSampleFromOutput(const std::shared_ptr<plat::AssetReaderOutput>& readerAudioTrackOutput)
{
    auto assetReader = this->assetReader();
    if (assetReader && assetReader->status() == plat::AssetReaderStatus::Reading && !_audioEncodingIsFinished) {
        if (auto audioSampleBuffer = readerAudioTrackOutput->copyNextSampleBuffer()) {
            if (auto target = audioEncodingTarget())
                target->processAudioBuffer(audioSampleBuffer);
            return true;
        }
        if (!keepLooping) {
            _audioEncodingIsFinished = true;
            if (_videoEncodingIsFinished)
                endProcessing();
        }
        return false;
    }
    bool synchronized = false;
    {
        std::lock_guard guard(_lock);
        synchronized = !synchronizedMovieWriter.expired();
    }
    if (synchronized && assetReader && assetReader->status() == plat::AssetReaderStatus::Completed)
        endProcessing();
    return false;
}

void GLImageMovie::processMovieFrame(const std::shared_ptr<const plat::SampleBuffer>& movieSampleBuffer)
{
    if (!movieSampleBuffer || !movieSampleBuffer->imageBuffer())
        return;
    processMovieFrame(movieSampleBuffer->imageBuffer(), movieSampleBuffer->presentationTimeStamp());
}

void GLImageMovie::processMovieFrame(
    const std::shared_ptr<plat::PixelBuffer>& movieFrame, const plat::MediaTime& currentSampleTime)
{
    runSynchronouslyOnContextQueue([&] {
        const int bufferWidth = movieFrame->width();
        const int bufferHeight = movieFrame->height();
        const double startTime = plat::Clock::current().uptimeSeconds();
        GLImageContext::useImageProcessingContext();
        std::weak_ptr<GLImageTextureDelegate> self = weak_from_this();
        auto targets = _targets;
        auto indices = targetTextureIndices;
        handOverPicture(movieFrame, "Movie", [&](PictureUpload upload) {
            for (size_t i = 0; i < targets.size(); ++i) {
                if (!hasTargetAt(targets[i], indices[i]))
                    continue;
                targets[i]->setInputSize({double(bufferWidth), double(bufferHeight)}, indices[i]);
                if (upload == PictureUpload::Textures) {
                    // Monochrome targets read a YUV picture's luminance plane as it is.
                    const bool monochrome = targets[i]->wantsMonochromeInput() && luminanceTexture() != 0;
                    targets[i]->setCurrentlyReceivingMonochromeInput(monochrome);
                    targets[i]->setInputTexture(monochrome ? luminanceTexture() : textureForOutput(), indices[i]);
                    targets[i]->setTextureDelegate(self, indices[i]);
                } else {
                    targets[i]->setInputTexture(outputTexture.name(), indices[i]);
                }
                targets[i]->newFrameReadyAtTime(currentSampleTime, indices[i]);
            }
        });
        if (_runBenchmark)
            plat::log("Current frame time : {} ms", (plat::Clock::current().uptimeSeconds() - startTime) * 1000.0);
    });
}

void GLImageMovie::processPlayerItem()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    _ended = false;
    // A second start replaces the first one's timer and output.
    if (displayLink)
        displayLink->invalidate();
    if (playerItemOutput)
        _playerItem->removeOutput(playerItemOutput);
    auto self = std::static_pointer_cast<GLImageMovie>(shared_from_this());
    displayTarget = std::make_shared<detail::GLImageMovieDisplayTarget>(self);
    displayLink
        = plat::DisplayLink::displayLinkWithTarget(displayTarget.get(), &detail::GLImageMovieDisplayTarget::tick);
    displayLink->addToRunLoop();
    displayLink->setPaused(true);
    playerItemOutput = plat::PlayerItemVideoOutput::videoOutputWithPixelBufferAttributes(videoReadingSettings());
    // The display timer lives on the main thread, so the output tells it there.
    playerItemOutput->setDelegate(std::static_pointer_cast<plat::PlayerItemOutputPullDelegate>(self), nullptr);
    _playerItem->addOutput(playerItemOutput);
    playerItemOutput->requestNotificationOfMediaDataChangeWithAdvanceInterval(0.1);
}

void GLImageMovie::outputMediaDataWillChange(plat::PlayerItemVideoOutput&)
{
    if (displayLink && !_ended)
        displayLink->setPaused(false);
}

void GLImageMovie::displayLinkCallback(plat::DisplayLink& sender)
{
    const double nextVSync = sender.timestamp() + sender.duration();
    const plat::MediaTime outputItemTime = playerItemOutput->itemTimeForHostTime(nextVSync);
    if (!playerItemOutput->hasNewPixelBufferForItemTime(outputItemTime))
        return;
    plat::MediaTime shownAt;
    auto pixelBuffer = playerItemOutput->copyPixelBufferForItemTime(outputItemTime, &shownAt);
    if (pixelBuffer)
        processMovieFrame(pixelBuffer, outputItemTime);
}

void GLImageMovie::cancelProcessing()
{
    if (auto assetReader = this->assetReader())
        assetReader->cancelReading();
    endProcessing();
}

void GLImageMovie::endProcessing()
{
    keepLooping = false;
    ++_run;
    // The streams' ends and the reader's completion each end the movie:
    // the targets and the delegate hear of it once a run.
    if (_ended.exchange(true))
        return;
    if (_playerItem) {
        // The display timer is the main thread's.
        auto pause
            = [weakSelf = std::weak_ptr<GLImageMovie>(std::static_pointer_cast<GLImageMovie>(shared_from_this()))] {
                  auto self = weakSelf.lock();
                  if (self && self->displayLink)
                      self->displayLink->setPaused(true);
              };
        if (plat::isMainThread())
            pause();
        else
            plat::DispatchQueue::mainQueue().async(std::move(pause));
    }
    runSynchronouslyOnContextQueue([this] {
        auto targets = _targets;
        for (const auto& target : targets)
            target->endProcessing();
    });
    std::shared_ptr<GLImageMovieWriter> writer;
    std::shared_ptr<GLImageMovieDelegate> delegate;
    {
        std::lock_guard guard(_lock);
        writer = synchronizedMovieWriter.lock();
        delegate = _delegate.lock();
        _delegate.reset();
    }
    if (writer) {
        writer->setVideoInputReadyCallback([] { return false; });
        writer->setAudioInputReadyCallback([] { return false; });
    }
    if (delegate)
        delegate->didCompletePlayingMovie();
}

}  // namespace zt
