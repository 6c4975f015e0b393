#pragma once
#include <cstdint>
#include <string>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace zt {

// What a crash report file says about the run that crashed. Any thread (value type).
struct CrashReport {
    uint32_t signalNumber = 0;
    int32_t signalCode = 0;
    uint64_t faultAddress = 0;
    int64_t crashTime = 0;  // seconds since 1970, UTC
    uint32_t processId = 0;
    std::string appVersion;
    std::string bundleIdentifier;

    // Report files are outside input: a file that is too large, lacks the
    // header or does not hold one message is an error of domain
    // "CrashReport" (kNotAReport).
    static plat::Result<CrashReport> decode(const plat::Data& file);
    // The file as the signal handler writes it (for the handler's tests and for tools).
    plat::Data encode() const;

    static constexpr const char* kErrorDomain = "CrashReport";
    static constexpr int64_t kNotAReport = 1;
    static constexpr int64_t kMaxFileBytes = 64 * 1024;
    static constexpr char kMagic[7] = {'q', 'v', 'c', 'r', 'a', 's', 'h'};
    static constexpr uint8_t kVersion = 1;
};

}  // namespace zt
