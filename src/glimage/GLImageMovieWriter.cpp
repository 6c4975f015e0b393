#include "glimage/GLImageMovieWriter.h"

#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>
#include <cstring>
#include <vector>

#include "glimage/GLImageContext.h"
#include "glimage/GLImageFilter.h"
#include "glimage/GLProgram.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/media/AssetWriter.h"
#include "platform/media/AssetWriterInput.h"
#include "platform/media/AssetWriterInputPixelBufferAdaptor.h"
#include "platform/media/AudioSession.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/SampleBuffer.h"

namespace zt {

namespace {

constexpr const char* kMovieWritingQueueLabel = "com.lanternfield.GLImage.movieWritingQueue";
constexpr const char* kAudioReadingQueueLabel = "com.lanternfield.GLImage.audioReadingQueue";
constexpr const char* kVideoReadingQueueLabel = "com.lanternfield.GLImage.videoReadingQueue";
constexpr int64_t kDefaultAudioBitRate = 64000;
constexpr int64_t kMovieFragmentIntervalMilliseconds = 1000;

// Samples the input with red and blue swapped: a framebuffer read as RGBA
// then yields the BGRA bytes the writer's pixel buffers hold.
constexpr const char* kColorSwizzlingFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;

void main()
{
    gl_FragColor = texture2D(inputImageTexture, textureCoordinate).bgra;
}
)";

constexpr float kSquareVertices[8] = {-1.0f, -1.0f, 1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f};

plat::Dictionary defaultAudioSettings()
{
    plat::Data layout(32, 0);
    const uint32_t tag = plat::kAudioChannelLayoutTag_Mono;
    std::memcpy(layout.data(), &tag, sizeof(tag));
    return plat::Dictionary {{plat::kFormatIDKey, int64_t {plat::kAudioFormatMPEG4AAC}},
        {plat::kNumberOfChannelsKey, int64_t {1}},
        {plat::kSampleRateKey, plat::AudioSession::sharedInstance().sampleRate()},
        {plat::kChannelLayoutKey, std::move(layout)}, {plat::kEncoderBitRateKey, kDefaultAudioBitRate}};
}

}  // namespace

std::shared_ptr<GLImageMovieWriter> GLImageMovieWriter::initWithMovieURL(
    const plat::URL& newMovieURL, plat::Size newSize)
{
    return initWithMovieURL(newMovieURL, newSize, plat::kFileTypeQuickTimeMovie, std::nullopt);
}

std::shared_ptr<GLImageMovieWriter> GLImageMovieWriter::initWithMovieURL(const plat::URL& newMovieURL,
    plat::Size newSize, const std::string& newFileType, std::optional<plat::Dictionary> outputSettings)
{
    auto writer = std::make_shared<GLImageMovieWriter>(Passkey(), newMovieURL, newSize, newFileType);
    if (outputSettings) {
        if (auto live = outputSettings->getBool(kEncodingLiveVideoKey))
            writer->_encodingLiveVideo = *live;
    }
    writer->initializeMovieWithOutputSettings(std::move(outputSettings));
    return writer;
}

GLImageMovieWriter::GLImageMovieWriter(
    Passkey, const plat::URL& newMovieURL, plat::Size newSize, std::string newFileType)
    : movieURL(newMovieURL)
    , fileType(std::move(newFileType))
    , videoSize(newSize)
    , movieWritingQueue(plat::DispatchQueue::create(kMovieWritingQueueLabel))
{
    runSynchronouslyOnContextQueue([this] {
        GLImageContext::useImageProcessingContext();
        colorSwizzlingProgram = GLImageFilter::linkedProgram(
            kGLImageVertexShaderString, kColorSwizzlingFragmentShaderString, kGLImageFilterAttributes);
        colorSwizzlingPositionAttribute = int32_t(colorSwizzlingProgram->attributeIndex("position"));
        colorSwizzlingTextureCoordinateAttribute
            = int32_t(colorSwizzlingProgram->attributeIndex("inputTextureCoordinate"));
        colorSwizzlingInputTextureUniform = colorSwizzlingProgram->uniformIndex("inputImageTexture");
        GLImageContext::setActiveShaderProgram(colorSwizzlingProgram);
        glEnableVertexAttribArray(GLuint(colorSwizzlingPositionAttribute));
        glEnableVertexAttribArray(GLuint(colorSwizzlingTextureCoordinateAttribute));
    });
}

GLImageMovieWriter::~GLImageMovieWriter()
{
    runSynchronouslyOnContextQueue([this] { destroyDataFBO(); });
}

void GLImageMovieWriter::initializeMovieWithOutputSettings(std::optional<plat::Dictionary> outputSettings)
{
    isRecording = false;
    _enabled = true;
    std::optional<plat::Error> error;
    _assetWriter = plat::AssetWriter::assetWriterWithURL(movieURL, fileType, &error);
    if (!_assetWriter) {
        // Kept, and reported once when recording is asked for: nobody could
        // have set a delegate or a failure block yet.
        const plat::Error failure = error.value_or(
            plat::Error(plat::kMediaErrorDomain, plat::kMediaErrorUnknown, "The movie writer cannot be made."));
        plat::log("Error: {}", failure.description());
        std::lock_guard guard(_lock);
        _failure = failure;
        return;
    }
    // A recording cut short by a crash or a full disk plays up to its last whole second.
    _assetWriter->setMovieFragmentInterval(plat::MediaTime::make(kMovieFragmentIntervalMilliseconds, 1000));
    plat::Dictionary settings;
    if (outputSettings) {
        if (!outputSettings->contains(plat::kVideoCodecKey) || !outputSettings->contains(plat::kVideoWidthKey)
            || !outputSettings->contains(plat::kVideoHeightKey))
            plat::detail::fatal("OutputSettings is missing required parameters.");
        settings = outputSettings->copy();
        settings.remove(kEncodingLiveVideoKey);
    } else {
        settings = plat::Dictionary {{plat::kVideoCodecKey, plat::kVideoCodecH264},
            {plat::kVideoWidthKey, int64_t(videoSize.width)}, {plat::kVideoHeightKey, int64_t(videoSize.height)}};
    }
    assetWriterVideoInput = plat::AssetWriterInput::assetWriterInputWithMediaType(plat::kMediaTypeVideo, settings);
    if (!assetWriterVideoInput) {
        std::lock_guard guard(_lock);
        _failure = plat::Error(plat::kMediaErrorDomain, plat::kMediaErrorUnknown,
            "The movie's video settings cannot be written (H.264 of an even width and height is).");
        plat::log("Error: {}", _failure->description());
        _assetWriter.reset();
        return;
    }
    assetWriterVideoInput->setExpectsMediaDataInRealTime(_encodingLiveVideo);
    assetWriterPixelBufferInput
        = plat::AssetWriterInputPixelBufferAdaptor::assetWriterInputPixelBufferAdaptorWithAssetWriterInput(
            assetWriterVideoInput,
            plat::Dictionary {{plat::kPixelBufferPixelFormatTypeKey, int64_t {plat::kPixelFormatType_32BGRA}},
                {plat::kPixelBufferWidthKey, int64_t(videoSize.width)},
                {plat::kPixelBufferHeightKey, int64_t(videoSize.height)}});
    _assetWriter->addInput(assetWriterVideoInput);
}

void GLImageMovieWriter::reportFailureOnce(const plat::Error& error)
{
    std::function<void(const plat::Error&)> failureBlock;
    std::shared_ptr<GLImageMovieWriterDelegate> delegate;
    {
        std::lock_guard guard(_lock);
        if (_failureReported)
            return;
        _failureReported = true;
        failureBlock = _failureBlock;
        delegate = _delegate.lock();
    }
    if (failureBlock)
        failureBlock(error);
    else if (delegate)
        delegate->movieRecordingFailedWithError(error);
}

std::optional<plat::Error> GLImageMovieWriter::error() const
{
    {
        std::lock_guard guard(_lock);
        if (_failure)
            return _failure;
    }
    return _assetWriter ? _assetWriter->error() : std::nullopt;
}

void GLImageMovieWriter::setHasAudioTrack(bool newValue)
{
    setHasAudioTrack(newValue, std::nullopt);
}

void GLImageMovieWriter::setHasAudioTrack(bool newValue, std::optional<plat::Dictionary> audioOutputSettings)
{
    _hasAudioTrack = newValue;
    if (!newValue || !_assetWriter || assetWriterAudioInput)
        return;
    std::optional<plat::Dictionary> settings;
    if (!_shouldPassthroughAudio)
        settings = audioOutputSettings ? std::move(audioOutputSettings) : defaultAudioSettings();
    assetWriterAudioInput = plat::AssetWriterInput::assetWriterInputWithMediaType(plat::kMediaTypeAudio, settings);
    if (!assetWriterAudioInput || !_assetWriter->canAddInput(assetWriterAudioInput)) {
        plat::log("GLImageMovieWriter: the movie cannot take sound of these settings; it is recorded without");
        assetWriterAudioInput.reset();
        _hasAudioTrack = false;
        return;
    }
    assetWriterAudioInput->setExpectsMediaDataInRealTime(_encodingLiveVideo);
    _assetWriter->addInput(assetWriterAudioInput);
}

void GLImageMovieWriter::setCompletionBlock(std::function<void()> block)
{
    std::lock_guard guard(_lock);
    _completionBlock = std::move(block);
}

void GLImageMovieWriter::setFailureBlock(std::function<void(const plat::Error&)> block)
{
    std::lock_guard guard(_lock);
    _failureBlock = std::move(block);
}

void GLImageMovieWriter::setDelegate(std::weak_ptr<GLImageMovieWriterDelegate> delegate)
{
    std::lock_guard guard(_lock);
    _delegate = std::move(delegate);
}

void GLImageMovieWriter::setVideoInputReadyCallback(std::function<bool()> callback)
{
    std::lock_guard guard(_lock);
    _videoInputReadyCallback = std::move(callback);
}

void GLImageMovieWriter::setAudioInputReadyCallback(std::function<bool()> callback)
{
    std::lock_guard guard(_lock);
    _audioInputReadyCallback = std::move(callback);
}

plat::AffineTransform GLImageMovieWriter::transform() const
{
    if (!assetWriterVideoInput)
        return plat::AffineTransform {0, 0, 0, 0, 0, 0};
    return assetWriterVideoInput->transform();
}

void GLImageMovieWriter::setTransform(const plat::AffineTransform& transform)
{
    if (assetWriterVideoInput)
        assetWriterVideoInput->setTransform(transform);
}

std::vector<std::pair<std::string, std::string>> GLImageMovieWriter::metaData() const
{
    return _assetWriter ? _assetWriter->metadata() : std::vector<std::pair<std::string, std::string>>();
}

void GLImageMovieWriter::setMetaData(std::vector<std::pair<std::string, std::string>> metaData)
{
    if (_assetWriter)
        _assetWriter->setMetadata(std::move(metaData));
}

void GLImageMovieWriter::startRecording()
{
    std::optional<plat::Error> failure;
    {
        std::lock_guard guard(_lock);
        failure = _failure;
    }
    if (failure) {
        reportFailureOnce(*failure);
        return;
    }
    alreadyFinishedRecording = false;
    {
        std::lock_guard guard(_lock);
        startTime = plat::MediaTime::invalid();
    }
    bool hasAudioCallback = false;
    {
        std::lock_guard guard(_lock);
        hasAudioCallback = bool(_audioInputReadyCallback);
    }
    movieWritingQueue->sync([&] {
        if (!hasAudioCallback && _assetWriter->status() == plat::AssetWriterStatus::Unknown)
            _assetWriter->startWriting();
    });
    isRecording = true;
}

void GLImageMovieWriter::startRecordingInOrientation(const plat::AffineTransform& orientationTransform)
{
    setTransform(orientationTransform);
    startRecording();
}

void GLImageMovieWriter::markInputsFinishedWhileWriting()
{
    if (_assetWriter->status() != plat::AssetWriterStatus::Writing)
        return;
    if (!videoEncodingIsFinished.exchange(true))
        assetWriterVideoInput->markAsFinished();
    if (assetWriterAudioInput && !audioEncodingIsFinished.exchange(true))
        assetWriterAudioInput->markAsFinished();
}

void GLImageMovieWriter::cancelRecording()
{
    if (!_assetWriter || _assetWriter->status() == plat::AssetWriterStatus::Completed)
        return;
    isRecording = false;
    movieWritingQueue->sync([this] {
        alreadyFinishedRecording = true;
        markInputsFinishedWhileWriting();
        _assetWriter->cancelWriting();
    });
}

void GLImageMovieWriter::finishRecording()
{
    finishRecordingWithCompletionHandler(nullptr);
}

void GLImageMovieWriter::finishRecordingWithCompletionHandler(std::function<void()> handler)
{
    runSynchronouslyOnContextQueue([&] {
        movieWritingQueue->sync([&] {
            isRecording = false;
            const auto status = _assetWriter ? _assetWriter->status() : plat::AssetWriterStatus::Unknown;
            if (status != plat::AssetWriterStatus::Unknown && status != plat::AssetWriterStatus::Completed
                && status != plat::AssetWriterStatus::Cancelled) {
                markInputsFinishedWhileWriting();
                _assetWriter->finishWritingWithCompletionHandler(handler ? std::move(handler) : [] {});
                return;
            }
            // Nothing to finish: the handler still runs, on the context queue.
            if (handler)
                runAsynchronouslyOnContextQueue(std::move(handler));
        });
    });
}

void GLImageMovieWriter::startSessionIfNeeded(const plat::MediaTime& time, bool hasReadyCallback)
{
    movieWritingQueue->sync([&] {
        {
            std::lock_guard guard(_lock);
            if (startTime.isValid())
                return;
        }
        if (!hasReadyCallback && _assetWriter->status() == plat::AssetWriterStatus::Unknown)
            _assetWriter->startWriting();
        _assetWriter->startSessionAtSourceTime(time);
        std::lock_guard guard(_lock);
        startTime = time;
    });
}

bool GLImageMovieWriter::waitUntilReady(plat::AssetWriterInput& input)
{
    return isRecording && input.waitUntilReadyForMoreMediaData();
}

void GLImageMovieWriter::newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t)
{
    if (!isRecording || !frameTime.isNumeric() || !_assetWriter)
        return;
    bool hasVideoCallback = false;
    {
        // Taken here, on the context queue, the moment the frame is accepted:
        // a repeated time is refused at once however far the writing has got.
        std::lock_guard guard(_lock);
        if (frameTime == previousFrameTime)
            return;
        if (frameTime < previousFrameTime) {
            plat::log("GLImageMovieWriter: a frame at {} s comes after one at {} s; left out", frameTime.seconds(),
                previousFrameTime.seconds());
            return;
        }
        hasVideoCallback = bool(_videoInputReadyCallback);
    }
    startSessionIfNeeded(frameTime, hasVideoCallback);
    if (!assetWriterVideoInput->isReadyForMoreMediaData() && _encodingLiveVideo) {
        plat::log("1: Had to drop a video frame: {} s", frameTime.seconds());
        return;
    }
    GLImageContext::useImageProcessingContext();
    renderAtInternalSize();

    auto pool = assetWriterPixelBufferInput->pixelBufferPool();
    auto made = pool ? pool->createPixelBuffer()
                     : plat::Result<std::shared_ptr<plat::PixelBuffer>>(
                         plat::Error(plat::kMediaErrorDomain, plat::kMediaErrorUnknown, "no pool"));
    if (!made.ok()) {
        plat::log("GLImageMovieWriter: no pixel buffer for the frame at {} s; left out", frameTime.seconds());
        return;
    }
    auto pixelBuffer = made.value();
    const int width = int(videoSize.width);
    const int height = int(videoSize.height);
    pixelBuffer->lockBaseAddress(plat::PixelBufferLock::ReadWrite);
    // Rows as far apart as the pool keeps them: GL reads packed rows.
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    if (pixelBuffer->bytesPerRow() == size_t(width) * 4) {
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixelBuffer->baseAddress());
    } else {
        std::vector<uint8_t> packed(size_t(width) * size_t(height) * 4);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, packed.data());
        for (int y = 0; y < height; ++y)
            std::memcpy(pixelBuffer->baseAddress() + size_t(y) * pixelBuffer->bytesPerRow(),
                packed.data() + size_t(y) * size_t(width) * 4, size_t(width) * 4);
    }
    pixelBuffer->unlockBaseAddress(plat::PixelBufferLock::ReadWrite);
    {
        std::lock_guard guard(_lock);
        previousFrameTime = frameTime;
    }
    if (_encodingLiveVideo) {
        movieWritingQueue->async([self = shared_from_this(), pixelBuffer = std::move(pixelBuffer), frameTime] {
            self->appendFrame(pixelBuffer, frameTime);
        });
    } else {
        appendFrame(std::move(pixelBuffer), frameTime);
    }
}

void GLImageMovieWriter::appendFrame(std::shared_ptr<plat::PixelBuffer> pixelBuffer, const plat::MediaTime& frameTime)
{
    const bool ready = assetWriterVideoInput->isReadyForMoreMediaData()
        || (!_encodingLiveVideo && waitUntilReady(*assetWriterVideoInput));
    if (!ready) {
        plat::log("2: Had to drop a video frame: {} s", frameTime.seconds());
        return;
    }
    if (!assetWriterPixelBufferInput->appendPixelBuffer(pixelBuffer, frameTime))
        plat::log("Problem appending pixel buffer at time: {} s", frameTime.seconds());
}

void GLImageMovieWriter::processAudioBuffer(const std::shared_ptr<const plat::SampleBuffer>& audioBuffer)
{
    if (!isRecording || !_hasAudioTrack || !assetWriterAudioInput || !audioBuffer)
        return;
    const plat::MediaTime time = audioBuffer->presentationTimeStamp();
    bool hasAudioCallback = false;
    {
        std::lock_guard guard(_lock);
        hasAudioCallback = bool(_audioInputReadyCallback);
    }
    startSessionIfNeeded(time, hasAudioCallback);
    if (!assetWriterAudioInput->isReadyForMoreMediaData() && _encodingLiveVideo) {
        plat::log("1: Had to drop an audio frame: {} s", time.seconds());
        invalidateIfAsked(*audioBuffer);
        return;
    }
    {
        std::lock_guard guard(_lock);
        previousAudioTime = time;
    }
    if (_encodingLiveVideo) {
        movieWritingQueue->async([self = shared_from_this(), audioBuffer] { self->appendSound(audioBuffer); });
    } else {
        appendSound(audioBuffer);
    }
}

void GLImageMovieWriter::appendSound(const std::shared_ptr<const plat::SampleBuffer>& sound)
{
    const bool ready = assetWriterAudioInput->isReadyForMoreMediaData()
        || (!_encodingLiveVideo && waitUntilReady(*assetWriterAudioInput));
    if (!ready)
        plat::log("2: Had to drop an audio frame {} s", sound->presentationTimeStamp().seconds());
    else if (!assetWriterAudioInput->appendSampleBuffer(sound))
        plat::log("Problem appending audio buffer at time: {} s", sound->presentationTimeStamp().seconds());
    invalidateIfAsked(*sound);
}

void GLImageMovieWriter::invalidateIfAsked(const plat::SampleBuffer& sound) const
{
    // A source that hands out its buffers without copying them learns this way that they are used up.
    if (_shouldInvalidateAudioSampleWhenDone)
        sound.invalidate();
}

void GLImageMovieWriter::enableSynchronizationCallbacks()
{
    if (!_assetWriter)
        return;
    bool hasVideoCallback = false;
    bool hasAudioCallback = false;
    {
        std::lock_guard guard(_lock);
        hasVideoCallback = bool(_videoInputReadyCallback);
        hasAudioCallback = bool(_audioInputReadyCallback);
    }
    if (hasVideoCallback) {
        if (_assetWriter->status() == plat::AssetWriterStatus::Unknown)
            _assetWriter->startWriting();
        videoQueue = plat::DispatchQueue::create(kVideoReadingQueueLabel);
        // The inputs are ready only once the session has started, and it
        // starts with the first frame: that one is pulled unasked.
        videoQueue->async([weakSelf = weak_from_this()] {
            auto self = weakSelf.lock();
            if (!self)
                return;
            bool started = false;
            std::function<bool()> callback;
            {
                std::lock_guard guard(self->_lock);
                started = self->startTime.isValid();
                callback = self->_videoInputReadyCallback;
            }
            if (!started && callback && !self->_paused && !callback()) {
                self->finishVideoFromCallback();
                return;
            }
            self->requestVideoFromCallback();
        });
    }
    if (hasAudioCallback && assetWriterAudioInput) {
        audioQueue = plat::DispatchQueue::create(kAudioReadingQueueLabel);
        requestAudioFromCallback();
    }
}

void GLImageMovieWriter::requestVideoFromCallback()
{
    std::weak_ptr<GLImageMovieWriter> weakSelf = weak_from_this();
    assetWriterVideoInput->requestMediaDataWhenReadyOnQueue(videoQueue, [weakSelf] {
        auto self = weakSelf.lock();
        if (!self || self->_paused)
            return;  // a paused writer is asked again when it goes on
        std::function<bool()> callback;
        {
            std::lock_guard guard(self->_lock);
            callback = self->_videoInputReadyCallback;
        }
        while (callback && self->assetWriterVideoInput->isReadyForMoreMediaData() && !self->_paused) {
            if (!callback()) {
                self->finishVideoFromCallback();
                return;
            }
        }
    });
}

void GLImageMovieWriter::finishVideoFromCallback()
{
    if (videoEncodingIsFinished)
        return;
    movieWritingQueue->async([self = shared_from_this()] {
        if (self->_assetWriter->status() == plat::AssetWriterStatus::Writing
            && !self->videoEncodingIsFinished.exchange(true))
            self->assetWriterVideoInput->markAsFinished();
    });
}

void GLImageMovieWriter::requestAudioFromCallback()
{
    std::weak_ptr<GLImageMovieWriter> weakSelf = weak_from_this();
    assetWriterAudioInput->requestMediaDataWhenReadyOnQueue(audioQueue, [weakSelf] {
        auto self = weakSelf.lock();
        if (!self || self->_paused)
            return;
        std::function<bool()> callback;
        {
            std::lock_guard guard(self->_lock);
            callback = self->_audioInputReadyCallback;
        }
        while (callback && self->assetWriterAudioInput->isReadyForMoreMediaData() && !self->_paused) {
            if (!callback() && !self->audioEncodingIsFinished) {
                self->movieWritingQueue->async([self] {
                    if (self->_assetWriter->status() == plat::AssetWriterStatus::Writing
                        && !self->audioEncodingIsFinished.exchange(true))
                        self->assetWriterAudioInput->markAsFinished();
                });
                return;
            }
        }
    });
}

void GLImageMovieWriter::setPaused(bool newValue)
{
    const bool wasPaused = _paused.exchange(newValue);
    if (wasPaused && !newValue) {
        // The inputs ask again only when they change: ask them now.
        if (videoQueue)
            requestVideoFromCallback();
        if (audioQueue && assetWriterAudioInput)
            requestAudioFromCallback();
    }
}

void GLImageMovieWriter::endProcessing()
{
    std::function<void()> completion;
    std::shared_ptr<GLImageMovieWriterDelegate> delegate;
    {
        std::lock_guard guard(_lock);
        completion = _completionBlock;
        delegate = _delegate.lock();
    }
    if (completion) {
        if (!alreadyFinishedRecording.exchange(true))
            completion();
    } else if (delegate) {
        delegate->movieRecordingCompleted();
    }
}

plat::MediaTime GLImageMovieWriter::duration() const
{
    std::lock_guard guard(_lock);
    if (!startTime.isValid())
        return plat::MediaTime::zero();
    if (previousFrameTime.isNumeric())
        return previousFrameTime - startTime;
    if (previousAudioTime.isNumeric())
        return previousAudioTime - startTime;
    return plat::MediaTime::zero();
}

void GLImageMovieWriter::setInputTexture(uint32_t newInputTexture, int64_t)
{
    runSynchronouslyOnContextQueue([&] { inputTextureForMovieRendering = newInputTexture; });
}

void GLImageMovieWriter::setTextureDelegate(std::weak_ptr<GLImageTextureDelegate> newTextureDelegate, int64_t)
{
    runSynchronouslyOnContextQueue([&] { textureDelegate = std::move(newTextureDelegate); });
}

void GLImageMovieWriter::setInputRotation(GLImageRotationMode newInputRotation, int64_t)
{
    runSynchronouslyOnContextQueue([&] { inputRotation = newInputRotation; });
}

void GLImageMovieWriter::createDataFBO()
{
    // The frame is drawn into a renderbuffer and read back into each frame's
    // own pool buffer: the texture cache copies between GL and memory anyway,
    // and a buffer the encoder still reads is never drawn over.
    glActiveTexture(GL_TEXTURE1);
    movieFramebuffer = GLFramebuffer::generate();
    glBindFramebuffer(GL_FRAMEBUFFER, movieFramebuffer.name());
    movieRenderbuffer = GLRenderbuffer::generate();
    glBindRenderbuffer(GL_RENDERBUFFER, movieRenderbuffer.name());
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8_OES, GLsizei(videoSize.width), GLsizei(videoSize.height));
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, movieRenderbuffer.name());
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE)
        plat::detail::fatal("Incomplete filter FBO: {}", status);
}

void GLImageMovieWriter::destroyDataFBO()
{
    runSynchronouslyOnContextQueue([this] {
        GLImageContext::useImageProcessingContext();
        movieFramebuffer.reset();
        movieRenderbuffer.reset();
    });
}

void GLImageMovieWriter::setFilterFBO()
{
    if (!movieFramebuffer)
        createDataFBO();
    glBindFramebuffer(GL_FRAMEBUFFER, movieFramebuffer.name());
    glViewport(0, 0, GLsizei(videoSize.width), GLsizei(videoSize.height));
}

void GLImageMovieWriter::renderAtInternalSize()
{
    GLImageContext::useImageProcessingContext();
    setFilterFBO();
    GLImageContext::setActiveShaderProgram(colorSwizzlingProgram);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glActiveTexture(GL_TEXTURE4);
    glBindTexture(GL_TEXTURE_2D, inputTextureForMovieRendering);
    glUniform1i(colorSwizzlingInputTextureUniform, 4);
    glVertexAttribPointer(GLuint(colorSwizzlingPositionAttribute), 2, GL_FLOAT, GL_FALSE, 0, kSquareVertices);
    glVertexAttribPointer(GLuint(colorSwizzlingTextureCoordinateAttribute), 2, GL_FLOAT, GL_FALSE, 0,
        GLImageFilter::filterTextureCoordinatesForRotation(inputRotation));
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

}  // namespace zt
