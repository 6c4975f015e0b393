// Service discovery through a real Avahi daemon: the fixture starts a
// message bus of its own and an avahi-daemon that only uses the loopback
// interface, publishes a service on 127.0.0.1, and browses and resolves it
// through the same code a user's desktop would use. It needs root (as CI
// has) and the two daemons; where it cannot start them, it says why and
// the test is skipped.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/net/NetService.h"
#include "platform/net/NetServiceBrowser.h"
#include "platform/net/ServiceDiscovery.h"
#include "platform/net/URLConnection.h"
#include "platform/net/URLError.h"
#include "support/BoundedChild.h"
#include "support/HTTPTestServer.h"
#include "support/ManualClockScope.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"

extern char** environ;

namespace {

constexpr const char* kType = "_QUORVANE_REMOTE_CAMERA._tcp.";
constexpr const char* kDBusDaemon = "/usr/bin/dbus-daemon";
constexpr const char* kDBusSystemConfig = "/usr/share/dbus-1/system.conf";
constexpr const char* kAvahiDaemon = "/usr/sbin/avahi-daemon";
constexpr const char* kAvahiPidFile = "/run/avahi-daemon/pid";
// One loopback daemon at a time on this machine (5353 on lo is shared).
constexpr const char* kLockFile = "/tmp/zantrope-loopback-avahi.lock";
// How long a daemon may take to say it is ready; a guard against a hang.
constexpr int kStartupMilliseconds = 20000;

constexpr const char* kAvahiConfiguration = R"([server]
use-ipv4=yes
use-ipv6=no
allow-interfaces=lo
enable-dbus=yes
ratelimit-interval-usec=1000000
ratelimit-burst=1000
[wide-area]
enable-wide-area=no
[publish]
publish-hinfo=no
publish-workstation=no
publish-addresses=yes
[reflector]
enable-reflector=no
[rlimits]
)";

// A child process whose standard output and error come through a pipe;
// stopped (SIGTERM, then reaped) when destroyed.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() { stop(); }

    std::optional<std::string> spawn(const std::vector<std::string>& arguments)
    {
        int pipeFds[2];
        if (::pipe2(pipeFds, O_CLOEXEC) != 0)
            return std::string("no pipe: ") + std::strerror(errno);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        int spawned = posix_spawn(&_pid, arguments[0].c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        _name = arguments[0];
        _output = pipeFds[0];
        if (spawned != 0) {
            _pid = -1;
            return arguments[0] + " cannot be started: " + std::strerror(spawned);
        }
        return std::nullopt;
    }

    // Reads output until a line contains the text; false when the process
    // ends or says nothing more for the guard time.
    bool waitForLine(const std::string& text)
    {
        for (;;) {
            size_t newline;
            while ((newline = _buffer.find('\n')) != std::string::npos) {
                std::string line = _buffer.substr(0, newline);
                _buffer.erase(0, newline + 1);
                _transcript += line + "\n";
                if (line.find(text) != std::string::npos) {
                    _lastLine = line;
                    return true;
                }
            }
            pollfd waiting {_output, POLLIN, 0};
            if (::poll(&waiting, 1, kStartupMilliseconds) <= 0)
                return false;
            char chunk[4096];
            ssize_t count = ::read(_output, chunk, sizeof chunk);
            if (count <= 0)
                return false;
            _buffer.append(chunk, static_cast<size_t>(count));
        }
    }

    const std::string& lastLine() const { return _lastLine; }
    std::string transcript() const { return _transcript + _buffer; }

    void stop()
    {
        if (_pid > 0) {
            ::kill(_pid, SIGTERM);
            (void)plat::test::waitForChildBounded(_pid, _name);
            _pid = -1;
        }
        if (_output >= 0)
            ::close(_output);
        _output = -1;
    }

private:
    pid_t _pid = -1;
    int _output = -1;
    std::string _buffer;
    std::string _transcript;
    std::string _name;
    std::string _lastLine;
};

bool processIsAlive(const std::string& pidFile)
{
    auto text = plat::readFile(pidFile);
    if (!text.ok())
        return false;
    int pid = std::atoi(std::string(text.value().begin(), text.value().end()).c_str());
    return pid > 0 && ::kill(pid, 0) == 0;
}

// A message bus and an Avahi daemon on the loopback interface, for one test.
class LoopbackAvahi {
public:
    LoopbackAvahi() = default;
    LoopbackAvahi(const LoopbackAvahi&) = delete;
    LoopbackAvahi& operator=(const LoopbackAvahi&) = delete;
    ~LoopbackAvahi()
    {
        _avahi.stop();
        _bus.stop();
        if (_previousBusAddress)
            ::setenv("DBUS_SYSTEM_BUS_ADDRESS", _previousBusAddress->c_str(), 1);
        else
            ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
        if (_lock >= 0)
            ::close(_lock);  // releases the lock
    }

    // Empty when both run; otherwise why they could not be started.
    std::optional<std::string> start(const std::string& folder)
    {
        if (::geteuid() != 0)
            return "starting a system message bus and avahi-daemon needs root";
        for (const char* program : {kDBusDaemon, kAvahiDaemon, kDBusSystemConfig}) {
            if (!plat::fileExists(program))
                return std::string(program) + " is not installed (scripts/install-deps.sh installs it)";
        }
        _lock = ::open(kLockFile, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (_lock < 0 || ::flock(_lock, LOCK_EX) != 0)
            return "cannot take " + std::string(kLockFile);
        if (processIsAlive(kAvahiPidFile))
            return "an Avahi daemon of this machine is running; the test leaves it alone";

        const std::string busPath = plat::appendingPathComponent(folder, "system_bus_socket");
        if (auto failed = _bus.spawn({kDBusDaemon, "--config-file=" + std::string(kDBusSystemConfig),
                "--address=unix:path=" + busPath, "--nopidfile", "--nofork", "--print-address=1"}))
            return failed;
        if (!_bus.waitForLine("unix:path="))
            return "the message bus did not start:\n" + _bus.transcript();
        if (const char* previous = std::getenv("DBUS_SYSTEM_BUS_ADDRESS"))
            _previousBusAddress = previous;
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", _bus.lastLine().c_str(), 1);

        const std::string configuration = plat::appendingPathComponent(folder, "avahi-daemon.conf");
        if (!plat::writeFileAtomically(configuration, std::string_view(kAvahiConfiguration)).ok())
            return "cannot write " + configuration;
        if (auto failed = _avahi.spawn({kAvahiDaemon, "-f", configuration, "--no-drop-root", "--no-chroot",
                "--no-rlimits", "--no-proc-title"}))
            return failed;
        if (!_avahi.waitForLine("Server startup complete"))
            return "avahi-daemon did not start:\n" + _avahi.transcript();
        return std::nullopt;
    }

    std::string daemonTranscript() const { return _avahi.transcript(); }

private:
    int _lock = -1;
    ChildProcess _bus;
    ChildProcess _avahi;
    std::optional<std::string> _previousBusAddress;
};

class Browsing : public plat::NetServiceBrowserDelegate {
public:
    void netServiceBrowser(plat::NetServiceBrowser&, const std::shared_ptr<plat::NetService>& service, bool) override
    {
        found.push_back(service);
    }
    void netServiceBrowserDidRemoveServiceMoreComing(
        plat::NetServiceBrowser&, const std::shared_ptr<plat::NetService>& service, bool) override
    {
        removed.push_back(service->name());
    }
    void netServiceBrowserDidNotSearch(plat::NetServiceBrowser&, const plat::Dictionary&) override { failed = true; }
    std::vector<std::shared_ptr<plat::NetService>> found;
    std::vector<std::string> removed;
    bool failed = false;
};

class Serving : public plat::NetServiceDelegate {
public:
    void netServiceDidPublish(plat::NetService&) override { published = true; }
    void netServiceDidNotPublish(plat::NetService&, const plat::Dictionary& error) override
    {
        failure = error.getInt64(plat::kNetServicesErrorCode).value_or(0);
    }
    void netServiceDidResolveAddress(plat::NetService&) override { resolved = true; }
    void netServiceDidNotResolve(plat::NetService&, const plat::Dictionary& error) override
    {
        failure = error.getInt64(plat::kNetServicesErrorCode).value_or(0);
    }
    bool published = false;
    bool resolved = false;
    int64_t failure = 0;
};

class Loading : public plat::URLConnectionDelegate {
public:
    void didReceiveData(plat::URLConnection&, const plat::Data& data) override
    {
        body.append(data.begin(), data.end());
    }
    void didFinishLoading(plat::URLConnection&) override { done = true; }
    void didFailWithError(plat::URLConnection&, const plat::Error& e) override
    {
        error = e;
        done = true;
    }
    std::string body;
    std::optional<plat::Error> error;
    bool done = false;
};

std::shared_ptr<Loading> load(const std::string& url)
{
    auto loading = std::make_shared<Loading>();
    plat::URLConnection::connectionWithRequest(plat::URLRequest(plat::URL::URLWithString(url)), loading);
    EXPECT_TRUE(plat::test::runMainLoopUntil([&] { return loading->done; }));
    return loading;
}

// One daemon for the whole test: the message bus's address is read once a
// process, so a second bus on another socket would never be reached.
TEST(AvahiDiscovery, AServicePublishedOnLoopbackIsBrowsedResolvedAndLoadedByItsHostName)
{
    plat::test::TemporaryFolder folder;
    LoopbackAvahi daemons;
    if (auto reason = daemons.start(folder.path()))
        GTEST_SKIP() << "no Avahi daemon for this test: " << *reason;
    plat::test::ManualClockScope clock;
    plat::ServiceDiscovery::setBackend(plat::ServiceDiscoveryBackend::Avahi);
    plat::test::HTTPTestServer server(
        [](const plat::test::HTTPTestRequest&) { return plat::test::HTTPTestReply::withBody(200, "frame"); });

    auto serving = std::make_shared<Serving>();
    auto published = std::make_shared<plat::NetService>("local.", kType, "Zantrope Test Camera", server.port());
    published->setDelegate(serving);
    published->publish();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return serving->published || serving->failure != 0; }))
        << daemons.daemonTranscript();
    ASSERT_TRUE(serving->published) << "publishing failed with " << serving->failure;

    auto browsing = std::make_shared<Browsing>();
    auto browser = std::make_shared<plat::NetServiceBrowser>();
    browser->setDelegate(browsing);
    browser->searchForServicesOfType(kType, "local.");
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return !browsing->found.empty() || browsing->failed; }))
        << daemons.daemonTranscript();
    ASSERT_FALSE(browsing->failed);
    auto found = browsing->found[0];
    EXPECT_EQ(found->name(), "Zantrope Test Camera");
    EXPECT_EQ(found->type(), kType);
    EXPECT_EQ(found->domain(), "local.");

    auto resolving = std::make_shared<Serving>();
    found->setDelegate(resolving);
    found->resolveWithTimeout(30.0);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return resolving->resolved || resolving->failure != 0; }));
    ASSERT_TRUE(resolving->resolved) << "resolving failed with " << resolving->failure;
    EXPECT_EQ(found->port(), server.port());
    const std::string hostName = found->hostName().value_or("");
    ASSERT_TRUE(hostName.ends_with(".local.")) << hostName;

    // As a remote camera is reached: by the host name its service resolved
    // to, found through Avahi too (the system's resolver has no multicast DNS here).
    const std::string port = std::to_string(server.port());
    auto loaded = load("http://" + hostName + ":" + port + "/");
    ASSERT_FALSE(loaded->error) << loaded->error->localizedDescription() << "\n" << daemons.daemonTranscript();
    EXPECT_EQ(loaded->body, "frame");
    ASSERT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(server.requests()[0].header("Host").value_or(""), hostName + ":" + port);
    // The daemon gives up on a name nobody answers for after a few seconds.
    auto unknown = load("http://zantrope-nobody-here.local.:" + port + "/");
    ASSERT_TRUE(unknown->error);
    EXPECT_EQ(unknown->error->code(), plat::kURLErrorCannotFindHost);
    EXPECT_EQ(server.requestCount(), 1u);

    published->stop();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return !browsing->removed.empty(); }));
    EXPECT_EQ(browsing->removed[0], "Zantrope Test Camera");
    browser->stop();
    plat::ServiceDiscovery::setBackend(plat::ServiceDiscoveryBackend::Automatic);
}

}  // namespace
