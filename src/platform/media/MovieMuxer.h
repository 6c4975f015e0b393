#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/foundation/Result.h"
#include "platform/media/H264Encoder.h"

struct AVCodecParameters;
struct AVFormatContext;

namespace plat::detail {

// The container side of an asset writer: one slot per writer input, whose
// stream is made once the input's format is known. The file header is
// written when every slot has a format or has finished without one; packets
// that come earlier wait. Packets of the slots are interleaved by time.
// Any thread (one lock).
class MovieMuxer {
public:
    // formatName is FFmpeg's muxer ("mov", "caf", ...).
    MovieMuxer(std::string path, std::string formatName);
    ~MovieMuxer();
    MovieMuxer(const MovieMuxer&) = delete;
    MovieMuxer& operator=(const MovieMuxer&) = delete;

    // Creates the file.
    Result<void> open();
    int addSlot();
    // The slot's stream format; copied.
    Result<void> setStreamParameters(
        int slot, const AVCodecParameters& parameters, int timeBaseNumerator, int timeBaseDenominator);
    bool hasStreamParameters(int slot) const;
    // Before the header: how players turn the slot's pictures (QuickTime's
    // display matrix, 16.16 fixed point with 2.30 in the last column).
    void setDisplayMatrix(int slot, const std::array<int32_t, 9>& matrix);
    // Before the header: the file's tags (title, artist, ...).
    void setMetadata(std::vector<std::pair<std::string, std::string>> metadata);
    // Before the header: a movie written in fragments of about this many
    // microseconds, each complete in the file once the next begins, so that
    // a file cut short plays up to its last whole fragment; 0 (the default)
    // writes one index at the end.
    void setFragmentDuration(int64_t microseconds);
    // A packet of the slot, its times in the slot's time base.
    Result<void> writePacket(int slot, EncodedPacket packet);
    // No more packets for the slot (a slot without a format is left out).
    Result<void> finishSlot(int slot);
    // True while packets wait for the header in numbers that should stop the inputs.
    bool isBackedUp() const;
    // Every slot must be finished: writes what waits and the trailer, closes the file.
    Result<void> finish();
    // Closes the file as it is, without a trailer.
    void abandon();

private:
    struct Slot;
    struct WaitingPacket;
    Result<void> writeHeaderIfReadyLocked();
    Result<void> writeLocked(int slot, EncodedPacket packet);

    std::string _path;
    std::string _formatName;
    mutable std::mutex _lock;
    std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> _context;  // guarded by _lock
    std::vector<Slot> _slots;  // guarded by _lock
    std::vector<WaitingPacket> _waiting;  // guarded by _lock
    std::vector<std::pair<std::string, std::string>> _metadata;  // guarded by _lock
    int64_t _fragmentMicroseconds = 0;  // guarded by _lock
    bool _headerWritten = false;  // guarded by _lock
    bool _closed = false;  // guarded by _lock
};

}  // namespace plat::detail
