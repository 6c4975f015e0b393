#include "diagnostics/CrashReportManager.h"

#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/foundation/Files.h"
#include "platform/foundation/Semaphore.h"
#include "platform/foundation/ThreadPool.h"
#include "support/BoundedChild.h"
#include "support/TemporarySandbox.h"

namespace {

constexpr double kGenerousTimeoutSeconds = 30;

// Recurses until the stack runs out; the frames are real, since each reads
// from the one below it and adds to what the next returns.
[[gnu::noinline]] int recurseWithoutEnd(volatile char* below, int depth)
{
    volatile char frame[512];
    frame[0] = static_cast<char>(below ? below[0] + 1 : depth);
    if (depth == -1)
        return frame[0];
    return recurseWithoutEnd(frame, depth + 1) + frame[0];
}

class Recorder : public zt::CrashReportManagerDelegate {
public:
    void crashReportManagerDidFindCrashReport(zt::CrashReportManager&, const zt::CrashReport& report) override
    {
        found.push_back(report.signalNumber);
    }
    std::vector<uint32_t> found;
};

class CrashCapture : public ::testing::Test {
protected:
    CrashCapture() { manager.resetForTesting(); }
    ~CrashCapture() override { manager.resetForTesting(); }

    // Runs crash() in a child process that has started the manager; true
    // when the child did not survive it: it died of the signal, or (under
    // the sanitizers, whose handler ours hands the signal to) it was stopped
    // with a failing exit status.
    bool crashInChild(const std::function<void()>& crash, int expectedSignal)
    {
        pid_t child = ::fork();
        if (child == 0) {
            zt::CrashReportManager::sharedCrashReportManager().startManager();
            crash();
            ::_exit(0);
        }
        const plat::test::ChildRun run = plat::test::waitForChildBounded(child, "the child that crashes");
        if (run.signal != 0)
            return run.signal == expectedSignal;
        return run.exitCode > 0;
    }

    plat::test::TemporarySandbox sandbox;
    zt::CrashReportManager& manager = zt::CrashReportManager::sharedCrashReportManager();
};

}  // namespace

TEST(CrashReportFile, RoundTripsThroughItsFormat)
{
    zt::CrashReport report;
    report.signalNumber = 11;
    report.signalCode = -6;
    report.faultAddress = 0xdeadbeef;
    report.crashTime = 1433160000;
    report.processId = 4321;
    report.appVersion = "1.0 (1)";
    report.bundleIdentifier = "com.quorvane.zantrope";
    plat::Data file = report.encode();
    ASSERT_GE(file.size(), 8u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 7), "qvcrash");
    EXPECT_EQ(file[7], 1);
    auto decoded = zt::CrashReport::decode(file);
    ASSERT_TRUE(decoded.ok()) << decoded.error().localizedDescription();
    EXPECT_EQ(decoded.value().signalNumber, 11u);
    EXPECT_EQ(decoded.value().signalCode, -6);
    EXPECT_EQ(decoded.value().faultAddress, 0xdeadbeefu);
    EXPECT_EQ(decoded.value().crashTime, 1433160000);
    EXPECT_EQ(decoded.value().appVersion, "1.0 (1)");
}

TEST(CrashReportFile, AFileEncodedByHandDecodesFieldByField)
{
    // Fields 1 to 7 as varints and strings; the code (2) is zigzag-encoded: 2 means 1.
    auto file = plat::readFile(plat::test::sourcePath("tests/fuzz/corpus/crashreport/segv.qvcrash"));
    ASSERT_TRUE(file.ok());
    auto decoded = zt::CrashReport::decode(file.value());
    ASSERT_TRUE(decoded.ok()) << decoded.error().localizedDescription();
    EXPECT_EQ(decoded.value().signalNumber, 11u);
    EXPECT_EQ(decoded.value().signalCode, 1);
    EXPECT_EQ(decoded.value().faultAddress, 0xdeadbeefu);
    EXPECT_EQ(decoded.value().crashTime, 1433160000);
    EXPECT_EQ(decoded.value().processId, 4321u);
    EXPECT_EQ(decoded.value().appVersion, "1.0 (1)");
    EXPECT_EQ(decoded.value().bundleIdentifier, "com.quorvane.zantrope");
}

TEST(CrashReportFile, DamagedFilesAreNotReports)
{
    plat::Data good = zt::CrashReport {}.encode();
    auto refuse = [](const plat::Data& file) {
        auto decoded = zt::CrashReport::decode(file);
        return !decoded.ok() && decoded.error().code() == zt::CrashReport::kNotAReport;
    };
    EXPECT_TRUE(refuse({}));
    EXPECT_TRUE(refuse(plat::Data(good.begin(), good.begin() + 5)));
    plat::Data otherVersion = good;
    otherVersion[7] = 2;
    EXPECT_TRUE(refuse(otherVersion));
    plat::Data garbage = good;
    garbage.insert(garbage.end(), {0xff, 0xff, 0xff});
    EXPECT_TRUE(refuse(garbage));
    EXPECT_TRUE(refuse(plat::Data(zt::CrashReport::kMaxFileBytes + 1, 0)));
}

TEST_F(CrashCapture, ARunWithoutAReportDidNotCrash)
{
    EXPECT_FALSE(manager.didCrashInLastSession());
    manager.startManager();
    EXPECT_FALSE(manager.didCrashInLastSession());
    EXPECT_TRUE(plat::isDirectory(zt::CrashReportManager::crashReportsDirectory()));
}

TEST_F(CrashCapture, ASegmentationFaultIsReportedAtTheNextStart)
{
    EXPECT_TRUE(crashInChild([] { ::raise(SIGSEGV); }, SIGSEGV)) << "the signal goes on to end the process";
    ASSERT_TRUE(plat::fileExists(zt::CrashReportManager::liveReportPath()));

    auto recorder = std::make_shared<Recorder>();
    manager.setDelegate(recorder);
    manager.setSubmissionURL("https://crash.example/crashreporter3/crash_v300.php");
    manager.startManager();
    EXPECT_TRUE(manager.didCrashInLastSession());
    ASSERT_TRUE(manager.lastSessionCrashReport());
    EXPECT_EQ(manager.lastSessionCrashReport()->signalNumber, static_cast<uint32_t>(SIGSEGV));
    EXPECT_EQ(manager.lastSessionCrashReport()->appVersion, "1.0 (1)");
    EXPECT_EQ(manager.lastSessionCrashReport()->bundleIdentifier, "com.quorvane.zantrope");
    EXPECT_NE(manager.lastSessionCrashReport()->processId, static_cast<uint32_t>(::getpid()));
    EXPECT_EQ(recorder->found, (std::vector<uint32_t> {SIGSEGV}));
    EXPECT_FALSE(plat::fileExists(zt::CrashReportManager::liveReportPath()));
    EXPECT_TRUE(plat::fileExists(zt::CrashReportManager::lastReportPath()));

    manager.resetForTesting();
    manager.startManager();
    EXPECT_FALSE(manager.didCrashInLastSession()) << "a report is reported once";
}

TEST_F(CrashCapture, AMemoryFaultIsReportedWithItsAddress)
{
    EXPECT_TRUE(crashInChild(
        [] {
            volatile uintptr_t address = 0x10;
            *reinterpret_cast<volatile int*>(address) = 1;
        },
        SIGSEGV));
    manager.startManager();
    ASSERT_TRUE(manager.didCrashInLastSession());
    EXPECT_EQ(manager.lastSessionCrashReport()->signalNumber, static_cast<uint32_t>(SIGSEGV));
    EXPECT_EQ(manager.lastSessionCrashReport()->signalCode, SEGV_MAPERR);
    EXPECT_EQ(manager.lastSessionCrashReport()->faultAddress, 0x10u);
}

TEST_F(CrashCapture, ASentSignalHasNoFaultAddress)
{
    EXPECT_TRUE(crashInChild([] { ::raise(SIGBUS); }, SIGBUS));
    manager.startManager();
    ASSERT_TRUE(manager.didCrashInLastSession());
    EXPECT_EQ(manager.lastSessionCrashReport()->faultAddress, 0u);
}

TEST_F(CrashCapture, AnAbortIsReportedToo)
{
    EXPECT_TRUE(crashInChild([] { std::abort(); }, SIGABRT));
    manager.startManager();
    ASSERT_TRUE(manager.didCrashInLastSession());
    EXPECT_EQ(manager.lastSessionCrashReport()->signalNumber, static_cast<uint32_t>(SIGABRT));
}

TEST_F(CrashCapture, AStackOverflowOnAWorkerThreadIsReported)
{
    EXPECT_TRUE(crashInChild(
        [] {
            // A pool of its own: the shared one's threads were not copied into this process.
            plat::detail::ThreadPool pool(1);
            plat::Semaphore survived;
            pool.submit(0, [survived]() mutable {
                if (recurseWithoutEnd(nullptr, 0) != 0)
                    survived.signal();
            });
            if (survived.wait(kGenerousTimeoutSeconds))
                ::_exit(0);
        },
        SIGSEGV));
    manager.startManager();
    ASSERT_TRUE(manager.didCrashInLastSession()) << "the overflowing thread had no stack to report on";
    EXPECT_EQ(manager.lastSessionCrashReport()->signalNumber, static_cast<uint32_t>(SIGSEGV));
}

TEST_F(CrashCapture, AnUnreadableReportIsDroppedWithoutClaimingACrash)
{
    ASSERT_TRUE(
        plat::createDirectory(zt::CrashReportManager::crashReportsDirectory(), plat::IntermediateDirectories::Yes)
            .ok());
    ASSERT_TRUE(plat::writeFileAtomically(zt::CrashReportManager::liveReportPath(), std::string("not a report")).ok());
    manager.startManager();
    EXPECT_FALSE(manager.didCrashInLastSession());
    EXPECT_FALSE(plat::fileExists(zt::CrashReportManager::liveReportPath()));
}
