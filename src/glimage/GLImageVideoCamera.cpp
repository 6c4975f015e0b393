#include "glimage/GLImageVideoCamera.h"

#include <GLES2/gl2.h>
#include <algorithm>

#include "glimage/GLImageContext.h"
#include "glimage/GLImageMovieWriter.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/SampleBuffer.h"
#include "platform/media/capture/CaptureDevice.h"
#include "platform/media/capture/CaptureInput.h"
#include "platform/media/capture/CaptureSession.h"

namespace zt {

namespace {

constexpr const char* kCameraProcessingQueueLabel = "com.lanternfield.GLImage.cameraProcessingQueue";
constexpr const char* kAudioProcessingQueueLabel = "com.lanternfield.GLImage.audioProcessingQueue";
// The first frames of a run are left out of the benchmark: they pay for set-up.
constexpr uint64_t kBenchmarkWarmUpFrames = 5;

bool offers(const std::vector<uint32_t>& formats, uint32_t format)
{
    return std::find(formats.begin(), formats.end(), format) != formats.end();
}

// The turn of the camera's pictures for an interface orientation. Every
// camera delivers upright pixels, so the front camera is turned as the back
// one is; its mirror shows them mirrored left to right in landscape. (A
// phone's front sensor gives its pixels half-turned in landscape and needs
// the landscape turns the other way round.)
std::optional<GLImageRotationMode> rotationFor(
    GLImageInterfaceOrientation orientation, bool back, bool mirrorBack, bool mirrorFront)
{
    using R = GLImageRotationMode;
    const int column = static_cast<int>(orientation) - 1;
    if (column < 0 || column > 3)
        return std::nullopt;
    static constexpr R kUnmirrored[4] = {R::RotateRight, R::RotateLeft, R::NoRotation, R::Rotate180};
    static constexpr R kBackMirrored[4]
        = {R::RotateRightFlipVertical, R::Rotate180, R::FlipVertical, R::FlipHorizontal};
    static constexpr R kFrontMirrored[4]
        = {R::RotateRightFlipVertical, R::RotateRightFlipHorizontal, R::FlipHorizontal, R::FlipVertical};
    if (!(back ? mirrorBack : mirrorFront))
        return kUnmirrored[column];
    return back ? kBackMirrored[column] : kFrontMirrored[column];
}

// The last video device facing that way, as the platform's search finds it.
std::shared_ptr<plat::CaptureDevice> cameraAt(plat::CaptureDevicePosition position)
{
    std::shared_ptr<plat::CaptureDevice> found;
    for (const auto& device : plat::CaptureDevice::devicesWithMediaType(plat::kMediaTypeVideo)) {
        if (device->position() == position)
            found = device;
    }
    return found;
}

}  // namespace

GLImageVideoCamera::GLImageVideoCamera(Passkey)
    : cameraProcessingQueue(plat::DispatchQueue::create(kCameraProcessingQueueLabel))
    , audioProcessingQueue(plat::DispatchQueue::create(kAudioProcessingQueueLabel))
{
}

std::shared_ptr<GLImageVideoCamera> GLImageVideoCamera::initWithSessionPreset(
    const std::string& sessionPreset, plat::CaptureDevicePosition cameraPosition)
{
    auto camera = std::make_shared<GLImageVideoCamera>(Passkey());
    if (!camera->setUp(sessionPreset, cameraPosition))
        return nullptr;
    return camera;
}

std::shared_ptr<GLImageVideoCamera> GLImageVideoCamera::init()
{
    return initWithSessionPreset(plat::kCaptureSessionPreset640x480, plat::CaptureDevicePosition::Back);
}

std::shared_ptr<GLImageVideoCamera> GLImageVideoCamera::selfAsCamera()
{
    return std::static_pointer_cast<GLImageVideoCamera>(shared_from_this());
}

bool GLImageVideoCamera::setUp(const std::string& sessionPreset, plat::CaptureDevicePosition cameraPosition)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    setUpPictureConversion();

    _inputCamera = cameraAt(cameraPosition);
    if (!_inputCamera)
        return false;
    _captureSession = plat::CaptureSession::create();
    _captureSession->beginConfiguration();
    auto input = plat::CaptureDeviceInput::deviceInputWithDevice(_inputCamera);
    if (input.ok() && _captureSession->canAddInput(input.value())) {
        videoInput = input.value();
        _captureSession->addInput(videoInput);
    }
    videoOutput = std::make_shared<plat::CaptureVideoDataOutput>();
    videoOutput->setAlwaysDiscardsLateVideoFrames(false);
    configureVideoOutputFormat();
    std::shared_ptr<plat::CaptureVideoDataOutputSampleBufferDelegate> delegate = selfAsCamera();
    videoOutput->setSampleBufferDelegate(delegate, cameraProcessingQueue);
    if (!_captureSession->canAddOutput(videoOutput)) {
        plat::log("Couldn't add video output");
        _captureSession->commitConfiguration();
        return false;
    }
    _captureSession->addOutput(videoOutput);
    _captureSessionPreset = sessionPreset;
    _captureSession->setSessionPreset(sessionPreset);
    _captureSession->commitConfiguration();
    runSynchronouslyOnContextQueue([&] { _currentPosition = _inputCamera->position(); });
    return true;
}

void GLImageVideoCamera::configureVideoOutputFormat()
{
    // YUV planes where the camera offers them, else its BGRA pictures.
    const auto formats = videoOutput->availableVideoCVPixelFormatTypes();
    uint32_t format = plat::kPixelFormatType_32BGRA;
    if (captureAsYUV && GLImageContext::supportsFastTextureUpload()) {
        if (offers(formats, plat::kPixelFormatType_420YpCbCr8BiPlanarFullRange))
            format = plat::kPixelFormatType_420YpCbCr8BiPlanarFullRange;
        else if (offers(formats, plat::kPixelFormatType_420YpCbCr8BiPlanarVideoRange))
            format = plat::kPixelFormatType_420YpCbCr8BiPlanarVideoRange;
    }
    if (!offers(formats, format))
        format = plat::kPixelFormatType_32BGRA;
    if (format == plat::kPixelFormatType_32BGRA)
        captureAsYUV = false;
    videoOutput->setVideoSettings(
        plat::Dictionary {{plat::kCVPixelBufferPixelFormatTypeKey, static_cast<int64_t>(format)}});
}

GLImageVideoCamera::~GLImageVideoCamera()
{
    _capturing = false;
    // The session belongs to the main thread; a camera let go elsewhere
    // hands its session there.
    auto session = std::move(_captureSession);
    auto outputs = std::vector<std::shared_ptr<plat::CaptureOutput>> {videoOutput, audioOutput};
    auto inputs = std::vector<std::shared_ptr<plat::CaptureDeviceInput>> {videoInput, audioInput};
    auto teardown = [session, outputs, inputs] {
        if (!session)
            return;
        session->stopRunning();
        session->beginConfiguration();
        for (const auto& output : outputs) {
            if (output)
                session->removeOutput(output);
        }
        for (const auto& input : inputs) {
            if (input)
                session->removeInput(input);
        }
        session->commitConfiguration();
    };
    if (videoOutput)
        videoOutput->setSampleBufferDelegate({}, nullptr);
    if (audioOutput)
        audioOutput->setSampleBufferDelegate({}, nullptr);
    if (plat::isMainThread())
        teardown();
    else
        plat::DispatchQueue::mainQueue().async(std::move(teardown));
}

void GLImageVideoCamera::startCameraCapture()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!_captureSession->isRunning()) {
        _capturing = true;
        _captureSession->startRunning();
    }
}

void GLImageVideoCamera::stopCameraCapture()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (_captureSession->isRunning()) {
        _capturing = false;
        _captureSession->stopRunning();
    }
}

plat::CaptureDevicePosition GLImageVideoCamera::cameraPosition() const
{
    return videoInput ? videoInput->device()->position() : plat::CaptureDevicePosition::Unspecified;
}

void GLImageVideoCamera::rotateCamera()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!isFrontFacingCameraPresent())
        return;
    const auto wanted = cameraPosition() == plat::CaptureDevicePosition::Back ? plat::CaptureDevicePosition::Front
                                                                              : plat::CaptureDevicePosition::Back;
    auto device = cameraAt(wanted);
    if (!device)
        return;
    auto input = plat::CaptureDeviceInput::deviceInputWithDevice(device);
    if (!input.ok()) {
        plat::log("GLImageVideoCamera: cannot switch cameras: {}", input.error().localizedDescription());
        return;
    }
    bool switched = false;
    _captureSession->beginConfiguration();
    if (videoInput)
        _captureSession->removeInput(videoInput);
    if (_captureSession->canAddInput(input.value())) {
        _captureSession->addInput(input.value());
        videoInput = input.value();
        switched = true;
    } else if (videoInput) {
        _captureSession->addInput(videoInput);
    }
    _captureSession->commitConfiguration();
    if (switched) {
        _inputCamera = device;
        runSynchronouslyOnContextQueue([&] { _currentPosition = device->position(); });
    }
    setOutputImageOrientation(_outputImageOrientation);
}

void GLImageVideoCamera::setCaptureSessionPreset(const std::string& captureSessionPreset)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    _captureSession->beginConfiguration();
    _captureSessionPreset = captureSessionPreset;
    _captureSession->setSessionPreset(captureSessionPreset);
    _captureSession->commitConfiguration();
}

void GLImageVideoCamera::setFrameRate(int32_t frameRate)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    _frameRate = frameRate;
    // Invalid: the camera's own pace. Every camera here takes active frame
    // durations, so the connections' (for cameras that do not) stay unset.
    const plat::MediaTime duration = frameRate > 0 ? plat::MediaTime::make(1, frameRate) : plat::MediaTime::invalid();
    std::optional<plat::Error> error;
    if (!_inputCamera->lockForConfiguration(&error))
        return;  // a camera that refuses keeps its pace
    _inputCamera->setActiveVideoMinFrameDuration(duration);
    _inputCamera->setActiveVideoMaxFrameDuration(duration);
    _inputCamera->unlockForConfiguration();
}

std::shared_ptr<plat::CaptureConnection> GLImageVideoCamera::videoCaptureConnection() const
{
    return videoOutput->connectionWithMediaType(plat::kMediaTypeVideo);
}

bool GLImageVideoCamera::isBackFacingCameraPresent()
{
    return cameraAt(plat::CaptureDevicePosition::Back) != nullptr;
}

bool GLImageVideoCamera::isFrontFacingCameraPresent()
{
    return cameraAt(plat::CaptureDevicePosition::Front) != nullptr;
}

double GLImageVideoCamera::averageFrameDurationDuringCapture()
{
    double average = 0;
    runSynchronouslyOnContextQueue([&] {
        if (numberOfFramesCaptured > kBenchmarkWarmUpFrames)
            average = totalFrameTimeDuringCapture / double(numberOfFramesCaptured - kBenchmarkWarmUpFrames) * 1000.0;
    });
    return average;
}

void GLImageVideoCamera::resetBenchmarkAverage()
{
    runSynchronouslyOnContextQueue([this] {
        numberOfFramesCaptured = 0;
        totalFrameTimeDuringCapture = 0;
    });
}

void GLImageVideoCamera::setOutputImageOrientation(GLImageInterfaceOrientation newValue)
{
    runSynchronouslyOnContextQueue([&] { _outputImageOrientation = newValue; });
    updateOrientationSendToTargets();
}

void GLImageVideoCamera::setHorizontallyMirrorFrontFacingCamera(bool newValue)
{
    runSynchronouslyOnContextQueue([&] { _horizontallyMirrorFrontFacingCamera = newValue; });
    updateOrientationSendToTargets();
}

void GLImageVideoCamera::setHorizontallyMirrorRearFacingCamera(bool newValue)
{
    runSynchronouslyOnContextQueue([&] { _horizontallyMirrorRearFacingCamera = newValue; });
    updateOrientationSendToTargets();
}

void GLImageVideoCamera::setDelegate(std::weak_ptr<GLImageVideoCameraDelegate> delegate)
{
    std::lock_guard guard(_delegateLock);
    _delegate = std::move(delegate);
}

void GLImageVideoCamera::updateOrientationSendToTargets()
{
    runSynchronouslyOnContextQueue([this] {
        // Any position but the back one counts as the front.
        const bool back = _currentPosition == plat::CaptureDevicePosition::Back;
        if (auto rotation = rotationFor(_outputImageOrientation, back, _horizontallyMirrorRearFacingCamera,
                _horizontallyMirrorFrontFacingCamera))
            outputRotation = *rotation;
        for (size_t i = 0; i < _targets.size(); ++i)
            _targets[i]->setInputRotation(outputRotation, targetTextureIndices[i]);
    });
}

GLImageRotationMode GLImageVideoCamera::outputRotationForTesting() const
{
    GLImageRotationMode rotation = GLImageRotationMode::NoRotation;
    runSynchronouslyOnContextQueue([&] { rotation = outputRotation; });
    return rotation;
}

void GLImageVideoCamera::addTarget(const std::shared_ptr<GLImageInput>& newTarget, int64_t textureLocation)
{
    GLImageOutput::addTarget(newTarget, textureLocation);
    runSynchronouslyOnContextQueue([&] { newTarget->setInputRotation(outputRotation, textureLocation); });
}

void GLImageVideoCamera::setAudioEncodingTarget(std::shared_ptr<GLImageMovieWriter> newValue)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (newValue) {
        addedAudioInputsDueToEncodingTarget = addAudioInputsAndOutputs() || addedAudioInputsDueToEncodingTarget;
    } else if (addedAudioInputsDueToEncodingTarget) {
        removeAudioInputsAndOutputs();
        addedAudioInputsDueToEncodingTarget = false;
    }
    GLImageOutput::setAudioEncodingTarget(std::move(newValue));
}

bool GLImageVideoCamera::addAudioInputsAndOutputs()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (audioOutput)
        return false;
    _captureSession->beginConfiguration();
    _microphone = plat::CaptureDevice::defaultDeviceWithMediaType(plat::kMediaTypeAudio);
    if (_microphone) {
        auto input = plat::CaptureDeviceInput::deviceInputWithDevice(_microphone);
        if (input.ok() && _captureSession->canAddInput(input.value())) {
            audioInput = input.value();
            _captureSession->addInput(audioInput);
        } else if (!input.ok()) {
            plat::log("GLImageVideoCamera: the microphone cannot be opened: {}", input.error().localizedDescription());
        }
    }
    auto output = std::make_shared<plat::CaptureAudioDataOutput>();
    if (_captureSession->canAddOutput(output)) {
        audioOutput = output;
        _captureSession->addOutput(audioOutput);
    } else {
        plat::log("Couldn't add audio output");
    }
    if (audioOutput) {
        std::shared_ptr<plat::CaptureAudioDataOutputSampleBufferDelegate> delegate = selfAsCamera();
        audioOutput->setSampleBufferDelegate(delegate, audioProcessingQueue);
    }
    _captureSession->commitConfiguration();
    return true;
}

bool GLImageVideoCamera::removeAudioInputsAndOutputs()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!audioOutput)
        return false;
    _captureSession->beginConfiguration();
    if (audioInput)
        _captureSession->removeInput(audioInput);
    audioOutput->setSampleBufferDelegate({}, nullptr);
    _captureSession->removeOutput(audioOutput);
    audioInput.reset();
    _microphone.reset();
    audioOutput.reset();
    _captureSession->commitConfiguration();
    return true;
}

void GLImageVideoCamera::removeInputsAndOutputs()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    _captureSession->beginConfiguration();
    if (videoInput) {
        _captureSession->removeInput(videoInput);
        _captureSession->removeOutput(videoOutput);
        videoInput.reset();
    }
    if (_microphone) {
        if (audioInput)
            _captureSession->removeInput(audioInput);
        if (audioOutput)
            _captureSession->removeOutput(audioOutput);
        audioInput.reset();
        audioOutput.reset();
        _microphone.reset();
    }
    _captureSession->commitConfiguration();
}

void GLImageVideoCamera::captureOutput(
    plat::CaptureOutput&, const std::shared_ptr<const plat::SampleBuffer>& sampleBuffer, plat::CaptureConnection&)
{
    if (!_capturing)
        return;
    if (sampleBuffer->isLinearPCM()) {
        processAudioSampleBuffer(sampleBuffer);
        return;
    }
    // One picture in flight; the rest are dropped here, whole.
    if (!frameRenderingSemaphore.wait(0.0))
        return;
    runAsynchronouslyOnContextQueue([self = selfAsCamera(), sampleBuffer] {
        std::shared_ptr<GLImageVideoCameraDelegate> delegate;
        {
            std::lock_guard guard(self->_delegateLock);
            delegate = self->_delegate.lock();
        }
        if (delegate)
            delegate->willOutputSampleBuffer(sampleBuffer);
        self->processVideoSampleBuffer(sampleBuffer);
        self->frameRenderingSemaphore.signal();
    });
}

void GLImageVideoCamera::processAudioSampleBuffer(const std::shared_ptr<const plat::SampleBuffer>& sampleBuffer)
{
    if (auto target = audioEncodingTarget())
        target->processAudioBuffer(sampleBuffer);
}

void GLImageVideoCamera::processVideoSampleBuffer(const std::shared_ptr<const plat::SampleBuffer>& sampleBuffer)
{
    if (capturePaused)
        return;
    const auto& pixelBuffer = sampleBuffer->imageBuffer();
    if (!pixelBuffer)
        return;  // a dropped picture carries only its time
    const double startTime = plat::Clock::current().uptimeSeconds();
    const int bufferWidth = pixelBuffer->width();
    const int bufferHeight = pixelBuffer->height();
    const plat::MediaTime currentTime = sampleBuffer->presentationTimeStamp();
    GLImageContext::useImageProcessingContext();

    handOverPicture(pixelBuffer, "Camera", [&](PictureUpload upload) {
        if (upload == PictureUpload::Textures) {
            updateTargetsForVideoCameraUsingCacheTextureAtWidth(bufferWidth, bufferHeight, currentTime);
            return;
        }
        auto ignored = targetToIgnoreForUpdates();
        auto targets = _targets;
        auto indices = targetTextureIndices;
        for (size_t i = 0; i < targets.size(); ++i) {
            if (!targets[i]->enabled() || targets[i] == ignored || !hasTargetAt(targets[i], indices[i]))
                continue;
            targets[i]->setInputSize({double(bufferWidth), double(bufferHeight)}, indices[i]);
            targets[i]->newFrameReadyAtTime(currentTime, indices[i]);
        }
    });

    if (_runBenchmark) {
        ++numberOfFramesCaptured;
        if (numberOfFramesCaptured > kBenchmarkWarmUpFrames) {
            const double frameTime = plat::Clock::current().uptimeSeconds() - startTime;
            totalFrameTimeDuringCapture += frameTime;
            if (GLImageContext::supportsFastTextureUpload()) {
                plat::log("Average frame time : {} ms",
                    totalFrameTimeDuringCapture / double(numberOfFramesCaptured - kBenchmarkWarmUpFrames) * 1000.0);
                plat::log("Current frame time : {} ms", frameTime * 1000.0);
            }
        }
    }
}

void GLImageVideoCamera::updateTargetsForVideoCameraUsingCacheTextureAtWidth(
    int bufferWidth, int bufferHeight, const plat::MediaTime& currentTime)
{
    auto ignored = targetToIgnoreForUpdates();
    auto targets = _targets;
    auto indices = targetTextureIndices;
    for (size_t i = 0; i < targets.size(); ++i) {
        if (!targets[i]->enabled() || !hasTargetAt(targets[i], indices[i]))
            continue;
        targets[i]->setInputRotation(outputRotation, indices[i]);
        if (targets[i] == ignored) {
            targets[i]->setInputTexture(textureForOutput(), indices[i]);
            continue;
        }
        targets[i]->setInputSize({double(bufferWidth), double(bufferHeight)}, indices[i]);
        // Monochrome targets read a YUV picture's luminance plane as it is.
        const bool monochrome = targets[i]->wantsMonochromeInput() && captureAsYUV && luminanceTexture() != 0;
        targets[i]->setCurrentlyReceivingMonochromeInput(monochrome);
        if (!monochrome && framePicture() && targets[i]->takesPictures(indices[i]))
            targets[i]->setInputPicture(framePicture(), indices[i]);
        else
            targets[i]->setInputTexture(monochrome ? luminanceTexture() : textureForOutput(), indices[i]);
        targets[i]->newFrameReadyAtTime(currentTime, indices[i]);
    }
}

plat::Size GLImageVideoCamera::yuvConversionFramebufferSizeForTesting() const
{
    plat::Size size;
    runSynchronouslyOnContextQueue([&] {
        size = {double(yuvConversion().imageBufferWidth()), double(yuvConversion().imageBufferHeight())};
    });
    return size;
}

int GLImageVideoCamera::yuvConversionFramebuffersMadeForTesting() const
{
    int made = 0;
    runSynchronouslyOnContextQueue([&] { made = yuvConversionFramebuffersMade(); });
    return made;
}

}  // namespace zt
