#include "platform/ui/ApplicationMain.h"

#include <atomic>
#include <csignal>
#include <pthread.h>
#include <thread>

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Threads.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/DesktopScreen.h"

namespace plat {

namespace {

// Waits for SIGINT or SIGTERM (blocked in every thread) and asks the main
// run loop to stop; SIGUSR2 from the main thread ends the wait at exit.
class QuitSignals {
public:
    QuitSignals()
    {
        sigemptyset(&_signals);
        sigaddset(&_signals, SIGINT);
        sigaddset(&_signals, SIGTERM);
        sigaddset(&_signals, SIGUSR2);
        pthread_sigmask(SIG_BLOCK, &_signals, nullptr);
        _thread = startThread("plat-quit", [this] {
            for (;;) {
                int received = 0;
                if (sigwait(&_signals, &received) != 0 || received == SIGUSR2)
                    return;
                _requested.store(true);
                RunLoop::main().stop();
            }
        });
    }
    ~QuitSignals()
    {
        pthread_kill(_thread.native_handle(), SIGUSR2);
        _thread.join();
        pthread_sigmask(SIG_UNBLOCK, &_signals, nullptr);
    }
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

    const std::atomic<bool>& requested() const { return _requested; }

private:
    sigset_t _signals;
    std::atomic<bool> _requested {false};
    std::thread _thread;
};

}  // namespace

int ApplicationMain(
    const ApplicationMainOptions& options, std::function<std::shared_ptr<ApplicationDelegate>()> makeDelegate)
{
    if (RunLoop::main().boundThread() != std::this_thread::get_id())
        RunLoop::main().bindToCurrentThread();
    QuitSignals signals;
    auto& app = Application::sharedApplication();
    app.setDelegate(makeDelegate ? makeDelegate() : nullptr);
    app.launch(options.launchOptions);
    RunLoop::main().drain();

    int exitCode = 0;
    if (options.session) {
        exitCode = options.session(signals.requested());
    } else if (!options.headless && DesktopScreen::isAvailable()) {
        exitCode = DesktopScreen::run(signals.requested());
    } else {
        log("application: running without a screen; stop with Ctrl-C");
        RunLoop::main().run();
    }
    app.terminate();
    RunLoop::main().drain();
    return exitCode;
}

}  // namespace plat
