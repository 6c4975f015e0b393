#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/Result.h"
#include "platform/media/MediaTime.h"

namespace plat::detail {

// Sound on its way to the speaker: interleaved floats at the output's rate
// and channel count. One thread at a time.
class SoundSource {
public:
    virtual ~SoundSource() = default;
    // Fills up to frames frames; fewer only where the sound ends (0 after).
    virtual Result<int64_t> read(float* destination, int64_t frames) = 0;
};

// The sound of one audio stream of a file from a time on.
Result<std::unique_ptr<SoundSource>> openFileSoundSource(
    const std::string& path, int streamIndex, const MediaTime& from);

// Plays another source faster or slower at the same pitch (FFmpeg's atempo
// filter), as the platform's players do at rates other than 1.
class TempoSource final : public SoundSource {
public:
    // tempo from 0.5 to 2.0.
    static Result<std::unique_ptr<TempoSource>> make(
        std::unique_ptr<SoundSource> inner, double tempo, int rate, int channels);
    ~TempoSource() override;
    TempoSource(const TempoSource&) = delete;
    TempoSource& operator=(const TempoSource&) = delete;

    Result<int64_t> read(float* destination, int64_t frames) override;

private:
    struct Impl;
    explicit TempoSource(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> _impl;
};

}  // namespace plat::detail
