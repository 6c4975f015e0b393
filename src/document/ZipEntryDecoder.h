#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace zt::detail {

enum class ZipDecodeStatus {
    Ok,
    WrongPassword,
    DamagedData,
    LargerThanDeclared,
    ShorterThanDeclared,
    ChecksumMismatch,
    SinkFailed,
};

// Turns the bytes an entry occupies in the archive into its contents:
// removes the traditional zip encryption, inflates (or passes stored data
// through), and holds the result to the size and checksum the archive
// declares. It never hands on a byte beyond the declared size, so a lying
// archive cannot write more than was checked against free space. One entry;
// one thread.
class ZipEntryDecoder {
public:
    // Returns false to stop decoding (the caller keeps its own error).
    using Sink = std::function<bool(const uint8_t* bytes, size_t count)>;

    static constexpr uint32_t kMethodStored = 0;
    static constexpr uint32_t kMethodDeflated = 8;

    // method is stored or deflated; the caller refuses others.
    ZipEntryDecoder(uint32_t method, uint64_t declaredSize, uint32_t declaredCrc, size_t outputBufferBytes);
    ~ZipEntryDecoder();
    ZipEntryDecoder(const ZipEntryDecoder&) = delete;
    ZipEntryDecoder& operator=(const ZipEntryDecoder&) = delete;

    // For an encrypted entry: its first 12 bytes are the encryption header,
    // whose last byte must decrypt to checkByte (the checksum's top byte, or
    // the time's when sizes follow the data).
    void setPassword(std::string_view password, uint8_t checkByte);

    // Feeds the next stored bytes (decrypted in place) and passes what they
    // decode to into sink.
    ZipDecodeStatus decode(uint8_t* input, size_t count, const Sink& sink);
    // After the last stored byte: the data must be complete and match.
    ZipDecodeStatus finish();

private:
    struct Impl;
    std::unique_ptr<Impl> _impl;
};

}  // namespace zt::detail
