#pragma once
#include <optional>
#include <string>

#include "platform/foundation/Result.h"

namespace plat {

// How fast the device's video encoder takes pictures, from the sandbox's
// "Encoder/Encoder.plist": a dictionary whose "FramesPerSecond" (a number
// above 0) is the most pictures a movie writer takes in a second of the
// app's time, as on a device whose encoder is slow, so that what a person
// sees while a movie is written (a progress screen and its Cancel) can be
// tried in a script. Without the file, as fast as the machine. Any thread;
// read when asked.
class EncoderFolder {
public:
    static std::string encoderFolder();
    static std::string encoderFilePath();

    // None without the file, or (with a log line) for one that does not
    // give a usable speed: a writer that is not as slow as the file says
    // would mislead whoever set it up less than one that never writes.
    static std::optional<double> framesPerSecond();
    static Result<void> writeFramesPerSecond(double framesPerSecond);
};

}  // namespace plat
