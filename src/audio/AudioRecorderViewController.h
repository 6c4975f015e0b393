#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/media/AudioRecorder.h"
#include "platform/ui/ViewController.h"

namespace plat {
class Button;
class Label;
class Slider;
class Timer;
}  // namespace plat

namespace zt {
class AudioRecorderViewController;
class QVBarGauge;

// What the recorder panel tells the screen that opened it.
class AudioRecorderViewDelegate {
public:
    virtual ~AudioRecorderViewDelegate() = default;
    // Recording has started (or a review was asked for).
    virtual void audioRecorderDidStartRecording(AudioRecorderViewController& recorder) = 0;
    // A recording ended normally; file is the full path of a whole recording.
    virtual void audioRecorderDidStopRecording(AudioRecorderViewController& recorder, const std::string& file) = 0;
    // The panel should close without a recording.
    virtual void audioRecorderDidCancelRecording(AudioRecorderViewController& recorder) = 0;
    // Asked at the press of Record, before the countdown: why a recording
    // could not be kept where the delegate puts it; none when it can.
    virtual std::optional<plat::Error> audioRecorderCannotStoreRecording(AudioRecorderViewController&)
    {
        return std::nullopt;
    }
};

// The voice-over recorder panel (the layout "AudioRecorderViewController"):
// the record button starts a countdown of "3", "2", "1", then records the
// microphone into "record-<date>.caf" in the temporary folder while a level
// meter shows the input; a second press stops and hands the file to the
// delegate, which adds it to the project at startRecordingAtFrame. There is
// one level loop and one countdown at a time, and both stop when the panel
// closes. A recording that fails (no microphone, no permission, a full
// disk) is reported and its file removed; nothing half made is handed on.
// Main thread.
class AudioRecorderViewController : public plat::ViewController, public plat::AudioRecorderDelegate {
public:
    // The meter reads -40 dB as empty and 0 dB as full.
    static constexpr double kMeterFloorDecibels = -40;
    static constexpr double kLevelIntervalSeconds = 0.1;
    static constexpr double kCountdownStepSeconds = 1.0;
    static constexpr int64_t kCountdownStart = 4;

    AudioRecorderViewController();  // init: from its layout
    ~AudioRecorderViewController() override;

    // The layout's outlets.
    const std::shared_ptr<plat::Label>& labelAudioRecordInfo() const { return _labelAudioRecordInfo; }
    const std::shared_ptr<plat::Slider>& sliderAudioRecordLevel() const { return _sliderAudioRecordLevel; }
    const std::shared_ptr<plat::Button>& btnAudioStartRecord() const { return _btnAudioStartRecord; }
    const std::shared_ptr<plat::Button>& btnAudioCancel() const { return _btnAudioCancel; }
    const std::shared_ptr<QVBarGauge>& levelMeter() const { return _levelMeter; }

    const std::shared_ptr<plat::AudioRecorder>& audioRecorder() const { return _audioRecorder; }
    const std::string& audioFile() const { return _audioFile; }
    bool isAudioRecording() const { return _isAudioRecording; }
    std::weak_ptr<AudioRecorderViewDelegate> delegate() const { return _delegate; }
    void setDelegate(std::weak_ptr<AudioRecorderViewDelegate> delegate) { _delegate = std::move(delegate); }
    int64_t startRecordingAtFrame() const { return _startRecordingAtFrame; }
    void setStartRecordingAtFrame(int64_t frame) { _startRecordingAtFrame = frame; }
    // True while the level loop runs.
    bool isMetering() const;

    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;

    // A new file name, the session set to record, a prepared recorder, the level loop.
    void initAudioRecorder();
    void startAudioRecorder();
    void stopAudioRecorder();
    void audioRecordLevelsUpdateLoop();
    void audioRecordTimerCounter(int64_t number);
    void actionStartRecord(plat::Button& sender);
    void actionAudioCancel();
    void actionReview(plat::Button& sender);
    void removeRecorderIfNotRecording();

    void audioRecorderEncodeErrorDidOccur(plat::AudioRecorder& recorder, const plat::Error& error) override;

private:
    void connectOutlets();
    void startLevelLoop();
    void stopLevelLoop();
    void scheduleCountdownStep(int64_t number);
    void cancelCountdown();
    void showReady();
    // Removes the current recorder's file, unless it was handed on.
    void discardRecording();
    // Stops everything the panel runs; it is closing.
    void close();
    // Why a recording could not be stored, from its file in the temporary
    // folder to its place in the project; none when it can.
    std::optional<plat::Error> recordingCannotBeStored();
    // Reports a recording that could not be made and removes what it left.
    void reportFailedRecording(const plat::Error& error);
    std::shared_ptr<AudioRecorderViewDelegate> lockedDelegate() const { return _delegate.lock(); }

    std::shared_ptr<plat::Label> _labelAudioRecordInfo;
    std::shared_ptr<plat::Slider> _sliderAudioRecordLevel;
    std::shared_ptr<plat::Button> _btnAudioStartRecord;
    std::shared_ptr<plat::Button> _btnAudioCancel;
    std::shared_ptr<QVBarGauge> _levelMeter;
    std::shared_ptr<plat::AudioRecorder> _audioRecorder;
    std::optional<plat::Error> _recorderFailure;  // why there is no recorder
    std::string _audioFile;
    bool _isAudioRecording = false;
    bool _delegateToldOfStart = false;
    std::weak_ptr<AudioRecorderViewDelegate> _delegate;
    int64_t _startRecordingAtFrame = 0;
    std::shared_ptr<plat::Timer> _levelLoop;
    std::shared_ptr<plat::Timer> _countdownStep;
};

}  // namespace zt
