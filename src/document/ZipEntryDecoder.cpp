#include "document/ZipEntryDecoder.h"

#include <algorithm>
#include <vector>
#include <zlib.h>

namespace zt::detail {

namespace {

constexpr size_t kEncryptionHeaderBytes = 12;

// The traditional zip encryption: three keys stirred by every plain byte.
class TraditionalDecryption {
public:
    explicit TraditionalDecryption(std::string_view password)
        : _table(get_crc_table())
    {
        for (char c : password)
            updateKeys(static_cast<uint8_t>(c));
    }

    uint8_t decrypt(uint8_t cipher)
    {
        uint32_t temp = (_keys[2] & 0xFFFF) | 2;
        auto plain = static_cast<uint8_t>(cipher ^ static_cast<uint8_t>((temp * (temp ^ 1)) >> 8));
        updateKeys(plain);
        return plain;
    }

private:
    uint32_t crcStep(uint32_t crc, uint8_t byte) const
    {
        return static_cast<uint32_t>(_table[(crc ^ byte) & 0xFF]) ^ (crc >> 8);
    }
    void updateKeys(uint8_t plain)
    {
        _keys[0] = crcStep(_keys[0], plain);
        _keys[1] = (_keys[1] + (_keys[0] & 0xFF)) * 134775813u + 1;
        _keys[2] = crcStep(_keys[2], static_cast<uint8_t>(_keys[1] >> 24));
    }

    const z_crc_t* _table;
    uint32_t _keys[3] = {0x12345678u, 0x23456789u, 0x34567890u};
};

}  // namespace

struct ZipEntryDecoder::Impl {
    uint32_t method;
    uint64_t declaredSize;
    uint32_t declaredCrc;
    uint64_t produced = 0;
    uLong crc = crc32(0, nullptr, 0);
    std::vector<uint8_t> output;
    z_stream stream {};
    bool inflating = false;
    bool streamEnded = false;
    std::unique_ptr<TraditionalDecryption> decryption;
    size_t headerBytesLeft = 0;
    uint8_t checkByte = 0;
    uint8_t lastHeaderByte = 0;

    ZipDecodeStatus emit(const uint8_t* bytes, size_t count, const Sink& sink)
    {
        if (count > declaredSize - produced)
            return ZipDecodeStatus::LargerThanDeclared;
        produced += count;
        crc = crc32(crc, bytes, static_cast<uInt>(count));
        return sink(bytes, count) ? ZipDecodeStatus::Ok : ZipDecodeStatus::SinkFailed;
    }

    ZipDecodeStatus inflateInput(const uint8_t* input, size_t count, const Sink& sink)
    {
        stream.next_in = const_cast<Bytef*>(input);  // zlib never writes to its input
        stream.avail_in = static_cast<uInt>(count);
        while (!streamEnded) {
            stream.next_out = output.data();
            stream.avail_out = static_cast<uInt>(output.size());
            int status = inflate(&stream, Z_NO_FLUSH);
            if (status == Z_STREAM_END)
                streamEnded = true;
            else if (status == Z_BUF_ERROR && stream.avail_in == 0)
                break;  // needs the next input
            else if (status != Z_OK)
                return ZipDecodeStatus::DamagedData;
            auto emitted = emit(output.data(), output.size() - stream.avail_out, sink);
            if (emitted != ZipDecodeStatus::Ok)
                return emitted;
            // inflate stops when the input is used up or the output is full;
            // only a full output has more to give.
            if (stream.avail_out != 0)
                break;
        }
        return ZipDecodeStatus::Ok;
    }
};

ZipEntryDecoder::ZipEntryDecoder(uint32_t method, uint64_t declaredSize, uint32_t declaredCrc, size_t outputBufferBytes)
    : _impl(std::make_unique<Impl>())
{
    _impl->method = method;
    _impl->declaredSize = declaredSize;
    _impl->declaredCrc = declaredCrc;
    if (method == kMethodDeflated) {
        _impl->output.resize(outputBufferBytes);
        // Raw deflate: zip entries carry no zlib header.
        _impl->inflating = inflateInit2(&_impl->stream, -MAX_WBITS) == Z_OK;
    }
}

ZipEntryDecoder::~ZipEntryDecoder()
{
    if (_impl->inflating)
        inflateEnd(&_impl->stream);
}

void ZipEntryDecoder::setPassword(std::string_view password, uint8_t checkByte)
{
    _impl->decryption = std::make_unique<TraditionalDecryption>(password);
    _impl->headerBytesLeft = kEncryptionHeaderBytes;
    _impl->checkByte = checkByte;
}

ZipDecodeStatus ZipEntryDecoder::decode(uint8_t* input, size_t count, const Sink& sink)
{
    Impl& d = *_impl;
    if (d.decryption) {
        for (size_t index = 0; index < count; ++index)
            input[index] = d.decryption->decrypt(input[index]);
        size_t header = std::min(d.headerBytesLeft, count);
        if (header > 0) {
            d.headerBytesLeft -= header;
            d.lastHeaderByte = input[header - 1];
            if (d.headerBytesLeft == 0 && d.lastHeaderByte != d.checkByte)
                return ZipDecodeStatus::WrongPassword;
            input += header;
            count -= header;
        }
    }
    if (count == 0)
        return ZipDecodeStatus::Ok;
    if (d.method == kMethodStored)
        return d.emit(input, count, sink);
    if (!d.inflating)
        return ZipDecodeStatus::DamagedData;
    return d.inflateInput(input, count, sink);
}

ZipDecodeStatus ZipEntryDecoder::finish()
{
    const Impl& d = *_impl;
    if (d.decryption && d.headerBytesLeft > 0)
        return ZipDecodeStatus::ShorterThanDeclared;
    if (d.method == kMethodDeflated && !d.streamEnded)
        return d.produced < d.declaredSize ? ZipDecodeStatus::ShorterThanDeclared : ZipDecodeStatus::DamagedData;
    if (d.produced != d.declaredSize)
        return ZipDecodeStatus::ShorterThanDeclared;
    if (static_cast<uint32_t>(d.crc) != d.declaredCrc)
        return d.decryption ? ZipDecodeStatus::WrongPassword : ZipDecodeStatus::ChecksumMismatch;
    return ZipDecodeStatus::Ok;
}

}  // namespace zt::detail
