#include "platform/media/AudioRecorder.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Timer.h"
#include "platform/media/AppleLosslessFileWriter.h"
#include "platform/media/AudioPlayer.h"
#include "platform/media/AudioSession.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/MicrophoneInput.h"

namespace plat {

namespace {

constexpr double kDefaultSampleRate = 44100;
constexpr int64_t kDefaultChannels = 1;
// Sound is taken in pieces of at most this many frames.
constexpr int64_t kFramesPerPiece = 8192;
// The platform's "cannot start recording" status ('!rec').
constexpr int64_t kAudioSessionErrorCannotStartRecording = 0x21726563;

Error settingsError(const URL& url, const std::string& why)
{
    return Error(kMediaErrorDomain, kMediaErrorUnknown, "cannot record into " + url.absoluteString() + ": " + why,
        {{kFilePathErrorKey, url.path()}});
}

Error refusal(const std::string& why)
{
    return Error(kOSStatusErrorDomain, kAudioSessionErrorCannotStartRecording, why);
}

bool sessionRecords()
{
    std::string category = AudioSession::sharedInstance().category();
    return category == kAudioSessionCategoryRecord || category == kAudioSessionCategoryPlayAndRecord;
}

float decibels(double linearPower)
{
    if (!(linearPower > 0))
        return AudioRecorder::kSilencePower;
    return std::max(static_cast<float>(10 * std::log10(linearPower)), AudioRecorder::kSilencePower);
}

}  // namespace

AudioRecorder::AudioRecorder(Passkey, URL url, Dictionary settings, int sampleRate, int channels)
    : _url(std::move(url))
    , _settings(std::move(settings))
    , _sampleRate(sampleRate)
    , _channels(channels)
    , _sumOfSquares(static_cast<size_t>(channels), 0.0)
    , _loudest(static_cast<size_t>(channels), 0.0f)
    , _averagePower(static_cast<size_t>(channels), kSilencePower)
    , _peakPower(static_cast<size_t>(channels), kSilencePower)
{
}

Result<std::shared_ptr<AudioRecorder>> AudioRecorder::initWithURL(const URL& url, const Dictionary& settings)
{
    if (!url.isFileURL())
        return settingsError(url, "not a file");
    std::string extension = url.pathExtension();
    std::transform(extension.begin(), extension.end(), extension.begin(),
        [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension != "caf")
        return settingsError(url, "only Core Audio Format files (.caf) are recorded");
    auto format = settings.getInt64(kFormatIDKey);
    if (!format || *format != kAudioFormatAppleLossless)
        return settingsError(url, "only Apple Lossless is recorded");
    double rate = settings.getDouble(kSampleRateKey).value_or(kDefaultSampleRate);
    if (!(rate >= 8000 && rate <= detail::AppleLosslessFileWriter::kMaxSampleRate) || rate != std::floor(rate))
        return settingsError(url, "unusable sample rate");
    int64_t channels = settings.getInt64(kNumberOfChannelsKey).value_or(kDefaultChannels);
    if (channels < 1 || channels > detail::AppleLosslessFileWriter::kMaxChannels)
        return settingsError(url, "unusable channel count");
    if (auto quality = settings.getInt64(kEncoderAudioQualityKey);
        quality && (*quality < 0 || *quality > kAudioQualityMax))
        return settingsError(url, "unusable quality");
    return std::make_shared<AudioRecorder>(
        Passkey(), url, settings, static_cast<int>(rate), static_cast<int>(channels));
}

AudioRecorder::~AudioRecorder()
{
    if (_pump)
        _pump->invalidate();
    if (_writer) {
        // Whatever was taken stays a whole file, as when the platform's recorder goes.
        if (auto finished = _writer->finish(); !finished.ok())
            log("recorder: {}", finished.error().localizedDescription());
    }
}

bool AudioRecorder::prepareToRecord()
{
    assertOnQueue(DispatchQueue::mainQueue());
    if (_writer)
        return true;
    auto writer = detail::AppleLosslessFileWriter::create(_url.path(), _sampleRate, _channels);
    if (!writer.ok()) {
        _lastError = writer.error();
        return false;
    }
    _writer = std::move(writer).value();
    return true;
}

bool AudioRecorder::record()
{
    assertOnQueue(DispatchQueue::mainQueue());
    if (_recording)
        return true;
    if (AudioSession::sharedInstance().recordPermission() == AudioSessionRecordPermission::Denied)
        return fail(refusal("the person has not allowed the app to use the microphone"));
    if (!sessionRecords())
        return fail(refusal("the audio session's category does not record"));
    if (!prepareToRecord())
        return false;
    auto input = detail::MicrophoneInput::open(MicrophoneFolder::microphone(), _sampleRate, _channels);
    if (!input.ok())
        return fail(input.error());
    _input = std::move(input).value();
    _clock = Clock::currentShared();
    _startUptime = _clock->uptimeSeconds();
    _framesTaken = 0;
    std::fill(_sumOfSquares.begin(), _sumOfSquares.end(), 0.0);
    std::fill(_loudest.begin(), _loudest.end(), 0.0f);
    _meteredFrames = 0;
    _recording = true;
    _lastError.reset();
    std::weak_ptr<AudioRecorder> weakSelf = weak_from_this();
    _pump = Timer::scheduledTimerWithTimeInterval(
        kPumpIntervalSeconds,
        [weakSelf] {
            if (auto self = weakSelf.lock())
                self->takeSound();
        },
        /*repeats=*/true);
    return true;
}

bool AudioRecorder::fail(Error error)
{
    log("recorder: {}: {}", _url.path(), error.localizedDescription());
    _lastError = std::move(error);
    return false;
}

void AudioRecorder::takeSound()
{
    if (!_recording)
        return;
    const auto channels = static_cast<size_t>(_channels);
    for (;;) {
        int64_t wanted = kFramesPerPiece;
        if (!_input->isLive()) {
            auto due = static_cast<int64_t>(std::llround((_clock->uptimeSeconds() - _startUptime) * _sampleRate));
            wanted = std::min(due - _framesTaken, kFramesPerPiece);
            if (wanted <= 0)
                return;
        }
        _buffer.resize(static_cast<size_t>(wanted) * channels);
        auto read = _input->read(_buffer.data(), wanted);
        if (!read.ok()) {
            failWhileRecording(read.error());
            return;
        }
        const int64_t frames = read.value();
        if (_meteringEnabled) {
            for (int64_t i = 0; i < frames; ++i) {
                for (size_t c = 0; c < channels; ++c) {
                    float sample = _buffer[static_cast<size_t>(i) * channels + c];
                    _sumOfSquares[c] += static_cast<double>(sample) * sample;
                    _loudest[c] = std::max(_loudest[c], std::fabs(sample));
                }
            }
            _meteredFrames += frames;
        }
        auto written = _writer->append(_buffer.data(), frames);
        if (!written.ok()) {
            failWhileRecording(written.error());
            return;
        }
        _framesTaken += frames;
        if (frames < wanted)
            return;  // a live microphone has given what it had
    }
}

void AudioRecorder::failWhileRecording(Error error)
{
    fail(error);
    endRecording();
    notifyFinish(false, std::move(error));
}

double AudioRecorder::currentTime()
{
    if (!_recording)
        return 0;
    takeSound();
    return static_cast<double>(_framesTaken) / _sampleRate;
}

void AudioRecorder::stop()
{
    assertOnQueue(DispatchQueue::mainQueue());
    if (!_recording) {
        // A prepared file that never recorded is closed whole and empty.
        if (_writer)
            finishFile();
        return;
    }
    takeSound();
    if (!_recording)
        return;  // taking the last sound failed, and that was reported
    endRecording();
    if (_lastError)
        notifyFinish(false, _lastError);
    else
        notifyFinish(true, std::nullopt);
}

void AudioRecorder::endRecording()
{
    _recording = false;
    if (_pump) {
        _pump->invalidate();
        _pump.reset();
    }
    _input.reset();
    _clock.reset();
    std::fill(_averagePower.begin(), _averagePower.end(), kSilencePower);
    std::fill(_peakPower.begin(), _peakPower.end(), kSilencePower);
    finishFile();
}

void AudioRecorder::finishFile()
{
    auto writer = std::move(_writer);
    if (!writer)
        return;
    auto finished = writer->finish();
    if (!finished.ok()) {
        log("recorder: {}", finished.error().localizedDescription());
        if (!_lastError)
            _lastError = finished.error();  // the first failure is the one to tell
    }
}

void AudioRecorder::notifyFinish(bool successfully, std::optional<Error> error)
{
    DispatchQueue::mainQueue().async([weakSelf = weak_from_this(), successfully, error = std::move(error)] {
        auto self = weakSelf.lock();
        if (!self)
            return;
        auto delegate = self->_delegate.lock();
        if (!delegate)
            return;
        if (error)
            delegate->audioRecorderEncodeErrorDidOccur(*self, *error);
        delegate->audioRecorderDidFinishRecording(*self, successfully);
    });
}

bool AudioRecorder::deleteRecording()
{
    assertOnQueue(DispatchQueue::mainQueue());
    if (_recording) {
        _recording = false;
        if (_pump) {
            _pump->invalidate();
            _pump.reset();
        }
        _input.reset();
        _clock.reset();
    }
    _writer.reset();  // closed as it stands: it is going anyway
    const std::string path = _url.path();
    if (!fileExists(path))
        return true;
    auto removed = removeItem(path);
    if (!removed.ok())
        return fail(removed.error());
    return true;
}

void AudioRecorder::updateMeters()
{
    if (!_recording || !_meteringEnabled) {
        std::fill(_averagePower.begin(), _averagePower.end(), kSilencePower);
        std::fill(_peakPower.begin(), _peakPower.end(), kSilencePower);
        return;
    }
    takeSound();
    if (_meteredFrames == 0)
        return;  // nothing new: the last reading stands
    for (size_t c = 0; c < _averagePower.size(); ++c) {
        _averagePower[c] = decibels(_sumOfSquares[c] / static_cast<double>(_meteredFrames));
        _peakPower[c] = decibels(static_cast<double>(_loudest[c]) * _loudest[c]);
        _sumOfSquares[c] = 0;
        _loudest[c] = 0;
    }
    _meteredFrames = 0;
}

float AudioRecorder::averagePowerForChannel(int64_t channel) const
{
    if (channel < 0 || channel >= static_cast<int64_t>(_averagePower.size()))
        return kSilencePower;
    return _averagePower[static_cast<size_t>(channel)];
}

float AudioRecorder::peakPowerForChannel(int64_t channel) const
{
    if (channel < 0 || channel >= static_cast<int64_t>(_peakPower.size()))
        return kSilencePower;
    return _peakPower[static_cast<size_t>(channel)];
}

}  // namespace plat
