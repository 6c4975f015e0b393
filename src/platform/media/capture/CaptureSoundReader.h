#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/foundation/Result.h"
#include "platform/media/capture/CaptureMicrophoneFolder.h"

namespace plat::detail {

// The sound a microphone hears, as interleaved 16-bit samples at the
// microphone's rate and channel count: a tone or a looping sound file
// made on demand, or the machine's own input through libavdevice. One
// thread at a time.
class CaptureSoundReader {
public:
    static Result<std::unique_ptr<CaptureSoundReader>> open(const CaptureMicrophoneDescription& microphone);
    virtual ~CaptureSoundReader() = default;

    // A real input delivers at its own pace; a virtual one whenever asked.
    virtual bool isLive() const = 0;
    // Virtual inputs: exactly frames frames. Live ones: what has come in,
    // up to frames (none yet is an empty result).
    virtual Result<std::vector<int16_t>> read(int64_t frames) = 0;
};

}  // namespace plat::detail
