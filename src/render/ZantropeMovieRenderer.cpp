#include "render/ZantropeMovieRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "document/AudioClip.h"
#include "document/FilledText.h"
#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UniformTypeIdentifiers.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/graphics/UprightPixels.h"
#include "platform/media/AssetExportSession.h"
#include "platform/media/AssetReader.h"
#include "platform/media/AssetReaderAudioMixOutput.h"
#include "platform/media/AssetWriter.h"
#include "platform/media/AssetWriterInput.h"
#include "platform/media/AssetWriterInputPixelBufferAdaptor.h"
#include "platform/media/AudioMix.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/MutableComposition.h"
#include "platform/media/SampleBuffer.h"
#include "render/ApplicationIdleTimer.h"
#include "render/Check4KReady.h"
#include "render/MovieMixer.h"
#include "render/RenderImageProducer.h"

namespace zt {

namespace {

constexpr const char* kAudioQueueLabel = "assetAudioWriterQueue";
constexpr const char* kVideoQueueLabel = "assetVideoWriterQueue";
constexpr const char* kUHDPreset = "AVAssetExportPreset3840x2160";
constexpr const char* kMovieExtension = "mov";
constexpr const char* kAppendFailedMessage = "Error while appending sample buffer.";
constexpr const char* kMovieNotWrittenMessage = "The movie could not be written.";
constexpr int kTrackCount = 3;

struct SizeEstimate {
    plat::Size size;
    float kibPerSecond;
    float baseKib;
};

constexpr SizeEstimate kSizeEstimates[] = {
    {{3840, 2160}, 1750, 212},
    {{1920, 1080}, 750, 212},
    {{1280, 720}, 640, 178},
    {{960, 540}, 473, 154},
    {{640, 360}, 360, 134},
    {{640, 480}, 410, 148},
    {{640, 640}, 540, 178},
};

struct HeightBitRate {
    double height;
    int64_t bitsPerSecond;
};

constexpr HeightBitRate kBitRates[] = {
    {2160, 45000000},
    {1440, 15000000},
    {720, 7500000},
    {540, 4000000},
    {480, 2500000},
    {360, 1000000},
};
constexpr int64_t kDefaultBitRate = 10000000;

bool hasPreset(const std::vector<std::string>& presets, const char* preset)
{
    return std::find(presets.begin(), presets.end(), preset) != presets.end();
}

std::shared_ptr<MovieExportType> movieType(const char* title, const char* preset, plat::Size size)
{
    return std::make_shared<MovieExportType>(
        plat::localized(title), std::string(preset), size, plat::kUTTypeQuickTimeMovie, kMovieExtension);
}

// Premultiplied pixels of the bitmap's order as 32-bit ARGB words in memory
// (the alpha byte first): one byte turn per pixel.
void copyRowAsARGB(const uint8_t* source, uint8_t* destination, int pixels, plat::PixelOrder order)
{
    for (int i = 0; i < pixels; ++i) {
        uint32_t word;
        std::memcpy(&word, source + i * 4, 4);
        // BGRA reversed is ARGB; RGBA turned by a byte is ARGB.
        word = order == plat::PixelOrder::BGRA ? __builtin_bswap32(word) : (word << 8) | (word >> 24);
        std::memcpy(destination + i * 4, &word, 4);
    }
}

// The clip as its lane names it; a clip without a name by where it starts.
std::string shownNameOfClip(const AudioClip& clip)
{
    if (clip.name() && !clip.name()->empty())
        return *clip.name();
    return filledText(plat::localized("Sound at frame %@"), {std::to_string(clip.startFrameIndex() + 1)});
}

}  // namespace

namespace detail {

std::vector<std::shared_ptr<MovieExportType>> movieExportTypes(
    bool canRender4K, const std::vector<std::string>& presets)
{
    std::vector<std::shared_ptr<MovieExportType>> types;
    if (canRender4K)
        types.push_back(movieType("UHDTV - 4K", kUHDPreset, {3840, 2160}));
    if (hasPreset(presets, plat::kAssetExportPreset1920x1080))
        types.push_back(movieType("HD - 1080p", plat::kAssetExportPreset1920x1080, {1920, 1080}));
    if (hasPreset(presets, plat::kAssetExportPreset1280x720)) {
        types.push_back(movieType("HD - 720p", plat::kAssetExportPreset1280x720, {1280, 720}));
        types.push_back(movieType("Square - Instagram", plat::kAssetExportPreset1280x720, {640, 640}));
    }
    if (hasPreset(presets, plat::kAssetExportPreset960x540))
        types.push_back(movieType("Large - 540p", plat::kAssetExportPreset960x540, {960, 540}));
    if (hasPreset(presets, plat::kAssetExportPresetLowQuality))
        types.push_back(movieType("Medium - 360p", plat::kAssetExportPresetLowQuality, {640, 360}));
    if (types.empty() && hasPreset(presets, plat::kAssetExportPreset640x480))
        types.push_back(movieType("640x480", plat::kAssetExportPreset640x480, {640, 480}));
    return types;
}

uint64_t estimatedMovieFileSize(plat::Size size, int64_t entryCount, int64_t fps)
{
    if (fps < 1)
        return kUnknownEstimatedFileSize;
    for (const SizeEstimate& estimate : kSizeEstimates) {
        if (estimate.size != size)
            continue;
        float seconds = static_cast<float>(entryCount - 1) / static_cast<float>(fps);
        float kib = seconds * estimate.kibPerSecond + estimate.baseKib;
        return kib > 0 ? static_cast<uint64_t>(kib) : 0;
    }
    return kUnknownEstimatedFileSize;
}

int64_t averageBitRateForHeight(double height)
{
    for (const HeightBitRate& entry : kBitRates) {
        if (std::trunc(height) == entry.height)
            return entry.bitsPerSecond;
    }
    return kDefaultBitRate;
}

}  // namespace detail

ZantropeMovieRenderer::ZantropeMovieRenderer(std::shared_ptr<ProjectModel> project)
    : MovieRenderer(std::move(project))
{
}

ZantropeMovieRenderer::~ZantropeMovieRenderer() = default;

RenderImageProducer& ZantropeMovieRenderer::imageProducer()
{
    if (!_imageProducer)
        _imageProducer = std::make_shared<RenderImageProducer>(renderProject());
    return *_imageProducer;
}

std::optional<std::string> ZantropeMovieRenderer::getSupportedUTI() const
{
    return std::string(plat::kUTTypeQuickTimeMovie);
}

std::vector<std::shared_ptr<MovieExportType>> ZantropeMovieRenderer::getSupportedExportTypes()
{
    return detail::movieExportTypes(
        Check4KReady::canRender4KResolution(), plat::AssetExportSession::allExportPresets());
}

uint64_t ZantropeMovieRenderer::getEstimatedFileSizeAfterExportforType(const MovieExportType& type)
{
    auto source = projectForReading();
    return detail::estimatedMovieFileSize(type.size(), source->getFrameList().count(), source->recordFPS());
}

UnreadablePictureFill ZantropeMovieRenderer::unreadablePictureFill() const
{
    return UnreadablePictureFill::Black;
}

void ZantropeMovieRenderer::cancelExport()
{
    setStatus(MovieRendererStatusCancelled);
}

void ZantropeMovieRenderer::exportProjectWithExportType(
    std::shared_ptr<MovieExportType> type, std::function<void()> completionHandler)
{
    beginExport(std::move(type), std::move(completionHandler));
    ApplicationIdleTimer::setIdleTimerDisabled(true);
    renderMovie();
    // The writing goes on on the writer's queues; the screen may sleep meanwhile, as before.
    ApplicationIdleTimer::setIdleTimerDisabled(false);
}

void ZantropeMovieRenderer::renderMovie()
{
    setStatusUnlessCancelled(MovieRendererStatusRendering);
    _fps = renderProject()->recordFPS();
    _totalFrames = imageProducer().getNumberOfFramesForRendering();
    auto type = exportType();
    std::optional<plat::Error> refusal;
    if (_totalFrames <= 0)
        refusal = noFramesError(kErrorDomain, kNoFramesErrorCode);
    else if (!type)
        refusal = plat::Error(kErrorDomain, kNoExportTypeErrorCode, "No export type found in project.");
    else if (std::trunc(type->size().width) == 0 || std::trunc(type->size().height) == 0)
        refusal = plat::Error(kErrorDomain, kInvalidSizeErrorCode, "Not a valid movie size.");
    if (refusal) {
        fail(*refusal);
        finishExport(CompletionThread::CallingThread);
        return;
    }
    _frameSize = {std::trunc(type->size().width), std::trunc(type->size().height)};
    plat::URL url = getExportURLForExportType(*type);
    setExportURL(url);
    _unfinishedPath = plat::temporaryPathBeside(url.path());
    if (!openWriterAt(plat::URL::fileURLWithPath(_unfinishedPath), _frameSize)) {
        removeUnfinishedMovie();
        // Without a writer nothing would ever end the export: it ends here.
        finishExport(CompletionThread::CallingThread);
        return;
    }
    _frameCounter = 0;
    // The blocks keep the renderer alive until their input is finished, which lets them go.
    _audioQueue = plat::DispatchQueue::create(kAudioQueueLabel);
    _audioWriterInput->requestMediaDataWhenReadyOnQueue(_audioQueue,
        [self = std::static_pointer_cast<ZantropeMovieRenderer>(shared_from_this())] { self->writeSound(); });
    _videoQueue = plat::DispatchQueue::create(kVideoQueueLabel);
    _videoWriterInput->requestMediaDataWhenReadyOnQueue(_videoQueue,
        [self = std::static_pointer_cast<ZantropeMovieRenderer>(shared_from_this())] { self->writePictures(); });
}

void ZantropeMovieRenderer::failWithWriterError(const std::optional<plat::Error>& writerError)
{
    if (!writerError) {
        fail(plat::Error(kWriterErrorDomain, kWriterErrorCode, plat::localized(kAppendFailedMessage)));
        return;
    }
    // The writer names the movie's temporary file: the log keeps it, the person gets the system's reason.
    plat::log("movie: {}", writerError->localizedDescription());
    fail(writeError(kWriterErrorDomain, kWriterErrorCode, plat::localized(kMovieNotWrittenMessage), writerError));
}

bool ZantropeMovieRenderer::openWriterAt(const plat::URL& url, plat::Size frameSize)
{
    // The last movie is not removed first: it stays until the new one is whole.
    std::optional<plat::Error> error;
    _writer = plat::AssetWriter::assetWriterWithURL(url, plat::kFileTypeQuickTimeMovie, &error);
    if (!_writer) {
        failWithWriterError(error);
        return false;
    }
    if (!setupAssetWriterVideoInputWithVideoSize(frameSize)) {
        fail(plat::Error(kErrorDomain, kInvalidSizeErrorCode, "Not a valid movie size."));
        return false;
    }
    (void)setupAssetWriterAudioInput();
    if (!_writer->startWriting()) {
        failWithWriterError(_writer->error());
        return false;
    }
    _writer->startSessionAtSourceTime(plat::MediaTime::zero());
    return true;
}

bool ZantropeMovieRenderer::setupAssetWriterVideoInputWithVideoSize(plat::Size size)
{
    auto width = static_cast<int64_t>(size.width);
    auto height = static_cast<int64_t>(size.height);
    auto type = exportType();
    plat::Dictionary compression {
        {plat::kVideoAllowFrameReorderingKey, false},
        {plat::kVideoProfileLevelKey, plat::kVideoProfileLevelH264HighAutoLevel},
        {plat::kVideoAverageBitRateKey, detail::averageBitRateForHeight(type ? type->size().height : size.height)},
    };
    plat::Dictionary settings {
        {plat::kVideoCodecKey, plat::kVideoCodecH264},
        {plat::kVideoWidthKey, width},
        {plat::kVideoHeightKey, height},
        {plat::kVideoCompressionPropertiesKey, compression},
    };
    _videoWriterInput = plat::AssetWriterInput::assetWriterInputWithMediaType(plat::kMediaTypeVideo, settings);
    if (!_videoWriterInput)
        return false;
    _adaptor = plat::AssetWriterInputPixelBufferAdaptor::assetWriterInputPixelBufferAdaptorWithAssetWriterInput(
        _videoWriterInput, std::nullopt);
    // One pool for the export: a picture's buffer comes back once the encoder is done with it.
    auto pool = plat::PixelBufferPool::create(
        static_cast<int>(width), static_cast<int>(height), plat::kPixelFormatType_32ARGB);
    if (!pool.ok() || !_writer->canAddInput(_videoWriterInput))
        return false;
    _pixelBuffers = pool.value();
    _writer->addInput(_videoWriterInput);
    _videoWriterInput->setExpectsMediaDataInRealTime(false);
    return true;
}

bool ZantropeMovieRenderer::isClipValid(const AudioClip& clip)
{
    if (const auto& anchor = clip.linkToFrameUID()) {
        if (renderProject()->getFrameList().getIndexOfFrameWithUID(*anchor) == plat::kNotFound)
            return false;
    }
    if (clip.duration() == plat::MediaTime::zero())
        return false;
    if (!clip.start().isValid() || !clip.duration().isValid())
        return false;
    if (!MovieMixer::isValidTimeRange(clip.timeRangeInMovie()))
        return false;
    return clip.startFrameIndex() <= clip.endFrameIndex();
}

bool ZantropeMovieRenderer::setupAssetWriterAudioInput()
{
    auto project = renderProject();
    auto metadata = project->getMetaData();
    auto stored = metadata ? metadata->getDictionary("RecordMetaAudio") : std::nullopt;
    MovieMixer::ClipList tracks(kTrackCount);
    MovieMixer mixer(project);
    for (int track = 0; track < kTrackCount; ++track) {
        auto records = stored ? stored->getArray("TRACK_" + std::to_string(track)) : std::nullopt;
        if (!records)
            continue;
        for (const plat::Value& entry : *records) {
            auto record = entry.asDictionary();
            if (!record)
                continue;
            auto clip = std::make_shared<AudioClip>(AudioClip::initClipWithMetaData(*record));
            clip->setTrack(track);
            mixer.calculateAudioClipTimeRangeInMovieForClip(*clip);
            if (!isClipValid(*clip))
                continue;
            // A damaged sound would only be silence: it is left out, and named when the export ends.
            if (!mixer.canReadSoundOfClip(*clip)) {
                noteUnreadableSound(shownNameOfClip(*clip));
                continue;
            }
            tracks[static_cast<size_t>(track)].push_back(clip);
        }
    }
    int64_t total = imageProducer().getNumberOfFramesForRendering();
    auto duration = plat::MediaTime::make(total, static_cast<int32_t>(_fps));
    std::shared_ptr<plat::MutableComposition> composition;
    std::shared_ptr<plat::AudioMix> audioMix;
    (void)mixer.prepareAVMutableComposition(&composition, &audioMix, tracks, duration, nullptr);
    // A reader that cannot read leaves a movie without sound.
    auto reader = plat::AssetReader::assetReaderWithAsset(composition);
    if (reader.ok()) {
        _audioReader = reader.value();
        auto output = plat::AssetReaderAudioMixOutput::assetReaderAudioMixOutputWithAudioTracks(
            composition->tracksWithMediaType(plat::kMediaTypeAudio),
            plat::Dictionary {{plat::kFormatIDKey, plat::kAudioFormatLinearPCM}});
        output->setAudioMix(audioMix);
        if (_audioReader->canAddOutput(output)) {
            _audioReader->addOutput(output);
            _readerOutput = output;
        }
    }
    // Without output settings the linear PCM of the mix is written as it comes.
    _audioWriterInput = plat::AssetWriterInput::assetWriterInputWithMediaType(plat::kMediaTypeAudio, std::nullopt);
    if (_audioReader && !_audioReader->startReading())
        _readerOutput.reset();
    _writer->addInput(_audioWriterInput);
    _audioWriterInput->setExpectsMediaDataInRealTime(false);
    return true;
}

std::shared_ptr<plat::Image> ZantropeMovieRenderer::applyPostRenderStep(
    std::shared_ptr<plat::Image> image, int64_t frameIndex)
{
    (void)frameIndex;
    return image;
}

std::shared_ptr<plat::PixelBuffer> ZantropeMovieRenderer::pixelBufferFromCGImage(const plat::Image* image)
{
    auto made = _pixelBuffers->createPixelBuffer();
    if (!made.ok())
        return nullptr;
    std::shared_ptr<plat::PixelBuffer> buffer = made.value();
    std::shared_ptr<const plat::Bitmap> bitmap = image ? plat::uprightPixels(*image) : nullptr;
    int width = buffer->width();
    int height = buffer->height();
    buffer->lockBaseAddress();
    uint8_t* base = buffer->baseAddress();
    size_t bytesPerRow = buffer->bytesPerRow();
    // Pooled buffers hold an earlier picture: whatever the picture leaves uncovered is black.
    if (!bitmap || bitmap->width() != width || bitmap->height() != height)
        std::memset(base, 0, bytesPerRow * static_cast<size_t>(height));
    if (bitmap) {
        int rows = std::min(bitmap->height(), height);
        int columns = std::min(bitmap->width(), width);
        // Drawn at (0, 0) of a bottom-up context: the picture's last row lands on the buffer's last.
        int sourceTop = bitmap->height() - rows;
        int destinationTop = height - rows;
        for (int y = 0; y < rows; ++y)
            copyRowAsARGB(bitmap->row(sourceTop + y), base + static_cast<size_t>(destinationTop + y) * bytesPerRow,
                columns, bitmap->order());
    }
    buffer->unlockBaseAddress();
    return buffer;
}

void ZantropeMovieRenderer::writePictures()
{
    if (!_videoWriterInput->isReadyForMoreMediaData()) {
        // A failed writer wakes its inputs once so that the failure is noticed.
        handleErrorDuringRendering();
        return;
    }
    while (true) {
        auto picture = imageProducer().getImageForRenderingAtIndex(_frameCounter, _frameSize);
        // The frame stays in the film, black, so that the sound keeps its place.
        if (!picture)
            noteUnreadableFrame(_frameCounter);
        setProgress(_totalFrames < 1 ? 0.0f : static_cast<float>(_frameCounter) / static_cast<float>(_totalFrames));
        picture = applyPostRenderStep(std::move(picture), _frameCounter);
        auto buffer = pixelBufferFromCGImage(picture.get());
        picture.reset();
        if (!buffer) {
            fail(plat::Error(kWriterErrorDomain, kWriterErrorCode, plat::localized(kAppendFailedMessage)));
            closeWriter();
            return;
        }
        // Time 0 in the frame rate's timescale: the track keeps that timescale, so every time is exact.
        auto fps = static_cast<int32_t>(_fps);
        if (_frameCounter == 0 && !_adaptor->appendPixelBuffer(buffer, plat::MediaTime::make(0, fps)))
            handleErrorDuringRendering();
        auto time = plat::MediaTime::make(_frameCounter + 1, fps);
        if (!_adaptor->appendPixelBuffer(buffer, time))
            handleErrorDuringRendering();
        buffer.reset();
        ++_frameCounter;
        if (_frameCounter >= _totalFrames || status() == MovieRendererStatusCancelled) {
            _videoWriterInput->markAsFinished();
            _videoWritingFinished = true;
            checkStatus();
            return;
        }
        if (!_videoWriterInput->isReadyForMoreMediaData())
            return;
    }
}

void ZantropeMovieRenderer::writeSound()
{
    if (!_audioWriterInput->isReadyForMoreMediaData()) {
        handleErrorDuringRendering();
        return;
    }
    while (true) {
        std::shared_ptr<const plat::SampleBuffer> sample;
        if (status() != MovieRendererStatusCancelled && _readerOutput)
            sample = _readerOutput->copyNextSampleBuffer();
        if (!sample || status() == MovieRendererStatusCancelled) {
            _audioWriterInput->markAsFinished();
            _audioWritingFinished = true;
            checkStatus();
            return;
        }
        if (!appendDelayedByOneFrame(sample))
            handleErrorDuringRendering();
        if (!_audioWriterInput->isReadyForMoreMediaData())
            return;
    }
}

// The first picture is written twice, so picture i shows from (i + 1)/fps
// while the mix has its sound at i/fps: delayed by one frame, a voice-over is
// heard with the picture it was recorded at, and the sound ends with the movie.
bool ZantropeMovieRenderer::appendDelayedByOneFrame(const std::shared_ptr<const plat::SampleBuffer>& sample)
{
    const auto& format = sample->audioStreamBasicDescription();
    if (!sample->isLinearPCM() || !(format.sampleRate > 0) || format.bytesPerFrame == 0)
        return _audioWriterInput->appendSampleBuffer(sample);
    const auto rate = static_cast<int32_t>(std::lround(format.sampleRate));
    if (!_soundDelay) {
        const int64_t frames = std::max<int64_t>(1, std::llround(format.sampleRate / _fps));
        _soundDelay = plat::MediaTime::make(frames, rate);
        auto silence = plat::SampleBuffer::createLinearPCM(
            format, plat::MediaTime::zero(), frames, plat::Data(static_cast<size_t>(frames) * format.bytesPerFrame, 0));
        if (!silence || !_audioWriterInput->appendSampleBuffer(silence))
            return false;
    }
    auto delayed = plat::SampleBuffer::createLinearPCM(
        format, sample->presentationTimeStamp() + *_soundDelay, sample->numSamples(), sample->dataBuffer());
    return delayed && _audioWriterInput->appendSampleBuffer(delayed);
}

void ZantropeMovieRenderer::handleErrorDuringRendering()
{
    if (!_writer || _writer->status() != plat::AssetWriterStatus::Failed)
        return;
    failWithWriterError(_writer->error());
    closeWriter();
}

void ZantropeMovieRenderer::checkStatus()
{
    if (_audioWritingFinished && _videoWritingFinished)
        closeWriter();
}

void ZantropeMovieRenderer::closeWriter()
{
    // Both loops, a failed append and the last check may each get here: the first one closes.
    if (_writerClosed.exchange(true))
        return;
    int64_t current = status();
    if (current != MovieRendererStatusFailed && current != MovieRendererStatusCancelled) {
        // The last picture shows for one frame, as every other does.
        _writer->endSessionAtSourceTime(plat::MediaTime::make(_totalFrames + 1, static_cast<int32_t>(_fps)));
        _writer->finishWritingWithCompletionHandler(
            [self = std::static_pointer_cast<ZantropeMovieRenderer>(shared_from_this())] { self->finishWriting(); });
        return;
    }
    if (_audioReader && _audioReader->status() == plat::AssetReaderStatus::Reading)
        _audioReader->cancelReading();
    if (_writer && _writer->status() == plat::AssetWriterStatus::Writing)
        _writer->cancelWriting();
    removeUnfinishedMovie();
    // A writer that failed by itself leaves its inputs waiting, and their request blocks hold this renderer.
    for (const auto& input : {_videoWriterInput, _audioWriterInput}) {
        if (input)
            input->markAsFinished();
    }
    finishExport(CompletionThread::MainQueue);
}

void ZantropeMovieRenderer::finishWriting()
{
    if (_writer->status() != plat::AssetWriterStatus::Completed) {
        failWithWriterError(_writer->error());
        removeUnfinishedMovie();
        finishExport(CompletionThread::MainQueue);
        return;
    }
    // Only a whole movie, flushed to disk, takes the place of the last one.
    if (auto replaced = plat::replaceItemWithItemBuiltAside(_unfinishedPath, exportURL()->path()); !replaced.ok()) {
        failWithWriterError(replaced.error());
        finishExport(CompletionThread::MainQueue);
        return;
    }
    setStatus(MovieRendererStatusCompleted);
    // The project is the main queue's: the finished movie is noted there, then the caller is told.
    plat::DispatchQueue::mainQueue().async(
        [self = std::static_pointer_cast<ZantropeMovieRenderer>(shared_from_this())] {
            if (auto metadata = self->project()->getMetaData()) {
                metadata->set("RecordNeedsRendering", false);
                // The movie is there all the same; a project read again from its folder renders it again.
                if (auto saved = self->project()->saveMetaDataToDisk(); !saved.ok()) {
                    plat::log("movie: cannot note the finished movie: {}", saved.error().localizedDescription());
                    self->_noteError = saved.error();
                }
            }
            self->finishExport(CompletionThread::CallingThread);
        });
}

std::optional<plat::Error> ZantropeMovieRenderer::noteError() const
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    return _noteError;
}

void ZantropeMovieRenderer::removeUnfinishedMovie()
{
    if (_unfinishedPath.empty())
        return;
    if (auto removed = plat::removeItemIfExists(_unfinishedPath); !removed.ok())
        plat::log("movie: cannot remove the unfinished movie: {}", removed.error().localizedDescription());
}

std::optional<plat::URL> ZantropeMovieRenderer::getPreparedMovieForExportType(const MovieExportType& type)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    plat::URL url = getExportURLForExportType(type);
    auto metadata = project()->getMetaData();
    if (metadata && metadata->getBool("RecordNeedsRendering").value_or(false))
        return std::nullopt;
    if (!detail::isPreparedMovieFile(url.path(), type.size()))
        return std::nullopt;
    return url;
}

}  // namespace zt
