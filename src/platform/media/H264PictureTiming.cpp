#include "platform/media/H264PictureTiming.h"

#include <algorithm>
#include <optional>

#include "platform/media/MediaConstants.h"

namespace plat::detail {

namespace {

constexpr uint8_t kSequenceParameterSetType = 7;
// Profiles whose sequence parameter sets carry the chroma format, bit depths and scaling lists.
constexpr int kProfilesWithChromaFormat[] = {100, 110, 122, 244, 44, 83, 86, 118, 128, 138, 139, 134, 135};
constexpr int kChromaFormat444 = 3;

Error timingError(const std::string& text)
{
    return Error(kMediaErrorDomain, kMediaErrorUnknown, "H.264 picture timing: " + text);
}

// The payload without the bytes that keep start codes out of it.
std::vector<uint8_t> unescaped(std::span<const uint8_t> payload)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(payload.size());
    int zeros = 0;
    for (uint8_t byte : payload) {
        if (zeros >= 2 && byte == 3) {
            zeros = 0;
            continue;
        }
        zeros = byte == 0 ? zeros + 1 : 0;
        bytes.push_back(byte);
    }
    return bytes;
}

void appendEscaped(std::span<const uint8_t> bytes, std::vector<uint8_t>& out)
{
    int zeros = 0;
    for (uint8_t byte : bytes) {
        if (zeros >= 2 && byte <= 3) {
            out.push_back(3);
            zeros = 0;
        }
        zeros = byte == 0 ? zeros + 1 : 0;
        out.push_back(byte);
    }
}

// Reads bits most significant first; past the end it reads zeros and says so.
class BitReader {
public:
    explicit BitReader(std::span<const uint8_t> bytes)
        : _bytes(bytes)
    {
    }

    uint32_t bits(int count)
    {
        uint32_t value = 0;
        for (int i = 0; i < count; ++i) {
            const size_t byte = _position / 8;
            if (byte >= _bytes.size()) {
                _overran = true;
                return 0;
            }
            value = value << 1 | ((_bytes[byte] >> (7 - _position % 8)) & 1);
            ++_position;
        }
        return value;
    }
    bool flag() { return bits(1) != 0; }
    // Exp-Golomb codes.
    uint32_t unsignedCode()
    {
        int leadingZeros = 0;
        while (!flag()) {
            if (_overran || ++leadingZeros > 31) {
                _overran = true;
                return 0;
            }
        }
        return (uint32_t(1) << leadingZeros) - 1 + bits(leadingZeros);
    }
    int32_t signedCode()
    {
        const uint32_t code = unsignedCode();
        return code % 2 ? static_cast<int32_t>(code / 2 + 1) : -static_cast<int32_t>(code / 2);
    }
    void skip(int count) { (void)bits(count); }
    size_t position() const { return _position; }
    bool hasOverrun() const { return _overran; }

private:
    std::span<const uint8_t> _bytes;
    size_t _position = 0;
    bool _overran = false;
};

void skipScalingList(BitReader& reader, int size)
{
    int last = 8;
    int next = 8;
    for (int i = 0; i < size && !reader.hasOverrun(); ++i) {
        if (next != 0)
            next = (last + reader.signedCode() + 256) % 256;
        last = next == 0 ? last : next;
    }
}

// The bit at which num_units_in_tick begins in a sequence parameter set's
// payload (after its header byte); none when it has no timing or cannot be read.
std::optional<size_t> timingPosition(std::span<const uint8_t> payload)
{
    BitReader reader(payload);
    const auto profile = static_cast<int>(reader.bits(8));
    reader.skip(16);  // constraint flags and level
    (void)reader.unsignedCode();  // seq_parameter_set_id
    if (std::ranges::find(kProfilesWithChromaFormat, profile) != std::end(kProfilesWithChromaFormat)) {
        const uint32_t chromaFormat = reader.unsignedCode();
        if (chromaFormat == kChromaFormat444)
            reader.skip(1);  // separate_colour_plane_flag
        (void)reader.unsignedCode();  // bit depths of luma and chroma
        (void)reader.unsignedCode();
        reader.skip(1);  // qpprime_y_zero_transform_bypass_flag
        if (reader.flag()) {
            const int lists = chromaFormat == kChromaFormat444 ? 12 : 8;
            for (int i = 0; i < lists && !reader.hasOverrun(); ++i) {
                if (reader.flag())
                    skipScalingList(reader, i < 6 ? 16 : 64);
            }
        }
    }
    (void)reader.unsignedCode();  // log2_max_frame_num_minus4
    const uint32_t pictureOrderType = reader.unsignedCode();
    if (pictureOrderType == 0) {
        (void)reader.unsignedCode();
    } else if (pictureOrderType == 1) {
        reader.skip(1);
        (void)reader.signedCode();
        (void)reader.signedCode();
        const uint32_t cycle = reader.unsignedCode();
        for (uint32_t i = 0; i < cycle && !reader.hasOverrun(); ++i)
            (void)reader.signedCode();
    }
    (void)reader.unsignedCode();  // max_num_ref_frames
    reader.skip(1);  // gaps_in_frame_num_value_allowed_flag
    (void)reader.unsignedCode();  // width and height in macroblocks
    (void)reader.unsignedCode();
    if (!reader.flag())  // frame_mbs_only_flag
        reader.skip(1);
    reader.skip(1);  // direct_8x8_inference_flag
    if (reader.flag()) {  // frame cropping
        for (int i = 0; i < 4; ++i)
            (void)reader.unsignedCode();
    }
    if (!reader.flag())  // vui_parameters_present_flag
        return std::nullopt;
    constexpr uint32_t kExtendedSampleAspectRatio = 255;
    if (reader.flag() && reader.bits(8) == kExtendedSampleAspectRatio)
        reader.skip(32);
    if (reader.flag())  // overscan
        reader.skip(1);
    if (reader.flag()) {  // video signal type
        reader.skip(4);
        if (reader.flag())
            reader.skip(24);  // colour description
    }
    if (reader.flag()) {  // chroma sample locations
        (void)reader.unsignedCode();
        (void)reader.unsignedCode();
    }
    if (!reader.flag() || reader.hasOverrun())  // timing_info_present_flag
        return std::nullopt;
    const size_t position = reader.position();
    reader.skip(64);
    if (reader.hasOverrun())
        return std::nullopt;
    return position;
}

void writeBits(std::vector<uint8_t>& bytes, size_t position, int count, uint32_t value)
{
    for (int i = count - 1; i >= 0; --i, ++position) {
        const auto mask = static_cast<uint8_t>(0x80 >> (position % 8));
        if ((value >> i) & 1)
            bytes[position / 8] |= mask;
        else
            bytes[position / 8] &= static_cast<uint8_t>(~mask);
    }
}

// Where the next start code (00 00 01) begins at or after from, or the end.
size_t nextStartCode(std::span<const uint8_t> bytes, size_t from)
{
    for (size_t i = from; i + 2 < bytes.size(); ++i) {
        if (bytes[i] == 0 && bytes[i + 1] == 0 && bytes[i + 2] == 1)
            return i;
    }
    return bytes.size();
}

// Where a NAL unit that begins at start ends: at the zeros before the next
// start code (a unit never holds two zeros followed by 0, 1 or 2).
size_t unitEnd(std::span<const uint8_t> bytes, size_t start)
{
    for (size_t i = start; i + 2 < bytes.size(); ++i) {
        if (bytes[i] == 0 && bytes[i + 1] == 0 && bytes[i + 2] <= 2)
            return i;
    }
    return bytes.size();
}

}  // namespace

Result<std::vector<uint8_t>> withPictureRate(std::span<const uint8_t> nalUnits, PictureRate rate)
{
    if (rate.pictures <= 0 || rate.seconds <= 0 || 2 * rate.pictures > UINT32_MAX || rate.seconds > UINT32_MAX)
        return timingError("the picture rate does not fit the stream's timing");
    std::vector<uint8_t> out;
    out.reserve(nalUnits.size() + 16);
    size_t copied = 0;
    for (size_t from = 0; from < nalUnits.size();) {
        const size_t start = nextStartCode(nalUnits, from) + 3;
        from = start;
        if (start >= nalUnits.size() || (nalUnits[start] & 0x1f) != kSequenceParameterSetType)
            continue;
        const size_t end = unitEnd(nalUnits, start);
        std::vector<uint8_t> payload = unescaped(nalUnits.subspan(start + 1, end - start - 1));
        const std::optional<size_t> timing = timingPosition(payload);
        if (!timing)
            return timingError("a sequence parameter set without timing, or one that cannot be read");
        writeBits(payload, *timing, 32, static_cast<uint32_t>(rate.seconds));
        writeBits(payload, *timing + 32, 32, static_cast<uint32_t>(2 * rate.pictures));
        out.insert(out.end(), nalUnits.begin() + static_cast<ptrdiff_t>(copied),
            nalUnits.begin() + static_cast<ptrdiff_t>(start + 1));
        appendEscaped(payload, out);
        copied = end;
        from = end;
    }
    out.insert(out.end(), nalUnits.begin() + static_cast<ptrdiff_t>(copied), nalUnits.end());
    return out;
}

}  // namespace plat::detail
