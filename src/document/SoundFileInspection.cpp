#include "document/SoundFileInspection.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Text.h"
#include "platform/media/Asset.h"
#include "platform/media/AssetReader.h"
#include "platform/media/AssetReaderTrackOutput.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/SampleBuffer.h"

namespace zt {

namespace {

// The stretch at the stated end that must hold some sound: wide enough for
// the encoder padding by which compressed files miss their stated length.
// A file that states no length lasts as long as its packets (the asset
// reads it through), so it is never found short of an estimate.
constexpr double kEndStretchSeconds = 0.25;
constexpr double kEndStretchShare = 0.1;
// RIFF (WAVE) and FORM (AIFF) files state their length in their first bytes.
constexpr size_t kContainerHeaderBytes = 12;
// Lengths written by recorders that stream, which never go back to fill them in.
constexpr uint32_t kUnknownLength = 0xFFFFFFFF;
constexpr uint32_t kUnfilledLength = 0;

// What the speaker plays: decoding into it proves the sound can be converted.
constexpr int64_t kSpeakerRate = 44100;
constexpr int64_t kSpeakerChannels = 2;

plat::Error inspectionError(int64_t code, const std::string& format, const std::string& path,
    const std::optional<plat::Error>& cause = std::nullopt)
{
    plat::Dictionary userInfo {{plat::kFilePathErrorKey, path}};
    if (cause)
        userInfo.set(plat::kLocalizedFailureReasonErrorKey, cause->localizedDescription());
    // The name comes from outside: it shows as text a person can read.
    std::string text
        = plat::formatLine(plat::localized(format), plat::escapedForMessage(plat::lastPathComponent(path)));
    return plat::Error(SoundFileInspection::kErrorDomain, code, text, std::move(userInfo),
        cause ? std::make_shared<const plat::Error>(*cause) : nullptr);
}

// True when reading the track over the range gives at least one buffer of sound.
plat::Result<bool> holdsSound(const std::shared_ptr<plat::URLAsset>& asset,
    const std::shared_ptr<plat::AssetTrack>& track, const plat::MediaTimeRange& range)
{
    auto reader = plat::AssetReader::assetReaderWithAsset(asset);
    if (!reader.ok())
        return reader.error();
    auto output = plat::AssetReaderTrackOutput::assetReaderTrackOutputWithTrack(track,
        plat::Dictionary {{plat::kFormatIDKey, static_cast<int64_t>(plat::kAudioFormatLinearPCM)},
            {plat::kSampleRateKey, kSpeakerRate}, {plat::kNumberOfChannelsKey, kSpeakerChannels},
            {plat::kLinearPCMBitDepthKey, int64_t {32}}, {plat::kLinearPCMIsFloatKey, true}});
    if (!reader.value()->canAddOutput(output))
        return plat::Error(plat::kMediaErrorDomain, plat::kMediaErrorUnknown, "the sound cannot be read");
    reader.value()->addOutput(output);
    reader.value()->setTimeRange(range);
    if (!reader.value()->startReading())
        return reader.value()->error().value_or(
            plat::Error(plat::kMediaErrorDomain, plat::kMediaErrorUnknown, "the sound cannot be read"));
    bool any = output->copyNextSampleBuffer() != nullptr;
    auto failed = reader.value()->error();
    reader.value()->cancelReading();
    if (!any && failed)
        return *failed;
    return any;
}

// The whole length a RIFF or FORM file states, when it states one. The
// reader of such a file trusts the bytes it finds rather than the length,
// so a file that lost its end would otherwise pass for a shorter sound.
std::optional<uint64_t> statedFileLength(const std::string& path)
{
    plat::FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.isValid())
        return std::nullopt;
    std::array<uint8_t, kContainerHeaderBytes> header {};
    if (::pread(file.get(), header.data(), header.size(), 0) != static_cast<ssize_t>(header.size()))
        return std::nullopt;
    uint32_t length;
    if (std::memcmp(header.data(), "RIFF", 4) == 0)
        length = static_cast<uint32_t>(header[4]) | static_cast<uint32_t>(header[5]) << 8
            | static_cast<uint32_t>(header[6]) << 16 | static_cast<uint32_t>(header[7]) << 24;
    else if (std::memcmp(header.data(), "FORM", 4) == 0)
        length = static_cast<uint32_t>(header[4]) << 24 | static_cast<uint32_t>(header[5]) << 16
            | static_cast<uint32_t>(header[6]) << 8 | static_cast<uint32_t>(header[7]);
    else
        return std::nullopt;
    if (length == kUnknownLength || length == kUnfilledLength)
        return std::nullopt;
    return uint64_t {length} + 8;
}

}  // namespace

plat::Result<SoundFileFacts> SoundFileInspection::inspect(const std::string& path)
{
    auto asset = plat::URLAsset::assetWithPath(path);
    auto tracks = asset->tracksWithMediaType(plat::kMediaTypeAudio);
    if (tracks.empty())
        return inspectionError(kNotSoundError, "The file “{}” holds no sound.", path, asset->error());
    const auto& track = tracks.front();
    SoundFileFacts facts;
    facts.duration = track->timeRange().duration;
    if (!facts.duration.isNumeric() || facts.duration <= plat::MediaTime::zero())
        return inspectionError(kNotSoundError, "The file “{}” holds no sound.", path);
    if (!track->formatDescriptions().empty()) {
        const auto& format = track->formatDescriptions().back().audio;
        facts.sampleRate = format.sampleRate;
        facts.channels = format.channelsPerFrame;
        facts.formatID = format.formatID;
    }
    auto size = plat::attributesOfItem(path);
    auto stated = statedFileLength(path);
    if (size.ok() && stated && *stated > static_cast<uint64_t>(size.value().size))
        return inspectionError(
            kTruncatedSoundError, "The file “{}” is damaged: its sound ends before its stated length.", path);
    auto start = holdsSound(asset, track, plat::MediaTimeRange::make(plat::MediaTime::zero(), facts.duration));
    if (!start.ok() || !start.value())
        return inspectionError(kUndecodableSoundError, "The sound of “{}” cannot be played.", path,
            start.ok() ? std::nullopt : std::optional<plat::Error>(start.error()));
    double stretchSeconds = std::max(kEndStretchSeconds, facts.duration.seconds() * kEndStretchShare);
    plat::MediaTime stretch = std::min(facts.duration, plat::MediaTime::makeWithSeconds(stretchSeconds, 1000));
    auto end = holdsSound(asset, track, plat::MediaTimeRange::make(facts.duration - stretch, stretch));
    if (!end.ok() || !end.value())
        return inspectionError(kTruncatedSoundError,
            "The file “{}” is damaged: its sound ends before its stated length.", path,
            end.ok() ? std::nullopt : std::optional<plat::Error>(end.error()));
    return facts;
}

}  // namespace zt
