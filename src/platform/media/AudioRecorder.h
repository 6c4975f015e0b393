#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

namespace plat {
class AudioRecorder;
class Clock;
class Timer;
namespace detail {
class AppleLosslessFileWriter;
class MicrophoneInput;
}  // namespace detail

// The recorder's settings key for the encoder's quality, and its best value.
inline constexpr const char* kEncoderAudioQualityKey = "AVEncoderAudioQualityKey";
inline constexpr int64_t kAudioQualityMax = 0x7F;

// Optional operations; the defaults do nothing. Told on the main queue.
class AudioRecorderDelegate {
public:
    virtual ~AudioRecorderDelegate() = default;
    // After stop, or after a failure ended the recording (successfully false).
    virtual void audioRecorderDidFinishRecording(AudioRecorder& recorder, bool successfully)
    {
        (void)recorder;
        (void)successfully;
    }
    // The sound could not be taken or written on (the microphone went away,
    // the disk is full); the finish follows.
    virtual void audioRecorderEncodeErrorDidOccur(AudioRecorder& recorder, const Error& error)
    {
        (void)recorder;
        (void)error;
    }
};

// Records the device's microphone (MicrophoneFolder) into a file, as the
// platform's audio recorder: Apple Lossless in a Core Audio Format file
// (".caf"), at the rate and channel count of its settings, written through
// FFmpeg. The file is made by prepareToRecord; record takes sound from then
// on, stop finishes the file. A virtual microphone delivers in step with
// the run-loop clock: every few milliseconds on the main run loop, and
// whenever the recorder is asked where it is, so a test that advances the
// manual clock records exactly that much. Meters give the average and peak
// power of what came since the last updateMeters, in dBFS. Recording needs
// the person's permission and an audio session whose category records.
// Main queue.
class AudioRecorder : public std::enable_shared_from_this<AudioRecorder> {
public:
    // How often the recorder takes sound on the main run loop.
    static constexpr double kPumpIntervalSeconds = 0.02;
    // The power of silence, and of a recorder that is not recording.
    static constexpr float kSilencePower = -160;

    // Fails, with an error of the media domain, for a URL that is no file
    // ending in ".caf" or settings other than Apple Lossless at a usable
    // rate (8 to 192 kHz) and channel count (1 or 2).
    static Result<std::shared_ptr<AudioRecorder>> initWithURL(const URL& url, const Dictionary& settings);
    ~AudioRecorder();
    AudioRecorder(const AudioRecorder&) = delete;
    AudioRecorder& operator=(const AudioRecorder&) = delete;

    const URL& url() const { return _url; }
    const Dictionary& settings() const { return _settings; }

    // Creates the file (replacing one of that name); false when it cannot.
    bool prepareToRecord();
    // Starts taking sound (preparing first when needed). False, with
    // lastError, when the file cannot be made, the person refused the
    // microphone, the session's category does not record, or there is no
    // microphone to open.
    bool record();
    // Finishes the file; the delegate hears of the finish.
    void stop();
    // Stops and removes the file.
    bool deleteRecording();
    bool isRecording() const { return _recording; }
    // Seconds recorded so far, while recording.
    double currentTime();

    bool isMeteringEnabled() const { return _meteringEnabled; }
    void setMeteringEnabled(bool enabled) { _meteringEnabled = enabled; }
    void updateMeters();
    float averagePowerForChannel(int64_t channel) const;
    float peakPowerForChannel(int64_t channel) const;

    std::weak_ptr<AudioRecorderDelegate> delegate() const { return _delegate; }
    void setDelegate(std::weak_ptr<AudioRecorderDelegate> delegate) { _delegate = std::move(delegate); }

    // Why the last prepareToRecord or record answered false, or why the
    // last recording ended unsuccessfully; the platform only says no, but a
    // person deserves the reason.
    const std::optional<Error>& lastError() const { return _lastError; }

    struct Passkey {
        explicit Passkey() = default;
    };
    AudioRecorder(Passkey, URL url, Dictionary settings, int sampleRate, int channels);

private:
    // Takes what the microphone has for the clock's now and writes it.
    void takeSound();
    bool fail(Error error);
    void failWhileRecording(Error error);
    void finishFile();
    void endRecording();
    void notifyFinish(bool successfully, std::optional<Error> error);

    URL _url;
    Dictionary _settings;
    int _sampleRate;
    int _channels;
    std::weak_ptr<AudioRecorderDelegate> _delegate;
    std::unique_ptr<detail::AppleLosslessFileWriter> _writer;
    std::unique_ptr<detail::MicrophoneInput> _input;
    std::shared_ptr<Timer> _pump;
    std::shared_ptr<Clock> _clock;  // the clock a virtual microphone keeps pace with
    double _startUptime = 0;
    int64_t _framesTaken = 0;
    bool _recording = false;
    bool _meteringEnabled = false;
    std::vector<float> _buffer;
    // Metering since the last updateMeters, per channel.
    std::vector<double> _sumOfSquares;
    std::vector<float> _loudest;
    int64_t _meteredFrames = 0;
    std::vector<float> _averagePower;
    std::vector<float> _peakPower;
    std::optional<Error> _lastError;
};

}  // namespace plat
