#include "platform/media/MovieMuxer.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/media/FFmpegSupport.h"
#include "platform/media/MediaConstants.h"

namespace plat::detail {

namespace {

// Packets that may wait for the header before the inputs must pause.
constexpr size_t kMaxWaitingPackets = 256;

void freeOutputContext(AVFormatContext* context)
{
    if (context)
        OutputFormatContextDeleter()(context);
}

}  // namespace

struct MovieMuxer::Slot {
    CodecParametersPtr parameters;
    std::optional<std::array<int32_t, 9>> displayMatrix;
    AVRational timeBase {0, 1};
    int streamIndex = -1;
    bool finished = false;
};

struct MovieMuxer::WaitingPacket {
    int slot;
    EncodedPacket packet;
};

MovieMuxer::MovieMuxer(std::string path, std::string formatName)
    : _path(std::move(path))
    , _formatName(std::move(formatName))
    , _context(nullptr, freeOutputContext)
{
}

MovieMuxer::~MovieMuxer() = default;

Result<void> MovieMuxer::open()
{
    configureFFmpegLogging();
    std::lock_guard lock(_lock);
    AVFormatContext* raw = nullptr;
    int allocated = avformat_alloc_output_context2(&raw, nullptr, _formatName.c_str(), _path.c_str());
    if (allocated < 0 || !raw)
        return mediaError(kMediaErrorUnknown, "cannot write a file of this type:", _path, allocated);
    _context.reset(raw);
    int opened = avio_open(&raw->pb, ("file:" + _path).c_str(), AVIO_FLAG_WRITE);
    if (opened < 0)
        return mediaError(kMediaErrorInvalidOutputURL, "cannot create", _path, opened);
    return {};
}

int MovieMuxer::addSlot()
{
    std::lock_guard lock(_lock);
    _slots.emplace_back();
    return static_cast<int>(_slots.size()) - 1;
}

Result<void> MovieMuxer::setStreamParameters(
    int slot, const AVCodecParameters& parameters, int timeBaseNumerator, int timeBaseDenominator)
{
    std::lock_guard lock(_lock);
    Slot& entry = _slots.at(static_cast<size_t>(slot));
    entry.parameters.reset(avcodec_parameters_alloc());
    if (!entry.parameters || avcodec_parameters_copy(entry.parameters.get(), &parameters) < 0)
        return mediaError(kMediaErrorOutOfMemory, "cannot describe a stream of", _path);
    entry.timeBase = AVRational {timeBaseNumerator, timeBaseDenominator};
    return writeHeaderIfReadyLocked();
}

void MovieMuxer::setDisplayMatrix(int slot, const std::array<int32_t, 9>& matrix)
{
    std::lock_guard lock(_lock);
    _slots.at(static_cast<size_t>(slot)).displayMatrix = matrix;
}

void MovieMuxer::setMetadata(std::vector<std::pair<std::string, std::string>> metadata)
{
    std::lock_guard lock(_lock);
    _metadata = std::move(metadata);
}

void MovieMuxer::setFragmentDuration(int64_t microseconds)
{
    std::lock_guard lock(_lock);
    _fragmentMicroseconds = std::max<int64_t>(microseconds, 0);
}

bool MovieMuxer::hasStreamParameters(int slot) const
{
    std::lock_guard lock(_lock);
    return _slots.at(static_cast<size_t>(slot)).parameters != nullptr;
}

Result<void> MovieMuxer::writeHeaderIfReadyLocked()
{
    if (_headerWritten || _closed || !_context)
        return {};
    bool anyStream = false;
    for (const Slot& slot : _slots) {
        if (!slot.parameters && !slot.finished)
            return {};  // still waiting for this input's format
        anyStream = anyStream || slot.parameters;
    }
    if (!anyStream)
        return {};
    for (Slot& slot : _slots) {
        if (!slot.parameters)
            continue;
        AVStream* stream = avformat_new_stream(_context.get(), nullptr);
        if (!stream)
            return mediaError(kMediaErrorOutOfMemory, "cannot add a stream to", _path);
        int copied = avcodec_parameters_copy(stream->codecpar, slot.parameters.get());
        if (copied < 0)
            return mediaError(kMediaErrorOutOfMemory, "cannot add a stream to", _path, copied);
        stream->codecpar->codec_tag = 0;  // the container chooses its own tag
        stream->time_base = slot.timeBase;
        slot.streamIndex = stream->index;
        if (slot.displayMatrix) {
            uint8_t* side = av_stream_new_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, sizeof(int32_t) * 9);
            if (!side)
                return mediaError(kMediaErrorOutOfMemory, "cannot add a stream to", _path);
            std::memcpy(side, slot.displayMatrix->data(), sizeof(int32_t) * 9);
        }
    }
    for (const auto& [key, value] : _metadata)
        av_dict_set(&_context->metadata, key.c_str(), value.c_str(), 0);
    AVDictionary* options = nullptr;
    if (_fragmentMicroseconds > 0) {
        av_dict_set_int(&options, "frag_duration", _fragmentMicroseconds, 0);
        // Fragments carry no edit list: reordered pictures keep their first
        // at time 0 with offsets below zero instead.
        av_dict_set(&options, "movflags", "+negative_cts_offsets", 0);
        // A fragment is held in memory until it is whole, then written out
        // at once, so that what is on disk is always whole fragments.
        _context->flush_packets = 1;
    }
    int written = avformat_write_header(_context.get(), &options);
    av_dict_free(&options);
    if (written < 0)
        return mediaError(kMediaErrorUnknown, "cannot write the header of", _path, written);
    _headerWritten = true;
    std::vector<WaitingPacket> waiting = std::move(_waiting);
    _waiting.clear();
    for (WaitingPacket& entry : waiting) {
        auto sent = writeLocked(entry.slot, std::move(entry.packet));
        if (!sent.ok())
            return sent;
    }
    return {};
}

Result<void> MovieMuxer::writeLocked(int slot, EncodedPacket packet)
{
    const Slot& entry = _slots.at(static_cast<size_t>(slot));
    AVStream* stream = _context->streams[entry.streamIndex];
    packet->stream_index = entry.streamIndex;
    av_packet_rescale_ts(packet.get(), entry.timeBase, stream->time_base);
    // The muxer takes the packet's data over.
    int written = av_interleaved_write_frame(_context.get(), packet.get());
    // A write that failed as the buffer went out (a full disk) shows only in the file's error.
    if (written >= 0 && _context->pb && _context->pb->error < 0)
        written = _context->pb->error;
    if (written < 0)
        return mediaError(kMediaErrorDiskFull, "cannot write", _path, written);
    return {};
}

Result<void> MovieMuxer::writePacket(int slot, EncodedPacket packet)
{
    std::lock_guard lock(_lock);
    if (_closed)
        return mediaError(kMediaErrorUnknown, "the file is closed:", _path);
    if (!_headerWritten) {
        _waiting.push_back(WaitingPacket {slot, std::move(packet)});
        return {};
    }
    return writeLocked(slot, std::move(packet));
}

Result<void> MovieMuxer::finishSlot(int slot)
{
    std::lock_guard lock(_lock);
    _slots.at(static_cast<size_t>(slot)).finished = true;
    return writeHeaderIfReadyLocked();
}

bool MovieMuxer::isBackedUp() const
{
    std::lock_guard lock(_lock);
    return !_headerWritten && _waiting.size() >= kMaxWaitingPackets;
}

Result<void> MovieMuxer::finish()
{
    std::lock_guard lock(_lock);
    if (_closed || !_context)
        return mediaError(kMediaErrorUnknown, "the file is closed:", _path);
    auto header = writeHeaderIfReadyLocked();
    if (!header.ok())
        return header;
    if (!_headerWritten)
        return mediaError(kMediaErrorNoDataAppended, "no media was written to", _path);
    int trailer = av_write_trailer(_context.get());
    int flushed = _context->pb ? _context->pb->error : 0;
    _closed = true;
    int closed = avio_closep(&_context->pb);
    if (trailer < 0)
        return mediaError(kMediaErrorDiskFull, "cannot finish", _path, trailer);
    if (flushed < 0 || closed < 0)
        return mediaError(kMediaErrorDiskFull, "cannot write", _path, flushed < 0 ? flushed : closed);
    return {};
}

void MovieMuxer::abandon()
{
    std::lock_guard lock(_lock);
    if (_closed || !_context)
        return;
    _closed = true;
    _waiting.clear();
    if (_context->pb)
        avio_closep(&_context->pb);
}

}  // namespace plat::detail
