#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/Result.h"

namespace plat::detail {

// Writes sound as Apple Lossless (16-bit) into a Core Audio Format file
// through FFmpeg: the recorder's file. The file exists from creation on;
// it is whole only after finish (a writer dropped before leaves it without
// its packet table). Write errors, a full disk among them, are errors of the
// call that meets them. One thread at a time.
class AppleLosslessFileWriter {
public:
    static constexpr int kMaxChannels = 2;
    static constexpr int kMaxSampleRate = 192000;

    static Result<std::unique_ptr<AppleLosslessFileWriter>> create(
        const std::string& path, int sampleRate, int channels);
    ~AppleLosslessFileWriter();
    AppleLosslessFileWriter(const AppleLosslessFileWriter&) = delete;
    AppleLosslessFileWriter& operator=(const AppleLosslessFileWriter&) = delete;

    // Interleaved samples in -1...1 (louder ones are clipped).
    Result<void> append(const float* samples, int64_t frames);
    // Encodes what is left, writes the trailer and closes the file.
    Result<void> finish();
    int64_t framesAppended() const;

private:
    struct Impl;
    explicit AppleLosslessFileWriter(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> _impl;
};

}  // namespace plat::detail
