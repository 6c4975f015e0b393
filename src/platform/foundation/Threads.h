#pragma once
#include <functional>
#include <string>
#include <thread>

namespace plat {

// Starts a thread of ours: named (the first 15 bytes show in ps and in
// debuggers) and given an alternate signal stack before body runs. Every
// thread the app starts is made here, so that a crash on any of them can
// still be reported.
std::thread startThread(const std::string& name, std::function<void()> body);

// Gives the calling thread a stack of its own for signal handlers, kept
// until the thread ends: a handler cannot run on a stack that has just
// overflowed. A stack the thread already has (the sanitizers give their
// threads one) is kept. Any thread; the main thread calls it itself.
void ensureAlternateSignalStack();

}  // namespace plat
