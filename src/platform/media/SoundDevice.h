#pragma once
#include <memory>

#include "platform/foundation/Result.h"

namespace plat {
class AudioOutput;
}

namespace plat::detail {

// The machine's sound device (SDL audio): once started it pulls the
// output's sound on its own thread, in the output's format, until it is
// destroyed. Main thread.
class SoundDevice {
public:
    static Result<std::unique_ptr<SoundDevice>> open(AudioOutput& output);
    ~SoundDevice();
    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;

    void start();

private:
    explicit SoundDevice(unsigned deviceID);
    unsigned _deviceID;
};

}  // namespace plat::detail
