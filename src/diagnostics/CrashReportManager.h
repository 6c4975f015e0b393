#pragma once
#include <memory>
#include <optional>
#include <string>

#include "diagnostics/CrashReport.h"

namespace zt {
class CrashReportManager;

// Hears about the crash report of the previous run. Every operation is optional.
class CrashReportManagerDelegate {
public:
    virtual ~CrashReportManagerDelegate() = default;
    virtual void crashReportManagerDidFindCrashReport(CrashReportManager&, const CrashReport&) { }
};

// Crash capture: startManager installs handlers for the signals of a crash
// (segmentation and bus faults, illegal instructions, arithmetic faults,
// traps, aborts) on an alternate stack, which the calling thread and every
// thread the app starts (plat::startThread) have, so that a stack overflow
// on any of them is caught too. The handler writes one small report file
// for the crashing run, "live_report.qvcrash" in Library/CrashReports,
// using only async-signal-safe calls and memory prepared beforehand, then
// hands the signal on to whatever handled it before, so the process still
// dies of it. At the next start startManager finds that file, reports
// didCrashInLastSession and keeps the report as "last_report.qvcrash".
// Main thread (the handler runs on the crashing thread).
class CrashReportManager {
public:
    static CrashReportManager& sharedCrashReportManager();
    CrashReportManager(const CrashReportManager&) = delete;
    CrashReportManager& operator=(const CrashReportManager&) = delete;

    // Where reports are to be sent.
    const std::string& submissionURL() const { return _submissionURL; }
    void setSubmissionURL(std::string url) { _submissionURL = std::move(url); }
    void setDelegate(std::weak_ptr<CrashReportManagerDelegate> delegate) { _delegate = std::move(delegate); }

    // Looks for the previous run's report, then installs the handlers (once per process).
    void startManager();
    // True only after startManager found a report of the previous run.
    bool didCrashInLastSession() const { return _didCrashInLastSession; }
    // That report.
    const std::optional<CrashReport>& lastSessionCrashReport() const { return _lastSessionCrashReport; }

    static std::string crashReportsDirectory();
    static std::string liveReportPath();
    static std::string lastReportPath();

    // Forgets what startManager found (the handlers stay); for tests, which share the process.
    void resetForTesting();

private:
    CrashReportManager() = default;
    void collectPreviousReport();

    std::string _submissionURL;
    std::weak_ptr<CrashReportManagerDelegate> _delegate;
    bool _didCrashInLastSession = false;
    std::optional<CrashReport> _lastSessionCrashReport;
};

}  // namespace zt
