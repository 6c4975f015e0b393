// Sound and movie files are outside input (imported music, recordings, files
// opened from other apps): reading one as an asset, mixing its sound, reading
// its first track decoded and as stored, and testing it for the photo album
// must end in media or an error, never a crash or a hang. The readers take
// paths, so each input is written to a file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "platform/media/Asset.h"
#include "platform/media/AssetReader.h"
#include "platform/media/AssetReaderAudioMixOutput.h"
#include "platform/media/AssetReaderTrackOutput.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/SampleBuffer.h"
#include "platform/media/VideoCompatibility.h"

namespace {

// Enough sound to reach every decoder path without reading hours of a huge claimed length.
constexpr int kMaxBuffers = 64;

std::string writeInput(const uint8_t* data, size_t size)
{
    static const std::string path = [] {
        char pattern[] = "/tmp/zt-media-fuzz-XXXXXX";
        int fd = ::mkstemp(pattern);
        if (fd >= 0)
            ::close(fd);
        return std::string(pattern);
    }();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        __builtin_trap();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        __builtin_trap();
    std::fclose(file);
    return path;
}

void readTrack(const std::shared_ptr<plat::URLAsset>& asset, const std::shared_ptr<plat::AssetTrack>& track,
    std::optional<plat::Dictionary> settings)
{
    auto reader = plat::AssetReader::assetReaderWithAsset(asset);
    if (!reader.ok())
        return;
    auto output = plat::AssetReaderTrackOutput::assetReaderTrackOutputWithTrack(track, std::move(settings));
    if (!reader.value()->canAddOutput(output))
        return;
    reader.value()->addOutput(output);
    if (!reader.value()->startReading())
        return;
    for (int i = 0; i < kMaxBuffers; ++i) {
        if (!output->copyNextSampleBuffer())
            break;
    }
    reader.value()->cancelReading();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string path = writeInput(data, size);
    (void)plat::videoAtPathIsCompatibleWithSavedPhotosAlbum(path);
    auto asset = plat::URLAsset::assetWithPath(path);
    auto audio = asset->tracksWithMediaType(plat::kMediaTypeAudio);
    if (audio.empty())
        return 0;
    // Decoded as the waveform reads it, and as stored as the music copy reads it.
    readTrack(asset, audio.front(),
        plat::Dictionary {{plat::kFormatIDKey, static_cast<int64_t>(plat::kAudioFormatLinearPCM)},
            {plat::kLinearPCMBitDepthKey, int64_t {16}}});
    readTrack(asset, audio.front(), std::nullopt);
    auto reader = plat::AssetReader::assetReaderWithAsset(asset);
    if (!reader.ok())
        return 0;
    auto output = plat::AssetReaderAudioMixOutput::assetReaderAudioMixOutputWithAudioTracks(audio, std::nullopt);
    reader.value()->addOutput(output);
    if (!reader.value()->startReading())
        return 0;
    for (int i = 0; i < kMaxBuffers; ++i) {
        if (!output->copyNextSampleBuffer())
            break;
    }
    reader.value()->cancelReading();
    return 0;
}
