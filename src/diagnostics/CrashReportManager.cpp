#include "diagnostics/CrashReportManager.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

#include "diagnostics/qvcrash.pb-c.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/Threads.h"

namespace zt {

namespace {

constexpr const char* kFolderName = "CrashReports";
constexpr const char* kLiveReportName = "live_report.qvcrash";
constexpr const char* kLastReportName = "last_report.qvcrash";

constexpr int kCrashSignals[] = {SIGABRT, SIGBUS, SIGFPE, SIGILL, SIGSEGV, SIGTRAP};

// Everything the handler touches is prepared before a crash: it may not
// allocate, lock or call anything but async-signal-safe functions.
constexpr size_t kMaxPathBytes = 4096;
constexpr size_t kMaxTextBytes = 256;
constexpr size_t kMaxMessageBytes = 2048;

char gReportPath[kMaxPathBytes];
char gAppVersion[kMaxTextBytes];
char gBundleIdentifier[kMaxTextBytes];
uint8_t gMessage[kMaxMessageBytes];
struct sigaction gPreviousActions[NSIG];
std::atomic<bool> gHandling {false};
bool gInstalled = false;  // main thread

void copyText(char* destination, size_t capacity, const std::string& text)
{
    size_t length = std::min(text.size(), capacity - 1);
    std::memcpy(destination, text.data(), length);
    destination[length] = '\0';
}

bool writeAll(int fd, const void* bytes, size_t length)
{
    const auto* p = static_cast<const uint8_t*>(bytes);
    while (length > 0) {
        ssize_t written = ::write(fd, p, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        p += written;
        length -= static_cast<size_t>(written);
    }
    return true;
}

// Async-signal-safe: open, write, fsync, close, clock_gettime, getpid and
// protobuf-c's packing into a buffer of our own.
void writeReport(int signalNumber, const siginfo_t* info)
{
    Qvcrash__CrashReport report = QVCRASH__CRASH_REPORT__INIT;
    report.has_signal_number = 1;
    report.signal_number = static_cast<uint32_t>(signalNumber);
    if (info) {
        report.has_signal_code = 1;
        report.signal_code = info->si_code;
        // Only a fault the kernel raised has an address; a sent signal carries the sender there.
        const bool fault
            = signalNumber == SIGSEGV || signalNumber == SIGBUS || signalNumber == SIGILL || signalNumber == SIGFPE;
        if (fault && info->si_code > 0) {
            report.has_fault_address = 1;
            report.fault_address = reinterpret_cast<uintptr_t>(info->si_addr);
        }
    }
    timespec now {};
    if (::clock_gettime(CLOCK_REALTIME, &now) == 0) {
        report.has_crash_time = 1;
        report.crash_time = now.tv_sec;
    }
    report.has_process_id = 1;
    report.process_id = static_cast<uint32_t>(::getpid());
    report.app_version = gAppVersion;
    report.bundle_identifier = gBundleIdentifier;
    if (qvcrash__crash_report__get_packed_size(&report) > sizeof(gMessage))
        return;
    size_t length = qvcrash__crash_report__pack(&report, gMessage);

    int fd = ::open(gReportPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    const uint8_t version = CrashReport::kVersion;
    if (writeAll(fd, CrashReport::kMagic, sizeof(CrashReport::kMagic)) && writeAll(fd, &version, 1))
        (void)writeAll(fd, gMessage, length);
    ::fsync(fd);
    ::close(fd);
}

void handleCrashSignal(int signalNumber, siginfo_t* info, void*)
{
    // A second crash while writing (on another thread, or in the writer) only passes the signal on.
    if (!gHandling.exchange(true))
        writeReport(signalNumber, info);
    // Hand the signal to whoever had it before (by default: the process
    // dies of it). It is blocked while this runs, so it arrives on return.
    ::sigaction(signalNumber, &gPreviousActions[signalNumber], nullptr);
    ::raise(signalNumber);
}

void installHandlers()
{
    // The threads we start have theirs already (plat::startThread).
    plat::ensureAlternateSignalStack();
    for (int signalNumber : kCrashSignals) {
        struct sigaction action { };
        action.sa_sigaction = handleCrashSignal;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        if (::sigaction(signalNumber, &action, &gPreviousActions[signalNumber]) != 0)
            plat::log("crash reports: cannot handle signal {}: {}", signalNumber, std::strerror(errno));
    }
}

}  // namespace

CrashReportManager& CrashReportManager::sharedCrashReportManager()
{
    static CrashReportManager manager;
    return manager;
}

std::string CrashReportManager::crashReportsDirectory()
{
    return plat::appendingPathComponent(plat::Sandbox::current()->libraryDirectory(), kFolderName);
}

std::string CrashReportManager::liveReportPath()
{
    return plat::appendingPathComponent(crashReportsDirectory(), kLiveReportName);
}

std::string CrashReportManager::lastReportPath()
{
    return plat::appendingPathComponent(crashReportsDirectory(), kLastReportName);
}

void CrashReportManager::startManager()
{
    collectPreviousReport();

    std::string folder = crashReportsDirectory();
    auto created = plat::createDirectory(folder, plat::IntermediateDirectories::Yes);
    if (!created.ok() && !plat::isDirectory(folder))
        plat::log("crash reports: {}", created.error().localizedDescription());
    std::string path = liveReportPath();
    if (path.size() >= kMaxPathBytes) {
        plat::log("crash reports: the report path is too long; crashes are not captured");
        return;
    }
    // The handler reads these; they change only here, on the main thread.
    copyText(gReportPath, sizeof(gReportPath), path);
    auto& bundle = plat::Bundle::mainBundle();
    auto info = bundle.infoDictionary();
    copyText(gAppVersion, sizeof(gAppVersion),
        info.getString("CFBundleShortVersionString").value_or("") + " ("
            + info.getString("CFBundleVersion").value_or("") + ")");
    copyText(gBundleIdentifier, sizeof(gBundleIdentifier), bundle.bundleIdentifier());
    if (!gInstalled) {
        installHandlers();
        gInstalled = true;
    }
}

void CrashReportManager::collectPreviousReport()
{
    std::string live = liveReportPath();
    if (!plat::fileExists(live))
        return;
    auto bytes = plat::readFile(live, CrashReport::kMaxFileBytes);
    auto decoded = bytes.ok() ? CrashReport::decode(bytes.value()) : plat::Result<CrashReport>(bytes.error());
    // Either way the file belongs to the previous run: this run's crash writes its own.
    std::string last = lastReportPath();
    // A report left in place would be told again at the next start.
    auto removeOrLog = [](const std::string& path) {
        if (auto removed = plat::removeItemIfExists(path); !removed.ok())
            plat::log("crash reports: {}", removed.error().localizedDescription());
    };
    removeOrLog(last);
    if (!decoded.ok()) {
        plat::log("crash reports: the previous run's report is unreadable: {}", decoded.error().localizedDescription());
        removeOrLog(live);
        return;
    }
    auto moved = plat::moveItem(live, last);
    if (!moved.ok()) {
        plat::log("crash reports: {}", moved.error().localizedDescription());
        removeOrLog(live);
    }
    const CrashReport& report = decoded.value();
    char address[2 + 16 + 1];
    std::snprintf(address, sizeof(address), "0x%llx", static_cast<unsigned long long>(report.faultAddress));
    plat::log("crash reports: the previous run (process {}, version {}) died of signal {} (code {}) at {}",
        report.processId, report.appVersion, report.signalNumber, report.signalCode, std::string(address));
    _didCrashInLastSession = true;
    _lastSessionCrashReport = report;
    if (auto delegate = _delegate.lock())
        delegate->crashReportManagerDidFindCrashReport(*this, report);
}

void CrashReportManager::resetForTesting()
{
    _didCrashInLastSession = false;
    _lastSessionCrashReport.reset();
    _delegate.reset();
    _submissionURL.clear();
    gHandling.store(false);
}

}  // namespace zt
