#include "platform/media/SystemSound.h"

#include <algorithm>
#include <cstring>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/URL.h"
#include "platform/media/Asset.h"
#include "platform/media/AudioOutput.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/PlaybackStream.h"
#include "platform/media/SoundSource.h"

namespace plat {

namespace {

constexpr SystemSoundID kFirstSoundID = 4096;
constexpr int64_t kDecodeChunkFrames = 8192;

using Samples = std::shared_ptr<const std::vector<float>>;

class MemorySoundSource final : public detail::SoundSource {
public:
    MemorySoundSource(Samples samples, size_t firstFrame)
        : _samples(std::move(samples))
        , _offset(std::min(firstFrame * AudioOutput::kChannels, _samples->size()))
    {
    }
    Result<int64_t> read(float* destination, int64_t frames) override
    {
        size_t values = std::min(static_cast<size_t>(frames) * AudioOutput::kChannels, _samples->size() - _offset);
        std::memcpy(destination, _samples->data() + _offset, values * sizeof(float));
        _offset += values;
        return static_cast<int64_t>(values / AudioOutput::kChannels);
    }

private:
    Samples _samples;
    size_t _offset;
};

// The registered sounds and the streams playing them. A sound disposed of
// while it plays plays to its end.
class SystemSoundServer {
public:
    static SystemSoundServer& shared()
    {
        static SystemSoundServer server;
        return server;
    }

    SystemSoundID add(Samples samples)
    {
        std::lock_guard lock(_lock);
        SystemSoundID id = _nextID++;
        _sounds.emplace(id, std::move(samples));
        return id;
    }
    Samples find(SystemSoundID id) const
    {
        std::lock_guard lock(_lock);
        auto found = _sounds.find(id);
        return found == _sounds.end() ? nullptr : found->second;
    }
    bool remove(SystemSoundID id)
    {
        std::lock_guard lock(_lock);
        return _sounds.erase(id) > 0;
    }

private:
    mutable std::mutex _lock;
    std::map<SystemSoundID, Samples> _sounds;  // guarded by _lock
    SystemSoundID _nextID = kFirstSoundID;  // guarded by _lock
};

Result<Samples> decodeWholeFile(const URL& url)
{
    auto asset = URLAsset::URLAssetWithURL(url);
    auto tracks = asset->tracksWithMediaType(kMediaTypeAudio);
    if (tracks.empty() || tracks.front()->segments().empty())
        return Error(kMediaErrorDomain, kMediaErrorFileFormatNotRecognized, "no sound in " + url.absoluteString());
    const TrackSegment& segment = tracks.front()->segments().front();
    auto source = detail::openFileSoundSource(*segment.sourcePath, segment.streamIndex, MediaTime::zero());
    if (!source.ok())
        return source.error();
    // The longest a system sound may be, and no more is decoded whatever the header says.
    const auto limit = static_cast<size_t>(kSystemSoundLongestSeconds * AudioOutput::kSampleRate);
    std::vector<float> samples;
    while (true) {
        size_t had = samples.size();
        samples.resize(had + static_cast<size_t>(kDecodeChunkFrames) * AudioOutput::kChannels);
        auto read = source.value()->read(samples.data() + had, kDecodeChunkFrames);
        if (!read.ok())
            return read.error();
        samples.resize(had + static_cast<size_t>(read.value()) * AudioOutput::kChannels);
        if (samples.size() / AudioOutput::kChannels > limit)
            return Error(kMediaErrorDomain, kMediaErrorUnknown, "longer than a system sound may be: " + url.path());
        if (read.value() < kDecodeChunkFrames)
            break;
    }
    if (samples.empty())
        return Error(kMediaErrorDomain, kMediaErrorFileFailedToParse, "no sound decoded from " + url.path());
    return std::make_shared<const std::vector<float>>(std::move(samples));
}

}  // namespace

OSStatus AudioServicesCreateSystemSoundID(const URL& url, SystemSoundID* soundID)
{
    if (!soundID)
        return kAudioServicesUnsupportedPropertyError;
    auto samples = decodeWholeFile(url);
    if (!samples.ok()) {
        plat::log("media: no system sound: {}", samples.error().localizedDescription());
        return kAudioServicesSystemSoundUnspecifiedError;
    }
    *soundID = SystemSoundServer::shared().add(std::move(samples).value());
    return kAudioServicesNoError;
}

void AudioServicesPlaySystemSound(SystemSoundID soundID)
{
    assertOnQueue(DispatchQueue::mainQueue());
    Samples samples = SystemSoundServer::shared().find(soundID);
    if (!samples)
        return;
    auto frames = static_cast<int64_t>(samples->size() / AudioOutput::kChannels);
    auto stream = std::make_shared<detail::PlaybackStream>(
        [samples](const MediaTime& from) -> Result<std::unique_ptr<detail::SoundSource>> {
            auto first = static_cast<size_t>(std::max<int64_t>(0, from.convertScale(AudioOutput::kSampleRate).value));
            return std::unique_ptr<detail::SoundSource>(std::make_unique<MemorySoundSource>(samples, first));
        },
        MediaTime::make(frames, AudioOutput::kSampleRate));
    // Nobody keeps it: the output lets it go at its end.
    AudioOutput::shared().attach(stream);
}

OSStatus AudioServicesDisposeSystemSoundID(SystemSoundID soundID)
{
    return SystemSoundServer::shared().remove(soundID) ? kAudioServicesNoError : kAudioServicesUnsupportedPropertyError;
}

}  // namespace plat
