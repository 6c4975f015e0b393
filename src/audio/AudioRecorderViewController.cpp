#include "audio/AudioRecorderViewController.h"

#include "document/FailureReason.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/Timer.h"
#include "platform/graphics/Image.h"
#include "platform/media/AudioSession.h"
#include "platform/media/MediaConstants.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Slider.h"
#include "uikit/AlertView.h"
#include "uikit/QVBarGauge.h"

namespace zt {

namespace {

const plat::Color kAccent = plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1);
constexpr const char* kErrorDomain = "AudioRecorderViewController";
constexpr int64_t kNoRecorderError = 1;
constexpr int64_t kNothingRecordedError = 2;

plat::Color rgb(int red, int green, int blue)
{
    return plat::Color::colorWithRed(red / 255.0, green / 255.0, blue / 255.0, 1);
}

plat::Dictionary recordingSettings()
{
    return plat::Dictionary {{plat::kSampleRateKey, 44100.0},
        {plat::kFormatIDKey, static_cast<int64_t>(plat::kAudioFormatAppleLossless)}, {plat::kNumberOfChannelsKey, 1},
        {plat::kEncoderAudioQualityKey, plat::kAudioQualityMax}};
}

std::string recordingFileName()
{
    plat::DateFormatter formatter;
    formatter.setDateFormat("yyyy-MM-dd-HH-mm-ss");
    return "record-" + formatter.stringFromDate(plat::Date::now()) + ".caf";
}

// Sound played while the panel is gone is heard again.
void letThePlayersBeHeard()
{
    std::optional<plat::Error> error;
    if (!plat::AudioSession::sharedInstance().setCategory(plat::kAudioSessionCategorySoloAmbient, &error))
        plat::log("recorder panel: the audio session stays as it is: {}", error->localizedDescription());
}

template <typename T> std::shared_ptr<T> outletOf(const plat::ViewController& owner, const std::string& name)
{
    auto view = std::dynamic_pointer_cast<T>(owner.outlet(name));
    if (!view)
        plat::log("recorder panel: the layout has no {}", name);
    return view;
}

}  // namespace

AudioRecorderViewController::AudioRecorderViewController()
    : plat::ViewController("AudioRecorderViewController")
{
}

AudioRecorderViewController::~AudioRecorderViewController()
{
    if (_levelLoop)
        _levelLoop->invalidate();
    if (_countdownStep)
        _countdownStep->invalidate();
    discardRecording();
}

bool AudioRecorderViewController::isMetering() const
{
    return _levelLoop && _levelLoop->isValid();
}

void AudioRecorderViewController::connectOutlets()
{
    _labelAudioRecordInfo = outletOf<plat::Label>(*this, "labelAudioRecordInfo");
    _sliderAudioRecordLevel = outletOf<plat::Slider>(*this, "sliderAudioRecordLevel");
    _btnAudioStartRecord = outletOf<plat::Button>(*this, "btnAudioStartRecord");
    _btnAudioCancel = outletOf<plat::Button>(*this, "btnAudioCancel");
    _levelMeter = outletOf<QVBarGauge>(*this, "levelMeter");
}

void AudioRecorderViewController::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    connectOutlets();
    if (_sliderAudioRecordLevel)
        _sliderAudioRecordLevel->setThumbImage(
            plat::Image::imageNamed("edit_record_db_knop.png"), plat::ControlStateNormal);
    if (_labelAudioRecordInfo)
        _labelAudioRecordInfo->setText(plat::localized("Ready to Record"));
    if (_btnAudioStartRecord) {
        _btnAudioStartRecord->setTitle(plat::localized("Record"), plat::ControlStateNormal);
        _btnAudioStartRecord->setTitleColor(kAccent, plat::ControlStateNormal);
        _btnAudioStartRecord->addTarget(
            this, &AudioRecorderViewController::actionStartRecord, plat::ControlEventTouchUpInside);
    }
    if (_btnAudioCancel) {
        _btnAudioCancel->setTitle(plat::localized("Cancel"), plat::ControlStateNormal);
        _btnAudioCancel->addTarget(
            this, &AudioRecorderViewController::actionAudioCancel, plat::ControlEventTouchUpInside);
    }
    if (_levelMeter) {
        _levelMeter->setLitEffect(false);
        _levelMeter->setHoldPeak(true);
        _levelMeter->setOuterBorderColor(plat::Color::clearColor());
        _levelMeter->setInnerBorderColor(plat::Color::clearColor());
        _levelMeter->setBackgroundColor(plat::Color::clearColor());
        _levelMeter->setNormalBarColor(rgb(46, 204, 113));
        _levelMeter->setWarningBarColor(rgb(202, 204, 46));
        _levelMeter->setDangerBarColor(rgb(142, 68, 173));
    }
    initAudioRecorder();
}

void AudioRecorderViewController::viewDidAppear(bool animated)
{
    plat::ViewController::viewDidAppear(animated);
    std::weak_ptr<AudioRecorderViewController> weakSelf = sharedAs<AudioRecorderViewController>();
    plat::AudioSession::sharedInstance().requestRecordPermission([weakSelf](bool granted) {
        auto self = weakSelf.lock();
        if (!self)
            return;
        if (granted) {
            if (self->_btnAudioStartRecord)
                self->_btnAudioStartRecord->setEnabled(true);
            return;
        }
        plat::DispatchQueue::mainQueue().async([weakSelf] {
            auto alert = std::make_shared<AlertView>(
                plat::localized("Error"), plat::localized("AUDIOREORDER_MICROPHONE_ACCESS_HELP"));
            alert->addButtonWithTitle(plat::localized("Dismiss"), [weakSelf](AlertView&, int64_t) {
                if (auto panel = weakSelf.lock())
                    panel->actionAudioCancel();
            });
            alert->show();
        });
    });
}

void AudioRecorderViewController::initAudioRecorder()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    // A recorder that never recorded leaves no file behind.
    discardRecording();
    _audioFile = plat::appendingPathComponent(plat::Sandbox::current()->temporaryDirectory(), recordingFileName());
    auto& session = plat::AudioSession::sharedInstance();
    (void)session.setActive(true);
    (void)session.setCategory(plat::kAudioSessionCategoryRecord);
    auto made = plat::AudioRecorder::initWithURL(plat::URL::fileURLWithPath(_audioFile), recordingSettings());
    if (!made.ok()) {
        // Reported when the person presses Record.
        plat::log("recorder panel: {}", made.error().localizedDescription());
        _audioRecorder.reset();
        _recorderFailure = made.error();
    } else {
        _recorderFailure.reset();
        _audioRecorder = made.value();
        _audioRecorder->setDelegate(
            std::static_pointer_cast<plat::AudioRecorderDelegate>(sharedAs<AudioRecorderViewController>()));
        if (!_audioRecorder->prepareToRecord())
            plat::log("recorder panel: cannot prepare {}", _audioFile);
        _audioRecorder->setMeteringEnabled(true);
    }
    startLevelLoop();
}

void AudioRecorderViewController::startLevelLoop()
{
    if (isMetering())
        return;  // one loop, however often a recorder is prepared
    std::weak_ptr<AudioRecorderViewController> weakSelf = sharedAs<AudioRecorderViewController>();
    _levelLoop = plat::Timer::scheduledTimerWithTimeInterval(
        kLevelIntervalSeconds,
        [weakSelf] {
            if (auto self = weakSelf.lock())
                self->audioRecordLevelsUpdateLoop();
        },
        /*repeats=*/true);
    audioRecordLevelsUpdateLoop();
}

void AudioRecorderViewController::stopLevelLoop()
{
    if (_levelLoop) {
        _levelLoop->invalidate();
        _levelLoop.reset();
    }
}

void AudioRecorderViewController::audioRecordLevelsUpdateLoop()
{
    if (!_audioRecorder) {
        stopLevelLoop();
        return;
    }
    _audioRecorder->updateMeters();
    const double decibels = _audioRecorder->averagePowerForChannel(0);
    if (_levelMeter)
        _levelMeter->setValue(static_cast<float>((decibels - kMeterFloorDecibels) / -kMeterFloorDecibels));
}

void AudioRecorderViewController::startAudioRecorder()
{
    // The delegate starts the movie only for a recording that has started.
    if (!_audioRecorder) {
        reportFailedRecording(_recorderFailure.value_or(
            plat::Error(kErrorDomain, kNoRecorderError, plat::localized("There is no recorder."))));
        return;
    }
    if (!_audioRecorder->record()) {
        reportFailedRecording(_audioRecorder->lastError().value_or(
            plat::Error(kErrorDomain, kNoRecorderError, plat::localized("The microphone could not be used."))));
        return;
    }
    _isAudioRecording = true;
    _delegateToldOfStart = true;
    if (auto delegate = lockedDelegate())
        delegate->audioRecorderDidStartRecording(*this);
}

void AudioRecorderViewController::stopAudioRecorder()
{
    if (_audioRecorder)
        _audioRecorder->stop();
    _isAudioRecording = false;
    letThePlayersBeHeard();
}

void AudioRecorderViewController::scheduleCountdownStep(int64_t number)
{
    cancelCountdown();
    std::weak_ptr<AudioRecorderViewController> weakSelf = sharedAs<AudioRecorderViewController>();
    _countdownStep = plat::Timer::scheduledTimerWithTimeInterval(
        kCountdownStepSeconds,
        [weakSelf, number] {
            if (auto self = weakSelf.lock())
                self->audioRecordTimerCounter(number);
        },
        /*repeats=*/false);
}

void AudioRecorderViewController::cancelCountdown()
{
    if (_countdownStep) {
        _countdownStep->invalidate();
        _countdownStep.reset();
    }
}

void AudioRecorderViewController::audioRecordTimerCounter(int64_t number)
{
    if (!_isAudioRecording || number < 0 || number > kCountdownStart)
        return;
    if (number == kCountdownStart) {
        initAudioRecorder();
    } else if (number > 0) {
        if (_labelAudioRecordInfo)
            _labelAudioRecordInfo->setText(std::to_string(number));
    } else {
        if (_labelAudioRecordInfo)
            _labelAudioRecordInfo->setText(plat::localized("Recording"));
        _countdownStep.reset();
        startAudioRecorder();
        return;
    }
    scheduleCountdownStep(number - 1);
}

void AudioRecorderViewController::actionStartRecord(plat::Button&)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!_isAudioRecording) {
        // A recording that could not be kept is refused now, not after the countdown.
        if (auto problem = recordingCannotBeStored()) {
            reportFailedRecording(*problem);
            return;
        }
        _isAudioRecording = true;
        if (_btnAudioStartRecord)
            _btnAudioStartRecord->setTitle(plat::localized("Stop"), plat::ControlStateNormal);
        if (_labelAudioRecordInfo)
            _labelAudioRecordInfo->setText(plat::localized("Prepare for Recording"));
        scheduleCountdownStep(kCountdownStart);
        return;
    }
    cancelCountdown();
    const bool wasRecording = _audioRecorder && _audioRecorder->isRecording();
    // What was taken up to this moment belongs to the recording.
    const double recordedSeconds = wasRecording ? _audioRecorder->currentTime() : 0;
    stopAudioRecorder();
    if (!wasRecording) {
        showReady();
        return;
    }
    if (auto failure = _audioRecorder->lastError()) {
        reportFailedRecording(*failure);
        return;
    }
    if (!(recordedSeconds > 0)) {
        reportFailedRecording(
            plat::Error(kErrorDomain, kNothingRecordedError, plat::localized("Nothing was recorded.")));
        return;
    }
    // The file is the delegate's now: no later clean-up of ours may take it.
    const std::string file = _audioFile;
    _audioRecorder.reset();
    _delegateToldOfStart = false;
    stopLevelLoop();
    if (auto delegate = lockedDelegate())
        delegate->audioRecorderDidStopRecording(*this, file);
}

std::optional<plat::Error> AudioRecorderViewController::recordingCannotBeStored()
{
    if (!_audioRecorder)
        return _recorderFailure.value_or(
            plat::Error(kErrorDomain, kNoRecorderError, plat::localized("There is no recorder.")));
    // Opens the recording's file, as the countdown's recorder will.
    if (!_audioRecorder->prepareToRecord())
        return _audioRecorder->lastError().value_or(
            plat::Error(kErrorDomain, kNoRecorderError, plat::localized("There is no recorder.")));
    if (auto delegate = lockedDelegate())
        return delegate->audioRecorderCannotStoreRecording(*this);
    return std::nullopt;
}

void AudioRecorderViewController::showReady()
{
    if (_labelAudioRecordInfo)
        _labelAudioRecordInfo->setText(plat::localized("Ready to Record"));
    if (_btnAudioStartRecord)
        _btnAudioStartRecord->setTitle(plat::localized("Record"), plat::ControlStateNormal);
}

void AudioRecorderViewController::discardRecording()
{
    if (!_audioRecorder)
        return;
    if (!_audioRecorder->deleteRecording())
        plat::log("recorder panel: {} stays", _audioFile);
}

void AudioRecorderViewController::close()
{
    cancelCountdown();
    stopLevelLoop();
    discardRecording();
    _audioRecorder.reset();
    _isAudioRecording = false;
    _delegateToldOfStart = false;
    letThePlayersBeHeard();
}

void AudioRecorderViewController::actionAudioCancel()
{
    auto keepAlive = sharedAs<AudioRecorderViewController>();  // the delegate lets go of us
    if (_isAudioRecording)
        stopAudioRecorder();
    close();
    if (auto delegate = lockedDelegate())
        delegate->audioRecorderDidCancelRecording(*this);
}

void AudioRecorderViewController::actionReview(plat::Button&)
{
    if (auto delegate = lockedDelegate())
        delegate->audioRecorderDidStartRecording(*this);
}

void AudioRecorderViewController::removeRecorderIfNotRecording()
{
    if (!_isAudioRecording)
        actionAudioCancel();
}

void AudioRecorderViewController::audioRecorderEncodeErrorDidOccur(
    plat::AudioRecorder& recorder, const plat::Error& error)
{
    // Only a failure of the recording under way; one reported at a stop was handled there.
    if (&recorder != _audioRecorder.get() || !_isAudioRecording)
        return;
    reportFailedRecording(error);
}

void AudioRecorderViewController::reportFailedRecording(const plat::Error& error)
{
    auto keepAlive = sharedAs<AudioRecorderViewController>();
    plat::log("recorder panel: no voice-over: {}", error.localizedDescription());
    const bool startWasTold = _delegateToldOfStart;
    _delegateToldOfStart = false;
    cancelCountdown();
    if (_audioRecorder && _audioRecorder->isRecording())
        _audioRecorder->stop();
    _isAudioRecording = false;
    discardRecording();
    letThePlayersBeHeard();
    showReady();
    auto alert
        = std::make_shared<AlertView>(plat::localized("The voice-over could not be recorded."), failureReason(error));
    alert->addButtonWithTitle(plat::localized("Dismiss"), nullptr);
    alert->show();
    // A delegate that started the movie for the recording hears it is over, without a file.
    if (startWasTold) {
        close();
        if (auto delegate = lockedDelegate())
            delegate->audioRecorderDidCancelRecording(*this);
    }
}

}  // namespace zt
