#include "platform/media/AudioOutput.h"
#include "platform/media/AudioStreamDecoder.h"
#include "platform/media/SoundSource.h"

namespace plat::detail {

namespace {

class FileSoundSource final : public SoundSource {
public:
    explicit FileSoundSource(std::unique_ptr<AudioStreamDecoder> decoder)
        : _decoder(std::move(decoder))
    {
    }
    Result<int64_t> read(float* destination, int64_t frames) override { return _decoder->read(destination, frames); }

private:
    std::unique_ptr<AudioStreamDecoder> _decoder;
};

}  // namespace

Result<std::unique_ptr<SoundSource>> openFileSoundSource(
    const std::string& path, int streamIndex, const MediaTime& from)
{
    auto decoder = AudioStreamDecoder::open(path, streamIndex, AudioOutput::kSampleRate, AudioOutput::kChannels);
    if (!decoder.ok())
        return decoder.error();
    auto sought = decoder.value()->seek(from);
    if (!sought.ok())
        return sought.error();
    return std::unique_ptr<SoundSource>(std::make_unique<FileSoundSource>(std::move(decoder).value()));
}

}  // namespace plat::detail
