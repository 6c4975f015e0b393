#include <cstdint>
#include <cstdlib>

#include "diagnostics/CrashReport.h"

// Reads any bytes as the previous run's crash report file; what decodes
// must encode and decode to the same report.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    auto decoded = zt::CrashReport::decode(plat::Data(bytes, bytes + size));
    if (!decoded.ok())
        return 0;
    auto again = zt::CrashReport::decode(decoded.value().encode());
    if (!again.ok() || again.value().signalNumber != decoded.value().signalNumber
        || again.value().appVersion != decoded.value().appVersion
        || again.value().faultAddress != decoded.value().faultAddress)
        std::abort();
    return 0;
}
