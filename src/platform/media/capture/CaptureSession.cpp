#include "platform/media/capture/CaptureSession.h"

#include <algorithm>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/capture/CaptureAudioDataOutput.h"
#include "platform/media/capture/CaptureAudioEngine.h"
#include "platform/media/capture/CaptureDevice.h"
#include "platform/media/capture/CaptureEngine.h"
#include "platform/media/capture/CaptureInput.h"
#include "platform/media/capture/CaptureOutput.h"
#include "platform/media/capture/CaptureVideoPreviewLayer.h"

namespace plat {

namespace {

bool isKnownPreset(const std::string& preset)
{
    for (const char* known : {kCaptureSessionPresetPhoto, kCaptureSessionPresetHigh, kCaptureSessionPreset1920x1080,
             kCaptureSessionPreset1280x720, kCaptureSessionPreset640x480}) {
        if (preset == known)
            return true;
    }
    return false;
}

}  // namespace

std::shared_ptr<CaptureSession> CaptureSession::create()
{
    return std::make_shared<CaptureSession>(Passkey());
}

CaptureSession::CaptureSession(Passkey)
    : _sessionPreset(kCaptureSessionPresetHigh)
    , _capturedPictures(std::make_shared<std::atomic<uint64_t>>(0))
{
}

CaptureSession::~CaptureSession()
{
    stopEngine();
    for (const auto& output : _outputs)
        output->leaveSession();
}

void CaptureSession::beginConfiguration()
{
    ++_configurationDepth;
}

void CaptureSession::commitConfiguration()
{
    if (_configurationDepth == 0) {
        log("capture session: commitConfiguration without beginConfiguration");
        return;
    }
    if (--_configurationDepth == 0 && _changedDuringConfiguration) {
        _changedDuringConfiguration = false;
        configurationChanged();
    }
}

std::shared_ptr<CaptureDeviceInput> CaptureSession::cameraInput() const
{
    for (const auto& input : _inputs) {
        auto camera = std::dynamic_pointer_cast<CaptureDeviceInput>(input);
        if (camera && camera->device()->hasMediaType(kMediaTypeVideo))
            return camera;
    }
    return nullptr;
}

std::shared_ptr<CaptureDeviceInput> CaptureSession::microphoneInput() const
{
    for (const auto& input : _inputs) {
        auto microphone = std::dynamic_pointer_cast<CaptureDeviceInput>(input);
        if (microphone && microphone->device()->hasMediaType(kMediaTypeAudio))
            return microphone;
    }
    return nullptr;
}

bool CaptureSession::canSetSessionPreset(const std::string& preset) const
{
    if (!isKnownPreset(preset))
        return false;
    auto camera = cameraInput();
    return !camera || camera->device()->supportsAVCaptureSessionPreset(preset);
}

void CaptureSession::setSessionPreset(const std::string& preset)
{
    if (!canSetSessionPreset(preset)) {
        log("capture session: preset {} refused", preset);
        return;
    }
    if (preset == _sessionPreset)
        return;
    _sessionPreset = preset;
    configurationChanged();
}

bool CaptureSession::canAddInput(const std::shared_ptr<CaptureInput>& input) const
{
    if (!input || std::find(_inputs.begin(), _inputs.end(), input) != _inputs.end())
        return false;
    auto device = std::dynamic_pointer_cast<CaptureDeviceInput>(input);
    if (device && device->device()->hasMediaType(kMediaTypeAudio))
        return !microphoneInput();  // one microphone at a time
    if (device && cameraInput())
        return false;  // one camera at a time
    return !device || device->device()->supportsAVCaptureSessionPreset(_sessionPreset);
}

void CaptureSession::addInput(const std::shared_ptr<CaptureInput>& input)
{
    if (!canAddInput(input)) {
        log("capture session: input refused");
        return;
    }
    _inputs.push_back(input);
    configurationChanged();
}

void CaptureSession::removeInput(const std::shared_ptr<CaptureInput>& input)
{
    auto found = std::find(_inputs.begin(), _inputs.end(), input);
    if (found == _inputs.end())
        return;
    _inputs.erase(found);
    configurationChanged();
}

bool CaptureSession::canAddOutput(const std::shared_ptr<CaptureOutput>& output) const
{
    return output && output->connections().empty()
        && std::find(_outputs.begin(), _outputs.end(), output) == _outputs.end();
}

void CaptureSession::addOutput(const std::shared_ptr<CaptureOutput>& output)
{
    if (!canAddOutput(output)) {
        log("capture session: output refused");
        return;
    }
    output->joinSession();
    _outputs.push_back(output);
    configurationChanged();
}

void CaptureSession::removeOutput(const std::shared_ptr<CaptureOutput>& output)
{
    auto found = std::find(_outputs.begin(), _outputs.end(), output);
    if (found == _outputs.end())
        return;
    // Stopped first, so that the output hears of the end of its run.
    if (_running && _configurationDepth == 0)
        stopEngine();
    _outputs.erase(found);
    output->sessionDidStopRunning();
    output->leaveSession();
    configurationChanged();
}

void CaptureSession::addPreviewLayer(const std::shared_ptr<CaptureVideoPreviewLayer>& layer)
{
    _previewLayers.push_back(layer);
    configurationChanged();
}

void CaptureSession::removePreviewLayer(const CaptureVideoPreviewLayer* layer)
{
    std::erase_if(_previewLayers, [layer](const std::weak_ptr<CaptureVideoPreviewLayer>& entry) {
        auto held = entry.lock();
        return !held || held.get() == layer;
    });
    configurationChanged();
}

void CaptureSession::updateActiveSizes()
{
    if (auto camera = cameraInput()) {
        if (auto size = camera->device()->sizeForSessionPreset(_sessionPreset))
            camera->setActivePictureSize(*size);
    }
}

void CaptureSession::configurationChanged()
{
    if (_configurationDepth > 0) {
        _changedDuringConfiguration = true;
        return;
    }
    updateActiveSizes();
    if (_running) {
        stopEngine();
        startEngine();
    }
}

void CaptureSession::startRunning()
{
    assertOnQueue(DispatchQueue::mainQueue());
    if (_running)
        return;
    _running = true;
    updateActiveSizes();
    startEngine();
}

void CaptureSession::stopRunning()
{
    assertOnQueue(DispatchQueue::mainQueue());
    if (!_running)
        return;
    _running = false;
    stopEngine();
}

void CaptureSession::startEngine()
{
    startAudioEngine();
    auto camera = cameraInput();
    if (!camera)
        return;  // running, without pictures
    auto size = camera->device()->sizeForSessionPreset(_sessionPreset);
    if (!size)
        return;
    // The camera's pace is its own, or what its active frame durations allow;
    // a change of it starts the run again at the new pace.
    NotificationCenter::defaultCenter().addObserver(this, kCaptureDeviceActiveFrameRateDidChangeNotification,
        camera->device().get(), [weakSelf = weak_from_this()](const Notification&) {
            if (auto self = weakSelf.lock(); self && self->_running)
                self->configurationChanged();
        });
    detail::CaptureEngineSetup setup;
    setup.camera = camera->device()->description();
    setup.camera.frameRate = camera->device()->activeFrameRate();
    setup.width = static_cast<int>(size->width);
    setup.height = static_cast<int>(size->height);
    setup.outputs = _outputs;
    setup.previewLayers = _previewLayers;
    setup.run = _lastRun;
    setup.session = weak_from_this();
    setup.capturedPictures = _capturedPictures;
    auto engine = detail::CaptureEngine::start(std::move(setup));
    if (!engine.ok()) {
        engineFailed(_lastRun, engine.error());
        return;
    }
    _engine = engine.value();
}

// Begins the run (every output hears of it) and, with a microphone and
// outputs for its sound, starts the sound. The sound's times count from the
// same moment as the pictures'.
void CaptureSession::startAudioEngine()
{
    ++_lastRun;
    for (const auto& output : _outputs)
        output->sessionDidStartRunning(_lastRun);
    auto microphone = microphoneInput();
    if (!microphone)
        return;
    detail::CaptureAudioEngineSetup setup;
    setup.microphone = *microphone->device()->microphoneDescription();
    for (const auto& output : _outputs) {
        if (auto sound = std::dynamic_pointer_cast<CaptureAudioDataOutput>(output))
            setup.outputs.push_back(std::move(sound));
    }
    if (setup.outputs.empty())
        return;
    setup.run = _lastRun;
    setup.session = weak_from_this();
    auto engine = detail::CaptureAudioEngine::start(std::move(setup));
    if (!engine.ok()) {
        // The pictures go on without sound.
        log("capture session: the microphone cannot be started: {}", engine.error().localizedDescription());
        return;
    }
    _audioEngine = engine.value();
}

void CaptureSession::stopEngine()
{
    NotificationCenter::defaultCenter().removeObserver(this, kCaptureDeviceActiveFrameRateDidChangeNotification);
    if (_engine) {
        _engine->stop();
        _engine.reset();
    }
    if (_audioEngine) {
        _audioEngine->stop();
        _audioEngine.reset();
    }
    for (const auto& output : _outputs)
        output->sessionDidStopRunning();
}

void CaptureSession::engineFailed(uint64_t run, const Error& error)
{
    if (run != _lastRun || !_running)
        return;
    _running = false;
    stopEngine();
    Dictionary userInfo;
    userInfo.set(kCaptureSessionErrorKey, error.localizedDescription());
    NotificationCenter::defaultCenter().post(kCaptureSessionRuntimeErrorNotification, this, std::move(userInfo));
}

}  // namespace plat
