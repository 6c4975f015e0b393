#include "diagnostics/CrashReport.h"

#include <cstring>
#include <memory>

#include "diagnostics/qvcrash.pb-c.h"

namespace zt {

namespace {

constexpr size_t kHeaderBytes = sizeof(CrashReport::kMagic) + 1;

struct ReportDeleter {
    void operator()(Qvcrash__CrashReport* report) const { qvcrash__crash_report__free_unpacked(report, nullptr); }
};
using ReportPtr = std::unique_ptr<Qvcrash__CrashReport, ReportDeleter>;

plat::Error notAReport(const std::string& why)
{
    return plat::Error(CrashReport::kErrorDomain, CrashReport::kNotAReport, "not a crash report: " + why);
}

}  // namespace

plat::Result<CrashReport> CrashReport::decode(const plat::Data& file)
{
    if (file.size() > static_cast<size_t>(kMaxFileBytes))
        return notAReport("too large");
    if (file.size() < kHeaderBytes || std::memcmp(file.data(), kMagic, sizeof(kMagic)) != 0)
        return notAReport("no header");
    if (file[sizeof(kMagic)] != kVersion)
        return notAReport("version " + std::to_string(file[sizeof(kMagic)]));
    ReportPtr message(qvcrash__crash_report__unpack(nullptr, file.size() - kHeaderBytes, file.data() + kHeaderBytes));
    if (!message)
        return notAReport("the message does not decode");
    CrashReport report;
    report.signalNumber = message->signal_number;
    report.signalCode = message->signal_code;
    report.faultAddress = message->fault_address;
    report.crashTime = message->crash_time;
    report.processId = message->process_id;
    if (message->app_version)
        report.appVersion = message->app_version;
    if (message->bundle_identifier)
        report.bundleIdentifier = message->bundle_identifier;
    return report;
}

plat::Data CrashReport::encode() const
{
    Qvcrash__CrashReport message = QVCRASH__CRASH_REPORT__INIT;
    message.has_signal_number = 1;
    message.signal_number = signalNumber;
    message.has_signal_code = 1;
    message.signal_code = signalCode;
    message.has_fault_address = 1;
    message.fault_address = faultAddress;
    message.has_crash_time = 1;
    message.crash_time = crashTime;
    message.has_process_id = 1;
    message.process_id = processId;
    std::string version = appVersion, identifier = bundleIdentifier;
    message.app_version = version.data();
    message.bundle_identifier = identifier.data();
    plat::Data file(kMagic, kMagic + sizeof(kMagic));
    file.push_back(kVersion);
    size_t header = file.size();
    file.resize(header + qvcrash__crash_report__get_packed_size(&message));
    qvcrash__crash_report__pack(&message, file.data() + header);
    return file;
}

}  // namespace zt
